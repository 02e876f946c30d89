// CSharedResources: the player's shared fonts, cursor, image lists and tool locations, and its
// answers as toolkit host and engine host.
#include "player/app/SharedResources.h"

#include "engine/SystemHelpers.h"
#include "engine/ToolPaths.h"
#include "framework/App.h"
#include "framework/TextFonts.h"
#include "player/settings/PlayerSettings.h"
#include "toolkit/ThemeSupport.h"

const wchar_t kPlayerProductName[] = L"Lumivo";
const wchar_t kPlayerShellExtensionFileName[] = L"Brackel.dll";

namespace {

CSharedResources* g_resources = nullptr;

const int kHandCursorId = 401;

// The maker's web site, and the player's product page and update feed on it.
const wchar_t kWebSiteUrl[] = L"http://www.tarvelo-software.com/";
const wchar_t kProductPageUrl[] = L"http://www.tarvelo-software.com/lumivo/";
const wchar_t kUpdateFeedUrl[] = L"http://www.tarvelo-software.com/lumivo/update.xml";

}  // namespace

void SetSharedResources(CSharedResources* resources)
{
    g_resources = resources;
    SetToolkitHost(resources);
    SetEngineHost(resources);
}

CSharedResources* GetSharedResources()
{
    return g_resources;
}

CSharedResources::CSharedResources()
    : visualStylesActive(0), handCursor(nullptr), updateFeedUrl(kUpdateFeedUrl),
      productPageUrl(kProductPageUrl)
{
}

CSharedResources::~CSharedResources()
{
    if (handCursor)
        DestroyCursor(handCursor);
}

int CSharedResources::Init()
{
    osVersion.Init();
    CSystemImageLists::Init();
    visualStylesActive = IsVisualStyleActive() ? 1 : 0;
    CreateFonts();
    handCursor = (HCURSOR)LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(kHandCursorId), IMAGE_CURSOR, 0, 0,
                                     LR_DEFAULTSIZE);
    CString tools = GetModulesFolder();
    playToolPath = ToolPath(tools, L"Drumlin.exe");
    probeToolPath = ToolPath(tools, L"Quisset.exe");
    encodeToolPath = ToolPath(tools, L"Velkor.exe");
    presetsFolder = tools + L"\\Presets";
    return 0;
}

void CSharedResources::CreateFonts()
{
    LOGFONTW base = {};
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (!stock || !GetObjectW(stock, sizeof(base), &base)) {
        stock = GetStockObject(SYSTEM_FONT);
        if (!stock || !GetObjectW(stock, sizeof(base), &base))
            base = LOGFONTW();
    }
    if (wcscmp(base.lfFaceName, L"Tahoma") != 0) {
        lstrcpynW(base.lfFaceName, L"Tahoma", LF_FACESIZE);
        base.lfHeight = -11;
    }
    CreateTextFonts(base, normalFont, underlineFont, boldFont);
    LOGFONTW lf = base;
    lf.lfWeight = FW_THIN;
    lf.lfHeight = base.lfHeight + base.lfHeight / 2;
    largeFont.CreateFontIndirect(&lf);
}

// Toolkit host ------------------------------------------------------------------------------------

HCURSOR CSharedResources::GetHandCursor()
{
    return handCursor;
}

CFont* CSharedResources::GetNormalFont()
{
    return &normalFont;
}

CFont* CSharedResources::GetBoldFont()
{
    return &boldFont;
}

CFont* CSharedResources::GetUnderlineFont()
{
    return &underlineFont;
}

CFont* CSharedResources::GetLargeFont()
{
    return &largeFont;
}

CFont* CSharedResources::GetMenuFont()
{
    return &normalFont;
}

void CSharedResources::GetMainWindowRect(int& left, int& top, int& width, int& height)
{
    CPlayerSettings* s = GetPlayerSettings();
    left = s ? s->windowLeft : -1;
    top = s ? s->windowTop : -1;
    width = s ? s->windowWidth : 0;
    height = s ? s->windowHeight : 0;
}

void CSharedResources::SetMainWindowRect(int left, int top, int width, int height)
{
    if (CPlayerSettings* s = GetPlayerSettings()) {
        s->windowLeft = left;
        s->windowTop = top;
        s->windowWidth = width;
        s->windowHeight = height;
    }
}

BOOL CSharedResources::GetAutoCheckUpdate()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->autoCheckUpdate : FALSE;
}

void CSharedResources::SetAutoCheckUpdate(BOOL on)
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->autoCheckUpdate = on ? 1 : 0;
}

int CSharedResources::GetAutoCheckUpdateDays()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->autoCheckUpdateDays : 1;
}

__int64 CSharedResources::GetLastUpdateCheck()
{
    CWinApp* app = AfxGetApp();
    return app ? (__int64)app->GetProfileInt(kSettingsSection, L"LastUpdateCheck", 0) : 0;
}

void CSharedResources::SetLastUpdateCheck(__int64 seconds)
{
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettingsSection, L"LastUpdateCheck", (int)seconds);
}

CString CSharedResources::GetProductName()
{
    return kPlayerProductName;
}

CString CSharedResources::GetProductVersion()
{
    return kProductVersion;
}

CString CSharedResources::GetUpdateFeedUrl()
{
    return updateFeedUrl;
}

CString CSharedResources::GetProductPageUrl()
{
    return productPageUrl;
}

CString CSharedResources::GetWebSiteUrl()
{
    return kWebSiteUrl;
}

CString CSharedResources::GetSupportMailAddress()
{
    return kSupportMailAddress;
}

CString CSharedResources::GetNoticeText()
{
    return L"Lumivo is free software from Tarvelo Software.";
}

CString CSharedResources::GetShellExtensionFileName()
{
    return kPlayerShellExtensionFileName;
}

CString CSharedResources::GetShellExtensionHandlerName()
{
    return L"TarveloSoftware.Lumivo";
}

// Engine host ---------------------------------------------------------------------------------------

CString CSharedResources::GetProbeToolPath()
{
    return probeToolPath;
}

CString CSharedResources::GetEncoderToolPath()
{
    return encodeToolPath;
}

CString CSharedResources::GetPlayerToolPath()
{
    return playToolPath;
}

CString CSharedResources::MakeTempFilePath()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->MakeTempFilePath() : GetTempFilePath();
}

int CSharedResources::GetThumbnailTimeMs()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->thumbnailTime : 1000;
}

int CSharedResources::GetThumbnailWidth()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->GetSessionThumbnailWidth() : DEFAULT_THUMBNAIL_WIDTH;
}

int CSharedResources::GetThumbnailHeight()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->GetSessionThumbnailHeight() : DEFAULT_THUMBNAIL_HEIGHT;
}
