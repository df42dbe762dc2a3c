// The zuv tool run as a program: pack, list, test and extract, refusals and exit statuses.
#include <poll.h>
#include <signal.h>
#include <pty.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "archive/archive_writer.h"
#include "archive/segment.h"
#include "archive/segment_writer.h"
#include "common/routines.h"
#include "platform/host.h"
#include "archive_helpers.h"
#include "../../tools/zuv/stored_name.h"
#include "../tool/tool_fixture.h"

namespace zuv::archive {
namespace {

namespace fs = std::filesystem;
using namespace zuv::archive::testing;

class ToolTest : public zuv::tool::testing::ZuvRun {
protected:
    // A small product: loose files and one folder with a subfolder.
    void MakeProduct() {
        Write(dir / "in" / "setup.txt", std::string(30000, 'S') + "end");
        std::vector<uint8_t> data = SampleData(70000, 9);
        Write(dir / "in" / "prog" / "main.bin", data);
        Write(dir / "in" / "prog" / "doc" / "read me.txt", "read me");
        Write(dir / "in" / "prog" / "empty.dat", "");
    }
    void ExpectProductIn(const fs::path& root) {
        EXPECT_EQ(Slurp(root / "setup.txt"), Slurp(dir / "in" / "setup.txt"));
        EXPECT_EQ(Slurp(root / "prog" / "main.bin"), Slurp(dir / "in" / "prog" / "main.bin"));
        EXPECT_EQ(Slurp(root / "prog" / "doc" / "read me.txt"), "read me");
        EXPECT_TRUE(fs::is_regular_file(root / "prog" / "empty.dat"));
    }
};

TEST_F(ToolTest, HelpVersionAndUsageErrors) {
    EXPECT_EQ(Zuv("--help"), 0);
    EXPECT_NE(out.find("zuv pack -o DIR"), std::string::npos);
    EXPECT_EQ(Zuv("--version"), 0);
    EXPECT_EQ(out, "zuv 1.0.0\n");
    EXPECT_EQ(Zuv(""), 2);
    EXPECT_EQ(Zuv("frobnicate"), 2);
    EXPECT_EQ(Zuv("list"), 2);
    EXPECT_EQ(Zuv("extract a --frobnicate"), 2);
    EXPECT_EQ(Zuv("test x --key zz"), 2);
    EXPECT_EQ(Zuv("pack in"), 2);
    EXPECT_EQ(Zuv("pack -o set --method zip in"), 2);
    EXPECT_EQ(Zuv("pack -o set --method rle --best in"), 2);  // --best is a way of lh5 only
    EXPECT_EQ(Zuv("codec compress --method lzh --best a b"), 2);
    EXPECT_EQ(Zuv("codec expand --method lh5 --size 1 --best a b"), 2);
    EXPECT_EQ(Zuv("list nothing-here"), 1);
    EXPECT_EQ(err.find('\n'), err.size() - 1);  // one line
}

TEST_F(ToolTest, PackListTestExtractRoundTrip) {
    MakeProduct();
    for (const char* method : {"none", "rle", "lzh", "lh5"}) {
        SCOPED_TRACE(method);
        fs::remove_all(dir / "set");
        fs::remove_all(dir / "out");
        ASSERT_EQ(Zuv(std::string("pack -o set --segment-size 20000 --method ") + method +
                      " in/setup.txt in/prog"), 0) << err;
        EXPECT_TRUE(fs::exists(dir / "set" / "disk.003"));  // more than two segments
        EXPECT_LE(fs::file_size(dir / "set" / "disk.001"), 20000u);
        ASSERT_EQ(Zuv("list set"), 0) << err;
        EXPECT_NE(out.find("Archive 1: *.*"), std::string::npos) << out;
        EXPECT_NE(out.find("Archive 2: prog\\*.*"), std::string::npos) << out;
        EXPECT_NE(out.find("doc\\read me.txt"), std::string::npos) << out;
        EXPECT_NE(out.find("30003"), std::string::npos) << out;
        const std::map<std::string, std::string> ids = {{"none", "NON"}, {"rle", "RLE"}, {"lzh", "LZH"}, {"lh5", "LH5"}};
        EXPECT_NE(out.find("  " + ids.at(method) + " "), std::string::npos) << out;
        ASSERT_EQ(Zuv("test set/disk.001"), 0) << err;
        EXPECT_NE(out.find("4 files tested"), std::string::npos) << out;
        ASSERT_EQ(Zuv("extract set -d out"), 0) << err;
        ExpectProductIn(dir / "out");
    }
}

TEST_F(ToolTest, PackBestMakesASetNoLargerThatReadsBack) {
    MakeProduct();
    auto setBytes = [&] {
        uintmax_t total = 0;
        for (const auto& e : fs::directory_iterator(dir / "set")) total += fs::file_size(e.path());
        return total;
    };
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 in/setup.txt in/prog"), 0) << err;
    const uintmax_t normal = setBytes();
    fs::remove_all(dir / "set");
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 --best in/setup.txt in/prog"), 0) << err;
    EXPECT_LE(setBytes(), normal);
    ASSERT_EQ(Zuv("test set"), 0) << err;
    ASSERT_EQ(Zuv("extract set -d out"), 0) << err;
    ExpectProductIn(dir / "out");
}

TEST_F(ToolTest, FlatDropsStoredFolders) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set in/prog"), 0) << err;
    ASSERT_EQ(Zuv("extract set/disk.001 -d flat --flat"), 0) << err;
    EXPECT_EQ(Slurp(dir / "flat" / "read me.txt"), "read me");
    EXPECT_TRUE(fs::is_regular_file(dir / "flat" / "main.bin"));
    EXPECT_FALSE(fs::exists(dir / "flat" / "prog"));
}

TEST_F(ToolTest, KeyedSetsNeedTheKey) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --key 4242 in/setup.txt"), 0) << err;
    EXPECT_EQ(Zuv("test set --key 4242"), 0) << err;
    EXPECT_EQ(Zuv("test set"), 1);
    EXPECT_NE(err.find("File locked -- valid key required"), std::string::npos) << err;
    EXPECT_EQ(Zuv("test set --key 4243"), 1);
}

TEST_F(ToolTest, DamageIsFoundByTest) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --method none --segment-size 20000 in/setup.txt"), 0) << err;
    std::string seg = Slurp(dir / "set" / "disk.002");
    seg[seg.size() / 2] ^= 0x55;
    Write(dir / "set" / "disk.002", seg);
    EXPECT_EQ(Zuv("test set"), 1);
    // The damaged entry is named with its archive and where it starts in it.
    EXPECT_EQ(err, "zuv: damaged entry \"setup.txt\" (archive 1, *.*, entry at offset 21): Bad checksum during "
                   "expansion -- data may be invalid\n");
}

// Without a terminal a missing or wrong segment ends the run, and the message names the
// segment from the reader's prompt (its number and file), whatever the prompt's text says.
TEST_F(ToolTest, MissingOrWrongSegmentIsNamedWithoutTerminal) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 --method none in/setup.txt in/prog"), 0) << err;
    ASSERT_TRUE(fs::exists(dir / "set" / "disk.003"));
    const std::string missing = "zuv: segment 2 is missing: no disk.002 in set\n";
    const std::string wrong = "zuv: disk.002 in set is segment 3, not segment 2 of this set\n";
    const struct {
        const char* command;
        bool replaceWithThird;  // disk.002 replaced by a copy of disk.003, else removed
        std::string expected;
    } cases[] = {
        {"extract set -d out", false, missing},
        {"test set", false, missing},
        {"list set/disk.001", false, missing},
        {"extract set -d out", true, wrong},
        {"test set", true, wrong},
    };
    const std::string second = Slurp(dir / "set" / "disk.002");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        Write(dir / "set" / "disk.002", second);
        if (c.replaceWithThird) fs::copy_file(dir / "set" / "disk.003", dir / "set" / "disk.002",
                                              fs::copy_options::overwrite_existing);
        else fs::remove(dir / "set" / "disk.002");
        EXPECT_EQ(Zuv(c.command), 1);
        EXPECT_EQ(err, c.expected);
    }
}

TEST_F(ToolTest, ContainerArchivesDirectly) {
    TArchiveWriter w(coNone);
    w.Add("dir\\inner.txt", Bytes("inner"), MakeDosDateTime(1999, 12, 31, 23, 58, 0));
    w.Add("top.txt", Bytes("top"));
    Write(dir / "plain.arc", w.Bytes());
    ASSERT_EQ(Zuv("list plain.arc"), 0) << err;
    EXPECT_NE(out.find("1999-12-31 23:58  dir\\inner.txt"), std::string::npos) << out;
    ASSERT_EQ(Zuv("test plain.arc"), 0) << err;
    ASSERT_EQ(Zuv("extract plain.arc -d x"), 0) << err;
    EXPECT_EQ(Slurp(dir / "x" / "dir" / "inner.txt"), "inner");
    EXPECT_EQ(Slurp(dir / "x" / "top.txt"), "top");
    Write(dir / "junk.arc", "this is not an archive at all, not at all");
    // The reader's message, with the file it is about; a file too short for a header as well.
    EXPECT_EQ(Zuv("test junk.arc"), 1);
    EXPECT_EQ(err, "zuv: \"junk.arc\": Can't recognize compressed file header (it is neither a segment of a set nor an "
                   "archive)\n");
    Write(dir / "tiny.arc", "hi\n");
    EXPECT_EQ(Zuv("list tiny.arc"), 1);
    EXPECT_EQ(out, "");
}

// An entry whose stored size is negative holds no stored bytes; the entries after it are
// listed, tested and extracted like any other.
TEST_F(ToolTest, NegativeStoredSizeHoldsNothing) {
    TArchiveWriter w(coNone);
    w.Add("a.txt", Bytes("first"));
    EntryHeader empty;
    empty.CompressedSize = -7;
    w.AddRaw(empty, "nothing.txt", {});
    w.Add("b.txt", Bytes("second"));
    Write(dir / "odd.arc", w.Bytes());
    ASSERT_EQ(Zuv("list odd.arc"), 0) << err;
    EXPECT_NE(out.find("         0          0  NON"), std::string::npos) << out;
    EXPECT_NE(out.find("  b.txt\n"), std::string::npos) << out;
    ASSERT_EQ(Zuv("test odd.arc"), 0) << err;
    EXPECT_NE(out.find("3 files tested, all sound"), std::string::npos) << out;
    ASSERT_EQ(Zuv("extract odd.arc -d x"), 0) << err;
    EXPECT_EQ(Slurp(dir / "x" / "b.txt"), "second");
}

TEST_F(ToolTest, NamesOutsideTheFolderAreRefused) {
    TArchiveWriter w(coNone);
    for (const char* name : {"..\\up.txt", "\\rooted.txt", "C:\\drive.txt", "a\\..\\..\\deep.txt", "ok.txt"})
        w.Add(name, Bytes(name));
    w.Add(std::string("nul\0..", 6), Bytes("nul"));
    Write(dir / "evil.arc", w.Bytes());
    EXPECT_EQ(Zuv("extract evil.arc -d box/inner"), 1);
    for (const char* name : {"..\\up.txt", "\\rooted.txt", "C:\\drive.txt", "a\\..\\..\\deep.txt"})
        EXPECT_NE(err.find(std::string("refused ") + name), std::string::npos) << name << "\n" << err;
    EXPECT_EQ(Slurp(dir / "box" / "inner" / "ok.txt"), "ok.txt");
    EXPECT_FALSE(fs::exists(dir / "box" / "inner" / "nul"));
    EXPECT_FALSE(fs::exists(dir / "box" / "up.txt"));
    EXPECT_FALSE(fs::exists(dir / "deep.txt"));
    EXPECT_FALSE(fs::exists("/rooted.txt"));
    // The same through a set whose template climbs out.
    std::vector<SetArchive> set(1);
    set[0].Template = "..\\..\\*.*";
    set[0].Files = {"ok.txt"};
    set[0].Archive = w.Bytes();
    fs::create_directories(dir / "set");
    auto segments = SplitIntoSegments(BuildSpanStream(set), 100000);
    for (size_t i = 0; i < segments.size(); ++i)
        Write(dir / "set" / SegmentFileName("disk", uint16_t(i + 1)), segments[i]);
    EXPECT_EQ(Zuv("extract set -d box2"), 0) << err;  // the climbing template is dropped
    EXPECT_EQ(Slurp(dir / "box2" / "ok.txt"), "ok.txt");
}

TEST_F(ToolTest, BaseNameComesFromTheSegmentFile) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --base Data --method none --segment-size 20000 in/setup.txt"), 0) << err;
    EXPECT_TRUE(fs::exists(dir / "set" / "data.002"));
    EXPECT_FALSE(fs::exists(dir / "set" / "disk.001"));
    ASSERT_EQ(Zuv("extract set/data.001 -d out"), 0) << err;
    EXPECT_EQ(Slurp(dir / "out" / "setup.txt"), Slurp(dir / "in" / "setup.txt"));
    EXPECT_EQ(Zuv("list set"), 1);  // a folder is read as disk.001, disk.002, ...
    EXPECT_EQ(err, "zuv: no disk.001 in \"set\"\n");
}

// The set `zuv pack` makes is read the way the setup program reads it: base name "disk",
// every file redirected to its bare name in one folder.
TEST_F(ToolTest, PackedSetReadsLikeTheSetupReadsIt) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --segment-size 24000 --method lh5 in/setup.txt in/prog"), 0) << err;
    auto platform = platform::MakeHostPlatform();
    TSegCompEZ reader(*platform);
    reader.SetSegBaseName("disk");
    reader.SetSegDir((dir / "set").string());
    reader.SetSegTmpDir((dir / "tmp").string());
    reader.SetSegPopUp(false);
    const std::string target = (dir / "target").string();
    fs::create_directories(target);
    std::vector<std::string> befores;
    reader.OnSegBefore = [&](TSegMode, const std::string& name, uint16_t) { befores.push_back(name); };
    reader.OnCheckFile = [&](std::string& path, TCProcessMode) { path = target + "\\" + common::NamePart(path); };
    reader.ExpandSet();
    EXPECT_EQ(befores.front(), "disk.001");
    EXPECT_EQ(Slurp(dir / "target" / "setup.txt"), Slurp(dir / "in" / "setup.txt"));
    EXPECT_EQ(Slurp(dir / "target" / "main.bin"), Slurp(dir / "in" / "prog" / "main.bin"));
    EXPECT_EQ(Slurp(dir / "target" / "read me.txt"), "read me");
    EXPECT_TRUE(fs::is_regular_file(dir / "target" / "empty.dat"));
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

// `zuv pack` refuses, with the name and the reason, every file the set would not give back
// as it was packed, and writes nothing then.
TEST_F(ToolTest, PackRefusesNamesTheSetWouldNotGiveBack) {
    const std::map<std::string, std::string> refused = {
        {"in/prog/trailing ", "ends in a space"},
        {"in/prog/sub/deep ", "ends in a space"},
        {"in/prog/tab\tname", "control character"},
        {"in/prog/back\\slash", "backslash"},
        {"in/prog/colon:name", "Windows cannot hold ':'"},
        {"in/prog/star*", "Windows cannot hold '*'"},
        {"in/loose ", "ends in a space"},
    };
    Write(dir / "in" / "prog" / "ok.txt", "ok");
    Write(dir / "in" / "prog" / "inner space" / "ok .txt", "ok");  // spaces inside are given back
    for (const auto& [name, why] : refused) Write(dir / name, "data");
    EXPECT_EQ(Zuv("pack -o set in/prog 'in/loose ' in/prog/ok.txt"), 1);
    for (const auto& [name, why] : refused) {
        std::string shown = name == "in/prog/tab\tname" ? "in/prog/tab\\x09name" : name;
        EXPECT_NE(err.find("zuv: cannot pack \"" + shown + "\": "), std::string::npos) << name << "\n" << err;
        size_t line = err.find(shown + "\"");
        EXPECT_NE(err.substr(line, err.find('\n', line) - line).find(why), std::string::npos) << name << "\n" << err;
    }
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), long(refused.size()) + 1) << err;
    EXPECT_NE(err.find("7 file(s) refused; nothing was written"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "set"));
    // A folder whose own name has a character Windows cannot hold is refused too.
    Write(dir / "in2" / "a|b" / "x.txt", "x");
    EXPECT_EQ(Zuv("pack -o set 'in2/a|b'"), 1);
    EXPECT_NE(err.find("cannot pack \"in2/a|b\": Windows cannot hold '|'"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "set"));
}

// The names the catalogue and the archive can carry, the length included (beyond what a POSIX
// folder tree can reach, so checked here directly).
TEST(PackNames, OnlyNamesTheSetGivesBack) {
    const struct {
        std::string name;
        bool wholeName;
        const char* problem;  // a part of the reason, or "" when the name is stored
    } cases[] = {
        {"plain.txt", true, ""},
        {"inner space/file name.txt", true, ""},
        {"dir /file", true, ""},
        {" leading.txt", true, ""},
        {std::string(8191, 'n'), true, ""},
        {std::string(8192, 'n'), true, "8192 bytes long; a catalogue record holds at most 8191"},
        {"name ", true, "ends in a space"},
        {"folder ", false, ""},  // a template is kept as it stands
        {"bell\a", true, "control character"},
        {"del\x7F", true, "control character"},
        {"folder\x1B", false, "control character"},
        {"a\\b", true, "backslash"},
        {"drive:x", true, "':'"},
        {"q?", true, "'?'"},
        {"quote\"", true, "'\"'"},
        {"lt<", true, "'<'"},
        {"gt>", false, "'>'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(tool::Printable(c.name.substr(0, 40)));
        std::string problem = tool::NameProblem(c.name, c.wholeName);
        if (*c.problem == '\0') EXPECT_EQ(problem, "");
        else EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

// Bytes that neither codec direction accepts: -lh5- expansion finds a bad decode table, and
// compression cannot make them smaller.
std::string Incompressible(size_t size) {
    std::string out(size, '\0');
    uint32_t x = 1;
    for (char& c : out) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return out;
}

// `zuv codec` writes OUT only when it succeeds: a failed run leaves whatever OUT was (nothing,
// a file, a pipe, a link to a device) as it was, and never writes through a link to a file.
TEST_F(ToolTest, CodecFailureLeavesOutAsItWas) {
    Write(dir / "bad.bin", Incompressible(3000));
    Write(dir / "good.txt", std::string(5000, 'g'));
    const std::string expandBad = "codec expand --method lh5 --size 100000 bad.bin ";
    const std::string compressBad = "codec compress --method lh5 bad.bin ";
    const std::string compressGood = "codec compress --method lh5 good.txt ";
    enum Kind { kNone, kFile, kFifo, kLinkToDevice, kLinkToFile, kDanglingLink };
    const struct {
        const char* what;
        Kind kind;
        std::string command;
        int status;
    } cases[] = {
        {"nothing, failing", kNone, expandBad, 1},
        {"a file, failing expand", kFile, expandBad, 1},
        {"a file, failing compress", kFile, compressBad, 1},
        {"a fifo, failing", kFifo, expandBad, 1},
        {"a fifo, succeeding", kFifo, compressGood, 0},
        {"a link to /dev/null, failing", kLinkToDevice, compressBad, 1},
        {"a link to /dev/null, succeeding", kLinkToDevice, compressGood, 0},
        {"a link to a file, failing", kLinkToFile, expandBad, 2},
        {"a link to a file, succeeding", kLinkToFile, compressGood, 2},
        {"a dangling link", kDanglingLink, compressGood, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(dir / "out");
        Write(dir / "target.txt", "target");
        int reader = -1;
        switch (c.kind) {
            case kNone: break;
            case kFile: Write(dir / "out", "keep"); break;
            case kFifo:
                ASSERT_EQ(::mkfifo((dir / "out").c_str(), 0600), 0);
                reader = ::open((dir / "out").c_str(), O_RDONLY | O_NONBLOCK);  // so that zuv can open it
                ASSERT_GE(reader, 0);
                break;
            case kLinkToDevice: fs::create_symlink("/dev/null", dir / "out"); break;
            case kLinkToFile: fs::create_symlink("target.txt", dir / "out"); break;
            case kDanglingLink: fs::create_symlink("nowhere.txt", dir / "out"); break;
        }
        EXPECT_EQ(Zuv(c.command + "out"), c.status) << err;
        if (reader >= 0) ::close(reader);
        const fs::file_status status = fs::symlink_status(dir / "out");
        switch (c.kind) {
            case kNone: EXPECT_FALSE(fs::exists(status)); break;
            case kFile: EXPECT_EQ(Slurp(dir / "out"), "keep"); break;
            case kFifo: EXPECT_TRUE(fs::is_fifo(status)); break;
            case kLinkToDevice: EXPECT_EQ(fs::read_symlink(dir / "out"), "/dev/null"); break;
            case kLinkToFile: EXPECT_EQ(fs::read_symlink(dir / "out"), "target.txt"); break;
            case kDanglingLink: EXPECT_EQ(fs::read_symlink(dir / "out"), "nowhere.txt"); break;
        }
        EXPECT_EQ(Slurp(dir / "target.txt"), "target");
        EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
        if (c.status == 2) {
            EXPECT_NE(err.find("symbolic link to a file"), std::string::npos) << err;
        }
        // Nothing else is left in the folder (no half-made new file).
        size_t entries = size_t(std::distance(fs::directory_iterator(dir), {}));
        EXPECT_EQ(entries, 5u + (c.kind != kNone)) << "bad.bin good.txt target.txt stdout.txt stderr.txt [out]";
    }
    // A file that is replaced gets the whole new output and keeps its permissions.
    fs::remove(dir / "out");
    Write(dir / "out", "old");
    fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
    ASSERT_EQ(Zuv(compressGood + "out"), 0) << err;
    ASSERT_EQ(Zuv("codec expand --method lh5 --size 5000 out back.txt"), 0) << err;
    EXPECT_EQ(Slurp(dir / "back.txt"), std::string(5000, 'g'));
    EXPECT_EQ(fs::status(dir / "out").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
}

// IN and OUT naming one file, however spelled, is refused before anything is written.
TEST_F(ToolTest, CodecRefusesOutThatIsIn) {
    const std::string data = std::string(4000, 'd') + "tail";
    Write(dir / "data.txt", data);
    fs::create_hard_link(dir / "data.txt", dir / "hard.txt");
    fs::create_symlink("data.txt", dir / "soft.txt");
    const std::string folder = dir.filename().string();
    for (const std::string action : {"compress --method lh5", "expand --method rle --size 4004"}) {
        for (const std::string& pair : std::vector<std::string>{"data.txt data.txt", "data.txt ./data.txt", "./data.txt ../" + folder + "/data.txt",
                                       "data.txt hard.txt", "hard.txt data.txt", "data.txt soft.txt",
                                       "soft.txt data.txt", "soft.txt hard.txt"}) {
            SCOPED_TRACE(action + " " + pair);
            EXPECT_EQ(Zuv("codec " + action + " " + pair), 2);
            EXPECT_NE(err.find("IN and OUT are the same file"), std::string::npos) << err;
            EXPECT_EQ(Slurp(dir / "data.txt"), data);
        }
    }
}

// Runs `zuv extract set -d out` on a pseudo-terminal, typing `answers` one by one at each
// folder prompt; returns the exit status (-1 when it had to be stopped) and the text shown.
int ExtractOnTerminal(const fs::path& dir, const std::vector<std::string>& answers, std::string& seen) {
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) return -2;
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) _exit(99);
        execl(ZUV_BINARY_DIR "/zuv", "zuv", "extract", "set", "-d", "out", (char*)nullptr);
        _exit(98);
    }
    size_t asked = 0;
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) break;
        char buffer[512];
        ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        seen.append(buffer, size_t(n));
        size_t prompts = 0;
        for (size_t at = seen.find("Folder holding"); at != std::string::npos; at = seen.find("Folder holding", at + 1))
            ++prompts;
        if (prompts > asked) {
            std::string answer = asked < answers.size() ? answers[asked] + "\n" : "\n";
            if (::write(master, answer.data(), answer.size()) != ssize_t(answer.size())) break;
            ++asked;
        }
    }
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 100 && (done = ::waitpid(pid, &status, WNOHANG)) == 0; ++i) ::usleep(50000);
    if (done == 0) {  // still waiting for an answer
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ::close(master);
        return -1;
    }
    ::close(master);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// On a terminal a missing segment is asked for: the folder typed is searched, and stays the
// place where the following segments are looked for.
TEST_F(ToolTest, MissingSegmentIsAskedForOnATerminal) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 --method none in/setup.txt in/prog"), 0) << err;
    ASSERT_TRUE(fs::exists(dir / "set" / "disk.004"));
    fs::create_directories(dir / "moved");
    fs::rename(dir / "set" / "disk.002", dir / "moved" / "disk.002");
    std::string seen;
    EXPECT_EQ(ExtractOnTerminal(dir, {(dir / "moved").string(), (dir / "set").string()}, seen), 0) << seen;
    EXPECT_NE(seen.find("segment disk.002 is not in"), std::string::npos) << seen;
    EXPECT_NE(seen.find("segment disk.003 is not in"), std::string::npos) << seen;
    ExpectProductIn(dir / "out");
    // An empty answer cancels.
    fs::remove_all(dir / "out");
    seen.clear();
    EXPECT_EQ(ExtractOnTerminal(dir, {""}, seen), 1) << seen;
    EXPECT_NE(seen.find("zuv: cancelled while asking for segment 2 (disk.002)"), std::string::npos) << seen;
}

TEST_F(ToolTest, WrongSegmentIsAskedForAgainOnATerminal) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 --method none in/setup.txt in/prog"), 0) << err;
    fs::create_directories(dir / "moved");
    fs::rename(dir / "set" / "disk.002", dir / "moved" / "disk.002");
    fs::copy_file(dir / "set" / "disk.003", dir / "set" / "disk.002");  // the wrong disk
    std::string seen;
    EXPECT_EQ(ExtractOnTerminal(dir, {(dir / "moved").string(), (dir / "set").string()}, seen), 0) << seen;
    EXPECT_NE(seen.find("disk.002 in set is segment 3, not segment 2 of this set"), std::string::npos) << seen;
    ExpectProductIn(dir / "out");
}

}  // namespace
}  // namespace zuv::archive
