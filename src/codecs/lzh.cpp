// The LZH method: LZSS over a 4096-byte window with one adaptive Huffman tree for literals
// and match lengths, and a fixed prefix code for the upper six bits of match positions.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/match_finder.h"

namespace zuv::codecs {

namespace {

constexpr int kN = 4096;          // window size
constexpr int kF = 60;            // look-ahead size, longest match
constexpr int kThreshold = 2;
constexpr int kNChar = 256 - kThreshold + kF;  // 314 leaves
constexpr int kT = kNChar * 2 - 1;             // 627 nodes
constexpr int kR = kT - 1;                     // root
constexpr uint16_t kMaxFreq = 0x8000;
constexpr int kChainLimit = kN;  // every window position: the longest match is exact

// The position code's lengths for each upper-6-bit value, in order.
int PositionCodeLength(int u) {
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

const PositionTables& Positions() {
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

class LzhDecoder {
public:
    explicit LzhDecoder(CodecIO& io) : io_(io) {}

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

class LzhEncoder {
public:
    explicit LzhEncoder(CodecIO& io) : io_(io), finder_(io, kChainLimit) {}

    void Run() {
        if (!finder_.Start(kN - kF, 0x20)) return;
        tree_.ResetAdaptiveTree();
        int32_t r = finder_.Position();
        for (int i = kF; i >= 1; --i) finder_.Insert(r - i);
        while (finder_.Remaining() > 0) {
            int32_t matchPos = 0;
            int len = finder_.Find(matchPos);
            if (len > finder_.Remaining()) len = finder_.Remaining();
            if (len <= kThreshold) {
                len = 1;
                EncodeChar(finder_.ByteAt(finder_.Position()));
            } else {
                EncodeChar(static_cast<unsigned>(255 - kThreshold + len));
                EncodePosition(static_cast<unsigned>((finder_.Position() - matchPos - 1) & (kN - 1)));
            }
            for (int k = 0; k < len; ++k) {
                if (finder_.Remaining() >= 3) finder_.Insert(finder_.Position());
                finder_.Advance();
            }
        }
        if (bitCount_ > 0) io_.CodecWriteByte(static_cast<uint8_t>(bitBuf_ << (8 - bitCount_)));
    }

private:
    void PutBits(int n, unsigned x) {
        bitBuf_ = (bitBuf_ << n) | (x & ((1u << n) - 1));
        bitCount_ += n;
        while (bitCount_ >= 8) {
            bitCount_ -= 8;
            io_.CodecWriteByte(static_cast<uint8_t>(bitBuf_ >> bitCount_));
        }
        bitBuf_ &= (1u << bitCount_) - 1;
    }

    // The path from the leaf to the root, written root side first and whole, however deep.
    void EncodeChar(unsigned c) {
        uint8_t bits[kT];
        int depth = 0;
        unsigned k = tree_.prnt[c + kT];
        do {
            bits[depth++] = static_cast<uint8_t>(k & 1);
            k = tree_.prnt[k];
        } while (k != kR && depth < kT);
        while (depth > 0) {
            int n = depth > 16 ? 16 : depth;
            unsigned v = 0;
            for (int i = 0; i < n; ++i) v = (v << 1) | bits[--depth];
            PutBits(n, v);
        }
        tree_.UpdateAdaptiveTree(static_cast<int>(c));
    }

    void EncodePosition(unsigned c) {
        const PositionTables& t = Positions();
        unsigned u = c >> 6;
        PutBits(t.len[u], static_cast<unsigned>(t.code[u]) >> (8 - t.len[u]));
        PutBits(6, c & 0x3F);
    }

    CodecIO& io_;
    MatchFinder<kN, kF> finder_;
    AdaptiveTree tree_;
    uint32_t bitBuf_ = 0;
    int bitCount_ = 0;
};

}  // namespace

void ExpandLZH(CodecIO& io, int32_t expandedSize) {
    if (expandedSize <= 0) return;
    auto decoder = std::make_unique<LzhDecoder>(io);
    decoder->Run(expandedSize);
}

void CompressLZH(CodecIO& io) {
    auto encoder = std::make_unique<LzhEncoder>(io);
    encoder->Run();
}

}  // namespace zuv::codecs
