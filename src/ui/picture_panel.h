// The background's picture panel `bitmapscreen`: `Image3` animates a GIF in a loop at its own size, `Image4` shows a still picture unscaled in 105 x 105.
#pragma once

#include "platform/win32/windows_api.h"

#include <memory>
#include <string>
#include <vector>

#include "shell/unzip_view.h"

namespace zuv::ui {

class BackgroundWindow;

// A child window of the background with a raised inner bevel. Pictures are read with GDI+
// (bitmap, icon, metafile, GIF) from a copy in memory, so the file itself is never held open;
// an animated GIF turns its frames with their own delays on a timer.
class PicturePanel : public shell::PictureView {
public:
    explicit PicturePanel(BackgroundWindow& background);
    ~PicturePanel() override;
    PicturePanel(const PicturePanel&) = delete;
    PicturePanel& operator=(const PicturePanel&) = delete;

    HWND Handle() const { return panel_; }
    bool Animating() const { return frames_ > 1 && animated_; }
    int Frame() const { return frame_; }
    // Draws the panel as it stands into `dc` (its own painting and tests' captures).
    void PaintTo(HDC dc);

    // ---- shell::PictureView -------------------------------------------------------------
    void HidePictures() override;
    bool LoadAnimated(const std::string& path, int& width, int& height) override;
    bool LoadStill(const std::string& path, int& width, int& height) override;
    void PlacePanel(int left, int top, int width, int height) override;
    int MainScreenWidth() override;
    int Header2Top() override;
    void Repaint() override;

private:
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Reads the whole file into memory and decodes it there; false for a file that cannot
    // be read or is no picture of a shown format. The file is closed when this returns.
    bool Load(const std::string& path);
    void Release();
    void NextFrame();
    void EnsureWindow();

    BackgroundWindow& background_;
    HWND panel_ = nullptr;
    ULONG_PTR gdiplusToken_ = 0;
    void* image_ = nullptr;   // Gdiplus::Image
    void* stream_ = nullptr;  // IStream holding the file's bytes, read by image_
    std::vector<UINT> delays_;  // per frame, in milliseconds
    UINT frames_ = 0;
    UINT frame_ = 0;
    bool animated_ = false;
    bool visible_ = false;
};

}  // namespace zuv::ui
