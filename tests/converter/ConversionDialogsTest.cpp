// The three conversion dialogs driven as a user would: the command line first, then the controls
// by messages. With the stand-in encoder (its arguments logged): tracks, cut, effects and volume
// on the encoder's command line, the GIF's passes, Stop, closing mid-conversion, progress records
// meant for another dialog, the listener's calls on the UI thread, power off through its stub.
// With the real tools: each mode with its defaults and with a chosen format and preset, a rotated
// and a flipped GIF, the completion actions in their order, and screenshots during conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

#include "ConverterTestSupport.h"

#include <shellapi.h>
#include <shlobj.h>

#include "conversion/MediaPreset.h"
#include "conversion/OutputNaming.h"
#include "conversion/PresetStore.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "converter/dialogs/AudioExtractorDialog.h"
#include "converter/dialogs/ConverterDialog.h"
#include "converter/dialogs/GifMakerDialog.h"
#include "engine/EncoderTool.h"
#include "engine/SystemHelpers.h"
#include "engine/ToolProcess.h"
#include "framework/Effects.h"
#include "image/RasterImage.h"
#include "tests/common/Screenshot.h"
#include "tests/conversion/ConversionTestSupport.h"
#include "toolkit/UpdateCheck.h"

using namespace convertertest;

namespace {

// What the replaced outside effects saw, in order, with the dialog's close among them.
std::mutex g_eventLock;
std::vector<CString> g_events;
std::vector<CString> g_messages;
std::vector<UINT> g_exits;

void Note(const CString& event)
{
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_events.push_back(event);
}

// A window whose visibility each message box notes, while it shows.
HWND g_watchedWindow = nullptr;
std::vector<bool> g_watchedShown;

int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_messages.push_back(text ? text : L"");
    if (g_watchedWindow)
        g_watchedShown.push_back(::IsWindowVisible(g_watchedWindow) != FALSE);
    return IDOK;
}

HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    Note(CString(L"shell|") + (operation ? operation : L"") + L"|" + (file ? file : L"") + L"|" +
         (parameters ? parameters : L""));
    return (HINSTANCE)42;
}

BOOL WINAPI RecordExitWindows(UINT flags, DWORD)
{
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_exits.push_back(flags);
    return TRUE;
}

// A dialog that notes from which thread the listener's calls come, the close, the job's end, and
// takes its screenshot at the first shown percentage.
template <class Base>
class CWatched : public Base {
public:
    CWatched() : ui(::GetCurrentThreadId()) {}

    void ShowStatusText(LPCWSTR status, LPCWSTR detail) override
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            texts.push_back({::GetCurrentThreadId(), CString(status ? status : L"") + L"|" + (detail ? detail : L"")});
        }
        Base::ShowStatusText(status, detail);
        // The shot once a percentage and the text of the same record are shown.
        if (::GetCurrentThreadId() == ui && m_percentShown && !shotName.IsEmpty() && shotPath.IsEmpty()) {
            this->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            shotPath = Shot(shotName, this->m_hWnd);
            shotTitle = this->GetTitleText();
        }
    }
    void SetProgress(__int64 position, __int64 range, int style) override
    {
        const bool onUi = ::GetCurrentThreadId() == ui;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            ++(onUi ? uiProgress : workerProgress);
        }
        Base::SetProgress(position, range, style);
        if (onUi && this->GetTitleText().Find(L'%') > 0 && position > 0)
            m_percentShown = true;
    }
    int OnJobDone() override
    {
        ++done;
        return Base::OnJobDone();
    }
    void OnCancel() override
    {
        Note(L"close");
        Base::OnCancel();
    }
    CString StatusBarText() { return this->m_statusBar.GetText(); }
    // How many pixels of the status bar are filled.
    int StatusBarFill()
    {
        CRect client;
        this->m_statusBar.GetClientRect(&client);
        return CStatusProgressBar::FilledWidth(client.Width(), this->m_statusBar.GetPosition(),
                                               this->m_statusBar.GetTotal());
    }

    const DWORD ui;
    std::vector<std::pair<DWORD, CString>> texts;
    int uiProgress = 0, workerProgress = 0, done = 0;
    CString shotName, shotPath, shotTitle;

private:
    std::mutex m_lock;
    bool m_percentShown = false;
};

using CConverter = CWatched<CConverterDialog>;
using CExtractor = CWatched<CAudioExtractorDialog>;
using CGifMaker = CWatched<CGifMakerDialog>;

// The options of a command line as the program would read them.
CCommandLineOptions ParseLine(const CString& line)
{
    CString whole = L"Ravento.exe " + line;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(whole, &argc);
    CCommandLineOptions options;
    options.Parse(argc, argv);
    ::LocalFree(argv);
    return options;
}

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

// The encoder runs in the stand-in's log whose command line names the text.
std::vector<CString> EncoderLines(const CString& log, const CString& containing)
{
    std::vector<CString> lines;
    for (const CString& line : enginetest::ReadLines(log))
        if (line.Find(L"cmdline: ") == 0 && line.Find(containing) >= 0)
            lines.push_back(line);
    return lines;
}

// A drop as the shell hands it over: a DROPFILES block with one wide path.
void DropOn(CWnd& dialog, const CString& path)
{
    const SIZE_T bytes = sizeof(DROPFILES) + (path.GetLength() + 2) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GHND, bytes);
    DROPFILES* drop = static_cast<DROPFILES*>(::GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), path.GetString(), path.GetLength() * sizeof(wchar_t));
    ::GlobalUnlock(block);
    dialog.SendMessage(WM_DROPFILES, (WPARAM)block);
}

class DialogTest : public ::testing::Test {
protected:
    void Install(const CString& app)
    {
        {
            std::lock_guard<std::mutex> lock(g_eventLock);
            g_events.clear();
            g_messages.clear();
            g_exits.clear();
        }
        m_oldBox = FwSetMessageBoxFunction(RecordMessageBox);
        m_oldShell = FwSetShellExecuteFunction(RecordShellExecute);
        m_oldExit = FwSetExitWindowsFunction(RecordExitWindows);
        std::unique_ptr<CStageEnvironment> environment(new CStageEnvironment(app));
        CStageEnvironment* raw = environment.get();
        m_app.reset(new CConverterTestApp(std::unique_ptr<CConverterEnvironment>(environment.release())));
        raw->Aim();
        CConverterSettings& s = m_app->Settings();
        s.autoCheckUpdate = 0;
        s.overwrite = FILE_EXISTS_RENAME_ALL;
        s.sameAsInput = 0;
        m_store.reset(new CTestStore);
        SetConverterPresetStore(m_store.get());
        m_out = MakeAwkwardFolder(L"out");
    }
    void TearDown() override
    {
        for (CWnd* dialog : m_open)
            if (dialog->m_hWnd)
                dialog->DestroyWindow();
        m_open.clear();
        m_dialogs.clear();
        SetConverterPresetStore(nullptr);
        m_store.reset();
        m_app.reset();
        if (m_oldBox || m_oldShell || m_oldExit) {
            FwSetMessageBoxFunction(m_oldBox);
            FwSetShellExecuteFunction(m_oldShell);
            FwSetExitWindowsFunction(m_oldExit);
        }
    }

    // The dialog made as the application makes it: the command line handed over, then shown;
    // its source's probe and picture still to come.
    template <class D>
    D& Show(UINT templateId, const CString& line, BOOL autoStart = FALSE)
    {
        D* dialog = new D;
        m_dialogs.emplace_back(dialog, [](void* p) { delete static_cast<D*>(p); });
        dialog->TakeCommandLine(ParseLine(line), autoStart);
        EXPECT_TRUE(dialog->Create(templateId, nullptr));
        dialog->ShowWindow(SW_SHOW);
        dialog->UpdateWindow();
        m_open.push_back(dialog);
        PumpPending();
        return *dialog;
    }
    // Shown, with what the tools tell of its source filled in.
    template <class D>
    D& Open(UINT templateId, const CString& line, BOOL autoStart = FALSE)
    {
        D& dialog = Show<D>(templateId, line, autoStart);
        EXPECT_TRUE(WaitForSource(dialog));
        return dialog;
    }
    static bool WaitForSource(CMediaConvertDialog& dialog, DWORD timeoutMs = 60000)
    {
        return WaitUntil([&] { return !dialog.IsLoadingSource(); }, timeoutMs);
    }
    static void Press(CWnd& dialog, UINT id)
    {
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(dialog.m_hWnd, (int)id));
    }
    static void Click(CWnd& dialog, UINT id) { ::SendMessageW(::GetDlgItem(dialog.m_hWnd, (int)id), BM_CLICK, 0, 0); }
    static bool IsChecked(CWnd& dialog, UINT id) { return ::IsDlgButtonChecked(dialog.m_hWnd, (int)id) == BST_CHECKED; }
    static bool IsEnabled(CWnd& dialog, UINT id) { return ::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, (int)id)) != FALSE; }
    static bool IsShown(CWnd& dialog, UINT id) { return ::IsWindowVisible(::GetDlgItem(dialog.m_hWnd, (int)id)) != FALSE; }
    static CString Text(CWnd& dialog, UINT id) { return WindowText(::GetDlgItem(dialog.m_hWnd, (int)id)); }
    static CString SelectedRow(CWnd& dialog, UINT id)
    {
        HWND combo = ::GetDlgItem(dialog.m_hWnd, (int)id);
        const int row = (int)::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (row < 0)
            return CString();
        wchar_t text[512] = L"";
        ::SendMessageW(combo, CB_GETLBTEXT, row, (LPARAM)text);
        return text;
    }
    // A row chosen in a list as the user picks it.
    static void Choose(CWnd& dialog, UINT id, int row)
    {
        HWND combo = ::GetDlgItem(dialog.m_hWnd, (int)id);
        ::SendMessageW(combo, CB_SETCURSEL, row, 0);
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
    }
    static int FormatRow(CFormatSelectorDialog& dialog, LPCWSTR key)
    {
        for (int row = 0; row < dialog.m_formatCombo.GetCount(); ++row) {
            CMediaCatalogItem* item = dialog.m_formatCombo.GetCatalogItem(row);
            if (item && !(item->Flags & CATEGORY_ITEM) && item->Id == key)
                return row;
        }
        return -1;
    }
    static int PresetRow(CFormatSelectorDialog& dialog, LPCWSTR name)
    {
        CString seen;
        for (int row = 0; row < dialog.m_presetCombo.GetCount(); ++row) {
            CMediaPreset* preset = dialog.m_presetCombo.GetPreset(row);
            if (preset && CString(preset->Settings.Name) == name)
                return row;
            seen += (preset ? preset->Settings.Name : CString(L"(none)")) + L"; ";
        }
        ADD_FAILURE() << "no preset " << CStringA(name).GetString() << " among " << CStringA(seen).GetString()
                      << " of " << CStringA(dialog.m_strFormatKey).GetString();
        return -1;
    }
    template <class D>
    static bool WaitForEnd(D& dialog, DWORD timeoutMs)
    {
        return WaitUntil([&] { return dialog.done > 0 && !dialog.IsRunning(); }, timeoutMs);
    }
    static bool Completed(CMediaConvertDialog& dialog)
    {
        return dialog.Job.Status.State == JOB_STATE_FINISHED && dialog.Job.Status.Result == JOB_RESULT_COMPLETED;
    }
    static std::vector<CString> Events()
    {
        std::lock_guard<std::mutex> lock(g_eventLock);
        return g_events;
    }

    std::unique_ptr<CConverterTestApp> m_app;
    std::unique_ptr<CTestStore> m_store;
    std::vector<std::unique_ptr<void, void (*)(void*)>> m_dialogs;
    std::vector<CWnd*> m_open;
    CString m_out;
    FwMessageBoxFn m_oldBox = nullptr;
    FwShellExecuteFn m_oldShell = nullptr;
    FwExitWindowsFn m_oldExit = nullptr;
};

// With the stand-in encoder.
class StandInDialogs : public DialogTest {
protected:
    void SetUp() override
    {
        CConversionStage& stage = GetConversionStage();
        if (!stage.problem.IsEmpty())
            GTEST_SKIP() << CStringA(stage.problem).GetString();
        ScriptStandInEncoder(L"progress 2\ninterval 20\n");
        Install(stage.app);
    }
    void TearDown() override
    {
        DialogTest::TearDown();
        CToolProcessBase::SetStopGraceForTests(10000);
    }
    CConversionStage& Stage() { return GetConversionStage(); }
    // The dialogs' probe held until the test releases it; a stopped one ends within a second.
    CHeldProbe HoldProbe(const CString& clip)
    {
        CHeldProbe probe = MakeHeldProbe(MakeAwkwardFolder(L"held probe") + L"\\Quisset.exe", clip);
        m_app->Environment()->probeToolPath = probe.exe;
        CToolProcessBase::SetStopGraceForTests(1000);
        return probe;
    }
};

// With the real tools.
class RealDialogs : public DialogTest {
protected:
    void SetUp() override
    {
        CToolStage& stage = GetToolStage();
        if (!stage.problem.IsEmpty())
            GTEST_SKIP() << CStringA(stage.problem).GetString();
        Install(stage.app);
    }
    const CClips& Clips() { return GetClips(); }
    // The converter with AutoPlay, AutoOpenFolder and AutoCloseWindow set, the main window, its
    // conversion run to the end and what the end posted delivered.
    CConverter& ConvertWithEveryCompletionAction(const CString& line)
    {
        CConverterSettings& s = m_app->Settings();
        s.autoPlay = 1;
        s.autoOpenFolder = 1;
        s.autoCloseWindow = 1;
        CConverter& dialog = Open<CConverter>(IDD_CONVERTER, line);
        m_app->App().m_pMainWnd = &dialog;
        Press(dialog, IDC_START);
        EXPECT_TRUE(WaitForEnd(dialog, 180000));
        PumpPending();
        m_app->App().m_pMainWnd = nullptr;
        return dialog;
    }
};

}  // namespace

// ----- the stand-in encoder --------------------------------------------------------------------------

TEST_F(StandInDialogs, TheConverterHandsTracksCutEffectsAndVolumeToTheEncoder)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().multi) + L" -vstream 0 -astream 2 -sstream 3"
                                                         L" -starttime 500 -stoptime 2500 -fliph -flipv -rotate 90"
                                                         L" -grayscale -negate -volume 150 -ofolder " + Quoted(m_out));
    // The command line shows in the controls.
    EXPECT_EQ(Stage().multi, Text(dialog, IDC_SOURCE));
    EXPECT_EQ(CString(L"Track #1"), SelectedRow(dialog, IDC_VIDEO_TRACK));
    EXPECT_EQ(CString(L"Track #2 - [fre]"), SelectedRow(dialog, IDC_AUDIO_TRACK));
    EXPECT_EQ(CString(L"Track #1"), SelectedRow(dialog, IDC_SUBTITLE_TRACK).Left(8));
    EXPECT_TRUE(IsChecked(dialog, IDC_CUT));
    EXPECT_TRUE(IsChecked(dialog, IDC_FLIP_HORIZONTAL));
    EXPECT_TRUE(IsChecked(dialog, IDC_FLIP_VERTICAL));
    EXPECT_TRUE(IsChecked(dialog, IDC_ROTATE));
    EXPECT_EQ(CString(L"90 degrees"), SelectedRow(dialog, IDC_ROTATION));
    EXPECT_TRUE(IsChecked(dialog, IDC_GRAYSCALE));
    EXPECT_TRUE(IsChecked(dialog, IDC_NEGATE));
    EXPECT_FALSE(IsChecked(dialog, IDC_OLD_PHOTO));
    EXPECT_TRUE(IsChecked(dialog, IDC_CHANGE_VOLUME));
    EXPECT_EQ(CString(L"150%"), Text(dialog, IDC_VOLUME_TEXT));
    EXPECT_EQ(150, (int)dialog.SendDlgItemMessage(IDC_VOLUME, TBM_GETPOS));
    EXPECT_FALSE(IsChecked(dialog, IDC_SAVE_TO_SOURCE));
    EXPECT_EQ(m_out, dialog.GetDestinationFolder());

    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    const std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size()) << CStringA(enginetest::ReadUtf8File(Stage().log)).GetString();
    const CString& run = runs[0];
    for (LPCWSTR part : {L"-map 0:0", L"-map 0:2", L"-map 0:3", L"-ss 0:00:00.500", L"-t 0:00:02.000",
                         L"transpose=1", L"vflip", L"hflip", L"hue=s=0", L"negate", L"-vol 384"})
        EXPECT_GE(run.Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(run).GetString();
    EXPECT_LT(run.Find(L"-map 0:1 "), 0) << CStringA(run).GetString();
    EXPECT_LT(run.Find(L"colorchannelmixer"), 0);
}

TEST_F(StandInDialogs, TheControlsChangedByTheUserReachTheEncoder)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().multi) + L" -ofolder " + Quoted(m_out));
    EXPECT_EQ(CString(L"Auto"), SelectedRow(dialog, IDC_AUDIO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_ROTATION));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUT_START));
    // The video off, the first audio track, old photo has no video to act on then.
    Choose(dialog, IDC_VIDEO_TRACK, 1);
    EXPECT_FALSE(IsEnabled(dialog, IDC_OLD_PHOTO));
    Choose(dialog, IDC_AUDIO_TRACK, 2);
    Click(dialog, IDC_CUT);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CUT_START));
    dialog.m_startEdit.SetTime(1000);
    Click(dialog, IDC_CHANGE_VOLUME);
    EXPECT_TRUE(IsEnabled(dialog, IDC_VOLUME));
    dialog.SendDlgItemMessage(IDC_VOLUME, TBM_SETPOS, TRUE, 50);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    const std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size()) << CStringA(enginetest::ReadUtf8File(Stage().log)).GetString();
    for (LPCWSTR part : {L"-vn", L"-map 0:1", L"-ss 0:00:01.000", L"-vol 128"})
        EXPECT_GE(runs[0].Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(runs[0]).GetString();
    EXPECT_LT(runs[0].Find(L"-map 0:2"), 0);
}

TEST_F(StandInDialogs, TheAudioExtractorHandsTrackCutAndVolumeToTheEncoder)
{
    CExtractor& dialog = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, L"-c ae " + Quoted(Stage().multi) +
                                                                   L" -astream 1 -oformat AF_mp3 -starttime 200"
                                                                   L" -volume 200 -ofolder " + Quoted(m_out));
    EXPECT_EQ(CString(L"Track #1 - [eng]"), SelectedRow(dialog, IDC_AUDIO_TRACK));
    EXPECT_EQ(CString(L"AF_mp3"), dialog.m_strFormatKey);
    EXPECT_EQ(CString(L"200%"), Text(dialog, IDC_VOLUME_TEXT));
    // The output box shows sound from the start, not a video picture.
    EXPECT_EQ(2, dialog.GetOutputKind());
    Shot(L"audio extractor ready", dialog.m_hWnd);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    const std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size()) << CStringA(enginetest::ReadUtf8File(Stage().log)).GetString();
    for (LPCWSTR part : {L"-vn", L"-map 0:1", L"-ss 0:00:00.200", L"-vol 512", L"libmp3lame", L".mp3"})
        EXPECT_GE(runs[0].Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(runs[0]).GetString();
}

TEST_F(StandInDialogs, AVolumeBeyondTheSlidersRangeStopsAtItsEnds)
{
    // The slider goes from 0 to 500 percent; the encoder gets the level of what it shows.
    CConverter& converter = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().multi) + L" -volume 2147483647"
                                                            L" -ofolder " + Quoted(m_out));
    EXPECT_TRUE(IsChecked(converter, IDC_CHANGE_VOLUME));
    EXPECT_EQ(CString(L"500%"), Text(converter, IDC_VOLUME_TEXT));
    EXPECT_EQ(500, (int)converter.SendDlgItemMessage(IDC_VOLUME, TBM_GETPOS));
    EXPECT_EQ(500, converter.m_nVolume);
    Press(converter, IDC_START);
    ASSERT_TRUE(WaitForEnd(converter, 60000));
    std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size()) << CStringA(enginetest::ReadUtf8File(Stage().log)).GetString();
    EXPECT_GE(runs[0].Find(L"-vol 1280 "), 0) << CStringA(runs[0]).GetString();

    CExtractor& extractor = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, L"-c ae " + Quoted(Stage().multi) +
                                                                      L" -volume -40 -ofolder " + Quoted(m_out));
    EXPECT_TRUE(IsChecked(extractor, IDC_CHANGE_VOLUME));
    EXPECT_EQ(CString(L"0%"), Text(extractor, IDC_VOLUME_TEXT));
    EXPECT_EQ(0, (int)extractor.SendDlgItemMessage(IDC_VOLUME, TBM_GETPOS));
    EXPECT_EQ(0, extractor.m_nVolume);
    Press(extractor, IDC_START);
    ASSERT_TRUE(WaitForEnd(extractor, 60000));
    runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(2u, runs.size()) << CStringA(enginetest::ReadUtf8File(Stage().log)).GetString();
    EXPECT_GE(runs[1].Find(L"-vol 0 "), 0) << CStringA(runs[1]).GetString();
}

TEST_F(StandInDialogs, TheGifMakerPutsEffectsIntoBothPassesAndPlayOnceIsOnePlay)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) +
                                                           L" -rotate 90 -fliph -oldphoto -ofolder " + Quoted(m_out));
    // The GIF format is found by key and the cut starts as the first five seconds (here the clip).
    EXPECT_EQ(CString(L"VF_gif"), dialog.m_strFormatKey);
    ASSERT_TRUE(dialog.GetSelectedFormat() != nullptr);
    EXPECT_EQ(CString(L"VF_gif"), dialog.GetSelectedFormat()->Id);
    EXPECT_TRUE(IsChecked(dialog, IDC_CUT));
    EXPECT_EQ(CString(L"352"), SelectedRow(dialog, IDC_GIF_WIDTH));
    EXPECT_EQ(CString(L"288"), SelectedRow(dialog, IDC_GIF_HEIGHT));
    Choose(dialog, IDC_GIF_LOOP, 1);  // "Play once"
    EXPECT_FALSE(IsShown(dialog, IDC_GIF_LOOP_COUNT));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    const CString log = enginetest::ReadUtf8File(Stage().log);
    const std::vector<CString> palette = EncoderLines(Stage().log, L"palettegen");
    const std::vector<CString> picture = EncoderLines(Stage().log, L"paletteuse");
    ASSERT_EQ(1u, palette.size()) << CStringA(log).GetString();
    ASSERT_EQ(1u, picture.size()) << CStringA(log).GetString();
    for (const CString* pass : {&palette[0], &picture[0]}) {
        EXPECT_GE(pass->Find(L"transpose=1,hflip,colorchannelmixer"), 0) << CStringA(*pass).GetString();
        // The turned picture is scaled to the turned size.
        EXPECT_GE(pass->Find(L"scale=288:352"), 0) << CStringA(*pass).GetString();
    }
    EXPECT_LT(picture[0].Find(L"-filter:v"), 0) << CStringA(picture[0]).GetString();
    EXPECT_GE(picture[0].Find(L"-loop -1"), 0) << CStringA(picture[0]).GetString();
}

TEST_F(StandInDialogs, TheGifMakersChosenSizeRateAndLoopCountReachTheEncoder)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    Choose(dialog, IDC_GIF_HEIGHT, 1);  // 176 x 144
    EXPECT_EQ(CString(L"176"), SelectedRow(dialog, IDC_GIF_WIDTH));
    Choose(dialog, IDC_GIF_RATE, 3);  // 25 from the source, then 5, 8, 10
    EXPECT_EQ(CString(L"10"), SelectedRow(dialog, IDC_GIF_RATE));
    Choose(dialog, IDC_GIF_LOOP, 2);
    dialog.SetDlgItemText(IDC_GIF_LOOP_COUNT, L"4");
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    const std::vector<CString> picture = EncoderLines(Stage().log, L"paletteuse");
    ASSERT_EQ(1u, picture.size()) << CStringA(enginetest::ReadUtf8File(Stage().log)).GetString();
    for (LPCWSTR part : {L"fps=10", L"scale=176:144", L"-loop "})
        EXPECT_GE(picture[0].Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(picture[0]).GetString();
    EXPECT_LT(picture[0].Find(L"-loop 0"), 0) << CStringA(picture[0]).GetString();
    EXPECT_LT(picture[0].Find(L"-loop -1"), 0) << CStringA(picture[0]).GetString();
}

TEST_F(StandInDialogs, TheGifMakersFrameRateListKeepsOneRowFromTheSource)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    CComboBox* rates = static_cast<CComboBox*>(dialog.GetDlgItem(IDC_GIF_RATE));
    const int rows = rates->GetCount();
    EXPECT_EQ(6, rows);  // 25 from the source, then 5, 8, 10, 12, 15
    EXPECT_EQ(0, dialog.CheckSourceMedia(Stage().multi));
    ASSERT_TRUE(WaitForSource(dialog));
    EXPECT_EQ(0, dialog.CheckSourceMedia(Stage().clip));
    ASSERT_TRUE(WaitForSource(dialog));
    EXPECT_EQ(rows, rates->GetCount());
    CString first;
    rates->GetLBText(0, first);
    EXPECT_EQ(CString(L"25"), first);
    // A hidden GIF format is found all the same.
    m_store->FindFormat(L"VF_gif")->Flags |= CATALOG_HIDDEN;
    EXPECT_EQ(0, dialog.RefreshSelection());
    ASSERT_TRUE(dialog.GetSelectedFormat() != nullptr);
    EXPECT_EQ(CString(L"VF_gif"), dialog.GetSelectedFormat()->Id);
}

TEST_F(StandInDialogs, TheGifMakerReadsAFrameRateTextAsTheFormatAndPresetDialogsDo)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    CMediaPreset* custom = m_store->FindFormat(L"VF_gif")->FindPreset(L"Custom");
    ASSERT_TRUE(custom != nullptr);
    auto Rate = [&](LPCWSTR text) {
        dialog.SetDlgItemText(IDC_GIF_RATE, text);
        EXPECT_TRUE(dialog.UpdateData(TRUE));
        CJobOutputSettings options;
        EXPECT_EQ(0, dialog.FillJobOptions(options));
        CString pair;
        pair.Format(L"%d/%d", custom->Settings.Video.RateNum, custom->Settings.Video.RateDen);
        return pair;
    };
    // The rates of the NTSC family by the texts that name them, as the frame-rate boxes read them.
    EXPECT_EQ(CString(L"30000/1001"), Rate(L"29.97"));
    EXPECT_EQ(CString(L"24000/1001"), Rate(L"23.976"));
    EXPECT_EQ(CString(L"60000/1001"), Rate(L"59.94"));
    // The row a 30000/1001 source gives the list.
    EXPECT_EQ(CString(L"30000/1001"), Rate(L"29.97003"));
    for (LPCWSTR text : {L"12.5", L"15", L"29.96", L"8"}) {
        const MediaRate boxes = ParseFrameRateText(text);
        CString pair;
        pair.Format(L"%d/%d", boxes.Num, boxes.Den);
        EXPECT_EQ(pair, Rate(text)) << CStringA(text).GetString();
    }
    // A text that gives no rate makes 10 frames per second.
    for (LPCWSTR text : {L"0", L"", L"fast"}) {
        Rate(text);
        EXPECT_EQ(10 * custom->Settings.Video.RateDen, custom->Settings.Video.RateNum) << CStringA(text).GetString();
        EXPECT_GT(custom->Settings.Video.RateDen, 0);
    }
}

TEST_F(StandInDialogs, ThePresetListOpensWideEnoughForEveryNameAndTheBoxTipsACutOne)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -oformat VF_mp4 -ofolder " + Quoted(m_out));
    const int row = PresetRow(dialog, L"MPEG-4 - HD 1080p");
    ASSERT_GE(row, 0);
    Choose(dialog, IDC_PRESET_LIST, row);
    CFormatComboBox& combo = dialog.m_presetCombo;
    EXPECT_EQ(CString(L"MPEG-4 - HD 1080p"), combo.GetCutSelectionName());
    COMBOBOXINFO info = {};
    ASSERT_TRUE(combo.GetComboBoxInfo(&info));
    CRect box, list, window;
    combo.GetWindowRect(&box);
    dialog.GetWindowRect(&window);

    combo.ShowDropDown(TRUE);
    PumpPending();
    ::GetWindowRect(info.hwndList, &list);
    EXPECT_GT(list.Width(), box.Width());
    {
        // Beside its detail column, every name has the room it takes.
        CClientDC dc(&combo);
        CGdiSelector font(dc, combo.GetFont());
        for (int r = 0; r < combo.GetCount(); ++r) {
            CMediaPreset* preset = combo.GetPreset(r);
            ASSERT_TRUE(preset != nullptr);
            EXPECT_LE(dc.GetTextExtent(CString(preset->Settings.Name)).cx + combo.ColumnWidth + 8, list.Width())
                << CStringA(preset->Settings.Name).GetString();
        }
    }
    CRect shown;
    shown.UnionRect(&window, &list);
    CRasterImage shot;
    ASSERT_TRUE(CaptureScreenRect(shown, shot));
    SaveTestImage(L"converter", L"converter preset list", shot);
    combo.ShowDropDown(FALSE);
    PumpPending();

    EXPECT_EQ(CString(L"MPEG-4 - HD 1080p"), HoverForToolTip(combo));
    Shot(L"converter preset tip", dialog.m_hWnd);
    ::SetCursorPos(0, 0);
}

TEST_F(StandInDialogs, TheGifMakerShowsNoneOfTheFormatControlsThatCarryItsFixedChoice)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    ASSERT_TRUE(dialog.GetSelectedFormat() != nullptr);
    // They hold the selection, but a user sees only the GIF's own choices (no stray boxes under
    // "Save to folder:"), idle and while a job runs.
    for (UINT id : {IDC_FORMAT_LABEL, IDC_FORMAT_LIST, IDC_PRESET_LIST, IDC_FORMAT_ADVANCED})
        EXPECT_FALSE(IsShown(dialog, id)) << id;
    ScriptStandInEncoder(L"progress 400\ninterval 50\n");
    Press(dialog, IDC_START);
    ASSERT_TRUE(dialog.IsRunning());
    for (UINT id : {IDC_FORMAT_LABEL, IDC_FORMAT_LIST, IDC_PRESET_LIST, IDC_FORMAT_ADVANCED})
        EXPECT_FALSE(IsShown(dialog, id)) << id;
    Press(dialog, IDC_STOP);
    ASSERT_TRUE(WaitForEnd(dialog, 10000));
    for (UINT id : {IDC_FORMAT_LABEL, IDC_FORMAT_LIST, IDC_PRESET_LIST, IDC_FORMAT_ADVANCED})
        EXPECT_FALSE(IsShown(dialog, id)) << id;
}

TEST_F(StandInDialogs, EachDialogOpensWithItsStartButtonFocused)
{
    CConverter& converter = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    EXPECT_EQ(::GetDlgItem(converter.m_hWnd, IDC_START), ::GetFocus());
    converter.DestroyWindow();
    CExtractor& extractor = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, CString());
    EXPECT_EQ(::GetDlgItem(extractor.m_hWnd, IDC_START), ::GetFocus());
    extractor.DestroyWindow();
    CGifMaker& maker = Open<CGifMaker>(IDD_GIF_MAKER, Quoted(Stage().clip));
    EXPECT_EQ(::GetDlgItem(maker.m_hWnd, IDC_START), ::GetFocus());
}

TEST_F(StandInDialogs, TheBottomBandsControlsDoNotOverlap)
{
    auto Rect = [](CWnd& dialog, UINT id) {
        CRect r;
        ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, (int)id), &r);
        return r;
    };
    auto Check = [&](CWnd& dialog) {
        const UINT ids[] = {IDC_STATUS_ICON, IDC_STATUS_BAR, IDC_START, IDC_STOP, IDCANCEL};
        for (UINT a : ids)
            for (UINT b : ids) {
                if (a >= b || (a == IDC_START && b == IDC_STOP) || (a == IDC_STOP && b == IDC_START))
                    continue;  // start and stop share one place
                CRect both;
                EXPECT_FALSE(both.IntersectRect(Rect(dialog, a), Rect(dialog, b))) << a << " and " << b;
            }
    };
    Check(Open<CConverter>(IDD_CONVERTER, CString()));
    Check(Open<CExtractor>(IDD_AUDIO_EXTRACTOR, CString()));
    Check(Open<CGifMaker>(IDD_GIF_MAKER, CString()));
}

TEST_F(StandInDialogs, TheMenuTogglesFlipTheirSettingsAndShowTheirCheckMarks)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, CString());
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MAIN_MENU));
    HMENU popup = ::GetSubMenu(menu.m_hMenu, 0);
    ASSERT_TRUE(popup != nullptr);
    auto Checked = [&](UINT id) {
        dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)popup, MAKELPARAM(0, FALSE));
        return (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    CConverterSettings& s = m_app->Settings();
    for (UINT id : {ID_AUTO_PLAY, ID_AUTO_OPEN_FOLDER, ID_AUTO_CLOSE, ID_AUTO_SHUTDOWN})
        EXPECT_FALSE(Checked(id)) << id;
    for (UINT id : {ID_AUTO_PLAY, ID_AUTO_OPEN_FOLDER, ID_AUTO_CLOSE, ID_AUTO_SHUTDOWN})
        dialog.SendMessage(WM_COMMAND, id);
    EXPECT_EQ(1, s.autoPlay);
    EXPECT_EQ(1, s.autoOpenFolder);
    EXPECT_EQ(1, s.autoCloseWindow);
    EXPECT_EQ(1, dialog.m_bAutoShutdown);
    for (UINT id : {ID_AUTO_PLAY, ID_AUTO_OPEN_FOLDER, ID_AUTO_CLOSE, ID_AUTO_SHUTDOWN})
        EXPECT_TRUE(Checked(id)) << id;
    dialog.SendMessage(WM_COMMAND, ID_AUTO_PLAY);
    EXPECT_EQ(0, s.autoPlay);
    EXPECT_FALSE(Checked(ID_AUTO_PLAY));
    // The system menu's entry (the window's z-order itself is the window manager's business).
    HMENU system = ::GetSystemMenu(dialog.m_hWnd, FALSE);
    ASSERT_TRUE(system != nullptr);
    wchar_t text[64] = L"";
    ::GetMenuStringW(system, 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(CString(L"Always On Top"), CString(text));
    dialog.SendMessage(WM_SYSCOMMAND, ID_ALWAYS_ON_TOP);
    EXPECT_EQ(1, s.alwaysOnTop);
    dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)system, MAKELPARAM(0, TRUE));
    EXPECT_TRUE(::GetMenuState(system, ID_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED);
    dialog.SendMessage(WM_SYSCOMMAND, ID_ALWAYS_ON_TOP);
    EXPECT_EQ(0, s.alwaysOnTop);
    dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)system, MAKELPARAM(0, TRUE));
    EXPECT_FALSE(::GetMenuState(system, ID_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(StandInDialogs, StopCancelsTheConversionAndTheDialogIsIdleAgain)
{
    ScriptStandInEncoder(L"progress 400\ninterval 50\n");
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    Press(dialog, IDC_START);
    ASSERT_TRUE(dialog.IsRunning());
    EXPECT_TRUE(IsShown(dialog, IDC_STOP));
    EXPECT_FALSE(IsShown(dialog, IDC_START));
    EXPECT_FALSE(IsEnabled(dialog, IDC_SOURCE));
    EXPECT_FALSE(IsEnabled(dialog, IDC_FORMAT_LIST));
    ASSERT_TRUE(WaitUntil([&] { return !EncoderLines(Stage().log, m_out).empty(); }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return dialog.GetTitleText().Find(L'%') > 0; }, 30000)) << CStringA(dialog.GetTitleText()).GetString();
    ASSERT_TRUE(WaitUntil([&] { return dialog.StatusBarFill() > 0; }, 30000));
    const DWORD before = ::GetTickCount();
    Press(dialog, IDC_STOP);
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_LT(::GetTickCount() - before, 10000u);
    ASSERT_TRUE(WaitForEnd(dialog, 10000));
    EXPECT_EQ(JOB_RESULT_CANCELED, dialog.Job.Status.Result);
    // Nothing of the stopped job's fill stays beside "Canceled".
    EXPECT_EQ(CString(L"Canceled"), dialog.StatusBarText());
    EXPECT_EQ(0, dialog.StatusBarFill());
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Shot(L"converter canceled", dialog.m_hWnd);
    EXPECT_EQ(0, convtest::CountProcessesOf(Stage().encoder));
    EXPECT_TRUE(IsShown(dialog, IDC_START));
    EXPECT_FALSE(IsShown(dialog, IDC_STOP));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SOURCE));
    EXPECT_TRUE(IsEnabled(dialog, IDC_FORMAT_LIST));
    // The title is the dialog's own again.
    EXPECT_EQ(CString(L"Ravento"), dialog.GetTitleText());
}

TEST_F(StandInDialogs, ClosingTheDialogMidConversionStopsTheEncoder)
{
    ScriptStandInEncoder(L"progress 400\ninterval 50\n");
    CConverter dialog;
    dialog.TakeCommandLine(ParseLine(Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out)), TRUE);
    bool sawRunning = false;
    std::thread user([&] {
        HWND window = nullptr;
        WaitUntil(
            [&] {
                window = dialog.m_hWnd;
                return window && ::IsWindowVisible(window) && !EncoderLines(Stage().log, m_out).empty();
            },
            30000);
        sawRunning = window && dialog.IsRunning();
        ::Sleep(300);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    });
    // AutoStart with a source and a destination: the dialog starts by itself.
    const DWORD before = ::GetTickCount();
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    user.join();
    EXPECT_TRUE(sawRunning);
    EXPECT_LT(::GetTickCount() - before, 40000u);
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_EQ(0, convtest::CountProcessesOf(Stage().encoder));
    EXPECT_TRUE(dialog.m_hWnd == nullptr);
}

TEST_F(StandInDialogs, AProgressRecordIsTakenOnlyFromTheEncoderOfTheDialogsOwnJob)
{
    ScriptStandInEncoder(L"progress 400\ninterval 50\n");
    const CString otherOut = MakeAwkwardFolder(L"other out");
    CConverter& first = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    CConverter& second = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(otherOut));
    Press(first, IDC_START);
    ASSERT_TRUE(WaitUntil([&] { return !EncoderLines(Stage().log, m_out).empty(); }, 30000));
    // The first job's driver, from its command line.
    const CString run = EncoderLines(Stage().log, m_out)[0];
    const int at = run.Find(L"-callback_context ");
    ASSERT_GE(at, 0) << CStringA(run).GetString();
    const __int64 context = _wtoi64(run.Mid(at + 18));
    ASSERT_NE(0, context);

    EncoderProgressRecord record = {};
    record.Context = context;
    record.Code = 99;  // no record kind: a driver that takes it answers -1
    COPYDATASTRUCT data = {ENCODER_RECORD_ID, ENCODER_RECORD_SIZE, &record};
    auto Send = [&](CWnd& dialog) { return (int)::SendMessageW(dialog.m_hWnd, WM_COPYDATA, 0, (LPARAM)&data); };
    EXPECT_EQ(-1, Send(first));
    // The second dialog has no job: refused.
    EXPECT_EQ(0, Send(second));
    // Nor once it runs one of its own.
    Press(second, IDC_START);
    ASSERT_TRUE(second.IsRunning());
    EXPECT_EQ(0, Send(second));
    record.Context = 0x7FFFFF00;  // no driver at all
    EXPECT_EQ(0, Send(first));
    Press(first, IDC_STOP);
    Press(second, IDC_STOP);
    // Without a job even its own old driver's record is refused.
    record.Context = context;
    EXPECT_EQ(0, Send(first));
}

TEST_F(StandInDialogs, TheListenersCallsFromTheWorkerReachTheTextsOnTheUiThread)
{
    ScriptStandInEncoder(L"progress 20\ninterval 30\n");
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_GT(dialog.workerProgress, 0);
    EXPECT_GE(dialog.uiProgress, dialog.workerProgress);
    // Each text the worker gave is given again on the UI thread, where it is shown.
    int fromWorker = 0;
    for (size_t i = 0; i < dialog.texts.size(); ++i) {
        if (dialog.texts[i].first == dialog.ui)
            continue;
        ++fromWorker;
        ASSERT_LT(i + 1, dialog.texts.size());
        EXPECT_EQ(dialog.ui, dialog.texts[i + 1].first);
        EXPECT_EQ(dialog.texts[i].second, dialog.texts[i + 1].second);
    }
    EXPECT_GT(fromWorker, 0);
    ASSERT_FALSE(dialog.texts.empty());
    CString last = dialog.texts.back().second;
    if (last.Right(1) == L"|")
        last = last.Left(last.GetLength() - 1);
    else
        last.Replace(L"|", L": ");
    EXPECT_EQ(last, dialog.StatusBarText());
}

TEST_F(StandInDialogs, AFailedStartReturnsTheDialogToIdle)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    // A second start while a job runs is refused by the runner; simulated by a worker that is
    // already there.
    dialog.m_pThread = reinterpret_cast<CMediaConvertThread_ST*>(1);
    EXPECT_EQ(-1, dialog.StartConversion());
    dialog.m_pThread = nullptr;
    // Said as a failed job says it, in the words every job uses.
    EXPECT_EQ(CString(L"Failed"), dialog.StatusBarText());
    EXPECT_TRUE(IsShown(dialog, IDC_STATUS_BAR));
    EXPECT_EQ(CString(L"Ravento"), dialog.GetTitleText());
    EXPECT_TRUE(IsShown(dialog, IDC_START));
    EXPECT_FALSE(IsShown(dialog, IDC_STOP));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SOURCE));
    EXPECT_TRUE(IsEnabled(dialog, IDC_FORMAT_LIST));
}

TEST_F(StandInDialogs, ATypedSourceIsProbedBeforeItIsConverted)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    ASSERT_EQ(1, (int)dialog.Job.Source.MediaInfo.AudioStreams.GetSize());
    // The user types another path: Start probes it, so its tracks are the ones converted.
    dialog.SetDlgItemText(IDC_SOURCE, Stage().multi);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_EQ(2, (int)dialog.Job.Source.MediaInfo.AudioStreams.GetSize());
    EXPECT_EQ(Stage().multi, dialog.Job.Source.Path);
    EXPECT_EQ(1u, EncoderLines(Stage().log, m_out).size());
    // A typed path that is no media file is refused with a message and nothing runs.
    const CString text = m_out + L"\\not media.mp4";
    enginetest::WriteUtf8File(text, L"not a video");
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    dialog.done = 0;
    dialog.SetDlgItemText(IDC_SOURCE, text);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForSource(dialog));
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_TRUE(EncoderLines(Stage().log, m_out).empty());
    std::lock_guard<std::mutex> lock(g_eventLock);
    ASSERT_FALSE(g_messages.empty());
    EXPECT_GE(g_messages.back().Find(L"is not a valid video or audio file"), 0);
}

TEST_F(StandInDialogs, PowerOffRunsOnlyThroughItsStubAfterTheJob)
{
    m_app->Settings().autoPlay = 1;
    m_app->Settings().autoOpenFolder = 1;
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    dialog.SendMessage(WM_COMMAND, ID_AUTO_SHUTDOWN);
    EXPECT_EQ(1, dialog.m_bAutoShutdown);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    std::lock_guard<std::mutex> lock(g_eventLock);
    ASSERT_EQ(1u, g_exits.size());
    EXPECT_EQ((UINT)(EWX_POWEROFF | EWX_FORCE), g_exits[0]);
    // Nothing else follows a power off.
    EXPECT_TRUE(g_events.empty());
}

// ----- the real tools -----------------------------------------------------------------------------------

TEST_F(RealDialogs, TheConverterConvertsWithItsDefaults)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Clips().longer) + L" -ofolder " + Quoted(m_out));
    dialog.shotName = L"converter converting";
    ASSERT_TRUE(dialog.GetSelectedFormat() != nullptr);
    EXPECT_EQ(CString(L"VF_mp4"), dialog.GetSelectedFormat()->Id);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\longer clip.mp4", dialog.Job.Target.Path);
    EXPECT_TRUE(::PathFileExistsW(dialog.Job.Target.Path));
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(1, (int)dialog.Job.Target.MediaInfo.AudioStreams.GetSize());
    EXPECT_EQ(320, dialog.Job.Target.MediaInfo.VideoStreams[0]->Width);
    EXPECT_FALSE(dialog.shotPath.IsEmpty()) << "no percentage was shown";
    // The finished job: play and the recent lists.
    EXPECT_TRUE(IsEnabled(dialog, IDC_PLAY_OUTPUT));
    ASSERT_GE(m_app->Settings().recentFolders.GetCount(), 1);
    EXPECT_EQ(m_out, m_app->Settings().recentFolders[0]);
    Shot(L"converter finished", dialog.m_hWnd);
}

TEST_F(RealDialogs, TheConverterConvertsIntoAChosenFormatAndPreset)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Clips().clip) + L" -ofolder " + Quoted(m_out));
    const int format = FormatRow(dialog, L"VF_avi");
    ASSERT_GE(format, 0);
    Choose(dialog, IDC_FORMAT_LIST, format);
    const int preset = PresetRow(dialog, L"MPEG-4");
    ASSERT_GE(preset, 0);
    Choose(dialog, IDC_PRESET_LIST, preset);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\av clip.avi", dialog.Job.Target.Path);
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.AudioStreams.GetSize());
    EXPECT_EQ(CString(L"mpeg4"), dialog.Job.Target.MediaInfo.VideoStreams[0]->Codec);
    EXPECT_EQ(CString(L"mp3"), dialog.Job.Target.MediaInfo.AudioStreams[0]->Codec);
    // The choice is remembered for the next run.
    dialog.DestroyWindow();
    m_open.clear();
    m_dialogs.clear();
    EXPECT_EQ(CString(L"VF_avi"), m_app->Settings().formatKey);
    EXPECT_EQ(CString(L"MPEG-4"), m_app->Settings().presetName);
}

TEST_F(RealDialogs, TheAudioExtractorExtractsWithItsDefaultsAndWithAChosenFormatAndPreset)
{
    CExtractor& dialog = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, L"-c ae " + Quoted(Clips().longer) + L" -oformat AF_mp3"
                                                                   L" -ofolder " + Quoted(m_out));
    dialog.shotName = L"audio extractor converting";
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\longer clip.mp3", dialog.Job.Target.Path);
    EXPECT_EQ(0, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.AudioStreams.GetSize());
    EXPECT_EQ(CString(L"mp3"), dialog.Job.Target.MediaInfo.AudioStreams[0]->Codec);
    EXPECT_FALSE(dialog.shotPath.IsEmpty()) << "no percentage was shown";

    const int format = FormatRow(dialog, L"AF_aac");
    ASSERT_GE(format, 0);
    Choose(dialog, IDC_FORMAT_LIST, format);
    const int preset = PresetRow(dialog, L"Low Quality");
    ASSERT_GE(preset, 0);
    Choose(dialog, IDC_PRESET_LIST, preset);
    dialog.done = 0;
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\longer clip.aac", dialog.Job.Target.Path);
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.AudioStreams.GetSize());
    EXPECT_EQ(CString(L"aac"), dialog.Job.Target.MediaInfo.AudioStreams[0]->Codec);
}

TEST_F(RealDialogs, TheGifMakerMakesAGifWithItsDefaultsAndWithChosenSizeRateAndLoop)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Clips().longer) + L" -ofolder " + Quoted(m_out));
    dialog.shotName = L"gif maker converting";
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\longer clip.gif", dialog.Job.Target.Path);
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(320, dialog.Job.Target.MediaInfo.VideoStreams[0]->Width);
    EXPECT_EQ(240, dialog.Job.Target.MediaInfo.VideoStreams[0]->Height);
    EXPECT_FALSE(dialog.shotPath.IsEmpty()) << "no percentage was shown";

    Choose(dialog, IDC_GIF_WIDTH, 1);  // 160 x 120
    EXPECT_EQ(CString(L"120"), SelectedRow(dialog, IDC_GIF_HEIGHT));
    Choose(dialog, IDC_GIF_LOOP, 2);  // a count
    EXPECT_TRUE(IsShown(dialog, IDC_GIF_LOOP_COUNT));
    dialog.SetDlgItemText(IDC_GIF_LOOP_COUNT, L"3");
    dialog.done = 0;
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\longer clip (1).gif", dialog.Job.Target.Path);
    ASSERT_EQ(1, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(160, dialog.Job.Target.MediaInfo.VideoStreams[0]->Width);
    EXPECT_EQ(120, dialog.Job.Target.MediaInfo.VideoStreams[0]->Height);
    // The choices are kept for the next run.
    dialog.DestroyWindow();
    m_open.clear();
    m_dialogs.clear();
    EXPECT_EQ(160, m_app->Settings().gifWidth);
    EXPECT_EQ(2, m_app->Settings().gifLoop);
    EXPECT_EQ(3, m_app->Settings().gifLoopCount);
}

// gifsicle reports nothing and may take as long as both encoder passes: while it runs, the
// status bar says that the last pass runs, instead of the second pass's last progress.
TEST_F(RealDialogs, WhileGifsicleRunsTheGifMakerSaysTheLastPassRuns)
{
    const CString app = MakeAwkwardFolder(L"held gifsicle app");
    const CString modules = app + L"\\Modules";
    ASSERT_TRUE(::CreateDirectoryW(modules, nullptr));
    const CString release = app + L"\\release", log = app + L"\\gifsicle log.txt";
    ASSERT_TRUE(::CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", modules + L"\\gifsicle.exe", FALSE));
    // It ends when the test lets it, and fails: the encoder's GIF is then the output.
    ASSERT_TRUE(enginetest::WriteUtf8File(modules + L"\\gifsicle.fake",
                                          L"wait_file " + release + L"\nexit 1\nlog " + log + L"\n"));
    static_cast<CStageEnvironment*>(m_app->Environment())->SetAppFolder(app);
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Clips().clip) + L" -ofolder " + Quoted(m_out));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitUntil([&] { return !enginetest::ReadLines(log).empty() || !dialog.IsRunning(); }, 120000));
    ASSERT_TRUE(dialog.IsRunning()) << CStringA(dialog.StatusBarText()).GetString();
    // Given before gifsicle was started, by the worker, which waits until the dialog has shown it.
    EXPECT_EQ(CString(L"Optimizing: Last pass, making the GIF smaller"), dialog.StatusBarText());
    EXPECT_TRUE(IsShown(dialog, IDC_STOP));
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Shot(L"gif maker optimizing", dialog.m_hWnd);
    ASSERT_TRUE(TouchFile(release));
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_TRUE(Completed(dialog));
    EXPECT_EQ(CString(L"Completed"), dialog.StatusBarText());
}

TEST_F(RealDialogs, ARotatedGifTakesTheTurnedSizeAndAFlippedOneConverts)
{
    CGifMaker& turned = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Clips().clip) + L" -rotate 90 -grayscale"
                                                           L" -ofolder " + Quoted(m_out));
    Press(turned, IDC_START);
    ASSERT_TRUE(WaitForEnd(turned, 180000));
    ASSERT_TRUE(Completed(turned)) << CStringA(turned.StatusBarText()).GetString();
    ASSERT_EQ(1, (int)turned.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(288, turned.Job.Target.MediaInfo.VideoStreams[0]->Width);
    EXPECT_EQ(352, turned.Job.Target.MediaInfo.VideoStreams[0]->Height);

    const CString flippedOut = MakeAwkwardFolder(L"flipped out");
    CGifMaker& flipped = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Clips().clip) + L" -flipv -fliph -negate"
                                                            L" -ofolder " + Quoted(flippedOut));
    Press(flipped, IDC_START);
    ASSERT_TRUE(WaitForEnd(flipped, 180000));
    ASSERT_TRUE(Completed(flipped)) << CStringA(flipped.StatusBarText()).GetString();
    ASSERT_EQ(1, (int)flipped.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(352, flipped.Job.Target.MediaInfo.VideoStreams[0]->Width);
    EXPECT_EQ(288, flipped.Job.Target.MediaInfo.VideoStreams[0]->Height);
}

TEST_F(RealDialogs, TheCompletionActionsPlayThenOpenTheFolderThenClose)
{
    CConverter& dialog = ConvertWithEveryCompletionAction(Quoted(Clips().clip) + L" -ofolder " + Quoted(m_out));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    ASSERT_TRUE(WaitUntil([] { return Events().size() >= 3; }, 10000));
    const std::vector<CString> events = Events();
    ASSERT_EQ(3u, events.size());
    // Played by the player of the application folder, with the output as its argument.
    // The stand-in player beside the program.
    ASSERT_TRUE(::PathFileExistsW(GetToolStage().app + L"\\Lumivo.exe"));
    EXPECT_EQ(GetToolStage().app + L"\\Lumivo.exe", GetPlayerExePath());
    EXPECT_EQ(CString(L"shell||") + GetPlayerExePath() + L"|\"" + dialog.Job.Target.Path + L"\"", events[0]);
    EXPECT_EQ(0, events[1].Find(L"shell||explorer.exe|/select,")) << CStringA(events[1]).GetString();
    EXPECT_EQ(CString(L"close"), events[2]);
    EXPECT_FALSE(dialog.IsWindowVisible());
    std::lock_guard<std::mutex> lock(g_eventLock);
    EXPECT_TRUE(g_exits.empty());
}

// A source cut short on disk: the output holds all it gave and stays, but the dialog says it is
// shorter than the source and runs none of the actions that take a job for complete.
TEST_F(RealDialogs, AShortOutputIsKeptAndSaidSoWithoutTheCompletionActions)
{
    CConverter& dialog = ConvertWithEveryCompletionAction(Quoted(Clips().cutShort) + L" -oformat VF_mkv -ofolder " + Quoted(m_out));
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, dialog.Job.Status.Result) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(CString(L"Incomplete: Output is shorter than the source"), dialog.StatusBarText());
    EXPECT_EQ(3, dialog.m_statusIcon.GetIndex());
    EXPECT_TRUE(::PathFileExistsW(m_out + L"\\cut short.mkv"));
    // The user may look at what was kept; nothing acts as if the job were complete.
    EXPECT_TRUE(IsEnabled(dialog, IDC_PLAY_OUTPUT));
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(0, m_app->Settings().recentFiles.GetCount());
    EXPECT_FALSE(dialog.Job.OutputDurationText.IsEmpty());
    Shot(L"converter with a short output", dialog.m_hWnd);
}

TEST_F(StandInDialogs, EachDialogAsksForTheUpdateCheckAtItsStartOnlyWhenTheSettingIsOn)
{
    // Taken off the queue before it is handled: the check itself is the update issue's.
    auto Posted = [](CWnd& dialog) {
        MSG msg;
        return ::PeekMessageW(&msg, dialog.m_hWnd, WM_START_UPDATE_CHECK, WM_START_UPDATE_CHECK, PM_REMOVE) != FALSE;
    };
    auto Make = [&](CMediaConvertDialog* dialog, UINT templateId) {
        m_dialogs.emplace_back(dialog, [](void* p) { delete static_cast<CMediaConvertDialog*>(p); });
        m_open.push_back(dialog);
        EXPECT_TRUE(dialog->Create(templateId, nullptr));
        return dialog;
    };
    m_app->Settings().autoCheckUpdate = 1;
    EXPECT_TRUE(Posted(*Make(new CConverterDialog, IDD_CONVERTER)));
    EXPECT_TRUE(Posted(*Make(new CAudioExtractorDialog, IDD_AUDIO_EXTRACTOR)));
    EXPECT_TRUE(Posted(*Make(new CGifMakerDialog, IDD_GIF_MAKER)));
    m_app->Settings().autoCheckUpdate = 0;
    EXPECT_FALSE(Posted(*Make(new CConverterDialog, IDD_CONVERTER)));
}

TEST_F(StandInDialogs, ADroppedSourceIsProbedAsABrowsedOneAndADroppedFolderIsTheDestination)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    auto Drop = [&](const CString& path) {
        DropOn(dialog, path);
        EXPECT_TRUE(WaitForSource(dialog));
    };
    Drop(Stage().multi);
    EXPECT_EQ(Stage().multi, Text(dialog, IDC_SOURCE));
    EXPECT_EQ(Stage().multi, dialog.Job.Source.ProbedPath);
    EXPECT_EQ(2, (int)dialog.Job.Source.MediaInfo.AudioStreams.GetSize());
    EXPECT_EQ(CString(L"Track #2 - [fre]"), [&] {
        Choose(dialog, IDC_AUDIO_TRACK, 3);
        return SelectedRow(dialog, IDC_AUDIO_TRACK);
    }());
    const CString folder = MakeAwkwardFolder(L"dropped folder");
    Drop(folder);
    EXPECT_EQ(folder, dialog.GetDestinationFolder());
    EXPECT_EQ(Stage().multi, Text(dialog, IDC_SOURCE));
}

TEST_F(StandInDialogs, TheArrowKeysAndTheWheelWalkTheFormatListPastItsHeadingsBothWays)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -oformat AF_mp3");
    CMediaFormat* mp3 = m_store->FindFormat(L"AF_mp3");
    ASSERT_EQ(mp3, dialog.GetSelectedFormat());
    const int mp3Row = FormatRow(dialog, L"AF_mp3");
    ASSERT_GE(mp3Row, 2);
    ASSERT_TRUE(dialog.m_formatCombo.IsHeadingRow(mp3Row - 1));
    ASSERT_FALSE(dialog.m_formatCombo.IsHeadingRow(mp3Row - 2));
    CMediaCatalogItem* above = dialog.m_formatCombo.GetCatalogItem(mp3Row - 2);
    auto Key = [&](UINT key) {
        dialog.m_formatCombo.SendMessage(WM_KEYDOWN, key, 0);
        dialog.m_formatCombo.SendMessage(WM_KEYUP, key, 0xC0000001);
    };
    dialog.m_formatCombo.SetFocus();
    // Up from the first format of a category goes over its heading to the format above.
    Key(VK_UP);
    EXPECT_EQ(mp3Row - 2, dialog.m_formatCombo.GetCurSel());
    EXPECT_EQ(above, dialog.GetSelectedFormat());
    EXPECT_TRUE(dialog.m_presetCombo.IsWindowEnabled());
    // And down again over the heading.
    Key(VK_DOWN);
    EXPECT_EQ(mp3Row, dialog.m_formatCombo.GetCurSel());
    EXPECT_EQ(mp3, dialog.GetSelectedFormat());
    // The wheel goes the same ways.
    dialog.m_formatCombo.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(above, dialog.GetSelectedFormat());
    dialog.m_formatCombo.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    EXPECT_EQ(mp3, dialog.GetSelectedFormat());
    // A heading chosen otherwise gives the first format under it, also from below.
    Key(VK_DOWN);
    ASSERT_NE(mp3, dialog.GetSelectedFormat());
    Choose(dialog, IDC_FORMAT_LIST, mp3Row - 1);
    EXPECT_EQ(mp3, dialog.GetSelectedFormat());
    EXPECT_EQ(mp3Row, dialog.m_formatCombo.GetCurSel());
    // Row 0 is the first heading: Home gives the first format.
    Key(VK_HOME);
    EXPECT_EQ(1, dialog.m_formatCombo.GetCurSel());
    EXPECT_EQ(dialog.m_formatCombo.GetCatalogItem(1), dialog.GetSelectedFormat());
}

TEST_F(StandInDialogs, PresetRowsAreClampedARowWithoutAPresetIsNoneAndAReleasedPresetIsDroppedUntouched)
{
    CMediaFormat* mp4 = m_store->FindFormat(L"VF_mp4");
    CMediaFormat* avi = m_store->FindFormat(L"VF_avi");
    ASSERT_TRUE(mp4 && mp4->Presets && avi && avi->Presets);
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -oformat VF_mp4");
    ASSERT_EQ(mp4, dialog.GetSelectedFormat());
    // A remembered row past the end: the last row.
    avi->LastPreset = 999;
    Choose(dialog, IDC_FORMAT_LIST, FormatRow(dialog, L"VF_avi"));
    ASSERT_EQ(avi, dialog.GetSelectedFormat());
    EXPECT_EQ(dialog.m_presetCombo.GetCount() - 1, dialog.m_nPresetRow);
    ASSERT_TRUE(dialog.GetSelectedPreset() != nullptr);
    // No remembered row and a default below the list: the first row.
    mp4->LastPreset = -1;
    mp4->DefaultPreset = -7;
    Choose(dialog, IDC_FORMAT_LIST, FormatRow(dialog, L"VF_mp4"));
    ASSERT_EQ(mp4, dialog.GetSelectedFormat());
    EXPECT_EQ(0, dialog.m_nPresetRow);
    CMediaPreset* held = dialog.GetSelectedPreset();
    ASSERT_TRUE(held != nullptr);
    const int uses = held->UseCount;
    EXPECT_GT(uses, 0);
    // The preset manager is about to free this format's presets: the dialog lets go untouched.
    dialog.OnPresetsReleased(mp4);
    EXPECT_TRUE(dialog.GetSelectedPreset() == nullptr);
    EXPECT_EQ(uses, held->UseCount);
    // With no preset the row reads as none.
    EXPECT_EQ(0, dialog.ApplySelection());
    EXPECT_TRUE(dialog.GetSelectedPreset() == nullptr);
    EXPECT_TRUE(dialog.m_strPresetName.IsEmpty());
    EXPECT_EQ(CString(L"VF_mp4"), dialog.m_strFormatKey);
    // Another format's release leaves the selection alone.
    ASSERT_EQ(0, dialog.RefreshSelection());
    CMediaPreset* again = dialog.GetSelectedPreset();
    ASSERT_TRUE(again != nullptr);
    dialog.OnPresetsReleased(m_store->FindFormat(L"AF_mp3"));
    EXPECT_EQ(again, dialog.GetSelectedPreset());
}

// ----- refusals and sources the dialogs cannot use ---------------------------------------------------

namespace {

// Types a folder into the destination combo's edit as the user would.
void TypeDestination(CWnd& dialog, const CString& folder)
{
    HWND combo = ::GetDlgItem(dialog.m_hWnd, IDC_DESTINATION);
    HWND edit = (HWND)::SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0);
    ::SetWindowTextW(edit ? edit : combo, folder);
}

std::vector<CString> Messages()
{
    std::lock_guard<std::mutex> lock(g_eventLock);
    return g_messages;
}

}  // namespace

TEST_F(StandInDialogs, StartWithoutAUsableDestinationShowsItsMessageAndStaysIdle)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    TypeDestination(dialog, L"");
    Press(dialog, IDC_START);
    EXPECT_FALSE(dialog.IsRunning());
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ(CString(L"You must choose a destination folder!"), Messages()[0]);
    // A folder below a file cannot be made.
    const CString file = m_out + L"\\a file";
    ASSERT_TRUE(TouchFile(file));
    TypeDestination(dialog, file + L"\\sub");
    Press(dialog, IDC_START);
    EXPECT_FALSE(dialog.IsRunning());
    ASSERT_EQ(2u, Messages().size());
    EXPECT_EQ(CString(L"Cannot find or create folder:\n") + file + L"\\sub", Messages()[1]);
    // A folder that is not there yet is made.
    const CString made = m_out + L"\\new one\\deeper";
    TypeDestination(dialog, made);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_TRUE(::PathIsDirectoryW(made));
    EXPECT_EQ(1u, EncoderLines(Stage().log, made).size());
    EXPECT_EQ(2u, Messages().size());
    EXPECT_TRUE(IsShown(dialog, IDC_START));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SOURCE));
    EXPECT_TRUE(IsEnabled(dialog, IDC_DESTINATION));
}

TEST_F(StandInDialogs, AMissingSourceOnTheCommandLineIsRefusedAndNothingStartsByItself)
{
    const CString missing = m_out + L"\\not there.mp4";
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(missing) + L" -ofolder " + Quoted(m_out), TRUE);
    PumpPending();
    EXPECT_FALSE(dialog.IsRunning());
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ(CString(L"\"") + missing + L"\"\n\nis not a valid video or audio file.", Messages()[0]);
    EXPECT_TRUE(Text(dialog, IDC_SOURCE).IsEmpty());
    Press(dialog, IDC_START);
    EXPECT_FALSE(dialog.IsRunning());
    ASSERT_EQ(2u, Messages().size());
    EXPECT_EQ(CString(L"Source file doesn't exist!"), Messages()[1]);
    EXPECT_TRUE(EncoderLines(Stage().log, m_out).empty());
}

// A cut the user cannot have meant is never quietly dropped for the whole source: Start names the
// problem and nothing runs; unticked, the same times are no cut at all.
TEST_F(StandInDialogs, AReversedOrImpossibleCutIsRefusedWithItsProblemNamed)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    Click(dialog, IDC_CUT);
    struct Case {
        LPCWSTR start, stop, message;
    } cases[] = {
        {L"00:00:01.500", L"00:00:00.500", L"Start time must be before stop time!"},
        {L"00:00:01.500", L"00:00:01.500", L"Start time must be before stop time!"},
        // The time edit takes a text no clock shows; read as it stands it lies past the 2 s clip.
        {L"99:59:99.999", L"99:59:99.999", L"Start time must be before stop time!"},
        {L"00:00:05.000", L"99:59:99.999", L"Start time is past the end of the source!"},
    };
    for (const Case& c : cases) {
        dialog.SetDlgItemText(IDC_CUT_START, c.start);
        dialog.SetDlgItemText(IDC_CUT_STOP, c.stop);
        const size_t before = Messages().size();
        Press(dialog, IDC_START);
        EXPECT_FALSE(dialog.IsRunning()) << CStringA(c.start).GetString();
        ASSERT_EQ(before + 1, Messages().size()) << CStringA(c.start).GetString();
        EXPECT_EQ(CString(c.message), Messages().back());
        EXPECT_TRUE(IsShown(dialog, IDC_START));
        EXPECT_TRUE(IsEnabled(dialog, IDC_CUT_START));
    }
    EXPECT_TRUE(EncoderLines(Stage().log, m_out).empty());
    Shot(L"converter refuses a reversed cut", dialog.m_hWnd);

    // A cut within the source converts that part.
    dialog.SetDlgItemText(IDC_CUT_START, L"00:00:00.500");
    dialog.SetDlgItemText(IDC_CUT_STOP, L"00:00:01.500");
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size());
    EXPECT_GE(runs[0].Find(L" -ss 0:00:00.500"), 0) << CStringA(runs[0]).GetString();
    EXPECT_GE(runs[0].Find(L" -t 0:00:01.000"), 0) << CStringA(runs[0]).GetString();

    // Unticked, reversed times are no cut.
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    dialog.done = 0;
    dialog.SetDlgItemText(IDC_CUT_START, L"00:00:01.500");
    dialog.SetDlgItemText(IDC_CUT_STOP, L"00:00:00.500");
    Click(dialog, IDC_CUT);
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size());
    EXPECT_LT(runs[0].Find(L" -ss "), 0) << CStringA(runs[0]).GetString();
    EXPECT_EQ(4u, Messages().size());
}

// A cut given on the command line is checked as a typed one is, with and without AutoStart: it is
// refused with its problem named, nothing runs, and the times stay as given to be mended. Only a
// stop past the end comes back to the end, which converts what was asked.
TEST_F(StandInDialogs, ACutGivenOnTheCommandLineIsCheckedAsATypedOneIs)
{
    struct Case {
        LPCWSTR cut, start, stop, message;
    } cases[] = {
        {L"-starttime 1500 -stoptime 500", L"00:00:01.500", L"00:00:00.500", L"Start time must be before stop time!"},
        {L"-starttime 4000", L"00:00:04.000", nullptr, L"Start time is past the end of the source!"},
        {L"-starttime 4000 -stoptime 9000", L"00:00:04.000", nullptr, L"Start time is past the end of the source!"},
    };
    for (BOOL autoStart : {TRUE, FALSE}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(CStringA(c.cut).GetString() + std::string(autoStart ? " with AutoStart" : ""));
            const size_t before = Messages().size();
            CConverter& dialog =
                Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" " + c.cut + L" -ofolder " + Quoted(m_out), autoStart);
            PumpPending();
            if (!autoStart) {
                EXPECT_EQ(before, Messages().size());
                Press(dialog, IDC_START);
            }
            EXPECT_FALSE(dialog.IsRunning());
            ASSERT_EQ(before + 1, Messages().size());
            EXPECT_EQ(CString(c.message), Messages().back());
            EXPECT_TRUE(IsChecked(dialog, IDC_CUT));
            EXPECT_EQ(CString(c.start), Text(dialog, IDC_CUT_START));
            if (c.stop)
                EXPECT_EQ(CString(c.stop), Text(dialog, IDC_CUT_STOP));
            else
                EXPECT_EQ(dialog.Job.Source.MediaInfo.GetDurationMs(), dialog.m_nCutStop);
            EXPECT_TRUE(IsShown(dialog, IDC_START));
            EXPECT_TRUE(IsEnabled(dialog, IDC_CUT_START));
            if (autoStart && c.stop)
                Shot(L"converter refuses a reversed cut of the command line", dialog.m_hWnd);
            dialog.DestroyWindow();
        }
    }
    // The GIF Maker's own cut of the first seconds does not replace a command line's.
    CGifMaker& gif = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) + L" -starttime 4000 -ofolder " + Quoted(m_out),
                                     TRUE);
    PumpPending();
    EXPECT_FALSE(gif.IsRunning());
    EXPECT_EQ(CString(L"Start time is past the end of the source!"), Messages().back());
    EXPECT_EQ(CString(L"00:00:04.000"), Text(gif, IDC_CUT_START));
    EXPECT_TRUE(EncoderLines(Stage().log, m_out).empty()) << "a job ran";

    // A modal dialog shows itself only once its queue is empty, and AutoStart's start can come
    // before that: its refusal must stand over the dialog it is about, not alone on the screen.
    CConverter* unshown = new CConverter;
    m_dialogs.emplace_back(unshown, [](void* p) { delete static_cast<CConverter*>(p); });
    unshown->TakeCommandLine(ParseLine(Quoted(Stage().clip) + L" -starttime 1500 -stoptime 500 -ofolder " + Quoted(m_out)),
                             TRUE);
    ASSERT_TRUE(unshown->Create(IDD_CONVERTER, nullptr));
    m_open.push_back(unshown);
    {
        std::lock_guard<std::mutex> lock(g_eventLock);
        g_watchedWindow = unshown->m_hWnd;
        g_watchedShown.clear();
    }
    ASSERT_TRUE(WaitForSource(*unshown));
    PumpPending();
    {
        std::lock_guard<std::mutex> lock(g_eventLock);
        g_watchedWindow = nullptr;
        ASSERT_EQ(1u, g_watchedShown.size());
        EXPECT_TRUE(g_watchedShown[0]) << "the message showed without its dialog";
    }
    EXPECT_EQ(CString(L"Start time must be before stop time!"), Messages().back());
    unshown->DestroyWindow();

    // A stop past the end converts to the end.
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -starttime 500 -stoptime 9000 -ofolder " +
                                                             Quoted(m_out), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return dialog.done > 0 && !dialog.IsRunning(); }, 60000));
    const std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size());
    EXPECT_GE(runs[0].Find(L" -ss 0:00:00.500"), 0) << CStringA(runs[0]).GetString();
    EXPECT_EQ(dialog.Job.Source.MediaInfo.GetDurationMs(), dialog.m_nCutStop);
}

// The blanks of a typed path are no part of it, for the probe and the check alike.
TEST_F(StandInDialogs, BlanksTypedAroundTheSourceAreNoPartOfIt)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out));
    dialog.SetDlgItemText(IDC_SOURCE, L"  " + Stage().clip + L" ");
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000)) << (Messages().empty() ? "" : CStringA(Messages().back()).GetString());
    EXPECT_EQ(Stage().clip, dialog.Job.Source.Path);
    EXPECT_EQ(Stage().clip, Text(dialog, IDC_SOURCE));
    // Another file typed with blanks is probed and converted under its own name.
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    dialog.done = 0;
    dialog.SetDlgItemText(IDC_SOURCE, L" " + Stage().multi + L"  ");
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_EQ(Stage().multi, dialog.Job.Source.Path);
    EXPECT_EQ(2, (int)dialog.Job.Source.MediaInfo.AudioStreams.GetSize());
    EXPECT_TRUE(Messages().empty());
}

// A hidden format given by its key is the one converted to, and the list shows it; an unknown key
// is refused and the stored choice stays; the GIF Maker makes GIFs whatever the key.
TEST_F(StandInDialogs, AHiddenFormatKeyIsShownAndUsedAndAnUnknownOneIsRefused)
{
    CConverter& hidden = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -oformat AF_m4a -ofolder " + Quoted(m_out));
    ASSERT_TRUE(m_store->FindFormat(L"AF_m4a")->Flags & CATALOG_HIDDEN);
    EXPECT_EQ(0, SelectedRow(hidden, IDC_FORMAT_LIST).Find(L"M4A\t")) << CStringA(SelectedRow(hidden, IDC_FORMAT_LIST)).GetString();
    EXPECT_EQ(CString(L"av clip.m4a"), Text(hidden, IDC_OUTPUT_NAME));
    Shot(L"converter with a hidden format", hidden.m_hWnd);
    Press(hidden, IDC_START);
    ASSERT_TRUE(WaitForEnd(hidden, 60000));
    const std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    ASSERT_EQ(1u, runs.size());
    EXPECT_GE(runs[0].Find(L"-f ipod"), 0) << CStringA(runs[0]).GetString();
    EXPECT_GE(runs[0].Find(L"av clip.m4a.part"), 0) << CStringA(runs[0]).GetString();
    // Another format chosen in the list: the hidden one is offered no more once the list is filled again.
    Choose(hidden, IDC_FORMAT_LIST, FormatRow(hidden, L"VF_mkv"));
    hidden.RefreshSelection();
    EXPECT_EQ(-1, FormatRow(hidden, L"AF_m4a"));
    EXPECT_TRUE(Messages().empty());

    m_app->Settings().formatKey = L"VF_avi";
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    CConverter& unknown = Open<CConverter>(IDD_CONVERTER, Quoted(Stage().clip) + L" -oformat AF_xyz -ofolder " + Quoted(m_out), TRUE);
    PumpPending();
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ(CString(L"Unknown output format:\nAF_xyz"), Messages()[0]);
    EXPECT_EQ(CString(L"VF_avi"), unknown.m_strFormatKey);
    EXPECT_EQ(0, SelectedRow(unknown, IDC_FORMAT_LIST).Find(L"AVI\t"));
    // The auto-start waits for the user, who was told the format asked for is not there.
    EXPECT_FALSE(unknown.IsRunning());
    EXPECT_TRUE(EncoderLines(Stage().log, m_out).empty());

    CGifMaker& gif = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Stage().clip) + L" -oformat VF_mp4 -ofolder " + Quoted(m_out));
    EXPECT_EQ(CString(L"VF_gif"), gif.m_strFormatKey);
    EXPECT_EQ(CString(L"av clip.gif"), Text(gif, IDC_OUTPUT_NAME));
    EXPECT_EQ(1u, Messages().size());
}

// A place saved on a monitor that is gone, made of huge values, or that leaves too little of the
// caption on a monitor to take the dialog by, opens on the primary monitor.
TEST_F(StandInDialogs, ASavedPlaceThatNoMonitorShowsOpensCentredOnThePrimaryOne)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    const POINT origin = {0, 0};
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info));
    const CRect work(info.rcWork);
    struct Case {
        int left, top;
        bool kept;
    } cases[] = {
        {120, 90, true},
        {work.right + 2000, 100, false},
        {-30000, -30000, false},
        {INT_MAX - 100, INT_MAX - 100, false},
        {INT_MIN + 1, 40, false},
        // Only a corner on the monitor: there is no caption to take it by.
        {work.right - 10, work.bottom - 10, false},
        // The caption's top half above the monitor.
        {200, work.top - SAVED_PLACE_GRIP_HEIGHT / 2, false},
        // Enough of the caption to take it by, the rest of the dialog off the monitor.
        {work.right - SAVED_PLACE_GRIP_WIDTH - 20, work.bottom - SAVED_PLACE_GRIP_HEIGHT - 5, true},
    };
    for (const Case& c : cases) {
        m_app->Settings().windowLeft = c.left;
        m_app->Settings().windowTop = c.top;
        CConverter& dialog = Open<CConverter>(IDD_CONVERTER, L"-ofolder " + Quoted(m_out));
        CRect placed;
        dialog.GetWindowRect(&placed);
        if (c.kept) {
            EXPECT_EQ(c.left, placed.left);
            EXPECT_EQ(c.top, placed.top);
        } else {
            EXPECT_NEAR(work.CenterPoint().x, placed.CenterPoint().x, 2) << c.left;
            EXPECT_NEAR(work.CenterPoint().y, placed.CenterPoint().y, 2) << c.left;
        }
        dialog.DestroyWindow();
    }
}

TEST_F(RealDialogs, TheAudioExtractorWarnsOfASourceWithoutAudioAndItsJobFails)
{
    CExtractor& dialog = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, L"-c ae " + Quoted(Clips().silent) + L" -oformat AF_mp3"
                                                                   L" -ofolder " + Quoted(m_out));
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ(CString(L"\"") + Clips().silent + L"\"\n\ndoesn't have audio.", Messages()[0]);
    EXPECT_EQ(Clips().silent, Text(dialog, IDC_SOURCE));
    EXPECT_EQ(CString(L"No audio"), SelectedRow(dialog, IDC_AUDIO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_AUDIO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CHANGE_VOLUME));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 120000));
    EXPECT_EQ(JOB_RESULT_FAILED, dialog.Job.Status.Result) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(CString(L"Failed: Source has no audio"), dialog.StatusBarText());
    EXPECT_FALSE(IsEnabled(dialog, IDC_PLAY_OUTPUT));
    EXPECT_EQ(0, m_app->Settings().recentFiles.GetCount());
    EXPECT_FALSE(IsEnabled(dialog, IDC_AUDIO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CHANGE_VOLUME));
    Shot(L"audio extractor without audio", dialog.m_hWnd);
}

// The Audio Extractor makes sound whatever format it is left on: on a source without audio it says
// so before the encoder runs, also in the converter's last format, a video one.
TEST_F(StandInDialogs, TheAudioExtractorSaysASourceHasNoAudioWhateverFormatIsChosen)
{
    const CString silent = GetClips().silent;
    ASSERT_FALSE(silent.IsEmpty());
    m_app->Settings().formatKey = L"VF_mp4";
    m_app->Settings().presetName = L"";
    CExtractor& dialog = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, L"-c ae " + Quoted(silent) + L" -ofolder " + Quoted(m_out));
    ASSERT_EQ(0, SelectedRow(dialog, IDC_FORMAT_LIST).Find(L"MP4\t")) << CStringA(SelectedRow(dialog, IDC_FORMAT_LIST)).GetString();
    for (LPCWSTR format : {L"VF_mp4", L"VF_gif", L"VF_mkv"}) {
        SCOPED_TRACE(CStringA(format).GetString());
        Choose(dialog, IDC_FORMAT_LIST, FormatRow(dialog, format));
        dialog.done = 0;
        Press(dialog, IDC_START);
        ASSERT_TRUE(WaitForEnd(dialog, 60000));
        EXPECT_EQ(JOB_RESULT_FAILED, dialog.Job.Status.Result);
        EXPECT_EQ(CString(L"Failed: Source has no audio"), dialog.StatusBarText());
    }
    EXPECT_TRUE(EncoderLines(Stage().log, m_out).empty()) << "the encoder ran";
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ(CString(L"\"") + silent + L"\"\n\ndoesn't have audio.", Messages()[0]);
}

TEST_F(RealDialogs, TheGifMakerWarnsOfASourceWithoutVideoAndItsJobFails)
{
    CGifMaker& dialog = Open<CGifMaker>(IDD_GIF_MAKER, L"-c gm " + Quoted(Clips().tone) + L" -ofolder " + Quoted(m_out));
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ(CString(L"\"") + Clips().tone + L"\"\n\ndoesn't have video.", Messages()[0]);
    EXPECT_EQ(CString(L"No video"), SelectedRow(dialog, IDC_VIDEO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_VIDEO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_ROTATE));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 120000));
    EXPECT_EQ(JOB_RESULT_FAILED, dialog.Job.Status.Result) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(CString(L"Failed: Source has no video"), dialog.StatusBarText());
    EXPECT_FALSE(IsEnabled(dialog, IDC_PLAY_OUTPUT));
    EXPECT_FALSE(IsEnabled(dialog, IDC_ROTATE));
    EXPECT_FALSE(::PathFileExistsW(m_out + L"\\tone (1).gif"));
    Shot(L"gif maker without video", dialog.m_hWnd);
}

TEST_F(RealDialogs, ADropWhileAJobRunsChangesNeitherItsSourceNorTheFolderItsOutputGoesTo)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Clips().clip) + L" -ofolder " + Quoted(m_out));
    Press(dialog, IDC_START);
    ASSERT_TRUE(dialog.IsRunning());
    DropOn(dialog, MakeAwkwardFolder(L"dropped while running"));
    DropOn(dialog, Clips().longer);
    EXPECT_EQ(m_out, dialog.GetDestinationFolder());
    EXPECT_EQ(Clips().clip, Text(dialog, IDC_SOURCE));
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\av clip.mp4", dialog.Job.Target.Path);
    // The recent lists get what the job used, and the dialog still shows it.
    ASSERT_GE(m_app->Settings().recentFolders.GetCount(), 1);
    EXPECT_EQ(m_out, m_app->Settings().recentFolders[0]);
    EXPECT_EQ(m_out, dialog.GetDestinationFolder());
    ASSERT_GE(m_app->Settings().recentFiles.GetCount(), 1);
    EXPECT_EQ(Clips().clip, m_app->Settings().recentFiles[0]);
}

TEST_F(RealDialogs, EffectsLeftTickedOnADisabledVideoTrackDoNotStopTheConversion)
{
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(Clips().clip) + L" -vstream -2 -fliph -rotate 90 -grayscale"
                                                         L" -ofolder " + Quoted(m_out));
    EXPECT_EQ(CString(L"Disable"), SelectedRow(dialog, IDC_VIDEO_TRACK));
    EXPECT_FALSE(IsEnabled(dialog, IDC_FLIP_HORIZONTAL));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(0, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(1, (int)dialog.Job.Target.MediaInfo.AudioStreams.GetSize());
}

TEST_F(RealDialogs, TheAudioExtractorIntoAVideoFormatWritesTheSoundOnly)
{
    // A first start remembers no format: the extractor takes the first of the list, a video one.
    CExtractor& dialog = Open<CExtractor>(IDD_AUDIO_EXTRACTOR, L"-c ae " + Quoted(Clips().clip) + L" -oformat VF_mp4"
                                                                   L" -ofolder " + Quoted(m_out));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    ASSERT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(m_out + L"\\av clip.mp4", dialog.Job.Target.Path);
    EXPECT_EQ(0, (int)dialog.Job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(1, (int)dialog.Job.Target.MediaInfo.AudioStreams.GetSize());
}

TEST_F(RealDialogs, ConvertingASourceIntoItsOwnNameNeverOverwritesIt)
{
    // Into its own folder and its own format, with "Always overwrite existing file" standing.
    const CString folder = MakeAwkwardFolder(L"own name");
    const CString source = folder + L"\\own clip.mp4";
    ASSERT_TRUE(::CopyFileW(Clips().clip, source, FALSE));
    const __int64 size = GetFileSize64(source);
    m_app->Settings().sameAsInput = 1;
    m_app->Settings().overwrite = FILE_EXISTS_OVERWRITE_ALL;
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(source) + L" -oformat VF_mp4");
    ASSERT_TRUE(IsChecked(dialog, IDC_SAVE_TO_SOURCE));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 180000));
    // The source is as it was; the output went to a name of its own.
    EXPECT_EQ(size, GetFileSize64(source));
    CMediaInfoRecord probed;
    ASSERT_EQ(0, probed.Probe(source, nullptr));
    EXPECT_EQ(1, (int)probed.VideoStreams.GetSize());
    EXPECT_GT(probed.GetDurationMs(), 1500);
    EXPECT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(folder + L"\\own clip (1).mp4", dialog.Job.Target.Path);
}

// ----- the source's probe on a worker ----------------------------------------------------------------

// The window comes up first: the source's probe runs on a worker and what it tells fills the
// dialog in when it is in. The start asked for meanwhile, by the command line's AutoStart and by
// the user, waits for it; the job then takes the dialog's probe instead of probing the file again.
TEST_F(StandInDialogs, TheDialogIsUpBeforeItsSourcesProbeEndsAndTheStartWaitsForTheProbe)
{
    const CHeldProbe probe = HoldProbe(Stage().multi);
    ASSERT_TRUE(probe.problem.IsEmpty()) << CStringA(probe.problem).GetString();
    ScriptStandInEncoder(L"progress 2\ninterval 20\noutput_text not a clip\n");
    CConverter& dialog =
        Show<CConverter>(IDD_CONVERTER, Quoted(Stage().multi) + L" -astream 2 -ofolder " + Quoted(m_out), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return !probe.Runs(Stage().multi).empty(); }, 30000));
    // Shown and answering while the probe runs.
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_TRUE(dialog.IsProbingSource());
    EXPECT_EQ(Stage().multi, Text(dialog, IDC_SOURCE));
    EXPECT_EQ(CString(L"Auto"), SelectedRow(dialog, IDC_AUDIO_TRACK));
    EXPECT_TRUE(Text(dialog, IDC_OUTPUT_NAME).IsEmpty());
    EXPECT_TRUE(dialog.Job.SourceDurationText.IsEmpty());
    Click(dialog, IDC_CUT);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CUT_START));
    Click(dialog, IDC_CUT);
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUT_START));
    // Neither AutoStart's start nor the user's runs on a source that is not known yet.
    PumpPending();
    Press(dialog, IDC_START);
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_TRUE(IsShown(dialog, IDC_START));
    EXPECT_TRUE(EncoderLines(Stage().log, L"-callback_window").empty());
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Shot(L"converter while its source is probed", dialog.m_hWnd);
    EXPECT_TRUE(dialog.IsProbingSource());

    ASSERT_TRUE(TouchFile(probe.release));
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_TRUE(Completed(dialog)) << CStringA(dialog.StatusBarText()).GetString();
    EXPECT_EQ(CString(L"Track #2 - [fre]"), SelectedRow(dialog, IDC_AUDIO_TRACK));
    EXPECT_EQ(0, Text(dialog, IDC_OUTPUT_NAME).Find(L"tracks clip.")) << CStringA(Text(dialog, IDC_OUTPUT_NAME)).GetString();
    EXPECT_FALSE(dialog.Job.SourceDurationText.IsEmpty());
    // One job for the two starts asked for, on the track the command line chose (the other run
    // naming the output grabs its picture).
    std::vector<CString> runs = EncoderLines(Stage().log, m_out);
    runs.erase(std::remove_if(runs.begin(), runs.end(), [](const CString& run) { return run.Find(L"-callback_window") < 0; }),
               runs.end());
    ASSERT_EQ(1u, runs.size());
    EXPECT_GE(runs[0].Find(L"-map 0:2"), 0) << CStringA(runs[0]).GetString();
    // The source was probed once: by the dialog. The output once, too.
    EXPECT_EQ(1u, probe.Runs(Stage().multi).size());
    EXPECT_EQ(1u, probe.Runs(m_out).size());
    EXPECT_TRUE(Messages().empty());
}

// A dialog closed while its source's probe runs stops the probe: nothing is said of a file that
// was never looked at, nothing converts, no tool is left.
TEST_F(StandInDialogs, ClosingTheDialogWhileItsSourceIsProbedStopsTheProbeWithoutAWord)
{
    const CHeldProbe probe = HoldProbe(Stage().clip);
    ASSERT_TRUE(probe.problem.IsEmpty()) << CStringA(probe.problem).GetString();
    CConverter dialog;
    dialog.TakeCommandLine(ParseLine(Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out)), TRUE);
    std::thread user([&] {
        HWND window = nullptr;
        WaitUntil(
            [&] {
                window = dialog.m_hWnd;
                return window && ::IsWindowVisible(window) && !probe.Runs(Stage().clip).empty();
            },
            30000);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    });
    const DWORD before = ::GetTickCount();
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    user.join();
    EXPECT_LT(::GetTickCount() - before, 40000u);
    ASSERT_EQ(1u, probe.Runs(Stage().clip).size());
    EXPECT_FALSE(::PathFileExistsW(probe.release)) << "the probe cannot have ended by itself";
    EXPECT_EQ(0, convtest::CountProcessesOf(probe.exe));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(dialog.IsLoadingSource());
    EXPECT_TRUE(EncoderLines(Stage().log, L"-callback_window").empty());
}

// The file shown was written by another program since its probe: Start probes it again and
// converts what it now holds.
TEST_F(StandInDialogs, AFileWrittenSinceItsProbeIsProbedAgainBeforeItIsConverted)
{
    const CString source = MakeAwkwardFolder(L"rewritten") + L"\\source clip.mkv";
    ASSERT_TRUE(::CopyFileW(Stage().clip, source, FALSE));
    CConverter& dialog = Open<CConverter>(IDD_CONVERTER, Quoted(source) + L" -ofolder " + Quoted(m_out));
    ASSERT_EQ(1, (int)dialog.Job.Source.MediaInfo.AudioStreams.GetSize());
    ASSERT_TRUE(::CopyFileW(Stage().multi, source, FALSE));
    Press(dialog, IDC_START);
    ASSERT_TRUE(WaitForEnd(dialog, 60000));
    EXPECT_EQ(2, (int)dialog.Job.Source.MediaInfo.AudioStreams.GetSize());
    HWND audio = ::GetDlgItem(dialog.m_hWnd, IDC_AUDIO_TRACK);
    EXPECT_EQ(4, (int)::SendMessageW(audio, CB_GETCOUNT, 0, 0));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SUBTITLE_TRACK));
    EXPECT_EQ(3, (int)::SendDlgItemMessageW(dialog.m_hWnd, IDC_SUBTITLE_TRACK, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1u, EncoderLines(Stage().log, m_out).size());
    EXPECT_TRUE(Messages().empty());
}

// A grab of the source's picture that hangs: closing the dialog ends it at once, without the
// grace a conversion's encoder gets to finish its file.
TEST_F(StandInDialogs, ClosingTheDialogWhileItsSourcePictureIsGrabbedEndsTheGrabAtOnce)
{
    ScriptStandInEncoder(L"hang\n");
    CToolProcessBase::SetStopGraceForTests(60000);
    CConverter dialog;
    dialog.TakeCommandLine(ParseLine(Quoted(Stage().clip) + L" -ofolder " + Quoted(m_out)), FALSE);
    DWORD closedAt = 0;
    std::thread user([&] {
        HWND window = nullptr;
        WaitUntil(
            [&] {
                window = dialog.m_hWnd;
                return window && ::IsWindowVisible(window) && !EncoderLines(Stage().log, L"image2").empty();
            },
            30000);
        closedAt = ::GetTickCount();
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    const DWORD closing = ::GetTickCount() - closedAt;
    user.join();
    ASSERT_EQ(1u, EncoderLines(Stage().log, L"image2").size()) << "the picture's grab ran";
    EXPECT_LT(closing, 10000u) << "the close waited out the stop grace";
    EXPECT_EQ(0, convtest::CountProcessesOf(Stage().encoder));
    EXPECT_TRUE(Messages().empty());
}
