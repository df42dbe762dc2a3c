#include "codecs/codec_io.h"

#include <thread>

namespace zuv::codecs {

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
    maskOutput_ = !expanding && host.Key != 0;
    unmaskInput_ = expanding && host.Key != 0 && unmask;
    for (int i = 0; i < 4; ++i) key_[i] = static_cast<uint8_t>(host.Key >> (8 * i));
}

bool CodecIO::Refill() {
    InputExhausted = true;
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
    std::this_thread::yield();
    InputExhausted = false;
    return true;
}

void CodecIO::FlushFull() {
    std::this_thread::yield();
    dest_.WriteAll(out_.get(), static_cast<uint32_t>(outCount_));
    outCount_ = 0;
}

void CodecIO::Flush() {
    if (outCount_ > 0) dest_.WriteAll(out_.get(), static_cast<uint32_t>(outCount_));
    outCount_ = 0;
}

}  // namespace zuv::codecs
