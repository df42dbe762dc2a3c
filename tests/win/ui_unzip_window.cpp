// Protects the preparation window as the system shows it: its size and title bar, the label's CR breaks, the gauge's percentage and the forwarded click and timer.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/unzip_window.h"

namespace zuv::ui {
namespace {

class UnzipWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr));
        ShowWindow(window.Handle(), SW_SHOWNA);
    }
    UnzipWindow window;
};

TEST_F(UnzipWindowTest, IsAToolWindowWithoutTitleBarButtons) {
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, 375);
    EXPECT_EQ(client.bottom, 92);
    const LONG style = GetWindowLongA(window.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    char caption[64];
    GetWindowTextA(window.Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Preparing ZUV Setup");
}

TEST_F(UnzipWindowTest, LabelKeepsItsTextWithCarriageReturnBreaks) {
    const std::string design = window.Label1Text();
    EXPECT_EQ(design.rfind("Setup is preparing the ZUV Install Wizard", 0), 0u);
    const std::string text = "ZUV Hello 1.0 " + design + "\rPlease Standby.";
    window.SetLabel1Text(text);
    EXPECT_EQ(window.Label1Text(), text);
}

TEST_F(UnzipWindowTest, GaugeShowsProgressOverItsRange) {
    window.SetGaugeRange(0, 13);
    window.SetGaugeProgress(2);
    EXPECT_EQ(window.GaugePercent(), 15);
    window.SetGaugeProgress(13);
    EXPECT_EQ(window.GaugePercent(), 100);
    window.SetGaugeRange(0, 0);
    EXPECT_EQ(window.GaugePercent(), 0);
}

TEST_F(UnzipWindowTest, ClickOnTheFreeAreaAndTheTimerReachTheLogic) {
    int clicks = 0, ticks = 0;
    UnzipWindow::Events events;
    events.formClick = [&] { ++clicks; };
    events.timer1Timer = [&] {
        ++ticks;
        window.SetTimer1Enabled(false);
        window.Close();
    };
    window.SetEvents(events);
    SendMessageA(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 30));
    EXPECT_EQ(clicks, 1);
    window.SetTimer1Enabled(true);
    window.ShowModal();  // returns when the timer has fired and closed the window
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace zuv::ui
