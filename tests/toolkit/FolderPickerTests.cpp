// The folder picker: the wildcard matcher and the name filter, the folder scan with a link that
// loops back, the lazily loading tree with its busy indicator, the shell folder tree, and the
// "Select a Folder" dialog with its initial-selection worker.
#include "tests/toolkit/HttpTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"
#include "toolkit/FileMatchFilter.h"
#include "toolkit/SelectFolderDlg.h"

#include <winioctl.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace {

// ---- files

bool WriteFile(const CString& path)
{
    HANDLE h = ::CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    ::WriteFile(h, "x", 1, &written, NULL);
    ::CloseHandle(h);
    return true;
}

// A directory junction (a mount-point reparse point) from link to target.
bool MakeJunction(const CString& link, const CString& target)
{
    if (!::CreateDirectoryW(link, NULL)) return false;
    HANDLE h = ::CreateFileW(link, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    const CString substitute = L"\\??\\" + target;
    const USHORT subBytes = (USHORT)(substitute.GetLength() * sizeof(wchar_t));
    const USHORT printBytes = (USHORT)(target.GetLength() * sizeof(wchar_t));
    std::vector<BYTE> buffer(8 + 8 + subBytes + 2 + printBytes + 2, 0);
    BYTE* p = buffer.data();
    *(DWORD*)p = IO_REPARSE_TAG_MOUNT_POINT;
    *(USHORT*)(p + 4) = (USHORT)(buffer.size() - 8);
    *(USHORT*)(p + 8) = 0;                          // substitute name offset
    *(USHORT*)(p + 10) = subBytes;                  // and length
    *(USHORT*)(p + 12) = (USHORT)(subBytes + 2);   // print name offset
    *(USHORT*)(p + 14) = printBytes;
    memcpy(p + 16, substitute.GetString(), subBytes);
    memcpy(p + 16 + subBytes + 2, target.GetString(), printBytes);
    DWORD got = 0;
    const BOOL ok = ::DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer.data(), (DWORD)buffer.size(), NULL, 0, &got, NULL);
    ::CloseHandle(h);
    if (!ok) ::RemoveDirectoryW(link);
    return ok != FALSE;
}

// Under Wine, whose file system takes neither of the Windows kinds, the host's own ln makes one.
bool MakeUnixLink(const CString& link, const CString& target)
{
    typedef char*(CDECL * UnixName)(LPCWSTR);
    UnixName unixName = (UnixName)(void*)::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!unixName) return false;
    char* from = unixName(target);
    // The link's folder exists; its own name is added to that folder's host path.
    const int slash = link.ReverseFind(L'\\');
    char* folder = unixName(link.Left(slash));
    if (!from || !folder) return false;
    CStringA command;
    command.Format("/bin/ln -s \"%s\" \"%s/%S\"", from, folder, link.Mid(slash + 1).GetString());
    ::HeapFree(::GetProcessHeap(), 0, from);
    ::HeapFree(::GetProcessHeap(), 0, folder);
    CString wide(command);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(L"Z:\\bin\\ln", wide.GetBuffer(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    // The host's process is not one Wine can wait for: the link is awaited instead.
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesW(link + L"\\") == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - start > 10000) return false;
        ::Sleep(20);
    }
    return true;
}

// A link from link to the folder target: a symbolic link, a junction, or a link of the host's
// file system; the kind made, or null when none could be.
const char* MakeFolderLink(const CString& link, const CString& target)
{
    typedef BOOLEAN(WINAPI * CreateLink)(LPCWSTR, LPCWSTR, DWORD);
    CreateLink create = (CreateLink)(void*)::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW");
    if (create && create(link, target, 1 /* SYMBOLIC_LINK_FLAG_DIRECTORY */) &&
        ::GetFileAttributesW(link + L"\\") != INVALID_FILE_ATTRIBUTES)
        return "symbolic link";
    if (MakeJunction(link, target)) return "junction";
    return MakeUnixLink(link, target) ? "link of the host's file system" : nullptr;
}

// ---- a tree that loads what the test tells it to

class CTestLazyTree : public CLazyTreeCtrl {
public:
    int LoadChildren(HTREEITEM hItem) override
    {
        ++m_loads;
        m_inLoad = true;
        m_placeholderGoneWhileLoading = !HasPlaceholder(hItem);
        m_snapshotWhileLoading = IsSnapshotShown();
        ReportProgress(0, 0);
        const int n = m_children;
        for (int i = 0; i < n; ++i) {
            CString text;
            text.Format(L"child %d", i);
            TVINSERTSTRUCTW ins = {};
            ins.hParent = hItem;
            ins.hInsertAfter = TVI_LAST;
            ins.item.mask = TVIF_TEXT | TVIF_CHILDREN;
            ins.item.pszText = const_cast<LPWSTR>(text.GetString());
            ins.item.cChildren = 1;
            InsertItem(&ins);
            ReportProgress(0, i + 1);
            if (m_delayMs) ::Sleep(m_delayMs / std::max(1, n));
        }
        if (m_delayMs && n == 0) ::Sleep(m_delayMs);
        ReportProgress(1, 1);
        return n;
    }
    void OnLoadBegin(HTREEITEM hItem) override
    {
        m_beganWith = hItem;
        m_placeholderShownAtBegin = HasPlaceholder(hItem);
    }
    void OnLoadProgress(BOOL bFromTimer, int nPhase, int nCount) override
    {
        if (bFromTimer)
            ++m_ticks;
        else
            ++m_reports;
        m_lastPhase = nPhase;
        m_lastCount = nCount;
    }
    void OnLoadEnd() override { ++m_ends; }
    BOOL ShouldReload(HTREEITEM) override { return m_reload; }

    bool HasPlaceholder(HTREEITEM hItem)
    {
        for (HTREEITEM c = GetChildItem(hItem); c; c = GetNextSiblingItem(c))
            if (GetItemText(c) == PlaceholderText()) return true;
        return false;
    }
    int Children(HTREEITEM hItem)
    {
        int n = 0;
        for (HTREEITEM c = GetChildItem(hItem); c; c = GetNextSiblingItem(c)) ++n;
        return n;
    }
    int ChildrenFlag(HTREEITEM hItem)
    {
        TVITEMW item = {};
        item.mask = TVIF_CHILDREN;
        item.hItem = hItem;
        GetItem(&item);
        return item.cChildren;
    }

    int m_children = 3;
    int m_delayMs = 0;
    BOOL m_reload = FALSE;
    int m_loads = 0, m_ends = 0;
    std::atomic<bool> m_inLoad{false};
    std::atomic<int> m_ticks{0}, m_reports{0};
    std::atomic<int> m_lastPhase{-1}, m_lastCount{-1};
    HTREEITEM m_beganWith = NULL;
    bool m_placeholderShownAtBegin = false;
    bool m_placeholderGoneWhileLoading = false;
    bool m_snapshotWhileLoading = false;
};

// A 16 x 16 area of the screen, as a list of pixels.
std::vector<COLORREF> ScreenArea(const CRect& screen)
{
    std::vector<COLORREF> px;
    HDC dc = ::GetDC(NULL);
    for (int y = screen.top; y < screen.bottom; ++y)
        for (int x = screen.left; x < screen.right; ++x) px.push_back(::GetPixel(dc, x, y));
    ::ReleaseDC(NULL, dc);
    return px;
}

// The busy tree, kept loading for a while inside a real shell load so its indicator can be seen.
class CSlowBusyTree : public CBusyShellTreeCtrl {
public:
    int LoadChildren(HTREEITEM hItem) override
    {
        if (m_slowMs > 0) {
            // Half way: two looks at the spinner a few frames apart, and a picture of it all.
            ::Sleep(m_slowMs / 2);
            CRect spinner = GetSpinnerRect();
            ClientToScreen(&spinner);
            m_spinnerA = ScreenArea(spinner);
            ::Sleep(400);
            m_spinnerB = ScreenArea(spinner);
            CRect bar = GetProgressRect();
            ClientToScreen(&bar);
            m_barFrame = ScreenPixel(bar.left, bar.top + bar.Height() / 2);
            CRect window;
            GetWindowRect(&window);
            std::thread shot([&] {
                CRasterImage image;
                if (CaptureScreenRect(window, image)) m_saved = !SaveTestImage(L"toolkit", L"folder-tree-busy", image).IsEmpty();
            });
            shot.join();
            ::Sleep(m_slowMs / 2);
        }
        return CBusyShellTreeCtrl::LoadChildren(hItem);
    }
    int m_slowMs = 0;
    std::vector<COLORREF> m_spinnerA, m_spinnerB;
    COLORREF m_barFrame = 0;
    bool m_saved = false;
};

HTREEITEM ChildNamed(CTreeCtrl& tree, HTREEITEM parent, LPCWSTR text)
{
    for (HTREEITEM c = tree.GetChildItem(parent); c; c = tree.GetNextSiblingItem(c))
        if (tree.GetItemText(c).CompareNoCase(text) == 0) return c;
    return NULL;
}

} // namespace

// ---- wildcards

TEST(WildcardMatch, StarsQuestionMarksAndLettersWithoutCase)
{
    EXPECT_TRUE(WildcardMatch(L"*.mp4", L"Clip.MP4"));
    EXPECT_TRUE(WildcardMatch(L"*.MP4", L"clip.mp4"));
    EXPECT_FALSE(WildcardMatch(L"*.mp4", L"clip.mp4a"));
    EXPECT_TRUE(WildcardMatch(L"*", L""));
    EXPECT_TRUE(WildcardMatch(L"a*b*c", L"aXXbYYc"));
    EXPECT_FALSE(WildcardMatch(L"a*b*c", L"aXXbYY"));
    EXPECT_TRUE(WildcardMatch(L"a?c", L"abc"));
    EXPECT_FALSE(WildcardMatch(L"a?c", L"ac")) << "? takes exactly one character";
    EXPECT_FALSE(WildcardMatch(L"abc", L"abcd"));
    EXPECT_FALSE(WildcardMatch(L"", L"a"));
    EXPECT_TRUE(WildcardMatch(L"", L""));
    EXPECT_TRUE(WildcardMatch(L"\u00c9t\u00e9*", L"\u00e9T\u00c9 2024.mp3")) << "accented letters fold too";
    EXPECT_FALSE(WildcardMatchName(NULL, L"a"));
    EXPECT_FALSE(WildcardMatchName(L"*", NULL));
    EXPECT_TRUE(WildcardMatchName(L"*", L"a"));
}

TEST(WildcardMatch, SetsRangesNegationAndLiterals)
{
    EXPECT_TRUE(WildcardMatch(L"[a-c]*", L"Beta.avi"));
    EXPECT_FALSE(WildcardMatch(L"[!a-c]*", L"Beta.avi"));
    EXPECT_TRUE(WildcardMatch(L"[!a-c]*", L"delta.avi"));
    EXPECT_TRUE(WildcardMatch(L"[xyz]", L"Y"));
    EXPECT_FALSE(WildcardMatch(L"[xyz]", L""));
    EXPECT_FALSE(WildcardMatch(L"[abc", L"a")) << "a set without its ']' fails";
    EXPECT_TRUE(WildcardMatch(L"[`]]x", L"]x")) << "the grave accent takes ']' literally";
    EXPECT_TRUE(WildcardMatch(L"[0-9][0-9].*", L"07.flac"));
    EXPECT_FALSE(WildcardMatch(L"[0-9][0-9].*", L"7a.flac"));
    EXPECT_TRUE(WildcardMatch(L"!*.txt", L"movie.mkv"));
    EXPECT_FALSE(WildcardMatch(L"!*.txt", L"readme.txt"));
    EXPECT_TRUE(WildcardMatch(L"a!b*", L"ac")) << "'!' negates the rest from where it stands";
    EXPECT_FALSE(WildcardMatch(L"a!b*", L"ab"));
    EXPECT_FALSE(WildcardMatch(L"abc!", L"abc")) << "a '!' at the end fails";
    EXPECT_TRUE(WildcardMatch(L"what`?", L"what?"));
    EXPECT_FALSE(WildcardMatch(L"what`?", L"whatx"));
    EXPECT_TRUE(WildcardMatch(L"`*", L"*"));
    EXPECT_FALSE(WildcardMatch(L"ab`", L"ab")) << "a grave accent at the end fails";
}

TEST(WildcardMatch, TheRunWithinOnePartStopsAtTheNextDot)
{
    const CString run(L"\x1A");
    EXPECT_TRUE(WildcardMatch(run + L".txt", L"readme.txt"));
    EXPECT_FALSE(WildcardMatch(run + L".txt", L"read.me.txt"));
    EXPECT_TRUE(WildcardMatch(run + L"." + run + L".txt", L"read.me.txt"));
    EXPECT_TRUE(WildcardMatch(run, L"abc"));
    EXPECT_FALSE(WildcardMatch(run, L"a.b"));
    EXPECT_TRUE(WildcardMatch(run, L""));
    EXPECT_TRUE(WildcardMatch(L"a" + run + L"c", L"abbbc"));
}

TEST(WildcardMatch, ManyStarsOnALongNameStayFast)
{
    CString name(L'a', 240);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(WildcardMatch(L"*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(WildcardMatch(L"*a*a*a*a*a*a*a*a*a*a*a*a*", name));
    EXPECT_LT(::GetTickCount() - start, 2000u);
}

TEST(FileMatchFilter, IncludesAndExcludes)
{
    CFileMatchFilter filter;
    filter.SetPatterns(L"*", L"*.txt;*.nfo", 0);
    EXPECT_TRUE(filter.Match(L"movie.mkv"));
    EXPECT_FALSE(filter.Match(L"readme.txt"));
    EXPECT_FALSE(filter.Match(L"INFO.NFO"));
    ASSERT_EQ(2, filter.GetExcludePatterns().GetSize());

    filter.SetPatterns(L"", L"", 0);
    EXPECT_FALSE(filter.Match(L"movie.mkv")) << "an empty include takes nothing";

    filter.SetPatterns(L"*.MP4;;  *.flv ;", L"", 0);
    ASSERT_EQ(2, filter.GetIncludePatterns().GetSize()) << "empty parts are dropped";
    EXPECT_EQ(CString(L"*.mp4"), filter.GetIncludePatterns()[0]);
    EXPECT_EQ(CString(L"*.flv"), filter.GetIncludePatterns()[1]);
    EXPECT_TRUE(filter.Match(L"Clip.mp4"));
    EXPECT_TRUE(filter.Match(L"clip.FLV"));
    EXPECT_FALSE(filter.Match(L"clip.webm"));
    EXPECT_FALSE(filter.Match(NULL));

    filter.SetPatterns(L"*", L"*", 0);
    EXPECT_FALSE(filter.Match(L"movie.mkv")) << "an exclude text of \"*\" refuses everything";
    filter.SetPatterns(L"*.mkv", L"sample*", 0);
    EXPECT_TRUE(filter.Match(L"Film.mkv"));
    EXPECT_FALSE(filter.Match(L"Sample-Film.mkv"));
}

// ---- scanning a folder

class FolderScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = ScratchFolder(L"scan");
        ASSERT_FALSE(m_root.IsEmpty());
        ASSERT_TRUE(::CreateDirectoryW(m_root + L"\\sub", NULL));
        ASSERT_TRUE(::CreateDirectoryW(m_root + L"\\sub\\deeper", NULL));
        ASSERT_TRUE(::CreateDirectoryW(m_root + L"\\empty", NULL));
        for (LPCWSTR f : {L"\\1.mp4", L"\\2.txt", L"\\sub\\3.mp4", L"\\sub\\deeper\\4.MP4", L"\\sub\\deeper\\5.nfo"})
            ASSERT_TRUE(WriteFile(m_root + f));
    }
    std::vector<CString> Scan(LPCWSTR include, BOOL recurse, int* sum = nullptr)
    {
        CFileMatchFilter filter;
        filter.SetPatterns(include, L"", 0);
        std::vector<CString> seen;
        const int total = ScanFolderFiles(m_root, filter, recurse, [&](const CString& path) {
            seen.push_back(path.Mid(m_root.GetLength() + 1));
            return 2;
        });
        if (sum) *sum = total;
        return seen;
    }
    CString m_root;
};

TEST_F(FolderScanTest, VisitsTheMatchingFilesAndWithRecursionTheSubfolders)
{
    int sum = 0;
    std::vector<CString> flat = Scan(L"*.mp4", FALSE, &sum);
    ASSERT_EQ(1u, flat.size());
    EXPECT_EQ(CString(L"1.mp4"), flat[0]);
    EXPECT_EQ(2, sum) << "the answers are summed";

    std::vector<CString> deep = Scan(L"*.mp4", TRUE, &sum);
    std::set<CString> names(deep.begin(), deep.end());
    EXPECT_EQ((std::set<CString>{L"1.mp4", L"sub\\3.mp4", L"sub\\deeper\\4.MP4"}), names);
    EXPECT_EQ(6, sum);
    EXPECT_EQ(5u, Scan(L"*", TRUE).size());
    // A folder given with its trailing backslash is the same folder.
    CFileMatchFilter all;
    all.SetPatterns(L"*", L"", 0);
    EXPECT_EQ(2, ScanFolderFiles(m_root + L"\\", all, FALSE, [](const CString&) { return 1; }));
    EXPECT_EQ(0, ScanFolderFiles(m_root + L"\\missing", all, TRUE, [](const CString&) { return 1; }));
}

TEST_F(FolderScanTest, ALinkThatLoopsBackIsNotFollowed)
{
    // sub\deeper\loop leads back to the root: a scan that followed it would never end.
    const char* how = MakeFolderLink(m_root + L"\\sub\\deeper\\loop", m_root);
    ASSERT_NE(nullptr, how) << "neither a symbolic link nor a junction could be made";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(m_root + L"\\sub\\deeper\\loop\\1.mp4"))
        << "the " << how << " leads to the root";
    WIN32_FIND_DATAW entry = {};
    HANDLE find = ::FindFirstFileW(m_root + L"\\sub\\deeper\\loop", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    ::FindClose(find);
    EXPECT_TRUE(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) << "the " << how << " shows as a reparse point";
    const DWORD start = ::GetTickCount();
    std::vector<CString> deep = Scan(L"*", TRUE);
    EXPECT_LT(::GetTickCount() - start, 10000u);
    EXPECT_EQ(5u, deep.size()) << "every file once (" << how << ")";
    for (const CString& path : deep) EXPECT_EQ(-1, path.Find(L"loop")) << CStringA(path).GetString();
}

// ---- the lazy tree

class LazyTreeTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                  CRect(10, 10, 300, 230), &m_parent, 20));
        m_root = m_tree.InsertItem(TVIF_TEXT | TVIF_CHILDREN, L"root", 0, 0, 0, 0, 0, TVI_ROOT, TVI_LAST);
        TVITEMW item = {};
        item.mask = TVIF_CHILDREN;
        item.hItem = m_root;
        item.cChildren = 1;
        m_tree.SetItem(&item);
    }
    void TearDown() override
    {
        m_tree.DestroyWindow();
        ToolkitWindowTest::TearDown();
    }
    CTestLazyTree m_tree;
    HTREEITEM m_root = NULL;
};

TEST_F(LazyTreeTest, ChildrenLoadOnTheFirstExpansionBehindAPlaceholder)
{
    EXPECT_EQ(NULL, m_tree.GetChildItem(m_root)) << "nothing is loaded before the item opens";
    m_tree.Expand(m_root, TVE_EXPAND);
    EXPECT_EQ(1, m_tree.m_loads);
    EXPECT_EQ(m_root, m_tree.m_beganWith);
    EXPECT_TRUE(m_tree.m_placeholderShownAtBegin) << "\"Loading...\" shows while the loader starts";
    EXPECT_TRUE(m_tree.m_placeholderGoneWhileLoading);
    EXPECT_TRUE(m_tree.m_snapshotWhileLoading);
    EXPECT_FALSE(m_tree.IsSnapshotShown());
    EXPECT_FALSE(m_tree.IsLoading());
    EXPECT_EQ(1, m_tree.m_ends);
    EXPECT_EQ(3, m_tree.Children(m_root));
    EXPECT_FALSE(m_tree.HasPlaceholder(m_root));
    EXPECT_EQ(CString(L"child 0"), m_tree.GetItemText(m_tree.GetChildItem(m_root)));
    EXPECT_TRUE(m_tree.GetItemState(m_root, TVIS_EXPANDED) & TVIS_EXPANDED);
    // Once loaded, the children stay: collapsing and expanding again loads nothing.
    m_tree.Expand(m_root, TVE_COLLAPSE);
    m_tree.Expand(m_root, TVE_EXPAND);
    EXPECT_EQ(1, m_tree.m_loads);
    EXPECT_EQ(3, m_tree.Children(m_root));
}

TEST_F(LazyTreeTest, ExpandingAnItemWithoutChildrenRemovesItsExpander)
{
    m_tree.m_children = 0;
    EXPECT_EQ(1, m_tree.ChildrenFlag(m_root));
    m_tree.Expand(m_root, TVE_EXPAND);
    EXPECT_EQ(1, m_tree.m_loads);
    EXPECT_EQ(0, m_tree.Children(m_root));
    EXPECT_EQ(0, m_tree.ChildrenFlag(m_root)) << "no expander is left";
}

TEST_F(LazyTreeTest, AnItemThatReloadsDropsItsChildrenOnCollapseAndLoadsThemAgain)
{
    m_tree.m_reload = TRUE;
    m_tree.Expand(m_root, TVE_EXPAND);
    ASSERT_EQ(3, m_tree.Children(m_root));
    // Collapsed by the user (the tree reports no collapse it was told to make).
    m_tree.SelectItem(m_root);
    m_tree.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_FALSE(m_tree.GetItemState(m_root, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(0, m_tree.Children(m_root));
    EXPECT_EQ(1, m_tree.ChildrenFlag(m_root)) << "the expander stays for the next time";
    m_tree.m_children = 5;
    m_tree.Expand(m_root, TVE_EXPAND);
    EXPECT_EQ(2, m_tree.m_loads) << "the tree forgot it had expanded the item once";
    EXPECT_EQ(5, m_tree.Children(m_root));
}

TEST_F(LazyTreeTest, TheLoaderThreadTicksWithTheTimerAndReportsProgress)
{
    m_tree.SetTimerPeriod(125);
    m_tree.m_children = 8;
    m_tree.m_delayMs = 1200;
    m_tree.Expand(m_root, TVE_EXPAND);
    EXPECT_GE(m_tree.m_ticks.load(), 4) << "1.2 s of loading at 125 ms a tick";
    EXPECT_GE(m_tree.m_reports.load(), 1);
    EXPECT_EQ(1, m_tree.m_lastPhase.load()) << "the end's report is the last one";
    EXPECT_EQ(1, m_tree.m_lastCount.load());
    EXPECT_EQ(8, m_tree.Children(m_root));

    // Without a period there is no timer at all.
    m_tree.SetTimerPeriod(0);
    m_tree.m_ticks = 0;
    m_tree.m_delayMs = 500;
    HTREEITEM child = m_tree.GetChildItem(m_root);
    m_tree.Expand(child, TVE_EXPAND);
    EXPECT_LE(m_tree.m_ticks.load(), 1) << "only the first drawing, from the signalled start";
}

TEST_F(LazyTreeTest, AnExpansionAnotherThreadAsksForDuringALoadRunsAfterIt)
{
    // As the folder dialog's worker walks the tree while the user opens a folder.
    HTREEITEM other = m_tree.InsertItem(TVIF_TEXT | TVIF_CHILDREN, L"other", 0, 0, 0, 0, 0, TVI_ROOT, TVI_LAST);
    TVITEMW item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = other;
    item.cChildren = 1;
    m_tree.SetItem(&item);
    m_tree.SetTimerPeriod(125);
    m_tree.m_delayMs = 600;
    std::atomic<bool> answered{false};
    std::thread asker([&] {
        const DWORD start = ::GetTickCount();
        while (!m_tree.m_inLoad && ::GetTickCount() - start < 20000) ::Sleep(5);
        ::SendMessageW(m_tree.m_hWnd, TVM_EXPAND, TVE_EXPAND, (LPARAM)other);
        answered = true;
    });
    m_tree.Expand(m_root, TVE_EXPAND);
    EXPECT_EQ(1, m_tree.m_loads) << "nothing else ran inside the load";
    EXPECT_TRUE(PumpUntil([&] { return answered.load(); }, 20000));
    asker.join();
    EXPECT_EQ(2, m_tree.m_loads) << "the other item loaded in its own turn";
    EXPECT_EQ(3, m_tree.Children(m_root));
    EXPECT_EQ(3, m_tree.Children(other)) << "not expanded empty, once and for all";
    EXPECT_FALSE(m_tree.HasPlaceholder(other));
}

TEST_F(LazyTreeTest, NewChildrenAreScrolledIntoViewBelowTheExpandedItem)
{
    m_tree.m_children = 40;
    m_tree.Expand(m_root, TVE_EXPAND);
    // Forty children do not fit: the expanded item is scrolled to the top, and no further.
    EXPECT_EQ(m_root, m_tree.GetFirstVisibleItem());
    CRect rc;
    EXPECT_TRUE(m_tree.GetItemRect(m_tree.GetChildItem(m_root), &rc, FALSE));
    CRect client;
    m_tree.GetClientRect(&client);
    EXPECT_LE(rc.bottom, client.bottom);
}

// ---- the shell tree

class ShellTreeTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        ::CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        m_parent.MoveWindow(40, 40, 420, 520);
        m_folder = ScratchFolder(L"shell tree");
        ASSERT_FALSE(m_folder.IsEmpty());
        ASSERT_TRUE(::CreateDirectoryW(m_folder + L"\\Beta", NULL));
        ASSERT_TRUE(::CreateDirectoryW(m_folder + L"\\alpha", NULL));
        ASSERT_TRUE(::CreateDirectoryW(m_folder + L"\\alpha\\inner", NULL));
        ASSERT_TRUE(::CreateDirectoryW(m_folder + L"\\empty", NULL));
        ASSERT_TRUE(WriteFile(m_folder + L"\\clip.mp4"));
    }
    void TearDown() override
    {
        if (m_tree.m_hWnd) m_tree.DestroyWindow();
        ::CoUninitialize();
        ToolkitWindowTest::TearDown();
    }
    void Make(UINT flags = 0)
    {
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  CRect(10, 10, 400, 500), &m_parent, 21));
        ASSERT_TRUE(m_tree.FillTree(NULL, flags));
        m_tree.Expand(m_tree.GetRootItem(), TVE_EXPAND);
    }
    HTREEITEM SelectFolder()
    {
        HTREEITEM item = m_tree.SelectPath(m_folder);
        return item && m_tree.GetItemPath(item).CompareNoCase(m_folder) == 0 ? item : NULL;
    }
    CSlowBusyTree m_tree;
    CString m_folder;
};

TEST_F(ShellTreeTest, TheDesktopIsTheRootAndTheComputersDrivesLieBelowIt)
{
    Make();
    HTREEITEM root = m_tree.GetRootItem();
    ASSERT_TRUE(root);
    EXPECT_EQ(NULL, m_tree.GetNextSiblingItem(root));
    EXPECT_TRUE(m_tree.GetChildItem(root)) << "the desktop's folders";
    EXPECT_NE(nullptr, m_tree.GetImageList(TVSIL_NORMAL)) << "the system's small icons";
    // The computer has no file-system path; some drive below it has.
    LPITEMIDLIST drives = NULL;
    ASSERT_EQ(S_OK, ::SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &drives));
    HTREEITEM computer = m_tree.FindChildItem(root, drives);
    ::CoTaskMemFree(drives);
    ASSERT_TRUE(computer);
    EXPECT_TRUE(m_tree.GetItemPath(computer).IsEmpty());
    m_tree.Expand(computer, TVE_EXPAND);
    bool drive = false;
    for (HTREEITEM c = m_tree.GetChildItem(computer); c; c = m_tree.GetNextSiblingItem(c))
        drive = drive || m_tree.GetItemPath(c).GetLength() == 3;
    EXPECT_TRUE(drive);
}

TEST_F(ShellTreeTest, APathIsFoundPartByPartAndItsFoldersLoadOnlyWhenOpened)
{
    Make();
    HTREEITEM folder = SelectFolder();
    ASSERT_TRUE(folder) << CStringA(m_folder).GetString();
    EXPECT_EQ(folder, m_tree.GetSelectedItem());
    // The folder itself was not opened: its subfolders wait.
    EXPECT_EQ(NULL, m_tree.GetChildItem(folder));
    m_tree.Expand(folder, TVE_EXPAND);
    // Folders only, in the shell's order.
    std::vector<CString> names;
    for (HTREEITEM c = m_tree.GetChildItem(folder); c; c = m_tree.GetNextSiblingItem(c)) names.push_back(m_tree.GetItemText(c));
    EXPECT_EQ((std::vector<CString>{L"alpha", L"Beta", L"empty"}), names);
    HTREEITEM alpha = ChildNamed(m_tree, folder, L"alpha");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(NULL, m_tree.GetChildItem(alpha));
    EXPECT_EQ(m_folder + L"\\alpha", m_tree.GetItemPath(alpha));
    // A path that goes on past what exists selects the deepest folder found.
    HTREEITEM inner = m_tree.SelectPath(m_folder + L"/alpha/inner/none/");
    ASSERT_TRUE(inner);
    EXPECT_EQ(m_folder + L"\\alpha\\inner", m_tree.GetItemPath(inner));
    EXPECT_EQ(inner, m_tree.GetSelectedItem());
}

TEST_F(ShellTreeTest, ATreeObjectThatGoesBeforeItsWindowLetsGoOfItsFolders)
{
    CShellTreeCtrl* tree = new CShellTreeCtrl;
    ASSERT_TRUE(tree->Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, CRect(10, 10, 400, 500), &m_parent, 22));
    ASSERT_TRUE(tree->FillTree());
    tree->Expand(tree->GetRootItem(), TVE_EXPAND);
    HTREEITEM folder = tree->SelectPath(m_folder);
    ASSERT_TRUE(folder);
    tree->Expand(folder, TVE_EXPAND);
    HTREEITEM child = tree->GetChildItem(folder);
    ASSERT_TRUE(child);
    // The folder's three children each hold the folder they were enumerated from.
    IShellFolder* parent = tree->GetShellItem(child)->pParentFolder;
    ASSERT_TRUE(parent);
    parent->AddRef();
    delete tree;  // its window still up, as a tree in a pane whose owner goes first
    EXPECT_EQ(0u, parent->Release()) << "the items' references went with the window";
}

TEST_F(ShellTreeTest, ExpandingAnEmptyFolderRemovesItsExpander)
{
    Make(STIF_NONFOLDERS);  // every folder offers an expander, and files show too
    HTREEITEM folder = SelectFolder();
    ASSERT_TRUE(folder);
    m_tree.Expand(folder, TVE_EXPAND);
    EXPECT_TRUE(ChildNamed(m_tree, folder, L"clip.mp4")) << "files with the flag";
    HTREEITEM empty = ChildNamed(m_tree, folder, L"empty");
    ASSERT_TRUE(empty);
    TVITEMW item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = empty;
    m_tree.GetItem(&item);
    EXPECT_EQ(1, item.cChildren);
    m_tree.Expand(empty, TVE_EXPAND);
    m_tree.GetItem(&item);
    EXPECT_EQ(0, item.cChildren);
    EXPECT_EQ(NULL, m_tree.GetChildItem(empty));
}

TEST_F(ShellTreeTest, ALinkThatLoopsBackOpensOneLevelAtATime)
{
    const char* how = MakeFolderLink(m_folder + L"\\alpha\\back", m_folder);
    ASSERT_NE(nullptr, how);
    Make();
    HTREEITEM back = m_tree.SelectPath(m_folder + L"\\alpha\\back");
    ASSERT_TRUE(back);
    m_tree.Expand(back, TVE_EXPAND);
    // Through the link: the folder's own children once more, each waiting to be opened.
    EXPECT_TRUE(ChildNamed(m_tree, back, L"alpha")) << how;
    EXPECT_TRUE(ChildNamed(m_tree, back, L"Beta")) << how;
    for (HTREEITEM c = m_tree.GetChildItem(back); c; c = m_tree.GetNextSiblingItem(c))
        EXPECT_EQ(NULL, m_tree.GetChildItem(c));
}

TEST_F(ShellTreeTest, TheBusyIndicatorSpinsAndFillsWhileAFolderLoads)
{
    Make();
    HTREEITEM folder = SelectFolder();
    ASSERT_TRUE(folder);
    m_tree.m_slowMs = 1400;
    m_tree.Expand(folder, TVE_EXPAND);
    EXPECT_GE(m_tree.GetSpinnerFramesShown(), 5) << "a frame every 125 ms";
    ASSERT_EQ(256u, m_tree.m_spinnerA.size()) << "a 16 x 16 spinner";
    EXPECT_NE(m_tree.m_spinnerA, m_tree.m_spinnerB) << "the spinner moved on";
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), m_tree.m_barFrame) << "the progress bar's frame";
    EXPECT_TRUE(m_tree.m_saved);
    EXPECT_EQ(3, [&] {
        int n = 0;
        for (HTREEITEM c = m_tree.GetChildItem(folder); c; c = m_tree.GetNextSiblingItem(c)) ++n;
        return n;
    }());
    // While the count is unknown the bar grows and never fills; at the end it is full.
    EXPECT_EQ(0, CColorShellTreeCtrl::FillWidth(0, 0));
    EXPECT_LT(CColorShellTreeCtrl::FillWidth(0, 5), CColorShellTreeCtrl::FillWidth(0, 50));
    EXPECT_LT(CColorShellTreeCtrl::FillWidth(0, 100000), CColorShellTreeCtrl::kBarWidth);
    EXPECT_EQ(CColorShellTreeCtrl::kBarWidth, CColorShellTreeCtrl::FillWidth(1, 1));
    EXPECT_EQ(25, CColorShellTreeCtrl::FillWidth(4, 2));
}

// ---- the dialog

namespace {

// The dialog with its worker held back by the test: it waits for m_go (or, with m_untilStop,
// keeps selecting until it is told to stop).
class CTestFolderDlg : public CSelectFolderDlg {
public:
    CTestFolderDlg() : m_go(::CreateEventW(NULL, TRUE, FALSE, NULL)) {}
    ~CTestFolderDlg() override { ::CloseHandle(m_go); }

    void SelectInitialFolder(volatile LONG* pStop) override
    {
        m_started = true;
        if (m_untilStop) {
            const DWORD start = ::GetTickCount();
            while (!*pStop && ::GetTickCount() - start < 20000) {
                GetTree().SelectPath(m_strInitialFolder, pStop);
                ++m_rounds;
            }
            m_sawStop = *pStop;
            return;
        }
        ::WaitForSingleObject(m_go, 20000);
        CSelectFolderDlg::SelectInitialFolder(pStop);
        m_finished = true;
    }

    HANDLE m_go;
    bool m_untilStop = false;
    std::atomic<bool> m_started{false}, m_finished{false};
    std::atomic<int> m_rounds{0};
    std::atomic<LONG> m_sawStop{0};
};

} // namespace

class FolderDialogTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        ::CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        m_folder = ScratchFolder(L"folder dialog");
        ASSERT_FALSE(m_folder.IsEmpty());
        ASSERT_TRUE(::CreateDirectoryW(m_folder + L"\\Videos", NULL));
        m_dlg = new CTestFolderDlg;
    }
    void TearDown() override
    {
        if (m_dlg->m_hWnd) m_dlg->DestroyWindow();
        delete m_dlg;
        ::CoUninitialize();
        ToolkitWindowTest::TearDown();
    }
    void Open()
    {
        ASSERT_TRUE(m_dlg->Create(IDD_SELECT_FOLDER, &m_parent));
        m_dlg->ShowWindow(SW_SHOW);
        m_dlg->UpdateWindow();
    }
    CString Selected() { return m_dlg->GetTree().GetItemPath(m_dlg->GetTree().GetSelectedItem()); }
    BOOL OkEnabled() { return m_dlg->GetDlgItem(IDOK)->IsWindowEnabled(); }
    CString PatternText() { return m_dlg->GetPatternCombo().GetEditText(); }
    void Command(UINT id) { m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)m_dlg->GetDlgItem(id)->m_hWnd); }
    CRect ChildRect(int id)
    {
        CRect rc;
        m_dlg->GetDlgItem(id)->GetWindowRect(&rc);
        m_dlg->ScreenToClient(&rc);
        return rc;
    }

    CTestFolderDlg* m_dlg = nullptr;
    CString m_folder;
};

TEST_F(FolderDialogTest, TheInitialFolderIsSelectedByTheWorkerWhileTheDialogShows)
{
    m_dlg->m_strCaption = L"Open Folder";
    m_dlg->m_strPrompt = L"Open Folder to Play";
    m_dlg->m_strInitialFolder = m_folder + L"\\Videos";
    Open();
    // The dialog is up and answering while the worker waits.
    EXPECT_TRUE(m_dlg->IsWorkerRunning());
    EXPECT_TRUE(PumpUntil([&] { return m_dlg->m_started.load(); }));
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(m_dlg->IsWorkerRunning());
    EXPECT_NE(m_folder + L"\\Videos", Selected());
    CString caption;
    m_dlg->GetWindowText(caption);
    EXPECT_EQ(CString(L"Open Folder"), caption);
    CString prompt;
    m_dlg->GetDlgItemText(IDC_SELECT_FOLDER_TEXT, prompt);
    EXPECT_EQ(CString(L"Open Folder to Play"), prompt);

    ::SetEvent(m_dlg->m_go);
    ASSERT_TRUE(PumpUntil([&] { return !m_dlg->IsWorkerRunning(); }, 30000));
    EXPECT_TRUE(m_dlg->m_finished.load());
    EXPECT_EQ(0, Selected().CompareNoCase(m_folder + L"\\Videos")) << CStringA(Selected()).GetString();
    EXPECT_TRUE(OkEnabled());
    SaveWindowScreenshot(L"toolkit", L"folder-dialog", m_dlg->m_hWnd);

    Command(IDOK);
    EXPECT_FALSE(m_dlg->IsWindowVisible());
    EXPECT_EQ(0, m_dlg->m_strSelectedFolder.CompareNoCase(m_folder + L"\\Videos"));
    EXPECT_EQ(CString(L"*"), m_dlg->m_strPattern) << "an empty pattern becomes \"*\"";
}

TEST_F(FolderDialogTest, ClosingWhileTheWorkerRunsWaitsForItToEnd)
{
    m_dlg->m_strInitialFolder = m_folder;
    m_dlg->m_untilStop = true;  // keeps walking the tree through the dialog's thread until told
    Open();
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_rounds.load() >= 2; }, 30000));
    Command(IDCANCEL);
    // Cancel returned: the worker saw the stop flag and is gone, before the window is.
    EXPECT_FALSE(m_dlg->IsWorkerRunning());
    EXPECT_EQ(2, m_dlg->m_sawStop.load());
    m_dlg->DestroyWindow();
    // No end notice is left behind for a dialog that is gone.
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, NULL, CSelectFolderDlg::kWorkerDoneMessage, CSelectFolderDlg::kWorkerDoneMessage,
                                PM_NOREMOVE));

    // Destroyed without Cancel (its owner went), the same.
    delete m_dlg;
    m_dlg = new CTestFolderDlg;
    m_dlg->m_strInitialFolder = m_folder;
    m_dlg->m_untilStop = true;
    Open();
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_rounds.load() >= 1; }, 30000));
    m_dlg->DestroyWindow();
    EXPECT_FALSE(m_dlg->IsWorkerRunning());
    EXPECT_EQ(2, m_dlg->m_sawStop.load());
}

TEST_F(FolderDialogTest, OkIsRefusedWhileTheSelectionIsAVirtualFolder)
{
    Open();
    CFolderTreeCtrl& tree = m_dlg->GetTree();
    LPITEMIDLIST drives = NULL;
    ASSERT_EQ(S_OK, ::SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &drives));
    HTREEITEM computer = tree.FindChildItem(tree.GetRootItem(), drives);
    ::CoTaskMemFree(drives);
    ASSERT_TRUE(computer);
    tree.SelectItem(computer);
    EXPECT_TRUE(Selected().IsEmpty());
    EXPECT_FALSE(OkEnabled());
    Command(IDOK);
    EXPECT_TRUE(m_dlg->IsWindowVisible()) << "the dialog stays";
    EXPECT_TRUE(m_dlg->m_strSelectedFolder.IsEmpty()) << "never \"\", which reads as the drive's root";

    ASSERT_TRUE(tree.SelectPath(m_folder));
    EXPECT_TRUE(OkEnabled());
    Command(IDOK);
    EXPECT_FALSE(m_dlg->IsWindowVisible());
    EXPECT_EQ(0, m_dlg->m_strSelectedFolder.CompareNoCase(m_folder));
}

namespace {
// What the menu showed, looked at from inside its own loop, which the look then ends.
CFolderTreeCtrl* g_menuTree = nullptr;
int g_menuItems = -1;
CString g_firstItemText;
void CALLBACK LookAtMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(NULL, id);
    HMENU menu = g_menuTree ? g_menuTree->GetTrackedMenu() : NULL;
    g_menuItems = menu ? ::GetMenuItemCount(menu) : -1;
    wchar_t text[128] = L"";
    if (menu) ::GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
    g_firstItemText = text;
    ::EndMenu();
}
} // namespace

TEST_F(FolderDialogTest, TheShellsOwnMenuShowsForTheSelectedFolder)
{
    Open();
    CFolderTreeCtrl& tree = m_dlg->GetTree();
    ASSERT_TRUE(tree.SelectPath(m_folder));
    const LONG_PTR procBefore = ::GetWindowLongPtrW(tree.m_hWnd, GWLP_WNDPROC);
    g_menuTree = &tree;
    g_menuItems = -1;
    ::SetTimer(NULL, 0, 300, &LookAtMenu);
    // From the keyboard: the menu opens below the selected folder.
    tree.SendMessage(WM_CONTEXTMENU, (WPARAM)tree.m_hWnd, MAKELPARAM(-1, -1));
    g_menuTree = nullptr;
    EXPECT_GT(g_menuItems, 0) << "the shell's commands for a folder";
    EXPECT_FALSE(g_firstItemText.IsEmpty());
    EXPECT_GE(tree.GetLastCommand(), CShellContextMenu::kFirstCommand);
    EXPECT_LE(tree.GetLastCommand(), CShellContextMenu::kLastCommand);
    EXPECT_TRUE(tree.IsShellCommand(CShellContextMenu::kFirstCommand)) << "kept for the command that may follow";
    // The owner is itself again once the menu is gone.
    EXPECT_EQ(procBefore, ::GetWindowLongPtrW(tree.m_hWnd, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, ::GetPropW(tree.m_hWnd, L"ShellContextMenu"));
    // Ids outside the shell's range are not its commands.
    EXPECT_FALSE(tree.IsShellCommand(CShellContextMenu::kFirstCommand - 1));
    EXPECT_FALSE(tree.IsShellCommand(tree.GetLastCommand() + 1));
    tree.ReleaseMenu();
    EXPECT_FALSE(tree.IsShellCommand(CShellContextMenu::kFirstCommand));
}

namespace {

// A shell menu that only answers help texts, counting them.
class CHelpOnlyContextMenu : public IContextMenu {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IContextMenu) {
            *ppv = static_cast<IContextMenu*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }   // owned by the test
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT type, UINT*, LPSTR name, UINT size) override
    {
        if (type != GCS_HELPTEXTW) return E_NOTIMPL;
        ++m_helpAsked;
        ::lstrcpynW((LPWSTR)name, L"Opens the folder", (int)size);
        return S_OK;
    }
    ULONG m_refs = 1;
    int m_helpAsked = 0;
};

// The menu's subclassing of a window, without tracking a real menu.
class CSubclassingMenu : public CShellContextMenu {
public:
    explicit CSubclassingMenu(IContextMenu* menu)
    {
        menu->AddRef();
        m_pContextMenu = menu;
        m_nLastCommand = kFirstCommand + 3;
    }
    using CShellContextMenu::Subclass;
    using CShellContextMenu::Unsubclass;
};

const UINT kProbeMessage = WM_APP + 41;
const LRESULT kProbeAnswer = 0x5EED;
WNDPROC g_belowOtherSubclass = NULL;
int g_propertiesAtNcDestroy = -1;

// The window's own procedure: it alone knows the probe.
LRESULT CALLBACK ProbeWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kProbeMessage) return kProbeAnswer;
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

BOOL CALLBACK CountProperty(HWND, LPWSTR, HANDLE, ULONG_PTR count)
{
    ++*(int*)count;
    return TRUE;
}

// Someone else's subclass, put on top of the menu's; it counts what the window still holds once
// the rest of the chain has seen its last message.
LRESULT CALLBACK OtherSubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = ::CallWindowProcW(g_belowOtherSubclass, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        g_propertiesAtNcDestroy = 0;
        ::EnumPropsExW(hWnd, &CountProperty, (LPARAM)&g_propertiesAtNcDestroy);
    }
    return result;
}

LRESULT SelectMenuItem(HWND window, UINT id)
{
    return ::SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(id, MF_STRING), 0);
}

} // namespace

class ShellContextMenuTest : public ToolkitWindowTest {};

TEST_F(ShellContextMenuTest, UnderAnotherSubclassTheWindowKeepsItsOwnProcedureUntilItIsDestroyed)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ProbeWindowProc;
    wc.hInstance = ::GetModuleHandleW(NULL);
    wc.lpszClassName = L"ShellMenuProbeWindow";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100,
                                    m_parent.m_hWnd, NULL, wc.hInstance, NULL);
    ASSERT_TRUE(window != NULL);
    const UINT command = CShellContextMenu::kFirstCommand + 1;
    CHelpOnlyContextMenu shell;
    {
        CSubclassingMenu menu(&shell);
        menu.Subclass(window);
        EXPECT_EQ((HANDLE)static_cast<CShellContextMenu*>(&menu), ::GetPropW(window, L"ShellContextMenu"));
        // Another subclass comes on top while the menu is up; the menu's messages still reach it.
        g_belowOtherSubclass = (WNDPROC)::SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)&OtherSubclassProc);
        SelectMenuItem(window, command);
        EXPECT_EQ(1, shell.m_helpAsked);
        EXPECT_EQ(kProbeAnswer, ::SendMessageW(window, kProbeMessage, 0, 0));

        // The menu's procedure cannot leave the chain: it lets the object go and forwards.
        menu.Unsubclass();
        EXPECT_EQ((LONG_PTR)&OtherSubclassProc, ::GetWindowLongPtrW(window, GWLP_WNDPROC));
        EXPECT_EQ(NULL, ::GetPropW(window, L"ShellContextMenu"));
        EXPECT_EQ(kProbeAnswer, ::SendMessageW(window, kProbeMessage, 0, 0));
        SelectMenuItem(window, command);
        EXPECT_EQ(1, shell.m_helpAsked) << "no longer the menu's window";
    }
    // The object is gone; the window's own procedure still answers.
    EXPECT_EQ(kProbeAnswer, ::SendMessageW(window, kProbeMessage, 0, 0));

    // A later menu over the same window is served by the procedure still in the chain.
    {
        CSubclassingMenu again(&shell);
        again.Subclass(window);
        EXPECT_EQ((LONG_PTR)&OtherSubclassProc, ::GetWindowLongPtrW(window, GWLP_WNDPROC));
        SelectMenuItem(window, command);
        EXPECT_EQ(2, shell.m_helpAsked);
        EXPECT_EQ(kProbeAnswer, ::SendMessageW(window, kProbeMessage, 0, 0));
        again.Unsubclass();
        EXPECT_EQ(kProbeAnswer, ::SendMessageW(window, kProbeMessage, 0, 0));
    }

    // Destroyed, the window keeps nothing of the menu's.
    g_propertiesAtNcDestroy = -1;
    ::DestroyWindow(window);
    EXPECT_EQ(0, g_propertiesAtNcDestroy);
    EXPECT_EQ(1u, shell.m_refs) << "each menu let its shell menu go";
}

TEST_F(FolderDialogTest, PresetsFillTheComboAndPutTheirPatternsIntoIt)
{
    m_dlg->m_strPresets = L"Video|*.mp4;*.flv|Audio|*.mp3;*.aac";
    m_dlg->m_nPreset = 1;
    m_dlg->m_bScanSubfolders = TRUE;
    Open();
    EXPECT_EQ(2, m_dlg->GetPatternCombo().GetCount());
    EXPECT_EQ(CString(L"Video"), m_dlg->GetPatternCombo().GetItemText(0));
    EXPECT_EQ(CString(L"*.mp3;*.aac"), PatternText()) << "the preset asked for, as the pattern was empty";
    EXPECT_EQ(BST_CHECKED, m_dlg->IsDlgButtonChecked(IDC_SELECT_FOLDER_SUBFOLDERS));
    EXPECT_TRUE(m_dlg->GetDlgItem(IDC_SELECT_FOLDER_PRESETS)->IsWindowVisible());
    m_dlg->GetPatternCombo().SetCurSel(0);
    m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SELECT_FOLDER_PATTERN, CBN_SELCHANGE),
                       (LPARAM)m_dlg->GetPatternCombo().m_hWnd);
    EXPECT_EQ(CString(L"*.mp4;*.flv"), PatternText());
    EXPECT_EQ(0, m_dlg->m_nPreset);

    // Names without pairs are their own patterns; a pattern given is kept.
    m_dlg->DestroyWindow();
    delete m_dlg;
    m_dlg = new CTestFolderDlg;
    m_dlg->m_strPresetNames = L"*.mp4;*.webm|*.*";
    m_dlg->m_strPattern = L"*.mkv";
    Open();
    EXPECT_EQ(CString(L"*.mkv"), PatternText());
    EXPECT_EQ(CString(L"*.*"), m_dlg->GetPresetPattern(1));
    EXPECT_EQ(CString(), m_dlg->GetPresetPattern(2));

    // Without presets the "..." button hides and the combo reaches the right margin.
    m_dlg->DestroyWindow();
    delete m_dlg;
    m_dlg = new CTestFolderDlg;
    Open();
    EXPECT_FALSE(m_dlg->GetDlgItem(IDC_SELECT_FOLDER_PRESETS)->IsWindowVisible());
    CRect client;
    m_dlg->GetClientRect(&client);
    EXPECT_EQ(client.right - 10, ChildRect(IDC_SELECT_FOLDER_PATTERN).right);
}

TEST_F(FolderDialogTest, TheLayoutFollowsTheSizeAndStopsAtItsMinimum)
{
    m_dlg->m_strPresets = L"All|*";
    Open();
    m_dlg->SetWindowPos(NULL, 0, 0, 560, 520, SWP_NOZORDER | SWP_NOMOVE);
    CRect client;
    m_dlg->GetClientRect(&client);
    const CRect cancel = ChildRect(IDCANCEL), ok = ChildRect(IDOK);
    EXPECT_EQ(client.right - 10, cancel.right);
    EXPECT_EQ(client.bottom - 10, cancel.bottom);
    EXPECT_EQ(cancel.left - 6, ok.right);
    EXPECT_EQ(cancel.top, ok.top);
    EXPECT_EQ(ok.Size(), cancel.Size());
    const CRect button = ChildRect(IDC_SELECT_FOLDER_PRESETS), combo = ChildRect(IDC_SELECT_FOLDER_PATTERN);
    EXPECT_EQ(client.right - 10, button.right);
    EXPECT_EQ(button.left - 6, combo.right);
    EXPECT_EQ(ok.top - 9, combo.bottom);
    const CRect tree = ChildRect(IDC_SELECT_FOLDER_TREE), label = ChildRect(IDC_SELECT_FOLDER_LABEL);
    EXPECT_EQ(client.right - 10, tree.right);
    EXPECT_EQ(client.right - 10, ChildRect(IDC_SELECT_FOLDER_TEXT).right);
    EXPECT_LT(tree.bottom, label.top);
    EXPECT_LT(label.bottom, combo.top + 2);
    const CRect check = ChildRect(IDC_SELECT_FOLDER_SUBFOLDERS);
    EXPECT_EQ(client.bottom - 8 - ok.Height() + (ok.Height() - check.Height()) / 2, check.top)
        << "centred on a button-high row ending 8 pixels above the bottom";
    // The size grip shows in the corner, under Cancel's corner rather than over it.
    const CRect gripCorner(client.right - 8, client.bottom - 8, client.right, client.bottom);
    EXPECT_TRUE(PumpUntil([&] {
        for (int y = gripCorner.top; y < gripCorner.bottom; ++y)
            for (int x = gripCorner.left; x < gripCorner.right; ++x) {
                const COLORREF c = ClientPixel(m_dlg->m_hWnd, x, y);
                if (c != RGB(255, 255, 255) && c != ::GetSysColor(COLOR_BTNFACE)) return true;
            }
        return false;
    }, 3000)) << "the grip's dots";
    EXPECT_EQ(ClientPixel(m_dlg->m_hWnd, cancel.right - 1, cancel.CenterPoint().y),
              ClientPixel(m_dlg->m_hWnd, cancel.right - 1, cancel.bottom - 2))
        << "Cancel's right edge runs down to its corner";
    SaveWindowScreenshot(L"toolkit", L"folder-dialog-large", m_dlg->m_hWnd);

    // Growing keeps the tree's distance to the label.
    const int gap = label.top - tree.bottom;
    m_dlg->SetWindowPos(NULL, 0, 0, 600, 640, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(gap, ChildRect(IDC_SELECT_FOLDER_LABEL).top - ChildRect(IDC_SELECT_FOLDER_TREE).bottom);

    MINMAXINFO info = {};
    m_dlg->SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(320, info.ptMinTrackSize.x);
    EXPECT_EQ(280, info.ptMinTrackSize.y);
    // The system menu offers no maximise, minimise or restore.
    HMENU system = ::GetSystemMenu(m_dlg->m_hWnd, FALSE);
    EXPECT_EQ(-1, (int)::GetMenuState(system, SC_MAXIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(-1, (int)::GetMenuState(system, SC_MINIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(-1, (int)::GetMenuState(system, SC_RESTORE, MF_BYCOMMAND));
}
