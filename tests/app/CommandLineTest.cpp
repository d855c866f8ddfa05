// The command line: options, the page to open at start, and the headless page check.
#include "app/CommandLine.h"
#include "helpers/DdsTestFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("page");
        using M = CommandLine::Mode;
        QTest::newRow("nothing") << QStringList{} << int(M::Editor) << "" << "";
        QTest::newRow("page") << QStringList{"icons_a.xml"} << int(M::Editor) << "" << "icons_a.xml";
        QTest::newRow("config and page") << QStringList{"--config", "x.INI", "p.xml"} << int(M::Editor) << "x.INI" << "p.xml";
        QTest::newRow("config without file") << QStringList{"--config"} << int(M::Error) << "" << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << int(M::Error) << "" << "";
        QTest::newRow("two pages") << QStringList{"a.xml", "b.xml"} << int(M::Error) << "" << "";
        QTest::newRow("check") << QStringList{"--check", "a.xml", "b.xml"} << int(M::Check) << "" << "";
        QTest::newRow("check nothing") << QStringList{"--check"} << int(M::Error) << "" << "";
        QTest::newRow("decode") << QStringList{"--decode-dds", "m.dds", "--output", "m.png"} << int(M::DecodeDds) << "" << "";
        QTest::newRow("decode without output") << QStringList{"--decode-dds", "m.dds"} << int(M::Error) << "" << "";
        QTest::newRow("help") << QStringList{"--help"} << int(M::Help) << "" << "";
        QTest::newRow("list maps") << QStringList{"--config", "x.INI", "--list-maps"} << int(M::ListMaps) << "x.INI" << "";
        QTest::newRow("list maps with a page") << QStringList{"--list-maps", "a.xml"} << int(M::Error) << "" << "";
        QTest::newRow("list maps and check") << QStringList{"--list-maps", "--check", "a.xml"} << int(M::Error) << "" << "";
        QTest::newRow("export") << QStringList{"--config", "x.INI", "--export-png", "p.xml", "--output", "p.png", "--labels"}
                                << int(M::ExportPng) << "x.INI" << "";
        QTest::newRow("export without output") << QStringList{"--export-png", "p.xml"} << int(M::Error) << "" << "";
        QTest::newRow("export and decode") << QStringList{"--export-png", "p.xml", "--decode-dds", "m.dds", "--output", "p.png"}
                                           << int(M::Error) << "" << "";
        QTest::newRow("labels without export") << QStringList{"--labels", "p.xml"} << int(M::Error) << "" << "";
        QTest::newRow("strict check") << QStringList{"--check", "--strict", "a.xml"} << int(M::Check) << "" << "";
        QTest::newRow("check with a report") << QStringList{"--check", "--report", "out", "a.xml"} << int(M::Check) << ""
                                             << "";
        QTest::newRow("report without folder") << QStringList{"--check", "a.xml", "--report"} << int(M::Error) << "" << "";
        QTest::newRow("report without check") << QStringList{"--report", "out", "a.xml"} << int(M::Error) << "" << "";
        QTest::newRow("strict without check") << QStringList{"--strict", "a.xml"} << int(M::Error) << "" << "";
        QTest::newRow("dash page") << QStringList{"--", "-odd.xml"} << int(M::Editor) << "" << "-odd.xml";
    }

    void parsing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QFETCH(QString, config);
        QFETCH(QString, page);
        const CommandLine cmd = parseCommandLine(arguments);
        QCOMPARE(int(cmd.mode), mode);
        QCOMPARE(cmd.configPath, config);
        QCOMPARE(cmd.page, page);
        if (cmd.mode == CommandLine::Mode::Error)
            QVERIFY(!cmd.error.isEmpty());
    }

    void configBesideTheExecutable()
    {
        QCOMPARE(defaultConfigPath(QStringLiteral("/opt/vynmap/vynmap-editor")),
                 QStringLiteral("/opt/vynmap/vynmap-editor.INI"));
    }

    void checkReportsEveryPage()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("editor.INI"));
        QFile ini(config);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CONFIG]\r\nPATH=" + QByteArray(VYNMAP_EXAMPLES) + "/UI/Sample/\r\n");
        ini.close();
        const QString samples = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/vynmap/");
        const QString damaged = dir.filePath(QStringLiteral("icons_damaged.xml"));
        QFile bad(damaged);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("<?xml version=\"1.0\"?>\r\n<Page Name=\"x\"><Icon");
        bad.close();

        // A map the map style file does not know, and a POI without pathfindlocation between two
        // complete ones: every POI still counts.
        const QString unknown = dir.filePath(QStringLiteral("icons_unknown.xml"));
        QFile partial(unknown);
        QVERIFY(partial.open(QIODevice::WriteOnly));
        partial.write("<?xml version=\"1.0\"?>\r\n<Page Name=\"nowhere_map\" 1location=\"No \xEC\x9C\x84\xEC\xB9\x98\">\r\n"
                      "<Icon Name=\"a\" Location=\"1,2\" pathfindlocation=\"0, 0, 0\" IconStyle=\"NPC\" Tooltip=\"\" Size=\"12,12\"/>\r\n"
                      "<Icon Name=\"b\" Location=\"3,4\" IconStyle=\"NPC\" Tooltip=\"\" Size=\"12,12\"/>\r\n"
                      "<Icon Name=\"c\" Location=\"5,6\" pathfindlocation=\"0, 0, 0\" IconStyle=\"NPC\" Tooltip=\"\" Size=\"12,12\"/>\r\n"
                      "</Page>\r\n");
        partial.close();

        QString report;
        QTextStream out(&report);
        const int status = checkPages(config,
                                      {samples + "icons_harbor_town.xml", damaged,
                                       dir.filePath(QStringLiteral("icons_missing.xml")), unknown},
                                      out);
        QCOMPARE(status, 1);
        const QStringList lines = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[3], unknown + QStringLiteral(": 3 POIs, page \"nowhere_map\", location \"No 위치\", zone none"));
        QCOMPARE(lines[0], samples + "icons_harbor_town.xml: 10 POIs, page \"harbor_town\", location \"Harbor Town\", "
                                     "zone -585,-1135,1635,1445");
        // The described message, then why and where, on the page's one line.
        QVERIFY2(lines[1].endsWith(QLatin1String(": Error : Loading File; the file ends before the page is complete (line 2, column 21)")),
                 qPrintable(lines[1]));
        QVERIFY(lines[2].endsWith(QLatin1String(": File \"icons_missing.xml\" is not found.")));

#if defined(VYNMAP_EDITOR) && !defined(_WIN32)
        // The program itself, which reads the first page while its window starts and ends
        // without taking the pages apart, prints the same lines to a pipe and fails the same.
        QProcess program;
        program.start(QStringLiteral(VYNMAP_EDITOR),
                      {QStringLiteral("--config"), config, QStringLiteral("--check"), samples + "icons_harbor_town.xml",
                       damaged, dir.filePath(QStringLiteral("icons_missing.xml")), unknown});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), report);
#endif

        QString good;
        QTextStream goodOut(&good);
        QCOMPARE(checkPages(config, {samples + "icons_greenwood.xml", samples + "icons_hanok_village.xml"}, goodOut), 0);
        QVERIFY(good.contains(QStringLiteral("page \"hanok_village\"")));
    }

    // The dialog's lines in its order, found in a folder named in another letter case, then the label.
    void listMapsPrintsTheDialogsLines()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("VYNMAP")));
        const auto write = [&dir](const QString& name, const QByteArray& bytes) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        const QByteArray tail = " Name=\"m\"></Page>\r\n";
#ifdef _WIN32
        // Windows file names cannot hold a tab: there only the location name does.
        const QString oddName = QStringLiteral("icons_e.xml");
        const QString oddShown = oddName;
#else
        const QString oddName = QStringLiteral("icons_e\t.xml");
        const QString oddShown = QStringLiteral("icons_e\\t.xml");
#endif
        write(QStringLiteral("editor.INI"), "[CONFIG]\r\nPATH=" + dir.path().toUtf8() + "/\r\n");
        write(QStringLiteral("VYNMAP/icons_b.xml"), "\xEF\xBB\xBF<Page 1location=\"harbor\"" + tail);
        write(QStringLiteral("VYNMAP/icons_a.xml"), "<Page 1Location=\"Zed\"" + tail);
        write(QStringLiteral("VYNMAP/icons_c.XML"), "<Page 1location=\"Harbor\"" + tail);
        write(QStringLiteral("VYNMAP/icons_d.xml"), "<Page 1location=\" \"" + tail);
        write(QStringLiteral("VYNMAP/") + oddName, "<Page 1location=\"Bay\r\nNorth\tSide\"" + tail);

        QString report;
        QTextStream out(&report);
        listMaps(dir.filePath(QStringLiteral("editor.INI")), dir.filePath(QStringLiteral("vynmap-editor")), out);
        QCOMPARE(report, QStringLiteral("Bay\\r\\nNorth\\tSide\t") + oddShown
                             + QStringLiteral("\nharbor\ticons_b.xml\nHarbor\ticons_c.XML\nZed\ticons_a.xml\n4 Maps\n"));

        // --check as well: one line per page whatever its names hold.
        report.clear();
        const QString odd = dir.filePath(QStringLiteral("VYNMAP/") + oddName);
        QCOMPARE(checkPages(dir.filePath(QStringLiteral("none.INI")), {odd}, out), 0);
        const QString line = oddShown + ": 0 POIs, page \"m\", location \"Bay\\r\\nNorth\\tSide\", zone none\n";
        QVERIFY2(report.endsWith(line), qPrintable(report));
    }

    // A root start tag cut off by the end of the file is a damaged page, not an empty one; a
    // configuration that is a FIFO reads as a missing file instead of blocking start-up.
    void checkRefusesACutRootAndStartsWithAFifoConfiguration()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("editor.INI"));
#ifndef _WIN32
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
#endif  // Windows has no FIFOs: there the configuration is missing, which reads the same.
        const QString cut = dir.filePath(QStringLiteral("icons_cut.xml"));
        QFile file(cut);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Page Name=\"harbor_town\" Size=\"436,5");
        file.close();
        QString report;
        QTextStream out(&report);
        QCOMPARE(checkPages(fifo, {cut}, out), 1);
        QVERIFY2(report.contains(QLatin1String("Error : Loading File")), qPrintable(report));
    }

    // --check --strict: the problems of each page after its line, then their count.
    void strictCheckListsEachPagesProblems()
    {
        QTemporaryDir dir;
        const auto write = [&dir](const QString& name, const QByteArray& bytes) {
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path()));
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write(QStringLiteral("editor.INI"), "[CONFIG]\r\nPATH=" + dir.path().toUtf8() + "/\r\n");
        write(QStringLiteral("vynmap/core_mapstyles.xml"),
              "<Styles><ImageStyle Name=\"m\" zonerect=\"0,0,872,1012\"><Image Source=\"images\\maps\\m.dds\"/>"
              "</ImageStyle></Styles>");
        const std::vector<uint8_t> map = ddstest::argbFile(1, 1, {0, 0, 0, 255});
        write(QStringLiteral("images/maps/m.dds"), QByteArray(reinterpret_cast<const char*>(map.data()), int(map.size())));
        const auto icon = [](const char* name, const char* location, const char* path, const char* type) {
            return QByteArray("<Icon Name=\"") + name + "\" Location=\"" + location + "\" " + path + " IconStyle=\"" + type
                + "\" Size=\"12,12\" Tooltip=\"\"/>\r\n";
        };
        const QByteArray head = "<Page Name=\"m\" 1location=\"M\">\r\n";
        write(QStringLiteral("vynmap/icons_good.xml"),
              head + icon("A", "100,100", "pathfindlocation=\"-200, 0, 200\"", "NPC")
                  + icon("B", "200,200", "PathFindLocation=\"-400 0 400\"", "QST")
                  + icon("C", "50,400", "pathfindlocation=\"-100,0,800\"", "LOC") + "</Page>");
        write(QStringLiteral("vynmap/icons_bad.xml"),
              head + icon("A", "100,100", "pathfindlocation=\"-200, 0, 200\"", "NPC")
                  + icon("B", "210,200", "pathfindlocation=\"-400, 0, 400\"", "npc") + "</Page>");

        const QString good = dir.filePath(QStringLiteral("vynmap/icons_good.xml"));
        const QString bad = dir.filePath(QStringLiteral("vynmap/icons_bad.xml"));
        QString report;
        QTextStream out(&report);
        QCOMPARE(checkPages(dir.filePath(QStringLiteral("editor.INI")), {bad, good}, out, true), 1);
        QCOMPARE(report.split(QLatin1Char('\n')),
                 (QStringList{bad + ": 2 POIs, page \"m\", location \"M\", zone 0,0,872,1012",
                              bad + ": warning: POI \"B\" (#1): IconStyle \"npc\" is not a known type (CLST, LOC, MOB, "
                                    "NAME, NPC, QST, ZONE)",
                              bad + ": warning: POI \"B\" (#1): pathfindlocation falls at 200,200, 10 pixels from its "
                                    "point 210,200",
                              good + ": 3 POIs, page \"m\", location \"M\", zone 0,0,872,1012", "2 problems in 2 pages", ""}));
        QString clean;
        QTextStream cleanOut(&clean);
        QCOMPARE(checkPages(dir.filePath(QStringLiteral("editor.INI")), {good}, cleanOut, true), 0);
        QVERIFY2(clean.endsWith(QLatin1String("\n0 problems in 1 page\n")), qPrintable(clean));

        // A map cut short is no map: its message on the page's line, and a problem under --strict.
        write(QStringLiteral("images/maps/m.dds"),
              QByteArray(reinterpret_cast<const char*>(map.data()), int(map.size()) - 2));
        const QString cutShort =
            QStringLiteral("Exception Message: The file is cut short: it holds 2 of the 4 bytes of its picture.");
        for (const bool strict : {false, true}) {
            QString text;
            QTextStream cutOut(&text);
            QCOMPARE(checkPages(dir.filePath(QStringLiteral("editor.INI")), {good}, cutOut, strict), strict ? 1 : 0);
            const QString line = good + ": 3 POIs, page \"m\", location \"M\", zone 0,0,872,1012; Error while loading ";
            QVERIFY2(text.startsWith(line), qPrintable(text));
            QVERIFY2(text.contains(cutShort + "\n"), qPrintable(text));
            QCOMPARE(text.contains(good + ": warning: map image cannot be decoded: "), strict);
        }
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
