// The install log: time-stamped lines on disk as soon as they are written (a run that dies
// keeps them), the lines from before the file opened, the copy that starts late, and the
// default file name.
#include <gtest/gtest.h>

#include "common/install_log.h"
#include "platform/fake/fake_platform.h"

using namespace zuv;

namespace {

TEST(InstallLog, EveryLineIsOnDiskWhenWrittenAndTheCopyGetsTheEarlierOnes) {
    platform::FakePlatform fake;
    fake.PutFile("C:\\logs\\keep", "");
    fake.PutFile("C:\\App\\keep", "");
    common::TInstallLog log;
    log.Start(fake);
    log.Write("before the file");
    ASSERT_TRUE(log.Open("C:\\logs\\run.log"));
    EXPECT_EQ(fake.GetFile("C:\\logs\\run.log"), "2024-05-06 07:08:09.010  before the file\r\n");
    fake.now.second = 10;
    log.Write("Message (not shown): Your installation of \rZUV\rhas be completed.\r\rPlease");
    // Nothing is held back: the file already holds the line although it is still open.
    EXPECT_EQ(fake.GetFile("C:\\logs\\run.log"),
              "2024-05-06 07:08:09.010  before the file\r\n"
              "2024-05-06 07:08:10.010  Message (not shown): Your installation of  / ZUV / has be completed. / Please\r\n");
    ASSERT_TRUE(log.AddCopy("C:\\App\\install.log"));
    log.Error("Cannot open file x", 5);
    const std::string both = fake.GetFile("C:\\logs\\run.log");
    EXPECT_EQ(fake.GetFile("C:\\App\\install.log"), both);
    EXPECT_NE(both.find("ERROR: Cannot open file x (Windows error 5)\r\n"), std::string::npos);
    EXPECT_EQ(log.Lines().size(), 3u);
    // A copy of the object is the same log.
    common::TInstallLog shared = log;
    shared.Write("from a copy");
    EXPECT_EQ(log.Lines().size(), 4u);
}

TEST(InstallLog, ALogThatCannotBeCreatedKeepsItsLines) {
    platform::FakePlatform fake;
    fake.unopenable.push_back("C:\\NO\\RUN.LOG");
    common::TInstallLog log;
    log.Start(fake);
    EXPECT_FALSE(log.Open("C:\\NO\\RUN.LOG"));
    log.Write("kept");
    EXPECT_FALSE(log.IsOpen());
    ASSERT_TRUE(log.Open("C:\\run.log"));
    EXPECT_EQ(fake.GetFile("C:\\run.log"), "2024-05-06 07:08:09.010  kept\r\n");
}

TEST(InstallLog, DefaultNameCarriesTitleAndTime) {
    const platform::LocalTime at{2024, 12, 31, 23, 5, 9, 0};
    EXPECT_EQ(common::TInstallLog::DefaultName("ZUV Hello 1.0", at), "ZUV Setup ZUV Hello 1.0 2024-12-31 23-05-09.log");
    EXPECT_EQ(common::TInstallLog::DefaultName("A/B: \"C\"?", at), "ZUV Setup A_B_ _C__ 2024-12-31 23-05-09.log");
    EXPECT_EQ(common::TInstallLog::DefaultName("", at), "ZUV Setup 2024-12-31 23-05-09.log");
}

}  // namespace
