// Fuzzes the container reader: listing, testing and expanding arbitrary bytes as an archive.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "archive/compress.h"
#include "common/stream.h"
#include "platform/posix/posix_platform.h"

namespace {

// Files created take at most 1 MB, like a small disk: runs that claim gigabytes end early.
class LimitedFile : public zuv::platform::File {
public:
    explicit LimitedFile(std::unique_ptr<zuv::platform::File> inner) : inner_(std::move(inner)) {}
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
    std::unique_ptr<zuv::platform::File> inner_;
    uint32_t left_ = 1u << 20;
};

// Real files below one temporary folder; no question is ever answered.
class QuietPlatform : public zuv::platform::PosixPlatform {
public:
    std::unique_ptr<zuv::platform::File> Open(const std::string& path, zuv::platform::OpenMode mode) override {
        auto file = PosixPlatform::Open(path, mode);
        if (file && mode == zuv::platform::OpenMode::kCreate) return std::make_unique<LimitedFile>(std::move(file));
        return file;
    }
    int Ask(const std::string&, const std::string&, zuv::platform::BoxIcon,
            const std::vector<std::string>& buttons) override {
        return buttons.empty() ? 0 : int(buttons.size()) - 1;
    }
};

std::string TempFolder() {
    static std::string folder;
    if (folder.empty()) {
        char name[] = "/tmp/zuv-fuzz-archive-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        folder = name;
    }
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static QuietPlatform platform;
    const std::string folder = TempFolder();
    // The first byte picks the key: 0 (none) or one of a few values.
    const int32_t keys[4] = {0, 1, 0x12345678, -1};
    std::vector<uint8_t> bytes(data + 1, data + size);

    zuv::archive::TCompress reader(platform);
    reader.SetKey(keys[data[0] & 3]);
    reader.SetCheckSpaceBeforeExpand((data[0] & 4) != 0);
    zuv::archive::TArchiveList list;
    try {
        zuv::common::MemoryStream stream(bytes);
        reader.ListArchiveStream(stream, list);
    } catch (const std::exception&) {
    }
    // Entries claiming huge sizes are left out: decoding gigabytes only makes the run slow.
    for (const auto& entry : list)
        if (entry.Info.ExpandedSize > (1 << 20) || entry.Info.ExpandedSize < -1) return 0;
    try {
        zuv::common::MemoryStream stream(bytes);
        reader.TestArchiveStream(stream);
    } catch (const std::exception&) {
    }
    try {
        zuv::common::MemoryStream stream(bytes);
        int n = 0;
        // Every file goes to one of two names in the temporary folder, whatever it is called.
        reader.OnCheckFile = [&](std::string& path, zuv::archive::TCProcessMode) {
            path = folder + "/out" + std::to_string(n++ & 1);
        };
        std::vector<std::string> names;
        for (const auto& entry : list) names.push_back(entry.Name);
        reader.ExpandArchiveStream(stream, (data[0] & 8) ? &names : nullptr);
    } catch (const std::exception&) {
    }
    return 0;
}
