// CConverterEnvironment: the converter's shared resources, tool locations and host answers.
#include "converter/app/ConverterEnvironment.h"

#include "conversion/PresetStore.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/ConverterSettings.h"
#include "converter/dialogs/FileExistsDialog.h"
#include "engine/ToolPaths.h"
#include "framework/App.h"
#include "framework/ImageStrip.h"
#include "framework/TextFonts.h"
#include "toolkit/ThemeSupport.h"

const wchar_t kConverterProductName[] = L"Ravento";
const wchar_t kConverterShellExtensionFileName[] = L"Nordane.dll";

namespace {

CConverterEnvironment* g_environment = nullptr;
CMediaPresetStore* g_presetStore = nullptr;

}  // namespace

void SetConverterEnvironment(CConverterEnvironment* environment)
{
    g_environment = environment;
    SetToolkitHost(environment);
    SetEngineHost(environment);
    SetConvertHost(environment);
}

CConverterEnvironment* GetConverterEnvironment()
{
    return g_environment;
}

void SetConverterPresetStore(CMediaPresetStore* store)
{
    g_presetStore = store;
}

CMediaPresetStore* GetConverterPresetStore()
{
    return g_presetStore;
}

CConverterEnvironment::CConverterEnvironment() : themeState(0), cursor(nullptr), m_fontBase() {}

CConverterEnvironment::~CConverterEnvironment()
{
    if (cursor)
        DestroyCursor(cursor);
    for (HFONT font : m_retiredFonts)
        DeleteObject(font);
}

int CConverterEnvironment::Init()
{
    osVersion.Init();
    if (!CSystemImageLists::Init())
        return -1;
    const CString modules = GetModulesFolder();
    probeToolPath = ToolPath(modules, L"Quisset.exe");
    encoderToolPath = ToolPath(modules, L"Velkor.exe");
    presetsFolder = modules + L"\\Presets";
    if (!cursor)
        cursor = (HCURSOR)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_CONVERTER_HAND), IMAGE_CURSOR, 0,
                                     0, LR_DEFAULTSIZE);
    // Windows drawn before any dialog has made the fonts still get readable text.
    if (!normalFont.GetSafeHandle())
        CreateFonts(nullptr);
    if (CreateImageList(smallImages, 12, ILC_COLOR24 | ILC_MASK, 1, IDB_SIZE_GRIP) != 0 ||
        CreateImageList(formatImages, 16, ILC_COLOR32 | ILC_MASK, 3, IDB_FORMAT_ICONS) != 0 ||
        CreateImageList(typeImages, 32, ILC_COLOR32 | ILC_MASK, 3, IDB_MEDIA_TYPE_ICONS) != 0)
        return -1;
    UpdateThemeState();
    return 0;
}

int CConverterEnvironment::CreateImageList(CImageList& list, int size, UINT flags, int grow, UINT bitmapId)
{
    list.DeleteImageList();
    return LoadImageStrip(list, bitmapId, size, size, flags, 0, grow, IMAGE_STRIP_MASK) ? 0 : -1;
}

int CConverterEnvironment::CreateFonts(CFont* pFont)
{
    LOGFONTW base = {};
    HGDIOBJ source = pFont ? pFont->GetSafeHandle() : nullptr;
    if (!source)
        source = GetStockObject(DEFAULT_GUI_FONT);
    if (!source || !GetObjectW(source, sizeof(base), &base))
        GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(base), &base);
    // The face name's buffer past its end holds whatever the font's maker left there (the dialog
    // manager makes a font per dialog, each with other leftovers): it names nothing, and kept as it
    // came it would make every dialog's font look new and retire five fonts at every opening.
    const size_t faceLength = wcsnlen(base.lfFaceName, LF_FACESIZE);
    if (faceLength < LF_FACESIZE)
        wmemset(base.lfFaceName + faceLength, 0, LF_FACESIZE - faceLength);
    // Every dialog calls this, also one opened over another: fonts that the other's controls
    // still show must not be deleted under them.
    if (normalFont.GetSafeHandle() && memcmp(&base, &m_fontBase, sizeof(base)) == 0)
        return 1;
    CFont* fonts[] = {&normalFont, &boldFont, &underlineFont, &largeFont, &extraLargeFont};
    for (CFont* font : fonts)
        if (font->GetSafeHandle())
            m_retiredFonts.push_back((HFONT)font->Detach());
    m_fontBase = base;

    CreateTextFonts(base, normalFont, underlineFont, boldFont);
    LOGFONTW lf = base;
    lf.lfUnderline = FALSE;
    lf.lfWeight = FW_THIN;
    // An arithmetic shift, so that a negative (character) height grows as a positive one does.
    lf.lfHeight = base.lfHeight + (base.lfHeight >> 1);
    largeFont.CreateFontIndirect(&lf);
    lf.lfHeight = base.lfHeight * 2;
    extraLargeFont.CreateFontIndirect(&lf);
    return 1;
}

void CConverterEnvironment::UpdateThemeState()
{
    themeState = IsVisualStyleActive() ? 1 : 0;
}

// Toolkit host ------------------------------------------------------------------------------------

HCURSOR CConverterEnvironment::GetHandCursor()
{
    return cursor;
}

CFont* CConverterEnvironment::GetNormalFont()
{
    return &normalFont;
}

CFont* CConverterEnvironment::GetBoldFont()
{
    return &boldFont;
}

CFont* CConverterEnvironment::GetUnderlineFont()
{
    return &underlineFont;
}

CFont* CConverterEnvironment::GetLargeFont()
{
    return &largeFont;
}

CFont* CConverterEnvironment::GetMenuFont()
{
    return &normalFont;
}

void CConverterEnvironment::GetMainWindowRect(int& left, int& top, int& width, int& height)
{
    CConverterSettings* s = GetConverterSettings();
    left = s ? s->windowLeft : -1;
    top = s ? s->windowTop : -1;
    // The dialogs keep the size of their templates.
    width = 0;
    height = 0;
}

void CConverterEnvironment::SetMainWindowRect(int left, int top, int width, int height)
{
    (void)width;
    (void)height;
    if (CConverterSettings* s = GetConverterSettings()) {
        s->windowLeft = left;
        s->windowTop = top;
    }
}

BOOL CConverterEnvironment::GetAutoCheckUpdate()
{
    CConverterSettings* s = GetConverterSettings();
    return s ? s->autoCheckUpdate : FALSE;
}

void CConverterEnvironment::SetAutoCheckUpdate(BOOL on)
{
    if (CConverterSettings* s = GetConverterSettings())
        s->autoCheckUpdate = on ? 1 : 0;
}

int CConverterEnvironment::GetAutoCheckUpdateDays()
{
    CConverterSettings* s = GetConverterSettings();
    return s ? s->autoCheckUpdateDays : 1;
}

__int64 CConverterEnvironment::GetLastUpdateCheck()
{
    CWinApp* app = AfxGetApp();
    return app ? (__int64)app->GetProfileInt(kConverterSettingsSection, L"LastUpdateCheck", 0) : 0;
}

void CConverterEnvironment::SetLastUpdateCheck(__int64 seconds)
{
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kConverterSettingsSection, L"LastUpdateCheck", (int)seconds);
}

CString CConverterEnvironment::GetProductName()
{
    return kConverterProductName;
}

CString CConverterEnvironment::GetProductVersion()
{
    return kProductVersion;
}

CString CConverterEnvironment::GetUpdateFeedUrl()
{
    return L"http://www.tarvelo-software.com/ravento/update.xml";
}

CString CConverterEnvironment::GetProductPageUrl()
{
    return L"http://www.tarvelo-software.com/ravento/";
}

CString CConverterEnvironment::GetWebSiteUrl()
{
    return L"http://www.tarvelo-software.com/";
}

CString CConverterEnvironment::GetSupportMailAddress()
{
    return kSupportMailAddress;
}

CString CConverterEnvironment::GetNoticeText()
{
    return L"Ravento is free software from Tarvelo Software.";
}

CString CConverterEnvironment::GetShellExtensionFileName()
{
    return kConverterShellExtensionFileName;
}

CString CConverterEnvironment::GetShellExtensionHandlerName()
{
    return L"TarveloSoftware.Ravento";
}

// Engine host ---------------------------------------------------------------------------------------

CString CConverterEnvironment::GetProbeToolPath()
{
    return probeToolPath;
}

CString CConverterEnvironment::GetEncoderToolPath()
{
    return encoderToolPath;
}

CString CConverterEnvironment::GetPlayerToolPath()
{
    // The converter plays nothing itself: outputs are handed to the player program.
    return CString();
}

CString CConverterEnvironment::MakeTempFilePath()
{
    return GetTempFilePath();
}

int CConverterEnvironment::GetThumbnailTimeMs()
{
    return 1000;
}

int CConverterEnvironment::GetThumbnailWidth()
{
    return 192;
}

int CConverterEnvironment::GetThumbnailHeight()
{
    return 108;
}

// Conversion host -----------------------------------------------------------------------------------

CString CConverterEnvironment::GetPresetsFolder()
{
    return presetsFolder.IsEmpty() ? CConvertHost::GetPresetsFolder() : presetsFolder;
}

CPresetStore* CConverterEnvironment::GetPresetStore()
{
    return g_presetStore;
}

int CConverterEnvironment::GetOverwriteAnswer()
{
    CConverterSettings* s = GetConverterSettings();
    return s ? s->overwrite : FILE_EXISTS_ASK;
}

void CConverterEnvironment::SetOverwriteAnswer(int answer)
{
    if (CConverterSettings* s = GetConverterSettings())
        s->overwrite = answer;
}

int CConverterEnvironment::AskFileExists(LPCWSTR folder, LPCWSTR title, LPCWSTR extension, CString& newName)
{
    CFileExistsDialog dialog;
    dialog.m_strFolder = folder;
    dialog.m_strTitle = title;
    dialog.m_strExtension = extension;
    const int answer = FileExistsAnswerFromResult(dialog.DoModal());
    if (answer == FILE_EXISTS_RENAME || answer == FILE_EXISTS_RENAME_ALL)
        newName = dialog.m_strNewName;
    return answer;
}
