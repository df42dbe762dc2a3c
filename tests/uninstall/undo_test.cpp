// Install, then undo, and the machine is as it was: the journal the engine writes for every
// kind of change, undone newest first; a journal cut short at any entry; the user's changes
// and additions kept and listed; a second installation into the same directory; rollback of
// the newest installation only.
#include <gtest/gtest.h>

#include "uninstall/product_fixture.h"
#include "wizard/text_lines.h"

namespace zuv::uninstall {
namespace {

using testing::Differences;
using testing::Machine;
using testing::ProductTest;
using testing::Snapshot;

std::vector<std::string> Kinds(const std::vector<JournalEntry>& entries) {
    std::vector<std::string> kinds;
    for (const auto& e : entries) kinds.push_back(e.kind);
    return kinds;
}

const JournalEntry* FindEntry(const std::vector<JournalEntry>& entries, const std::string& kind,
                              const std::string& first) {
    // A directory may be one of several in its entry.
    for (const auto& e : entries)
        for (size_t i = 0; i < (kind == "Dir" ? e.fields.size() : 1); ++i)
            if (e.kind == kind && common::Upper(e.Field(i)) == common::Upper(first)) return &e;
    return nullptr;
}

TEST(JournalEncodingTest, FieldsComeBackByteForByte) {
    const std::vector<std::vector<std::string>> cases = {
        {"C:\\Program Files\\MyApp\\A|B.TXT", "100%", ""},
        {"value with a trailing blank ", "\"quoted\"", "line\rbreak\nand\ttab"},
        {"", "", ""},
        {"%41 is not A", "|||", "=;[x]"},
    };
    for (const auto& fields : cases) {
        JournalEntry entry{"File", fields};
        const std::string encoded = EncodeEntry(entry);
        EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
        EXPECT_NE(encoded.back(), ' ');
        const JournalEntry decoded = DecodeEntry(encoded);
        EXPECT_EQ(decoded.kind, "File");
        EXPECT_EQ(decoded.fields, fields) << encoded;
    }
}

TEST_F(ProductTest, EveryChangeIsJournaledWithWhatItReplaced) {
    UseMachine();
    UseProduct();
    ASSERT_TRUE(Run());
    const auto journals = Journals();
    ASSERT_EQ(journals.size(), 1u);
    const std::vector<JournalEntry>& j = journals.at(1);

    // Directories it made, not the ones that were there.
    for (const char* dir : {"C:\\Program Files", "C:\\Program Files\\MyApp", "C:\\Program Files\\MyApp\\Data",
                            "C:\\Program Files\\MyApp\\Data\\Deep", "C:\\Tools", "C:\\Program Files\\MyApp\\Setup",
                            "C:\\WINDOWS\\Desktop\\My Folder", "C:\\WINDOWS\\Start Menu\\My Folder"})
        EXPECT_TRUE(FindEntry(j, "Dir", dir)) << dir;
    EXPECT_FALSE(FindEntry(j, "Dir", "C:\\WINDOWS\\Fonts"));
    EXPECT_FALSE(FindEntry(j, "Dir", "C:\\WINDOWS"));

    // A new file has no copy; a replaced one is saved under Setup first, byte for byte.
    const JournalEntry* app = FindEntry(j, "File", "C:\\Program Files\\MyApp\\MYAPP.EXE");
    ASSERT_TRUE(app);
    EXPECT_EQ(app->Field(1), "");
    const JournalEntry* font = FindEntry(j, "File", "C:\\WINDOWS\\Fonts\\HELLO.FON");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->Field(1).rfind("C:\\Program Files\\MyApp\\Setup\\", 0), 0u) << font->Field(1);
    EXPECT_EQ(platform.GetFile(font->Field(1)), "the user's own font");
    const JournalEntry* sum = FindEntry(j, "Sum", "C:\\WINDOWS\\Fonts\\HELLO.FON");
    ASSERT_TRUE(sum);
    EXPECT_EQ(sum->Field(1), FileChecksum(platform, "C:\\WINDOWS\\Fonts\\HELLO.FON"));
    EXPECT_TRUE(FindEntry(j, "File", "C:\\Program Files\\MyApp\\install.exe"));
    EXPECT_TRUE(FindEntry(j, "File", "C:\\WINDOWS\\Desktop\\My App.lnk"));
    EXPECT_TRUE(FindEntry(j, "File", "C:\\autoexec.zuv"));

    // INI values with their previous value or absence, and whether the section and the file
    // were there.
    const JournalEntry* ini = FindEntry(j, "Ini", "C:\\WINDOWS\\EXISTING.INI");
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->fields, (std::vector<std::string>{"C:\\WINDOWS\\EXISTING.INI", "Main", "Mode", "1", "old", "1",
                                                     "1", "new"}));
    const JournalEntry* fresh = FindEntry(j, "Ini", "C:\\WINDOWS\\NEW.INI");
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->fields, (std::vector<std::string>{"C:\\WINDOWS\\NEW.INI", "S", "K", "0", "", "0", "0", "V"}));

    // Registry keys it created (the current-user mirror included) and values with what they
    // replaced.
    EXPECT_TRUE(FindEntry(j, "Key", "HKLM"));
    EXPECT_TRUE(FindEntry(j, "Key", "HKCU"));
    bool replacedEditor = false;
    for (const auto& e : j)
        if (e.kind == "Value" && e.Field(2) == "Editor")
            replacedEditor = e.Field(3) == "1" && FromHex(e.Field(5)) == std::vector<uint8_t>{'n', 'o', 't', 'e', 'p',
                                                                                           'a', 'd', 0};
    EXPECT_TRUE(replacedEditor);

    // The exact lines appended to AUTOEXEC.BAT, and a byte copy of the file before.
    const JournalEntry* batch = FindEntry(j, "Batch", "C:\\autoexec.bat");
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->Field(2), "REM - Starting Tolvane Update\rSET MYAPP=C:\\Program Files\\MyApp\rREM - End of Tolvane");
    EXPECT_EQ(platform.GetFile(batch->Field(1)), "@ECHO OFF\r\nPATH C:\\DOS\r\n");

    // Every entry is written before its change: the directory before the files in it.
    const auto kinds = Kinds(j);
    EXPECT_EQ(kinds.front(), "Dir");
    // The record's own sections are as they always were.
    EXPECT_EQ(RecordKeys("Program"), (std::vector<std::string>{"Title"}));
    EXPECT_EQ(RecordKeys("UNINS").front(), "C:\\Program Files\\MyApp\\*.*");
}

TEST_F(ProductTest, InstallThenUndoLeavesTheMachineAsItWas) {
    UseMachine();
    UseProduct();
    const Machine before = Snapshot(platform);
    ASSERT_TRUE(Run());
    ASSERT_NE(Differences(before, Snapshot(platform)), "");
    TUndo undo(platform, kRecord);
    std::vector<int> progress;
    undo.OnProgress = [&](int done, int total) {
        progress.push_back(done);
        EXPECT_EQ(total, undo.EntryCount(false) + 0 * done);
    };
    const int total = undo.EntryCount(false);
    undo.UndoAll();
    EXPECT_EQ(Differences(before, Snapshot(platform)), "");
    EXPECT_TRUE(undo.Kept().empty());
    EXPECT_EQ(static_cast<int>(progress.size()), total);
    EXPECT_EQ(undo.Counts().filesRestored, 1) << "the font";
    EXPECT_EQ(undo.Counts().batchBlocks, 1);
    EXPECT_FALSE(platform.Exists("C:\\Program Files\\MyApp"));
}

// The installation dies after any entry of its journal (the next one is never written): what
// it did until then is undone completely. (Entry 1 is written when the journal opens, right
// after the record's own first lines: the directories made before that are the one change
// no journal can hold yet.)
TEST_F(ProductTest, AJournalCutShortAtAnyEntryIsUndoneCompletely) {
    UseMachine();
    UseProduct();
    ASSERT_TRUE(Run());
    const size_t entries = Journals().at(1).size();
    ASSERT_GT(entries, 30u);
    TUndo(platform, kRecord).UndoAll();
    struct Killed {};
    for (size_t cut = 2; cut <= entries; ++cut) {
        SCOPED_TRACE("killed before journal entry " + std::to_string(cut));
        UseProduct();
        const Machine before = Snapshot(platform);
        size_t written = 0;
        platform.onWriteProfile = [&](const std::string& section, const std::string* key, const std::string&) {
            if (key && section.rfind("Journal ", 0) == 0 && ++written == cut) throw Killed();
        };
        EXPECT_THROW(Run(), Killed);
        platform.onWriteProfile = nullptr;
        TUndo(platform, kRecord).UndoAll();
        ASSERT_EQ(Differences(before, Snapshot(platform)), "");
    }
}

TEST_F(ProductTest, WhatTheUserChangedOrAddedIsKeptAndListed) {
    UseMachine();
    UseProduct();
    ASSERT_TRUE(Run());
    platform.PutFile("C:\\Program Files\\MyApp\\MYAPP.EXE", "patched by the user");
    platform.PutFile("C:\\WINDOWS\\Fonts\\HELLO.FON", "edited");
    platform.PutFile("C:\\Program Files\\MyApp\\Data\\notes.txt", "mine");
    const std::string mode = "Mode", user = "user";
    platform.WriteProfileString("Main", &mode, &user, "C:\\WINDOWS\\EXISTING.INI");
    platform.RegSetString(platform::RegRoot::kLocalMachine, "Software\\Firm\\App", "Version", "2.0");
    // Lines others added to AUTOEXEC.BAT after the block.
    std::vector<std::string> lines;
    ASSERT_TRUE(wizard::ReadTextLines(platform, "C:\\autoexec.bat", lines));
    lines.push_back("SET OTHER=1");
    ASSERT_TRUE(wizard::WriteTextLines(platform, "C:\\autoexec.bat", lines));

    TUndo undo(platform, kRecord);
    undo.UndoAll();
    std::map<std::string, std::string> kept;
    for (const KeptItem& k : undo.Kept()) kept[k.item] = k.reason;
    EXPECT_EQ(kept["C:\\Program Files\\MyApp\\MYAPP.EXE"], kKeptChanged);
    EXPECT_EQ(kept["C:\\WINDOWS\\Fonts\\HELLO.FON"], kKeptChanged);
    EXPECT_EQ(kept["C:\\Program Files\\MyApp\\Data\\notes.txt"], kKeptAdded);
    EXPECT_EQ(kept["[Main] Mode in C:\\WINDOWS\\EXISTING.INI"], kKeptChanged);
    EXPECT_EQ(kept["HKLM\\Software\\Firm\\App\\Version"], kKeptChanged);
    EXPECT_EQ(kept["C:\\Program Files\\MyApp\\Data"], kKeptNotEmpty);
    EXPECT_EQ(kept["C:\\Program Files\\MyApp"], kKeptNotEmpty);
    EXPECT_EQ(kept["HKLM\\Software\\Firm\\App"], kKeptKeyNotEmpty);
    // The font the installation replaced is kept beside the user's edit, never lost.
    bool earlierKept = false;
    for (const KeptItem& k : undo.Kept())
        if (k.reason == std::string(kKeptEarlier)) earlierKept = platform.GetFile(k.item) == "the user's own font";
    EXPECT_TRUE(earlierKept);

    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\MYAPP.EXE"), "patched by the user");
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\Data\\notes.txt"), "mine");
    EXPECT_FALSE(platform.Exists("C:\\Program Files\\MyApp\\Data\\DATA.DAT"));
    EXPECT_FALSE(platform.Exists("C:\\Program Files\\MyApp\\Data\\Deep"));
    EXPECT_FALSE(platform.Exists("C:\\Program Files\\MyApp\\uninstall.cfg"));
    EXPECT_FALSE(platform.Exists("C:\\Tools"));
    EXPECT_EQ(platform.GetFile("C:\\autoexec.bat"), "@ECHO OFF\r\nPATH C:\\DOS\r\nSET OTHER=1\r\n");
    // A value the user did not touch comes back even beside one they changed.
    EXPECT_EQ(platform.FindValue(platform::RegRoot::kCurrentUser, "Software\\Shared", "Editor")->text, "notepad");
}

TEST_F(ProductTest, ASecondInstallationKeepsTheFirstJournalAndUndoesNewestFirst) {
    UseMachine();
    UseProduct();
    const Machine original = Snapshot(platform);
    ASSERT_TRUE(Run());
    const Machine first = Snapshot(platform);
    // Version 2: a changed program, replaced after the overwrite question, one more file.
    UseProduct();
    Temp("MYAPP.EXE", "version 2");
    Temp("EXTRA.DLL", "extra");
    script.FilesList.push_back("EXTRA.DLL~<INSTALLDIR>~");
    script.IniSetupList = {"EXISTING.INI~Main~Mode~newer"};
    platform.answers = {0};
    ASSERT_TRUE(Run());
    ASSERT_EQ(Journals().size(), 2u);
    EXPECT_EQ(platform.GetFile("C:\\Program Files\\MyApp\\MYAPP.EXE"), "version 2");

    // Rolling back the newest installation brings back the first one's files and values;
    // its journal stays.
    TUndo(platform, kRecord).UndoNewest();
    ASSERT_EQ(Journals().size(), 1u);
    Machine afterRollback = Snapshot(platform);
    Machine firstCompared = first;
    // The record's own sections are those of the later run (it erases them, as it always did).
    afterRollback.files.erase("C/Program Files/MyApp/uninstall.cfg");
    firstCompared.files.erase("C/Program Files/MyApp/uninstall.cfg");
    EXPECT_EQ(Differences(firstCompared, afterRollback), "");

    TUndo(platform, kRecord).UndoAll();
    EXPECT_EQ(Differences(original, Snapshot(platform)), "");
}

TEST_F(ProductTest, UndoingBothInstallationsAtOnceLeavesNothing) {
    UseMachine();
    UseProduct();
    const Machine original = Snapshot(platform);
    ASSERT_TRUE(Run());
    UseProduct();
    Temp("MYAPP.EXE", "version 2");
    platform.answers = {0};
    ASSERT_TRUE(Run());
    TUndo undo(platform, kRecord);
    undo.UndoAll();
    EXPECT_EQ(Differences(original, Snapshot(platform)), "");
    EXPECT_TRUE(undo.Kept().empty());
}

}  // namespace
}  // namespace zuv::uninstall
