#include "support/DdsImage.h"

#include "support/DdsBytes.h"

#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>
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

// The palette as colourPalette gives it.
struct PlainPalette {
    void operator()(const uint8_t* block, bool threeColourAllowed, uint32_t palette[4]) const
    {
        colourPalette(block, threeColourAllowed, palette);
    }
};

// colourPalette with every byte then put through a 256-entry table (the gamma of a map image).
// Each byte of a palette is the table entry of an expanded endpoint channel, or of a third or a
// half between two of them: with those entries computed once per image, a block's mapped
// palette costs a few loads instead of the blends and sixteen lookups.
class MappedPalette {
public:
    explicit MappedPalette(const uint8_t* table)
        : m_opaque(uint32_t(table[kOpaque]) << kAlphaShift), m_clear(uint32_t(table[0]) << kAlphaShift)
    {
        fill(table, kExpand5, m_end5, m_third5, m_half5);
        fill(table, kExpand6, m_end6, m_third6, m_half6);
    }

    void operator()(const uint8_t* block, bool threeColourAllowed, uint32_t palette[4]) const
    {
        const uint32_t c0 = le16(block);
        const uint32_t c1 = le16(block + 2);
        const uint32_t threeColours = 0u - uint32_t(threeColourAllowed && c0 <= c1);  // all ones or 0
        const uint32_t r0 = c0 >> 11 & kFiveBitMax, g0 = c0 >> 5 & kSixBitMax, b0 = c0 & kFiveBitMax;
        const uint32_t r1 = c1 >> 11 & kFiveBitMax, g1 = c1 >> 5 & kSixBitMax, b1 = c1 & kFiveBitMax;
        const auto pair5 = [](uint32_t near, uint32_t far) { return near * (kFiveBitMax + 1) + far; };
        const auto pair6 = [](uint32_t near, uint32_t far) { return near * (kSixBitMax + 1) + far; };
        const uint32_t half
            = packArgb(m_half5[pair5(r0, r1)], m_half6[pair6(g0, g1)], m_half5[pair5(b0, b1)], 0);
        const uint32_t third
            = packArgb(m_third5[pair5(r0, r1)], m_third6[pair6(g0, g1)], m_third5[pair5(b0, b1)], 0);
        palette[0] = m_opaque | packArgb(m_end5[r0], m_end6[g0], m_end5[b0], 0);
        palette[1] = m_opaque | packArgb(m_end5[r1], m_end6[g1], m_end5[b1], 0);
        palette[2] = m_opaque | (half & threeColours) | (third & ~threeColours);
        palette[3] = packArgb(m_third5[pair5(r1, r0)], m_third6[pair6(g1, g0)], m_third5[pair5(b1, b0)], 0)
                     | (m_clear & threeColours) | (m_opaque & ~threeColours);
    }

private:
    template <size_t N>
    static void fill(const uint8_t* table, const std::array<uint8_t, N>& expand,
        std::array<uint8_t, N>& end, std::array<uint8_t, N * N>& third, std::array<uint8_t, N * N>& half)
    {
        for (size_t near = 0; near < N; ++near) {
            end[near] = table[expand[near]];
            for (size_t far = 0; far < N; ++far) {
                third[near * N + far] = table[(2 * expand[near] + expand[far] + 1) / 3];
                half[near * N + far] = table[(expand[near] + expand[far]) / 2];
            }
        }
    }

    uint32_t m_opaque;  // the mapped alpha bytes, in place
    uint32_t m_clear;
    std::array<uint8_t, kFiveBitMax + 1> m_end5{};
    std::array<uint8_t, kSixBitMax + 1> m_end6{};
    std::array<uint8_t, (kFiveBitMax + 1) * (kFiveBitMax + 1)> m_third5{}, m_half5{};
    std::array<uint8_t, (kSixBitMax + 1) * (kSixBitMax + 1)> m_third6{}, m_half6{};
};

// Writes one block's 16 pixels; pixelOf(colour, k) turns pixel k's palette colour into the
// final pixel (the alpha formats put their own alpha in).
template <typename PaletteOf, typename PixelOf>
void writeBlock(const uint8_t* colourBlock, bool threeColourAllowed, uint32_t* dst, size_t stride,
    const PaletteOf& paletteOf, PixelOf pixelOf)
{
    uint32_t palette[4];
    paletteOf(colourBlock, threeColourAllowed, palette);
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

// Every pixel value of a packed format looked up: at most 65536 entries.
std::vector<uint32_t> packedTable(PixelFormat format)
{
    const DdsPackedFormat& m = *ddsPackedFormat(format);
    std::vector<uint32_t> lut(size_t(1) << (8 * bytesPerPixel(format)));
    for (uint32_t v = 0; v < lut.size(); ++v)
        lut[v] = packArgb(expandField(v, m.red), expandField(v, m.green), expandField(v, m.blue),
            expandField(v, m.alpha));
    return lut;
}

// Block decoding into rows `stride` pixels apart. `paletteOf` gives the colour palette with
// `map` applied to each of its bytes, and `map` acts on each byte of the alpha table, so every
// pixel comes out as if mapped byte by byte.
template <typename ByteMap, typename PaletteOf>
void decodeBlocksInto(PixelFormat format, const uint8_t* blocks, int width, int height,
    uint32_t* out, size_t stride, ByteMap map, const PaletteOf& paletteOf)
{
    const int blocksPerRow = width / kBlockSide;
    const int blockRows = height / kBlockSide;
    const uint8_t* block = blocks;
    const auto paletteColour = [](uint32_t c, int) { return c; };
    for (int by = 0; by < blockRows; ++by) {
        for (int bx = 0; bx < blocksPerRow; ++bx) {
            uint32_t* dst = out + size_t(by) * kBlockSide * stride + size_t(bx) * kBlockSide;
            if (format == PixelFormat::DXT1) {
                writeBlock(block, true, dst, stride, paletteOf, paletteColour);
                block += kDdsDxt1BlockBytes;
            } else if (format == PixelFormat::DXT3) {
                const uint64_t alphas
                    = le48(block) | uint64_t(le16(block + 6)) << 48;  // 4 bits each
                writeBlock(block + 8, false, dst, stride, paletteOf, [alphas, map](uint32_t c, int k) {
                    const uint32_t alpha = uint32_t(alphas >> (4 * k) & 15) * 17 << kAlphaShift;
                    return (c & kRgbMask) | (map(alpha) & ~kRgbMask);
                });
                block += kDdsDxt35BlockBytes;
            } else {
                uint32_t table[8];
                alphaTable(block[0], block[1], table);
                for (uint32_t& alpha : table)
                    alpha = map(alpha) & ~kRgbMask;
                const uint64_t indices = le48(block + 2);
                writeBlock(block + 8, false, dst, stride, paletteOf, [&table, indices](uint32_t c, int k) {
                    return (c & kRgbMask) | table[indices >> (3 * k) & 7];
                });
                block += kDdsDxt35BlockBytes;
            }
        }
    }
}

// Every byte of a pixel through a 256-entry table.
struct TableMap {
    const uint8_t* table;
    uint32_t operator()(uint32_t v) const
    {
        return uint32_t(table[v & 0xFF]) | uint32_t(table[v >> 8 & 0xFF]) << 8
               | uint32_t(table[v >> 16 & 0xFF]) << 16 | uint32_t(table[v >> 24]) << 24;
    }
};

struct IdentityMap {
    uint32_t operator()(uint32_t v) const { return v; }
};

// Converts every pixel with toArgb into rows `stride` pixels apart, each through map.
template <typename PixelToArgb, typename ByteMap>
void convertRows(const ImageRecord& image, uint32_t* out, size_t stride, PixelToArgb toArgb, ByteMap map)
{
    const int bpp = bytesPerPixel(image.format);
    const uint8_t* src = image.bits.data();
    for (int32_t y = 0; y < image.height; ++y) {
        uint32_t* row = out + size_t(y) * stride;
        for (int32_t x = 0; x < image.width; ++x, src += bpp)
            row[x] = map(toArgb(src));
    }
}

uint32_t grey(uint32_t g, uint32_t a)
{
    return packArgb(g, g, g, a);
}

template <typename ByteMap>
void convertInto(const ImageRecord& image, uint32_t* out, size_t stride, ByteMap map)
{
    const auto rows = [&](auto toArgb) { convertRows(image, out, stride, toArgb, map); };
    switch (image.format) {
    case PixelFormat::A8R8G8B8: rows([](const uint8_t* p) { return le32(p); }); return;
    case PixelFormat::X8R8G8B8:
        rows([](const uint8_t* p) { return le32(p) | uint32_t(kOpaque) << kAlphaShift; });
        return;
    case PixelFormat::DXT1:
    case PixelFormat::DXT3:
    case PixelFormat::DXT5:
        if constexpr (std::is_same_v<ByteMap, TableMap>) {
            const MappedPalette palettes(map.table);
            decodeBlocksInto(image.format, image.bits.data(), image.width, image.height, out, stride, map, palettes);
        } else {
            decodeBlocksInto(image.format, image.bits.data(), image.width, image.height, out, stride, map,
                PlainPalette());
        }
        return;
    case PixelFormat::R3G3B2:
    case PixelFormat::R5G6B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::X4R4G4B4: {
        std::vector<uint32_t> lut = packedTable(image.format);
        for (uint32_t& entry : lut)  // mapped once per value rather than once per pixel
            entry = map(entry);
        if (bytesPerPixel(image.format) == 1)
            convertRows(image, out, stride, [&lut](const uint8_t* p) { return lut[p[0]]; }, IdentityMap());
        else
            convertRows(image, out, stride, [&lut](const uint8_t* p) { return lut[le16(p)]; }, IdentityMap());
        return;
    }
    case PixelFormat::R8G8B8: rows([](const uint8_t* p) { return packArgb(p[2], p[1], p[0], kOpaque); }); return;
    case PixelFormat::Gray8: rows([](const uint8_t* p) { return grey(p[0], kOpaque); }); return;
    case PixelFormat::A8Gray8: rows([](const uint8_t* p) { return grey(p[0], p[1]); }); return;
    case PixelFormat::Gray16: rows([](const uint8_t* p) { return grey(p[1], kOpaque); }); return;
    case PixelFormat::A16B16G16R16:  // the high byte of each little-endian channel
        rows([](const uint8_t* p) { return packArgb(p[1], p[3], p[5], p[7]); });
        return;
    case PixelFormat::R32F:
        rows([](const uint8_t* p) { return packArgb(floatChannel(p), 0, 0, kOpaque); });
        return;
    case PixelFormat::A32B32G32R32F:
        rows([](const uint8_t* p) {
            return packArgb(floatChannel(p), floatChannel(p + 4), floatChannel(p + 8), floatChannel(p + 12));
        });
        return;
    }
}

}  // namespace

void decodeDxtBlocks(
    PixelFormat format, const uint8_t* blocks, int width, int height, uint32_t* out)
{
    decodeBlocksInto(format, blocks, width, height, out, size_t(width), IdentityMap(), PlainPalette());
}

void ConvertToArgb32Into(const ImageRecord& image, uint32_t* out, size_t stride, const uint8_t* byteMap)
{
    if (byteMap)
        convertInto(image, out, stride, TableMap{byteMap});
    else
        convertInto(image, out, stride, IdentityMap());
}

void ConvertToArgb32(ImageRecord& image)
{
    if (image.format == PixelFormat::A8R8G8B8)
        return;
    std::vector<uint8_t> out(size_t(image.width) * size_t(image.height) * kArgbBytes);
    // The buffer comes from operator new, so it is aligned for 32-bit pixels.
    ConvertToArgb32Into(image, reinterpret_cast<uint32_t*>(out.data()), size_t(image.width), nullptr);
    image.bits.swap(out);
    image.format = PixelFormat::A8R8G8B8;
}
