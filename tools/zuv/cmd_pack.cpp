// `zuv pack`: builds a segment set from files and folders, the inverse of `zuv extract`.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>

#include "archive/archive_writer.h"
#include "archive/segment_writer.h"
#include "commands.h"
#include "common/routines.h"
#include "stored_name.h"

namespace zuv::tool {

namespace {

namespace fs = std::filesystem;

struct InputFile {
    fs::path path;
    std::string storedName;  // backslash separators
};

struct InputArchive {
    std::string templ;
    std::vector<InputFile> files;
};

bool ReadWhole(const fs::path& path, std::vector<uint8_t>& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

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

}  // namespace

int PackCommand(const std::vector<std::string>& args) {
    std::string outDir, base = "disk";
    int64_t segmentSize = 1440000;
    uint8_t method = archive::coLZH5;
    int32_t key = 0;
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what, std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return !out.empty() || std::string(what).empty();
        };
        std::string v;
        if (a == "-o") {
            if (!value("-o", outDir)) return UsageError("-o needs a folder");
        } else if (a == "--base") {
            if (!value("--base", base)) return UsageError("--base needs a name");
        } else if (a == "--segment-size") {
            if (!value("--segment-size", v)) return UsageError("--segment-size needs a byte count");
            char* end = nullptr;
            segmentSize = std::strtoll(v.c_str(), &end, 10);
            if (*end != '\0' || segmentSize <= 0 || segmentSize > 0x7FFFFFFF)
                return UsageError("--segment-size needs a byte count");
        } else if (a == "--method") {
            if (!value("--method", v) || !ParseMethod(v, method)) return UsageError("--method is none, rle, lzh or lh5");
        } else if (a == "--key") {
            if (!value("--key", v) || !ParseKey(v, key)) return UsageError("--key needs a number");
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else {
            inputs.push_back(a);
        }
    }
    if (outDir.empty()) return UsageError("-o DIR is missing");
    if (inputs.empty()) return UsageError("nothing to pack");
    // Segments are at least 16384 bytes, as the reader's builders make them.
    if (segmentSize < 16384) segmentSize = 16384;
    base = common::Lower(common::NamePart(base));
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
    for (const auto& input : inputs) {
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
                arc.files.push_back({it->path(), Stored(relative)});
            }
            if (ec) return Fail("cannot read folder " + input);
            std::sort(arc.files.begin(), arc.files.end(),
                      [](const InputFile& x, const InputFile& y) { return x.storedName < y.storedName; });
            archives.push_back(std::move(arc));
        } else if (fs::is_regular_file(p, ec)) {
            std::string why = NameProblem(p.filename().string());
            if (!why.empty()) refuse(p, why);
            archives[0].files.push_back({p, p.filename().string()});
        } else {
            return Fail("cannot open " + input);
        }
    }
    if (refused > 0) return Fail(std::to_string(refused) + " file(s) refused; nothing was written");
    if (archives[0].files.empty()) archives.erase(archives.begin());

    try {
        std::vector<archive::SetArchive> set;
        size_t fileCount = 0;
        for (const auto& arc : archives) {
            std::vector<std::string> seen;
            for (const auto& file : arc.files) {
                for (const auto& other : seen)
                    if (archive::SameText(other, file.storedName))
                        return Fail("two files would be stored as " + file.storedName + " in " + arc.templ);
                seen.push_back(file.storedName);
            }
            // Empty files go first: an archive stops expanding once its total size is reached.
            std::vector<const InputFile*> order;
            std::vector<std::vector<uint8_t>> contents(arc.files.size());
            for (size_t i = 0; i < arc.files.size(); ++i) {
                if (!ReadWhole(arc.files[i].path, contents[i])) return Fail("cannot read " + arc.files[i].path.string());
            }
            std::vector<size_t> indices(arc.files.size());
            for (size_t i = 0; i < indices.size(); ++i) indices[i] = i;
            std::stable_partition(indices.begin(), indices.end(), [&](size_t i) { return contents[i].empty(); });
            archive::TArchiveWriter writer(method, key);
            archive::SetArchive out;
            out.Template = arc.templ;
            int64_t total = 0;
            for (size_t i : indices) {
                uint32_t stamp = 0;
                uint16_t attributes = 0;
                FileStamp(arc.files[i].path, stamp, attributes);
                writer.Add(arc.files[i].storedName, contents[i], stamp, attributes);
                out.Files.push_back(arc.files[i].storedName);
                total += int64_t(contents[i].size());
                std::vector<uint8_t>().swap(contents[i]);
            }
            if (total == 0 && !arc.files.empty())
                std::fprintf(stderr, "zuv: warning: %s holds only empty files, which are not expanded\n",
                             arc.templ.c_str());
            out.Archive = writer.Bytes();
            fileCount += arc.files.size();
            set.push_back(std::move(out));
        }
        std::vector<uint8_t> span = archive::BuildSpanStream(set);
        auto segments = archive::SplitIntoSegments(span, uint32_t(segmentSize));
        fs::create_directories(outDir, ec);
        if (!fs::is_directory(outDir, ec)) return Fail("cannot create folder " + outDir);
        auto platform = MakeToolPlatform();
        auto paths = archive::WriteSegmentFiles(*platform, outDir, base, segments);
        std::printf("%zu files in %zu archives, %zu segments written to %s\n", fileCount, set.size(), paths.size(),
                    outDir.c_str());
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return kExitOk;
}

}  // namespace zuv::tool
