// RunCodec's contract: chunked stream access, checksums, key mask, progress and abort,
// output budget, and the run-length format item by item.
#include <gtest/gtest.h>

#include "codec_helpers.h"
#include "codecs/codec_io.h"

namespace zuv::codecs::testing {
namespace {

// A stream that records the sizes of the reads and writes made on it.
class RecordingStream : public common::MemoryStream {
public:
    using MemoryStream::MemoryStream;
    uint32_t Read(void* buffer, uint32_t count) override {
        reads.push_back(count);
        return MemoryStream::Read(buffer, count);
    }
    uint32_t Write(const void* buffer, uint32_t count) override {
        writes.push_back(count);
        return MemoryStream::Write(buffer, count);
    }
    std::vector<uint32_t> reads, writes;
};

// Counts and sums what is written without keeping it.
class SumSink : public common::Stream {
public:
    uint32_t Read(void*, uint32_t) override { return 0; }
    uint32_t Write(const void* buffer, uint32_t count) override {
        auto p = static_cast<const uint8_t*>(buffer);
        for (uint32_t i = 0; i < count; ++i) sum += p[i];
        size += count;
        return count;
    }
    bool Seek(uint64_t) override { return false; }
    uint64_t Position() override { return size; }
    uint64_t Size() override { return size; }
    uint64_t size = 0;
    uint32_t sum = 0;
};

TEST(RunCodecStreams, ReadsAndWritesInWholeChunks) {
    Bytes data = Prose(8192 * 5 + 100, 21);
    CodecResult packed = Compress(data, coLZH5);
    RecordingStream source(packed.output);
    RecordingStream dest;
    uint32_t checksum = 0;
    RunCodec(CodecHost(), dest, source, int32_t(packed.output.size()), int32_t(data.size()), coLZH5, checksum, true,
             false);
    ASSERT_FALSE(source.reads.empty());
    for (size_t i = 0; i + 1 < source.reads.size(); ++i) EXPECT_EQ(source.reads[i], 8192u);
    EXPECT_EQ(source.reads.back(), packed.output.size() % 8192 ? packed.output.size() % 8192 : 8192u);
    ASSERT_EQ(dest.writes.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(dest.writes[i], 8192u);
    EXPECT_EQ(dest.writes[5], 100u);
    EXPECT_EQ(checksum, Sum(data));
}

TEST(RunCodecStreams, ReadsFromTheCurrentPositionAndNoFurtherThanTheStoredSize) {
    Bytes data = Prose(20000, 22);
    for (uint8_t method : {uint8_t(coRLE), uint8_t(coLZH), uint8_t(coLZH5)}) {
        CodecHost roomy;
        roomy.CompressionMargin = -1000;
        Bytes packed = Compress(data, method, roomy).output;
        Bytes stored = Text("HEADER");
        stored.insert(stored.end(), packed.begin(), packed.end());
        Bytes tail = Random(5000, 23);
        stored.insert(stored.end(), tail.begin(), tail.end());
        common::MemoryStream source(stored);
        source.Seek(6);
        common::MemoryStream dest;
        uint32_t checksum = 0;
        RunCodec(CodecHost(), dest, source, int32_t(packed.size()), int32_t(data.size()), method, checksum, true,
                 false);
        EXPECT_EQ(source.Position(), 6 + packed.size()) << int(method);
        EXPECT_TRUE(dest.data() == data) << int(method);
        EXPECT_EQ(checksum, Sum(data));
    }
}

TEST(RunCodecStreams, OtherMethodsReadAndWriteNothing) {
    for (uint8_t method : {uint8_t(0), uint8_t(3), uint8_t(5), uint8_t(255)}) {
        for (bool expanding : {true, false}) {
            RecordingStream source(Bytes(100, 7));
            RecordingStream dest;
            uint32_t checksum = 1234;
            int32_t r = RunCodec(CodecHost(), dest, source, 100, 100, method, checksum, expanding, false);
            EXPECT_TRUE(source.reads.empty());
            EXPECT_TRUE(dest.writes.empty());
            EXPECT_EQ(checksum, 0u);
            EXPECT_EQ(r, 0);
        }
    }
}

TEST(RunCodecStreams, ZeroExpandedSizeReadsNothingForLzhMethods) {
    for (uint8_t method : {uint8_t(coLZH), uint8_t(coLZH5)}) {
        RecordingStream source(Bytes(50, 0xAB));
        RecordingStream dest;
        uint32_t checksum = 99;
        RunCodec(CodecHost(), dest, source, 50, 0, method, checksum, true, false);
        EXPECT_TRUE(source.reads.empty());
        EXPECT_TRUE(dest.data().empty());
        EXPECT_EQ(checksum, 0u);
        // Empty input compresses to nothing at all.
        EXPECT_TRUE(Compress({}, method).output.empty());
    }
}

TEST(RunCodecChecksum, WrapsPast32Bits) {
    // 0xFF then runs of 255: 16843010 bytes of 0xFF sum to more than 2^32.
    Bytes packed;
    const size_t items = 66052;
    for (size_t i = 0; i < items; ++i) {
        packed.push_back(0xFF);
        packed.push_back(0x94);
        packed.push_back(0xFF);
    }
    common::MemoryStream source(packed);
    SumSink sink;
    uint32_t checksum = 0;
    RunCodec(CodecHost(), sink, source, int32_t(packed.size()), 0, coRLE, checksum, true, false);
    uint64_t total = uint64_t(items) * 255 * 255;
    ASSERT_EQ(sink.size, items * 255);
    ASSERT_GT(total, 0xFFFFFFFFull);
    EXPECT_EQ(checksum, uint32_t(total));
    EXPECT_EQ(checksum, sink.sum);
}

TEST(RunCodecKey, MaskRestartsWithEveryCallAndStartsAtTheLowByte) {
    CodecHost host;
    host.Key = 0x04030201;
    Bytes data = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    // Expanding RLE literal bytes with unmask applies the key byte by byte.
    for (int call = 0; call < 2; ++call) {
        CodecResult r = Expand(data, coRLE, 6, host, true);
        Bytes expect = {0x11, 0x22, 0x33, 0x44, 0x51, 0x62};
        EXPECT_EQ(r.output, expect);
        EXPECT_EQ(r.checksum, Sum(expect));
    }
    // A zero key never masks.
    CodecHost none;
    EXPECT_EQ(Expand(data, coRLE, 6, none, true).output, data);
}

struct ProgressLog {
    std::vector<int32_t> seen;
    int32_t abortAt = -2;  // call index that answers -1
    TShowProgressEvent Handler() {
        return [this](int32_t& p) {
            seen.push_back(p);
            if (int32_t(seen.size()) - 1 == abortAt) p = -1;
        };
    }
};

TEST(RunCodecProgress, OncePerChunkWithTheShareRead) {
    for (size_t size : {size_t(1), size_t(8192), size_t(8193), size_t(8192 * 3), size_t(50000)}) {
        ProgressLog log;
        CodecHost host;
        host.OnShowProgress = log.Handler();
        Bytes packed(size, 0x41);
        CodecResult r = Expand(packed, coRLE, 0, host);
        EXPECT_EQ(r.output.size(), size);
        size_t chunks = (size + 8191) / 8192;
        ASSERT_EQ(log.seen.size(), chunks) << size;
        for (size_t i = 0; i < chunks; ++i) {
            int64_t done = std::min<int64_t>(int64_t(i + 1) * 8192, int64_t(size));
            EXPECT_EQ(log.seen[i], int32_t(done * 100 / int64_t(size)));
        }
        EXPECT_EQ(log.seen.back(), 100);
    }
    // Nothing to read: never called.
    ProgressLog empty;
    CodecHost host;
    host.OnShowProgress = empty.Handler();
    Expand({}, coRLE, 0, host);
    EXPECT_TRUE(empty.seen.empty());
}

TEST(RunCodecProgress, LargeFilesUseTheHundredthForm) {
    const int32_t size = 250001;
    ProgressLog log;
    CodecHost host;
    host.OnShowProgress = log.Handler();
    Expand(Bytes(size, 0x41), coRLE, 0, host);
    ASSERT_EQ(log.seen.size(), size_t((size + 8191) / 8192));
    EXPECT_EQ(log.seen[0], 8192 / (size / 100));  // 3, where done*100/total would give 3 too
    EXPECT_EQ(log.seen[29], (30 * 8192) / (size / 100));
    EXPECT_EQ(log.seen.back(), size / (size / 100));  // 100 (250001 / 2500)
    EXPECT_EQ(ProgressPercentage(245760, 250001), 98);
    EXPECT_EQ(ProgressPercentage(99999, 100000), 99);
    EXPECT_EQ(ProgressPercentage(100000, 100001), 100000 / 1000);
}

TEST(RunCodecProgress, AbortStopsRleAtOnce) {
    ProgressLog log;
    log.abortAt = 1;
    CodecHost host;
    host.OnShowProgress = log.Handler();
    Bytes packed(8192 * 3, 0x41);
    CodecResult r = Expand(packed, coRLE, 0, host);
    EXPECT_EQ(r.output.size(), 8192u);
    EXPECT_EQ(log.seen.size(), 2u);
    EXPECT_EQ(r.sourcePosition, 8192u * 2);
}

TEST(RunCodecProgress, AbortMakesLzh5DecodeZeroBitsToTheEnd) {
    Bytes data = Random(8192 * 4, 31);
    for (auto& b : data) b &= 0x0F;  // compressible, still many chunks of stream
    CodecResult packed = Compress(data, coLZH5);
    ASSERT_GT(packed.output.size(), 8192u * 2);
    ProgressLog log;
    log.abortAt = 0;
    CodecHost host;
    host.OnShowProgress = log.Handler();
    CodecResult r = Expand(packed.output, coLZH5, int32_t(data.size()), host);
    EXPECT_EQ(log.seen.size(), 1u);  // no reads after the abort
    EXPECT_EQ(r.sourcePosition, 8192u);
    EXPECT_GE(r.output.size(), data.size());
    EXPECT_NE(r.checksum, Sum(data));
}

TEST(RunCodecProgress, AbortMakesLzhReadTheChunkAsZerosAndGoOn) {
    Bytes data = Prose(200000, 32);
    CodecResult packed = Compress(data, coLZH);
    ASSERT_GT(packed.output.size(), 8192u * 3);
    ProgressLog log;
    log.abortAt = 1;
    CodecHost host;
    host.OnShowProgress = log.Handler();
    CodecResult r = Expand(packed.output, coLZH, int32_t(data.size()), host);
    EXPECT_GE(log.seen.size(), 3u);  // reading resumed with the next chunk
    EXPECT_GE(r.output.size(), data.size());
    // The first chunk's worth of output is intact.
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 8192, r.output.begin()));
    EXPECT_NE(r.output, data);
}

TEST(RunCodecBudget, CompressionThatGrowsFailsAndLeavesPartialChunksUnwritten) {
    for (uint8_t method : {uint8_t(coRLE), uint8_t(coLZH), uint8_t(coLZH5)}) {
        Bytes data = method == coRLE ? Bytes(20000, 0x94) : Random(20000, 40);
        common::MemoryStream source(data);
        RecordingStream dest;
        uint32_t checksum = 77;
        EXPECT_THROW(RunCodec(CodecHost(), dest, source, int32_t(data.size()), int32_t(data.size()), method, checksum,
                              false, false),
                     EUnableToCompress);
        EXPECT_EQ(checksum, 77u);
        for (uint32_t w : dest.writes) EXPECT_EQ(w, 8192u);
        EXPECT_EQ(dest.data().size() % 8192, 0u);
    }
    try {
        throw EUnableToCompress();
    } catch (const common::Exception& e) {
        EXPECT_STREQ(e.what(), "Could not compress data");
    }
    EXPECT_STREQ(ELZHBadDecodeTable().what(), "Bad decode table in archive!");
}

TEST(RunCodecBudget, MarginLowersTheBudget) {
    Bytes data = Prose(10000, 41);
    CodecResult packed = Compress(data, coLZH5);
    CodecHost host;
    host.CompressionMargin = int32_t(data.size() - packed.output.size()) + 1;
    EXPECT_THROW(Compress(data, coLZH5, host), EUnableToCompress);
    host.CompressionMargin -= 1;
    EXPECT_EQ(Compress(data, coLZH5, host).output, packed.output);
}

// --- The run-length format ---

TEST(Rle, ExpandsEachItemKind) {
    struct Case {
        Bytes in, out;
    };
    const Case cases[] = {
        {{0x41, 0x94, 0x05}, {0x41, 0x41, 0x41, 0x41, 0x41}},
        {{0x94, 0x00}, {0x94}},
        {{0x41, 0x94}, {0x41, 0x94}},              // escape at the very end
        {{0x41, 0x94, 0x01}, {0x41}},              // a run of one adds nothing
        {{0x41, 0x94, 0x02}, {0x41, 0x41}},        // previous byte once
        {{0x94, 0x04}, {0, 0, 0}},                 // a run at the start repeats 0x00
        {{0x41, 0x94, 0x03, 0x94, 0x03}, {0x41, 0x41, 0x41, 0x94, 0x94}},  // after a run, 0x94
        {{0x94, 0x00, 0x94, 0x03}, {0x94, 0x94, 0x94}},                    // after an escape, 0x94
        {{}, {}},
    };
    for (const auto& c : cases) {
        CodecResult r = Expand(c.in, coRLE, 12345);
        EXPECT_EQ(r.output, c.out);
        EXPECT_EQ(r.checksum, Sum(c.out));
        EXPECT_EQ(r.sourcePosition, c.in.size());
    }
}

TEST(Rle, CompressesRunsAsTheFormatFixes) {
    struct Case {
        Bytes in, out;
    };
    Bytes run255(255, 0x41), run256(256, 0x41), run300(300, 0x41);
    Bytes expect255 = {0x41, 0x94, 0xFF};
    Bytes expect256 = {0x41, 0x94, 0xFF, 0x41};
    Bytes expect300 = {0x41, 0x94, 0xFF, 0x41, 0x94, 45};  // the second run: 45 bytes
    const Case cases[] = {
        {{0x41, 0x41}, {0x41, 0x41}},
        {{0x41, 0x41, 0x41}, {0x41, 0x94, 0x03}},
        {{0x94, 0x94, 0x94}, {0x94, 0x00, 0x94, 0x00, 0x94, 0x00}},
        {{0x00, 0x00, 0x00}, {0x00, 0x94, 0x03}},  // the first byte never continues a run
        {{0x41, 0x41, 0x41, 0x94}, {0x41, 0x94, 0x03, 0x94, 0x00}},
        {{0x41, 0x41, 0x42, 0x42, 0x42, 0x42}, {0x41, 0x41, 0x42, 0x94, 0x04}},
        {run255, expect255},
        {run256, expect256},
        {run300, expect300},
    };
    for (const auto& c : cases) {
        // A negative margin leaves room for output longer than the input.
        CodecHost roomy;
        roomy.CompressionMargin = -16;
        CodecResult r = Compress(c.in, coRLE, roomy);
        EXPECT_EQ(r.output, c.out);
        EXPECT_EQ(Expand(r.output, coRLE, 0).output, c.in);
    }
    EXPECT_THROW(Compress({0x94, 0x94, 0x94}, coRLE), EUnableToCompress);
}

}  // namespace
}  // namespace zuv::codecs::testing
