// Each kind of file that holds POIs, through the one interface the editor asks: what it offers,
// how it places and types its POIs, the icon it adds, and that a page saved without edits gives
// back the file's own bytes.

#include "document/IconPageFile.h"
#include "document/PageSource.h"
#include "mapview/EditorState.h"
#include "support/ZonePageFile.h"
#include "support/ZonePageFixture.h"

#include <QFile>
#include <QTemporaryDir>
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

// The source of the file as the editor tells its kind, and its first page, read into `document`.
std::unique_ptr<PageSource> openSample(const QString& path, TSimpleXML& document)
{
    ConfigureIconPageDocument(document);
    OpenedPageFile opened = OpenPageSource(path.toStdString());
    if (!opened.source || !opened.source->offers(PageFeature::PageList))
        return ReadIconPageSource(document, path.toStdString(), &opened.unread, nullptr);
    std::unique_ptr<PageSource> source = std::move(opened.source);
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
        QTest::addColumn<QByteArray>("made");      // a file made here instead of the sample
        QTest::newRow("icon page") << "vynmap/icons_harbor_town.xml" << int(PoiAnchor::Location)
                                   << "icons_harbor_town.xml" << "IconStyle" << "NPC" << "Location" << true
                                   << "Anywhere" << QByteArray();
        QTest::newRow("map window file") << "map_window_sample.xml" << int(PoiAnchor::Centre)
                                         << "map_window_sample.xml#harbor_town" << "IconStyle" << "style"
                                         << "Location" << false << "Anywhere" << QByteArray();
        QTest::newRow("POI file") << "poi_sample.xml" << int(PoiAnchor::World) << "poi_sample.xml#harbor_town"
                                  << "PoiType" << "NPC" << "pathfindlocation" << false << "ID50026" << QByteArray();
        QTest::newRow("map links file") << "POI/map_links.xml" << int(PoiAnchor::Location) << "map_links.xml#world"
                                        << "poiresource" << "link" << "Location" << false << "Anywhere"
                                        << QByteArray::fromStdString(zonefixture::kMapLinks);
    }

    void eachKind()
    {
        QFETCH(QString, file);
        QFETCH(int, anchor);
        QFETCH(QByteArray, made);
        QTemporaryDir folder;
        const QString path = made.isNull() ? QLatin1String(kSample) + file : folder.filePath(file);
        if (!made.isNull()) {
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile written(path);
            QVERIFY(written.open(QIODevice::WriteOnly));
            written.write(made);
        }
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
        QCOMPARE(source->offers(PageFeature::PageList), !wholePage);
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

    // The one place that tells the kinds apart, per form of file; the bytes are read once and
    // handed on, a refusal says why.
    void openPageSourceTellsTheKind_data()
    {
        QTest::addColumn<QByteArray>("bytes");     // written to a file first; null: no file
        QTest::addColumn<int>("anchor");           // -1: refused
        QTest::addColumn<bool>("pages");           // a file of pages, opened at one of them
        QTest::addColumn<QString>("refusal");      // the start of the reason
        const QByteArray icons = fileBytes(QLatin1String(kSample) + "vynmap/icons_harbor_town.xml").c_str();
        QTest::newRow("icon page") << icons << int(PoiAnchor::Location) << false << QString();
        QTest::newRow("icon page under pages") << QByteArray("<Page Name=\"a\"><Icon Name=\"x\"/></Page>")
                                               << int(PoiAnchor::Location) << false << QString();
        QTest::newRow("map window file")
            << QByteArray(fileBytes(QLatin1String(kSample) + "map_window_sample.xml").c_str()) << int(PoiAnchor::Centre)
            << true << QString();
        QTest::newRow("POI file") << QByteArray(fileBytes(QLatin1String(kSample) + "poi_sample.xml").c_str())
                                  << int(PoiAnchor::World) << true << QString();
        QTest::newRow("map links file") << QByteArray::fromStdString(zonefixture::kMapLinks)
                                        << int(PoiAnchor::Location) << true << QString();
        QTest::newRow("pages without icons")
            << QByteArray("<Page Name=\"Map\"><Page Name=\"a\"><Button/></Page><Page Name=\"b\"><Button/></Page></Page>")
            << -1 << false << "Error : Loading File";
        // Files beside the pages that hold none: refused, never opened as a page a save would rewrite.
        const QString mapStyles = QStringLiteral("Error : Loading File\na map style file, not a page of POIs");
        QTest::newRow("map style file")
            << QByteArray(fileBytes(QLatin1String(kSample) + "vynmap/core_mapstyles.xml").c_str()) << -1 << false
            << mapStyles;
        QTest::newRow("map style fragment with a byte order mark")
            << QByteArray("\xEF\xBB\xBF<ImageStyle Name=\"a\"><Image Source=\"a.dds\"/></ImageStyle>\r\n"
                          "<ImageStyle Name=\"b\"/>\r\n")
            << -1 << false << mapStyles;
        QTest::newRow("window of decoration pages")
            << QByteArray("<Page Name=\"TravelMap\" Location=\"0,0\" Size=\"300,200\">\r\n"
                          "  <Page Name=\"Bkg\" Style=\"travel_bkg\" Location=\"0,0\" Size=\"300,200\"/>\r\n"
                          "  <Page Name=\"Frame\" Style=\"travel_frame\" Location=\"0,0\" Size=\"300,200\"/>\r\n"
                          "</Page>\r\n")
            << -1 << false << "Error : Loading File\nthe file holds pages inside pages, but none of them is a page of icons";
        QTest::newRow("unclosed page") << QByteArray("<Page Name=\"POI\"><Page Name=\"a\"><Icon/>") << -1 << false
                                       << "Error : Loading File";
        QTest::newRow("no file") << QByteArray() << int(PoiAnchor::Location) << false << QString();
    }

    void openPageSourceTellsTheKind()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, anchor);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("page.xml"));
        if (!bytes.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const OpenedPageFile opened = OpenPageSource(path.toStdString());
        QFETCH(QString, refusal);
        QVERIFY(QString::fromStdString(opened.refusal).startsWith(refusal));
        QCOMPARE(opened.refusal.empty(), refusal.isEmpty());
        QCOMPARE(opened.source != nullptr, anchor >= 0);
        if (!opened.source)
            return;
        QCOMPARE(int(opened.source->anchor()), anchor);
        const bool pages = opened.source->offers(PageFeature::PageList);
        QTEST(pages, "pages");
        // A page of its own is handed on as read; a file of pages keeps its bytes in the source.
        QCOMPARE(QByteArray::fromStdString(opened.unread), pages ? QByteArray() : QByteArray(bytes));
        if (pages)
            QCOMPARE(QByteArray::fromStdString(opened.source->fileBytes()), bytes);
    }
};

QTEST_MAIN(PageSourceTest)
#include "PageSourceTest.moc"
