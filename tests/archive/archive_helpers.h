// Shared pieces of the archive tests: byte builders and a fake drive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/compress.h"

namespace zuv::archive::testing {

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Pseudo-random but repetitive content (compressible), fixed by `seed`.
inline std::vector<uint8_t> SampleData(size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = (i % 7 < 4) ? uint8_t('a' + (x >> 16) % 6) : uint8_t(i / 3);
    }
    return out;
}

// An entry header for AddRaw with a stored (coNone) payload and its true checksum.
inline EntryHeader StoredHeader(const std::vector<uint8_t>& data) {
    EntryHeader h;
    h.ExpandedSize = int32_t(data.size());
    h.CompressedSize = int32_t(data.size());
    h.Method = coNone;
    h.Checksum = int32_t(DataChecksum(data.data(), data.size()));
    return h;
}

}  // namespace zuv::archive::testing
