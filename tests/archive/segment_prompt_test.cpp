// The segment reader's prompts as typed events: the kind of prompt, the segment wanted and
// found, and a host that answers them instead of the reader's own boxes; the cause of a
// failed run as a kind, not a text.
#include <gtest/gtest.h>

#include "archive/archive_writer.h"
#include "archive/segment.h"
#include "archive/segment_writer.h"
#include "archive_helpers.h"
#include "platform/fake/fake_platform.h"

namespace zuv::archive {
namespace {

using namespace zuv::archive::testing;

const char* const kCorrect = "\n\rCorrect and then press OK, or Cancel to abort";

class SegmentPromptTest : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    TSegCompEZ seg{fake};
    std::vector<std::vector<uint8_t>> segments;  // two segments of one small set
    std::vector<TSegPrompt> prompts;

    void SetUp() override {
        std::vector<SetArchive> set(1);
        TArchiveWriter w;
        w.Add("app.exe", Bytes("application bytes"));
        set[0].Template = "C:\\dest\\*.*";
        set[0].Files = {"app.exe"};
        set[0].Archive = w.Bytes();
        segments = SplitAtSizes(BuildSpanStream(set), {40});
        ASSERT_EQ(segments.size(), 2u);
        seg.SetSegBaseName("disk");
        seg.SetSegDir("C:\\set");
        seg.SetSegTmpDir("C:\\tmp");
        seg.SetSegPopUp(false);
        fake.CreateDirectory("C:\\set");
    }
    void Put(const std::vector<std::vector<uint8_t>>& files) {
        fake.DeleteFile("C:\\set\\disk.001");
        fake.DeleteFile("C:\\set\\disk.002");
        WriteSegmentFiles(fake, "C:\\set", "disk", files);
    }
    // Runs the set; the kind of failure, or -1 when it succeeds.
    int Run() {
        try {
            seg.ExpandSet();
        } catch (const ESegError& e) {
            return e.Kind;
        }
        return -1;
    }
};

// A handler that answers Cancel stops the run as an abort, and the reader's own box is never
// shown; the prompt says which segment was wanted and what was found.
TEST_F(SegmentPromptTest, CancelFromTheHandlerAbortsWithoutABox) {
    auto wrongFirst = segments[0];
    wrongFirst[6] = 7;  // the first file carries segment number 7
    const struct {
        const char* what;
        std::vector<std::vector<uint8_t>> files;
        bool popUp;
        TSegPromptKind kind;
        uint16_t wanted, found;
        std::string name, path, caption, text;
    } cases[] = {
        {"missing", {segments[0]}, false, pkSegmentMissing, 2, 0, "disk.002", "c:\\set\\disk.002", "Error",
         std::string("Unable to locate \"disk.002\" on this segment!") + kCorrect},
        {"wrong", {wrongFirst, segments[1]}, false, pkWrongSegment, 1, 7, "disk.001", "c:\\set\\disk.001", "Error",
         std::string("Incorrect segmented mounted!") + kCorrect},
        {"mount", segments, true, pkMountSegment, 1, 0, "disk.001", "", "Mount Segment #1", "Directory Path:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Put(c.files);
        seg.SetSegPopUp(c.popUp);
        prompts.clear();
        seg.OnSegPrompt = [&](TSegPrompt& prompt) {
            prompts.push_back(prompt);
            prompt.Answer = paCancel;
        };
        EXPECT_EQ(Run(), ekAborted);
        EXPECT_TRUE(seg.SegAbort);
        EXPECT_TRUE(fake.shown.empty());
        ASSERT_EQ(prompts.size(), 1u);
        const TSegPrompt& p = prompts[0];
        EXPECT_EQ(p.Kind, c.kind);
        EXPECT_EQ(p.SegNumber, c.wanted);
        EXPECT_EQ(p.FoundNumber, c.found);
        EXPECT_EQ(p.SegName, c.name);
        EXPECT_EQ(p.SegPath, c.path);
        EXPECT_EQ(p.Caption, c.caption);
        EXPECT_EQ(p.Text, c.text);
        EXPECT_EQ(p.Directory, c.popUp ? "c:\\set" : "");
    }
}

// OK from the handler looks again: the missing segment put in place is read, and a folder
// given at the mount prompt is taken as typed (an empty one asks again).
TEST_F(SegmentPromptTest, OkFromTheHandlerLooksAgain) {
    Put({segments[0]});
    seg.OnSegPrompt = [&](TSegPrompt& prompt) {
        prompts.push_back(prompt);
        Put(segments);
        prompt.Answer = paOK;
    };
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(fake.GetFile("C:\\dest\\app.exe"), "application bytes");
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].Kind, pkSegmentMissing);

    seg.SetSegPopUp(true);
    seg.SetSegDir("C:\\nowhere");
    prompts.clear();
    std::vector<std::string> answers = {"", "C:\\SET", "C:\\SET"};
    seg.OnSegPrompt = [&](TSegPrompt& prompt) {
        prompts.push_back(prompt);
        prompt.Directory = answers.at(prompts.size() - 1);
        prompt.Answer = paOK;
    };
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(fake.shown.empty());
    EXPECT_EQ(seg.SegDir(), "C:\\SET");
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[1].Directory, "c:\\nowhere");  // asked again, offering the old folder
    EXPECT_EQ(prompts[2].SegNumber, 2);
    EXPECT_EQ(prompts[2].Directory, "C:\\SET");
}

// A handler that leaves the answer to the reader gets its boxes, with the same texts.
TEST_F(SegmentPromptTest, UnansweredPromptShowsTheReadersBox) {
    Put({segments[0]});
    seg.OnSegPrompt = [&](TSegPrompt& prompt) { prompts.push_back(prompt); };
    fake.answers = {0, 1};  // OK, then Cancel
    EXPECT_EQ(Run(), ekAborted);
    ASSERT_EQ(fake.shown.size(), 2u);
    EXPECT_EQ(prompts.size(), 2u);
    EXPECT_EQ(fake.shown[0].text, prompts[0].Text);
    EXPECT_EQ(fake.shown[0].caption, "Error");
    EXPECT_EQ(fake.shown[0].buttons, (std::vector<std::string>{"OK", "Cancel"}));
}

// Failures that are not the user's are told apart from an abort by their kind.
TEST_F(SegmentPromptTest, OtherFailuresAreNotAborts) {
    fake.PutFile("C:\\set\\disk.001", "not a segment file");
    EXPECT_EQ(Run(), ekFailed);
    auto damaged = segments[0];
    damaged[8] = 'X';  // the set header's "SHdr"
    Put({damaged, segments[1]});
    EXPECT_EQ(Run(), ekFailed);
    Put(segments);
    seg.OnSegAfter = [&](TSegMode, const std::string&, uint16_t) { seg.SegAbort = true; };
    EXPECT_EQ(Run(), ekAborted);
}

}  // namespace
}  // namespace zuv::archive
