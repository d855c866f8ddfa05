// --check opens its pages without a window unless it writes a report; the window is what the
// user sees. Both ways check the same pages, one after another in one run, and must print the
// same lines and end the same, with and without --strict: pages whose zone rectangle, map and
// location name come from the map style file or the configuration, zone pages, a remembered
// top-left rule, a map that does not decode, pages that do not read, and pages after them.
#include "app/CommandLine.h"
#include "helpers/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QString kSample = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample");

}  // namespace

class CheckWaysTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_pages;
    QString m_config;

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, m_folder));
        m_pages = m_folder + QStringLiteral("/vynmap/");
        // A harbour POI dragged off its world location; the greenwood page's map no DDS file.
        QByteArray harbour = readTestFile(m_pages + "icons_harbor_town.xml");
        QVERIFY(harbour.contains("Location=\"328,59\""));
        writeTestFile(m_pages + "icons_harbor_town.xml", harbour.replace("Location=\"328,59\"", "Location=\"368,59\""));
        const QString map = m_folder + QStringLiteral("/images/maps/map_greenwood.dds");
        writeTestFile(map, QByteArray(200, 'x'));

        // Zone pages take their location names from here.
        QByteArray styles = readTestFile(m_pages + "core_mapstyles.xml");
        QVERIFY(styles.contains("<ImageStyle Name=\"harbor_town\""));
        writeTestFile(m_pages + "core_mapstyles.xml",
                          styles.replace("<ImageStyle Name=\"harbor_town\"",
                                         "<ImageStyle Name=\"harbor_town\" displayname=\"Harbour &amp; Docks\""));

        // Pages of players: BOM and CRLF, a map nobody knows, a zone rectangle only the
        // configuration gives, a POI without its world location, no Name, a cut file, nothing.
        writeTestFile(m_pages + "icons_crlf.xml",
                          "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Page Name=\"configured_map\" 1location=\"Conf\" Size=\"400,300\">\r\n"
                          "<Icon Name=\"a\" Location=\"10,20\" pathfindlocation=\"5, 0, 7\" IconStyle=\"NPC\" Tooltip=\"x &amp; y\" Size=\"12,12\"/>\r\n"
                          "<Icon Name=\"b\" Location=\"300,200\" IconStyle=\"QST\" Tooltip=\"\" Size=\"12,12\"/>\r\n"
                          "<Note>not a POI</Note>\r\n"
                          "</Page>\r\n");
        writeTestFile(m_pages + "icons_unknown.xml",
                          "<?xml version=\"1.0\"?>\n<Page Name=\"nowhere\" 1location=\"No \xEC\x9C\x84\xEC\xB9\x98\">\n"
                          "<Icon Name=\"c\" Location=\"5,6\" pathfindlocation=\"0, 0, 0\" IconStyle=\"bogus\" Tooltip=\"\" Size=\"12,12\"/>\n"
                          "</Page>\n");
        writeTestFile(m_pages + "icons_nameless.xml",
                          "<Page 1location=\"Line\nbreak\"><Icon Location=\"1,1\"/></Page>");
        writeTestFile(m_pages + "icons_cut.xml", "<?xml version=\"1.0\"?>\r\n<Page Name=\"x\"><Icon");
        writeTestFile(m_pages + "icons_empty.xml", "");
        // A UI window whose pages are its decoration, outside the folder.
        writeTestFile(m_dir.filePath(QStringLiteral("travel_map.xml")),
                      "<Page Name=\"TravelMap\" Size=\"300,200\"><Page Name=\"Bkg\" Style=\"bkg\"/>"
                      "<Page Name=\"Frame\" Style=\"frame\"/></Page>");

        // The configuration: the folder, a zone rectangle of its own, and the harbour page laid
        // out by its icons' top-left corner.
        m_config = m_dir.filePath(QStringLiteral("editor.INI"));
        writeTestFile(m_config, "[CONFIG]\r\nPATH=" + m_folder.toUtf8() + "/\r\n[MAPZONEDEF]\r\n"
                                    "configured_map=-100,-200,300,400\r\n[ANCHOR]\r\n"
                                    + m_pages.toUtf8() + "icons_harbor_town.xml=1\r\n");
    }

    void bothWaysPrintTheSame_data()
    {
        QTest::addColumn<QStringList>("pages");
        const QString p = m_pages;
        const QString window = m_folder + QStringLiteral("/map_window_sample.xml");
        const QString poi = m_folder + QStringLiteral("/poi_sample.xml");
        QTest::newRow("the whole folder") << QStringList{m_folder};
        QTest::newRow("icon pages, each after another")
            << QStringList{p + "icons_harbor_town.xml", p + "icons_greenwood.xml", p + "icons_crlf.xml",
                           p + "icons_unknown.xml", p + "icons_hanok_village.xml", p + "icons_nameless.xml"};
        QTest::newRow("pages that do not read between pages that do")
            << QStringList{p + "icons_cut.xml", p + "icons_crlf.xml", p + "icons_empty.xml",
                           p + "icons_missing.xml", p + "icons_harbor_town.xml", m_dir.filePath("nothing_here")};
        QTest::newRow("zone pages after an icon page and before one")
            << QStringList{p + "icons_crlf.xml", window, poi, p + "icons_unknown.xml"};
        QTest::newRow("zone pages named")
            << QStringList{window + "#greenwood", poi + "#harbor_town", window + "#no_such_page",
                           p + "icons_greenwood.xml#greenwood", window + "#empty_zone"};
        QTest::newRow("the map style file itself") << QStringList{p + "core_mapstyles.xml"};
    }

    void bothWaysPrintTheSame()
    {
        QFETCH(QStringList, pages);
        for (const bool strict : {false, true}) {
            QString inWindow;
            QTextStream windowOut(&inWindow);
            const int windowStatus = checkPages(m_config, pages, windowOut, strict, QString(), CheckWay::Window);
            QString headless;
            QTextStream headlessOut(&headless);
            const int headlessStatus = checkPages(m_config, pages, headlessOut, strict, QString(), CheckWay::Headless);
            QCOMPARE(headless, inWindow);
            QCOMPARE(headlessStatus, windowStatus);
            QVERIFY(!inWindow.isEmpty());
        }
    }

    // A map pack POI file with hand-typed locations: each mistyped one is named with the line
    // of the file it stands on, so that an author finds it there.
    void mistypedLocationsAreNamedWithTheirLine()
    {
        const QString file = m_dir.filePath(QStringLiteral("typed.xml"));
        writeTestFile(file, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Page Name=\"POI\">\r\n"
                            "<Page Name=\"harbor_town\">\r\n"
                            "<Icon Name=\"ID1\" PathFindLocation=\"1.00,2.00,3.00\" PoiType=\"NPC\" Tooltip=\"A&#xA;b\"/>\r\n"
                            "<Icon Name=\"ID2\" PathFindLocation=\"-2,038.16-322.84,-1848.97\" PoiType=\"NPC\"/>\r\n"
                            "<Icon Name=\"ID3\" PathFindLocation=\"36.24-,39.94,-150.40\" PoiType=\"NPC\"/>\r\n"
                            "</Page>\r\n</Page>");
        QString out;
        QTextStream stream(&out);
        QCOMPARE(checkPages(m_config, {file + QStringLiteral("#harbor_town")}, stream, true, QString(), CheckWay::Headless), 1);
        QVERIFY2(out.contains(QStringLiteral("POI \"ID2\" (#1): pathfindlocation \"-2,038.16-322.84,-1848.97\" looks "
                                             "mistyped: its height \"038.16-322.84\" is not a number (line 5)")),
                 qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("POI \"ID3\" (#2): pathfindlocation \"36.24-,39.94,-150.40\" does not read "
                                             "as x, y, z (line 6)")),
                 qPrintable(out));
    }

    // Files that hold no page fail with the reason; paths are printed in the platform's form.
    void printedLines_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<QString>("printed");  // a part of the lines
        const QString styles = m_pages + "core_mapstyles.xml";
        QTest::newRow("the map style file")
            << QStringList{styles} << false
            << styles + ": Error : Loading File; a map style file, not a page of POIs\n";
        const QString window = m_dir.filePath(QStringLiteral("travel_map.xml"));
        QTest::newRow("a window of decoration pages")
            << QStringList{window} << false
            << window + ": Error : Loading File; the file holds pages inside pages, but none of them is a page of icons\n";
        const QString sep = QDir::separator();
        QTest::newRow("a guessed map path")
            << QStringList{m_pages + "icons_unknown.xml"} << true
            << ": warning: map image \"images" + sep + "maps" + sep + "map_nowhere.dds\" is not found\n";
        QTest::newRow("a page of a folder")
            << QStringList{m_folder} << false << QDir::toNativeSeparators(m_pages + "icons_crlf.xml") + ": 3 POIs";
    }

    void printedLines()
    {
        QFETCH(QStringList, pages);
        QFETCH(bool, strict);
        QFETCH(QString, printed);
        QString lines;
        QTextStream out(&lines);
        QCOMPARE(checkPages(m_config, pages, out, strict, QString(), CheckWay::Headless), 1);
        QVERIFY2(lines.contains(printed), qPrintable(lines));
    }
};

QTEST_MAIN(CheckWaysTest)
#include "CheckWaysTest.moc"
