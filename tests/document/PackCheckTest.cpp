// The map pack's rules: the repair proposed for a mistyped world location, POIs repeating another
// of their page, the pack's own type vocabulary, POIs far off their page's rectangle, and the
// ignore file; over small world-only pages built here.

#include "document/LocationRepair.h"
#include "document/PackCheck.h"

#include <QtTest>

#include <deque>

namespace {

// 2 world units per pixel on the 436 x 506 page: world x from 0 to -872, z from 0 to 1012.
const char* const kZone = "0,0,872,1012";

}  // namespace

class PackCheckTest : public QObject {
    Q_OBJECT

    std::deque<std::string> m_texts;  // what the views of the built pages show

    std::string_view keep(const QString& text)
    {
        m_texts.push_back(text.toStdString());
        return m_texts.back();
    }

    // Each POI "Name|pathfindlocation|PoiType|Tooltip", "-" for a missing property.
    CheckedPage page(const QStringList& pois)
    {
        CheckedPage page;
        page.mapName = "test_map";
        page.anchor = PoiAnchor::World;
        page.zone = ParseZoneText(kZone);
        page.vocabulary.typeProperty = "PoiType";
        page.vocabulary.knownTypes = {"NPC", "QUESTUPDATE"};
        page.numberedNames = true;
        int index = 0;
        for (const QString& line : pois) {
            const QStringList parts = line.split(QLatin1Char('|'));
            CheckedPoi poi;
            poi.index = index++;
            poi.name = keep(parts[0]);
            std::optional<std::string_view>* fields[] = {&poi.world, &poi.type, &poi.tooltip};
            for (int i = 0; i < 3; ++i) {
                if (parts[i + 1] != QLatin1String("-"))
                    *fields[i] = keep(parts[i + 1]);
            }
            page.pois.push_back(poi);
        }
        return page;
    }

    // "KIND@POI: TEXT" with " => FIX" where one is proposed, of every line.
    static QStringList lines(const std::vector<PageProblem>& problems)
    {
        QStringList lines;
        for (const PageProblem& problem : problems) {
            QString line = QStringLiteral("%1@%2: %3")
                               .arg(QString::fromStdString(ProblemKey(problem)))
                               .arg(problem.poi)
                               .arg(QString::fromStdString(problem.text));
            if (problem.fix)
                line += QStringLiteral(" => ") + QString::fromStdString(FixLine(problem));
            lines << line;
        }
        return lines;
    }

private slots:
    void locationRepairs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("proposal");  // empty: none
        QTest::newRow("plain") << "-120.50, 4.00, 88.25" << "";
        QTest::newRow("plain, blanks") << " 12 3  -40.5" << "";
        QTest::newRow("leading and doubled dots") << "-1195.00,.59.79,.165.57" << "-1195.00,59.79,165.57";
        QTest::newRow("doubled dot") << "10.00, 5..25, 3.00" << "10.00, 5.25, 3.00";
        QTest::newRow("lone leading dot") << "10.00,.5,3.00" << "10.00,0.5,3.00";
        QTest::newRow("stray minus after x") << "36.24-,39.94,-150.40" << "36.24,39.94,-150.40";
        QTest::newRow("decimal comma in z") << "106.90,25.03,-494,73" << "106.90,25.03,-494.73";
        QTest::newRow("minus for the point") << "-223-61,-14.41,-270.04" << "-223.61,-14.41,-270.04";
        QTest::newRow("minus for the point in the height") << "-150.68,-56-62,182.52" << "-150.68,-56.62,182.52";
        QTest::newRow("minus after the point") << "20.68,-46.-2,46.19" << "20.68,-46.2,46.19";
        QTest::newRow("thousands separator, lost comma")
            << "-2,038.16-322.84,-1848.97" << "-2038.16,-322.84,-1848.97";
        QTest::newRow("thousands separator, blanks kept") << "1,234.50, 20.00, -30.00" << "1234.50, 20.00, -30.00";
        QTest::newRow("plus sign") << "+12.50, 3.00, 4.00" << "12.50, 3.00, 4.00";
        QTest::newRow("plus sign, blank separated") << "+12.50 3.00 4.00" << "12.50 3.00 4.00";
        QTest::newRow("two ways to join") << "12.5,1,5,30" << "";
        QTest::newRow("comma or thousands") << "1,234,5.00,6.00" << "";
        QTest::newRow("two numbers missing") << "12.5" << "";
        QTest::newRow("letters") << "12.5,abc,3" << "";
        QTest::newRow("two inner minus signs") << "1-2-3,4,5" << "";
        QTest::newRow("five numbers") << "1,2,3,4,5" << "";
        QTest::newRow("empty") << "" << "";
    }

    void locationRepairs()
    {
        QFETCH(QString, text);
        QFETCH(QString, proposal);
        const std::optional<std::string> repaired = ProposeLocationRepair(text.toStdString());
        QCOMPARE(repaired ? QString::fromStdString(*repaired) : QString(), proposal);
        if (repaired)
            QVERIFY(IsPlainWorldLocation(*repaired));
    }

    void pageRules_data()
    {
        QTest::addColumn<QStringList>("pois");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("a mistyped location with its repair")
            << QStringList{"ID1|106.90,25.03,-494,73|NPC|Smith"}
            << QStringList{"mistyped@0: pathfindlocation \"106.90,25.03,-494,73\" does not read as x, y, z => fix: "
                           "set pathfindlocation to \"106.90,25.03,-494.73\""};
        QTest::newRow("a plus sign reads, but is named")
            << QStringList{"ID1|-12.50, 3.00, +400.00|NPC|Smith"}
            << QStringList{"mistyped@0: pathfindlocation \"-12.50, 3.00, +400.00\" looks mistyped: it is not three "
                           "plain numbers => fix: set pathfindlocation to \"-12.50, 3.00, 400.00\""};
        QTest::newRow("a repeat within a world unit, named once")
            << QStringList{"ID1|-100.00, 5, 200.00|NPC|Smith", "ID2|-300, 5, 300|NPC|Inn",
                           "ID3|-100.60, 5, 200.70|NPC|Smith", "ID4|-100.00, 5, 200.00|NPC|Smith"}
            << QStringList{"repeated@2: repeats ID1 (#0): the same tooltip and type 0.92 world units away => fix: "
                           "delete POI \"ID3\" (#2)",
                           "repeated@3: repeats ID1 (#0): the same tooltip and type 0.00 world units away => fix: "
                           "delete POI \"ID4\" (#3)"};
        QTest::newRow("no repeat: another type, another tooltip, too far")
            << QStringList{"ID1|-100, 5, 200|NPC|Smith", "ID2|-100, 5, 200|QUESTUPDATE|Smith",
                           "ID3|-100.5, 5, 200|NPC|Smithy", "ID4|-101.5, 5, 200|NPC|Smith"}
            << QStringList{"duplicate@1: same pathfindlocation as \"ID1\" (#0)"};
        QTest::newRow("one Name twice on a page")
            << QStringList{"ID7|-100, 5, 200|NPC|Smith", "ID8|-300, 5, 300|NPC|Inn", "ID7|-400, 5, 400|NPC|Gate"}
            << QStringList{"duplicate@2: its Name is also that of #0"};
        QTest::newRow("far off the rectangle, another page holds it")
            << QStringList{"ID1|-100, 5, 200|NPC|Smith", "ID2|-1000, 5, 200|NPC|Far", "ID3|-900, 5, 200|NPC|Near"}
            << QStringList{"off-zone@1: its pathfindlocation lies 15% of the zone rectangle's size outside it: "
                           "probably on the wrong zone page; the rectangle of \"POI/pack.xml#beside\" holds it",
                           "outside@2: its point 450,100 lies outside the page (436 x 506)"};
    }

    void pageRules()
    {
        QFETCH(QStringList, pois);
        QFETCH(QStringList, expected);
        const PackRules rules("/pack", {}, {},
                              {{"POI/pack.xml#self", ParseZoneText(kZone)},
                               {"POI/pack.xml#other", ParseZoneText("-872,0,0,1012")},
                               {"POI/pack.xml#beside", ParseZoneText("872,0,1744,1012")}});
        QCOMPARE(lines(rules.check(page(pois), "POI/pack.xml#self", true)), expected);
    }

    // The types of the pack's POI files are known from three uses on; rarer ones are named with
    // the nearest known type, grouped as unknown types are.
    void packVocabulary()
    {
        const PackTypeUses uses{{"BELL", 11}, {"HOUSE", 3}, {"QUESTUPDAT", 2}, {"ODDITY", 1}, {"NPC", 1}};
        const PackRules rules("/pack", uses, {}, {});
        const CheckedPage built = page({"ID1|-100, 5, 200|BELL|a", "ID2|-110, 5, 200|HOUSE|b",
                                        "ID3|-120, 5, 200|QUESTUPDAT|c", "ID4|-130, 5, 200|QUESTUPDAT|d",
                                        "ID5|-140, 5, 200|ODDITY|e", "ID6|-150, 5, 200|NPC|f"});
        QCOMPARE(lines(rules.check(built, "POI/pack.xml#self", true)),
                 (QStringList{"rare-type@-1: 2 POIs: PoiType \"QUESTUPDAT\" is used by only 2 POIs of the pack: likely "
                              "a typo of \"QUESTUPDATE\" => fix: set PoiType to \"QUESTUPDATE\"",
                              "rare-type@4: PoiType \"ODDITY\" is used by only 1 POI of the pack: likely a typo"}));
        // Not a POI file: the kind's own list stands.
        QCOMPARE(lines(rules.check(built, "vynmap/icons.xml", false)).size(), 4);
        QCOMPARE(NearestType("MOBSOOL", {"MOBSOLO", "MOBNAMED"}), std::string("MOBSOLO"));
        QCOMPARE(NearestType("XYZ", {"MOBSOLO", "NPC"}), std::string());
        QCOMPARE(NearestType("BOOL", {"BOOK", "BOLL"}), std::string());  // two alike near: none
    }

    void ignoreFile()
    {
        const IgnoreList list = IgnoreList::Parse("# shared by the authors\r\n"
                                                  "repeated\tPOI/pack.xml#self\tID3\r\n"
                                                  "\n"
                                                  "mistyped\tPOI/pack.xml#other\tID1\n"
                                                  "no tabs here\n"
                                                  + IgnoreList::Line("duplicate", "POI/pack.xml#self", "ID7"));
        QVERIFY(list.holds("repeated", "POI/pack.xml#self", "ID3"));
        QVERIFY(list.holds("duplicate", "POI/pack.xml#self", "ID7"));
        QVERIFY(!list.holds("repeated", "POI/pack.xml#self", "ID1"));
        const PackRules rules("/pack/", {}, list, {});
        const CheckedPage built = page({"ID1|1.5-,5,200|NPC|Smith", "ID2|-300, 5, 300|NPC|Inn",
                                        "ID3|-300.5, 5, 300|NPC|Inn", "ID7|-100, 5, 100|NPC|a",
                                        "ID7|-100, 5, 300|NPC|b"});
        // The mistyped location is ignored on another page only.
        QCOMPARE(lines(rules.check(built, "POI/pack.xml#self", true)),
                 QStringList{"mistyped@0: pathfindlocation \"1.5-,5,200\" does not read as x, y, z => fix: set "
                             "pathfindlocation to \"1.5,5,200\""});
        QCOMPARE(lines(rules.check(built, "POI/pack.xml#other", true)).size(), 2);
        QCOMPARE(rules.pageName("/pack/POI/pack.xml", std::string("self")), std::string("POI/pack.xml#self"));
        QCOMPARE(rules.pageName("/elsewhere/a.xml", std::nullopt), std::string("/elsewhere/a.xml"));
    }
};

QTEST_GUILESS_MAIN(PackCheckTest)
#include "PackCheckTest.moc"
