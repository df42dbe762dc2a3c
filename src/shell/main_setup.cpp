#include "shell/main_setup.h"

#include "common/ini_reader.h"
#include "common/routines.h"

namespace zuv::shell {

const char* const kRebootMessage =
    "Tolvane is about to RE-BOOT your PC\r\rPlease Remove any floppies from drive.\r\rClick on OK when ready.";
const char* const kCancelledMessage = "Your installation was canceled!";

std::string CompletedMessage(const std::string& header) {
    return "Your installation of \r" + header + "\rhas be completed.\r\rPlease Remove any floppies from drive.";
}

std::string RestartNeededMessage(const std::string& header) {
    return "Your installation of \r" + header +
           "\rhas be completed.\r\rWindows must be restarted before it can be used: restart it when you are ready.";
}

// Said instead of the completion message when files are missing from the installation.
static std::string IncompleteMessage(const std::string& header) {
    return "Your installation of \r" + header +
           "\ris not complete: some files could not be installed.\r\rPlease Remove any floppies from drive.";
}

TMainSetup::TMainSetup(platform::Platform& platform, BackgroundView& view, WizardChoice& wizard, Stages& stages)
    : platform_(platform), view_(view), wizard_(wizard), stages_(stages) {
    state_.Log.Start(platform_);
}

bool TMainSetup::TakeSwitches() {
    const std::string raw = platform_.CommandLine();
    switches_ = ParseCommandLine(raw);
    state_.Log.Write(std::string("ZUV Setup ") + ZUV_VERSION + " started");
    state_.Log.Write("Command line: " + raw);
    state_.Log.Write("System: " + platform_.SystemVersion());
    state_.Silent = switches_.Silent;
    state_.NoRestart = switches_.NoRestart;
    // Relative paths are taken from where the program was started, before parameter 1
    // becomes the current directory.
    if (!switches_.Dir.empty()) {
        std::string dir = platform_.FullPath(switches_.Dir);
        if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
        state_.InstallDirSwitch = dir;
    }
    if (!switches_.Log.empty()) switches_.Log = platform_.FullPath(switches_.Log);
    if (switches_.Bad()) {
        for (const std::string& argument : switches_.Unknown) state_.Log.Write("Unknown switch: " + argument);
        if (!state_.Silent) platform_.ShowMessage(UnknownSwitchMessage(switches_.Unknown.front()));
        return false;
    }
    if (switches_.Help) {
        if (!state_.Silent) platform_.ShowMessage(kSwitchesHelp);
        return false;
    }
    if (state_.Silent) state_.Log.Write("Silent run: no window and no question; every choice takes its default");
    return true;
}

void TMainSetup::OpenLog(const std::string& title) {
    const std::string fallback = platform_.TempPath() + common::TInstallLog::DefaultName(title, platform_.Now());
    const std::string path = switches_.Log.empty() ? fallback : switches_.Log;
    if (state_.Log.Open(path)) return;
    const uint32_t code = platform_.LastError();
    if (path != fallback && state_.Log.Open(fallback))
        state_.Log.Error("Unable to create the log " + path + "; it is written here instead", code);
}

void TMainSetup::FormShow() {
    state_.ParamDir.clear();
    if (!TakeSwitches()) {
        OpenLog("");
        badStart_ = true;
        view_.Close();
        return;
    }
    if (!switches_.Param1.empty()) {
        const std::string& param1 = switches_.Param1;
        std::string error;
        if (!platform_.SetCurrentDirectory(param1, error)) {
            const uint32_t code = platform_.LastError();
            const std::string message = "Unable to use the directory " + param1 + ": " + error;
            OpenLog("");
            state_.Log.Error(message, code);
            platform_.ShowError(message);
            startFailed_ = true;
            view_.Close();
            return;
        }
        state_.ParamDir = param1;
    }
    state_.SourceDir = platform_.CurrentDirectory();
    if (state_.SourceDir.size() > 3) state_.SourceDir += "\\";
    std::string windows = common::GetWindowsDir(platform_);
    state_.SystemRoot = windows.substr(0, 3);
    state_.TempDir = windows + "\\Temp\\z";
    try {
        common::CreateDirPath(platform_, state_.TempDir);
    } catch (const std::exception&) {
    }
    platform_.ProcessMessages();
    CleanTempDir();
    LoadScript();
    OpenLog(script_.Header.text);
    state_.Log.Write("Source directory: " + state_.SourceDir);
    state_.Log.Write("Script: " + state_.SourceDir + "install.cfg (" + script_.Header.text + ")");
    state_.Log.Write("Temporary directory: " + state_.TempDir);
    view_.SetTimer1Enabled(true);
}

void TMainSetup::Timer1Timer() {
    view_.SetTimer1Enabled(false);
    state_.Cancelled = false;
    state_.Log.Write("Stage: preparation");
    stages_.RunPreparation();
    if (!state_.Cancelled) {
        state_.Log.Write("Stage: wizard");
        wizardShown_ = true;
        stages_.RunWizard();
    }
    view_.Close();
}

void TMainSetup::FormClose() {
    // Closed before the wizard has run (Alt+F4 on the background during its wait): the user
    // has not chosen any ending, so the close counts as a cancellation, as the wizard's own
    // close box does, and a restart preset by the script is not carried out.
    if (!wizardShown_) {
        state_.Cancelled = true;
        wizard_.SetChoiceChecked(EndChoice::kReboot, false);
    }
    std::string header = script_.Header.text;
    script_ = LoadedScript();
    script_.Header.text = header;  // message B reads the header control, which stays
    CleanTempDir();
    if (!state_.ParamDir.empty()) {
        state_.TempDir = state_.ParamDir;
        CleanTempDir();
    }
    RunFacts facts;
    facts.badCommandLine = switches_.Bad();
    facts.helpShown = switches_.Help;
    facts.startFailed = startFailed_;
    if (startFailed_ || badStart_) return Finish(facts);
    facts.preparationFailed = state_.Failed;
    facts.cancelled = state_.Cancelled;
    facts.installFinished = InstallFinished;
    facts.installIncomplete = InstallIncomplete;
    facts.restartChosen = wizard_.ChoiceChecked(EndChoice::kReboot);
    if (facts.restartChosen && (state_.Silent || state_.NoRestart)) {
        state_.Log.Write(state_.Silent ? "Restart chosen: not done in a silent run"
                                       : "Restart chosen: not done (/NORESTART)");
        platform_.ShowMessage(InstallIncomplete ? IncompleteMessage(header) : RestartNeededMessage(header));
    } else if (facts.restartChosen) {
        platform_.ShowMessage(kRebootMessage);
        platform_.ProcessMessages();
        state_.Log.Write("Restarting Windows");
        facts.restartDone = TWinReboot(platform_).EndWindowsSession(2);
        if (!facts.restartDone) state_.Log.Error("Windows refused the restart", platform_.LastError());
        platform_.ProcessMessages();
    } else if (state_.Cancelled) {
        platform_.ShowMessage(kCancelledMessage);
    } else if (InstallIncomplete) {
        platform_.ShowMessage(IncompleteMessage(header));
    } else if (!wizard_.ChoiceChecked(EndChoice::kRadioButton1)) {
        platform_.ShowMessage(CompletedMessage(header));
    }
    Finish(facts);
}

void TMainSetup::Finish(const RunFacts& facts) {
    ending_ = DecideEnding(facts);
    state_.Log.Write(std::string("Result: ") + EndingName(ending_) + ", exit code " + std::to_string(ExitCode()));
}

void CleanDirectory(platform::Platform& platform, const std::string& dir) {
    if (dir.empty()) return;
    for (const auto& entry : platform.FindFiles(dir + "\\*.*")) {
        if (entry.attributes & platform::kAttrDirectory) continue;
        platform.DeleteFile(dir + "\\" + entry.name);
    }
    platform.RemoveDirectory(dir);
}

void TMainSetup::CleanTempDir() { CleanDirectory(platform_, state_.TempDir); }

void TMainSetup::LoadScript() {
    const char* main = "Setup - Main";
    common::IniFile ini = common::IniFile::Load(platform_, state_.SourceDir + "install.cfg");
    script_ = LoadedScript();
    LoadedScript& s = script_;
    s.InstallDisks = ini.ReadInteger(main, "Install Disks", 0);
    s.InstallDir = ini.ReadString(main, "Install Dir", "");
    s.LaunchProgram = ini.ReadString(main, "Launch", "");
    s.ProgramFolder = ini.ReadString(main, "Folder", "Accessories");
    s.AddToProgramFiles = ini.ReadBool(main, "Add to Program Files", false);
    s.ShowWarningScreen = ini.ReadBool(main, "Show Warning Screen", true);
    s.ShowReBoot = ini.ReadBool(main, "Show Re-Boot", true);
    s.WorkStationPrompt = ini.ReadBool(main, "Work Station Prompt", false);
    s.BitmapFile = ini.ReadString(main, "Bitmap File", "");
    s.AlignCenter = ini.ReadBool(main, "Align Center", false);
    s.AlignLeft = ini.ReadBool(main, "Align Left", true);
    s.AlignRight = ini.ReadBool(main, "Align Right", false);

    // Each colour and font key that is missing keeps the control's current setting.
    auto colour = [&](const char* key, Color current) {
        return static_cast<Color>(ini.ReadInteger(main, key, static_cast<int32_t>(current)));
    };
    s.DitherFrom = colour("Dither From", s.DitherFrom);
    s.DitherTo = colour("Dither To", s.DitherTo);
    view_.SetGradientColors(s.DitherFrom, s.DitherTo);
    s.Header.text = ini.ReadString(main, "Header", "ZUV - Tolvane 32Bit");
    s.Header.fontName = ini.ReadString(main, "Header Font Name", s.Header.fontName);
    s.Header.fontSize = ini.ReadInteger(main, "Header Font Size", s.Header.fontSize);
    s.Header.color = colour("Header Font Color", s.Header.color);
    s.Header.shadowColor = colour("Header Font Shadow", s.Header.shadowColor);
    view_.SetSetupHeader(s.Header);
    s.Header2.text = ini.ReadString(main, "Header2", s.Header2.text);
    s.Header2.fontName = ini.ReadString(main, "Header2 Font Name", s.Header2.fontName);
    s.Header2.fontSize = ini.ReadInteger(main, "Header2 Font Size", s.Header2.fontSize);
    s.Header2.color = colour("Header2 Font Color", s.Header2.color);
    s.Header2.shadowColor = colour("Header2 Font Shadow", s.Header2.shadowColor);
    view_.SetSetupHeader2(s.Header2);

    auto values = [&](const char* section, std::vector<std::string>& list) {
        for (const auto& key : ini.ReadSection(section)) list.push_back(ini.ReadString(section, key, ""));
    };
    values("Directories", s.DirectoriesList);
    std::vector<std::string> files = ini.ReadSection("Files");
    for (size_t i = 0; i < files.size(); ++i) {
        std::string entry = ini.ReadString("Files", files[i], "");
        bool ask = ini.ReadBool("Files - OverWrite", "File #" + std::to_string(i), false);
        s.FilesList.push_back(entry + (ask ? "~X" : "~"));
    }
    values("Desktop", s.DesktopList);
    values("INI - Setup", s.IniSetupList);
    values("WorkStation", s.WorkStationList);
    s.AutoexecList = ini.ReadSection("AUTOEXEC.BAT");

    view_.SetColor(s.DitherFrom);

    wizard_.SetChoiceVisible(EndChoice::kReboot, s.ShowReBoot);
    if (s.LaunchProgram.empty() || common::Upper(s.LaunchProgram).find("SETUP.") != std::string::npos) {
        wizard_.SetChoiceChecked(EndChoice::kRadioButton2, true);
        wizard_.SetChoiceEnabled(EndChoice::kRadioButton1, false);
        if (s.ShowReBoot)
            wizard_.SetChoiceChecked(EndChoice::kReboot, true);
        else
            wizard_.SetChoiceChecked(EndChoice::kReboot, false);
    } else {
        wizard_.SetChoiceChecked(EndChoice::kRadioButton1, true);
    }
    if (!s.ShowWarningScreen) wizard_.nextClick();
}

bool TWinReboot::EndWindowsSession(int mode) {
    AdjustPrivilege("SeShutdownPrivilege", true);
    bool result = platform_.ExitWindows(static_cast<uint32_t>(mode));
    AdjustPrivilege("SeShutdownPrivilege", false);
    return result;
}

}  // namespace zuv::shell
