// A run of the setup program without any window: the silent install (/S), and the runs that
// end at the command line (/?, /HELP, an unknown switch).
//
// It drives the same logic as the windows do (`TMainSetup`, the preparation stage `TUnzip`,
// the wizard `TZUV` with its install engine) through views that show nothing, over a
// platform that, in a silent run, writes its message boxes to the install log and answers
// every question with its default button.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "shell/main_setup.h"
#include "shell/silent_platform.h"
#include "shell/unzip_stage.h"
#include "wizard/wizard.h"

namespace zuv::wizard {

class TSilentSetup : private shell::BackgroundView, private shell::WizardChoice, private shell::Stages {
public:
    explicit TSilentSetup(platform::Platform& host);
    ~TSilentSetup() override;

    // True when the command line asks for no window at all: /S, /?, /HELP or an unknown
    // switch (whose message box is all that is shown).
    static bool Wanted(const shell::CommandLine& line) { return line.Silent || line.Help || line.Bad(); }

    // Runs start-up, the stages and shut-down; returns the process exit code.
    int Run();

    shell::TMainSetup& Setup() { return *setup_; }
    TZUV& Wizard() { return *zuv_; }

private:
    struct Views;

    // shell::BackgroundView: nothing is shown; Close ends the run.
    void SetSetupHeader(const shell::TitleLine&) override {}
    void SetSetupHeader2(const shell::TitleLine&) override {}
    void SetGradientColors(shell::Color, shell::Color) override {}
    void SetColor(shell::Color) override {}
    void SetTimer1Enabled(bool) override {}
    void Close() override { closed_ = true; }
    // shell::WizardChoice, answered by the wizard's logic.
    void SetChoiceVisible(shell::EndChoice c, bool v) override { zuv_->SetChoiceVisible(c, v); }
    void SetChoiceEnabled(shell::EndChoice c, bool v) override { zuv_->SetChoiceEnabled(c, v); }
    void SetChoiceChecked(shell::EndChoice c, bool v) override { zuv_->SetChoiceChecked(c, v); }
    bool ChoiceChecked(shell::EndChoice c) override { return zuv_->ChoiceChecked(c); }
    void nextClick() override { zuv_->nextClick(); }
    // shell::Stages
    void RunPreparation() override;
    void RunWizard() override;

    shell::SilentPlatform platform_;
    std::unique_ptr<shell::SetExpander> expander_;
    std::unique_ptr<Views> views_;
    std::unique_ptr<shell::TMainSetup> setup_;
    std::unique_ptr<TZUV> zuv_;
    bool closed_ = false;
};

}  // namespace zuv::wizard
