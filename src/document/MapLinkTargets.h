#pragma once
// Where the maps that links name have pages in a map pack: the zone pages of its POI files and of
// the map window file, its icon pages, the pages of the map links file itself. The link check
// asks which names are known; following a link asks where to open one. No widgets.

#include <map>
#include <memory>
#include <string>
#include <vector>

class ZonePageFile;

// A page to open: a file, and the zone page in it (empty where the file is the page).
struct MapPagePlace {
    std::string path;
    std::string page;
};

class MapLinkTargets {
public:
    // Scans the pack around the map links file at `linksPath` (its folder, or the UI folder
    // around a POI folder): the pages of every file but the links file itself, whose pages are
    // `own`'s (may be null). Files that do not read are left out.
    static MapLinkTargets Scan(const std::string& linksPath, const ZonePageFile* own);

    // Where the map's page is, first found in this order: a zone page of a POI file, of another
    // file of zone pages (the map window file), an icon page, a page of the links file; null
    // where the pack has none.
    const MapPagePlace* find(const std::string& map) const;

private:
    void add(const std::string& map, const std::string& path, const std::string& page);

    std::map<std::string, MapPagePlace> m_places;
};

