// Program entry of install.exe: the application title, COM, the three windows in their order,
// and the message loop.
#include "platform/win32/windows_api.h"
#include <commctrl.h>
#include <objbase.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/run_ending.h"
#include "shell/segment_expander.h"
#include "shell/unzip_stage.h"
#include "ui/app.h"
#include "wizard/silent_setup.h"

namespace {

// The task-bar entry and the caption of every plain message box.
constexpr const char* kApplicationTitle = "ZUV - Setup";

// Parameter 1 names a directory exactly as it was written: the C runtime's reading would
// take the final backslash of "C:\SET 1\" for an escaped quote, so the raw command line is
// read by the program's own rule.
std::vector<std::string> Parameters() { return zuv::shell::CommandLineParams(GetCommandLineA()); }

int Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    zuv::platform::Win32Platform platform(Parameters());
    // /S runs without any window; /? and a bad command line show only their message box.
    if (zuv::wizard::TSilentSetup::Wanted(zuv::shell::ParseCommandLine(platform.CommandLine()))) {
        zuv::wizard::TSilentSetup setup(platform);
        return setup.Run();
    }
    auto expander = zuv::shell::MakeSegmentExpander(platform);
    zuv::ui::App app(instance, platform, *expander);
    if (!app.Create()) {
        MessageBoxA(nullptr, "Unable to create the setup window.", kApplicationTitle, MB_OK | MB_ICONERROR);
        return zuv::shell::ExitCode(zuv::shell::RunEnding::kFailed);
    }
    return app.Run();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // COM serves the shell-link object that writes the shortcuts.
    const HRESULT com = CoInitialize(nullptr);
    int result = zuv::shell::ExitCode(zuv::shell::RunEnding::kFailed);
    try {
        result = Run(instance);
    } catch (const std::exception& e) {
        // A silent run never shows a box, even for this.
        if (!zuv::shell::ParseCommandLine(GetCommandLineA()).Silent)
            MessageBoxA(nullptr, e.what(), kApplicationTitle, MB_OK | MB_ICONERROR);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
