// The background screen `TMainSetup`: window class, full-screen placement, painting, layout and the stage timer.
#include "ui/background_window.h"

#include "ui/resource.h"
#include "ui/screen_scale.h"
#include "ui/window_common.h"

namespace zuv::ui {

namespace {

constexpr UINT_PTR kTimer1 = 1;

// The whole screen: the window has no border, so its client area is the screen.
RECT ScreenRect(HWND window) {
    RECT rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoA(monitor, &info)) rect = info.rcMonitor;
    return rect;
}

}  // namespace

BackgroundWindow::BackgroundWindow()
    : mainScreen_([this] { Invalidate(); }),
      header_(shell::DesignHeader()),
      header2_(shell::DesignHeader2()) {
    // The design of `MainScreen`: blue to black in 255 horizontal bands, with a palette,
    // painted through an off-screen picture.
    mainScreen_.SetFromColor(shell::kColorBlue);
    mainScreen_.SetToColor(shell::kColorBlack);
    mainScreen_.SetSteps(255);
    mainScreen_.SetStyle(shell::TFountainStyle::fsHorizontal);
    mainScreen_.SetUsePalette(true);
    mainScreen_.SetDrawOnScreen(false);
    copyrightFont_ = MakeFont(shell::kCopyrightFont, ScreenScale().Scale(shell::kCopyrightFontPixels), false);
}

BackgroundWindow::~BackgroundWindow() {
    // Destroyed without closing (a test, or the program leaving early): no events.
    events_ = Events{};
    DestroyOwnWindow(window_);
    if (copyrightFont_) DeleteObject(copyrightFont_);
}

bool BackgroundWindow::Create(HINSTANCE instance, HWND owner) {
    // No background brush: the gradient covers everything and is never erased first.
    if (!RegisterWindowClass(instance, kClassName, WindowProc, LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZUV_SETUP)),
                             LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), nullptr)) {
        return false;
    }
    const RECT screen = ScreenRect(nullptr);
    // Owned by the application's window, it has no task-bar entry of its own: its caption is
    // never shown anywhere.
    window_ = CreateWindowExA(0, kClassName, kCaption,
                              WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, screen.left, screen.top,
                              screen.right - screen.left, screen.bottom - screen.top, owner,
                              nullptr, instance, this);
    if (!window_) return false;
    FormResize();
    return true;
}

void BackgroundWindow::ShowMaximized() {
    if (!window_) return;
    ShowWindow(window_, SW_SHOWMAXIMIZED);
    // Without a window manager (or with one that keeps the task bar free) maximising may
    // leave part of the screen uncovered: the background always takes all of it.
    const RECT screen = ScreenRect(window_);
    SetWindowPos(window_, nullptr, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(window_);
    if (!shown_) {
        shown_ = true;
        if (events_.formShow) events_.formShow();
    }
}

void BackgroundWindow::Close() {
    if (window_) SendMessageA(window_, WM_CLOSE, 0, 0);
}

void BackgroundWindow::SetSetupHeader(const shell::TitleLine& line) {
    header_.SetLine(line);
    FormResize();
}

void BackgroundWindow::SetSetupHeader2(const shell::TitleLine& line) {
    header2_.SetLine(line);
    FormResize();
}

void BackgroundWindow::SetTimer1Enabled(bool enabled) {
    if (!window_) return;
    timer1Enabled_ = enabled;
    if (enabled) {
        SetTimer(window_, kTimer1, kTimer1Interval, nullptr);
    } else {
        KillTimer(window_, kTimer1);
    }
}

SIZE BackgroundWindow::ClientSize() const {
    RECT client{0, 0, 0, 0};
    if (window_) GetClientRect(window_, &client);
    return SIZE{client.right, client.bottom};
}

void BackgroundWindow::Invalidate() {
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void BackgroundWindow::FormResize() {
    if (!window_) return;
    const SIZE client = ClientSize();
    HDC dc = GetDC(window_);
    const SIZE header = header_.Measure(dc);
    const SIZE header2 = header2_.Measure(dc);
    HGDIOBJ old = SelectObject(dc, copyrightFont_);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    layout_ = shell::LayOutBackground(client.cx, client.cy, header_.Line(), header.cx, header.cy,
                                      header2_.Line(), header2.cx, header2.cy, metrics.tmHeight,
                                      ScreenScale());
    Invalidate();
}

void BackgroundWindow::PaintTo(HDC dc) {
    const SIZE client = ClientSize();
    mainScreen_.Paint(dc, client.cx, client.cy);
    header_.Draw(dc, layout_.header.left, layout_.header.top);
    header2_.Draw(dc, layout_.header2.left, layout_.header2.top);

    HGDIOBJ old = SelectObject(dc, copyrightFont_);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, ResolveColor(shell::kCopyrightColor));
    RECT box{layout_.copyright.left, layout_.copyright.top,
             layout_.copyright.left + layout_.copyright.width,
             layout_.copyright.top + layout_.copyright.height};
    DrawTextA(dc, shell::kCopyrightText, -1, &box, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_TOP);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, old);
}

LRESULT CALLBACK BackgroundWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = static_cast<BackgroundWindow*>(AttachedObject(window, message, lParam));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->window_ = window;
    return self->Handle(message, wParam, lParam);
}

LRESULT BackgroundWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the gradient is opaque and is never erased first
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window_, &paint);
            const SIZE client = ClientSize();
            // The labels go onto the gradient off-screen too, so neither ever flickers.
            HDC memory = CreateCompatibleDC(dc);
            HBITMAP picture = memory ? CreateCompatibleBitmap(dc, client.cx, client.cy) : nullptr;
            if (memory && picture) {
                HGDIOBJ old = SelectObject(memory, picture);
                PaintTo(memory);
                BitBlt(dc, 0, 0, client.cx, client.cy, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
            } else {
                PaintTo(dc);
            }
            if (picture) DeleteObject(picture);
            if (memory) DeleteDC(memory);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_SIZE:
            FormResize();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const RECT screen = ScreenRect(window_);
            info->ptMaxPosition = POINT{0, 0};
            info->ptMaxSize = POINT{screen.right - screen.left, screen.bottom - screen.top};
            info->ptMaxTrackSize = info->ptMaxSize;
            return 0;
        }
        case WM_DISPLAYCHANGE: {
            const RECT screen = ScreenRect(window_);
            SetWindowPos(window_, nullptr, screen.left, screen.top, screen.right - screen.left,
                         screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT point;
                GetCursorPos(&point);
                ScreenToClient(window_, &point);
                const auto& box = layout_.copyright;
                const bool overFooter = point.x >= box.left && point.x < box.left + box.width &&
                                        point.y >= box.top && point.y < box.top + box.height;
                SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(overFooter ? IDC_HAND : IDC_ARROW)));
                return TRUE;
            }
            break;
        case WM_TIMER:
            if (wParam == kTimer1) {
                if (events_.timer1Timer) events_.timer1Timer();
                return 0;
            }
            break;
        case WM_CLOSE:
            // Closing runs once, even when a message box inside `formClose` lets another close
            // request through.
            if (closing_) return 0;
            closing_ = true;
            SetTimer1Enabled(false);
            if (events_.formClose) events_.formClose();
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            return ForgetWindow(window_, message, wParam, lParam);
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace zuv::ui
