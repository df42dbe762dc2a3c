// The application's own window: the task-bar entry "ZUV - Setup" that owns the background.
#include "ui/application_window.h"

#include "ui/resource.h"
#include "ui/window_common.h"

namespace zuv::ui {

ApplicationWindow::~ApplicationWindow() { DestroyOwnWindow(window_); }

bool ApplicationWindow::Create(HINSTANCE instance) {
    if (!RegisterWindowClass(instance, kClassName, WindowProc, LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZUV_SETUP)),
                             nullptr, nullptr)) {
        return false;
    }
    // No size, in the middle of the screen: the entry is all there is to see of it.
    window_ = CreateWindowExA(0, kClassName, kTitle, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                              nullptr, instance, this);
    return window_ != nullptr;
}

void ApplicationWindow::Show() {
    if (window_) ShowWindow(window_, SW_SHOWNOACTIVATE);
}

LRESULT CALLBACK ApplicationWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<ApplicationWindow*>(AttachedObject(window, message, lParam));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->window_ = window;
    return self->Handle(message, wParam, lParam);
}

LRESULT ApplicationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && main_ && IsWindow(main_)) {
                SetActiveWindow(GetLastActivePopup(main_));
                return 0;
            }
            break;
        case WM_CLOSE:
            // Never destroyed by a close: that would take the background with it unasked.
            if (main_ && IsWindow(main_) && IsWindowEnabled(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
            return 0;
        case WM_NCDESTROY:
            return ForgetWindow(window_, message, wParam, lParam);
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace zuv::ui
