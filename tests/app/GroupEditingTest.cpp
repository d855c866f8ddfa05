// Several POIs at once in the main window, driven by real mouse and key events: selecting with
// Ctrl and a rubber band, moving a group with one undo step, pasting into another kind of file,
// and the map's context menu.
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "app/PoiSelection.h"
#include "helpers/EventLoop.h"
#include "helpers/MouseMoves.h"
#include "helpers/ModalDialog.h"
#include "helpers/ScriptedPrompts.h"
#include "helpers/TestFiles.h"
#include "helpers/TestWindow.h"
#include "mapview/MapPanel.h"
#include "tools/AddpointF.h"

#include <QAction>
#include <QLineEdit>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <memory>

namespace {

// Messy but real: a byte order mark, CRLF, and a world location with decimals.
const char* const kPage =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Page Name=\"testmap\" 1location=\"Test Zone\" Size=\"436,506\">\r\n"
    "  <Icon IconStyle=\"NPC\" Location=\"100,200\" Name=\"Alpha\" pathfindlocation=\"-74.82, 7.5, -116.2\""
    " ScrollExtent=\"12,12\" Size=\"12,12\" Tooltip=\"first\"/>\r\n"
    "  <Icon IconStyle=\"LOC\" Location=\"300,120\" Name=\"Beta\" pathfindlocation=\"3.00, 9, 4.00\""
    " ScrollExtent=\"12,12\" Size=\"12,12\" Tooltip=\"second\"/>\r\n"
    "  <Icon IconStyle=\"QST\" Location=\"200,400\" Name=\"Gamma\" pathfindlocation=\"5.00, 9, 6.00\""
    " ScrollExtent=\"12,12\" Size=\"12,12\" Tooltip=\"third\"/>\r\n"
    "</Page>\r\n";

const char* const kStyles =
    "<?xml version=\"1.0\"?>\r\n<Styles>\r\n"
    "  <ImageStyle Name=\"testmap\" zonerect=\"-585,-1135,1635,1445\"><Image Source=\"images\\maps\\none.dds\"/></ImageStyle>\r\n"
    "  <ImageStyle Name=\"harbor_town\" zonerect=\"-585,-1135,1635,1445\"><Image Source=\"images\\maps\\none.dds\"/></ImageStyle>\r\n"
    "</Styles>\r\n";

}  // namespace

class GroupEditingTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_window;
    MapPanel* m_panel = nullptr;

    QString pagePath() const { return m_dir.filePath(QStringLiteral("UI/Test/vynmap/icons_test.xml")); }
    QString windowFilePath() const { return m_dir.filePath(QStringLiteral("UI/Test/map_window.xml")); }
    std::string value(int index, const char* name)
    {
        return m_window->editor().xmlscan().Root().Items().Item(index)->Properties().Find(name)->Value();
    }
    // The marker's centre as the drag rules take it (halves rounded down).
    QPoint centre(int index) const
    {
        const QRect rect = m_panel->markerRect(index);
        return rect.topLeft() + QPoint(rect.width() / 2, rect.height() / 2);
    }
    std::vector<int> selected() const { return m_window->selection().selectedPois(); }
    std::vector<int> treeSelected() const
    {
        std::vector<int> pois;
        for (const QModelIndex& node : m_window->findChild<QTreeView*>(QStringLiteral("TreeView1"))
                                           ->selectionModel()->selectedRows())
            pois.push_back(node.data(Qt::UserRole).toInt());
        std::sort(pois.begin(), pois.end());
        return pois;
    }
    void band(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(m_panel, Qt::LeftButton, modifiers, from);
        moveTo(m_panel, (from + to) / 2, Qt::LeftButton, modifiers);
        moveTo(m_panel, to, Qt::LeftButton, modifiers);
        QTest::mouseRelease(m_panel, Qt::LeftButton, modifiers, to);
    }

private slots:
    void init()
    {
        writeTestFile(pagePath(), kPage);
        writeTestFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")), kStyles);
        startTestWindow(m_window, m_prompts, m_dir.filePath(QStringLiteral("editor.INI")),
                        m_dir.filePath(QStringLiteral("UI/Test/")));
        m_panel = m_window->mapPanel();
        QVERIFY(m_window->openPage(pagePath()));
    }

    void cleanup() { m_window.reset(); }

    void ctrlClicksAndBandsSelectSeveral()
    {
        QLabel* count = m_window->statusPanel(5);
        QTest::mouseClick(m_panel, Qt::LeftButton, Qt::NoModifier, centre(0));
        QCOMPARE(selected(), std::vector<int>{0});
        QCOMPARE(count->text(), QString());  // one POI: the described status bar
        QTest::mouseClick(m_panel, Qt::LeftButton, Qt::ControlModifier, centre(1));
        QCOMPARE(selected(), (std::vector<int>{0, 1}));
        QCOMPARE(treeSelected(), (std::vector<int>{0, 1}));
        QCOMPARE(m_panel->selectedMarkers(), (std::vector<int>{0, 1}));
        QCOMPARE(count->text(), QStringLiteral("2 selected"));
        QTest::mouseClick(m_panel, Qt::LeftButton, Qt::ControlModifier, centre(0));  // toggled out
        QCOMPARE(selected(), std::vector<int>{1});

        // A band from empty map over Alpha and Gamma; with Ctrl, Beta joins them.
        band(QPoint(80, 180), QPoint(220, 420));
        QCOMPARE(selected(), (std::vector<int>{0, 2}));
        band(QPoint(290, 110), QPoint(310, 130), Qt::ControlModifier);
        QCOMPARE(selected(), (std::vector<int>{0, 1, 2}));
        QCOMPARE(count->text(), QStringLiteral("3 selected"));

        // A plain click keeps its meaning: that one POI, shown in the property panel.
        QTest::mouseClick(m_panel, Qt::LeftButton, Qt::NoModifier, centre(2));
        runEventLoopFor(30);
        QCOMPARE(selected(), std::vector<int>{2});
        QCOMPARE(m_window->findChild<QLineEdit*>(QStringLiteral("FlatEdit3"))->text(), QStringLiteral("Gamma"));
        QCOMPARE(m_panel->selectedMarkers(), std::vector<int>{2});

        // In the tree Shift extends from the line clicked before (sorted: Alpha, Beta, Gamma).
        auto* tree = m_window->findChild<QTreeView*>(QStringLiteral("TreeView1"));
        const auto clickLine = [tree, this](int poi, Qt::KeyboardModifiers modifiers) {
            const QModelIndex node = m_window->editor().PoiNode(poi);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, modifiers, tree->visualRect(node).center());
        };
        clickLine(0, Qt::NoModifier);
        clickLine(2, Qt::ShiftModifier);
        QCOMPARE(selected(), (std::vector<int>{0, 1, 2}));
        QCOMPARE(m_panel->selectedMarkers(), (std::vector<int>{0, 1, 2}));

        // Shift and the left button on a marker outside the selection drag that one alone.
        band(QPoint(80, 180), QPoint(120, 220));
        QTest::mousePress(m_panel, Qt::LeftButton, Qt::ShiftModifier, centre(1));
        QTest::mouseRelease(m_panel, Qt::LeftButton, Qt::ShiftModifier, centre(1));
        QCOMPARE(selected(), std::vector<int>{1});
    }

    void groupMovesTogetherAndUndoesInOneStep()
    {
        band(QPoint(80, 110), QPoint(320, 220));  // Alpha and Beta
        QCOMPARE(selected(), (std::vector<int>{0, 1}));
        const QPoint from = centre(0);
        QTest::mousePress(m_panel, Qt::RightButton, Qt::NoModifier, from);
        moveTo(m_panel, from + QPoint(5, 2), Qt::RightButton);
        moveTo(m_panel, from + QPoint(10, 5), Qt::RightButton);
        QTest::mouseRelease(m_panel, Qt::RightButton, Qt::NoModifier, from + QPoint(10, 5));
        QCOMPARE(value(0, "Location"), std::string("110,205"));
        QCOMPARE(value(1, "Location"), std::string("310,125"));
        QCOMPARE(value(2, "Location"), std::string("200,400"));
        QCOMPARE(selected(), (std::vector<int>{0, 1}));  // still selected, for the next move

        // Arrow keys nudge them all, each press a step of its own.
        m_panel->setFocus();
        QTest::keyClick(m_panel, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(value(0, "Location"), std::string("100,205"));
        QCOMPARE(value(1, "Location"), std::string("300,125"));

        m_window->EditUndoExecute();
        QCOMPARE(value(0, "Location"), std::string("110,205"));
        m_window->EditUndoExecute();
        QCOMPARE(value(0, "Location"), std::string("100,200"));
        QCOMPARE(value(1, "Location"), std::string("300,120"));
        QCOMPARE(value(0, "pathfindlocation"), std::string("-74.82, 7.5, -116.2"));

        // With automatic locations, each moved POI's world location follows, its height kept.
        runEventLoopFor(20);
        m_window->action(QStringLiteral("MAPLOCAUTO"))->trigger();
        m_window->EditRedoExecute();
        QCOMPARE(value(0, "pathfindlocation"), std::string("-74.82, 7.5, -116.2"));  // redo replays
        m_window->moveSelected(QPoint(0, 1));
        QCOMPARE(value(1, "pathfindlocation"), std::string("-993.44, 9, -492.55"));

        // Delete POI asks once, naming how many.
        m_prompts.confirmAnswers.enqueue(true);
        m_window->MAPDELExecute();
        QCOMPARE(m_prompts.questions.last(), QStringLiteral("Delete These 2 POIs?"));
        QCOMPARE(m_window->editor().xmlscan().Root().ItemCount(), 1);
        m_window->EditUndoExecute();
        QCOMPARE(m_window->editor().xmlscan().Root().ItemCount(), 3);
        QCOMPARE(selected(), (std::vector<int>{0, 1}));
    }

    void pasteIntoTheMapWindowFileSplicesOneLine()
    {
        const QByteArray original = readTestFile(QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/map_window_sample.xml"));
        QVERIFY(!original.isEmpty());
        writeTestFile(windowFilePath(), original);

        QTest::mouseClick(m_panel, Qt::LeftButton, Qt::NoModifier, centre(0));
        m_window->EditCopyExecute();
        QVERIFY(m_window->openPage(windowFilePath() + QStringLiteral("#harbor_town")));
        const int before = m_window->editor().xmlscan().Root().ItemCount();
        m_window->EditPasteExecute();
        TSimpleXMLElem& root = m_window->editor().xmlscan().Root();
        QCOMPARE(root.ItemCount(), before + 1);
        QCOMPARE(selected(), std::vector<int>{before});
        // Both maps have the same rectangle: the world location stays and places the icon, not
        // Alpha's Location (which disagrees with it): its point 129.58,199.81, less half of 21,21.
        QCOMPARE(value(before, "pathfindlocation"), std::string("-74.82, 7.5, -116.2"));
        QCOMPARE(value(before, "Size"), std::string("21,21"));
        QCOMPARE(value(before, "Location"), std::string("119,189"));
        // The file defines no NPC style: the icon takes one of the file's own.
        QCOMPARE(value(before, "IconStyle"), std::string("style"));

        QVERIFY(m_window->editor().FileSaveExecute(false));
        const QByteArray saved = readTestFile(windowFilePath());
        const int line = saved.indexOf("Name=\"Alpha\"");
        QVERIFY(line > 0);
        const int start = saved.lastIndexOf('\n', line) + 1;
        const int end = saved.indexOf('\n', line) + 1;
        QCOMPARE(saved.left(start) + saved.mid(end), original);

        m_window->EditUndoExecute();
        QCOMPARE(m_window->editor().xmlscan().Root().ItemCount(), before);
    }

    void mapContextMenuAddsAPoiAtThePoint()
    {
        whenModal<TForm3>([](TForm3* dialog) { dialog->accept(); });
        QTest::mousePress(m_panel, Qt::RightButton, Qt::NoModifier, QPoint(50, 60));
        QMenu* menu = m_window->findChild<QMenu*>(QStringLiteral("MapContextMenu"));
        QVERIFY(menu);
        QStringList items;
        for (QAction* item : menu->actions())
            items << item->text();
        QCOMPARE(items, (QStringList{"Add POI here", "Paste here", "Copy world location"}));
        menu->findChild<QAction*>(QStringLiteral("MapAddHere"))->trigger();
        TSimpleXMLElem& root = m_window->editor().xmlscan().Root();
        QCOMPARE(root.ItemCount(), 4);
        QCOMPARE(value(3, "Location"), std::string("50,60"));
        QCOMPARE(value(3, "pathfindlocation"), std::string("330.41, 0, -829.07"));
        menu->close();
    }
};

QTEST_MAIN(GroupEditingTest)
#include "GroupEditingTest.moc"
