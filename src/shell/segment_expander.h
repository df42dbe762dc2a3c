// The preparation stage's segment reader: `TSegCompEZ` with the stage's design settings
// (no input box for a disk path, no exception on a file error, no space check, no key).
#pragma once

#include <memory>

#include "platform/platform.h"
#include "shell/unzip_stage.h"

namespace zuv::shell {

std::unique_ptr<SetExpander> MakeSegmentExpander(platform::Platform& platform);

}  // namespace zuv::shell
