// Replaceable outside effects: message boxes, shell open, starting programs and power off.
// Code reaches them only through these functions, so tests can swap each for a recorder.
#pragma once

#include <windows.h>

typedef int (WINAPI* FwMessageBoxFn)(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
typedef HINSTANCE (WINAPI* FwShellExecuteFn)(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile,
                                              LPCWSTR lpParameters, LPCWSTR lpDirectory, INT nShowCmd);
typedef BOOL (WINAPI* FwCreateProcessFn)(LPCWSTR lpApplicationName, LPWSTR lpCommandLine,
                                          LPSECURITY_ATTRIBUTES lpProcessAttributes,
                                          LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                                          DWORD dwCreationFlags, LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory,
                                          LPSTARTUPINFOW lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation);
typedef BOOL (WINAPI* FwExitWindowsFn)(UINT uFlags, DWORD dwReason);
// SHBrowseForFolderW: the shell's folder dialog (an item list the caller frees, or NULL).
typedef struct _browseinfoW* FwBrowseInfoPtr;
typedef struct _ITEMIDLIST* FwItemListPtr;
typedef FwItemListPtr (WINAPI* FwBrowseForFolderFn)(FwBrowseInfoPtr lpbi);

// Each setter installs fn (NULL restores the system function) and returns the one it replaced.
FwMessageBoxFn FwSetMessageBoxFunction(FwMessageBoxFn fn);
FwShellExecuteFn FwSetShellExecuteFunction(FwShellExecuteFn fn);
FwCreateProcessFn FwSetCreateProcessFunction(FwCreateProcessFn fn);
FwExitWindowsFn FwSetExitWindowsFunction(FwExitWindowsFn fn);
FwBrowseForFolderFn FwSetBrowseForFolderFunction(FwBrowseForFolderFn fn);

// The calls, with the meaning and arguments of MessageBoxW, ShellExecuteW, CreateProcessW and
// ExitWindowsEx.
int FwMessageBox(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
HINSTANCE FwShellExecute(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                         LPCWSTR lpDirectory, INT nShowCmd);
BOOL FwCreateProcess(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                     LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                     LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                     LPPROCESS_INFORMATION lpProcessInformation);
BOOL FwExitWindowsEx(UINT uFlags, DWORD dwReason);
FwItemListPtr FwBrowseForFolder(FwBrowseInfoPtr lpbi);

// The application's message box: captioned with the application name, owned by the active
// (or main) window; goes through FwMessageBox.
int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
