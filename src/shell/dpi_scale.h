// The screen's pixels per inch and the scaling of the windows' 96-DPI layout to it.
//
// Every window size, control rectangle, margin and pixel font height of the windows is written
// as the design gives it, in pixels of a 96 pixels-per-inch screen. `TDpiScale` turns those
// figures into pixels of the real screen, so that boxes grow with the fonts, whose heights
// come from points at the real resolution. At 96 it changes nothing.
#pragma once

namespace zuv::shell {

class TDpiScale {
public:
    // The resolution the design figures are written for.
    static constexpr int kDesignPixelsPerInch = 96;

    // Takes the screen's pixels per inch; a value of 0 or less (a screen that could not be
    // asked) is taken as 96. Throws nothing.
    explicit TDpiScale(int pixelsPerInch = kDesignPixelsPerInch);

    int PixelsPerInch() const { return pixelsPerInch_; }

    // A design figure (position, size or distance) in screen pixels, rounded to the nearest
    // pixel with halves away from zero (the system's MulDiv rounding). Throws nothing.
    int Scale(int designPixels) const;
    // Screen pixels back in design units, rounded the same way. Throws nothing.
    int Unscale(int screenPixels) const;
    // A font's character height in pixels for a size in points at this resolution.
    int FontPixels(int points) const;

    // A design rectangle on the screen. Its edges are scaled, not its size, so controls
    // that touch in the design still touch and none overlaps its neighbour.
    struct Rect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };
    Rect Scale(const Rect& design) const;
    // The same for a rectangle given by its corner and size; returns the screen rectangle.
    Rect ScaleBox(int left, int top, int width, int height) const;

private:
    int pixelsPerInch_;
};

}  // namespace zuv::shell
