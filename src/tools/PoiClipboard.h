#pragma once
// Everything that differs per kind of page when several POIs move, are copied or are pasted: where
// a POI's point is, how a move rewrites it, the clipboard's texts, and the conversion of copied
// POIs into another kind of page (anchor rule, zone rectangle, type property, element form,
// naming). Plain functions over a small description of each page, so tests call them directly.

#include "mapview/EditorState.h"
#include "mapview/PoiAnchor.h"
#include "support/xml/SimpleXml.h"
#include "document/PageSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What moving and pasting POIs need of a page, as its source tells it.
struct PoiPageKind {
    const PageSource* source = nullptr;  // where the page's POIs are placed and what it pastes as is
    bool locationField = true;  // a POI is placed by its Location, else by its world location alone
    bool anyType = true;        // its type list takes any type; else types are mapped to known ones
    std::string typeProperty = "IconStyle";
    bool numberedNames = false;         // clashing names take the file's next "ID" number
    bool lineBreakReferences = false;   // a line break inside a value is written "&#xA;"
    std::vector<std::string> knownTypes;  // the types the page's file defines; empty: any
    // The anchor rule, zone rectangle and page size that place the page's POIs.
    EditorState geometry;
};

// The page shown by `source`, placed as `state` says.
PoiPageKind PageKindOf(const PageSource& source, const EditorState& state);

// The property naming a POI's type on such a page.
const char* PoiTypeProperty(const PoiPageKind& page);
bool HasZoneRect(const PoiPageKind& page);

// A POI's point on the map, or nothing (no Location, or a world-only POI without a rectangle).
std::optional<ImagePoint> PoiPoint(const TSimpleXMLElem& poi, const PoiPageKind& page);

// Moves a POI's point by `dx`, `dy` image pixels as a drag of its marker would: its Location (a
// world-only POI's world x and z and the description line repeating them); with `autoCalc` the
// world location of a POI with a Location follows, keeping its height. False when the POI has no
// point to move.
bool MovePoiBy(TSimpleXMLElem& poi, int dx, int dy, const PoiPageKind& page, bool autoCalc);

// The private clipboard format: the copied POIs with their kind, points and world locations.
inline constexpr const char* kPoiClipboardMime = "application/x-vynmap-pois";

// POIs read back from the private format.
struct ClipboardPoi {
    std::unique_ptr<TSimpleXMLElem> element;
    std::optional<ImagePoint> point;  // on the page they were copied from
};
struct ClipboardPois {
    std::string sourceKind = "IconPage";  // the kind name of the page they were copied from
    std::string typeProperty = "IconStyle";
    bool zoneRect = false;  // the page they came from had a zone rectangle
    // The elements are in the target's own form where they are to stand (a duplicate, icons
    // pasted as text): copied as they are unless the paste moves them.
    bool inPlace = false;
    std::vector<ClipboardPoi> pois;
};

// The elements as XML text, one per line, as the copied file `source` writes them (for a text editor).
std::string PoisXmlText(const std::vector<const TSimpleXMLElem*>& pois, const PageSource& source);
// The private format of the elements of `page`.
std::string PoisPrivateData(const std::vector<const TSimpleXMLElem*>& pois, const PoiPageKind& page);
// Nothing when the bytes are not that format.
std::optional<ClipboardPois> ReadPoisPrivateData(std::string_view data);
// XML text from elsewhere (a text editor): its Icon elements, taken to be in the form of `page`
// and placed as they would be there. Nothing when the text holds no Icon element.
std::optional<ClipboardPois> ReadPoisXmlText(std::string_view text, const PoiPageKind& page);

// What pasting needs of the target page besides its kind.
struct PasteTarget {
    PoiPageKind page;
    // Makes a new icon in the target's own form (the page source's Add POI), for POIs of
    // another kind.
    std::function<TSimpleXMLElem&(TSimpleXMLElem& root, const NewPoiFields& fields)> addIcon;
    // The largest "ID<n>" among the file's icons (where names are numbered).
    long long largestId = 0;
    // Where the first POI's point goes; nothing: where the POIs were.
    std::optional<ImagePoint> at;
};

// A paste into `root`, the page `source` shows as `state` places it; new icons are made like
// POI `selected` (-1: the page's first).
PasteTarget PasteTargetFor(PageSource& source, const EditorState& state, TSimpleXMLElem& root, int selected);

// Appends the clipboard's POIs to `root` in the target's kind: the world location is kept when
// both pages have zone rectangles (the point follows from it), else the point; a name that
// clashes gets the file's numbering ("ID" and the next number in POI files, " (2)", " (3)" ...
// elsewhere, counting on from a name's own " (n)"). A group any of whose points would fall off the
// page is shifted back onto it whole (`shiftedInside` then says so). Returns how many were appended.
int PastePois(const ClipboardPois& clip, TSimpleXMLElem& root, const PasteTarget& target,
              bool* shiftedInside = nullptr);

// A type held in property `from` as a page typed by property `to` names it.
std::string ConvertedType(const std::string& type, std::string_view from, std::string_view to);
// `type` where the page knows it; else the page's own type for zones (ZONE, CLST) or, for any
// other, the first the page defines.
std::string KnownType(const std::string& type, const std::vector<std::string>& knownTypes);
