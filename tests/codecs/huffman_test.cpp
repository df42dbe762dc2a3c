// The -lh5- encoder's Huffman codes: complete, at most 16 bits, canonical, and shorter for
// more frequent symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "codecs/huffman.h"

namespace zuv::codecs {
namespace {

struct Code {
    int root = 0;
    std::vector<uint8_t> len;
    std::vector<uint16_t> code;
};

Code Build(const std::vector<uint16_t>& freq) {
    auto h = std::make_unique<HuffmanBuilder>();
    Code c;
    c.len.assign(freq.size(), 0xEE);
    c.code.assign(freq.size(), 0);
    c.root = h->MakeTree(int(freq.size()), freq.data(), c.len.data(), c.code.data());
    return c;
}

// Checks completeness (Kraft sum exactly 1), the length limit and prefix freedom.
void ExpectSoundCode(const std::vector<uint16_t>& freq, const Code& c) {
    uint64_t kraft = 0;
    for (size_t i = 0; i < freq.size(); ++i) {
        if (freq[i] == 0) {
            EXPECT_EQ(c.len[i], 0) << i;
            continue;
        }
        ASSERT_GE(c.len[i], 1) << i;
        ASSERT_LE(c.len[i], 16) << i;
        kraft += uint64_t(1) << (16 - c.len[i]);
    }
    EXPECT_EQ(kraft, uint64_t(1) << 16);
    for (size_t a = 0; a < freq.size(); ++a) {
        for (size_t b = 0; b < freq.size(); ++b) {
            if (a == b || !c.len[a] || !c.len[b] || c.len[a] > c.len[b]) continue;
            // a's code must not be a prefix of b's.
            EXPECT_NE(c.code[b] >> (c.len[b] - c.len[a]), c.code[a]) << a << " " << b;
        }
    }
}

TEST(Huffman, FibonacciFrequenciesAreLimitedTo16Bits) {
    std::vector<uint16_t> freq(24);
    uint32_t f1 = 1, f2 = 1;
    for (auto& f : freq) {
        f = uint16_t(f1);
        uint32_t t = f1 + f2;
        f1 = f2;
        f2 = t;
    }
    Code c = Build(freq);
    EXPECT_GE(c.root, 24);
    ExpectSoundCode(freq, c);
    EXPECT_EQ(*std::max_element(c.len.begin(), c.len.end()), 16);  // the limit was needed
    // More frequent symbols never get longer codes.
    for (size_t i = 1; i < freq.size(); ++i) EXPECT_LE(c.len[i], c.len[i - 1]);
}

TEST(Huffman, SmallAndFlatAlphabets) {
    Code two = Build({0, 5, 0, 9});
    EXPECT_EQ(two.len, (std::vector<uint8_t>{0, 1, 0, 1}));
    EXPECT_EQ(two.code[1], 0);  // canonical: lower symbol first
    EXPECT_EQ(two.code[3], 1);

    std::vector<uint16_t> flat(510, 3);
    Code c = Build(flat);
    ExpectSoundCode(flat, c);
    EXPECT_EQ(std::count(c.len.begin(), c.len.end(), 8), 2);
    EXPECT_EQ(std::count(c.len.begin(), c.len.end(), 9), 508);

    std::vector<uint16_t> sparse(19, 0);
    sparse[0] = 100;
    sparse[7] = 1;
    sparse[18] = 1;
    ExpectSoundCode(sparse, Build(sparse));
}

TEST(Huffman, OneOrNoUsedSymbolIsReturnedAsTheRoot) {
    Code one = Build({0, 0, 7, 0});
    EXPECT_EQ(one.root, 2);
    EXPECT_EQ(one.len, (std::vector<uint8_t>(4, 0)));
    Code none = Build({0, 0, 0});
    EXPECT_EQ(none.root, 0);
}

}  // namespace
}  // namespace zuv::codecs
