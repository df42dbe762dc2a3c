// What the fuzzers of the readers share: real files below one temporary folder, each file
// created capped at 1 MB like a small disk, and no question ever answered with OK.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/limited_file.h"
#include "platform/posix/posix_platform.h"

namespace zuv::fuzz {

// Files created take at most 1 MB: runs that claim gigabytes end early.
constexpr uint32_t kFileCap = 1u << 20;

// Every question takes its last button, and an input box is cancelled: a missing segment ends the run.
class QuietPlatform : public platform::PosixPlatform {
public:
    std::unique_ptr<platform::File> Open(const std::string& path, platform::OpenMode mode) override {
        auto file = PosixPlatform::Open(path, mode);
        if (file && mode == platform::OpenMode::kCreate) return std::make_unique<platform::LimitedFile>(std::move(file), kFileCap);
        return file;
    }
    int Ask(const std::string&, const std::string&, platform::BoxIcon,
            const std::vector<std::string>& buttons) override {
        return buttons.empty() ? 0 : int(buttons.size()) - 1;
    }
    bool InputBox(const std::string&, const std::string&, std::string&) override { return false; }
};

// One temporary folder per fuzzer process, named after it.
inline std::string TempFolder(const char* fuzzer) {
    static std::string folder;
    if (folder.empty()) {
        std::string name = std::string("/tmp/zuv-") + fuzzer + "-XXXXXX";
        if (!::mkdtemp(name.data())) std::abort();
        folder = name;
    }
    return folder;
}

}  // namespace zuv::fuzz
