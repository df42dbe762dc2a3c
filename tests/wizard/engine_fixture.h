// A small product on the fake drive for the install engine's tests: the expanded files in
// TempDir, a script with several directory tags, and helpers to run the engine and read the
// uninstall record.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ini_reader.h"
#include "common/routines.h"
#include "platform/fake/fake_platform.h"
#include "shell/script.h"
#include "shell/shell_state.h"
#include "wizard/install_engine.h"
#include "wizard/recording_view.h"
#include "wizard/shortcuts.h"

namespace zuv::wizard::testing {

// Bytes that a text-mode or short-buffer copy would damage: zeros, CR LF, and more than one
// 8192-byte buffer.
inline std::string BinaryContent(size_t size, int seed) {
    std::string data(size, '\0');
    uint32_t x = 2463534242u + seed;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[i] = static_cast<char>(x & 0xFF);
    }
    if (size > 4) data.replace(1, 3, "\r\n\0", 3);
    return data;
}

class EngineTest : public ::testing::Test {
protected:
    static constexpr const char* kTemp = "C:\\WINDOWS\\Temp\\z";
    static constexpr const char* kDest = "C:\\Program Files\\MyApp";

    EngineTest() : shortcuts(platform) {
        state.TempDir = kTemp;
        state.SystemRoot = "C:\\";
        script.Header.text = "ZUV Hello";
        script.LaunchProgram = "<INSTALLDIR>MYAPP.EXE";
        script.DirectoriesList = {"<INSTALLDIR>~"};
        choices.mainDir = kDest;
        choices.radioButton1Checked = true;
        Temp("install.exe", "MZ setup program");
        Temp("install.cfg", "[Setup - Main]\r\n");
    }

    void Temp(const std::string& name, const std::string& content) {
        platform.PutFile(std::string(kTemp) + "\\" + name, content);
    }
    bool InTemp(const std::string& name) { return platform.Exists(std::string(kTemp) + "\\" + name); }

    // Runs the engine once; the engine object stays for inspection.
    bool Run() {
        engine = std::make_unique<TInstallEngine>(platform, script, state, view, shortcuts, choices);
        return engine->RunInstall();
    }

    common::IniFile Record() { return common::IniFile(platform.GetFile(std::string(kDest) + "\\uninstall.cfg")); }
    std::vector<std::string> RecordKeys(const std::string& section) { return Record().ReadSection(section); }

    std::vector<std::string> Texts(platform::FakePlatform::Shown::Kind kind) const {
        std::vector<std::string> out;
        for (const auto& s : platform.shown)
            if (s.kind == kind) out.push_back(s.text);
        return out;
    }
    std::vector<std::string> Errors() const { return Texts(platform::FakePlatform::Shown::kError); }
    std::vector<std::string> Questions() const { return Texts(platform::FakePlatform::Shown::kQuestion); }
    std::vector<std::string> Messages() const { return Texts(platform::FakePlatform::Shown::kMessage); }

    platform::FakePlatform platform;
    RecordingView view;
    shell::LoadedScript script;
    shell::ShellState state;
    TShortcuts shortcuts;
    InstallChoices choices;
    std::unique_ptr<TInstallEngine> engine;
};

}  // namespace zuv::wizard::testing
