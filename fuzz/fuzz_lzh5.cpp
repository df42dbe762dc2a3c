// Expands arbitrary bytes with the lzh5 method: the first three bytes pick the expanded
// size (at most 256 KB), the rest is the compressed stream. Any input must end normally or
// with the codec's own exception. Round-trips the input through the compressor as well, at
// the normal level or the best one as the first byte's lowest bit says.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/codec.h"
#include "common/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zuv;
    if (size < 3) return 0;
    const uint32_t picked = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16;
    const int32_t expandedSize = int32_t(picked % (1u << 18));
    std::vector<uint8_t> stream(data + 3, data + size);
    codecs::CodecHost host;
    uint32_t checksum = 0;
    {
        common::MemoryStream source(stream);
        common::MemoryStream dest;
        try {
            codecs::RunCodec(host, dest, source, int32_t(stream.size()), expandedSize, codecs::coLZH5, checksum, true,
                             false);
        } catch (const codecs::ELZHBadDecodeTable&) {
        }
    }
    {
        common::MemoryStream source(stream);
        common::MemoryStream packed;
        host.CompressionMargin = -int32_t(stream.size()) - 64;
        host.BestCompression = (data[0] & 1) != 0;
        codecs::RunCodec(host, packed, source, int32_t(stream.size()), int32_t(stream.size()), codecs::coLZH5, checksum,
                         false, false);
        common::MemoryStream again(packed.data());
        common::MemoryStream back;
        uint32_t sum2 = 0;
        codecs::RunCodec(codecs::CodecHost(), back, again, int32_t(packed.data().size()), int32_t(stream.size()),
                         codecs::coLZH5, sum2, true, false);
        if (back.data() != stream || sum2 != checksum) __builtin_trap();
    }
    return 0;
}
