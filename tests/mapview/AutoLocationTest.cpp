// The four ways an apply keeps image position and world location in step.

#include "mapview/AutoLocation.h"

#include <QtTest>

namespace {

EditorState sampleState(bool pathEdited, bool autoCalc)
{
    EditorState state;
    state.ZoneRect = {-585, -1135, 1635, 1445};
    state.PageWidth = 436;
    state.PageHeight = 506;
    state.DocLoaded = true;
    state.PathEdited = pathEdited;
    state.AutoCalc = autoCalc;
    return state;
}

using Location = std::optional<std::pair<int, int>>;

void addAutoCalcRows()
{
    QTest::addColumn<bool>("autoCalc");
    QTest::newRow("auto off") << false;
    QTest::newRow("auto on") << true;
}

}  // namespace

// Tests of the synchronisation table, one row per combination of the two switches.
class AutoLocationTest : public QObject {
    Q_OBJECT

private slots:
    void positionDrivesWorld_data();
    void positionDrivesWorld();
    void typedWorldDrivesPosition_data();
    void typedWorldDrivesPosition();
    void unconvertibleWorldShowsZero();
    void availability();
};

void AutoLocationTest::positionDrivesWorld_data()
{
    addAutoCalcRows();
}

void AutoLocationTest::positionDrivesWorld()
{
    QFETCH(bool, autoCalc);
    const std::string old = "1, 12.5, 2";
    const LocationSync sync = SynchroniseLocation(sampleState(false, autoCalc), 436, 506, old);
    const std::string converted = "-1635.00, 12.5, 1445.00";
    QCOMPARE(sync.label, converted);
    QCOMPARE(sync.pathField, autoCalc ? std::optional<std::string>(converted) : std::nullopt);
    QCOMPARE(sync.storedPath, autoCalc ? converted : old);
    QCOMPARE(sync.location, Location());
}

void AutoLocationTest::typedWorldDrivesPosition_data()
{
    addAutoCalcRows();
}

void AutoLocationTest::typedWorldDrivesPosition()
{
    QFETCH(bool, autoCalc);
    const std::string typed = "-1635, 12.5, 1445";
    const LocationSync sync = SynchroniseLocation(sampleState(true, autoCalc), 7, 8, typed);
    QCOMPARE(sync.label, std::string("436,506"));
    QCOMPARE(sync.pathField, std::optional<std::string>("-1635.00, 12.5, 1445.00"));
    QCOMPARE(sync.storedPath, typed);
    QCOMPARE(sync.location, autoCalc ? Location(std::make_pair(436, 506)) : Location());
}

void AutoLocationTest::unconvertibleWorldShowsZero()
{
    const std::string typed = "1, 2";
    const LocationSync sync = SynchroniseLocation(sampleState(true, true), 7, 8, typed);
    QCOMPARE(sync.label, std::string("0,0"));
    QCOMPARE(sync.pathField, std::optional<std::string>());
    QCOMPARE(sync.storedPath, typed);
    QCOMPARE(sync.location, Location());

    EditorState flat = sampleState(true, true);
    flat.ZoneRect = {-585, 5, 1635, 5};  // y2 = y1: x converts, the whole conversion still fails
    QCOMPARE(SynchroniseLocation(flat, 7, 8, "-1635, 0, 1445").label, std::string("0,0"));
}

void AutoLocationTest::availability()
{
    EditorState state;
    QVERIFY(!AutoCalcAvailable(state));
    state.ZoneRect = {0, 0, 0, 1};
    QVERIFY(AutoCalcAvailable(state));
}

QTEST_APPLESS_MAIN(AutoLocationTest)
#include "AutoLocationTest.moc"
