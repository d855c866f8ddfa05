#pragma once
// Checks of the main window shared by the Korean and the English test programs; each program
// fixes the system language before the application starts.

#include "app/MainWindow.h"
#include "helpers/EventLoop.h"
#include "helpers/ScriptedPrompts.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

class MainWindowChecks : public QObject {
    Q_OBJECT
public:
    explicit MainWindowChecks(Language expected) : m_expected(expected) {}

private:
    Language m_expected;
    QTemporaryDir m_dir;

    QString configPath() const { return m_dir.filePath(QStringLiteral("editor.INI")); }

    static QStringList menuTexts(QMenu* menu)
    {
        QStringList texts;
        for (QAction* act : menu->actions())
            if (act->isVisible())  // an item shown only for some files is no part of the menu
                texts << (act->isSeparator() ? QStringLiteral("-") : act->text());
        return texts;
    }

private slots:
    void languageFollowsSystem()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        QCOMPARE(window.language(), m_expected);
        QCOMPARE(window.windowTitle(), QStringLiteral("VynMAP Editor  0.79 Beta"));
    }

    void fileMenuCaptionsAndBomOption()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        auto* file = window.findChild<QMenu*>(QStringLiteral("N1"));
        QVERIFY(file);
        const bool korean = m_expected == Language::Korean;
        const QStringList expected = korean
            ? QStringList{"불러오기(&O)", "맵이름으로 열기(&L)", "폴더 열기(&D)...", "저장(&S)", "다른 이름으로 저장(&A)", "-",
                          "맵 이미지 불러오기(&M)", "맵 그림 내보내기(&E)", "최근 파일(&R)", "-", "종료(&X)"}
            : QStringList{"&Open Icon Page", "Open Zone(&L)", "Open &Folder...", "&Save Icon Page", "Save &As Icon Page", "-",
                          "Open &Map File", "&Export Map Picture", "&Recent", "-", "E&xit"};
        QCOMPARE(menuTexts(file), expected);
        QCOMPARE(file->title(), korean ? QStringLiteral("파일(&F)") : QStringLiteral("&File"));

        QAction* bom = window.action(QStringLiteral("FileSaveBOM"));
        QCOMPARE(bom->text(), korean ? QStringLiteral("UTF8 헤더 사용(&U)") : QStringLiteral("Use UTF&8BOM Header"));
        QCOMPARE(bom->isChecked(), korean);
        QCOMPARE(window.state().WriteBom, korean);

        auto* poi = window.findChild<QMenu*>(QStringLiteral("N5"));
        QCOMPARE(menuTexts(poi).size(), 6);
        QCOMPARE(menuTexts(poi).at(3), QStringLiteral("-"));
        QCOMPARE(window.action(QStringLiteral("MAPPOI"))->text(),
                 korean ? QStringLiteral("POI 내용을 example.net 에 보내기(&O)")
                        : QStringLiteral("Post P&OI to mapboard.example.net"));
        const QString label1 = window.findChild<QLabel*>(QStringLiteral("Label1"))->text();
        QCOMPARE(label1, korean ? QStringLiteral("위치") : QStringLiteral("Loc "));
    }

    void editMenuBetweenFileAndPoi()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        const bool korean = m_expected == Language::Korean;
        QStringList bar;
        for (QAction* act : window.menuBar()->actions())
            bar << act->text();
        const QStringList expectedBar = korean
            ? QStringList{"파일(&F)", "편집(&E)", "맵(&P)", "옵션(&O)", "보기(&V)", "이 프로그램은(&A)"}
            : QStringList{"&File", "&Edit", "&POI", "&Option", "&View", "&About"};
        QCOMPARE(bar, expectedBar);
        auto* edit = window.findChild<QMenu*>(QStringLiteral("EditMenu"));
        QVERIFY(edit);
        const QStringList expectedItems =
            korean ? QStringList{"실행 취소(&U)", "다시 실행(&R)", "찾기(&F)...", "맵 팩에서 찾기(&K)...", "-", "복사(&C)", "잘라내기(&T)",
                                 "붙여넣기(&P)", "복제(&D)"}
                   : QStringList{"&Undo", "&Redo", "&Find...", "Find in Pac&k...", "-", "&Copy", "Cu&t", "&Paste", "&Duplicate"};
        QCOMPARE(menuTexts(edit), expectedItems);
        // Ctrl+X stays Exit and Ctrl+A Save As: cut is Shift+Del.
        QCOMPARE(window.action(QStringLiteral("EditCopy"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
        QCOMPARE(window.action(QStringLiteral("EditCut"))->shortcut(), QKeySequence(QStringLiteral("Shift+Del")));
        QCOMPARE(window.action(QStringLiteral("EditPaste"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
        QCOMPARE(window.action(QStringLiteral("EditDuplicate"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
        QCOMPARE(window.action(QStringLiteral("FileExit"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
        QCOMPARE(window.action(QStringLiteral("EditUndo"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(window.action(QStringLiteral("EditRedo"))->shortcuts(),
                 QList<QKeySequence>({QKeySequence(QStringLiteral("Ctrl+Y")),
                                      QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
        // Nothing to undo before a page is open.
        QVERIFY(!window.action(QStringLiteral("EditUndo"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("EditRedo"))->isEnabled());
    }

    void initialActionStates()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        window.show();
        runEventLoopFor(20);  // the Update handlers run when the loop goes idle
        QVERIFY(!window.action(QStringLiteral("MAPADD"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("MAPPOI"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("MAPDEL"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("MAPLOCAUTO"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("MAPLOCAUTO"))->isChecked());
        QVERIFY(window.action(QStringLiteral("FileOpen"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("FileSaveARR"))->isChecked());
        QCOMPARE(window.action(QStringLiteral("FileSaveAs"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
        QCOMPARE(window.action(QStringLiteral("FileExit"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    }

    void updateHandlersFollowTreeAndZone()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        window.show();
        const QString page = m_dir.filePath(QStringLiteral("icons_a.xml"));
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Page Name=\"a\" 1location=\"z\"><Icon Name=\"a\" Location=\"1,2\"/></Page>");
        file.close();
        QVERIFY(window.openPage(page));
        auto* tree = window.findChild<QTreeView*>(QStringLiteral("TreeView1"));
        const QModelIndex poi = tree->model()->index(0, 0);
        tree->setCurrentIndex(tree->model()->index(0, 0, poi));
        runEventLoopFor(20);
        QVERIFY(window.action(QStringLiteral("MAPDEL"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("MAPPOI"))->isEnabled());
        tree->setCurrentIndex(poi);
        runEventLoopFor(20);
        QVERIFY(window.action(QStringLiteral("MAPPOI"))->isEnabled());

        window.state().ZoneRect = {-585, -1135, 1635, 1445};
        window.state().AutoCalc = true;
        runEventLoopFor(20);
        QVERIFY(window.action(QStringLiteral("MAPLOCAUTO"))->isEnabled());
        QVERIFY(window.action(QStringLiteral("MAPLOCAUTO"))->isChecked());
        QCOMPARE(window.statusPanel(4)->text(), QStringLiteral("AutoCalc"));
        window.state().ZoneRect = {0, 0, 0, 0};
        runEventLoopFor(20);
        QVERIFY(!window.action(QStringLiteral("MAPLOCAUTO"))->isChecked());
        QVERIFY(!window.state().AutoCalc);
        QCOMPARE(window.statusPanel(4)->text(), QString());
    }

    void optionsToggleState()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        const bool before = window.state().WriteBom;
        window.action(QStringLiteral("FileSaveBOM"))->trigger();
        QCOMPARE(window.state().WriteBom, !before);
        window.action(QStringLiteral("FileSaveARR"))->trigger();
        QVERIFY(window.state().RearrangeOnSave);
    }

    void layoutAndStatusBar()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.centralWidget()->height() + window.statusBar()->height(), 537);
        QCOMPARE(window.centralWidget()->width(), 767);
        QCOMPARE(window.findChild<QWidget*>(QStringLiteral("Panel1"))->geometry(), QRect(0, 0, 519, 518));
        QCOMPARE(window.findChild<QWidget*>(QStringLiteral("TreeView1"))->geometry(), QRect(8, 50, 225, 208));
        QCOMPARE(window.findChild<QWidget*>(QStringLiteral("FlatMemo1"))->geometry(), QRect(6, 370, 236, 142));
        auto* type = window.findChild<QComboBox*>(QStringLiteral("cb_icontype"));
        QCOMPARE(type->count(), 7);
        QCOMPARE(type->currentIndex(), -1);
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("FlatEdit3"))->text(), QStringLiteral("Name"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label5"))->text(), QStringLiteral("0, 0, 0"));
        const int widths[] = {150, 80, 160, 50, 90, 50};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(window.statusPanel(i)->width(), widths[i]);
            QVERIFY(window.statusPanel(i)->text().isEmpty());
        }
        QCOMPARE(window.statusPanel(1)->alignment(), Qt::AlignCenter);
        QVERIFY(window.findChild<QLineEdit*>(QStringLiteral("FlatEdit2"))->isReadOnly());
        QCOMPARE(window.minimumSize(), window.size());  // the described size is the smallest
        if (qEnvironmentVariableIsSet("VYNMAP_SCREENSHOT"))
            window.grab().save(qEnvironmentVariable("VYNMAP_SCREENSHOT"));
    }

    void tabOrder()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        QWidget* w = window.findChild<QWidget*>(QStringLiteral("FlatEdit2"));
        QStringList order;
        for (int i = 0; i < 9; ++i) {
            order << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty()
                   || w->objectName().startsWith(QLatin1String("qt_")))
                w = w->nextInFocusChain();
        }
        QCOMPARE(order, (QStringList{"FlatEdit2", "FlatEdit4", "TreeView1", "ed_locX", "ed_locY",
                                     "cb_icontype", "FlatEdit3", "FlatMemo1", "FlatEdit1"}));
    }

    void cutKeyInFieldDoesNotExit()
    {
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* name = window.findChild<QLineEdit*>(QStringLiteral("FlatEdit3"));
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(window.isVisible());
        QCOMPARE(name->text(), QString());  // the text was cut, not the program closed

        auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("FlatMemo1"));
        memo->setFocus();
        QSignalSpy saves(window.action(QStringLiteral("FileSaveAs")), &QAction::triggered);
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(saves.count(), 0);
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("Tooltip"));

        // Outside a text field the shortcut is the window's.
        window.findChild<QWidget*>(QStringLiteral("TreeView1"))->setFocus();
        QTest::keyClick(&window, Qt::Key_X, Qt::ControlModifier);
        QTRY_VERIFY(!window.isVisible());
    }
};
