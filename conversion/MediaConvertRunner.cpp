// One conversion on its worker thread: format and preset look-up, destination, the format's
// encoder run, the output check, and the reports to the job's listener.
#include "conversion/MediaConvertRunner.h"

#include <shlwapi.h>
#include <string.h>

#include "conversion/ConvertHost.h"
#include "conversion/OutputNaming.h"
#include "conversion/PresetStore.h"
#include "engine/EngineHost.h"
#include "engine/SystemHelpers.h"

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

// A playlist and its segments are written as several files that name each other: they cannot be
// moved into place as one, so these muxers write straight under the destination's name.
bool WritesSeveralFiles(const CMediaFormat& format)
{
    return format.Muxer.CompareNoCase(L"hls") == 0 || format.Muxer.CompareNoCase(L"dash") == 0;
}

// The name the encoder writes to beside the destination until the output is finished: the
// destination's title with ".part" and its extension, numbered when that name is taken.
CString MakePartialPath(const CString& target)
{
    const int slash = target.ReverseFind(L'\\');
    const CString folder = slash >= 0 ? target.Left(slash) : CString();
    const CString name = slash >= 0 ? target.Mid(slash + 1) : target;
    const int dot = name.ReverseFind(L'.');
    const CString title = dot >= 0 ? name.Left(dot) : name;
    const CString extension = dot >= 0 ? name.Mid(dot) : CString();
    return MakeUniqueFilePath(folder, title + L".part", extension);
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
    WaitForWorker();
}

void CMediaJobListener::WaitForWorker()
{
    HANDLE handle = m_thread;
    if (!CHandle::IsValidHandle(handle))
        return;
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
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
        WaitForWorker();
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

int CMediaConvertRunner::OnStarted(const EncoderProgressBlock* block)
{
    if (block)
        m_pJob->Status.Progress = *block;
    return 0;
}

int CMediaConvertRunner::OnProgress(const EncoderProgressBlock* block)
{
    if (Canceled())
        return 1;
    if (block)
        m_pJob->Status.Progress = *block;
    if (CMediaJobListener* listener = Listener())
        listener->OnJobProgress(*m_pJob);
    return 0;
}

int CMediaConvertRunner::OnEnded(const EncoderProgressBlock* block)
{
    if (block)
        m_pJob->Status.Progress = *block;
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
    // An output made of a stream the source does not have would be nothing but an encoder error.
    const bool soundOnly = !(format->Flags & FORMAT_VIDEO) || (preset.Settings.Video.Flags & PRESET_STREAM_OFF);
    const bool pictureOnly = !soundOnly && !(format->Flags & FORMAT_AUDIO);
    const CMediaInfoRecord& sound = job.Source.AudioPath.IsEmpty() ? job.Source.MediaInfo : job.Source.AudioInfo;
    if (soundOnly && sound.AudioStreams.IsEmpty()) {
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_SOURCE_NO_AUDIO);
        return -1;
    }
    if (pictureOnly && job.Source.MediaInfo.VideoStreams.IsEmpty()) {
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_SOURCE_NO_VIDEO);
        return -1;
    }

    const CString folder = (job.Output.Flags & JOB_OUTPUT_TO_SOURCE_FOLDER) ? GetParentFolder(job.Source.Path)
                                                                             : job.Output.DestinationFolder;
    const CString title = !job.Output.DestinationName.IsEmpty() ? GetFileTitle(job.Output.DestinationName)
                                                                : GetFileTitle(job.Source.Path);
    job.Target.Path = folder + L"\\" + title + format->Extension;
    // The source itself is never the destination, whatever the overwrite answer: the encoder
    // cannot write the file it reads. It gets the first free numbered name, as a rename would.
    if (IsSameFile(job.Target.Path, job.Source.Path))
        job.Target.Path = folder + L"\\" + MakeNumberedFileName(folder, title, format->Extension) + format->Extension;

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

    job.Status.JobFlags |= JOB_STARTED;
    SetSubState(JOB_SUB_DESTINATION_READY);
    // The encoder writes beside the destination; only a finished output takes the destination's
    // name, so a stopped or failed job leaves neither half a file nor an empty one, and a file the
    // user chose to overwrite stays until its replacement is whole. Creating that file first also
    // tells a destination that cannot be written from an encoder failure.
    const bool direct = WritesSeveralFiles(*format);
    const CString written = direct ? job.Target.Path : MakePartialPath(job.Target.Path);
    CTempFile partial(written, TRUE, TRUE);
    {
        CHandle file(CreateFileW(written, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 direct ? OPEN_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) {
            // Not ours to delete: nothing was created.
            partial.m_nDelete = 0;
            SetResult(JOB_RESULT_FAILED, JOB_DETAIL_CANNOT_WRITE);
            return -1;
        }
    }
    SetSubState(JOB_SUB_CONVERTING);

    CEncoderOptions options;
    FillEncoderOptions(options, written);
    const __int64 expectedUs = ExpectedDurationUs(job.Source, options, !soundOnly, !pictureOnly);
    if (format->Convert(options, preset, this, m_hNotifyWindow, m_pCancel, &job.Source) != 0) {
        if (Canceled()) {
            SetResult(JOB_RESULT_CANCELED, 0);
            return 1;
        }
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_CANNOT_CONVERT);
        return -1;
    }
    // A missing output (-1) is as much a failure as an empty one: an encoder that exits 0
    // without writing must not end as "Completed".
    if (GetFileSize64(written) <= 0) {
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_CANNOT_CONVERT);
        return -1;
    }
    if (direct) {
        partial.m_nDelete = 0;
    } else if (!MoveFileExW(written, job.Target.Path, MOVEFILE_REPLACE_EXISTING)) {
        // The destination is held open elsewhere, or read-only.
        SetResult(JOB_RESULT_FAILED, JOB_DETAIL_CANNOT_WRITE);
        return -1;
    }
    job.Target.Size = GetFileSize64(job.Target.Path);
    job.Status.JobFlags |= JOB_OUTPUT_WRITTEN;
    SetSubState(JOB_SUB_OUTPUT_WRITTEN);
    job.ProbeOutput(m_pCancel);
    // An encoder reading a damaged source ends well with what it could read: an output clearly
    // shorter than asked is kept, since it holds all the source gave, but never called complete.
    if (IsOutputShort(expectedUs, job.Target.MediaInfo.DurationInUs)) {
        SetResult(JOB_RESULT_INCOMPLETE, JOB_DETAIL_OUTPUT_SHORT);
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
