// Running a segment set through the reader for list, test and extract.
#include "archive/segment.h"
#include "commands.h"

namespace zuv::tool {

int ReportFailure(const std::exception& error, platform::Platform& platform) {
    // A segment that was not there ends the run through its prompt: name the segment.
    std::string refused = LastRefusedPrompt(platform);
    if (!refused.empty() && std::string(error.what()) == "(TSegCompress) Operation aborted by user")
        return Fail(refused);
    return Fail(error.what());
}

int RunSet(platform::Platform& platform, const Source& source, int32_t key,
           const std::function<void(archive::TSegCompEZ&)>& configure) {
    const bool interactive = PromptsOnTerminal(platform, source.base);
    std::string tempDir;
    int status = kExitOk;
    try {
        tempDir = MakeTempDir();
        archive::TSegCompEZ reader(platform);
        reader.SetSegBaseName(source.base);
        reader.SetSegDir(source.dir);
        reader.SetSegTmpDir(tempDir);
        reader.SetSegPopUp(interactive);
        reader.SetKey(key);
        reader.SetExceptionOnFileError(true);
        configure(reader);
        reader.ExpandSet();
    } catch (const std::exception& error) {
        status = ReportFailure(error, platform);
    }
    RemoveTree(tempDir);
    return status;
}

}  // namespace zuv::tool
