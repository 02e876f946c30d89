// CAudioExtractorDialog: the audio of a source into an audio format, with a cut and a volume change.
#include "converter/dialogs/AudioExtractorDialog.h"

#include <iterator>

#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "framework/Ddx.h"
#include "framework/Effects.h"

BEGIN_MESSAGE_MAP(CAudioExtractorDialog, CMediaConvertDialog)
    ON_CBN_SELCHANGE(IDC_AUDIO_TRACK, OnAudioTrackChange)
END_MESSAGE_MAP()

CAudioExtractorDialog::CAudioExtractorDialog(CWnd* pParentWnd)
    : CMediaConvertDialog(IDD_AUDIO_EXTRACTOR, pParentWnd), m_nAudioRow(0)
{
    m_markedLabels = {IDC_SOURCE_LABEL, IDC_FORMAT_LABEL, IDC_FOLDER_LABEL};
    // What it makes is sound: the output box shows so before the first job says more.
    m_nOutputKind = JOB_KIND_AUDIO;
}

CAudioExtractorDialog::~CAudioExtractorDialog()
{
    SaveFormatChoice();
}

void CAudioExtractorDialog::TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart)
{
    CMediaConvertDialog::TakeCommandLine(options, autoStart);
    m_nPendingAudio = options.audioStream;
    TakeVolume(options);
}

void CAudioExtractorDialog::FillTemplateLists()
{
    FillRows(IDC_AUDIO_TRACK, {L"Auto"});
    SendDlgItemMessage(IDC_VOLUME, TBM_SETRANGE, TRUE, MAKELPARAM(0, CVolumeChoice::kMaxVolume));
}

BOOL CAudioExtractorDialog::OnInitDialog()
{
    const BOOL focusFirst = CMediaConvertDialog::OnInitDialog();
    ShowVolume(m_nVolume);
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
    ExchangeVolume(pDX);
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
    // No "Disable" here: the Audio Extractor always takes a track.
    m_nAudioRow = FillTrackList(IDC_AUDIO_TRACK, Job.Source.MediaInfo.AudioStreams, L"No audio", MEDIA_STREAM_AUDIO,
                                false, m_nPendingAudio);
    EnableAudioGroup();
}

void CAudioExtractorDialog::EnableAudioGroup()
{
    const bool audio = !Job.Source.MediaInfo.AudioStreams.IsEmpty();
    EnableIds(kAudioTrackIds, audio);
    EnableIds(kVolumeControlIds, audio);
    ApplySubControlRules();
}

void CAudioExtractorDialog::ApplySubControlRules()
{
    CMediaConvertDialog::ApplySubControlRules();
    ApplyVolumeRule();
}

std::vector<UINT> CAudioExtractorDialog::RunningDisabledIds() const
{
    std::vector<UINT> ids(std::begin(kVolumeControlIds), std::end(kVolumeControlIds));
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
    m_nAudioRow = ComboOf(IDC_AUDIO_TRACK)->GetCurSel();
    EnableIds(kVolumeControlIds, !Job.Source.MediaInfo.AudioStreams.IsEmpty());
    ApplySubControlRules();
}

int CAudioExtractorDialog::ApplySelection()
{
    CMediaConvertDialog::ApplySelection();
    return 0;
}

int CAudioExtractorDialog::FillJobOptions(CJobOutputSettings& options)
{
    FillSharedJobOptions(options);
    CMediaInfoRecord& info = Job.Source.MediaInfo;
    info.SelectedVideoStream = MEDIA_SELECT_NONE;
    if (!info.AudioStreams.IsEmpty()) {
        info.SelectedAudioStream = TrackOfRow(m_nAudioRow, false, (int)info.AudioStreams.GetSize());
        FillVolume(options);
    }
    info.SelectedSubtitleStream = MEDIA_SELECT_NONE;
    return 0;
}
