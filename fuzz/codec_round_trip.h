// The body shared by the single-codec fuzzers: the first three bytes of the input pick the
// expanded size (at most 256 KB), the rest is the compressed stream. Expanding any input must end
// normally or with the codec's own exception. The input is also packed with the same method and
// must come back unchanged, with the same checksum; -lh5- packs at the normal level or the
// best one as the first byte's lowest bit says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/codec.h"
#include "common/stream.h"

namespace zuv::fuzz {

inline int ExpandAndRoundTrip(codecs::TCompressionMethod method, const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint32_t picked = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16;
    const int32_t expandedSize = int32_t(picked % (1u << 18));
    std::vector<uint8_t> stream(data + 3, data + size);
    const int32_t length = int32_t(stream.size());
    codecs::CodecHost host;
    uint32_t checksum = 0;
    {
        common::MemoryStream source(stream);
        common::MemoryStream dest;
        try {
            codecs::RunCodec(host, dest, source, length, expandedSize, method, checksum, true, false);
        } catch (const codecs::ELZHBadDecodeTable&) {
        }
    }
    common::MemoryStream source(stream);
    common::MemoryStream packed;
    host.CompressionMargin = -length - 64;
    host.BestCompression = method == codecs::coLZH5 && (data[0] & 1) != 0;
    codecs::RunCodec(host, packed, source, length, length, method, checksum, false, false);
    common::MemoryStream again(packed.data());
    common::MemoryStream back;
    uint32_t sum2 = 0;
    codecs::RunCodec(codecs::CodecHost(), back, again, int32_t(packed.data().size()), length, method, sum2, true,
                     false);
    if (back.data() != stream || sum2 != checksum) __builtin_trap();
    return 0;
}

}  // namespace zuv::fuzz
