// The stage of the job tests and the file helpers they share.
#include "JobTestFixtures.h"

#include <algorithm>
#include <vector>

#include "framework/Handles.h"

namespace convtest {

Stage& GetStage()
{
    static Stage stage;
    static bool made = false;
    if (made)
        return stage;
    made = true;
    const CString bin = GetEnv(L"TEST_BIN_DIR"), ff = GetEnv(L"TEST_FFMPEG_DIR"), deps = GetEnv(L"TEST_DEPS_BIN_DIR");
    if (bin.IsEmpty() || ff.IsEmpty() || deps.IsEmpty() || GetEnv(L"TEST_TEMP_DIR").IsEmpty()) {
        stage.problem = L"TEST_BIN_DIR, TEST_FFMPEG_DIR, TEST_DEPS_BIN_DIR and TEST_TEMP_DIR must be set";
        return stage;
    }
    stage.app = MakeScratchFolder(L"app");
    stage.modules = stage.app + L"\\Modules";
    CreateDirectoryW(stage.modules, nullptr);
    CreateDirectoryW(stage.modules + L"\\ffmpeg", nullptr);
    CreateDirectoryW(stage.modules + L"\\Presets", nullptr);
    stage.probe = stage.modules + L"\\Quisset.exe";
    stage.encoder = stage.modules + L"\\Velkor.exe";
    stage.gifsicle = stage.modules + L"\\gifsicle.exe";
    if (!CopyFileW(bin + L"\\Quisset.exe", stage.probe, FALSE) || !CopyFileW(bin + L"\\Velkor.exe", stage.encoder, FALSE) ||
        !CopyFileW(ff + L"\\ffmpeg.exe", stage.modules + L"\\ffmpeg\\ffmpeg.exe", FALSE) ||
        !CopyFileW(ff + L"\\ffprobe.exe", stage.modules + L"\\ffmpeg\\ffprobe.exe", FALSE) ||
        !CopyFileW(deps + L"\\gifsicle.exe", stage.gifsicle, FALSE)) {
        stage.problem = L"cannot lay out the Modules folder";
        return stage;
    }
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(bin + L"\\Presets\\*.ffpreset", &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            CopyFileW(bin + L"\\Presets\\" + found.cFileName, stage.modules + L"\\Presets\\" + found.cFileName, FALSE);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }

    stage.clips = MakeScratchFolder(L"clips");
    stage.av = stage.clips + L"\\av clip.mp4";
    stage.tone = stage.clips + L"\\tone (1).m4a";
    stage.longClip = stage.clips + L"\\long clip.mp4";
    stage.silent = stage.clips + L"\\silent clip.mp4";
    stage.cutShort = stage.clips + L"\\cut short.mp4";
    stage.shortSound = stage.clips + L"\\short sound.mp4";
    const CString whole = stage.clips + L"\\whole.mp4";
    const CString ffmpeg = L"\"" + ff + L"\\ffmpeg.exe\" -v error -y ";
    const CString commands[] = {
        ffmpeg + L"-f lavfi -i testsrc=duration=2:size=352x288:rate=25 -f lavfi -i sine=frequency=440:duration=2:sample_rate=44100"
                 L" -ac 2 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest \"" + stage.av + L"\"",
        ffmpeg + L"-f lavfi -i sine=frequency=440:duration=2:sample_rate=44100 -c:a aac \"" + stage.tone + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=30:size=640x480:rate=25 -f lavfi -i sine=duration=30 -c:v mpeg4"
                 L" -c:a aac -shortest \"" + stage.longClip + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=2:size=320x240:rate=25 -c:v mpeg4 \"" + stage.silent + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=30:size=320x240:rate=25 -f lavfi -i sine=duration=30 -c:v mpeg4"
                 L" -c:a aac -shortest -movflags +faststart \"" + whole + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=30:size=160x120:rate=10 -f lavfi -i sine=duration=20 -c:v mpeg4"
                 L" -c:a aac \"" + stage.shortSound + L"\"",
    };
    for (const CString& command : commands) {
        if (RunHidden(command, 120000) != 0) {
            stage.problem = L"cannot make the test clips";
            return stage;
        }
    }
    if (!CopyFirstThird(whole, stage.cutShort))
        stage.problem = L"cannot cut the clip short";
    return stage;
}

// The names in a folder, sorted, joined with "|".
CString NamesIn(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder + L"\\*", &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
                names.push_back(found.cFileName);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    CString joined;
    for (const CString& name : names)
        joined += (joined.IsEmpty() ? L"" : L"|") + name;
    return joined;
}

// Whether two files hold the same bytes.
bool SameBytes(LPCWSTR a, LPCWSTR b)
{
    CHandle fa(CreateFileW(a, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    CHandle fb(CreateFileW(b, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!fa.IsValid() || !fb.IsValid())
        return false;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    for (;;) {
        DWORD ra = 0, rb = 0;
        if (!ReadFile(fa, ba.data(), (DWORD)ba.size(), &ra, nullptr) || !ReadFile(fb, bb.data(), (DWORD)bb.size(), &rb, nullptr) ||
            ra != rb || memcmp(ba.data(), bb.data(), ra) != 0)
            return false;
        if (ra == 0)
            return true;
    }
}

// A title of exactly 'length' characters.
CString TitleOf(int length)
{
    CString title;
    while (title.GetLength() < length)
        title += L"a long clip title ";
    title = title.Left(length);
    title.TrimRight();
    while (title.GetLength() < length)
        title += L"x";
    return title;
}

// Three minutes of picture and sound: a job that the test stops or closes is still encoding then,
// even on a fast machine. Empty when it cannot be made.
CString MinutesClip()
{
    static CString clip;
    if (clip.IsEmpty() && GetStage().problem.IsEmpty()) {
        const CString path = GetStage().clips + L"\\minutes clip.mp4";
        // The long clip six times over, copied: quick to make.
        if (RunHidden(L"\"" + GetEnv(L"TEST_FFMPEG_DIR") + L"\\ffmpeg.exe\" -v error -y -stream_loop 5 -i \"" +
                      GetStage().longClip + L"\" -c copy \"" + path + L"\"", 120000) == 0)
            clip = path;
    }
    return clip;
}

}  // namespace convtest
