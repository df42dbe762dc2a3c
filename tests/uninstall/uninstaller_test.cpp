// The uninstaller's logic: its command line, the question, the gauge, the silent run and the
// closing account of what was removed and what was kept.
#include <gtest/gtest.h>

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

TEST(UninstallParamsTest, SilentSwitchDirectoryAndTitle) {
    struct Case {
        std::vector<std::string> params;
        std::string dir;
        bool silent;
        std::string title;
    };
    const std::string own = "C:\\Program Files\\MyApp\\";
    for (const Case& c : {
             Case{{}, "C:\\Program Files\\MyApp", false, ""},
             Case{{"ZUV", "Hello"}, "C:\\Program Files\\MyApp", false, "ZUV Hello"},
             Case{{"/S"}, "C:\\Program Files\\MyApp", true, ""},
             Case{{"/s", "/D=D:\\Apps\\X\\", "ZUV"}, "D:\\Apps\\X", true, "ZUV"},
             Case{{"/D=C:\\Other"}, "C:\\Other", false, ""},
         }) {
        const UninstallOptions o = ParseUninstallParams(c.params, own);
        EXPECT_EQ(o.installDir, c.dir);
        EXPECT_EQ(o.silent, c.silent);
        EXPECT_EQ(o.title, c.title);
    }
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
    EXPECT_EQ(TUninstaller(platform, &uview).Run(Options(false)), kNothingFound);
    EXPECT_EQ(platform.shown.back().text,
              "Nothing to remove: there is no uninstall record (uninstall.cfg) in C:\\Program Files\\MyApp.");
}

}  // namespace
}  // namespace zuv::uninstall
