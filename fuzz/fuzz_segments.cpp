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
#include "quiet_platform.h"

using zuv::fuzz::QuietPlatform;

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static QuietPlatform platform;
    const std::string folder = zuv::fuzz::TempFolder("fuzz-segments");
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
