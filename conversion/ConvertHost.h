// What the conversion engine asks of the converter program: its folders, the standing answer to
// an existing destination and the "Rename, Overwrite, or Cancel?" prompt. Set once at start-up.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CPresetStore;

// Answers of the file-exists prompt, also the values of the standing "Overwrite" setting.
enum FileExistsAnswer {
    FILE_EXISTS_NOT_SHOWN = -1,  // the prompt could not be run at all
    FILE_EXISTS_ASK = 0,
    FILE_EXISTS_RENAME = 1,
    FILE_EXISTS_OVERWRITE = 2,
    FILE_EXISTS_SKIP = 3,
    FILE_EXISTS_RENAME_ALL = 11,
    FILE_EXISTS_OVERWRITE_ALL = 12,
    FILE_EXISTS_SKIP_ALL = 13,
};

class CConvertHost {
public:
    virtual ~CConvertHost() {}

    // The application folder, which holds "Modules"; the module's own folder by default.
    virtual CString GetAppFolder();
    // The encoder's presets folder: "Modules\Presets" in the application folder by default.
    virtual CString GetPresetsFolder();

    // The converter's presets store, which owns the catalogue of formats.
    virtual CPresetStore* GetPresetStore() = 0;

    // The "Overwrite" setting; read and written on the conversion worker thread.
    virtual int GetOverwriteAnswer() = 0;
    virtual void SetOverwriteAnswer(int answer) = 0;

    // Runs the prompt modally, without an owner, on the calling (worker) thread for the file
    // folder\title+extension. Returns one of the answers 1, 2, 3, 11, 12, 13 (Escape and the close
    // box are Cancel, 3 or 13, never Overwrite) with the name typed for a rename in newName, or
    // FILE_EXISTS_NOT_SHOWN when the prompt could not be run.
    virtual int AskFileExists(LPCWSTR folder, LPCWSTR title, LPCWSTR extension, CString& newName) = 0;
};

// Never owned; null clears it. Without a host the module's folder is used, nothing is
// remembered and an existing destination is skipped.
void SetConvertHost(CConvertHost* host);
CConvertHost* GetConvertHost();

// The application folder and presets folder of the host, or the defaults without one.
CString GetConvertAppFolder();
CString GetConvertPresetsFolder();
