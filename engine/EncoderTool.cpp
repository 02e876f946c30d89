// The encoder tool driver: argument list, run, progress records and their delivery to live
// drivers only, the copy, join and frame-grab recipes, and the stand-alone frame grab.
#include "engine/EncoderTool.h"

#include <string.h>

#include <vector>

#include "engine/EngineHost.h"
#include "engine/MediaValueTexts.h"
#include "engine/SystemHelpers.h"

namespace {

class CCriticalSectionLock {
public:
    explicit CCriticalSectionLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CCriticalSectionLock() { LeaveCriticalSection(&m_cs); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// The drivers that exist right now, each under a number that no other driver of this process has
// had. A record's context comes from another process: it is only a number, looked up here, so a
// record that comes late from a finished run can never reach a later driver, even one that
// happens to sit at the same address. The lock guards the list only; a driver's listener runs
// without it, and a driver that is being destroyed waits for the records being handled for it on
// other threads.
class CLiveDrivers {
public:
    CLiveDrivers() { InitializeCriticalSection(&m_lock); }
    ~CLiveDrivers() { DeleteCriticalSection(&m_lock); }
    CLiveDrivers(const CLiveDrivers&) = delete;
    CLiveDrivers& operator=(const CLiveDrivers&) = delete;

    DWORD Add(CEncoderTool* driver)
    {
        CCriticalSectionLock lock(m_lock);
        if (++m_lastId == 0)
            ++m_lastId;
        m_entries.push_back(new Entry(driver, m_lastId));
        return m_lastId;
    }

    void Remove(DWORD id)
    {
        CCriticalSectionLock lock(m_lock);
        Entry* entry = nullptr;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i]->id == id) {
                entry = m_entries[i];
                m_entries.erase(m_entries.begin() + i);
                break;
            }
        }
        if (!entry)
            return;
        // A record handled on this very thread (the listener destroying its own driver) cannot be
        // waited for; the entry then goes when that record's handling ends.
        while (entry->DeliveringElsewhere()) {
            ResetEvent(entry->idle);
            LeaveCriticalSection(&m_lock);
            WaitForSingleObject(entry->idle, INFINITE);
            EnterCriticalSection(&m_lock);
        }
        if (entry->deliverers.empty())
            delete entry;
        else
            entry->orphaned = true;
    }

    // A record for a driver whose callback window is not 'callbackWindow' (when given) is refused.
    LRESULT Deliver(DWORD id, const void* payload, HWND callbackWindow = NULL)
    {
        Entry* entry = nullptr;
        {
            CCriticalSectionLock lock(m_lock);
            for (Entry* e : m_entries) {
                if (e->id == id) {
                    entry = e;
                    break;
                }
            }
            if (!entry || (callbackWindow && entry->driver->m_hCallbackWindow != callbackWindow))
                return 0;
            entry->deliverers.push_back(GetCurrentThreadId());
        }
        LRESULT result = entry->driver->OnCopyData(payload);
        CCriticalSectionLock lock(m_lock);
        for (size_t i = 0; i < entry->deliverers.size(); ++i) {
            if (entry->deliverers[i] == GetCurrentThreadId()) {
                entry->deliverers.erase(entry->deliverers.begin() + i);
                break;
            }
        }
        SetEvent(entry->idle);
        if (entry->orphaned && entry->deliverers.empty())
            delete entry;
        return result;
    }

private:
    struct Entry {
        Entry(CEncoderTool* d, DWORD i) : driver(d), id(i), idle(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
        ~Entry() { CloseHandle(idle); }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        bool DeliveringElsewhere() const
        {
            for (DWORD thread : deliverers)
                if (thread != GetCurrentThreadId())
                    return true;
            return false;
        }

        CEncoderTool* driver;
        DWORD id;
        HANDLE idle;  // set whenever a record's handling ends
        std::vector<DWORD> deliverers;  // the threads handling a record for this driver now
        bool orphaned = false;
    };

    CRITICAL_SECTION m_lock;
    std::vector<Entry*> m_entries;
    DWORD m_lastId = 0;
};

CLiveDrivers& LiveDrivers()
{
    static CLiveDrivers drivers;
    return drivers;
}

CString Text(LPCWSTR text)
{
    return text ? CString(text) : CString();
}

void AddTime(CCommandLine& cl, LPCWSTR name, __int64 ms)
{
    if (ms > 0)
        cl.AddOption(name, L"%s", FormatTimeMs(ms, 0, 1, 1).GetString());
}

void AddText(CCommandLine& cl, LPCWSTR name, const CString& value)
{
    if (!value.IsEmpty())
        cl.AddOption(name, L"%s", value.GetString());
}

void AddQuoted(CCommandLine& cl, LPCWSTR name, const CString& value)
{
    if (!value.IsEmpty())
        cl.AddOption(name, L"\"%s\"", value.GetString());
}

void AddInput(CCommandLine& cl, const CString& path, const CString& format, __int64 start,
              __int64 duration, __int64 offset)
{
    if (path.IsEmpty())
        return;
    AddText(cl, L"-f", format);
    AddTime(cl, L"-ss", start);
    AddTime(cl, L"-t", duration);
    AddTime(cl, L"-itsoffset", offset);
    AddQuoted(cl, L"-i", path);
}

void AppendFilter(CString& chain, LPCWSTR filter)
{
    if (!chain.IsEmpty())
        chain += L",";
    chain += filter;
}

}  // namespace

CString BuildVideoFilterChain(const CEncoderOptions& o)
{
    CString chain;
    if (o.CropLeft > 0 && o.CropTop > 0 && o.CropWidth > 0 && o.CropHeight > 0) {
        CString crop;
        crop.Format(L"crop=%d:%d:%d:%d", o.CropWidth, o.CropHeight, o.CropLeft, o.CropTop);
        AppendFilter(chain, crop);
    }
    switch (o.Rotation) {
    case 90:
    case 1:
        AppendFilter(chain, L"transpose=1");
        break;
    case 180:
    case 2:
        AppendFilter(chain, L"transpose=2,transpose=2");
        break;
    case 270:
    case 3:
        AppendFilter(chain, L"transpose=2");
        break;
    default:
        break;
    }
    if (o.FlipVertical)
        AppendFilter(chain, L"vflip");
    if (o.FlipHorizontal)
        AppendFilter(chain, L"hflip");
    if (o.Grayscale)
        AppendFilter(chain, L"hue=s=0");
    if (o.Negate)
        AppendFilter(chain, L"negate");
    if (o.OldPhoto)
        AppendFilter(chain, L"colorchannelmixer=.393:.769:.189:0:.349:.686:.168:0:.272:.534:.131");
    return chain;
}

namespace {

void AddVideo(CCommandLine& cl, CEncoderOptions& o)
{
    if ((o.VideoFlags & ENCODER_STREAM_OFF) || o.VideoMap == ENCODER_MAP_OFF) {
        cl.Add(L"-vn");
        return;
    }
    if (o.VideoMap >= 0)
        cl.AddOption(L"-map", L"%d:%d", 0, o.VideoMap);
    AddText(cl, L"-codec:v", o.VideoCodec);
    AddText(cl, L"-tag:v", o.VideoTag);
    cl.Add(o.VideoExtraOptions);
    AddText(cl, L"-pix_fmt", o.PixelFormat);
    if (o.Width > 0 && o.Height > 0)
        cl.AddOption(L"-s", L"%dx%d", o.Width, o.Height);
    if (o.AspectNum > 0 && o.AspectDen > 0)
        cl.AddOption(L"-aspect", L"%d:%d", o.AspectNum, o.AspectDen);
    if (o.RateNum > 0 && o.RateDen > 0)
        cl.AddOption(L"-r", L"%d/%d", o.RateNum, o.RateDen);
    if (o.VideoBitRate > 0)
        cl.AddOption(L"-b:v", L"%d", o.VideoBitRate);
    if (o.VideoFlags & ENCODER_SAME_QUALITY)
        o.VideoQuality = 0;
    if (o.VideoQuality >= 0)
        cl.AddOption(L"-q:v", L"%d", o.VideoQuality);
    if (o.VideoFrames > 0)
        cl.AddOption(L"-frames:v", L"%d", o.VideoFrames);
    AddText(cl, L"-vsync", o.Vsync);
    AddQuoted(cl, L"-bsf:v", o.VideoBitstreamFilter);
    AddQuoted(cl, L"-profile:v", o.VideoProfile);
    AddQuoted(cl, L"-pre:v", o.VideoPreset);
    AddQuoted(cl, L"-filter:v", BuildVideoFilterChain(o));
    AddQuoted(cl, L"-filter:v", o.VideoFilter);
}

int AudioInputNumber(const CEncoderOptions& o)
{
    return o.Input2Path.IsEmpty() ? 0 : 1;
}

void AddAudio(CCommandLine& cl, CEncoderOptions& o)
{
    if ((o.AudioFlags & ENCODER_STREAM_OFF) || o.AudioMap == ENCODER_MAP_OFF) {
        cl.Add(L"-an");
        return;
    }
    if (o.AudioMap >= 0)
        cl.AddOption(L"-map", L"%d:%d", AudioInputNumber(o), o.AudioMap);
    AddText(cl, L"-codec:a", o.AudioCodec);
    AddText(cl, L"-tag:a", o.AudioTag);
    cl.Add(o.AudioExtraOptions);
    if (o.Channels > 0)
        cl.AddOption(L"-ac", L"%d", o.Channels);
    if (o.SampleRate > 0)
        cl.AddOption(L"-ar", L"%d", o.SampleRate);
    if (o.AudioBitRate > 0)
        cl.AddOption(L"-b:a", L"%d", o.AudioBitRate);
    if (o.VolumeLevel != 256)
        cl.AddOption(L"-vol", L"%d", o.VolumeLevel);
    if (o.AudioFlags & ENCODER_SAME_QUALITY)
        o.AudioQuality = 0;
    if (o.AudioQuality >= 0)
        cl.AddOption(L"-q:a", L"%d", o.AudioQuality);
    AddQuoted(cl, L"-bsf:a", o.AudioBitstreamFilter);
    AddQuoted(cl, L"-profile:a", o.AudioProfile);
    AddQuoted(cl, L"-pre:a", o.AudioPreset);
    CString chain;
    if (o.VolumePercent != 100)
        chain.Format(L"volume=%.2f", o.VolumePercent * 0.01);
    AddQuoted(cl, L"-filter:a", chain);
    AddQuoted(cl, L"-filter:a", o.AudioFilter);
}

void AddSubtitles(CCommandLine& cl, const CEncoderOptions& o)
{
    if ((o.SubtitleFlags & ENCODER_STREAM_OFF) || o.SubtitleMap == ENCODER_MAP_OFF) {
        cl.Add(L"-sn");
        return;
    }
    if (o.SubtitleMap >= 0) {
        int input = o.Input3Path.IsEmpty() ? 0 : 1 + AudioInputNumber(o);
        cl.AddOption(L"-map", L"%d:%d", input, o.SubtitleMap);
    }
    AddText(cl, L"-codec:s", o.SubtitleCodec);
}

void UseDroppingVsync(CEncoderOptions& options)
{
    options.Vsync = L"drop";
}

void UseAdtsToAscFilter(CEncoderOptions& options)
{
    options.AudioBitstreamFilter = L"aac_adtstoasc";
}

// The pictures of a frame grab: no sound, into 'output' as 'outputFormat' (image2 when none),
// scaled when a size is given.
void SetPictureOutput(CEncoderOptions& options, LPCWSTR output, LPCWSTR outputFormat, int width, int height)
{
    options.AudioMap = ENCODER_MAP_OFF;
    options.OutputPath = Text(output);
    options.OutputFormat = outputFormat && *outputFormat ? outputFormat : L"image2";
    if (width > 0)
        options.Width = width;
    if (height > 0)
        options.Height = height;
}

// The video of one input and the audio of another (or the same) into one output, codecs unset.
CEncoderOptions StreamCopyOptions(LPCWSTR input, int videoMap, LPCWSTR input2, int audioMap, LPCWSTR output,
                                  LPCWSTR outputFormat)
{
    CEncoderOptions options;
    options.Input1Path = Text(input);
    options.VideoMap = videoMap;
    options.Input2Path = Text(input2);
    options.AudioMap = audioMap;
    options.OutputPath = Text(output);
    options.OutputFormat = Text(outputFormat);
    return options;
}

}  // namespace

// CEncoderToolBase ---------------------------------------------------------------------------

CEncoderToolBase::CEncoderToolBase()
    : m_nThreadCount(0), m_nBufferSize(0), m_hCallbackWindow(NULL), m_nContext((__int64)(INT_PTR)this)
{
}

int CEncoderToolBase::Init(LPCWSTR toolPath, LPCWSTR presetsFolder, HWND callbackWindow)
{
    if (SetPath(toolPath) != 0)
        return -1;
    m_strPresetsFolder = Text(presetsFolder);
    m_hCallbackWindow = callbackWindow;
    return 0;
}

int CEncoderToolBase::BuildArgs(CString& out, CEncoderOptions& o)
{
    CCommandLine cl;
    AddText(cl, L"-hwaccel", m_strHwAccel);
    if (o.Safe != 1)
        cl.AddOption(L"-safe", L"%d", o.Safe);
    if (o.InputRateNum > 0 && o.InputRateDen > 0)
        cl.AddOption(L"-r", L"%d/%d", o.InputRateNum, o.InputRateDen);
    AddInput(cl, o.Input1Path, o.Input1Format, o.Input1Start, o.Input1Duration, o.Input1Offset);
    AddInput(cl, o.Input2Path, o.Input2Format, o.Input2Start, o.Input2Duration, o.Input2Offset);
    AddInput(cl, o.Input3Path, o.Input3Format, 0, 0, 0);
    AddInput(cl, o.Input4Path, CString(), 0, 0, 0);
    // The encoder's own settings: before an input they would be taken as that input's (the
    // decoder's thread count), and a buffer size there is refused outright.
    if ((o.Flags & ENCODER_ALLOW_THREADS) && m_nThreadCount > 0)
        cl.AddOption(L"-threads", L"%d", m_nThreadCount);
    if (m_nBufferSize > 0)
        cl.AddOption(L"-bufsize", L"%d", m_nBufferSize);
    if (o.HlsListSize >= 0)
        cl.AddOption(L"-hls_list_size", L"%d", o.HlsListSize);

    AddVideo(cl, o);
    AddAudio(cl, o);
    AddSubtitles(cl, o);

    AddQuoted(cl, L"-filter_complex", o.ComplexFilter);
    cl.Add(o.ExtraOptions1);
    cl.Add(o.ExtraOptions2);
    AddText(cl, L"-target", o.Target);
    AddText(cl, L"-f", o.OutputFormat);
    if (o.OutputFormat == L"concat")
        cl.Add(L"-safe 0");
    AddText(cl, L"-c", o.Codec);
    if (o.SizeLimit > 0)
        cl.AddOption(L"-fs", L"%I64d", o.SizeLimit);
    if (o.Loop >= 0)
        cl.AddOption(L"-loop", L"%d", o.Loop);
    AddTime(cl, L"-ss", o.OutputStart);
    AddTime(cl, L"-t", o.OutputDuration);
    if (!o.OutputPath.IsEmpty())
        cl.AddOption(nullptr, L"\"%s\"", o.OutputPath.GetString());
    cl.Add(L"-y");
    out = cl.GetText();
    return 0;
}

CString CEncoderToolBase::MakeLaunchCommand(CEncoderOptions& options)
{
    CString args;
    if (BuildArgs(args, options) != 0)
        return CString();
    // Handles and addresses travel sign-extended, as a 64-bit receiver of the tool expects them.
    if (m_hCallbackWindow)
        args.AppendFormat(L" -callback_window %I64d", (__int64)(INT_PTR)m_hCallbackWindow);
    args.AppendFormat(L" -callback_context %I64d", GetContext());
    return MakeToolCommand(m_strPath, args);
}

int CEncoderToolBase::Launch(CEncoderOptions& options, const volatile int* stopFlag)
{
    CString command = MakeLaunchCommand(options);
    if (command.IsEmpty())
        return -1;
    return Run(command, stopFlag);
}

// CEncoderTool -------------------------------------------------------------------------------

CEncoderTool::CEncoderTool() : m_pListener(nullptr), m_nStopAnswered(0)
{
    memset(&m_lastBlock, 0, sizeof(m_lastBlock));
    InitializeCriticalSection(&m_blockLock);
    m_nContext = LiveDrivers().Add(this);
}

CEncoderTool::~CEncoderTool()
{
    // Waits for a record being handled right now on the window's thread.
    LiveDrivers().Remove((DWORD)m_nContext);
    DeleteCriticalSection(&m_blockLock);
}

int CEncoderTool::InitWithListener(LPCWSTR toolPath, LPCWSTR presetsFolder, HWND callbackWindow,
                                   CEncoderToolEvents* listener)
{
    int result = Init(toolPath, presetsFolder, callbackWindow);
    m_pListener = listener;
    return result;
}

int CEncoderTool::Launch(CEncoderOptions& options, const volatile int* stopFlag)
{
    InterlockedExchange(&m_nStopAnswered, 0);
    if (!m_pListener)
        return CEncoderToolBase::Launch(options, stopFlag);
    m_pListener->OnJobBegin();
    int result = CEncoderToolBase::Launch(options, stopFlag);
    EncoderProgressBlock last = GetLastBlock();
    m_pListener->OnEnded(&last);
    m_pListener->OnJobEnd();
    return result;
}

EncoderProgressBlock CEncoderTool::GetLastBlock() const
{
    CCriticalSectionLock lock(m_blockLock);
    return m_lastBlock;
}

int CEncoderTool::OnCopyData(const void* payload)
{
    if (!m_pListener || !payload)
        return -1;
    const BYTE* bytes = (const BYTE*)payload;
    // The payload is the sender's buffer: read it by copying, never in place as a structure.
    EncoderProgressBlock block;
    memcpy(&block, bytes + offsetof(EncoderProgressRecord, Block), sizeof(block));
    int code = 0;
    memcpy(&code, bytes + offsetof(EncoderProgressRecord, Code), sizeof(code));
    {
        CCriticalSectionLock lock(m_blockLock);
        m_lastBlock = block;
    }
    // A stop may be answered to the start record as well as to a progress record.
    int answer;
    switch (code) {
    case ENCODER_RECORD_STARTED:
        answer = m_pListener->OnStarted(&block);
        break;
    case ENCODER_RECORD_PROGRESS:
        answer = m_pListener->OnProgress(&block);
        break;
    case ENCODER_RECORD_ENDED:
        return m_pListener->OnEnded(&block);
    default:
        return -1;
    }
    if (answer == 1)
        InterlockedExchange(&m_nStopAnswered, 1);
    return answer;
}

namespace {

// A null window takes any live driver.
LRESULT DispatchRecord(const COPYDATASTRUCT* data, HWND callbackWindow)
{
    if (!data || data->dwData != ENCODER_RECORD_ID || data->cbData != ENCODER_RECORD_SIZE || !data->lpData)
        return 0;
    __int64 context = 0;
    memcpy(&context, data->lpData, sizeof(context));
    DWORD driver = (DWORD)(context & 0xFFFFFFFF);
    if (!driver)
        return 0;
    return LiveDrivers().Deliver(driver, data->lpData, callbackWindow);
}

}  // namespace

LRESULT CEncoderTool::DispatchCopyData(const COPYDATASTRUCT* data)
{
    return DispatchRecord(data, NULL);
}

LRESULT CEncoderTool::DispatchCopyData(const COPYDATASTRUCT* data, HWND callbackWindow)
{
    return callbackWindow ? DispatchRecord(data, callbackWindow) : 0;
}

int CEncoderTool::LaunchWithRetry(CEncoderOptions& options, void (*loosen)(CEncoderOptions&),
                                  const volatile int* stopFlag)
{
    int result = Launch(options, stopFlag);
    if (result != -1)
        return result;
    // A run the user stopped, by the flag or by the listener's answer, is not tried again.
    if ((stopFlag && *stopFlag != 0) || m_nStopAnswered)
        return result;
    loosen(options);
    return Launch(options, stopFlag);
}

int CEncoderTool::CopyStreamsWithCodecs(LPCWSTR input, int videoMap, LPCWSTR input2, int audioMap,
                                        LPCWSTR output, LPCWSTR outputFormat, LPCWSTR videoCodec,
                                        LPCWSTR audioCodec, const volatile int* stopFlag)
{
    CEncoderOptions options = StreamCopyOptions(input, videoMap, input2, audioMap, output, outputFormat);
    options.VideoCodec = videoCodec && *videoCodec ? videoCodec : L"copy";
    options.AudioCodec = audioCodec && *audioCodec ? audioCodec : L"copy";
    return LaunchWithRetry(options, UseDroppingVsync, stopFlag);
}

int CEncoderTool::CopyStreams(LPCWSTR input, int videoMap, LPCWSTR input2, int audioMap, LPCWSTR output,
                              LPCWSTR outputFormat, const volatile int* stopFlag)
{
    CEncoderOptions options = StreamCopyOptions(input, videoMap, input2, audioMap, output, outputFormat);
    options.Codec = L"copy";
    return LaunchWithRetry(options, UseDroppingVsync, stopFlag);
}

int CEncoderTool::ConcatInputs(const CStringArray& inputs, LPCWSTR output, LPCWSTR outputFormat,
                               const volatile int* stopFlag)
{
    // With nothing to join the tool would be asked to read an input named "concat:".
    if (inputs.GetSize() == 0)
        return -1;
    CEncoderOptions options;
    options.Safe = 0;
    options.Input1Path = L"concat:";
    for (INT_PTR i = 0; i < inputs.GetSize(); ++i) {
        if (i > 0)
            options.Input1Path += L"|";
        options.Input1Path += inputs[i];
    }
    options.OutputPath = Text(output);
    options.OutputFormat = Text(outputFormat);
    options.Codec = L"copy";
    return LaunchWithRetry(options, UseAdtsToAscFilter, stopFlag);
}

int CEncoderTool::ConcatListFile(LPCWSTR listFile, LPCWSTR output, const volatile int* stopFlag)
{
    CEncoderOptions options;
    options.Safe = 0;
    options.Input1Path = Text(listFile);
    options.Input1Format = L"concat";
    options.OutputPath = Text(output);
    options.Codec = L"copy";
    return LaunchWithRetry(options, UseAdtsToAscFilter, stopFlag);
}

int CEncoderTool::LaunchGrab(CEncoderOptions& options, const volatile int* stopFlag)
{
    // Nothing asks a grab to stop and a stopped grab's pictures are thrown away: a stop ends the
    // tool at once, where a conversion's encoder gets the grace to finish its file. Whoever stops
    // a grab (an edit of the playlist, a closing window) waits for it.
    const bool before = m_bEndAtOnceWhenStopped;
    m_bEndAtOnceWhenStopped = true;
    int result = Launch(options, stopFlag);
    m_bEndAtOnceWhenStopped = before;
    return result;
}

int CEncoderTool::GrabFrame(LPCWSTR input, LPCWSTR output, __int64 start, int width, int height,
                            LPCWSTR outputFormat, const volatile int* stopFlag)
{
    CEncoderOptions options;
    options.Input1Path = Text(input);
    options.Input1Start = start;
    SetPictureOutput(options, output, outputFormat, width, height);
    options.VideoFrames = 1;
    return LaunchGrab(options, stopFlag);
}

int CEncoderTool::GrabFrameRange(LPCWSTR input, __int64 start, __int64 end, LPCWSTR output,
                                 LPCWSTR outputFormat, int width, int height, const volatile int* stopFlag)
{
    CEncoderOptions options;
    options.Input1Path = Text(input);
    if (start > 0)
        options.Input1Start = start;
    if (end > 0) {
        options.Input1Duration = end - start + 1;
        options.OutputDuration = options.Input1Duration;
    }
    SetPictureOutput(options, output, outputFormat, width, height);
    return LaunchGrab(options, stopFlag);
}

int CEncoderTool::EncodeVideoOnly(LPCWSTR input, int rateNum, int rateDen, LPCWSTR output,
                                  LPCWSTR outputFormat, LPCWSTR videoCodec, int width, int height,
                                  BOOL sameQuality, int quality, const volatile int* stopFlag)
{
    CEncoderOptions options;
    options.Input1Path = Text(input);
    if (rateNum > 0) {
        options.InputRateNum = rateNum;
        options.InputRateDen = rateDen;
    }
    options.AudioMap = ENCODER_MAP_OFF;
    options.AudioFlags = ENCODER_STREAM_OFF;
    options.OutputPath = Text(output);
    options.OutputFormat = Text(outputFormat);
    options.VideoCodec = Text(videoCodec);
    if (width > 0)
        options.Width = width;
    if (height > 0)
        options.Height = height;
    if (sameQuality)
        options.VideoQuality = 0;
    if (quality >= 0)
        options.VideoQuality = quality;
    return Launch(options, stopFlag);
}

int CEncoderTool::ConvertWithoutAV(LPCWSTR input, LPCWSTR output, LPCWSTR outputFormat,
                                   const volatile int* stopFlag)
{
    CEncoderOptions options;
    options.Input1Path = Text(input);
    options.VideoMap = ENCODER_MAP_OFF;
    options.AudioMap = ENCODER_MAP_OFF;
    options.OutputPath = Text(output);
    options.OutputFormat = Text(outputFormat);
    return Launch(options, stopFlag);
}

// Stand-alone frame grab -----------------------------------------------------------------------

int GrabFrameToFile(LPCWSTR input, LPCWSTR output, __int64 start, int width, int height,
                    LPCWSTR outputFormat, const volatile int* stopFlag)
{
    CEngineHost* host = GetEngineHost();
    CString tool = host ? host->GetEncoderToolPath() : CString();
    if (tool.IsEmpty())
        return -1;
    // The presets lie in the Presets folder beside the tool; a grab names none, so the folder
    // only completes the driver's set-up.
    CString presets = GetParentFolder(tool) + L"\\Presets";
    CEncoderTool driver;
    if (driver.InitWithListener(tool, presets, NULL, nullptr) != 0)
        return -1;
    int result = driver.GrabFrame(input, output, start, width, height, outputFormat, stopFlag);
    if (result != 0)
        return result;
    return IsExistingFile(output) ? 0 : -1;
}
