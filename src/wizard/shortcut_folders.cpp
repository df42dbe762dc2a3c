// The shell's common folders for shortcuts, with the folders below the Windows directory as
// their fall-back.
#include "wizard/shortcut_folders.h"

#include "common/routines.h"

namespace zuv::wizard {

namespace {

std::string AskShell(platform::Platform& platform, platform::ShellFolder folder, const std::string& fallback) {
    std::string path = platform.ShellFolderPath(folder);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path.empty() ? fallback : path;
}

}  // namespace

ShortcutFolders GetShortcutFolders(platform::Platform& platform) {
    const std::string windows = common::GetWindowsDir(platform);
    ShortcutFolders folders;
    folders.desktop = AskShell(platform, platform::ShellFolder::kCommonDesktop, windows + "\\Desktop");
    folders.startMenu = AskShell(platform, platform::ShellFolder::kCommonStartMenu, windows + "\\Start Menu");
    folders.programs =
        AskShell(platform, platform::ShellFolder::kCommonPrograms, windows + "\\Start Menu\\Programs");
    return folders;
}

}  // namespace zuv::wizard
