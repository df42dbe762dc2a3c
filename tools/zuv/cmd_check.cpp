// `zuv check DIR`: loads install.cfg with the setup program's own loader, reads the set beside
// it and says, line by line, what the setup will do wrong on the user's machine.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "archive/segment.h"
#include "check.h"
#include "commands.h"
#include "entry_walker.h"
#include "common/ini_reader.h"
#include "common/routines.h"
#include "shell/main_setup.h"

namespace zuv::tool {

namespace {

namespace fs = std::filesystem;
using common::Upper;

const char* const kScript = "install.cfg";
const char* const kMain = "Setup - Main";

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// Where each section and key stands in install.cfg. The loader gives values, not lines, so
// the file is scanned here as the reader reads it: "[name]" opens a section, "key=value" is
// an entry, ";" starts a comment; the first of two equal names is the one read.
class ScriptLines {
public:
    struct Line {
        int number;
        std::string section;  // as written
        std::string key;      // as written; empty for a section header
        std::string value;
        bool noEquals;  // a line of text without "=", which the reader passes over
    };

    explicit ScriptLines(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string text, section;
        int number = 0;
        while (std::getline(in, text)) {
            ++number;
            std::string line = Trim(text);
            if (line.empty() || line[0] == ';') continue;
            if (line[0] == '[') {
                size_t close = line.find(']');
                if (close == std::string::npos) continue;
                section = Trim(line.substr(1, close - 1));
                lines_.push_back({number, section, "", "", false});
                continue;
            }
            size_t equals = line.find('=');
            if (equals == std::string::npos) {
                lines_.push_back({number, section, "", "", true});
                continue;
            }
            lines_.push_back({number, section, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), false});
        }
    }

    // The line of the section's header, 0 when the section is not there.
    int Section(const std::string& section) const {
        for (const auto& l : lines_)
            if (l.key.empty() && !l.noEquals && Upper(l.section) == Upper(section)) return l.number;
        return 0;
    }
    // The line of the first entry `key` in `section`, else the section's line.
    int Key(const std::string& section, const std::string& key) const {
        for (const auto& l : lines_)
            if (!l.key.empty() && Upper(l.section) == Upper(section) && Upper(l.key) == Upper(key)) return l.number;
        return Section(section);
    }
    const std::vector<Line>& lines() const { return lines_; }

private:
    std::vector<Line> lines_;
};

// The loader's needs that a check does not show: the background and the wizard's choice.
class NoBackground : public shell::BackgroundView {
public:
    void SetSetupHeader(const shell::TitleLine&) override {}
    void SetSetupHeader2(const shell::TitleLine&) override {}
    void SetGradientColors(shell::Color, shell::Color) override {}
    void SetColor(shell::Color) override {}
    void SetTimer1Enabled(bool) override {}
    void Close() override {}
};
class NoWizard : public shell::WizardChoice {
public:
    void SetChoiceVisible(shell::EndChoice, bool) override {}
    void SetChoiceEnabled(shell::EndChoice, bool) override {}
    void SetChoiceChecked(shell::EndChoice, bool) override {}
    bool ChoiceChecked(shell::EndChoice) override { return false; }
    void nextClick() override {}
};
class NoStages : public shell::Stages {
public:
    void RunPreparation() override {}
    void RunWizard() override {}
};

// The name of the file `name` in `dir`, matched without regard to case as the setup opens it;
// "" when there is none.
std::string FindInFolder(const std::string& dir, const std::string& name) {
    std::error_code ec;
    if (fs::is_regular_file(fs::path(dir) / name, ec)) return name;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (Upper(it->path().filename().string()) == Upper(name) && it->is_regular_file(ec))
            return it->path().filename().string();
    return "";
}

// A directory tag at the start of `text`: up to and including the first ">", upper-cased;
// "" when the text does not start with one.
std::string LeadingTag(const std::string& text) {
    if (text.empty() || text[0] != '<') return "";
    size_t close = text.find('>');
    return close == std::string::npos ? "" : Upper(text.substr(0, close + 1));
}

// "the value \"Version\"", or "the default value" for an empty name.
std::string ValueName(const std::string& name) {
    return name.empty() ? std::string("the default value") : "the value \"" + name + "\"";
}

// "1 segment", "3 segments".
std::string Count(long n, const std::string& what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

size_t FieldCount(const std::string& entry) { return size_t(std::count(entry.begin(), entry.end(), '~')) + 1; }

// The fields of an entry as the engine splits them: asking past the last field repeats it.
std::vector<std::string> Fields(std::string entry, size_t count) {
    std::vector<std::string> fields;
    for (size_t i = 0; i < count; ++i) fields.push_back(common::SplitAtChar(entry, '~'));
    return fields;
}

struct SetContents {
    bool present = false;      // disk.001 is there
    bool sound = false;        // read to its end and every entry tested
    std::string failure;       // why not
    std::string firstSegment;  // its file name as found
    int segmentsRead = 0;
    std::vector<std::string> segmentFiles;       // every base.NNN in the folder
    std::map<std::string, std::string> names;    // upper bare name -> stored name
    std::vector<std::string> duplicates;         // "a\x.txt and b\x.txt"
};

SetContents ReadSet(platform::Platform& platform, const std::string& dir, int32_t key) {
    SetContents set;
    set.firstSegment = FindInFolder(dir, "disk.001");
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::string upper = Upper(name);
        if (upper.size() >= 8 && upper.compare(0, 5, "DISK.") == 0 &&
            upper.find_first_not_of("0123456789", 5) == std::string::npos)
            set.segmentFiles.push_back(name);
    }
    std::sort(set.segmentFiles.begin(), set.segmentFiles.end(),
              [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    if (set.firstSegment.empty()) return set;
    set.present = true;
    Source source;
    std::string error;
    if (!ResolveSource((fs::path(dir) / set.firstSegment).string(), source, error)) {
        set.failure = error;
        return set;
    }
    SegmentPrompter prompts(platform, source.dir, false);
    std::string tempDir;
    try {
        tempDir = MakeTempDir();
        archive::TSegCompEZ reader(platform);
        reader.SetSegBaseName(source.base);
        reader.SetSegDir(source.dir);
        reader.SetSegTmpDir(tempDir);
        reader.SetSegPopUp(false);
        reader.OnSegPrompt = [&prompts](archive::TSegPrompt& prompt) { prompts.Answer(prompt); };
        reader.SetKey(key);
        reader.SetExceptionOnFileError(true);
        reader.OnSegBefore = [&](archive::TSegMode, const std::string&, uint16_t number) {
            set.segmentsRead = std::max<int>(set.segmentsRead, number);
        };
        reader.OnSegBeforeExpand = [&](archive::TSegArcList& archives) {
            for (const auto& arc : archives)
                for (const auto& file : arc.Files) {
                    std::string bare = Upper(common::NamePart(file));
                    auto known = set.names.find(bare);
                    if (known != set.names.end())
                        set.duplicates.push_back(known->second + " and " + file);
                    else
                        set.names[bare] = file;
                }
        };
        reader.OnCheckFile = [](std::string& target, archive::TCProcessMode) { target.clear(); };
        reader.OnSegAfterArchive = [&](archive::TSegArcHeader header, const std::string& templ) {
            // Every entry is tested; the first damaged one is named.
            class Discard : public common::Stream {
            public:
                uint32_t Read(void*, uint32_t) override { return 0; }
                uint32_t Write(const void*, uint32_t count) override { return count; }
                bool Seek(uint64_t) override { return true; }
                uint64_t Position() override { return 0; }
                uint64_t Size() override { return 0; }
            } discard;
            EntryWalker tester(platform);
            tester.SetKey(key);
            std::string damaged;
            tester.Walk(
                reader.TempArchivePath, false, [&](const EntryWalker::Entry&) { return &discard; },
                [&](const EntryWalker::Entry& entry, const EntryWalker::Failure* failure) {
                    if (failure && damaged.empty())
                        damaged = "entry \"" + entry.name + "\" of archive " +
                                  std::to_string(header.SequenceNumber() + 1) + ", " + templ + ", at offset " +
                                  std::to_string(entry.offset) + ": " + failure->what;
                });
            if (!damaged.empty()) throw std::runtime_error(damaged);
        };
        reader.ExpandSet();
        set.sound = true;
    } catch (const std::exception& e) {
        auto* aborted = dynamic_cast<const archive::ESegError*>(&e);
        if (aborted && aborted->Kind == archive::ekAborted && !prompts.refused().empty())
            set.failure = prompts.refused();
        else
            set.failure = e.what();
    }
    RemoveTree(tempDir);
    return set;
}

class Checker {
public:
    Checker(platform::Platform& platform, std::string dir, int32_t key)
        : platform_(platform), dir_(std::move(dir)), key_(key) {}

    CheckReport Run() {
        CheckFolderFiles();
        set_ = ReadSet(platform_, dir_, key_);
        CheckTheSet();
        if (!scriptName_.empty()) {
            LoadScript();
            CheckSections();
            CheckNumbers();
            CheckDirectories();
            CheckFiles("Files", script_.FilesList, true);
            CheckFiles("WorkStation", script_.WorkStationList, false);
            CheckUnused();
            CheckDesktop();
            CheckLaunch();
            CheckPicture();
            CheckIniEntries();
            CheckAutoexec();
        }
        return std::move(report_);
    }

private:
    platform::Platform& platform_;
    std::string dir_;
    int32_t key_;
    CheckReport report_;
    std::string scriptName_;
    std::unique_ptr<ScriptLines> lines_;
    common::IniFile ini_;
    shell::LoadedScript script_;
    SetContents set_;
    std::vector<std::string> tags_;  // the [Directories] tags, upper-cased, in script order

    void Add(bool error, const std::string& file, int line, const std::string& text) {
        report_.findings.push_back({error, file, line, text});
    }
    void Script(bool error, int line, const std::string& text) { Add(error, kScript, line, text); }
    // "[Files] Program: " for the i-th entry of a list section.
    std::string Entry(const std::string& section, const std::string& key) const {
        return "[" + section + "] " + key + ": ";
    }
    int KeyLine(const std::string& section, const std::string& key) const { return lines_->Key(section, key); }
    bool TagDefined(const std::string& tag) const { return std::find(tags_.begin(), tags_.end(), tag) != tags_.end(); }

    void CheckFolderFiles() {
        scriptName_ = FindInFolder(dir_, kScript);
        if (scriptName_.empty())
            Add(true, kScript, 0,
                "not in the folder: the setup runs with every default, shows \"ZUV - Tolvane 32Bit\" and "
                "installs nothing");
        if (FindInFolder(dir_, "install.exe").empty())
            Add(true, "install.exe", 0, "not in the folder: the user has no setup program to start");
    }

    void CheckTheSet() {
        if (!set_.present) {
            Add(true, "disk.001", 0,
                "not in the folder: the setup has no set to expand and stops with \"Error Expanding Files!!\"");
            return;
        }
        if (!set_.sound) {
            Add(true, set_.firstSegment, 0,
                "the set does not test sound (" + set_.failure +
                    "): the setup stops with \"Error Expanding Files!!\" and installs nothing");
            return;
        }
        for (size_t i = size_t(set_.segmentsRead); i < set_.segmentFiles.size(); ++i)
            Add(false, set_.segmentFiles[i], 0,
                "not part of the set, which ends at segment " + std::to_string(set_.segmentsRead) +
                    ": the setup never reads it (left over from another set?)");
        for (const auto& pair : set_.duplicates)
            Add(false, set_.firstSegment, 0,
                "the set holds " + pair +
                    ": the setup expands every file under its bare name, so the second replaces the first");
    }

    void LoadScript() {
        std::string path = (fs::path(dir_) / scriptName_).string();
        lines_ = std::make_unique<ScriptLines>(path);
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ini_ = common::IniFile(text);
        NoBackground background;
        NoWizard wizard;
        NoStages stages;
        shell::TMainSetup setup(platform_, background, wizard, stages);
        setup.State().SourceDir = common::WithBackslash(dir_);
        setup.LoadScript();
        script_ = setup.Script();
        for (std::string entry : script_.DirectoriesList) tags_.push_back(Upper(common::SplitAtChar(entry, '~')));
    }

    void CheckSections() {
        static const char* const known[] = {"Setup - Main", "Directories", "Files", "Files - OverWrite",
                                            "Desktop",      "INI - Setup", "WorkStation", "AUTOEXEC.BAT"};
        static const char* const mainKeys[] = {
            "Install Disks",      "Install Dir",        "Launch",           "Folder",
            "Add to Program Files", "Show Warning Screen", "Show Re-Boot",   "Work Station Prompt",
            "Bitmap File",        "Align Center",       "Align Left",       "Align Right",
            "Dither From",        "Dither To",          "Header",           "Header Font Name",
            "Header Font Size",   "Header Font Color",  "Header Font Shadow", "Header2",
            "Header2 Font Name",  "Header2 Font Size",  "Header2 Font Color", "Header2 Font Shadow"};
        std::set<std::string> seen;
        for (const auto& l : lines_->lines()) {
            std::string section = Upper(l.section);
            bool isKnown = std::any_of(std::begin(known), std::end(known),
                                       [&](const char* k) { return Upper(k) == section; });
            if (l.noEquals) {
                if (!l.section.empty())
                    Script(false, l.number,
                           "[" + l.section + "]: a line without \"=\" is no entry: the setup ignores it" +
                               (section == "AUTOEXEC.BAT" ? " (write a line to add as LINE=)" : ""));
                continue;
            }
            if (l.key.empty()) {
                if (!isKnown)
                    Script(false, l.number, "[" + l.section + "]: unknown section: the setup ignores it");
                continue;
            }
            if (l.section.empty()) {
                Script(false, l.number, l.key + ": outside any section: the setup ignores it");
                continue;
            }
            if (l.value.size() >= common::IniFile::kValueBuffer)
                Script(false, l.number,
                       Entry(l.section, l.key) + "the value is " + std::to_string(l.value.size()) +
                           " characters long: the setup reads only its first 1023");
            if (section == Upper(kMain)) {
                bool keyKnown = std::any_of(std::begin(mainKeys), std::end(mainKeys),
                                            [&](const char* k) { return Upper(k) == Upper(l.key); });
                if (!keyKnown)
                    Script(false, l.number, Entry(kMain, l.key) + "unknown key: the setup ignores it");
            }
            // A list section reads the first of two equal names twice.
            if (isKnown && section != Upper(kMain) && section != "FILES - OVERWRITE" && section != "AUTOEXEC.BAT") {
                std::string id = section + "\n" + Upper(l.key);
                if (!seen.insert(id).second)
                    Script(true, l.number,
                           Entry(l.section, l.key) + "a second entry of this name: the setup reads the first " +
                               l.key + " entry's value in its place");
            }
        }
    }

    // A number the reader cannot parse gives the default, without a word.
    void CheckNumbers() {
        struct Number {
            const char* key;
            const char* meaning;  // what the default means
        };
        static const Number numbers[] = {
            {"Install Disks", "0"},
            {"Add to Program Files", "0 (not below Program Files)"},
            {"Show Warning Screen", "1 (shown)"},
            {"Show Re-Boot", "1 (offered and preset)"},
            {"Work Station Prompt", "0 (no install-type page)"},
            {"Align Center", "0"},
            {"Align Left", "1"},
            {"Align Right", "0"},
            {"Dither From", "blue (16711680)"},
            {"Dither To", "black (0)"},
            {"Header Font Size", "26"},
            {"Header Font Color", "black (0)"},
            {"Header Font Shadow", "white (16777215)"},
            {"Header2 Font Size", "10"},
            {"Header2 Font Color", "black (0)"},
            {"Header2 Font Shadow", "white (16777215)"},
        };
        int32_t value = 0;
        for (const auto& n : numbers) {
            if (!ini_.HasKey(kMain, n.key)) continue;
            std::string text = ini_.ReadString(kMain, n.key, "");
            if (!common::ParseInteger(text, value))
                Script(true, KeyLine(kMain, n.key),
                       Entry(kMain, n.key) + "\"" + text + "\" is not a number: the setup uses the default, " +
                           n.meaning);
        }
        const std::vector<std::string> files = ini_.ReadSection("Files");
        for (const auto& key : ini_.ReadSection("Files - OverWrite")) {
            std::string upper = Upper(key);
            std::string number = upper.compare(0, 6, "FILE #") == 0 ? upper.substr(6) : "";
            int32_t index = -1;
            bool isIndex = !number.empty() && number.find_first_not_of("0123456789") == std::string::npos &&
                           (number == "0" || number[0] != '0') && common::ParseInteger(number, index);
            if (!isIndex) {
                Script(false, KeyLine("Files - OverWrite", key),
                       Entry("Files - OverWrite", key) +
                           "not a \"File #n\" key: the setup ignores it (File #0 is the first [Files] entry)");
                continue;
            }
            std::string text = ini_.ReadString("Files - OverWrite", key, "");
            if (!common::ParseInteger(text, value))
                Script(true, KeyLine("Files - OverWrite", key),
                       Entry("Files - OverWrite", key) + "\"" + text +
                           "\" is not a number: the file is overwritten without asking");
            if (size_t(index) >= files.size())
                Script(false, KeyLine("Files - OverWrite", key),
                       Entry("Files - OverWrite", key) + "there is no [Files] entry number " + number +
                           " (File #0 is the first of " + std::to_string(files.size()) + "): the setup ignores it");
        }
        if (ini_.HasKey(kMain, "Install Disks") && set_.sound && common::ParseInteger(ini_.ReadString(kMain, "Install Disks", ""), value) &&
            value != set_.segmentsRead)
            Script(false, KeyLine(kMain, "Install Disks"),
                   Entry(kMain, "Install Disks") + "the set has " + Count(set_.segmentsRead, "segment") + ", not " +
                       std::to_string(value) + ": the setup asks for " + Count(set_.segmentsRead, "disk") +
                       " whatever this says");
    }

    void CheckDirectories() {
        const auto keys = ini_.ReadSection("Directories");
        bool installDir = false;
        for (size_t i = 0; i < script_.DirectoriesList.size(); ++i) {
            std::string key = i < keys.size() ? keys[i] : "";
            std::string entry = script_.DirectoriesList[i];
            std::string tag = Upper(common::SplitAtChar(entry, '~'));
            if (tag == "<INSTALLDIR>") installDir = true;
            if (tag.empty() || tag.front() != '<' || tag.back() != '>')
                Script(true, KeyLine("Directories", key),
                       Entry("Directories", key) + "\"" + tag +
                           "\" is not a directory tag (tag~path, as <SUB1>~docs): no entry can name this folder");
        }
        if (!installDir)
            Script(true, lines_->Section("Directories"),
                   "[Directories]: no <INSTALLDIR> entry: the setup has no destination folder and refuses to "
                   "install");
    }

    // The files that an entry of [Files] or [WorkStation] installs under `tag`, upper-cased bare names.
    std::set<std::string> InstalledUnder(const std::string& tag) const {
        std::set<std::string> names;
        for (const auto* list : {&script_.FilesList, &script_.WorkStationList})
            for (std::string entry : *list) {
                std::string name = Upper(common::NamePart(common::SplitAtChar(entry, '~')));
                if (Upper(common::SplitAtChar(entry, '~')) == tag) names.insert(name);
            }
        if (tag == "<INSTALLDIR>") {
            // The engine copies the setup program and its script into the install folder.
            names.insert("INSTALL.EXE");
            names.insert("INSTALL.CFG");
            names.insert("UNINSTALL.CFG");
        }
        return names;
    }

    void CheckFiles(const std::string& section, const std::vector<std::string>& list, bool marked) {
        const auto keys = ini_.ReadSection(section);
        if (!list.empty() && section == "WorkStation" && !script_.WorkStationPrompt)
            Script(false, lines_->Section(section),
                   "[WorkStation]: Work Station Prompt is 0, so the user is never offered the workstation "
                   "install and these entries are never used");
        for (size_t i = 0; i < list.size(); ++i) {
            std::string key = i < keys.size() ? keys[i] : "";
            std::string entry = list[i];
            if (marked && !entry.empty()) entry.erase(entry.rfind('~'));  // the loader's overwrite mark
            const int line = KeyLine(section, key);
            std::string rest = entry;
            std::string name = common::NamePart(common::SplitAtChar(rest, '~'));
            bool hasTag = entry.find('~') != std::string::npos;
            std::string tag = Upper(common::SplitAtChar(rest, '~'));
            if (name.empty()) {
                Script(true, line, Entry(section, key) + "names no file (name~<TAG>)");
                continue;
            }
            if (!hasTag || tag.empty())
                Script(true, line,
                       Entry(section, key) + "no directory tag after the file name (" + name + "~<INSTALLDIR>): " +
                           name + " is not installed");
            else if (!TagDefined(tag))
                Script(true, line,
                       Entry(section, key) + "the tag " + tag + " names no [Directories] entry: " + name +
                           " is not installed");
            if (set_.sound && !set_.names.count(Upper(name)))
                Script(true, line,
                       Entry(section, key) + name + " is not in the set: the setup skips it without a word and " +
                           "the file is missing on the user's machine");
        }
    }

    // A file of the set that no entry installs is expanded and thrown away.
    void CheckUnused() {
        if (!set_.sound) return;
        std::set<std::string> used;
        for (const auto* list : {&script_.FilesList, &script_.WorkStationList})
            for (std::string entry : *list) used.insert(Upper(common::NamePart(common::SplitAtChar(entry, '~'))));
        if (!script_.BitmapFile.empty()) used.insert(Upper(common::NamePart(script_.BitmapFile)));
        used.insert("LICENSE.TXT");
        for (const auto& [upper, stored] : set_.names)
            if (!used.count(upper))
                Script(false, lines_->Section("Files"),
                       "[Files]: the set holds " + stored +
                           ", which no entry installs: it is expanded and left out of the installation");
        if (!set_.names.count("LICENSE.TXT"))
            Add(false, set_.firstSegment, 0, "the set holds no license.txt: the wizard shows no licence page");
    }

    // Whether the file `path` (below the tag's folder) is installed under `tag`.
    bool Installed(const std::string& tag, const std::string& path) const {
        std::set<std::string> names = InstalledUnder(tag);
        if (names.count(Upper(path))) return true;
        // A path with a folder part may reach a file installed by a subfolder's tag; that is
        // not followed here.
        return path.find_first_of("\\/") != std::string::npos;
    }

    void CheckDesktop() {
        const auto keys = ini_.ReadSection("Desktop");
        for (size_t i = 0; i < script_.DesktopList.size(); ++i) {
            std::string key = i < keys.size() ? keys[i] : "";
            const std::string& entry = script_.DesktopList[i];
            const int line = KeyLine("Desktop", key);
            size_t count = FieldCount(entry);
            if (count < 5 || count > 6) {
                Script(true, line,
                       Entry("Desktop", key) + "has " + std::to_string(count) +
                           " fields; a shortcut has six (caption~<TAG>target~D~S~<TAG>icon~folder): " +
                           (count < 5 ? "the missing ones repeat the last, so the shortcut goes wrong"
                                      : "the folder field takes in the rest, \"~\" included"));
                continue;
            }
            if (count == 5)
                Script(false, line,
                       Entry("Desktop", key) +
                           "has five fields: the fifth is both the icon and the program folder's name");
            auto f = Fields(entry, 6);
            const std::string& caption = f[0];
            std::string tag = LeadingTag(f[1]);
            std::string target = tag.empty() ? f[1] : f[1].substr(tag.size());
            if (tag.empty()) {
                Script(true, line,
                       Entry("Desktop", key) + "the target \"" + f[1] +
                           "\" has no directory tag (<INSTALLDIR>app.exe): no shortcut " + caption + " is made");
                continue;
            }
            if (!TagDefined(tag)) {
                Script(true, line,
                       Entry("Desktop", key) + "the tag " + tag + " names no [Directories] entry: no shortcut " +
                           caption + " is made");
                continue;
            }
            if (!Installed(tag, target))
                Script(true, line,
                       Entry("Desktop", key) + "the target " + target + " is not installed in " + tag +
                           ": the shortcut " + caption + " points to nothing");
            for (int mark : {2, 3})
                if (!f[size_t(mark)].empty() && f[size_t(mark)] != "X")
                    Script(false, line,
                           Entry("Desktop", key) + "the " + (mark == 2 ? "desktop" : "start-menu") + " mark is \"" +
                               f[size_t(mark)] + "\": only X offers the shortcut there");
            std::string iconTag = LeadingTag(f[4]);
            std::string icon = f[4].find('>') == std::string::npos ? f[4] : f[4].substr(f[4].find('>') + 1);
            if (!iconTag.empty() && iconTag != tag)
                Script(false, line,
                       Entry("Desktop", key) + "the icon is looked for in the target's folder " + tag + ", not in " +
                           iconTag);
            else if (count == 6 && !icon.empty() && !Installed(tag, icon))
                Script(false, line,
                       Entry("Desktop", key) + "the icon " + icon + " is not installed in " + tag +
                           ": the shortcut shows a blank icon");
        }
    }

    void CheckLaunch() {
        const std::string& launch = script_.LaunchProgram;
        if (launch.empty()) return;
        const int line = KeyLine(kMain, "Launch");
        std::string tag = LeadingTag(launch);
        std::string what = Entry(kMain, "Launch");
        if (tag.empty())
            Script(true, line,
                   what + "\"" + launch +
                       "\" has no directory tag (<INSTALLDIR>app.exe): the setup cannot find the program it starts");
        else if (!TagDefined(tag))
            Script(true, line,
                   what + "the tag " + tag + " names no [Directories] entry: the setup cannot find the program it starts");
        else if (!Installed(tag, launch.substr(tag.size())))
            Script(true, line,
                   what + launch.substr(tag.size()) + " is not installed in " + tag +
                       ": starting it at the end of the setup fails");
    }

    void CheckPicture() {
        if (script_.BitmapFile.empty() || !set_.sound) return;
        if (!set_.names.count(Upper(common::NamePart(script_.BitmapFile))))
            Script(true, KeyLine(kMain, "Bitmap File"),
                   Entry(kMain, "Bitmap File") + script_.BitmapFile +
                       " is not in the set: the background shows no picture");
    }

    void CheckIniEntries() {
        const auto keys = ini_.ReadSection("INI - Setup");
        for (size_t i = 0; i < script_.IniSetupList.size(); ++i) {
            std::string key = i < keys.size() ? keys[i] : "";
            const std::string& entry = script_.IniSetupList[i];
            const int line = KeyLine("INI - Setup", key);
            const std::string what = Entry("INI - Setup", key);
            if (FieldCount(entry) < 4) {
                Script(true, line,
                       what + "has " + std::to_string(FieldCount(entry)) +
                           " fields; an entry has four (target~section~key~value): the missing ones repeat the last");
                continue;
            }
            auto f = Fields(entry, 4);
            std::string target = f[0];
            bool isIni = Upper(target).find(".INI") != std::string::npos;
            std::string tag = LeadingTag(target);
            if (!tag.empty() && !TagDefined(tag))
                Script(true, line,
                       what + "the tag " + tag + " names no [Directories] entry: " +
                           (isIni ? "the setup cannot write the file \"" + target + "\" and stops the installation there"
                                  : "the key path keeps \"" + tag + "\" as text"));
            std::string valueTag = LeadingTag(f[3]);
            if (!valueTag.empty() && !TagDefined(valueTag))
                Script(false, line,
                       what + "the value begins with " + valueTag +
                           ", which names no [Directories] entry: it is written as it stands");
            if (isIni) continue;
            if (target.empty()) {
                Script(true, line, what + "no registry key: the value is written into HKEY_CURRENT_USER itself");
                continue;
            }
            std::string upper = Upper(target);
            std::string section = f[1];
            if (!section.empty() && section.back() == '\\') section.pop_back();
            if (target.back() != '\\' && (section.empty() || section[0] != '\\')) section = "\\" + section;
            if (upper.compare(0, 5, "HKEY_") == 0) {
                size_t slash = target.find('\\');
                std::string root = Upper(target.substr(0, slash));
                std::string rest = slash == std::string::npos ? "" : target.substr(slash + 1);
                if (upper.find("HKEY_LOCAL_MACHINE") == std::string::npos && root != "HKEY_CURRENT_USER")
                    Script(false, line,
                           what + "only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are honoured: " + ValueName(f[2]) +
                               " is written under HKEY_CURRENT_USER\\" + rest + section + ", not under " + root);
            } else if (upper.compare(0, 2, "HK") == 0) {
                Script(false, line,
                       what + "\"" + target.substr(0, target.find('\\')) +
                           "\" is not a root name (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER): the value is written "
                           "under HKEY_CURRENT_USER\\" + target + section);
            }
        }
    }

    void CheckAutoexec() {
        for (const auto& l : lines_->lines()) {
            if (l.key.empty() || Upper(l.section) != "AUTOEXEC.BAT") continue;
            const std::string what = Entry("AUTOEXEC.BAT", l.key);
            if (!l.value.empty())
                Script(false, l.number,
                       what + "the text after \"=\" is dropped: the line added is \"" + Upper(l.key) + "\"");
            std::string upper = Upper(l.key);
            // What the engine replaces: <ROOT> and every directory tag.
            for (const std::string& tag : tags_) {
                if (tag.empty()) continue;
                for (size_t at; (at = upper.find(tag)) != std::string::npos;) upper.erase(at, tag.size());
            }
            for (size_t at; (at = upper.find("<ROOT>")) != std::string::npos;) upper.erase(at, 6);
            size_t open = upper.find('<');
            size_t close = open == std::string::npos ? open : upper.find('>', open);
            if (close != std::string::npos)
                Script(true, l.number,
                       what + "the tag " + upper.substr(open, close - open + 1) +
                           " names no [Directories] entry: the line is added to AUTOEXEC.BAT with the tag in it");
        }
    }
};

}  // namespace

int CheckReport::errors() const {
    return int(std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.error; }));
}
int CheckReport::warnings() const { return int(findings.size()) - errors(); }

CheckReport CheckFolder(platform::Platform& platform, const std::string& dir, int32_t key) {
    return Checker(platform, dir, key).Run();
}

void PrintReport(const CheckReport& report, std::FILE* out, bool quiet) {
    std::vector<Finding> sorted = report.findings;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Finding& a, const Finding& b) {
        if (a.error != b.error) return a.error;
        if (a.file != b.file) return a.file < b.file;
        return a.line < b.line;
    });
    for (const auto& f : sorted) {
        if (quiet && !f.error) continue;
        std::string where = f.file + (f.line > 0 ? ":" + std::to_string(f.line) : "");
        std::fprintf(out, "%s: %s: %s\n", where.c_str(), f.error ? "error" : "warning", f.text.c_str());
    }
    if (quiet) return;
    int errors = report.errors(), warnings = report.warnings();
    if (errors == 0 && warnings == 0)
        std::fprintf(out, "no problems found\n");
    else
        std::fprintf(out, "%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
                     warnings == 1 ? "" : "s");
}

int CheckCommand(const std::vector<std::string>& args) {
    std::string dir;
    int32_t key = 0;
    bool quiet = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--key") {
            if (i + 1 >= args.size() || !ParseKey(args[i + 1], key)) return UsageError("--key needs a number");
            ++i;
        } else if (a == "-q" || a == "--quiet") {
            quiet = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (dir.empty()) {
            dir = a;
        } else {
            return UsageError("more than one DIR given");
        }
    }
    if (dir.empty()) return UsageError("DIR is missing");
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return Fail("cannot check \"" + dir + "\": " +
                    (fs::exists(dir, ec) ? std::string("it is not a folder") : std::strerror(ENOENT)));
    auto platform = MakeToolPlatform();
    CheckReport report = CheckFolder(*platform, dir, key);
    PrintReport(report, stdout, quiet);
    return report.errors() > 0 ? kExitBadData : kExitOk;
}

}  // namespace zuv::tool
