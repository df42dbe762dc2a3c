// Protects the background's drawing rules: rounding, band colours and edges, the palette, the title layout, the picture panel and the caption strips.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "shell/background.h"
#include "shell/caption.h"

namespace zuv::shell {
namespace {

uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

const SystemColorResolver kNoSystemColors = [](int) -> uint32_t {
    ADD_FAILURE() << "a plain colour was resolved as a system colour";
    return 0;
};

TEST(BackgroundMulDiv, RoundsHalvesAwayFromZeroWithA64BitIntermediate) {
    EXPECT_EQ(MulDiv(1, 480, 255), 2);          // 1.88
    EXPECT_EQ(MulDiv(1, 3, 2), 2);              // 1.5 up
    EXPECT_EQ(MulDiv(-1, 3, 2), -2);            // -1.5 down, away from zero
    EXPECT_EQ(MulDiv(1, -3, -2), 2);            // signs cancel
    EXPECT_EQ(MulDiv(127, -255, 254), -128);    // -127.5
    EXPECT_EQ(MulDiv(5, 1, 4), 1);              // 1.25
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);  // product beyond 32 bits
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::max(), 4, 1), -1);
}

TEST(BackgroundBlend, EndsAreExactAndChannelsBlendSeparately) {
    const uint32_t blue = Rgb(0, 0, 255), red = Rgb(255, 0, 0);
    EXPECT_EQ(BlendStep(blue, red, 0, 255), blue);
    EXPECT_EQ(BlendStep(blue, red, 254, 255), red);
    // MulDiv(127, -255, 254) = -128 from blue and +128 from red.
    EXPECT_EQ(BlendStep(blue, red, 127, 255), Rgb(128, 0, 127));
    const uint32_t odd = Rgb(10, 200, 77), other = Rgb(250, 3, 77);
    EXPECT_EQ(BlendStep(odd, other, 0, 7), odd);
    EXPECT_EQ(BlendStep(odd, other, 6, 7), other);
    EXPECT_EQ(BlendStep(odd, other, 3, 7), Rgb(130, 101, 77));  // 10+120, 200-98.5 -> 200-99
}

TEST(BackgroundColors, SystemColoursAreResolvedAndFlagBytesIgnored) {
    const SystemColorResolver resolver = [](int index) -> uint32_t {
        return index == 15 ? 0x00C0C0C0u : 0x00123456u;
    };
    EXPECT_EQ(ColorToRgb(0x8000000F, resolver), 0xC0C0C0u);
    EXPECT_EQ(ColorToRgb(0x80000001, resolver), 0x123456u);
    EXPECT_EQ(ColorToRgb(0x02FF0000, kNoSystemColors), 0xFF0000u);
    EXPECT_EQ(ColorToRgb(16711680, kNoSystemColors), 0xFF0000u);
}

TEST(FountainFillProperties, StepsAreKeptWithinRangeAndChangesAskForTheRightWork) {
    TFountainFill fill;
    EXPECT_EQ(fill.FromColor(), 0xFFFF00u);
    EXPECT_EQ(fill.Steps(), 20);
    EXPECT_EQ(fill.SetSteps(0), FountainChange::kReleasePalette);
    EXPECT_EQ(fill.Steps(), 1);
    EXPECT_EQ(fill.SetSteps(-7), FountainChange::kNone);  // also becomes 1: no change
    EXPECT_EQ(fill.SetSteps(300), FountainChange::kReleasePalette);
    EXPECT_EQ(fill.Steps(), 255);
    EXPECT_EQ(fill.SetSteps(256), FountainChange::kNone);
    EXPECT_EQ(fill.SetSteps(255), FountainChange::kNone);

    EXPECT_EQ(fill.SetFromColor(kColorBlue), FountainChange::kReleasePalette);
    EXPECT_EQ(fill.SetFromColor(kColorBlue), FountainChange::kNone);
    EXPECT_EQ(fill.SetToColor(kColorBlack), FountainChange::kNone);
    EXPECT_EQ(fill.SetToColor(kColorWhite), FountainChange::kReleasePalette);
    EXPECT_EQ(fill.SetUsePalette(false), FountainChange::kReleasePalette);
    EXPECT_EQ(fill.SetUsePalette(false), FountainChange::kNone);
    EXPECT_EQ(fill.SetStyle(TFountainStyle::fsVertical), FountainChange::kRepaint);
    EXPECT_EQ(fill.SetStyle(TFountainStyle::fsVertical), FountainChange::kNone);
    EXPECT_EQ(fill.SetDrawOnScreen(true), FountainChange::kNextPaint);
    EXPECT_EQ(fill.SetDrawOnScreen(true), FountainChange::kNone);
}

TEST(FountainFillBands, OneBandOrEqualColoursGiveOneSolidFillAndNoPalette) {
    TFountainFill fill;
    fill.SetSteps(0);
    auto bands = fill.BandFill(640, 480, Rgb(0, 0, 255), 0);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].rgb, Rgb(0, 0, 255));
    EXPECT_EQ(bands[0].right, 640);
    EXPECT_EQ(bands[0].bottom, 480);
    EXPECT_TRUE(fill.PaletteEntries(Rgb(0, 0, 255), 0).empty());

    fill.SetSteps(255);
    bands = fill.BandFill(640, 480, 0x336699, 0x336699);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].rgb, 0x336699u);
    EXPECT_TRUE(fill.PaletteEntries(0x336699, 0x336699).empty());

    const auto entries = fill.PaletteEntries(Rgb(0, 0, 255), 0);
    ASSERT_EQ(entries.size(), 255u);
    EXPECT_EQ(entries.front(), Rgb(0, 0, 255));
    EXPECT_EQ(entries.back(), 0u);
}

TEST(FountainFillBands, HorizontalDesignBandsTileTheScreenTopToBottom) {
    TFountainFill fill;
    fill.SetSteps(255);
    const auto bands = fill.BandFill(640, 480, Rgb(0, 0, 255), 0);
    ASSERT_EQ(bands.size(), 255u);
    // Band 0 covers rows 0 and 1 in pure blue; the last ends at row 480 in black.
    EXPECT_EQ(bands[0].top, 0);
    EXPECT_EQ(bands[0].bottom, 2);
    EXPECT_EQ(bands[0].rgb, Rgb(0, 0, 255));
    EXPECT_EQ(bands.back().bottom, 480);
    EXPECT_EQ(bands.back().rgb, 0u);
    for (size_t i = 0; i < bands.size(); ++i) {
        EXPECT_EQ(bands[i].left, 0);
        EXPECT_EQ(bands[i].right, 640);
        if (i > 0) {
            EXPECT_EQ(bands[i].top, bands[i - 1].bottom) << "gap or overlap at band " << i;
        }
        EXPECT_LE(bands[i].top, bands[i].bottom);
    }
}

TEST(FountainFillBands, VerticalStripsOfAHundredPixelControl) {
    TFountainFill fill;
    fill.SetStyle(TFountainStyle::fsVertical);
    fill.SetSteps(3);
    const auto bands = fill.BandFill(100, 40, Rgb(255, 255, 255), 0);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0].left, 0);
    EXPECT_EQ(bands[0].right, 33);
    EXPECT_EQ(bands[1].left, 33);
    EXPECT_EQ(bands[1].right, 67);
    EXPECT_EQ(bands[2].left, 67);
    EXPECT_EQ(bands[2].right, 100);
    EXPECT_EQ(bands[1].rgb, Rgb(127, 127, 127));  // 255 - 127.5 -> 255 - 128
    EXPECT_EQ(bands[2].bottom, 40);
}

TEST(FountainFillBands, CirclesShrinkFromTheDiagonalToTheCentre) {
    TFountainFill fill;
    fill.SetStyle(TFountainStyle::fsCircular);
    fill.SetSteps(4);
    // A 60 x 80 control has a diagonal of exactly 100; 100.5 rounds to the even 100.
    auto bands = fill.BandFill(60, 80, Rgb(0, 255, 0), Rgb(0, 0, 255));
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands[0].right - bands[0].left, 100);
    EXPECT_EQ(bands[0].left, 30 - 50);
    EXPECT_EQ(bands[0].top, 40 - 50);
    EXPECT_EQ(bands[0].rgb, Rgb(0, 255, 0));
    EXPECT_EQ(bands[3].right - bands[3].left, 25);  // MulDiv(1, 100, 4)
    EXPECT_EQ(bands[3].left, 30 - 12);
    EXPECT_EQ(bands[3].top, 40 - 12);
    EXPECT_EQ(bands[3].rgb, Rgb(0, 0, 255));
    for (size_t i = 1; i < bands.size(); ++i) {
        EXPECT_LT(bands[i].right - bands[i].left, bands[i - 1].right - bands[i - 1].left);
        EXPECT_EQ(bands[i].right - bands[i].left, bands[i].bottom - bands[i].top);
    }
    // 101.5 is no half-way case between evens: it goes to 102.
    fill.SetSteps(2);
    bands = fill.BandFill(101, 0, Rgb(0, 255, 0), 0);
    EXPECT_EQ(bands[0].right - bands[0].left, 102);
}

TEST(BackgroundLayoutRules, FooterHugsTheBottomAndTheSecondTitleFollowsTheFirst) {
    const TitleLine header = DesignHeader();
    const TitleLine header2 = DesignHeader2();
    EXPECT_EQ(FontPixelHeight(header.fontSize, 96), 35);
    EXPECT_EQ(FontPixelHeight(header2.fontSize, 96), 13);
    EXPECT_EQ(FontPixelHeight(header.fontSize, 120), 43);  // 43.33

    // A very wide header grows with its text (and its shadow) and is never cut.
    const int w = TitleLabelWidth(header, 2400), h = TitleLabelHeight(header, 43);
    EXPECT_EQ(w, 2402);
    EXPECT_EQ(h, 45);
    const int h2 = TitleLabelHeight(header2, 15);
    BackgroundLayout layout = LayOutBackground(1024, 768, header, w, h, header2, 300, h2, 13);
    EXPECT_EQ(layout.header.left, 8);
    EXPECT_EQ(layout.header.top, 1);
    EXPECT_EQ(layout.header.width, 2402);
    EXPECT_EQ(layout.header2.left, 18);
    EXPECT_EQ(layout.header2.top, 1 + 45 + 2);
    EXPECT_EQ(layout.copyright.left, 0);
    EXPECT_EQ(layout.copyright.width, 1024);
    EXPECT_EQ(layout.copyright.top + layout.copyright.height, 768 - 10);

    layout = LayOutBackground(640, 480, header, w, h, header2, 300, h2, 13);
    EXPECT_EQ(layout.copyright.width, 640);
    EXPECT_EQ(layout.copyright.top, 480 - 13 - 10);
}

TEST(BackgroundPicturePanel, KindSizeAndPlace) {
    EXPECT_TRUE(IsAnimatedPicture("logo.gif"));
    EXPECT_TRUE(IsAnimatedPicture("LOGO.GIF"));
    EXPECT_TRUE(IsAnimatedPicture("gifts.bmp"));
    EXPECT_FALSE(IsAnimatedPicture("logo.bmp"));
    EXPECT_FALSE(IsAnimatedPicture("g-i-f.ico"));

    PanelSize size = PicturePanelSize(true, 64, 40);
    EXPECT_EQ(size.width, 74);
    EXPECT_EQ(size.height, 50);
    size = PicturePanelSize(false, 640, 10);
    EXPECT_EQ(size.width, 115);
    EXPECT_EQ(size.height, 115);

    PanelPlace place = PicturePanelPlace(true, true, 1024, 115, 48);
    EXPECT_EQ(place.left, 512 - 57);
    EXPECT_EQ(place.top, 78);
    place = PicturePanelPlace(false, true, 1024, 115, 48);
    EXPECT_EQ(place.left, 20);
    // Neither centre nor left: 20 pixels from the right edge.
    place = PicturePanelPlace(false, false, 1024, 115, 48);
    EXPECT_EQ(place.left, 1024 - 135);
}

TEST(MarsCaptionStrips, StripsTileTheBarInTheActiveOrInactiveBlend) {
    TMarsCaption caption;
    const auto active = caption.Strips(333, true, kNoSystemColors);
    ASSERT_EQ(active.size(), 64u);
    EXPECT_EQ(active.front().left, 0);
    EXPECT_EQ(active.front().rgb, 0x800000u);  // navy
    EXPECT_EQ(active.back().right, 333);
    EXPECT_EQ(active.back().rgb, 0xFF0000u);   // blue
    for (size_t i = 1; i < active.size(); ++i) EXPECT_EQ(active[i].left, active[i - 1].right);
    EXPECT_EQ(caption.TextRgb(true, kNoSystemColors), 0xFFFFFFu);

    const auto inactive = caption.Strips(333, false, kNoSystemColors);
    EXPECT_EQ(inactive.front().rgb, 0x808080u);
    EXPECT_EQ(inactive.back().rgb, 0xC0C0C0u);
    EXPECT_EQ(caption.TextRgb(false, kNoSystemColors), 0xC0C0C0u);

    caption.TakeBackgroundColors(0x0000FF, 0x00FF00, 0x8000000E);
    const auto taken = caption.Strips(100, true, kNoSystemColors);
    EXPECT_EQ(taken.front().rgb, 0x0000FFu);
    EXPECT_EQ(taken.back().rgb, 0x00FF00u);
    EXPECT_EQ(caption.TextRgb(true, [](int index) -> uint32_t { return index == 14 ? 0xABCDEFu : 0u; }),
              0xABCDEFu);

    caption.SetNumColors(0);
    const auto one = caption.Strips(100, true, kNoSystemColors);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].right, 100);
    EXPECT_EQ(one[0].rgb, 0x0000FFu);
}

}  // namespace
}  // namespace zuv::shell
