// A whole alignment on a copy of the sample folder whose harbour map lost its rectangle: the
// status bar's offer, POIs picked in the list and clicked on the picture (one of five badly), the
// far one deleted, the points kept between sittings, Apply into the map style file and the
// configuration, the markers placed, Undo, and a Cancel that changes nothing. Then a missing map
// picture found under images/ and remembered for the page.

#include "app/Configuration.h"
#include "app/MainWindow.h"
#include "helpers/TestWindow.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "support/ZoneRectTable.h"
#include "tools/AlignMap.h"
#include "tools/PageProblems.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const ZoneRectangle kHarbourZone{-585, -1135, 1635, 1445};
const QByteArray kHarbourZoneText = "zonerect=\"-585,-1135,1635,1445\"";

}  // namespace

class AlignMapTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ui;
    QString m_config;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_window;

    QString styleFile() const { return m_ui + QStringLiteral("vynmap/core_mapstyles.xml"); }

    void openHarbour()
    {
        startTestWindow(m_window, m_prompts, m_config, m_ui);
        QVERIFY(m_window->openPage(m_ui + QStringLiteral("poi_sample.xml#harbor_town")));
        m_window->updateActions();
    }

    AlignMapWindow* openAlignWindow()
    {
        m_window->updateActions();
        m_window->action(QStringLiteral("MapAlign"))->trigger();
        AlignMapWindow* align = m_window->alignWindow();
        if (align) {
            align->resize(1100, 900);
            if (!QTest::qWaitForWindowExposed(align))
                return nullptr;
        }
        return align;
    }

    // Picks POI `poi` in the list and clicks the picture where the sample's rectangle puts it,
    // moved by `off` pixels.
    void placeOnMap(AlignMapWindow& align, int poi, QPoint off = QPoint())
    {
        auto* list = align.findChild<QListWidget*>(QStringLiteral("AlignPois"));
        int row = 0;
        while (row < list->count() && list->item(row)->data(Qt::UserRole).toInt() != poi)
            ++row;
        QVERIFY(row < list->count());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        const auto entry = std::find_if(align.pois().begin(), align.pois().end(),
                                        [poi](const AlignPoi& p) { return p.index == poi; });
        EditorState sample = m_window->state();
        sample.ZoneRect = kHarbourZone;
        const std::optional<ImagePoint> at = WorldToImagePoint(sample, entry->worldX, entry->worldZ);
        QVERIFY(at);
        const ImagePoint pixel{std::round(at->x) + off.x(), std::round(at->y) + off.y()};
        // The middle of the pixel, so the click lands in it wherever the view shows a pixel
        // larger than a screen pixel (and next to it on a small screen).
        const QPoint click = align.view()->widgetPoint({pixel.x + 0.5, pixel.y + 0.5}).toPoint();
        QTest::mouseClick(align.view(), Qt::LeftButton, {}, click);
        QCOMPARE(align.points().back().point.pixel, align.view()->pagePixel(click));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_ui = m_dir.path() + QStringLiteral("/UI/");
        m_config = m_dir.path() + QStringLiteral("/editor.INI");
        QDir(m_ui).removeRecursively();
        QVERIFY(copyTestFolder(QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample"), m_dir.path() + QStringLiteral("/UI")));
        QByteArray style = readTestFile(styleFile());
        QVERIFY(style.contains(kHarbourZoneText));
        writeTestFile(styleFile(), style.replace(" " + kHarbourZoneText, ""));
    }

    void cleanup()
    {
        m_window.reset();
        QFile::remove(m_config);
    }

    void wholeAlignment()
    {
        openHarbour();
        QVERIFY(!HasZoneRect(m_window->state().ZoneRect));
        auto* offer = m_window->findChild<QLabel*>(QStringLiteral("AlignOffer"));
        QVERIFY(offer && offer->isVisible());
        QVERIFY(m_prompts.questions.isEmpty());  // offered, never asked

        AlignMapWindow* align = openAlignWindow();
        QVERIFY(align);
        QCOMPARE(align->pois().size(), size_t(10));
        placeOnMap(*align, 0);
        placeOnMap(*align, 1);
        QVERIFY(align->fit());  // two points place the map
        placeOnMap(*align, 4);
        placeOnMap(*align, 5, QPoint(0, 45));  // a slip of the hand
        placeOnMap(*align, 9);

        auto* table = align->findChild<QTableWidget*>(QStringLiteral("AlignPoints"));
        QCOMPARE(table->rowCount(), 5);
        QVERIFY(align->fit()->farOff[3]);
        QVERIFY(table->item(3, 5)->text().endsWith(QStringLiteral(" (far off)")));
        for (int row : {0, 1, 2, 4})
            QVERIFY2(align->fit()->residuals[size_t(row)] < 2.0, qPrintable(table->item(row, 5)->text()));
        // Kept for a later sitting as they are placed.
        QCOMPARE(KeptControlPoints(m_config.toStdString(), "harbor_town").size(), size_t(5));

        table->selectRow(3);
        QTest::mouseClick(align->findChild<QPushButton*>(QStringLiteral("AlignDelete")), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 4);
        const ZoneRectangle fitted = align->fit()->zone;
        QVERIFY(*CornerShift(fitted, kHarbourZone, 436, 506) < 3.0);

        align->findChild<QCheckBox*>(QStringLiteral("AlignStyleFile"))->setChecked(true);
        QTest::mouseClick(align->findChild<QPushButton*>(QStringLiteral("AlignApply")), Qt::LeftButton);
        const QByteArray zoneText = QByteArray::fromStdString(ZoneText(fitted));
        QCOMPARE(m_window->state().ZoneRect, fitted);
        QVERIFY(readTestFile(styleFile()).contains("zonerect=\"" + zoneText + "\""));
        QVERIFY(QFile::exists(styleFile() + QStringLiteral(".old")));
        QVERIFY(readTestFile(m_config).contains("harbor_town=" + zoneText));
        QVERIFY(KeptControlPoints(m_config.toStdString(), "harbor_town").empty());
        // The page's markers stand where the rectangle puts them.
        const MarkerLayer& markers = m_window->mapPanel()->markerLayer();
        QVERIFY(!markers.marker(0).rect.isEmpty());
        m_window->updateActions();
        QVERIFY(!offer->isVisible());

        // One undo step takes the rectangle back.
        QTest::mouseClick(align->findChild<QPushButton*>(QStringLiteral("AlignUndo")), Qt::LeftButton);
        QVERIFY(!HasZoneRect(m_window->state().ZoneRect));
        QVERIFY(markers.marker(0).rect.isEmpty());
        QTest::mouseClick(align->findChild<QPushButton*>(QStringLiteral("AlignRedo")), Qt::LeftButton);
        QCOMPARE(m_window->state().ZoneRect, fitted);
        QVERIFY(m_prompts.messages.isEmpty());
    }

    void cancelChangesNothing()
    {
        openHarbour();
        const QByteArray style = readTestFile(styleFile());
        // Opened by the status bar's offer this time.
        auto* offer = m_window->findChild<QLabel*>(QStringLiteral("AlignOffer"));
        QVERIFY(offer->text().contains(QStringLiteral("<a ")));
        emit offer->linkActivated(QStringLiteral("align"));
        AlignMapWindow* align = m_window->alignWindow();
        QVERIFY(align);
        align->resize(1100, 900);
        QVERIFY(QTest::qWaitForWindowExposed(align));
        placeOnMap(*align, 0);
        placeOnMap(*align, 1);
        QTest::mouseClick(align->findChild<QPushButton*>(QStringLiteral("AlignCancel")), Qt::LeftButton);
        QTRY_VERIFY(!m_window->alignWindow());
        QVERIFY(!HasZoneRect(m_window->state().ZoneRect));
        QCOMPARE(readTestFile(styleFile()), style);
        QVERIFY(!readTestFile(m_config).contains("MAPZONEDEF"));
        // The points wait for the next sitting.
        align = openAlignWindow();
        QVERIFY(align);
        QCOMPARE(align->points().size(), size_t(2));
        QCOMPARE(align->points()[1].poi, 1);
    }

    // An icon page holds each POI's pixel: a rectangle that leaves them off is said, and after
    // Apply the Problems window offers its quick fixes.
    void pixelsCheckedOnAnIconPage()
    {
        startTestWindow(m_window, m_prompts, m_config, m_ui);
        QVERIFY(m_window->openPage(m_ui + QStringLiteral("vynmap/icons_harbor_town.xml")));
        AlignMapWindow* align = openAlignWindow();
        QVERIFY(align);
        placeOnMap(*align, 0);
        placeOnMap(*align, 5, QPoint(20, 0));  // stretches the map across: most markers fall off
        QVERIFY(!align->pixelsOffFit().empty());
        QVERIFY(!align->findChild<QLabel*>(QStringLiteral("AlignCheck"))->text().isEmpty());
        QTest::mouseClick(align->findChild<QPushButton*>(QStringLiteral("AlignApply")), Qt::LeftButton);
        QVERIFY(m_window->problemsWindow() && m_window->problemsWindow()->isVisible());
        // Another page closes the window: its points belong to the harbour.
        QVERIFY(m_window->openPage(m_ui + QStringLiteral("vynmap/icons_greenwood.xml")));
        m_window->updateActions();
        QTRY_VERIFY(!m_window->alignWindow());
    }

    void missingPictureFoundUnderImages()
    {
        const QString own = m_ui + QStringLiteral("images/maps/map_harbor_town.dds");
        const QString moved = m_ui + QStringLiteral("images/old/MAP_Harbor_Town.DDS");
        QVERIFY(QDir().mkpath(m_ui + QStringLiteral("images/old")));
        QVERIFY(QFile::rename(own, moved));
        openHarbour();
        QAction* choose = m_window->action(QStringLiteral("FileChooseMapImage"));
        QVERIFY(choose->isEnabled());
        m_prompts.confirmAnswers << true;
        choose->trigger();
        QCOMPARE(m_prompts.questions.size(), 1);
        QVERIFY(m_prompts.questions[0].contains(QDir::toNativeSeparators(moved)));
        QVERIFY(m_prompts.dialogs.isEmpty());
        QCOMPARE(pageMapFile(m_window->state()).value_or(""), moved.toStdString());
        // Remembered for the page: a new window on the same configuration finds it again.
        m_window = std::make_unique<TForm1>(m_config, &m_prompts);
        QVERIFY(m_window->openPage(m_ui + QStringLiteral("poi_sample.xml#harbor_town")));
        QCOMPARE(m_window->state().ChosenMapImage, moved.toStdString());
        QCOMPARE(pageMapFile(m_window->state()).value_or(""), moved.toStdString());
    }
};

QTEST_MAIN(AlignMapTest)
#include "AlignMapTest.moc"
