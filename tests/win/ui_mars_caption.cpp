// Protects the caption-bar painter on real windows: the bar's blend, its buttons' places, hit tests and the close click.
#include <gtest/gtest.h>

#include <memory>

#include "shell/background.h"
#include "ui/mars_caption.h"
#include "win/ui_canvas.h"

namespace zuv::ui {
namespace {

using test::Canvas;

int g_closeRequests = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ++g_closeRequests;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A tool window like the wizard's (close box) or the preparation window's (none).
HWND MakeToolWindow(bool closeBox, int clientWidth, int clientHeight) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = "ZuvCaptionTest";
        RegisterClassA(&windowClass);
        registered = true;
    }
    const DWORD style = WS_POPUP | WS_CAPTION | (closeBox ? WS_SYSMENU : 0);
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    HWND window = CreateWindowExA(exStyle, "ZuvCaptionTest", "ZUV32 - Setup", style, 100, 100,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    test::Pump();
    return window;
}

TEST(UiMarsCaption, BarBlendsTheActiveOrInactiveColoursAcrossItsWidth) {
    HWND window = MakeToolWindow(true, 433, 263);
    ASSERT_NE(window, nullptr);
    {
        MarsCaptionPainter painter(window);
        painter.Colors().TakeBackgroundColors(0x0000FF, 0x00FF00, 0x000000);
        const RECT bar = painter.BarRect();
        const int width = bar.right - bar.left;
        const int height = bar.bottom - bar.top;
        ASSERT_GT(width, 433 - 1);
        ASSERT_GT(height, 8);

        // Row 0 of the bar is clear of the icon, the buttons and the text.
        Canvas canvas(bar.right, bar.bottom);
        painter.PaintBar(canvas.Dc(), bar, true);
        EXPECT_EQ(canvas.At(bar.left, bar.top), 0x0000FFu);
        EXPECT_EQ(canvas.At(bar.right - 1, bar.top), 0x00FF00u);
        const int strip = 20;  // of 64
        const int x = bar.left + shell::MulDiv(strip, width, 64);
        EXPECT_EQ(canvas.At(x, bar.top), shell::BlendStep(0x0000FF, 0x00FF00, strip, 64));

        painter.PaintBar(canvas.Dc(), bar, false);
        EXPECT_EQ(canvas.At(bar.left, bar.top), 0x808080u);
        EXPECT_EQ(canvas.At(bar.right - 1, bar.top), 0xC0C0C0u);

        // The caption is written in the text colour somewhere after the icon.
        painter.Colors().ActiveFontColor = 0xFFFFFF;
        painter.PaintBar(canvas.Dc(), bar, true);
        int white = 0;
        for (int y = bar.top; y < bar.bottom; ++y) {
            for (int px = bar.left + height; px < bar.left + width / 2; ++px) {
                if (canvas.At(px, y) == 0xFFFFFFu) ++white;
            }
        }
        EXPECT_GT(white, 10);
    }
    DestroyWindow(window);
}

TEST(UiMarsCaption, CloseBoxIsHitAndClickedWhereItIsDrawn) {
    HWND window = MakeToolWindow(true, 433, 263);
    MarsCaptionPainter painter(window);
    const RECT bar = painter.BarRect();
    const RECT close = painter.CloseButtonRect();
    ASSERT_LT(close.left, close.right);
    EXPECT_EQ(close.right, bar.right - 2);
    EXPECT_GE(close.top, bar.top);
    EXPECT_LE(close.bottom, bar.bottom);
    EXPECT_EQ(painter.MaximizeButtonRect().right, 0);  // a tool window has only the close box

    RECT frame;
    GetWindowRect(window, &frame);
    const POINT centre{frame.left + (close.left + close.right) / 2,
                       frame.top + (close.top + close.bottom) / 2};
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)), HTCLOSE);
    const POINT onBar{frame.left + bar.left + 40, frame.top + bar.top + 3};
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(onBar.x, onBar.y)), HTCAPTION);

    // Pressed and released on the box: the window is asked to close, once.
    g_closeRequests = 0;
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(centre.x, centre.y));
    POINT client = centre;
    ScreenToClient(window, &client);
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    test::Pump();
    EXPECT_EQ(g_closeRequests, 1);

    // Pressed on the box, released elsewhere: nothing.
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(centre.x, centre.y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    test::Pump();
    EXPECT_EQ(g_closeRequests, 1);

    // A greyed close command: the box does nothing.
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(centre.x, centre.y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    test::Pump();
    EXPECT_EQ(g_closeRequests, 1);
    DestroyWindow(window);
}

TEST(UiMarsCaption, WindowWithoutCloseBoxHasNoButtonsAndPainterOutlivesNothing) {
    HWND window = MakeToolWindow(false, 375, 92);
    {
        MarsCaptionPainter painter(window);
        EXPECT_EQ(painter.CloseButtonRect().right, 0);
        const RECT bar = painter.BarRect();
        EXPECT_GT(bar.right - bar.left, 374);
        painter.Colors().TakeBackgroundColors(0x00FFFF, 0x000080, 0xFFFFFF);
        painter.Redraw();
        test::Pump();
    }
    // The painter has let go: the window goes on handling its messages.
    SetWindowTextA(window, "Preparing ZUV Setup");
    test::Pump();
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "Preparing ZUV Setup");
    // And a window destroyed under its painter leaves the painter harmless.
    auto painter = std::make_unique<MarsCaptionPainter>(window);
    DestroyWindow(window);
    painter->Redraw();
    EXPECT_EQ(painter->BarRect().right, 0);
}

}  // namespace
}  // namespace zuv::ui
