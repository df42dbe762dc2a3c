// The application's own window: the program's task-bar entry, titled with the application title.
#pragma once

#include "platform/win32/windows_api.h"

namespace zuv::ui {

// A window of no size that owns the background, so the task bar shows the program once, as
// "ZUV - Setup", and never the background's own caption. Activating it (a click on the
// task-bar entry) passes the activation on to the window the user last worked in; a close
// from the task bar closes the background, unless a modal window or box stands in front of
// it, which then has to be answered first.
class ApplicationWindow {
public:
    static constexpr const char* kClassName = "TApplication";
    static constexpr const char* kTitle = "ZUV - Setup";

    ApplicationWindow() = default;
    ~ApplicationWindow();
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;

    // Creates the window, hidden; false when it cannot be made. Throws nothing.
    bool Create(HINSTANCE instance);
    HWND Handle() const { return window_; }
    // The window it stands for: the background, which it owns.
    void SetMainWindow(HWND main) { main_ = main; }
    // Shows it (without taking the activation), which puts the entry on the task bar.
    void Show();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND main_ = nullptr;
};

}  // namespace zuv::ui
