// Zoom and pan of the map panel: the pixel under the pointer stays under it, markers keep their
// screen size, and hit testing, dragging and the status bar work in image pixels at every zoom.
#include "document/IconPageFixture.h"
#include "helpers/MouseMoves.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <memory>

namespace {

constexpr int kNotch = 120;

void sendWheel(QWidget* widget, const QPoint& point, int notches, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent wheel(point, widget->mapToGlobal(point), QPoint(), QPoint(0, notches * kNotch), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

}  // namespace

class MapZoomTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    MapPanel* m_panel = nullptr;

    // Alpha's location (100, 200) on screen.
    QPoint alphaOnScreen() const { return m_panel->view().toScreen(QPoint(100, 200)); }

    // Zooms with Ctrl+wheel at `anchor` until the zoom is `zoom`.
    void zoomAt(const QPoint& anchor, double zoom)
    {
        while (m_panel->zoom() < zoom)
            sendWheel(m_panel, anchor, 1, Qt::ControlModifier);
        QCOMPARE(m_panel->zoom(), zoom);
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_folder->writeMapStyles(mapStylesFor("test_map", kTestZoneText));
        const QString page = m_folder->writePage(
            QStringLiteral("icons_test.xml"),
            PageText::page(PageText::iconLines({{"Alpha"}, {"Beta", "300,120", "LOC"}})));
        m_editor = std::make_unique<EditorWindow>(*m_folder);
        QVERIFY(m_editor->openShown(page));
        m_panel = m_editor->panel();
    }

    void cleanup()
    {
        m_editor.reset();
        m_folder.reset();
    }

    void thePixelUnderThePointerStaysUnderIt_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<int>("notches");
        QTest::addColumn<double>("zoom");
        QTest::newRow("centre, two steps in") << QPoint(256, 256) << 2 << 2.0;
        QTest::newRow("on a marker, four steps in") << QPoint(100, 200) << 4 << 4.0;
        QTest::newRow("near the corner, to the top") << QPoint(10, 10) << 8 << 8.0;
        QTest::newRow("past the top stays at 800 %") << QPoint(10, 10) << 12 << 8.0;
        QTest::newRow("two steps out") << QPoint(300, 300) << -2 << 0.5;
        QTest::newRow("past the bottom stays at 50 %") << QPoint(300, 300) << -5 << 0.5;
    }

    void thePixelUnderThePointerStaysUnderIt()
    {
        QFETCH(QPoint, anchor);
        QFETCH(int, notches);
        QFETCH(double, zoom);
        sendWheel(m_panel, anchor, notches, Qt::ControlModifier);
        QCOMPARE(m_panel->zoom(), zoom);
        QCOMPARE(m_panel->view().toImage(anchor), anchor);
        moveTo(m_panel, anchor, Qt::NoButton);
        QCOMPARE(m_editor->window.statusPanel(1)->text(), QStringLiteral("%1,%2").arg(anchor.x()).arg(anchor.y()));
        m_editor->trigger("ViewZoomReset");
        QCOMPARE(m_panel->zoom(), 1.0);
        QCOMPARE(m_panel->scrollOffset(), QPoint(0, 0));
    }

    void markersKeepTheirScreenSize_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("200 %") << 2.0;
        QTest::newRow("800 %") << 8.0;
    }

    void markersKeepTheirScreenSize()
    {
        QFETCH(double, zoom);
        m_panel->setZoom(zoom, QPoint(100, 200));
        const QPoint centre = alphaOnScreen();
        QCOMPARE(centre, QPoint(100, 200));
        QCOMPARE(m_panel->markerAt(centre + QPoint(4, 4)), 0);
        QCOMPARE(m_panel->markerAt(centre - QPoint(5, 5)), 0);
        QCOMPARE(m_panel->markerAt(centre + QPoint(5, 0)), -1);
        QCOMPARE(m_panel->markerAt(centre - QPoint(0, 6)), -1);
    }

    void clickSelectsTheMarkerWhereItIsDrawn()
    {
        zoomAt(QPoint(0, 0), 2.0);
        QTest::mouseClick(m_panel, Qt::LeftButton, {}, QPoint(100, 200));  // Alpha's image position
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        QCOMPARE(m_editor->current(), QModelIndex());
        QTest::mouseClick(m_panel, Qt::LeftButton, {}, QPoint(200, 400));
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        QCOMPARE(m_editor->current(), m_editor->editor().PoiNode(0));
        moveTo(m_panel, QPoint(201, 401), Qt::NoButton);
        QCOMPARE(m_editor->window.statusPanel(1)->text(), QStringLiteral("100,200"));
    }

    void aDragMovesThePoiByTheScreenDistanceOverTheZoom_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("location");
        const int left = Qt::LeftButton;
        const int right = Qt::RightButton;
        QTest::newRow("100 %, shift and left") << 1.0 << left << QPoint(200, 140);
        QTest::newRow("200 %, shift and left") << 2.0 << left << QPoint(150, 170);
        QTest::newRow("200 %, right") << 2.0 << right << QPoint(150, 170);
        QTest::newRow("400 %, shift and left") << 4.0 << left << QPoint(125, 185);
    }

    void aDragMovesThePoiByTheScreenDistanceOverTheZoom()
    {
        QFETCH(double, zoom);
        QFETCH(int, button);
        QFETCH(QPoint, location);
        zoomAt(QPoint(100, 200), zoom);
        const QPoint start = alphaOnScreen();
        const auto pressed = Qt::MouseButton(button);
        const Qt::KeyboardModifiers modifiers = pressed == Qt::LeftButton ? Qt::ShiftModifier : Qt::NoModifier;
        QTest::mousePress(m_panel, pressed, modifiers, start);
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        const QPoint distance(100, -60);
        for (int step = 1; step <= 4; ++step)
            moveTo(m_panel, start + distance * step / 4, pressed);
        QTest::mouseRelease(m_panel, pressed, modifiers, start + distance);
        QCOMPARE(QPoint(m_editor->locX()->value(), m_editor->locY()->value()), location);
        m_editor->runOutApplyTimer();
        QCOMPARE(m_editor->value(0, "Location"),
                 QStringLiteral("%1,%2").arg(location.x()).arg(location.y()).toStdString());
    }

    void automaticLocationTakesTheImagePixelAt200Percent()
    {
        runEventLoopFor(20);  // the command is enabled when the loop goes idle
        m_editor->trigger("MAPLOCAUTO");
        QVERIFY(m_editor->state().AutoCalc);
        zoomAt(QPoint(0, 0), 2.0);
        QTest::mousePress(m_panel, Qt::RightButton, {}, alphaOnScreen());
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        moveTo(m_panel, QPoint(40, 40), Qt::RightButton);
        moveTo(m_panel, QPoint(1, 1), Qt::RightButton);
        QTest::mouseRelease(m_panel, Qt::RightButton, {}, QPoint(1, 1));
        m_editor->runOutApplyTimer();
        QCOMPARE(m_editor->value(0, "Location"), std::string("0,0"));
        QCOMPARE(m_editor->value(0, "pathfindlocation"), std::string("585.00, 5, -1135.00"));
    }

    void middleDragAndWheelPan()
    {
        zoomAt(QPoint(0, 0), 2.0);
        QCOMPARE(m_panel->scrollOffset(), QPoint(0, 0));
        QTest::mousePress(m_panel, Qt::MiddleButton, {}, QPoint(300, 300));
        moveTo(m_panel, QPoint(250, 280), Qt::MiddleButton);
        QTest::mouseRelease(m_panel, Qt::MiddleButton, {}, QPoint(250, 280));
        QCOMPARE(m_panel->scrollOffset(), QPoint(50, 20));
        if (qEnvironmentVariableIsSet("VYNMAP_SCREENSHOT"))
            m_editor->window.grab().save(qEnvironmentVariable("VYNMAP_SCREENSHOT"));
        sendWheel(m_panel, QPoint(10, 10), -1, Qt::NoModifier);
        QCOMPARE(m_panel->scrollOffset(), QPoint(50, 60));
        sendWheel(m_panel, QPoint(10, 10), -1, Qt::ShiftModifier);
        QCOMPARE(m_panel->scrollOffset(), QPoint(90, 60));
        sendWheel(m_panel, QPoint(10, 10), 10, Qt::NoModifier);  // never past the image's edge
        QCOMPARE(m_panel->scrollOffset(), QPoint(90, 0));
        QCOMPARE(m_editor->value(0, "Location"), std::string("100,200"));
    }
};

QTEST_MAIN(MapZoomTest)
#include "MapZoomTest.moc"
