// The install's space on each target drive, from the expanded files in the temporary directory.
#include "wizard/install_space.h"

#include "common/routines.h"
#include "wizard/install_engine.h"

namespace zuv::wizard {

using common::SplitAtChar;
using common::Upper;

const char* const kSpaceNeededStart = "Space needed: ";

namespace {

// Every copy the file step will make, in its order: (directory, name). The setup program and
// its script come first, into the destination.
std::vector<std::pair<std::string, std::string>> PlannedCopies(platform::Platform& platform,
                                                               const shell::LoadedScript& script,
                                                               const shell::ShellState& state,
                                                               const std::string& mainDir, bool minChecked) {
    std::vector<std::pair<std::string, std::string>> copies;
    const std::string windowsDir = common::GetWindowsDir(platform);
    std::vector<std::string> tags, dirs;
    for (const std::string& line : script.DirectoriesList) {
        std::string path = line;
        const std::string tag = Upper(SplitAtChar(path, '~'));
        if (path == line) path.clear();
        tags.push_back(tag);
        dirs.push_back(ResolveDirectoryTag(tag, path, windowsDir, state.SystemRoot, mainDir, mainDir));
    }
    copies.emplace_back(mainDir, "install.exe");
    copies.emplace_back(mainDir, "install.cfg");
    const std::vector<std::string>& files = minChecked ? script.WorkStationList : script.FilesList;
    for (size_t i = 0; i < tags.size(); ++i) {
        for (const std::string& line : files) {
            std::string entry = line;
            const std::string name = common::NamePart(SplitAtChar(entry, '~'));
            const std::string ftag = SplitAtChar(entry, '~');
            if (Upper(ftag) == tags[i]) copies.emplace_back(dirs[i], name);
        }
    }
    return copies;
}

}  // namespace

std::vector<common::DriveSpace> PlanInstallSpace(platform::Platform& platform, const shell::LoadedScript& script,
                                                 const shell::ShellState& state, const std::string& mainDir,
                                                 bool minChecked) {
    std::vector<common::DriveSpace> plan;
    if (!TInstallEngine::HasInstallDirEntry(script)) return plan;
    auto add = [&](const std::string& dir, uint64_t bytes) {
        const std::string drive = common::DriveOf(platform, dir);
        for (common::DriveSpace& space : plan)
            if (Upper(space.drive) == Upper(drive)) {
                space.needed += bytes;
                return;
            }
        common::DriveSpace space;
        space.drive = drive;
        space.needed = bytes;
        plan.push_back(space);
    };
    // A file that replaces one of the same name gives that file's space back.
    for (const auto& [dir, name] : PlannedCopies(platform, script, state, mainDir, minChecked)) {
        const uint64_t size = common::FileSize(platform, state.TempDir + "\\" + name);
        const uint64_t replaced = common::FileSize(platform, common::JoinPath(dir, name));
        add(dir, size > replaced ? size - replaced : 0);
    }
    for (common::DriveSpace& space : plan) space.free = common::DriveFree(platform, space.drive);
    return plan;
}

std::string FirstTooLongPath(platform::Platform& platform, const shell::LoadedScript& script,
                             const shell::ShellState& state, const std::string& mainDir, bool minChecked,
                             size_t limit) {
    if (limit == 0 || !TInstallEngine::HasInstallDirEntry(script)) return std::string();
    std::vector<std::string> paths = {common::JoinPath(mainDir, "uninstall.cfg")};
    for (const auto& [dir, name] : PlannedCopies(platform, script, state, mainDir, minChecked))
        paths.push_back(common::JoinPath(dir, name));
    for (const std::string& path : paths)
        if (platform.FullPath(path).size() > limit) return path;
    return std::string();
}

std::string PathTooLongMessage(const std::string& path, size_t limit) {
    return "This path is " + std::to_string(path.size()) + " characters long:\r" + path +
           "\rThis system accepts paths of at most " + std::to_string(limit) +
           " characters.\r\rChoose a shorter destination directory.";
}

std::string SpaceNeededLine(const std::vector<common::DriveSpace>& plan) {
    if (plan.empty()) return std::string();
    std::string line = kSpaceNeededStart;
    for (size_t k = 0; k < plan.size(); ++k) {
        if (k) line += ", ";
        line += common::FormatSpace(plan[k].needed, true) + " on " + plan[k].drive;
    }
    return line;
}

const common::DriveSpace* FirstShortDrive(const std::vector<common::DriveSpace>& plan) {
    for (const common::DriveSpace& space : plan)
        if (!space.Fits()) return &space;
    return nullptr;
}

}  // namespace zuv::wizard
