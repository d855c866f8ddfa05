// Opening icon pages: the POI tree's order and data, the markers' geometry, colours and hints,
// children that lack properties, the page size, the messages of failed opens and the map style
// lookup that follows a load.
#include "IconPageFixture.h"
#include "mapview/MarkerGeometry.h"

#include "support/AtomicFile.h"

#include <QApplication>

using namespace PageText;

namespace {

const QString kPage = QStringLiteral("icons_test.xml");

QList<int> topLevelData(EditorWindow& editor)
{
    QList<int> data;
    for (int i = 0; i < editor.topLevelCount(); ++i)
        data << editor.datum(editor.topLevel(i));
    return data;
}

QStringList childTexts(EditorWindow& editor, const QModelIndex& node)
{
    QStringList texts;
    for (int i = 0; i < editor.childCount(node); ++i)
        texts << editor.text(editor.child(node, i));
    return texts;
}

}  // namespace

// Loading a page into the tree, the markers and the editor state.
class IconPageLoadTest : public QObject {
    Q_OBJECT

private slots:
    void treeOrderAndData_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QList<int>>("data");
        QTest::newRow("b a c") << QStringList{"b", "a", "c"} << QStringList{"a", "b", "c"} << QList<int>{1, 0, 2};
        QTest::newRow("letter case sits together")
            << QStringList{"banana", "apple", "Cherry", "Apple", "APPLE pie"}
            << QStringList{"Apple", "apple", "APPLE pie", "banana", "Cherry"} << QList<int>{3, 1, 4, 0, 2};
        QTest::newRow("digits and Korean") << QStringList{"한옥", "10", "9", "Zed"}
                                           << QStringList{"10", "9", "Zed", "한옥"} << QList<int>{1, 2, 3, 0};
    }

    void treeOrderAndData()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, order);
        QFETCH(QList<int>, data);
        QList<Poi> pois;
        for (const QString& name : names)
            pois << Poi{name.toUtf8()};
        UiFolder folder;
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(folder.writePage(kPage, page(iconLines(pois)))));
        QCOMPARE(editor.topLevelTexts(), order);
        QCOMPARE(topLevelData(editor), data);
        QCOMPARE(editor.panel()->markerCount(), names.size());
    }

    // Each POI has four value nodes, sorted by text, whose datum is 0.
    void valueNodes()
    {
        Poi poi{"Well", "300,40", "QST"};
        poi.path = "-12.50, 3, 7.00";
        poi.tooltip = "Fresh water";
        UiFolder folder;
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(folder.writePage(kPage, page(iconLines({{"Other", "1,1"}, poi})))));
        const QModelIndex node = editor.topLevelNamed(QStringLiteral("Well"));
        QVERIFY(node.isValid());
        QCOMPARE(editor.datum(node), 1);
        QCOMPARE(childTexts(editor, node), (QStringList{"-12.50, 3, 7.00", "300,40", "Fresh water", "QST"}));
        for (int i = 0; i < editor.childCount(node); ++i)
            QCOMPARE(editor.datum(editor.child(node, i)), 0);
    }

    void markerGeometryAndColour_data()
    {
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<QByteArray>("style");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QColor>("fill");
        QTest::newRow("14,14") << QByteArray("100,200") << QByteArray("14,14") << QByteArray("NPC")
                               << QRect(94, 194, 12, 12) << QColor(0x3B, 0xFF, 0x00);
        QTest::newRow("empty size") << QByteArray("100,200") << QByteArray("") << QByteArray("NPC")
                                    << QRect(95, 195, 10, 10) << QColor(0x3B, 0xFF, 0x00);
        QTest::newRow("odd size") << QByteArray("100,200") << QByteArray("13,9") << QByteArray("CLST")
                                  << QRect(95, 197, 11, 7) << QColor(0xFF, 0x00, 0xFF);
        QTest::newRow("unreadable location") << QByteArray("east,200") << QByteArray("12,12")
                                             << QByteArray("LOC") << QRect(-5, -5, 10, 10)
                                             << QColor(0xD5, 0x08, 0x08);
        QTest::newRow("MOB") << QByteArray("0,0") << QByteArray("12,12") << QByteArray("MOB")
                             << QRect(-5, -5, 10, 10) << QColor(0x00, 0x83, 0xFF);
        QTest::newRow("NAME") << QByteArray("10,10") << QByteArray("12,12") << QByteArray("NAME")
                              << QRect(5, 5, 10, 10) << QColor(0x00, 0x00, 0xFF);
        QTest::newRow("QST") << QByteArray("10,10") << QByteArray("12,12") << QByteArray("QST")
                             << QRect(5, 5, 10, 10) << QColor(0xF6, 0xFF, 0x00);
        QTest::newRow("ZONE") << QByteArray("10,10") << QByteArray("14,14") << QByteArray("ZONE")
                              << QRect(4, 4, 12, 12) << QColor(0xBB, 0xBB, 0xBB);
        QTest::newRow("npc lower case") << QByteArray("10,10") << QByteArray("12,12") << QByteArray("npc")
                                        << QRect(5, 5, 10, 10) << QColor(0xBB, 0xBB, 0xBB);
        QTest::newRow("other skin's style") << QByteArray("50,60") << QByteArray("42,42")
                                            << QByteArray("zoningstyle") << QRect(30, 40, 40, 40)
                                            << QColor(0xBB, 0xBB, 0xBB);
    }

    void markerGeometryAndColour()
    {
        QFETCH(QByteArray, location);
        QFETCH(QByteArray, size);
        QFETCH(QByteArray, style);
        QFETCH(QRect, rect);
        QFETCH(QColor, fill);
        Poi poi{"p", location, style, size};
        poi.tooltip = "two&#13;lines";
        UiFolder folder;
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(folder.writePage(kPage, page(iconLine(poi)))));
        QCOMPARE(editor.panel()->markerCount(), 1);
        QCOMPARE(editor.panel()->markerRect(0), rect);
        QCOMPARE(editor.panel()->markerColour(0).rgb(), fill.rgb());
        QCOMPARE(editor.panel()->markerTooltip(0), QStringLiteral("two&#13;lines"));
        QVERIFY(!editor.panel()->positionButtonVisible());
    }

    void tooltipIsMarkerHint()
    {
        Poi poi{"Ship", "100,100", "LOC"};
        poi.tooltip = "first\r\nsecond &amp; third";
        UiFolder folder;
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(folder.writePage(kPage, page(iconLine(poi)))));
        QCOMPARE(editor.panel()->toolTipAt(QPoint(100, 100)).remove(QLatin1Char('\r')),
                 QStringLiteral("first\nsecond & third"));
    }

    void childLackingProperty_data()
    {
        QTest::addColumn<QByteArray>("third");
        QTest::addColumn<int>("nodes");
        QTest::addColumn<QStringList>("thirdValues");  // empty: the third child has no node
        QTest::addColumn<QRect>("thirdMarker");
        const QByteArray common = "IconStyle=\"NPC\" Location=\"1,2\" pathfindlocation=\"0, 0, 0\" ";
        const QRect atOneTwo = MarkerRect({1, 2}, kDefaultIconSize);
        QTest::newRow("no Tooltip") << QByteArray("<Icon " + common + "Name=\"c\" Size=\"12,12\"/>\r\n") << 4
                                    << QStringList{"", "0, 0, 0", "1,2", "NPC"} << atOneTwo;
        QTest::newRow("no Name") << QByteArray("<Icon " + common + "Size=\"12,12\" Tooltip=\"t\"/>\r\n") << 4
                                 << QStringList{"0, 0, 0", "1,2", "NPC", "t"} << atOneTwo;
        QTest::newRow("no Location") << QByteArray("<Icon IconStyle=\"NPC\" Name=\"c\" pathfindlocation=\"\" "
                                                   "Size=\"12,12\" Tooltip=\"t\"/>\r\n")
                                     << 4 << QStringList{"", "", "NPC", "t"} << QRect();
        QTest::newRow("no pathfindlocation") << QByteArray("<Icon IconStyle=\"LOC\" Location=\"1,2\" Name=\"c\" "
                                                           "Size=\"14,14\" Tooltip=\"t\"/>\r\n")
                                             << 4 << QStringList{"", "1,2", "LOC", "t"}
                                             << MarkerRect({1, 2}, {14, 14});
        QTest::newRow("no Size") << QByteArray("<Icon " + common + "Name=\"c\" Tooltip=\"t\"/>\r\n") << 4
                                 << QStringList{"0, 0, 0", "1,2", "NPC", "t"} << atOneTwo;
        QTest::newRow("only a name") << QByteArray("<Icon Name=\"c\"/>\r\n") << 4 << QStringList{"", "", "", ""}
                                     << QRect();
        QTest::newRow("a comment") << QByteArray("<!-- not a POI -->\r\n") << 3 << QStringList() << QRect();
        QTest::newRow("complete") << QByteArray("<Icon " + common + "Name=\"c\" Size=\"12,12\" Tooltip=\"t\"/>\r\n")
                                  << 4 << QStringList{"0, 0, 0", "1,2", "NPC", "t"} << atOneTwo;
    }

    // Every POI is listed whatever it lacks, with empty value nodes for the missing values;
    // it has a marker where its Location is; the POIs after it are listed too, and the page is
    // saved unchanged.
    void childLackingProperty()
    {
        QFETCH(QByteArray, third);
        QFETCH(int, nodes);
        QFETCH(QStringList, thirdValues);
        QFETCH(QRect, thirdMarker);
        const QByteArray bytes = page(iconLines({{"a"}, {"b"}}) + third + iconLine({"d"}));
        UiFolder folder;
        const QString path = folder.writePage(kPage, bytes);
        EditorWindow editor(folder);
        editor.state().WriteBom = false;
        QVERIFY(editor.window.openPage(path));
        QVERIFY(editor.state().DocLoaded);
        QCOMPARE(editor.prompts.messages, QStringList());
        QCOMPARE(editor.topLevelCount(), nodes);
        // One marker place per child, so marker i stays POI i's.
        QCOMPARE(editor.panel()->markerCount(), 4);
        QCOMPARE(editor.panel()->markerRect(2), thirdMarker);
        QCOMPARE(editor.panel()->markerRect(3), MarkerRect({100, 200}, kDefaultIconSize));
        const QModelIndex node = editor.editor().PoiNode(2);
        QCOMPARE(node.isValid(), !thirdValues.isEmpty());
        if (node.isValid())
            QCOMPARE(childTexts(editor, node), thirdValues);
        QCOMPARE(editor.text(editor.editor().PoiNode(3)), QStringLiteral("d"));
        editor.trigger("FileSave");
        QCOMPARE(readFile(path), bytes);
    }

    void rootWithoutNameOrZone_data()
    {
        QTest::addColumn<QByteArray>("rootProperties");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("no Name") << QByteArray("1location=\"Z\" Size=\"436,506\"") << QString();
        QTest::newRow("no 1location") << QByteArray("Name=\"m\" Size=\"436,506\"") << QStringLiteral("m");
    }

    // A root lacking its names still lists its POIs.
    void rootWithoutNameOrZone()
    {
        QFETCH(QByteArray, rootProperties);
        QFETCH(QString, shownName);
        UiFolder folder;
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(folder.writePage(kPage, page(iconLine({"a"}), rootProperties))));
        QVERIFY(editor.state().DocLoaded);
        QCOMPARE(editor.topLevelCount(), 1);
        QCOMPARE(editor.panel()->markerCount(), 1);
        QCOMPARE(editor.control<QLineEdit>("FlatEdit2")->text(), shownName);
    }

    void pageSize_data()
    {
        QTest::addColumn<QByteArray>("sizeProperty");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("436,506") << QByteArray(" Size=\"436,506\"") << 436 << 506;
        QTest::newRow("three characters of the height") << QByteArray(" Size=\"436,5069\"") << 436 << 506;
        QTest::newRow("other size") << QByteArray(" Size=\"512,300\"") << 512 << 300;
        QTest::newRow("missing") << QByteArray() << 436 << 506;
        QTest::newRow("no comma") << QByteArray(" Size=\"436\"") << 436 << 506;
        QTest::newRow("not a number") << QByteArray(" Size=\"wide,300\"") << 436 << 506;
    }

    void pageSize()
    {
        QFETCH(QByteArray, sizeProperty);
        QFETCH(int, width);
        QFETCH(int, height);
        UiFolder folder;
        EditorWindow editor(folder);
        // A page of another size first: the defaults must be set again, not left over.
        QVERIFY(editor.window.openPage(
            folder.writePage(QStringLiteral("icons_first.xml"),
                             page(iconLine({"a"}), "Name=\"m\" 1location=\"z\" Size=\"100,50\""))));
        QCOMPARE(editor.state().PageWidth, 100);
        QVERIFY(editor.window.openPage(
            folder.writePage(kPage, page(iconLine({"a"}), "Name=\"m\" 1location=\"z\"" + sizeProperty))));
        QCOMPARE(editor.state().PageWidth, width);
        QCOMPARE(editor.state().PageHeight, height);
    }

    void failedOpen_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: no such file
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("replacesPage");
        QTest::newRow("missing file") << QByteArray() << QStringLiteral("File \"icons_bad.xml\" is not found.")
                                      << false;
        // Each says why and where, under the described first line.
        const auto loading = [](const char* reason) { return QStringLiteral("Error : Loading File\n") + reason; };
        QTest::newRow("two bytes") << QByteArray("<a")
                                   << loading("the file ends before the page is complete (line 1, column 3)") << true;
        QTest::newRow("empty file") << QByteArray("\xEF\xBB\xBF \r\n") << loading("the file is empty") << true;
        const QByteArray whole = page(iconLines({{"x"}, {"y"}}));
        QTest::newRow("cut short") << whole.left(whole.size() / 2)
                                   << loading("the file ends before the page is complete (line 3, column 89)") << true;
        QTest::newRow("damaged") << QByteArray(whole).replace("<Icon", "<Icon <")
                                 << loading("a tag holds \"<\" where a property should be (line 3, column 7)") << true;
        QTest::newRow("unclosed quote") << QByteArray(whole).replace("Name=\"x\"", "Name=\"x")
                                        << loading("a tag holds \".\" where a property should be (line 3, column 69)")
                                        << true;
        QTest::newRow("stray <") << QByteArray(whole).replace("\r\n<Icon", "\r\n< <Icon")
                                 << loading("a \"<\" is not followed by a tag name (line 3, column 2)") << true;
        // Lines and columns count the bytes as read, whatever the reading made of the values before.
        Poi brokenTip{"x"};
        brokenTip.tooltip = "A &amp; B\r\nC";
        QTest::newRow("after a value with an entity and a line break")
            << page(iconLines({brokenTip, {"y"}})).replace("Name=\"y\"", "Name=\"y\" <")
            << loading("a tag holds \"<\" where a property should be (line 5, column 51)") << true;
        Poi koreanTip{"x"};
        koreanTip.tooltip = "&amp;\xED\x95\x9C\xEA\xB8\x80";
        QTest::newRow("after an entity and Korean text on the line")
            << page(iconLine(koreanTip)).replace("\"/>", "\" </>")
            << loading("a tag holds \"<\" where a property should be (line 3, column 136)") << true;
        // The XML layer ends quietly inside a start tag; the page is still damaged.
        const QByteArray empty = page(QByteArray());
        QTest::newRow("no root") << empty.left(empty.indexOf("<Page"))
                                 << loading("the file ends before the page is complete (line 2, column 1)") << true;
        QTest::newRow("root start tag cut before its '>'")
            << empty.left(empty.indexOf("/>") + 1)
            << loading("the file ends before the page is complete (line 2, column 60)") << true;
        // The writer writes no tags for an element without a name: such a page could not reopen.
        QTest::newRow("element without a name") << page(iconLines({{"x"}}) + "<>lost</>\r\n")
                                                << loading("a tag or property has no name (line 5, column 8)") << true;
    }

    void failedOpen()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(bool, replacesPage);  // the file was found and read: its bytes were refused
        UiFolder folder;
        EditorWindow editor(folder);
        const QString good = folder.writePage(QStringLiteral("icons_good.xml"), page(iconLines({{"a"}, {"b"}})));
        QVERIFY(editor.window.openPage(good));
        const QString bad = bytes.isEmpty() ? folder.pagePath(QStringLiteral("icons_bad.xml"))
                                            : folder.writePage(QStringLiteral("icons_bad.xml"), bytes);
        QVERIFY(!editor.window.openPage(bad));
        QCOMPARE(editor.prompts.messages, QStringList{message});
        QCOMPARE(editor.prompts.errors, QStringList());
        // Read or not, a page that does not open leaves the window showing the page it showed.
        QVERIFY(editor.state().DocLoaded);
        QCOMPARE(editor.topLevelTexts(), (QStringList{"a", "b"}));
        QCOMPARE(editor.panel()->markerCount(), 2);
        QCOMPARE(editor.window.windowTitle(), QStringLiteral("VynMAP Editor [icons_good.xml]"));
        QCOMPARE(editor.state().CurrentFile, good.toStdString());
        if (replacesPage) {
            // Saving writes the page shown into its own file, never into the refused one.
            editor.trigger("FileSave");
            QCOMPARE(editor.prompts.messages.size(), 1);
            QCOMPARE(readFile(bad), bytes);
        }
    }

    void pageAbove256MegabytesIsRefusedAtOnce()
    {
        UiFolder folder;
        const QString path = folder.writePage(QStringLiteral("icons_huge.xml"), page(iconLines({{"x"}})));
        QVERIFY(QFile::resize(path, qint64(AtomicFile::kMaxFileBytes) + 1));  // sparse, holds zeros
        EditorWindow editor(folder);
        QVERIFY(!editor.window.openPage(path));
        QCOMPARE(editor.prompts.errors,
                 QStringList{"File \"" + path + "\" is larger than 256 MB and is not read."});
        QCOMPARE(editor.prompts.messages, QStringList());
        QVERIFY(!editor.state().DocLoaded);
    }

    void unreadableFileShowsPlatformError()
    {
        UiFolder folder;
        const QString path = folder.pagePath(QStringLiteral("icons_dir.xml"));
        QVERIFY(QDir().mkpath(path));
        EditorWindow editor(folder);
        QVERIFY(!editor.editor().document().readIconPage(path));
        QCOMPARE(editor.prompts.errors, QStringList{"Cannot open file " + path});
        QCOMPARE(editor.prompts.messages, QStringList());
    }

    // After a successful open: the title, the reset editor, the actions and the map style.
    void openSetsWindowAndEditor_data()
    {
        QTest::addColumn<QByteArray>("stylePrefix");
        QTest::newRow("map style file without mark") << QByteArray();
        QTest::newRow("map style file with mark") << kBom;
    }

    void openSetsWindowAndEditor()
    {
        QFETCH(QByteArray, stylePrefix);
        UiFolder folder;
        folder.writeMapStyles(stylePrefix + mapStylesFor("test_map", kTestZoneText));
        EditorWindow editor(folder);
        editor.state().EditsPending = true;
        QVERIFY(editor.window.openPage(folder.writePage(kPage, page(iconLine({"a", "7,8", "ZONE"})))));
        QCOMPARE(editor.window.windowTitle(), QStringLiteral("VynMAP Editor [icons_test.xml]"));
        QCOMPARE(editor.state().PageName, std::string("test_map"));
        QCOMPARE(editor.state().ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
        QCOMPARE(editor.label5()->text(), QString(kTestZoneText));
        QCOMPARE(editor.state().MapImagePath, std::string("images\\maps\\map_test_map.dds"));
        QVERIFY(!editor.state().EditsPending);
        QCOMPARE(editor.locX()->value(), 0);
        QCOMPARE(editor.type()->currentIndex(), -1);
        QCOMPARE(editor.name()->text(), QString());
        QCOMPARE(editor.path()->text(), QString());
        QCOMPARE(editor.memo()->toPlainText(), QString());
        QVERIFY(editor.window.action(QStringLiteral("MAPADD"))->isEnabled());
        QVERIFY(editor.control<QLineEdit>("FlatEdit2")->isReadOnly());
        QVERIFY(editor.control<QLineEdit>("FlatEdit4")->isReadOnly());
        QCOMPARE(editor.panel()->mapImage().size(), QSize(512, 512));
    }
};

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    IconPageLoadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "IconPageLoadTest.moc"
