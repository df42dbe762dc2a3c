// The background screen's drawing rules: the gradient control's bands and palette, the title lines' layout and the picture panel's place.
//
// The Win32 window (src/ui) draws; everything here is arithmetic on plain values, so the rules
// can be checked without a screen. Colours are 32-bit values as the script writes them: red in
// bits 0..7, green in 8..15, blue in 16..23, or a system colour (0x80000000 + index).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/dpi_scale.h"

namespace zuv::shell {

using Color = uint32_t;

// Plain colours of the design.
constexpr Color kColorBlack = 0x000000;
constexpr Color kColorWhite = 0xFFFFFF;
constexpr Color kColorBlue = 0xFF0000;
constexpr Color kColorAqua = 0xFFFF00;

// Turns a system colour index (0..255) into its plain red-green-blue value.
using SystemColorResolver = std::function<uint32_t(int index)>;

// a * b / d with a 64-bit intermediate, rounded to the nearest integer with halves away from
// zero. Takes any three 32-bit values; returns -1 when d is 0 or the result does not fit in
// 32 bits (the system's MulDiv does the same). Throws nothing.
int32_t MulDiv(int32_t a, int32_t b, int32_t d);

// The plain red-green-blue value (0x00BBGGRR) of `color`. A system colour is resolved through
// `resolver` (which must be callable then); any other value keeps its low 24 bits, the high
// byte being flags the screen ignores. Throws nothing itself.
uint32_t ColorToRgb(Color color, const SystemColorResolver& resolver);

// One colour of an n-step blend: per channel, from + MulDiv(i, to - from, steps - 1), wrapped to
// 8 bits. Takes plain colours, the step i (0..steps-1) and steps >= 2; step 0 is `from` and step
// steps-1 is `to`. Returns a plain colour. Throws nothing.
uint32_t BlendStep(uint32_t fromRgb, uint32_t toRgb, int i, int steps);

// `fsHorizontal`: bands from top to bottom; `fsVertical`: from left to right; `fsCircular`:
// concentric circles, the largest first.
enum class TFountainStyle { fsHorizontal, fsVertical, fsCircular };

// One band of the gradient: a rectangle, or for `fsCircular` the square bounding a circle.
// Right and bottom edges are exclusive.
struct Band {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    uint32_t rgb = 0;
};

// What a property change asks of the control that shows the gradient.
enum class FountainChange {
    kNone,                // the value was already set
    kRepaint,             // draw again
    kReleasePalette,      // release the palette, then draw again
    kNextPaint,           // nothing now; the next paint uses the new value
};

// `TFountainFill`: the gradient control's properties and its band fill. The control that shows
// it keeps the palette handle and acts on each setter's FountainChange.
class TFountainFill {
public:
    // Number of bands kept within 1..255.
    static constexpr int kMinSteps = 1;
    static constexpr int kMaxSteps = 255;
    // Size of a new control.
    static constexpr int kDefaultSize = 50;

    Color FromColor() const { return fromColor_; }
    Color ToColor() const { return toColor_; }
    int Steps() const { return steps_; }
    TFountainStyle Style() const { return style_; }
    bool UsePalette() const { return usePalette_; }
    bool DrawOnScreen() const { return drawOnScreen_; }

    // Each setter takes the new value and returns what the showing control must do; setting a
    // property to its current value returns kNone. Steps of 0 or less become 1 and of 256 or
    // more 255 before the comparison. Throw nothing.
    FountainChange SetFromColor(Color value);
    FountainChange SetToColor(Color value);
    FountainChange SetSteps(int value);
    FountainChange SetStyle(TFountainStyle value);
    FountainChange SetUsePalette(bool value);
    FountainChange SetDrawOnScreen(bool value);

    // True when the fill is one solid rectangle in the start colour: fewer than 2 bands, or both
    // colours the same plain colour. Takes the resolved colours.
    bool IsSolid(uint32_t fromRgb, uint32_t toRgb) const;

    // The palette's entries (plain colours, one per band), or none when the fill is solid.
    std::vector<uint32_t> PaletteEntries(uint32_t fromRgb, uint32_t toRgb) const;

    // The band fill over a width x height area: one band covering it all in the start colour
    // when the fill is solid, otherwise `Steps` bands in drawing order. Takes the resolved
    // colours and a size of 0 or more. Throws nothing but std::bad_alloc.
    std::vector<Band> BandFill(int width, int height, uint32_t fromRgb, uint32_t toRgb) const;

private:
    Color fromColor_ = kColorAqua;
    Color toColor_ = kColorBlack;
    int steps_ = 20;
    TFountainStyle style_ = TFountainStyle::fsHorizontal;
    bool usePalette_ = true;
    bool drawOnScreen_ = false;
};

// ---- title lines ------------------------------------------------------------------------

// A title label with shadow (`Setup_Header`, `Setup_Header2`): text drawn first in the shadow
// colour moved right and down by `shadowSize` pixels, then in `color` at its place. The label is
// sized to its text, the shadow included, so neither is ever cut.
struct TitleLine {
    std::string text;
    std::string fontName;
    int fontSize = 0;        // points (the script's unit)
    Color color = kColorBlack;
    Color shadowColor = kColorWhite;
    int shadowSize = 0;
    int left = 0;            // design left; `FormResize` never moves it
    int top = 0;
};

// The design of the two title lines and the footer (the values before any script is loaded).
TitleLine DesignHeader();   // "ZUV - Tolvane 32Bit v1.0", Impact 26 pt, black on a white 2-pixel shadow, at (8, 1)
TitleLine DesignHeader2();  // the credit line, Times New Roman 10 pt, black on a white 1-pixel shadow, at (18, 32)
extern const char* const kCopyrightText;  // the footer `Setup_Copyright`
extern const char* const kCopyrightFont;  // MS Sans Serif, 11 pixels high, white
constexpr int kCopyrightFontPixels = 11;
constexpr Color kCopyrightColor = kColorWhite;
constexpr int kCopyrightBottomGap = 10;

// Pixel height of a font of `points` on a screen of `pixelsPerInch` (rounded as the system's
// MulDiv). Takes any values; returns a non-negative height. Throws nothing.
int FontPixelHeight(int points, int pixelsPerInch);

// Width and height of a title label measured from its text's extent (without the shadow); the
// shadow's offset is a design figure and grows with the screen's resolution.
int TitleLabelWidth(const TitleLine& line, int textWidth, const TDpiScale& scale = TDpiScale());
int TitleLabelHeight(const TitleLine& line, int textHeight, const TDpiScale& scale = TDpiScale());

// A label's place and size on the client area.
struct LabelBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Where `FormResize` puts the three labels.
struct BackgroundLayout {
    LabelBox header;
    LabelBox header2;
    LabelBox copyright;
};

// `FormResize`: takes the gradient's (the client area's) size, the two title lines with their
// measured label sizes and the footer's height. The footer spans the whole width 10 pixels
// above the bottom edge; the first title sits at top 1 and the second 2 pixels below it; both
// keep their design left. The measured sizes are screen pixels; the design's distances are
// scaled by `scale`. Throws nothing.
BackgroundLayout LayOutBackground(int screenWidth, int screenHeight, const TitleLine& header,
                                  int headerWidth, int headerHeight, const TitleLine& header2,
                                  int header2Width, int header2Height, int copyrightHeight,
                                  const TDpiScale& scale = TDpiScale());

// ---- the picture panel ----------------------------------------------------------------------

// True when the script's picture goes to the animated-picture control `Image3`: its name,
// upper-cased, holds "GIF" anywhere (so GIFTS.BMP does too). Throws nothing.
bool IsAnimatedPicture(const std::string& bitmapFile);

// Size of the panel `bitmapscreen` around a picture: 5 pixels of margin on each side. An
// animated picture keeps its own size; a still picture sits in the fixed 105 x 105 box of
// `Image4`, so its panel is always 115 x 115.
struct PanelSize {
    int width = 0;
    int height = 0;
};
constexpr int kPictureMargin = 5;
constexpr int kStillPictureBox = 105;
PanelSize PicturePanelSize(bool animated, int pictureWidth, int pictureHeight);

// The panel's top-left corner: top is `Setup_Header2`'s top + 30; left is centred with
// `alignCenter`, else 20 with `alignLeft`, else 20 pixels from the right edge (whatever the
// script's Align Right says). Throws nothing.
struct PanelPlace {
    int left = 0;
    int top = 0;
};
PanelPlace PicturePanelPlace(bool alignCenter, bool alignLeft, int screenWidth, int panelWidth,
                             int header2Top);

}  // namespace zuv::shell
