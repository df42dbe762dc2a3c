// `zuv build`: from the product to the folder that goes on the disks in one command: the set,
// install.exe (and uninstaller.exe when there is one) and install.cfg beside it, checked as
// `zuv check` checks a shipped folder; a folder that fails is not left behind.
#include <filesystem>

#include "check.h"
#include "commands.h"
#include "common/routines.h"
#include "pack.h"

namespace zuv::tool {

namespace {

namespace fs = std::filesystem;

// The folder that holds the zuv program, where install.exe is looked for by default.
std::string ProgramFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) self = fs::absolute(ProgramPath(), ec);
    return self.parent_path().string();
}

// `name` in `dir` matched without regard to case; empty when it is not there.
fs::path FindFile(const std::string& dir, const std::string& name) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (common::Upper(it->path().filename().string()) == common::Upper(name) && it->is_regular_file(ec))
            return it->path();
    return {};
}

}  // namespace

int BuildCommand(const std::vector<std::string>& args) {
    PackOptions options;
    std::string script, setupDir;
    for (size_t i = 0; i < args.size(); ++i) {
        int taken = TakePackOption(args, i, options);
        if (taken < 0) return kExitUsage;
        if (taken > 0) continue;
        const std::string& a = args[i];
        if (a == "--setup") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return UsageError("--setup needs a folder");
            setupDir = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (script.empty()) {
            script = a;
        } else {
            options.inputs.push_back(a);
        }
    }
    if (options.outDir.empty()) return UsageError("-o OUT is missing");
    if (script.empty()) return UsageError("SCRIPT is missing");
    if (options.inputs.empty()) return UsageError("nothing to pack");
    if (common::Lower(options.base) != "disk")
        return UsageError("--base does not go with build: the setup program reads disk.001, disk.002, ...");
    std::error_code ec;
    if (!fs::is_regular_file(script, ec)) return Fail("cannot read the script \"" + script + "\": " +
                                                      (fs::exists(script, ec) ? "not a file" : "No such file or directory"));
    if (setupDir.empty()) setupDir = ProgramFolder();
    // The programs that go beside the set: install.exe always, uninstaller.exe when it is there.
    std::vector<fs::path> programs;
    fs::path setup = FindFile(setupDir, "install.exe");
    if (setup.empty())
        return Fail("no install.exe in \"" + setupDir + "\" (the zuv program's folder, or the one given with --setup DIR)");
    programs.push_back(setup);
    fs::path uninstaller = FindFile(setupDir, "uninstaller.exe");
    if (!uninstaller.empty()) programs.push_back(uninstaller);

    std::vector<std::string> written;
    int status = PackSet(options, &written);
    if (status != kExitOk) return status;
    const fs::path out(options.outDir);
    try {
        for (const auto& program : programs) {
            std::string name = common::Lower(program.filename().string());
            fs::copy_file(program, out / name, fs::copy_options::overwrite_existing);
            written.push_back((out / name).string());
        }
        fs::copy_file(script, out / "install.cfg", fs::copy_options::overwrite_existing);
        written.push_back((out / "install.cfg").string());
    } catch (const fs::filesystem_error& e) {
        for (const auto& path : written) fs::remove(path, ec);
        return Fail("cannot copy \"" + e.path1().string() + "\" into \"" + options.outDir + "\": " +
                    e.code().message() + "; the set was removed");
    }

    auto platform = MakeToolPlatform();
    CheckReport report = CheckFolder(*platform, options.outDir, options.key);
    if (!options.quiet || report.errors() > 0) PrintReport(report, stdout, options.quiet);
    if (report.errors() == 0) return kExitOk;
    if (options.force)
        return Fail("the folder " + options.outDir + " fails its checks; it is kept because of --force");
    for (const auto& path : written) fs::remove(path, ec);
    return Fail("the folder " + options.outDir +
                " fails its checks, so the set, install.exe and install.cfg were removed again (--force keeps them)");
}

}  // namespace zuv::tool
