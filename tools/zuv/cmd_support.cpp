// Pieces the subcommands share: what PATH names, the terminal prompts, messages, progress.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <random>

#ifdef _WIN32
#include <io.h>
#define ZUV_ISATTY _isatty
#include "platform/win32/win32_platform.h"
using HostBase = zuv::platform::Win32Platform;
#else
#include <unistd.h>
#define ZUV_ISATTY ::isatty
#include "platform/posix/posix_platform.h"
using HostBase = zuv::platform::PosixPlatform;
#endif

#include "archive/compress.h"
#include "archive/segment.h"
#include "archive/segment_writer.h"
#include "commands.h"
#include "common/routines.h"

namespace zuv::tool {

namespace fs = std::filesystem;

// The host platform as it is: the tool answers the reader's segment prompts itself
// (SegmentPrompter), so no question box of the platform is ever shown.
class ToolPlatform : public HostBase {
public:
    ToolPlatform() : HostBase(std::vector<std::string>{}) {}
};

std::unique_ptr<platform::Platform> MakeToolPlatform() { return std::make_unique<ToolPlatform>(); }

SegmentPrompter::SegmentPrompter(platform::Platform& platform, std::string dir, bool mayAsk)
    : platform_(platform), dir_(std::move(dir)), interactive_(mayAsk && ZUV_ISATTY(0) != 0) {}

void SegmentPrompter::Answer(archive::TSegPrompt& prompt) {
    const std::string name = prompt.SegName;
    const std::string number = std::to_string(prompt.SegNumber);
    switch (prompt.Kind) {
        case archive::pkSegmentMissing:
            refused_ = "segment " + number + " is missing: no " + name + " in " + dir_;
            break;
        case archive::pkWrongSegment:
            refused_ = name + " in " + dir_ + " is segment " + std::to_string(prompt.FoundNumber) +
                       ", not segment " + number + " of this set";
            break;
        case archive::pkMountSegment:
            prompt.Answer = AskForFolder(prompt) ? archive::paOK : archive::paCancel;
            return;
    }
    if (!interactive_) {
        prompt.Answer = archive::paCancel;
        return;
    }
    // On a terminal the folder is asked for again at the mount prompt that follows at once,
    // which also says when the segment is not there.
    if (prompt.Kind == archive::pkWrongSegment) std::fprintf(stderr, "\nzuv: %s", refused_.c_str());
    refused_.clear();
    mustAsk_ = true;
    prompt.Answer = archive::paOK;
}

bool SegmentPrompter::AskForFolder(archive::TSegPrompt& prompt) {
    const std::string& name = prompt.SegName;
    bool present = common::FileExists(platform_, common::JoinPath(prompt.Directory, name));
    // A segment found where it is expected is taken without a question; after a refusal
    // (a wrong segment there) the user is asked.
    if (present && !mustAsk_) return true;
    mustAsk_ = false;
    if (!present) std::fprintf(stderr, "\nzuv: segment %s is not in %s", name.c_str(), prompt.Directory.c_str());
    std::fprintf(stderr, "\nFolder holding %s (empty line to cancel): ", name.c_str());
    std::fflush(stderr);
    std::string line;
    if (std::getline(std::cin, line))
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) {
        refused_ = "cancelled while asking for segment " + std::to_string(prompt.SegNumber) + " (" + name + ")";
        return false;
    }
    prompt.Directory = line.substr(0, 255);
    dir_ = prompt.Directory;
    return true;
}

namespace {
std::string programPath = "zuv";
}
const std::string& ProgramPath() { return programPath; }
void SetProgramPath(const std::string& path) { programPath = path; }

int Fail(const std::string& message, int status) {
    std::string line = message;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    std::fflush(stdout);  // what was said before comes first
    std::fprintf(stderr, "zuv: %s\n", line.c_str());
    return status;
}

int UsageError(const std::string& message) {
    Fail(message + " (zuv --help shows the usage)", kExitUsage);
    return kExitUsage;
}

bool ResolveSource(const std::string& path, Source& source, std::string& error) {
    std::error_code ec;
    fs::path p(path);
    source = Source{};
    source.path = path;
    if (fs::is_directory(p, ec)) {
        // disk.001 in any case: the setup's file system does not tell DISK.001 from disk.001.
        for (auto it = fs::directory_iterator(p, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (common::Upper(name) == "DISK.001" && it->is_regular_file(ec)) {
                source.isSet = true;
                source.dir = path;
                source.base = name.substr(0, 4);
                return true;
            }
        }
        error = "no disk.001 in \"" + path + "\"";
        return false;
    }
    errno = 0;
    FILE* f = fs::is_regular_file(p, ec) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!f) {
        std::string reason = fs::exists(p, ec) ? (errno ? std::strerror(errno) : "not a file or folder")
                                               : std::strerror(ENOENT);
        error = "cannot open \"" + path + "\": " + reason;
        return false;
    }
    char id[5] = {};
    size_t got = std::fread(id, 1, 5, f);
    std::fclose(f);
    if (got >= 4 && std::memcmp(id, "SSeg", 4) == 0) {
        source.isSet = true;
        fs::path parent = p.parent_path();
        source.dir = parent.empty() ? std::string(".") : parent.string();
        source.base = p.stem().string();
        return true;
    }
    if (got == 5 && std::memcmp(id, archive::kArchiveSignature, 5) == 0) return true;  // a container archive
    error = "\"" + path + "\": " + archive::EInvalidHeader().what() + " (it is neither a segment of a set nor an archive)";
    return false;
}

bool ParseKey(const std::string& text, int32_t& key) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > UINT32_MAX) return false;
    key = int32_t(uint32_t(value));
    return true;
}

std::string DosDateText(uint32_t dos) {
    char text[32];
    unsigned date = dos >> 16, time = dos & 0xFFFF;
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", 1980 + (date >> 9), (date >> 5) & 15, date & 31,
                  time >> 11, (time >> 5) & 63);
    return text;
}

std::string MethodText(uint8_t method) {
    if (method < 5) return archive::kMethodIds[method];
    return "#" + std::to_string(method);
}

std::string MakeTempDir() {
    std::random_device random;
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "zuv-%08x", unsigned(random()));
        std::error_code ec;
        if (fs::create_directory(base / name, ec)) return (base / name).string();
    }
    throw common::EInOutError("Unable to create a temporary folder");
}

void RemoveTree(const std::string& path) {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
}

ProgressBar::ProgressBar(std::string label) : enabled_(ZUV_ISATTY(2) != 0), label_(std::move(label)) {}

ProgressBar::~ProgressBar() { Done(); }

void ProgressBar::Show(int percent, const std::string& detail) {
    if (!enabled_) return;
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    if (percent == last_ && detail.empty()) return;
    last_ = percent;
    const int width = 30;
    int filled = percent * width / 100;
    std::string bar(size_t(filled), '#');
    bar.resize(width, '.');
    std::string tail = detail.size() > 30 ? "..." + detail.substr(detail.size() - 27) : detail;
    std::fprintf(stderr, "\r%s [%s] %3d%% %-30s", label_.c_str(), bar.c_str(), percent, tail.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressBar::Done() {
    if (enabled_ && shown_) {
        std::fprintf(stderr, "\r%*s\r", int(label_.size()) + 75, "");
        std::fflush(stderr);
    }
    shown_ = false;
}

}  // namespace zuv::tool
