// The shell state, held by the main window from start-up to shut-down.
#pragma once

#include <string>

namespace zuv::shell {

struct ShellState {
    std::string SourceDir;   // where install.exe was started, with a trailing "\"
    std::string TempDir;     // the Windows directory + "\Temp\z", no trailing "\"
    std::string SystemRoot;  // the first three characters of the Windows directory ("C:\")
    std::string ParamDir;    // parameter 1, when given
    bool Cancelled = false;
};

}  // namespace zuv::shell
