// Reading a file of zone pages into its layout, and moving the editor's pages and icons from one
// version of the file to the next (after a save, or after another program changed the file).
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"
#include "support/xml/SimpleXmlText.h"

#include <map>
#include <unordered_map>
#include <stdexcept>

namespace {

using namespace ZonePageNames;

std::string nameOf(const XmlSpanElement& element)
{
    const XmlSpanProperty* name = element.find(kNameProperty);
    std::string value = name ? std::string(name->rawValue) : std::string();
    IconPageDecodeValue(value);
    return value;
}

// The tags and names from the root down to `index`.
std::vector<std::string> pathOf(const XmlSpans& spans, int index)
{
    std::vector<std::string> path;
    for (int at = index; at >= 0; at = spans.elements[static_cast<std::size_t>(at)].parent) {
        const XmlSpanElement& element = spans.elements[static_cast<std::size_t>(at)];
        path.push_back(std::string(element.tag) + '\n' + nameOf(element));
    }
    return {path.rbegin(), path.rend()};
}

// A Page without child elements among pages and icons only: a zone that has no icon yet. Icons
// beside it do not count, so adding or deleting icons never changes which pages are zones.
bool isEmptyAmongPages(const ZonePageLayout& layout, const XmlSpanElement& page)
{
    const XmlSpans& spans = layout.spans;
    if (!page.children.empty())
        return false;
    const XmlSpanElement& parent = spans.elements[static_cast<std::size_t>(page.parent)];
    if (parent.tag != kPageTag)
        return false;
    for (int child : parent.children) {
        const std::string_view tag = spans.elements[static_cast<std::size_t>(child)].tag;
        if (tag != kPageTag && !layout.isPoiTag(tag))
            return false;
    }
    return true;
}

// In a file without any sign of POIs (no icon, no page "Icons"), an empty page is a zone only in
// the form a POI file gives it, its name alone: a window's own pages (a background, a frame)
// carry their layout.
bool bareZoneForm(const XmlSpanElement& page)
{
    for (const XmlSpanProperty& property : page.properties)
        if (!simplexml::SameText(property.name, kNameProperty))
            return false;
    return true;
}

// An icon or label of a page that leads to another map.
bool holdsMapLinks(const XmlSpans& spans)
{
    for (const XmlSpanElement& element : spans.elements) {
        if ((element.tag == kIconTag || element.tag == kTextTag) && element.parent >= 0
            && spans.elements[static_cast<std::size_t>(element.parent)].tag == kPageTag
            && element.find(kMapLinkProperty))
            return true;
    }
    return false;
}

constexpr std::size_t kHashFactor = 1000003;

std::size_t hashOf(const ZonePageLayout::Key& key)
{
    return ZonePageLayout::PathHash()(key.path) * kHashFactor + static_cast<std::size_t>(key.occurrence);
}

}  // namespace

std::unique_ptr<ZonePageLayout> ZonePageLayout::Read(std::string text, const ZonePageLayout* previous)
{
    // Held by pointer from here on: the spans' views into the bytes never move.
    auto layout = std::make_unique<ZonePageLayout>();
    layout->bytes = std::move(text);
    layout->spans = XmlSpans::Parse(layout->bytes);
    const XmlSpans& spans = layout->spans;
    layout->mapLinks = previous ? previous->mapLinks : holdsMapLinks(spans);
    bool anyLocation = false;
    bool anyIcon = false;
    bool iconsPage = false;
    for (const XmlSpanElement& element : spans.elements) {
        if (layout->isPoiTag(element.tag)) {
            anyIcon = true;
            anyLocation = anyLocation || element.find(kLocationProperty);
        }
        iconsPage = iconsPage || (element.tag == kPageTag && nameOf(element) == kIconsPageName);
    }
    const bool holdsPois = anyIcon || iconsPage;
    std::unordered_map<std::vector<std::string>, int, PathHash> occurrences;
    for (int i = 0; i < static_cast<int>(spans.elements.size()); ++i) {
        const XmlSpanElement& element = spans.elements[static_cast<std::size_t>(i)];
        if (element.tag != kPageTag || element.parent < 0)
            continue;
        layout->nestsPages = true;
        Key key{pathOf(spans, i), 0};
        key.occurrence = occurrences[key.path]++;
        const XmlSpanElement& parent = spans.elements[static_cast<std::size_t>(element.parent)];
        const bool underIcons = parent.tag == kPageTag && nameOf(parent) == kIconsPageName;
        // The game's "Icons" page holds the zone pages and the templates the game clones, not a
        // map: it is never offered, so its bytes stay as they are.
        if (nameOf(element) == kIconsPageName)
            continue;
        const int icons = static_cast<int>(layout->iconsOf(i).size());
        const bool emptyZone = isEmptyAmongPages(*layout, element) && (holdsPois || bareZoneForm(element));
        if (icons == 0 && !underIcons && !emptyZone && !(previous && previous->find(key) >= 0))
            continue;
        layout->pages.push_back({nameOf(element), icons});
        layout->pageElements.push_back(i);
        layout->pagesByKeyHash.emplace(hashOf(key), static_cast<int>(layout->pageKeys.size()));
        layout->pageKeys.push_back(std::move(key));
    }
    // Without any icon to tell, a file without the map window's page "Icons" is a POI file.
    layout->worldOnly = anyIcon ? !anyLocation : !iconsPage;
    return layout;
}

std::size_t ZonePageLayout::PathHash::operator()(const std::vector<std::string>& path) const
{
    std::size_t hash = path.size();
    for (const std::string& step : path)
        hash = hash * kHashFactor + std::hash<std::string>()(step);
    return hash;
}

bool ZonePageLayout::isPoiTag(std::string_view tag) const
{
    return tag == kIconTag || (mapLinks && tag == kTextTag);
}

int ZonePageLayout::find(const Key& key) const
{
    const auto [first, last] = pagesByKeyHash.equal_range(hashOf(key));
    for (auto it = first; it != last; ++it)
        if (pageKeys[static_cast<std::size_t>(it->second)] == key)
            return it->second;
    return -1;
}

std::vector<int> ZonePageLayout::iconsOf(int element) const
{
    std::vector<int> icons;
    for (int child : spans.elements[static_cast<std::size_t>(element)].children)
        if (isPoiTag(spans.elements[static_cast<std::size_t>(child)].tag))
            icons.push_back(child);
    return icons;
}

std::string_view ZonePageLayout::textOf(int element) const
{
    const XmlSpanElement& span = spans.elements[static_cast<std::size_t>(element)];
    return std::string_view(bytes).substr(span.begin, span.end - span.begin);
}

std::vector<int> ZonePageFile::pageMapTo(const ZonePageLayout& next) const
{
    std::vector<int> map;
    for (const ZonePageLayout::Key& key : m_file->pageKeys) {
        const int found = next.find(key);
        if (found < 0)
            return {};
        map.push_back(found);
    }
    return map;
}

void ZonePageFile::adopt(std::unique_ptr<ZonePageLayout> next, const std::vector<int>& pageMap,
                         const std::vector<int>& elementMap)
{
    std::map<int, std::unique_ptr<TSimpleXMLElem>> stashed;
    for (auto& [page, root] : m_stashed)
        stashed[pageMap[static_cast<std::size_t>(page)]] = std::move(root);
    std::map<int, Snapshot> snapshots;
    for (auto& [page, snapshot] : m_pageSnapshots)
        snapshots[pageMap[static_cast<std::size_t>(page)]] = std::move(snapshot);
    for (auto it = m_origins.begin(); it != m_origins.end();) {
        const int moved = it->second.element < static_cast<int>(elementMap.size())
            ? elementMap[static_cast<std::size_t>(it->second.element)] : -1;
        if (moved < 0) {
            it = m_origins.erase(it);
        } else {
            it->second.element = moved;
            ++it;
        }
    }
    m_stashed = std::move(stashed);
    m_pageSnapshots = std::move(snapshots);
    m_file = std::move(next);
    m_lineStarts.clear();
    // A stashed page counts its icons as edited.
    for (const auto& [page, root] : m_stashed)
        m_file->pages[static_cast<std::size_t>(page)].poiCount = IconCount(*root);
}

int ZonePageFile::saved(std::string bytes, int shownPage, TSimpleXMLElem& shown)
{
    // Built whole first: a failure leaves the file as it was read, its spans valid.
    std::unique_ptr<ZonePageLayout> next = ZonePageLayout::Read(std::move(bytes), m_file.get());
    const std::vector<int> pageMap = pageMapTo(*next);
    if (pageMap.size() != m_file->pages.size())
        throw std::runtime_error("the saved file lost a zone page");
    adopt(std::move(next), pageMap, {});
    // Every icon is tagged anew from the saved file.
    m_origins.clear();
    const int shownNow = shownPage >= 0 ? pageMap[static_cast<std::size_t>(shownPage)] : -1;
    for (auto& [page, root] : m_stashed)
        tagIcons(page, *root);
    if (shownNow >= 0)
        tagIcons(shownNow, shown);
    return shownNow;
}

bool ZonePageFile::rebase(std::string bytes, int& shownPage)
{
    std::unique_ptr<ZonePageLayout> next;
    try {
        next = ZonePageLayout::Read(std::move(bytes), m_file.get());
    } catch (const XmlSpansError&) {
        return false;
    }
    const std::vector<int> pageMap = pageMapTo(*next);
    if (pageMap.size() != m_file->pages.size())
        return false;
    std::vector<int> held;
    for (const auto& entry : m_stashed)
        held.push_back(entry.first);
    if (shownPage >= 0)
        held.push_back(shownPage);
    std::vector<int> elementMap(m_file->spans.elements.size(), -1);
    for (int page : held) {
        const int before = m_file->pageElements[static_cast<std::size_t>(page)];
        const int after = next->pageElements[static_cast<std::size_t>(pageMap[static_cast<std::size_t>(page)])];
        const XmlSpanElement& oldPage = m_file->spans.elements[static_cast<std::size_t>(before)];
        const XmlSpanElement& newPage = next->spans.elements[static_cast<std::size_t>(after)];
        const std::string_view oldTag = std::string_view(m_file->bytes).substr(oldPage.tagEnd, oldPage.propsEnd - oldPage.tagEnd);
        const std::string_view newTag = std::string_view(next->bytes).substr(newPage.tagEnd, newPage.propsEnd - newPage.tagEnd);
        const std::vector<int> oldIcons = m_file->iconsOf(before);
        const std::vector<int> newIcons = next->iconsOf(after);
        if (oldTag != newTag || oldIcons.size() != newIcons.size())
            return false;
        // Each icon at its place, byte for byte: the snapshots the edits are told from still hold.
        for (std::size_t k = 0; k < oldIcons.size(); ++k) {
            if (m_file->textOf(oldIcons[k]) != next->textOf(newIcons[k]))
                return false;
            elementMap[static_cast<std::size_t>(oldIcons[k])] = newIcons[k];
        }
    }
    shownPage = shownPage >= 0 ? pageMap[static_cast<std::size_t>(shownPage)] : -1;
    adopt(std::move(next), pageMap, elementMap);
    return true;
}

bool ZonePageFile::hasEdits(int shownPage, const TSimpleXMLElem& shown) const
{
    return editedBytes(shownPage, shown) != m_file->bytes;
}
