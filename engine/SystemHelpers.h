// Shared system helpers of both programs: text conversion, locale numbers, versions, paths and
// folders, self-deleting temporary files, system image lists, message waits and shutdown.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <functional>

#include "framework/ImageList.h"
#include "framework/String.h"

// <commdlg.h> maps GetFileTitle to GetFileTitleW; it is included above so that the macro is
// defined once, and dropped here so that the path helper below keeps its name for every caller.
#ifdef GetFileTitle
#undef GetFileTitle
#endif

// Text ----------------------------------------------------------------------------------------

// Bytes written including the terminator, or -1 (out empty) for null or empty input or failure.
int WideToAnsi(LPCWSTR wide, CStringA& out);
// Characters including the terminator, or -1 (out empty) for null input or failure.
int AnsiToWide(LPCSTR narrow, CString& out);
// 32 lower-case hexadecimal digits of a new GUID; 0 or -1.
int NewGuidString(CString& out);
// The system's own text for an error code (FormatMessageW), without the line break that ends it;
// "Error <code>" when the system has none.
CString GetSystemErrorText(DWORD error);

CString FormatInt64Grouped(__int64 value);
CString FormatNumberString(LPCWSTR text);
int GetLocaleInt(LCTYPE type, int defaultValue);
CString GetLocaleString(LCTYPE type, LPCWSTR defaultValue);
int GetLocaleGrouping(int defaultValue);

// "3.10.0" into {3, 10, 0}; "x" gives -1 for its part. 0, or -1 with fewer than three parts.
int ParseVersion(LPCWSTR text, int out[3]);
// 1 when a is higher, -1 when lower, 0 when equal; an unreadable text counts as 0.0.0.
int CompareVersions(LPCWSTR a, LPCWSTR b);

// Paths and folders -----------------------------------------------------------------------------

CString GetFileTitle(LPCWSTR path);
CString RenameExtension(LPCWSTR path, LPCWSTR ext);
// The path without its last element; "" when nothing could be removed.
CString GetParentFolder(LPCWSTR path);
CString GetLongPath(LPCWSTR path);
CString GetShortPath(LPCWSTR path);
// Size in bytes, or -1 when there is no such file.
__int64 GetFileSize64(LPCWSTR path);
// 1 when the folder exists afterwards, else 0.
int CreateFolderChain(LPCWSTR path);
CString GetMyVideosFolder(BOOL create);
CString GetModulePath();
CString GetAppFolder();
CString GetUserDataFolder();
CString GetTempFilePath();

// True when 'path' names an existing file (not a folder); false for a null or empty path.
bool IsExistingFile(LPCWSTR path);
// True when 'path' names an existing folder; false for a null or empty path.
bool IsExistingFolder(LPCWSTR path);

// True for a fully qualified path ("C:\..." or "\\server\...") of an existing file (not a folder).
bool IsExistingFilePath(LPCWSTR path);

// Whether anything is at 'path' (PathFileExistsW). The answer for a file on a share that does not
// answer takes the share's time-out: the window's thread leaves the entries of a playlist to the
// load thread to ask about.
bool PathExists(LPCWSTR path);
// What PathExists asks (null: PathFileExistsW again), so that a test can count who asks and what;
// the one it replaces.
typedef BOOL(WINAPI* PathExistsFn)(LPCWSTR path);
PathExistsFn SetPathExistsQuestionForTests(PathExistsFn question);

// A file deleted when the object goes away; with retry, a file still held open by someone else is
// tried again every 100 ms until the budget runs out.
class CTempFile {
public:
    CTempFile();
    explicit CTempFile(LPCWSTR path, BOOL deleteFile = TRUE, BOOL retry = TRUE);
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    void Set(LPCWSTR path, BOOL deleteFile = TRUE, BOOL retry = TRUE);
    const CString& GetPath() const { return m_strPath; }

    // Test only: the retry budget of objects created afterwards (30000 ms otherwise).
    static void SetDefaultRetryBudgetForTests(int ms);

    CString m_strPath;
    int m_nDelete;
    int m_nRetry;
    int m_nRetryBudgetMs;
};

// The shared system icon lists; they belong to the shell and are never destroyed here.
class CSystemImageLists {
public:
    CSystemImageLists();
    virtual ~CSystemImageLists();
    // 1 when both lists were found, else 0.
    int Init();
    HIMAGELIST GetSmallList() const { return m_SmallImages.GetSafeHandle(); }
    HIMAGELIST GetLargeList() const { return m_LargeImages.GetSafeHandle(); }

protected:
    CImageList m_SmallImages;
    CImageList m_LargeImages;
};

class COsVersion {
public:
    COsVersion();
    int Init();
    bool IsVistaOrLater() const;
    int m_nFilled;
    OSVERSIONINFOEXW m_info;
};

// Processes, windows, system ----------------------------------------------------------------------

// Waits, dispatching only 'message' for 'window' (messages sent from elsewhere are still
// delivered), until that message has been dispatched; returns its dispatch result. A WM_QUIT met
// on the way is posted again before returning; a window that is gone ends the wait with 0.
LRESULT PumpUntilMessage(HWND window, UINT message);
// The same, returning once the dispatched message matches the given wParam and lParam (0 means
// not given): both given and matching, or wParam alone matching, return wParam; neither given, or
// only lParam and it matches, return 0.
WPARAM PumpUntilMessageEx(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches 'message' for 'window' as PumpUntilMessage does while 'waiting' holds; 'waiting' is
// asked again after every message and every 100 ms. For a wait whose awaited message a nested wait
// of the same kind (begun by a message sent meanwhile) may take first: this one then ends too.
void PumpMessagesWhile(HWND window, UINT message, const std::function<bool()>& waiting);

// 1 when the system has no message filter, 0 when WM_COPYDATA got through it, else -1.
int AllowCopyDataMessages();
// The result of the power-off call with the shutdown privilege enabled, or 0.
int ShutdownWindows(UINT flags);
int PowerOffComputer();
// 1 when the shell deleted 'path' without an abort, else 0.
int DeleteToRecycleBin(LPCWSTR path, FILEOP_FLAGS flags, HWND window);
// 0 or -1: the INTERNET_SCHEME value, host, path and port; on failure 0 and empty.
int SplitUrl(LPCWSTR url, int& scheme, CString& host, CString& path, int& port);
void SendMailTo(LPCWSTR to, LPCWSTR subject, LPCWSTR body);
void SendSupportMail();

// The maker's name: the parent of each program's data folder and registry key.
extern const wchar_t kMakerName[];
extern const wchar_t kSupportMailAddress[];
extern const wchar_t kProductVersion[];
