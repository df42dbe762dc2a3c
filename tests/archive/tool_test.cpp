// The zuv tool run as a program: pack, list, test and extract, refusals and exit statuses.
#include <poll.h>
#include <signal.h>
#include <pty.h>
#include <sys/wait.h>
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

namespace zuv::archive {
namespace {

namespace fs = std::filesystem;
using namespace zuv::archive::testing;

class ToolTest : public ::testing::Test {
protected:
    fs::path dir;
    std::string out, err;

    void SetUp() override {
        char name[] = "/tmp/zuv-tool-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const fs::path& p, const std::string& content) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }
    void Write(const fs::path& p, const std::vector<uint8_t>& content) { Write(p, std::string(content.begin(), content.end())); }
    // Runs zuv with the arguments (already quoted where needed); stdin is not a terminal.
    int Zuv(const std::string& arguments) {
        std::string command = std::string("cd '") + dir.string() + "' && '" ZUV_BINARY_DIR "/zuv' " + arguments +
                              " >stdout.txt 2>stderr.txt </dev/null";
        int status = std::system(command.c_str());
        out = Slurp(dir / "stdout.txt");
        err = Slurp(dir / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
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
    EXPECT_EQ(Zuv("extract a b"), 2);
    EXPECT_EQ(Zuv("test x --key zz"), 2);
    EXPECT_EQ(Zuv("pack in"), 2);
    EXPECT_EQ(Zuv("pack -o set --method zip in"), 2);
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
    EXPECT_EQ(err, "zuv: Bad checksum during expansion -- data may be invalid\n");
}

TEST_F(ToolTest, MissingSegmentIsAnErrorWithoutTerminal) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 --method none in/setup.txt in/prog"), 0) << err;
    fs::remove(dir / "set" / "disk.002");
    EXPECT_EQ(Zuv("extract set -d out"), 1);
    EXPECT_EQ(err, "zuv: Unable to locate \"disk.002\" on this segment!\n");
    EXPECT_EQ(Zuv("test set"), 1);
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
    EXPECT_EQ(Zuv("test junk.arc"), 1);
    EXPECT_EQ(err, "zuv: Can't recognize compressed file header\n");
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
    EXPECT_EQ(err, "zuv: no disk.001 in set\n");
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
    EXPECT_NE(seen.find("Operation aborted by user"), std::string::npos) << seen;
}

TEST_F(ToolTest, WrongSegmentIsAskedForAgainOnATerminal) {
    MakeProduct();
    ASSERT_EQ(Zuv("pack -o set --segment-size 20000 --method none in/setup.txt in/prog"), 0) << err;
    fs::create_directories(dir / "moved");
    fs::rename(dir / "set" / "disk.002", dir / "moved" / "disk.002");
    fs::copy_file(dir / "set" / "disk.003", dir / "set" / "disk.002");  // the wrong disk
    std::string seen;
    EXPECT_EQ(ExtractOnTerminal(dir, {(dir / "moved").string(), (dir / "set").string()}, seen), 0) << seen;
    EXPECT_NE(seen.find("Incorrect segmented mounted!"), std::string::npos) << seen;
    ExpectProductIn(dir / "out");
}

}  // namespace
}  // namespace zuv::archive
