// The base of every exception the system raises: an error carrying its fixed message.
#pragma once

#include <stdexcept>
#include <string>

namespace zuv::common {

// Component exceptions (ESegError, EBadChecksum, ELZHBadDecodeTable, ...) derive
// directly from this class; what() is the message shown to the user.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// An input/output failure of the platform (a file that cannot be opened or created).
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace zuv::common
