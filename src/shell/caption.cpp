// The caption-bar painter's colours: strips of an active or inactive title bar.
#include "shell/caption.h"

namespace zuv::shell {

void TMarsCaption::TakeBackgroundColors(Color gradientFrom, Color gradientTo, Color headerColor) {
    ActiveBeginColor = gradientFrom;
    ActiveEndColor = gradientTo;
    ActiveFontColor = headerColor;
}

std::vector<CaptionStrip> TMarsCaption::Strips(int width, bool active,
                                               const SystemColorResolver& resolver) const {
    const uint32_t begin = ColorToRgb(active ? ActiveBeginColor : InactiveBeginColor, resolver);
    const uint32_t end = ColorToRgb(active ? ActiveEndColor : InactiveEndColor, resolver);
    std::vector<CaptionStrip> strips;
    const int n = numColors_;
    strips.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        CaptionStrip strip;
        strip.left = MulDiv(i, width, n);
        strip.right = MulDiv(i + 1, width, n);
        // One strip has no blend to make: the whole bar takes the begin colour.
        strip.rgb = n < 2 ? begin : BlendStep(begin, end, i, n);
        strips.push_back(strip);
    }
    return strips;
}

uint32_t TMarsCaption::TextRgb(bool active, const SystemColorResolver& resolver) const {
    return ColorToRgb(active ? ActiveFontColor : InactiveFontColor, resolver);
}

}  // namespace zuv::shell
