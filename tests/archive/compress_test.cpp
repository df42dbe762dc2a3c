// The container reader: layout, listing, selection, events, space, keys and failures.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <ctime>

#include "archive/archive_writer.h"
#include "archive/compress.h"
#include "archive_helpers.h"
#include "common/exception.h"
#include "common/stream.h"
#include "platform/fake/fake_platform.h"

namespace zuv::archive {
namespace {

using namespace zuv::archive::testing;
using common::MemoryStream;

class CompressTest : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    TCompress compress{fake};

    void SetUp() override {
        compress.SetTargetPath("C:\\out");
        fake.CreateDirectory("C:\\out");
    }

    std::vector<std::string> Expand(const std::vector<uint8_t>& archive, std::vector<std::string>* list = nullptr) {
        MemoryStream stream(archive);
        std::vector<std::string> own;
        compress.ExpandArchiveStream(stream, list ? list : &own);
        return list ? *list : own;
    }
    // Expands every entry (no list) and returns nothing.
    void ExpandAll(const std::vector<uint8_t>& archive) {
        MemoryStream stream(archive);
        compress.ExpandArchiveStream(stream, nullptr);
    }
    template <class E>
    std::string MessageOf(const std::vector<uint8_t>& archive) {
        try {
            ExpandAll(archive);
        } catch (const E& e) {
            return e.what();
        }
        return "(no exception)";
    }
};

std::vector<uint8_t> ThreeFiles() {
    TArchiveWriter w;
    w.Add("README.TXT", Bytes("read me"));
    w.Add("sub\\data.bin", Bytes("0123456789"));
    w.Add("Third.dat", Bytes("third file"));
    return w.Bytes();
}

TEST(ArchiveLayout, HeadersEncodeAtTheirOffsets) {
    TArchiveWriter w(coLZH5, 0);
    EntryHeader h;
    h.DateTime = 0x11223344;
    h.Attributes = 0x21;
    h.ExpandedSize = 3;
    h.CompressedSize = 3;
    h.Method = coNone;
    h.Checksum = -5;
    h.LockLevel = 2;
    w.AddRaw(h, "ab", Bytes("xyz"));
    std::vector<uint8_t> a = w.Bytes();
    ASSERT_EQ(a.size(), 21u + 25u + 2u + 3u);
    EXPECT_EQ(std::string(a.begin(), a.begin() + 5), std::string("TEQA\x1A"));
    EXPECT_EQ(std::string(a.begin() + 5, a.begin() + 8), "LH5");
    EXPECT_EQ(a[8], 3);   // total expanded size
    EXPECT_EQ(a[12], 1);  // caMulti
    for (int i = 13; i < 21; ++i) EXPECT_EQ(a[i], 0) << i;  // reserved, lock level 0 without key
    const uint8_t* e = a.data() + 21;
    EXPECT_EQ(e[0], 2);
    EXPECT_EQ(e[1], 0);
    EXPECT_EQ(e[2], 0x44);
    EXPECT_EQ(e[5], 0x11);
    EXPECT_EQ(e[6], 0x21);
    EXPECT_EQ(e[16], 0);
    EXPECT_EQ(e[17], 0xFB);
    EXPECT_EQ(e[20], 0xFF);
    EXPECT_EQ(e[21], 2);
    EXPECT_EQ(std::string(a.begin() + 46, a.begin() + 48), "ab");
    EXPECT_EQ(std::string(a.begin() + 48, a.end()), "xyz");
}

TEST(ArchiveLayout, KeyedArchiveHasLockLevelTwoAndChecksumPlusKey) {
    TArchiveWriter w(coNone, 1000);
    w.Add("a", Bytes("AB"));
    std::vector<uint8_t> a = w.Bytes();
    EXPECT_EQ(a[17], 2);
    EntryHeader h;
    h.Decode(a.data() + 21);
    EXPECT_EQ(h.Checksum, 'A' + 'B' + 1000);
    EXPECT_GT(h.LockLevel, 0);
}

TEST_F(CompressTest, TargetPathSetterAddsOneBackslash) {
    compress.SetTargetPath("C:\\x");
    EXPECT_EQ(compress.TargetPath(), "C:\\x\\");
    compress.SetTargetPath("C:\\x\\");
    EXPECT_EQ(compress.TargetPath(), "C:\\x\\");
    compress.SetTargetPath("");
    EXPECT_EQ(compress.TargetPath(), "");
}

TEST_F(CompressTest, ListsEveryEntryWithItsInformation) {
    TArchiveWriter w;
    w.Add("one.txt", Bytes("1"), 0x5A5A1234, 0x01);
    EntryHeader locked = StoredHeader(Bytes("22"));
    locked.LockLevel = 1;
    locked.Method = 9;
    w.AddRaw(locked, "two.txt", Bytes("22"));
    MemoryStream stream(w.Bytes());
    TArchiveList list;
    list.push_back({"already", {}});
    compress.ListArchiveStream(stream, list);
    ASSERT_EQ(list.size(), 3u);  // not cleared first
    EXPECT_EQ(list[1].Name, "one.txt");
    EXPECT_EQ(list[1].Info.DateTime, 0x5A5A1234u);
    EXPECT_EQ(list[1].Info.Attributes, 1);
    EXPECT_EQ(list[1].Info.ExpandedSize, 1);
    EXPECT_EQ(list[1].Info.HeaderOffset, 21);
    EXPECT_FALSE(list[1].Info.Locked);
    EXPECT_EQ(list[2].Name, "two.txt");
    EXPECT_EQ(list[2].Info.HeaderOffset, 21 + 25 + 7 + 1);
    EXPECT_EQ(list[2].Info.Method, 9);
    EXPECT_TRUE(list[2].Info.Locked);
}

TEST_F(CompressTest, ShortStreamsAreEmptyArchives) {
    std::vector<uint8_t> full = ThreeFiles();
    for (size_t n = 0; n <= 20; ++n) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + n);
        cut.resize(n, 'x');  // garbage is never examined
        MemoryStream listed(cut);
        TArchiveList list;
        compress.ListArchiveStream(listed, list);
        EXPECT_TRUE(list.empty());
        EXPECT_NO_THROW(ExpandAll(cut)) << n;
    }
    // 21 to 45 bytes: listing adds nothing, but expanding still tests the header.
    std::vector<uint8_t> bad(30, 'x');
    MemoryStream listed(bad);
    TArchiveList list;
    EXPECT_NO_THROW(compress.ListArchiveStream(listed, list));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(MessageOf<EInvalidHeader>(bad), "Can't recognize compressed file header");
}

TEST_F(CompressTest, HeaderFailuresCarryTheirMessages) {
    std::vector<uint8_t> a = ThreeFiles();
    a[12] = 0;
    EXPECT_EQ(MessageOf<EInvalidHeaderArchiveType>(a), "Archive type must be caMulti");
    a = ThreeFiles();
    a[5] = 'X';
    a[6] = 'y';
    a[7] = 'Z';
    EXPECT_EQ(MessageOf<EUnrecognizedCompressionMethod>(a), "Unrecognized compression method: \"XyZ\" in header");
    a[5] = 'n';  // identifiers are compared with letter case
    a[6] = 'o';
    a[7] = 'n';
    EXPECT_EQ(MessageOf<EUnrecognizedCompressionMethod>(a), "Unrecognized compression method: \"non\" in header");
    std::string seen;
    compress.OnRecognize = [&](const std::string& id, bool& recognized) {
        seen = id;
        EXPECT_FALSE(recognized);
        recognized = true;
    };
    EXPECT_NO_THROW(ExpandAll(a));
    EXPECT_EQ(seen, "non");
    EXPECT_EQ(fake.GetFile("C:\\out\\README.TXT"), "read me");
}

TEST_F(CompressTest, ExpandsEverythingWithoutAList) {
    compress.SetMakeDirectories(true);
    ExpandAll(ThreeFiles());
    EXPECT_EQ(fake.GetFile("C:\\out\\README.TXT"), "read me");
    EXPECT_EQ(fake.GetFile("C:\\out\\sub\\data.bin"), "0123456789");
    EXPECT_EQ(fake.GetFile("C:\\out\\Third.dat"), "third file");
}

TEST_F(CompressTest, ListSelectsIgnoringAsciiCaseAndIsReplacedByPaths) {
    std::vector<std::string> list = {"readme.txt", "THIRD.DAT", "missing"};
    Expand(ThreeFiles(), &list);
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\out\\README.TXT", "C:\\out\\Third.dat"}));
    EXPECT_FALSE(fake.Exists("C:\\out\\sub\\data.bin"));
    // Only a..z fold: a byte above 127 must match exactly.
    TArchiveWriter w;
    w.Add("\xE4.txt", Bytes("x"));
    std::vector<std::string> other = {"\xC4.TXT"};
    Expand(w.Bytes(), &other);
    EXPECT_TRUE(other.empty());
}

TEST_F(CompressTest, EmptyListExpandsNothing) {
    std::vector<std::string> list;
    Expand(ThreeFiles(), &list);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(fake.Exists("C:\\out\\README.TXT"));
}

TEST_F(CompressTest, BackslashNamesAreUsedUnchanged) {
    TArchiveWriter w;
    w.Add("\\abs.txt", Bytes("root"));
    std::vector<std::string> list = {"\\ABS.TXT"};
    Expand(w.Bytes(), &list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], "\\abs.txt");
    EXPECT_EQ(fake.GetFile("C:\\abs.txt"), "root");
}

TEST_F(CompressTest, CheckFileRedirectsSkipsAndStops) {
    int calls = 0;
    compress.OnCheckFile = [&](std::string& path, TCProcessMode mode) {
        EXPECT_EQ(mode, 1);
        ++calls;
        if (calls == 1) path = "C:\\elsewhere.txt";
        else if (calls == 2) path.clear();
        else path = "*";
    };
    std::vector<std::string> list = {"readme.txt", "sub\\data.bin", "third.dat"};
    Expand(ThreeFiles(), &list);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\elsewhere.txt"}));
    EXPECT_EQ(fake.GetFile("C:\\elsewhere.txt"), "read me");
    EXPECT_FALSE(fake.Exists("C:\\out\\Third.dat"));
}

TEST_F(CompressTest, StarOnTheThirdEntryKeepsTwoFiles) {
    TArchiveWriter w;
    for (int i = 0; i < 4; ++i) w.Add("f" + std::to_string(i), Bytes("data"));
    int calls = 0;
    compress.OnCheckFile = [&](std::string& path, TCProcessMode) {
        if (++calls == 3) path = "*";
    };
    std::vector<std::string> list = {"f0", "f1", "f2", "f3"};
    Expand(w.Bytes(), &list);
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\out\\f0", "C:\\out\\f1"}));
}

TEST_F(CompressTest, RunningTotalEndsTheExpansion) {
    TArchiveWriter w;
    w.Add("a", std::vector<uint8_t>(10, 'a'));
    w.Add("b", {});
    w.Add("c", std::vector<uint8_t>(20, 'c'));
    std::vector<uint8_t> a = w.Bytes();
    a[8] = 10;  // header total of 10
    std::vector<std::string> list = {"a", "b", "c"};
    Expand(a, &list);
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\out\\a"}));
    // Entries passed over by the list still count towards the total.
    std::vector<std::string> onlyC = {"b", "c"};
    Expand(a, &onlyC);
    EXPECT_TRUE(onlyC.empty());
}

TEST_F(CompressTest, FreeSpaceCountsTheFileThatIsReplaced) {
    compress.SetCheckSpaceBeforeExpand(true);
    TArchiveWriter w;
    w.Add("big", std::vector<uint8_t>(1000, 'b'));
    fake.PutFile("C:\\out\\big", std::string(600, 'o'));
    fake.diskFree = 400;
    EXPECT_NO_THROW(ExpandAll(w.Bytes()));
    EXPECT_EQ(fake.GetFile("C:\\out\\big").size(), 1000u);
    fake.PutFile("C:\\out\\big", std::string(600, 'o'));
    fake.diskFree = 399;
    EXPECT_EQ(MessageOf<EInsufficientDiskSpace>(w.Bytes()), "Not enough disk space to expand C:\\out\\big");
    // A failing query means no limit; and without the test nothing is asked.
    fake.diskFree = -1;
    EXPECT_NO_THROW(ExpandAll(w.Bytes()));
    compress.SetCheckSpaceBeforeExpand(false);
    fake.diskFree = 0;
    EXPECT_NO_THROW(ExpandAll(w.Bytes()));
}

TEST_F(CompressTest, MissingDirectoriesWithoutMakeDirectories) {
    std::vector<std::string> list = {"readme.txt", "sub\\data.bin", "third.dat"};
    Expand(ThreeFiles(), &list);
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\out\\README.TXT", "C:\\out\\Third.dat"}));
    compress.SetExceptionOnFileError(true);
    EXPECT_THROW(ExpandAll(ThreeFiles()), common::EInOutError);
    compress.SetMakeDirectories(true);
    EXPECT_NO_THROW(ExpandAll(ThreeFiles()));
    EXPECT_EQ(fake.GetFile("C:\\out\\sub\\data.bin"), "0123456789");
}

TEST_F(CompressTest, MakeDirectoriesBuildsDeepPaths) {
    compress.SetMakeDirectories(true);
    compress.SetTargetPath("C:\\deep\\er");
    TArchiveWriter w;
    w.Add("x\\y\\z.txt", Bytes("z"));
    ExpandAll(w.Bytes());
    EXPECT_EQ(fake.GetFile("C:\\deep\\er\\x\\y\\z.txt"), "z");
}

TEST_F(CompressTest, DateAndAttributesComeFromTheHeader) {
    TArchiveWriter w;
    w.Add("dated.txt", Bytes("d"), MakeDosDateTime(2001, 2, 3, 4, 5, 6), platform::kAttrReadOnly);
    ExpandAll(w.Bytes());
    struct stat st {};
    ASSERT_EQ(::stat(fake.HostPath("C:\\out\\dated.txt").c_str(), &st), 0);
    struct tm t {};
    time_t when = st.st_mtime;
    localtime_r(&when, &t);
    EXPECT_EQ(t.tm_year + 1900, 2001);
    EXPECT_EQ(t.tm_mon + 1, 2);
    EXPECT_EQ(t.tm_mday, 3);
    EXPECT_EQ(t.tm_hour, 4);
    EXPECT_EQ(t.tm_min, 5);
    EXPECT_EQ(t.tm_sec, 6);
    EXPECT_TRUE(fake.GetAttributes("C:\\out\\dated.txt") & platform::kAttrReadOnly);
}

TEST_F(CompressTest, StoredEntriesIgnoreTheirChecksum) {
    TArchiveWriter w;
    EntryHeader h = StoredHeader(Bytes("abc"));
    h.Checksum = 12345;
    w.AddRaw(h, "wrong.txt", Bytes("abc"));
    EXPECT_NO_THROW(ExpandAll(w.Bytes()));
    EXPECT_EQ(fake.GetFile("C:\\out\\wrong.txt"), "abc");
}

TEST_F(CompressTest, LockedCodecEntryWithoutKeyIsDeleted) {
    TArchiveWriter w;
    EntryHeader h = StoredHeader(Bytes("abc"));
    h.Method = coLZH5;
    h.LockLevel = 2;
    w.AddRaw(h, "locked.bin", Bytes("abc"));
    int progress = 0;
    compress.OnShowProgress = [&](int32_t&) { ++progress; };
    EXPECT_EQ(MessageOf<EInvalidKey>(w.Bytes()), "File locked -- valid key required");
    EXPECT_EQ(progress, 0);
    EXPECT_FALSE(fake.Exists("C:\\out\\locked.bin"));
}

// coCustom entries go to OnExpand; they exercise the checksum and key rules without a codec.
class CustomEntryTest : public CompressTest {
protected:
    std::vector<uint8_t> Custom(const std::string& text, int32_t checksum, int32_t lockLevel) {
        TArchiveWriter w;
        EntryHeader h = StoredHeader(Bytes(text));
        h.Method = coCustom;
        h.Checksum = checksum;
        h.LockLevel = lockLevel;
        w.AddRaw(h, "custom.bin", Bytes(text));
        w.Add("after.txt", Bytes("after"));
        return w.Bytes();
    }
    void SetUp() override {
        CompressTest::SetUp();
        compress.OnExpand = [this](common::Stream& dest, common::Stream& source, int32_t sourceSize,
                                   int32_t destSize, const std::string& id, int32_t& checksum) {
            EXPECT_EQ(id, "NON");
            EXPECT_EQ(sourceSize, destSize);
            std::vector<uint8_t> buffer(static_cast<size_t>(sourceSize));
            source.ReadAll(buffer.data(), uint32_t(sourceSize));
            for (auto& b : buffer) b = uint8_t(b ^ 0x20);  // the "custom method": flips case
            dest.WriteAll(buffer.data(), uint32_t(buffer.size()));
            checksum = int32_t(DataChecksum(buffer.data(), buffer.size()));
            fake.Sleep(25);
        };
    }
};

TEST_F(CustomEntryTest, HandlerExpandsAndItsChecksumIsTested) {
    const int32_t sum = 'A' + 'B' + 'C';
    ExpandAll(Custom("abc", sum, 0));
    EXPECT_EQ(fake.GetFile("C:\\out\\custom.bin"), "ABC");
    EXPECT_EQ(fake.GetFile("C:\\out\\after.txt"), "after");
    EXPECT_EQ(compress.LastDuration, 0);  // the last entry was a plain copy
    std::vector<std::string> only = {"custom.bin"};
    Expand(Custom("abc", sum, 0), &only);
    EXPECT_EQ(compress.LastDuration, 25);
    EXPECT_EQ(MessageOf<EBadChecksum>(Custom("abc", sum + 1, 0)),
              "Bad checksum during expansion -- data may be invalid");
    // The partly written file stays after a bad checksum.
    EXPECT_TRUE(fake.Exists("C:\\out\\custom.bin"));
}

TEST_F(CustomEntryTest, LockedEntriesNeedTheKeyInTheirChecksum) {
    const int32_t sum = 'A' + 'B' + 'C';
    compress.SetKey(77);
    EXPECT_NO_THROW(ExpandAll(Custom("abc", sum + 77, 1)));
    EXPECT_NO_THROW(ExpandAll(Custom("abc", sum, 1)));  // the plain checksum matches first
    EXPECT_EQ(MessageOf<EInvalidKey>(Custom("abc", sum + 78, 1)), "File locked -- valid key required");
    EXPECT_FALSE(fake.Exists("C:\\out\\custom.bin"));
    compress.SetKey(0);
    EXPECT_EQ(MessageOf<EInvalidKey>(Custom("abc", sum, 1)), "File locked -- valid key required");
}

TEST_F(CompressTest, UnhandledEntriesSkipExactlyTheirData) {
    for (uint8_t method : {uint8_t(coCustom), uint8_t(5), uint8_t(200)}) {
        TArchiveWriter w;
        EntryHeader h = StoredHeader(Bytes("skipped data"));
        h.Method = method;
        h.Checksum = 0;  // nothing is produced, so nothing is summed
        w.AddRaw(h, "odd.bin", Bytes("skipped data"));
        w.Add("next.txt", Bytes("next"));
        ExpandAll(w.Bytes());
        EXPECT_EQ(fake.GetFile("C:\\out\\odd.bin"), "") << int(method);
        EXPECT_EQ(fake.GetFile("C:\\out\\next.txt"), "next") << int(method);
    }
}

// A negative name length ends the archive; a stored size of 0 or less only means that no
// stored bytes follow the name, and the next entry header comes right after it.
TEST_F(CompressTest, NegativeNameLengthEndsTheArchiveNegativeStoredSizeHoldsNothing) {
    TArchiveWriter w;
    w.Add("first", Bytes("1"));
    w.Add("second", Bytes("2"));
    std::vector<uint8_t> negName = w.Bytes();
    size_t second = 21 + 25 + 5 + 1;
    negName[second] = 0xFF;
    negName[second + 1] = 0xFF;
    TArchiveList list;
    MemoryStream s1(negName);
    compress.ListArchiveStream(s1, list);
    EXPECT_EQ(list.size(), 1u);
    ExpandAll(negName);
    EXPECT_FALSE(fake.Exists("C:\\out\\second"));

    for (int32_t stored : {0, -1, -5, INT32_MIN}) {
        SCOPED_TRACE(stored);
        TArchiveWriter n;
        n.Add("first", Bytes("1"));
        for (uint8_t method : {uint8_t(coNone), uint8_t(coLZH5), uint8_t(coLZH), uint8_t(coRLE)}) {
            EntryHeader h;  // nothing stored and nothing expanded
            h.CompressedSize = stored;
            h.Method = method;
            n.AddRaw(h, "empty" + std::to_string(method), {});
        }
        n.Add("last", Bytes("last one"));
        const std::vector<uint8_t> a = n.Bytes();
        list.clear();
        MemoryStream listed(a);
        compress.ListArchiveStream(listed, list);
        ASSERT_EQ(list.size(), 6u);
        EXPECT_EQ(list[1].Info.CompressedSize, stored);
        EXPECT_EQ(list[5].Name, "last");
        ExpandAll(a);
        EXPECT_TRUE(fake.Exists("C:\\out\\empty0"));
        EXPECT_TRUE(fake.Exists("C:\\out\\empty1"));
        EXPECT_EQ(fake.GetFile("C:\\out\\empty4"), "");
        EXPECT_EQ(fake.GetFile("C:\\out\\last"), "last one");
        MemoryStream tested(a);
        EXPECT_EQ(compress.TestArchiveStream(tested), 6);
    }
}

TEST_F(CompressTest, TruncatedAndHugeEntriesDoNotOverrun) {
    TArchiveWriter w;
    w.Add("name", Bytes("0123456789"));
    std::vector<uint8_t> a = w.Bytes();
    for (size_t n = 21; n < a.size(); ++n) {
        std::vector<uint8_t> cut(a.begin(), a.begin() + n);
        TArchiveList list;
        MemoryStream s(cut);
        EXPECT_NO_THROW(compress.ListArchiveStream(s, list)) << n;
        EXPECT_NO_THROW(ExpandAll(cut)) << n;
    }
    std::vector<uint8_t> huge = a;
    huge[21 + 12] = 0xFF;
    huge[21 + 13] = 0xFF;
    huge[21 + 14] = 0xFF;
    huge[21 + 15] = 0x7F;  // stored size 2 GB
    huge[21 + 8 + 3] = 0x7F;
    EXPECT_NO_THROW(ExpandAll(huge));
    EXPECT_EQ(fake.GetFile("C:\\out\\name"), "0123456789");
}

TEST_F(CompressTest, FileFunctionsOpenThroughThePlatform) {
    std::vector<uint8_t> a = ThreeFiles();
    fake.PutFile("C:\\arc.teq", std::string(a.begin(), a.end()));
    TArchiveList list;
    compress.ListArchiveFile("C:\\arc.teq", list);
    EXPECT_EQ(list.size(), 3u);
    std::vector<std::string> names = {"third.dat"};
    compress.ExpandArchiveFile("C:\\arc.teq", &names);
    EXPECT_EQ(names, (std::vector<std::string>{"C:\\out\\Third.dat"}));
    EXPECT_THROW(compress.ExpandArchiveFile("C:\\none.teq", nullptr), common::EInOutError);
    EXPECT_THROW(compress.ListArchiveFile("C:\\none.teq", list), common::EInOutError);
}

TEST(DataChecksumTest, WordSumsEqualTheByteSum) {
    std::vector<uint8_t> data = SampleData(5000, 4);
    for (size_t start = 0; start < 9; ++start) {
        for (size_t size : {0, 1, 7, 8, 9, 1023, 1024, 1025, 1031, 1032, 4000}) {
            uint32_t expected = 77;
            for (size_t i = start; i < start + size; ++i) expected += data[i];
            EXPECT_EQ(AddToChecksum(77, data.data() + start, size), expected) << start << " " << size;
        }
    }
    // The largest bytes, long enough to fill the partial sums to the top and to wrap the total.
    std::vector<uint8_t> ones(16843010 + 5, 0xFF);
    EXPECT_EQ(AddToChecksum(0, ones.data(), 1024), 1024u * 255u);
    EXPECT_EQ(AddToChecksum(0, ones.data(), 1032), 1032u * 255u);
    EXPECT_EQ(AddToChecksum(0, ones.data(), ones.size()), uint32_t(uint64_t(ones.size()) * 255u));
    EXPECT_EQ(DataChecksum(ones.data(), 3000), 3000u * 255u);
}

TEST_F(CompressTest, TestArchiveFileReadsLikeTheStream) {
    std::vector<uint8_t> a = ThreeFiles();
    fake.PutFile("C:\\arc.teq", std::string(a.begin(), a.end()));
    EXPECT_EQ(compress.TestArchiveFile("C:\\arc.teq"), 3);
    a.back() ^= 1;
    fake.PutFile("C:\\bad.teq", std::string(a.begin(), a.end()));
    EXPECT_THROW(compress.TestArchiveFile("C:\\bad.teq"), EBadChecksum);
    EXPECT_THROW(compress.TestArchiveFile("C:\\none.teq"), common::EInOutError);
}

TEST_F(CompressTest, TestArchiveChecksStoredData) {
    MemoryStream good(ThreeFiles());
    EXPECT_EQ(compress.TestArchiveStream(good), 3);
    std::vector<uint8_t> bad = ThreeFiles();
    bad.back() ^= 1;
    MemoryStream corrupt(bad);
    EXPECT_THROW(compress.TestArchiveStream(corrupt), EBadChecksum);
    std::vector<uint8_t> cut = ThreeFiles();
    cut.pop_back();
    MemoryStream shortened(cut);
    EXPECT_THROW(compress.TestArchiveStream(shortened), EBadChecksum);
}

}  // namespace
}  // namespace zuv::archive
