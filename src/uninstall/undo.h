// Undoing an installation from its journal (uninstall/journal.h): the uninstaller's work and
// the rollback of an installation that stopped on an error.
//
// The entries are undone newest first, the newest installation first: replaced files, INI
// values, registry values and AUTOEXEC.BAT come back as they were, what the installation
// created is deleted, and created registry keys and directories are removed once empty.
// Nothing of the user's is lost: a file whose content is no longer what was installed, an
// INI or registry value changed since, a directory or key that still holds something, are
// kept and listed with the reason. A journal cut short (the installation died part-way) is
// undone as far as it goes; an entry whose change never happened changes nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "uninstall/journal.h"

namespace zuv::uninstall {

// Why something was kept.
extern const char* const kKeptChanged;     // "changed since it was installed"
extern const char* const kKeptAdded;       // "added after the installation"
extern const char* const kKeptNotEmpty;    // "folder not empty"
extern const char* const kKeptKeyNotEmpty;  // "registry key not empty"
extern const char* const kKeptEarlier;     // "the version it replaced, kept beside it"
extern const char* const kKeptInUse;       // "could not be removed"

struct KeptItem {
    std::string item;    // a path, "[section] key in file", or "ROOT\key\name"
    std::string reason;  // one of the texts above
};

// Heads the account of what was kept.
extern const char* const kKeptHeading;  // "These were kept:"
// The account: the heading, then one line per item, "<item> (<reason>)", joined by CR.
std::string DescribeKept(const std::vector<KeptItem>& kept);

// What one undo did, by kind.
struct UndoCounts {
    int filesRemoved = 0;
    int filesRestored = 0;
    int folders = 0;
    int iniValues = 0;
    int registryValues = 0;
    int registryKeys = 0;
    int batchBlocks = 0;
};

class TUndo {
public:
    // `record`: the uninstall record (uninstall.cfg) holding the journals.
    TUndo(platform::Platform& platform, std::string record);

    // The number of entries an undo will work through (for a gauge).
    int EntryCount(bool newestOnly);
    // Undoes every installation of the record, then deletes the record and removes the
    // directories the installations created that are now empty (the Setup folder and the
    // install directory among them).
    void UndoAll();
    // Undoes only the newest installation (a rollback). The record is deleted, and the
    // created directories removed, only when no earlier installation's journal is left.
    void UndoNewest();

    // Called after each entry: entries done, entries in all.
    std::function<void(int done, int total)> OnProgress;

    const std::vector<KeptItem>& Kept() const { return kept_; }
    const UndoCounts& Counts() const { return counts_; }

private:
    void Undo(bool newestOnly);
    void UndoEntry(const JournalEntry& entry, const std::string& sum);
    void UndoDir(const std::string& path);
    void UndoFile(const std::string& path, const std::string& backup, const std::string& sum);
    void UndoIni(const JournalEntry& entry);
    void UndoKey(const JournalEntry& entry);
    void UndoValue(const JournalEntry& entry);
    void UndoBatch(const std::string& path, const std::string& backup, const std::string& lines,
                   const std::string& sum);
    void Keep(const std::string& item, const char* reason);
    bool IsKept(const std::string& item) const;
    void RemoveLeftDirectories();

    platform::Platform& platform_;
    std::string record_;
    std::vector<KeptItem> kept_;
    UndoCounts counts_;
    // Created directories that were not empty when their entry was undone, newest first.
    std::vector<std::string> leftDirs_;
};

}  // namespace zuv::uninstall
