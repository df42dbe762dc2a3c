// The install log: one time-stamped line of UTF-8 text per event of the run, written to its
// file as it happens (one write per line, so a run that dies leaves every line before it).
//
// Lines written before the file is opened (the command line, before the script names the
// product) are kept and written first when it opens. A copy can be started later (the
// install directory's Setup folder): it receives every line so far and then each new one.
// The log holds what the run did, never licence text or file contents.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::common {

class TInstallLog {
public:
    // A log that keeps its lines until it is opened. Copies of the object share one log.
    TInstallLog();

    // Sets the platform that stamps the lines and writes the files.
    void Start(platform::Platform& platform);
    // Creates (or empties) the log file and writes the lines kept so far. Returns false when
    // the file cannot be created; the run then goes on with no log file.
    bool Open(const std::string& path);
    // Creates a second file that receives every line so far and every later one. Returns
    // false when it cannot be created.
    bool AddCopy(const std::string& path);
    // Closes every copy (the log itself goes on), so that an undo can remove them.
    void DropCopies();

    // Writes one event: "yyyy-mm-dd hh:mm:ss.mmm  text". Line breaks inside `text` (the
    // system's messages use single carriage returns) become " / ". Throws nothing.
    void Write(const std::string& text);
    // Writes an error with its message and the system's code for the last failure.
    void Error(const std::string& text, uint32_t systemCode);

    bool IsOpen() const;
    const std::string& Path() const;
    // Every line written so far, stamps included, without line ends.
    const std::vector<std::string>& Lines() const;

    // The default file name: "ZUV Setup <title> <yyyy-mm-dd hh-mm-ss>.log", with the
    // characters a file name cannot hold replaced by "_" (no title: "ZUV Setup <stamp>.log").
    static std::string DefaultName(const std::string& title, const platform::LocalTime& at);

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace zuv::common
