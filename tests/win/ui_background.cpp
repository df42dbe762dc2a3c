// Protects the background screen as the system draws it: gradient pixels and palette, shadowed titles, full-screen size, layout, timer and close.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/background.h"
#include "ui/application_window.h"
#include "ui/background_window.h"
#include "ui/fountain_fill.h"
#include "ui/title_label.h"
#include "win/ui_canvas.h"

namespace zuv::ui {
namespace {

using test::Canvas;

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;

TEST(UiFountainFill, DesignGradientPaintsBlueToBlackBandsTopToBottom) {
    FountainFill fill;
    fill.SetFromColor(kBlue);
    fill.SetToColor(0);
    fill.SetSteps(255);
    Canvas canvas(64, 480);
    ASSERT_TRUE(canvas.Ok());
    fill.Paint(canvas.Dc(), 64, 480);
    // Band 0 covers rows 0 and 1 in pure blue; the last band ends at row 480 in black.
    EXPECT_EQ(canvas.At(0, 0), kBlue);
    EXPECT_EQ(canvas.At(63, 1), kBlue);
    EXPECT_EQ(canvas.At(10, 2), shell::BlendStep(kBlue, 0, 1, 255));
    EXPECT_EQ(canvas.At(10, 479), 0u);
    EXPECT_EQ(canvas.At(10, 240), shell::BlendStep(kBlue, 0, 127, 255));
    // The palette holds one entry per band.
    ASSERT_NE(fill.Palette(), nullptr);
    EXPECT_EQ(GetPaletteEntries(fill.Palette(), 0, 0, nullptr), 255u);
    PALETTEENTRY last{};
    GetPaletteEntries(fill.Palette(), 254, 1, &last);
    EXPECT_EQ(last.peBlue, 0);
}

TEST(UiFountainFill, VerticalAndCircularBandsLandWhereTheRulesSay) {
    FountainFill fill;
    fill.SetFromColor(0xFFFFFF);
    fill.SetToColor(0);
    fill.SetSteps(3);
    fill.SetStyle(shell::TFountainStyle::fsVertical);
    Canvas canvas(100, 20);
    fill.Paint(canvas.Dc(), 100, 20);
    EXPECT_EQ(canvas.At(32, 5), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(33, 5), 0x7F7F7Fu);
    EXPECT_EQ(canvas.At(66, 5), 0x7F7F7Fu);
    EXPECT_EQ(canvas.At(67, 5), 0u);
    EXPECT_EQ(canvas.At(99, 19), 0u);

    fill.SetStyle(shell::TFountainStyle::fsCircular);
    fill.SetFromColor(kRed);
    fill.SetToColor(kGreen);
    fill.SetSteps(4);
    Canvas round(60, 80);
    round.Fill(0x123456);
    fill.Paint(round.Dc(), 60, 80);
    // The first circle covers the corners in the start colour; the smallest, in the end
    // colour, sits at the centre.
    EXPECT_EQ(round.At(2, 2), kRed);
    EXPECT_EQ(round.At(57, 77), kRed);
    EXPECT_EQ(round.At(30, 40), kGreen);
}

TEST(UiFountainFill, SolidFillsMakeNoPaletteAndChangesReleaseIt) {
    int repaints = 0;
    FountainFill fill([&repaints] { ++repaints; });
    fill.SetFromColor(kRed);
    fill.SetToColor(kRed);
    EXPECT_EQ(repaints, 2);
    Canvas canvas(30, 30);
    fill.Paint(canvas.Dc(), 30, 30);
    EXPECT_EQ(fill.Palette(), nullptr);
    EXPECT_EQ(canvas.At(29, 29), kRed);

    fill.SetToColor(kGreen);
    fill.SetSteps(0);  // one band: the start colour everywhere
    fill.Paint(canvas.Dc(), 30, 30);
    EXPECT_EQ(fill.Palette(), nullptr);
    EXPECT_EQ(canvas.At(0, 29), kRed);

    fill.SetSteps(10);
    fill.Paint(canvas.Dc(), 30, 30);
    EXPECT_NE(fill.Palette(), nullptr);
    const int before = repaints;
    fill.SetSteps(10);  // same value: nothing happens
    EXPECT_EQ(repaints, before);
    EXPECT_NE(fill.Palette(), nullptr);
    fill.SetFromColor(kBlue);
    EXPECT_EQ(fill.Palette(), nullptr);
    EXPECT_EQ(repaints, before + 1);
    fill.SetDrawOnScreen(true);  // takes effect at the next paint, no repaint asked
    EXPECT_EQ(repaints, before + 1);
    fill.SetUsePalette(false);
    fill.Paint(canvas.Dc(), 30, 30);
    EXPECT_EQ(fill.Palette(), nullptr);
    // Drawn straight onto the target, the bands are the same.
    EXPECT_EQ(canvas.At(0, 0), kBlue);
    EXPECT_EQ(canvas.At(0, 29), kGreen);
}

TEST(UiTitleLabel, ShadowGoesRightAndDownAndTheLabelGrowsWithItsText) {
    shell::TitleLine line = shell::DesignHeader();
    line.text = "IIII";
    line.fontName = "Arial";
    line.color = kRed;
    line.shadowColor = kGreen;
    line.shadowSize = 3;
    TitleLabel label(line);
    Canvas canvas(400, 100);
    canvas.Fill(0);
    const SIZE size = label.Measure(canvas.Dc());
    label.Draw(canvas.Dc(), 10, 10);
    // Text and shadow are found by their main colour (their edges may be smoothed).
    int textRight = -1, textBottom = -1, shadowRight = -1, shadowBottom = -1;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 400; ++x) {
            const uint32_t c = canvas.At(x, y);
            const int r = c & 0xFF, g = (c >> 8) & 0xFF;
            if (r > 160 && g < 96) {
                textRight = x > textRight ? x : textRight;
                textBottom = y > textBottom ? y : textBottom;
            }
            if (g > 160 && r < 96) {
                shadowRight = x > shadowRight ? x : shadowRight;
                shadowBottom = y > shadowBottom ? y : shadowBottom;
            }
        }
    }
    ASSERT_GE(textRight, 0);
    ASSERT_GE(shadowRight, 0);
    EXPECT_NEAR(shadowRight - textRight, 3, 1);
    EXPECT_NEAR(shadowBottom - textBottom, 3, 1);
    EXPECT_LT(shadowRight, 10 + size.cx);
    EXPECT_LT(shadowBottom, 10 + size.cy);

    line.shadowSize = 0;
    label.SetLine(line);
    const SIZE plain = label.Measure(canvas.Dc());
    EXPECT_EQ(plain.cx + 3, size.cx);
    EXPECT_EQ(plain.cy + 3, size.cy);
    line.text = std::string(200, 'W');
    label.SetLine(line);
    EXPECT_GT(label.Measure(canvas.Dc()).cx, 20 * plain.cx);
}

class UiBackgroundWindow : public ::testing::Test {
protected:
    void TearDown() override { test::Pump(); }
};

TEST_F(UiBackgroundWindow, CoversTheWholeScreenWithoutBorderAndShowsOnce) {
    BackgroundWindow window;
    int shows = 0;
    BackgroundWindow::Events events;
    events.formShow = [&shows] { ++shows; };
    window.SetEvents(events);
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
    window.ShowMaximized();
    window.ShowMaximized();
    EXPECT_EQ(shows, 1);
    RECT rect;
    GetWindowRect(window.Handle(), &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    const SIZE client = window.ClientSize();
    EXPECT_EQ(client.cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(client.cy, GetSystemMetrics(SM_CYSCREEN));
    const LONG_PTR style = GetWindowLongPtrA(window.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU));
    char caption[64] = "";
    GetWindowTextA(window.Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "ZUV 32Bit Installer");
    char className[64] = "";
    GetClassNameA(window.Handle(), className, sizeof className);
    EXPECT_STREQ(className, "TMainSetup");
}

TEST_F(UiBackgroundWindow, LayoutFollowsTheTitlesAndTheScreen) {
    BackgroundWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    window.ShowMaximized();
    const SIZE client = window.ClientSize();
    shell::BackgroundLayout layout = window.Layout();
    EXPECT_EQ(layout.header.left, 8);
    EXPECT_EQ(layout.header.top, 1);
    EXPECT_GT(layout.header.height, 35);  // the 35-pixel font's line and its shadow
    EXPECT_EQ(layout.header2.left, 18);
    EXPECT_EQ(layout.header2.top, layout.header.top + layout.header.height + 2);
    EXPECT_EQ(layout.copyright.left, 0);
    EXPECT_EQ(layout.copyright.width, client.cx);
    EXPECT_EQ(layout.copyright.top + layout.copyright.height, client.cy - 10);

    // A very wide title grows past the screen and is not cut; the second line follows it.
    shell::TitleLine header = window.SetupHeader();
    header.text = std::string(120, 'M');
    header.fontSize = 40;
    window.SetSetupHeader(header);
    layout = window.Layout();
    EXPECT_GT(layout.header.width, client.cx);
    EXPECT_EQ(layout.header2.top, layout.header.top + layout.header.height + 2);
    EXPECT_GT(layout.header2.top, 50);

    // A smaller screen area: the footer keeps its 10 pixels and the whole width.
    SetWindowPos(window.Handle(), nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    layout = window.Layout();
    EXPECT_EQ(layout.copyright.width, 500);
    EXPECT_EQ(layout.copyright.top + layout.copyright.height, 290);
}

TEST_F(UiBackgroundWindow, PaintsTheScriptsGradientUnderTheTitles) {
    BackgroundWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    window.ShowMaximized();
    const SIZE client = window.ClientSize();
    Canvas canvas(client.cx, client.cy);
    window.PaintTo(canvas.Dc());
    const int x = client.cx - 2;  // right of the titles, above the footer
    EXPECT_EQ(canvas.At(x, 0), kBlue);
    EXPECT_EQ(canvas.At(x, client.cy - 1), 0u);
    // The header's white shadow and black text are both on the screen.
    const auto& header = window.Layout().header;
    bool white = false, black = false;
    for (int y = header.top; y < header.top + header.height; ++y) {
        for (int px = header.left; px < header.left + header.width; ++px) {
            white = white || canvas.At(px, y) == 0xFFFFFF;
            black = black || canvas.At(px, y) == 0;
        }
    }
    EXPECT_TRUE(white);
    EXPECT_TRUE(black);

    window.MainScreen().SetFromColor(kRed);
    window.MainScreen().SetToColor(kGreen);
    window.PaintTo(canvas.Dc());
    EXPECT_EQ(canvas.At(x, 0), kRed);
    EXPECT_EQ(canvas.At(x, client.cy - 1), kGreen);
}

TEST_F(UiBackgroundWindow, Timer1FiresAfterASecondAndCloseRunsFormCloseOnce) {
    BackgroundWindow window;
    int timers = 0, closes = 0;
    BackgroundWindow::Events events;
    events.formShow = [&window] { window.SetTimer1Enabled(true); };
    events.timer1Timer = [&window, &timers] {
        window.SetTimer1Enabled(false);
        ++timers;
    };
    events.formClose = [&closes, &window] {
        ++closes;
        window.Close();  // a second close request while closing is ignored
    };
    window.SetEvents(events);
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    const DWORD start = GetTickCount();
    window.ShowMaximized();
    EXPECT_TRUE(window.Timer1Enabled());
    ASSERT_TRUE(test::PumpUntil([&timers] { return timers > 0; }, 5000));
    EXPECT_GE(GetTickCount() - start, 900u);
    test::PumpUntil([] { return false; }, 1300);
    EXPECT_EQ(timers, 1) << "the stage timer fired again after being disabled";

    window.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(window.Handle(), nullptr);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "closing the main window ends the message loop";
}

struct TaskBarSearch {
    DWORD thread;
    std::vector<HWND> entries;
};

// The windows of this thread the task bar lists: visible, not tool windows, and either
// unowned or marked as application windows.
std::vector<HWND> TaskBarEntries() {
    TaskBarSearch search{GetCurrentThreadId(), {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<TaskBarSearch*>(p);
            const LONG_PTR ex = GetWindowLongPtrA(w, GWL_EXSTYLE);
            if (GetWindowThreadProcessId(w, nullptr) == s->thread && IsWindowVisible(w) &&
                !(ex & WS_EX_TOOLWINDOW) && ((ex & WS_EX_APPWINDOW) || !GetWindow(w, GW_OWNER)))
                s->entries.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.entries;
}

// The task bar shows the program once, as the application title; the background's own
// caption appears nowhere, and a close from the task bar closes the background properly.
TEST_F(UiBackgroundWindow, TheTaskBarEntryIsTheApplicationTitle) {
    ApplicationWindow application;
    BackgroundWindow window;
    int closes = 0;
    BackgroundWindow::Events events;
    events.formClose = [&closes] { ++closes; };
    window.SetEvents(events);
    ASSERT_TRUE(application.Create(GetModuleHandleA(nullptr)));
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), application.Handle()));
    application.SetMainWindow(window.Handle());
    application.Show();
    window.ShowMaximized();
    test::PumpUntil([] { return false; }, 200);

    const std::vector<HWND> entries = TaskBarEntries();
    ASSERT_EQ(entries.size(), 1u);
    char title[64] = {};
    GetWindowTextA(entries[0], title, sizeof title);
    EXPECT_STREQ(title, "ZUV - Setup");
    RECT rect{};
    GetWindowRect(application.Handle(), &rect);
    EXPECT_TRUE(IsRectEmpty(&rect)) << "the application's window is never seen";

    // While a modal window stands in front (the background disabled) the close waits.
    EnableWindow(window.Handle(), FALSE);
    SendMessageA(application.Handle(), WM_CLOSE, 0, 0);
    test::PumpUntil([] { return false; }, 200);
    EXPECT_EQ(closes, 0);
    EnableWindow(window.Handle(), TRUE);
    SendMessageA(application.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(test::PumpUntil([&closes] { return closes > 0; }, 2000));
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_NE(application.Handle(), nullptr);
}

}  // namespace
}  // namespace zuv::ui
