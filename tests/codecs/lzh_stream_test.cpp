// The LZH method's window start and match rules, seen through its own encoder and decoder.
#include <gtest/gtest.h>

#include "codec_helpers.h"

namespace zuv::codecs::testing {
namespace {

TEST(LzhStream, LeadingSpacesComeFromTheInitialWindow) {
    // Sixty spaces then text: the encoder copies the spaces out of the window's initial
    // content, so the stream is far shorter than sixty literals would be.
    Bytes data(60, 0x20);
    Bytes text = Text("ZUV Setup");
    data.insert(data.end(), text.begin(), text.end());
    CodecResult packed = Compress(data, coLZH);
    EXPECT_LT(packed.output.size(), 20u);
    EXPECT_EQ(Expand(packed.output, coLZH, int32_t(data.size())).output, data);
}

TEST(LzhStream, LastMatchIsWrittenWholeAndShortInputReadsZeros) {
    Bytes data(1000, 'q');
    CodecResult packed = Compress(data, coLZH);
    // Asking for fewer bytes stops after the match that reaches the size: whole matches.
    CodecResult part = Expand(packed.output, coLZH, 10);
    EXPECT_GE(part.output.size(), 10u);
    EXPECT_LE(part.output.size(), 10u + 60u);
    EXPECT_EQ(part.output, Bytes(part.output.size(), 'q'));
    // No input at all still yields the expanded size (from zero bits).
    CodecResult none = Expand({}, coLZH, 500);
    EXPECT_GE(none.output.size(), 500u);
}

TEST(LzhStream, DeepCodesAfterManyRebuildsStayDecodable) {
    // Very skewed symbol statistics make the adaptive tree deep; long inputs rebuild it
    // many times. Both sides must stay in step.
    Bytes data;
    uint32_t x = 5;
    while (data.size() < 600000) {
        x = x * 1103515245u + 12345u;
        uint32_t r = x >> 16;
        int k = 0;
        while ((r & 1) && k < 30) {
            r >>= 1;
            ++k;
        }
        data.push_back(uint8_t(k * 7 + ((x >> 8) & 1)));
    }
    CodecResult packed = Compress(data, coLZH);
    CodecResult back = Expand(packed.output, coLZH, int32_t(data.size()));
    EXPECT_TRUE(back.output == data);
}

}  // namespace
}  // namespace zuv::codecs::testing
