// The media playlist view with the real probe and encoder tools and clips made at test time:
// files, folders, addresses and drops added and opened, the load thread and the two thumbnail
// threads, edits while loading, slow and failing probes, playlists opened and saved, and the
// default playlist at close.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "player/MediaPlaylistView.h"
#include "player/PlayView.h"
#include "player/PlaylistData.h"
#include "player/PlaylistFormat.h"
#include "player/MediaInfoDlg.h"
#include "player/PlayerResource.h"
#include "player/ToolTimeLimit.h"
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

TEST_F(PlaylistView, EditingWhileLoadingLosesNoPathAndKeepsTheOrder)
{
    std::vector<CString> expected;
    {
        CPlaylistEditGuard guard(&View(), 0);
        for (int i = 0; i < 5; ++i) {
            View().AddPath(s_ten.clips[i]);
            expected.push_back(s_ten.clips[i]);
        }
    }
    ASSERT_TRUE(View().IsLoading());
    // Edits while the load thread works: more paths with loading going on, a stop and a restart
    // of loading, the first item taken out again.
    for (int i = 5; i < 10; ++i) {
        CPlaylistEditGuard guard(&View(), i % 2);
        View().AddPath(s_ten.clips[i]);
        expected.push_back(s_ten.clips[i]);
    }
    ASSERT_TRUE(WaitUntil([&] { return List().GetMediaItemCount() >= 2; }, 60000));
    EXPECT_EQ(0, View().RemoveItem(0, 1));
    expected.erase(expected.begin());
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(expected, Paths());
    ASSERT_TRUE(WaitThumbnails());
    EXPECT_EQ((int)expected.size(), ThumbnailsIn());
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

    // A probe that never ends: stopping the load thread ends it.
    ASSERT_TRUE(WriteFakeProbeScript(L"hang\n"));
    s_app->Resources()->probeToolPath = TestTools().fakeProbe;
    {
        CPlaylistEditGuard guard(&View(), 0);
        View().AddPath(TestClips().c);
    }
    ASSERT_TRUE(View().IsLoading());
    WaitUntil([] { return false; }, 500);
    DWORD began = GetTickCount();
    View().StopLoadThread();
    EXPECT_FALSE(View().IsLoading());
    EXPECT_LT(GetTickCount() - began, 9000u) << "the probe gets its grace and is ended";
    EXPECT_EQ(1, List().GetMediaItemCount());
}

TEST_F(PlaylistView, AHangingFrameGrabIsStoppedAndTheItemTriedAgainLater)
{
    ASSERT_TRUE(WriteFakeEncoderScript(L"hang\n"));
    s_app->Resources()->encodeToolPath = TestTools().fakeEncoder;
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
    EXPECT_LT(GetTickCount() - began, 9000u) << "the grab gets its grace and is ended";
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
    EXPECT_LT(GetTickCount() - began, 30000u) << "the address gets its time, then the rest is read";
    ASSERT_EQ(3, List().GetMediaItemCount()) << "the entry stays, unprobed, in its place";
    EXPECT_STREQ(url, List().GetMediaItem(1)->Path);
    EXPECT_FALSE(List().GetMediaItem(1)->Flags & MEDIA_FILE_PROBED);
    EXPECT_TRUE(List().GetMediaItem(2)->Flags & MEDIA_FILE_PROBED);
    ASSERT_TRUE(WaitThumbnails(60000));

    // Its information is asked for on this thread too.
    {
        CMediaInfoDlg dlg(List().GetMediaItem(1));
        began = GetTickCount();
        ASSERT_TRUE(dlg.Create(IDD_MEDIA_INFO, nullptr));
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
    s.loadLastPlaylist = 1;
    CString defaultPath = s.GetDefaultPlaylistPath();
    DeleteFileW(defaultPath);
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

TEST_F(PlaylistView, ClosingSavesTheDefaultPlaylistOnceAndEmptiesTheThumbnailFolder)
{
    CPlayerSettings& s = s_app->Settings();
    s.loadLastPlaylist = 1;
    CString defaultPath = s.GetDefaultPlaylistPath();
    DeleteFileW(defaultPath);

    // A view of its own in the frame, with a playlist of its own.
    CTestPlaylist items;
    CMediaPlaylistView* view = new CMediaPlaylistView;
    view->SetItemWindow(&items);
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 100, 100), s_frame.get(), 4000));
    ASSERT_TRUE(items.CreateWindowIn(view, CRect(0, 0, 100, 100)));
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
    view = new CMediaPlaylistView;
    view->SetItemWindow(&none);
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 100, 100), s_frame.get(), 4000));
    ASSERT_TRUE(none.CreateWindowIn(view, CRect(0, 0, 100, 100)));
    items.Clear();  // the items and their thumbnail files go
    view->DestroyWindow();
    CPlaylistData empty(1);
    ASSERT_EQ(0, format->Load(defaultPath, empty));
    EXPECT_EQ(0, empty.GetCount());
    EXPECT_FALSE(FileExists(s.tempFolder)) << "nothing of the program's is left in the thumbnail folder";
    DeleteFileW(defaultPath);
}

}  // namespace
