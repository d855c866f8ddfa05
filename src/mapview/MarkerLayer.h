#pragma once
// The contents of the map panel without the widget: the markers (one per POI, index = POI index)
// in their z-order, the position button, the image area, hit testing from the top down and the
// list of rectangles that changed since the last repaint.

#include "mapview/MapView.h"

#include <QColor>
#include <QRect>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

// One POI's marker: an ellipse filling `rect`.
struct Marker {
    QRect rect;
    QColor fill;
    QString tooltip;
    QString style;  // the style group that the View menu shows or hides ("NPC", "other", ...)
    QString name;   // the label of an exported picture
};

// How markers are drawn: filled discs (as described) or rings that let the map show inside.
enum class MarkerFill { Filled, Outline };
// How large markers are drawn and hit: their own size (as described), or at most a few pixels.
enum class MarkerScale { Described, Small, Tiny };
struct MarkerLook {
    static constexpr int kSmallSide = 10;
    static constexpr int kTinySide = 6;
    static constexpr int kOutlineWidth = 2;

    MarkerFill fill = MarkerFill::Filled;
    MarkerScale scale = MarkerScale::Described;

    // Where a marker lying at `screen` (its own size) is drawn: centred on the same point, no
    // larger than the scale allows.
    QRect drawnRect(const QRect& screen) const;
};

// The texts of a marker that are shown only now and then. A link's label is drawn beside it always.
enum class MarkerText { Tooltip, Name, Label };
// Gives a marker's text when it is shown, so that thousands of markers need not hold theirs.
using MarkerTextSource = std::function<QString(int index, MarkerText which)>;

// What lies under a point of the panel, from the top: a marker, the position button, the image.
struct PanelHit {
    enum class Kind { Nothing, Image, Marker, PositionButton };

    Kind kind = Kind::Nothing;
    int marker = -1;  // the marker's index for Kind::Marker

    bool operator==(const PanelHit& other) const
    {
        return kind == other.kind && marker == other.marker;
    }
    bool operator!=(const PanelHit& other) const { return !(*this == other); }
};

// The marker list with z-order and the position button of the map panel.
class MarkerLayer {
public:
    // The map image control covers this area of the panel, whatever the image's size.
    static constexpr QRect kImageArea{0, 0, 512, 512};
    // The image pixels that are map, which a pointer may reach by scrolling: the shown image's,
    // and at least kImageArea (the area a page of today's maps takes).
    const QRect& imageArea() const { return m_imageArea; }
    void setImageSize(const QSize& size) { m_imageArea = kImageArea | QRect(QPoint(0, 0), size); }
    // Where the position button sits before any POI was selected.
    static constexpr QRect kPositionButtonStart{6, 5, 12, 12};
    // The selection ring lies this many pixels outside a marker.
    static constexpr int kSelectionRing = 3;

    int count() const { return static_cast<int>(m_markers.size()); }
    bool contains(int index) const { return index >= 0 && index < count(); }
    const Marker& marker(int index) const { return m_markers.at(static_cast<size_t>(index)); }
    // A marker's tooltip or name: from the text source when there is one, else the marker's own.
    QString text(int index, MarkerText which) const;
    void setTextSource(MarkerTextSource source) { m_textSource = std::move(source); }

    // Room for count markers in all, so that appending a page's markers grows the list once.
    void reserve(int count);
    // Appends a marker on top of all others; returns its index.
    int append(const Marker& marker);
    int append(Marker&& marker);
    // Replaces marker `index` (its z-order stays); false when there is no such marker.
    bool set(int index, const Marker& marker);
    bool setRect(int index, const QRect& rect);
    void clear();
    void bringToFront(int index);
    // Marker indices from the bottom to the top.
    const std::vector<int>& zOrder() const { return m_zOrder; }
    // Changes whenever the list is cleared, so a holder of an index can tell it went stale.
    unsigned generation() const { return m_generation; }

    const QRect& positionButtonRect() const { return m_buttonRect; }
    bool positionButtonVisible() const { return m_buttonVisible; }
    void setPositionButtonRect(const QRect& rect);
    void setPositionButtonVisible(bool visible);

    // The markers of the selected POIs, drawn with a ring; the list is cleared with the markers.
    // Indices out of range are left out.
    void setSelected(const std::vector<int>& indices);
    bool isSelected(int index) const { return contains(index) && m_selectedFlags[size_t(index)] != 0; }
    // Ascending.
    const std::vector<int>& selected() const { return m_selected; }
    // The visible markers whose centre lies inside `imageRect` (image pixels), ascending.
    std::vector<int> markersInside(const QRect& imageRect) const;

    // How every marker is drawn and hit.
    void setLook(const MarkerLook& look);
    const MarkerLook& look() const { return m_look; }
    // Where marker `index` is drawn and hit on screen as `view` shows the layer.
    QRect screenRect(int index, const MapView& view) const { return m_look.drawnRect(view.toScreen(marker(index).rect)); }

    // Style groups whose markers are neither drawn nor hit; they stay in the list.
    void setHiddenStyles(const QSet<QString>& styles);
    const QSet<QString>& hiddenStyles() const { return m_hidden; }
    // Drawn and hit: not empty and of a shown style.
    bool isVisible(int index) const;

    // The topmost thing under the screen position `point` as `view` shows the layer; markers
    // lie above the position button, which lies above the image. Empty and hidden markers are
    // never hit. Markers and the button keep their size at every zoom.
    PanelHit hitTest(const QPoint& point, const MapView& view = {}) const;

    // Rectangles to repaint since the last call; `everything` when too many changed to list.
    struct Dirty {
        bool everything = false;
        std::vector<QRect> rects;
    };
    Dirty takeDirty();

private:
    void markDirty(const QRect& rect);
    void markAllDirty();

    std::vector<Marker> m_markers;
    std::vector<int> m_zOrder;
    std::vector<char> m_selectedFlags;  // one per marker
    std::vector<int> m_selected;
    QRect m_imageArea = kImageArea;
    QRect m_buttonRect = kPositionButtonStart;
    bool m_buttonVisible = false;
    unsigned m_generation = 0;
    QSet<QString> m_hidden;
    MarkerLook m_look;
    Dirty m_dirty;
    MarkerTextSource m_textSource;
};
