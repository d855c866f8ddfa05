#pragma once
// The page check: what is wrong with a page's POIs and its zone rectangle. It works on a neutral
// description of the page (the texts of each POI, the page's anchor rule, size and rectangle), so
// the command line and the Problems window report the same list. No widgets.

#include "mapview/MapCoordinates.h"
#include "mapview/PoiAnchor.h"
#include "mapview/PoiAnchorRule.h"
#include "support/xml/SimpleXml.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct EditorState;

// One POI as the check reads it: each text as it stands in the page, nothing where the POI lacks
// the property. The texts are views into the document and last until it changes.
struct CheckedPoi {
    int index = 0;  // the POI index: its place among the root's children
    std::string_view name;
    std::optional<std::string_view> location;
    std::optional<std::string_view> size;
    std::optional<std::string_view> world;
    std::optional<std::string_view> type;
    std::optional<std::string_view> tooltip;
};

// What a kind of page calls its POIs' type and which values it knows.
struct PoiVocabulary {
    std::string typeProperty;  // empty: the kind has no type the check knows
    std::vector<std::string> knownTypes;
    // Types a pack uses too rarely to know them: likely typos, each with how many POIs of the
    // pack use it and the known type nearest to it (empty: none is near).
    struct RareType {
        int uses = 0;
        std::string nearest;
    };
    std::map<std::string, RareType, std::less<>> rareTypes;
};

// Icon pages: IconStyle, one of the editor's type list, compared exactly as the markers do. Each
// kind of page gives its own (PageSource::vocabulary); this one is the icon page source's.
PoiVocabulary IconPageVocabulary();

struct CheckedPage {
    std::string mapName;
    PoiAnchor anchor = PoiAnchor::Location;
    int width = 436;
    int height = 506;
    ZoneRectangle zone{};
    PoiVocabulary vocabulary;
    std::optional<std::string> mapImageProblem;  // why the map image does not show
    std::vector<CheckedPoi> pois;
    // The line of the file as read where a POI (by index) stands, where that is known; asked
    // only for the POIs a line names.
    std::function<std::optional<int>(int)> lineOf;
    // Rules of icon pages that a kind of page leaves out where its POIs have no such property:
    // Size, and the world location (with the zone rectangle that places it).
    bool asksSize = true;
    bool asksWorld = true;
    // A rule of the kind, asked of each POI (by index): what is wrong with it, or nothing.
    std::function<std::optional<std::string>(int)> poiRule;
    // Its POIs are named by a running number ("ID43904"): two of one name are a fault anywhere.
    bool numberedNames = false;
    // Problems the authors chose to ignore: left out before POIs that share a line are grouped.
    std::function<bool(const struct PageProblem&)> ignored;
};

enum class ProblemKind {
    MapImage,   // the map image is missing or does not decode
    NoZone,     // the map has no zone rectangle
    Anchor,     // the data follow the other anchor rule
    ZoneRect,   // the map's rectangle is off the fitted one, or there is none to compare
    Property,   // a property is missing or does not read, or the type is unknown
    Outside,    // the POI's point is off the page
    Disagree,   // the world location falls away from the POI's point
    Misplaced,  // the POI lies off the rectangle that the other POIs agree with
    Duplicate,  // same name close by, or the same world location
    Repeated,   // the same tooltip and type as another POI of the page, about where it is
    RareType,   // a type the pack uses once or twice: likely a typo
    OffZone,    // the world location lies well outside the page's zone rectangle
};

// A repair the check proposes; only the user applies it.
struct ProblemFix {
    enum class Action {
        SetValue,   // set `property` of the POI to `value`
        DeletePoi,  // delete the POI
    };
    Action action = Action::SetValue;
    std::string property;
    std::string value;
};

struct PageProblem {
    ProblemKind kind = ProblemKind::Property;
    int poi = -1;  // the POI index; -1 for the page
    std::string poiName;
    std::string text;
    std::optional<ZoneRectangle> fittedZone;  // ZoneRect: the rectangle fitted to the POIs
    std::optional<PoiAnchor> dataAnchor;      // Anchor: the rule the data follow
    // Misplaced, Disagree: the POI's point, and where the rectangle of the line (the map's, or
    // the fitted one) puts its world location.
    std::optional<ImagePoint> point;
    std::optional<ImagePoint> worldPoint;
    // The map's own rectangle puts the world location at worldPoint, by the page's own rule: the
    // marker or the world location can be set from the other.
    bool fixable = false;
    std::vector<int> pois;  // a line standing for several POIs: their indices
    // The world location text is not three plain numbers (kind Property).
    bool mistyped = false;
    std::optional<ProblemFix> fix;
};

// Two places closer than this count as one: the locations of a POI agree, a rectangle leaves the
// page where it is, two POIs of one name stand on each other.
constexpr double kSamePlacePixels = 3.0;

// The page open in the editor: the root's element children as POIs with their properties looked
// up as the editor does (first of the name, letter case ignored), with the state's rule, size,
// rectangle and map name.
CheckedPage DescribePage(const TSimpleXMLElem& root, const EditorState& state, PoiVocabulary vocabulary,
                         std::optional<std::string> mapImageProblem);

// A world location that reads, but whose height is not a number: most likely a slip of the
// keyboard (a thousands separator, a doubled sign) that moved a number into the height. Nothing
// for a location that looks sound.
std::optional<std::string> MistypedWorldLocation(std::string_view text);

// When POIs share a problem, one line says it with their count: an unknown type value from this
// many POIs on, a missing property from this many.
constexpr int kGroupedUnknownFrom = 2;
constexpr int kGroupedMissingFrom = 4;

// Every problem of the page: the page's own first, then each POI's in POI order. The map's
// rectangle stands when it puts at least half of the POIs that have both locations (and at least
// kMinFitPoints) within kSamePlacePixels of their points: then each other POI is misplaced.
// Only when most disagree is the rectangle blamed, against the one fitted to the POIs.
std::vector<PageProblem> CheckPage(const CheckedPage& page);

// "warning: POI "NAME" (#N): TEXT", or "warning: TEXT" for the page.
std::string ProblemLine(const PageProblem& problem);
// The proposed repair as its line says it ("fix: set pathfindlocation to "1.00,2.00,3.00""); empty
// without one.
std::string FixLine(const PageProblem& problem);
