// View > Problems driven as a user drives it: a POI's line selects the POI and the list follows the
// page's changes; the anchor line switches Option > Location is the icon's top-left corner, kept per
// page; the zone rectangle line opens the zone rectangle dialog filled in with the fitted rectangle.
#include "document/IconPageFixture.h"
#include "helpers/DdsTestFile.h"
#include "helpers/ModalDialog.h"
#include "tools/PageProblems.h"
#include "tools/addZone.h"

#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>

namespace {

using PageText::Poi;

// A POI placed at pixel (x, y) on the map of zone 0,0,872,1012 (two world units per pixel); its
// Location is `shift` pixels right of and below that.
Poi placed(const QByteArray& name, int x, int y, int shift = 0)
{
    Poi poi{name, QByteArray::number(x + shift) + "," + QByteArray::number(y + shift)};
    poi.path = QByteArray::number(-2 * x) + ", 10, " + QByteArray::number(2 * y);
    return poi;
}

QList<Poi> goodPois(int shift = 0)
{
    return {placed("Smith", 100, 100, shift), placed("Inn", 200, 150, shift), placed("Gate", 300, 400, shift),
            placed("Well", 50, 450, shift),   placed("Mill", 400, 30, shift),  placed("Dock", 420, 500, shift)};
}

}  // namespace

class PageProblemsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    EditorWindow& w() { return *m_editor; }

    QString open(const QList<Poi>& pois, const QByteArray& zone)
    {
        m_folder->writeMapStyles(mapStylesFor("test_map", zone));
        const QString path = m_folder->writePage(QStringLiteral("icons_test.xml"), PageText::page(PageText::iconLines(pois)));
        if (!w().openShown(path))
            qFatal("page not opened");
        return path;
    }

    QListWidget* list() { return w().window.problemsWindow()->findChild<QListWidget*>(QStringLiteral("ProblemList")); }

    // The Problems window's lines, once the changes so far were checked.
    QStringList lines()
    {
        runEventLoopFor(20);
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }

    // The name of the POI selected by a click on the line in `row`.
    QString clickedPoi(int row)
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(row)).center());
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        return w().text(w().current());
    }

    void activate(int row)
    {
        list()->setCurrentRow(row);
        QTest::keyClick(list(), Qt::Key_Return);
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        QDir().mkpath(m_folder->root() + QStringLiteral("images/maps"));
        const QString map = m_folder->root() + QStringLiteral("images/maps/map_test_map.dds");
        QVERIFY(ddstest::writeFile(map.toStdString(), ddstest::argbFile(1, 1, {0, 0, 0, 255})));
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup() { m_editor.reset(); }

    void poiLineSelectsAndTheListFollowsChanges()
    {
        QList<Poi> pois = goodPois();
        pois << Poi{"Stray", "140,140"};
        pois.last().path = "-200, 10, 220";  // 40, 30 pixels from its Location
        open(pois, "0,0,872,1012");
        w().trigger("ViewProblems");
        QCOMPARE(lines(), QStringList{"warning: POI \"Stray\" (#6): misplaced: 50 pixels from where the zone rectangle "
                                      "puts its pathfindlocation, 100,110 (the rectangle fits 6 of 7 POIs)"});
        QCOMPARE(clickedPoi(0), QStringLiteral("Stray"));

        w().editor().DeletePoi(6);
        QCOMPARE(lines(), QStringList{});
        QCOMPARE(w().window.problemsWindow()->findChild<QLabel*>(QStringLiteral("ProblemCount"))->text(),
                 QStringLiteral("0 problems"));
        w().editor().Undo();
        QCOMPARE(lines().size(), 1);
    }

    // POIs sharing an unknown type get one line; clicking it selects the first of them.
    void groupedLineSelectsItsFirstPoi()
    {
        QList<Poi> pois = goodPois();
        for (const int i : {1, 3, 4})
            pois[i].style = "quest";
        open(pois, "0,0,872,1012");
        w().trigger("ViewProblems");
        QCOMPARE(lines(), QStringList{"warning: 3 POIs: IconStyle \"quest\" is not a known type (CLST, LOC, MOB, NAME, "
                                      "NPC, QST, ZONE)"});
        QCOMPARE(clickedPoi(0), QStringLiteral("Inn"));
    }

    void anchorLineSwitchesTheRuleOfThePage()
    {
        const QString path = open(goodPois(-6), "0,0,872,1012");  // Location is the icon's top-left corner
        w().trigger("ViewProblems");
        QVERIFY(lines().value(0).startsWith(QLatin1String("warning: the POIs' Location is their icon's top-left corner: "
                                                          "6 of 6 POIs match")));
        activate(0);  // answered No: nothing changes
        QCOMPARE(w().state().Anchor, PoiAnchor::Location);
        w().prompts.confirmAnswers.enqueue(true);
        activate(0);
        QCOMPARE(w().prompts.questions.last(), QStringLiteral("Treat this page's Location as the icon's top-left corner?"));
        QCOMPARE(w().state().Anchor, PoiAnchor::Centre);
        QCOMPARE(lines(), QStringList{});
        w().window.updateActions();
        QVERIFY(w().window.action(QStringLiteral("OptionTopLeft"))->isChecked());

        // Kept for this page file only.
        m_folder->writePage(QStringLiteral("icons_other.xml"), PageText::page(PageText::iconLines(goodPois())));
        QVERIFY(w().window.openPage(m_folder->pagePath(QStringLiteral("icons_other.xml"))));
        QCOMPARE(w().state().Anchor, PoiAnchor::Location);
        QVERIFY(w().window.openPage(path));
        QCOMPARE(w().state().Anchor, PoiAnchor::Centre);
        // Saved under another name, the page keeps its rule there.
        const QString copy = m_folder->pagePath(QStringLiteral("icons_copy.xml"));
        w().prompts.fileAnswers.enqueue(copy);
        w().trigger("FileSaveAs");
        QVERIFY(w().window.openPage(m_folder->pagePath(QStringLiteral("icons_other.xml"))));
        QVERIFY(w().window.openPage(copy));
        QCOMPARE(w().state().Anchor, PoiAnchor::Centre);
        QVERIFY(w().window.openPage(path));
        w().window.updateActions();
        w().trigger("OptionTopLeft");  // unchecks it
        QCOMPARE(w().state().Anchor, PoiAnchor::Location);
        QVERIFY(w().window.openPage(path));
        QCOMPARE(w().state().Anchor, PoiAnchor::Location);
    }

    // A misplaced POI's two quick fixes, each one undo step.
    void quickFixesMoveTheMarkerOrTheWorldLocation_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("location");  // the POI's after the fix
        QTest::addColumn<QString>("world");
        QTest::newRow("marker to its world location") << "MoveMarkerFix" << "140,140" << "-280, 10, 280";
        QTest::newRow("world location from the marker") << "SetWorldFix" << "170,170" << "-340.00, 10, 340.00";
    }

    void quickFixesMoveTheMarkerOrTheWorldLocation()
    {
        QFETCH(QString, button);
        QFETCH(QString, location);
        QFETCH(QString, world);
        QList<Poi> pois = goodPois();
        pois << placed("Stray", 140, 140, 30);  // its marker dragged 30 pixels right and down
        open(pois, "0,0,872,1012");
        w().trigger("ViewProblems");
        QVERIFY(lines().value(0).startsWith(QLatin1String("warning: POI \"Stray\" (#6): misplaced: 42.4 pixels")));
        auto* fix = w().window.problemsWindow()->findChild<QPushButton*>(button);
        list()->setCurrentRow(0);
        QVERIFY(fix->isEnabled());
        const int steps = w().editor().undoStack().count();

        QTest::mouseClick(fix, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(w().value(6, "Location")), location);
        QCOMPARE(QString::fromStdString(w().value(6, "pathfindlocation")), world);
        QCOMPARE(lines(), QStringList{});
        QCOMPARE(w().editor().undoStack().count(), steps + 1);
        w().editor().Undo();
        QCOMPARE(w().value(6, "Location"), std::string("170,170"));
        QCOMPARE(w().value(6, "pathfindlocation"), std::string("-280, 10, 280"));
        QCOMPARE(lines().size(), 1);
    }

    void zoneLineOpensTheDialogFilledIn()
    {
        open(goodPois(), "40,0,912,1012");  // copied from a map 20 pixels to the side
        w().trigger("ViewProblems");
        QVERIFY(lines().value(0).startsWith(QLatin1String("warning: zone rectangle 40,0,912,1012 moves a page corner 20 "
                                                          "pixels from the rectangle fitted to 6 POIs, 0,0,872,1012")));
        QString shown;
        whenModal<TForm4>([&shown](TForm4* dialog) {
            shown = dialog->zoneId() + QLatin1Char('=') + dialog->zoneText();
            dialog->reject();
        });
        w().prompts.confirmAnswers.enqueue(true);
        activate(0);
        QCOMPARE(shown, QStringLiteral("test_map=0,0,872,1012"));
    }
};

QTEST_MAIN(PageProblemsTest)
#include "PageProblemsTest.moc"
