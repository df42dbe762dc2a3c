// The method dispatcher: one stored file's data through one codec.
#include "codecs/codec_io.h"

namespace zuv::codecs {

int32_t RunCodec(const CodecHost& host, common::Stream& dest, common::Stream& source, int32_t sourceSize,
                 int32_t expandedSize, uint8_t method, uint32_t& checksum, bool expanding, bool unmask) {
    // The buffers belong to `io` and go with it on every path.
    CodecIO io(host, dest, source, sourceSize, expanding, unmask);
    if (expanding) {
        switch (method) {
            case coRLE: ExpandRLE(io); break;
            case coLZH: ExpandLZH(io, expandedSize); break;
            case coLZH5: ExpandLZH5(io, expandedSize); break;
            default: break;
        }
    } else {
        switch (method) {
            case coRLE: CompressRLE(io); break;
            case coLZH: CompressLZH(io); break;
            case coLZH5: CompressLZH5(io, host.BestCompression); break;
            default: break;
        }
    }
    uint32_t sum = expanding ? io.OutputSum : io.InputSum;
    io.Flush();
    checksum = sum;
    return io.WrittenCount;
}

}  // namespace zuv::codecs
