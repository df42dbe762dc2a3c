// Unattended runs on the fake platform, from the segment set to the installed system: /S
// installs what the clicked-through wizard installs, shows nothing and launches nothing; a
// missing disk, a wanted restart, a bad command line and the help each end with their exit
// code and say so in the log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "archive/archive_writer.h"
#include "archive/segment_writer.h"
#include "common/routines.h"
#include "platform/fake/fake_platform.h"
#include "shell/main_setup.h"
#include "shell/segment_expander.h"
#include "shell/unzip_stage.h"
#include "wizard/recording_view.h"
#include "wizard/silent_setup.h"
#include "wizard/wizard.h"

using namespace zuv;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

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
    archive::TArchiveWriter writer(archive::coLZH5);
    archive::SetArchive arc;
    arc.Template = "product\\*.*";
    for (const auto& [name, data] : kProduct) {
        writer.Add("product\\" + name, Bytes(data));
        arc.Files.push_back("product\\" + name);
    }
    arc.Archive = writer.Bytes();
    auto segments = archive::SplitIntoSegments(archive::BuildSpanStream({arc}), 24000);
    ASSERT_GE(segments.size(), 3u);
    common::CreateDirPath(fake, "C:\\SETUP");
    archive::WriteSegmentFiles(fake, "C:\\SETUP", "disk", segments);
    fake.PutFile("C:\\SETUP\\install.exe", "MZ the setup program");
    fake.PutFile("C:\\SETUP\\install.cfg", script);
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
    struct Background : shell::BackgroundView {
        void SetSetupHeader(const shell::TitleLine&) override {}
        void SetSetupHeader2(const shell::TitleLine&) override {}
        void SetGradientColors(shell::Color, shell::Color) override {}
        void SetColor(shell::Color) override {}
        void SetTimer1Enabled(bool) override {}
        void Close() override {}
    } background;
    struct Unzip : shell::UnzipView, shell::PictureView {
        std::string Label1Text() override { return ""; }
        void SetLabel1Text(const std::string&) override {}
        void SetGaugeColor(shell::Color) override {}
        void SetGaugeRange(int, int) override {}
        void SetGaugeProgress(int) override {}
        void SetCaptionColors(shell::Color, shell::Color, shell::Color) override {}
        void SetTimer1Enabled(bool) override {}
        void Close() override {}
        void HidePictures() override {}
        bool LoadAnimated(const std::string&, int& w, int& h) override { return w = h = 96, true; }
        bool LoadStill(const std::string&, int& w, int& h) override { return w = h = 105, true; }
        void PlacePanel(int, int, int, int) override {}
        int MainScreenWidth() override { return 1024; }
        int Header2Top() override { return 32; }
        void Repaint() override {}
    } unzipScreen;
    wizard::testing::RecordingView wizardView;
    auto expander = shell::MakeSegmentExpander(fake);
    struct Stages : shell::Stages {
        std::function<void()> preparation, wizard;
        void RunPreparation() override { preparation(); }
        void RunWizard() override { wizard(); }
    } stages;
    struct Choice : shell::WizardChoice {
        wizard::TZUV* zuv = nullptr;
        void SetChoiceVisible(shell::EndChoice c, bool v) override { zuv->SetChoiceVisible(c, v); }
        void SetChoiceEnabled(shell::EndChoice c, bool v) override { zuv->SetChoiceEnabled(c, v); }
        void SetChoiceChecked(shell::EndChoice c, bool v) override { zuv->SetChoiceChecked(c, v); }
        bool ChoiceChecked(shell::EndChoice c) override { return zuv->ChoiceChecked(c); }
        void nextClick() override { zuv->nextClick(); }
    } choice;
    shell::TMainSetup setup(fake, background, choice, stages);
    wizard::TZUV zuv(fake, wizardView, setup.Script(), setup.State());
    choice.zuv = &zuv;
    zuv.FormCreate();
    stages.preparation = [&] {
        shell::TUnzip unzip(fake, unzipScreen, unzipScreen, *expander, setup.State(), setup.Script(), choice);
        unzip.FormShow();
        unzip.Timer1Timer();
    };
    stages.wizard = [&] {
        zuv.FormShow();
        zuv.nextClick();    // welcome
        zuv.acceptClick();  // licence
        zuv.nextClick();    // destination
        zuv.nextClick();    // folders and shortcuts
        zuv.RadioClicked(wizard::Radio::kRadioButton2);
        zuv.installClick();
        setup.InstallIncomplete = zuv.InstallIncomplete;
        setup.InstallFinished = zuv.InstallFinished();
    };
    setup.FormShow();
    setup.Timer1Timer();
    setup.FormClose();
    return setup.ExitCode();
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
