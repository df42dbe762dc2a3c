// Free space on the drives a run writes to: the drive a path lies on, sizes as people read
// them, and the message shown when something does not fit.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace zuv::common {

// The drive a path lies on, as a person names it: "C:" for C:\Apps\X, "\\server\share" for
// a network path; a relative path is taken from the current directory. Takes the platform
// (for the current directory); throws nothing.
std::string DriveOf(platform::Platform& platform, const std::string& path);

// The root directory of that drive ("C:\", "\\server\share\"), where its free space is asked.
std::string DriveRoot(const std::string& drive);

// Free bytes on the drive; -1 when the system cannot tell (the check is then skipped).
int64_t DriveFree(platform::Platform& platform, const std::string& drive);

// The size of the file at `path` ("FindFirstFileA"), 0 when there is no such plain file.
uint64_t FileSize(platform::Platform& platform, const std::string& path);

// A byte count as people read it: "512 bytes", "12 KB", "3.4 MB", "1.2 GB" (powers of 1024,
// one decimal from MB on). `roundUp` rounds the last digit up (for what is needed) instead of
// down (for what is free), so a shortage never reads as two equal figures.
std::string FormatSpace(uint64_t bytes, bool roundUp);

// What one drive needs and has.
struct DriveSpace {
    std::string drive;  // DriveOf
    uint64_t needed = 0;
    int64_t free = -1;  // -1: unknown
    bool Fits() const { return free < 0 || needed <= static_cast<uint64_t>(free); }
};

// The message for a drive that does not fit: it names the drive, the space needed and the
// space free, each also in bytes; `purpose` ends the first line ("to install ZUV Hello").
std::string NotEnoughSpaceMessage(const DriveSpace& space, const std::string& purpose);

}  // namespace zuv::common
