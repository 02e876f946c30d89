// CCommandLineOptions: what Ravento's command line asks for: the mode (converter, Audio
// Extractor, Animated GIF Maker), the source, the output format and folder, the cut, the tracks
// and the effects that the player hands over with an item.
#pragma once

#include "framework/String.h"

enum ConverterMode {
    CONVERTER_MODE_CONVERT = 0,
    CONVERTER_MODE_AUDIO_EXTRACTOR = 1,
    CONVERTER_MODE_GIF_MAKER = 2,
};

class CCommandLineOptions {
public:
    CCommandLineOptions();
    virtual ~CCommandLineOptions();

    // Reads an argument vector whose first entry is the program: options begin with '-' or '/'
    // (names compared case-sensitively), any other argument that is not blank is the source (the
    // last one wins).
    // Unknown options and bad values are passed over silently. 0 when there are fewer than two
    // arguments, else 1.
    virtual int Parse(int argc, const wchar_t* const* argv);
    // The same for this process's command line.
    int ParseProcessCommandLine();

    int mode;
    CString source;
    CString formatKey;
    CString folder;
    // Milliseconds; a stop time of -1 is no cut end.
    int startTime;
    int stopTime;
    // -1 automatic, -2 disabled, else a stream index of the file.
    int videoStream;
    int flipHorizontally;
    int flipVertically;
    // 1 or 90, 2 or 180, 3 or 270; anything else is no rotation.
    int rotate;
    int grayscale;
    int negate;
    int oldPhoto;
    int audioStream;
    // Percent.
    int volume;
    int subtitleStream;
};
