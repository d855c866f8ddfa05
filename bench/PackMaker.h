#pragma once
// A map pack of the real size, made for the benchmarks: 25 region POI files in POI/ holding 1,123
// zone pages and 42,000 POIs, some 12 MB, beside the map style file of 459 maps (all drawn from one
// 512 x 512 DXT1 image). World locations fall inside their map's rectangle, one POI in forty
// outside it, so the check has something to say. Nothing of it is kept in the repository.

#include "../tests/helpers/DdsTestFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <random>
#include <string>
#include <vector>

namespace packbench {

constexpr int kFiles = 25;
constexpr int kPages = 1123;
constexpr int kPois = 42000;
constexpr int kMaps = 459;
constexpr int kZoneSide = 2200;
constexpr int kOutsideOneIn = 40;
constexpr int kMapSide = 512;
constexpr int kDxt1BlockBytes = 8;
const char* const kTypes[][2] = {{"NPC", "npc"}, {"LOCATION", "location"}, {"MOBNAMED", "mob"},
                                 {"QUESTUPDATE", "quest"}, {"ZONE", "zone"}, {"MERCHANT", "merchant"}};
const char* const kWords[] = {"Harbor", "Master", "Old", "Lighthouse", "Fish", "Market", "Dock", "Rats",
                              "Lost", "Anchor", "Ranger", "Camp", "Elder", "Smith", "Mill", "Watch"};

struct Pack {
    QString root;        // the UI folder
    QString config;      // an INI naming it
    QStringList files;   // the POI files
    qint64 bytes = 0;    // of the POI files
    std::vector<std::string> contents;  // their bytes, for the parsers compared
};

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 2);
}

// One zone page of `pois` POIs on map `map`, numbered from `firstId`.
inline QByteArray zonePage(int map, int pois, int firstId, std::mt19937& random)
{
    std::uniform_real_distribution<double> inside(0.02, 0.98);
    std::uniform_int_distribution<int> pick(0, 1 << 20);
    const double x1 = -kZoneSide / 2.0 + map;
    const double z1 = -kZoneSide / 2.0 - map;
    QByteArray page = "<Page Name=\"zone_" + QByteArray::number(map) + "\">\r\n";
    for (int i = 0; i < pois; ++i) {
        const int id = firstId + i;
        const auto* type = kTypes[pick(random) % 6];
        double x = x1 + inside(random) * kZoneSide;
        const double z = z1 + inside(random) * kZoneSide;
        if (pick(random) % kOutsideOneIn == 0)
            x += kZoneSide;
        const QByteArray world = number(x) + "," + QByteArray::number(pick(random) % 90) + ".00," + number(z);
        const QByteArray name = QByteArray(kWords[pick(random) % 16]) + " " + kWords[pick(random) % 16];
        page += "<Icon Name=\"ID" + QByteArray::number(id) + "\" PathFindLocation=\"" + world
            + "\" PoiDescription=\"ID:" + QByteArray::number(id) + "&#xA;" + world + "&#xA;" + name
            + " by the old road north of the river" + "\" PoiKeyword=\"" + type[1] + "\" PoiResource=\"" + type[1] + "\" PoiType=\""
            + type[0] + "\" Tooltip=\"" + name + " &#xA;Level " + QByteArray::number(pick(random) % 60)
            + " area guide for travellers\"/>\r\n";
    }
    return page + "</Page>\r\n";
}

inline Pack MakePack(const QString& root)
{
    Pack pack;
    pack.root = root;
    ddstest::Header dxt1;
    dxt1.width = dxt1.height = kMapSide;
    const std::vector<uint8_t> map = ddstest::ddsFile(
        dxt1, std::vector<uint8_t>(size_t(kMapSide / 4) * (kMapSide / 4) * kDxt1BlockBytes, 0x5A));
    writeBytes(root + "/images/maps/map.dds",
               QByteArray(reinterpret_cast<const char*>(map.data()), qsizetype(map.size())));
    QByteArray styles = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<MapStyles>\r\n";
    for (int m = 0; m < kMaps; ++m) {
        const int x1 = -kZoneSide / 2 + m;
        const int z1 = -kZoneSide / 2 - m;
        styles += "  <ImageStyle Name=\"zone_" + QByteArray::number(m) + "\" displayname=\"Zone "
            + QByteArray::number(m) + "\" zonerect=\"" + QByteArray::number(x1) + "," + QByteArray::number(z1)
            + "," + QByteArray::number(x1 + kZoneSide) + "," + QByteArray::number(z1 + kZoneSide)
            + "\">\r\n    <Image Source=\"images\\maps\\map.dds\"/>\r\n  </ImageStyle>\r\n";
    }
    writeBytes(root + "/vynmap/core_mapstyles.xml", styles + "</MapStyles>\r\n");

    // Region files of unequal size, as a pack's are (the largest some eight times the smallest).
    std::vector<int> weights;
    int total = 0;
    for (int f = 0; f < kFiles; ++f) {
        weights.push_back(2 + (f * 7) % 8);
        total += weights.back();
    }
    std::mt19937 random(20261210);
    int page = 0;
    int poi = 0;
    for (int f = 0; f < kFiles; ++f) {
        const int pages = f + 1 == kFiles ? kPages - page : kPages * weights[std::size_t(f)] / total;
        QByteArray bytes = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Page Name=\"POI\">\r\n";
        for (int p = 0; p < pages; ++p, ++page) {
            // The POIs spread evenly over the pages, the remainder on the first ones.
            const int pois = kPois / kPages + (page < kPois % kPages ? 1 : 0);
            bytes += zonePage(page % kMaps, pois, 100000 + poi, random);
            poi += pois;
        }
        bytes += "</Page>\r\n";
        const QString path = root + QStringLiteral("/POI/region_%1.xml").arg(f + 1, 2, 10, QLatin1Char('0'));
        writeBytes(path, bytes);
        pack.files << path;
        pack.bytes += bytes.size();
        pack.contents.push_back(bytes.toStdString());
    }
    pack.config = root + "/editor.INI";
    writeBytes(pack.config, "[CONFIG]\r\nPATH=" + root.toUtf8() + "/\r\n");
    return pack;
}

}  // namespace packbench
