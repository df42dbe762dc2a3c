// The background's shadowed title labels: font, measure and draw.
#include "ui/title_label.h"

#include "ui/fountain_fill.h"
#include "ui/screen_scale.h"

namespace zuv::ui {

// Texts are drawn as written: an "&" in a product title is not an accelerator mark.
constexpr UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP;

HFONT MakeFont(const std::string& name, int pixels, bool bold) {
    LOGFONTA font{};
    font.lfHeight = -pixels;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    // The face name field holds 31 characters and its terminating zero; the system
    // substitutes a font for a name it lacks.
    lstrcpynA(font.lfFaceName, name.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

TitleLabel::~TitleLabel() {
    if (font_) DeleteObject(font_);
}

void TitleLabel::SetLine(const shell::TitleLine& line) {
    line_ = line;
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

HFONT TitleLabel::Font(HDC dc) {
    const int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    if (font_ && pixelsPerInch != fontPixelsPerInch_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
    if (!font_) {
        font_ = MakeFont(line_.fontName, shell::FontPixelHeight(line_.fontSize, pixelsPerInch), false);
        fontPixelsPerInch_ = pixelsPerInch;
    }
    return font_;
}

SIZE TitleLabel::Measure(HDC dc) {
    HGDIOBJ old = SelectObject(dc, Font(dc));
    RECT rect{0, 0, 0, 0};
    DrawTextA(dc, line_.text.c_str(), static_cast<int>(line_.text.size()), &rect,
              kTextFormat | DT_CALCRECT);
    if (line_.text.empty()) {
        // An empty label keeps the height of one line.
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        rect.bottom = metrics.tmHeight;
    }
    SelectObject(dc, old);
    return SIZE{shell::TitleLabelWidth(line_, rect.right - rect.left, ScreenScale()),
                shell::TitleLabelHeight(line_, rect.bottom - rect.top, ScreenScale())};
}

void TitleLabel::Draw(HDC dc, int left, int top) {
    const SIZE size = Measure(dc);
    HGDIOBJ old = SelectObject(dc, Font(dc));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    // The shadow's offset is in design pixels, grown with the screen as the font is.
    const int shadow = line_.shadowSize > 0 ? ScreenScale().Scale(line_.shadowSize) : 0;
    RECT rect{left + shadow, top + shadow, left + size.cx, top + size.cy};
    SetTextColor(dc, ResolveColor(line_.shadowColor));
    DrawTextA(dc, line_.text.c_str(), static_cast<int>(line_.text.size()), &rect, kTextFormat);
    rect = RECT{left, top, left + size.cx - shadow, top + size.cy - shadow};
    SetTextColor(dc, ResolveColor(line_.color));
    DrawTextA(dc, line_.text.c_str(), static_cast<int>(line_.text.size()), &rect, kTextFormat);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, old);
}

}  // namespace zuv::ui
