// The Explorer context-menu switch with the real regsvr32, and the extensions' handler loaded
// through COM as Explorer loads it.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "engine/SystemHelpers.h"
#include "shellext/ShellExtension.h"
#include "toolkit/ShellExtensionKeys.h"
#include "toolkit/ShellMenuExtension.h"

#include <shlobj.h>

#include <string>

namespace {

const wchar_t kPlayerHandler[] = L"TarveloSoftware.Lumivo";
const wchar_t kConverterHandler[] = L"TarveloSoftware.Ravento";

CString TempRoot()
{
    wchar_t buffer[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"TEST_TEMP_DIR", buffer, MAX_PATH)) ::GetTempPathW(MAX_PATH, buffer);
    CString root(buffer);
    root.TrimRight(L'\\');
    return root;
}

// A new empty folder whose name holds a blank, '&', parentheses and a non-ASCII letter.
CString NewFolder(LPCWSTR tag)
{
    CString folder;
    folder.Format(L"%s\\shellext %s & (\x00e9) %lu-%lu", TempRoot().GetString(), tag, ::GetCurrentProcessId(),
                  ::GetTickCount());
    ::SHCreateDirectoryExW(NULL, folder, NULL);
    return folder;
}

void WriteFile(LPCWSTR path)
{
    HANDLE h = ::CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ::CloseHandle(h);
}

struct ShellCall {
    CString file, parameters;
    int show;
};
std::vector<ShellCall> g_shellCalls;

HINSTANCE g_shellResult = (HINSTANCE)42;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR params, LPCWSTR, INT show)
{
    g_shellCalls.push_back({file ? file : L"", params ? params : L"", show});
    return g_shellResult;
}

} // namespace

// ---- the switch

class ShellSwitchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_player.UnregisterContextMenu();
        m_converter.UnregisterContextMenu();
    }
    void TearDown() override
    {
        m_player.UnregisterContextMenu();
        m_converter.UnregisterContextMenu();
    }
    CShellMenuExtension m_player{L"Brackel.dll", kPlayerHandler};
    CShellMenuExtension m_converter{L"Nordane.dll", kConverterHandler};
};

TEST_F(ShellSwitchTest, Regsvr32RegistersEachProgramsOwnKeysAndTheSwitchDeletesOnlyThose)
{
    ASSERT_EQ(0, m_player.IsRegistered());
    ASSERT_EQ(0, m_converter.IsRegistered());

    ASSERT_EQ(0, m_player.Enable(TRUE));
    ASSERT_TRUE(PumpUntil([&] { return m_player.IsRegistered() == 2; }, 60000)) << "regsvr32 did not register "
                                                                                << m_player.GetDllPath().GetString();
    EXPECT_EQ(0, m_converter.IsRegistered());

    ASSERT_EQ(0, m_converter.RegisterContextMenu());
    ASSERT_TRUE(PumpUntil([&] { return m_converter.IsRegistered() == 2; }, 60000));
    EXPECT_EQ(2, m_player.IsRegistered());

    // The keys name the extension's class, which points at the DLL beside the program.
    CRegKey handler;
    ASSERT_EQ(ERROR_SUCCESS, handler.Open(HKEY_CLASSES_ROOT, m_player.GetFilesKey(), KEY_READ));
    CString clsid;
    ASSERT_EQ(ERROR_SUCCESS, handler.QueryStringValue(NULL, clsid));
    CRegKey server;
    ASSERT_EQ(ERROR_SUCCESS, server.Open(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", KEY_READ));
    CString dll;
    server.QueryStringValue(NULL, dll);
    EXPECT_EQ(0, dll.CompareNoCase(m_player.GetDllPath())) << dll.GetString();

    EXPECT_EQ(2, m_player.Enable(FALSE));
    EXPECT_EQ(0, m_player.IsRegistered());
    EXPECT_EQ(2, m_converter.IsRegistered()) << "switching the player off leaves the converter's entry";
    EXPECT_EQ(0, m_player.UnregisterContextMenu());
    EXPECT_EQ(2, m_converter.UnregisterContextMenu());
    EXPECT_EQ(0, m_converter.IsRegistered());
}

TEST_F(ShellSwitchTest, OffWithOnlyTheFolderKeyDeletesThatOne)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CLASSES_ROOT, m_player.GetFoldersKey()));
    key.Close();
    EXPECT_EQ(1, m_player.IsRegistered());
    EXPECT_EQ(0, m_converter.IsRegistered());
    EXPECT_EQ(0, m_converter.UnregisterContextMenu());
    EXPECT_EQ(1, m_player.UnregisterContextMenu());
    EXPECT_EQ(0, m_player.IsRegistered());
}

TEST_F(ShellSwitchTest, TheHandlerNameComesFromTheProgramThatAsks)
{
    CTestToolkitHost host;
    host.m_product = L"Ravento";
    SetToolkitHost(&host);
    CShellMenuExtension fromHost(L"Nordane.dll");
    SetToolkitHost(nullptr);
    EXPECT_EQ(kConverterHandler, fromHost.GetHandlerName());
    EXPECT_EQ(L"Folder\\ShellEx\\ContextMenuHandlers\\TarveloSoftware.Ravento", fromHost.GetFoldersKey());

    // Without any name nothing is touched, least of all the parent keys.
    CShellMenuExtension nameless(L"Brackel.dll");
    EXPECT_TRUE(nameless.GetHandlerName().IsEmpty());
    EXPECT_EQ(0, nameless.UnregisterContextMenu());
    EXPECT_EQ(0, nameless.IsRegistered());
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CLASSES_ROOT, m_player.GetFilesKey()));
    key.Close();
    EXPECT_EQ(0, nameless.UnregisterContextMenu());
    CRegKey parent;
    EXPECT_EQ(ERROR_SUCCESS, parent.Open(HKEY_CLASSES_ROOT, SHELLEXT_FILES_PARENT_KEY, KEY_READ));
}

TEST_F(ShellSwitchTest, AMissingDllReturnsMinusOneAndStartsNothing)
{
    CString maker;
    maker.Format(L"TkShellTest-%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
    CString empty = NewFolder(L"no dll");
    {
        CWinApp app(L"ShellSwitchTest");
        app.SetRegistryKey(maker);
        app.WriteProfileString(L"", L"AppFolder", empty);
        ASSERT_EQ(0, GetAppFolder().CompareNoCase(empty));
        g_shellCalls.clear();
        FwShellExecuteFn previous = FwSetShellExecuteFunction(&RecordShellExecute);
        EXPECT_EQ(-1, m_player.Enable(TRUE));
        EXPECT_TRUE(g_shellCalls.empty());

        // With the DLL there, regsvr32 gets exactly the silent switches and the quoted path.
        CString dll = empty + L"\\Brackel.dll";
        WriteFile(dll);
        EXPECT_EQ(0, m_player.RegisterContextMenu());
        ASSERT_EQ(1u, g_shellCalls.size());
        EXPECT_EQ(L"regsvr32.exe", g_shellCalls[0].file);
        EXPECT_EQ(L"/s /c \"" + dll + L"\"", g_shellCalls[0].parameters);
        EXPECT_EQ(SW_HIDE, g_shellCalls[0].show);
        // A regsvr32 that could not be started is a failure, not a switched-on extension.
        g_shellResult = (HINSTANCE)SE_ERR_FNF;
        EXPECT_EQ(-1, m_player.RegisterContextMenu());
        g_shellResult = (HINSTANCE)42;
        FwSetShellExecuteFunction(previous);
    }
    CRegKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\" + maker);
}

// ---- the handler through COM

namespace {

// The selection as Explorer hands it over: a drop list in a data object.
class CDropData : public IDataObject {
public:
    explicit CDropData(std::vector<std::wstring> paths) : m_paths(std::move(paths)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *ppv = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }  // lives on the test's stack
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        size_t chars = 2;  // names ending in NUL, then an empty name: two NULs even for no names
        for (const auto& p : m_paths) chars += p.size() + 1;
        HGLOBAL h = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        DROPFILES* drop = (DROPFILES*)::GlobalLock(h);
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        wchar_t* out = (wchar_t*)(drop + 1);
        for (const auto& p : m_paths) {
            memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
            out += p.size() + 1;
        }
        ::GlobalUnlock(h);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = h;
        medium->pUnkForRelease = NULL;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override { return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override { out->ptd = NULL; return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> m_paths;
    ULONG m_refs = 1;
};

struct StartCall {
    std::wstring application, commandLine, directory;
};
std::vector<StartCall> g_starts;
BOOL g_startResult = TRUE;

BOOL WINAPI RecordStart(LPCWSTR application, LPCWSTR commandLine, LPCWSTR directory)
{
    g_starts.push_back({application, commandLine, directory});
    if (!g_startResult) ::SetLastError(ERROR_FILE_NOT_FOUND);
    return g_startResult;
}

std::vector<std::wstring> SplitArguments(const std::wstring& line)
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> out(argv, argv + count);
    ::LocalFree(argv);
    return out;
}

CString BinFolder()
{
    return GetParentFolder(GetModulePath());
}

HRESULT CallDll(LPCWSTR dll, LPCSTR function)
{
    HMODULE module = ::LoadLibraryW(BinFolder() + L"\\" + dll);
    if (!module) return HRESULT_FROM_WIN32(::GetLastError());
    typedef HRESULT(STDAPICALLTYPE * Fn)();
    FARPROC proc = ::GetProcAddress(module, function);
    Fn fn;
    memcpy(&fn, &proc, sizeof(fn));
    HRESULT hr = proc ? fn() : E_NOINTERFACE;
    ::FreeLibrary(module);
    return hr;
}

} // namespace

class ContextMenuHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CallDll(L"Brackel.dll", "DllRegisterServer"));
        ASSERT_HRESULT_SUCCEEDED(CallDll(L"Nordane.dll", "DllRegisterServer"));
        ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(NULL, COINIT_APARTMENTTHREADED));
        g_starts.clear();
        g_startResult = TRUE;
        m_folder = NewFolder(L"handler");
        m_file = m_folder + L"\\clip one.mp4";
        WriteFile(m_file);
        m_sub = m_folder + L"\\sub folder";
        ::CreateDirectoryW(m_sub, NULL);
        m_menu.CreatePopupMenu();
    }
    void TearDown() override
    {
        for (IUnknown* p : m_objects) p->Release();
        m_objects.clear();
        ::CoUninitialize();
        EXPECT_HRESULT_SUCCEEDED(CallDll(L"Brackel.dll", "DllUnregisterServer"));
        EXPECT_HRESULT_SUCCEEDED(CallDll(L"Nordane.dll", "DllUnregisterServer"));
        CRegKey gone;
        EXPECT_NE(ERROR_SUCCESS, gone.Open(HKEY_CLASSES_ROOT, L"CLSID\\{1A93AB19-5317-4C81-B782-A821B6101F54}", KEY_READ));
    }

    // The handler of the class, initialised with the selection; its start function recorded.
    IContextMenu* Load(REFCLSID clsid, LPCWSTR dll, CDropData& data)
    {
        IShellExtInit* init = NULL;
        HRESULT hr = ::CoCreateInstance(clsid, NULL, CLSCTX_INPROC_SERVER, IID_IShellExtInit, (void**)&init);
        EXPECT_HRESULT_SUCCEEDED(hr);
        if (FAILED(hr)) return NULL;
        m_objects.push_back(init);
        HMODULE module = ::GetModuleHandleW(dll);
        EXPECT_TRUE(module) << "COM did not load the extension";
        FARPROC proc = module ? ::GetProcAddress(module, "SetProgramStartFunction") : NULL;
        EXPECT_TRUE(proc);
        if (proc) {
            decltype(&SetProgramStartFunction) set;
            memcpy(&set, &proc, sizeof(set));
            set(&RecordStart);
        }
        m_initResult = init->Initialize(NULL, &data, NULL);
        IContextMenu* menu = NULL;
        EXPECT_HRESULT_SUCCEEDED(init->QueryInterface(IID_IContextMenu, (void**)&menu));
        if (menu) m_objects.push_back(menu);
        return menu;
    }
    HRESULT Invoke(IContextMenu* menu, LPCSTR verb)
    {
        CMINVOKECOMMANDINFO info = {sizeof(info), 0, NULL, verb, NULL, NULL, SW_SHOWNORMAL, 0, NULL};
        return menu->InvokeCommand(&info);
    }
    CString MenuText(UINT id)
    {
        CString text;
        m_menu.GetMenuString(id, text, MF_BYCOMMAND);
        return text;
    }

    CString m_folder, m_file, m_sub;
    CMenu m_menu;
    HRESULT m_initResult = E_FAIL;
    std::vector<IUnknown*> m_objects;
};

TEST_F(ContextMenuHandlerTest, ThePlayersEntryStartsLumivoWithEverySelectedPathQuoted)
{
    CDropData data({m_file.GetString(), m_sub.GetString(), L"C:\\"});
    IContextMenu* menu = Load(CLSID_LumivoContextMenu, L"Brackel.dll", data);
    ASSERT_TRUE(menu);
    EXPECT_EQ(S_OK, m_initResult);

    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), menu->QueryContextMenu(m_menu, 0, 100, 200, CMF_DEFAULTONLY));
    EXPECT_EQ(0u, m_menu.GetMenuItemCount());
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), menu->QueryContextMenu(m_menu, 0, 100, 200, CMF_NORMAL));
    ASSERT_EQ(1u, m_menu.GetMenuItemCount());
    EXPECT_EQ(L"Play with Lumivo", MenuText(100));
    EXPECT_FALSE(m_menu.GetMenuState(100, MF_BYCOMMAND) & MF_GRAYED);

    wchar_t text[128] = L"";
    EXPECT_EQ(S_OK, menu->GetCommandString(0, GCS_VERBW, NULL, (LPSTR)text, 128));
    EXPECT_STREQ(L"LumivoPlay", text);
    EXPECT_EQ(S_OK, menu->GetCommandString(0, GCS_HELPTEXTW, NULL, (LPSTR)text, 128));
    EXPECT_NE(nullptr, wcsstr(text, L"Lumivo"));
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(1, GCS_VERBW, NULL, (LPSTR)text, 128));

    ASSERT_EQ(S_OK, Invoke(menu, MAKEINTRESOURCEA(0)));
    ASSERT_EQ(1u, g_starts.size());
    const CString bin = BinFolder();
    EXPECT_EQ(0, _wcsicmp((bin + L"\\Lumivo.exe").GetString(), g_starts[0].application.c_str()));
    EXPECT_EQ(0, _wcsicmp(bin.GetString(), g_starts[0].directory.c_str()));
    std::vector<std::wstring> args = SplitArguments(g_starts[0].commandLine);
    ASSERT_EQ(4u, args.size()) << g_starts[0].commandLine;
    EXPECT_EQ(0, _wcsicmp(g_starts[0].application.c_str(), args[0].c_str()));
    EXPECT_EQ(m_file.GetString(), args[1]);
    EXPECT_EQ(m_sub.GetString(), args[2]);
    EXPECT_EQ(L"C:\\", args[3]) << "a root's backslash must not swallow the closing quote";

    // By its verb too; other verbs and command offsets are not ours.
    EXPECT_EQ(S_OK, Invoke(menu, "LumivoPlay"));
    EXPECT_EQ(2u, g_starts.size());
    EXPECT_EQ(E_INVALIDARG, Invoke(menu, "open"));
    EXPECT_EQ(E_INVALIDARG, Invoke(menu, MAKEINTRESOURCEA(1)));
    EXPECT_EQ(2u, g_starts.size());

    // A start that fails is reported, not hidden.
    g_startResult = FALSE;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), Invoke(menu, MAKEINTRESOURCEA(0)));
}

TEST_F(ContextMenuHandlerTest, ASelectionTooLongForOneCommandLineIsGreyedAndNeverCut)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 400; ++i) paths.push_back(std::wstring(L"C:\\") + std::wstring(90, L'a') + std::to_wstring(i));
    CDropData data(paths);
    IContextMenu* menu = Load(CLSID_LumivoContextMenu, L"Brackel.dll", data);
    ASSERT_TRUE(menu);
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), menu->QueryContextMenu(m_menu, 0, 1, 10, CMF_NORMAL));
    EXPECT_TRUE(m_menu.GetMenuState(1, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), Invoke(menu, MAKEINTRESOURCEA(0)));
    EXPECT_TRUE(g_starts.empty());
}

TEST_F(ContextMenuHandlerTest, TheConvertersEntryIsOfferedForOneFileOnly)
{
    {
        CDropData one({m_file.GetString()});
        IContextMenu* menu = Load(CLSID_RaventoContextMenu, L"Nordane.dll", one);
        ASSERT_TRUE(menu);
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), menu->QueryContextMenu(m_menu, 0, 7, 7, CMF_NORMAL));
        EXPECT_EQ(L"Convert with Ravento", MenuText(7));
        ASSERT_EQ(S_OK, Invoke(menu, "RaventoConvert"));
        ASSERT_EQ(1u, g_starts.size());
        std::vector<std::wstring> args = SplitArguments(g_starts[0].commandLine);
        ASSERT_EQ(2u, args.size());
        EXPECT_EQ(0, _wcsicmp((BinFolder() + L"\\Ravento.exe").GetString(), args[0].c_str()));
        EXPECT_EQ(m_file.GetString(), args[1]);
    }
    for (const std::vector<std::wstring>& selection :
         {std::vector<std::wstring>{m_file.GetString(), m_file.GetString()}, std::vector<std::wstring>{m_sub.GetString()}}) {
        CDropData data(selection);
        IContextMenu* menu = Load(CLSID_RaventoContextMenu, L"Nordane.dll", data);
        ASSERT_TRUE(menu);
        CMenu popup;
        popup.CreatePopupMenu();
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL));
        EXPECT_EQ(0u, popup.GetMenuItemCount());
        EXPECT_EQ(E_UNEXPECTED, Invoke(menu, MAKEINTRESOURCEA(0)));
    }
    EXPECT_EQ(1u, g_starts.size());
}

TEST_F(ContextMenuHandlerTest, AnEmptySelectionIsRefused)
{
    CDropData none({});
    IContextMenu* menu = Load(CLSID_LumivoContextMenu, L"Brackel.dll", none);
    ASSERT_TRUE(menu);
    EXPECT_EQ(E_INVALIDARG, m_initResult);
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), menu->QueryContextMenu(m_menu, 0, 1, 10, CMF_NORMAL));
    EXPECT_EQ(0u, m_menu.GetMenuItemCount());
}
