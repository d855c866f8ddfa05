// The zone rectangle fit: one worked out by hand, misplaced POIs left out wherever they stand
// (an edge, a corner, the middle, a typo in a world x, two of eight, the sample harbour page),
// the cases that give no fit and why, and how far a rectangle moves the page's corners.

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

// Eight POIs spread over the page, all exact.
std::vector<ZoneFitPoint> eightExact()
{
    return {exact(10, 20), exact(400, 30), exact(200, 250), exact(50, 480),
            exact(300, 300), exact(420, 500), exact(120, 380), exact(330, 120)};
}

std::vector<ZoneFitPoint> moved(std::vector<ZoneFitPoint> points, size_t at, double dx, double dy)
{
    points[at].point.x += dx;
    points[at].point.y += dy;
    return points;
}

// The sample harbour page (Location and pathfindlocation of its ten POIs, zone
// -585,-1135,1635,1445 on 436 x 506), POI #9 moved 30 pixels down.
std::vector<ZoneFitPoint> harbourWithNineMoved()
{
    return {{{195, 107}, -407.89, -589.43}, {{363, 54}, -1263.30, -859.66}, {{304, 78}, -962.89, -737.29},
            {{328, 59}, -1085.09, -834.17}, {{139, 49}, -122.75, -885.16},  {{252, 244}, -698.12, 109.11},
            {{153, 76}, -194.04, -747.49},  {{247, 60}, -672.66, -829.07},  {{93, 144}, 111.47, -400.77},
            {{351, 358}, -1202.20, 537.41}};
}

}  // namespace

Q_DECLARE_METATYPE(ZoneRectangle)
Q_DECLARE_METATYPE(std::vector<ZoneFitPoint>)
Q_DECLARE_METATYPE(ZoneFitFailure)

class ZoneFitTest : public QObject {
    Q_OBJECT

private slots:
    void fit_data()
    {
        QTest::addColumn<std::vector<ZoneFitPoint>>("points");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<ZoneFitFailure>("failure");
        QTest::addColumn<ZoneRectangle>("zone");
        QTest::addColumn<double>("rms");      // -1: not compared
        QTest::addColumn<double>("largest");
        QTest::addColumn<QList<int>>("misplaced");  // the points left out

        const ZoneFitFailure fits = ZoneFitFailure::None;
        // By hand, x: world -x 0, 10, 20 at pixels 1, 20, 41 gives pixel = 2/3 + 2 (-x), so
        // x1 = -1/3 -> 0 and x2 = (100 - 2/3) / 2 -> 50, residuals 1/3, -2/3, 1/3; z lies exactly on
        // pixel = 2 z, so y1 = 0 and y2 = 50. RMS = sqrt((1/9 + 4/9 + 1/9) / 3).
        QTest::newRow("by hand") << std::vector<ZoneFitPoint>{{{1, 0}, 0, 0}, {{20, 20}, -10, 10}, {{41, 40}, -20, 20}}
                                 << 100 << 100 << fits << ZoneRectangle{0, 0, 50, 50} << std::sqrt(2.0 / 9)
                                 << 2.0 / 3 << QList<int>{};
        std::vector<ZoneFitPoint> stray = {exact(10, 20), exact(400, 30), exact(200, 250), exact(50, 480),
                                           exact(300, 300), exact(420, 500)};
        stray.push_back({{140, 140}, -2 * 100, 2 * 110});  // 40, 30 pixels off: 50 pixels
        QTest::newRow("one misplaced among six") << stray << kWidth << kHeight << fits << kTwoPerPixel << 0.0
                                                 << 0.0 << QList<int>{6};
        QTest::newRow("outlier at an edge") << moved(eightExact(), 5, 0, -30) << kWidth << kHeight << fits
                                            << kTwoPerPixel << 0.0 << 0.0 << QList<int>{5};
        QTest::newRow("outlier at a corner") << moved(eightExact(), 0, 25, 25) << kWidth << kHeight << fits
                                             << kTwoPerPixel << 0.0 << 0.0 << QList<int>{0};
        QTest::newRow("outlier in the middle") << moved(eightExact(), 2, -12, 9) << kWidth << kHeight << fits
                                               << kTwoPerPixel << 0.0 << 0.0 << QList<int>{2};
        std::vector<ZoneFitPoint> typo = eightExact();
        typo[4].worldX *= 10;  // a digit too many in one world x
        QTest::newRow("typo of a factor 10") << typo << kWidth << kHeight << fits << kTwoPerPixel << 0.0 << 0.0
                                             << QList<int>{4};
        QTest::newRow("two outliers among eight") << moved(moved(eightExact(), 1, -40, 0), 6, 15, 35) << kWidth
                                                  << kHeight << fits << kTwoPerPixel << 0.0 << 0.0 << QList<int>{1, 6};
        QTest::newRow("harbour page, edge POI moved") << harbourWithNineMoved() << kWidth << kHeight << fits
                                                      << ZoneRectangle{-585, -1135, 1635, 1445} << -1.0 << -1.0
                                                      << QList<int>{9};
        std::vector<ZoneFitPoint> noisy = {exact(10, 20), exact(400, 30), exact(200, 250), exact(50, 480)};
        noisy[2].point.x += 4;  // off, but no further than the rest allow: kept
        noisy[0].point.x -= 1;
        noisy[3].point.y += 2;
        QTest::newRow("noise is no misplacing") << noisy << kWidth << kHeight << fits << ZoneRectangle{0, 1, 869, 1009}
                                                << -1.0 << -1.0 << QList<int>{};
        // Three POIs, one off: any two explain each other, so nobody can be blamed.
        QTest::newRow("three, one off") << std::vector<ZoneFitPoint>{exact(10, 20), exact(400, 30), {{230, 250}, -400, 500}} << kWidth << kHeight << fits
                                        << ZoneRectangle{} << -1.0 << -1.0 << QList<int>{};
        QTest::newRow("two points") << std::vector<ZoneFitPoint>{exact(1, 2), exact(30, 40)} << kWidth << kHeight
                                    << ZoneFitFailure::TooFew << ZoneRectangle{} << 0.0 << 0.0 << QList<int>{};
        QTest::newRow("one world x") << std::vector<ZoneFitPoint>{{{1, 2}, 5, 4}, {{3, 20}, 5, 40}, {{9, 30}, 5, 60}}
                                     << kWidth << kHeight << ZoneFitFailure::OneLine << ZoneRectangle{} << 0.0
                                     << 0.0 << QList<int>{};
        QTest::newRow("all on one line") << std::vector<ZoneFitPoint>{exact(10, 200), exact(90, 200), exact(300, 200),
                                                                      exact(420, 200)}
                                         << kWidth << kHeight << ZoneFitFailure::OneLine << ZoneRectangle{} << 0.0
                                         << 0.0 << QList<int>{};
        QTest::newRow("pixels do not follow") << std::vector<ZoneFitPoint>{{{5, 5}, 0, 0}, {{5, 5}, -10, 10},
                                                                           {{5, 5}, -20, 30}}
                                              << kWidth << kHeight << ZoneFitFailure::NoGradient << ZoneRectangle{}
                                              << 0.0 << 0.0 << QList<int>{};
    }

    void fit()
    {
        QFETCH(std::vector<ZoneFitPoint>, points);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(ZoneFitFailure, failure);
        QFETCH(ZoneRectangle, zone);
        QFETCH(double, rms);
        QFETCH(double, largest);
        QFETCH(QList<int>, misplaced);
        ZoneFitFailure why = ZoneFitFailure::TooFew;
        const std::optional<ZoneFitResult> fit = FitZoneRect(points, width, height, &why);
        QCOMPARE(int(why), int(failure));
        QCOMPARE(fit.has_value(), failure == ZoneFitFailure::None);
        if (!fit)
            return;
        if (zone != ZoneRectangle{})
            QCOMPARE(fit->zone, zone);
        if (rms >= 0) {
            QVERIFY2(std::abs(fit->rms - rms) < 1e-9, qPrintable(QString::number(fit->rms)));
            QVERIFY(std::abs(fit->largest - largest) < 1e-9);
        }
        QCOMPARE(fit->residuals.size(), points.size());
        QList<int> left;
        for (size_t i = 0; i < points.size(); ++i) {
            if (fit->misplaced[i])
                left << int(i);
        }
        QCOMPARE(left, misplaced);
        QCOMPARE(fit->kept, int(points.size()) - int(misplaced.size()));
        if (QByteArray(QTest::currentDataTag()) == "one misplaced among six")
            QVERIFY(std::abs(fit->residuals[6] - 50) < 1e-6);
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
