// The space check of the Install button: what each drive needs (files replaced give their
// space back), the ready page's summary line, and a drive too small stopping the install
// before anything is changed.
#include <gtest/gtest.h>

#include "common/disk_space.h"
#include "platform/fake/fake_platform.h"
#include "shell/script.h"
#include "shell/shell_state.h"
#include "wizard/install_space.h"
#include "wizard/recording_view.h"
#include "wizard/wizard.h"

namespace zuv::wizard {
namespace {

// C: gets install.exe (1000), install.cfg (24), BIG.DAT (3000) and OLD.DAT (500, replacing a
// file of 200): 4324 bytes. D: gets DATA.BIN (2048).
constexpr int64_t kNeededC = 4324, kNeededD = 2048;

class InstallSpaceTest : public ::testing::Test {
protected:
    InstallSpaceTest() : wizard(platform, view, script, state) {
        state.TempDir = "C:\\WINDOWS\\Temp\\z";
        state.SystemRoot = "C:\\";
        script.InstallDir = "MyApp";
        script.DirectoriesList = {"<INSTALLDIR>~", "<SUB1><FOO>~D:\\Data"};
        script.FilesList = {"BIG.DAT~<INSTALLDIR>~", "OLD.DAT~<installdir>~", "DATA.BIN~<SUB1><FOO>~"};
        const std::pair<const char*, size_t> files[] = {
            {"install.exe", 1000}, {"install.cfg", 24}, {"BIG.DAT", 3000}, {"OLD.DAT", 500}, {"DATA.BIN", 2048}};
        for (const auto& [name, size] : files) platform.PutFile(state.TempDir + "\\" + name, std::string(size, 'x'));
        platform.PutFile("C:\\MyApp\\OLD.DAT", std::string(200, 'o'));
        view.onClose = [this] { wizard.FormClose(); };
    }

    void ToReadyPage() {
        wizard.FormCreate();
        wizard.FormShow();
        while (wizard.PageIndex() != kPageReady) wizard.nextClick();
    }

    platform::FakePlatform platform;
    testing::RecordingView view;
    shell::LoadedScript script;
    shell::ShellState state;
    TZUV wizard;
};

TEST_F(InstallSpaceTest, PlanCountsEachDriveAndReadyPageShowsIt) {
    std::vector<common::DriveSpace> plan = PlanInstallSpace(platform, script, state, "C:\\MyApp", false);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].drive, "C:");
    EXPECT_EQ(plan[0].needed, uint64_t(kNeededC));
    EXPECT_EQ(plan[1].drive, "D:");
    EXPECT_EQ(plan[1].needed, uint64_t(kNeededD));

    ToReadyPage();
    ASSERT_FALSE(wizard.MemoLines(Memo::kMemo4).empty());
    EXPECT_EQ(wizard.MemoLines(Memo::kMemo4).back(), "Space needed: 5 KB on C:, 2 KB on D:");
    // Back to the destination, another drive, and the line is replaced, not added.
    while (wizard.PageIndex() != kPageDestination) wizard.backClick();
    wizard.MainDirChanged("E:\\MyApp");
    while (wizard.PageIndex() != kPageReady) wizard.nextClick();
    EXPECT_EQ(wizard.MemoLines(Memo::kMemo4).back(), "Space needed: 5 KB on E:, 2 KB on D:");
    int lines = 0;
    for (const std::string& line : wizard.MemoLines(Memo::kMemo4)) lines += line.rfind(kSpaceNeededStart, 0) == 0;
    EXPECT_EQ(lines, 1);
}

struct SpaceCase {
    const char* name;
    int64_t freeC, freeD;
    const char* shortDrive;  // nullptr: everything fits and the install runs
    int64_t needed;
};

class InstallSpaceCheckTest : public InstallSpaceTest, public ::testing::WithParamInterface<SpaceCase> {};

TEST_P(InstallSpaceCheckTest, ShortDriveStopsInstallBeforeAnythingChanges) {
    const SpaceCase& c = GetParam();
    platform.driveFree['C'] = c.freeC;
    platform.driveFree['D'] = c.freeD;
    ToReadyPage();
    wizard.installClick();
    if (!c.shortDrive) {
        EXPECT_TRUE(wizard.InstallFinished());
        EXPECT_EQ(platform.GetFile("C:\\MyApp\\BIG.DAT").size(), 3000u);
        return;
    }
    const int64_t free = std::string(c.shortDrive) == "C:" ? c.freeC : c.freeD;
    ASSERT_EQ(platform.ShownTexts().size(), 1u);
    EXPECT_EQ(platform.ShownTexts()[0],
              common::NotEnoughSpaceMessage(common::DriveSpace{c.shortDrive, uint64_t(c.needed), free},
                                            "for this installation"));
    EXPECT_EQ(wizard.PageIndex(), kPageReady) << "the wizard stays on its page";
    EXPECT_TRUE(wizard.ButtonVisible(Button::kInstall));
    EXPECT_EQ(view.closes, 0);
    EXPECT_FALSE(platform.Exists("C:\\MyApp\\uninstall.cfg"));
    EXPECT_FALSE(platform.Exists("C:\\MyApp\\BIG.DAT"));
    EXPECT_FALSE(platform.Exists("D:\\Data"));
    EXPECT_EQ(platform.GetFile("C:\\MyApp\\OLD.DAT").size(), 200u);
    EXPECT_TRUE(platform.Exists(state.TempDir + "\\BIG.DAT"));
}

INSTANTIATE_TEST_SUITE_P(Drives, InstallSpaceCheckTest,
                         ::testing::Values(SpaceCase{"BothFitExactly", kNeededC, kNeededD, nullptr, 0},
                                           SpaceCase{"DestinationShortByOneByte", kNeededC - 1, kNeededD, "C:", kNeededC},
                                           SpaceCase{"SecondDriveShort", 1 << 20, 100, "D:", kNeededD}),
                         [](const auto& info) { return std::string(info.param.name); });

// A destination deeper than the system accepts is refused before anything is written, with
// the path and the limit named; where the system has no limit it installs whole, never cut.
TEST_F(InstallSpaceTest, LongDestinationIsRefusedWhereTheSystemWouldCutIt) {
    std::string deep = "C:\\Programme\\\xC3\x9C\xC3\xAF\x6E\xC3\xAF\x63\xC3\xB8\x64\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";
    while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
    script.DirectoriesList = {"<INSTALLDIR>~"};
    script.FilesList = {"BIG.DAT~<INSTALLDIR>~"};
    for (const size_t limit : {size_t(259), size_t(0)}) {
        platform.maxPathLength = limit;
        platform.shown.clear();
        ToReadyPage();
        while (wizard.PageIndex() != kPageDestination) wizard.backClick();
        wizard.MainDirChanged(deep);
        while (wizard.PageIndex() != kPageReady) wizard.nextClick();
        wizard.installClick();
        if (limit) {
            ASSERT_EQ(platform.ShownTexts().size(), 1u);
            EXPECT_EQ(platform.ShownTexts()[0], PathTooLongMessage(deep + "\\uninstall.cfg", limit));
            EXPECT_EQ(wizard.PageIndex(), kPageReady);
            EXPECT_FALSE(platform.Exists(deep));
            continue;
        }
        EXPECT_TRUE(wizard.InstallFinished());
        EXPECT_EQ(platform.GetFile(deep + "\\BIG.DAT").size(), 3000u);
        EXPECT_TRUE(platform.Exists(deep + "\\uninstall.cfg"));
    }
}

}  // namespace
}  // namespace zuv::wizard
