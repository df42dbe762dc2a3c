// TSegCompress reads segment sets: numbered segment files that together carry one span
// stream (a set header, one catalogue entry per archive, then the archives). Each archive is
// joined into a temporary file and expanded with the container reader. TSegCompEZ is the
// one-call front end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/compress.h"
#include "common/exception.h"

namespace zuv::archive {

// What a run is doing; the reader sets smExpand.
enum TSegMode : uint8_t { smIdle = 0, smExpand = 1 };
enum TBuildMode : uint8_t { bmFlat = 0, bmRecursive = 1 };

constexpr uint32_t kSegmentIdSize = 8;
constexpr uint32_t kSetHeaderSize = 21;
constexpr uint32_t kCatalogueEntrySize = 17;
constexpr uint32_t kArchiveRecordSize = 16;
constexpr uint32_t kSegBufferSize = 8192;

// The 16-byte archive record as it stands in the span stream.
struct TSegArcHeader {
    uint8_t Raw[kArchiveRecordSize] = {};
    uint16_t SequenceNumber() const { return uint16_t(Raw[6] | (Raw[7] << 8)); }
    int32_t DataSize() const {
        return int32_t(uint32_t(Raw[12]) | (uint32_t(Raw[13]) << 8) | (uint32_t(Raw[14]) << 16) |
                       (uint32_t(Raw[15]) << 24));
    }
};

// One archive of a set.
struct TSegArc {
    std::string Template;
    std::string TemplatePath;
    uint16_t Index = 0;
    uint8_t ArcFlags = 0;
    std::vector<std::string> Files;
};
using TSegArcList = std::vector<TSegArc>;

// Why a run of the reader failed, for hosts that react to the cause rather than the text.
enum TSegErrorKind : uint8_t {
    ekFailed = 0,   // the set, a segment or a temporary file is unusable
    ekAborted = 1,  // Cancel in a segment prompt, or SegAbort set by a handler
};

// Every failure of the segment reader itself.
class ESegError : public common::Exception {
public:
    explicit ESegError(const std::string& text, TSegErrorKind kind = ekFailed)
        : common::Exception("(TSegCompress) " + text), Kind(kind) {}
    TSegErrorKind Kind;
};

// The questions the reader asks while it looks for a segment.
enum TSegPromptKind : uint8_t {
    pkMountSegment = 0,    // SegPopUp: the folder that holds the segment (an input box)
    pkSegmentMissing = 1,  // no file SegPath: OK looks again, Cancel aborts
    pkWrongSegment = 2,    // SegPath carries segment FoundNumber instead: OK looks again, Cancel aborts
};

// How the host answered a prompt; paAsk leaves the question to the reader's own box.
enum TSegPromptAnswer : uint8_t { paAsk = 0, paOK = 1, paCancel = 2 };

// One prompt, raised through OnSegPrompt before the reader shows its box. A handler that
// sets Answer to paOK or paCancel answers it instead of the box; for pkMountSegment, paOK takes
// Directory as the folder typed (an empty one asks again, as an empty line in the box does).
struct TSegPrompt {
    TSegPromptKind Kind = pkSegmentMissing;
    uint16_t SegNumber = 0;    // the segment wanted
    std::string SegName;       // its file name ("disk.002")
    std::string SegPath;       // where it was looked for (empty for pkMountSegment)
    uint16_t FoundNumber = 0;  // pkWrongSegment: the number the file there carries
    std::string Directory;     // pkMountSegment: the folder offered, and the answer
    std::string Caption;       // what the reader's own box shows
    std::string Text;
    TSegPromptAnswer Answer = paAsk;
};

using TSegBeforeEvent = std::function<void(TSegMode SegMode, const std::string& SegName, uint16_t SegNumber)>;
using TSegAfterEvent = std::function<void(TSegMode SegMode, const std::string& SegName, uint16_t SegNumber)>;
using TSegBeforeExpandEvent = std::function<void(TSegArcList& SegArcList)>;
using TSegAfterArchiveEvent = std::function<void(TSegArcHeader SegArcHdr, const std::string& Template)>;
using TSegShowProgressEvent = std::function<void(int32_t PercentageDone)>;
using TSegPromptEvent = std::function<void(TSegPrompt& Prompt)>;

class TSegCompress : public TCompress {
public:
    explicit TSegCompress(platform::Platform& platform);
    ~TSegCompress() override;

    // ---- published properties ----------------------------------------------------------
    const std::string& SegBaseName() const { return segBaseName_; }
    void SetSegBaseName(const std::string& value);
    const std::string& SegDir() const { return segDir_; }
    void SetSegDir(const std::string& value);
    const std::string& SegExt() const { return segExt_; }
    void SetSegExt(const std::string& value) { segExt_ = value.substr(0, 3); }
    bool SegPopUp() const { return segPopUp_; }
    void SetSegPopUp(bool value) { segPopUp_ = value; }
    int32_t SegSize() const { return segSize_; }
    void SetSegSize(int32_t value) { segSize_ = value < 16384 ? 16384 : value; }
    const std::string& SegTmpDir() const { return segTmpDir_; }
    void SetSegTmpDir(const std::string& value);

    TSegBeforeEvent OnSegBefore;
    TSegAfterEvent OnSegAfter;
    TSegBeforeExpandEvent OnSegBeforeExpand;
    TSegAfterArchiveEvent OnSegAfterArchive;
    TSegShowProgressEvent OnSegShowProgress;
    // Raised before each segment prompt; see TSegPrompt.
    TSegPromptEvent OnSegPrompt;

    // ---- run state (the host may read it and may set SegAbort) --------------------------
    uint16_t SegNumber = 0;
    std::string SegName;
    std::string SegPath;
    TSegMode SegMode = smIdle;
    bool SegAbort = false;
    int64_t SegBytesLeft = 0;
    std::string TempArchivePath;
    std::string CataloguePath;

    // The expand run: fills `ArcList` with one TSegArc per archive of the set.
    void ExpandSegmentSet(TSegArcList& ArcList);

    // Sets SegName and SegPath for SegNumber below `dir`.
    void BuildSegmentName(const std::string& dir);

protected:
    void OpenSegment(uint16_t n);
    void PrepareSegment();
    void ReadSpan(uint8_t* buffer, uint32_t count);
    void ReadSegmentId();
    uint16_t ReadSetHeader();
    void ReadCatalogueEntry(TSegArc& arc);
    void ExtractArchive(TSegArc& arc);
    void CloseSegment();

private:
    std::string segBaseName_ = "SegData";
    std::string segDir_ = "a:\\";
    std::string segExt_;
    bool segPopUp_ = true;
    int32_t segSize_ = 1440000;
    std::string segTmpDir_;

    std::unique_ptr<platform::File> segment_;
    std::vector<uint8_t> buffer_;

    // Copies `size` span bytes into a new temporary archive at TempArchivePath, reporting
    // progress when asked to.
    void JoinIntoTemporary(int32_t size, bool progress);
    void DiscardSpan(int32_t size);
    [[noreturn]] void Abort();
    // Raises OnSegPrompt and, unless the handler answered, shows the reader's own box;
    // true for OK.
    bool AskForSegment(TSegPrompt& prompt);
    std::string TemporaryName() const;
};

class TSegCompEZ : public TSegCompress {
public:
    explicit TSegCompEZ(platform::Platform& platform) : TSegCompress(platform) {}

    TBuildMode SegBuildMode = bmRecursive;
    TCompressionMethod SegCompType = coLZH;
    bool SegMultiArc = false;
    const std::vector<std::string>& SegSource() const { return segSource_; }
    void SetSegSource(const std::vector<std::string>& lines) { segSource_ = lines; }

    // The archives of the last run.
    TSegArcList ArcList;

    // Expands the whole set; afterwards SegSource holds every archive's template.
    void ExpandSet();

private:
    std::vector<std::string> segSource_;
};

}  // namespace zuv::archive
