// CConversionDialog: a conversion dialog that is its job's listener, hands the encoder's records to
// the running job's driver, and is dragged by its client area.
#pragma once

#include "conversion/MediaConvertRunner.h"
#include "converter/dialogs/AppIconDialog.h"

class CConversionDialog : public CAppIconDialog, public CMediaJobListener {
public:
    CConversionDialog(UINT nIDTemplate, CWnd* pParentWnd);

    // Encoder records (WM_COPYDATA 1010) go to the driver of this dialog's running job only.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnLButtonDown(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()
};
