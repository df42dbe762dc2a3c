// WritePrivateProfileStringA done in portable code, for the platforms without one: the file
// is read, the entry changed in place (or appended to its section, or a new section added at
// the end), and the file written back with CR LF line ends.
#pragma once

#include <string>

namespace zuv::platform {

// `hostPath` is a path of the host file system. A null key erases the whole section, a null
// value erases the key. Returns false when the file cannot be written.
bool WriteIniEntry(const std::string& hostPath, const std::string& section, const std::string* key,
                   const std::string* value);

// GetPrivateProfileStringA's reading of one key, for the platforms without it: true with
// `value` set (blanks around it removed) when the section has the key.
bool ReadIniEntry(const std::string& hostPath, const std::string& section, const std::string& key,
                  std::string& value);
// True when the file has the section (any case).
bool IniSectionExists(const std::string& hostPath, const std::string& section);

}  // namespace zuv::platform
