// The conversion job's resets, probes, status texts and the opening of its output.
#include "conversion/MediaConvertJob.h"

#include <shlwapi.h>
#include <string.h>

#include "conversion/ConvertHost.h"
#include "conversion/MediaPreset.h"
#include "conversion/OutputNaming.h"
#include "conversion/PresetStore.h"
#include "engine/SystemHelpers.h"
#include "engine/ThumbnailGrab.h"
#include "framework/Effects.h"
#include "framework/Thread.h"

CFileStamp CFileStamp::Of(LPCWSTR path)
{
    CFileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !*path || !GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.Known = true;
    stamp.Size = ((__int64)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    stamp.WriteTime = ((__int64)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

bool CFileStamp::operator==(const CFileStamp& other) const
{
    if (Known != other.Known)
        return false;
    return !Known || (Size == other.Size && WriteTime == other.WriteTime);
}

CJobSourceItem::CJobSourceItem() : Kind(JOB_KIND_NONE), Size(-1) {}

void CJobSourceItem::Reset()
{
    Path.Empty();
    MediaInfo.Reset();
    Kind = JOB_KIND_NONE;
    Size = -1;
    AudioPath.Empty();
    AudioInfo.Reset();
    SubtitlePath.Empty();
    SubtitleInfo.Reset();
    Thumbnail.Destroy();
    ProbedPath.Empty();
    ProbedStamp = CFileStamp();
}

int CJobSourceItem::ProbePath(const volatile int* stopFlag)
{
    // The track choice belongs to the job, not to one probe result.
    const int video = MediaInfo.SelectedVideoStream;
    const int audio = MediaInfo.SelectedAudioStream;
    const int subtitle = MediaInfo.SelectedSubtitleStream;
    ProbedPath.Empty();
    ProbedStamp = CFileStamp();
    const CFileStamp stamp = CFileStamp::Of(Path);
    if (MediaInfo.Probe(Path, stopFlag) != 0)
        return -1;
    MediaInfo.SelectedVideoStream = video;
    MediaInfo.SelectedAudioStream = audio;
    MediaInfo.SelectedSubtitleStream = subtitle;
    MediaInfo.Finalize();
    ProbedPath = Path;
    ProbedStamp = stamp;
    if (!MediaInfo.VideoStreams.IsEmpty())
        Kind = JOB_KIND_VIDEO;
    else if (!MediaInfo.AudioStreams.IsEmpty())
        Kind = JOB_KIND_AUDIO;
    else
        Kind = JOB_KIND_NONE;
    return 0;
}

bool CJobSourceItem::IsProbeOf(LPCWSTR path) const
{
    return !ProbedPath.IsEmpty() && path && ProbedPath.CompareNoCase(path) == 0 && CFileStamp::Of(path) == ProbedStamp;
}

int ProbeJobInput(CMediaInfoRecord& out, LPCWSTR path, const CJobSourceItem* source, const volatile int* stopFlag)
{
    if (!source || !source->IsProbeOf(path))
        return out.Probe(path, stopFlag) == 0 ? 0 : -1;
    out = source->MediaInfo;
    out.SelectedVideoStream = MEDIA_SELECT_AUTO;
    out.SelectedAudioStream = MEDIA_SELECT_AUTO;
    out.SelectedSubtitleStream = MEDIA_SELECT_AUTO;
    out.Finalize();
    return 0;
}

void CJobOutputSettings::Reset()
{
    Flags = 0;
    DestinationFolder.Empty();
    DestinationName.Empty();
    FormatKey.Empty();
    PresetName.Empty();
    TrimStart = 0;
    TrimEnd = -1;
    Rotation = 0;
    FlipHorizontal = FlipVertical = Grayscale = Negate = OldPhoto = 0;
    Volume = 100;
    Loop = -1;
}

CJobTargetItem::CJobTargetItem() : Kind(JOB_KIND_NONE), Size(-1) {}

void CJobTargetItem::Reset()
{
    Path.Empty();
    MediaInfo.Reset();
    Size = -1;
    Thumbnail.Destroy();
    PendingThumbnail.Destroy();
}

void CJobStatus::ResetAll()
{
    JobFlags = 0;
    ProbeFlags = 0;
    State = SubState = Result = Detail = 0;
    ProgressStyle = 0;
    ProgressRange = ProgressPosition = 0;
    memset(&Progress, 0, sizeof(Progress));
}

void CJobStatus::AddProbeFlags(UINT flags)
{
    InterlockedOr(reinterpret_cast<volatile LONG*>(&ProbeFlags), (LONG)flags);
}

void CJobStatus::RemoveProbeFlags(UINT flags)
{
    InterlockedAnd(reinterpret_cast<volatile LONG*>(&ProbeFlags), (LONG)~flags);
}

void CJobStatus::ResetPartial()
{
    RemoveProbeFlags(JOB_OUTPUT_PROBED | JOB_OUTPUT_THUMBNAIL);
    JobFlags &= ~JOB_OUTPUT_KEPT_ASIDE;
    State = SubState = 0;
    ProgressStyle = 0;
    ProgressRange = ProgressPosition = 0;
    memset(&Progress, 0, sizeof(Progress));
}

// ---------------------------------------------------------------------------------------------

void CMediaConvertJob::ResetAll()
{
    Output.Reset();
    Source.Reset();
    Target.Reset();
    Status.ResetAll();
}

void CMediaConvertJob::ResetForReconvert()
{
    Source.Reset();
    Target.Reset();
    Status.ResetAll();
}

void CMediaConvertJob::ResetDestination()
{
    Target.Reset();
    Status.ResetPartial();
}

void CMediaConvertJob::SetResult(int result, int detail)
{
    Status.Result = result;
    Status.Detail = detail;
}

void CMediaConvertJob::SetProgress(__int64 position, __int64 range, int style)
{
    Status.ProgressPosition = position;
    Status.ProgressRange = range;
    Status.ProgressStyle = style;
}

int CMediaConvertJob::HasProgress() const
{
    return Status.ProgressStyle > 0 && Status.ProgressRange > 0 && Status.ProgressPosition >= 0;
}

int CMediaConvertJob::ProbeSource(const volatile int* stopFlag)
{
    // A path changed after the probe (a dialog writing Path directly), or a file written since,
    // must not run on the streams of another file.
    if ((Status.ProbeFlags & JOB_SOURCE_PROBED) && Source.IsProbeOf(Source.Path))
        return 1;
    Status.RemoveProbeFlags(JOB_SOURCE_PROBED | JOB_SOURCE_THUMBNAIL);
    if (Source.ProbePath(stopFlag) != 0)
        return -1;
    Status.AddProbeFlags(JOB_SOURCE_PROBED);
    return 0;
}

void CMediaConvertJob::TakeSource(const CJobSourceItem& probed)
{
    ResetForReconvert();
    Source.Path = probed.Path;
    Source.MediaInfo = probed.MediaInfo;
    Source.Kind = probed.Kind;
    Source.Size = probed.Size;
    Source.ProbedPath = probed.ProbedPath;
    Source.ProbedStamp = probed.ProbedStamp;
    if (!Source.ProbedPath.IsEmpty())
        Status.AddProbeFlags(JOB_SOURCE_PROBED);
}

void CMediaConvertJob::TakeSourceThumbnail(CRasterImage& picture)
{
    if (!picture.IsValid())
        return;
    if (!Source.Thumbnail.TakeOver(picture))
        Source.Thumbnail.Copy(picture);
    picture.Destroy();
    Status.AddProbeFlags(JOB_SOURCE_THUMBNAIL);
}

int CMediaConvertJob::SetSource(LPCWSTR path, const volatile int* stopFlag)
{
    ResetForReconvert();
    Source.Path = path ? path : L"";
    if (ProbeSource(stopFlag) < 0)
        return -1;
    Source.Size = Source.MediaInfo.Size;
    if (!(Status.ProbeFlags & JOB_SOURCE_THUMBNAIL) && !Source.MediaInfo.VideoStreams.IsEmpty() &&
        GrabJobThumbnail(Source.Path, Source.Thumbnail, JOB_THUMBNAIL_TIME_MS, stopFlag) == 0)
        Status.AddProbeFlags(JOB_SOURCE_THUMBNAIL);
    return 0;
}

int CMediaConvertJob::SetAudioInput(LPCWSTR path, const volatile int* stopFlag)
{
    Source.AudioPath = path ? path : L"";
    if (!(Status.ProbeFlags & JOB_AUDIO_PROBED)) {
        if (Source.AudioInfo.Probe(Source.AudioPath, stopFlag) != 0)
            return -1;
        Status.AddProbeFlags(JOB_AUDIO_PROBED);
    }
    return Source.AudioInfo.AudioStreams.IsEmpty() ? -1 : 0;
}

int CMediaConvertJob::SetSubtitleInput(LPCWSTR path, const volatile int* stopFlag)
{
    Source.SubtitlePath = path ? path : L"";
    if (!(Status.ProbeFlags & JOB_SUBTITLE_PROBED)) {
        if (Source.SubtitleInfo.Probe(Source.SubtitlePath, stopFlag) != 0)
            return -1;
        Status.AddProbeFlags(JOB_SUBTITLE_PROBED);
    }
    return Source.SubtitleInfo.SubtitleStreams.IsEmpty() ? -1 : 0;
}

int CMediaConvertJob::GetOutputType()
{
    CConvertHost* host = GetConvertHost();
    CPresetStore* store = host ? host->GetPresetStore() : nullptr;
    CMediaFormat* format = store ? store->FindFormat(Output.FormatKey) : nullptr;
    if (!format)
        return Target.Kind;
    Target.Kind = format->GetMedia();
    if (Target.Kind == JOB_KIND_VIDEO) {
        const CMediaPreset* preset = format->FindPreset(Output.PresetName);
        if (preset && (preset->Settings.Video.Flags & PRESET_STREAM_OFF))
            Target.Kind = JOB_KIND_AUDIO;
    }
    return Target.Kind;
}

namespace {

// Whether the job's output is meant to have a picture: its format and preset write video and the
// source's picture goes into it.
bool OutputMeantToHavePicture(const CMediaConvertJob& job)
{
    CConvertHost* host = GetConvertHost();
    CPresetStore* store = host ? host->GetPresetStore() : nullptr;
    const CMediaFormat* format = store ? store->FindFormat(job.Output.FormatKey) : nullptr;
    if (!format || format->GetMedia() != JOB_KIND_VIDEO)
        return false;
    const CMediaPreset* preset = format->FindPreset(job.Output.PresetName);
    if (preset && (preset->Settings.Video.Flags & PRESET_STREAM_OFF))
        return false;
    const CMediaInfoRecord& source = job.Source.MediaInfo;
    return !source.VideoStreams.IsEmpty() && source.SelectedVideoStream != MEDIA_SELECT_NONE;
}

// A frame grab of the output on a thread of its own, beside the output's probe.
struct CBesideGrab {
    CString path;
    const volatile int* stopFlag;
    CRasterImage picture;
    int result = -1;

    static UINT __cdecl Run(LPVOID param)
    {
        CBesideGrab* grab = static_cast<CBesideGrab*>(param);
        grab->result = GrabJobThumbnail(grab->path, grab->picture, JOB_THUMBNAIL_TIME_MS, grab->stopFlag);
        return 0;
    }
};

}  // namespace

int CMediaConvertJob::ProbeOutput(const volatile int* stopFlag)
{
    return ProbeOutputAt(Target.Path, stopFlag);
}

int CMediaConvertJob::ProbeOutputAt(LPCWSTR path, const volatile int* stopFlag)
{
    // Two tool runs one after the other would both stand between the encoder's end and the
    // result: an output meant to have a picture has it grabbed beside its probe, and the probe
    // then says whether it is kept.
    CBesideGrab grab;
    grab.path = path;
    grab.stopFlag = stopFlag;
    CWinThread* beside = nullptr;
    if (!(Status.ProbeFlags & (JOB_OUTPUT_PROBED | JOB_OUTPUT_THUMBNAIL)) && OutputMeantToHavePicture(*this)) {
        beside = AfxBeginThread(&CBesideGrab::Run, &grab, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        if (beside) {
            beside->m_bAutoDelete = FALSE;
            beside->ResumeThread();
        }
    }
    int result = 0;
    if (!(Status.ProbeFlags & JOB_OUTPUT_PROBED)) {
        if (Target.MediaInfo.Probe(path, stopFlag) != 0) {
            result = -1;
        } else {
            if (!Target.MediaInfo.VideoStreams.IsEmpty())
                Target.Kind = JOB_KIND_VIDEO;
            else if (!Target.MediaInfo.AudioStreams.IsEmpty())
                Target.Kind = JOB_KIND_AUDIO;
            else
                Target.Kind = JOB_KIND_NONE;
            Status.AddProbeFlags(JOB_OUTPUT_PROBED);
        }
    }
    if (beside) {
        WaitForSingleObject(beside->m_hThread, INFINITE);
        delete beside;
    }
    if (result != 0)
        return result;
    if (Status.ProbeFlags & JOB_OUTPUT_THUMBNAIL || Target.MediaInfo.VideoStreams.IsEmpty())
        return 0;
    if (beside ? grab.result == 0 && Target.PendingThumbnail.TakeOver(grab.picture)
               : GrabJobThumbnail(path, Target.PendingThumbnail, JOB_THUMBNAIL_TIME_MS, stopFlag) == 0)
        Status.AddProbeFlags(JOB_OUTPUT_THUMBNAIL);
    return 0;
}

bool CMediaConvertJob::TakeOutputThumbnail()
{
    if (!Target.PendingThumbnail.IsValid())
        return false;
    CRasterImage previous;
    if (!previous.TakeOver(Target.Thumbnail) || !Target.Thumbnail.TakeOver(Target.PendingThumbnail))
        Target.Thumbnail.Copy(Target.PendingThumbnail);
    Target.PendingThumbnail.Destroy();
    return true;
}

void CMediaConvertJob::GetStatusText(int& icon, int& progressCode, CString& status, CString& detail) const
{
    icon = -2;
    progressCode = -2;
    status.Empty();
    detail.Empty();
    if (Status.State == JOB_STATE_ACTIVE) {
        if (Status.SubState == JOB_SUB_PREPARING) {
            icon = 100;
            progressCode = 10;
            status = L"Preparing";
        } else if (Status.SubState == JOB_SUB_CONVERTING) {
            icon = 101;
            progressCode = 11;
            status = L"Converting";
        }
        return;
    }
    if (Status.State != JOB_STATE_FINISHED)
        return;
    switch (Status.Result) {
    case JOB_RESULT_FAILED:
        icon = 240;
        status = L"Failed";
        if (Status.Detail == JOB_DETAIL_CANNOT_CONVERT)
            detail = L"Cannot convert to selected format";
        else if (Status.Detail == JOB_DETAIL_SOURCE_NOT_SUPPORTED)
            detail = L"Source format is not supported";
        else if (Status.Detail == JOB_DETAIL_SOURCE_MISSING)
            detail = L"Cannot find source file";
        else if (Status.Detail == JOB_DETAIL_CANNOT_WRITE)
            detail = L"Cannot write destination file";
        else if (Status.Detail == JOB_DETAIL_SOURCE_NO_AUDIO)
            detail = L"Source has no audio";
        else if (Status.Detail == JOB_DETAIL_SOURCE_NO_VIDEO)
            detail = L"Source has no video";
        break;
    case JOB_RESULT_INCOMPLETE:
        icon = JOB_ICON_INCOMPLETE;
        status = L"Incomplete";
        if (Status.Detail == JOB_DETAIL_OUTPUT_UNREADABLE)
            detail = L"Output cannot be read";
        else if (Status.Detail == JOB_DETAIL_OUTPUT_UNMEASURED)
            detail = L"Output length cannot be measured";
        else if (Status.Detail == JOB_DETAIL_OUTPUT_UNVERIFIED)
            detail = L"Output length could not be verified";
        else
            detail = L"Output is shorter than the source";
        // The file the user had is still where it was: where this one went must be said.
        if (Status.JobFlags & JOB_OUTPUT_KEPT_ASIDE)
            detail += L"; kept as " + GetOutputName();
        break;
    case JOB_RESULT_CANCELED:
        status = L"Canceled";
        if (Status.Detail == JOB_DETAIL_FILE_EXISTS) {
            icon = 221;
            detail = L"File already exists";
        } else {
            icon = 220;
        }
        break;
    case JOB_RESULT_COMPLETED:
        icon = 300;
        status = L"Completed";
        // Another file took the name meanwhile: the output is under another.
        if (Status.JobFlags & JOB_OUTPUT_KEPT_ASIDE)
            detail = L"Kept as " + GetOutputName();
        break;
    default:
        break;
    }
}

CString CMediaConvertJob::GetDestinationFolder() const
{
    return (Output.Flags & JOB_OUTPUT_TO_SOURCE_FOLDER) ? GetParentFolder(Source.Path) : Output.DestinationFolder;
}

CString CMediaConvertJob::GetOutputName() const
{
    const CString folder = GetDestinationFolder() + L"\\";
    if (Target.Path.GetLength() > folder.GetLength() && Target.Path.Left(folder.GetLength()).CompareNoCase(folder) == 0)
        return Target.Path.Mid(folder.GetLength());
    return FileNamePart(Target.Path);
}

int CMediaConvertJob::OpenOutputFile()
{
    if (Target.Path.IsEmpty() || !PathFileExistsW(Target.Path))
        return -1;
    CString quoted;
    quoted.Format(L"\"%s\"", Target.Path.GetString());
    CString player = GetPlayerExePath();
    if (PathFileExistsW(player))
        FwShellExecute(NULL, NULL, player, quoted, NULL, SW_SHOW);
    else
        FwShellExecute(NULL, L"open", quoted, NULL, NULL, SW_SHOWNORMAL);
    return 0;
}

int CMediaConvertJob::OpenOutputFolder()
{
    CString parameters;
    if (!Target.Path.IsEmpty() && PathFileExistsW(Target.Path)) {
        parameters.Format(L"/select,\"%s\"", GetShortPath(Target.Path).GetString());
    } else {
        CString folder;
        if (!Target.Path.IsEmpty())
            folder = GetParentFolder(Target.Path);
        else if (Output.Flags & JOB_OUTPUT_TO_SOURCE_FOLDER)
            folder = GetParentFolder(Source.Path);
        else
            folder = Output.DestinationFolder;
        if (folder.IsEmpty() || !PathIsDirectoryW(folder)) {
            AfxMessageBox(L"Folder/file does not exist!", MB_OK | MB_ICONWARNING);
            return -1;
        }
        parameters.Format(L"\"%s\"", GetShortPath(folder).GetString());
    }
    FwShellExecute(NULL, NULL, L"explorer.exe", parameters, NULL, SW_SHOWNORMAL);
    return 0;
}
