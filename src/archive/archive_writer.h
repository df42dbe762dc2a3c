// Builds container archives in exactly the layout TCompress reads: the 21-byte archive
// header, then per entry the 25-byte entry header, the stored name and the stored bytes.
// Reserved fields are zero.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/compress.h"
#include "common/stream.h"

namespace zuv::archive {

// The data checksum: the sum of the bytes, in a wrapping 32-bit accumulator.
uint32_t DataChecksum(const uint8_t* data, size_t size);

// Combines stored bytes with the key (exclusive or, key bytes little-endian, cycling).
void MaskWithKey(std::vector<uint8_t>& data, uint32_t key);

class TArchiveWriter {
public:
    // `method` is the archive's method (its identifier goes into the header); `key` 0 makes
    // open entries, any other value locked ones (masked for the codec methods).
    explicit TArchiveWriter(uint8_t method = coNone, int32_t key = 0);

    // Adds one entry. An entry the codec cannot make smaller, or one whose method has no
    // codec, is stored (coNone). Raises common::Exception for a name or a size the format
    // cannot carry.
    void Add(const std::string& storedName, const std::vector<uint8_t>& data, uint32_t dosDateTime = 0,
             uint16_t attributes = 0x20);
    // Adds an entry exactly as given: the caller supplies the header fields (used to build
    // entries no writer would make, such as a wrong checksum).
    void AddRaw(const EntryHeader& header, const std::string& storedName, const std::vector<uint8_t>& stored);

    // The finished archive.
    std::vector<uint8_t> Bytes() const;
    int EntryCount() const { return entries_; }

private:
    uint8_t method_;
    int32_t key_;
    int64_t totalExpanded_ = 0;
    int entries_ = 0;
    std::vector<uint8_t> body_;
};

// Compresses `data` with `method` (through the codecs); returns false when the method has
// no codec or the result would not be smaller.
bool CompressBytes(uint8_t method, const std::vector<uint8_t>& data, std::vector<uint8_t>& stored);

// A 32-bit DOS date/time from its parts (local time).
uint32_t MakeDosDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace zuv::archive
