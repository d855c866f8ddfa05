#include "mapview/MapPainting.h"

#include "mapview/MarkerGeometry.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
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
// A link's arrow shaft is this part of its width on each side of the middle.
constexpr int kLinkShaftPart = 6;

// Fonts of emoji and signs on Debian and on Windows, best first. Named before the system's own
// fallbacks, since some systems list none of them for the label's font.
const char* const kSignFamilies[] = {"Noto Color Emoji", "Noto Emoji", "Segoe UI Emoji", "Segoe UI Symbol",
                                     "Symbola"};

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

// A link's sign: an arrow pointing up across its rectangle, in its colour.
void paintLinkSign(QPainter& painter, const QRect& rect, const QColor& fill, MarkerFill look)
{
    const QRect box = outlineRect(rect);
    const int middle = box.center().x();
    const int shaft = std::max(1, box.width() / kLinkShaftPart);
    const int barb = box.top() + box.height() / 2;
    const QPoint arrow[] = {{middle, box.top()},        {box.right(), barb},       {middle + shaft, barb},
                            {middle + shaft, box.bottom()}, {middle - shaft, box.bottom()}, {middle - shaft, barb},
                            {box.left(), barb}};
    const QPen outline = painter.pen();
    if (look == MarkerFill::Filled) {
        painter.setBrush(fill);
    } else {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(fill, MarkerLook::kOutlineWidth));
    }
    painter.drawPolygon(arrow, static_cast<int>(std::size(arrow)));
    painter.setPen(outline);
}

void paintMarkerShape(QPainter& painter, const QRect& rect, const QColor& fill, MarkerFill look)
{
    if (look == MarkerFill::Filled) {
        painter.setBrush(fill);
        painter.drawEllipse(outlineRect(rect));
        return;
    }
    // A ring in the type's colour inside the marker's rectangle: the map shows within it.
    const QPen outline = painter.pen();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(fill);
    for (int inset = 0; inset < MarkerLook::kOutlineWidth; ++inset)
        painter.drawEllipse(outlineRect(rect.adjusted(inset, inset, -inset, -inset)));
    painter.setPen(outline);
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
    explicit MarkerSprites(MarkerFill look) : m_look(look) {}

    // A run of pixels on one line of a copy, from `left` up to `right` (excluded).
    struct Run {
        int y;
        int left;
        int right;
    };

    struct Sprite {
        QRgb fill;
        QSize size;
        QPoint offset;  // of the copy's top left from the marker's
        QImage image;
        std::vector<Run> painted;  // every pixel that is not fully transparent
        std::vector<Run> opaque;   // those that hide what lies under them
    };

    // The copy for a fill and size, as an index for at(); -1 when the shape is drawn directly.
    int find(const QColor& fill, const QSize& size)
    {
        if (size.width() <= 0 || size.height() <= 0 || size.width() > kMaxSpriteSide
            || size.height() > kMaxSpriteSide || fill.alpha() != 255)
            return -1;
        const QRgb key = fill.rgba();
        for (std::size_t i = 0; i < m_sprites.size(); ++i)
            if (m_sprites[i].fill == key && m_sprites[i].size == size)
                return static_cast<int>(i);
        // Flat ellipses are drawn reaching past their rectangle: room on every side, then the
        // copy keeps only what was drawn.
        const int margin = std::max(size.width(), size.height()) + 2;
        QImage canvas(size + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        painter.setPen(kMarkerOutline);
        paintMarkerShape(painter, QRect(QPoint(margin, margin), size), fill, m_look);
        painter.end();
        const QRect part = paintedPart(canvas);
        Sprite sprite{key, size, part.topLeft() - QPoint(margin, margin), canvas.copy(part), {}, {}};
        sprite.painted = runs(sprite.image, [](int alpha) { return alpha != 0; });
        sprite.opaque = runs(sprite.image, [](int alpha) { return alpha == 255; });
        m_sprites.push_back(std::move(sprite));
        return static_cast<int>(m_sprites.size()) - 1;
    }

    const Sprite& at(int index) const { return m_sprites[static_cast<std::size_t>(index)]; }

private:
    template <typename Test>
    static std::vector<Run> runs(const QImage& image, Test test)
    {
        std::vector<Run> found;
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width();) {
                if (!test(qAlpha(line[x]))) {
                    ++x;
                    continue;
                }
                const int left = x;
                while (x < image.width() && test(qAlpha(line[x])))
                    ++x;
                found.push_back({y, left, x});
            }
        }
        return found;
    }

    MarkerFill m_look;
    std::vector<Sprite> m_sprites;
};

// Whether none of count bytes (each 0 or 1) is 0. Runs are a marker's width, a few bytes: eight
// at a time inline, as a call per run cost more than the looking.
inline bool allHidden(const unsigned char* bytes, std::size_t count)
{
    constexpr std::uint64_t kAllOnes = 0x0101010101010101ull;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= count; i += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (word != kAllOnes)
            return false;
    }
    for (; i < count; ++i)
        if (bytes[i] == 0)
            return false;
    return true;
}

// Which copies need not be made: on a crowded map, most markers lie under others. Going from the
// top marker down, a copy whose every painted pixel a copy above it covers with an opaque one is
// left out; the picture stays the very same. Only copies wholly inside `area` are left out, and
// only copies cover: shapes drawn directly may let something through.
std::vector<bool> coveredCopies(const std::vector<int>& order, const std::vector<int>& copyOf,
                                const std::vector<QRect>& rects, const MarkerSprites& sprites, const QRect& area,
                                const std::vector<bool>& keep)
{
    std::vector<bool> covered(order.size(), false);
    if (area.isEmpty())
        return covered;
    const int width = area.width();
    std::vector<unsigned char> hidden(static_cast<std::size_t>(width) * static_cast<std::size_t>(area.height()), 0);
    auto line = [&](int y) { return hidden.data() + static_cast<std::size_t>(y - area.top()) * width - area.left(); };
    for (std::size_t z = order.size(); z-- > 0;) {
        if (copyOf[z] < 0)
            continue;
        const MarkerSprites::Sprite& sprite = sprites.at(copyOf[z]);
        const QRect copy(rects[z].topLeft() + sprite.offset, sprite.image.size());
        if (!area.contains(copy))
            continue;
        const QPoint at = copy.topLeft();
        if (!keep[z]) {
            covered[z] = std::all_of(sprite.painted.begin(), sprite.painted.end(), [&](const MarkerSprites::Run& run) {
                return allHidden(line(at.y() + run.y) + at.x() + run.left, static_cast<std::size_t>(run.right - run.left));
            });
            if (covered[z])
                continue;
        }
        for (const MarkerSprites::Run& run : sprite.opaque) {
            unsigned char* pixels = line(at.y() + run.y) + at.x() + run.left;
            std::memset(pixels, 1, static_cast<std::size_t>(run.right - run.left));
        }
    }
    return covered;
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
                  bool labels, bool selection)
{
    painter.setPen(kMarkerOutline);
    // Copies are exact only where nothing turns or smooths what is drawn.
    const QTransform& transform = painter.transform();
    const bool copies = transform.type() <= QTransform::TxTranslate
        && transform.dx() == std::floor(transform.dx()) && transform.dy() == std::floor(transform.dy())
        && !painter.testRenderHint(QPainter::Antialiasing)
        && painter.compositionMode() == QPainter::CompositionMode_SourceOver;
    MarkerSprites sprites(layer.look().fill);
    const std::vector<int>& order = layer.zOrder();
    // Where each visible marker lies and which copy it takes, bottom to top.
    std::vector<QRect> rects(order.size());
    std::vector<int> copyOf(order.size(), -1);
    std::vector<bool> keep(order.size(), false);
    std::vector<unsigned char> shown(order.size(), 0);  // asked once: hidden styles take a lookup
    std::vector<unsigned char> links(order.size(), 0);  // drawn as a sign with their label
    for (std::size_t z = 0; z < order.size(); ++z) {
        const int index = order[z];
        if (!layer.isVisible(index))
            continue;
        shown[z] = 1;
        const Marker& marker = layer.marker(index);
        rects[z] = layer.screenRect(index, view);
        links[z] = IsLinkStyleGroup(marker.style) ? 1 : 0;
        if (copies && !links[z] && rects[z].intersects(area))
            copyOf[z] = sprites.find(marker.fill, rects[z].size());
        // A selected marker's ring is drawn right after it: it is drawn as ever.
        keep[z] = selection && layer.isSelected(index);
    }
    const std::vector<bool> covered = copies ? coveredCopies(order, copyOf, rects, sprites, area, keep)
                                             : std::vector<bool>(order.size(), false);
    for (std::size_t z = 0; z < order.size(); ++z) {
        if (shown[z] == 0)
            continue;
        const int index = order[z];
        const Marker& marker = layer.marker(index);
        const QRect& rect = rects[z];
        if (links[z])
            paintLabel(painter, rect, layer.text(index, MarkerText::Label));
        else if (labels)
            paintLabel(painter, rect, layer.text(index, MarkerText::Name));
        if (!rect.intersects(area) || covered[z])
            continue;
        if (copyOf[z] >= 0) {
            const MarkerSprites::Sprite& sprite = sprites.at(copyOf[z]);
            painter.drawImage(rect.topLeft() + sprite.offset, sprite.image);
        } else if (links[z]) {
            paintLinkSign(painter, rect, marker.fill, layer.look().fill);
        } else {
            paintMarkerShape(painter, rect, marker.fill, layer.look().fill);
        }
        if (keep[z]) {
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

QFont WithSignFonts(const QFont& font)
{
    // The family the font really gets first: a generic name ("Sans Serif") or a missing family
    // would leave the first sign font to draw every letter.
    QStringList families{QFontInfo(font).family()};
    for (const char* family : kSignFamilies)
        families << QLatin1String(family);
    QFont withSigns = font;
    withSigns.setFamilies(families);
    return withSigns;
}

QImage RenderMapPicture(const QImage& map, const MarkerLayer& layer, bool labels)
{
    QImage picture(map.isNull() ? MarkerLayer::kImageArea.size() : map.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    if (!map.isNull())
        painter.drawImage(QPoint(0, 0), map);
    if (labels)
        painter.setFont(WithSignFonts(painter.font()));
    PaintMarkers(painter, layer, picture.rect(), MapView{}, labels);
    painter.end();
    return picture.convertToFormat(QImage::Format_ARGB32);
}
