// What the fuzzers of the readers share: real files below one temporary folder, each file
// created capped at 1 MB like a small disk, and no question ever answered with OK.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace zuv::fuzz {

// Files created take at most 1 MB: runs that claim gigabytes end early.
class LimitedFile : public platform::File {
public:
    explicit LimitedFile(std::unique_ptr<platform::File> inner) : inner_(std::move(inner)) {}
    uint32_t Read(void* b, uint32_t c) override { return inner_->Read(b, c); }
    uint32_t Write(const void* b, uint32_t c) override {
        uint32_t n = c < left_ ? c : left_;
        n = n ? inner_->Write(b, n) : 0;
        left_ -= n;
        return n;
    }
    bool Seek(uint64_t p) override { return inner_->Seek(p); }
    uint64_t Position() override { return inner_->Position(); }
    uint64_t Size() override { return inner_->Size(); }
    bool SetDosDateTime(uint32_t d) override { return inner_->SetDosDateTime(d); }

private:
    std::unique_ptr<platform::File> inner_;
    uint32_t left_ = 1u << 20;
};

// Every question takes its last button, and an input box is cancelled: a missing segment ends the run.
class QuietPlatform : public platform::PosixPlatform {
public:
    std::unique_ptr<platform::File> Open(const std::string& path, platform::OpenMode mode) override {
        auto file = PosixPlatform::Open(path, mode);
        if (file && mode == platform::OpenMode::kCreate) return std::make_unique<LimitedFile>(std::move(file));
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
