// The shortcut component and the engine's shortcut step: where the .lnk files go, in which
// order, what the uninstall record names, and which failures pass.
#include <gtest/gtest.h>

#include <algorithm>

#include "wizard/engine_fixture.h"

namespace zuv::wizard {
namespace {

using testing::EngineTest;

std::vector<std::string> LinkFiles(const platform::FakePlatform& p) {
    std::vector<std::string> files;
    for (const auto& link : p.links) files.push_back(link.linkFile);
    return files;
}

class ShortcutsTest : public ::testing::Test {
protected:
    ShortcutsTest() : shortcuts(platform) {
        shortcuts.RunProgram = "C:\\Apps\\Hello\\HELLO.EXE";
        shortcuts.IconFile = "C:\\Apps\\Hello\\HELLO.ICO";
        shortcuts.Folder = "Hello";
        shortcuts.ProgramName = "Hello World";
    }
    platform::FakePlatform platform;
    TShortcuts shortcuts;
};

TEST_F(ShortcutsTest, LinkCarriesProgramWorkingDirectoryAndIcon) {
    shortcuts.CreateShortcut();
    ASSERT_EQ(platform.links.size(), 1u);
    const platform::ShellLink& link = platform.links[0];
    EXPECT_EQ(link.linkFile, "C:\\WINDOWS\\Start Menu\\Programs\\Hello\\Hello World.lnk");
    EXPECT_EQ(link.target, "C:\\Apps\\Hello\\HELLO.EXE");
    EXPECT_EQ(link.workingDir, "C:\\Apps\\Hello\\");
    EXPECT_EQ(link.iconPath, "C:\\Apps\\Hello\\HELLO.ICO");
    EXPECT_EQ(link.iconIndex, 0);
    EXPECT_EQ(link.arguments, "");
}

TEST_F(ShortcutsTest, SaveOrderFollowsTheFolderAndPlacementFlags) {
    platform.PutFile("C:\\WINDOWS\\Desktop\\x", "");
    platform.PutFile("C:\\WINDOWS\\Start Menu\\x", "");
    shortcuts.FolderDesktop = true;
    shortcuts.FolderStartMenu = true;
    shortcuts.Desktop = true;
    shortcuts.StartMenu = true;
    shortcuts.CreateShortcut();
    EXPECT_EQ(LinkFiles(platform), (std::vector<std::string>{
                                       "C:\\WINDOWS\\Desktop\\Hello\\Hello World.lnk",
                                       "C:\\WINDOWS\\Start Menu\\Programs\\Hello\\Hello World.lnk",
                                       "C:\\WINDOWS\\Start Menu\\Hello\\Hello World.lnk",
                                       "C:\\WINDOWS\\Desktop\\Hello World.lnk",
                                       "C:\\WINDOWS\\Start Menu\\Hello World.lnk",
                                   }));
}

TEST_F(ShortcutsTest, FolderStartMenuAloneMakesNoProgramsFolder) {
    shortcuts.FolderStartMenu = true;
    shortcuts.CreateShortcut();
    EXPECT_EQ(LinkFiles(platform), (std::vector<std::string>{"C:\\WINDOWS\\Start Menu\\Hello\\Hello World.lnk"}));
    EXPECT_FALSE(platform.Exists("C:\\WINDOWS\\Start Menu\\Programs"));
}

TEST_F(ShortcutsTest, MissingDesktopDirectoryIsNotCreatedAndFailsAfterTheFolderLink) {
    shortcuts.Desktop = true;
    EXPECT_THROW(shortcuts.CreateShortcut(), EShortcutError);
    EXPECT_EQ(LinkFiles(platform),
              (std::vector<std::string>{"C:\\WINDOWS\\Start Menu\\Programs\\Hello\\Hello World.lnk"}));
    EXPECT_FALSE(platform.Exists("C:\\WINDOWS\\Desktop"));
}

TEST_F(ShortcutsTest, ScanFolderListTakesFoldersButNotLinksOrDotNames) {
    platform.PutFile("C:\\WINDOWS\\Start Menu\\Programs\\Games\\x.lnk", "");
    platform.PutFile("C:\\WINDOWS\\Start Menu\\Programs\\Office\\y.lnk", "");
    platform.PutFile("C:\\WINDOWS\\Start Menu\\Programs\\Notepad.lnk", "");
    platform.PutFile("C:\\WINDOWS\\Start Menu\\Programs\\.hidden\\z", "");
    shortcuts.ScanFolderList();
    std::vector<std::string> folders = shortcuts.FolderList;
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"Games", "Office"}));
}

class ShortcutStepTest : public EngineTest {
protected:
    ShortcutStepTest() {
        script.DirectoriesList = {"<INSTALLDIR>~", "<SUB1>~Tools"};
        script.DesktopList = {
            "Hello~<INSTALLDIR>HELLO.EXE~X~X~<WINDOWS>HELLO.ICO~Hello Group",
            "Tool~<sub1>TOOL.EXE~X~~<SUB1>TOOL.ICO",  // five fields: folder = icon field
            "Ghost~<NONE>GHOST.EXE~X~X~<NONE>G.ICO~Ghosts",
        };
        choices.dkItems = {"Hello", "Tool", "Ghost"};
        choices.dkChecked = {false, true, true};
        choices.smItems = {"Hello", "Ghost"};
        choices.smChecked = {true, true};
        platform.PutFile("C:\\WINDOWS\\Desktop\\keep", "");
        platform.PutFile("C:\\WINDOWS\\Start Menu\\keep", "");
    }
};

TEST_F(ShortcutStepTest, EntriesFollowDirectoryOrderAndTheUserChoices) {
    ASSERT_TRUE(Run());
    EXPECT_EQ(LinkFiles(platform), (std::vector<std::string>{
                                       // Hello: desktop unchecked in DK, start menu granted
                                       "C:\\WINDOWS\\Start Menu\\Programs\\Hello Group\\Hello.lnk",
                                       "C:\\WINDOWS\\Start Menu\\Hello.lnk",
                                       "C:\\WINDOWS\\Start Menu\\Programs\\<SUB1>TOOL.ICO\\Tool.lnk",
                                       "C:\\WINDOWS\\Desktop\\Tool.lnk",
                                   }));
    // The icon is looked for in the target's directory, whatever tag the icon names.
    EXPECT_EQ(platform.links[0].target, "C:\\Program Files\\MyApp\\HELLO.EXE");
    EXPECT_EQ(platform.links[0].iconPath, "C:\\Program Files\\MyApp\\HELLO.ICO");
    EXPECT_EQ(platform.links[2].target, "C:\\Program Files\\MyApp\\Tools\\TOOL.EXE");

    EXPECT_EQ(RecordKeys("Folders"), (std::vector<std::string>{"C:\\WINDOWS\\Start Menu\\Programs\\Hello Group",
                                                               "C:\\WINDOWS\\Start Menu\\Programs\\<SUB1>TOOL.ICO"}));
    std::vector<std::string> unins = RecordKeys("UNINS");
    std::vector<std::string> tail(unins.begin() + 2, unins.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"C:\\WINDOWS\\Start Menu\\Hello.*",
                                              "C:\\WINDOWS\\Start Menu\\Programs\\Hello Group\\Hello.*",
                                              "C:\\WINDOWS\\Desktop\\Tool.*",
                                              "C:\\WINDOWS\\Start Menu\\Programs\\<SUB1>TOOL.ICO\\Tool.*"}));
    EXPECT_EQ(view.progress, 2) << "the entry for no directory counts nothing";
}

TEST_F(ShortcutStepTest, FolderFlagsPutTheFolderOnDesktopAndStartMenuAndRecordIt) {
    script.DesktopList = {"Hello~<INSTALLDIR>HELLO.EXE~~~<INSTALLDIR>HELLO.ICO~Grp"};
    shortcuts.FolderDesktop = true;
    shortcuts.FolderStartMenu = true;
    ASSERT_TRUE(Run());
    EXPECT_EQ(LinkFiles(platform), (std::vector<std::string>{"C:\\WINDOWS\\Desktop\\Grp\\Hello.lnk",
                                                             "C:\\WINDOWS\\Start Menu\\Programs\\Grp\\Hello.lnk",
                                                             "C:\\WINDOWS\\Start Menu\\Grp\\Hello.lnk"}));
    EXPECT_EQ(RecordKeys("Folders"),
              (std::vector<std::string>{"C:\\WINDOWS\\Desktop\\Grp", "C:\\WINDOWS\\Start Menu\\Grp",
                                        "C:\\WINDOWS\\Start Menu\\Programs\\Grp"}));
}

TEST_F(ShortcutStepTest, DuplicateCaptionsShareTheirCheck) {
    script.DesktopList = {"Same~<INSTALLDIR>A.EXE~X~~<INSTALLDIR>A.ICO~G", "Same~<INSTALLDIR>B.EXE~X~~<INSTALLDIR>B.ICO~G"};
    choices.dkItems = {"Same", "Same"};
    choices.dkChecked = {false, true};
    ASSERT_TRUE(Run());
    int desktop = 0;
    for (const auto& f : LinkFiles(platform)) desktop += f == "C:\\WINDOWS\\Desktop\\Same.lnk";
    EXPECT_EQ(desktop, 2);
}

TEST_F(ShortcutStepTest, FailingShellLinksDoNotStopTheRunAndKeysStayRecorded) {
    platform.linksFail = true;
    ASSERT_TRUE(Run());
    EXPECT_TRUE(platform.links.empty());
    EXPECT_EQ(RecordKeys("Folders").size(), 2u);
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(view.closes, 1);
}

// Where the shell keeps its folders for all users: every shortcut, every uninstall-record key
// and the program-folder scan follow its answer; a folder it does not know is the one below
// the Windows directory.
struct ShellAnswer {
    const char* name;
    const char* desktop;  // nullptr: the shell is not asked (the fake's default answer)
    const char* startMenu;
    const char* programs;
    const char* expectDesktop;
    const char* expectStartMenu;
    const char* expectPrograms;
};

const ShellAnswer kShellAnswers[] = {
    {"AllUsersProfile", "C:\\Users\\Public\\Desktop", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu",
     "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\", "C:\\Users\\Public\\Desktop",
     "C:\\ProgramData\\Microsoft\\Windows\\Start Menu", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
    {"ShellWithoutFolders", "", "", "", "C:\\WINDOWS\\Desktop", "C:\\WINDOWS\\Start Menu",
     "C:\\WINDOWS\\Start Menu\\Programs"},
    {"ShellOfTheWindowsDirectory", nullptr, nullptr, nullptr, "C:\\WINDOWS\\Desktop", "C:\\WINDOWS\\Start Menu",
     "C:\\WINDOWS\\Start Menu\\Programs"},
    {"OnlyProgramsMissing", "D:\\Desk", "D:\\Menu", "", "D:\\Desk", "D:\\Menu", "C:\\WINDOWS\\Start Menu\\Programs"},
};

class ShellFolderTest : public ShortcutStepTest, public ::testing::WithParamInterface<ShellAnswer> {
protected:
    ShellFolderTest() {
        const ShellAnswer& a = GetParam();
        if (a.desktop) platform.shellFolders[platform::ShellFolder::kCommonDesktop] = a.desktop;
        if (a.startMenu) platform.shellFolders[platform::ShellFolder::kCommonStartMenu] = a.startMenu;
        if (a.programs) platform.shellFolders[platform::ShellFolder::kCommonPrograms] = a.programs;
        desktop = a.expectDesktop;
        startMenu = a.expectStartMenu;
        programs = a.expectPrograms;
        // The desktop and the Start Menu exist, as on any system with a shell.
        platform.PutFile(desktop + "\\keep", "");
        platform.PutFile(startMenu + "\\keep", "");
    }
    std::string desktop, startMenu, programs;
};

TEST_P(ShellFolderTest, ShortcutsRecordAndScanUseTheShellsFolders) {
    platform.PutFile(programs + "\\Accessories\\x.lnk", "");
    platform.PutFile(programs + "\\Notepad.lnk", "");
    shortcuts.ScanFolderList();
    EXPECT_EQ(shortcuts.FolderList, (std::vector<std::string>{"Accessories"}));

    script.DesktopList = {"Hello~<INSTALLDIR>HELLO.EXE~X~X~<INSTALLDIR>HELLO.ICO~Grp"};
    choices.dkItems = choices.smItems = {"Hello"};
    choices.dkChecked = choices.smChecked = {true};
    shortcuts.FolderDesktop = true;
    shortcuts.FolderStartMenu = true;
    ASSERT_TRUE(Run());
    EXPECT_EQ(LinkFiles(platform),
              (std::vector<std::string>{desktop + "\\Grp\\Hello.lnk", programs + "\\Grp\\Hello.lnk",
                                        startMenu + "\\Grp\\Hello.lnk", desktop + "\\Hello.lnk",
                                        startMenu + "\\Hello.lnk"}));
    for (const auto& link : platform.links) {
        EXPECT_EQ(link.target, "C:\\Program Files\\MyApp\\HELLO.EXE");
        EXPECT_EQ(link.workingDir, "C:\\Program Files\\MyApp\\");
        EXPECT_EQ(link.iconPath, "C:\\Program Files\\MyApp\\HELLO.ICO");
        EXPECT_TRUE(platform.Exists(link.linkFile)) << link.linkFile;
    }
    EXPECT_EQ(RecordKeys("Folders"),
              (std::vector<std::string>{desktop + "\\Grp", startMenu + "\\Grp", programs + "\\Grp"}));
    std::vector<std::string> unins = RecordKeys("UNINS");
    std::vector<std::string> tail(unins.begin() + 2, unins.end());
    EXPECT_EQ(tail, (std::vector<std::string>{desktop + "\\Grp\\Hello.*", desktop + "\\Hello.*",
                                              startMenu + "\\Hello.*", startMenu + "\\Grp\\Hello.*",
                                              programs + "\\Grp\\Hello.*"}));
}

INSTANTIATE_TEST_SUITE_P(Shells, ShellFolderTest, ::testing::ValuesIn(kShellAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zuv::wizard
