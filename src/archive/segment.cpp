#include "archive/segment.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "archive/buffered_file.h"
#include "common/routines.h"

namespace zuv::archive {

namespace {

const char* const kAborted = "Operation aborted by user";
const char* const kOpenFailed = "Stream open failed";
const char* const kReadFailed = "Stream read failed";
const char* const kCorrect = "\n\rCorrect and then press OK, or Cancel to abort";

// The most a catalogue may hold: records (one per entry of its archive) and bytes.
constexpr int64_t kMaxCatalogueRecords = int64_t(1) << 20;
constexpr int64_t kMaxCatalogueBytes = int64_t(64) << 20;

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
int32_t Get32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

std::string DropOneBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// The text of a buffer up to its first NUL byte.
std::string UpToNul(const uint8_t* data, size_t size) {
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    return std::string(reinterpret_cast<const char*>(data), end ? size_t(end - data) : size);
}

// The directory part of a template: up to and including its last backslash or colon.
std::string TemplateDirectory(const std::string& text) {
    size_t at = text.find_last_of("\\:");
    return at == std::string::npos ? std::string() : text.substr(0, at + 1);
}

// Saves the container's five events and restores them when it goes out of scope.
class SavedHandlers {
public:
    explicit SavedHandlers(TCompress& c)
        : c_(c),
          compress_(c.OnCompress),
          expand_(c.OnExpand),
          check_(c.OnCheckFile),
          recognize_(c.OnRecognize),
          progress_(c.OnShowProgress) {}
    ~SavedHandlers() {
        c_.OnCompress = compress_;
        c_.OnExpand = expand_;
        c_.OnCheckFile = check_;
        c_.OnRecognize = recognize_;
        c_.OnShowProgress = progress_;
    }

private:
    TCompress& c_;
    TCompressEvent compress_;
    TExpandEvent expand_;
    TFilenameCheckEvent check_;
    TRecognizeEvent recognize_;
    TShowProgressEvent progress_;
};

}  // namespace

TSegCompress::TSegCompress(platform::Platform& platform) : TCompress(platform) {
    SetSegTmpDir("");
}

TSegCompress::~TSegCompress() = default;

void TSegCompress::SetSegBaseName(const std::string& value) {
    std::string name = common::Lower(common::NamePart(value));
    segBaseName_ = name.empty() ? "SegData" : name;
}

void TSegCompress::SetSegDir(const std::string& value) { segDir_ = value.empty() ? "a:\\" : common::Lower(value); }

void TSegCompress::SetSegTmpDir(const std::string& value) {
    std::string dir = value.empty() ? platform_.CurrentDirectory() : value;
    segTmpDir_ = common::Lower(DropOneBackslash(dir));
}

void TSegCompress::BuildSegmentName(const std::string& dir) {
    std::string ext = segExt_;
    if (ext.empty()) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03u", unsigned(SegNumber));
        ext = digits;
    }
    SegName = segBaseName_ + "." + ext;
    SegPath = DropOneBackslash(dir) + "\\" + SegName;
}

std::string TSegCompress::TemporaryName() const { return DropOneBackslash(segTmpDir_) + "\\" + segBaseName_ + ".$A$"; }

void TSegCompress::Abort() { throw ESegError(kAborted, ekAborted); }

bool TSegCompress::AskForSegment(TSegPrompt& prompt) {
    if (OnSegPrompt) OnSegPrompt(prompt);
    if (prompt.Answer == paAsk) {
        if (prompt.Kind == pkMountSegment) {
            std::string value = prompt.Directory;
            prompt.Answer = platform_.InputBox(prompt.Caption, prompt.Text, value) ? paOK : paCancel;
            prompt.Directory = value;
        } else {
            int answer = platform_.Ask(prompt.Text, prompt.Caption, platform::BoxIcon::kError, {"OK", "Cancel"});
            prompt.Answer = answer == 0 ? paOK : paCancel;  // Cancel, or the box closed without an answer
        }
    }
    return prompt.Answer == paOK;
}

void TSegCompress::CloseSegment() {
    segment_.reset();
    SegBytesLeft = 0;
}

void TSegCompress::PrepareSegment() {
    if (segPopUp_) {
        bool cancelled = false;
        for (;;) {
            TSegPrompt prompt;
            prompt.Kind = pkMountSegment;
            prompt.SegNumber = SegNumber;
            prompt.SegName = SegName;
            prompt.Directory = segDir_;
            prompt.Caption = "Mount Segment #" + std::to_string(SegNumber);
            prompt.Text = "Directory Path:";
            if (!AskForSegment(prompt)) {
                cancelled = true;
                break;
            }
            if (prompt.Directory.empty()) continue;
            segDir_ = prompt.Directory;  // as typed: the property's lower-casing does not apply here
            break;
        }
        platform_.ProcessMessages();  // the owner window repaints
        if (cancelled) {
            SegAbort = true;
            Abort();
        }
        BuildSegmentName(segDir_);
    }
    if (OnSegBefore) OnSegBefore(SegMode, SegName, SegNumber);
    if (SegAbort) Abort();
}

void TSegCompress::OpenSegment(uint16_t n) {
    SegNumber = n;
    BuildSegmentName(segDir_);
    for (;;) {
        PrepareSegment();
        TSegPrompt prompt;
        prompt.SegNumber = n;
        prompt.SegName = SegName;
        prompt.SegPath = SegPath;
        prompt.Caption = "Error";
        if (common::FileExists(platform_, SegPath)) {
            uint8_t id[kSegmentIdSize];
            {
                auto probe = platform_.Open(SegPath, platform::OpenMode::kReadExclusive);
                if (!probe || probe->Read(id, kSegmentIdSize) != kSegmentIdSize || std::memcmp(id, "SSeg", 4) != 0)
                    throw ESegError(kOpenFailed);
            }
            if (Get16(id + 6) == n) break;
            prompt.Kind = pkWrongSegment;
            prompt.FoundNumber = Get16(id + 6);
            prompt.Text = std::string("Incorrect segmented mounted!") + kCorrect;
        } else {
            prompt.Kind = pkSegmentMissing;
            prompt.Text = "Unable to locate \"" + SegName + "\" on this segment!" + kCorrect;
        }
        if (!AskForSegment(prompt)) {
            SegAbort = true;
            Abort();
        }
    }
    auto file = platform_.Open(SegPath, platform::OpenMode::kReadExclusive);
    if (!file) throw ESegError(kOpenFailed);
    segment_ = std::make_unique<BufferedFile>(std::move(file));
    SegBytesLeft = int64_t(segment_->Size());
}

void TSegCompress::ReadSegmentId() {
    uint8_t id[kSegmentIdSize];
    uint32_t got = segment_ ? segment_->Read(id, kSegmentIdSize) : 0;
    if (got < kSegmentIdSize || std::memcmp(id, "SSeg", 4) != 0) throw ESegError("Invalid Segment ID Header");
    SegBytesLeft -= got;
}

void TSegCompress::ReadSpan(uint8_t* buffer, uint32_t count) {
    uint32_t done = 0;
    while (done < count) {
        if (SegBytesLeft <= 0) {
            segment_.reset();
            if (OnSegAfter) OnSegAfter(SegMode, SegName, SegNumber);
            if (SegAbort) Abort();
            if (SegNumber == 0xFFFF) throw ESegError("Segment number out of range");
            OpenSegment(uint16_t(SegNumber + 1));
            ReadSegmentId();
            continue;
        }
        uint32_t chunk = uint32_t(std::min<int64_t>({int64_t(kSegBufferSize), int64_t(count - done), SegBytesLeft}));
        uint32_t got = segment_->Read(buffer + done, chunk);
        // A segment that yields nothing while bytes are still due (a disk error, a file that
        // shrank) ends the run rather than being asked again and again.
        if (got == 0) throw ESegError("Segment read failed: " + SegName + " ended early");
        done += got;
        SegBytesLeft -= got;
        platform_.ProcessMessages();
    }
}

uint16_t TSegCompress::ReadSetHeader() {
    uint8_t record[kSetHeaderSize] = {};
    ReadSpan(record, kSetHeaderSize);
    if (std::memcmp(record, "SHdr", 4) != 0) throw ESegError("Invalid Segment Header ID");
    return Get16(record + 6);
}

void TSegCompress::DiscardSpan(int32_t size) {
    int32_t left = size;
    while (left > 0) {
        uint32_t chunk = uint32_t(std::min<int32_t>(left, int32_t(kSegBufferSize)));
        ReadSpan(buffer_.data(), chunk);
        left -= int32_t(chunk);
    }
}

void TSegCompress::JoinIntoTemporary(int32_t size, bool progress) {
    TempArchivePath = TemporaryName();
    if (common::FileExists(platform_, TempArchivePath)) platform_.DeleteFile(TempArchivePath);
    auto created = platform_.Open(TempArchivePath, platform::OpenMode::kCreate);
    if (!created) throw ESegError(kOpenFailed);
    auto file = std::make_unique<BufferedFile>(std::move(created));
    try {
        int64_t copied = 0;
        while (copied < size) {
            // ReadSpan fills the whole chunk or fails, so the buffer needs no clearing first.
            uint32_t chunk = uint32_t(std::min<int64_t>(int64_t(size) - copied, kSegBufferSize));
            ReadSpan(buffer_.data(), chunk);
            if (file->Write(buffer_.data(), chunk) != chunk)
                throw common::EInOutError("Cannot write file " + TempArchivePath);
            copied += chunk;
            if (progress && OnSegShowProgress) OnSegShowProgress(int32_t(copied * 100 / size));
        }
        if (!file->Flush()) throw common::EInOutError("Cannot write file " + TempArchivePath);
    } catch (...) {
        file.reset();
        platform_.DeleteFile(TempArchivePath);
        throw;
    }
}

void TSegCompress::ReadCatalogueEntry(TSegArc& arc) {
    uint8_t record[kCatalogueEntrySize] = {};
    ReadSpan(record, kCatalogueEntrySize);
    if (std::memcmp(record, "Scan", 4) != 0) throw ESegError("Invalid Scan ID Header");
    const uint16_t templateLength = Get16(record + 6);
    const uint8_t flags = record[8];
    const int32_t recordLength = Get32(record + 9);
    const int32_t catalogueSize = Get32(record + 13);
    // Lengths read from a set are checked before they are used.
    if (templateLength >= kSegBufferSize) throw ESegError("Invalid template length");
    if (recordLength < 1 || recordLength >= int32_t(kSegBufferSize)) throw ESegError("Invalid catalogue record length");

    std::fill(buffer_.begin(), buffer_.end(), 0);
    ReadSpan(buffer_.data(), templateLength);
    arc.Template = UpToNul(buffer_.data(), templateLength);
    arc.TemplatePath = TemplateDirectory(arc.Template);
    arc.ArcFlags = flags;
    arc.Files.clear();

    JoinIntoTemporary(catalogueSize, false);

    // A catalogue holds one record per entry of its archive. The bounds are far beyond any
    // genuine set and keep a hostile catalogue (a small archive that expands to gigabytes
    // of empty records) from filling the disk and the memory before it is refused. Every
    // entry of the catalogue archive is held to them: any of them may turn out to be the
    // catalogue.
    auto checkSize = [&](int64_t size) {
        const int64_t records = (size + recordLength - 1) / recordLength;
        if (size > kMaxCatalogueBytes || records > kMaxCatalogueRecords)
            throw ESegError("Catalogue of " + arc.Template + " too large: " + std::to_string(size) +
                            " bytes in records of " + std::to_string(recordLength));
    };

    const std::string tmpDir = DropOneBackslash(segTmpDir_) + "\\";
    const std::string oldTarget = TargetPath();
    SetTargetPath(tmpDir);
    // The catalogue archive's entries stay in the temporary directory whatever they are
    // named. The first of them is the catalogue: a later entry that would land on the same
    // file is passed over, so that what is read is the catalogue.
    std::string catalogueTarget;
    OnCheckFile = [&](std::string& path, TCProcessMode) {
        std::string name = common::NamePart(path);
        path = (name.empty() || name == "." || name == "..") ? std::string() : tmpDir + name;
        if (SameText(path, TempArchivePath)) path.clear();  // never over the archive being read
        if (path.empty()) return;
        if (catalogueTarget.empty())
            catalogueTarget = path;
        else if (SameText(path, catalogueTarget))
            path.clear();
    };
    std::vector<std::string> written;
    try {
        TArchiveList listing;
        ListArchiveFile(TempArchivePath, listing);
        for (const auto& entry : listing) {
            checkSize(entry.Info.ExpandedSize);
            written.push_back(entry.Name);
        }
        ExpandArchiveFile(TempArchivePath, &written);
    } catch (...) {
        SetTargetPath(oldTarget);
        platform_.DeleteFile(TempArchivePath);
        throw;
    }
    SetTargetPath(oldTarget);
    platform_.DeleteFile(TempArchivePath);
    if (written.empty()) throw ESegError("Catalogue archive holds no catalogue");
    CataloguePath = written.front();
    // Only the first file is the catalogue; anything else it carried is not kept.
    for (size_t i = 1; i < written.size(); ++i)
        if (!SameText(written[i], CataloguePath)) platform_.DeleteFile(written[i]);

    auto opened = platform_.Open(CataloguePath, platform::OpenMode::kReadShared);
    if (!opened) {
        platform_.DeleteFile(CataloguePath);
        throw ESegError(kOpenFailed);
    }
    auto catalogue = std::make_unique<BufferedFile>(std::move(opened));
    uint64_t left = catalogue->Size();
    try {
        // The codecs may write a little more than an entry's expanded size (a last match
        // is written whole), and a run-length entry as much as its data gives.
        checkSize(int64_t(std::min<uint64_t>(left, uint64_t(INT64_MAX))));
    } catch (...) {
        catalogue.reset();
        platform_.DeleteFile(CataloguePath);
        throw;
    }
    while (left > 0) {
        std::fill(buffer_.begin(), buffer_.end(), 0);
        uint32_t chunk = uint32_t(std::min<uint64_t>(uint64_t(recordLength), left));
        if (catalogue->Read(buffer_.data(), chunk) != chunk) {
            catalogue.reset();
            platform_.DeleteFile(CataloguePath);
            throw ESegError(kReadFailed);
        }
        std::string line = UpToNul(buffer_.data(), chunk);
        size_t end = line.find_last_not_of(' ');
        line.erase(end == std::string::npos ? 0 : end + 1);
        arc.Files.push_back(line);
        left -= chunk;
    }
    catalogue.reset();
    platform_.DeleteFile(CataloguePath);
}

void TSegCompress::ExtractArchive(TSegArc& arc) {
    TSegArcHeader header;
    for (;;) {
        std::memset(header.Raw, 0, sizeof header.Raw);
        ReadSpan(header.Raw, kArchiveRecordSize);
        if (std::memcmp(header.Raw, "SArc", 4) != 0) throw ESegError("Invalid Archive ID Header");
        if (header.SequenceNumber() > arc.Index) throw ESegError("Invalid Archive sequence number");
        if (header.SequenceNumber() == arc.Index) break;
        DiscardSpan(header.DataSize());  // an archive the host took off the list
    }
    JoinIntoTemporary(header.DataSize(), true);
    SetMakeDirectories(true);
    SetTargetPath(arc.TemplatePath);
    try {
        ExpandArchiveFile(TempArchivePath, &arc.Files);
    } catch (...) {
        platform_.DeleteFile(TempArchivePath);
        throw;
    }
    if (OnSegAfterArchive) OnSegAfterArchive(header, arc.Template);
    // The temporary archive goes before the run stops.
    platform_.DeleteFile(TempArchivePath);
    if (SegAbort) Abort();
}

void TSegCompress::ExpandSegmentSet(TSegArcList& ArcList) {
    SegAbort = false;
    SegMode = smExpand;
    buffer_.assign(kSegBufferSize, 0);
    struct RunEnd {
        TSegCompress& self;
        ~RunEnd() {
            self.CloseSegment();
            std::vector<uint8_t>().swap(self.buffer_);
        }
    } runEnd{*this};
    try {
        common::CreateDirPath(platform_, segTmpDir_);
    } catch (const std::exception&) {
        // Reported when the first temporary archive cannot be created.
    }
    ArcList.clear();

    OpenSegment(1);
    ReadSegmentId();
    const uint16_t count = ReadSetHeader();
    {
        SavedHandlers saved(*this);
        OnCompress = nullptr;
        OnExpand = nullptr;
        OnRecognize = [](const std::string&, bool&) {};
        OnShowProgress = [](int32_t&) {};
        for (uint32_t i = 0; i < count; ++i) {
            TSegArc arc;
            ReadCatalogueEntry(arc);
            arc.Index = uint16_t(i);
            ArcList.push_back(std::move(arc));
        }
    }
    if (OnSegBeforeExpand) OnSegBeforeExpand(ArcList);
    if (SegAbort) Abort();
    const size_t archives = ArcList.size();
    for (size_t i = 0; i < archives && i < ArcList.size(); ++i) ExtractArchive(ArcList[i]);
}

void TSegCompEZ::ExpandSet() {
    SetTargetPath("");
    ExpandSegmentSet(ArcList);
    segSource_.clear();
    for (const auto& arc : ArcList) segSource_.push_back(arc.Template);
    SetTargetPath("");
}

}  // namespace zuv::archive
