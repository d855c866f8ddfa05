// --find over a small map pack made here: an icon page in vynmap/ and a POI file in "poi/" (its
// name in another letter case) beside a file there that holds no page. Each row is a command line
// and the lines it prints, in file, page and POI order.
#include "app/CommandLine.h"
#include "helpers/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <vector>

namespace {

const QString kSamplePage = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/vynmap/icons_harbor_town.xml");

// A token before the tooltip, line break references inside tooltip and description; one POI
// without a world location.
const QByteArray kRegion = R"(<?xml version="1.0" encoding="utf-8"?>
<Page Name="POI">
<Page Name="north">
<Icon Name="ID1" PathFindLocation="100.00,5.00,200.00" PoiDescription="ID:1&#xA;Hidden Spring" PoiType="LOCATION" Tooltip=":0df33755464a2ea6_1:Moon Gate&#xA;second line"/>
<Icon Name="ID2" PathFindLocation="400.00,5.00,200.00" PoiDescription="ID:2" PoiType="NPC" Tooltip="Smith Anna"/>
</Page>
<Page Name="south">
<Icon Name="Gate Keeper" PoiDescription="ID:3" PoiType="NPC" Tooltip="Keeper"/>
</Page>
</Page>
)";

const QString kMoonGate = QStringLiteral("poi/region.xml#north: POI \"ID1\" (#0): LOCATION at 100.00,5.00,200.00: Moon Gate");
const QString kSmith = QStringLiteral("poi/region.xml#north: POI \"ID2\" (#1): NPC at 400.00,5.00,200.00: Smith Anna");
const QString kKeeper = QStringLiteral("poi/region.xml#south: POI \"Gate Keeper\" (#0): NPC at no world location: Keeper");

#ifndef Q_OS_WIN
// The whole program on these arguments (on Windows it reads the process's own command line).
int runWith(QStringList arguments)
{
    arguments.prepend(QStringLiteral("vynmap-editor"));
    std::vector<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return runEditor(static_cast<int>(bytes.size()), argv.data());
}
#endif

}  // namespace

class FindCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Read before the current folder changes: under Wine a path from the root is taken on the
        // current folder's drive.
        const QByteArray page = readTestFile(kSamplePage);
        QVERIFY(!page.isEmpty());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        writeTestFile(QStringLiteral("pack/vynmap/icons_harbor_town.xml"), page);
        writeTestFile(QStringLiteral("pack/poi/region.xml"), kRegion);
        writeTestFile(QStringLiteral("pack/poi/notes.xml"), "<Notes><Note>Gate ID:9</Note></Notes>");
    }

    void find_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lines");
        const QStringList none;
        auto row = [](const char* name, const QStringList& arguments, const QStringList& lines) {
            QTest::newRow(name) << arguments << lines;
        };
        row("name, icon page", {"--find", "harbor MASTER", "pack"},
            {"vynmap/icons_harbor_town.xml: POI \"Harbor Master\" (#0): NPC at -407.89, 50, -589.43: Sells ship tickets."});
        row("tooltip after its token", {"--find", "moon GATE", "pack"}, {kMoonGate});
        row("the token is not counted", {"--find", "a2ea6_1", "pack"}, none);
        row("tooltip's second line", {"--find", "Second Line", "pack"}, {kMoonGate});
        row("a line break reference is a break", {"--find", "gate second", "pack"}, none);
        row("a line break reference is no text", {"--find", "#xA;", "pack"}, none);
        row("description", {"--find", "hidden spring", "pack"}, {kMoonGate});
        row("every page, not the file that is none", {"--find", "id:", "pack"}, {kMoonGate, kSmith, kKeeper});
        row("type", {"--find", "id:", "--type", "npc", "pack"}, {kSmith, kKeeper});
        row("near", {"--find", "id:", "--near", "120, 0, 190", "--radius", "30", "pack"}, {kMoonGate});
        row("near, on the radius", {"--find", "id:", "--near", "400,0,500", "--radius", "300", "pack"},
            {kSmith});
        row("one zone page", {"--find", "gate", "pack/poi/region.xml#south"}, {"pack/" + kKeeper});
        row("a file's pages", {"--find", "gate", "pack/poi/region.xml"}, {"pack/" + kMoonGate, "pack/" + kKeeper});
        row("a page the file has not", {"--find", "gate", "pack/poi/region.xml#west"}, none);
        row("a file not there", {"--find", "gate", "pack/poi/gone.xml"}, none);
    }

    void find()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, lines);
        const CommandLine command = parseCommandLine(arguments);
        QCOMPARE(command.mode, CommandLine::Mode::Find);
        QString printed;
        QString told;
        QTextStream out(&printed);
        QTextStream err(&told);
        const int status = findInPack(command.find, command.pages.front(), out, err);
        // File names are printed in the platform's form.
        QCOMPARE(QDir::fromNativeSeparators(printed).split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);
        QCOMPARE(status, lines.isEmpty() ? 1 : 0);
        // Only what cannot be read is told, each on a line naming it.
        const bool unread = arguments.last().endsWith(QLatin1String("west"))
            || arguments.last().endsWith(QLatin1String("gone.xml"));
        QCOMPARE(QDir::fromNativeSeparators(told).startsWith(arguments.last() + QLatin1String(": ")), unread);
        QCOMPARE(told.isEmpty(), !unread);
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no text") << QStringList{"--find"};
        QTest::newRow("empty text") << QStringList{"--find", "", "pack"};
        QTest::newRow("no folder") << QStringList{"--find", "gate"};
        QTest::newRow("two folders") << QStringList{"--find", "gate", "pack", "pack"};
        QTest::newRow("radius without near") << QStringList{"--find", "gate", "--radius", "3", "pack"};
        QTest::newRow("near without radius") << QStringList{"--find", "gate", "--near", "1,2,3", "pack"};
        QTest::newRow("near of two parts") << QStringList{"--find", "gate", "--near", "1,2", "--radius", "3", "pack"};
        QTest::newRow("near not numbers") << QStringList{"--find", "gate", "--near", "a,b,c", "--radius", "3", "pack"};
        QTest::newRow("radius no number") << QStringList{"--find", "gate", "--near", "1,2,3", "--radius", "far", "pack"};
        QTest::newRow("type without find") << QStringList{"--type", "NPC", "pack"};
        QTest::newRow("with check") << QStringList{"--check", "--find", "gate", "pack"};
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(parseCommandLine(arguments).mode, CommandLine::Mode::Error);
#ifndef Q_OS_WIN
        QCOMPARE(runWith(arguments), 2);
#endif
    }
};

QTEST_GUILESS_MAIN(FindCommandTest)
#include "FindCommandTest.moc"
