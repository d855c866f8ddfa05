// The page check over small pages built here: one in each anchor rule, pages whose data follow
// the other rule, a misplaced POI among good ones, a wrong or missing zone rectangle, properties
// that are missing or do not read, and duplicates; the links of a map links file in a pack.

#include "document/PageCheck.h"
#include "document/IconPageFile.h"
#include "document/PageOpening.h"

#include <QtTest>

#include <deque>

namespace {

// 2 world units per pixel on the 436 x 506 page: pixel (x, y) is world (-2x, h, 2y).
const QString kZone = QStringLiteral("0,0,872,1012");

// "Name|Location|Size|pathfindlocation|IconStyle", "-" for a missing property.
QString poi(const QString& name, const QString& location, const QString& world, const QString& type = "NPC",
            const QString& size = "12,12")
{
    return QStringList{name, location, size, world, type}.join(QLatin1Char('|'));
}

// A POI whose Location and world location agree at pixel (x, y); `shift` moves Location only.
QString placed(const QString& name, int x, int y, int shift = 0)
{
    return poi(name, QStringLiteral("%1,%2").arg(x + shift).arg(y + shift),
               QStringLiteral("%1, 10, %2").arg(-2 * x).arg(2 * y));
}

QStringList goodPois(int shift = 0)
{
    return {placed("Smith", 100, 100, shift), placed("Inn", 200, 150, shift), placed("Gate", 300, 400, shift),
            placed("Well", 50, 450, shift)};
}

}  // namespace

class PageCheckTest : public QObject {
    Q_OBJECT

    std::deque<std::string> m_texts;  // what the views of the built pages show

    std::string_view keep(const QString& text)
    {
        m_texts.push_back(text.toStdString());
        return m_texts.back();
    }

    CheckedPage build(const QStringList& pois, const QString& zone, int anchor)
    {
        CheckedPage page;
        page.mapName = "test_map";
        page.anchor = PoiAnchor(anchor);
        page.zone = ParseZoneText(zone.toStdString());
        page.vocabulary = IconPageVocabulary();
        int index = 0;
        for (const QString& line : pois) {
            const QStringList parts = line.split(QLatin1Char('|'));
            CheckedPoi poi;
            poi.index = index++;
            poi.name = keep(parts[0]);
            std::optional<std::string_view>* fields[] = {&poi.location, &poi.size, &poi.world, &poi.type};
            for (int i = 0; i < 4; ++i) {
                if (parts[i + 1] != QLatin1String("-"))
                    *fields[i] = keep(parts[i + 1]);
            }
            page.pois.push_back(poi);
        }
        return page;
    }

private slots:
    void problems_data()
    {
        QTest::addColumn<QStringList>("pois");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<QStringList>("expected");  // "kind@POI index", -1 for the page
        QTest::addColumn<QString>("fitted");        // the zone line's rectangle, if one is expected
        QTest::addColumn<int>("dataAnchor");        // the anchor line's rule, or -1

        const int location = int(PoiAnchor::Location);
        const int centre = int(PoiAnchor::Centre);
        const int world = int(PoiAnchor::World);
        QTest::newRow("Location page, all agree") << goodPois() << kZone << location << QStringList{} << "" << -1;
        QTest::newRow("centre data on a Location page")
            << goodPois(-6) << kZone << location << QStringList{"Anchor@-1"} << "" << centre;
        QTest::newRow("centre page, centre data") << goodPois(-6) << kZone << centre << QStringList{} << "" << -1;
        QTest::newRow("Location data on a centre page")
            << goodPois() << kZone << centre << QStringList{"Anchor@-1"} << "" << location;
        QTest::newRow("world page, one beyond the right edge")
            << QStringList{poi("A", "-", "-200, 0, 200", "NPC", "-"), poi("B", "-", "-1000, 0, 200", "NPC", "-"),
                           poi("C", "-", "-400, 0, 600", "NPC", "-")}
            << kZone << world << QStringList{"Outside@1"} << "" << -1;
        QTest::newRow("Location page, one off the page")
            << (goodPois() << placed("Far", 500, 100)) << kZone << location << QStringList{"Outside@4"} << "" << -1;

        QStringList stray = goodPois() << placed("Mill", 400, 30) << placed("Dock", 420, 500);
        stray << poi("Stray", "140,140", "-200, 10, 220");  // 40, 30 pixels from its world location
        QTest::newRow("one misplaced among six") << stray << kZone << location << QStringList{"Misplaced@6"} << "" << -1;
        QTest::newRow("a rectangle copied from elsewhere")
            << goodPois() << "40,0,912,1012" << location << QStringList{"ZoneRect@-1"} << kZone << -1;
        QTest::newRow("no rectangle") << goodPois() << "0,0,0,0" << location << QStringList{"NoZone@-1", "ZoneRect@-1"}
                                      << kZone << -1;

        // The rectangle places three of four: it stands, and the fourth is named, not the rectangle.
        QStringList minority = QStringList{placed("Smith", 100, 100), placed("Inn", 200, 150), placed("Gate", 300, 400)}
            << poi("Moved", "90,440", "-100, 10, 900");  // 40 pixels from 50,450
        QTest::newRow("blame the minority") << minority << kZone << location << QStringList{"Misplaced@3"} << "" << -1;
        // Half agree: the rectangle still stands.
        QTest::newRow("half agree")
            << (QStringList{placed("Smith", 100, 100), placed("Inn", 200, 150), placed("Gate", 300, 400)}
                << placed("A", 40, 40, 20) << placed("B", 400, 100, -20) << placed("C", 250, 480, 20))
            << kZone << location << QStringList{"Misplaced@3", "Misplaced@4", "Misplaced@5"} << "" << -1;
        // Most disagree, so the rectangle is blamed, and the one POI off the fit of the others too.
        QTest::newRow("most disagree")
            << (goodPois() << placed("Mill", 400, 30) << poi("Stray", "140,140", "-200, 10, 220")) << "40,0,912,1012"
            << location << QStringList{"ZoneRect@-1", "Misplaced@5"} << kZone << -1;
        QTest::newRow("all on one line, no rectangle")
            << QStringList{placed("A", 10, 200), placed("B", 90, 200), placed("C", 300, 200)} << "0,0,0,0" << location
            << QStringList{"NoZone@-1", "ZoneRect@-1"} << "" << -1;
        QStringList styled;
        for (int i = 0; i < 5; ++i)
            styled << poi(QStringLiteral("S%1").arg(i), QStringLiteral("%1,10").arg(10 * i + 5),
                          QStringLiteral("%1, 0, 20").arg(-20 * i - 10), "style");
        styled << poi("Odd", "200,10", "-400, 0, 20", "quest");
        QTest::newRow("one unknown type, grouped") << styled << kZone << location
                                                   << QStringList{"Property@-1", "Property@5"} << "" << -1;
        QStringList unplaced = goodPois();
        for (int i = 0; i < 4; ++i)
            unplaced << poi(QStringLiteral("U%1").arg(i), QStringLiteral("%1,300").arg(100 + i), "-");
        QTest::newRow("four without a world location, grouped")
            << unplaced << kZone << location << QStringList{"Property@-1"} << "" << -1;
        QTest::newRow("three without a world location, each")
            << unplaced.mid(0, 7) << kZone << location << QStringList{"Property@4", "Property@5", "Property@6"} << ""
            << -1;

        QTest::newRow("properties")
            << QStringList{poi("NoLoc", "-", "0, 0, 0"), poi("BadSize", "1,1", "-2, 0, 2", "NPC", "big"),
                           poi("TwoParts", "2,2", "-4, 6"), poi("Lower", "3,3", "-6 0 6", "npc"),
                           poi("NoType", "4,4", "-8,0,8", "-")}
            << kZone << location << QStringList{"Property@0", "Property@1", "Property@2", "Property@3", "Property@4"}
            << "" << -1;
        QTest::newRow("duplicates")
            << QStringList{placed("Inn", 100, 100), placed("Inn", 102, 101), placed("Smith", 300, 300),
                           poi("Twin", "300,300", "-600, 10, 600"), placed("Inn", 110, 100)}
            << kZone << location << QStringList{"Duplicate@1", "Duplicate@3"} << "" << -1;
    }

    void problems()
    {
        QFETCH(QStringList, pois);
        QFETCH(QString, zone);
        QFETCH(int, anchor);
        QFETCH(QStringList, expected);
        QFETCH(QString, fitted);
        QFETCH(int, dataAnchor);
        static const char* const kKinds[] = {"MapImage", "NoZone",    "Anchor",    "ZoneRect", "Property",
                                             "Outside",  "Disagree", "Misplaced", "Duplicate"};
        const std::vector<PageProblem> found = CheckPage(build(pois, zone, anchor));
        QStringList kinds;
        QStringList lines;
        for (const PageProblem& problem : found) {
            kinds << QStringLiteral("%1@%2").arg(QLatin1String(kKinds[int(problem.kind)])).arg(problem.poi);
            lines << QString::fromStdString(ProblemLine(problem));
            if (problem.fittedZone)
                QCOMPARE(QString::fromStdString(ZoneText(*problem.fittedZone)), fitted);
            if (problem.dataAnchor)
                QCOMPARE(int(*problem.dataAnchor), dataAnchor);
        }
        QVERIFY2(kinds == expected, qPrintable(lines.join(QLatin1Char('\n'))));
        for (const PageProblem& problem : found) {
            if (problem.kind == ProblemKind::Misplaced)
                QVERIFY(problem.point && problem.worldPoint);
        }
    }

    // The lines of blame and grouping as they read.
    // Hand-typed world locations: one whose height is no number opens and is placed by x and z,
    // but is named as likely mistyped; one whose x or z does not read is named too; both say
    // the line of the file, where it is known.
    void mistypedWorldLocations_data()
    {
        QTest::addColumn<QString>("world");
        QTest::addColumn<QString>("expected");  // the POI's problem line; empty: none
        QTest::newRow("thousands separator")
            << "-2,038.16-322.84,-1848.97"
            << "warning: POI \"P\" (#0): pathfindlocation \"-2,038.16-322.84,-1848.97\" looks mistyped: its "
               "height \"038.16-322.84\" is not a number (line 7)";
        QTest::newRow("doubled sign in the height")
            << "-150.68,-56-62,182.52"
            << "warning: POI \"P\" (#0): pathfindlocation \"-150.68,-56-62,182.52\" looks mistyped: its height "
               "\"-56-62\" is not a number (line 7)";
        QTest::newRow("dot before a sign") << "20.68,-46.-2,46.19"
                                           << "warning: POI \"P\" (#0): pathfindlocation \"20.68,-46.-2,46.19\" looks "
                                              "mistyped: its height \"-46.-2\" is not a number (line 7)";
        QTest::newRow("stray minus after x")
            << "36.24-,39.94,-150.40"
            << "warning: POI \"P\" (#0): pathfindlocation \"36.24-,39.94,-150.40\" does not read as x, y, z (line 7)";
        QTest::newRow("sound, comma and blank") << "-120.50, 4.00, 88.25" << "";
        QTest::newRow("sound, blanks only") << " 12 3  -40.5" << "";
    }

    void mistypedWorldLocations()
    {
        QFETCH(QString, world);
        QFETCH(QString, expected);
        CheckedPage page = build({poi("P", "-", world, "NPC", "-")}, kZone, int(PoiAnchor::World));
        page.vocabulary = PoiVocabulary{};
        page.lineOf = [](int index) { return std::optional<int>(7 + index); };
        QStringList lines;
        for (const PageProblem& problem : CheckPage(page))
            if (problem.poi == 0 && problem.kind == ProblemKind::Property)
                lines << QString::fromStdString(ProblemLine(problem));
        QCOMPARE(lines, expected.isEmpty() ? QStringList() : QStringList{expected});
    }

    void lineTexts()
    {
        QStringList minority = QStringList{placed("Smith", 100, 100), placed("Inn", 200, 150), placed("Gate", 300, 400)}
            << poi("Moved", "90,440", "-100, 10, 900");
        std::vector<PageProblem> found = CheckPage(build(minority, kZone, int(PoiAnchor::Location)));
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(QString::fromStdString(ProblemLine(found[0])),
                 QStringLiteral("warning: POI \"Moved\" (#3): misplaced: 41.2 pixels from where the zone rectangle puts "
                                "its pathfindlocation, 50,450 (the rectangle fits 3 of 4 POIs)"));
        QVERIFY(found[0].fixable);

        QStringList styled;
        for (int i = 0; i < 3; ++i)
            styled << poi(QStringLiteral("S%1").arg(i), QStringLiteral("%1,10").arg(10 * i + 5),
                          QStringLiteral("%1, 0, 20").arg(-20 * i - 10), "style");
        found = CheckPage(build(styled, kZone, int(PoiAnchor::Location)));
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(QString::fromStdString(ProblemLine(found[0])),
                 QStringLiteral("warning: 3 POIs: IconStyle \"style\" is not a known type (CLST, LOC, MOB, NAME, NPC, "
                                "QST, ZONE)"));
        QCOMPARE(found[0].pois, (std::vector<int>{0, 1, 2}));

        found = CheckPage(build({placed("A", 10, 200), placed("B", 90, 200), placed("C", 300, 200)}, "0,0,0,0",
                                int(PoiAnchor::Location)));
        QCOMPARE(QString::fromStdString(ProblemLine(found.back())),
                 QStringLiteral("warning: no zone rectangle can be fitted: the 3 POIs with both locations lie on one "
                                "line across the map"));
    }

    // A map's link leads to a map the pack knows (a map style, a page of the links file, a zone
    // page of a POI file, an icon page) and lies on its map; nothing of an icon page is asked.
    void mapLinks_data()
    {
        QTest::addColumn<QString>("link");      // the link's element on the page "up top"
        QTest::addColumn<QString>("expected");  // its one line; empty: none
        const QString icon = QStringLiteral("<Icon Name=\"L\" PoiMapLink=\"%1\" poiresource=\"linkup\" Location=\"%2\"/>");
        QTest::newRow("a map style") << icon.arg("harbor", "10,10") << "";
        QTest::newRow("a page of the file") << icon.arg("up top", "10,10") << "";
        QTest::newRow("a zone page of a POI file") << icon.arg("deep cave", "10,10") << "";
        QTest::newRow("an icon page") << icon.arg("mill", "10,10") << "";
        QTest::newRow("an unknown map, a label")
            << "<Text Name=\"L\" PoiMapLink=\"atlantis\" poiresource=\"linkdownlarge\" Location=\"1,2\" >Sunken</Text>"
            << "warning: POI \"L\" (#0): PoiMapLink \"atlantis\" names no known map (line 4)";
        QTest::newRow("no map named") << icon.arg("harbor", "10,10") + "\r\n<Icon Name=\"M\" Location=\"1,2\"/>"
                                      << "warning: POI \"M\" (#1): no PoiMapLink (line 5)";
        QTest::newRow("outside its map") << icon.arg("harbor", "500,10")
                                         << "warning: POI \"L\" (#0): its point 500,10 lies outside the page (436 x 506)";
    }

    void mapLinks()
    {
        QFETCH(QString, link);
        QTemporaryDir pack;
        const auto write = [&pack](const QString& name, const QByteArray& bytes) {
            QVERIFY(QDir().mkpath(QFileInfo(pack.filePath(name)).absolutePath()));
            QFile file(pack.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write("vynmap/core_mapstyles.xml", "<MapStyles>\r\n<ImageStyle Name=\"harbor\"/>\r\n</MapStyles>\r\n");
        write("vynmap/icons_mill.xml", "<Page Name=\"mill\"><Icon Name=\"a\" Location=\"1,1\"/></Page>");
        write("POI/poi_caves.xml", "<Page Name=\"POI\">\n<Page Name=\"deep cave\">\n<Icon Name=\"ID1\" "
                                   "PathFindLocation=\"1,2,3\"/>\n</Page>\n</Page>");
        write("POI/map_links.xml", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Page Name=\"POI\">\r\n<Page Name=\"up top\">\r\n"
                                   + link.toUtf8() + "\r\n</Page>\r\n</Page>");
        OpenedPageFile opened = OpenPageSource(pack.filePath("POI/map_links.xml").toStdString());
        QVERIFY(opened.source && opened.source->offers(PageFeature::PageList));
        TSimpleXML document;
        ConfigureIconPageDocument(document);
        opened.source->readPage(0, document);
        opened.source->switchTo(0, document);
        EditorState state;
        state.DocLoaded = true;
        state.BaseFolder = pack.path().toStdString() + "/";
        state.PageName = "up top";
        QStringList lines;
        for (const PageProblem& problem : CheckOpenPage(document.Root(), state, *opened.source)) {
            if (problem.kind != ProblemKind::MapImage)
                lines << QString::fromStdString(ProblemLine(problem));
        }
        QFETCH(QString, expected);
        QCOMPARE(lines, expected.isEmpty() ? QStringList() : QStringList{expected});
    }
};

QTEST_GUILESS_MAIN(PageCheckTest)
#include "PageCheckTest.moc"
