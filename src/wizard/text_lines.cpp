#include "wizard/text_lines.h"

namespace zuv::wizard {

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending) lines.push_back(line);
    return lines;
}

bool ReadTextLines(platform::Platform& platform, const std::string& path, std::vector<std::string>& lines) {
    auto file = platform.Open(path, platform::OpenMode::kReadShared);
    if (!file) return false;
    std::string text;
    char buffer[8192];
    for (;;) {
        uint32_t got = file->Read(buffer, sizeof buffer);
        if (got == 0) break;
        text.append(buffer, got);
    }
    lines = SplitTextLines(text);
    return true;
}

std::vector<std::string> ReadTextLinesOrEmpty(platform::Platform& platform, const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadTextLines(platform, path, lines)) lines.clear();
    return lines;
}

bool WriteTextLines(platform::Platform& platform, const std::string& path, const std::vector<std::string>& lines) {
    auto file = platform.Open(path, platform::OpenMode::kCreate);
    if (!file) return false;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return file->Write(text.data(), static_cast<uint32_t>(text.size())) == text.size();
}

}  // namespace zuv::wizard
