// The pack index on copies of the sample folder: which files it lists and how (each kind of file,
// the POI folder in any letter case, a file that is no page, a file that fails to read), problem
// counts that agree with --check, find over the index that gives the lines --find gives, and a
// file changed on disk read again.
#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/PageTarget.h"
#include "document/PackIndex.h"
#include "helpers/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <map>

namespace {

const QString kSample = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample");

const char* kindName(PackFileKind kind)
{
    switch (kind) {
    case PackFileKind::Waiting: return "waiting";
    case PackFileKind::IconPage: return "icon page";
    case PackFileKind::ZonePages: return "zone pages";
    case PackFileKind::NotPage: return "no page";
    case PackFileKind::Unread: return "unread";
    }
    return "?";
}

// Each file the panel shows as one line: its place, kind and pages with POI and problem counts.
QStringList summary(const PackIndex& index)
{
    QStringList lines;
    const QDir folder(index.folder());
    for (const PackIndexFile& file : index.files()) {
        if (!file.shown())
            continue;
        QString line = folder.relativeFilePath(file.path) + QStringLiteral(": ") + kindName(file.kind);
        for (const PackIndexPage& page : file.pages)
            line += QStringLiteral(" %1=%2/%3").arg(QString::fromStdString(page.name)).arg(page.pois).arg(page.problems);
        lines << line;
    }
    return lines;
}

void openAndWait(PackIndex& index, const QString& folder)
{
    QSignalSpy checked(&index, &PackIndex::checked);
    index.open(folder, PackIndexSettings{});
    QVERIFY(index.isChecked() || checked.wait(20000));
    QVERIFY(index.isFilled());
}

bool replaceIn(const QString& path, const QByteArray& before, const QByteArray& after)
{
    QByteArray bytes = readTestFile(path);
    if (!bytes.contains(before))
        return false;
    writeTestFile(path, bytes.replace(before, after));
    return true;
}

const QString kIconPages = QStringLiteral("vynmap/icons_greenwood.xml: icon page greenwood=7/0|"
                                          "vynmap/icons_hanok_village.xml: icon page hanok_village=8/0|"
                                          "vynmap/icons_harbor_town.xml: icon page harbor_town=10/0");
const QString kTopFiles = QStringLiteral("map_window_sample.xml: zone pages harbor_town=10/0 greenwood=7/0 "
                                         "hanok_village=8/0 empty_zone=0/0|"
                                         "poi_sample.xml: zone pages harbor_town=10/0 greenwood=7/0 hanok_village=8/0");

}  // namespace

class PackIndexTest : public QObject {
    Q_OBJECT

private slots:
    void listsEveryFileThePanelShows_data()
    {
        QTest::addColumn<QString>("file");   // added to the copy of the sample
        QTest::addColumn<QByteArray>("bytes");  // empty: a copy of the sample's POI file
        QTest::addColumn<QString>("listed");    // the lines of summary(), joined by '|'
        const QString region = QStringLiteral("%1/region.xml: zone pages harbor_town=10/0 greenwood=7/0 "
                                              "hanok_village=8/0");
        QTest::newRow("icon pages and files of zone pages")
            << QString() << QByteArray() << kIconPages + "|" + kTopFiles;
        for (const char* folder : {"POI", "poi", "Poi"}) {
            QTest::addRow("POI folder named %s", folder)
                << QString::fromLatin1(folder) + "/region.xml" << QByteArray()
                << kIconPages + "|" + kTopFiles + "|" + region.arg(QString::fromLatin1(folder));
        }
        QTest::newRow("a file there that is no page")
            << "POI/notes.xml" << QByteArray("<Notes><Note>not a page</Note></Notes>") << kIconPages + "|" + kTopFiles;
        QTest::newRow("a page that fails to read")
            << "vynmap/icons_broken.xml" << QByteArray("<Page Name=\"x\"><Icon")
            << "vynmap/icons_broken.xml: unread|" + kIconPages + "|" + kTopFiles;
    }

    void listsEveryFileThePanelShows()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, listed);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, folder));
        if (!file.isEmpty())
            writeTestFile(folder + "/" + file, bytes.isEmpty() ? readTestFile(kSample + "/poi_sample.xml") : bytes);
        PackIndex index;
        openAndWait(index, folder);
        QCOMPARE(summary(index).join(QLatin1Char('|')), listed);
        // The map style file is no page, and a page that does not read says why.
        for (const PackIndexFile& entry : index.files()) {
            QVERIFY(!entry.path.endsWith(QLatin1String("core_mapstyles.xml")));
            QCOMPARE(entry.failure.isEmpty(), entry.kind != PackFileKind::Unread);
        }
    }

    // Each page's problem count is the number of warnings --check --strict gives it.
    void problemCountsAgreeWithTheCheck()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, folder));
        QVERIFY(replaceIn(folder + "/vynmap/icons_harbor_town.xml", "Location=\"328,59\"", "Location=\"368,59\""));
        QVERIFY(replaceIn(folder + "/vynmap/icons_harbor_town.xml", "IconStyle=\"QST\"", "IconStyle=\"quest\""));
        QVERIFY(replaceIn(folder + "/vynmap/core_mapstyles.xml", "400,-2500,2600,-300", "430,-2500,2630,-300"));
        QVERIFY(replaceIn(folder + "/poi_sample.xml", "-407.89,50.00,-589.43", "-4070.89,50.00,-589.43"));
        QString text;
        QTextStream out(&text);
        checkPages(dir.filePath(QStringLiteral("none.INI")), {folder}, out, true, QString(), CheckWay::Headless);
        std::map<QString, int> warnings;
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString page = QDir::fromNativeSeparators(line.section(QLatin1String(": "), 0, 0));
            if (line.contains(QLatin1String(": warning: ")))
                ++warnings[page];
            else if (line.contains(QLatin1String(" POIs, page ")))
                warnings.emplace(page, 0);
        }
        PackIndex index;
        openAndWait(index, folder);
        std::map<QString, int> counted;
        int problems = 0;
        for (const PackIndexFile& file : index.files()) {
            for (const PackIndexPage& page : file.pages) {
                const QString name = file.kind == PackFileKind::ZonePages
                    ? JoinPageTarget({file.path, QString::fromStdString(page.name)}) : file.path;
                counted[name] = page.problems;
                problems += page.problems;
            }
        }
        QVERIFY(problems >= 4);
        QCOMPARE(counted, warnings);
    }

    // Find over the index names the POIs, in the order and with the texts --find prints.
    void findGivesWhatTheFindCommandGives_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("near");
        QTest::addColumn<double>("radius");
        QTest::newRow("a name in any letter case") << "HARBOR" << QString() << QString() << 0.0;
        QTest::newRow("a tooltip's text") << "lighthouse" << QString() << QString() << 0.0;
        QTest::newRow("a description's line break") << "\n-407" << QString() << QString() << 0.0;
        QTest::newRow("not across two texts") << "50001harbor" << QString() << QString() << 0.0;
        QTest::newRow("one type") << "" << "npc" << QString() << 0.0;
        QTest::newRow("near a place") << "" << QString() << "-407.89, 50, -589.43" << 600.0;
        QTest::newRow("Korean") << "마을" << QString() << QString() << 0.0;
        QTest::newRow("nothing") << "no such place" << QString() << QString() << 0.0;
    }

    void findGivesWhatTheFindCommandGives()
    {
        QFETCH(QString, text);
        QFETCH(QString, type);
        QFETCH(QString, near);
        QFETCH(double, radius);
        PackFindQuery query;
        query.text = text;
        query.type = type;
        if (!near.isEmpty()) {
            query.near = ParseNearLocation(near);
            QVERIFY(query.near);
            query.radius = radius;
        }
        QString expected;
        QString errors;
        QTextStream out(&expected);
        QTextStream err(&errors);
        findInPack(query, kSample, out, err);
        PackIndex index;
        openAndWait(index, kSample);
        QString lines;
        const QDir folder(index.folder());
        for (const PackIndexHit& found : index.find(query)) {
            const PackIndexFile& file = index.files()[static_cast<std::size_t>(found.file)];
            QString name = QDir::toNativeSeparators(folder.relativeFilePath(file.path));
            if (file.kind == PackFileKind::ZonePages)
                name = JoinPageTarget({name, QString::fromStdString(file.pages[static_cast<std::size_t>(found.page)].name)});
            const PackFindHit& hit = found.hit;
            lines += oneLine(name) + ": POI \"" + oneLine(hit.name) + "\" (#" + QString::number(hit.poi)
                + "): " + oneLine(hit.type) + " at " + (hit.world ? oneLine(*hit.world) : "no world location") + ": "
                + oneLine(hit.tooltipLine) + "\n";
        }
        QCOMPARE(lines, expected);
    }

    void fileChangedOnDiskIsReadAgain()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, folder));
        PackIndex index;
        openAndWait(index, folder);
        const int file = index.fileOf(folder + "/poi_sample.xml");
        QVERIFY(file >= 0);
        QSignalSpy indexed(&index, &PackIndex::fileIndexed);
        QVERIFY(!index.refreshIfChanged(file));
        QByteArray bytes = readTestFile(folder + "/poi_sample.xml");
        const qsizetype icon = bytes.indexOf("<Icon Name=\"ID50002\"");
        bytes.remove(icon, bytes.indexOf('\n', icon) + 1 - icon);
        writeTestFile(folder + "/poi_sample.xml", bytes);
        QVERIFY(index.refreshIfChanged(file));
        QCOMPARE(indexed.count(), 1);
        QCOMPARE(index.files()[static_cast<std::size_t>(file)].pages.front().pois, 9);
        PackFindQuery query;
        query.text = QStringLiteral("Old Lighthouse");
        for (const PackIndexHit& hit : index.find(query))
            QVERIFY(hit.file != file);
        QVERIFY(!index.refreshIfChanged(file));
    }
};

QTEST_MAIN(PackIndexTest)
#include "PackIndexTest.moc"
