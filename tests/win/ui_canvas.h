// A memory canvas for the Windows UI tests: a 32-bit top-down DIB whose pixels can be read back.
#pragma once

#include "platform/win32/windows_api.h"

#include <cstdint>

namespace zuv::ui::test {

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    bool Ok() const { return bits_ != nullptr; }
    // The pixel at (x, y) as a COLORREF (0x00BBGGRR).
    uint32_t At(int x, int y) const {
        GdiFlush();
        const uint32_t bgr = bits_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
        return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    }
    void Fill(uint32_t rgb) {
        RECT rect{0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(rgb);
        FillRect(dc_, &rect, brush);
        DeleteObject(brush);
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Handles every pending window message of this thread; leaves a WM_QUIT out.
inline void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Handles messages until `done()` or `ms` milliseconds have passed; returns done().
template <typename Done>
bool PumpUntil(Done done, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (!done() && static_cast<LONG>(GetTickCount() - end) < 0) {
        Pump();
        Sleep(10);
    }
    return done();
}

}  // namespace zuv::ui::test
