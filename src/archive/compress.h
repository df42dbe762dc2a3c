// TCompress: reads multi-file compressed archives. An archive is a 21-byte header followed by
// entries, each a 25-byte header, the stored name and the stored bytes. The component lists
// the entries and expands all of them, or those named in a list, below TargetPath.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/codec_link.h"
#include "common/exception.h"
#include "common/stream.h"
#include "platform/platform.h"

namespace zuv::archive {

using codecs::TCompressionMethod;
using codecs::coNone;
using codecs::coRLE;
using codecs::coLZH;
using codecs::coCustom;
using codecs::coLZH5;

// What a file check is made for; the reader only expands.
enum TCProcessMode : uint8_t { cmCompress = 0, cmExpand = 1 };

using TCompressEvent = std::function<void(common::Stream& dest, common::Stream& source, std::string& CompressID,
                                          int32_t& Outputsize, int32_t& checksum)>;
using TExpandEvent = std::function<void(common::Stream& dest, common::Stream& source, int32_t Sourcesize,
                                        int32_t Destsize, const std::string& CompressID, int32_t& checksum)>;
using TFilenameCheckEvent = std::function<void(std::string& filepath, TCProcessMode mode)>;
using TRecognizeEvent = std::function<void(const std::string& CompressID, bool& recognized)>;
using TShowProgressEvent = codecs::TShowProgressEvent;

// ---- the on-disk records --------------------------------------------------------------
constexpr uint32_t kArchiveHeaderSize = 21;
constexpr uint32_t kEntryHeaderSize = 25;
constexpr uint8_t kArchiveSignature[5] = {'T', 'E', 'Q', 'A', 0x1A};
constexpr uint8_t caMulti = 1;
// The identifiers of the built-in methods, by ordinal.
extern const char* const kMethodIds[5];

struct ArchiveHeader {
    uint8_t Signature[5] = {'T', 'E', 'Q', 'A', 0x1A};
    char CompressID[3] = {'N', 'O', 'N'};
    int32_t ExpandedSize = 0;
    uint8_t ArchiveType = caMulti;
    int32_t Reserved = 0;
    int32_t LockLevel = 0;

    void Encode(uint8_t out[kArchiveHeaderSize]) const;
    void Decode(const uint8_t in[kArchiveHeaderSize]);
};

struct EntryHeader {
    int16_t NameLength = 0;
    uint32_t DateTime = 0;
    int16_t Attributes = 0;
    int32_t ExpandedSize = 0;
    int32_t CompressedSize = 0;
    uint8_t Method = coNone;
    int32_t Checksum = 0;
    int32_t LockLevel = 0;

    void Encode(uint8_t out[kEntryHeaderSize]) const;
    void Decode(const uint8_t in[kEntryHeaderSize]);
};

// One listed entry.
struct TCompressedFileInfo {
    uint32_t DateTime = 0;
    uint16_t Attributes = 0;
    int32_t ExpandedSize = 0;
    int32_t CompressedSize = 0;
    uint8_t Method = coNone;  // a TCompressionMethod ordinal (as stored; may be out of range)
    int32_t Checksum = 0;
    int32_t HeaderOffset = 0;
    bool Locked = false;
};

// A listing line: the stored name and its entry information.
struct ListedEntry {
    std::string Name;
    TCompressedFileInfo Info;
};
using TArchiveList = std::vector<ListedEntry>;

// ---- exceptions -------------------------------------------------------------------------
class EInvalidHeader : public common::Exception {
public:
    EInvalidHeader() : common::Exception("Can't recognize compressed file header") {}
};
class EInvalidHeaderArchiveType : public common::Exception {
public:
    EInvalidHeaderArchiveType() : common::Exception("Archive type must be caMulti") {}
};
class EUnrecognizedCompressionMethod : public common::Exception {
public:
    explicit EUnrecognizedCompressionMethod(const std::string& id)
        : common::Exception("Unrecognized compression method: \"" + id + "\" in header") {}
};
class EBadChecksum : public common::Exception {
public:
    EBadChecksum() : common::Exception("Bad checksum during expansion -- data may be invalid") {}
};
class EInvalidKey : public common::Exception {
public:
    EInvalidKey() : common::Exception("File locked -- valid key required") {}
};
class EInsufficientDiskSpace : public common::Exception {
public:
    explicit EInsufficientDiskSpace(const std::string& target)
        : common::Exception("Not enough disk space to expand " + target) {}
};
using codecs::ELZHBadDecodeTable;
using codecs::EUnableToCompress;

// ---- the component ----------------------------------------------------------------------
class TCompress {
public:
    explicit TCompress(platform::Platform& platform) : platform_(platform) {}
    virtual ~TCompress() = default;
    TCompress(const TCompress&) = delete;
    TCompress& operator=(const TCompress&) = delete;

    // Events (unassigned when empty).
    TCompressEvent OnCompress;  // the compressing side; never raised by the reader
    TExpandEvent OnExpand;
    TFilenameCheckEvent OnCheckFile;
    TRecognizeEvent OnRecognize;
    TShowProgressEvent OnShowProgress;

    // Directory that relative entry names are expanded into; ends in "\" when not empty.
    const std::string& TargetPath() const { return targetPath_; }
    void SetTargetPath(const std::string& value);
    bool MakeDirectories() const { return makeDirectories_; }
    void SetMakeDirectories(bool value) { makeDirectories_ = value; }
    bool ExceptionOnFileError() const { return exceptionOnFileError_; }
    void SetExceptionOnFileError(bool value) { exceptionOnFileError_ = value; }
    int32_t Key() const { return key_; }
    void SetKey(int32_t value) { key_ = value; }
    bool CheckSpaceBeforeExpand() const { return checkSpaceBeforeExpand_; }
    void SetCheckSpaceBeforeExpand(bool value) { checkSpaceBeforeExpand_ = value; }
    // Milliseconds the last entry's expansion took.
    int32_t LastDuration = 0;

    void ListArchiveFile(const std::string& path, TArchiveList& list);
    void ListArchiveStream(common::Stream& stream, TArchiveList& list);
    // With `list` null every entry is expanded; otherwise only the named ones, and the list
    // then holds the full paths of the files written.
    void ExpandArchiveFile(const std::string& path, std::vector<std::string>* list);
    void ExpandArchiveStream(common::Stream& stream, std::vector<std::string>* list);

    // Expands every entry into nothing, running every checksum and key test; returns the
    // count of entries tested. Used to verify an archive without writing files. The file
    // form opens the archive as ExpandArchiveFile does.
    int TestArchiveFile(const std::string& path);
    int TestArchiveStream(common::Stream& stream);

    platform::Platform& platform() { return platform_; }

protected:
    platform::Platform& platform_;

    ArchiveHeader ReadArchiveHeader(common::Stream& stream);
    TCompressionMethod RecognizeMethod(const std::string& id);
    bool ReadEntryHeader(common::Stream& stream, EntryHeader& header, std::string& name);
    int64_t FreeSpaceFor(const std::string& target);
    void MakeDirectoryPath(const std::string& path);
    void ExpandEntry(common::Stream& output, common::Stream& archive, const EntryHeader& header,
                     const std::string& compressId);

private:
    std::string targetPath_;
    bool makeDirectories_ = false;
    bool exceptionOnFileError_ = false;
    int32_t key_ = 0;
    bool checkSpaceBeforeExpand_ = false;
};

// Adds `size` bytes to a data checksum (the wrapping 32-bit sum of the bytes).
uint32_t AddToChecksum(uint32_t sum, const uint8_t* data, size_t size);
// Moves a stream `count` bytes on (nothing for a count of 0 or less).
void SkipForward(common::Stream& stream, int64_t count);
// ASCII case-insensitive equality (only a..z match their capitals).
bool SameText(const std::string& a, const std::string& b);

}  // namespace zuv::archive
