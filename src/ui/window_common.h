// What the program's own windows do alike: their class, their creation as a centred tool
// window, the way from a window to its object, letting go of the window at the end, and
// reading a control's text.
#pragma once

#include "platform/win32/windows_api.h"

#include <string>

namespace zuv::ui {

// Registers the window class `name` with `proc`, `icon`, `cursor` and `background` (each may be
// nullptr: none). A class registered before by this process (a second window of the same
// kind, or a test that makes it again) counts as registered. Returns false when the system
// refuses it; throws nothing.
bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc, HICON icon, HCURSOR cursor,
                         HBRUSH background);

// A stage's window: `style` and `exStyle` with a client area of `clientWidth` x
// `clientHeight` design pixels, owned by `owner`, of the class `className` (registered before).
// `window` holds it as soon as it exists and `self` is its user data from then on, so that the
// messages of its placing in the middle of the screen reach the object already. Returns false
// (and `window` nullptr) when the system cannot make it; throws nothing.
bool CreateCentredWindow(HINSTANCE instance, HWND owner, const char* className, const char* caption,
                         DWORD style, DWORD exStyle, int clientWidth, int clientHeight, void* self,
                         HWND& window);

// The object a window stands for, in its window procedure, for a window created with the
// object as CreateWindowExA's last argument: at WM_NCCREATE taken from the creation data and
// kept as the window's user data, later read from there. nullptr for the messages before
// WM_NCCREATE and after the window let go of the object.
void* AttachedObject(HWND window, UINT message, LPARAM lParam);

// The object's end before its window's: the window no longer names the object, then it is
// destroyed. Nothing happens when `window` is nullptr.
void DestroyOwnWindow(HWND window);

// WM_NCDESTROY, the last message of a window whose object lives on: the window no longer names
// the object and the object forgets the window (`window` becomes nullptr), then the system
// ends it as usual. Returns the system's answer.
LRESULT ForgetWindow(HWND& window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole text of a window or control.
std::string WindowText(HWND window);

}  // namespace zuv::ui
