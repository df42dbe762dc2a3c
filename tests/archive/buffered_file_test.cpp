// The read-ahead and write-behind file under the segment reader and the container: the bytes
// and positions seen through it are those of the file, whatever the chunks and seeks; held-back
// bytes reach the file, a full disk is noticed, and a time set after writing stays.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "archive/buffered_file.h"
#include "archive_helpers.h"
#include "platform/fake/fake_platform.h"

namespace zuv::archive {
namespace {

using namespace zuv::archive::testing;

constexpr uint32_t kBlock = 64;  // small, so that every test crosses many blocks

class BufferedFileTest : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    std::string content;
    void SetUp() override {
        std::vector<uint8_t> data = SampleData(5000, 9);
        content.assign(data.begin(), data.end());
        fake.PutFile("C:\\data.bin", content);
    }
    std::unique_ptr<BufferedFile> Open(const std::string& path, platform::OpenMode mode) {
        auto file = fake.Open(path, mode);
        EXPECT_TRUE(file);
        return std::make_unique<BufferedFile>(std::move(file), kBlock);
    }
    std::string ReadText(BufferedFile& file, uint32_t count) {
        std::string out(count, '\0');
        out.resize(file.Read(&out[0], count));
        return out;
    }
};

TEST_F(BufferedFileTest, ReadsMatchTheFileWhateverTheChunks) {
    auto file = Open("C:\\data.bin", platform::OpenMode::kReadExclusive);
    EXPECT_EQ(file->Size(), content.size());
    const uint32_t chunks[] = {1, 7, 63, 64, 65, 200, 1000, 3};
    std::string seen;
    for (size_t i = 0; seen.size() < content.size(); ++i) {
        uint32_t want = chunks[i % 8];
        std::string got = ReadText(*file, want);
        // Short only at the end of the file.
        EXPECT_EQ(got.size(), std::min<size_t>(want, content.size() - seen.size()));
        seen += got;
        EXPECT_EQ(file->Position(), seen.size());
    }
    EXPECT_EQ(seen, content);
    EXPECT_EQ(ReadText(*file, 10), "");
    EXPECT_EQ(file->Position(), content.size());
}

TEST_F(BufferedFileTest, SeeksInsideAndOutsideTheBlockReadAhead) {
    auto file = Open("C:\\data.bin", platform::OpenMode::kReadExclusive);
    EXPECT_EQ(ReadText(*file, 10), content.substr(0, 10));
    ASSERT_TRUE(file->Seek(3));  // back, inside the block
    EXPECT_EQ(file->Position(), 3u);
    EXPECT_EQ(ReadText(*file, 5), content.substr(3, 5));
    ASSERT_TRUE(file->Seek(kBlock));  // exactly the end of the block
    EXPECT_EQ(ReadText(*file, 5), content.substr(kBlock, 5));
    ASSERT_TRUE(file->Seek(4000));  // far ahead
    EXPECT_EQ(ReadText(*file, 100), content.substr(4000, 100));
    ASSERT_TRUE(file->Seek(70));  // back, before the block now held
    EXPECT_EQ(ReadText(*file, 2000), content.substr(70, 2000));
    EXPECT_EQ(file->Position(), 2070u);
}

TEST_F(BufferedFileTest, HeldBackWritesReachTheFileInOrder) {
    std::string written;
    {
        auto file = Open("C:\\out.bin", platform::OpenMode::kCreate);
        const uint32_t chunks[] = {5, 64, 1, 130, 63, 64, 2};
        for (size_t i = 0, at = 0; i < 40; ++i) {
            uint32_t n = chunks[i % 7];
            ASSERT_EQ(file->Write(content.data() + at, n), n);
            written.append(content, at, n);
            at += n;
            EXPECT_EQ(file->Position(), written.size());
            EXPECT_EQ(file->Size(), written.size());  // held-back bytes count
        }
        EXPECT_TRUE(file->Flush());
        EXPECT_EQ(fake.GetFile("C:\\out.bin"), written);
        ASSERT_EQ(file->Write("tail", 4), 4u);  // left for the destructor
    }
    EXPECT_EQ(fake.GetFile("C:\\out.bin"), written + "tail");
}

TEST_F(BufferedFileTest, ReadingAndWritingShareOnePosition) {
    {
        auto file = Open("C:\\data.bin", platform::OpenMode::kReadWrite);
        EXPECT_EQ(ReadText(*file, 10), content.substr(0, 10));  // a block is read ahead
        ASSERT_EQ(file->Write("XYZ", 3), 3u);                  // lands at 10, not at the block's end
        EXPECT_EQ(file->Position(), 13u);
        EXPECT_EQ(ReadText(*file, 4), content.substr(13, 4));   // the held bytes go out first
        ASSERT_TRUE(file->Seek(0));
        EXPECT_EQ(ReadText(*file, 14), content.substr(0, 10) + "XYZ" + content.substr(13, 1));
    }
    std::string expected = content;
    expected.replace(10, 3, "XYZ");
    EXPECT_EQ(fake.GetFile("C:\\data.bin"), expected);
}

TEST_F(BufferedFileTest, AFullDiskIsNoticedByTheNextWriteOrTheFlush) {
    fake.writeLimits["C:\\FULL.BIN"] = 100;
    auto file = Open("C:\\full.bin", platform::OpenMode::kCreate);
    bool allTaken = true;
    for (int i = 0; i < 6; ++i) allTaken = file->Write(content.data() + 30 * i, 30) == 30 && allTaken;
    allTaken = file->Flush() && allTaken;
    EXPECT_FALSE(allTaken);
    // Once a write has failed, nothing more is taken.
    EXPECT_EQ(file->Write("x", 1), 0u);
    EXPECT_FALSE(file->Flush());
    file.reset();
    EXPECT_EQ(fake.GetFile("C:\\full.bin"), content.substr(0, 100));
}

TEST_F(BufferedFileTest, TimeSetAfterWritingStays) {
    const uint32_t dos = MakeDosDateTime(1999, 12, 31, 23, 58, 0);
    {
        // The reference: written straight to the file, then stamped.
        auto plain = fake.Open("C:\\plain.bin", platform::OpenMode::kCreate);
        ASSERT_EQ(plain->Write("held", 4), 4u);
        plain->SetDosDateTime(dos);
    }
    {
        auto file = Open("C:\\held.bin", platform::OpenMode::kCreate);
        ASSERT_EQ(file->Write("held", 4), 4u);
        file->SetDosDateTime(dos);
    }
    struct stat plain {}, held {};
    ASSERT_EQ(::stat(fake.HostPath("C:\\plain.bin").c_str(), &plain), 0);
    ASSERT_EQ(::stat(fake.HostPath("C:\\held.bin").c_str(), &held), 0);
    EXPECT_EQ(held.st_mtime, plain.st_mtime);
    EXPECT_EQ(held.st_size, 4);
}

}  // namespace
}  // namespace zuv::archive
