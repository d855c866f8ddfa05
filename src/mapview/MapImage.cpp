#include "mapview/MapImage.h"

#include "mapview/MapCoordinates.h"
#include "support/GamePath.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

const char* const kMapLoadingFail = "Map Loading Fail.";

namespace {

// A picture the user chose for a map whose own is missing may be a PNG (a screenshot, a scan).
bool hasPngExtension(const std::string& path)
{
    return QString::fromStdString(path).endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
}

// A PNG is shown as it is: it was made to be seen (an exported map has had its gamma already).
QImage loadPngMap(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    const QImage image = reader.read();
    return image.isNull() ? blankMap() : image.convertToFormat(QImage::Format_ARGB32);
}

constexpr int kGammaEntries = 256;
constexpr long double kFullByte = 255.0L;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kTransparent = 0;
constexpr int kArgbBytes = 4;

void applyGamma(std::vector<uint8_t>& bytes, double gamma)
{
    if (gamma == 1.0)
        return;  // the identity table
    const GammaTable table = buildGammaTable(gamma);
    for (uint8_t& b : bytes)
        b = table[b];
}

void deleteBuffer(void* buffer)
{
    delete static_cast<std::vector<uint8_t>*>(buffer);
}

QString fromPath(const std::string& path)
{
    return QString::fromStdString(path);
}

}  // namespace

GammaTable buildGammaTable(double gamma)
{
    GammaTable table{};
    for (int i = 0; i < kGammaEntries; ++i)
        table[i] = uint8_t(i);
    if (gamma == 1.0)
        return table;
    table[0] = 0;
    for (int i = 1; i < kGammaEntries; ++i) {
        const long double power = std::exp((long double)gamma * std::log(i / kFullByte));
        // nearbyint rounds halves to even in the default rounding mode.
        const long double rounded = std::nearbyint(kFullByte * power + 0.5L);
        table[i] = rounded < kFullByte ? uint8_t(rounded) : uint8_t(kFullByte);  // NaN gives 255
    }
    return table;
}

QImage blankMap()
{
    QImage image(kMapControlSize, kMapControlSize, QImage::Format_ARGB32);
    image.fill(kWhite);
    return image;
}

QImage imageFromArgbRecord(ImageRecord&& argb)
{
    auto* buffer = new std::vector<uint8_t>(std::move(argb.bits));
    QImage image(buffer->data(), argb.width, argb.height, qsizetype(argb.width) * kArgbBytes,
        QImage::Format_ARGB32, deleteBuffer, buffer);
    if (image.isNull())  // the cleanup function only runs for an image that was made
        deleteBuffer(buffer);
    return image;
}

QImage LoadMapImage(const std::string& path, double gamma)
{
    if (hasPngExtension(path))
        return loadPngMap(path);
    if (hasDdsExtension(path)) {
        if (std::optional<std::string> cut = DdsCutShortProblem(path))
            throw MapCutShortError(*cut);
    }
    std::optional<ImageRecord> decoded = DecodeDds(path);
    if (!decoded)
        return blankMap();
    try {
        if (decoded->format == PixelFormat::A8R8G8B8) {
            // Already the image's layout: the record's own buffer becomes the image.
            applyGamma(decoded->bits, gamma);
            return imageFromArgbRecord(std::move(*decoded));
        }
        // Decode, conversion and gamma in one pass, straight into the image's buffer.
        QImage image(decoded->width, decoded->height, QImage::Format_ARGB32);
        if (image.isNull())
            return QImage();
        const GammaTable table = buildGammaTable(gamma);
        ConvertToArgb32Into(*decoded, reinterpret_cast<uint32_t*>(image.bits()),
            size_t(image.bytesPerLine()) / kArgbBytes, gamma == 1.0 ? nullptr : table.data());
        return image;
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

QImage mapDisplayImage(const QImage& bitmap, const QRect& area)
{
    const QRect part = area & bitmap.rect();
    if (part.isEmpty())
        return QImage();
    const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
    // Colour and alpha both: on a map with alpha, the key is usually a cut-out pixel whose colour
    // opaque outline pixels share. Where every alpha is 255, that is the colour alone.
    const QRgb key = source.pixel(0, source.height() - 1);
    const int width = part.width();
    const int height = part.height();
    QImage shown(width, height, QImage::Format_ARGB32_Premultiplied);
    if (shown.isNull())
        return QImage();
    for (int y = 0; y < height; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(part.top() + y)) + part.left();
        QRgb* out = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < width; ++x) {
            // The image's own alpha blends it over the panel (maps with soft or cut-out edges);
            // the bottom-left pixel's value stays transparent as well. Alpha 255 gives the plain
            // colour.
            out[x] = in[x] == key ? kTransparent : qPremultiply(in[x]);
        }
    }
    return shown;
}

QRect pageMapArea(const EditorState& state)
{
    const auto& rect = state.MapSourceRect;
    if (!HasSourceRect(rect))
        return kMapControlArea;
    return QRect(rect[0], rect[1], rect[2], rect[3]);
}

std::vector<std::string> pageMapCandidates(const EditorState& state)
{
    std::vector<std::string> candidates;
    const auto add = [&candidates](std::string path) {
        if (std::find(candidates.begin(), candidates.end(), path) == candidates.end())
            candidates.push_back(std::move(path));
    };
    for (const std::string* folder : {&state.BaseFolder, &state.DefaultFolder})
        add(GamePath::resolve(*folder, state.MapImagePath));
    if (!state.ChosenMapImage.empty())
        add(state.ChosenMapImage);
    if (!state.CurrentFile.empty())
        add(GamePath::resolve("", GamePath::changeExtension(state.CurrentFile, ".DDS")));
    return candidates;
}

std::optional<std::string> pageMapFile(const EditorState& state)
{
    // The candidates of pageMapCandidates in their order, each resolved only when the ones before
    // it are not there: resolving a name that is not there lists its folder, and a page folder
    // holds hundreds of pages.
    for (const std::string* folder : {&state.BaseFolder, &state.DefaultFolder}) {
        std::string candidate = GamePath::resolve(*folder, state.MapImagePath);
        if (GamePath::fileExists(candidate))
            return candidate;
    }
    if (GamePath::fileExists(state.ChosenMapImage))
        return state.ChosenMapImage;
    if (!state.CurrentFile.empty()) {
        std::string candidate = GamePath::resolve("", GamePath::changeExtension(state.CurrentFile, ".DDS"));
        if (GamePath::fileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

QImage loadPageMapImage(const EditorState& state)
{
    QImage image;
    // Named in the platform's form: a failure's message shows the name.
    if (const std::optional<std::string> file = pageMapFile(state))
        image = LoadMapImage(GamePath::shown(*file), state.MapGamma);
    return image.isNull() ? blankMap() : image;
}

void probePageMapImage(const EditorState& state)
{
    const std::optional<std::string> found = pageMapFile(state);
    if (!found)
        return;
    const std::string file = GamePath::shown(*found);
    if (!hasDdsExtension(file))
        return;
    if (std::optional<std::string> cut = DdsCutShortProblem(file))
        throw MapCutShortError(*cut);
    // The header tells whether decoding fails; the decoder itself then throws its own message.
    if (DdsFileProblem(file))
        DecodeDds(file);
}

std::optional<std::string> PageMapImageProblem(const EditorState& state)
{
    const std::optional<std::string> found = pageMapFile(state);
    if (!found) {
        return state.MapImagePath.empty() ? std::string("no map image found")
                                          : "map image \"" + GamePath::shown(state.MapImagePath) + "\" is not found";
    }
    const std::string file = GamePath::shown(*found);
    if (hasPngExtension(file) && *found == state.ChosenMapImage)
        return QImageReader(QString::fromStdString(file)).canRead()
            ? std::nullopt
            : std::optional<std::string>("map image \"" + file + "\" cannot be decoded");
    if (!hasDdsExtension(file))
        return "map image \"" + file + "\" is not a DDS file";
    if (const std::optional<std::string> refusal = PageMapDecodeProblem(state))
        return "map image cannot be decoded: " + *refusal;
    return std::nullopt;
}

std::optional<std::string> PageMapDecodeProblem(const EditorState& state)
{
    const std::optional<std::string> file = pageMapFile(state);
    if (!file || !hasDdsExtension(*file))
        return std::nullopt;
    if (std::optional<std::string> refusal = DdsFileProblem(*file))
        return refusal;
    return DdsCutShortProblem(*file);
}

FileDialogOptions openMapDialogOptions(const EditorState& state)
{
    FileDialogOptions options;
    options.title = QStringLiteral("Open MAP Image");
    // Both letter cases: game folders hold ".DDS" files, and Linux dialogs match exactly.
    options.filter = QStringLiteral("DDS File (*.dds *.DDS)");
    options.mustExist = true;
    const std::string maps = GamePath::resolve(state.BaseFolder, "images\\maps\\");
    if (GamePath::folderExists(maps))
        options.initialFolder = fromPath(maps);
    return options;
}

std::optional<QImage> runFileMapCommand(const EditorState& state, Prompts& prompts)
{
    const QString chosen = prompts.openFileName(openMapDialogOptions(state));
    if (chosen.isEmpty())
        return std::nullopt;
    return openChosenMapImage(chosen, state, prompts);
}

std::optional<QImage> openChosenMapImage(const QString& chosen, const EditorState& state, Prompts& prompts)
{
    try {
        const std::string path = chosen.toStdString();
        QImage image;
        if (GamePath::fileExists(path))
            image = LoadMapImage(path, state.MapGamma);
        return image.isNull() ? blankMap() : image;
    } catch (const std::exception&) {
        prompts.showMessage(QString::fromLatin1(kMapLoadingFail));
        return std::nullopt;
    }
}
