// The shared helpers on the fake platform.
#include <gtest/gtest.h>

#include "common/exception.h"
#include "common/routines.h"
#include "platform/fake/fake_platform.h"

using namespace zuv;

TEST(Routines, SplitAtCharRepeatsTheLastField) {
    std::string entry = "caption~<INSTALLDIR>app.exe~X";
    EXPECT_EQ(common::SplitAtChar(entry, '~'), "caption");
    EXPECT_EQ(common::SplitAtChar(entry, '~'), "<INSTALLDIR>app.exe");
    EXPECT_EQ(common::SplitAtChar(entry, '~'), "X");
    EXPECT_EQ(common::SplitAtChar(entry, '~'), "X");
    std::string empty;
    EXPECT_EQ(common::SplitAtChar(empty, '~'), "");
    std::string trailing = "a~";
    EXPECT_EQ(common::SplitAtChar(trailing, '~'), "a");
    EXPECT_EQ(trailing, "");
}

TEST(Routines, IntegerForms) {
    int32_t v = 0;
    EXPECT_TRUE(common::ParseInteger("$FF", v) && v == 255);
    EXPECT_TRUE(common::ParseInteger("0XfF", v) && v == 255);
    EXPECT_TRUE(common::ParseInteger("-2147483648", v) && v == INT32_MIN);
    EXPECT_TRUE(common::ParseInteger("$FFFFFFFF", v) && v == -1);
    for (const char* bad : {"", "0x", "$", "-", "12a", "yes", "2147483648", "$100000000", " 1"})
        EXPECT_FALSE(common::ParseInteger(bad, v)) << bad;
}

TEST(Routines, CreateDirPathMakesEveryParent) {
    platform::FakePlatform fake;
    common::CreateDirPath(fake, "C:\\A\\B\\C\\");
    EXPECT_TRUE(common::DirectoryExists(fake, "C:\\A\\B\\C"));
    common::CreateDirPath(fake, "C:");  // left alone
    EXPECT_THROW(common::CreateDirPath(fake, ""), common::EInOutError);
    try {
        common::CreateDirPath(fake, "");
    } catch (const common::Exception& e) {
        EXPECT_STREQ(e.what(), "Unable to create directory");
    }
}

TEST(Routines, CopyFileIntoADirectoryOrOverAFile) {
    platform::FakePlatform fake;
    std::string big(8192 * 2 + 5, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    fake.PutFile("C:\\SRC\\data.bin", big);
    common::CreateDirPath(fake, "C:\\DST");
    common::CopyFileInto(fake, "C:\\SRC\\data.bin", "C:\\DST");
    EXPECT_EQ(fake.GetFile("C:\\DST\\data.bin"), big);
    common::CopyFileInto(fake, "C:\\SRC\\data.bin", "C:\\DST\\");
    EXPECT_EQ(fake.GetFile("C:\\DST\\data.bin"), big);
    fake.PutFile("C:\\DST\\other.bin", "old");
    common::CopyFileInto(fake, "C:\\SRC\\data.bin", "C:\\DST\\other.bin");
    EXPECT_EQ(fake.GetFile("C:\\DST\\other.bin"), big);
    // A target that does not exist is taken as a directory name, which is not created.
    EXPECT_THROW(common::CopyFileInto(fake, "C:\\SRC\\data.bin", "C:\\DST\\new"), common::EInOutError);
    EXPECT_FALSE(fake.Exists("C:\\DST\\new"));
    fake.PutFile("C:\\SRC\\exact.bin", std::string(8192, 'e'));  // a full last read ends with an empty one
    common::CopyFileInto(fake, "C:\\SRC\\exact.bin", "C:\\DST");
    EXPECT_EQ(fake.GetFile("C:\\DST\\exact.bin").size(), 8192u);
}

TEST(Routines, CopyFileIntoReportsItsFailures) {
    platform::FakePlatform fake;
    common::CreateDirPath(fake, "C:\\DST");
    try {
        common::CopyFileInto(fake, "C:\\SRC\\missing.txt", "C:\\DST");
        FAIL();
    } catch (const common::EInOutError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file C:\\SRC\\missing.txt");
    }
    fake.PutFile("C:\\SRC\\a.txt", "abc");
    fake.unopenable.push_back("C:\\DST\\A.TXT");
    try {
        common::CopyFileInto(fake, "C:\\SRC\\a.txt", "C:\\DST");
        FAIL();
    } catch (const common::EInOutError& e) {
        EXPECT_STREQ(e.what(), "Cannot create file C:\\DST\\a.txt");
    }
}

TEST(Routines, CopyFileIntoRefusesAShortWrite) {
    platform::FakePlatform fake;
    fake.PutFile("C:\\SRC\\big.bin", std::string(20000, 'b'));
    common::CreateDirPath(fake, "C:\\DST");
    fake.writeLimits["C:\\DST\\BIG.BIN"] = 10000;  // the disk fills up
    try {
        common::CopyFileInto(fake, "C:\\SRC\\big.bin", "C:\\DST");
        FAIL();
    } catch (const common::EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("C:\\DST\\big.bin"), std::string::npos);
    }
    EXPECT_FALSE(fake.Exists("C:\\DST\\big.bin"));  // no truncated file left behind
}
