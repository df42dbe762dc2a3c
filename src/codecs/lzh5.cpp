// The -lh5- method's expanding direction: LZ77 over an 8192-byte window with static
// canonical Huffman codes sent per block. The compressor is in lzh5_encode.cpp.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/lzh5_tables.h"

namespace zuv::codecs {

namespace lh5 {

void BuildDecodeTable(int nchar, const uint8_t* bitlen, int tableBits, uint16_t* table, uint16_t* left,
                      uint16_t* right) {
    uint32_t count[17] = {0};
    uint32_t weight[18];
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
            for (uint32_t k = start[len]; k < next; ++k) table[k] = static_cast<uint16_t>(ch);
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
            if (inEnd_ - in_ >= 8) {
                pos = DecodeFast(pos, limit, left);
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
    // Copies a match inside the text buffer. Copies run in 16- or 8-byte steps and may write up
    // to 15 bytes past the match (the buffer has room; the next symbol overwrites them). A
    // match nearer than 8 bytes repeats a short pattern: its first bytes are copied one by
    // one until a whole number of patterns spans 8 bytes or more, then 8-byte steps follow.
    static inline uint8_t* CopyMatch(uint8_t* pos, int length, uint32_t back) {
        const uint8_t* from = pos - back;
        if (back >= 16) {
            for (int k = 0; k < length; k += 16) std::memcpy(pos + k, from + k, 16);
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

    // The main loop while at least 8 bytes of the current chunk are unread: the bit buffer
    // is topped up to 56 bits or more with one 8-byte load per symbol, which covers the
    // longest symbol, distance code and extra bits together. No chunk is read here, so no
    // byte needs to reach the sink before the loop ends.
    uint8_t* DecodeFast(uint8_t* pos, uint8_t* const limit, int64_t& left) {
        // One refill per symbol covers the longest literal/length code, the longest distance
        // code and the most extra bits together, so nothing is checked inside a symbol.
        static_assert(2 * kMaxCodeBits + kMaxExtraBits <= kRefilled, "one refill must cover a whole match");
        // The refill ORs 8 loaded bytes in below the `count` bits held and keeps the whole
        // bytes of them that fit: (63 - count) / 8 bytes, which brings any count of 0..63 to
        // exactly count | 56 bits.
        static_assert(kRefilled == 64 - 8, "count | kRefilled is the refilled count only for 56");
        // A match starts before `limit` and CopyMatch writes at most 15 bytes past its end.
        static_assert(kSlack >= kMaxMatch + 15, "the text buffer's slack must hold a whole match and its overrun");
        // The packed table entries: symbol or node number in 10 bits, code length above them.
        static_assert(kPoolSize <= 1024 && (12 << 10) <= 0xFFFF, "table entries must fit 16 bits");
        // Kept in locals: stores through the text pointer could otherwise alias them.
        uint64_t bits = bits_;
        int count = bitCount_;
        const uint8_t* in = in_;
        const uint8_t* const safeEnd = inEnd_ - 8;
        unsigned blockLeft = blockSize_;
        // One bound for the text: the buffer's end or the last byte wanted, whichever is first.
        uint8_t* const start = pos;
        uint8_t* const stop = left < limit - pos ? pos + left : limit;
        while (pos < stop && blockLeft > 0 && in <= safeEnd) {
            uint64_t w;
            std::memcpy(&w, in, 8);
            w = __builtin_bswap64(w);
            bits |= w >> count;
            in += (63 - count) >> 3;
            count |= kRefilled;

            --blockLeft;
            const unsigned j = FastCode(bits, count, cFast_, 12, kNC, cLen_, pos);
            if (j <= 255) {
                *pos++ = static_cast<uint8_t>(j);
                continue;
            }
            const int length = static_cast<int>(j) - 253;
            const unsigned p = FastCode(bits, count, ptFast_, 8, kNP, ptLen_, pos);
            uint32_t back = p + 1;  // distance classes 0 and 1 carry no extra bits
            if (p > 1) {
                const int extra = static_cast<int>(p) - 1;
                back = (1u << extra) + static_cast<uint32_t>(bits >> (64 - extra)) + 1;
                bits <<= extra;
                count -= extra;
            }
            pos = CopyMatch(pos, length, back);
        }
        bits_ = bits;
        bitCount_ = count;
        in_ = in;
        blockSize_ = blockLeft;
        left -= pos - start;
        Ensure16();
        return pos;
    }

    // One code through a packed table: drops its bits and returns its symbol. An entry
    // holding a node (length 0) goes on in the tree; `pos` is where the text stands, for
    // the sink should the code be bad.
    inline unsigned FastCode(uint64_t& bits, int& count, const uint16_t* fast, int tableBits, unsigned alphabet,
                             const uint8_t* lengths, uint8_t* pos) {
        const unsigned top = static_cast<unsigned>(bits >> 48);
        const unsigned e = fast[top >> (16 - tableBits)];
        unsigned j = e & 1023;
        int len = static_cast<int>(e >> 10);
        if (j >= alphabet) {
            pos_ = pos;
            j = WalkTree(j, top, 1u << (15 - tableBits), alphabet);
            len = lengths[j];
        }
        bits <<= len;
        count -= len;
        return j;
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
        // The fast loop's tables: symbol and code length in one entry (length 0 with a
        // node number: the code goes on in the tree).
        for (int k = 0; k < 4096; ++k) {
            unsigned j = cTable_[k];
            cFast_[k] = static_cast<uint16_t>(j < kNC ? (cLen_[j] << 10) | j : j);
        }
        for (int k = 0; k < 256; ++k) {
            unsigned j = ptTable_[k];
            ptFast_[k] = static_cast<uint16_t>(j < kNP ? (ptLen_[j] << 10) | j : j);
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
            for (int i = 0; i < 4096; ++i) cTable_[i] = static_cast<uint16_t>(c);
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
        BuildDecodeTable(kNC, cLen_, 12, cTable_, left_, right_);
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
    uint16_t cFast_[4096];
    uint16_t ptFast_[256];
    uint32_t blockSize_ = 0;  // symbols left in the current block; 0: a header is due
};

}  // namespace

void ExpandLZH5(CodecIO& io, int32_t expandedSize) {
    if (expandedSize == 0) return;
    auto decoder = std::make_unique<Lzh5Decoder>(io);
    decoder->Run(expandedSize);
}

}  // namespace zuv::codecs
