// The -lh5- method's parameters and its decode table builder, shared by the compressor and
// the decompressor (and by the tests' plain decoder).
#pragma once

#include <cstdint>

namespace zuv::codecs::lh5 {

constexpr int kDicBit = 13;
constexpr int kDicSize = 1 << kDicBit;  // 8192-byte window
constexpr int kNC = 510;                // literal/length alphabet
constexpr int kNT = 19;                 // code-length alphabet
constexpr int kNP = 14;                 // distance alphabet
constexpr int kTBit = 5;                // count field widths
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kPoolSize = 2 * kNC;  // tree nodes: 1020

// Builds the direct table of `1 << tableBits` entries for the canonical code of `nchar`
// symbols with lengths `bitlen`, and the tree below it for longer codes in `left`/`right`
// (kPoolSize entries each; node numbers from `nchar` up). Only complete codes are accepted:
// weights summing to exactly 2^16, every length at most 16; anything else raises
// ELZHBadDecodeTable.
void BuildDecodeTable(int nchar, const uint8_t* bitlen, int tableBits, uint16_t* table, uint16_t* left,
                      uint16_t* right);

}  // namespace zuv::codecs::lh5
