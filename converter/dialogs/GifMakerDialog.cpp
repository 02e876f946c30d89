// CGifMakerDialog: a cut of a source's video into an animated GIF of a chosen size, rate and loop.
#include "converter/dialogs/GifMakerDialog.h"

#include <iterator>

#include "conversion/MediaPreset.h"
#include "conversion/PresetStore.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/ConverterSettings.h"
#include "framework/Ddx.h"
#include "framework/Effects.h"

namespace {

// The rows of the loop list.
const int kLoopInfiniteRow = 0;
const int kLoopOnceRow = 1;
const int kLoopCountRow = 2;
const int kMaxLoopCount = 10000;

// A new source's cut: its first five seconds at the most.
const __int64 kDefaultCutMs = 5000;
// The size rows halve the source's size down to this side; the first row whose two sides both
// fit in the chosen bound is selected.
const int kSmallestSide = 32;
const int kChosenSideBound = 480;
// A source frame rate up to this one is chosen.
const int kChosenRateBound = 10;
// The frames a second of a rate box that does not read.
const int kFallbackRate = 10;

}  // namespace

BEGIN_MESSAGE_MAP(CGifMakerDialog, CMediaConvertDialog)
    ON_CBN_SELCHANGE(IDC_VIDEO_TRACK, OnVideoTrackChange)
    ON_CBN_SELCHANGE(IDC_GIF_WIDTH, OnWidthChange)
    ON_CBN_SELCHANGE(IDC_GIF_HEIGHT, OnHeightChange)
    ON_CBN_SELCHANGE(IDC_GIF_LOOP, OnLoopChange)
END_MESSAGE_MAP()

CGifMakerDialog::CGifMakerDialog(CWnd* pParentWnd)
    : CMediaConvertDialog(IDD_GIF_MAKER, pParentWnd),
      m_nVideoRow(0),
      m_nSubtitleRow(0),
      m_nLoopRow(0),
      m_nLoopCount(10),
      m_nSourceRateRow(-1)
{
    m_markedLabels = {IDC_SOURCE_LABEL, IDC_FOLDER_LABEL};
    m_strFormatKey = L"VF_gif";
    m_strPresetName = L"Custom";
    CConverterSettings* s = GetConverterSettings();
    m_strHeight.Format(L"%d", s ? s->gifHeight : 160);
    m_strWidth.Format(L"%d", s ? s->gifWidth : 240);
    m_strFrameRate.Format(L"%d", s ? s->gifFrameRate : 5);
    if (s) {
        m_nLoopRow = s->gifLoop;
        m_nLoopCount = s->gifLoopCount;
    }
    m_nOutputKind = JOB_KIND_VIDEO;
}

CGifMakerDialog::~CGifMakerDialog()
{
    if (CConverterSettings* s = GetConverterSettings()) {
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
    TakeEffects(options);
    m_nPendingSubtitle = options.subtitleStream;
}

void CGifMakerDialog::FillTemplateLists()
{
    FillRows(IDC_VIDEO_TRACK, {L"Auto"});
    FillRows(IDC_SUBTITLE_TRACK, {L"Auto"});
    FillRows(IDC_ROTATION, {L"90 degrees", L"180 degrees", L"270 degrees"});
    FillRows(IDC_GIF_RATE, {L"5", L"8", L"10", L"12", L"15"});
    FillRows(IDC_GIF_LOOP, {L"Infinite loop", L"Play once", L"Loop count:"});
    SendDlgItemMessage(IDC_GIF_LOOP_SPIN, UDM_SETRANGE32, 1, kMaxLoopCount);
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
    ExchangeEffects(pDX);
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
        m_nCutStop = duration <= kDefaultCutMs ? duration : kDefaultCutMs;
        m_startEdit.SetTime(m_nCutStart);
        m_stopEdit.SetTime(m_nCutStop);
    }
    const CMediaInfoRecord& info = Job.Source.MediaInfo;
    // No "Disable" for the video: a GIF is made of it.
    m_nVideoRow =
        FillTrackList(IDC_VIDEO_TRACK, info.VideoStreams, L"No video", MEDIA_STREAM_VIDEO, false, m_nPendingVideo);
    m_nSubtitleRow = FillTrackList(IDC_SUBTITLE_TRACK, info.SubtitleStreams, L"No subtitles", MEDIA_STREAM_SUBTITLE,
                                   true, m_nPendingSubtitle);

    if (!info.VideoStreams.IsEmpty()) {
        const CMediaStream* stream = info.VideoStreams[0];
        CComboBox* widths = ComboOf(IDC_GIF_WIDTH);
        CComboBox* heights = ComboOf(IDC_GIF_HEIGHT);
        widths->ResetContent();
        heights->ResetContent();
        int w = stream->Width, h = stream->Height, selected = -1, row = 0;
        while (w > 0 && h > 0) {
            CString text;
            text.Format(L"%d", w);
            widths->AddString(text);
            text.Format(L"%d", h);
            heights->AddString(text);
            if (selected < 0 && w <= kChosenSideBound && h <= kChosenSideBound)
                selected = row;
            ++row;
            w /= 2;
            h /= 2;
            if (w < kSmallestSide || h < kSmallestSide)
                break;
        }
        if (selected < 0)
            selected = 0;
        widths->SetCurSel(selected);
        heights->SetCurSel(selected);
        widths->GetLBText(selected, m_strWidth);
        heights->GetLBText(selected, m_strHeight);

        CComboBox* rates = ComboOf(IDC_GIF_RATE);
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
            if (rate <= kChosenRateBound) {
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
    EnableIds(kVideoTrackIds, video);
    EnableIds(kEffectControlIds, video);
    EnableIds(kSubtitleTrackIds, subtitles);
    ApplySubControlRules();
}

void CGifMakerDialog::ApplySubControlRules()
{
    CMediaConvertDialog::ApplySubControlRules();
    ApplyRotationRule();
}

void CGifMakerDialog::ApplyLoopRule()
{
    const int row = ComboOf(IDC_GIF_LOOP)->GetCurSel();
    const int show = row == kLoopCountRow ? SW_SHOW : SW_HIDE;
    if (CWnd* w = GetDlgItem(IDC_GIF_LOOP_COUNT))
        w->ShowWindow(show);
    if (CWnd* w = GetDlgItem(IDC_GIF_LOOP_SPIN))
        w->ShowWindow(show);
}

std::vector<UINT> CGifMakerDialog::RunningDisabledIds() const
{
    std::vector<UINT> ids(std::begin(kEffectControlIds), std::end(kEffectControlIds));
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
        EnableId(id, TRUE);
    EnableVideoGroups();
    ApplyLoopRule();
}

void CGifMakerDialog::OnVideoTrackChange()
{
    m_nVideoRow = ComboOf(IDC_VIDEO_TRACK)->GetCurSel();
    EnableIds(kEffectControlIds, !Job.Source.MediaInfo.VideoStreams.IsEmpty());
    ApplySubControlRules();
}

void CGifMakerDialog::OnWidthChange()
{
    ComboOf(IDC_GIF_HEIGHT)->SetCurSel(ComboOf(IDC_GIF_WIDTH)->GetCurSel());
}

void CGifMakerDialog::OnHeightChange()
{
    ComboOf(IDC_GIF_WIDTH)->SetCurSel(ComboOf(IDC_GIF_HEIGHT)->GetCurSel());
}

void CGifMakerDialog::OnLoopChange()
{
    m_nLoopRow = ComboOf(IDC_GIF_LOOP)->GetCurSel();
    ApplyLoopRule();
}

int CGifMakerDialog::FillJobOptions(CJobOutputSettings& options)
{
    FillSharedJobOptions(options);
    CMediaInfoRecord& info = Job.Source.MediaInfo;
    if (!info.VideoStreams.IsEmpty()) {
        info.SelectedVideoStream = TrackOfRow(m_nVideoRow, false, (int)info.VideoStreams.GetSize());
        FillEffects(options);
    }
    info.SelectedAudioStream = MEDIA_SELECT_NONE;
    if (!info.SubtitleStreams.IsEmpty())
        info.SelectedSubtitleStream = TrackOfRow(m_nSubtitleRow, true, (int)info.SubtitleStreams.GetSize());

    CPresetStore* store = GetStore();
    CMediaFormat* format = store ? store->FindFormat(m_strFormatKey) : nullptr;
    if (CMediaPreset* custom = format ? format->FindPreset(L"Custom") : nullptr) {
        custom->Settings.Video.Width = _wtoi(m_strWidth);
        custom->Settings.Video.Height = _wtoi(m_strHeight);
        // Read as the frame-rate boxes of the format and preset dialogs read it: 29.97 is 30000/1001
        // here as there.
        MediaRate rate = ParseFrameRateText(m_strFrameRate);
        if (rate.Num <= 0 || rate.Den <= 0)
            rate = {kFallbackRate, 1};
        custom->Settings.Video.RateNum = rate.Num;
        custom->Settings.Video.RateDen = rate.Den;
    }
    switch (m_nLoopRow) {
    case kLoopInfiniteRow:
        options.Loop = 0;
        break;
    case kLoopOnceRow:
        options.Loop = 1;
        break;
    case kLoopCountRow:
        options.Loop = m_nLoopCount;
        break;
    default:
        options.Loop = -1;
        break;
    }
    return 0;
}
