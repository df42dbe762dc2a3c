// `zuv extract`: writes what a set or an archive holds below a folder, never outside it. Each
// entry is expanded into a new file beside its target and put in place only when it is sound;
// a failed entry is removed, named with its archive and offset, and the next one follows.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "archive/segment.h"
#include "commands.h"
#include "common/routines.h"
#include "entry_walker.h"

namespace zuv::tool {

namespace {

namespace fs = std::filesystem;

enum class Existing { kRefuseDifferent, kOverwrite, kSkip };

// A stored path that stays below the folder it is expanded into: not rooted, no drive, no
// ".." component, no colon anywhere (alternate data streams), no NUL byte (the system would
// cut the name there).
bool SafeRelative(const std::string& path) {
    if (path.empty() || path[0] == '\\' || path[0] == '/') return false;
    if (path.find(':') != std::string::npos || path.find('\0') != std::string::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") return false;
        start = end + 1;
    }
    return true;
}

// `*` and `?` over the text, case-insensitive as the setup's file system is.
bool WildMatch(const std::string& pattern, const std::string& text) {
    size_t p = 0, t = 0, star = std::string::npos, mark = 0;
    auto same = [](char a, char b) { return std::toupper((unsigned char)a) == std::toupper((unsigned char)b); };
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool SameContents(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y) return false;
    std::vector<char> bx(65536), by(65536);
    for (;;) {
        x.read(bx.data(), std::streamsize(bx.size()));
        y.read(by.data(), std::streamsize(by.size()));
        if (x.gcount() != y.gcount()) return false;
        if (x.gcount() == 0) return true;
        if (!std::equal(bx.begin(), bx.begin() + x.gcount(), by.begin())) return false;
    }
}

struct ExtractOptions {
    std::string dir = ".";
    int32_t key = 0;
    bool flat = false;
    Existing existing = Existing::kRefuseDifferent;
    bool stop = false;
    bool quiet = false;
    bool verbose = false;
    std::vector<std::string> patterns;  // names or wildcards; empty: every entry
};

// Thrown to end the run at the first failure (--stop); the failure was reported already.
struct StopRun : std::runtime_error {
    StopRun() : std::runtime_error("stopped") {}
};

class Extraction {
public:
    Extraction(platform::Platform& platform, const ExtractOptions& options)
        : platform_(platform), options_(options), matched_(options.patterns.size(), false) {}

    // Expands the archive at `path`. `targetPath` is the folder the archive's names are below
    // (a set's template folder), `where` names the archive in messages, `catalogue` (when not
    // null) the entries the set expands.
    void Run(const std::string& path, const std::string& targetPath, const std::string& where,
             const std::vector<std::string>* catalogue) {
        EntryWalker walker(platform_);
        walker.SetKey(options_.key);
        std::unique_ptr<common::FileStream> output;
        fs::path target, partial;
        walker.Walk(
            path, true,
            [&](const EntryWalker::Entry& entry) -> common::Stream* {
                if (catalogue && std::none_of(catalogue->begin(), catalogue->end(), [&](const std::string& line) {
                        return archive::SameText(line, entry.name);
                    }))
                    return nullptr;
                if (!Selected(entry.name)) return nullptr;
                std::string relative;
                if (!Place(entry.name, targetPath, relative)) return nullptr;
                std::string host = relative;
                std::replace(host.begin(), host.end(), '\\', '/');
                target = fs::path(options_.dir) / host;
                std::error_code ec;
                if (fs::exists(target, ec) && options_.existing == Existing::kSkip) {
                    if (options_.verbose) std::printf("kept %s (it exists)\n", target.string().c_str());
                    ++kept_;
                    return nullptr;
                }
                fs::create_directories(target.parent_path(), ec);
                partial = target;
                partial += ".zuv-partial";
                auto file = platform_.Open(partial.string(), platform::OpenMode::kCreate);
                if (!file) {
                    Failed("cannot create \"" + partial.string() + "\": " + std::strerror(errno));
                    return nullptr;
                }
                output = std::make_unique<common::FileStream>(std::move(file), partial.string());
                return output.get();
            },
            [&](const EntryWalker::Entry& entry, const EntryWalker::Failure* failure) {
                std::error_code ec;
                if (failure) {
                    output.reset();
                    fs::remove(partial, ec);
                    Failed("cannot extract \"" + entry.name + "\" (" + where + ", entry at offset " +
                           std::to_string(entry.offset) + "): " + failure->what + "; the partial file was removed");
                    return;
                }
                output->file().SetDosDateTime(entry.header.DateTime);
                output.reset();
                Finish(entry, target, partial);
            });
    }

    // Reports the names given that matched no entry; true when there were such names.
    bool ReportUnmatched() const {
        bool any = false;
        for (size_t i = 0; i < matched_.size(); ++i)
            if (!matched_[i]) {
                Fail("no entry matches \"" + options_.patterns[i] + "\"");
                any = true;
            }
        return any;
    }
    int failures() const { return failures_; }
    int written() const { return written_; }
    int unchanged() const { return unchanged_; }
    int kept() const { return kept_; }

private:
    bool Selected(const std::string& name) {
        if (options_.patterns.empty()) return true;
        bool any = false;
        for (size_t i = 0; i < options_.patterns.size(); ++i) {
            std::string pattern = options_.patterns[i];
            std::replace(pattern.begin(), pattern.end(), '/', '\\');
            // A pattern with a folder part matches the whole stored name, one without it the name part.
            const bool whole = pattern.find('\\') != std::string::npos;
            if (WildMatch(pattern, whole ? name : common::NamePart(name))) {
                matched_[i] = true;
                any = true;
            }
        }
        return any;
    }

    // The path below the folder that the entry goes to; false (with a message) when the
    // stored name would leave the folder.
    bool Place(const std::string& name, const std::string& targetPath, std::string& relative) {
        std::string prefix;
        // The archive's own folder is kept when it is a relative one; a rooted or drive folder
        // (as written by other builders) is dropped.
        if (SafeRelative(targetPath)) prefix = targetPath;
        relative = prefix + name;
        if (options_.flat) relative = common::NamePart(relative);
        if (!SafeRelative(name) || !SafeRelative(relative) || relative.back() == '\\' || relative.back() == '/') {
            std::fprintf(stderr, "zuv: refused %s: it would be written outside %s\n", name.c_str(),
                         options_.dir.c_str());
            ++refused_;
            ++failures_;
            return false;
        }
        return true;
    }

    void Finish(const EntryWalker::Entry& entry, const fs::path& target, const fs::path& partial) {
        std::error_code ec;
        if (fs::exists(target, ec)) {
            if (SameContents(target, partial)) {
                fs::remove(partial, ec);
                ++unchanged_;
                if (options_.verbose) std::printf("unchanged %s\n", target.string().c_str());
                return;
            }
            if (options_.existing != Existing::kOverwrite) {
                fs::remove(partial, ec);
                Failed("\"" + target.string() +
                       "\" exists and differs from the entry; it was left as it is (--overwrite replaces it, "
                       "--skip-existing keeps existing files without a word)");
                return;
            }
            // A read-only file is replaced as well when --overwrite says so.
            platform_.SetAttributes(target.string(), platform::kAttrArchive);
        }
        fs::rename(partial, target, ec);
        if (ec) {
            fs::remove(partial, ec);
            Failed("cannot write \"" + target.string() + "\": " + ec.message());
            return;
        }
        platform_.SetAttributes(target.string(), uint16_t(entry.header.Attributes));
        ++written_;
        if (options_.verbose) std::printf("%s\n", target.string().c_str());
    }

    void Failed(const std::string& message) {
        Fail(message);
        ++failures_;
        if (options_.stop) throw StopRun();
    }

    platform::Platform& platform_;
    const ExtractOptions& options_;
    std::vector<bool> matched_;
    int failures_ = 0, refused_ = 0, written_ = 0, unchanged_ = 0, kept_ = 0;
};

}  // namespace

int ExtractCommand(const std::vector<std::string>& args) {
    std::string path;
    ExtractOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-d") {
            if (i + 1 >= args.size()) return UsageError("-d needs a folder");
            options.dir = args[++i];
        } else if (a == "--key") {
            if (i + 1 >= args.size() || !ParseKey(args[i + 1], options.key)) return UsageError("--key needs a number");
            ++i;
        } else if (a == "--flat") {
            options.flat = true;
        } else if (a == "--overwrite") {
            options.existing = Existing::kOverwrite;
        } else if (a == "--skip-existing") {
            options.existing = Existing::kSkip;
        } else if (a == "--stop") {
            options.stop = true;
        } else if (a == "--keep-going") {
            options.stop = false;
        } else if (a == "-q" || a == "--quiet") {
            options.quiet = true;
        } else if (a == "-v" || a == "--verbose") {
            options.verbose = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            options.patterns.push_back(a);
        }
    }
    if (path.empty()) return UsageError("PATH is missing");
    if (options.dir.empty()) return UsageError("-d needs a folder");
    Source source;
    std::string error;
    if (!ResolveSource(path, source, error)) return Fail(error);
    std::error_code ec;
    std::filesystem::create_directories(options.dir, ec);
    if (!std::filesystem::is_directory(options.dir, ec))
        return Fail("cannot create folder \"" + options.dir + "\": " + (ec ? ec.message() : "not a folder"));

    auto platform = MakeToolPlatform();
    Extraction extraction(*platform, options);
    ProgressBar bar("extracting");
    int status = kExitOk;
    if (!source.isSet) {
        try {
            extraction.Run(source.path, "", "archive \"" + source.path + "\"", nullptr);
        } catch (const StopRun&) {
        } catch (const std::exception& e) {
            bar.Done();
            status = ReportFailure(e);
        }
    } else {
        archive::TSegArcList catalogues;
        status = RunSet(*platform, source, options.key, [&](archive::TSegCompEZ& reader) {
            // The reader joins each archive and writes nothing; the entries are expanded here,
            // one at a time.
            reader.OnSegBeforeExpand = [&](archive::TSegArcList& archives) { catalogues = archives; };
            reader.OnCheckFile = [](std::string& target, archive::TCProcessMode) { target.clear(); };
            reader.OnSegShowProgress = [&](int32_t percent) {
                if (!options.quiet) bar.Show(percent);
            };
            reader.OnSegAfterArchive = [&](archive::TSegArcHeader header, const std::string& templ) {
                const archive::TSegArc* arc = nullptr;
                for (const auto& a : catalogues)
                    if (a.Index == header.SequenceNumber()) arc = &a;
                try {
                    extraction.Run(reader.TempArchivePath, reader.TargetPath(),
                                   "archive " + std::to_string(header.SequenceNumber() + 1) + ", " + templ,
                                   arc ? &arc->Files : nullptr);
                } catch (const StopRun&) {
                    throw AlreadyReported();
                }
            };
        });
    }
    bar.Done();
    if (status != kExitOk) return status;
    bool unmatched = extraction.ReportUnmatched();
    if (options.verbose || (!options.quiet && extraction.failures() > 0))
        std::printf("%d written, %d unchanged, %d kept, %d failed\n", extraction.written(), extraction.unchanged(),
                    extraction.kept(), extraction.failures());
    if (extraction.failures() > 0 || unmatched) return kExitBadData;
    return kExitOk;
}

}  // namespace zuv::tool
