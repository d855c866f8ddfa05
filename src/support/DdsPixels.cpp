#include "support/DdsImage.h"

#include "support/DdsBytes.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

// Block decoding and the conversion of every decoded format to 32-bit pixels.
namespace {

constexpr int kBlockSide = kDdsBlockSide;
constexpr int kArgbBytes = kDdsArgbBytes;
constexpr uint8_t kOpaque = 255;  // alpha of formats without alpha

constexpr uint32_t kFiveBitMax = 31;
constexpr uint32_t kSixBitMax = 63;
constexpr uint32_t kRgbMask = 0x00FFFFFF;
constexpr int kAlphaShift = 24;

struct Rgb {
    uint32_t r, g, b;
};

template <uint32_t Max> constexpr std::array<uint8_t, Max + 1> expansionTable()
{
    std::array<uint8_t, Max + 1> table{};
    for (uint32_t v = 0; v <= Max; ++v)
        table[v] = uint8_t(v * 255 / Max);  // truncated: r5 = 16 gives 131
    return table;
}
constexpr std::array<uint8_t, kFiveBitMax + 1> kExpand5 = expansionTable<kFiveBitMax>();
constexpr std::array<uint8_t, kSixBitMax + 1> kExpand6 = expansionTable<kSixBitMax>();

Rgb expand565(uint32_t c)
{
    return {
        kExpand5[c >> 11 & kFiveBitMax], kExpand6[c >> 5 & kSixBitMax], kExpand5[c & kFiveBitMax]};
}

uint32_t packArgb(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return a << kAlphaShift | r << 16 | g << 8 | b;
}

uint32_t blendThirds(const Rgb& near, const Rgb& far, uint32_t alpha)
{
    return packArgb((2 * near.r + far.r + 1) / 3, (2 * near.g + far.g + 1) / 3,
        (2 * near.b + far.b + 1) / 3, alpha);
}

// The four colours of a colour block; DXT1 alone switches to three colours when c0 <= c1.
// Both variants are computed and one is selected without a branch: block data is unpredictable.
void colourPalette(const uint8_t* block, bool threeColourAllowed, uint32_t palette[4])
{
    const uint32_t c0 = le16(block);
    const uint32_t c1 = le16(block + 2);
    const Rgb C0 = expand565(c0);
    const Rgb C1 = expand565(c1);
    const uint32_t threeColours = 0u - uint32_t(threeColourAllowed && c0 <= c1);  // all ones or 0
    const uint32_t opaqueThird = blendThirds(C0, C1, kOpaque);
    const uint32_t half
        = packArgb((C0.r + C1.r) / 2, (C0.g + C1.g) / 2, (C0.b + C1.b) / 2, kOpaque);
    palette[0] = packArgb(C0.r, C0.g, C0.b, kOpaque);
    palette[1] = packArgb(C1.r, C1.g, C1.b, kOpaque);
    palette[2] = (half & threeColours) | (opaqueThird & ~threeColours);
    // The last colour keeps its red, green and blue when it turns transparent.
    palette[3] = blendThirds(C1, C0, kOpaque) & ~(threeColours & ~kRgbMask);
}

// Writes one block's 16 pixels; pixelOf(colour, k) turns pixel k's palette colour into the
// final pixel (the alpha formats put their own alpha in).
template <typename PixelOf>
void writeBlock(
    const uint8_t* colourBlock, bool threeColourAllowed, uint32_t* dst, int stride, PixelOf pixelOf)
{
    uint32_t palette[4];
    colourPalette(colourBlock, threeColourAllowed, palette);
    uint32_t indices = le32(colourBlock + 4);
    for (int row = 0; row < kBlockSide; ++row, dst += stride) {
        for (int col = 0; col < kBlockSide; ++col, indices >>= 2)
            dst[col] = pixelOf(palette[indices & 3], row * kBlockSide + col);
    }
}

// Eight alphas from a0 and a1, already in the alpha byte's place; both interpolation modes are
// computed and one is selected without a branch.
void alphaTable(uint32_t a0, uint32_t a1, uint32_t table[8])
{
    const uint32_t eightValues = 0u - uint32_t(a0 > a1);  // all ones or 0
    table[0] = a0 << kAlphaShift;
    table[1] = a1 << kAlphaShift;
    for (uint32_t i = 1; i <= 6; ++i) {
        const uint32_t sevenths = ((7 - i) * a0 + i * a1 + 3) / 7;
        const uint32_t fifths = i <= 4 ? ((5 - i) * a0 + i * a1 + 2) / 5 : (i == 5 ? 0 : 255);
        table[i + 1] = ((sevenths & eightValues) | (fifths & ~eightValues)) << kAlphaShift;
    }
}

uint8_t floatChannel(const uint8_t* p)
{
    const uint32_t u = le32(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    if (!(f > 0))  // also NaN
        f = 0;
    if (f > 1)
        f = 1;
    constexpr double kFullScale = 65535.0;
    return uint8_t(std::lrint(double(f) * kFullScale) >> 8);
}

template <typename PixelToArgb> void convertPixels(ImageRecord& image, PixelToArgb toArgb)
{
    const size_t pixels = size_t(image.width) * size_t(image.height);
    const int bpp = bytesPerPixel(image.format);
    std::vector<uint8_t> out(pixels * kArgbBytes);
    const uint8_t* src = image.bits.data();
    for (size_t i = 0; i < pixels; ++i, src += bpp) {
        const uint32_t v = toArgb(src);
        std::memcpy(out.data() + i * kArgbBytes, &v, kArgbBytes);
    }
    image.bits.swap(out);
    image.format = PixelFormat::A8R8G8B8;
}

uint32_t grey(uint32_t g, uint32_t a)
{
    return packArgb(g, g, g, a);
}

uint32_t expandField(uint32_t pixel, uint32_t mask)
{
    if (!mask)
        return kOpaque;
    int shift = 0;
    while (!(mask >> shift & 1))
        ++shift;
    const uint32_t max = mask >> shift;
    return ((pixel & mask) >> shift) * 255 / max;
}

void convertPacked(ImageRecord& image)
{
    const DdsPackedFormat& m = *ddsPackedFormat(image.format);
    const int bpp = bytesPerPixel(image.format);
    // Every pixel value is looked up: at most 65536 entries.
    std::vector<uint32_t> lut(size_t(1) << (8 * bpp));
    for (uint32_t v = 0; v < lut.size(); ++v)
        lut[v] = packArgb(expandField(v, m.red), expandField(v, m.green), expandField(v, m.blue),
            expandField(v, m.alpha));
    if (bpp == 1)
        convertPixels(image, [&](const uint8_t* p) { return lut[p[0]]; });
    else
        convertPixels(image, [&](const uint8_t* p) { return lut[le16(p)]; });
}

}  // namespace

void decodeDxtBlocks(
    PixelFormat format, const uint8_t* blocks, int width, int height, uint32_t* out)
{
    const int blocksPerRow = width / kBlockSide;
    const int blockRows = height / kBlockSide;
    const uint8_t* block = blocks;
    for (int by = 0; by < blockRows; ++by) {
        for (int bx = 0; bx < blocksPerRow; ++bx) {
            uint32_t* dst = out + size_t(by) * kBlockSide * width + size_t(bx) * kBlockSide;
            if (format == PixelFormat::DXT1) {
                writeBlock(block, true, dst, width, [](uint32_t c, int) { return c; });
                block += kDdsDxt1BlockBytes;
            } else if (format == PixelFormat::DXT3) {
                const uint64_t alphas
                    = le48(block) | uint64_t(le16(block + 6)) << 48;  // 4 bits each
                writeBlock(block + 8, false, dst, width, [alphas](uint32_t c, int k) {
                    return (c & kRgbMask) | uint32_t(alphas >> (4 * k) & 15) * 17 << kAlphaShift;
                });
                block += kDdsDxt35BlockBytes;
            } else {
                uint32_t table[8];
                alphaTable(block[0], block[1], table);
                const uint64_t indices = le48(block + 2);
                writeBlock(block + 8, false, dst, width, [&table, indices](uint32_t c, int k) {
                    return (c & kRgbMask) | table[indices >> (3 * k) & 7];
                });
                block += kDdsDxt35BlockBytes;
            }
        }
    }
}

void ConvertToArgb32(ImageRecord& image)
{
    switch (image.format) {
    case PixelFormat::A8R8G8B8: return;
    case PixelFormat::X8R8G8B8:
        for (size_t i = 3; i < image.bits.size(); i += kArgbBytes)
            image.bits[i] = kOpaque;
        image.format = PixelFormat::A8R8G8B8;
        return;
    case PixelFormat::DXT1:
    case PixelFormat::DXT3:
    case PixelFormat::DXT5: {
        std::vector<uint8_t> out(size_t(image.width) * size_t(image.height) * kArgbBytes);
        // The buffer comes from operator new, so it is aligned for 32-bit pixels.
        decodeDxtBlocks(image.format, image.bits.data(), image.width, image.height,
            reinterpret_cast<uint32_t*>(out.data()));
        image.bits.swap(out);
        image.format = PixelFormat::A8R8G8B8;
        return;
    }
    case PixelFormat::R3G3B2:
    case PixelFormat::R5G6B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::X4R4G4B4: convertPacked(image); return;
    case PixelFormat::R8G8B8:
        convertPixels(image, [](const uint8_t* p) { return packArgb(p[2], p[1], p[0], kOpaque); });
        return;
    case PixelFormat::Gray8:
        convertPixels(image, [](const uint8_t* p) { return grey(p[0], kOpaque); });
        return;
    case PixelFormat::A8Gray8:
        convertPixels(image, [](const uint8_t* p) { return grey(p[0], p[1]); });
        return;
    case PixelFormat::Gray16:
        convertPixels(image, [](const uint8_t* p) { return grey(p[1], kOpaque); });
        return;
    case PixelFormat::A16B16G16R16:  // the high byte of each little-endian channel
        convertPixels(image, [](const uint8_t* p) { return packArgb(p[1], p[3], p[5], p[7]); });
        return;
    case PixelFormat::R32F:
        convertPixels(
            image, [](const uint8_t* p) { return packArgb(floatChannel(p), 0, 0, kOpaque); });
        return;
    case PixelFormat::A32B32G32R32F:
        convertPixels(image, [](const uint8_t* p) {
            return packArgb(
                floatChannel(p), floatChannel(p + 4), floatChannel(p + 8), floatChannel(p + 12));
        });
        return;
    }
}
