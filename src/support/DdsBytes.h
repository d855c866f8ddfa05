#pragma once
// Internal to the DDS decoder: little-endian reads and the layout facts that both the file
// reader and the pixel converter rely on.

#include "support/DdsImage.h"

#include <cstdint>

inline uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint64_t le48(const uint8_t* p)
{
    return uint64_t(le32(p)) | uint64_t(le16(p + 4)) << 32;
}

constexpr int kDdsBlockSide = 4;  // block-compressed formats code 4 x 4 pixels per block
constexpr int kDdsDxt1BlockBytes = 8;
constexpr int kDdsDxt35BlockBytes = 16;
constexpr int kDdsArgbBytes = 4;

// Bit masks of the packed formats; they both recognise a format and unpack its pixels.
struct DdsPackedFormat {
    PixelFormat format;
    uint32_t alpha, red, green, blue;
};

inline constexpr DdsPackedFormat kDdsPackedFormats[] = {
    {PixelFormat::R3G3B2, 0, 0xE0, 0x1C, 0x03},
    {PixelFormat::R5G6B5, 0, 0xF800, 0x07E0, 0x001F},
    {PixelFormat::A1R5G5B5, 0x8000, 0x7C00, 0x03E0, 0x001F},
    {PixelFormat::A4R4G4B4, 0xF000, 0x0F00, 0x00F0, 0x000F},
    {PixelFormat::X1R5G5B5, 0, 0x7C00, 0x03E0, 0x001F},
    {PixelFormat::X4R4G4B4, 0, 0x0F00, 0x00F0, 0x000F},
};

inline const DdsPackedFormat* ddsPackedFormat(PixelFormat format)
{
    for (const DdsPackedFormat& m : kDdsPackedFormats)
        if (m.format == format)
            return &m;
    return nullptr;
}
