// A map links file: one zone page per map, holding the links of that map to other maps as labels
// (Text, whose content is the label) and icons (Icon, whose tooltip is the label), placed by their
// pixel Location on the map. Its pages are zone pages inside a file like the others: only the
// POIs, their check and where their links lead are its own.
#include "document/ZonePageInFile.h"

#include "document/IconPageFile.h"
#include "document/MapLinkTargets.h"
#include "document/PoiTypes.h"
#include "document/ZonePoiAdd.h"
#include "mapview/MapStyle.h"
#include "mapview/MarkerGeometry.h"

#include <iterator>
#include <map>

namespace {

// The link signs of the game's own file; a page's other signs join them (OwnTypeValues).
const char* const kLinkSigns[] = {"linkup", "linkdownlarge"};

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

class MapLinksPage final : public ZonePageInFile {
public:
    MapLinksPage(std::unique_ptr<ZonePageFile> file, std::string path)
        : ZonePageInFile(std::move(file)), m_path(std::move(path))
    {
    }

    PoiAnchor anchor() const override { return PoiAnchor::Location; }
    const char* kindName() const override { return "MapLinks"; }
    const char* listedKind() const override { return "map links"; }

    const char* typeProperty() const override { return kMapLinkTypeProperty; }

    PoiVocabulary vocabulary() const override
    {
        PoiVocabulary vocabulary;
        vocabulary.typeProperty = kMapLinkTypeProperty;
        vocabulary.knownTypes.assign(std::begin(kLinkSigns), std::end(kLinkSigns));
        return vocabulary;
    }

    // Links are drawn as links, whatever their sign, with their label beside them: a label's
    // text, an icon's tooltip.
    std::string_view markerStyle(const TSimpleXMLElem&) const override { return kLinkStyle; }
    std::string markerLabel(const TSimpleXMLElem& poi) const override
    {
        return poi.Value().empty() ? std::string(ValueOrEmpty(poi, kWorldTooltipProperty)) : poi.Value();
    }

    std::array<const char*, PoiTreeModel::kValueCount> valueProperties() const override
    {
        return kMapLinkValueProperties;
    }

    // Where a link leads is what tells links of one name apart.
    const char* nameNoteProperty() const override { return kMapLinkProperty; }

    TSimpleXMLElem& addPoi(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& like) override
    {
        return AppendMapLinkIcon(root, fields, like);
    }

    // Links have a Location on their map and nothing else of an icon page's: no Size, no world
    // location, no type the game checks. A link must lead to a map the pack knows.
    void describeCheck(CheckedPage& page, const TSimpleXMLElem& root, const EditorState& state) const override
    {
        page.asksSize = false;
        page.asksWorld = false;
        page.vocabulary = PoiVocabulary();
        std::map<std::string, std::string> styles = MapDisplayNames(state);
        page.poiRule = [this, &root, styles = std::move(styles)](int index) -> std::optional<std::string> {
            const TSimpleXMLElems* items = root.ItemsIfAny();
            const TSimpleXMLElem* poi = items ? items->Item(index) : nullptr;
            const std::optional<std::string> map = poi ? linkedMap(*poi) : std::nullopt;
            if (!map)
                return "no " + std::string(kMapLinkProperty);
            if (styles.count(*map) == 0 && !linkedPage(*map))
                return std::string(kMapLinkProperty) + " " + quoted(*map) + " names no known map";
            return std::nullopt;
        };
    }

    std::optional<std::string> linkedMap(const TSimpleXMLElem& poi) const override
    {
        const TSimpleXMLProps* props = poi.PropertiesIfAny();
        const TSimpleXMLProp* link = props ? props->Find(kMapLinkProperty) : nullptr;
        return link ? std::optional<std::string>(std::string(link->Value())) : std::nullopt;
    }

    const MapPagePlace* linkedPage(const std::string& map) const override
    {
        // The pack is scanned when a link is first asked about, then kept with the file.
        if (!m_targets)
            m_targets = std::make_shared<MapLinkTargets>(MapLinkTargets::Scan(m_path, m_file.get()));
        return m_targets->find(map);
    }

private:
    std::string m_path;
    mutable std::shared_ptr<const MapLinkTargets> m_targets;
};

}  // namespace

std::unique_ptr<PageSource> MapLinksSource(std::unique_ptr<ZonePageFile> file, std::string path)
{
    return std::make_unique<MapLinksPage>(std::move(file), std::move(path));
}
