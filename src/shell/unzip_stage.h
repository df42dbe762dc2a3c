// The preparation stage `TUnzip`: expands the segment set into TempDir with disk prompts,
// the copies of install.exe and install.cfg, a gauge, the script's picture and the abort
// question. The window (src/ui) draws; this class decides.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/exception.h"
#include "platform/platform.h"
#include "shell/main_setup.h"
#include "shell/script.h"
#include "shell/shell_state.h"
#include "shell/unzip_view.h"

namespace zuv::shell {

// How the stage runs the segment reader: the reader's settings and its three events.
struct ExpandRequest {
    std::string SegBaseName;
    std::string SegDir;
    std::string SegTmpDir;
    std::string TargetPath;
    // `OnSegBefore`: before each attempt to open segment n (retries included).
    std::function<void(int segNumber)> OnSegBefore;
    // `OnCheckFile`: a file is about to be written at `filepath`, which may be replaced.
    std::function<void(std::string& filepath)> OnCheckFile;
    // The codec's `OnShowProgress`: -1 stops the decoder.
    std::function<void(int32_t& percentageDone)> OnShowProgress;
};

class SetExpander {
public:
    virtual ~SetExpander() = default;
    // Expands the whole set (`ExpandSet`); every failure ends it with an exception.
    virtual void ExpandSet(const ExpandRequest& request) = 0;
};

// Raised when the user has aborted and the reader asks for another segment: the run stops
// there instead of prompting for disks that will not be used.
class EAbortedByUser : public common::Exception {
public:
    EAbortedByUser() : common::Exception("Setup aborted") {}
};

// Raised in a silent run when a segment is missing or wrong: nobody can insert the disk, so
// the run fails instead of prompting.
class EMissingDisk : public common::Exception {
public:
    using common::Exception::Exception;
};

extern const char* const kExpandErrorMessage;  // "Error Expanding Files!!"

class TUnzip {
public:
    TUnzip(platform::Platform& platform, UnzipView& view, PictureView& pictures, SetExpander& expander,
           ShellState& state, const LoadedScript& script, WizardChoice& wizard);

    void FormShow();
    void Timer1Timer();
    void ExpandArchive();
    void SegCompEZ1SegBefore(int segNumber);
    void SegCompEZ1CheckFile(std::string& filepath);
    void SegCompEZ1ShowProgress(int32_t& percentageDone);
    void FormClick();

    // Padded segment number: at least three digits.
    static std::string PadSegment(int segNumber);

    const std::string& SegFileName() const { return segFileName_; }
    bool PictureShown() const { return pictureShown_; }
    int GaugeProgress() const { return progress_; }
    int GaugeMax() const { return max_; }

private:
    // The temporary directory's drive holds what the set needs; otherwise says so and returns false.
    bool TempSpaceFits();
    void SetProgress(int progress);
    void CleanTempDir();
    void ShowPicture();
    void ShowPictureOnce();

    platform::Platform& platform_;
    UnzipView& view_;
    PictureView& pictures_;
    SetExpander& expander_;
    ShellState& state_;
    const LoadedScript& script_;
    WizardChoice& wizard_;
    std::string segFileName_;
    int lastSegment_ = 0;  // the segment OnSegBefore last looked for (a repeat is a retry)
    int filesExpanded_ = 0;
    bool pictureShown_ = false;
    bool expanding_ = false;
    bool closed_ = false;
    int min_ = 0, max_ = 100, progress_ = 0;
};

}  // namespace zuv::shell
