// The install engine `RunInstall`: directory tags, directories, the file copy with its
// overwrite question, shortcuts, INI and registry entries, AUTOEXEC.BAT, the uninstall record,
// the uninstaller's registration and the launch of the installed program.
//
// One synchronous run over the platform, the loaded script (LaunchProgram and IniSetupList
// are rewritten), the shell state and the wizard's view (status lines, progress). An error
// that no step catches ends the run at that point: it is shown in an error box and nothing
// done so far is undone.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/script.h"
#include "shell/shell_state.h"
#include "uninstall/journal.h"
#include "wizard/shortcuts.h"
#include "wizard/wizard_view.h"

namespace zuv::wizard {

// What the engine takes from the wizard's controls when Install is pressed.
struct InstallChoices {
    std::string mainDir;              // `Main_Dir` text
    bool minChecked = false;          // `min`: install the workstation list
    bool radioButton1Checked = false;  // launch the program at the end
    std::vector<std::string> dkItems;  // `DK` items and their checks
    std::vector<bool> dkChecked;
    std::vector<std::string> smItems;  // `SM` items and their checks
    std::vector<bool> smChecked;
};

// The message box texts of the run.
extern const char* const kOverwriteQuestionStart;  // "File Already Exists ("
extern const char* const kOverwriteQuestionEnd;    // "). Overwrite?"
extern const char* const kNotInstalledMessage;     // heads the list of files not installed
// Shown instead of a run when the script has no <INSTALLDIR> directory entry.
extern const char* const kNoInstallDirMessage;

class TInstallEngine {
public:
    TInstallEngine(platform::Platform& platform, shell::LoadedScript& script, shell::ShellState& state,
                   WizardView& view, TShortcuts& shortcuts, InstallChoices choices);

    // True when the script has a directory entry tagged <INSTALLDIR> (any case): without one
    // there is no destination and no uninstall record, and the engine refuses to run.
    static bool HasInstallDirEntry(const shell::LoadedScript& script);

    // Runs steps 1 to 16. Returns true when the run reached its end (the wizard was closed);
    // false when it was refused or stopped on an error, which has then been shown.
    bool RunInstall();

    // True when NameUsedElsewhere(name, index): an entry of the active file list other than
    // the one at `index` contains `name`, compared in upper case over the whole entry.
    bool NameUsedElsewhere(const std::string& name, size_t index) const;

    // Appends the amended AUTOEXEC.BAT block to `lines`.
    void BuildAutoexecBlock(std::vector<std::string>& lines);

    // ---- the run's working state, readable afterwards ---------------------------------
    const std::string& WindowsDir() const { return windowsDir_; }
    const std::string& DestinationDir() const { return destinationDir_; }
    const std::vector<std::string>& DirTagList() const { return dirTags_; }
    const std::vector<std::string>& DirPathList() const { return dirPaths_; }
    // Files the file step could not install (directory + "\" + name), in run order.
    const std::vector<std::string>& NotInstalled() const { return notInstalled_; }
    bool InstallIncomplete() const { return !notInstalled_.empty() || stopped_; }
    // True when an error ended the run before its end.
    bool Stopped() const { return stopped_; }
    // The uninstall record, once the run has opened its journal there ("" before): what a
    // rollback undoes.
    std::string JournalRecord() const { return journal_.IsOpen() ? journal_.Record() : std::string(); }

private:
    void Status(const std::string& text);
    void Step();
    void RecordKey(const std::string& section, const std::string& key);
    std::string UninstallFile() const;

    void PrepareWindow();                 // step 1
    void ResolveDirectories();            // steps 5 and 6
    std::string ResolveTag(const std::string& tag, const std::string& path) const;
    void OpenUninstallRecord();           // step 6.3
    void CopySetupFiles();                // step 8
    void InstallFiles();                  // step 9
    void CreateShortcuts();               // step 10 (shortcuts.cpp)
    void WriteIniAndRegistry();           // step 11 (system_entries.cpp)
    void WriteRegistryEntry(const std::string& target, const std::string& section,
                            const std::string& key, const std::string& value);
    void UpdateAutoexec();                // step 12
    void RegisterUninstaller();           // step 14
    void LaunchStep();                    // step 15 (finish.cpp)
    void ReportNotInstalled();
    // Logs a file that has been installed at `target`, with its size.
    void LogInstalled(const std::string& target, const std::string& note);
    void CopyOneFile(const std::string& source, const std::string& dir, const std::string& target);
    void SetRegistryString(platform::RegRoot root, const std::string& rootedKey, const std::string& name,
                           const std::string& value);

    platform::Platform& platform_;
    shell::LoadedScript& script_;
    shell::ShellState& state_;
    WizardView& view_;
    TShortcuts& shortcuts_;
    InstallChoices choices_;

    std::string windowsDir_;
    std::string destinationDir_;
    std::vector<std::string> dirTags_;
    std::vector<std::string> dirPaths_;
    std::vector<std::string> autoexec_;
    const std::vector<std::string>* activeFiles_ = nullptr;
    bool recordOpen_ = false;
    int position_ = 0;
    std::vector<std::string> notInstalled_;
    bool stopped_ = false;
    uninstall::TJournal journal_;
    uint64_t installedBytes_ = 0;
};

// The directory a [Directories] entry resolves to: `tag` upper-cased, `path` the rest of the
// entry, `mainDir` the `Main_Dir` text, `destinationDir` the <INSTALLDIR> directory so far.
// The engine and the disk-space check resolve through this one function. Throws nothing.
std::string ResolveDirectoryTag(const std::string& tag, const std::string& path, const std::string& windowsDir,
                                const std::string& systemRoot, const std::string& mainDir,
                                const std::string& destinationDir);

// `LaunchFile`: opens `file` through the shell with the default verb. The strings are
// handed over whole (never cut); the result is not examined.
void LaunchFile(platform::Platform& platform, const std::string& file, const std::string& parameters,
                const std::string& directory, int show);

}  // namespace zuv::wizard
