// The exit code of every way a run can end, as deployment tools read it: 0 installed,
// 3010 restart needed, 1602 cancelled, 1603 failed, 1639 bad command line.
#include <gtest/gtest.h>

#include "shell/run_ending.h"

using namespace zuv::shell;

namespace {

struct Case {
    const char* name;
    RunFacts facts;
    int code;
};

RunFacts Installed() {
    RunFacts f;
    f.installFinished = true;
    return f;
}
template <typename F>
RunFacts With(F change) {
    RunFacts f = Installed();
    change(f);
    return f;
}

class Endings : public ::testing::TestWithParam<Case> {};

TEST_P(Endings, MapToTheirExitCode) { EXPECT_EQ(ExitCode(DecideEnding(GetParam().facts)), GetParam().code); }

INSTANTIATE_TEST_SUITE_P(
    Table, Endings,
    ::testing::Values(
        Case{"installed", Installed(), 0},
        Case{"restart_done", With([](RunFacts& f) { f.restartChosen = f.restartDone = true; }), 0},
        Case{"restart_not_done", With([](RunFacts& f) { f.restartChosen = true; }), 3010},
        Case{"cancelled_in_wizard", With([](RunFacts& f) { f.installFinished = false, f.cancelled = true; }), 1602},
        Case{"aborted_preparation", With([](RunFacts& f) { f.installFinished = false, f.cancelled = true; }), 1602},
        Case{"preparation_failed",
             With([](RunFacts& f) { f.installFinished = false, f.cancelled = f.preparationFailed = true; }), 1603},
        Case{"engine_stopped", With([](RunFacts& f) { f.installFinished = false, f.installIncomplete = true; }), 1603},
        Case{"files_left_out", With([](RunFacts& f) { f.installIncomplete = true; }), 1603},
        Case{"files_left_out_restart", With([](RunFacts& f) { f.installIncomplete = f.restartChosen = true; }), 1603},
        Case{"wizard_closed_without_install", With([](RunFacts& f) { f.installFinished = false; }), 1603},
        Case{"start_failed", With([](RunFacts& f) { f.startFailed = true; }), 1603},
        Case{"bad_command_line", With([](RunFacts& f) { f.badCommandLine = f.helpShown = true; }), 1639},
        Case{"help", With([](RunFacts& f) { f.installFinished = false, f.helpShown = true; }), 0}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
