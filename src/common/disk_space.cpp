// Drives, free space and sizes for the checks made before anything is written.
#include "common/disk_space.h"

#include <cstdio>

#include "common/routines.h"

namespace zuv::common {

std::string DriveOf(platform::Platform& platform, const std::string& path) {
    std::string full = path;
    const bool unc = full.size() >= 2 && full[0] == '\\' && full[1] == '\\';
    const bool drive = full.size() >= 2 && full[1] == ':';
    if (!unc && !drive) full = platform.FullPath(path);
    if (full.size() >= 2 && full[1] == ':') return Upper(full.substr(0, 2));
    if (full.size() >= 2 && full[0] == '\\' && full[1] == '\\') {
        // \\server\share: the share is the drive.
        size_t server = full.find('\\', 2);
        if (server == std::string::npos) return full;
        size_t share = full.find('\\', server + 1);
        return share == std::string::npos ? full : full.substr(0, share);
    }
    return full;
}

std::string DriveRoot(const std::string& drive) {
    return !drive.empty() && drive.back() == '\\' ? drive : drive + "\\";
}

int64_t DriveFree(platform::Platform& platform, const std::string& drive) {
    return platform.DiskFree(DriveRoot(drive));
}

uint64_t FileSize(platform::Platform& platform, const std::string& path) {
    for (const platform::FindEntry& entry : platform.FindFiles(path))
        if (!(entry.attributes & platform::kAttrDirectory)) return entry.size;
    return 0;
}

std::string FormatSpace(uint64_t bytes, bool roundUp) {
    constexpr uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    char text[64];
    if (bytes < kKB) {
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    } else if (bytes < kMB) {
        uint64_t kb = roundUp ? (bytes + kKB - 1) / kKB : bytes / kKB;
        std::snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>(kb));
    } else {
        const uint64_t unit = bytes < kGB ? kMB : kGB;
        // Tenths of the unit, rounded the asked way.
        uint64_t tenths = roundUp ? (bytes * 10 + unit - 1) / unit : bytes * 10 / unit;
        std::snprintf(text, sizeof text, "%llu.%llu %s", static_cast<unsigned long long>(tenths / 10),
                      static_cast<unsigned long long>(tenths % 10), unit == kMB ? "MB" : "GB");
    }
    return text;
}

std::string NotEnoughSpaceMessage(const DriveSpace& space, const std::string& purpose) {
    auto exact = [](uint64_t bytes) { return std::to_string(bytes) + " bytes"; };
    const uint64_t free = space.free < 0 ? 0 : static_cast<uint64_t>(space.free);
    std::string text = "There is not enough free space on drive " + space.drive + " " + purpose + ".\r";
    text += "Space needed: " + FormatSpace(space.needed, true);
    if (space.needed >= 1024) text += " (" + exact(space.needed) + ")";
    text += "\rSpace free: " + FormatSpace(free, false);
    if (free >= 1024) text += " (" + exact(free) + ")";
    text += "\r\rFree some space on that drive, or choose another one, and try again.";
    return text;
}

}  // namespace zuv::common
