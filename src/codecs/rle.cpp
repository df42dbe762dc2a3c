// The run-length method: 0x94 escapes itself as 0x94 0x00 and introduces runs as 0x94 n.
#include "codecs/codec_io.h"

namespace zuv::codecs {

namespace {
constexpr uint8_t kEscape = 0x94;
}

void ExpandRLE(CodecIO& io) {
    uint8_t previous = 0;
    for (;;) {
        uint8_t b = io.CodecReadByte();
        if (io.InputExhausted) return;
        if (b != kEscape) {
            io.CodecWriteByte(b);
        } else {
            uint8_t n = io.CodecReadByte();
            if (n == 0) {
                io.CodecWriteByte(kEscape);
            } else {
                for (int i = 1; i < n; ++i) io.CodecWriteByte(previous);
            }
        }
        previous = b;
    }
}

void CompressRLE(CodecIO& io) {
    uint8_t previous = 0;
    bool first = true;
    bool inRun = false;
    int count = 0;
    auto endRun = [&] {
        if (count == 2) {
            io.CodecWriteByte(previous);
        } else if (count >= 3) {
            io.CodecWriteByte(kEscape);
            io.CodecWriteByte(static_cast<uint8_t>(count));
        }
        inRun = false;
    };
    auto literal = [&](uint8_t b) {
        io.CodecWriteByte(b);
        if (b == kEscape) io.CodecWriteByte(0);
    };
    for (;;) {
        uint8_t b = io.CodecReadByte();
        if (io.InputExhausted) break;
        if (inRun) {
            if (b == previous && count < 255) {
                ++count;
                continue;
            }
            endRun();
            literal(b);
        } else if (b == kEscape) {
            literal(b);
        } else if (b == previous && !first) {
            inRun = true;
            count = 2;
        } else {
            io.CodecWriteByte(b);
        }
        previous = b;
        first = false;
    }
    if (inRun) endRun();
}

}  // namespace zuv::codecs
