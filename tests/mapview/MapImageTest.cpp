// Map image loading: gamma table, decoding into the display bitmap, what Image1 shows, the
// automatic load's fallbacks, the FileMAP command and the PNG export command.

#include "mapview/DdsExport.h"
#include "mapview/MapImage.h"

#include "helpers/DdsTestFile.h"
#ifndef _WIN32
#include "helpers/FileSizeLimit.h"
#endif
#include "helpers/ModalDialog.h"
#include "support/AtomicFile.h"
#include "support/DdsImage.h"
#include "helpers/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

using namespace ddstest;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// 2 x 2 pixels, bytes blue, green, red, alpha; the bottom-left pixel (third) is black.
const std::vector<uint8_t> kSmallPixels
    = {10, 20, 30, 40, 128, 128, 128, 128, 0, 0, 0, 0, 0, 0, 0, 200};

QImage solid(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

bool isBlank(const QImage& image)
{
    return image.size() == QSize(kMapControlSize, kMapControlSize) && image.pixel(0, 0) == kWhite
           && image.pixel(kMapControlSize - 1, kMapControlSize - 1) == kWhite;
}

}  // namespace

// Checks the map image functions against files written into a temporary folder.
class MapImageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::string path(const QString& relative) const
    {
        return QFile::encodeName(m_dir.filePath(relative)).toStdString();
    }
    void write(const QString& relative, const std::vector<uint8_t>& bytes) const
    {
        QDir(m_dir.path()).mkpath(QFileInfo(m_dir.filePath(relative)).path());
        QVERIFY(writeFile(path(relative), bytes));
    }
    // An A8R8G8B8 map of one colour, so a test can tell which file was loaded.
    void writeMap(const QString& relative, uint8_t blue) const
    {
        constexpr int kPixels = 4;
        std::vector<uint8_t> pixels(kPixels * 4, 0);
        for (int i = 0; i < kPixels; ++i) {
            pixels[i * 4] = blue;
            pixels[i * 4 + 3] = 255;
        }
        write(relative, argbFile(2, 2, pixels));
    }
    EditorState folders() const
    {
        EditorState state;
        state.BaseFolder = path("base/");
        state.DefaultFolder = path("default/");
        state.MapImagePath = "images\\maps\\map_town.dds";
        state.CurrentFile = path("base/vynmap/icons_town.xml");
        state.MapGamma = 1.0;
        return state;
    }

private slots:
    void gammaTable_data()
    {
        QTest::addColumn<double>("gamma");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.7 at 0") << 0.7 << 0 << 0;
        QTest::newRow("0.7 at 1") << 0.7 << 1 << 6;
        QTest::newRow("0.7 at 128") << 0.7 << 128 << 158;
        QTest::newRow("0.7 at 254") << 0.7 << 254 << 255;
        QTest::newRow("0.7 at 255") << 0.7 << 255 << 255;
        QTest::newRow("2.0 at 1") << 2.0 << 1 << 1;
        QTest::newRow("2.0 at 128") << 2.0 << 128 << 65;
        QTest::newRow("2.0 at 255 rounds 255.5 to even then clamps") << 2.0 << 255 << 255;
        QTest::newRow("1.0 is the identity") << 1.0 << 77 << 77;
    }
    void gammaTable()
    {
        QFETCH(double, gamma);
        QFETCH(int, index);
        QFETCH(int, expected);
        QCOMPARE(int(buildGammaTable(gamma)[index]), expected);
    }

    void degenerateGammaClampsTo255()
    {
        // A power of 1 or more gives 255.5 or more before the clamp.
        for (double gamma : {0.0, -1.0, std::nan("")}) {
            const GammaTable table = buildGammaTable(gamma);
            QCOMPARE(int(table[0]), 0);
            QCOMPARE(int(table[1]), 255);
            QCOMPARE(int(table[200]), 255);
        }
    }

    void loadAppliesTheTableToAllFourBytes()
    {
        write("small.dds", argbFile(2, 2, kSmallPixels));
        const QImage exact = LoadMapImage(path("small.dds"), 1.0);
        QCOMPARE(exact.size(), QSize(2, 2));
        QCOMPARE(exact.pixel(0, 0), qRgba(30, 20, 10, 40));
        QCOMPARE(exact.pixel(1, 1), qRgba(0, 0, 0, 200));

        const GammaTable table = buildGammaTable(0.7);
        const QImage lighter = LoadMapImage(path("small.dds"), 0.7);
        QCOMPARE(lighter.pixel(0, 0), qRgba(table[30], table[20], table[10], table[40]));
        QCOMPARE(lighter.pixel(1, 0), qRgba(158, 158, 158, 158));
    }

    // The load decodes, converts and applies gamma in one pass into the image; it must give the
    // pixels of the plain steps (decode, convert, table over every byte) for every kind of map.
    void onePassLoadMatchesThePlainSteps_data()
    {
        QTest::addColumn<QByteArray>("fourCC");
        QTest::addColumn<int>("bits");
        QTest::addColumn<double>("gamma");
        QTest::newRow("DXT1 lighter") << QByteArray("DXT1") << 0 << 0.7;
        QTest::newRow("DXT1 exact") << QByteArray("DXT1") << 0 << 1.0;
        QTest::newRow("DXT3 darker") << QByteArray("DXT3") << 0 << 1.6;
        QTest::newRow("DXT5 lighter") << QByteArray("DXT5") << 0 << 0.7;
        QTest::newRow("R5G6B5 lighter") << QByteArray() << 16 << 0.7;
        QTest::newRow("R8G8B8 darker") << QByteArray() << 24 << 1.6;
    }

    void onePassLoadMatchesThePlainSteps()
    {
        QFETCH(QByteArray, fourCC);
        QFETCH(int, bits);
        QFETCH(double, gamma);
        constexpr uint32_t kSide = 8;
        constexpr uint32_t kSeed = 7;
        Header h;
        h.width = kSide;
        h.height = kSide;
        size_t dataBytes = 0;
        if (!fourCC.isEmpty()) {
            h.fourCC = code({fourCC[0], fourCC[1], fourCC[2], fourCC[3], 0});
            dataBytes = (kSide / 4) * (kSide / 4) * (fourCC == "DXT1" ? 8 : 16);
        } else {
            h = bits == 16 ? rgbHeader(16, 0xF800, 0x07E0, 0x001F, 0) : rgbHeader(24, 0xFF0000, 0xFF00, 0xFF, 0);
            h.width = kSide;
            h.height = kSide;
            dataBytes = size_t(kSide) * kSide * size_t(bits / 8);
        }
        std::mt19937 random(kSeed);
        std::vector<uint8_t> data(dataBytes);
        for (uint8_t& b : data)
            b = uint8_t(random());
        write("random.dds", ddsFile(h, data));

        ImageRecord plain = *DecodeDds(path("random.dds"));
        ConvertToArgb32(plain);
        const GammaTable table = buildGammaTable(gamma);
        for (uint8_t& b : plain.bits)
            b = table[b];

        const QImage loaded = LoadMapImage(path("random.dds"), gamma);
        QCOMPARE(loaded.size(), QSize(kSide, kSide));
        for (int y = 0; y < int(kSide); ++y) {
            for (int x = 0; x < int(kSide); ++x) {
                const uint8_t* p = plain.bits.data() + (size_t(y) * kSide + x) * 4;
                QCOMPARE(loaded.pixel(x, y), qRgba(p[2], p[1], p[0], p[3]));
            }
        }
    }

    void loadOfAnotherExtensionIsTheBlankMap()
    {
        write("small.dds.old", argbFile(2, 2, kSmallPixels));
        QVERIFY(isBlank(LoadMapImage(path("small.dds.old"), 0.7)));
        QVERIFY(isBlank(blankMap()));
    }

    void loadOfADamagedFileRaisesTheDecoderMessage()
    {
        write("damaged.DDS", std::vector<uint8_t>(200, 'x'));
        const QString name = QString::fromStdString(path("damaged.DDS"));
        try {
            LoadMapImage(path("damaged.DDS"), 0.7);
            QFAIL("no error");
        } catch (const EImageError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                "Error while loading images from file \"" + name + "\". Exception Message: File \""
                    + name + "\" is not valid image in \"DirectDraw Surface\" format.");
        }
    }

    void displayCutsTo512AndKeysOnTheBottomLeftColour()
    {
        QImage big = solid(1024, 1024, qRgba(1, 2, 3, 255));
        big.setPixel(0, 1023, qRgba(9, 9, 9, 255));
        big.setPixel(4, 5, qRgba(9, 9, 9, 255));  // the key's colour and alpha
        big.setPixel(5, 5, qRgba(9, 9, 9, 17));   // same colour, other alpha: not the key
        big.setPixel(6, 5, qRgba(1, 2, 3, 0));    // alpha 0: the panel shows
        const QImage shown = mapDisplayImage(big);
        QCOMPARE(shown.size(), QSize(kMapControlSize, kMapControlSize));
        QCOMPARE(shown.pixel(4, 5), qRgba(0, 0, 0, 0));
        QCOMPARE(shown.pixel(5, 5), qPremultiply(qRgba(9, 9, 9, 17)));
        QCOMPARE(shown.pixel(6, 5), qRgba(0, 0, 0, 0));
        QCOMPARE(shown.pixel(7, 5), qRgba(1, 2, 3, 255));
        QCOMPARE(shown.pixel(511, 511), qRgba(1, 2, 3, 255));

        const QImage quarter = mapDisplayImage(solid(256, 256, qRgba(0, 0, 0, 255)));
        QCOMPARE(quarter.size(), QSize(256, 256));
        QCOMPARE(qAlpha(quarter.pixel(100, 100)), 0);
    }

    void alphaBlendsAndOpaqueMapsAreUnchanged_data()
    {
        QTest::addColumn<QRgb>("pixel");
        QTest::addColumn<QRgb>("shown");  // premultiplied
        QTest::newRow("opaque") << qRgba(200, 100, 50, 255) << qRgba(200, 100, 50, 255);
        QTest::newRow("cut out (1-bit alpha)") << qRgba(255, 255, 255, 0) << qRgba(0, 0, 0, 0);
        QTest::newRow("half") << qRgba(200, 100, 50, 128) << qRgba(100, 50, 25, 128);
        QTest::newRow("soft edge") << qRgba(255, 0, 0, 51) << qRgba(51, 0, 0, 51);
        QTest::newRow("key colour, opaque") << qRgba(9, 8, 7, 255) << qRgba(0, 0, 0, 0);
        QTest::newRow("key colour, translucent") << qRgba(9, 8, 7, 90) << qPremultiply(qRgba(9, 8, 7, 90));
    }

    // The map's alpha shows: blended over the panel when painted. The bottom-left pixel's colour
    // and alpha stay transparent.
    void alphaBlendsAndOpaqueMapsAreUnchanged()
    {
        QFETCH(QRgb, pixel);
        QFETCH(QRgb, shown);
        QImage map = solid(4, 4, qRgba(1, 2, 3, 255));
        map.setPixel(0, 3, qRgba(9, 8, 7, 255));
        map.setPixel(2, 1, pixel);
        const QImage display = mapDisplayImage(map);
        QCOMPARE(display.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(display.pixel(2, 1), shown);
        QCOMPARE(display.pixel(1, 1), qRgba(1, 2, 3, 255));

        const QColor panel(60, 70, 80);
        QImage painted(4, 4, QImage::Format_RGB32);
        painted.fill(panel);
        QPainter(&painted).drawImage(0, 0, display);
        const int a = qAlpha(shown);
        auto blend = [a](int mapPremultiplied, int under) { return mapPremultiplied + under * (255 - a) / 255; };
        const QColor expected(blend(qRed(shown), panel.red()), blend(qGreen(shown), panel.green()),
                              blend(qBlue(shown), panel.blue()));
        const QColor got = painted.pixelColor(2, 1);
        QVERIFY2(qAbs(got.red() - expected.red()) <= 1 && qAbs(got.green() - expected.green()) <= 1
                     && qAbs(got.blue() - expected.blue()) <= 1,
                 qPrintable(got.name() + " vs " + expected.name()));
    }

    void blackBottomLeftShowsThePanelWhereColourAndAlphaMatch()
    {
        write("small.dds", argbFile(2, 2, kSmallPixels));
        const QImage shown = mapDisplayImage(LoadMapImage(path("small.dds"), 1.0));
        QCOMPARE(qAlpha(shown.pixel(0, 1)), 0);
        // Black like the key, but not its alpha 0: the map has alpha, so it stays.
        QCOMPARE(qAlpha(shown.pixel(1, 1)), 200);
        QCOMPARE(shown.pixel(0, 0), qPremultiply(qRgba(30, 20, 10, 40)));

        const QImage blank = mapDisplayImage(blankMap());
        QCOMPARE(qAlpha(blank.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(blank.pixel(511, 0)), 0);
    }

    void automaticLoadPrefersBaseThenDefaultThenThePageFile()
    {
        const EditorState state = folders();
        // The file taken is the first of the places a missing map's message names that holds one.
        auto firstCandidate = [&state]() -> std::optional<std::string> {
            for (const std::string& candidate : pageMapCandidates(state))
                if (QFileInfo::exists(QString::fromStdString(candidate)))
                    return candidate;
            return std::nullopt;
        };
        QVERIFY(isBlank(loadPageMapImage(state)));  // nothing anywhere
        QVERIFY(!pageMapFile(state) && !firstCandidate());

        writeMap("base/vynmap/ICONS_TOWN.dds", 3);  // letter case differs from ".DDS"
        QCOMPARE(qBlue(loadPageMapImage(state).pixel(0, 0)), 3);
        QCOMPARE(pageMapFile(state), firstCandidate());

        writeMap("default/Images/Maps/MAP_TOWN.DDS", 2);
        QCOMPARE(qBlue(loadPageMapImage(state).pixel(0, 0)), 2);
        QCOMPARE(pageMapFile(state), firstCandidate());

        writeMap("base/images/maps/map_town.dds", 1);
        QCOMPARE(qBlue(loadPageMapImage(state).pixel(0, 0)), 1);
        QCOMPARE(QString::fromStdString(*pageMapFile(state)),
            QString::fromStdString(path("base/images/maps/map_town.dds")));
    }

    void automaticLoadOfAnUnknownFormatIsBlackAndAWrongExtensionIsBlank()
    {
        EditorState state = folders();
        state.MapImagePath = "images\\maps\\odd.dds";
        Header odd = rgbHeader(32, 0, 0, 0, 0, 0);
        write("base/images/maps/odd.dds", ddsFile(odd));
        const QImage black = loadPageMapImage(state);
        QCOMPARE(black.size(), QSize(2, 2));
        QCOMPARE(black.pixel(1, 1) & 0xFFFFFF, 0u);

        state.MapImagePath = "images\\maps\\map.png";
        write("base/images/maps/map.png", argbFile(2, 2, kSmallPixels));
        state.CurrentFile.clear();
        QVERIFY(isBlank(loadPageMapImage(state)));
    }

    void automaticLoadLetsTheDecoderErrorThrough()
    {
        EditorState state = folders();
        state.MapImagePath = "images\\maps\\broken.dds";
        write("base/images/maps/broken.dds", {'D', 'D', 'S', ' '});
        QVERIFY_THROWS_EXCEPTION(EImageError, loadPageMapImage(state));
    }

    void fileMapCommand()
    {
        EditorState state = folders();
        state.BaseFolder = path("filemap/");
        QDir(m_dir.path()).mkpath("filemap/Images/MAPS");
        ScriptedPrompts prompts;

        QVERIFY(!runFileMapCommand(state, prompts).has_value());  // cancelled
        QCOMPARE(prompts.dialogs.size(), 1);
        QCOMPARE(prompts.dialogs[0].title, QString("Open MAP Image"));
#ifdef _WIN32
        // Names are not case-sensitive there: the folder is found under the name the game writes.
        QCOMPARE(prompts.dialogs[0].initialFolder.toLower(), m_dir.filePath("filemap/Images/MAPS/").toLower());
#else
        QCOMPARE(prompts.dialogs[0].initialFolder, m_dir.filePath("filemap/Images/MAPS/"));
#endif
        QVERIFY(prompts.dialogs[0].mustExist);

        write("notdds.dds", std::vector<uint8_t>(300, 0));
        prompts.fileAnswers << m_dir.filePath("notdds.dds");
        QVERIFY(!runFileMapCommand(state, prompts).has_value());
        QCOMPARE(prompts.messages, QStringList{"Map Loading Fail."});

        writeMap("good.dds", 7);
        prompts.fileAnswers << m_dir.filePath("good.dds") << m_dir.filePath("vanished.dds");
        QCOMPARE(qBlue(runFileMapCommand(state, prompts)->pixel(0, 0)), 7);
        QVERIFY(isBlank(*runFileMapCommand(state, prompts)));
        QCOMPARE(prompts.messages.size(), 1);

        // A map cut short would show blank: it is no map.
        QVERIFY(QFile::resize(m_dir.filePath("good.dds"), QFileInfo(m_dir.filePath("good.dds")).size() - 1));
        prompts.fileAnswers << m_dir.filePath("good.dds");
        QVERIFY(!runFileMapCommand(state, prompts).has_value());
        QCOMPARE(prompts.messages, (QStringList{"Map Loading Fail.", "Map Loading Fail."}));
    }

    // "Map Loading Fail." and the editor's other plain messages: a box without icon.
    void plainMessageBoxHasNoIcon()
    {
        QWidget owner;
        WidgetPrompts prompts(&owner);
        int icon = -1;
        whenModal<QMessageBox>([&icon](QMessageBox* box) { icon = box->icon(); box->accept(); });
        prompts.showMessage(QString::fromLatin1(kMapLoadingFail));
        QCOMPARE(icon, int(QMessageBox::NoIcon));
    }

    void sampleMapsShowTerrainInsideAPanelColouredFrame_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("fade");  // width of the alpha fade inside the frame
        QTest::newRow("map_harbor_town.dds") << QStringLiteral("map_harbor_town.dds") << 0;
        QTest::newRow("map_greenwood.dds") << QStringLiteral("map_greenwood.dds") << 0;
        QTest::newRow("map_hanok_village.dds") << QStringLiteral("map_hanok_village.dds") << 24;
        QTest::newRow("map_empty_zone.dds") << QStringLiteral("map_empty_zone.dds") << 0;
    }
    void sampleMapsShowTerrainInsideAPanelColouredFrame()
    {
        QFETCH(QString, name);
        QFETCH(int, fade);
        const QString file = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/images/maps/") + name;
        const QImage shown
            = mapDisplayImage(LoadMapImage(QFile::encodeName(file).toStdString(), 0.7));
        QCOMPARE(shown.size(), QSize(kMapControlSize, kMapControlSize));
        constexpr int kFrame = 4;
        QSet<QRgb> colours;
        int translucent = 0;
        for (int y = 0; y < kMapControlSize; ++y) {
            for (int x = 0; x < kMapControlSize; ++x) {
                const int edge = std::min({x, y, kMapControlSize - 1 - x, kMapControlSize - 1 - y});
                const QRgb pixel = shown.pixel(x, y);
                // The frame shows the panel; a fading edge blends into it; the rest is opaque.
                const bool ok = edge < kFrame          ? qAlpha(pixel) == 0
                                : edge < kFrame + fade ? true
                                                       : qAlpha(pixel) == 255;
                if (!ok)
                    QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
                translucent += qAlpha(pixel) > 0 && qAlpha(pixel) < 255;
                colours.insert(pixel);
            }
        }
        QVERIFY2(colours.size() > 1000, "a flat image");
        QCOMPARE(translucent > 0, fade > 0);
    }

    void decodeCommandWritesThePngWithoutGamma()
    {
        write("export.dds", argbFile(2, 2, kSmallPixels));
        QString errors;
        QTextStream err(&errors);
        const QString png = m_dir.filePath("export.png");
        QCOMPARE(decodeDdsToPng(m_dir.filePath("export.dds"), png, err), 0);
        QVERIFY(errors.isEmpty());
        const QImage written(png);
        QCOMPARE(written.size(), QSize(2, 2));
        QVERIFY(written.hasAlphaChannel());
        QCOMPARE(written.pixel(0, 0), qRgba(30, 20, 10, 40));
        QCOMPARE(written.pixel(1, 1), qRgba(0, 0, 0, 200));

        write("bad.dds", std::vector<uint8_t>(10, 0));
        QCOMPARE(decodeDdsToPng(m_dir.filePath("bad.dds"), png, err), 1);
        QVERIFY(errors.startsWith("Error while loading images from file \""));
        QVERIFY(errors.endsWith("is not valid image in \"DirectDraw Surface\" format.\n"));

        errors.clear();
        QCOMPARE(
            decodeDdsToPng(m_dir.filePath("export.dds"), m_dir.filePath("no/such/dir/x.png"), err),
            1);
        QVERIFY(errors.startsWith("Cannot write"));
    }

    // Block-compressed pictures are decoded in whole blocks of four; the PNG has the header's size.
    void decodeCommandWritesTheHeadersSize_data()
    {
        QTest::addColumn<uint>("fourCC");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("blockBytes");
        QTest::newRow("a map's DXT5") << uint(ddstest::code("DXT5")) << QSize(436, 506) << 16;
        QTest::newRow("DXT1, both sides padded") << uint(ddstest::code("DXT1")) << QSize(5, 3) << 8;
    }

    void decodeCommandWritesTheHeadersSize()
    {
        QFETCH(uint, fourCC);
        QFETCH(QSize, size);
        QFETCH(int, blockBytes);
        ddstest::Header header;
        header.width = uint32_t(size.width());
        header.height = uint32_t(size.height());
        header.fourCC = fourCC;
        const size_t blocks = size_t((size.width() + 3) / 4) * size_t((size.height() + 3) / 4);
        header.pitch = uint32_t(blocks * size_t(blockBytes));
        write("padded.dds", ddstest::ddsFile(header, std::vector<uint8_t>(header.pitch, 0)));
        QString errors;
        QTextStream err(&errors);
        const QString png = m_dir.filePath("padded.png");
        QCOMPARE(decodeDdsToPng(m_dir.filePath("padded.dds"), png, err), 0);
        QCOMPARE(QImage(png).size(), size);
    }

    // The PNG goes through the atomic writer: a write that fails part way keeps an earlier output.
    void decodeCommandKeepsTheEarlierOutputWhenTheWriteFails()
    {
#ifdef _WIN32
        QSKIP("Windows has no file size limit to make a write fail part way");
#else
        constexpr int kSide = 128;
        constexpr rlim_t kLimit = 8 * 1024;  // far below the PNG of kSide x kSide noisy pixels
        std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
        uint32_t seed = 1;
        for (uint8_t& byte : pixels) {
            seed = seed * 1103515245u + 12345u;
            byte = uint8_t(seed >> 24);
        }
        write("noisy.dds", argbFile(kSide, kSide, pixels));
        const QString png = m_dir.filePath("kept.png");
        const QByteArray earlier = "earlier output";
        QFile old(png);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(earlier);
        old.close();
        QString errors;
        QTextStream err(&errors);
        int status = 0;
        {
            const FileSizeLimit limit(kLimit);
            status = decodeDdsToPng(m_dir.filePath("noisy.dds"), png, err);
        }
        QCOMPARE(status, 1);
        QVERIFY2(errors.startsWith("Cannot write"), qPrintable(errors));
        QFile kept(png);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), earlier);
        QCOMPARE(QDir(m_dir.path()).entryList({"*.tmp", ".*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
#endif
    }

    void imageAbove256MegabytesIsRefusedAtOnce()
    {
        write("huge.dds", argbFile(2, 2, kSmallPixels));
        QVERIFY(QFile::resize(m_dir.filePath("huge.dds"), qint64(AtomicFile::kMaxFileBytes) + 1));
        try {
            DecodeDds(path("huge.dds"));
            QFAIL("a file above the bound was decoded");
        } catch (const EImageError& error) {
            QVERIFY2(QByteArray(error.what()).contains("is larger than 256 MB and is not read."), error.what());
        }
    }
};

QTEST_MAIN(MapImageTest)
#include "MapImageTest.moc"
