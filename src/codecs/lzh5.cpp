// The -lh5- method: LZ77 over an 8192-byte window with static canonical Huffman codes sent
// per block. The encoder parses lazily with one step of look-ahead, gathers symbols in a
// 16384-byte block buffer and limits code lengths to 16 bits.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/huffman.h"
#include "codecs/match_finder.h"

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
constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;
constexpr int kNPT = kNT;  // the larger of the two short alphabets

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

// --- The compressing direction ---

constexpr int kBufSize = 16384;   // block buffer of the encoder
constexpr int kChainLimit = kDicSize;  // every window position: the longest match is exact

class Lzh5Encoder {
public:
    explicit Lzh5Encoder(CodecIO& io) : io_(io), finder_(io, kChainLimit) {
        std::memset(cFreq_, 0, sizeof(cFreq_));
        std::memset(pFreq_, 0, sizeof(pFreq_));
    }

    void Run() {
        if (!finder_.Start(0, 0x20)) return;
        int32_t matchPos = 0;
        int matchLen = FindAndInsert(matchPos);
        while (finder_.Remaining() > 0) {
            int lastLen = matchLen;
            int32_t lastPos = matchPos;
            NextPosition();
            matchLen = FindAndInsert(matchPos);
            if (matchLen > lastLen || lastLen < kThreshold) {
                Output(finder_.ByteAt(finder_.Position() - 1), 0);
            } else {
                Output(static_cast<unsigned>(lastLen + 253),
                       static_cast<unsigned>((finder_.Position() - lastPos - 2) & (kDicSize - 1)));
                // Only the match at the last covered position is needed; the ones
                // before it are just entered in the search structure.
                while (--lastLen > 1) {
                    NextPosition();
                    if (finder_.Remaining() >= 3) finder_.Insert(finder_.Position());
                }
                NextPosition();
                matchLen = FindAndInsert(matchPos);
            }
        }
        SendBlock();
        PutBits(7, 0);
    }

private:
    int FindAndInsert(int32_t& matchPos) {
        int len = finder_.Remaining() > 0 ? finder_.Find(matchPos) : 0;
        if (finder_.Remaining() >= 3) finder_.Insert(finder_.Position());
        return len;
    }

    void NextPosition() { finder_.Advance(); }

    void PutBits(int n, unsigned x) {
        if (n == 0) return;
        bitBuf_ = (bitBuf_ << n) | (x & ((1u << n) - 1));
        bitCount_ += n;
        while (bitCount_ >= 8) {
            bitCount_ -= 8;
            io_.CodecWriteByte(static_cast<uint8_t>(bitBuf_ >> bitCount_));
        }
    }

    void Output(unsigned c, unsigned p) {
        outputMask_ >>= 1;
        if (outputMask_ == 0) {
            outputMask_ = 0x80;
            if (outputPos_ >= kBufSize - 24) {
                SendBlock();
                outputPos_ = 0;
            }
            cpos_ = outputPos_++;
            buf_[cpos_] = 0;
        }
        buf_[outputPos_++] = static_cast<uint8_t>(c);
        cFreq_[c]++;
        if (c >= 256) {
            buf_[cpos_] |= static_cast<uint8_t>(outputMask_);
            buf_[outputPos_++] = static_cast<uint8_t>(p >> 8);
            buf_[outputPos_++] = static_cast<uint8_t>(p);
            int k = 0;
            while (p) {
                p >>= 1;
                ++k;
            }
            pFreq_[k]++;
        }
    }

    // --- Block output ---

    void CountTFreq() {
        for (int i = 0; i < kNT; ++i) tFreq_[i] = 0;
        int n = kNC;
        while (n > 0 && cLen_[n - 1] == 0) --n;
        int i = 0;
        while (i < n) {
            int k = cLen_[i++];
            if (k == 0) {
                int count = 1;
                while (i < n && cLen_[i] == 0) {
                    ++i;
                    ++count;
                }
                if (count <= 2) tFreq_[0] = static_cast<uint16_t>(tFreq_[0] + count);
                else if (count <= 18) tFreq_[1]++;
                else if (count == 19) {
                    tFreq_[0]++;
                    tFreq_[1]++;
                } else tFreq_[2]++;
            } else {
                tFreq_[k + 2]++;
            }
        }
    }

    void WritePtLen(int n, int nbit, int special) {
        while (n > 0 && ptLen_[n - 1] == 0) --n;
        PutBits(nbit, static_cast<unsigned>(n));
        int i = 0;
        while (i < n) {
            int k = ptLen_[i++];
            if (k <= 6) PutBits(3, static_cast<unsigned>(k));
            else PutBits(k - 3, (1u << (k - 3)) - 2);
            if (i == special) {
                while (i < 6 && ptLen_[i] == 0) ++i;
                PutBits(2, static_cast<unsigned>((i - 3) & 3));
            }
        }
    }

    void WriteCLen() {
        int n = kNC;
        while (n > 0 && cLen_[n - 1] == 0) --n;
        PutBits(kCBit, static_cast<unsigned>(n));
        int i = 0;
        while (i < n) {
            int k = cLen_[i++];
            if (k == 0) {
                int count = 1;
                while (i < n && cLen_[i] == 0) {
                    ++i;
                    ++count;
                }
                if (count <= 2) {
                    for (k = 0; k < count; ++k) PutBits(ptLen_[0], ptCode_[0]);
                } else if (count <= 18) {
                    PutBits(ptLen_[1], ptCode_[1]);
                    PutBits(4, static_cast<unsigned>(count - 3));
                } else if (count == 19) {
                    PutBits(ptLen_[0], ptCode_[0]);
                    PutBits(ptLen_[1], ptCode_[1]);
                    PutBits(4, 15);
                } else {
                    PutBits(ptLen_[2], ptCode_[2]);
                    PutBits(kCBit, static_cast<unsigned>(count - 20));
                }
            } else {
                PutBits(ptLen_[k + 2], ptCode_[k + 2]);
            }
        }
    }

    void EncodeP(unsigned p) {
        unsigned c = 0;
        unsigned q = p;
        while (q) {
            q >>= 1;
            ++c;
        }
        PutBits(ptLen_[c], ptCode_[c]);
        if (c > 1) PutBits(static_cast<int>(c) - 1, p & (0xFFFFu >> (17 - c)));
    }

    void SendBlock() {
        int root = huff_.MakeTree(kNC, cFreq_, cLen_, cCode_);
        unsigned size = root >= kNC ? huff_.Frequency(root) : cFreq_[root];
        PutBits(16, size);
        if (root >= kNC) {
            CountTFreq();
            int troot = huff_.MakeTree(kNT, tFreq_, ptLen_, ptCode_);
            if (troot >= kNT) {
                WritePtLen(kNT, kTBit, 3);
            } else {
                PutBits(kTBit, 0);
                PutBits(kTBit, static_cast<unsigned>(troot));
            }
            WriteCLen();
        } else {
            PutBits(kTBit, 0);
            PutBits(kTBit, 0);
            PutBits(kCBit, 0);
            PutBits(kCBit, static_cast<unsigned>(root));
        }
        int proot = huff_.MakeTree(kNP, pFreq_, ptLen_, ptCode_);
        if (proot >= kNP) {
            WritePtLen(kNP, kPBit, -1);
        } else {
            PutBits(kPBit, 0);
            PutBits(kPBit, static_cast<unsigned>(proot));
        }
        int pos = 0;
        unsigned flags = 0;
        for (unsigned i = 0; i < size; ++i) {
            if (i % 8 == 0) flags = buf_[pos++];
            else flags <<= 1;
            if (flags & 0x80) {
                unsigned c = buf_[pos++] + 256u;
                PutBits(cLen_[c], cCode_[c]);
                unsigned k = static_cast<unsigned>(buf_[pos++]) << 8;
                k += buf_[pos++];
                EncodeP(k);
            } else {
                unsigned c = buf_[pos++];
                PutBits(cLen_[c], cCode_[c]);
            }
        }
        std::memset(cFreq_, 0, sizeof(cFreq_));
        std::memset(pFreq_, 0, sizeof(pFreq_));
    }

    CodecIO& io_;
    MatchFinder<kDicSize, kMaxMatch> finder_;
    uint8_t buf_[kBufSize];
    int outputPos_ = 0;
    unsigned outputMask_ = 0;
    int cpos_ = 0;
    uint16_t cFreq_[kNC];
    uint16_t pFreq_[kNP];
    uint16_t tFreq_[kNT];
    uint8_t cLen_[kNC];
    uint16_t cCode_[kNC];
    uint8_t ptLen_[kNPT];
    uint16_t ptCode_[kNPT];
    uint64_t bitBuf_ = 0;
    int bitCount_ = 0;
    HuffmanBuilder huff_;
};

}  // namespace

void ExpandLZH5(CodecIO& io, int32_t expandedSize) {
    if (expandedSize == 0) return;
    auto decoder = std::make_unique<Lzh5Decoder>(io);
    decoder->Run(expandedSize);
}

void CompressLZH5(CodecIO& io) {
    auto encoder = std::make_unique<Lzh5Encoder>(io);
    encoder->Run();
}

}  // namespace zuv::codecs
