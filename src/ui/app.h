// The setup program's windows joined to their logic: the background with `TMainSetup`, the
// preparation window with `TUnzip`, the wizard window with `TZUV`.
#pragma once

#include "platform/win32/windows_api.h"

#include <memory>

#include "platform/win32/win32_platform.h"
#include "shell/main_setup.h"
#include "shell/unzip_stage.h"
#include "ui/application_window.h"
#include "ui/background_window.h"
#include "ui/picture_panel.h"
#include "ui/wizard_window.h"

namespace zuv::ui {

class App : public shell::BackgroundView, public shell::WizardChoice, public shell::Stages {
public:
    App(HINSTANCE instance, platform::Win32Platform& platform, shell::SetExpander& expander);
    ~App() override;

    // Creates the three windows' parts in their order; false when a window cannot be made.
    bool Create();
    // Shows the background maximised and runs the message loop until it closes; returns the
    // run's exit code.
    int Run();

    // ---- shell::BackgroundView ---------------------------------------------------------
    void SetSetupHeader(const shell::TitleLine& line) override { background_.SetSetupHeader(line); }
    void SetSetupHeader2(const shell::TitleLine& line) override { background_.SetSetupHeader2(line); }
    void SetGradientColors(shell::Color from, shell::Color to) override;
    void SetColor(shell::Color color) override { background_.SetColor(color); }
    void SetTimer1Enabled(bool enabled) override { background_.SetTimer1Enabled(enabled); }
    void Close() override { background_.Close(); }

    // ---- shell::WizardChoice -----------------------------------------------------------
    void SetChoiceVisible(shell::EndChoice choice, bool visible) override;
    void SetChoiceEnabled(shell::EndChoice choice, bool enabled) override;
    void SetChoiceChecked(shell::EndChoice choice, bool checked) override;
    bool ChoiceChecked(shell::EndChoice choice) override;
    void nextClick() override;

    // ---- shell::Stages -----------------------------------------------------------------
    void RunPreparation() override;
    void RunWizard() override;

private:
    struct WizardParts;

    HINSTANCE instance_;
    platform::Win32Platform& platform_;
    shell::SetExpander& expander_;
    ApplicationWindow application_;
    BackgroundWindow background_;
    std::unique_ptr<PicturePanel> pictures_;
    WizardWindow wizardWindow_;
    std::unique_ptr<WizardParts> wizard_;
    std::unique_ptr<shell::TMainSetup> setup_;
};

}  // namespace zuv::ui
