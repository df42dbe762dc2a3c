// Protects the background's picture panel: an animated GIF turns its frames at its own size, a still picture gets the 105 x 105 box, a damaged file or a format outside bitmap, icon, metafile and GIF is refused, the file shown is not held open, and the panel wears a raised inner bevel.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <fstream>
#include <string>

#include "ui/background_window.h"
#include "ui/picture_panel.h"
#include "win/ui_canvas.h"

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

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
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

// A PNG is read by GDI+ but is no format the background shows: the run must end instead.
TEST_F(PicturePanelTest, APngPictureIsRefused) {
    const std::string path = TempFile("zuv-picture.png");
    const char png[] =
        "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x02"
        "\x00\x00\x00\xFD\xD4\x9A\x73\x00\x00\x00\x11\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\x00\x44\x60\xE2\x3F"
        "\x03\x00\x1D\xF0\x03\xFD\xA0\x33\x09\x89\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82";
    std::ofstream(path, std::ios::binary).write(png, sizeof png - 1);
    PicturePanel panel(background);
    int width = 0, height = 0;
    EXPECT_FALSE(panel.LoadStill(path, width, height));
    EXPECT_FALSE(panel.LoadAnimated(path, width, height));
    DeleteFileA(path.c_str());
}

// Shut-down deletes the files in TempDir while the picture is still on the background: the
// panel must not hold the file it shows, and an animation keeps turning without it.
TEST_F(PicturePanelTest, TheFileShownIsNotHeldOpen) {
    const struct {
        const char* source;
        const char* copy;
        bool animated;
    } cases[] = {{"examples/product/logo.gif", "zuv-held.gif", true}, {"examples/logo.bmp", "zuv-held.bmp", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const std::string path = TempFile(c.copy);
        ASSERT_TRUE(CopyFileA(SourcePath(c.source).c_str(), path.c_str(), FALSE));
        PicturePanel panel(background);
        int width = 0, height = 0;
        ASSERT_TRUE(c.animated ? panel.LoadAnimated(path, width, height) : panel.LoadStill(path, width, height));
        panel.PlacePanel(20, 70, width + 10, height + 10);
        Pump(100);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
        if (c.animated) {
            const int first = panel.Frame();
            Pump(500);
            EXPECT_NE(panel.Frame(), first);
        }
    }
}

TEST_F(PicturePanelTest, ThePanelWearsARaisedInnerBevel) {
    PicturePanel panel(background);
    int width = 0, height = 0;
    ASSERT_TRUE(panel.LoadStill(SourcePath("examples/logo.bmp"), width, height));
    panel.PlacePanel(20, 70, width + 10, height + 10);
    EXPECT_FALSE(GetWindowLongA(panel.Handle(), GWL_STYLE) & WS_BORDER);
    test::Canvas canvas(115, 115);
    ASSERT_TRUE(canvas.Ok());
    panel.PaintTo(canvas.Dc());
    const uint32_t light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                   face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(canvas.At(0, 0), light);
    EXPECT_EQ(canvas.At(60, 0), light);
    EXPECT_EQ(canvas.At(0, 60), light);
    EXPECT_EQ(canvas.At(114, 60), shadow);
    EXPECT_EQ(canvas.At(60, 114), shadow);
    EXPECT_EQ(canvas.At(114, 114), shadow);
    EXPECT_EQ(canvas.At(1, 1), face);
    EXPECT_EQ(canvas.At(4, 60), face);
    // The picture starts at 5, 5: the example bitmap has no button-face pixel there.
    EXPECT_NE(canvas.At(5, 5), face);
}

}  // namespace
}  // namespace zuv::ui
