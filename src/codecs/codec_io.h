// The codec byte source and sink: 8192-byte blocks over the streams, the data checksums,
// the key mask, the output budget and the progress event. One CodecIO lives for one
// RunCodec call; the method routines see only CodecReadByte, InputExhausted and
// CodecWriteByte.
#pragma once

#include <cstdint>
#include <memory>

#include "codecs/codec.h"

namespace zuv::codecs {

constexpr int32_t kCodecChunk = 8192;

class CodecIO {
public:
    CodecIO(const CodecHost& host, common::Stream& dest, common::Stream& source, int32_t sourceSize,
            bool expanding, bool unmask);

    // The next source byte, or 0 with InputExhausted set when none can be delivered.
    inline uint8_t CodecReadByte() {
        if (inPos_ == inEnd_) {
            if (!Refill()) return 0;
        }
        uint8_t b = in_[inPos_++];
        InputSum += b;
        if (unmaskInput_) b = KeyMask(b);
        return b;
    }

    // Appends one byte to the output; raises EUnableToCompress past the budget.
    inline void CodecWriteByte(uint8_t b) {
        if (budget_ <= 0) throw EUnableToCompress();
        --budget_;
        if (outCount_ == kCodecChunk) FlushFull();
        if (maskOutput_) b = KeyMask(b);
        out_[outCount_++] = b;
        OutputSum += b;
        ++WrittenCount;
    }

    inline uint8_t KeyMask(uint8_t b) {
        b ^= key_[keyIndex_];
        keyIndex_ = (keyIndex_ + 1) & 3;
        return b;
    }

    // Writes what is left in the output buffer.
    void Flush();

    // Block access for the expanding bit readers, which take input a chunk at a time.
    // TakeChunk hands over every unread byte of the current chunk (unmasked, summed) and
    // marks them read. NextChunk reads the next chunk as CodecReadByte does when the
    // current one is used up: Read, a progress handler's abort (the chunk stays and
    // InputExhausted stays set until the chunk after it), or Ended (nothing more will be
    // read: the stored size is used up or the source delivered nothing).
    enum class ChunkResult { Read, Aborted, Ended };
    ChunkResult NextChunk() {
        if (Refill()) return ChunkResult::Read;
        return inPos_ < inEnd_ ? ChunkResult::Aborted : ChunkResult::Ended;
    }
    uint32_t TakeChunk(const uint8_t*& bytes);

    // Appends n bytes to the output as n calls of CodecWriteByte would.
    void CodecWriteBlock(const uint8_t* bytes, uint32_t n);

    bool InputExhausted = false;
    uint32_t InputSum = 0;
    uint32_t OutputSum = 0;
    int32_t WrittenCount = 0;

private:
    bool Refill();
    void FlushFull();

    common::Stream& dest_;
    common::Stream& source_;
    TShowProgressEvent onShowProgress_;
    std::unique_ptr<uint8_t[]> in_;
    std::unique_ptr<uint8_t[]> out_;
    int32_t inPos_ = 0;
    int32_t inEnd_ = 0;
    int32_t remaining_ = 0;
    int32_t chunkSize_ = kCodecChunk;
    int32_t done_ = 0;
    int32_t outCount_ = 0;
    int32_t budget_ = 0x7FFFFFFF;
    uint8_t key_[4] = {0, 0, 0, 0};
    uint32_t keyIndex_ = 0;
    bool unmaskInput_ = false;
    bool maskOutput_ = false;
    bool yield_ = true;
};

// The share of `done` in `total`, as the progress event reports it.
int32_t ProgressPercentage(int32_t done, int32_t total);

// The method routines, each over one CodecIO.
void ExpandRLE(CodecIO& io);
void CompressRLE(CodecIO& io);
void ExpandLZH5(CodecIO& io, int32_t expandedSize);
// `best` chooses the slower parse by price over the lazy one.
void CompressLZH5(CodecIO& io, bool best = false);
void ExpandLZH(CodecIO& io, int32_t expandedSize);
void CompressLZH(CodecIO& io);

}  // namespace zuv::codecs
