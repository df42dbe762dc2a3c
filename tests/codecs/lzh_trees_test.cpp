// The LZH compressor's search trees. With one tree per first byte the search is the
// published LZHUF program's: its streams come out byte for byte, which pins down the tree
// order, the insertion of the 60 positions before the first one, the choice among equally
// long matches met on the way down, the replacement of 60-byte matches and the deletion of
// old positions. The method's own 4096 hashed roots find matches just as long.
#include <gtest/gtest.h>

#include "codec_helpers.h"
#include "codecs/codec_io.h"
#include "codecs/lzh_trees.h"

namespace zuv::codecs::testing {
namespace {

Bytes CompressWithRoots(const Bytes& data, LzhRoots roots) {
    common::MemoryStream source(data);
    common::MemoryStream dest;
    CodecHost host;
    host.CompressionMargin = -int32_t(data.size()) - 64;
    CodecIO io(host, dest, source, int32_t(data.size()), false, false);
    CompressLZHWithRoots(io, roots);
    io.Flush();
    return dest.data();
}

TEST(LzhTrees, FirstByteRootsReproduceTheLzhufStreams) {
    std::string dir = std::string(ZUV_TEST_DATA) + "/codecs/lzhuf/";
    for (const char* name : {"one-byte", "short-text", "licence-text", "runs", "table", "large-mixed"}) {
        SCOPED_TRACE(name);
        Bytes original = ReadFile(dir + name + ".orig");
        Bytes stream = ReadFile(dir + name + ".lzh");
        ASSERT_FALSE(original.empty());
        Bytes ours = CompressWithRoots(original, LzhRoots::FirstByte);
        EXPECT_EQ(ours.size(), stream.size());
        EXPECT_TRUE(ours == stream);
    }
}

TEST(LzhTrees, HashedRootsAreWhatCompressLzhUses) {
    // English text: many equally long matches to choose between.
    for (const Bytes& data : {ReadFile(std::string(ZUV_TEST_DATA) + "/codecs/lzhuf/licence-text.orig")}) {
        ASSERT_FALSE(data.empty());
        CodecHost host;
        host.CompressionMargin = -int32_t(data.size()) - 64;
        Bytes viaRunCodec = Compress(data, coLZH, host).output;
        EXPECT_TRUE(viaRunCodec == CompressWithRoots(data, LzhRoots::Hashed));
        // The hashed trees meet other candidates among equally long matches: the streams
        // differ, yet both expand to the input.
        Bytes published = CompressWithRoots(data, LzhRoots::FirstByte);
        EXPECT_FALSE(viaRunCodec == published);
        EXPECT_EQ(Expand(published, coLZH, int32_t(data.size())).output, data);
    }
}

TEST(LzhTrees, LongInputsRoundTripAcrossManyWindowTurns) {
    // Inputs of many window lengths: old positions leave the trees all the time, 60-byte
    // matches replace nodes, short tails end the input at every offset.
    std::vector<Bytes> inputs = {Prose(70000, 41), Runs(50000), Records(49153), Random(20000, 42),
                                 Bytes(9000, 'z')};
    Bytes small = Random(60000, 43);
    for (auto& b : small) b = uint8_t('a' + b % 3);
    inputs.push_back(small);
    for (size_t n = 1; n < 130; n += 7) inputs.push_back(Prose(n, uint32_t(n)));
    for (size_t k = 0; k < inputs.size(); ++k) {
        SCOPED_TRACE(k);
        const Bytes& d = inputs[k];
        for (LzhRoots roots : {LzhRoots::Hashed, LzhRoots::FirstByte}) {
            Bytes packed = CompressWithRoots(d, roots);
            EXPECT_TRUE(Expand(packed, coLZH, int32_t(d.size())).output == d);
        }
    }
}

TEST(LzhTrees, EmptyInputWritesNothing) {
    EXPECT_TRUE(CompressWithRoots({}, LzhRoots::Hashed).empty());
    EXPECT_TRUE(CompressWithRoots({}, LzhRoots::FirstByte).empty());
}

}  // namespace
}  // namespace zuv::codecs::testing
