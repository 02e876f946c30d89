// The player's own XML playlist: every item with its media information, chosen streams, filters,
// last position and thumbnail (a file, or JPEG data as Base64 text).
#include "player/playlistfiles/PlaylistFormat.h"

#include <pugixml.hpp>

#include <new>
#include <string>

#include "engine/SystemHelpers.h"
#include "framework/App.h"
#include "image/RasterImage.h"
#include "player/playlistfiles/PlayerFiles.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/ThumbnailText.h"
#include "player/settings/PlayerSettings.h"

const wchar_t kPlaylistFileVersion[] = L"1.6.0";
const wchar_t kDefaultPlaylistFileName[] = L"Default.playlist";

namespace {

// No media file has this many streams; a playlist that lists more is not worth the memory.
const int MAX_STREAMS_PER_ITEM = 1024;

// The document in memory, collected by pugixml's writer so that the file is written in one go.
class CStringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), size); }
    std::string bytes;
};

bool AddText(pugi::xml_node parent, const wchar_t* name, const CString& text)
{
    pugi::xml_node node = parent.append_child(name);
    return node && node.text().set(text.GetString());
}

// Attributes are added in the order of the file format; a failed one fails the element.
class CAttributes {
public:
    explicit CAttributes(pugi::xml_node node) : m_node(node), m_ok(bool(node)) {}
    CAttributes& Add(const wchar_t* name, unsigned value) { return Set(name, [&](pugi::xml_attribute a) { return a.set_value(value); }); }
    CAttributes& Add(const wchar_t* name, int value) { return Set(name, [&](pugi::xml_attribute a) { return a.set_value(value); }); }
    CAttributes& Add(const wchar_t* name, __int64 value) { return Set(name, [&](pugi::xml_attribute a) { return a.set_value((long long)value); }); }
    CAttributes& Add(const wchar_t* name, const CString& value) { return Set(name, [&](pugi::xml_attribute a) { return a.set_value(value.GetString()); }); }
    bool Ok() const { return m_ok; }

private:
    template <class F>
    CAttributes& Set(const wchar_t* name, F set)
    {
        if (m_ok) {
            pugi::xml_attribute a = m_node.append_attribute(name);
            m_ok = a && set(a);
        }
        return *this;
    }
    pugi::xml_node m_node;
    bool m_ok;
};

CString Pair(const wchar_t* format, int a, int b)
{
    CString text;
    text.Format(format, a, b);
    return text;
}

bool MetadataIsEmpty(const CMediaMetadata& m)
{
    return m.Title.IsEmpty() && m.Author.IsEmpty() && m.Album.IsEmpty() && m.Genre.IsEmpty() &&
           m.Copyright.IsEmpty() && m.Comment.IsEmpty() && m.Track == 0 && m.Year == 0;
}

// A failure here only cuts the element short: the rest of the playlist is still worth saving.
void WriteMediaInfo(pugi::xml_node parent, const CMediaInfoRecord& info)
{
    pugi::xml_node node = parent.append_child(L"MediaInfo");
    if (!CAttributes(node)
             .Add(L"Flags", info.Flags)
             .Add(L"Type", info.Type)
             .Add(L"Format", info.Format)
             .Add(L"Size", info.Size)
             .Add(L"StartTimeInUs", info.StartTimeInUs)
             .Add(L"DurationInUs", info.DurationInUs)
             .Add(L"BitRate", info.BitRate)
             .Add(L"Streams", info.Streams)
             .Ok())
        return;
    if (info.GetStreamCount() > 0) {
        pugi::xml_node streams = node.append_child(L"Streams");
        if (!CAttributes(streams)
                 .Add(L"SelectedVideoStream", info.SelectedVideoStream)
                 .Add(L"SelectedAudioStream", info.SelectedAudioStream)
                 .Add(L"SelectedSubtitleStream", info.SelectedSubtitleStream)
                 .Ok())
            return;
        for (int i = 0; i < info.GetStreamCount(); ++i) {
            const CMediaStream* s = info.GetStream(i);
            CAttributes a(streams.append_child(L"Stream"));
            a.Add(L"Flags", s->Flags)
                .Add(L"Type", s->Type)
                .Add(L"Codec", s->Codec)
                .Add(L"StartTimeInUs", s->StartTimeInUs)
                .Add(L"DurationInUs", s->DurationInUs)
                .Add(L"Frames", s->Frames)
                .Add(L"BitRate", s->BitRate)
                .Add(L"Language", s->Language);
            if (s->Type == MEDIA_STREAM_VIDEO)
                a.Add(L"Resolution", Pair(L"%dx%d", s->Width, s->Height))
                    .Add(L"Aspect", Pair(L"%d/%d", s->AspectNum, s->AspectDen))
                    .Add(L"FrameRate", Pair(L"%d/%d", s->FrameRateNum, s->FrameRateDen));
            else if (s->Type == MEDIA_STREAM_AUDIO)
                a.Add(L"Channel", s->Channels).Add(L"SampleRate", s->SampleRate);
            if (!a.Ok())
                return;
        }
    }
    const CMediaMetadata& m = info.Metadata;
    if (!MetadataIsEmpty(m)) {
        pugi::xml_node meta = node.append_child(L"MetaData");
        if (!CAttributes(meta).Add(L"Track", m.Track).Add(L"Year", m.Year).Ok())
            return;
        const struct {
            const wchar_t* name;
            const CString& text;
        } texts[] = {{L"Title", m.Title}, {L"Author", m.Author}, {L"Album", m.Album},
                     {L"Genre", m.Genre}, {L"Copyright", m.Copyright}, {L"Comment", m.Comment}};
        for (const auto& t : texts)
            if (!AddText(meta, t.name, t.text))
                return;
    }
}

bool WriteThumbnail(pugi::xml_node parent, CMediaItem& item, int embedThumbnails)
{
    pugi::xml_node node = parent.append_child(L"ThumbnailFile");
    if (!node)
        return false;
    if (embedThumbnails) {
        CString text;
        if (item.Thumbnail.IsValid() && ImageToBase64(item.Thumbnail, text) == 0 && !text.IsEmpty())
            return AddText(node, L"Image", text);
        return true;
    }
    if (item.ThumbnailFile.IsEmpty() && item.Thumbnail.IsValid()) {
        CPlayerSettings* settings = GetPlayerSettings();
        CString file = settings ? settings->MakeTempFilePath() : GetTempFilePath();
        // Only a file that was really written is named: a playlist must not promise a picture.
        // Made for this item alone, it goes with the item as a grabbed one does.
        if (item.Thumbnail.Save(file, ImageTypeJPG)) {
            item.ThumbnailFile = file;
            item.ChangeFlags(MEDIA_FILE_GRABBED_THUMBNAIL);
        } else {
            DeleteFileW(file);
        }
    }
    if (!item.ThumbnailFile.IsEmpty())
        return AddText(node, L"Path", item.ThumbnailFile);
    return true;
}

bool WriteItem(pugi::xml_node playlist, CMediaItem& item, int embedThumbnails)
{
    pugi::xml_node node = playlist.append_child(L"Item");
    if (!CAttributes(node).Add(L"Flags", item.Flags).Add(L"LastPositionInUs", item.LastPositionInUs).Ok())
        return false;
    if (!item.Path.IsEmpty()) {
        pugi::xml_node file = node.append_child(L"MediaFile");
        if (!file || !AddText(file, L"Path", item.Path))
            return false;
        WriteMediaInfo(file, item.MediaInfo);
    }
    if (!WriteThumbnail(node, item, embedThumbnails))
        return false;
    return CAttributes(node.append_child(L"Filters"))
        .Add(L"PlaySpeed", item.PlaySpeed)
        .Add(L"Rotate", item.Rotate)
        .Add(L"FlipH", item.FlipH)
        .Add(L"FlipV", item.FlipV)
        .Add(L"Grayscale", item.Grayscale)
        .Add(L"OldPhoto", item.OldPhoto)
        .Add(L"Negate", item.Negate)
        .Add(L"Volume", item.Volume)
        .Ok();
}

CString GeneratorText()
{
    CWinApp* app = AfxGetApp();
    CString vendor = app && app->m_pszRegistryKey ? app->m_pszRegistryKey : kMakerName;
    CString name = app && app->m_pszAppName ? app->m_pszAppName : L"Lumivo";
    CString text;
    text.Format(L"%s %s", vendor.GetString(), name.GetString());
    return text;
}

// Reading ---------------------------------------------------------------------------------------

void ReadPair(const wchar_t* text, const wchar_t* format, int& a, int& b)
{
    if (!text || !*text)
        return;
    int x = 0, y = 0;
    if (swscanf(text, format, &x, &y) == 2) {
        a = x;
        b = y;
    }
}

void ReadStream(pugi::xml_node node, CMediaStream& s)
{
    s.Flags = node.attribute(L"Flags").as_uint(s.Flags);
    s.Type = node.attribute(L"Type").as_int(s.Type);
    s.Codec = node.attribute(L"Codec").as_string(s.Codec.GetString());
    s.StartTimeInUs = node.attribute(L"StartTimeInUs").as_llong(s.StartTimeInUs);
    s.DurationInUs = node.attribute(L"DurationInUs").as_llong(s.DurationInUs);
    s.Frames = node.attribute(L"Frames").as_llong(s.Frames);
    s.BitRate = node.attribute(L"BitRate").as_int(s.BitRate);
    s.Language = node.attribute(L"Language").as_string(s.Language.GetString());
    if (s.Type == MEDIA_STREAM_VIDEO) {
        ReadPair(node.attribute(L"Resolution").value(), L"%dx%d", s.Width, s.Height);
        ReadPair(node.attribute(L"Aspect").value(), L"%d/%d", s.AspectNum, s.AspectDen);
        ReadPair(node.attribute(L"FrameRate").value(), L"%d/%d", s.FrameRateNum, s.FrameRateDen);
    } else if (s.Type == MEDIA_STREAM_AUDIO) {
        s.Channels = node.attribute(L"Channel").as_int(s.Channels);
        s.SampleRate = node.attribute(L"SampleRate").as_int(s.SampleRate);
    }
}

void ReadMediaInfo(pugi::xml_node node, CMediaInfoRecord& info)
{
    info.Flags = node.attribute(L"Flags").as_uint(info.Flags);
    info.Type = node.attribute(L"Type").as_int(info.Type);
    info.Format = node.attribute(L"Format").as_string(info.Format.GetString());
    info.Size = node.attribute(L"Size").as_llong(info.Size);
    info.StartTimeInUs = node.attribute(L"StartTimeInUs").as_llong(info.StartTimeInUs);
    info.DurationInUs = node.attribute(L"DurationInUs").as_llong(info.DurationInUs);
    info.BitRate = node.attribute(L"BitRate").as_int(info.BitRate);
    info.Streams = node.attribute(L"Streams").as_int(info.Streams);
    pugi::xml_node streams = node.child(L"Streams");
    if (streams) {
        // A track the menus cannot choose (below "Disable") is the automatic one; one past the
        // streams of its kind is made automatic when the record is finalised.
        auto selection = [&](const wchar_t* name, int current) {
            const int chosen = streams.attribute(name).as_int(current);
            return chosen < MEDIA_SELECT_NONE ? MEDIA_SELECT_AUTO : chosen;
        };
        info.SelectedVideoStream = selection(L"SelectedVideoStream", info.SelectedVideoStream);
        info.SelectedAudioStream = selection(L"SelectedAudioStream", info.SelectedAudioStream);
        info.SelectedSubtitleStream = selection(L"SelectedSubtitleStream", info.SelectedSubtitleStream);
        int count = 0;
        for (pugi::xml_node s = streams.child(L"Stream"); s && count < MAX_STREAMS_PER_ITEM;
             s = s.next_sibling(L"Stream"), ++count) {
            CMediaStream* stream = new (std::nothrow) CMediaStream;
            if (!stream)
                break;
            ReadStream(s, *stream);
            info.AddStream(stream);
        }
    }
    pugi::xml_node meta = node.child(L"MetaData");
    if (meta) {
        CMediaMetadata& m = info.Metadata;
        m.Track = meta.attribute(L"Track").as_int(m.Track);
        m.Year = meta.attribute(L"Year").as_int(m.Year);
        m.Title = meta.child_value(L"Title");
        m.Author = meta.child_value(L"Author");
        m.Album = meta.child_value(L"Album");
        m.Genre = meta.child_value(L"Genre");
        m.Copyright = meta.child_value(L"Copyright");
        m.Comment = meta.child_value(L"Comment");
    }
    info.Finalize();
}

void ReadItem(pugi::xml_node node, CMediaItem& item)
{
    item.Flags = node.attribute(L"Flags").as_uint(item.Flags);
    item.LastPositionInUs = node.attribute(L"LastPositionInUs").as_llong(item.LastPositionInUs);
    pugi::xml_node file = node.child(L"MediaFile");
    if (file) {
        item.Path = file.child_value(L"Path");
        pugi::xml_node info = file.child(L"MediaInfo");
        if (info)
            ReadMediaInfo(info, item.MediaInfo);
    }
    pugi::xml_node thumbnail = node.child(L"ThumbnailFile");
    if (thumbnail) {
        pugi::xml_node image = thumbnail.child(L"Image");
        if (!image) {
            item.ThumbnailFile = thumbnail.child_value(L"Path");
        } else if (*image.child_value()) {
            if (Base64ToImage(image.child_value(), item.Thumbnail) == 0)
                item.StateFlags |= MEDIA_STATE_THUMBNAIL_READY;
        }
    }
    // The item list deletes a grabbed thumbnail file with the item: a playlist may claim that only
    // for the program's own files, or opening a crafted playlist would delete any file it names.
    if (item.Flags & MEDIA_FILE_GRABBED_THUMBNAIL) {
        CPlayerSettings* settings = GetPlayerSettings();
        if (!settings || !settings->IsOwnTempFile(item.ThumbnailFile))
            item.Flags &= ~MEDIA_FILE_GRABBED_THUMBNAIL;
    }
    pugi::xml_node filters = node.child(L"Filters");
    if (filters) {
        // A file may say anything: what reaches the playback tool is what the menus can set.
        auto value = [&](const wchar_t* name, int current) { return filters.attribute(name).as_int(current); };
        auto flag = [&](const wchar_t* name, int current) { return value(name, current) != 0 ? 1 : 0; };
        const int speed = value(L"PlaySpeed", item.PlaySpeed);
        item.PlaySpeed = speed == 50 || speed == 200 ? speed : 100;
        // The play window also takes 1, 2 and 3 for the three angles; the menus know the angles.
        const int rotate = value(L"Rotate", item.Rotate);
        if (rotate >= 1 && rotate <= 3)
            item.Rotate = rotate * 90;
        else
            item.Rotate = rotate == 90 || rotate == 180 || rotate == 270 ? rotate : 0;
        item.FlipH = flag(L"FlipH", item.FlipH);
        item.FlipV = flag(L"FlipV", item.FlipV);
        item.Grayscale = flag(L"Grayscale", item.Grayscale);
        item.Negate = flag(L"Negate", item.Negate);
        item.OldPhoto = flag(L"OldPhoto", item.OldPhoto);
        const int kMaxVolume = 500;
        const int volume = value(L"Volume", item.Volume);
        item.Volume = volume < 0 ? 0 : volume > kMaxVolume ? kMaxVolume : volume;
    }
}

// An element that cannot be added: pugixml ran out of memory.
int OutOfMemory()
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
}

}  // namespace

int CXmlPlaylistFormat::Load(const wchar_t* path, CPlaylistData& playlist)
{
    // A hostile file may still exhaust memory on the way; it is refused like any other bad file.
    try {
        return LoadXml(path, playlist);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CXmlPlaylistFormat::LoadXml(const wchar_t* path, CPlaylistData& playlist)
{
    std::string bytes;
    if (!path || !*path || !playerfiles::ReadWholeFile(path, bytes))
        return -1;
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto))
        return -1;
    bytes.clear();
    bytes.shrink_to_fit();
    pugi::xml_node node = doc.child(L"Playlists").child(L"Playlist");
    if (!node)
        return -1;
    playlist.Flags = (int)node.attribute(L"Flags").as_uint((unsigned)playlist.Flags);
    playlist.LastItem = node.attribute(L"LastItem").as_int(playlist.LastItem);
    playlist.Name = node.child_value(L"Name");
    playlist.ArtworkFile = node.child(L"ArtworkFile").child_value(L"Path");
    for (pugi::xml_node item = node.child(L"Item"); item; item = item.next_sibling(L"Item")) {
        CMediaItem* media = playlist.AddPath(L"");
        if (!media)
            return -1;
        ReadItem(item, *media);
    }
    return 0;
}

int CXmlPlaylistFormat::Save(const wchar_t* path, const CPlaylistData& playlist, int embedThumbnails)
{
    if (!path || !*path)
        return -1;
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    if (!CAttributes(decl).Add(L"version", CString(L"1.0")).Add(L"encoding", CString(L"UTF-8")).Ok())
        return OutOfMemory();
    pugi::xml_node root = doc.append_child(L"Playlists");
    if (!CAttributes(root).Add(L"Version", CString(kPlaylistFileVersion)).Add(L"Generator", GeneratorText()).Ok())
        return OutOfMemory();
    pugi::xml_node node = root.append_child(L"Playlist");
    if (!CAttributes(node).Add(L"Flags", (unsigned)playlist.Flags).Add(L"LastItem", playlist.LastItem).Ok())
        return OutOfMemory();
    if (!playlist.Name.IsEmpty() && !AddText(node, L"Name", playlist.Name))
        return OutOfMemory();
    if (!playlist.ArtworkFile.IsEmpty()) {
        pugi::xml_node artwork = node.append_child(L"ArtworkFile");
        if (!artwork || !AddText(artwork, L"Path", playlist.ArtworkFile))
            return OutOfMemory();
    }
    for (int i = 0; i < playlist.GetCount(); ++i) {
        CMediaItem* item = playlist.GetAt(i);
        if (item && !WriteItem(node, *item, embedThumbnails))
            return OutOfMemory();
    }
    CStringWriter writer;
    doc.save(writer, L"\t", pugi::format_indent, pugi::encoding_utf8);
    return playerfiles::WriteFileReplacing(path, writer.bytes.data(), writer.bytes.size()) ? 0 : -1;
}
