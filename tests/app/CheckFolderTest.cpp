// --check of a whole folder and its report, on a copy of the sample folder with one marker moved,
// one type mistyped and one rectangle copied with a slip: each page and zone page checked once
// (never the game's "Icons" template page), the lines of blame, and a report whose picture draws
// the moved POI's arrow ending where its world location falls.
#include "app/CheckReport.h"
#include "app/CommandLine.h"
#include "helpers/TestFiles.h"
#include "mapview/PoiAnchor.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QString kSample = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample");

bool replaceIn(const QString& path, const QByteArray& before, const QByteArray& after)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    if (!bytes.contains(before) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes.replace(before, after)) == bytes.size();
}

}  // namespace

class CheckFolderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_config;

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, m_folder));
        // The harbour's "Dock Rats" dragged 40 pixels right, a type mistyped, a rectangle slipped.
        const QString pages = m_folder + QStringLiteral("/vynmap/");
        QVERIFY(replaceIn(pages + "icons_harbor_town.xml", "Location=\"328,59\"", "Location=\"368,59\""));
        QVERIFY(replaceIn(pages + "icons_harbor_town.xml", "IconStyle=\"QST\"", "IconStyle=\"quest\""));
        QVERIFY(replaceIn(pages + "core_mapstyles.xml", "400,-2500,2600,-300", "430,-2500,2630,-300"));
        // A map pack's POI files in their own folder (its name in another letter case), beside a
        // file there that holds no zone page.
        const QByteArray pois = readTestFile(m_folder + QStringLiteral("/poi_sample.xml"));
        QVERIFY(!pois.isEmpty());
        writeTestFile(m_folder + QStringLiteral("/poi/pack region.xml"), pois);
        writeTestFile(m_folder + QStringLiteral("/poi/notes.xml"), "<Notes><Note>not a page</Note></Notes>");
        // The pack's map links: a file of its own kind, listed as such before its pages.
        writeTestFile(m_folder + QStringLiteral("/poi/map_links.xml"),
                      "<Page Name=\"POI\">\r\n<Page Name=\"world\">\r\n<Text Name=\"a\" PoiMapLink=\"greenwood\" "
                      "Location=\"5,5\" >Greenwood</Text>\r\n</Page>\r\n<Page Name=\"greenwood\">\r\n<Icon Name=\"b\" "
                      "PoiMapLink=\"nowhere\" Location=\"9,9\" Tooltip=\"Up\"/>\r\n</Page>\r\n</Page>");
        m_config = m_dir.filePath(QStringLiteral("editor.INI"));
        QFile ini(m_config);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CONFIG]\r\nPATH=" + m_folder.toUtf8() + "/\r\n");
    }

    void folderChecksEveryPageOnce()
    {
        QString text;
        QTextStream out(&text);
        QCOMPARE(checkPages(m_config, {m_folder}, out, true), 1);
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList pages;
        for (const QString& line : lines) {
            if (!line.contains(QLatin1String(": warning: ")) && line.contains(QLatin1String(": ")))
                pages << QDir::fromNativeSeparators(line.section(QLatin1String(": "), 0, 0)).mid(m_folder.size() + 1);
        }
        QCOMPARE(pages, (QStringList{"vynmap/icons_greenwood.xml", "vynmap/icons_hanok_village.xml",
                                     "vynmap/icons_harbor_town.xml", "map_window_sample.xml#harbor_town",
                                     "map_window_sample.xml#greenwood", "map_window_sample.xml#hanok_village",
                                     "map_window_sample.xml#empty_zone", "poi_sample.xml#harbor_town",
                                     "poi_sample.xml#greenwood", "poi_sample.xml#hanok_village",
                                     "poi/map_links.xml", "poi/map_links.xml#world", "poi/map_links.xml#greenwood",
                                     "poi/pack region.xml#harbor_town", "poi/pack region.xml#greenwood",
                                     "poi/pack region.xml#hanok_village"}));
        const QString harbour = QDir::toNativeSeparators(m_folder + QStringLiteral("/vynmap/icons_harbor_town.xml"))
            + QStringLiteral(": warning: ");
        QVERIFY2(lines.contains(harbour + QStringLiteral("POI \"Dock Rats\" (#3): misplaced: 40 pixels from where the zone "
                                                         "rectangle puts its pathfindlocation, 328,59 (the rectangle fits "
                                                         "9 of 10 POIs)")),
                 qPrintable(text));
        QVERIFY(lines.contains(QDir::toNativeSeparators(m_folder + QStringLiteral("/poi/map_links.xml"))
                               + QStringLiteral(": map links, 2 pages")));
        QVERIFY2(lines.contains(QDir::toNativeSeparators(m_folder + QStringLiteral("/poi/map_links.xml#greenwood"))
                                + QStringLiteral(": warning: POI \"b\" (#0): PoiMapLink \"nowhere\" names no known map (line 6)")),
                 qPrintable(text));
        QVERIFY(lines.last().endsWith(QLatin1String(" in 15 pages")));

        const QString empty = m_dir.filePath(QStringLiteral("empty"));
        QVERIFY(QDir().mkpath(empty));
        QString none;
        QTextStream noneOut(&none);
        QCOMPARE(checkPages(m_config, {empty}, noneOut), 1);
        QCOMPARE(none, empty + QStringLiteral(": no pages found\n"));
    }

    // A folder named is a UI folder: its own map styles and maps serve its pages, whatever
    // folder the configuration names; a page named one by one takes the configured folder.
    void folderServesItsOwnPages_data()
    {
        QTest::addColumn<QString>("configured");  // the configuration's PATH; empty: no configuration file
        QTest::addColumn<QString>("target");      // below the copy
        QTest::addColumn<QString>("zone");        // of the village's page
        QTest::newRow("folder, no configuration") << QString() << QString() << "430,-2500,2630,-300";
        QTest::newRow("folder, the sample configured") << kSample << QString() << "430,-2500,2630,-300";
        QTest::newRow("its vynmap folder") << kSample << "/vynmap/" << "430,-2500,2630,-300";
        QTest::newRow("page named, the sample configured")
            << kSample << "/vynmap/icons_hanok_village.xml" << "400,-2500,2600,-300";
    }

    void folderServesItsOwnPages()
    {
        QFETCH(QString, configured);
        QFETCH(QString, target);
        QFETCH(QString, zone);
        const QString config = m_dir.filePath(QStringLiteral("other.INI"));
        QFile::remove(config);
        if (!configured.isEmpty()) {
            QFile ini(config);
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[CONFIG]\r\nPATH=" + configured.toUtf8() + "/\r\n");
        }
        QString text;
        QTextStream out(&text);
        checkPages(config, {m_folder + target}, out, true);
        const QString village = QStringLiteral("icons_hanok_village.xml: 8 POIs, page \"hanok_village\", location "
                                               "\"한옥 마을\", zone ") + zone + QLatin1Char('\n');
        QVERIFY2(text.contains(village), qPrintable(text));
        // Its map is found where its zone rectangle is.
        QVERIFY2(!text.contains(QStringLiteral("icons_hanok_village.xml: warning: map image")), qPrintable(text));
    }

    // The bundled sample passes its own strict check, configured or not.
    void sampleFolderHasNoProblem()
    {
        QString text;
        QTextStream out(&text);
        QCOMPARE(checkPages(m_dir.filePath(QStringLiteral("none.INI")), {kSample}, out, true), 0);
        QVERIFY2(text.endsWith(QLatin1String("\n0 problems in 10 pages\n")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("map_window_sample.xml#empty_zone: 0 POIs, page \"empty_zone\", location \"\", "
                                             "zone 2600,-2500,4800,-300\n")),
                 qPrintable(text));
    }

    void reportDrawsTheArrowToTheWorldLocation()
    {
        const QString report = m_dir.filePath(QStringLiteral("report"));
        QString text;
        QTextStream out(&text);
        const QString broken = m_dir.filePath(QStringLiteral("icons_broken.xml"));
        QFile brokenFile(broken);
        QVERIFY(brokenFile.open(QIODevice::WriteOnly));
        brokenFile.write("<Page Name=\"x\"><Icon");
        brokenFile.close();
        // Plain --check: the report still shows each page's problems; a page not read has no picture.
        QCOMPARE(checkPages(m_config, {m_folder + QStringLiteral("/vynmap/icons_harbor_town.xml"), broken}, out, false,
                            report),
                 1);
        QCOMPARE(text.count(QLatin1Char('\n')), 2);
        QFile index(report + QStringLiteral("/index.html"));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(index.readAll());
        QVERIFY(html.contains(QLatin1String("<meta charset=\"utf-8\">")));
        QVERIFY(html.contains(QLatin1String("POI &quot;Dock Rats&quot; (#3): misplaced")));
        QVERIFY(html.contains(QLatin1String("<img src=\"page-1.png\"")));
        QVERIFY(!html.contains(QLatin1String("<script")));
        // Names relative to the folder checked; the contents list the pages with most problems first,
        // after a summary of the kinds of problem.
        QVERIFY(html.contains(QLatin1String("<h2>icons_broken.xml</h2>")));
        const QString harbor = QDir(m_dir.path()).relativeFilePath(m_folder + QStringLiteral("/vynmap/icons_harbor_town.xml"));
        const qsizetype harborEntry = html.indexOf(QStringLiteral("<li><a href=\"#page-1\">%1</a>: ").arg(harbor));
        const qsizetype brokenEntry = html.indexOf(QLatin1String("<li><a href=\"#page-2\">icons_broken.xml</a>: 0 problems</li>"));
        QVERIFY2(harborEntry > 0 && brokenEntry > harborEntry, qPrintable(html));
        const qsizetype kinds = html.indexOf(QLatin1String("<tr><td>misplaced</td><td>"));
        QVERIFY(kinds > 0 && kinds < harborEntry);
        QVERIFY(!html.contains(QLatin1String("page-2.png")));
        QVERIFY(html.contains(QLatin1String("<p>3 problems in 2 pages</p>")));

        const QImage picture(report + QStringLiteral("/page-1.png"));
        QCOMPARE(picture.size(), QSize(512, 512));  // the sample's map image
        EditorState state;
        state.ZoneRect = {-585, -1135, 1635, 1445};
        state.PageWidth = 436;
        state.PageHeight = 506;
        const std::optional<ImagePoint> world = WorldToImagePoint(state, -1085.09, -834.17);
        QVERIFY(world);
        const QPoint end(int(std::floor(world->x)), int(std::floor(world->y)));
        QCOMPARE(QColor(picture.pixel(end)), QColor::fromRgba(kReportArrowColour));
        // The moved marker's place holds no arrow end.
        QVERIFY(QColor(picture.pixel(368 + 8, 59)) != QColor::fromRgba(kReportArrowColour));
    }
};

QTEST_MAIN(CheckFolderTest)
#include "CheckFolderTest.moc"
