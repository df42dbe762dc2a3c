// Expands arbitrary bytes with the rle method and round-trips them through its compressor.
#include "codec_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return zuv::fuzz::ExpandAndRoundTrip(zuv::codecs::coRLE, data, size);
}
