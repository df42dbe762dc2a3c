// The background's labels: the shadowed title lines (`Setup_Header`, `Setup_Header2`) and the centred footer.
#pragma once

#include "platform/win32/windows_api.h"

#include <string>

#include "shell/background.h"

namespace zuv::ui {

// A transparent label with a shadow, sized to its text. It has no window: the background
// measures it, places it and draws it over the gradient.
class TitleLabel {
public:
    explicit TitleLabel(const shell::TitleLine& line) : line_(line) {}
    ~TitleLabel();
    TitleLabel(const TitleLabel&) = delete;
    TitleLabel& operator=(const TitleLabel&) = delete;

    const shell::TitleLine& Line() const { return line_; }
    // Takes the new text, font and colours; the font is made again at the next use.
    void SetLine(const shell::TitleLine& line);

    // The label's size on `dc`: its text's extent plus the shadow. Throws nothing.
    SIZE Measure(HDC dc);
    // Draws the shadow, then the text, with the label's top-left corner at (left, top).
    void Draw(HDC dc, int left, int top);

private:
    HFONT Font(HDC dc);

    shell::TitleLine line_;
    HFONT font_ = nullptr;
    int fontPixelsPerInch_ = 0;
};

// Makes a font `pixels` high (character height, as a negative lfHeight). The caller deletes it.
HFONT MakeFont(const std::string& name, int pixels, bool bold);

}  // namespace zuv::ui
