// Builds segment sets in exactly the layout TSegCompress reads. Reserved fields are zero.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "platform/platform.h"

namespace zuv::archive {

// The records of the span stream, one by one (also used to build damaged sets in tests).
std::vector<uint8_t> SegmentIdRecord(uint16_t number);
std::vector<uint8_t> SetHeaderRecord(uint16_t archiveCount);
std::vector<uint8_t> CatalogueEntryRecord(uint16_t templateLength, uint8_t flags, int32_t recordLength,
                                          int32_t catalogueSize);
std::vector<uint8_t> ArchiveRecord(uint16_t sequence, int32_t dataSize);

// The catalogue file: one record of `recordLength` bytes per line, padded with spaces.
std::vector<uint8_t> CatalogueFile(const std::vector<std::string>& lines, int32_t recordLength);
// The shortest record length that holds every line (at least 1).
int32_t CatalogueRecordLength(const std::vector<std::string>& lines);

// One archive of a set as the writer takes it.
struct SetArchive {
    std::string Template;            // e.g. "program\*.*"
    uint8_t Flags = 0;
    std::vector<std::string> Files;  // the catalogue lines: the entries to expand
    std::vector<uint8_t> Archive;    // the container archive
};

// The name under which the catalogue file is stored in each catalogue archive.
extern const char* const kCatalogueFileName;

// The whole span stream: set header, catalogue entries (each with its catalogue archive),
// then the archive records in sequence.
std::vector<uint8_t> BuildSpanStream(const std::vector<SetArchive>& archives, uint8_t catalogueMethod = coNone);

// Cuts a span stream into segment files of at most `segmentSize` bytes each (identification
// included; at least 9). Every segment carries its 8-byte identification first.
std::vector<std::vector<uint8_t>> SplitIntoSegments(const std::vector<uint8_t>& span, uint32_t segmentSize);
// Cuts a span stream at the given payload sizes; what remains goes into a last segment.
std::vector<std::vector<uint8_t>> SplitAtSizes(const std::vector<uint8_t>& span, const std::vector<size_t>& sizes);

// The name of segment `number`: base + "." + three digits (more when needed) or `ext`.
std::string SegmentFileName(const std::string& baseName, uint16_t number, const std::string& ext = "");

// Writes the segments as `dir`\base.001, base.002, ...; returns the paths written. Raises
// common::EInOutError when a file cannot be written.
std::vector<std::string> WriteSegmentFiles(platform::Platform& platform, const std::string& dir,
                                           const std::string& baseName,
                                           const std::vector<std::vector<uint8_t>>& segments);

}  // namespace zuv::archive
