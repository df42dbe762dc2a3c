// Walks the entries of one container archive one at a time, for `zuv test` and `zuv extract`:
// a damaged entry is named with its archive and offset and the walk goes on with the next
// entry, where the setup's own reader stops the whole archive at the first failure.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "archive/compress.h"

namespace zuv::tool {

class EntryWalker : public archive::TCompress {
public:
    using archive::TCompress::TCompress;

    struct Entry {
        std::string name;  // as stored
        archive::EntryHeader header;
        uint64_t offset = 0;  // of its entry header in the archive
    };

    // Where an entry fails; `what` is the component's message.
    struct Failure {
        std::string what;
    };

    // Expands every entry of the archive at `path`. `open` gives the stream an entry is
    // expanded into, or nullptr to pass it over; `done` hears how it went (failure null when the
    // entry is sound: all its bytes delivered and its checksum right, stored entries included).
    // With `stopAtTotal` the walk ends once the archive's total expanded size is reached, as
    // the setup's reader ends it. Raises the component's exceptions when the archive itself is
    // unreadable; returns the count of entries expanded.
    int Walk(const std::string& path, bool stopAtTotal, const std::function<common::Stream*(const Entry&)>& open,
             const std::function<void(const Entry&, const Failure*)>& done);
};

}  // namespace zuv::tool
