// The source-load worker of the conversion dialogs: the probe first, since the dialog waits for
// it, then the picture.
#include "converter/dialogs/SourceLoad.h"

#include "converter/app/ConverterMessages.h"
#include "engine/ThumbnailGrab.h"
#include "framework/Thread.h"

namespace {

class CSourceLoadThread : public CWinThread {
public:
    explicit CSourceLoadThread(CSourceLoad* load) : m_load(load) { m_bAutoDelete = TRUE; }

    BOOL InitInstance() override
    {
        CSourceLoad& load = *m_load;
        const CString path = load.item.Path;
        load.probed = load.item.ProbePath(&load.stop);
        if (load.probed == 0)
            load.item.Size = load.item.MediaInfo.Size;
        const bool picture = load.probed == 0 && !load.item.MediaInfo.VideoStreams.IsEmpty();
        ::WaitForSingleObject(load.ready, INFINITE);
        // The item is the dialog's from here on.
        if (load.notify)
            ::PostMessageW(load.notify, WM_SOURCE_PROBED, (WPARAM)load.id, 0);
        if (picture && !load.stop)
            GrabJobThumbnail(path, load.picture, JOB_THUMBNAIL_TIME_MS, &load.stop);
        return FALSE;
    }
    int ExitInstance() override
    {
        if (m_load->notify)
            ::PostMessageW(m_load->notify, WM_SOURCE_LOADED, (WPARAM)m_load->id, 0);
        return 0;
    }

private:
    CSourceLoad* m_load;
};

}  // namespace

bool CSourceLoad::Start(int loadId, const CString& sourcePath)
{
    id = loadId;
    path = sourcePath;
    item.Path = sourcePath;
    ready.Attach(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready.IsValid())
        return false;
    // The tools run on a worker: the dialog stays with the user while they do.
    CSourceLoadThread* worker = new CSourceLoadThread(this);
    if (!worker->CreateThread(CREATE_SUSPENDED)) {
        delete worker;
        return false;
    }
    HANDLE copy = NULL;
    if (::DuplicateHandle(::GetCurrentProcess(), worker->m_hThread, ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
        thread.Attach(copy);
    worker->SetThreadPriority(THREAD_PRIORITY_NORMAL);
    worker->ResumeThread();
    return true;
}

void CSourceLoad::Stop()
{
    stop = 2;
    ::SetEvent(ready);
}
