// Documents, views and document templates: the single-document cycle of new, open and close
// (one document reused for every open), and the views that show a document in a frame.
#pragma once

#include "framework/Frame.h"

#include <vector>

class CArchive;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCWSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Stores the full path and takes the file name as the title; bAddToMRU is accepted for the
    // programs that keep recent lists of their own.
    virtual void SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& rPosition) const;
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CCmdTarget* pHint = NULL);

    virtual BOOL OnNewDocument();
    // Opens the file for reading and closes it again (nothing is read: documents that keep data
    // override this); a file that cannot be opened fails.
    virtual BOOL OnOpenDocument(LPCWSTR lpszPathName);
    // A document that saves overrides this; the base saves nothing and says so.
    virtual BOOL OnSaveDocument(LPCWSTR lpszPathName);
    // Closes every frame showing the document, then deletes it when m_bAutoDelete is set.
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // Asks "Save changes to <title>?" when modified: Yes saves (a failed save keeps it open),
    // No discards, Cancel keeps it. TRUE when the document may be closed or replaced.
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    virtual void PreCloseFrame(CFrameWnd*) {}
    virtual void OnChangedViewList();
    virtual void Serialize(CArchive&) {}

    // The document itself, then its template.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = NULL;
    BOOL m_bModified = FALSE;
    BOOL m_bAutoDelete = TRUE;  // deleted with its last view
    BOOL m_bEmbedded = FALSE;

protected:
    std::vector<CView*> m_viewList;
    friend class CDocTemplate;
};

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    // WM_INITIALUPDATE; the default is OnUpdate(NULL, 0, NULL).
    virtual void OnInitialUpdate();
    // The default invalidates the view.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CCmdTarget* pHint);
    virtual void OnDraw(CDC*) {}
    // The frame's active view changes: the view that becomes active takes the focus when its
    // frame is the active window.
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT, CFrameWnd*) {}

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // The view itself, then its document.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void PostNcDestroy() override;  // views are heap objects that delete themselves

    CDocument* m_pDocument = NULL;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnPaint();
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
    friend class CDocument;
};

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    // The parts of the document string (string nIDResource, '\n'-separated).
    enum DocStringIndex {
        windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName
    };
    enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };

    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
    ~CDocTemplate() override;

    virtual void LoadTemplate();
    virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;

    virtual void AddDocument(CDocument* pDoc);
    virtual void RemoveDocument(CDocument* pDoc);
    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;

    virtual CDocument* CreateNewDocument();
    // A frame of m_pFrameClass loaded from m_nIDResource with a context that makes the view.
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    virtual void SetDefaultTitle(CDocument* pDocument) = 0;
    // lpszPathName NULL makes a new document.
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual Confidence MatchDocType(LPCWSTR lpszPathName, CDocument*& rpDocMatch);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);

    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
};

// One document at a time: opening another file reuses the document and its frame.
class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
    ~CSingleDocTemplate() override;

    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    POSITION GetFirstDocPosition() const override { return m_pOnlyDoc ? (POSITION)1 : NULL; }
    CDocument* GetNextDoc(POSITION& rPos) const override;
    void SetDefaultTitle(CDocument* pDocument) override;
    CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) override;

    CDocument* m_pOnlyDoc = NULL;
};
