#include "uninstaller/uninstall_window.h"

#include <commctrl.h>

#include "ui/modal.h"
#include "ui/title_label.h"

namespace zuv::ui {
namespace {

constexpr const char* kClassName = "TUninstall";
constexpr const char* kCaption = "ZUV - Uninstall";

int PointsToPixels(int points) {
    HDC screen = GetDC(nullptr);
    const int pixels = MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

UninstallWindow::~UninstallWindow() {
    caption_.reset();
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
    if (titleFont_) DeleteObject(titleFont_);
}

LRESULT CALLBACK UninstallWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The undo cannot be interrupted half-way: the close box does nothing while it runs.
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool UninstallWindow::Create(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;
    RECT rect{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    window_ = CreateWindowExA(exStyle, kClassName, kCaption, style, 0, 0, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    if (!window_) return false;
    CentreOnScreen(window_);
    font_ = MakeFont("MS Sans Serif", PointsToPixels(8), false);
    titleFont_ = MakeFont("Times New Roman", 24, true);
    auto add = [&](const char* cls, DWORD controlStyle, int x, int y, int w, int h, HFONT font) {
        HWND control = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | controlStyle, x, y, w, h, window_,
                                       nullptr, instance, nullptr);
        if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    title_ = add("STATIC", SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, 16, 8, 401, 30, titleFont_);
    status_ = add("STATIC", SS_LEFT | SS_NOPREFIX, 16, 48, 401, 16, font_);
    gauge_ = add(PROGRESS_CLASSA, PBS_SMOOTH, 16, 76, 401, 17, nullptr);
    caption_ = std::make_unique<MarsCaptionPainter>(window_);
    return title_ && status_ && gauge_;
}

void UninstallWindow::Show(const std::string& title) {
    SetWindowTextA(title_, title.c_str());
    SetWindowTextA(window_, (title + " - Uninstall").c_str());
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    if (caption_) caption_->Redraw();
}

void UninstallWindow::SetStatus(const std::string& text) {
    SetWindowTextA(status_, text.c_str());
    UpdateWindow(status_);
}

void UninstallWindow::SetProgress(int done, int total) {
    SendMessageA(gauge_, PBM_SETRANGE32, 0, total > 0 ? total : 1);
    SendMessageA(gauge_, PBM_SETPOS, done, 0);
}

}  // namespace zuv::ui
