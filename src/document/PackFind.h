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

// The POIs of `root`, a page read through `source`, that `query` matches, in page order.
std::vector<PackFindHit> FindInPage(const TSimpleXMLElem& root, const PageSource& source, const PackFindQuery& query);
