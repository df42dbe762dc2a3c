// The system's pixels per inch, read once, and design rectangles scaled to it.
#include "ui/screen_scale.h"

namespace zuv::ui {

namespace {

int SystemPixelsPerInch() {
    // Windows 10 1607 and later answer for the whole process; older systems only through a
    // screen DC.
    if (HMODULE user = GetModuleHandleA("user32.dll")) {
        using DpiForSystem = UINT(WINAPI*)();
        auto ask = reinterpret_cast<DpiForSystem>(reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForSystem")));
        if (ask) {
            const UINT dpi = ask();
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

const shell::TDpiScale& ScreenScale() {
    static const shell::TDpiScale scale(SystemPixelsPerInch());
    return scale;
}

RECT ScaledRect(int left, int top, int width, int height) {
    const shell::TDpiScale::Rect rect = ScreenScale().ScaleBox(left, top, width, height);
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace zuv::ui
