// The converter's command lines for one file and the start of Ravento.exe from the application
// folder.
#include "player/app/ConverterLauncher.h"

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"

const wchar_t kConverterFileName[] = L"Ravento.exe";

namespace {

enum LaunchMode { LAUNCH_CONVERT, LAUNCH_EXTRACT_AUDIO, LAUNCH_MAKE_GIF };

// The path as one argument of the converter's command line. Backslashes before the closing quote
// are doubled and a quote inside (only a URL can hold one) is percent-encoded, so that nothing of
// the path can end the argument early and pass as options of its own.
CString QuotedArgument(const wchar_t* path)
{
    CString text(path);
    text.Replace(L"\"", L"%22");
    int trailing = 0;
    while (trailing < text.GetLength() && text[text.GetLength() - 1 - trailing] == L'\\')
        ++trailing;
    for (int i = 0; i < trailing; ++i)
        text += L'\\';
    return L" \"" + text + L"\"";
}

struct CLaunchChoices {
    const wchar_t* path;
    int videoStream, audioStream, subtitleStream;
    const wchar_t* formatKey;
    __int64 start, stop;
    int flipHorizontally, flipVertically, rotation, grayscale, negate, oldPhoto, volume;
};

CString BuildCommandLine(LaunchMode mode, const CLaunchChoices& c)
{
    const bool video = mode != LAUNCH_EXTRACT_AUDIO;  // convert and GIF
    const bool audio = mode != LAUNCH_MAKE_GIF;       // convert and audio
    CString text = mode == LAUNCH_EXTRACT_AUDIO ? L"-c ae" : mode == LAUNCH_MAKE_GIF ? L"-c gm" : L"";
    if (c.path && *c.path)
        text += QuotedArgument(c.path);
    if (video && c.videoStream != -1)
        text.AppendFormat(L" -vstream %d", c.videoStream);
    if (audio && c.audioStream != -1)
        text.AppendFormat(L" -astream %d", c.audioStream);
    if (video && c.subtitleStream != -1)
        text.AppendFormat(L" -sstream %d", c.subtitleStream);
    if (audio && c.formatKey)
        text.AppendFormat(L" -oformat %s", c.formatKey);
    if (c.start > 0)
        text.AppendFormat(L" -starttime %I64d", c.start);
    if (c.stop > 0)
        text.AppendFormat(L" -stoptime %I64d", c.stop);
    if (video) {
        if (c.flipVertically)
            text += L" -flipv";
        if (c.flipHorizontally)
            text += L" -fliph";
        if (c.rotation > 0)
            text.AppendFormat(L" -rotate %d", c.rotation);
        if (c.grayscale)
            text += L" -grayscale";
        if (c.negate)
            text += L" -negate";
        if (c.oldPhoto)
            text += L" -oldphoto";
    }
    if (audio && c.volume != 100)
        text.AppendFormat(L" -volume %d", c.volume);
    text.TrimLeft();
    return text;
}

int StartConverter(const CString& commandLine)
{
    CString exe = GetAppFolder() + L"\\" + kConverterFileName;
    if (!IsExistingFile(exe))
        return -1;
    FwShellExecute(nullptr, nullptr, exe, commandLine.IsEmpty() ? nullptr : commandLine.GetString(), nullptr, SW_SHOW);
    return 0;
}

}  // namespace

CString BuildConverterCommandLine(const wchar_t* path, int videoStream, int audioStream, int subtitleStream,
                                  const wchar_t* formatKey, __int64 start, __int64 stop, int flipHorizontally,
                                  int flipVertically, int rotation, int grayscale, int negate, int oldPhoto,
                                  int volume)
{
    return BuildCommandLine(LAUNCH_CONVERT, {path, videoStream, audioStream, subtitleStream, formatKey, start, stop,
                                             flipHorizontally, flipVertically, rotation, grayscale, negate,
                                             oldPhoto, volume});
}

CString BuildExtractAudioCommandLine(const wchar_t* path, int audioStream, const wchar_t* formatKey,
                                     __int64 start, __int64 stop, int volume)
{
    return BuildCommandLine(LAUNCH_EXTRACT_AUDIO,
                            {path, -1, audioStream, -1, formatKey, start, stop, 0, 0, 0, 0, 0, 0, volume});
}

CString BuildMakeGifCommandLine(const wchar_t* path, int videoStream, int subtitleStream, __int64 start,
                                __int64 stop, int flipHorizontally, int flipVertically, int rotation, int grayscale,
                                int negate, int oldPhoto)
{
    return BuildCommandLine(LAUNCH_MAKE_GIF, {path, videoStream, -1, subtitleStream, nullptr, start, stop,
                                              flipHorizontally, flipVertically, rotation, grayscale, negate,
                                              oldPhoto, 100});
}

int LaunchConverter(const wchar_t* path, int videoStream, int audioStream, int subtitleStream,
                    const wchar_t* formatKey, __int64 start, __int64 stop, int flipHorizontally,
                    int flipVertically, int rotation, int grayscale, int negate, int oldPhoto, int volume)
{
    return StartConverter(BuildConverterCommandLine(path, videoStream, audioStream, subtitleStream, formatKey,
                                                    start, stop, flipHorizontally, flipVertically, rotation,
                                                    grayscale, negate, oldPhoto, volume));
}

int LaunchConverterExtractAudio(const wchar_t* path, int audioStream, const wchar_t* formatKey, __int64 start,
                                __int64 stop, int volume)
{
    return StartConverter(BuildExtractAudioCommandLine(path, audioStream, formatKey, start, stop, volume));
}

int LaunchConverterMakeGif(const wchar_t* path, int videoStream, int subtitleStream, __int64 start, __int64 stop,
                           int flipHorizontally, int flipVertically, int rotation, int grayscale, int negate,
                           int oldPhoto)
{
    return StartConverter(BuildMakeGifCommandLine(path, videoStream, subtitleStream, start, stop, flipHorizontally,
                                                  flipVertically, rotation, grayscale, negate, oldPhoto));
}

// What the playlist's commands pass -----------------------------------------------------------------

int GetConverterStreamNumber(const CMediaItem& item, int type)
{
    const CMediaInfoRecord& info = item.MediaInfo;
    int selection = type == MEDIA_STREAM_VIDEO   ? info.SelectedVideoStream
                    : type == MEDIA_STREAM_AUDIO ? info.SelectedAudioStream
                                                 : info.SelectedSubtitleStream;
    if (selection < 0)
        return selection;
    return info.GetStreamIndex(selection, type);
}

int LaunchConverterForItem(const CMediaItem& item)
{
    return LaunchConverter(item.Path, GetConverterStreamNumber(item, MEDIA_STREAM_VIDEO),
                           GetConverterStreamNumber(item, MEDIA_STREAM_AUDIO),
                           GetConverterStreamNumber(item, MEDIA_STREAM_SUBTITLE), nullptr, 0, -1, item.FlipH,
                           item.FlipV, item.Rotate, item.Grayscale, item.Negate, item.OldPhoto, item.Volume);
}

int LaunchConverterExtractAudioForItem(const CMediaItem& item)
{
    int audio = GetConverterStreamNumber(item, MEDIA_STREAM_AUDIO);
    return LaunchConverterExtractAudio(item.Path, audio == -2 ? -1 : audio, L"AF_mp3", 0, -1, item.Volume);
}

int LaunchConverterMakeGifForItem(const CMediaItem& item)
{
    int video = GetConverterStreamNumber(item, MEDIA_STREAM_VIDEO);
    return LaunchConverterMakeGif(item.Path, video == -2 ? -1 : video,
                                  GetConverterStreamNumber(item, MEDIA_STREAM_SUBTITLE), 0, -1, item.FlipH,
                                  item.FlipV, item.Rotate, item.Grayscale, item.Negate, item.OldPhoto);
}
