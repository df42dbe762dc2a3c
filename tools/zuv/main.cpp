// zuv: lists, tests, extracts and packs segment sets and archives; expands raw codec streams.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "usage: zuv codec ...\n");
        return zuv::tool::kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "codec") return zuv::tool::CodecCommand(args);
    std::fprintf(stderr, "zuv: unknown command '%s'\n", command.c_str());
    return zuv::tool::kExitUsage;
}
