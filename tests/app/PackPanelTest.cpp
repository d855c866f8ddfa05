// The Pack panel in the window, on a copy of the sample folder with a POI folder: the window keeps
// its described layout until View > Pack; File > Open Folder lists the files and pages with their
// counts; a double click opens a page at once; find in pack updates as it is typed and a click on
// a result opens its page with the POI selected.
#include "app/MainWindow.h"
#include "app/PackPanel.h"
#include "app/PageTarget.h"
#include "document/IconPageFile.h"
#include "document/PackIndex.h"
#include "helpers/TestWindow.h"
#include "mapview/MapPanel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kSample = QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample");

QTreeWidgetItem* findItem(QTreeWidget* list, const QString& file, const QString& page = QString())
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (QDir::fromNativeSeparators(item->text(0)) != file)
            continue;
        if (page.isEmpty())
            return item;
        for (int j = 0; j < item->childCount(); ++j) {
            if (item->child(j)->text(0) == page)
                return item->child(j);
        }
    }
    return nullptr;
}

// A page target in one form, whichever separators the window keeps its file's path in.
QString samePath(const QString& target)
{
    return QDir::fromNativeSeparators(target);
}

void doubleClick(QTreeWidget* list, QTreeWidgetItem* item)
{
    list->scrollToItem(item);
    const QRect place = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
}

}  // namespace

class PackPanelTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TForm1> m_window;
    ScriptedPrompts m_prompts;

    void waitChecked()
    {
        PackIndex* index = m_window->packIndex();
        QVERIFY(index);
        QSignalSpy checked(index, &PackIndex::checked);
        QVERIFY(index->isChecked() || checked.wait(20000));
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("Sample"));
        QVERIFY(copyTestFolder(kSample, m_folder));
        writeTestFile(m_folder + "/Poi/region.xml", readTestFile(kSample + "/poi_sample.xml"));
    }

    void init() { startTestWindow(m_window, m_prompts, m_dir.filePath(QStringLiteral("editor.INI")), m_folder + "/"); }
    void cleanup() { m_window.reset(); }

    // Unused, the panel changes nothing; shown, it takes room the window grows by.
    void viewPackKeepsTheDescribedLayout()
    {
        QVERIFY(!m_window->packPanel());
        const QSize described = m_window->size();
        const QRect map = m_window->mapPanel()->geometry();
        QAction* pack = m_window->action(QStringLiteral("ViewPack"));
        QVERIFY(pack && pack->isCheckable() && !pack->isChecked());
        pack->trigger();
        QVERIFY(m_window->packPanel()->isVisible());
        QTRY_VERIFY(m_window->width() > described.width());
        QTRY_COMPARE(m_window->centralWidget()->width(), described.width());
        QCOMPARE(m_window->mapPanel()->geometry().size(), map.size());
        QCOMPARE(m_window->packPanel()->x() < m_window->centralWidget()->x(), true);
        pack->trigger();
        QVERIFY(!m_window->packPanel()->isVisible());
        QTRY_COMPARE(m_window->size(), described);
    }

    void openFolderListsPagesAndOpensThem()
    {
        m_prompts.fileAnswers.enqueue(m_folder);
        m_window->action(QStringLiteral("FileOpenFolder"))->trigger();
        QVERIFY(m_prompts.dialogs.last().folder);
        waitChecked();
        PackPanel* panel = m_window->packPanel();
        QVERIFY(panel->isVisible());
        QVERIFY(m_window->action(QStringLiteral("ViewPack"))->isChecked());
        QTreeWidget* pages = panel->pageList();
        QTreeWidgetItem* region = findItem(pages, QStringLiteral("Poi/region.xml"));
        QVERIFY(region);
        QCOMPARE(region->childCount(), 3);
        QCOMPARE(region->text(1), QStringLiteral("25"));
        QCOMPARE(region->text(2), QStringLiteral("0"));
        QTreeWidgetItem* greenwood = findItem(pages, QStringLiteral("Poi/region.xml"), QStringLiteral("greenwood"));
        QVERIFY(greenwood);
        QCOMPARE(greenwood->text(1), QStringLiteral("7"));
        QVERIFY(!findItem(pages, QStringLiteral("vynmap/core_mapstyles.xml")));

        region->setExpanded(true);
        doubleClick(pages, greenwood);
        QTRY_COMPARE(samePath(m_window->openPageName()),
                     JoinPageTarget({QFileInfo(m_folder + "/Poi/region.xml").absoluteFilePath(), "greenwood"}));
        // Another page of the same file: switched to without reading it again.
        QTreeWidgetItem* village = findItem(pages, QStringLiteral("Poi/region.xml"), QStringLiteral("hanok_village"));
        doubleClick(pages, village);
        QTRY_COMPARE(samePath(m_window->openPageName()),
                     JoinPageTarget({QFileInfo(m_folder + "/Poi/region.xml").absoluteFilePath(), "hanok_village"}));
        QCOMPARE(m_window->editor().treeModel().rowCount(), 8);
        QTreeWidgetItem* icons = findItem(pages, QStringLiteral("vynmap/icons_greenwood.xml"));
        QVERIFY(icons);
        QCOMPARE(icons->text(1), QStringLiteral("7"));
        doubleClick(pages, icons);
        QTRY_COMPARE(samePath(QFileInfo(m_window->openPageName()).absoluteFilePath()),
                     QFileInfo(m_folder + "/vynmap/icons_greenwood.xml").absoluteFilePath());
        QVERIFY(m_prompts.errors.isEmpty());
    }

    void findInPackSelectsThePoiClicked()
    {
        m_window->openConfiguredPack();
        waitChecked();
        QCOMPARE(QFileInfo(m_window->packIndex()->folder()).absoluteFilePath(), QFileInfo(m_folder).absoluteFilePath());
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        PackPanel* panel = m_window->packPanel();
        QTRY_COMPARE(QApplication::focusWidget(), panel->findField());
        QTreeWidget* results = panel->resultList();
        QTest::keyClicks(panel->findField(), QStringLiteral("dock"));
        // Dock Rats on each harbour page: the icon page, the map window file's, two POI files'.
        QCOMPARE(results->topLevelItemCount(), 4);
        QTest::keyClicks(panel->findField(), QStringLiteral(" ratz"));
        QCOMPARE(results->topLevelItemCount(), 0);
        QTest::keyClick(panel->findField(), Qt::Key_Backspace);
        QTest::keyClicks(panel->findField(), QStringLiteral("s"));
        QCOMPARE(results->topLevelItemCount(), 4);
        QTest::keyClicks(panel->typeField(), QStringLiteral("mobnamed"));
        QCOMPARE(results->topLevelItemCount(), 2);

        QTreeWidgetItem* hit = findItem(results, QStringLiteral("Poi/region.xml#harbor_town"));
        QVERIFY(hit);
        QCOMPARE(hit->text(1), QStringLiteral("ID50004"));
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualItemRect(hit).center());
        QTRY_COMPARE(samePath(m_window->openPageName()),
                     JoinPageTarget({QFileInfo(m_folder + "/Poi/region.xml").absoluteFilePath(), "harbor_town"}));
        const int selected = m_window->editor().currentPoi();
        QVERIFY(selected >= 0);
        const TSimpleXMLElem& poi = *m_window->editor().xmlscan().Root().Items().Item(selected);
        QCOMPARE(QString::fromStdString(std::string(ValueOrEmpty(poi, "Name"))), QStringLiteral("ID50004"));
    }
};

QTEST_MAIN(PackPanelTest)
#include "PackPanelTest.moc"
