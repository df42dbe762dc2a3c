// The 96-DPI design figures in pixels of the real screen.
#include "shell/dpi_scale.h"

#include "shell/background.h"

namespace zuv::shell {

TDpiScale::TDpiScale(int pixelsPerInch)
    : pixelsPerInch_(pixelsPerInch > 0 ? pixelsPerInch : kDesignPixelsPerInch) {}

int TDpiScale::Scale(int designPixels) const {
    return MulDiv(designPixels, pixelsPerInch_, kDesignPixelsPerInch);
}

int TDpiScale::Unscale(int screenPixels) const {
    return MulDiv(screenPixels, kDesignPixelsPerInch, pixelsPerInch_);
}

int TDpiScale::FontPixels(int points) const { return FontPixelHeight(points, pixelsPerInch_); }

TDpiScale::Rect TDpiScale::Scale(const Rect& design) const {
    return Rect{Scale(design.left), Scale(design.top), Scale(design.right), Scale(design.bottom)};
}

TDpiScale::Rect TDpiScale::ScaleBox(int left, int top, int width, int height) const {
    return Scale(Rect{left, top, left + width, top + height});
}

}  // namespace zuv::shell
