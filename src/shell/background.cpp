// The background screen's drawing rules: gradient bands, palette entries, title layout and picture panel place.
#include "shell/background.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace zuv::shell {

const char* const kCopyrightText = "ZUV Setup  -  Copyright (c) 2026 Tolvane.  All rights reserved.";
const char* const kCopyrightFont = "MS Sans Serif";

TitleLine DesignHeader() {
    TitleLine line;
    line.text = "ZUV - Tolvane 32Bit v1.0";
    line.fontName = "Impact";
    line.fontSize = 26;  // 35 pixels at 96 pixels per inch
    line.color = kColorBlack;
    line.shadowColor = kColorWhite;
    line.shadowSize = 2;
    line.left = 8;
    line.top = 1;
    return line;
}

TitleLine DesignHeader2() {
    TitleLine line;
    line.text = "Installation packaged with the ZUV Setup builder by Tolvane";
    line.fontName = "Times New Roman";
    line.fontSize = 10;  // 13 pixels at 96 pixels per inch
    line.color = kColorBlack;
    line.shadowColor = kColorWhite;
    line.shadowSize = 1;
    line.left = 18;
    line.top = 32;
    return line;
}

int32_t MulDiv(int32_t a, int32_t b, int32_t d) {
    if (d == 0) return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / d;  // truncated toward zero
    const int64_t remainder = product % d;
    // Halves go away from zero: the dropped part is at least half the divisor.
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<int64_t>(d))) {
        quotient += ((product < 0) != (d < 0)) ? -1 : 1;
    }
    if (quotient > std::numeric_limits<int32_t>::max() ||
        quotient < std::numeric_limits<int32_t>::min()) {
        return -1;
    }
    return static_cast<int32_t>(quotient);
}

uint32_t ColorToRgb(Color color, const SystemColorResolver& resolver) {
    if (color & 0x80000000u) return resolver(static_cast<int>(color & 0xFF)) & 0xFFFFFFu;
    return color & 0xFFFFFFu;
}

uint32_t BlendStep(uint32_t fromRgb, uint32_t toRgb, int i, int steps) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int from = static_cast<int>((fromRgb >> shift) & 0xFF);
        const int to = static_cast<int>((toRgb >> shift) & 0xFF);
        // The channel wraps to its low 8 bits; within 0..steps-1 it never leaves 0..255.
        const int channel = from + MulDiv(i, to - from, steps - 1);
        result |= static_cast<uint32_t>(channel & 0xFF) << shift;
    }
    return result;
}

namespace {

int ClampSteps(int value) {
    if (value < TFountainFill::kMinSteps) return TFountainFill::kMinSteps;
    if (value > TFountainFill::kMaxSteps) return TFountainFill::kMaxSteps;
    return value;
}

}  // namespace

FountainChange TFountainFill::SetFromColor(Color value) {
    if (value == fromColor_) return FountainChange::kNone;
    fromColor_ = value;
    return FountainChange::kReleasePalette;
}

FountainChange TFountainFill::SetToColor(Color value) {
    if (value == toColor_) return FountainChange::kNone;
    toColor_ = value;
    return FountainChange::kReleasePalette;
}

FountainChange TFountainFill::SetSteps(int value) {
    value = ClampSteps(value);
    if (value == steps_) return FountainChange::kNone;
    steps_ = value;
    return FountainChange::kReleasePalette;
}

FountainChange TFountainFill::SetStyle(TFountainStyle value) {
    if (value == style_) return FountainChange::kNone;
    style_ = value;
    return FountainChange::kRepaint;
}

FountainChange TFountainFill::SetUsePalette(bool value) {
    if (value == usePalette_) return FountainChange::kNone;
    usePalette_ = value;
    return FountainChange::kReleasePalette;
}

FountainChange TFountainFill::SetDrawOnScreen(bool value) {
    if (value == drawOnScreen_) return FountainChange::kNone;
    drawOnScreen_ = value;
    return FountainChange::kNextPaint;
}

bool TFountainFill::IsSolid(uint32_t fromRgb, uint32_t toRgb) const {
    return steps_ < 2 || fromRgb == toRgb;
}

std::vector<uint32_t> TFountainFill::PaletteEntries(uint32_t fromRgb, uint32_t toRgb) const {
    std::vector<uint32_t> entries;
    if (IsSolid(fromRgb, toRgb)) return entries;
    entries.reserve(static_cast<size_t>(steps_));
    for (int i = 0; i < steps_; ++i) entries.push_back(BlendStep(fromRgb, toRgb, i, steps_));
    return entries;
}

std::vector<Band> TFountainFill::BandFill(int width, int height, uint32_t fromRgb,
                                          uint32_t toRgb) const {
    std::vector<Band> bands;
    if (IsSolid(fromRgb, toRgb)) {
        bands.push_back(Band{0, 0, width, height, fromRgb});
        return bands;
    }
    const int n = steps_;
    bands.reserve(static_cast<size_t>(n));
    // The circles' largest diameter is the diagonal, so the first circle covers every corner.
    // The diagonal plus a half is rounded with halves to the even neighbour.
    const double diagonal = std::sqrt(static_cast<double>(width) * width +
                                      static_cast<double>(height) * height);
    const int diameter = static_cast<int>(std::nearbyint(diagonal + 0.5));
    for (int i = 0; i < n; ++i) {
        Band band;
        band.rgb = BlendStep(fromRgb, toRgb, i, n);
        switch (style_) {
            case TFountainStyle::fsHorizontal:
                band.left = 0;
                band.right = width;
                band.top = MulDiv(i, height, n);
                band.bottom = MulDiv(i + 1, height, n);
                break;
            case TFountainStyle::fsVertical:
                band.left = MulDiv(i, width, n);
                band.right = MulDiv(i + 1, width, n);
                band.top = 0;
                band.bottom = height;
                break;
            case TFountainStyle::fsCircular: {
                const int d = MulDiv(n - i, diameter, n);
                band.left = width / 2 - d / 2;
                band.top = height / 2 - d / 2;
                band.right = band.left + d;
                band.bottom = band.top + d;
                break;
            }
        }
        bands.push_back(band);
    }
    return bands;
}

int FontPixelHeight(int points, int pixelsPerInch) {
    const int pixels = MulDiv(points, pixelsPerInch, 72);
    return pixels < 0 ? -pixels : pixels;
}

int TitleLabelWidth(const TitleLine& line, int textWidth, const TDpiScale& scale) {
    return textWidth + (line.shadowSize > 0 ? scale.Scale(line.shadowSize) : 0);
}

int TitleLabelHeight(const TitleLine& line, int textHeight, const TDpiScale& scale) {
    return textHeight + (line.shadowSize > 0 ? scale.Scale(line.shadowSize) : 0);
}

BackgroundLayout LayOutBackground(int screenWidth, int screenHeight, const TitleLine& header,
                                  int headerWidth, int headerHeight, const TitleLine& header2,
                                  int header2Width, int header2Height, int copyrightHeight,
                                  const TDpiScale& scale) {
    BackgroundLayout layout;
    layout.copyright.left = 0;
    layout.copyright.width = screenWidth;
    layout.copyright.height = copyrightHeight;
    layout.copyright.top = screenHeight - copyrightHeight - scale.Scale(kCopyrightBottomGap);

    layout.header.left = scale.Scale(header.left);
    layout.header.top = scale.Scale(1);
    layout.header.width = headerWidth;
    layout.header.height = headerHeight;

    layout.header2.left = scale.Scale(header2.left);
    layout.header2.top = layout.header.top + layout.header.height + scale.Scale(2);
    layout.header2.width = header2Width;
    layout.header2.height = header2Height;
    return layout;
}

bool IsAnimatedPicture(const std::string& bitmapFile) {
    std::string upper = bitmapFile;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper.find("GIF") != std::string::npos;
}

PanelSize PicturePanelSize(bool animated, int pictureWidth, int pictureHeight) {
    if (!animated) pictureWidth = pictureHeight = kStillPictureBox;
    return PanelSize{pictureWidth + 2 * kPictureMargin, pictureHeight + 2 * kPictureMargin};
}

PanelPlace PicturePanelPlace(bool alignCenter, bool alignLeft, int screenWidth, int panelWidth,
                             int header2Top) {
    PanelPlace place;
    place.top = header2Top + 30;
    if (alignCenter) {
        place.left = screenWidth / 2 - panelWidth / 2;
    } else if (alignLeft) {
        place.left = 20;
    } else {
        place.left = screenWidth - (panelWidth + 20);
    }
    return place;
}

}  // namespace zuv::shell
