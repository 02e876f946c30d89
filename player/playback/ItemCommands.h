// The per-item commands the play view and the playlist view share: the track popups of an item,
// its track choice, and its filters.
#pragma once

#include <windows.h>

class CCmdUI;
class CMediaItem;
class CMenu;

// Fills the three track popups for an item: the resource's placeholder goes, then "No Video"
// (grayed) or "Auto", "Disable", a separator and one entry per track. Without an item nothing
// changes.
void BuildTrackMenus(CMenu* video, CMenu* audio, CMenu* subtitle, const CMediaItem* item);

// A track command (video, audio or subtitle: automatic, disable or one track) chooses the item's
// stream of that kind: 1 when the choice changed, 0 when it was already so, -1 for another id.
int SelectItemTrack(CMediaItem& item, UINT id);
// A track command is enabled while the item has streams of its kind and checked for the chosen
// one; without an item it is disabled.
void UpdateTrackCommand(CCmdUI* pCmdUI, const CMediaItem* item);

// The per-item filter commands (rotations, flips, negate, grayscale, old photo, volume boosts,
// speeds): each toggles its value of the item between its own and the neutral one.
void ToggleItemFilter(CMediaItem& item, UINT id);
bool IsItemFilterOn(const CMediaItem& item, UINT id);
