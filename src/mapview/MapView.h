#pragma once
// How the map panel shows the image: a zoom factor and a scroll offset in screen pixels. Every
// rule of the editor works in image pixels; only painting and hit testing go through this.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

// The zoom and scroll of the map panel; the default shows the image unscaled at the top left.
struct MapView {
    // The image control's size at the panel's described size.
    static constexpr QSize kDescribedArea{512, 512};

    double zoom = 1.0;
    QPoint scroll;  // screen position of image pixel (0, 0) is -scroll
    // The part of the panel that shows the map, from its top-left corner: the image control's
    // 512 x 512 at the described size, more in a grown window.
    QSize area = kDescribedArea;

    QRect screenArea() const { return QRect(QPoint(0, 0), area); }

    bool isIdentity() const { return zoom == 1.0 && scroll.isNull(); }

    // Screen position of the image pixel `image` (its top-left corner, rounded up so that
    // toImage() gives the same pixel back at every zoom of 100 % and more).
    QPoint toScreen(const QPoint& image) const
    {
        return {static_cast<int>(std::ceil(image.x() * zoom)) - scroll.x(),
                static_cast<int>(std::ceil(image.y() * zoom)) - scroll.y()};
    }
    // The image pixel under the screen position `screen`.
    QPoint toImage(const QPoint& screen) const
    {
        return {static_cast<int>(std::floor((screen.x() + scroll.x()) / zoom)),
                static_cast<int>(std::floor((screen.y() + scroll.y()) / zoom))};
    }
    // Where a marker or the position button lies on screen: its own size, its centre (the
    // rounded-down half of the size from its corner) at the scaled centre.
    QRect toScreen(const QRect& image) const
    {
        if (isIdentity())
            return image;
        const QPoint half(image.width() / 2, image.height() / 2);
        return QRect(toScreen(image.topLeft() + half) - half, image.size());
    }
};
