// Zone pages inside a file, as a user meets them in the window: markers where the game draws the
// icons, a drag that moves the icon's centre, switching pages, adding an icon, and saves that
// change only the edited bytes of the file.
#include "../support/ZonePageFixture.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "document/PoiTreeModel.h"
#include "app/Captions.h"
#include "helpers/DdsTestFile.h"
#include "helpers/EventLoop.h"
#include "helpers/ModalDialog.h"
#include "helpers/ScriptedPrompts.h"
#include "mapview/MapPanel.h"
#include "tools/AddpointF.h"
#include "tools/PageProblems.h"
#include "tools/ZonePagePicker.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace {

const char* const kStyles =
    "<Styles>\r\n"
    "  <ImageStyle Name=\"zone_harbor\" displayname=\"Harbor Town\" zonerect=\"-585,-1135,1635,1445\">"
    "<Image Source=\"images\\maps\\none.dds\"/></ImageStyle>\r\n"
    "  <ImageStyle Name=\"forest\" zonerect=\"-585,-1135,1635,1445\"/>\r\n"
    "</Styles>\r\n";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray fixture(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

class ZonePageTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_window;
    MapPanel* m_panel = nullptr;

    QString mapWindowPath() const { return m_dir.filePath(QStringLiteral("UI/Test/map_window.xml")); }
    QString poiPath() const { return m_dir.filePath(QStringLiteral("UI/Test/poi.xml")); }
    template <typename T>
    T* child(const char* name) const { return m_window->findChild<T*>(QLatin1String(name)); }
    std::string value(int index, const char* name)
    {
        return m_window->editor().xmlscan().Root().Items().Item(index)->Properties().Find(name)->Value();
    }

    void selectInTree(int poiIndex)
    {
        child<QTreeView>("TreeView1")->setCurrentIndex(m_window->editor().PoiNode(poiIndex));
        runEventLoopFor(30);
    }

    // A right-button drag of a marker to `to`, applied at once.
    void dragMarker(int index, QPoint to)
    {
        QTest::mousePress(m_panel, Qt::RightButton, {}, m_panel->markerRect(index).center());
        runEventLoopFor(30);
        QTest::mouseMove(m_panel, to);
        QTest::mouseRelease(m_panel, Qt::RightButton, {}, to);
        child<QTimer>("Timer1")->stop();
        m_window->editor().Timer1Timer();
    }

    // Types a new name for an icon; the edit waits for the apply timer.
    void renameIcon(int index, const QString& name)
    {
        selectInTree(index);
        auto* field = child<QLineEdit>("FlatEdit3");
        field->selectAll();
        QTest::keyClicks(field, name);
    }

    // File > Zone Page, picking the page the filter leaves first.
    void switchToZonePage(const QString& filterText)
    {
        whenModal<ZonePagePicker>([filterText](ZonePagePicker* picker) {
            auto* filter = picker->findChild<QLineEdit*>(QStringLiteral("ZonePageFilter"));
            QTest::keyClicks(filter, filterText);
            QTest::keyClick(filter, Qt::Key_Return);
        });
        m_window->FileZonePageExecute();
    }

    void switchAutoCalcOn()
    {
        runEventLoopFor(20);  // the command is enabled when the loop goes idle
        m_window->action(QStringLiteral("MAPLOCAUTO"))->trigger();
    }

private slots:
    void init()
    {
        writeFile(mapWindowPath(), fixture(zonefixture::kMapWindow));
        writeFile(poiPath(), fixture(zonefixture::kPoiFile));
        writeFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")), kStyles);
        const QString config = m_dir.filePath(QStringLiteral("editor.INI"));
        writeFile(config, "[CONFIG]\r\nPATH=" + m_dir.filePath(QStringLiteral("UI/Test/")).toUtf8() + "\r\n");
        m_prompts = ScriptedPrompts();
        m_window = std::make_unique<TForm1>(config, &m_prompts);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_panel = m_window->mapPanel();
    }

    void cleanup() { m_window.reset(); }

    // A link is followed to the page of the map it names, in another file or in its own, and
    // Alt+Left goes back; an edit of the page left stays with it.
    void linksAreFollowedAndBack()
    {
        const QString links = m_dir.filePath(QStringLiteral("UI/Test/POI/map_links.xml"));
        // Within the panel's sight: this map has no style, its page is of the default size.
        writeFile(links, fixture(zonefixture::kMapLinks).replace("502,912", "202,112"));
        QVERIFY(m_window->openPage(links + QStringLiteral("#world")));
        QCOMPARE(m_window->editor().treeModel().rowCount(), 2);
        const auto follow = [this](int marker) {
            QTest::mouseDClick(m_panel, Qt::LeftButton, {}, m_panel->markerRect(marker).center());
            runEventLoopFor(30);
        };
        const auto back = [this]() {
            QTest::keyClick(m_window.get(), Qt::Key_Left, Qt::AltModifier);
            runEventLoopFor(30);
        };
        // "forest" is a zone page of the POI file.
        follow(0);
        QCOMPARE(m_window->openPageName(), poiPath() + QStringLiteral("#forest"));
        back();
        QCOMPARE(m_window->openPageName(), links + QStringLiteral("#world"));

        // "old cave" is a page of the links file itself: shown as File > Zone Page shows it.
        dragMarker(0, m_panel->markerRect(0).center() + QPoint(5, 5));
        follow(1);
        QCOMPARE(m_window->openPageName(), links + QStringLiteral("#old cave"));
        QVERIFY(m_prompts.messages.isEmpty() && m_prompts.questions.isEmpty());
        back();
        QCOMPARE(m_window->openPageName(), links + QStringLiteral("#world"));
        QCOMPARE(value(0, "Location"), std::string("206,116"));
        back();  // nothing before: the page stays
        QCOMPARE(m_window->openPageName(), links + QStringLiteral("#world"));
    }

    void iconsSitAndMoveByTheirCentre()
    {
        QVERIFY(m_window->openPage(mapWindowPath() + QStringLiteral("#zone_harbor")));
        QCOMPARE(m_window->editor().treeModel().rowCount(), 3);
        QCOMPARE(child<QLineEdit>("FlatEdit4")->text(), QStringLiteral("Harbor Town"));
        // The game draws a 21 x 21 icon at 100,200 and a 42 x 42 one at -4,237.
        QCOMPARE(m_panel->markerRect(0), QRect(101, 201, 19, 19));
        QCOMPARE(m_panel->markerRect(1), QRect(-3, 238, 40, 40));

        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        QCOMPARE(readFile(mapWindowPath()), fixture(zonefixture::kMapWindow));

        // With automatic location on, the world location is that of the moved centre.
        switchAutoCalcOn();
        selectInTree(0);
        dragMarker(0, QPoint(200, 100));
        QCOMPARE(value(0, "Location"), std::string("190,90"));
        QCOMPARE(value(0, "pathfindlocation"), std::string("-435.89, 10, -622.57"));
        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        QByteArray expected = fixture(zonefixture::kMapWindow);
        expected.replace("Location=\"100,200\"", "Location=\"190,90\"");
        expected.replace("\"-335, 10, -25\"", "\"-435.89, 10, -622.57\"");
        QCOMPARE(readFile(mapWindowPath()), expected);
        QVERIFY(!m_window->windowTitle().endsWith(QLatin1Char('*')));
    }

    // The Problems window's quick fix on a zone page of the game's map window file: its icon's
    // centre goes where the world location falls, and the save changes only that value.
    void quickFixOnAZonePageChangesOnlyItsValue()
    {
        QByteArray bytes = readFile(QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/map_window_sample.xml"));
        QVERIFY(bytes.contains("Location=\"318,49\" Name=\"Dock Rats\""));
        bytes.replace("Location=\"318,49\" Name=\"Dock Rats\"", "Location=\"358,49\" Name=\"Dock Rats\"");
        const QString path = m_dir.filePath(QStringLiteral("UI/Test/map_window_sample.xml"));
        writeFile(path, bytes);
        writeFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")),
                  "<Styles><ImageStyle Name=\"harbor_town\" zonerect=\"-585,-1135,1635,1445\"/></Styles>");
        QVERIFY(m_window->openPage(path + QStringLiteral("#harbor_town")));
        m_window->ViewProblemsExecute();
        runEventLoopFor(20);
        auto* list = m_window->problemsWindow()->findChild<QListWidget*>(QStringLiteral("ProblemList"));
        const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("\"Dock Rats\""), Qt::MatchContains);
        QCOMPARE(found.size(), 1);
        QVERIFY(found[0]->text().startsWith(QLatin1String("warning: POI \"Dock Rats\" (#3): misplaced: 40")));
        const int before = list->count();  // and the line of the map image, which the test has not
        list->setCurrentItem(found[0]);
        QTest::mouseClick(m_window->problemsWindow()->findChild<QPushButton*>(QStringLiteral("MoveMarkerFix")),
                          Qt::LeftButton);
        runEventLoopFor(20);
        QCOMPARE(list->count(), before - 1);
        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        // Its centre goes where the world location falls, a hair short of 328,59: Location 317,48.
        bytes.replace("Location=\"358,49\" Name=\"Dock Rats\"", "Location=\"317,48\" Name=\"Dock Rats\"");
        QCOMPARE(readFile(path), bytes);
    }

    void editsOfAnotherZonePageWaitForTheSave()
    {
        QVERIFY(m_window->openPage(mapWindowPath() + QStringLiteral("#zone_harbor")));
        renameIcon(2, QStringLiteral("Vault"));
        switchToZonePage(QStringLiteral("bare"));
        QCOMPARE(m_window->state().PageName, std::string("zone_bare"));
        QVERIFY(m_window->windowTitle().endsWith(QLatin1Char('*')));

        // The first icon of an empty zone page, made like the file's icons.
        whenModal<TForm3>([](TForm3* dialog) { dialog->accept(); });
        m_window->MAPADDExecute();
        QCOMPARE(m_window->editor().treeModel().rowCount(), 1);
        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        QByteArray expected = fixture(zonefixture::kMapWindow);
        expected.replace("Location=\"300,40\" Name=\"Bank\"", "Location=\"300,40\" Name=\"Vault\"");
        expected.replace("<Page Name=\"zone_bare\" Visible=\"false\"/>\r\n",
                         "<Page Name=\"zone_bare\" Visible=\"false\">\r\n        <Icon Name=\"Anywhere\" "
                         "IconStyle=\"style\" Location=\"0,0\" Size=\"21,21\" pathfindlocation=\"0, 0, 0\" "
                         "Tooltip=\"AnyWhere\" />\r\n      </Page>\r\n");
        QCOMPARE(readFile(mapWindowPath()), expected);
    }

    void worldOnlyIconsArePlacedAndMovedByTheirWorldLocation()
    {
        QVERIFY(m_window->openPage(poiPath() + QStringLiteral("#forest")));
        // -120.50, 88.25 falls on pixel 138.56, 239.91 of the 436 x 506 page.
        QCOMPARE(m_panel->markerRect(0), QRect(134, 235, 10, 10));
        selectInTree(0);
        dragMarker(0, QPoint(300, 100));
        QCOMPARE(value(0, "PathFindLocation"), std::string("-942.52,4.00,-625.12"));
        auto* description = child<QLineEdit>("FlatEdit5");
        QVERIFY(description->isVisible());
        // The file's line break references show as line breaks.
        QCOMPARE(description->text(), QStringLiteral("ID:31047\n-942.52,4.00,-625.12\nBanker"));
        QVERIFY(!m_window->editor().xmlscan().Root().Items().Item(0)->Properties().Find("Location"));
        // Posting takes the zone page's name for the zone (no location name here) and the kind.
        QString zone;
        whenModal<QDialog>([&zone](QDialog* dialog) {
            zone = dialog->findChild<QLineEdit*>(QStringLiteral("ed_zone"))->text();
            dialog->reject();
        });
        m_window->MAPPOIExecute();
        QCOMPARE(zone, QStringLiteral("forest"));

        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        QByteArray expected = fixture(zonefixture::kPoiFile);
        expected.replace("PathFindLocation=\"-120.50,4.00,88.25\"", "PathFindLocation=\"-942.52,4.00,-625.12\"");
        expected.replace("ID:31047&#xA;-120.50,4.00,88.25&#xA;", "ID:31047&#xA;-942.52,4.00,-625.12&#xA;");
        QCOMPARE(readFile(poiPath()), expected);
    }

    // Without a point on the map (no zone rectangle, or one beyond any pixel) a world-only icon
    // has no position to show or to change: the fields are empty and take no input.
    void worldOnlyIconWithoutAPointHasNoPosition_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("page");
        QTest::newRow("no zone rectangle") << fixture(zonefixture::kPoiFile) << QStringLiteral("cave");
        QTest::newRow("beyond any pixel")
            << fixture(zonefixture::kPoiFile).replace("-120.50,4.00,88.25\" P", "-99999999999999.00,4.00,88.25\" P")
            << QStringLiteral("forest");
    }

    void worldOnlyIconWithoutAPointHasNoPosition()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, page);
        writeFile(poiPath(), bytes);
        QVERIFY(m_window->openPage(poiPath() + QLatin1Char('#') + page));
        selectInTree(0);
        QVERIFY(m_panel->markerRect(0).isEmpty());
        for (const char* name : {"ed_locX", "ed_locY"}) {
            auto* spin = child<QSpinBox>(name);
            QVERIFY(!spin->isEnabled());
            QCOMPARE(spin->text(), QString());
            QTest::keyClick(spin, Qt::Key_Up);
        }
        runEventLoopFor(30);
        QVERIFY(!child<QTimer>("Timer1")->isActive());
        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        QCOMPARE(readFile(poiPath()), bytes);
        // An icon with a point opens the fields again.
        if (page == QLatin1String("forest")) {
            selectInTree(1);
            QVERIFY(child<QSpinBox>("ed_locX")->isEnabled());
            QCOMPARE(child<QSpinBox>("ed_locX")->text(), QStringLiteral("113"));
        }
    }

    // The coordinate label speaks of the icon selected, not of the one last edited.
    void labelFollowsTheSelection_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("map window file") << mapWindowPath() + QStringLiteral("#zone_harbor");
        QTest::newRow("POI file") << poiPath() + QStringLiteral("#forest");
    }

    void labelFollowsTheSelection()
    {
        QFETCH(QString, page);
        QVERIFY(m_window->openPage(page));
        auto* label = child<QLabel>("Label5");
        auto* memo = child<QPlainTextEdit>("FlatMemo1");
        const auto editTooltip = [this, memo]() {
            QTest::keyClicks(memo, QStringLiteral("!"));
            child<QTimer>("Timer1")->stop();
            m_window->editor().Timer1Timer();
        };
        selectInTree(0);
        editTooltip();
        const QString first = label->text();
        selectInTree(1);
        const QString second = label->text();
        QVERIFY2(second != first, qPrintable(second));
        // What an apply of that icon shows.
        editTooltip();
        QCOMPARE(label->text(), second);
        selectInTree(0);
        QCOMPARE(label->text(), first);
    }

    // A zone page with no zone text of its own does not show the rectangle of the page left.
    void labelForgetsTheZoneOfThePageLeft()
    {
        QVERIFY(m_window->openPage(mapWindowPath() + QStringLiteral("#zone_harbor")));
        auto* label = child<QLabel>("Label5");
        QCOMPARE(label->text(), QStringLiteral("-585,-1135,1635,1445"));
        QVERIFY(m_window->showZonePage(2));
        QCOMPARE(label->text(), QStringLiteral("0, 0, 0"));
        QVERIFY(m_window->showZonePage(0));
        QCOMPARE(label->text(), QStringLiteral("-585,-1135,1635,1445"));
    }

    // A zone page that cannot be read leaves the page shown as it was, with its edits.
    void failedSwitchKeepsThePageShown()
    {
        QByteArray bytes = fixture(zonefixture::kMapWindow);
        bytes.replace("<Page Name=\"zone_bare\" Visible=\"false\"/>",
                      "<Page Name=\"zone_bare\" Visible=\"false\"><Icon Name=\"a\"><?x ?></Icon></Page>");
        writeFile(mapWindowPath(), bytes);
        QVERIFY(m_window->openPageAsked(mapWindowPath() + QStringLiteral("#zone_harbor")));
        renameIcon(2, QStringLiteral("Vault"));
        switchToZonePage(QStringLiteral("bare"));
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY(m_window->state().DocLoaded);
        QCOMPARE(m_window->state().PageName, std::string("zone_harbor"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("VynMAP Editor [map_window.xml#zone_harbor]*"));
        QCOMPARE(m_window->editor().treeModel().rowCount(), 3);
        QCOMPARE(m_panel->markerCount(), 3);
        QCOMPARE(m_window->recentPages(), QStringList(mapWindowPath() + QStringLiteral("#zone_harbor")));
        m_window->FileSaveExecute(QStringLiteral("FileSave"));
        bytes.replace("Location=\"300,40\" Name=\"Bank\"", "Location=\"300,40\" Name=\"Vault\"");
        QCOMPARE(readFile(mapWindowPath()), bytes);
    }

    // Switching zone pages keeps one entry of the file in File > Recent: the page last shown.
    void recentListsTheFileOnce()
    {
        QVERIFY(m_window->openPageAsked(poiPath() + QStringLiteral("#forest")));
        QVERIFY(m_window->openPageAsked(mapWindowPath() + QStringLiteral("#zone_harbor")));
        switchToZonePage(QStringLiteral("bare"));
        QCOMPARE(m_window->recentPages(), QStringList({mapWindowPath() + QStringLiteral("#zone_bare"),
                                                       poiPath() + QStringLiteral("#forest")}));
    }

    // A page without Size is as large as its map's SourceRect; the panel and --export-png show
    // that part of the image, whole. A page with Size keeps it.
    void pageTakesItsMapsSize_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("frame");  // the style's first child, after its Source
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("pageSize");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QRect>("marker");
        const QByteArray wide = " SourceRect=\"0,0,1600,1200\"";
        QTest::newRow("page with Size") << "map_window.xml#zone_harbor" << wide << QSize(1600, 1200) << QSize(436, 506)
                                        << QSize(1600, 1200) << QRect(101, 201, 19, 19);
        // -120.50, 88.25 falls on pixel 508.47, 568.95 of the 1600 x 1200 page.
        QTest::newRow("POI page, 1600 x 1200") << "poi.xml#forest" << wide << QSize(1600, 1200) << QSize(1600, 1200)
                                               << QSize(1600, 1200) << QRect(503, 564, 10, 10);
        QTest::newRow("padded to 512 x 512") << "poi.xml#forest" << QByteArray(" SourceRect=\"0,0,436,506\"")
                                             << QSize(512, 512) << QSize(436, 506) << QSize(436, 506)
                                             << QRect(134, 235, 10, 10);
        QTest::newRow("no SourceRect") << "poi.xml#forest" << QByteArray() << QSize(1024, 1024) << QSize(436, 506)
                                       << QSize(512, 512) << QRect(134, 235, 10, 10);
    }

    void pageTakesItsMapsSize()
    {
        QFETCH(QString, page);
        QFETCH(QByteArray, frame);
        QFETCH(QSize, image);
        QFETCH(QSize, pageSize);
        QFETCH(QSize, shown);
        QFETCH(QRect, marker);
        const QByteArray source = "<ImageFrame Source=\"images\\maps\\big.dds\"" + frame + "/>";
        writeFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")),
                  "<Styles><ImageStyle Name=\"zone_harbor\" zonerect=\"-585,-1135,1635,1445\">" + source
                      + "</ImageStyle><ImageStyle Name=\"forest\" zonerect=\"-585,-1135,1635,1445\">" + source
                      + "</ImageStyle></Styles>");
        ddstest::Header header;  // DXT1 blocks of zeros: all black
        header.width = static_cast<uint32_t>(image.width());
        header.height = static_cast<uint32_t>(image.height());
        const QString maps = m_dir.filePath(QStringLiteral("UI/Test/images/maps"));
        QVERIFY(QDir().mkpath(maps));
        const std::vector<uint8_t> blocks(static_cast<size_t>(image.width() * image.height() / 2), 0);
        QVERIFY(ddstest::writeFile(QFile::encodeName(maps + QStringLiteral("/big.dds")).toStdString(),
                                   ddstest::ddsFile(header, blocks)));

        const QString target = m_dir.filePath(QStringLiteral("UI/Test/") + page);
        QVERIFY(m_window->openPage(target));
        QCOMPARE(QSize(m_window->state().PageWidth, m_window->state().PageHeight), pageSize);
        QCOMPARE(m_panel->mapImage().size(), shown);
        QCOMPARE(m_panel->markerRect(0), marker);
        // The whole map is reached by scrolling, as a zoomed one is.
        m_panel->centreOn(QPoint(shown.width(), shown.height()));
        QCOMPARE(m_panel->scrollOffset(), QPoint(std::max(0, shown.width() - 512), std::max(0, shown.height() - 512)));

        const QString out = m_dir.filePath(QStringLiteral("picture.png"));
        QString errors;
        QTextStream err(&errors);
        QCOMPARE(exportPagePicture(m_dir.filePath(QStringLiteral("editor.INI")), target, out, false, err), 0);
        QCOMPARE(QImage(out).size(), shown);
    }

    // A map image that is not found is named in the status bar until one is chosen.
    void missingMapIsNamed()
    {
        QVERIFY(m_window->openPage(mapWindowPath() + QStringLiteral("#zone_harbor")));
        QLabel* notice = m_window->statusPanel(0);
        const QString expected = caption(m_window->language(), "MapNotFound").arg(QString());
        QVERIFY2(notice->toolTip().startsWith(expected), qPrintable(notice->toolTip()));
        QVERIFY2(notice->toolTip().contains(QStringLiteral("none.dds")), qPrintable(notice->toolTip()));
        QVERIFY(!notice->text().isEmpty());
        const QString map = m_dir.filePath(QStringLiteral("UI/Test/chosen.dds"));
        const std::vector<uint8_t> pixels(2 * 2 * 4, 0x40);
        QVERIFY(ddstest::writeFile(map.toStdString(), ddstest::argbFile(2, 2, pixels)));
        QVERIFY(m_window->openDroppedFile(map));
        QCOMPARE(notice->toolTip(), QString());
        QCOMPARE(notice->text(), QString());
    }
};

QTEST_MAIN(ZonePageTest)
#include "ZonePageTest.moc"
