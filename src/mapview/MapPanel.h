#pragma once
// The map panel Panel1: one widget that paints the map image, the position button and the POI
// markers in z-order, hit-tests them, shows marker tooltips and turns mouse gestures into marker
// selection, dragging and status texts. It zooms and pans the image (markers keep their screen
// size; every position it reports is in image pixels). It never calls into the document: it
// reports through signals that the main window connects.

#include "mapview/EditorState.h"
#include "mapview/MarkerDrag.h"
#include "mapview/MarkerLayer.h"

#include <QImage>
#include <QSet>
#include <QWidget>

#include <optional>
#include <vector>

// The map panel with its image, markers and position button.
class MapPanel : public QWidget {
    Q_OBJECT

public:
    // The described size; a grown window gives the panel more, all of it to the map.
    static constexpr QSize kPanelSize{519, 518};

    explicit MapPanel(QWidget* parent = nullptr);

    // The state whose zone rectangle, page size and DocLoaded give the world location text of
    // the status bar; without one that text stays empty.
    void setEditorState(const EditorState* state) { m_state = state; }

    // Image1: drawn unscaled at 0,0, whole (mapDisplayImage cuts it); its alpha shows the panel
    // colour. An image larger than the image area is scrolled to, as a zoomed one is.
    void setMapImage(const QImage& image);
    const QImage& mapImage() const { return m_image; }

    // The marker list; a marker's index is its POI's index.
    int markerCount() const { return m_layer.count(); }
    const MarkerLayer& markerLayer() const { return m_layer; }
    // Appends a marker on top of the others and returns its index.
    int appendMarker(const QRect& rect, const QColor& fill, const QString& tooltip);
    int appendMarker(const Marker& marker);
    void setMarkerTextSource(MarkerTextSource source) { m_layer.setTextSource(std::move(source)); }
    // Appends many markers with one repaint.
    void appendMarkers(const std::vector<Marker>& markers);
    // Appends count markers, markerAt(i) the i-th, with one repaint and without a list of them
    // all beside the panel's own.
    void appendMarkers(int count, const std::function<Marker(int)>& markerAt);
    // Re-places marker `index`; false when there is none.
    bool setMarker(int index, const QRect& rect, const QColor& fill, const QString& tooltip);
    bool setMarker(int index, const Marker& marker);
    // Removes every marker and ends a gesture in progress.
    void clearMarkers();
    void bringMarkerToFront(int index);
    QRect markerRect(int index) const;
    QColor markerColour(int index) const;
    QString markerTooltip(int index) const;
    // Marker indices from the bottom to the top.
    const std::vector<int>& markerZOrder() const { return m_layer.zOrder(); }
    // The topmost visible marker under the panel position `point`, or -1.
    int markerAt(const QPoint& point) const;
    // The style groups of the markers, in no order.
    QSet<QString> markerStyles() const;
    // Markers of these style groups are neither drawn nor hit.
    void setHiddenStyles(const QSet<QString>& styles);
    const QSet<QString>& hiddenStyles() const { return m_layer.hiddenStyles(); }
    // How the markers are drawn and hit (View > Marker Style and Marker Size).
    void setMarkerLook(const MarkerLook& look);

    // Zoom, kept between kMinZoom and kMaxZoom; the image pixel under `anchor` (panel
    // position) stays under it.
    static constexpr double kMinZoom = 0.5;
    static constexpr double kMaxZoom = 8.0;
    double zoom() const { return m_view.zoom; }
    void setZoom(double zoom, const QPoint& anchor = QPoint());
    // One step up or down the zoom ladder.
    void zoomIn(const QPoint& anchor);
    void zoomOut(const QPoint& anchor);
    QPoint scrollOffset() const { return m_view.scroll; }
    // Scrolls by `delta` screen pixels, kept so that the image fills the view where it can.
    void scrollBy(const QPoint& delta);
    const MapView& view() const { return m_view; }
    // Scrolls so that the image pixel `image` is at the centre of the view, where it can be.
    void centreOn(const QPoint& image);
    // The centre of the map's part of the panel: the anchor of zooming by key.
    QPoint viewCentre() const { return m_view.screenArea().center(); }

    // Moves marker `index` by `delta` image pixels through the same signals as a drag.
    void nudgeMarker(int index, const QPoint& delta);
    // The map at 100 % with every visible marker, optionally labelled with the POI names.
    QImage picture(bool labels) const;
    // The tooltip shown when the pointer rests at `point` (empty: none).
    QString toolTipAt(const QPoint& point) const;

    // posbtn: frames the selected POI, beneath the markers.
    void setPositionButtonGeometry(const QRect& rect);
    QRect positionButtonGeometry() const { return m_layer.positionButtonRect(); }
    void setPositionButtonVisible(bool visible);
    bool positionButtonVisible() const { return m_layer.positionButtonVisible(); }

    MarkerDrag::Phase pointerPhase() const { return m_drag.phase(); }

    // The markers shown selected (the selected POIs), ascending.
    void setSelectedMarkers(const std::vector<int>& indices);
    const std::vector<int>& selectedMarkers() const { return m_layer.selected(); }

signals:
    // The left or right button went down on marker `poiIndex`: select its POI in the tree.
    void markerPressed(int poiIndex);
    // Ctrl and the left button on marker `poiIndex`: add it to the selection or take it out.
    void markerToggled(int poiIndex);
    // A drag of the selected markers starts at marker `poiIndex`: it becomes the current POI and
    // the selection stays.
    void groupPressed(int poiIndex);
    // A drag of the selected markers ended, having moved them all by `delta` image pixels.
    void groupMoved(QPoint delta);
    // A rubber band drawn with the left button from empty map closed over these markers;
    // `add`: Ctrl was held, so they join the selection.
    void markersBanded(const std::vector<int>& indices, bool add);
    // The left button went down twice on marker `poiIndex` (after its press): a link is followed.
    void markerDoubleClicked(int poiIndex);
    // A plain click (no drag, no Ctrl) on empty map: nothing is selected any more.
    void emptyMapClicked();
    // The right button on empty map at `imagePos`; `globalPos` is where a menu belongs.
    void contextMenuAt(QPoint imagePos, QPoint globalPos);
    // A drag moved marker `poiIndex`; `location` is the new value of the location fields.
    void markerDragged(int poiIndex, QPoint location);
    // A drag of marker `poiIndex` ended; `accepted` is false when it ended over no target.
    void dragFinished(int poiIndex, bool accepted);
    // An arrow key asks to move the selected marker by `delta` image pixels.
    void nudgeRequested(QPoint delta);
    // The pointer moved over the image, a marker or the position button (image position).
    void pointerMoved(QPoint imagePos);
    // Status bar panels 1 and 2 for the pointer position.
    void statusTextsChanged(const QString& positionText, const QString& worldText);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void reportPointer(const QPoint& point);
    // A press on no marker: the left button starts a rubber band, the right one asks for a menu.
    void pressOnMap(QMouseEvent* event, const PanelHit& hit);
    void startGroupDrag();
    // The other selected markers follow the dragged one; the offset moved so far.
    QPoint followGroup(int dragged);
    void endBand(const QPoint& point);
    void report(const DragStep& step, int marker);
    void endDrag(const QPoint& point);
    void repaintChanged();
    void setView(const MapView& view);
    QPoint clampedScroll(const QPoint& scroll) const;

    const EditorState* m_state = nullptr;
    QImage m_image;
    MarkerLayer m_layer;
    MarkerDrag m_drag{m_layer};
    MapView m_view;
    std::optional<QPoint> m_panFrom;  // the middle button is panning from here
    // A rubber band from m_bandFrom to m_bandTo (screen), adding to the selection or not.
    std::optional<QPoint> m_bandFrom;
    QPoint m_bandTo;
    bool m_bandAdds = false;
    // A drag of the selected markers: where each was when it started (as selectedMarkers()).
    bool m_groupDrag = false;
    std::vector<QRect> m_groupStart;
    QRect m_groupDraggedStart;
    int m_wheelZoom = 0;  // Ctrl+wheel turn not yet used for a zoom step
};
