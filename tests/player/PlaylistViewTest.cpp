// The media playlist view with the real probe and encoder tools and clips made at test time:
// files, folders, addresses and drops added and opened, the load thread and the two thumbnail
// threads, edits while loading, slow and failing probes, playlists opened and saved, and the
// default playlist at close.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include "PlayerUiTestSupport.h"
#include "engine/SystemHelpers.h"
#include "engine/ToolProcess.h"
#include "player/app/PlayerResource.h"
#include "player/dialogs/MediaInfoDlg.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/playlist/ToolTimeLimit.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "tests/toolkit/LoopbackHttpServer.h"

using namespace playertest;

namespace {

// Copies of clip b under names of their own, in a folder per tag, with an image and a sub-folder.
struct CClipFolder {
    CString folder;
    std::vector<CString> clips;  // in the order the file system lists them
};

std::vector<CString> ListFiles(const CString& folder)
{
    std::vector<CString> files;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder + L"\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return files;
}

CClipFolder MakeClipFolder(LPCWSTR tag, int count)
{
    CClipFolder f;
    f.folder = MakeAwkwardFolder(tag);
    for (int i = 0; i < count; ++i) {
        CString name;
        name.Format(L"\\clip %02d.mp4", i);
        CopyFileW(i % 2 ? TestClips().b : TestClips().c, f.folder + name, FALSE);
    }
    for (const CString& path : ListFiles(f.folder))
        f.clips.push_back(path);
    return f;
}

// A drop handle with these paths, as the shell makes it.
HDROP MakeDrop(const std::vector<CString>& paths)
{
    size_t chars = 1;
    for (const CString& p : paths)
        chars += p.GetLength() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(drop + 1);
    for (const CString& p : paths) {
        wcscpy(out, p);
        out += p.GetLength() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class PlaylistView : public PlayerUiTest {
protected:
    static void SetUpTestSuite()
    {
        SetUpUi();
        s_ten = MakeClipFolder(L"playlist-ten", 10);
    }
    static void TearDownTestSuite() { TearDownUi(); }
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(3000);
        ResetUi();
    }
    void TearDown() override
    {
        ResetUi();
        CToolProcessBase::SetStopGraceForTests(10000);
        CToolTimeLimit::SetLimitForTests(CToolTimeLimit::kDefaultLimitMs);
    }

    CMediaPlaylistView& View() { return *s_frame->playlistView; }
    CTestPlaylist& List() { return s_frame->playlist; }
    CPlayWnd& Play() { return s_frame->playView->GetPlayWnd(); }
    bool WaitLoaded(DWORD ms = 120000)
    {
        return WaitUntil([&] { return !View().IsLoading() && View().GetPendingCount() == 0; }, ms);
    }
    bool WaitThumbnails(DWORD ms = 180000)
    {
        return WaitUntil([&] { return !View().IsLoading() && !View().AreThumbnailsRunning(); }, ms);
    }
    // The first item the play window started, by the frame's titles ("" when none).
    CString FirstPlayedTitle()
    {
        for (const CString& title : s_frame->titles)
            if (title != L"Lumivo")
                return title;
        return CString();
    }
    std::vector<CString> Paths()
    {
        std::vector<CString> paths;
        for (int i = 0; i < List().GetMediaItemCount(); ++i)
            paths.push_back(List().GetMediaItem(i)->Path);
        return paths;
    }
    int ThumbnailsIn()
    {
        int n = 0;
        for (int i = 0; i < List().GetMediaItemCount(); ++i) {
            CMediaItem* item = List().GetMediaItem(i);
            if ((item->StateFlags & MEDIA_STATE_THUMBNAIL_READY) && item->Thumbnail.IsValid())
                ++n;
        }
        return n;
    }

    CString UseFakeProbe(int delayMs)
    {
        CString log = playertest::UseFakeProbe(s_app->Resources(), delayMs);
        EXPECT_FALSE(log.IsEmpty());
        return log;
    }
    static int ProbeRuns(const CString& log) { return (int)ProbedPaths(log).size(); }
    // "LoadLastPlaylist" on and no default playlist yet: its path.
    static CString KeepingTheLastPlaylist()
    {
        s_app->Settings().loadLastPlaylist = 1;
        CString path = s_app->Settings().GetDefaultPlaylistPath();
        DeleteFileW(path);
        return path;
    }
    // A view of its own in the frame (it is deleted with its window), with the given playlist
    // window, or with the program's own item window, which deletes its items at its end. Null
    // when it cannot be made.
    static CMediaPlaylistView* MakeOwnView(CTestPlaylist* items)
    {
        CMediaPlaylistView* view = new CMediaPlaylistView;
        if (items)
            view->SetItemWindow(items);
        if (!view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 300, 300), s_frame.get(), 4000))
            return nullptr;
        if (items && !items->CreateWindowIn(view, CRect(0, 0, 300, 300))) {
            view->DestroyWindow();
            return nullptr;
        }
        return view;
    }
    // A view of its own (as MakeOwnView) with these paths queued and their load under way.
    static CMediaPlaylistView* MakeLoadingView(CTestPlaylist* items, const std::vector<CString>& paths)
    {
        CMediaPlaylistView* view = MakeOwnView(items);
        if (view) {
            CPlaylistEditGuard guard(view, 0);
            for (const CString& path : paths)
                view->AddPath(path);
        }
        return view;
    }
    // The paths of an item window of a view's own.
    static std::vector<CString> PathsOf(CMediaPlaylistLink& items)
    {
        std::vector<CString> paths;
        for (int i = 0; i < items.GetMediaItemCount(); ++i)
            paths.push_back(items.GetMediaItem(i)->Path);
        return paths;
    }

    static CClipFolder s_ten;
};
CClipFolder PlaylistView::s_ten;

TEST_F(PlaylistView, AFolderLoadsInOrderWithoutItsImageAndItsFirstItemPlays)
{
    ASSERT_EQ(10u, s_ten.clips.size());
    CString cover = s_ten.folder + L"\\cover.PNG";
    ASSERT_TRUE(WriteBytes(cover, "not even a picture"));
    int accepted = View().OpenFolder(s_ten.folder, L"*.mp4;*.png", 0);
    DeleteFileW(cover);
    EXPECT_EQ(10, accepted) << "the image is never queued";
    EXPECT_EQ(0, View().m_nAwaitedIndex);
    EXPECT_TRUE(WaitUntil([&] { return View().IsLoading() && View().AreThumbnailsRunning(); }, 60000))
        << "the thumbnail threads follow the load thread from its first item";
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(s_ten.clips, Paths()) << "items in the order the folder listed them";
    EXPECT_EQ(0, FirstPlayedTitle().Find(L"clip 00 - 1/")) << "item 0 plays once it is in";
    EXPECT_EQ(-1, View().m_nAwaitedIndex) << "the awaited index is used once";
    Play().StopAndRemember(0);

    ASSERT_TRUE(WaitThumbnails());
    EXPECT_EQ(10, ThumbnailsIn());
    CMediaItem* first = List().GetMediaItem(0);
    EXPECT_EQ(s_app->Settings().GetSessionThumbnailWidth(), first->Thumbnail.GetWidth());
    EXPECT_TRUE(first->Flags & MEDIA_FILE_GRABBED_THUMBNAIL);
    EXPECT_TRUE(FileExists(first->ThumbnailFile)) << "the grabbed thumbnail is kept as a file";
}

TEST_F(PlaylistView, FoldersAreScannedWithTheirSubfoldersAndPatterns)
{
    CString top = MakeAwkwardFolder(L"playlist-tree");
    CString sub = top + L"\\inner folder";
    ASSERT_TRUE(CreateDirectoryW(sub, nullptr));
    ASSERT_TRUE(CopyFileW(TestClips().b, top + L"\\one.mp4", FALSE));
    ASSERT_TRUE(CopyFileW(TestClips().c, sub + L"\\two.MP4", FALSE));
    ASSERT_TRUE(CopyFileW(TestClips().c, sub + L"\\three.flv", FALSE));
    {
        CPlaylistEditGuard guard(&View(), 0);
        EXPECT_EQ(1, View().AddFolder(top, L"*.mp4", 0)) << "without subfolders";
        EXPECT_EQ(2, View().AddFolder(top, L"*.mp4", 1)) << "patterns match without regard to case";
        EXPECT_EQ(3, View().AddFolder(top, L"*", 1));
    }
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(3, List().GetMediaItemCount()) << "the paths added twice are one item each";

    EXPECT_EQ(0, View().OpenFolder(top + L"\\missing", L"*", 1));
    EXPECT_EQ(3, List().GetMediaItemCount()) << "a missing folder changes nothing";
}

TEST_F(PlaylistView, DuplicatesAreRefusedUnlessAllowedAndImagesNeverQueue)
{
    {
        CPlaylistEditGuard guard(&View(), 0);
        EXPECT_EQ(1, View().AddPath(TestClips().b));
        EXPECT_EQ(1, View().AddPath(TestClips().b));
        EXPECT_EQ(0, View().AddPath(TestClips().folder + L"\\picture.JPG"));
        EXPECT_EQ(-1, View().QueuePath(L"C:\\x\\y.tiff"));
    }
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(1, List().GetMediaItemCount());
    s_app->Settings().allowDuplicates = 1;
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(2, List().GetMediaItemCount());
}

TEST_F(PlaylistView, EveryOtherItemIsEachThumbnailThreadsAndAStoppedRunIsTakenUpAgain)
{
    {
        CPlaylistEditGuard guard(&View(), 1);
        for (int i = 0; i < 6; ++i)
            View().AddPath(s_ten.clips[i]);
        // The guard holds the workers: nothing loads before it ends.
        EXPECT_FALSE(View().IsLoading());
    }
    ASSERT_TRUE(WaitLoaded());
    {
        CPlaylistEditGuard guard(&View(), 1);  // the thumbnail threads that started are stopped
        EXPECT_FALSE(View().AreThumbnailsRunning());
        for (int i = 0; i < List().GetMediaItemCount(); ++i) {
            List().GetMediaItem(i)->StateFlags &= ~MEDIA_STATE_THUMBNAIL_READY;
            List().GetMediaItem(i)->Thumbnail.Destroy();
        }
        // Thread 1's body on this thread: the odd items only.
        volatile int stop = 0;
        View().UpdateThumbnails(1, &stop);
        for (int i = 0; i < List().GetMediaItemCount(); ++i) {
            bool ready = (List().GetMediaItem(i)->StateFlags & MEDIA_STATE_THUMBNAIL_READY) != 0;
            EXPECT_EQ(i % 2 == 1, ready) << i;
        }
        EXPECT_EQ(3, ThumbnailsIn());
        stop = 2;
        View().UpdateThumbnails(0, &stop);  // a stopped body does nothing more
        EXPECT_EQ(3, ThumbnailsIn());
    }
    // The guard's end starts both threads again; the ready items are skipped.
    EXPECT_TRUE(View().AreThumbnailsRunning());
    ASSERT_TRUE(WaitThumbnails());
    EXPECT_EQ(6, ThumbnailsIn());
}

TEST_F(PlaylistView, AStopDuringAProbeKeepsThePathInItsPlaceAndNothingRestartsUnasked)
{
    // Each probe is held open far longer than the stop grace would matter.
    CString log = UseFakeProbe(20000);
    CToolProcessBase::SetStopGraceForTests(60000);
    std::vector<CString> queued(s_ten.clips.begin(), s_ten.clips.begin() + 5);
    {
        CPlaylistEditGuard guard(&View(), 0);
        for (const CString& path : queued)
            View().AddPath(path);
    }
    ASSERT_TRUE(WaitUntil([&] { return ProbeRuns(log) == 1; }, 30000)) << "the first probe runs";

    // An edit that stops loading while the first path is being probed, as Move Up or Down does.
    DWORD began = GetTickCount();
    {
        CPlaylistEditGuard guard(&View(), 1);
        EXPECT_LT(GetTickCount() - began, 10000u) << "the stopped probe was ended at once";
        EXPECT_FALSE(View().IsLoading());
        EXPECT_EQ(queued, View().GetPendingPaths()) << "the path being probed went back to the head";
        EXPECT_EQ(0, List().GetMediaItemCount());
    }
    ASSERT_TRUE(View().IsLoading()) << "the edit's end goes on loading";
    ASSERT_TRUE(WaitUntil([&] { return ProbeRuns(log) == 2; }, 30000));

    // A stop outside an edit, as closing the document makes it, is not followed by a new load.
    began = GetTickCount();
    View().StopLoadThread();
    EXPECT_LT(GetTickCount() - began, 10000u);
    EXPECT_FALSE(View().IsLoading()) << "nothing started loading again";
    EXPECT_EQ(queued, View().GetPendingPaths());

    // Once the probe answers at once, every path comes in, in its order.
    UseFakeProbe(0);
    View().ResumeLoadThread();
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(queued, Paths());
}

TEST_F(PlaylistView, TheStopFlagIsLookedAtBeforeAProbeStarts)
{
    CString log = UseFakeProbe(0);
    volatile int stop = 2;
    EXPECT_EQ(CMediaPlaylistView::kLoadStopped, View().AddPendingPath(TestClips().b, &stop));
    EXPECT_EQ(0, ProbeRuns(log)) << "no probe was started for a stopped thread";
    EXPECT_EQ(0, List().GetMediaItemCount());
    stop = 0;
    EXPECT_EQ(0, View().AddPendingPath(TestClips().b, &stop));
    EXPECT_EQ(1, ProbeRuns(log));
}

TEST_F(PlaylistView, APlaylistFilesEntriesLoadOnTheLoadThreadInTheirOrderWithWhatTheFileSays)
{
    // An XML playlist whose first entry carries its information, title and picture, and whose
    // others are plain paths: a missing file among them.
    std::unique_ptr<CMediaItem> known = OpenItem(TestClips().b);
    ASSERT_TRUE(known != nullptr);
    known->MediaInfo.Metadata.Title = L"Kept title";
    MakeTestPicture(known->Thumbnail, 96, 54);
    CString folder = MakeAwkwardFolder(L"long-list");
    CString missing = folder + L"\\gone.mp4";
    std::vector<CString> expected = {TestClips().b};
    CPlaylistData written(1);
    written.Add(known.release());
    for (int i = 0; i < 12; ++i) {
        const CString& path = i == 5 ? missing : s_ten.clips[i % 10];
        written.AddPath(path);
        expected.push_back(path);
    }
    CString xml = folder + L"\\long.playlist";
    ASSERT_EQ(0, CXmlPlaylistFormat().Save(xml, written, 1));

    CString log = UseFakeProbe(20000);
    CToolProcessBase::SetStopGraceForTests(60000);
    DWORD began = GetTickCount();
    EXPECT_EQ(13, View().OpenPlaylist(xml, 0, 0));
    EXPECT_LT(GetTickCount() - began, 5000u) << "the entries are not probed on the window's thread";
    EXPECT_TRUE(View().IsLoading());
    ASSERT_TRUE(WaitUntil([&] { return ProbeRuns(log) == 1; }, 30000));
    EXPECT_EQ(1, List().GetMediaItemCount()) << "the entry with its information came in without a probe";

    // The window answers and can stop the load at any time; nothing of the list is lost.
    began = GetTickCount();
    {
        CPlaylistEditGuard guard(&View(), 1);
        EXPECT_LT(GetTickCount() - began, 10000u);
        EXPECT_EQ(12, View().GetPendingCount());
        UseFakeProbe(0);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(expected, Paths());
    CMediaItem* first = List().GetMediaItem(0);
    EXPECT_STREQ(L"Kept title", first->Title);
    EXPECT_TRUE(first->Thumbnail.IsValid()) << "the file's picture is kept";
    EXPECT_TRUE(List().GetMediaItem(6)->StateFlags & MEDIA_STATE_FILE_MISSING) << "a listed missing file shows as one";
}

TEST_F(PlaylistView, PathsQueuedJustAsTheLoadEndsAreStillLoaded)
{
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(s_ten.clips[0]);
    }
    // Queued without an edit of its own while the thread may be finishing.
    View().QueuePath(s_ten.clips[1]);
    ASSERT_TRUE(WaitUntil([&] { return List().GetMediaItemCount() == 2 && !View().IsLoading(); }, 60000));
    EXPECT_EQ(0, View().GetPendingCount());
}

TEST_F(PlaylistView, FailingAndHangingProbesAreDroppedAndStopped)
{
    CString broken = TestClips().folder + L"\\broken clip.mp4";
    ASSERT_TRUE(WriteUtf8File(broken, L"no media"));
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(broken);
        View().AddPath(L"http://127.0.0.1:9/nothing-here.mp4");
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(1, List().GetMediaItemCount()) << "what cannot be probed is dropped silently";
    EXPECT_STREQ(TestClips().b, List().GetMediaItem(0)->Path);
    EXPECT_TRUE(s_boxes.empty());

    // A probe that never ends: stopping the load thread ends it at once, and its path waits for
    // the next load.
    CString pids = MakeAwkwardFolder(L"hanging-probe") + L"\\pids.txt";
    ASSERT_TRUE(WriteFakeProbeScript(L"hang\npid_file " + pids + L"\n"));
    s_app->Resources()->probeToolPath = TestTools().fakeProbe;
    CToolProcessBase::SetStopGraceForTests(60000);
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().c);
    }
    ASSERT_TRUE(View().IsLoading());
    ASSERT_TRUE(WaitUntil([&] { return !enginetest::ReadPids(pids).empty(); }, 30000));
    DWORD began = GetTickCount();
    View().StopLoadThread();
    EXPECT_FALSE(View().IsLoading());
    EXPECT_LT(GetTickCount() - began, 10000u) << "the probe is ended without a grace";
    EXPECT_EQ(1, List().GetMediaItemCount());
    EXPECT_EQ(std::vector<CString>{TestClips().c}, View().GetPendingPaths());
    for (DWORD pid : enginetest::ReadPids(pids))
        EXPECT_FALSE(enginetest::IsProcessListed(pid)) << "process " << pid << " still runs";
}

TEST_F(PlaylistView, AHangingFrameGrabIsStoppedAndTheItemTriedAgainLater)
{
    ASSERT_TRUE(WriteFakeEncoderScript(L"hang\n"));
    s_app->Resources()->encodeToolPath = TestTools().fakeEncoder;
    // An edit or a close stops the grab on the window's thread: it must not wait out a grace.
    CToolProcessBase::SetStopGraceForTests(60000);
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().c);
    }
    ASSERT_TRUE(WaitUntil([&] { return !View().IsLoading(); }, 60000));
    ASSERT_EQ(1, List().GetMediaItemCount());
    WaitUntil([] { return false; }, 1000);
    ASSERT_TRUE(View().AreThumbnailsRunning()) << "the grab hangs";
    DWORD began = GetTickCount();
    View().StopUpdateThreads();
    EXPECT_FALSE(View().AreThumbnailsRunning());
    EXPECT_LT(GetTickCount() - began, 10000u) << "the stopped grab is ended at once";
    CMediaItem* item = List().GetMediaItem(0);
    EXPECT_FALSE(item->StateFlags & MEDIA_STATE_THUMBNAIL_READY) << "a stopped grab settles nothing";
    EXPECT_FALSE(item->Thumbnail.IsValid());

    // The next thumbnail threads try the item again, with a working encoder this time.
    UseTestTools(s_app->Resources());
    View().StartUpdateThreads();
    ASSERT_TRUE(WaitUntil([&] { return !View().AreThumbnailsRunning(); }, 60000));
    EXPECT_TRUE(item->StateFlags & MEDIA_STATE_THUMBNAIL_READY);
    EXPECT_TRUE(item->Thumbnail.IsValid());
}

// Removing an item stops the thumbnail threads, and the wait for them takes what the load thread
// sends meanwhile: an address opened in place of the list can arrive then. The item chosen is
// gone with the list it was in; the address that took its place is not removed for it.
TEST_F(PlaylistView, AnItemRemovedWhileAnAddressReplacesTheListTakesNothingElseWithIt)
{
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().a);
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(2, List().GetMediaItemCount());
    const CString folder = MakeAwkwardFolder(L"remove-while-replaced");
    const CString json = folder + L"\\answer.json", release = folder + L"\\release";
    ASSERT_TRUE(WriteUtf8File(json, kFakeAudioProbeJson));
    ASSERT_TRUE(WriteFakeProbeScript(L"stdout_file " + json + L"\nwait_file " + release + L"\n"));
    s_app->Resources()->probeToolPath = TestTools().fakeProbe;
    const CString address = L"http://127.0.0.1:9/in place of the list.mp3";
    ASSERT_EQ(1, View().OpenAddress(address));
    // Thumbnail threads that take a while to stop, as a grab of a slow file does.
    const CString grabs = folder + L"\\grabs.txt";
    ASSERT_TRUE(WriteFakeEncoderScript(L"hang\npid_file " + grabs + L"\n"));
    s_app->Resources()->encodeToolPath = TestTools().fakeEncoder;
    View().StartUpdateThreads();
    ASSERT_TRUE(View().AreThumbnailsRunning());
    // Both threads have their item and hang in its grab: nothing but the load thread sends to
    // this thread from here on.
    ASSERT_TRUE(WaitUntil([&] { return enginetest::ReadPids(grabs).size() == 2; }, 60000));
    // The address is known: the load thread hands it over and waits for this thread to take it,
    // which it does only in the wait for the thumbnail threads inside RemoveItem.
    ASSERT_TRUE(WriteUtf8File(release, L"go"));
    const DWORD began = GetTickCount();
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && GetTickCount() - began < 60000)
        Sleep(10);
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) << "the load thread hands the address over";
    EXPECT_EQ(-1, View().RemoveItem(0, TRUE)) << "the item chosen went with the list";
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(1, List().GetMediaItemCount());
    EXPECT_STREQ(address, List().GetMediaItem(0)->Path);
    UseTestTools(s_app->Resources());
}

TEST_F(PlaylistView, AnAddressWhoseServerNeverAnswersCostsAWaitNotTheSession)
{
    // The server takes the request, sends its header and then nothing: the real probe would
    // wait for the rest for good. Its lifetime ends the stall long after the limit.
    CLoopbackHttpServer server(64, 90000);
    LoopbackRoute stalled;
    stalled.path = "/stalled.mp4";
    stalled.body.assign(4 * 1024 * 1024, 'x');
    stalled.stallAfter = 0;
    server.AddRoute(stalled);
    ASSERT_TRUE(server.Start());
    const CString url = server.Url("/stalled.mp4");
    CToolTimeLimit::SetLimitForTests(3000);

    // A plain playlist is read on this thread, its entries probed one after another.
    CString m3u = MakeAwkwardFolder(L"stalled-address") + L"\\radio.m3u";
    ASSERT_TRUE(WriteUtf8File(m3u, TestClips().b + L"\r\n" + url + L"\r\n" + TestClips().c + L"\r\n"));
    DWORD began = GetTickCount();
    EXPECT_EQ(3, View().OpenPlaylist(m3u, 0, 0));
    ASSERT_TRUE(WaitLoaded(45000));
    EXPECT_LT(GetTickCount() - began, 30000u) << "the address gets its time, then the rest is read";
    ASSERT_EQ(3, List().GetMediaItemCount()) << "the entry stays, unprobed, in its place";
    EXPECT_STREQ(url, List().GetMediaItem(1)->Path);
    EXPECT_FALSE(List().GetMediaItem(1)->Flags & MEDIA_FILE_PROBED);
    EXPECT_TRUE(List().GetMediaItem(2)->Flags & MEDIA_FILE_PROBED);
    ASSERT_TRUE(WaitThumbnails(60000));

    // Its information is asked for in a dialog, which gives up after the same time.
    {
        CMediaInfoDlg dlg(List().GetMediaItem(1));
        began = GetTickCount();
        ASSERT_TRUE(dlg.Create(IDD_MEDIA_INFO, nullptr));
        ASSERT_TRUE(WaitUntil([&] { return !dlg.IsReading(); }, 45000));
        EXPECT_LT(GetTickCount() - began, 30000u);
        EXPECT_EQ(0, dlg.m_list.GetItemCount());
        dlg.DestroyWindow();
    }

    // Queued, it holds the load thread only as long: the path behind it still comes in.
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(url + L"?again");
        View().AddPath(TestClips().a);
    }
    ASSERT_TRUE(WaitLoaded(45000)) << "the load does not stay stuck on the address";
    ASSERT_EQ(4, List().GetMediaItemCount());
    EXPECT_STREQ(TestClips().a, List().GetMediaItem(3)->Path);
    EXPECT_GE(server.ConnectionCount(), 3);
    server.Stop();
}

TEST_F(PlaylistView, AddressesAndDropsAddOrReplace)
{
    CString longPath = L"C:\\";
    while (longPath.GetLength() < 1500)
        longPath += L"very long folder name\\";
    longPath += L"clip.mp4";
    {
        CPlaylistEditGuard guard(&View(), 1);
        HDROP drop = MakeDrop({TestClips().b, longPath});
        EXPECT_EQ(2, View().AddDroppedFiles(drop, false));
        GlobalFree(drop);
        std::vector<CString> pending = View().GetPendingPaths();
        ASSERT_EQ(2u, pending.size());
        EXPECT_STREQ(longPath, pending[1]) << "a dropped path is read at its full length";
        EXPECT_EQ(1, View().AddPath(L"http://127.0.0.1:9/a.mp4")) << "an address is queued like a file";
        EXPECT_EQ(3, View().GetPendingCount());
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(1, List().GetMediaItemCount());

    // Dropped on the view itself: added; with Shift it would replace. Here: replace by hand.
    HDROP drop = MakeDrop({s_ten.folder, TestClips().a});
    EXPECT_EQ(11, View().AddDroppedFiles(drop, true));
    GlobalFree(drop);
    EXPECT_EQ(0, View().m_nAwaitedIndex);
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(11, List().GetMediaItemCount()) << "the earlier item went";
    EXPECT_EQ(0, FirstPlayedTitle().Find(List().GetMediaItem(0)->Title + L" - 1/")) << "the first dropped item plays";
    Play().StopAndRemember(0);

    // Message 0x4C8 only through this program's own hand-over.
    int count = List().GetMediaItemCount();
    HDROP mine = MakeDrop({s_app->Settings().GetDefaultPlaylistPath() + L".missing.mp4"});
    View().SendMessage(WM_ADD_DROPPED_FILES, (WPARAM)mine, 0);
    EXPECT_EQ(0, View().GetPendingCount()) << "a bare message is refused";
    {
        CPlaylistEditGuard guard(&View(), 1);
        CMediaPlaylistView::SendDroppedFiles(View().m_hWnd, mine);
        EXPECT_EQ(1, View().GetPendingCount());
    }
    GlobalFree(mine);
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(count, List().GetMediaItemCount());
}

TEST_F(PlaylistView, APlaylistOpensAtItsLastItemWhenResumingAndSavesWithIt)
{
    CString folder = MakeAwkwardFolder(L"playlist-files");
    {
        CPlaylistEditGuard guard(&View(), 0);
        for (int i = 0; i < 5; ++i)
            View().AddPath(s_ten.clips[i]);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_TRUE(WaitThumbnails());
    View().m_nLastItem = 3;
    CString saved = folder + L"\\five";
    EXPECT_EQ(5, View().SavePlaylist(saved, 1, 1));
    EXPECT_TRUE(FileExists(saved + L".playlist")) << "the extension is added";
    EXPECT_STREQ(saved + L".playlist", s_app->Settings().recentPlaylists.GetAt(0));
    EXPECT_EQ(5, View().SavePlaylist(folder + L"\\five.m3u", 0, 0));
    EXPECT_EQ(-1, View().SavePlaylist(folder + L"\\five.txt", 0, 0));

    s_app->Settings().resumeInterrupted = 1;
    EXPECT_EQ(5, View().OpenPlaylist(saved + L".playlist", 0, 0));
    EXPECT_EQ(0, View().m_nModified);
    EXPECT_EQ(-1, View().m_nLastItem);
    EXPECT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == List().GetMediaItem(3); }, 10000))
        << "item 3 starts once it is in";
    Play().StopAndRemember(0);
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(5, ThumbnailsIn()) << "the saved thumbnails came back with the items";

    s_app->Settings().resumeInterrupted = 0;
    EXPECT_EQ(5, View().OpenPlaylist(saved + L".playlist", 0, 0));
    WaitUntil([] { return false; }, 500);
    EXPECT_FALSE(Play().HasSession()) << "without resuming and playFirst nothing plays";
    EXPECT_EQ(5, View().OpenPlaylist(folder + L"\\five.m3u", 1, 0));
    EXPECT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == List().GetMediaItem(0); }, 10000));
    Play().StopAndRemember(0);
    EXPECT_EQ(0, View().OpenPlaylist(folder + L"\\none.playlist", 1, 0));
}

TEST_F(PlaylistView, RemovingThePlayingItemStopsItWithoutTheAfterPlaybackSteps)
{
    s_app->Settings().autoCloseWindow = 1;
    s_app->Settings().repeat = 2;
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().b);
        View().AddPath(TestClips().a);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(0, View().PlayItem(1, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying(); }, 30000));
    EXPECT_EQ(0, View().RemoveItem(1, 1));
    EXPECT_FALSE(Play().HasSession());
    EXPECT_TRUE(Play().GetCurrentItem() == nullptr);
    EXPECT_EQ(1, List().GetMediaItemCount());
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(0, s_frame->closeRequests);
    EXPECT_FALSE(Play().HasSession()) << "Repeat All did not go on to another item";
    EXPECT_EQ(-1, View().RemoveItem(5, 1));
    EXPECT_EQ(-1, View().PlayItem(7, 1));
}

TEST_F(PlaylistView, APowerOffAfterPlaybackKeepsThePlaylistAndTheSettingsFirst)
{
    // The power-off is forced: the program gets no close, so nothing it keeps at a close may wait
    // for one.
    CPlayerSettings& s = s_app->Settings();
    CString defaultPath = KeepingTheLastPlaylist();
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().c);
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    s.shutdownAfterPlayback = 1;
    s.scanSubfolders = 1;  // changed since the settings were last written
    s_app->App().WriteProfileInt(L"Settings", L"ScanSubfolders", 0);
    int keptItems = -1;
    UINT keptScan = 99;
    s_onPowerOff = [&] {
        CPlaylistData kept(1);
        std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(defaultPath));
        keptItems = format && format->Load(defaultPath, kept) == 0 ? kept.GetCount() : -2;
        keptScan = s_app->App().GetProfileInt(L"Settings", L"ScanSubfolders", 99);
    };
    // The last item ends by itself; nothing follows it, so the computer is shut down.
    ASSERT_EQ(0, View().PlayItem(1, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return s_powerOffs > 0; }, 60000));
    EXPECT_EQ(1, s_powerOffs);
    EXPECT_EQ(2, keptItems) << "the playlist was written before the power-off";
    EXPECT_EQ(1u, keptScan) << "and the settings too";
    s.scanSubfolders = 0;
    s.loadLastPlaylist = 0;
    DeleteFileW(defaultPath);
}

// A forced power-off would lose the playlist's last change that could not be kept: the power-off
// is held and the user hears why, once, with the list still open. Once the list can be kept, the
// next end of playback powers the computer off.
TEST_F(PlaylistView, APowerOffWhoseSaveOfThePlaylistFailsIsHeldAndSaysWhy)
{
    CPlayerSettings& s = s_app->Settings();
    CString defaultPath = KeepingTheLastPlaylist();
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().c);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(1, View().SaveDefaultPlaylist()) << "one item written";
    const std::string saved = ReadBytes(defaultPath);
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    s.shutdownAfterPlayback = 1;
    {
        // Another program holds the file: it may be read, not replaced.
        CHandle held(CreateFileW(defaultPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        ASSERT_EQ(0, View().PlayItem(1, PLAYER_HOST_PLAY_VIEW));
        ASSERT_TRUE(WaitUntil([&] { return !s_boxes.empty() || s_powerOffs > 0; }, 60000));
        WaitUntil([] { return false; }, 300);
    }
    EXPECT_EQ(0, s_powerOffs) << "the power-off waits for a playlist that can be kept";
    ASSERT_EQ(1u, s_boxes.size());
    const CString held = L"\n\nThe computer was not shut down.";
    const CString start = L"Cannot save playlist file:\n" + defaultPath + L"\n\n";
    EXPECT_TRUE(s_boxes[0] == start + GetSystemErrorText(ERROR_SHARING_VIOLATION) + held ||
                s_boxes[0] == start + GetSystemErrorText(ERROR_ACCESS_DENIED) + held)
        << CStringA(s_boxes[0]).GetString();
    EXPECT_EQ(saved, ReadBytes(defaultPath)) << "the last playlist saved stays whole";
    EXPECT_EQ(1, s_frame->playlistViewShown) << "the list is shown, still open";
    EXPECT_EQ(2, List().GetMediaItemCount());

    ASSERT_EQ(0, View().PlayItem(1, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return s_powerOffs > 0; }, 60000));
    EXPECT_EQ(1u, s_boxes.size());
    CPlaylistData kept(1);
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(defaultPath));
    ASSERT_TRUE(format && format->Load(defaultPath, kept) == 0);
    EXPECT_EQ(2, kept.GetCount()) << "the change is kept before the power-off";
    s.loadLastPlaylist = 0;
    DeleteFileW(defaultPath);
}

TEST_F(PlaylistView, ClosingSavesTheDefaultPlaylistOnceAndEmptiesTheThumbnailFolder)
{
    CPlayerSettings& s = s_app->Settings();
    CString defaultPath = KeepingTheLastPlaylist();

    CTestPlaylist items;
    CMediaPlaylistView* view = MakeOwnView(&items);
    ASSERT_TRUE(view != nullptr);
    {
        CPlaylistEditGuard guard(view, 0);
        view->AddPath(TestClips().b);
        view->AddPath(TestClips().c);
    }
    ASSERT_TRUE(WaitUntil([&] { return !view->IsLoading() && !view->AreThumbnailsRunning(); }, 120000));
    ASSERT_EQ(2, items.GetMediaItemCount());
    CString thumbnail = items.GetMediaItem(0)->ThumbnailFile;
    ASSERT_TRUE(FileExists(thumbnail));
    view->DestroyWindow();  // deletes the view
    ASSERT_TRUE(FileExists(defaultPath));
    CPlaylistData loaded(1);
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(defaultPath));
    ASSERT_EQ(0, format->Load(defaultPath, loaded));
    EXPECT_EQ(2, loaded.GetCount());
    EXPECT_TRUE(FileExists(thumbnail)) << "thumbnails saved as files stay for the next start";

    // An empty playlist: saved with no items, and the thumbnail folder goes.
    CTestPlaylist none;
    view = MakeOwnView(&none);
    ASSERT_TRUE(view != nullptr);
    items.Clear();  // the items and their thumbnail files go
    view->DestroyWindow();
    CPlaylistData empty(1);
    ASSERT_EQ(0, format->Load(defaultPath, empty));
    EXPECT_EQ(0, empty.GetCount());
    EXPECT_FALSE(FileExists(s.tempFolder)) << "nothing of the program's is left in the thumbnail folder";
    DeleteFileW(defaultPath);
}

TEST_F(PlaylistView, ClosingWhileALongListLoadsEndsAtOnceAndKeepsTheRestForTheNextStart)
{
    CPlayerSettings& s = s_app->Settings();
    CString defaultPath = KeepingTheLastPlaylist();
    CString notes = s_ten.folder + L"\\notes.txt";
    ASSERT_TRUE(WriteUtf8File(notes, L"no media"));
    std::vector<CString> queued = s_ten.clips;
    queued.insert(queued.begin() + 3, notes);

    CString log = UseFakeProbe(20000);
    CToolProcessBase::SetStopGraceForTests(60000);
    CTestPlaylist items;
    CMediaPlaylistView* view = MakeLoadingView(&items, queued);
    ASSERT_TRUE(view != nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ProbeRuns(log) == 1; }, 30000));
    DWORD began = GetTickCount();
    view->DestroyWindow();
    EXPECT_LT(GetTickCount() - began, 10000u) << "the close waits for no probe";

    CPlaylistData kept(1);
    ASSERT_EQ(0, CXmlPlaylistFormat().Load(defaultPath, kept));
    std::vector<CString> keptPaths;
    for (int i = 0; i < kept.GetCount(); ++i) {
        keptPaths.push_back(kept.GetAt(i)->Path);
        EXPECT_EQ(0, kept.GetAt(i)->MediaInfo.GetStreamCount()) << "a plain entry, nothing probed";
    }
    EXPECT_EQ(queued, keptPaths) << "the paths not loaded yet are kept in their order";

    // The next start opens them as the paths they were: what is no media is dropped then.
    UseTestTools(s_app->Resources());
    CTestPlaylist again;
    view = MakeOwnView(&again);
    ASSERT_TRUE(view != nullptr);
    EXPECT_EQ((int)queued.size(), view->OpenPlaylist(defaultPath, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return !view->IsLoading() && view->GetPendingCount() == 0; }, 120000));
    EXPECT_EQ(s_ten.clips, PathsOf(again));
    s.loadLastPlaylist = 0;
    view->DestroyWindow();
    DeleteFileW(defaultPath);
    DeleteFileW(notes);
}

TEST_F(PlaylistView, AnEntryWhoseProbeEndsAsTheWindowClosesIsSavedWithTheRest)
{
    CString defaultPath = KeepingTheLastPlaylist();
    // A probe that answers only once the test lets it.
    CString folder = MakeAwkwardFolder(L"probe-ends-at-close");
    CString json = folder + L"\\answer.json", log = folder + L"\\runs.txt", release = folder + L"\\release";
    ASSERT_TRUE(WriteUtf8File(json, kFakeAudioProbeJson));
    ASSERT_TRUE(WriteFakeProbeScript(L"stdout_file " + json + L"\nlog " + log + L"\nwait_file " + release + L"\n"));
    s_app->Resources()->probeToolPath = TestTools().fakeProbe;
    std::vector<CString> queued(s_ten.clips.begin(), s_ten.clips.begin() + 3);
    CTestPlaylist items;
    CMediaPlaylistView* view = MakeLoadingView(&items, queued);
    ASSERT_TRUE(view != nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ProbeRuns(log) == 1; }, 30000)) << "the first probe runs";

    // The probe ends while this thread takes no message: the load thread's hand-over of the
    // probed entry waits for the window, and the window closes before it takes it.
    ASSERT_TRUE(WriteBytes(release, ""));
    bool handOverWaits = false;
    for (DWORD began = GetTickCount(); !handOverWaits && GetTickCount() - began < 60000; Sleep(20))
        handOverWaits = (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
    ASSERT_TRUE(handOverWaits) << "the probed entry never came to the window";
    view->DestroyWindow();
    EXPECT_EQ(0, items.GetMediaItemCount()) << "the window took nothing in while closing";

    CPlaylistData kept(1);
    ASSERT_EQ(0, CXmlPlaylistFormat().Load(defaultPath, kept));
    std::vector<CString> keptPaths;
    for (int i = 0; i < kept.GetCount(); ++i)
        keptPaths.push_back(kept.GetAt(i)->Path);
    EXPECT_EQ(queued, keptPaths) << "every entry is saved, the one just probed among them";
    if (kept.GetCount() > 0) {
        EXPECT_TRUE(kept.GetAt(0)->Flags & MEDIA_FILE_PROBED) << "with what its probe said";
    }
    UseTestTools(s_app->Resources());
    s_app->Settings().loadLastPlaylist = 0;
    DeleteFileW(defaultPath);
}

TEST_F(PlaylistView, AThumbnailFileLivesAsLongAsAnItemOrTheDefaultPlaylistNamesIt)
{
    CPlayerSettings& s = s_app->Settings();
    CString defaultPath = KeepingTheLastPlaylist();
    const CString ownTemp = s.tempFolder;
    s.tempFolder = MakeAwkwardFolder(L"thumbnail-lifetime") + L"\\Thumbnails";
    // Left by an earlier session that nothing names any more.
    CString stray = s.MakeTempFilePath();
    ASSERT_TRUE(WriteBytes(stray, "an old thumbnail"));
    // A playlist whose first item brings its picture with it, embedded.
    std::unique_ptr<CMediaItem> pictured = OpenItem(TestClips().b);
    ASSERT_TRUE(pictured != nullptr);
    MakeTestPicture(pictured->Thumbnail, 96, 54);
    CPlaylistData written(1);
    written.Add(pictured.release());
    written.AddPath(TestClips().c);
    CString embedded = GetParentFolder(s.tempFolder) + L"\\pictured.playlist";
    ASSERT_EQ(0, CXmlPlaylistFormat().Save(embedded, written, 1));

    // Views with the program's own item window, which deletes the items it holds at its end.
    auto openView = [&](LPCWSTR playlist) {
        CMediaPlaylistView* view = MakeOwnView(nullptr);
        if (!view) {
            ADD_FAILURE() << "no view";
            return view;
        }
        EXPECT_EQ(2, view->OpenPlaylist(playlist, 0, 0));
        EXPECT_TRUE(WaitUntil([&] { return !view->IsLoading() && !view->AreThumbnailsRunning(); }, 120000));
        return view;
    };
    auto thumbnailFile = [](CMediaPlaylistView* view, int index) {
        CMediaItem* item = view->GetItemWindow()->GetMediaItem(index);
        return item ? item->ThumbnailFile : CString();
    };

    CMediaPlaylistView* view = openView(embedded);
    ASSERT_TRUE(view != nullptr);
    CString grabbed = thumbnailFile(view, 1);
    ASSERT_TRUE(FileExists(grabbed)) << "the second item's frame was grabbed";
    view->DestroyWindow();
    CString written0, written1;
    {
        CPlaylistData kept(1);
        ASSERT_EQ(0, CXmlPlaylistFormat().Load(defaultPath, kept));
        ASSERT_EQ(2, kept.GetCount());
        written0 = kept.GetAt(0)->ThumbnailFile;
        written1 = kept.GetAt(1)->ThumbnailFile;
    }
    EXPECT_TRUE(FileExists(written0)) << "the embedded picture was kept as a file the default playlist names";
    EXPECT_EQ(grabbed, written1);
    EXPECT_TRUE(FileExists(grabbed)) << "a grabbed thumbnail the default playlist names stays for the next start";
    EXPECT_FALSE(FileExists(stray)) << "a file nothing names goes";

    // The next start shows them without grabbing again; an item removed leaves its file to the
    // default playlist on disk until that no longer names it.
    ASSERT_TRUE(WriteFakeEncoderScript(L"exit 1\n"));
    s_app->Resources()->encodeToolPath = TestTools().fakeEncoder;
    view = openView(defaultPath);
    ASSERT_TRUE(view != nullptr);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(view->GetItemWindow()->GetMediaItem(i)->Thumbnail.IsValid()) << i;
    EXPECT_EQ(0, view->RemoveItem(0, 1));
    EXPECT_TRUE(FileExists(written0));
    view->DestroyWindow();
    EXPECT_FALSE(FileExists(written0)) << "named by nothing once the playlist was saved without it";
    EXPECT_TRUE(FileExists(grabbed));

    // An emptied playlist names nothing: nothing of the program's is left.
    view = MakeOwnView(nullptr);
    ASSERT_TRUE(view != nullptr);
    EXPECT_EQ(1, view->OpenPlaylist(defaultPath, 0, 0));
    {
        CPlaylistEditGuard guard(view, 1);
        view->RemoveAllItems();
    }
    view->DestroyWindow();
    EXPECT_FALSE(FileExists(grabbed));
    EXPECT_FALSE(FileExists(s.tempFolder)) << "the folder the program made goes when it is empty";
    s.loadLastPlaylist = 0;
    s.tempFolder = ownTemp;
    DeleteFileW(defaultPath);
}

TEST_F(PlaylistView, TheAwaitedItemIsSetOnlyForWhatWasAcceptedAndWithinTheList)
{
    // A replacing drop of nothing that can be played awaits nothing: the next file added does not
    // start by itself.
    HDROP drop = MakeDrop({TestClips().folder + L"\\picture.jpg"});
    EXPECT_EQ(0, View().AddDroppedFiles(drop, true));
    GlobalFree(drop);
    EXPECT_EQ(-1, View().m_nAwaitedIndex);
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    EXPECT_FALSE(Play().HasSession()) << "an added file started by itself";

    // A last item beyond the playlist's items is no item to resume.
    CPlaylistData written(1);
    written.AddPath(TestClips().b);
    written.AddPath(TestClips().c);
    written.LastItem = 7;
    CString path = MakeAwkwardFolder(L"last-item") + L"\\beyond.playlist";
    ASSERT_EQ(0, CXmlPlaylistFormat().Save(path, written, 1));
    s_app->Settings().resumeInterrupted = 1;
    EXPECT_EQ(2, View().OpenPlaylist(path, 0, 0));
    EXPECT_EQ(-1, View().m_nAwaitedIndex);
    ASSERT_TRUE(WaitLoaded());
    EXPECT_FALSE(Play().HasSession());
    EXPECT_EQ(2, View().OpenPlaylist(path, 1, 0));
    EXPECT_EQ(0, View().m_nAwaitedIndex) << "playing the first is still asked for";
    EXPECT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == List().GetMediaItem(0) && List().GetMediaItem(0); }, 30000));
    Play().StopAndRemember(0);
}

TEST_F(PlaylistView, APlaylistThatCannotBeReadLeavesTheListAsItWasAndSaysWhy)
{
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().b);
    }
    ASSERT_TRUE(WaitLoaded());
    View().m_nModified = 1;
    CString folder = MakeAwkwardFolder(L"unreadable-playlists");
    CString malformed = folder + L"\\cut.playlist", binary = folder + L"\\picture.m3u", locked = folder + L"\\held.pls";
    ASSERT_TRUE(WriteBytes(malformed, "<?xml version=\"1.0\"?><Playlists><Playlist><Item>"));
    ASSERT_TRUE(WriteBytes(binary, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20) + "C:\\x.mp4\n"));
    ASSERT_TRUE(WriteBytes(locked, "[playlist]\nNumberOfEntries=1\nFile1=C:\\x.mp4\n"));
    CHandle hold(CreateFileW(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold.IsValid());
    int recent = s_app->Settings().recentPlaylists.GetCount();

    EXPECT_EQ(0, View().OpenPlaylist(malformed, 1, 1));
    EXPECT_EQ(0, View().OpenPlaylist(binary, 1, 1));
    EXPECT_EQ(0, View().OpenPlaylist(locked, 1, 1));
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(std::vector<CString>{TestClips().b}, Paths()) << "the playlist stays as it was";
    EXPECT_EQ(1, View().m_nModified);
    EXPECT_EQ(recent, s_app->Settings().recentPlaylists.GetCount());
    EXPECT_FALSE(Play().HasSession());
    ASSERT_EQ(3u, s_boxes.size());
    EXPECT_NE(-1, s_boxes[0].Find(L"is not a valid playlist file")) << CStringA(s_boxes[0]).GetString();
    EXPECT_NE(-1, s_boxes[0].Find(malformed));
    EXPECT_NE(-1, s_boxes[1].Find(L"is not a valid playlist file")) << CStringA(s_boxes[1]).GetString();
    EXPECT_NE(-1, s_boxes[2].Find(L"Cannot read playlist file")) << CStringA(s_boxes[2]).GetString();
    EXPECT_NE(-1, s_boxes[2].Find(locked));
}

}  // namespace

namespace {

// Bytes of no text file: none is a NUL, and every line of them holds a control character, so that
// no line can name a file.
std::string GarbageWithoutNul(size_t size)
{
    std::string bytes;
    unsigned seed = 12345;
    while (bytes.size() < size) {
        seed = seed * 1103515245u + 12345u;
        char c = (char)(1 + (seed >> 16) % 255);
        // A line break starts a new line: the byte after it is a control character.
        if (c == '\n' || c == '\r')
            bytes += "\n\x01";
        else
            bytes += c;
    }
    return bytes;
}

TEST_F(PlaylistView, APlaylistFileThatYieldsNoEntryLeavesTheListAsItWasAndSaysSo)
{
    std::vector<CString> four(s_ten.clips.begin(), s_ten.clips.begin() + 4);
    {
        CPlaylistEditGuard guard(&View(), 0);
        for (const CString& path : four)
            View().AddPath(path);
    }
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(four, Paths());
    View().m_nModified = 0;
    CString folder = MakeAwkwardFolder(L"useless-playlists");
    CString empty = folder + L"\\empty.m3u", header = folder + L"\\header only.m3u", garbage = folder + L"\\noise.m3u";
    CString random = folder + L"\\random.m3u", prose = folder + L"\\prose.m3u", values = folder + L"\\prose.pls";
    ASSERT_TRUE(WriteBytes(empty, ""));
    ASSERT_TRUE(WriteBytes(header, "#EXTM3U\r\n# made by hand, nothing in it yet\r\n"));
    ASSERT_TRUE(WriteBytes(garbage, GarbageWithoutNul(4096)));
    // Bytes of some other file whose lines may be anything, short ones like "!" among them.
    std::string bytes;
    for (unsigned seed = 99; bytes.size() < 64 * 1024;) {
        seed = seed * 1103515245u + 12345u;
        bytes += (char)(1 + (seed >> 16) % 255);
    }
    ASSERT_TRUE(WriteBytes(random, bytes));
    ASSERT_TRUE(WriteBytes(prose, "Dear diary, today was long!\r\nWe went out; it rained.\r\nMore tomorrow...\r\n"));
    ASSERT_TRUE(WriteBytes(values, "[playlist]\r\nNumberOfEntries=2\r\nFile1=Dear diary!\r\nFile2=It rained.\r\n"));
    const std::vector<CString> useless = {empty, header, garbage, random, prose, values};
    for (const CString& file : useless) {
        CPlaylistData read(1);
        std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(file));
        ASSERT_EQ(0, format->Load(file, read)) << "each file reads";
        EXPECT_EQ(0, read.GetCount()) << "and yields no entry: " << CStringA(file).GetString();
    }
    int recent = s_app->Settings().recentPlaylists.GetCount();

    for (const CString& file : useless)
        EXPECT_EQ(0, View().OpenPlaylist(file, 1, 1));
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(four, Paths()) << "the list stays as it was";
    EXPECT_EQ(0, View().m_nModified) << "nothing changed that a close would have to save";
    EXPECT_EQ(recent, s_app->Settings().recentPlaylists.GetCount());
    EXPECT_FALSE(Play().HasSession());
    ASSERT_EQ(useless.size(), s_boxes.size()) << "each file is answered with a message";
    int n = 0;
    for (const CString& file : useless) {
        EXPECT_NE(-1, s_boxes[n].Find(file)) << CStringA(s_boxes[n]).GetString();
        EXPECT_NE(-1, s_boxes[n].Find(L"holds no playlist entries")) << CStringA(s_boxes[n]).GetString();
        ++n;
    }

    // Dropped in place of the list, they are said as well, and the list stays.
    s_boxes.clear();
    HDROP drop = MakeDrop({prose, random});
    EXPECT_EQ(0, View().AddDroppedFiles(drop, true));
    GlobalFree(drop);
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(four, Paths());
    EXPECT_EQ(0, View().m_nModified);
    EXPECT_EQ(2u, s_boxes.size());
}

}  // namespace

namespace {

TEST_F(PlaylistView, AMissingFileSettlesAtOnceWithoutAProbeAndAnAddressIsStillProbed)
{
    CString log = UseFakeProbe(0);
    CString folder = MakeAwkwardFolder(L"missing-files");
    const CString address = L"http://127.0.0.1:9/still probed.mp4";
    // A plain list of files long gone, one address among them and one clip that is there.
    std::vector<CString> listed;
    CString text = L"#EXTM3U\r\n";
    for (int i = 0; i < 40; ++i) {
        CString missing;
        missing.Format(L"%s\\gone\\clip %02d.mp4", folder.GetString(), i);
        listed.push_back(missing);
        if (i == 20)
            listed.push_back(address);
    }
    listed.push_back(TestClips().b);
    for (const CString& path : listed)
        text += path + L"\r\n";
    CString m3u = folder + L"\\long gone.m3u";
    ASSERT_TRUE(WriteUtf8File(m3u, text));

    EXPECT_EQ((int)listed.size(), View().OpenPlaylist(m3u, 0, 0));
    ASSERT_TRUE(WaitLoaded());
    ASSERT_EQ(listed, Paths()) << "every entry is in, in its place";
    EXPECT_EQ((std::vector<CString>{address, TestClips().b}), ProbedPaths(log)) << "only what may be there is probed";
    for (int i = 0; i < List().GetMediaItemCount(); ++i) {
        CMediaItem* item = List().GetMediaItem(i);
        if (item->Path == address || item->Path == TestClips().b)
            continue;
        EXPECT_TRUE(item->StateFlags & MEDIA_STATE_FILE_MISSING) << i;
        EXPECT_FALSE(item->Flags & MEDIA_FILE_PROBED) << i;
    }

    // The same entries in a playlist of the program's own that knows nothing of them yet, as
    // the last playlist that a close during such a load leaves for the next start.
    CPlaylistData plain(1);
    for (const CString& path : listed)
        plain.AddPath(path);
    CString xml = folder + L"\\long gone.playlist";
    ASSERT_EQ(0, CXmlPlaylistFormat().Save(xml, plain, 0));
    ASSERT_TRUE(WriteUtf8File(log, L""));
    EXPECT_EQ((int)listed.size(), View().OpenPlaylist(xml, 0, 0));
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(listed, Paths());
    EXPECT_EQ((std::vector<CString>{address, TestClips().b}), ProbedPaths(log));

    // A missing file added by itself is dropped as a file that is no media is, without a probe.
    ASSERT_TRUE(WriteUtf8File(log, L""));
    {
        CPlaylistEditGuard guard(&View(), 0);
        EXPECT_EQ(1, View().AddPath(folder + L"\\gone\\added.mp4"));
    }
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(listed, Paths());
    EXPECT_TRUE(ProbedPaths(log).empty());
}

}  // namespace

namespace {

// The media information of an item that a replaced list deletes while the dialog reads it: the
// dialog neither writes into the item nor reads from it once it is gone, not even when a new item
// is made where the old one was (the test makes one there, as the heap would).
TEST_F(PlaylistView, MediaInformationReadWhileTheListIsReplacedTouchesNoItemThatIsGone)
{
    CString folder = MakeAwkwardFolder(L"info-while-replaced");
    CString json = folder + L"\\answer.json", log = folder + L"\\runs.txt", answer = folder + L"\\answer now";
    ASSERT_TRUE(WriteUtf8File(json, kFakeAudioProbeJson));
    ASSERT_TRUE(WriteFakeProbeScript(L"stdout_file " + json + L"\nlog " + log + L"\nwait_file " + answer + L"\n"));
    s_app->Resources()->probeToolPath = TestTools().fakeProbe;
    const std::vector<CString> before = {TestClips().b, TestClips().c, folder + L"\\third.mp4"};
    for (const CString& path : before) {
        std::unique_ptr<CMediaItem> item(new CMediaItem);
        item->Path = path;  // not probed: the dialog reads it
        List().Add(std::move(item));
    }
    std::vector<std::unique_ptr<CMediaItem>> madeWhereTheOldWere;
    List().release = [&](CMediaItem* gone) {
        gone->~CMediaItem();
        new (gone) CMediaItem;
        gone->Path = L"another file";
        madeWhereTheOldWere.emplace_back(gone);
    };

    CMediaInfoDlg dlg(List().GetMediaItem(1));
    ASSERT_TRUE(dlg.Create(IDD_MEDIA_INFO, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return ProbeRuns(log) == 1; }, 30000)) << "the dialog's probe runs";
    EXPECT_TRUE(dlg.IsReading());

    // A playlist opened meanwhile replaces the list.
    const CString replacement = folder + L"\\replacement.m3u";
    const std::vector<CString> after = {folder + L"\\gone\\one.mp4", folder + L"\\gone\\two.mp4"};
    ASSERT_TRUE(WriteUtf8File(replacement, after[0] + L"\r\n" + after[1] + L"\r\n"));
    EXPECT_EQ(2, View().OpenPlaylist(replacement, 0, 0));
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(after, Paths());
    ASSERT_EQ(3u, madeWhereTheOldWere.size()) << "every old item was deleted";
    List().release = nullptr;

    ASSERT_TRUE(WriteBytes(answer, ""));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.IsReading(); }, 30000));
    for (const auto& other : madeWhereTheOldWere) {
        EXPECT_FALSE(other->Flags & MEDIA_FILE_PROBED) << "nothing is written where an item was";
        EXPECT_EQ(0, other->MediaInfo.GetStreamCount());
    }
    // What it read is still the dialog's to show, of the file it was opened on.
    CString shown;
    dlg.GetDlgItemText(IDC_MEDIA_INFO_PATH, shown);
    EXPECT_STREQ(before[1], shown);
    ASSERT_GE(dlg.m_list.GetItemCount(), 1);
    EXPECT_STREQ(L"File Name", dlg.m_list.GetItemText(0, 0));
    EXPECT_STREQ(before[1].Mid(before[1].ReverseFind(L'\\') + 1), dlg.m_list.GetItemText(0, 1));
    dlg.DestroyWindow();

    // An item that stays gets what its dialog read.
    CMediaInfoDlg stays(List().GetMediaItem(0));
    ASSERT_TRUE(stays.Create(IDD_MEDIA_INFO, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return !stays.IsReading(); }, 30000));
    stays.DestroyWindow();
    EXPECT_TRUE(List().GetMediaItem(0)->Flags & MEDIA_FILE_PROBED);
    EXPECT_EQ(1, List().GetMediaItem(0)->MediaInfo.GetStreamCount());
    UseTestTools(s_app->Resources());
}

// Who asks whether a file is there, and about what.
struct CFileQuestions {
    static DWORD windowThread;
    static LONG onWindowThread, elsewhere;
    static BOOL WINAPI Ask(LPCWSTR path)
    {
        InterlockedIncrement(GetCurrentThreadId() == windowThread ? &onWindowThread : &elsewhere);
        // Nothing on the share is there; it is never asked for real.
        if (path[0] == L'\\' && path[1] == L'\\')
            return FALSE;
        return ::PathFileExistsW(path);
    }
    CFileQuestions() : previous(SetPathExistsQuestionForTests(&Ask))
    {
        windowThread = GetCurrentThreadId();
        onWindowThread = elsewhere = 0;
    }
    ~CFileQuestions() { SetPathExistsQuestionForTests(previous); }
    PathExistsFn previous;
};
DWORD CFileQuestions::windowThread = 0;
LONG CFileQuestions::onWindowThread = 0;
LONG CFileQuestions::elsewhere = 0;

// Playlists of files that are gone, on this computer's disk and on a share, plain and of the
// program's own with what the probe once said of them: the window's thread asks nothing of any
// entry; the load thread asks once for each, and each is shown as what it is.
TEST_F(PlaylistView, TheWindowsThreadAsksNothingAboutTheFilesOfAPlaylist)
{
    CString log = UseFakeProbe(0);
    CString folder = MakeAwkwardFolder(L"window-asks-nothing");
    std::vector<CString> listed;
    for (int i = 0; i < 20; ++i) {
        CString path;
        if (i < 10)
            path.Format(L"%s\\gone\\clip %02d.mp4", folder.GetString(), i);
        else
            path.Format(L"\\\\media-server\\films\\clip %02d.mp4", i);
        listed.push_back(path);
    }
    listed.push_back(TestClips().b);
    CString text;
    for (const CString& path : listed)
        text += path + L"\r\n";
    CString m3u = folder + L"\\plain.m3u";
    ASSERT_TRUE(WriteUtf8File(m3u, text));
    CPlaylistData known(1);
    for (const CString& path : listed) {
        CMediaItem* item = known.AddPath(path);
        item->Flags = MEDIA_FILE_PROBED;
        CMediaStream* audio = new CMediaStream;
        audio->Type = MEDIA_STREAM_AUDIO;
        item->MediaInfo.AddStream(audio);
        item->MediaInfo.DurationInUs = 2000000;
        item->MediaInfo.Finalize();
    }
    CString xml = folder + L"\\known.playlist";
    ASSERT_EQ(0, CXmlPlaylistFormat().Save(xml, known, 0));

    for (const CString& playlist : {m3u, xml}) {
        CFileQuestions questions;
        EXPECT_EQ((int)listed.size(), View().OpenPlaylist(playlist, 0, 0));
        ASSERT_TRUE(WaitLoaded());
        EXPECT_EQ(0, questions.onWindowThread) << CStringA(playlist).GetString();
        EXPECT_EQ((LONG)listed.size(), questions.elsewhere) << "one question an entry";
        ASSERT_EQ(listed, Paths());
        for (int i = 0; i < List().GetMediaItemCount(); ++i) {
            CMediaItem* item = List().GetMediaItem(i);
            const bool there = item->Path == TestClips().b;
            EXPECT_EQ(!there, (item->StateFlags & MEDIA_STATE_FILE_MISSING) != 0) << i;
            EXPECT_TRUE(item->StateFlags & MEDIA_STATE_DISPLAY_READY) << i;
        }
    }
    EXPECT_EQ(std::vector<CString>{TestClips().b}, ProbedPaths(log)) << "only what is there is probed";
}

}  // namespace
