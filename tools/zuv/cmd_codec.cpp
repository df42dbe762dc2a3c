// `zuv codec`: expands or compresses one raw codec stream (no container around it) and
// prints the data checksum.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "commands.h"
#include "common/stream.h"

namespace zuv::tool {

namespace {

const char* const kCodecUsage =
    "usage: zuv codec expand --method lh5|lzh|rle --size N IN OUT\n"
    "       zuv codec compress --method lh5|lzh|rle IN OUT\n"
    "Prints the data checksum (the 32-bit sum of the expanded bytes).\n";

int Usage(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "zuv codec: %s\n", why.c_str());
    std::fputs(kCodecUsage, stderr);
    return kExitUsage;
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int CodecCommand(const std::vector<std::string>& args) {
    if (args.empty()) return Usage("");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kCodecUsage, stdout);
        return kExitOk;
    }
    const std::string mode = args[0];
    if (mode != "expand" && mode != "compress") return Usage("unknown action '" + mode + "'");
    const bool expanding = mode == "expand";
    std::string method;
    long long size = -1;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--method" || a == "--size") {
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--method") {
                method = v;
            } else {
                char* end = nullptr;
                errno = 0;
                size = std::strtoll(v.c_str(), &end, 10);
                if (v.empty() || *end != '\0' || errno != 0 || size < 0 || size > 0x7FFFFFFF)
                    return Usage("bad size '" + v + "'");
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option '" + a + "'");
        } else {
            files.push_back(a);
        }
    }
    uint8_t code;
    if (method == "lh5") code = codecs::coLZH5;
    else if (method == "lzh") code = codecs::coLZH;
    else if (method == "rle") code = codecs::coRLE;
    else return Usage(method.empty() ? "--method is required" : "unknown method '" + method + "'");
    if (expanding && size < 0) return Usage("--size is required for expand");
    if (!expanding && size >= 0) return Usage("--size applies to expand only");
    if (files.size() != 2) return Usage("IN and OUT are required");

    std::vector<uint8_t> input;
    if (!ReadWhole(files[0], input)) {
        std::fprintf(stderr, "zuv codec: cannot read %s: %s\n", files[0].c_str(), std::strerror(errno));
        return kExitBadData;
    }
    if (input.size() > 0x7FFFFFFFu) return Usage("input too large");
    common::MemoryStream source(std::move(input));
    common::MemoryStream dest;
    uint32_t checksum = 0;
    codecs::CodecHost host;
    const int32_t sourceSize = int32_t(source.Size());
    try {
        codecs::RunCodec(host, dest, source, sourceSize, expanding ? int32_t(size) : sourceSize, code, checksum,
                         expanding, false);
    } catch (const common::Exception& e) {
        std::fprintf(stderr, "zuv codec: %s\n", e.what());
        return kExitBadData;
    }
    if (!WriteWhole(files[1], dest.data())) {
        std::fprintf(stderr, "zuv codec: cannot write %s\n", files[1].c_str());
        return kExitBadData;
    }
    std::printf("checksum 0x%08X\n", checksum);
    return kExitOk;
}

}  // namespace zuv::tool
