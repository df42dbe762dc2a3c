// The class, creation, end and text that the program's own windows share.
#include "ui/window_common.h"

#include "ui/modal.h"
#include "ui/screen_scale.h"

namespace zuv::ui {

bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc, HICON icon, HCURSOR cursor,
                         HBRUSH background) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CreateCentredWindow(HINSTANCE instance, HWND owner, const char* className, const char* caption,
                         DWORD style, DWORD exStyle, int clientWidth, int clientHeight, void* self,
                         HWND& window) {
    RECT rect = ScaledRect(0, 0, clientWidth, clientHeight);
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    window = CreateWindowExA(exStyle, className, caption, style, 0, 0, rect.right - rect.left,
                             rect.bottom - rect.top, owner, nullptr, instance, nullptr);
    if (!window) return false;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    CentreOnScreen(window);
    return true;
}

void* AttachedObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        void* self = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void DestroyOwnWindow(HWND window) {
    if (!window) return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

LRESULT ForgetWindow(HWND& window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND ending = window;
    SetWindowLongPtrA(ending, GWLP_USERDATA, 0);
    window = nullptr;
    return DefWindowProcA(ending, message, wParam, lParam);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace zuv::ui
