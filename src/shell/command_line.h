// The setup program's command line: parameter 1 (the directory to work from) and the
// switches for unattended installs (/S, /DIR=, /LOG=, /NORESTART, /? and /HELP).
//
// Read from the raw command line as the system hands it over (GetCommandLineA), not from a
// C runtime's argv: there a quoted directory with a trailing backslash ("C:\SET 1\") would
// lose the backslash and keep the quote.
#pragma once

#include <string>
#include <vector>

namespace zuv::shell {

struct CommandLine {
    // Parameter 1 exactly as written, its quotes removed (a trailing "\" stays); empty when
    // the first argument is a switch or there is none.
    std::string Param1;
    bool Silent = false;     // /S
    bool NoRestart = false;  // /NORESTART
    bool Help = false;       // /? or /HELP
    std::string Dir;         // /DIR=<path>, quotes removed; empty when not given
    std::string Log;         // /LOG=<path>, quotes removed; empty when not given
    // Arguments starting with "/" that are no switch of ours (or /DIR= and /LOG= without a
    // path), as written.
    std::vector<std::string> Unknown;

    bool Bad() const { return !Unknown.empty(); }
};

// Splits `raw` (program name first, as GetCommandLineA gives it) into parameter 1 and the
// switches. Arguments are separated by blanks and tabs outside quotes; quotes are removed
// wherever they stand and a backslash is an ordinary character. Switches are matched without
// regard to case, in any order; a later one of a kind wins. An unquoted /DIR= or /LOG= path
// takes the following words that do not start with "/" as well, with the blanks between
// them, so /DIR=C:\Quiet Place names one directory. Other words after parameter 1 are
// ignored, as they always were. Throws nothing.
CommandLine ParseCommandLine(const std::string& raw);

// The parameters after the program name, split by the same rule (quotes group and are
// removed, a backslash is an ordinary character, an empty parameter is dropped). Throws nothing.
std::vector<std::string> CommandLineParams(const std::string& commandLine);

// The text of the message box that /? and /HELP show.
extern const char* const kSwitchesHelp;
// The message box naming an argument that is no switch of ours.
std::string UnknownSwitchMessage(const std::string& argument);

}  // namespace zuv::shell
