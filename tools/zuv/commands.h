// The zuv tool's subcommands; main.cpp dispatches on the first argument.
#pragma once

#include <string>
#include <vector>

namespace zuv::tool {

// Exit statuses shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitBadData = 1;
constexpr int kExitUsage = 2;

// `zuv codec expand|compress ...`: raw codec streams. `args` excludes "zuv codec".
int CodecCommand(const std::vector<std::string>& args);

}  // namespace zuv::tool
