#include "mapview/MarkerLayer.h"

#include <algorithm>

namespace {

// Beyond this many changed rectangles one repaint of everything is cheaper than the list.
constexpr size_t kMaxDirtyRects = 64;

// A marker with a negative size is an empty one at the same place.
Marker sanitised(Marker marker)
{
    const QSize size = marker.rect.size().expandedTo(QSize(0, 0));
    marker.rect = QRect(marker.rect.topLeft(), size);
    return marker;
}

}  // namespace

QString MarkerLayer::text(int index, MarkerText which) const
{
    if (!contains(index))
        return QString();
    if (m_textSource)
        return m_textSource(index, which);
    return which == MarkerText::Tooltip ? marker(index).tooltip : marker(index).name;
}

void MarkerLayer::reserve(int count)
{
    m_markers.reserve(static_cast<size_t>(std::max(count, 0)));
    m_selectedFlags.reserve(static_cast<size_t>(std::max(count, 0)));
    m_zOrder.reserve(static_cast<size_t>(std::max(count, 0)));
}

int MarkerLayer::append(const Marker& marker)
{
    return append(Marker(marker));
}

int MarkerLayer::append(Marker&& marker)
{
    // Moved in: a big page appends tens of thousands, each sharing its group's text.
    m_markers.push_back(sanitised(std::move(marker)));
    m_selectedFlags.push_back(0);
    const int index = count() - 1;
    m_zOrder.push_back(index);
    markDirty(m_markers.back().rect);
    return index;
}

bool MarkerLayer::set(int index, const Marker& marker)
{
    if (!contains(index))
        return false;
    Marker& entry = m_markers[size_t(index)];
    const Marker replacement = sanitised(marker);
    if (entry.rect != replacement.rect || entry.fill != replacement.fill
        || entry.style != replacement.style) {
        markDirty(entry.rect);
        markDirty(replacement.rect);
    }
    entry = replacement;
    return true;
}

bool MarkerLayer::setRect(int index, const QRect& rect)
{
    if (!contains(index))
        return false;
    Marker moved = m_markers[size_t(index)];
    moved.rect = rect;
    return set(index, moved);
}

void MarkerLayer::clear()
{
    m_markers.clear();
    m_zOrder.clear();
    m_selectedFlags.clear();
    m_selected.clear();
    ++m_generation;
    markAllDirty();
}

void MarkerLayer::bringToFront(int index)
{
    if (!contains(index) || m_zOrder.back() == index)
        return;
    m_zOrder.erase(std::find(m_zOrder.begin(), m_zOrder.end(), index));
    m_zOrder.push_back(index);
    markDirty(m_markers[size_t(index)].rect);
}

void MarkerLayer::setPositionButtonRect(const QRect& rect)
{
    if (rect == m_buttonRect)
        return;
    if (m_buttonVisible) {
        markDirty(m_buttonRect);
        markDirty(rect);
    }
    m_buttonRect = rect;
}

void MarkerLayer::setPositionButtonVisible(bool visible)
{
    if (visible == m_buttonVisible)
        return;
    m_buttonVisible = visible;
    markDirty(m_buttonRect);
}

void MarkerLayer::setSelected(const std::vector<int>& indices)
{
    for (int index : m_selected) {
        m_selectedFlags[size_t(index)] = 0;
        markDirty(m_markers[size_t(index)].rect);
    }
    m_selected.clear();
    for (int index : indices) {
        if (!contains(index) || m_selectedFlags[size_t(index)])
            continue;
        m_selectedFlags[size_t(index)] = 1;
        m_selected.push_back(index);
        markDirty(m_markers[size_t(index)].rect);
    }
    std::sort(m_selected.begin(), m_selected.end());
}

std::vector<int> MarkerLayer::markersInside(const QRect& imageRect) const
{
    std::vector<int> inside;
    for (int index = 0; index < count(); ++index)
        if (isVisible(index) && imageRect.contains(m_markers[size_t(index)].rect.center()))
            inside.push_back(index);
    return inside;
}

void MarkerLayer::setHiddenStyles(const QSet<QString>& styles)
{
    if (styles == m_hidden)
        return;
    m_hidden = styles;
    markAllDirty();
}

bool MarkerLayer::isVisible(int index) const
{
    const Marker& entry = marker(index);
    return !entry.rect.isEmpty() && !m_hidden.contains(entry.style);
}

QRect MarkerLook::drawnRect(const QRect& screen) const
{
    const int side = scale == MarkerScale::Small ? kSmallSide : scale == MarkerScale::Tiny ? kTinySide : 0;
    if (side == 0 || (screen.width() <= side && screen.height() <= side))
        return screen;
    const QSize size(std::min(screen.width(), side), std::min(screen.height(), side));
    // The same centre as the marker's own, halves rounded down as everywhere.
    const QPoint centre = screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2);
    return QRect(centre - QPoint(size.width() / 2, size.height() / 2), size);
}

void MarkerLayer::setLook(const MarkerLook& look)
{
    m_look = look;
    markAllDirty();
}

PanelHit MarkerLayer::hitTest(const QPoint& point, const MapView& view) const
{
    for (auto it = m_zOrder.rbegin(); it != m_zOrder.rend(); ++it)
        if (isVisible(*it) && screenRect(*it, view).contains(point))
            return {PanelHit::Kind::Marker, *it};
    if (m_buttonVisible && view.toScreen(m_buttonRect).contains(point))
        return {PanelHit::Kind::PositionButton, -1};
    if (view.screenArea().contains(point) && m_imageArea.contains(view.toImage(point)))
        return {PanelHit::Kind::Image, -1};
    return {};
}

MarkerLayer::Dirty MarkerLayer::takeDirty()
{
    Dirty taken;
    std::swap(taken, m_dirty);
    return taken;
}

void MarkerLayer::markDirty(const QRect& rect)
{
    if (m_dirty.everything || rect.isEmpty())
        return;
    if (m_dirty.rects.size() >= kMaxDirtyRects) {
        markAllDirty();
        return;
    }
    // The selection ring reaches past the marker.
    m_dirty.rects.push_back(rect.adjusted(-kSelectionRing, -kSelectionRing, kSelectionRing, kSelectionRing));
}

void MarkerLayer::markAllDirty()
{
    m_dirty.everything = true;
    m_dirty.rects.clear();
}
