// The apply of the property panel's fields to a POI: the panel hands over what its fields hold,
// the document writes what the pending edit allows and says what the fields should show now.
#include "document/PageDocument.h"

#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "mapview/AutoLocation.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MarkerGeometry.h"
#include "mapview/PoiAnchor.h"
#include "mapview/WorldLocation.h"

#include <utility>

namespace {

std::string pairText(int x, int y)
{
    return std::to_string(x) + "," + std::to_string(y);
}

}  // namespace

bool PageDocument::mayWrite(const TSimpleXMLElem& poi, const char* property, unsigned fields) const
{
    if ((m_pending.edited & fields) != 0)
        return ((m_pending.shown | m_pending.edited) & fields) == fields;
    return (m_pending.shown & fields) == fields && poi.PropertiesIfAny() && poi.PropertiesIfAny()->Find(property);
}

void PageDocument::writeField(TSimpleXMLElem& poi, const char* property, unsigned fields, std::string value) const
{
    if (!mayWrite(poi, property, fields))
        return;
    if (TSimpleXMLProp* prop = poi.Properties().Find(property))
        prop->SetValue(std::move(value));
    else
        poi.Properties().Add(property, std::move(value));
}

std::optional<std::pair<int, int>> PageDocument::worldPixel(const TSimpleXMLElem& poi) const
{
    // No point without a zone rectangle, and none out of the range of a pixel: never one made up.
    const std::optional<ImagePoint> point = m_source->pointOf(poi, m_state);
    return point ? PixelForPoint(m_state.Anchor, *point, {}) : std::nullopt;
}

bool PageDocument::applyFields(int poiIndex, PoiFieldValues& fields)
{
    TSimpleXMLElem* target = poi(poiIndex);
    // After a rebuild the fields may show no POI at all; they are not written into this one.
    if (!target || poiIndex != m_pending.poi || !IsPoiElement(*target))
        return false;
    std::unique_ptr<TSimpleXMLElem> before = CopyElement(*target);
    // Only fields that show this POI's values or the user's own edits are written, and a
    // property is added only for a field the user edited: moving a POI that lacks some
    // properties changes its location and nothing else.
    writeField(*target, "Tooltip", PendingEdit::Tooltip, fields.tooltip);
    writeField(*target, "Name", PendingEdit::Name, fields.name);
    // A stored type the list does not know (another skin's style) stays, with its sizes, until
    // the user picks one.
    fields.keepType = !(m_pending.edited & PendingEdit::Type)
        && (!(m_pending.shown & PendingEdit::Type) || !fields.storedTypeListed);
    if (!fields.keepType)
        writeField(*target, m_source->typeProperty(), PendingEdit::Type, fields.type);
    if (m_source->offers(PageFeature::LocationField))
        applyLocation(*target, fields);
    else
        applyWorldOnly(*target, fields);
    m_state.PathEdited = false;
    m_state.EditsPending = false;
    // One apply is one step, whatever it wrote (a recomputed location included).
    if (SameProperties(*before, *target))
        return false;
    recordPoiEdit(poiIndex, std::move(before));
    return true;
}

void PageDocument::applyLocation(TSimpleXMLElem& poi, PoiFieldValues& fields)
{
    const auto placeBefore = ParseCommaPair(ValueOrEmpty(poi, "Location"), kMarkerPairTailChars);
    writeField(poi, "Location", PendingEdit::kLocation, pairText(fields.x, fields.y));
    // Positions, not texts: "10, 20" rewritten as "10,20" has not moved.
    const bool moved = !(placeBefore == ParseCommaPair(ValueOrEmpty(poi, "Location"), kMarkerPairTailChars))
        || (m_pending.edited & PendingEdit::Path) != 0;

    const LocationSync sync = SynchroniseLocation(m_state, fields.x, fields.y, fields.path, moved,
                                                  AnchorOffset(m_state.Anchor, ValueOrEmpty(poi, "Size")));
    const bool pathWritable = mayWrite(poi, kWorldLocationProperty, PendingEdit::Path);
    if (!m_state.PathEdited && sync.pathField && pathWritable && mayWrite(poi, "Location", PendingEdit::kLocation))
        fields.path = *sync.pathField;
    writeField(poi, kWorldLocationProperty, PendingEdit::Path, fields.path);
    if (m_state.PathEdited && sync.pathField)
        fields.path = *sync.pathField;
    if (sync.location) {
        fields.x = sync.location->first;
        fields.y = sync.location->second;
        // The typed world location moved the POI: the numbers are now the user's.
        m_pending.edited |= PendingEdit::kLocation;
        writeField(poi, "Location", PendingEdit::kLocation, pairText(fields.x, fields.y));
    }
    fields.label = sync.label;

    const bool typeSetsSize = m_source->offers(PageFeature::TypeSetsSize);
    const std::string size = typeSetsSize ? PoiIconSize(fields.type) : ValueOrEmpty(poi, "Size");
    if (!fields.keepType && typeSetsSize) {
        // Derived from the type, never typed: written where the POI has them.
        for (const char* property : {"Size", "ScrollExtent"})
            if (TSimpleXMLProp* prop = poi.Properties().Find(property))
                prop->SetValue(size);
    }
    if (((m_pending.shown | m_pending.edited) & PendingEdit::kLocation) == PendingEdit::kLocation)
        fields.buttonSize = fields.keepType ? ValueOrEmpty(poi, "Size") : size;
}

void PageDocument::applyWorldOnly(TSimpleXMLElem& poi, PoiFieldValues& fields)
{
    // There is no Location to write: a move of the point rewrites the world location's x and z,
    // keeping its height and its separators, and the description line that repeated it.
    writeField(poi, kWorldDescriptionProperty, PendingEdit::Description, fields.description);
    const std::string oldPath = ValueOrEmpty(poi, kWorldLocationProperty);
    const std::optional<WorldLocation> parts = WorldLocation::Parse(oldPath);
    // Only a POI with a point on the map moves: without one (no zone rectangle, or out of the
    // range of a pixel) the numbers are no position of it, and no world location is made up.
    if ((m_pending.edited & PendingEdit::kLocation) && !m_state.PathEdited && parts && worldPixel(poi)) {
        const ImagePoint point{double(fields.x), double(fields.y)};
        const auto world = ImagePointToWorld(m_state, point);
        const std::optional<std::string> moved =
            world ? parts->movedTo(world->first, world->second).text(WorldLocation::Form::Own) : std::nullopt;
        if (moved) {
            fields.path = *moved;
            m_pending.edited |= PendingEdit::Path;
        }
    }
    writeField(poi, kWorldLocationProperty, PendingEdit::Path, fields.path);
    const std::string newPath = ValueOrEmpty(poi, kWorldLocationProperty);
    if (newPath != oldPath) {
        ReplaceDescriptionLine(poi, oldPath, newPath);
        fields.descriptionChanged = true;
    }
    fields.worldAt = worldPixel(poi);
    if (fields.worldAt) {
        fields.label = StatusPositionText(fields.worldAt->first, fields.worldAt->second);
        fields.buttonSize = kWorldIconSize;
    }
}
