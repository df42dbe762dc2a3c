// Expansion and compression throughput of each codec on 1 MB of mixed content.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "codecs/codec.h"
#include "common/stream.h"

namespace {

using zuv::codecs::CodecHost;
using zuv::codecs::RunCodec;

std::vector<uint8_t> MixedMegabyte() {
    std::vector<uint8_t> out;
    static const char* words[] = {"setup ", "install ", "the ", "directory ", "files ", "archive ", "of ",
                                  "program\r\n", "windows ", "copy ", "disk ", "a ", "ZUV "};
    uint32_t x = 12345;
    while (out.size() < (1u << 20)) {
        x = x * 1103515245u + 12345u;
        uint32_t kind = (x >> 28) & 7;
        if (kind == 0) {
            for (int i = 0; i < 300; ++i) out.push_back(uint8_t(x >> 8));  // a run
        } else if (kind == 1) {
            for (int i = 0; i < 200; ++i) {
                x = x * 1103515245u + 12345u;
                out.push_back(uint8_t(x >> 16));  // noise
            }
        } else {
            for (const char* w = words[(x >> 16) % 13]; *w; ++w) out.push_back(uint8_t(*w));
        }
    }
    out.resize(1u << 20);
    return out;
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& data, uint8_t method) {
    zuv::common::MemoryStream source(data);
    zuv::common::MemoryStream dest;
    uint32_t sum = 0;
    CodecHost host;
    host.CompressionMargin = -int32_t(data.size());  // room for RLE on noisy parts
    RunCodec(host, dest, source, int32_t(data.size()), int32_t(data.size()), method, sum, false, false);
    return dest.data();
}

void BM_Compress(benchmark::State& state) {
    const uint8_t method = uint8_t(state.range(0));
    const std::vector<uint8_t> data = MixedMegabyte();
    for (auto _ : state) benchmark::DoNotOptimize(Pack(data, method));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

void BM_Expand(benchmark::State& state) {
    const uint8_t method = uint8_t(state.range(0));
    const std::vector<uint8_t> data = MixedMegabyte();
    const std::vector<uint8_t> packed = Pack(data, method);
    for (auto _ : state) {
        zuv::common::MemoryStream source(packed);
        zuv::common::MemoryStream dest;
        dest.data().reserve(data.size() + 256);
        uint32_t sum = 0;
        RunCodec(CodecHost(), dest, source, int32_t(packed.size()), int32_t(data.size()), method, sum, true, false);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
    state.counters["ratio"] = double(packed.size()) / double(data.size());
}

// The match searches' hard cases: one byte repeated (every match is the longest possible)
// and two letters at random (many equally long candidates).
void BM_CompressHardCases(benchmark::State& state) {
    const uint8_t method = uint8_t(state.range(0));
    std::vector<uint8_t> data(1u << 19, 'a');
    uint32_t x = 7;
    for (size_t i = data.size() / 2; i < data.size(); ++i) {
        x = x * 1103515245u + 12345u;
        data[i] = uint8_t('a' + ((x >> 16) & 1));
    }
    for (auto _ : state) benchmark::DoNotOptimize(Pack(data, method));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

// 1 = RLE, 2 = LZH, 4 = LZH5
BENCHMARK(BM_Compress)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressHardCases)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
