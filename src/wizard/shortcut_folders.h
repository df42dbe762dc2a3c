// Where shortcuts go: the shell's desktop, Start Menu and Programs folders for all users,
// or the folders below the Windows directory where the shell has none.
#pragma once

#include <string>

#include "platform/platform.h"

namespace zuv::wizard {

// The three bases of the shortcut files, each without a trailing "\".
struct ShortcutFolders {
    std::string desktop;    // the common desktop, or WindowsDir + "\Desktop"
    std::string startMenu;  // the common Start Menu, or WindowsDir + "\Start Menu"
    std::string programs;   // the common Programs folder, or WindowsDir + "\Start Menu\Programs"
};

// Asks the shell for its common folders. On the systems this program was first written for
// the desktop and the Start Menu live below the Windows directory and the shell answers with
// those very paths; on Windows NT and later they live elsewhere (C:\ProgramData\...), where
// the shell shows them. A folder the shell does not know is the one below the Windows
// directory. Takes the platform; throws nothing.
ShortcutFolders GetShortcutFolders(platform::Platform& platform);

}  // namespace zuv::wizard
