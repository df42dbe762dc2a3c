// The command line read from the raw string: parameter 1 as written (quotes removed, a
// trailing backslash kept), the switches in any case and order, and the arguments that make
// a bad command line.
#include <gtest/gtest.h>

#include "shell/command_line.h"

using zuv::shell::CommandLine;
using zuv::shell::ParseCommandLine;

namespace {

struct Case {
    const char* raw;
    const char* param1;
    bool silent, noRestart, help;
    const char* dir;
    const char* log;
    std::vector<std::string> unknown;
};

class CommandLineTable : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTable, ReadsParameterOneAndSwitches) {
    const Case& c = GetParam();
    CommandLine line = ParseCommandLine(c.raw);
    EXPECT_EQ(line.Param1, c.param1);
    EXPECT_EQ(line.Silent, c.silent);
    EXPECT_EQ(line.NoRestart, c.noRestart);
    EXPECT_EQ(line.Help, c.help);
    EXPECT_EQ(line.Dir, c.dir);
    EXPECT_EQ(line.Log, c.log);
    EXPECT_EQ(line.Unknown, c.unknown);
    EXPECT_EQ(line.Bad(), !c.unknown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTable,
    ::testing::Values(
        Case{"install.exe", "", false, false, false, "", "", {}},
        Case{"\"C:\\My Disks\\install.exe\"", "", false, false, false, "", "", {}},
        Case{"install.exe C:\\TEMP\\SET1", "C:\\TEMP\\SET1", false, false, false, "", "", {}},
        // The trailing backslash of a quoted directory stays, the quotes go.
        Case{"install.exe \"C:\\SET 1\\\"", "C:\\SET 1\\", false, false, false, "", "", {}},
        Case{"\"D:\\x y\\install.exe\"  \"C:\\SET 1\\\" /s", "C:\\SET 1\\", true, false, false, "", "", {}},
        // Words after parameter 1 were always ignored.
        Case{"install.exe C:\\SET 1", "C:\\SET", false, false, false, "", "", {}},
        Case{"install.exe /S", "", true, false, false, "", "", {}},
        Case{"install.exe /s /norestart", "", true, true, false, "", "", {}},
        Case{"install.exe /NoRestart C:\\later", "", false, true, false, "", "", {}},
        Case{"install.exe /?", "", false, false, true, "", "", {}},
        Case{"install.exe /help", "", false, false, true, "", "", {}},
        Case{"install.exe /S /DIR=C:\\Quiet Place /LOG=C:\\q.log", "", true, false, false, "C:\\Quiet Place",
             "C:\\q.log", {}},
        Case{"install.exe /LOG=C:\\q.log /dir=\"C:\\Quiet  Place\" /S", "", true, false, false, "C:\\Quiet  Place",
             "C:\\q.log", {}},
        Case{"install.exe \"/DIR=C:\\Quiet Place\\\" /S", "", true, false, false, "C:\\Quiet Place\\", "", {}},
        Case{"install.exe /DIR=C:\\A\tB /log=\"C:\\log files\\a.log\"", "", false, false, false, "C:\\A\tB",
             "C:\\log files\\a.log", {}},
        Case{"install.exe /DIR=C:\\one /DIR=C:\\two", "", false, false, false, "C:\\two", "", {}},
        Case{"install.exe C:\\SET1 /S /DIR=D:\\App", "C:\\SET1", true, false, false, "D:\\App", "", {}},
        // Bad command lines: unknown switches and value switches without a value.
        Case{"install.exe /X", "", false, false, false, "", "", {"/X"}},
        Case{"install.exe C:\\SET1 /S /Quiet /dir=", "C:\\SET1", true, false, false, "", "", {"/Quiet", "/dir="}},
        Case{"install.exe /SILENT", "", false, false, false, "", "", {"/SILENT"}},
        Case{"install.exe /DIR", "", false, false, false, "", "", {"/DIR"}},
        Case{"install.exe /LOG=\"\"", "", false, false, false, "", "", {"/LOG="}}));

}  // namespace

// Parameters after the program name, as Platform::Params gives them.
namespace params_test {

using Params = std::vector<std::string>;

TEST(CommandLine, ParametersAfterTheProgramName) {
    const struct {
        const char* line;
        Params params;
    } cases[] = {
        {"", {}},
        {"install.exe", {}},
        {"install.exe   ", {}},
        {"\"C:\\Program Files\\SET\\install.exe\" C:\\TEMP\\SET1", {"C:\\TEMP\\SET1"}},
        // What a batch file's "%~dp0" passes: the final backslash stays, the quote closes.
        {"install.exe \"C:\\TEMP\\SET 1\\\"", {"C:\\TEMP\\SET 1\\"}},
        {"install.exe \"C:\\TEMP\\SET 1\\\" second", {"C:\\TEMP\\SET 1\\", "second"}},
        {"install.exe C:\\TEMP\\SET1\\ second", {"C:\\TEMP\\SET1\\", "second"}},
        {"install.exe C:\\a\\\\\"b c\"", {"C:\\a\\\\b c"}},
        {"install.exe \"a b\"c  \"d\"", {"a bc", "d"}},
        {"install.exe \"unclosed dir\\", {"unclosed dir\\"}},
        {"install.exe\tA:\\\t", {"A:\\"}},
        {"install.exe \"\" X", {"X"}},
        {"install.exe \"\"", {}},
        {"\"install.exe\"C:\\X", {}},  // no blank after the name: all one word
    };
    for (const auto& c : cases) EXPECT_EQ(zuv::shell::CommandLineParams(c.line), c.params) << c.line;
}

}  // namespace params_test
