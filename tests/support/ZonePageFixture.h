#pragma once
// Small files in the two forms that hold zone pages: the game's map window file (byte order mark,
// CR LF, indented, other widgets around the zone pages, icons laid out by their top-left corner)
// and a map pack POI file (no indentation, world-only icons), and a map links file as packs have
// it (byte order mark, CR LF, blanks in page names, a page of labels only, no final line break).

#include <string>

namespace zonefixture {

inline const std::string kMapWindow =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Page Name=\"Map\" Size=\"800,600\">\r\n"
    "  <Image Name=\"Frame\" Location=\"0,0\" />\r\n"
    "  <Button Name=\"Close\" Location=\"780,2\">Close</Button>\r\n"
    "  <Page Name=\"MapPage\" Size=\"436,506\">\r\n"
    "    <Page Name=\"Icons\" ScrollExtent=\"436,506\">\r\n"
    "      <Icon Name=\"template\" IconStyle=\"style\" Location=\"0,0\" Size=\"21,21\" />\r\n"
    "      <IconStyle Name=\"style\" />\r\n"
    "      <Page Name=\"zone_harbor\" ScrollExtent=\"436,506\" Size=\"436,506\" Visible=\"false\" note=\"docks\">\r\n"
    "        <Icon BackgroundTint=\"#FFFFFF\" IconStyle=\"style\" Location=\"100,200\" Name=\"Bank\" "
    "pathfindlocation=\"-335, 10, -25\" Size=\"21,21\" Tooltip=\":0df33755464a2ea6_1:To the docks\" />\r\n"
    "        <Icon IconStyle=\"zoningstyle\" Location=\"-4,237\" Name=\"Gate  West\" "
    "pathfindlocation=\" 12 3  -40.5\" Size=\"42,42\" />\r\n"
    "        <Icon IconStyle=\"style\" Location=\"300,40\" Name=\"Bank\" Size=\"31,31\" Tooltip=\"A &amp; B\" />\r\n"
    "      </Page>\r\n"
    "      <Page Name=\"zone_empty\" ScrollExtent=\"436,506\" Size=\"436,506\" Visible=\"false\">\r\n"
    "        <Image Name=\"backdrop\" />\r\n"
    "      </Page>\r\n"
    "      <Page Name=\"zone_bare\" Visible=\"false\"/>\r\n"
    "    </Page>\r\n"
    "  </Page>\r\n"
    "</Page>\r\n";

inline const std::string kPoiFile =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Page Name=\"POI\">\r\n"
    "<Page Name=\"forest\">\r\n"
    "<Icon Name=\"ID31047\" PathFindLocation=\"-120.50,4.00,88.25\" "
    "PoiDescription=\"ID:31047&#xA;-120.50,4.00,88.25&#xA;Banker\" PoiKeyword=\"npc\" PoiResource=\"npc\" "
    "PoiType=\"NPC\" Tooltip=\"Old Tom &#xA;\"/>\r\n"
    "<Icon Name=\"ID31048\" PathFindLocation=\"10.00,0.00,-5.00\" PoiDescription=\"ID:31048&#xA;10.00,0.00,-5.00\" "
    "PoiKeyword=\"location\" PoiResource=\"location\" PoiType=\"LOCATION\" Tooltip=\"Well &#xA;\"/>\r\n"
    "</Page>\r\n"
    "<Page Name=\"cave\">\r\n"
    "<Icon Name=\"ID40001\" PathFindLocation=\"1.00,2.00,3.00\" PoiDescription=\"ID:40001&#xA;1.00,2.00,3.00\" "
    "PoiKeyword=\"mob\" PoiResource=\"mob\" PoiType=\"MOBNAMED\" Tooltip=\"Bat &#xA;\"/>\r\n"
    "</Page>\r\n"
    "</Page>\r\n";

inline const std::string kMapLinks =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Page Name=\"POI\">\r\n"
    "\t<Page Name=\"world\">\r\n"
    "\t\t<Text Name=\"to_forest\" PoiMapLink=\"forest\" poiresource=\"linkdownlarge\" Location=\"502,912\" >Deep Forest</Text>\r\n"
    "\t\t<Text Name=\"to_cave\" PoiMapLink=\"old cave\" poiresource=\"linkdownlarge\" Location=\"80,40\" >Old &amp; Cave</Text>\r\n"
    "\t</Page>\r\n"
    "\t<Page Name=\"old cave\">\r\n"
    "\t\t<Icon Name=\"up\" PoiMapLink=\"world\" poiresource=\"linkup\" Location=\"100,110\" Tooltip=\"Back up\"/>\r\n"
    "\t</Page>\r\n"
    "</Page>";

}  // namespace zonefixture
