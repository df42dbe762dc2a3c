#include "uninstall/journal.h"

#include <algorithm>
#include <cstdlib>

#include "common/exception.h"
#include "common/routines.h"

namespace zuv::uninstall {

using common::Upper;

namespace {

const char* const kHex = "0123456789ABCDEF";

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%' || c == '|'; }

std::string Escape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        // The profile functions drop blanks and quotes at the end of a value.
        const bool last = i + 1 == field.size() && (c == ' ' || c == '\t' || c == '"' || c == '\'');
        if (NeedsEscape(c) || last) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size() && HexDigit(field[i + 1]) >= 0 && HexDigit(field[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(field[i + 1]) * 16 + HexDigit(field[i + 2]));
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string ReadWhole(platform::Platform& platform, const std::string& path) {
    std::string text;
    auto file = platform.Open(path, platform::OpenMode::kReadShared);
    if (!file) return text;
    char buffer[65536];
    for (;;) {
        uint32_t n = file->Read(buffer, sizeof buffer);
        if (n == 0) break;
        text.append(buffer, n);
    }
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && Upper(text.substr(0, prefix.size())) == Upper(prefix);
}

const char* const kSectionPrefix = "Journal ";

}  // namespace

std::string JournalSection(int run) { return kSectionPrefix + std::to_string(run); }

const std::string& JournalEntry::Field(size_t index) const {
    static const std::string kEmpty;
    return index < fields.size() ? fields[index] : kEmpty;
}

std::string EncodeEntry(const JournalEntry& entry) {
    std::string value = Escape(entry.kind);
    for (const std::string& field : entry.fields) value += "|" + Escape(field);
    return value;
}

JournalEntry DecodeEntry(const std::string& value) {
    JournalEntry entry;
    size_t start = 0;
    bool first = true;
    for (;;) {
        size_t bar = value.find('|', start);
        std::string part = Unescape(value.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (first)
            entry.kind = part;
        else
            entry.fields.push_back(part);
        first = false;
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return entry;
}

std::map<int, std::vector<JournalEntry>> ReadJournals(platform::Platform& platform, const std::string& record) {
    std::map<int, std::map<long, JournalEntry>> numbered;
    const std::string text = ReadWhole(platform, record);
    int run = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::string t = Trim(line);
        if (!t.empty() && t[0] == '[') {
            run = 0;
            size_t close = t.find(']');
            const std::string name = close == std::string::npos ? std::string() : Trim(t.substr(1, close - 1));
            if (StartsWithNoCase(name, kSectionPrefix)) {
                const std::string number = name.substr(std::string(kSectionPrefix).size());
                char* stop = nullptr;
                long n = std::strtol(number.c_str(), &stop, 10);
                if (!number.empty() && *stop == '\0' && n > 0 && n < 1000000) {
                    run = static_cast<int>(n);
                    numbered[run];
                }
            }
            continue;
        }
        if (run == 0) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, eq));
        char* stop = nullptr;
        long n = std::strtol(key.c_str(), &stop, 10);
        if (key.empty() || *stop != '\0' || n <= 0) continue;
        numbered[run][n] = DecodeEntry(Trim(line.substr(eq + 1)));
    }
    std::map<int, std::vector<JournalEntry>> journals;
    for (auto& [number, entries] : numbered) {
        std::vector<JournalEntry>& list = journals[number];
        for (auto& [key, entry] : entries) list.push_back(std::move(entry));
    }
    return journals;
}

std::string FileChecksum(platform::Platform& platform, const std::string& path) {
    auto file = platform.Open(path, platform::OpenMode::kReadShared);
    if (!file) return {};
    uint64_t hash = 14695981039346656037ull, size = 0;
    static thread_local uint8_t buffer[65536];
    for (;;) {
        uint32_t n = file->Read(buffer, sizeof buffer);
        if (n == 0) break;
        for (uint32_t i = 0; i < n; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
        size += n;
    }
    std::string text = std::to_string(size) + ":";
    for (int shift = 60; shift >= 0; shift -= 4) text += kHex[(hash >> shift) & 15];
    return text;
}

bool CopyFileTo(platform::Platform& platform, const std::string& source, const std::string& target) {
    auto in = platform.Open(source, platform::OpenMode::kReadShared);
    if (!in) return false;
    auto out = platform.Open(target, platform::OpenMode::kCreate);
    if (!out) return false;
    static thread_local uint8_t buffer[65536];
    for (;;) {
        uint32_t n = in->Read(buffer, sizeof buffer);
        if (n == 0) break;
        if (out->Write(buffer, n) != n) {
            out.reset();
            platform.DeleteFile(target);
            return false;
        }
    }
    return true;
}

std::string RootName(platform::RegRoot root) {
    switch (root) {
        case platform::RegRoot::kLocalMachine: return "HKLM";
        case platform::RegRoot::kCurrentUser: return "HKCU";
        case platform::RegRoot::kClassesRoot: return "HKCR";
        case platform::RegRoot::kUsers: return "HKU";
    }
    return "HKCU";
}

bool ParseRoot(const std::string& name, platform::RegRoot& root) {
    for (auto r : {platform::RegRoot::kLocalMachine, platform::RegRoot::kCurrentUser, platform::RegRoot::kClassesRoot,
                   platform::RegRoot::kUsers}) {
        if (RootName(r) == name) {
            root = r;
            return true;
        }
    }
    return false;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) break;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return bytes;
}

// ---- the writer -----------------------------------------------------------------------------

TJournal::TJournal(platform::Platform& platform) : platform_(platform) {}

void TJournal::Open(const std::string& record) {
    record_ = record;
    setupDir_ = common::DirPart(record) + "Setup";
    const auto journals = ReadJournals(platform_, record);
    run_ = journals.empty() ? 1 : journals.rbegin()->first + 1;
    // A section of that number that holds nothing readable is started afresh.
    platform_.WriteProfileString(JournalSection(run_), nullptr, nullptr, record_);
    next_ = 1;
    open_ = true;
    // The directories made before the record existed go in as one entry: one write, so the
    // journal never holds only some of them.
    if (!held_.empty()) {
        JournalEntry dirs{"Dir", {}};
        for (const JournalEntry& entry : held_) dirs.fields.push_back(entry.Field(0));
        held_.clear();
        Flush(dirs);
    }
}

void TJournal::Write(JournalEntry entry) {
    if (!open_) {
        held_.push_back(std::move(entry));
        return;
    }
    Flush(entry);
}

void TJournal::Flush(const JournalEntry& entry) {
    const std::string key = std::to_string(next_++);
    const std::string value = EncodeEntry(entry);
    if (!platform_.WriteProfileString(JournalSection(run_), &key, &value, record_))
        throw EJournalError(common::Format("Unable to write to %s", record_));
}

void TJournal::MakeDirPath(const std::string& path) {
    if (path.empty()) throw common::EInOutError("Unable to create directory");
    std::string dir = path;
    if (dir.back() == '\\') dir.pop_back();
    if (dir.size() <= 2 || common::DirectoryExists(platform_, dir)) return;
    size_t cut = dir.find_last_of('\\');
    if (cut != std::string::npos && cut > 0) MakeDirPath(dir.substr(0, cut));
    // A file of that name is no directory of ours to remove later.
    if (platform_.GetAttributes(dir) != platform::kInvalidAttributes) return;
    Write({"Dir", {dir}});
    platform_.CreateDirectory(dir);
}

std::string TJournal::CopyName(const std::string& path) {
    MakeDirPath(setupDir_);
    // Numbered by installation and copy, so a later installation never overwrites the copy
    // an earlier one keeps.
    std::string copy;
    do {
        copy = setupDir_ + "\\" + std::to_string(run_) + "-" + std::to_string(++saved_) + "-" +
               common::NamePart(path);
    } while (platform_.GetAttributes(copy) != platform::kInvalidAttributes);
    return copy;
}

void TJournal::SaveCopy(const std::string& path, const std::string& copy) {
    if (!CopyFileTo(platform_, path, copy)) throw EJournalError(common::Format("Cannot create file %s", copy));
    // Only a copy whose checksum is recorded is whole: without it the original was never
    // touched.
    Write({"Sum", {copy, FileChecksum(platform_, copy)}});
}

void TJournal::BeforeFile(const std::string& path) {
    const std::string full = platform_.FullPath(path);
    const bool replaces = common::FileExists(platform_, full);
    const std::string copy = replaces ? CopyName(full) : std::string();
    Write({"File", {full, copy}});
    if (replaces) SaveCopy(full, copy);
}

uint64_t TJournal::AfterFile(const std::string& path) {
    const std::string full = platform_.FullPath(path);
    const std::string sum = FileChecksum(platform_, full);
    if (sum.empty()) return 0;
    Write({"Sum", {full, sum}});
    return std::strtoull(sum.c_str(), nullptr, 10);
}

bool TJournal::WriteIni(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::string previous;
    const bool had = platform_.ReadProfileString(section, key, file, previous);
    const bool sectionExisted = platform_.ProfileSectionExists(section, file);
    const bool fileExisted = platform_.GetAttributes(file) != platform::kInvalidAttributes;
    Write({"Ini",
           {file, section, key, had ? "1" : "0", previous, sectionExisted ? "1" : "0", fileExisted ? "1" : "0",
            value}});
    return platform_.WriteProfileString(section, &key, &value, file);
}

bool TJournal::RegCreateKey(platform::RegRoot root, const std::string& subKey) {
    // Each missing key on the way, from the root down, so that undoing newest first removes
    // the deepest key first.
    for (size_t at = 0; at <= subKey.size();) {
        size_t slash = subKey.find('\\', at);
        if (slash == std::string::npos) slash = subKey.size();
        const std::string part = subKey.substr(0, slash);
        if (!part.empty() && part.back() != '\\' && !platform_.RegKeyExists(root, part))
            Write({"Key", {RootName(root), part}});
        at = slash + 1;
    }
    return platform_.RegCreateKey(root, subKey);
}

bool TJournal::RegSetValue(platform::RegRoot root, const std::string& subKey, const std::string& name,
                           const platform::RegData& data) {
    platform::RegData previous;
    const bool had = platform_.RegQueryValue(root, subKey, name, previous);
    Write({"Value",
           {RootName(root), subKey, name, had ? "1" : "0", had ? std::to_string(previous.type) : "",
            had ? ToHex(previous.bytes) : "", std::to_string(data.type), ToHex(data.bytes)}});
    return platform_.RegSetValue(root, subKey, name, data);
}

bool TJournal::RegSetString(platform::RegRoot root, const std::string& subKey, const std::string& name,
                            const std::string& value) {
    platform::RegData data;
    data.type = platform::kRegSz;
    data.bytes.assign(value.begin(), value.end());
    data.bytes.push_back(0);
    return RegSetValue(root, subKey, name, data);
}

bool TJournal::RegSetDword(platform::RegRoot root, const std::string& subKey, const std::string& name,
                           uint32_t value) {
    platform::RegData data;
    data.type = platform::kRegDword;
    for (int i = 0; i < 4; ++i) data.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return RegSetValue(root, subKey, name, data);
}

void TJournal::BeforeBatch(const std::string& path, const std::vector<std::string>& block) {
    const std::string full = platform_.FullPath(path);
    const bool exists = common::FileExists(platform_, full);
    const std::string copy = exists ? CopyName(full) : std::string();
    std::string lines;
    for (size_t i = 0; i < block.size(); ++i) lines += (i ? "\r" : "") + block[i];
    Write({"Batch", {full, copy, lines}});
    if (exists) SaveCopy(full, copy);
}

}  // namespace zuv::uninstall
