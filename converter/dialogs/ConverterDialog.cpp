// CConverterDialog: a source into a format and preset, with a cut, tracks, video effects and volume.
#include "converter/dialogs/ConverterDialog.h"

#include <iterator>

#include "conversion/MediaPreset.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "framework/Ddx.h"

BEGIN_MESSAGE_MAP(CConverterDialog, CMediaConvertDialog)
    ON_CBN_SELCHANGE(IDC_VIDEO_TRACK, OnVideoTrackChange)
    ON_CBN_SELCHANGE(IDC_AUDIO_TRACK, OnAudioTrackChange)
END_MESSAGE_MAP()

CConverterDialog::CConverterDialog(CWnd* pParentWnd)
    : CMediaConvertDialog(IDD_CONVERTER, pParentWnd), m_nVideoRow(0), m_nAudioRow(0), m_nSubtitleRow(0)
{
    m_markedLabels = {IDC_SOURCE_LABEL, IDC_FORMAT_LABEL, IDC_FOLDER_LABEL};
}

CConverterDialog::~CConverterDialog()
{
    SaveFormatChoice();
}

void CConverterDialog::TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart)
{
    CMediaConvertDialog::TakeCommandLine(options, autoStart);
    m_nPendingVideo = options.videoStream;
    TakeEffects(options);
    m_nPendingAudio = options.audioStream;
    TakeVolume(options);
    m_nPendingSubtitle = options.subtitleStream;
}

void CConverterDialog::FillTemplateLists()
{
    FillRows(IDC_VIDEO_TRACK, {L"Auto"});
    FillRows(IDC_AUDIO_TRACK, {L"Auto"});
    FillRows(IDC_SUBTITLE_TRACK, {L"Auto"});
    FillRows(IDC_ROTATION, {L"90 degrees", L"180 degrees", L"270 degrees"});
    SendDlgItemMessage(IDC_VOLUME, TBM_SETRANGE, TRUE, MAKELPARAM(0, CVolumeChoice::kMaxVolume));
}

BOOL CConverterDialog::OnInitDialog()
{
    const BOOL focusFirst = CMediaConvertDialog::OnInitDialog();
    ShowVolume(m_nVolume);
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
    ExchangeEffects(pDX);
    ExchangeVolume(pDX);
    DDX_CBIndex(pDX, IDC_VIDEO_TRACK, m_nVideoRow);
    DDX_CBIndex(pDX, IDC_AUDIO_TRACK, m_nAudioRow);
    DDX_CBIndex(pDX, IDC_SUBTITLE_TRACK, m_nSubtitleRow);
}

void CConverterDialog::FillTrackLists()
{
    CheckCutAgainstDuration();
    const CMediaInfoRecord& info = Job.Source.MediaInfo;
    m_nVideoRow =
        FillTrackList(IDC_VIDEO_TRACK, info.VideoStreams, L"No video", MEDIA_STREAM_VIDEO, true, m_nPendingVideo);
    m_nAudioRow =
        FillTrackList(IDC_AUDIO_TRACK, info.AudioStreams, L"No audio", MEDIA_STREAM_AUDIO, true, m_nPendingAudio);
    m_nSubtitleRow = FillTrackList(IDC_SUBTITLE_TRACK, info.SubtitleStreams, L"No subtitles", MEDIA_STREAM_SUBTITLE,
                                   true, m_nPendingSubtitle);
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
    EnableIds(kVideoTrackIds, video);
    EnableIds(kEffectControlIds, video && IsConvertedRow(ComboOf(IDC_VIDEO_TRACK)->GetCurSel()));
    EnableIds(kAudioTrackIds, audio);
    EnableIds(kVolumeControlIds, audio && IsConvertedRow(ComboOf(IDC_AUDIO_TRACK)->GetCurSel()));
    EnableIds(kSubtitleTrackIds, subtitles);
    ApplySubControlRules();
}

void CConverterDialog::ApplySubControlRules()
{
    CMediaConvertDialog::ApplySubControlRules();
    ApplyRotationRule();
    ApplyVolumeRule();
}

std::vector<UINT> CConverterDialog::RunningDisabledIds() const
{
    std::vector<UINT> ids(std::begin(kEffectControlIds), std::end(kEffectControlIds));
    ids.insert(ids.end(), std::begin(kVolumeControlIds), std::end(kVolumeControlIds));
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
    m_nVideoRow = ComboOf(IDC_VIDEO_TRACK)->GetCurSel();
    EnableIds(kEffectControlIds, IsConvertedRow(m_nVideoRow) && !Job.Source.MediaInfo.VideoStreams.IsEmpty());
    ApplySubControlRules();
}

void CConverterDialog::OnAudioTrackChange()
{
    m_nAudioRow = ComboOf(IDC_AUDIO_TRACK)->GetCurSel();
    EnableIds(kVolumeControlIds, IsConvertedRow(m_nAudioRow) && !Job.Source.MediaInfo.AudioStreams.IsEmpty());
    ApplySubControlRules();
}

void CConverterDialog::SelectPreset(int row)
{
    CMediaConvertDialog::SelectPreset(row);
    if (!m_pSelectedFormat || !m_pSelectedPreset)
        return;
    const PresetSettings& s = m_pSelectedPreset->Settings;
    if ((m_pSelectedFormat->Flags & FORMAT_VIDEO) && !(s.Video.Flags & PRESET_STREAM_OFF))
        m_nOutputKind = JOB_KIND_VIDEO;
    else if ((m_pSelectedFormat->Flags & FORMAT_AUDIO) && !(s.Audio.Flags & PRESET_STREAM_OFF))
        m_nOutputKind = JOB_KIND_AUDIO;
    RedrawSidePanel();
}

int CConverterDialog::ApplySelection()
{
    CMediaConvertDialog::ApplySelection();
    return 0;
}

int CConverterDialog::FillJobOptions(CJobOutputSettings& options)
{
    FillSharedJobOptions(options);
    CMediaInfoRecord& info = Job.Source.MediaInfo;
    if (!info.VideoStreams.IsEmpty()) {
        info.SelectedVideoStream = TrackOfRow(m_nVideoRow, true, (int)info.VideoStreams.GetSize());
        FillEffects(options);
    }
    if (!info.AudioStreams.IsEmpty()) {
        info.SelectedAudioStream = TrackOfRow(m_nAudioRow, true, (int)info.AudioStreams.GetSize());
        FillVolume(options);
    }
    if (!info.SubtitleStreams.IsEmpty())
        info.SelectedSubtitleStream = TrackOfRow(m_nSubtitleRow, true, (int)info.SubtitleStreams.GetSize());
    return 0;
}
