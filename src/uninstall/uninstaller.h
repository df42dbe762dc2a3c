// The uninstaller's logic (uninstaller.exe): which installation to remove, the question, the
// undo of every journal with a gauge, and the closing account of what was removed and what
// was kept. The Win32 program (src/ui/uninstaller) shows a `UninstallView` and does the
// process work (running from a temporary copy, deleting that copy at the end).
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "uninstall/undo.h"

namespace zuv::uninstall {

extern const char* const kRemoveQuestion;   // "Remove %s and all of its components?"
extern const char* const kRemovedMessage;   // "%s was removed from your computer."
extern const char* const kNothingToRemove;  // no uninstall.cfg beside the program
extern const char* const kUninstallStatus;  // the status line while the undo runs

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

// The command line: "/S" (any case) runs without any window, answering Yes; "/D=<dir>" names
// the install directory (given to the temporary copy); every other word belongs to the title
// that the registration passes, which is only shown ("/W=<id>" is the program's own and
// skipped). Without /D= the directory is the
// program's own, `programDir`.
struct UninstallOptions {
    std::string installDir;
    bool silent = false;
    std::string title;
};
UninstallOptions ParseUninstallParams(const std::vector<std::string>& params, const std::string& programDir);

// Exit codes of the program.
enum UninstallResult : int { kRemoved = 0, kNothingFound = 1, kDeclined = 2 };

class TUninstaller {
public:
    // `view` may be null for a silent run.
    TUninstaller(platform::Platform& platform, UninstallView* view);

    // Removes the installation whose uninstall.cfg lies in `options.installDir`: asks first
    // (unless silent), undoes every journal (TUndo::UndoAll) and ends with the account (unless
    // silent). Throws nothing that the undo does not.
    UninstallResult Run(const UninstallOptions& options);

    // The title from the record ("Program", "Title"), read by Run.
    const std::string& Title() const { return title_; }
    // The closing account: the removal, the counts, and what was kept and why.
    std::string Report(const TUndo& undo) const;

private:
    platform::Platform& platform_;
    UninstallView* view_;
    std::string title_;
};

}  // namespace zuv::uninstall
