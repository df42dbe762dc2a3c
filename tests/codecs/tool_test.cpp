// The zuv tool's codec command, run as a program.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "codec_helpers.h"

namespace zuv::codecs::testing {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

std::string ToolPath() { return std::string(ZUV_BINARY_DIR) + "/zuv"; }

bool HaveZuv() { return std::ifstream(ToolPath()).good(); }

Outcome Zuv(const std::string& args) {
    std::string cmd = ToolPath() + " codec " + args + " 2>&1";
    Outcome o;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return o;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) o.out += buf;
    int st = pclose(p);
    o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return o;
}

std::string Hex(uint32_t v) {
    char b[32];
    std::snprintf(b, sizeof b, "checksum 0x%08X", v);
    return b;
}

TEST(ZuvCodecTool, RoundTripsEveryMethodAndPrintsTheChecksum) {
    if (!HaveZuv()) GTEST_SKIP() << "the zuv tool is not built in " << ZUV_BINARY_DIR;
    std::string dir = TempDir("tool");
    Bytes data = Records(50000);  // shrinks under every method
    WriteFile(dir + "/in", data);
    for (const char* method : {"lh5", "lzh", "rle"}) {
        SCOPED_TRACE(method);
        Outcome c = Zuv(std::string("compress --method ") + method + " " + dir + "/in " + dir + "/packed");
        ASSERT_EQ(c.status, 0) << c.out;
        EXPECT_EQ(c.out, Hex(Sum(data)) + "\n");
        Outcome e = Zuv(std::string("expand --method ") + method + " --size " + std::to_string(data.size()) + " " +
                        dir + "/packed " + dir + "/out");
        ASSERT_EQ(e.status, 0) << e.out;
        EXPECT_EQ(e.out, Hex(Sum(data)) + "\n");
        EXPECT_TRUE(ReadFile(dir + "/out") == data);
    }
}

TEST(ZuvCodecTool, BadDataAndBadUsage) {
    if (!HaveZuv()) GTEST_SKIP() << "the zuv tool is not built in " << ZUV_BINARY_DIR;
    std::string dir = TempDir("tool_bad");
    // Code-length code with three lengths of 1: over-full.
    WriteFile(dir + "/bad", {0x00, 0x05, 0x19, 0x24, 0x80});
    Outcome bad = Zuv("expand --method lh5 --size 10 " + dir + "/bad " + dir + "/out");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("Bad decode table in archive!"), std::string::npos) << bad.out;
    EXPECT_EQ(Zuv("expand --method lh5 " + dir + "/bad " + dir + "/out").status, 2);
    EXPECT_EQ(Zuv("expand --method zip --size 3 " + dir + "/bad " + dir + "/out").status, 2);
    EXPECT_EQ(Zuv("expand --method rle --size -3 " + dir + "/bad " + dir + "/out").status, 2);
    EXPECT_EQ(Zuv("squeeze --method rle " + dir + "/bad " + dir + "/out").status, 2);
    EXPECT_EQ(Zuv("compress --method rle " + dir + "/bad").status, 2);
    EXPECT_EQ(Zuv("compress --method rle " + dir + "/missing " + dir + "/out").status, 1);
}

}  // namespace
}  // namespace zuv::codecs::testing
