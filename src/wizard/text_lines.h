// Text files as lists of lines: the licence file and AUTOEXEC.BAT.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::wizard {

// Splits text into lines ending at CR, LF or CR LF; an empty last line after a final line
// break is no line, and it is the only line dropped ("One line" CR LF CR LF gives "One line"
// and an empty line).
std::vector<std::string> SplitTextLines(const std::string& text);

// Reads the lines of a file; false when it cannot be opened.
bool ReadTextLines(platform::Platform& platform, const std::string& path, std::vector<std::string>& lines);
// The lines of a file, or none when it cannot be read.
std::vector<std::string> ReadTextLinesOrEmpty(platform::Platform& platform, const std::string& path);

// Writes every line followed by CR LF, replacing the file; false when it cannot be created
// or not every byte could be written.
bool WriteTextLines(platform::Platform& platform, const std::string& path, const std::vector<std::string>& lines);

}  // namespace zuv::wizard
