// The main window's logic `TMainSetup`: start-up, the script loader, stage sequencing and
// shut-down with its closing message or restart.
//
// The background window (src/ui) draws; this class decides. It talks to the window through
// `BackgroundView`, to the wizard's end-of-setup choice through `WizardChoice`, and runs
// the two later stages through `Stages`.
#pragma once

#include <string>

#include "platform/platform.h"
#include "shell/command_line.h"
#include "shell/run_ending.h"
#include "shell/script.h"
#include "shell/shell_state.h"

namespace zuv::shell {

class BackgroundView {
public:
    virtual ~BackgroundView() = default;
    virtual void SetSetupHeader(const TitleLine& line) = 0;
    virtual void SetSetupHeader2(const TitleLine& line) = 0;
    // `MainScreen`'s start (top) and end (bottom) colours; the gradient is redrawn.
    virtual void SetGradientColors(Color from, Color to) = 0;
    // The main window's own colour.
    virtual void SetColor(Color color) = 0;
    // `Timer1`, the one-shot stage timer (1000 ms); the view calls Timer1Timer when it fires.
    virtual void SetTimer1Enabled(bool enabled) = 0;
    // Closes the main window; the view then calls FormClose and ends the program.
    virtual void Close() = 0;
};

// The wizard's end-of-setup radio buttons and its first-page step, as the loader presets
// them and the shell reads them at close.
enum class EndChoice { kRadioButton1, kRadioButton2, kReboot };
class WizardChoice {
public:
    virtual ~WizardChoice() = default;
    virtual void SetChoiceVisible(EndChoice choice, bool visible) = 0;
    virtual void SetChoiceEnabled(EndChoice choice, bool enabled) = 0;
    // Checking one button of the group unchecks the others; unchecking touches only it.
    virtual void SetChoiceChecked(EndChoice choice, bool checked) = 0;
    virtual bool ChoiceChecked(EndChoice choice) = 0;
    // The wizard's Next button, pressed once by the loader when the warning page is off.
    virtual void nextClick() = 0;
};

class Stages {
public:
    virtual ~Stages() = default;
    // Shows the preparation window modally and destroys it; returns when the stage ended.
    virtual void RunPreparation() = 0;
    // Shows the wizard modally; returns when it has closed.
    virtual void RunWizard() = 0;
};

// The closing messages. CR is a single carriage return.
extern const char* const kRebootMessage;    // "Tolvane is about to RE-BOOT your PC" ...
extern const char* const kCancelledMessage;  // "Your installation was canceled!"
std::string CompletedMessage(const std::string& header);  // "Your installation of " CR header ...
// Said instead of the restart when /NORESTART forbids it.
std::string RestartNeededMessage(const std::string& header);

class TMainSetup {
public:
    TMainSetup(platform::Platform& platform, BackgroundView& view, WizardChoice& wizard, Stages& stages);

    // Operations of the main window.
    void FormShow();
    void Timer1Timer();
    void FormClose();
    void CleanTempDir();
    void LoadScript();

    // Set by the install engine when some files could not be installed: the closing
    // message then does not claim a completed installation.
    bool InstallIncomplete = false;
    // Set by the wizard's stage when the install engine ran to its end.
    bool InstallFinished = false;

    // The command line as read at start-up.
    const CommandLine& Switches() const { return switches_; }
    // How the run ended and its exit code; known after FormClose.
    RunEnding Ending() const { return ending_; }
    int ExitCode() const { return shell::ExitCode(ending_); }

    ShellState& State() { return state_; }
    LoadedScript& Script() { return script_; }
    // True when FormShow stopped because parameter 1 could not be entered.
    bool StartFailed() const { return startFailed_; }

private:
    platform::Platform& platform_;
    BackgroundView& view_;
    WizardChoice& wizard_;
    Stages& stages_;
    ShellState state_;
    LoadedScript script_;
    bool startFailed_ = false;
    bool badStart_ = false;  // the command line ended the run before it began
    CommandLine switches_;
    RunEnding ending_ = RunEnding::kFailed;

    // Reads the switches; false when the run ends here (bad command line or the help).
    bool TakeSwitches();
    // Opens the log at /LOG= or in the user's temporary folder, named after `title`.
    void OpenLog(const std::string& title);
    void Finish(const RunFacts& facts);
    bool wizardShown_ = false;
};

// Deletes every file directly inside `dir` and tries to remove it; subdirectories, files in
// use and read-only files stay. Failures are ignored; an empty `dir` does nothing.
void CleanDirectory(platform::Platform& platform, const std::string& dir);

// `TWinReboot`: the shutdown privilege around ExitWindowsEx.
class TWinReboot {
public:
    explicit TWinReboot(platform::Platform& platform) : platform_(platform) {}
    bool AdjustPrivilege(const std::string& name, bool enable) { return platform_.AdjustPrivilege(name, enable); }
    // Enables "SeShutdownPrivilege", calls ExitWindowsEx(mode, 0), disables it again.
    bool EndWindowsSession(int mode);

private:
    platform::Platform& platform_;
};

}  // namespace zuv::shell
