// The end of the run: the launch of the installed program and the report of the files that
// could not be installed.
#include "common/routines.h"
#include "wizard/install_engine.h"

namespace zuv::wizard {

const char* const kNotInstalledMessage = "Setup could not install the following files:";

namespace {
constexpr int kShowCommand = 5;  // SW_SHOW
}

void LaunchFile(platform::Platform& platform, const std::string& file, const std::string& parameters,
                const std::string& directory, int show) {
    // The shell gets the strings whole: a long path is never cut.
    platform.LaunchFile(file, parameters, directory, show);
}

void TInstallEngine::LaunchStep() {
    const std::string& launch = script_.LaunchProgram;
    const std::string upper = common::Upper(launch);
    const bool chained = upper.find("SETUP.") != std::string::npos || upper.find("INSTALL.") != std::string::npos;
    if (choices_.radioButton1Checked || chained) {
        // An empty program name would open the working directory itself: nothing to start.
        if (!common::NamePart(launch).empty()) {
            state_.Log.Write("Launching " + launch + (chained ? " (a chained setup program, not waited for)" : ""));
            LaunchFile(platform_, common::NamePart(launch), "", common::DirPart(launch), kShowCommand);
        }
    }
    platform_.ProcessMessages();
}

void TInstallEngine::ReportNotInstalled() {
    if (notInstalled_.empty()) return;
    state_.Log.Write("Files not installed: " + std::to_string(notInstalled_.size()));
    std::string text = kNotInstalledMessage;
    for (const std::string& file : notInstalled_) text += "\r" + file;
    platform_.ShowMessage(text);
}

}  // namespace zuv::wizard
