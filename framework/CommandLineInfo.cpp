// The standard meaning of the program's arguments.
#include "framework/CommandLineInfo.h"

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast)
{
    if (bFlag) ParseParamFlag(pszParam);
    else ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const wchar_t* pszParam)
{
    if (!pszParam) return;
    if (_wcsicmp(pszParam, L"Embedding") == 0) {
        m_bRunEmbedded = TRUE;
        m_bShowSplash = FALSE;
    } else if (_wcsicmp(pszParam, L"Automation") == 0) {
        m_bRunAutomated = TRUE;
        m_bShowSplash = FALSE;
    } else if (_wcsicmp(pszParam, L"Register") == 0 || _wcsicmp(pszParam, L"Regserver") == 0) {
        m_nShellCommand = AppRegister;
    } else if (_wcsicmp(pszParam, L"Unregister") == 0 || _wcsicmp(pszParam, L"Unregserver") == 0) {
        m_nShellCommand = AppUnregister;
    } else if (_wcsicmp(pszParam, L"nologo") == 0) {
        m_bShowSplash = FALSE;
    }
}

void CCommandLineInfo::ParseParamNotFlag(const wchar_t* pszParam)
{
    if (!pszParam || !m_strFileName.IsEmpty()) return;
    m_strFileName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast)
{
    if (!bLast) return;
    if (m_nShellCommand == FileNew && !m_strFileName.IsEmpty()) m_nShellCommand = FileOpen;
    m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
}
