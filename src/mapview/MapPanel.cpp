#include "mapview/MapPanel.h"

#include "mapview/MapCoordinates.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>
#include <qdrawutil.h>

namespace {

constexpr int kBevelWidth = 1;
const QColor kMarkerOutline = Qt::black;
const QColor kButtonFill = Qt::red;
const QColor kButtonOutline = Qt::yellow;
// The rounded square's corners: a quarter of its side as corner diameter.
constexpr qreal kButtonCornerFraction = 0.125;

// Qt pens draw a rectangle one pixel wider than given; this keeps a shape inside `rect`.
QRect outlineRect(const QRect& rect)
{
    return rect.adjusted(0, 0, -1, -1);
}

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
    setFixedSize(kPanelSize);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapPanel::setMapImage(const QImage& image)
{
    m_image = image;
    update(MarkerLayer::kImageArea);
}

int MapPanel::appendMarker(const QRect& rect, const QColor& fill, const QString& tooltip)
{
    const int index = m_layer.append({rect, fill, tooltip});
    repaintChanged();
    return index;
}

bool MapPanel::setMarker(int index, const QRect& rect, const QColor& fill, const QString& tooltip)
{
    const bool found = m_layer.set(index, {rect, fill, tooltip});
    repaintChanged();
    return found;
}

void MapPanel::clearMarkers()
{
    m_drag.reset();
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
    return m_layer.contains(index) ? m_layer.marker(index).tooltip : QString();
}

int MapPanel::markerAt(const QPoint& point) const
{
    const PanelHit hit = m_layer.hitTest(point);
    return hit.kind == PanelHit::Kind::Marker ? hit.marker : -1;
}

QString MapPanel::toolTipAt(const QPoint& point) const
{
    if (m_drag.phase() != MarkerDrag::Phase::Idle)
        return {};
    return markerTooltip(markerAt(point));
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
                           markerRect(markerAt(help->pos())));
    }
    return true;
}

void MapPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Button));
    qDrawShadePanel(&painter, rect(), palette(), true, kBevelWidth);
    const QRect imagePart = area & MarkerLayer::kImageArea & m_image.rect();
    if (!imagePart.isEmpty())
        painter.drawImage(imagePart.topLeft(), m_image, imagePart);
    if (m_layer.positionButtonVisible() && m_layer.positionButtonRect().intersects(area))
        paintPositionButton(painter);
    paintMarkers(painter, area);
}

void MapPanel::paintPositionButton(QPainter& painter) const
{
    const QRect button = m_layer.positionButtonRect();
    const qreal radius = qMin(button.width(), button.height()) * kButtonCornerFraction;
    painter.setPen(kButtonOutline);
    painter.setBrush(kButtonFill);
    painter.drawRoundedRect(outlineRect(button), radius, radius);
}

void MapPanel::paintMarkers(QPainter& painter, const QRect& area) const
{
    painter.setPen(kMarkerOutline);
    // A page uses a handful of fills: the brush changes only when the colour does, instead of
    // being made anew for each of thousands of markers.
    bool brushSet = false;
    QColor brushColour;
    for (int index : m_layer.zOrder()) {
        const Marker& marker = m_layer.marker(index);
        if (!marker.rect.intersects(area))
            continue;
        if (!brushSet || marker.fill != brushColour) {
            painter.setBrush(marker.fill);
            brushColour = marker.fill;
            brushSet = true;
        }
        painter.drawEllipse(outlineRect(marker.rect));
    }
}

void MapPanel::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const PanelHit hit = m_layer.hitTest(point);
    // Only markers take a press; the middle button does nothing, nor does a second button
    // during a gesture.
    if (!isSelectButton(event->button()) || m_drag.phase() != MarkerDrag::Phase::Idle
        || hit.kind != PanelHit::Kind::Marker)
        return;
    const unsigned generation = m_layer.generation();
    emit markerPressed(hit.marker);
    if (generation != m_layer.generation() || !m_layer.contains(hit.marker))
        return;  // the receiver rebuilt the markers
    const bool startDrag =
        event->modifiers().testFlag(Qt::ShiftModifier) || event->button() == Qt::RightButton;
    m_drag.press(hit.marker, point, startDrag);
    repaintChanged();
}

void MapPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void MapPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    switch (m_drag.phase()) {
    case MarkerDrag::Phase::Dragging: {
        const int marker = m_drag.marker();
        const DragStep step = m_drag.dragTo(point);
        setCursor(dragCursor(step.accepted, m_drag.target().kind));
        report(step, marker);
        repaintChanged();
        break;
    }
    case MarkerDrag::Phase::Pressed:
        reportPointer(point);  // the pressed marker keeps the pointer until the release
        break;
    case MarkerDrag::Phase::Idle:
        if (m_layer.hitTest(point).kind != PanelHit::Kind::Nothing)
            reportPointer(point);
        break;
    }
}

void MapPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (!isSelectButton(event->button()))
        return;
    const QPoint point = event->position().toPoint();
    if (m_drag.phase() == MarkerDrag::Phase::Dragging)
        endDrag(point);
    else if (!(event->buttons() & (Qt::LeftButton | Qt::RightButton)))
        m_drag.reset();
}

void MapPanel::endDrag(const QPoint& point)
{
    const int marker = m_drag.marker();
    bool accepted = false;
    const DragStep step = m_drag.finish(point, true, &accepted);
    unsetCursor();
    report(step, marker);
    repaintChanged();
    emit dragFinished(marker, accepted);
}

void MapPanel::reportPointer(const QPoint& point)
{
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
    if (dirty.everything) {
        update();
        return;
    }
    for (const QRect& rect : dirty.rects)
        update(rect);
}
