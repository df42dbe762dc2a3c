// The -lh5- method's expanding direction: LZ77 over an 8192-byte window with static
// canonical Huffman codes sent per block. The compressor is in lzh5_encode.cpp.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"

namespace zuv::codecs {

namespace {

constexpr int kDicSize = 8192;
constexpr int kNC = 510;        // literal/length alphabet
constexpr int kNT = 19;         // code-length alphabet
constexpr int kNP = 14;         // distance alphabet
constexpr int kTBit = 5;
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kPoolSize = 2 * kNC;  // 1020 nodes

class Lzh5Decoder {
public:
    explicit Lzh5Decoder(CodecIO& io) : io_(io) {
        std::memset(window_, 0x20, sizeof(window_));
        std::memset(left_, 0, sizeof(left_));
        std::memset(right_, 0, sizeof(right_));
        std::memset(cLen_, 0, sizeof(cLen_));
        std::memset(ptLen_, 0, sizeof(ptLen_));
        std::memset(cTable_, 0, sizeof(cTable_));
        std::memset(ptTable_, 0, sizeof(ptTable_));
    }

    void Run(int32_t expandedSize) {
        FillBits(16);
        int32_t produced = 0;
        uint32_t pos = 0;
        while (produced < expandedSize) {
            unsigned s = DecodeSymbol();
            if (s <= 255) {
                window_[pos] = static_cast<uint8_t>(s);
                pos = (pos + 1) & (kDicSize - 1);
                io_.CodecWriteByte(static_cast<uint8_t>(s));
                ++produced;
            } else {
                int length = static_cast<int>(s) - 253;
                uint32_t d = DecodeDistance();
                uint32_t from = (pos - d - 1) & (kDicSize - 1);
                produced += length;
                for (int k = 0; k < length; ++k) {
                    uint8_t b = window_[from];
                    from = (from + 1) & (kDicSize - 1);
                    window_[pos] = b;
                    pos = (pos + 1) & (kDicSize - 1);
                    io_.CodecWriteByte(b);
                }
            }
        }
    }

private:
    void FillBits(int n) {
        while (n > bitCount_) {
            n -= bitCount_;
            bitBuf_ = static_cast<uint16_t>((bitBuf_ << bitCount_) + (subBitBuf_ >> (8 - bitCount_)));
            subBitBuf_ = io_.InputExhausted ? 0 : io_.CodecReadByte();
            bitCount_ = 8;
        }
        bitCount_ -= n;
        bitBuf_ = static_cast<uint16_t>((bitBuf_ << n) + (subBitBuf_ >> (8 - n)));
        subBitBuf_ = static_cast<uint8_t>(subBitBuf_ << n);
    }

    unsigned TakeBits(int n) {
        if (n == 0) return 0;
        unsigned x = bitBuf_ >> (16 - n);
        FillBits(n);
        return x;
    }

    [[noreturn]] static void Bad() { throw ELZHBadDecodeTable(); }

    // Builds the direct table (and the tree below it) of a canonical code. Only complete
    // codes are accepted: weights summing to exactly 2^16, every length at most 16.
    void BuildDecodeTable(int nchar, const uint8_t* bitlen, int tableBits, uint16_t* table) {
        uint32_t count[17] = {0};
        uint32_t weight[18];
        uint32_t start[18];
        for (int i = 0; i < nchar; ++i) {
            if (bitlen[i] > 16) Bad();
            count[bitlen[i]]++;
        }
        start[1] = 0;
        for (int i = 1; i <= 16; ++i) {
            weight[i] = 1u << (16 - i);
            start[i + 1] = start[i] + count[i] * weight[i];
        }
        // An over-full, under-full or empty length set cannot be decoded safely.
        if (start[17] != 0x10000) Bad();
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
                if (next > tableSize) Bad();
                for (uint32_t k = start[len]; k < next; ++k) table[k] = static_cast<uint16_t>(ch);
            } else {
                uint32_t k = start[len];
                uint16_t* slot = &table[(k >> shift) & (tableSize - 1)];
                k <<= tableBits;
                for (int m = len - tableBits; m > 0; --m) {
                    if (*slot == 0) {
                        if (avail >= kPoolSize) Bad();
                        right_[avail] = left_[avail] = 0;
                        *slot = static_cast<uint16_t>(avail++);
                    }
                    uint16_t node = *slot;
                    if (node < nchar) Bad();  // a path through a leaf: not a prefix code
                    slot = (k & 0x8000) ? &right_[node] : &left_[node];
                    k = (k << 1) & 0xFFFF;
                }
                *slot = static_cast<uint16_t>(ch);
            }
            start[len] = next;
        }
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
            int c = bitBuf_ >> 13;
            if (c == 7) {
                unsigned mask = 1u << 12;
                while (mask & bitBuf_) {
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
        BuildDecodeTable(nn, ptLen_, 8, ptTable_);
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
            unsigned c = ptTable_[bitBuf_ >> 8];
            if (c >= kNT) {
                unsigned mask = 1u << 7;
                do {
                    if (mask == 0 || c >= kPoolSize) Bad();
                    c = (bitBuf_ & mask) ? right_[c] : left_[c];
                    mask >>= 1;
                } while (c >= kNT);
            }
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
        BuildDecodeTable(kNC, cLen_, 12, cTable_);
    }

    unsigned DecodeSymbol() {
        if (blockSize_ == 0) {
            blockSize_ = static_cast<uint16_t>(TakeBits(16));
            ReadShortCodeLengths(kNT, kTBit, 3);
            ReadSymbolCodeLengths();
            ReadShortCodeLengths(kNP, kPBit, -1);
        }
        --blockSize_;
        unsigned j = cTable_[bitBuf_ >> 4];
        if (j >= kNC) {
            unsigned mask = 1u << 3;
            do {
                if (mask == 0 || j >= kPoolSize) Bad();
                j = (bitBuf_ & mask) ? right_[j] : left_[j];
                mask >>= 1;
            } while (j >= kNC);
        }
        FillBits(cLen_[j]);
        return j;
    }

    uint32_t DecodeDistance() {
        unsigned j = ptTable_[bitBuf_ >> 8];
        if (j >= kNP) {
            unsigned mask = 1u << 7;
            do {
                if (mask == 0 || j >= kPoolSize) Bad();
                j = (bitBuf_ & mask) ? right_[j] : left_[j];
                mask >>= 1;
            } while (j >= kNP);
        }
        FillBits(ptLen_[j]);
        if (j == 0) return 0;
        return (1u << (j - 1)) + TakeBits(static_cast<int>(j) - 1);
    }

    CodecIO& io_;
    uint8_t window_[kDicSize];
    uint16_t left_[kPoolSize];
    uint16_t right_[kPoolSize];
    uint8_t cLen_[kNC];
    uint8_t ptLen_[128];
    uint16_t cTable_[4096];
    uint16_t ptTable_[256];
    uint16_t bitBuf_ = 0;
    uint8_t subBitBuf_ = 0;
    int bitCount_ = 0;
    uint16_t blockSize_ = 0;
};

}  // namespace

void ExpandLZH5(CodecIO& io, int32_t expandedSize) {
    if (expandedSize == 0) return;
    auto decoder = std::make_unique<Lzh5Decoder>(io);
    decoder->Run(expandedSize);
}

}  // namespace zuv::codecs
