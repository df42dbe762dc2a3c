// The small helpers every subsystem shares: entry fields, the Windows directory, directory
// paths, short names and the one-file copy.
#pragma once

#include <string>

#include "platform/platform.h"

namespace zuv::common {

// If `c` occurs in `text`, returns the text before its first occurrence and leaves the text
// after it in `text`; otherwise returns the whole text and leaves `text` unchanged. Asking
// for more fields than an entry has therefore repeats its last field.
std::string SplitAtChar(std::string& text, char c);

// Upper case the ANSI way: only a..z change.
std::string Upper(const std::string& text);
std::string Lower(const std::string& text);

// The Windows directory as the platform returns it (no trailing "\" unless a root).
std::string GetWindowsDir(platform::Platform& platform);

// Creates a directory and every missing parent. An empty path raises EInOutError
// "Unable to create directory"; one trailing "\" is ignored; paths of two characters or
// less and existing directories are left alone; a failure to create is not reported.
void CreateDirPath(platform::Platform& platform, const std::string& path);

// The short (8.3) form of an existing path, or the path unchanged when that fails.
std::string GetShortName(platform::Platform& platform, const std::string& path);

// Copies one file into a directory (or over an existing plain file). Raises EInOutError
// "Cannot open file <source>" / "Cannot create file <target>", and "Cannot write file
// <target>" when fewer bytes could be written than were read (a full disk); the partial
// target is then deleted.
void CopyFileInto(platform::Platform& platform, const std::string& source, const std::string& target);

// Path pieces. NamePart: the text after the last "\", "/" or ":"; DirPart: the text up to
// and including it ("" when there is none).
std::string NamePart(const std::string& path);
std::string DirPart(const std::string& path);
// `dir` + "\" + `name`, without a second "\" when `dir` already ends with one (or is empty).
std::string JoinPath(const std::string& dir, const std::string& name);
// Adds / removes one trailing "\".
std::string WithBackslash(const std::string& path);
std::string WithoutBackslash(const std::string& path);

bool FileExists(platform::Platform& platform, const std::string& path);       // a plain file
bool DirectoryExists(platform::Platform& platform, const std::string& path);  // a directory

// Parses the script's integer forms: decimal with an optional sign, "$" hex, "0x"/"0X" hex.
// Returns false for an empty, non-numeric, malformed or out-of-range value.
bool ParseInteger(const std::string& text, int32_t& value);

// printf-style "%s" substitution of one argument (the system's message templates).
std::string Format(const std::string& pattern, const std::string& argument);

}  // namespace zuv::common
