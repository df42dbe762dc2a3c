// Protects how parameter 1 is read from the raw command line: quotes group, a backslash is
// never an escape, so a quoted directory keeps its final backslash.
#include <gtest/gtest.h>

#include "shell/command_line.h"

namespace {

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

}  // namespace
