// COEDialog: the base of every dialog of the converter: tool tips for its controls from the
// string table, command states for its menus when they open, and mouse input routed without a
// caption. CToolTip is its tool-tip control.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CToolTip : public CToolTipCtrl {
};

// The tool tip of a dialog, made in its WM_CREATE: always shown, no prefix processing, lines as
// wide as they are. False when it cannot be made (the dialog's creation then fails).
BOOL CreateDialogToolTip(CToolTipCtrl& tip, CWnd* pDialog);

class COEDialog : public CDialog {
public:
    // A null parent runs the dialog without an owner (the program's main dialog).
    COEDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    // The base's, then the environment's fonts are made from this dialog's font.
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // A control given as a tool shows the text after the first line break of the string
    // resource with its control id.
    BOOL AddControlTip(UINT nID);
    // The tip of a string resource: the part after its first '\n'; false when there is none.
    static BOOL LoadTipText(UINT nID, CString& tip);
    // Tips with their own texts, one table line a control; a control the template lacks is passed over.
    struct ControlTip {
        UINT id;
        const wchar_t* text;
    };
    void AddControlTips(const ControlTip* tips, size_t count);
    template <size_t N>
    void AddControlTips(const ControlTip (&tips)[N]) { AddControlTips(tips, N); }

    // The dialog's controls by id: a combo box, and enabling one or several (an id the template
    // lacks is passed over).
    CComboBox* ComboOf(UINT id);
    void EnableId(UINT id, BOOL enable);
    void EnableIds(const UINT* ids, size_t count, BOOL enable);
    template <size_t N>
    void EnableIds(const UINT (&ids)[N], BOOL enable)
    {
        EnableIds(ids, N, enable);
    }

    CToolTip m_toolTip;
    int autoDisableMenuItems;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnLButtonDown(UINT nFlags, CPoint point);
    BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    DECLARE_MESSAGE_MAP()
};
