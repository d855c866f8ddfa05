// The tree's text order takes ASCII shortcuts, on UTF-16 text and on the document's UTF-8 bytes;
// on random texts both must order every pair as the plain rule does: letter case ignored through
// Qt's folding, then a case-sensitive tie-break.

#include "document/PoiTextOrder.h"

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
    // Longer than the sort key's sixteen bytes, so that keys that cannot tell are met too.
    constexpr int kMaxLength = 20;
    QString text;
    const int length = int(random() % (kMaxLength + 1));
    for (int i = 0; i < length; ++i)
        text += alphabet.at(int(random() % alphabet.size()));
    return text;
}

// The key byte by byte: ASCII folded, 0 past the text's end and from the first byte outside
// ASCII on, which ends what the key speaks for.
PoiTextKey keyByteByByte(std::string_view text)
{
    PoiTextKey key;
    key.decided = 16;
    for (int i = 0; i < 16 && i < int(text.size()); ++i) {
        const auto c = static_cast<unsigned char>(text[size_t(i)]);
        if (c >= 0x80) {
            key.decided = i;
            break;
        }
        const unsigned folded = c >= 'A' && c <= 'Z' ? c | 0x20u : c;
        (i < 8 ? key.folded : key.foldedNext) |= std::uint64_t(folded) << ((7 - i % 8) * 8);
    }
    return key;
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
            // Every other pair shares a start, which the key's second word has to tell.
            const QString b = i % 2 ? randomText(alphabet, random)
                                    : a.left(int(random() % (a.size() + 1))) + randomText(alphabet, random);
            const bool expected = plainRule(a, b);
            const std::optional<bool> byKey = PoiTextKeyLess(MakePoiTextKey(a.toStdString()), MakePoiTextKey(b.toStdString()));
            if (PoiTextLess(a, b) != expected || PoiTextLessUtf8(a.toStdString(), b.toStdString()) != expected
                || (byKey && *byKey != expected))
                QFAIL(qPrintable(QStringLiteral("\"%1\" < \"%2\" differs").arg(a, b)));
        }
    }

    // Every byte value at every place of the key and past it, in texts of every length around it.
    void keysAreTheBytesFolded()
    {
        for (int length = 0; length <= 18; ++length) {
            for (int at = 0; at < std::max(length, 1); ++at) {
                for (int byte = 0; byte < 256; ++byte) {
                    std::string text(size_t(length), 'Q');
                    for (int i = 0; i < length; ++i)
                        text[size_t(i)] = "aZ@[`{09 _Mm"[i % 12];
                    if (at < length)
                        text[size_t(at)] = char(byte);
                    const PoiTextKey fast = MakePoiTextKey(text);
                    const PoiTextKey plain = keyByteByByte(text);
                    if (fast.folded != plain.folded || fast.foldedNext != plain.foldedNext
                        || fast.decided != plain.decided)
                        QFAIL(qPrintable(QStringLiteral("length %1, byte %2 at %3").arg(length).arg(byte).arg(at)));
                }
            }
        }
    }

    // Names in a page need not be valid UTF-8: the byte order must match the order of the texts
    // the tree shows for them.
    void malformedUtf8OrdersAsShown_data()
    {
        QTest::addColumn<QByteArrayList>("alphabet");
        QTest::newRow("stray continuation and lead bytes")
            << QByteArrayList{"a", "A", "\x80", "\xBF", "\xC3", "\xC3\xA9", "\xFF", "z", "\xE2\x82"};
        QTest::newRow("overlong forms and surrogates")
            << QByteArrayList{"\xC0\xAF", "/", "\xED\xA0\x80", "\xEF\xBF\xBD", "b", "B", "\xF4\x90\x80\x80"};
    }

    void malformedUtf8OrdersAsShown()
    {
        QFETCH(QByteArrayList, alphabet);
        constexpr int kPairs = 20000;
        constexpr int kMaxLength = 5;
        std::mt19937 random(kPairs);
        auto bytes = [&]() {
            std::string text;
            const int length = int(random() % (kMaxLength + 1));
            for (int i = 0; i < length; ++i)
                text += alphabet.at(int(random() % alphabet.size())).toStdString();
            return text;
        };
        for (int i = 0; i < kPairs; ++i) {
            const std::string a = bytes();
            const std::string b = bytes();
            const bool shown = PoiTextLess(QString::fromStdString(a), QString::fromStdString(b));
            const std::optional<bool> byKey = PoiTextKeyLess(MakePoiTextKey(a), MakePoiTextKey(b));
            if (PoiTextLessUtf8(a, b) != shown || (byKey && *byKey != shown))
                QFAIL(qPrintable(QStringLiteral("bytes %1 < %2 differs")
                                     .arg(QString::fromLatin1(QByteArray::fromStdString(a).toHex()),
                                          QString::fromLatin1(QByteArray::fromStdString(b).toHex()))));
        }
    }
};

QTEST_GUILESS_MAIN(PoiTextOrderTest)
#include "PoiTextOrderTest.moc"
