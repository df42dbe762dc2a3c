// Helper of bench/set_overhead.sh: writes the deterministic test corpus, and times the codecs'
// own expansion of every entry stored in a segment set (the baseline `zuv test` is held to).
//
//   zuv_set_overhead corpus DIR MEGABYTES   writes about MEGABYTES of mixed files below DIR
//   zuv_set_overhead codec SETDIR           expands each stored entry of the set in memory and
//                                           prints the summed times
//   zuv_set_overhead time CMD [ARG...]      runs CMD (its output discarded) and prints its CPU
//                                           time, wall time and peak resident memory
//
// The codec figure is the pure decode: each entry's stored bytes are loaded into memory
// (untimed) and run through RunCodec into an output that keeps nothing; the times of the
// entries are summed. Stored (uncompressed) entries count as one copy of their bytes.
// Everything `zuv test` does beyond that (reading and joining segments, the temporary archive,
// entry headers, checksum tests) is the set's overhead.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/compress.h"
#include "archive/segment.h"
#include "codecs/codec.h"
#include "common/stream.h"
#include "platform/posix/posix_platform.h"

namespace {

namespace fs = std::filesystem;

// ---- the corpus ---------------------------------------------------------------------------

// splitmix64: the same bytes on every machine.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return uint32_t(Next() % n); }
    // Small indices far more often than large ones, as words are in a text.
    uint32_t Skewed(uint32_t n) {
        double u = double(Next() >> 11) / double(1ull << 53);
        return std::min(n - 1, uint32_t(double(n) * u * u * u));
    }

private:
    uint64_t state_;
};

using Bytes = std::vector<uint8_t>;

// Prose made of a fixed vocabulary of made-up words, in lines of about 70 characters.
void AppendText(Bytes& out, size_t size, Random& random) {
    static std::vector<std::string> words;
    if (words.empty()) {
        Random vocabulary(7);
        for (int i = 0; i < 3000; ++i) {
            std::string w;
            int length = 2 + int(vocabulary.Below(9));
            for (int k = 0; k < length; ++k) w += char("etaoinshrdlucmfwypvbgkqjxz"[vocabulary.Skewed(26)]);
            words.push_back(w);
        }
    }
    size_t end = out.size() + size, line = 0;
    bool capital = true;
    while (out.size() < end) {
        std::string w = words[random.Skewed(uint32_t(words.size()))];
        if (capital) w[0] = char(w[0] - 'a' + 'A');
        capital = random.Below(12) == 0;
        if (capital) w += '.';
        else if (random.Below(15) == 0) w += ',';
        out.insert(out.end(), w.begin(), w.end());
        line += w.size() + 1;
        if (line > 70) {
            out.push_back('\r');
            out.push_back('\n');
            line = 0;
        } else {
            out.push_back(' ');
        }
    }
    out.resize(end);
}

// Machine-code-like bytes: a few hundred recurring instruction shapes with varying operands,
// and tables of ascending 32-bit values.
void AppendBinary(Bytes& out, size_t size, Random& random) {
    static std::vector<Bytes> shapes;
    if (shapes.empty()) {
        Random maker(11);
        for (int i = 0; i < 400; ++i) {
            Bytes s(1 + maker.Below(4));
            for (auto& b : s) b = uint8_t(maker.Next());
            shapes.push_back(s);
        }
    }
    size_t end = out.size() + size;
    while (out.size() < end) {
        if (random.Below(40) == 0) {
            uint32_t value = uint32_t(random.Next()) & 0xFFFFF, count = 16 + random.Below(200);
            for (uint32_t i = 0; i < count; ++i) {
                value += 1 + random.Below(64);
                for (int k = 0; k < 4; ++k) out.push_back(uint8_t(value >> (8 * k)));
            }
            continue;
        }
        const Bytes& s = shapes[random.Skewed(uint32_t(shapes.size()))];
        out.insert(out.end(), s.begin(), s.end());
        uint32_t operand = random.Below(4);  // 0 to 3 operand bytes, mostly small values
        for (uint32_t k = 0; k < operand; ++k) out.push_back(uint8_t(k == 0 ? random.Skewed(256) : 0));
    }
    out.resize(end);
}

// Picture-like rows: runs of a few colours with some noise.
void AppendRuns(Bytes& out, size_t size, Random& random) {
    size_t end = out.size() + size;
    while (out.size() < end) {
        uint8_t colour = uint8_t(random.Skewed(16) * 16);
        uint32_t length = 1 + random.Skewed(3000);
        for (uint32_t i = 0; i < length; ++i) out.push_back(random.Below(50) == 0 ? uint8_t(random.Next()) : colour);
    }
    out.resize(end);
}

// Already compressed data.
void AppendNoise(Bytes& out, size_t size, Random& random) {
    size_t start = out.size();
    out.resize(start + size);
    for (size_t i = start; i < out.size(); ++i) out[i] = uint8_t(random.Next() >> 24);
}

// Blocks of every kind, as in a resource file; about a third of it incompressible.
void AppendMixed(Bytes& out, size_t size, Random& random) {
    size_t end = out.size() + size;
    while (out.size() < end) {
        size_t block = std::min(end - out.size(), size_t(16384 + random.Below(131072)));
        switch (random.Below(6)) {
            case 0: case 1: AppendNoise(out, block, random); break;
            case 2: AppendText(out, block, random); break;
            case 3: case 4: AppendBinary(out, block, random); break;
            default: AppendRuns(out, block, random); break;
        }
    }
}

bool WriteFile(const fs::path& path, const Bytes& data) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

int Corpus(const fs::path& dir, double megabytes) {
    const size_t total = size_t(megabytes * 1e6);
    Random random(2024);
    size_t written = 0;
    int files = 0;
    auto make = [&](const fs::path& name, double share, void (*fill)(Bytes&, size_t, Random&)) {
        Bytes data;
        data.reserve(size_t(double(total) * share) + 1);
        fill(data, size_t(double(total) * share), random);
        if (!WriteFile(dir / name, data)) return false;
        written += data.size();
        ++files;
        return true;
    };
    bool ok = make("manual.txt", 0.25, AppendText) && make("program.exe", 0.20, AppendBinary) &&
              make("intro.jpg", 0.05, AppendNoise) && make("data/resources.pak", 0.20, AppendMixed) &&
              make("data/backdrop.bmp", 0.10, AppendRuns) && make("data/library.dll", 0.05, AppendBinary);
    // Many small files: help texts, pictures and modules of 1 KB to 400 KB.
    for (int i = 0; ok && written < total; ++i) {
        char name[64];
        size_t size = std::min(total - written, size_t(1000 + random.Skewed(400000)));
        void (*fill)(Bytes&, size_t, Random&) = i % 3 == 0 ? AppendText : i % 3 == 1 ? AppendBinary : AppendMixed;
        std::snprintf(name, sizeof name, "help/topic%04d.%s", i, i % 3 == 0 ? "txt" : i % 3 == 1 ? "ovl" : "res");
        ok = make(name, double(size) / double(total), fill);
    }
    if (!ok) {
        std::fprintf(stderr, "cannot write the corpus below %s\n", dir.c_str());
        return 1;
    }
    std::printf("%d files, %zu bytes\n", files, written);
    return 0;
}

// ---- the codecs' own expansion ------------------------------------------------------------

// An output that keeps nothing.
class NullSink : public zuv::common::Stream {
public:
    uint32_t Read(void*, uint32_t) override { return 0; }
    uint32_t Write(const void*, uint32_t count) override {
        written += count;
        return count;
    }
    bool Seek(uint64_t position) override { return position == written; }
    uint64_t Position() override { return written; }
    uint64_t Size() override { return written; }
    uint64_t written = 0;
};

double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Totals {
    int entries = 0;
    uint64_t expanded = 0, stored = 0;
    double cpu = 0, wall = 0;
};

// Decodes one stored entry and adds its times.
void TimeEntry(const Bytes& data, const zuv::archive::TCompressedFileInfo& info, Totals& totals) {
    zuv::common::MemoryStream source(data);
    NullSink sink;
    uint32_t checksum = 0;
    const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
    if (info.Method == zuv::archive::coNone) {
        uint8_t buffer[8192];
        while (uint32_t got = source.Read(buffer, sizeof buffer)) sink.Write(buffer, got);
    } else {
        zuv::codecs::CodecHost host;
        zuv::codecs::RunCodec(host, sink, source, int32_t(data.size()), info.ExpandedSize, info.Method, checksum,
                              true, false);
    }
    totals.cpu += Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    totals.wall += Seconds(CLOCK_MONOTONIC) - wall0;
    if (sink.written != uint64_t(info.ExpandedSize) ||
        (info.Method != zuv::archive::coNone && checksum != uint32_t(info.Checksum)))
        throw zuv::common::Exception("entry does not expand to its stored size and checksum");
    totals.expanded += uint64_t(info.ExpandedSize);
    totals.stored += data.size();
    ++totals.entries;
}

int Codec(const std::string& setDir) {
    zuv::platform::PosixPlatform platform(std::vector<std::string>{});
    Totals totals;
    const fs::path scratch = fs::temp_directory_path() / ("zuv-codec-" + std::to_string(::getpid()));
    try {
        zuv::archive::TSegCompEZ reader(platform);
        reader.SetSegBaseName("disk");
        reader.SetSegDir(setDir);
        reader.SetSegTmpDir(scratch.string());
        reader.SetSegPopUp(false);
        reader.OnCheckFile = [](std::string& target, zuv::archive::TCProcessMode) { target.clear(); };
        // Each joined archive: every entry's stored bytes, straight from the file.
        reader.OnSegAfterArchive = [&](zuv::archive::TSegArcHeader, const std::string&) {
            zuv::archive::TArchiveList entries;
            reader.ListArchiveFile(reader.TempArchivePath, entries);
            auto in = platform.Open(reader.TempArchivePath, zuv::platform::OpenMode::kReadShared);
            if (!in) throw zuv::common::Exception("cannot open " + reader.TempArchivePath);
            for (const auto& entry : entries) {
                Bytes data(size_t(std::max(entry.Info.CompressedSize, 0)));
                const uint64_t at = uint64_t(entry.Info.HeaderOffset) + zuv::archive::kEntryHeaderSize + entry.Name.size();
                if (!in->Seek(at) || in->Read(data.data(), uint32_t(data.size())) != data.size())
                    throw zuv::common::Exception("cannot read " + entry.Name);
                TimeEntry(data, entry.Info, totals);
            }
        };
        reader.ExpandSet();
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove_all(scratch, ec);
        std::fprintf(stderr, "zuv_set_overhead codec: %s\n", e.what());
        return 1;
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    std::printf("entries %d expanded %llu stored %llu cpu %.3f wall %.3f\n", totals.entries,
                (unsigned long long)totals.expanded, (unsigned long long)totals.stored, totals.cpu, totals.wall);
    return 0;
}

// ---- one timed run of a command ----------------------------------------------------------

int Time(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const double wall0 = Seconds(CLOCK_MONOTONIC);
    pid_t child = ::fork();
    if (child == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, 1);
        ::execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) {
        std::fprintf(stderr, "zuv_set_overhead time: cannot run %s\n", argv[0]);
        return 1;
    }
    const double wall = Seconds(CLOCK_MONOTONIC) - wall0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "zuv_set_overhead time: %s failed\n", argv[0]);
        return 1;
    }
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    std::printf("cpu %.3f wall %.3f rss_kb %ld\n", cpu, wall, usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "corpus") return Corpus(args[1], std::atof(args[2].c_str()));
    if (args.size() == 2 && args[0] == "codec") return Codec(args[1]);
    if (args.size() >= 2 && args[0] == "time") return Time(std::vector<std::string>(args.begin() + 1, args.end()));
    std::fputs("usage: zuv_set_overhead corpus DIR MEGABYTES | codec SETDIR | time CMD [ARG...]\n", stderr);
    return 2;
}
