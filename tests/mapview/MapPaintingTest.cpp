// Markers are painted from copies of one drawing per fill and size; the picture must be the very
// pixels of drawing every marker's shape where it lies, at every size, position and zoom, and
// under painter states where copies would not be exact.
#include "mapview/MapPainting.h"

#include <QPainter>
#include <QtTest>

namespace {

constexpr QSize kCanvas(96, 80);

// The plain rule: each visible marker, bottom to top, an outlined ellipse inside its rectangle.
QImage drawnDirectly(const MarkerLayer& layer, const MapView& view, const std::function<void(QPainter&)>& setUp)
{
    QImage image(kCanvas, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(40, 90, 140));
    QPainter painter(&image);
    setUp(painter);
    painter.setPen(Qt::black);
    for (int index : layer.zOrder()) {
        if (!layer.isVisible(index))
            continue;
        painter.setBrush(layer.marker(index).fill);
        painter.drawEllipse(view.toScreen(layer.marker(index).rect).adjusted(0, 0, -1, -1));
    }
    return image;
}

QImage painted(const MarkerLayer& layer, const MapView& view, const std::function<void(QPainter&)>& setUp,
               const QRect& area = QRect(QPoint(-1000, -1000), QSize(3000, 3000)))
{
    QImage image(kCanvas, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(40, 90, 140));
    QPainter painter(&image);
    setUp(painter);
    PaintMarkers(painter, layer, area, view);
    return image;
}

Marker marker(const QRect& rect, const QColor& fill)
{
    return Marker{rect, fill, QString(), QStringLiteral("NPC"), QString()};
}

} // namespace

class MapPaintingTest : public QObject {
    Q_OBJECT

private slots:
    void copiesGiveTheDrawnPixels_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<int>("painterState");  // 0 plain, 1 whole-pixel shift, 2 half-pixel shift, 3 smoothing, 4 scaled
        QTest::newRow("100 %") << 1.0 << QPoint() << 0;
        QTest::newRow("200 %, scrolled") << 2.0 << QPoint(13, 7) << 0;
        QTest::newRow("150 %") << 1.5 << QPoint(3, 0) << 0;
        QTest::newRow("painter shifted by whole pixels") << 1.0 << QPoint() << 1;
        QTest::newRow("painter shifted by half a pixel") << 1.0 << QPoint() << 2;
        QTest::newRow("antialiased painter") << 1.0 << QPoint() << 3;
        QTest::newRow("scaled painter") << 1.0 << QPoint() << 4;
    }

    void copiesGiveTheDrawnPixels()
    {
        QFETCH(double, zoom);
        QFETCH(QPoint, scroll);
        QFETCH(int, painterState);
        auto setUp = [painterState](QPainter& painter) {
            if (painterState == 1)
                painter.translate(3, -2);
            else if (painterState == 2)
                painter.translate(0.5, 1.5);
            else if (painterState == 3)
                painter.setRenderHint(QPainter::Antialiasing);
            else if (painterState == 4)
                painter.scale(1.25, 1.25);
        };
        MarkerLayer layer;
        // Many sizes, shared looks, overlaps, a marker cut by the edge, a translucent fill and
        // one too large for a copy.
        const QList<QSize> sizes{{1, 1}, {2, 2}, {3, 5}, {10, 10}, {12, 12}, {13, 9}, {14, 14}, {40, 6}};
        const QList<QColor> fills{QColor(0x3B, 0xFF, 0x00), QColor(0xFF, 0x00, 0xFF), QColor(255, 0, 0, 128)};
        int i = 0;
        for (const QSize& size : sizes)
            for (const QColor& fill : fills) {
                layer.append(marker(QRect(QPoint((i * 11) % 90 - 4, (i * 7) % 70 - 3), size), fill));
                ++i;
            }
        layer.append(marker(QRect(-10, 5, 300, 30), Qt::yellow));
        layer.append(marker(QRect(20, 20, 12, 12), Qt::cyan));
        layer.bringToFront(0);
        const MapView view{zoom, scroll};
        QCOMPARE(painted(layer, view, setUp), drawnDirectly(layer, view, setUp));
    }

    // A crowd where most markers lie under others, which are then not copied at all: the picture
    // is still every marker drawn bottom to top, for the whole canvas or a part of it, with
    // markers across its edges, large and translucent ones between them, some brought to front.
    void crowdsGiveTheDrawnPixels_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QRect>("area");
        QTest::newRow("whole canvas") << 1.0 << QRect(QPoint(), kCanvas);
        QTest::newRow("a part, clipped") << 1.0 << QRect(17, 9, 41, 33);
        QTest::newRow("200 %, a part") << 2.0 << QRect(5, 5, 60, 50);
    }

    void crowdsGiveTheDrawnPixels()
    {
        QFETCH(double, zoom);
        QFETCH(QRect, area);
        MarkerLayer layer;
        const QList<QColor> fills{QColor(0x3B, 0xFF, 0x00), QColor(0xFF, 0x00, 0xFF), Qt::white,
                                  QColor(255, 0, 0, 128)};
        unsigned seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 16) % static_cast<unsigned>(range));
        };
        for (int i = 0; i < 600; ++i) {
            const int side = i % 97 == 0 ? 70 : 4 + next(12);
            const QColor fill = i % 89 == 0 ? fills[3] : fills[next(3)];
            layer.append(marker(QRect(next(110) - 10, next(95) - 10, side, side + next(3) - 1), fill));
        }
        for (int i = 0; i < 600; i += 37)
            layer.bringToFront(i);
        const MapView view{zoom, QPoint()};
        auto clip = [&area](QPainter& painter) { painter.setClipRect(area); };
        QCOMPARE(painted(layer, view, clip, area), drawnDirectly(layer, view, clip));
    }
};

QTEST_MAIN(MapPaintingTest)
#include "MapPaintingTest.moc"
