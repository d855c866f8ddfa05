// Each kind of file that holds POIs, through the one interface the editor asks: what it offers,
// how it places and types its POIs, the icon it adds, and that a page saved without edits gives
// back the file's own bytes.

#include "document/IconPageFile.h"
#include "document/PageSource.h"
#include "mapview/EditorState.h"
#include "support/ZonePageFile.h"

#include <QFile>
#include <QtTest>

namespace {

const char* const kSample = VYNMAP_EXAMPLES "/UI/Sample/";

std::string fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// The source of the sample file and its first page, read into `document`.
std::unique_ptr<PageSource> openSample(const QString& path, TSimpleXML& document)
{
    ConfigureIconPageDocument(document);
    const std::string bytes = fileBytes(path);
    if (!ZonePageFile::MayHoldZonePages(bytes))
        return ReadIconPageSource(document, path.toStdString(), nullptr, nullptr);
    std::unique_ptr<PageSource> source = ZonePageSource(std::make_unique<ZonePageFile>(bytes));
    source->readPage(0, document);
    source->switchTo(0, document);
    return source;
}

}  // namespace

class PageSourceTest : public QObject {
    Q_OBJECT

private slots:
    void eachKind_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("typeProperty");
        QTest::addColumn<QString>("firstStyle");   // the first POI's marker style
        QTest::addColumn<QString>("firstValue");   // what the tree lists first under a POI
        QTest::addColumn<bool>("wholePage");       // a save rewrites the page: its options apply
        QTest::addColumn<QString>("newName");      // the added icon's Name
        QTest::newRow("icon page") << "vynmap/icons_harbor_town.xml" << int(PoiAnchor::Location)
                                   << "icons_harbor_town.xml" << "IconStyle" << "NPC" << "Location" << true
                                   << "Anywhere";
        QTest::newRow("map window file") << "map_window_sample.xml" << int(PoiAnchor::Centre)
                                         << "map_window_sample.xml#harbor_town" << "IconStyle" << "style"
                                         << "Location" << false << "Anywhere";
        QTest::newRow("POI file") << "poi_sample.xml" << int(PoiAnchor::World) << "poi_sample.xml#harbor_town"
                                  << "PoiType" << "NPC" << "pathfindlocation" << false << "ID50026";
    }

    void eachKind()
    {
        QFETCH(QString, file);
        QFETCH(int, anchor);
        const QString path = QLatin1String(kSample) + file;
        TSimpleXML document;
        std::unique_ptr<PageSource> source = openSample(path, document);
        QVERIFY(source);
        QCOMPARE(int(source->anchor()), anchor);
        QTEST(source->title(path), "title");
        QTEST(QString::fromLatin1(source->typeProperty()), "typeProperty");
        QCOMPARE(QString::fromStdString(source->vocabulary().typeProperty), QString::fromLatin1(source->typeProperty()));
        const TSimpleXMLElem& first = *document.Root().Items().Item(0);
        QTEST(QString::fromStdString(std::string(source->markerStyle(first))), "firstStyle");
        QTEST(QString::fromLatin1(source->valueProperties()[0]), "firstValue");

        QFETCH(bool, wholePage);
        QCOMPARE(source->offers(PageFeature::SaveOptions), wholePage);
        QCOMPARE(source->offers(PageFeature::AnchorOption), wholePage);
        QCOMPARE(source->offers(PageFeature::OwnZoneName), wholePage);
        QCOMPARE(source->offers(PageFeature::PageList), !wholePage);
        QCOMPARE(source->pageFile() != nullptr, !wholePage);
        QCOMPARE(source->offers(PageFeature::Description), anchor == int(PoiAnchor::World));

        // Unedited, a save writes the file's own bytes (the samples are stored in the editor's layout).
        EditorState state;
        state.WriteBom = false;
        QVERIFY(!source->prepareSave(document, state));
        QCOMPARE(source->bytes(document, state), fileBytes(path));
        QCOMPARE(source->holdsEdits(document.Root()), wholePage);

        // A new icon of the kind, made like the page's first; afterwards there is something to save.
        NewPoiFields fields;
        fields.iconType = source->vocabulary().knownTypes.front();
        const int before = document.Root().ItemCount();
        const TSimpleXMLElem& added = source->addPoi(document.Root(), fields,
                                                     source->newIconTemplate(document.Root(), -1));
        QCOMPARE(document.Root().ItemCount(), before + 1);
        QTEST(QString::fromStdString(std::string(ValueOrEmpty(added, "Name"))), "newName");
        QCOMPARE(std::string(ValueOrEmpty(added, source->typeProperty())), fields.iconType);
        QVERIFY(source->holdsEdits(document.Root()));
        QVERIFY(source->bytes(document, state) != fileBytes(path));
    }
};

QTEST_MAIN(PageSourceTest)
#include "PageSourceTest.moc"
