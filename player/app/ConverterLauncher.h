// Starts the converter program (Ravento.exe in the application folder) for one file with the
// choices the user made for it in the player: plain conversion, audio extraction ("-c ae") and
// animated-GIF making ("-c gm").
#pragma once

#include "framework/String.h"

class CMediaItem;

// Each returns 0 when the converter was started, -1 when Ravento.exe does not exist. A null or
// empty path is left out; stream numbers of -1 are left out; start and stop are written when
// positive; volume 100 is not written.
int LaunchConverter(const wchar_t* path, int videoStream, int audioStream, int subtitleStream,
                    const wchar_t* formatKey, __int64 start, __int64 stop, int flipHorizontally,
                    int flipVertically, int rotation, int grayscale, int negate, int oldPhoto, int volume);
int LaunchConverterExtractAudio(const wchar_t* path, int audioStream, const wchar_t* formatKey, __int64 start,
                                __int64 stop, int volume);
int LaunchConverterMakeGif(const wchar_t* path, int videoStream, int subtitleStream, __int64 start, __int64 stop,
                           int flipHorizontally, int flipVertically, int rotation, int grayscale, int negate,
                           int oldPhoto);

// The command lines the three calls hand to the converter.
CString BuildConverterCommandLine(const wchar_t* path, int videoStream, int audioStream, int subtitleStream,
                                  const wchar_t* formatKey, __int64 start, __int64 stop, int flipHorizontally,
                                  int flipVertically, int rotation, int grayscale, int negate, int oldPhoto,
                                  int volume);
CString BuildExtractAudioCommandLine(const wchar_t* path, int audioStream, const wchar_t* formatKey,
                                     __int64 start, __int64 stop, int volume);
CString BuildMakeGifCommandLine(const wchar_t* path, int videoStream, int subtitleStream, __int64 start,
                                __int64 stop, int flipHorizontally, int flipVertically, int rotation, int grayscale,
                                int negate, int oldPhoto);

// What the playlist's commands pass for an item: the item's choice of a stream kind (1 video,
// 2 audio, 3 subtitle) as the stream's index in the whole file; -1 (automatic) and -2 (none)
// pass as they are, a choice out of range gives -1.
int GetConverterStreamNumber(const CMediaItem& item, int type);
// "Convert...", "Extract Audio..." and "Make Animated GIF..." for one item.
int LaunchConverterForItem(const CMediaItem& item);
int LaunchConverterExtractAudioForItem(const CMediaItem& item);
int LaunchConverterMakeGifForItem(const CMediaItem& item);

extern const wchar_t kConverterFileName[];
