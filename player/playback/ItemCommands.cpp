// The per-item commands the play view and the playlist view share: the track popups, the track
// choice and the filters.
#include "player/playback/ItemCommands.h"

#include "engine/MediaItem.h"
#include "framework/CmdUI.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"

namespace {

// One track popup: the placeholder goes; "No ..." alone, or Auto, Disable, a separator and the
// tracks with their languages.
void BuildTrackMenu(CMenu* menu, const CMediaStreamList& streams, UINT noneId, LPCWSTR noneText)
{
    if (!menu || !menu->GetSafeHmenu())
        return;
    while (menu->GetMenuItemCount() > 0 && (int)menu->GetMenuItemCount() != -1)
        menu->DeleteMenu(0, MF_BYPOSITION);
    if (streams.IsEmpty()) {
        menu->AppendMenu(MF_STRING | MF_GRAYED, noneId, noneText);
        return;
    }
    menu->AppendMenu(MF_STRING, noneId + 2, L"Auto");
    menu->AppendMenu(MF_STRING, noneId + 1, L"Disable");
    menu->AppendMenu(MF_SEPARATOR);
    for (INT_PTR n = 1; n <= streams.GetSize() && noneId + 2 + n <= noneId + 99; ++n) {
        CString text;
        const CString& language = streams[n - 1]->Language;
        if (!language.IsEmpty())
            text.Format(L"Track #%d - [%s]", (int)n, language.GetString());
        else
            text.Format(L"Track #%d", (int)n);
        menu->AppendMenu(MF_STRING, noneId + 2 + (UINT)n, text);
    }
}

}  // namespace

// Filter changes, each toggling one value of the item (the value, or back to neutral).
void ToggleItemFilter(CMediaItem& item, UINT id)
{
    auto toggle = [](int& value, int on, int off) { value = value == on ? off : on; };
    switch (id) {
    case ID_FILTER_ROTATE_90:
        toggle(item.Rotate, 90, 0);
        break;
    case ID_FILTER_ROTATE_180:
        toggle(item.Rotate, 180, 0);
        break;
    case ID_FILTER_ROTATE_270:
        toggle(item.Rotate, 270, 0);
        break;
    case ID_FILTER_FLIP_H:
        item.FlipH = !item.FlipH;
        break;
    case ID_FILTER_FLIP_V:
        item.FlipV = !item.FlipV;
        break;
    case ID_FILTER_NEGATE:
        item.Negate = !item.Negate;
        break;
    case ID_FILTER_GRAYSCALE:
        item.Grayscale = !item.Grayscale;
        break;
    case ID_FILTER_OLD_PHOTO:
        item.OldPhoto = !item.OldPhoto;
        break;
    case ID_FILTER_VOLUME_200:
        toggle(item.Volume, 200, 100);
        break;
    case ID_FILTER_VOLUME_300:
        toggle(item.Volume, 300, 100);
        break;
    case ID_FILTER_VOLUME_500:
        toggle(item.Volume, 500, 100);
        break;
    case ID_FILTER_SPEED_200:
        toggle(item.PlaySpeed, 200, 100);
        break;
    case ID_FILTER_SPEED_50:
        toggle(item.PlaySpeed, 50, 100);
        break;
    default:
        break;
    }
}

bool IsItemFilterOn(const CMediaItem& item, UINT id)
{
    switch (id) {
    case ID_FILTER_ROTATE_90:
        return item.Rotate == 90;
    case ID_FILTER_ROTATE_180:
        return item.Rotate == 180;
    case ID_FILTER_ROTATE_270:
        return item.Rotate == 270;
    case ID_FILTER_FLIP_H:
        return item.FlipH != 0;
    case ID_FILTER_FLIP_V:
        return item.FlipV != 0;
    case ID_FILTER_NEGATE:
        return item.Negate != 0;
    case ID_FILTER_GRAYSCALE:
        return item.Grayscale != 0;
    case ID_FILTER_OLD_PHOTO:
        return item.OldPhoto != 0;
    case ID_FILTER_VOLUME_200:
        return item.Volume == 200;
    case ID_FILTER_VOLUME_300:
        return item.Volume == 300;
    case ID_FILTER_VOLUME_500:
        return item.Volume == 500;
    case ID_FILTER_SPEED_200:
        return item.PlaySpeed == 200;
    case ID_FILTER_SPEED_50:
        return item.PlaySpeed == 50;
    default:
        return false;
    }
}

void BuildTrackMenus(CMenu* video, CMenu* audio, CMenu* subtitle, const CMediaItem* item)
{
    if (!item)
        return;
    const CMediaInfoRecord& info = item->MediaInfo;
    BuildTrackMenu(video, info.VideoStreams, ID_VIDEO_TRACK_NONE, L"No Video");
    BuildTrackMenu(audio, info.AudioStreams, ID_AUDIO_TRACK_NONE, L"No Audio");
    BuildTrackMenu(subtitle, info.SubtitleStreams, ID_SUBTITLE_TRACK_NONE, L"No Subtitles");
}

int SelectItemTrack(CMediaItem& item, UINT id)
{
    int* selection;
    int value;
    if (id <= ID_VIDEO_TRACK_LAST) {
        selection = &item.MediaInfo.SelectedVideoStream;
        value = (int)id - ID_VIDEO_TRACK_FIRST;
    } else if (id >= ID_AUDIO_TRACK_DISABLE && id <= ID_AUDIO_TRACK_LAST) {
        selection = &item.MediaInfo.SelectedAudioStream;
        value = (int)id - ID_AUDIO_TRACK_FIRST;
    } else if (id >= ID_SUBTITLE_TRACK_DISABLE) {
        selection = &item.MediaInfo.SelectedSubtitleStream;
        value = (int)id - ID_SUBTITLE_TRACK_FIRST;
    } else {
        return -1;
    }
    if (*selection == value)
        return 0;
    *selection = value;
    return 1;
}

void UpdateTrackCommand(CCmdUI* pCmdUI, const CMediaItem* item)
{
    if (!item) {
        pCmdUI->Enable(FALSE);
        return;
    }
    const CMediaInfoRecord& info = item->MediaInfo;
    UINT id = pCmdUI->m_nID;
    const CMediaStreamList* streams;
    int selection;
    UINT first;
    if (id <= ID_VIDEO_TRACK_LAST) {
        streams = &info.VideoStreams;
        selection = info.SelectedVideoStream;
        first = ID_VIDEO_TRACK_FIRST;
    } else if (id <= ID_AUDIO_TRACK_LAST) {
        streams = &info.AudioStreams;
        selection = info.SelectedAudioStream;
        first = ID_AUDIO_TRACK_FIRST;
    } else {
        streams = &info.SubtitleStreams;
        selection = info.SelectedSubtitleStream;
        first = ID_SUBTITLE_TRACK_FIRST;
    }
    pCmdUI->Enable(!streams->IsEmpty());
    pCmdUI->SetCheck(!streams->IsEmpty() && (int)id == selection + (int)first);
}
