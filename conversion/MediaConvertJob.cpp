// The conversion job's resets, probes, status texts and the opening of its output.
#include "conversion/MediaConvertJob.h"

#include <shlwapi.h>
#include <string.h>

#include "conversion/ConvertHost.h"
#include "conversion/OutputNaming.h"
#include "conversion/PresetStore.h"
#include "engine/SystemHelpers.h"
#include "engine/ThumbnailGrab.h"
#include "framework/Effects.h"

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

void CJobStatus::ResetPartial()
{
    ProbeFlags &= ~(JOB_OUTPUT_PROBED | JOB_OUTPUT_THUMBNAIL);
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
    // A path changed after the probe (a dialog writing Path directly) must not run on the streams
    // of another file.
    if ((Status.ProbeFlags & JOB_SOURCE_PROBED) && Source.ProbedPath.CompareNoCase(Source.Path) == 0)
        return 1;
    Status.ProbeFlags &= ~(JOB_SOURCE_PROBED | JOB_SOURCE_THUMBNAIL);
    // The track choice belongs to the job, not to one probe result.
    const int video = Source.MediaInfo.SelectedVideoStream;
    const int audio = Source.MediaInfo.SelectedAudioStream;
    const int subtitle = Source.MediaInfo.SelectedSubtitleStream;
    Source.ProbedPath.Empty();
    if (Source.MediaInfo.Probe(Source.Path, stopFlag) != 0)
        return -1;
    Source.MediaInfo.SelectedVideoStream = video;
    Source.MediaInfo.SelectedAudioStream = audio;
    Source.MediaInfo.SelectedSubtitleStream = subtitle;
    Source.MediaInfo.Finalize();
    Source.ProbedPath = Source.Path;
    if (!Source.MediaInfo.VideoStreams.IsEmpty())
        Source.Kind = JOB_KIND_VIDEO;
    else if (!Source.MediaInfo.AudioStreams.IsEmpty())
        Source.Kind = JOB_KIND_AUDIO;
    else
        Source.Kind = JOB_KIND_NONE;
    Status.ProbeFlags |= JOB_SOURCE_PROBED;
    return 0;
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
        Status.ProbeFlags |= JOB_SOURCE_THUMBNAIL;
    return 0;
}

int CMediaConvertJob::SetAudioInput(LPCWSTR path, const volatile int* stopFlag)
{
    Source.AudioPath = path ? path : L"";
    if (!(Status.ProbeFlags & JOB_AUDIO_PROBED)) {
        if (Source.AudioInfo.Probe(Source.AudioPath, stopFlag) != 0)
            return -1;
        Status.ProbeFlags |= JOB_AUDIO_PROBED;
    }
    return Source.AudioInfo.AudioStreams.IsEmpty() ? -1 : 0;
}

int CMediaConvertJob::SetSubtitleInput(LPCWSTR path, const volatile int* stopFlag)
{
    Source.SubtitlePath = path ? path : L"";
    if (!(Status.ProbeFlags & JOB_SUBTITLE_PROBED)) {
        if (Source.SubtitleInfo.Probe(Source.SubtitlePath, stopFlag) != 0)
            return -1;
        Status.ProbeFlags |= JOB_SUBTITLE_PROBED;
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

int CMediaConvertJob::ProbeOutput(const volatile int* stopFlag)
{
    if (!(Status.ProbeFlags & JOB_OUTPUT_PROBED)) {
        if (Target.MediaInfo.Probe(Target.Path, stopFlag) != 0)
            return -1;
        if (!Target.MediaInfo.VideoStreams.IsEmpty())
            Target.Kind = JOB_KIND_VIDEO;
        else if (!Target.MediaInfo.AudioStreams.IsEmpty())
            Target.Kind = JOB_KIND_AUDIO;
        else
            Target.Kind = JOB_KIND_NONE;
        Status.ProbeFlags |= JOB_OUTPUT_PROBED;
    }
    if (!(Status.ProbeFlags & JOB_OUTPUT_THUMBNAIL) && !Target.MediaInfo.VideoStreams.IsEmpty() &&
        GrabJobThumbnail(Target.Path, Target.PendingThumbnail, JOB_THUMBNAIL_TIME_MS, stopFlag) == 0)
        Status.ProbeFlags |= JOB_OUTPUT_THUMBNAIL;
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
        detail = L"Output is shorter than the source";
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
        break;
    default:
        break;
    }
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
