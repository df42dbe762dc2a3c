#include "platform/fake/fake_platform.h"
#include "platform/limited_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zuv::platform {
namespace {

std::string UpperText(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

}  // namespace

FakePlatform::FakePlatform() {
    std::string base = std::filesystem::temp_directory_path().string() + "/zuv-fake-XXXXXX";
    std::vector<char> buffer(base.begin(), base.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("cannot make the fake drive");
    root_ = buffer.data();
    std::filesystem::create_directories(root_ + "/C/WINDOWS");
}

FakePlatform::~FakePlatform() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string FakePlatform::CommandLine() {
    if (!commandLine.empty()) return commandLine;
    std::string line = "install.exe";
    for (const std::string& p : params_) line += " \"" + p + "\"";
    return line;
}

std::string FakePlatform::FullPath(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path;
    std::string drive = current_.substr(0, 2);
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return drive + path;
    std::string cur = current_;
    if (cur.back() != '\\') cur += '\\';
    return cur + path;
}

std::string FakePlatform::HostPath(const std::string& path) {
    std::string full = FullPath(path);
    std::string drive(1, static_cast<char>(std::toupper(static_cast<unsigned char>(full[0]))));
    std::filesystem::create_directories(root_ + "/" + drive);
    return PosixPlatform::HostPath(root_ + "/" + drive + "/" + full.substr(2));
}

void FakePlatform::PutFile(const std::string& path, const std::string& content) {
    std::string host = HostPath(path);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string FakePlatform::GetFile(const std::string& path) {
    std::ifstream in(HostPath(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FakePlatform::Exists(const std::string& path) { return GetAttributes(path) != kInvalidAttributes; }

bool FakePlatform::SetCurrentDirectory(const std::string& path, std::string& error) {
    std::string full = FullPath(path);
    if (!(GetAttributes(full) & kAttrDirectory) || GetAttributes(full) == kInvalidAttributes) {
        error = "The system cannot find the path specified";
        return false;
    }
    current_ = full;
    return true;
}

std::string FakePlatform::ShortPath(const std::string& path) {
    return Exists(path) ? FullPath(path) : std::string();
}

std::unique_ptr<File> FakePlatform::Open(const std::string& path, OpenMode mode) {
    std::string key = UpperText(FullPath(path));
    for (const auto& u : unopenable)
        if (u == key) return nullptr;
    auto file = PosixPlatform::Open(path, mode);
    if (!file) return nullptr;
    auto limit = writeLimits.find(key);
    if (limit != writeLimits.end()) return std::make_unique<LimitedFile>(std::move(file), limit->second);
    return file;
}

bool FakePlatform::DeleteFile(const std::string& path) {
    const std::string key = UpperText(FullPath(path));
    for (const auto& u : undeletable) {
        if (u != key) continue;
        lastError = 32;  // ERROR_SHARING_VIOLATION
        return false;
    }
    return PosixPlatform::DeleteFile(path);
}

void FakePlatform::ProcessMessages() {
    ++processMessagesCalls;
    if (onProcessMessages) onProcessMessages();
}

std::string FakePlatform::RegKeyName(RegRoot root, const std::string& subKey) {
    const char* names[] = {"HKLM", "HKCU", "HKCR", "HKU"};
    std::string key = UpperText(subKey);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return std::string(names[static_cast<int>(root)]) + "\\" + key;
}

const FakePlatform::RegValue* FakePlatform::FindValue(RegRoot root, const std::string& subKey,
                                                      const std::string& name) const {
    auto key = registry.find(RegKeyName(root, subKey));
    if (key == registry.end()) return nullptr;
    auto value = key->second.find(UpperText(name));
    return value == key->second.end() ? nullptr : &value->second;
}

bool FakePlatform::RegCreateKey(RegRoot root, const std::string& subKey) {
    std::string name = RegKeyName(root, subKey);
    for (const auto& f : regCreateFails)
        if (f == name) return false;
    // Like RegCreateKeyExA, every missing key on the way is made too.
    for (size_t at = name.find('\\', name.find('\\') + 1); at != std::string::npos; at = name.find('\\', at + 1))
        registry[name.substr(0, at)];
    registry[name];
    return true;
}

bool FakePlatform::RegKeyExists(RegRoot root, const std::string& subKey) {
    return registry.count(RegKeyName(root, subKey)) > 0;
}

bool FakePlatform::RegQueryValue(RegRoot root, const std::string& subKey, const std::string& name, RegData& data) {
    const RegValue* v = FindValue(root, subKey, name);
    if (!v) return false;
    data = RegData();
    switch (v->type) {
        case RegValue::kString:
            data.type = kRegSz;
            data.bytes.assign(v->text.begin(), v->text.end());
            data.bytes.push_back(0);
            break;
        case RegValue::kDword:
            data.type = kRegDword;
            for (int i = 0; i < 4; ++i) data.bytes.push_back(static_cast<uint8_t>(v->dword >> (8 * i)));
            break;
        case RegValue::kBinary:
            data.type = v->binaryType;
            data.bytes = v->binary;
            break;
    }
    return true;
}

bool FakePlatform::RegSetValue(RegRoot root, const std::string& subKey, const std::string& name,
                               const RegData& data) {
    if (data.type == kRegSz && !data.bytes.empty() && data.bytes.back() == 0)
        return RegSetString(root, subKey, name, std::string(data.bytes.begin(), data.bytes.end() - 1));
    if (data.type == kRegDword && data.bytes.size() == 4) {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(data.bytes[i]) << (8 * i);
        return RegSetDword(root, subKey, name, value);
    }
    if (!RegSetBinary(root, subKey, name, data.bytes)) return false;
    registry[RegKeyName(root, subKey)][UpperText(name)].binaryType = data.type;
    return true;
}

bool FakePlatform::RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) {
    auto key = registry.find(RegKeyName(root, subKey));
    return key != registry.end() && key->second.erase(UpperText(name)) > 0;
}

bool FakePlatform::RegDeleteEmptyKey(RegRoot root, const std::string& subKey) {
    const std::string name = RegKeyName(root, subKey);
    auto key = registry.find(name);
    if (key == registry.end() || !key->second.empty()) return false;
    auto below = registry.lower_bound(name + "\\");
    if (below != registry.end() && below->first.compare(0, name.size() + 1, name + "\\") == 0) return false;
    registry.erase(key);
    return true;
}

bool FakePlatform::RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                                const std::string& value) {
    std::string key = RegKeyName(root, subKey);
    for (const auto& f : regSetFails)
        if (f == key) return false;
    auto it = registry.find(key);
    if (it == registry.end()) return false;
    RegValue v;
    v.type = RegValue::kString;
    v.text = value;
    it->second[UpperText(name)] = v;
    return true;
}

bool FakePlatform::RegSetDword(RegRoot root, const std::string& subKey, const std::string& name, uint32_t value) {
    std::string key = RegKeyName(root, subKey);
    for (const auto& f : regSetFails)
        if (f == key) return false;
    auto it = registry.find(key);
    if (it == registry.end()) return false;
    RegValue v;
    v.type = RegValue::kDword;
    v.dword = value;
    it->second[UpperText(name)] = v;
    return true;
}

bool FakePlatform::RegSetBinary(RegRoot root, const std::string& subKey, const std::string& name,
                                const std::vector<uint8_t>& value) {
    std::string key = RegKeyName(root, subKey);
    for (const auto& f : regSetFails)
        if (f == key) return false;
    auto it = registry.find(key);
    if (it == registry.end()) return false;
    RegValue v;
    v.type = RegValue::kBinary;
    v.binary = value;
    it->second[UpperText(name)] = v;
    return true;
}

int64_t FakePlatform::DiskFree(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') {
        auto set = driveFree.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
        if (set != driveFree.end()) return set->second;
    }
    return diskFree;
}

std::string FakePlatform::ShellFolderPath(ShellFolder folder) {
    auto set = shellFolders.find(folder);
    if (set != shellFolders.end()) return set->second;
    switch (folder) {
        case ShellFolder::kCommonDesktop: return windowsDirectory + "\\Desktop";
        case ShellFolder::kCommonStartMenu: return windowsDirectory + "\\Start Menu";
        case ShellFolder::kCommonPrograms: return windowsDirectory + "\\Start Menu\\Programs";
    }
    return std::string();
}

bool FakePlatform::CreateShellLink(const ShellLink& link) {
    if (linksFail) return false;
    std::string host = HostPath(link.linkFile);
    struct stat st;
    std::string parent = std::filesystem::path(host).parent_path().string();
    if (::stat(parent.c_str(), &st) != 0) return false;  // the shell does not make folders
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << link.target;
    links.push_back(link);
    return true;
}

void FakePlatform::LaunchFile(const std::string& file, const std::string& parameters,
                              const std::string& directory, int show) {
    launches.push_back({file, parameters, directory, show});
}

bool FakePlatform::AdjustPrivilege(const std::string& name, bool enable) {
    privileges.emplace_back(name, enable);
    return true;
}

bool FakePlatform::ExitWindows(uint32_t mode) {
    exits.push_back(mode);
    return true;
}

void FakePlatform::ShowMessage(const std::string& text) {
    Shown s;
    s.kind = Shown::kMessage;
    s.text = text;
    s.caption = "ZUV - Setup";
    shown.push_back(s);
    if (onMessage) onMessage(s);
}

void FakePlatform::ShowError(const std::string& text) {
    Shown s;
    s.kind = Shown::kError;
    s.text = text;
    shown.push_back(s);
    if (onMessage) onMessage(s);
}

int FakePlatform::Ask(const std::string& text, const std::string& caption, BoxIcon,
                      const std::vector<std::string>& buttons) {
    Shown s;
    s.kind = Shown::kQuestion;
    s.text = text;
    s.caption = caption;
    s.buttons = buttons;
    int answer = kBoxClosed;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    } else if (onAsk) {
        answer = onAsk(s);
    }
    // A scripted answer that no real box could give is a fault of the test.
    if (answer != kBoxClosed && (answer < 0 || answer >= static_cast<int>(buttons.size())))
        throw std::logic_error("no button " + std::to_string(answer) + " in the box \"" + text + "\"");
    s.answer = answer;
    shown.push_back(s);
    return answer;
}

bool FakePlatform::InputBox(const std::string& caption, const std::string& prompt, std::string& value) {
    Shown s;
    s.kind = Shown::kInput;
    s.text = prompt;
    s.caption = caption;
    std::optional<std::string> answer;
    if (!inputs.empty()) {
        answer = inputs.front();
        inputs.pop_front();
    }
    s.answer = answer ? 0 : 1;
    shown.push_back(s);
    if (!answer) return false;
    value = *answer;
    return true;
}

std::vector<std::string> FakePlatform::ShownTexts() const {
    std::vector<std::string> texts;
    for (const auto& s : shown) texts.push_back(s.text);
    return texts;
}

}  // namespace zuv::platform
