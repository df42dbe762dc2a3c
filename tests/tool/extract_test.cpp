// zuv extract as an archiver's user expects it: a failed entry is removed and named and the
// others still come out (unless --stop), names and wildcards select entries, and a file already
// there is replaced only when asked.
#include <map>
#include <set>

#include "archive/archive_writer.h"
#include "tool/tool_fixture.h"

namespace zuv::tool::testing {
namespace {

class ExtractTest : public ZuvRun {
protected:
    // An archive of three text files and a folder entry, compressed with -lh5-.
    std::vector<uint8_t> ThreeFiles() {
        archive::TArchiveWriter writer(archive::coLZH5);
        for (const char* name : {"first.txt", "second.txt", "doc\\third.txt"})
            writer.Add(name, Bytes(std::string(name) + ": " + std::string(4000, 'x') + Noise(3000, 1)));
        return writer.Bytes();
    }
    static std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
    std::set<std::string> FilesBelow(const fs::path& root) {
        std::set<std::string> names;
        if (!fs::exists(root)) return names;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) names.insert(fs::relative(e.path(), root).generic_string());
        return names;
    }
};

TEST_F(ExtractTest, FailedEntryIsRemovedNamedAndTheOthersFollowUnlessStop) {
    std::vector<uint8_t> arc = ThreeFiles();
    // Damage the middle of the second entry's data: its entry header is at the offset zuv list gives.
    Write(dir / "good.arc", arc);
    ASSERT_EQ(Zuv("list --json good.arc"), 0) << err;
    size_t at = out.find("\"second.txt\"");
    ASSERT_NE(at, std::string::npos) << out;
    size_t offset = std::stoul(out.substr(out.find("\"offset\": ", at) + 10));
    arc[offset + 25 + 10 + 200] ^= 0x5A;
    Write(dir / "bad.arc", arc);

    EXPECT_EQ(Zuv("extract bad.arc -d out"), 1);
    EXPECT_EQ(FilesBelow(dir / "out"), (std::set<std::string>{"first.txt", "doc/third.txt"}));
    EXPECT_NE(err.find("zuv: cannot extract \"second.txt\" (archive \"bad.arc\", entry at offset " +
                       std::to_string(offset) + "): "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("; the partial file was removed\n"), std::string::npos) << err;
    EXPECT_EQ(out, "2 written, 0 unchanged, 0 kept, 1 failed\n");

    EXPECT_EQ(Zuv("extract --stop bad.arc -d stopped"), 1);
    EXPECT_EQ(FilesBelow(dir / "stopped"), (std::set<std::string>{"first.txt"}));

    // zuv test names the same entry and tests the rest.
    EXPECT_EQ(Zuv("test bad.arc"), 1);
    EXPECT_NE(err.find("damaged entry \"second.txt\""), std::string::npos) << err;
    EXPECT_EQ(out, "3 files tested, 1 damaged\n");
}

TEST_F(ExtractTest, NamesAndWildcardsSelectEntries) {
    Write(dir / "a.arc", ThreeFiles());
    const struct {
        const char* names;
        std::set<std::string> files;
        int status;
    } table[] = {
        {"", {"first.txt", "second.txt", "doc/third.txt"}, 0},
        {"second.txt", {"second.txt"}, 0},
        {"SECOND.TXT", {"second.txt"}, 0},        // the setup's file system ignores case
        {"third.txt", {"doc/third.txt"}, 0},      // a plain name matches the name part
        {"'doc\\third.txt'", {"doc/third.txt"}, 0},  // a folder part matches the whole stored name
        {"doc/third.txt", {"doc/third.txt"}, 0},
        {"'*.txt'", {"first.txt", "second.txt", "doc/third.txt"}, 0},
        {"'f*' 's?cond.txt'", {"first.txt", "second.txt"}, 0},
        {"'doc/*'", {"doc/third.txt"}, 0},
        {"first.txt nothere.txt", {"first.txt"}, 1},  // a name that matches nothing is an error
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.names);
        fs::remove_all(dir / "out");
        EXPECT_EQ(Zuv(std::string("extract a.arc -d out ") + row.names), row.status) << err;
        EXPECT_EQ(FilesBelow(dir / "out"), row.files);
        if (row.status == 1) {
            EXPECT_EQ(err, "zuv: no entry matches \"nothere.txt\"\n");
        }
    }
}

TEST_F(ExtractTest, ExistingFilesAreReplacedOnlyWhenAsked) {
    Write(dir / "a.arc", ThreeFiles());
    ASSERT_EQ(Zuv("extract a.arc -d ref"), 0) << err;
    const std::string first = Slurp(dir / "ref" / "first.txt");
    const struct {
        const char* option;
        const char* existing;  // what first.txt holds before
        int status;
        bool replaced;
    } table[] = {
        {"", "same", 0, false},  // the same bytes: nothing to do
        {"", "old", 1, false},   // differs: refused and said
        {"--overwrite", "old", 0, true},
        {"--skip-existing", "old", 0, false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(row.option) + " over " + row.existing);
        fs::remove_all(dir / "out");
        std::string before = std::string(row.existing) == "same" ? first : "old contents";
        Write(dir / "out" / "first.txt", before);
        EXPECT_EQ(Zuv(std::string("extract a.arc -d out ") + row.option), row.status) << err;
        EXPECT_EQ(Slurp(dir / "out" / "first.txt"), row.replaced ? first : before);
        EXPECT_EQ(Slurp(dir / "out" / "second.txt"), Slurp(dir / "ref" / "second.txt"));
        if (row.status == 1) {
            EXPECT_EQ(err, "zuv: \"out/first.txt\" exists and differs from the entry; it was left as it is "
                           "(--overwrite replaces it, --skip-existing keeps existing files without a word)\n");
        }
        for (const auto& e : fs::directory_iterator(dir / "out"))
            EXPECT_EQ(e.path().string().find(".zuv-partial"), std::string::npos) << e.path();
    }
}

}  // namespace
}  // namespace zuv::tool::testing
