// The player's private window messages, all in one place so that no two of them share a number.
#pragma once

#include <windows.h>

// Files handed to the playlist view: wParam a drop handle of this thread (the view takes it only
// through CMediaPlaylistView::SendDroppedFiles).
const UINT WM_ADD_DROPPED_FILES = WM_USER + 200;
// A window's worker thread has ended: lParam the thread.
const UINT WM_WORKER_DONE = WM_USER + 902;

// The playlist view's load thread has ended.
const UINT WM_LOAD_THREAD_EXIT = WM_USER + 912;
// wParam the index of the new item, or of the first of a run of new items.
const UINT WM_ITEM_INSERTED = WM_USER + 913;
// Sent by the load thread: lParam a queue entry whose item is ready; the index the item got (the
// list takes it then), -1 (refused: the entry keeps it) or CMediaPlaylistView::kLoadStopped (the
// window closes: the entry goes back to the queue).
const UINT WM_INSERT_LOADED_ENTRY = WM_USER + 914;
// Sent by the load thread: lParam a path; 1 when it would be refused as a duplicate.
const UINT WM_CONTAINS_PATH = WM_USER + 915;
// Sent by InsertItem called off the user-interface thread: lParam the item; InsertItem's result.
const UINT WM_INSERT_ITEM = WM_USER + 916;
// Posted by the load thread when an address of Open URL could not be opened.
const UINT WM_OPEN_FAILED = WM_USER + 917;
// Sent by the load thread: lParam a run of playlist entries that need no probe, in their order;
// 0 (the list took those it did not refuse) or CMediaPlaylistView::kLoadStopped (the window
// closes: the run goes back to the queue).
const UINT WM_INSERT_LOADED_RUN = WM_USER + 918;

// A thumbnail thread of the playlist view has ended: wParam the thread index, lParam the thread.
const UINT WM_UPDATE_THREAD_EXIT = WM_USER + 922;
// Sent by a thumbnail thread: wParam an index; the item there, a "later" answer while the load
// thread may still bring it, or 0 past the end.
const UINT WM_GET_THUMBNAIL_ITEM = WM_USER + 923;
// Posted by a thumbnail thread: wParam the index whose thumbnail is in, lParam the item.
const UINT WM_THUMBNAIL_MADE = WM_USER + 924;

// Hooks that run on the play thread hand their window work over with these.
const UINT WM_SESSION_SHOW = WM_USER + 940;   // wParam SW_SHOW or SW_HIDE
const UINT WM_SESSION_BUSY = WM_USER + 941;   // wParam 1 start, 0 stop
const UINT WM_SESSION_ENDED = WM_USER + 942;  // the control bar shows the end
