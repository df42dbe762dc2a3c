// `TMarsCaption` on the screen: draws a window's own title bar as a colour blend with its icon, caption buttons and text.
#pragma once

#include "platform/win32/windows_api.h"

#include "shell/caption.h"

namespace zuv::ui {

// Attached to a window with a title bar, it takes over the painting of that bar: the strips
// of `Colors()` from left to right, the window's (or the program's, or the system's) icon
// scaled to the bar, the standard caption buttons the window has (pushed while pressed,
// greyed when disabled) and the caption cut with an ellipsis. The window keeps working as
// before: the buttons send the usual system commands. Detaches when destroyed or when the
// window is destroyed.
class MarsCaptionPainter {
public:
    // Takes a window with WS_CAPTION; the painter must outlive its use by the window or be
    // destroyed first. Throws nothing.
    explicit MarsCaptionPainter(HWND window);
    ~MarsCaptionPainter();
    MarsCaptionPainter(const MarsCaptionPainter&) = delete;
    MarsCaptionPainter& operator=(const MarsCaptionPainter&) = delete;

    // The painter's colours, strip count and application name; call Redraw after changing them.
    shell::TMarsCaption& Colors() { return caption_; }
    const shell::TMarsCaption& Colors() const { return caption_; }

    // Paints the bar now, in the window's current active state.
    void Redraw();

    // The bar's rectangle in window coordinates (empty when the window has no title bar).
    RECT BarRect() const;
    // The rectangles of the caption buttons in window coordinates (empty when absent).
    RECT CloseButtonRect() const;
    RECT MaximizeButtonRect() const;
    RECT MinimizeButtonRect() const;

    // Draws the bar as the window shows it into `dc`, where `bar` (window coordinates of the
    // painted window) lies; used by the window's own painting and by tests on a memory DC.
    void PaintBar(HDC dc, const RECT& bar, bool active);

    bool Active() const { return active_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();
    int ButtonAt(POINT windowPoint) const;
    bool ButtonEnabled(int hit) const;
    HICON Icon() const;

    HWND window_;
    shell::TMarsCaption caption_;
    bool active_ = false;
    int tracking_ = 0;  // HTCLOSE, HTMAXBUTTON or HTMINBUTTON while a button is held down
    bool pushed_ = false;
};

}  // namespace zuv::ui
