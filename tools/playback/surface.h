// Where the picture is drawn: the tool's own child window of the play window, or, where a child
// window of another process shows nothing (Wine's X11 driver), an owned popup kept exactly over it.
#pragma once

#include <windows.h>

namespace drumlin {

class VideoSurface {
public:
    VideoSurface() = default;
    ~VideoSurface();
    VideoSurface(const VideoSurface&) = delete;
    VideoSurface& operator=(const VideoSurface&) = delete;

    // True when drawing into `child` would not be seen: its parent belongs to another process and
    // the windows are shown by Wine's X11 driver.
    static bool NeedsOverlay(HWND child);

    // `overlayClass` is the registered class of the popup; with overlay false the child is drawn
    // into itself.
    bool Create(HWND child, bool overlay, const wchar_t* overlayClass, HINSTANCE instance, void* param);
    void Destroy();

    HWND Target() const { return overlay_ ? overlay_ : child_; }
    bool IsOverlay() const { return overlay_ != nullptr; }
    HWND Child() const { return child_; }

    // Puts the popup over the child's visible part on the screen, or hides it when the child
    // cannot be seen; cheap when nothing changed.
    void Track();

private:
    HWND child_ = nullptr;
    HWND overlay_ = nullptr;
    HWND owner_ = nullptr;
    RECT placed_ = {};
    RECT clip_ = {};
    bool shown_ = false;
};

}  // namespace drumlin
