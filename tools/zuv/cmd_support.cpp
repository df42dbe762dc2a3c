// Pieces the subcommands share: what PATH names, the terminal prompts, messages, progress.
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
#include "archive/segment_writer.h"
#include "commands.h"

namespace zuv::tool {

namespace fs = std::filesystem;

// The host platform with the segment prompts moved to the terminal: a missing or wrong
// segment asks for the folder that holds it when stdin is a terminal, and is refused
// (Cancel) otherwise.
class ToolPlatform : public HostBase {
public:
    ToolPlatform() : HostBase(std::vector<std::string>{}) {}

    std::string base;
    bool interactive = false;
    std::string refused;

    int Ask(const std::string& text, const std::string& caption, platform::BoxIcon icon,
            const std::vector<std::string>& buttons) override {
        std::string first = text.substr(0, text.find_first_of("\r\n"));
        bool segmentPrompt = first.rfind("Unable to locate", 0) == 0 || first.rfind("Incorrect segmented", 0) == 0;
        if (!segmentPrompt) return HostBase::Ask(text, caption, icon, buttons);
        if (!interactive) {
            refused = first;
            return 1;  // Cancel
        }
        std::fprintf(stderr, "\nzuv: %s\n", first.c_str());
        mustAsk_ = true;
        return 0;  // OK: the folder is asked for again
    }

    bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override {
        size_t hash = caption.find('#');
        if (hash == std::string::npos || !interactive) return HostBase::InputBox(caption, prompt, value);
        unsigned long number = std::strtoul(caption.c_str() + hash + 1, nullptr, 10);
        std::string name = archive::SegmentFileName(base, uint16_t(number));
        std::string candidate = value;
        if (!candidate.empty() && candidate.back() != '\\' && candidate.back() != '/') candidate += '\\';
        uint32_t attributes = GetAttributes(candidate + name);
        bool present = attributes != platform::kInvalidAttributes && !(attributes & platform::kAttrDirectory);
        // A segment found where it is expected is taken without a question; after a refusal
        // (a wrong segment there) the user is asked.
        if (present && !mustAsk_) return true;
        mustAsk_ = false;
        if (!present) std::fprintf(stderr, "\nzuv: segment %s is not in %s", name.c_str(), value.c_str());
        std::fprintf(stderr, "\nFolder holding %s (empty line to cancel): ", name.c_str());
        std::fflush(stderr);
        std::string line;
        if (!std::getline(std::cin, line)) return false;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty()) return false;
        value = line.substr(0, 255);
        return true;
    }

private:
    bool mustAsk_ = false;
};

std::unique_ptr<platform::Platform> MakeToolPlatform() { return std::make_unique<ToolPlatform>(); }

bool PromptsOnTerminal(platform::Platform& platform, const std::string& base) {
    auto* tool = dynamic_cast<ToolPlatform*>(&platform);
    if (!tool) return false;
    tool->base = base;
    tool->interactive = ZUV_ISATTY(0) != 0;
    tool->refused.clear();
    return tool->interactive;
}

std::string LastRefusedPrompt(platform::Platform& platform) {
    auto* tool = dynamic_cast<ToolPlatform*>(&platform);
    return tool ? tool->refused : std::string();
}

int Fail(const std::string& message, int status) {
    std::string line = message;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
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
        source.isSet = true;
        source.dir = path;
        source.base = "disk";
        if (!fs::is_regular_file(p / "disk.001", ec)) {
            error = "no disk.001 in " + path;
            return false;
        }
        return true;
    }
    if (!fs::is_regular_file(p, ec)) {
        error = "cannot open " + path;
        return false;
    }
    char id[4] = {};
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        size_t got = std::fread(id, 1, 4, f);
        std::fclose(f);
        if (got == 4 && std::memcmp(id, "SSeg", 4) == 0) {
            source.isSet = true;
            fs::path parent = p.parent_path();
            source.dir = parent.empty() ? std::string(".") : parent.string();
            source.base = p.stem().string();
            return true;
        }
        return true;  // a container archive
    }
    error = "cannot open " + path;
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
