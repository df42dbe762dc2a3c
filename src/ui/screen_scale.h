// The screen's resolution for the windows: their 96-DPI design figures in screen pixels.
#pragma once

#include "platform/win32/windows_api.h"

#include "shell/dpi_scale.h"

namespace zuv::ui {

// The system's pixels per inch, asked once: GetDpiForSystem where the system has it (looked up
// at run time, so the program still starts on systems without it), else the screen's
// LOGPIXELSY. The process is DPI-aware by its manifest, so this is the resolution its windows
// are drawn at. Throws nothing.
const shell::TDpiScale& ScreenScale();

// A design rectangle (corner and size in 96-DPI pixels) on the screen.
RECT ScaledRect(int left, int top, int width, int height);

}  // namespace zuv::ui
