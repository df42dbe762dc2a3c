// The zuv tool's subcommands; main.cpp dispatches on the first argument.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::tool {

// Exit statuses shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitBadData = 1;
constexpr int kExitUsage = 2;

// `zuv codec expand|compress ...`: raw codec streams. `args` excludes "zuv codec".
int CodecCommand(const std::vector<std::string>& args);
// `zuv list PATH`
int ListCommand(const std::vector<std::string>& args);
// `zuv test PATH [--key N]`
int TestCommand(const std::vector<std::string>& args);
// `zuv extract PATH [-d DIR] [--key N] [--flat]`
int ExtractCommand(const std::vector<std::string>& args);
// `zuv build -o OUT [pack options] [--setup DIR] [--force] SCRIPT FILE|FOLDER...`
int BuildCommand(const std::vector<std::string>& args);
// `zuv check DIR [--key N] [-q]`
int CheckCommand(const std::vector<std::string>& args);
// `zuv pack -o DIR [--base NAME] [--segment-size BYTES] [--method M] [--key N] FILE|FOLDER...`
int PackCommand(const std::vector<std::string>& args);

// ---- shared by the subcommands (cmd_support.cpp) --------------------------------------

// The zuv program as it was started (argv[0]); main sets it.
const std::string& ProgramPath();
void SetProgramPath(const std::string& path);

// What a PATH argument names: a container archive, or a segment set (its folder and base name).
struct Source {
    bool isSet = false;
    std::string path;  // the archive, or the segment file / folder given
    std::string dir;   // the set's folder
    std::string base;  // the set's base name ("disk")
};
// False with `error` set when PATH names nothing usable.
bool ResolveSource(const std::string& path, Source& source, std::string& error);

// The platform the tool runs on: the host's.
class ToolPlatform;
std::unique_ptr<platform::Platform> MakeToolPlatform();

// Ends a run whose failure has been reported already (exit status 1, nothing more said).
struct AlreadyReported : std::runtime_error {
    AlreadyReported() : std::runtime_error("already reported") {}
};

// One-line messages on stderr.
int Fail(const std::string& message, int status = kExitBadData);
int UsageError(const std::string& message);

// Parses a key given on the command line (decimal, or 0x hex); false when malformed.
bool ParseKey(const std::string& text, int32_t& key);

// "2001-02-03 04:05" from a DOS date/time.
std::string DosDateText(uint32_t dosDateTime);
// "NON", "LH5", ... or the number of an unknown method.
std::string MethodText(uint8_t method);

// A fresh temporary folder, and its removal with everything in it.
std::string MakeTempDir();
void RemoveTree(const std::string& path);

// A progress bar on stderr when stderr is a terminal; silent otherwise.
class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    void Show(int percent, const std::string& detail = "");
    void Done();

private:
    bool enabled_;
    bool shown_ = false;
    int last_ = -1;
    std::string label_;
};

}  // namespace zuv::tool

namespace zuv::archive {
class TSegCompEZ;
class TCompress;
struct TSegPrompt;
}  // namespace zuv::archive

namespace zuv::tool {

// Answers the reader's segment prompts (its OnSegPrompt) for one run over the set in `dir`.
// When stdin is a terminal a missing or wrong segment is shown and the folder that holds it
// asked for; otherwise the prompt is refused (Cancel) and remembered, so that the failure can
// name the segment.
class SegmentPrompter {
public:
    // `mayAsk` false never asks, even on a terminal.
    SegmentPrompter(platform::Platform& platform, std::string dir, bool mayAsk = true);
    bool interactive() const { return interactive_; }
    void Answer(archive::TSegPrompt& prompt);
    // Why the run was stopped at a segment ("segment 2 is missing: no disk.002 in set"); empty
    // when no prompt was refused.
    const std::string& refused() const { return refused_; }

private:
    bool AskForFolder(archive::TSegPrompt& prompt);

    platform::Platform& platform_;
    std::string dir_;
    bool interactive_;
    bool mustAsk_ = false;
    std::string refused_;
};

// Runs a whole set through a reader that `configure` has set up (events, key), with the
// segments read from the source's folder and a temporary folder of its own. Returns the exit
// status; failures are reported on stderr.
int RunSet(platform::Platform& platform, const Source& source, int32_t key,
           const std::function<void(archive::TSegCompEZ&)>& configure);

// Reports any exception as one line on stderr and returns the exit status; a run the reader
// aborted at a refused segment prompt is reported as that segment's problem.
int ReportFailure(const std::exception& error, const SegmentPrompter* prompts = nullptr);

}  // namespace zuv::tool
