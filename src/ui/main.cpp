// Program entry of install.exe: the application title, COM, the three windows in their order,
// and the message loop.
#include "platform/win32/windows_api.h"
#include <commctrl.h>
#include <objbase.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/unzip_stage.h"
#include "ui/app.h"
#include "shell/segment_expander.h"

namespace {

// The task-bar entry and the caption of every plain message box.
constexpr const char* kApplicationTitle = "ZUV - Setup";

std::vector<std::string> Parameters() {
    std::vector<std::string> params;
    for (int i = 1; i < __argc; ++i) params.emplace_back(__argv[i]);
    return params;
}

int Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    zuv::platform::Win32Platform platform(Parameters());
    auto expander = zuv::shell::MakeSegmentExpander(platform);
    zuv::ui::App app(instance, platform, *expander);
    if (!app.Create()) {
        MessageBoxA(nullptr, "Unable to create the setup window.", kApplicationTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    return app.Run();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // COM serves the shell-link object that writes the shortcuts.
    const HRESULT com = CoInitialize(nullptr);
    int result = 1;
    try {
        result = Run(instance);
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), kApplicationTitle, MB_OK | MB_ICONERROR);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
