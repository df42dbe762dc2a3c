#include "archive/segment_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/exception.h"
#include "common/routines.h"

namespace zuv::archive {

const char* const kCatalogueFileName = "SEGCAT.$$$";

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}
std::vector<uint8_t> Record(size_t size, const char* id) {
    std::vector<uint8_t> out(size, 0);
    std::memcpy(out.data(), id, 4);
    return out;
}
void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) { out.insert(out.end(), more.begin(), more.end()); }

}  // namespace

std::vector<uint8_t> SegmentIdRecord(uint16_t number) {
    auto out = Record(8, "SSeg");
    Put16(out, 6, number);
    return out;
}

std::vector<uint8_t> SetHeaderRecord(uint16_t archiveCount) {
    auto out = Record(21, "SHdr");
    Put16(out, 6, archiveCount);
    return out;
}

std::vector<uint8_t> CatalogueEntryRecord(uint16_t templateLength, uint8_t flags, int32_t recordLength,
                                          int32_t catalogueSize) {
    auto out = Record(17, "Scan");
    Put16(out, 6, templateLength);
    out[8] = flags;
    Put32(out, 9, uint32_t(recordLength));
    Put32(out, 13, uint32_t(catalogueSize));
    return out;
}

std::vector<uint8_t> ArchiveRecord(uint16_t sequence, int32_t dataSize) {
    auto out = Record(16, "SArc");
    Put16(out, 6, sequence);
    Put32(out, 12, uint32_t(dataSize));
    return out;
}

int32_t CatalogueRecordLength(const std::vector<std::string>& lines) {
    size_t longest = 1;
    for (const auto& line : lines) longest = std::max(longest, line.size());
    if (longest >= 8192) throw common::Exception("Stored name too long for a catalogue: " + lines.front());
    return int32_t(longest);
}

std::vector<uint8_t> CatalogueFile(const std::vector<std::string>& lines, int32_t recordLength) {
    std::vector<uint8_t> out;
    // An empty catalogue still gets one blank record: an archive of no bytes expands nothing.
    if (lines.empty()) return std::vector<uint8_t>(size_t(recordLength), ' ');
    out.reserve(lines.size() * size_t(recordLength));
    for (const auto& line : lines) {
        std::string record = line.substr(0, size_t(recordLength));
        record.resize(size_t(recordLength), ' ');
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

std::vector<uint8_t> BuildSpanStream(const std::vector<SetArchive>& archives, uint8_t catalogueMethod) {
    if (archives.size() > 0xFFFF) throw common::Exception("Too many archives for one set");
    std::vector<uint8_t> span = SetHeaderRecord(uint16_t(archives.size()));
    for (const auto& arc : archives) {
        if (arc.Template.size() >= 8192) throw common::Exception("Template too long: " + arc.Template.substr(0, 64));
        const int32_t recordLength = CatalogueRecordLength(arc.Files);
        TArchiveWriter catalogue(catalogueMethod);
        catalogue.Add(kCatalogueFileName, CatalogueFile(arc.Files, recordLength));
        std::vector<uint8_t> catalogueArchive = catalogue.Bytes();
        Append(span, CatalogueEntryRecord(uint16_t(arc.Template.size()), arc.Flags, recordLength,
                                          int32_t(catalogueArchive.size())));
        span.insert(span.end(), arc.Template.begin(), arc.Template.end());
        Append(span, catalogueArchive);
    }
    for (size_t i = 0; i < archives.size(); ++i) {
        if (archives[i].Archive.size() > 0x7FFFFFFFu) throw common::Exception("Archive too large for a set");
        Append(span, ArchiveRecord(uint16_t(i), int32_t(archives[i].Archive.size())));
        Append(span, archives[i].Archive);
    }
    return span;
}

std::vector<std::vector<uint8_t>> SplitAtSizes(const std::vector<uint8_t>& span, const std::vector<size_t>& sizes) {
    std::vector<std::vector<uint8_t>> segments;
    size_t at = 0;
    for (size_t size : sizes) {
        size_t n = std::min(size, span.size() - at);
        std::vector<uint8_t> segment = SegmentIdRecord(uint16_t(segments.size() + 1));
        segment.insert(segment.end(), span.begin() + long(at), span.begin() + long(at + n));
        segments.push_back(std::move(segment));
        at += n;
    }
    if (at < span.size() || segments.empty()) {
        std::vector<uint8_t> segment = SegmentIdRecord(uint16_t(segments.size() + 1));
        segment.insert(segment.end(), span.begin() + long(at), span.end());
        segments.push_back(std::move(segment));
    }
    return segments;
}

std::vector<std::vector<uint8_t>> SplitIntoSegments(const std::vector<uint8_t>& span, uint32_t segmentSize) {
    if (segmentSize <= 8) throw common::Exception("Segment size must be larger than 8 bytes");
    const size_t payload = segmentSize - 8;
    const size_t count = std::max<size_t>(1, (span.size() + payload - 1) / payload);
    if (count > 0xFFFF) throw common::Exception("Too many segments: raise the segment size");
    std::vector<size_t> sizes(count - 1, payload);
    return SplitAtSizes(span, sizes);
}

std::string SegmentFileName(const std::string& baseName, uint16_t number, const std::string& ext) {
    if (!ext.empty()) return baseName + "." + ext;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03u", unsigned(number));
    return baseName + "." + digits;
}

std::vector<std::string> WriteSegmentFiles(platform::Platform& platform, const std::string& dir,
                                           const std::string& baseName,
                                           const std::vector<std::vector<uint8_t>>& segments) {
    std::vector<std::string> paths;
    for (size_t i = 0; i < segments.size(); ++i) {
        std::string path = common::JoinPath(dir, SegmentFileName(baseName, uint16_t(i + 1)));
        auto file = platform.Open(path, platform::OpenMode::kCreate);
        if (!file) throw common::EInOutError("Cannot create file " + path);
        const auto& data = segments[i];
        if (!data.empty() && file->Write(data.data(), uint32_t(data.size())) != data.size())
            throw common::EInOutError("Cannot write file " + path);
        paths.push_back(path);
    }
    return paths;
}

}  // namespace zuv::archive
