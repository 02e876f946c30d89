// Destination naming and the existing-file check of a conversion.
#include "conversion/OutputNaming.h"

#include <shlwapi.h>

#include "conversion/ConvertHost.h"
#include "conversion/PartialOutput.h"
#include "engine/SystemHelpers.h"

namespace {

// The folder (without the last part), the title and the extension with its dot.
void SplitPath(LPCWSTR path, CString& folder, CString& title, CString& extension)
{
    CString full(path);
    const int slash = full.ReverseFind(L'\\');
    folder = slash >= 0 ? full.Left(slash) : CString();
    CString name = slash >= 0 ? full.Mid(slash + 1) : full;
    const int dot = name.ReverseFind(L'.');
    title = dot >= 0 ? name.Left(dot) : name;
    extension = dot >= 0 ? name.Mid(dot) : CString();
}

CString JoinPath(LPCWSTR folder, LPCWSTR title, LPCWSTR extension)
{
    CString path;
    path.Format(L"%s\\%s%s", folder, title, extension);
    return path;
}

} // namespace

CString MakeNumberedFileName(LPCWSTR folder, LPCWSTR title, LPCWSTR extension)
{
    const int extensionLength = lstrlenW(extension);
    for (int n = 1;; ++n) {
        const CString name = detail::FittedName(title, n, extension);
        if (!PathFileExistsW(CString(folder) + L"\\" + name))
            return name.Left(name.GetLength() - extensionLength);
    }
}

CString MakeUniqueFilePath(LPCWSTR folder, LPCWSTR title, LPCWSTR extension)
{
    CString path = JoinPath(folder, title, extension);
    if (!PathFileExistsW(path))
        return path;
    return JoinPath(folder, MakeNumberedFileName(folder, title, extension), extension);
}

int CheckExistingFile(CString& path, int& answer)
{
    if (!PathFileExistsW(path))
        return 0;
    if (answer == FILE_EXISTS_OVERWRITE_ALL || answer == FILE_EXISTS_SKIP_ALL)
        return 1;
    CString folder, title, extension;
    SplitPath(path, folder, title, extension);
    if (answer == FILE_EXISTS_RENAME_ALL) {
        path = JoinPath(folder, MakeNumberedFileName(folder, title, extension), extension);
        return 1;
    }
    CConvertHost* host = GetConvertHost();
    while (PathFileExistsW(path)) {
        CString newName;
        const int result = host ? host->AskFileExists(folder, title, extension, newName) : FILE_EXISTS_NOT_SHOWN;
        switch (result) {
        case FILE_EXISTS_RENAME:
        case FILE_EXISTS_RENAME_ALL:
            path = JoinPath(folder, newName, extension);
            answer = result;
            break;
        case FILE_EXISTS_OVERWRITE:
        case FILE_EXISTS_OVERWRITE_ALL:
        case FILE_EXISTS_SKIP:
        case FILE_EXISTS_SKIP_ALL:
            answer = result;
            return 1;
        case FILE_EXISTS_NOT_SHOWN:
            // Asking again would loop for ever; the existing file is left alone.
            answer = FILE_EXISTS_SKIP;
            return 1;
        default:
            break;
        }
    }
    return 1;
}

CString GetPlayerExePath()
{
    return GetConvertAppFolder() + L"\\Lumivo.exe";
}

CString GetGifsiclePath()
{
    return GetConvertAppFolder() + L"\\Modules\\gifsicle.exe";
}
