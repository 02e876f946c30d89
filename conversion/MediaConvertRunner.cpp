// One conversion on its worker thread: format and preset look-up, destination, the format's
// encoder run, the output check, and the reports to the job's listener.
#include "conversion/MediaConvertRunner.h"

#include <shlwapi.h>
#include <string.h>

#include <algorithm>

#include "conversion/ConvertHost.h"
#include "conversion/OutputNaming.h"
#include "conversion/PartialOutput.h"
#include "conversion/PresetStore.h"
#include "engine/EngineHost.h"
#include "engine/ProbeTool.h"
#include "engine/SystemHelpers.h"

using detail::CPartialOutput;
using detail::kMaxNameLength;

namespace {

// The stream index of the n-th stream of that type in 'info', or -2 when it is switched off;
// -1 (automatic) for any other choice.
int MapOf(const CMediaInfoRecord& info, int selection, int type)
{
    if (selection == MEDIA_SELECT_NONE)
        return -2;
    const CMediaStreamList* list = info.GetTypeList(type);
    if (list && selection >= 0 && selection < list->GetSize())
        return info.GetStreamIndex(selection, type);
    return -1;
}

// Whether two paths name one file: the same full path, or (another spelling of it) the same
// file of the same volume.
bool IsSameFile(const CString& a, const CString& b)
{
    wchar_t fullA[MAX_PATH * 4] = L"", fullB[MAX_PATH * 4] = L"";
    if (GetFullPathNameW(a, MAX_PATH * 4, fullA, nullptr) && GetFullPathNameW(b, MAX_PATH * 4, fullB, nullptr) &&
        _wcsicmp(fullA, fullB) == 0)
        return true;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    CHandle fileA(CreateFileW(a, 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    CHandle fileB(CreateFileW(b, 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    return fileA.IsValid() && fileB.IsValid() && GetFileInformationByHandle(fileA, &infoA) &&
           GetFileInformationByHandle(fileB, &infoB) && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// A playlist and its segments are written as several files that name each other: they are
// written together into a folder of their own and moved into place together.
bool WritesSeveralFiles(const CMediaFormat& format)
{
    return format.Muxer.CompareNoCase(L"hls") == 0 || format.Muxer.CompareNoCase(L"dash") == 0;
}

// DASH names the segments of every output alike ("init-stream0.m4s"), so two outputs in one
// folder would overwrite each other's: they take the playlist's title instead, cut so that each
// segment's name fits, with the template's '$' written twice.
void AddSegmentNames(CEncoderOptions& options, const CMediaFormat& format, const CString& title)
{
    if (format.Muxer.CompareNoCase(L"dash") != 0)
        return;
    CString prefix = title.GetLength() > kMaxNameLength - 40 ? title.Left(kMaxNameLength - 40) : title;
    prefix.Replace(L"$", L"$$");
    CString names;
    names.Format(L"-init_seg_name \"%s-init-$RepresentationID$.$ext$\" "
                 L"-media_seg_name \"%s-chunk-$RepresentationID$-$Number%%05d$.$ext$\"",
                 prefix.GetString(), prefix.GetString());
    AppendEncoderOptions(options, names);
}

// The output's length as read back: the probe's, or, for a bare stream whose container tells
// none, from its frames counted (the job's record then takes that length). 0 when neither tells.
__int64 MeasureOutputUs(CMediaConvertJob& job, const CString& path, const volatile int* cancel)
{
    if (job.Target.MediaInfo.DurationInUs > 0)
        return job.Target.MediaInfo.DurationInUs;
    CEngineHost* host = GetEngineHost();
    CProbeTool tool;
    if (!host || tool.SetPath(host->GetProbeToolPath()) != 0)
        return 0;
    tool.m_options.CountFrames = 1;
    CMediaInfoRecord counted;
    if (tool.Probe(path, counted, cancel) != 0 || counted.DurationInUs <= 0)
        return 0;
    job.Target.MediaInfo.DurationInUs = counted.DurationInUs;
    return counted.DurationInUs;
}

// How long the output should be, in microseconds: from the cut's start to its stop, within the
// duration of what goes into it (the longest of its streams when the probe gave their durations,
// else the source's); 0 when not known. A track shorter than the container is no short output.
__int64 ExpectedDurationUs(const CJobSourceItem& source, const CEncoderOptions& options, bool withPicture,
                           bool withSound)
{
    const CMediaInfoRecord& sound = source.AudioPath.IsEmpty() ? source.MediaInfo : source.AudioInfo;
    const CMediaStream* streams[] = {withPicture ? source.MediaInfo.GetSelectedVideoStream() : nullptr,
                                     withSound ? sound.GetSelectedAudioStream() : nullptr};
    __int64 total = 0;
    for (const CMediaStream* stream : streams)
        if (stream && stream->DurationInUs > total)
            total = stream->DurationInUs;
    if (total <= 0)
        total = source.MediaInfo.DurationInUs;
    if (total <= 0)
        return 0;
    __int64 expected = total - options.Input1Start * 1000;
    if (options.Input1Duration > 0 && options.Input1Duration * 1000 < expected)
        expected = options.Input1Duration * 1000;
    return expected > 0 ? expected : 0;
}

} // namespace

bool IsOutputShort(__int64 expectedUs, __int64 actualUs)
{
    if (expectedUs <= 0 || actualUs <= 0)
        return false;
    const __int64 missing = expectedUs - actualUs;
    return missing > OUTPUT_SHORT_BY_US && missing * 100 > expectedUs * OUTPUT_SHORT_BY_PERCENT;
}

// ---------------------------------------------------------------------------------------------

CMediaJobListener::CMediaJobListener()
    : m_pThread(nullptr), m_nCancel(0), m_hNotifyWindow(NULL), m_bDetached(false)
{
}

CMediaJobListener::~CMediaJobListener()
{
    m_bDetached = true;
    if (!m_pThread)
        return;
    m_nCancel = 2;
    if (m_thread.IsValid())
        ::SetThreadPriority(m_thread, THREAD_PRIORITY_ABOVE_NORMAL);
    // The worker uses the job: it is cut off and waited for, delivering what it sends meanwhile.
    WaitDelivering(m_thread);
}

void CMediaJobListener::OnJobStateChanged(CMediaConvertJob& job)
{
    const CJobStatus& status = job.Status;
    if (status.State == JOB_STATE_ACTIVE) {
        if (status.SubState == JOB_SUB_DESTINATION_READY) {
            ShowFileName(FileNamePart(job.Target.Path));
            SetProgress(0, 100, 0);
        } else if (status.SubState == JOB_SUB_OUTPUT_WRITTEN) {
            SetProgress(0, 100, 0);
        }
    } else if (status.State == JOB_STATE_FINISHED) {
        // However the job ended: a stopped or failed one must not leave its last fill beside its text.
        SetProgress(0, 100, 0);
        if (status.Result == JOB_RESULT_CANCELED && status.Detail == JOB_DETAIL_FILE_EXISTS) {
            ShowFileName(FileNamePart(job.Target.Path));
        } else if (status.Result == JOB_RESULT_COMPLETED || status.Result == JOB_RESULT_INCOMPLETE) {
            // An output kept beside the file it was to replace is not under the name shown.
            if (status.JobFlags & JOB_OUTPUT_KEPT_ASIDE)
                ShowFileName(job.GetOutputName());
            ShowDuration(job.Target.MediaInfo.DurationInUs);
            ShowPosition(-1);
            ShowOutputSize(job.Target.Size);
        }
    }
    int icon, code;
    CString text, detail;
    job.GetStatusText(icon, code, text, detail);
    if (icon != -2)
        ShowStatusIcon(icon);
    if (code != -2)
        ShowProgressCode(code);
    if (!text.IsEmpty())
        ShowStatusText(text, detail);
}

void CMediaJobListener::OnJobProgress(CMediaConvertJob& job)
{
    const EncoderProgressBlock& block = job.Status.Progress;
    ShowDuration(block.TotalDurationUs);
    ShowPosition(block.PositionUs);
    ShowOutputSize(block.BytesWritten);
    SetProgress(block.PositionUs, block.TotalDurationUs, JOB_PROGRESS_TIME);
    CString detail;
    detail.Format(L"Time = %0.2f s / %0.2f s, Size = %.2f KB", (double)(block.PositionUs / 1000000),
                  (double)(block.TotalDurationUs / 1000000), (double)(block.BytesWritten + 1023) / 1024);
    ShowStatusText(L"Converting", detail);
}

void CMediaJobListener::CloseMainWindow()
{
    if (CWnd* main = AfxGetMainWnd())
        if (main->m_hWnd)
            ::PostMessageW(main->m_hWnd, WM_CLOSE, 0, 0);
}

void CMediaJobListener::SetProgress(__int64 position, __int64 range, int style)
{
    Job.SetProgress(position, range, style);
}

int CMediaJobListener::StartJob(HWND notifyWindow)
{
    if (m_pThread)
        return 1;
    Job.ResetDestination();
    m_nCancel = 0;
    m_hNotifyWindow = notifyWindow;
    CMediaConvertThread_ST* thread = new CMediaConvertThread_ST(&Job, this, notifyWindow, &m_nCancel);
    if (!thread->CreateThread(CREATE_SUSPENDED)) {
        delete thread;
        m_pThread = nullptr;
        return -1;
    }
    // A handle of our own: the thread object's handle goes with the object when the thread ends.
    HANDLE copy = NULL;
    if (DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS))
        m_thread.Attach(copy);
    thread->SetThreadPriority(THREAD_PRIORITY_NORMAL);
    m_pThread = thread;
    thread->ResumeThread();
    return 0;
}

int CMediaJobListener::StopJob()
{
    if (!m_pThread)
        return 1;
    m_nCancel = 2;
    if (m_thread.IsValid())
        ::SetThreadPriority(m_thread, THREAD_PRIORITY_ABOVE_NORMAL);
    PumpUntilMessage(m_hNotifyWindow, WM_WORKER_DONE);
    // A notify window that is gone (or went while waiting) gets no end notice: the thread's own
    // end is what counts then.
    if (m_pThread) {
        WaitDelivering(m_thread);
        OnJobFinished();
    }
    return 0;
}

void CMediaJobListener::OnJobFinished()
{
    m_pThread = nullptr;
    m_thread.Close();
    Job.TakeOutputThumbnail();
}

// ---------------------------------------------------------------------------------------------

CMediaConvertThread_ST::CMediaConvertThread_ST(CMediaConvertJob* job, CMediaJobListener* listener,
                                               HWND notifyWindow, volatile int* cancel)
    : m_pJob(job), m_pListener(listener), m_hNotifyWindow(notifyWindow), m_pCancel(cancel)
{
    m_bAutoDelete = TRUE;
}

BOOL CMediaConvertThread_ST::InitInstance()
{
    CMediaConvertRunner runner(m_pJob, m_pListener, m_hNotifyWindow, m_pCancel);
    runner.Run();
    return FALSE;
}

int CMediaConvertThread_ST::ExitInstance()
{
    ::PostMessageW(m_hNotifyWindow, WM_WORKER_DONE, 0, 0);
    return 0;
}

// ---------------------------------------------------------------------------------------------

CMediaConvertRunner::CMediaConvertRunner(CMediaConvertJob* job, CMediaJobListener* listener,
                                         HWND notifyWindow, volatile int* cancel)
    : m_pJob(job), m_pListener(listener), m_hNotifyWindow(notifyWindow), m_pCancel(cancel)
{
}

void CMediaConvertRunner::TakeBlock(const EncoderProgressBlock* block)
{
    if (!block)
        return;
    EncoderProgressBlock taken = *block;
    if (const CPartialOutput* several = m_pSeveralFiles.load())
        taken.BytesWritten = std::max(taken.BytesWritten, several->Size());
    m_pJob->Status.Progress = taken;
}

int CMediaConvertRunner::OnStarted(const EncoderProgressBlock* block)
{
    TakeBlock(block);
    return 0;
}

int CMediaConvertRunner::OnProgress(const EncoderProgressBlock* block)
{
    if (Canceled())
        return 1;
    TakeBlock(block);
    if (CMediaJobListener* listener = Listener())
        listener->OnJobProgress(*m_pJob);
    return 0;
}

int CMediaConvertRunner::OnEnded(const EncoderProgressBlock* block)
{
    TakeBlock(block);
    if (CMediaJobListener* listener = Listener())
        listener->OnJobProgress(*m_pJob);
    return 0;
}

void CMediaConvertRunner::SetState(int state)
{
    m_pJob->SetState(state);
    m_pJob->OnStateChangedHook();
    if (CMediaJobListener* listener = Listener())
        listener->OnJobStateChanged(*m_pJob);
}

void CMediaConvertRunner::SetSubState(int subState)
{
    m_pJob->SetSubState(subState);
    if (CMediaJobListener* listener = Listener())
        listener->OnJobStateChanged(*m_pJob);
}

void CMediaConvertRunner::SetResult(int result, int detail)
{
    m_pJob->SetResult(result, detail);
}

int CMediaConvertRunner::Run()
{
    SetResult(JOB_RESULT_NONE, 0);
    SetState(JOB_STATE_ACTIVE);
    const int r = Work();
    if (r == 0)
        SetResult(JOB_RESULT_COMPLETED, 0);
    else if (r != 2 && Canceled())
        SetResult(JOB_RESULT_CANCELED, 0);
    SetState(JOB_STATE_FINISHED);
    return r;
}

int CMediaConvertRunner::Work()
{
    CMediaConvertJob& job = *m_pJob;
    memset(&job.Status.Progress, 0, sizeof(job.Status.Progress));

    CConvertHost* host = GetConvertHost();
    CPresetStore* store = host ? host->GetPresetStore() : nullptr;
    CMediaFormat* format = (store && !job.Output.FormatKey.IsEmpty()) ? store->FindFormat(job.Output.FormatKey) : nullptr;
    const CMediaPreset* found = format ? format->FindPreset(job.Output.PresetName) : nullptr;
    if (!found) {
        SetResult(JOB_RESULT_FAILED, 0);
        return -1;
    }
    // A copy: the preset manager may reset the format's presets while this job runs. The codec
    // pointers stay valid, since the format owns its codecs for its whole life.
    CMediaPreset preset;
    preset.Settings = found->Settings;
    preset.VideoCodec = found->VideoCodec;
    preset.AudioCodec = found->AudioCodec;

    if (!(job.Output.Flags & JOB_SOURCE_NEED_NOT_EXIST) && !PathFileExistsW(job.Source.Path)) {
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_SOURCE_MISSING);
        return -1;
    }
    SetSubState(JOB_SUB_PREPARING);
    if (job.ProbeSource(m_pCancel) < 0) {
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_SOURCE_NOT_SUPPORTED);
        return -1;
    }
    // What goes into the output: the picture and the sound that its format and preset write,
    // unless the job switched that track off (the Audio Extractor always switches the picture
    // off). An output that would take nothing the source has would be nothing but an encoder
    // error: the stream it lacks is named instead.
    const CMediaInfoRecord& picture = job.Source.MediaInfo;
    const CMediaInfoRecord& sound = job.Source.AudioPath.IsEmpty() ? job.Source.MediaInfo : job.Source.AudioInfo;
    const bool hasPicture = !picture.VideoStreams.IsEmpty(), hasSound = !sound.AudioStreams.IsEmpty();
    // A record without streams of a kind has none chosen either: only a track there is can be off.
    const bool pictureOff = hasPicture && picture.SelectedVideoStream == MEDIA_SELECT_NONE;
    const bool soundOff = hasSound && sound.SelectedAudioStream == MEDIA_SELECT_NONE;
    const bool withPicture = (format->Flags & FORMAT_VIDEO) && !(preset.Settings.Video.Flags & PRESET_STREAM_OFF) &&
                             !pictureOff;
    const bool withSound = (format->Flags & FORMAT_AUDIO) && !(preset.Settings.Audio.Flags & PRESET_STREAM_OFF) &&
                           !soundOff;
    if (!(withPicture && hasPicture) && !(withSound && hasSound)) {
        if (!hasSound && (withSound || pictureOff)) {
            SetResult(JOB_RESULT_FAILED, JOB_DETAIL_SOURCE_NO_AUDIO);
            return -1;
        }
        if (!hasPicture && withPicture) {
            SetResult(JOB_RESULT_FAILED, JOB_DETAIL_SOURCE_NO_VIDEO);
            return -1;
        }
    }

    const CString folder = job.GetDestinationFolder();
    const CString title = !job.Output.DestinationName.IsEmpty() ? GetFileTitle(job.Output.DestinationName)
                                                                : GetFileTitle(job.Source.Path);
    job.Target.Path = folder + L"\\" + title + format->Extension;
    // The source itself is never the destination, whatever the overwrite answer: the encoder
    // cannot write the file it reads. It gets the first free numbered name, as a rename would.
    if (IsSameFile(job.Target.Path, job.Source.Path))
        job.Target.Path =
            folder + L"\\" + MakeNumberedFileName(folder, title, format->Extension) + format->Extension;

    int answer = host ? host->GetOverwriteAnswer() : FILE_EXISTS_ASK;
    if (CheckExistingFile(job.Target.Path, answer) == 1) {
        if (host && (answer == FILE_EXISTS_RENAME_ALL || answer == FILE_EXISTS_OVERWRITE_ALL ||
                     answer == FILE_EXISTS_SKIP_ALL))
            host->SetOverwriteAnswer(answer);
        if (answer == FILE_EXISTS_SKIP || answer == FILE_EXISTS_SKIP_ALL) {
            SetResult(JOB_RESULT_CANCELED, JOB_DETAIL_FILE_EXISTS);
            return 1;
        }
    }
    // Only an agreed overwrite lets the output replace a file under its name; a file that took the
    // name while the job ran (another job's output, a copy) is otherwise never lost to it.
    const bool overwrite = answer == FILE_EXISTS_OVERWRITE || answer == FILE_EXISTS_OVERWRITE_ALL;

    job.Status.JobFlags |= JOB_STARTED;
    SetSubState(JOB_SUB_DESTINATION_READY);
    CPartialOutput partial(job.Target.Path, WritesSeveralFiles(*format));
    if (!partial.Create()) {
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_CANNOT_WRITE);
        return -1;
    }
    SetSubState(JOB_SUB_CONVERTING);

    CEncoderOptions options;
    FillEncoderOptions(options, partial.ForEncoder());
    AddSegmentNames(options, *format, title);
    const __int64 expectedUs = ExpectedDurationUs(job.Source, options, withPicture, withSound);
    if (WritesSeveralFiles(*format))
        m_pSeveralFiles = &partial;
    const int converted = format->Convert(options, preset, this, m_hNotifyWindow, m_pCancel, &job.Source);
    m_pSeveralFiles = nullptr;
    // A missing output (-1) is as much a failure as an empty one: an encoder that exits 0
    // without writing must not end as "Completed".
    if (converted != 0 || GetFileSize64(partial.Written()) <= 0) {
        if (converted != 0 && Canceled()) {
            SetResult(JOB_RESULT_CANCELED, 0);
            return 1;
        }
        // A full disk or a folder gone is no fault of the format: the user must not go off trying
        // another one.
        SetResult(JOB_RESULT_FAILED, partial.CannotBeWritten() ? JOB_DETAIL_CANNOT_WRITE : JOB_DETAIL_CANNOT_CONVERT);
        return -1;
    }
    job.Target.Size = partial.Size();
    SetSubState(JOB_SUB_OUTPUT_WRITTEN);

    // Read back where it was written, before it takes the destination's place. An encoder reading
    // a damaged source ends well with what it could read: an output clearly shorter than asked,
    // or one that cannot be read back to tell, holds all the source gave and is kept, but is never
    // called complete. Nor is one whose length nothing can tell.
    int incomplete = 0;
    if (job.ProbeOutputAt(partial.Written(), m_pCancel) != 0) {
        incomplete = JOB_DETAIL_OUTPUT_UNREADABLE;
    } else {
        const __int64 actualUs = MeasureOutputUs(job, partial.Written(), m_pCancel);
        if (actualUs <= 0)
            incomplete = expectedUs > 0 ? JOB_DETAIL_OUTPUT_UNMEASURED : JOB_DETAIL_OUTPUT_UNVERIFIED;
        else if (IsOutputShort(expectedUs, actualUs))
            incomplete = JOB_DETAIL_OUTPUT_SHORT;
    }
    // Stopped while it was read back: nothing changes at the destination.
    if (Canceled()) {
        SetResult(JOB_RESULT_CANCELED, 0);
        return 1;
    }
    // An output that is not known whole never takes the place of a file the user had: it is kept
    // beside it, as is any output whose name another file took meanwhile.
    const CString placed = partial.Place(overwrite && !incomplete);
    if (placed.IsEmpty()) {
        // The destination is held open elsewhere, or read-only.
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_CANNOT_WRITE);
        return -1;
    }
    if (placed != job.Target.Path) {
        job.Target.Path = placed;
        job.Status.JobFlags |= JOB_OUTPUT_KEPT_ASIDE;
    }
    job.Status.JobFlags |= JOB_OUTPUT_WRITTEN;
    if (incomplete) {
        SetResult(JOB_RESULT_INCOMPLETE, incomplete);
        return 2;
    }
    return 0;
}

int CMediaConvertRunner::FillEncoderOptions(CEncoderOptions& options, LPCWSTR outputPath)
{
    CMediaConvertJob& job = *m_pJob;
    const CJobSourceItem& source = job.Source;
    CJobOutputSettings& output = job.Output;
    options.Reset();
    options.Input1Path = source.Path;
    options.VideoMap = MapOf(source.MediaInfo, source.MediaInfo.SelectedVideoStream, MEDIA_STREAM_VIDEO);

    options.Input2Path = source.AudioPath;
    const CMediaInfoRecord& audio = source.AudioPath.IsEmpty() ? source.MediaInfo : source.AudioInfo;
    options.AudioMap = MapOf(audio, audio.SelectedAudioStream, MEDIA_STREAM_AUDIO);

    options.Input3Path = source.SubtitlePath;
    const CMediaInfoRecord& subtitle = source.SubtitlePath.IsEmpty() ? source.MediaInfo : source.SubtitleInfo;
    options.SubtitleMap = MapOf(subtitle, subtitle.SelectedSubtitleStream, MEDIA_STREAM_SUBTITLE);

    if (output.TrimStart > 0)
        options.Input1Start = output.TrimStart;
    if (output.TrimEnd > 0 && output.TrimStart >= output.TrimEnd)
        output.TrimEnd = -1;
    if (output.TrimEnd > 0)
        options.Input1Duration = (__int64)output.TrimEnd - output.TrimStart;
    options.OutputPath = outputPath;
    if (options.Input1Duration > 0)
        options.OutputDuration = options.Input1Duration;

    if (output.Rotation) options.Rotation = output.Rotation;
    if (output.FlipHorizontal) options.FlipHorizontal = output.FlipHorizontal;
    if (output.FlipVertical) options.FlipVertical = output.FlipVertical;
    if (output.Grayscale) options.Grayscale = output.Grayscale;
    if (output.Negate) options.Negate = output.Negate;
    if (output.OldPhoto) options.OldPhoto = output.OldPhoto;
    if (output.Loop != -1) options.Loop = output.Loop;

    options.VolumeLevel = 256;
    if (output.Volume != 100) {
        int v = (int)(output.Volume * 2.56);
        if (v < 0) v = 256;
        options.VolumeLevel = v;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------

int RunEncoderJob(CEncoderOptions& options, HWND notifyWindow, CEncoderToolEvents* listener,
                  const volatile int* stopFlag)
{
    CEngineHost* host = GetEngineHost();
    if (!host)
        return -2;
    CEncoderTool tool;
    if (tool.InitWithListener(host->GetEncoderToolPath(), GetConvertPresetsFolder(), notifyWindow, listener) != 0)
        return -2;
    return tool.Launch(options, stopFlag);
}

void AppendEncoderOptions(CEncoderOptions& options, LPCWSTR text)
{
    if (!text || !*text)
        return;
    if (!options.ExtraOptions1.IsEmpty())
        options.ExtraOptions1 += L" ";
    options.ExtraOptions1 += text;
}

SourceStreamValues MakeSourceValues(const CMediaStream* stream)
{
    SourceStreamValues values{};
    if (stream) {
        values.BitRate = stream->BitRate;
        values.Width = stream->Width;
        values.Height = stream->Height;
        values.RateNum = stream->FrameRateNum;
        values.RateDen = stream->FrameRateDen;
        values.Channels = stream->Channels;
        values.SampleRate = stream->SampleRate;
    }
    return values;
}
