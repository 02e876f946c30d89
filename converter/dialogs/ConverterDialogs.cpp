// The converter, Audio Extractor and Animated GIF Maker dialogs.
#include "converter/dialogs/ConverterDialogs.h"

#include <stdio.h>

#include <iterator>

#include "conversion/MediaPreset.h"
#include "conversion/PresetStore.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/ConverterSettings.h"
#include "converter/kit/ConverterHelpers.h"
#include "framework/Ddx.h"
#include "framework/Effects.h"

namespace {

const UINT kEffectIds[] = {IDC_FLIP_HORIZONTAL, IDC_FLIP_VERTICAL, IDC_ROTATE, IDC_ROTATION,
                           IDC_GRAYSCALE,       IDC_NEGATE,        IDC_OLD_PHOTO};
const UINT kVolumeIds[] = {IDC_CHANGE_VOLUME, IDC_VOLUME_TEXT, IDC_VOLUME};

CConverterSettings* Settings()
{
    return GetConverterSettings();
}

CComboBox* ComboOf(CWnd* dialog, UINT id)
{
    return static_cast<CComboBox*>(dialog->GetDlgItem((int)id));
}

void Enable(CWnd* dialog, UINT id, BOOL on)
{
    if (CWnd* w = dialog->GetDlgItem((int)id))
        w->EnableWindow(on);
}

void EnableAll(CWnd* dialog, const UINT* ids, size_t count, BOOL on)
{
    for (size_t i = 0; i < count; ++i)
        Enable(dialog, ids[i], on);
}

bool Checked(CWnd* dialog, UINT id)
{
    return ::IsDlgButtonChecked(dialog->m_hWnd, (int)id) == BST_CHECKED;
}

bool Enabled(CWnd* dialog, UINT id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog->m_hWnd, (int)id)) != FALSE;
}

// Rotation of the command line: 1 or 90, 2 or 180, 3 or 270 give the rows 0, 1, 2.
int RotationRow(int rotate)
{
    switch (rotate) {
    case 1:
    case 90:
        return 0;
    case 2:
    case 180:
        return 1;
    case 3:
    case 270:
        return 2;
    default:
        return -1;
    }
}

// The track of a row of a list whose tracks start at 'first' (rows before it: "Auto", maybe
// "Disable"): the position among the streams of that kind, -2 for "Disable", else -1.
int TrackOfRow(int row, int first, bool hasDisable, int count)
{
    if (hasDisable && row == 1)
        return MEDIA_SELECT_NONE;
    if (row >= first && row - first < count)
        return row - first;
    return MEDIA_SELECT_AUTO;
}

// The volume slider's range, in percent.
const int kMaxVolume = 500;

// A volume from the command line as the slider can show it; the encoder takes it from there.
int SliderVolume(int volume)
{
    return volume < 0 ? 0 : volume > kMaxVolume ? kMaxVolume : volume;
}

void VolumeText(CWnd* dialog, int volume)
{
    CString text;
    text.Format(L"%d%%", volume);
    dialog->SetDlgItemText(IDC_VOLUME_TEXT, text);
}

void FillRows(CComboBox* combo, std::initializer_list<const wchar_t*> rows)
{
    if (!combo)
        return;
    combo->ResetContent();
    for (const wchar_t* row : rows)
        combo->AddString(row);
}

}  // namespace

// CConverterDialog -----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CConverterDialog, CMediaConvertDialog)
    ON_CBN_SELCHANGE(IDC_VIDEO_TRACK, OnVideoTrackChange)
    ON_CBN_SELCHANGE(IDC_AUDIO_TRACK, OnAudioTrackChange)
END_MESSAGE_MAP()

CConverterDialog::CConverterDialog(CWnd* pParentWnd)
    : CMediaConvertDialog(IDD_CONVERTER, pParentWnd),
      m_nVideoRow(0),
      m_bFlipHorizontal(0),
      m_bFlipVertical(0),
      m_bRotate(0),
      m_nRotationRow(0),
      m_bGrayscale(0),
      m_bNegate(0),
      m_bOldPhoto(0),
      m_nAudioRow(0),
      m_bChangeVolume(0),
      m_nVolume(100),
      m_nSubtitleRow(0)
{
    m_markedLabels = {IDC_SOURCE_LABEL, IDC_FORMAT_LABEL, IDC_FOLDER_LABEL};
}

CConverterDialog::~CConverterDialog()
{
    if (CConverterSettings* s = Settings()) {
        s->formatKey = m_strFormatKey;
        s->presetName = m_strPresetName;
        s->sameAsInput = m_bSaveToSource ? 1 : 0;
    }
}

void CConverterDialog::TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart)
{
    CMediaConvertDialog::TakeCommandLine(options, autoStart);
    m_nPendingVideo = options.videoStream;
    if (options.flipHorizontally)
        m_bFlipHorizontal = 1;
    if (options.flipVertically)
        m_bFlipVertical = 1;
    if (options.grayscale)
        m_bGrayscale = 1;
    if (options.negate)
        m_bNegate = 1;
    if (options.oldPhoto)
        m_bOldPhoto = 1;
    const int rotation = RotationRow(options.rotate);
    if (rotation >= 0) {
        m_bRotate = 1;
        m_nRotationRow = rotation;
    }
    m_nPendingAudio = options.audioStream;
    if (options.volume != 100) {
        m_bChangeVolume = 1;
        m_nVolume = SliderVolume(options.volume);
    }
    m_nPendingSubtitle = options.subtitleStream;
}

void CConverterDialog::FillTemplateLists()
{
    FillRows(ComboOf(this, IDC_VIDEO_TRACK), {L"Auto"});
    FillRows(ComboOf(this, IDC_AUDIO_TRACK), {L"Auto"});
    FillRows(ComboOf(this, IDC_SUBTITLE_TRACK), {L"Auto"});
    FillRows(ComboOf(this, IDC_ROTATION), {L"90 degrees", L"180 degrees", L"270 degrees"});
    SendDlgItemMessage(IDC_VOLUME, TBM_SETRANGE, TRUE, MAKELPARAM(0, kMaxVolume));
}

BOOL CConverterDialog::OnInitDialog()
{
    const BOOL focusFirst = CMediaConvertDialog::OnInitDialog();
    SendDlgItemMessage(IDC_VOLUME, TBM_SETPOS, TRUE, m_nVolume);
    VolumeText(this, m_nVolume);
    ApplySubControlRules();
    return focusFirst;
}

void CConverterDialog::AddOwnTips()
{
    static const ControlTip tips[] = {
        {IDC_CUT, L"Convert only a part of the source video/audio"},
        {IDC_VIDEO_TRACK, L"Select a video track to convert"},
        {IDC_AUDIO_TRACK, L"Select an audio track to convert"},
        {IDC_SUBTITLE_TRACK, L"Select a subtitle track to convert"},
        {IDC_FORMAT_ADVANCED, L"Adcanced video/audio options"},
    };
    AddControlTips(tips);
}

void CConverterDialog::DoDataExchange(CDataExchange* pDX)
{
    CMediaConvertDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_FLIP_HORIZONTAL, m_bFlipHorizontal);
    DDX_Check(pDX, IDC_FLIP_VERTICAL, m_bFlipVertical);
    DDX_Check(pDX, IDC_ROTATE, m_bRotate);
    DDX_Check(pDX, IDC_GRAYSCALE, m_bGrayscale);
    DDX_Check(pDX, IDC_NEGATE, m_bNegate);
    DDX_Check(pDX, IDC_OLD_PHOTO, m_bOldPhoto);
    DDX_Check(pDX, IDC_CHANGE_VOLUME, m_bChangeVolume);
    DDX_CBIndex(pDX, IDC_VIDEO_TRACK, m_nVideoRow);
    DDX_CBIndex(pDX, IDC_ROTATION, m_nRotationRow);
    DDX_CBIndex(pDX, IDC_AUDIO_TRACK, m_nAudioRow);
    DDX_CBIndex(pDX, IDC_SUBTITLE_TRACK, m_nSubtitleRow);
    DDX_Slider(pDX, IDC_VOLUME, m_nVolume);
}

void CConverterDialog::FillTrackLists()
{
    CheckCutAgainstDuration();
    const CMediaInfoRecord& info = Job.Source.MediaInfo;
    auto Fill = [&](UINT id, const CMediaStreamList& streams, LPCWSTR none, int& pending, int& row, int type) {
        CComboBox* combo = ComboOf(this, id);
        combo->ResetContent();
        if (streams.IsEmpty()) {
            combo->AddString(none);
            row = 0;
        } else {
            combo->AddString(L"Auto");
            combo->AddString(L"Disable");
            for (INT_PTR i = 0; i < streams.GetSize(); ++i)
                combo->AddString(TrackText((int)i + 1, streams[i]));
            row = PendingRow(pending, type, 2, true);
            pending = -1;
        }
        combo->SetCurSel(row);
    };
    Fill(IDC_VIDEO_TRACK, info.VideoStreams, L"No video", m_nPendingVideo, m_nVideoRow, MEDIA_STREAM_VIDEO);
    Fill(IDC_AUDIO_TRACK, info.AudioStreams, L"No audio", m_nPendingAudio, m_nAudioRow, MEDIA_STREAM_AUDIO);
    Fill(IDC_SUBTITLE_TRACK, info.SubtitleStreams, L"No subtitles", m_nPendingSubtitle, m_nSubtitleRow,
         MEDIA_STREAM_SUBTITLE);
    EnableTrackGroups();
    // The format keeps its remembered preset.
    m_nFormatRow = -1;
    ChangeFormat(m_formatCombo.GetCurSel());
}

void CConverterDialog::EnableTrackGroups()
{
    const CMediaInfoRecord& info = Job.Source.MediaInfo;
    const bool video = !info.VideoStreams.IsEmpty();
    const bool audio = !info.AudioStreams.IsEmpty();
    const bool subtitles = !info.SubtitleStreams.IsEmpty();
    Enable(this, IDC_VIDEO_TRACK_GROUP, video);
    Enable(this, IDC_VIDEO_TRACK_LABEL, video);
    Enable(this, IDC_VIDEO_TRACK, video);
    const int videoRow = ComboOf(this, IDC_VIDEO_TRACK)->GetCurSel();
    EnableAll(this, kEffectIds, sizeof(kEffectIds) / sizeof(kEffectIds[0]), video && videoRow >= 0 && videoRow != 1);
    Enable(this, IDC_AUDIO_TRACK_GROUP, audio);
    Enable(this, IDC_AUDIO_TRACK_LABEL, audio);
    Enable(this, IDC_AUDIO_TRACK, audio);
    const int audioRow = ComboOf(this, IDC_AUDIO_TRACK)->GetCurSel();
    EnableAll(this, kVolumeIds, sizeof(kVolumeIds) / sizeof(kVolumeIds[0]), audio && audioRow >= 0 && audioRow != 1);
    Enable(this, IDC_SUBTITLE_TRACK_GROUP, subtitles);
    Enable(this, IDC_SUBTITLE_TRACK_LABEL, subtitles);
    Enable(this, IDC_SUBTITLE_TRACK, subtitles);
    ApplySubControlRules();
}

void CConverterDialog::ApplySubControlRules()
{
    CMediaConvertDialog::ApplySubControlRules();
    Enable(this, IDC_ROTATION, Checked(this, IDC_ROTATE) && Enabled(this, IDC_ROTATE));
    const BOOL volume = Checked(this, IDC_CHANGE_VOLUME) && Enabled(this, IDC_CHANGE_VOLUME);
    Enable(this, IDC_VOLUME_TEXT, volume);
    Enable(this, IDC_VOLUME, volume);
}

std::vector<UINT> CConverterDialog::RunningDisabledIds() const
{
    std::vector<UINT> ids(std::begin(kEffectIds), std::end(kEffectIds));
    ids.insert(ids.end(), std::begin(kVolumeIds), std::end(kVolumeIds));
    for (UINT id : {IDC_VIDEO_TRACK, IDC_AUDIO_TRACK, IDC_SUBTITLE_TRACK})
        ids.push_back(id);
    return ids;
}

void CConverterDialog::EnableControls(bool running)
{
    CMediaConvertDialog::EnableControls(running);
    if (!running)
        EnableTrackGroups();
}

void CConverterDialog::OnVideoTrackChange()
{
    m_nVideoRow = ComboOf(this, IDC_VIDEO_TRACK)->GetCurSel();
    EnableAll(this, kEffectIds, sizeof(kEffectIds) / sizeof(kEffectIds[0]),
              m_nVideoRow >= 0 && m_nVideoRow != 1 && !Job.Source.MediaInfo.VideoStreams.IsEmpty());
    ApplySubControlRules();
}

void CConverterDialog::OnAudioTrackChange()
{
    m_nAudioRow = ComboOf(this, IDC_AUDIO_TRACK)->GetCurSel();
    EnableAll(this, kVolumeIds, sizeof(kVolumeIds) / sizeof(kVolumeIds[0]),
              m_nAudioRow >= 0 && m_nAudioRow != 1 && !Job.Source.MediaInfo.AudioStreams.IsEmpty());
    ApplySubControlRules();
}

void CConverterDialog::SelectPreset(int row)
{
    CMediaConvertDialog::SelectPreset(row);
    if (!m_pSelectedFormat || !m_pSelectedPreset)
        return;
    const PresetSettings& s = m_pSelectedPreset->Settings;
    if ((m_pSelectedFormat->Flags & FORMAT_VIDEO) && !(s.Video.Flags & PRESET_STREAM_OFF))
        m_nOutputKind = 1;
    else if ((m_pSelectedFormat->Flags & FORMAT_AUDIO) && !(s.Audio.Flags & PRESET_STREAM_OFF))
        m_nOutputKind = 2;
    RedrawSidePanel();
}

int CConverterDialog::ApplySelection()
{
    CMediaConvertDialog::ApplySelection();
    return 0;
}

int CConverterDialog::FillJobOptions(CJobOutputSettings& options)
{
    options.Reset();
    options.FormatKey = m_strFormatKey;
    options.PresetName = m_strPresetName;
    if (m_bSaveToSource)
        options.Flags |= JOB_OUTPUT_TO_SOURCE_FOLDER;
    options.DestinationFolder = m_strFolder;
    options.TrimStart = 0;
    options.TrimEnd = -1;
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
    CMediaInfoRecord& info = Job.Source.MediaInfo;
    if (!info.VideoStreams.IsEmpty()) {
        info.SelectedVideoStream = TrackOfRow(m_nVideoRow, 2, true, (int)info.VideoStreams.GetSize());
        options.FlipHorizontal = m_bFlipHorizontal ? 1 : 0;
        options.FlipVertical = m_bFlipVertical ? 1 : 0;
        options.Rotation = m_bRotate ? 90 * (m_nRotationRow + 1) : 0;
        options.Grayscale = m_bGrayscale ? 1 : 0;
        options.Negate = m_bNegate ? 1 : 0;
        options.OldPhoto = m_bOldPhoto ? 1 : 0;
    }
    if (!info.AudioStreams.IsEmpty()) {
        info.SelectedAudioStream = TrackOfRow(m_nAudioRow, 2, true, (int)info.AudioStreams.GetSize());
        options.Volume = m_bChangeVolume ? m_nVolume : 100;
    }
    if (!info.SubtitleStreams.IsEmpty())
        info.SelectedSubtitleStream = TrackOfRow(m_nSubtitleRow, 2, true, (int)info.SubtitleStreams.GetSize());
    return 0;
}

// CAudioExtractorDialog -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CAudioExtractorDialog, CMediaConvertDialog)
    ON_CBN_SELCHANGE(IDC_AUDIO_TRACK, OnAudioTrackChange)
END_MESSAGE_MAP()

CAudioExtractorDialog::CAudioExtractorDialog(CWnd* pParentWnd)
    : CMediaConvertDialog(IDD_AUDIO_EXTRACTOR, pParentWnd), m_nAudioRow(0), m_bChangeVolume(0), m_nVolume(100)
{
    m_markedLabels = {IDC_SOURCE_LABEL, IDC_FORMAT_LABEL, IDC_FOLDER_LABEL};
    // What it makes is sound: the output box shows so before the first job says more.
    m_nOutputKind = 2;
}

CAudioExtractorDialog::~CAudioExtractorDialog()
{
    if (CConverterSettings* s = Settings()) {
        s->formatKey = m_strFormatKey;
        s->presetName = m_strPresetName;
        s->sameAsInput = m_bSaveToSource ? 1 : 0;
    }
}

void CAudioExtractorDialog::TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart)
{
    CMediaConvertDialog::TakeCommandLine(options, autoStart);
    m_nPendingAudio = options.audioStream;
    if (options.volume != 100) {
        m_bChangeVolume = 1;
        m_nVolume = SliderVolume(options.volume);
    }
}

void CAudioExtractorDialog::FillTemplateLists()
{
    FillRows(ComboOf(this, IDC_AUDIO_TRACK), {L"Auto"});
    SendDlgItemMessage(IDC_VOLUME, TBM_SETRANGE, TRUE, MAKELPARAM(0, kMaxVolume));
}

BOOL CAudioExtractorDialog::OnInitDialog()
{
    const BOOL focusFirst = CMediaConvertDialog::OnInitDialog();
    SendDlgItemMessage(IDC_VOLUME, TBM_SETPOS, TRUE, m_nVolume);
    VolumeText(this, m_nVolume);
    ApplySubControlRules();
    return focusFirst;
}

void CAudioExtractorDialog::AddOwnTips()
{
    static const ControlTip tips[] = {
        {IDC_CUT, L"Extract only a part of the source audio"},
        {IDC_AUDIO_TRACK, L"Select an audio track to extract"},
        {IDC_FORMAT_ADVANCED, L"Adcanced video/audio options"},
    };
    AddControlTips(tips);
}

void CAudioExtractorDialog::DoDataExchange(CDataExchange* pDX)
{
    CMediaConvertDialog::DoDataExchange(pDX);
    DDX_CBIndex(pDX, IDC_AUDIO_TRACK, m_nAudioRow);
    DDX_Check(pDX, IDC_CHANGE_VOLUME, m_bChangeVolume);
    DDX_Slider(pDX, IDC_VOLUME, m_nVolume);
}

void CAudioExtractorDialog::CheckMedia(LPCWSTR path)
{
    if (Job.Source.MediaInfo.AudioStreams.IsEmpty()) {
        CString message;
        message.Format(L"\"%s\"\n\ndoesn't have audio.", path);
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
    }
}

void CAudioExtractorDialog::FillTrackLists()
{
    CheckCutAgainstDuration();
    const CMediaStreamList& streams = Job.Source.MediaInfo.AudioStreams;
    CComboBox* combo = ComboOf(this, IDC_AUDIO_TRACK);
    combo->ResetContent();
    if (streams.IsEmpty()) {
        combo->AddString(L"No audio");
        m_nAudioRow = 0;
    } else {
        combo->AddString(L"Auto");
        for (INT_PTR i = 0; i < streams.GetSize(); ++i)
            combo->AddString(TrackText((int)i + 1, streams[i]));
        // No "Disable" here: -2 is "Auto" too.
        m_nAudioRow = m_nPendingAudio == MEDIA_SELECT_NONE ? 0 : PendingRow(m_nPendingAudio, MEDIA_STREAM_AUDIO, 1, false);
        m_nPendingAudio = -1;
    }
    combo->SetCurSel(m_nAudioRow);
    EnableAudioGroup();
}

void CAudioExtractorDialog::EnableAudioGroup()
{
    const bool audio = !Job.Source.MediaInfo.AudioStreams.IsEmpty();
    Enable(this, IDC_AUDIO_TRACK_GROUP, audio);
    Enable(this, IDC_AUDIO_TRACK_LABEL, audio);
    Enable(this, IDC_AUDIO_TRACK, audio);
    EnableAll(this, kVolumeIds, sizeof(kVolumeIds) / sizeof(kVolumeIds[0]), audio);
    ApplySubControlRules();
}

void CAudioExtractorDialog::ApplySubControlRules()
{
    CMediaConvertDialog::ApplySubControlRules();
    const BOOL volume = Checked(this, IDC_CHANGE_VOLUME) && Enabled(this, IDC_CHANGE_VOLUME);
    Enable(this, IDC_VOLUME_TEXT, volume);
    Enable(this, IDC_VOLUME, volume);
}

std::vector<UINT> CAudioExtractorDialog::RunningDisabledIds() const
{
    std::vector<UINT> ids(std::begin(kVolumeIds), std::end(kVolumeIds));
    ids.push_back(IDC_AUDIO_TRACK);
    return ids;
}

void CAudioExtractorDialog::EnableControls(bool running)
{
    CMediaConvertDialog::EnableControls(running);
    if (!running)
        EnableAudioGroup();
}

void CAudioExtractorDialog::OnAudioTrackChange()
{
    m_nAudioRow = ComboOf(this, IDC_AUDIO_TRACK)->GetCurSel();
    EnableAll(this, kVolumeIds, sizeof(kVolumeIds) / sizeof(kVolumeIds[0]), !Job.Source.MediaInfo.AudioStreams.IsEmpty());
    ApplySubControlRules();
}

int CAudioExtractorDialog::ApplySelection()
{
    CMediaConvertDialog::ApplySelection();
    return 0;
}

int CAudioExtractorDialog::FillJobOptions(CJobOutputSettings& options)
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
    CMediaInfoRecord& info = Job.Source.MediaInfo;
    info.SelectedVideoStream = MEDIA_SELECT_NONE;
    if (!info.AudioStreams.IsEmpty()) {
        info.SelectedAudioStream = TrackOfRow(m_nAudioRow, 1, false, (int)info.AudioStreams.GetSize());
        options.Volume = m_bChangeVolume ? m_nVolume : 100;
    }
    info.SelectedSubtitleStream = MEDIA_SELECT_NONE;
    return 0;
}

// CGifMakerDialog ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CGifMakerDialog, CMediaConvertDialog)
    ON_CBN_SELCHANGE(IDC_VIDEO_TRACK, OnVideoTrackChange)
    ON_CBN_SELCHANGE(IDC_GIF_WIDTH, OnWidthChange)
    ON_CBN_SELCHANGE(IDC_GIF_HEIGHT, OnHeightChange)
    ON_CBN_SELCHANGE(IDC_GIF_LOOP, OnLoopChange)
END_MESSAGE_MAP()

CGifMakerDialog::CGifMakerDialog(CWnd* pParentWnd)
    : CMediaConvertDialog(IDD_GIF_MAKER, pParentWnd),
      m_nVideoRow(0),
      m_bFlipHorizontal(0),
      m_bFlipVertical(0),
      m_bRotate(0),
      m_nRotationRow(0),
      m_bGrayscale(0),
      m_bNegate(0),
      m_bOldPhoto(0),
      m_nSubtitleRow(0),
      m_nLoopRow(0),
      m_nLoopCount(10),
      m_nSourceRateRow(-1)
{
    m_markedLabels = {IDC_SOURCE_LABEL, IDC_FOLDER_LABEL};
    m_strFormatKey = L"VF_gif";
    m_strPresetName = L"Custom";
    CConverterSettings* s = Settings();
    m_strHeight.Format(L"%d", s ? s->gifHeight : 160);
    m_strWidth.Format(L"%d", s ? s->gifWidth : 240);
    m_strFrameRate.Format(L"%d", s ? s->gifFrameRate : 5);
    if (s) {
        m_nLoopRow = s->gifLoop;
        m_nLoopCount = s->gifLoopCount;
    }
    m_nOutputKind = 1;
}

CGifMakerDialog::~CGifMakerDialog()
{
    if (CConverterSettings* s = Settings()) {
        s->sameAsInput = m_bSaveToSource ? 1 : 0;
        s->gifWidth = _wtoi(m_strWidth);
        s->gifHeight = _wtoi(m_strHeight);
        s->gifFrameRate = _wtoi(m_strFrameRate);
        s->gifLoop = m_nLoopRow;
        s->gifLoopCount = m_nLoopCount;
    }
}

void CGifMakerDialog::TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart)
{
    CMediaConvertDialog::TakeCommandLine(options, autoStart);
    m_nPendingVideo = options.videoStream;
    if (options.flipHorizontally)
        m_bFlipHorizontal = 1;
    if (options.flipVertically)
        m_bFlipVertical = 1;
    if (options.grayscale)
        m_bGrayscale = 1;
    if (options.negate)
        m_bNegate = 1;
    if (options.oldPhoto)
        m_bOldPhoto = 1;
    const int rotation = RotationRow(options.rotate);
    if (rotation >= 0) {
        m_bRotate = 1;
        m_nRotationRow = rotation;
    }
    m_nPendingSubtitle = options.subtitleStream;
}

void CGifMakerDialog::FillTemplateLists()
{
    FillRows(ComboOf(this, IDC_VIDEO_TRACK), {L"Auto"});
    FillRows(ComboOf(this, IDC_SUBTITLE_TRACK), {L"Auto"});
    FillRows(ComboOf(this, IDC_ROTATION), {L"90 degrees", L"180 degrees", L"270 degrees"});
    FillRows(ComboOf(this, IDC_GIF_RATE), {L"5", L"8", L"10", L"12", L"15"});
    FillRows(ComboOf(this, IDC_GIF_LOOP), {L"Infinite loop", L"Play once", L"Loop count:"});
    SendDlgItemMessage(IDC_GIF_LOOP_SPIN, UDM_SETRANGE32, 1, 10000);
    m_nSourceRateRow = -1;
}

BOOL CGifMakerDialog::OnInitDialog()
{
    const BOOL focusFirst = CMediaConvertDialog::OnInitDialog();
    ApplyLoopRule();
    return focusFirst;
}

void CGifMakerDialog::AddOwnTips()
{
    static const ControlTip tips[] = {
        {IDC_CUT, L"Convert only a part of the source video to GIF"},
        {IDC_VIDEO_TRACK, L"Select a video track to convert"},
        {IDC_SUBTITLE_TRACK, L"Select a subtitle track to convert"},
        {IDC_GIF_LOOP_COUNT, L"Enter loop count here"},
    };
    AddControlTips(tips);
}

void CGifMakerDialog::DoDataExchange(CDataExchange* pDX)
{
    CMediaConvertDialog::DoDataExchange(pDX);
    DDX_CBIndex(pDX, IDC_VIDEO_TRACK, m_nVideoRow);
    DDX_Check(pDX, IDC_FLIP_HORIZONTAL, m_bFlipHorizontal);
    DDX_Check(pDX, IDC_FLIP_VERTICAL, m_bFlipVertical);
    DDX_Check(pDX, IDC_ROTATE, m_bRotate);
    DDX_CBIndex(pDX, IDC_ROTATION, m_nRotationRow);
    DDX_Check(pDX, IDC_GRAYSCALE, m_bGrayscale);
    DDX_Check(pDX, IDC_NEGATE, m_bNegate);
    DDX_Check(pDX, IDC_OLD_PHOTO, m_bOldPhoto);
    DDX_CBIndex(pDX, IDC_SUBTITLE_TRACK, m_nSubtitleRow);
    DDX_Text(pDX, IDC_GIF_HEIGHT, m_strHeight);
    DDX_Text(pDX, IDC_GIF_WIDTH, m_strWidth);
    DDX_Text(pDX, IDC_GIF_RATE, m_strFrameRate);
    DDX_CBIndex(pDX, IDC_GIF_LOOP, m_nLoopRow);
    // The count as digits, read leniently: an empty box leaves the count as it was.
    if (pDX->m_bSaveAndValidate) {
        CString count;
        GetDlgItemText(IDC_GIF_LOOP_COUNT, count);
        if (!count.IsEmpty())
            m_nLoopCount = _wtoi(count);
    } else {
        SetDlgItemInt(IDC_GIF_LOOP_COUNT, (UINT)m_nLoopCount, FALSE);
    }
}

int CGifMakerDialog::RefreshSelection()
{
    FillFormatCombo();
    CPresetStore* store = GetStore();
    CMediaFormat* format = store ? store->FindFormat(m_strFormatKey) : nullptr;
    CMediaPreset* preset = format ? format->FindPreset(L"Custom") : nullptr;
    if (preset != m_pSelectedPreset) {
        if (m_pSelectedPreset && m_pSelectedPreset->UseCount > 0)
            --m_pSelectedPreset->UseCount;
        if (preset)
            ++preset->UseCount;
    }
    m_pSelectedFormat = format;
    m_pSelectedPreset = preset;
    return 0;
}

int CGifMakerDialog::ApplySelection()
{
    UpdateData(TRUE);
    if (!m_pSelectedFormat || !m_pSelectedPreset)
        RefreshSelection();
    m_strPresetName = L"Custom";
    return 0;
}

void CGifMakerDialog::CheckMedia(LPCWSTR path)
{
    if (Job.Source.MediaInfo.VideoStreams.IsEmpty()) {
        CString message;
        message.Format(L"\"%s\"\n\ndoesn't have video.", path);
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
    }
}

void CGifMakerDialog::FillTrackLists()
{
    CheckCutAgainstDuration();
    if (!m_bCut) {
        m_bCut = 1;
        CheckDlgButton(IDC_CUT, BST_CHECKED);
        const __int64 duration = Job.Source.MediaInfo.GetDurationMs();
        m_nCutStart = 0;
        m_nCutStop = duration <= 5000 ? duration : 5000;
        m_startEdit.SetTime(m_nCutStart);
        m_stopEdit.SetTime(m_nCutStop);
    }
    const CMediaInfoRecord& info = Job.Source.MediaInfo;
    CComboBox* video = ComboOf(this, IDC_VIDEO_TRACK);
    video->ResetContent();
    if (info.VideoStreams.IsEmpty()) {
        video->AddString(L"No video");
        m_nVideoRow = 0;
    } else {
        video->AddString(L"Auto");
        for (INT_PTR i = 0; i < info.VideoStreams.GetSize(); ++i)
            video->AddString(TrackText((int)i + 1, info.VideoStreams[i]));
        m_nVideoRow = m_nPendingVideo == MEDIA_SELECT_NONE ? 0 : PendingRow(m_nPendingVideo, MEDIA_STREAM_VIDEO, 1, false);
        m_nPendingVideo = -1;
    }
    video->SetCurSel(m_nVideoRow);

    CComboBox* subtitle = ComboOf(this, IDC_SUBTITLE_TRACK);
    subtitle->ResetContent();
    if (info.SubtitleStreams.IsEmpty()) {
        subtitle->AddString(L"No subtitles");
        m_nSubtitleRow = 0;
    } else {
        subtitle->AddString(L"Auto");
        subtitle->AddString(L"Disable");
        for (INT_PTR i = 0; i < info.SubtitleStreams.GetSize(); ++i)
            subtitle->AddString(TrackText((int)i + 1, info.SubtitleStreams[i]));
        m_nSubtitleRow = PendingRow(m_nPendingSubtitle, MEDIA_STREAM_SUBTITLE, 2, true);
        m_nPendingSubtitle = -1;
    }
    subtitle->SetCurSel(m_nSubtitleRow);

    if (!info.VideoStreams.IsEmpty()) {
        const CMediaStream* stream = info.VideoStreams[0];
        CComboBox* widths = ComboOf(this, IDC_GIF_WIDTH);
        CComboBox* heights = ComboOf(this, IDC_GIF_HEIGHT);
        widths->ResetContent();
        heights->ResetContent();
        int w = stream->Width, h = stream->Height, selected = -1, row = 0;
        while (w > 0 && h > 0) {
            CString text;
            text.Format(L"%d", w);
            widths->AddString(text);
            text.Format(L"%d", h);
            heights->AddString(text);
            if (selected < 0 && w <= 480 && h <= 480)
                selected = row;
            ++row;
            w /= 2;
            h /= 2;
            if (w < 32 || h < 32)
                break;
        }
        if (selected < 0)
            selected = 0;
        widths->SetCurSel(selected);
        heights->SetCurSel(selected);
        widths->GetLBText(selected, m_strWidth);
        heights->GetLBText(selected, m_strHeight);

        CComboBox* rates = ComboOf(this, IDC_GIF_RATE);
        // The row that came from an earlier source goes: every probe adds one row only.
        if (m_nSourceRateRow == 0 && rates->GetCount() > 0)
            rates->DeleteString(0);
        m_nSourceRateRow = -1;
        if (stream->FrameRateNum > 0 && stream->FrameRateDen > 0) {
            const double rate = (double)stream->FrameRateNum / stream->FrameRateDen;
            CString text;
            text.Format(L"%f", rate);
            text.TrimRight(L'0');
            text.TrimRight(L'.');
            rates->InsertString(0, text);
            m_nSourceRateRow = 0;
            if (rate <= 10) {
                rates->SetCurSel(0);
                m_strFrameRate = text;
            }
        }
    }
    EnableVideoGroups();
}

void CGifMakerDialog::EnableVideoGroups()
{
    const CMediaInfoRecord& info = Job.Source.MediaInfo;
    const bool video = !info.VideoStreams.IsEmpty();
    const bool subtitles = !info.SubtitleStreams.IsEmpty();
    Enable(this, IDC_VIDEO_TRACK_GROUP, video);
    Enable(this, IDC_VIDEO_TRACK_LABEL, video);
    Enable(this, IDC_VIDEO_TRACK, video);
    EnableAll(this, kEffectIds, sizeof(kEffectIds) / sizeof(kEffectIds[0]), video);
    Enable(this, IDC_SUBTITLE_TRACK_GROUP, subtitles);
    Enable(this, IDC_SUBTITLE_TRACK_LABEL, subtitles);
    Enable(this, IDC_SUBTITLE_TRACK, subtitles);
    ApplySubControlRules();
}

void CGifMakerDialog::ApplySubControlRules()
{
    CMediaConvertDialog::ApplySubControlRules();
    Enable(this, IDC_ROTATION, Checked(this, IDC_ROTATE) && Enabled(this, IDC_ROTATE));
}

void CGifMakerDialog::ApplyLoopRule()
{
    const int row = ComboOf(this, IDC_GIF_LOOP)->GetCurSel();
    const int show = row == 2 ? SW_SHOW : SW_HIDE;
    if (CWnd* w = GetDlgItem(IDC_GIF_LOOP_COUNT))
        w->ShowWindow(show);
    if (CWnd* w = GetDlgItem(IDC_GIF_LOOP_SPIN))
        w->ShowWindow(show);
}

std::vector<UINT> CGifMakerDialog::RunningDisabledIds() const
{
    std::vector<UINT> ids(std::begin(kEffectIds), std::end(kEffectIds));
    for (UINT id : {IDC_VIDEO_TRACK, IDC_SUBTITLE_TRACK, IDC_GIF_WIDTH_LABEL, IDC_GIF_WIDTH, IDC_GIF_HEIGHT_LABEL,
                    IDC_GIF_HEIGHT, IDC_GIF_RATE_LABEL, IDC_GIF_RATE, IDC_GIF_FPS, IDC_GIF_LOOP_LABEL, IDC_GIF_LOOP,
                    IDC_GIF_LOOP_COUNT, IDC_GIF_LOOP_SPIN})
        ids.push_back(id);
    return ids;
}

void CGifMakerDialog::EnableControls(bool running)
{
    CMediaConvertDialog::EnableControls(running);
    if (running)
        return;
    for (UINT id : {IDC_GIF_WIDTH_LABEL, IDC_GIF_WIDTH, IDC_GIF_HEIGHT_LABEL, IDC_GIF_HEIGHT, IDC_GIF_RATE_LABEL,
                    IDC_GIF_RATE, IDC_GIF_FPS, IDC_GIF_LOOP_LABEL, IDC_GIF_LOOP, IDC_GIF_LOOP_COUNT, IDC_GIF_LOOP_SPIN})
        Enable(this, id, TRUE);
    EnableVideoGroups();
    ApplyLoopRule();
}

void CGifMakerDialog::OnVideoTrackChange()
{
    m_nVideoRow = ComboOf(this, IDC_VIDEO_TRACK)->GetCurSel();
    EnableAll(this, kEffectIds, sizeof(kEffectIds) / sizeof(kEffectIds[0]), !Job.Source.MediaInfo.VideoStreams.IsEmpty());
    ApplySubControlRules();
}

void CGifMakerDialog::OnWidthChange()
{
    ComboOf(this, IDC_GIF_HEIGHT)->SetCurSel(ComboOf(this, IDC_GIF_WIDTH)->GetCurSel());
}

void CGifMakerDialog::OnHeightChange()
{
    ComboOf(this, IDC_GIF_WIDTH)->SetCurSel(ComboOf(this, IDC_GIF_HEIGHT)->GetCurSel());
}

void CGifMakerDialog::OnLoopChange()
{
    m_nLoopRow = ComboOf(this, IDC_GIF_LOOP)->GetCurSel();
    ApplyLoopRule();
}

int CGifMakerDialog::FillJobOptions(CJobOutputSettings& options)
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
    CMediaInfoRecord& info = Job.Source.MediaInfo;
    if (!info.VideoStreams.IsEmpty()) {
        info.SelectedVideoStream = TrackOfRow(m_nVideoRow, 1, false, (int)info.VideoStreams.GetSize());
        options.FlipHorizontal = m_bFlipHorizontal ? 1 : 0;
        options.FlipVertical = m_bFlipVertical ? 1 : 0;
        options.Rotation = m_bRotate ? 90 * (m_nRotationRow + 1) : 0;
        options.Grayscale = m_bGrayscale ? 1 : 0;
        options.Negate = m_bNegate ? 1 : 0;
        options.OldPhoto = m_bOldPhoto ? 1 : 0;
    }
    info.SelectedAudioStream = MEDIA_SELECT_NONE;
    if (!info.SubtitleStreams.IsEmpty())
        info.SelectedSubtitleStream = TrackOfRow(m_nSubtitleRow, 2, true, (int)info.SubtitleStreams.GetSize());

    CPresetStore* store = GetStore();
    CMediaFormat* format = store ? store->FindFormat(m_strFormatKey) : nullptr;
    if (CMediaPreset* custom = format ? format->FindPreset(L"Custom") : nullptr) {
        custom->Settings.Video.Width = _wtoi(m_strWidth);
        custom->Settings.Video.Height = _wtoi(m_strHeight);
        // Read as the frame-rate boxes of the format and preset dialogs read it: 29.97 is 30000/1001
        // here as there.
        MediaRate rate = ParseFrameRateText(m_strFrameRate);
        if (rate.Num <= 0 || rate.Den <= 0)
            rate = {10, 1};
        custom->Settings.Video.RateNum = rate.Num;
        custom->Settings.Video.RateDen = rate.Den;
    }
    switch (m_nLoopRow) {
    case 0:
        options.Loop = 0;
        break;
    case 1:
        options.Loop = 1;
        break;
    case 2:
        options.Loop = m_nLoopCount;
        break;
    default:
        options.Loop = -1;
        break;
    }
    return 0;
}
