// The loaded script: the in-memory form of install.cfg, held by the main window from
// start-up to shut-down. The install engine changes two items (LaunchProgram, IniSetupList).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/background.h"

namespace zuv::shell {

struct LoadedScript {
    int32_t InstallDisks = 0;
    std::string InstallDir;
    std::string LaunchProgram;
    std::string ProgramFolder = "Accessories";
    bool AddToProgramFiles = false;
    bool ShowWarningScreen = true;
    bool ShowReBoot = true;
    bool WorkStationPrompt = false;
    std::string BitmapFile;
    bool AlignCenter = false;
    bool AlignLeft = true;
    bool AlignRight = false;

    std::vector<std::string> DirectoriesList;
    std::vector<std::string> FilesList;  // each entry ends with "~X" (ask) or "~" (overwrite)
    std::vector<std::string> DesktopList;
    std::vector<std::string> IniSetupList;
    std::vector<std::string> WorkStationList;
    std::vector<std::string> AutoexecList;

    // The background's controls as the script leaves them: `Setup_Header`, `Setup_Header2`
    // and the gradient `MainScreen` (start colour top, end colour bottom). Later stages read
    // the titles and colours back from here.
    TitleLine Header = DesignHeader();
    TitleLine Header2 = DesignHeader2();
    Color DitherFrom = 16711680;  // blue
    Color DitherTo = 0;           // black
};

}  // namespace zuv::shell
