// The runner's own side of an output being written: the unfinished file or folder beside the
// destination, and how a finished output takes its place without losing a file that is there.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/String.h"

namespace detail {

// The longest name of one file or folder that the file system takes, whatever the path's length.
const int kMaxNameLength = 255;

// 'name' with " (n)" (n > 0) and 'suffix' after it, cut short where the whole would pass the
// limit of one name: for a numbered name or one of the runner's own, never for the name the user
// gave the output.
CString FittedName(const CString& name, int n, LPCWSTR suffix);

// The names of the files in the playlist's own folder that a playlist (HLS ".m3u8" or DASH ".mpd")
// names as its parts: a name given as a template (DASH's "$Number$" and the like) names every
// file it fits. Addresses and paths into other folders are never among them.
class CPlaylistParts {
public:
    explicit CPlaylistParts(const CString& playlistPath);
    bool Names(const CString& fileName) const;

private:
    std::vector<CString> m_names;
    bool m_templates = false;
};

// What the encoder writes until the output is whole: one file beside the destination, named as
// plainly unfinished ("clip.webm.part"), or for a playlist with its segments a fresh folder of
// that name. So a stopped or failed job leaves neither half an output nor anything of the files
// it did not write, and a file the user chose to overwrite stays until its replacement is whole.
// Whatever has not been moved out when the object goes is removed.
class CPartialOutput {
public:
    CPartialOutput(const CString& target, bool severalFiles);
    ~CPartialOutput();
    CPartialOutput(const CPartialOutput&) = delete;
    CPartialOutput& operator=(const CPartialOutput&) = delete;

    // Makes the file or the folder under the first free name: false when the destination's folder
    // cannot be written, which tells that apart from an encoder failure.
    bool Create();
    // The output file that the encoder writes and that is read back: the file itself, or the
    // playlist in the folder.
    CString Written() const;
    // The same as the encoder is told it: a playlist's muxer writes the segments into the folder
    // that the last '/' of the playlist's path ends, and takes no other separator for one.
    CString ForEncoder() const;
    // The bytes written, all files together.
    __int64 Size() const;
    // After the encoder failed: whether the output could not be written where it goes (the
    // destination's folder or the unfinished output gone, the output made read-only or closed to
    // us, or the volume out of room), rather than the format being what failed.
    bool CannotBeWritten() const;

    // Puts the finished output where it goes and returns its path there, or empty when it could
    // not be put anywhere (the destination then holds what it held). With 'replace' (the user
    // agreed to overwrite) it takes the destination's name whatever is there; for a playlist that
    // means the old playlist and those of its parts the new set replaces, which stay restorable
    // until the whole new set is in. Otherwise, and always for a file of another output that a
    // segment would replace, nothing is replaced: the output goes under the first free numbered
    // name beside the destination (a playlist with its segments in a numbered folder).
    CString Place(bool replace);

private:
    CString Target() const { return m_folder + L"\\" + m_name; }
    bool Moved(BOOL moved);
    // The file under the destination's name without replacing anything there, else under the
    // first free numbered name; the folder of a playlist always under a numbered name.
    CString PlaceBeside(bool tryOwnName);
    // A playlist's set into the destination's folder, the old files it replaces moved aside first
    // and back again when any move fails.
    CString MoveSetIntoPlace(const std::vector<CString>& segments, const std::vector<CString>& replaced);

    bool m_severalFiles;
    CString m_folder, m_name, m_path;
    bool m_created = false;
};

}  // namespace detail
