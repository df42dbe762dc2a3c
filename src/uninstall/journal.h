// The install journal: what the install engine changed on the machine, written into the
// uninstall record (uninstall.cfg) one entry at a time as each change happens, so that the
// uninstaller and the rollback of a failed installation can undo it exactly.
//
// Each installation into a directory adds a section "Journal <n>" (n = 1, 2, ... in the order
// of the installations); its keys are the entry numbers 1, 2, ... in the order of the changes,
// each written before the change it describes (a change cut short by a crash is therefore
// always recorded). The record's other sections ("Program", "UNINS", "Folders", "Registry")
// are left as the engine writes them. An entry's value is a kind and its fields, separated by
// "|"; a field escapes "%", "|", control characters and a trailing blank or quote as "%XX",
// so that the profile functions keep it byte for byte.
//
//   Dir|<path>[|<path>...]              directories the installation created, outermost first
//   File|<path>|<backup>                a file about to be written; <backup> is the copy of
//                                       the file it replaced (empty: there was none)
//   Sum|<path>|<checksum>               the file's content once written (also the saved copy's:
//                                       a copy without one was cut short, and its original
//                                       was never touched)
//   Ini|<file>|<section>|<key>|<had>|<previous>|<section existed>|<file existed>|<new>
//   Key|<root>|<key path>               a registry key the installation created
//   Value|<root>|<key path>|<name>|<had>|<previous type>|<previous data>|<new type>|<new data>
//   Batch|<file>|<backup>|<lines>       the lines appended to AUTOEXEC.BAT (joined by CR) and
//                                       the byte copy of the file before the change
//
// Flags are "1" or "0"; registry data is written in hexadecimal; roots are HKLM, HKCU, HKCR
// and HKU.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/exception.h"
#include "platform/platform.h"

namespace zuv::uninstall {

// The journal could not be kept (the record cannot be written, or a file about to be
// replaced cannot be saved first): the installation must not go on unrecorded.
class EJournalError : public common::EInOutError {
public:
    using common::EInOutError::EInOutError;
};

// The section name of the journal of installation `run`.
std::string JournalSection(int run);

// One entry: its kind ("Dir", "File", ...) and its fields.
struct JournalEntry {
    std::string kind;
    std::vector<std::string> fields;
    // The field at `index`, or "" when the entry is shorter (a line cut short).
    const std::string& Field(size_t index) const;
};

std::string EncodeEntry(const JournalEntry& entry);
JournalEntry DecodeEntry(const std::string& value);

// Every journal of a record, by installation number, each in entry order. A missing or
// unreadable record has none. The file is read whole (no profile-function limits).
std::map<int, std::vector<JournalEntry>> ReadJournals(platform::Platform& platform, const std::string& record);

// The content checksum of a file as the journal writes it ("<size>:<64-bit FNV-1a in hex>");
// "" when the file cannot be read.
std::string FileChecksum(platform::Platform& platform, const std::string& path);

// Copies `source` byte for byte onto exactly the path `target` (replacing it). False when
// either cannot be opened or not every byte was written (the partial target is deleted).
bool CopyFileTo(platform::Platform& platform, const std::string& source, const std::string& target);

std::string RootName(platform::RegRoot root);
bool ParseRoot(const std::string& name, platform::RegRoot& root);
std::string ToHex(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> FromHex(const std::string& text);

// The writer the install engine makes its changes through. Every change is first recorded
// (and on disk), then made. Before Open() the record does not exist yet: the directories made
// until then are held and written when it opens.
class TJournal {
public:
    explicit TJournal(platform::Platform& platform);

    // Starts this installation's journal in `record` (the engine's uninstall.cfg), numbered one
    // past the highest journal already there. Replaced files are saved into the "Setup" folder
    // beside the record. Throws EJournalError "Unable to write to <record>" (as does every
    // change below when its entry cannot be written).
    void Open(const std::string& record);
    bool IsOpen() const { return open_; }
    int Run() const { return run_; }
    const std::string& Record() const { return record_; }

    // CreateDirPath with every directory it makes journaled (same rules: an empty path raises
    // "Unable to create directory", a failure to create is not reported).
    void MakeDirPath(const std::string& path);
    // Before a file is written at `path`: an existing file is first copied into the Setup
    // folder, then the entry is recorded. After the write: its checksum is recorded and its
    // size counted. A copy that cannot be saved throws EJournalError "Cannot create file <copy>".
    // AfterFile returns the file's size (0 when it cannot be read).
    void BeforeFile(const std::string& path);
    uint64_t AfterFile(const std::string& path);
    // WritePrivateProfileStringA of one value, with what it replaces recorded; false when
    // the write failed.
    bool WriteIni(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);
    // RegCreateKeyExA with every key it creates recorded.
    bool RegCreateKey(platform::RegRoot root, const std::string& subKey);
    // Sets one value with its previous data (or its absence) recorded.
    bool RegSetValue(platform::RegRoot root, const std::string& subKey, const std::string& name,
                     const platform::RegData& data);
    bool RegSetString(platform::RegRoot root, const std::string& subKey, const std::string& name,
                      const std::string& value);
    bool RegSetDword(platform::RegRoot root, const std::string& subKey, const std::string& name, uint32_t value);
    // Before AUTOEXEC.BAT gets `block` appended: a byte copy goes into the Setup folder and the
    // lines are recorded. After the write: its checksum.
    void BeforeBatch(const std::string& path, const std::vector<std::string>& block);
    void AfterBatch(const std::string& path) { AfterFile(path); }

private:
    void Write(JournalEntry entry);
    void Flush(const JournalEntry& entry);
    std::string CopyName(const std::string& path);
    void SaveCopy(const std::string& path, const std::string& copy);

    platform::Platform& platform_;
    bool open_ = false;
    int run_ = 0;
    int next_ = 1;
    int saved_ = 0;
    std::string record_;
    std::string setupDir_;
    std::vector<JournalEntry> held_;
};

}  // namespace zuv::uninstall
