#include "shell/run_ending.h"

namespace zuv::shell {

RunEnding DecideEnding(const RunFacts& f) {
    if (f.badCommandLine) return RunEnding::kBadCommandLine;
    if (f.helpShown) return RunEnding::kHelpShown;
    if (f.startFailed || f.preparationFailed) return RunEnding::kFailed;
    if (f.cancelled) return RunEnding::kCancelled;
    if (!f.installFinished || f.installIncomplete) return RunEnding::kFailed;
    if (f.restartChosen && !f.restartDone) return RunEnding::kRestartNeeded;
    return RunEnding::kInstalled;
}

int ExitCode(RunEnding ending) {
    switch (ending) {
        case RunEnding::kInstalled:
        case RunEnding::kHelpShown:
            return 0;
        case RunEnding::kRestartNeeded:
            return 3010;
        case RunEnding::kCancelled:
            return 1602;
        case RunEnding::kFailed:
            return 1603;
        case RunEnding::kBadCommandLine:
            return 1639;
    }
    return 1603;
}

const char* EndingName(RunEnding ending) {
    switch (ending) {
        case RunEnding::kInstalled: return "installed";
        case RunEnding::kHelpShown: return "switches listed";
        case RunEnding::kRestartNeeded: return "installed, a restart is needed";
        case RunEnding::kCancelled: return "cancelled by the user";
        case RunEnding::kFailed: return "failed";
        case RunEnding::kBadCommandLine: return "bad command line";
    }
    return "failed";
}

}  // namespace zuv::shell
