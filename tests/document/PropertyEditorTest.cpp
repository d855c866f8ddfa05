// The property editor on real widgets: selecting a POI fills it, edits wait for the apply timer
// or a selection change or a save, applying writes the POI and refreshes its node and marker,
// types set the icon size, other skins' styles survive, and the two locations stay in step.
#include "IconPageFixture.h"
#include "document/EditorSupport.h"
#include "mapview/MarkerGeometry.h"

#include <QApplication>

using namespace PageText;

namespace {

const QString kPage = QStringLiteral("icons_test.xml");
const QColor kGrey(0xBB, 0xBB, 0xBB);
const QColor kNpcGreen(0x3B, 0xFF, 0x00);

Poi poiWith(const QByteArray& name, const QByteArray& location, const QByteArray& style,
            const QByteArray& size = "12,12")
{
    return Poi{name, location, style, size};
}

// A POI's element line without one of its properties.
QByteArray withoutProperty(const QByteArray& line, const QByteArray& property)
{
    const int at = line.indexOf(" " + property + "=\"");
    if (at < 0)
        qFatal("no property %s", property.constData());
    const int end = line.indexOf('"', at + property.size() + 3);
    return line.left(at) + line.mid(end + 1);
}

}  // namespace

// Selecting, editing and applying POIs.
class PropertyEditorTest : public QObject {
    Q_OBJECT

    UiFolder* m_folder = nullptr;
    EditorWindow* m_editor = nullptr;

    // A shown window on a page of the given POIs, in a folder whose map style file gives
    // test_map the zone rectangle -585,-1135,1635,1445 (page size 436 x 506).
    EditorWindow& open(const QList<Poi>& pois)
    {
        m_folder = new UiFolder;
        m_folder->writeMapStyles(mapStylesFor("test_map", kTestZoneText));
        m_editor = new EditorWindow(*m_folder);
        m_editor->state().WriteBom = false;
        const bool opened = m_editor->openShown(m_folder->writePage(kPage, page(iconLines(pois))));
        if (!opened)
            qFatal("page did not open");
        if (m_editor->timer1()->isActive())
            m_editor->runOutApplyTimer();  // the one started by clearing the editor on open
        return *m_editor;
    }

private slots:
    void cleanup()
    {
        delete m_editor;
        m_editor = nullptr;
        delete m_folder;
        m_folder = nullptr;
    }

    void selectionFillsEditor_data()
    {
        QTest::addColumn<QByteArray>("style");
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<int>("typeIndex");
        QTest::addColumn<QRect>("positionButton");
        QTest::newRow("LOC 14,14") << QByteArray("LOC") << QByteArray("14,14") << 1 << QRect(93, 193, 14, 14);
        QTest::newRow("npc in lower case") << QByteArray("npc") << QByteArray("12,12") << 4
                                           << QRect(94, 194, 12, 12);
        QTest::newRow("other skin's style") << QByteArray("zoningstyle") << QByteArray("42,42") << -1
                                            << QRect(79, 179, 42, 42);
        // Only two characters of the height are read here.
        QTest::newRow("long height") << QByteArray("ZONE") << QByteArray("140,140") << 6
                                     << QRect(30, 193, 140, 14);
    }

    void selectionFillsEditor()
    {
        QFETCH(QByteArray, style);
        QFETCH(QByteArray, size);
        QFETCH(int, typeIndex);
        QFETCH(QRect, positionButton);
        Poi poi = poiWith("Gate", "100,200", style, size);
        poi.tooltip = "first\r\nsecond";
        poi.path = "7.50, 12, -3.25";
        EditorWindow& editor = open({poiWith("Other", "5,5", "NPC"), poi});
        editor.clickPoi(QStringLiteral("Gate"));
        QCOMPARE(editor.locX()->value(), 100);
        QCOMPARE(editor.locY()->value(), 200);
        QCOMPARE(editor.type()->currentIndex(), typeIndex);
        QCOMPARE(editor.name()->text(), QStringLiteral("Gate"));
        QCOMPARE(editor.path()->text(), QStringLiteral("7.50, 12, -3.25"));
        QCOMPARE(editor.memo()->toPlainText(), QStringLiteral("first\nsecond"));
        QVERIFY(editor.panel()->positionButtonVisible());
        QCOMPARE(editor.panel()->positionButtonGeometry(), positionButton);
        // Filling is not editing.
        QVERIFY(!editor.state().EditsPending);
        QVERIFY(!editor.timer1()->isActive());
    }

    // The apply waits one second after the last change; the timer's running out applies.
    void applyTimer()
    {
        EditorWindow& editor = open({poiWith("Gate", "1,2", "NPC"), poiWith("Wall", "3,4", "NPC")});
        editor.clickPoi(QStringLiteral("Gate"));
        QTest::keyClicks(editor.name(), "way");
        QVERIFY(editor.state().EditsPending);
        QVERIFY(editor.timer1()->isActive());
        QCOMPARE(editor.timer1()->interval(), 1000);
        QCOMPARE(editor.value(0, "Name"), std::string("Gate"));

        runEventLoopFor(100);
        const int before = editor.timer1()->remainingTime();
        QTest::keyClick(editor.name(), Qt::Key_S);
        QVERIFY2(editor.timer1()->remainingTime() > before, "typing again restarts the wait");
        QCOMPARE(editor.value(0, "Name"), std::string("Gate"));

        editor.runOutApplyTimer();
        QVERIFY(!editor.timer1()->isActive());
        QVERIFY(!editor.state().EditsPending);
        QCOMPARE(editor.value(0, "Name"), std::string("Gateways"));
        QCOMPARE(editor.value(1, "Name"), std::string("Wall"));
        QCOMPARE(editor.topLevelTexts(), (QStringList{"Gateways", "Wall"}));
    }

    // Renaming re-sorts the tree and keeps the node's POI index.
    void renameMovesNode()
    {
        EditorWindow& editor = open({poiWith("b", "1,2", "NPC"), poiWith("c", "3,4", "NPC")});
        editor.clickPoi(QStringLiteral("c"));
        editor.name()->setText(QStringLiteral("a"));
        editor.runOutApplyTimer();
        runEventLoopFor(20);
        QCOMPARE(editor.topLevelTexts(), (QStringList{"a", "b"}));
        QCOMPARE(editor.datum(editor.topLevelNamed(QStringLiteral("a"))), 1);
        QCOMPARE(editor.childCount(editor.topLevelNamed(QStringLiteral("a"))), 4);
    }

    void applyBeforeSelectionMoves()
    {
        EditorWindow& editor = open({poiWith("First", "10,20", "NPC"), poiWith("Second", "30,40", "LOC")});
        editor.clickPoi(QStringLiteral("First"));
        editor.name()->selectAll();
        QTest::keyClicks(editor.name(), "Renamed");
        editor.locX()->setValue(11);
        editor.clickPoi(QStringLiteral("Second"));
        QCOMPARE(editor.value(0, "Name"), std::string("Renamed"));
        QCOMPARE(editor.value(0, "Location"), std::string("11,20"));
        QCOMPARE(editor.value(1, "Name"), std::string("Second"));
        QCOMPARE(editor.value(1, "Location"), std::string("30,40"));
        QVERIFY(!editor.timer1()->isActive());
        QCOMPARE(editor.name()->text(), QStringLiteral("Second"));
        QCOMPARE(editor.panel()->markerRect(0), QRect(6, 15, 10, 10));
    }

    void typeSetsIconSize()
    {
        EditorWindow& editor = open({poiWith("Hut", "100,200", "NPC")});
        editor.clickPoi(QStringLiteral("Hut"));
        QCOMPARE(editor.panel()->markerColour(0).rgb(), kNpcGreen.rgb());
        editor.type()->setCurrentIndex(editor.type()->findText(QStringLiteral("ZONE")));
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(0, "IconStyle"), std::string("ZONE"));
        QCOMPARE(editor.value(0, "Size"), std::string("14,14"));
        QCOMPARE(editor.value(0, "ScrollExtent"), std::string("14,14"));
        QCOMPARE(editor.panel()->markerColour(0).rgb(), kGrey.rgb());
        QCOMPARE(editor.panel()->markerRect(0), QRect(94, 194, 12, 12));
        QCOMPARE(editor.panel()->positionButtonGeometry(), QRect(93, 193, 14, 14));

        editor.type()->setCurrentIndex(editor.type()->findText(QStringLiteral("NPC")));
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(0, "Size"), std::string("12,12"));
        QCOMPARE(editor.value(0, "ScrollExtent"), std::string("12,12"));
        QCOMPARE(editor.panel()->markerColour(0).rgb(), kNpcGreen.rgb());
    }

    void lowerCaseTypeWrittenInListSpelling()
    {
        EditorWindow& editor = open({poiWith("Smith", "100,200", "npc")});
        QCOMPARE(editor.panel()->markerColour(0).rgb(), kGrey.rgb());
        editor.clickPoi(QStringLiteral("Smith"));
        QCOMPARE(editor.type()->currentText(), QStringLiteral("NPC"));
        QTest::keyClicks(editor.name(), "y");
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(0, "IconStyle"), std::string("NPC"));
        QCOMPARE(editor.value(0, "Name"), std::string("Smithy"));
        QCOMPARE(editor.panel()->markerColour(0).rgb(), kNpcGreen.rgb());
    }

    // Another skin's style keeps its style and sizes through name edits and moves, until the
    // user picks a type.
    void unknownStyleKeptUntilTypePicked()
    {
        Poi zoning = poiWith("Border", "50,60", "zoningstyle", "42,42");
        EditorWindow& editor = open({poiWith("Camp", "1,1", "NPC"), zoning});
        editor.clickPoi(QStringLiteral("Camp"));
        editor.type()->setCurrentIndex(editor.type()->findText(QStringLiteral("LOC")));  // picked for Camp
        editor.clickPoi(QStringLiteral("Border"));
        QCOMPARE(editor.value(0, "IconStyle"), std::string("LOC"));
        QCOMPARE(editor.type()->currentIndex(), -1);

        QTest::keyClicks(editor.name(), " line");
        editor.runOutApplyTimer();
        editor.locX()->setValue(70);  // as a marker drag does
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(1, "Name"), std::string("Border line"));
        QCOMPARE(editor.value(1, "Location"), std::string("70,60"));
        QCOMPARE(editor.value(1, "IconStyle"), std::string("zoningstyle"));
        QCOMPARE(editor.value(1, "Size"), std::string("42,42"));
        QCOMPARE(editor.value(1, "ScrollExtent"), std::string("42,42"));
        QCOMPARE(editor.panel()->markerRect(1), QRect(50, 40, 40, 40));

        editor.type()->setCurrentIndex(editor.type()->findText(QStringLiteral("MOB")));
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(1, "IconStyle"), std::string("MOB"));
        QCOMPARE(editor.value(1, "Size"), std::string("12,12"));
        QCOMPARE(editor.value(1, "ScrollExtent"), std::string("12,12"));
    }

    // A POI whose location does not read is only partly shown: the type list still shows the
    // previous POI's type, which the user did not pick for this one.
    void unknownStyleKeptWhenFillStopsEarly()
    {
        EditorWindow& editor = open({poiWith("Camp", "1,1", "NPC"), poiWith("Border", "", "zoningstyle", "42,42")});
        editor.clickPoi(QStringLiteral("Camp"));
        editor.clickPoi(QStringLiteral("Border"));
        QCOMPARE(editor.type()->currentText(), QStringLiteral("NPC"));
        QTest::keyClicks(editor.memo(), "x");
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(1, "IconStyle"), std::string("zoningstyle"));
        QCOMPARE(editor.value(1, "Size"), std::string("42,42"));
        QCOMPARE(editor.value(1, "ScrollExtent"), std::string("42,42"));
    }

    void locationSync_data()
    {
        QTest::addColumn<bool>("autoCalc");
        QTest::addColumn<QString>("edit");  // "x": X and Y; "path": the path field
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("storedPath");
        QTest::addColumn<QString>("pathField");
        QTest::addColumn<QString>("label");
        QTest::newRow("position, auto") << true << "x" << "436,506" << "436,506" << "-1635.00, 12.5, 1445.00"
                                        << "-1635.00, 12.5, 1445.00" << "-1635.00, 12.5, 1445.00";
        QTest::newRow("position, manual") << false << "x" << "0,0" << "0,0" << "1.00, 12.5, 2.00"
                                          << "1.00, 12.5, 2.00" << "585.00, 12.5, -1135.00";
        QTest::newRow("path, auto") << true << "path" << "-1635, 12.5, 1445" << "436,506" << "-1635, 12.5, 1445"
                                    << "-1635.00, 12.5, 1445.00" << "436,506";
        QTest::newRow("path, manual") << false << "path" << "-1635, 12.5, 1445" << "100,200"
                                      << "-1635, 12.5, 1445" << "-1635.00, 12.5, 1445.00" << "436,506";
        QTest::newRow("path with two parts") << true << "path" << "1, 2" << "100,200" << "1, 2" << "1, 2"
                                             << "0,0";
        QTest::newRow("path then name") << false << "path+name" << "585, 7, -1135" << "100,200"
                                        << "585, 7, -1135" << "585, 7, -1135" << "75.83, 7, -115.24";
        QTest::newRow("path then tooltip") << false << "path+memo" << "585, 7, -1135" << "100,200"
                                           << "585, 7, -1135" << "585.00, 7, -1135.00" << "0,0";
        // Not moved, path not typed: the precise world location stays.
        QTest::newRow("name only, auto") << true << "name" << "" << "100,200" << "1.00, 12.5, 2.00"
                                         << "1.00, 12.5, 2.00" << "75.83, 12.5, -115.24";
        QTest::newRow("tooltip only, auto") << true << "memo" << "" << "100,200" << "1.00, 12.5, 2.00"
                                            << "1.00, 12.5, 2.00" << "75.83, 12.5, -115.24";
    }

    // ImageToWorld and WorldToImage as the apply runs them: which side is converted follows the
    // field edited last, AutoCalc decides whether the result is written.
    void locationSync()
    {
        QFETCH(bool, autoCalc);
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, location);
        QFETCH(QString, storedPath);
        QFETCH(QString, pathField);
        QFETCH(QString, label);
        Poi poi = poiWith("Post", "100,200", "NPC");
        poi.path = "1.00, 12.5, 2.00";
        EditorWindow& editor = open({poi});
        QCOMPARE(editor.state().ZoneRect, (std::array<int, 4>{-585, -1135, 1635, 1445}));
        editor.state().AutoCalc = autoCalc;
        editor.clickPoi(QStringLiteral("Post"));
        if (edit == QLatin1String("x")) {
            const QStringList xy = typed.split(QLatin1Char(','));
            editor.locX()->setValue(xy[0].toInt());
            editor.locY()->setValue(xy[1].toInt());
        } else if (edit.startsWith(QLatin1String("path"))) {
            editor.path()->selectAll();
            QTest::keyClicks(editor.path(), typed);
            QVERIFY(editor.state().PathEdited);
        }
        if (edit.endsWith(QLatin1String("name")))
            QTest::keyClicks(editor.name(), "!");
        if (edit.endsWith(QLatin1String("memo")))
            QTest::keyClicks(editor.memo(), "!");
        editor.runOutApplyTimer();
        QCOMPARE(QString::fromStdString(editor.value(0, "Location")), location);
        QCOMPARE(QString::fromStdString(editor.value(0, "pathfindlocation")), storedPath);
        QCOMPARE(editor.path()->text(), pathField);
        QCOMPARE(editor.label5()->text(), label);
        QCOMPARE(QStringLiteral("%1,%2").arg(editor.locX()->value()).arg(editor.locY()->value()), location);
        QVERIFY(!editor.state().PathEdited);
        // The marker follows the location: a 10 x 10 ellipse centred on it.
        QCOMPARE(editor.panel()->markerRect(0).topLeft(),
                 QPoint(editor.locX()->value() - 5, editor.locY()->value() - 5));
    }

    void untouchedFieldsKeepTheirText_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("tooltip");
        QTest::newRow("no-break spaces") << QByteArray("Old\xC2\xA0Mill") << QByteArray("10\xC2\xA0km north");
        QTest::newRow("blanks and tabs") << QByteArray("  padded  ") << QByteArray("\tindented\r\n  line ");
        QTest::newRow("line and paragraph separators")
            << QByteArray("a") << QByteArray("one\xE2\x80\xA8two\xE2\x80\xA9three");
        QTest::newRow("Korean and emoji") << QByteArray("대장간 \xF0\x9F\x94\xA8") << QByteArray("수리\r\n");
        QTest::newRow("empty tooltip") << QByteArray("x") << QByteArray();
        QTest::newRow("references") << QByteArray("&amp;lt;b&amp;gt;") << QByteArray("&amp;amp;");
        QTest::newRow("line break in the name") << QByteArray("two\r\nlines") << QByteArray("t");
        QTest::newRow("very long name") << QByteArray(40000, 'n') << QByteArray("t");
    }

    // Moving a POI writes every field back; the fields the user did not touch keep their text.
    void untouchedFieldsKeepTheirText()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, tooltip);
        Poi poi = poiWith(name, "100,200", "NPC");
        poi.tooltip = tooltip;
        EditorWindow& editor = open({poi});
        const std::string nameBefore = editor.value(0, "Name");
        const std::string tooltipBefore = editor.value(0, "Tooltip");
        editor.clickNode(editor.topLevel(0));
        editor.locX()->setValue(101);
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(0, "Location"), std::string("101,200"));
        QCOMPARE(QByteArray::fromStdString(editor.value(0, "Name")), QByteArray::fromStdString(nameBefore));
        QCOMPARE(QByteArray::fromStdString(editor.value(0, "Tooltip")), QByteArray::fromStdString(tooltipBefore));
        editor.trigger("FileSave");
        poi.location = "101,200";
        QCOMPARE(readFile(m_folder->pagePath(kPage)), page(iconLine(poi)));
    }

    // An edited memo is written as its lines joined by CR LF, no-break spaces kept.
    void editedMemoKeepsNoBreakSpaces()
    {
        Poi poi = poiWith("Mill", "100,200", "NPC");
        poi.tooltip = "10\xC2\xA0km\nnorth";
        EditorWindow& editor = open({poi});
        editor.clickPoi(QStringLiteral("Mill"));
        editor.memo()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor.memo(), "!");
        editor.runOutApplyTimer();
        QCOMPARE(QByteArray::fromStdString(editor.value(0, "Tooltip")), QByteArray("10\xC2\xA0km\r\nnorth!"));
        // The marker's hint is the POI's tooltip as it is now, and again as it was after an undo.
        QCOMPARE(editor.panel()->markerTooltip(0), QStringLiteral("10\u00A0km\r\nnorth!"));
        editor.trigger("EditUndo");
        QCOMPARE(editor.panel()->markerTooltip(0), QStringLiteral("10\u00A0km\nnorth"));
    }

    // The normalised text typed into the path field reaches the POI at the next apply.
    void normalisedPathStoredNextApply()
    {
        EditorWindow& editor = open({poiWith("Post", "100,200", "NPC")});
        editor.clickPoi(QStringLiteral("Post"));
        editor.path()->setText(QStringLiteral("-1635, 12.5, 1445"));
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(0, "pathfindlocation"), std::string("-1635, 12.5, 1445"));
        QTest::keyClicks(editor.memo(), "x");
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(0, "pathfindlocation"), std::string("-1635.00, 12.5, 1445.00"));
    }

    void saveAppliesPendingEdits()
    {
        EditorWindow& editor = open({poiWith("Gate", "1,2", "NPC")});
        editor.clickPoi(QStringLiteral("Gate"));
        editor.name()->setText(QStringLiteral("Door"));
        editor.memo()->setPlainText(QStringLiteral("one\ntwo"));
        QVERIFY(editor.timer1()->isActive());
        editor.trigger("FileSave");
        QVERIFY(!editor.timer1()->isActive());
        QVERIFY(!editor.state().EditsPending);
        Poi saved = poiWith("Door", "1,2", "NPC");
        saved.tooltip = "one\r\ntwo";
        saved.path = "1.00, 5, 2.00";
        QCOMPARE(readFile(m_folder->pagePath(kPage)), page(iconLine(saved)));
    }

    // Selecting a value node does not refill the editor; applying acts on its POI.
    void valueNodeAppliesToItsPoi()
    {
        EditorWindow& editor = open({poiWith("Alpha", "1,2", "NPC"), poiWith("Beta", "3,4", "LOC")});
        editor.clickPoi(QStringLiteral("Beta"));
        const QModelIndex beta = editor.topLevelNamed(QStringLiteral("Beta"));
        editor.tree()->expand(beta);
        editor.clickNode(editor.child(beta, 0));
        QCOMPARE(editor.name()->text(), QStringLiteral("Beta"));
        QTest::keyClicks(editor.name(), "2");
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(1, "Name"), std::string("Beta2"));
        QCOMPARE(editor.value(0, "Name"), std::string("Alpha"));
    }

    void moveChangesOnlyTheLocation_data()
    {
        QTest::addColumn<QByteArray>("missing");
        QTest::addColumn<bool>("autoCalc");
        for (const char* property : {"pathfindlocation", "Tooltip", "IconStyle", "Size", "ScrollExtent", "Name"})
            QTest::newRow(property) << QByteArray(property) << false;
        QTest::newRow("pathfindlocation, AutoCalc") << QByteArray("pathfindlocation") << true;
    }

    // A POI lacking a property, between two complete ones, is moved as a marker drag moves it:
    // only its Location changes; nothing is added to it.
    void moveChangesOnlyTheLocation()
    {
        QFETCH(QByteArray, missing);
        QFETCH(bool, autoCalc);
        Poi lacking = poiWith("Lacking", "100,200", "NPC");
        const QByteArray before = iconLine(poiWith("A", "5,5", "LOC"));
        const QByteArray after = iconLine(poiWith("C", "7,7", "MOB"));
        EditorWindow& editor = open({});
        const QString path = m_folder->writePage(kPage, page(before + withoutProperty(iconLine(lacking), missing) + after));
        QVERIFY(editor.window.openPage(path));
        editor.state().AutoCalc = autoCalc;
        editor.clickNode(editor.editor().PoiNode(1));
        editor.editor().LocationDragged(140, 260);
        editor.runOutApplyTimer();
        QVERIFY(!editor.state().EditsPending);
        QCOMPARE(editor.panel()->markerRect(1), MarkerRect({140, 260}, missing == "Size" ? kDefaultIconSize : IntPair{12, 12}));
        editor.trigger("FileSave");
        lacking.location = "140,260";
        QCOMPARE(readFile(path), page(before + withoutProperty(iconLine(lacking), missing) + after));
    }

    void unreadableLocationIsRepaired_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("location");
        QTest::newRow("typing X and Y") << "xy" << QByteArray("150,250");
        QTest::newRow("typing Y only") << "y" << QByteArray("100,250");  // X was filled from the POI
        QTest::newRow("dragging") << "drag" << QByteArray("150,250");
        QTest::newRow("dragging to the numbers shown") << "drag-same" << QByteArray("100,40");
        QTest::newRow("typing X only") << "x" << QByteArray("100,abc");  // Y still shows another POI's
    }

    // "100,abc" fills X with 100 and stops: the other fields still show the previous POI. The
    // apply takes the location the user set and nothing of the previous POI.
    void unreadableLocationIsRepaired()
    {
        QFETCH(QString, how);
        QFETCH(QByteArray, location);
        Poi broken = poiWith("Broken", "100,abc", "LOC");
        broken.tooltip = "mine";
        EditorWindow& editor = open({poiWith("Other", "30,40", "NPC"), broken});
        editor.clickPoi(QStringLiteral("Other"));
        editor.clickPoi(QStringLiteral("Broken"));
        QCOMPARE(editor.locX()->value(), 100);
        QCOMPARE(editor.locY()->value(), 40);
        QCOMPARE(editor.name()->text(), QStringLiteral("Other"));
        if (how == QLatin1String("xy") || how == QLatin1String("x"))
            editor.locX()->setValue(150);
        if (how == QLatin1String("xy") || how == QLatin1String("y"))
            editor.locY()->setValue(250);
        if (how == QLatin1String("drag"))
            editor.editor().LocationDragged(150, 250);
        if (how == QLatin1String("drag-same"))
            editor.editor().LocationDragged(100, 40);
        editor.runOutApplyTimer();
        QCOMPARE(QByteArray::fromStdString(editor.value(1, "Location")), location);
        QCOMPARE(editor.value(1, "Name"), std::string("Broken"));
        QCOMPARE(editor.value(1, "Tooltip"), std::string("mine"));
        QCOMPARE(editor.value(1, "IconStyle"), std::string("LOC"));
        QCOMPARE(editor.value(1, "pathfindlocation"), std::string("1.00, 5, 2.00"));
        QCOMPARE(editor.value(0, "Location"), std::string("30,40"));
        QVERIFY(!editor.state().EditsPending);
        if (location != "100,abc")
            QCOMPARE(editor.panel()->markerRect(1), MarkerRect(MarkerLocation(location.toStdString()), {12, 12}));
    }

    void movedPoiKeepsItsMoveAfterAPathEdit_data()
    {
        QTest::addColumn<bool>("rebuild");  // the tree is rebuilt with the edit pending, as Add and Delete do
        QTest::newRow("selection moves") << false;
        QTest::newRow("tree rebuilt") << true;
    }

    // A path typed for a POI whose Location does not read must not steer the next POI's apply:
    // moving C with AutoCalc on recomputes its world location from where it was moved to.
    void movedPoiKeepsItsMoveAfterAPathEdit()
    {
        QFETCH(bool, rebuild);
        EditorWindow& editor = open({poiWith("Broken", "100,abc", "LOC"), poiWith("C", "100,200", "NPC")});
        editor.state().AutoCalc = true;
        editor.clickPoi(QStringLiteral("Broken"));
        QTest::keyClicks(editor.path(), "7");
        QVERIFY(editor.state().PathEdited);
        if (rebuild)
            editor.editor().BuildPoiTree();
        editor.clickPoi(QStringLiteral("C"));
        QVERIFY(!editor.state().PathEdited);
        editor.editor().LocationDragged(0, 0);
        editor.runOutApplyTimer();
        QCOMPARE(editor.value(1, "Location"), std::string("0,0"));
        QCOMPARE(editor.value(1, "pathfindlocation"), std::string("585.00, 5, -1135.00"));
    }

    // Clicking a value node of the POI being edited, before the apply delay runs out: the apply
    // replaces that node, which moves the selection; no second apply runs inside the first.
    void applyIsNotReentered()
    {
        EditorWindow& editor = open({poiWith("Gate", "1,2", "NPC"), poiWith("Wall", "3,4", "LOC")});
        editor.clickPoi(QStringLiteral("Gate"));
        const QModelIndex gate = editor.topLevelNamed(QStringLiteral("Gate"));
        editor.tree()->expand(gate);
        QTest::keyClicks(editor.name(), "way");
        editor.locX()->setValue(9);
        const QRect valueNode = editor.tree()->visualRect(editor.child(gate, 0));
        QVERIFY(!valueNode.isEmpty());
        QTest::mouseClick(editor.tree()->viewport(), Qt::LeftButton, Qt::NoModifier, valueNode.center());
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        // The program's own refills after the apply are no edits: nothing pending, no timer.
        QVERIFY(!editor.state().EditsPending);
        QVERIFY(!editor.timer1()->isActive());
        QVERIFY(!editor.state().Updating);
        QCOMPARE(editor.value(0, "Name"), std::string("Gateway"));
        QCOMPARE(editor.value(0, "Location"), std::string("9,2"));
        QCOMPARE(editor.value(1, "Name"), std::string("Wall"));
        const QModelIndex renamed = editor.topLevelNamed(QStringLiteral("Gateway"));
        QVERIFY(renamed.isValid());
        QCOMPARE(editor.childCount(renamed), 4);
    }

    void nestedGuardsRestoreTheFlag_data()
    {
        QTest::addColumn<bool>("found");
        QTest::newRow("flag clear") << false;
        QTest::newRow("flag already set") << true;
    }

    // An inner guard gives back what it found: the outer guard's fill stays guarded.
    void nestedGuardsRestoreTheFlag()
    {
        QFETCH(bool, found);
        bool flag = found;
        {
            UpdatingGuard outer(flag);
            QCOMPARE(outer.nested(), found);
            {
                UpdatingGuard inner(flag);
                QVERIFY(inner.nested());
                QVERIFY(flag);
            }
            QVERIFY(flag);
        }
        QCOMPARE(flag, found);
        try {
            UpdatingGuard thrown(flag);
            throw MissingPropertyError("x");
        } catch (const MissingPropertyError&) {
        }
        QCOMPARE(flag, found);
    }

    // The page fields write the root at every keystroke of the user, never on a program fill.
    void pageFieldsWriteRoot()
    {
        EditorWindow& editor = open({poiWith("Gate", "1,2", "NPC")});
        auto* mapName = editor.control<QLineEdit>("FlatEdit2");
        auto* zoneName = editor.control<QLineEdit>("FlatEdit4");
        mapName->setText(QStringLiteral("programmatic"));
        TSimpleXMLProps& root = editor.editor().xmlscan().Root().Properties();
        QCOMPARE(root.Find("Name")->Value(), std::string("test_map"));
        mapName->setReadOnly(false);
        zoneName->setReadOnly(false);
        mapName->setFocus();
        mapName->end(false);
        QTest::keyClicks(mapName, "_2");
        QCOMPARE(root.Find("Name")->Value(), std::string("programmatic_2"));
        QTest::keyClicks(zoneName, "Ü");
        QCOMPARE(root.Find("1location")->Value(), std::string("Test ZoneÜ"));
        QCOMPARE(editor.state().PageName, std::string("test_map"));
    }
};

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    PropertyEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PropertyEditorTest.moc"
