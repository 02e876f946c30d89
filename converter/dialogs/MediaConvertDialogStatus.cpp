// CMediaConvertDialog: the job's status as its listener operations report it (the output's name,
// the status icon and bar, the progress in the title and the side panel), whichever thread the runner
// calls them on: a call from the job's worker is carried over to the dialog's thread and made there.
#include "converter/dialogs/MediaConvertDialog.h"

#include "converter/app/ConverterMessages.h"
#include "converter/app/ConverterResource.h"
#include "framework/Effects.h"

int GetJobStateIcon(int code)
{
    switch (code) {
    case 0:
        return -1;
    case 100:
    case 101:
        return 0;
    case 220:
        return 5;
    case 221:
    case JOB_ICON_INCOMPLETE:
        return 3;
    case 240:
        return 4;
    case 300:
        return 2;
    default:
        return -2;
    }
}

COLORREF GetJobTypeColor(int kind)
{
    switch (kind) {
    case 0:
        return RGB(0xC0, 0xC0, 0xC0);
    case 10:
        return RGB(0xFF, 0xC0, 0x00);
    case JOB_PROGRESS_TIME:
        return RGB(0x00, 0xC0, 0xFF);
    default:
        return 0;
    }
}

// Listener operations -------------------------------------------------------------------------------

namespace {

enum ListenerOp { OP_FILE_NAME, OP_STATUS_ICON, OP_PROGRESS_CODE, OP_PROGRESS, OP_STATUS_TEXT };

struct CListenerCall {
    int op;
    CString text;
    CString detail;
    __int64 position;
    __int64 range;
    int value;
};

bool OnOtherThread(HWND hwnd)
{
    return hwnd && ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId();
}

}  // namespace

void CMediaConvertDialog::ShowFileName(LPCWSTR name)
{
    if (OnOtherThread(m_hWnd)) {
        CListenerCall call{OP_FILE_NAME, name ? name : L"", CString(), 0, 0, 0};
        SendMessage(WM_LISTENER_CALL, 0, (LPARAM)&call);
        return;
    }
    if (m_hWnd)
        SetDlgItemText(IDC_OUTPUT_NAME, name ? name : L"");
}

void CMediaConvertDialog::ShowStatusIcon(int icon)
{
    if (OnOtherThread(m_hWnd)) {
        CListenerCall call{OP_STATUS_ICON, CString(), CString(), 0, 0, icon};
        SendMessage(WM_LISTENER_CALL, 0, (LPARAM)&call);
        return;
    }
    const int image = GetJobStateIcon(icon);
    if (m_statusIcon.m_hWnd)
        m_statusIcon.SetIndex(image >= 0 ? image : -1);
}

void CMediaConvertDialog::ShowProgressCode(int code)
{
    if (OnOtherThread(m_hWnd)) {
        CListenerCall call{OP_PROGRESS_CODE, CString(), CString(), 0, 0, code};
        SendMessage(WM_LISTENER_CALL, 0, (LPARAM)&call);
        return;
    }
    m_statusBar.SetFillColor(GetJobTypeColor(code));
    if (m_statusBar.m_hWnd)
        m_statusBar.Invalidate(FALSE);
}

void CMediaConvertDialog::SetProgress(__int64 position, __int64 range, int style)
{
    if (OnOtherThread(m_hWnd)) {
        CListenerCall call{OP_PROGRESS, CString(), CString(), position, range, style};
        SendMessage(WM_LISTENER_CALL, 0, (LPARAM)&call);
        return;
    }
    CMediaJobListener::SetProgress(position, range, style);
    m_statusBar.SetState(position, range, style);
    CString title = m_strCaption;
    CString percent;
    const bool converting = Job.Status.State == JOB_STATE_ACTIVE && Job.Status.SubState == JOB_SUB_CONVERTING;
    if (converting && range != -1) {
        title.Empty();
        if (position >= 0 && range > 0) {
            int value = (int)((double)position * 100.0 / (double)range);
            if (value > 100)
                value = 100;
            percent.Format(L"%d%%", value);
            title = percent;
        }
    }
    SetTitleText(title);
    Job.ProgressText = percent;
    RedrawSidePanel();
}

void CMediaConvertDialog::ShowStatusText(LPCWSTR status, LPCWSTR detail)
{
    if (OnOtherThread(m_hWnd)) {
        CListenerCall call{OP_STATUS_TEXT, status ? status : L"", detail ? detail : L"", 0, 0, 0};
        SendMessage(WM_LISTENER_CALL, 0, (LPARAM)&call);
        return;
    }
    CString text;
    if (detail && *detail)
        text.Format(L"%s: %s", status ? status : L"", detail);
    else
        text = status ? status : L"";
    m_statusBar.SetText(text);
}

LRESULT CMediaConvertDialog::OnListenerCall(WPARAM, LPARAM lParam)
{
    const CListenerCall* call = reinterpret_cast<const CListenerCall*>(lParam);
    if (!call || m_bClosing)
        return 0;
    switch (call->op) {
    case OP_FILE_NAME:
        ShowFileName(call->text);
        break;
    case OP_STATUS_ICON:
        ShowStatusIcon(call->value);
        break;
    case OP_PROGRESS_CODE:
        ShowProgressCode(call->value);
        break;
    case OP_PROGRESS:
        SetProgress(call->position, call->range, call->value);
        break;
    case OP_STATUS_TEXT:
        ShowStatusText(call->text, call->detail);
        break;
    default:
        break;
    }
    return 0;
}

void CMediaConvertDialog::CloseMainWindow()
{
    CWnd* main = AfxGetMainWnd();
    HWND target = main && main->m_hWnd ? main->m_hWnd : m_hWnd;
    if (target)
        ::PostMessageW(target, WM_CLOSE, 0, 0);
}

void CMediaConvertDialog::SetTitleText(LPCWSTR text)
{
    CString current;
    GetWindowText(current);
    if (current != text)
        SetWindowText(text);
}

CString CMediaConvertDialog::GetTitleText() const
{
    CString text;
    GetWindowText(text);
    return text;
}
