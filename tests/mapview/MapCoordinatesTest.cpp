// Zone texts, the two coordinate conversions, the zone rectangle table and the status texts.

#include "mapview/MapCoordinates.h"

#include <QtTest>

#include <clocale>

namespace {

constexpr ZoneRectangle kSampleZone{-585, -1135, 1635, 1445};
constexpr int kSampleWidth = 436;
constexpr int kSampleHeight = 506;

EditorState stateWith(ZoneRectangle zone, int width = kSampleWidth, int height = kSampleHeight)
{
    EditorState state;
    state.ZoneRect = zone;
    state.PageWidth = width;
    state.PageHeight = height;
    state.DocLoaded = true;
    return state;
}

}  // namespace

Q_DECLARE_METATYPE(ZoneRectangle)

// Tests of the coordinate layer, driven by table rows.
class MapCoordinatesTest : public QObject {
    Q_OBJECT

private slots:
    void parseZoneText_data();
    void parseZoneText();
    void imageToWorld_data();
    void imageToWorld();
    void worldToImage_data();
    void worldToImage();
    void roundTrip_data();
    void roundTrip();
    void middlePart_data();
    void middlePart();
    void parseInteger();
    void numbersIgnoreLocale();
    void statusTexts();
};

void MapCoordinatesTest::parseZoneText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ZoneRectangle>("zone");
    QTest::newRow("sample") << "-585,-1135,1635,1445" << kSampleZone;
    QTest::newRow("leading blanks") << " 1, 2,  3, 4" << ZoneRectangle{1, 2, 3, 4};
    QTest::newRow("plus sign") << "+1,-0,3,4" << ZoneRectangle{1, 0, 3, 4};
    QTest::newRow("int range") << "-2147483648,2147483647,0,1"
                               << ZoneRectangle{-2147483648, 2147483647, 0, 1};
    QTest::newRow("trailing blank") << "1,2,3,4 " << ZoneRectangle{1, 2, 3, 4};
    QTest::newRow("game's decimals") << "-585.5, -1135, 1635, 1445.25" << ZoneRectangle{-586, -1135, 1635, 1445};
    QTest::newRow("halves to even") << "0.5,1.5,-2.5,-3.5" << ZoneRectangle{0, 2, -2, -4};
    QTest::newRow("blanks around decimals") << " 1.49 ,\t2.51\t, 3.0 , 4.75 " << ZoneRectangle{1, 3, 3, 5};
    QTest::newRow("decimal beyond int range") << "2147483647.5,0,0,1" << ZoneRectangle{};
    QTest::newRow("blank inside a number") << "1 5,0,0,1" << ZoneRectangle{};
    QTest::newRow("decimal comma part") << "1.,2,3,.5" << ZoneRectangle{1, 2, 3, 0};
    QTest::newRow("three parts") << "1,2,3" << ZoneRectangle{};
    QTest::newRow("five parts") << "1,2,3,4,5" << ZoneRectangle{};
    QTest::newRow("not a number") << "1,2,x,4" << ZoneRectangle{};
    QTest::newRow("decimal") << "1,2,3.5,4" << ZoneRectangle{1, 2, 4, 4};
    QTest::newRow("overflow") << "2147483648,0,0,1" << ZoneRectangle{};
    QTest::newRow("double sign") << "+-1,0,0,1" << ZoneRectangle{};
    QTest::newRow("empty") << "" << ZoneRectangle{};
}

void MapCoordinatesTest::parseZoneText()
{
    QFETCH(QString, text);
    QFETCH(ZoneRectangle, zone);
    QCOMPARE(ParseZoneText(text.toStdString()), zone);
    if (HasZoneRect(zone))
        QCOMPARE(ParseZoneText(ZoneText(zone)), zone);
}

void MapCoordinatesTest::imageToWorld_data()
{
    QTest::addColumn<ZoneRectangle>("zone");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("middle");
    QTest::addColumn<QString>("world");
    QTest::newRow("origin") << kSampleZone << kSampleWidth << 0 << 0 << "0"
                            << "585.00, 0, -1135.00";
    QTest::newRow("far corner") << kSampleZone << kSampleWidth << 436 << 506 << "0"
                                << "-1635.00, 0, 1445.00";
    QTest::newRow("inside, middle kept") << kSampleZone << kSampleWidth << 100 << 50 << "12.5"
                                         << "75.83, 12.5, -880.06";
    QTest::newRow("beyond the page") << kSampleZone << kSampleWidth << 511 << 511 << "0"
                                     << "-2016.88, 0, 1470.49";
    QTest::newRow("negative position") << kSampleZone << kSampleWidth << -10 << -20 << "0"
                                       << "635.92, 0, -1236.98";
    QTest::newRow("no zone: zero without sign") << ZoneRectangle{} << kSampleWidth << 5 << 5
                                                << "0" << "0.00, 0, 0.00";
    // Spans and products beyond 32 bits are computed exactly.
    QTest::newRow("overflow-sized")
        << ZoneRectangle{-2000000000, -2000000000, 2000000000, 2000000000} << kSampleWidth
        << 2000000000 << -2147483647 - 1 << "0"
        << "-18348621853211008.00, 0, -16976157320158102.00";
    QTest::newRow("page width 0") << kSampleZone << 0 << 10 << 10 << "7" << "0, 7, 0";
}

void MapCoordinatesTest::imageToWorld()
{
    QFETCH(ZoneRectangle, zone);
    QFETCH(int, width);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, middle);
    QFETCH(QString, world);
    const EditorState state = stateWith(zone, width);
    QCOMPARE(QString::fromStdString(ImageToWorld(state, x, y, middle.toStdString())), world);
}

void MapCoordinatesTest::worldToImage_data()
{
    QTest::addColumn<ZoneRectangle>("zone");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");  // empty: the conversion fails
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    const ZoneRectangle unit{0, 0, 100, 100};  // on a 100 x 100 page, world = -x, z = y
    QTest::newRow("far corner") << kSampleZone << "-1635.00, 12.5, 1445.00"
                                << "-1635.00, 12.5, 1445.00" << 436 << 506;
    QTest::newRow("origin, normalised") << kSampleZone << " 585 ,  0 , -1135"
                                        << "585.00, 0, -1135.00" << 0 << 0;
    QTest::newRow("exponent and plus") << kSampleZone << "+5.85e2, h, -1.135E3"
                                       << "585.00, h, -1135.00" << 0 << 0;
    QTest::newRow("half to even, down") << unit << "-0.5, 0, 2.5" << "-0.50, 0, 2.50" << 0 << 2;
    QTest::newRow("half to even, up") << unit << "-1.5, 0, 3.5" << "-1.50, 0, 3.50" << 2 << 4;
    QTest::newRow("two parts") << kSampleZone << "1, 2" << "" << 0 << 0;
    QTest::newRow("four parts") << kSampleZone << "1, 2, 3, 4" << "" << 0 << 0;
    QTest::newRow("x not a number") << kSampleZone << "a, 2, 3" << "" << 0 << 0;
    QTest::newRow("decimal comma") << kSampleZone << "1,5, 2, 3" << "" << 0 << 0;
    QTest::newRow("infinity") << kSampleZone << "inf, 2, 3" << "" << 0 << 0;
    QTest::newRow("x2 = x1") << ZoneRectangle{5, 0, 5, 10} << "1, 2, 3" << "" << 0 << 0;
    QTest::newRow("y2 = y1") << ZoneRectangle{0, 5, 10, 5} << "1, 2, 3" << "" << 0 << 0;
    QTest::newRow("position out of range") << kSampleZone << "1e300, 0, 0" << "" << 0 << 0;
    QTest::newRow("empty") << kSampleZone << "" << "" << 0 << 0;
}

void MapCoordinatesTest::worldToImage()
{
    QFETCH(ZoneRectangle, zone);
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    QFETCH(int, x);
    QFETCH(int, y);
    const int side = zone == ZoneRectangle{0, 0, 100, 100} ? 100 : kSampleWidth;
    const EditorState state = stateWith(zone, side, side == 100 ? 100 : kSampleHeight);
    const WorldToImageResult result = WorldToImage(state, text.toStdString());
    QCOMPARE(QString::fromStdString(result.text), normalised);
    QCOMPARE(result.ok(), !normalised.isEmpty());
    QCOMPARE(result.x, x);
    QCOMPARE(result.y, y);
}

void MapCoordinatesTest::roundTrip_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    for (const QPoint& p : {QPoint(0, 0), QPoint(436, 506), QPoint(1, 505), QPoint(218, 253),
                            QPoint(511, 0), QPoint(-40, -7), QPoint(3, 499)})
        QTest::addRow("%d,%d", p.x(), p.y()) << p.x() << p.y();
}

void MapCoordinatesTest::roundTrip()
{
    QFETCH(int, x);
    QFETCH(int, y);
    const EditorState state = stateWith(kSampleZone);
    const std::string world = ImageToWorld(state, x, y, "33");
    const WorldToImageResult back = WorldToImage(state, world);
    QCOMPARE(back.text, world);
    QCOMPARE(back.x, x);
    QCOMPARE(back.y, y);
}

void MapCoordinatesTest::middlePart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("middle");
    QTest::newRow("three parts") << "1.00, 12.5, 3.00" << "12.5";
    QTest::newRow("blanks trimmed") << "1,   7  ,2" << "7";
    QTest::newRow("two parts") << "1, x" << "x";
    QTest::newRow("more parts") << "1,a,b,c" << "a";
    QTest::newRow("empty middle") << "1,,3" << "0";
    QTest::newRow("no comma") << "abc" << "0";
    QTest::newRow("empty") << "" << "0";
}

void MapCoordinatesTest::middlePart()
{
    QFETCH(QString, text);
    QFETCH(QString, middle);
    QCOMPARE(QString::fromStdString(MiddlePartOf(text.toStdString())), middle);
}

// Short plain digits are read directly, everything else the general way: both must agree on
// where an int ends and what is not one.
void MapCoordinatesTest::parseInteger()
{
    const struct {
        const char* text;
        std::optional<int> value;
    } rows[] = {
        {"0", 0}, {"-0", 0}, {"7", 7}, {"-7", -7}, {"123456789", 123456789}, {"-123456789", -123456789},
        {"1234567890", 1234567890}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"9999999999", std::nullopt},
        {"+5", 5}, {" 5", 5}, {"5 ", std::nullopt}, {"-", std::nullopt}, {"", std::nullopt},
        {"+", std::nullopt}, {"12a", std::nullopt}, {"1,2", std::nullopt}, {"--1", std::nullopt},
        {"1-", std::nullopt}, {"/", std::nullopt}, {":", std::nullopt}, {"0000000001", 1},
        {"-000000001", -1}, {"1.5", std::nullopt}, {"\xEF\xBC\x91", std::nullopt},
    };
    for (const auto& row : rows) {
        const std::optional<int> parsed = ParseInteger(row.text);
        QVERIFY2(parsed == row.value, row.text);
    }
}

void MapCoordinatesTest::numbersIgnoreLocale()
{
    QCOMPARE(FormatFixed2(-0.001), std::optional<std::string>("0.00"));
    QCOMPARE(FormatFixed2(2.675), std::optional<std::string>("2.67"));  // binary 2.67499..
    QCOMPARE(ParseDecimal("1,5"), std::optional<double>());

    const std::string saved = std::setlocale(LC_ALL, nullptr);
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, name)) {
            switched = true;
            break;
        }
    const EditorState state = stateWith(kSampleZone);
    const std::string world = ImageToWorld(state, 100, 50, "0");
    const WorldToImageResult back = WorldToImage(state, "75.83, 0, -880.06");
    std::setlocale(LC_ALL, saved.c_str());
    if (!switched)
        QSKIP("no locale with a decimal comma is installed");
    QCOMPARE(world, std::string("75.83, 0, -880.06"));
    QCOMPARE(back.x, 100);
    QCOMPARE(back.y, 50);
}

void MapCoordinatesTest::statusTexts()
{
    EditorState state = stateWith(kSampleZone);
    QCOMPARE(StatusPositionText(0, 0), std::string("0,0"));
    QCOMPARE(StatusPositionText(-3, 517), std::string("-3,517"));
    QCOMPARE(StatusWorldText(state, 0, 0), std::string("585.00, 0, -1135.00"));
    state.DocLoaded = false;
    QCOMPARE(StatusWorldText(state, 0, 0), std::string());
}

QTEST_APPLESS_MAIN(MapCoordinatesTest)
#include "MapCoordinatesTest.moc"
