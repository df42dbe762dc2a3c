// Hand-made -lh5- bit streams: block layout, single-symbol codes, window start, and the
// decode tables that must be refused.
#include <gtest/gtest.h>

#include <functional>

#include "codec_helpers.h"

namespace zuv::codecs::testing {
namespace {

TEST(Lzh5Stream, SingleSymbolBlockCostsNoBitsPerSymbol) {
    BitWriter w;
    SingleBlock(w, 1000, 'Z', 0);
    Bytes s = w.Done();
    CodecResult r = Expand(s, coLZH5, 1000);
    EXPECT_EQ(r.output, Bytes(1000, 'Z'));
    EXPECT_EQ(r.checksum, 1000u * 'Z');
}

// A block header whose literal/length code has two 1-bit symbols, 'x' ("0") and 257 ("1"),
// sent through a code-length code, with distance class 3 as its single distance symbol.
BitWriter& TwoSymbolBlock(BitWriter& w, uint32_t size) {
    w.Put(16, size);
    // Code-length code: 4 lengths [2, 0, 2, 1]; after the third a 2-bit zero-run field of 0.
    // Canonical: symbol 3 (length 1) "0", symbol 0 "10", symbol 2 (long zero run) "11".
    w.Put(5, 4).Len(2).Len(0).Len(2).Put(2, 0).Len(1);
    w.Put(9, 258);
    w.Put(2, 3).Put(9, 120 - 20);        // 120 zeros
    w.Put(1, 0);                         // length 1 for 'x'
    w.Put(2, 3).Put(9, 257 - 121 - 20);  // zeros for 121..256
    w.Put(1, 0);                         // length 1 for 257
    return w.Put(4, 0).Put(4, 3);
}

// A block size field of 0 stands for 65536 symbols, whether the stream is so short that
// every symbol is decoded bit by bit or long enough for the decoder's fast loop.
TEST(Lzh5Stream, BlockSizeZeroHolds65536Symbols) {
    struct Case {
        const char* what;
        std::function<void(BitWriter&)> build;
        Bytes expect;
    };
    auto concat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const Case cases[] = {
        // After the 65536 symbols the next header comes from the exhausted input (all zero
        // bits): single-symbol codes naming symbol 0, the byte 0x00.
        {"alone, a 7-byte stream",
         [](BitWriter& w) { SingleBlock(w, 0, 'A', 0); },
         concat({Bytes(65536, 'A'), Bytes(4, 0)})},
        {"before blocks of 10 and 1000, padded",
         [](BitWriter& w) {
             SingleBlock(w, 0, 'A', 0);
             SingleBlock(w, 10, 'B', 0);
             SingleBlock(w, 1000, 'C', 0);
             w.Put(32, 0).Put(32, 0);
             for (int i = 0; i < 64; ++i) w.Put(8, 0x5A);
         },
         concat({Bytes(65536, 'A'), Bytes(10, 'B'), Bytes(1000, 'C')})},
        {"with a code of 1-bit symbols, then a block of 5",
         [](BitWriter& w) {
             TwoSymbolBlock(w, 0);
             for (int i = 0; i < 65536 / 32; ++i) w.Put(32, 0);  // 65536 times 'x'
             SingleBlock(w, 5, 'D', 0);
             for (int i = 0; i < 64; ++i) w.Put(8, 0);
         },
         concat({Bytes(65536, 'x'), Bytes(5, 'D')})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitWriter w;
        c.build(w);
        CodecResult r;
        try {
            r = Expand(w.Done(), coLZH5, int32_t(c.expect.size()));
        } catch (const common::Exception& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(r.output.size(), c.expect.size());
        EXPECT_TRUE(r.output == c.expect);
        EXPECT_EQ(r.checksum, Sum(c.expect));
    }
}

TEST(Lzh5Stream, MatchesBeforeTheStartCopySpacesAndRunPastTheSize) {
    // Only symbol 256 (length 3) with distance class 0 (copy distance 1).
    BitWriter w;
    SingleBlock(w, 10, 256, 0);
    CodecResult r = Expand(w.Done(), coLZH5, 4);
    EXPECT_EQ(r.output, Bytes(6, 0x20));  // the last match is written whole
    EXPECT_EQ(r.checksum, 6u * 0x20);
}

TEST(Lzh5Stream, TwoSymbolCodeWithDistances) {
    // Literal/length code: 'x' and 257 (length 4), each 1 bit, sent through a code-length
    // code whose symbols 0 (one zero), 2 (a long zero run) and 3 (length 1) are 2, 2, 1 bits.
    BitWriter w;
    w.Put(16, 3);
    // Code-length code: 4 lengths: [2, 0, 2, 1]; after the third a 2-bit zero-run field of 0.
    w.Put(5, 4).Len(2).Len(0).Len(2).Put(2, 0).Len(1);
    // Code-length code canonical: sym3 len1 -> "0"; sym0 len2 -> "10"; sym2 len2 -> "11".
    // Literal/length lengths: count 258; 'x' = 120 zeros first.
    w.Put(9, 258);
    w.Put(2, 3).Put(9, 120 - 20);  // symbol 2: 120 zeros
    w.Put(1, 0);                   // symbol 3: length 1 for 'x'
    w.Put(2, 3).Put(9, 257 - 121 - 20);  // zeros for 121..256
    w.Put(1, 0);                          // length 1 for 257
    // Distance code: single symbol, class 3 (distances 4..7 copy 5..8 back).
    w.Put(4, 0).Put(4, 3);
    // Symbols: x, x, then 257 with class 3 extra bits "10" -> value 6, distance 7.
    w.Put(1, 0).Put(1, 0).Put(1, 1).Put(2, 2);
    CodecResult r = Expand(w.Done(), coLZH5, 6);
    Bytes expect = {'x', 'x', 0x20, 0x20, 0x20, 0x20};
    // Copy from 7 back: positions -5..-2 are spaces.
    EXPECT_EQ(r.output, expect);
}

TEST(Lzh5Stream, ShortStreamsReadAsZeros) {
    Bytes data = Prose(30000, 51);
    CodecResult packed = Compress(data, coLZH5);
    Bytes cut(packed.output.begin(), packed.output.begin() + long(packed.output.size() / 2));
    try {
        CodecResult r = Expand(cut, coLZH5, int32_t(data.size()));
        EXPECT_GE(r.output.size(), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1000, r.output.begin()));
    } catch (const ELZHBadDecodeTable&) {
        // A block header made of zero bits may be refused; either way no fault.
    }
}

void ExpectBadTable(const Bytes& stream) {
    try {
        Expand(stream, coLZH5, 100);
        FAIL() << "accepted a bad table";
    } catch (const ELZHBadDecodeTable& e) {
        EXPECT_STREQ(e.what(), "Bad decode table in archive!");
    }
}

TEST(Lzh5BadTables, IncompleteAndOverfullLengthSets) {
    // Code-length code with lengths [1, 1, 1]: over-full.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 3).Len(1).Len(1).Len(1).Put(2, 0).Done());
    // Lengths [1, 2]: one code short.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 2).Len(1).Len(2).Done());
    // Lengths [1, 0, 0]: a single used symbol outside the single-symbol form.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 3).Len(1).Len(0).Len(0).Put(2, 0).Done());
    // Every length zero: nothing to decode with.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 2).Len(0).Len(0).Done());
    // 2^17 of code space at length 16 per symbol is a whole multiple of 2^16 over: 19
    // lengths of 1 plus the rest, here 4 lengths of 1 (sum 2 x 2^16).
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 4).Len(1).Len(1).Len(1).Put(2, 0).Len(1).Done());
}

TEST(Lzh5BadTables, LengthsAboveSixteen) {
    // 17..20 can be written in the length format; none is a valid length.
    for (int k : {17, 18, 19, 20}) {
        BitWriter w;
        w.Put(16, 5).Put(5, 2).Len(1).Len(k);
        ExpectBadTable(w.Done());
    }
}

TEST(Lzh5BadTables, SingleSymbolsOutsideTheAlphabet) {
    // Code-length code naming symbol 19..31.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 0).Put(5, 19).Done());
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 0).Put(5, 31).Done());
    // Literal/length code naming 510 or 511.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 510).Done());
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 511).Done());
    // Distance code naming 14 or 15.
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 65).Put(4, 0).Put(4, 14).Done());
    ExpectBadTable(BitWriter().Put(16, 5).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 65).Put(4, 0).Put(4, 15).Done());
}

TEST(Lzh5BadTables, LongZeroRunsAndSurplusCountsStayInside) {
    // Code-length code [1, 0, 1]: symbol 0 -> "0", symbol 2 -> "1". Then a count of 511
    // literal/length lengths made of zero runs of 531: they run past 510 and are cut.
    BitWriter w;
    w.Put(16, 5).Put(5, 3).Len(1).Len(0).Len(1).Put(2, 0);
    w.Put(9, 511).Put(1, 1).Put(9, 511).Put(1, 1).Put(9, 511);
    ExpectBadTable(w.Done());  // all lengths zero: refused, not written past the array
    // A code-length count of 31: the lengths past the 19th are read and ignored.
    // Code-length code [1, 0, 0, 1]: symbol 0 -> "0", symbol 3 (length 1) -> "1".
    BitWriter v;
    v.Put(16, 4).Put(5, 31).Len(1).Len(0).Len(0).Put(2, 0).Len(1);
    for (int i = 4; i < 31; ++i) v.Len(i < 19 ? 0 : 5);
    v.Put(9, 99);
    for (int i = 0; i < 97; ++i) v.Put(1, 0);
    v.Put(1, 1).Put(1, 1);  // 'a' and 'b' of length 1
    v.Put(4, 0).Put(4, 0);
    v.Put(1, 0).Put(1, 1).Put(1, 1).Put(1, 0);
    EXPECT_EQ(Expand(v.Done(), coLZH5, 4).output, Text("abba"));
}

TEST(Lzh5BadTables, RandomGarbageNeverFaults) {
    for (uint32_t seed = 0; seed < 300; ++seed) {
        Bytes junk = Random(64 + seed % 200, seed);
        for (uint8_t method : {uint8_t(coLZH5), uint8_t(coLZH), uint8_t(coRLE)}) {
            try {
                CodecResult r = Expand(junk, method, 5000);
                if (method != coRLE) {
                    EXPECT_GE(r.output.size(), 5000u);
                }
            } catch (const ELZHBadDecodeTable&) {
                EXPECT_EQ(method, coLZH5);
            }
        }
    }
}

}  // namespace
}  // namespace zuv::codecs::testing
