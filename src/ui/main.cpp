// Program entry of install.exe: the application title, COM, the three windows in their order, and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "shell/caption.h"
#include "ui/background_window.h"
#include "ui/placeholder_stages.h"

namespace {

// The task-bar entry and the caption of every plain message box.
constexpr const char* kApplicationTitle = "ZUV - Setup";

int Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // 1. The background screen, the main window.
    zuv::ui::BackgroundWindow background;
    if (!background.Create(instance)) {
        MessageBoxA(nullptr, "Unable to create the setup window.", kApplicationTitle,
                    MB_OK | MB_ICONERROR);
        return 1;
    }

    // 2. The wizard takes the background's design colours for its caption bar when it is
    // created, before any script is loaded.
    zuv::shell::TMarsCaption wizardColors;
    wizardColors.TakeBackgroundColors(background.MainScreen().Properties().FromColor(),
                                      background.MainScreen().Properties().ToColor(),
                                      background.SetupHeader().color);

    // PLACEHOLDER: until the shell's start-up logic, the wizard window `TZUV` and the
    // preparation window `TUnzip` land, the main window's operations only run the stages'
    // stand-in windows in their order: no script is loaded, nothing is expanded or installed,
    // and the program ends without a closing message.
    zuv::ui::BackgroundWindow::Events events;
    events.formShow = [&background] { background.SetTimer1Enabled(true); };
    events.timer1Timer = [&background, &wizardColors, instance] {
        background.SetTimer1Enabled(false);
        {
            // 3. The preparation window takes the background's colours each time it is shown.
            zuv::shell::TMarsCaption colors;
            colors.TakeBackgroundColors(background.MainScreen().Properties().FromColor(),
                                        background.MainScreen().Properties().ToColor(),
                                        background.SetupHeader().color);
            zuv::ui::PlaceholderStage preparation;
            if (preparation.Create(instance, background.Handle(),
                                   zuv::ui::PlaceholderStage::Kind::kPreparation, colors)) {
                preparation.ShowModal();
            }
        }
        zuv::ui::PlaceholderStage wizard;
        if (wizard.Create(instance, background.Handle(), zuv::ui::PlaceholderStage::Kind::kWizard,
                          wizardColors)) {
            wizard.ShowModal();
        }
        background.Close();
    };
    background.SetEvents(events);

    background.ShowMaximized();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // COM serves the shell-link object that writes the shortcuts.
    const HRESULT com = CoInitialize(nullptr);
    const int result = Run(instance);
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
