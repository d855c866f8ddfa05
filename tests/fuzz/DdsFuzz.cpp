// libFuzzer target: any bytes through the in-memory DDS decoder and the 32-bit conversion.

#include "support/DdsImage.h"

#include <cstddef>
#include <cstdint>

namespace {
// Small enough that a forged header cannot slow the fuzzer down with huge zero-filled images.
constexpr uint64_t kFuzzMaxDecodedBytes = uint64_t(16) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DdsLimits limits;
    limits.maxDecodedBytes = kFuzzMaxDecodedBytes;
    try {
        ImageRecord image = DecodeDdsMemory(data, size, "fuzz.dds", limits);
        ConvertToArgb32(image);
        const size_t expected = size_t(image.width) * size_t(image.height) * 4;
        if (image.bits.size() != expected)
            __builtin_trap();
    } catch (const EImageError&) {
    }
    return 0;
}
