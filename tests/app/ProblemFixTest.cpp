// View > Problems on a page of a map pack's POI file: Fix applies the proposed repair as one undo
// step (a mistyped location set, a repeated POI deleted), Ignore writes the pack's ignore file and
// the line goes, and a save bringing a new mistyped location asks first.
#include "document/IconPageCommands.h"
#include "document/IconPageFixture.h"
#include "document/PackCheck.h"
#include "helpers/DdsTestFile.h"
#include "tools/PageProblems.h"

#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>

namespace {

const QByteArray kRegion =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Page Name=\"POI\">\r\n<Page Name=\"test_map\">\r\n"
    "<Icon Name=\"ID1\" PathFindLocation=\"-100.00,5.00,200.00\" PoiType=\"NPC\" Tooltip=\"Smith\"/>\r\n"
    "<Icon Name=\"ID2\" PathFindLocation=\"-300.00,5.00,300.00\" PoiType=\"NPC\" Tooltip=\"Inn\"/>\r\n"
    "<Icon Name=\"ID3\" PathFindLocation=\"-400.00,5.00,494,73\" PoiType=\"NPC\" Tooltip=\"Gate\"/>\r\n"
    "<Icon Name=\"ID4\" PathFindLocation=\"-300.40,5.00,300.00\" PoiType=\"NPC\" Tooltip=\"Inn\"/>\r\n"
    "</Page>\r\n</Page>\r\n";

}  // namespace

class ProblemFixTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    QString m_file;
    EditorWindow& w() { return *m_editor; }

    PageProblemsWindow* problems() { return w().window.problemsWindow(); }
    QListWidget* list() { return problems()->findChild<QListWidget*>(QStringLiteral("ProblemList")); }

    QStringList lines()
    {
        runEventLoopFor(20);
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }

    // Chooses the line holding `text` and clicks the button `button`.
    void press(const QString& text, const char* button)
    {
        const QStringList shown = lines();
        int row = -1;
        for (int i = 0; i < shown.size() && row < 0; ++i)
            row = shown[i].contains(text) ? i : -1;
        QVERIFY2(row >= 0, qPrintable(text));
        list()->setCurrentRow(row);
        auto* pushed = problems()->findChild<QPushButton*>(QLatin1String(button));
        QVERIFY(pushed && pushed->isEnabled());
        pushed->click();
        runEventLoopFor(20);
    }

    std::string world(int poiIndex)
    {
        return w().editor().xmlscan().Root().ItemsIfAny()->Item(poiIndex)->PropertiesIfAny()->Find("pathfindlocation")->Value();
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_folder->writeMapStyles(mapStylesFor("test_map", "0,0,872,1012"));
        QDir().mkpath(m_folder->root() + QStringLiteral("images/maps"));
        const QString map = m_folder->root() + QStringLiteral("images/maps/map_test_map.dds");
        QVERIFY(ddstest::writeFile(map.toStdString(), ddstest::argbFile(1, 1, {0, 0, 0, 255})));
        m_file = m_folder->root() + QStringLiteral("POI/region.xml");
        QDir().mkpath(m_folder->root() + QStringLiteral("POI"));
        writeFile(m_file, kRegion);
        m_editor = std::make_unique<EditorWindow>(*m_folder);
        QVERIFY(w().openShown(m_file + QStringLiteral("#test_map")));
        w().trigger("ViewProblems");
    }

    void cleanup() { m_editor.reset(); }

    void fixesAreOneUndoStepEach()
    {
        QCOMPARE(lines().size(), 2);
        QCOMPARE(list()->item(0)->toolTip(), QStringLiteral("fix: set pathfindlocation to \"-400.00,5.00,494.73\""));
        const int steps = w().editor().undoStack().count();
        press(QStringLiteral("\"ID3\""), "ProposedFix");
        QCOMPARE(world(2), std::string("-400.00,5.00,494.73"));
        QCOMPARE(w().editor().undoStack().count(), steps + 1);
        press(QStringLiteral("repeats ID2"), "ProposedFix");
        QCOMPARE(w().editor().xmlscan().Root().ItemsIfAny()->Count(), 3);
        QCOMPARE(lines(), QStringList{});
        QCOMPARE(w().editor().undoStack().count(), steps + 2);
        w().editor().Undo();
        w().editor().Undo();
        QCOMPARE(world(2), std::string("-400.00,5.00,494,73"));
        QCOMPARE(lines().size(), 2);
    }

    void ignoreWritesThePackFile()
    {
        press(QStringLiteral("repeats ID2"), "IgnoreProblem");
        QCOMPARE(lines().size(), 1);
        QFile ignore(m_folder->root() + QLatin1String(kIgnoreFileName));
        QVERIFY(ignore.open(QIODevice::ReadOnly));
        QCOMPARE(ignore.readAll(), QByteArray("repeated\tPOI/region.xml#test_map\tID4\n"));
    }

    void saveWithANewMistypedLocationAsks()
    {
        TSimpleXMLElem& poi = *w().editor().xmlscan().Root().ItemsIfAny()->Item(0);
        std::unique_ptr<TSimpleXMLElem> after = CopyElement(poi);
        after->Properties().Find("pathfindlocation")->SetValue("-100.00,.5.00,200.00");
        w().editor().document().editPoi(0, std::move(after));
        w().trigger("FileSave");  // answered Cancel
        QCOMPARE(w().prompts.questions.size(), 1);
        QVERIFY(w().prompts.questions.last().contains(QLatin1String("ID1 \"-100.00,.5.00,200.00\"")));
        QCOMPARE(readFile(m_file), kRegion);
        w().prompts.confirmAnswers.enqueue(true);
        w().trigger("FileSave");
        QVERIFY(readFile(m_file).contains("PathFindLocation=\"-100.00,.5.00,200.00\""));
        // What the file holds already is no new problem.
        w().trigger("FileSave");
        QCOMPARE(w().prompts.questions.size(), 2);
    }
};

QTEST_MAIN(ProblemFixTest)
#include "ProblemFixTest.moc"
