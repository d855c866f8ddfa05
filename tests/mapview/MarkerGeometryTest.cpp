// Reading Location and Size, the marker ellipse, the position button placement and the colours.

#include "mapview/MarkerGeometry.h"

#include "mapview/MapCoordinates.h"

#include <QtTest>

// Tests of the pure marker geometry used by the document layer.
class MarkerGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void markerRect_data();
    void markerRect();
    void commaPairTailLimits();
    void commaPairsAsReadByParts();
    void centredRect();
    void fillColours_data();
    void fillColours();
};

void MarkerGeometryTest::markerRect_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("icon 14,14") << "100,200" << "14,14" << QRect(94, 194, 12, 12);
    QTest::newRow("icon 12,12") << "100,200" << "12,12" << QRect(95, 195, 10, 10);
    QTest::newRow("size unreadable: 12,12") << "100,200" << "" << QRect(95, 195, 10, 10);
    QTest::newRow("odd size: halves down") << "100,200" << "13,8" << QRect(95, 197, 11, 6);
    QTest::newRow("location unreadable: 0,0") << "100;200" << "12,12" << QRect(-5, -5, 10, 10);
    QTest::newRow("negative location") << "-3,-4" << "12,12" << QRect(-8, -9, 10, 10);
    QTest::newRow("y from 5 characters") << "1, 1234567" << "12,12" << QRect(-4, 1229, 10, 10);
    QTest::newRow("tiny icon: empty, rounded down") << "50,50" << "1,1" << QRect(51, 51, 0, 0);
    QTest::newRow("huge values clamp") << "-2147483648,0" << "2147483647,12"
                                       << QRect(-2147483647 - 1, -5, 2147483645, 10);
}

void MarkerGeometryTest::markerRect()
{
    QFETCH(QString, location);
    QFETCH(QString, size);
    QFETCH(QRect, rect);
    const QRect actual =
        MarkerRect(MarkerLocation(location.toStdString()), MarkerSize(size.toStdString()));
    QCOMPARE(actual.topLeft(), rect.topLeft());
    QCOMPARE(actual.size(), rect.size());
}

void MarkerGeometryTest::commaPairTailLimits()
{
    QCOMPARE(ParseCommaPair("436,5069", kPageSizeTailChars), (IntPair{436, 506}));
    QCOMPARE(ParseCommaPair("14,141", kSelectionSizeTailChars), (IntPair{14, 14}));
    QCOMPARE(ParseCommaPair(" 7, 8", kMarkerPairTailChars), (IntPair{7, 8}));
    QVERIFY(!ParseCommaPair("7,8 ", kMarkerPairTailChars));  // trailing blank is not a number
    QVERIFY(!ParseCommaPair("7", kMarkerPairTailChars));
    QVERIFY(!ParseCommaPair(",8", kMarkerPairTailChars));
    QVERIFY(!ParseCommaPair("7,", kMarkerPairTailChars));
    QVERIFY(!ParseCommaPair("7,8", -1));
}

// The one-pass reading of plain pairs must give what reading each part on its own gives, for
// any text: thousands of random ones from the bytes such texts hold, at every tail limit.
void MarkerGeometryTest::commaPairsAsReadByParts()
{
    const auto byParts = [](std::string_view text, int tailChars) -> std::optional<IntPair> {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos || tailChars < 0)
            return std::nullopt;
        const std::optional<int> first = ParseInteger(text.substr(0, comma));
        const std::optional<int> second = ParseInteger(text.substr(comma + 1, static_cast<std::size_t>(tailChars)));
        if (!first || !second)
            return std::nullopt;
        return IntPair{*first, *second};
    };
    const char alphabet[] = "0123456789999--,, +x";
    QRandomGenerator random(20261208);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = random.bounded(0, 24);
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(0, static_cast<int>(sizeof alphabet) - 1)];
        for (const int tail : {-1, 0, 1, 3, kMarkerPairTailChars, kPageSizeTailChars, 12}) {
            const std::optional<IntPair> expected = byParts(text, tail);
            const std::optional<IntPair> read = ParseCommaPair(text, tail);
            QVERIFY2(read.has_value() == expected.has_value() && (!read || *read == *expected),
                     qPrintable(QStringLiteral("'%1' tail %2").arg(QString::fromStdString(text)).arg(tail)));
        }
    }
    for (const char* text : {"999999999,-999999999", "1000000000,1", "2147483647,-2147483648", "-0,-0",
                             "123456789,12345", "12,123456789"})
        QCOMPARE(ParseCommaPair(text, 12), byParts(text, 12));
}

void MarkerGeometryTest::centredRect()
{
    QCOMPARE(CentredRect({100, 200}, {12, 12}), QRect(94, 194, 12, 12));
    QCOMPARE(CentredRect({100, 200}, {13, 7}), QRect(94, 197, 13, 7));
    QCOMPARE(CentredRect({0, 0}, {-3, 4}).topLeft(), QPoint(2, -2));  // -3 / 2 rounds to -2
    QCOMPARE(HalfDown(-3), -2);
    QCOMPARE(HalfDown(-2147483647 - 1), -1073741824);
}

void MarkerGeometryTest::fillColours_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("CLST") << "CLST" << QColor(0xFF, 0x00, 0xFF);
    QTest::newRow("LOC") << "LOC" << QColor(0xD5, 0x08, 0x08);
    QTest::newRow("MOB") << "MOB" << QColor(0x00, 0x83, 0xFF);
    QTest::newRow("NAME") << "NAME" << QColor(0x00, 0x00, 0xFF);
    QTest::newRow("NPC") << "NPC" << QColor(0x3B, 0xFF, 0x00);
    QTest::newRow("QST") << "QST" << QColor(0xF6, 0xFF, 0x00);
    QTest::newRow("ZONE is grey") << "ZONE" << QColor(0xBB, 0xBB, 0xBB);
    QTest::newRow("lower case is grey") << "npc" << QColor(0xBB, 0xBB, 0xBB);
    QTest::newRow("empty is grey") << "" << QColor(0xBB, 0xBB, 0xBB);
}

void MarkerGeometryTest::fillColours()
{
    QFETCH(QString, style);
    QFETCH(QColor, colour);
    QCOMPARE(MarkerFillColour(style.toStdString()), colour);
}

QTEST_APPLESS_MAIN(MarkerGeometryTest)
#include "MarkerGeometryTest.moc"
