// Keeping the overlay popup over the child window through moves, resizes, hiding and minimising
// of the child and of every window above it.
#include "tools/playback/surface.h"

namespace drumlin {

VideoSurface::~VideoSurface()
{
    Destroy();
}

bool VideoSurface::NeedsOverlay(HWND child)
{
    HWND parent = GetParent(child);
    if (!parent)
        return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(parent, &pid);
    if (pid == GetCurrentProcessId())
        return false;
    return GetModuleHandleW(L"winex11.drv") != nullptr;
}

bool VideoSurface::Create(HWND child, bool overlay, const wchar_t* overlayClass, HINSTANCE instance, void* param)
{
    child_ = child;
    if (!overlay)
        return true;
    owner_ = GetAncestor(child, GA_ROOT);
    overlay_ = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, overlayClass, L"", WS_POPUP | WS_CLIPSIBLINGS,
                               0, 0, 1, 1, owner_, nullptr, instance, param);
    if (!overlay_)
        return false;
    Track();
    return true;
}

void VideoSurface::Destroy()
{
    if (overlay_) {
        DestroyWindow(overlay_);
        overlay_ = nullptr;
    }
}

void VideoSurface::Track()
{
    if (!overlay_)
        return;
    HWND root = GetAncestor(child_, GA_ROOT);
    if (root && root != owner_) {
        // The play window moved to another frame: follow its z-order from now on.
        owner_ = root;
        SetWindowLongPtrW(overlay_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(root));
    }
    RECT window;
    bool visible = IsWindowVisible(child_) && !(root && IsIconic(root)) && GetWindowRect(child_, &window);
    // The part of the child that its ancestors do not clip away.
    RECT seen = {};
    if (visible) {
        seen = window;
        for (HWND p = GetParent(child_); p && visible; p = GetParent(p)) {
            if (!(GetWindowLongW(p, GWL_STYLE) & WS_CHILD) && p != root)
                break;
            RECT client;
            GetClientRect(p, &client);
            MapWindowPoints(p, nullptr, reinterpret_cast<POINT*>(&client), 2);
            visible = IntersectRect(&seen, &seen, &client) != FALSE;
            if (p == root)
                break;
        }
    }
    if (!visible) {
        if (shown_) {
            ShowWindow(overlay_, SW_HIDE);
            shown_ = false;
        }
        return;
    }
    RECT clip = {seen.left - window.left, seen.top - window.top, seen.right - window.left, seen.bottom - window.top};
    if (!EqualRect(&clip, &clip_)) {
        clip_ = clip;
        bool whole = clip.left == 0 && clip.top == 0 && clip.right == window.right - window.left &&
                     clip.bottom == window.bottom - window.top;
        SetWindowRgn(overlay_, whole ? nullptr : CreateRectRgnIndirect(&clip), shown_);
    }
    if (!EqualRect(&window, &placed_) || !shown_) {
        placed_ = window;
        SetWindowPos(overlay_, nullptr, window.left, window.top, window.right - window.left,
                     window.bottom - window.top,
                     SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOOWNERZORDER | (shown_ ? 0 : SWP_SHOWWINDOW));
        shown_ = true;
    }
}

}  // namespace drumlin
