#include "wizard/install_engine.h"

#include "common/exception.h"
#include "common/routines.h"

namespace zuv::wizard {

using common::SplitAtChar;
using common::Upper;

const char* const kOverwriteQuestionStart = "File Already Exists (";
const char* const kOverwriteQuestionEnd = "). Overwrite?";
const char* const kNoInstallDirMessage =
    "This installation script names no install directory (no <INSTALLDIR> entry in its "
    "[Directories] section).\rSetup cannot install it; nothing has been changed.";

namespace {
const char* const kInstallDirTag = "<INSTALLDIR>";
}

TInstallEngine::TInstallEngine(platform::Platform& platform, shell::LoadedScript& script, shell::ShellState& state,
                               WizardView& view, TShortcuts& shortcuts, InstallChoices choices)
    : platform_(platform),
      script_(script),
      state_(state),
      view_(view),
      shortcuts_(shortcuts),
      choices_(std::move(choices)),
      journal_(platform) {}

bool TInstallEngine::HasInstallDirEntry(const shell::LoadedScript& script) {
    for (const std::string& line : script.DirectoriesList) {
        std::string entry = line;
        if (Upper(SplitAtChar(entry, '~')) == kInstallDirTag) return true;
    }
    return false;
}

void TInstallEngine::Status(const std::string& text) {
    view_.SetLabelCaption(Label::kSource, text);
    platform_.ProcessMessages();
}

void TInstallEngine::Step() { view_.SetProgressPosition(++position_); }

std::string TInstallEngine::UninstallFile() const { return destinationDir_ + "\\uninstall.cfg"; }

void TInstallEngine::RecordKey(const std::string& section, const std::string& key) {
    const std::string empty;
    if (!platform_.WriteProfileString(section, &key, &empty, UninstallFile()))
        throw common::EInOutError(common::Format("Unable to write to %s", UninstallFile()));
}

bool TInstallEngine::RunInstall() {
    // A script without a destination has nowhere to put the uninstall record: refuse it
    // before anything is changed.
    if (!HasInstallDirEntry(script_)) {
        state_.Log.Write("ERROR: the script has no <INSTALLDIR> entry; nothing installed");
        platform_.ShowMessage(kNoInstallDirMessage);
        stopped_ = true;
        return false;
    }
    try {
        PrepareWindow();
        dirTags_.clear();
        dirPaths_.clear();
        autoexec_.clear();
        const size_t total = script_.FilesList.size() + script_.DesktopList.size() + script_.IniSetupList.size() +
                             script_.WorkStationList.size();
        view_.SetProgressRange(0, static_cast<int>(total));
        position_ = 0;
        view_.SetProgressPosition(0);
        state_.Log.Write("Stage: installation into " + choices_.mainDir + " (" +
                         (choices_.minChecked ? "workstation" : "full") + " install)");
        Status("Preparing Directory Structure");
        ResolveDirectories();
        activeFiles_ = choices_.minChecked ? &script_.WorkStationList : &script_.FilesList;
        CopySetupFiles();
        InstallFiles();
        Status("Creating Icons and Folders");
        CreateShortcuts();
        if (!script_.IniSetupList.empty()) {
            Status("Processing Registry Entries / INI Creation");
            WriteIniAndRegistry();
        }
        autoexec_.clear();
        if (!script_.AutoexecList.empty()) UpdateAutoexec();
        autoexec_.clear();
        recordOpen_ = false;
        Status("Creating Uninstall Information");
        RegisterUninstaller();
        LaunchStep();
        ReportNotInstalled();
    } catch (const std::exception& e) {
        stopped_ = true;
        state_.Log.Error(std::string("Installation stopped: ") + e.what(), platform_.LastError());
        platform_.ShowError(e.what());
        return false;
    }
    platform_.ProcessMessages();
    view_.Close();
    return true;
}

void TInstallEngine::PrepareWindow() {
    windowsDir_ = common::GetWindowsDir(platform_);
    view_.SetButtonBarVisible(false);
    view_.SetWindowHeightAndTop(120, view_.BackgroundHeight() - 120 - 30);
    view_.Repaint();
    platform_.ProcessMessages();
}

std::string ResolveDirectoryTag(const std::string& tag, const std::string& path, const std::string& windowsDir,
                                const std::string& systemRoot, const std::string& mainDir,
                                const std::string& destinationDir) {
    auto has = [&tag](const char* part) { return tag.find(part) != std::string::npos; };
    if (tag == "<WINDOWS>") return windowsDir;
    if (tag == "<WINDOWS_SYSTEM>") return windowsDir + "\\System";
    if (tag == "<PROGRAMFILES>") return systemRoot + "Program Files";
    if (tag == kInstallDirTag) return mainDir;
    if (has("<SUB") && has("><")) {
        if (has("<WINDOWS>")) return windowsDir + "\\" + path;
        if (has("<PROGRAMFILES>")) return systemRoot + "Program Files\\" + path;
        if (has("<WINDOWS_SYSTEM>")) return windowsDir + "\\System\\" + path;
        if (has(kInstallDirTag)) return destinationDir + "\\" + path;
        return path;
    }
    if (has("<SUB")) return destinationDir + "\\" + path;
    return systemRoot + path;
}

std::string TInstallEngine::ResolveTag(const std::string& tag, const std::string& path) const {
    return ResolveDirectoryTag(tag, path, windowsDir_, state_.SystemRoot, choices_.mainDir, destinationDir_);
}

void TInstallEngine::ResolveDirectories() {
    // First pass: the destination is known to subdirectory entries listed before it.
    for (const std::string& line : script_.DirectoriesList) {
        std::string entry = line;
        if (Upper(SplitAtChar(entry, '~')) == kInstallDirTag) destinationDir_ = choices_.mainDir;
    }
    for (const std::string& line : script_.DirectoriesList) {
        std::string path = line;
        const std::string tag = Upper(SplitAtChar(path, '~'));
        if (path == line) path.clear();  // no "~": the entry has no path
        const std::string dir = ResolveTag(tag, path);
        const bool existed = common::DirectoryExists(platform_, dir);
        if (tag == kInstallDirTag) {
            destinationDir_ = dir;
            try {
                journal_.MakeDirPath(dir);
            } catch (const std::exception&) {
            }
            OpenUninstallRecord();
        }
        dirTags_.push_back(tag);
        dirPaths_.push_back(dir);
        try {
            journal_.MakeDirPath(dir);
        } catch (const uninstall::EJournalError&) {
            throw;  // a journal that cannot be written stops the run like the record itself
        } catch (const std::exception&) {
        }
        if (common::DirectoryExists(platform_, dir))
            state_.Log.Write("Directory " + tag + ": " + dir + (existed ? " (exists)" : " (created)"));
        else
            state_.Log.Error("Directory " + tag + ": " + dir + " could not be created", platform_.LastError());
        // <INSTALLDIR>APP\RUN.EXE becomes the program's full path. An empty tag would match
        // every program name, so it rewrites nothing.
        if (!tag.empty() && Upper(script_.LaunchProgram).find(tag) != std::string::npos) {
            const std::string& launch = script_.LaunchProgram;
            std::string rest = launch.size() > tag.size() ? launch.substr(tag.size()) : std::string();
            script_.LaunchProgram = dir + "\\" + rest;
        }
    }
}

void TInstallEngine::OpenUninstallRecord() {
    const std::string file = UninstallFile();
    for (const char* section : {"UNINS", "Folders", "Registry"})
        platform_.WriteProfileString(section, nullptr, nullptr, file);
    const std::string title = "Title";
    if (!platform_.WriteProfileString("Program", &title, &script_.Header.text, file))
        throw common::EInOutError(common::Format("Unable to write to %s", file));
    recordOpen_ = true;
    state_.Log.Write("Uninstall record: " + file);
    RecordKey("UNINS", destinationDir_ + "\\*.*");
    RecordKey("UNINS", destinationDir_ + "\\Setup\\*.*");
    // The journal of this installation follows the record's own sections.
    journal_.Open(file);
    // The log goes on in the install directory too, where the uninstaller can add to it.
    const std::string setupDir = destinationDir_ + "\\Setup";
    journal_.MakeDirPath(setupDir);  // journaled, so that an undo removes it again
    if (state_.Log.AddCopy(setupDir + "\\install.log"))
        state_.Log.Write("Log copy: " + setupDir + "\\install.log");
    else
        state_.Log.Error("Unable to create the log copy " + setupDir + "\\install.log", platform_.LastError());
}

void TInstallEngine::CopySetupFiles() {
    for (const char* name : {"install.exe", "install.cfg"}) {
        const std::string target = common::JoinPath(destinationDir_, name);
        CopyOneFile(state_.TempDir + "\\" + name, destinationDir_, target);
        LogInstalled(target, "");
    }
}

// CopyFileInto with the file journaled before and after; its errors pass to the caller.
void TInstallEngine::CopyOneFile(const std::string& source, const std::string& dir, const std::string& target) {
    journal_.BeforeFile(target);
    try {
        common::CopyFileInto(platform_, source, dir);
    } catch (...) {
        journal_.AfterFile(target);
        throw;
    }
    installedBytes_ += journal_.AfterFile(target);
}

bool TInstallEngine::NameUsedElsewhere(const std::string& name, size_t index) const {
    if (!activeFiles_) return false;
    const std::string upperName = Upper(name);
    for (size_t k = 0; k < activeFiles_->size(); ++k) {
        if (k == index) continue;
        if (Upper((*activeFiles_)[k]).find(upperName) != std::string::npos) return true;
    }
    return false;
}

void TInstallEngine::LogInstalled(const std::string& target, const std::string& note) {
    uint64_t size = 0;
    for (const platform::FindEntry& entry : platform_.FindFiles(target)) size = entry.size;
    state_.Log.Write("Installed " + target + " (" + std::to_string(size) + " bytes" + note + ")");
}

void TInstallEngine::InstallFiles() {
    const std::vector<std::string>& files = *activeFiles_;
    for (size_t i = 0; i < dirTags_.size(); ++i) {
        Status("Ready to Install");
        for (size_t j = 0; j < files.size(); ++j) {
            std::string entry = files[j];
            const std::string name = common::NamePart(SplitAtChar(entry, '~'));
            const std::string ftag = SplitAtChar(entry, '~');
            const std::string mark = entry;
            platform_.ProcessMessages();
            if (Upper(ftag) != dirTags_[i]) continue;
            Step();
            view_.SetLabelCaption(Label::kSource, name);
            view_.SetLabelCaption(Label::kDest, dirPaths_[i]);
            platform_.ProcessMessages();
            const std::string target = common::JoinPath(dirPaths_[i], name);
            bool copy = true;
            std::string overwrite;
            if (platform_.GetAttributes(target) != platform::kInvalidAttributes) {
                overwrite = ", replacing the existing file";
                if (mark == "X") {
                    const std::string question = kOverwriteQuestionStart + name + kOverwriteQuestionEnd;
                    copy = platform_.Ask(question, "Confirm", platform::BoxIcon::kQuestion, {"&Yes", "&No"}) == 0;
                    overwrite = copy ? ", overwrite answered Yes" : "";
                    if (!copy) state_.Log.Write("Not installed: " + target + " exists, overwrite answered No");
                }
            }
            if (copy) {
                // A failed copy ends the sub-step before the delete: the temporary copy stays
                // for a later directory of the same tag.
                try {
                    CopyOneFile(state_.TempDir + "\\" + name, dirPaths_[i], target);
                    LogInstalled(target, overwrite);
                    if (!NameUsedElsewhere(name, j)) platform_.DeleteFile(state_.TempDir + "\\" + name);
                } catch (const uninstall::EJournalError&) {
                    throw;
                } catch (const std::exception& e) {
                    // The run goes on; the file is named in the report at the end.
                    state_.Log.Error("Not installed: " + target + ": " + e.what(), platform_.LastError());
                    notInstalled_.push_back(target);
                }
                platform_.ProcessMessages();
            }
            RecordKey("UNINS", dirPaths_[i] + "\\" + name);
        }
    }
}

}  // namespace zuv::wizard
