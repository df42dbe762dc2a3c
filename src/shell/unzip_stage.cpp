#include "shell/unzip_stage.h"

#include <cstdio>

#include "common/disk_space.h"
#include "common/routines.h"

namespace zuv::shell {

const char* const kExpandErrorMessage = "Error Expanding Files!!";

TUnzip::TUnzip(platform::Platform& platform, UnzipView& view, PictureView& pictures, SetExpander& expander,
               ShellState& state, const LoadedScript& script, WizardChoice& wizard)
    : platform_(platform),
      view_(view),
      pictures_(pictures),
      expander_(expander),
      state_(state),
      script_(script),
      wizard_(wizard) {}

void TUnzip::FormShow() {
    state_.Cancelled = false;
    view_.SetLabel1Text(script_.Header.text + " " + view_.Label1Text() + "\rPlease Standby.");
    view_.SetGaugeColor(script_.DitherFrom);
    view_.SetCaptionColors(script_.DitherFrom, script_.DitherTo, script_.Header.color);
    platform_.ProcessMessages();
    pictureShown_ = false;
    view_.SetTimer1Enabled(true);
}

void TUnzip::Timer1Timer() {
    view_.SetTimer1Enabled(false);
    if (closed_) return;
    state_.Cancelled = false;
    ExpandArchive();
}

void TUnzip::ExpandArchive() {
    expanding_ = true;
    ExpandRequest request;
    request.SegBaseName = "disk";
    request.SegDir = state_.SourceDir;
    request.SegTmpDir = common::GetWindowsDir(platform_) + "\\temp";
    request.TargetPath = state_.TempDir;
    request.OnSegBefore = [this](int n) { SegCompEZ1SegBefore(n); };
    request.OnCheckFile = [this](std::string& path) { SegCompEZ1CheckFile(path); };
    request.OnShowProgress = [this](int32_t& percentage) { SegCompEZ1ShowProgress(percentage); };
    state_.Log.Write("Expanding the segment set " + request.SegDir + request.SegBaseName + ".* into " +
                     state_.TempDir);
    try {
        common::CreateDirPath(platform_, state_.TempDir);
        common::CreateDirPath(platform_, request.SegTmpDir);
        if (TempSpaceFits()) {
            expander_.ExpandSet(request);
            state_.Log.Write("Preparation finished: " + std::to_string(filesExpanded_) + " files expanded");
            // A picture that was the set's last file has had no later file to show it.
            ShowPictureOnce();
            // The gauge counts the listed files; extra or unlisted entries can leave it short,
            // so a finished run shows it full.
            SetProgress(max_);
        } else {
            // Said clearly before anything was expanded; the shell ends as after a failed run.
            wizard_.SetChoiceChecked(EndChoice::kReboot, false);
            state_.Cancelled = true;
            state_.Failed = true;
        }
    } catch (const EAbortedByUser&) {
        // The user has already said so; the shell ends with its cancellation message.
        state_.Log.Write("Preparation aborted by the user");
        wizard_.SetChoiceChecked(EndChoice::kReboot, false);
        state_.Cancelled = true;
    } catch (const std::exception& e) {
        const uint32_t code = platform_.LastError();
        // An abort that cut a file short ends here too; only a failure of its own fails the run.
        if (state_.Cancelled)
            state_.Log.Write(std::string("Preparation aborted by the user (") + e.what() + ")");
        else
            state_.Log.Error(std::string("Preparation failed: ") + e.what(), code);
        if (!state_.Cancelled) state_.Failed = true;
        platform_.ShowMessage(kExpandErrorMessage);
        wizard_.SetChoiceChecked(EndChoice::kReboot, false);
        state_.Cancelled = true;
    }
    view_.Close();
}

bool TUnzip::TempSpaceFits() {
    // Before the first byte is expanded: the temporary directory's drive must hold at least the
    // setup program, its script and the set's segments found beside them (the expanded files
    // are rarely smaller than their compressed form). A set on several disks shows only its
    // first one here; the rest is checked by the reader as each file is written.
    uint64_t needed = common::FileSize(platform_, state_.SourceDir + "install.exe") +
                      common::FileSize(platform_, state_.SourceDir + "install.cfg");
    for (const platform::FindEntry& entry : platform_.FindFiles(state_.SourceDir + "disk.*"))
        if (!(entry.attributes & platform::kAttrDirectory)) needed += entry.size;
    common::DriveSpace space;
    space.drive = common::DriveOf(platform_, state_.TempDir);
    space.needed = needed;
    space.free = common::DriveFree(platform_, space.drive);
    if (space.Fits()) return true;
    platform_.ShowMessage(common::NotEnoughSpaceMessage(space, "to prepare the installation"));
    return false;
}

std::string TUnzip::PadSegment(int segNumber) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", segNumber);
    return text;
}

void TUnzip::SegCompEZ1SegBefore(int segNumber) {
    std::string padded = PadSegment(segNumber);
    platform_.ProcessMessages();
    if (state_.Cancelled) throw EAbortedByUser();
    segFileName_ = state_.SourceDir + "disk." + padded;
    const bool retry = segNumber == lastSegment_;
    lastSegment_ = segNumber;
    const bool found = common::FileExists(platform_, segFileName_);
    state_.Log.Write("Segment " + std::to_string(segNumber) + ": " + segFileName_ + (retry ? " (retry)" : "") +
                     (found ? "" : " not found"));
    // Nobody can insert a disk in a silent run: a missing segment, or one the reader asked
    // for again because it was the wrong one, fails the run.
    if (state_.Silent && (!found || retry)) {
        const std::string message = "Disk " + std::to_string(segNumber) + " missing: " + segFileName_ +
                                    (found ? " is not the right segment" : " not found");
        state_.Log.Write(message);
        throw EMissingDisk(message);
    }
    for (int prompts = 0; prompts < 2 && !common::FileExists(platform_, segFileName_); ++prompts) {
        const std::string prompt = "Please Insert Disk #" + std::to_string(segNumber) + " into Floppy Drive.";
        platform_.ShowMessage(prompt);
        state_.Log.Write("Prompt \"" + prompt + "\" answered");
        platform_.ProcessMessages();
        if (state_.Cancelled) throw EAbortedByUser();
    }
    if (segNumber == 1) {
        min_ = 0;
        max_ = static_cast<int>(script_.FilesList.size()) + 3;
        view_.SetGaugeRange(min_, max_);
        SetProgress(0);
        platform_.ProcessMessages();
        common::CopyFileInto(platform_, state_.SourceDir + "install.exe", state_.TempDir);
        state_.Log.Write("Copied " + state_.SourceDir + "install.exe to " + state_.TempDir);
        SetProgress(1);
        platform_.ProcessMessages();
        common::CopyFileInto(platform_, state_.SourceDir + "install.cfg", state_.TempDir);
        state_.Log.Write("Copied " + state_.SourceDir + "install.cfg to " + state_.TempDir);
        SetProgress(2);
        platform_.ProcessMessages();
    }
    platform_.ProcessMessages();
}

void TUnzip::SetProgress(int progress) {
    if (progress < min_) progress = min_;
    if (progress > max_) progress = max_;
    progress_ = progress;
    view_.SetGaugeProgress(progress);
}

void TUnzip::SegCompEZ1CheckFile(std::string& filepath) {
    filepath = state_.TempDir + "\\" + common::NamePart(filepath);
    ++filesExpanded_;
    state_.Log.Write("Expanding " + filepath);
    SetProgress(progress_ + 1);
    platform_.ProcessMessages();
    ShowPictureOnce();
}

void TUnzip::ShowPictureOnce() {
    if (!script_.BitmapFile.empty() && !pictureShown_ &&
        common::FileExists(platform_, state_.TempDir + "\\" + script_.BitmapFile))
        ShowPicture();
}

void TUnzip::ShowPicture() {
    pictureShown_ = true;
    pictures_.HidePictures();
    std::string path = state_.TempDir + "\\" + script_.BitmapFile;
    bool animated = IsAnimatedPicture(script_.BitmapFile);
    int width = 0, height = 0;
    bool loaded = animated ? pictures_.LoadAnimated(path, width, height) : pictures_.LoadStill(path, width, height);
    if (!loaded) throw common::EInOutError("Unable to load the picture " + script_.BitmapFile);
    PanelSize size = PicturePanelSize(animated, width, height);
    pictures_.Repaint();
    PanelPlace place = PicturePanelPlace(script_.AlignCenter, script_.AlignLeft, pictures_.MainScreenWidth(),
                                         size.width, pictures_.Header2Top());
    pictures_.PlacePanel(place.left, place.top, size.width, size.height);
    pictures_.Repaint();
    platform_.ProcessMessages();
}

void TUnzip::SegCompEZ1ShowProgress(int32_t& percentageDone) {
    if (state_.Cancelled) percentageDone = -1;
}

void TUnzip::FormClick() {
    // Only "&Abort" aborts: "&No" and a box closed without an answer leave the run alone.
    const int answer =
        platform_.Ask("Abort Setup Process ?", "Warning", platform::BoxIcon::kWarning, {"&No", "&Abort"});
    if (answer != 1) return;
    state_.Log.Write("The user aborted the preparation");
    state_.Cancelled = true;
    wizard_.SetChoiceChecked(EndChoice::kReboot, false);
    CleanTempDir();
    // Before the expansion has begun nothing else would end the stage: the window closes
    // at once and its timer never starts the run.
    if (!expanding_) {
        closed_ = true;
        view_.SetTimer1Enabled(false);
        view_.Close();
    }
}

void TUnzip::CleanTempDir() { CleanDirectory(platform_, state_.TempDir); }

}  // namespace zuv::shell
