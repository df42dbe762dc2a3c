// The uninstaller's logic: its command line, the question, the gauge, the silent run and the
// closing account of what was removed and what was kept.
#include <gtest/gtest.h>

#include <algorithm>

#include "uninstall/product_fixture.h"
#include "uninstall/uninstaller.h"

namespace zuv::uninstall {
namespace {

using testing::Differences;
using testing::Machine;
using testing::ProductTest;
using testing::Snapshot;

struct RecordingUninstallView : UninstallView {
    std::string shownTitle, status;
    int done = -1, total = -1, shows = 0;
    void Show(const std::string& title) override { shownTitle = title, ++shows; }
    void SetStatus(const std::string& text) override { status = text; }
    void SetProgress(int d, int t) override { done = d, total = t; }
};

TEST(UninstallParamsTest, SwitchesDirectoryLogAndTitle) {
    struct Case {
        std::string line;
        std::string dir;
        bool silent;
        std::string title;
        std::string log = "";
        bool help = false;
        std::vector<std::string> unknown = {};
        std::string starter = "";
    };
    const std::string own = "C:\\Program Files\\MyApp\\";
    const std::string ownDir = "C:\\Program Files\\MyApp";
    for (const Case& c : {
             Case{"uninstaller.exe", ownDir, false, ""},
             Case{"\"C:\\Program Files\\MyApp\\uninstaller.exe\" ZUV Hello", ownDir, false, "ZUV Hello"},
             Case{"uninstaller.exe /S", ownDir, true, ""},
             Case{"uninstaller.exe /s \"/D=D:\\Apps\\X\\\" ZUV", "D:\\Apps\\X", true, "ZUV"},
             Case{"uninstaller.exe /D=C:\\Other", "C:\\Other", false, ""},
             // The copy in the temporary folder: the program it stands in for, and an earlier
             // version's process id, are no unknown switches.
             Case{"u.exe \"/D=C:\\A\" \"/P=C:\\A\\uninstaller.exe\" /W=12 \"ZUV Hello\"", "C:\\A", false, "ZUV Hello",
                  "", false, {}, "C:\\A\\uninstaller.exe"},
             Case{"uninstaller.exe ZUV Hello /LOG=C:\\My Logs\\u.log /S", ownDir, true, "ZUV Hello",
                  "C:\\My Logs\\u.log"},
             Case{"uninstaller.exe \"/log=C:\\My Logs\\u.log\" ZUV", ownDir, false, "ZUV", "C:\\My Logs\\u.log"},
             Case{"uninstaller.exe /LOG=\"C:\\My Logs\\u.log\"", ownDir, false, "", "C:\\My Logs\\u.log"},
             Case{"uninstaller.exe /?", ownDir, false, "", "", true},
             Case{"uninstaller.exe /help /S", ownDir, true, "", "", true},
             Case{"uninstaller.exe /X ZUV /LOG=", ownDir, false, "ZUV", "", false, {"/X", "/LOG="}},
             Case{"uninstaller.exe /SILENT", ownDir, false, "", "", false, {"/SILENT"}},
         }) {
        SCOPED_TRACE(c.line);
        const UninstallOptions o = ParseUninstallCommandLine(c.line, own);
        EXPECT_EQ(o.installDir, c.dir);
        EXPECT_EQ(o.silent, c.silent);
        EXPECT_EQ(o.title, c.title);
        EXPECT_EQ(o.log, c.log);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.unknown, c.unknown);
        EXPECT_EQ(o.starter, c.starter);
    }
}

TEST(UninstallParamsTest, TheTemporaryCopyReadsWhatItsStarterRead) {
    const std::string line =
        "\"C:\\Program Files\\My App\\uninstaller.exe\" ZUV Hello /s /LOG=C:\\My Logs\\u.log";
    const UninstallOptions first = ParseUninstallCommandLine(line, "C:\\Program Files\\My App\\");
    const std::string starter = "C:\\Program Files\\My App\\uninstaller.exe";
    const UninstallOptions copy = ParseUninstallCommandLine(
        "\"C:\\TEMP\\zuv-uninstall-7.exe\" " + CopyArguments(first, starter), "C:\\TEMP\\");
    EXPECT_EQ(copy.installDir, "C:\\Program Files\\My App");
    EXPECT_EQ(copy.starter, starter);
    EXPECT_TRUE(copy.silent);
    EXPECT_EQ(copy.log, "C:\\My Logs\\u.log");
    EXPECT_EQ(copy.title, "ZUV Hello");
    EXPECT_FALSE(copy.Bad());
}

class UninstallerTest : public ProductTest {
protected:
    UninstallOptions Options(bool silent) {
        UninstallOptions o;
        o.installDir = kDest;
        o.silent = silent;
        return o;
    }
    RecordingUninstallView uview;
};

TEST_F(UninstallerTest, YesRemovesEverythingWithTheGaugeAndAnAccount) {
    UseMachine();
    UseProduct();
    const Machine before = Snapshot(platform);
    ASSERT_TRUE(Run());
    platform.shown.clear();
    platform.answers = {0};
    TUninstaller uninstaller(platform, &uview);
    EXPECT_EQ(uninstaller.Run(Options(false)), kRemoved);
    EXPECT_EQ(Differences(before, Snapshot(platform)), "");
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, "Remove ZUV Hello and all of its components?");
    EXPECT_EQ(platform.shown[0].buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(platform.shown[1].text.rfind("ZUV Hello was removed from your computer.\r\rRemoved: ", 0), 0u)
        << platform.shown[1].text;
    EXPECT_EQ(platform.shown[1].text.find("kept"), std::string::npos);
    EXPECT_EQ(uview.shows, 1);
    EXPECT_EQ(uview.shownTitle, "ZUV Hello");
    EXPECT_GT(uview.total, 0);
    EXPECT_EQ(uview.done, uview.total);
}

TEST_F(UninstallerTest, TheAccountListsWhatWasKeptAndWhy) {
    UseMachine();
    UseProduct();
    ASSERT_TRUE(Run());
    platform.PutFile("C:\\Program Files\\MyApp\\my notes.txt", "mine");
    platform.answers = {0};
    TUninstaller uninstaller(platform, &uview);
    ASSERT_EQ(uninstaller.Run(Options(false)), kRemoved);
    const std::string report = platform.shown.back().text;
    EXPECT_NE(report.find("\r\rThese were kept:\rC:\\Program Files\\MyApp\\my notes.txt (added after the installation)"
                          "\rC:\\Program Files\\MyApp (folder not empty)"),
              std::string::npos)
        << report;
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\my notes.txt"), "mine");
}

TEST_F(UninstallerTest, NoChangesNothingAndSilentAsksNothing) {
    UseMachine();
    UseProduct();
    const Machine before = Snapshot(platform);
    ASSERT_TRUE(Run());
    const Machine installed = Snapshot(platform);
    platform.shown.clear();
    platform.answers = {1};
    EXPECT_EQ(TUninstaller(platform, &uview).Run(Options(false)), kDeclined);
    EXPECT_EQ(Differences(installed, Snapshot(platform)), "");
    EXPECT_EQ(uview.shows, 0);

    platform.shown.clear();
    EXPECT_EQ(TUninstaller(platform, &uview).Run(Options(true)), kRemoved);
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(uview.shows, 0);
    EXPECT_EQ(Differences(before, Snapshot(platform)), "");

    // Run again: the record is gone, so there is nothing to remove.
    EXPECT_EQ(TUninstaller(platform, &uview).Run(Options(false)), kFailed);
    EXPECT_EQ(platform.shown.back().text,
              "Nothing to remove: there is no uninstall record (uninstall.cfg) in C:\\Program Files\\MyApp.");
}


// Every ending of a run: its exit code, the boxes it shows (none when silent), and the log it
// leaves in the temporary folder, ending with the result.
struct Ending {
    const char* name;
    const char* line;
    enum Machine { kInstalled, kNotInstalled, kUserFile, kInUse } machine;
    int answer;
    UninstallResult expected;
    size_t boxes;
    const char* result;
    const char* logName;
};

class UninstallEndingTest : public ProductTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(UninstallEndingTest, ExitCodeBoxesAndLog) {
    const Ending& e = GetParam();
    UseMachine();
    UseProduct();
    if (e.machine != Ending::kNotInstalled) {
        ASSERT_TRUE(Run());
    }
    if (e.machine == Ending::kUserFile) platform.PutFile("C:\\Program Files\\MyApp\\my notes.txt", "mine");
    if (e.machine == Ending::kInUse) platform.undeletable = {"C:\\TOOLS\\TOOL.EXE"};
    platform.CreateDirectory("C:\\TEMP");
    platform.shown.clear();
    platform.answers = {e.answer};
    platform.commandLine = e.line;
    RecordingUninstallView uview;
    TUninstaller uninstaller(platform, &uview);
    EXPECT_EQ(uninstaller.Run(ParseUninstallCommandLine(e.line, kDest)), e.expected);
    EXPECT_EQ(platform.shown.size(), e.boxes);
    const std::vector<std::string>& lines = uninstaller.Log().Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(25), e.result);
    // Written to its file as it went, in the temporary folder.
    EXPECT_EQ(uninstaller.Log().Path(), std::string("C:\\TEMP\\") + e.logName);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    EXPECT_EQ(platform.GetFile(uninstaller.Log().Path()), text);
}

INSTANTIATE_TEST_SUITE_P(
    Uninstaller, UninstallEndingTest,
    ::testing::Values(
        Ending{"Yes", "uninstaller.exe ZUV Hello", Ending::kInstalled, 0, kRemoved, 2,
               "Result: removed, exit code 0", "ZUV Setup ZUV Hello 2024-05-06 07-08-09.log"},
        Ending{"Silent", "uninstaller.exe /S", Ending::kInstalled, 1, kRemoved, 0, "Result: removed, exit code 0",
               "ZUV Setup ZUV Hello 2024-05-06 07-08-09.log"},
        Ending{"No", "uninstaller.exe", Ending::kInstalled, 1, kDeclined, 1,
               "Result: declined by the user, exit code 1602", "ZUV Setup ZUV Hello 2024-05-06 07-08-09.log"},
        Ending{"UserFileKept", "uninstaller.exe /S", Ending::kUserFile, 0, kRemoved, 0,
               "Result: removed, with the items listed kept, exit code 0",
               "ZUV Setup ZUV Hello 2024-05-06 07-08-09.log"},
        Ending{"FileInUse", "uninstaller.exe /S", Ending::kInUse, 0, kFailed, 0,
               "Result: failed: not everything could be removed, exit code 1603",
               "ZUV Setup ZUV Hello 2024-05-06 07-08-09.log"},
        Ending{"NoRecord", "uninstaller.exe /S", Ending::kNotInstalled, 0, kFailed, 0, "Result: failed, exit code 1603",
               "ZUV Setup 2024-05-06 07-08-09.log"},
        Ending{"NoRecordShown", "uninstaller.exe Hi", Ending::kNotInstalled, 0, kFailed, 1,
               "Result: failed, exit code 1603", "ZUV Setup Hi 2024-05-06 07-08-09.log"},
        Ending{"UnknownSwitch", "uninstaller.exe /X", Ending::kInstalled, 0, kBadCommandLine, 1,
               "Result: bad command line, exit code 1639", "ZUV Setup 2024-05-06 07-08-09.log"},
        Ending{"UnknownSwitchSilent", "uninstaller.exe /S /X", Ending::kInstalled, 0, kBadCommandLine, 0,
               "Result: bad command line, exit code 1639", "ZUV Setup 2024-05-06 07-08-09.log"},
        Ending{"Help", "uninstaller.exe /?", Ending::kInstalled, 0, kHelpShown, 1,
               "Result: switches listed, exit code 0", "ZUV Setup 2024-05-06 07-08-09.log"}),
    [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

TEST_F(UninstallerTest, ABadCommandLineOrNoChangesNothing) {
    UseMachine();
    UseProduct();
    ASSERT_TRUE(Run());
    const Machine installed = Snapshot(platform);
    for (const char* line : {"uninstaller.exe /X", "uninstaller.exe /S /HELP", "uninstaller.exe"}) {
        platform.answers = {1};
        TUninstaller(platform, &uview).Run(ParseUninstallCommandLine(line, kDest));
        EXPECT_EQ(Differences(installed, Snapshot(platform)), "") << line;
    }
    EXPECT_EQ(platform.shown.front().text,
              "Unknown command-line switch: /X\r\rNothing was removed. Use /? for the list of switches.");
}

TEST_F(UninstallerTest, TheLogNamesEveryChangeEveryKeptItemAndEveryError) {
    UseMachine();
    UseProduct();
    ASSERT_TRUE(Run());
    platform.PutFile("C:\\Program Files\\MyApp\\my notes.txt", "mine");
    platform.undeletable = {"C:\\TOOLS\\TOOL.EXE"};
    platform.commandLine = "uninstaller.exe /S /LOG=C:\\u.log";
    TUninstaller uninstaller(platform, nullptr);
    uninstaller.BeforeUndo = [&] { uninstaller.Log().Write("before the undo"); };
    ASSERT_EQ(uninstaller.Run(ParseUninstallCommandLine(platform.commandLine, kDest)), kFailed);
    EXPECT_EQ(uninstaller.Log().Path(), "C:\\u.log");
    std::string text;
    for (const std::string& line : uninstaller.Log().Lines()) text += line + "\r\n";
    EXPECT_EQ(platform.GetFile("C:\\u.log"), text);
    std::vector<std::string> events;
    for (const std::string& line : uninstaller.Log().Lines()) {
        EXPECT_EQ(line.substr(0, 25), "2024-05-06 07:08:09.010  ");
        events.push_back(line.substr(25));
    }
    for (const std::string& expected : std::vector<std::string>{
             "Command line: uninstaller.exe /S /LOG=C:\\u.log",
             "System: Windows 5.1 build 2600",
             "Silent run: no window and no question; everything is removed as after Yes",
             "before the undo",
             "Removed file C:\\Program Files\\MyApp\\MYAPP.EXE",
             "Removed shortcut C:\\WINDOWS\\Desktop\\My App.lnk",
             "Restored file C:\\WINDOWS\\Fonts\\HELLO.FON as it was before the installation",
             "INI value [Main] Mode in C:\\WINDOWS\\EXISTING.INI restored to \"old\"",
             "INI value [S] K in C:\\WINDOWS\\NEW.INI removed",
             "Removed INI file C:\\WINDOWS\\NEW.INI",
             "Registry value HKCU\\Software\\Shared\\Editor restored",
             "Registry value HKLM\\Software\\Firm\\App\\Version removed",
             "Removed registry key HKLM\\Software\\Firm\\App",
             "Restored C:\\autoexec.bat as it was before the installation",
             "Removed directory C:\\Program Files\\MyApp\\Data\\Deep",
             "ERROR: Unable to remove C:\\Tools\\TOOL.EXE (Windows error 32)",
             "Kept C:\\Tools\\TOOL.EXE (could not be removed)",
             "Kept C:\\Program Files\\MyApp\\my notes.txt (added after the installation)",
             "Kept C:\\Program Files\\MyApp (folder not empty)",
             "Kept C:\\Tools (folder not empty)",
             "Result: failed: not everything could be removed, exit code 1603",
         }) {
        EXPECT_NE(std::find(events.begin(), events.end(), expected), events.end()) << expected;
    }
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[0].rfind("ZUV Setup ", 0), 0u);
    EXPECT_NE(events[0].find(" uninstaller started"), std::string::npos);
    EXPECT_EQ(events[4].rfind("Uninstall record: C:\\Program Files\\MyApp\\uninstall.cfg (ZUV Hello): 1 installation, ",
                              0),
              0u)
        << events[4];
    // The account the window would have shown opens with the failure.
    EXPECT_NE(std::find_if(events.begin(), events.end(),
                           [](const std::string& l) {
                               return l.rfind("ZUV Hello could not be removed completely. / Removed: ", 0) == 0;
                           }),
              events.end());
}

}  // namespace
}  // namespace zuv::uninstall
