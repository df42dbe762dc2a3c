// `TFountainFill` on the screen: palette, off-screen picture and band fill.
#include "ui/fountain_fill.h"

#include <vector>

namespace zuv::ui {

uint32_t ResolveColor(shell::Color color) {
    return shell::ColorToRgb(color, [](int index) -> uint32_t {
        return static_cast<uint32_t>(GetSysColor(index));
    });
}

FountainFill::FountainFill(std::function<void()> repaint) : repaint_(std::move(repaint)) {}

FountainFill::~FountainFill() { ReleasePalette(); }

void FountainFill::SetFromColor(shell::Color value) { Apply(fill_.SetFromColor(value)); }
void FountainFill::SetToColor(shell::Color value) { Apply(fill_.SetToColor(value)); }
void FountainFill::SetSteps(int value) { Apply(fill_.SetSteps(value)); }
void FountainFill::SetStyle(shell::TFountainStyle value) { Apply(fill_.SetStyle(value)); }
void FountainFill::SetUsePalette(bool value) { Apply(fill_.SetUsePalette(value)); }
void FountainFill::SetDrawOnScreen(bool value) { Apply(fill_.SetDrawOnScreen(value)); }

void FountainFill::Apply(shell::FountainChange change) {
    switch (change) {
        case shell::FountainChange::kNone:
        case shell::FountainChange::kNextPaint:
            return;
        case shell::FountainChange::kReleasePalette:
            ReleasePalette();
            break;
        case shell::FountainChange::kRepaint:
            break;
    }
    if (repaint_) repaint_();
}

void FountainFill::ReleasePalette() {
    if (palette_) DeleteObject(palette_);
    palette_ = nullptr;
}

void FountainFill::Paint(HDC dc, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const uint32_t fromRgb = ResolveColor(fill_.FromColor());
    const uint32_t toRgb = ResolveColor(fill_.ToColor());

    if (fill_.UsePalette() && !palette_) {
        const std::vector<uint32_t> entries = fill_.PaletteEntries(fromRgb, toRgb);
        if (!entries.empty()) {
            // LOGPALETTE declares one entry; the rest follow it in the same block.
            std::vector<unsigned char> block(sizeof(LOGPALETTE) +
                                             sizeof(PALETTEENTRY) * entries.size());
            auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
            logical->palVersion = 0x300;
            logical->palNumEntries = static_cast<WORD>(entries.size());
            for (size_t i = 0; i < entries.size(); ++i) {
                PALETTEENTRY& entry = logical->palPalEntry[i];
                entry.peRed = GetRValue(entries[i]);
                entry.peGreen = GetGValue(entries[i]);
                entry.peBlue = GetBValue(entries[i]);
                entry.peFlags = 0;
            }
            palette_ = CreatePalette(logical);
        }
    }

    if (!fill_.DrawOnScreen()) {
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP picture = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
        if (memory && picture) {
            HGDIOBJ oldPicture = SelectObject(memory, picture);
            HPALETTE oldMemoryPalette = palette_ ? SelectPalette(memory, palette_, FALSE) : nullptr;
            FillBands(memory, width, height, fromRgb, toRgb);
            if (palette_) SelectPalette(memory, oldMemoryPalette, FALSE);
            HPALETTE oldPalette = nullptr;
            if (palette_) {
                oldPalette = SelectPalette(dc, palette_, FALSE);
                RealizePalette(dc);
            }
            const BOOL copied = BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
            if (palette_) SelectPalette(dc, oldPalette, FALSE);
            SelectObject(memory, oldPicture);
            DeleteObject(picture);
            DeleteDC(memory);
            if (copied) return;
        } else {
            // Out of resources for the off-screen picture: draw straight onto the window.
            if (picture) DeleteObject(picture);
            if (memory) DeleteDC(memory);
        }
    }

    HPALETTE oldPalette = nullptr;
    if (palette_) {
        oldPalette = SelectPalette(dc, palette_, FALSE);
        RealizePalette(dc);
    }
    FillBands(dc, width, height, fromRgb, toRgb);
    if (palette_) SelectPalette(dc, oldPalette, FALSE);
}

void FountainFill::FillBands(HDC dc, int width, int height, uint32_t fromRgb, uint32_t toRgb) {
    // Pen, brush and their styles come back as they were.
    const int saved = SaveDC(dc);
    const std::vector<shell::Band> bands = fill_.BandFill(width, height, fromRgb, toRgb);
    const bool circles = !fill_.IsSolid(fromRgb, toRgb) &&
                         fill_.Style() == shell::TFountainStyle::fsCircular;
    SelectObject(dc, GetStockObject(NULL_PEN));
    for (const shell::Band& band : bands) {
        // With a palette the colour is palette-relative, so it maps to the band's own entry.
        const COLORREF color = palette_ ? (band.rgb | 0x02000000u) : band.rgb;
        HBRUSH brush = CreateSolidBrush(color);
        if (!brush) continue;
        if (circles) {
            HGDIOBJ old = SelectObject(dc, brush);
            Ellipse(dc, band.left, band.top, band.right, band.bottom);
            SelectObject(dc, old);
        } else {
            RECT rect{band.left, band.top, band.right, band.bottom};
            FillRect(dc, &rect, brush);
        }
        DeleteObject(brush);
    }
    RestoreDC(dc, saved);
}

}  // namespace zuv::ui
