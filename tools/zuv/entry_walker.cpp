// The entry-at-a-time walk of a container archive (see entry_walker.h).
#include "entry_walker.h"

#include <algorithm>

#include "archive/buffered_file.h"
#include "common/exception.h"

namespace zuv::tool {

namespace {

// Forwards what an entry expands to (when there is somewhere to put it) and counts and sums it.
class CheckingSink : public common::Stream {
public:
    explicit CheckingSink(common::Stream* inner) : inner_(inner) {}
    uint32_t Read(void*, uint32_t) override { return 0; }
    uint32_t Write(const void* buffer, uint32_t count) override {
        if (inner_) inner_->WriteAll(buffer, count);
        sum = archive::AddToChecksum(sum, static_cast<const uint8_t*>(buffer), count);
        written += count;
        return count;
    }
    bool Seek(uint64_t position) override { return position == written; }
    uint64_t Position() override { return written; }
    uint64_t Size() override { return written; }
    uint64_t written = 0;
    uint32_t sum = 0;

private:
    common::Stream* inner_;
};

}  // namespace

int EntryWalker::Walk(const std::string& path, bool stopAtTotal,
                      const std::function<common::Stream*(const Entry&)>& open,
                      const std::function<void(const Entry&, const Failure*)>& done) {
    auto file = platform_.Open(path, platform::OpenMode::kReadShared);
    if (!file) throw common::EInOutError("Cannot open file " + path);
    common::FileStream stream(std::make_unique<archive::BufferedFile>(std::move(file)), path);
    const archive::ArchiveHeader archiveHeader = ReadArchiveHeader(stream);
    const std::string compressId(archiveHeader.CompressID, 3);
    int64_t runningTotal = 0;
    int count = 0;
    Entry entry;
    while (ReadEntryHeader(stream, entry.header, entry.name)) {
        if (stopAtTotal && runningTotal >= archiveHeader.ExpandedSize) break;
        const uint64_t dataStart = stream.Position();
        entry.offset = dataStart - uint64_t(entry.header.NameLength) - archive::kEntryHeaderSize;
        runningTotal += entry.header.ExpandedSize;
        common::Stream* output = open(entry);
        if (!output) {
            archive::SkipForward(stream, entry.header.CompressedSize);
            continue;
        }
        try {
            CheckingSink sink(output);
            ExpandEntry(sink, stream, entry.header, compressId);
            // The codecs check their own entries' checksums; stored entries and every entry's
            // length are checked here.
            if (entry.header.Method == archive::coNone) {
                uint32_t expected = uint32_t(entry.header.Checksum);
                if (entry.header.LockLevel > 0) expected -= uint32_t(Key());
                if (sink.sum != expected) {
                    if (entry.header.LockLevel > 0) throw archive::EInvalidKey();
                    throw archive::EBadChecksum();
                }
            }
            if (entry.header.ExpandedSize < 0 || sink.written != uint64_t(entry.header.ExpandedSize) ||
                stream.Position() != dataStart + uint64_t(std::max<int32_t>(entry.header.CompressedSize, 0)))
                throw archive::EBadChecksum();
            ++count;
            done(entry, nullptr);
        } catch (const common::Exception& e) {
            Failure failure{e.what()};
            done(entry, &failure);
            stream.Seek(dataStart);
            archive::SkipForward(stream, entry.header.CompressedSize);
        }
    }
    return count;
}

}  // namespace zuv::tool
