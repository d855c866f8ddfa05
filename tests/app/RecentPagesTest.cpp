// File > Recent: the list's rules, its place in the configuration file, the window's use of it,
// and files dropped on the window.
#include "../support/ZonePageFixture.h"
#include "app/Captions.h"
#include "app/CommandLine.h"
#include "app/RecentPages.h"
#include "document/IconPageFixture.h"
#include "helpers/DdsTestFile.h"

#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace {

using Pages = std::vector<std::string>;

Pages numbered(int count)
{
    Pages pages;
    for (int i = 1; i <= count; ++i)
        pages.push_back("/p/" + std::to_string(i) + ".xml");
    return pages;
}

QByteArray onePoiPage(const QByteArray& name)
{
    return PageText::page(PageText::iconLines({PageText::Poi{name, "10,20"}}));
}

}  // namespace

Q_DECLARE_METATYPE(Pages)

class RecentPagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;

    EditorWindow& w() { return *m_editor; }

    void drop(const QString& path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        const QPoint centre = w().window.rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w().window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w().window, &dropped);
    }

private slots:
    void init()
    {
        qRegisterMetaType<Pages>();
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup()
    {
        m_editor.reset();
        m_folder.reset();
    }

    void withPage_data()
    {
        QTest::addColumn<Pages>("pages");
        QTest::addColumn<std::string>("opened");
        QTest::addColumn<Pages>("expected");
        QTest::newRow("first page") << Pages{} << std::string("/a.xml") << Pages{"/a.xml"};
        QTest::newRow("newest first") << Pages{"/a.xml"} << std::string("/b.xml") << Pages{"/b.xml", "/a.xml"};
        QTest::newRow("again moves to the front")
            << Pages{"/a.xml", "/b.xml", "/c.xml"} << std::string("/c.xml") << Pages{"/c.xml", "/a.xml", "/b.xml"};
        Pages full = numbered(8);
        Pages shifted = {"/new.xml"};
        shifted.insert(shifted.end(), full.begin(), full.end() - 1);
        QTest::newRow("the ninth drops the oldest") << full << std::string("/new.xml") << shifted;
    }

    void withPage()
    {
        QFETCH(Pages, pages);
        QFETCH(std::string, opened);
        QFETCH(Pages, expected);
        QCOMPARE(RecentPages::withPage(pages, opened), expected);
    }

    void storedInTheConfiguration_data()
    {
        QTest::addColumn<Pages>("pages");
        QTest::addColumn<Pages>("after");  // a shorter list written over it
        QTest::newRow("full then shorter") << numbered(8) << Pages{"/x.xml"};
        QTest::newRow("shorter then full") << Pages{"/x.xml"} << numbered(8);
        QTest::newRow("emptied") << numbered(3) << Pages{};
    }

    void storedInTheConfiguration()
    {
        QFETCH(Pages, pages);
        QFETCH(Pages, after);
        const std::string ini = m_folder->configPath().toStdString();
        RecentPages::write(ini, pages);
        QCOMPARE(RecentPages::read(ProfileFile(ini)), pages);
        RecentPages::write(ini, after);
        const ProfileFile profile(ini);
        QCOMPARE(RecentPages::read(profile), after);
        // The other settings stay.
        QCOMPARE(QString::fromStdString(profile.readString("CONFIG", "PATH")), m_folder->root());
    }

    void windowListsOpenedPagesNewestFirst()
    {
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        const QString two = m_folder->writePage(QStringLiteral("icons_two.xml"), onePoiPage("B"));
        w().window.show();
        for (const QString& page : {one, two, one}) {
            w().prompts.fileAnswers.enqueue(page);
            w().trigger("FileOpen");
        }
        QCOMPARE(w().window.recentPages(), QStringList({one, two}));
        auto* menu = w().window.findChild<QMenu*>(QStringLiteral("FileRecent"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), caption(w().window.language(), "FileRecent"));
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("icons_one.xml"));

        // Chosen from the menu: opened as the open command would.
        menu->actions().last()->trigger();
        QCOMPARE(w().state().CurrentFile, two.toStdString());
        QCOMPARE(w().window.recentPages(), QStringList({two, one}));
    }

    void missingPageLeavesTheList()
    {
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        const QString gone = m_folder->writePage(QStringLiteral("icons_gone.xml"), onePoiPage("B"));
        QVERIFY(w().window.openPageAsked(gone));
        QVERIFY(w().window.openPageAsked(one));
        QVERIFY(QFile::remove(gone));

        w().window.openRecentPage(gone);
        QCOMPARE(w().prompts.messages,
                 QStringList(caption(w().window.language(), "RecentMissing").arg(QDir::toNativeSeparators(gone))));
        QCOMPARE(w().window.recentPages(), QStringList(one));
        QCOMPARE(w().state().CurrentFile, one.toStdString());
    }

    // Users read and write paths with their system's separators (backslashes on Windows): the
    // configuration and the menu's tooltips show them so; the zone page's name stays as it is.
    void recentPathsUseTheSystemsSeparators()
    {
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        const QString zones = m_folder->writePage(QStringLiteral("map_window.xml"),
                                                  QByteArray::fromStdString(zonefixture::kMapWindow));
        QVERIFY(w().window.openPageAsked(one));
        QVERIFY(w().window.openPageAsked(zones + QStringLiteral("#zone_harbor")));
        const QStringList shown{QDir::toNativeSeparators(zones) + QStringLiteral("#zone_harbor"),
                                QDir::toNativeSeparators(one)};
        const ProfileFile profile(m_folder->configPath().toStdString());
        QCOMPARE(QString::fromStdString(profile.readString(RecentPages::kSection, "1")), shown[0]);
        QCOMPARE(QString::fromStdString(profile.readString(RecentPages::kSection, "2")), shown[1]);
        auto* menu = w().window.findChild<QMenu*>(QStringLiteral("FileRecent"));
        QVERIFY(menu);
        QStringList tips;
        for (const QAction* item : menu->actions())
            tips << item->toolTip();
        QCOMPARE(tips, shown);
        QCOMPARE(w().window.recentPages(), QStringList({zones + QStringLiteral("#zone_harbor"), one}));
    }

    // A list written by hand, or by an older editor, may use either separator.
    void recentReadsEitherSeparator_data()
    {
        QTest::addColumn<bool>("native");
        QTest::newRow("the system's separators") << true;
        QTest::newRow("slashes") << false;
    }

    void recentReadsEitherSeparator()
    {
        QFETCH(bool, native);
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        RecentPages::write(m_folder->configPath().toStdString(),
                           {(native ? QDir::toNativeSeparators(one) : one).toStdString()});
        QCOMPARE(w().window.recentPages(), QStringList(one));
        auto* menu = w().window.findChild<QMenu*>(QStringLiteral("FileRecent"));
        QVERIFY(menu);
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 1);
        menu->actions().first()->trigger();
        QCOMPARE(w().state().CurrentFile, one.toStdString());
        QCOMPARE(w().window.recentPages(), QStringList(one));
    }

    void commandLineOpenIsNotListed()
    {
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        QVERIFY(w().window.openPage(one));
        QVERIFY(w().window.recentPages().isEmpty());
    }

    void commandLinePageIsListed()
    {
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        QVERIFY(openStartPage(w().window, one));
        QCOMPARE(w().window.recentPages(), QStringList(one));
    }

    // Save As makes the new file the open one: its title, the file Ctrl+S writes, File > Recent.
    void saveAsMakesTheNewFileTheOpenOne_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("page");  // the zone page shown, or empty for an icon page
        QTest::newRow("icon page") << onePoiPage("A") << QString();
        QTest::newRow("map window file") << QByteArray::fromStdString(zonefixture::kMapWindow)
                                         << QStringLiteral("zone_harbor");
    }

    void saveAsMakesTheNewFileTheOpenOne()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, page);
        const QString old = m_folder->writePage(QStringLiteral("icons_old.xml"), bytes);
        const QString target = page.isEmpty() ? old : old + QLatin1Char('#') + page;
        w().window.show();
        QVERIFY(w().window.openPageAsked(target));
        const QString suffix = page.isEmpty() ? QString() : QLatin1Char('#') + page;

        // A Save As that cannot write leaves the page with its own file.
        w().prompts.fileAnswers.enqueue(m_folder->root() + QStringLiteral("gone/icons_new.xml"));
        w().trigger("FileSaveAs");
        QCOMPARE(w().state().CurrentFile, old.toStdString());
        QCOMPARE(w().window.windowTitle(), QStringLiteral("VynMAP Editor [icons_old.xml%1]").arg(suffix));

        const QString saved = m_folder->pagePath(QStringLiteral("icons_new.xml"));
        w().prompts.fileAnswers.enqueue(saved);
        w().trigger("FileSaveAs");
        QCOMPARE(w().state().CurrentFile, saved.toStdString());
        QCOMPARE(w().window.windowTitle(), QStringLiteral("VynMAP Editor [icons_new.xml%1]").arg(suffix));
        QCOMPARE(w().window.recentPages(), QStringList({saved + suffix, target}));
        QCOMPARE(readFile(saved), bytes);
        QVERIFY(QFile::remove(saved));
        w().trigger("FileSave");
        QCOMPARE(readFile(saved), bytes);
        QCOMPARE(readFile(old), bytes);
    }

    void droppedPageOpensAfterTheQuestion_data()
    {
        QTest::addColumn<SaveAnswer>("answer");
        QTest::addColumn<bool>("opens");
        QTest::newRow("discard") << SaveAnswer::Discard << true;
        QTest::newRow("cancel") << SaveAnswer::Cancel << false;
    }

    void droppedPageOpensAfterTheQuestion()
    {
        QFETCH(SaveAnswer, answer);
        QFETCH(bool, opens);
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        const QString two = m_folder->writePage(QStringLiteral("icons_two.xml"), onePoiPage("B"));
        QVERIFY(w().openShown(one));
        w().clickPoi(QStringLiteral("A"));
        w().name()->selectAll();
        QTest::keyClicks(w().name(), QStringLiteral("Edited"));
        w().prompts.saveAnswers.enqueue(answer);

        drop(two);
        QCOMPARE(w().prompts.saveQuestions.size(), 1);
        QCOMPARE(w().state().CurrentFile, (opens ? two : one).toStdString());
        QCOMPARE(w().topLevelTexts(), QStringList(opens ? "B" : "A"));
        QCOMPARE(w().name()->text(), opens ? QString() : QStringLiteral("Edited"));
    }

    void droppedDdsBecomesTheMap()
    {
        const QString one = m_folder->writePage(QStringLiteral("icons_one.xml"), onePoiPage("A"));
        QVERIFY(w().openShown(one));
        const QString map = m_folder->root() + QStringLiteral("dropped.DDS");
        const std::vector<uint8_t> pixels(3 * 2 * 4, 0x40);
        QVERIFY(ddstest::writeFile(map.toStdString(), ddstest::argbFile(3, 2, pixels)));
        drop(map);
        QCOMPARE(w().panel()->mapImage().size(), QSize(3, 2));
        // The page itself is untouched.
        QCOMPARE(w().state().CurrentFile, one.toStdString());
        QVERIFY(!w().editor().IsModified());
    }
};

QTEST_MAIN(RecentPagesTest)
#include "RecentPagesTest.moc"
