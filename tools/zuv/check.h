// `zuv check`: what a shipped folder (install.cfg, install.exe, the segment set) will do on the
// user's machine, reported the way a compiler reports a source file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::tool {

// One problem: where it is (a file of the folder and, for install.cfg, a line; 0 when the
// problem has no line of its own) and what will happen because of it.
struct Finding {
    bool error = true;
    std::string file;  // "install.cfg", "install.exe", "disk.001", ...
    int line = 0;
    std::string text;  // "[Files] Program: ..."
};

struct CheckReport {
    std::vector<Finding> findings;
    int errors() const;
    int warnings() const;
};

// Checks the folder `dir` as shipped. `key` is the key of a locked set (0: none).
CheckReport CheckFolder(platform::Platform& platform, const std::string& dir, int32_t key);

// Writes the findings, errors first and warnings after them, each group in line order, then
// a count ("2 errors, 1 warning"). `quiet` leaves out the warnings and the count.
void PrintReport(const CheckReport& report, std::FILE* out, bool quiet);

}  // namespace zuv::tool
