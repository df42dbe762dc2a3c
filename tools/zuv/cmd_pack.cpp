// `zuv pack`: builds a segment set from files and folders, the inverse of `zuv extract`. The set
// is written as a stream (see pack.h): each file is read once, compressed straight into a
// temporary archive file, and the archives are cut into segments as they are copied out.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>

#include "archive/archive_writer.h"
#include "archive/segment_writer.h"
#include "codecs/codec.h"
#include "commands.h"
#include "common/routines.h"
#include "pack.h"
#include "stored_name.h"

namespace zuv::tool {

namespace {

namespace fs = std::filesystem;

// Files are read and copied in blocks of this size.
constexpr size_t kBlock = 64 * 1024;

// A failure already reported in its own words: what, where and the system's reason.
class PackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Reason() { return std::strerror(errno); }

#ifdef _WIN32
int SeekTo(std::FILE* f, int64_t at, int whence) { return _fseeki64(f, at, whence); }
int64_t Tell(std::FILE* f) { return _ftelli64(f); }
#else
int SeekTo(std::FILE* f, int64_t at, int whence) { return fseeko(f, off_t(at), whence); }
int64_t Tell(std::FILE* f) { return int64_t(ftello(f)); }
#endif

struct InputFile {
    fs::path path;
    std::string storedName;  // backslash separators
    uint64_t size = 0;
};

struct InputArchive {
    std::string templ;
    std::vector<InputFile> files;
};

// A stdio file as a codec stream; every failure names the file and the system's reason.
class StdioStream : public common::Stream {
public:
    StdioStream(const fs::path& path, const char* mode, const std::string& what) : name_(path.string()) {
        f_ = std::fopen(name_.c_str(), mode);
        if (!f_) throw PackError("cannot " + what + " \"" + name_ + "\": " + Reason());
    }
    ~StdioStream() override {
        if (f_) std::fclose(f_);
    }
    StdioStream(const StdioStream&) = delete;
    StdioStream& operator=(const StdioStream&) = delete;

    uint32_t Read(void* buffer, uint32_t count) override {
        size_t n = std::fread(buffer, 1, count, f_);
        if (n < count && std::ferror(f_)) throw PackError("cannot read \"" + name_ + "\": " + Reason());
        return uint32_t(n);
    }
    uint32_t Write(const void* buffer, uint32_t count) override {
        size_t n = std::fwrite(buffer, 1, count, f_);
        if (n < count) throw PackError("cannot write \"" + name_ + "\": " + Reason());
        return uint32_t(n);
    }
    bool Seek(uint64_t position) override { return SeekTo(f_, int64_t(position), SEEK_SET) == 0; }
    uint64_t Position() override { return uint64_t(Tell(f_)); }
    uint64_t Size() override {
        int64_t here = Tell(f_);
        SeekTo(f_, 0, SEEK_END);
        int64_t size = Tell(f_);
        SeekTo(f_, here, SEEK_SET);
        return uint64_t(size);
    }
    void Close() {
        std::FILE* f = f_;
        f_ = nullptr;
        if (std::fclose(f) != 0) throw PackError("cannot write \"" + name_ + "\": " + Reason());
    }
    const std::string& name() const { return name_; }

private:
    std::FILE* f_ = nullptr;
    std::string name_;
};

// Cuts the span stream into segment files as it comes: each segment is its 8-byte
// identification followed by up to `segmentSize - 8` span bytes; the last one may be shorter,
// and a set always has at least one segment.
class SegmentSink {
public:
    SegmentSink(std::string dir, std::string base, uint32_t segmentSize)
        : dir_(std::move(dir)), base_(std::move(base)), payload_(segmentSize - archive::kSegmentIdSize) {}

    void Write(const uint8_t* data, size_t size) {
        while (size > 0) {
            if (!file_ || left_ == 0) Next();
            size_t n = std::min(size, left_);
            file_->WriteAll(data, uint32_t(n));
            data += n;
            size -= n;
            left_ -= n;
        }
    }
    void Write(const std::vector<uint8_t>& data) { Write(data.data(), data.size()); }
    void Finish() {
        if (!file_) Next();
        file_->Close();
        file_.reset();
    }
    const std::vector<std::string>& paths() const { return paths_; }

private:
    void Next() {
        if (file_) file_->Close();
        const size_t number = paths_.size() + 1;
        if (number > 0xFFFF) throw PackError("more than 65535 segments: raise the segment size");
        fs::path path = fs::path(dir_) / archive::SegmentFileName(base_, uint16_t(number));
        paths_.push_back(path.string());
        file_ = std::make_unique<StdioStream>(path, "wb", "create");
        auto id = archive::SegmentIdRecord(uint16_t(number));
        file_->WriteAll(id.data(), uint32_t(id.size()));
        left_ = payload_;
    }

    std::string dir_, base_;
    size_t payload_;
    size_t left_ = 0;
    std::unique_ptr<StdioStream> file_;
    std::vector<std::string> paths_;
};

// The file's last-write time as a local DOS date/time, and its attributes.
void FileStamp(const fs::path& path, uint32_t& dosDateTime, uint16_t& attributes) {
    dosDateTime = archive::MakeDosDateTime(1980, 1, 1, 0, 0, 0);
    attributes = platform::kAttrArchive;
    struct stat st {};
    if (::stat(path.string().c_str(), &st) != 0) return;
    time_t when = st.st_mtime;
    struct tm local {};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    dosDateTime = archive::MakeDosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                           local.tm_min, local.tm_sec);
    if (!(st.st_mode & S_IWUSR)) attributes |= platform::kAttrReadOnly;
}

std::string Stored(const fs::path& relative) {
    std::string text = relative.generic_string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool ParseMethod(const std::string& text, uint8_t& method) {
    static const std::map<std::string, uint8_t> names = {
        {"none", archive::coNone}, {"rle", archive::coRLE}, {"lzh", archive::coLZH}, {"lh5", archive::coLZH5}};
    auto it = names.find(text);
    if (it == names.end()) return false;
    method = it->second;
    return true;
}

// One container archive written entry by entry into a temporary file. Each entry's header is
// written with zeros first and filled in once its data has gone out.
class ArchiveBuilder {
public:
    ArchiveBuilder(const fs::path& path, uint8_t method, int32_t key, bool best)
        : out_(path, "w+b", "create"), method_(method), key_(key), best_(best) {
        uint8_t zeros[archive::kArchiveHeaderSize] = {};
        out_.WriteAll(zeros, sizeof zeros);
    }

    // Adds `file`; returns its stored size.
    uint64_t Add(const InputFile& file) {
        if (file.size > uint64_t(INT32_MAX))
            throw PackError("cannot pack \"" + file.path.string() + "\": it is larger than 2 GB, the most an entry holds");
        total_ += file.size;
        if (total_ > uint64_t(INT32_MAX))
            throw PackError("cannot pack \"" + file.path.string() +
                            "\": its folder's archive would hold more than 2 GB; pack its subfolders one by one");
        const uint64_t headerAt = out_.Position();
        uint8_t raw[archive::kEntryHeaderSize] = {};
        out_.WriteAll(raw, sizeof raw);
        out_.WriteAll(file.storedName.data(), uint32_t(file.storedName.size()));
        const uint64_t dataAt = out_.Position();

        archive::EntryHeader header;
        uint16_t attributes = 0;
        FileStamp(file.path, header.DateTime, attributes);
        header.Attributes = int16_t(attributes);
        header.NameLength = int16_t(file.storedName.size());
        header.ExpandedSize = int32_t(file.size);
        header.Method = archive::coNone;
        uint32_t checksum = 0;
        uint64_t stored = 0;
        if (file.size > 0 && (method_ == archive::coRLE || method_ == archive::coLZH || method_ == archive::coLZH5)) {
            StdioStream source(file.path, "rb", "open");
            codecs::CodecHost host;
            host.BestCompression = best_;
            uint32_t sum = 0;
            try {
                int32_t n = codecs::RunCodec(host, out_, source, int32_t(file.size), int32_t(file.size), method_, sum,
                                             false, false);
                if (uint64_t(n) < file.size) {
                    header.Method = method_;
                    checksum = sum;
                    stored = uint64_t(n);
                }
            } catch (const archive::EUnableToCompress&) {
                // Stored as it is, below.
            }
        }
        if (header.Method == archive::coNone) {
            out_.Seek(dataAt);
            StdioStream source(file.path, "rb", "open");
            std::vector<uint8_t> block(kBlock);
            uint64_t left = file.size;
            while (left > 0) {
                uint32_t n = source.Read(block.data(), uint32_t(std::min<uint64_t>(left, kBlock)));
                if (n == 0) throw PackError("cannot read \"" + file.path.string() + "\": it became shorter while it was packed");
                checksum = archive::AddToChecksum(checksum, block.data(), n);
                out_.WriteAll(block.data(), n);
                left -= n;
            }
            stored = file.size;
        }
        if (key_ != 0) {
            checksum += uint32_t(key_);
            if (header.Method != archive::coNone) {
                // Codec data is masked with the key; stored data is locked only by its checksum.
                Mask(dataAt, stored);
                header.LockLevel = 2;
            } else {
                header.LockLevel = 1;
            }
        }
        header.Checksum = int32_t(checksum);
        header.CompressedSize = int32_t(stored);
        header.Encode(raw);
        out_.Seek(headerAt);
        out_.WriteAll(raw, sizeof raw);
        out_.Seek(dataAt + stored);
        return stored;
    }

    // Writes the archive header and returns the archive's size.
    uint64_t Finish() {
        const uint64_t size = out_.Position();
        archive::ArchiveHeader header;
        std::memcpy(header.CompressID, archive::kMethodIds[method_ < 5 ? method_ : 0], 3);
        header.ExpandedSize = int32_t(total_);
        header.LockLevel = key_ != 0 ? 2 : 0;
        uint8_t raw[archive::kArchiveHeaderSize];
        header.Encode(raw);
        out_.Seek(0);
        out_.WriteAll(raw, sizeof raw);
        out_.Close();
        return size;
    }

private:
    void Mask(uint64_t at, uint64_t size) {
        std::vector<uint8_t> block(kBlock);
        for (uint64_t done = 0; done < size;) {
            uint32_t n = uint32_t(std::min<uint64_t>(size - done, kBlock));
            out_.Seek(at + done);
            if (!out_.ReadAll(block.data(), n)) throw PackError("cannot read back \"" + out_.name() + "\"");
            for (uint32_t i = 0; i < n; ++i) block[i] ^= uint8_t(uint32_t(key_) >> (8 * ((done + i) % 4)));
            out_.Seek(at + done);
            out_.WriteAll(block.data(), n);
            done += n;
        }
    }

    StdioStream out_;
    uint8_t method_;
    int32_t key_;
    bool best_;
    uint64_t total_ = 0;
};

// "disk.001 to disk.006" or "disk.001": the segment files of a set with base `base` in `dir`.
std::vector<std::string> SegmentFilesIn(const std::string& dir, const std::string& base) {
    std::vector<std::string> found;
    std::error_code ec;
    const std::string prefix = common::Upper(base) + ".";
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::string upper = common::Upper(name);
        if (it->is_regular_file(ec) && upper.size() > prefix.size() + 2 && upper.compare(0, prefix.size(), prefix) == 0 &&
            upper.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
            found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string Span(const std::vector<std::string>& names) {
    if (names.size() == 1) return names.front();
    return names.front() + " to " + names.back();
}

}  // namespace

bool ParseSegmentSize(const std::string& text, int64_t& bytes) {
    static const std::map<std::string, int64_t> presets = {
        {"360K", 368640}, {"720K", 737280}, {"1.2M", 1228800}, {"1.44M", 1474560}, {"2.88M", 2949120}};
    std::string upper = common::Upper(text);
    auto preset = presets.find(upper);
    if (preset != presets.end()) {
        bytes = preset->second;
        return true;
    }
    if (upper.empty()) return false;
    double unit = 1;
    if (upper.back() == 'K') unit = 1024;
    if (upper.back() == 'M') unit = 1024 * 1024;
    if (unit != 1) upper.pop_back();
    if (upper.empty() || upper.find_first_not_of("0123456789.") != std::string::npos) return false;
    if (unit == 1 && upper.find('.') != std::string::npos) return false;
    char* end = nullptr;
    double value = std::strtod(upper.c_str(), &end);
    if (*end != '\0' || !(value > 0)) return false;
    double total = std::floor(value * unit);
    if (total < 1 || total > double(0x7FFFFFFF)) return false;
    bytes = int64_t(total);
    return true;
}

int TakePackOption(const std::vector<std::string>& args, size_t& i, PackOptions& options) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
        if (i + 1 >= args.size() || args[i + 1].empty()) return false;
        out = args[++i];
        return true;
    };
    std::string v;
    if (a == "-o") {
        if (!value(options.outDir)) return UsageError("-o needs a folder"), -1;
    } else if (a == "--base") {
        if (!value(options.base)) return UsageError("--base needs a name"), -1;
    } else if (a == "--segment-size") {
        if (!value(v) || !ParseSegmentSize(v, options.segmentSize))
            return UsageError("--segment-size needs a size: bytes, 700K, 100M or a floppy (360K, 720K, 1.2M, 1.44M, 2.88M)"),
                   -1;
    } else if (a == "--method") {
        if (!value(v) || !ParseMethod(v, options.method)) return UsageError("--method is none, rle, lzh or lh5"), -1;
    } else if (a == "--key") {
        if (!value(v) || !ParseKey(v, options.key)) return UsageError("--key needs a number"), -1;
    } else if (a == "--best") {
        options.best = true;
    } else if (a == "--force") {
        options.force = true;
    } else if (a == "-q" || a == "--quiet") {
        options.quiet = true;
    } else if (a == "-v" || a == "--verbose") {
        options.verbose = true;
    } else {
        return 0;
    }
    return 1;
}

int PackSet(const PackOptions& given, std::vector<std::string>* written) {
    PackOptions options = given;
    if (options.outDir.empty()) return UsageError("-o DIR is missing");
    if (options.inputs.empty()) return UsageError("nothing to pack");
    if (options.best && options.method != archive::coLZH5) return UsageError("--best goes with --method lh5 only");
    // Segments are at least 16384 bytes, as the reader's builders make them.
    if (options.segmentSize < 16384) options.segmentSize = 16384;
    std::string base = common::Lower(common::NamePart(options.base));
    if (base.empty() || base.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return UsageError("--base needs a plain file name");

    // One archive for the loose files (first), one per folder.
    std::vector<InputArchive> archives(1);
    archives[0].templ = "*.*";
    std::error_code ec;
    // Every name the set would not give back is reported before anything is written.
    int refused = 0;
    auto refuse = [&](const fs::path& path, const std::string& why) {
        Fail("cannot pack \"" + Printable(path.string()) + "\": " + why);
        ++refused;
    };
    auto sizeOf = [&](const fs::path& path) {
        std::error_code sizeError;
        uint64_t size = fs::file_size(path, sizeError);
        if (sizeError) refuse(path, sizeError.message());
        return size;
    };
    for (const auto& input : options.inputs) {
        fs::path p(input);
        if (fs::is_directory(p, ec)) {
            InputArchive arc;
            fs::path name = fs::absolute(p, ec).lexically_normal();
            if (!name.has_filename()) name = name.parent_path();
            arc.templ = name.filename().string() + "\\*.*";
            std::string why = NameProblem(name.filename().string(), false);
            if (!why.empty()) refuse(p, why);
            for (auto it = fs::recursive_directory_iterator(p, ec); !ec && it != fs::recursive_directory_iterator();
                 it.increment(ec)) {
                if (!it->is_regular_file(ec)) continue;
                const fs::path relative = fs::relative(it->path(), p);
                why = NameProblem(relative.generic_string());
                if (!why.empty()) refuse(it->path(), why);
                arc.files.push_back({it->path(), Stored(relative), sizeOf(it->path())});
            }
            if (ec) return Fail("cannot read folder \"" + input + "\": " + ec.message());
            std::sort(arc.files.begin(), arc.files.end(),
                      [](const InputFile& x, const InputFile& y) { return x.storedName < y.storedName; });
            archives.push_back(std::move(arc));
        } else if (fs::is_regular_file(p, ec)) {
            std::string why = NameProblem(p.filename().string());
            if (!why.empty()) refuse(p, why);
            archives[0].files.push_back({p, p.filename().string(), sizeOf(p)});
        } else {
            errno = ENOENT;
            struct stat st {};
            if (::stat(input.c_str(), &st) == 0) errno = EINVAL;
            return Fail("cannot open \"" + input + "\": " +
                        (errno == EINVAL ? std::string("not a file or folder") : Reason()));
        }
    }
    for (const auto& arc : archives) {
        std::vector<const InputFile*> seen;
        for (const auto& file : arc.files) {
            for (const auto* other : seen)
                if (archive::SameText(other->storedName, file.storedName))
                    refuse(file.path, "its name differs from \"" + other->path.string() +
                                          "\" only in case, and the setup's file system does not tell them apart");
            seen.push_back(&file);
        }
    }
    if (refused > 0) return Fail(std::to_string(refused) + " file(s) refused; nothing was written");
    if (archives[0].files.empty()) archives.erase(archives.begin());

    fs::create_directories(options.outDir, ec);
    if (!fs::is_directory(options.outDir, ec))
        return Fail("cannot create folder \"" + options.outDir + "\": " + (ec ? ec.message() : "not a folder"));
    // A folder that holds another set would ship its left-over segments beside the new ones.
    std::vector<std::string> old = SegmentFilesIn(options.outDir, base);
    if (!old.empty()) {
        if (!options.force)
            return Fail("\"" + options.outDir + "\" holds " + Span(old) +
                        " of another set; --force removes them before the new set is written");
        for (const auto& name : old) {
            if (!fs::remove(fs::path(options.outDir) / name, ec) || ec)
                return Fail("cannot remove \"" + (fs::path(options.outDir) / name).string() + "\": " + ec.message());
        }
        if (options.verbose) std::printf("removed %s of the earlier set\n", Span(old).c_str());
    }

    const fs::path work = fs::path(options.outDir) / ".zuv-pack.tmp";
    SegmentSink sink(options.outDir, base, uint32_t(options.segmentSize));
    size_t fileCount = 0;
    uint64_t totalBytes = 0, doneBytes = 0;
    for (const auto& arc : archives)
        for (const auto& file : arc.files) totalBytes += file.size;
    ProgressBar bar("packing");
    if (options.quiet) bar.Done();
    try {
        fs::remove_all(work, ec);
        fs::create_directories(work);
        std::vector<archive::SetArchive> set;  // catalogues only: Archive stays empty
        std::vector<uint64_t> sizes;
        for (size_t a = 0; a < archives.size(); ++a) {
            const auto& arc = archives[a];
            // Empty files go first: an archive stops expanding once its total size is reached.
            std::vector<const InputFile*> order;
            for (const auto& file : arc.files) order.push_back(&file);
            std::stable_partition(order.begin(), order.end(), [](const InputFile* f) { return f->size == 0; });
            ArchiveBuilder builder(work / std::to_string(a), options.method, options.key, options.best);
            archive::SetArchive out;
            out.Template = arc.templ;
            uint64_t arcTotal = 0;
            for (const InputFile* file : order) {
                arcTotal += file->size;
                uint64_t stored = builder.Add(*file);
                out.Files.push_back(file->storedName);
                doneBytes += file->size;
                if (options.verbose)
                    std::printf("  %s%s  %llu -> %llu\n", arc.templ == "*.*" ? "" : arc.templ.substr(0, arc.templ.size() - 3).c_str(),
                                file->storedName.c_str(), (unsigned long long)file->size, (unsigned long long)stored);
                if (!options.quiet)
                    bar.Show(int(totalBytes ? doneBytes * 100 / totalBytes : 100), file->storedName);
            }
            if (arcTotal == 0 && !arc.files.empty())
                    std::fprintf(stderr, "zuv: warning: %s holds only empty files, which are not expanded\n",
                                 arc.templ.c_str());
            sizes.push_back(builder.Finish());
            if (sizes.back() > 0x7FFFFFFFu) throw PackError("the archive of " + arc.templ + " is larger than 2 GB");
            fileCount += arc.files.size();
            set.push_back(std::move(out));
        }
        bar.Done();

        // The span stream: set header, catalogues, then the archives copied out of their files.
        if (set.size() > 0xFFFF) throw PackError("more than 65535 archives in one set");
        sink.Write(archive::SetHeaderRecord(uint16_t(set.size())));
        for (const auto& arc : set) {
            const int32_t recordLength = archive::CatalogueRecordLength(arc.Files);
            archive::TArchiveWriter catalogue(archive::coNone);
            catalogue.Add(archive::kCatalogueFileName, archive::CatalogueFile(arc.Files, recordLength));
            std::vector<uint8_t> bytes = catalogue.Bytes();
            sink.Write(archive::CatalogueEntryRecord(uint16_t(arc.Template.size()), arc.Flags, recordLength,
                                                     int32_t(bytes.size())));
            sink.Write(reinterpret_cast<const uint8_t*>(arc.Template.data()), arc.Template.size());
            sink.Write(bytes);
        }
        std::vector<uint8_t> block(kBlock);
        for (size_t a = 0; a < set.size(); ++a) {
            sink.Write(archive::ArchiveRecord(uint16_t(a), int32_t(sizes[a])));
            StdioStream in(work / std::to_string(a), "rb", "open");
            for (uint32_t n; (n = in.Read(block.data(), uint32_t(block.size()))) > 0;) sink.Write(block.data(), n);
        }
        sink.Finish();
        fs::remove_all(work, ec);
    } catch (const std::exception& e) {
        bar.Done();
        fs::remove_all(work, ec);
        for (const auto& path : sink.paths()) fs::remove(path, ec);
        std::string message = e.what();
        if (!sink.paths().empty()) message += "; the segments written were removed";
        return Fail(message);
    }
    if (written) *written = sink.paths();
    if (!options.quiet)
        std::printf("%zu files in %zu archives, %zu segments written to %s\n", fileCount, archives.size(),
                    sink.paths().size(), options.outDir.c_str());
    return kExitOk;
}

int PackCommand(const std::vector<std::string>& args) {
    PackOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        int taken = TakePackOption(args, i, options);
        if (taken < 0) return kExitUsage;
        if (taken > 0) continue;
        if (!args[i].empty() && args[i][0] == '-') return UsageError("unknown option " + args[i]);
        options.inputs.push_back(args[i]);
    }
    return PackSet(options);
}

}  // namespace zuv::tool
