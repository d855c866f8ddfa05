// Zone pages inside a file: the file is the document, one zone page is shown at a time, and a
// save splices the edits into the file's bytes (ZonePageFile). Two kinds: the game's map window
// file, whose icons are laid out by their top-left corner, and the map pack's POI files, whose
// icons are placed by their world location alone.
#include "document/PageSource.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "document/ZonePoiAdd.h"
#include "mapview/PoiAnchor.h"
#include "support/ZonePageFile.h"

#include <QFileInfo>

namespace {

const char* const kLaidOutTypeProperty = "IconStyle";

class ZonePage : public PageSource {
public:
    explicit ZonePage(std::unique_ptr<ZonePageFile> file) : m_file(std::move(file)) {}

    bool offers(PageFeature feature) const override
    {
        switch (feature) {
        case PageFeature::PageList:
        case PageFeature::OwnTypeValues:
        case PageFeature::LocationField:
            return true;
        case PageFeature::AnyType:
        case PageFeature::Description:
        case PageFeature::NumberedNames:
        case PageFeature::LineBreakReferences:
        case PageFeature::SaveOptions:
        case PageFeature::AnchorOption:
        case PageFeature::OwnZoneName:
        case PageFeature::TypeSetsSize:
            break;
        }
        return false;
    }

    QString title(const QString& path) const override
    {
        return QFileInfo(path).fileName() + QLatin1Char('#') + fromDoc(pageName());
    }

    std::optional<std::string> shownPageName() const override
    {
        return m_page < 0 ? std::nullopt : std::optional<std::string>(pageName());
    }

    std::string poiText(const TSimpleXMLElem& poi) const override { return m_file->iconText(m_page, poi); }

    IconProperties newIconTemplate(const TSimpleXMLElem& root, int selected) const override
    {
        // Made like the selected icon, else the page's first, else the file's first.
        const TSimpleXMLElems* children = root.ItemsIfAny();
        const int index = selected >= 0 ? selected : 0;
        const TSimpleXMLElem* sibling = children && index < children->Count() ? children->Item(index) : nullptr;
        return sibling ? PropertiesOf(*sibling) : IconProperties(m_file->iconTemplate(m_page));
    }

    // Only the edited bytes change: the byte order mark and rearranging do not apply.
    bool prepareSave(TSimpleXML&, const EditorState&) override { return false; }

    std::string bytes(TSimpleXML& document, const EditorState&) const override
    {
        return m_file->editedBytes(m_page, document.Root());
    }

    void written(std::string bytes, TSimpleXMLElem& shown) override
    {
        try {
            m_page = m_file->saved(std::move(bytes), m_page, shown);
        } catch (const std::exception&) {
            // The file is written. Its new bytes did not read again, so the edits stay as
            // spliced into the bytes first read: the next save writes the same bytes again.
        }
    }

    bool holdsEdits(const TSimpleXMLElem& shown) const override { return m_file->hasEdits(m_page, shown); }
    bool rebase(std::string bytes) override { return m_file->rebase(std::move(bytes), m_page); }

    std::optional<int> lineOf(const TSimpleXMLElem& root, int poiIndex) const override
    {
        const TSimpleXMLElems* items = root.ItemsIfAny();
        const TSimpleXMLElem* poi = items ? items->Item(poiIndex) : nullptr;
        return poi ? m_file->lineOf(*poi) : std::nullopt;
    }

    const std::vector<ZonePageInfo>& pages() const override { return m_file->pages(); }
    int findPage(std::string_view name) const override { return m_file->findPage(name); }
    const std::string& fileBytes() const override { return m_file->bytes(); }
    long long largestIconId(const TSimpleXMLElem& shown) const override { return m_file->largestIconId(shown); }
    int shownPage() const override { return m_page; }
    void readPage(int page, TSimpleXML& read) override { m_file->show(page, read); }

    void switchTo(int page, TSimpleXML& shown) override
    {
        if (m_page >= 0)
            m_file->stash(m_page, shown);
        m_page = page;
    }

protected:
    const std::string& pageName() const { return m_file->pages()[static_cast<std::size_t>(m_page)].name; }

    std::unique_ptr<ZonePageFile> m_file;
    int m_page = -1;
};

// The game's map window file: icons laid out by their top-left corner, typed by IconStyle.
class LaidOutZonePage final : public ZonePage {
public:
    using ZonePage::ZonePage;

    PoiAnchor anchor() const override { return PoiAnchor::Centre; }
    const char* kindName() const override { return "MapWindow"; }

    const char* typeProperty() const override { return kLaidOutTypeProperty; }

    PoiVocabulary vocabulary() const override
    {
        PoiVocabulary vocabulary;
        vocabulary.typeProperty = kLaidOutTypeProperty;
        vocabulary.knownTypes = {"style", "zoningstyle"};
        return vocabulary;
    }

    std::string_view markerStyle(const TSimpleXMLElem& poi) const override
    {
        return ValueOrEmpty(poi, kLaidOutTypeProperty);
    }

    std::array<const char*, PoiTreeModel::kValueCount> valueProperties() const override
    {
        return IconValueProperties();
    }

    TSimpleXMLElem& addPoi(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& like) override
    {
        return AppendLaidOutIcon(root, fields, like);
    }
};

// A map pack POI file: icons known by their world location alone, typed by PoiType, named by a
// running "ID" number.
class WorldZonePage final : public ZonePage {
public:
    using ZonePage::ZonePage;

    PoiAnchor anchor() const override { return PoiAnchor::World; }
    const char* kindName() const override { return "PoiFile"; }

    bool offers(PageFeature feature) const override
    {
        if (feature == PageFeature::LocationField)
            return false;
        return feature == PageFeature::Description || feature == PageFeature::NumberedNames
            || feature == PageFeature::LineBreakReferences || ZonePage::offers(feature);
    }

    const char* typeProperty() const override { return kWorldTypeProperty; }

    // Placed by the world location alone, where the zone rectangle puts it.
    std::optional<ImagePoint> pointOf(const TSimpleXMLElem& poi, const EditorState& state) const override
    {
        return WorldToImagePoint(state, ValueOrEmpty(poi, kWorldLocationProperty));
    }

    void placeAt(TSimpleXMLElem& poi, std::optional<ImagePoint>, const std::string& world,
                 const EditorState&) const override
    {
        const std::string old = ValueOrEmpty(poi, kWorldLocationProperty);
        if (world == old)
            return;
        if (TSimpleXMLProp* prop = poi.Properties().Find(kWorldLocationProperty))
            prop->SetValue(world);
        else
            poi.Properties().Add(kWorldLocationProperty, world);
        // The description line that repeated the old world location follows it.
        ReplaceDescriptionLine(poi, old, world);
    }

    PoiVocabulary vocabulary() const override
    {
        PoiVocabulary vocabulary;
        vocabulary.typeProperty = kWorldTypeProperty;
        vocabulary.knownTypes = {"NPC", "LOCATION", "MOBNAMED", "MOBHEROIC", "QUESTUPDATE", "SHOP", "ZONE"};
        return vocabulary;
    }

    std::string_view markerStyle(const TSimpleXMLElem& poi) const override
    {
        return WorldPoiStyle(ValueOrEmpty(poi, kWorldTypeProperty));
    }

    // Its world location, kind, tooltip and description: what such a POI has.
    std::array<const char*, PoiTreeModel::kValueCount> valueProperties() const override
    {
        return kWorldValueProperties;
    }

    // Their names are numbers ("ID33483"): the tooltip's first line is the name an author knows.
    const char* nameNoteProperty() const override { return kWorldTooltipProperty; }

    TSimpleXMLElem& addPoi(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& like) override
    {
        return AppendWorldIcon(root, fields, like, m_file->largestIconId(root) + 1);
    }
};

}  // namespace

std::unique_ptr<PageSource> LaidOutZonePageSource(std::unique_ptr<ZonePageFile> file)
{
    return std::make_unique<LaidOutZonePage>(std::move(file));
}

std::unique_ptr<PageSource> WorldZonePageSource(std::unique_ptr<ZonePageFile> file)
{
    return std::make_unique<WorldZonePage>(std::move(file));
}
