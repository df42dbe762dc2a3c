#include "shell/command_line.h"

#include "common/routines.h"

namespace zuv::shell {

const char* const kSwitchesHelp =
    "install.exe [directory] [/S] [/DIR=path] [/LOG=path] [/NORESTART] [/?]\r\r"
    "directory\tthe directory to work from (emptied at the end)\r"
    "/S\tsilent: no window and no question; every choice takes its default\r"
    "/DIR=path\tthe install directory\r"
    "/LOG=path\twhere the install log is written\r"
    "/NORESTART\tnever restart Windows; exit code 3010 says a restart is needed\r"
    "/? or /HELP\tthis list\r\r"
    "Exit codes: 0 installed, 3010 installed (restart needed), 1602 cancelled, 1603 failed, "
    "1639 bad command line.";

std::string UnknownSwitchMessage(const std::string& argument) {
    return "Unknown command-line switch: " + argument + "\r\rSetup has changed nothing. Use /? for the list of switches.";
}

namespace {

struct Word {
    std::string text;  // quotes removed
    std::string gap;   // the blanks written before it
    bool quoted = false;
};

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::vector<Word> SplitWords(const std::string& raw) {
    std::vector<Word> words;
    size_t i = 0;
    while (i < raw.size()) {
        Word word;
        while (i < raw.size() && Blank(raw[i])) word.gap += raw[i++];
        if (i >= raw.size()) break;
        bool inQuotes = false;
        while (i < raw.size() && (inQuotes || !Blank(raw[i]))) {
            if (raw[i] == '"') {
                inQuotes = !inQuotes;
                word.quoted = true;
            } else {
                word.text += raw[i];
            }
            ++i;
        }
        words.push_back(std::move(word));
    }
    return words;
}

// True when `upper` (an upper-cased word) is the switch `name` followed by "=".
bool ValueSwitch(const std::string& upper, const char* name) {
    const std::string prefix = std::string(name) + "=";
    return upper.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<std::string> CommandLineParams(const std::string& commandLine) {
    std::vector<std::string> params;
    const std::vector<Word> words = SplitWords(commandLine);
    for (size_t i = 1; i < words.size(); ++i)
        if (!words[i].text.empty()) params.push_back(words[i].text);  // "" alone is no parameter
    return params;
}

CommandLine ParseCommandLine(const std::string& raw) {
    CommandLine line;
    std::vector<Word> words = SplitWords(raw);
    size_t i = 1;  // words[0] is the program itself
    if (i < words.size() && (words[i].text.empty() || words[i].text[0] != '/')) {
        line.Param1 = words[i].text;
        ++i;
    }
    for (; i < words.size(); ++i) {
        const Word& word = words[i];
        if (word.text.empty() || word.text[0] != '/') continue;  // a stray word: ignored
        const std::string upper = common::Upper(word.text);
        std::string* value = nullptr;
        size_t skip = 0;
        if (upper == "/S") {
            line.Silent = true;
        } else if (upper == "/NORESTART") {
            line.NoRestart = true;
        } else if (upper == "/?" || upper == "/HELP") {
            line.Help = true;
        } else if (ValueSwitch(upper, "/DIR")) {
            value = &line.Dir;
            skip = 5;
        } else if (ValueSwitch(upper, "/LOG")) {
            value = &line.Log;
            skip = 5;
        } else {
            line.Unknown.push_back(word.text);
        }
        if (!value) continue;
        std::string path = word.text.substr(skip);
        // An unquoted path with blanks arrives in pieces: the words up to the next switch.
        if (!word.quoted) {
            while (i + 1 < words.size() && !words[i + 1].quoted && !words[i + 1].text.empty() &&
                   words[i + 1].text[0] != '/') {
                ++i;
                path += words[i].gap + words[i].text;
            }
        }
        if (path.empty())
            line.Unknown.push_back(word.text);
        else
            *value = path;
    }
    return line;
}

}  // namespace zuv::shell
