// CShellMenuExtension: switches the program's Explorer context-menu extension on (regsvr32 runs the
// DLL, which registers itself) and off (its handler keys are deleted), and tells whether it is on.
#pragma once

#include "framework/String.h"

class CShellMenuExtension {
public:
    // The DLL's file name in the application folder ("Brackel.dll") and the name of its handler
    // keys; null takes the toolkit host's, so each program only ever sees its own entry.
    explicit CShellMenuExtension(LPCWSTR lpszDllFileName, LPCWSTR lpszHandlerName = NULL);

    // On: RegisterContextMenu; off: UnregisterContextMenu.
    int Enable(BOOL bOn);
    // Enable as a settings sheet's OK sets the switch: turned on without its DLL in the application
    // folder, it tells the user so in a message box instead of only reading as off next time.
    int ApplySetting(BOOL bOn);
    // Starts "regsvr32.exe /s /c "<dll>"" hidden, without waiting: 0, or -1 when the DLL is missing
    // or regsvr32 could not be started.
    int RegisterContextMenu();
    // The number of handler keys deleted (0-2); the DLL itself is not called.
    int UnregisterContextMenu();
    // The number of the two handler keys present (0-2).
    int IsRegistered();

    CString GetDllPath() const;
    const CString& GetHandlerName() const { return m_strHandlerName; }
    // "<parent>\<handler>" of the two keys.
    CString GetFilesKey() const;
    CString GetFoldersKey() const;

    // The handler name of a program: "TarveloSoftware.<program>".
    static CString HandlerNameOf(LPCWSTR lpszProgram);

protected:
    bool DllIsThere() const;

    CString m_strDllFileName;
    CString m_strHandlerName;
};
