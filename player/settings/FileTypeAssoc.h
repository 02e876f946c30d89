// One extension's association with the player in the registry: the ProgID that opens files with
// the player, the extension pointing at it, and undoing both with the previous owner restored.
#pragma once

#include <windows.h>

#include "framework/String.h"

// Icon indices of the player's executable (its icon resources in id order).
enum FileTypeIcon {
    FILE_TYPE_ICON_PROGRAM = 0,   // icon 128
    FILE_TYPE_ICON_DOCUMENT = 1,  // icon 129
    FILE_TYPE_ICON_VIDEO = 2,     // icon 200
    FILE_TYPE_ICON_AUDIO = 3,     // icon 201
    FILE_TYPE_ICON_PLAYLIST = 4,  // icon 202
};

class CFileTypeAssoc {
public:
    CFileTypeAssoc(const wchar_t* extension, const wchar_t* progId, const wchar_t* description, int iconIndex);
    virtual ~CFileTypeAssoc() {}

    // Each needs a non-empty extension and ProgID without backslashes, and otherwise answers 0
    // without touching the registry.
    virtual BOOL IsAssociated();
    // Points the extension at the ProgID; 'previousOwner' receives the ProgID it pointed at.
    virtual BOOL Associate(CString& previousOwner);
    // 0 unless the extension points at the ProgID; then it points at 'previousOwner' again, or,
    // without one, the extension key is removed (or, when other keys lie below it, left without
    // an owner): 1.
    virtual BOOL RemoveAssociation(const wchar_t* previousOwner);
    virtual BOOL IsProgIdWritten();
    // The ProgID with its description, icon and open command for the program 'exePath'.
    virtual BOOL WriteProgId(const wchar_t* exePath);
    virtual BOOL DeleteProgId();

    CString extension;
    CString progId;
    CString description;
    int iconIndex;
    int reserved1;
    int reserved2;

private:
    bool IsUsable() const;
};

// The ProgID of an extension: "TarveloSoftware.Lumivo" and the extension, blanks removed.
CString MakeFileTypeProgId(const wchar_t* extension);

// The ".playlist" type as the player registers it at every start and as its file-type table
// lists it; both must agree, or the File Associations page shows it unticked and undoes it.
extern const wchar_t kPlaylistTypeExtension[];
extern const wchar_t kPlaylistTypeName[];
const int kPlaylistTypeIcon = FILE_TYPE_ICON_PLAYLIST;
// Writes the ".playlist" ProgID for 'exePath' and points the extension at it, with the name and
// icon of 'listed' (the file-type table's ".playlist" entry), or of the default entry when the
// table has none: TRUE on success.
BOOL RegisterPlaylistFileType(const CFileTypeAssoc* listed, const wchar_t* exePath);

// The registry root and the prefix of every key of the associations: the user's own classes on
// Windows Vista and later, the machine's classes before.
HKEY GetFileTypeRoot();
CString GetFileTypeKeyPath(const wchar_t* name);
