// The Win32 platform against the real API under Wine, and the portable INI reader against
// GetPrivateProfileStringA on the same tricky files.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "common/ini_reader.h"
#include "common/routines.h"

namespace {

using zuv::platform::Win32Platform;

std::string TempDir() {
    char buffer[MAX_PATH];
    GetTempPathA(MAX_PATH, buffer);
    std::string dir = std::string(buffer) + "zuvplat" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Profile(const std::string& file, const char* section, const char* key) {
    char buffer[1024];
    GetPrivateProfileStringA(section, key, "<default>", buffer, sizeof buffer, file.c_str());
    return buffer;
}

std::vector<std::string> ProfileKeys(const std::string& file, const char* section) {
    std::vector<char> buffer(8192);
    GetPrivateProfileStringA(section, nullptr, "", buffer.data(), 8192, file.c_str());
    std::vector<std::string> names;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) names.push_back(p);
    return names;
}

TEST(IniReaderAgreesWithWindows, OnTrickyFiles) {
    std::string dir = TempDir();
    std::string file = dir + "\\tricky.ini";
    std::string longValue(1500, 'L');
    std::string text =
        "[Setup - Main]\r\n"
        "  Header  =   Spaced Title   \r\n"
        "Quoted=\"in quotes\"\r\n"
        "Single='single'\r\n"
        "HalfQuote=\"open\r\n"
        "Empty=\r\n"
        "Long=" + longValue + "\r\n"
        "Dup=first\r\nDUP=second\r\n"
        "Equals=a=b=c\r\n"
        "; comment=skipped\r\n"
        "Tab\t=\tvalue with tab\t\r\n"
        "\r\n"
        "[ Files ]\r\n"
        "A=a.txt~<INSTALLDIR>\r\nB=b.txt~<SUB1>\nc=c.txt~<INSTALLDIR>\r\n"
        "[AUTOEXEC.BAT]\r\nSET X=1\r\nPATH C:\\APP;%PATH%=\r\n"
        "[files]\r\nLater=ignored section\r\n";
    Write(file, text);
    zuv::common::IniFile ini(text);
    for (const char* key : {"Header", "Quoted", "Single", "HalfQuote", "Empty", "Long", "Dup", "Equals", "Tab",
                            "Missing", "; comment"}) {
        EXPECT_EQ(ini.ReadString("Setup - Main", key, "<default>"), Profile(file, "Setup - Main", key)) << key;
    }
    for (const char* section : {"Setup - Main", "Files", "FILES", "AUTOEXEC.BAT", "none"}) {
        EXPECT_EQ(ini.ReadSection(section), ProfileKeys(file, section)) << section;
    }
    EXPECT_EQ(ini.ReadString("files", "later", "<default>"), Profile(file, "files", "later"));

    // A listing larger than its buffer.
    std::string big = "[L]\r\n";
    for (int i = 0; i < 1000; ++i) big += "key" + std::to_string(100000 + i) + "=v\r\n";
    Write(dir + "\\big.ini", big);
    EXPECT_EQ(zuv::common::IniFile(big).ReadSection("L"), ProfileKeys(dir + "\\big.ini", "L"));
}

// Malformed scripts read as the system reads them: a header without "]" is no section, an
// entry with an empty key ends the key listing, a NUL byte ends a value, and a UTF-8
// byte-order mark before the first section is passed over.
TEST(IniReaderAgreesWithWindows, OnMalformedFiles) {
    using std::string_literals::operator""s;
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"open header", "[A]\r\nk1=one\r\n[B\r\nk2=two\r\n[C=x\r\nk3=three\r\n[B]\r\nk4=four\r\n"},
        {"open header first", "[B\r\nk1=one\r\n[A]\r\nk2=two\r\n"},
        {"empty key", "[A]\r\nk1=one\r\n=nameless\r\n  = blank\r\nk2=two\r\n[B]\r\n=first\r\nk3=three\r\n"},
        {"nul in value", "[A]\r\nk1=ab\0cd\r\nk2=\"q\0\"\r\nk3=x \0 y\r\nk4=\0\r\nk\0k=v\r\nk5=five\r\n"s},
        {"nul in header", "[A\0B]\r\nk1=one\r\n[C]\r\nk2=two\r\n"s},
        {"byte-order mark", "\xEF\xBB\xBF[A]\r\nk1=one\r\n[B]\r\nk2=two\r\n"},
        {"byte-order mark before an entry", "\xEF\xBB\xBFk0=zero\r\n[A]\r\nk1=one\r\n"},
        {"no equals sign", "[A]\r\nalone\r\nk1=one\r\n;comment\r\n[B]\r\n"},
        {"text after the bracket", "[A] junk\r\nk1=one\r\n[B]]\r\nk2=two\r\n[[C]\r\nk3=three\r\n"},
    };
    const char* sections[] = {"A", "B", " B\r", "B]", "C", "[C", "[B"};
    const char* keys[] = {"k0", "k1", "k2", "k3", "k4", "k5", "", "k", "alone", "[C", "[B"};
    std::string dir = TempDir();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir + "\\malformed.ini";
        Write(file, c.text);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // no cached copy
        zuv::common::IniFile ini(c.text);
        for (const char* section : sections) {
            EXPECT_EQ(ini.ReadSection(section), ProfileKeys(file, section)) << section;
            for (const char* key : keys)
                EXPECT_EQ(ini.ReadString(section, key, "<default>"), Profile(file, section, key))
                    << "[" << section << "] " << key;
        }
    }
}

TEST(Win32Platform, RegistryProfileAndFiles) {
    Win32Platform p({});
    const std::string key = "Software\\ZUV Test\\Sub";
    ASSERT_TRUE(p.RegCreateKey(zuv::platform::RegRoot::kCurrentUser, key));
    ASSERT_TRUE(p.RegSetString(zuv::platform::RegRoot::kCurrentUser, key, "Text", "value"));
    ASSERT_TRUE(p.RegSetDword(zuv::platform::RegRoot::kCurrentUser, key, "Number", 42));
    EXPECT_FALSE(p.RegSetString(zuv::platform::RegRoot::kCurrentUser, "Software\\ZUV Test\\Missing", "x", "y"));
    char text[64] = {};
    DWORD size = sizeof text, type = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Text", RRF_RT_REG_SZ, &type, text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "value");

    std::string dir = TempDir();
    std::string ini = dir + "\\out.ini";
    std::string k = "Key", v = "Value";
    ASSERT_TRUE(p.WriteProfileString("Sec", &k, &v, ini));
    EXPECT_EQ(Profile(ini, "Sec", "Key"), "Value");
    ASSERT_TRUE(p.WriteProfileString("Sec", nullptr, nullptr, ini));
    EXPECT_EQ(Profile(ini, "Sec", "Key"), "<default>");

    auto f = p.Open(dir + "\\data.bin", zuv::platform::OpenMode::kCreate);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Write("hello", 5), 5u);
    EXPECT_TRUE(f->SetDosDateTime((uint32_t(20) << 25) | (uint32_t(3) << 21) | (uint32_t(4) << 16) | (12u << 11)));
    f.reset();
    auto entries = p.FindFiles(dir + "\\*.*");
    bool found = false;
    for (const auto& e : entries) found |= (e.name == "data.bin" && e.size == 5);
    EXPECT_TRUE(found);
    EXPECT_FALSE(p.ShortPath(dir + "\\data.bin").empty());
    EXPECT_EQ(zuv::common::GetShortName(p, dir + "\\nothing.txt"), dir + "\\nothing.txt");
}

// A user's hand on a question box: waits from another thread until the box shows the
// buttons expected (it is dressed as it becomes active, so the captions settle a moment after
// it appears; what it showed last is kept), then presses one of them or closes the box.
enum class Act { kPress, kEscape, kCloseBox };

std::vector<std::pair<std::string, HWND>> VisibleButtons(HWND box) {
    std::vector<std::pair<LONG, HWND>> found;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (_stricmp(cls, "Button") != 0 || !IsWindowVisible(c)) continue;
        RECT r;
        GetWindowRect(c, &r);
        found.emplace_back(r.left, c);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::pair<std::string, HWND>> buttons;
    for (const auto& f : found) {
        char text[64] = {};
        GetWindowTextA(f.second, text, sizeof text);
        buttons.emplace_back(text, f.second);
    }
    return buttons;
}

struct Hand {
    std::vector<std::string> seen;  // the visible buttons' captions, left to right
    std::thread thread;
    Hand(const char* caption, const std::vector<std::string>& expected, Act act, const std::string& button) {
        thread = std::thread([this, caption, expected, act, button] {
            HWND box = nullptr;
            for (int i = 0; i < 200 && !(box = FindWindowA("#32770", caption)); ++i) Sleep(50);
            if (!box) return;
            std::vector<std::pair<std::string, HWND>> buttons;
            for (int i = 0; i < 100; ++i, Sleep(50)) {
                buttons = VisibleButtons(box);
                seen.clear();
                for (const auto& b : buttons) seen.push_back(b.first);
                if (seen == expected && IsWindowEnabled(box)) break;
            }
            Sleep(100);
            for (const auto& b : buttons)
                if (act == Act::kPress && button == b.first) PostMessageA(b.second, BM_CLICK, 0, 0);
            if (act == Act::kEscape) PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
            if (act == Act::kCloseBox) PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
    }
    // The buttons seen, once the hand has done its part.
    const std::vector<std::string>& Seen() {
        if (thread.joinable()) thread.join();
        return seen;
    }
    ~Hand() {
        if (thread.joinable()) thread.join();
    }
};

// Each button answers with its own index; Escape and the close box press none of them, so
// "&Abort" (the last button, where a plain OK/Cancel box would put its Cancel) is only ever
// an answer when it was pressed.
TEST(Win32Platform, QuestionBoxTellsAButtonFromAClose) {
    const std::vector<std::string> abort{"&No", "&Abort"}, retry{"OK", "Cancel"}, ok{"OK"};
    const struct {
        const std::vector<std::string>* buttons;
        Act act;
        const char* button;
        int answer;
    } cases[] = {
        {&abort, Act::kPress, "&No", 0},
        {&abort, Act::kPress, "&Abort", 1},
        {&abort, Act::kEscape, "", zuv::platform::kBoxClosed},
        {&abort, Act::kCloseBox, "", zuv::platform::kBoxClosed},
        {&retry, Act::kPress, "Cancel", 1},
        {&retry, Act::kCloseBox, "", zuv::platform::kBoxClosed},
        {&ok, Act::kPress, "OK", 0},
        {&ok, Act::kEscape, "", zuv::platform::kBoxClosed},
    };
    Win32Platform p({});
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " of " + std::to_string(c.buttons->size()) + " act " +
                     std::to_string(int(c.act)));
        Hand hand("Question test", *c.buttons, c.act, c.button);
        const int answer = p.Ask("Go on?", "Question test", zuv::platform::BoxIcon::kWarning, *c.buttons);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(hand.Seen(), *c.buttons);  // the extra Cancel is never shown
    }
}

// What the install journal reads back and the undo puts back: INI values and sections, registry
// values of any type byte for byte, deleted values, and keys deleted only when empty.
TEST(Win32Platform, ReadsBackAndUndoesProfileAndRegistryEntries) {
    using zuv::platform::RegData;
    using zuv::platform::RegRoot;
    Win32Platform p({});
    const std::string ini = TempDir() + "\\back.ini";
    Write(ini, "[Main]\r\nMode=old\r\nEmpty=\r\n[Bare]\r\n");
    std::string value = "?";
    EXPECT_TRUE(p.ReadProfileString("main", "MODE", ini, value));
    EXPECT_EQ(value, "old");
    EXPECT_TRUE(p.ReadProfileString("Main", "Empty", ini, value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(p.ReadProfileString("Main", "Missing", ini, value));
    EXPECT_FALSE(p.ReadProfileString("Main", "Mode", ini + ".none", value));
    const std::string longValue(3000, 'x'), key = "Long";
    ASSERT_TRUE(p.WriteProfileString("Main", &key, &longValue, ini));
    EXPECT_TRUE(p.ReadProfileString("Main", "Long", ini, value));
    EXPECT_EQ(value, longValue) << "a value longer than one buffer comes back whole";
    EXPECT_TRUE(p.ProfileSectionExists("bare", ini)) << "an empty section exists";
    EXPECT_FALSE(p.ProfileSectionExists("Other", ini));

    const std::string k = "Software\\ZUV Test\\Undo\\Deep";
    EXPECT_FALSE(p.RegKeyExists(RegRoot::kCurrentUser, "Software\\ZUV Test\\Undo"));
    ASSERT_TRUE(p.RegCreateKey(RegRoot::kCurrentUser, k));
    EXPECT_TRUE(p.RegKeyExists(RegRoot::kCurrentUser, "Software\\ZUV Test\\Undo"));
    RegData multi;
    multi.type = zuv::platform::kRegMultiSz;
    multi.bytes = {'a', 0, 'b', 0, 0};
    ASSERT_TRUE(p.RegSetValue(RegRoot::kCurrentUser, k, "Multi", multi));
    ASSERT_TRUE(p.RegSetString(RegRoot::kCurrentUser, k, "", "default"));
    RegData back;
    ASSERT_TRUE(p.RegQueryValue(RegRoot::kCurrentUser, k, "Multi", back));
    EXPECT_EQ(back, multi);
    ASSERT_TRUE(p.RegQueryValue(RegRoot::kCurrentUser, k, "", back));
    EXPECT_EQ(back.type, zuv::platform::kRegSz);
    EXPECT_EQ(std::string(back.bytes.begin(), back.bytes.end()), std::string("default", 8));
    EXPECT_FALSE(p.RegQueryValue(RegRoot::kCurrentUser, k, "None", back));

    EXPECT_FALSE(p.RegDeleteEmptyKey(RegRoot::kCurrentUser, k)) << "it holds values";
    EXPECT_TRUE(p.RegDeleteValue(RegRoot::kCurrentUser, k, "Multi"));
    EXPECT_TRUE(p.RegDeleteValue(RegRoot::kCurrentUser, k, ""));
    EXPECT_FALSE(p.RegDeleteValue(RegRoot::kCurrentUser, k, "Multi"));
    EXPECT_FALSE(p.RegDeleteEmptyKey(RegRoot::kCurrentUser, "Software\\ZUV Test\\Undo")) << "it holds a key";
    EXPECT_TRUE(p.RegDeleteEmptyKey(RegRoot::kCurrentUser, k));
    EXPECT_TRUE(p.RegDeleteEmptyKey(RegRoot::kCurrentUser, "Software\\ZUV Test\\Undo"));
    EXPECT_FALSE(p.RegKeyExists(RegRoot::kCurrentUser, k));
}

TEST(Win32Platform, ShellLinkIsSavedAndReadsBack) {
    CoInitialize(nullptr);
    Win32Platform p({});
    std::string dir = TempDir();
    zuv::platform::ShellLink link;
    link.linkFile = dir + "\\Hello.lnk";
    link.target = "C:\\windows\\notepad.exe";
    link.workingDir = "C:\\windows";
    link.iconPath = "C:\\windows\\notepad.exe";
    ASSERT_TRUE(p.CreateShellLink(link));
    IShellLinkA* shell = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           reinterpret_cast<void**>(&shell))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    std::wstring wide(link.linkFile.begin(), link.linkFile.end());
    ASSERT_TRUE(SUCCEEDED(file->Load(wide.c_str(), STGM_READ)));
    char path[MAX_PATH] = {};
    shell->GetPath(path, MAX_PATH, nullptr, 0);
    EXPECT_STRCASEEQ(path, "C:\\windows\\notepad.exe");
    file->Release();
    shell->Release();
    link.linkFile = dir + "\\no such folder\\x.lnk";
    EXPECT_FALSE(p.CreateShellLink(link));
    CoUninitialize();
}

// Where the code page is not UTF-8 (this test has no manifest: Wine gives it 1252, as Windows
// before 1903 gives every program), a name with characters the code page lacks comes back by
// its 8.3 form, which names the same file, instead of a name with "?" that names nothing.
TEST(Win32Platform, NamesOutsideTheCodePageComeBackByTheirShortForm) {
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8));
    Win32Platform p({});
    const std::string dir = TempDir() + "\\outside";
    const std::wstring wideDir(dir.begin(), dir.end());
    const std::wstring name = L"\\\x65E5\x672C";  // 日本
    ASSERT_TRUE(CreateDirectoryW(wideDir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW((wideDir + name).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    HANDLE h = CreateFileW((wideDir + name + name + L".txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);

    std::string folder;
    for (const auto& entry : p.FindFiles(dir + "\\*.*"))
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY && entry.name != "." && entry.name != "..") folder = entry.name;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.find('?'), std::string::npos) << folder;
    std::string file;
    for (const auto& entry : p.FindFiles(dir + "\\" + folder + "\\*.txt")) file = entry.name;
    ASSERT_FALSE(file.empty());
    auto in = p.Open(dir + "\\" + folder + "\\" + file, zuv::platform::OpenMode::kReadShared);
    ASSERT_TRUE(in) << folder << "\\" + file;
    char c = 0;
    EXPECT_EQ(in->Read(&c, 1), 1u);
    EXPECT_EQ(c, 'x');
    in.reset();

    // The current directory and a full path too.
    ASSERT_TRUE(SetCurrentDirectoryW((wideDir + name).c_str()));
    const std::string current = p.CurrentDirectory();
    EXPECT_EQ(current.find('?'), std::string::npos) << current;
    EXPECT_NE(p.GetAttributes(current) & FILE_ATTRIBUTE_DIRECTORY, 0u) << current;
    EXPECT_NE(p.GetAttributes(p.FullPath(file)), zuv::platform::kInvalidAttributes) << p.FullPath(file);
    SetCurrentDirectoryA(dir.c_str());
}

}  // namespace
