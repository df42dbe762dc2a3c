// The platform of the build: real files on Linux, the Win32 API on Windows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::platform {

// `params` are the command-line parameters after the program name.
std::unique_ptr<Platform> MakeHostPlatform(std::vector<std::string> params = {});

}  // namespace zuv::platform
