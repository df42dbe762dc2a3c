// The fast -lh5- and LZH decoders against the byte-at-a-time ones: on valid, cut, damaged,
// aborted, keyed and short-delivered streams, both must write the same bytes, raise the same
// error, report the same checksum, read the source in the same chunks, and have the same
// bytes in the destination at every progress call.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "codec_helpers.h"
#include "codecs/codec_io.h"
#include "codecs/lzh5_tables.h"
#include "reference_decoders.h"

namespace zuv::codecs::testing {
namespace {

// A source that records its reads and can run dry before the stored size is used up.
class RecordingSource : public common::MemoryStream {
public:
    RecordingSource(Bytes data, size_t deliverable) : common::MemoryStream(std::move(data)), left_(deliverable) {}
    uint32_t Read(void* buffer, uint32_t count) override {
        uint32_t want = count > left_ ? uint32_t(left_) : count;
        uint32_t n = common::MemoryStream::Read(buffer, want);
        left_ -= n;
        reads.push_back(n);
        return n;
    }
    std::vector<uint32_t> reads;

private:
    size_t left_;
};

struct Case {
    Bytes stream;
    int32_t storedSize = 0;
    int32_t expandedSize = 0;
    size_t deliverable = SIZE_MAX;  // bytes the source gives before it runs dry
    int abortAtCall = 0;            // progress call (1-based) that answers -1; 0: none
    uint32_t key = 0;
    bool unmask = false;
};

struct Trace {
    Bytes output;
    std::string error;
    uint32_t checksum = 0xDEADBEEF;
    std::vector<uint32_t> reads;
    std::vector<std::pair<int32_t, uint64_t>> progress;  // percentage, destination size
    bool operator==(const Trace& o) const {
        return output == o.output && error == o.error && checksum == o.checksum && reads == o.reads &&
               progress == o.progress;
    }
};

using Decoder = std::function<void(CodecIO&, int32_t)>;

// Runs one expansion the way RunCodec does, with the given decoder.
Trace Run(const Case& c, const Decoder& decode) {
    Trace t;
    RecordingSource source(c.stream, c.deliverable);
    common::MemoryStream dest;
    CodecHost host;
    host.Key = c.key;
    host.YieldEachChunk = false;
    int calls = 0;
    host.OnShowProgress = [&](int32_t& percentage) {
        ++calls;
        t.progress.emplace_back(percentage, dest.Size());
        if (calls == c.abortAtCall) percentage = -1;
    };
    try {
        CodecIO io(host, dest, source, c.storedSize, true, c.unmask);
        decode(io, c.expandedSize);
        uint32_t sum = io.OutputSum;
        io.Flush();
        t.checksum = sum;
    } catch (const common::Exception& e) {
        t.error = e.what();
    }
    t.output = dest.data();
    t.reads = source.reads;
    // Once the source has delivered nothing, the byte-at-a-time LZH reader asks it again at
    // every further byte; the fast one stops asking. The futile reads are counted as one.
    while (t.reads.size() >= 2 && t.reads.back() == 0 && t.reads[t.reads.size() - 2] == 0) t.reads.pop_back();
    return t;
}

void ExpectSame(const Case& c, const Decoder& fast, const Decoder& reference, const std::string& what) {
    SCOPED_TRACE(what);
    Trace a = Run(c, fast);
    Trace b = Run(c, reference);
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.output.size(), b.output.size());
    EXPECT_TRUE(a.output == b.output);
    EXPECT_EQ(a.checksum, b.checksum);
    EXPECT_EQ(a.reads, b.reads);
    EXPECT_EQ(a.progress, b.progress);
}

// One frequent byte among rare ones, and matches mostly at one distance with rare far ones:
// the rare symbols get codes longer than the decoders' direct tables (12 bits for literals
// and lengths, 8 for distances), which the fast loops must follow into the trees.
Bytes Skewed(size_t size, uint32_t seed) {
    Bytes out;
    uint32_t s = seed;
    while (out.size() < size) {
        s = s * 1103515245u + 12345u;
        const unsigned r = (s >> 16) % 1000;
        if (r < 850 || out.size() < 300) {
            out.push_back(r < 700 ? 'e' : uint8_t(s >> 8));
        } else {
            const size_t back = r < 990 ? 300 : 1 + (s >> 3) % std::min<size_t>(out.size(), 8000);
            const size_t length = 3 + (r < 990 ? 5 : (s >> 5) % 250);
            for (size_t k = 0; k < length; ++k) out.push_back(out[out.size() - back]);
        }
    }
    out.resize(size);
    return out;
}

// Noise written as base64 lines: few matches and 64 literals of about 6 bits each, so that
// most pairs of literal codes fit one lookup of the literal/length table together.
Bytes Base64(size_t size, uint32_t seed) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const Bytes noise = Random(size, seed);
    Bytes out;
    for (size_t i = 0; out.size() < size; ++i) {
        out.push_back(uint8_t(kDigits[noise[i] & 63]));
        if (out.size() % 77 == 76) out.push_back('\n');
    }
    return out;
}

std::vector<Bytes> Samples() {
    Bytes mixed = Prose(90000, 3);
    Bytes noise = Random(30000, 4);
    mixed.insert(mixed.begin() + 20000, noise.begin(), noise.end());
    Bytes runs = Runs(70000);
    mixed.insert(mixed.end(), runs.begin(), runs.end());
    Bytes records = Records(50000);
    mixed.insert(mixed.end(), records.begin(), records.end());
    return {Text("a"), Text("abcabcabcabcabcabc"), Prose(8192, 5), Random(20000, 6), Runs(40000), mixed,
            Skewed(120000, 7), Base64(150000, 8)};
}

// Every kind of stream that a set may hand the decoders, for one method.
void CheckMethod(uint8_t method, const Decoder& fast, const Decoder& reference) {
    uint32_t seed = 99;
    for (const Bytes& data : Samples()) {
        CodecHost roomy;
        roomy.CompressionMargin = -int32_t(data.size()) - 1000;  // noise may grow
        const Bytes packed = Compress(data, method, roomy).output;
        const int32_t n = int32_t(data.size());
        const int32_t p = int32_t(packed.size());
        const std::string tag = std::to_string(data.size()) + " bytes";
        ExpectSame({packed, p, n}, fast, reference, tag + ", whole");
        ExpectSame({packed, p, n + 5000}, fast, reference, tag + ", more wanted than stored");
        ExpectSame({packed, p, n / 2 + 1}, fast, reference, tag + ", less wanted");
        ExpectSame({packed, p / 2, n}, fast, reference, tag + ", stored size cut");
        Case dry{packed, p, n};
        dry.deliverable = size_t(p) * 2 / 3;
        ExpectSame(dry, fast, reference, tag + ", source runs dry");
        for (int call = 1; call <= 3; ++call) {
            Case aborted{packed, p, n};
            aborted.abortAtCall = call;
            ExpectSame(aborted, fast, reference, tag + ", aborted at call " + std::to_string(call));
        }
        Case keyed{packed, p, n};
        keyed.key = 0x1A2B3C4D;
        keyed.unmask = true;
        for (size_t i = 0; i < keyed.stream.size(); ++i) keyed.stream[i] ^= uint8_t(keyed.key >> (8 * (i & 3)));
        ExpectSame(keyed, fast, reference, tag + ", keyed");
        for (int k = 0; k < 12; ++k) {
            Bytes damaged = packed;
            for (int flips = 0; flips < 1 + k % 3; ++flips) {
                seed = seed * 1103515245u + 12345u;
                damaged[(seed >> 8) % damaged.size()] ^= uint8_t(1u << ((seed >> 4) & 7));
            }
            ExpectSame({damaged, p, n}, fast, reference, tag + ", damaged " + std::to_string(k));
        }
    }
    // Pure noise read as a stream.
    for (uint32_t s = 1; s <= 20; ++s) {
        Bytes junk = Random(3000 + s * 500, s);
        ExpectSame({junk, int32_t(junk.size()), 40000}, fast, reference, "noise " + std::to_string(s));
    }
}

TEST(DecoderEquivalence, Lzh5MatchesTheByteAtATimeDecoder) {
    CheckMethod(coLZH5, ExpandLZH5, ReferenceExpandLZH5);
}

// The compressor never sends a block size field of 0 (65536 symbols), so such blocks are
// made by hand: a single-symbol block of 65536 'A' bit-joined in front of a packed stream,
// and a packed stream whose first block claims 65536 symbols with its real codes.
TEST(DecoderEquivalence, Lzh5BlocksOf65536Symbols) {
    for (const Bytes& data : Samples()) {
        CodecHost roomy;
        roomy.CompressionMargin = -int32_t(data.size()) - 1000;
        const Bytes packed = Compress(data, coLZH5, roomy).output;
        const int32_t n = int32_t(data.size());
        const std::string tag = std::to_string(data.size()) + " bytes";
        BitWriter w;
        SingleBlock(w, 0, 'A', 0);
        for (uint8_t b : packed) w.Put(8, b);
        const Bytes joined = w.Done();
        const int32_t j = int32_t(joined.size());
        ExpectSame({joined, j, n + 65536}, ExpandLZH5, ReferenceExpandLZH5, tag + ", behind a size-0 block");
        ExpectSame({joined, j / 2, n + 65536}, ExpandLZH5, ReferenceExpandLZH5, tag + ", behind one, cut");
        Bytes claimed = packed;
        claimed[0] = claimed[1] = 0;
        ExpectSame({claimed, int32_t(claimed.size()), n + 70000}, ExpandLZH5, ReferenceExpandLZH5,
                   tag + ", first block claims 65536");
    }
}

// The canonical codes of a set of code lengths, as the block's tables assign them.
std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
    std::vector<uint32_t> codes(lengths.size());
    uint32_t code = 0;
    for (int len = 1; len <= 16; ++len) {
        for (size_t i = 0; i < lengths.size(); ++i) {
            if (lengths[i] == len) codes[i] = code++;
        }
        code <<= 1;
    }
    return codes;
}

// A block whose symbols take the most bits the format allows for each byte: literals of 16
// bits and matches of 3 bytes with a 16-bit length code, a 13-bit distance code and 12 extra
// bits, over many input chunks, cut and run dry at various points: the fast loop's bound
// (a symbol takes at most 16 bits a byte) must keep it inside each chunk.
TEST(DecoderEquivalence, Lzh5LongestCodesAcrossChunks) {
    using namespace lh5;
    // Literal/length lengths: 'A'..'O' 1..15 bits, 'P' and symbol 256 (a 3-byte match) 16.
    std::vector<int> c(257, 0);
    for (int i = 0; i < 15; ++i) c['A' + i] = i + 1;
    c['P'] = c[256] = 16;
    // Distance classes 0..12 1..13 bits, class 13 (12 extra bits) 13 bits.
    std::vector<int> pt(kNP);
    for (int i = 0; i < kNP; ++i) pt[i] = i < kNP - 1 ? i + 1 : kNP - 1;
    // Code-length code: 13 symbols of 4 bits and 6 of 5.
    std::vector<int> t(kNT);
    for (int i = 0; i < kNT; ++i) t[i] = i < 13 ? 4 : 5;
    const std::vector<uint32_t> cCode = CanonicalCodes(c), ptCode = CanonicalCodes(pt), tCode = CanonicalCodes(t);

    const uint32_t symbols = 60000;
    BitWriter w;
    w.Put(16, symbols);
    w.Put(kTBit, kNT);
    for (int i = 0; i < kNT; ++i) {
        w.Len(t[i]);
        if (i == 2) w.Put(2, 0);  // no zeros after the third
    }
    auto length = [&](int len) { w.Put(t[len + 2], tCode[len + 2]); };
    auto zeros = [&](int n) { w.Put(t[2], tCode[2]).Put(kCBit, uint32_t(n - 20)); };
    w.Put(kCBit, 257);
    zeros('A');
    for (int ch = 'A'; ch <= 'P'; ++ch) length(c[ch]);
    zeros(256 - 'P' - 1);
    length(c[256]);
    w.Put(kPBit, kNP);
    for (int i = 0; i < kNP; ++i) w.Len(pt[i]);
    uint32_t s = 5;
    int32_t expanded = 0;
    for (uint32_t k = 0; k < symbols; ++k) {
        s = s * 1103515245u + 12345u;
        if ((s >> 16) % 4 == 0) {
            w.Put(16, cCode[256]).Put(13, ptCode[kNP - 1]).Put(12, (s >> 4) & 0xFFF);
            expanded += 3;
        } else {
            w.Put(16, cCode['P']);
            expanded += 1;
        }
    }
    const Bytes stream = w.Done();
    const int32_t p = int32_t(stream.size());
    for (int32_t cut : {p, p - 1, p / 2, p / 3 + 1}) {
        const std::string tag = "stored size " + std::to_string(cut);
        ExpectSame({stream, cut, expanded}, ExpandLZH5, ReferenceExpandLZH5, tag);
        Case dry{stream, cut, expanded};
        dry.deliverable = size_t(cut) * 3 / 5 + 1;
        ExpectSame(dry, ExpandLZH5, ReferenceExpandLZH5, tag + ", runs dry");
    }
}

TEST(DecoderEquivalence, LzhMatchesTheByteAtATimeDecoder) {
    CheckMethod(coLZH, ExpandLZH, ReferenceExpandLZH);
}

}  // namespace
}  // namespace zuv::codecs::testing
