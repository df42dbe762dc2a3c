// Runs the fast -lh5- and LZH decoders and the byte-at-a-time ones on the same input and
// traps on the first difference: every output byte, the error, the checksum, the chunks
// read from the source and the progress calls must agree.
//
// Input: byte 0 picks the method (bit 0: LZH5 or LZH) and how the source behaves (bits 1-2:
// plain, runs dry after two thirds, a progress handler aborts at the call given by bits
// 3-4, keyed); bytes 1-3 the expanded size (at most 256 KB); the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "codecs/codec_io.h"
#include "common/stream.h"
#include "reference_decoders.h"

namespace {

using namespace zuv;

// A source that records its reads and can run dry before the stored size is used up.
class RecordingSource : public common::MemoryStream {
public:
    RecordingSource(std::vector<uint8_t> data, size_t deliverable)
        : common::MemoryStream(std::move(data)), left_(deliverable) {}
    uint32_t Read(void* buffer, uint32_t count) override {
        uint32_t want = count > left_ ? uint32_t(left_) : count;
        uint32_t n = common::MemoryStream::Read(buffer, want);
        left_ -= n;
        reads.push_back(n);
        return n;
    }
    std::vector<uint32_t> reads;

private:
    size_t left_;
};

struct Setup {
    const std::vector<uint8_t>* stream;
    int32_t expandedSize;
    size_t deliverable;
    int abortAtCall;
    uint32_t key;
};

struct Trace {
    std::vector<uint8_t> output;
    std::string error;
    uint32_t checksum = 0xDEADBEEF;
    std::vector<uint32_t> reads;
    std::vector<std::pair<int32_t, uint64_t>> progress;
};

using Decoder = void (*)(codecs::CodecIO&, int32_t);

Trace Run(const Setup& s, Decoder decode) {
    Trace t;
    RecordingSource source(*s.stream, s.deliverable);
    common::MemoryStream dest;
    codecs::CodecHost host;
    host.Key = s.key;
    host.YieldEachChunk = false;
    int calls = 0;
    host.OnShowProgress = [&](int32_t& percentage) {
        ++calls;
        t.progress.emplace_back(percentage, dest.Size());
        if (calls == s.abortAtCall) percentage = -1;
    };
    try {
        codecs::CodecIO io(host, dest, source, int32_t(s.stream->size()), true, s.key != 0);
        decode(io, s.expandedSize);
        uint32_t sum = io.OutputSum;
        io.Flush();
        t.checksum = sum;
    } catch (const common::Exception& e) {
        t.error = e.what();
    }
    t.output = dest.data();
    t.reads = source.reads;
    // Once the source has delivered nothing, the byte-at-a-time LZH reader asks it again at
    // every further byte; the fast one stops asking. The futile reads count as one.
    while (t.reads.size() >= 2 && t.reads.back() == 0 && t.reads[t.reads.size() - 2] == 0) t.reads.pop_back();
    return t;
}

void Differ(const char* what, const Trace& fast, const Trace& plain) {
    std::fprintf(stderr, "fast and byte-at-a-time decoders differ in %s (errors \"%s\" / \"%s\", %zu / %zu bytes)\n",
                 what, fast.error.c_str(), plain.error.c_str(), fast.output.size(), plain.output.size());
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const bool lzh5 = (data[0] & 1) == 0;
    const int mode = (data[0] >> 1) & 3;
    const uint32_t picked = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16;
    const std::vector<uint8_t> stream(data + 4, data + size);
    Setup s{&stream, int32_t(picked % (1u << 18)), SIZE_MAX, 0, 0};
    if (mode == 1) s.deliverable = stream.size() * 2 / 3;
    if (mode == 2) s.abortAtCall = 1 + ((data[0] >> 3) & 3);
    if (mode == 3) s.key = 0x1A2B3C4D;

    const Trace fast = Run(s, lzh5 ? codecs::ExpandLZH5 : codecs::ExpandLZH);
    const Trace plain =
        Run(s, lzh5 ? codecs::testing::ReferenceExpandLZH5 : codecs::testing::ReferenceExpandLZH);
    if (fast.error != plain.error) Differ("the error", fast, plain);
    if (fast.output != plain.output) Differ("the output", fast, plain);
    if (fast.checksum != plain.checksum) Differ("the checksum", fast, plain);
    if (fast.reads != plain.reads) Differ("the source reads", fast, plain);
    if (fast.progress != plain.progress) Differ("the progress calls", fast, plain);
    return 0;
}
