// Protects the preparation window as the system shows it: its size and title bar, the label's CR breaks, the gauge's percentage and the forwarded click and timer.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <cstdlib>

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

RECT PlaceOf(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(UnzipWindowTest, ControlsSitAtTheirDesignPlaces) {
    HWND label = nullptr, picture = nullptr, gauge = nullptr;
    for (HWND child = GetWindow(window.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32];
        GetClassNameA(child, cls, sizeof cls);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_OWNERDRAW) {
            picture = child;
        } else if (lstrcmpiA(cls, "Static") == 0) {
            label = child;
        } else {
            gauge = child;
        }
    }
    ASSERT_TRUE(label && picture && gauge);
    const RECT labelRect = PlaceOf(window.Handle(), label);
    EXPECT_EQ(labelRect.left, 44);
    EXPECT_EQ(labelRect.top, 4);
    EXPECT_EQ(labelRect.right - labelRect.left, 325);
    EXPECT_EQ(labelRect.bottom - labelRect.top, 53);
    // Word-wrapped: a plain left-aligned static, not a single line.
    EXPECT_EQ(GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK, SS_LEFT);
    const RECT pictureRect = PlaceOf(window.Handle(), picture);
    EXPECT_EQ(pictureRect.left, 2);
    EXPECT_EQ(pictureRect.top, 8);
    EXPECT_EQ(pictureRect.right - pictureRect.left, 32);
    EXPECT_EQ(pictureRect.bottom - pictureRect.top, 32);
    const RECT panelRect = PlaceOf(window.Handle(), gauge);
    EXPECT_EQ(panelRect.left, 44);
    EXPECT_EQ(panelRect.top, 64);
    EXPECT_EQ(panelRect.right - panelRect.left, 325);
    EXPECT_EQ(panelRect.bottom - panelRect.top, 23);
    EXPECT_TRUE(GetWindowLongA(gauge, GWL_STYLE) & WS_BORDER);
    EXPECT_FALSE(GetWindowLongA(gauge, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));

    HDC screen = GetDC(nullptr);
    const int pixels = MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    LOGFONTA font{};
    ASSERT_NE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font,
                         &font), 0);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -pixels);

    // Centred on the screen.
    RECT outer{};
    GetWindowRect(window.Handle(), &outer);
    EXPECT_LE(std::abs((outer.left + outer.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
}

TEST_F(UnzipWindowTest, GaugeBarStartsInTheHighlightColour) {
    EXPECT_EQ(window.GaugeColor(), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(window.GaugeProgress(), 0);
    EXPECT_EQ(window.GaugePercent(), 0);
}

TEST_F(UnzipWindowTest, OnlyAClickOnTheFreeAreaAsksToAbort) {
    int clicks = 0;
    UnzipWindow::Events events;
    events.formClick = [&] { ++clicks; };
    window.SetEvents(events);
    auto click = [&](int x, int y) {
        SendMessageA(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    click(10, 80);  // below the picture, left of the gauge
    EXPECT_EQ(clicks, 1);
    click(100, 20);  // on the label
    click(10, 20);   // on the picture
    click(200, 70);  // on the gauge
    EXPECT_EQ(clicks, 1);
    // A release without a press on the window is no click.
    SendMessageA(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 80));
    EXPECT_EQ(clicks, 1);
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
    SendMessageA(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 60));
    SendMessageA(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 60));
    EXPECT_EQ(clicks, 1);
    window.SetTimer1Enabled(true);
    window.ShowModal();  // returns when the timer has fired and closed the window
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace zuv::ui
