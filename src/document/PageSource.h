#pragma once
// Where the open page comes from and where its save goes: one implementation per kind of file
// that holds POIs (an icon page of its own, a zone page inside the game's map window file, a zone
// page of a map pack POI file, a map's page of a map links file). Everything that differs
// between the kinds is asked of the source the icon page editor owns; nothing else asks which
// kind is open. A new kind of file is one new implementation of this interface, a factory beside
// the others and its test in OpenPageSource.

#include "document/PageCheck.h"
#include "document/PoiTreeModel.h"
#include "mapview/MapCoordinates.h"
#include "mapview/PoiAnchorRule.h"
#include "support/FileStamp.h"
#include "support/xml/SimpleXml.h"

#include <QString>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ZonePageInfo;
class ZonePageFile;
struct EditorState;
struct MapPagePlace;

// What the user typed for a new POI, as text of the document.
struct NewPoiFields {
    std::string iconType = "CLST";
    std::string location = "0,0";  // "x,y" as the two spin boxes show them
    std::string name = "Anywhere";
    std::string path = "0, 0, 0";
    std::string tooltip = "AnyWhere";  // lines joined by CR LF
};

// Appends a new Icon element with its ten properties, in their fixed order, as the last child of
// `root` (an icon page's new POI); returns it.
TSimpleXMLElem& AppendNewPoi(TSimpleXMLElem& root, const NewPoiFields& fields);

// An element's properties in their order: what a new icon is made like.
using IconProperties = std::vector<std::pair<std::string, std::string>>;
IconProperties PropertiesOf(const TSimpleXMLElem& element);

// What the tree lists under a POI laid out on the map: Location, world location, type, tooltip.
std::array<const char*, PoiTreeModel::kValueCount> IconValueProperties();

// What some kinds of page offer and others do not.
enum class PageFeature {
    PageList,        // other pages of the same file to switch to (File > Zone Page)
    SaveOptions,     // a save writes the whole page: byte order mark and rearranging apply
    AnchorOption,    // the user chooses the anchor rule (Option menu), kept per page file
    OwnZoneName,     // the zone name field shows and edits the page's own "1location"
    TypeSetsSize,    // choosing a type rewrites Size and ScrollExtent
    OwnTypeValues,   // the page's own type values join the type list, matched exactly
    Description,     // the description field under the tooltip
    NumberedNames,   // icons are named by a running "ID" number, which a clashing paste takes
    LineBreakReferences,  // a line break inside a value is the reference "&#xA;", never a raw one
    LocationField,   // the position fields edit the POI's Location; else a POI is placed by its
                     // world location alone, through the zone rectangle
    AnyType,         // the type list takes any type; else types are mapped to those the file knows
};

class PageSource {
public:
    virtual ~PageSource() = default;

    virtual bool offers(PageFeature feature) const = 0;
    // The kind's name on the clipboard: POIs pasted into a page of the same kind are copied as
    // they stand, into another kind they are made anew in the target's form.
    virtual const char* kindName() const = 0;
    // The rule that places the POIs as the page is read (an icon page's option may change it).
    virtual PoiAnchor anchor() const = 0;
    // What a folder's listing calls the file (--check), where it names its kind; null otherwise.
    virtual const char* listedKind() const { return nullptr; }
    // The window title's name of the page: the file name, with "#PAGE" for a page inside a file.
    virtual QString title(const QString& path) const = 0;
    // The name of the page shown among the file's pages, or nothing where the file is the page.
    virtual std::optional<std::string> shownPageName() const { return std::nullopt; }

    // The property that holds a POI's type, and the types the page check knows.
    virtual const char* typeProperty() const = 0;
    virtual PoiVocabulary vocabulary() const = 0;
    // The marker style of a POI (its colour and View menu group).
    virtual std::string_view markerStyle(const TSimpleXMLElem& poi) const = 0;
    // The text drawn beside a POI's marker whatever the View menu says (a link's label); empty: none.
    virtual std::string markerLabel(const TSimpleXMLElem&) const { return {}; }
    // The properties whose values the tree lists under each POI.
    virtual std::array<const char*, PoiTreeModel::kValueCount> valueProperties() const = 0;
    // The property the tree shows beside each POI's name (PoiTreeModel::setNameNote), or null.
    virtual const char* nameNoteProperty() const { return nullptr; }

    // Where a POI's point is on the map as `state` places the page (anchor rule, zone
    // rectangle), halves kept; nothing where it has none.
    virtual std::optional<ImagePoint> pointOf(const TSimpleXMLElem& poi, const EditorState& state) const;
    // Places a POI's point at `point` (none: the point stays), its world location becoming
    // `world`; what repeats the old world location follows it.
    virtual void placeAt(TSimpleXMLElem& poi, std::optional<ImagePoint> point, const std::string& world,
                         const EditorState& state) const;
    // Whether POIs copied from a page of kind `kind` (a kindName) are pasted here as they stand;
    // else they are made anew in this page's form.
    virtual bool pastesAsIs(const std::string& kind) const { return kind == kindName(); }

    // The line of the file as read where POI `poiIndex` of `root` (the page shown) begins, where
    // that is known.
    virtual std::optional<int> lineOf(const TSimpleXMLElem& root, int poiIndex) const;
    // A POI's element as text in the file's own form (for the clipboard), without a line end.
    virtual std::string poiText(const TSimpleXMLElem& poi) const;

    // What a new icon is made like: empty, or the properties of an icon of the page (`selected`,
    // else the page's first, else one of the file's).
    virtual IconProperties newIconTemplate(const TSimpleXMLElem& root, int selected) const = 0;
    // Appends a new icon with the dialog's fields, made like `like`; returns it.
    virtual TSimpleXMLElem& addPoi(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& like) = 0;

    // Saving. Before the bytes are made: the page's own rewriting (rearranging); true when it
    // changed the document in a way the history cannot step back over. Throws when it fails.
    virtual bool prepareSave(TSimpleXML& document, const EditorState& state) = 0;
    // The bytes a save writes for `document`, the page shown.
    virtual std::string bytes(TSimpleXML& document, const EditorState& state) const = 0;
    // After those bytes were written.
    virtual void written(std::string bytes, TSimpleXMLElem& shown) = 0;
    // Whether a save has anything to write that the file on disk does not hold already.
    virtual bool holdsEdits(const TSimpleXMLElem& shown) const = 0;
    // The file changed on disk to `bytes`: true when the edits were taken over to them.
    virtual bool rebase(std::string bytes) = 0;

    // The page check as the kind asks it: `page`, described for the icon page rules, leaves out
    // what does not apply to the kind's POIs and takes its own rules.
    virtual void describeCheck(CheckedPage& page, const TSimpleXMLElem& root, const EditorState& state) const;

    // Links to other maps: the map a POI leads to (nothing where it is no link), and where that
    // map's page is in the pack (null: nowhere known).
    virtual std::optional<std::string> linkedMap(const TSimpleXMLElem&) const { return std::nullopt; }
    virtual const MapPagePlace* linkedPage(const std::string&) const { return nullptr; }

    // The next number of the running "ID" names of new icons, where the kind numbers them.
    virtual long long largestIconId(const TSimpleXMLElem& shown) const;
    // How many POIs of the file as read hold each raw value of property `name` (a pack's
    // vocabulary without reading its pages); empty where the file is the page.
    virtual std::map<std::string, int, std::less<>> valueUses(std::string_view) const { return {}; }

    // Other pages of the same file: their list (empty where the file is the page), the first of
    // a name (-1: none), the file's bytes as read (empty where the file is the page: its reader
    // keeps them), the page shown (-1: none), reading another page into `read` (throws when it
    // does not read), and keeping the edits of `shown` while page `page` is shown instead.
    virtual const std::vector<ZonePageInfo>& pages() const;
    virtual int findPage(std::string_view name) const;
    virtual const std::string& fileBytes() const;
    virtual int shownPage() const { return -1; }
    virtual void readPage(int page, TSimpleXML& read);
    virtual void switchTo(int page, TSimpleXML& shown);
};

// An icon page of its own; `trailer` is what followed its root element.
std::unique_ptr<PageSource> IconPageSource(std::string trailer = {});
// Reads an icon page into `read` (see LoadIconPageDocument) and gives its source.
std::unique_ptr<PageSource> ReadIconPageSource(TSimpleXML& read, const std::string& path, std::string* preread,
                                               FileStamp* stamp);
// The zone pages of a file: laid out by the icons' top-left corner (the game's map window file),
// or placed by world location alone (a map pack POI file). OpenPageSource tells which.
std::unique_ptr<PageSource> LaidOutZonePageSource(std::unique_ptr<ZonePageFile> file);
std::unique_ptr<PageSource> WorldZonePageSource(std::unique_ptr<ZonePageFile> file);
// The source of a file of zone pages already read, of the kind the file tells (OpenPageSource.cpp).
std::unique_ptr<PageSource> ZonePageSource(std::unique_ptr<ZonePageFile> file);

// A map links file read as zone pages: one page per map, holding its links to other maps as
// labels (Text) and icons placed by Location. `path` is where it was read, for the pack around it.
std::unique_ptr<PageSource> MapLinksSource(std::unique_ptr<ZonePageFile> file, std::string path);

// A file named to open, read once and its kind told.
struct OpenedPageFile {
    // The source of its pages; null when the file is refused.
    std::unique_ptr<PageSource> source;
    // A page of its own: the bytes read, for its reader (empty when the file did not read, so
    // that the reader says why).
    std::string unread;
    // Why a file that nests pages is not opened, to show as it stands; empty otherwise.
    std::string refusal;
};
// Reads the file at `path` and tells its kind: a file of zone pages becomes their source, any
// other file an icon page for the icon page reader. This is the one place that tells the kinds
// apart; a new kind of file is one more test here.
OpenedPageFile OpenPageSource(const std::string& path);
