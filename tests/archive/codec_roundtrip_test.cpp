// Writer to reader through every codec method: plain, keyed (masked) and damaged entries.
#include <gtest/gtest.h>

#include "archive/archive_writer.h"
#include "archive/compress.h"
#include "archive_helpers.h"
#include "common/stream.h"
#include "platform/fake/fake_platform.h"

namespace zuv::archive {
namespace {

using namespace zuv::archive::testing;
using common::MemoryStream;

struct Sample {
    std::string name;
    std::vector<uint8_t> data;
};

std::vector<Sample> Samples() {
    std::vector<Sample> out;
    out.push_back({"runs.bin", std::vector<uint8_t>(20000, 'R')});
    out.push_back({"text.txt", SampleData(50000, 1)});
    out.push_back({"tiny", Bytes("x")});
    std::vector<uint8_t> mixed = SampleData(9000, 2);
    for (size_t i = 0; i < mixed.size(); i += 3) mixed[i] = uint8_t(i * 7);
    out.push_back({"sub\\mixed.dat", mixed});
    return out;
}

class CodecRoundTrip : public ::testing::TestWithParam<uint8_t> {
protected:
    platform::FakePlatform fake;
    TCompress compress{fake};
    void SetUp() override {
        compress.SetTargetPath("C:\\rt");
        compress.SetMakeDirectories(true);
    }
    std::vector<uint8_t> Build(int32_t key) {
        TArchiveWriter w(GetParam(), key);
        for (const auto& s : Samples()) w.Add(s.name, s.data);
        return w.Bytes();
    }
};

TEST_P(CodecRoundTrip, ExpandsToTheOriginalBytes) {
    std::vector<uint8_t> archive = Build(0);
    MemoryStream listed(archive);
    TArchiveList list;
    compress.ListArchiveStream(listed, list);
    ASSERT_EQ(list.size(), Samples().size());
    // Data that compresses well is stored with the archive's method.
    EXPECT_EQ(list[0].Info.Method, GetParam());
    EXPECT_LT(list[0].Info.CompressedSize, list[0].Info.ExpandedSize / 2);
    MemoryStream stream(archive);
    compress.ExpandArchiveStream(stream, nullptr);
    for (const auto& s : Samples())
        EXPECT_EQ(fake.GetFile("C:\\rt\\" + s.name), std::string(s.data.begin(), s.data.end())) << s.name;
    MemoryStream tested(archive);
    EXPECT_EQ(compress.TestArchiveStream(tested), int(Samples().size()));
}

TEST_P(CodecRoundTrip, KeyedEntriesNeedTheRightKey) {
    const int32_t key = 0x12345678;
    std::vector<uint8_t> archive = Build(key);
    TArchiveList list;
    MemoryStream listed(archive);
    compress.ListArchiveStream(listed, list);
    EXPECT_TRUE(list[0].Info.Locked);
    compress.SetKey(key);
    MemoryStream stream(archive);
    compress.ExpandArchiveStream(stream, nullptr);
    for (const auto& s : Samples())
        EXPECT_EQ(fake.GetFile("C:\\rt\\" + s.name), std::string(s.data.begin(), s.data.end())) << s.name;
    for (int32_t wrong : {0, key + 1, key ^ 0x100}) {
        compress.SetKey(wrong);
        MemoryStream again(archive);
        EXPECT_THROW(compress.ExpandArchiveStream(again, nullptr), EInvalidKey) << wrong;
        EXPECT_FALSE(fake.Exists("C:\\rt\\runs.bin")) << wrong;  // the failing file is deleted
    }
}

TEST_P(CodecRoundTrip, DamagedDataFailsCleanly) {
    std::vector<uint8_t> archive = Build(0);
    // Every byte of the first entry's data flipped in turn, at a stride: an error or the
    // right data, never a crash; the stream always resumes at the next entry.
    const size_t data = 21 + 25 + 8;
    TArchiveList list;
    MemoryStream listed(archive);
    compress.ListArchiveStream(listed, list);
    const size_t stored = size_t(list[0].Info.CompressedSize);
    for (size_t at = data; at < data + stored; at += std::max<size_t>(1, stored / 40)) {
        std::vector<uint8_t> bad = archive;
        bad[at] ^= 0xA5;
        MemoryStream stream(bad);
        try {
            compress.ExpandArchiveStream(stream, nullptr);
        } catch (const EBadChecksum&) {
        } catch (const ELZHBadDecodeTable&) {
        }
    }
}

TEST_P(CodecRoundTrip, ProgressCanStopAnEntry) {
    std::vector<uint8_t> archive = Build(0);
    int calls = 0;
    compress.OnShowProgress = [&](int32_t& percent) {
        ++calls;
        percent = -1;
    };
    MemoryStream stream(archive);
    EXPECT_THROW(compress.ExpandArchiveStream(stream, nullptr), EBadChecksum);
    EXPECT_GT(calls, 0);
}

INSTANTIATE_TEST_SUITE_P(Methods, CodecRoundTrip, ::testing::Values(uint8_t(coRLE), uint8_t(coLZH), uint8_t(coLZH5)),
                         [](const ::testing::TestParamInfo<uint8_t>& info) {
                             return std::string(kMethodIds[info.param]);
                         });

}  // namespace
}  // namespace zuv::archive
