// CFileTypeDlg: edits one entry of the file-type table (extension, icon, name).
#pragma once

#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "toolkit/ImageComboBox.h"

class CFileTypeDlg : public CDialog {
public:
    explicit CFileTypeDlg(CWnd* pParent = nullptr);

    CImageList imageList;
    CImageComboBox iconCombo;
    CString extension;
    // 0..2 for video, audio and playlist: the executable's icons 2..4.
    int iconChoice;
    CString typeName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// Adds the three type icons (video, audio, playlist: the executable's icons 2..4) at 16 x 16, in
// the order of the dialog's choices.
void AddFileTypeIcons(CImageList& list);
