#pragma once
// Builds DDS files in memory for tests: a header of chosen fields followed by chosen data bytes.
// Plain C++ so that both the decoder tests and the map image tests use it.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace ddstest {

constexpr uint32_t kFlagsRequired = 0x1007;
constexpr uint32_t kFlagPitch = 0x8;
constexpr uint32_t kFlagMipmapCount = 0x20000;
constexpr uint32_t kFlagLinearSize = 0x80000;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kPfAlpha = 0x1;
constexpr uint32_t kPfFourCC = 0x4;
constexpr uint32_t kPfRgb = 0x40;
constexpr uint32_t kPfLuminance = 0x20000;
constexpr uint32_t kHeaderSize = 124;
constexpr size_t kHeaderBytes = 128;

inline uint32_t code(const char (&c)[5])
{
    return uint32_t(uint8_t(c[0])) | uint32_t(uint8_t(c[1])) << 8 | uint32_t(uint8_t(c[2])) << 16
           | uint32_t(uint8_t(c[3])) << 24;
}

// The header fields a test chooses; the other header bytes are zero. Defaults: a 4 x 4 DXT1.
struct Header {
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t flags = kFlagsRequired;
    uint32_t pitch = 0;
    uint32_t pfFlags = kPfFourCC;
    uint32_t fourCC = code("DXT1");
    uint32_t bits = 0;
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;
    uint32_t caps = kCapsTexture;
    uint32_t caps2 = 0;
    uint32_t headerSize = kHeaderSize;
    uint32_t mipmaps = 0;
};

inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

inline std::vector<uint8_t> ddsFile(const Header& h, const std::vector<uint8_t>& data = {})
{
    std::vector<uint8_t> b(kHeaderBytes, 0);
    std::memcpy(b.data(), "DDS ", 4);
    const std::pair<size_t, uint32_t> fields[]
        = {{4, h.headerSize}, {8, h.flags}, {12, h.height}, {16, h.width}, {20, h.pitch},
            {28, h.mipmaps}, {76, 32}, {80, h.pfFlags}, {84, h.fourCC}, {88, h.bits}, {92, h.red},
            {96, h.green}, {100, h.blue}, {104, h.alpha}, {108, h.caps}, {112, h.caps2}};
    for (const auto& [offset, value] : fields)
        put32(b, offset, value);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A header for uncompressed pixels of `bits` bits with the given flags and masks, 2 x 2.
inline Header rgbHeader(
    uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint32_t pf = kPfRgb)
{
    Header h;
    h.width = 2;
    h.height = 2;
    h.pfFlags = pf;
    h.fourCC = 0;
    h.bits = bits;
    h.red = r;
    h.green = g;
    h.blue = b;
    h.alpha = a;
    return h;
}

// A width x height A8R8G8B8 file whose pixels (bytes blue, green, red, alpha) are given.
inline std::vector<uint8_t> argbFile(
    uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels)
{
    Header h = rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, kPfRgb | kPfAlpha);
    h.width = width;
    h.height = height;
    return ddsFile(h, pixels);
}

inline bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace ddstest
