// The shell state, held by the main window from start-up to shut-down.
#pragma once

#include <string>
#include <vector>

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
    // TempDir as the preparation stage found it, before it put anything there: whether it had
    // to make the directory, and the files already in it (someone else's, which the start-up
    // clean could not delete). `known` once the stage has looked. The install journal records
    // the rest as the setup's own, for a clean-up after an installation that never reached
    // its shut-down.
    struct TempDirStart {
        bool known = false;
        bool made = false;
        std::vector<std::string> foreign;
    } TempDirBefore;
    // The install log every stage writes to (copies of the state share it).
    common::TInstallLog Log;
};

}  // namespace zuv::shell
