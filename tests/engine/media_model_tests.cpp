// The media model: the stream lists and choices of a record, its copies, and the media item's
// reset, thumbnail ownership and display texts.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/MediaInfo.h"
#include "engine/MediaItem.h"
#include "media_test_support.h"

namespace {

CMediaStream* NewStream(int type, int height = 0)
{
    CMediaStream* s = new CMediaStream;
    s->Type = type;
    s->Height = height;
    return s;
}

// video, audio, data, audio, subtitle
void FillMixed(CMediaInfoRecord& r)
{
    r.AddStream(NewStream(MEDIA_STREAM_VIDEO, 1080));
    r.AddStream(NewStream(MEDIA_STREAM_AUDIO));
    r.AddStream(NewStream(MEDIA_STREAM_DATA));
    r.AddStream(NewStream(MEDIA_STREAM_AUDIO));
    r.AddStream(NewStream(MEDIA_STREAM_SUBTITLE));
}

TEST(MediaInfoRecord, FinalizeNumbersStreamsAndBuildsTypeLists)
{
    CMediaInfoRecord r;
    FillMixed(r);
    r.Finalize();
    ASSERT_EQ(1, r.VideoStreams.GetSize());
    ASSERT_EQ(2, r.AudioStreams.GetSize());
    ASSERT_EQ(1, r.SubtitleStreams.GetSize());
    EXPECT_EQ(r.GetStream(3), r.AudioStreams[1]);
    EXPECT_EQ(1, r.GetStream(3)->TypeIndex);
    EXPECT_EQ(2, r.GetStream(2)->StreamIndex);
    EXPECT_EQ(-1, r.GetStream(2)->TypeIndex) << "a data stream is in no list";
    EXPECT_EQ(3, r.GetStreamIndex(1, MEDIA_STREAM_AUDIO));
    EXPECT_EQ(4, r.GetStreamIndex(0, MEDIA_STREAM_SUBTITLE));
    EXPECT_EQ(-1, r.GetStreamIndex(2, MEDIA_STREAM_AUDIO));
    EXPECT_EQ(-1, r.GetStreamIndex(0, MEDIA_STREAM_DATA));
    EXPECT_EQ(1, r.GetStreamTypeIndex(3));
    EXPECT_EQ(-1, r.GetStreamTypeIndex(5));

    // A second run rebuilds rather than appends.
    r.Finalize();
    EXPECT_EQ(2, r.AudioStreams.GetSize());
}

TEST(MediaInfoRecord, FinalizeNormalisesSelections)
{
    CMediaInfoRecord r;
    r.AddStream(NewStream(MEDIA_STREAM_AUDIO));
    r.AddStream(NewStream(MEDIA_STREAM_AUDIO));
    r.SelectedAudioStream = 5;
    r.SelectedVideoStream = 0;
    r.SelectedSubtitleStream = -1;
    r.Finalize();
    EXPECT_EQ(MEDIA_SELECT_AUTO, r.SelectedAudioStream);
    EXPECT_EQ(MEDIA_SELECT_NONE, r.SelectedVideoStream);
    EXPECT_EQ(MEDIA_SELECT_NONE, r.SelectedSubtitleStream);

    r.SelectedAudioStream = MEDIA_SELECT_NONE;
    r.Finalize();
    EXPECT_EQ(MEDIA_SELECT_NONE, r.SelectedAudioStream);
    r.SelectedAudioStream = 1;
    r.Finalize();
    EXPECT_EQ(1, r.SelectedAudioStream);
}

TEST(MediaInfoRecord, SelectedStreams)
{
    CMediaInfoRecord r;
    FillMixed(r);
    r.AddStream(NewStream(MEDIA_STREAM_VIDEO, 720));
    r.Finalize();
    EXPECT_EQ(r.GetStream(0), r.GetSelectedVideoStream());
    r.SelectedVideoStream = 1;
    EXPECT_EQ(r.GetStream(5), r.GetSelectedVideoStream());
    r.SelectedVideoStream = MEDIA_SELECT_NONE;
    EXPECT_EQ(nullptr, r.GetSelectedVideoStream()) << "none, although video exists";
    r.SelectedVideoStream = 2;
    EXPECT_EQ(nullptr, r.GetSelectedVideoStream());
    r.SelectedAudioStream = 1;
    EXPECT_EQ(r.GetStream(3), r.GetSelectedAudioStream());

    CMediaInfoRecord empty;
    empty.Finalize();
    EXPECT_EQ(nullptr, empty.GetSelectedAudioStream());
}

TEST(MediaInfoRecord, ResetDropsStreamsAndChoices)
{
    CMediaInfoRecord r;
    FillMixed(r);
    r.Finalize();
    r.Format = L"mp4";
    r.DurationInUs = 5;
    r.Metadata.Title = L"t";
    r.Metadata.Year = 1999;
    r.Reset();
    EXPECT_EQ(0, r.GetStreamCount());
    EXPECT_TRUE(r.AudioStreams.IsEmpty());
    EXPECT_EQ(nullptr, r.GetSelectedVideoStream());
    EXPECT_EQ(MEDIA_SELECT_AUTO, r.SelectedAudioStream);
    EXPECT_TRUE(r.Format.IsEmpty());
    EXPECT_TRUE(r.Metadata.Title.IsEmpty());
    EXPECT_EQ(0, r.Metadata.Year);
}

TEST(MediaInfoRecord, CopyOwnsItsStreams)
{
    CMediaInfoRecord copy;
    {
        CMediaInfoRecord r;
        FillMixed(r);
        r.Finalize();
        r.SelectedAudioStream = 1;
        r.GetStream(3)->Codec = L"opus";
        copy = r;
        EXPECT_NE(r.GetStream(3), copy.GetStream(3));
    }
    ASSERT_EQ(5, copy.GetStreamCount());
    ASSERT_EQ(2, copy.AudioStreams.GetSize());
    EXPECT_EQ(copy.GetStream(3), copy.AudioStreams[1]);
    EXPECT_STREQ(L"opus", copy.GetSelectedAudioStream()->Codec);
    CMediaInfoRecord second(copy);
    EXPECT_EQ(second.GetStream(0), second.GetSelectedVideoStream());
}

class MediaItemFiles : public testing::Test {
protected:
    void SetUp() override { m_folder = enginetest::MakeAwkwardFolder(L"media item"); }
    CString Touch(const wchar_t* name)
    {
        CString path = m_folder + L"\\" + name;
        EXPECT_TRUE(enginetest::WriteUtf8File(path, L"x"));
        return path;
    }
    CString m_folder;
};

TEST_F(MediaItemFiles, ResetDeletesOnlyAGrabbedThumbnail)
{
    CMediaItem grabbed;
    grabbed.ThumbnailFile = Touch(L"grab");
    grabbed.Flags = MEDIA_FILE_GRABBED_THUMBNAIL;
    grabbed.Reset();
    EXPECT_FALSE(mediatest::FileExists(m_folder + L"\\grab"));
    EXPECT_TRUE(grabbed.ThumbnailFile.IsEmpty());

    CMediaItem sidecar;
    sidecar.ThumbnailFile = Touch(L"movie.jpg");
    sidecar.Flags = MEDIA_FILE_SIDECAR_THUMBNAIL;
    sidecar.Reset();
    EXPECT_TRUE(mediatest::FileExists(m_folder + L"\\movie.jpg"));

    {
        CMediaItem destroyed;
        destroyed.ThumbnailFile = Touch(L"kept");
        destroyed.Flags = MEDIA_FILE_GRABBED_THUMBNAIL;
    }
    EXPECT_TRUE(mediatest::FileExists(m_folder + L"\\kept")) << "the owning list deletes it, not the item";
}

TEST_F(MediaItemFiles, ResetRestoresFiltersAndClearsPlayState)
{
    CMediaItem item;
    item.PlaySpeed = 150;
    item.Volume = 20;
    item.Rotate = 90;
    item.Grayscale = 1;
    item.LastPositionInUs = 42;
    item.SetPlayState(2);
    item.Kind = MEDIA_KIND_VIDEO;
    item.Title = L"x";
    item.Thumbnail.Create(4, 4, 24);
    item.Reset();
    EXPECT_EQ(100, item.PlaySpeed);
    EXPECT_EQ(100, item.Volume);
    EXPECT_EQ(0, item.Rotate);
    EXPECT_EQ(0, item.Grayscale);
    EXPECT_EQ(0, item.LastPositionInUs);
    EXPECT_EQ(0, item.GetPlayState());
    EXPECT_EQ(MEDIA_KIND_NONE, item.Kind);
    EXPECT_TRUE(item.Title.IsEmpty());
    EXPECT_FALSE(item.Thumbnail.IsValid());
}

TEST_F(MediaItemFiles, DisplayTextsFromTheRecord)
{
    CMediaItem item;
    item.Path = Touch(L"Holiday clip.mp4");
    item.MediaInfo.AddStream(NewStream(MEDIA_STREAM_AUDIO));
    item.MediaInfo.AddStream(NewStream(MEDIA_STREAM_VIDEO, 720));
    item.MediaInfo.DurationInUs = 187000000;
    item.MediaInfo.Finalize();
    EXPECT_EQ(0, item.UpdateDisplayInfo());
    EXPECT_EQ(MEDIA_KIND_VIDEO, item.Kind);
    EXPECT_STREQ(L"Holiday clip", item.Title);
    EXPECT_STREQ(L"3:07", item.DurationText);
    EXPECT_STREQ(L"HD 720", item.ResolutionText);
    EXPECT_STREQ(item.Path, item.PathText);
    EXPECT_EQ(0u, item.StateFlags & MEDIA_STATE_FILE_MISSING);
    EXPECT_EQ(1, item.UpdateDisplayInfo()) << "texts are built once";
}

TEST_F(MediaItemFiles, DisplayTextsForAudioAndOddHeights)
{
    CMediaItem audio;
    audio.Path = m_folder + L"\\gone.mp3";
    audio.MediaInfo.AddStream(NewStream(MEDIA_STREAM_AUDIO));
    audio.MediaInfo.Metadata.Title = L"  Song  ";
    audio.MediaInfo.DurationInUs = 500;
    audio.MediaInfo.Finalize();
    audio.UpdateDisplayInfo();
    EXPECT_EQ(MEDIA_KIND_AUDIO, audio.Kind);
    EXPECT_STREQ(L"Song", audio.Title);
    EXPECT_STREQ(L"0:01", audio.DurationText) << "under a second still shows one";
    EXPECT_TRUE(audio.ResolutionText.IsEmpty());
    EXPECT_NE(0u, audio.StateFlags & MEDIA_STATE_FILE_MISSING);

    const struct {
        int height;
        const wchar_t* text;
    } heights[] = {{1080, L"HD 1080"}, {1088, L""}, {1440, L"QHD 2K"}, {2160, L"UHD 4K"}, {4320, L"UHD 8K"}, {721, L""}};
    for (const auto& h : heights) {
        CMediaItem video;
        video.Path = L"http://example.invalid/v.mp4";
        video.Flags = MEDIA_FILE_URL;
        video.MediaInfo.AddStream(NewStream(MEDIA_STREAM_VIDEO, h.height));
        video.MediaInfo.Finalize();
        video.UpdateDisplayInfo();
        EXPECT_STREQ(h.text, video.ResolutionText) << h.height;
        EXPECT_EQ(0u, video.StateFlags & MEDIA_STATE_FILE_MISSING) << "a URL is never missing";
        EXPECT_TRUE(video.DurationText.IsEmpty());
    }
}

}  // namespace
