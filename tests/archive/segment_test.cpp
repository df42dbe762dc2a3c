// The segment set reader: names, prompts, records split across segments, catalogues, archive
// selection, hostile lengths and the temporary files.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "archive/archive_writer.h"
#include "archive/segment.h"
#include "archive/segment_writer.h"
#include "archive_helpers.h"
#include "common/routines.h"
#include "platform/fake/fake_platform.h"

namespace zuv::archive {
namespace {

using namespace zuv::archive::testing;

const char* const kCorrect = "\n\rCorrect and then press OK, or Cancel to abort";

// Two archives: "prog\*.*" with two files and "help\*.*" with one.
std::vector<SetArchive> SampleSet() {
    std::vector<SetArchive> set(2);
    TArchiveWriter a;
    a.Add("App.exe", Bytes("application bytes"));
    a.Add("lib.dll", Bytes("library"));
    set[0].Template = "C:\\dest\\prog\\*.*";
    set[0].Files = {"APP.EXE", "lib.dll"};
    set[0].Archive = a.Bytes();
    TArchiveWriter b;
    b.Add("help.txt", Bytes("help text"));
    b.Add("skipped.txt", Bytes("not in the catalogue"));
    set[1].Template = "C:\\dest\\help\\*.*";
    set[1].Flags = 7;
    set[1].Files = {"help.txt"};
    set[1].Archive = b.Bytes();
    return set;
}

// One archive holding "big.bin" for C:\big\.
std::vector<SetArchive> BigFileSet(const std::vector<uint8_t>& data) {
    std::vector<SetArchive> set(1);
    TArchiveWriter w;
    w.Add("big.bin", data);
    set[0].Template = "C:\\big\\";
    set[0].Files = {"big.bin"};
    set[0].Archive = w.Bytes();
    return set;
}

// The bytes of the set's stream before its only archive's data.
size_t HeadSize(const std::vector<SetArchive>& set) { return BuildSpanStream(set).size() - set[0].Archive.size(); }

class SegmentTest : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    TSegCompEZ seg{fake};
    std::vector<std::string> events;

    void SetUp() override {
        seg.SetSegBaseName("disk");
        seg.SetSegDir("C:\\set");
        seg.SetSegTmpDir("C:\\tmp");
        seg.SetSegPopUp(false);
        fake.CreateDirectory("C:\\set");
        seg.OnSegBefore = [this](TSegMode mode, const std::string& name, uint16_t n) {
            EXPECT_EQ(mode, smExpand);
            events.push_back("before " + name + " " + std::to_string(n));
        };
        seg.OnSegAfter = [this](TSegMode, const std::string& name, uint16_t n) {
            events.push_back("after " + name + " " + std::to_string(n));
        };
    }

    void Put(const std::vector<std::vector<uint8_t>>& segments) {
        for (size_t i = 0; i < 20; ++i) fake.DeleteFile("C:\\set\\" + SegmentFileName("disk", uint16_t(i + 1)));
        WriteSegmentFiles(fake, "C:\\set", "disk", segments);
    }
    void PutSet(const std::vector<SetArchive>& set, const std::vector<size_t>& sizes = {}) {
        Put(SplitAtSizes(BuildSpanStream(set), sizes));
    }
    std::string RunError() {
        try {
            seg.ExpandSet();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no exception)";
    }
    // Files left in the temporary directory.
    size_t TempFiles() {
        std::string host = fake.HostPath("C:\\tmp");
        if (!std::filesystem::exists(host)) return 0;
        return size_t(std::distance(std::filesystem::directory_iterator(host), {}));
    }
    void ExpectSampleExpanded() {
        EXPECT_EQ(fake.GetFile("C:\\dest\\prog\\App.exe"), "application bytes");
        EXPECT_EQ(fake.GetFile("C:\\dest\\prog\\lib.dll"), "library");
        EXPECT_EQ(fake.GetFile("C:\\dest\\help\\help.txt"), "help text");
        EXPECT_FALSE(fake.Exists("C:\\dest\\help\\skipped.txt"));
    }
};

TEST(SegmentProperties, DefaultsAndSetterRules) {
    platform::FakePlatform fake;
    TSegCompEZ seg(fake);
    EXPECT_EQ(seg.SegBaseName(), "SegData");
    EXPECT_EQ(seg.SegDir(), "a:\\");
    EXPECT_EQ(seg.SegExt(), "");
    EXPECT_TRUE(seg.SegPopUp());
    EXPECT_EQ(seg.SegSize(), 1440000);
    EXPECT_EQ(seg.SegTmpDir(), "c:");  // the current directory C:\ without its backslash
    EXPECT_EQ(seg.SegMode, smIdle);
    EXPECT_EQ(seg.SegNumber, 0);
    EXPECT_EQ(seg.SegBuildMode, bmRecursive);
    EXPECT_EQ(seg.SegCompType, coLZH);
    EXPECT_FALSE(seg.SegMultiArc);
    seg.SetSegBaseName("C:\\Some\\DIR\\Disk");
    EXPECT_EQ(seg.SegBaseName(), "disk");
    seg.SetSegBaseName("");
    EXPECT_EQ(seg.SegBaseName(), "SegData");
    seg.SetSegDir("D:\\SETUP\\");
    EXPECT_EQ(seg.SegDir(), "d:\\setup\\");
    seg.SetSegDir("");
    EXPECT_EQ(seg.SegDir(), "a:\\");
    seg.SetSegExt("SEGMENT");
    EXPECT_EQ(seg.SegExt(), "SEG");
    seg.SetSegSize(100);
    EXPECT_EQ(seg.SegSize(), 16384);
    seg.SetSegSize(16385);
    EXPECT_EQ(seg.SegSize(), 16385);
    seg.SetSegTmpDir("C:\\WINDOWS\\TEMP\\");
    EXPECT_EQ(seg.SegTmpDir(), "c:\\windows\\temp");
    seg.SetSegSource({"x", "y"});
    EXPECT_EQ(seg.SegSource(), (std::vector<std::string>{"x", "y"}));
}

TEST(SegmentProperties, SegmentNamesPadToThreeDigits) {
    platform::FakePlatform fake;
    TSegCompress seg(fake);
    seg.SetSegBaseName("disk");
    const std::pair<uint16_t, const char*> cases[] = {
        {1, "disk.001"}, {12, "disk.012"}, {999, "disk.999"}, {1000, "disk.1000"}, {65535, "disk.65535"}};
    for (const auto& [n, name] : cases) {
        seg.SegNumber = n;
        seg.BuildSegmentName("a:\\");
        EXPECT_EQ(seg.SegName, name);
        EXPECT_EQ(seg.SegPath, std::string("a:\\") + name);
        EXPECT_EQ(SegmentFileName("disk", n), name);
    }
    seg.SetSegExt("seg");
    seg.BuildSegmentName("C:\\x");
    EXPECT_EQ(seg.SegName, "disk.seg");
    EXPECT_EQ(seg.SegPath, "C:\\x\\disk.seg");
}

TEST_F(SegmentTest, ExpandsASetAndReportsTemplates) {
    PutSet(SampleSet());
    std::vector<std::string> checked;
    seg.OnCheckFile = [&](std::string& path, TCProcessMode) { checked.push_back(path); };
    seg.ExpandSet();
    ExpectSampleExpanded();
    EXPECT_EQ(checked, (std::vector<std::string>{"C:\\dest\\prog\\App.exe", "C:\\dest\\prog\\lib.dll",
                                                 "C:\\dest\\help\\help.txt"}));
    EXPECT_EQ(seg.SegSource(), (std::vector<std::string>{"C:\\dest\\prog\\*.*", "C:\\dest\\help\\*.*"}));
    ASSERT_EQ(seg.ArcList.size(), 2u);
    EXPECT_EQ(seg.ArcList[1].TemplatePath, "C:\\dest\\help\\");
    EXPECT_EQ(seg.ArcList[1].ArcFlags, 7);
    EXPECT_EQ(seg.ArcList[1].Index, 1);
    EXPECT_EQ(seg.ArcList[0].Files,
              (std::vector<std::string>{"C:\\dest\\prog\\App.exe", "C:\\dest\\prog\\lib.dll"}));
    EXPECT_EQ(seg.TargetPath(), "");
    EXPECT_TRUE(seg.MakeDirectories());
    EXPECT_EQ(seg.SegMode, smExpand);
    EXPECT_EQ(events, (std::vector<std::string>{"before disk.001 1"}));
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SegmentTest, SplitAtEveryByteOfTheSpan) {
    std::vector<SetArchive> set = SampleSet();
    const size_t spanSize = BuildSpanStream(set).size();
    for (size_t cut = 0; cut <= spanSize; ++cut) {
        PutSet(set, {cut});
        events.clear();
        ASSERT_NO_THROW(seg.ExpandSet()) << "cut at " << cut;
        ExpectSampleExpanded();
        // The second segment is asked for only when bytes remain for it.
        std::vector<std::string> expected = {"before disk.001 1"};
        if (cut < spanSize) expected = {"before disk.001 1", "after disk.001 1", "before disk.002 2"};
        EXPECT_EQ(events, expected) << "cut at " << cut;
        fake.DeleteFile("C:\\dest\\prog\\App.exe");
    }
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SegmentTest, ArchiveAcrossThreeSegmentsAndAnEmptyOne) {
    std::vector<uint8_t> data = SampleData(30000, 3);
    std::vector<SetArchive> set = BigFileSet(data);
    size_t head = HeadSize(set);
    PutSet(set, {head + 100, 20000});
    std::vector<int32_t> progress;
    seg.OnSegShowProgress = [&](int32_t p) { progress.push_back(p); };
    seg.ExpandSet();
    EXPECT_EQ(fake.GetFile("C:\\big\\big.bin"), std::string(data.begin(), data.end()));
    EXPECT_EQ(events, (std::vector<std::string>{"before disk.001 1", "after disk.001 1", "before disk.002 2",
                                                "after disk.002 2", "before disk.003 3"}));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.size(), (set[0].Archive.size() + 8191) / 8192);
    // An identification-only segment contributes nothing and is passed at once.
    events.clear();
    PutSet(set, {head + 100, 0, 20000});
    seg.ExpandSet();
    EXPECT_EQ(events, (std::vector<std::string>{"before disk.001 1", "after disk.001 1", "before disk.002 2",
                                                "after disk.002 2", "before disk.003 3", "after disk.003 3",
                                                "before disk.004 4"}));
}

TEST_F(SegmentTest, MissingSegmentIsAskedForUntilCancel) {
    auto segments = SplitAtSizes(BuildSpanStream(SampleSet()), {40});
    segments.pop_back();
    Put(segments);
    fake.answers = {0, 0, 1};  // OK, OK, Cancel
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    EXPECT_TRUE(seg.SegAbort);
    ASSERT_EQ(fake.shown.size(), 3u);
    EXPECT_EQ(fake.shown[0].text, std::string("Unable to locate \"disk.002\" on this segment!") + kCorrect);
    EXPECT_EQ(fake.shown[0].buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(std::count(events.begin(), events.end(), "before disk.002 2"), 3);
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SegmentTest, WrongSegmentNumberPromptsAndRetries) {
    auto segments = SplitAtSizes(BuildSpanStream(SampleSet()), {});
    auto wrong = segments[0];
    wrong[6] = 2;
    Put({wrong});
    fake.onAsk = [&](const platform::FakePlatform::Shown& box) {
        EXPECT_EQ(box.text, std::string("Incorrect segmented mounted!") + kCorrect);
        Put(segments);  // the right disk is put in
        return 0;
    };
    seg.ExpandSet();
    ExpectSampleExpanded();
    EXPECT_EQ(events, (std::vector<std::string>{"before disk.001 1", "before disk.001 1"}));
    // Cancel instead ends the run.
    Put({wrong});
    fake.onAsk = nullptr;
    fake.answers = {1};
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    EXPECT_TRUE(seg.SegAbort);
    // So does closing the question without an answer.
    fake.answers = {platform::kBoxClosed};
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    EXPECT_EQ(fake.answers.size(), 0u);
}

TEST_F(SegmentTest, ForeignFileFailsWithoutPrompt) {
    fake.PutFile("C:\\set\\disk.001", "not a segment file");
    EXPECT_EQ(RunError(), "(TSegCompress) Stream open failed");
    fake.PutFile("C:\\set\\disk.001", "SSe");
    EXPECT_EQ(RunError(), "(TSegCompress) Stream open failed");
    EXPECT_TRUE(fake.shown.empty());
}

TEST_F(SegmentTest, InputBoxAsksForTheDirectory) {
    PutSet(SampleSet());
    seg.SetSegPopUp(true);
    seg.SetSegDir("C:\\nowhere");
    fake.inputs = {std::string(""), std::string("C:\\SET")};
    seg.ExpandSet();
    ExpectSampleExpanded();
    ASSERT_EQ(fake.shown.size(), 2u);
    EXPECT_EQ(fake.shown[0].caption, "Mount Segment #1");
    EXPECT_EQ(fake.shown[0].text, "Directory Path:");
    EXPECT_EQ(seg.SegDir(), "C:\\SET");  // as typed
    events.clear();
    fake.inputs = {std::nullopt};
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    EXPECT_TRUE(seg.SegAbort);
    EXPECT_TRUE(events.empty());  // OnSegBefore is not raised after Cancel
}

TEST_F(SegmentTest, HandlersCanAbortAfterEverySegmentEvent) {
    PutSet(SampleSet(), {60});
    seg.OnSegAfter = [&](TSegMode, const std::string&, uint16_t) { seg.SegAbort = true; };
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    seg.OnSegAfter = nullptr;
    seg.OnSegBeforeExpand = [&](TSegArcList&) { seg.SegAbort = true; };
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    EXPECT_FALSE(fake.Exists("C:\\dest\\prog\\App.exe"));
    seg.OnSegBeforeExpand = nullptr;
    std::vector<std::string> templates;
    seg.OnSegAfterArchive = [&](TSegArcHeader header, const std::string& text) {
        EXPECT_EQ(std::string(header.Raw, header.Raw + 4), "SArc");
        EXPECT_EQ(header.SequenceNumber(), 0);
        templates.push_back(text);
        seg.SegAbort = true;
    };
    EXPECT_EQ(RunError(), "(TSegCompress) Operation aborted by user");
    EXPECT_EQ(templates, (std::vector<std::string>{"C:\\dest\\prog\\*.*"}));
    EXPECT_TRUE(fake.Exists("C:\\dest\\prog\\App.exe"));
    EXPECT_FALSE(fake.Exists("C:\\dest\\help\\help.txt"));
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SegmentTest, BeforeExpandMayDropArchivesAndEditFiles) {
    std::vector<SetArchive> set = SampleSet();
    set.push_back(set[1]);
    set[2].Template = "C:\\third\\";
    set[2].Files = {"help.txt", "skipped.txt"};
    PutSet(set, {100, 100});
    seg.OnSegBeforeExpand = [](TSegArcList& list) {
        ASSERT_EQ(list.size(), 3u);
        list.erase(list.begin());
        list[0].Files.clear();
    };
    seg.ExpandSet();
    EXPECT_FALSE(fake.Exists("C:\\dest\\prog\\App.exe"));
    EXPECT_FALSE(fake.Exists("C:\\dest\\help\\help.txt"));
    EXPECT_EQ(fake.GetFile("C:\\third\\help.txt"), "help text");
    EXPECT_EQ(fake.GetFile("C:\\third\\skipped.txt"), "not in the catalogue");
    EXPECT_EQ(seg.SegSource(), (std::vector<std::string>{"C:\\dest\\help\\*.*", "C:\\third\\"}));
}

TEST_F(SegmentTest, CatalogueRecordsBecomeLines) {
    const int32_t r = 12;
    std::vector<uint8_t> catalogue;
    std::string a = "A.EXE";
    a.resize(r, '\0');
    std::string b = "B.DLL";
    b.resize(r, ' ');
    std::string c(r, ' ');
    std::string d = "C.TXT  ";  // a shorter last record
    for (const auto& rec : {a, b, c, d}) catalogue.insert(catalogue.end(), rec.begin(), rec.end());
    TArchiveWriter cat;
    cat.Add("cat", catalogue);
    std::vector<uint8_t> catArchive = cat.Bytes();
    std::vector<uint8_t> span = SetHeaderRecord(1);
    std::string templ = std::string("C:\\t\\*.*") + '\0' + "junk";
    auto entry = CatalogueEntryRecord(uint16_t(templ.size()), 0, r, int32_t(catArchive.size()));
    span.insert(span.end(), entry.begin(), entry.end());
    span.insert(span.end(), templ.begin(), templ.end());
    span.insert(span.end(), catArchive.begin(), catArchive.end());
    auto rec = ArchiveRecord(0, 0);
    span.insert(span.end(), rec.begin(), rec.end());
    Put(SplitAtSizes(span, {}));
    std::vector<std::string> lines;
    seg.OnSegBeforeExpand = [&](TSegArcList& list) { lines = list.at(0).Files; };
    std::vector<int32_t> progress;
    seg.OnSegShowProgress = [&](int32_t p) { progress.push_back(p); };
    seg.ExpandSet();
    EXPECT_EQ(lines, (std::vector<std::string>{"A.EXE", "B.DLL", "", "C.TXT"}));
    EXPECT_EQ(seg.SegSource(), (std::vector<std::string>{"C:\\t\\*.*"}));
    EXPECT_TRUE(progress.empty());  // D = 0
    EXPECT_TRUE(seg.ArcList[0].Files.empty());
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SegmentTest, EmptySetStillRaisesBeforeExpand) {
    Put(SplitAtSizes(SetHeaderRecord(0), {}));
    int raised = 0;
    seg.OnSegBeforeExpand = [&](TSegArcList& list) {
        ++raised;
        EXPECT_TRUE(list.empty());
    };
    seg.ExpandSet();
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(seg.SegBytesLeft, 0);
    EXPECT_TRUE(seg.SegSource().empty());
}

TEST_F(SegmentTest, NoContainerEventDuringCatalogues) {
    PutSet(SampleSet());
    int checks = 0, recognized = 0;
    seg.OnCheckFile = [&](std::string&, TCProcessMode) { ++checks; };
    seg.OnRecognize = [&](const std::string&, bool&) { ++recognized; };
    seg.ExpandSet();
    EXPECT_EQ(checks, 3);  // the three data files only
    EXPECT_EQ(recognized, 0);
}

// Each damaged record gives its own message.
TEST_F(SegmentTest, DamagedRecordsCarryTheirMessages) {
    std::vector<uint8_t> span = BuildSpanStream(SampleSet());
    auto expectError = [&](std::vector<uint8_t> damaged, const std::string& message) {
        Put(SplitAtSizes(damaged, {}));
        EXPECT_EQ(RunError(), message);
        EXPECT_EQ(TempFiles(), 0u) << message;
    };
    auto bad = span;
    bad[0] = 'X';
    expectError(bad, "(TSegCompress) Invalid Segment Header ID");
    bad = span;
    bad[21] = 'X';
    expectError(bad, "(TSegCompress) Invalid Scan ID Header");
    // The first archive record follows both catalogue entries.
    std::vector<SetArchive> set = SampleSet();
    size_t firstArc = span.size() - set[0].Archive.size() - set[1].Archive.size() - 32;
    bad = span;
    bad[firstArc] = 'X';
    expectError(bad, "(TSegCompress) Invalid Archive ID Header");
    bad = span;
    bad[firstArc + 6] = 1;
    expectError(bad, "(TSegCompress) Invalid Archive sequence number");
}

TEST_F(SegmentTest, HostileLengthsAreRejected) {
    auto spanWith = [](uint16_t templateLength, int32_t recordLength, int32_t catalogueSize) {
        std::vector<uint8_t> span = SetHeaderRecord(1);
        auto entry = CatalogueEntryRecord(templateLength, 0, recordLength, catalogueSize);
        span.insert(span.end(), entry.begin(), entry.end());
        span.resize(span.size() + 9000, 'x');
        return span;
    };
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {spanWith(8192, 10, 0), "(TSegCompress) Invalid template length"},
        {spanWith(65535, 10, 0), "(TSegCompress) Invalid template length"},
        {spanWith(4, 0, 0), "(TSegCompress) Invalid catalogue record length"},
        {spanWith(4, -5, 0), "(TSegCompress) Invalid catalogue record length"},
        {spanWith(4, 8192, 0), "(TSegCompress) Invalid catalogue record length"},
        {spanWith(4, 10, 0), "(TSegCompress) Catalogue archive holds no catalogue"},
        {spanWith(4, 10, -100), "(TSegCompress) Catalogue archive holds no catalogue"},
        {spanWith(4, 10, 20), "(TSegCompress) Catalogue archive holds no catalogue"},
        {spanWith(4, 10, 30), "Can't recognize compressed file header"},
    };
    for (const auto& [span, message] : cases) {
        Put(SplitAtSizes(span, {}));
        EXPECT_EQ(RunError(), message);
        EXPECT_EQ(TempFiles(), 0u) << message;
    }
}

TEST_F(SegmentTest, TruncatedSetsEndWithAnError) {
    std::vector<uint8_t> span = BuildSpanStream(SampleSet());
    for (size_t n = 0; n < span.size(); ++n) {
        std::vector<uint8_t> cut(span.begin(), span.begin() + long(n));
        Put(SplitAtSizes(cut, {}));
        fake.answers.clear();  // every prompt for the next segment is cancelled
        std::string error = RunError();
        EXPECT_NE(error, "(no exception)") << n;
        EXPECT_EQ(TempFiles(), 0u) << n;
    }
}

TEST_F(SegmentTest, CatalogueEntriesStayInTheTemporaryDirectory) {
    TArchiveWriter cat;
    cat.Add("..\\..\\escaped.txt", Bytes("NAME"));
    cat.Add("\\rooted.txt", Bytes("x"));
    std::vector<uint8_t> catArchive = cat.Bytes();
    std::vector<uint8_t> span = SetHeaderRecord(1);
    auto entry = CatalogueEntryRecord(0, 0, 8, int32_t(catArchive.size()));
    span.insert(span.end(), entry.begin(), entry.end());
    span.insert(span.end(), catArchive.begin(), catArchive.end());
    auto rec = ArchiveRecord(0, 0);
    span.insert(span.end(), rec.begin(), rec.end());
    Put(SplitAtSizes(span, {}));
    seg.ExpandSet();
    EXPECT_EQ(seg.ArcList.at(0).Files, std::vector<std::string>{});
    EXPECT_FALSE(fake.Exists("C:\\escaped.txt"));
    EXPECT_FALSE(fake.Exists("C:\\rooted.txt"));
    EXPECT_EQ(TempFiles(), 0u);
}

// A set of one archive (no data) whose catalogue archive is `catArchive`, read in records
// of `recordLength` bytes.
std::vector<uint8_t> SetWithCatalogueArchive(const std::vector<uint8_t>& catArchive, int32_t recordLength) {
    std::vector<uint8_t> span = SetHeaderRecord(1);
    const std::string templ = "C:\\t\\*.*";
    auto entry = CatalogueEntryRecord(uint16_t(templ.size()), 0, recordLength, int32_t(catArchive.size()));
    span.insert(span.end(), entry.begin(), entry.end());
    span.insert(span.end(), templ.begin(), templ.end());
    span.insert(span.end(), catArchive.begin(), catArchive.end());
    auto rec = ArchiveRecord(0, 0);
    span.insert(span.end(), rec.begin(), rec.end());
    return span;
}

// The catalogue is the first file of its archive: a later entry flattened onto the same
// name in the temporary directory does not replace it.
TEST_F(SegmentTest, LaterCatalogueEntryNeverReplacesTheCatalogue) {
    for (const char* later : {"sub\\SEGCAT.$$$", "SEGCAT.$$$", "\\x\\segcat.$$$"}) {
        SCOPED_TRACE(later);
        TArchiveWriter cat;
        cat.Add("SEGCAT.$$$", CatalogueFile({"A.EXE", "B.DLL"}, 8));
        cat.Add(later, CatalogueFile({"EVIL.EXE"}, 8));
        Put(SplitAtSizes(SetWithCatalogueArchive(cat.Bytes(), 8), {}));
        std::vector<std::string> lines;
        seg.OnSegBeforeExpand = [&](TSegArcList& list) { lines = list.at(0).Files; };
        seg.ExpandSet();
        EXPECT_EQ(lines, (std::vector<std::string>{"A.EXE", "B.DLL"}));
        EXPECT_EQ(TempFiles(), 0u);
    }
}

// A catalogue lists the stored names of one archive, a record each. One whose records or
// bytes no genuine set reaches (the bounds are 2^20 records and 64 MB) ends the run with a
// reader error before it is expanded, and nothing is left behind.
TEST_F(SegmentTest, OversizedCataloguesAreRefusedBeforeTheyAreExpanded) {
    // An -lh5- entry with no stored bytes expands to zeros for as long as it is asked to:
    // the exhausted input reads as zero bits, which make single-symbol blocks of byte 0.
    auto zeros = [](int32_t expandedSize) {
        TArchiveWriter cat(coLZH5);
        EntryHeader h;
        h.ExpandedSize = expandedSize;
        h.Method = coLZH5;
        cat.AddRaw(h, "SEGCAT.$$$", {});
        return cat.Bytes();
    };
    struct Case {
        int32_t expanded;
        int32_t recordLength;
        bool refused;
    };
    const Case cases[] = {
        {10 * 1000 * 1000, 1, true},    // ten million empty lines
        {0x7FFFFFFF, 1, true},
        {0x7FFFFFFF, 8191, true},
        {(64 << 20) + 1, 8191, true},   // few records, but more bytes than any catalogue
        {(1 << 20) + 1, 1, true},
        {1 << 20, 1, false},            // the most records a catalogue may have
        {(64 << 20) - 8191, 8191, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.expanded) + " bytes in records of " + std::to_string(c.recordLength));
        Put(SplitAtSizes(SetWithCatalogueArchive(zeros(c.expanded), c.recordLength), {}));
        size_t lines = 0;
        seg.OnSegBeforeExpand = [&](TSegArcList& list) { lines = list.at(0).Files.size(); };
        if (c.refused) {
            EXPECT_EQ(RunError(), "(TSegCompress) Catalogue of C:\\t\\*.* too large: " + std::to_string(c.expanded) +
                                      " bytes in records of " + std::to_string(c.recordLength));
        } else {
            EXPECT_EQ(RunError(), "(no exception)");
            EXPECT_EQ(lines, size_t((int64_t(c.expanded) + c.recordLength - 1) / c.recordLength));
        }
        EXPECT_EQ(TempFiles(), 0u);
    }
}

TEST_F(SegmentTest, LargeArchiveCutAtOddPlacesExpandsWhole) {
    // Several read-ahead blocks per segment, and segment ends that fall inside blocks and chunks.
    std::vector<uint8_t> data = SampleData(300000, 5);
    std::vector<SetArchive> set = BigFileSet(data);
    size_t head = HeadSize(set);
    PutSet(set, {head + 70001, 65536, 1, 100003});
    std::vector<int32_t> progress;
    seg.OnSegShowProgress = [&](int32_t p) { progress.push_back(p); };
    seg.ExpandSet();
    EXPECT_EQ(fake.GetFile("C:\\big\\big.bin"), std::string(data.begin(), data.end()));
    EXPECT_EQ(events.back(), "before disk.005 5");
    EXPECT_EQ(progress.size(), (set[0].Archive.size() + 8191) / 8192);
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SegmentTest, FullDiskForTheTemporaryArchive) {
    std::vector<SetArchive> set = BigFileSet(SampleData(200000, 6));
    PutSet(set);
    // Whether the disk fills in the first block or after many, the run fails and the
    // temporary archive goes.
    for (uint32_t limit : {1000u, 150000u, uint32_t(set[0].Archive.size() - 1)}) {
        fake.writeLimits["C:\\TMP\\DISK.$A$"] = limit;
        EXPECT_EQ(RunError(), "Cannot write file c:\\tmp\\disk.$A$") << limit;
        EXPECT_EQ(TempFiles(), 0u) << limit;
        EXPECT_FALSE(fake.Exists("C:\\big\\big.bin")) << limit;
    }
}

TEST_F(SegmentTest, ContainerErrorsPassThroughAndTemporaryGoes) {
    std::vector<SetArchive> set = SampleSet();
    set[0].Archive[12] = 9;  // archive type
    PutSet(set);
    EXPECT_EQ(RunError(), "Archive type must be caMulti");
    EXPECT_EQ(TempFiles(), 0u);
}

// A drive whose files can be swapped or damaged between the moments the reader opens them.
class TrickyPlatform : public platform::FakePlatform {
public:
    // Called with the upper-cased path and the count of earlier opens of it; may return a
    // replacement file.
    std::function<std::unique_ptr<platform::File>(const std::string&, int, std::unique_ptr<platform::File>)> onOpen;
    std::map<std::string, int> opens;
    std::unique_ptr<platform::File> Open(const std::string& path, platform::OpenMode mode) override {
        std::string key = common::Upper(path);
        auto file = FakePlatform::Open(path, mode);
        int earlier = opens[key]++;
        return onOpen ? onOpen(key, earlier, std::move(file)) : std::move(file);
    }
};

// A file that claims more bytes than it delivers.
class ShortFile : public platform::File {
public:
    ShortFile(std::unique_ptr<platform::File> inner, uint64_t claimed) : inner_(std::move(inner)), claimed_(claimed) {}
    uint32_t Read(void* b, uint32_t c) override { return inner_->Read(b, c); }
    uint32_t Write(const void* b, uint32_t c) override { return inner_->Write(b, c); }
    bool Seek(uint64_t p) override { return inner_->Seek(p); }
    uint64_t Position() override { return inner_->Position(); }
    uint64_t Size() override { return claimed_; }
    bool SetDosDateTime(uint32_t d) override { return inner_->SetDosDateTime(d); }

private:
    std::unique_ptr<platform::File> inner_;
    uint64_t claimed_;
};

class TrickySegmentTest : public ::testing::Test {
protected:
    TrickyPlatform fake;
    TSegCompEZ seg{fake};
    void SetUp() override {
        seg.SetSegBaseName("disk");
        seg.SetSegDir("C:\\set");
        seg.SetSegTmpDir("C:\\tmp");
        seg.SetSegPopUp(false);
        fake.CreateDirectory("C:\\set");
        WriteSegmentFiles(fake, "C:\\set", "disk", SplitAtSizes(BuildSpanStream(SampleSet()), {50}));
        fake.opens.clear();
    }
    std::string RunError() {
        try {
            seg.ExpandSet();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no exception)";
    }
    size_t TempFiles() {
        std::string host = fake.HostPath("C:\\tmp");
        if (!std::filesystem::exists(host)) return 0;
        return size_t(std::distance(std::filesystem::directory_iterator(host), {}));
    }
};

TEST_F(TrickySegmentTest, SegmentChangedAfterItsCheck) {
    fake.onOpen = [&](const std::string& key, int earlier, std::unique_ptr<platform::File> file) {
        if (key == "C:\\SET\\DISK.002" && earlier == 1) fake.PutFile("C:\\set\\disk.002", "SSe");
        return file;
    };
    EXPECT_EQ(RunError(), "(TSegCompress) Invalid Segment ID Header");
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(TrickySegmentTest, SegmentGoneAfterItsCheck) {
    fake.onOpen = [&](const std::string& key, int earlier, std::unique_ptr<platform::File> file) {
        if (key == "C:\\SET\\DISK.001" && earlier == 1) return std::unique_ptr<platform::File>();
        return file;
    };
    EXPECT_EQ(RunError(), "(TSegCompress) Stream open failed");
}

TEST_F(TrickySegmentTest, SegmentDeliveringLessThanItsSizeEndsTheRun) {
    fake.onOpen = [&](const std::string& key, int earlier, std::unique_ptr<platform::File> file) -> std::unique_ptr<platform::File> {
        if (key == "C:\\SET\\DISK.001" && earlier == 1) return std::make_unique<ShortFile>(std::move(file), 1u << 30);
        return file;
    };
    EXPECT_EQ(RunError(), "(TSegCompress) Segment read failed: disk.001 ended early");
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(TrickySegmentTest, CatalogueFileFailures) {
    fake.onOpen = [&](const std::string& key, int, std::unique_ptr<platform::File> file) -> std::unique_ptr<platform::File> {
        if (key == "C:\\TMP\\SEGCAT.$$$" && file && fake.Exists("C:\\tmp\\segcat.$$$") &&
            !fake.GetFile("C:\\tmp\\segcat.$$$").empty())
            return std::make_unique<ShortFile>(std::move(file), 1000);
        return file;
    };
    // The catalogue claims more bytes than it holds: a record cannot be read.
    EXPECT_EQ(RunError(), "(TSegCompress) Stream read failed");
    EXPECT_EQ(TempFiles(), 0u);
    fake.onOpen = nullptr;
    fake.unopenable = {"C:\\TMP\\DISK.$A$"};
    EXPECT_EQ(RunError(), "(TSegCompress) Stream open failed");
    EXPECT_EQ(TempFiles(), 0u);
}

}  // namespace
}  // namespace zuv::archive
