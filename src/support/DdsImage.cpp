#include "support/DdsImage.h"

#include "support/AtomicFile.h"
#include "support/DdsBytes.h"
#include "support/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

namespace {

// ---- Header layout -----------------------------------------------------------------------

constexpr size_t kHeaderBytes = 128;
constexpr char kMagic[4] = {'D', 'D', 'S', ' '};
constexpr uint64_t kMagicBytes = sizeof kMagic;  // the header size word counts from here

enum HeaderOffset : size_t {
    kOffHeaderSize = 4,
    kOffFlags = 8,
    kOffHeight = 12,
    kOffWidth = 16,
    kOffPitchOrLinearSize = 20,
    kOffPixelFormatFlags = 80,
    kOffFourCC = 84,
    kOffBitCount = 88,
    kOffRedMask = 92,
    kOffGreenMask = 96,
    kOffBlueMask = 100,
    kOffAlphaMask = 104,
    kOffCaps = 108,
};

constexpr uint32_t kRequiredFlags = 0x1007;  // caps, height, width, pixel format
constexpr uint32_t kFlagPitch = 0x8;
constexpr uint32_t kFlagLinearSize = 0x80000;
constexpr uint32_t kCapsTexture = 0x1000;

constexpr uint32_t kPfAlpha = 0x1;
constexpr uint32_t kPfFourCC = 0x4;
constexpr uint32_t kPfRgb = 0x40;
constexpr uint32_t kPfLuminance = 0x20000;
constexpr uint32_t kPfRgbNoAlpha32 = 0x40000;  // 32-bit colour without alpha, red in the low byte
constexpr uint32_t kPfMixed = 0x80000;         // grey with alpha, or colour with alpha

constexpr uint32_t fourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16
           | uint32_t(uint8_t(d)) << 24;
}
constexpr uint32_t kFourCCDxt1 = fourCC('D', 'X', 'T', '1');
constexpr uint32_t kFourCCDxt3 = fourCC('D', 'X', 'T', '3');
constexpr uint32_t kFourCCDxt5 = fourCC('D', 'X', 'T', '5');
constexpr uint32_t kFourCCA16B16G16R16 = 36;
constexpr uint32_t kFourCCR32F = 114;
constexpr uint32_t kFourCCA32B32G32R32F = 116;

constexpr uint32_t kBlueMaskSwapped = 0x00FF0000;  // blue where red belongs: exchange them
constexpr uint32_t kAlphaMask32 = 0xFF000000;

const char* const kFormatDisplayName = "DirectDraw Surface";

struct DdsHeader {
    uint32_t headerSize = 0;
    uint32_t flags = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t pitchOrLinearSize = 0;
    uint32_t pixelFormatFlags = 0;
    uint32_t fourCC = 0;
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
    uint32_t caps = 0;
};

DdsHeader parseHeader(const uint8_t* b)
{
    DdsHeader h;
    h.headerSize = le32(b + kOffHeaderSize);
    h.flags = le32(b + kOffFlags);
    h.height = le32(b + kOffHeight);
    h.width = le32(b + kOffWidth);
    h.pitchOrLinearSize = le32(b + kOffPitchOrLinearSize);
    h.pixelFormatFlags = le32(b + kOffPixelFormatFlags);
    h.fourCC = le32(b + kOffFourCC);
    h.bitCount = le32(b + kOffBitCount);
    h.redMask = le32(b + kOffRedMask);
    h.greenMask = le32(b + kOffGreenMask);
    h.blueMask = le32(b + kOffBlueMask);
    h.alphaMask = le32(b + kOffAlphaMask);
    h.caps = le32(b + kOffCaps);
    return h;
}

// ---- Pixel format recognition ------------------------------------------------------------

bool masksMatch(const DdsHeader& h, PixelFormat format)
{
    const DdsPackedFormat& m = *ddsPackedFormat(format);
    return h.alphaMask == m.alpha && h.redMask == m.red && h.greenMask == m.green
           && h.blueMask == m.blue;
}

std::optional<PixelFormat> firstMatching(
    const DdsHeader& h, std::initializer_list<PixelFormat> candidates)
{
    for (PixelFormat f : candidates)
        if (masksMatch(h, f))
            return f;
    return std::nullopt;
}

struct FormatChoice {
    PixelFormat format;
    bool exchangeRedBlue = false;
};

std::optional<FormatChoice> choose(PixelFormat format, bool exchange = false)
{
    return FormatChoice{format, exchange};
}

std::optional<FormatChoice> choose(std::optional<PixelFormat> format)
{
    if (!format)
        return std::nullopt;
    return FormatChoice{*format, false};
}

// The first rule whose flag is present decides, even when it finds no format.
std::optional<FormatChoice> choosePixelFormat(const DdsHeader& h)
{
    const uint32_t pf = h.pixelFormatFlags;
    const bool hasAlpha = (pf & kPfAlpha) != 0;
    const bool blueSwapped = h.blueMask == kBlueMaskSwapped;
    const uint32_t bits = h.bitCount;

    if (pf & kPfFourCC) {
        switch (h.fourCC) {
        case kFourCCDxt1: return choose(PixelFormat::DXT1);
        case kFourCCDxt3: return choose(PixelFormat::DXT3);
        case kFourCCDxt5: return choose(PixelFormat::DXT5);
        case kFourCCA16B16G16R16: return choose(PixelFormat::A16B16G16R16);
        case kFourCCR32F: return choose(PixelFormat::R32F);
        case kFourCCA32B32G32R32F: return choose(PixelFormat::A32B32G32R32F);
        default: return std::nullopt;
        }
    }
    if ((pf & kPfRgb) && hasAlpha) {
        if (bits == 16)
            return choose(firstMatching(h, {PixelFormat::A1R5G5B5, PixelFormat::A4R4G4B4}));
        if (bits == 32)
            return choose(PixelFormat::A8R8G8B8, blueSwapped);
        return std::nullopt;
    }
    if (pf & kPfRgb) {
        switch (bits) {
        case 8: return choose(firstMatching(h, {PixelFormat::R3G3B2}));
        case 16:
            return choose(firstMatching(
                h, {PixelFormat::R5G6B5, PixelFormat::X1R5G5B5, PixelFormat::X4R4G4B4}));
        case 24: return choose(PixelFormat::R8G8B8);
        case 32: return choose(PixelFormat::X8R8G8B8, blueSwapped);
        default: return std::nullopt;
        }
    }
    if (pf & kPfLuminance) {
        if (hasAlpha)
            return bits == 16 ? choose(PixelFormat::A8Gray8) : std::nullopt;
        if (bits == 8)
            return choose(PixelFormat::Gray8);
        return bits == 16 ? choose(PixelFormat::Gray16) : std::nullopt;
    }
    if (pf & kPfRgbNoAlpha32)
        return bits == 32 && blueSwapped ? choose(PixelFormat::X8R8G8B8, true) : std::nullopt;
    if (pf & kPfMixed) {
        switch (bits) {
        case 16: return choose(PixelFormat::A8Gray8);
        case 32:
            return h.alphaMask == kAlphaMask32 ? choose(PixelFormat::A8R8G8B8, true) : std::nullopt;
        case 64: return choose(PixelFormat::A16B16G16R16);
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

// ---- Reading -----------------------------------------------------------------------------

// Positional reads from a file or from memory; fewer bytes than asked means the data ended.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual size_t readAt(uint64_t offset, uint8_t* dst, size_t count) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) { }
    size_t readAt(uint64_t offset, uint8_t* dst, size_t count) override
    {
        if (offset >= m_size)
            return 0;
        const size_t n = std::min<uint64_t>(count, m_size - offset);
        std::memcpy(dst, m_data + offset, n);
        return n;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& fileName) : m_file(FileSystem::openFile(fileName, "rb"))
    {
        if (!m_file)
            throw EImageError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
        // No map image comes near the bound; a bigger file is refused before any pixel is read.
        uint64_t size = 0;
        if (FileSystem::fileSize(m_file.get(), size) && size > AtomicFile::kMaxFileBytes)
            throw EImageError(AtomicFile::tooLargeMessage(fileName));
    }
    size_t readAt(uint64_t offset, uint8_t* dst, size_t count) override
    {
        if (count == 0)
            return 0;
        if (!FileSystem::seek(m_file.get(), offset))
            return 0;
        const size_t n = std::fread(dst, 1, count, m_file.get());
        if (n < count && std::ferror(m_file.get()))
            throw EImageError(std::string("Read error. ") + std::strerror(errno));
        return n;
    }
    // The file's length in bytes; none when the system does not tell.
    std::optional<uint64_t> size()
    {
        uint64_t bytes = 0;
        return FileSystem::fileSize(m_file.get(), bytes) ? std::optional<uint64_t>(bytes) : std::nullopt;
    }

private:
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

std::string notValidMessage(const std::string& fileName)
{
    return "File \"" + fileName + "\" is not valid image in \"" + kFormatDisplayName + "\" format.";
}

std::string loadingMessage(const std::string& fileName)
{
    return "Error while loading images from file \"" + fileName + "\".";
}

uint32_t roundUpToBlock(uint32_t v)
{
    return (v + kDdsBlockSide - 1) / kDdsBlockSide * kDdsBlockSide;
}

uint64_t blockDataSize(PixelFormat format, uint32_t width, uint32_t height)
{
    const int blockBytes = format == PixelFormat::DXT1 ? kDdsDxt1BlockBytes : kDdsDxt35BlockBytes;
    return uint64_t(width / kDdsBlockSide) * (height / kDdsBlockSide) * blockBytes;
}

// The record's dimensions and byte count, refused beyond the limits before anything is allocated.
struct RecordShape {
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t bytes = 0;
};

RecordShape recordShape(PixelFormat format, uint32_t width, uint32_t height, const DdsLimits& limits)
{
    const bool block = isBlockCompressed(format);
    if (block) {
        width = roundUpToBlock(width);
        height = roundUpToBlock(height);
    }
    const uint64_t bytes = block ? blockDataSize(format, width, height)
                                 : uint64_t(width) * height * bytesPerPixel(format);
    const uint64_t argbBytes = uint64_t(width) * height * kDdsArgbBytes;
    if (std::max(bytes, argbBytes) > limits.maxDecodedBytes)
        throw EImageError("An image of " + std::to_string(width) + " x " + std::to_string(height)
                          + " pixels is too large to decode.");
    return {width, height, bytes};
}

ImageRecord createRecord(
    PixelFormat format, uint32_t width, uint32_t height, const DdsLimits& limits)
{
    const RecordShape shape = recordShape(format, width, height, limits);
    ImageRecord image;
    image.width = int32_t(shape.width);
    image.height = int32_t(shape.height);
    image.pictureWidth = int32_t(width);
    image.pictureHeight = int32_t(height);
    image.format = format;
    image.bits.assign(size_t(shape.bytes), 0);
    return image;
}

void exchangeRedBlue(ImageRecord& image)
{
    for (size_t i = 0; i + kDdsArgbBytes <= image.bits.size(); i += kDdsArgbBytes)
        std::swap(image.bits[i], image.bits[i + 2]);
}

// A header that passed every check, with the layout its pixels are read in (none: unknown).
struct CheckedHeader {
    DdsHeader h;
    std::optional<FormatChoice> choice;
};

// Every check that can refuse a file is made here, from the header alone; what follows reads
// whatever data there is.
CheckedHeader checkHeader(ByteSource& source, const std::string& fileName, const DdsLimits& limits)
{
    uint8_t raw[kHeaderBytes] = {};
    const bool recognised = source.readAt(0, raw, kHeaderBytes) == kHeaderBytes
                            && std::memcmp(raw, kMagic, sizeof kMagic) == 0;
    const DdsHeader h = parseHeader(raw);
    if (!recognised || (h.flags & kRequiredFlags) != kRequiredFlags || !(h.caps & kCapsTexture))
        throw EImageError(notValidMessage(fileName));

    if (h.width == 0 || h.height == 0 || h.width > limits.maxDimension
        || h.height > limits.maxDimension)
        throw EImageError("Image size " + std::to_string(h.width) + " x " + std::to_string(h.height)
                          + " is not supported.");

    // An unknown layout gives a black image of 32-bit pixels.
    const std::optional<FormatChoice> choice = choosePixelFormat(h);
    recordShape(choice ? choice->format : PixelFormat::A8R8G8B8, h.width, h.height, limits);
    return {h, choice};
}

// Where the first surface's pixels are read: `bytesToRead` announced bytes from `start`, in one
// piece when they are as many as the record takes, else (uncompressed only) rows `pitch` apart.
struct SurfaceSpan {
    uint64_t start = 0;
    uint64_t bytesToRead = 0;
    uint64_t pitch = 0;
    uint64_t rowBytes = 0;
    uint64_t recordBytes = 0;
    uint64_t rows = 0;
    bool block = false;

    bool inOnePiece() const { return bytesToRead == recordBytes; }
    bool byRows() const { return !inOnePiece() && !block && pitch > 0; }
    // One past the last byte of the file that is read.
    uint64_t end() const
    {
        if (inOnePiece())
            return start + recordBytes;
        if (!byRows())
            return start;  // nothing is read
        const uint64_t last = (std::min(rows, (bytesToRead + pitch - 1) / pitch) - 1) * pitch;
        return start + last + std::min(rowBytes, bytesToRead - last);
    }
};

SurfaceSpan surfaceSpan(const DdsHeader& h, PixelFormat format, const RecordShape& shape)
{
    SurfaceSpan span;
    span.block = isBlockCompressed(format);
    span.recordBytes = shape.bytes;
    span.rowBytes = uint64_t(shape.width) * bytesPerPixel(format);
    span.rows = shape.height;
    span.pitch = (h.flags & (kFlagPitch | kFlagLinearSize)) ? h.pitchOrLinearSize
                 : span.block                               ? span.recordBytes
                                                            : span.rowBytes;
    span.bytesToRead = span.block ? span.pitch : span.pitch * shape.height;
    span.start = kMagicBytes + h.headerSize;
    return span;
}

// Reads the first surface; errors carry their own message and are wrapped by the caller.
ImageRecord decodeSource(ByteSource& source, const std::string& fileName, const DdsLimits& limits)
{
    const auto [h, choice] = checkHeader(source, fileName, limits);
    if (!choice)  // unknown layout: black image, no pixel data read
        return createRecord(PixelFormat::A8R8G8B8, h.width, h.height, limits);

    ImageRecord image = createRecord(choice->format, h.width, h.height, limits);
    const SurfaceSpan span = surfaceSpan(h, image.format, recordShape(image.format, h.width, h.height, limits));
    if (span.inOnePiece()) {
        source.readAt(span.start, image.bits.data(), image.bits.size());
    } else if (span.byRows()) {
        // Rows lie `pitch` apart; bytes beyond the announced data stay zero.
        for (int32_t row = 0; row < image.height; ++row) {
            const uint64_t start = uint64_t(row) * span.pitch;
            if (start >= span.bytesToRead)
                break;
            const size_t count = size_t(std::min(span.rowBytes, span.bytesToRead - start));
            source.readAt(span.start + start, image.bits.data() + row * span.rowBytes, count);
        }
    }
    if (choice->exchangeRedBlue)
        exchangeRedBlue(image);
    return image;
}

// Every failure becomes the loading message followed by the failure's own message.
template <typename Read>
auto withLoadingMessage(const std::string& fileName, Read read) -> decltype(read())
{
    try {
        return read();
    } catch (const EImageError& e) {
        throw EImageError(loadingMessage(fileName) + " Exception Message: " + e.what());
    } catch (const std::bad_alloc&) {
        throw EImageError(loadingMessage(fileName) + " Exception Message: Out of memory.");
    } catch (const std::exception& e) {
        throw EImageError(loadingMessage(fileName) + " Exception Message: " + e.what());
    }
}

}  // namespace

const char* pixelFormatName(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Gray8: return "Gray8";
    case PixelFormat::A8Gray8: return "A8Gray8";
    case PixelFormat::Gray16: return "Gray16";
    case PixelFormat::R3G3B2: return "R3G3B2";
    case PixelFormat::R5G6B5: return "R5G6B5";
    case PixelFormat::A1R5G5B5: return "A1R5G5B5";
    case PixelFormat::A4R4G4B4: return "A4R4G4B4";
    case PixelFormat::X1R5G5B5: return "X1R5G5B5";
    case PixelFormat::X4R4G4B4: return "X4R4G4B4";
    case PixelFormat::R8G8B8: return "R8G8B8";
    case PixelFormat::A8R8G8B8: return "A8R8G8B8";
    case PixelFormat::X8R8G8B8: return "X8R8G8B8";
    case PixelFormat::A16B16G16R16: return "A16B16G16R16";
    case PixelFormat::R32F: return "R32F";
    case PixelFormat::A32B32G32R32F: return "A32B32G32R32F";
    case PixelFormat::DXT1: return "DXT1";
    case PixelFormat::DXT3: return "DXT3";
    case PixelFormat::DXT5: return "DXT5";
    }
    return "";
}

int bytesPerPixel(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Gray8:
    case PixelFormat::R3G3B2: return 1;
    case PixelFormat::A8Gray8:
    case PixelFormat::Gray16:
    case PixelFormat::R5G6B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::X4R4G4B4: return 2;
    case PixelFormat::R8G8B8: return 3;
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::R32F: return 4;
    case PixelFormat::A16B16G16R16: return 8;
    case PixelFormat::A32B32G32R32F: return 16;
    case PixelFormat::DXT1:
    case PixelFormat::DXT3:
    case PixelFormat::DXT5: return 0;
    }
    return 0;
}

bool isBlockCompressed(PixelFormat format)
{
    return format == PixelFormat::DXT1 || format == PixelFormat::DXT3
           || format == PixelFormat::DXT5;
}

bool hasDdsExtension(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string ext = fileName.substr(dot + 1);
    return ext.size() == 3 && std::equal(ext.begin(), ext.end(), "dds", [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

std::optional<ImageRecord> DecodeDds(const std::string& fileName, const DdsLimits& limits)
{
    if (!hasDdsExtension(fileName))
        return std::nullopt;
    return withLoadingMessage(fileName, [&] {
        FileSource source(fileName);
        return decodeSource(source, fileName, limits);
    });
}

ImageRecord DecodeDdsMemory(
    const uint8_t* data, size_t size, const std::string& fileName, const DdsLimits& limits)
{
    return withLoadingMessage(fileName, [&] {
        MemorySource source(data, size);
        return decodeSource(source, fileName, limits);
    });
}

std::optional<std::string> DdsFileProblem(const std::string& fileName, const DdsLimits& limits)
{
    try {
        withLoadingMessage(fileName, [&] {
            FileSource source(fileName);
            checkHeader(source, fileName, limits);
        });
    } catch (const EImageError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

std::optional<std::string> DdsCutShortProblem(const std::string& fileName, const DdsLimits& limits)
{
    try {
        FileSource source(fileName);
        const auto [h, choice] = checkHeader(source, fileName, limits);
        const std::optional<uint64_t> size = source.size();
        if (!choice || !size)
            return std::nullopt;
        const RecordShape shape = recordShape(choice->format, h.width, h.height, limits);
        const SurfaceSpan span = surfaceSpan(h, choice->format, shape);
        if (*size >= span.end())
            return std::nullopt;
        const uint64_t held = *size > span.start ? *size - span.start : 0;
        return loadingMessage(fileName) + " Exception Message: The file is cut short: it holds "
               + std::to_string(held) + " of the " + std::to_string(span.end() - span.start)
               + " bytes of its picture.";
    } catch (const std::exception&) {
        return std::nullopt;  // refused: DdsFileProblem says why
    }
}
