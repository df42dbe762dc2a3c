// Start-up, the script loader, stage sequencing and shut-down, on the fake platform.
#include <gtest/gtest.h>

#include "common/ini_reader.h"
#include "platform/fake/fake_platform.h"
#include "shell/main_setup.h"

using namespace zuv;
using shell::EndChoice;

namespace {

struct RecordingBackground : shell::BackgroundView {
    shell::TitleLine header, header2;
    shell::Color from = 0, to = 0, color = 0;
    bool timer = false;
    int closes = 0;
    void SetSetupHeader(const shell::TitleLine& l) override { header = l; }
    void SetSetupHeader2(const shell::TitleLine& l) override { header2 = l; }
    void SetGradientColors(shell::Color f, shell::Color t) override { from = f, to = t; }
    void SetColor(shell::Color c) override { color = c; }
    void SetTimer1Enabled(bool e) override { timer = e; }
    void Close() override { ++closes; }
};

struct Choice : shell::WizardChoice {
    bool visible[3] = {true, true, true}, enabled[3] = {true, true, true};
    bool checked[3] = {false, false, true};  // the design checks `reboot`
    int nextClicks = 0;
    void SetChoiceVisible(EndChoice c, bool v) override { visible[int(c)] = v; }
    void SetChoiceEnabled(EndChoice c, bool e) override { enabled[int(c)] = e; }
    void SetChoiceChecked(EndChoice c, bool v) override {
        if (v)
            for (bool& b : checked) b = false;
        checked[int(c)] = v;
    }
    bool ChoiceChecked(EndChoice c) override { return checked[int(c)]; }
    void nextClick() override { ++nextClicks; }
};

struct RecordingStages : shell::Stages {
    std::vector<std::string> runs;
    std::function<void()> duringPreparation, duringWizard;
    void RunPreparation() override {
        runs.push_back("preparation");
        if (duringPreparation) duringPreparation();
    }
    void RunWizard() override {
        runs.push_back("wizard");
        if (duringWizard) duringWizard();
    }
};

class MainSetupTest : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    RecordingBackground view;
    Choice choice;
    RecordingStages stages;
    shell::TMainSetup setup{fake, view, choice, stages};

    void Start(const std::string& cfg, const std::string& dir = "C:\\SETUP") {
        fake.PutFile(dir + "\\install.cfg", cfg);
        fake.SetParams({dir});
        setup.FormShow();
    }
};

TEST_F(MainSetupTest, WithoutScriptEveryItemTakesItsDefault) {
    fake.PutFile("C:\\SETUP\\disk.001", "x");
    fake.SetParams({"C:\\SETUP"});
    setup.FormShow();
    const auto& s = setup.Script();
    EXPECT_EQ(view.header.text, "ZUV - Tolvane 32Bit");
    EXPECT_EQ(view.header.fontName, "Impact");
    EXPECT_EQ(s.ProgramFolder, "Accessories");
    EXPECT_EQ(view.from, 16711680u);
    EXPECT_EQ(view.to, 0u);
    EXPECT_EQ(view.color, 16711680u);
    EXPECT_TRUE(s.DirectoriesList.empty() && s.FilesList.empty() && s.AutoexecList.empty());
    EXPECT_FALSE(choice.enabled[0]);
    EXPECT_TRUE(choice.visible[2]);
    EXPECT_TRUE(choice.checked[2]);
    EXPECT_FALSE(choice.checked[1]);
    EXPECT_EQ(choice.nextClicks, 0);
    EXPECT_TRUE(view.timer);
}

TEST_F(MainSetupTest, StartUpSetsTheShellState) {
    fake.PutFile("C:\\WINDOWS\\Temp\\z\\old.tmp", "left over");
    fake.PutFile("C:\\WINDOWS\\Temp\\z\\sub\\keep.txt", "kept");
    Start("");
    EXPECT_EQ(setup.State().SourceDir, "C:\\SETUP\\");
    EXPECT_EQ(setup.State().ParamDir, "C:\\SETUP");
    EXPECT_EQ(setup.State().SystemRoot, "C:\\");
    EXPECT_EQ(setup.State().TempDir, "C:\\WINDOWS\\Temp\\z");
    EXPECT_FALSE(fake.Exists("C:\\WINDOWS\\Temp\\z\\old.tmp"));
    EXPECT_TRUE(fake.Exists("C:\\WINDOWS\\Temp\\z\\sub\\keep.txt"));  // subdirectories stay
}

TEST_F(MainSetupTest, ARootSourceGetsNoSecondBackslash) {
    std::string error;
    fake.PutFile("A:\\install.cfg", "[Setup - Main]\nFolder=Floppy\n");
    ASSERT_TRUE(fake.SetCurrentDirectory("A:\\", error));
    setup.FormShow();
    EXPECT_EQ(setup.State().SourceDir, "A:\\");
    EXPECT_EQ(setup.State().ParamDir, "");
    EXPECT_EQ(setup.Script().ProgramFolder, "Floppy");
}

TEST_F(MainSetupTest, AMissingParameterDirectoryStopsStartUp) {
    fake.SetParams({"C:\\NOWHERE"});
    setup.FormShow();
    ASSERT_EQ(fake.shown.size(), 1u);
    EXPECT_EQ(fake.shown[0].kind, platform::FakePlatform::Shown::kError);
    EXPECT_NE(fake.shown[0].text.find("C:\\NOWHERE"), std::string::npos);
    EXPECT_TRUE(setup.State().TempDir.empty());
    EXPECT_FALSE(view.timer);
    setup.FormClose();
    EXPECT_EQ(fake.shown.size(), 1u);  // no closing message, nothing cleaned
    EXPECT_TRUE(fake.exits.empty());
}

TEST_F(MainSetupTest, IntegerFormsAndBools) {
    Start("[Setup - Main]\nDither From=0x0000FF\nDither To=$0000FF\nHeader Font Color=255\n"
          "Header Font Shadow=0x\nShow Re-Boot=false\nInstall Disks=-3\nAdd to Program Files=7\n"
          "Header Font Size=abc\n");
    EXPECT_EQ(view.from, 255u);
    EXPECT_EQ(view.to, 255u);
    EXPECT_EQ(view.header.color, 255u);
    EXPECT_EQ(view.header.shadowColor, 0xFFFFFFu);  // malformed keeps the design colour
    EXPECT_EQ(view.header.fontSize, 26);
    EXPECT_TRUE(setup.Script().ShowReBoot);
    EXPECT_EQ(setup.Script().InstallDisks, -3);
    EXPECT_TRUE(setup.Script().AddToProgramFiles);
}

TEST_F(MainSetupTest, RebootHiddenAndLaunchPresets) {
    Start("[Setup - Main]\nShow Re-Boot=0\n");
    EXPECT_FALSE(choice.visible[2]);
    EXPECT_FALSE(choice.checked[2]);
    EXPECT_TRUE(choice.checked[1]);

    Choice c2;
    shell::TMainSetup s2{fake, view, c2, stages};
    fake.PutFile("C:\\S2\\install.cfg", "[Setup - Main]\nLaunch=<INSTALLDIR>setup.exe\n");
    fake.SetParams({"C:\\S2"});
    s2.FormShow();
    EXPECT_FALSE(c2.enabled[0]);
    EXPECT_TRUE(c2.checked[2]);

    Choice c3;
    shell::TMainSetup s3{fake, view, c3, stages};
    fake.PutFile("C:\\S3\\install.cfg", "[Setup - Main]\nLaunch=<INSTALLDIR>install.exe\nShow Warning Screen=0\n");
    fake.SetParams({"C:\\S3"});
    s3.FormShow();
    EXPECT_TRUE(c3.enabled[0]);
    EXPECT_TRUE(c3.checked[0]);
    EXPECT_FALSE(c3.checked[2]);
    EXPECT_EQ(c3.nextClicks, 1);
}

TEST_F(MainSetupTest, ListSectionsMarksDuplicatesAndAutoexec) {
    Start("[Files]\nA=a.txt~<INSTALLDIR>\nB = b.txt~<INSTALLDIR> \nC=\"c.txt~<SUB1>\"\n"
          "[Files - OverWrite]\nFile #1=1\n"
          "[Directories]\nx=<INSTALLDIR>~App\nx=<SUB1>~Other\n"
          "[AUTOEXEC.BAT]\nSET X=1\nPATH %PATH%;C:\\APP=\nNO EQUALS SIGN\n; comment=1\n"
          "[Desktop]\n1=App~<INSTALLDIR>app.exe~X~X~<INSTALLDIR>app.exe~App\n");
    const auto& s = setup.Script();
    EXPECT_EQ(s.FilesList, (std::vector<std::string>{"a.txt~<INSTALLDIR>~", "b.txt~<INSTALLDIR>~X",
                                                      "c.txt~<SUB1>~"}));
    EXPECT_EQ(s.DirectoriesList, (std::vector<std::string>{"<INSTALLDIR>~App", "<INSTALLDIR>~App"}));
    EXPECT_EQ(s.AutoexecList, (std::vector<std::string>{"SET X", "PATH %PATH%;C:\\APP"}));
    EXPECT_EQ(s.DesktopList.size(), 1u);
}

TEST(IniReader, ReadingRules) {
    std::string longValue(1500, 'v');
    common::IniFile ini("junk=before any section\r\n[ Sec ]\r\n  Key One  =  \"quoted value\"  \r\n"
                        "single='x'\nhalf=\"open\nlong=" + longValue + "\n[sec]\nKey One=second section\n");
    EXPECT_EQ(ini.ReadString("SEC", "key one", "d"), "quoted value");
    EXPECT_EQ(ini.ReadString("sec", "single", "d"), "x");
    EXPECT_EQ(ini.ReadString("sec", "half", "d"), "\"open");
    EXPECT_EQ(ini.ReadString("sec", "long", "d").size(), 1023u);
    EXPECT_EQ(ini.ReadString("sec", "missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("none", "junk", "d"), "d");
    EXPECT_EQ(ini.ReadSection("Sec"), (std::vector<std::string>{"Key One", "single", "half", "long"}));
}

// Malformed lines read as the system's profile reader reads them.
TEST(IniReader, MalformedLinesReadAsTheSystemReadsThem) {
    using std::string_literals::operator""s;
    const struct {
        std::string text;
        const char* section;
        std::vector<std::string> keys;                            // the listing
        std::vector<std::pair<const char*, const char*>> values;  // key, value read
    } cases[] = {
        // A header without "]" is no section: what follows stays in the section before,
        // and a "[" line with "=" is an entry of it.
        {"[A]\nk1=one\n[B\nk2=two\n[C=x\n", "A", {"k1", "k2", "[C"}, {{"k2", "two"}, {"[C", "x"}}},
        {"[A]\n[B\nk2=two\n", "B", {}, {{"k2", "<default>"}}},
        {"[A] junk\nk1=one\n[B]]\nk2=two\n", "B]", {"k2"}, {{"k2", "two"}}},
        // An entry with an empty name ends the listing; its value can still be read.
        {"[A]\nk1=one\n =nameless\nk2=two\n", "A", {"k1"}, {{"", "nameless"}, {"k2", "two"}}},
        // A NUL byte ends a name or a value; the quotes are judged on what is left.
        {"[A\0B]\nk1=ab\0cd\nk2=\"q\0\"\nk3=x \0 y\nk\0k=v\n"s, "a", {"k1", "k2", "k3", "k"},
         {{"k1", "ab"}, {"k2", "\"q"}, {"k3", "x "}, {"k", "v"}}},
        // A UTF-8 byte-order mark does not hide the first section.
        {"\xEF\xBB\xBF[A]\r\nk1=one\r\n", "A", {"k1"}, {{"k1", "one"}}},
    };
    for (const auto& c : cases) {
        common::IniFile ini(c.text);
        EXPECT_EQ(ini.ReadSection(c.section), c.keys) << c.text;
        for (const auto& [key, value] : c.values) EXPECT_EQ(ini.ReadString(c.section, key, "<default>"), value) << c.text;
    }
}

TEST(IniReader, KeyListingStopsAtItsBuffer) {
    std::string text = "[L]\n";
    // 1000 names of 9 characters take 10 bytes each; 819 fit whole in 8190 bytes.
    for (int i = 0; i < 1000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "k%08d", i);
        text += std::string(name) + "=" + std::to_string(i) + "\n";
    }
    auto names = common::IniFile(text).ReadSection("L");
    ASSERT_EQ(names.size(), 819u);
    EXPECT_EQ(names.back(), "k00000818");
}

TEST_F(MainSetupTest, StagesRunOnceAndTheWizardOnlyWhenNotCancelled) {
    Start("");
    setup.Timer1Timer();
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(stages.runs, (std::vector<std::string>{"preparation", "wizard"}));
    EXPECT_EQ(view.closes, 1);

    stages.runs.clear();
    stages.duringPreparation = [&] { setup.State().Cancelled = true; };
    setup.Timer1Timer();
    EXPECT_EQ(stages.runs, (std::vector<std::string>{"preparation"}));
}

TEST_F(MainSetupTest, EndingRebootRestartsWithThePrivilege) {
    Start("");
    setup.Timer1Timer();  // the stages ran and the wizard kept the preset restart
    setup.FormClose();
    ASSERT_EQ(fake.ShownTexts().size(), 1u);
    EXPECT_EQ(fake.shown[0].text, "Tolvane is about to RE-BOOT your PC\r\rPlease Remove any floppies from drive.\r\r"
                                  "Click on OK when ready.");
    EXPECT_EQ(fake.exits, std::vector<uint32_t>{2});
    ASSERT_EQ(fake.privileges.size(), 2u);
    EXPECT_EQ(fake.privileges[0], std::make_pair(std::string("SeShutdownPrivilege"), true));
    EXPECT_EQ(fake.privileges[1], std::make_pair(std::string("SeShutdownPrivilege"), false));
}

TEST_F(MainSetupTest, EndingCancelledCompletedAndLaunched) {
    Start("[Setup - Main]\nHeader=\nShow Re-Boot=0\n");
    setup.Timer1Timer();
    setup.State().Cancelled = true;
    setup.FormClose();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{"Your installation was canceled!"});
    EXPECT_TRUE(fake.exits.empty());

    fake.shown.clear();
    setup.State().Cancelled = false;
    setup.FormClose();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{
                                     "Your installation of \r\rhas be completed.\r\rPlease Remove any floppies from drive."});

    fake.shown.clear();
    choice.SetChoiceChecked(EndChoice::kRadioButton1, true);
    setup.FormClose();
    EXPECT_TRUE(fake.shown.empty());

    setup.InstallIncomplete = true;
    setup.FormClose();
    ASSERT_EQ(fake.shown.size(), 1u);
    EXPECT_EQ(fake.shown[0].text.find("has be completed"), std::string::npos);
}

// Alt+F4 on the background during its one-second wait: no stage has run and the user chose
// no ending, so the preset restart is not carried out and the setup ends as cancelled.
TEST_F(MainSetupTest, ACloseBeforeTheWizardRanCountsAsACancellation) {
    Start("");
    ASSERT_TRUE(choice.checked[2]);
    setup.FormClose();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{"Your installation was canceled!"});
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_TRUE(fake.privileges.empty());
    EXPECT_FALSE(choice.checked[2]);
    EXPECT_TRUE(setup.State().Cancelled);
    EXPECT_TRUE(stages.runs.empty());
}

TEST_F(MainSetupTest, ShutDownEmptiesTempDirAndTheParameterDirectory) {
    Start("");
    fake.PutFile("C:\\WINDOWS\\Temp\\z\\a.exe", "a");
    fake.PutFile("C:\\SETUP\\disk.001", "d");
    fake.PutFile("C:\\SETUP\\sub\\x", "x");
    setup.FormClose();
    EXPECT_FALSE(fake.Exists("C:\\WINDOWS\\Temp\\z"));
    EXPECT_FALSE(fake.Exists("C:\\SETUP\\disk.001"));
    EXPECT_FALSE(fake.Exists("C:\\SETUP\\install.cfg"));
    EXPECT_TRUE(fake.Exists("C:\\SETUP\\sub\\x"));
}

}  // namespace

// Every ending of an interactive run, with its exit code and what the user is told.
struct EndingCase {
    const char* name;
    const char* switches;
    std::function<void(shell::TMainSetup&, Choice&)> preparation, wizard;
    int code;
    size_t restarts;
    const char* message;  // start of the closing message, "" for none
};

class InteractiveEndings : public MainSetupTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(InteractiveEndings, ExitWithTheirCode) {
    const EndingCase& c = GetParam();
    stages.duringPreparation = [&] {
        if (c.preparation) c.preparation(setup, choice);
    };
    stages.duringWizard = [&] {
        if (c.wizard) c.wizard(setup, choice);
    };
    fake.PutFile("C:\\SETUP\\install.cfg", "[Setup - Main]\r\nHeader=Prod\r\n");
    fake.commandLine = std::string("install.exe C:\\SETUP ") + c.switches;
    setup.FormShow();
    setup.Timer1Timer();
    setup.FormClose();
    EXPECT_EQ(setup.ExitCode(), c.code);
    EXPECT_EQ(fake.exits.size(), c.restarts);
    const std::string message = c.message;
    if (message.empty()) {
        EXPECT_TRUE(fake.shown.empty());
    } else {
        ASSERT_EQ(fake.shown.size(), 1u);
        EXPECT_EQ(fake.shown[0].text.compare(0, message.size(), message), 0) << fake.shown[0].text;
    }
    EXPECT_NE(setup.State().Log.Lines().back().find("exit code " + std::to_string(c.code)), std::string::npos);
}

void Finished(shell::TMainSetup& s, Choice&) { s.InstallFinished = true; }
void FinishedReturn(shell::TMainSetup& s, Choice& c) {
    s.InstallFinished = true;
    c.SetChoiceChecked(EndChoice::kRadioButton2, true);
}
void CancelledInWizard(shell::TMainSetup& s, Choice& c) {
    c.SetChoiceChecked(EndChoice::kReboot, false);
    s.State().Cancelled = true;
}
void Aborted(shell::TMainSetup& s, Choice& c) { CancelledInWizard(s, c); }
void PreparationFailed(shell::TMainSetup& s, Choice& c) {
    CancelledInWizard(s, c);
    s.State().Failed = true;
}
void Incomplete(shell::TMainSetup& s, Choice& c) {
    FinishedReturn(s, c);
    s.InstallIncomplete = true;
}

INSTANTIATE_TEST_SUITE_P(
    Table, InteractiveEndings,
    ::testing::Values(EndingCase{"returned", "", nullptr, FinishedReturn, 0, 0, "Your installation of \rProd\rhas be"},
                      EndingCase{"restarted", "", nullptr, Finished, 0, 1, "Tolvane is about to RE-BOOT"},
                      EndingCase{"norestart", "/NORESTART", nullptr, Finished, 3010, 0,
                                 "Your installation of \rProd\rhas be completed.\r\rWindows must be restarted"},
                      EndingCase{"cancelled", "", nullptr, CancelledInWizard, 1602, 0, "Your installation was canceled!"},
                      EndingCase{"aborted", "", Aborted, nullptr, 1602, 0, "Your installation was canceled!"},
                      EndingCase{"preparation_failed", "", PreparationFailed, nullptr, 1603, 0,
                                 "Your installation was canceled!"},
                      EndingCase{"incomplete", "", nullptr, Incomplete, 1603, 0, "Your installation of \rProd\ris not"},
                      EndingCase{"wizard_closed", "", nullptr, nullptr, 1603, 1, "Tolvane is about to RE-BOOT"}),
    [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

TEST_F(MainSetupTest, AFailedStartExitsWithFailure) {
    fake.SetParams({"C:\\NOWHERE"});
    setup.FormShow();
    setup.FormClose();
    EXPECT_EQ(setup.ExitCode(), 1603);
}

TEST_F(MainSetupTest, RelativeDirAndLogSwitchesAreTakenFromTheStartingDirectory) {
    std::string error;
    fake.PutFile("C:\\ADMIN\\keep", "");
    ASSERT_TRUE(fake.SetCurrentDirectory("C:\\ADMIN", error));
    fake.PutFile("C:\\SETUP\\install.cfg", "");
    fake.commandLine = "install.exe C:\\SETUP /DIR=App\\ /LOG=run.log";
    setup.FormShow();
    EXPECT_EQ(setup.State().InstallDirSwitch, "C:\\ADMIN\\App");
    EXPECT_EQ(setup.State().Log.Path(), "C:\\ADMIN\\run.log");
    EXPECT_TRUE(fake.Exists("C:\\ADMIN\\run.log"));
}
