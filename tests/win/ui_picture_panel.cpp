// Protects the background's picture panel: an animated GIF turns its frames at its own size, a still picture gets the 105 x 105 box, a damaged file is refused.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <fstream>
#include <string>

#include "ui/background_window.h"
#include "ui/picture_panel.h"

namespace zuv::ui {
namespace {

std::string SourcePath(std::string relative) {
    std::string path = ZUV_SOURCE_DIR "/" + relative;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    while (static_cast<LONG>(GetTickCount() - end) < 0) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(10);
    }
}

class PicturePanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(background.Create(GetModuleHandleA(nullptr))); }
    BackgroundWindow background;
};

TEST_F(PicturePanelTest, AnimatedGifKeepsItsSizeAndTurnsItsFrames) {
    PicturePanel panel(background);
    int width = 0, height = 0;
    ASSERT_TRUE(panel.LoadAnimated(SourcePath("examples/product/logo.gif"), width, height));
    EXPECT_EQ(width, 96);
    EXPECT_EQ(height, 96);
    panel.PlacePanel(20, 70, width + 10, height + 10);
    EXPECT_TRUE(panel.Animating());
    RECT rect{};
    GetWindowRect(panel.Handle(), &rect);
    EXPECT_EQ(rect.right - rect.left, 106);
    const int first = panel.Frame();
    Pump(500);
    EXPECT_NE(panel.Frame(), first);
}

TEST_F(PicturePanelTest, StillPictureSitsInTheFixedBox) {
    PicturePanel panel(background);
    int width = 0, height = 0;
    ASSERT_TRUE(panel.LoadStill(SourcePath("examples/logo.bmp"), width, height));
    EXPECT_EQ(width, 105);
    EXPECT_EQ(height, 105);
    EXPECT_FALSE(panel.Animating());
}

TEST_F(PicturePanelTest, DamagedPictureIsRefused) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "zuv-damaged.gif";
    std::ofstream(path, std::ios::binary) << "GIF89a this is not a picture";
    PicturePanel panel(background);
    int width = 0, height = 0;
    EXPECT_FALSE(panel.LoadAnimated(path, width, height));
    EXPECT_FALSE(panel.LoadStill(path + ".missing", width, height));
    DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace zuv::ui
