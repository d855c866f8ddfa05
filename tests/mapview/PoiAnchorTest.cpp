// Where a POI sits: the world location forms found in the game's files, the point of each anchor
// rule and the way back from a point to a Location, against numbers worked out by hand.

#include "mapview/PoiAnchor.h"

#include <QtTest>

class PoiAnchorTest : public QObject {
    Q_OBJECT

private slots:
    void worldForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("middle");
        QTest::addColumn<double>("z");
        QTest::newRow("blank after comma") << "-335, 10, -25" << true << -335.0 << "10" << -25.0;
        QTest::newRow("no blanks") << "1.5,2,3.25" << true << 1.5 << "2" << 3.25;
        QTest::newRow("blanks only") << "12 3 -40.5" << true << 12.0 << "3" << -40.5;
        QTest::newRow("leading and double blanks") << " 12  3   -40.5" << true << 12.0 << "3" << -40.5;
        QTest::newRow("two parts") << "1, 2" << false << 0.0 << "" << 0.0;
        QTest::newRow("four blank parts") << "1 2 3 4" << false << 0.0 << "" << 0.0;
        QTest::newRow("x not a number") << "east, 2, 3" << false << 0.0 << "" << 0.0;
    }

    void worldForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, reads);
        const std::optional<WorldLocation> parts = WorldLocation::Parse(text.toStdString());
        QCOMPARE(parts.has_value(), reads);
        if (!parts)
            return;
        QFETCH(double, x);
        QFETCH(QString, middle);
        QFETCH(double, z);
        QCOMPARE(parts->x, x);
        QCOMPARE(QString::fromStdString(parts->middle), middle);
        QCOMPARE(parts->z, z);
    }

    void pointsAndLocations()
    {
        // Icon pages: the Location itself; the game's pages: the icon's centre, halves kept.
        QCOMPARE(*PointFromLocation(PoiAnchor::Location, "100,200", "21,21"), (ImagePoint{100, 200}));
        QCOMPARE(*PointFromLocation(PoiAnchor::Centre, "100,200", "21,21"), (ImagePoint{110.5, 210.5}));
        QCOMPARE(*PointFromLocation(PoiAnchor::Centre, "-4,237", "42,42"), (ImagePoint{17, 258}));
        QVERIFY(!PointFromLocation(PoiAnchor::Centre, "far", "21,21"));
        QCOMPARE(LocationForPoint(PoiAnchor::Centre, {110.5, 210.5}, "21,21"), std::make_pair(100, 200));
        QCOMPARE(LocationForPoint(PoiAnchor::Centre, {200, 100}, "42,42"), std::make_pair(179, 79));

        // The harbour map: zone -585,-1135,1635,1445 over 436 x 506 pixels.
        EditorState state;
        state.ZoneRect = {-585, -1135, 1635, 1445};
        const ImagePoint point = *WorldToImagePoint(state, "22.36, 10, -61.70");
        QVERIFY(qAbs(point.x - 110.5) < 0.01 && qAbs(point.y - 210.5) < 0.01);
        QCOMPARE(ImagePointToWorldText(state, {110.5, 210.5}, "10"), std::string("22.36, 10, -61.70"));
        state.ZoneRect = {};
        QVERIFY(!WorldToImagePoint(state, "1, 2, 3"));
    }

    // A point beyond the range of a pixel has no pixel: never one clamped or made 0.
    void pixelsOfPoints_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("pixel");  // "x,y", or empty for none
        QTest::newRow("on the map, halves up") << 110.5 << -0.5 << "111,0";
        QTest::newRow("largest pixel") << 2147483647.0 << 0.0 << "2147483647,0";
        QTest::newRow("just beyond") << 2147483647.5 << 0.0 << "";
        QTest::newRow("far below") << 0.0 << -1e20 << "";
    }

    void pixelsOfPoints()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, pixel);
        const std::optional<std::pair<int, int>> found = PixelForPoint(PoiAnchor::World, {x, y}, {});
        const QString text = found ? QStringLiteral("%1,%2").arg(found->first).arg(found->second) : QString();
        QCOMPARE(text, pixel);
    }
};

QTEST_MAIN(PoiAnchorTest)
#include "PoiAnchorTest.moc"
