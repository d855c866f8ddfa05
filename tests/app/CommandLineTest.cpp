// The command line: options, the page to open at start, and the headless page check.
#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/stat.h>

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

        QString report;
        QTextStream out(&report);
        const int status = checkPages(config,
                                      {samples + "icons_harbor_town.xml", damaged,
                                       dir.filePath(QStringLiteral("icons_missing.xml"))},
                                      out);
        QCOMPARE(status, 1);
        const QStringList lines = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].endsWith(QLatin1String(": 10 POIs, page \"harbor_town\", zone -585,-1135,1635,1445")),
                 qPrintable(lines[0]));
        QVERIFY(lines[1].endsWith(QLatin1String(": Error : Loading File")));
        QVERIFY(lines[2].endsWith(QLatin1String(": File \"icons_missing.xml\" is not found.")));

        QString good;
        QTextStream goodOut(&good);
        QCOMPARE(checkPages(config, {samples + "icons_greenwood.xml", samples + "icons_hanok_village.xml"}, goodOut), 0);
        QVERIFY(good.contains(QStringLiteral("page \"hanok_village\"")));
    }

    // A root start tag cut off by the end of the file is a damaged page, not an empty one; a
    // configuration that is a FIFO reads as a missing file instead of blocking start-up.
    void checkRefusesACutRootAndStartsWithAFifoConfiguration()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("editor.INI"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
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
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
