// Runs the zuv program in a fresh folder of its own and keeps what it wrote to stdout and stderr.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zuv::tool::testing {

namespace fs = std::filesystem;

class ZuvRun : public ::testing::Test {
protected:
    fs::path dir;
    std::string out, err;

    void SetUp() override {
        char name[] = "/tmp/zuv-run-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const fs::path& p, const std::string& content) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }
    void Write(const fs::path& p, const std::vector<uint8_t>& content) {
        Write(p, std::string(content.begin(), content.end()));
    }
    // Bytes that no method makes smaller.
    static std::string Noise(size_t size, uint32_t seed) {
        std::string data(size, '\0');
        for (auto& c : data) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 23);
        }
        return data;
    }
    // Runs zuv with the arguments (quoted where needed) in `dir`; stdin is not a terminal.
    int Zuv(const std::string& arguments) {
        std::string command = "cd '" + dir.string() + "' && '" ZUV_BINARY_DIR "/zuv' " + arguments +
                              " >stdout.txt 2>stderr.txt </dev/null";
        int status = std::system(command.c_str());
        out = Slurp(dir / "stdout.txt");
        err = Slurp(dir / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

}  // namespace zuv::tool::testing
