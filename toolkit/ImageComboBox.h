// CImageComboBox: the extended combo box (an image beside each item) with item helpers and a
// drop-down list as wide as its widest item.
#pragma once

#include "framework/Controls.h"

class CImageComboBox : public CComboBoxEx {
public:
    using CComboBoxEx::SetItem;

    // The text of the edit field (or of the combo itself when it has no edit field).
    virtual CString GetEditText();
    virtual CString GetItemText(int nIndex);
    virtual BOOL GetItemImages(int nIndex, int& nImage, int& nSelectedImage);
    // A selected image of -1 is the same as the image.
    virtual BOOL SetItem(int nIndex, LPCWSTR lpszText, int nImage, int nSelectedImage = -1);
    virtual BOOL SetItemIndent(int nIndex, LPCWSTR lpszText, int nImage, int nSelectedImage, int nIndent);
    // The first item from nStart on whose text equals lpszText regardless of case, or -1.
    virtual int FindItemExact(int nStart, LPCWSTR lpszText);
    // A selected image of -1 leaves the selected image as it is.
    virtual BOOL SetItemImages(int nIndex, int nImage, int nSelectedImage = -1);
    virtual BOOL SetItemText(int nIndex, LPCWSTR lpszText);
    // Widens the drop-down list to the widest item, kept inside the work area of the combo's
    // monitor; also on every drop-down.
    virtual void AdjustDropWidth();

    // The width AdjustDropWidth sets, before it is cut to the work area.
    int ComputeDropWidth();
    // 'width' cut so that a list whose left edge is at 'left' ends 2 pixels before the work area's
    // right edge (never below 0).
    static int FitDropWidth(int width, int left, const RECT& workArea);
    // The combo box inside, which holds the drop-down list.
    HWND ListCombo() const;

protected:
    BOOL OnDropDown();
    DECLARE_MESSAGE_MAP()
};
