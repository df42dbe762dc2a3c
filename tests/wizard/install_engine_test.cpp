// The install engine's directory and file steps: tag resolution, the uninstall record, the
// copies grouped by directory, the overwrite question, the errors that stop a run and the
// report of files that could not be installed.
#include <gtest/gtest.h>

#include "wizard/engine_fixture.h"

namespace zuv::wizard {
namespace {

using testing::BinaryContent;
using testing::EngineTest;
using testing::RecordingView;

TEST_F(EngineTest, DirectoryTagsResolveByTheirRules) {
    script.DirectoriesList = {
        "<SUB1>~Data",  // before <INSTALLDIR>: still under the destination
        "<installdir>~ignored",
        "<WINDOWS>~ignored",
        "<WINDOWS_SYSTEM>",
        "<PROGRAMFILES>~x",
        "<SUB2><WINDOWS>~Fonts",
        "<SUB3><FOO>~D:\\Data",
        "<SUB4><PROGRAMFILES>~Common",
        "<SUB5><WINDOWS_SYSTEM>~Drivers",
        "<SUB6><INSTALLDIR>~Help",
        "<ALT1>~Tools",
        "<OTHER>~Tools",
    };
    ASSERT_TRUE(Run());
    EXPECT_EQ(engine->DirTagList(),
              (std::vector<std::string>{"<SUB1>", "<INSTALLDIR>", "<WINDOWS>", "<WINDOWS_SYSTEM>", "<PROGRAMFILES>",
                                        "<SUB2><WINDOWS>", "<SUB3><FOO>", "<SUB4><PROGRAMFILES>",
                                        "<SUB5><WINDOWS_SYSTEM>", "<SUB6><INSTALLDIR>", "<ALT1>", "<OTHER>"}));
    EXPECT_EQ(engine->DirPathList(),
              (std::vector<std::string>{"C:\\Program Files\\MyApp\\Data", kDest, "C:\\WINDOWS", "C:\\WINDOWS\\System",
                                        "C:\\Program Files", "C:\\WINDOWS\\Fonts", "D:\\Data",
                                        "C:\\Program Files\\Common", "C:\\WINDOWS\\System\\Drivers",
                                        "C:\\Program Files\\MyApp\\Help", "C:\\Tools", "C:\\Tools"}));
    EXPECT_EQ(engine->DestinationDir(), kDest);
    for (const std::string& dir : engine->DirPathList()) EXPECT_TRUE(common::DirectoryExists(platform, dir)) << dir;
}

TEST_F(EngineTest, FullRunCopiesFilesByteExactRecordsThemAndLaunches) {
    const std::string app = BinaryContent(20000, 1), data = BinaryContent(8192, 2), font = BinaryContent(3, 3);
    const std::string shared = BinaryContent(100, 4);
    Temp("MYAPP.EXE", app);
    Temp("DATA.DAT", data);
    Temp("HELLO.FON", font);
    Temp("SHARED.DLL", shared);
    script.DirectoriesList = {"<SUB1>~Data", "<INSTALLDIR>~", "<SUB2><WINDOWS>~Fonts"};
    script.FilesList = {"MYAPP.EXE~<INSTALLDIR>~X", "sub\\DATA.DAT~<sub1>~", "HELLO.FON~<SUB2><WINDOWS>~",
                        "SHARED.DLL~<INSTALLDIR>~", "SHARED.DLL~<SUB1>~", "NOWHERE.TXT~<NONE>~"};
    Temp("NOWHERE.TXT", "n");
    script.DesktopList = {"A~B"};
    ASSERT_TRUE(Run());

    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\MYAPP.EXE"), app);
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\Data\\DATA.DAT"), data);
    EXPECT_EQ(platform.GetFile("C:\\WINDOWS\\Fonts\\HELLO.FON"), font);
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\SHARED.DLL"), shared);
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\Data\\SHARED.DLL"), shared);
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\install.exe"), "MZ setup program");
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\install.cfg"), "[Setup - Main]\r\n");
    // Each temporary copy is gone once no other entry names it; the shared one stays; a file
    // for no directory is neither copied nor removed.
    EXPECT_FALSE(InTemp("MYAPP.EXE"));
    EXPECT_FALSE(InTemp("DATA.DAT"));
    EXPECT_TRUE(InTemp("SHARED.DLL"));
    EXPECT_TRUE(InTemp("NOWHERE.TXT"));

    common::IniFile record = Record();
    EXPECT_EQ(record.ReadString("Program", "Title", "?"), "ZUV Hello");
    EXPECT_EQ(RecordKeys("UNINS"),
              (std::vector<std::string>{"C:\\Program Files\\MyApp\\*.*", "C:\\Program Files\\MyApp\\Setup\\*.*",
                                        // grouped by directory order, then file order
                                        "C:\\Program Files\\MyApp\\Data\\DATA.DAT",
                                        "C:\\Program Files\\MyApp\\Data\\SHARED.DLL",
                                        "C:\\Program Files\\MyApp\\MYAPP.EXE", "C:\\Program Files\\MyApp\\SHARED.DLL",
                                        "C:\\WINDOWS\\Fonts\\HELLO.FON"}));
    EXPECT_NE(platform.GetFile(std::string(kDest) + "\\uninstall.cfg").find("MYAPP.EXE=\r\n"), std::string::npos)
        << "keys carry empty values";

    EXPECT_EQ(script.LaunchProgram, "C:\\Program Files\\MyApp\\MYAPP.EXE");
    ASSERT_EQ(platform.launches.size(), 1u);
    EXPECT_EQ(platform.launches[0].file, "MYAPP.EXE");
    EXPECT_EQ(platform.launches[0].directory, "C:\\Program Files\\MyApp\\");
    EXPECT_EQ(platform.launches[0].parameters, "");
    EXPECT_EQ(platform.launches[0].show, 5);

    // The window shrank to the status lines near the background's bottom and closed at the end.
    EXPECT_FALSE(view.barVisible);
    EXPECT_EQ(view.windowHeight, 120);
    EXPECT_EQ(view.windowTop, 600 - 120 - 30);
    EXPECT_EQ(view.progressMin, 0);
    EXPECT_EQ(view.progressMax, 7);
    EXPECT_EQ(view.progress, 5) << "one step per file entry that found its directory";
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(view.labelHistory[Label::kSource].front(), "Preparing Directory Structure");
    EXPECT_EQ(view.labelHistory[Label::kSource].back(), "Creating Uninstall Information");
    EXPECT_FALSE(engine->InstallIncomplete());
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(EngineTest, UninstallRecordDropsSectionsOfAnEarlierInstallButKeepsOthers) {
    platform.PutFile(std::string(kDest) + "\\uninstall.cfg",
                     "[UNINS]\r\nC:\\OLD\\FILE=\r\n[Folders]\r\nC:\\OLD=\r\n[Registry]\r\nSoftware\\Old=\r\n"
                     "[Mine]\r\nKeep=1\r\n");
    ASSERT_TRUE(Run());
    common::IniFile record = Record();
    EXPECT_FALSE(record.HasKey("UNINS", "C:\\OLD\\FILE"));
    EXPECT_TRUE(record.ReadSection("Folders").empty());
    EXPECT_TRUE(record.ReadSection("Registry").empty());
    EXPECT_EQ(record.ReadString("Mine", "Keep", ""), "1");
}

TEST_F(EngineTest, WorkstationListReplacesFileListWhenMinIsChecked) {
    choices.minChecked = true;
    Temp("FULL.DAT", "full");
    Temp("NET.DAT", "net");
    platform.PutFile(std::string(kDest) + "\\NET.DAT", "old");
    script.FilesList = {"FULL.DAT~<INSTALLDIR>~X"};
    script.WorkStationList = {"NET.DAT~<INSTALLDIR>"};  // no mark: never asks
    ASSERT_TRUE(Run());
    EXPECT_FALSE(platform.Exists(std::string(kDest) + "\\FULL.DAT"));
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\NET.DAT"), "net");
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(view.progressMax, 2) << "both lists count";
}

TEST_F(EngineTest, OverwriteQuestionAnswersDecideTheCopyButBothAreRecorded) {
    Temp("KEEP.INI", "new keep");
    Temp("SWAP.INI", "new swap");
    Temp("PLAIN.INI", "new plain");
    for (const char* name : {"KEEP.INI", "SWAP.INI", "PLAIN.INI"})
        platform.PutFile(std::string(kDest) + "\\" + name, "old");
    script.FilesList = {"KEEP.INI~<INSTALLDIR>~X", "SWAP.INI~<INSTALLDIR>~X", "PLAIN.INI~<INSTALLDIR>~",
                        "FRESH.INI~<INSTALLDIR>~X"};
    Temp("FRESH.INI", "fresh");
    platform.answers = {1, 0};  // No for KEEP, Yes for SWAP
    ASSERT_TRUE(Run());
    EXPECT_EQ(Questions(), (std::vector<std::string>{"File Already Exists (KEEP.INI). Overwrite?",
                                                     "File Already Exists (SWAP.INI). Overwrite?"}));
    EXPECT_EQ(platform.shown[0].buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\KEEP.INI"), "old");
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\SWAP.INI"), "new swap");
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\PLAIN.INI"), "new plain");
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\FRESH.INI"), "fresh");
    EXPECT_TRUE(Record().HasKey("UNINS", std::string(kDest) + "\\KEEP.INI"));
    EXPECT_FALSE(engine->InstallIncomplete()) << "a file the user chose to keep is no failure";
}

TEST_F(EngineTest, OverwriteIsAskedOncePerMatchingDirectory) {
    script.DirectoriesList = {"<INSTALLDIR>~", "<SUB1>~Copy"};
    script.FilesList = {"A.TXT~<INSTALLDIR>~X", "A.TXT~<SUB1>~X"};
    Temp("A.TXT", "a");
    platform.PutFile(std::string(kDest) + "\\A.TXT", "old");
    platform.PutFile(std::string(kDest) + "\\Copy\\A.TXT", "old");
    platform.answers = {0, 0};
    ASSERT_TRUE(Run());
    EXPECT_EQ(Questions().size(), 2u);
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\Copy\\A.TXT"), "a");
}

TEST_F(EngineTest, NameUsedElsewhereLooksAtEveryOtherEntryInUpperCase) {
    script.FilesList = {"APP.EXE~<INSTALLDIR>~", "readme.txt~<INSTALLDIR>~", "docs\\README.TXT~<SUB1>~"};
    ASSERT_TRUE(Run());
    EXPECT_FALSE(engine->NameUsedElsewhere("APP.EXE", 0));
    EXPECT_TRUE(engine->NameUsedElsewhere("README.TXT", 1));
    EXPECT_TRUE(engine->NameUsedElsewhere("readme.txt", 2));
    EXPECT_TRUE(engine->NameUsedElsewhere("<INSTALLDIR>", 0)) << "the whole entry text is searched";
}

TEST_F(EngineTest, MissingSetupProgramStopsTheRunBeforeAnyFile) {
    platform.DeleteFile(std::string(kTemp) + "\\install.exe");
    Temp("A.TXT", "a");
    script.FilesList = {"A.TXT~<INSTALLDIR>~"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Cannot open file C:\\WINDOWS\\Temp\\z\\install.exe"}));
    EXPECT_FALSE(platform.Exists(std::string(kDest) + "\\A.TXT"));
    EXPECT_TRUE(platform.launches.empty());
    EXPECT_EQ(view.closes, 0) << "the wizard stays open on its progress view";
    EXPECT_TRUE(engine->Stopped());
    EXPECT_TRUE(engine->InstallIncomplete());
    // What was done stays.
    EXPECT_EQ(Record().ReadString("Program", "Title", ""), "ZUV Hello");
}

TEST_F(EngineTest, UnwritableUninstallRecordStopsTheRun) {
    platform.PutFile("C:\\Blocked", "a plain file where the destination should be");
    choices.mainDir = "C:\\Blocked";
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Unable to write to C:\\Blocked\\uninstall.cfg"}));
    EXPECT_EQ(view.closes, 0);
    EXPECT_TRUE(platform.launches.empty());
}

TEST_F(EngineTest, FilesThatCouldNotBeInstalledAreReportedAndTheRunIsNotASuccess) {
    Temp("GOOD.TXT", "good");
    Temp("BIG.DAT", BinaryContent(10000, 5));
    platform.writeLimits["C:\\PROGRAM FILES\\MYAPP\\BIG.DAT"] = 100;  // the disk fills up
    script.FilesList = {"LOST.TXT~<INSTALLDIR>~", "BIG.DAT~<INSTALLDIR>~", "GOOD.TXT~<INSTALLDIR>~"};
    ASSERT_TRUE(Run()) << "the run goes on to its end";
    EXPECT_EQ(platform.GetFile(std::string(kDest) + "\\GOOD.TXT"), "good");
    EXPECT_FALSE(platform.Exists(std::string(kDest) + "\\BIG.DAT")) << "no truncated copy is left";
    EXPECT_TRUE(Record().HasKey("UNINS", std::string(kDest) + "\\LOST.TXT"));
    EXPECT_TRUE(Record().HasKey("UNINS", std::string(kDest) + "\\BIG.DAT"));
    EXPECT_EQ(engine->NotInstalled(),
              (std::vector<std::string>{std::string(kDest) + "\\LOST.TXT", std::string(kDest) + "\\BIG.DAT"}));
    EXPECT_TRUE(engine->InstallIncomplete());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], std::string(kNotInstalledMessage) + "\r" + kDest + "\\LOST.TXT\r" + kDest + "\\BIG.DAT");
    EXPECT_EQ(platform.launches.size(), 1u) << "the report comes after the launch step";
    EXPECT_EQ(view.closes, 1);
}

TEST_F(EngineTest, TagListedTwiceCopiesUntilOneCopySucceedsAndRecordsBothTargets) {
    // The temporary copy goes only after a copy that worked: a failed first copy leaves it
    // for the second directory; a good first copy takes it away, so the second one fails.
    const std::string one = std::string(kDest) + "\\One\\ONCE.TXT", two = std::string(kDest) + "\\Two\\ONCE.TXT";
    const struct {
        const char* name;
        bool firstLocked;
        std::vector<std::string> installed, notInstalled;
    } cases[] = {
        {"first copy works", false, {one}, {two}},
        {"first target locked", true, {two}, {one}},
    };
    for (const auto& c : cases) {
        platform::FakePlatform p;
        p.PutFile(std::string(kTemp) + "\\install.exe", "MZ");
        p.PutFile(std::string(kTemp) + "\\install.cfg", "");
        p.PutFile(std::string(kTemp) + "\\ONCE.TXT", "once");
        if (c.firstLocked) p.unopenable = {common::Upper(one)};
        RecordingView v;
        shell::LoadedScript s = script;
        s.DirectoriesList = {"<INSTALLDIR>~", "<SUB1>~One", "<SUB1>~Two"};
        s.FilesList = {"ONCE.TXT~<SUB1>~"};
        shell::ShellState st = state;
        TShortcuts links(p);
        TInstallEngine e(p, s, st, v, links, choices);
        ASSERT_TRUE(e.RunInstall()) << c.name;
        for (const std::string& target : c.installed) EXPECT_EQ(p.GetFile(target), "once") << c.name;
        for (const std::string& target : c.notInstalled) EXPECT_FALSE(p.Exists(target)) << c.name;
        EXPECT_EQ(e.NotInstalled(), c.notInstalled) << c.name;
        EXPECT_FALSE(p.Exists(std::string(kTemp) + "\\ONCE.TXT")) << c.name << ": gone after the copy that worked";
        common::IniFile record(p.GetFile(std::string(kDest) + "\\uninstall.cfg"));
        EXPECT_TRUE(record.HasKey("UNINS", one)) << c.name;
        EXPECT_TRUE(record.HasKey("UNINS", two)) << c.name;
    }
}

TEST_F(EngineTest, MalformedEntriesInEveryListNeitherCrashNorStopTheRun) {
    platform.PutFile("C:\\autoexec.bat", "");
    const std::vector<std::string> odd = {"", "~", "~~~", ">", "<", "<>~<>", "~~~~~~~~", "<SUB>~", "<<<>>>~>~>"};
    script.DirectoriesList = odd;
    script.DirectoriesList.push_back("<INSTALLDIR>~");
    script.FilesList = odd;
    script.DesktopList = odd;
    script.AutoexecList = odd;
    script.LaunchProgram = "<";
    choices.radioButton1Checked = true;
    Run();
    EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
    EXPECT_EQ(view.closes, 1);
}

TEST_F(EngineTest, ScriptWithoutInstallDirIsRefusedBeforeAnythingChanges) {
    script.DirectoriesList = {"<WINDOWS>~", "<SUB1>~Data"};
    script.FilesList = {"A.TXT~<WINDOWS>~"};
    Temp("A.TXT", "a");
    EXPECT_FALSE(Run());
    EXPECT_EQ(Messages(), (std::vector<std::string>{kNoInstallDirMessage}));
    EXPECT_FALSE(platform.Exists("C:\\WINDOWS\\A.TXT"));
    EXPECT_TRUE(InTemp("A.TXT"));
    EXPECT_TRUE(view.barVisible);
    EXPECT_EQ(script.LaunchProgram, "<INSTALLDIR>MYAPP.EXE");
}

TEST_F(EngineTest, LaunchProgramIsRewrittenFromItsTag) {
    script.LaunchProgram = "<INSTALLDIR>APP\\RUN.EXE";
    ASSERT_TRUE(Run());
    EXPECT_EQ(script.LaunchProgram, "C:\\Program Files\\MyApp\\APP\\RUN.EXE");
    ASSERT_EQ(platform.launches.size(), 1u);
    EXPECT_EQ(platform.launches[0].file, "RUN.EXE");
    EXPECT_EQ(platform.launches[0].directory, "C:\\Program Files\\MyApp\\APP\\");
}

}  // namespace
}  // namespace zuv::wizard
