// An Explorer context-menu extension: an in-process COM server whose handler adds the program's
// entry for the selected files and folders and starts the program beside the DLL with them. Built
// once per program (SHELLEXT_FOR_PLAYER: Brackel.dll, SHELLEXT_FOR_CONVERTER: Nordane.dll); it runs
// inside Explorer, so it uses nothing but the system's own libraries.
#include "shellext/ShellExtension.h"

#include "toolkit/ShellExtensionKeys.h"

#include <olectl.h>
#include <shlobj.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

namespace {

struct Identity {
    const wchar_t* program;      // handler keys "TarveloSoftware.<program>"
    const wchar_t* executable;   // beside the DLL
    const wchar_t* menuText;
    const wchar_t* helpText;
    const char* verb;
    const CLSID* clsid;
    bool singleFile;             // the program takes one file, never a folder
};

#if defined(SHELLEXT_FOR_PLAYER)
const Identity kIdentity = {L"Lumivo", L"Lumivo.exe", L"Play with Lumivo",
                            L"Plays the selected files and folders with Lumivo.", "LumivoPlay",
                            &CLSID_LumivoContextMenu, false};
#elif defined(SHELLEXT_FOR_CONVERTER)
const Identity kIdentity = {L"Ravento", L"Ravento.exe", L"Convert with Ravento",
                            L"Converts the selected file with Ravento.", "RaventoConvert",
                            &CLSID_RaventoContextMenu, true};
#else
#error "define SHELLEXT_FOR_PLAYER or SHELLEXT_FOR_CONVERTER"
#endif

// CreateProcessW's limit, terminator included.
const size_t kMaxCommandLine = 32767;

HMODULE g_module = NULL;
LONG g_serverLocks = 0;  // live objects and LockServer calls

BOOL WINAPI CreateProcessStart(LPCWSTR application, LPCWSTR commandLine, LPCWSTR directory)
{
    std::vector<wchar_t> line(commandLine, commandLine + wcslen(commandLine) + 1);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(application, line.data(), NULL, NULL, FALSE, 0, NULL, directory, &si, &pi)) return FALSE;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return TRUE;
}

ShellExtStartFn volatile g_start = &CreateProcessStart;

std::wstring ModulePath()
{
    std::vector<wchar_t> buffer(32768);
    DWORD n = ::GetModuleFileNameW(g_module, buffer.data(), (DWORD)buffer.size());
    return std::wstring(buffer.data(), n < buffer.size() ? n : 0);
}

std::wstring ModuleFolder()
{
    std::wstring path = ModulePath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// One argument quoted the way the program's argument parser reads it back: backslashes before a
// quote (here only the closing one, as in "C:\") are doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            if (c == L'"') line.append(backslashes + 1, L'\\');
            backslashes = 0;
        }
        line += c;
    }
    line.append(backslashes, L'\\');
    line += L'"';
}

std::wstring ClsidText()
{
    wchar_t text[64] = {};
    ::StringFromGUID2(*kIdentity.clsid, text, 64);
    return text;
}

std::wstring HandlerName()
{
    return std::wstring(SHELLEXT_MAKER_WORD) + L"." + kIdentity.program;
}

bool SetDefaultValue(HKEY root, const std::wstring& key, const std::wstring& value,
                     const wchar_t* name = NULL)
{
    HKEY h = NULL;
    if (::RegCreateKeyExW(root, key.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &h, NULL) != ERROR_SUCCESS) return false;
    LONG rc = ::RegSetValueExW(h, name, 0, REG_SZ, (const BYTE*)value.c_str(),
                               (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

const wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// ---- the handler

class ContextMenuHandler : public IShellExtInit, public IContextMenu {
public:
    ContextMenuHandler() { ::InterlockedIncrement(&g_serverLocks); }
    virtual ~ContextMenuHandler() { ::InterlockedDecrement(&g_serverLocks); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit))
            *ppv = static_cast<IShellExtInit*>(this);
        else if (IsEqualIID(riid, IID_IContextMenu))
            *ppv = static_cast<IContextMenu*>(this);
        else {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)::InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return (ULONG)refs;
    }

    // IShellExtInit: the selection arrives as a drop list.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) override
    {
        m_paths.clear();
        if (!data) return E_INVALIDARG;
        FORMATETC format = {CF_HDROP, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
        if (HDROP drop = (HDROP)::GlobalLock(medium.hGlobal)) {
            const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
            for (UINT i = 0; i < count; ++i) {
                const UINT length = ::DragQueryFileW(drop, i, NULL, 0);
                std::vector<wchar_t> path(length + 1, L'\0');
                if (length && ::DragQueryFileW(drop, i, path.data(), length + 1)) m_paths.emplace_back(path.data());
            }
            ::GlobalUnlock(medium.hGlobal);
        }
        ::ReleaseStgMedium(&medium);
        return m_paths.empty() ? E_INVALIDARG : S_OK;
    }

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override
    {
        if ((flags & CMF_DEFAULTONLY) || first > last || !IsOffered()) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        // A selection too long for one command line shows the entry greyed rather than dropping files.
        const UINT state = CommandLine().size() < kMaxCommandLine ? MF_ENABLED : MF_GRAYED;
        if (!::InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING | state, first, kIdentity.menuText))
            return HRESULT_FROM_WIN32(::GetLastError());
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
    }

    STDMETHODIMP InvokeCommand(LPCMINVOKECOMMANDINFO info) override
    {
        if (!info) return E_INVALIDARG;
        if (HIWORD((ULONG_PTR)info->lpVerb)) {
            const CMINVOKECOMMANDINFOEX* ex = (const CMINVOKECOMMANDINFOEX*)info;
            const bool unicode = info->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info->fMask & CMIC_MASK_UNICODE) &&
                                 HIWORD((ULONG_PTR)ex->lpVerbW);
            const bool ours = unicode ? IsOurVerb(ex->lpVerbW) : lstrcmpiA(info->lpVerb, kIdentity.verb) == 0;
            if (!ours) return E_INVALIDARG;
        } else if (LOWORD((ULONG_PTR)info->lpVerb) != 0) {
            return E_INVALIDARG;
        }
        if (!IsOffered()) return E_UNEXPECTED;
        const std::wstring line = CommandLine();
        if (line.size() >= kMaxCommandLine) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        const std::wstring folder = ModuleFolder();
        const std::wstring executable = folder + L"\\" + kIdentity.executable;
        ShellExtStartFn start = g_start;
        if (!start(executable.c_str(), line.c_str(), folder.c_str())) {
            DWORD error = ::GetLastError();
            return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
        }
        return S_OK;
    }

    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR name, UINT chars) override
    {
        if (command != 0 || !name || chars == 0) return E_INVALIDARG;
        std::wstring verb(kIdentity.verb, kIdentity.verb + lstrlenA(kIdentity.verb));
        switch (type) {
        case GCS_HELPTEXTW: lstrcpynW((LPWSTR)name, kIdentity.helpText, (int)chars); return S_OK;
        case GCS_VERBW: lstrcpynW((LPWSTR)name, verb.c_str(), (int)chars); return S_OK;
        case GCS_HELPTEXTA:
            ::WideCharToMultiByte(CP_ACP, 0, kIdentity.helpText, -1, name, (int)chars, NULL, NULL);
            name[chars - 1] = 0;
            return S_OK;
        case GCS_VERBA: lstrcpynA(name, kIdentity.verb, (int)chars); return S_OK;
        case GCS_VALIDATEA:
        case GCS_VALIDATEW: return S_OK;
        default: return E_INVALIDARG;
        }
    }

private:
    LONG m_refs = 1;
    std::vector<std::wstring> m_paths;

    static bool IsOurVerb(LPCWSTR verb)
    {
        std::wstring ours(kIdentity.verb, kIdentity.verb + lstrlenA(kIdentity.verb));
        return ::CompareStringOrdinal(verb, -1, ours.c_str(), -1, TRUE) == CSTR_EQUAL;
    }

    // The converter takes exactly one file; the player any files and folders.
    bool IsOffered() const
    {
        if (m_paths.empty()) return false;
        if (!kIdentity.singleFile) return true;
        if (m_paths.size() != 1) return false;
        const DWORD attributes = ::GetFileAttributesW(m_paths[0].c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::wstring CommandLine() const
    {
        std::wstring line;
        AppendQuoted(line, ModuleFolder() + L"\\" + kIdentity.executable);
        for (const std::wstring& path : m_paths) {
            line += L' ';
            AppendQuoted(line, path);
        }
        return line;
    }
};

class ClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    // The factory is a static object: its count only keeps the server loaded.
    STDMETHODIMP_(ULONG) AddRef() override { ::InterlockedIncrement(&g_serverLocks); return 2; }
    STDMETHODIMP_(ULONG) Release() override { ::InterlockedDecrement(&g_serverLocks); return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = NULL;
        if (outer) return CLASS_E_NOAGGREGATION;
        ContextMenuHandler* handler = new (std::nothrow) ContextMenuHandler();
        if (!handler) return E_OUTOFMEMORY;
        HRESULT hr = handler->QueryInterface(riid, ppv);
        handler->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            ::InterlockedIncrement(&g_serverLocks);
        else
            ::InterlockedDecrement(&g_serverLocks);
        return S_OK;
    }
};

ClassFactory g_factory;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" ShellExtStartFn WINAPI SetProgramStartFunction(ShellExtStartFn fn)
{
    ShellExtStartFn next = fn ? fn : &CreateProcessStart;
    return (ShellExtStartFn)::InterlockedExchangePointer((PVOID volatile*)&g_start, (PVOID)next);
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = NULL;
    if (!IsEqualCLSID(rclsid, *kIdentity.clsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return g_serverLocks == 0 ? S_OK : S_FALSE;
}

// Registers the class as an apartment-threaded in-process server and its handler under the keys of
// files and of folders.
STDAPI DllRegisterServer()
{
    const std::wstring clsid = ClsidText(), path = ModulePath();
    const std::wstring description = std::wstring(kIdentity.program) + L" context menu";
    const std::wstring classKey = L"CLSID\\" + clsid;
    bool ok = !path.empty() && SetDefaultValue(HKEY_CLASSES_ROOT, classKey, description) &&
              SetDefaultValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", path) &&
              SetDefaultValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"Apartment", L"ThreadingModel");
    for (const wchar_t* parent : {SHELLEXT_FILES_PARENT_KEY, SHELLEXT_FOLDERS_PARENT_KEY})
        ok = ok && SetDefaultValue(HKEY_CLASSES_ROOT, std::wstring(parent) + L"\\" + HandlerName(), clsid);
    if (!ok) return SELFREG_E_CLASS;
    // Systems that list approved extensions want it there too; elsewhere that key is optional.
    SetDefaultValue(HKEY_LOCAL_MACHINE, kApprovedKey, description, clsid.c_str());
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    const std::wstring clsid = ClsidText();
    for (const wchar_t* parent : {SHELLEXT_FILES_PARENT_KEY, SHELLEXT_FOLDERS_PARENT_KEY}) {
        HKEY h = NULL;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, parent, 0, KEY_WRITE, &h) == ERROR_SUCCESS) {
            ::RegDeleteKeyW(h, HandlerName().c_str());
            ::RegCloseKey(h);
        }
    }
    HKEY classes = NULL;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS, &classes) == ERROR_SUCCESS) {
        ::RegDeleteTreeW(classes, clsid.c_str());
        ::RegCloseKey(classes);
    }
    HKEY approved = NULL;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kApprovedKey, 0, KEY_SET_VALUE, &approved) == ERROR_SUCCESS) {
        ::RegDeleteValueW(approved, clsid.c_str());
        ::RegCloseKey(approved);
    }
    return S_OK;
}
