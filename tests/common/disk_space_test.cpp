// Drives and sizes as the disk-space messages name them.
#include <gtest/gtest.h>

#include "common/disk_space.h"
#include "platform/fake/fake_platform.h"

namespace zuv::common {
namespace {

TEST(DiskSpace, SizesReadTheWayTheyAreRounded) {
    struct Case {
        uint64_t bytes;
        bool roundUp;
        const char* text;
    } const cases[] = {
        {0, true, "0 bytes"},
        {1023, true, "1023 bytes"},
        {1024, false, "1 KB"},
        {1025, true, "2 KB"},
        {1025, false, "1 KB"},
        {1048575, true, "1024 KB"},
        {1048576, true, "1.0 MB"},
        {1153433, true, "1.1 MB"},
        {1153434, true, "1.2 MB"},   // just over 1.1 MB: what is needed never reads less than it is
        {1153434, false, "1.1 MB"},  // and what is free never reads more
        {5368709120ull, false, "5.0 GB"},
        {5368709121ull, true, "5.1 GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatSpace(c.bytes, c.roundUp), c.text) << c.bytes << " " << c.roundUp;
}

TEST(DiskSpace, DrivesAreNamedAsPeopleNameThem) {
    platform::FakePlatform platform;
    struct Case {
        const char* path;
        const char* drive;
    } const cases[] = {
        {"c:\\Program Files\\App", "C:"},
        {"D:", "D:"},
        {"\\\\server\\share\\apps\\x", "\\\\server\\share"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"relative\\dir", "C:"},  // from the current directory C:\ of the fake
    };
    for (const Case& c : cases) EXPECT_EQ(DriveOf(platform, c.path), c.drive) << c.path;
    EXPECT_EQ(DriveRoot("C:"), "C:\\");
}

TEST(DiskSpace, MessageNamesDriveNeededAndFree) {
    DriveSpace space{"D:", 3 * 1048576 + 1, 2 * 1048576};
    EXPECT_FALSE(space.Fits());
    EXPECT_EQ(NotEnoughSpaceMessage(space, "for this installation"),
              "There is not enough free space on drive D: for this installation.\r"
              "Space needed: 3.1 MB (3145729 bytes)\r"
              "Space free: 2.0 MB (2097152 bytes)\r\r"
              "Free some space on that drive, or choose another one, and try again.");
    EXPECT_TRUE((DriveSpace{"C:", 5, 5}.Fits()));
    EXPECT_TRUE((DriveSpace{"C:", 5, -1}.Fits())) << "a drive that cannot tell is not refused";
}

}  // namespace
}  // namespace zuv::common
