// The background screen `TMainSetup`: a borderless window over the whole screen with the gradient, the title lines and the footer.
#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <memory>
#include <string>

#include "shell/background.h"
#include "ui/fountain_fill.h"
#include "ui/title_label.h"

namespace zuv::ui {

// The window only draws and reports; the shell's logic decides. Its three events are the
// main window's operations: `formShow` when it is first shown, `timer1Timer` each time the
// one-second stage timer fires (the handler disables it), `formClose` when it closes.
class BackgroundWindow {
public:
    struct Events {
        std::function<void()> formShow;
        std::function<void()> timer1Timer;
        std::function<void()> formClose;
    };

    // Window class and name as the program knows them; the caption is never displayed.
    static constexpr const char* kClassName = "TMainSetup";
    static constexpr const char* kCaption = "ZUV 32Bit Installer";
    static constexpr UINT kTimer1Interval = 1000;

    BackgroundWindow();
    ~BackgroundWindow();
    BackgroundWindow(const BackgroundWindow&) = delete;
    BackgroundWindow& operator=(const BackgroundWindow&) = delete;

    // Creates the window, hidden, covering the screen. Takes the program's instance and the
    // window that owns it (the application's window, which carries the task-bar entry);
    // returns false when the window cannot be made. Throws nothing.
    bool Create(HINSTANCE instance, HWND owner = nullptr);
    void SetEvents(Events events) { events_ = std::move(events); }
    HWND Handle() const { return window_; }

    // Shows the window maximised over the whole screen, paints it and, the first time,
    // runs `formShow`.
    void ShowMaximized();
    // Closes the window: `formClose` runs, then the window is destroyed and the program's
    // message loop ends.
    void Close();

    // ---- the controls the shell reads and sets ----------------------------------------------
    FountainFill& MainScreen() { return mainScreen_; }
    const shell::TitleLine& SetupHeader() const { return header_.Line(); }
    const shell::TitleLine& SetupHeader2() const { return header2_.Line(); }
    // Take the new text, font and colours of a title line; the layout follows at once.
    void SetSetupHeader(const shell::TitleLine& line);
    void SetSetupHeader2(const shell::TitleLine& line);
    // The window's own colour (the gradient covers it; kept for whoever reads it back).
    shell::Color Color() const { return color_; }
    void SetColor(shell::Color color) { color_ = color; }
    void SetTimer1Enabled(bool enabled);
    bool Timer1Enabled() const { return timer1Enabled_; }
    // Where `FormResize` last put the labels.
    const shell::BackgroundLayout& Layout() const { return layout_; }
    // The client area's size, that is `MainScreen`'s.
    SIZE ClientSize() const;

    // Draws the whole client area into `dc` (the window's own painting and tests' captures).
    void PaintTo(HDC dc);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void FormResize();
    void Invalidate();

    HWND window_ = nullptr;
    Events events_;
    FountainFill mainScreen_;
    TitleLabel header_;
    TitleLabel header2_;
    HFONT copyrightFont_ = nullptr;
    shell::BackgroundLayout layout_;
    shell::Color color_ = shell::kColorBlue;
    bool timer1Enabled_ = false;
    bool shown_ = false;
    bool closing_ = false;
};

}  // namespace zuv::ui
