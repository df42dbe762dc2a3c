// Resource numbers of install.exe shared by its resource script and its windows.
#pragma once

// The program's icon, also the icon the caption bars fall back to.
#define IDI_ZUV_SETUP 1
