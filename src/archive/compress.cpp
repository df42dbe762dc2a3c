#include "archive/compress.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/buffered_file.h"
#include "common/routines.h"

namespace zuv::archive {

const char* const kMethodIds[5] = {"NON", "RLE", "LZH", "CUS", "LH5"};

namespace {

void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The stored bytes that follow an entry's name: none for a size of 0 or less.
uint64_t StoredBytes(const EntryHeader& header) {
    return header.CompressedSize > 0 ? uint64_t(header.CompressedSize) : 0;
}

// Bytes between the stream's position and its end.
uint64_t BytesLeft(common::Stream& stream) {
    uint64_t size = stream.Size(), pos = stream.Position();
    return pos < size ? size - pos : 0;
}

// An output that keeps nothing: counts what is written to it and, when asked, sums it (the
// codecs return the checksum of what they write, so only stored entries need the sum).
class SummingSink : public common::Stream {
public:
    explicit SummingSink(bool summing) : summing_(summing) {}
    uint32_t Read(void*, uint32_t) override { return 0; }
    uint32_t Write(const void* buffer, uint32_t count) override {
        if (summing_) sum = AddToChecksum(sum, static_cast<const uint8_t*>(buffer), count);
        written += count;
        return count;
    }
    bool Seek(uint64_t position) override { return position == written; }
    uint64_t Position() override { return written; }
    uint64_t Size() override { return written; }
    uint64_t written = 0;
    uint32_t sum = 0;

private:
    bool summing_;
};

// The archive at `path`, opened read-only and exclusive and read ahead in blocks.
std::unique_ptr<common::FileStream> OpenArchiveFile(platform::Platform& platform, const std::string& path) {
    auto file = platform.Open(path, platform::OpenMode::kReadExclusive);
    if (!file) throw common::EInOutError("Cannot open file " + path);
    return std::make_unique<common::FileStream>(std::make_unique<BufferedFile>(std::move(file)), path);
}

}  // namespace

uint32_t AddToChecksum(uint32_t sum, const uint8_t* data, size_t size) {
    // Eight bytes at a time: the even and the odd bytes of each 64-bit word are added into
    // four 16-bit lanes. A word adds at most 2 * 255 to a lane, so 128 words fit before the
    // lanes have to be folded into the sum.
    constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
    while (size >= 8) {
        const size_t words = std::min<size_t>(size / 8, 128);
        uint64_t lanes = 0;
        for (size_t i = 0; i < words; ++i) {
            uint64_t word;
            std::memcpy(&word, data + 8 * i, 8);
            lanes += (word & kEvenBytes) + ((word >> 8) & kEvenBytes);
        }
        sum += uint32_t(lanes & 0xFFFF) + uint32_t((lanes >> 16) & 0xFFFF) + uint32_t((lanes >> 32) & 0xFFFF) +
               uint32_t(lanes >> 48);
        data += 8 * words;
        size -= 8 * words;
    }
    while (size-- > 0) sum += *data++;
    return sum;
}

void ArchiveHeader::Encode(uint8_t out[kArchiveHeaderSize]) const {
    std::memcpy(out, Signature, 5);
    std::memcpy(out + 5, CompressID, 3);
    Put32(out + 8, uint32_t(ExpandedSize));
    out[12] = ArchiveType;
    Put32(out + 13, uint32_t(Reserved));
    Put32(out + 17, uint32_t(LockLevel));
}

void ArchiveHeader::Decode(const uint8_t in[kArchiveHeaderSize]) {
    std::memcpy(Signature, in, 5);
    std::memcpy(CompressID, in + 5, 3);
    ExpandedSize = int32_t(Get32(in + 8));
    ArchiveType = in[12];
    Reserved = int32_t(Get32(in + 13));
    LockLevel = int32_t(Get32(in + 17));
}

void EntryHeader::Encode(uint8_t out[kEntryHeaderSize]) const {
    Put16(out, uint16_t(NameLength));
    Put32(out + 2, DateTime);
    Put16(out + 6, uint16_t(Attributes));
    Put32(out + 8, uint32_t(ExpandedSize));
    Put32(out + 12, uint32_t(CompressedSize));
    out[16] = Method;
    Put32(out + 17, uint32_t(Checksum));
    Put32(out + 21, uint32_t(LockLevel));
}

void EntryHeader::Decode(const uint8_t in[kEntryHeaderSize]) {
    NameLength = int16_t(Get16(in));
    DateTime = Get32(in + 2);
    Attributes = int16_t(Get16(in + 6));
    ExpandedSize = int32_t(Get32(in + 8));
    CompressedSize = int32_t(Get32(in + 12));
    Method = in[16];
    Checksum = int32_t(Get32(in + 17));
    LockLevel = int32_t(Get32(in + 21));
}

void SkipForward(common::Stream& stream, int64_t count) {
    if (count <= 0) return;
    uint64_t target = stream.Position() + uint64_t(count);
    if (!stream.Seek(target)) stream.Seek(stream.Size());
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = x - 'a' + 'A';
        if (y >= 'a' && y <= 'z') y = y - 'a' + 'A';
        if (x != y) return false;
    }
    return true;
}

void TCompress::SetTargetPath(const std::string& value) {
    targetPath_ = value;
    if (!targetPath_.empty() && targetPath_.back() != '\\') targetPath_ += '\\';
}

ArchiveHeader TCompress::ReadArchiveHeader(common::Stream& stream) {
    ArchiveHeader header;
    if (BytesLeft(stream) < kArchiveHeaderSize) {
        // Too short to hold a header: an empty archive.
        header.ExpandedSize = 0;
        header.ArchiveType = caMulti;
        header.Reserved = 0;
        header.LockLevel = key_ > 0 ? 2 : 0;
        return header;
    }
    uint8_t raw[kArchiveHeaderSize];
    if (!stream.ReadAll(raw, kArchiveHeaderSize)) throw EInvalidHeader();
    header.Decode(raw);
    if (std::memcmp(header.Signature, kArchiveSignature, 5) != 0) throw EInvalidHeader();
    if (header.ArchiveType != caMulti) throw EInvalidHeaderArchiveType();
    RecognizeMethod(std::string(header.CompressID, 3));
    return header;
}

TCompressionMethod TCompress::RecognizeMethod(const std::string& id) {
    for (int i = 0; i < 5; ++i)
        if (id == kMethodIds[i]) return TCompressionMethod(i);
    if (OnRecognize) {
        bool recognized = false;
        OnRecognize(id, recognized);
        if (recognized) return coCustom;
    }
    throw EUnrecognizedCompressionMethod(id);
}

bool TCompress::ReadEntryHeader(common::Stream& stream, EntryHeader& header, std::string& name) {
    uint8_t raw[kEntryHeaderSize];
    if (!stream.ReadAll(raw, kEntryHeaderSize)) return false;
    header.Decode(raw);
    // A negative name length ends the archive. A stored size of 0 or less is an entry
    // whose name is followed by no stored bytes.
    if (header.NameLength < 0) return false;
    name.assign(size_t(header.NameLength), '\0');
    if (header.NameLength > 0 && !stream.ReadAll(&name[0], uint32_t(header.NameLength))) return false;
    return true;
}

void TCompress::ListArchiveFile(const std::string& path, TArchiveList& list) {
    ListArchiveStream(*OpenArchiveFile(platform_, path), list);
}

void TCompress::ListArchiveStream(common::Stream& stream, TArchiveList& list) {
    if (BytesLeft(stream) < kArchiveHeaderSize + kEntryHeaderSize) return;
    ReadArchiveHeader(stream);
    EntryHeader header;
    std::string name;
    while (ReadEntryHeader(stream, header, name)) {
        ListedEntry entry;
        entry.Name = name;
        entry.Info.DateTime = header.DateTime;
        entry.Info.Attributes = uint16_t(header.Attributes);
        entry.Info.ExpandedSize = header.ExpandedSize;
        entry.Info.CompressedSize = header.CompressedSize;
        entry.Info.Method = header.Method;
        entry.Info.Checksum = header.Checksum;
        entry.Info.HeaderOffset = int32_t(stream.Position() - uint64_t(header.NameLength) - kEntryHeaderSize);
        entry.Info.Locked = header.LockLevel > 0;
        list.push_back(std::move(entry));
        SkipForward(stream, header.CompressedSize);
    }
}

void TCompress::ExpandArchiveFile(const std::string& path, std::vector<std::string>* list) {
    ExpandArchiveStream(*OpenArchiveFile(platform_, path), list);
}

int64_t TCompress::FreeSpaceFor(const std::string& target) {
    constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();
    if (!checkSpaceBeforeExpand_) return kNoLimit;
    std::string upper = common::Upper(target);
    std::string drive;
    if (upper.size() >= 2 && upper[1] == ':')
        drive = std::string(1, upper[0]) + ":\\";
    else
        drive = platform_.CurrentDirectory();
    int64_t free = platform_.DiskFree(drive);
    if (free < 0) return kNoLimit;
    uint32_t attributes = platform_.GetAttributes(target);
    if (attributes != platform::kInvalidAttributes && !(attributes & platform::kAttrDirectory)) {
        // Overwriting the file gives its space back.
        if (auto existing = platform_.Open(target, platform::OpenMode::kReadShared))
            free += int64_t(existing->Size());
    }
    return free;
}

void TCompress::MakeDirectoryPath(const std::string& path) {
    if (path.empty()) return;
    std::string dir = path;
    // One trailing separator goes (both separators count, so the recursion always shortens).
    if (dir.back() == '\\' || dir.back() == '/') dir.pop_back();
    if (dir.size() < 3 || common::DirectoryExists(platform_, dir)) return;
    MakeDirectoryPath(common::DirPart(dir));
    if (!platform_.CreateDirectory(dir) && !common::DirectoryExists(platform_, dir))
        throw common::EInOutError("Unable to create directory " + dir);
}

void TCompress::ExpandEntry(common::Stream& output, common::Stream& archive, const EntryHeader& header,
                            const std::string& compressId) {
    const int32_t storedSize = header.CompressedSize;
    const uint64_t dataEnd = archive.Position() + StoredBytes(header);
    const bool locked = header.LockLevel > 0;
    if (header.Method != coNone && locked && key_ == 0) throw EInvalidKey();
    uint32_t checksum = 0;
    const uint32_t started = platform_.TickCount();
    const uint64_t dataStart = archive.Position();
    switch (header.Method) {
        case coNone: {
            std::vector<uint8_t> buffer(8192);
            int64_t left = storedSize;
            while (left > 0) {
                uint32_t chunk = uint32_t(std::min<int64_t>(left, int64_t(buffer.size())));
                uint32_t got = archive.Read(buffer.data(), chunk);
                if (got == 0) break;  // the archive ends early
                output.WriteAll(buffer.data(), got);
                left -= got;
            }
            break;
        }
        case coRLE:
        case coLZH:
        case coLZH5: {
            codecs::CodecHost host;
            host.Key = uint32_t(key_);
            host.OnShowProgress = OnShowProgress;
            try {
                codecs::RunCodec(host, output, archive, storedSize, header.ExpandedSize, header.Method, checksum,
                                 true, header.LockLevel == 2);
            } catch (const ELZHBadDecodeTable&) {
                if (locked) throw EInvalidKey();
                throw;
            }
            // The next entry header starts exactly S bytes after this entry's data began.
            if (archive.Position() != dataEnd) {
                archive.Seek(dataStart);
                SkipForward(archive, storedSize);
            }
            break;
        }
        case coCustom:
            if (OnExpand) {
                int32_t customChecksum = 0;
                OnExpand(output, archive, storedSize, header.ExpandedSize, compressId, customChecksum);
                checksum = uint32_t(customChecksum);
            }
            if (archive.Position() != dataEnd) {
                archive.Seek(dataStart);
                SkipForward(archive, storedSize);
            }
            break;
        default:
            // A method this reader does not know: its data is passed over.
            SkipForward(archive, storedSize);
            break;
    }
    LastDuration = int32_t(platform_.TickCount() - started);
    if (header.Method == coNone) return;
    if (checksum == uint32_t(header.Checksum)) return;
    if (locked) {
        if (uint32_t(key_) + checksum == uint32_t(header.Checksum)) return;
        throw EInvalidKey();
    }
    throw EBadChecksum();
}

void TCompress::ExpandArchiveStream(common::Stream& stream, std::vector<std::string>* list) {
    std::vector<std::string> written;
    const ArchiveHeader archiveHeader = ReadArchiveHeader(stream);
    const std::string compressId(archiveHeader.CompressID, 3);
    int64_t runningTotal = 0;
    EntryHeader header;
    std::string name;
    while (ReadEntryHeader(stream, header, name)) {
        if (runningTotal >= archiveHeader.ExpandedSize) break;
        if (list) {
            bool selected = std::any_of(list->begin(), list->end(),
                                        [&](const std::string& line) { return SameText(line, name); });
            if (!selected) {
                SkipForward(stream, header.CompressedSize);
                runningTotal += header.ExpandedSize;
                continue;
            }
        }
        std::string target = (!name.empty() && name[0] == '\\') ? name : targetPath_ + name;
        if (OnCheckFile) {
            OnCheckFile(target, cmExpand);
            if (target.empty()) {
                SkipForward(stream, header.CompressedSize);
                continue;
            }
            if (target == "*") break;
        }
        if (FreeSpaceFor(target) < header.ExpandedSize) throw EInsufficientDiskSpace(target);
        if (makeDirectories_) MakeDirectoryPath(common::DirPart(target));
        auto file = platform_.Open(target, platform::OpenMode::kCreate);
        if (!file) {
            if (exceptionOnFileError_) throw common::EInOutError("Cannot create file " + target);
            SkipForward(stream, header.CompressedSize);
            continue;
        }
        const uint32_t attributes = uint16_t(header.Attributes);
        auto output = std::make_unique<common::FileStream>(std::move(file), target);
        try {
            ExpandEntry(*output, stream, header, compressId);
        } catch (const EInvalidKey&) {
            output.reset();
            platform_.DeleteFile(target);
            throw;
        } catch (...) {
            output.reset();
            platform_.SetAttributes(target, attributes);
            throw;
        }
        output->file().SetDosDateTime(header.DateTime);
        output.reset();
        written.push_back(target);
        platform_.SetAttributes(target, attributes);
        runningTotal += header.ExpandedSize;
    }
    if (list) *list = std::move(written);
}

int TCompress::TestArchiveFile(const std::string& path) { return TestArchiveStream(*OpenArchiveFile(platform_, path)); }

int TCompress::TestArchiveStream(common::Stream& stream) {
    const ArchiveHeader archiveHeader = ReadArchiveHeader(stream);
    const std::string compressId(archiveHeader.CompressID, 3);
    int count = 0;
    EntryHeader header;
    std::string name;
    while (ReadEntryHeader(stream, header, name)) {
        SummingSink sink(header.Method == coNone);
        const uint64_t dataStart = stream.Position();
        ExpandEntry(sink, stream, header, compressId);
        // Stored entries carry a checksum too, and every entry must deliver all its bytes.
        if (header.Method == coNone) {
            uint32_t expected = uint32_t(header.Checksum);
            if (header.LockLevel > 0) expected -= uint32_t(Key());
            if (sink.sum != expected) {
                if (header.LockLevel > 0) throw EInvalidKey();
                throw EBadChecksum();
            }
        }
        if (sink.written != uint64_t(uint32_t(header.ExpandedSize)) || header.ExpandedSize < 0 ||
            stream.Position() != dataStart + StoredBytes(header))
            throw EBadChecksum();
        ++count;
    }
    return count;
}

}  // namespace zuv::archive
