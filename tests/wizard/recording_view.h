// A wizard view for tests: keeps what the logic last set for every control and records the
// page changes and the window's shrink, so tests read the screen as the user would see it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "wizard/wizard_view.h"

namespace zuv::wizard::testing {

class RecordingView : public WizardView {
public:
    // Characters per displayed line of a memo (longer lines wrap).
    int memoWidth = 60;
    int backgroundHeight = 600;

    std::vector<int> pages;  // every ShowPage, in order
    std::map<Button, bool> enabled, visible;
    bool barVisible = true;
    std::map<Label, std::string> labels;
    std::map<Label, std::vector<std::string>> labelHistory;
    std::map<Memo, std::vector<std::string>> memos;
    std::map<Radio, bool> radioChecked, radioEnabled, radioVisible;
    std::map<CheckBox, bool> boxes;
    std::map<CheckList, std::vector<std::string>> listItems;
    std::map<CheckList, std::vector<bool>> listChecks;
    std::string mainDir;
    int progressMin = -1, progressMax = -1, progress = 0;
    int windowHeight = 0, windowTop = 0;
    int closes = 0;
    // Called by Close(), as the window calls the form's close handler.
    std::function<void()> onClose;

    void ShowPage(int index) override { pages.push_back(index); }
    void SetButtonEnabled(Button b, bool e) override { enabled[b] = e; }
    void SetButtonVisible(Button b, bool v) override { visible[b] = v; }
    void SetButtonBarVisible(bool v) override { barVisible = v; }
    void SetLabelCaption(Label l, const std::string& c) override {
        labels[l] = c;
        labelHistory[l].push_back(c);
    }
    void SetMemoLines(Memo m, const std::vector<std::string>& lines) override { memos[m] = lines; }
    int MemoDisplayedLineCount(Memo m) override {
        int count = 0;
        for (const std::string& line : memos[m])
            count += line.empty() ? 1 : static_cast<int>((line.size() + memoWidth - 1) / memoWidth);
        return count;
    }
    void SetRadioChecked(Radio r, bool c) override { radioChecked[r] = c; }
    void SetRadioEnabled(Radio r, bool e) override { radioEnabled[r] = e; }
    void SetRadioVisible(Radio r, bool v) override { radioVisible[r] = v; }
    void SetCheckBoxChecked(CheckBox b, bool c) override { boxes[b] = c; }
    void SetCheckListItems(CheckList l, const std::vector<std::string>& items, const std::vector<bool>& checked) override {
        listItems[l] = items;
        listChecks[l] = checked;
    }
    void SetMainDirText(const std::string& text) override { mainDir = text; }
    void SetProgressRange(int minimum, int maximum) override {
        progressMin = minimum;
        progressMax = maximum;
    }
    void SetProgressPosition(int position) override { progress = position; }
    int BackgroundHeight() override { return backgroundHeight; }
    void SetWindowHeightAndTop(int height, int top) override {
        windowHeight = height;
        windowTop = top;
    }
    void Repaint() override {}
    void Close() override {
        ++closes;
        if (onClose) onClose();
    }
    int CurrentPage() const { return pages.empty() ? -1 : pages.back(); }
};

}  // namespace zuv::wizard::testing
