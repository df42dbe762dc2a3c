// Every method compresses and expands a varied corpus back to the same bytes.
#include <gtest/gtest.h>

#include "codec_helpers.h"

namespace zuv::codecs::testing {
namespace {

struct Sample {
    std::string name;
    Bytes data;
};

std::vector<Sample> Corpus() {
    std::vector<Sample> c;
    c.push_back({"empty", {}});
    c.push_back({"one_byte", {0x41}});
    c.push_back({"one_escape", {0x94}});
    c.push_back({"two_bytes", {0, 0}});
    c.push_back({"text", Prose(5000, 1)});
    c.push_back({"binary", Random(3000, 2)});
    c.push_back({"long_runs", Runs(200000)});
    c.push_back({"zeros", Bytes(100000, 0)});
    c.push_back({"spaces", Bytes(20000, 0x20)});
    c.push_back({"incompressible", Random(70000, 3)});
    c.push_back({"records", Records(50000)});
    for (size_t n : {8191u, 8192u, 8193u, 16384u, 16385u, 24576u}) {
        c.push_back({"prose_" + std::to_string(n), Prose(n, uint32_t(n))});
    }
    c.push_back({"mixed_large", [] {
                     Bytes b = Prose(600000, 9);
                     Bytes r = Random(300000, 5);
                     b.insert(b.begin() + 200000, r.begin(), r.end());
                     Bytes z = Runs(300000);
                     b.insert(b.end(), z.begin(), z.end());
                     return b;
                 }()});
    return c;
}

class RoundTrip : public ::testing::TestWithParam<uint8_t> {};

void CheckRestoresEveryCorpusSample(uint8_t method, const CodecHost& host) {
    // Incompressible data needs room beyond the input for some methods: the budget is the
    // input length, so those cases may fail with EUnableToCompress instead.
    for (const auto& s : Corpus()) {
        SCOPED_TRACE(s.name);
        CodecResult packed;
        try {
            packed = Compress(s.data, method, host);
        } catch (const EUnableToCompress&) {
            EXPECT_GE(s.data.size(), 1u);
            continue;
        }
        EXPECT_EQ(packed.checksum, Sum(s.data));
        EXPECT_EQ(size_t(packed.result), packed.output.size());
        EXPECT_LE(packed.output.size(), s.data.size());
        EXPECT_EQ(packed.sourcePosition, s.data.size());
        CodecResult back = Expand(packed.output, method, int32_t(s.data.size()));
        ASSERT_EQ(back.output.size(), s.data.size());
        EXPECT_TRUE(back.output == s.data);
        EXPECT_EQ(back.checksum, Sum(s.data));
        // The decoder consumes exactly the stored bytes.
        EXPECT_EQ(back.sourcePosition, packed.output.size());
    }
}

TEST_P(RoundTrip, RestoresEveryCorpusSample) { CheckRestoresEveryCorpusSample(GetParam(), CodecHost()); }

TEST(RoundTripBest, Lh5RestoresEveryCorpusSample) {
    CodecHost host;
    host.BestCompression = true;
    CheckRestoresEveryCorpusSample(coLZH5, host);
}

TEST_P(RoundTrip, CompressibleSamplesShrink) {
    const uint8_t method = GetParam();
    Bytes text = Prose(100000, 4);
    Bytes runs = Runs(100000);
    if (method != coRLE) {
        EXPECT_LT(Compress(text, method).output.size(), text.size() / 2);
    }
    // A fifth of the runs are of the escape byte, which RLE never run-codes.
    EXPECT_LT(Compress(runs, method).output.size(), (method == coRLE ? runs.size() * 2 / 3 : runs.size() / 10));
}

TEST_P(RoundTrip, KeyMaskedOutputExpandsWithTheKey) {
    const uint8_t method = GetParam();
    CodecHost host;
    host.Key = 0xA1B2C3D4;
    Bytes data = method == coRLE ? Records(30000) : Prose(30000, 7);
    CodecResult plain = Compress(data, method);
    CodecResult masked = Compress(data, method, host);
    ASSERT_EQ(plain.output.size(), masked.output.size());
    for (size_t i = 0; i < plain.output.size(); ++i) {
        ASSERT_EQ(uint8_t(plain.output[i] ^ uint8_t(host.Key >> (8 * (i % 4)))), masked.output[i]) << i;
    }
    EXPECT_EQ(masked.checksum, Sum(data));
    CodecResult back = Expand(masked.output, method, int32_t(data.size()), host, true);
    EXPECT_TRUE(back.output == data);
    // Without the unmask flag the key is not applied.
    CodecResult wrong = Expand(plain.output, method, int32_t(data.size()), host, false);
    EXPECT_TRUE(wrong.output == data);
}

INSTANTIATE_TEST_SUITE_P(Methods, RoundTrip, ::testing::Values(uint8_t(coRLE), uint8_t(coLZH), uint8_t(coLZH5)),
                         [](const auto& info) {
                             return info.param == coRLE ? "RLE" : info.param == coLZH ? "LZH" : "LZH5";
                         });

}  // namespace
}  // namespace zuv::codecs::testing
