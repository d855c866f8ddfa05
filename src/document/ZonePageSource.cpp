// Zone pages inside a file: the file is the document, one zone page is shown at a time, and a
// save splices the edits into the file's bytes (ZonePageFile). Two kinds: the game's map window
// file, whose icons are laid out by their top-left corner, and the map pack's POI files, whose
// icons are placed by their world location alone.
#include "document/ZonePage.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "document/ZonePoiAdd.h"
#include "support/ZonePageFile.h"

namespace {

const char* const kLaidOutTypeProperty = "IconStyle";

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
        return feature == PageFeature::Description || feature == PageFeature::NumberedNames
            || feature == PageFeature::LineBreakReferences || ZonePage::offers(feature);
    }

    const char* typeProperty() const override { return kWorldTypeProperty; }

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

std::unique_ptr<PageSource> ZonePageSource(std::unique_ptr<ZonePageFile> file)
{
    if (file->worldOnly())
        return std::make_unique<WorldZonePage>(std::move(file));
    return std::make_unique<LaidOutZonePage>(std::move(file));
}
