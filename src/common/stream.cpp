#include "common/stream.h"

#include <algorithm>
#include <cstring>

#include "common/exception.h"

namespace zuv::common {

void Stream::WriteAll(const void* buffer, uint32_t count) {
    if (count == 0) return;
    if (Write(buffer, count) != count) throw EInOutError("Disk full");
}

uint32_t MemoryStream::Read(void* buffer, uint32_t count) {
    if (position_ >= data_.size()) return 0;
    uint64_t n = std::min<uint64_t>(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return static_cast<uint32_t>(n);
}

uint32_t MemoryStream::Write(const void* buffer, uint32_t count) {
    if (count == 0) return 0;
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

bool MemoryStream::Seek(uint64_t position) {
    if (position > data_.size()) return false;
    position_ = position;
    return true;
}

}  // namespace zuv::common
