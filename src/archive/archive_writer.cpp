#include "archive/archive_writer.h"

#include <cstring>
#include <limits>

namespace zuv::archive {

uint32_t DataChecksum(const uint8_t* data, size_t size) { return AddToChecksum(0, data, size); }

void MaskWithKey(std::vector<uint8_t>& data, uint32_t key) {
    for (size_t i = 0; i < data.size(); ++i) data[i] ^= uint8_t(key >> (8 * (i % 4)));
}

uint32_t MakeDosDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980) year = 1980;
    if (year > 2107) year = 2107;
    uint32_t date = (uint32_t(year - 1980) << 9) | (uint32_t(month & 15) << 5) | uint32_t(day & 31);
    uint32_t time = (uint32_t(hour & 31) << 11) | (uint32_t(minute & 63) << 5) | uint32_t((second / 2) & 31);
    return (date << 16) | time;
}

bool CompressBytes(uint8_t method, const std::vector<uint8_t>& data, std::vector<uint8_t>& stored) {
    if (method != coRLE && method != coLZH && method != coLZH5) return false;
    if (data.empty()) return false;
    common::MemoryStream source(data);
    common::MemoryStream dest;
    codecs::CodecHost host;
    uint32_t checksum = 0;
    try {
        codecs::RunCodec(host, dest, source, int32_t(data.size()), int32_t(data.size()), method, checksum, false,
                         false);
    } catch (const EUnableToCompress&) {
        return false;
    }
    if (dest.data().size() >= data.size()) return false;
    stored = dest.data();
    return true;
}

TArchiveWriter::TArchiveWriter(uint8_t method, int32_t key) : method_(method), key_(key) {}

void TArchiveWriter::Add(const std::string& storedName, const std::vector<uint8_t>& data, uint32_t dosDateTime,
                         uint16_t attributes) {
    if (data.size() > size_t(std::numeric_limits<int32_t>::max()))
        throw common::Exception("File too large for an archive: " + storedName);
    EntryHeader header;
    header.DateTime = dosDateTime;
    header.Attributes = int16_t(attributes);
    header.ExpandedSize = int32_t(data.size());
    std::vector<uint8_t> stored;
    if (CompressBytes(method_, data, stored)) {
        header.Method = method_;
    } else {
        header.Method = coNone;
        stored = data;
    }
    uint32_t checksum = DataChecksum(data.data(), data.size());
    if (key_ != 0) {
        checksum += uint32_t(key_);
        if (header.Method != coNone) {
            // Codec data is masked with the key; stored data is locked only by its checksum.
            MaskWithKey(stored, uint32_t(key_));
            header.LockLevel = 2;
        } else {
            header.LockLevel = 1;
        }
    }
    header.Checksum = int32_t(checksum);
    header.CompressedSize = int32_t(stored.size());
    AddRaw(header, storedName, stored);
}

void TArchiveWriter::AddRaw(const EntryHeader& given, const std::string& storedName,
                            const std::vector<uint8_t>& stored) {
    if (storedName.size() > size_t(std::numeric_limits<int16_t>::max()))
        throw common::Exception("Stored name too long: " + storedName.substr(0, 64));
    EntryHeader header = given;
    header.NameLength = int16_t(storedName.size());
    uint8_t raw[kEntryHeaderSize];
    header.Encode(raw);
    body_.insert(body_.end(), raw, raw + kEntryHeaderSize);
    body_.insert(body_.end(), storedName.begin(), storedName.end());
    body_.insert(body_.end(), stored.begin(), stored.end());
    totalExpanded_ += header.ExpandedSize;
    if (totalExpanded_ > std::numeric_limits<int32_t>::max())
        throw common::Exception("Archive too large: more than 2 GB of files");
    ++entries_;
}

std::vector<uint8_t> TArchiveWriter::Bytes() const {
    ArchiveHeader header;
    std::memcpy(header.CompressID, kMethodIds[method_ < 5 ? method_ : 0], 3);
    header.ExpandedSize = int32_t(totalExpanded_);
    header.LockLevel = key_ != 0 ? 2 : 0;
    std::vector<uint8_t> out(kArchiveHeaderSize);
    header.Encode(out.data());
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
}

}  // namespace zuv::archive
