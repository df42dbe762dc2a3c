// Small text and path routines the wizard and the install engine share among themselves.
#pragma once

#include <string>

#include "platform/platform.h"

namespace zuv::wizard {

// Upper case in the ANSI way: only a..z change (the script's tags and marks are ASCII).
std::string Upper(const std::string& text);

// If `c` occurs in `text`, returns the part before its first occurrence and leaves the part
// after it in `text`; otherwise returns the whole text and leaves `text` unchanged, so
// asking for more fields than an entry has repeats its last field. Throws nothing.
std::string SplitField(std::string& text, char c);

// The text after the first ">" of `text`, or the whole text when it has none.
std::string AfterTag(const std::string& text);

// The name part of a path: the text after its last "\", "/" or ":".
std::string NamePart(const std::string& path);

// The directory part of a path with its trailing separator ("" when it has none).
std::string DirPart(const std::string& path);

// `dir` + "\" + `name`, without a second backslash when `dir` already ends with one.
std::string JoinPath(const std::string& dir, const std::string& name);

// True when something (file or directory) exists at `path`.
bool Exists(platform::Platform& platform, const std::string& path);
// True when a directory exists at `path`.
bool DirectoryExists(platform::Platform& platform, const std::string& path);

// Creates a directory and every missing parent; failures are not reported. Paths of two
// characters or less ("C:") are left alone, one trailing "\" is ignored.
void ForceDirectories(platform::Platform& platform, const std::string& path);

}  // namespace zuv::wizard
