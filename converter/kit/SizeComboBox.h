// CSizeComboBox: a width-by-height choice: the drop-down's entries read "%d x %d", and two edits
// with an "x" between them cover the combo's own edit for typing either number.
#pragma once

#include "framework/Controls.h"

class CSizeComboBox : public CComboBox {
public:
    CSizeComboBox();

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // For a CBS_DROPDOWN combo of a dialog template.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Makes the two edits and the separator over the combo's edit (control 1001); once.
    BOOL CreateEdits();

    // "Auto" (or anything without digits) reads as 0.
    void GetSize(int& width, int& height) const;
    // Shown as "%d", or "Auto" for 0.
    void SetSize(int width, int height);
    int AddSize(int width, int height);

    CEdit m_widthEdit;
    CStatic m_separator;
    CEdit m_heightEdit;

    static CString SizeText(int value);
    // "%d x %d" into two numbers; false when the text does not read so.
    static bool ParseSizeEntry(LPCWSTR text, int& width, int& height);

protected:
    BOOL m_bFilling;

    void Layout();
    void SyncComboText();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnSelChange();
    void OnSetFocus(CWnd* pOldWnd);
    void OnEnable(BOOL bEnable);
    void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
