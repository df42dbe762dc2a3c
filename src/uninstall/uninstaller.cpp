#include "uninstall/uninstaller.h"

#include "common/ini_reader.h"
#include "common/routines.h"

namespace zuv::uninstall {

const char* const kRemoveQuestion = "Remove %s and all of its components?";
const char* const kRemovedMessage = "%s was removed from your computer.";
const char* const kNothingToRemove =
    "Nothing to remove: there is no uninstall record (uninstall.cfg) in %s.";
const char* const kUninstallStatus = "Removing the installed files and settings...";

UninstallOptions ParseUninstallParams(const std::vector<std::string>& params, const std::string& programDir) {
    UninstallOptions options;
    options.installDir = common::WithoutBackslash(programDir);
    for (const std::string& p : params) {
        const std::string upper = common::Upper(p);
        if (upper == "/S") {
            options.silent = true;
        } else if (upper.compare(0, 3, "/D=") == 0) {
            options.installDir = common::WithoutBackslash(p.substr(3));
        } else if (upper.compare(0, 3, "/W=") == 0) {
            // The program's own: the process its temporary copy waits for.
        } else {
            options.title += (options.title.empty() ? "" : " ") + p;
        }
    }
    return options;
}

TUninstaller::TUninstaller(platform::Platform& platform, UninstallView* view) : platform_(platform), view_(view) {}

UninstallResult TUninstaller::Run(const UninstallOptions& options) {
    const std::string record = options.installDir + "\\uninstall.cfg";
    if (!common::FileExists(platform_, record)) {
        if (!options.silent) platform_.ShowMessage(common::Format(kNothingToRemove, options.installDir));
        return kNothingFound;
    }
    title_ = common::IniFile::Load(platform_, record).ReadString("Program", "Title", options.title);
    if (!options.silent) {
        const std::string question = common::Format(kRemoveQuestion, title_);
        if (platform_.Ask(question, title_, platform::BoxIcon::kQuestion, {"&Yes", "&No"}) != 0) return kDeclined;
    }
    UninstallView* view = options.silent ? nullptr : view_;
    if (view) {
        view->Show(title_);
        view->SetStatus(kUninstallStatus);
    }
    TUndo undo(platform_, record);
    undo.OnProgress = [&](int done, int total) {
        if (view) view->SetProgress(done, total);
        platform_.ProcessMessages();
    };
    undo.UndoAll();
    if (!options.silent) platform_.ShowMessage(Report(undo));
    return kRemoved;
}

std::string TUninstaller::Report(const TUndo& undo) const {
    const UndoCounts& c = undo.Counts();
    std::string text = common::Format(kRemovedMessage, title_);
    auto count = [](int n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    text += "\r\rRemoved: " + count(c.filesRemoved, "file", "files") + ", " + count(c.folders, "folder", "folders") +
            ", " + count(c.registryValues + c.registryKeys, "registry entry", "registry entries") + ", " +
            count(c.iniValues, "INI entry", "INI entries") + ".";
    if (c.filesRestored || c.batchBlocks)
        text += "\rPut back as they were: " + count(c.filesRestored + c.batchBlocks, "file", "files") + ".";
    if (!undo.Kept().empty()) text += "\r\r" + DescribeKept(undo.Kept());
    return text;
}

}  // namespace zuv::uninstall
