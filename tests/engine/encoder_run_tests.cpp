// The encoder driver under Wine with the fake tool in its place: progress records from another
// process reaching the listener, the reply that stops, the retries, and records that name no
// live driver.
#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <thread>

#include "EngineTestSupport.h"
#include "encoder_test_support.h"
#include "engine/EncoderTool.h"
#include "engine/ToolProcess.h"

using namespace enginetest;
using namespace enctest;

namespace {

class EncoderFakeRun : public testing::Test {
protected:
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(2000);
        m_folder = MakeAwkwardFolder(L"encoder");
        ASSERT_FALSE(m_folder.IsEmpty());
        m_tool = InstallFakeTool(m_folder, L"Velkor.exe");
        ASSERT_FALSE(m_tool.IsEmpty());
        m_log = m_folder + L"\\command log.txt";
        m_records = m_folder + L"\\record log.txt";
        m_window.reset(new CTestWindow(WS_POPUP, 0, 0, 20, 20, [](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& r) {
            if (msg != WM_COPYDATA)
                return false;
            r = CEncoderTool::DispatchCopyData((const COPYDATASTRUCT*)lParam);
            return true;
        }));
        ASSERT_TRUE(m_window->Get() != NULL);
        Script(L"");
    }
    void TearDown() override { CToolProcessBase::SetStopGraceForTests(10000); }

    void Script(const CString& lines)
    {
        ASSERT_TRUE(WriteUtf8File(m_folder + L"\\Velkor.fake",
                                  L"log " + m_log + L"\nrecord_log " + m_records + L"\ninterval 20\n" + lines));
    }

    // Runs 'work' on a worker thread while this thread's window answers the records.
    int OnWorker(const std::function<int()>& work)
    {
        int result = -99;
        CPumpedThread worker([&] { result = work(); });
        EXPECT_TRUE(worker.Join(120000));
        return result;
    }

    std::vector<CString> Replies() { return ReadLines(m_records); }

    CEncoderOptions SimpleOptions()
    {
        CEncoderOptions o;
        o.Input1Path = m_folder + L"\\in \u00e9.mp4";
        o.OutputPath = m_folder + L"\\out (1).mp4";
        return o;
    }

    CString m_folder, m_tool, m_log, m_records;
    std::unique_ptr<CTestWindow> m_window;
};

TEST_F(EncoderFakeRun, RecordsReachTheListenerAndItsAnswersGoBack)
{
    Script(L"progress 3\n");
    CRecordingListener listener;
    listener.EndedAnswer = 5;
    CEncoderTool driver;
    ASSERT_EQ(0, driver.InitWithListener(m_tool, m_folder + L"\\Presets", m_window->Get(), &listener));
    CEncoderOptions o = SimpleOptions();
    EXPECT_EQ(0, OnWorker([&] { return driver.Launch(o, nullptr); }));

    std::vector<ListenerCall> calls = listener.Calls();
    std::vector<const char*> names = listener.Names();
    ASSERT_EQ(8u, names.size());
    const char* expected[] = {"begin", "started", "progress", "progress", "progress", "ended", "ended", "end"};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_STREQ(expected[i], names[i]) << i;
    DWORD windowThread = GetCurrentThreadId();
    EXPECT_EQ(windowThread, calls[1].thread) << "records are handled on the window's thread";
    EXPECT_NE(windowThread, calls[6].thread) << "the closing OnEnded comes from the launching thread";
    EXPECT_EQ(10000000, calls[1].block.TotalDurationUs);
    EXPECT_EQ(1000, calls[2].block.BytesWritten);
    EXPECT_EQ(3333333, calls[2].block.PositionUs);
    EXPECT_EQ(10000000, calls[4].block.PositionUs);
    ASSERT_TRUE(calls[6].hasBlock);
    EXPECT_EQ(3000, calls[6].block.BytesWritten) << "the last block survives the run";
    EXPECT_EQ(10000000, driver.GetLastBlock().PositionUs);

    std::vector<CString> replies = Replies();
    ASSERT_EQ(5u, replies.size());
    EXPECT_STREQ(L"reply 21 0", replies[0]);
    EXPECT_STREQ(L"reply 22 0", replies[3]);
    EXPECT_STREQ(L"reply 24 5", replies[4]) << "the listener's answer is the message result";

    std::vector<std::vector<CString>> runs = ReadRuns(m_log);
    ASSERT_EQ(1u, runs.size());
    CString window, context;
    window.Format(L"%I64d", (__int64)(INT_PTR)m_window->Get());
    context.Format(L"%I64d", driver.GetContext());
    EXPECT_STREQ(window, ValueOf(runs[0], L"-callback_window"));
    EXPECT_STREQ(context, ValueOf(runs[0], L"-callback_context"));
    EXPECT_STREQ(o.Input1Path, ValueOf(runs[0], L"-i")) << "paths arrive whole";
}

TEST_F(EncoderFakeRun, AReplyOfOneStopsTheToolAndTheCopyIsNotRetried)
{
    Script(L"progress 20\ninterval 50\nstop_exit 3\n");
    CRecordingListener listener;
    listener.StopAtProgress = 2;
    CEncoderTool driver;
    driver.InitWithListener(m_tool, nullptr, m_window->Get(), &listener);
    CString out = m_folder + L"\\copy.mkv";
    EXPECT_EQ(-1, OnWorker([&] { return driver.CopyStreams(L"C:\\v.mp4", 0, nullptr, 1, out, nullptr, nullptr); }));

    std::vector<CString> replies = Replies();
    ASSERT_EQ(4u, replies.size());
    EXPECT_STREQ(L"reply 22 0", replies[1]);
    EXPECT_STREQ(L"reply 22 1", replies[2]);
    EXPECT_STREQ(L"reply 24 0", replies[3]);
    EXPECT_EQ(1u, ReadRuns(m_log).size()) << "a run the listener stopped is not started again";
}

TEST_F(EncoderFakeRun, AStopAnsweredWithTheStopFlagEndsAsStopped)
{
    Script(L"progress 20\ninterval 50\nstop_exit 3\n");
    // A grace far beyond any run of a loaded machine: an end before it is the tool's own.
    CToolProcessBase::SetStopGraceForTests(60000);
    volatile int cancel = 0;
    CRecordingListener listener;
    listener.StopAtProgress = 1;
    listener.FlagToSet = &cancel;
    CEncoderTool driver;
    driver.InitWithListener(m_tool, nullptr, m_window->Get(), &listener);
    CEncoderOptions o = SimpleOptions();
    DWORD start = GetTickCount();
    EXPECT_EQ(1, OnWorker([&] { return driver.Launch(o, &cancel); }));
    EXPECT_LT(GetTickCount() - start, 40000u) << "the tool ended by itself, well inside the stop grace";
    EXPECT_EQ(1u, ReadRuns(m_log).size());
}

TEST_F(EncoderFakeRun, AStopAnsweredToTheStartRecordIsNotRetried)
{
    Script(L"progress 5\nstop_exit 3\n");
    CRecordingListener listener;
    listener.StartedAnswer = 1;
    CEncoderTool driver;
    driver.InitWithListener(m_tool, nullptr, m_window->Get(), &listener);
    EXPECT_EQ(-1, OnWorker([&] { return driver.CopyStreams(L"C:\\v.mp4", 0, nullptr, 1, L"C:\\o.mkv", nullptr, nullptr); }));
    std::vector<CString> replies = Replies();
    ASSERT_EQ(2u, replies.size()) << "the tool stopped at its start";
    EXPECT_STREQ(L"reply 21 1", replies[0]);
    EXPECT_EQ(1u, ReadRuns(m_log).size()) << "a run the listener stopped at its start is not started again";
}

TEST_F(EncoderFakeRun, FailedRunsAreRetriedOnceWithTheLooserSetting)
{
    Script(L"exit 3\n");
    CEncoderTool driver;
    driver.Init(m_tool, nullptr, NULL);
    EXPECT_EQ(-1, driver.CopyStreams(L"C:\\v.mp4", 0, L"C:\\a.m4a", 0, L"C:\\o.mp4", L"mp4", nullptr));
    std::vector<std::vector<CString>> runs = ReadRuns(m_log);
    ASSERT_EQ(2u, runs.size());
    EXPECT_FALSE(HasArg(runs[0], L"-vsync"));
    EXPECT_STREQ(L"drop", ValueOf(runs[1], L"-vsync"));
    EXPECT_FALSE(HasArg(runs[0], L"-callback_window")) << "no window, no window option";
    EXPECT_TRUE(HasArg(runs[0], L"-callback_context"));

    DeleteFileW(m_log);
    CStringArray parts;
    parts.Add(L"a.ts");
    parts.Add(L"b.ts");
    EXPECT_EQ(-1, driver.ConcatInputs(parts, L"C:\\o.mp4", L"mp4", nullptr));
    runs = ReadRuns(m_log);
    ASSERT_EQ(2u, runs.size());
    EXPECT_STREQ(L"concat:a.ts|b.ts", ValueOf(runs[0], L"-i"));
    EXPECT_FALSE(HasArg(runs[0], L"-bsf:a"));
    EXPECT_STREQ(L"aac_adtstoasc", ValueOf(runs[1], L"-bsf:a"));

    // A flag that is set but not 2 does not shorten the run, yet the run counts as stopped.
    DeleteFileW(m_log);
    volatile int paused = 1;
    EXPECT_EQ(1, driver.ConcatListFile(L"C:\\list.txt", L"C:\\o.mp4", &paused));
    EXPECT_EQ(1u, ReadRuns(m_log).size());

    Script(L"exit 0\n");
    DeleteFileW(m_log);
    EXPECT_EQ(0, driver.CopyStreams(L"C:\\v.mp4", 0, nullptr, 0, L"C:\\o.mp4", L"mp4", nullptr));
    EXPECT_EQ(1u, ReadRuns(m_log).size());
}

TEST_F(EncoderFakeRun, RecordsNamingNoLiveDriverAreAnsweredZero)
{
    Script(L"progress 2\n");
    CRecordingListener listener;
    CEncoderTool live;
    live.InitWithListener(m_tool, nullptr, m_window->Get(), &listener);

    CEncoderTool* gone = new CEncoderTool;
    gone->InitWithListener(m_tool, nullptr, m_window->Get(), &listener);
    __int64 goneContext = gone->GetContext();
    delete gone;

    auto sendWithContext = [&](__int64 context) {
        DeleteFileW(m_records);
        CString args;
        args.Format(L"-callback_window %I64d -callback_context %I64d", (__int64)(INT_PTR)m_window->Get(), context);
        CToolProcessBase runner;
        runner.SetPath(m_tool);
        return OnWorker([&] { return runner.Run(MakeToolCommand(m_tool, args), nullptr); });
    };

    for (__int64 context : {(__int64)12345, goneContext, (__int64)(INT_PTR)&live, (__int64)0}) {
        EXPECT_EQ(0, sendWithContext(context));
        std::vector<CString> replies = Replies();
        ASSERT_EQ(4u, replies.size());
        for (const CString& r : replies)
            EXPECT_STREQ(L" 0", r.Mid(r.ReverseFind(L' '))) << "context " << context;
    }
    EXPECT_TRUE(listener.Calls().empty());

    // Only the low 32 bits name the driver: the live one is found whatever the high half holds.
    EXPECT_EQ(0, sendWithContext((__int64)0x7FFFFFFF00000000LL | live.GetContext()));
    EXPECT_EQ(4u, listener.Calls().size());
}

TEST(EncoderDispatch, OnlyEncoderRecordsOfTheRightSizeAreDelivered)
{
    CRecordingListener listener;
    CEncoderTool driver;
    driver.InitWithListener(L"C:\\V.exe", nullptr, NULL, &listener);
    std::vector<BYTE> record(ENCODER_RECORD_SIZE, 0);
    __int64 context = driver.GetContext();
    memcpy(&record[0], &context, sizeof(context));
    int code = 23;
    memcpy(&record[8], &code, sizeof(code));
    __int64 position = 4242;
    memcpy(&record[1056 + 40], &position, sizeof(position));
    COPYDATASTRUCT cds = {ENCODER_RECORD_ID, ENCODER_RECORD_SIZE, record.data()};

    EXPECT_EQ(-1, CEncoderTool::DispatchCopyData(&cds)) << "unknown code";
    EXPECT_TRUE(listener.Calls().empty());
    EXPECT_EQ(4242, driver.GetLastBlock().PositionUs) << "the block is kept even for an unknown code";

    code = 22;
    memcpy(&record[8], &code, sizeof(code));
    COPYDATASTRUCT other = {1020, ENCODER_RECORD_SIZE, record.data()};
    COPYDATASTRUCT shorter = {ENCODER_RECORD_ID, ENCODER_RECORD_SIZE - 1, record.data()};
    COPYDATASTRUCT empty = {ENCODER_RECORD_ID, ENCODER_RECORD_SIZE, nullptr};
    EXPECT_EQ(0, CEncoderTool::DispatchCopyData(&other));
    EXPECT_EQ(0, CEncoderTool::DispatchCopyData(&shorter));
    EXPECT_EQ(0, CEncoderTool::DispatchCopyData(&empty));
    EXPECT_EQ(0, CEncoderTool::DispatchCopyData(nullptr));
    EXPECT_TRUE(listener.Calls().empty());
    EXPECT_EQ(0, CEncoderTool::DispatchCopyData(&cds));
    EXPECT_EQ(1u, listener.Calls().size());

    CEncoderTool deaf;
    context = deaf.GetContext();
    memcpy(&record[0], &context, sizeof(context));
    EXPECT_EQ(-1, CEncoderTool::DispatchCopyData(&cds)) << "a driver without a listener";
    EXPECT_EQ(-1, driver.OnCopyData(nullptr));
}

// A listener whose progress handler runs the test's work.
class CWorkingListener : public CEncoderToolEvents {
public:
    int OnJobBegin() override { return 0; }
    int OnJobEnd() override { return 0; }
    int OnStarted(const EncoderProgressBlock*) override { return 0; }
    int OnProgress(const EncoderProgressBlock*) override { return Work ? Work() : 0; }
    int OnEnded(const EncoderProgressBlock*) override { return 0; }
    std::function<int()> Work;
};

std::vector<BYTE> ProgressRecord(__int64 context)
{
    std::vector<BYTE> record(ENCODER_RECORD_SIZE, 0);
    memcpy(&record[0], &context, sizeof(context));
    int code = ENCODER_RECORD_PROGRESS;
    memcpy(&record[8], &code, sizeof(code));
    return record;
}

LRESULT Dispatch(std::vector<BYTE>& record)
{
    COPYDATASTRUCT cds = {ENCODER_RECORD_ID, ENCODER_RECORD_SIZE, record.data()};
    return CEncoderTool::DispatchCopyData(&cds);
}

TEST(EncoderDispatch, TheListenerRunsWithoutTheProcessWideLock)
{
    // While one dialog's listener handles a record, another job's driver comes and goes on its
    // worker thread; it must not wait for that listener.
    CWorkingListener listener;
    CEncoderTool driver;
    driver.InitWithListener(L"C:\\V.exe", nullptr, NULL, &listener);
    std::atomic<bool> otherDone(false);
    std::thread other;
    bool doneWhileHandling = false;
    listener.Work = [&] {
        other = std::thread([&] {
            CEncoderTool second;
            otherDone = true;
        });
        for (DWORD waited = 0; !otherDone && waited < 10000; waited += 10)
            Sleep(10);
        doneWhileHandling = otherDone;
        return 1;
    };
    std::vector<BYTE> record = ProgressRecord(driver.GetContext());
    EXPECT_EQ(1, Dispatch(record));
    if (other.joinable())
        other.join();
    EXPECT_TRUE(doneWhileHandling) << "the other driver waited for this listener";
}

TEST(EncoderDispatch, ALateRecordNeverReachesALaterDriverAtTheSameAddress)
{
    alignas(CEncoderTool) unsigned char storage[sizeof(CEncoderTool)];
    CRecordingListener first, second;
    CEncoderTool* job1 = new (storage) CEncoderTool;
    job1->InitWithListener(L"C:\\V.exe", nullptr, NULL, &first);
    std::vector<BYTE> late = ProgressRecord(job1->GetContext());
    job1->~CEncoderTool();

    CEncoderTool* job2 = new (storage) CEncoderTool;
    job2->InitWithListener(L"C:\\V.exe", nullptr, NULL, &second);
    ASSERT_EQ((void*)job1, (void*)job2);
    EXPECT_EQ(0, Dispatch(late));
    EXPECT_TRUE(second.Calls().empty()) << "the first job's record reached the second job";
    EXPECT_TRUE(first.Calls().empty());
    std::vector<BYTE> own = ProgressRecord(job2->GetContext());
    EXPECT_EQ(0, Dispatch(own));
    EXPECT_EQ(1u, second.Calls().size());
    job2->~CEncoderTool();
}

TEST(EncoderDispatch, ADriverBeingDestroyedWaitsForTheRecordItIsHandling)
{
    CWorkingListener listener;
    CHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> handling(false);
    listener.Work = [&] {
        handling = true;
        SetEvent(entered);
        WaitForSingleObject(release, 30000);
        handling = false;
        return 1;
    };
    CEncoderTool* driver = new CEncoderTool;
    driver->InitWithListener(L"C:\\V.exe", nullptr, NULL, &listener);
    std::vector<BYTE> record = ProgressRecord(driver->GetContext());
    LRESULT answer = -99;
    std::thread window([&] { answer = Dispatch(record); });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered, 30000));

    std::atomic<bool> destroyed(false), handlingAtDestruction(false);
    std::thread worker([&] {
        delete driver;
        handlingAtDestruction = handling.load();
        destroyed = true;
    });
    Sleep(300);
    EXPECT_FALSE(destroyed) << "the driver went while its listener still ran";
    SetEvent(release);
    window.join();
    worker.join();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(handlingAtDestruction);
    EXPECT_EQ(1, answer);
    EXPECT_EQ(0, Dispatch(record)) << "a destroyed driver is no longer found";
}

TEST_F(EncoderFakeRun, StandAloneGrabNeedsTheToolAndItsOutput)
{
    CString out = m_folder + L"\\grab";
    EXPECT_EQ(-1, GrabFrameToFile(L"C:\\in.mp4", out, 1000, 0, 0, nullptr, nullptr)) << "no host";
    CEncoderTestHost host;
    host.EncoderTool = m_tool;
    EXPECT_EQ(-1, GrabFrameToFile(L"C:\\in.mp4", out, 1000, 0, 0, nullptr, nullptr)) << "no output written";
    std::vector<std::vector<CString>> runs = ReadRuns(m_log);
    ASSERT_EQ(1u, runs.size());
    EXPECT_STREQ(L"0:00:01.000", ValueOf(runs[0], L"-ss"));
    EXPECT_STREQ(L"image2", ValueOf(runs[0], L"-f"));
    EXPECT_FALSE(HasArg(runs[0], L"-callback_window"));

    ASSERT_TRUE(WriteUtf8File(out, L"x"));
    EXPECT_EQ(0, GrabFrameToFile(L"C:\\in.mp4", out, 1000, 0, 0, nullptr, nullptr));
    Script(L"exit 1\n");
    EXPECT_EQ(-1, GrabFrameToFile(L"C:\\in.mp4", out, 1000, 0, 0, nullptr, nullptr));
    volatile int stop = 1;
    EXPECT_EQ(1, GrabFrameToFile(L"C:\\in.mp4", out, 1000, 0, 0, nullptr, &stop));
}

}  // namespace
