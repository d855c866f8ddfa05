// libFuzzer target: any bytes through the in-memory DDS decoder and the 32-bit conversion.

#include "support/DdsImage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Small enough that a forged header cannot slow the fuzzer down with huge zero-filled images.
constexpr uint64_t kFuzzMaxDecodedBytes = uint64_t(1) << 20;
constexpr size_t kHeaderBytes = 128;
constexpr size_t kFlagsOffset = 8;
constexpr size_t kCapsOffset = 108;
constexpr uint8_t kRequiredFlagsLow = 0x07;   // 0x1007: caps, height, width ...
constexpr uint8_t kRequiredFlagsHigh = 0x10;  // ... and pixel format
constexpr uint8_t kCapsTextureByte = 0x10;    // 0x1000 in the second byte

void decode(const uint8_t* data, size_t size, const DdsLimits& limits)
{
    try {
        ImageRecord image = DecodeDdsMemory(data, size, "fuzz.dds", limits);
        ConvertToArgb32(image);
        if (image.bits.size() != size_t(image.width) * size_t(image.height) * 4)
            __builtin_trap();
    } catch (const EImageError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DdsLimits limits;
    limits.maxDecodedBytes = kFuzzMaxDecodedBytes;
    decode(data, size, limits);

    // Random bytes almost never pass the recognition test, so also decode them with the magic and
    // the required flag bits forced: every other header field and the data stay fuzzed.
    if (size >= kHeaderBytes) {
        std::vector<uint8_t> patched(data, data + size);
        std::memcpy(patched.data(), "DDS ", 4);
        patched[kFlagsOffset] |= kRequiredFlagsLow;
        patched[kFlagsOffset + 1] |= kRequiredFlagsHigh;
        patched[kCapsOffset + 1] |= kCapsTextureByte;
        decode(patched.data(), patched.size(), limits);
    }
    return 0;
}
