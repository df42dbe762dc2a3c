#include "uninstall/undo.h"

#include <algorithm>

#include "common/routines.h"

namespace zuv::uninstall {

using common::Upper;

const char* const kKeptChanged = "changed since it was installed";
const char* const kKeptAdded = "added after the installation";
const char* const kKeptNotEmpty = "folder not empty";
const char* const kKeptKeyNotEmpty = "registry key not empty";
const char* const kKeptEarlier = "the version it replaced, kept beside it";
const char* const kKeptInUse = "could not be removed";
const char* const kKeptHeading = "These were kept:";

std::string DescribeKept(const std::vector<KeptItem>& kept) {
    std::string text = kKeptHeading;
    for (const KeptItem& k : kept) text += "\r" + k.item + " (" + k.reason + ")";
    return text;
}

namespace {

std::string ReadWhole(platform::Platform& platform, const std::string& path) {
    std::string text;
    auto file = platform.Open(path, platform::OpenMode::kReadShared);
    if (!file) return text;
    char buffer[65536];
    for (uint32_t n; (n = file->Read(buffer, sizeof buffer)) != 0;) text.append(buffer, n);
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// True when an INI file's section holds at least one line besides its header.
bool SectionHasLines(const std::string& text, const std::string& section) {
    bool inSection = false;
    for (const std::string& line : SplitLines(text)) {
        const std::string t = Trim(line);
        if (!t.empty() && t[0] == '[') {
            size_t close = t.find(']');
            inSection = close != std::string::npos && Upper(Trim(t.substr(1, close - 1))) == Upper(section);
            continue;
        }
        if (inSection && !t.empty()) return true;
    }
    return false;
}

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

bool SameFile(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

// The checksum recorded for `path` after entry `index`: the first "Sum" for it before the path
// is written again; "" when there is none.
std::string SumAfter(const std::vector<JournalEntry>& entries, size_t index, const std::string& path) {
    if (path.empty()) return {};
    for (size_t k = index + 1; k < entries.size(); ++k) {
        const JournalEntry& e = entries[k];
        if (!SameFile(e.Field(0), path)) continue;
        if (e.kind == "Sum") return e.Field(1);
        if (e.kind == "File" || e.kind == "Batch") break;
    }
    return {};
}

}  // namespace

TUndo::TUndo(platform::Platform& platform, std::string record) : platform_(platform), record_(std::move(record)) {}

int TUndo::EntryCount(bool newestOnly) {
    const auto journals = ReadJournals(platform_, record_);
    if (journals.empty()) return 0;
    if (newestOnly) return static_cast<int>(journals.rbegin()->second.size());
    int total = 0;
    for (const auto& [run, entries] : journals) total += static_cast<int>(entries.size());
    return total;
}

void TUndo::UndoAll() { Undo(false); }
void TUndo::UndoNewest() { Undo(true); }

void TUndo::Undo(bool newestOnly) {
    auto journals = ReadJournals(platform_, record_);
    std::vector<int> runs;
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        runs.push_back(it->first);
        if (newestOnly) break;
    }
    int total = 0, done = 0;
    for (int run : runs) total += static_cast<int>(journals[run].size());
    for (int run : runs) {
        const std::vector<JournalEntry>& entries = journals[run];
        for (size_t i = entries.size(); i-- > 0;) {
            // A file's checksum is the first "Sum" for its path after it, before the path is
            // written again.
            const JournalEntry& entry = entries[i];
            if ((entry.kind == "File" || entry.kind == "Batch") && !entry.Field(1).empty() &&
                SumAfter(entries, i, entry.Field(1)).empty()) {
                // The copy of the file it replaces was cut short: the file was never touched.
                platform_.DeleteFile(entry.Field(1));
            } else {
                UndoEntry(entry, SumAfter(entries, i, entry.Field(0)));
            }
            if (OnProgress) OnProgress(++done, total);
        }
        // Undone: a second run of the uninstaller (after a crash of this one) starts from the
        // journals still left.
        platform_.WriteProfileString(JournalSection(run), nullptr, nullptr, record_);
    }
    if (!newestOnly || ReadJournals(platform_, record_).empty()) {
        platform_.DeleteFile(record_);
        // The setup's own log copy lives and dies with the record.
        platform_.DeleteFile(common::DirPart(record_) + "Setup\\install.log");
        RemoveLeftDirectories();
    }
}

void TUndo::UndoEntry(const JournalEntry& entry, const std::string& sum) {
    if (entry.kind == "Dir") {
        for (size_t i = entry.fields.size(); i-- > 0;) UndoDir(entry.fields[i]);
    } else if (entry.kind == "File") {
        UndoFile(entry.Field(0), entry.Field(1), sum);
    } else if (entry.kind == "Ini") {
        UndoIni(entry);
    } else if (entry.kind == "Key") {
        UndoKey(entry);
    } else if (entry.kind == "Value") {
        UndoValue(entry);
    } else if (entry.kind == "Batch") {
        UndoBatch(entry.Field(0), entry.Field(1), entry.Field(2), sum);
    }
    // "Sum" entries are read with their file; unknown kinds (a later version's) are left alone.
}

void TUndo::Keep(const std::string& item, const char* reason) {
    if (!IsKept(item)) kept_.push_back({item, reason});
}

bool TUndo::IsKept(const std::string& item) const {
    return std::any_of(kept_.begin(), kept_.end(), [&](const KeptItem& k) { return SameFile(k.item, item); });
}

void TUndo::UndoDir(const std::string& path) {
    if (path.empty() || !common::DirectoryExists(platform_, path)) return;
    if (platform_.RemoveDirectory(path))
        ++counts_.folders;
    else
        leftDirs_.push_back(path);
}

void TUndo::UndoFile(const std::string& path, const std::string& backup, const std::string& sum) {
    if (path.empty()) return;
    const bool haveBackup = !backup.empty() && common::FileExists(platform_, backup);
    if (!common::FileExists(platform_, path)) {
        // Deleted since; the file it replaced is the user's and comes back.
        if (haveBackup && CopyFileTo(platform_, backup, path)) {
            platform_.DeleteFile(backup);
            ++counts_.filesRestored;
        }
        return;
    }
    if (!sum.empty()) {
        const std::string current = FileChecksum(platform_, path);
        if (current != sum) {
            if (haveBackup && current == FileChecksum(platform_, backup)) {
                // The installation stopped before the file was written: it is the user's own.
                platform_.DeleteFile(backup);
                return;
            }
            Keep(path, kKeptChanged);
            if (haveBackup) Keep(backup, kKeptEarlier);
            return;
        }
    }
    if (haveBackup) {
        if (CopyFileTo(platform_, backup, path)) {
            platform_.DeleteFile(backup);
            ++counts_.filesRestored;
        } else {
            Keep(path, kKeptInUse);
            Keep(backup, kKeptEarlier);
        }
        return;
    }
    if (platform_.DeleteFile(path))
        ++counts_.filesRemoved;
    else
        Keep(path, kKeptInUse);
}

void TUndo::UndoIni(const JournalEntry& e) {
    const std::string& file = e.Field(0);
    const std::string& section = e.Field(1);
    const std::string& key = e.Field(2);
    const bool had = e.Field(3) == "1";
    const std::string& previous = e.Field(4);
    const bool sectionExisted = e.Field(5) == "1";
    const bool fileExisted = e.Field(6) == "1";
    const std::string& written = e.Field(7);
    if (file.empty()) return;
    std::string current;
    const bool has = platform_.ReadProfileString(section, key, file, current);
    if (has && current != written && !(had && current == previous)) {
        Keep("[" + section + "] " + key + " in " + file, kKeptChanged);
        return;
    }
    if (had) {
        if (!has || current != previous) {
            platform_.WriteProfileString(section, &key, &previous, file);
            ++counts_.iniValues;
        }
    } else if (has) {
        platform_.WriteProfileString(section, &key, nullptr, file);
        ++counts_.iniValues;
    }
    if (!sectionExisted && platform_.ProfileSectionExists(section, file) &&
        !SectionHasLines(ReadWhole(platform_, file), section))
        platform_.WriteProfileString(section, nullptr, nullptr, file);
    if (!fileExisted && common::FileExists(platform_, file) && Blank(ReadWhole(platform_, file)))
        platform_.DeleteFile(file);
}

void TUndo::UndoKey(const JournalEntry& e) {
    platform::RegRoot root;
    const std::string& key = e.Field(1);
    if (!ParseRoot(e.Field(0), root) || key.empty() || !platform_.RegKeyExists(root, key)) return;
    if (platform_.RegDeleteEmptyKey(root, key))
        ++counts_.registryKeys;
    else
        Keep(e.Field(0) + "\\" + key, kKeptKeyNotEmpty);
}

void TUndo::UndoValue(const JournalEntry& e) {
    platform::RegRoot root;
    if (!ParseRoot(e.Field(0), root)) return;
    const std::string& key = e.Field(1);
    const std::string& name = e.Field(2);
    const bool had = e.Field(3) == "1";
    platform::RegData previous, written, current;
    previous.type = static_cast<uint32_t>(std::strtoul(e.Field(4).c_str(), nullptr, 10));
    previous.bytes = FromHex(e.Field(5));
    written.type = static_cast<uint32_t>(std::strtoul(e.Field(6).c_str(), nullptr, 10));
    written.bytes = FromHex(e.Field(7));
    const bool has = platform_.RegQueryValue(root, key, name, current);
    if (has && current != written && !(had && current == previous)) {
        Keep(e.Field(0) + "\\" + key + "\\" + name, kKeptChanged);
        return;
    }
    if (had) {
        if ((!has || current != previous) && platform_.RegKeyExists(root, key) &&
            platform_.RegSetValue(root, key, name, previous))
            ++counts_.registryValues;
    } else if (has && platform_.RegDeleteValue(root, key, name)) {
        ++counts_.registryValues;
    }
}

void TUndo::UndoBatch(const std::string& path, const std::string& backup, const std::string& lines,
                      const std::string& sum) {
    const bool haveBackup = !backup.empty() && common::FileExists(platform_, backup);
    if (!common::FileExists(platform_, path)) {
        if (haveBackup) platform_.DeleteFile(backup);
        return;
    }
    // Unchanged since the installation: the byte copy of the file before it comes back whole.
    if (haveBackup && (sum.empty() || FileChecksum(platform_, path) == sum)) {
        if (CopyFileTo(platform_, backup, path)) {
            platform_.DeleteFile(backup);
            ++counts_.batchBlocks;
            return;
        }
    }
    // Changed since: only the appended lines go, wherever they now stand; lines that others
    // added stay. The whole block is looked for last to first; failing that, each line.
    std::vector<std::string> block;
    size_t at = 0;
    for (;;) {
        size_t cr = lines.find('\r', at);
        block.push_back(lines.substr(at, cr == std::string::npos ? std::string::npos : cr - at));
        if (cr == std::string::npos) break;
        at = cr + 1;
    }
    std::vector<std::string> text = SplitLines(ReadWhole(platform_, path));
    bool changed = false;
    if (text.size() >= block.size()) {
        for (size_t start = text.size() - block.size() + 1; start-- > 0;) {
            if (std::equal(block.begin(), block.end(), text.begin() + static_cast<long>(start))) {
                text.erase(text.begin() + static_cast<long>(start),
                           text.begin() + static_cast<long>(start + block.size()));
                changed = true;
                break;
            }
        }
    }
    if (!changed) {
        for (const std::string& line : block) {
            auto found = std::find(text.rbegin(), text.rend(), line);
            if (found == text.rend()) continue;
            text.erase(std::next(found).base());
            changed = true;
        }
    }
    if (changed) {
        std::string out;
        for (const std::string& line : text) out += line + "\r\n";
        auto file = platform_.Open(path, platform::OpenMode::kCreate);
        if (file && file->Write(out.data(), static_cast<uint32_t>(out.size())) == out.size()) ++counts_.batchBlocks;
    }
    if (haveBackup) platform_.DeleteFile(backup);
}

void TUndo::RemoveLeftDirectories() {
    std::vector<std::string> left;
    for (const std::string& dir : leftDirs_) {
        if (!common::DirectoryExists(platform_, dir)) continue;
        if (platform_.RemoveDirectory(dir)) {
            ++counts_.folders;
            continue;
        }
        left.push_back(dir);
    }
    // An account of what keeps each folder: the files and folders in it that are not
    // already listed.
    for (const std::string& dir : left) {
        for (const platform::FindEntry& entry : platform_.FindFiles(dir + "\\*.*")) {
            if (entry.name == "." || entry.name == "..") continue;
            const std::string path = dir + "\\" + entry.name;
            if (IsKept(path)) continue;
            if (std::any_of(left.begin(), left.end(), [&](const std::string& d) { return SameFile(d, path); }))
                continue;
            Keep(path, kKeptAdded);
        }
        Keep(dir, kKeptNotEmpty);
    }
}

}  // namespace zuv::uninstall
