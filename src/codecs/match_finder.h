// The compressors' text buffer and match search: hash chains over 3-byte prefixes that
// find the longest match within the window, the nearest one among equally long matches.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "codecs/codec_io.h"

namespace zuv::codecs {

template <int kDic, int kMaxMatch>
class MatchFinder {
public:
    static constexpr int kBufSize = 2 * kDic + kMaxMatch;
    static constexpr int kHashBits = 15;
    static constexpr int kHashSize = 1 << kHashBits;

    MatchFinder(CodecIO& io, int chainLimit)
        : io_(io),
          text_(new uint8_t[kBufSize + 4]),
          head_(new int32_t[kHashSize]),
          prev_(new int32_t[kDic]),
          chainLimit_(chainLimit) {
        std::memset(text_.get(), 0, kBufSize + 4);
        for (int i = 0; i < kHashSize; ++i) head_[i] = -1;
        for (int i = 0; i < kDic; ++i) prev_[i] = -1;
    }

    // Places `prefixLen` copies of `prefixByte` in front of the input (the decoder's
    // initial window) and reads the first input bytes. The current position is the first
    // input byte; returns false when the input is empty.
    bool Start(int prefixLen, uint8_t prefixByte) {
        pos_ = prefixLen;
        base_ = pos_ - kDic;
        std::memset(text_.get() + kDic - prefixLen, prefixByte, prefixLen);
        end_ = kDic;
        Load();
        return end_ > kDic;
    }

    int32_t Position() const { return pos_; }
    int Remaining() const { return end_ - (pos_ - base_); }
    uint8_t ByteAt(int32_t position) const { return text_[position - base_]; }

    void Insert(int32_t position) {
        const uint8_t* p = text_.get() + (position - base_);
        uint32_t h = Hash(p);
        prev_[position & (kDic - 1)] = head_[h];
        head_[h] = position;
    }

    // The longest match at the current position, clipped to the bytes left; 0 below 3.
    int Find(int32_t& matchPos) {
        int maxLen = Remaining();
        if (maxLen > kMaxMatch) maxLen = kMaxMatch;
        if (maxLen < 3) return 0;
        const uint8_t* cur = text_.get() + (pos_ - base_);
        int32_t cand = head_[Hash(cur)];
        int32_t limit = pos_ - kDic;
        int best = 0;
        int chain = chainLimit_;
        while (cand >= limit && cand >= 0 && chain-- > 0) {
            const uint8_t* c = text_.get() + (cand - base_);
            if (c[best] == cur[best] && c[0] == cur[0]) {
                int len = 0;
                while (len < maxLen && c[len] == cur[len]) ++len;
                if (len > best) {
                    best = len;
                    matchPos = cand;
                    if (best == maxLen) break;
                }
            }
            int32_t next = prev_[cand & (kDic - 1)];
            if (next >= cand) break;
            cand = next;
        }
        return best >= 3 ? best : 0;
    }

    // Moves to the next position, sliding the buffer and reading input as needed.
    void Advance() {
        ++pos_;
        if (pos_ - base_ == 2 * kDic) {
            std::memmove(text_.get(), text_.get() + kDic, kBufSize - kDic);
            base_ += kDic;
            end_ -= kDic;
            Load();
        }
    }

private:
    static uint32_t Hash(const uint8_t* p) {
        return ((uint32_t(p[0]) << 10) ^ (uint32_t(p[1]) << 5) ^ p[2]) & (kHashSize - 1);
    }

    void Load() {
        while (!eof_ && end_ < kBufSize) {
            uint8_t b = io_.CodecReadByte();
            if (io_.InputExhausted) {
                eof_ = true;
                break;
            }
            text_[end_++] = b;
        }
        std::memset(text_.get() + end_, 0, kBufSize + 4 - end_);
    }

    CodecIO& io_;
    std::unique_ptr<uint8_t[]> text_;
    std::unique_ptr<int32_t[]> head_;
    std::unique_ptr<int32_t[]> prev_;
    int chainLimit_;
    int32_t pos_ = 0;
    int32_t base_ = 0;
    int end_ = 0;
    bool eof_ = false;
};

}  // namespace zuv::codecs
