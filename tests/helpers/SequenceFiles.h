#pragma once
// The files the random sequences of edits run on, and how a comparison of their pages prints.

#include "support/xml/SimpleXml.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <string>

namespace SequenceFiles {

// Several zone pages with what real files hold: a byte order mark, CR LF, entities, a raw
// apostrophe, a mistyped location and an icon with no location at all.
inline const char* const kPoiFile =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Page Name=\"POI\">\r\n"
    "<Page Name=\"forest\">\r\n"
    "<Icon Name=\"ID31047\" PathFindLocation=\"-120.50,4.00,88.25\" PoiDescription=\"ID:31047&#xA;-120.50,4.00,88.25&#xA;Hunter's Lodge\" "
    "PoiType=\"NPC\" Tooltip=\"Hunter's Lodge &#xA;\"/>\r\n"
    "<Icon Name=\"ID31048\" PathFindLocation=\"10.00,0.00,-5.00\" PoiType=\"LOCATION\" Tooltip=\"Well &amp; Pump\"/>\r\n"
    "<Icon Name=\"ID31049\" PathFindLocation=\"-2,038.16-322.84,-1848.97\" PoiType=\"NPC\" Tooltip=\"Typo\"/>\r\n"
    "<Icon Name=\"ID31050\" PoiType=\"NPC\" Tooltip=\"Nowhere\"/>\r\n"
    "</Page>\r\n"
    "<Page Name=\"cave level\">\r\n"
    "<Icon Name=\"ID40001\" PathFindLocation=\"1.00,2.00,3.00\" PoiType=\"MOBNAMED\" Tooltip=\"Bat&apos;s nest\"/>\r\n"
    "<Icon Name=\"ID40002\" PathFindLocation=\"300.00,2.00,-300.00\" PoiType=\"NPC\" Tooltip=\"Miner\"/>\r\n"
    "</Page>\r\n"
    "<Page Name=\"harbor\">\r\n"
    "<Icon Name=\"ID50001\" PathFindLocation=\"500.5,0,500.5\" PoiType=\"QUEST\" Tooltip=\"Dock &lt;3&gt;\"/>\r\n"
    "</Page>\r\n"
    "</Page>";

inline const char* const kMapWindowFile =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Page Name=\"Map\" Size=\"800,600\">\r\n"
    "  <Page Name=\"MapPage\" Size=\"436,506\">\r\n"
    "    <Page Name=\"Icons\" ScrollExtent=\"436,506\">\r\n"
    "      <Icon Name=\"template\" IconStyle=\"style\" Location=\"0,0\" Size=\"21,21\" />\r\n"
    "      <Page Name=\"forest\" Size=\"436,506\" Visible=\"false\">\r\n"
    "        <Icon IconStyle=\"style\" Location=\"100,200\" Name=\"Bank\" pathfindlocation=\"-335, 10, -25\" "
    "Size=\"21,21\" Tooltip=\"Hunter's &amp; more\" />\r\n"
    "        <Icon IconStyle=\"zoningstyle\" Location=\"-4,237\" Name=\"Gate  West\" pathfindlocation=\" 12 3  -40.5\" "
    "Size=\"42,42\" />\r\n"
    "      </Page>\r\n"
    "      <Page Name=\"cave level\" Size=\"436,506\" Visible=\"false\">\r\n"
    "        <Icon IconStyle=\"style\" Location=\"300,40\" Name=\"Bank\" Size=\"31,31\" Tooltip=\"A &amp; B\" />\r\n"
    "        <Icon IconStyle=\"style\" Location=\"30,400\" Name=\"Cellar\" Size=\"21,21\" pathfindlocation=\"1,2,3\" />\r\n"
    "      </Page>\r\n"
    "    </Page>\r\n"
    "  </Page>\r\n"
    "</Page>\r\n";

inline const char* const kStyles =
    "<Styles>\r\n"
    "  <ImageStyle Name=\"forest\" zonerect=\"-585,-1135,1635,1445\"/>\r\n"
    "  <ImageStyle Name=\"cave level\" zonerect=\"-1000, -1000, 1000, 1000\"/>\r\n"
    "  <ImageStyle Name=\"harbor\" zonerect=\"0,0,1000,1000\"/>\r\n"
    "</Styles>\r\n";

// Where two texts part, with some bytes before and after, as a comparison can print it.
inline QString aroundFirstDifference(const std::string& text, const std::string& other)
{
    constexpr std::size_t kContext = 60;
    std::size_t at = 0;
    while (at < text.size() && at < other.size() && text[at] == other[at])
        ++at;
    if (at == text.size() && at == other.size())
        return QStringLiteral("same");
    const std::size_t from = at > kContext ? at - kContext : 0;
    return QString::number(at) + QLatin1Char(':') + QString::fromStdString(text.substr(from, 2 * kContext));
}

// A POI's properties as name=value lines, the way a comparison can print them.
inline QStringList propertiesOf(const TSimpleXMLElem& poi)
{
    QStringList lines;
    const TSimpleXMLProps* props = poi.PropertiesIfAny();
    for (int i = 0; props && i < props->Count(); ++i)
        lines << QString::fromStdString(props->Item(i)->FullName() + "=" + std::string(props->Item(i)->Value()));
    return lines;
}

inline QList<QStringList> poisOf(const TSimpleXMLElem& root)
{
    QList<QStringList> pois;
    for (int i = 0; i < root.ItemCount(); ++i)
        if (root.ItemsIfAny()->Item(i)->Kind() == TSimpleXMLElemKind::Classic)
            pois << propertiesOf(*root.ItemsIfAny()->Item(i));
    return pois;
}

}  // namespace SequenceFiles
