// zuv: builds, checks, lists, tests, extracts and packs segment sets and archives; expands raw
// codec streams.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "zuv_version.h"

namespace {

const char* const kUsage =
    "usage: zuv COMMAND ...\n"
    "\n"
    "  zuv build -o OUT [pack options] [--setup DIR] [--force] SCRIPT FILE|FOLDER...\n"
    "                                 packs the set into OUT, puts install.exe (and uninstaller.exe)\n"
    "                                 from DIR (default: zuv's own folder) and SCRIPT as install.cfg\n"
    "                                 beside it and checks the folder; one that fails is removed again\n"
    "                                 unless --force\n"
    "  zuv check DIR [--key N]        what the setup will do wrong with the folder DIR as shipped\n"
    "                                 (install.cfg, install.exe, the set): install.cfg:LINE: error: ...\n"
    "  zuv list PATH [--json]         each archive's template and each entry: size, stored size,\n"
    "                                 method, lock and date\n"
    "  zuv test PATH [--key N]        expands everything without writing and checks every checksum\n"
    "  zuv extract PATH [-d DIR] [--key N] [--flat] [--overwrite|--skip-existing] [--stop] [NAME...]\n"
    "                                 writes the files below DIR (default: the current folder), only\n"
    "                                 those matching a NAME when given (wildcards * and ?); a file that\n"
    "                                 differs from one already there is refused unless --overwrite;\n"
    "                                 a failed entry is removed and the rest go on unless --stop\n"
    "  zuv pack -o DIR [--base NAME] [--segment-size SIZE] [--method none|rle|lzh|lh5] [--best]\n"
    "           [--key N] [--force] FILE|FOLDER...\n"
    "                                 builds a segment set: one archive for the loose files, one per\n"
    "                                 folder (defaults: disk, 1440000 bytes, at least 16384; lh5);\n"
    "                                 SIZE in bytes or with K or M, or a floppy: 360K 720K 1.2M 1.44M\n"
    "                                 2.88M; names the set would not give back are refused; a DIR\n"
    "                                 holding another set's segments is refused unless --force;\n"
    "                                 --best: lh5 by the slower parse by price, for the smallest set\n"
    "  zuv codec ...                  raw codec streams\n"
    "  zuv --version\n"
    "\n"
    "-q/--quiet says only what went wrong; -v/--verbose names every file.\n"
    "PATH is a container archive, a segment file (disk.001: the set is read from its folder) or a\n"
    "folder holding disk.001 (in any case). A missing segment is asked for when stdin is a terminal.\n"
    "Exit status: 0 sound, 1 bad data, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (argc > 0) zuv::tool::SetProgramPath(argv[0]);
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
        std::printf("zuv %s\n", ZUV_VERSION_TEXT);
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
    if (command == "build") return zuv::tool::BuildCommand(args);
    std::fprintf(stderr, "zuv: unknown command '%s' (zuv --help shows the usage)\n", command.c_str());
    return zuv::tool::kExitUsage;
}
