// zuv: lists, tests, extracts and packs segment sets and archives; expands raw codec streams.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

namespace {

const char* const kUsage =
    "usage: zuv COMMAND ...\n"
    "\n"
    "  zuv list PATH                  each archive's template and each entry: size, stored size,\n"
    "                                 method, lock and date\n"
    "  zuv test PATH [--key N]        expands everything without writing and checks every checksum\n"
    "  zuv extract PATH [-d DIR] [--key N] [--flat]\n"
    "                                 writes the files below DIR (default: the current folder);\n"
    "                                 --flat drops the stored folders\n"
    "  zuv pack -o DIR [--base NAME] [--segment-size BYTES] [--method none|rle|lzh|lh5] [--key N]\n"
    "           FILE|FOLDER...        builds a segment set: one archive for the loose files, one per\n"
    "                                 folder (defaults: disk, 1440000 bytes, at least 16384; lh5);\n"
    "                                 names the set would not give back are refused\n"
    "  zuv codec ...                  raw codec streams\n"
    "\n"
    "PATH is a container archive, a segment file (disk.001: the set is read from its folder) or a\n"
    "folder holding disk.001. A missing segment is asked for when stdin is a terminal.\n"
    "Exit status: 0 sound, 1 bad data, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return zuv::tool::kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return zuv::tool::kExitOk;
    }
    if (command == "--version") {
        std::printf("zuv 1.0.0\n");
        return zuv::tool::kExitOk;
    }
    if (command == "codec") return zuv::tool::CodecCommand(args);
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return zuv::tool::kExitOk;
        }
    if (command == "list") return zuv::tool::ListCommand(args);
    if (command == "test") return zuv::tool::TestCommand(args);
    if (command == "extract") return zuv::tool::ExtractCommand(args);
    if (command == "pack") return zuv::tool::PackCommand(args);
    if (command == "check") return zuv::tool::CheckCommand(args);
    std::fprintf(stderr, "zuv: unknown command '%s' (zuv --help shows the usage)\n", command.c_str());
    return zuv::tool::kExitUsage;
}
