// Playlist files: the XML playlist with every field and both ways of keeping thumbnails, M3U and
// PLS with relative and absolute paths, URLs and names beyond the ANSI code page, and malformed
// and hostile files, which are refused with the user's file untouched.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "PlayerTestSupport.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"

using namespace playertest;

namespace {

class PlaylistFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CPlayerTestApp);
        m_folder = MakeAwkwardFolder(L"playlist");
        ASSERT_FALSE(m_folder.IsEmpty());
        // The settings as a start of the program leaves them (the profile is empty): bare names
        // of a plain list are media files by the extensions of their file-type table.
        m_app->Settings().LoadSettings();
        m_app->Settings().tempFolder = m_folder + L"\\Thumbs";
    }
    void TearDown() override { m_app.reset(); }

    CString PathOf(LPCWSTR name) const { return m_folder + L"\\" + name; }

    int Load(LPCWSTR path, CPlaylistData& playlist)
    {
        std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(path));
        return format ? format->Load(path, playlist) : -1;
    }
    int Save(LPCWSTR path, const CPlaylistData& playlist, int embed = 1)
    {
        std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(path));
        return format ? format->Save(path, playlist, embed) : -1;
    }
    // A file that must be refused: loading gives -1 and leaves its bytes as they were.
    void ExpectRefused(LPCWSTR name, const std::string& bytes)
    {
        CString path = PathOf(name);
        ASSERT_TRUE(WriteBytes(path, bytes));
        CPlaylistData playlist;
        EXPECT_EQ(-1, Load(path, playlist)) << CStringA(name).GetString();
        EXPECT_EQ(bytes, ReadBytes(path)) << CStringA(name).GetString();
    }
    // The paths of the entries a file gives; {"load failed"} when it is refused.
    std::vector<CString> PathsIn(LPCWSTR path)
    {
        CPlaylistData playlist;
        if (Load(path, playlist) != 0)
            return {L"load failed"};
        std::vector<CString> paths;
        for (int i = 0; i < playlist.GetCount(); ++i)
            paths.push_back(playlist.GetAt(i)->Path);
        return paths;
    }
    // Files in the folder besides the ones a test wrote: none may be left from a save.
    int Leftovers() const { return CountFolderEntries(m_folder); }

    std::unique_ptr<CPlayerTestApp> m_app;
    CString m_folder;
};

CMediaStream* NewStream(int type)
{
    CMediaStream* s = new CMediaStream;
    s->Type = type;
    return s;
}

// An item with a value in every field the XML playlist keeps.
CMediaItem* FullItem(CPlaylistData& playlist, LPCWSTR path)
{
    CMediaItem* item = playlist.AddPath(path);
    item->Flags = MEDIA_FILE_PROBED | MEDIA_FILE_SIDECAR_THUMBNAIL;
    item->LastPositionInUs = 1234567890123LL;
    item->PlaySpeed = 50;
    item->Rotate = 270;
    item->FlipH = 1;
    item->FlipV = 0;
    item->Grayscale = 1;
    item->OldPhoto = 1;
    item->Negate = 1;
    item->Volume = 180;
    CMediaInfoRecord& info = item->MediaInfo;
    info.Flags = 0x80000001u;
    info.Type = 7;
    info.Format = L"mov,mp4,m4a,3gp,3g2,mj2";
    info.Size = 5000000000LL;
    info.StartTimeInUs = -21333;
    info.DurationInUs = 7261000000LL;
    info.BitRate = 2500000;
    info.Streams = 3;
    CMediaStream* v = NewStream(MEDIA_STREAM_VIDEO);
    v->Flags = 3;
    v->Codec = L"h264";
    v->StartTimeInUs = 10;
    v->DurationInUs = 7261000000LL;
    v->Frames = 181525;
    v->BitRate = 2300000;
    v->Language = L"und";
    v->Width = 1920;
    v->Height = 1080;
    v->AspectNum = 16;
    v->AspectDen = 9;
    v->FrameRateNum = 30000;
    v->FrameRateDen = 1001;
    CMediaStream* a = NewStream(MEDIA_STREAM_AUDIO);
    a->Codec = L"aac";
    a->Language = L"eng";
    a->Channels = 6;
    a->SampleRate = 48000;
    CMediaStream* t = NewStream(MEDIA_STREAM_SUBTITLE);
    t->Codec = L"mov_text";
    t->Language = L"fra";
    info.AddStream(v);
    info.AddStream(a);
    info.AddStream(t);
    info.SelectedVideoStream = 0;
    info.SelectedAudioStream = -1;
    info.SelectedSubtitleStream = -2;
    info.Finalize();
    info.Metadata.Title = L"T\u00eftle & <more> \"quoted\"";
    info.Metadata.Author = L"Author \u0436";
    info.Metadata.Album = L"Album";
    info.Metadata.Genre = L"Genre";
    info.Metadata.Copyright = L"(c) 2024";
    info.Metadata.Comment = L"line one\nline two";
    info.Metadata.Track = 7;
    info.Metadata.Year = 2024;
    return item;
}

void ExpectSameItem(const CMediaItem& a, const CMediaItem& b)
{
    EXPECT_EQ(a.Flags, b.Flags);
    EXPECT_EQ(a.Path, b.Path);
    EXPECT_EQ(a.LastPositionInUs, b.LastPositionInUs);
    EXPECT_EQ(a.PlaySpeed, b.PlaySpeed);
    EXPECT_EQ(a.Rotate, b.Rotate);
    EXPECT_EQ(a.FlipH, b.FlipH);
    EXPECT_EQ(a.FlipV, b.FlipV);
    EXPECT_EQ(a.Grayscale, b.Grayscale);
    EXPECT_EQ(a.OldPhoto, b.OldPhoto);
    EXPECT_EQ(a.Negate, b.Negate);
    EXPECT_EQ(a.Volume, b.Volume);
    const CMediaInfoRecord &x = a.MediaInfo, &y = b.MediaInfo;
    EXPECT_EQ(x.Flags, y.Flags);
    EXPECT_EQ(x.Type, y.Type);
    EXPECT_EQ(x.Format, y.Format);
    EXPECT_EQ(x.Size, y.Size);
    EXPECT_EQ(x.StartTimeInUs, y.StartTimeInUs);
    EXPECT_EQ(x.DurationInUs, y.DurationInUs);
    EXPECT_EQ(x.BitRate, y.BitRate);
    EXPECT_EQ(x.Streams, y.Streams);
    EXPECT_EQ(x.SelectedVideoStream, y.SelectedVideoStream);
    EXPECT_EQ(x.SelectedAudioStream, y.SelectedAudioStream);
    EXPECT_EQ(x.SelectedSubtitleStream, y.SelectedSubtitleStream);
    ASSERT_EQ(x.GetStreamCount(), y.GetStreamCount());
    for (int i = 0; i < x.GetStreamCount(); ++i) {
        const CMediaStream &s = *x.GetStream(i), &t = *y.GetStream(i);
        EXPECT_EQ(s.Flags, t.Flags) << i;
        EXPECT_EQ(s.Type, t.Type) << i;
        EXPECT_EQ(s.Codec, t.Codec) << i;
        EXPECT_EQ(s.StartTimeInUs, t.StartTimeInUs) << i;
        EXPECT_EQ(s.DurationInUs, t.DurationInUs) << i;
        EXPECT_EQ(s.Frames, t.Frames) << i;
        EXPECT_EQ(s.BitRate, t.BitRate) << i;
        EXPECT_EQ(s.Language, t.Language) << i;
        EXPECT_EQ(s.Width, t.Width) << i;
        EXPECT_EQ(s.Height, t.Height) << i;
        EXPECT_EQ(s.AspectNum, t.AspectNum) << i;
        EXPECT_EQ(s.AspectDen, t.AspectDen) << i;
        EXPECT_EQ(s.FrameRateNum, t.FrameRateNum) << i;
        EXPECT_EQ(s.FrameRateDen, t.FrameRateDen) << i;
        EXPECT_EQ(s.Channels, t.Channels) << i;
        EXPECT_EQ(s.SampleRate, t.SampleRate) << i;
        EXPECT_EQ(s.StreamIndex, t.StreamIndex) << i;
        EXPECT_EQ(s.TypeIndex, t.TypeIndex) << i;
    }
    EXPECT_EQ(x.VideoStreams.GetSize(), y.VideoStreams.GetSize());
    EXPECT_EQ(x.AudioStreams.GetSize(), y.AudioStreams.GetSize());
    EXPECT_EQ(x.SubtitleStreams.GetSize(), y.SubtitleStreams.GetSize());
    EXPECT_EQ(x.Metadata.Title, y.Metadata.Title);
    EXPECT_EQ(x.Metadata.Author, y.Metadata.Author);
    EXPECT_EQ(x.Metadata.Album, y.Metadata.Album);
    EXPECT_EQ(x.Metadata.Genre, y.Metadata.Genre);
    EXPECT_EQ(x.Metadata.Copyright, y.Metadata.Copyright);
    EXPECT_EQ(x.Metadata.Comment, y.Metadata.Comment);
    EXPECT_EQ(x.Metadata.Track, y.Metadata.Track);
    EXPECT_EQ(x.Metadata.Year, y.Metadata.Year);
}

std::string Utf8(LPCWSTR text)
{
    return detail::Narrow(text, -1, CP_UTF8);
}

}  // namespace

// The choice of format -------------------------------------------------------------------------------

TEST(PlaylistFormatChoice, TheExtensionChoosesInAnyLetterCase)
{
    std::unique_ptr<CPlaylistFormat> xml(CreatePlaylistFormat(L"C:\\a\\List.PLAYLIST"));
    EXPECT_TRUE(dynamic_cast<CXmlPlaylistFormat*>(xml.get()));
    std::unique_ptr<CPlaylistFormat> m3u(CreatePlaylistFormat(L"b.M3u"));
    EXPECT_TRUE(dynamic_cast<CM3uPlaylistFormat*>(m3u.get()));
    std::unique_ptr<CPlaylistFormat> pls(CreatePlaylistFormat(L"c.pls"));
    EXPECT_TRUE(dynamic_cast<CPlsPlaylistFormat*>(pls.get()));
    for (LPCWSTR other : {L"d.m3u8", L"e.playlist.bak", L"playlist", L"", L"C:\\x.pls\\y"}) {
        std::unique_ptr<CPlaylistFormat> none(CreatePlaylistFormat(other));
        EXPECT_EQ(nullptr, none.get()) << CStringA(other).GetString();
        EXPECT_FALSE(IsPlaylistFile(other));
    }
    EXPECT_TRUE(IsPlaylistFile(L"x.Pls"));
    EXPECT_TRUE(IsPlaylistFile(L"x.playlist"));
}

// XML playlist -----------------------------------------------------------------------------------------

TEST_F(PlaylistFiles, XmlKeepsEveryFieldAndEmbeddedThumbnailsShowAtOnce)
{
    CPlaylistData playlist;
    playlist.Flags = 0x90000002;
    playlist.Name = L"Evening \u00e9 \u0436";
    playlist.ArtworkFile = L"C:\\art\\cover.jpg";
    playlist.LastItem = 1;
    CMediaItem* full = FullItem(playlist, L"C:\\Videos\\\u0436\u00e9 & (1).mp4");
    MakeTestPicture(full->Thumbnail, 192, 108);
    CMediaItem* bare = playlist.AddPath(L"http://example.invalid/live?x=1&y=2");
    bare->Flags = MEDIA_FILE_URL;
    // Loading finalises every record: a record without streams selects none of any kind.
    bare->MediaInfo.Finalize();
    playlist.AddPath(L"");  // an item without a path keeps its place

    CString path = PathOf(L"Every field.playlist");
    ASSERT_EQ(0, Save(path, playlist, 1));
    EXPECT_EQ(1, Leftovers());

    CPlaylistData back;
    ASSERT_EQ(0, Load(path, back));
    EXPECT_EQ(playlist.Flags, back.Flags);
    EXPECT_EQ(playlist.Name, back.Name);
    EXPECT_EQ(playlist.ArtworkFile, back.ArtworkFile);
    EXPECT_EQ(1, back.LastItem);
    ASSERT_EQ(3, back.GetCount());
    ExpectSameItem(*full, *back.GetAt(0));
    ExpectSameItem(*bare, *back.GetAt(1));
    EXPECT_TRUE(back.GetAt(2)->Path.IsEmpty());

    // The embedded thumbnail is ready without a frame grab.
    CMediaItem* first = back.GetAt(0);
    EXPECT_TRUE(first->StateFlags & MEDIA_STATE_THUMBNAIL_READY);
    EXPECT_TRUE(first->ThumbnailFile.IsEmpty());
    EXPECT_LT(MeanDifference(full->Thumbnail, first->Thumbnail), 8.0);
    EXPECT_FALSE(back.GetAt(1)->Thumbnail.IsValid());
    EXPECT_FALSE(back.GetAt(1)->StateFlags & MEDIA_STATE_THUMBNAIL_READY);
}

TEST_F(PlaylistFiles, XmlDocumentLayout)
{
    CPlaylistData playlist;
    playlist.AddPath(L"C:\\a.mp3");
    playlist.AddPath(L"");
    CString path = PathOf(L"layout.playlist");
    ASSERT_EQ(0, Save(path, playlist, 1));
    std::string text = ReadBytes(path);
    // UTF-8 without a byte-order mark, the declaration first, one tab per level.
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text;
    EXPECT_NE(std::string::npos,
              text.find("<Playlists Version=\"1.6.0\" Generator=\"Tarvelo Software Player Tests LumivoTest\">"))
        << text;
    EXPECT_NE(std::string::npos, text.find("\n\t<Playlist Flags=\"0\" LastItem=\"-1\">")) << text;
    EXPECT_NE(std::string::npos, text.find("\n\t\t<Item Flags=\"0\" LastPositionInUs=\"0\">")) << text;
    EXPECT_NE(std::string::npos, text.find("\n\t\t\t\t<Path>C:\\a.mp3</Path>")) << text;
    // The filters in their order; no name or artwork when they are empty; one MediaFile only.
    EXPECT_NE(std::string::npos, text.find("<Filters PlaySpeed=\"100\" Rotate=\"0\" FlipH=\"0\" FlipV=\"0\" "
                                           "Grayscale=\"0\" OldPhoto=\"0\" Negate=\"0\" Volume=\"100\" />"))
        << text;
    EXPECT_EQ(std::string::npos, text.find("<Name"));
    EXPECT_EQ(std::string::npos, text.find("<ArtworkFile"));
    EXPECT_EQ(text.find("<MediaFile"), text.rfind("<MediaFile"));
    // Without streams or metadata there is neither element.
    EXPECT_EQ(std::string::npos, text.find("<Streams"));
    EXPECT_EQ(std::string::npos, text.find("<MetaData"));
}

TEST_F(PlaylistFiles, XmlThumbnailsAsFilesGoToTheTemporaryFolder)
{
    CPlaylistData playlist;
    CMediaItem* item = playlist.AddPath(L"C:\\v.mp4");
    MakeTestPicture(item->Thumbnail, 160, 90);
    CMediaItem* named = playlist.AddPath(L"C:\\w.mp4");
    named->ThumbnailFile = L"C:\\pictures\\w.jpg";
    MakeTestPicture(named->Thumbnail, 16, 16);

    CString path = PathOf(L"files.playlist");
    ASSERT_EQ(0, Save(path, playlist, 0));
    // A new JPEG file under a GUID name in the temporary folder, named by the item and the file.
    ASSERT_FALSE(item->ThumbnailFile.IsEmpty());
    EXPECT_TRUE(m_app->Settings().IsOwnTempFile(item->ThumbnailFile));
    CRasterImage written;
    ASSERT_TRUE(written.Load(item->ThumbnailFile, ImageTypeJPG));
    EXPECT_EQ(160, written.GetWidth());
    // A thumbnail file the item already had is named as it is; nothing new is written for it.
    EXPECT_EQ(L"C:\\pictures\\w.jpg", named->ThumbnailFile);
    EXPECT_EQ(1, CountFolderEntries(m_app->Settings().tempFolder));
    std::string text = ReadBytes(path);
    EXPECT_EQ(std::string::npos, text.find("<Image"));

    CPlaylistData back;
    ASSERT_EQ(0, Load(path, back));
    ASSERT_EQ(2, back.GetCount());
    EXPECT_EQ(item->ThumbnailFile, back.GetAt(0)->ThumbnailFile);
    EXPECT_EQ(named->ThumbnailFile, back.GetAt(1)->ThumbnailFile);
    EXPECT_FALSE(back.GetAt(0)->Thumbnail.IsValid());
}

TEST_F(PlaylistFiles, XmlAttributesThatAreMissingKeepTheDefaults)
{
    CString path = PathOf(L"sparse.playlist");
    ASSERT_TRUE(WriteBytes(path, "<Playlists><Playlist><Item><MediaFile><Path> C:\\a.mp4 </Path>"
                                 "<MediaInfo><Streams SelectedAudioStream=\"5\"><Stream Type=\"2\"/>"
                                 "<Stream Type=\"1\" Resolution=\"junk\" FrameRate=\"25/1\"/></Streams></MediaInfo>"
                                 "</MediaFile><Filters Volume=\"50\"/></Item><Item/></Playlist></Playlists>"));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(path, playlist));
    EXPECT_EQ(0, playlist.Flags);
    EXPECT_EQ(-1, playlist.LastItem);
    ASSERT_EQ(2, playlist.GetCount());
    CMediaItem* a = playlist.GetAt(0);
    EXPECT_EQ(L" C:\\a.mp4 ", a->Path);
    EXPECT_EQ(100, a->PlaySpeed);
    EXPECT_EQ(50, a->Volume);
    // The record is finalised: a selection beyond the streams becomes automatic, no subtitles none.
    EXPECT_EQ(-1, a->MediaInfo.SelectedAudioStream);
    EXPECT_EQ(-1, a->MediaInfo.SelectedVideoStream);
    EXPECT_EQ(-2, a->MediaInfo.SelectedSubtitleStream);
    ASSERT_EQ(2, a->MediaInfo.GetStreamCount());
    CMediaStream* video = a->MediaInfo.GetStream(1);
    EXPECT_EQ(0, video->Width);
    EXPECT_EQ(25, video->FrameRateNum);
    EXPECT_EQ(1, video->StreamIndex);
    EXPECT_EQ(0, video->TypeIndex);
    EXPECT_EQ(100, playlist.GetAt(1)->Volume);
    EXPECT_TRUE(playlist.GetAt(1)->Path.IsEmpty());
}

TEST_F(PlaylistFiles, XmlMalformedAndHostileFilesAreRefusedUntouched)
{
    ExpectRefused(L"text.playlist", "this is not a playlist");
    ExpectRefused(L"empty.playlist", "");
    ExpectRefused(L"no root.playlist", "<?xml version=\"1.0\"?><Other><Playlist/></Other>");
    ExpectRefused(L"no list.playlist", "<Playlists Version=\"1.6.0\"></Playlists>");
    ExpectRefused(L"cut.playlist", "<Playlists><Playlist><Item><MediaFile><Path>C:\\a.mp4</Pa");
    ExpectRefused(L"binary.playlist", std::string("\x00\xff\xfe<\x00P\x00", 7) + std::string(4096, '\x01'));
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<Item>";
    ExpectRefused(L"deep.playlist", "<Playlists><Playlist>" + deep);

    CPlaylistData playlist;
    EXPECT_EQ(-1, Load(PathOf(L"missing.playlist"), playlist));
    EXPECT_EQ(0, playlist.GetCount());
}

TEST_F(PlaylistFiles, XmlHostileValuesAreHarmless)
{
    // Broken thumbnail text, a picture header asking for gigabytes, absurd numbers and a flood of
    // streams: the playlist loads, the items simply have no picture and sane stream lists.
    std::string streams;
    for (int i = 0; i < 5000; ++i)
        streams += "<Stream Type=\"2\"/>";
    std::string text = "<Playlists><Playlist LastItem=\"99999999999\">"
                       "<Item Flags=\"4294967295\" LastPositionInUs=\"-9223372036854775808\">"
                       "<MediaFile><Path>C:\\a.mp4</Path><MediaInfo Streams=\"-7\" Size=\"1e400\"><Streams "
                       "SelectedVideoStream=\"2147483647\">" +
                       streams +
                       "</Streams></MediaInfo></MediaFile>"
                       "<ThumbnailFile><Image>/9j/4AAQSkZJRgABAQ####</Image></ThumbnailFile></Item>"
                       "<Item><ThumbnailFile><Image>" + std::string(300000, 'A') + "</Image></ThumbnailFile></Item>"
                       "</Playlist></Playlists>";
    CString path = PathOf(L"hostile.playlist");
    ASSERT_TRUE(WriteBytes(path, text));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(path, playlist));
    ASSERT_EQ(2, playlist.GetCount());
    CMediaItem* a = playlist.GetAt(0);
    EXPECT_FALSE(a->Thumbnail.IsValid());
    EXPECT_FALSE(a->StateFlags & MEDIA_STATE_THUMBNAIL_READY);
    EXPECT_LE(a->MediaInfo.GetStreamCount(), 1024);
    EXPECT_EQ(-2, a->MediaInfo.SelectedVideoStream);
    EXPECT_FALSE(playlist.GetAt(1)->Thumbnail.IsValid());
    EXPECT_EQ(text, ReadBytes(path));
}

TEST_F(PlaylistFiles, XmlPlaybackValuesAreKeptToWhatTheMenusOffer)
{
    const char* const tracks = "<MediaInfo><Streams SelectedVideoStream=\"-7\" SelectedAudioStream=\"-2\" "
                               "SelectedSubtitleStream=\"0\"><Stream Type=\"1\"/><Stream Type=\"2\"/>"
                               "<Stream Type=\"3\"/></Streams></MediaInfo>";
    std::string text = std::string("<Playlists><Playlist>") +
                       "<Item><MediaFile><Path>C:\\a.mp4</Path>" + tracks + "</MediaFile>"
                       "<Filters PlaySpeed=\"1000\" Rotate=\"45\" FlipH=\"7\" FlipV=\"0\" Grayscale=\"2\" "
                       "OldPhoto=\"1\" Negate=\"99\" Volume=\"100000\"/></Item>"
                       "<Item><Filters PlaySpeed=\"-50\" Rotate=\"-90\" FlipH=\"-1\" Volume=\"-5\"/></Item>"
                       "<Item><Filters PlaySpeed=\"50\" Rotate=\"180\" Volume=\"300\"/></Item>"
                       "<Item><Filters PlaySpeed=\"200\" Rotate=\"3\" Volume=\"500\"/></Item>"
                       "</Playlist></Playlists>";
    CString path = PathOf(L"values.playlist");
    ASSERT_TRUE(WriteBytes(path, text));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(path, playlist));
    ASSERT_EQ(4, playlist.GetCount());

    const CMediaItem* a = playlist.GetAt(0);
    EXPECT_EQ(100, a->PlaySpeed) << "a speed no menu offers plays at normal speed";
    EXPECT_EQ(0, a->Rotate) << "an angle no menu offers is no rotation";
    EXPECT_EQ(1, a->FlipH);
    EXPECT_EQ(0, a->FlipV);
    EXPECT_EQ(1, a->Grayscale);
    EXPECT_EQ(1, a->OldPhoto);
    EXPECT_EQ(1, a->Negate);
    EXPECT_EQ(500, a->Volume) << "the loudest the menus go";
    EXPECT_EQ(-1, a->MediaInfo.SelectedVideoStream) << "a track below Disable is chosen automatically";
    EXPECT_EQ(-2, a->MediaInfo.SelectedAudioStream) << "Disable stays";
    EXPECT_EQ(0, a->MediaInfo.SelectedSubtitleStream);

    const CMediaItem* b = playlist.GetAt(1);
    EXPECT_EQ(100, b->PlaySpeed);
    EXPECT_EQ(0, b->Rotate);
    EXPECT_EQ(1, b->FlipH);
    EXPECT_EQ(0, b->Volume) << "nothing below silence";

    // What the menus set is read as written.
    EXPECT_EQ(50, playlist.GetAt(2)->PlaySpeed);
    EXPECT_EQ(180, playlist.GetAt(2)->Rotate);
    EXPECT_EQ(300, playlist.GetAt(2)->Volume);
    EXPECT_EQ(200, playlist.GetAt(3)->PlaySpeed);
    EXPECT_EQ(270, playlist.GetAt(3)->Rotate) << "the play window's code 3 is 270 degrees";
    EXPECT_EQ(500, playlist.GetAt(3)->Volume);
}

TEST_F(PlaylistFiles, XmlMayMarkOnlyItsOwnTemporaryFilesAsGrabbed)
{
    // The item list deletes a grabbed thumbnail with its item: a playlist naming any other file
    // as grabbed loses that mark.
    CString victim = PathOf(L"precious.jpg");
    ASSERT_TRUE(WriteBytes(victim, "keep me"));
    CString own = m_app->Settings().MakeTempFilePath();
    ASSERT_TRUE(WriteBytes(own, "grabbed"));
    CString sneaky = m_app->Settings().tempFolder + L"\\..\\precious.jpg";
    CString lookalike = m_app->Settings().tempFolder + L"\\0123456789abcdef0123456789abcdef.jpg";
    struct {
        CString file;
        bool keepsMark;
    } cases[] = {{victim, false}, {sneaky, false}, {lookalike, false}, {L"C:\\windows\\win.ini", false},
                 {own, true}};
    std::string text = "<Playlists><Playlist>";
    for (const auto& c : cases)
        text += "<Item Flags=\"528\"><ThumbnailFile><Path>" + Utf8(c.file) + "</Path></ThumbnailFile></Item>";
    text += "</Playlist></Playlists>";
    CString path = PathOf(L"grabbed.playlist");
    ASSERT_TRUE(WriteBytes(path, text));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(path, playlist));
    ASSERT_EQ(5, playlist.GetCount());
    for (int i = 0; i < 5; ++i) {
        CMediaItem* item = playlist.GetAt(i);
        EXPECT_EQ(cases[i].file, item->ThumbnailFile);
        EXPECT_EQ(cases[i].keepsMark, (item->Flags & MEDIA_FILE_GRABBED_THUMBNAIL) != 0) << i;
        EXPECT_TRUE(item->Flags & MEDIA_FILE_PROBED) << i;
        item->DeleteThumbnailFile();
    }
    EXPECT_EQ("keep me", ReadBytes(victim));
    EXPECT_FALSE(FileExists(own));
}

TEST_F(PlaylistFiles, AFailedSaveLeavesTheFileAsItWas)
{
    CPlaylistData playlist;
    playlist.AddPath(L"C:\\new.mp4");
    for (LPCWSTR name : {L"held.playlist", L"held.m3u", L"held.pls"}) {
        CString path = PathOf(name);
        const std::string before = "[Playlist]\r\nNumberOfEntries=1\r\nFile1=C:\\old.mp4\r\n";
        ASSERT_TRUE(WriteBytes(path, before));
        int entries = Leftovers();
        {
            // Held open without delete sharing, the file cannot be replaced.
            CHandle held(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.IsValid());
            EXPECT_EQ(-1, Save(path, playlist)) << CStringA(name).GetString();
        }
        EXPECT_EQ(before, ReadBytes(path)) << CStringA(name).GetString();
        EXPECT_EQ(entries, Leftovers()) << "a temporary file was left by " << CStringA(name).GetString();
    }
    EXPECT_EQ(-1, Save(PathOf(L"no such folder\\x.playlist"), playlist));
    EXPECT_EQ(-1, Save(PathOf(L"no such folder\\x.m3u"), playlist));
    EXPECT_EQ(-1, Save(PathOf(L"no such folder\\x.pls"), playlist));
}

// M3U ---------------------------------------------------------------------------------------------------

TEST_F(PlaylistFiles, M3uSkipsHeaderAndInformationLinesAndResolvesRelativePaths)
{
    CString path = PathOf(L"list.m3u");
    ASSERT_TRUE(WriteBytes(path, "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\n  sub\\clip one.mp4  \r\n\r\n"
                                 "..\\up.mp3\nC:\\abs\\x.avi\r\nhttp://example.invalid/stream.mp3\r\n"
                                 "\\rooted\\y.mp4\r\nfile:///C:/z.mp4\r\n# comment\r\n"));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(path, playlist));
    ASSERT_EQ(6, playlist.GetCount());
    EXPECT_EQ(m_folder + L"\\sub\\clip one.mp4", playlist.GetAt(0)->Path);
    EXPECT_EQ(GetParentFolder(m_folder) + L"\\up.mp3", playlist.GetAt(1)->Path);
    EXPECT_EQ(L"C:\\abs\\x.avi", playlist.GetAt(2)->Path);
    EXPECT_EQ(L"http://example.invalid/stream.mp3", playlist.GetAt(3)->Path);
    EXPECT_EQ(L"\\rooted\\y.mp4", playlist.GetAt(4)->Path);
    EXPECT_EQ(L"file:///C:/z.mp4", playlist.GetAt(5)->Path);

    CPlaylistData none;
    EXPECT_EQ(-1, Load(PathOf(L"missing.m3u"), none));
}

TEST_F(PlaylistFiles, PlainListsSkipLinesThatCannotBeAPathOrAnAddress)
{
    // Control characters and characters no path may hold make garbage, not names; a file that is
    // missing and an address with a query are entries all the same.
    CString path = PathOf(L"mixed.m3u");
    ASSERT_TRUE(WriteBytes(path, "C:\\clips\\missing clip.mp4\r\n"
                                 "ab\x01" "cd.mp4\r\n"
                                 "\x7f\x1b[0m\r\n"
                                 "C:\\a<b>.mp4\r\n"
                                 "x|y?.mp3\r\n"
                                 "C:\\c*.mp4\r\n"
                                 "http://example.invalid/a.mp3?x=1&y=*\r\n"
                                 "\\\\?\\C:\\long\\d.mp4\r\n"
                                 "C:\\e\"f.mp4\r\n"
                                 "C:\\g:h.mp4\r\n"
                                 "caf\xc3\xa9 \xe2\x99\xab.mp3\r\n"));
    const std::vector<CString> entries = {L"C:\\clips\\missing clip.mp4", L"http://example.invalid/a.mp3?x=1&y=*",
                                          L"\\\\?\\C:\\long\\d.mp4", m_folder + L"\\caf\u00e9 \u266b.mp3"};
    EXPECT_EQ(entries, PathsIn(path));

    ASSERT_TRUE(WriteBytes(PathOf(L"mixed.pls"), "[playlist]\nNumberOfEntries=3\nFile1=C:\\ok.mp4\n"
                                                 "File2=bad\x02name.mp4\nFile3=a>b.mp4\n"));
    EXPECT_EQ(std::vector<CString>{L"C:\\ok.mp4"}, PathsIn(PathOf(L"mixed.pls")));

    // A binary file that only carries a list's name is no list at all.
    ExpectRefused(L"picture.m3u", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20) + "C:\\x.mp4\n");
}

// Bytes 1 to 255 in an even mix, as a file that is no list at all holds them.
std::string RandomBytesWithoutNul(size_t size, unsigned seed)
{
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        seed = seed * 1103515245u + 12345u;
        bytes += (char)(1 + (seed >> 16) % 255);
    }
    return bytes;
}

TEST_F(PlaylistFiles, PlainListsTakeOnlyLinesThatCanNameAFileOrAnAddress)
{
    // What real lists hold: extended information, paths from a drive or a share, relative paths
    // through folders, bare names of media files beside the list, and addresses.
    CString real = PathOf(L"real.m3u");
    ASSERT_TRUE(WriteBytes(real, "#EXTM3U\r\n"
                                 "#EXTINF:187,Artist - First Song\r\n"
                                 "D:\\Music\\Artist\\01 First Song.mp3\r\n"
                                 "#EXTINF:-1,Share\r\n"
                                 "\\\\media-server\\films\\Holiday 2019.avi\r\n"
                                 "Album/02 Second Song.ogg\r\n"
                                 "..\\Videos\\clip.mkv\r\n"
                                 "03 Third Song.MP3\r\n"
                                 "E:/videos/no extension\r\n"
                                 "http://radio.example.invalid:8000/live\r\n"
                                 "rtsp://camera.example.invalid/stream1\r\n"
                                 "file:///C:/Users/me/Videos/trip.mp4\r\n"
                                 "mms://old.example.invalid/show.asf\r\n"));
    const std::vector<CString> entries = {L"D:\\Music\\Artist\\01 First Song.mp3",
                                          L"\\\\media-server\\films\\Holiday 2019.avi",
                                          m_folder + L"\\Album\\02 Second Song.ogg",
                                          GetParentFolder(m_folder) + L"\\Videos\\clip.mkv",
                                          m_folder + L"\\03 Third Song.MP3",
                                          L"E:/videos/no extension",
                                          L"http://radio.example.invalid:8000/live",
                                          L"rtsp://camera.example.invalid/stream1",
                                          L"file:///C:/Users/me/Videos/trip.mp4",
                                          L"mms://old.example.invalid/show.asf"};
    EXPECT_EQ(entries, PathsIn(real)) << "every entry of a real list, in its order";

    // Prose names nothing: no drive, no folder, no media file, no address.
    const std::string prose = "Notes for the party: bring the speakers and the long cable.\r\n"
                              "Songs and/or videos etc. go on the list later, version 2.0 maybe!\r\n"
                              "Remember: nobody wants to hear the same album twice.\r\n";
    CString proseList = PathOf(L"prose.m3u");
    ASSERT_TRUE(WriteBytes(proseList, prose));
    EXPECT_EQ(std::vector<CString>{}, PathsIn(proseList));

    // Nor do the bytes of some other file read as text, whatever their lines happen to be.
    for (unsigned seed : {1u, 7u, 12345u, 424242u}) {
        CString noise = PathOf(L"noise.m3u");
        ASSERT_TRUE(WriteBytes(noise, RandomBytesWithoutNul(64 * 1024, seed)));
        std::vector<CString> junk = PathsIn(noise);
        EXPECT_EQ(std::vector<CString>{}, junk) << "seed " << seed << ": " << junk.size() << " entries, the first "
                                                 << (junk.empty() ? "" : CStringA(junk[0]).GetString());
    }

    // The same for the values of a PLS list.
    CString pls = PathOf(L"prose.pls");
    ASSERT_TRUE(WriteBytes(pls, "[playlist]\r\nNumberOfEntries=4\r\nFile1=bring the speakers!\r\n"
                                "File2=Track 01.wma\r\nFile3=http://radio.example.invalid/live\r\n"
                                "File4=and/or later\r\n"));
    EXPECT_EQ((std::vector<CString>{m_folder + L"\\Track 01.wma", L"http://radio.example.invalid/live"}),
              PathsIn(pls));
    ASSERT_TRUE(WriteBytes(pls, "[playlist]\r\nNumberOfEntries=3\r\nFile1=" + prose.substr(0, 40) +
                                "\r\nFile2=!\r\nFile3=Remember: nobody\r\n"));
    EXPECT_EQ(std::vector<CString>{}, PathsIn(pls));
}

TEST_F(PlaylistFiles, M3uKeepsNamesBeyondTheAnsiCodePage)
{
    CPlaylistData playlist;
    playlist.AddPath(L"C:\\Music\\caf\u00e9.mp3");
    playlist.AddPath(L"C:\\\u0416\u0443\u043a\\\u97f3\u697d.mp3");
    playlist.AddPath(L"http://example.invalid/a b.mp3");
    CString path = PathOf(L"names.m3u");
    ASSERT_EQ(0, Save(path, playlist));
    // Names that the ANSI code page cannot hold make the file UTF-8, marked as such.
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(0u, bytes.find("\xef\xbb\xbf"));
    EXPECT_NE(std::string::npos, bytes.find(Utf8(L"\u97f3\u697d.mp3\r\n")));
    CPlaylistData back;
    ASSERT_EQ(0, Load(path, back));
    ASSERT_EQ(3, back.GetCount());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(playlist.GetAt(i)->Path, back.GetAt(i)->Path) << i;

    // A list the ANSI code page can hold stays a plain ANSI file, as other players expect.
    CPlaylistData plain;
    plain.AddPath(L"C:\\Music\\a.mp3");
    plain.AddPath(L"");
    ASSERT_EQ(0, Save(path, plain));
    EXPECT_EQ("C:\\Music\\a.mp3\r\n", ReadBytes(path));

    // UTF-8 written by other programs without a mark is read as UTF-8.
    ASSERT_TRUE(WriteBytes(path, Utf8(L"C:\\\u0416.mp3\n")));
    CPlaylistData other;
    ASSERT_EQ(0, Load(path, other));
    ASSERT_EQ(1, other.GetCount());
    EXPECT_EQ(L"C:\\\u0416.mp3", other.GetAt(0)->Path);
}

TEST_F(PlaylistFiles, M3uInUtf16IsReadAsUtf16)
{
    // Editors save "Unicode" lists as UTF-16 with a byte-order mark, in either byte order.
    const CString first = L"C:\\Music\\caf\u00e9 \u97f3\u697d.mp3", second = L"http://example.invalid/a.mp3";
    const CString text = L"#EXTM3U\r\n" + first + L"\r\n" + second + L"\n";
    std::string little("\xFF\xFE", 2), big("\xFE\xFF", 2);
    for (int i = 0; i < text.GetLength(); ++i) {
        wchar_t c = text[i];
        little += (char)(c & 0xFF);
        little += (char)(c >> 8);
        big += (char)(c >> 8);
        big += (char)(c & 0xFF);
    }
    for (const std::string& bytes : {little, big}) {
        ASSERT_TRUE(WriteBytes(PathOf(L"unicode.m3u"), bytes));
        CPlaylistData playlist;
        ASSERT_EQ(0, Load(PathOf(L"unicode.m3u"), playlist));
        ASSERT_EQ(2, playlist.GetCount()) << (bytes == big ? "big-endian" : "little-endian");
        EXPECT_EQ(first, playlist.GetAt(0)->Path);
        EXPECT_EQ(second, playlist.GetAt(1)->Path);
    }
    // A mark with half a character after it is read as far as it goes.
    ASSERT_TRUE(WriteBytes(PathOf(L"unicode.m3u"), std::string("\xFF\xFE" "C\0:\0\\\0x\0", 10) + "y"));
    CPlaylistData cut;
    ASSERT_EQ(0, Load(PathOf(L"unicode.m3u"), cut));
    ASSERT_EQ(1, cut.GetCount());
    EXPECT_EQ(L"C:\\x", cut.GetAt(0)->Path);
}

TEST_F(PlaylistFiles, M3uLongLinesStayWhole)
{
    CString longPath = L"C:\\" + CString(L'x', 5000) + L".mp4";
    ASSERT_TRUE(WriteBytes(PathOf(L"long.m3u"), Utf8(longPath) + "\r\nC:\\b.mp4\r\n"));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(PathOf(L"long.m3u"), playlist));
    ASSERT_EQ(2, playlist.GetCount());
    EXPECT_EQ(longPath, playlist.GetAt(0)->Path);
}

// PLS ---------------------------------------------------------------------------------------------------

TEST_F(PlaylistFiles, PlsReadsTheNumberedEntriesThatExist)
{
    CString path = PathOf(L"three.pls");
    ASSERT_TRUE(WriteBytes(path, "[playlist]\r\nFile1=C:\\one.mp3\r\nTitle1=One\r\nFile3= clips\\three.mp3 \r\n"
                                 "NumberOfEntries=3\r\nFile4=C:\\beyond.mp3\r\nFile03=C:\\padded.mp3\r\n"
                                 "Version=2\r\n"));
    CPlaylistData playlist;
    ASSERT_EQ(0, Load(path, playlist));
    ASSERT_EQ(2, playlist.GetCount());
    EXPECT_EQ(L"C:\\one.mp3", playlist.GetAt(0)->Path);
    EXPECT_EQ(m_folder + L"\\clips\\three.mp3", playlist.GetAt(1)->Path);

    // Without NumberOfEntries the file is no playlist.
    ExpectRefused(L"no count.pls", "[playlist]\r\nFile1=C:\\one.mp3\r\n");
    ExpectRefused(L"other.pls", "[Other]\r\nNumberOfEntries=1\r\nFile1=C:\\one.mp3\r\n");
    CPlaylistData none;
    EXPECT_EQ(-1, Load(PathOf(L"missing.pls"), none));
}

TEST_F(PlaylistFiles, PlsWithAnAbsurdCountIsReadQuickly)
{
    CString path = PathOf(L"absurd.pls");
    ASSERT_TRUE(WriteBytes(path, "[playlist]\r\nNumberOfEntries=2000000000\r\nFile1=C:\\a.mp3\r\n"
                                 "File1999999999=C:\\b.mp3\r\n"));
    CPlaylistData playlist;
    DWORD start = GetTickCount();
    ASSERT_EQ(0, Load(path, playlist));
    EXPECT_LT(GetTickCount() - start, 5000u);
    ASSERT_EQ(2, playlist.GetCount());
    EXPECT_EQ(L"C:\\b.mp3", playlist.GetAt(1)->Path);
}

TEST_F(PlaylistFiles, PlsSaveReplacesItsSectionAndKeepsTheOthers)
{
    CString path = PathOf(L"mixed.pls");
    ASSERT_TRUE(WriteBytes(path, "[Before]\r\nKey=Value\r\n[playlist]\r\nNumberOfEntries=5\r\nFile5=C:\\old.mp3\r\n"
                                 "Title5=Old\r\n[After]\r\nOther=1\r\n"));
    CPlaylistData playlist;
    playlist.AddPath(L"C:\\one.mp3");
    playlist.AddPath(L"http://example.invalid/two.mp3");
    ASSERT_EQ(0, Save(path, playlist));
    wchar_t value[64];
    GetPrivateProfileStringW(L"Before", L"Key", L"", value, 64, path);
    EXPECT_STREQ(L"Value", value);
    GetPrivateProfileStringW(L"After", L"Other", L"", value, 64, path);
    EXPECT_STREQ(L"1", value);
    EXPECT_EQ(2u, GetPrivateProfileIntW(L"Playlist", L"NumberOfEntries", 0, path));
    GetPrivateProfileStringW(L"Playlist", L"File5", L"gone", value, 64, path);
    EXPECT_STREQ(L"gone", value);
    GetPrivateProfileStringW(L"Playlist", L"Title5", L"gone", value, 64, path);
    EXPECT_STREQ(L"gone", value);

    CPlaylistData back;
    ASSERT_EQ(0, Load(path, back));
    ASSERT_EQ(2, back.GetCount());
    EXPECT_EQ(L"http://example.invalid/two.mp3", back.GetAt(1)->Path);
    EXPECT_EQ(1, Leftovers());
}

TEST_F(PlaylistFiles, PlsKeepsNamesBeyondTheAnsiCodePageAndOtherSections)
{
    CString path = PathOf(L"names.pls");
    ASSERT_TRUE(WriteBytes(path, "[Keep]\r\nName=caf\xe9\r\n"));
    CPlaylistData playlist;
    playlist.AddPath(L"C:\\\u0416\u0443\u043a\\\u97f3\u697d.mp3");
    playlist.AddPath(L"C:\\caf\u00e9.mp3");
    ASSERT_EQ(0, Save(path, playlist));
    CPlaylistData back;
    ASSERT_EQ(0, Load(path, back));
    ASSERT_EQ(2, back.GetCount());
    EXPECT_EQ(playlist.GetAt(0)->Path, back.GetAt(0)->Path);
    EXPECT_EQ(playlist.GetAt(1)->Path, back.GetAt(1)->Path);
    wchar_t value[64];
    GetPrivateProfileStringW(L"Keep", L"Name", L"", value, 64, path);
    EXPECT_STREQ(L"caf\u00e9", value);
}

TEST_F(PlaylistFiles, PlsWithARelativeNameStaysWhereItIsNamed)
{
    // The profile functions would look for a bare name in the Windows folder.
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(m_folder));
    CPlaylistData playlist;
    playlist.AddPath(L"C:\\one.mp3");
    int saved = Save(L"relative.pls", playlist);
    CPlaylistData back;
    int loaded = Load(L"relative.pls", back);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(0, saved);
    EXPECT_EQ(0, loaded);
    EXPECT_TRUE(FileExists(PathOf(L"relative.pls")));
    ASSERT_EQ(1, back.GetCount());
    EXPECT_EQ(L"C:\\one.mp3", back.GetAt(0)->Path);
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_FALSE(FileExists(CString(windows) + L"\\relative.pls"));
}
