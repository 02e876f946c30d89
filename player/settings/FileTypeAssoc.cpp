// CFileTypeAssoc: the registry work of one extension's association with the player.
#include "player/settings/FileTypeAssoc.h"

#include <shellapi.h>

#include "engine/SystemHelpers.h"
#include "framework/Handles.h"
#include "player/app/SharedResources.h"

const wchar_t kPlaylistTypeExtension[] = L".playlist";
const wchar_t kPlaylistTypeName[] = L"Playlist File";

namespace {

const wchar_t kClassesPrefix[] = L"Software\\Classes";

bool IsVistaOrLaterSystem()
{
    if (CSharedResources* shared = GetSharedResources())
        return shared->osVersion.IsVistaOrLater();
    static const COsVersion version = [] {
        COsVersion v;
        v.Init();
        return v;
    }();
    return version.IsVistaOrLater();
}

// The key's default value; false when there is none (or it cannot be read as text).
bool ReadDefaultValue(const CString& keyPath, CString& value)
{
    value.Empty();
    CRegKey key;
    if (key.Open(GetFileTypeRoot(), keyPath, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    return key.QueryStringValue(nullptr, value) == ERROR_SUCCESS;
}

bool WriteDefaultValue(const CString& keyPath, const CString& value)
{
    CRegKey key;
    if (key.Create(GetFileTypeRoot(), keyPath, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    return key.SetStringValue(nullptr, value) == ERROR_SUCCESS;
}

bool KeyExists(const CString& keyPath)
{
    CRegKey key;
    return key.Open(GetFileTypeRoot(), keyPath, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

// Removes the key when it has no subkeys, then each parent that is left empty, up to the first one
// that still has subkeys; never the classes key itself or anything above it.
void RemoveKeyChain(CString keyPath)
{
    const int floor = GetFileTypeKeyPath(L"").GetLength();
    while (keyPath.GetLength() > floor) {
        {
            CRegKey key;
            if (key.Open(GetFileTypeRoot(), keyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
                return;
            DWORD subkeys = 0;
            if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                subkeys > 0)
                return;
        }
        if (RegDeleteKeyW(GetFileTypeRoot(), keyPath) != ERROR_SUCCESS)
            return;
        int cut = keyPath.ReverseFind(L'\\');
        if (cut < 0)
            return;
        keyPath = keyPath.Left(cut);
    }
}

bool HasIconAt(const wchar_t* exePath, int index)
{
    if (index < 0)
        return false;
    HICON icon = nullptr;
    if (ExtractIconExW(exePath, index, &icon, nullptr, 1) == 0 || !icon)
        return false;
    DestroyIcon(icon);
    return true;
}

}  // namespace

HKEY GetFileTypeRoot()
{
    return IsVistaOrLaterSystem() ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}

CString GetFileTypeKeyPath(const wchar_t* name)
{
    if (!IsVistaOrLaterSystem())
        return CString(name);
    CString path(kClassesPrefix);
    if (name && *name)
        path += CString(L"\\") + name;
    return path;
}

CString MakeFileTypeProgId(const wchar_t* extension)
{
    CString progId;
    progId.Format(L"%s.%s%s", L"TarveloSoftware", L"Lumivo", extension ? extension : L"");
    progId.Remove(L' ');
    return progId;
}

CFileTypeAssoc::CFileTypeAssoc(const wchar_t* extension, const wchar_t* progId, const wchar_t* description,
                               int iconIndex)
    : extension(extension ? extension : L""), progId(progId ? progId : L""),
      description(description ? description : L""), iconIndex(iconIndex), reserved1(0), reserved2(0)
{
}

// A backslash would turn a name into a path to some other key.
bool CFileTypeAssoc::IsUsable() const
{
    return !extension.IsEmpty() && !progId.IsEmpty() && extension.Find(L'\\') < 0 && progId.Find(L'\\') < 0;
}

BOOL CFileTypeAssoc::IsAssociated()
{
    if (!IsUsable())
        return FALSE;
    CString owner;
    return ReadDefaultValue(GetFileTypeKeyPath(extension), owner) && owner.CompareNoCase(progId) == 0;
}

BOOL CFileTypeAssoc::Associate(CString& previousOwner)
{
    previousOwner.Empty();
    if (!IsUsable())
        return FALSE;
    CString owner;
    if (ReadDefaultValue(GetFileTypeKeyPath(extension), owner))
        previousOwner = owner;
    if (!owner.IsEmpty() && owner.CompareNoCase(progId) == 0)
        RemoveAssociation(nullptr);
    return WriteDefaultValue(GetFileTypeKeyPath(extension), progId);
}

BOOL CFileTypeAssoc::RemoveAssociation(const wchar_t* previousOwner)
{
    if (!IsUsable() || !IsAssociated())
        return FALSE;
    CString keyPath = GetFileTypeKeyPath(extension);
    if (previousOwner && *previousOwner && progId.CompareNoCase(previousOwner) != 0)
        return WriteDefaultValue(keyPath, previousOwner);
    RemoveKeyChain(keyPath);
    if (!KeyExists(keyPath))
        return TRUE;
    // Keys of other programs below the extension keep it alive; it must still stop naming us.
    CRegKey key;
    if (key.Open(GetFileTypeRoot(), keyPath, KEY_SET_VALUE) != ERROR_SUCCESS)
        return FALSE;
    LONG rc = key.DeleteValue(nullptr);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

BOOL CFileTypeAssoc::IsProgIdWritten()
{
    if (!IsUsable())
        return FALSE;
    CString text;
    return ReadDefaultValue(GetFileTypeKeyPath(progId), text) && text == description;
}

BOOL CFileTypeAssoc::WriteProgId(const wchar_t* exePath)
{
    if (!IsUsable() || !exePath || !*exePath)
        return FALSE;
    CString icon;
    if (iconIndex != -1)
        icon.Format(L"%s,%d", exePath, HasIconAt(exePath, iconIndex) ? iconIndex : 0);
    CString keyPath = GetFileTypeKeyPath(progId);
    if (!WriteDefaultValue(keyPath, description))
        return FALSE;
    if (iconIndex != -1 && !WriteDefaultValue(keyPath + L"\\DefaultIcon", icon))
        return FALSE;
    CString command;
    command.Format(L"\"%s\" \"%%1\"", exePath);
    return WriteDefaultValue(keyPath + L"\\shell\\open\\command", command);
}

BOOL CFileTypeAssoc::DeleteProgId()
{
    if (!IsUsable())
        return FALSE;
    CString keyPath = GetFileTypeKeyPath(progId);
    RemoveKeyChain(keyPath + L"\\DefaultIcon");
    RemoveKeyChain(keyPath + L"\\shell\\open\\command");
    RemoveKeyChain(keyPath);
    return TRUE;
}

BOOL RegisterPlaylistFileType(const CFileTypeAssoc* listed, const wchar_t* exePath)
{
    CFileTypeAssoc type = listed ? *listed
                                 : CFileTypeAssoc(kPlaylistTypeExtension, MakeFileTypeProgId(kPlaylistTypeExtension),
                                                  kPlaylistTypeName, kPlaylistTypeIcon);
    CString previousOwner;
    BOOL written = type.WriteProgId(exePath);
    return type.Associate(previousOwner) && written;
}
