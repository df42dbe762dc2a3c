// The reader of install.cfg: portable code with the reading rules of the Windows profile
// functions, so the script reads the same on every platform.
//
//  - "[name]" starts a section (the name runs to the line's last "]"); a line starting
//    with "[" but holding no "]" is no section header, just an ordinary line; key=value
//    lines inside a section are entries; section and key names are compared without regard
//    to case, and the first of several equal names wins. Blanks around a name asked for a
//    value are ignored; a section is listed only under its exact name.
//  - A UTF-8 byte-order mark at the start of the file is passed over.
//  - Names and values end at a NUL byte, as the C strings the system hands out do.
//  - Blanks around the key and the value are removed; a value enclosed in one pair of
//    quotes (" or ') comes back without them.
//  - A line without "=" is no entry; a line starting with ";" is a comment, left out of
//    the key listing (though its key can still be read by name, as Windows does).
//  - A value comes back cut to 1023 characters (the 1024-character buffer).
//  - The key listing of a section holds the names in file order as they fit an 8192-byte
//    buffer of zero-terminated names; names beyond it are lost, the last one that does not
//    fit whole is cut. An entry with an empty name ends the listing: its lone zero closes
//    the list for whoever reads the buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::common {

class IniFile {
public:
    static constexpr size_t kValueBuffer = 1024;
    static constexpr size_t kListBuffer = 8192;

    IniFile() = default;
    // Parses the text of a whole file.
    explicit IniFile(const std::string& text);
    // Reads the file through the platform; a missing or unreadable file reads as empty.
    static IniFile Load(platform::Platform& platform, const std::string& path);

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // A string read as an integer ("12", "-3", "$1F", "0x1F"); malformed gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    // True when the key exists in the section.
    bool HasKey(const std::string& section, const std::string& key) const;
    // Key names of a section in file order, as the 8192-byte listing returns them.
    std::vector<std::string> ReadSection(const std::string& section) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(const std::string& name, bool trimAsked) const;
    const Entry* FindEntry(const std::string& section, const std::string& key) const;

    std::vector<Section> sections_;
};

}  // namespace zuv::common
