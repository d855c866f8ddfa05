// The one-pass conversion into a caller's buffer (used for map images) against the plain steps:
// ConvertToArgb32, then every byte through the table. Random pixel data and a random table, so
// the palette- and lookup-table shortcuts of the one pass meet every byte value.

#include "support/DdsImage.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 12;  // three blocks across
constexpr int kHeight = 8;
constexpr int kPadding = 3;  // pixels past each row that the conversion must leave alone
constexpr uint32_t kUntouched = 0xDEADBEEF;
constexpr int kBlockSide = 4;
constexpr int kDxt1BlockBytes = 8;
constexpr int kDxt35BlockBytes = 16;

ImageRecord randomRecord(PixelFormat format, std::mt19937& random)
{
    ImageRecord image;
    image.width = kWidth;
    image.height = kHeight;
    image.format = format;
    const size_t blocks = size_t(kWidth / kBlockSide) * (kHeight / kBlockSide);
    const size_t bytes = format == PixelFormat::DXT1  ? blocks * kDxt1BlockBytes
                         : isBlockCompressed(format) ? blocks * kDxt35BlockBytes
                                                     : size_t(kWidth) * kHeight * bytesPerPixel(format);
    image.bits.resize(bytes);
    for (uint8_t& b : image.bits)
        b = uint8_t(random());
    return image;
}

// The plain steps, pixel (x, y) of the result.
std::vector<uint32_t> plainSteps(ImageRecord image, const uint8_t* table)
{
    ConvertToArgb32(image);
    if (table)
        for (uint8_t& b : image.bits)
            b = table[b];
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint32_t(image.bits[i * 4]) | uint32_t(image.bits[i * 4 + 1]) << 8
                    | uint32_t(image.bits[i * 4 + 2]) << 16 | uint32_t(image.bits[i * 4 + 3]) << 24;
    return pixels;
}

struct Case {
    PixelFormat format;
    bool withTable;
};

class DdsConvertInto : public testing::TestWithParam<Case> { };

TEST_P(DdsConvertInto, GivesThePixelsOfThePlainStepsAndKeepsThePadding)
{
    const Case c = GetParam();
    constexpr int kSeeds = 20;
    for (int seed = 0; seed < kSeeds; ++seed) {
        std::mt19937 random(seed);
        const ImageRecord image = randomRecord(c.format, random);
        std::array<uint8_t, 256> table{};
        for (uint8_t& entry : table)
            entry = uint8_t(random());
        const uint8_t* map = c.withTable ? table.data() : nullptr;

        const size_t stride = kWidth + kPadding;
        std::vector<uint32_t> out(stride * kHeight, kUntouched);
        ConvertToArgb32Into(image, out.data(), stride, map);

        const std::vector<uint32_t> expected = plainSteps(image, map);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(out[y * stride + x], expected[size_t(y) * kWidth + x])
                    << pixelFormatName(c.format) << " seed " << seed << " at " << x << "," << y;
            for (int x = kWidth; x < int(stride); ++x)
                ASSERT_EQ(out[y * stride + x], kUntouched) << "padding written in row " << y;
        }
    }
}

std::vector<Case> everyFormat()
{
    const PixelFormat formats[] = {PixelFormat::Gray8, PixelFormat::A8Gray8, PixelFormat::Gray16,
        PixelFormat::R3G3B2, PixelFormat::R5G6B5, PixelFormat::A1R5G5B5, PixelFormat::A4R4G4B4,
        PixelFormat::X1R5G5B5, PixelFormat::X4R4G4B4, PixelFormat::R8G8B8, PixelFormat::A8R8G8B8,
        PixelFormat::X8R8G8B8, PixelFormat::A16B16G16R16, PixelFormat::R32F,
        PixelFormat::A32B32G32R32F, PixelFormat::DXT1, PixelFormat::DXT3, PixelFormat::DXT5};
    std::vector<Case> cases;
    for (const PixelFormat format : formats)
        for (const bool withTable : {false, true})
            cases.push_back({format, withTable});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Formats, DdsConvertInto, testing::ValuesIn(everyFormat()),
    [](const testing::TestParamInfo<Case>& info) {
        return std::string(pixelFormatName(info.param.format)) + (info.param.withTable ? "_table" : "_plain");
    });

}  // namespace
