#include "shell/segment_expander.h"

#include "archive/segment.h"

namespace zuv::shell {
namespace {

class SegmentExpander : public SetExpander {
public:
    explicit SegmentExpander(platform::Platform& platform) : platform_(platform) {}

    void ExpandSet(const ExpandRequest& request) override {
        archive::TSegCompEZ reader(platform_);
        reader.SetSegPopUp(false);
        reader.SetExceptionOnFileError(false);
        reader.SetCheckSpaceBeforeExpand(false);
        reader.SetKey(0);
        reader.SetSegBaseName(request.SegBaseName);
        reader.SetSegDir(request.SegDir);
        reader.SetSegTmpDir(request.SegTmpDir);
        reader.SetTargetPath(request.TargetPath);
        reader.ArcList.clear();
        reader.SetSegSource({});
        reader.OnSegBefore = [&request](archive::TSegMode, const std::string&, uint16_t number) {
            if (request.OnSegBefore) request.OnSegBefore(number);
        };
        reader.OnCheckFile = [&request](std::string& path, archive::TCProcessMode) {
            if (request.OnCheckFile) request.OnCheckFile(path);
        };
        reader.OnShowProgress = [&request](int32_t& percentage) {
            if (request.OnShowProgress) request.OnShowProgress(percentage);
        };
        reader.ExpandSet();
    }

private:
    platform::Platform& platform_;
};

}  // namespace

std::unique_ptr<SetExpander> MakeSegmentExpander(platform::Platform& platform) {
    return std::make_unique<SegmentExpander>(platform);
}

}  // namespace zuv::shell
