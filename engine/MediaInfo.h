// What the probe tool reported about one media file: the container record, its streams and
// its metadata, with the per-type stream lists and the user's stream choices.
#pragma once

#include "framework/Collections.h"
#include "framework/String.h"

// Stream types as the probe reports them ("codec_type").
enum MediaStreamType {
    MEDIA_STREAM_OTHER = 0,
    MEDIA_STREAM_VIDEO = 1,
    MEDIA_STREAM_AUDIO = 2,
    MEDIA_STREAM_SUBTITLE = 3,
    MEDIA_STREAM_DATA = 4,
    MEDIA_STREAM_ATTACHMENT = 5,
};

// Stream choices: an index into the list of one type, or one of these.
enum {
    MEDIA_SELECT_AUTO = -1,
    MEDIA_SELECT_NONE = -2,
};

class CMediaStream {
public:
    CMediaStream() { Reset(); }
    void Reset();

    UINT Flags;
    int Type;
    CString Codec;
    __int64 StartTimeInUs;
    __int64 DurationInUs;
    __int64 Frames;
    int BitRate;
    CString Language;
    int Width;
    int Height;
    int AspectNum;
    int AspectDen;
    int FrameRateNum;
    int FrameRateDen;
    int Channels;
    int SampleRate;
    int StreamIndex;  // position in the record's stream list
    int TypeIndex;    // position among the streams of its own type
};

class CMediaMetadata {
public:
    CMediaMetadata() { Reset(); }
    virtual ~CMediaMetadata() {}
    void Reset();

    CString Title;
    CString Author;
    CString Album;
    int Track;
    int Year;
    CString Genre;
    CString Copyright;
    CString Comment;
};

// What a probe came to. A stopped probe tells nothing about the file: its tool was ended before it
// had answered, so the caller may probe the same path again later.
enum ProbeResult {
    PROBE_FAILED = -1,       // the file cannot be probed
    PROBE_DONE = 0,
    PROBE_ALREADY_DONE = 1,  // an item probed before, not forced again
    PROBE_STOPPED = 2,
};

// Borrowed pointers into a record's stream list.
typedef CArray<CMediaStream*, CMediaStream*> CMediaStreamList;

class CMediaInfoRecord {
public:
    CMediaInfoRecord();
    // Copies are deep: the copy owns its own streams and its type lists point into them.
    CMediaInfoRecord(const CMediaInfoRecord& other);
    CMediaInfoRecord& operator=(const CMediaInfoRecord& other);
    virtual ~CMediaInfoRecord();

    void Reset();
    // Resets the record and fills it from the probe tool: PROBE_DONE, PROBE_FAILED, or
    // PROBE_STOPPED when the stop flag ended the run (the record stays reset then).
    int Probe(const wchar_t* path, const volatile int* stopFlag);
    void Finalize();

    __int64 GetDurationMs() const;
    CMediaStream* GetSelectedVideoStream() const;
    CMediaStream* GetSelectedAudioStream() const;
    int GetStreamIndex(int n, int type) const;
    int GetStreamTypeIndex(int i) const;

    // Takes ownership of the stream; the type lists follow at the next Finalize.
    void AddStream(CMediaStream* stream) { StreamList.Add(stream); }
    int GetStreamCount() const { return (int)StreamList.GetSize(); }
    CMediaStream* GetStream(int i) const {
        return (i >= 0 && i < StreamList.GetSize()) ? StreamList[i] : nullptr;
    }
    // The list of one type (1 video, 2 audio, 3 subtitle); null for any other type.
    const CMediaStreamList* GetTypeList(int type) const;

    UINT Flags;
    int Type;
    CString Format;
    __int64 Size;
    __int64 StartTimeInUs;
    __int64 DurationInUs;
    int BitRate;
    int Streams;  // stream count as the probe reported it
    COwningPtrArray<CMediaStream> StreamList;
    CMediaMetadata Metadata;
    CMediaStreamList VideoStreams;
    CMediaStreamList AudioStreams;
    CMediaStreamList SubtitleStreams;
    int SelectedVideoStream;
    int SelectedAudioStream;
    int SelectedSubtitleStream;

private:
    void ClearTypeLists();
    CMediaStreamList* TypeList(int type);
    void CopyFrom(const CMediaInfoRecord& other);
    static CMediaStream* GetSelected(const CMediaStreamList& list, int selection);
};
