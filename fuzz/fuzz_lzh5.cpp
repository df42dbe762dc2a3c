// Expands arbitrary bytes with the lzh5 method and round-trips them through its compressor.
#include "codec_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return zuv::fuzz::ExpandAndRoundTrip(zuv::codecs::coLZH5, data, size);
}
