// A file that takes only so many bytes, like a file on a full disk: writes past the limit are
// cut short and the rest passes through. The fake platform and the fuzzers use it.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/platform.h"

namespace zuv::platform {

class LimitedFile : public File {
public:
    LimitedFile(std::unique_ptr<File> inner, uint32_t limit) : inner_(std::move(inner)), left_(limit) {}
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
    std::unique_ptr<File> inner_;
    uint32_t left_;
};

}  // namespace zuv::platform
