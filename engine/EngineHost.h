// The services the engine asks of the program that runs it: tool locations, the program's
// temporary-file names and the thumbnail settings. Each program (and each test) sets one at start-up.
#pragma once

#include "framework/String.h"

class CEngineHost {
public:
    virtual ~CEngineHost() {}

    // Full paths of the tools in the program's Modules folder; empty when the program has none.
    // Called from worker threads: the answers must not change once the workers run.
    virtual CString GetProbeToolPath() = 0;
    virtual CString GetEncoderToolPath() = 0;
    virtual CString GetPlayerToolPath() = 0;

    // A new file name without extension in the program's temporary folder (the system's
    // temporary folder when the program's cannot be made). Called from worker threads.
    virtual CString MakeTempFilePath() = 0;

    // Where the first thumbnail grab is taken (ms) and the box a thumbnail is fitted into.
    virtual int GetThumbnailTimeMs() = 0;
    virtual int GetThumbnailWidth() = 0;
    virtual int GetThumbnailHeight() = 0;
};

// The host is set once before any worker starts and is never owned by the engine; null clears it.
void SetEngineHost(CEngineHost* host);
// Null until a program has set its host.
CEngineHost* GetEngineHost();
