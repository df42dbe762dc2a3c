// Byte-at-a-time decoders for -lh5- and LZH, written the plain way: a 16-bit bit buffer
// fed one byte per CodecReadByte call, every expanded byte through CodecWriteByte and a
// circular window. They share the methods' code tables and adaptive tree with the codecs. They are slow and obviously right; the equivalence tests hold the fast
// decoders to exactly what these do with the byte source, the sink and the progress event.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/lzh5_tables.h"
#include "codecs/lzh_model.h"

namespace zuv::codecs::testing {

namespace ref5 {

using namespace lh5;

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
        BuildDecodeTable(kNC, cLen_, 12, cTable_, left_, right_);
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

using namespace lzh;

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
