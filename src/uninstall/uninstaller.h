// The uninstaller's logic (uninstaller.exe): its command line, which installation to remove,
// the question, the undo of every journal with a gauge, the closing account of what was
// removed and what was kept, the log of the run and the exit code. The Win32 program
// (src/ui/uninstaller) shows a `UninstallView` and does the process work (running from a
// temporary copy, deleting that copy at the end).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/install_log.h"
#include "platform/platform.h"
#include "uninstall/undo.h"

namespace zuv::uninstall {

extern const char* const kRemoveQuestion;   // "Remove %s and all of its components?"
extern const char* const kRemovedMessage;   // "%s was removed from your computer."
extern const char* const kNotAllRemovedMessage;  // "%s could not be removed completely."
extern const char* const kNothingToRemove;  // no uninstall.cfg beside the program
extern const char* const kUninstallStatus;  // the status line while the undo runs
// The message box that /? and /HELP show.
extern const char* const kUninstallSwitchesHelp;
// The message box naming an argument that is no switch of ours.
std::string UnknownUninstallSwitchMessage(const std::string& argument);

// What the window shows while the uninstaller works.
class UninstallView {
public:
    virtual ~UninstallView() = default;
    // Shows the window with the product's title (not called for a silent run).
    virtual void Show(const std::string& title) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    // The gauge: `done` of `total` entries undone.
    virtual void SetProgress(int done, int total) = 0;
};

// The command line. Switches, in any case and order: "/S" runs without any window, answering
// Yes; "/LOG=<path>" names the log; "/?" or "/HELP" lists the switches. The program's own:
// "/D=<dir>" names the install directory and "/P=<path>" the program the temporary copy
// stands in for ("/W=<id>", an earlier version's, is skipped). Every other word that starts
// with "/" is unknown; the rest is the title that the registration passes, which is only
// shown until the record is read. Without /D= the directory is the program's own,
// `programDir`.
struct UninstallOptions {
    std::string installDir;
    bool silent = false;
    bool help = false;
    std::string log;       // /LOG=, quotes removed; empty: the temporary folder
    std::string starter;   // /P=: set only in the temporary copy
    std::vector<std::string> unknown;
    std::string title;
    bool Bad() const { return !unknown.empty(); }
};

// Splits the raw command line (program name first) by the setup program's rules: quotes group
// and are removed, a backslash is an ordinary character, and an unquoted /LOG= path takes the
// following words that do not start with "/" (so /LOG=C:\My Logs\u.log names one file).
// Throws nothing.
UninstallOptions ParseUninstallCommandLine(const std::string& commandLine, const std::string& programDir);

// The arguments the temporary copy is started with: the install directory, the program it
// stands in for (`starter`), and the switches and title as parsed, each quoted.
std::string CopyArguments(const UninstallOptions& options, const std::string& starter);

// True when the undo kept something because it could not be removed (in use, refused): the
// run failed. Things the user added or changed are kept on purpose and are no failure.
bool Incomplete(const TUndo& undo);

// Exit codes of the program, the ones deployment tools understand.
enum UninstallResult : int {
    kRemoved = 0,       // removed; things of the user's that were kept are listed
    kHelpShown = 0,     // /? or /HELP
    kDeclined = 1602,   // the user answered No
    kFailed = 1603,     // no uninstall record, the undo stopped, or something could not be removed
    kBadCommandLine = 1639,
};

class TUninstaller {
public:
    // `view` may be null for a silent run.
    TUninstaller(platform::Platform& platform, UninstallView* view);

    // Removes the installation whose uninstall.cfg lies in `options.installDir`: asks first
    // (unless silent), undoes every journal (TUndo::UndoAll) and ends with the account (unless
    // silent). Every step goes to the log: at `options.log`, else in the temporary folder as
    // "ZUV Setup <title> <yyyy-mm-dd hh-mm-ss>.log" (the install directory goes away).
    // Returns the exit code; throws nothing.
    UninstallResult Run(const UninstallOptions& options);

    // Called after the Yes, before anything is undone (the program moves its running starter
    // out of the install directory here; it may write to Log()).
    std::function<void()> BeforeUndo;

    // The title from the record ("Program", "Title"), read by Run.
    const std::string& Title() const { return title_; }
    // The closing account: the removal, the counts, and what was kept and why.
    std::string Report(const TUndo& undo) const;
    common::TInstallLog& Log() { return log_; }

private:
    void OpenLog(const UninstallOptions& options);
    UninstallResult Finish(UninstallResult result, const char* name);
    UninstallResult Remove(const UninstallOptions& options, const std::string& record);

    platform::Platform& platform_;
    UninstallView* view_;
    std::string title_;
    common::TInstallLog log_;
};

}  // namespace zuv::uninstall
