// The uninstaller's window: a small tool window in the wizard's look (the blended caption
// bar, Times New Roman title, MS Sans Serif at 8 points) with a status line and a gauge.
#pragma once

#include "platform/win32/windows_api.h"

#include <memory>
#include <string>

#include "ui/mars_caption.h"
#include "uninstall/uninstaller.h"

namespace zuv::ui {

class UninstallWindow : public uninstall::UninstallView {
public:
    static constexpr int kClientWidth = 433;
    static constexpr int kClientHeight = 110;

    ~UninstallWindow() override;
    // Creates the window, hidden; false when it cannot be made.
    bool Create(HINSTANCE instance);
    HWND Handle() const { return window_; }

    void Show(const std::string& title) override;
    void SetStatus(const std::string& text) override;
    void SetProgress(int done, int total) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND title_ = nullptr;
    HWND status_ = nullptr;
    HWND gauge_ = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    std::unique_ptr<MarsCaptionPainter> caption_;
};

}  // namespace zuv::ui
