#include "uninstall/uninstaller.h"

#include <algorithm>

#include "common/ini_reader.h"
#include "common/routines.h"
#include "shell/command_line.h"

namespace zuv::uninstall {

const char* const kRemoveQuestion = "Remove %s and all of its components?";
const char* const kRemovedMessage = "%s was removed from your computer.";
const char* const kNotAllRemovedMessage = "%s could not be removed completely.";
const char* const kNothingToRemove =
    "Nothing to remove: there is no uninstall record (uninstall.cfg) in %s.";
const char* const kUninstallStatus = "Removing the installed files and settings...";
const char* const kUninstallSwitchesHelp =
    "uninstaller.exe [title] [/S] [/LOG=path] [/?]\r\r"
    "title\tthe product's name, as its registration passes it\r"
    "/S\tsilent: no window and no question; everything is removed as after Yes\r"
    "/LOG=path\twhere the log is written (else the temporary folder)\r"
    "/? or /HELP\tthis list\r\r"
    "Exit codes: 0 removed (anything of yours that was kept is listed in the log), 1602 answered No, "
    "1603 failed, 1639 bad command line.";

std::string UnknownUninstallSwitchMessage(const std::string& argument) {
    return "Unknown command-line switch: " + argument + "\r\rNothing was removed. Use /? for the list of switches.";
}

namespace {

bool StartsWith(const std::string& upper, const char* prefix) {
    return upper.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

bool Incomplete(const TUndo& undo) {
    return std::any_of(undo.Kept().begin(), undo.Kept().end(),
                       [](const KeptItem& k) { return k.reason == kKeptInUse; });
}

UninstallOptions ParseUninstallCommandLine(const std::string& commandLine, const std::string& programDir) {
    UninstallOptions options;
    options.installDir = common::WithoutBackslash(programDir);
    const std::vector<shell::CommandWord> words = shell::SplitCommandLine(commandLine);
    for (size_t i = 1; i < words.size(); ++i) {  // words[0] is the program itself
        const shell::CommandWord& word = words[i];
        if (word.text.empty()) continue;
        if (word.text[0] != '/') {
            options.title += (options.title.empty() ? "" : " ") + word.text;
            continue;
        }
        const std::string upper = common::Upper(word.text);
        if (upper == "/S") {
            options.silent = true;
        } else if (upper == "/?" || upper == "/HELP") {
            options.help = true;
        } else if (StartsWith(upper, "/D=") && upper.size() > 3) {
            options.installDir = common::WithoutBackslash(word.text.substr(3));
        } else if (StartsWith(upper, "/P=") && upper.size() > 3) {
            options.starter = word.text.substr(3);
        } else if (StartsWith(upper, "/W=")) {
            // An earlier version's: the process its temporary copy waited for.
        } else if (StartsWith(upper, "/LOG=")) {
            std::string path = word.text.substr(5);
            // An unquoted path with blanks arrives in pieces: the words up to the next switch.
            if (!word.quoted) {
                while (i + 1 < words.size() && !words[i + 1].quoted && !words[i + 1].text.empty() &&
                       words[i + 1].text[0] != '/') {
                    ++i;
                    path += words[i].gap + words[i].text;
                }
            }
            if (path.empty())
                options.unknown.push_back(word.text);
            else
                options.log = path;
        } else {
            options.unknown.push_back(word.text);
        }
    }
    return options;
}

std::string CopyArguments(const UninstallOptions& options, const std::string& starter) {
    std::string args = "\"/D=" + options.installDir + "\" \"/P=" + starter + "\"";
    if (options.silent) args += " /S";
    if (!options.log.empty()) args += " \"/LOG=" + options.log + "\"";
    if (!options.title.empty()) args += " \"" + options.title + "\"";
    return args;
}

TUninstaller::TUninstaller(platform::Platform& platform, UninstallView* view) : platform_(platform), view_(view) {
    log_.Start(platform_);
}

void TUninstaller::OpenLog(const UninstallOptions& options) {
    const std::string fallback = platform_.TempPath() + common::TInstallLog::DefaultName(title_, platform_.Now());
    const std::string path = options.log.empty() ? fallback : platform_.FullPath(options.log);
    if (log_.Open(path)) return;
    const uint32_t code = platform_.LastError();
    if (path != fallback && log_.Open(fallback))
        log_.Error("Unable to create the log " + path + "; it is written here instead", code);
}

UninstallResult TUninstaller::Finish(UninstallResult result, const char* name) {
    log_.Write(std::string("Result: ") + name + ", exit code " + std::to_string(static_cast<int>(result)));
    return result;
}

UninstallResult TUninstaller::Run(const UninstallOptions& options) {
    log_.Write(std::string("ZUV Setup ") + ZUV_VERSION + " uninstaller started");
    log_.Write("Command line: " + platform_.CommandLine());
    log_.Write("System: " + platform_.SystemVersion());
    title_ = options.title;
    if (options.Bad()) {
        for (const std::string& argument : options.unknown) log_.Write("Unknown switch: " + argument);
        OpenLog(options);
        if (!options.silent) platform_.ShowMessage(UnknownUninstallSwitchMessage(options.unknown.front()));
        return Finish(kBadCommandLine, "bad command line");
    }
    if (options.help) {
        OpenLog(options);
        if (!options.silent) platform_.ShowMessage(kUninstallSwitchesHelp);
        return Finish(kHelpShown, "switches listed");
    }
    if (options.silent) log_.Write("Silent run: no window and no question; everything is removed as after Yes");
    const std::string record = options.installDir + "\\uninstall.cfg";
    if (!common::FileExists(platform_, record)) {
        const uint32_t code = platform_.LastError();
        OpenLog(options);
        const std::string message = common::Format(kNothingToRemove, options.installDir);
        log_.Error(message, code);
        if (!options.silent) platform_.ShowMessage(message);
        return Finish(kFailed, "failed");
    }
    try {
        return Remove(options, record);
    } catch (const std::exception& e) {
        const uint32_t code = platform_.LastError();
        if (!log_.IsOpen()) OpenLog(options);
        const std::string message = std::string("The uninstall stopped: ") + e.what();
        log_.Error(message, code);
        if (!options.silent) platform_.ShowError(message);
        return Finish(kFailed, "failed");
    }
}

UninstallResult TUninstaller::Remove(const UninstallOptions& options, const std::string& record) {
    title_ = common::IniFile::Load(platform_, record).ReadString("Program", "Title", options.title);
    OpenLog(options);
    const auto journals = ReadJournals(platform_, record);
    size_t entries = 0;
    for (const auto& [run, list] : journals) entries += list.size();
    log_.Write("Uninstall record: " + record + " (" + title_ + "): " + std::to_string(journals.size()) +
               (journals.size() == 1 ? " installation, " : " installations, ") + std::to_string(entries) +
               " journal entries");
    if (!options.silent) {
        const std::string question = common::Format(kRemoveQuestion, title_);
        if (platform_.Ask(question, title_, platform::BoxIcon::kQuestion, {"&Yes", "&No"}) != 0) {
            log_.Write("Question \"" + question + "\" answered No: nothing removed");
            return Finish(kDeclined, "declined by the user");
        }
        log_.Write("Question \"" + question + "\" answered Yes");
    }
    if (BeforeUndo) BeforeUndo();
    UninstallView* view = options.silent ? nullptr : view_;
    if (view) {
        view->Show(title_);
        view->SetStatus(kUninstallStatus);
    }
    TUndo undo(platform_, record);
    undo.SetLog(log_);
    undo.OnProgress = [&](int done, int total) {
        if (view) view->SetProgress(done, total);
        platform_.ProcessMessages();
    };
    undo.UndoAll();
    const std::string report = Report(undo);
    log_.Write(report);
    if (!options.silent) platform_.ShowMessage(report);
    if (Incomplete(undo)) return Finish(kFailed, "failed: not everything could be removed");
    return Finish(kRemoved, undo.Kept().empty() ? "removed" : "removed, with the items listed kept");
}

std::string TUninstaller::Report(const TUndo& undo) const {
    const UndoCounts& c = undo.Counts();
    std::string text = common::Format(Incomplete(undo) ? kNotAllRemovedMessage : kRemovedMessage, title_);
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
