#include "archive/buffered_file.h"

#include <algorithm>
#include <cstring>

namespace zuv::archive {

BufferedFile::BufferedFile(std::unique_ptr<platform::File> file, uint32_t blockSize)
    : file_(std::move(file)), block_(std::max<uint32_t>(blockSize, 1)), position_(file_->Position()) {}

BufferedFile::~BufferedFile() { Flush(); }

bool BufferedFile::DropReadAhead() {
    if (readEnd_ == 0) return true;
    const bool ahead = readPos_ != readEnd_;
    readPos_ = readEnd_ = 0;
    return !ahead || file_->Seek(position_);
}

uint32_t BufferedFile::Read(void* buffer, uint32_t count) {
    if (pending_ > 0 && !Flush()) return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        if (readPos_ < readEnd_) {
            uint32_t n = std::min(readEnd_ - readPos_, count - done);
            std::memcpy(out + done, block_.data() + readPos_, n);
            readPos_ += n;
            done += n;
            position_ += n;
            continue;
        }
        const uint32_t left = count - done;
        if (left >= block_.size()) {
            // A request of a block or more goes straight to the file.
            readPos_ = readEnd_ = 0;
            uint32_t got = file_->Read(out + done, left);
            done += got;
            position_ += got;
            break;
        }
        readPos_ = 0;
        readEnd_ = file_->Read(block_.data(), uint32_t(block_.size()));
        if (readEnd_ == 0) break;
    }
    return done;
}

uint32_t BufferedFile::Write(const void* buffer, uint32_t count) {
    if (writeFailed_ || !DropReadAhead()) return 0;
    if (count == 0) return 0;
    if (pending_ + uint64_t(count) > block_.size() && !Flush()) return 0;
    if (count >= block_.size()) {
        uint32_t written = file_->Write(buffer, count);
        position_ += written;
        if (written != count) writeFailed_ = true;
        return written;
    }
    std::memcpy(block_.data() + pending_, buffer, count);
    pending_ += count;
    position_ += count;
    return count;
}

bool BufferedFile::Flush() {
    if (pending_ == 0) return !writeFailed_;
    const uint32_t held = pending_;
    pending_ = 0;
    const uint32_t written = file_->Write(block_.data(), held);
    if (written != held) {
        position_ -= held - written;
        writeFailed_ = true;
    }
    return !writeFailed_;
}

bool BufferedFile::Seek(uint64_t position) {
    if (pending_ > 0 && !Flush()) return false;
    if (readEnd_ > 0) {
        // Within the block read ahead: only the place in it moves.
        const uint64_t blockStart = position_ - readPos_;
        if (position >= blockStart && position <= blockStart + readEnd_) {
            readPos_ = uint32_t(position - blockStart);
            position_ = position;
            return true;
        }
        readPos_ = readEnd_ = 0;
    }
    if (file_->Seek(position)) {
        position_ = position;
        return true;
    }
    file_->Seek(position_);  // the wrapped file may have been left at the block's end
    return false;
}

uint64_t BufferedFile::Size() {
    const uint64_t size = file_->Size();
    return pending_ > 0 ? std::max(size, position_) : size;
}

bool BufferedFile::SetDosDateTime(uint32_t dosDateTime) {
    Flush();
    return file_->SetDosDateTime(dosDateTime);
}

}  // namespace zuv::archive
