// Byte-at-a-time decoders for -lh5- and LZH, written the plain way: a 16-bit bit buffer
// fed one byte per CodecReadByte call, every expanded byte through CodecWriteByte and a
// circular window. They are slow and obviously right; the equivalence tests hold the fast
// decoders to exactly what these do with the byte source, the sink and the progress event.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"

namespace zuv::codecs::testing {

namespace ref5 {

constexpr int kDicSize = 8192;
constexpr int kNC = 510;        // literal/length alphabet
constexpr int kNT = 19;         // code-length alphabet
constexpr int kNP = 14;         // distance alphabet
constexpr int kTBit = 5;
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kPoolSize = 2 * kNC;  // 1020 nodes

class ReferenceLzh5Decoder {
public:
    explicit ReferenceLzh5Decoder(CodecIO& io) : io_(io) {
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

}  // namespace ref5

namespace reflzh {

constexpr int kN = 4096;          // window size
constexpr int kF = 60;            // look-ahead size, longest match
constexpr int kThreshold = 2;
constexpr int kNChar = 256 - kThreshold + kF;  // 314 leaves
constexpr int kT = kNChar * 2 - 1;             // 627 nodes
constexpr int kR = kT - 1;                     // root
constexpr uint16_t kMaxFreq = 0x8000;

// The position code's lengths for each upper-6-bit value, in order.
inline int PositionCodeLength(int u) {
    if (u < 1) return 3;
    if (u < 4) return 4;
    if (u < 12) return 5;
    if (u < 24) return 6;
    if (u < 48) return 7;
    return 8;
}

struct PositionTables {
    uint8_t code[64];    // left-aligned in 8 bits
    uint8_t len[64];
    uint8_t dCode[256];  // upper 6 bits for an 8-bit prefix
    uint8_t dLen[256];   // code length for an 8-bit prefix
    PositionTables() {
        unsigned next = 0;
        for (int u = 0; u < 64; ++u) {
            int l = PositionCodeLength(u);
            len[u] = static_cast<uint8_t>(l);
            code[u] = static_cast<uint8_t>(next);
            unsigned span = 1u << (8 - l);
            for (unsigned k = 0; k < span; ++k) {
                dCode[next + k] = static_cast<uint8_t>(u);
                dLen[next + k] = static_cast<uint8_t>(l);
            }
            next += span;
        }
    }
};

inline const PositionTables& Positions() {
    static const PositionTables tables;
    return tables;
}

// The adaptive Huffman tree shared by both directions.
struct AdaptiveTree {
    uint16_t freq[kT + 1];
    uint16_t prnt[kT + kNChar];
    uint16_t son[kT];

    void ResetAdaptiveTree() {
        for (int i = 0; i < kNChar; ++i) {
            freq[i] = 1;
            son[i] = static_cast<uint16_t>(i + kT);
            prnt[i + kT] = static_cast<uint16_t>(i);
        }
        int i = 0;
        for (int j = kNChar; j <= kR; ++j) {
            freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
            son[j] = static_cast<uint16_t>(i);
            prnt[i] = prnt[i + 1] = static_cast<uint16_t>(j);
            i += 2;
        }
        freq[kT] = 0xFFFF;
        prnt[kR] = 0;
    }

    void RebuildAdaptiveTree() {
        int j = 0;
        for (int i = 0; i < kT; ++i) {
            if (son[i] >= kT) {
                freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
                son[j] = son[i];
                ++j;
            }
        }
        int i = 0;
        for (j = kNChar; j < kT; ++j) {
            uint16_t f = static_cast<uint16_t>(freq[i] + freq[i + 1]);
            freq[j] = f;
            int k = j - 1;
            while (k >= 0 && f < freq[k]) --k;
            ++k;
            int l = j - k;
            std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * l);
            freq[k] = f;
            std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * l);
            son[k] = static_cast<uint16_t>(i);
            i += 2;
        }
        for (i = 0; i < kT; ++i) {
            int k = son[i];
            if (k >= kT) {
                prnt[k] = static_cast<uint16_t>(i);
            } else {
                prnt[k] = prnt[k + 1] = static_cast<uint16_t>(i);
            }
        }
    }

    void UpdateAdaptiveTree(int c) {
        if (freq[kR] == kMaxFreq) RebuildAdaptiveTree();
        c = prnt[c + kT];
        do {
            uint16_t k = ++freq[c];
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) {
                }
                --l;
                freq[c] = freq[l];
                freq[l] = k;
                int i = son[c];
                prnt[i] = static_cast<uint16_t>(l);
                if (i < kT) prnt[i + 1] = static_cast<uint16_t>(l);
                int j = son[l];
                son[l] = static_cast<uint16_t>(i);
                prnt[j] = static_cast<uint16_t>(c);
                if (j < kT) prnt[j + 1] = static_cast<uint16_t>(c);
                son[c] = static_cast<uint16_t>(j);
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }
};

class ReferenceLzhDecoder {
public:
    explicit ReferenceLzhDecoder(CodecIO& io) : io_(io) {}

    void Run(int32_t expandedSize) {
        tree_.ResetAdaptiveTree();
        // Window bytes beyond the spaces have no defined content; they read as spaces.
        std::memset(window_, 0x20, sizeof(window_));
        uint32_t r = kN - kF;
        int32_t produced = 0;
        while (produced < expandedSize) {
            int c = DecodeAdaptiveSymbol();
            if (c < 256) {
                io_.CodecWriteByte(static_cast<uint8_t>(c));
                window_[r] = static_cast<uint8_t>(c);
                r = (r + 1) & (kN - 1);
                ++produced;
            } else {
                uint32_t from = (r - DecodeLZHPosition() - 1) & (kN - 1);
                int length = c - 253;
                for (int k = 0; k < length; ++k) {
                    uint8_t b = window_[(from + k) & (kN - 1)];
                    io_.CodecWriteByte(b);
                    window_[r] = b;
                    r = (r + 1) & (kN - 1);
                    ++produced;
                }
            }
        }
    }

private:
    inline void TopUp() {
        if (bitCount_ <= 8) {
            unsigned b = io_.CodecReadByte();
            if (io_.InputExhausted) b = 0;
            bitBuf_ = static_cast<uint16_t>(bitBuf_ | (b << (8 - bitCount_)));
            bitCount_ += 8;
        }
    }

    inline unsigned ReadBit() {
        TopUp();
        unsigned bit = bitBuf_ >> 15;
        bitBuf_ = static_cast<uint16_t>(bitBuf_ << 1);
        --bitCount_;
        return bit;
    }

    inline unsigned ReadBitByte() {
        TopUp();
        unsigned v = bitBuf_ >> 8;
        bitBuf_ = static_cast<uint16_t>(bitBuf_ << 8);
        bitCount_ -= 8;
        return v;
    }

    inline unsigned ReadBitGroup(int n) {
        TopUp();
        unsigned v = bitBuf_ >> (16 - n);
        bitBuf_ = static_cast<uint16_t>(bitBuf_ << n);
        bitCount_ -= n;
        return v;
    }

    int DecodeAdaptiveSymbol() {
        unsigned c = tree_.son[kR];
        while (c < static_cast<unsigned>(kT)) c = tree_.son[c + ReadBit()];
        int s = static_cast<int>(c) - kT;
        tree_.UpdateAdaptiveTree(s);
        return s;
    }

    uint32_t DecodeLZHPosition() {
        const PositionTables& t = Positions();
        unsigned i = ReadBitByte();
        unsigned u = t.dCode[i];
        int l = t.dLen[i];
        unsigned extra = ReadBitGroup(l - 2);
        return (u << 6) | (((i << (l - 2)) | extra) & 0x3F);
    }

    CodecIO& io_;
    AdaptiveTree tree_;
    uint8_t window_[kN];
    uint16_t bitBuf_ = 0;
    int bitCount_ = 0;
};

}  // namespace reflzh

inline void ReferenceExpandLZH5(CodecIO& io, int32_t expandedSize) {
    if (expandedSize == 0) return;
    auto decoder = std::make_unique<ref5::ReferenceLzh5Decoder>(io);
    decoder->Run(expandedSize);
}

inline void ReferenceExpandLZH(CodecIO& io, int32_t expandedSize) {
    if (expandedSize <= 0) return;
    auto decoder = std::make_unique<reflzh::ReferenceLzhDecoder>(io);
    decoder->Run(expandedSize);
}

}  // namespace zuv::codecs::testing
