// The preparation window `TUnzip` on the screen: status label, activity picture, percentage gauge and caption bar.
#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <memory>
#include <string>

#include "shell/caption.h"
#include "shell/unzip_view.h"
#include "ui/mars_caption.h"

namespace zuv::ui {

// Draws what the preparation logic sets through `shell::UnzipView` and reports the timer and
// clicks on the free area; it decides nothing.
class UnzipWindow : public shell::UnzipView {
public:
    struct Events {
        std::function<void()> timer1Timer;
        std::function<void()> formClick;
    };

    static constexpr const char* kClassName = "TUnzip";
    static constexpr const char* kCaption = "Preparing ZUV Setup";
    // The design's client area, in pixels at 96 per inch (scaled to the screen's resolution).
    static constexpr int kClientWidth = 375;
    static constexpr int kClientHeight = 92;

    UnzipWindow();
    ~UnzipWindow() override;
    UnzipWindow(const UnzipWindow&) = delete;
    UnzipWindow& operator=(const UnzipWindow&) = delete;

    // Creates the hidden window over `owner`, centred. Returns false when it cannot be made.
    bool Create(HINSTANCE instance, HWND owner);
    void SetEvents(Events events) { events_ = std::move(events); }
    HWND Handle() const { return window_; }
    // Shows the window modally; returns when Close() has been called.
    void ShowModal();

    int GaugeMinimum() const { return gaugeMin_; }
    int GaugeMaximum() const { return gaugeMax_; }
    int GaugeProgress() const { return gaugeProgress_; }
    COLORREF GaugeColor() const { return gaugeColor_; }
    // The percentage the gauge shows: progress over its range, rounded down.
    int GaugePercent() const;

    // ---- shell::UnzipView --------------------------------------------------------------
    std::string Label1Text() override;
    void SetLabel1Text(const std::string& text) override;
    void SetGaugeColor(shell::Color color) override;
    void SetGaugeRange(int minimum, int maximum) override;
    void SetGaugeProgress(int progress) override;
    void SetCaptionColors(shell::Color begin, shell::Color end, shell::Color text) override;
    void SetTimer1Enabled(bool enabled) override;
    void Close() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GaugeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void PaintActivity(HDC dc, const RECT& area);
    void PaintGauge(HWND gauge, HDC dc);

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HWND label_ = nullptr;
    HWND gauge_ = nullptr;
    HWND activity_ = nullptr;
    // The activity picture, the label and the gauge's frame on the screen (their design places
    // scaled); a click outside them is a click on the free area.
    RECT activityPlace_{};
    RECT labelPlace_{};
    RECT panelPlace_{};
    HFONT font_ = nullptr;
    Events events_;
    std::unique_ptr<MarsCaptionPainter> caption_;
    COLORREF gaugeColor_ = RGB(0, 0, 255);
    int gaugeMin_ = 0;
    int gaugeMax_ = 100;
    int gaugeProgress_ = 0;
    int frame_ = 1;
    bool closed_ = false;
    bool pressed_ = false;
};

}  // namespace zuv::ui
