// --check --strict of a map pack with the pack's own rules: a POI file in POI/ with a repeated POI,
// a mistyped location, a rare type, a POI far off its page and a Name used twice, each named with
// its proposed fix; the pack's ignore file honoured; the report's table of problem kinds.
#include "app/CommandLine.h"
#include "document/PackCheck.h"
#include "helpers/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QString kSample = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample");

const char* const kRegion =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Page Name=\"POI\">\n<Page Name=\"harbor_town\">\n"
    "<Icon Name=\"ID60001\" PathFindLocation=\"-407.89,50.00,-589.43\" PoiType=\"NPC\" Tooltip=\"Harbor Master\"/>\n"
    "<Icon Name=\"ID60002\" PathFindLocation=\"-407.50,50.00,-589.43\" PoiType=\"NPC\" Tooltip=\"Harbor Master\"/>\n"
    "<Icon Name=\"ID60003\" PathFindLocation=\"-962.89,46.00,-737,29\" PoiType=\"LOCATION\" Tooltip=\"Fish\"/>\n"
    "<Icon Name=\"ID60004\" PathFindLocation=\"-1085.09,64.00,-834.17\" PoiType=\"MOBNAMD\" Tooltip=\"Rats\"/>\n"
    "<Icon Name=\"ID60005\" PathFindLocation=\"1960.32,5.00,-278.26\" PoiType=\"NPC\" Tooltip=\"Giant Oak\"/>\n"
    "<Icon Name=\"ID60001\" PathFindLocation=\"-122.75,11.00,-885.16\" PoiType=\"QUESTUPDATE\" Tooltip=\"Anchor\"/>\n"
    "</Page>\n</Page>\n";

}  // namespace

class CheckPackTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_config;

    // The strict lines of the POI file's page, its name left out.
    QStringList regionLines(int expectedStatus)
    {
        QString text;
        QTextStream out(&text);
        const int status = checkPages(m_config, {m_folder}, out, true, QString(), CheckWay::Headless);
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (QDir::fromNativeSeparators(line).contains(QLatin1String("POI/region.xml#harbor_town: ")))
                lines << line.section(QLatin1String(": "), 1);
        }
        if (status != expectedStatus)
            lines << QStringLiteral("status %1").arg(status);
        return lines;
    }

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, m_folder));
        writeTestFile(m_folder + QStringLiteral("/POI/region.xml"), kRegion);
        m_config = m_dir.filePath(QStringLiteral("editor.INI"));
        QFile ini(m_config);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CONFIG]\r\nPATH=" + m_folder.toUtf8() + "/\r\n");
    }

    void packRulesWithTheirFixes()
    {
        QCOMPARE(regionLines(1),
                 (QStringList{
                     "6 POIs, page \"harbor_town\", location \"\", zone -585,-1135,1635,1445",
                     "warning: POI \"ID60002\" (#1): repeats ID60001 (#0): the same tooltip and type 0.39 world units "
                     "away",
                     "fix: delete POI \"ID60002\" (#1)",
                     "warning: POI \"ID60003\" (#2): pathfindlocation \"-962.89,46.00,-737,29\" does not read as x, y, "
                     "z (line 6)",
                     "fix: set pathfindlocation to \"-962.89,46.00,-737.29\"",
                     "warning: POI \"ID60004\" (#3): PoiType \"MOBNAMD\" is used by only 1 POI of the pack: likely a "
                     "typo of \"MOBNAMED\"",
                     "fix: set PoiType to \"MOBNAMED\"",
                     "warning: POI \"ID60005\" (#4): its pathfindlocation lies 62% of the zone rectangle's size "
                     "outside it: probably on the wrong zone page; the rectangle of \"poi_sample.xml#greenwood\" "
                     "holds it",
                     "warning: POI \"ID60001\" (#5): its Name is also that of #0"}));
    }

    void ignoreFileHonoured()
    {
        const QString ignore = m_folder + QStringLiteral("/") + QLatin1String(kIgnoreFileName);
        writeTestFile(ignore, QByteArray("# the authors' own\n")
                                  + QByteArray::fromStdString(
                                      IgnoreList::Line("repeated", "POI/region.xml#harbor_town", "ID60002")
                                      + IgnoreList::Line("rare-type", "POI/region.xml#harbor_town", "ID60004")
                                      + IgnoreList::Line("rare-type", "POI/region.xml#elsewhere", "ID60003")));
        const QStringList lines = regionLines(1);
        QFile::remove(ignore);
        QCOMPARE(lines.size(), 5);
        QVERIFY(!lines.join('\n').contains(QLatin1String("ID60002")));
        QVERIFY(!lines.join('\n').contains(QLatin1String("MOBNAMD")));
        QVERIFY(lines.join('\n').contains(QLatin1String("ID60003")));
    }

    // A POI file checked alone takes its folder as the pack, here one without vynmap/: a type the
    // file beside it uses twice more is the pack's own.
    void fileAloneTakesItsFolder()
    {
        const QString loose = m_dir.filePath(QStringLiteral("loose"));
        writeTestFile(loose + QStringLiteral("/region.xml"), kRegion);
        writeTestFile(loose + QStringLiteral("/other.xml"),
                      QByteArray(kRegion).replace("PoiType=\"NPC\"", "PoiType=\"MOBNAMD\""));
        QString text;
        QTextStream out(&text);
        checkPages(m_config, {loose + QStringLiteral("/region.xml")}, out, true, QString(), CheckWay::Headless);
        QVERIFY2(!text.contains(QLatin1String("MOBNAMD")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("repeats ID60001 (#0)")), qPrintable(text));
    }

    void reportCountsTheKinds()
    {
        const QString report = m_dir.filePath(QStringLiteral("report"));
        QString text;
        QTextStream out(&text);
        QCOMPARE(checkPages(m_config, {m_folder}, out, true, report), 1);
        QFile index(report + QStringLiteral("/index.html"));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(index.readAll());
        for (const char* row : {"<tr><td>mistyped location</td><td>1</td></tr>", "<tr><td>repeated POI</td><td>1</td></tr>",
                                "<tr><td>rare type</td><td>1</td></tr>", "<tr><td>off its zone page</td><td>1</td></tr>",
                                "<tr><td>duplicate</td><td>1</td></tr>"})
            QVERIFY2(html.contains(QLatin1String(row)), row);
    }
};

QTEST_MAIN(CheckPackTest)
#include "CheckPackTest.moc"
