// `zuv list` and `zuv test`: what a set or an archive holds, and whether all of it is sound.
#include <cstdio>

#include "archive/compress.h"
#include "archive/segment.h"
#include "commands.h"

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

// Options shared by list and test: PATH and --key.
bool ParseArgs(const std::vector<std::string>& args, bool allowKey, std::string& path, int32_t& key, int& status) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (allowKey && a == "--key") {
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
    int32_t key = 0;
    int status = kExitOk;
    if (!ParseArgs(args, false, path, key, status)) return status;
    Source source;
    std::string error;
    if (!ResolveSource(path, source, error)) return Fail(error);
    auto platform = MakeToolPlatform();
    if (!source.isSet) {
        try {
            archive::TCompress reader(*platform);
            archive::TArchiveList entries;
            reader.ListArchiveFile(source.path, entries);
            PrintHeading();
            PrintEntries(entries);
        } catch (const std::exception& e) {
            return ReportFailure(e);
        }
        return kExitOk;
    }
    int index = 0;
    return RunSet(*platform, source, 0, [&](archive::TSegCompEZ& reader) {
        reader.OnCheckFile = [](std::string& target, archive::TCProcessMode) { target.clear(); };  // nothing written
        reader.OnSegAfterArchive = [&](archive::TSegArcHeader, const std::string& templ) {
            archive::TCompress lister(*platform);
            archive::TArchiveList entries;
            lister.ListArchiveFile(reader.TempArchivePath, entries);
            std::printf("%sArchive %d: %s\n", index ? "\n" : "", index + 1, templ.c_str());
            ++index;
            PrintHeading();
            PrintEntries(entries);
        };
    });
}

int TestCommand(const std::vector<std::string>& args) {
    std::string path;
    int32_t key = 0;
    int status = kExitOk;
    if (!ParseArgs(args, true, path, key, status)) return status;
    Source source;
    std::string error;
    if (!ResolveSource(path, source, error)) return Fail(error);
    auto platform = MakeToolPlatform();
    int entries = 0;
    ProgressBar bar("testing");
    if (!source.isSet) {
        try {
            archive::TCompress tester(*platform);
            tester.SetKey(key);
            entries = tester.TestArchiveFile(source.path);
        } catch (const std::exception& e) {
            bar.Done();
            return ReportFailure(e);
        }
    } else {
        status = RunSet(*platform, source, key, [&](archive::TSegCompEZ& reader) {
            reader.OnCheckFile = [](std::string& target, archive::TCProcessMode) { target.clear(); };
            reader.OnSegShowProgress = [&](int32_t percent) { bar.Show(percent); };
            reader.OnSegAfterArchive = [&](archive::TSegArcHeader, const std::string&) {
                archive::TCompress tester(*platform);
                tester.SetKey(key);
                entries += tester.TestArchiveFile(reader.TempArchivePath);
            };
        });
        bar.Done();
        if (status != kExitOk) return status;
    }
    bar.Done();
    std::printf("%d files tested, all sound\n", entries);
    return kExitOk;
}

}  // namespace zuv::tool
