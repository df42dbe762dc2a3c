// The preparation window `TUnzip` and the background's picture panel as the preparation stage's logic sees them.
//
// The stage's logic decides; a view only shows. The Win32 windows (src/ui) implement these
// interfaces and report the user's acts (the one-second timer, a click on the free area) to the
// logic; unit tests implement them with recording views.
#pragma once

#include <string>

#include "shell/background.h"

namespace zuv::shell {

class UnzipView {
public:
    virtual ~UnzipView() = default;

    // `Label1`, word-wrapped in its fixed 325 x 53 box; a CR breaks the line.
    virtual std::string Label1Text() = 0;
    virtual void SetLabel1Text(const std::string& text) = 0;

    // `ProgressBar2`, the gauge: its bar colour, range and progress. The gauge shows its
    // percentage; the logic keeps the progress within the range.
    virtual void SetGaugeColor(Color color) = 0;
    virtual void SetGaugeRange(int minimum, int maximum) = 0;
    virtual void SetGaugeProgress(int progress) = 0;

    // `MarsCaption1`'s active colours: strip start, strip end, caption text.
    virtual void SetCaptionColors(Color begin, Color end, Color text) = 0;

    // `Timer1`: a one-shot 1000 ms timer; the view calls the logic's Timer1Timer when it fires.
    virtual void SetTimer1Enabled(bool enabled) = 0;

    // Closes the window, which ends its modal showing.
    virtual void Close() = 0;
};

// The background's picture panel `bitmapscreen` with `Image3` (animated) and `Image4` (still).
// Every size and place here is in pixels at 96 per inch, as the design gives them (a picture's
// own pixels count as such); the view scales them to the screen's resolution.
class PictureView {
public:
    virtual ~PictureView() = default;

    // Hides both picture controls.
    virtual void HidePictures() = 0;
    // Loads an animated picture into `Image3` at its own size and starts its loop; a still
    // picture into `Image4`, shown unscaled in its fixed 105 x 105 box. Returns false when the
    // file cannot be read as a picture. `width`/`height` receive the control's size.
    virtual bool LoadAnimated(const std::string& path, int& width, int& height) = 0;
    virtual bool LoadStill(const std::string& path, int& width, int& height) = 0;
    // Places and shows the panel (the picture sits at 5, 5 inside it).
    virtual void PlacePanel(int left, int top, int width, int height) = 0;
    // `MainScreen`'s width and `Setup_Header2`'s top, in the background's 96-DPI pixels.
    virtual int MainScreenWidth() = 0;
    virtual int Header2Top() = 0;
    // Lets the background paint now.
    virtual void Repaint() = 0;
};

}  // namespace zuv::shell
