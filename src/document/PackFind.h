#pragma once
// Find in pack: which POIs of a page hold a text in their name, tooltip or description, of a type,
// near a world location. No widget: the command line and a window's panel ask the same.

#include "mapview/WorldLocation.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class PageSource;
class TSimpleXMLElem;

struct PackFindQuery {
    QString text;  // held anywhere in name, tooltip or description, letter case ignored
    QString type;  // empty: any; else the page's type property equals it, letter case ignored
    std::optional<WorldLocation> near;  // with `radius`: only POIs this close in x and z
    double radius = 0;
};

// A POI that matched, as its line names it.
struct PackFindHit {
    int poi = 0;  // its index among the page's children
    std::string name;
    std::string type;
    std::optional<std::string> world;  // its world location text, trimmed; nothing when it has none
    std::string tooltipLine;  // the tooltip's first line, localisation token left out
};

// A game text as find reads it: without a leading localisation token, numeric references to a
// line break read as line breaks.
std::string FindableText(std::string_view text);

// Reads "x,y,z" (any form a world location takes) for --near; nothing when it does not read.
std::optional<WorldLocation> ParseNearLocation(const QString& text);

// A POI's texts as find matches them, read once from the page: an index keeps these for many
// finds. `searched` holds the findable name, tooltip and description, folded in letter case and
// each ended by a zero byte, so that no text matches across two of them.
struct PackFindPoi {
    std::string name;
    std::string type;
    std::string foldedType;
    std::string world;  // trimmed; empty when it has none
    std::optional<WorldLocation> location;
    std::string tooltipLine;
    std::string searched;
};
PackFindPoi ReadFindPoi(const TSimpleXMLElem& poi, const PageSource& source);

// UTF-8 text folded in letter case, as a case-blind comparison of two texts folds both.
std::string FoldedText(std::string_view text);

// A query made ready for many POIs: its texts folded once.
struct PreparedFind {
    std::string text;
    std::string type;  // empty: any
    std::optional<WorldLocation> near;
    double radius = 0;
};
PreparedFind PrepareFind(const PackFindQuery& query);
// Whether a POI with these folded texts and world location matches.
bool FindMatches(const PreparedFind& find, std::string_view searched, std::string_view foldedType,
                 const std::optional<WorldLocation>& location);

// The POIs of `root`, a page read through `source`, that `query` matches, in page order.
std::vector<PackFindHit> FindInPage(const TSimpleXMLElem& root, const PageSource& source, const PackFindQuery& query);
