// The engine's system entries: INI values, registry values, the AUTOEXEC.BAT block and the
// uninstaller's registration.
#include "common/exception.h"
#include "common/routines.h"
#include "wizard/install_engine.h"
#include "wizard/text_lines.h"

namespace zuv::wizard {

using common::SplitAtChar;
using common::Upper;

namespace {

// Bounds the tag replacement of an AUTOEXEC.BAT line: a directory whose path names its own
// tag would otherwise be replaced forever.
constexpr int kMaxAutoexecPasses = 64;

// A key path as the registry takes it from its root: no leading or trailing "\".
std::string RootedKeyPath(std::string path) {
    size_t begin = path.find_first_not_of('\\');
    if (begin == std::string::npos) return {};
    path.erase(0, begin);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool ReplaceFirst(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) return false;
    size_t at = text.find(what);
    if (at == std::string::npos) return false;
    text.replace(at, what.size(), with);
    return true;
}

}  // namespace

void TInstallEngine::WriteIniAndRegistry() {
    std::vector<std::string>& list = script_.IniSetupList;
    // Expansion pass: a value or target that begins with a directory tag gets its directory.
    for (size_t i = 0; i < dirTags_.size(); ++i) {
        for (std::string& line : list) {
            std::string entry = line;
            std::string target = SplitAtChar(entry, '~');
            std::string section = SplitAtChar(entry, '~');
            std::string key = SplitAtChar(entry, '~');
            std::string value = entry;
            for (std::string* field : {&value, &target}) {
                size_t gt = field->find('>');
                if (gt == std::string::npos) continue;
                if (Upper(field->substr(0, gt + 1)) == dirTags_[i])
                    *field = dirPaths_[i] + "\\" + field->substr(gt + 1);
            }
            platform_.ProcessMessages();
            line = target + "~" + section + "~" + key + "~" + value;
        }
    }
    // Writing pass.
    for (const std::string& line : list) {
        std::string entry = line;
        std::string target = SplitAtChar(entry, '~');
        std::string section = SplitAtChar(entry, '~');
        std::string key = SplitAtChar(entry, '~');
        std::string value = entry;
        if (Upper(target).find(".INI") != std::string::npos) {
            Step();
            const std::string file =
                target.find('\\') != std::string::npos ? target : windowsDir_ + "\\" + target;
            RecordKey("UNINS", file);
            if (!journal_.WriteIni(file, section, key, value))
                throw common::EInOutError(common::Format("Unable to write to %s", file));
            state_.Log.Write("INI value " + file + " [" + section + "] " + key + "=" + value);
        } else {
            Step();
            WriteRegistryEntry(target, section, key, value);
        }
    }
}

void TInstallEngine::WriteRegistryEntry(const std::string& targetIn, const std::string& sectionIn,
                                        const std::string& key, const std::string& value) {
    std::string target = targetIn;
    std::string section = sectionIn;
    if (!section.empty() && section.back() == '\\') section.pop_back();
    if ((target.empty() || target.back() != '\\') && (section.empty() || section.front() != '\\'))
        section = "\\" + section;
    RecordKey("Registry", target);

    platform::RegRoot root = platform::RegRoot::kCurrentUser;
    const std::string upper = Upper(target);
    if (upper.compare(0, 5, "HKEY_") == 0) {
        if (upper.find("HKEY_LOCAL_MACHINE") != std::string::npos) root = platform::RegRoot::kLocalMachine;
        size_t slash = target.find('\\');
        if (slash != std::string::npos) target.erase(0, slash + 1);
    }
    // The target is opened (and made) under the current user first, whatever the root.
    const std::string userKey = RootedKeyPath(target);
    if (!userKey.empty()) journal_.RegCreateKey(platform::RegRoot::kCurrentUser, userKey);

    const std::string keyPath = RootedKeyPath(target + section);
    if (!journal_.RegCreateKey(root, keyPath))
        throw common::Exception(common::Format("Failed to create key %s", target + section));
    SetRegistryString(root, keyPath, key, value);
}

void TInstallEngine::SetRegistryString(platform::RegRoot root, const std::string& rootedKey, const std::string& name,
                                       const std::string& value) {
    if (!journal_.RegSetString(root, rootedKey, name, value))
        throw common::Exception(common::Format("Failed to set data for '%s'", name));
    state_.Log.Write(std::string("Registry value ") +
                     (root == platform::RegRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                     rootedKey + " " + name + "=" + value);
}

void TInstallEngine::UpdateAutoexec() {
    Status("Copying Old Autoexec.bat to Autoexec.zuv");
    const std::string batch = state_.SystemRoot + "autoexec.bat";
    const std::string backup = state_.SystemRoot + "autoexec.zuv";
    if (!ReadTextLines(platform_, batch, autoexec_))
        throw common::EInOutError(common::Format("Cannot open file %s", batch));
    journal_.BeforeFile(backup);
    const bool backedUp = WriteTextLines(platform_, backup, autoexec_);
    journal_.AfterFile(backup);
    if (!backedUp) throw common::EInOutError(common::Format("Cannot create file %s", backup));
    const size_t kept = autoexec_.size();
    BuildAutoexecBlock(autoexec_);
    Status("Updating Autoexec.bat file");
    // The journal keeps the exact lines appended, so that they alone can be taken out again.
    journal_.BeforeBatch(batch, std::vector<std::string>(autoexec_.begin() + static_cast<long>(kept), autoexec_.end()));
    const bool written = WriteTextLines(platform_, batch, autoexec_);
    journal_.AfterBatch(batch);
    if (!written) throw common::EInOutError(common::Format("Cannot create file %s", batch));
    state_.Log.Write("AUTOEXEC.BAT saved as " + backup);
    for (size_t k = kept; k < autoexec_.size(); ++k) state_.Log.Write("AUTOEXEC.BAT line added: " + autoexec_[k]);
}

void TInstallEngine::BuildAutoexecBlock(std::vector<std::string>& lines) {
    lines.push_back("REM - Starting Tolvane Update");
    for (const std::string& line : script_.AutoexecList) {
        std::string u = Upper(line);
        if (u.find("COPY ") != std::string::npos) u.insert(u.find("COPY") + 4, "/Y");
        if (u.find('<') != std::string::npos) {
            bool replaced = true;
            for (int pass = 0; replaced && pass < kMaxAutoexecPasses; ++pass) {
                replaced = ReplaceFirst(u, "<ROOT>", state_.SystemRoot);
                for (size_t k = 0; k < dirTags_.size(); ++k) {
                    if (dirTags_[k].empty() || u.find(dirTags_[k]) == std::string::npos) continue;
                    replaced |= ReplaceFirst(u, dirTags_[k], common::GetShortName(platform_, dirPaths_[k]));
                }
            }
        }
        lines.push_back(u);
    }
    lines.push_back("REM - End of Tolvane");
}

void TInstallEngine::RegisterUninstaller() {
    const std::string uninstaller = destinationDir_ + "\\uninstaller.exe";
    if (!common::FileExists(platform_, uninstaller)) {
        state_.Log.Write("No " + uninstaller + ": the uninstaller is not registered");
        return;
    }
    const std::string& title = script_.Header.text;
    const std::string keyPath = "\\Software\\Microsoft\\Windows\\currentversion\\uninstall\\" + title;
    const std::string rooted = RootedKeyPath(keyPath);
    const auto root = platform::RegRoot::kLocalMachine;
    if (!journal_.RegCreateKey(root, rooted))
        throw common::Exception(common::Format("Failed to create key %s", keyPath));
    // The program path is quoted: unquoted, a path with blanks ("C:\Program Files\...") lets
    // Windows try "C:\Program.exe" first.
    const std::string quoted = "\"" + uninstaller + "\"";
    SetRegistryString(root, rooted, "DisplayName", title);
    SetRegistryString(root, rooted, "UninstallString", quoted + " " + title);
    SetRegistryString(root, rooted, "QuietUninstallString", quoted + " /S");
    // The installed program's icon when there is one, else the uninstaller's.
    const std::string& program = script_.LaunchProgram;
    SetRegistryString(root, rooted, "DisplayIcon",
                      !program.empty() && common::FileExists(platform_, program) ? program : uninstaller);
    SetRegistryString(root, rooted, "InstallLocation", destinationDir_);
    const auto setDword = [&](const char* name, uint32_t value) {
        if (!journal_.RegSetDword(root, rooted, name, value))
            throw common::Exception(common::Format("Failed to set data for '%s'", name));
    };
    setDword("EstimatedSize", static_cast<uint32_t>((installedBytes_ + 1023) / 1024));
    setDword("NoModify", 1);
    setDword("NoRepair", 1);
    state_.Log.Write("Uninstaller registered: HKEY_LOCAL_MACHINE\\" + rooted + " UninstallString=" + quoted + " " + title);
}

}  // namespace zuv::wizard
