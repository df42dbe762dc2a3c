// Golden outputs of the zuv tool: every folder below tests/data/golden/<command>/ is one case,
// a `run` script and the `expected` text beside it (see tests/data/golden/README). The output
// of the script, stdout and stderr together, followed by its exit status, must match exactly.
// ZUV_UPDATE_GOLDEN=1 writes the outputs into the `expected` files instead (review the diff).
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(ZUV_TEST_DATA) / "golden";

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Cases() {
    std::vector<std::string> cases;
    for (const auto& command : fs::directory_iterator(kGolden)) {
        if (!command.is_directory()) continue;
        for (const auto& c : fs::directory_iterator(command.path()))
            if (fs::is_regular_file(c.path() / "run"))
                cases.push_back(command.path().filename().string() + "/" + c.path().filename().string());
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, OutputMatches) {
    const fs::path caseDir = kGolden / GetParam();
    char name[] = "/tmp/zuv-golden-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    const fs::path work = name;
    std::string command = "cd '" + work.string() + "' && ZUV='" ZUV_BINARY_DIR "/zuv' CASE='" + caseDir.string() +
                          "' GOLDEN='" + kGolden.string() + "' bash -c 'source \"$GOLDEN/prelude.bash\"; source \"$CASE/run\"'" +
                          " >output.txt 2>&1 </dev/null";
    int status = std::system(command.c_str());
    std::string output = Slurp(work / "output.txt");
    output += "[exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "]\n";
    fs::remove_all(work);
    if (std::getenv("ZUV_UPDATE_GOLDEN")) {
        std::ofstream(caseDir / "expected", std::ios::binary) << output;
        return;
    }
    EXPECT_EQ(output, Slurp(caseDir / "expected")) << "case " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(Cases()), [](const auto& info) {
    std::string n = info.param;
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
});

}  // namespace
