#include "common/install_log.h"

#include <cstdio>

namespace zuv::common {

struct TInstallLog::Impl {
    platform::Platform* platform = nullptr;
    std::string path;
    std::unique_ptr<platform::File> file;
    std::vector<std::unique_ptr<platform::File>> copies;
    std::vector<std::string> lines;
};

namespace {

// Writes one line with its end in a single call.
void PutLine(platform::File& file, const std::string& line) {
    const std::string text = line + "\r\n";
    file.Write(text.data(), static_cast<uint32_t>(text.size()));
}

std::string Stamp(const platform::LocalTime& t, bool forFileName) {
    char text[40];
    if (forFileName)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                      t.minute, t.second, t.millisecond);
    return text;
}

}  // namespace

TInstallLog::TInstallLog() : impl_(std::make_shared<Impl>()) {}

void TInstallLog::Start(platform::Platform& platform) { impl_->platform = &platform; }

bool TInstallLog::Open(const std::string& path) {
    if (!impl_->platform) return false;
    auto file = impl_->platform->Open(path, platform::OpenMode::kCreateShared);
    if (!file) return false;
    for (const std::string& line : impl_->lines) PutLine(*file, line);
    impl_->file = std::move(file);
    impl_->path = path;
    return true;
}

bool TInstallLog::AddCopy(const std::string& path) {
    if (!impl_->platform) return false;
    auto file = impl_->platform->Open(path, platform::OpenMode::kCreateShared);
    if (!file) return false;
    for (const std::string& line : impl_->lines) PutLine(*file, line);
    impl_->copies.push_back(std::move(file));
    return true;
}

void TInstallLog::DropCopies() { impl_->copies.clear(); }

void TInstallLog::Write(const std::string& text) {
    std::string flat;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            // A run of breaks (CR CR between paragraphs) reads as one.
            while (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) ++i;
            flat += " / ";
        } else {
            flat += text[i];
        }
    }
    Impl& log = *impl_;
    std::string line = log.platform ? Stamp(log.platform->Now(), false) + "  " + log.platform->AnsiToUtf8(flat)
                                    : flat;
    if (log.file) PutLine(*log.file, line);
    for (auto& copy : log.copies) PutLine(*copy, line);
    log.lines.push_back(std::move(line));
}

void TInstallLog::Error(const std::string& text, uint32_t systemCode) {
    Write("ERROR: " + text + " (Windows error " + std::to_string(systemCode) + ")");
}

bool TInstallLog::IsOpen() const { return impl_->file != nullptr; }
const std::string& TInstallLog::Path() const { return impl_->path; }
const std::vector<std::string>& TInstallLog::Lines() const { return impl_->lines; }

std::string TInstallLog::DefaultName(const std::string& title, const platform::LocalTime& at) {
    std::string name = "ZUV Setup ";
    for (char c : title) {
        const bool bad = static_cast<unsigned char>(c) < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos;
        name += bad ? '_' : c;
    }
    if (!title.empty()) name += ' ';
    return name + Stamp(at, true) + ".log";
}

}  // namespace zuv::common
