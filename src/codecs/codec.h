// The decompression component's codecs: run-length, LZH5 (-lh5-) and adaptive LZH (-lh1-),
// driven through one entry point over byte streams.
#pragma once

#include <cstdint>
#include <functional>

#include "common/exception.h"
#include "common/stream.h"

namespace zuv::codecs {

enum TCompressionMethod : uint8_t { coNone = 0, coRLE = 1, coLZH = 2, coCustom = 3, coLZH5 = 4 };

// Called once per chunk; the handler may set PercentageDone to -1 to abort.
using TShowProgressEvent = std::function<void(int32_t& PercentageDone)>;

// What RunCodec takes from the component (TCompress owns one).
struct CodecHost {
    uint32_t Key = 0;
    TShowProgressEvent OnShowProgress;
    int32_t CompressionMargin = 0;
    // Yield the processor after each chunk read and written, so that a window on the same
    // thread's machine stays responsive. A command-line tool turns it off.
    bool YieldEachChunk = true;
    // Compress -lh5- with the parse by price: smaller output, several times the time. The
    // other methods have one way of compressing only.
    bool BestCompression = false;
};

class ELZHBadDecodeTable : public common::Exception {
public:
    ELZHBadDecodeTable() : common::Exception("Bad decode table in archive!") {}
};

class EUnableToCompress : public common::Exception {
public:
    EUnableToCompress() : common::Exception("Could not compress data") {}
};

// Compresses (expanding = false) or expands `source` into `dest` with `method`. `checksum`
// receives the wrapping 32-bit sum of the expanded bytes. Returns the count of bytes written.
int32_t RunCodec(const CodecHost& host, common::Stream& dest, common::Stream& source, int32_t sourceSize,
                 int32_t expandedSize, uint8_t method, uint32_t& checksum, bool expanding, bool unmask);

}  // namespace zuv::codecs
