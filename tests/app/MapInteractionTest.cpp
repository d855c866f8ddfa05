// Clicking, dragging and hovering markers in the main window, the status bar texts and the
// automatic location calculation, driven with real mouse and key events.
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "helpers/EventLoop.h"
#include "helpers/MouseMoves.h"
#include "helpers/ScriptedPrompts.h"
#include "mapview/MapPanel.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace {

const char* const kPage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Page Name=\"testmap\" 1location=\"Test Zone\" Size=\"436,506\">\r\n"
    "  <Icon IconStyle=\"NPC\" Location=\"100,200\" Name=\"Alpha\" pathfindlocation=\"1.00, 7, 2.00\""
    " ScrollExtent=\"12,12\" Size=\"12,12\" Tooltip=\"first\"/>\r\n"
    "  <Icon IconStyle=\"LOC\" Location=\"300,120\" Name=\"Beta\" pathfindlocation=\"3.00, 9, 4.00\""
    " ScrollExtent=\"12,12\" Size=\"12,12\" Tooltip=\"second\"/>\r\n"
    "</Page>\r\n";

const char* const kStyles =
    "<?xml version=\"1.0\"?>\r\n<Styles>\r\n"
    "  <ImageStyle Name=\"testmap\" zonerect=\"-585,-1135,1635,1445\"><Image Source=\"images\\maps\\none.dds\"/></ImageStyle>\r\n"
    "  <ImageStyle Name=\"flatmap\"><Image Source=\"images\\maps\\none.dds\"/></ImageStyle>\r\n"
    "</Styles>\r\n";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class MapInteractionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_window;
    MapPanel* m_panel = nullptr;

    QString pagePath() const { return m_dir.filePath(QStringLiteral("UI/Test/vynmap/icons_test.xml")); }
    template <typename T>
    T* child(const char* name) const { return m_window->findChild<T*>(QLatin1String(name)); }
    TSimpleXMLElem& poi(int index) { return *m_window->editor().xmlscan().Root().Items().Item(index); }
    std::string value(int index, const char* name) { return poi(index).Properties().Find(name)->Value(); }
    QPoint markerCentre(int index) const { return m_panel->markerRect(index).center(); }

    void selectInTree(int poiIndex)
    {
        child<QTreeView>("TreeView1")->setCurrentIndex(m_window->editor().PoiNode(poiIndex));
        runEventLoopFor(30);  // the tree reports the selection after a short delay
    }

    // The apply timer is running; let it run out now instead of waiting a second.
    void applyByTimer()
    {
        auto* timer = child<QTimer>("Timer1");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        timer->stop();
        m_window->editor().Timer1Timer();
    }

    // Opens the page, optionally switches automatic locations on, selects Beta and types the
    // world location -1635, 12.5, 1445 into its path field; returns that field.
    QLineEdit* typeWorldLocationIntoSecondPoi(bool autoCalc)
    {
        if (!m_window->openPage(pagePath()))
            return nullptr;
        if (autoCalc) {
            runEventLoopFor(20);  // the command is enabled when the loop goes idle
            m_window->action(QStringLiteral("MAPLOCAUTO"))->trigger();
        }
        selectInTree(1);
        auto* path = child<QLineEdit>("FlatEdit1");
        path->selectAll();
        QTest::keyClicks(path, QStringLiteral("-1635, 12.5, 1445"));
        return path;
    }

private slots:
    void init()
    {
        writeFile(pagePath(), kPage);
        writeFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")), kStyles);
        const QString config = m_dir.filePath(QStringLiteral("editor.INI"));
        writeFile(config, "[CONFIG]\r\nPATH=" + m_dir.filePath(QStringLiteral("UI/Test/")).toUtf8() + "\r\n");
        m_prompts = ScriptedPrompts();
        m_window = std::make_unique<TForm1>(config, &m_prompts);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_panel = m_window->mapPanel();
    }

    void cleanup() { m_window.reset(); }

    void statusTextsFollowThePointer()
    {
        QTest::mouseMove(m_panel, QPoint(0, 0));
        QTest::mouseMove(m_panel, QPoint(10, 20));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("10,20"));
        QCOMPARE(m_window->statusPanel(2)->text(), QString());  // no page open

        QVERIFY(m_window->openPage(pagePath()));
        moveTo(m_panel, QPoint(0, 0));
        QCOMPARE(m_window->statusPanel(1)->text(), QStringLiteral("0,0"));
        QCOMPARE(m_window->statusPanel(2)->text(), QStringLiteral("585.00, 0, -1135.00"));
        QTest::mouseMove(m_panel, markerCentre(0));  // over a marker: image position too
        QCOMPARE(m_window->statusPanel(1)->text(),
                 QStringLiteral("%1,%2").arg(markerCentre(0).x()).arg(markerCentre(0).y()));
    }

    void clickOnMarkerSelectsItsPoiAfterApplyingPendingEdits()
    {
        QVERIFY(m_window->openPage(pagePath()));
        selectInTree(0);
        auto* name = child<QLineEdit>("FlatEdit3");
        QCOMPARE(name->text(), QStringLiteral("Alpha"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Renamed"));
        QVERIFY(m_window->state().EditsPending);

        QTest::mouseClick(m_panel, Qt::LeftButton, {}, markerCentre(1));
        runEventLoopFor(30);
        QCOMPARE(value(0, "Name"), std::string("Renamed"));  // the edit went to the POI left
        QCOMPARE(value(1, "Name"), std::string("Beta"));
        QCOMPARE(name->text(), QStringLiteral("Beta"));
        QCOMPARE(m_panel->markerZOrder().back(), 1);
        QVERIFY(m_panel->positionButtonVisible());
    }

    void anApplyNeverCopiesAnotherPoisFieldsIntoAPoiThatDidNotFill()
    {
        QByteArray page(kPage);
        page.replace("Location=\"300,120\"", "Location=\"far away\"");
        writeFile(pagePath(), page);
        QVERIFY(m_window->openPage(pagePath()));
        selectInTree(0);
        QCOMPARE(child<QLineEdit>("FlatEdit3")->text(), QStringLiteral("Alpha"));
        selectInTree(1);  // its Location does not read: the fields still show Alpha
        QTest::keyClicks(child<QLineEdit>("FlatEdit1"), QStringLiteral("5"));
        const std::string typed = child<QLineEdit>("FlatEdit1")->text().toStdString();
        applyByTimer();
        // Only what the user typed for Beta reaches it; Alpha's name stays Alpha's.
        QCOMPARE(value(1, "Name"), std::string("Beta"));
        QCOMPARE(value(1, "Location"), std::string("far away"));
        QCOMPARE(value(1, "pathfindlocation"), typed);
        QCOMPARE(value(1, "Tooltip"), std::string("second"));
        QCOMPARE(value(1, "IconStyle"), std::string("LOC"));
        QCOMPARE(value(0, "Name"), std::string("Alpha"));
    }

    void openMapShowsAnyDdsFileAndKeepsTheOldOneOnFailure()
    {
        const QString sample = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/images/maps/map_greenwood.dds");
        const QString damaged = m_dir.filePath(QStringLiteral("damaged.dds"));
        writeFile(damaged, "DDS not really");
        m_prompts.fileAnswers << sample << damaged << QString();

        m_window->action(QStringLiteral("FileMAP"))->trigger();
        QCOMPARE(m_prompts.dialogs.last().title, QStringLiteral("Open MAP Image"));
        const QImage shown = m_panel->mapImage();
        QVERIFY(!shown.isNull());
        QVERIFY(shown.pixel(256, 256) != qRgb(255, 255, 255));  // a real map, not the blank one

        m_window->action(QStringLiteral("FileMAP"))->trigger();
        QCOMPARE(m_prompts.messages, QStringList{QStringLiteral("Map Loading Fail.")});
        QCOMPARE(m_panel->mapImage(), shown);

        m_window->action(QStringLiteral("FileMAP"))->trigger();  // cancelled
        QCOMPARE(m_panel->mapImage(), shown);
        QCOMPARE(m_prompts.messages.size(), 1);
    }

    void middleButtonDoesNothing()
    {
        QVERIFY(m_window->openPage(pagePath()));
        const QRect before = m_panel->markerRect(1);
        QTest::mousePress(m_panel, Qt::MiddleButton, {}, markerCentre(1));
        QTest::mouseMove(m_panel, QPoint(400, 400));
        QTest::mouseRelease(m_panel, Qt::MiddleButton, {}, QPoint(400, 400));
        runEventLoopFor(30);
        QCOMPARE(child<QTreeView>("TreeView1")->currentIndex(), QModelIndex());
        QCOMPARE(m_panel->markerRect(1), before);
    }

    void shiftDragAcrossTheImageMovesThePoiAfterTheApply()
    {
        QVERIFY(m_window->openPage(pagePath()));
        QTest::mousePress(m_panel, Qt::LeftButton, Qt::ShiftModifier, markerCentre(0));
        runEventLoopFor(30);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(m_panel, QPoint(100 + 25 * step, 200 - 10 * step));
        QVERIFY(!m_panel->positionButtonVisible());
        QTest::mouseRelease(m_panel, Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 160));
        QCOMPARE(child<QSpinBox>("ed_locX")->value(), 200);
        QCOMPARE(child<QSpinBox>("ed_locY")->value(), 160);
        QVERIFY(!m_panel->positionButtonVisible());
        QCOMPARE(value(0, "Location"), std::string("100,200"));  // not yet applied

        applyByTimer();
        QCOMPARE(value(0, "Location"), std::string("200,160"));
        QCOMPARE(m_panel->markerRect(0), QRect(195, 155, 10, 10));
        // Automatic locations are off: the world location keeps its text.
        QCOMPARE(value(0, "pathfindlocation"), std::string("1.00, 7, 2.00"));
    }

    void releaseOnTheMarkerItselfShowsThePositionButton()
    {
        QVERIFY(m_window->openPage(pagePath()));
        const QPoint start = markerCentre(1);
        QTest::mousePress(m_panel, Qt::LeftButton, Qt::ShiftModifier, start);
        QTest::mouseMove(m_panel, start + QPoint(2, 1));
        QTest::mouseRelease(m_panel, Qt::LeftButton, Qt::ShiftModifier, start + QPoint(2, 1));
        QVERIFY(m_panel->positionButtonVisible());
        const QPoint fields(child<QSpinBox>("ed_locX")->value(), child<QSpinBox>("ed_locY")->value());
        const QRect button = m_panel->positionButtonGeometry();
        QCOMPARE(button.x(), fields.x() - button.width() / 2);
        QCOMPARE(button.y(), fields.y() - button.height() / 2);
    }

    void rightButtonDragsWithoutShift()
    {
        QVERIFY(m_window->openPage(pagePath()));
        QTest::mousePress(m_panel, Qt::RightButton, {}, markerCentre(1));
        runEventLoopFor(30);  // the editor is filled from the pressed POI
        QTest::mouseMove(m_panel, QPoint(50, 60));
        QTest::mouseRelease(m_panel, Qt::RightButton, {}, QPoint(50, 60));
        QCOMPARE(child<QSpinBox>("ed_locX")->value(), 50);
        QCOMPARE(child<QSpinBox>("ed_locY")->value(), 60);
        applyByTimer();
        QCOMPARE(value(1, "Location"), std::string("50,60"));
    }

    void autoCalcRewritesTheWorldLocationOfAMovedPoi()
    {
        QVERIFY(m_window->openPage(pagePath()));
        runEventLoopFor(20);
        QAction* autoCalc = m_window->action(QStringLiteral("MAPLOCAUTO"));
        QVERIFY(autoCalc->isEnabled());
        autoCalc->trigger();
        QVERIFY(m_window->state().AutoCalc);
        QCOMPARE(m_window->statusPanel(4)->text(), QStringLiteral("AutoCalc"));

        QTest::mousePress(m_panel, Qt::RightButton, {}, markerCentre(0));
        runEventLoopFor(30);  // the editor is filled from the pressed POI
        QTest::mouseMove(m_panel, QPoint(40, 40));
        moveTo(m_panel, QPoint(0, 0), Qt::RightButton);
        QMouseEvent release(QEvent::MouseButtonRelease, QPoint(0, 0), m_panel->mapToGlobal(QPoint(0, 0)),
                            Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_panel, &release);
        applyByTimer();
        QCOMPARE(value(0, "Location"), std::string("0,0"));
        QCOMPARE(value(0, "pathfindlocation"), std::string("585.00, 7, -1135.00"));  // height kept
        QCOMPARE(child<QLineEdit>("FlatEdit1")->text(), QStringLiteral("585.00, 7, -1135.00"));

        autoCalc->trigger();
        QVERIFY(!m_window->state().AutoCalc);
        QCOMPARE(m_window->statusPanel(4)->text(), QString());
    }

    void typedWorldLocationMovesThePoiWithAutoCalc()
    {
        QLineEdit* path = typeWorldLocationIntoSecondPoi(true);
        QVERIFY(path);
        QVERIFY(m_window->state().PathEdited);
        applyByTimer();
        QCOMPARE(path->text(), QStringLiteral("-1635.00, 12.5, 1445.00"));
        QCOMPARE(child<QSpinBox>("ed_locX")->value(), 436);
        QCOMPARE(child<QSpinBox>("ed_locY")->value(), 506);
        QCOMPARE(value(1, "Location"), std::string("436,506"));
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("436,506"));
        QCOMPARE(value(1, "pathfindlocation"), std::string("-1635, 12.5, 1445"));  // as typed, until the next apply
        QVERIFY(!m_window->state().PathEdited);
    }

    void typedWorldLocationWithoutAutoCalcOnlyNormalises()
    {
        QLineEdit* path = typeWorldLocationIntoSecondPoi(false);
        QVERIFY(path);
        applyByTimer();
        QCOMPARE(path->text(), QStringLiteral("-1635.00, 12.5, 1445.00"));
        QCOMPARE(value(1, "Location"), std::string("300,120"));
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("436,506"));
    }

    void nameEditAfterPathEditClearsPathEdited()
    {
        QLineEdit* path = typeWorldLocationIntoSecondPoi(true);
        QVERIFY(path);
        QTest::keyClicks(child<QLineEdit>("FlatEdit3"), QStringLiteral("x"));
        QVERIFY(!m_window->state().PathEdited);
        applyByTimer();
        // Recomputed from the position; the typed text is gone.
        QCOMPARE(value(1, "Location"), std::string("300,120"));
        QVERIFY(value(1, "pathfindlocation") != std::string("-1635, 12.5, 1445"));
        QCOMPARE(value(1, "pathfindlocation").substr(value(1, "pathfindlocation").find(',')),
                 std::string(", 12.5, ") + value(1, "pathfindlocation").substr(value(1, "pathfindlocation").rfind(' ') + 1));
    }

    void openingTurnsAutoCalcOffAndAMapWithoutZoneDisablesIt()
    {
        QVERIFY(m_window->openPage(pagePath()));
        runEventLoopFor(20);
        QAction* autoCalc = m_window->action(QStringLiteral("MAPLOCAUTO"));
        autoCalc->trigger();
        QCOMPARE(m_window->statusPanel(4)->text(), QStringLiteral("AutoCalc"));
        QVERIFY(m_window->openPage(pagePath()));
        QVERIFY(!m_window->state().AutoCalc);
        QVERIFY(!autoCalc->isChecked());
        runEventLoopFor(20);
        QCOMPARE(m_window->statusPanel(4)->text(), QString());  // the panel follows the state

        QByteArray flat(kPage);
        flat.replace("Name=\"testmap\"", "Name=\"flatmap\"");
        writeFile(pagePath(), flat);
        QVERIFY(m_window->openPage(pagePath()));
        runEventLoopFor(20);
        QVERIFY(!autoCalc->isEnabled());
        QVERIFY(!autoCalc->isChecked());
    }
};

QTEST_MAIN(MapInteractionTest)
#include "MapInteractionTest.moc"
