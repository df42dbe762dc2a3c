// Modal showing of a window over its owner, as the stages' windows need it.
#pragma once

#include "platform/win32/windows_api.h"

#include <functional>

namespace zuv::ui {

// Shows `window` modally over `owner`: disables the owner, shows and activates the window,
// and handles window messages until `finished()` returns true or the window is destroyed.
// Then the owner is enabled and activated again, before the window is hidden, so the
// activation goes back to it. A WM_QUIT met on the way is posted again for the outer loop.
// Takes an owner (may be nullptr) and a window; throws nothing but what `finished` throws.
void RunModal(HWND owner, HWND window, const std::function<bool()>& finished);

// Centres `window` on the screen.
void CentreOnScreen(HWND window);

}  // namespace zuv::ui
