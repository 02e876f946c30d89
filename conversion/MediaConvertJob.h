// The conversion job: its source with the extra inputs, the output settings the user chose, the
// destination and the status that the worker thread moves while the dialog draws it.
#pragma once

#include <windows.h>

#include "engine/EncoderTool.h"
#include "engine/MediaInfo.h"
#include "framework/String.h"
#include "image/RasterImage.h"

// CJobSourceItem::Kind and CJobTargetItem::Kind
enum JobMediaKind {
    JOB_KIND_NONE = 0,
    JOB_KIND_VIDEO = 1,
    JOB_KIND_AUDIO = 2,
};

// CJobOutputSettings::Flags
const UINT JOB_OUTPUT_TO_SOURCE_FOLDER = 0x1;
const UINT JOB_SOURCE_NEED_NOT_EXIST = 0x100;

// CJobStatus::JobFlags
const UINT JOB_STARTED = 0x1;
const UINT JOB_OUTPUT_WRITTEN = 0x2;
// The output is not under the name the job started with: an output that is not known whole did
// not take the place of the file there, or another file took the name while the job ran. It is
// beside it under a numbered name (Target.Path). It belongs to that output: a destination reset
// clears it.
const UINT JOB_OUTPUT_KEPT_ASIDE = 0x4;
// CJobStatus::ProbeFlags
const UINT JOB_SOURCE_PROBED = 0x1;
const UINT JOB_SOURCE_THUMBNAIL = 0x2;
const UINT JOB_AUDIO_PROBED = 0x4;
const UINT JOB_SUBTITLE_PROBED = 0x8;
const UINT JOB_OUTPUT_PROBED = 0x100;
const UINT JOB_OUTPUT_THUMBNAIL = 0x200;

enum JobState {
    JOB_STATE_IDLE = 0,
    JOB_STATE_ACTIVE = 3,
    JOB_STATE_FINISHED = 10,
};
enum JobSubState {
    JOB_SUB_PREPARING = 10,
    JOB_SUB_DESTINATION_READY = 11,
    JOB_SUB_CONVERTING = 20,
    JOB_SUB_OUTPUT_WRITTEN = 21,
};
enum JobResult {
    JOB_RESULT_NONE = 0,
    JOB_RESULT_COMPLETED = 10,
    // The output was written and stays, but it is clearly shorter than what was asked of it, or
    // it cannot be read back to tell, or nothing tells its length.
    JOB_RESULT_INCOMPLETE = 5,
    JOB_RESULT_CANCELED = 2,
    JOB_RESULT_FAILED = -10,
};
enum JobDetail {
    JOB_DETAIL_FILE_EXISTS = 200,
    JOB_DETAIL_OUTPUT_SHORT = 210,
    JOB_DETAIL_OUTPUT_UNREADABLE = 211,
    JOB_DETAIL_OUTPUT_UNMEASURED = 212,
    // Neither the output's length nor the source's is known: nothing could check the output.
    JOB_DETAIL_OUTPUT_UNVERIFIED = 213,
    JOB_DETAIL_CANNOT_WRITE = -132,
    JOB_DETAIL_CANNOT_CONVERT = -131,
    JOB_DETAIL_SOURCE_NO_VIDEO = -123,
    JOB_DETAIL_SOURCE_NO_AUDIO = -122,
    JOB_DETAIL_SOURCE_NOT_SUPPORTED = -121,
    JOB_DETAIL_SOURCE_MISSING = -120,
};
// The status icon of a job whose output is shorter than asked.
const int JOB_ICON_INCOMPLETE = 230;
const int JOB_PROGRESS_TIME = 11;

// One state of a file on disk: its size and the time it was last written. Not known for a path
// that names no file (an address, a file that is gone).
struct CFileStamp {
    bool Known = false;
    __int64 Size = 0;
    __int64 WriteTime = 0;

    static CFileStamp Of(LPCWSTR path);
    bool operator==(const CFileStamp& other) const;
    bool operator!=(const CFileStamp& other) const { return !(*this == other); }
};

class CJobSourceItem {
public:
    CJobSourceItem();
    void Reset();
    // Probes Path into MediaInfo, keeping the track choice; Kind, ProbedPath and ProbedStamp follow
    // a successful probe. 0, or -1 when the probe failed or was stopped (nothing counts as probed).
    int ProbePath(const volatile int* stopFlag);
    // Whether MediaInfo describes the file at 'path' as it is now: that path was probed and the
    // file's size and time written have not changed since.
    bool IsProbeOf(LPCWSTR path) const;

    CString Path;
    CMediaInfoRecord MediaInfo;
    int Kind;
    __int64 Size;
    CString AudioPath;
    CMediaInfoRecord AudioInfo;
    CString SubtitlePath;
    CMediaInfoRecord SubtitleInfo;
    CRasterImage Thumbnail;
    // The path the media information was probed from and the file as it was then (read before
    // the probe ran, so a file written meanwhile counts as changed); a different path or a changed
    // file is probed again.
    CString ProbedPath;
    CFileStamp ProbedStamp;
};

// The media information of the file at 'path' as a new probe of it gives it, without a track
// chosen: a copy of the source's when that is the probe of the same unchanged file (IsProbeOf),
// else a probe's. 0, or -1 when the probe failed.
int ProbeJobInput(CMediaInfoRecord& out, LPCWSTR path, const CJobSourceItem* source, const volatile int* stopFlag);

class CJobOutputSettings {
public:
    CJobOutputSettings() { Reset(); }
    void Reset();

    UINT Flags;
    CString DestinationFolder;
    CString DestinationName;
    CString FormatKey;
    CString PresetName;
    int TrimStart;   // ms
    int TrimEnd;     // ms, -1 to the end
    int Rotation;
    int FlipHorizontal;
    int FlipVertical;
    int Grayscale;
    int Negate;
    int OldPhoto;
    int Volume;      // percent
    int Loop;        // -1 not given
};

class CJobTargetItem {
public:
    CJobTargetItem();
    // The output kind keeps its value.
    void Reset();

    CString Path;
    CMediaInfoRecord MediaInfo;
    int Kind;
    __int64 Size;
    // Drawn by the dialog on its thread; the worker grabs into PendingThumbnail, which the
    // listener hands over when the job has ended (CMediaConvertJob::TakeOutputThumbnail).
    CRasterImage Thumbnail;
    CRasterImage PendingThumbnail;
};

class CJobStatus {
public:
    CJobStatus() { ResetAll(); }
    virtual ~CJobStatus() {}
    virtual void ResetAll();
    // Keeps the job flags, Result and Detail; clears what belongs to the output (its probe flags and
    // where it was kept).
    virtual void ResetPartial();
    // The dialog's thread adds the source's picture flag while a worker may add the output's:
    // the probe flags change in single atomic steps.
    void AddProbeFlags(UINT flags);
    void RemoveProbeFlags(UINT flags);

    UINT JobFlags;
    UINT ProbeFlags;
    int State;
    int SubState;
    int Result;
    int Detail;
    int ProgressStyle;
    __int64 ProgressRange;
    __int64 ProgressPosition;
    EncoderProgressBlock Progress;
};

class CMediaJob {
public:
    virtual ~CMediaJob() {}

    CJobSourceItem Source;
    CJobOutputSettings Output;
    CJobTargetItem Target;
    CJobStatus Status;
};

class CMediaConvertJob : public CMediaJob {
public:
    CMediaConvertJob() {}
    ~CMediaConvertJob() override {}

    virtual void ResetAll();
    virtual void ResetForReconvert();
    virtual void ResetDestination();
    virtual void SetState(int state) { Status.State = state; }
    virtual void SetSubState(int subState) { Status.SubState = subState; }
    virtual void SetResult(int result, int detail);
    virtual void SetProgress(__int64 position, __int64 range, int style);
    virtual int HasProgress() const;
    // Probes the source and grabs its picture: 0, or -1 when the probe failed.
    virtual int SetSource(LPCWSTR path, const volatile int* stopFlag);
    // 0, or -1 when the probe failed or the file has no stream of that kind (the path is kept).
    virtual int SetAudioInput(LPCWSTR path, const volatile int* stopFlag);
    virtual int SetSubtitleInput(LPCWSTR path, const volatile int* stopFlag);
    virtual int GetOutputType();
    // Probes the destination and grabs its picture into Target.PendingThumbnail: 0, or -1 when the
    // probe failed.
    virtual int ProbeOutput(const volatile int* stopFlag);
    // The same of the output where it was written, before it takes the destination's place.
    int ProbeOutputAt(LPCWSTR path, const volatile int* stopFlag);
    virtual int OnStateChangedHook() { return 0; }
    // icon and progressCode -2 mean "leave as shown".
    virtual void GetStatusText(int& icon, int& progressCode, CString& status, CString& detail) const;

    // 1 when the source was probed from its present path and the file is unchanged since, else
    // the probe's 0 or -1.
    int ProbeSource(const volatile int* stopFlag);
    // On the dialog's thread: a source probed elsewhere (CJobSourceItem::ProbePath on a worker)
    // becomes the job's, which is reset for it as SetSource resets it; the picture comes later.
    void TakeSource(const CJobSourceItem& probed);
    // On the thread that draws the job: the source's picture, grabbed elsewhere, becomes the job's.
    void TakeSourceThumbnail(CRasterImage& picture);
    // On the thread that draws the job, once its worker has ended: the output's picture grabbed by
    // the worker becomes Target.Thumbnail. True when there was one.
    bool TakeOutputThumbnail();
    // The folder the output goes into: the source's with "save to source folder", else the one chosen.
    CString GetDestinationFolder() const;
    // The output's path from the destination folder on: its file name, or for one kept in a folder
    // of its own beside the destination, that folder's name and its file name.
    CString GetOutputName() const;
    // 0, or -1 when the destination file does not exist.
    int OpenOutputFile();
    // 0, or -1 (after a message) when neither the file nor its folder exists.
    int OpenOutputFolder();

    // Display texts of the dialogs' side panel; no reset touches them.
    CString SourceDurationText;
    CString SourceSizeText;
    CString OutputDurationText;
    CString OutputSizeText;
    CString ProgressText;

private:
    CMediaConvertJob(const CMediaConvertJob&) = delete;
    CMediaConvertJob& operator=(const CMediaConvertJob&) = delete;
};
