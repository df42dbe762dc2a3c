// The POSIX platform's case-insensitive path lookup: a folder is read once however many
// files are looked up or created in it, and the lookup still follows every change to the
// folder, made through the platform or behind its back. And a current directory deeper than
// PATH_MAX is read whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/posix_platform.h"

namespace zuv::platform {
namespace {

namespace fs = std::filesystem;

// Counts the directory listings the lookup makes.
class CountingPlatform : public PosixPlatform {
public:
    int listings = 0;

protected:
    std::vector<std::string> ListDirectory(const std::string& hostDir) override {
        ++listings;
        return PosixPlatform::ListDirectory(hostDir);
    }
};

class PosixLookupTest : public ::testing::Test {
protected:
    std::string dir;
    CountingPlatform platform;

    void SetUp() override {
        char name[] = "/tmp/zuv-lookup-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(dir + "/" + name, std::ios::binary) << content;
    }
    std::string Read(const std::string& windowsPath) {
        auto file = platform.Open(windowsPath, OpenMode::kReadShared);
        if (!file) return "(none)";
        std::string text(size_t(file->Size()), '\0');
        file->Read(text.data(), uint32_t(text.size()));
        return text;
    }
};

TEST_F(PosixLookupTest, ManyFilesInOneFolderReadItOnce) {
    const int files = 3000;
    for (int i = 0; i < files; ++i) {
        auto file = platform.Open(dir + "\\File" + std::to_string(i) + ".TXT", OpenMode::kCreate);
        ASSERT_TRUE(file);
        const std::string text = std::to_string(i);
        file->Write(text.data(), uint32_t(text.size()));
    }
    // Each name as written is new, then each is found in another letter case.
    for (int i = 0; i < files; i += 7) EXPECT_EQ(Read(dir + "\\file" + std::to_string(i) + ".txt"), std::to_string(i));
    EXPECT_LE(platform.listings, 2);
    EXPECT_EQ(size_t(std::distance(fs::directory_iterator(dir), {})), size_t(files));
}

TEST_F(PosixLookupTest, LookupFollowsEveryChangeToTheFolder) {
    struct Step {
        const char* what;
        std::function<void()> change;
        const char* asked;
        const char* found;  // the host name the lookup gives
    };
    const Step steps[] = {
        {"made outside", [&] { Write("Readme.TXT", "1"); }, "README.txt", "Readme.TXT"},
        {"renamed outside", [&] { fs::rename(dir + "/Readme.TXT", dir + "/README.TXT"); }, "readme.txt",
         "README.TXT"},
        {"removed outside", [&] { fs::remove(dir + "/README.TXT"); }, "readme.txt", "readme.txt"},
        {"made by the platform", [&] { platform.Open(dir + "\\Setup.Log", OpenMode::kCreate); }, "SETUP.LOG",
         "Setup.Log"},
        {"deleted by the platform", [&] { platform.DeleteFile(dir + "\\SETUP.log"); }, "setup.log", "setup.log"},
        {"folder made by the platform", [&] { platform.CreateDirectory(dir + "\\Data"); }, "DATA", "Data"},
        {"folder removed by the platform", [&] { platform.RemoveDirectory(dir + "\\data"); }, "DATA", "DATA"},
        {"made outside after the platform's changes", [&] { Write("Late.Txt", "2"); }, "LATE.TXT", "Late.Txt"},
    };
    Write("Other.bin", "x");
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        platform.HostPath(dir + "\\" + s.asked);  // what the lookup knows of the folder before the change
        s.change();
        EXPECT_EQ(platform.HostPath(dir + "\\" + s.asked), dir + "/" + s.found);
        EXPECT_EQ(platform.HostPath(dir + "\\OTHER.BIN"), dir + "/Other.bin");
    }
}

// Made one level at a time from inside (no single path to it fits PATH_MAX).
TEST_F(PosixLookupTest, CurrentDirectoryDeeperThanPathMaxIsReadWhole) {
    const std::string level(200, 'd');
    const int back = ::open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(back, 0);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    std::string expected = dir;
    while (expected.size() <= 5000) {
        ASSERT_EQ(::mkdir(level.c_str(), 0700), 0);
        ASSERT_EQ(::chdir(level.c_str()), 0);
        expected += "/" + level;
    }
    const std::string current = platform.CurrentDirectory();
    ASSERT_EQ(::fchdir(back), 0);
    ::close(back);
    EXPECT_EQ(current, expected);
}

}  // namespace
}  // namespace zuv::platform
