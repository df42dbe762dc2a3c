// A platform file read ahead and written behind in large blocks. The segment reader and the
// container move data in chunks of 8192 bytes; through this wrapper the file system sees one
// transfer per block instead of one per chunk, which is most of the cost of joining and
// reading an archive once the data is in the cache.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace zuv::archive {

class BufferedFile : public platform::File {
public:
    static constexpr uint32_t kBlockSize = 65536;

    // Takes over `file` (not null), positioned where it stands.
    explicit BufferedFile(std::unique_ptr<platform::File> file, uint32_t blockSize = kBlockSize);
    // Writes what is held back; a failure here is lost, so writers call Flush first.
    ~BufferedFile() override;

    // Reads as the wrapped file does: short only at its end or on an error.
    uint32_t Read(void* buffer, uint32_t count) override;
    // Holds bytes back until a block is full. A write the file does not take whole (a full
    // disk) shows as a short count from a later Write or as false from Flush; after that
    // every write fails.
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool Seek(uint64_t position) override;
    uint64_t Position() override { return position_; }
    uint64_t Size() override;
    // Writes what is held back first, so the time set is the one that stays.
    bool SetDosDateTime(uint32_t dosDateTime) override;

    // Writes what is held back; false when the file did not take all of it (or an earlier
    // write failed).
    bool Flush();

private:
    // Drops the read-ahead block and puts the wrapped file back at the logical position.
    bool DropReadAhead();

    std::unique_ptr<platform::File> file_;
    std::vector<uint8_t> block_;
    // The logical position. With read-ahead, block_[readPos_, readEnd_) are the bytes from
    // position_ on and the wrapped file stands at the end of the block; with bytes held back,
    // block_[0, pending_) belong just before position_ and the wrapped file stands at their
    // start. Never both at once.
    uint64_t position_ = 0;
    uint32_t readPos_ = 0;
    uint32_t readEnd_ = 0;
    uint32_t pending_ = 0;
    bool writeFailed_ = false;
};

}  // namespace zuv::archive
