// CConverterEnvironment: what the converter's windows share (fonts, the link cursor, the image
// lists, the system's version and whether visual styles are in force) and where the tools and the
// encoder's presets are. It is the converter's toolkit host, engine host and conversion host, so
// the conversion worker's file-exists prompt is shown from here.
#pragma once

#include "conversion/ConvertHost.h"
#include "engine/EngineHost.h"
#include "engine/SystemHelpers.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"
#include "toolkit/ToolkitHost.h"

#include <vector>

class CMediaPresetStore;
class CPresetStore;

class CConverterEnvironment : public CSystemImageLists, public CToolkitHost, public CEngineHost, public CConvertHost {
public:
    CConverterEnvironment();
    ~CConverterEnvironment() override;
    CConverterEnvironment(const CConverterEnvironment&) = delete;
    CConverterEnvironment& operator=(const CConverterEnvironment&) = delete;

    // 0, or -1 when the system image lists or one of the three image lists cannot be made.
    int Init();
    // The five fonts from a dialog's font (the default GUI font for null); returns 1.
    int CreateFonts(CFont* pFont);
    void UpdateThemeState();

    const CString& GetProbePath() const { return probeToolPath; }
    const CString& GetEncoderPath() const { return encoderToolPath; }
    const CString& GetPresetsPath() const { return presetsFolder; }
    CImageList* GetSmallImages() { return &smallImages; }
    CImageList* GetFormatImages() { return &formatImages; }
    CImageList* GetTypeImages() { return &typeImages; }
    CFont* GetExtraLargeFont() { return &extraLargeFont; }
    HCURSOR GetCursor() const { return cursor; }
    BOOL IsThemed() const { return themeState != 0; }

    COsVersion osVersion;
    // 1 when visual styles are in force.
    int themeState;
    CFont normalFont;
    CFont boldFont;
    CFont underlineFont;
    CFont largeFont;
    CFont extraLargeFont;
    CString probeToolPath;
    CString encoderToolPath;
    CString presetsFolder;
    HCURSOR cursor;
    CImageList smallImages;
    CImageList formatImages;
    CImageList typeImages;

    // CToolkitHost
    HCURSOR GetHandCursor() override;
    CFont* GetNormalFont() override;
    CFont* GetBoldFont() override;
    CFont* GetUnderlineFont() override;
    CFont* GetLargeFont() override;
    CFont* GetMenuFont() override;
    void GetMainWindowRect(int& left, int& top, int& width, int& height) override;
    void SetMainWindowRect(int left, int top, int width, int height) override;
    BOOL GetAutoCheckUpdate() override;
    void SetAutoCheckUpdate(BOOL on) override;
    int GetAutoCheckUpdateDays() override;
    __int64 GetLastUpdateCheck() override;
    void SetLastUpdateCheck(__int64 seconds) override;
    CString GetProductName() override;
    CString GetProductVersion() override;
    CString GetUpdateFeedUrl() override;
    CString GetProductPageUrl() override;
    CString GetWebSiteUrl() override;
    CString GetSupportMailAddress() override;
    CString GetNoticeText() override;
    CString GetShellExtensionFileName() override;
    CString GetShellExtensionHandlerName() override;

    // CEngineHost
    CString GetProbeToolPath() override;
    CString GetEncoderToolPath() override;
    CString GetPlayerToolPath() override;
    CString MakeTempFilePath() override;
    int GetThumbnailTimeMs() override;
    int GetThumbnailWidth() override;
    int GetThumbnailHeight() override;

    // CConvertHost
    CString GetPresetsFolder() override;
    CPresetStore* GetPresetStore() override;
    int GetOverwriteAnswer() override;
    void SetOverwriteAnswer(int answer) override;
    int AskFileExists(LPCWSTR folder, LPCWSTR title, LPCWSTR extension, CString& newName) override;

private:
    LOGFONTW m_fontBase;
    std::vector<HFONT> m_retiredFonts;
    int CreateImageList(CImageList& list, int size, UINT flags, int grow, UINT bitmapId);
};

// The process-wide pointers the application object sets at its construction; they never own.
// The environment also becomes the toolkit's, the engine's and the conversion's host (null
// clears all four).
void SetConverterEnvironment(CConverterEnvironment* environment);
CConverterEnvironment* GetConverterEnvironment();
void SetConverterPresetStore(CMediaPresetStore* store);
CMediaPresetStore* GetConverterPresetStore();

extern const wchar_t kConverterProductName[];
extern const wchar_t kConverterShellExtensionFileName[];
