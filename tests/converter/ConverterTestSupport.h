// Shared equipment of the converter tests: an application object with a registry key of its own,
// the converter's settings and environment published as the process-wide ones, a parent window
// for controls, the prompt on a worker thread, and screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "conversion/PresetStore.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterSettings.h"
#include "engine/EngineTestSupport.h"
#include "framework/framework.h"

// CString values in test failures as their text.
inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << CStringA(text).GetString() << '"';
}

namespace convertertest {

extern const wchar_t kTestMaker[];
extern const wchar_t kTestAppName[];

// An application object whose profile lives under HKCU\Software\<kTestMaker>\<kTestAppName>,
// emptied before and after, with settings and (when asked) an initialised environment published
// for the object's life.
class CConverterTestApp {
public:
    explicit CConverterTestApp(bool withEnvironment = true);
    // With this environment (initialised here) published instead of a plain one.
    explicit CConverterTestApp(std::unique_ptr<CConverterEnvironment> environment);
    ~CConverterTestApp();
    CConverterTestApp(const CConverterTestApp&) = delete;
    CConverterTestApp& operator=(const CConverterTestApp&) = delete;

    CWinApp& App() { return *m_app; }
    CConverterSettings& Settings() { return *m_settings; }
    CConverterEnvironment* Environment() { return m_environment.get(); }
    CString KeyPath() const;
    static void DeleteProfile();

private:
    std::unique_ptr<CWinApp> m_app;
    std::unique_ptr<CConverterSettings> m_settings;
    std::unique_ptr<CConverterEnvironment> m_environment;
};

// A visible top-level window of the test thread that holds controls under test; one for the
// whole run (Wine without a window manager is slow to destroy top-level windows). It records
// the commands its children send and paints its background in a colour of the test's.
class CControlHost : public CWnd {
public:
    static CControlHost& Shared();
    // Shown at (40, 40) with the client size asked, on the dialog colour, nothing recorded.
    BOOL Prepare(int width = 480, int height = 240);

    COLORREF m_background = RGB(240, 240, 240);
    std::vector<std::pair<UINT, UINT>> m_commands;  // (id, notification code)

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()
};

using enginetest::CPumpedThread;
using enginetest::GetEnv;
using enginetest::MakeAwkwardFolder;
using enginetest::WaitUntil;

// Dispatches whatever is queued for this thread now.
void PumpPending();
// A window of another thread with that caption, waited for; null on timeout.
HWND WaitForWindow(LPCWSTR caption, DWORD timeoutMs = 15000);
// An empty file (its folder must exist).
bool TouchFile(LPCWSTR path);
CString WindowText(HWND hwnd);
// Saves a screenshot into the test output's "converter" folder; the path or empty.
CString Shot(LPCWSTR name, HWND hwnd);
// The tool tip of this thread that is shown now, or null.
HWND VisibleToolTip();
// The mouse put on the middle of the control and moved there: the text of the tool tip that shows
// within five seconds, or empty when none does.
CString HoverForToolTip(CWnd& control);

// How many preset objects are alive in the process (every allocation of a preset's size is
// counted), for tests that check that each preset is destroyed exactly once.
long LivePresetObjects();

// A store with the whole catalogue and the built-in presets, its file in a scratch folder of its
// own (not written yet).
class CTestStore : public CMediaPresetStore {
public:
    CTestStore();
    CString Folder;
};

// Clips made once per run: 'clip' 2 s 352x288 with stereo audio (mp4); 'multi' 3 s 320x240 (mkv)
// with two audio tracks (English, French) and a subtitle track, streams 0 video, 1 and 2 audio,
// 3 subtitle; 'tone' 2 s of audio only (m4a); 'longer' 6 s 320x240 with audio (mp4); 'silent'
// 2 s 320x240 without audio (mp4); 'cutShort' a 30 s clip of which only the first third is on
// disk while its index (at the front) still says 30 s (mp4).
struct CClips {
    CString problem;
    CString folder, clip, multi, tone, longer, silent, cutShort;
};
const CClips& GetClips();

// The real probe in an application folder's Modules, a stand-in encoder that logs its arguments,
// Ravento.exe beside them, and the clips; made once per run.
struct CConversionStage {
    CString problem;
    CString app, modules, probe, encoder, log, script, ravento, clip, multi, tone;
};
CConversionStage& GetConversionStage();
// Rewrites the stand-in encoder's script (its log line is added) and empties the log.
void ScriptStandInEncoder(LPCWSTR lines);

// A stand-in probe laid out at 'exe' (its folder must exist) that answers with what the real probe
// says of 'clip', but only once the test has made the release file; each run is logged.
struct CHeldProbe {
    CString problem, exe, release, log;
    // The logged runs whose command line names the text.
    std::vector<CString> Runs(const CString& containing) const;
};
CHeldProbe MakeHeldProbe(const CString& exe, const CString& clip);

// The real tools (probe, encoder, ffmpeg, gifsicle, the encoder's presets) in an application
// folder of their own with Ravento.exe and a stand-in Lumivo.exe beside them; made once per run.
struct CToolStage {
    CString problem;
    CString app, modules, ravento;
};
CToolStage& GetToolStage();

// An environment whose application folder (the tools, gifsicle, the encoder's presets) is a
// stage's; Aim after Init.
class CStageEnvironment : public CConverterEnvironment {
public:
    explicit CStageEnvironment(const CString& app) : m_app(app) {}
    void Aim();
    CString GetAppFolder() override { return m_app; }
    // Another application folder for what is found there (gifsicle, the player); the tools Aim
    // pointed at stay.
    void SetAppFolder(const CString& app) { m_app = app; }

private:
    CString m_app;
};

}  // namespace convertertest
