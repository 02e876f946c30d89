// Animated GIF output: a palette computed for the clip, the clip encoded with it, then gifsicle.
#include "conversion/GifOutput.h"

#include <shlwapi.h>

#include "conversion/FormatCatalog.h"
#include "conversion/MediaConvertRunner.h"
#include "conversion/OutputNaming.h"
#include "engine/EncoderOptions.h"
#include "engine/MediaInfo.h"
#include "engine/SystemHelpers.h"
#include "engine/ToolProcess.h"
#include "framework/Effects.h"

int CGifsicle::SetPath(LPCWSTR path)
{
    m_strPath = path ? path : L"";
    return (!m_strPath.IsEmpty() && PathFileExistsW(m_strPath)) ? 0 : -1;
}

int CGifsicle::Optimize(LPCWSTR input, LPCWSTR output, int level, const volatile int* cancel)
{
    if (!input || !*input || !PathFileExistsW(input) || !output)
        return -1;
    if (level < 1 || level > 3)
        level = 3;
    CString command;
    command.Format(L"\"%s\" \"%s\" --optimize=%d --output \"%s\"", m_strPath.GetString(), input, level, output);
    return Run(command, cancel);
}

int CGifsicle::Run(LPCWSTR commandLine, const volatile int* cancel)
{
    if (m_strPath.IsEmpty() || !PathFileExistsW(m_strPath))
        return -1;
    CProcessInfo process;
    process.m_si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    process.m_si.wShowWindow = SW_HIDE;
    CString line(commandLine);
    const CString folder = GetToolStartFolder(nullptr);
    // A console program that needs no console: without one it costs no console host process.
    if (!FwCreateProcess(NULL, const_cast<LPWSTR>(line.GetString()), NULL, NULL, FALSE,
                         NORMAL_PRIORITY_CLASS | DETACHED_PROCESS, NULL, folder.IsEmpty() ? NULL : folder.GetString(),
                         &process.m_si, &process.m_pi))
        return -1;
    HANDLE handle = process.m_pi.hProcess;
    if (cancel) {
        while (WaitForSingleObject(handle, 100) == WAIT_TIMEOUT) {
            if (*cancel) {
                if (WaitForSingleObject(handle, 3000) == WAIT_TIMEOUT) {
                    TerminateProcess(handle, 1);
                    WaitForSingleObject(handle, 3000);
                }
                break;
            }
        }
    } else {
        WaitForSingleObject(handle, INFINITE);
    }
    DWORD code = 1;
    if (!GetExitCodeProcess(handle, &code))
        code = 1;
    return code == 0 ? 0 : -1;
}

int OptimizeWithGifsicle(LPCWSTR input, LPCWSTR output, int level, const volatile int* cancel)
{
    CGifsicle gifsicle;
    if (gifsicle.SetPath(GetGifsiclePath()) != 0)
        return -1;
    return gifsicle.Optimize(input, output, level, cancel);
}

// ---------------------------------------------------------------------------------------------

int VF_gif::PrepareJob(CEncoderOptions& options, const CMediaPreset& preset, const volatile int* cancel,
                       const CJobSourceItem* source)
{
    CMediaInfoRecord first;
    if (ProbeJobInput(first, options.Input1Path, source, cancel) != 0)
        return -1;
    const CMediaStream* video = first.GetSelectedVideoStream();
    if (!video)
        return -1;
    options.OutputFormat = L"gif";
    options.VideoCodec = L"gif";
    const PresetVideoSettings& v = preset.Settings.Video;
    if (v.Width > 0 && v.Height > 0) {
        options.Width = v.Width;
        options.Height = v.Height;
    } else {
        options.Width = video->Width;
        options.Height = video->Height;
    }
    if (v.RateNum > 0 && v.RateDen > 0) {
        options.RateNum = v.RateNum;
        options.RateDen = v.RateDen;
    } else {
        options.RateNum = 5;
        options.RateDen = 1;
    }
    options.AudioMap = -2;
    return 0;
}

int VF_gif::Convert(CEncoderOptions& options, const CMediaPreset& preset, CEncoderToolEvents* events,
                    HWND notifyWindow, const volatile int* cancel, const CJobSourceItem* source)
{
    if (PrepareJob(options, preset, cancel, source) != 0)
        return -1;
    double rate = (options.RateNum > 0 && options.RateDen > 0) ? (double)options.RateNum / options.RateDen : 5.0;
    if (rate < 0.1)
        rate = 5.0;
    // A quarter turn stands the picture on its side: the GIF takes the turned size.
    const int turn = options.Rotation;
    if (turn == 90 || turn == 270 || turn == 1 || turn == 3) {
        const int width = options.Width;
        options.Width = options.Height;
        options.Height = width;
    }
    const int w = options.Width, h = options.Height;
    // The job's crop, turns, flips and effects go into both passes' own filters: the encoder
    // refuses a separate video filter beside the second pass's filter graph, and the palette must
    // come from the pictures as they will look.
    CString effects = BuildVideoFilterChain(options);
    if (!effects.IsEmpty())
        effects += L",";
    options.CropLeft = options.CropTop = options.CropWidth = options.CropHeight = 0;
    options.Rotation = 0;
    options.FlipHorizontal = options.FlipVertical = 0;
    options.Grayscale = options.Negate = options.OldPhoto = 0;
    // The job's loop value counts the plays (0 for ever); the GIF's counts the repeats, -1 none.
    if (options.Loop == 1) {
        options.Loop = -1;
        AppendEncoderOptions(options, L"-loop -1");
    } else if (options.Loop > 1) {
        options.Loop -= 1;
    }

    WCHAR temp[1024] = {};
    const DWORD n = GetTempPathW(1023, temp);
    CString folder(n > 0 && n < 1024 ? temp : L"");
    folder.TrimRight(L'\\');
    CTempFile palette(MakeUniqueFilePath(folder, L"palette", L".bmp"));

    CEncoderOptions first;
    first.Input1Path = options.Input1Path;
    first.Input1Start = options.Input1Start;
    first.Input1Duration = options.Input1Duration;
    first.OutputPath = palette.GetPath();
    first.OutputStart = options.OutputStart;
    first.OutputDuration = options.OutputDuration;
    // The palette comes out only once the whole clip is read, so the pass alone would report no
    // progress at all: the same pictures also go to a null output, whose time is the progress.
    first.ComplexFilter.Format(L"%sfps=%f,scale=%d:%d:flags=lanczos,split [a][b]; [a] palettegen [p]",
                               effects.GetString(), rate, w, h);
    first.ExtraOptions1 = L"-map \"[b]\" -f null NUL -map \"[p]\"";
    if (RunEncoderJob(first, notifyWindow, events, cancel) != 0)
        return -1;

    options.Input4Path = palette.GetPath();
    options.ComplexFilter.Format(L"%sfps=%f,scale=%d:%d:flags=lanczos [x]; [x][1:v] paletteuse", effects.GetString(), rate,
                                 w, h);
    const CString finalPath = options.OutputPath;
    CTempFile encoded(GetTempFilePath());
    options.OutputPath = encoded.GetPath();
    const int second = RunEncoderJob(options, notifyWindow, events, cancel);
    options.Input4Path.Empty();
    options.OutputPath = finalPath;
    if (second != 0)
        return (cancel && *cancel) ? 1 : (second < 0 ? second : -1);

    // The optimiser reports no progress and can take as long as both passes: the status says
    // that the last pass runs.
    if (CMediaConvertRunner* runner = dynamic_cast<CMediaConvertRunner*>(events))
        runner->ShowStepText(L"Optimizing", L"Last pass, making the GIF smaller");
    if (OptimizeWithGifsicle(encoded.GetPath(), finalPath, 3, cancel) != 0 &&
        !CopyFileW(encoded.GetPath(), finalPath, FALSE))
        return -1;  // an older file at the destination must not pass for this output
    return 0;
}
