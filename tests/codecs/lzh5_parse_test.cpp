// The -lh5- compressor's choice of matches. Its streams are read back into literals and
// matches by a plain reader of the format. Every parse must be sound: the symbols give the
// input back, matches are 3 to 256 bytes long, at most 8191 back and within the input. The
// normal level's parse is checked against its rules: each match as long as the bytes at its
// distance agree (up to 256 and the input left), the nearest among equally long ones, one step
// of lazy look-ahead; where the search is not cut short by its bounds (short inputs, few
// candidates) that is exactly the longest match. Streams end with at least one zero bit after
// the last code.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "codec_helpers.h"

namespace zuv::codecs::testing {
namespace {

struct Token {
    int length;    // 0: literal
    int value;     // the literal byte, or the distance (1..8192)
    bool operator==(const Token& o) const { return length == o.length && value == o.value; }
};

std::ostream& operator<<(std::ostream& os, const Token& t) {
    if (t.length == 0) return os << "lit(" << t.value << ")";
    return os << "match(" << t.length << "," << t.value << ")";
}

Token Lit(uint8_t b) { return {0, b}; }
Token Match(int length, int distance) { return {length, distance}; }

// Reads an -lh5- stream symbol by symbol, with canonical codes decoded bit by bit.
class Lh5Reader {
public:
    explicit Lh5Reader(const Bytes& stream) : in_(stream) {}

    std::vector<Token> Tokens(size_t expandedSize) {
        std::vector<Token> out;
        size_t produced = 0;
        while (produced < expandedSize) {
            if (blockLeft_ == 0) ReadHeader();
            if (failed_) break;
            --blockLeft_;
            int c = Decode(cCode_);
            if (c < 256) {
                out.push_back(Lit(uint8_t(c)));
                ++produced;
            } else {
                int cls = Decode(pCode_);
                int dist = cls == 0 ? 0 : (1 << (cls - 1)) + int(Bits(cls - 1));
                out.push_back(Match(c - 253, dist + 1));
                produced += size_t(c - 253);
            }
        }
        return out;
    }

    int Blocks() const { return blocks_; }
    size_t BitsRead() const { return bitPos_; }

private:
    struct Code {
        int single = -1;             // the one symbol of a code sent in the short form
        std::vector<int> lengths;    // otherwise the code lengths
    };

    unsigned Bits(int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            size_t byte = bitPos_ / 8;
            unsigned bit = byte < in_.size() ? (in_[byte] >> (7 - bitPos_ % 8)) & 1 : 0;
            if (byte >= in_.size()) failed_ = true;
            v = (v << 1) | bit;
            ++bitPos_;
        }
        return v;
    }

    int Decode(const Code& code) {
        if (code.single >= 0) return code.single;
        int n = int(code.lengths.size());
        unsigned value = 0;
        unsigned first = 0;
        for (int len = 1; len <= 16; ++len) {
            value = (value << 1) | Bits(1);
            std::vector<int> symbols;
            for (int s = 0; s < n; ++s)
                if (code.lengths[size_t(s)] == len) symbols.push_back(s);
            if (value - first < symbols.size()) return symbols[value - first];
            first = (first + unsigned(symbols.size())) << 1;
        }
        failed_ = true;
        return 0;
    }

    Code ReadShort(int nn, int nbit, int special) {
        Code code;
        int n = int(Bits(nbit));
        if (n == 0) {
            code.single = int(Bits(nbit));
            return code;
        }
        code.lengths.assign(size_t(std::max(n, nn)), 0);
        for (int i = 0; i < n;) {
            int c = int(Bits(3));
            if (c == 7) {
                while (Bits(1) == 1 && !failed_) ++c;
            }
            code.lengths[size_t(i++)] = c;
            if (i == special) i += int(Bits(2));
        }
        code.lengths.resize(size_t(nn));
        return code;
    }

    void ReadHeader() {
        ++blocks_;
        blockLeft_ = Bits(16);
        if (blockLeft_ == 0) blockLeft_ = 65536;
        Code t = ReadShort(19, 5, 3);
        int n = int(Bits(9));
        cCode_ = Code();
        if (n == 0) {
            cCode_.single = int(Bits(9));
        } else {
            cCode_.lengths.clear();
            while (int(cCode_.lengths.size()) < n && !failed_) {
                int c = Decode(t);
                if (c == 0) cCode_.lengths.push_back(0);
                else if (c == 1) cCode_.lengths.insert(cCode_.lengths.end(), Bits(4) + 3, 0);
                else if (c == 2) cCode_.lengths.insert(cCode_.lengths.end(), Bits(9) + 20, 0);
                else cCode_.lengths.push_back(c - 2);
            }
            cCode_.lengths.resize(510, 0);
        }
        pCode_ = ReadShort(14, 4, -1);
    }

    const Bytes& in_;
    size_t bitPos_ = 0;
    unsigned blockLeft_ = 0;
    int blocks_ = 0;
    bool failed_ = false;
    Code cCode_;
    Code pCode_;
};

Bytes Pack(const Bytes& data, bool best = false) {
    CodecHost host;
    host.CompressionMargin = -int32_t(data.size()) - 64;  // room for incompressible samples
    host.BestCompression = best;
    return Compress(data, coLZH5, host).output;
}

std::vector<Token> Parse(const Bytes& data) {
    Bytes packed = Pack(data);
    return Lh5Reader(packed).Tokens(data.size());
}

// The symbols give the input back, and every match lies within the input and the window.
// With `maximal`, each match also runs as far as the bytes at its distance agree (up to 256
// bytes and the end of the input), as the normal level's matches do.
void ExpectSoundParse(const Bytes& data, const std::vector<Token>& tokens, bool maximal) {
    Bytes rebuilt;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.length == 0) {
            rebuilt.push_back(uint8_t(t.value));
            continue;
        }
        const size_t at = rebuilt.size();
        ASSERT_GE(t.length, 3) << "symbol " << i;
        ASSERT_LE(t.length, 256) << "symbol " << i;
        ASSERT_GE(t.value, 1) << "symbol " << i;
        ASSERT_LE(t.value, 8191) << "symbol " << i;
        ASSERT_LE(size_t(t.value), at) << "symbol " << i << " reaches before the input";
        ASSERT_LE(at + size_t(t.length), data.size()) << "symbol " << i << " runs past the input";
        for (int k = 0; k < t.length; ++k) rebuilt.push_back(rebuilt[at + size_t(k) - size_t(t.value)]);
        if (maximal && t.length < 256 && at + size_t(t.length) < data.size()) {
            EXPECT_NE(data[at + size_t(t.length)], data[at + size_t(t.length) - size_t(t.value)])
                << "symbol " << i << ": the match stops short";
        }
    }
    ASSERT_EQ(rebuilt.size(), data.size());
    EXPECT_TRUE(rebuilt == data);
}

// The longest match at `p` among the 8191 earlier positions that lie within the input;
// the text goes on with spaces past the input's end. Among equally long matches the
// nearest wins. Candidates come from a list of the positions of each two-byte prefix.
class Oracle {
public:
    explicit Oracle(const Bytes& data) : data_(data), heads_(65536) {
        for (size_t p = 0; p < data.size(); ++p) heads_[Key(p)].push_back(p);
    }

    int Longest(size_t p, size_t& from) const {
        const std::vector<size_t>& list = heads_[Key(p)];
        auto end = std::lower_bound(list.begin(), list.end(), p);
        int best = 0;
        for (auto it = end; it != list.begin();) {
            size_t q = *--it;
            if (p - q > 8191) break;
            int len = 0;
            while (len < 256 && At(q + size_t(len)) == At(p + size_t(len))) ++len;
            if (len > best) {
                best = len;
                from = q;
                if (best == 256) break;
            }
        }
        return best;
    }

    // The parse the rules give: a match found at the previous position is sent when it is
    // at least 3 long and not shorter than the one here; then the positions it covers are
    // passed over.
    std::vector<Token> Expected() const {
        std::vector<Token> out;
        size_t n = data_.size();
        size_t pos = 0;
        size_t matchPos = 0;
        auto clip = [&](int len, size_t at) { return int(std::min<size_t>(size_t(len), n - at)); };
        int matchLen = clip(Longest(0, matchPos), 0);
        while (pos < n) {
            int lastLen = matchLen;
            size_t lastPos = matchPos;
            ++pos;
            matchLen = pos < n ? clip(Longest(pos, matchPos), pos) : 0;
            if (matchLen > lastLen || lastLen < 3) {
                out.push_back(Lit(data_[pos - 1]));
            } else {
                out.push_back(Match(lastLen, int(pos - 1 - lastPos)));
                pos += size_t(lastLen - 1);
                matchLen = pos < n ? clip(Longest(pos, matchPos), pos) : 0;
            }
        }
        return out;
    }

private:
    uint8_t At(size_t i) const { return i < data_.size() ? data_[i] : 0x20; }
    size_t Key(size_t p) const { return size_t(At(p)) << 8 | At(p + 1); }

    const Bytes& data_;
    std::vector<std::vector<size_t>> heads_;
};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& b : parts) out.insert(out.end(), b.begin(), b.end());
    return out;
}

// Bytes over a small alphabet: many short, equally long matches to choose between.
Bytes SmallAlphabet(size_t size, uint32_t seed, int letters) {
    Bytes r = Random(size, seed);
    for (auto& b : r) b = uint8_t('a' + b % letters);
    return r;
}

TEST(Lzh5Parse, LiteralsThenTheLazyChoice) {
    // At 4 "abcd" matches 4 bytes 4 back; at 5 "bcdb" matches "bcda" for 3 bytes only, not
    // longer, so the 4-byte match is sent. At 8 "bcdbcdx" matches the overlapping
    // "bcdbcdb" at 5 for 6 bytes (3 back); at 9 only 5: the 6-byte match is sent.
    Bytes data = Text("abcdabcdbcdbcdx");
    std::vector<Token> want = {Lit('a'), Lit('b'), Lit('c'), Lit('d'), Match(4, 4), Match(6, 3), Lit('x')};
    EXPECT_EQ(Parse(data), want);
    EXPECT_EQ(Oracle(data).Expected(), want);

    // At 11 "abcde" matches "abcy" (at 1) for 3 bytes; at 12 "bcde" matches "bcdeR" (at 6)
    // for 4: longer, so 'a' goes out as a literal and the 4-byte match follows.
    Bytes lazy = Text("xabcyQbcdeRabcde");
    std::vector<Token> lazyWant = {Lit('x'), Lit('a'), Lit('b'), Lit('c'), Lit('y'), Lit('Q'), Lit('b'),
                                   Lit('c'), Lit('d'), Lit('e'), Lit('R'), Lit('a'), Match(4, 6)};
    EXPECT_EQ(Parse(lazy), lazyWant);
    EXPECT_EQ(Oracle(lazy).Expected(), lazyWant);

    // Equally long: at 8 "abc" matches 3 bytes at 0, at 9 "bcd" matches 3 bytes at 4; the
    // earlier match is not shorter, so it is sent.
    Bytes even = Text("abcXbcdYabcd");
    std::vector<Token> evenWant = {Lit('a'), Lit('b'), Lit('c'), Lit('X'), Lit('b'), Lit('c'),
                                   Lit('d'), Lit('Y'), Match(3, 8), Lit('d')};
    EXPECT_EQ(Parse(even), evenWant);
}

TEST(Lzh5Parse, EquallyLongMatchesTakeTheNearest) {
    // "abcd" stands at 0, 5 and 10; at 15 every one of them matches 4 bytes (each is
    // followed by a different byte): the nearest, 5 back, is sent.
    Bytes data = Text("abcd1abcd2abcd3abcd4");
    std::vector<Token> tokens = Parse(data);
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens.back(), Lit('4'));
    EXPECT_EQ(tokens[tokens.size() - 2], Match(4, 5));
    EXPECT_EQ(tokens, Oracle(data).Expected());
}

TEST(Lzh5Parse, NothingMatchesTheWindowsInitialSpaces) {
    // The expanding side starts from a window of spaces, but the compressor only matches
    // within the input: leading spaces go out as literals until two of them are seen.
    Bytes data = Text("      ");
    std::vector<Token> tokens = Parse(data);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0], Lit(' '));
    EXPECT_EQ(tokens[1], Match(5, 1));
}

TEST(Lzh5Parse, MatchesAreClippedToTheInputLeft) {
    // The text beyond the input reads as spaces, so "ab  " matches 4 bytes at the end, but
    // only 3 input bytes are left.
    Bytes data = Text("ab  xab ");
    std::vector<Token> tokens = Parse(data);
    EXPECT_EQ(tokens, Oracle(data).Expected());
    EXPECT_EQ(tokens.back(), Match(3, 5));
}

TEST(Lzh5Parse, LongestMatchIs256AndOldPositionsLeaveTheWindow) {
    // A 300-byte pattern repeated: matches stop at 256 bytes.
    Bytes unit = Random(300, 11);
    Bytes data = Concat({unit, unit, unit});
    std::vector<Token> tokens = Parse(data);
    EXPECT_EQ(tokens, Oracle(data).Expected());
    EXPECT_EQ(tokens[300], Match(256, 300));

    // A block that reappears 8191 bytes later is found; 8192 later it has left the window.
    Bytes block = Random(40, 12);
    for (size_t gap : {8191u, 8192u}) {
        SCOPED_TRACE(gap);
        Bytes filler = SmallAlphabet(gap - block.size(), 13, 2);
        for (auto& b : filler) b = uint8_t(b | 0x80);  // shares nothing with the block
        Bytes d = Concat({block, filler, block});
        std::vector<Token> t = Parse(d);
        ExpectSoundParse(d, t, true);
        bool found = std::find(t.begin(), t.end(), Match(40, int(gap))) != t.end();
        EXPECT_EQ(found, gap == 8191u);
    }
}

TEST(Lzh5Parse, FirstMatchesAfterEachSlideOfTheTextBuffer) {
    // The first text fill holds 7936 positions before the buffer slides, later ones 8192.
    // A 600-byte block repeated 5000 bytes later, placed at and across each slide point,
    // is found whole (as 256 + 256 + 88) at the right distance.
    Bytes block = Random(600, 21);
    for (auto& b : block) b = uint8_t(b | 0x80);
    Bytes filler = SmallAlphabet(30000, 22, 3);
    for (size_t at : {7936u - 300u, 7936u, 7936u + 1u, 7936u + 8192u - 100u, 7936u + 8192u,
                      7936u + 2u * 8192u}) {
        SCOPED_TRACE(at);
        size_t first = at - 5000;
        Bytes d = Concat({Bytes(filler.begin(), filler.begin() + long(first - 1)), Text("X"), block,
                          Bytes(filler.begin(), filler.begin() + 4399), Text("Y"), block, Text("Z"), filler});
        std::vector<Token> t = Parse(d);
        ExpectSoundParse(d, t, true);
        size_t pos = 0;
        size_t i = 0;
        while (i < t.size() && pos < at) pos += t[i].length == 0 ? 1 : size_t(t[i].length), ++i;
        ASSERT_EQ(pos, at);
        ASSERT_LE(i + 3, t.size());
        EXPECT_EQ(t[i - 1], Lit('Y'));
        EXPECT_EQ(t[i], Match(256, 5000));
        EXPECT_EQ(t[i + 1], Match(256, 5000));
        EXPECT_EQ(t[i + 2], Match(88, 5000));
        EXPECT_EQ(Expand(Pack(d), coLZH5, int32_t(d.size())).output, d);
    }
}

// Over 3 x 16384 bytes each the text buffer slides several times; the small alphabet makes
// hash chains longer than the normal level's search.
std::vector<Bytes> LongInputs() {
    return {SmallAlphabet(60000, 31, 4), Prose(70000, 32), Records(52000),
            Concat({Prose(20000, 33), Random(9000, 34), Prose(30000, 33), Runs(5000)}),
            Concat({Random(70000, 35), Runs(70000), Random(70000, 35)})};
}

TEST(Lzh5Parse, LongInputsGiveSoundParsesAtBothLevels) {
    const std::vector<Bytes> inputs = LongInputs();
    for (bool best : {false, true}) {
        for (size_t k = 0; k < inputs.size(); ++k) {
            SCOPED_TRACE(std::string(best ? "best " : "normal ") + std::to_string(k));
            const Bytes& d = inputs[k];
            Bytes packed = Pack(d, best);
            ExpectSoundParse(d, Lh5Reader(packed).Tokens(d.size()), !best);
            EXPECT_EQ(Expand(packed, coLZH5, int32_t(d.size())).output, d);
        }
    }
}

TEST(Lzh5Parse, TheBestLevelIsSmallerWhereThereIsAChoice) {
    // Text and a small alphabet offer overlapping matches to choose between; the parse by
    // price must code them in fewer bytes than the lazy parse. In 16-byte records nearly
    // every match is 16 back; a few farther ones would cost each of those a distance bit.
    const std::vector<Bytes> inputs = {Prose(70000, 32), SmallAlphabet(60000, 31, 4),
                                       Concat({Prose(30000, 36), SmallAlphabet(30000, 37, 3), Prose(30000, 38)}),
                                       Records(52000)};
    for (size_t k = 0; k < inputs.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_LT(Pack(inputs[k], true).size(), Pack(inputs[k]).size());
    }
}

TEST(Lzh5Parse, TheLastCodeNeverEndsOnAByteBoundary) {
    // jlha reads a stream only up to its last byte and drops a code that ends exactly there;
    // 7-Zip and bsdtar refuse a whole byte after the last code. So the last code ends inside
    // the last byte, on every length: here prefixes of 1 to 64 bytes and around 100000, at
    // both levels, with the lengths at which the plain layout would have ended on a boundary.
    Bytes text = Prose(200000, 41);
    std::vector<size_t> lengths;
    for (size_t n = 1; n <= 64; ++n) lengths.push_back(n);
    for (size_t n = 99980; n < 100020; ++n) lengths.push_back(n);
    for (bool best : {false, true}) {
        for (size_t n : lengths) {
            SCOPED_TRACE(std::string(best ? "best " : "normal ") + std::to_string(n));
            Bytes d(text.begin(), text.begin() + long(n));
            Bytes packed = Pack(d, best);
            Lh5Reader reader(packed);
            ASSERT_EQ(reader.Tokens(d.size()).size() > 0, true);
            EXPECT_NE(reader.BitsRead() % 8, 0u);
            EXPECT_EQ((reader.BitsRead() + 7) / 8, packed.size());
            EXPECT_EQ(Expand(packed, coLZH5, int32_t(n)).output, d);
        }
    }
}

}  // namespace
}  // namespace zuv::codecs::testing
