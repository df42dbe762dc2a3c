// `zuv list` and `zuv test`: what a set or an archive holds, and whether all of it is sound.
#include <cstdio>

#include "archive/compress.h"
#include "archive/segment.h"
#include "commands.h"
#include "entry_walker.h"

namespace zuv::tool {

namespace {

void PrintHeading() {
    std::printf("%10s %10s  %-6s %-4s  %-16s  %s\n", "Size", "Stored", "Method", "Lock", "Date", "Name");
}

void PrintEntries(const archive::TArchiveList& entries) {
    for (const auto& entry : entries) {
        // A stored size of 0 or less means that no stored bytes follow the entry's name.
        const int32_t stored = entry.Info.CompressedSize > 0 ? entry.Info.CompressedSize : 0;
        std::printf("%10d %10d  %-6s %-4s  %-16s  %s\n", entry.Info.ExpandedSize, stored,
                    MethodText(entry.Info.Method).c_str(), entry.Info.Locked ? "yes" : "", 
                    DosDateText(entry.Info.DateTime).c_str(), entry.Name.c_str());
    }
}

// `text` as a JSON string: quotes, backslashes and control characters escaped; other bytes
// are passed as they are (names are 8-bit text of the setup's code page).
std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// One archive as a JSON object: {"archive": N, "template": T, "entries": [...]}.
void PrintJsonArchive(int index, const std::string& templ, const archive::TArchiveList& entries, bool last) {
    std::printf("  {\"archive\": %d, \"template\": %s, \"entries\": [", index, Json(templ).c_str());
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        std::printf("%s\n    {\"name\": %s, \"size\": %d, \"stored\": %d, \"method\": %s, \"locked\": %s, "
                    "\"date\": %s, \"offset\": %d}",
                    i ? "," : "", Json(e.Name).c_str(), e.Info.ExpandedSize, e.Info.CompressedSize,
                    Json(MethodText(e.Info.Method)).c_str(), e.Info.Locked ? "true" : "false",
                    Json(DosDateText(e.Info.DateTime)).c_str(), e.Info.HeaderOffset);
    }
    std::printf("%s]}%s\n", entries.empty() ? "" : "\n  ", last ? "" : ",");
}

// Options shared by list and test: PATH, --key, --json, -q and -v.
struct ListOptions {
    int32_t key = 0;
    bool json = false;
    bool quiet = false;
    bool verbose = false;
};
bool ParseArgs(const std::vector<std::string>& args, bool allowKey, std::string& path, ListOptions& options,
               int& status) {
    int32_t& key = options.key;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!allowKey && a == "--json") {
            options.json = true;
        } else if (a == "-q" || a == "--quiet") {
            options.quiet = true;
        } else if (a == "-v" || a == "--verbose") {
            options.verbose = true;
        } else if (allowKey && a == "--key") {
            if (i + 1 >= args.size() || !ParseKey(args[i + 1], key)) {
                status = UsageError("--key needs a number");
                return false;
            }
            ++i;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            status = UsageError("unknown option " + a);
            return false;
        } else if (path.empty()) {
            path = a;
        } else {
            status = UsageError("more than one PATH given");
            return false;
        }
    }
    if (path.empty()) {
        status = UsageError("PATH is missing");
        return false;
    }
    return true;
}

}  // namespace

int ListCommand(const std::vector<std::string>& args) {
    std::string path;
    ListOptions options;
    int status = kExitOk;
    if (!ParseArgs(args, false, path, options, status)) return status;
    Source source;
    std::string error;
    if (!ResolveSource(path, source, error)) return Fail(error);
    auto platform = MakeToolPlatform();
    if (!source.isSet) {
        try {
            archive::TCompress reader(*platform);
            archive::TArchiveList entries;
            reader.ListArchiveFile(source.path, entries);
            if (options.json) {
                std::printf("[\n");
                PrintJsonArchive(1, "", entries, true);
                std::printf("]\n");
            } else {
                PrintHeading();
                PrintEntries(entries);
            }
        } catch (const std::exception& e) {
            return ReportFailure(e);
        }
        return kExitOk;
    }
    // A JSON archive is printed when the next one is known, so that the last has no comma.
    int index = 0;
    std::string pendingTemplate;
    archive::TArchiveList pending;
    if (options.json) std::printf("[\n");
    status = RunSet(*platform, source, 0, [&](archive::TSegCompEZ& reader) {
        reader.OnCheckFile = [](std::string& target, archive::TCProcessMode) { target.clear(); };  // nothing written
        reader.OnSegAfterArchive = [&](archive::TSegArcHeader, const std::string& templ) {
            archive::TCompress lister(*platform);
            archive::TArchiveList entries;
            lister.ListArchiveFile(reader.TempArchivePath, entries);
            if (options.json) {
                if (index > 0) PrintJsonArchive(index, pendingTemplate, pending, false);
                pending = std::move(entries);
                pendingTemplate = templ;
                ++index;
                return;
            }
            std::printf("%sArchive %d: %s\n", index ? "\n" : "", index + 1, templ.c_str());
            ++index;
            PrintHeading();
            PrintEntries(entries);
        };
    });
    if (options.json) {
        if (index > 0) PrintJsonArchive(index, pendingTemplate, pending, true);
        std::printf("]\n");
    }
    return status;
}

int TestCommand(const std::vector<std::string>& args) {
    std::string path;
    ListOptions options;
    int status = kExitOk;
    if (!ParseArgs(args, true, path, options, status)) return status;
    Source source;
    std::string error;
    if (!ResolveSource(path, source, error)) return Fail(error);
    auto platform = MakeToolPlatform();
    int sound = 0, damaged = 0;
    ProgressBar bar("testing");
    // Every entry is expanded into nothing; a damaged one is named and the next one tested.
    class Discard : public common::Stream {
    public:
        uint32_t Read(void*, uint32_t) override { return 0; }
        uint32_t Write(const void*, uint32_t count) override { return count; }
        bool Seek(uint64_t) override { return true; }
        uint64_t Position() override { return 0; }
        uint64_t Size() override { return 0; }
    } discard;
    auto testArchive = [&](const std::string& file, const std::string& where) {
        EntryWalker walker(*platform);
        walker.SetKey(options.key);
        walker.Walk(
            file, false, [&](const EntryWalker::Entry&) { return &discard; },
            [&](const EntryWalker::Entry& entry, const EntryWalker::Failure* failure) {
                if (!failure) {
                    ++sound;
                    if (options.verbose) std::printf("sound  %s\n", entry.name.c_str());
                    return;
                }
                ++damaged;
                bar.Done();
                Fail("damaged entry \"" + entry.name + "\" (" + where + ", entry at offset " +
                     std::to_string(entry.offset) + "): " + failure->what);
            });
    };
    if (!source.isSet) {
        try {
            testArchive(source.path, "archive \"" + source.path + "\"");
        } catch (const std::exception& e) {
            bar.Done();
            return ReportFailure(e);
        }
    } else {
        status = RunSet(*platform, source, options.key, [&](archive::TSegCompEZ& reader) {
            reader.OnCheckFile = [](std::string& target, archive::TCProcessMode) { target.clear(); };
            reader.OnSegShowProgress = [&](int32_t percent) {
                if (!options.quiet) bar.Show(percent);
            };
            reader.OnSegAfterArchive = [&](archive::TSegArcHeader header, const std::string& templ) {
                testArchive(reader.TempArchivePath,
                            "archive " + std::to_string(header.SequenceNumber() + 1) + ", " + templ);
            };
        });
        bar.Done();
        if (status != kExitOk) return status;
    }
    bar.Done();
    if (damaged > 0) {
        if (!options.quiet) std::printf("%d files tested, %d damaged\n", sound + damaged, damaged);
        return kExitBadData;
    }
    if (!options.quiet) std::printf("%d files tested, all sound\n", sound);
    return kExitOk;
}

}  // namespace zuv::tool
