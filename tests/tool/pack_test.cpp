// zuv pack as a vendor meets it: segment sizes with suffixes and floppy presets, a folder that
// holds another set, and a failure half way that leaves no segments behind.
#include "tool/tool_fixture.h"

namespace zuv::tool::testing {
namespace {

class PackTest : public ZuvRun {};

TEST_F(PackTest, SegmentSizesTakeSuffixesAndFloppyPresets) {
    Write(dir / "in" / "noise.bin", Noise(3'000'000, 7));
    const struct {
        const char* given;
        long long bytes;  // size of disk.001; -1: refused as bad usage
    } table[] = {
        {"20000", 20000},     {"16K", 16384},       {"16k", 16384},       {"1.5K", 16384},  // raised to the least
        {"700K", 716800},     {"1M", 1048576},      {"0.5M", 524288},     {"360K", 368640},
        {"720K", 737280},     {"1.2M", 1228800},    {"1.44M", 1474560},   {"2.88M", 2949120},
        {"1.44", -1},         {"12Q", -1},          {"K", -1},            {"-5", -1},
        {"3000M", -1},        {"", -1},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.given);
        fs::remove_all(dir / "set");
        int status = Zuv(std::string("pack -q --method none --segment-size '") + row.given + "' -o set in/noise.bin");
        if (row.bytes < 0) {
            EXPECT_EQ(status, 2) << err;
            EXPECT_NE(err.find("--segment-size needs a size"), std::string::npos) << err;
            continue;
        }
        ASSERT_EQ(status, 0) << err;
        EXPECT_EQ(fs::file_size(dir / "set" / "disk.001"), (unsigned long long)row.bytes);
        EXPECT_EQ(out, "");  // -q
    }
}

TEST_F(PackTest, AnotherSetsSegmentsAreRefusedUnlessForced) {
    Write(dir / "big" / "noise.bin", Noise(90'000, 3));
    Write(dir / "small" / "note.txt", "a note");
    ASSERT_EQ(Zuv("pack --method none --segment-size 16K -o set big/noise.bin"), 0) << err;
    ASSERT_TRUE(fs::exists(dir / "set" / "disk.006"));
    const std::string sixth = Slurp(dir / "set" / "disk.006");

    // Without --force nothing is touched, and the message names what is in the way.
    EXPECT_EQ(Zuv("pack -o set small/note.txt"), 1);
    EXPECT_EQ(err, "zuv: \"set\" holds disk.001 to disk.006 of another set; --force removes them before the new set "
                   "is written\n");
    EXPECT_EQ(Slurp(dir / "set" / "disk.006"), sixth);

    // Segments under another case are the same files on the setup's file system.
    fs::rename(dir / "set" / "disk.006", dir / "set" / "DISK.006");
    ASSERT_EQ(Zuv("pack --force -o set small/note.txt"), 0) << err;
    EXPECT_TRUE(fs::exists(dir / "set" / "disk.001"));
    for (const char* gone : {"disk.002", "disk.005", "DISK.006"}) EXPECT_FALSE(fs::exists(dir / "set" / gone)) << gone;
    ASSERT_EQ(Zuv("test set"), 0) << err;
    EXPECT_EQ(out, "1 files tested, all sound\n");

    // Another base name is another set; it stays.
    ASSERT_EQ(Zuv("pack --base other -o set small/note.txt"), 0) << err;
    EXPECT_TRUE(fs::exists(dir / "set" / "disk.001"));
}

TEST_F(PackTest, CaseTwinsAreRefusedBeforeAnythingIsWritten) {
    Write(dir / "in" / "Read.txt", "one");
    Write(dir / "in" / "read.txt", "two");
    EXPECT_EQ(Zuv("pack -o set in"), 1);
    EXPECT_NE(err.find("in/read.txt\": its name differs from \"in/Read.txt\" only in case"), std::string::npos) << err;
    EXPECT_NE(err.find("nothing was written"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "set" / "disk.001"));
}

TEST_F(PackTest, FailureHalfWayLeavesNoSegments) {
    Write(dir / "in" / "noise.bin", Noise(40'000, 5));
    // A folder where the second segment is to go: creating it fails after disk.001 is written.
    Write(dir / "set" / "disk.002" / "keep", "");
    EXPECT_EQ(Zuv("pack --method none --segment-size 16K -o set in/noise.bin"), 1);
    EXPECT_EQ(err, "zuv: cannot create \"set/disk.002\": Is a directory; the segments written were removed\n");
    EXPECT_FALSE(fs::exists(dir / "set" / "disk.001"));
    EXPECT_FALSE(fs::exists(dir / "set" / ".zuv-pack.tmp"));
    EXPECT_TRUE(fs::exists(dir / "set" / "disk.002" / "keep"));
}

TEST_F(PackTest, MissingInputIsNamedWithTheSystemsReason) {
    EXPECT_EQ(Zuv("pack -o set nothere"), 1);
    EXPECT_EQ(err, "zuv: cannot open \"nothere\": No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "set"));
}

}  // namespace
}  // namespace zuv::tool::testing
