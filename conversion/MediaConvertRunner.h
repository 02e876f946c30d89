// The conversion runner and its worker thread, the listener through which a job reports to its
// dialog, and the encoder run that every format's Convert uses.
#pragma once

#include <windows.h>

#include <atomic>

#include "conversion/MediaCatalog.h"
#include "conversion/MediaConvertJob.h"
#include "engine/EncoderTool.h"
#include "framework/Handles.h"
#include "framework/Thread.h"

// Posted by the worker thread to its notify window when it has ended (wParam 0, lParam 0).
const UINT WM_WORKER_DONE = WM_USER + 902;

class CMediaConvertThread_ST;
namespace detail {
class CPartialOutput;
}

// The side of a conversion dialog that owns the job and its worker. OnJobStateChanged runs on
// the worker thread; OnJobProgress on the notify window's thread while the encoder runs and once
// on the worker thread after it.
class CMediaJobListener {
public:
    CMediaJobListener();

    virtual void OnJobStateChanged(CMediaConvertJob& job);
    virtual void OnJobProgress(CMediaConvertJob& job);
    // A dialog stops its job when its window goes. A worker still running here can no longer
    // report (the derived part is gone): it is cut off and waited for, since it uses the job.
    virtual ~CMediaJobListener();
    virtual void CloseMainWindow();
    // 0 started, 1 a worker already runs, -1 the thread could not be created.
    virtual int StartJob(HWND notifyWindow);
    // 1 when no worker runs; else 0 once the worker has ended.
    virtual int StopJob();
    virtual void ShowFileName(LPCWSTR name) { (void)name; }
    virtual void ShowOutputSize(__int64 size) { (void)size; }
    virtual void ShowDuration(__int64 us) { (void)us; }
    virtual void ShowPosition(__int64 us) { (void)us; }
    virtual void ShowStatusIcon(int icon) { (void)icon; }
    virtual void ShowProgressCode(int code) { (void)code; }
    virtual void SetProgress(__int64 position, __int64 range, int style);
    virtual void ShowStatusText(LPCWSTR status, LPCWSTR detail) = 0;

    // The notify window's WM_WORKER_DONE handler calls this before anything else.
    void OnJobFinished();
    bool IsJobRunning() const { return m_pThread != nullptr; }
    // False once the listener is being destroyed: the runner then reports nothing more.
    bool IsAttached() const { return !m_bDetached; }

    CMediaConvertJob Job;
    // Only a marker that a worker runs: the object deletes itself when its thread ends, before
    // the end notice is handled, so it is never dereferenced here.
    CMediaConvertThread_ST* m_pThread;

protected:
    // The worker's cancel flag and a handle of its thread, kept here so that StopJob stays valid
    // between the thread's end and the handling of its end notice.
    volatile int m_nCancel;
    CHandle m_thread;
    HWND m_hNotifyWindow;

private:
    std::atomic<bool> m_bDetached;
    CMediaJobListener(const CMediaJobListener&) = delete;
    CMediaJobListener& operator=(const CMediaJobListener&) = delete;
};

class CMediaConvertThread_ST : public CWinThread {
public:
    CMediaConvertThread_ST(CMediaConvertJob* job, CMediaJobListener* listener, HWND notifyWindow,
                           volatile int* cancel);

    BOOL InitInstance() override;
    int ExitInstance() override;

    CMediaConvertJob* m_pJob;
    CMediaJobListener* m_pListener;
    HWND m_hNotifyWindow;
    volatile int* m_pCancel;
};

class CMediaConvertRunner : public CEncoderToolEvents {
public:
    CMediaConvertRunner(CMediaConvertJob* job, CMediaJobListener* listener, HWND notifyWindow,
                        volatile int* cancel);

    int OnJobBegin() override { return 0; }
    int OnJobEnd() override { return 0; }
    int OnStarted(const EncoderProgressBlock* block) override;
    int OnProgress(const EncoderProgressBlock* block) override;
    int OnEnded(const EncoderProgressBlock* block) override;
    virtual ~CMediaConvertRunner() {}
    virtual int Run();
    // 0 completed, 1 canceled or skipped, -1 failed, 2 written but not known whole (kept).
    virtual int Work();
    virtual int FillEncoderOptions(CEncoderOptions& options, LPCWSTR outputPath);
    virtual void SetState(int state);
    virtual void SetSubState(int subState);
    virtual void SetResult(int result, int detail);
    // A step a format runs after its encoder (the GIF's optimiser) is told to the listener as a
    // status text, from the worker thread as the state changes are.
    void ShowStepText(LPCWSTR status, LPCWSTR detail)
    {
        if (CMediaJobListener* listener = Listener())
            listener->ShowStatusText(status, detail);
    }

    CMediaConvertJob* m_pJob;
    CMediaJobListener* m_pListener;
    HWND m_hNotifyWindow;
    volatile int* m_pCancel;

private:
    bool Canceled() const { return m_pCancel && *m_pCancel != 0; }
    // The listener while it can still be called.
    CMediaJobListener* Listener() const { return m_pListener && m_pListener->IsAttached() ? m_pListener : nullptr; }
    // Keeps the encoder's block in the job; of a playlist's set, the bytes written are those of
    // all its files, which the encoder does not count.
    void TakeBlock(const EncoderProgressBlock* block);

    // The playlist's set being written while its encoder runs, else null; read on the thread that
    // receives the encoder's records.
    std::atomic<const detail::CPartialOutput*> m_pSeveralFiles{nullptr};
};

// What the runner asks of a volume's free space when an encoder failed (the meaning of
// GetDiskFreeSpaceExW, which it is by default). Test only: null restores it; the one replaced.
typedef BOOL(WINAPI* FreeSpaceQueryFn)(LPCWSTR folder, PULARGE_INTEGER availableToCaller, PULARGE_INTEGER total,
                                       PULARGE_INTEGER free);
FreeSpaceQueryFn SetFreeSpaceQueryForTests(FreeSpaceQueryFn fn);

// An output counts as shorter than asked when it misses more than both of these: a stream a few
// frames or packets short of its source is normal, a source cut short on disk is not.
const __int64 OUTPUT_SHORT_BY_US = 2000000;
const int OUTPUT_SHORT_BY_PERCENT = 2;
// Whether an output of actualUs falls short of expectedUs by more than both margins; false when
// either duration is unknown (0).
bool IsOutputShort(__int64 expectedUs, __int64 actualUs);

// -2 when the encoder driver cannot be set up, else the driver's run result (0, 1 stopped, -1).
int RunEncoderJob(CEncoderOptions& options, HWND notifyWindow, CEncoderToolEvents* listener,
                  const volatile int* stopFlag);
// Adds a format's extra options to the options' first extra output text.
void AppendEncoderOptions(CEncoderOptions& options, LPCWSTR text);
// The resolving rules' view of a probed stream; all zero for null.
SourceStreamValues MakeSourceValues(const CMediaStream* stream);
