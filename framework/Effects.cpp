// The replaceable effect functions and their system defaults.
#include "framework/Effects.h"

#include "framework/App.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

int WINAPI SystemMessageBox(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type)
{
    return ::MessageBoxW(hWnd, text, caption, type);
}

HINSTANCE WINAPI SystemShellExecute(HWND hwnd, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show)
{
    return ::ShellExecuteW(hwnd, op, file, params, dir, show);
}

BOOL WINAPI SystemCreateProcess(LPCWSTR app, LPWSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                BOOL inherit, DWORD flags, LPVOID env, LPCWSTR dir, LPSTARTUPINFOW si,
                                LPPROCESS_INFORMATION pi)
{
    return ::CreateProcessW(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

BOOL WINAPI SystemExitWindows(UINT flags, DWORD reason)
{
    return ::ExitWindowsEx(flags, reason);
}

FwItemListPtr WINAPI SystemBrowseForFolder(FwBrowseInfoPtr lpbi)
{
    return (FwItemListPtr)::SHBrowseForFolderW(lpbi);
}

// Swapped with interlocked exchanges: workers may call while the UI thread swaps.
template <class Fn>
Fn Swap(Fn volatile* slot, Fn fn, Fn fallback)
{
    Fn next = fn ? fn : fallback;
    return reinterpret_cast<Fn>(::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(slot), (PVOID)next));
}

template <class Fn>
Fn Load(Fn volatile* slot)
{
    return reinterpret_cast<Fn>(::InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(slot), NULL, NULL));
}

FwMessageBoxFn volatile g_messageBox = &SystemMessageBox;
FwShellExecuteFn volatile g_shellExecute = &SystemShellExecute;
FwCreateProcessFn volatile g_createProcess = &SystemCreateProcess;
FwExitWindowsFn volatile g_exitWindows = &SystemExitWindows;
FwBrowseForFolderFn volatile g_browseForFolder = &SystemBrowseForFolder;

} // namespace

FwMessageBoxFn FwSetMessageBoxFunction(FwMessageBoxFn fn) { return Swap(&g_messageBox, fn, &SystemMessageBox); }
FwShellExecuteFn FwSetShellExecuteFunction(FwShellExecuteFn fn) { return Swap(&g_shellExecute, fn, &SystemShellExecute); }
FwCreateProcessFn FwSetCreateProcessFunction(FwCreateProcessFn fn) { return Swap(&g_createProcess, fn, &SystemCreateProcess); }
FwExitWindowsFn FwSetExitWindowsFunction(FwExitWindowsFn fn) { return Swap(&g_exitWindows, fn, &SystemExitWindows); }
FwBrowseForFolderFn FwSetBrowseForFolderFunction(FwBrowseForFolderFn fn)
{
    return Swap(&g_browseForFolder, fn, &SystemBrowseForFolder);
}

int FwMessageBox(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    return Load(&g_messageBox)(hWnd, lpText, lpCaption, uType);
}

HINSTANCE FwShellExecute(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                         LPCWSTR lpDirectory, INT nShowCmd)
{
    return Load(&g_shellExecute)(hwnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
}

BOOL FwCreateProcess(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                     LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                     LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                     LPPROCESS_INFORMATION lpProcessInformation)
{
    return Load(&g_createProcess)(lpApplicationName, lpCommandLine, lpProcessAttributes, lpThreadAttributes,
                                  bInheritHandles, dwCreationFlags, lpEnvironment, lpCurrentDirectory,
                                  lpStartupInfo, lpProcessInformation);
}

BOOL FwExitWindowsEx(UINT uFlags, DWORD dwReason)
{
    return Load(&g_exitWindows)(uFlags, dwReason);
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT)
{
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = AfxGetMainWnd()->GetSafeHwnd();
    if (owner) {
        // Message boxes belong to the top-level window, not to a child control.
        while (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) {
            HWND parent = ::GetParent(owner);
            if (!parent) break;
            owner = parent;
        }
    }
    LPCWSTR caption = AfxGetAppName();
    return FwMessageBox(owner, lpszText, caption ? caption : L"", nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, 0);
}

FwItemListPtr FwBrowseForFolder(FwBrowseInfoPtr lpbi)
{
    return Load(&g_browseForFolder)(lpbi);
}
