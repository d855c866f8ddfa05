#include "mapview/MapPainting.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor kMarkerOutline = Qt::black;
// Selected markers: a ring in a colour no marker fill uses.
const QColor kSelectionRing(0, 230, 255);
constexpr int kSelectionPenWidth = 2;
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

// Markers larger than this are drawn directly: a copy for them would cost more than it saves.
constexpr int kMaxSpriteSide = 64;

void paintMarkerShape(QPainter& painter, const QRect& rect, const QColor& fill)
{
    painter.setBrush(fill);
    painter.drawEllipse(outlineRect(rect));
}

// The smallest rectangle holding every pixel of `image` that is not fully transparent.
QRect paintedPart(const QImage& image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Each marker of one fill and size drawn once, then copied: a page shows thousands of markers in
// a handful of looks. Marker shapes are drawn without antialiasing in opaque colours, so a copy
// at a whole-pixel position gives the very pixels of drawing the shape there.
class MarkerSprites {
public:
    struct Sprite {
        QRgb fill;
        QSize size;
        QPoint offset;  // of the copy's top left from the marker's
        QImage image;
    };

    const Sprite* find(const QColor& fill, const QSize& size)
    {
        if (size.width() <= 0 || size.height() <= 0 || size.width() > kMaxSpriteSide
            || size.height() > kMaxSpriteSide || fill.alpha() != 255)
            return nullptr;
        const QRgb key = fill.rgba();
        for (const Sprite& sprite : m_sprites)
            if (sprite.fill == key && sprite.size == size)
                return &sprite;
        // Flat ellipses are drawn reaching past their rectangle: room on every side, then the
        // copy keeps only what was drawn.
        const int margin = std::max(size.width(), size.height()) + 2;
        QImage canvas(size + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        painter.setPen(kMarkerOutline);
        paintMarkerShape(painter, QRect(QPoint(margin, margin), size), fill);
        painter.end();
        const QRect part = paintedPart(canvas);
        m_sprites.push_back({key, size, part.topLeft() - QPoint(margin, margin), canvas.copy(part)});
        return &m_sprites.back();
    }

private:
    std::vector<Sprite> m_sprites;
};

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
                  bool labels, bool selection)
{
    painter.setPen(kMarkerOutline);
    // Copies are exact only where nothing turns or smooths what is drawn.
    const QTransform& transform = painter.transform();
    const bool copies = transform.type() <= QTransform::TxTranslate
        && transform.dx() == std::floor(transform.dx()) && transform.dy() == std::floor(transform.dy())
        && !painter.testRenderHint(QPainter::Antialiasing)
        && painter.compositionMode() == QPainter::CompositionMode_SourceOver;
    MarkerSprites sprites;
    for (int index : layer.zOrder()) {
        if (!layer.isVisible(index))
            continue;
        const Marker& marker = layer.marker(index);
        const QRect rect = view.toScreen(marker.rect);
        if (labels)
            paintLabel(painter, rect, layer.text(index, MarkerText::Name));
        if (!rect.intersects(area))
            continue;
        const MarkerSprites::Sprite* sprite = copies ? sprites.find(marker.fill, rect.size()) : nullptr;
        if (sprite)
            painter.drawImage(rect.topLeft() + sprite->offset, sprite->image);
        else
            paintMarkerShape(painter, rect, marker.fill);
        if (selection && layer.isSelected(index)) {
            const int ring = MarkerLayer::kSelectionRing;
            // Thin pens take the fast path: two rings of one pixel rather than one of two.
            painter.setPen(kSelectionRing);
            painter.setBrush(Qt::NoBrush);
            for (int inset = 0; inset < kSelectionPenWidth; ++inset)
                painter.drawEllipse(outlineRect(rect.adjusted(inset - ring, inset - ring, ring - inset, ring - inset)));
            painter.setPen(kMarkerOutline);
        }
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
