// The program's parameters read from its raw command line by the setup program's own rule.
#pragma once

#include <string>
#include <vector>

namespace zuv::shell {

// Splits a command line as GetCommandLineA returns it and gives the parameters after the
// program name. The rule:
//  - parameters are separated by runs of blanks (every character up to the space, tab
//    included);
//  - a double quote opens a quoted part that runs to the next double quote or to the end;
//    the quotes are dropped and the blanks inside belong to the parameter;
//  - a backslash is an ordinary character, also before a quote, so "C:\SET 1\" (what a
//    batch file's %~dp0 gives) is the directory C:\SET 1\ with its final backslash;
//  - an empty pair of quotes at the start of a parameter is dropped, so "" alone is no
//    parameter.
// Takes any text; throws nothing.
std::vector<std::string> CommandLineParams(const std::string& commandLine);

}  // namespace zuv::shell
