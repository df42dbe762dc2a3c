// <windows.h> for the Win32 platform and the windows, without the macros that would rename
// the operations of the platform interface.
//
// The Windows headers name several of those operations as macros (DeleteFile ->
// DeleteFileA, ExitWindows -> ExitWindowsEx(...)). Every file that needs the Windows API
// takes it in through this header, which drops them, so `platform::Platform` keeps one
// spelling everywhere; Win32 code calls the "A" functions by their full names.
#pragma once

#include <windows.h>

#undef SetCurrentDirectory
#undef CreateDirectory
#undef RemoveDirectory
#undef DeleteFile
#undef ExitWindows
#undef RegCreateKey
#undef RegQueryValue
#undef RegSetValue
#undef RegDeleteValue
#undef WriteProfileString
