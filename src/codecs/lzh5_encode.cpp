// The -lh5- encoder: lazy LZ77 parsing over an 8192-byte window, symbols gathered in a
// 16384-byte block buffer, and per block Huffman codes limited to 16 bits.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/huffman.h"
#include "codecs/match_finder.h"

namespace zuv::codecs {

namespace {

constexpr int kDicSize = 8192;
constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;
constexpr int kNC = 510;
constexpr int kNT = 19;
constexpr int kNP = 14;
constexpr int kNPT = kNT;  // the larger of the two short alphabets
constexpr int kTBit = 5;
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kBufSize = 16384;
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

void CompressLZH5(CodecIO& io) {
    auto encoder = std::make_unique<Lzh5Encoder>(io);
    encoder->Run();
}

}  // namespace zuv::codecs
