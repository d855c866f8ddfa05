// Aligning by control points: the rectangle and each point's residual from two points (exact),
// three (least squares, worked out by hand against the rounded rectangle) and five with one bad,
// the cases that give none, and the kept text read back unchanged.

#include "mapview/ControlPointFit.h"

#include <QtTest>

namespace {

constexpr int kWidth = 436;
constexpr int kHeight = 506;

// A point clicked at (x, y) whose world location lies there on 0,0,872,1012 (2 units a pixel).
ControlPoint exact(double x, double y)
{
    return {-2 * x, 2 * y, {x, y}};
}

ControlPoint clickedOff(ControlPoint point, double dx, double dy)
{
    point.pixel.x += dx;
    point.pixel.y += dy;
    return point;
}

}  // namespace

Q_DECLARE_METATYPE(ZoneRectangle)
Q_DECLARE_METATYPE(std::vector<ControlPoint>)
Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<bool>)
Q_DECLARE_METATYPE(ZoneFitFailure)

class ControlPointFitTest : public QObject {
    Q_OBJECT

private slots:
    void fit_data()
    {
        QTest::addColumn<std::vector<ControlPoint>>("points");
        QTest::addColumn<ZoneRectangle>("zone");
        QTest::addColumn<std::vector<double>>("residuals");
        QTest::addColumn<std::vector<bool>>("farOff");

        QTest::newRow("two points fit exactly")
            << std::vector<ControlPoint>{exact(10, 20), exact(400, 480)} << ZoneRectangle{0, 0, 872, 1012}
            << std::vector<double>{0, 0} << std::vector<bool>{false, false};
        // Two points always meet the line through them; what is left is the rounding of the
        // rectangle to whole world units: x from 0.051 to 869.83 becomes 0 to 870.
        QTest::newRow("two points, one a pixel off")
            << std::vector<ControlPoint>{exact(10, 20), clickedOff(exact(400, 480), 1, 0)}
            << ZoneRectangle{0, 0, 870, 1012}
            << std::vector<double>{std::abs(20 * 436.0 / 870 - 10), std::abs(800 * 436.0 / 870 - 401)}
            << std::vector<bool>{false, false};
        // x: worlds 20, 220, 420 at pixels 10, 110, 216 give the line 0.515 w - 1.3, so the
        // edges 2.52 and 849.13; each residual is against 3..849.
        QTest::newRow("three points, least squares")
            << std::vector<ControlPoint>{exact(10, 20), exact(110, 250), clickedOff(exact(210, 480), 6, 0)}
            << ZoneRectangle{3, 0, 849, 1012}
            << std::vector<double>{std::abs(17 * 436.0 / 846 - 10), std::abs(217 * 436.0 / 846 - 110),
                                   std::abs(417 * 436.0 / 846 - 216)}
            << std::vector<bool>{false, false, false};
        QTest::newRow("five points, one clicked 40 pixels off")
            << std::vector<ControlPoint>{exact(10, 20), exact(400, 30), clickedOff(exact(200, 250), 0, 40),
                                         exact(50, 480), exact(330, 400)}
            << ZoneRectangle{0, 0, 872, 1012} << std::vector<double>{0, 0, 40, 0, 0}
            << std::vector<bool>{false, false, true, false, false};
    }

    void fit()
    {
        QFETCH(std::vector<ControlPoint>, points);
        QFETCH(ZoneRectangle, zone);
        QFETCH(std::vector<double>, residuals);
        QFETCH(std::vector<bool>, farOff);
        ZoneFitFailure why = ZoneFitFailure::TooFew;
        const std::optional<ControlPointFit> fit = FitControlPoints(points, kWidth, kHeight, &why);
        QVERIFY(fit);
        QCOMPARE(why, ZoneFitFailure::None);
        QCOMPARE(fit->zone, zone);
        QCOMPARE(fit->farOff, farOff);
        QCOMPARE(fit->residuals.size(), residuals.size());
        for (size_t i = 0; i < residuals.size(); ++i)
            QVERIFY2(std::abs(fit->residuals[i] - residuals[i]) < 1e-9,
                     qPrintable(QStringLiteral("point %1: %2, not %3").arg(i).arg(fit->residuals[i]).arg(residuals[i])));
    }

    void noFit_data()
    {
        QTest::addColumn<std::vector<ControlPoint>>("points");
        QTest::addColumn<ZoneFitFailure>("why");
        QTest::newRow("one point") << std::vector<ControlPoint>{exact(10, 20)} << ZoneFitFailure::TooFew;
        QTest::newRow("two on one world x")
            << std::vector<ControlPoint>{exact(10, 20), {-20, 300, {200, 150}}} << ZoneFitFailure::OneLine;
        QTest::newRow("two on one pixel row")
            << std::vector<ControlPoint>{exact(10, 20), {-800, 960, {400, 20}}} << ZoneFitFailure::NoGradient;
    }

    void noFit()
    {
        QFETCH(std::vector<ControlPoint>, points);
        QFETCH(ZoneFitFailure, why);
        ZoneFitFailure failure = ZoneFitFailure::None;
        QVERIFY(!FitControlPoints(points, kWidth, kHeight, &failure));
        QCOMPARE(failure, why);
    }

    void keptTextReadsBack()
    {
        const std::vector<ControlPoint> points{{-407.89, -589.43, {195, 107}}, {0.1 + 0.2, 1e-7, {0, 505}}};
        QCOMPARE(ParseControlPoints(ControlPointsText(points)), points);
        // A damaged part is left out; the others stay.
        QCOMPARE(ParseControlPoints("1,2,3;-407.89,-589.43,195,107;x,1,2,3"),
                 (std::vector<ControlPoint>{points[0]}));
    }
};

QTEST_GUILESS_MAIN(ControlPointFitTest)
#include "ControlPointFitTest.moc"
