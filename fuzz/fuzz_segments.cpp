// Fuzzes the segment set reader: the input is cut into segment files in a temporary folder and
// the whole set is expanded into that folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/segment.h"
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

// No question is ever answered with OK: a missing segment ends the run.
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
    bool InputBox(const std::string&, const std::string&, std::string&) override { return false; }
};

std::string TempFolder() {
    static std::string folder;
    if (folder.empty()) {
        char name[] = "/tmp/zuv-fuzz-segments-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        folder = name;
    }
    return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static QuietPlatform platform;
    const std::string folder = TempFolder();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) std::filesystem::remove_all(entry, ec);

    // The first two bytes give where the input is cut into disk.001 and disk.002; both get
    // their identification record here, so the fuzzer works on the span stream.
    size_t cut = size_t(data[0] | (data[1] << 8));
    const uint8_t* span = data + 2;
    size_t spanSize = size - 2;
    if (cut > spanSize) cut = spanSize;
    const uint8_t id1[8] = {'S', 'S', 'e', 'g', 0, 0, 1, 0};
    const uint8_t id2[8] = {'S', 'S', 'e', 'g', 0, 0, 2, 0};
    std::string seg1(reinterpret_cast<const char*>(id1), 8), seg2(reinterpret_cast<const char*>(id2), 8);
    seg1.append(reinterpret_cast<const char*>(span), cut);
    seg2.append(reinterpret_cast<const char*>(span + cut), spanSize - cut);
    WriteFile(folder + "/disk.001", reinterpret_cast<const uint8_t*>(seg1.data()), seg1.size());
    WriteFile(folder + "/disk.002", reinterpret_cast<const uint8_t*>(seg2.data()), seg2.size());

    zuv::archive::TSegCompEZ reader(platform);
    reader.SetSegBaseName("disk");
    reader.SetSegDir(folder);
    reader.SetSegTmpDir(folder + "/tmp");
    reader.SetSegPopUp(false);
    int n = 0;
    reader.OnCheckFile = [&](std::string& path, zuv::archive::TCProcessMode) {
        path = folder + "/out" + std::to_string(n++ & 1);
    };
    reader.OnSegShowProgress = [&](int32_t) {};
    try {
        reader.ExpandSet();
    } catch (const std::exception&) {
    }
    return 0;
}
