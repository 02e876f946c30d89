// Documents and their views, and the document templates that make frame, document and view
// together (the single-document one reuses its document for every new or opened file).
#include "framework/DocView.h"

#include "framework/App.h"
#include "framework/Effects.h"

#include <algorithm>

namespace {

// The frame of every view of pDoc, each once.
std::vector<CFrameWnd*> FramesOf(const std::vector<CView*>& views)
{
    std::vector<CFrameWnd*> frames;
    for (CView* view : views) {
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    return frames;
}

} // namespace

// ---- CDocument

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocument::CDocument() {}

CDocument::~CDocument()
{
    // Views that outlive the document (it was deleted by hand) must not call back into it.
    for (CView* view : m_viewList) view->m_pDocument = NULL;
    m_viewList.clear();
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCWSTR lpszTitle)
{
    m_strTitle = lpszTitle;
    for (CFrameWnd* frame : FramesOf(m_viewList)) frame->OnUpdateFrameTitle(TRUE);
}

void CDocument::SetPathName(LPCWSTR lpszPathName, BOOL)
{
    wchar_t full[MAX_PATH * 4];
    DWORD n = ::GetFullPathNameW(lpszPathName, MAX_PATH * 4, full, NULL);
    m_strPathName = (n > 0 && n < MAX_PATH * 4) ? CString(full) : CString(lpszPathName);
    SetTitle(FileNamePart(m_strPathName));
}

void CDocument::AddView(CView* pView)
{
    if (!pView || std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end()) return;
    if (pView->m_pDocument && pView->m_pDocument != this) pView->m_pDocument->RemoveView(pView);
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView)
{
    auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
    if (it == m_viewList.end()) return;
    m_viewList.erase(it);
    pView->m_pDocument = NULL;
    OnChangedViewList();  // may delete this
}

void CDocument::OnChangedViewList()
{
    if (m_viewList.empty() && m_bAutoDelete) OnCloseDocument();
}

POSITION CDocument::GetFirstViewPosition() const
{
    return m_viewList.empty() ? NULL : (POSITION)1;
}

CView* CDocument::GetNextView(POSITION& rPosition) const
{
    size_t i = (size_t)rPosition - 1;
    if (!rPosition || i >= m_viewList.size()) {
        rPosition = NULL;
        return NULL;
    }
    rPosition = i + 1 < m_viewList.size() ? (POSITION)(i + 2) : NULL;
    return m_viewList[i];
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CCmdTarget* pHint)
{
    std::vector<CView*> views = m_viewList;
    for (CView* view : views)
        if (view != pSender) view->OnUpdate(pSender, lHint, pHint);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCWSTR lpszPathName)
{
    CHandle file(::CreateFileW(lpszPathName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.IsValid()) {
        AfxMessageBox(L"Failed to open document.", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCWSTR)
{
    return FALSE;
}

void CDocument::OnCloseDocument()
{
    // Destroying the frames removes the views; that must not close the document a second time.
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    for (CFrameWnd* frame : FramesOf(m_viewList)) {
        PreCloseFrame(frame);
        frame->DestroyWindow();
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified()
{
    if (!IsModified()) return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : FileNamePart(m_strPathName);
    if (name.IsEmpty()) name = L"Untitled";
    CString prompt;
    prompt.Format(L"Save changes to %s?", name.GetString());
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        if (m_strPathName.IsEmpty() || !OnSaveDocument(m_strPathName)) return FALSE;
        SetModifiedFlag(FALSE);
        return TRUE;
    default:
        return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame)
{
    // Only the last frame of a document asks about its changes.
    for (CView* view : m_viewList)
        if (view->GetParentFrame() != pFrame) return TRUE;
    return SaveModified();
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- CView

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_MOUSEACTIVATE()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

CView::CView() {}

CView::~CView()
{
    if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(NULL, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1), NULL);
    // The view's border is drawn as a sunken client edge.
    if (cs.style & WS_BORDER) {
        cs.style &= ~WS_BORDER;
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1) return -1;
    CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (pContext && pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy()
{
    CFrameWnd* frame = GetParentFrame();
    if (frame && frame->GetActiveView() == this) frame->SetActiveView(NULL, FALSE);
    CWnd::OnDestroy();
}

void CView::PostNcDestroy()
{
    delete this;
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnDraw(&dc);
}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    int result = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
    if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT) return result;
    CFrameWnd* frame = GetParentFrame();
    if (frame && frame->GetActiveView() != this) frame->SetActiveView(this);
    return result;
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM)
{
    OnInitialUpdate();
    return 0;
}

void CView::OnInitialUpdate()
{
    OnUpdate(NULL, 0, NULL);
}

void CView::OnUpdate(CView*, LPARAM, CCmdTarget*)
{
    if (m_hWnd) Invalidate(TRUE);
}

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*)
{
    if (!bActivate || pActivateView != this || !m_hWnd) return;
    CWnd* top = GetTopLevelParent();
    if (top && ::GetActiveWindow() == top->m_hWnd) SetFocus();
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- CDocTemplate

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
{
}

CDocTemplate::~CDocTemplate() {}

void CDocTemplate::LoadTemplate()
{
    if (m_strDocStrings.IsEmpty()) m_strDocStrings.LoadString(m_nIDResource);
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const
{
    rString.Empty();
    int start = 0;
    for (int i = 0; i < (int)index; ++i) {
        int nl = m_strDocStrings.Find(L'\n', start);
        if (nl < 0) return FALSE;
        start = nl + 1;
    }
    int end = m_strDocStrings.Find(L'\n', start);
    if (end < 0) end = m_strDocStrings.GetLength();
    if (start > m_strDocStrings.GetLength()) return FALSE;
    rString = m_strDocStrings.Mid(start, end - start);
    return !rString.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    if (pDoc->m_pDocTemplate == this) pDoc->m_pDocTemplate = NULL;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    if (!m_pDocClass) return NULL;
    CCmdTarget* object = m_pDocClass->CreateObject();
    if (!object) return NULL;
    if (!object->IsKindOf(RUNTIME_CLASS(CDocument))) {
        delete object;
        return NULL;
    }
    CDocument* doc = static_cast<CDocument*>(object);
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther)
{
    if (!m_pFrameClass) return NULL;
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CCmdTarget* object = m_pFrameClass->CreateObject();
    if (!object) return NULL;
    if (!object->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        delete object;
        return NULL;
    }
    CFrameWnd* frame = static_cast<CFrameWnd*>(object);
    // A frame that fails deletes itself.
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, NULL, &context)) return NULL;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCWSTR lpszPathName, CDocument*& rpDocMatch)
{
    rpDocMatch = NULL;
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* doc = GetNextDoc(pos);
        if (doc && !doc->GetPathName().IsEmpty() && doc->GetPathName().CompareNoCase(lpszPathName) == 0) {
            rpDocMatch = doc;
            return yesAlreadyOpen;
        }
    }
    CString ext;
    if (GetDocString(ext, filterExt) && !ext.IsEmpty()) {
        CString path(lpszPathName);
        if (path.GetLength() >= ext.GetLength() && path.Right(ext.GetLength()).CompareNoCase(ext) == 0)
            return yesAttemptNative;
    }
    return yesAttemptForeign;
}

BOOL CDocTemplate::SaveAllModified()
{
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* doc = GetNextDoc(pos);
        if (doc && !doc->SaveModified()) return FALSE;
    }
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* doc = GetNextDoc(pos);
        if (doc) doc->OnCloseDocument();
    }
}

// ---- CSingleDocTemplate

IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    // The document may outlive the application's templates (static destruction order).
    if (m_pOnlyDoc) m_pOnlyDoc->m_pDocTemplate = NULL;
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc)
{
    CDocTemplate::AddDocument(pDoc);
    m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc)
{
    CDocTemplate::RemoveDocument(pDoc);
    if (m_pOnlyDoc == pDoc) m_pOnlyDoc = NULL;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const
{
    CDocument* doc = rPos == (POSITION)1 ? m_pOnlyDoc : NULL;
    rPos = NULL;
    return doc;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString title;
    if (!GetDocString(title, docName) || title.IsEmpty()) title = L"Untitled";
    pDocument->SetTitle(title);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible)
{
    CDocument* doc = m_pOnlyDoc;
    CFrameWnd* frame = NULL;
    bool created = false;
    if (doc) {
        // The one document is reused: it is asked about its changes first.
        if (!doc->SaveModified()) return NULL;
        POSITION pos = doc->GetFirstViewPosition();
        if (CView* view = doc->GetNextView(pos)) frame = view->GetParentFrame();
    } else {
        doc = CreateNewDocument();
        if (!doc) return NULL;
        created = true;
    }

    if (!frame) {
        // Kept alive through a failed frame whatever its views do.
        BOOL autoDelete = doc->m_bAutoDelete;
        doc->m_bAutoDelete = FALSE;
        frame = CreateNewFrame(doc, NULL);
        doc->m_bAutoDelete = autoDelete;
        if (!frame) {
            if (created) delete doc;
            return NULL;
        }
    }

    // Undoes a new document and its frame after a failed new or open.
    auto discardCreated = [&]() {
        if (!created) return;
        BOOL autoDelete = doc->m_bAutoDelete;
        doc->m_bAutoDelete = FALSE;
        frame->DestroyWindow();
        doc->m_bAutoDelete = autoDelete;
        delete doc;
    };

    if (!lpszPathName) {
        SetDefaultTitle(doc);
        if (!bMakeVisible) doc->m_bEmbedded = TRUE;
        if (!doc->OnNewDocument()) {
            discardCreated();
            return NULL;
        }
    } else {
        BOOL wasModified = doc->IsModified();
        doc->SetModifiedFlag(FALSE);
        if (!doc->OnOpenDocument(lpszPathName)) {
            if (created) {
                discardCreated();
            } else if (!doc->IsModified()) {
                // Nothing was touched: the document stays what it was.
                doc->SetModifiedFlag(wasModified);
            } else {
                // Half-read contents are not kept: the document starts over empty.
                SetDefaultTitle(doc);
                doc->OnNewDocument();
            }
            return NULL;
        }
        doc->SetPathName(lpszPathName);
    }

    CWinThread* thread = AfxGetThread();
    if (created && thread && !thread->m_pMainWnd) thread->m_pMainWnd = frame;
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}
