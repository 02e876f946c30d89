// The converter's dialog base.
#include "converter/kit/OEDialog.h"

#include "converter/app/ConverterEnvironment.h"
#include "framework/CmdUI.h"
#include "framework/Menu.h"

BEGIN_MESSAGE_MAP(COEDialog, CDialog)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_INITMENUPOPUP()
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFFFFFF, OnToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFFFFFF, OnToolTipText)
END_MESSAGE_MAP()

COEDialog::COEDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd), autoDisableMenuItems(1) {}

BOOL CreateDialogToolTip(CToolTipCtrl& tip, CWnd* pDialog)
{
    if (!tip.Create(pDialog, TTS_ALWAYSTIP | TTS_NOPREFIX))
        return FALSE;
    tip.SetMaxTipWidth(65535);
    return TRUE;
}

int COEDialog::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    (void)lpCreateStruct;
    if (Default() == -1 || !CreateDialogToolTip(m_toolTip, this))
        return -1;
    return 0;
}

BOOL COEDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CConverterEnvironment* environment = GetConverterEnvironment())
        environment->CreateFonts(GetFont());
    return TRUE;
}

CComboBox* COEDialog::ComboOf(UINT id)
{
    return static_cast<CComboBox*>(GetDlgItem((int)id));
}

void COEDialog::EnableId(UINT id, BOOL enable)
{
    if (CWnd* w = GetDlgItem((int)id))
        w->EnableWindow(enable);
}

void COEDialog::EnableIds(const UINT* ids, size_t count, BOOL enable)
{
    for (size_t i = 0; i < count; ++i)
        EnableId(ids[i], enable);
}

BOOL COEDialog::AddControlTip(UINT nID)
{
    CWnd* control = GetDlgItem((int)nID);
    return control && m_toolTip.m_hWnd ? m_toolTip.AddTool(control) : FALSE;
}

void COEDialog::AddControlTips(const ControlTip* tips, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (CWnd* control = GetDlgItem((int)tips[i].id))
            m_toolTip.AddTool(control, tips[i].text);
}

BOOL COEDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_MOUSEMOVE && m_toolTip.m_hWnd) {
        // Relayed as a message of the control under the point, so that disabled controls (whose
        // mouse messages go to the dialog) show their tips too.
        MSG relay = *pMsg;
        POINT point = pMsg->pt;
        HWND under = (HWND)m_toolTip.SendMessage(TTM_WINDOWFROMPOINT, 0, (LPARAM)&point);
        if (under) {
            point = pMsg->pt;
            ::ScreenToClient(under, &point);
            relay.hwnd = under;
            relay.lParam = MAKELPARAM(point.x, point.y);
        }
        m_toolTip.Activate(TRUE);
        m_toolTip.RelayEvent(&relay);
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void COEDialog::OnLButtonDown(UINT nFlags, CPoint point)
{
    (void)nFlags;
    (void)point;
    Default();
}

BOOL COEDialog::LoadTipText(UINT nID, CString& tip)
{
    wchar_t buffer[257] = L"";
    if (::LoadStringW(AfxGetResourceHandle(), nID, buffer, 256) <= 0)
        return FALSE;
    const wchar_t* newline = wcschr(buffer, L'\n');
    tip = newline ? CString(newline + 1) : CString();
    return TRUE;
}

BOOL COEDialog::OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult)
{
    UINT id = nID;
    if (pNMHDR->code == TTN_NEEDTEXTW) {
        if (reinterpret_cast<NMTTDISPINFOW*>(pNMHDR)->uFlags & TTF_IDISHWND)
            id = (UINT)::GetDlgCtrlID((HWND)pNMHDR->idFrom);
    } else if (reinterpret_cast<NMTTDISPINFOA*>(pNMHDR)->uFlags & TTF_IDISHWND) {
        id = (UINT)::GetDlgCtrlID((HWND)pNMHDR->idFrom);
    }
    CString tip;
    if (id == 0 || !LoadTipText(id, tip))
        return FALSE;
    if (pNMHDR->code == TTN_NEEDTEXTW) {
        NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
        lstrcpynW(info->szText, tip, (int)(sizeof(info->szText) / sizeof(info->szText[0])));
        info->lpszText = info->szText;
    } else {
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
        info->szText[0] = 0;
        ::WideCharToMultiByte(CP_ACP, 0, tip, -1, info->szText, (int)sizeof(info->szText), nullptr, nullptr);
        info->szText[sizeof(info->szText) - 1] = 0;
        info->lpszText = info->szText;
    }
    // Above the other windows, where it is, as it is.
    ::SetWindowPos(pNMHDR->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    *pResult = 0;
    return TRUE;
}

void COEDialog::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    (void)nIndex;
    Default();
    if (bSysMenu)
        return;
    // A menu opening ends what the mouse or a dropped list was doing in the dialog.
    HWND capture = ::GetCapture();
    if (capture && capture != m_hWnd && ::IsChild(m_hWnd, capture))
        ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
    HWND focus = ::GetFocus();
    for (HWND w = focus; w && w != m_hWnd; w = ::GetParent(w)) {
        wchar_t cls[16] = L"";
        ::GetClassNameW(w, cls, 16);
        if (_wcsicmp(cls, L"ComboBox") == 0 && ::SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0))
            ::SendMessageW(w, CB_SHOWDROPDOWN, FALSE, 0);
    }
    AfxUpdateMenuPopup(pPopupMenu, this, autoDisableMenuItems);
}
