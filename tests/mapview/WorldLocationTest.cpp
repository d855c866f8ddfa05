// World location texts: every form the files hold reads, writes back in its own form or the
// editor's, and a location converted to an image point and back lands where it was.

#include "mapview/PoiAnchor.h"
#include "mapview/WorldLocation.h"

#include <QtTest>

class WorldLocationTest : public QObject {
    Q_OBJECT

private slots:
    void forms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("own");     // rewritten in its own form; empty: does not read
        QTest::addColumn<QString>("editor");  // rewritten in the editor's form
        QTest::newRow("comma and blank") << "-335, 10, -25" << "-335.00, 10, -25.00" << "-335.00, 10, -25.00";
        QTest::newRow("commas only") << "1.5,2,3.25" << "1.50,2,3.25" << "1.50, 2, 3.25";
        QTest::newRow("blanks only") << "12 3 -40.5" << "12.00 3 -40.50" << "12.00, 3, -40.50";
        QTest::newRow("leading and doubled blanks") << " 12  3   -40.5" << "12.00 3 -40.50" << "12.00, 3, -40.50";
        QTest::newRow("blanks before commas") << " 585 ,0 ,-1135" << "585.00,0,-1135.00" << "585.00, 0, -1135.00";
        QTest::newRow("line break between parts") << "1\r\n2\t3" << "1.00 2 3.00" << "1.00, 2, 3.00";
        QTest::newRow("height kept as text") << "+5.85e2, h, -1.135E3" << "585.00, h, -1135.00" << "585.00, h, -1135.00";
        QTest::newRow("empty height") << "1,,3" << "1.00,,3.00" << "1.00, , 3.00";
        QTest::newRow("two parts") << "1, 2" << "" << "";
        QTest::newRow("four blank parts") << "1 2 3 4" << "" << "";
        QTest::newRow("decimal comma") << "1,5, 2, 3" << "" << "";
        QTest::newRow("x no number") << "east, 2, 3" << "" << "";
        QTest::newRow("infinity") << "inf, 2, 3" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }

    void forms()
    {
        QFETCH(QString, text);
        QFETCH(QString, own);
        QFETCH(QString, editor);
        const std::optional<WorldLocation> world = WorldLocation::Parse(text.toStdString());
        QCOMPARE(world.has_value(), !own.isEmpty());
        if (!world)
            return;
        QCOMPARE(QString::fromStdString(*world->text(WorldLocation::Form::Own)), own);
        QCOMPARE(QString::fromStdString(*world->text()), editor);
        // Read again, a written text is the same location in the same form.
        const std::optional<WorldLocation> again = WorldLocation::Parse(*world->text(WorldLocation::Form::Own));
        QVERIFY(again);
        QCOMPARE(again->separator, world->separator);
        QCOMPARE(QString::fromStdString(again->middle), QString::fromStdString(world->middle));
    }

    // Through the harbour map's rectangle (436 x 506 pixels) to a point and back, by each rule.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<QString>("pixel");
        QTest::newRow("origin, centre of a default icon") << "585, 0, -1135" << int(PoiAnchor::Centre) << "-6,-6";
        QTest::newRow("far corner, blanks") << "-1635 7 1445" << int(PoiAnchor::World) << "436,506";
        QTest::newRow("inside, commas") << "75.83,0,-880.06" << int(PoiAnchor::Location) << "100,50";
    }

    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(QString, pixel);
        EditorState state;
        state.ZoneRect = {-585, -1135, 1635, 1445};
        const std::optional<WorldLocation> world = WorldLocation::Parse(text.toStdString());
        QVERIFY(world);
        const std::optional<ImagePoint> point = WorldToImagePoint(state, *world);
        QVERIFY(point);
        const auto found = PixelForPoint(PoiAnchor(anchor), *point, {});
        QVERIFY(found);
        QCOMPARE(QStringLiteral("%1,%2").arg(found->first).arg(found->second), pixel);
        const auto back = ImagePointToWorld(state, *point);
        QVERIFY(back);
        const std::string written = *world->movedTo(back->first, back->second).text(WorldLocation::Form::Own);
        QCOMPARE(QString::fromStdString(written), QString::fromStdString(*world->text(WorldLocation::Form::Own)));
    }

    // Icon pages round halves to the even neighbour; the other rules round them up.
    void roundingRules()
    {
        QCOMPARE(RoundedPixel(2.5, RoundingOf(PoiAnchor::Location)), std::optional<int>(2));
        QCOMPARE(RoundedPixel(-0.5, RoundingOf(PoiAnchor::Location)), std::optional<int>(0));
        QCOMPARE(RoundedPixel(2.5, RoundingOf(PoiAnchor::Centre)), std::optional<int>(3));
        QCOMPARE(RoundedPixel(-0.5, RoundingOf(PoiAnchor::World)), std::optional<int>(0));
        QCOMPARE(RoundedPixel(3e9, RoundingOf(PoiAnchor::World)), std::optional<int>());
    }
};

QTEST_APPLESS_MAIN(WorldLocationTest)
#include "WorldLocationTest.moc"
