#include "tools/ZoneRectEditor.h"

#include "mapview/PoiAnchor.h"
#include "support/AtomicFile.h"
#include "support/ConfigRules.h"
#include "support/FileStamp.h"
#include "support/FileSystem.h"
#include "support/GamePath.h"
#include "support/MapStyleFile.h"
#include "support/ProfileFile.h"
#include "support/TextUtil.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The reference search works on a page of this size whatever the page's own Size: a POI beyond
// it never becomes the largest-x or largest-y reference.
constexpr int kReferenceWidth = 436;
constexpr int kReferenceHeight = 506;
// World coordinate the smallest-x and smallest-y references start with.
constexpr double kSmallestStartWorld = 10000.0;
constexpr int kMinPois = 2;
constexpr int kScaleDigits = 15;
constexpr std::size_t kNumberBuffer = 32;

const char* const kStyleFileName = "core_mapstyles.xml";
const char* const kBackupFileName = "core_mapstyles.xml.old";
const char* const kCannotOpen = "Cannot open file ";
// Reads and edits of a map style file that another program keeps changing, before giving up.
constexpr int kWriteAttempts = 3;

// An image coordinate with the world coordinate seen there.
struct Reference {
    double at = 0;
    double world = 0.0;
    bool fromPoi = false;  // false while the reference still holds its starting values

    void take(double coordinate, double worldValue)
    {
        at = coordinate;
        world = worldValue;
        fromPoi = true;
    }
};

// One POI's image position and world x and z.
struct PoiReading {
    double x = 0;  // the POI's point: halves where the page places icons by their corner
    double y = 0;
    double worldX = 0.0;
    double worldZ = 0.0;
};

std::optional<std::string_view> valueOf(const TSimpleXMLElem& poi, const std::string& name)
{
    const TSimpleXMLProps* props = poi.PropertiesIfAny();
    const TSimpleXMLProp* prop = props ? props->Find(name) : nullptr;
    return prop ? std::optional<std::string_view>(prop->Value()) : std::nullopt;
}

std::optional<PoiReading> readPoi(const TSimpleXMLElem& poi, PoiAnchor anchor)
{
    if (!PlacedByLocation(anchor))
        return std::nullopt;  // no Location to tie the world location to
    const std::optional<std::string_view> location = valueOf(poi, "Location");
    const std::optional<std::string_view> path = valueOf(poi, "pathfindlocation");
    if (!location || !path)
        return std::nullopt;
    const SplitText imageParts = SplitAt(*location, ',');
    const std::optional<int> x = ParseInteger(imageParts.head);
    const std::optional<int> y = ParseInteger(imageParts.rest);
    const std::optional<WorldLocation> world = WorldLocation::Parse(*path);
    if (!x || !y || !world)
        return std::nullopt;
    const std::optional<std::string_view> size = valueOf(poi, "Size");
    const ImagePoint offset = AnchorOffset(anchor, size.value_or(std::string_view()));
    return PoiReading{*x + offset.x, *y + offset.y, world->x, world->z};
}

int elementCount(const TSimpleXMLElem& root)
{
    const TSimpleXMLElems* items = root.ItemsIfAny();
    int count = 0;
    for (int i = 0; items && i < items->Count(); ++i) {
        if (items->Item(i)->Kind() == TSimpleXMLElemKind::Classic)
            ++count;
    }
    return count;
}

// Round(value) as an int, halves to even; nothing when it is not finite or leaves the int range.
std::optional<int> roundHalfEven(double value)
{
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded < static_cast<double>(std::numeric_limits<int>::min())
        || rounded > static_cast<double>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(rounded);
}

// -Round(value): the negated x of an edge, halves to even.
std::optional<int> negatedRound(double value)
{
    return roundHalfEven(-std::nearbyint(value));
}

// |worldDelta / pixelDelta|; nothing for a zero pixel distance.
std::optional<double> scaleOf(double worldDelta, double pixelDelta)
{
    if (pixelDelta == 0)
        return std::nullopt;
    const double scale = std::fabs(worldDelta / pixelDelta);
    return std::isfinite(scale) ? std::optional<double>(scale) : std::nullopt;
}

std::string shortNumber(double value)
{
    char buffer[kNumberBuffer];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                      kScaleDigits);
    return std::string(buffer, result.ptr);
}

// Removes the older backup and copies the current file's bytes to the backup name, keeping its
// modification time, so the folder never lacks a complete map style file.
void rotateBackup(const std::string& stylePath, const std::string& backupPath, const std::string& original)
{
    if (!FileSystem::removeIfPresent(backupPath))
        throw ZoneUpdateError(ZoneRectText::kDeleteFail);
    try {
        AtomicFile::write(backupPath, original);
    } catch (const FileAccessError&) {
        throw ZoneUpdateError(ZoneRectText::kRenameFail);
    }
    FileSystem::copyModifiedTime(stylePath, backupPath);  // a copy with today's date is still a backup
}

}  // namespace

ZoneComputation ComputeZoneFromPois(const TSimpleXMLElem& root, int pageWidth, int pageHeight, PoiAnchor anchor)
{
    ZoneComputation result;
    if (elementCount(root) < kMinPois) {
        result.status = ZoneComputeStatus::TooFewPois;
        return result;
    }
    Reference smallestX{kReferenceWidth, kSmallestStartWorld};
    Reference smallestY{kReferenceHeight, kSmallestStartWorld};
    Reference largestX;
    Reference largestY;
    const TSimpleXMLElems& items = *root.ItemsIfAny();
    for (int i = 0; i < items.Count(); ++i) {
        const std::optional<PoiReading> poi = readPoi(*items.Item(i), anchor);
        if (!poi)
            continue;
        // Equality included: among POIs on the same coordinate the later one is the reference.
        if (poi->x >= 0 && poi->x <= smallestX.at)
            smallestX.take(poi->x, poi->worldX);
        if (poi->y >= 0 && poi->y <= smallestY.at)
            smallestY.take(poi->y, poi->worldZ);
        if (poi->x >= largestX.at && poi->x <= kReferenceWidth - 1)
            largestX.take(poi->x, poi->worldX);
        if (poi->y >= largestY.at && poi->y <= kReferenceHeight - 1)
            largestY.take(poi->y, poi->worldZ);
    }
    // A reference still holding its starting values would put made-up numbers into the rectangle.
    if (!smallestX.fromPoi || !smallestY.fromPoi || !largestX.fromPoi || !largestY.fromPoi)
        return result;
    const std::optional<double> scaleX = scaleOf(smallestX.world - largestX.world, largestX.at - smallestX.at);
    const std::optional<double> scaleY = scaleOf(largestY.world - smallestY.world, largestY.at - smallestY.at);
    if (!scaleX || !scaleY)
        return result;

    // World x falls by scaleX per pixel to the right; world z rises by scaleY per pixel down.
    const std::optional<int> x1 = negatedRound(largestX.world + largestX.at * *scaleX);
    const std::optional<int> y1 = roundHalfEven(largestY.world - largestY.at * *scaleY);
    // In double: a page size from the file may be any int.
    const double pixelsRight = static_cast<double>(pageWidth) - smallestX.at;
    const double pixelsDown = static_cast<double>(pageHeight) - smallestY.at;
    const std::optional<int> x2 = negatedRound(smallestX.world - pixelsRight * *scaleX);
    const std::optional<int> y2 = roundHalfEven(smallestY.world + pixelsDown * *scaleY);
    if (!x1 || !y1 || !x2 || !y2)
        return result;
    result.status = ZoneComputeStatus::Computed;
    result.zone = {*x1, *y1, *x2, *y2};
    result.scaleX = *scaleX;
    result.scaleY = *scaleY;
    return result;
}

std::string ScalesText(double scaleX, double scaleY)
{
    return shortNumber(scaleX) + " / " + shortNumber(scaleY);
}

MapStyleUpdate UpdateMapStyleFile(const std::string& styleFolder, const std::string& mapName,
                                  const std::string& zoneText)
{
    const std::string stylePath = GamePath::resolve(styleFolder, kStyleFileName);
    if (!GamePath::fileExists(stylePath))
        return MapStyleUpdate::FileMissing;
    // The game or another editor may write the file between the read and the write: the edit is
    // then made again on what it wrote, never written over it.
    for (int attempt = 1;; ++attempt) {
        std::string original;
        if (AtomicFile::readWhole(stylePath, original) != AtomicFile::ReadResult::Ok)
            throw ZoneUpdateError(kCannotOpen + stylePath);
        const FileStamp read = FileStamps::of(stylePath, original);

        std::string edited = original;
        ZoneRectEdit edit = ZoneRectEdit::NoMatch;
        try {
            edit = SetZoneRectInPlace(edited, mapName, zoneText);
        } catch (const MapStyleError& error) {
            throw ZoneUpdateError(error.what());
        }
        // Nothing changes: the file and its backup stay as they are.
        if (edit == ZoneRectEdit::NoMatch)
            return MapStyleUpdate::NoMatch;

        const std::string backupPath = GamePath::resolve(styleFolder, kBackupFileName);
        try {
            FileStamps::writeIfUnchanged(stylePath, edited, read,
                                         [&]() { rotateBackup(stylePath, backupPath, original); });
        } catch (const FileChangedError& error) {
            if (attempt < kWriteAttempts)
                continue;
            throw ZoneUpdateError(error.what());
        } catch (const FileAccessError& error) {
            throw ZoneUpdateError(error.what());
        }
        return edit == ZoneRectEdit::Added ? MapStyleUpdate::Added : MapStyleUpdate::Replaced;
    }
}

bool WriteZoneDefinition(const std::string& configPath, const std::string& mapName, const std::string& zoneText)
{
    try {
        ProfileFile(configPath, Config::kMaxConfigBytes).writeString(Config::kMapZoneSection, mapName, zoneText);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
