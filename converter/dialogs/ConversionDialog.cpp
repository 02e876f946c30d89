// CConversionDialog: the encoder's records to the running job's driver, and the drag by the client area.
#include "converter/dialogs/ConversionDialog.h"

#include "engine/EncoderTool.h"


BEGIN_MESSAGE_MAP(CConversionDialog, CAppIconDialog)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CConversionDialog::CConversionDialog(UINT nIDTemplate, CWnd* pParentWnd) : CAppIconDialog(nIDTemplate, pParentWnd) {}

LRESULT CConversionDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == ENCODER_RECORD_ID) {
            // Only the driver of this dialog's own running job; a record naming any other is
            // refused.
            if (!IsJobRunning())
                return 0;
            return CEncoderTool::DispatchCopyData(data, m_hWnd);
        }
    }
    return CAppIconDialog::WindowProc(message, wParam, lParam);
}

void CConversionDialog::OnLButtonDown(UINT nFlags, CPoint point)
{
    (void)nFlags;
    CPoint screen = point;
    ClientToScreen(&screen);
    // The dialog is dragged by its client area.
    SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}
