// The -lh5- method's expanding direction: LZ77 over an 8192-byte window with static
// canonical Huffman codes sent per block. The compressor is in lzh5_encode.cpp.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/lzh5_tables.h"

namespace zuv::codecs {

namespace lh5 {

// The builder proper. `fill` (slot, symbol, code length) is called for every direct-table
// slot as it is set, so that a caller can keep a second table beside the plain one without
// a pass of its own over all slots; slots that lead into the tree are left to the caller.
// Returns the first slot of those (the table's size when every code fits the table).
template <class Fill>
uint32_t BuildTable(int nchar, const uint8_t* bitlen, int tableBits, uint16_t* table, uint16_t* left, uint16_t* right,
                Fill fill) {
    uint32_t count[17] = {0};
    uint32_t weight[18] = {0};  // zeroed: -O3 cannot see that only 1..16 are read
    uint32_t start[18];
    for (int i = 0; i < nchar; ++i) {
        if (bitlen[i] > 16) throw ELZHBadDecodeTable();
        count[bitlen[i]]++;
    }
    start[1] = 0;
    for (int i = 1; i <= 16; ++i) {
        weight[i] = 1u << (16 - i);
        start[i + 1] = start[i] + count[i] * weight[i];
    }
    // An over-full, under-full or empty length set cannot be decoded safely.
    if (start[17] != 0x10000) throw ELZHBadDecodeTable();
    int shift = 16 - tableBits;
    for (int i = 1; i <= tableBits; ++i) {
        start[i] >>= shift;
        weight[i] >>= shift;
    }
    uint32_t tableSize = 1u << tableBits;
    uint32_t i = start[tableBits + 1] >> shift;
    if (i != 0 && i < tableSize) {
        for (uint32_t k = i; k < tableSize; ++k) table[k] = 0;
    }
    int avail = nchar;
    for (int ch = 0; ch < nchar; ++ch) {
        int len = bitlen[ch];
        if (len == 0) continue;
        uint32_t next = start[len] + weight[len];
        if (len <= tableBits) {
            if (next > tableSize) throw ELZHBadDecodeTable();
            for (uint32_t k = start[len]; k < next; ++k) {
                table[k] = static_cast<uint16_t>(ch);
                fill(k, ch, len);
            }
        } else {
            uint32_t k = start[len];
            uint16_t* slot = &table[(k >> shift) & (tableSize - 1)];
            k <<= tableBits;
            for (int m = len - tableBits; m > 0; --m) {
                if (*slot == 0) {
                    if (avail >= kPoolSize) throw ELZHBadDecodeTable();
                    right[avail] = left[avail] = 0;
                    *slot = static_cast<uint16_t>(avail++);
                }
                uint16_t node = *slot;
                // A path through a leaf: not a prefix code.
                if (node < nchar) throw ELZHBadDecodeTable();
                slot = (k & 0x8000) ? &right[node] : &left[node];
                k = (k << 1) & 0xFFFF;
            }
            *slot = static_cast<uint16_t>(ch);
        }
        start[len] = next;
    }
    return i < tableSize ? i : tableSize;
}

void BuildDecodeTable(int nchar, const uint8_t* bitlen, int tableBits, uint16_t* table, uint16_t* left,
                      uint16_t* right) {
    BuildTable(nchar, bitlen, tableBits, table, left, right, [](uint32_t, int, int) {});
}

}  // namespace lh5

namespace {

using namespace lh5;

// The expanded text is kept in one linear buffer: 8192 bytes of history (spaces at the
// start, as the window begins) followed by the bytes decoded since the last hand-over to
// the byte sink. Matches copy inside the buffer; the new bytes go to the sink in blocks,
// always before the next input chunk is read and before an error is raised, so the sink
// sees what it would see byte by byte.
constexpr int kSpan = 65536;
constexpr int kSlack = 256 + 32;  // a whole match and an over-long copy past the span
constexpr uint32_t kMaxBlockSymbols = 65536;
constexpr int kMaxMatch = kNC - 1 - 253;  // symbol 509: 256 bytes
constexpr int kMaxCodeBits = 16;          // BuildDecodeTable refuses longer codes
constexpr int kMaxExtraBits = kNP - 2;    // distance class 13: 12 bits below its leading one
constexpr int kRefilled = 56;             // bits in the buffer after the fast loop's refill

class Lzh5Decoder {
public:
    explicit Lzh5Decoder(CodecIO& io) : io_(io) {
        std::memset(text_, 0x20, kDicSize);
        std::memset(left_, 0, sizeof(left_));
        std::memset(right_, 0, sizeof(right_));
        std::memset(cLen_, 0, sizeof(cLen_));
        std::memset(ptLen_, 0, sizeof(ptLen_));
        std::memset(cTable_, 0, sizeof(cTable_));
        std::memset(ptTable_, 0, sizeof(ptTable_));
    }

    void Run(int32_t expandedSize) {
        uint8_t* pos = text_ + kDicSize;
        pos_ = emitted_ = pos;
        Ensure16();
        int64_t left = expandedSize;
        uint8_t* const limit = text_ + kDicSize + kSpan;
        while (left > 0) {
            if (pos >= limit) {
                pos_ = pos;
                Emit();
                std::memmove(text_, pos - kDicSize, kDicSize);
                pos = emitted_ = text_ + kDicSize;
            }
            pos_ = pos;  // what the sink gets if the input runs dry or an error is raised here
            if (blockSize_ == 0) ReadBlockHeader();
            if (inEnd_ - in_ >= 8 && blockSize_ >= kSymbolsPerRound && left >= kSymbolsPerRound &&
                limit - pos >= kSymbolsPerRound) {
                pos = cLookup_ == cPairs_ ? DecodeFast<true>(pos, limit, left) : DecodeFast<false>(pos, limit, left);
                continue;
            }
            --blockSize_;
            unsigned s = DecodeSymbol();
            if (s <= 255) {
                *pos++ = static_cast<uint8_t>(s);
                --left;
            } else {
                const int length = static_cast<int>(s) - 253;
                pos = CopyMatch(pos, length, DecodeDistance() + 1);
                left -= length;
            }
        }
        pos_ = pos;
        Emit();
    }

private:
    // Copies a match inside the text buffer. Copies run in 16- or 8-byte steps and may write
    // past the match (the buffer has room; the next symbols overwrite those bytes): a match from
    // 16 bytes back or more takes its first 32 bytes in two steps whatever its length, which
    // spares a branch that short matches would mispredict, later steps write up to 15 more. A
    // match nearer than 8 bytes repeats a short pattern: its first bytes are copied one by
    // one until a whole number of patterns spans 8 bytes or more, then 8-byte steps follow.
    static inline uint8_t* CopyMatch(uint8_t* pos, int length, uint32_t back) {
        const uint8_t* from = pos - back;
        if (back >= 16) {
            std::memcpy(pos, from, 16);
            std::memcpy(pos + 16, from + 16, 16);
            for (int k = 32; k < length; k += 16) std::memcpy(pos + k, from + k, 16);
            return pos + length;
        }
        if (back >= 8) {
            for (int k = 0; k < length; k += 8) std::memcpy(pos + k, from + k, 8);
            return pos + length;
        }
        if (back == 1) {
            std::memset(pos, from[0], static_cast<size_t>(length));
            return pos + length;
        }
        const int stride = static_cast<int>(back * ((8 + back - 1) / back));
        int k = 0;
        for (; k < stride && k < length; ++k) pos[k] = from[k];
        for (; k < length; k += 8) std::memcpy(pos + k, pos + k - stride, 8);
        return pos + length;
    }

    // The packed tables of the fast loop. A literal/length entry holds the code length in its
    // low byte and the symbol in the 16 bits above, with a flag for literals (tested by sign)
    // and one for codes longer than the table (then the symbol bits hold the tree node below
    // the slot). A literal entry also holds the count of literals it stands for in bits 28-29:
    // where two literal codes fit the table's bits together, one entry holds both (the first
    // byte in bits 8-15, the second in bits 16-23, the two lengths summed in the low byte), so
    // that one lookup decodes both; the entries of short-coded text are mostly such pairs. A
    // distance entry holds in its low byte the code length and the count of extra bits
    // together (the loop drops both with one shift), the count of extra bits above it and, in
    // the high 16 bits, the distance the class stands for (the extra bits are added to it).
    // The length in the low byte lets the loop shift and count by the entry itself: shifts
    // take the count modulo 64 and the bit count is kept modulo 64.
    static constexpr uint32_t kLiteral = 1u << 31;
    static constexpr uint32_t kTree = 1u << 30;
    static constexpr int kCTableBits = 12;
    static constexpr int kPTableBits = 8;
    static constexpr int kLiteralShift = 28;
    static constexpr int kLookupsPerRound = 4;                       // literal lookups per refill
    static constexpr int kSymbolsPerRound = 2 * kLookupsPerRound;  // each may be a pair

    static constexpr uint32_t SymbolEntry(unsigned j, unsigned len) {
        return (j <= 255 ? kLiteral | (1u << kLiteralShift) : 0) | (j << 8) | len;
    }
    static constexpr uint32_t PairEntry(uint32_t first, uint32_t second) {
        return kLiteral | (2u << kLiteralShift) | (first & 0xFF00) | ((second & 0xFF00) << 8) |
               ((first & 0xFF) + (second & 0xFF));
    }
    // How many literals an entry with the literal flag stands for.
    static inline unsigned LiteralCount(uint32_t e) { return (e >> kLiteralShift) - (kLiteral >> kLiteralShift); }
    static constexpr uint32_t DistanceEntry(unsigned p, unsigned len) {
        // Class 0 is distance 1 and class 1 distance 2; class p > 1 spans 2^(p-1) distances
        // from 2^(p-1) + 1, picked by p - 1 extra bits.
        const unsigned extra = p > 1 ? p - 1 : 0;
        const unsigned base = p > 1 ? (1u << (p - 1)) + 1 : p + 1;
        return (base << 16) | (extra << 8) | (len + extra);
    }

    // The main loop while at least 8 bytes of the current chunk are unread. The bit buffer is
    // topped up with one 8-byte load at the head of each round; a round decodes one match or
    // the literals of up to kLookupsPerRound entries, and looks up the entry of the next symbol
    // before the next refill (a refill only adds bits below those the entry was looked up by).
    // No chunk is read here, so no byte needs to reach the sink before the loop ends. Entered
    // with room for one round: 8 input bytes, kSymbolsPerRound symbols of the block, and as
    // many bytes before both the buffer's limit and the last byte wanted.
    // Kept out of line: inlined into the caller it shares the registers with the slow path.
    // `Pairs`: the table is cPairs_ (one or two literals an entry), else cFast_ (one).
    template <bool Pairs>
    [[gnu::noinline]] uint8_t* DecodeFast(uint8_t* pos, uint8_t* const limit, int64_t& left) {
        // A round's bits: a match takes the longest literal/length code, the longest distance
        // code and the most extra bits; a run of literals takes only codes found in the table,
        // and the entry after them is looked up in bits that are still the stream's.
        static_assert(2 * kMaxCodeBits + kMaxExtraBits <= kRefilled, "one refill must cover a whole match");
        static_assert(kLookupsPerRound * kCTableBits <= kRefilled, "one refill must cover the literals of a round");
        static_assert(kLookupsPerRound * kCTableBits + kCTableBits <= 64 &&
                          2 * kMaxCodeBits + kMaxExtraBits + kCTableBits <= 64,
                      "the entry after a round must be looked up in loaded bits");
        // The refill ORs 8 loaded bytes in below the `count` bits held and keeps the whole
        // bytes of them that fit: (63 - count) / 8 bytes, which brings any count of 0..63 to
        // exactly count | 56 bits. The bits below the count are the stream's next bits too, so
        // ORing them in again at the next refill changes nothing.
        static_assert(kRefilled == 64 - 8, "count | kRefilled is the refilled count only for 56");
        // A match starts before `limit` and CopyMatch writes at most 32 bytes from its start or
        // 15 bytes past its end.
        static_assert(kSlack >= kMaxMatch + 15 && kSlack >= 32,
                      "the text buffer's slack must hold a whole match and its overrun");
        // The entries' fields: symbols and nodes in 16 bits below the length, flags above it.
        static_assert(kPoolSize <= 0xFFFF && kNC <= 0xFFFF && kDicSize <= 0xFFFF && kNC < (kTree >> 8),
                      "entry fields must fit 16 bits");
        // A literal entry: the count below both flags' bits (the tree flag stays clear), the two
        // bytes stored at once as the 16 bits above the length, the first at the lower address.
        static_assert(kLiteral >> kLiteralShift == 8 && (kTree >> kLiteralShift) == 4 && kLiteralShift >= 24,
                      "the literal count sits between the pair's bytes and the tree flag");
        static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pairs are stored as one little-endian word");
        // A pair's codes together fit the table's bits, so the static_asserts on a round's bits
        // hold for pairs as they do for single codes; a round writes up to kSymbolsPerRound
        // literals, the second byte of a single literal's store is overwritten later.
        static_assert(kSymbolsPerRound + 1 <= kSlack, "a round's stores stay inside the text buffer");
        static_assert(kMaxCodeBits + kMaxExtraBits < 64 && kMaxExtraBits < 256 && (uint32_t(kDicSize) << 16) < kTree,
                      "distance entry fields");
        // Kept in locals: stores through the text pointer could otherwise alias them.
        uint64_t bits = bits_;
        uint32_t count = static_cast<uint32_t>(bitCount_);  // modulo 64: the bits above are left over
        const uint8_t* in = in_;
        const uint8_t* const safeEnd = inEnd_ - 8;
        unsigned blockLeft = blockSize_;
        // The tables are read through `this` (at fixed offsets from it) rather than through
        // pointers of their own, which the compiler would keep on the stack.
        auto lookup = [this](uint64_t b) { return (Pairs ? cPairs_ : cFast_)[b >> (64 - kCTableBits)]; };
        // One bound for the text: the buffer's end or the last byte wanted, whichever is first,
        // less the literals a round may write beyond its first.
        uint8_t* const start = pos;
        uint8_t* const stop = (left < limit - pos ? pos + left : limit) - (kSymbolsPerRound - 1);
        // One bound per round, on the text alone. Every symbol writes a byte at least and takes
        // at most kBitsPerByte bits for each byte it writes, so while fewer than n bytes have been
        // written since the bound was set, fewer than n symbols have left the block and the
        // input has moved on by at most 2 (n - 1) + 7 bytes (the buffer holds fewer than 64
        // bits). `bound` is the nearest of `stop` and the bytes that the input and the block
        // allow that way; at `bound` the exact checks decide whether to go on.
        constexpr unsigned kBitsPerByte = 16;
        static_assert(kMaxCodeBits <= kBitsPerByte && 2 * kMaxCodeBits + kMaxExtraBits <= 3 * kBitsPerByte &&
                          kRefilled < 64,
                      "a literal or a match of 3 bytes takes at most 16 bits a byte");
        auto boundFrom = [&]() -> uint8_t* {
            const size_t unread = static_cast<size_t>(safeEnd - in);
            const size_t inBytes = unread >= 7 ? (unread - 7) / (kBitsPerByte / 8) + 1 : 1;
            const size_t blockBytes = blockLeft - kSymbolsPerRound + 1;
            const size_t n = inBytes < blockBytes ? inBytes : blockBytes;
            return n < static_cast<size_t>(stop - pos) ? pos + n : stop;
        };
        uint8_t* bound = boundFrom();

        auto refill = [&] {
            uint64_t w;
            std::memcpy(&w, in, 8);
            w = __builtin_bswap64(w);
            bits |= w >> (count & 63);
            in += (~count & 63) >> 3;
            count |= kRefilled;
        };
        refill();
        uint32_t e = lookup(bits);
        for (;;) {
            if (e & kTree) e = LongCode(e, bits, pos);
            bits <<= (e & 63);
            count -= e;
            if (static_cast<int32_t>(e) < 0) {
                // One or two literals per entry; each literal is one symbol of the block.
                uint8_t* const run = pos;
                StoreLiterals<Pairs>(pos, e);
                // More literals while their codes are in the table.
                for (int n = 1; n < kLookupsPerRound; ++n) {
                    e = lookup(bits);
                    if (static_cast<int32_t>(e) >= 0) {
                        blockLeft -= static_cast<unsigned>(pos - run);
                        goto next;
                    }
                    bits <<= (e & 63);
                    count -= e;
                    StoreLiterals<Pairs>(pos, e);
                }
                blockLeft -= static_cast<unsigned>(pos - run);
            } else {
                --blockLeft;
                const int length = static_cast<int>((e >> 8) & 0xFFFF) - 253;
                uint32_t d = ptFast_[bits >> (64 - kPTableBits)];
                if (d & kTree) d = LongDistance(d, bits, pos);
                // The extra bits follow the distance code; the next symbol's bits follow both.
                const unsigned extra = (d >> 8) & 0xFF;
                const uint64_t tail = bits << ((d & 0xFF) - extra);
                bits <<= (d & 63);
                count -= d;
                // Two shifts, so that no extra bits (a shift by 64) give 0.
                const uint32_t back = (d >> 16) + static_cast<uint32_t>((tail >> 1) >> (63 - extra));
                pos = CopyMatch(pos, length, back);
            }
            e = lookup(bits);
        next:
            if (pos >= bound) {
                if (pos >= stop || blockLeft < kSymbolsPerRound || in > safeEnd) break;
                bound = boundFrom();
            }
            refill();
        }
        bits_ = bits;
        bitCount_ = static_cast<int>(count & 63);
        in_ = in;
        blockSize_ = blockLeft;
        left -= pos - start;
        Ensure16();
        return pos;
    }

    // Writes the one or two literals of a literal entry (two bytes either way) and steps past them.
    template <bool Pairs>
    static inline void StoreLiterals(uint8_t*& pos, uint32_t e) {
        if (Pairs) {
            const uint16_t bytes = static_cast<uint16_t>(e >> 8);
            std::memcpy(pos, &bytes, 2);
            pos += LiteralCount(e);
        } else {
            *pos++ = static_cast<uint8_t>(e >> 8);
        }
    }

    // The entry of a literal/length code longer than the table, found in the tree below the
    // slot; `pos` is where the text stands, for the sink should the code be bad.
    uint32_t LongCode(uint32_t e, uint64_t bits, uint8_t* pos) {
        pos_ = pos;
        const unsigned j = WalkTree((e >> 8) & 0xFFFF, static_cast<unsigned>(bits >> 48), 1u << (15 - kCTableBits), kNC);
        return SymbolEntry(j, cLen_[j]);
    }

    uint32_t LongDistance(uint32_t d, uint64_t bits, uint8_t* pos) {
        pos_ = pos;
        const unsigned p = WalkTree((d >> 8) & 0xFFFF, static_cast<unsigned>(bits >> 48), 1u << (15 - kPTableBits), kNP);
        return DistanceEntry(p, ptLen_[p]);
    }

    // Follows the tree below a table entry for the code bits under `mask` of `top`.
    unsigned WalkTree(unsigned j, unsigned top, unsigned mask, unsigned alphabet) {
        do {
            if (mask == 0 || j >= kPoolSize) Bad();
            j = (top & mask) ? right_[j] : left_[j];
            mask >>= 1;
        } while (j >= alphabet);
        return j;
    }

    // Hands the bytes decoded since the last call to the byte sink.
    void Emit() {
        if (pos_ > emitted_) io_.CodecWriteBlock(emitted_, static_cast<uint32_t>(pos_ - emitted_));
        emitted_ = pos_;
    }

    // The bit reader keeps at least the next 16 bits of the stream, most significant bit
    // first at bit 63, and takes whole chunks from the byte source. A new chunk is read
    // only when fewer than 16 bits are left, which is when reading bit by bit would read
    // it too. Once the input has ended (or a progress handler aborted) it delivers zero
    // bits for ever without reading again.
    inline void Ensure16() {
        if (bitCount_ < 16) TopUp(16);
    }

    void TopUp(int need) {
        for (;;) {
            while (bitCount_ < 56 && in_ < inEnd_) {
                bits_ |= uint64_t(*in_++) << (56 - bitCount_);
                bitCount_ += 8;
            }
            if (bitCount_ >= need) return;
            if (ended_) {
                bitCount_ = 64;  // the bits below bitCount_ are zero already
                return;
            }
            Emit();
            if (io_.NextChunk() != CodecIO::ChunkResult::Read) {
                ended_ = true;
                continue;
            }
            uint32_t n = io_.TakeChunk(in_);
            inEnd_ = in_ + n;
        }
    }

    inline unsigned Peek16() const { return static_cast<unsigned>(bits_ >> 48); }

    // Drops the next n bits (n = 0..17).
    inline void FillBits(int n) {
        if (n > bitCount_) TopUp(n);
        bits_ <<= n;
        bitCount_ -= n;
        Ensure16();
    }

    unsigned TakeBits(int n) {
        if (n == 0) return 0;
        unsigned x = static_cast<unsigned>(bits_ >> (64 - n));
        FillBits(n);
        return x;
    }

    void ReadBlockHeader() {
        // A damaged header raises from deep in the table building: what has been decoded
        // goes to the sink first, as it would have byte by byte.
        Emit();
        // The size field counts the block's symbols modulo 65536: 0 stands for 65536.
        blockSize_ = TakeBits(16);
        if (blockSize_ == 0) blockSize_ = kMaxBlockSymbols;
        ReadShortCodeLengths(kNT, kTBit, 3);
        ReadSymbolCodeLengths();
        ReadShortCodeLengths(kNP, kPBit, -1);
        // The fast loop's distance table (the literal/length one is filled as it is built).
        for (int k = 0; k < 256; ++k) {
            unsigned j = ptTable_[k];
            ptFast_[k] = j < kNP ? DistanceEntry(j, ptLen_[j]) : kTree | (j << 8);
        }
    }

    [[noreturn]] void Bad() {
        Emit();
        throw ELZHBadDecodeTable();
    }

    void ReadShortCodeLengths(int nn, int nbit, int special) {
        int n = static_cast<int>(TakeBits(nbit));
        if (n == 0) {
            unsigned c = TakeBits(nbit);
            if (static_cast<int>(c) >= nn) Bad();
            for (int i = 0; i < nn; ++i) ptLen_[i] = 0;
            for (int i = 0; i < 256; ++i) ptTable_[i] = static_cast<uint16_t>(c);
            return;
        }
        int i = 0;
        while (i < n) {
            unsigned top = Peek16();
            int c = static_cast<int>(top >> 13);
            if (c == 7) {
                unsigned mask = 1u << 12;
                while (mask & top) {
                    mask >>= 1;
                    ++c;
                }
            }
            FillBits(c < 7 ? 3 : c - 3);
            if (i < static_cast<int>(sizeof(ptLen_))) ptLen_[i] = static_cast<uint8_t>(c > 255 ? 255 : c);
            ++i;
            if (i == special) {
                int z = static_cast<int>(TakeBits(2));
                while (--z >= 0 && i < static_cast<int>(sizeof(ptLen_))) ptLen_[i++] = 0;
            }
        }
        for (int k = i; k < nn; ++k) ptLen_[k] = 0;
        BuildDecodeTable(nn, ptLen_, 8, ptTable_, left_, right_);
    }

    void ReadSymbolCodeLengths() {
        int n = static_cast<int>(TakeBits(kCBit));
        if (n == 0) {
            unsigned c = TakeBits(kCBit);
            if (static_cast<int>(c) >= kNC) Bad();
            for (int i = 0; i < kNC; ++i) cLen_[i] = 0;
            for (int i = 0; i < 4096; ++i) {
                cTable_[i] = static_cast<uint16_t>(c);
                cFast_[i] = SymbolEntry(c, 0);
            }
            cLookup_ = cFast_;
            return;
        }
        int i = 0;
        while (i < n) {
            unsigned top = Peek16();
            unsigned c = ptTable_[top >> 8];
            if (c >= kNT) c = WalkTree(c, top, 1u << 7, kNT);
            FillBits(ptLen_[c]);
            if (c <= 2) {
                int run;
                if (c == 0) run = 1;
                else if (c == 1) run = static_cast<int>(TakeBits(4)) + 3;
                else run = static_cast<int>(TakeBits(kCBit)) + 20;
                // Zero runs reaching past the alphabet are cut at its end.
                while (--run >= 0) {
                    if (i < kNC) cLen_[i] = 0;
                    ++i;
                }
            } else {
                if (i < kNC) cLen_[i] = static_cast<uint8_t>(c - 2);
                ++i;
            }
        }
        for (int k = i; k < kNC; ++k) cLen_[k] = 0;
        uint32_t* const fast = cFast_;
        const uint32_t tree = BuildTable(kNC, cLen_, kCTableBits, cTable_, left_, right_,
                                         [fast](uint32_t k, int ch, int len) { fast[k] = SymbolEntry(ch, len); });
        for (uint32_t k = tree; k < (1u << kCTableBits); ++k) fast[k] = kTree | (uint32_t(cTable_[k]) << 8);
        cLookup_ = PairLiterals() ? cPairs_ : cFast_;
    }

    // Fills cPairs_ from cFast_, with an entry for both literals wherever a literal's code and
    // the next literal's code fit the table's bits together. Worth the pass over the table only
    // when many of the block's literals pair up (short-coded text such as base64); returns
    // whether it made the table.
    bool PairLiterals() {
        constexpr unsigned kBits = kCTableBits;
        // A code of n bits stands for about 2^-n of the block's symbols, so the share of
        // lookups that find two literals is about the sum, over the pairs of literal code
        // lengths that fit the table together, of the product of their shares (in units of
        // 2^-kBits each).
        uint32_t count[kBits + 1] = {0};
        for (int c = 0; c < 256; ++c) {
            if (cLen_[c] != 0 && cLen_[c] < kBits) count[cLen_[c]]++;
        }
        uint64_t within[kBits + 1] = {0};  // share of the literals of at most n bits
        for (unsigned n = 1; n <= kBits; ++n) within[n] = within[n - 1] + (uint64_t(count[n]) << (kBits - n));
        uint64_t pairs = 0;
        for (unsigned n = 1; n < kBits; ++n) pairs += (uint64_t(count[n]) << (kBits - n)) * within[kBits - n];
        // pairs / 2^(2 kBits) of the block's symbols are expected to pair up. Besides the pass,
        // the loop over a paired table spends more on each entry (a count to add, a two-byte
        // store) than the plain one: by cachegrind, text and programs (whose blocks expect
        // from a few hundred to a few thousand pairs) come out slower with pairs, base64
        // (tens of thousands) much faster.
        constexpr uint64_t kMinPairs = 12000;
        static_assert(2 * kBits + 16 < 64, "the estimate's product fits 64 bits");
        if (((pairs * blockSize_) >> (2 * kBits)) < kMinPairs) return false;
        unsigned shortest = 1;
        while (count[shortest] == 0) ++shortest;  // some count is not 0, or pairs would be
        // A literal code of len bits fills the 2^(kBits - len) slots from a multiple of that
        // count, and the slot i places past the first holds, below the code, the bits i: the
        // next code is the one in slot i << len (the slots of a code of at most kBits - len bits
        // all hold it, whatever the bits below). So every first code of one length finds the
        // same second codes, whose share of a pair entry (second byte, count and length
        // added to the first's entry) is made once per length in pairHalf_. Codes come in the
        // table by length, shortest first.
        static_assert(PairEntry(SymbolEntry('a', 3), SymbolEntry('b', 4)) ==
                          SymbolEntry('a', 3) + ((1u << kLiteralShift) | ('b' << 16) | 4),
                      "a pair entry is the first's entry plus the second's share");
        unsigned madeFor = 0;
        for (uint32_t k = 0; k < (1u << kBits);) {
            const uint32_t e = cFast_[k];
            const unsigned len = e & 0xFF;
            // A code of length 0 (a block of one symbol) consumes no bits: no pairs there.
            if (static_cast<int32_t>(e) >= 0 || len == 0 || len + shortest > kBits) {
                cPairs_[k++] = e;
                continue;
            }
            const unsigned room = kBits - len;
            if (madeFor != len) {
                for (uint32_t i = 0; i < (1u << room); ++i) {
                    const uint32_t second = cFast_[i << len];
                    // A literal of 1..room bits (unsigned: other entries wrap to large numbers).
                    const bool fits = (second & (kLiteral | 0xFF)) - (kLiteral + 1) < room;
                    pairHalf_[i] = fits ? (1u << kLiteralShift) | ((second & 0xFF00) << 8) | (second & 0xFF) : 0;
                }
                madeFor = len;
            }
            for (uint32_t i = 0; i < (1u << room); ++i) cPairs_[k + i] = e + pairHalf_[i];
            k += 1u << room;
        }
        return true;
    }

    inline unsigned DecodeSymbol() {
        unsigned top = Peek16();
        unsigned j = cTable_[top >> 4];
        if (j >= kNC) j = WalkTree(j, top, 1u << 3, kNC);
        FillBits(cLen_[j]);
        return j;
    }

    inline uint32_t DecodeDistance() {
        unsigned top = Peek16();
        unsigned j = ptTable_[top >> 8];
        if (j >= kNP) j = WalkTree(j, top, 1u << 7, kNP);
        FillBits(ptLen_[j]);
        if (j == 0) return 0;
        return (1u << (j - 1)) + TakeBits(static_cast<int>(j) - 1);
    }

    CodecIO& io_;
    uint8_t text_[kDicSize + kSpan + kSlack];
    uint8_t* pos_ = nullptr;      // end of the decoded bytes, as last recorded
    uint8_t* emitted_ = nullptr;  // end of the bytes handed to the sink
    const uint8_t* in_ = nullptr;     // unread bytes of the current chunk
    const uint8_t* inEnd_ = nullptr;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = false;
    uint16_t left_[kPoolSize];
    uint16_t right_[kPoolSize];
    uint8_t cLen_[kNC];
    uint8_t ptLen_[128];
    uint16_t cTable_[4096];
    uint16_t ptTable_[256];
    uint32_t cFast_[1 << kCTableBits];   // one symbol per entry
    uint32_t cPairs_[1 << kCTableBits];  // cFast_ with pairs of literals where they fit
    const uint32_t* cLookup_ = cFast_;   // the one of them the fast loop reads
    uint32_t pairHalf_[1 << (kCTableBits - 1)];  // PairLiterals' second codes for one first length
    uint32_t ptFast_[1 << kPTableBits];
    uint32_t blockSize_ = 0;  // symbols left in the current block; 0: a header is due
};

}  // namespace

void ExpandLZH5(CodecIO& io, int32_t expandedSize) {
    if (expandedSize == 0) return;
    auto decoder = std::make_unique<Lzh5Decoder>(io);
    decoder->Run(expandedSize);
}

}  // namespace zuv::codecs
