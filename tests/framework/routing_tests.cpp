// Reflection back to controls, notification ranges, run-time classes, the command line and
// the current thread's message filter.
#include <gtest/gtest.h>

#include "framework/framework.h"

#include <thread>
#include <vector>

namespace {

const UINT ID_CHILD = 301;
const UINT ID_ITEM_FIRST = 400;
const UINT ID_ITEM_LAST = 409;

// A control that takes its own notifications; _EX handlers decide whether the parent hears too.
class CReflectChild : public CWnd {
public:
    BOOL m_passOn = FALSE;
    int m_clicks = 0, m_customDraws = 0, m_measures = 0;
protected:
    BOOL OnClicked() { ++m_clicks; return !m_passOn; }
    void OnCustomDraw(NMHDR*, LRESULT* pResult) { ++m_customDraws; *pResult = CDRF_NOTIFYITEMDRAW; }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) { ++m_measures; mis->itemHeight = 33; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectChild, CWnd)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

class CParentWnd : public CWnd {
public:
    int m_clicks = 0;
    std::vector<UINT> m_notified;
    BOOL m_takeNotify = TRUE;
protected:
    void OnChildClicked() { ++m_clicks; }
    BOOL OnItemNotify(UINT id, NMHDR*, LRESULT* pResult)
    {
        m_notified.push_back(id);
        *pResult = 5;
        return m_takeNotify;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
    ON_BN_CLICKED(ID_CHILD, OnChildClicked)
    ON_NOTIFY_EX_RANGE(NM_CLICK, ID_ITEM_FIRST, ID_ITEM_LAST, OnItemNotify)
END_MESSAGE_MAP()

TEST(Reflection, ControlHandlersComeFirstAndExVariantsPassOn)
{
    CParentWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, NULL, L"parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), NULL, 0));
    CReflectChild child;
    ASSERT_TRUE(child.CreateEx(0, NULL, NULL, WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20), &parent, ID_CHILD));

    parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CHILD, BN_CLICKED), (LPARAM)child.m_hWnd);
    EXPECT_EQ(1, child.m_clicks);
    EXPECT_EQ(0, parent.m_clicks);
    child.m_passOn = TRUE;
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CHILD, BN_CLICKED), (LPARAM)child.m_hWnd);
    EXPECT_EQ(2, child.m_clicks);
    EXPECT_EQ(1, parent.m_clicks);

    NMHDR hdr = {child.m_hWnd, ID_CHILD, (UINT)NM_CUSTOMDRAW};
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, parent.SendMessage(WM_NOTIFY, ID_CHILD, (LPARAM)&hdr));
    EXPECT_EQ(1, child.m_customDraws);

    MEASUREITEMSTRUCT mis = {ODT_LISTBOX, ID_CHILD, 0, 0, 0, 0};
    EXPECT_TRUE(parent.SendMessage(WM_MEASUREITEM, ID_CHILD, (LPARAM)&mis));
    EXPECT_EQ(1, child.m_measures);
    EXPECT_EQ(33u, mis.itemHeight);

    // A notification range reports the id; FALSE leaves the message unhandled.
    NMHDR item = {NULL, ID_ITEM_FIRST + 4, (UINT)NM_CLICK};
    EXPECT_EQ(5, parent.SendMessage(WM_NOTIFY, item.idFrom, (LPARAM)&item));
    item.idFrom = ID_ITEM_LAST + 1;
    parent.SendMessage(WM_NOTIFY, item.idFrom, (LPARAM)&item);
    parent.m_takeNotify = FALSE;
    item.idFrom = ID_ITEM_FIRST;
    LRESULT r = parent.SendMessage(WM_NOTIFY, item.idFrom, (LPARAM)&item);
    EXPECT_EQ(0, r) << "an unhandled notification gets the default answer";
    EXPECT_EQ((std::vector<UINT>{ID_ITEM_FIRST + 4, ID_ITEM_FIRST}), parent.m_notified);
    parent.DestroyWindow();
}

class CShape : public CCmdTarget {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CCmdTarget)
class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

TEST(RuntimeClass, KindsNamesAndCreation)
{
    CCmdTarget* made = RUNTIME_CLASS(CCircle)->CreateObject();
    ASSERT_NE(nullptr, made);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_STREQ("CCircle", made->GetRuntimeClass()->m_lpszClassName);
    delete made;
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->CreateObject());
    CFrameWnd* frame = static_cast<CFrameWnd*>(RUNTIME_CLASS(CFrameWnd)->CreateObject());
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(frame->IsKindOf(RUNTIME_CLASS(CView)));
    delete frame;
}

class CRecordingInfo : public CCommandLineInfo {
public:
    struct Arg { CString param; BOOL flag, last; };
    std::vector<Arg> args;
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override
    {
        args.push_back({pszParam, bFlag, bLast});
        CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
    }
};

TEST(CommandLine, ArgumentsFlagsAndTheShellCommand)
{
    CWinApp app(L"CmdLineTest");
    app.m_lpCmdLine = const_cast<LPWSTR>(L"-x \"C:\\a b\\f.tst\" /Embedding second");
    CRecordingInfo info;
    app.ParseCommandLine(info);
    ASSERT_EQ(4u, info.args.size());
    EXPECT_EQ(L"x", info.args[0].param);
    EXPECT_TRUE(info.args[0].flag);
    EXPECT_EQ(L"C:\\a b\\f.tst", info.args[1].param);
    EXPECT_FALSE(info.args[1].flag);
    EXPECT_EQ(L"Embedding", info.args[2].param);
    EXPECT_FALSE(info.args[2].last);
    EXPECT_TRUE(info.args[3].last);
    EXPECT_EQ(L"C:\\a b\\f.tst", info.m_strFileName);
    EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);
    EXPECT_TRUE(info.m_bRunEmbedded);
    EXPECT_FALSE(info.m_bShowSplash);

    app.m_lpCmdLine = const_cast<LPWSTR>(L"/nologo");
    CCommandLineInfo plain;
    app.ParseCommandLine(plain);
    EXPECT_EQ(CCommandLineInfo::FileNew, plain.m_nShellCommand);
    EXPECT_TRUE(plain.m_bShowSplash) << "the last argument settles the splash from embedding alone";
    // Nothing to do succeeds; a new document without a template gives no main window.
    plain.m_nShellCommand = CCommandLineInfo::FileNothing;
    EXPECT_TRUE(app.ProcessShellCommand(plain));
    plain.m_nShellCommand = CCommandLineInfo::FileNew;
    EXPECT_FALSE(app.ProcessShellCommand(plain));
}

// Counts the messages its filter sees and swallows the ones marked for it.
class CFilterThread : public CWinThread {
public:
    int m_seen = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_APP + 7) ++m_seen;
        return CWinThread::PreTranslateMessage(pMsg);
    }
};

class CFilterWnd : public CWnd {
public:
    int m_filtered = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_APP + 7) return FALSE;
        ++m_filtered;
        return TRUE;
    }
};

TEST(CurrentThread, ModalLoopsOnAnyThreadReachTheFilters)
{
    int seenByThread = 0, seenByWindow = 0, seenWithoutThread = 0;
    bool wasCurrent = false;
    std::thread worker([&] {
        CFilterThread thread;
        thread.m_bAutoDelete = FALSE;
        AfxSetThread(&thread);
        wasCurrent = AfxGetThread() == &thread;
        CFilterWnd wnd;
        wnd.CreateEx(0, NULL, L"filter", WS_POPUP, CRect(0, 0, 10, 10), NULL, 0);
        MSG msg = {wnd.m_hWnd, WM_APP + 7, 0, 0, 0, {0, 0}};
        EXPECT_TRUE(AfxPreTranslateMessage(&msg));
        seenByThread = thread.m_seen;
        seenByWindow = wnd.m_filtered;
        AfxSetThread(nullptr);
        EXPECT_TRUE(AfxPreTranslateMessage(&msg));
        seenWithoutThread = wnd.m_filtered - seenByWindow;
        msg.message = WM_APP + 8;
        EXPECT_FALSE(AfxPreTranslateMessage(&msg));
        wnd.DestroyWindow();
    });
    worker.join();
    EXPECT_TRUE(wasCurrent);
    EXPECT_EQ(1, seenByThread);
    EXPECT_EQ(1, seenByWindow);
    EXPECT_EQ(1, seenWithoutThread);
}

} // namespace
