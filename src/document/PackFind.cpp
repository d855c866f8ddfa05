#include "document/PackFind.h"

#include "document/IconPageFile.h"
#include "document/PageSource.h"
#include "document/PoiTreeModel.h"
#include "document/PoiTypes.h"
#include "support/TextUtil.h"

#include <cmath>

namespace {

// Every kind of page keeps a POI's world location and tooltip under these names.
const char* const kNameProperty = "Name";

bool holds(std::string_view value, const QString& text)
{
    return QString::fromUtf8(FindableText(value).c_str()).contains(text, Qt::CaseInsensitive);
}

bool isNear(const std::optional<WorldLocation>& world, const PackFindQuery& query)
{
    if (!query.near)
        return true;
    return world && std::hypot(world->x - query.near->x, world->z - query.near->z) <= query.radius;
}

}  // namespace

std::string FindableText(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = LocalisationTokenLength(text); at < text.size();) {
        const std::size_t reference = LineBreakReferenceLength(text, at);
        result += reference != 0 ? '\n' : text[at];
        at += reference != 0 ? reference : 1;
    }
    return result;
}

std::optional<WorldLocation> ParseNearLocation(const QString& text)
{
    return WorldLocation::Parse(text.toStdString());
}

std::vector<PackFindHit> FindInPage(const TSimpleXMLElem& root, const PageSource& source, const PackFindQuery& query)
{
    std::vector<PackFindHit> hits;
    const TSimpleXMLElems* children = root.ItemsIfAny();
    const int count = children ? children->Count() : 0;
    for (int i = 0; i < count; ++i) {
        const TSimpleXMLElem& poi = *children->Item(i);
        if (!IsPoiElement(poi))
            continue;
        const std::string_view name = ValueOrEmpty(poi, kNameProperty);
        const std::string_view tooltip = ValueOrEmpty(poi, kWorldTooltipProperty);
        const std::string_view type = ValueOrEmpty(poi, source.typeProperty());
        if (!query.type.isEmpty() && QString::fromUtf8(type.data(), static_cast<int>(type.size()))
                                             .compare(query.type, Qt::CaseInsensitive) != 0)
            continue;
        if (!holds(name, query.text) && !holds(tooltip, query.text)
            && !holds(ValueOrEmpty(poi, kWorldDescriptionProperty), query.text))
            continue;
        const std::string worldText = TrimBlanks(ValueOrEmpty(poi, kWorldLocationProperty));
        const std::optional<WorldLocation> world = WorldLocation::Parse(worldText);
        if (!isNear(world, query))
            continue;
        PackFindHit hit;
        hit.poi = i;
        hit.name = std::string(name);
        hit.type = std::string(type);
        if (!worldText.empty())
            hit.world = worldText;
        hit.tooltipLine = NameNoteText(tooltip);
        hits.push_back(std::move(hit));
    }
    return hits;
}
