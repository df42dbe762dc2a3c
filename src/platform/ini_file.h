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

}  // namespace zuv::platform
