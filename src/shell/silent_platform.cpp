#include "shell/silent_platform.h"

namespace zuv::shell {

bool SilentPlatform::AdjustPrivilege(const std::string& name, bool enable) {
    return quiet_ ? false : host_.AdjustPrivilege(name, enable);
}

bool SilentPlatform::ExitWindows(uint32_t mode) {
    if (!quiet_) return host_.ExitWindows(mode);
    log_.Write("Restart not done (silent run)");
    return false;
}

void SilentPlatform::ShowMessage(const std::string& text) {
    if (!quiet_) return host_.ShowMessage(text);
    log_.Write("Message (not shown): " + text);
}

void SilentPlatform::ShowError(const std::string& text) {
    if (!quiet_) return host_.ShowError(text);
    log_.Write("Error box (not shown): " + text);
}

int SilentPlatform::Ask(const std::string& text, const std::string& caption, platform::BoxIcon icon,
                        const std::vector<std::string>& buttons) {
    if (!quiet_) return host_.Ask(text, caption, icon, buttons);
    const std::string answer = buttons.empty() ? std::string("OK") : buttons.front();
    log_.Write("Question (not shown): " + text + " - answered " + answer);
    return 0;
}

bool SilentPlatform::InputBox(const std::string& caption, const std::string& prompt, std::string& value) {
    if (!quiet_) return host_.InputBox(caption, prompt, value);
    log_.Write("Input box (not shown): " + caption + " " + prompt + " - cancelled");
    return false;
}

}  // namespace zuv::shell
