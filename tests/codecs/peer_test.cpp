// Agreement with independent tools: -lh5- streams made by jlha expand byte-exact here, and
// our -lh5- and -lh1- streams, wrapped in a level-0 .lzh header, expand byte-exact in lhasa,
// 7-Zip and bsdtar. The published LZHUF program's streams expand byte-exact.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "codec_helpers.h"

namespace zuv::codecs::testing {
namespace {

uint32_t Le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t Le16(const Bytes& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }

struct LzhMember {
    std::string method;
    Bytes stream;
    uint32_t originalSize = 0;
};

// Reads the first member of a .lzh archive with a level 0, 1 or 2 header.
LzhMember FirstMember(const Bytes& a) {
    LzhMember m;
    if (a.size() < 24) return m;
    m.method.assign(a.begin() + 2, a.begin() + 7);
    uint32_t packed = Le32(a, 7);
    m.originalSize = Le32(a, 11);
    size_t pos;
    int level = a[20];
    if (level == 2) {
        pos = Le16(a, 0);
    } else {
        pos = size_t(a[0]) + 2;
        if (level == 1) {
            uint32_t next = Le16(a, pos - 2);
            while (next != 0 && pos + next <= a.size()) {
                pos += next;
                packed -= next;
                next = Le16(a, pos - 2);
            }
        }
    }
    if (pos + packed <= a.size()) m.stream.assign(a.begin() + long(pos), a.begin() + long(pos + packed));
    return m;
}

uint16_t Crc16(const Bytes& data) {
    uint16_t crc = 0;
    for (uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

// A one-member .lzh archive with a level-0 header around a raw stream.
Bytes WrapLevel0(const std::string& method, const std::string& name, const Bytes& stream, const Bytes& original) {
    Bytes h;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) h.push_back(uint8_t(v >> (8 * i)));
    };
    h.push_back(0);
    h.push_back(0);
    h.insert(h.end(), method.begin(), method.end());
    put32(uint32_t(stream.size()));
    put32(uint32_t(original.size()));
    put32(0x5A210000);  // 2025-01-01 00:00 as a DOS time stamp
    h.push_back(0x20);
    h.push_back(0);
    h.push_back(uint8_t(name.size()));
    h.insert(h.end(), name.begin(), name.end());
    uint16_t crc = Crc16(original);
    h.push_back(uint8_t(crc));
    h.push_back(uint8_t(crc >> 8));
    h[0] = uint8_t(h.size() - 2);
    uint8_t sum = 0;
    for (size_t i = 2; i < h.size(); ++i) sum = uint8_t(sum + h[i]);
    h[1] = sum;
    h.insert(h.end(), stream.begin(), stream.end());
    h.push_back(0);
    return h;
}

std::vector<std::pair<std::string, Bytes>> PeerCorpus() {
    return {{"one.bin", {0x5A}},
            {"text.txt", Prose(40000, 11)},
            {"random.bin", Random(20000, 12)},
            {"runs.bin", Runs(150000)},
            {"records.bin", Records(70000)},
            {"block.bin", Prose(8192 * 3, 13)},
            {"big.bin", [] {
                 Bytes b = Prose(700000, 14);
                 Bytes r = Random(200000, 15);
                 b.insert(b.begin() + 300000, r.begin(), r.end());
                 Bytes z = Runs(200000);
                 b.insert(b.end(), z.begin(), z.end());
                 return b;
             }()}};
}

bool Shell(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

TEST(PeerJlha, Lh5StreamsOfEveryHeaderLevelExpandExactly) {
    if (!HaveTool("jlha")) GTEST_SKIP() << "jlha is not installed (apt-get install jlha-utils)";
    std::string dir = TempDir("jlha");
    for (const auto& [name, data] : PeerCorpus()) {
        WriteFile(dir + "/" + name, data);
        for (int level : {0, 1, 2}) {
            SCOPED_TRACE(name + " level " + std::to_string(level));
            std::string archive = dir + "/x" + std::to_string(level) + ".lzh";
            std::remove(archive.c_str());
            ASSERT_TRUE(Shell("cd '" + dir + "' && jlha c" + std::to_string(level) + "o5q '" + archive + "' " + name +
                            " >/dev/null 2>&1"));
            LzhMember m = FirstMember(ReadFile(archive));
            if (m.method == "-lh0-") continue;  // stored: jlha found it incompressible
            ASSERT_EQ(m.method, "-lh5-");
            ASSERT_EQ(m.originalSize, data.size());
            CodecResult back = Expand(m.stream, coLZH5, int32_t(data.size()));
            EXPECT_TRUE(back.output == data);
            EXPECT_EQ(back.checksum, Sum(data));
        }
    }
}

struct PeerTool {
    std::string binary;
    std::string extract;  // command extracting the archive %A into the directory %O
};

void CheckPeerExpands(const PeerTool& tool, uint8_t method, const std::string& lzhMethod,
                      bool avoidSpaces = false, bool best = false) {
    if (!HaveTool(tool.binary)) GTEST_SKIP() << tool.binary << " is not installed";
    std::string dir = TempDir(tool.binary + lzhMethod + (best ? "best" : ""));
    CodecHost host;
    host.BestCompression = best;
    for (auto [name, data] : PeerCorpus()) {
        if (avoidSpaces) {
            for (auto& b : data) b = b == 0x20 ? 0x5F : b;
        }
        SCOPED_TRACE(name);
        CodecResult packed;
        try {
            packed = Compress(data, method, host);
        } catch (const EUnableToCompress&) {
            continue;  // output would exceed the input
        }
        std::string archive = dir + "/" + name + ".lzh";
        std::string outDir = dir + "/" + name + ".out";
        WriteFile(archive, WrapLevel0(lzhMethod, name, packed.output, data));
        std::string cmd = tool.extract;
        cmd.replace(cmd.find("%A"), 2, "'" + archive + "'");
        cmd.replace(cmd.find("%O"), 2, "'" + outDir + "'");
        ASSERT_TRUE(Shell("mkdir -p '" + outDir + "' && " + cmd + " >/dev/null 2>&1")) << cmd;
        Bytes back = ReadFile(outDir + "/" + name);
        ASSERT_EQ(back.size(), data.size());
        EXPECT_TRUE(back == data);
        if (back != data) WriteFile(outDir + ".orig", data);  // kept for a look with cmp
    }
}

TEST(PeerExpand, LhasaExpandsOurLh5) { CheckPeerExpands({"lha", "lha xqfw=%O %A"}, coLZH5, "-lh5-"); }
// Our LZH window starts with spaces and the encoder may match them at the start of a
// file; lhasa's -lh1- history does not start with spaces, so the samples carry no spaces.
TEST(PeerExpand, LhasaExpandsOurLh1) { CheckPeerExpands({"lha", "lha xqfw=%O %A"}, coLZH, "-lh1-", true); }
TEST(PeerExpand, SevenZipExpandsOurLh5) { CheckPeerExpands({"7z", "7z e -y -o%O %A"}, coLZH5, "-lh5-"); }
TEST(PeerExpand, BsdtarExpandsOurLh5) { CheckPeerExpands({"bsdtar", "bsdtar -xf %A -C %O"}, coLZH5, "-lh5-"); }

// The best level's streams (the parse by price, blocks split where it pays) in each reader.
class PeerExpandBest : public ::testing::TestWithParam<PeerTool> {};
TEST_P(PeerExpandBest, ExpandsOurBestLh5) { CheckPeerExpands(GetParam(), coLZH5, "-lh5-", false, true); }
INSTANTIATE_TEST_SUITE_P(Readers, PeerExpandBest,
                         ::testing::Values(PeerTool{"lhasa", "lhasa xqfw=%O %A"}, PeerTool{"7z", "7z e -y -o%O %A"},
                                           PeerTool{"bsdtar", "bsdtar -xf %A -C %O"}, PeerTool{"jlha", "jlha xqfw=%O %A"}),
                         [](const auto& info) { return info.param.binary; });

// The published LZHUF program's streams (its 4-byte size field removed).
TEST(LzhufVectors, ExpandByteExactWithTheirChecksums) {
    std::string dir = std::string(ZUV_TEST_DATA) + "/codecs/lzhuf/";
    int seen = 0;
    for (const char* name : {"one-byte", "short-text", "licence-text", "runs", "table", "large-mixed"}) {
        SCOPED_TRACE(name);
        Bytes stream = ReadFile(dir + name + ".lzh");
        Bytes original = ReadFile(dir + name + ".orig");
        ASSERT_FALSE(stream.empty());
        CodecResult back = Expand(stream, coLZH, int32_t(original.size()));
        ASSERT_EQ(back.output.size(), original.size());
        EXPECT_TRUE(back.output == original);
        EXPECT_EQ(back.checksum, Sum(original));
        ++seen;
    }
    EXPECT_EQ(seen, 6);
}

// Where the published program has no equally long matches to choose between, our encoder
// makes the same choices and the same adaptive codes: the stream is identical.
TEST(LzhufVectors, ShortTextCompressesToTheSameStream) {
    std::string dir = std::string(ZUV_TEST_DATA) + "/codecs/lzhuf/";
    Bytes original = ReadFile(dir + "short-text.orig");
    EXPECT_EQ(Compress(original, coLZH).output, ReadFile(dir + "short-text.lzh"));
}

TEST(LzhufVectors, ChecksumsMatchTheManifest) {
    std::ifstream f(std::string(ZUV_TEST_DATA) + "/codecs/lzhuf/manifest.json");
    std::stringstream ss;
    ss << f.rdbuf();
    std::string json = ss.str();
    // Each entry names its stream, its expanded size and its checksum, in this order.
    size_t at = 0;
    int entries = 0;
    while ((at = json.find("\"stream\": \"", at)) != std::string::npos) {
        at += 11;
        std::string stream = json.substr(at, json.find('"', at) - at);
        size_t sizeAt = json.find("\"expanded_size\": ", at) + 17;
        size_t sumAt = json.find("\"checksum\": ", at) + 12;
        int32_t size = int32_t(std::stoll(json.substr(sizeAt)));
        uint32_t sum = uint32_t(std::stoull(json.substr(sumAt)));
        CodecResult back =
            Expand(ReadFile(std::string(ZUV_TEST_DATA) + "/codecs/lzhuf/" + stream), coLZH, size);
        EXPECT_EQ(back.checksum, sum) << stream;
        EXPECT_EQ(back.output.size(), size_t(size)) << stream;
        ++entries;
    }
    EXPECT_EQ(entries, 6);
}

}  // namespace
}  // namespace zuv::codecs::testing
