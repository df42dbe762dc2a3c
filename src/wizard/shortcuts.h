// The shortcut writer TShortcuts: .lnk files for one program in its program folder, on the
// desktop and in the Start Menu, in the shell's folders for all users (GetShortcutFolders).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/exception.h"
#include "platform/platform.h"

namespace zuv::wizard {

// A shortcut file could not be saved (the shell-link object failed or the folder is missing).
class EShortcutError : public common::Exception {
public:
    using common::Exception::Exception;
};

class TShortcuts {
public:
    // Takes the platform (kept by reference for the component's life); creates FolderList and
    // fills it by ScanFolderList.
    explicit TShortcuts(platform::Platform& platform);

    // Full path of the program the shortcut starts.
    std::string RunProgram;
    // Name of the program folder that receives the shortcut.
    std::string Folder;
    // Shortcut caption; the file is ProgramName + ".lnk".
    std::string ProgramName;
    // Also a shortcut directly on the desktop / in the Start Menu's top level.
    bool Desktop = false;
    bool StartMenu = false;
    // The program folder on the desktop (and under Programs) / in the Start Menu's top level.
    bool FolderDesktop = false;
    bool FolderStartMenu = false;
    // Names of the existing program folders (ScanFolderList); nothing in the install uses it.
    std::vector<std::string> FolderList;
    // File that holds the shortcut's icon (index 0).
    std::string IconFile;

    // Events through which the install engine journals what the component makes: a missing
    // folder directory (when assigned, it makes the directory instead of CreateDirPath), and
    // each .lnk file before and after it is saved.
    std::function<void(const std::string& dir)> OnMakeFolder;
    std::function<void(const std::string& file)> OnBeforeSave;
    std::function<void(const std::string& file)> OnAfterSave;

    // Empties FolderList and adds every entry of the Programs folder whose name
    // does not begin with "." and does not contain ".LNK" in any case. Takes nothing,
    // returns nothing, throws nothing.
    void ScanFolderList();

    // Saves the .lnk files for the current properties, in this order: the folder on the
    // desktop and under Programs (FolderDesktop), the folder in the Start Menu (FolderStartMenu),
    // or else the folder under Programs alone; then the desktop file (Desktop) and the Start
    // Menu file (StartMenu). A missing folder directory is created with its parents; the
    // desktop and Start Menu directories themselves are not. Throws EShortcutError naming
    // the first file that could not be saved (the ones before it stay).
    void CreateShortcut();

private:
    platform::Platform& platform_;
};

}  // namespace zuv::wizard
