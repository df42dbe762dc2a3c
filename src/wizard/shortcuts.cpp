#include "wizard/shortcuts.h"

#include "common/routines.h"
#include "wizard/install_engine.h"
#include "wizard/shortcut_folders.h"

namespace zuv::wizard {

using common::SplitAtChar;
using common::Upper;

TShortcuts::TShortcuts(platform::Platform& platform) : platform_(platform) { ScanFolderList(); }

void TShortcuts::ScanFolderList() {
    FolderList.clear();
    const std::string programs = GetShortcutFolders(platform_).programs + "\\";
    for (const platform::FindEntry& entry : platform_.FindFiles(programs + "*.*")) {
        if (entry.name.empty() || entry.name[0] == '.') continue;
        if (Upper(entry.name).find(".LNK") != std::string::npos) continue;
        FolderList.push_back(common::NamePart(entry.name));
    }
}

void TShortcuts::CreateShortcut() {
    const ShortcutFolders bases = GetShortcutFolders(platform_);
    platform::ShellLink link;
    link.target = RunProgram;
    link.workingDir = common::DirPart(RunProgram);
    link.iconPath = IconFile;
    link.iconIndex = 0;
    auto save = [&](const std::string& file) {
        link.linkFile = file;
        if (OnBeforeSave) OnBeforeSave(file);
        const bool saved = platform_.CreateShellLink(link);
        if (OnAfterSave) OnAfterSave(file);
        if (!saved) throw EShortcutError(common::Format("Unable to save shortcut %s", file));
    };
    auto saveInFolder = [&](const std::string& base) {
        const std::string dir = base + "\\" + Folder + "\\";
        if (!common::DirectoryExists(platform_, dir)) {
            if (OnMakeFolder)
                OnMakeFolder(dir);
            else
                common::CreateDirPath(platform_, dir);
        }
        save(dir + ProgramName + ".lnk");
    };
    if (FolderDesktop || FolderStartMenu) {
        if (FolderDesktop) {
            saveInFolder(bases.desktop);
            saveInFolder(bases.programs);
        }
        if (FolderStartMenu) saveInFolder(bases.startMenu);
    } else {
        saveInFolder(bases.programs);
    }
    if (Desktop) save(bases.desktop + "\\" + ProgramName + ".lnk");
    if (StartMenu) save(bases.startMenu + "\\" + ProgramName + ".lnk");
}

namespace {

// True when some item of a check list with exactly this text is checked.
bool ItemChecked(const std::vector<std::string>& items, const std::vector<bool>& checked, const std::string& caption) {
    for (size_t k = 0; k < items.size() && k < checked.size(); ++k)
        if (items[k] == caption && checked[k]) return true;
    return false;
}

}  // namespace

// The engine's shortcut step: every DesktopList entry whose target names a directory entry,
// grouped by directory order; the uninstall record first, then the .lnk files. The record
// names the folders the shell shows, the ones the .lnk files are saved in.
void TInstallEngine::CreateShortcuts() {
    const ShortcutFolders bases = GetShortcutFolders(platform_);
    const std::string& desktop = bases.desktop;
    const std::string& startMenu = bases.startMenu;
    const std::string& programs = bases.programs;
    // Folders and .lnk files go through the journal while the step runs.
    shortcuts_.OnMakeFolder = [this](const std::string& dir) { journal_.MakeDirPath(dir); };
    shortcuts_.OnBeforeSave = [this](const std::string& file) { journal_.BeforeFile(file); };
    shortcuts_.OnAfterSave = [this](const std::string& file) { journal_.AfterFile(file); };
    struct Unhook {
        TShortcuts& s;
        ~Unhook() { s.OnMakeFolder = nullptr, s.OnBeforeSave = nullptr, s.OnAfterSave = nullptr; }
    } unhook{shortcuts_};
    for (size_t i = 0; i < dirTags_.size(); ++i) {
        for (const std::string& line : script_.DesktopList) {
            std::string entry = line;
            const std::string caption = SplitAtChar(entry, '~');
            const std::string target = SplitAtChar(entry, '~');
            const std::string desktopMark = SplitAtChar(entry, '~');
            const std::string menuMark = SplitAtChar(entry, '~');
            const std::string icon = SplitAtChar(entry, '~');
            const std::string folder = SplitAtChar(entry, '~');
            size_t gt = target.find('>');
            const std::string targetTag = gt == std::string::npos ? std::string() : Upper(target.substr(0, gt + 1));
            const std::string targetFile = gt == std::string::npos ? target : target.substr(gt + 1);
            size_t igt = icon.find('>');
            const std::string iconFile = igt == std::string::npos ? icon : icon.substr(igt + 1);
            if (targetTag != dirTags_[i]) continue;

            view_.SetLabelCaption(Label::kDest, folder);
            Step();
            platform_.ProcessMessages();

            shortcuts_.Folder = folder;
            shortcuts_.ProgramName = caption;
            shortcuts_.RunProgram = dirPaths_[i] + "\\" + targetFile;
            shortcuts_.IconFile = dirPaths_[i] + "\\" + iconFile;
            shortcuts_.Desktop = desktopMark == "X" && ItemChecked(choices_.dkItems, choices_.dkChecked, caption);
            shortcuts_.StartMenu = menuMark == "X" && ItemChecked(choices_.smItems, choices_.smChecked, caption);

            if (shortcuts_.FolderDesktop) {
                RecordKey("Folders", desktop + "\\" + folder);
                RecordKey("UNINS", desktop + "\\" + folder + "\\" + caption + ".*");
            }
            if (shortcuts_.Desktop) RecordKey("UNINS", desktop + "\\" + caption + ".*");
            if (shortcuts_.StartMenu) RecordKey("UNINS", startMenu + "\\" + caption + ".*");
            if (shortcuts_.FolderStartMenu) {
                RecordKey("Folders", startMenu + "\\" + folder);
                RecordKey("UNINS", startMenu + "\\" + folder + "\\" + caption + ".*");
            }
            RecordKey("Folders", programs + "\\" + folder);
            RecordKey("UNINS", programs + "\\" + folder + "\\" + caption + ".*");

            try {
                shortcuts_.CreateShortcut();
                state_.Log.Write("Shortcut \"" + caption + "\" to " + shortcuts_.RunProgram + " in folder \"" + folder +
                                 "\"" + (shortcuts_.Desktop ? ", on the desktop" : "") +
                                 (shortcuts_.StartMenu ? ", in the start menu" : ""));
            } catch (const uninstall::EJournalError&) {
                throw;  // an unrecorded shortcut would outlive its product
            } catch (const std::exception& e) {
                // A shortcut that cannot be saved does not stop the install.
                state_.Log.Error("Shortcut \"" + caption + "\": " + e.what(), platform_.LastError());
            }
        }
    }
}

}  // namespace zuv::wizard
