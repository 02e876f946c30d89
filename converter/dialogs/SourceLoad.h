// The conversion dialogs' source-load worker: a source probed and its picture grabbed on a thread
// of its own, reported to the dialog's window as it comes in.
#pragma once

#include <windows.h>

#include "conversion/MediaConvertJob.h"
#include "framework/Handles.h"
#include "framework/String.h"
#include "image/RasterImage.h"

// One source probed and grabbed on a worker of its own. The worker writes the item and the probe's
// result before it posts WM_SOURCE_PROBED and the picture before it ends (WM_SOURCE_LOADED); the
// dialog reads them when those messages arrive and keeps the record until the worker has ended. A
// load may start before the dialog's window is made: the worker reports once 'ready' says the
// window is known (or that nobody waits any more).
struct CSourceLoad {
    int id = 0;
    HWND notify = nullptr;
    CHandle ready;
    CString path;
    volatile int stop = 0;
    CJobSourceItem item;
    int probed = -1;
    CRasterImage picture;
    CHandle thread;

    // Starts the worker on 'path' (item and 'ready' are made here) and keeps a handle of its
    // thread in 'thread': false when no worker could start.
    bool Start(int loadId, const CString& sourcePath);
    // Tells the worker to stop and to report its end to whoever waits, even before a window took it.
    void Stop();
};
