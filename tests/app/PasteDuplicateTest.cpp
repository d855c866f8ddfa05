// Paste and duplicate in the main window: names count on, a duplicate keeps its exact place, a
// pasted group stays on the page (said in the status bar), and icons pasted as text keep their own
// Location.
#include "document/IconPageFixture.h"
#include "app/PoiSelection.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QStatusBar>

namespace {

using PageText::Poi;

}  // namespace

class PasteDuplicateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    EditorWindow& w() { return *m_editor; }

    // `zone`: the page's map has a zone rectangle, which places pastes by world location.
    void open(const QList<Poi>& pois, bool zone = true)
    {
        if (zone)
            m_folder->writeMapStyles(mapStylesFor("test_map", kTestZoneText));
        const QString path = m_folder->writePage(QStringLiteral("icons_test.xml"), PageText::page(PageText::iconLines(pois)));
        QVERIFY(w().openShown(path));
    }
    QString last(const char* property)
    {
        return QString::fromStdString(w().value(w().editor().xmlscan().Root().ItemCount() - 1, property));
    }
    QString statusWord() { return w().window.statusBar()->currentMessage(); }
    void pasteHere(const QPoint& at)
    {
        QMenu* menu = w().window.mapContextMenu(at);
        QAction* item = menu->findChild<QAction*>(QStringLiteral("MapPasteHere"));
        QVERIFY(item && item->isEnabled());
        item->trigger();
        menu->close();
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup() { m_editor.reset(); }

    void duplicateNamesCountOn_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("other");  // another POI's name on the page
        QTest::addColumn<QString>("copy");
        QTest::newRow("plain") << QByteArray("Harbor Master") << QByteArray("Inn") << "Harbor Master (2)";
        QTest::newRow("counted") << QByteArray("Harbor Master (2)") << QByteArray("Inn") << "Harbor Master (3)";
        QTest::newRow("next taken") << QByteArray("Harbor Master (2)") << QByteArray("Harbor Master (3)")
                                    << "Harbor Master (4)";
        QTest::newRow("no count") << QByteArray("Gate (east)") << QByteArray("Inn") << "Gate (east) (2)";
        QTest::newRow("zero is no count") << QByteArray("Well (0)") << QByteArray("Inn") << "Well (0) (2)";
    }

    void duplicateNamesCountOn()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, other);
        QFETCH(QString, copy);
        open({Poi{name, "100,100"}, Poi{other, "200,200"}});
        w().clickPoi(QString::fromUtf8(name));
        w().trigger("EditDuplicate");
        QCOMPARE(last("Name"), copy);
        QCOMPARE(w().window.selection().selectedPois(), std::vector<int>{2});
    }

    // The copy lies exactly on its original, whatever its world location says and however the
    // page's anchor rule rounds.
    void duplicateKeepsTheExactPlace_data()
    {
        QTest::addColumn<bool>("topLeft");
        QTest::addColumn<QByteArray>("size");
        QTest::newRow("Location is the point") << false << QByteArray("12,12");
        QTest::newRow("centre, even size") << true << QByteArray("12,12");
        QTest::newRow("centre, odd size") << true << QByteArray("13,13");
    }

    void duplicateKeepsTheExactPlace()
    {
        QFETCH(bool, topLeft);
        QFETCH(QByteArray, size);
        Poi poi{"Smith", "185,97"};
        poi.size = size;
        poi.path = "-74.82, 7.5, -116.21";  // elsewhere on the map than its Location
        open({poi});
        if (topLeft)
            w().trigger("OptionTopLeft");
        w().clickPoi(QStringLiteral("Smith"));
        w().trigger("EditDuplicate");
        QCOMPARE(last("Location"), QStringLiteral("185,97"));
        QCOMPARE(last("pathfindlocation"), QStringLiteral("-74.82, 7.5, -116.21"));
        QCOMPARE(w().panel()->markerRect(1), w().panel()->markerRect(0));
        QCOMPARE(statusWord(), QString());
    }

    // Two POIs copied far apart, pasted with the first at `at`: the group keeps its shape and the
    // whole of it lands on the 436 x 506 page.
    void pastedGroupStaysOnThePage_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("shifted");
        QTest::newRow("inside") << QPoint(30, 40) << "30,40" << "130,340" << false;
        QTest::newRow("bottom-right corner") << QPoint(420, 490) << "335,205" << "435,505" << true;
        QTest::newRow("right edge") << QPoint(400, 60) << "335,60" << "435,360" << true;
        QTest::newRow("off the top-left") << QPoint(-50, -20) << "0,0" << "100,300" << true;
    }

    void pastedGroupStaysOnThePage()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, shifted);
        open({Poi{"Alpha", "10,20"}, Poi{"Beta", "110,320"}}, false);
        QTest::mouseClick(w().panel(), Qt::LeftButton, Qt::NoModifier, w().panel()->markerRect(0).center());
        QTest::mouseClick(w().panel(), Qt::LeftButton, Qt::ControlModifier, w().panel()->markerRect(1).center());
        w().trigger("EditCopy");
        pasteHere(at);
        QCOMPARE(QString::fromStdString(w().value(2, "Location")), first);
        QCOMPARE(QString::fromStdString(w().value(3, "Location")), second);
        QCOMPARE(statusWord().isEmpty(), !shifted);
        if (shifted)
            QCOMPARE(statusWord(), QStringLiteral("The pasted POIs were shifted together to stay on the page"));
        // One step: undo takes both away.
        w().trigger("EditUndo");
        QCOMPARE(w().topLevelCount(), 2);
    }

    // Icons copied as text from a text editor stand where their own Location puts them.
    void xmlTextKeepsItsOwnLocation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("world");
        QTest::newRow("one icon") << "<Icon IconStyle=\"NPC\" Location=\"100,120\" Name=\"Typed\" "
                                     "pathfindlocation=\"900.00, 5, 900.00\" Size=\"12,12\"/>"
                                  << "100,120" << "900.00, 5, 900.00";
        QTest::newRow("off the page") << "<Icon IconStyle=\"NPC\" Location=\"500,120\" Name=\"Typed\" Size=\"12,12\"/>"
                                      << "435,120" << "<missing>";
    }

    void xmlTextKeepsItsOwnLocation()
    {
        QFETCH(QString, text);
        QFETCH(QString, location);
        QFETCH(QString, world);
        open({Poi{"Alpha", "10,20"}});
        QApplication::clipboard()->setText(text);
        w().trigger("EditPaste");
        QCOMPARE(w().topLevelCount(), 2);
        QCOMPARE(last("Location"), location);
        if (world != QLatin1String("<missing>"))
            QCOMPARE(last("pathfindlocation"), world);
    }
};

QTEST_MAIN(PasteDuplicateTest)
#include "PasteDuplicateTest.moc"
