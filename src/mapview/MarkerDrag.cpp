#include "mapview/MarkerDrag.h"

#include "mapview/MarkerGeometry.h"

namespace {

// The top-left corner that centres a box of `size` on `centre`, halves rounded down.
QPoint centredCorner(const QPoint& centre, const QSize& size)
{
    return {centre.x() - HalfDown(size.width()), centre.y() - HalfDown(size.height())};
}

}  // namespace

void MarkerDrag::press(int index, const QPoint& point, bool startDrag)
{
    if (m_phase != Phase::Idle || !m_layer.contains(index))
        return;
    m_layer.bringToFront(index);
    m_marker = index;
    m_generation = m_layer.generation();
    m_target = {};
    m_lastPoint = point;
    m_hasLocation = false;
    if (startDrag) {
        m_layer.setPositionButtonVisible(false);
        m_phase = Phase::Dragging;
    } else {
        m_phase = Phase::Pressed;
    }
}

DragStep MarkerDrag::dragTo(const QPoint& point)
{
    DragStep step;
    if (m_phase != Phase::Dragging)
        return step;
    if (stale()) {
        reset();
        return step;
    }
    const PanelHit target = m_layer.hitTest(point, m_view);
    if (target != m_target) {
        notify(m_target, Notice::Leave, m_lastPoint, step);
        m_target = target;
        notify(m_target, Notice::Enter, point, step);
    }
    step.accepted = notify(m_target, Notice::Move, point, step);
    m_lastPoint = point;
    return step;
}

DragStep MarkerDrag::finish(const QPoint& point, bool drop, bool* accepted)
{
    DragStep step;
    bool taken = false;
    if (m_phase == Phase::Dragging && !stale()) {
        if (point != m_lastPoint)
            step = dragTo(point);
        taken = notify(m_target, Notice::Leave, m_lastPoint, step) && drop;
        if (taken && m_target.kind == PanelHit::Kind::Marker) {
            // Dropped on itself: the position button frames the new location.
            const QSize size = m_layer.positionButtonRect().size();
            m_layer.setPositionButtonRect(QRect(centredCorner(m_location, size), size));
            m_layer.setPositionButtonVisible(true);
        }
    }
    reset();
    if (accepted)
        *accepted = taken;
    return step;
}

void MarkerDrag::reset()
{
    m_phase = Phase::Idle;
    m_marker = -1;
    m_target = {};
}

bool MarkerDrag::notify(const PanelHit& target, Notice notice, const QPoint& point,
                        DragStep& step)
{
    switch (target.kind) {
    case PanelHit::Kind::Image:
        return overImage(notice, point, step);
    case PanelHit::Kind::Marker:
        // Only the dragged marker takes a marker; the position button and the rest refuse.
        return target.marker == m_marker && overDraggedMarker(notice, point, step);
    case PanelHit::Kind::PositionButton:
    case PanelHit::Kind::Nothing:
        break;
    }
    return false;
}

bool MarkerDrag::overImage(Notice notice, const QPoint& screen, DragStep& step)
{
    const QPoint point = m_view.toImage(screen);
    const QSize size = m_layer.marker(m_marker).rect.size();
    m_layer.setRect(m_marker, QRect(centredCorner(point, size), size));
    setLocation(point, step);
    if (notice == Notice::Enter)
        m_layer.setPositionButtonVisible(false);
    return true;
}

bool MarkerDrag::overDraggedMarker(Notice notice, const QPoint& screen, DragStep& step)
{
    const QPoint point = m_view.toImage(screen);
    // Moving by the pointer's offset from the centre is the same as centring on the pointer.
    const QSize size = m_layer.marker(m_marker).rect.size();
    const QRect moved(centredCorner(point, size), size);
    m_layer.setRect(m_marker, moved);
    setLocation(moved.topLeft() + QPoint(HalfDown(size.width()), HalfDown(size.height())), step);
    if (notice == Notice::Leave) {
        const QSize button = m_layer.positionButtonRect().size();
        const QSize margin = button - size;
        const QPoint corner(moved.left() - HalfDown(margin.width()),
                            moved.top() - HalfDown(margin.height()));
        m_layer.setPositionButtonRect(QRect(corner, button));
        m_layer.setPositionButtonVisible(true);
    } else if (notice == Notice::Enter) {
        m_layer.setPositionButtonVisible(false);
    }
    return true;
}

DragStep MarkerDrag::nudge(int index, const QPoint& delta)
{
    DragStep step;
    if (m_phase != Phase::Idle || !m_layer.contains(index) || !m_layer.isVisible(index))
        return step;
    const QRect moved = m_layer.marker(index).rect.translated(delta);
    m_layer.setRect(index, moved);
    if (m_layer.positionButtonVisible())
        m_layer.setPositionButtonRect(m_layer.positionButtonRect().translated(delta));
    step.location = moved.topLeft() + QPoint(HalfDown(moved.width()), HalfDown(moved.height()));
    step.accepted = true;
    return step;
}

void MarkerDrag::setLocation(const QPoint& location, DragStep& step)
{
    // Like a spin edit set to the value it holds, an unchanged location is no change.
    if (m_hasLocation && location == m_location)
        return;
    m_hasLocation = true;
    m_location = location;
    step.location = location;
}

bool MarkerDrag::stale() const
{
    return m_layer.generation() != m_generation || !m_layer.contains(m_marker);
}
