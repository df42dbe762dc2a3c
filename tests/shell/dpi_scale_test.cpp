// Protects the scaling of the windows' 96-DPI layout: rounding at each common resolution, edges that stay shared, fonts from points, and the background's layout distances.
#include <gtest/gtest.h>

#include "shell/background.h"
#include "shell/dpi_scale.h"

namespace zuv::shell {
namespace {

struct ScaleCase {
    int pixelsPerInch;
    // Design figures of the windows and what they become on the screen.
    int clientWidth433, clientHeight263, barTop233, edge44, one, five, eleven;
    int font8pt, font26pt;
    int unscaled1024;
};

// 120 and 144 give halves and thirds: 5 x 1.25 = 6.25 -> 6, 1 x 1.5 = 1.5 -> 2 (away from
// zero), 11 x 1.5 = 16.5 -> 17, 263 x 1.25 = 328.75 -> 329.
const ScaleCase kCases[] = {
    {96, 433, 263, 233, 44, 1, 5, 11, 11, 35, 1024},
    {120, 541, 329, 291, 55, 1, 6, 14, 13, 43, 819},
    {144, 650, 395, 350, 66, 2, 8, 17, 16, 52, 683},
    {192, 866, 526, 466, 88, 2, 10, 22, 21, 69, 512},
};

class DpiScaleTable : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(DpiScaleTable, DesignFiguresBecomeScreenPixels) {
    const ScaleCase& c = GetParam();
    const TDpiScale scale(c.pixelsPerInch);
    EXPECT_EQ(scale.PixelsPerInch(), c.pixelsPerInch);
    EXPECT_EQ(scale.Scale(433), c.clientWidth433);
    EXPECT_EQ(scale.Scale(263), c.clientHeight263);
    EXPECT_EQ(scale.Scale(233), c.barTop233);
    EXPECT_EQ(scale.Scale(44), c.edge44);
    EXPECT_EQ(scale.Scale(1), c.one);
    EXPECT_EQ(scale.Scale(5), c.five);
    EXPECT_EQ(scale.Scale(11), c.eleven);
    EXPECT_EQ(scale.Scale(0), 0);
    EXPECT_EQ(scale.Scale(-5), -c.five);
    EXPECT_EQ(scale.FontPixels(8), c.font8pt);
    EXPECT_EQ(scale.FontPixels(26), c.font26pt);
    EXPECT_EQ(scale.Unscale(1024), c.unscaled1024);
    EXPECT_EQ(scale.Unscale(scale.Scale(433)), 433);

    // Neighbours keep touching: the Back button's right edge (232 + 60) is Next's left (296)
    // less the design gap of 4, scaled as an edge.
    const TDpiScale::Rect back = scale.ScaleBox(232, 236, 60, 25);
    const TDpiScale::Rect next = scale.ScaleBox(296, 236, 60, 25);
    EXPECT_EQ(back.right, scale.Scale(292));
    EXPECT_EQ(next.left, scale.Scale(296));
    EXPECT_EQ(back.top, next.top);
    EXPECT_EQ(back.bottom, scale.Scale(261));
    // Boxes that tile in the design tile on the screen, whatever the rounding.
    for (int x = 0; x < 50; ++x) {
        EXPECT_EQ(scale.ScaleBox(x, 0, 1, 1).right, scale.ScaleBox(x + 1, 0, 1, 1).left);
    }

    // The background's distances grow; measured sizes are already screen pixels.
    const TitleLine header = DesignHeader();
    const TitleLine header2 = DesignHeader2();
    const int w = TitleLabelWidth(header, 300, scale), h = TitleLabelHeight(header, 40, scale);
    EXPECT_EQ(w, 300 + scale.Scale(2));
    EXPECT_EQ(h, 40 + scale.Scale(2));
    const BackgroundLayout layout =
        LayOutBackground(1920, 1440, header, w, h, header2, 200, 20, 17, scale);
    EXPECT_EQ(layout.header.left, scale.Scale(8));
    EXPECT_EQ(layout.header.top, scale.Scale(1));
    EXPECT_EQ(layout.header2.left, scale.Scale(18));
    EXPECT_EQ(layout.header2.top, scale.Scale(1) + h + scale.Scale(2));
    EXPECT_EQ(layout.copyright.top, 1440 - 17 - scale.Scale(10));
    EXPECT_EQ(layout.copyright.width, 1920);
}

INSTANTIATE_TEST_SUITE_P(CommonResolutions, DpiScaleTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScaleCase>& info) {
                             return std::to_string(info.param.pixelsPerInch);
                         });

TEST(DpiScale, AScreenThatCannotBeAskedCountsAs96) {
    EXPECT_EQ(TDpiScale(0).PixelsPerInch(), 96);
    EXPECT_EQ(TDpiScale(-120).Scale(433), 433);
    EXPECT_EQ(TDpiScale().Scale(433), 433);
}

}  // namespace
}  // namespace zuv::shell
