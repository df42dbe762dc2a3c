// `zuv codec`: expands or compresses one raw codec stream (no container around it) and
// prints the data checksum.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/types.h>
#include <vector>

#include "codecs/codec.h"
#include "commands.h"
#include "common/stream.h"

namespace zuv::tool {

namespace {

namespace fs = std::filesystem;

const char* const kCodecUsage =
    "usage: zuv codec expand --method lh5|lzh|rle --size N IN OUT\n"
    "       zuv codec compress --method lh5|lzh|rle [--best] IN OUT\n"
    "--best: -lh5- by the slower parse by price, for the smallest output.\n"
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
        if (f_) std::setvbuf(f_, buffer_.get(), _IOFBF, kBufferSize);
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
    // Left unfilled: stdio writes every byte before it reads one back.
    static constexpr size_t kBufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer_{new char[kBufferSize]};  // before f_: set up first
    std::FILE* f_;
};

// Where the output is written. A regular file (or a name that does not exist yet) is written
// as a new file beside it and renamed over OUT only when the run succeeds, so a failure leaves
// OUT as it was and removes nothing but that new file. Anything else (a device, a pipe) is
// written in place and never removed.
struct Output {
    std::string writePath;
    bool viaTemporary = false;
};

// False with `refusal` set when OUT must not be written (IN itself, a link to a file, a folder).
bool PlanOutput(const std::string& in, const std::string& out, Output& target, std::string& refusal) {
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(out, ec);
    if (fs::exists(link)) {
        // However the two are spelled (./x and x, a hard link, a symbolic link either way),
        // writing OUT would destroy IN before it has been read.
        if (fs::equivalent(in, out, ec)) {
            refusal = "IN and OUT are the same file (" + in + ", " + out + ")";
            return false;
        }
        const fs::file_status status = fs::status(out, ec);
        if (fs::is_symlink(link) && (!fs::exists(status) || fs::is_regular_file(status))) {
            // Writing through the link would truncate (or create) a file OUT does not name.
            refusal = "OUT " + out + " is a symbolic link to a file; name the file itself";
            return false;
        }
        if (fs::is_directory(status)) {
            refusal = "OUT " + out + " is a folder";
            return false;
        }
        if (!fs::is_regular_file(status)) {
            target.writePath = out;
            return true;
        }
    }
    fs::path path(out);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".zuv-%08x", unsigned(random()));
        fs::path candidate = folder / ("." + path.filename().string() + suffix);
        if (!fs::exists(fs::symlink_status(candidate, ec))) {
            target.writePath = candidate.string();
            target.viaTemporary = true;
            return true;
        }
    }
    refusal = "no free name for a new file beside " + out;
    return false;
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
    bool best = false;
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
        } else if (a == "--best") {
            best = true;
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
    if (best && (expanding || code != codecs::coLZH5)) return Usage("--best applies to compress --method lh5 only");
    if (files.size() != 2) return Usage("IN and OUT are required");

    const std::string& in = files[0];
    const std::string& out = files[1];
    StdioStream source(in, "rb");
    std::error_code folderError;
    const bool isFolder = std::filesystem::is_directory(in, folderError);
    if (isFolder) errno = EISDIR;
    if (!source.IsOpen() || isFolder) {
        std::fprintf(stderr, "zuv codec: cannot read \"%s\": %s\n", in.c_str(), std::strerror(errno));
        return kExitBadData;
    }
    const uint64_t inputSize = source.Size();
    if (inputSize > 0x7FFFFFFFu)
        return Usage("IN \"" + in + "\" holds " + std::to_string(inputSize) + " bytes; a stream holds at most 2 GB");
    Output target;
    std::string refusal;
    if (!PlanOutput(in, out, target, refusal)) return Usage(refusal);
    StdioStream dest(target.writePath, "wb");
    if (!dest.IsOpen()) {
        std::fprintf(stderr, "zuv codec: cannot write %s: %s\n",
                     target.viaTemporary ? (out + " (new file " + target.writePath + ")").c_str() : out.c_str(),
                     std::strerror(errno));
        return kExitBadData;
    }
    uint32_t checksum = 0;
    codecs::CodecHost host;
    host.YieldEachChunk = false;  // no window to keep responsive
    host.BestCompression = best;
    const int32_t sourceSize = int32_t(inputSize);
    std::string failure;
    try {
        codecs::RunCodec(host, dest, source, sourceSize, expanding ? int32_t(size) : sourceSize, code, checksum,
                         expanding, false);
        if (source.Failed()) failure = "cannot read \"" + files[0] + "\": " + std::strerror(errno);
    } catch (const common::Exception& e) {
        failure = e.what();
    }
    if (!dest.Close() && failure.empty()) failure = "cannot write " + out;
    if (failure.empty() && target.viaTemporary) {
        std::error_code ec;
        // A file that is replaced keeps its permissions.
        const fs::file_status old = fs::status(out, ec);
        if (fs::is_regular_file(old)) fs::permissions(target.writePath, old.permissions(), ec);
        fs::rename(target.writePath, out, ec);
        if (ec) failure = "cannot replace " + out + ": " + ec.message();
    }
    if (!failure.empty()) {
        // No half-made output is left behind; OUT itself is as it was.
        if (target.viaTemporary) std::remove(target.writePath.c_str());
        std::fprintf(stderr, "zuv codec: %s\n", failure.c_str());
        return kExitBadData;
    }
    std::printf("checksum 0x%08X\n", checksum);
    return kExitOk;
}

}  // namespace zuv::tool
