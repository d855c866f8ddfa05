// The tree's text order takes an ASCII shortcut; on random texts it must order every pair as
// the plain rule does: letter case ignored through Qt's folding, then a case-sensitive tie-break.

#include "document/PoiTreeItem.h"

#include <QtTest>

#include <random>

namespace {

bool plainRule(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QString randomText(const QStringList& alphabet, std::mt19937& random)
{
    constexpr int kMaxLength = 6;
    QString text;
    const int length = int(random() % (kMaxLength + 1));
    for (int i = 0; i < length; ++i)
        text += alphabet.at(int(random() % alphabet.size()));
    return text;
}

} // namespace

// Pairs of random texts from alphabets that meet the shortcut's edges.
class PoiTextOrderTest : public QObject {
    Q_OBJECT

private slots:
    void ordersEveryPairAsThePlainRule_data()
    {
        QTest::addColumn<QStringList>("alphabet");
        // The ASCII neighbours of the letters: '@' '[' '`' '{' sit next to A, Z, a, z.
        QTest::newRow("ASCII letters and their neighbours")
            << QStringList{"a", "A", "z", "Z", "@", "[", "`", "{", " ", "0", "9", "_"};
        QTest::newRow("Latin letters with case folding outside ASCII")
            << QStringList{"a", "A", "e", QStringLiteral("\u00E9"), QStringLiteral("\u00C9"), QStringLiteral("\u00DF"),
                           QStringLiteral("\u212A"), "k", "K", QStringLiteral("\u0130"), QStringLiteral("\u0131"), "i", "I"};
        QTest::newRow("Greek sigmas and Hangul")
            << QStringList{QStringLiteral("\u03A3"), QStringLiteral("\u03C3"), QStringLiteral("\u03C2"),
                           QStringLiteral("\uB300"), QStringLiteral("\uC7A5"), "P", "p", "1"};
        QTest::newRow("characters beyond the first plane")
            << QStringList{QStringLiteral("\U0001F600"), QStringLiteral("\U00010400"), QStringLiteral("\U00010428"),
                           "x", "X", QStringLiteral("\uFFFD")};
    }

    void ordersEveryPairAsThePlainRule()
    {
        QFETCH(QStringList, alphabet);
        constexpr int kPairs = 20000;
        std::mt19937 random(kPairs);
        for (int i = 0; i < kPairs; ++i) {
            const QString a = randomText(alphabet, random);
            const QString b = randomText(alphabet, random);
            if (PoiTextLess(a, b) != plainRule(a, b))
                QFAIL(qPrintable(QStringLiteral("\"%1\" < \"%2\" differs").arg(a, b)));
        }
    }
};

QTEST_GUILESS_MAIN(PoiTextOrderTest)
#include "PoiTextOrderTest.moc"
