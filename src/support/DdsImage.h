#pragma once
// DirectDraw Surface (DDS) decoding: reads the first surface of a DDS file into an image record
// and converts any decoded pixel format to 32-bit blue, green, red, alpha pixels. Plain C++, so
// the decoder can be fuzzed without the GUI toolkit.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Layouts the decoder can produce. Names follow the format table of the map image files.
enum class PixelFormat {
    Gray8,
    A8Gray8,
    Gray16,
    R3G3B2,
    R5G6B5,
    A1R5G5B5,
    A4R4G4B4,
    X1R5G5B5,
    X4R4G4B4,
    R8G8B8,
    A8R8G8B8,
    X8R8G8B8,
    A16B16G16R16,
    R32F,
    A32B32G32R32F,
    DXT1,
    DXT3,
    DXT5,
};

// The format's name as the format table holds it, e.g. "A8R8G8B8".
const char* pixelFormatName(PixelFormat format);
// Bytes per pixel; 0 for the block-compressed formats.
int bytesPerPixel(PixelFormat format);
bool isBlockCompressed(PixelFormat format);

// The result of decoding: pixels of one format, rows top to bottom, no padding between rows.
struct ImageRecord {
    int32_t width = 0;  // rounded up to a multiple of 4 for block-compressed formats
    int32_t height = 0;
    // The size the header gives: the picture, without the rows and columns that fill the last
    // blocks (at most width x height).
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    PixelFormat format = PixelFormat::A8R8G8B8;
    std::vector<uint8_t> bits;  // zero-filled when the record is created

    int32_t size() const { return static_cast<int32_t>(bits.size()); }
};

// A decoding failure; what() is the message the editor shows.
class EImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bounds that keep a hostile header from exhausting memory.
struct DdsLimits {
    static constexpr uint32_t kMaxDimension = 16384;
    static constexpr uint64_t kMaxDecodedBytes = uint64_t(1) << 30;  // 1 GiB

    uint32_t maxDimension = kMaxDimension;
    uint64_t maxDecodedBytes = kMaxDecodedBytes;  // for the record and its 32-bit conversion
};

// Decodes the first surface of the DDS file `fileName`. Returns no record, without touching the
// file, when the file name's extension is not "dds" (letter case ignored). Throws EImageError
// with the editor's messages when the file cannot be opened or is no DDS file. An unknown pixel
// format gives a black A8R8G8B8 image and a short file leaves the rest of the record zero.
std::optional<ImageRecord> DecodeDds(const std::string& fileName, const DdsLimits& limits = {});

// The same decoding over bytes in memory; `fileName` only fills in the messages.
ImageRecord DecodeDdsMemory(
    const uint8_t* data, size_t size, const std::string& fileName, const DdsLimits& limits = {});

// The message DecodeDds would throw for the DDS file `fileName`, found from its header alone
// (no pixel is read); nothing when DecodeDds gives an image. The extension is not looked at.
std::optional<std::string> DdsFileProblem(const std::string& fileName, const DdsLimits& limits = {});

// The message for a DDS file that ends before the last byte of its first surface that DecodeDds
// reads (which DecodeDds leaves zero: a picture blank in part or whole), found from the header
// and the file's length; nothing when the file holds them all, or when it is refused
// (DdsFileProblem) or cannot be opened.
std::optional<std::string> DdsCutShortProblem(const std::string& fileName, const DdsLimits& limits = {});

// True when the name's last extension is "dds", letter case ignored.
bool hasDdsExtension(const std::string& fileName);

// Replaces the record's format and bits by the A8R8G8B8 equivalent (bytes blue, green, red,
// alpha; alpha 255 for formats without alpha). An A8R8G8B8 record stays unchanged.
void ConvertToArgb32(ImageRecord& image);

// Writes the record's pixels as ConvertToArgb32 would, straight into `out`: rows `stride` pixels
// apart, each pixel 0xAARRGGBB. With a byteMap, each of the four bytes of every pixel then goes
// through that 256-entry table (a gamma table), in the same pass.
void ConvertToArgb32Into(
    const ImageRecord& image, uint32_t* out, size_t stride, const uint8_t* byteMap = nullptr);

// Decodes DXT1, DXT3 or DXT5 blocks of a width x height image (both multiples of 4) into
// width x height pixels 0xAARRGGBB, rows top to bottom.
void decodeDxtBlocks(
    PixelFormat format, const uint8_t* blocks, int width, int height, uint32_t* out);
