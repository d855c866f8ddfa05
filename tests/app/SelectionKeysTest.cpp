// The selection and the keys of a map editor, driven by real key and mouse events: Delete asks and
// deletes (never inside a text field), Escape and a plain click on empty map drop the selection, the
// property panel never shows a POI that is gone, and undo keys work in the Problems window.
#include "document/IconPageFixture.h"
#include "app/PoiSelection.h"
#include "tools/PageProblems.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QUndoStack>

namespace {

using PageText::Poi;

QList<Poi> threePois()
{
    return {Poi{"Alpha", "100,100"}, Poi{"Beta", "300,120"}, Poi{"Gamma", "200,400"}};
}

}  // namespace

class SelectionKeysTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    EditorWindow& w() { return *m_editor; }

    std::vector<int> selected() { return w().window.selection().selectedPois(); }
    QPoint markerCentre(int poi) { return w().panel()->markerRect(poi).center(); }
    // The property fields, in the order of the panel.
    QList<QWidget*> fields()
    {
        return {w().locX(), w().locY(), w().type(), w().name(), w().path(), w().memo()};
    }
    bool fieldsEnabled()
    {
        const QList<QWidget*> all = fields();
        return std::all_of(all.begin(), all.end(), [](QWidget* field) { return field->isEnabled(); });
    }
    bool fieldsDisabled()
    {
        const QList<QWidget*> all = fields();
        return std::none_of(all.begin(), all.end(), [](QWidget* field) { return field->isEnabled(); });
    }
    void settle() { runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3); }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
        const QString path = m_folder->writePage(QStringLiteral("icons_test.xml"),
                                                 PageText::page(PageText::iconLines(threePois())));
        QVERIFY(w().openShown(path));
        QVERIFY(QTest::qWaitForWindowActive(&w().window));
    }

    void cleanup() { m_editor.reset(); }

    void deleteKey_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("questions");
        QTest::newRow("tree, Yes") << "TreeView1" << true << QStringList{"Alpha", "Gamma"} << 1;
        QTest::newRow("tree, No") << "TreeView1" << false << QStringList{"Alpha", "Beta", "Gamma"} << 1;
        QTest::newRow("map, Yes") << "Panel1" << true << QStringList{"Alpha", "Gamma"} << 1;
        // The name field's own Delete key deletes a letter, never the POI.
        QTest::newRow("name field") << "FlatEdit3" << true << QStringList{"Alpha", "Beta", "Gamma"} << 0;
        QTest::newRow("tooltip") << "FlatMemo1" << true << QStringList{"Alpha", "Beta", "Gamma"} << 0;
    }

    void deleteKey()
    {
        QFETCH(QString, focus);
        QFETCH(bool, answer);
        QFETCH(QStringList, left);
        QFETCH(int, questions);
        w().clickPoi(QStringLiteral("Beta"));
        w().prompts.confirmAnswers.enqueue(answer);
        QWidget* target = w().window.findChild<QWidget*>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Delete);
        QCOMPARE(w().prompts.questions.size(), questions);
        if (questions > 0)
            QCOMPARE(w().prompts.questions.first(), QStringLiteral("Delete This POI?"));
        QCOMPARE(w().topLevelTexts(), left);
    }

    void clearingTheSelection_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("Escape") << "escape" << true;
        QTest::newRow("click on empty map") << "click" << true;
        QTest::newRow("Ctrl and a click on empty map") << "ctrl-click" << false;
        QTest::newRow("Escape in the name field") << "escape-in-field" << false;
    }

    void clearingTheSelection()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, cleared);
        MapPanel* panel = w().panel();
        QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, markerCentre(0));
        QTest::mouseClick(panel, Qt::LeftButton, Qt::ControlModifier, markerCentre(2));
        settle();
        QCOMPARE(selected(), (std::vector<int>{0, 2}));
        const QPoint empty(20, 480);
        QCOMPARE(panel->markerAt(empty), -1);
        if (gesture == QLatin1String("escape")) {
            QTest::keyClick(panel, Qt::Key_Escape);
        } else if (gesture == QLatin1String("escape-in-field")) {
            w().name()->setFocus();
            QTest::keyClick(w().name(), Qt::Key_Escape);
        } else {
            const Qt::KeyboardModifiers held = gesture == QLatin1String("click") ? Qt::NoModifier : Qt::ControlModifier;
            QTest::mouseClick(panel, Qt::LeftButton, held, empty);
        }
        settle();
        QCOMPARE(selected().empty(), cleared);
        QCOMPARE(panel->selectedMarkers().empty(), cleared);
        QCOMPARE(w().current().isValid(), !cleared);
        QCOMPARE(panel->positionButtonVisible(), !cleared);
        QCOMPARE(fieldsDisabled(), cleared);
        // Nothing selected: nothing for Delete POI to delete.
        runEventLoopFor(5);
        QCOMPARE(w().window.action(QStringLiteral("MAPDEL"))->isEnabled(), !cleared);
        QCOMPARE(w().topLevelCount(), 3);
    }

    // After the POI shown is gone the fields are cleared and closed; a POI selected again opens them.
    void propertyPanelNeverShowsAGonePoi_data()
    {
        QTest::addColumn<QString>("removal");
        QTest::newRow("Delete POI") << "delete";
        QTest::newRow("Delete POI of two") << "delete-two";
        QTest::newRow("Cut") << "cut";
        QTest::newRow("undo of Paste") << "undo-paste";
        QTest::newRow("undo of Duplicate") << "undo-duplicate";
    }

    void propertyPanelNeverShowsAGonePoi()
    {
        QFETCH(QString, removal);
        w().clickPoi(QStringLiteral("Gamma"));
        QCOMPARE(w().name()->text(), QStringLiteral("Gamma"));
        if (removal == QLatin1String("delete")) {
            w().prompts.confirmAnswers.enqueue(true);
            w().trigger("MAPDEL");
        } else if (removal == QLatin1String("delete-two")) {
            QTest::mouseClick(w().panel(), Qt::LeftButton, Qt::ControlModifier, markerCentre(0));
            w().prompts.confirmAnswers.enqueue(true);
            w().trigger("MAPDEL");
        } else if (removal == QLatin1String("cut")) {
            w().trigger("EditCut");
        } else {
            w().trigger(removal == QLatin1String("undo-paste") ? "EditCopy" : "EditDuplicate");
            if (removal == QLatin1String("undo-paste"))
                w().trigger("EditPaste");
            settle();
            QCOMPARE(w().name()->text(), QStringLiteral("Gamma (2)"));
            w().trigger("EditUndo");
        }
        settle();
        QVERIFY(w().topLevelNamed(QStringLiteral("Gamma (2)")) == QModelIndex());
        QCOMPARE(w().name()->text(), QString());
        QCOMPARE(w().type()->currentIndex(), -1);
        QCOMPARE(w().memo()->toPlainText(), QString());
        QVERIFY(fieldsDisabled());
        // Typing into the closed fields is impossible; a POI chosen again opens them with its values.
        w().clickPoi(QStringLiteral("Beta"));
        QVERIFY(fieldsEnabled());
        QCOMPARE(w().name()->text(), QStringLiteral("Beta"));
        QCOMPARE(w().locX()->value(), 300);
    }

    void undoKeysInTheProblemsWindow_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("index");
        QTest::newRow("Ctrl+Z") << QKeyCombination(Qt::ControlModifier, Qt::Key_Z) << 0;
        QTest::newRow("Ctrl+Y") << QKeyCombination(Qt::ControlModifier, Qt::Key_Y) << 1;
        QTest::newRow("Ctrl+Shift+Z") << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z) << 1;
    }

    void undoKeysInTheProblemsWindow()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(int, index);
        w().clickPoi(QStringLiteral("Beta"));
        w().prompts.confirmAnswers.enqueue(true);
        w().trigger("MAPDEL");
        QUndoStack& stack = w().editor().undoStack();
        if (index == 1)
            w().trigger("EditUndo");
        w().trigger("ViewProblems");
        PageProblemsWindow* problems = w().window.problemsWindow();
        QVERIFY(QTest::qWaitForWindowActive(problems));
        auto* list = problems->findChild<QListWidget*>(QStringLiteral("ProblemList"));
        list->setFocus();
        runEventLoopFor(5);  // the actions' states follow the history when idle
        QTest::keyClick(list, key.key(), key.keyboardModifiers());
        QCOMPARE(stack.index(), index);
        QCOMPARE(w().topLevelCount(), index == 0 ? 3 : 2);
    }
};

QTEST_MAIN(SelectionKeysTest)
#include "SelectionKeysTest.moc"
