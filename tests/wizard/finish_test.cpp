// The end of the run: which choice launches what, and the whole wizard from Install to its
// close with the state the shell reads afterwards.
#include <gtest/gtest.h>

#include "uninstall/product_fixture.h"
#include "wizard/engine_fixture.h"
#include "wizard/wizard.h"

namespace zuv::wizard {
namespace {

using testing::EngineTest;

TEST_F(EngineTest, LaunchFollowsTheChoiceButChainedSetupsAlwaysRun) {
    struct Case {
        std::string launch;
        bool radioButton1;
        bool launched;
    };
    for (const Case& c : {Case{"<INSTALLDIR>MYAPP.EXE", false, false}, Case{"<INSTALLDIR>SETUP.EXE", false, true},
                          Case{"<INSTALLDIR>sub\\Install.exe", false, true}, Case{"", true, false},
                          Case{"<INSTALLDIR>MYAPP.EXE", true, true}}) {
        platform.launches.clear();
        script.LaunchProgram = c.launch;
        choices.radioButton1Checked = c.radioButton1;
        ASSERT_TRUE(Run()) << c.launch;
        EXPECT_EQ(platform.launches.size(), c.launched ? 1u : 0u) << c.launch << " " << c.radioButton1;
    }
    EXPECT_EQ(platform.launches[0].file, "MYAPP.EXE");
}

TEST_F(EngineTest, ProgramWithoutDirectoryStartsWithEmptyWorkingDirectoryAndLongPathsStayWhole) {
    script.LaunchProgram = "NOTEPAD.EXE";
    ASSERT_TRUE(Run());
    ASSERT_EQ(platform.launches.size(), 1u);
    EXPECT_EQ(platform.launches[0].file, "NOTEPAD.EXE");
    EXPECT_EQ(platform.launches[0].directory, "");

    platform.launches.clear();
    const std::string longDir = "C:\\" + std::string(100, 'd');
    choices.mainDir = longDir;
    script.LaunchProgram = "<INSTALLDIR>" + std::string(90, 'p') + ".EXE";
    ASSERT_TRUE(Run());
    ASSERT_EQ(platform.launches.size(), 1u);
    EXPECT_EQ(platform.launches[0].file, std::string(90, 'p') + ".EXE");
    EXPECT_EQ(platform.launches[0].directory, longDir + "\\");
}

class WizardInstallTest : public EngineTest {
protected:
    WizardInstallTest() : wizard(platform, view, script, state) {
        script.ProgramFolder = "Hello";
        script.InstallDir = "MyApp";
        script.AddToProgramFiles = true;
        script.DesktopList = {"Hello~<INSTALLDIR>MYAPP.EXE~X~X~<INSTALLDIR>MYAPP.EXE~Hello"};
        script.FilesList = {"MYAPP.EXE~<INSTALLDIR>~X"};
        Temp("MYAPP.EXE", "app");
        platform.PutFile("C:\\WINDOWS\\Desktop\\keep", "");
        platform.PutFile("C:\\WINDOWS\\Start Menu\\keep", "");
        view.onClose = [this] { wizard.FormClose(); };
        wizard.FormCreate();
        wizard.SetChoiceChecked(shell::EndChoice::kRadioButton1, true);
        wizard.FormShow();
    }
    void ToReady() {
        while (wizard.PageIndex() != kPageReady) {
            int before = wizard.PageIndex();
            wizard.nextClick();
            ASSERT_NE(wizard.PageIndex(), before);
        }
    }
    TZUV wizard;
};

TEST_F(WizardInstallTest, InstallRunsTheEngineWithTheWizardsChoicesAndCloses) {
    ToReady();
    wizard.SetPageIndex(kPageFolders);
    wizard.CheckBoxClicked(CheckBox::kCheckBox1, true);     // folder in the Start Menu
    wizard.CheckListItemClicked(CheckList::kDK, 0, false);  // no desktop shortcut
    wizard.MainDirChanged("C:\\Program Files\\Other");
    wizard.SetPageIndex(kPageReady);
    wizard.installClick();
    EXPECT_EQ(view.pages.back(), kPageInstall);
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\Other\\MYAPP.EXE"), "app");
    std::vector<std::string> links;
    for (const auto& l : platform.links) links.push_back(l.linkFile);
    EXPECT_EQ(links, (std::vector<std::string>{"C:\\WINDOWS\\Start Menu\\Hello\\Hello.lnk",
                                               "C:\\WINDOWS\\Start Menu\\Hello.lnk"}));
    EXPECT_TRUE(wizard.Shortcuts1().FolderStartMenu);
    EXPECT_EQ(wizard.Shortcuts1().Folder, "Hello");
    EXPECT_EQ(platform.launches.size(), 1u);
    EXPECT_TRUE(wizard.InstallFinished());
    EXPECT_FALSE(wizard.InstallIncomplete);
    EXPECT_TRUE(wizard.Closed());
    EXPECT_TRUE(wizard.RadioButton1Checked());
    EXPECT_FALSE(state.Cancelled);
}

TEST_F(WizardInstallTest, MinCheckedInstallsTheWorkstationList) {
    script.WorkStationPrompt = true;
    script.WorkStationList = {"NET.DLL~<INSTALLDIR>"};
    Temp("NET.DLL", "net");
    wizard.FormShow();
    ToReady();
    EXPECT_TRUE(wizard.RadioChecked(Radio::kMin));
    wizard.installClick();
    EXPECT_TRUE(platform.Exists("C:\\Program Files\\MyApp\\NET.DLL"));
    EXPECT_FALSE(platform.Exists("C:\\Program Files\\MyApp\\MYAPP.EXE"));
}

TEST_F(WizardInstallTest, MissedFilesMarkTheInstallIncomplete) {
    script.FilesList.push_back("GONE.DLL~<INSTALLDIR>~");
    ToReady();
    wizard.installClick();
    EXPECT_TRUE(wizard.InstallFinished());
    EXPECT_TRUE(wizard.InstallIncomplete);
    EXPECT_EQ(wizard.NotInstalled, (std::vector<std::string>{"C:\\Program Files\\MyApp\\GONE.DLL"}));
    EXPECT_TRUE(wizard.Closed());
}

TEST_F(WizardInstallTest, AfterAnEngineErrorTheCloseBoxEndsWithAnIncompleteInstall) {
    platform.DeleteFile(std::string(kTemp) + "\\install.cfg");
    ToReady();
    wizard.RadioClicked(Radio::kReboot);
    wizard.installClick();
    EXPECT_FALSE(wizard.InstallFinished());
    EXPECT_FALSE(wizard.Closed()) << "the wizard stays on its progress view";
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Cannot open file C:\\WINDOWS\\Temp\\z\\install.cfg"}));
    wizard.closeBox();
    EXPECT_TRUE(wizard.Closed());
    EXPECT_TRUE(wizard.InstallIncomplete);
    EXPECT_FALSE(state.Cancelled);
    EXPECT_TRUE(wizard.RebootChecked()) << "the shell acts on the choice as it stands";
}

// An INI step that fails (its file's directory is missing) after files, shortcuts and another
// INI value were made: the error box first, then the question.
TEST_F(WizardInstallTest, AfterAnEngineErrorYesUndoesEverythingAndEndsAsCancelled) {
    platform.PutFile("C:\\WINDOWS\\EXISTING.INI", "[Main]\r\nMode=old\r\n");
    script.IniSetupList = {"EXISTING.INI~Main~Mode~new", "C:\\NOWHERE\\X.INI~S~K~V"};
    const uninstall::testing::Machine before = uninstall::testing::Snapshot(platform);
    ToReady();
    wizard.RadioClicked(Radio::kReboot);
    platform.answers = {0};
    wizard.installClick();
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, "Unable to write to C:\\NOWHERE\\X.INI");
    EXPECT_EQ(platform.shown[1].text, "Setup could not finish. Undo the changes made so far?");
    EXPECT_EQ(platform.shown[1].buttons, (std::vector<std::string>{"&Yes", "&No"})) << "Yes first, the default";
    EXPECT_EQ(uninstall::testing::Differences(before, uninstall::testing::Snapshot(platform)), "");
    EXPECT_TRUE(state.Cancelled);
    EXPECT_FALSE(wizard.RebootChecked());
    EXPECT_TRUE(wizard.Closed());
}

TEST_F(WizardInstallTest, AfterAnEngineErrorNoLeavesTheInstallationAsItStands) {
    script.IniSetupList = {"C:\\NOWHERE\\X.INI~S~K~V"};
    ToReady();
    platform.answers = {1};
    wizard.installClick();
    EXPECT_EQ(Questions(), (std::vector<std::string>{"Setup could not finish. Undo the changes made so far?"}));
    EXPECT_TRUE(platform.Exists("C:\\Program Files\\MyApp\\MYAPP.EXE"));
    EXPECT_TRUE(platform.Exists("C:\\Program Files\\MyApp\\uninstall.cfg"));
    EXPECT_FALSE(state.Cancelled);
    EXPECT_FALSE(wizard.Closed()) << "the wizard stays on its progress view";
}

TEST_F(WizardInstallTest, CloseBoxWhileTheEngineRunsIsIgnored) {
    int calls = 0;
    platform.onProcessMessages = [&] {
        if (++calls == 3) wizard.closeBox();
    };
    ToReady();
    wizard.installClick();
    EXPECT_GE(calls, 3);
    EXPECT_FALSE(state.Cancelled);
    EXPECT_EQ(view.closes, 1) << "closed once, by the engine at its end";
    EXPECT_TRUE(platform.Exists("C:\\Program Files\\MyApp\\MYAPP.EXE"));
}

}  // namespace
}  // namespace zuv::wizard
