#pragma once
// Pointer gestures on the map panel as an explicit state machine (idle, pressed, dragging) over a
// MarkerLayer. A drag follows the rules of the two drop targets: over the dragged marker itself
// the marker moves by the pointer's offset from its centre, over the image it is centred on the
// pointer, anywhere else the drag is refused and nothing moves. Each target is told when the
// pointer enters it, moves over it and leaves it (a leave reports the last position over it), and
// a drop first leaves the current target; the position button hides and shows as the targets
// say. No widget code: the map panel feeds positions in and turns the results into signals.

#include "mapview/MarkerLayer.h"

#include <QPoint>

#include <optional>

// What a gesture step changed for the owner of the location fields.
struct DragStep {
    std::optional<QPoint> location;  // new value of the location fields, when a rule set it
    bool accepted = false;           // the target under the pointer takes the marker
};

// The state of one pointer gesture over the marker layer.
class MarkerDrag {
public:
    enum class Phase { Idle, Pressed, Dragging };

    explicit MarkerDrag(MarkerLayer& layer) : m_layer(layer) {}

    Phase phase() const { return m_phase; }
    int marker() const { return m_marker; }
    // The location fields as the drag last set them.
    QPoint location() const { return m_location; }
    // What the pointer is over while dragging.
    PanelHit target() const { return m_target; }

    // A button went down at `point` on marker `index`: brings it to the front and, when
    // `startDrag`, hides the position button and starts dragging at once (no threshold).
    // Ignored unless idle.
    void press(int index, const QPoint& point, bool startDrag);
    // The pointer moved to `point` (panel coordinates) while dragging.
    DragStep dragTo(const QPoint& point);
    // The button came up at `point`: a drag drops on its current target (or, when `drop` is
    // false, is cancelled after leaving it). Returns to idle; `accepted` tells whether a target
    // took the drop.
    DragStep finish(const QPoint& point, bool drop, bool* accepted = nullptr);
    // Forgets the gesture without any effect (the markers were replaced under it).
    void reset();

    // The zoom and scroll the pointer positions are given in; the rules work on the image
    // pixel under the pointer.
    void setView(const MapView& view) { m_view = view; }
    // Moves marker `index` by `delta` image pixels as a drop on itself would: the location
    // fields follow its centre and a shown position button moves along. Ignored during a
    // gesture or for a hidden marker.
    DragStep nudge(int index, const QPoint& delta);

private:
    enum class Notice { Enter, Move, Leave };

    // Applies the rule of `target` for `notice` at `point`; false when the target refuses.
    bool notify(const PanelHit& target, Notice notice, const QPoint& point, DragStep& step);
    bool overImage(Notice notice, const QPoint& point, DragStep& step);
    bool overDraggedMarker(Notice notice, const QPoint& point, DragStep& step);
    void setLocation(const QPoint& location, DragStep& step);
    bool stale() const;

    MarkerLayer& m_layer;
    MapView m_view;
    Phase m_phase = Phase::Idle;
    int m_marker = -1;
    unsigned m_generation = 0;
    PanelHit m_target;  // Kind::Nothing until the first move
    QPoint m_lastPoint;  // where the pointer was last seen: the press, then each move
    QPoint m_location;
    bool m_hasLocation = false;  // the drag has set the location fields
};
