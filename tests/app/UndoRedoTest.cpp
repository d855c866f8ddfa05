// Undo and redo of every kind of change to an open page, driven through the window as a user
// drives it: the document, the tree, the markers and the property fields follow each step.
#include "document/IconPageFixture.h"
#include "helpers/ModalDialog.h"
#include "tools/AddpointF.h"

#include <QPushButton>
#include <QUndoStack>

namespace {

using PageText::Poi;

QList<Poi> threePois()
{
    Poi alpha{"Alpha", "10,20"};
    alpha.path = "500, 0, -300";
    Poi beta{"Beta", "410,480"};
    beta.path = "100, 0, 160";
    Poi gamma{"Gamma", "60,70"};
    return {alpha, beta, gamma};
}

// The kinds of change, each one user gesture.
enum class Change { Rename, Retype, MoveByFields, AutoLocation, Tooltip, Add, Delete, PageName, ZoneName };

}  // namespace

Q_DECLARE_METATYPE(Change)

class UndoRedoTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    QString m_pagePath;
    QByteArray m_original;

    EditorWindow& w() { return *m_editor; }
    QUndoStack& stack() { return w().editor().undoStack(); }
    std::string documentBytes() { return w().editor().xmlscan().SaveToString(); }

    void openPage(bool withZone = false)
    {
        if (withZone)
            m_folder->writeMapStyles(mapStylesFor("test_map", kTestZoneText));
        m_original = PageText::page(PageText::iconLines(threePois()));
        m_pagePath = m_folder->writePage(QStringLiteral("icons_test.xml"), m_original);
        QVERIFY(w().openShown(m_pagePath));
        // Window shortcuts reach only the active window.
        w().window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w().window));
    }

    void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    void makeChange(Change change)
    {
        switch (change) {
        case Change::Rename:
            w().clickPoi(QStringLiteral("Beta"));
            typeInto(w().name(), QStringLiteral("Renamed"));
            w().runOutApplyTimer();
            break;
        case Change::Retype:
            w().clickPoi(QStringLiteral("Beta"));
            w().type()->setCurrentIndex(w().type()->findText(QStringLiteral("ZONE")));
            w().runOutApplyTimer();
            break;
        case Change::MoveByFields:
            w().clickPoi(QStringLiteral("Beta"));
            w().locX()->setValue(300);
            w().locY()->setValue(301);
            w().runOutApplyTimer();
            break;
        case Change::AutoLocation:
            runEventLoopFor(20);  // the command is enabled when the loop goes idle
            w().trigger("MAPLOCAUTO");
            QVERIFY(w().state().AutoCalc);
            w().clickPoi(QStringLiteral("Beta"));
            w().locX()->setValue(200);
            w().runOutApplyTimer();
            break;
        case Change::Tooltip:
            w().clickPoi(QStringLiteral("Alpha"));
            w().memo()->setPlainText(QStringLiteral("two\nlines"));
            w().runOutApplyTimer();
            break;
        case Change::Add:
            whenModal<TForm3>([](TForm3* dialog) {
                dialog->findChild<QLineEdit*>(QStringLiteral("ed_name"))->setText(QStringLiteral("Added"));
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
            });
            w().trigger("MAPADD");
            break;
        case Change::Delete:
            w().clickPoi(QStringLiteral("Beta"));
            w().prompts.confirmAnswers.enqueue(true);
            w().trigger("MAPDEL");
            break;
        case Change::PageName:
        case Change::ZoneName: {
            w().trigger("MAPNAMES");
            auto* field = w().control<QLineEdit>(change == Change::PageName ? "FlatEdit2" : "FlatEdit4");
            field->setFocus();
            field->end(false);
            QTest::keyClicks(field, QStringLiteral("XY"));  // one gesture, however many keys
            field->clearFocus();
            break;
        }
        }
    }

    // What a user sees of the page: node texts in tree order, the markers, the page fields.
    QStringList view()
    {
        QStringList seen = w().topLevelTexts();
        for (int i = 0; i < w().panel()->markerCount(); ++i) {
            const QRect rect = w().panel()->markerRect(i);
            seen << QStringLiteral("%1:%2,%3").arg(i).arg(rect.x()).arg(rect.y());
        }
        seen << w().control<QLineEdit>("FlatEdit2")->text() << w().control<QLineEdit>("FlatEdit4")->text();
        return seen;
    }

    // The property fields show what the selected POI holds.
    void verifyFieldsShowSelection()
    {
        const int index = PoiTreeModel::poiOf(w().current());
        if (index < 0)
            return;
        // The rebuild hides the position button; the delayed fill shows it again.
        QTRY_VERIFY(w().panel()->positionButtonVisible());
        QCOMPARE(w().name()->text().toStdString(), w().value(index, "Name"));
        QCOMPARE(w().path()->text().toStdString(), w().value(index, "pathfindlocation"));
        QCOMPARE(QStringLiteral("%1,%2").arg(w().locX()->value()).arg(w().locY()->value()).toStdString(),
                 w().value(index, "Location"));
    }

private slots:
    void init()
    {
        qRegisterMetaType<Change>();
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup()
    {
        m_editor.reset();
        m_folder.reset();
    }

    void eachChangeIsOneStep_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("withZone");
        QTest::newRow("rename") << Change::Rename << false;
        QTest::newRow("type with its sizes") << Change::Retype << false;
        QTest::newRow("location fields") << Change::MoveByFields << false;
        QTest::newRow("automatic world location") << Change::AutoLocation << true;
        QTest::newRow("tooltip") << Change::Tooltip << false;
        QTest::newRow("add POI") << Change::Add << false;
        QTest::newRow("delete POI") << Change::Delete << false;
        QTest::newRow("page name") << Change::PageName << false;
        QTest::newRow("zone name") << Change::ZoneName << false;
    }

    void eachChangeIsOneStep()
    {
        QFETCH(Change, change);
        QFETCH(bool, withZone);
        openPage(withZone);
        const std::string before = documentBytes();
        const QStringList viewBefore = view();
        QCOMPARE(stack().count(), 0);

        makeChange(change);
        const std::string after = documentBytes();
        const QStringList viewAfter = view();
        QVERIFY(after != before);
        QCOMPARE(stack().count(), 1);
        if (change == Change::AutoLocation)  // the recomputed world location is part of the step
            QVERIFY(w().value(1, "pathfindlocation") != "100, 0, 160");

        w().trigger("EditUndo");
        QCOMPARE(documentBytes(), before);
        QCOMPARE(view(), viewBefore);
        verifyFieldsShowSelection();

        w().trigger("EditRedo");
        QCOMPARE(documentBytes(), after);
        QCOMPARE(view(), viewAfter);
        verifyFieldsShowSelection();

        w().trigger("EditUndo");
        w().trigger("FileSave");
        QCOMPARE(readFile(m_pagePath), m_original);
    }

    void newEditClearsRedo()
    {
        openPage();
        makeChange(Change::Rename);
        w().trigger("EditUndo");
        QVERIFY(stack().canRedo());
        runEventLoopFor(20);
        QVERIFY(w().window.action(QStringLiteral("EditRedo"))->isEnabled());

        makeChange(Change::Tooltip);
        QVERIFY(!stack().canRedo());
        runEventLoopFor(20);
        QVERIFY(!w().window.action(QStringLiteral("EditRedo"))->isEnabled());
        const std::string edited = documentBytes();
        w().trigger("EditRedo");
        QCOMPARE(documentBytes(), edited);
        QCOMPARE(w().value(1, "Name"), std::string("Beta"));
    }

    void pendingEditsAreUndoneFirst()
    {
        openPage();
        makeChange(Change::Rename);
        w().clickPoi(QStringLiteral("Alpha"));
        typeInto(w().name(), QStringLiteral("Waiting"));
        QVERIFY(w().timer1()->isActive());
        w().trigger("EditUndo");
        // The waiting edit became a step of its own and was the one undone.
        QCOMPARE(w().value(0, "Name"), std::string("Alpha"));
        QCOMPARE(w().value(1, "Name"), std::string("Renamed"));
        QVERIFY(!w().timer1()->isActive());
        QTRY_COMPARE(w().name()->text(), QStringLiteral("Alpha"));
    }

    void undoDeleteRestoresIndexAndBytes_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<int>("index");
        QTest::newRow("first") << "Alpha" << 0;
        QTest::newRow("middle") << "Beta" << 1;
        QTest::newRow("last") << "Gamma" << 2;
    }

    void undoDeleteRestoresIndexAndBytes()
    {
        QFETCH(QString, deleted);
        QFETCH(int, index);
        openPage();
        w().clickPoi(deleted);
        w().prompts.confirmAnswers.enqueue(true);
        w().trigger("MAPDEL");
        QCOMPARE(w().topLevelCount(), 2);
        QVERIFY(!w().topLevelTexts().contains(deleted));

        w().trigger("EditUndo");
        QCOMPARE(w().value(index, "Name"), deleted.toStdString());
        QCOMPARE(w().current(), w().editor().PoiNode(index));
        QTRY_COMPARE(w().name()->text(), deleted);
        w().trigger("FileSave");
        QCOMPARE(readFile(m_pagePath), m_original);
    }

    void dragUndoSaveGivesTheOriginal()
    {
        openPage();
        MapPanel* panel = w().panel();
        const QPoint start = panel->markerRect(1).center();
        QTest::mousePress(panel, Qt::LeftButton, Qt::ShiftModifier, start);
        runEventLoopFor(30);
        QTest::mouseMove(panel, start + QPoint(30, -40));
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::ShiftModifier, start + QPoint(30, -40));
        w().runOutApplyTimer();
        QVERIFY(w().value(1, "Location") != "410,480");

        w().tree()->setFocus();
        QTest::keyClick(&w().window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w().value(1, "Location"), std::string("410,480"));
        QTest::keyClick(&w().window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(readFile(m_pagePath), m_original);
        QVERIFY(!w().editor().IsModified());
    }

    void redoKeys_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Ctrl+Y") << QKeySequence(QStringLiteral("Ctrl+Y"));
        QTest::newRow("Ctrl+Shift+Z") << QKeySequence(QStringLiteral("Ctrl+Shift+Z"));
    }

    void redoKeys()
    {
        QFETCH(QKeySequence, keys);
        openPage();
        makeChange(Change::Rename);
        w().tree()->setFocus();
        QTest::keySequence(&w().window, QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(w().value(1, "Name"), std::string("Beta"));
        QTest::keySequence(&w().window, keys);
        QCOMPARE(w().value(1, "Name"), std::string("Renamed"));
    }

    void textFieldKeepsItsOwnUndo()
    {
        openPage();
        makeChange(Change::Rename);
        typeInto(w().path(), QStringLiteral("q"));
        QCOMPARE(w().path()->text(), QStringLiteral("q"));
        QTest::keyClick(w().path(), Qt::Key_Z, Qt::ControlModifier);
        // The field took the key back; the page's own history was not touched.
        QCOMPARE(w().path()->text(), QStringLiteral("100, 0, 160"));
        QCOMPARE(w().value(1, "Name"), std::string("Renamed"));

        w().trigger("EditUndo");
        QCOMPARE(w().value(1, "Name"), std::string("Beta"));
        QTRY_VERIFY(w().panel()->positionButtonVisible());  // refilled
        for (const char* redo : {"Ctrl+Y", "Ctrl+Shift+Z"}) {
            w().path()->setFocus();
            QTest::keySequence(w().path(), QKeySequence(QLatin1String(redo)));
            QCOMPARE(w().value(1, "Name"), std::string("Beta"));  // the page's redo stayed put
        }
    }

    void openingClearsTheHistory()
    {
        openPage();
        makeChange(Change::Rename);
        QVERIFY(stack().canUndo());
        w().prompts.saveAnswers.enqueue(SaveAnswer::Discard);
        w().prompts.fileAnswers.enqueue(m_pagePath);
        w().trigger("FileOpen");
        QCOMPARE(stack().count(), 0);
        QCOMPARE(w().value(1, "Name"), std::string("Beta"));
        runEventLoopFor(20);
        QVERIFY(!w().window.action(QStringLiteral("EditUndo"))->isEnabled());
    }
};

QTEST_MAIN(UndoRedoTest)
#include "UndoRedoTest.moc"
