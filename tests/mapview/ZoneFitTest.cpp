// The least-squares zone rectangle: a fit worked out by hand, a misplaced POI left out, the cases
// that give no fit, and how far a rectangle moves the page's corners.

#include "mapview/ZoneFit.h"

#include <QtTest>

namespace {

constexpr ZoneRectangle kTwoPerPixel{0, 0, 872, 1012};  // 2 world units per pixel on 436 x 506
constexpr int kWidth = 436;
constexpr int kHeight = 506;

// A POI at pixel (x, y) whose world location lies exactly there on kTwoPerPixel.
ZoneFitPoint exact(double x, double y)
{
    return {{x, y}, -2 * x, 2 * y};
}

}  // namespace

Q_DECLARE_METATYPE(ZoneRectangle)
Q_DECLARE_METATYPE(std::vector<ZoneFitPoint>)

class ZoneFitTest : public QObject {
    Q_OBJECT

private slots:
    void fit_data()
    {
        QTest::addColumn<std::vector<ZoneFitPoint>>("points");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<ZoneRectangle>("zone");
        QTest::addColumn<double>("rms");
        QTest::addColumn<double>("largest");
        QTest::addColumn<int>("misplaced");  // the point left out, or -1

        // By hand, x: world -x 0, 10, 20 at pixels 1, 20, 41 gives pixel = 2/3 + 2 (-x), so
        // x1 = -1/3 -> 0 and x2 = (100 - 2/3) / 2 -> 50, residuals 1/3, -2/3, 1/3; z lies exactly on
        // pixel = 2 z, so y1 = 0 and y2 = 50. RMS = sqrt((1/9 + 4/9 + 1/9) / 3).
        QTest::newRow("by hand") << std::vector<ZoneFitPoint>{{{1, 0}, 0, 0}, {{20, 20}, -10, 10}, {{41, 40}, -20, 20}}
                                 << 100 << 100 << true << ZoneRectangle{0, 0, 50, 50} << std::sqrt(2.0 / 9)
                                 << 2.0 / 3 << -1;
        std::vector<ZoneFitPoint> stray = {exact(10, 20), exact(400, 30), exact(200, 250), exact(50, 480),
                                           exact(300, 300), exact(420, 500)};
        stray.push_back({{140, 140}, -2 * 100, 2 * 110});  // 40, 30 pixels off: 50 pixels
        QTest::newRow("one misplaced among six") << stray << kWidth << kHeight << true << kTwoPerPixel << 0.0
                                                 << 0.0 << 6;
        std::vector<ZoneFitPoint> noisy = {exact(10, 20), exact(400, 30), exact(200, 250), exact(50, 480)};
        noisy[2].point.x += 4;  // off, but no further than the rest allow: kept
        noisy[0].point.x -= 1;
        noisy[3].point.y += 2;
        QTest::newRow("noise is no misplacing") << noisy << kWidth << kHeight << true << ZoneRectangle{0, 1, 869, 1009}
                                                << -1.0 << -1.0 << -1;
        QTest::newRow("two points") << std::vector<ZoneFitPoint>{exact(1, 2), exact(30, 40)} << kWidth << kHeight
                                    << false << ZoneRectangle{} << 0.0 << 0.0 << -1;
        QTest::newRow("one world x") << std::vector<ZoneFitPoint>{{{1, 2}, 5, 4}, {{3, 20}, 5, 40}, {{9, 30}, 5, 60}}
                                     << kWidth << kHeight << false << ZoneRectangle{} << 0.0 << 0.0 << -1;
    }

    void fit()
    {
        QFETCH(std::vector<ZoneFitPoint>, points);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, fits);
        QFETCH(ZoneRectangle, zone);
        QFETCH(double, rms);
        QFETCH(double, largest);
        QFETCH(int, misplaced);
        const std::optional<ZoneFitResult> fit = FitZoneRect(points, width, height);
        QCOMPARE(fit.has_value(), fits);
        if (!fit)
            return;
        QCOMPARE(fit->zone, zone);
        if (rms >= 0) {
            QVERIFY2(std::abs(fit->rms - rms) < 1e-9, qPrintable(QString::number(fit->rms)));
            QVERIFY(std::abs(fit->largest - largest) < 1e-9);
        }
        QCOMPARE(fit->residuals.size(), points.size());
        for (size_t i = 0; i < points.size(); ++i)
            QCOMPARE(bool(fit->misplaced[i]), int(i) == misplaced);
        QCOMPARE(fit->kept, int(points.size()) - (misplaced >= 0 ? 1 : 0));
        if (misplaced >= 0)
            QVERIFY(std::abs(fit->residuals[size_t(misplaced)] - 50) < 1e-6);
    }

    void cornerShift_data()
    {
        QTest::addColumn<ZoneRectangle>("zone");
        QTest::addColumn<double>("shift");
        QTest::newRow("same") << kTwoPerPixel << 0.0;
        QTest::newRow("moved 20 world units right") << ZoneRectangle{20, 0, 892, 1012} << 10.0;
        // The right edge 36 units further: the bottom-right corner lands 436 * 36 / 908 pixels left.
        QTest::newRow("wider") << ZoneRectangle{0, 0, 908, 1012} << 436.0 * 36 / 908;
        QTest::newRow("moved on both axes") << ZoneRectangle{6, 8, 878, 1020} << 5.0;
        QTest::newRow("none") << ZoneRectangle{} << -1.0;
    }

    void cornerShift()
    {
        QFETCH(ZoneRectangle, zone);
        QFETCH(double, shift);
        const std::optional<double> found = CornerShift(zone, kTwoPerPixel, kWidth, kHeight);
        QCOMPARE(found.has_value(), shift >= 0);
        if (found)
            QVERIFY2(std::abs(*found - shift) < 1e-9, qPrintable(QString::number(*found)));
    }
};

QTEST_GUILESS_MAIN(ZoneFitTest)
#include "ZoneFitTest.moc"
