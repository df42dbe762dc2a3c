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

#include "platform/win32/wide_path.h"
#include "ui/background_window.h"
#include "ui/screen_scale.h"

namespace zuv::ui {

namespace {

constexpr const char* kPanelClass = "TPicturePanel";
constexpr UINT_PTR kFrameTimer = 1;
// A frame without a usable delay turns after a tenth of a second, as browsers do.
constexpr UINT kDefaultDelay = 100;

Gdiplus::Image* AsImage(void* image) { return static_cast<Gdiplus::Image*>(image); }

// The formats the background shows: bitmaps, icons, metafiles and GIF pictures. Anything
// else GDI+ could read (PNG, JPEG, TIFF) is refused like a damaged file.
bool IsShownFormat(Gdiplus::Image& image) {
    GUID format{};
    if (image.GetRawFormat(&format) != Gdiplus::Ok) return false;
    for (const GUID& shown : {Gdiplus::ImageFormatBMP, Gdiplus::ImageFormatMemoryBMP, Gdiplus::ImageFormatIcon,
                              Gdiplus::ImageFormatEMF, Gdiplus::ImageFormatWMF, Gdiplus::ImageFormatGIF})
        if (IsEqualGUID(format, shown)) return true;
    return false;
}

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
    Release();
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
    panel_ = CreateWindowExA(0, kPanelClass, "", WS_CHILD, 0, 0, 10, 10,
                             background_.Handle(), nullptr, instance, nullptr);
    if (panel_) SetWindowLongPtrA(panel_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void PicturePanel::Release() {
    delete AsImage(image_);
    image_ = nullptr;
    if (stream_) static_cast<IStream*>(stream_)->Release();
    stream_ = nullptr;
    frames_ = 0;
    frame_ = 0;
    delays_.clear();
}

void PicturePanel::HidePictures() {
    visible_ = false;
    if (panel_) {
        KillTimer(panel_, kFrameTimer);
        InvalidateRect(panel_, nullptr, TRUE);
    }
}

// The whole file in a stream of its own. GDI+ reads a picture's frames from its source for
// as long as the picture lives; reading from memory leaves the file closed, so the shell can
// delete it from TempDir while the picture is still on the background.
IStream* ReadIntoMemory(const std::string& path) {
    HANDLE file = CreateFileW(platform::LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    IStream* stream = nullptr;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (LONGLONG(1) << 30)) {
        const DWORD bytes = static_cast<DWORD>(size.QuadPart);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        void* data = memory ? GlobalLock(memory) : nullptr;
        DWORD read = 0;
        const bool whole = data && ReadFile(file, data, bytes, &read, nullptr) && read == bytes;
        if (data) GlobalUnlock(memory);
        if (whole && SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream))) memory = nullptr;  // the stream owns it
        if (memory) GlobalFree(memory);
    }
    CloseHandle(file);
    return stream;
}

bool PicturePanel::Load(const std::string& path) {
    Release();
    IStream* stream = ReadIntoMemory(path);
    if (!stream) return false;
    auto* image = Gdiplus::Image::FromStream(stream);
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || !IsShownFormat(*image)) {
        delete image;
        stream->Release();
        return false;
    }
    image_ = image;
    stream_ = stream;
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
    // The panel's size includes its bevel.
    const RECT place = ScaledRect(left, top, width, height);
    SetWindowPos(panel_, HWND_TOP, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    visible_ = true;
    if (Animating()) SetTimer(panel_, kFrameTimer, delays_[frame_], nullptr);
    InvalidateRect(panel_, nullptr, TRUE);
}

int PicturePanel::MainScreenWidth() { return ScreenScale().Unscale(background_.ClientSize().cx); }

int PicturePanel::Header2Top() { return ScreenScale().Unscale(background_.Layout().header2.top); }

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

// The panel's face with its raised inner bevel (a one-pixel edge, light at the top and
// left, shadowed at the bottom and right). The picture sits at 5, 5 inside it: a GIF at its
// own size, a still picture unscaled from its top-left corner, cut to the 105 x 105 box. Its
// pixels are design pixels like the panel's: on a screen of more than 96 per inch the picture
// grows with the panel, so it keeps its place in the layout.
void PicturePanel::PaintTo(HDC dc) {
    if (!panel_) return;
    RECT client{};
    GetClientRect(panel_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
    if (!visible_ || !image_) return;
    Gdiplus::Graphics graphics(dc);
    auto* image = AsImage(image_);
    const shell::TDpiScale& scale = ScreenScale();
    const int width = scale.Scale(static_cast<int>(image->GetWidth()));
    const int height = scale.Scale(static_cast<int>(image->GetHeight()));
    const int margin = scale.Scale(shell::kPictureMargin);
    if (animated_) {
        graphics.DrawImage(image, margin, margin, width, height);
    } else {
        const int box = scale.Scale(shell::kStillPictureBox);
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
                self->PaintTo(dc);
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
