// `TMarsCaption` on the screen: the title bar's blend, icon, buttons and text, and their mouse handling.
#include "ui/mars_caption.h"

#include <commctrl.h>

#include <string>

#include "ui/fountain_fill.h"
#include "ui/resource.h"
#include "ui/screen_scale.h"
#include "ui/title_label.h"

namespace zuv::ui {

namespace {

constexpr UINT_PTR kSubclassId = 0x4D415253;  // "MARS"
constexpr int kCaptionFontPixels = 11;  // at 96 pixels per inch
const char* const kCaptionFontName = "MS Sans Serif";

const shell::SystemColorResolver kSystemColors = [](int index) -> uint32_t {
    return static_cast<uint32_t>(GetSysColor(index));
};

bool IsEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

// The desktop composition would otherwise draw the title bar over ours on systems that have it.
void KeepNonClientPainting(HWND window) {
    HMODULE dwm = LoadLibraryA("dwmapi.dll");
    if (!dwm) return;
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    auto set = reinterpret_cast<SetAttribute>(
        reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    if (set) {
        const int disabled = 1;        // DWMNCRP_DISABLED
        set(window, 2, &disabled, sizeof disabled);  // DWMWA_NCRENDERING_POLICY
    }
    FreeLibrary(dwm);
}

}  // namespace

MarsCaptionPainter::MarsCaptionPainter(HWND window) : window_(window) {
    active_ = GetActiveWindow() == window;
    KeepNonClientPainting(window);
    SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    Redraw();
}

MarsCaptionPainter::~MarsCaptionPainter() { Detach(); }

void MarsCaptionPainter::Detach() {
    if (!window_) return;
    RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
    window_ = nullptr;
}

RECT MarsCaptionPainter::BarRect() const {
    RECT bar{0, 0, 0, 0};
    if (!window_ || !(GetWindowLongPtrA(window_, GWL_STYLE) & WS_CAPTION)) return bar;
    RECT frame;
    GetWindowRect(window_, &frame);
    POINT client{0, 0};
    ClientToScreen(window_, &client);
    // The frame is as thick on the top as on the sides; the client area starts below the bar.
    const int border = client.x - frame.left;
    bar.left = border;
    bar.top = border;
    bar.right = (frame.right - frame.left) - border;
    bar.bottom = client.y - frame.top;
    if (IsEmpty(bar)) bar = RECT{0, 0, 0, 0};
    return bar;
}

namespace {

// Caption buttons sit 2 pixels inside the bar, each 2 pixels narrower than the system's
// button size, the close button at the right with a 2-pixel gap before the others.
RECT ButtonRect(const RECT& bar, HWND window, int slot) {
    if (IsEmpty(bar)) return RECT{0, 0, 0, 0};
    const bool tool = (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    int width = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
    const int height = (bar.bottom - bar.top) - 4;
    if (width > height + 2) width = height + 2;
    RECT rect;
    rect.top = bar.top + 2;
    rect.bottom = rect.top + height;
    rect.right = bar.right - 2 - slot * width - (slot > 0 ? 2 : 0);
    rect.left = rect.right - width;
    return rect;
}

}  // namespace

RECT MarsCaptionPainter::CloseButtonRect() const {
    if (!window_ || !(GetWindowLongPtrA(window_, GWL_STYLE) & WS_SYSMENU)) return RECT{0, 0, 0, 0};
    return ButtonRect(BarRect(), window_, 0);
}

RECT MarsCaptionPainter::MaximizeButtonRect() const {
    if (!window_) return RECT{0, 0, 0, 0};
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    const bool tool = (GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    if (tool || !(style & WS_SYSMENU) || !(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
        return RECT{0, 0, 0, 0};
    }
    return ButtonRect(BarRect(), window_, 1);
}

RECT MarsCaptionPainter::MinimizeButtonRect() const {
    RECT maximize = MaximizeButtonRect();
    if (IsEmpty(maximize)) return maximize;
    const int width = maximize.right - maximize.left;
    return RECT{maximize.left - width, maximize.top, maximize.left, maximize.bottom};
}

bool MarsCaptionPainter::ButtonEnabled(int hit) const {
    if (!window_ || !IsWindowEnabled(window_)) return false;
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    switch (hit) {
        case HTCLOSE: {
            if (GetClassLongPtrA(window_, GCL_STYLE) & CS_NOCLOSE) return false;
            HMENU menu = GetSystemMenu(window_, FALSE);
            if (!menu) return true;
            const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
            return state == static_cast<UINT>(-1) || !(state & (MF_GRAYED | MF_DISABLED));
        }
        case HTMAXBUTTON:
            return (style & WS_MAXIMIZEBOX) != 0;
        case HTMINBUTTON:
            return (style & WS_MINIMIZEBOX) != 0;
        default:
            return false;
    }
}

int MarsCaptionPainter::ButtonAt(POINT windowPoint) const {
    const RECT close = CloseButtonRect();
    if (PtInRect(&close, windowPoint)) return HTCLOSE;
    const RECT maximize = MaximizeButtonRect();
    if (PtInRect(&maximize, windowPoint)) return HTMAXBUTTON;
    const RECT minimize = MinimizeButtonRect();
    if (PtInRect(&minimize, windowPoint)) return HTMINBUTTON;
    return 0;
}

HICON MarsCaptionPainter::Icon() const {
    auto icon = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window_, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window_, GCLP_HICON));
    // The program's own icon, then the system's default application icon.
    if (!icon) icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZUV_SETUP));
    if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    return icon;
}

void MarsCaptionPainter::PaintBar(HDC dc, const RECT& bar, bool active) {
    if (IsEmpty(bar)) return;
    const int width = bar.right - bar.left;
    const int height = bar.bottom - bar.top;
    // The bar is put together off-screen and copied in one step, so it never flickers.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP picture = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    HDC target = dc;
    int dx = bar.left, dy = bar.top;
    HGDIOBJ oldPicture = nullptr;
    if (memory && picture) {
        oldPicture = SelectObject(memory, picture);
        target = memory;
        dx = dy = 0;
    }

    for (const shell::CaptionStrip& strip : caption_.Strips(width, active, kSystemColors)) {
        RECT rect{dx + strip.left, dy, dx + strip.right, dy + height};
        HBRUSH brush = CreateSolidBrush(strip.rgb);
        FillRect(target, &rect, brush);
        DeleteObject(brush);
    }

    int textLeft = dx + 2;
    if (HICON icon = Icon()) {
        const int side = height - 2 > 0 ? height - 2 : height;
        DrawIconEx(target, dx + 1, dy + (height - side) / 2, icon, side, side, 0, nullptr, DI_NORMAL);
        textLeft = dx + 1 + side + 3;
    }

    int textRight = dx + width - 2;
    const struct {
        RECT rect;
        UINT kind;
        int hit;
    } buttons[] = {
        {CloseButtonRect(), DFCS_CAPTIONCLOSE, HTCLOSE},
        {MaximizeButtonRect(),
         static_cast<UINT>(window_ && IsZoomed(window_) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX),
         HTMAXBUTTON},
        {MinimizeButtonRect(), DFCS_CAPTIONMIN, HTMINBUTTON},
    };
    for (const auto& button : buttons) {
        if (IsEmpty(button.rect)) continue;
        RECT rect{button.rect.left - bar.left + dx, button.rect.top - bar.top + dy,
                  button.rect.right - bar.left + dx, button.rect.bottom - bar.top + dy};
        UINT state = button.kind;
        if (tracking_ == button.hit && pushed_) state |= DFCS_PUSHED;
        if (!ButtonEnabled(button.hit)) state |= DFCS_INACTIVE;
        DrawFrameControl(target, &rect, DFC_CAPTION, state);
        if (rect.left - 2 < textRight) textRight = rect.left - 2;
    }

    char text[512] = "";
    if (window_) GetWindowTextA(window_, text, sizeof text);
    std::string line;
    if (!caption_.ApplicationName.empty()) line = caption_.ApplicationName + " - ";
    line += text;
    if (textRight > textLeft && !line.empty()) {
        // The application name is bold and the caption plain; with no application name set
        // only the caption shows, in the plain font.
        const int fontPixels = ScreenScale().Scale(kCaptionFontPixels);
        HFONT font = MakeFont(kCaptionFontName, fontPixels, false);
        HFONT boldFont = MakeFont(kCaptionFontName, fontPixels, true);
        const int oldMode = SetBkMode(target, TRANSPARENT);
        const COLORREF oldColor = SetTextColor(target, caption_.TextRgb(active, kSystemColors));
        RECT rect{textLeft, dy, textRight, dy + height};
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT;
        HGDIOBJ oldFont = SelectObject(target, boldFont);
        if (!caption_.ApplicationName.empty()) {
            const std::string name = caption_.ApplicationName + " - ";
            RECT measure = rect;
            DrawTextA(target, name.c_str(), static_cast<int>(name.size()), &measure,
                      format | DT_CALCRECT);
            DrawTextA(target, name.c_str(), static_cast<int>(name.size()), &rect, format);
            rect.left = measure.right;
        }
        SelectObject(target, font);
        if (rect.right > rect.left) {
            DrawTextA(target, text, -1, &rect, format);
        }
        SelectObject(target, oldFont);
        SetTextColor(target, oldColor);
        SetBkMode(target, oldMode);
        DeleteObject(font);
        DeleteObject(boldFont);
    }

    if (target == memory) {
        BitBlt(dc, bar.left, bar.top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldPicture);
    }
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
}

void MarsCaptionPainter::Redraw() {
    if (!window_ || !IsWindowVisible(window_)) return;
    const RECT bar = BarRect();
    if (IsEmpty(bar)) return;
    HDC dc = GetWindowDC(window_);
    if (!dc) return;
    PaintBar(dc, bar, active_);
    ReleaseDC(window_, dc);
}

LRESULT CALLBACK MarsCaptionPainter::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* painter = reinterpret_cast<MarsCaptionPainter*>(data);
    if (message == WM_NCDESTROY) {
        painter->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return painter->Handle(message, wParam, lParam);
}

LRESULT MarsCaptionPainter::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
        case WM_NCPAINT:
        case WM_SETTEXT:
        case WM_SETICON:
        case WM_ENABLE:
        case WM_SYSCOLORCHANGE: {
            // The system draws the frame (and its own bar); ours goes over it at once.
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            Redraw();
            return result;
        }
        case WM_NCACTIVATE: {
            active_ = wParam != FALSE;
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            Redraw();
            return result;
        }
        case WM_NCHITTEST: {
            const LRESULT hit = DefSubclassProc(window, message, wParam, lParam);
            if (hit != HTCAPTION && hit != HTCLOSE && hit != HTMAXBUTTON && hit != HTMINBUTTON &&
                hit != HTSYSMENU && hit != HTHELP) {
                return hit;
            }
            // Our buttons are where we draw them, whatever the system's metrics say.
            RECT frame;
            GetWindowRect(window, &frame);
            POINT point{static_cast<short>(LOWORD(lParam)) - frame.left,
                        static_cast<short>(HIWORD(lParam)) - frame.top};
            if (const int button = ButtonAt(point)) return button;
            return HTCAPTION;
        }
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (wParam == HTCLOSE || wParam == HTMAXBUTTON || wParam == HTMINBUTTON) {
                if (ButtonEnabled(static_cast<int>(wParam))) {
                    tracking_ = static_cast<int>(wParam);
                    pushed_ = true;
                    SetCapture(window);
                    Redraw();
                }
                return 0;
            }
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            if (tracking_) {
                POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                ClientToScreen(window, &point);
                RECT frame;
                GetWindowRect(window, &frame);
                point.x -= frame.left;
                point.y -= frame.top;
                const bool inside = ButtonAt(point) == tracking_;
                if (message == WM_MOUSEMOVE) {
                    if (inside != pushed_) {
                        pushed_ = inside;
                        Redraw();
                    }
                    return 0;
                }
                const int button = tracking_;
                tracking_ = 0;
                pushed_ = false;
                ReleaseCapture();
                Redraw();
                if (inside) {
                    WPARAM command = SC_CLOSE;
                    if (button == HTMAXBUTTON) command = IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE;
                    if (button == HTMINBUTTON) command = SC_MINIMIZE;
                    PostMessageA(window, WM_SYSCOMMAND, command, 0);
                }
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            if (tracking_) {
                tracking_ = 0;
                pushed_ = false;
                Redraw();
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace zuv::ui
