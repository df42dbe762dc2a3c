// The install's space on each target drive, from the expanded files in the temporary directory.
#include "wizard/install_space.h"

#include "common/routines.h"
#include "wizard/install_engine.h"

namespace zuv::wizard {

using common::SplitAtChar;
using common::Upper;

const char* const kSpaceNeededStart = "Space needed: ";

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
    auto copyInto = [&](const std::string& dir, const std::string& name) {
        const uint64_t size = common::FileSize(platform, state.TempDir + "\\" + name);
        const uint64_t replaced = common::FileSize(platform, common::JoinPath(dir, name));
        add(dir, size > replaced ? size - replaced : 0);
    };

    const std::string windowsDir = common::GetWindowsDir(platform);
    std::vector<std::string> tags, dirs;
    for (const std::string& line : script.DirectoriesList) {
        std::string path = line;
        const std::string tag = Upper(SplitAtChar(path, '~'));
        if (path == line) path.clear();
        tags.push_back(tag);
        dirs.push_back(ResolveDirectoryTag(tag, path, windowsDir, state.SystemRoot, mainDir, mainDir));
    }
    copyInto(mainDir, "install.exe");
    copyInto(mainDir, "install.cfg");
    const std::vector<std::string>& files = minChecked ? script.WorkStationList : script.FilesList;
    for (size_t i = 0; i < tags.size(); ++i) {
        for (const std::string& line : files) {
            std::string entry = line;
            const std::string name = common::NamePart(SplitAtChar(entry, '~'));
            const std::string ftag = SplitAtChar(entry, '~');
            if (Upper(ftag) == tags[i]) copyInto(dirs[i], name);
        }
    }
    for (common::DriveSpace& space : plan) space.free = common::DriveFree(platform, space.drive);
    return plan;
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
