// CCommandLineInfo: what the program's command line asks for (a new document, a file to open),
// filled argument by argument by CWinApp::ParseCommandLine.
#pragma once

#include "framework/String.h"

class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };

    CCommandLineInfo() {}
    virtual ~CCommandLineInfo() {}

    // One argument: bFlag when it began with '-' or '/' (pszParam is then what follows),
    // bLast for the last one. The first plain argument is the file to open; flags "Embedding",
    // "Automation", "Register"/"Regserver", "Unregister"/"Unregserver" and "nologo" are known.
    virtual void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    int m_nShellCommand = FileNew;
    CString m_strFileName;

protected:
    void ParseParamFlag(const wchar_t* pszParam);
    void ParseParamNotFlag(const wchar_t* pszParam);
    void ParseLast(BOOL bLast);
};
