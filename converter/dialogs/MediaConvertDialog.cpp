// CMediaConvertDialog: what the converter, the Audio Extractor and the Animated GIF Maker do alike;
// the job's status as its listener reports it is in MediaConvertDialogStatus.cpp.
#include "converter/dialogs/MediaConvertDialog.h"

#include <shlwapi.h>

#include "conversion/MediaPreset.h"
#include "conversion/OutputNaming.h"
#include "conversion/PresetStore.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterMessages.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/ConverterSettings.h"
#include "converter/dialogs/SourceLoad.h"
#include "converter/kit/ConverterHelpers.h"
#include "converter/kit/FolderBrowser.h"
#include "converter/presets/PresetManagerDialog.h"
#include "engine/EncoderTool.h"
#include "engine/MediaValueTexts.h"
#include "engine/SystemHelpers.h"
#include "framework/CmdUI.h"
#include "framework/Ddx.h"
#include "framework/Effects.h"
#include "framework/FileDialog.h"
#include "framework/ImageStrip.h"
#include "framework/Thread.h"
#include "toolkit/MemoryDC.h"
#include "toolkit/OCFileDialog.h"
#include "toolkit/UpdateCheck.h"

// CMediaConvertDialog -----------------------------------------------------------------------------

namespace {

const UINT kSharedRunningIds[] = {IDC_SOURCE,      IDC_BROWSE_SOURCE, IDC_DESTINATION,   IDC_BROWSE_FOLDER,
                                  IDC_SAVE_TO_SOURCE, IDC_CUT,        IDC_CUT_START_LABEL, IDC_CUT_START,
                                  IDC_CUT_STOP_LABEL, IDC_CUT_STOP,   IDC_CUT_RESET};
const UINT kFormatIds[] = {IDC_FORMAT_LIST, IDC_PRESET_LIST, IDC_FORMAT_ADVANCED};
const UINT kCutIds[] = {IDC_CUT_START_LABEL, IDC_CUT_START, IDC_CUT_STOP_LABEL, IDC_CUT_STOP, IDC_CUT_RESET};

// The bottom band behind the buttons, the status icon and the status bar.
const COLORREF kBottomBandColor = RGB(0xE0, 0xE0, 0xE0);

}  // namespace

const UINT CMediaConvertDialog::kVideoTrackIds[3] = {IDC_VIDEO_TRACK_GROUP, IDC_VIDEO_TRACK_LABEL, IDC_VIDEO_TRACK};
const UINT CMediaConvertDialog::kAudioTrackIds[3] = {IDC_AUDIO_TRACK_GROUP, IDC_AUDIO_TRACK_LABEL, IDC_AUDIO_TRACK};
const UINT CMediaConvertDialog::kSubtitleTrackIds[3] = {IDC_SUBTITLE_TRACK_GROUP, IDC_SUBTITLE_TRACK_LABEL,
                                                        IDC_SUBTITLE_TRACK};

BEGIN_MESSAGE_MAP(CMediaConvertDialog, CConversionDialog)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_DROPFILES()
    ON_WM_CONTEXTMENU()
    ON_WM_SYSCOMMAND()
    ON_WM_INITMENUPOPUP()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_HSCROLL()
    ON_MESSAGE(WM_WORKER_DONE, OnWorkerDone)
    ON_MESSAGE(WM_LISTENER_CALL, OnListenerCall)
    ON_MESSAGE(WM_SOURCE_PROBED, OnSourceProbed)
    ON_MESSAGE(WM_SOURCE_LOADED, OnSourceLoaded)
    ON_MESSAGE(WM_START_UPDATE_CHECK, OnStartUpdateCheck)
    ON_BN_CLICKED(IDC_START, OnStart)
    ON_BN_CLICKED(IDC_STOP, OnStop)
    ON_BN_CLICKED(IDC_BROWSE_SOURCE, OnBrowseSource)
    ON_BN_CLICKED(IDC_BROWSE_FOLDER, OnBrowseFolder)
    ON_BN_CLICKED(IDC_OPEN_FOLDER, OnOpenFolder)
    ON_BN_CLICKED(IDC_PLAY_SOURCE, OnPlaySource)
    ON_BN_CLICKED(IDC_PLAY_OUTPUT, OnPlayOutput)
    ON_BN_CLICKED(IDC_CUT, OnCutClicked)
    ON_BN_CLICKED(IDC_CUT_RESET, OnCutReset)
    ON_BN_CLICKED(IDC_SAVE_TO_SOURCE, OnSaveToSourceClicked)
    ON_BN_CLICKED(IDC_ROTATE, OnRotateClicked)
    ON_BN_CLICKED(IDC_CHANGE_VOLUME, OnChangeVolumeClicked)
    ON_UPDATE_COMMAND_UI(IDC_OPEN_FOLDER, OnUpdateOpenFolder)
    ON_UPDATE_COMMAND_UI(IDC_PLAY_OUTPUT, OnUpdatePlayOutput)
    ON_UPDATE_COMMAND_UI(IDC_START, OnUpdateStart)
    ON_NOTIFY(TBN_DROPDOWN, IDC_MAIN_TOOLBAR, OnToolBarDropDown)
    ON_COMMAND(ID_AUTO_PLAY, OnToggleAutoPlay)
    ON_COMMAND(ID_AUTO_OPEN_FOLDER, OnToggleAutoOpenFolder)
    ON_COMMAND(ID_AUTO_CLOSE, OnToggleAutoClose)
    ON_COMMAND(ID_AUTO_SHUTDOWN, OnToggleAutoShutdown)
    ON_COMMAND(ID_FORMATS_SETTINGS, OnFormatsSettings)
    ON_UPDATE_COMMAND_UI(ID_AUTO_PLAY, OnUpdateAutoPlay)
    ON_UPDATE_COMMAND_UI(ID_AUTO_OPEN_FOLDER, OnUpdateAutoOpenFolder)
    ON_UPDATE_COMMAND_UI(ID_AUTO_CLOSE, OnUpdateAutoClose)
    ON_UPDATE_COMMAND_UI(ID_AUTO_SHUTDOWN, OnUpdateAutoShutdown)
END_MESSAGE_MAP()

CMediaConvertDialog::CMediaConvertDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CConversionDialog(nIDTemplate, pParentWnd),
      m_bSaveToSource(GetConverterSettings() ? GetConverterSettings()->sameAsInput : 1),
      m_bCut(0),
      m_nCutStart(0),
      m_nCutStop(-1),
      m_bAutoShutdown(0),
      m_bAutoStart(0),
      m_nPendingVideo(-1),
      m_nPendingAudio(-1),
      m_nPendingSubtitle(-1),
      m_nOutputKind(JOB_KIND_VIDEO),
      m_crBackground(RGB(0xF0, 0xF0, 0xF0)),
      m_bClosing(false),
      m_nLastLoad(0),
      m_nProbeLoad(0),
      m_nPictureLoad(0),
      m_bStartWhenProbed(false),
      m_bCutAsGiven(false)
{
    if (CConverterSettings* s = GetConverterSettings()) {
        m_strFormatKey = s->formatKey;
        m_strPresetName = s->presetName;
    }
}

CMediaConvertDialog::~CMediaConvertDialog()
{
    // Their records go with the dialog.
    StopSourceLoads();
}

void CMediaConvertDialog::TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart)
{
    if (!options.source.IsEmpty())
        m_strSource = options.source;
    if (!options.formatKey.IsEmpty())
        TakeFormatKey(options.formatKey);
    if (!options.folder.IsEmpty())
        m_strFolder = options.folder;
    bool cut = false;
    if (options.startTime > 0) {
        m_nCutStart = options.startTime;
        cut = true;
    }
    if (options.stopTime > 0) {
        m_nCutStop = options.stopTime;
        cut = true;
    }
    if (cut) {
        m_bCut = 1;
        m_bCutAsGiven = true;
    }
    // Without a source of its own the dialog never starts by itself, nor into a format other than
    // the one asked for.
    m_bAutoStart = !options.source.IsEmpty() && autoStart && m_strUnknownFormat.IsEmpty() ? 1 : 0;
    // Probing takes longer than making the window: the source's probe starts now, and the window
    // takes its report when it is there (OnInitDialog).
    if (!options.source.IsEmpty() && !m_hWnd) {
        CString source = m_strSource;
        source.Trim();
        AbandonSourceLoad();
        m_nProbeLoad = StartSourceLoad(source);
    }
}

void CMediaConvertDialog::TakeFormatKey(const CString& key)
{
    // Looked up now: a key the lists do not show would otherwise fall back to their first format.
    CPresetStore* store = GetStore();
    if (!store || store->FindFormat(key))
        m_strFormatKey = key;
    else
        m_strUnknownFormat = key;
}

int CMediaConvertDialog::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CAppIconDialog::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_backgroundBrush.CreateSolidBrush(m_crBackground);
    const DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                        CCS_NOPARENTALIGN;
    if (!m_toolBar.Create(style, CRect(0, 0, 40, 28), this, IDC_MAIN_TOOLBAR))
        return -1;
    if (!LoadImageStrip(m_toolBarImages, IDB_MENU_BUTTON, 28, 20, ILC_COLOR32 | ILC_MASK, 1, 1, IMAGE_STRIP_MASK))
        return -1;
    m_toolBar.SetImageList(&m_toolBarImages);
    if (!m_toolBar.LoadToolBar(IDR_MAIN_TOOLBAR)) {
        TBBUTTON menuButton = {};
        menuButton.iBitmap = 0;
        menuButton.idCommand = ID_MENU_BUTTON;
        menuButton.fsState = TBSTATE_ENABLED;
        menuButton.fsStyle = BTNS_BUTTON;
        m_toolBar.SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
        m_toolBar.AddButtons(1, &menuButton);
    }
    m_toolBar.SetImageList(&m_toolBarImages);
    m_toolBar.SetBitmapSize(CSize(28, 20));
    m_toolBar.SetExtendedStyle(m_toolBar.GetExtendedStyle() | TBSTYLE_EX_DRAWDDARROWS);
    m_toolBar.SetButtonStyleBits(ID_MENU_BUTTON, BTNS_WHOLEDROPDOWN);
    if (!LoadImageStrip(m_markers, IDB_LABEL_MARKER, 12, 12, ILC_COLOR32 | ILC_MASK, 1, 1, IMAGE_STRIP_MASK) ||
        !LoadImageStrip(m_statusImages, IDB_STATUS_ICONS, 24, 24, ILC_COLOR32 | ILC_MASK, 6, 4, IMAGE_STRIP_MASK))
        return -1;
    HINSTANCE instance = AfxGetResourceHandle();
    HRSRC arrow = FindResourceW(instance, MAKEINTRESOURCEW(IDR_DOWN_ARROW), L"PNG");
    if (!arrow || !m_arrow.LoadResource(arrow, 4, instance))
        return -1;
    return 0;
}

BOOL CMediaConvertDialog::OnInitDialog()
{
    CAppIconDialog::OnInitDialog();
    GetWindowText(m_strCaption);
    CConverterSettings* settings = GetConverterSettings();
    if (settings && settings->windowLeft != -1 && settings->windowTop != -1)
        PlaceAt(settings->windowLeft, settings->windowTop);
    if (CMenu* system = GetSystemMenu(FALSE)) {
        system->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_ALWAYS_ON_TOP, L"Always On Top");
        system->InsertMenu(1, MF_BYPOSITION | MF_SEPARATOR);
    }
    m_startEdit.SubclassDlgItem(IDC_CUT_START, this);
    m_stopEdit.SubclassDlgItem(IDC_CUT_STOP, this);
    LayoutBottomBand();

    static const ControlTip tips[] = {
        {IDC_SOURCE, L"Please click '...' button to choose a source file"},
        {IDC_BROWSE_SOURCE, L"Choose source file"},
        {IDC_CUT_RESET, L"Reset time range"},
        {IDC_PLAY_SOURCE, L"Play source file"},
        {IDC_BROWSE_FOLDER, L"Choose a folder as destination folder"},
        {IDC_OPEN_FOLDER, L"Open destination folder"},
        {IDC_OUTPUT_NAME, L"Automatically generate file name"},
    };
    AddControlTips(tips);
    AddOwnTips();

    m_statusIcon.SubclassDlgItem(IDC_STATUS_ICON, this);
    m_statusIcon.SetBkColor(kBottomBandColor);
    m_statusIcon.SetImageList(&m_statusImages, -1);

    m_folderCombo.SubclassDlgItem(IDC_DESTINATION, this);
    m_folderCombo.DragAcceptFiles(TRUE);
    if (CConverterEnvironment* environment = GetConverterEnvironment())
        m_folderCombo.SetImageList(CImageList::FromHandle(environment->GetSmallList()));
    if (settings)
        m_folderCombo.SetRecentList(&settings->recentFolders, L"Clear Recent List");
    if (!m_strFolder.IsEmpty())
        m_folderCombo.SetPath(m_strFolder, FALSE);
    else if (m_folderCombo.GetCount() == 0)
        m_folderCombo.SetPath(GetMyVideosFolder(FALSE), FALSE);
    else
        m_folderCombo.SetCurSel(0);
    m_strFolder = m_folderCombo.GetEditText();
    DragAcceptFiles(TRUE);

    FillTemplateLists();
    UpdateData(FALSE);
    if (!m_strUnknownFormat.IsEmpty()) {
        CString message;
        message.Format(L"Unknown output format:\n%s", m_strUnknownFormat.GetString());
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
    }
    if (!m_strSource.IsEmpty()) {
        // The command line's source is being probed since before the window was made.
        CSourceLoad* early = FindLoad(m_nProbeLoad);
        CString source = m_strSource;
        source.Trim();
        if (early && !early->notify && early->path == source)
            ShowSourceLoad(*early);
        else
            CheckSourceMedia(m_strSource);
    }
    EnableControls(false);
    if (settings)
        SetAlwaysOnTop(settings->alwaysOnTop);
    if (settings && settings->autoCheckUpdate)
        PostMessage(WM_START_UPDATE_CHECK, 0, 1);
    if (m_bAutoStart && !m_strSource.IsEmpty() && (!GetDestinationFolder().IsEmpty() || m_bSaveToSource))
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    // The start button has the focus (EnableControls): the dialog manager must not move it to
    // the first control.
    return FALSE;
}

void CMediaConvertDialog::PlaceAt(int left, int top)
{
    CRect window;
    GetWindowRect(&window);
    if (!IsSavedPlaceUsable(left, top, window.Width(), window.Height())) {
        // Saved on a monitor that is gone, or too far off one to take it by its caption: the user
        // could not reach it there. The primary monitor shows it.
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        const POINT origin = {0, 0};
        CRect work(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        if (GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info))
            work = info.rcWork;
        left = work.left + (work.Width() - window.Width()) / 2;
        top = work.top + (work.Height() - window.Height()) / 2;
    }
    SetWindowPos(nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMediaConvertDialog::LayoutBottomBand()
{
    CRect client;
    GetClientRect(&client);
    const int bandTop = client.bottom - kBottomBand;
    const int middle = bandTop + kBottomBand / 2;
    auto Center = [&](UINT id) -> CRect {
        CRect r(0, 0, 0, 0);
        if (CWnd* w = GetDlgItem((int)id)) {
            w->GetWindowRect(&r);
            ScreenToClient(&r);
            const int h = r.Height();
            r.top = middle - h / 2;
            r.bottom = r.top + h;
            w->MoveWindow(&r);
        }
        return r;
    };
    Center(IDC_START);
    CRect stop = Center(IDC_STOP);
    CRect close = Center(IDCANCEL);
    if (CWnd* start = GetDlgItem(IDC_START)) {
        if (CConverterEnvironment* environment = GetConverterEnvironment())
            start->SetFont(environment->GetBoldFont());
        CRect s;
        start->GetWindowRect(&s);
        ScreenToClient(&s);
        // Start and stop share one place.
        if (CWnd* stopButton = GetDlgItem(IDC_STOP))
            stopButton->MoveWindow(&s);
        stop = s;
    }
    const int closeMiddle = close.top + close.Height() / 2;
    CRect icon(kSidePanel + 8, closeMiddle - 12, kSidePanel + 8 + 24, closeMiddle + 12);
    if (CWnd* w = GetDlgItem(IDC_STATUS_ICON))
        w->MoveWindow(&icon);
    CRect place(icon.right + 6, closeMiddle - 11, stop.left - 8, closeMiddle + 11);
    if (CWnd* old = GetDlgItem(IDC_STATUS_BAR)) {
        CRect r;
        old->GetWindowRect(&r);
        ScreenToClient(&r);
        place.left = r.left;
        place.right = r.right;
        old->DestroyWindow();
    }
    if (!m_statusBar.m_hWnd)
        m_statusBar.Create(WS_CHILD, place, this, IDC_STATUS_BAR);
    else
        m_statusBar.MoveWindow(&place);
    CSize buttons = m_toolBar.GetButtonSize();
    if (buttons.cx <= 0 || buttons.cy <= 0)
        buttons = CSize(36, 28);
    m_toolBar.MoveWindow(8, middle - buttons.cy / 2, buttons.cx + 2, buttons.cy);
}

void CMediaConvertDialog::OnDestroy()
{
    m_bClosing = true;
    StopJob();
    StopSourceLoads();
    CRect window;
    GetWindowRect(&window);
    if (!IsIconic() && window.Width() > 0 && window.Height() > 0)
        if (CConverterSettings* s = GetConverterSettings()) {
            s->windowLeft = window.left;
            s->windowTop = window.top;
        }
    Default();
}

void CMediaConvertDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CMediaConvertDialog::OnOK()
{
    // Enter is not a way out of the dialog.
}

void CMediaConvertDialog::DoDataExchange(CDataExchange* pDX)
{
    CConversionDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SOURCE, m_strSource);
    DDX_Check(pDX, IDC_SAVE_TO_SOURCE, m_bSaveToSource);
    DDX_Check(pDX, IDC_CUT, m_bCut);
    DDX_Time(pDX, IDC_CUT_START, m_nCutStart);
    DDX_Time(pDX, IDC_CUT_STOP, m_nCutStop);
    if (pDX->m_bSaveAndValidate)
        m_strFolder = GetDestinationFolder();
}

CString CMediaConvertDialog::GetDestinationFolder()
{
    CString folder = m_folderCombo.m_hWnd ? m_folderCombo.GetEditText() : m_strFolder;
    folder.Trim();
    return folder;
}

// Source ------------------------------------------------------------------------------------------------

int CMediaConvertDialog::CheckSourceMedia(LPCWSTR path)
{
    // The job's source is the running worker's until it ends.
    if (IsJobRunning() || !m_hWnd)
        return -1;
    CString source(path ? path : L"");
    source.Trim();
    AbandonSourceLoad();
    m_bStartWhenProbed = false;
    CSourceLoad* load = FindLoad(StartSourceLoad(source));
    if (!load) {
        Job.ResetForReconvert();
        RefuseSource(source);
        return -1;
    }
    ShowSourceLoad(*load);
    return 0;
}

int CMediaConvertDialog::StartSourceLoad(const CString& source)
{
    std::unique_ptr<CSourceLoad> load(new CSourceLoad);
    if (!load->Start(m_nLastLoad + 1, source))
        return 0;
    const int id = ++m_nLastLoad;
    m_loads.push_back(std::move(load));
    return id;
}

void CMediaConvertDialog::ShowSourceLoad(CSourceLoad& load)
{
    // What the dialog showed of the last source goes with the job's record of it.
    Job.ResetForReconvert();
    Job.SourceDurationText.Empty();
    Job.SourceSizeText.Empty();
    Job.OutputDurationText.Empty();
    Job.OutputSizeText.Empty();
    m_strSource = load.path;
    SetDlgItemText(IDC_SOURCE, load.path);
    m_nProbeLoad = load.id;
    load.notify = m_hWnd;
    ::SetEvent(load.ready);
    RedrawSidePanel();
}

CSourceLoad* CMediaConvertDialog::FindLoad(int id) const
{
    for (const std::unique_ptr<CSourceLoad>& load : m_loads)
        if (load->id == id)
            return load.get();
    return nullptr;
}

void CMediaConvertDialog::AbandonSourceLoad()
{
    for (int id : {m_nProbeLoad, m_nPictureLoad})
        if (CSourceLoad* load = FindLoad(id)) {
            // Its end still comes to the window, which then lets the record go.
            if (!load->notify)
                load->notify = m_hWnd;
            load->Stop();
        }
    m_nProbeLoad = 0;
    m_nPictureLoad = 0;
}

void CMediaConvertDialog::StopSourceLoads()
{
    m_nProbeLoad = 0;
    m_nPictureLoad = 0;
    m_bStartWhenProbed = false;
    for (const std::unique_ptr<CSourceLoad>& load : m_loads)
        load->Stop();
    for (const std::unique_ptr<CSourceLoad>& load : m_loads)
        WaitDelivering(load->thread);
    m_loads.clear();
}

void CMediaConvertDialog::ShowBeforeSaying()
{
    if (m_hWnd && !IsWindowVisible())
        ShowWindow(SW_SHOWNORMAL);
}

void CMediaConvertDialog::RefuseSource(const CString& path)
{
    SetDlgItemText(IDC_SOURCE, L"");
    m_strSource.Empty();
    RedrawSidePanel();
    CString message;
    message.Format(L"\"%s\"\n\nis not a valid video or audio file.", path.GetString());
    AfxMessageBox(message, MB_OK | MB_ICONWARNING);
}

LRESULT CMediaConvertDialog::OnSourceProbed(WPARAM wParam, LPARAM)
{
    const int id = (int)wParam;
    CSourceLoad* load = FindLoad(id);
    if (!load || id != m_nProbeLoad || m_bClosing)
        return 0;
    m_nProbeLoad = 0;
    ShowBeforeSaying();
    const CString source = load->path;
    if (load->probed != 0) {
        m_bStartWhenProbed = false;
        RefuseSource(source);
        return 0;
    }
    Job.TakeSource(load->item);
    // The picture, when the source has one, comes when the worker ends.
    m_nPictureLoad = id;
    const int last = m_nLastLoad;
    // A warning's message box lets other messages in: the worker's end, even another source.
    CheckMedia(source);
    if (m_nLastLoad != last || m_bClosing)
        return 0;
    m_strSource = source;
    SetDlgItemText(IDC_SOURCE, source);
    UpdateSourceInfo();
    if (m_bStartWhenProbed) {
        m_bStartWhenProbed = false;
        OnStart();
    }
    return 0;
}

LRESULT CMediaConvertDialog::OnSourceLoaded(WPARAM wParam, LPARAM)
{
    const int id = (int)wParam;
    for (auto it = m_loads.begin(); it != m_loads.end(); ++it) {
        if ((*it)->id != id)
            continue;
        if (id == m_nPictureLoad) {
            m_nPictureLoad = 0;
            if (!m_bClosing && (*it)->picture.IsValid()) {
                Job.TakeSourceThumbnail((*it)->picture);
                RedrawSidePanel();
            }
        }
        m_loads.erase(it);
        break;
    }
    return 0;
}

CString CMediaConvertDialog::TimeText(__int64 ms) const
{
    return FormatTimeMs(ms, FALSE, TRUE, TRUE);
}

void CMediaConvertDialog::UpdateSourceInfo()
{
    Job.SourceDurationText.Empty();
    Job.SourceSizeText.Empty();
    Job.OutputDurationText.Empty();
    Job.OutputSizeText.Empty();
    const __int64 durationUs = Job.Source.MediaInfo.DurationInUs;
    if (durationUs > 0)
        Job.SourceDurationText = TimeText(durationUs / 1000);
    const __int64 size = Job.Source.Size > 0 ? Job.Source.Size : Job.Source.MediaInfo.Size;
    if (size > 0)
        Job.SourceSizeText.Format(L"%s KB", FormatInt64Grouped((size + 1023) / 1024).GetString());
    if (IsDlgButtonChecked(IDC_SAVE_TO_SOURCE) == BST_CHECKED)
        m_folderCombo.SetPath(GetParentFolder(m_strSource), FALSE);
    if (m_pSelectedFormat) {
        CString name;
        name.Format(L"%s%s", GetFileTitle(m_strSource).GetString(), m_pSelectedFormat->Extension.GetString());
        SetDlgItemText(IDC_OUTPUT_NAME, name);
    }
    RedrawSidePanel();
    FillTrackLists();
}

void CMediaConvertDialog::UpdateOutputInfo()
{
    Job.OutputDurationText.Empty();
    Job.OutputSizeText.Empty();
    const __int64 durationUs = Job.Target.MediaInfo.DurationInUs;
    if (durationUs > 0)
        Job.OutputDurationText = TimeText(durationUs / 1000);
    if (Job.Target.Size > 0)
        Job.OutputSizeText.Format(L"%s KB", FormatInt64Grouped((Job.Target.Size + 1023) / 1024).GetString());
    RedrawSidePanel();
}

int CMediaConvertDialog::UpdateMediaKind()
{
    if (!m_pSelectedFormat)
        return -1;
    int kind = m_pSelectedFormat->GetMedia();
    const bool videoOff = m_pSelectedPreset && (m_pSelectedPreset->Settings.Video.Flags & PRESET_STREAM_OFF);
    if (kind == JOB_KIND_VIDEO && videoOff)
        kind = JOB_KIND_AUDIO;
    m_nOutputKind = kind;
    RedrawSidePanel();
    return kind;
}

void CMediaConvertDialog::CheckCutAgainstDuration()
{
    const __int64 duration = Job.Source.MediaInfo.GetDurationMs();
    if (m_bCutAsGiven) {
        // Quietly rewritten, it would convert something other than what was asked.
        m_bCutAsGiven = false;
        if (m_nCutStop <= 0 || m_nCutStop > duration)
            m_nCutStop = duration;
    } else {
        if (m_nCutStart < 0 || m_nCutStart >= duration)
            m_nCutStart = 0;
        if (m_nCutStop <= m_nCutStart || m_nCutStop > duration)
            m_nCutStop = duration;
    }
    if (m_startEdit.m_hWnd)
        m_startEdit.SetTime(m_nCutStart);
    if (m_stopEdit.m_hWnd)
        m_stopEdit.SetTime(m_nCutStop);
}

CString CMediaConvertDialog::TrackText(int number, const CMediaStream* stream)
{
    CString text;
    if (stream && !stream->Language.IsEmpty())
        text.Format(L"Track #%d - [%s]", number, stream->Language.GetString());
    else
        text.Format(L"Track #%d", number);
    return text;
}

int CMediaConvertDialog::FillTrackList(UINT id, const CMediaStreamList& streams, LPCWSTR none, int type,
                                       bool hasDisable, int& pending)
{
    CComboBox* combo = ComboOf(id);
    combo->ResetContent();
    int row = kAutoRow;
    if (streams.IsEmpty()) {
        combo->AddString(none);
    } else {
        combo->AddString(L"Auto");
        if (hasDisable)
            combo->AddString(L"Disable");
        for (INT_PTR i = 0; i < streams.GetSize(); ++i)
            combo->AddString(TrackText((int)i + 1, streams[i]));
        row = PendingRow(pending, type, hasDisable);
        pending = MEDIA_SELECT_AUTO;
    }
    combo->SetCurSel(row);
    return row;
}

int CMediaConvertDialog::PendingRow(int pending, int type, bool hasDisable) const
{
    // Without "Disable" a disabled stream is "Auto" too.
    if (pending == MEDIA_SELECT_NONE)
        return hasDisable ? kDisableRow : kAutoRow;
    const CMediaStream* stream = Job.Source.MediaInfo.GetStream(pending);
    if (stream && stream->Type == type)
        return FirstTrackRow(hasDisable) + Job.Source.MediaInfo.GetStreamTypeIndex(pending);
    return kAutoRow;
}

int CMediaConvertDialog::TrackOfRow(int row, bool hasDisable, int count)
{
    if (hasDisable && row == kDisableRow)
        return MEDIA_SELECT_NONE;
    const int first = FirstTrackRow(hasDisable);
    if (row >= first && row - first < count)
        return row - first;
    return MEDIA_SELECT_AUTO;
}

void CMediaConvertDialog::SaveFormatChoice() const
{
    if (CConverterSettings* s = GetConverterSettings()) {
        s->formatKey = m_strFormatKey;
        s->presetName = m_strPresetName;
        s->sameAsInput = m_bSaveToSource ? 1 : 0;
    }
}

void CMediaConvertDialog::FillSharedJobOptions(CJobOutputSettings& options) const
{
    options.Reset();
    options.FormatKey = m_strFormatKey;
    options.PresetName = m_strPresetName;
    if (m_bSaveToSource)
        options.Flags |= JOB_OUTPUT_TO_SOURCE_FOLDER;
    options.DestinationFolder = m_strFolder;
    if (m_bCut) {
        if (m_nCutStart > 0)
            options.TrimStart = (int)m_nCutStart;
        if (m_nCutStop > 0)
            options.TrimEnd = (int)m_nCutStop;
        if (options.TrimEnd > 0 && options.TrimStart >= options.TrimEnd) {
            options.TrimStart = 0;
            options.TrimEnd = -1;
        }
    }
}

// Start and stop -----------------------------------------------------------------------------------

void CMediaConvertDialog::OnStart()
{
    if (IsJobRunning())
        return;
    ShowBeforeSaying();
    if (ApplySelection() != 0)
        return;
    // Blanks typed around a path are no part of it, for the probe and the check alike.
    const CString typed = m_strSource;
    m_strSource.Trim();
    if (typed != m_strSource)
        SetDlgItemText(IDC_SOURCE, m_strSource);
    // A job runs only on a source whose probe is in, and of the file as it is now: a typed path,
    // or a file written since its probe, is probed first, and the start waits for the probe (which
    // ends it with its message when the file is no media file).
    const CSourceLoad* probing = m_nProbeLoad ? FindLoad(m_nProbeLoad) : nullptr;
    const bool known = probing ? probing->path.CompareNoCase(m_strSource) == 0 : Job.Source.IsProbeOf(m_strSource);
    if (!known && IsExistingFile(m_strSource))
        CheckSourceMedia(m_strSource);
    else if (!known && probing)
        AbandonSourceLoad();
    if (IsProbingSource()) {
        m_bStartWhenProbed = true;
        return;
    }
    if (!IsExistingFile(m_strSource)) {
        AfxMessageBox(L"Source file doesn't exist!", MB_OK | MB_ICONWARNING);
        return;
    }
    CWnd* start = GetDlgItem(IDC_START);
    if (start)
        start->EnableWindow(FALSE);
    StartConversion();
    if (start)
        start->EnableWindow(TRUE);
}

int CMediaConvertDialog::CheckCut()
{
    if (!m_bCut)
        return 0;
    const __int64 duration = Job.Source.MediaInfo.GetDurationMs();
    LPCWSTR problem = nullptr;
    // A start past the end has the stop at the end behind it when the stop came back there.
    const bool pastEnd = duration > 0 && m_nCutStart >= duration;
    if (m_nCutStart >= m_nCutStop && !(pastEnd && m_nCutStop == duration))
        problem = L"Start time must be before stop time!";
    else if (pastEnd)
        problem = L"Start time is past the end of the source!";
    if (!problem)
        return 0;
    AfxMessageBox(problem, MB_OK | MB_ICONWARNING);
    return -1;
}

int CMediaConvertDialog::StartConversion()
{
    // Nothing of a cut the user cannot have meant is quietly dropped.
    if (CheckCut() != 0)
        return -1;
    const CString folder = GetDestinationFolder();
    if (IsDlgButtonChecked(IDC_SAVE_TO_SOURCE) != BST_CHECKED) {
        if (folder.IsEmpty()) {
            AfxMessageBox(L"You must choose a destination folder!", MB_OK | MB_ICONWARNING);
            return -1;
        }
        if (!CreateFolderChain(folder)) {
            CString message;
            message.Format(L"Cannot find or create folder:\n%s", folder.GetString());
            AfxMessageBox(message, MB_OK | MB_ICONWARNING);
            return -1;
        }
    }
    m_strFolder = folder;
    Job.Output.Reset();
    if (FillJobOptions(Job.Output) != 0)
        return -1;
    Job.Source.Path = m_strSource;
    UpdateMediaKind();
    if (CWnd* play = GetDlgItem(IDC_PLAY_OUTPUT))
        play->EnableWindow(FALSE);
    Job.OutputDurationText.Empty();
    Job.OutputSizeText.Empty();
    Job.ProgressText.Empty();
    RedrawSidePanel();
    SetProgress(0, 100, 0);
    EnableControls(true);
    if (CMediaJobListener::StartJob(m_hWnd) != 0) {
        // No worker: nothing will end the job, so the dialog is idle again at once.
        EnableControls(false);
        // Shown as a job that failed for no reason of its own is.
        ShowStatusIcon(240);
        ShowStatusText(L"Failed", L"");
        return -1;
    }
    return 0;
}

void CMediaConvertDialog::OnStop()
{
    StopConversion();
}

void CMediaConvertDialog::StopConversion()
{
    CWnd* stop = GetDlgItem(IDC_STOP);
    if (stop) {
        stop->EnableWindow(FALSE);
        stop->SetWindowText(L"Stopping");
    }
    StopJob();
    Job.ProgressText.Empty();
    if (stop) {
        stop->SetWindowText(L"Stop");
        stop->EnableWindow(TRUE);
    }
}

LRESULT CMediaConvertDialog::OnWorkerDone(WPARAM, LPARAM)
{
    OnJobDone();
    return 0;
}

int CMediaConvertDialog::OnJobDone()
{
    OnJobFinished();
    SetTitleText(m_strCaption);
    if (m_bClosing)
        return 1;
    EnableControls(false);
    const bool success = Job.Status.State == JOB_STATE_FINISHED && Job.Status.Result == JOB_RESULT_COMPLETED;
    if (CWnd* play = GetDlgItem(IDC_PLAY_OUTPUT))
        play->EnableWindow(HasKeptOutput());
    Job.ProgressText.Empty();
    UpdateOutputInfo();
    CConverterSettings* settings = GetConverterSettings();
    if (success && settings) {
        if (!m_strSource.IsEmpty())
            settings->AddRecentFile(m_strSource);
        if (IsDlgButtonChecked(IDC_SAVE_TO_SOURCE) != BST_CHECKED && !m_strFolder.IsEmpty())
            settings->AddRecentFolder(m_strFolder);
        m_folderCombo.Refill();
        m_folderCombo.SetPath(m_strFolder, FALSE);
    }
    if (m_bAutoShutdown) {
        PowerOffComputer();
        return 0;
    }
    if (!success || !settings)
        return 0;
    if (settings->autoPlay)
        Job.OpenOutputFile();
    if (settings->autoOpenFolder)
        Job.OpenOutputFolder();
    if (settings->autoCloseWindow)
        CloseMainWindow();
    return 0;
}

void CMediaConvertDialog::FillRows(UINT id, std::initializer_list<const wchar_t*> rows)
{
    CComboBox* combo = ComboOf(id);
    if (!combo)
        return;
    combo->ResetContent();
    for (const wchar_t* row : rows)
        combo->AddString(row);
}

bool CMediaConvertDialog::IsCheckedAndEnabled(UINT id)
{
    return IsDlgButtonChecked((int)id) == BST_CHECKED && ::IsWindowEnabled(::GetDlgItem(m_hWnd, (int)id));
}

void CMediaConvertDialog::ApplyRotationRule()
{
    EnableId(IDC_ROTATION, IsCheckedAndEnabled(IDC_ROTATE));
}

void CMediaConvertDialog::ApplyVolumeRule()
{
    const BOOL volume = IsCheckedAndEnabled(IDC_CHANGE_VOLUME);
    EnableId(IDC_VOLUME_TEXT, volume);
    EnableId(IDC_VOLUME, volume);
}

void CMediaConvertDialog::ShowVolume(int volume)
{
    SendDlgItemMessage(IDC_VOLUME, TBM_SETPOS, TRUE, volume);
    ShowVolumeText(volume);
}

void CMediaConvertDialog::ShowVolumeText(int volume)
{
    CString text;
    text.Format(L"%d%%", volume);
    SetDlgItemText(IDC_VOLUME_TEXT, text);
}

void CMediaConvertDialog::EnableControls(bool running)
{
    CWnd* start = GetDlgItem(IDC_START);
    CWnd* stop = GetDlgItem(IDC_STOP);
    if (running) {
        EnableIds(kSharedRunningIds, FALSE);
        if (HasFormatControls())
            EnableIds(kFormatIds, FALSE);
        const std::vector<UINT> own = RunningDisabledIds();
        EnableIds(own.data(), own.size(), FALSE);
        m_statusIcon.ShowWindow(SW_SHOW);
        m_statusBar.ShowWindow(SW_SHOW);
        if (start)
            start->ShowWindow(SW_HIDE);
        if (stop) {
            stop->ShowWindow(SW_SHOW);
            stop->EnableWindow(TRUE);
            GotoDlgCtrl(stop);
        }
        return;
    }
    static const UINT idle[] = {IDC_SOURCE, IDC_BROWSE_SOURCE, IDC_SAVE_TO_SOURCE, IDC_CUT};
    EnableIds(idle, TRUE);
    if (HasFormatControls()) {
        EnableIds(kFormatIds, TRUE);
        // A heading without a format keeps the preset list off.
        m_presetCombo.EnableWindow(m_pSelectedFormat != nullptr);
        if (CWnd* advanced = GetDlgItem(IDC_FORMAT_ADVANCED))
            advanced->EnableWindow(m_pSelectedFormat != nullptr);
    }
    const BOOL toSource = IsDlgButtonChecked(IDC_SAVE_TO_SOURCE) == BST_CHECKED;
    static const UINT folder[] = {IDC_DESTINATION, IDC_BROWSE_FOLDER};
    EnableIds(folder, !toSource);
    ApplySubControlRules();
    if (stop)
        stop->ShowWindow(SW_HIDE);
    if (start) {
        start->ShowWindow(SW_SHOW);
        GotoDlgCtrl(start);
    }
}

void CMediaConvertDialog::ApplySubControlRules()
{
    const BOOL cut = IsCheckedAndEnabled(IDC_CUT);
    EnableIds(kCutIds, cut);
    const BOOL toSource = IsDlgButtonChecked(IDC_SAVE_TO_SOURCE) == BST_CHECKED;
    static const UINT folder[] = {IDC_DESTINATION, IDC_BROWSE_FOLDER};
    if (!IsJobRunning())
        EnableIds(folder, !toSource);
}

LRESULT CMediaConvertDialog::OnStartUpdateCheck(WPARAM wParam, LPARAM lParam)
{
    return HandleStartUpdateCheck(wParam, lParam);
}

// Painting -------------------------------------------------------------------------------------------

void CMediaConvertDialog::RedrawSidePanel()
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    CRect panel(0, 0, kSidePanel, client.bottom - kBottomBand);
    ::RedrawWindow(m_hWnd, &panel, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CMediaConvertDialog::DrawPreview(CDC* pDC, const CRect& box, int kind, CRasterImage* image)
{
    CRect outer = box;
    outer.InflateRect(1, 1);
    COLORREF frame = RGB(0x48, 0x48, 0x48);
    if (kind == JOB_KIND_VIDEO && image && image->IsValid()) {
        DrawFittedPicture(pDC, box, *image);
        frame = RGB(0x10, 0x10, 0x10);
    } else {
        pDC->FillSolidRect(&box, RGB(0x30, 0x30, 0x30));
        if (kind == JOB_KIND_VIDEO || kind == JOB_KIND_AUDIO)
            DrawMediaTypeIcon(pDC, box, kind);
    }
    CBrush brush(frame);
    pDC->FrameRect(&outer, &brush);
}

BOOL CMediaConvertDialog::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    CMemoryDC dc(pDC, &client);
    const int bandTop = client.bottom - kBottomBand;
    dc.FillSolidRect(0, 0, client.Width(), kTopBand, m_crBackground);
    dc.FillSolidRect(0, bandTop, client.Width(), kBottomBand, kBottomBandColor);
    dc.FillSolidRect(0, bandTop, client.Width(), 1, RGB(0xD0, 0xD0, 0xD0));
    dc.FillSolidRect(0, 0, kSidePanel, bandTop, RGB(0x40, 0x40, 0x40));
    dc.FillSolidRect(kSidePanel, 0, client.Width() - kSidePanel, bandTop, m_crBackground);
    for (UINT id : m_markedLabels) {
        CWnd* label = GetDlgItem((int)id);
        if (!label || !label->IsWindowVisible())
            continue;
        CRect r;
        label->GetWindowRect(&r);
        ScreenToClient(&r);
        m_markers.Draw(&dc, 0, CPoint(r.left - 20, r.top + (r.Height() - 12) / 2), ILD_TRANSPARENT);
    }

    CRect source(9, 9, 137, 81);
    CRect output(9, bandTop - 81, 137, bandTop - 9);
    // Nothing is said of a source whose probe is still out.
    const int sourceKind = !Job.Source.MediaInfo.VideoStreams.IsEmpty()   ? JOB_KIND_VIDEO
                           : m_strSource.IsEmpty() || IsProbingSource() ? JOB_KIND_NONE
                                                                        : JOB_KIND_AUDIO;
    DrawPreview(&dc, source, sourceKind, &Job.Source.Thumbnail);
    DrawPreview(&dc, output, m_nOutputKind, &Job.Target.Thumbnail);

    CConverterEnvironment* environment = GetConverterEnvironment();
    const int mode = dc.SetBkMode(TRANSPARENT);
    const COLORREF colour = dc.SetTextColor(RGB(0xC0, 0xC0, 0xC0));
    const int between = (source.bottom + 20 + output.top - 20) / 2;
    if (!Job.ProgressText.IsEmpty()) {
        CGdiSelector font(dc, environment ? environment->GetExtraLargeFont() : nullptr);
        CRect text(0, source.bottom + 20, kSidePanel, output.top - 20);
        dc.DrawText(Job.ProgressText, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else if (m_arrow.IsValid()) {
        m_arrow.Draw(dc.GetSafeHdc(), CRect(57, between - 16, 89, between + 16));
    }
    {
        CGdiSelector font(dc, GetFont());
        CRect line(source.left, source.bottom + 4, source.right, source.bottom + 20);
        dc.DrawText(Job.SourceDurationText, &line, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        dc.DrawText(Job.SourceSizeText, &line, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
        line = CRect(output.left, output.top - 20, output.right, output.top - 4);
        dc.DrawText(Job.OutputDurationText, &line, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        dc.DrawText(Job.OutputSizeText, &line, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    dc.SetTextColor(colour);
    dc.SetBkMode(mode);
    return TRUE;
}

HBRUSH CMediaConvertDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    const MSG* message = GetCurrentMessage();
    const bool control = message->message == WM_CTLCOLORBTN || message->message == WM_CTLCOLORSTATIC;
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (control && id != IDC_SOURCE && id != IDC_OUTPUT_NAME && id != IDC_STATUS_ICON) {
        pDC->SetBkColor(m_crBackground);
        return (HBRUSH)m_backgroundBrush.GetSafeHandle();
    }
    (void)nCtlColor;
    return (HBRUSH)Default();
}

// Shared handlers --------------------------------------------------------------------------------------

void CMediaConvertDialog::OnBrowseSource()
{
    COCFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                         L"All Files (*.*)|*.*|MP4 Files (*.mp4)|*.mp4|FLV Files (*.flv)|*.flv|WEBM Files (*.webm)|*.webm||",
                         this);
    dialog.GetOFN().lpstrTitle = L"Choose Source File";
    if (dialog.DoModal() == IDOK)
        CheckSourceMedia(dialog.GetPathName());
}

void CMediaConvertDialog::OnBrowseFolder()
{
    CFolderBrowser browser(L"Choose destination folder", 0, this);
    CString start = GetDestinationFolder();
    browser.SetFolder(start.IsEmpty() ? GetMyVideosFolder(FALSE) : start);
    if (browser.DoModal() == 1) {
        m_folderCombo.SetPath(browser.GetFolder(), FALSE);
        m_strFolder = browser.GetFolder();
    }
}

void CMediaConvertDialog::OnOpenFolder()
{
    if (HasKeptOutput() && IsExistingFile(Job.Target.Path)) {
        ShowInExplorer(Job.Target.Path);
        return;
    }
    const CString folder = GetDestinationFolder();
    if (!folder.IsEmpty() && PathIsDirectoryW(folder))
        OpenFolderInExplorer(folder);
    else
        AfxMessageBox(L"Folder doesn't exist!", MB_OK | MB_ICONWARNING);
}

void CMediaConvertDialog::OnUpdateOpenFolder(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!GetDestinationFolder().IsEmpty());
}

namespace {

void PlayFile(const CString& path)
{
    if (!IsExistingFile(path)) {
        AfxMessageBox(L"File doesn't exist!", MB_OK | MB_ICONWARNING);
        return;
    }
    CString quoted;
    quoted.Format(L"\"%s\"", path.GetString());
    const CString player = GetPlayerExePath();
    if (IsExistingFile(player))
        FwShellExecute(nullptr, nullptr, player, quoted, nullptr, SW_SHOW);
    else
        FwShellExecute(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void CMediaConvertDialog::OnPlaySource()
{
    CString source;
    GetDlgItemText(IDC_SOURCE, source);
    PlayFile(source);
}

void CMediaConvertDialog::OnPlayOutput()
{
    PlayFile(Job.Target.Path);
}

void CMediaConvertDialog::OnUpdatePlayOutput(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsJobRunning() && HasKeptOutput());
}

bool CMediaConvertDialog::HasKeptOutput() const
{
    // A short output stays on disk: the user may look at it, but nothing acts as if it were whole.
    return Job.Status.State == JOB_STATE_FINISHED &&
           (Job.Status.Result == JOB_RESULT_COMPLETED || Job.Status.Result == JOB_RESULT_INCOMPLETE);
}

void CMediaConvertDialog::OnUpdateStart(CCmdUI* pCmdUI)
{
    (void)pCmdUI;  // the start button keeps the state the dialog gave it
}

void CMediaConvertDialog::OnDropFiles(HDROP hDropInfo)
{
    wchar_t path[MAX_PATH + 1] = L"";
    // While a job runs, its source and destination controls are disabled and the end of the job
    // still needs the folder it wrote to: a drop changes nothing then.
    if (!IsJobRunning() && ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0) > 0 &&
        ::DragQueryFileW(hDropInfo, 0, path, MAX_PATH + 1)) {
        if (PathIsDirectoryW(path)) {
            m_folderCombo.SetPath(path, FALSE);
            m_strFolder = path;
        } else {
            // Probed as a browsed file is.
            CheckSourceMedia(path);
        }
    }
    ::DragFinish(hDropInfo);
    SetForegroundWindow();
}

void CMediaConvertDialog::ShowPopupMenu(CPoint screen, const RECT* exclude)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_MAIN_MENU))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    if (exclude) {
        TPMPARAMS params = {sizeof(params), *exclude};
        popup->TrackPopupMenuEx(TPM_LEFTALIGN | TPM_VERTICAL | TPM_LEFTBUTTON, screen.x, screen.y, this, &params);
    } else {
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, screen.x, screen.y, this);
    }
}

void CMediaConvertDialog::OnContextMenu(CWnd* pWnd, CPoint point)
{
    (void)pWnd;
    if (point.x == -1 && point.y == -1) {
        point = CPoint(8, 8);
        ClientToScreen(&point);
    }
    ShowPopupMenu(point, nullptr);
}

void CMediaConvertDialog::OnToolBarDropDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTOOLBARW* nm = reinterpret_cast<const NMTOOLBARW*>(pNMHDR);
    *pResult = TBDDRET_DEFAULT;
    if (nm->iItem != ID_MENU_BUTTON)
        return;
    CRect button;
    m_toolBar.GetRect(ID_MENU_BUTTON, &button);
    m_toolBar.ClientToScreen(&button);
    m_toolBar.PressButton(ID_MENU_BUTTON, TRUE);
    ShowPopupMenu(CPoint(button.left, button.bottom), &button);
    m_toolBar.PressButton(ID_MENU_BUTTON, FALSE);
}

void CMediaConvertDialog::OnToggleAutoPlay()
{
    if (CConverterSettings* s = GetConverterSettings())
        s->autoPlay = !s->autoPlay;
}

void CMediaConvertDialog::OnToggleAutoOpenFolder()
{
    if (CConverterSettings* s = GetConverterSettings())
        s->autoOpenFolder = !s->autoOpenFolder;
}

void CMediaConvertDialog::OnToggleAutoClose()
{
    if (CConverterSettings* s = GetConverterSettings())
        s->autoCloseWindow = !s->autoCloseWindow;
}

void CMediaConvertDialog::OnToggleAutoShutdown()
{
    m_bAutoShutdown = !m_bAutoShutdown;
}

void CMediaConvertDialog::OnUpdateAutoPlay(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(GetConverterSettings() && GetConverterSettings()->autoPlay ? 1 : 0);
}

void CMediaConvertDialog::OnUpdateAutoOpenFolder(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(GetConverterSettings() && GetConverterSettings()->autoOpenFolder ? 1 : 0);
}

void CMediaConvertDialog::OnUpdateAutoClose(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(GetConverterSettings() && GetConverterSettings()->autoCloseWindow ? 1 : 0);
}

void CMediaConvertDialog::OnUpdateAutoShutdown(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_bAutoShutdown ? 1 : 0);
}

void CMediaConvertDialog::OnFormatsSettings()
{
    CPresetStore* store = GetStore();
    if (!store || IsJobRunning())
        return;
    CPresetManagerDialog manager(store, this, this);
    if (manager.DoModal() == IDOK)
        RefreshSelection();
}

void CMediaConvertDialog::SetAlwaysOnTop(BOOL on)
{
    if (CConverterSettings* s = GetConverterSettings())
        s->alwaysOnTop = on ? 1 : 0;
    ::SetWindowPos(m_hWnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMediaConvertDialog::OnSysCommand(UINT nID, LPARAM lParam)
{
    (void)lParam;
    if ((nID & 0xFFF0) == ID_ALWAYS_ON_TOP || (nID >= 16 && nID <= 31)) {
        SetAlwaysOnTop(!(GetConverterSettings() && GetConverterSettings()->alwaysOnTop));
        return;
    }
    Default();
}

void CMediaConvertDialog::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    if (bSysMenu) {
        Default();
        const CConverterSettings* s = GetConverterSettings();
        if (pPopupMenu)
            pPopupMenu->CheckMenuItem(ID_ALWAYS_ON_TOP,
                                      MF_BYCOMMAND | (s && s->alwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
    COEDialog::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}

void CMediaConvertDialog::OnSysColorChange()
{
    Default();
    if (CConverterEnvironment* environment = GetConverterEnvironment())
        environment->UpdateThemeState();
}

void CMediaConvertDialog::OnCutClicked()
{
    m_bCut = IsDlgButtonChecked(IDC_CUT) == BST_CHECKED ? 1 : 0;
    ApplySubControlRules();
}

void CMediaConvertDialog::OnCutReset()
{
    m_nCutStart = 0;
    m_nCutStop = Job.Source.MediaInfo.GetDurationMs();
    m_startEdit.SetTime(m_nCutStart);
    m_stopEdit.SetTime(m_nCutStop);
}

void CMediaConvertDialog::OnSaveToSourceClicked()
{
    m_bSaveToSource = IsDlgButtonChecked(IDC_SAVE_TO_SOURCE) == BST_CHECKED ? 1 : 0;
    if (m_bSaveToSource && !m_strSource.IsEmpty())
        m_folderCombo.SetPath(GetParentFolder(m_strSource), FALSE);
    ApplySubControlRules();
}

void CMediaConvertDialog::OnRotateClicked()
{
    ApplySubControlRules();
}

void CMediaConvertDialog::OnChangeVolumeClicked()
{
    ApplySubControlRules();
}

void CMediaConvertDialog::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    (void)nSBCode;
    (void)nPos;
    if (pScrollBar && pScrollBar->GetDlgCtrlID() == IDC_VOLUME) {
        ShowVolumeText((int)SendDlgItemMessage(IDC_VOLUME, TBM_GETPOS));
        return;
    }
    Default();
}
