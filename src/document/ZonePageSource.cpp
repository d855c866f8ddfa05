// Zone pages inside a file: the file is the document, one zone page is shown at a time, and a
// save splices the edits into the file's bytes (ZonePageFile). Two kinds: the game's map window
// file, whose icons are laid out by their top-left corner, and the map pack's POI files, whose
// icons are placed by their world location alone.
#include "document/ZonePageInFile.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "document/ZonePoiAdd.h"
#include "mapview/PoiAnchor.h"
#include "support/ZonePageFile.h"

namespace {

const char* const kLaidOutTypeProperty = "IconStyle";

// The game's map window file: icons laid out by their top-left corner, typed by IconStyle.
class LaidOutZonePage final : public ZonePageInFile {
public:
    using ZonePageInFile::ZonePageInFile;

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
class WorldZonePage final : public ZonePageInFile {
public:
    using ZonePageInFile::ZonePageInFile;

    PoiAnchor anchor() const override { return PoiAnchor::World; }
    const char* kindName() const override { return "PoiFile"; }

    bool offers(PageFeature feature) const override
    {
        if (feature == PageFeature::LocationField)
            return false;
        return feature == PageFeature::Description || feature == PageFeature::NumberedNames
            || feature == PageFeature::LineBreakReferences || ZonePageInFile::offers(feature);
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
