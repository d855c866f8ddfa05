// The icon page of its own: its root is the page, its save rewrites the whole page in the
// editor's layout, and its anchor rule is the user's choice.
#include "document/PageSource.h"
#include "support/TextUtil.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "mapview/EditorState.h"
#include "mapview/PoiAnchor.h"
#include "support/ZonePageFile.h"

#include <QFileInfo>

#include <iterator>
#include <stdexcept>

namespace {

const char* const kIconTag = "Icon";
const char* const kIconTypeValue = "map";
const char* const kTreatAsButtonValue = "true";
const char* const kOnHoverInValue =
    "Parent.Parent.Parent.Parent.WC_Titlebar.QM_LocEntry.QM_LocText.LocalText=pathfindlocation";
const char* const kTypeProperty = "IconStyle";

class IconPage final : public PageSource {
public:
    explicit IconPage(std::string trailer) : m_trailer(std::move(trailer)) {}

    bool offers(PageFeature feature) const override
    {
        switch (feature) {
        case PageFeature::SaveOptions:
        case PageFeature::AnchorOption:
        case PageFeature::OwnZoneName:
        case PageFeature::TypeSetsSize:
        case PageFeature::LocationField:
        case PageFeature::AnyType:
            return true;
        case PageFeature::PageList:
        case PageFeature::OwnTypeValues:
        case PageFeature::Description:
        case PageFeature::NumberedNames:
        case PageFeature::LineBreakReferences:
            break;
        }
        return false;
    }

    PoiAnchor anchor() const override { return PoiAnchor::Location; }
    const char* kindName() const override { return "IconPage"; }

    QString title(const QString& path) const override { return QFileInfo(path).fileName(); }

    const char* typeProperty() const override { return kTypeProperty; }
    PoiVocabulary vocabulary() const override { return IconPageVocabulary(); }

    std::string_view markerStyle(const TSimpleXMLElem& poi) const override
    {
        return ValueOrEmpty(poi, kTypeProperty);
    }

    std::array<const char*, PoiTreeModel::kValueCount> valueProperties() const override
    {
        return IconValueProperties();
    }

    // A new icon of an icon page has the described properties in their fixed order.
    IconProperties newIconTemplate(const TSimpleXMLElem&, int) const override { return {}; }

    TSimpleXMLElem& addPoi(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties&) override
    {
        return AppendNewPoi(root, fields);
    }

    bool prepareSave(TSimpleXML& document, const EditorState& state) override
    {
        if (!state.RearrangeOnSave || document.Root().ItemCount() == 0)
            return false;
        const std::string unarranged = document.SaveToString();
        RearrangeIconElements(document.Root());
        return document.SaveToString() != unarranged;
    }

    std::string bytes(TSimpleXML& document, const EditorState& state) const override
    {
        return IconPageBytes(document, state.WriteBom, m_trailer);
    }

    void written(std::string, TSimpleXMLElem&) override {}
    // The whole page is written: whether the file holds those bytes already is the write's to see.
    bool holdsEdits(const TSimpleXMLElem&) const override { return true; }
    // Another program's change cannot be merged into a page that is rewritten whole.
    bool rebase(std::string) override { return false; }

private:
    std::string m_trailer;  // what followed the root element in the file, written back on save
};

}  // namespace

TSimpleXMLElem& AppendNewPoi(TSimpleXMLElem& root, const NewPoiFields& fields)
{
    TSimpleXMLElem& poi = *root.Items().Add(kIconTag);
    const std::string size = PoiIconSize(fields.iconType);
    TSimpleXMLProps& props = poi.Properties();
    props.Add(kTypeProperty, fields.iconType);
    props.Add("IconType", kIconTypeValue);
    props.Add("Location", fields.location);
    props.Add("Name", fields.name);
    props.Add("OnHoverIn", kOnHoverInValue);
    props.Add("pathfindlocation", fields.path);
    props.Add("ScrollExtent", size);
    props.Add("Size", size);
    props.Add("Tooltip", fields.tooltip);
    props.Add("TreatAsButton", kTreatAsButtonValue);
    return poi;
}

std::array<const char*, PoiTreeModel::kValueCount> IconValueProperties()
{
    std::array<const char*, PoiTreeModel::kValueCount> properties{};
    std::copy(std::begin(kPoiValueProperties), std::end(kPoiValueProperties), properties.begin());
    return properties;
}

PoiVocabulary IconPageVocabulary()
{
    PoiVocabulary vocabulary;
    vocabulary.typeProperty = kTypeProperty;
    vocabulary.knownTypes.assign(std::begin(kPoiTypes), std::end(kPoiTypes));
    return vocabulary;
}

std::unique_ptr<PageSource> IconPageSource(std::string trailer)
{
    return std::make_unique<IconPage>(std::move(trailer));
}

std::unique_ptr<PageSource> ReadIconPageSource(TSimpleXML& read, const std::string& path, std::string* preread,
                                               FileStamp* stamp)
{
    return IconPageSource(LoadIconPageDocument(read, path, preread, stamp));
}

void PageSource::readPage(int, TSimpleXML&)
{
    throw std::out_of_range("the file holds no other page");
}

void PageSource::switchTo(int, TSimpleXML&) {}

void PageSource::describeCheck(CheckedPage&, const TSimpleXMLElem&, const EditorState&) const {}
namespace {

void setOrAdd(TSimpleXMLElem& element, const char* property, const std::string& value)
{
    if (TSimpleXMLProp* prop = element.Properties().Find(property))
        prop->SetValue(value);
    else
        element.Properties().Add(property, value);
}

}  // namespace

std::optional<ImagePoint> PageSource::pointOf(const TSimpleXMLElem& poi, const EditorState& state) const
{
    return PointFromLocation(state.Anchor, ValueOrEmpty(poi, "Location"), ValueOrEmpty(poi, "Size"));
}

void PageSource::placeAt(TSimpleXMLElem& poi, std::optional<ImagePoint> point, const std::string& world,
                         const EditorState& state) const
{
    if (point) {
        const auto [x, y] = LocationForPoint(state.Anchor, *point, ValueOrEmpty(poi, "Size"));
        setOrAdd(poi, "Location", std::to_string(x) + "," + std::to_string(y));
    }
    if (world != ValueOrEmpty(poi, kWorldLocationProperty))
        setOrAdd(poi, kWorldLocationProperty, world);
}

long long PageSource::largestIconId(const TSimpleXMLElem&) const
{
    return 0;
}

const std::vector<ZonePageInfo>& PageSource::pages() const
{
    static const std::vector<ZonePageInfo> none;
    return none;
}

int PageSource::findPage(std::string_view) const
{
    return -1;
}

const std::string& PageSource::fileBytes() const
{
    static const std::string none;
    return none;
}

std::optional<int> PageSource::lineOf(const TSimpleXMLElem& root, int poiIndex) const
{
    // A page read from a buffer keeps its values where they stand in it: the first value's
    // place tells the POI's line. Values decoded in place (a line break written as a character
    // reference) may add lines before it; a page whose values were not read in place has none.
    const TSimpleXML* document = root.Document();
    const TSimpleXMLElems* items = root.ItemsIfAny();
    const TSimpleXMLElem* poi = items ? items->Item(poiIndex) : nullptr;
    const TSimpleXMLProps* props = poi ? poi->PropertiesIfAny() : nullptr;
    if (!document || !props || props->Count() == 0)
        return std::nullopt;
    const std::string_view buffer = document->Buffer();
    const char* value = props->Item(0)->Value().data();
    if (buffer.empty() || value < buffer.data() || value >= buffer.data() + buffer.size())
        return std::nullopt;
    return static_cast<int>(PlaceOfByte(buffer, static_cast<std::size_t>(value - buffer.data())).line);
}

std::string PageSource::poiText(const TSimpleXMLElem& poi) const
{
    TSimpleXML document;
    ConfigureIconPageDocument(document);
    document.Root().Assign(poi);
    std::string bytes = TextWithoutDeclaration(document);
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
        bytes.pop_back();
    return bytes;
}
