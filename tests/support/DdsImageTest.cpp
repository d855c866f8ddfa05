// DDS decoding over hand-made files: header recognition, format rules, data reading, block
// arithmetic, conversion to 32 bits and the error messages.

#include "support/DdsImage.h"

#include "../helpers/DdsTestFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace ddstest;

constexpr uint32_t kPf40000 = 0x40000;
constexpr uint32_t kPf80000 = 0x80000;

ImageRecord decode(const std::vector<uint8_t>& file, const DdsLimits& limits = {})
{
    return DecodeDdsMemory(file.data(), file.size(), "test.dds", limits);
}

uint32_t pixel(const ImageRecord& image, int x, int y)
{
    EXPECT_EQ(image.format, PixelFormat::A8R8G8B8);
    const size_t at = (size_t(y) * image.width + x) * 4;
    return uint32_t(image.bits[at]) | uint32_t(image.bits[at + 1]) << 8
           | uint32_t(image.bits[at + 2]) << 16 | uint32_t(image.bits[at + 3]) << 24;
}

ImageRecord decodeArgb(const std::vector<uint8_t>& file)
{
    ImageRecord image = decode(file);
    ConvertToArgb32(image);
    return image;
}

// One DXT colour block: c0, c1 and the 2-bit indices (pixel 0 in the lowest bits).
std::vector<uint8_t> colourBlock(uint16_t c0, uint16_t c1, uint32_t indices)
{
    std::vector<uint8_t> b(8);
    b[0] = uint8_t(c0);
    b[1] = uint8_t(c0 >> 8);
    b[2] = uint8_t(c1);
    b[3] = uint8_t(c1 >> 8);
    put32(b, 4, indices);
    return b;
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr uint16_t kRed565 = 0xF800;
constexpr uint16_t kBlue565 = 0x001F;
constexpr uint16_t kMid565 = 0x8410;               // r5 = 16, g6 = 32, b5 = 16
constexpr uint32_t kIndicesByColumn = 0xE4E4E4E4;  // columns 0..3 take colours 0..3

const std::string kNotDds
    = "Error while loading images from file \"test.dds\". Exception Message: "
      "File \"test.dds\" is not valid image in \"DirectDraw Surface\" format.";

std::string messageOf(const std::vector<uint8_t>& file, const DdsLimits& limits = {})
{
    try {
        decode(file, limits);
    } catch (const EImageError& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(DdsRecognition, RejectsHeadersWithTheTwoPartMessage)
{
    Header noCaps;
    noCaps.caps = 0;
    EXPECT_EQ(messageOf(ddsFile(noCaps, std::vector<uint8_t>(8))), kNotDds);

    Header missingFlag;
    missingFlag.flags = 0x1006;
    EXPECT_EQ(messageOf(ddsFile(missingFlag)), kNotDds);

    std::vector<uint8_t> badMagic = ddsFile(Header{});
    badMagic[3] = 'X';
    EXPECT_EQ(messageOf(badMagic), kNotDds);

    std::vector<uint8_t> shortHeader = ddsFile(Header{});
    shortHeader.resize(127);
    EXPECT_EQ(messageOf(shortHeader), kNotDds);
}

TEST(DdsRecognition, EveryCutOfAValidFileFailsCleanlyOrDecodes)
{
    const std::vector<uint8_t> full = ddsFile(Header{}, colourBlock(kRed565, kBlue565, 0x55555555));
    for (size_t len = 0; len <= full.size(); ++len) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + len);
        if (len < 128) {
            EXPECT_EQ(messageOf(cut), kNotDds) << len;
            continue;
        }
        // Incomplete block data is a short file: no error, the missing bytes are zero.
        ImageRecord image = decodeArgb(cut);
        EXPECT_EQ(image.width, 4) << len;
        if (len == full.size()) {
            EXPECT_EQ(pixel(image, 0, 0), 0xFF0000FFu);
        }
    }
}

TEST(DdsFile, ExtensionDecidesWhetherTheFileIsOffered)
{
    const std::string dir = ::testing::TempDir();
    const std::string upper = dir + "dds_ext_test.DDS";
    ASSERT_TRUE(writeFile(upper, ddsFile(Header{}, colourBlock(kRed565, kRed565, 0))));
    std::optional<ImageRecord> image = DecodeDds(upper);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->format, PixelFormat::DXT1);
    std::remove(upper.c_str());

    // Not offered: no file access, so a missing file is no error either.
    EXPECT_FALSE(DecodeDds(dir + "missing.dds.bak").has_value());
    EXPECT_FALSE(DecodeDds(dir + "missing").has_value());
    EXPECT_FALSE(DecodeDds(dir + "missing.ddsx").has_value());
}

TEST(DdsFile, MissingFileReportsTheLoadingMessage)
{
    const std::string name = ::testing::TempDir() + "no_such_map.dds";
    try {
        DecodeDds(name);
        FAIL() << "no error";
    } catch (const EImageError& e) {
        const std::string prefix
            = "Error while loading images from file \"" + name + "\". Exception Message: ";
        EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix);
    }
}

TEST(DdsLimitsTest, RejectsSizesBeforeAllocating)
{
    const std::string prefix
        = "Error while loading images from file \"test.dds\". Exception Message: ";
    Header h = rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0);
    for (auto [w, ht] : {std::pair{0u, 4u}, {4u, 0u}, {16385u, 4u}, {4u, 0xFFFFFFFFu}}) {
        h.width = w;
        h.height = ht;
        const std::string msg = messageOf(ddsFile(h));
        EXPECT_EQ(msg.substr(0, prefix.size()), prefix) << w << "x" << ht;
    }
    // 16384 x 16384 pixels of 16 bytes would be 4 GiB.
    Header huge;
    huge.width = huge.height = 16384;
    huge.fourCC = 116;
    EXPECT_EQ(messageOf(ddsFile(huge)).substr(0, prefix.size()), prefix);

    DdsLimits small;
    small.maxDecodedBytes = 1024;
    Header over = rgbHeader(8, 0xE0, 0x1C, 0x03, 0);  // 1 byte per pixel, but 4 once converted
    over.width = over.height = 32;
    EXPECT_EQ(messageOf(ddsFile(over), small).substr(0, prefix.size()), prefix);
    over.width = over.height = 16;
    EXPECT_EQ(decode(ddsFile(over), small).width, 16);
}

// The header check refuses exactly the files that decoding refuses, with the same message.
TEST(DdsFile, HeaderCheckAgreesWithDecoding)
{
    Header unknownFormat;
    unknownFormat.fourCC = code("ATI2");
    Header huge;
    huge.width = huge.height = 16384;
    huge.fourCC = 116;
    Header noCaps;
    noCaps.caps = 0;
    const std::vector<uint8_t> valid = ddsFile(Header{}, colourBlock(kRed565, kBlue565, 0));
    std::vector<std::vector<uint8_t>> files = {valid, ddsFile(unknownFormat), ddsFile(huge),
                                               ddsFile(noCaps)};
    for (size_t len : {0, 4, 127, 128, 130})
        files.emplace_back(valid.begin(), valid.begin() + len);

    const std::string name = ::testing::TempDir() + "dds_check_test.dds";
    for (size_t i = 0; i < files.size(); ++i) {
        ASSERT_TRUE(writeFile(name, files[i]));
        std::optional<std::string> decodeError;
        try {
            DecodeDds(name);
        } catch (const EImageError& e) {
            decodeError = e.what();
        }
        EXPECT_EQ(DdsFileProblem(name), decodeError) << "file " << i;
    }
    std::remove(name.c_str());
    EXPECT_TRUE(DdsFileProblem(name).has_value());
}

// ---- Pixel format rules --------------------------------------------------------------------

struct FormatRow {
    const char* name;
    Header header;
    const char* expected;  // nullptr: unknown, a black A8R8G8B8 image
};

class DdsFormatRules : public ::testing::TestWithParam<FormatRow> { };

TEST_P(DdsFormatRules, ChoosesTheFirstApplicableRule)
{
    const FormatRow& row = GetParam();
    const std::vector<uint8_t> data(2 * 2 * 16, 0x5A);
    const ImageRecord image = decode(ddsFile(row.header, data));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    if (!row.expected) {
        EXPECT_EQ(image.format, PixelFormat::A8R8G8B8);
        EXPECT_EQ(image.bits, std::vector<uint8_t>(16, 0));
    } else {
        EXPECT_STREQ(pixelFormatName(image.format), row.expected);
    }
}

Header fourCCHeader(uint32_t fourCC)
{
    Header h = rgbHeader(0, 0, 0, 0, 0, kPfFourCC);
    h.fourCC = fourCC;
    return h;
}

INSTANTIATE_TEST_SUITE_P(Rules, DdsFormatRules,
    ::testing::Values(FormatRow{"fourcc36", fourCCHeader(36), "A16B16G16R16"},
        FormatRow{"fourcc114", fourCCHeader(114), "R32F"},
        FormatRow{"fourcc116", fourCCHeader(116), "A32B32G32R32F"},
        FormatRow{"fourccOther", fourCCHeader(code("ATI2")), nullptr},
        FormatRow{"fourccWinsOverRgb",
            [] {
                Header h = fourCCHeader(code("DXT2"));
                h.pfFlags |= kPfRgb;
                h.bits = 32;
                return h;
            }(),
            nullptr},
        FormatRow{
            "argb1555", rgbHeader(16, 0x7C00, 0x3E0, 0x1F, 0x8000, kPfRgb | kPfAlpha), "A1R5G5B5"},
        FormatRow{
            "argb4444", rgbHeader(16, 0xF00, 0xF0, 0xF, 0xF000, kPfRgb | kPfAlpha), "A4R4G4B4"},
        FormatRow{"argb16Other", rgbHeader(16, 0xF800, 0x7E0, 0x1F, 0, kPfRgb | kPfAlpha), nullptr},
        FormatRow{"argb32AnyMasks", rgbHeader(32, 1, 2, 3, 4, kPfRgb | kPfAlpha), "A8R8G8B8"},
        FormatRow{"argb24", rgbHeader(24, 0xFF0000, 0xFF00, 0xFF, 0, kPfRgb | kPfAlpha), nullptr},
        FormatRow{"rgb332", rgbHeader(8, 0xE0, 0x1C, 0x03, 0), "R3G3B2"},
        FormatRow{"rgb8Other", rgbHeader(8, 0xE0, 0x1C, 0x03, 1), nullptr},
        FormatRow{"rgb565", rgbHeader(16, 0xF800, 0x7E0, 0x1F, 0), "R5G6B5"},
        FormatRow{"xrgb1555", rgbHeader(16, 0x7C00, 0x3E0, 0x1F, 0), "X1R5G5B5"},
        FormatRow{"xrgb4444", rgbHeader(16, 0xF00, 0xF0, 0xF, 0), "X4R4G4B4"},
        FormatRow{"rgb16Alpha", rgbHeader(16, 0x7C00, 0x3E0, 0x1F, 0x8000), nullptr},
        FormatRow{"rgb24AnyMasks", rgbHeader(24, 0, 0, 0, 0), "R8G8B8"},
        FormatRow{"xrgb32AnyMasks", rgbHeader(32, 7, 7, 7, 7), "X8R8G8B8"},
        FormatRow{"luminanceAlpha", rgbHeader(16, 0xFF, 0, 0, 0xFF00, kPfLuminance | kPfAlpha),
            "A8Gray8"},
        FormatRow{"luminance8", rgbHeader(8, 0xFF, 0, 0, 0, kPfLuminance), "Gray8"},
        FormatRow{"luminance16", rgbHeader(16, 0xFFFF, 0, 0, 0, kPfLuminance), "Gray16"},
        FormatRow{"luminanceAlpha8", rgbHeader(8, 0xFF, 0, 0, 0, kPfLuminance | kPfAlpha), nullptr},
        FormatRow{"flag40000", rgbHeader(32, 0xFF, 0xFF00, 0xFF0000, 0, kPf40000), "X8R8G8B8"},
        FormatRow{
            "flag40000OtherBlue", rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0, kPf40000), nullptr},
        FormatRow{"flag80000Grey", rgbHeader(16, 0, 0, 0, 0, kPf80000), "A8Gray8"},
        FormatRow{"flag80000Argb", rgbHeader(32, 0, 0, 0, 0xFF000000, kPf80000), "A8R8G8B8"},
        FormatRow{"flag80000NoAlphaMask", rgbHeader(32, 0, 0, 0, 0, kPf80000), nullptr},
        FormatRow{"flag80000Wide", rgbHeader(64, 0, 0, 0, 0, kPf80000), "A16B16G16R16"},
        FormatRow{"noFlags", rgbHeader(32, 0, 0, 0, 0, 0), nullptr}),
    [](const ::testing::TestParamInfo<FormatRow>& info) { return std::string(info.param.name); });

// ---- Reading the data -----------------------------------------------------------------------

TEST(DdsReading, ExchangesRedAndBlueWhenBlueSitsInTheRedBits)
{
    const std::vector<uint8_t> px = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const ImageRecord swapped
        = decode(ddsFile(rgbHeader(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, kPfRgb | kPfAlpha), px));
    EXPECT_EQ(swapped.bits,
        (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16}));
    const ImageRecord plain
        = decode(ddsFile(rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, kPfRgb | kPfAlpha), px));
    EXPECT_EQ(plain.bits, px);
    const ImageRecord x8 = decode(ddsFile(rgbHeader(32, 0xFF, 0xFF00, 0xFF0000, 0), px));
    EXPECT_EQ(x8.bits[0], 3);
    EXPECT_EQ(x8.bits[2], 1);
}

TEST(DdsReading, RgbWithAnyMasksIsBlueGreenRed)
{
    const std::vector<uint8_t> px = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    const ImageRecord image = decodeArgb(ddsFile(rgbHeader(24, 0xFF, 0xFF00, 0xFF0000, 0), px));
    EXPECT_EQ(pixel(image, 0, 0), 0xFF1E140Au);
    EXPECT_EQ(pixel(image, 1, 1), 0xFF786E64u);
}

TEST(DdsReading, PitchSpacesTheRowsAndDataStartFollowsTheHeaderSize)
{
    Header h = rgbHeader(8, 0xE0, 0x1C, 0x03, 0);
    h.flags |= kFlagPitch;
    h.pitch = 5;  // 2 pixels per row, 3 bytes of padding
    h.headerSize = kHeaderSize + 4;
    const std::vector<uint8_t> data = {9, 9, 9, 9, 0x11, 0x12, 0xAA, 0xAA, 0xAA, 0x21, 0x22, 0xBB};
    const ImageRecord image = decode(ddsFile(h, data));
    EXPECT_EQ(image.bits, (std::vector<uint8_t>{0x11, 0x12, 0x21, 0x22}));
}

TEST(DdsReading, RowsBeyondTheAnnouncedDataStayZero)
{
    Header h = rgbHeader(8, 0xE0, 0x1C, 0x03, 0);
    h.flags |= kFlagPitch;
    h.pitch = 1;  // overlapping rows: the data end after 2 bytes
    const ImageRecord image = decode(ddsFile(h, {0x31, 0x32, 0x33, 0x34}));
    EXPECT_EQ(image.bits, (std::vector<uint8_t>{0x31, 0x32, 0x32, 0}));

    h.pitch = 0;
    EXPECT_EQ(decode(ddsFile(h, {1, 2, 3, 4})).bits, std::vector<uint8_t>(4, 0));
}

TEST(DdsReading, ShortFileLeavesTheRestZero)
{
    const ImageRecord image
        = decode(ddsFile(rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0), {1, 2, 3, 4, 5, 6}));
    std::vector<uint8_t> expected(16, 0);
    for (int i = 0; i < 6; ++i)
        expected[i] = uint8_t(i + 1);
    EXPECT_EQ(image.bits, expected);
}

// A file cut short is told from its header and length: it lacks a byte that decoding reads.
TEST(DdsReading, CutShortIsToldByTheLastByteRead)
{
    struct Row {
        const char* name;
        Header header;
        size_t needed;  // data bytes decoding reads; 0: it reads none, nothing is ever missing
    };
    Header pitched = rgbHeader(8, 0xE0, 0x1C, 0x03, 0);
    pitched.flags |= kFlagPitch;
    pitched.pitch = 5;
    pitched.headerSize = kHeaderSize + 4;  // the data start 4 bytes later
    Header overlapping = pitched;
    overlapping.headerSize = kHeaderSize;
    overlapping.pitch = 1;
    Header mismatch;
    mismatch.flags |= kFlagLinearSize;
    mismatch.pitch = 16;
    Header unknown;
    unknown.fourCC = code("ATI2");
    const Row rows[] = {
        {"in one piece", rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0), 16},
        {"rows apart", pitched, 4 + 5 + 2},
        {"overlapping rows", overlapping, 2},
        {"blocks", Header{}, 8},
        {"linear size that differs", mismatch, 0},
        {"unknown format", unknown, 0},
    };
    const std::string name = ::testing::TempDir() + "dds_cut_test.dds";
    for (const Row& row : rows) {
        std::vector<uint8_t> file = ddsFile(row.header, std::vector<uint8_t>(row.needed, 1));
        ASSERT_TRUE(writeFile(name, file));
        EXPECT_EQ(DdsCutShortProblem(name), std::nullopt) << row.name;
        file.pop_back();
        ASSERT_TRUE(writeFile(name, file));
        EXPECT_EQ(DdsCutShortProblem(name).has_value(), row.needed > 0) << row.name;
    }
    const size_t blockBytes = 8;
    ASSERT_TRUE(writeFile(name, ddsFile(Header{}, std::vector<uint8_t>(3, 0))));
    EXPECT_EQ(DdsCutShortProblem(name), "Error while loading images from file \"" + name
                                            + "\". Exception Message: The file is cut short: it holds 3 of the "
                                            + std::to_string(blockBytes) + " bytes of its picture.");
    std::remove(name.c_str());
}

// ---- Block-compressed formats ---------------------------------------------------------------

TEST(DdsDxt1, FourColourModeWhenC0IsGreater)
{
    const ImageRecord image
        = decodeArgb(ddsFile(Header{}, colourBlock(kRed565, kBlue565, kIndicesByColumn)));
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(pixel(image, 0, y), 0xFFFF0000u);
        EXPECT_EQ(pixel(image, 1, y), 0xFF0000FFu);
        EXPECT_EQ(pixel(image, 2, y), 0xFFAA0055u);  // (2 * 255 + 0 + 1) / 3 = 170, 256 / 3 = 85
        EXPECT_EQ(pixel(image, 3, y), 0xFF5500AAu);
    }
}

TEST(DdsDxt1, ThreeColourModeKeepsTheColourOfTheTransparentEntry)
{
    // c0 = c1: r5 = 16 gives 131, g6 = 32 gives 129.
    ImageRecord equal
        = decodeArgb(ddsFile(Header{}, colourBlock(kMid565, kMid565, kIndicesByColumn)));
    EXPECT_EQ(pixel(equal, 0, 0), 0xFF838183u);
    EXPECT_EQ(pixel(equal, 2, 0), 0xFF838183u);
    EXPECT_EQ(pixel(equal, 3, 0), 0x00838183u);

    ImageRecord less
        = decodeArgb(ddsFile(Header{}, colourBlock(kBlue565, kRed565, kIndicesByColumn)));
    EXPECT_EQ(pixel(less, 2, 1), 0xFF7F007Fu);  // (255 + 0) / 2, truncated
    EXPECT_EQ(pixel(less, 3, 1), 0x00AA0055u);  // (C0 + 2 * C1 + 1) / 3 with alpha 0
}

TEST(DdsDxt1, SixBySixImageHasFourBlocksInRowOrder)
{
    Header h;
    h.width = h.height = 6;
    std::vector<uint8_t> data;
    const uint16_t colours[4] = {kRed565, 0x07E0, kBlue565, 0xFFFF};
    for (uint16_t c : colours)
        data = concat(data, colourBlock(c, 0, 0));
    const ImageRecord raw = decode(ddsFile(h, data));
    EXPECT_EQ(raw.width, 8);
    EXPECT_EQ(raw.height, 8);
    EXPECT_EQ(raw.size(), 32);
    ImageRecord image = raw;
    ConvertToArgb32(image);
    EXPECT_EQ(pixel(image, 3, 3), 0xFFFF0000u);
    EXPECT_EQ(pixel(image, 4, 0), 0xFF00FF00u);
    EXPECT_EQ(pixel(image, 0, 4), 0xFF0000FFu);
    EXPECT_EQ(pixel(image, 7, 7), 0xFFFFFFFFu);
}

TEST(DdsDxt1, LinearSizeThatDiffersLeavesEveryPixelZero)
{
    Header h;
    h.flags |= kFlagLinearSize;
    h.pitch = 16;
    const ImageRecord mismatch
        = decode(ddsFile(h, concat(colourBlock(0xFFFF, 0, 0), std::vector<uint8_t>(8, 0xFF))));
    EXPECT_EQ(mismatch.bits, std::vector<uint8_t>(8, 0));

    h.pitch = 8;
    const ImageRecord match = decode(ddsFile(h, colourBlock(0xFFFF, 0, 0)));
    EXPECT_EQ(match.bits, colourBlock(0xFFFF, 0, 0));
}

TEST(DdsDxt3, ExplicitAlphaAndAlwaysFourColours)
{
    Header h;
    h.fourCC = code("DXT3");
    std::vector<uint8_t> alpha = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    const ImageRecord image
        = decodeArgb(ddsFile(h, concat(alpha, colourBlock(kBlue565, kRed565, kIndicesByColumn))));
    EXPECT_EQ(pixel(image, 0, 0), 0x000000FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0x11FF0000u);
    EXPECT_EQ(pixel(image, 2, 0), 0x225500AAu);  // four-colour rule although c0 < c1
    EXPECT_EQ(pixel(image, 3, 0), 0x33AA0055u);
    EXPECT_EQ(pixel(image, 3, 3), 0xFFAA0055u);
}

TEST(DdsDxt5, InterpolatedAlphaInBothModes)
{
    Header h;
    h.fourCC = code("DXT5");
    // Indices 0..7 for pixels 0..7 and again for 8..15.
    const std::vector<uint8_t> indices = {0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
    const std::vector<uint8_t> colour = colourBlock(0xFFFF, 0xFFFF, 0);

    const ImageRecord eight = decodeArgb(ddsFile(h, concat(concat({255, 0}, indices), colour)));
    const uint32_t eightAlphas[8] = {255, 0, 219, 182, 146, 109, 73, 36};
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(pixel(eight, k % 4, k / 4), eightAlphas[k % 8] << 24 | 0xFFFFFF) << k;

    const ImageRecord six = decodeArgb(ddsFile(h, concat(concat({0, 255}, indices), colour)));
    const uint32_t sixAlphas[8] = {0, 255, 51, 102, 153, 204, 0, 255};
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(pixel(six, k % 4, k / 4), sixAlphas[k % 8] << 24 | 0xFFFFFF) << k;
}

TEST(DdsSurfaces, CubeMapAndMipmapsShowOnlyTheFirstSurface)
{
    Header h;
    h.caps |= 0x400008;
    h.caps2 = 0x200 | 0xFC00;
    h.flags |= kFlagMipmapCount;
    h.mipmaps = 3;
    std::vector<uint8_t> data = colourBlock(kRed565, kRed565, 0);
    for (int face = 1; face < 6; ++face)
        data = concat(data, colourBlock(kBlue565, kBlue565, 0));
    const ImageRecord image = decodeArgb(ddsFile(h, data));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 4);
    EXPECT_EQ(pixel(image, 3, 3), 0xFFFF0000u);
}

// ---- Conversion to 32 bits -----------------------------------------------------------------

struct ConversionRow {
    const char* name;
    Header header;
    std::vector<uint8_t> firstPixel;
    uint32_t expected;
};

class DdsConversion : public ::testing::TestWithParam<ConversionRow> { };

TEST_P(DdsConversion, FirstPixel)
{
    const ConversionRow& row = GetParam();
    std::vector<uint8_t> data = row.firstPixel;
    data.resize(2 * 2 * 16);
    const ImageRecord image = decodeArgb(ddsFile(row.header, data));
    EXPECT_EQ(pixel(image, 0, 0), row.expected);
    EXPECT_EQ(image.size(), 16);
}

std::vector<uint8_t> floats(std::initializer_list<float> values)
{
    std::vector<uint8_t> out;
    for (float f : values) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(u >> (8 * i)));
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Formats, DdsConversion,
    ::testing::Values(
        ConversionRow{"Gray8", rgbHeader(8, 0xFF, 0, 0, 0, kPfLuminance), {0x80}, 0xFF808080},
        ConversionRow{"A8Gray8", rgbHeader(16, 0xFF, 0, 0, 0xFF00, kPfLuminance | kPfAlpha),
            {0x40, 0x90}, 0x90404040},
        ConversionRow{
            "Gray16", rgbHeader(16, 0xFFFF, 0, 0, 0, kPfLuminance), {0x34, 0x12}, 0xFF121212},
        ConversionRow{"R3G3B2", rgbHeader(8, 0xE0, 0x1C, 0x03, 0), {0xAE}, 0xFFB66DAA},
        ConversionRow{"R5G6B5", rgbHeader(16, 0xF800, 0x7E0, 0x1F, 0), {0x10, 0x84}, 0xFF838183},
        ConversionRow{"A1R5G5B5", rgbHeader(16, 0x7C00, 0x3E0, 0x1F, 0x8000, kPfRgb | kPfAlpha),
            {0x10, 0xFC}, 0xFFFF0083},
        ConversionRow{"A1R5G5B5Clear",
            rgbHeader(16, 0x7C00, 0x3E0, 0x1F, 0x8000, kPfRgb | kPfAlpha), {0x00, 0x7C},
            0x00FF0000},
        ConversionRow{"A4R4G4B4", rgbHeader(16, 0xF00, 0xF0, 0xF, 0xF000, kPfRgb | kPfAlpha),
            {0x30, 0x8F}, 0x88FF3300},
        ConversionRow{"X1R5G5B5", rgbHeader(16, 0x7C00, 0x3E0, 0x1F, 0), {0x10, 0x7C}, 0xFFFF0083},
        ConversionRow{"X4R4G4B4", rgbHeader(16, 0xF00, 0xF0, 0xF, 0), {0x30, 0x8F}, 0xFFFF3300},
        ConversionRow{"R8G8B8", rgbHeader(24, 0xFF0000, 0xFF00, 0xFF, 0), {1, 2, 3}, 0xFF030201},
        ConversionRow{"A8R8G8B8",
            rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, kPfRgb | kPfAlpha), {1, 2, 3, 4},
            0x04030201},
        ConversionRow{
            "X8R8G8B8", rgbHeader(32, 0xFF0000, 0xFF00, 0xFF, 0), {1, 2, 3, 4}, 0xFF030201},
        ConversionRow{"A16B16G16R16", fourCCHeader(36),
            {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xF0, 0xDE}, 0xDE12569A},
        // 0.5 x 65535 = 32767.5 rounds to the even 32768: high byte 0x80.
        ConversionRow{"R32FHalf", fourCCHeader(114), floats({0.5f}), 0xFF800000},
        ConversionRow{"R32FClampedHigh", fourCCHeader(114), floats({2.0f}), 0xFFFF0000},
        ConversionRow{"R32FClampedLow", fourCCHeader(114), floats({-1.0f}), 0xFF000000},
        ConversionRow{
            "A32B32G32R32F", fourCCHeader(116), floats({1.0f, 0.25f, 0.0f, 0.5f}), 0x80FF4000}),
    [](const ::testing::TestParamInfo<ConversionRow>& info) {
        return std::string(info.param.name);
    });
