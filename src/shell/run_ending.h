// How a run of the setup program ended, and the process exit code that says so to the
// deployment tools that start it (the codes Windows Installer uses).
#pragma once

namespace zuv::shell {

enum class RunEnding {
    kInstalled,         // 0
    kRestartNeeded,     // 3010: installed; the restart it needs was not done
    kCancelled,         // 1602: cancelled or declined by the user, at any stage
    kFailed,            // 1603: the start, the preparation or the installation failed
    kBadCommandLine,    // 1639
    kHelpShown,         // 0: /? or /HELP
};

// What the run came to, as the shell knows it at its close.
struct RunFacts {
    bool badCommandLine = false;
    bool helpShown = false;
    bool startFailed = false;        // parameter 1 could not be entered
    bool preparationFailed = false;  // the expansion failed (not by the user's abort)
    bool cancelled = false;          // the shell's Cancelled flag
    bool installFinished = false;    // the install engine ran to its end
    bool installIncomplete = false;  // some file not installed, or the engine stopped
    bool restartChosen = false;      // the end-of-setup choice is the restart
    bool restartDone = false;        // the restart was asked of Windows and accepted
};

// The first that applies: a bad command line, the help, a failed start or preparation, a
// cancellation, an installation that did not finish or left files out (failed), a restart
// chosen but not done (restart needed), else installed.
RunEnding DecideEnding(const RunFacts& facts);

int ExitCode(RunEnding ending);
// A short name for the log ("installed", "cancelled", ...).
const char* EndingName(RunEnding ending);

}  // namespace zuv::shell
