// PLACEHOLDER windows standing for the preparation window `TUnzip` and the wizard `TZUV` until their real windows land.
//
// They carry the windows' captions, sizes and caption bars and nothing else: the preparation
// stand-in expands nothing and closes itself after a second, the wizard stand-in installs
// nothing and closes on its Cancel button or close box. Remove them when the real windows
// replace them in main.cpp.
#pragma once

#include <windows.h>

#include <memory>

#include "shell/caption.h"
#include "ui/mars_caption.h"

namespace zuv::ui {

class PlaceholderStage {
public:
    enum class Kind { kPreparation, kWizard };

    PlaceholderStage() = default;
    ~PlaceholderStage();
    PlaceholderStage(const PlaceholderStage&) = delete;
    PlaceholderStage& operator=(const PlaceholderStage&) = delete;

    // Creates the hidden window over `owner` with the caption bar's colours. Returns false
    // when it cannot be made.
    bool Create(HINSTANCE instance, HWND owner, Kind kind, const shell::TMarsCaption& colors);
    // Shows it modally; returns when it has closed.
    void ShowModal();
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HFONT font_ = nullptr;
    Kind kind_ = Kind::kPreparation;
    bool closed_ = false;
    std::unique_ptr<MarsCaptionPainter> caption_;
};

}  // namespace zuv::ui
