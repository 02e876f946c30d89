// The encoder tool driver: the tool's argument list built from CEncoderOptions, the run with its
// callback window and context, the progress records that come back, and the fixed recipes.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "engine/EncoderOptions.h"
#include "engine/ToolProcess.h"
#include "framework/String.h"

// WM_COPYDATA record of the encoder tool: COPYDATASTRUCT::dwData and cbData.
const ULONG_PTR ENCODER_RECORD_ID = 1010;
const DWORD ENCODER_RECORD_SIZE = 1112;

// Record codes.
const int ENCODER_RECORD_STARTED = 21;
const int ENCODER_RECORD_PROGRESS = 22;
const int ENCODER_RECORD_ENDED = 24;

// The part of a record the programs read; the rest belongs to the tool.
struct EncoderProgressBlock {
    BYTE Reserved0[16];
    __int64 TotalDurationUs;
    __int64 Reserved1;
    __int64 BytesWritten;
    __int64 PositionUs;
    __int64 Reserved2;
};
static_assert(sizeof(EncoderProgressBlock) == 56, "progress block size");
static_assert(offsetof(EncoderProgressBlock, TotalDurationUs) == 16, "total duration offset");
static_assert(offsetof(EncoderProgressBlock, BytesWritten) == 32, "bytes written offset");
static_assert(offsetof(EncoderProgressBlock, PositionUs) == 40, "position offset");

struct EncoderProgressRecord {
    __int64 Context;  // the "-callback_context" value; its low 32 bits name the driver
    int Code;
    BYTE Reserved[1044];
    EncoderProgressBlock Block;
};
static_assert(sizeof(EncoderProgressRecord) == ENCODER_RECORD_SIZE, "record size");
static_assert(offsetof(EncoderProgressRecord, Code) == 8, "code offset");
static_assert(offsetof(EncoderProgressRecord, Block) == 1056, "block offset");

// What a driver reports while it runs the encoder. OnProgress returning 1 asks the tool to stop.
// OnStarted, OnProgress and OnEnded are called on the callback window's thread while the run
// lasts, and OnEnded once more on the launching thread after it; OnEnded may get a null block.
class CEncoderToolEvents {
public:
    virtual int OnJobBegin() = 0;
    virtual int OnJobEnd() = 0;
    virtual int OnStarted(const EncoderProgressBlock* block) = 0;
    virtual int OnProgress(const EncoderProgressBlock* block) = 0;
    virtual int OnEnded(const EncoderProgressBlock* block) = 0;

protected:
    ~CEncoderToolEvents() {}
};

class CEncoderToolBase : public CToolProcessBase {
public:
    CEncoderToolBase();
    ~CEncoderToolBase() override {}

    // 0, or -1 when the tool path is refused.
    virtual int Init(LPCWSTR toolPath, LPCWSTR presetsFolder, HWND callbackWindow);
    // Builds the arguments, adds the callback window and context and runs the tool: Run's result,
    // or -1 when the arguments cannot be built.
    virtual int Launch(CEncoderOptions& options, const volatile int* stopFlag);
    // The tool's argument list; sets the record's video or audio quality to 0 when that stream
    // asks for the same quality. 0.
    virtual int BuildArgs(CString& out, CEncoderOptions& options);

    // The command line Launch runs for these options.
    CString MakeLaunchCommand(CEncoderOptions& options);
    // The value handed to the tool as "-callback_context", which its records carry back: the
    // driver's address here, a number of its own in a CEncoderTool.
    __int64 GetContext() const { return m_nContext; }

    int m_nThreadCount;
    int m_nBufferSize;
    CString m_strHwAccel;
    CString m_strPresetsFolder;
    HWND m_hCallbackWindow;

protected:
    __int64 m_nContext;

private:
    CEncoderToolBase(const CEncoderToolBase&) = delete;
    CEncoderToolBase& operator=(const CEncoderToolBase&) = delete;
};

// The driver a conversion or a frame grab uses. Every CEncoderTool is listed process-wide while
// it exists under a context number never given to another driver, so that a record is only ever
// delivered to the live driver whose run it comes from.
class CEncoderTool : public CEncoderToolBase {
public:
    CEncoderTool();
    ~CEncoderTool() override;

    // OnJobBegin, the run, OnEnded with the last block, OnJobEnd; the run's result.
    int Launch(CEncoderOptions& options, const volatile int* stopFlag) override;
    virtual int InitWithListener(LPCWSTR toolPath, LPCWSTR presetsFolder, HWND callbackWindow,
                                 CEncoderToolEvents* listener);
    // One record's payload (ENCODER_RECORD_SIZE bytes): the listener's answer, or -1 without a
    // listener or payload or for an unknown code.
    virtual int OnCopyData(const void* payload);

    // Recipes: each fills fresh options and runs them through Launch. The copy and join recipes
    // try once more with a looser setting when the first run failed without being stopped.
    virtual int CopyStreamsWithCodecs(LPCWSTR input, int videoMap, LPCWSTR input2, int audioMap,
                                      LPCWSTR output, LPCWSTR outputFormat, LPCWSTR videoCodec,
                                      LPCWSTR audioCodec, const volatile int* stopFlag);
    virtual int CopyStreams(LPCWSTR input, int videoMap, LPCWSTR input2, int audioMap, LPCWSTR output,
                            LPCWSTR outputFormat, const volatile int* stopFlag);
    virtual int ConcatInputs(const CStringArray& inputs, LPCWSTR output, LPCWSTR outputFormat,
                             const volatile int* stopFlag);
    virtual int ConcatListFile(LPCWSTR listFile, LPCWSTR output, const volatile int* stopFlag);
    // Times in milliseconds.
    virtual int GrabFrame(LPCWSTR input, LPCWSTR output, __int64 start, int width, int height,
                          LPCWSTR outputFormat, const volatile int* stopFlag);
    virtual int GrabFrameRange(LPCWSTR input, __int64 start, __int64 end, LPCWSTR output,
                               LPCWSTR outputFormat, int width, int height, const volatile int* stopFlag);
    virtual int EncodeVideoOnly(LPCWSTR input, int rateNum, int rateDen, LPCWSTR output,
                                LPCWSTR outputFormat, LPCWSTR videoCodec, int width, int height,
                                BOOL sameQuality, int quality, const volatile int* stopFlag);
    virtual int ConvertWithoutAV(LPCWSTR input, LPCWSTR output, LPCWSTR outputFormat,
                                 const volatile int* stopFlag);

    // The WM_COPYDATA handler of every window that receives encoder records: the named driver's
    // OnCopyData when the record has the encoder's id and size and its context's low 32 bits name
    // a live driver, else 0. No lock is held while the listener runs.
    static LRESULT DispatchCopyData(const COPYDATASTRUCT* data);
    // The same for one window's own drivers only: a record that names a driver reporting to
    // another window (or none that lives) is refused with 0.
    static LRESULT DispatchCopyData(const COPYDATASTRUCT* data, HWND callbackWindow);

    EncoderProgressBlock GetLastBlock() const;
    CEncoderToolEvents* GetListener() const { return m_pListener; }

protected:
    // Launch for a frame grab: a stop ends the tool without the stop grace.
    int LaunchGrab(CEncoderOptions& options, const volatile int* stopFlag);
    // Runs 'options'; when that fails without a stop, runs them again after 'loosen'.
    int LaunchWithRetry(CEncoderOptions& options, void (*loosen)(CEncoderOptions&),
                        const volatile int* stopFlag);

    CEncoderToolEvents* m_pListener;
    EncoderProgressBlock m_lastBlock;
    // Guards m_lastBlock, written on the callback window's thread and read by Launch.
    mutable CRITICAL_SECTION m_blockLock;
    // Set when the listener answered a start or progress record with a stop; read after the run.
    volatile LONG m_nStopAnswered;
};

// The "-filter:v" chain of the options' crop, rotation, flips and effects; empty for none.
CString BuildVideoFilterChain(const CEncoderOptions& o);

// Grabs one frame with a driver of its own, set up from the program's encoder tool location:
// GrabFrame's 1 or -1 unchanged; after a 0, 0 when 'output' exists, else -1.
int GrabFrameToFile(LPCWSTR input, LPCWSTR output, __int64 start, int width, int height,
                    LPCWSTR outputFormat, const volatile int* stopFlag);
