#include "support/ZonePageFile.h"

#include "support/IconPageXml.h"
#include "support/TextUtil.h"
#include "support/xml/SimpleXmlText.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace {

using namespace ZonePageNames;
constexpr std::string_view kIdPrefix = "ID";
// A child's indentation where neither the page nor its parent shows one.
constexpr std::string_view kDefaultIndentStep = "  ";

std::string decoded(std::string_view raw)
{
    std::string value(raw);
    IconPageDecodeValue(value);
    return value;
}

std::string encoded(std::string_view value)
{
    std::string text;
    IconPageAppendEncodedValue(text, value);
    return text;
}

void* serialPointer(std::uintptr_t serial)
{
    return reinterpret_cast<void*>(serial);
}

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

}  // namespace

bool ZonePageFile::MayHoldZonePages(std::string_view bytes)
{
    // The first element is the root; a Page after its start is a nested one.
    std::size_t at = 0;
    for (;;) {
        at = bytes.find('<', at);
        if (at == std::string_view::npos || at + 1 >= bytes.size())
            return false;
        const char next = bytes[at + 1];
        if (next != '?' && next != '!')
            break;
        ++at;
    }
    const std::size_t rootEnd = bytes.find('>', at);
    if (rootEnd == std::string_view::npos)
        return false;
    for (std::size_t page = bytes.find("<Page", rootEnd); page != std::string_view::npos;
         page = bytes.find("<Page", page + 1)) {
        const std::size_t after = page + 1 + kPageTag.size();
        if (after >= bytes.size() || simplexml::IsBlank(static_cast<unsigned char>(bytes[after]))
            || bytes[after] == '>' || bytes[after] == '/')
            return true;
    }
    return false;
}

ZonePageFile::ZonePageFile(std::string bytes) : m_file(ZonePageLayout::Read(std::move(bytes)))
{
}

int ZonePageFile::findPage(std::string_view name) const
{
    for (std::size_t i = 0; i < m_file->pages.size(); ++i)
        if (m_file->pages[i].name == name)
            return static_cast<int>(i);
    return -1;
}

const XmlSpanElement& ZonePageFile::pageElement(int page) const
{
    return m_file->spans.elements.at(static_cast<std::size_t>(m_file->pageElements.at(static_cast<std::size_t>(page))));
}

void ZonePageFile::show(int page, TSimpleXML& document)
{
    document.Prolog().Clear();
    TSimpleXMLElem& root = document.Root();
    root.Clear();
    const auto stashed = m_stashed.find(page);
    if (stashed != m_stashed.end()) {
        TSimpleXMLElem& kept = *stashed->second;
        root.SetName(kept.Name());
        for (int i = 0; i < kept.Properties().Count(); ++i) {
            const TSimpleXMLProp* prop = kept.Properties().Item(i);
            root.Properties().Add(prop->FullName(), std::string(prop->Value()));
        }
        while (kept.ItemCount() > 0)
            root.Items().Append(kept.Items().Take(0));
        m_stashed.erase(stashed);
        return;
    }
    // The zone page's start tag and its icons, as they stand in the file, read by the icon page
    // parser: the values are exactly what an icon page with these bytes would hold.
    const XmlSpanElement& element = pageElement(page);
    const std::string_view text(m_file->bytes);
    std::string pageText = "<" + std::string(element.tag)
        + std::string(text.substr(element.tagEnd, element.propsEnd - element.tagEnd)) + ">";
    for (int icon : iconsOf(m_file->pageElements[static_cast<std::size_t>(page)])) {
        const XmlSpanElement& span = m_file->spans.elements[static_cast<std::size_t>(icon)];
        pageText.append(text.substr(span.begin, span.end - span.begin));
    }
    pageText += "</" + std::string(element.tag) + ">";
        // The icon page reader must end the page where the span reader does: else it read some tag
    // its own way, and the icons it gives are not those an edit would be spliced into.
    bool read = true;
    try {
        read = ParseIconPage(document, std::move(pageText), 0).empty();
    } catch (const ESimpleXMLError&) {
        read = false;
    }
    // Each icon must come back as one element, or a save could not tell which bytes are whose.
    if (!read || IconCount(document.Root()) != static_cast<int>(iconsOf(m_file->pageElements[static_cast<std::size_t>(page)]).size())) {
        document.Root().Clear();
        throw ESimpleXMLError("the icons of zone page \"" + m_file->pages[static_cast<std::size_t>(page)].name
                                  + "\" do not read as icons (" + PlaceText(PlaceOfByte(m_file->bytes, element.begin)) + ")",
                              element.begin);
    }
    tagIcons(page, document.Root());
}

void ZonePageFile::tagIcons(int page, TSimpleXMLElem& root)
{
    const std::vector<int> icons = iconsOf(m_file->pageElements[static_cast<std::size_t>(page)]);
    std::size_t next = 0;
    for (int i = 0; i < root.ItemCount(); ++i) {
        TSimpleXMLElem* item = root.Items().Item(i);
        if (item->Kind() != TSimpleXMLElemKind::Classic)
            continue;
        if (next >= icons.size()) {
            item->SetData(nullptr);
            continue;
        }
        const std::uintptr_t serial = m_nextSerial++;
        rememberRawForms(m_file->spans.elements[static_cast<std::size_t>(icons[next])]);
        m_origins[serial] = Origin{icons[next++], snapshotOf(*item)};
        item->SetData(serialPointer(serial));
    }
    m_pageSnapshots[page] = snapshotOf(root);
}

void ZonePageFile::rememberRawForms(const XmlSpanElement& icon)
{
    for (const XmlSpanProperty& property : icon.properties) {
        if (property.rawValue.find_first_of("&'\"<>") == std::string_view::npos)
            continue;
        // Written between double quotes: a form that holds one (read between single quotes) or
        // a '<' would end or break the value there.
        if (property.rawValue.find_first_of("\"<") != std::string_view::npos)
            continue;
        std::string value = decoded(property.rawValue);
        if (encoded(value) != property.rawValue)
            m_rawForms.emplace(std::move(value), std::string(property.rawValue));
    }
}

std::string ZonePageFile::valueText(const std::string& value) const
{
    const auto known = m_rawForms.find(value);
    return known != m_rawForms.end() ? known->second : encoded(value);
}

ZonePageFile::Snapshot ZonePageFile::snapshotOf(const TSimpleXMLElem& element)
{
    Snapshot properties;
    const TSimpleXMLProps* props = element.PropertiesIfAny();
    for (int i = 0; props && i < props->Count(); ++i)
        properties.emplace_back(props->Item(i)->FullName(), std::string(props->Item(i)->Value()));
    return properties;
}

void ZonePageFile::stash(int page, TSimpleXML& document)
{
    TSimpleXMLElem& root = document.Root();
    auto kept = std::make_unique<TSimpleXMLElemClassic>(nullptr);
    kept->SetName(root.Name());
    for (int i = 0; i < root.Properties().Count(); ++i) {
        const TSimpleXMLProp* prop = root.Properties().Item(i);
        kept->Properties().Add(prop->FullName(), std::string(prop->Value()));
    }
    while (root.ItemCount() > 0)
        kept->Items().Append(root.Items().Take(0));
    root.Clear();
    m_file->pages.at(static_cast<std::size_t>(page)).poiCount = IconCount(*kept);
    m_stashed[page] = std::move(kept);
}

std::optional<int> ZonePageFile::lineOf(const TSimpleXMLElem& icon) const
{
    const int element = originOf(icon);
    if (element < 0)
        return std::nullopt;
    const std::string& bytes = m_file->bytes;
    if (m_lineStarts.empty()) {
        // Lines end at LF, CR LF or a lone CR, as every place the editor names counts them.
        m_lineStarts.push_back(0);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            if (bytes[i] == '\n' || bytes[i] == '\r')
                m_lineStarts.push_back(i + 1);
        }
    }
    const std::size_t begin = m_file->spans.elements[static_cast<std::size_t>(element)].begin;
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), begin);
    return static_cast<int>(after - m_lineStarts.begin());
}

int ZonePageFile::originOf(const TSimpleXMLElem& icon) const
{
    const auto found = m_origins.find(reinterpret_cast<std::uintptr_t>(icon.Data()));
    return found == m_origins.end() ? -1 : found->second.element;
}

std::string ZonePageFile::iconText(int page, const TSimpleXMLElem& icon) const
{
    const auto found = m_origins.find(reinterpret_cast<std::uintptr_t>(icon.Data()));
    if (found != m_origins.end() && found->second.element >= 0 && found->second.shown == snapshotOf(icon)) {
        const XmlSpanElement& span = m_file->spans.elements[static_cast<std::size_t>(found->second.element)];
        return m_file->bytes.substr(span.begin, span.end - span.begin);
    }
    const bool known = page >= 0 && static_cast<std::size_t>(page) < m_file->pageElements.size();
    return newIconText(icon, known ? siblingIcon(iconsOf(m_file->pageElements[static_cast<std::size_t>(page)])) : nullptr);
}

std::string ZonePageFile::editedBytes(int shownPage, const TSimpleXMLElem& shown) const
{
    std::vector<Edit> edits;
    for (const auto& [page, root] : m_stashed)
        addPageEdits(page, *root, edits);
    if (shownPage >= 0)
        addPageEdits(shownPage, shown, edits);
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    std::string out;
    out.reserve(m_file->bytes.size() + 256);
    std::size_t at = 0;
    for (const Edit& edit : edits) {
        if (edit.begin < at || edit.end < edit.begin || edit.end > m_file->bytes.size())
            throw std::runtime_error("the edits of the file overlap");
        out.append(m_file->bytes, at, edit.begin - at);
        out += edit.text;
        at = edit.end;
    }
    out.append(m_file->bytes, at, std::string::npos);
    return out;
}

bool ZonePageFile::addPropertyEdits(const XmlSpanElement& original, const Snapshot& shown,
                                    const TSimpleXMLElem& current, std::vector<Edit>& edits) const
{
    const Snapshot now = snapshotOf(current);
    if (now == shown)
        return true;
    const XmlSpanList<XmlSpanProperty>& before = original.properties;
    if (shown.size() != before.size())
        return false;
    std::vector<bool> kept(before.size(), false);
    std::string added;
    for (const auto& [name, value] : now) {
        std::size_t match = 0;
        while (match < shown.size() && (kept[match] || shown[match].first != name))
            ++match;
        if (match == shown.size()) {
            added += " " + name + "=\"" + valueText(value) + "\"";
            continue;
        }
        kept[match] = true;
        if (shown[match].second != value)
            edits.push_back({before[match].valueBegin, before[match].valueEnd, valueText(value)});
    }
    for (std::size_t j = 0; j < before.size(); ++j) {
        if (kept[j])
            continue;
        // The property goes with the blanks before it.
        const std::size_t from = j == 0 ? original.tagEnd : before[j - 1].valueEnd + 1;
        edits.push_back({from, before[j].valueEnd + 1, std::string()});
    }
    if (!added.empty())
        edits.push_back({original.propsEnd, original.propsEnd, std::move(added)});
    return true;
}

std::string ZonePageFile::propertyText(const TSimpleXMLElem& element) const
{
    std::string text;
    const TSimpleXMLProps* props = element.PropertiesIfAny();
    for (int i = 0; props && i < props->Count(); ++i) {
        const TSimpleXMLProp* prop = props->Item(i);
        text += " " + prop->FullName() + "=\"" + valueText(prop->Value()) + "\"";
    }
    return text;
}

std::string ZonePageFile::newIconText(const TSimpleXMLElem& icon, const XmlSpanElement* sibling) const
{
    std::string text = "<" + icon.Name() + propertyText(icon);
    // A map link's label is its content: it goes with the element.
    if (!icon.Value().empty())
        return text + ">" + valueText(icon.Value()) + "</" + icon.Name() + ">";
    const bool blankBeforeClose = sibling && sibling->selfClosing && sibling->startEnd >= 3
        && simplexml::IsBlank(static_cast<unsigned char>(m_file->bytes[sibling->startEnd - 3]));
    return text + (blankBeforeClose ? " />" : "/>");
}

std::string ZonePageFile::childIndent(int pageElementIndex) const
{
    const XmlSpanElement& page = m_file->spans.elements[static_cast<std::size_t>(pageElementIndex)];
    if (!page.children.empty())
        return std::string(IndentBefore(m_file->bytes, m_file->spans.elements[static_cast<std::size_t>(page.children.front())].begin));
    const std::string_view own = IndentBefore(m_file->bytes, page.begin);
    std::string_view step = own.empty() ? std::string_view() : kDefaultIndentStep;
    if (page.parent >= 0) {
        const std::string_view parent =
            IndentBefore(m_file->bytes, m_file->spans.elements[static_cast<std::size_t>(page.parent)].begin);
        if (own.size() > parent.size() && own.substr(0, parent.size()) == parent)
            step = own.substr(parent.size());
    }
    return std::string(own) + std::string(step);
}

const XmlSpanElement* ZonePageFile::siblingIcon(const std::vector<int>& icons) const
{
    if (!icons.empty())
        return &m_file->spans.elements[static_cast<std::size_t>(icons.front())];
    for (const XmlSpanElement& element : m_file->spans.elements)
        if (m_file->isPoiTag(element.tag) && element.parent >= 0)
            return &element;
    return nullptr;
}

void ZonePageFile::addPageEdits(int page, const TSimpleXMLElem& root, std::vector<Edit>& edits) const
{
    const int pageIndex = m_file->pageElements.at(static_cast<std::size_t>(page));
    const XmlSpanElement& element = m_file->spans.elements[static_cast<std::size_t>(pageIndex)];
    const auto shownPage = m_pageSnapshots.find(page);
    if (shownPage != m_pageSnapshots.end() && !addPropertyEdits(element, shownPage->second, root, edits))
        edits.push_back({element.tagEnd, element.propsEnd, propertyText(root)});

    const std::vector<int> icons = iconsOf(pageIndex);
    const XmlSpanElement* sibling = siblingIcon(icons);
    const std::string lineBreak(LineBreakOf(m_file->bytes));
    const std::string indent = childIndent(pageIndex);
    std::vector<bool> used(m_file->spans.elements.size(), false);

    // New icons go after the last icon kept before them, else before the first icon kept after
    // them, else before the page's first icon, else before the page's end.
    std::string pending;
    const XmlSpanElement* previous = nullptr;
    auto insertAt = [&](std::size_t at) {
        edits.push_back({at, at, std::move(pending)});
        pending.clear();
    };
    for (int i = 0; i < root.ItemCount(); ++i) {
        const TSimpleXMLElem* item = root.ItemsIfAny()->Item(i);
        if (item->Kind() != TSimpleXMLElemKind::Classic)
            continue;
        const int origin = originOf(*item);
        const bool ours = origin >= 0 && std::find(icons.begin(), icons.end(), origin) != icons.end()
            && !used[static_cast<std::size_t>(origin)];
        if (!ours) {
            pending += indent + newIconText(*item, sibling) + lineBreak;
            continue;
        }
        used[static_cast<std::size_t>(origin)] = true;
        const XmlSpanElement& span = m_file->spans.elements[static_cast<std::size_t>(origin)];
        if (!pending.empty())
            insertAt(previous ? LinesOf(m_file->bytes, previous->begin, previous->end).end
                              : LinesOf(m_file->bytes, span.begin, span.end).begin);
        const Origin& shown = m_origins.at(reinterpret_cast<std::uintptr_t>(item->Data()));
        if (!addPropertyEdits(span, shown.shown, *item, edits))
            edits.push_back({span.tagEnd, span.propsEnd, propertyText(*item)});
        previous = &span;
    }
    if (!pending.empty()) {
        if (previous) {
            insertAt(LinesOf(m_file->bytes, previous->begin, previous->end).end);
        } else if (!icons.empty()) {
            const XmlSpanElement& first = m_file->spans.elements[static_cast<std::size_t>(icons.front())];
            insertAt(LinesOf(m_file->bytes, first.begin, first.end).begin);
        } else {
            addAtPageEnd(element, pending, edits);
        }
    }
    for (int icon : icons) {
        if (used[static_cast<std::size_t>(icon)])
            continue;
        const XmlSpanElement& span = m_file->spans.elements[static_cast<std::size_t>(icon)];
        const LineSpan line = LinesOf(m_file->bytes, span.begin, span.end);
        edits.push_back({line.begin, line.end, std::string()});
    }
}

void ZonePageFile::addAtPageEnd(const XmlSpanElement& page, const std::string& lines,
                                std::vector<Edit>& edits) const
{
    const std::string lineBreak(LineBreakOf(m_file->bytes));
    const std::string pageIndent(IndentBefore(m_file->bytes, page.begin));
    if (page.selfClosing) {
        edits.push_back({page.propsEnd, page.startEnd,
                         ">" + lineBreak + lines + pageIndent + "</" + std::string(page.tag) + ">"});
        return;
    }
    const std::size_t endTag = m_file->bytes.rfind('<', page.end - 1);
    const std::string_view before = IndentBefore(m_file->bytes, endTag);
    const std::size_t lineStart = endTag - before.size();
    if (lineStart == 0 || isLineBreak(m_file->bytes[lineStart - 1]))
        edits.push_back({lineStart, lineStart, lines});
    else
        edits.push_back({endTag, endTag, lineBreak + lines + pageIndent});
}

std::vector<std::pair<std::string, std::string>> ZonePageFile::iconTemplate(int page) const
{
    std::vector<std::pair<std::string, std::string>> properties;
    const XmlSpanElement* icon = siblingIcon(iconsOf(m_file->pageElements.at(static_cast<std::size_t>(page))));
    if (icon)
        for (const XmlSpanProperty& property : icon->properties)
            properties.emplace_back(std::string(property.name), decoded(property.rawValue));
    return properties;
}

std::map<std::string, int, std::less<>> ZonePageFile::iconValueUses(std::string_view name) const
{
    std::map<std::string, int, std::less<>> uses;
    for (const XmlSpanElement& element : m_file->spans.elements) {
        const XmlSpanProperty* value = element.tag == kIconTag ? element.find(name) : nullptr;
        if (!value)
            continue;
        const auto found = uses.find(value->rawValue);
        if (found != uses.end())
            ++found->second;
        else
            uses.emplace(std::string(value->rawValue), 1);
    }
    return uses;
}

long long ZonePageFile::largestIconId(const TSimpleXMLElem& shown) const
{
    long long largest = 0;
    const auto take = [&largest](std::string_view name) {
        if (name.substr(0, kIdPrefix.size()) != kIdPrefix)
            return;
        const std::string_view digits = name.substr(kIdPrefix.size());
        long long number = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error == std::errc() && end == digits.data() + digits.size())
            largest = std::max(largest, number);
    };
    for (const XmlSpanElement& element : m_file->spans.elements)
        if (const XmlSpanProperty* name = element.tag == kIconTag ? element.find(kNameProperty) : nullptr)
            take(name->rawValue);
    const TSimpleXMLElems* children = shown.ItemsIfAny();
    for (int i = 0; children && i < children->Count(); ++i) {
        const TSimpleXMLProps* props = children->Item(i)->PropertiesIfAny();
        if (const TSimpleXMLProp* name = props ? props->Find(std::string(kNameProperty)) : nullptr)
            take(name->Value());
    }
    return largest;
}

int ZonePageFile::IconCount(const TSimpleXMLElem& root)
{
    int count = 0;
    for (int i = 0; i < root.ItemCount(); ++i)
        count += root.ItemsIfAny()->Item(i)->Kind() == TSimpleXMLElemKind::Classic ? 1 : 0;
    return count;
}
