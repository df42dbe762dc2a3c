#include "codecs/codec_io.h"

#include <cstring>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zuv::codecs {

namespace {

// The sum of n bytes, each 0..255, wrapping at 32 bits as the data checksum does. With SSE2
// the bytes are summed 16 at a time (PSADBW against zero adds 8 bytes into each 64-bit half).
uint32_t ByteSum(const uint8_t* p, uint32_t n) {
    uint32_t sum = 0;
    uint32_t i = 0;
#if defined(__SSE2__)
    __m128i acc = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(v, zero));
    }
    sum = static_cast<uint32_t>(_mm_cvtsi128_si32(acc)) +
          static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(acc, acc)));
#endif
    for (; i < n; ++i) sum += p[i];
    return sum;
}

}  // namespace

int32_t ProgressPercentage(int32_t done, int32_t total) {
    if (total <= 0) return 0;
    if (total <= 100000) return static_cast<int32_t>(static_cast<int64_t>(done) * 100 / total);
    return done / (total / 100);
}

CodecIO::CodecIO(const CodecHost& host, common::Stream& dest, common::Stream& source, int32_t sourceSize,
                 bool expanding, bool unmask)
    : dest_(dest),
      source_(source),
      onShowProgress_(host.OnShowProgress),
      in_(new uint8_t[kCodecChunk]),
      out_(new uint8_t[kCodecChunk]),
      remaining_(sourceSize < 0 ? 0 : sourceSize) {
    if (expanding) {
        budget_ = 0x7FFFFFFF;
    } else {
        int64_t budget = int64_t(sourceSize) - host.CompressionMargin;
        budget_ = static_cast<int32_t>(budget > 0x7FFFFFFF ? 0x7FFFFFFF : budget < 0 ? 0 : budget);
    }
    yield_ = host.YieldEachChunk;
    maskOutput_ = !expanding && host.Key != 0;
    unmaskInput_ = expanding && host.Key != 0 && unmask;
    for (int i = 0; i < 4; ++i) key_[i] = static_cast<uint8_t>(host.Key >> (8 * i));
}

bool CodecIO::Refill() {
    InputExhausted = true;
    inPos_ = inEnd_ = 0;
    if (remaining_ == 0) return false;
    if (chunkSize_ > remaining_) chunkSize_ = remaining_;
    uint32_t n = source_.Read(in_.get(), static_cast<uint32_t>(chunkSize_));
    if (n > static_cast<uint32_t>(chunkSize_)) n = static_cast<uint32_t>(chunkSize_);
    remaining_ -= static_cast<int32_t>(n);
    if (n == 0) return false;
    inEnd_ = static_cast<int32_t>(n);
    inPos_ = 0;
    if (onShowProgress_) {
        done_ += static_cast<int32_t>(n);
        int32_t percentage = ProgressPercentage(done_, done_ + remaining_);
        onShowProgress_(percentage);
        if (percentage == -1) return false;
    }
    if (yield_) std::this_thread::yield();
    InputExhausted = false;
    return true;
}

uint32_t CodecIO::TakeChunk(const uint8_t*& bytes) {
    uint8_t* p = in_.get() + inPos_;
    const uint32_t n = static_cast<uint32_t>(inEnd_ - inPos_);
    InputSum += ByteSum(p, n);
    if (unmaskInput_) {
        for (uint32_t i = 0; i < n; ++i) p[i] = KeyMask(p[i]);
    }
    inPos_ = inEnd_;
    bytes = p;
    return n;
}

void CodecIO::CodecWriteBlock(const uint8_t* bytes, uint32_t n) {
    // The budget runs out after exactly `budget_` bytes, as byte by byte.
    const bool overBudget = int64_t(n) > int64_t(budget_);
    if (overBudget) n = static_cast<uint32_t>(budget_ < 0 ? 0 : budget_);
    budget_ -= static_cast<int32_t>(n);
    while (n > 0) {
        if (outCount_ == kCodecChunk) FlushFull();
        uint32_t k = static_cast<uint32_t>(kCodecChunk - outCount_);
        if (k > n) k = n;
        uint8_t* out = out_.get() + outCount_;
        if (maskOutput_) {
            for (uint32_t i = 0; i < k; ++i) out[i] = KeyMask(bytes[i]);
        } else {
            std::memcpy(out, bytes, k);
        }
        OutputSum += ByteSum(out, k);
        WrittenCount += static_cast<int32_t>(k);
        outCount_ += static_cast<int32_t>(k);
        bytes += k;
        n -= k;
    }
    if (overBudget) throw EUnableToCompress();
}

void CodecIO::FlushFull() {
    if (yield_) std::this_thread::yield();
    dest_.WriteAll(out_.get(), static_cast<uint32_t>(outCount_));
    outCount_ = 0;
}

void CodecIO::Flush() {
    if (outCount_ > 0) dest_.WriteAll(out_.get(), static_cast<uint32_t>(outCount_));
    outCount_ = 0;
}

}  // namespace zuv::codecs
