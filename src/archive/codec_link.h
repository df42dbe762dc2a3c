// The codec interface as the container sees it. When the codec library is present its
// header is used; until then stored entries are all that can be expanded and every other
// method raises ELZHBadDecodeTable.
#pragma once

#if __has_include("codecs/codec.h")
#include "codecs/codec.h"
#define ZUV_ARCHIVE_HAVE_CODECS 1
#else
#include <cstdint>
#include <functional>

#include "common/exception.h"
#include "common/stream.h"

namespace zuv::codecs {
enum TCompressionMethod : uint8_t { coNone = 0, coRLE = 1, coLZH = 2, coCustom = 3, coLZH5 = 4 };
using TShowProgressEvent = std::function<void(int32_t& PercentageDone)>;
struct CodecHost {
    uint32_t Key = 0;
    TShowProgressEvent OnShowProgress;
    int32_t CompressionMargin = 0;
};
class ELZHBadDecodeTable : public common::Exception {
public:
    ELZHBadDecodeTable() : common::Exception("LZH: Bad decode table") {}
};
class EUnableToCompress : public common::Exception {
public:
    EUnableToCompress() : common::Exception("Unable to compress") {}
};
inline int32_t RunCodec(const CodecHost&, common::Stream&, common::Stream&, int32_t, int32_t, uint8_t,
                        uint32_t&, bool, bool) {
    throw ELZHBadDecodeTable();
}
}  // namespace zuv::codecs
#define ZUV_ARCHIVE_HAVE_CODECS 0
#endif
