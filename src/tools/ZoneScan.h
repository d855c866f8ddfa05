#pragma once
// The folder scan behind opening a page by its map name, without widgets: which files are icon
// pages, the location name each one lists, and the order the list shows them in. The dialog and
// the --list-maps command share it.

#include "support/xml/SimpleXml.h"

#include <QCollator>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One page the scan found: its location name as written (untrimmed) and its file name.
struct ZonePage {
    std::string location;
    std::string fileName;
};

// The folder of icon pages under the UI folder, found without regard to letter case, ending with
// a separator.
std::string PageFolder(const std::string& baseFolder);

// The folder's entries whose names end in ".xml" in any letter case (as the game's platform
// matches "*.xml"), folders included, sorted by name so that every run meets them in one order.
// A missing folder has none.
std::vector<std::string> ZoneCandidates(const std::string& folder);

// True when nothing is left of the text after removing blanks and control characters at both ends.
bool IsBlankZoneName(std::string_view text);

// The location name that the page at path lists: read into loader as the editor opens a page,
// the root named exactly "Page", its "1location" (any letter case) not blank. Nothing for a file
// that cannot be read or parsed or does not qualify. Never raises.
std::optional<std::string> ReadZoneName(TSimpleXML& loader, const std::string& path);

// Scans the candidates of folder (ending with a separator) in order, calling found for each page
// that qualifies; stops after the entry during which stopRequested() turned true.
void ScanZoneFolder(const std::string& folder, TSimpleXML& loader, const std::function<void(ZonePage)>& found,
                    const std::function<bool()>& stopRequested);

// The collation of the list: the locale's, letter case ignored ("Éclair" before "Zulu").
QCollator ZoneListCollation();

// The list's order: location names by `collation`, then the order of discovery.
bool ZoneLineLess(const QCollator& collation, const QString& location, int index, const QString& otherLocation,
                  int otherIndex);

// Indices into pages, in the order the list shows them.
std::vector<int> ZoneListOrder(const std::vector<ZonePage>& pages);

// The label under the list once the scan has ended: "12 Maps".
QString MapsLabelText(int count);
