// The preparation window `TUnzip`: draws the label, the spinning activity picture and the gauge, and reports clicks and the timer.
#include "ui/unzip_window.h"

#include <cmath>

#include "ui/modal.h"
#include "ui/screen_scale.h"
#include "ui/title_label.h"
#include "ui/window_common.h"

namespace zuv::ui {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kAnimationTimer = 2;
constexpr UINT kAnimationInterval = 90;
constexpr int kFrames = 12;
constexpr const char* kGaugeClass = "TUnzipGauge";
constexpr int kIdActivity = 10;

// The activity picture's place (`RxGIFAnimator1`), the label and the gauge's frame (`Panel1`),
// in pixels at 96 per inch.
constexpr RECT kActivity{2, 8, 2 + 32, 8 + 32};
constexpr RECT kLabel{44, 4, 44 + 325, 4 + 53};
constexpr RECT kPanel{44, 64, 44 + 325, 64 + 23};

RECT OnScreen(const RECT& design) {
    return ScaledRect(design.left, design.top, design.right - design.left, design.bottom - design.top);
}

bool Inside(const RECT& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

COLORREF Plain(shell::Color color) {
    return shell::ColorToRgb(color, [](int index) { return GetSysColor(index); });
}

// A CR on its own breaks the line in the label; the static control wants CR LF.
std::string WithLineBreaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

std::string WithoutAddedLineFeeds(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') continue;
        out += text[i];
    }
    return out;
}

}  // namespace

UnzipWindow::UnzipWindow() = default;

UnzipWindow::~UnzipWindow() {
    caption_.reset();
    DestroyOwnWindow(window_);
    if (font_) DeleteObject(font_);
}

bool UnzipWindow::Create(HINSTANCE instance, HWND owner) {
    owner_ = owner;
    HCURSOR arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    if (!RegisterWindowClass(instance, kClassName, WindowProc, nullptr, arrow,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !RegisterWindowClass(instance, kGaugeClass, GaugeProc, nullptr, arrow, nullptr)) {
        return false;
    }
    // A tool window with a small title bar and no title-bar buttons.
    if (!CreateCentredWindow(instance, owner, kClassName, kCaption, WS_POPUP | WS_CAPTION,
                             WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, kClientWidth, kClientHeight, this, window_)) {
        return false;
    }
    font_ = MakeFont("MS Sans Serif", ScreenScale().FontPixels(8), false);
    activityPlace_ = OnScreen(kActivity);
    labelPlace_ = OnScreen(kLabel);
    panelPlace_ = OnScreen(kPanel);
    // The gauge's bar is in the system highlight colour until the script gives its own.
    gaugeColor_ = GetSysColor(COLOR_HIGHLIGHT);

    label_ = CreateWindowExA(0, "STATIC",
                             "Setup is preparing the ZUV Install Wizard which will guide you in the "
                             "rest of you setup process.",
                             WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, labelPlace_.left, labelPlace_.top,
                             labelPlace_.right - labelPlace_.left, labelPlace_.bottom - labelPlace_.top, window_,
                             nullptr, instance, nullptr);
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // The activity picture `RxGIFAnimator1`, 32 x 32, drawn by the window.
    activity_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, activityPlace_.left,
                                activityPlace_.top, activityPlace_.right - activityPlace_.left,
                                activityPlace_.bottom - activityPlace_.top, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdActivity)), instance,
                                nullptr);
    gauge_ = CreateWindowExA(0, kGaugeClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER, panelPlace_.left,
                             panelPlace_.top, panelPlace_.right - panelPlace_.left,
                             panelPlace_.bottom - panelPlace_.top,
                             window_, nullptr, instance, nullptr);
    SetWindowLongPtrA(gauge_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    caption_ = std::make_unique<MarsCaptionPainter>(window_);
    return true;
}

void UnzipWindow::ShowModal() {
    if (!window_) return;
    closed_ = false;
    SetTimer(window_, kAnimationTimer, kAnimationInterval, nullptr);
    RunModal(owner_, window_, [this] { return closed_; });
    KillTimer(window_, kAnimationTimer);
}

int UnzipWindow::GaugePercent() const {
    const long long span = static_cast<long long>(gaugeMax_) - gaugeMin_;
    if (span <= 0) return 0;
    return static_cast<int>((static_cast<long long>(gaugeProgress_) - gaugeMin_) * 100 / span);
}

std::string UnzipWindow::Label1Text() {
    return WithoutAddedLineFeeds(WindowText(label_));
}

void UnzipWindow::SetLabel1Text(const std::string& text) {
    SetWindowTextA(label_, WithLineBreaks(text).c_str());
}

void UnzipWindow::SetGaugeColor(shell::Color color) {
    gaugeColor_ = Plain(color);
    InvalidateRect(gauge_, nullptr, FALSE);
}

void UnzipWindow::SetGaugeRange(int minimum, int maximum) {
    gaugeMin_ = minimum;
    gaugeMax_ = maximum;
    InvalidateRect(gauge_, nullptr, FALSE);
    UpdateWindow(gauge_);
}

void UnzipWindow::SetGaugeProgress(int progress) {
    gaugeProgress_ = progress;
    InvalidateRect(gauge_, nullptr, FALSE);
    UpdateWindow(gauge_);
}

void UnzipWindow::SetCaptionColors(shell::Color begin, shell::Color end, shell::Color text) {
    caption_->Colors().ActiveBeginColor = begin;
    caption_->Colors().ActiveEndColor = end;
    caption_->Colors().ActiveFontColor = text;
    caption_->Redraw();
}

void UnzipWindow::SetTimer1Enabled(bool enabled) {
    if (enabled) {
        SetTimer(window_, kTimer1, 1000, nullptr);
    } else {
        KillTimer(window_, kTimer1);
    }
}

void UnzipWindow::Close() {
    closed_ = true;
    KillTimer(window_, kTimer1);
    ShowWindow(window_, SW_HIDE);
}

// The activity picture: twelve dots on a circle, one bright, turning one step a frame. The
// circle's radius (11) and the dots' (3 and 2) are design pixels.
void UnzipWindow::PaintActivity(HDC dc, const RECT& area) {
    const shell::TDpiScale& scale = ScreenScale();
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &area, face);
    const double cx = (area.left + area.right) / 2.0;
    const double cy = (area.top + area.bottom) / 2.0;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    for (int i = 0; i < kFrames; ++i) {
        const int age = (frame_ - i + kFrames) % kFrames;  // 0: the bright dot
        const int shade = age * 200 / kFrames;
        HBRUSH brush = CreateSolidBrush(RGB(shade, shade, 255 - shade / 3));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        const double angle = i * 2 * 3.14159265358979 / kFrames;
        const int x = static_cast<int>(cx + scale.Scale(11) * std::sin(angle));
        const int y = static_cast<int>(cy - scale.Scale(11) * std::cos(angle));
        const int r = scale.Scale(age == 0 ? 3 : 2);
        Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
    SelectObject(dc, oldPen);
}

// The gauge: the bar in the gauge colour on the button face, and the percentage centred,
// light on the bar and dark beside it.
void UnzipWindow::PaintGauge(HWND gauge, HDC dc) {
    RECT client{};
    GetClientRect(gauge, &client);
    int percent = GaugePercent();
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    RECT bar = client;
    bar.right = client.left + (client.right - client.left) * percent / 100;
    RECT rest = client;
    rest.left = bar.right;
    HBRUSH barBrush = CreateSolidBrush(gaugeColor_);
    FillRect(dc, &bar, barBrush);
    DeleteObject(barBrush);
    FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));

    char text[8];
    wsprintfA(text, "%d%%", percent);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    const int luminance = (GetRValue(gaugeColor_) * 3 + GetGValue(gaugeColor_) * 6 + GetBValue(gaugeColor_)) / 10;
    SaveDC(dc);
    IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    SetTextColor(dc, luminance < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(dc, -1);
    SaveDC(dc);
    IntersectClipRect(dc, rest.left, rest.top, rest.right, rest.bottom);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(dc, -1);
    SelectObject(dc, oldFont);
}

LRESULT UnzipWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTimer1) {
                if (events_.timer1Timer) events_.timer1Timer();
            } else if (wParam == kAnimationTimer) {
                frame_ = (frame_ + 1) % kFrames;
                InvalidateRect(activity_, nullptr, FALSE);
            }
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item && item->CtlID == kIdActivity) {
                PaintActivity(item->hDC, item->rcItem);
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            pressed_ = true;
            return 0;
        case WM_LBUTTONUP: {
            // A click on the free area asks whether to abort; the label, the picture and the
            // gauge's frame are not free area.
            const bool wasPressed = pressed_;
            pressed_ = false;
            const int x = static_cast<short>(LOWORD(lParam));
            const int y = static_cast<short>(HIWORD(lParam));
            if (wasPressed && !Inside(labelPlace_, x, y) && !Inside(activityPlace_, x, y) &&
                !Inside(panelPlace_, x, y) && events_.formClick) {
                events_.formClick();
            }
            return 0;
        }
        case WM_CLOSE:
            // No close box: Alt+F4 asks the same question as a click.
            if (events_.formClick) events_.formClick();
            return 0;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK UnzipWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UnzipWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->window_ == window) return self->Handle(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK UnzipWindow::GaugeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UnzipWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        self->PaintGauge(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zuv::ui
