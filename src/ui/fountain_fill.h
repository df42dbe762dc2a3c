// `TFountainFill` on the screen: draws the gradient's bands into a device context, with its palette and off-screen picture.
#pragma once

#include "platform/win32/windows_api.h"

#include <functional>

#include "shell/background.h"

namespace zuv::ui {

// The plain colour of a colour value, system colours resolved with GetSysColor.
uint32_t ResolveColor(shell::Color color);

// The gradient control. It has no window of its own: the window that shows it calls Paint
// for the area it covers and is asked to draw again through `repaint` when a property
// changes. The palette is made at the first paint and released when the colours, the step
// count or UsePalette change, and when the control is destroyed.
class FountainFill {
public:
    // Takes the function that makes the showing window draw again (may be empty).
    explicit FountainFill(std::function<void()> repaint = {});
    ~FountainFill();
    FountainFill(const FountainFill&) = delete;
    FountainFill& operator=(const FountainFill&) = delete;

    // The published properties; the setters normalise and compare as `shell::TFountainFill`.
    const shell::TFountainFill& Properties() const { return fill_; }
    void SetFromColor(shell::Color value);
    void SetToColor(shell::Color value);
    void SetSteps(int value);
    void SetStyle(shell::TFountainStyle value);
    void SetUsePalette(bool value);
    void SetDrawOnScreen(bool value);

    // Paints the whole width x height area of `dc` from (0, 0). Without DrawOnScreen the bands
    // go to an off-screen picture first and reach `dc` in one copy; when that picture cannot
    // be made, they are drawn on `dc` directly. Throws nothing.
    void Paint(HDC dc, int width, int height);

    // The palette made at the last paint (nullptr when none: solid fill, UsePalette off, or
    // not painted since the last change).
    HPALETTE Palette() const { return palette_; }

private:
    void Apply(shell::FountainChange change);
    void ReleasePalette();
    void FillBands(HDC dc, int width, int height, uint32_t fromRgb, uint32_t toRgb);

    shell::TFountainFill fill_;
    HPALETTE palette_ = nullptr;
    std::function<void()> repaint_;
};

}  // namespace zuv::ui
