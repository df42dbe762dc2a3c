// PLACEHOLDER windows for the preparation and wizard stages (no logic; see the header).
#include "ui/placeholder_stages.h"

#include "ui/modal.h"
#include "ui/title_label.h"

namespace zuv::ui {

namespace {

constexpr const char* kClassName = "ZUVPlaceholderStage";
constexpr UINT_PTR kCloseTimer = 1;
constexpr int kCancelId = 2;

}  // namespace

PlaceholderStage::~PlaceholderStage() {
    caption_.reset();
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_) DeleteObject(font_);
}

bool PlaceholderStage::Create(HINSTANCE instance, HWND owner, Kind kind,
                              const shell::TMarsCaption& colors) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    kind_ = kind;
    owner_ = owner;
    const bool wizard = kind == Kind::kWizard;
    const char* caption = wizard ? "ZUV32 - Setup" : "Preparing ZUV Setup";
    const DWORD style = WS_POPUP | WS_CAPTION | (wizard ? WS_SYSMENU : 0);
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;
    RECT rect{0, 0, wizard ? 433 : 375, wizard ? 263 : 92};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    window_ = CreateWindowExA(exStyle, kClassName, caption, style, 0, 0, rect.right - rect.left,
                              rect.bottom - rect.top, owner, nullptr, instance, nullptr);
    if (!window_) return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    CentreOnScreen(window_);

    font_ = MakeFont("MS Sans Serif", 11, false);
    const char* text = wizard
        ? "The installation wizard comes here."
        : "Setup is preparing the ZUV Install Wizard which will guide you in the rest of you "
          "setup process.\rPlease Standby.";
    HWND label = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 44, 4, 325, 53,
                                 window_, nullptr, instance, nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (wizard) {
        HWND cancel = CreateWindowExA(0, "BUTTON", "&Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                      8, 263 - 27, 73, 25, window_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)),
                                      instance, nullptr);
        SendMessageA(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    caption_ = std::make_unique<MarsCaptionPainter>(window_);
    caption_->Colors() = colors;
    return true;
}

void PlaceholderStage::ShowModal() {
    if (!window_) return;
    closed_ = false;
    if (kind_ == Kind::kPreparation) SetTimer(window_, kCloseTimer, 1000, nullptr);
    RunModal(owner_, window_, [this] { return closed_; });
}

LRESULT CALLBACK PlaceholderStage::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<PlaceholderStage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
            case WM_TIMER:
                if (wParam == kCloseTimer) {
                    KillTimer(window, kCloseTimer);
                    self->closed_ = true;
                    return 0;
                }
                break;
            case WM_COMMAND:
                if (LOWORD(wParam) == kCancelId) {
                    self->closed_ = true;
                    return 0;
                }
                break;
            case WM_CLOSE:
                self->closed_ = true;
                return 0;
            default:
                break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zuv::ui
