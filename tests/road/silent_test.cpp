// Unattended runs on the fake platform, from the segment set to the installed system: /S
// installs what the clicked-through wizard installs, shows nothing and launches nothing; a
// missing disk, a wanted restart, a bad command line and the help each end with their exit
// code and say so in the log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "road/road_machine.h"
#include "wizard/silent_setup.h"

using namespace zuv;
using namespace zuv::road::testing;

namespace {

const char* kScript =
    "[Setup - Main]\r\nInstall Dir=ZUV Hello\r\nLaunch=<INSTALLDIR>hello.exe\r\nFolder=ZUV Hello\r\n"
    "Add to Program Files=1\r\nBitmap File=logo.gif\r\nHeader=ZUV Hello 1.0\r\n"
    "[Directories]\r\nMain=<INSTALLDIR>~\r\nDocs=<SUB1>~docs\r\n"
    "[Files]\r\nProgram=hello.exe~<INSTALLDIR>\r\nReadme=readme.txt~<SUB1>\r\nLicence=license.txt~<INSTALLDIR>\r\n"
    "Picture=logo.gif~<INSTALLDIR>\r\n"
    "[Files - OverWrite]\r\nFile #0=1\r\n"
    "[Desktop]\r\nHello=ZUV Hello~<INSTALLDIR>hello.exe~X~X~<INSTALLDIR>hello.exe~ZUV Hello\r\n"
    "Readme=Read Me~<SUB1>readme.txt~~X~<INSTALLDIR>hello.exe~ZUV Hello\r\n"
    "[INI - Setup]\r\nGreeting=<INSTALLDIR>hello.ini~Settings~Greeting~Hello from ZUV Setup!\r\n"
    "Path=HKEY_LOCAL_MACHINE\\Software\\ZUV Example~Hello~Path~<INSTALLDIR>hello.exe\r\n";

std::string Content(size_t size, uint32_t seed) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = static_cast<char>((seed >> 16) & 0xFF);
    }
    return data;
}

const std::map<std::string, std::string> kProduct{{"hello.exe", Content(70000, 1)},
                                                  {"license.txt", "LICENCE\r\nUse it well.\r\nOr not.\r\n"},
                                                  {"readme.txt", Content(20000, 2)},
                                                  {"logo.gif", "GIF89a" + Content(3000, 3)}};

// Packs the product as a set of three or more segments in C:\SETUP beside install.exe and
// the script.
void PackSet(platform::FakePlatform& fake, const std::string& script = kScript) {
    road::testing::PackSet(fake, kProduct, archive::coLZH5, 24000, script);
}

// Every file on the fake drive C: except the logs, by path, with its content.
std::map<std::string, std::string> Files(platform::FakePlatform& fake) {
    std::map<std::string, std::string> files;
    const std::filesystem::path c = fake.Root() + "/C";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(c)) {
        if (!entry.is_regular_file()) continue;
        const std::string rel = std::filesystem::relative(entry.path(), c).string();
        if (rel.size() > 4 && rel.substr(rel.size() - 4) == ".log") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        files[rel] = text.str();
    }
    return files;
}

std::map<std::string, std::string> Registry(const platform::FakePlatform& fake) {
    std::map<std::string, std::string> values;
    for (const auto& [key, named] : fake.registry)
        for (const auto& [name, value] : named) values[key + "\\" + name] = value.text;
    return values;
}

// The same set installed by a user who takes every default page by page and picks "Return
// to Windows" on the ready page.
int RunInteractive(platform::FakePlatform& fake) {
    Machine machine(fake);
    machine.Start([&machine] {
        wizard::TZUV& zuv = *machine.zuv;
        zuv.nextClick();    // welcome
        zuv.acceptClick();  // licence
        zuv.nextClick();    // destination
        zuv.nextClick();    // folders and shortcuts
        zuv.RadioClicked(wizard::Radio::kRadioButton2);
        zuv.installClick();
        machine.setup->InstallIncomplete = zuv.InstallIncomplete;
        machine.setup->InstallFinished = zuv.InstallFinished();
    });
    machine.setup->FormClose();
    return machine.setup->ExitCode();
}

std::string LogOf(platform::FakePlatform& fake, const std::string& path = "C:\\q.log") { return fake.GetFile(path); }

TEST(Silent, InstallsWhatTheWizardInstallsWithoutAWordOrALaunch) {
    platform::FakePlatform clicked;
    PackSet(clicked);
    clicked.SetParams({"C:\\SETUP"});
    EXPECT_EQ(RunInteractive(clicked), 0);
    EXPECT_EQ(clicked.ShownTexts().size(), 1u) << "the completion message";

    platform::FakePlatform quiet;
    PackSet(quiet);
    quiet.commandLine = "\"C:\\SETUP\\install.exe\" C:\\SETUP /S /LOG=C:\\q.log";
    wizard::TSilentSetup run(quiet);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(quiet.shown.empty()) << quiet.ShownTexts().front();
    EXPECT_TRUE(quiet.launches.empty());
    EXPECT_TRUE(quiet.exits.empty());

    EXPECT_EQ(Files(quiet), Files(clicked));
    EXPECT_EQ(Registry(quiet), Registry(clicked));
    ASSERT_EQ(quiet.links.size(), clicked.links.size());
    for (size_t i = 0; i < quiet.links.size(); ++i) EXPECT_EQ(quiet.links[i].linkFile, clicked.links[i].linkFile);
    const std::string app = "C:\\Program Files\\ZUV Hello\\";
    EXPECT_EQ(quiet.GetFile(app + "hello.exe"), kProduct.at("hello.exe"));

    const std::string log = LogOf(quiet);
    for (const char* file : {"hello.exe", "license.txt", "logo.gif", "install.exe", "install.cfg"})
        EXPECT_NE(log.find("Installed " + app + file + " ("), std::string::npos) << file;
    EXPECT_NE(log.find("Installed " + app + "docs\\readme.txt (20000 bytes)"), std::string::npos);
    EXPECT_NE(log.find("Segment 3: C:\\SETUP\\disk.003"), std::string::npos);
    EXPECT_NE(log.find("Registry value HKEY_LOCAL_MACHINE\\Software\\ZUV Example\\Hello Path="), std::string::npos);
    EXPECT_NE(log.find("Result: installed, exit code 0"), std::string::npos);
    EXPECT_EQ(log.find("Use it well"), std::string::npos) << "no licence text in the log";
    // The copy in the install directory's Setup folder holds the same lines.
    EXPECT_EQ(quiet.GetFile(app + "Setup\\install.log"), log);
}

TEST(Silent, AMissingDiskFailsTheRunWithoutAPrompt) {
    platform::FakePlatform fake;
    PackSet(fake);
    fake.DeleteFile("C:\\SETUP\\disk.003");
    fake.commandLine = "install.exe C:\\SETUP /s /dir=\"C:\\Quiet Place\" /log=C:\\q.log";
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), 1603);
    EXPECT_TRUE(fake.shown.empty());
    EXPECT_FALSE(fake.Exists("C:\\Quiet Place"));
    const std::string log = LogOf(fake);
    EXPECT_NE(log.find("Disk 3 missing: C:\\SETUP\\disk.003 not found"), std::string::npos) << log;
    EXPECT_NE(log.find("Result: failed, exit code 1603"), std::string::npos);
}

TEST(Silent, AWrongSegmentFailsTheRunInsteadOfAskingAgain) {
    platform::FakePlatform fake;
    PackSet(fake);
    fake.PutFile("C:\\SETUP\\disk.003", fake.GetFile("C:\\SETUP\\disk.002"));
    fake.commandLine = "install.exe C:\\SETUP /S /LOG=C:\\q.log";
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), 1603);
    EXPECT_NE(LogOf(fake).find("Disk 3 missing: C:\\SETUP\\disk.003 is not the right segment"), std::string::npos);
}

TEST(Silent, TooLittleSpaceFailsTheRunAndTheLogSaysWhereAndHowMuch) {
    platform::FakePlatform fake;
    PackSet(fake);
    fake.driveFree['D'] = 50000;  // the product needs about 100 KB there
    fake.commandLine = "install.exe C:\\SETUP /S /DIR=D:\\Quiet Place /LOG=C:\\q.log";
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), 1603);
    EXPECT_TRUE(fake.shown.empty());
    EXPECT_FALSE(fake.Exists("D:\\Quiet Place"));
    const std::string log = LogOf(fake);
    // A line of its own, for whoever searches the log, and the message the user would have seen.
    EXPECT_NE(log.find("  Disk space check failed: drive D: has 50000 bytes free, 93750 bytes needed\r\n"),
              std::string::npos)
        << log;
    const size_t at = log.find("There is not enough free space on drive D: for this installation. / Space needed: ");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string line = log.substr(at, log.find('\r', at) - at);
    EXPECT_NE(line.find(" / Space free: 48 KB (50000 bytes)"), std::string::npos) << line;
    EXPECT_NE(log.find("Result: failed, exit code 1603"), std::string::npos) << log;
}

TEST(Silent, ARestartTheScriptWantsIsNotDoneAndExits3010) {
    platform::FakePlatform fake;
    std::string script = kScript;
    script.replace(script.find("Launch=<INSTALLDIR>hello.exe\r\n"), 30, "");
    PackSet(fake, script);
    fake.commandLine = "install.exe C:\\SETUP /S /DIR=C:\\Quiet Place /LOG=C:\\q.log";
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), 3010);
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_TRUE(fake.privileges.empty());
    EXPECT_TRUE(fake.shown.empty());
    EXPECT_EQ(fake.GetFile("C:\\Quiet Place\\hello.exe"), kProduct.at("hello.exe"));
    EXPECT_NE(LogOf(fake).find("exit code 3010"), std::string::npos);
}

TEST(Silent, AChainedSetupProgramIsStillStarted) {
    platform::FakePlatform fake;
    std::string script = kScript;
    script.replace(script.find("<INSTALLDIR>hello.exe\r\n"), 21, "<INSTALLDIR>setup.exe");
    PackSet(fake, script);
    fake.commandLine = "install.exe C:\\SETUP /S /LOG=C:\\q.log";
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), 3010);  // the reboot preset of a chained setup program
    ASSERT_EQ(fake.launches.size(), 1u);
    EXPECT_EQ(fake.launches[0].file, "setup.exe");
}

TEST(Silent, TheOverwriteQuestionTakesItsDefaultButton) {
    platform::FakePlatform fake;
    PackSet(fake);
    fake.PutFile("C:\\Program Files\\ZUV Hello\\hello.exe", "old");
    fake.commandLine = "install.exe C:\\SETUP /S /LOG=C:\\q.log";
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(fake.shown.empty());
    EXPECT_EQ(fake.GetFile("C:\\Program Files\\ZUV Hello\\hello.exe"), kProduct.at("hello.exe"));
    EXPECT_NE(LogOf(fake).find("Question (not shown): File Already Exists (hello.exe). Overwrite? - answered &Yes"),
              std::string::npos);
    EXPECT_NE(LogOf(fake).find("overwrite answered Yes"), std::string::npos);
}

// Runs that end at the command line: nothing is touched; the box is shown unless silent.
struct CommandLineCase {
    const char* line;
    int code;
    const char* box;  // start of the one box shown, or "" for none
};

class EndsAtTheCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(EndsAtTheCommandLine, WithItsExitCodeAndNothingChanged) {
    platform::FakePlatform fake;
    PackSet(fake);
    fake.PutFile("C:\\TEMP\\keep", "");
    fake.commandLine = GetParam().line;
    wizard::TSilentSetup run(fake);
    EXPECT_EQ(run.Run(), GetParam().code);
    const std::string box = GetParam().box;
    if (box.empty()) {
        EXPECT_TRUE(fake.shown.empty());
    } else {
        ASSERT_EQ(fake.shown.size(), 1u);
        EXPECT_EQ(fake.shown[0].text.compare(0, box.size(), box), 0) << fake.shown[0].text;
    }
    EXPECT_FALSE(fake.Exists("C:\\Program Files"));
    EXPECT_FALSE(fake.Exists("C:\\WINDOWS\\Temp\\z"));
    EXPECT_TRUE(fake.Exists("C:\\SETUP\\disk.001")) << "parameter 1 is not cleaned";
    // The log lies in the temporary folder, named without a title (no script was read).
    bool logged = false;
    for (const auto& entry : fake.FindFiles("C:\\TEMP\\*.log")) logged |= entry.name == "ZUV Setup 2024-05-06 07-08-09.log";
    EXPECT_TRUE(logged);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EndsAtTheCommandLine,
    ::testing::Values(CommandLineCase{"install.exe C:\\SETUP /X", 1639, "Unknown command-line switch: /X"},
                      CommandLineCase{"install.exe C:\\SETUP /S /X", 1639, ""},
                      CommandLineCase{"install.exe /?", 0, "install.exe [directory] [/S]"},
                      CommandLineCase{"install.exe C:\\SETUP /HELP /S", 0, ""}));

}  // namespace
