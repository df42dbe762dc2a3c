// Paths of the process's ANSI code page turned into the UTF-16 names the "W" calls take, and
// back, so that a path is never cut at MAX_PATH nor at any buffer of the ANSI calls.
//
// Every path in the program is 8-bit text of the ANSI code page (CP_ACP), which the manifest
// makes UTF-8 on Windows 10 1903 and later. The file calls get it as UTF-16 through
// `LongPath`: a path of MAX_PATH - 12 characters or more (CreateDirectory's own limit, which
// leaves room for an 8.3 name) becomes a full path in the "\\?\" form, which the file calls
// take up to 32767 characters on every Windows NT, whatever the system's long-path setting.
//
// A few calls refuse that form or stop at MAX_PATH themselves: the profile (INI) calls, the
// shell-link object and ShellExecute. They get `FittedPath`: a path too long for them is
// shortened by the 8.3 names of its folders, which name the same place; where the volume has
// no 8.3 names the path stays long and the call fails, which its caller reports.
#pragma once

#include "platform/win32/windows_api.h"

#include <string>

namespace zuv::platform {

// The whole answer of a "W" call that fills a buffer and returns its length (GetFullPathNameW,
// GetTempPathW, GetCurrentDirectoryW, GetShortPathNameW): `call(size, buffer)` is asked with
// room for MAX_PATH first, then again with the size it said it needs. "" when the call fails
// or its answer keeps growing (a folder changed between the asks).
template <typename Call>
std::wstring AskWhole(Call call) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = call(static_cast<DWORD>(buffer.size()), &buffer[0]);
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.assign(n + 1, L'\0');  // n counts the terminating zero when the buffer was short
    }
    return std::wstring();
}

// The UTF-16 form of 8-bit text of the ANSI code page (every character, none cut).
std::wstring Widen(const std::string& text);

// UTF-16 text in the ANSI code page. Sets `lossless` (when given) to false when some
// character has no form there (only possible when the code page is not UTF-8).
std::string Narrow(const std::wstring& text, bool* lossless = nullptr);

// `path` for the file calls: as it stands when shorter than MAX_PATH - 12 characters (or
// already in the "\\?\" or "\\.\" form), else its full path in the "\\?\" form ("\\?\UNC\"
// for a network path), which the system takes without cleaning it up, so ".", ".." and "/"
// are resolved first.
std::wstring LongPath(const std::string& path);
// The same for a path already in UTF-16.
std::wstring LongForm(const std::wstring& path);

// `path` for the calls that stop at MAX_PATH: as it stands when it fits, else with as much of
// it as exists in its 8.3 form when that fits. Otherwise the whole path (a system with long
// paths enabled may still take it).
std::wstring FittedPath(const std::string& path);

// A path the system gave as UTF-16, in the ANSI code page. A name with a character the code
// page lacks would come back with "?" in it and name nothing: its 8.3 form is given instead
// when there is one (8.3 names are plain ASCII).
std::string NarrowPath(const std::wstring& path);

// The system's 8.3 form of an existing path (of any length) ("\\?\" dropped again); empty when it fails.
std::wstring ShortPathOf(const std::wstring& path);

// The longest full path, in characters, the file calls take through `LongPath`.
// The system's own names hold 32767 UTF-16 units with the terminating zero; a network path
// "\\server\share" grows by 6 as "\??\UNC\server\share".
constexpr size_t kLongPathLimit = 32767 - 1 - 6;

}  // namespace zuv::platform
