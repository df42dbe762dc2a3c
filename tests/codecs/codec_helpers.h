// Shared pieces of the codec tests: running a method over byte vectors, sample inputs,
// files and peer tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "common/stream.h"

namespace zuv::codecs::testing {

using Bytes = std::vector<uint8_t>;

struct CodecResult {
    Bytes output;
    uint32_t checksum = 0xDEADBEEF;
    int32_t result = 0;
    uint64_t sourcePosition = 0;
};

inline CodecResult RunMethod(const Bytes& input, uint8_t method, bool expanding, int32_t expandedSize = 0,
                       const CodecHost& host = CodecHost(), bool unmask = false) {
    common::MemoryStream source(input);
    common::MemoryStream dest;
    CodecResult r;
    r.result = RunCodec(host, dest, source, int32_t(input.size()), expandedSize, method, r.checksum, expanding,
                        unmask);
    r.output = dest.data();
    r.sourcePosition = source.Position();
    return r;
}

inline CodecResult Compress(const Bytes& input, uint8_t method, const CodecHost& host = CodecHost()) {
    return RunMethod(input, method, false, int32_t(input.size()), host);
}

inline CodecResult Expand(const Bytes& packed, uint8_t method, int32_t expandedSize,
                          const CodecHost& host = CodecHost(), bool unmask = false) {
    return RunMethod(packed, method, true, expandedSize, host, unmask);
}

inline uint32_t Sum(const Bytes& data) {
    uint32_t s = 0;
    for (uint8_t b : data) s += b;
    return s;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Deterministic pseudo-random bytes.
inline Bytes Random(size_t size, uint32_t seed) {
    Bytes out(size);
    uint32_t x = seed * 2654435761u + 7;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x >> 24);
    }
    return out;
}

// Words from a small vocabulary: compressible text with long-distance repeats.
inline Bytes Prose(size_t size, uint32_t seed) {
    static const char* words[] = {"setup ", "install ", "the ", "directory ", "files ", "archive ", "of ",
                                  "program\r\n", "windows ", "copy ", "disk ", "a ", "ZUV ", "\x94", "and "};
    Bytes out;
    uint32_t x = seed + 1;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        const char* w = words[(x >> 16) % 15];
        while (*w && out.size() < size) out.push_back(uint8_t(*w++));
    }
    return out;
}

// Fixed-width records with counters: structured binary.
inline Bytes Records(size_t size) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) {
        size_t rec = i / 16, f = i % 16;
        out[i] = f < 4 ? uint8_t(rec >> (8 * f)) : f < 8 ? uint8_t(0) : uint8_t("NAME.EXE"[f - 8]);
    }
    return out;
}

inline Bytes Runs(size_t size) {
    Bytes out;
    uint32_t x = 99;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        size_t len = 1 + (x >> 16) % 700;
        uint8_t v = uint8_t(x >> 8);
        if ((x >> 4) % 5 == 0) v = 0x94;
        for (size_t k = 0; k < len && out.size() < size; ++k) out.push_back(v);
    }
    return out;
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

inline bool HaveTool(const std::string& name) {
    std::string cmd = "command -v " + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

inline std::string TempDir(const std::string& tag) {
    std::string dir = std::string(ZUV_BINARY_DIR) + "/codecs_tmp_" + tag;
    std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
    if (std::system(cmd.c_str()) != 0) return "/tmp";
    return dir;
}

// Packs bit fields most significant bit first.
class BitWriter {
public:
    BitWriter& Put(int n, uint32_t v) {
        for (int i = n - 1; i >= 0; --i) {
            acc_ = uint8_t(acc_ << 1 | ((v >> i) & 1));
            if (++count_ == 8) {
                bytes_.push_back(acc_);
                count_ = 0;
                acc_ = 0;
            }
        }
        return *this;
    }
    // A code length in the short-code format: 0..6 in 3 bits, 7+ as ones and a zero.
    BitWriter& Len(int k) {
        if (k <= 6) return Put(3, uint32_t(k));
        return Put(k - 3, (1u << (k - 3)) - 2);
    }
    Bytes Done() {
        Bytes b = bytes_;
        if (count_) b.push_back(uint8_t(acc_ << (8 - count_)));
        return b;
    }

private:
    Bytes bytes_;
    uint8_t acc_ = 0;
    int count_ = 0;
};

// A block whose three codes are all in single-symbol form.
inline BitWriter& SingleBlock(BitWriter& w, uint32_t size, uint32_t symbol, uint32_t distanceClass) {
    return w.Put(16, size).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, symbol).Put(4, 0).Put(4, distanceClass);
}

}  // namespace zuv::codecs::testing
