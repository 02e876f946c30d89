// The update check: the feed (update.xml) read over HTTP and compared with the running version,
// automatically at start (at most once per interval, silently) or on the user's command (with a
// progress dialog and messages). Each check runs on a thread of its own, which also shows the
// update dialogs.
//
// Feed: <Updates><Application> with <Version> (required), <Level> (integer), <DownloadURL> (or
// <URL> when it is absent; one of the two required) and <Description>, in which the two
// characters backslash and n stand for a line break. The feed is UTF-8.
#pragma once

#include "framework/String.h"

#include <windows.h>

// Starts an update check: wParam 0, lParam 1 when automatic. Frames and dialogs post it to
// themselves and hand it to HandleStartUpdateCheck.
const UINT WM_START_UPDATE_CHECK = WM_USER + 300;

// Whether a check is due at 'now' after one at 'last' (seconds since 1970): every time for 0
// days; for 1 day on another local calendar date; for more, once whole days since the last check
// reach the interval; never for a negative interval. A last check in the future (a clock set
// back) makes a check due.
bool IsUpdateCheckDue(__int64 now, __int64 last, int days);

// Starts a check on a thread of its own with the host's product name: 1 when an automatic check is
// not due (nothing happens), 0 when one was started, -1 when no thread could be started. Writes
// "LastUpdateCheck" before the check starts.
int StartUpdateCheck(LPCWSTR feedUrl, LPCWSTR currentVersion, int days, BOOL automatic);
// The same with the host's feed address, version and interval.
int StartHostUpdateCheck(BOOL automatic);
// The handler of WM_START_UPDATE_CHECK for frames and dialogs; always 0.
LRESULT HandleStartUpdateCheck(WPARAM wParam, LPARAM lParam);

// One check, from its start to its end on its thread.
class CUpdateChecker {
public:
    // Made on the thread that starts the check (the user interface's); it may end on another.
    CUpdateChecker(LPCWSTR productName, LPCWSTR currentVersion, LPCWSTR feedUrl, BOOL automatic);
    ~CUpdateChecker();
    CUpdateChecker(const CUpdateChecker&) = delete;
    CUpdateChecker& operator=(const CUpdateChecker&) = delete;

    // Checks (behind the progress dialog unless automatic) and tells the user: -1 failure, 0 up to
    // date, 1 newer version available.
    int Run();
    // Fetches the feed and compares: -1 failure, 0 up to date, 1 newer.
    int Check();
    // Download and ParseUpdateXml: 0 or -1.
    int Fetch();
    // The feed as text, decoded from UTF-8: 0, or -1 also for a body longer than kUpdateFeedLimit.
    int Download(CString& text);
    // Takes the newest version, download address, level and description from the feed: 0, or -1
    // with nothing changed.
    int ParseUpdateXml(const CString& text);
    // The address "Download New Version" opens: the feed's when it is a web address, else the
    // product page.
    CString GetDownloadPage() const;
    // Hands "AutoCheckUpdate" to the host on the thread that made this checker: the dialogs that
    // change it run on the check's own thread.
    void SetAutoCheckUpdate(BOOL on);

    CString m_strProductName;
    CString m_strCurrentVersion;
    CString m_strNewestVersion;
    CString m_strDownloadUrl;
    CString m_strDescription;
    int m_nLevel = 0;
    CString m_strFeedUrl;
    BOOL m_bAutomatic;
    // 2 when the user cancelled; the feed's download watches it.
    volatile LONG m_nCancel = 0;

private:
    void Tell(LPCWSTR text, UINT icon);

    // A message-only window of the thread that made the checker, which sets what is posted to it.
    HWND m_hStarterWindow = NULL;
};

// The messages of a manual check.
extern const wchar_t kUpdateFailedText[];
extern const wchar_t kUpdateNewestText[];
// The longest feed read, in bytes; a longer body fails the check.
extern const int kUpdateFeedLimit;
