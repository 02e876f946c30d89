// The media information record: reset, deep copy, the per-type lists and the stream choices.
#include "engine/MediaInfo.h"

#include "engine/ProbeTool.h"

void CMediaStream::Reset()
{
    Flags = 0;
    Type = MEDIA_STREAM_OTHER;
    Codec.Empty();
    StartTimeInUs = 0;
    DurationInUs = 0;
    Frames = 0;
    BitRate = 0;
    Language.Empty();
    Width = 0;
    Height = 0;
    AspectNum = 0;
    AspectDen = 0;
    FrameRateNum = 0;
    FrameRateDen = 0;
    Channels = 0;
    SampleRate = 0;
    StreamIndex = -1;
    TypeIndex = -1;
}

void CMediaMetadata::Reset()
{
    Title.Empty();
    Author.Empty();
    Album.Empty();
    Track = 0;
    Year = 0;
    Genre.Empty();
    Copyright.Empty();
    Comment.Empty();
}

CMediaInfoRecord::CMediaInfoRecord()
{
    Reset();
}

CMediaInfoRecord::CMediaInfoRecord(const CMediaInfoRecord& other)
{
    Reset();
    CopyFrom(other);
}

CMediaInfoRecord& CMediaInfoRecord::operator=(const CMediaInfoRecord& other)
{
    if (&other != this) {
        Reset();
        CopyFrom(other);
    }
    return *this;
}

CMediaInfoRecord::~CMediaInfoRecord()
{
    // The type lists borrow from the stream list, so they go first.
    ClearTypeLists();
    StreamList.RemoveAll();
}

void CMediaInfoRecord::ClearTypeLists()
{
    VideoStreams.RemoveAll();
    AudioStreams.RemoveAll();
    SubtitleStreams.RemoveAll();
}

void CMediaInfoRecord::Reset()
{
    Flags = 0;
    Type = 0;
    Format.Empty();
    Size = 0;
    StartTimeInUs = 0;
    DurationInUs = 0;
    BitRate = 0;
    Streams = 0;
    ClearTypeLists();
    SelectedVideoStream = MEDIA_SELECT_AUTO;
    SelectedAudioStream = MEDIA_SELECT_AUTO;
    SelectedSubtitleStream = MEDIA_SELECT_AUTO;
    StreamList.RemoveAll();
    Metadata.Reset();
}

void CMediaInfoRecord::CopyFrom(const CMediaInfoRecord& other)
{
    Flags = other.Flags;
    Type = other.Type;
    Format = other.Format;
    Size = other.Size;
    StartTimeInUs = other.StartTimeInUs;
    DurationInUs = other.DurationInUs;
    BitRate = other.BitRate;
    Streams = other.Streams;
    Metadata = other.Metadata;
    SelectedVideoStream = other.SelectedVideoStream;
    SelectedAudioStream = other.SelectedAudioStream;
    SelectedSubtitleStream = other.SelectedSubtitleStream;
    for (INT_PTR i = 0; i < other.StreamList.GetSize(); ++i)
        StreamList.Add(new CMediaStream(*other.StreamList[i]));

    // The copy's lists hold the same positions as the original's, whether or not it was
    // finalized, so a copy never points into the streams of another record.
    const CMediaStreamList* from[3] = {
        &other.VideoStreams, &other.AudioStreams, &other.SubtitleStreams};
    CMediaStreamList* to[3] = {&VideoStreams, &AudioStreams, &SubtitleStreams};
    for (int t = 0; t < 3; ++t) {
        for (INT_PTR k = 0; k < from[t]->GetSize(); ++k) {
            INT_PTR pos = other.StreamList.Find(from[t]->GetAt(k));
            if (pos >= 0)
                to[t]->Add(StreamList[pos]);
        }
    }
}

int CMediaInfoRecord::Probe(const wchar_t* path, const volatile int* stopFlag)
{
    Reset();
    switch (ProbeMediaFile(*this, path, stopFlag)) {
    case 0:
        return PROBE_DONE;
    case 1:
        return PROBE_STOPPED;
    default:
        return PROBE_FAILED;
    }
}

void CMediaInfoRecord::Finalize()
{
    ClearTypeLists();
    for (INT_PTR i = 0; i < StreamList.GetSize(); ++i) {
        CMediaStream* stream = StreamList[i];
        stream->StreamIndex = (int)i;
        CMediaStreamList* list = TypeList(stream->Type);
        if (list)
            stream->TypeIndex = (int)list->Add(stream);
    }

    struct {
        const CMediaStreamList* list;
        int* selection;
    } choices[3] = {{&VideoStreams, &SelectedVideoStream},
                    {&AudioStreams, &SelectedAudioStream},
                    {&SubtitleStreams, &SelectedSubtitleStream}};
    for (auto& c : choices) {
        int count = (int)c.list->GetSize();
        if (count <= 0)
            *c.selection = MEDIA_SELECT_NONE;
        else if (*c.selection >= count)
            *c.selection = MEDIA_SELECT_AUTO;
    }
}

const CMediaStreamList* CMediaInfoRecord::GetTypeList(int type) const
{
    return const_cast<CMediaInfoRecord*>(this)->TypeList(type);
}

CMediaStreamList* CMediaInfoRecord::TypeList(int type)
{
    switch (type) {
    case MEDIA_STREAM_VIDEO:
        return &VideoStreams;
    case MEDIA_STREAM_AUDIO:
        return &AudioStreams;
    case MEDIA_STREAM_SUBTITLE:
        return &SubtitleStreams;
    default:
        return nullptr;
    }
}

__int64 CMediaInfoRecord::GetDurationMs() const
{
    return (__int64)(DurationInUs * 0.001);
}

CMediaStream* CMediaInfoRecord::GetSelected(const CMediaStreamList& list,
                                            int selection)
{
    INT_PTR count = list.GetSize();
    if (count <= 0)
        return nullptr;
    if (selection == MEDIA_SELECT_AUTO)
        return list[0];
    if (selection >= 0 && selection < count)
        return list[selection];
    return nullptr;
}

CMediaStream* CMediaInfoRecord::GetSelectedVideoStream() const
{
    return GetSelected(VideoStreams, SelectedVideoStream);
}

CMediaStream* CMediaInfoRecord::GetSelectedAudioStream() const
{
    return GetSelected(AudioStreams, SelectedAudioStream);
}

int CMediaInfoRecord::GetStreamIndex(int n, int type) const
{
    const CMediaStreamList* list = GetTypeList(type);
    if (!list || n < 0 || n >= list->GetSize())
        return -1;
    return list->GetAt(n)->StreamIndex;
}

int CMediaInfoRecord::GetStreamTypeIndex(int i) const
{
    if (i < 0 || i >= StreamList.GetSize())
        return -1;
    return StreamList[i]->TypeIndex;
}
