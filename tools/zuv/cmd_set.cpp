// Running a segment set through the reader for list, test and extract.
#include "archive/segment.h"
#include "commands.h"

namespace zuv::tool {

int ReportFailure(const std::exception& error, const SegmentPrompter* prompts) {
    if (dynamic_cast<const AlreadyReported*>(&error)) return kExitBadData;
    auto* reader = dynamic_cast<const archive::ESegError*>(&error);
    if (reader && reader->Kind == archive::ekAborted && prompts && !prompts->refused().empty())
        return Fail(prompts->refused());
    return Fail(error.what());
}

int RunSet(platform::Platform& platform, const Source& source, int32_t key,
           const std::function<void(archive::TSegCompEZ&)>& configure) {
    SegmentPrompter prompts(platform, source.dir);
    std::string tempDir;
    int status = kExitOk;
    try {
        tempDir = MakeTempDir();
        archive::TSegCompEZ reader(platform);
        reader.SetSegBaseName(source.base);
        reader.SetSegDir(source.dir);
        reader.SetSegTmpDir(tempDir);
        reader.SetSegPopUp(prompts.interactive());
        reader.OnSegPrompt = [&prompts](archive::TSegPrompt& prompt) { prompts.Answer(prompt); };
        reader.SetKey(key);
        reader.SetExceptionOnFileError(true);
        configure(reader);
        reader.ExpandSet();
    } catch (const std::exception& error) {
        status = ReportFailure(error, &prompts);
    }
    RemoveTree(tempDir);
    return status;
}

}  // namespace zuv::tool
