// Copied POIs pasted into each kind of page: the world location kept where both pages have zone
// rectangles, else the point; the target's anchor rule, type property, form and naming.
#include "document/IconPageFile.h"
#include "support/ZonePageFile.h"
#include "tools/PoiClipboard.h"

#include <QTest>

#include <array>
#include <map>
#include <memory>

namespace {

// The three kinds of file, each as its page source tells it.
enum class Form { IconPage, MapWindow, PoiFile };

// The harbour map's rectangle, and one 200 world units further east.
constexpr std::array<int, 4> kRect{-585, -1135, 1635, 1445};
constexpr std::array<int, 4> kShiftedRect{-385, -1135, 1835, 1445};

// Small files of each kind of zone page, whose icons' IDs stay below the pages' own.
const char* const kMapWindowFile =
    "\xEF\xBB\xBF<Page Name=\"Map\">\r\n<Page Name=\"Icons\">\r\n<Page Name=\"harbor_town\">\r\n"
    "<Icon IconStyle=\"style\" Location=\"0,0\" Name=\"Gate\" Size=\"21,21\" />\r\n</Page>\r\n</Page>\r\n</Page>\r\n";
const char* const kPoiFile =
    "<Page Name=\"POI\">\n<Page Name=\"harbor_town\">\n"
    "<Icon Name=\"ID3\" PathFindLocation=\"1.50,2,3.25\" PoiType=\"NPC\" Tooltip=\"x\"/>\n</Page>\n</Page>\n";

PageSource& sourceOf(Form form)
{
    static std::map<Form, std::unique_ptr<PageSource>> sources;
    std::unique_ptr<PageSource>& source = sources[form];
    if (!source)
        source = form == Form::IconPage ? IconPageSource()
                                        : ZonePageSource(std::make_unique<ZonePageFile>(
                                              form == Form::MapWindow ? kMapWindowFile : kPoiFile));
    return *source;
}

EditorState stateOf(Form form, std::array<int, 4> rect)
{
    EditorState state;
    state.ZoneRect = rect;
    state.Anchor = sourceOf(form).anchor();
    return state;
}

PoiPageKind kindOf(Form form, std::array<int, 4> rect)
{
    return PageKindOf(sourceOf(form), stateOf(form, rect));
}

// A paste into `root` of a page of kind `form`, its icons made as that page's Add POI makes them.
PasteTarget targetOf(Form form, std::array<int, 4> rect, TSimpleXMLElem& root)
{
    return PasteTargetFor(sourceOf(form), stateOf(form, rect), root, -1);
}

// A page of one kind with the given icons (as XML) under its root.
struct Page {
    TSimpleXML document;
    explicit Page(const std::string& icons)
    {
        ConfigureIconPageDocument(document);
        document.LoadFromString("<?xml version=\"1.0\"?>\r\n<Page Name=\"harbor_town\">\r\n" + icons + "</Page>\r\n");
    }
    TSimpleXMLElem& root() { return document.Root(); }
    std::string value(int index, const char* name) { return std::string(ValueOrEmpty(*root().Items().Item(index), name)); }
};

const char* const kIconPoi =
    "<Icon IconStyle=\"NPC\" IconType=\"map\" Location=\"218,253\" Name=\"Alpha\" "
    "pathfindlocation=\"-525.00, 7, 155.00\" ScrollExtent=\"12,12\" Size=\"12,12\" Tooltip=\"tip\"/>\r\n";
const char* const kWindowPoi =
    "<Icon IconStyle=\"style\" Location=\"212,247\" Name=\"Alpha\" pathfindlocation=\"-525.00, 7, 155.00\" "
    "Size=\"12,12\" Tooltip=\"tip\" />\r\n";
const char* const kWorldPoi =
    "<Icon Name=\"ID7\" PathFindLocation=\"-525.00,7.00,155.00\" PoiType=\"QUEST\" Tooltip=\"tip\" "
    "PoiDescription=\"ID:7&#xA;-525.00,7.00,155.00\"/>\r\n";

}  // namespace

class PoiClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void pasteConverts_data()
    {
        QTest::addColumn<int>("fromForm");
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("sourceRect");
        QTest::addColumn<int>("toForm");
        QTest::addColumn<QString>("targetIcons");
        QTest::addColumn<bool>("shiftedTargetRect");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("world");
        QTest::addColumn<QString>("type");

        const QString icon = QString::fromLatin1(kIconPoi);
        const QString window = QString::fromLatin1(kWindowPoi);
        const QString world = QString::fromLatin1(kWorldPoi);
        const int iconPage = int(Form::IconPage), mapWindow = int(Form::MapWindow), poiFile = int(Form::PoiFile);
        // Both pages have rectangles: the world location stays, the point follows from it.
        QTest::newRow("icon page to icon page, other rectangle: world kept")
            << iconPage << icon << true << iconPage << QString() << true << "Alpha" << "179,253"
            << "-525.00, 7, 155.00" << "NPC";
        // The target has none: the point stays.
        QTest::newRow("icon page to a page without rectangle: point kept")
            << iconPage << icon << true << iconPage << "none" << false << "Alpha" << "218,253"
            << "-525.00, 7, 155.00" << "NPC";
        QTest::newRow("name taken: a suffix")
            << iconPage << icon << true << iconPage << icon << false << "Alpha (2)" << "218,253"
            << "-525.00, 7, 155.00" << "NPC";
        // Laid out by the corner: the centre lands on the point.
        QTest::newRow("icon page to map window: the sibling's form, centred")
            << iconPage << icon << true << mapWindow << window << false << "Alpha (2)" << "212,247"
            << "-525.00, 7, 155.00" << "style";
        QTest::newRow("map window to icon page: its own form")
            << mapWindow << window << true << iconPage << QString() << false << "Alpha" << "218,253"
            << "-525.00, 7, 155.00" << "style";
        QTest::newRow("icon page to POI file: the next ID, a kind")
            << iconPage << icon << true << poiFile << world << false << "ID8" << ""
            << "-525.00,7.00,155.00" << "NPC";
        QTest::newRow("POI file to POI file: clashing ID renumbered")
            << poiFile << world << true << poiFile << world << false << "ID8" << ""
            << "-525.00,7.00,155.00" << "QUEST";
        QTest::newRow("POI file to icon page: type mapped")
            << poiFile << world << true << iconPage << QString() << false << "ID7" << "218,253"
            << "-525.00,7.00,155.00" << "QST";
    }

    void pasteConverts()
    {
        QFETCH(int, fromForm);
        QFETCH(QString, source);
        QFETCH(bool, sourceRect);
        QFETCH(int, toForm);
        QFETCH(QString, targetIcons);
        QFETCH(bool, shiftedTargetRect);
        QFETCH(QString, name);
        QFETCH(QString, location);
        QFETCH(QString, world);
        QFETCH(QString, type);

        const PoiPageKind from = kindOf(Form(fromForm), sourceRect ? kRect : std::array<int, 4>{});
        Page copied(source.toStdString());
        const std::string data = PoisPrivateData({copied.root().Items().Item(0)}, from);
        const std::optional<ClipboardPois> clip = ReadPoisPrivateData(data);
        QVERIFY(clip);
        QCOMPARE(clip->pois.size(), size_t(1));

        const bool noRect = targetIcons == QLatin1String("none");
        Page target(noRect ? std::string() : targetIcons.toStdString());
        const PasteTarget paste = targetOf(Form(toForm),
                                           noRect ? std::array<int, 4>{} : shiftedTargetRect ? kShiftedRect : kRect,
                                           target.root());
        QCOMPARE(PastePois(*clip, target.root(), paste), 1);

        const int pasted = target.root().ItemCount() - 1;
        QCOMPARE(QString::fromStdString(target.value(pasted, "Name")), name);
        QCOMPARE(QString::fromStdString(target.value(pasted, "Location")), location);
        QCOMPARE(QString::fromStdString(target.value(pasted, "pathfindlocation")), world);
        QCOMPARE(QString::fromStdString(target.value(pasted, PoiTypeProperty(paste.page))), type);
    }

    // Line breaks pasted into a POI file take its own form; other files keep them as they were.
    void lineBreaksTakeTheTargetsForm_data()
    {
        QTest::addColumn<int>("toForm");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("into a POI file") << int(Form::PoiFile) << "first&#xA;second&#xA;third&#xA;";
        QTest::newRow("into an icon page") << int(Form::IconPage) << "first\r\nsecond\nthird\r";
    }

    void lineBreaksTakeTheTargetsForm()
    {
        QFETCH(int, toForm);
        QFETCH(QString, tooltip);
        Page copied(kIconPoi);
        copied.root().Items().Item(0)->Properties().Find("Tooltip")->SetValue("first\r\nsecond\nthird\r");
        const std::optional<ClipboardPois> clip =
            ReadPoisPrivateData(PoisPrivateData({copied.root().Items().Item(0)}, kindOf(Form::IconPage, kRect)));
        QVERIFY(clip);
        Page target(toForm == int(Form::PoiFile) ? kWorldPoi : "");
        QCOMPARE(PastePois(*clip, target.root(), targetOf(Form(toForm), kRect, target.root())), 1);
        QCOMPARE(QString::fromStdString(target.value(target.root().ItemCount() - 1, "Tooltip")), tooltip);
    }

    void typesTakeTheFilesVocabulary_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("known");
        QTest::addColumn<QString>("expected");
        const QString window = QStringLiteral("style,zoningstyle");
        QTest::newRow("known stays") << "zoningstyle" << window << "zoningstyle";
        QTest::newRow("NPC") << "NPC" << window << "style";
        QTest::newRow("LOC") << "LOC" << window << "style";
        QTest::newRow("ZONE") << "ZONE" << window << "zoningstyle";
        QTest::newRow("CLST") << "CLST" << window << "zoningstyle";
        QTest::newRow("no vocabulary") << "NPC" << "" << "NPC";
        QTest::newRow("no zone type") << "ZONE" << "style" << "style";
    }

    void typesTakeTheFilesVocabulary()
    {
        QFETCH(QString, type);
        QFETCH(QString, known);
        QFETCH(QString, expected);
        std::vector<std::string> types;
        for (const QString& name : known.split(QLatin1Char(','), Qt::SkipEmptyParts))
            types.push_back(name.toStdString());
        QCOMPARE(QString::fromStdString(KnownType(type.toStdString(), types)), expected);
    }

    void pasteHereMovesTheGroupTogether()
    {
        Page copied(std::string(kIconPoi) + "<Icon Location=\"228,243\" Name=\"Beta\" pathfindlocation=\"0, 0, 0\"/>\r\n");
        const PoiPageKind page = kindOf(Form::IconPage, {});
        const std::optional<ClipboardPois> clip = ReadPoisPrivateData(
            PoisPrivateData({copied.root().Items().Item(0), copied.root().Items().Item(1)}, page));
        QVERIFY(clip);
        Page target("");
        PasteTarget paste = targetOf(Form::IconPage, {}, target.root());
        paste.at = ImagePoint{10, 20};
        QCOMPARE(PastePois(*clip, target.root(), paste), 2);
        QCOMPARE(target.value(0, "Location"), std::string("10,20"));
        QCOMPARE(target.value(1, "Location"), std::string("20,10"));
    }

    void moveRewritesWhatPlacesThePoi()
    {
        // Centre rule: the Location moves; a world-only POI's world location and description follow.
        Page window(kWindowPoi);
        QVERIFY(MovePoiBy(*window.root().Items().Item(0), 5, -4, kindOf(Form::MapWindow, kRect), false));
        QCOMPARE(window.value(0, "Location"), std::string("217,243"));
        QCOMPARE(window.value(0, "pathfindlocation"), std::string("-525.00, 7, 155.00"));

        Page world(kWorldPoi);
        QVERIFY(MovePoiBy(*world.root().Items().Item(0), 0, 0, kindOf(Form::PoiFile, kRect), false));
        QVERIFY(MovePoiBy(*world.root().Items().Item(0), 10, 0, kindOf(Form::PoiFile, kRect), false));
        const std::string moved = world.value(0, "pathfindlocation");
        QVERIFY(moved != "-525.00,7.00,155.00");
        QCOMPARE(world.value(0, "PoiDescription"), "ID:7&#xA;" + moved);
        QVERIFY(!MovePoiBy(*world.root().Items().Item(0), 1, 1, kindOf(Form::PoiFile, {}), false));
    }

    void xmlTextPastesInThePagesOwnForm()
    {
        // The text form, as a text editor would hand it back: one Icon line per POI.
        Page copied(kWindowPoi);
        const PoiPageKind page = kindOf(Form::MapWindow, kRect);
        const std::string text = PoisXmlText({copied.root().Items().Item(0)}, sourceOf(Form::MapWindow));
        QVERIFY(QString::fromStdString(text).startsWith(QLatin1String("<Icon ")));
        const std::optional<ClipboardPois> clip = ReadPoisXmlText(text, page);
        QVERIFY(clip);
        const PasteTarget paste = targetOf(Form::MapWindow, kRect, copied.root());
        QCOMPARE(PastePois(*clip, copied.root(), paste), 1);
        QCOMPARE(copied.value(1, "Name"), std::string("Alpha (2)"));
        QCOMPARE(copied.value(1, "Location"), std::string("212,247"));
    }

    void xmlTextIsTheFilesOwnForm()
    {
        // An icon of a zone page copies as its own bytes; once edited, in its siblings' form.
        PageSource& source = sourceOf(Form::MapWindow);
        TSimpleXML shown;
        ConfigureIconPageDocument(shown);
        source.readPage(0, shown);
        source.switchTo(0, shown);
        TSimpleXMLElem& gate = *shown.Root().Items().Item(0);
        QCOMPARE(PoisXmlText({&gate}, source),
                 std::string("<Icon IconStyle=\"style\" Location=\"0,0\" Name=\"Gate\" Size=\"21,21\" />\r\n"));
        gate.Properties().Find("Name")->SetValue("Gate & Tower");
        QCOMPARE(PoisXmlText({&gate}, source),
                 std::string("<Icon IconStyle=\"style\" Location=\"0,0\" Name=\"Gate &amp; Tower\" Size=\"21,21\" />\r\n"));
        // An icon page's POIs copy as its save writes them.
        QVERIFY(QString::fromStdString(PoisXmlText({&gate}, sourceOf(Form::IconPage))).startsWith(QLatin1String("<Icon ")));
    }

    void otherBytesAreNoClipboard()
    {
        QVERIFY(!ReadPoisPrivateData("<Page/>"));
        QVERIFY(!ReadPoisPrivateData("<Vynmap"));
        QVERIFY(!ReadPoisPrivateData(""));
        const PoiPageKind page = kindOf(Form::IconPage, {});
        QVERIFY(!ReadPoisXmlText("just words", page));
        QVERIFY(!ReadPoisXmlText("<Page Name=\"x\"/>", page));
        QVERIFY(!ReadPoisXmlText("<Icon Name=\"cut off", page));
    }
};

QTEST_MAIN(PoiClipboardTest)
#include "PoiClipboardTest.moc"
