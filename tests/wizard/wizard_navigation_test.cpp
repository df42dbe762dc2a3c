// The wizard's pages: every skip rule in both directions, the folders page rebuilt on each
// visit, the presets from the loader, and the ways the wizard ends before the install.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "shell/script.h"
#include "shell/shell_state.h"
#include "wizard/keyboard.h"
#include "wizard/recording_view.h"
#include "wizard/wizard.h"

namespace zuv::wizard {
namespace {

using testing::RecordingView;

class WizardTest : public ::testing::Test {
protected:
    WizardTest() : wizard(platform, view, script, state) {
        state.TempDir = "C:\\WINDOWS\\Temp\\z";
        state.SystemRoot = "C:\\";
        script.ProgramFolder = "My Folder";
        script.InstallDir = "MyApp";
        script.LaunchProgram = "<INSTALLDIR>MYAPP.EXE";
        script.DirectoriesList = {"<INSTALLDIR>~"};
        view.onClose = [this] { wizard.FormClose(); };
    }

    void Licence(const std::string& text) { platform.PutFile(state.TempDir + "\\license.txt", text); }

    // Creation, the loader's radio presets as for a script with a program to launch, and the
    // first showing.
    void Open() {
        wizard.FormCreate();
        wizard.SetChoiceVisible(shell::EndChoice::kReboot, script.ShowReBoot);
        wizard.SetChoiceChecked(shell::EndChoice::kRadioButton1, true);
        wizard.FormShow();
    }

    // Next pressed repeatedly; the pages the user sees after each press.
    std::vector<int> Nexts(int count) {
        std::vector<int> seen;
        for (int k = 0; k < count; ++k) {
            wizard.nextClick();
            seen.push_back(wizard.PageIndex());
        }
        return seen;
    }
    std::vector<int> Backs(int count) {
        std::vector<int> seen;
        for (int k = 0; k < count; ++k) {
            wizard.backClick();
            seen.push_back(wizard.PageIndex());
        }
        return seen;
    }

    platform::FakePlatform platform;
    RecordingView view;
    shell::LoadedScript script;
    shell::ShellState state;
    TZUV wizard;
};

const std::string kLongLicence = "Line one\r\nLine two\r\nLine three\r\n";

TEST_F(WizardTest, EveryPageShownWhenLicenceFolderAndWorkstationPromptArePresent) {
    Licence(kLongLicence);
    script.WorkStationPrompt = true;
    Open();
    EXPECT_EQ(wizard.PageIndex(), kPageWelcome);
    EXPECT_FALSE(view.enabled[Button::kBack]);

    wizard.nextClick();
    EXPECT_EQ(wizard.PageIndex(), kPageLicence);
    EXPECT_FALSE(wizard.ButtonEnabled(Button::kNext)) << "the licence must be accepted or declined";
    EXPECT_TRUE(wizard.ButtonEnabled(Button::kBack));
    EXPECT_FALSE(view.enabled[Button::kNext]);

    wizard.acceptClick();
    EXPECT_EQ(wizard.PageIndex(), kPageDestination);
    EXPECT_TRUE(wizard.ButtonEnabled(Button::kNext));
    EXPECT_EQ(Nexts(2), (std::vector<int>{kPageFolders, kPageInstallType}));
    EXPECT_FALSE(wizard.ButtonVisible(Button::kInstall));
    wizard.nextClick();
    EXPECT_EQ(wizard.PageIndex(), kPageReady);
    EXPECT_TRUE(view.visible[Button::kInstall]);
    EXPECT_FALSE(view.enabled[Button::kNext]);

    // Back walks the same pages in reverse, and hides Install again.
    EXPECT_EQ(Backs(4), (std::vector<int>{kPageInstallType, kPageFolders, kPageDestination, kPageLicence}));
    EXPECT_FALSE(view.visible[Button::kInstall]);
    EXPECT_FALSE(view.enabled[Button::kNext]) << "the licence page again asks for Accept or Decline";
    wizard.backClick();
    EXPECT_EQ(wizard.PageIndex(), kPageWelcome);
    EXPECT_TRUE(view.enabled[Button::kBack]) << "the page change disables Back, then Back enables it again";
    EXPECT_TRUE(view.enabled[Button::kNext]);
}

TEST_F(WizardTest, LicenceFileIsShownWhenItHasMoreThanOneLine) {
    // The memo's lines are the file's lines; only the empty line after a final line break is
    // not one of them. A skipped licence page is skipped both ways.
    const struct {
        const char* text;
        std::vector<std::string> lines;
        bool shown;
    } cases[] = {
        {"Short licence", {"Short licence"}, false},
        {"Short licence\r\n", {"Short licence"}, false},
        {"Short licence\n", {"Short licence"}, false},
        {"Short licence\r", {"Short licence"}, false},
        {"One line\r\n\r\n", {"One line", ""}, true},
        {"One line\n\n", {"One line", ""}, true},
        {"One line\r\r", {"One line", ""}, true},
        {"\r\n", {""}, false},
        {"\r\n\r\n", {"", ""}, true},
        {"First\nSecond", {"First", "Second"}, true},
        {"First\r\nSecond\r\n", {"First", "Second"}, true},
    };
    for (const auto& c : cases) {
        platform::FakePlatform p;
        RecordingView v;
        shell::ShellState s = state;
        TZUV w(p, v, script, s);
        p.PutFile(s.TempDir + "\\license.txt", c.text);
        w.FormCreate();
        w.FormShow();
        EXPECT_EQ(w.MemoLines(Memo::kMemo3), c.lines) << c.text;
        EXPECT_EQ(v.memos[Memo::kMemo3], c.lines) << c.text;
        w.nextClick();
        EXPECT_EQ(w.PageIndex(), c.shown ? kPageLicence : kPageDestination) << c.text;
        if (c.shown) continue;
        w.backClick();
        EXPECT_EQ(w.PageIndex(), kPageWelcome) << c.text;
        EXPECT_FALSE(v.enabled[Button::kBack]) << c.text;
    }
}

TEST_F(WizardTest, OneLicenceLineLongEnoughToWrapIsShown) {
    view.memoWidth = 40;
    Licence(std::string(70, 'w') + "\r\n");
    Open();
    wizard.nextClick();
    EXPECT_EQ(wizard.PageIndex(), kPageLicence);
    EXPECT_FALSE(wizard.ButtonEnabled(Button::kNext));
}

TEST_F(WizardTest, MissingLicenceEmptiesTheMemoAndSkipsThePage) {
    Open();
    EXPECT_TRUE(view.memos[Memo::kMemo3].empty());
    wizard.nextClick();
    EXPECT_EQ(wizard.PageIndex(), kPageDestination);
}

TEST_F(WizardTest, NoFolderAndNoWorkstationPromptJumpFromDestinationToReadyAndBack) {
    script.ProgramFolder = "";
    script.DesktopList = {"App~<INSTALLDIR>APP.EXE~X~X~<INSTALLDIR>APP.ICO~Grp"};
    Open();
    wizard.nextClick();
    ASSERT_EQ(wizard.PageIndex(), kPageDestination);
    wizard.nextClick();
    EXPECT_EQ(wizard.PageIndex(), kPageReady);
    EXPECT_TRUE(wizard.ButtonVisible(Button::kInstall));
    EXPECT_FALSE(wizard.ButtonEnabled(Button::kNext));
    // The skipped folders page leaves the lists empty, and the summary holds only the line
    // with the space needed that the ready page adds.
    EXPECT_TRUE(wizard.CheckListItems(CheckList::kDK).empty());
    EXPECT_TRUE(wizard.CheckListItems(CheckList::kSM).empty());
    EXPECT_EQ(wizard.MemoLines(Memo::kMemo4), (std::vector<std::string>{"Space needed: 0 bytes on C:"}));
    wizard.backClick();
    EXPECT_EQ(wizard.PageIndex(), kPageDestination);
    EXPECT_FALSE(wizard.ButtonVisible(Button::kInstall));
}

TEST_F(WizardTest, NoFolderWithWorkstationPromptGoesToInstallTypeAndBackToDestination) {
    script.ProgramFolder = "";
    script.WorkStationPrompt = true;
    Open();
    EXPECT_EQ(Nexts(3), (std::vector<int>{kPageDestination, kPageInstallType, kPageReady}));
    EXPECT_EQ(Backs(2), (std::vector<int>{kPageInstallType, kPageDestination}));
}

TEST_F(WizardTest, FolderWithoutWorkstationPromptSkipsInstallTypeBothWays) {
    Open();
    EXPECT_EQ(Nexts(3), (std::vector<int>{kPageDestination, kPageFolders, kPageReady}));
    EXPECT_TRUE(wizard.ButtonVisible(Button::kInstall));
    EXPECT_EQ(Backs(2), (std::vector<int>{kPageFolders, kPageDestination}));
}

TEST_F(WizardTest, BackOnWelcomePageStaysThere) {
    // Back is enabled on page 0 only after coming back from the licence page.
    Licence(kLongLicence);
    Open();
    EXPECT_FALSE(view.enabled[Button::kBack]);
    wizard.nextClick();
    wizard.backClick();
    ASSERT_EQ(wizard.PageIndex(), kPageWelcome);
    ASSERT_TRUE(view.enabled[Button::kBack]);
    size_t shown = view.pages.size();
    wizard.backClick();
    EXPECT_EQ(wizard.PageIndex(), kPageWelcome);
    EXPECT_EQ(view.pages.size(), shown) << "no page change, so nothing shown again";
    EXPECT_TRUE(view.enabled[Button::kBack]) << "nothing disables it without a page change";
    wizard.nextClick();
    EXPECT_EQ(wizard.PageIndex(), kPageLicence) << "and Next goes on as before";
}

TEST_F(WizardTest, PageIndexOutsideTheNotebookChangesNothing) {
    Open();
    size_t shown = view.pages.size();
    wizard.SetPageIndex(-1);
    wizard.SetPageIndex(kPageCount);
    wizard.SetPageIndex(kPageWelcome);
    EXPECT_EQ(view.pages.size(), shown);
    EXPECT_EQ(wizard.PageIndex(), kPageWelcome);
}

TEST_F(WizardTest, FoldersPageBuildsSummaryAndListsAndResetsThemOnEachVisit) {
    script.DesktopList = {
        "Hello~<INSTALLDIR>HELLO.EXE~X~X~<INSTALLDIR>HELLO.ICO~Hello Group",
        "Readme~<INSTALLDIR>README.TXT~x~~<INSTALLDIR>R.ICO~Docs",
        "Tool~TOOL.EXE~~X~ICON",  // five fields: the icon is the folder as well
    };
    Open();
    wizard.SetMainDirText("D:\\Target");
    Nexts(2);
    ASSERT_EQ(wizard.PageIndex(), kPageFolders);
    EXPECT_EQ(wizard.MemoLines(Memo::kMemo4),
              (std::vector<std::string>{"Install to:", "  D:\\Target", "", "File / Folder : ", "  My Folder",
                                        "  HELLO.EXE / Hello Group / Desktop / Start Meuu", "  README.TXT / Docs",
                                        "  TOOL.EXE / ICON / Start Meuu"}));
    EXPECT_EQ(view.memos[Memo::kMemo4], wizard.MemoLines(Memo::kMemo4));
    EXPECT_EQ(wizard.CheckListItems(CheckList::kDK), (std::vector<std::string>{"Hello"}));
    EXPECT_EQ(wizard.CheckListItems(CheckList::kSM), (std::vector<std::string>{"Hello", "Tool"}));
    EXPECT_EQ(view.listChecks[CheckList::kSM], (std::vector<bool>{true, true}));

    wizard.CheckListItemClicked(CheckList::kSM, 1, false);
    wizard.CheckListItemClicked(CheckList::kSM, 7, false);  // no such item: ignored
    EXPECT_EQ(wizard.CheckListChecks(CheckList::kSM), (std::vector<bool>{true, false}));
    wizard.backClick();
    wizard.nextClick();
    ASSERT_EQ(wizard.PageIndex(), kPageFolders);
    EXPECT_EQ(wizard.CheckListChecks(CheckList::kSM), (std::vector<bool>{true, true}));
    EXPECT_EQ(wizard.MemoLines(Memo::kMemo4).size(), 8u) << "rebuilt, not appended";
}

TEST_F(WizardTest, FormCreateGivesTheWindowEveryTextTheLogicHolds) {
    // The window has no copies of these texts: what it shows is what it is given here.
    wizard.FormCreate();
    EXPECT_EQ(view.memos[Memo::kMemo1], kWelcomeText);
    EXPECT_EQ(view.memos[Memo::kMemo2], kDestinationText);
    EXPECT_EQ(view.memos[Memo::kMemo3], kBuiltInLicence);
    EXPECT_GT(view.MemoDisplayedLineCount(Memo::kMemo3), 1) << "the built-in licence is shown when the loader skips page 0";
    EXPECT_TRUE(view.memos[Memo::kMemo4].empty());
    EXPECT_EQ(view.mainDir, "C:\\Program Files\\");
    EXPECT_EQ(view.labels[Label::kCreateFolder], "Folder Name");
    EXPECT_EQ(view.labels[Label::kLabel2], "Program to Launch");
    EXPECT_EQ(view.labels[Label::kSource], "Copy Source");
    EXPECT_EQ(view.labels[Label::kDest], "Copy to");
}

TEST_F(WizardTest, FormShowFillsDestinationFolderInstallTypeAndLaunchLabel) {
    state.Cancelled = true;
    script.AddToProgramFiles = true;
    script.WorkStationPrompt = true;
    Open();
    EXPECT_FALSE(state.Cancelled);
    EXPECT_EQ(wizard.MainDirText(), "C:\\Program Files\\MyApp");
    EXPECT_EQ(view.mainDir, "C:\\Program Files\\MyApp");
    EXPECT_EQ(view.labels[Label::kCreateFolder], "My Folder");
    EXPECT_EQ(view.labels[Label::kLabel2], "<INSTALLDIR>MYAPP.EXE");
    EXPECT_TRUE(wizard.RadioChecked(Radio::kMin));
    EXPECT_FALSE(wizard.RadioChecked(Radio::kFull));
    EXPECT_EQ(view.memos[Memo::kMemo1], kWelcomeText);
    EXPECT_EQ(view.memos[Memo::kMemo2], kDestinationText);

    // On the ready page the label names the program without its tag.
    Nexts(4);
    ASSERT_EQ(wizard.PageIndex(), kPageReady);
    EXPECT_EQ(wizard.Label2Caption(), "MYAPP.EXE");
}

TEST_F(WizardTest, DestinationWithoutProgramFilesAndWithEmptyInstallDir) {
    script.AddToProgramFiles = false;
    Open();
    EXPECT_EQ(wizard.MainDirText(), "C:\\MyApp");
    EXPECT_TRUE(wizard.RadioChecked(Radio::kFull));

    script.AddToProgramFiles = true;
    script.InstallDir = "";
    wizard.FormShow();
    EXPECT_EQ(wizard.MainDirText(), "C:\\Program Files\\");
}

TEST_F(WizardTest, TheDirSwitchIsTheProposedDestination) {
    state.InstallDirSwitch = "D:\\Quiet Place";
    Open();
    EXPECT_EQ(wizard.MainDirText(), "D:\\Quiet Place");
    EXPECT_EQ(view.mainDir, "D:\\Quiet Place");
}

TEST_F(WizardTest, LoaderPresetsForAScriptWithoutProgramToLaunch) {
    wizard.FormCreate();
    EXPECT_TRUE(wizard.RebootChecked()) << "design default";
    wizard.SetChoiceVisible(shell::EndChoice::kReboot, false);
    wizard.SetChoiceChecked(shell::EndChoice::kRadioButton2, true);
    wizard.SetChoiceEnabled(shell::EndChoice::kRadioButton1, false);
    EXPECT_FALSE(wizard.ChoiceChecked(shell::EndChoice::kReboot)) << "one group: RadioButton2 unchecks reboot";
    EXPECT_FALSE(view.radioChecked[Radio::kReboot]);
    EXPECT_FALSE(view.radioVisible[Radio::kReboot]);
    EXPECT_FALSE(view.radioEnabled[Radio::kRadioButton1]);
    wizard.FormShow();
    EXPECT_EQ(view.labels[Label::kLabel2], "") << "no program to name while RadioButton1 is disabled";

    // A click on the disabled button changes nothing; one on reboot takes the group.
    wizard.RadioClicked(Radio::kRadioButton1);
    EXPECT_TRUE(wizard.RadioButton2Checked());
    wizard.RadioClicked(Radio::kReboot);
    EXPECT_TRUE(wizard.RebootChecked());
    EXPECT_FALSE(wizard.RadioButton2Checked());
    // The install-type group is separate.
    EXPECT_TRUE(wizard.RadioChecked(Radio::kFull));
}

TEST_F(WizardTest, LoaderNextBeforeShowOpensOnTheLicencePageEvenWithoutLicenceFile) {
    wizard.FormCreate();
    wizard.nextClick();  // ShowWarningScreen is false: the built-in licence is still in the memo
    EXPECT_EQ(wizard.PageIndex(), kPageLicence);
    wizard.FormShow();
    EXPECT_TRUE(wizard.MemoLines(Memo::kMemo3).empty());
    EXPECT_EQ(wizard.PageIndex(), kPageLicence);
    wizard.acceptClick();
    EXPECT_EQ(wizard.PageIndex(), kPageDestination);
}

TEST_F(WizardTest, CancelDeclineAndCloseBoxEndAsCancellation) {
    struct Case {
        const char* name;
        void (TZUV::*handler)();
    };
    for (Case c : {Case{"cancel", &TZUV::cancelClick}, Case{"decline", &TZUV::declineClick},
                   Case{"close box", &TZUV::closeBox}}) {
        platform::FakePlatform p;
        RecordingView v;
        shell::ShellState s = state;
        TZUV w(p, v, script, s);
        v.onClose = [&w] { w.FormClose(); };
        w.FormCreate();
        w.FormShow();
        ASSERT_TRUE(w.RebootChecked());
        (w.*c.handler)();
        EXPECT_TRUE(s.Cancelled) << c.name;
        EXPECT_FALSE(w.RebootChecked()) << c.name;
        EXPECT_FALSE(v.radioChecked[Radio::kReboot]) << c.name;
        EXPECT_EQ(v.closes, 1) << c.name;
        EXPECT_TRUE(w.Closed()) << c.name;
        EXPECT_FALSE(w.InstallFinished()) << c.name;
    }
}

TEST_F(WizardTest, InstallIsRefusedForAScriptWithoutInstallDirEntry) {
    script.DirectoriesList = {"<WINDOWS>~", "<SUB1>~Data"};
    script.FilesList = {"A.TXT~<WINDOWS>~"};
    platform.PutFile(state.TempDir + "\\A.TXT", "a");
    Open();
    Nexts(3);
    ASSERT_EQ(wizard.PageIndex(), kPageReady);
    wizard.installClick();
    EXPECT_EQ(wizard.PageIndex(), kPageReady) << "the user can still cancel";
    ASSERT_EQ(platform.ShownTexts().size(), 1u);
    EXPECT_NE(platform.ShownTexts()[0].find("<INSTALLDIR>"), std::string::npos);
    EXPECT_FALSE(platform.Exists("C:\\WINDOWS\\A.TXT"));
    EXPECT_TRUE(platform.Exists(state.TempDir + "\\A.TXT"));
    EXPECT_EQ(view.closes, 0);
    EXPECT_TRUE(view.barVisible);
}

}  // namespace
}  // namespace zuv::wizard

namespace zuv::wizard {
namespace {

// Return presses the page's default control: the one that moves the user on.
TEST(WizardKeyboard, EachPageHasTheDefaultControlThatMovesOn) {
    const std::pair<int, DefaultControl> expected[] = {
        {kPageWelcome, DefaultControl::kNext},     {kPageLicence, DefaultControl::kAccept},
        {kPageDestination, DefaultControl::kNext}, {kPageFolders, DefaultControl::kNext},
        {kPageInstallType, DefaultControl::kNext}, {kPageReady, DefaultControl::kInstall},
        {kPageInstall, DefaultControl::kNone},
    };
    for (const auto& [page, control] : expected) EXPECT_EQ(DefaultControlOf(page, page == kPageReady), control) << page;
    EXPECT_EQ(DefaultControlOf(kPageReady, false), DefaultControl::kNext);
    EXPECT_EQ(DefaultControlOf(-1, false), DefaultControl::kNone);
}

}  // namespace
}  // namespace zuv::wizard
