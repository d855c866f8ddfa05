#include "mapview/MapPanel.h"

#include "mapview/MapCoordinates.h"
#include "mapview/MapPainting.h"
#include "mapview/MarkerGeometry.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kBevelWidth = 1;
// The zoom ladder of the View menu's steps and the wheel.
constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0};
// One wheel notch (in eighths of a degree) pans this many screen pixels.
constexpr int kWheelNotch = 120;
constexpr int kWheelPanPixels = 40;
constexpr int kNudgeStep = 1;
constexpr int kShiftNudgeStep = 10;

// Tooltips are plain text (they may hold CR LF); anything that looks like markup is escaped.
QString displayedTip(QString tip)
{
    tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!Qt::mightBeRichText(tip))
        return tip;
    return QStringLiteral("<p style='white-space:pre'>")
           + tip.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br/>"))
           + QStringLiteral("</p>");
}

bool isSelectButton(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::RightButton;
}

// The map image shows the cross while it takes a dragged marker; the marker itself the move cursor.
Qt::CursorShape dragCursor(bool accepted, PanelHit::Kind target)
{
    if (!accepted)
        return Qt::ForbiddenCursor;
    return target == PanelHit::Kind::Image ? Qt::CrossCursor : Qt::DragMoveCursor;
}

}  // namespace

MapPanel::MapPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setMinimumSize(kPanelSize);
    resize(kPanelSize);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click gives the panel the arrow keys; Tab still passes it by.
    setFocusPolicy(Qt::ClickFocus);
}

void MapPanel::setMapImage(const QImage& image)
{
    m_image = image;
    m_layer.setImageSize(image.size());
    // A smaller map leaves less to scroll.
    setView(m_view);
}

int MapPanel::appendMarker(const QRect& rect, const QColor& fill, const QString& tooltip)
{
    return appendMarker(Marker{rect, fill, tooltip, MarkerStyleGroup(""), QString()});
}

int MapPanel::appendMarker(const Marker& marker)
{
    const int index = m_layer.append(marker);
    repaintChanged();
    return index;
}

void MapPanel::appendMarkers(const std::vector<Marker>& markers)
{
    appendMarkers(static_cast<int>(markers.size()), [&markers](int i) { return markers[static_cast<size_t>(i)]; });
}

void MapPanel::appendMarkers(int count, const std::function<Marker(int)>& markerAt)
{
    m_layer.reserve(m_layer.count() + count);
    for (int i = 0; i < count; ++i)
        m_layer.append(markerAt(i));
    repaintChanged();
}

bool MapPanel::setMarker(int index, const QRect& rect, const QColor& fill, const QString& tooltip)
{
    if (!m_layer.contains(index))
        return false;
    Marker marker = m_layer.marker(index);
    marker.rect = rect;
    marker.fill = fill;
    marker.tooltip = tooltip;
    return setMarker(index, marker);
}

bool MapPanel::setMarker(int index, const Marker& marker)
{
    const bool found = m_layer.set(index, marker);
    repaintChanged();
    return found;
}

void MapPanel::clearMarkers()
{
    m_drag.reset();
    m_groupDrag = false;
    m_bandFrom.reset();
    unsetCursor();
    m_layer.clear();
    repaintChanged();
}

void MapPanel::bringMarkerToFront(int index)
{
    m_layer.bringToFront(index);
    repaintChanged();
}

QRect MapPanel::markerRect(int index) const
{
    return m_layer.contains(index) ? m_layer.marker(index).rect : QRect();
}

QColor MapPanel::markerColour(int index) const
{
    return m_layer.contains(index) ? m_layer.marker(index).fill : QColor();
}

QString MapPanel::markerTooltip(int index) const
{
    return m_layer.text(index, MarkerText::Tooltip);
}

int MapPanel::markerAt(const QPoint& point) const
{
    const PanelHit hit = m_layer.hitTest(point, m_view);
    return hit.kind == PanelHit::Kind::Marker ? hit.marker : -1;
}

QSet<QString> MapPanel::markerStyles() const
{
    // A page has thousands of markers in a handful of styles: compare with the few seen so far
    // rather than hash every marker's style. Markers share the string of their style, so one
    // seen before is nearly always the very same string, which takes no comparing of letters.
    QStringList seen;
    for (int index = 0; index < m_layer.count(); ++index) {
        const QString& style = m_layer.marker(index).style;
        const bool same = std::any_of(seen.cbegin(), seen.cend(), [&style](const QString& known) {
            return known.isSharedWith(style);
        });
        if (!same && !seen.contains(style))
            seen << style;
    }
    return QSet<QString>(seen.begin(), seen.end());
}

void MapPanel::setHiddenStyles(const QSet<QString>& styles)
{
    m_layer.setHiddenStyles(styles);
    repaintChanged();
}

void MapPanel::setMarkerLook(const MarkerLook& look)
{
    m_layer.setLook(look);
    repaintChanged();
}

void MapPanel::setZoom(double zoom, const QPoint& anchor)
{
    MapView view = m_view;
    view.zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    // The image position under the anchor, in fractions of a pixel, stays under it.
    const double x = (anchor.x() + m_view.scroll.x()) / m_view.zoom;
    const double y = (anchor.y() + m_view.scroll.y()) / m_view.zoom;
    view.scroll = QPoint(int(std::lround(x * view.zoom)) - anchor.x(),
                         int(std::lround(y * view.zoom)) - anchor.y());
    setView(view);
}

void MapPanel::zoomIn(const QPoint& anchor)
{
    const auto next = std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), m_view.zoom);
    if (next != std::end(kZoomSteps))
        setZoom(*next, anchor);
}

void MapPanel::zoomOut(const QPoint& anchor)
{
    const auto next = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), m_view.zoom);
    if (next != std::begin(kZoomSteps))
        setZoom(*(next - 1), anchor);
}

void MapPanel::scrollBy(const QPoint& delta)
{
    MapView view = m_view;
    view.scroll += delta;
    setView(view);
}

void MapPanel::centreOn(const QPoint& image)
{
    MapView view = m_view;
    view.scroll = QPoint(int(std::lround(image.x() * m_view.zoom)), int(std::lround(image.y() * m_view.zoom)))
        - viewCentre();
    setView(view);
}

QPoint MapPanel::clampedScroll(const QPoint& scroll) const
{
    // Zoomed in, the image fills the view; zoomed out, it stays wholly inside it.
    const QSize image = m_layer.imageArea().size();
    const QSize view = m_view.area;
    const int width = int(std::ceil(image.width() * m_view.zoom)) - view.width();
    const int height = int(std::ceil(image.height() * m_view.zoom)) - view.height();
    return {std::clamp(scroll.x(), std::min(0, width), std::max(0, width)),
            std::clamp(scroll.y(), std::min(0, height), std::max(0, height))};
}

void MapPanel::setView(const MapView& view)
{
    m_view.zoom = view.zoom;
    m_view.area = view.area;
    m_view.scroll = clampedScroll(view.scroll);
    m_drag.setView(m_view);
    update();
}

void MapPanel::nudgeMarker(int index, const QPoint& delta)
{
    const DragStep step = m_drag.nudge(index, delta);
    if (!step.location)
        return;
    report(step, index);
    repaintChanged();
    emit dragFinished(index, true);
}

QImage MapPanel::picture(bool labels) const
{
    return RenderMapPicture(m_image, m_layer, labels);
}

QString MapPanel::toolTipAt(const QPoint& point) const
{
    if (m_drag.phase() != MarkerDrag::Phase::Idle)
        return {};
    return markerTooltip(markerAt(point));
}

void MapPanel::setSelectedMarkers(const std::vector<int>& indices)
{
    m_layer.setSelected(indices);
    repaintChanged();
}

void MapPanel::setPositionButtonGeometry(const QRect& rect)
{
    m_layer.setPositionButtonRect(rect);
    repaintChanged();
}

void MapPanel::setPositionButtonVisible(bool visible)
{
    m_layer.setPositionButtonVisible(visible);
    repaintChanged();
}

bool MapPanel::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = toolTipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), displayedTip(tip), this,
                           m_view.toScreen(markerRect(markerAt(help->pos()))));
    }
    return true;
}

void MapPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Button));
    qDrawShadePanel(&painter, rect(), palette(), true, kBevelWidth);
    if (m_view.isIdentity()) {
        const QRect imagePart = area & m_view.screenArea() & m_image.rect();
        if (!imagePart.isEmpty())
            painter.drawImage(imagePart.topLeft(), m_image, imagePart);
    } else if (!m_image.isNull()) {
        painter.save();
        painter.setClipRect(area & m_view.screenArea());
        painter.translate(-m_view.scroll);
        painter.scale(m_view.zoom, m_view.zoom);
        painter.drawImage(QPoint(0, 0), m_image);
        painter.restore();
    }
    if (m_view.toScreen(m_layer.positionButtonRect()).intersects(area))
        PaintPositionButton(painter, m_layer, m_view);
    PaintMarkers(painter, m_layer, area, m_view, false, true);
    if (m_bandFrom) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(*m_bandFrom, m_bandTo).normalized());
    }
}

void MapPanel::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::MiddleButton && m_drag.phase() == MarkerDrag::Phase::Idle) {
        m_panFrom = point;
        return;
    }
    const PanelHit hit = m_layer.hitTest(point, m_view);
    // The middle button does nothing here, nor does a second button during a gesture.
    if (!isSelectButton(event->button()) || m_drag.phase() != MarkerDrag::Phase::Idle || m_bandFrom)
        return;
    if (hit.kind != PanelHit::Kind::Marker) {
        pressOnMap(event, hit);
        return;
    }
    if (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier)) {
        emit markerToggled(hit.marker);
        return;
    }
    const unsigned generation = m_layer.generation();
    const bool startDrag =
        event->modifiers().testFlag(Qt::ShiftModifier) || event->button() == Qt::RightButton;
    // A drag from one of several selected markers moves them all; anything else is the press
    // of one marker.
    const bool group = startDrag && m_layer.isSelected(hit.marker) && m_layer.selected().size() > 1;
    if (group)
        emit groupPressed(hit.marker);
    else
        emit markerPressed(hit.marker);
    if (generation != m_layer.generation() || !m_layer.contains(hit.marker))
        return;  // the receiver rebuilt the markers
    m_drag.press(hit.marker, point, startDrag);
    if (group && m_layer.selected().size() > 1)
        startGroupDrag();
    repaintChanged();
}

void MapPanel::pressOnMap(QMouseEvent* event, const PanelHit& hit)
{
    if (hit.kind == PanelHit::Kind::Nothing)
        return;
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        emit contextMenuAt(m_view.toImage(point), event->globalPosition().toPoint());
        return;
    }
    m_bandFrom = point;
    m_bandTo = point;
    m_bandAdds = event->modifiers().testFlag(Qt::ControlModifier);
}

void MapPanel::startGroupDrag()
{
    m_groupDrag = true;
    m_groupDraggedStart = m_layer.marker(m_drag.marker()).rect;
    m_groupStart.clear();
    m_groupStart.reserve(m_layer.selected().size());
    for (int index : m_layer.selected())
        m_groupStart.push_back(m_layer.marker(index).rect);
}

QPoint MapPanel::followGroup(int dragged)
{
    if (!m_layer.contains(dragged))
        return {};
    const QPoint delta = m_layer.marker(dragged).rect.topLeft() - m_groupDraggedStart.topLeft();
    const std::vector<int>& selected = m_layer.selected();
    for (size_t i = 0; i < selected.size() && i < m_groupStart.size(); ++i)
        if (selected[i] != dragged)
            m_layer.setRect(selected[i], m_groupStart[i].translated(delta));
    return delta;
}

void MapPanel::endBand(const QPoint& point)
{
    const QPoint from = *m_bandFrom;
    m_bandFrom.reset();
    update();
    // A click without a drag is no band: it selects nothing, and a plain one drops the selection.
    if ((point - from).manhattanLength() < QApplication::startDragDistance()) {
        if (!m_bandAdds)
            emit emptyMapClicked();
        return;
    }
    // Both corners belong to the band, whichever way it was drawn (normalized() would drop them).
    const QPoint first = m_view.toImage(QPoint(std::min(from.x(), point.x()), std::min(from.y(), point.y())));
    const QPoint last = m_view.toImage(QPoint(std::max(from.x(), point.x()), std::max(from.y(), point.y())));
    const QRect image(first, last);
    emit markersBanded(m_layer.markersInside(image), m_bandAdds);
}

void MapPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    const PanelHit hit = m_layer.hitTest(event->position().toPoint(), m_view);
    if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier || hit.kind != PanelHit::Kind::Marker)
        return;
    // Told once the gesture is over: what it opens may replace every marker.
    const unsigned generation = m_layer.generation();
    QMetaObject::invokeMethod(
        this,
        [this, generation, marker = hit.marker]() {
            if (generation == m_layer.generation() && m_layer.contains(marker))
                emit markerDoubleClicked(marker);
        },
        Qt::QueuedConnection);
}

void MapPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_panFrom) {
        scrollBy(*m_panFrom - point);
        m_panFrom = point;
        return;
    }
    switch (m_drag.phase()) {
    case MarkerDrag::Phase::Dragging: {
        const int marker = m_drag.marker();
        const DragStep step = m_drag.dragTo(point);
        setCursor(dragCursor(step.accepted, m_drag.target().kind));
        // A group's location fields wait for the move of all of them.
        if (m_groupDrag)
            followGroup(marker);
        else
            report(step, marker);
        repaintChanged();
        break;
    }
    case MarkerDrag::Phase::Pressed:
        reportPointer(point);  // the pressed marker keeps the pointer until the release
        break;
    case MarkerDrag::Phase::Idle:
        if (m_bandFrom) {
            m_bandTo = point;
            update();
        }
        if (m_layer.hitTest(point, m_view).kind != PanelHit::Kind::Nothing)
            reportPointer(point);
        break;
    }
}

void MapPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton)
        m_panFrom.reset();
    if (!isSelectButton(event->button()))
        return;
    const QPoint point = event->position().toPoint();
    if (m_bandFrom && event->button() == Qt::LeftButton)
        endBand(point);
    else if (m_drag.phase() == MarkerDrag::Phase::Dragging)
        endDrag(point);
    else if (!(event->buttons() & (Qt::LeftButton | Qt::RightButton)))
        m_drag.reset();
}

void MapPanel::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        // Fine-grained wheels send parts of a notch: one zoom step per whole notch.
        const QPoint anchor = event->position().toPoint();
        m_wheelZoom += delta;
        for (; m_wheelZoom >= kWheelNotch; m_wheelZoom -= kWheelNotch)
            zoomIn(anchor);
        for (; m_wheelZoom <= -kWheelNotch; m_wheelZoom += kWheelNotch)
            zoomOut(anchor);
    } else {
        const int pixels = -delta * kWheelPanPixels / kWheelNotch;
        scrollBy(event->modifiers().testFlag(Qt::ShiftModifier) ? QPoint(pixels, 0) : QPoint(0, pixels));
    }
    event->accept();
}

void MapPanel::keyPressEvent(QKeyEvent* event)
{
    const int step = event->modifiers().testFlag(Qt::ShiftModifier) ? kShiftNudgeStep : kNudgeStep;
    switch (event->key()) {
    case Qt::Key_Left:
        emit nudgeRequested(QPoint(-step, 0));
        break;
    case Qt::Key_Right:
        emit nudgeRequested(QPoint(step, 0));
        break;
    case Qt::Key_Up:
        emit nudgeRequested(QPoint(0, -step));
        break;
    case Qt::Key_Down:
        emit nudgeRequested(QPoint(0, step));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MapPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The bevel and the room beside the image control stay as described; the rest shows map.
    const QSize margin = kPanelSize - MapView::kDescribedArea;
    MapView view = m_view;
    view.area = (size() - margin).expandedTo(MapView::kDescribedArea);
    setView(view);
}

void MapPanel::endDrag(const QPoint& point)
{
    const int marker = m_drag.marker();
    bool accepted = false;
    const DragStep step = m_drag.finish(point, true, &accepted);
    unsetCursor();
    if (std::exchange(m_groupDrag, false)) {
        const QPoint delta = followGroup(marker);
        repaintChanged();
        emit dragFinished(marker, accepted);
        if (!delta.isNull())
            emit groupMoved(delta);
        return;
    }
    report(step, marker);
    repaintChanged();
    emit dragFinished(marker, accepted);
}

void MapPanel::reportPointer(const QPoint& screen)
{
    const QPoint point = m_view.toImage(screen);
    emit pointerMoved(point);
    const std::string world = m_state ? StatusWorldText(*m_state, point.x(), point.y()) : "";
    emit statusTextsChanged(QString::fromStdString(StatusPositionText(point.x(), point.y())),
                            QString::fromStdString(world));
}

void MapPanel::report(const DragStep& step, int marker)
{
    if (step.location)
        emit markerDragged(marker, *step.location);
}

void MapPanel::repaintChanged()
{
    const MarkerLayer::Dirty dirty = m_layer.takeDirty();
    if (dirty.everything || !m_view.isIdentity()) {
        update();
        return;
    }
    for (const QRect& rect : dirty.rects)
        update(rect);
}
