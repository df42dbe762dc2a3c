// The space an installation needs on each drive it copies to, known before anything is
// changed: the wizard shows it on the ready page and checks it when Install is pressed.
#pragma once

#include <string>
#include <vector>

#include "common/disk_space.h"
#include "platform/platform.h"
#include "shell/script.h"
#include "shell/shell_state.h"

namespace zuv::wizard {

// The line the ready page's summary gains; it begins with this text.
extern const char* const kSpaceNeededStart;  // "Space needed: "

// For every drive the file step will copy to, in the order first met: the total expanded size
// of the files it copies there (their sizes in `TempDir`), with the setup program and its
// script on the destination's drive, less the size of files it replaces; and the drive's free
// space. Directories are resolved as the engine resolves them, with `mainDir` as the
// destination; `minChecked` picks the workstation list. Takes the platform, the script and
// the shell state; throws nothing. Empty when the script names no <INSTALLDIR>.
std::vector<common::DriveSpace> PlanInstallSpace(platform::Platform& platform, const shell::LoadedScript& script,
                                                 const shell::ShellState& state, const std::string& mainDir,
                                                 bool minChecked);

// The first path the install would write (directories, files, the uninstall record) that is
// longer than `limit` characters, or empty when all fit or `limit` is 0. Takes the same
// inputs as PlanInstallSpace; throws nothing.
std::string FirstTooLongPath(platform::Platform& platform, const shell::LoadedScript& script,
                             const shell::ShellState& state, const std::string& mainDir, bool minChecked,
                             size_t limit);

// The message for such a path: the path, its length, the limit and what to do.
std::string PathTooLongMessage(const std::string& path, size_t limit);

// "Space needed: 3.4 MB on C:" (drives joined by ", "); empty for an empty plan.
std::string SpaceNeededLine(const std::vector<common::DriveSpace>& plan);

// The first drive of the plan that does not fit, or nullptr.
const common::DriveSpace* FirstShortDrive(const std::vector<common::DriveSpace>& plan);

}  // namespace zuv::wizard
