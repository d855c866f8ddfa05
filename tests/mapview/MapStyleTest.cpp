// Map style lookup: the map style file first, then the zone rectangle table.

#include "mapview/MapStyle.h"
#include "support/AtomicFile.h"
#include "support/ZoneRectTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kHeader = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Styles>\r\n";
const QByteArray kFooter = "</Styles>\r\n";
const std::string kSampleZone = "-585,-1135,1635,1445";

QByteArray imageStyle(const QByteArray& name, const QByteArray& zone, const QByteArray& source)
{
    QByteArray element = "  <ImageStyle Name=\"" + name + "\"";
    if (!zone.isNull())
        element += " zonerect=\"" + zone + "\"";
    if (source.isNull())
        return element + "/>\r\n";
    return element + ">\r\n    <!-- the map -->\r\n    <Image Source=\"" + source
           + "\"/>\r\n  </ImageStyle>\r\n";
}

}  // namespace

// Tests of LookupMapStyle against map style files written to a temporary UI folder.
class MapStyleTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void lastMatchingStyleDecides();
    void nameCaseMattersInFileButNotInTable();
    void zoneWithoutImageFallsBackToDefaultPath();
    void tableRowsAddedLaterWin();
    void emptyRootOrMissingFileIgnoresTable();
    void byteOrderMarkAndFolderCase();
    void brokenFileLeavesPathEmpty();
    void zeroZoneIsFoundButEmpty();
    void fragmentFileFindsEveryStyle();
    void fileAbove256MegabytesIsRefusedWithAMessage();
    void sourceRectGivesThePageSize_data();
    void sourceRectGivesThePageSize();

private:
    void writeStyles(const QByteArray& body, const QString& folder = "vynmap",
                     const QString& file = "core_mapstyles.xml", const QByteArray& prefix = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    EditorState m_state;
};

void MapStyleTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = EditorState();
    m_state.BaseFolder = m_dir->path().toStdString() + "/";
    m_state.MapImagePath = "stale";
    m_state.ZoneRect = {1, 1, 1, 1};
}

void MapStyleTest::writeStyles(const QByteArray& body, const QString& folder,
                               const QString& file, const QByteArray& prefix)
{
    QVERIFY(QDir(m_dir->path()).mkpath(folder));
    QFile out(m_dir->path() + "/" + folder + "/" + file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(prefix + body);
}

void MapStyleTest::lastMatchingStyleDecides()
{
    writeStyles(kHeader + imageStyle("other", "1,2,3,4", "images\\maps\\other.dds")
                + imageStyle("mymap", "9,9,19,19", "images\\maps\\first.dds")
                + imageStyle("mymap", kSampleZone.c_str(), "images\\maps\\second.dds")
                + imageStyle("mymap", QByteArray(), "images\\maps\\third.dds") + kFooter);
    const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QVERIFY(lookup.fileRead);
    // The last element has no zonerect: the rectangle resets, the shown text stays.
    QCOMPARE(m_state.MapImagePath, std::string("images\\maps\\third.dds"));
    QCOMPARE(m_state.ZoneRect, (EditorState{}.ZoneRect));
    QCOMPARE(lookup.label, std::optional<std::string>(kSampleZone));

    writeStyles(kHeader + imageStyle("mymap", "9,9,19,19", "a.dds")
                + imageStyle("mymap", kSampleZone.c_str(), "b.dds") + kFooter);
    LookupMapStyle(m_state, "mymap");
    QCOMPARE(m_state.MapImagePath, std::string("b.dds"));
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
}

void MapStyleTest::nameCaseMattersInFileButNotInTable()
{
    writeStyles(kHeader + imageStyle("MyMap", "1,2,3,4", "x.dds") + kFooter);
    AppendZoneRect(m_state.ZoneRectTable, "MYMAP", kSampleZone);
    const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QCOMPARE(m_state.MapImagePath, std::string("images\\maps\\map_mymap.dds"));
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
    QCOMPARE(lookup.label, std::optional<std::string>(kSampleZone));
}

void MapStyleTest::zoneWithoutImageFallsBackToDefaultPath()
{
    writeStyles(kHeader + imageStyle("mymap", kSampleZone.c_str(), QByteArray()) + kFooter);
    LookupMapStyle(m_state, "mymap");
    QCOMPARE(m_state.MapImagePath, std::string("images\\maps\\map_mymap.dds"));
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
}

void MapStyleTest::tableRowsAddedLaterWin()
{
    writeStyles(kHeader + imageStyle("other", "1,2,3,4", "x.dds") + kFooter);
    AppendZoneRect(m_state.ZoneRectTable, "mymap", "1,1,2,2");  // built in
    AppendZoneRect(m_state.ZoneRectTable, "mymap", "3,3,4,4");  // configuration
    AppendZoneRect(m_state.ZoneRectTable, "MyMap", "5,5,6,6");  // added while running
    const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{5, 5, 6, 6}));
    QCOMPARE(lookup.label, std::optional<std::string>("5,5,6,6"));
    QCOMPARE(LookupMapStyle(m_state, "unknown").label, std::optional<std::string>());
}

void MapStyleTest::emptyRootOrMissingFileIgnoresTable()
{
    AppendZoneRect(m_state.ZoneRectTable, "mymap", kSampleZone);
    MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");  // no file at all
    QVERIFY(!lookup.fileRead);
    QCOMPARE(m_state.ZoneRect, (EditorState{}.ZoneRect));
    QCOMPARE(m_state.MapImagePath, std::string("images\\maps\\map_mymap.dds"));

    writeStyles(kHeader + kFooter);
    lookup = LookupMapStyle(m_state, "mymap");
    QVERIFY(lookup.fileRead);
    QCOMPARE(lookup.label, std::optional<std::string>());
    QCOMPARE(m_state.ZoneRect, (EditorState{}.ZoneRect));
}

void MapStyleTest::byteOrderMarkAndFolderCase()
{
    writeStyles(kHeader + imageStyle("mymap", kSampleZone.c_str(), "m.dds") + kFooter, "VynMap",
                "Core_MapStyles.XML", "\xEF\xBB\xBF");
    const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QVERIFY(lookup.fileRead);
    QCOMPARE(m_state.MapImagePath, std::string("m.dds"));
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
}

void MapStyleTest::brokenFileLeavesPathEmpty()
{
    AppendZoneRect(m_state.ZoneRectTable, "mymap", kSampleZone);
    const QByteArray whole = kHeader + imageStyle("mymap", "1,2,3,4", "m.dds") + kFooter;
    // Every cut of the file either parses or fails cleanly, never throws.
    for (int length = 0; length < whole.size(); ++length) {
        writeStyles(whole.left(length));
        const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
        if (!lookup.fileRead) {
            QVERIFY2(m_state.MapImagePath.empty(), qPrintable(QString::number(length)));
            QCOMPARE(m_state.ZoneRect, (EditorState{}.ZoneRect));
        }
    }
    writeStyles("<Styles><ImageStyle Name=\"mymap\"</Styles>");
    QVERIFY(!LookupMapStyle(m_state, "mymap").fileRead);
    QVERIFY(m_state.MapImagePath.empty());
}

void MapStyleTest::fileAbove256MegabytesIsRefusedWithAMessage()
{
    writeStyles(kHeader + imageStyle("mymap", "1,2,3,4", "m.dds") + kFooter);
    const QString path = m_dir->path() + "/vynmap/core_mapstyles.xml";
    QVERIFY(QFile::resize(path, qint64(AtomicFile::kMaxFileBytes) + 1));
    const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QVERIFY(!lookup.fileRead);
    QVERIFY(m_state.MapImagePath.empty());
    QCOMPARE(lookup.refusal, std::optional<std::string>(AtomicFile::tooLargeMessage(path.toStdString())));
    writeStyles(kHeader + kFooter);
    QCOMPARE(LookupMapStyle(m_state, "mymap").refusal, std::optional<std::string>());
}

void MapStyleTest::zeroZoneIsFoundButEmpty()
{
    writeStyles(kHeader + imageStyle("mymap", "0,0,0,0", "m.dds") + kFooter);
    AppendZoneRect(m_state.ZoneRectTable, "mymap", kSampleZone);
    const MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QVERIFY(lookup.fileRead);
    QCOMPARE(lookup.label, std::optional<std::string>("0,0,0,0"));
    QCOMPARE(m_state.ZoneRect, (EditorState{}.ZoneRect));
}

void MapStyleTest::fragmentFileFindsEveryStyle()
{
    // As the game ships it: a byte order mark, CR LF, comments, and styles with no single root.
    const QByteArray fragment = "<!-- styles -->\r\n" + imageStyle("first", "1,2,3,4", "a.dds")
                                + imageStyle("mymap", kSampleZone.c_str(), "images\\maps\\m.dds")
                                + imageStyle("last", QByteArray(), "z.dds");
    writeStyles(fragment, "vynmap", "core_mapstyles.xml", "\xEF\xBB\xBF");
    MapStyleLookup lookup = LookupMapStyle(m_state, "mymap");
    QVERIFY(lookup.fileRead);
    QCOMPARE(m_state.MapImagePath, std::string("images\\maps\\m.dds"));
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
    QCOMPARE(lookup.label, std::optional<std::string>(kSampleZone));

    // A style of the fragment without a zone still falls back to the table.
    AppendZoneRect(m_state.ZoneRectTable, "last", "5,6,7,8");
    lookup = LookupMapStyle(m_state, "last");
    QCOMPARE(m_state.MapImagePath, std::string("z.dds"));
    QCOMPARE(m_state.ZoneRect, (std::array<int, 4>{5, 6, 7, 8}));
}

void MapStyleTest::sourceRectGivesThePageSize_data()
{
    QTest::addColumn<QByteArray>("styles");
    QTest::addColumn<QSize>("pageSize");
    const auto frame = [](const QByteArray& rect) {
        return "  <ImageStyle Name=\"mymap\"><ImageFrame Source=\"m.dds\" SourceRect=\"" + rect
            + "\"/></ImageStyle>\r\n";
    };
    QTest::newRow("padded") << frame(" 0, 0, 436, 506") << QSize(436, 506);
    QTest::newRow("no width") << frame("0,0,0,800") << QSize(436, 506);
    // The rectangle goes with the image its child names: the last style's child decides.
    QTest::newRow("later style without one") << frame("0,0,304,800") + imageStyle("mymap", "1,2,3,4", "n.dds")
                                             << QSize(436, 506);
    QTest::newRow("later style without a child") << frame("0,0,304,800") + imageStyle("mymap", "1,2,3,4", QByteArray())
                                                 << QSize(304, 800);
}

void MapStyleTest::sourceRectGivesThePageSize()
{
    QFETCH(QByteArray, styles);
    QFETCH(QSize, pageSize);
    m_state.MapSourceRect = {0, 0, 800, 600};  // a page before
    writeStyles(kHeader + styles + kFooter);
    LookupMapStyle(m_state, "mymap");
    const auto [width, height] = MapPageSize(m_state);
    QCOMPARE(QSize(width, height), pageSize);
}

QTEST_APPLESS_MAIN(MapStyleTest)
#include "MapStyleTest.moc"
