// Building a segment set from files and folders, for `zuv pack` and `zuv build`. The set is
// written as a stream: one file at a time is compressed into a temporary archive, and the
// archives are cut into segments as they are copied out, so the memory used does not grow with
// the product.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zuv::tool {

struct PackOptions {
    std::string outDir;
    std::string base = "disk";
    int64_t segmentSize = 1440000;
    uint8_t method = 4;  // coLZH5
    int32_t key = 0;
    bool best = false;   // -lh5- by the parse by price
    bool force = false;  // remove another set's segments from outDir first
    bool quiet = false;
    bool verbose = false;
    std::vector<std::string> inputs;
};

// Takes the option at args[i] that pack and build share (advancing i past its value). Returns
// 1 when taken, 0 when it is not such an option, and -1 after reporting a usage error (the
// exit status is then kExitUsage).
int TakePackOption(const std::vector<std::string>& args, size_t& i, PackOptions& options);

// A segment size: bytes, or with a K or M suffix (1024 and 1048576 bytes, decimals allowed), or
// a floppy preset (360K, 720K, 1.2M, 1.44M, 2.88M: the formatted capacity). False when malformed.
bool ParseSegmentSize(const std::string& text, int64_t& bytes);

// Builds the set. Every name the set would not give back, and a folder that holds another set's
// segments (without `force`), is reported before anything is written. On failure the segments
// written so far are removed. Returns the exit status; `written` receives the segment paths.
int PackSet(const PackOptions& options, std::vector<std::string>* written = nullptr);

}  // namespace zuv::tool
