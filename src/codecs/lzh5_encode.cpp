// The -lh5- compressor. Matches are found in a Patricia trie over the text positions of
// the last 8192 bytes; the parse is lazy with one step of look-ahead; symbols gather in a
// 16384-byte block buffer and go out as blocks with their own canonical Huffman codes.
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"
#include "codecs/huffman.h"
#include "codecs/lzh5_tables.h"

namespace zuv::codecs {

namespace {

using namespace lh5;

constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;
constexpr int kNPT = kNT;  // the larger of the two short alphabets
constexpr int kBufSize = 16384;  // block buffer

// Text buffer: two windows and the longest match. The first input goes behind the first
// window and its look-ahead; when the position reaches the end of the second window the
// buffer slides down by one window.
constexpr int kTextSize = 2 * kDicSize + kMaxMatch;  // 16640
constexpr int kStartPos = kDicSize + kMaxMatch;      // 8448

// Trie nodes: 0 is "none"; 1..8191 are internal nodes (from a free list); 8192..8447 are
// the roots, one per first byte; the leaves are text positions, numbered 8192..16383 (a
// position p is leaf p or p + 8192). Child links go through hash chains whose heads
// live in the upper part of `next_`.
constexpr int kNil = 0;
constexpr int kMaxHashVal = 3 * kDicSize + (kDicSize / 512 + 1) * 255;  // 28911
constexpr int kInnerCount = kDicSize + 256;                           // internal nodes and roots
constexpr int kNodeCount = 2 * kDicSize;                              // everything below the heads

constexpr int Hash(int q, int c) { return q + (c << (kDicBit - 9)) + 2 * kDicSize; }

class Lzh5Encoder {
public:
    explicit Lzh5Encoder(CodecIO& io) : io_(io) {
        std::memset(cFreq_, 0, sizeof(cFreq_));
        std::memset(pFreq_, 0, sizeof(pFreq_));
        std::memset(text_, 0x20, sizeof(text_));
    }

    void Run() {
        remainder_ = Load(kStartPos, kDicSize);
        if (remainder_ == 0) return;
        InitTrie();
        matchLen_ = 0;
        pos_ = kStartPos;
        InsertNode();
        if (matchLen_ > remainder_) matchLen_ = remainder_;
        while (remainder_ > 0) {
            int lastLen = matchLen_;
            int lastPos = matchPos_;
            NextMatch();
            if (matchLen_ > remainder_) matchLen_ = remainder_;
            if (matchLen_ > lastLen || lastLen < kThreshold) {
                Output(text_[pos_ - 1], 0);
            } else {
                // The position has moved one past the match's start already.
                Output(static_cast<unsigned>(lastLen + 253),
                       static_cast<unsigned>((pos_ - lastPos - 2) & (kDicSize - 1)));
                while (--lastLen > 0) NextMatch();
                if (matchLen_ > remainder_) matchLen_ = remainder_;
            }
        }
        SendBlock();
        PutBits(7, 0);
    }

private:
    // Reads up to `count` input bytes to `at`; the bytes not delivered become spaces.
    int Load(int at, int count) {
        int n = 0;
        while (n < count && !eof_) {
            uint8_t b = io_.CodecReadByte();
            if (io_.InputExhausted) {
                eof_ = true;
                break;
            }
            text_[at + n++] = b;
        }
        std::memset(text_ + at + n, 0x20, static_cast<size_t>(count - n));
        return n;
    }

    void InitTrie() {
        for (int i = kDicSize; i < kInnerCount; ++i) {
            level_[i] = 1;
            position_[i] = kNil;
            childCount_[i] = 0;
        }
        for (int i = kDicSize; i < kNodeCount; ++i) parent_[i] = kNil;
        avail_ = 1;
        for (int i = 1; i < kDicSize - 1; ++i) next_[i] = i + 1;
        next_[kDicSize - 1] = kNil;
        for (int i = 2 * kDicSize; i <= kMaxHashVal; ++i) next_[i] = kNil;
    }

    // q's child whose edge starts with c, or kNil.
    int Child(int q, int c) {
        int r = next_[Hash(q, c)];
        parent_[kNil] = q;  // stops the walk at the end of the chain
        while (parent_[r] != q) r = next_[r];
        return r;
    }

    // Makes r q's child for c, at the head of its hash chain.
    void MakeChild(int q, int c, int r) {
        int h = Hash(q, c);
        int t = next_[h];
        next_[h] = r;
        next_[r] = t;
        prev_[t] = r;
        prev_[r] = h;
        parent_[r] = q;
        childCount_[q]++;
    }

    // Puts a new internal node above `old` where the current text leaves old's edge.
    void Split(int old) {
        int node = avail_;
        avail_ = next_[node];
        childCount_[node] = 0;
        int t = prev_[old];
        prev_[node] = t;
        next_[t] = node;
        t = next_[old];
        next_[node] = t;
        prev_[t] = node;
        parent_[node] = parent_[old];
        level_[node] = matchLen_;
        position_[node] = pos_;
        MakeChild(node, text_[matchPos_ + matchLen_], old);
        MakeChild(node, text_[pos_ + matchLen_], pos_);
    }

    // Enters the current position and leaves its longest match in matchLen_/matchPos_.
    // Each internal node keeps the latest position that passed through it, so among equally
    // long matches the nearest is found.
    void InsertNode() {
        int q;
        int r;
        if (matchLen_ >= 4) {
            // The previous position matched matchLen_ bytes at matchPos_, so this one matches
            // at least one byte less at matchPos_ + 1: start from that leaf and climb.
            --matchLen_;
            r = (matchPos_ + 1) | kDicSize;
            while ((q = parent_[r]) == kNil) r = next_[r];  // replaced leaves point on
            while (level_[q] >= matchLen_) {
                r = q;
                q = parent_[q];
            }
            for (int t = q; t < kDicSize; t = parent_[t]) position_[t] = pos_;
        } else {
            q = text_[pos_] + kDicSize;
            int c = text_[pos_ + 1];
            if ((r = Child(q, c)) == kNil) {
                MakeChild(q, c, pos_);
                matchLen_ = 1;
                return;
            }
            matchLen_ = 2;
        }
        for (;;) {
            int j;
            if (r >= kDicSize) {
                j = kMaxMatch;
                matchPos_ = r;
            } else {
                j = level_[r];
                matchPos_ = position_[r];
            }
            if (matchPos_ >= pos_) matchPos_ -= kDicSize;
            const uint8_t* t1 = text_ + pos_ + matchLen_;
            const uint8_t* t2 = text_ + matchPos_ + matchLen_;
            while (matchLen_ < j) {
                if (*t1 != *t2) {
                    Split(r);
                    return;
                }
                ++matchLen_;
                ++t1;
                ++t2;
            }
            if (matchLen_ >= kMaxMatch) break;
            position_[r] = pos_;
            q = r;
            if ((r = Child(q, *t1)) == kNil) {
                MakeChild(q, *t1, pos_);
                return;
            }
            ++matchLen_;
        }
        // A full-length match: the new position takes the old leaf's place, and the old
        // leaf points to it for a later climb from there.
        int t = prev_[r];
        prev_[pos_] = t;
        next_[t] = pos_;
        t = next_[r];
        next_[pos_] = t;
        prev_[t] = pos_;
        parent_[pos_] = q;
        parent_[r] = kNil;
        next_[r] = pos_;
    }

    // Removes the leaf that the current position is about to reuse: the position one
    // window back. A parent left with one child is removed and the child takes its place.
    void DeleteNode() {
        if (parent_[pos_] == kNil) return;
        int r = prev_[pos_];
        int s = next_[pos_];
        next_[r] = s;
        prev_[s] = r;
        r = parent_[pos_];
        parent_[pos_] = kNil;
        if (r >= kDicSize || --childCount_[r] > 1) return;
        int t = position_[r];
        if (t >= pos_) t -= kDicSize;
        s = Child(r, text_[t + level_[r]]);
        t = prev_[s];
        int u = next_[s];
        next_[t] = u;
        prev_[u] = t;
        t = prev_[r];
        next_[t] = s;
        prev_[s] = t;
        t = next_[r];
        prev_[t] = s;
        next_[s] = t;
        parent_[s] = parent_[r];
        parent_[r] = kNil;
        next_[r] = avail_;
        avail_ = r;
    }

    // One position on, sliding the text buffer at its end.
    void NextMatch() {
        --remainder_;
        if (++pos_ == 2 * kDicSize) {
            std::memmove(text_, text_ + kDicSize, kDicSize + kMaxMatch);
            remainder_ += Load(kDicSize + kMaxMatch, kDicSize);
            pos_ = kDicSize;
        }
        DeleteNode();
        InsertNode();
    }

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
    uint8_t text_[kTextSize];
    int level_[kInnerCount];
    int position_[kInnerCount];
    int childCount_[kInnerCount];
    int parent_[kNodeCount];
    int prev_[kNodeCount];
    int next_[kMaxHashVal + 1];
    int pos_ = 0;
    int matchPos_ = 0;
    int matchLen_ = 0;
    int avail_ = 1;
    int remainder_ = 0;
    bool eof_ = false;
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
