// Byte streams shared by the codecs, the container and the segment reader: a file of
// the platform layer, or a block of memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::common {

class Stream {
public:
    virtual ~Stream() = default;
    // Returns the count of bytes actually read; 0 at the end.
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    // Returns the count of bytes actually written; short on a full disk.
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Position() = 0;
    virtual uint64_t Size() = 0;

    // Reads exactly `count` bytes or returns false.
    bool ReadAll(void* buffer, uint32_t count) { return Read(buffer, count) == count; }
    // Writes the whole buffer; raises EInOutError naming `what` on a short write.
    void WriteAll(const void* buffer, uint32_t count);
};

// A stream over a file opened through the platform layer.
class FileStream : public Stream {
public:
    explicit FileStream(std::unique_ptr<platform::File> file, std::string name = {})
        : file_(std::move(file)), name_(std::move(name)) {}
    uint32_t Read(void* buffer, uint32_t count) override { return file_->Read(buffer, count); }
    uint32_t Write(const void* buffer, uint32_t count) override { return file_->Write(buffer, count); }
    bool Seek(uint64_t position) override { return file_->Seek(position); }
    uint64_t Position() override { return file_->Position(); }
    uint64_t Size() override { return file_->Size(); }
    platform::File& file() { return *file_; }
    const std::string& name() const { return name_; }

private:
    std::unique_ptr<platform::File> file_;
    std::string name_;
};

// A growable block of memory; reads past the end return short counts.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool Seek(uint64_t position) override;
    uint64_t Position() override { return position_; }
    uint64_t Size() override { return data_.size(); }
    const std::vector<uint8_t>& data() const { return data_; }
    std::vector<uint8_t>& data() { return data_; }

private:
    std::vector<uint8_t> data_;
    uint64_t position_ = 0;
};

}  // namespace zuv::common
