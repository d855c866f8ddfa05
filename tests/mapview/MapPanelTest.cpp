// The map panel driven by real mouse events: selecting, Shift- and right-button dragging,
// drops on the image, on the marker itself and outside, hover tooltips, status texts, painting.

#include "mapview/MapPanel.h"
#include "mapview/MarkerGeometry.h"

#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

namespace {

const QColor kNpcGreen(0x3B, 0xFF, 0x00);
const QColor kLocRed(0xD5, 0x08, 0x08);
const QColor kImageBlue(0x20, 0x40, 0xC0);
const QSize kIconSize(12, 12);

QRect markerAround(int x, int y)
{
    return MarkerRect({x, y}, {kIconSize.width(), kIconSize.height()});
}

// Status bar texts as the main window would receive them.
QStringList lastStatus(const QSignalSpy& spy)
{
    if (spy.isEmpty())
        return {};
    return {spy.last().at(0).toString(), spy.last().at(1).toString()};
}

}  // namespace

// Tests of the map panel widget.
class MapPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void middleButtonDoesNothing();
    void leftClickSelectsTopmostAndBringsItToFront();
    void shiftDragAcrossImageReleasedOnImage();
    void releaseOnTheMarkerItselfShowsPositionButton();
    void rightButtonDragsWithoutShift();
    void dropOutsideIsRefused();
    void dragCursorFollowsTheTarget_data();
    void dragCursorFollowsTheTarget();
    void positionButtonIsNeverDragged();
    void markersReplacedDuringDragEndIt();
    void hoverTooltip();
    void statusTexts();
    void paintsInZOrder();

private:
    std::unique_ptr<MapPanel> m_panel;
    EditorState m_state;
};

void MapPanelTest::init()
{
    m_state = EditorState();
    m_state.ZoneRect = {-585, -1135, 1635, 1445};
    m_state.DocLoaded = true;
    m_panel = std::make_unique<MapPanel>();
    m_panel->setEditorState(&m_state);
    QImage image(MarkerLayer::kImageArea.size(), QImage::Format_ARGB32);
    image.fill(kImageBlue);
    m_panel->setMapImage(image);
    // Marker 0 at (100,100); marker 1 overlaps it, up and to the right, and starts on top.
    m_panel->appendMarker(markerAround(100, 100), kNpcGreen, QStringLiteral("Smith"));
    m_panel->appendMarker(markerAround(106, 96), kLocRed, QStringLiteral("Gate\r\n<north>"));
    m_panel->show();
}

void MapPanelTest::cleanup()
{
    // Release whatever a failed test left held, so QTest's button state starts clean.
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        if (QTestPrivate::qtestMouseButtons.testFlag(button))
            QTest::mouseRelease(m_panel.get(), button, {}, QPoint(600, 600));
    m_panel.reset();
}

void MapPanelTest::middleButtonDoesNothing()
{
    QSignalSpy pressed(m_panel.get(), &MapPanel::markerPressed);
    const std::vector<int> order = m_panel->markerZOrder();
    QTest::mousePress(m_panel.get(), Qt::MiddleButton, Qt::ShiftModifier, QPoint(98, 100));
    QTest::mouseMove(m_panel.get(), QPoint(300, 300));
    QTest::mouseRelease(m_panel.get(), Qt::MiddleButton, Qt::ShiftModifier, QPoint(300, 300));
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(m_panel->markerZOrder(), order);
    QCOMPARE(m_panel->markerRect(0), markerAround(100, 100));
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Idle);
}

void MapPanelTest::leftClickSelectsTopmostAndBringsItToFront()
{
    QSignalSpy pressed(m_panel.get(), &MapPanel::markerPressed);
    QSignalSpy dragged(m_panel.get(), &MapPanel::markerDragged);
    const QPoint overlap(102, 98);
    QCOMPARE(m_panel->markerAt(overlap), 1);

    QTest::mouseClick(m_panel.get(), Qt::LeftButton, {}, QPoint(96, 104));  // only marker 0
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.last().at(0).toInt(), 0);
    QCOMPARE(m_panel->markerZOrder(), (std::vector<int>{1, 0}));
    QCOMPARE(m_panel->markerAt(overlap), 0);

    // A plain left press does not drag, however far the pointer goes.
    QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, overlap);
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Pressed);
    QTest::mouseMove(m_panel.get(), QPoint(250, 260));
    QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, QPoint(250, 260));
    QCOMPARE(m_panel->markerRect(0), markerAround(100, 100));
    QCOMPARE(dragged.count(), 0);
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Idle);
}

void MapPanelTest::shiftDragAcrossImageReleasedOnImage()
{
    m_panel->setPositionButtonGeometry(CentredRect({100, 100}, {12, 12}));
    m_panel->setPositionButtonVisible(true);  // marker 0 was selected
    QSignalSpy dragged(m_panel.get(), &MapPanel::markerDragged);
    QSignalSpy finished(m_panel.get(), &MapPanel::dragFinished);

    QTest::mousePress(m_panel.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(97, 103));
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Dragging);
    QVERIFY(!m_panel->positionButtonVisible());
    for (const QPoint& point : {QPoint(150, 160), QPoint(260, 300), QPoint(401, 33)})
        QTest::mouseMove(m_panel.get(), point);
    QTest::mouseRelease(m_panel.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(401, 33));

    QCOMPARE(m_panel->markerRect(0), markerAround(401, 33));
    QVERIFY(!dragged.isEmpty());
    QCOMPARE(dragged.last().at(0).toInt(), 0);
    QCOMPARE(dragged.last().at(1).toPoint(), QPoint(401, 33));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.last().at(1).toBool(), true);
    QVERIFY(!m_panel->positionButtonVisible());
    QCOMPARE(m_panel->markerRect(1), markerAround(106, 96));  // the other marker stays
}

void MapPanelTest::releaseOnTheMarkerItselfShowsPositionButton()
{
    QSignalSpy dragged(m_panel.get(), &MapPanel::markerDragged);
    QTest::mousePress(m_panel.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(96, 102));
    // Small steps keep the pointer over the dragged marker, which follows it.
    for (int x = 97; x <= 112; ++x)
        QTest::mouseMove(m_panel.get(), QPoint(x, 108));
    QTest::mouseRelease(m_panel.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(112, 108));

    QCOMPARE(m_panel->markerRect(0), markerAround(112, 108));
    QCOMPARE(dragged.last().at(1).toPoint(), QPoint(112, 108));
    QVERIFY(m_panel->positionButtonVisible());
    QCOMPARE(m_panel->positionButtonGeometry(), CentredRect({112, 108}, {12, 12}));
}

void MapPanelTest::rightButtonDragsWithoutShift()
{
    QSignalSpy pressed(m_panel.get(), &MapPanel::markerPressed);
    QTest::mousePress(m_panel.get(), Qt::RightButton, {}, QPoint(109, 93));
    QCOMPARE(pressed.last().at(0).toInt(), 1);
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Dragging);
    QTest::mouseMove(m_panel.get(), QPoint(30, 480));
    QTest::mouseRelease(m_panel.get(), Qt::RightButton, {}, QPoint(30, 480));
    QCOMPARE(m_panel->markerRect(1), markerAround(30, 480));
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Idle);
}

void MapPanelTest::dropOutsideIsRefused()
{
    QSignalSpy dragged(m_panel.get(), &MapPanel::markerDragged);
    QSignalSpy finished(m_panel.get(), &MapPanel::dragFinished);
    QTest::mousePress(m_panel.get(), Qt::RightButton, {}, QPoint(96, 104));
    QTest::mouseMove(m_panel.get(), QPoint(300, 200));
    const int stepsOverImage = dragged.count();
    QCOMPARE(m_panel->cursor().shape(), Qt::CrossCursor);  // the map image takes the marker
    QTest::mouseMove(m_panel.get(), QPoint(515, 400));  // the panel beyond the image
    QCOMPARE(m_panel->cursor().shape(), Qt::ForbiddenCursor);
    QTest::mouseMove(m_panel.get(), QPoint(104, 94));   // over the other marker
    QTest::mouseMove(m_panel.get(), QPoint(700, 50));   // outside the panel
    QTest::mouseRelease(m_panel.get(), Qt::RightButton, {}, QPoint(700, 50));

    QCOMPARE(m_panel->markerRect(0), markerAround(300, 200));
    QCOMPARE(dragged.count(), stepsOverImage);
    QCOMPARE(dragged.last().at(1).toPoint(), QPoint(300, 200));
    QCOMPARE(finished.last().at(1).toBool(), false);
    QVERIFY(!m_panel->positionButtonVisible());
    QCOMPARE(m_panel->cursor().shape(), Qt::ArrowCursor);
}

void MapPanelTest::dragCursorFollowsTheTarget_data()
{
    QTest::addColumn<QList<QPoint>>("path");  // moves after the press on marker 0 at 96,104
    QTest::addColumn<int>("cursor");
    QTest::newRow("onto the map image") << QList<QPoint>{{300, 200}} << int(Qt::CrossCursor);
    // The marker follows the pointer, so the next move lands on the dragged marker itself.
    QTest::newRow("over the dragged marker") << QList<QPoint>{{300, 200}, {302, 201}} << int(Qt::DragMoveCursor);
    QTest::newRow("beyond the image") << QList<QPoint>{{300, 200}, {515, 400}} << int(Qt::ForbiddenCursor);
    QTest::newRow("back onto the image") << QList<QPoint>{{515, 400}, {20, 30}} << int(Qt::CrossCursor);
}

void MapPanelTest::dragCursorFollowsTheTarget()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(int, cursor);
    QTest::mousePress(m_panel.get(), Qt::RightButton, {}, QPoint(96, 104));
    for (const QPoint& point : path)
        QTest::mouseMove(m_panel.get(), point);
    QCOMPARE(int(m_panel->cursor().shape()), cursor);
    QTest::mouseRelease(m_panel.get(), Qt::RightButton, {}, path.last());
    QCOMPARE(m_panel->cursor().shape(), Qt::ArrowCursor);
}

void MapPanelTest::positionButtonIsNeverDragged()
{
    // The button pokes out one pixel around the marker; a press on that ring is no marker press.
    m_panel->setPositionButtonGeometry(CentredRect({300, 300}, {12, 12}));
    m_panel->setPositionButtonVisible(true);
    QSignalSpy pressed(m_panel.get(), &MapPanel::markerPressed);
    QTest::mousePress(m_panel.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(294, 294));
    QTest::mouseMove(m_panel.get(), QPoint(200, 200));
    QTest::mouseRelease(m_panel.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(200, 200));
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(m_panel->positionButtonGeometry(), CentredRect({300, 300}, {12, 12}));
    QVERIFY(m_panel->positionButtonVisible());
}

void MapPanelTest::markersReplacedDuringDragEndIt()
{
    QTest::mousePress(m_panel.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(96, 104));
    m_panel->clearMarkers();
    m_panel->appendMarker(markerAround(50, 50), kNpcGreen, QString());
    QCOMPARE(m_panel->pointerPhase(), MarkerDrag::Phase::Idle);
    QTest::mouseMove(m_panel.get(), QPoint(200, 200));
    QTest::mouseRelease(m_panel.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 200));
    QCOMPARE(m_panel->markerRect(0), markerAround(50, 50));
}

void MapPanelTest::hoverTooltip()
{
    QCOMPARE(m_panel->toolTipAt(QPoint(96, 104)), QStringLiteral("Smith"));
    QCOMPARE(m_panel->toolTipAt(QPoint(102, 98)), QStringLiteral("Gate\r\n<north>"));
    QCOMPARE(m_panel->toolTipAt(QPoint(300, 300)), QString());

    const QPoint over(96, 104);
    QHelpEvent help(QEvent::ToolTip, over, m_panel->mapToGlobal(over));
    QCoreApplication::sendEvent(m_panel.get(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Smith"));

    // No tooltips while a marker is being dragged.
    QTest::mousePress(m_panel.get(), Qt::RightButton, {}, over);
    QCOMPARE(m_panel->toolTipAt(over), QString());
    QTest::mouseRelease(m_panel.get(), Qt::RightButton, {}, over);
}

void MapPanelTest::statusTexts()
{
    QSignalSpy status(m_panel.get(), &MapPanel::statusTextsChanged);
    const auto hover = [this](const QPoint& point) {
        QMouseEvent move(QEvent::MouseMove, point, m_panel->mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_panel.get(), &move);
    };
    hover(QPoint(0, 0));
    QCOMPARE(lastStatus(status), (QStringList{"0,0", "585.00, 0, -1135.00"}));
    hover(QPoint(96, 104));  // over a marker: the image position, not the marker's own
    QCOMPARE(lastStatus(status).at(0), QStringLiteral("96,104"));
    const int reports = status.count();
    hover(QPoint(516, 300));  // bare panel: nothing reports
    QCOMPARE(status.count(), reports);
    m_state.DocLoaded = false;
    hover(QPoint(436, 506));
    QCOMPARE(lastStatus(status), (QStringList{"436,506", ""}));
}

void MapPanelTest::paintsInZOrder()
{
    m_panel->setPositionButtonGeometry(CentredRect({100, 100}, {12, 12}));
    m_panel->setPositionButtonVisible(true);
    QImage shot = m_panel->grab().toImage();
    QCOMPARE(shot.pixelColor(200, 200), kImageBlue);
    QCOMPARE(shot.pixelColor(103, 98), kLocRed);     // marker 1 lies over marker 0 here
    QCOMPARE(shot.pixelColor(100, 102), kNpcGreen);  // the button is beneath its marker
    QCOMPARE(shot.pixelColor(100, 105), QColor(Qt::yellow));  // its outline frames the marker
    QCOMPARE(shot.pixelColor(516, 300), m_panel->palette().color(QPalette::Button));

    QTest::mouseClick(m_panel.get(), Qt::LeftButton, {}, QPoint(96, 104));
    shot = m_panel->grab().toImage();
    QCOMPARE(shot.pixelColor(103, 98), kNpcGreen);  // marker 0 came to the front
}

QTEST_MAIN(MapPanelTest)
#include "MapPanelTest.moc"
