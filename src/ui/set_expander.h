// The segment reader behind the preparation stage.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "shell/unzip_stage.h"

namespace zuv::ui {

std::unique_ptr<shell::SetExpander> MakeSetExpander(platform::Platform& platform);

}  // namespace zuv::ui
