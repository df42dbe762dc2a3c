// Fuzzes the container reader: listing, testing and expanding arbitrary bytes as an archive.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "archive/compress.h"
#include "common/stream.h"
#include "quiet_platform.h"

using zuv::fuzz::QuietPlatform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static QuietPlatform platform;
    const std::string folder = zuv::fuzz::TempFolder("fuzz-archive");
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
