// CSharedResources: what all windows of the player share (fonts, the hand cursor, the system icon
// lists, the system's version, whether visual styles are in force) and where the three tools are.
// It is the player's toolkit host and engine host.
#pragma once

#include "engine/EngineHost.h"
#include "engine/SystemHelpers.h"
#include "framework/Handles.h"
#include "toolkit/ToolkitHost.h"

class CSharedResources : public CSystemImageLists, public CToolkitHost, public CEngineHost {
public:
    CSharedResources();
    ~CSharedResources() override;
    CSharedResources(const CSharedResources&) = delete;
    CSharedResources& operator=(const CSharedResources&) = delete;

    // Always 0: every piece has a fallback (a tool missing from Modules is found by its bare name).
    int Init();

    COsVersion osVersion;
    CFont normalFont;
    CFont boldFont;
    CFont underlineFont;
    CFont largeFont;
    int visualStylesActive;
    HCURSOR handCursor;
    CString playToolPath;
    CString probeToolPath;
    CString encodeToolPath;
    CString presetsFolder;
    // The maker's update feed and product page; tests point them at a server of their own.
    CString updateFeedUrl;
    CString productPageUrl;

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

private:
    void CreateFonts();
};

// The process-wide pointer the application object sets at its construction; it never owns. The
// same object becomes the toolkit's and the engine's host (null clears all three).
void SetSharedResources(CSharedResources* resources);
CSharedResources* GetSharedResources();

extern const wchar_t kPlayerProductName[];
extern const wchar_t kPlayerShellExtensionFileName[];
