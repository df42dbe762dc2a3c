// The shell state, held by the main window from start-up to shut-down.
#pragma once

#include <string>

#include "common/install_log.h"

namespace zuv::shell {

struct ShellState {
    std::string SourceDir;   // where install.exe was started, with a trailing "\"
    std::string TempDir;     // the Windows directory + "\Temp\z", no trailing "\"
    std::string SystemRoot;  // the first three characters of the Windows directory ("C:\")
    std::string ParamDir;    // parameter 1, when given
    bool Cancelled = false;

    // From the command line's switches.
    bool Silent = false;        // /S: no window, no question; every choice its default
    bool NoRestart = false;     // /NORESTART: a chosen restart is not done
    std::string InstallDirSwitch;  // /DIR=: the install directory the wizard proposes
    // Set when the preparation failed by itself (not by the user's abort).
    bool Failed = false;
    // The install log every stage writes to (copies of the state share it).
    common::TInstallLog Log;
};

}  // namespace zuv::shell
