#include "tools/PoiClipboard.h"

#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "mapview/AutoLocation.h"
#include "mapview/MapCoordinates.h"
#include "mapview/PoiAnchorRule.h"
#include "mapview/WorldLocation.h"
#include "support/TextUtil.h"
#include "support/ZonePageFile.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

const char* const kClipRoot = "VynmapPois";
const char* const kClipPoi = "Poi";
const char* const kKindProperty = "Kind";
const char* const kTypePropertyProperty = "TypeProperty";
const char* const kZoneRectProperty = "ZoneRect";
const char* const kPointX = "X";
const char* const kPointY = "Y";
const char* const kWorldProperty = "pathfindlocation";
const char* const kIconElement = "Icon";
constexpr std::string_view kLineEnd = "\r\n";

const char* const kIconTypeProperty = "IconStyle";

// Icon page types and the POI file kinds that stand for them.
struct TypePair {
    const char* iconStyle;
    const char* poiType;
};
constexpr TypePair kTypePairs[] = {
    {"NPC", "NPC"}, {"MOB", "MOB"}, {"LOC", "LOCATION"}, {"QST", "QUEST"}, {"CLST", "ZONE"}, {"ZONE", "ZONE"},
    {"NAME", "LOCATION"},
};

void setValue(TSimpleXMLElem& element, const char* property, const std::string& value)
{
    if (TSimpleXMLProp* prop = element.Properties().Find(property))
        prop->SetValue(value);
    else
        element.Properties().Add(property, value);
}

std::string text(const TSimpleXMLElem& element, const char* property)
{
    return std::string(ValueOrEmpty(element, property));
}

std::string number(double value)
{
    return FormatFixed2(value).value_or("0");
}

// The world location text for `point`: the old one's height and separators kept.
std::optional<std::string> worldAt(const PoiPageKind& page, ImagePoint point, const std::string& old)
{
    const std::optional<std::pair<double, double>> world = ImagePointToWorld(page.geometry, point);
    if (!world)
        return std::nullopt;
    WorldLocation location = WorldLocation::Parse(old).value_or(WorldLocation{0, "0", 0});
    return location.movedTo(world->first, world->second).text(WorldLocation::Form::Own);
}

// Sets a POI's point on its page, the world location being `world`, as the page places POIs.
void placePoi(TSimpleXMLElem& poi, const PoiPageKind& page, std::optional<ImagePoint> point, const std::string& world)
{
    page.source->placeAt(poi, point, world, page.geometry);
}

// A line break inside a value (CR LF, LF or CR) as the reference such files write.
void referLineBreaks(TSimpleXMLElem& poi)
{
    constexpr std::string_view kReference = "&#xA;";
    TSimpleXMLProps& props = poi.Properties();
    for (int i = 0; i < props.Count(); ++i) {
        const std::string& value = props.Item(i)->Value();
        if (value.find_first_of("\r\n") == std::string::npos)
            continue;
        std::string written;
        for (std::size_t at = 0; at < value.size(); ++at) {
            if (value[at] == '\r' || value[at] == '\n') {
                written += kReference;
                if (value[at] == '\r' && at + 1 < value.size() && value[at + 1] == '\n')
                    ++at;
            } else {
                written += value[at];
            }
        }
        props.Item(i)->SetValue(std::move(written));
    }
}

// A name's own count: "Harbor Master (2)" is "Harbor Master" counted at 2; other names count at 1.
std::pair<std::string, long long> countedName(const std::string& name)
{
    constexpr std::size_t kMaxDigits = 9;
    const std::size_t open = name.rfind(" (");
    if (open == std::string::npos || name.empty() || name.back() != ')')
        return {name, 1};
    const std::string digits = name.substr(open + 2, name.size() - open - 3);
    const bool counted = !digits.empty() && digits.size() <= kMaxDigits && digits.front() != '0'
        && digits.find_first_not_of("0123456789") == std::string::npos;
    return counted ? std::make_pair(name.substr(0, open), std::stoll(digits)) : std::make_pair(name, 1LL);
}

// A free name: the file's numbering in POI files, the next count elsewhere.
std::string freeName(const std::string& name, const PoiPageKind& page, std::set<std::string>& taken,
                     long long& largestId)
{
    std::string chosen = name;
    if (page.numberedNames) {
        while (taken.count(chosen))
            chosen = "ID" + std::to_string(++largestId);
    } else {
        const auto [base, count] = countedName(name);
        for (long long n = count + 1; taken.count(chosen); ++n)
            chosen = base + " (" + std::to_string(n) + ")";
    }
    taken.insert(chosen);
    return chosen;
}

// The shift along one axis that brings points from `low` to `high` into 0 .. `size` - 1; a group
// wider than the page keeps its first edge on the page.
double shiftInside(double low, double high, int size)
{
    const double last = size - 1;
    if (size <= 0 || (low >= 0 && high <= last))
        return 0;
    if (low < 0 || high - low > last)
        return -low;
    return last - high;
}

}  // namespace

PoiPageKind PageKindOf(const PageSource& source, const EditorState& state)
{
    PoiPageKind page;
    page.source = &source;
    page.locationField = source.offers(PageFeature::LocationField);
    page.anyType = source.offers(PageFeature::AnyType);
    page.typeProperty = source.typeProperty();
    page.numberedNames = source.offers(PageFeature::NumberedNames);
    page.lineBreakReferences = source.offers(PageFeature::LineBreakReferences);
    page.knownTypes = source.vocabulary().knownTypes;
    page.geometry = state;
    return page;
}

PasteTarget PasteTargetFor(PageSource& source, const EditorState& state, TSimpleXMLElem& root, int selected)
{
    PasteTarget target;
    target.page = PageKindOf(source, state);
    target.largestId = source.largestIconId(root);
    // Icons made as Add POI makes them: like the selected one, else the page's first.
    target.addIcon = [&source, like = source.newIconTemplate(root, selected)](
                         TSimpleXMLElem& into, const NewPoiFields& fields) -> TSimpleXMLElem& {
        return source.addPoi(into, fields, like);
    };
    return target;
}

const char* PoiTypeProperty(const PoiPageKind& page)
{
    return page.typeProperty.c_str();
}

bool HasZoneRect(const PoiPageKind& page)
{
    return HasZoneRect(page.geometry.ZoneRect);
}

std::optional<ImagePoint> PoiPoint(const TSimpleXMLElem& poi, const PoiPageKind& page)
{
    return page.source->pointOf(poi, page.geometry);
}

bool MovePoiBy(TSimpleXMLElem& poi, int dx, int dy, const PoiPageKind& page, bool autoCalc)
{
    const std::optional<ImagePoint> point = PoiPoint(poi, page);
    if (!point)
        return false;
    const ImagePoint moved{point->x + dx, point->y + dy};
    const std::string world = text(poi, kWorldProperty);
    if (!page.locationField) {
        const std::optional<std::string> placed = worldAt(page, moved, world);
        if (placed)
            placePoi(poi, page, moved, *placed);
        return placed.has_value();
    }
    placePoi(poi, page, moved, world);
    if (autoCalc && poi.PropertiesIfAny()->Find(kWorldProperty)) {
        // As an apply of a moved POI does: its point's world location, its height kept.
        EditorState state = page.geometry;
        state.AutoCalc = true;
        state.PathEdited = false;
        const auto [x, y] = LocationForPoint(page.geometry.Anchor, moved, text(poi, "Size"));
        const LocationSync sync =
            SynchroniseLocation(state, x, y, world, true, AnchorOffset(page.geometry.Anchor, text(poi, "Size")));
        if (sync.pathField)
            setValue(poi, kWorldProperty, *sync.pathField);
    }
    return true;
}

std::string PoisXmlText(const std::vector<const TSimpleXMLElem*>& pois, const PageSource& source)
{
    std::string out;
    for (const TSimpleXMLElem* poi : pois)
        out.append(source.poiText(*poi)).append(kLineEnd);
    return out;
}

std::string PoisPrivateData(const std::vector<const TSimpleXMLElem*>& pois, const PoiPageKind& page)
{
    TSimpleXML document;
    ConfigureIconPageDocument(document);
    TSimpleXMLElem& root = document.Root();
    root.SetName(kClipRoot);
    root.Properties().Add(kKindProperty, page.source->kindName());
    root.Properties().Add(kTypePropertyProperty, page.typeProperty);
    root.Properties().Add(kZoneRectProperty, HasZoneRect(page) ? "1" : "0");
    for (const TSimpleXMLElem* poi : pois) {
        TSimpleXMLElem& entry = *root.Items().Add(kClipPoi);
        if (const std::optional<ImagePoint> point = PoiPoint(*poi, page)) {
            entry.Properties().Add(kPointX, number(point->x));
            entry.Properties().Add(kPointY, number(point->y));
        }
        entry.Items().Insert(0, CopyElement(*poi));
    }
    return TextWithoutDeclaration(document);
}

std::optional<ClipboardPois> ReadPoisPrivateData(std::string_view data)
{
    TSimpleXML document;
    ConfigureIconPageDocument(document);
    try {
        document.LoadFromString(data);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const TSimpleXMLElem& root = document.Root();
    if (root.Name() != kClipRoot)
        return std::nullopt;
    ClipboardPois clip;
    clip.sourceKind = text(root, kKindProperty);
    clip.typeProperty = text(root, kTypePropertyProperty);
    clip.zoneRect = text(root, kZoneRectProperty) == "1";
    for (int i = 0; i < root.ItemCount(); ++i) {
        const TSimpleXMLElem& entry = *root.ItemsIfAny()->Item(i);
        if (entry.Name() != kClipPoi || entry.ItemCount() < 1)
            continue;
        ClipboardPoi poi;
        poi.element = CopyElement(*entry.ItemsIfAny()->Item(0));
        const std::optional<double> x = ParseDecimal(text(entry, kPointX));
        const std::optional<double> y = ParseDecimal(text(entry, kPointY));
        if (x && y)
            poi.point = ImagePoint{*x, *y};
        clip.pois.push_back(std::move(poi));
    }
    return clip;
}

std::optional<ClipboardPois> ReadPoisXmlText(std::string_view text, const PoiPageKind& page)
{
    TSimpleXML document;
    ConfigureIconPageDocument(document);
    try {
        document.LoadFromString(std::string("<") + kClipRoot + ">" + std::string(text) + "</" + kClipRoot + ">");
    } catch (const std::exception&) {
        return std::nullopt;
    }
    ClipboardPois clip;
    clip.sourceKind = page.source->kindName();
    clip.typeProperty = page.typeProperty;
    clip.zoneRect = HasZoneRect(page);
    // Placed by their own Location or world location, as on the page they were copied from.
    clip.inPlace = true;
    const TSimpleXMLElem& root = document.Root();
    for (int i = 0; i < root.ItemCount(); ++i) {
        const TSimpleXMLElem& element = *root.ItemsIfAny()->Item(i);
        if (IsPoiElement(element) && element.Name() == kIconElement)
            clip.pois.push_back({CopyElement(element), PoiPoint(element, page)});
    }
    if (clip.pois.empty())
        return std::nullopt;
    return clip;
}

std::string ConvertedType(const std::string& type, std::string_view from, std::string_view to)
{
    const bool fromWorld = from == kWorldTypeProperty && to == kIconTypeProperty;
    if (!fromWorld && !(from == kIconTypeProperty && to == kWorldTypeProperty))
        return type;
    for (const TypePair& pair : kTypePairs) {
        if (!fromWorld && type == pair.iconStyle)
            return pair.poiType;
        if (fromWorld && type == pair.poiType)
            return pair.iconStyle;
    }
    if (fromWorld) {
        // The kinds that share a marker colour share an icon page type; others stay as they are.
        const std::string_view style = WorldPoiStyle(type);
        return style == "other" || style.empty() ? type : std::string(style);
    }
    return type;
}

std::string KnownType(const std::string& type, const std::vector<std::string>& knownTypes)
{
    if (knownTypes.empty() || std::find(knownTypes.begin(), knownTypes.end(), type) != knownTypes.end())
        return type;
    if (EqualsNoCase(type, "ZONE") || EqualsNoCase(type, "CLST"))
        for (const std::string& known : knownTypes)
            if (FindNoCase(known, "zon") != std::string::npos)
                return known;
    return knownTypes.front();
}

int PastePois(const ClipboardPois& clip, TSimpleXMLElem& root, const PasteTarget& target, bool* shiftedInside)
{
    const PoiPageKind& page = target.page;
    const bool keepWorld = clip.zoneRect && HasZoneRect(page);
    std::set<std::string> taken;
    for (int i = 0; i < root.ItemCount(); ++i)
        taken.insert(text(*root.ItemsIfAny()->Item(i), "Name"));
    long long largestId = target.largestId;

    // Where each POI's point goes before any shift: through the world location where both pages
    // have a zone rectangle, unless the elements already stand where they are to go.
    std::vector<std::optional<ImagePoint>> points;
    points.reserve(clip.pois.size());
    for (const ClipboardPoi& entry : clip.pois) {
        std::optional<ImagePoint> point = entry.point;
        if (keepWorld && !clip.inPlace)
            if (const std::optional<ImagePoint> through = WorldToImagePoint(page.geometry, text(*entry.element, kWorldProperty)))
                point = through;
        points.push_back(point);
    }
    // "Paste here" moves the group so that its first POI's point lands where asked; the whole
    // group then moves back onto the page where any of it would fall off.
    ImagePoint shift{0, 0};
    const auto first = std::find_if(points.begin(), points.end(), [](const auto& point) { return point.has_value(); });
    if (target.at && first != points.end())
        shift = ImagePoint{target.at->x - (*first)->x, target.at->y - (*first)->y};
    bool moved = target.at.has_value();
    if (first != points.end()) {
        ImagePoint low{(*first)->x + shift.x, (*first)->y + shift.y};
        ImagePoint high = low;
        for (const std::optional<ImagePoint>& point : points)
            if (point) {
                low = ImagePoint{std::min(low.x, point->x + shift.x), std::min(low.y, point->y + shift.y)};
                high = ImagePoint{std::max(high.x, point->x + shift.x), std::max(high.y, point->y + shift.y)};
            }
        const ImagePoint inside{shiftInside(low.x, high.x, page.geometry.PageWidth),
                                shiftInside(low.y, high.y, page.geometry.PageHeight)};
        if (shiftedInside)
            *shiftedInside = inside.x != 0 || inside.y != 0;
        shift = ImagePoint{shift.x + inside.x, shift.y + inside.y};
        moved = moved || inside.x != 0 || inside.y != 0;
    }

    int pasted = 0;
    for (std::size_t i = 0; i < clip.pois.size(); ++i) {
        const TSimpleXMLElem& source = *clip.pois[i].element;
        std::string world = text(source, kWorldProperty);
        std::optional<ImagePoint> point = points[i];
        if (moved && point)
            point = ImagePoint{point->x + shift.x, point->y + shift.y};
        if ((!keepWorld || moved) && point && HasZoneRect(page))
            world = worldAt(page, *point, world).value_or(world);

        TSimpleXMLElem* made = nullptr;
        if (page.source->pastesAsIs(clip.sourceKind)) {
            made = root.Items().Insert(root.ItemCount(), CopyElement(source));
            // A copy in place keeps its very bytes: its Location made again from its point could
            // round to another pixel.
            if (!clip.inPlace || moved)
                placePoi(*made, page, point, world);
        } else {
            NewPoiFields fields;
            fields.iconType = ConvertedType(text(source, clip.typeProperty.c_str()), clip.typeProperty, page.typeProperty);
            // A type carried over under the same property may be one the target file never
            // defines (an icon page's NPC in the map window file): it takes one the file has.
            // An icon page's type list takes any type, and kinds of another property are mapped.
            if (clip.typeProperty == page.typeProperty && !page.anyType)
                fields.iconType = KnownType(fields.iconType, page.knownTypes);
            fields.name = text(source, "Name");
            fields.path = world;
            fields.tooltip = text(source, "Tooltip");
            if (point) {
                const auto [x, y] = LocationForPoint(page.geometry.Anchor, *point, "");
                fields.location = std::to_string(x) + "," + std::to_string(y);
            }
            made = &target.addIcon(root, fields);
            // The new icon's own Size places its point where the page lays icons out by a corner.
            if (point && !!page.locationField)
                placePoi(*made, page, point, text(*made, kWorldProperty));
        }
        if (page.lineBreakReferences)
            referLineBreaks(*made);
        const std::string name = text(*made, "Name");
        if (taken.count(name))
            setValue(*made, "Name", freeName(name, page, taken, largestId));
        else
            taken.insert(name);
        ++pasted;
    }
    return pasted;
}
