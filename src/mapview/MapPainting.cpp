#include "mapview/MapPainting.h"

#include <QPainter>

namespace {

const QColor kMarkerOutline = Qt::black;
const QColor kButtonFill = Qt::red;
const QColor kButtonOutline = Qt::yellow;
const QColor kLabelColour = Qt::black;
// A light rim keeps a label readable on dark parts of a map.
const QColor kLabelHalo(255, 255, 255, 160);
const QPoint kHaloOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
// The rounded square's corners: a quarter of its side as corner diameter.
constexpr qreal kButtonCornerFraction = 0.125;
// Room between a marker and its label, in pixels.
constexpr int kLabelGap = 2;

// Qt pens draw a rectangle one pixel wider than given; this keeps a shape inside `rect`.
QRect outlineRect(const QRect& rect)
{
    return rect.adjusted(0, 0, -1, -1);
}

void paintLabel(QPainter& painter, const QRect& marker, const QString& name)
{
    if (name.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect box(marker.right() + 1 + kLabelGap, marker.center().y() - metrics.height() / 2,
                    metrics.horizontalAdvance(name) + 1, metrics.height());
    painter.setPen(kLabelHalo);
    for (const QPoint& offset : kHaloOffsets)
        painter.drawText(box.translated(offset), Qt::AlignLeft | Qt::AlignVCenter, name);
    painter.setPen(kLabelColour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, name);
    painter.setPen(kMarkerOutline);
}

}  // namespace

void PaintPositionButton(QPainter& painter, const MarkerLayer& layer, const MapView& view)
{
    if (!layer.positionButtonVisible())
        return;
    const QRect button = view.toScreen(layer.positionButtonRect());
    const qreal radius = qMin(button.width(), button.height()) * kButtonCornerFraction;
    painter.setPen(kButtonOutline);
    painter.setBrush(kButtonFill);
    painter.drawRoundedRect(outlineRect(button), radius, radius);
}

void PaintMarkers(QPainter& painter, const MarkerLayer& layer, const QRect& area, const MapView& view,
                  bool labels)
{
    painter.setPen(kMarkerOutline);
    // A page uses a handful of fills: the brush changes only when the colour does, instead of
    // being made anew for each of thousands of markers.
    bool brushSet = false;
    QColor brushColour;
    for (int index : layer.zOrder()) {
        if (!layer.isVisible(index))
            continue;
        const Marker& marker = layer.marker(index);
        const QRect rect = view.toScreen(marker.rect);
        if (labels)
            paintLabel(painter, rect, marker.name);
        if (!rect.intersects(area))
            continue;
        if (!brushSet || marker.fill != brushColour) {
            painter.setBrush(marker.fill);
            brushColour = marker.fill;
            brushSet = true;
        }
        painter.drawEllipse(outlineRect(rect));
    }
}

QImage RenderMapPicture(const QImage& map, const MarkerLayer& layer, bool labels)
{
    const QRect area = MarkerLayer::kImageArea & map.rect();
    QImage picture(area.isEmpty() ? MarkerLayer::kImageArea.size() : area.size(),
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    if (!area.isEmpty())
        painter.drawImage(QPoint(0, 0), map, area);
    PaintMarkers(painter, layer, picture.rect(), MapView{}, labels);
    painter.end();
    return picture.convertToFormat(QImage::Format_ARGB32);
}
