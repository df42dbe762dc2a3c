// `zuv extract`: writes what a set or an archive holds below a folder, never outside it.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "archive/compress.h"
#include "archive/segment.h"
#include "commands.h"
#include "common/routines.h"

namespace zuv::tool {

namespace {

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

class Extractor {
public:
    Extractor(std::string dir, bool flat) : dir_(std::move(dir)), flat_(flat) {}

    // Turns the reader's target into a path below the folder, or "" (pass over) with a message.
    void Check(std::string& target, const std::string& targetPath) {
        std::string name = target;
        std::string prefix;
        if (!targetPath.empty() && target.compare(0, targetPath.size(), targetPath) == 0) {
            name = target.substr(targetPath.size());
            // The archive's own folder is kept when it is a relative one; a rooted or drive
            // folder (as written by other builders) is dropped.
            if (SafeRelative(targetPath)) prefix = targetPath;
        }
        std::string relative = prefix + name;
        if (flat_) relative = common::NamePart(relative);
        if (!SafeRelative(name) || !SafeRelative(relative) || relative.back() == '\\' || relative.back() == '/') {
            std::fprintf(stderr, "zuv: refused %s: it would be written outside %s\n", name.c_str(), dir_.c_str());
            ++refused_;
            target.clear();
            return;
        }
        target = common::JoinPath(dir_, relative);
        ++written_;
    }
    int refused() const { return refused_; }
    int written() const { return written_; }

private:
    std::string dir_;
    bool flat_;
    int refused_ = 0;
    int written_ = 0;
};

}  // namespace

int ExtractCommand(const std::vector<std::string>& args) {
    std::string path, dir = ".";
    int32_t key = 0;
    bool flat = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-d") {
            if (i + 1 >= args.size()) return UsageError("-d needs a folder");
            dir = args[++i];
        } else if (a == "--key") {
            if (i + 1 >= args.size() || !ParseKey(args[i + 1], key)) return UsageError("--key needs a number");
            ++i;
        } else if (a == "--flat") {
            flat = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            return UsageError("more than one PATH given");
        }
    }
    if (path.empty()) return UsageError("PATH is missing");
    if (dir.empty()) return UsageError("-d needs a folder");
    Source source;
    std::string error;
    if (!ResolveSource(path, source, error)) return Fail(error);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) return Fail("cannot create folder " + dir);

    auto platform = MakeToolPlatform();
    Extractor extractor(dir, flat);
    ProgressBar bar("extracting");
    int status = kExitOk;
    if (!source.isSet) {
        try {
            archive::TCompress reader(*platform);
            reader.SetKey(key);
            reader.SetMakeDirectories(true);
            reader.SetExceptionOnFileError(true);
            archive::TArchiveList entries;
            reader.ListArchiveFile(source.path, entries);
            size_t done = 0;
            reader.OnCheckFile = [&](std::string& target, archive::TCProcessMode) {
                extractor.Check(target, reader.TargetPath());
                bar.Show(int(++done * 100 / std::max<size_t>(1, entries.size())), common::NamePart(target));
            };
            reader.ExpandArchiveFile(source.path, nullptr);
        } catch (const std::exception& e) {
            bar.Done();
            return ReportFailure(e);
        }
    } else {
        status = RunSet(*platform, source, key, [&](archive::TSegCompEZ& reader) {
            reader.OnCheckFile = [&](std::string& target, archive::TCProcessMode) {
                extractor.Check(target, reader.TargetPath());
            };
            reader.OnSegShowProgress = [&](int32_t percent) { bar.Show(percent); };
        });
    }
    bar.Done();
    if (status != kExitOk) return status;
    if (extractor.refused() > 0) return Fail(std::to_string(extractor.refused()) + " file(s) refused");
    return kExitOk;
}

}  // namespace zuv::tool
