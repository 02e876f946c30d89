// Ravento's private window messages, each id once. The conversion runner's end notice
// (WM_WORKER_DONE) is the conversion engine's and stays with the runner.
#pragma once

#include <windows.h>

// To a recent-folder combo box, posted to itself: the edit gets back the text it showed before
// the list's extra item was chosen.
const UINT WM_RESTORE_TEXT = WM_APP + 0x310;
// To a conversion dialog, sent from a job's worker: a listener operation to run on the dialog's
// thread (lParam the call).
const UINT WM_LISTENER_CALL = WM_APP + 0x320;
// To a conversion dialog, from a source's worker (wParam the load's number): its probe is in; it
// has ended.
const UINT WM_SOURCE_PROBED = WM_APP + 0x321;
const UINT WM_SOURCE_LOADED = WM_APP + 0x322;
