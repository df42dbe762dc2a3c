// The caption-bar painter's colours: `TMarsCaption`'s strips for an active or inactive title bar.
//
// The preparation window and the wizard draw their own title bars as a left-to-right blend.
// This class holds the painter's published colours and works out the strips; the Win32 side
// (ui/mars_caption.h) draws them with the icon, the buttons and the text.
#pragma once

#include <string>
#include <vector>

#include "shell/background.h"

namespace zuv::shell {

// Plain colours of the painter's design.
constexpr Color kColorNavy = 0x800000;
constexpr Color kColorGray = 0x808080;
constexpr Color kColorSilver = 0xC0C0C0;

// One strip of the bar: x from `left` to `right` (exclusive) in a plain colour.
struct CaptionStrip {
    int left = 0;
    int right = 0;
    uint32_t rgb = 0;
};

class TMarsCaption {
public:
    // Both windows divide their bars into 64 strips.
    static constexpr int kDesignNumColors = 64;

    int NumColors() const { return numColors_; }
    // Takes the number of strips; values below 1 become 1 (a bar is never left unpainted).
    void SetNumColors(int value) { numColors_ = value < 1 ? 1 : value; }

    Color ActiveBeginColor = kColorNavy;
    Color ActiveEndColor = kColorBlue;
    Color ActiveFontColor = kColorWhite;
    Color InactiveBeginColor = kColorGray;
    Color InactiveEndColor = kColorSilver;
    Color InactiveFontColor = kColorSilver;
    // Empty in both windows, so only the caption shows.
    std::string ApplicationName;

    // Takes over the background's colours as the active ones: begin := the gradient's start,
    // end := its end, text := the first title line's colour. Throws nothing.
    void TakeBackgroundColors(Color gradientFrom, Color gradientTo, Color headerColor);

    // The strips of a bar `width` pixels wide, left to right, in the active or inactive
    // colours (system colours resolved through `resolver`). Strip i spans
    // MulDiv(i, width, NumColors) to MulDiv(i + 1, width, NumColors); with one strip the bar
    // is the begin colour. Throws nothing but std::bad_alloc.
    std::vector<CaptionStrip> Strips(int width, bool active,
                                     const SystemColorResolver& resolver) const;

    // The text colour of an active or inactive bar, as a plain colour.
    uint32_t TextRgb(bool active, const SystemColorResolver& resolver) const;

private:
    int numColors_ = kDesignNumColors;
};

}  // namespace zuv::shell
