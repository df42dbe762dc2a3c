// `zuv codec`: raw stream expansion and compression (being written).
#include "commands.h"

namespace zuv::tool {
int CodecCommand(const std::vector<std::string>&) { return kExitUsage; }
}  // namespace zuv::tool
