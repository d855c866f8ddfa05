// Random sequences of a user's gestures on files of several zone pages (a map pack's POI file
// and the game's map window file), each seeded so a failure can be replayed: after every step
// the editor must still stand, a save must read back as the POIs shown, and undoing every step
// since the file was read must give back the bytes as read. Faults hid in sequences (leave a
// zone page, come back, nudge) that no test of one gesture ran.
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "document/PageSource.h"
#include "helpers/EventLoop.h"
#include "helpers/ModalDialog.h"
#include "helpers/ScriptedPrompts.h"
#include "helpers/SequenceFiles.h"
#include "helpers/TestFiles.h"
#include "helpers/TestWindow.h"
#include "mapview/MapPanel.h"
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"
#include "support/xml/SimpleXml.h"
#include "tools/AddpointF.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <memory>
#include <random>

using namespace SequenceFiles;

namespace {

enum class Step { Switch, Select, Type, Drag, Nudge, GroupMove, Add, Delete, Paste, Undo, Redo, Save, DiskChange, Count };

const char* stepName(Step step)
{
    static const char* const names[] = {"switch", "select", "type",  "drag", "nudge", "group move", "add",
                                        "delete", "paste",  "undo", "redo", "save",  "disk change"};
    return names[static_cast<int>(step)];
}

}  // namespace

class EditSequenceTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_window;
    std::mt19937 m_random;
    QString m_path;
    QString m_trail;  // the steps so far, printed with a failure
    // The bytes as read when the file was opened, while every change since is in the history.
    std::string m_asRead;
    bool m_historyWhole = true;

    int pick(int count) { return count <= 0 ? 0 : std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    IconPageEditor& editor() { return m_window->editor(); }
    TSimpleXMLElem& root() { return editor().xmlscan().Root(); }
    MapPanel* panel() { return m_window->mapPanel(); }
    int poiCount() { return root().ItemCount(); }
    std::string pageBytes() { return editor().source().bytes(editor().xmlscan(), m_window->state()); }

    void open(const char* bytes)
    {
        m_path = m_dir.filePath(QStringLiteral("UI/Test/POI/pack file.xml"));
        writeTestFile(m_path, QByteArray(bytes));
        QVERIFY(m_window->openPage(m_path + QStringLiteral("#forest")));
        m_asRead = bytes;
        m_historyWhole = true;
    }

    void settle()
    {
        // The apply timer fires as it would a second later; the tree's selection notice too.
        if (auto* timer = m_window->findChild<QTimer*>(QStringLiteral("Timer1")); timer && timer->isActive()) {
            timer->stop();
            editor().Timer1Timer();
        }
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 2);
    }

    // The marker's centre in the panel (halves down, as the drag rules take it).
    QPoint markerCentre(int poi)
    {
        const QRect rect = panel()->markerRect(poi);
        return rect.isEmpty() ? QPoint(-1, -1) : rect.topLeft() + QPoint(rect.width() / 2, rect.height() / 2);
    }

    bool clickMarker(int poi, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at = markerCentre(poi);
        if (!panel()->rect().contains(at) || panel()->markerAt(at) != poi)
            return false;
        QTest::mouseClick(panel(), Qt::LeftButton, modifiers, at);
        settle();
        return true;
    }

    void perform(Step step)
    {
        const int count = poiCount();
        const int poi = pick(count);
        switch (step) {
        case Step::Switch: {
            QVERIFY(editor().source().offers(PageFeature::PageList));
            const int page = pick(static_cast<int>(editor().source().pages().size()));
            if (page != editor().source().shownPage())
                m_historyWhole = false;  // the history of a page left means nothing on another
            QVERIFY(m_window->showZonePage(page));
            break;
        }
        case Step::Select:
            if (count > 0)
                editor().SelectPoi(poi);
            break;
        case Step::Type: {
            if (count == 0)
                break;
            editor().SelectPoi(poi);
            settle();
            auto* field = m_window->findChild<QLineEdit*>(QStringLiteral("FlatEdit3"));
            field->setFocus();
            field->end(false);
            QTest::keyClicks(field, QStringLiteral("x'&"));
            break;
        }
        case Step::Drag: {
            const QPoint from = markerCentre(poi);
            if (count == 0 || !panel()->rect().contains(from) || panel()->markerAt(from) != poi)
                break;
            const QPoint to = from + QPoint(pick(41) - 20, pick(41) - 20);
            QTest::mousePress(panel(), Qt::RightButton, {}, from);
            QTest::mouseMove(panel(), to);
            QTest::mouseRelease(panel(), Qt::RightButton, {}, to);
            break;
        }
        case Step::Nudge:
            if (count > 0 && clickMarker(poi)) {
                panel()->setFocus();
                QTest::keyClick(panel(), pick(2) ? Qt::Key_Right : Qt::Key_Up);
            }
            break;
        case Step::GroupMove:
            if (count > 1 && clickMarker(poi) && clickMarker(pick(count), Qt::ControlModifier))
                m_window->moveSelected(QPoint(pick(7) - 3, pick(7) - 3));
            break;
        case Step::Add:
            whenModal<TForm3>([](TForm3* dialog) {
                dialog->findChild<QLineEdit*>(QStringLiteral("ed_name"))->setText(QStringLiteral("Added 'one'"));
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
            });
            m_window->addPoi(QPoint(50 + pick(300), 50 + pick(300)));
            break;
        case Step::Delete:
            if (count > 0) {
                editor().SelectPoi(poi);
                settle();
                m_prompts.confirmAnswers.enqueue(true);
                m_window->MAPDELExecute();
            }
            break;
        case Step::Paste:
            if (count > 0) {
                editor().SelectPoi(poi);
                settle();
                m_window->EditCopyExecute();
                m_window->EditPasteExecute(QPoint(20 + pick(380), 20 + pick(460)));
            }
            break;
        case Step::Undo:
            m_window->EditUndoExecute();
            break;
        case Step::Redo:
            m_window->EditRedoExecute();
            break;
        case Step::Save:
            settle();
            m_window->FileSaveExecute(QStringLiteral("FileSave"));
            verifySaveReadsBack();
            break;
        case Step::DiskChange:
            changeOnDiskAndReopen();
            break;
        case Step::Count:
            break;
        }
        settle();
    }

    // The file on disk, read again, holds on the page shown exactly the POIs the window shows.
    void verifySaveReadsBack()
    {
        if (editor().IsModified())
            return;  // a save the file's state refused is said, not checked here
        const QByteArray bytes = readTestFile(m_path);
        ZonePageFile file(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        TSimpleXML read;
        ConfigureIconPageXml(read);
        file.show(editor().source().shownPage(), read);
        QCOMPARE(poisOf(read.Root()), poisOf(root()));
    }

    // Another program rewrites an unshown value while the file holds no edit; the user opens it again.
    void changeOnDiskAndReopen()
    {
        settle();
        if (editor().IsModified())
            return;
        QByteArray bytes = readTestFile(m_path);
        const int at = bytes.indexOf("Tooltip=\"");
        if (at < 0)
            return;
        bytes.insert(at + 9, "Re ");
        writeTestFile(m_path, bytes);
        const QString page = QString::fromStdString(editor().source().shownPageName().value_or(std::string()));
        QVERIFY(m_window->openPage(m_path + QLatin1Char('#') + page));
        m_asRead = bytes.toStdString();
        m_historyWhole = true;
    }

    // Every step since the file was read, undone, gives its bytes again; redone, the POIs again.
    void verifyUndoAllGivesTheBytesAsRead()
    {
        settle();
        QUndoStack& stack = editor().undoStack();
        const QList<QStringList> shown = poisOf(root());
        const int steps = stack.index();
        for (int i = 0; i < steps; ++i)
            m_window->EditUndoExecute();
        settle();
        if (m_historyWhole)
            QCOMPARE(aroundFirstDifference(pageBytes(), m_asRead), aroundFirstDifference(m_asRead, pageBytes()));
        for (int i = 0; i < steps; ++i)
            m_window->EditRedoExecute();
        settle();
        QCOMPARE(poisOf(root()), shown);
    }

    void runSequences(const char* fileBytes, int sequences, int length)
    {
        for (int sequence = 0; sequence < sequences; ++sequence) {
            const unsigned seed = 1000u + static_cast<unsigned>(sequence);
            m_random.seed(seed);
            m_prompts = ScriptedPrompts();
            open(fileBytes);
            m_trail = QStringLiteral("seed %1:").arg(seed);
            for (int i = 0; i < length; ++i) {
                const auto step = static_cast<Step>(pick(static_cast<int>(Step::Count)));
                m_trail += QLatin1Char(' ') + QLatin1String(stepName(step));
                perform(step);
                if (QTest::currentTestFailed()) {
                    qWarning("%s", qPrintable(m_trail));
                    return;
                }
            }
            verifyUndoAllGivesTheBytesAsRead();
            if (QTest::currentTestFailed()) {
                qWarning("%s", qPrintable(m_trail));
                return;
            }
            // The next sequence opens the file anew: the scripted prompts drop the edits.
        }
    }

private slots:
    void init()
    {
        writeTestFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")), kStyles);
        startTestWindow(m_window, m_prompts, m_dir.filePath(QStringLiteral("editor.INI")),
                        m_dir.filePath(QStringLiteral("UI/Test/")));
    }

    void cleanup() { m_window.reset(); }

    // The sequence that crashed: leave a zone page, come back, nudge a marker.
    void leavingAPageAndComingBackThenNudging()
    {
        open(kPoiFile);
        for (int round = 0; round < 3; ++round) {
            QVERIFY(m_window->showZonePage(1));
            QVERIFY(m_window->showZonePage(0));
            QVERIFY(clickMarker(0));
            panel()->setFocus();
            QTest::keyClick(panel(), Qt::Key_Right);
            settle();
        }
        QVERIFY(editor().IsModified());
    }

    // A POI whose height is no number is drawn by its x and z; selected, the status bar says
    // that its location looks mistyped, and another POI clears the word.
    void aMistypedLocationIsSaidWhenSelected()
    {
        open(kPoiFile);
        editor().SelectPoi(2);
        settle();
        QVERIFY(m_window->statusPanel(5)->text().contains(QLatin1String("looks mistyped")));
        QVERIFY(m_window->statusPanel(5)->text().contains(QLatin1String("\"038.16-322.84\"")));
        editor().SelectPoi(1);
        settle();
        QCOMPARE(m_window->statusPanel(5)->text(), QString());
    }

    // A world location typed on a POI file page moves the line of the description that repeats
    // it, and the field shows the new description; a blank-separated location of the game's map
    // window file keeps its height in the coordinate label.
    void typedWorldLocationsReachTheOtherFields()
    {
        open(kPoiFile);
        editor().SelectPoi(0);
        settle();
        auto* path = m_window->findChild<QLineEdit*>(QStringLiteral("FlatEdit1"));
        auto* description = m_window->findChild<QLineEdit*>(QStringLiteral("FlatEdit5"));
        path->setFocus();
        path->selectAll();
        QTest::keyClicks(path, QStringLiteral("10.00,4.00,20.00"));
        settle();
        QCOMPARE(QString::fromStdString(std::string(root().Items().Item(0)->Properties().Find("PoiDescription")->Value())),
                 QStringLiteral("ID:31047&#xA;10.00,4.00,20.00&#xA;Hunter's Lodge"));
        QVERIFY2(description->text().contains(QLatin1String("10.00,4.00,20.00")), qPrintable(description->text()));

        QByteArray window(kMapWindowFile);
        window.replace("pathfindlocation=\"1,2,3\"", "pathfindlocation=\"0.00 20000.00 0.00\"");
        m_prompts.saveAnswers.clear();
        open(window.constData());
        QVERIFY(m_window->showZonePage(1));
        editor().SelectPoi(1);
        settle();
        const QString label = m_window->findChild<QLabel*>(QStringLiteral("Label5"))->text();
        QVERIFY2(label.contains(QLatin1String("20000.00")), qPrintable(label));
    }

    void randomSequences_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("map pack POI file") << QByteArray(kPoiFile);
        QTest::newRow("game's map window file") << QByteArray(kMapWindowFile);
    }

    void randomSequences()
    {
        QFETCH(QByteArray, file);
        // Sequences and their length: enough to pass each pair of steps many times over.
        const int sequences = qEnvironmentVariableIntValue("VYNMAP_SEQUENCES") > 0
                                  ? qEnvironmentVariableIntValue("VYNMAP_SEQUENCES")
                                  : 12;
        runSequences(file.constData(), sequences, 40);
    }
};

QTEST_MAIN(EditSequenceTest)
#include "EditSequenceTest.moc"
