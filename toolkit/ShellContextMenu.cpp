// The shell's context menu over a subclassed owner window.
#include "toolkit/ShellContextMenu.h"

#include "framework/Frame.h"
#include "framework/Thread.h"

namespace {
// The menu object while it owns the window.
const wchar_t kProperty[] = L"ShellContextMenu";
// The procedure under OwnerProc, for as long as OwnerProc is in the window's chain.
const wchar_t kNextProperty[] = L"ShellContextMenu.Next";
}

CShellContextMenu::CShellContextMenu() {}

CShellContextMenu::~CShellContextMenu()
{
    Unsubclass();
    ReleaseMenu();
}

void CShellContextMenu::ReleaseMenu()
{
    if (m_pContextMenu) m_pContextMenu->Release();
    m_pContextMenu = NULL;
    m_nLastCommand = m_nFirstCommand - 1;
}

BOOL CShellContextMenu::ShowContextMenu(HWND hOwner, IShellFolder* pParentFolder, LPCITEMIDLIST pidlChild, POINT ptScreen)
{
    ReleaseMenu();
    if (!hOwner || !pParentFolder || !pidlChild) return FALSE;
    IContextMenu* menu = NULL;
    if (FAILED(pParentFolder->GetUIObjectOf(hOwner, 1, &pidlChild, IID_IContextMenu, NULL, (void**)&menu)) || !menu)
        return FALSE;
    m_pContextMenu = menu;

    HMENU popup = ::CreatePopupMenu();
    if (!popup) {
        ReleaseMenu();
        return FALSE;
    }
    const UINT oldDefault = ::GetMenuDefaultItem(popup, FALSE, 0);
    const HRESULT hr = menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_EXPLORE | CMF_NODEFAULT);
    if (oldDefault != (UINT)-1) ::SetMenuDefaultItem(popup, oldDefault, FALSE);
    if (FAILED(hr) || HRESULT_CODE(hr) == 0) {
        ::DestroyMenu(popup);
        ReleaseMenu();
        return FALSE;
    }
    m_nFirstCommand = kFirstCommand;
    m_nLastCommand = kFirstCommand + HRESULT_CODE(hr) - 1;

    Subclass(hOwner);
    m_hMenu = popup;
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, hOwner, NULL);
    m_hMenu = NULL;
    Unsubclass();
    ::DestroyMenu(popup);
    return TRUE;
}

BOOL CShellContextMenu::InvokeCommand(HWND hOwner, UINT nID)
{
    if (!IsShellCommand(nID)) return FALSE;
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.hwnd = hOwner;
    info.lpVerb = MAKEINTRESOURCEA(nID - m_nFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    m_pContextMenu->InvokeCommand(&info);
    ReleaseMenu();
    return TRUE;
}

void CShellContextMenu::Subclass(HWND hOwner)
{
    Unsubclass();
    m_hOwner = hOwner;
    ::SetPropW(hOwner, kProperty, (HANDLE)this);
    // Still in the chain from an earlier menu, under a subclass that came later: it serves this
    // menu as well. Putting it in a second time would make it forward to itself.
    if (WNDPROC next = (WNDPROC)::GetPropW(hOwner, kNextProperty)) {
        m_pfnOwnerProc = next;
        return;
    }
    m_pfnOwnerProc = (WNDPROC)::SetWindowLongPtrW(hOwner, GWLP_WNDPROC, (LONG_PTR)&CShellContextMenu::OwnerProc);
    ::SetPropW(hOwner, kNextProperty, (HANDLE)m_pfnOwnerProc);
}

void CShellContextMenu::Unsubclass()
{
    if (!m_hOwner) return;
    if (::IsWindow(m_hOwner)) {
        if (::GetPropW(m_hOwner, kProperty) == (HANDLE)this) ::RemovePropW(m_hOwner, kProperty);
        // Only the top of the chain can be taken out. Under another subclass OwnerProc stays and
        // forwards everything until the window is destroyed.
        if ((WNDPROC)::GetWindowLongPtrW(m_hOwner, GWLP_WNDPROC) == &CShellContextMenu::OwnerProc) {
            ::SetWindowLongPtrW(m_hOwner, GWLP_WNDPROC, (LONG_PTR)::GetPropW(m_hOwner, kNextProperty));
            ::RemovePropW(m_hOwner, kNextProperty);
        }
    }
    m_hOwner = NULL;
    m_pfnOwnerProc = NULL;
}

void CShellContextMenu::ShowHelpText(UINT nID)
{
    wchar_t text[260] = L"";
    const UINT_PTR offset = nID - m_nFirstCommand;
    if (FAILED(m_pContextMenu->GetCommandString(offset, GCS_HELPTEXTW, NULL, (LPSTR)text, 260)) || !text[0]) {
        char ansi[260] = "";
        text[0] = 0;
        if (SUCCEEDED(m_pContextMenu->GetCommandString(offset, GCS_HELPTEXTA, NULL, ansi, 260)))
            ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, text, 260);
    }
    CWnd* owner = CWnd::FromHandle(m_hOwner);
    CFrameWnd* frame = owner ? owner->GetTopLevelFrame() : NULL;
    if (!frame) {
        // A tree in a dialog: the program's main frame shows the text.
        CWnd* main = AfxGetMainWnd();
        if (main && main->IsFrameWnd()) frame = static_cast<CFrameWnd*>(main);
    }
    if (frame) frame->SetMessageText(text);
}

LRESULT CALLBACK CShellContextMenu::OwnerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC next = (WNDPROC)::GetPropW(hWnd, kNextProperty);
    if (!next) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    // Null once the menu has let the window go while this procedure had to stay.
    CShellContextMenu* self = reinterpret_cast<CShellContextMenu*>(::GetPropW(hWnd, kProperty));
    if (self) {
        switch (message) {
        case WM_INITMENUPOPUP:
        case WM_DRAWITEM:
        case WM_MEASUREITEM: {
            // Only the menu's own items (control id 0), not the window's owner-drawn controls.
            if (message != WM_INITMENUPOPUP && wParam != 0) break;
            IContextMenu2* menu2 = NULL;
            if (self->m_pContextMenu &&
                SUCCEEDED(self->m_pContextMenu->QueryInterface(IID_IContextMenu2, (void**)&menu2)) && menu2) {
                menu2->HandleMenuMsg(message, wParam, lParam);
                menu2->Release();
                return message == WM_INITMENUPOPUP ? 0 : TRUE;
            }
            break;
        }
        case WM_MENUSELECT: {
            const UINT id = LOWORD(wParam), flags = HIWORD(wParam);
            if (!(flags & MF_POPUP) && self->IsShellCommand(id)) {
                self->ShowHelpText(id);
                return 0;
            }
            break;
        }
        case WM_DESTROY:
            self->Unsubclass();
            break;
        }
    }
    const LRESULT result = ::CallWindowProcW(next, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hWnd, kNextProperty);
        ::RemovePropW(hWnd, kProperty);
    }
    return result;
}
