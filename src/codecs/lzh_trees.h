// The LZH compressor's choice of search-tree roots. The method's own roots are chosen by a
// position's first byte and a 4-bit hash of the next two bytes (4096 trees). With one tree
// per first byte the search is the published LZHUF program's, and so is every stream.
#pragma once

namespace zuv::codecs {

class CodecIO;

enum class LzhRoots { Hashed, FirstByte };

// CompressLZH with the given roots; CompressLZH itself uses LzhRoots::Hashed.
void CompressLZHWithRoots(CodecIO& io, LzhRoots roots);

}  // namespace zuv::codecs
