// The media information dialog: a two-column report of one item's file, streams and metadata.
#pragma once

#include "engine/MediaInfo.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CMediaItem;
class CMediaInfoReadThread;
class CMediaPlaylistLink;

class CMediaInfoDlg : public CDialog {
public:
    // The dialog shows what the item holds now. An item of the playlist may be deleted while the
    // dialog is up (an address or a playlist opened meanwhile replaces the list): what the dialog
    // reads is handed to it only while the playlist still holds it. Any other item is the
    // caller's, which must outlive the dialog.
    explicit CMediaInfoDlg(CMediaItem* item, CWnd* pParent = nullptr);
    ~CMediaInfoDlg() override;

    // An item not probed yet is probed on a worker: the window is up at once and says that it is
    // reading, and closing it ends the probe.
    BOOL OnInitDialog() override;
    // Rebuilds the report from what the dialog knows of the file: the path above, the rows below
    // (none for a file that could not be probed). Section rows carry item data 1.
    void Fill();
    // True while the item's information is being read.
    bool IsReading() const { return m_pReader != nullptr; }

    CListCtrl m_list;

protected:
    // The item the dialog was opened on while it is still there, else null.
    CMediaItem* LiveItem();
    void AddRow(LPCWSTR name, LPCWSTR value, bool section = false);
    void StopReading();
    void OnDestroy();
    LRESULT OnReadDone(WPARAM, LPARAM lParam);
    void OnCustomDraw(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    // Compared only, never followed, once the item may be gone.
    CMediaItem* m_pItem;
    // The playlist that held the item when the dialog opened, null for an item of the caller's.
    CMediaPlaylistLink* m_pPlaylist;
    CString m_strPath;
    bool m_bProbed;
    CMediaInfoRecord m_info;
    CMediaInfoReadThread* m_pReader;
};
