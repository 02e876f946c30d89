// The media information dialog: a two-column report of one item's file, streams and metadata.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CMediaItem;
class CMediaInfoReadThread;

class CMediaInfoDlg : public CDialog {
public:
    // The item is not owned; it must outlive the dialog.
    explicit CMediaInfoDlg(CMediaItem* item, CWnd* pParent = nullptr);
    ~CMediaInfoDlg() override;

    // An item not probed yet is probed on a worker: the window is up at once and says that it is
    // reading, and closing it ends the probe.
    BOOL OnInitDialog() override;
    // Rebuilds the report from the item: the path above, the rows below (none for an item that
    // could not be probed). Section rows carry item data 1.
    void Fill();
    // True while the item's information is being read.
    bool IsReading() const { return m_pReader != nullptr; }

    CMediaItem* m_pItem;
    CListCtrl m_list;

protected:
    void AddRow(LPCWSTR name, LPCWSTR value, bool section = false);
    void StopReading();
    void OnDestroy();
    LRESULT OnReadDone(WPARAM, LPARAM lParam);
    void OnCustomDraw(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    CMediaInfoReadThread* m_pReader;
};
