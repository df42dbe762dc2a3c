// The background's picture panel: loads the script's picture with GDI+ and animates GIF frames on a timer.
#include "ui/picture_panel.h"

#include <objidl.h>

#include <algorithm>

// GDI+'s headers use min and max unqualified.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "ui/background_window.h"

namespace zuv::ui {

namespace {

constexpr const char* kPanelClass = "TPicturePanel";
constexpr UINT_PTR kFrameTimer = 1;
// A frame without a usable delay turns after a tenth of a second, as browsers do.
constexpr UINT kDefaultDelay = 100;

std::wstring Wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

Gdiplus::Image* AsImage(void* image) { return static_cast<Gdiplus::Image*>(image); }

}  // namespace

PicturePanel::PicturePanel(BackgroundWindow& background) : background_(background) {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr);
}

PicturePanel::~PicturePanel() {
    if (panel_) {
        SetWindowLongPtrA(panel_, GWLP_USERDATA, 0);
        DestroyWindow(panel_);
    }
    delete AsImage(image_);
    if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
}

void PicturePanel::EnsureWindow() {
    if (panel_) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA panelClass{};
    panelClass.cbSize = sizeof panelClass;
    panelClass.lpfnWndProc = PanelProc;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    panelClass.lpszClassName = kPanelClass;
    RegisterClassExA(&panelClass);
    panel_ = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_BORDER, 0, 0, 10, 10,
                             background_.Handle(), nullptr, instance, nullptr);
    if (panel_) SetWindowLongPtrA(panel_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void PicturePanel::HidePictures() {
    visible_ = false;
    if (panel_) {
        KillTimer(panel_, kFrameTimer);
        InvalidateRect(panel_, nullptr, TRUE);
    }
}

bool PicturePanel::Load(const std::string& path) {
    delete AsImage(image_);
    image_ = nullptr;
    frames_ = 0;
    frame_ = 0;
    delays_.clear();
    auto* image = Gdiplus::Image::FromFile(Wide(path).c_str());
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) {
        delete image;
        return false;
    }
    image_ = image;
    GUID dimension = Gdiplus::FrameDimensionTime;
    frames_ = image->GetFrameCount(&dimension);
    if (frames_ == 0) frames_ = 1;
    // The frame delays, in hundredths of a second, one 32-bit value per frame.
    const UINT size = image->GetPropertyItemSize(PropertyTagFrameDelay);
    if (frames_ > 1 && size > 0) {
        std::vector<BYTE> buffer(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        if (image->GetPropertyItem(PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
            const auto* values = static_cast<const UINT*>(item->value);
            const UINT count = item->length / sizeof(UINT);
            for (UINT i = 0; i < frames_; ++i) {
                const UINT delay = i < count ? values[i] * 10 : 0;
                delays_.push_back(delay >= 20 ? delay : kDefaultDelay);
            }
        }
    }
    delays_.resize(frames_, kDefaultDelay);
    return true;
}

bool PicturePanel::LoadAnimated(const std::string& path, int& width, int& height) {
    EnsureWindow();
    if (!Load(path)) return false;
    animated_ = true;
    width = static_cast<int>(AsImage(image_)->GetWidth());
    height = static_cast<int>(AsImage(image_)->GetHeight());
    return true;
}

bool PicturePanel::LoadStill(const std::string& path, int& width, int& height) {
    EnsureWindow();
    if (!Load(path)) return false;
    animated_ = false;
    width = shell::kStillPictureBox;
    height = shell::kStillPictureBox;
    return true;
}

void PicturePanel::PlacePanel(int left, int top, int width, int height) {
    EnsureWindow();
    if (!panel_) return;
    // The panel's size includes its single border.
    SetWindowPos(panel_, HWND_TOP, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    visible_ = true;
    if (Animating()) SetTimer(panel_, kFrameTimer, delays_[frame_], nullptr);
    InvalidateRect(panel_, nullptr, TRUE);
}

int PicturePanel::MainScreenWidth() { return background_.ClientSize().cx; }

int PicturePanel::Header2Top() { return background_.Layout().header2.top; }

void PicturePanel::Repaint() {
    RedrawWindow(background_.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void PicturePanel::NextFrame() {
    if (!Animating()) return;
    frame_ = (frame_ + 1) % frames_;
    GUID dimension = Gdiplus::FrameDimensionTime;
    AsImage(image_)->SelectActiveFrame(&dimension, frame_);
    SetTimer(panel_, kFrameTimer, delays_[frame_], nullptr);
    InvalidateRect(panel_, nullptr, FALSE);
}

// The picture sits at 5, 5 inside the panel: a GIF at its own size, a still picture
// unscaled from its top-left corner, cut to the 105 x 105 box.
void PicturePanel::Paint(HDC dc) {
    RECT client{};
    GetClientRect(panel_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (!visible_ || !image_) return;
    Gdiplus::Graphics graphics(dc);
    auto* image = AsImage(image_);
    const int width = static_cast<int>(image->GetWidth());
    const int height = static_cast<int>(image->GetHeight());
    const int margin = shell::kPictureMargin - 1;  // the border takes one pixel
    if (animated_) {
        graphics.DrawImage(image, margin, margin, width, height);
    } else {
        const int box = shell::kStillPictureBox;
        graphics.SetClip(Gdiplus::Rect(margin, margin, box, box));
        graphics.DrawImage(image, margin, margin, width, height);
    }
}

LRESULT CALLBACK PicturePanel::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PicturePanel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                self->Paint(dc);
                EndPaint(window, &paint);
                return 0;
            }
            case WM_ERASEBKGND:
                return 1;
            case WM_TIMER:
                if (wParam == kFrameTimer) self->NextFrame();
                return 0;
            default:
                break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zuv::ui
