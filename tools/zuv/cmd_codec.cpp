// `zuv codec`: expands or compresses one raw codec stream (no container around it) and
// prints the data checksum.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/types.h>
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

// A file read or written straight through stdio with a large buffer, so that the codec's
// 8192-byte chunks stream between the files without holding either in memory.
class StdioStream : public common::Stream {
public:
    StdioStream(const std::string& path, const char* mode) : f_(std::fopen(path.c_str(), mode)) {
        if (f_) std::setvbuf(f_, buffer_.data(), _IOFBF, buffer_.size());
    }
    ~StdioStream() override {
        if (f_) std::fclose(f_);
    }
    bool IsOpen() const { return f_ != nullptr; }
    bool Failed() const { return f_ && std::ferror(f_); }
    bool Close() {
        bool ok = f_ && !std::ferror(f_) && std::fclose(f_) == 0;
        f_ = nullptr;
        return ok;
    }
    uint32_t Read(void* buffer, uint32_t count) override {
        return static_cast<uint32_t>(std::fread(buffer, 1, count, f_));
    }
    uint32_t Write(const void* buffer, uint32_t count) override {
        return static_cast<uint32_t>(std::fwrite(buffer, 1, count, f_));
    }
    bool Seek(uint64_t position) override { return fseeko(f_, off_t(position), SEEK_SET) == 0; }
    uint64_t Position() override { return uint64_t(ftello(f_)); }
    uint64_t Size() override {
        off_t here = ftello(f_);
        fseeko(f_, 0, SEEK_END);
        off_t end = ftello(f_);
        fseeko(f_, here, SEEK_SET);
        return uint64_t(end);
    }

private:
    std::vector<char> buffer_ = std::vector<char>(1 << 20);  // before f_: set up first
    std::FILE* f_;
};

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

    StdioStream source(files[0], "rb");
    if (!source.IsOpen()) {
        std::fprintf(stderr, "zuv codec: cannot read %s: %s\n", files[0].c_str(), std::strerror(errno));
        return kExitBadData;
    }
    const uint64_t inputSize = source.Size();
    if (inputSize > 0x7FFFFFFFu) return Usage("input too large");
    StdioStream dest(files[1], "wb");
    if (!dest.IsOpen()) {
        std::fprintf(stderr, "zuv codec: cannot write %s: %s\n", files[1].c_str(), std::strerror(errno));
        return kExitBadData;
    }
    uint32_t checksum = 0;
    codecs::CodecHost host;
    host.YieldEachChunk = false;  // no window to keep responsive
    const int32_t sourceSize = int32_t(inputSize);
    std::string failure;
    try {
        codecs::RunCodec(host, dest, source, sourceSize, expanding ? int32_t(size) : sourceSize, code, checksum,
                         expanding, false);
        if (source.Failed()) failure = "cannot read " + files[0];
    } catch (const common::Exception& e) {
        failure = e.what();
    }
    if (!dest.Close() && failure.empty()) failure = "cannot write " + files[1];
    if (!failure.empty()) {
        // No half-made output is left behind.
        std::remove(files[1].c_str());
        std::fprintf(stderr, "zuv codec: %s\n", failure.c_str());
        return kExitBadData;
    }
    std::printf("checksum 0x%08X\n", checksum);
    return kExitOk;
}

}  // namespace zuv::tool
