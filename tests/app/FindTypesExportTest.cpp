// Additions to the window: finding a POI, hiding style groups, nudging with the arrow keys and
// exporting the map as a picture (from the window and from the command line).
#include "../support/ZonePageFixture.h"
#include "app/Captions.h"
#include "app/CommandLine.h"
#include "app/FindBar.h"
#include "app/PoiFind.h"
#include "document/IconPageFixture.h"
#include "helpers/DdsTestFile.h"
#include "mapview/MapImage.h"
#include "mapview/MarkerGeometry.h"

#include <QDir>
#include <QImage>
#include <QMenu>
#include <QTextStream>

#include <memory>

namespace {

// The test map is all of its bottom-left pixel's colour: the picture is transparent there.
constexpr QRgb kNoMap = 0;
const QString kMapFile = QStringLiteral("images/maps/map_test_map.dds");

// A black 512 x 512 map (128 x 128 DXT1 blocks of 8 zero bytes) where the page's map style says.
void writeBlackMap(const UiFolder& folder)
{
    ddstest::Header header;
    header.width = header.height = 512;
    QDir().mkpath(folder.root() + QStringLiteral("images/maps"));
    QVERIFY(ddstest::writeFile(QFile::encodeName(folder.root() + kMapFile).toStdString(),
                               ddstest::ddsFile(header, std::vector<uint8_t>(128 * 128 * 8, 0))));
}

// Tree order (by name): Alpha, Beta, Delta, gamma. gamma lies just above Alpha on the map.
QList<PageText::Poi> fixturePois()
{
    PageText::Poi alpha{"Alpha"};
    alpha.tooltip = "first";
    PageText::Poi beta{"Beta", "300,120", "LOC"};
    beta.tooltip = "second gate";
    PageText::Poi gamma{"gamma", "104,204", "QST"};
    gamma.tooltip = "ALPHA hint";
    PageText::Poi delta{"Delta", "400,400", "Weird"};
    delta.tooltip = "";
    return {alpha, beta, gamma, delta};
}

QStringList texts(const QList<QAction*>& actions)
{
    QStringList result;
    for (QAction* act : actions)
        result << act->text();
    return result;
}

}  // namespace

class FindTypesExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    QString m_page;

    QPoint centre(int poi) { return m_editor->panel()->markerRect(poi).center(); }
    QLineEdit* findField() { return m_editor->window.findBar()->field(); }
    QList<QAction*> typeActions()
    {
        QList<QAction*> found;
        for (QAction* act : m_editor->window.findChild<QMenu*>(QStringLiteral("ViewMenu"))->actions())
            if (act->objectName().startsWith(QLatin1String("ViewType_")))
                found << act;
        return found;
    }
    QString currentName()
    {
        return m_editor->text(m_editor->current());
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_folder->writeMapStyles(mapStylesFor("test_map", kTestZoneText));
        writeBlackMap(*m_folder);
        m_page = m_folder->writePage(QStringLiteral("icons_test.xml"),
                                     PageText::page(PageText::iconLines(fixturePois())));
        m_editor = std::make_unique<EditorWindow>(*m_folder);
        QVERIFY(m_editor->openShown(m_page));
    }

    void cleanup()
    {
        m_editor.reset();
        m_folder.reset();
    }

    void findNextMatch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expected");
        // Candidates: 0 Alpha/first, 1 Beta/second gate, 2 Delta/"", 3 gamma/ALPHA hint.
        QTest::newRow("first by name, case ignored") << "alp" << -1 << 1 << 0;
        QTest::newRow("next by tooltip") << "alp" << 0 << 1 << 3;
        QTest::newRow("wraps forwards") << "alp" << 3 << 1 << 0;
        QTest::newRow("previous wraps backwards") << "alp" << 0 << -1 << 3;
        QTest::newRow("previous from nowhere takes the last") << "a" << -1 << -1 << 3;
        QTest::newRow("only match finds itself again") << "GATE" << 1 << 1 << 1;
        QTest::newRow("no match") << "zzz" << -1 << 1 << -1;
        QTest::newRow("empty text matches nothing") << "" << -1 << 1 << -1;
    }

    void findNextMatch()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, step);
        QFETCH(int, expected);
        const QList<FindCandidate> candidates = {{"Alpha", "first"}, {"Beta", "second gate"},
                                                 {"Delta", ""}, {"gamma", "ALPHA hint"}};
        QCOMPARE(FindNextMatch(candidates, text, from, step), expected);
    }

    void findBarWalksTheTreeOrderAndAppliesPendingEdits()
    {
        m_editor->clickPoi(QStringLiteral("Beta"));
        m_editor->name()->selectAll();
        QTest::keyClicks(m_editor->name(), QStringLiteral("Beta2"));
        QVERIFY(m_editor->state().EditsPending);

        m_editor->trigger("EditFind");
        QVERIFY(m_editor->window.findBar()->isVisible());
        QVERIFY(!m_editor->window.findBar()->isModal());
        QTest::keyClicks(findField(), QStringLiteral("aLp"));
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        QCOMPARE(currentName(), QStringLiteral("Alpha"));
        QCOMPARE(m_editor->value(1, "Name"), std::string("Beta2"));  // applied on leaving
        QCOMPARE(m_editor->name()->text(), QStringLiteral("Alpha"));

        const struct {
            Qt::KeyboardModifiers modifiers;
            const char* expected;
        } steps[] = {{Qt::NoModifier, "gamma"}, {Qt::NoModifier, "Alpha"}, {Qt::ShiftModifier, "gamma"},
                     {Qt::ShiftModifier, "Alpha"}};
        for (const auto& step : steps) {
            QTest::keyClick(findField(), Qt::Key_Return, step.modifiers);
            runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
            QCOMPARE(currentName(), QLatin1String(step.expected));
        }
        QCOMPARE(m_editor->name()->text(), QStringLiteral("Alpha"));
    }

    // On a POI file the tree shows each number with its tooltip's first line: find takes
    // either, or the text as the tree shows it.
    void findOnAPoiFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("the name an author knows") << "old tom" << "ID31047  Old Tom";
        QTest::newRow("as the tree shows it") << "ID31047  Old" << "ID31047  Old Tom";
    }

    void findOnAPoiFile()
    {
        QFETCH(QString, text);
        const QString file = m_folder->root() + QStringLiteral("poi.xml");
        writeFile(file, QByteArray::fromStdString(zonefixture::kPoiFile));
        QVERIFY(m_editor->window.openPage(file + QStringLiteral("#forest")));
        QCOMPARE(m_editor->topLevelTexts(), (QStringList{"ID31047  Old Tom", "ID31048  Well"}));
        m_editor->trigger("EditFind");
        QTest::keyClicks(findField(), text);
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        QTEST(currentName(), "found");
    }

    void viewMenuListsTheStylesOfThePage()
    {
        QCOMPARE(texts(typeActions()), (QStringList{"LOC", "NPC", "QST", "other"}));
        for (QAction* act : typeActions())
            QVERIFY(act->isChecked());
    }

    void hiddenMarkersAreNeverHitAndTheChoiceIsKept()
    {
        const QByteArray before = readFile(m_page);
        QAction* qst = typeActions().at(2);
        QCOMPARE(qst->text(), QStringLiteral("QST"));
        qst->trigger();  // hides gamma, which covers Alpha's centre
        MapPanel* panel = m_editor->panel();
        QCOMPARE(panel->markerAt(QPoint(102, 202)), 0);
        QCOMPARE(panel->markerAt(centre(2) + QPoint(4, 4)), -1);
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(106, 206));  // gamma only
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        QCOMPARE(m_editor->current(), QModelIndex());
        QCOMPARE(m_editor->topLevelCount(), 4);
        QCOMPARE(panel->picture(false).pixel(106, 206), kNoMap);

        QVERIFY(readFile(m_folder->configPath()).contains("[VIEW]\r\nHiddenTypes=QST"));
        m_editor->trigger("FileSave");
        QCOMPARE(readFile(m_page), before);

        EditorWindow again(*m_folder);
        QVERIFY(again.window.openPage(m_page));
        QCOMPARE(again.panel()->markerAt(QPoint(106, 206)), -1);
        qst->trigger();  // shown again in the first window
        QCOMPARE(panel->markerAt(QPoint(106, 206)), 2);
    }

    void arrowKeysNudgeTheSelectedMarkerThroughTheDragPath()
    {
        MapPanel* panel = m_editor->panel();
        QTest::mouseClick(panel, Qt::LeftButton, {}, centre(1));
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
        QCOMPARE(currentName(), QStringLiteral("Beta"));
        QVERIFY(panel->hasFocus());
        m_editor->trigger("MAPLOCAUTO");
        QTest::keyClick(panel, Qt::Key_Right);
        QTest::keyClick(panel, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(m_editor->locX()->value(), 301);
        QCOMPARE(m_editor->locY()->value(), 130);
        QCOMPARE(panel->markerRect(1), QRect(296, 125, 10, 10));
        // Each press is applied at once: the fields show where the last one put the POI.
        QCOMPARE(m_editor->value(1, "Location"), std::string("301,130"));
        QCOMPARE(m_editor->path()->text(), QStringLiteral("-947.61, 5, -472.15"));
        QCOMPARE(m_editor->label5()->text(), m_editor->path()->text());
        // One undo step per key press.
        m_editor->trigger("EditUndo");
        QCOMPARE(m_editor->value(1, "Location"), std::string("301,120"));
        m_editor->trigger("EditUndo");
        QCOMPARE(m_editor->value(1, "Location"), std::string("300,120"));
        QCOMPARE(panel->markerRect(1), QRect(295, 115, 10, 10));
    }

    void exportedPictureShowsEachVisibleMarkerInItsColour_data()
    {
        QTest::addColumn<bool>("fromCommandLine");
        QTest::addColumn<bool>("labels");
        QTest::newRow("window") << false << false;
        QTest::newRow("window, labels") << false << true;
        QTest::newRow("command line") << true << false;
        QTest::newRow("command line, labels") << true << true;
    }

    void exportedPictureShowsEachVisibleMarkerInItsColour()
    {
        QFETCH(bool, fromCommandLine);
        QFETCH(bool, labels);
        typeActions().at(0)->trigger();  // LOC hidden: Beta missing from the picture
        const QString out = m_folder->root() + QStringLiteral("picture.png");
        if (fromCommandLine) {
            QString errors;
            QTextStream err(&errors);
            QCOMPARE(exportPagePicture(m_folder->configPath(), m_page, out, labels, err), 0);
            QCOMPARE(errors, QString());
        } else {
            m_editor->prompts.fileAnswers << out;
            m_editor->prompts.confirmAnswers << labels;
            m_editor->trigger("FileExportPicture");
            QCOMPARE(m_editor->prompts.errors, QStringList());
        }
        const QImage picture(out);
        QCOMPARE(picture.size(), QSize(512, 512));
        QCOMPARE(picture.pixel(98, 198), MarkerFillColour("NPC").rgb());
        QCOMPARE(picture.pixel(106, 206), MarkerFillColour("QST").rgb());
        QCOMPARE(picture.pixel(400, 400), MarkerFillColour("Weird").rgb());
        QCOMPARE(picture.pixel(300, 120), kNoMap);
        // A label starts just right of its marker.
        bool written = false;
        for (int x = 406; x < 430; ++x)
            for (int y = 394; y < 406; ++y)
                written = written || picture.pixel(x, y) != kNoMap;
        QCOMPARE(written, labels);
    }

    void exportWithoutReadablePageOrMapFails()
    {
        QString errors;
        QTextStream err(&errors);
        const QString out = m_folder->root() + QStringLiteral("none.png");
        QCOMPARE(exportPagePicture(m_folder->configPath(), m_folder->pagePath("missing.xml"), out, false, err), 1);
        QVERIFY(errors.contains(QLatin1String("no picture written")));
        QVERIFY(!QFile::exists(out));
        // A map cut short (200 bytes) is no map: nothing written, and the reason. The window opens
        // the page on the blank map and says why in its status bar, with no box.
        QVERIFY(QFile::resize(m_folder->root() + kMapFile, 200));
        errors.clear();
        QCOMPARE(exportPagePicture(m_folder->configPath(), m_page, out, false, err), 1);
        QVERIFY2(errors.contains(QLatin1String("The file is cut short: it holds 72 of the 131072 bytes")),
                 qPrintable(errors));
        QVERIFY(!QFile::exists(out));
        QVERIFY(m_editor->window.openPage(m_page));
        QCOMPARE(m_editor->prompts.errors, QStringList());
        QCOMPARE(m_editor->panel()->mapImage(), mapDisplayImage(blankMap()));
        const QString notice = m_editor->window.statusPanel(0)->toolTip();
        QVERIFY2(notice.startsWith(caption(m_editor->window.language(), "MapNotDecoded").arg(QString())),
                 qPrintable(notice));
        QVERIFY2(notice.endsWith(QLatin1String("cut short: it holds 72 of the 131072 bytes of its picture.")),
                 qPrintable(notice));
        // A readable page without its map image: the message names where the image was looked for.
        QVERIFY(QFile::remove(m_folder->root() + kMapFile));
        QCOMPARE(exportPagePicture(m_folder->configPath(), m_page, out, false, err), 1);
        QVERIFY2(errors.contains(QDir::toNativeSeparators(kMapFile) + QLatin1Char('"')), qPrintable(errors));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(FindTypesExportTest)
#include "FindTypesExportTest.moc"
