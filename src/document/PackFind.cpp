#include "document/PackFind.h"

#include "document/IconPageFile.h"
#include "document/PageSource.h"
#include "document/PoiTreeModel.h"
#include "document/PoiTypes.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace {

// Every kind of page keeps a POI's world location and tooltip under these names.
const char* const kNameProperty = "Name";

bool isNear(const std::optional<WorldLocation>& world, const PreparedFind& find)
{
    if (!find.near)
        return true;
    return world && std::hypot(world->x - find.near->x, world->z - find.near->z) <= find.radius;
}

void addSearched(std::string& searched, std::string_view value)
{
    searched += FoldedText(FindableText(value));
    searched += '\0';
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

std::string FoldedText(std::string_view text)
{
    // Most texts are ASCII: folded here without the round trip through UTF-16.
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded().toStdString();
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

PackFindPoi ReadFindPoi(const TSimpleXMLElem& poi, const PageSource& source)
{
    PackFindPoi found;
    found.name = std::string(ValueOrEmpty(poi, kNameProperty));
    found.type = std::string(ValueOrEmpty(poi, source.typeProperty()));
    found.foldedType = FoldedText(found.type);
    found.world = TrimBlanks(ValueOrEmpty(poi, kWorldLocationProperty));
    found.location = WorldLocation::Parse(found.world);
    const std::string_view tooltip = ValueOrEmpty(poi, kWorldTooltipProperty);
    found.tooltipLine = NameNoteText(tooltip);
    addSearched(found.searched, found.name);
    addSearched(found.searched, tooltip);
    addSearched(found.searched, ValueOrEmpty(poi, kWorldDescriptionProperty));
    return found;
}

PreparedFind PrepareFind(const PackFindQuery& query)
{
    return {FoldedText(query.text.toStdString()), FoldedText(query.type.toStdString()), query.near, query.radius};
}

bool FindMatches(const PreparedFind& find, std::string_view searched, std::string_view foldedType,
                 const std::optional<WorldLocation>& location)
{
    if (!find.type.empty() && foldedType != find.type)
        return false;
    return searched.find(find.text) != std::string_view::npos && isNear(location, find);
}

std::vector<PackFindHit> FindInPage(const TSimpleXMLElem& root, const PageSource& source, const PackFindQuery& query)
{
    const PreparedFind find = PrepareFind(query);
    std::vector<PackFindHit> hits;
    const TSimpleXMLElems* children = root.ItemsIfAny();
    const int count = children ? children->Count() : 0;
    for (int i = 0; i < count; ++i) {
        const TSimpleXMLElem& poi = *children->Item(i);
        if (!IsPoiElement(poi))
            continue;
        PackFindPoi found = ReadFindPoi(poi, source);
        if (!FindMatches(find, found.searched, found.foldedType, found.location))
            continue;
        PackFindHit hit;
        hit.poi = i;
        hit.name = std::move(found.name);
        hit.type = std::move(found.type);
        if (!found.world.empty())
            hit.world = std::move(found.world);
        hit.tooltipLine = std::move(found.tooltipLine);
        hits.push_back(std::move(hit));
    }
    return hits;
}
