// How the main window looks, checked on texts, widget sizes and pixels: counts read as English,
// File > Open offers every kind of file, the status bar's map message gives way in the middle.
#include "../support/ZonePageFixture.h"
#include "document/IconPageFixture.h"
#include "helpers/DdsTestFile.h"
#include "tools/PageProblems.h"

#include <QListWidget>
#include <QStatusBar>

namespace {

using PageText::Poi;

// A POI at pixel (x, y) of the map of zone 0,0,872,1012 (two world units per pixel).
Poi placed(const QByteArray& name, int x, int y)
{
    Poi poi{name, QByteArray::number(x) + "," + QByteArray::number(y)};
    poi.path = QByteArray::number(-2 * x) + ", 10, " + QByteArray::number(2 * y);
    return poi;
}

QList<Poi> goodPois()
{
    return {placed("Smith", 100, 100), placed("Inn", 200, 150), placed("Gate", 300, 400),
            placed("Well", 50, 450),   placed("Mill", 400, 30),  placed("Dock", 420, 500)};
}

}  // namespace

class LooksTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    EditorWindow& w() { return *m_editor; }

    QString open(const QList<Poi>& pois, const QByteArray& zone = "0,0,872,1012")
    {
        m_folder->writeMapStyles(mapStylesFor("test_map", zone));
        const QString path = m_folder->writePage(QStringLiteral("icons_test.xml"), PageText::page(PageText::iconLines(pois)));
        if (!w().openShown(path))
            qFatal("page not opened");
        return path;
    }

    // The page's map: 512 x 512 of a blue no panel grey or marker matches.
    void writeBlueMap()
    {
        const QString map = m_folder->root() + QStringLiteral("images/maps/map_test_map.dds");
        QDir().mkpath(QFileInfo(map).path());
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 512 * 512; ++i)
            pixels.insert(pixels.end(), {0xC0, 0x20, 0x20, 0xFF});
        std::fill_n(pixels.end() - 512 * 4, 4, 0);  // the bottom-left pixel is the transparent key
        QVERIFY(ddstest::writeFile(map.toStdString(), ddstest::argbFile(512, 512, pixels)));
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup() { m_editor.reset(); }

    // At the described size the layout is as described; a larger window gives the extra room to
    // the map and the extra height to the tree, and the map shows in all of it.
    void windowGrows_data()
    {
        QTest::addColumn<QSize>("grown");  // beyond the described size
        QTest::newRow("described") << QSize(0, 0);
        QTest::newRow("1400 x 900") << QSize(1400 - 767, 900 - 537);
        QTest::newRow("wider only") << QSize(200, 0);
    }

    void windowGrows()
    {
        QFETCH(QSize, grown);
        writeBlueMap();
        open(goodPois());
        TForm1& window = w().window;
        const QSize described = window.size();
        QCOMPARE(window.minimumSize(), described);
        window.resize(described + grown);
        QTRY_COMPARE(window.centralWidget()->size(), QSize(767, 518) + grown);
        const int dx = grown.width();
        const int dy = grown.height();
        auto geometry = [&](const char* name) { return window.findChild<QWidget*>(QLatin1String(name))->geometry(); };
        QCOMPARE(geometry("Panel1"), QRect(0, 0, 519 + dx, 518 + dy));
        QCOMPARE(geometry("Panel2"), QRect(519 + dx, 0, 248, 518 + dy));
        QCOMPARE(geometry("FlatEdit2"), QRect(8, 6, 225, 20));
        QCOMPARE(geometry("TreeView1"), QRect(8, 50, 225, 208 + dy));
        QCOMPARE(geometry("ed_locX"), QRect(48, 264 + dy, 81, 21));
        QCOMPARE(geometry("FlatMemo1"), QRect(6, 370 + dy, 236, 142));
        QCOMPARE(window.statusPanel(0)->width(), 150 + dx);
        QCOMPARE(window.statusPanel(1)->width(), 80);

        // Zoomed in, the map fills the panel up to its bevel; the bevel stays where it was drawn.
        MapPanel* panel = w().panel();
        for (int step = 0; step < 3; ++step)
            w().trigger("ViewZoomIn");
        QCOMPARE(panel->zoom(), 3.0);
        const QImage shown = panel->grab().toImage();
        const QRgb mapColour = shown.pixel(3, 3);
        QVERIFY(qBlue(mapColour) > 2 * qRed(mapColour));
        const QPoint lastMapPixel(511 + dx, 511 + dy);
        QCOMPARE(shown.pixel(lastMapPixel), mapColour);
        QVERIFY(shown.pixel(lastMapPixel + QPoint(4, 4)) != mapColour);
        // The map's part of the panel is hit as map: a plain click there drops the selection.
        QCOMPARE(panel->markerAt(lastMapPixel), -1);
        w().clickPoi(QStringLiteral("Gate"));
        QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, lastMapPixel);
        QVERIFY(!w().current().isValid());
    }

    // Big icons as the game's own pages have them: every style and size lets the map show around
    // or inside the marker, selected markers keep their ring, and the choice is remembered.
    void markerLooks_data()
    {
        QTest::addColumn<QString>("style");   // the View > Marker Style item
        QTest::addColumn<QString>("size");    // the View > Marker Size item
        QTest::addColumn<int>("side");        // of the marker as drawn and hit; 0: its own
        QTest::addColumn<bool>("filled");
        QTest::newRow("defaults") << "" << "" << 0 << true;
        QTest::newRow("outline") << "ViewMarkerOutline" << "" << 0 << false;
        QTest::newRow("small") << "" << "ViewMarkerSizeSmall" << 10 << true;
        QTest::newRow("tiny outline") << "ViewMarkerOutline" << "ViewMarkerSizeTiny" << 6 << false;
        QTest::newRow("back to the defaults") << "ViewMarkerFilled" << "ViewMarkerSizeDescribed" << 0 << true;
    }

    void markerLooks()
    {
        QFETCH(QString, style);
        QFETCH(QString, size);
        QFETCH(int, side);
        QFETCH(bool, filled);
        writeBlueMap();
        Poi big{"Harbor", "200,200"};
        big.size = "42,42";
        open({big, Poi{"Small", "40,40"}});
        MapPanel* panel = w().panel();
        for (const QString& item : {style, size})
            if (!item.isEmpty())
                w().trigger(item.toLatin1().constData());
        const QRect own = panel->markerRect(0);
        QVERIFY(own.width() > 30);  // the page's own size is untouched
        const QPoint centre = own.topLeft() + QPoint(own.width() / 2, own.height() / 2);
        const bool described = side == 0;
        if (described)
            side = own.width();
        const QColor fill = panel->markerColour(0);
        QImage shown = panel->grab().toImage();
        const QRgb mapColour = shown.pixel(300, 30);
        QCOMPARE(QColor(shown.pixel(centre)), filled ? fill : QColor(mapColour));
        // The drawn disc (with its black outline) or ring reaches its edge and no further; the map
        // shows beyond it.
        QCOMPARE(QColor(shown.pixel(centre - QPoint(side / 2, 0))), filled ? QColor(Qt::black) : fill);
        QCOMPARE(shown.pixel(centre - QPoint(side / 2 + 1, 0)), mapColour);
        QCOMPARE(panel->markerAt(centre - QPoint(side / 2, 0)), 0);
        QCOMPARE(panel->markerAt(centre - QPoint(side / 2 + 1, 0)), -1);

        // Selected, the marker wears its ring just outside what is drawn.
        QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, centre);
        shown = panel->grab().toImage();
        QCOMPARE(QColor(shown.pixel(centre - QPoint(side / 2 + 3, 0))), QColor(0, 230, 255));

        // A new window draws as the last one was left.
        m_editor.reset();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
        for (const QString& item : {style, size})
            if (!item.isEmpty())
                QVERIFY(w().window.action(item)->isChecked());
        QCOMPARE(w().window.action(QStringLiteral("ViewMarkerFilled"))->isChecked(), filled);
        QCOMPARE(w().window.action(QStringLiteral("ViewMarkerSizeDescribed"))->isChecked(), described);
        QCOMPARE(w().panel()->markerLayer().look().fill, filled ? MarkerFill::Filled : MarkerFill::Outline);
    }

    // A POI file writes line breaks inside values as "&#xA;": the fields show line breaks, an edit
    // writes them back as the file does, and a value not edited keeps its bytes.
    void lineBreakReferencesOfPoiFiles_data()
    {
        QTest::addColumn<QString>("field");   // the field edited, or none
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("nothing edited") << "" << "" << QByteArray("Tooltip") << QByteArray("Old Tom &#xA;");
        QTest::newRow("tooltip") << "FlatMemo1" << "Old Tom\nInn keeper" << QByteArray("Tooltip")
                                 << QByteArray("Old Tom&#xA;Inn keeper");
        QTest::newRow("description") << "FlatEdit5" << "ID:31047\n-120.50,4.00,88.25\nBaker"
                                     << QByteArray("PoiDescription") << QByteArray("ID:31047&#xA;-120.50,4.00,88.25&#xA;Baker");
    }

    void lineBreakReferencesOfPoiFiles()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QByteArray, property);
        QFETCH(QByteArray, written);
        const QString path = m_folder->root() + QStringLiteral("poi.xml");
        const QByteArray bytes = QByteArray::fromStdString(zonefixture::kPoiFile);
        writeFile(path, bytes);
        w().window.show();
        QVERIFY(w().window.openPage(path + QStringLiteral("#forest")));
        w().clickPoi(QStringLiteral("ID31047  Old Tom"));  // a POI file names its POIs with their tooltip
        QCOMPARE(w().memo()->toPlainText(), QStringLiteral("Old Tom \n"));
        auto* description = w().control<QLineEdit>("FlatEdit5");
        QCOMPARE(description->text(), QStringLiteral("ID:31047\n-120.50,4.00,88.25\nBanker"));
        if (field == QLatin1String("FlatMemo1"))
            w().memo()->setPlainText(typed);
        else if (!field.isEmpty())
            description->setText(typed);
        w().editor().FlushPendingEdits();
        QCOMPARE(QByteArray::fromStdString(w().value(0, property.constData())), written);
        w().trigger("FileSave");
        const QByteArray saved = readFile(path);
        QVERIFY2(saved.contains(property + "=\"" + written + "\""), saved.constData());
        if (field.isEmpty())
            QCOMPARE(saved, bytes);
    }

    void problemCountsReadAsEnglish_data()
    {
        QTest::addColumn<QList<int>>("questPois");  // the POIs of an unknown type, said on one line per type
        QTest::addColumn<QList<int>>("levelPois");
        QTest::addColumn<QString>("count");
        QTest::newRow("none") << QList<int>{} << QList<int>{} << "0 problems";
        QTest::newRow("one") << QList<int>{1} << QList<int>{} << "1 problem";
        QTest::newRow("one line of two POIs") << QList<int>{1, 3} << QList<int>{} << "1 problem";
        QTest::newRow("two") << QList<int>{1} << QList<int>{4} << "2 problems";
    }

    void problemCountsReadAsEnglish()
    {
        QFETCH(QList<int>, questPois);
        QFETCH(QList<int>, levelPois);
        QFETCH(QString, count);
        QList<Poi> pois = goodPois();
        for (int i : questPois)
            pois[i].style = "quest";
        for (int i : levelPois)
            pois[i].style = "level";
        open(pois);
        const QString map = m_folder->root() + QStringLiteral("images/maps/map_test_map.dds");
        QDir().mkpath(QFileInfo(map).path());
        QVERIFY(ddstest::writeFile(map.toStdString(), ddstest::argbFile(1, 1, {0, 0, 0, 255})));
        w().trigger("ViewProblems");
        runEventLoopFor(20);
        PageProblemsWindow* problems = w().window.problemsWindow();
        QCOMPARE(problems->findChild<QLabel*>(QStringLiteral("ProblemCount"))->text(), count);
        if (questPois.size() > 1) {
            const QString line = problems->findChild<QListWidget*>(QStringLiteral("ProblemList"))->item(0)->text();
            QVERIFY2(line.startsWith(QStringLiteral("warning: %1 POIs: ").arg(questPois.size())), qPrintable(line));
        }
    }

    void fileOpenOffersEveryKindOfFile()
    {
        w().trigger("FileOpen");
        QCOMPARE(w().prompts.dialogs.size(), 1);
        // The icon pages stay the first filter, the one the dialog starts with.
        QCOMPARE(w().prompts.dialogs[0].filter.split(QStringLiteral(";;")),
                 (QStringList{"Map icon Files (icons_*.xml)", "Map window and POI files (*.xml)", "All files (*)"}));
    }

    // A map not found is named with every path looked at: the panel shows both ends of the text,
    // the tooltip all of it, at every width the panel gets.
    void mapMessageGivesWayInTheMiddle_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("as described") << 0;
        QTest::newRow("in a wider window") << 250;
    }

    void mapMessageGivesWayInTheMiddle()
    {
        QFETCH(int, width);
        open(goodPois());
        QLabel* notice = w().window.statusPanel(0);
        const QString whole = notice->toolTip();
        QVERIFY2(whole.startsWith(QStringLiteral("Map image not found: ")), qPrintable(whole));
        QVERIFY(whole.endsWith(QStringLiteral(".DDS")) || whole.endsWith(QStringLiteral(".dds")));
        w().window.resize(w().window.size() + QSize(width, 0));
        QTRY_COMPARE(notice->width(), 150 + width);
        notice->repaint();  // what is drawn
        const QString shown = notice->text();
        QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
        QVERIFY(shown.startsWith(QStringLiteral("Map")));
        QCOMPARE(shown.right(4), whole.right(4));
        QVERIFY2(notice->fontMetrics().horizontalAdvance(shown) <= notice->contentsRect().width(), qPrintable(shown));
        QVERIFY(notice->fontMetrics().horizontalAdvance(shown) > notice->contentsRect().width() * 2 / 3);
    }
};

QTEST_MAIN(LooksTest)
#include "LooksTest.moc"
