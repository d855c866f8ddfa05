// Open by map name: which files the scan lists and how, the list's order, the dialog's controls
// while the scan runs, closing it mid-scan, and File > Open Zone in the main window.

#include "app/MainWindow.h"
#include "helpers/ScriptedPrompts.h"
#include "tools/ZoneList.h"
#include "tools/ZoneScan.h"

#include "document/IconPageFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QByteArray kBom = "\xEF\xBB\xBF";
// Enough pages that the scan takes far longer than delivering its first line, even on a loaded
// machine under the sanitizers.
constexpr int kManyPages = 3000;

// A page whose root has the given tag and zone property ("1location=\"X\""), in a writer's
// layout with CR LF line ends.
QByteArray page(const QByteArray& root, const QByteArray& zone, const QByteArray& prefix = {})
{
    return prefix + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + root + " Name=\"m\" " + zone
        + " Size=\"436,506\">\r\n  <Icon IconStyle=\"NPC\" Location=\"1,2\" Name=\"a\" pathfindlocation=\"1, 2, 3\""
          " Size=\"12,12\" Tooltip=\"t\"/>\r\n</" + root + ">\r\n";
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::string folderOf(const QTemporaryDir& dir)
{
    return dir.path().toStdString() + "/";
}

std::vector<ZonePage> scan(const std::string& folder)
{
    TSimpleXML loader;
    ConfigureIconPageDocument(loader);
    std::vector<ZonePage> pages;
    ScanZoneFolder(folder, loader, [&pages](ZonePage p) { pages.push_back(std::move(p)); }, nullptr);
    return pages;
}

QStringList linesOf(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

// Runs act on the open-by-map-name dialog from the dialog's own event loop, until act says done.
void driveZoneDialog(QObject* context, std::function<bool(TForm7*)> act)
{
    auto* timer = new QTimer(context);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act]() {
        auto* dialog = qobject_cast<TForm7*>(QApplication::activeModalWidget());
        if (dialog && act(dialog))
            timer->deleteLater();
    });
    timer->start();
}

}  // namespace

class ZoneListTest : public QObject {
    Q_OBJECT

private slots:
    // One file in the folder: whether the scan lists it, and with which location name.
    void scanFilters_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("listed");
        const QByteArray zone = "1location=\"Harbor\"";
        QTest::newRow("plain page") << "icons_a.xml" << page("Page", zone) << QStringList{"Harbor"};
        QTest::newRow("byte order mark") << "icons_a.xml" << page("Page", zone, kBom) << QStringList{"Harbor"};
        QTest::newRow("1Location") << "icons_a.xml" << page("Page", "1Location=\"Harbor\"") << QStringList{"Harbor"};
        QTest::newRow("1LOCATION") << "icons_a.xml" << page("Page", "1LOCATION=\"Harbor\"") << QStringList{"Harbor"};
        QTest::newRow("upper-case extension") << "ICONS_A.XML" << page("Page", zone) << QStringList{"Harbor"};
        QTest::newRow("leading blanks kept") << "icons_a.xml" << page("Page", "1location=\"  Harbor \"")
                                             << QStringList{"  Harbor "};
        QTest::newRow("references resolved") << "icons_a.xml" << page("Page", "1location=\"A &amp; B\"")
                                             << QStringList{"A & B"};
        QTest::newRow("only blanks") << "icons_a.xml" << page("Page", "1location=\"   \"") << QStringList{};
        QTest::newRow("only a tab") << "icons_a.xml" << page("Page", "1location=\"\t\"") << QStringList{};
        QTest::newRow("empty") << "icons_a.xml" << page("Page", "1location=\"\"") << QStringList{};
        QTest::newRow("no zone property") << "icons_a.xml" << page("Page", "Zone=\"Harbor\"") << QStringList{};
        QTest::newRow("root page in lower case") << "icons_a.xml" << page("page", zone) << QStringList{};
        QTest::newRow("root Pages") << "icons_a.xml" << page("Pages", zone) << QStringList{};
        QTest::newRow("damaged after the root tag")
            << "icons_a.xml" << page("Page", zone).left(page("Page", zone).indexOf("<Icon") + 8) << QStringList{};
        QTest::newRow("two bytes") << "icons_a.xml" << QByteArray("<P") << QStringList{};
        QTest::newRow("other extension") << "icons_a.txt" << page("Page", zone) << QStringList{};
        QTest::newRow("backup name") << "icons_a.xml.old" << page("Page", zone) << QStringList{};
    }

    void scanFilters()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        writeFile(dir.filePath(fileName), bytes);
        QStringList found;
        for (const ZonePage& p : scan(folderOf(dir))) {
            found << QString::fromStdString(p.location);
            QCOMPARE(QString::fromStdString(p.fileName), fileName);
        }
        QCOMPARE(found, listed);
    }

    void folderNamedXmlIsSkippedAndMissingFolderIsEmpty()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("icons_dir.xml")));
        writeFile(dir.filePath(QStringLiteral("icons_dir.xml/icons_b.xml")), page("Page", "1location=\"Inner\""));
        QVERIFY(scan(folderOf(dir)).empty());
        QVERIFY(scan(folderOf(dir) + "missing/").empty());
    }

    // The list's order: names without regard to case; equal names in the order of discovery.
    void order_data()
    {
        QTest::addColumn<QStringList>("locations");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("case ignored") << QStringList{"beta", "Alpha", "gamma", "ALPHA2"} << QList<int>{1, 3, 0, 2};
        QTest::newRow("duplicates keep discovery order") << QStringList{"Zed", "Harbor", "Harbor"} << QList<int>{1, 2, 0};
        QTest::newRow("same name in two cases") << QStringList{"harbor", "HARBOR"} << QList<int>{0, 1};
        QTest::newRow("hangul after latin") << QStringList{"한옥 마을", "Greenwood"} << QList<int>{1, 0};
        QTest::newRow("accented letter with its base") << QStringList{"Zulu", "Éclair", "eel"} << QList<int>{1, 2, 0};
    }

    void order()
    {
        QFETCH(QStringList, locations);
        QFETCH(QList<int>, expected);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        std::vector<ZonePage> pages;
        for (const QString& location : locations)
            pages.push_back(ZonePage{location.toStdString(), "f"});
        const std::vector<int> order = ZoneListOrder(pages);
        QCOMPARE(QList<int>(order.begin(), order.end()), expected);
    }

    // The dialog lists duplicates each with its own file, whatever order the folder gives, shows
    // "0 Maps" until the scan ends, and enables Button1 only for a selected line.
    void dialogListsAndChooses()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("icons_c.xml")), page("Page", "1location=\"harbor\""));
        writeFile(dir.filePath(QStringLiteral("icons_a.xml")), page("Page", "1location=\"Zed\"", kBom));
        writeFile(dir.filePath(QStringLiteral("icons_b.xml")), page("Page", "1Location=\"Harbor\""));
        TForm7 dialog;
        dialog.setFolder(folderOf(dir));
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("ZoneList"));
        auto* label1 = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
        auto* label2 = dialog.findChild<QLabel*>(QStringLiteral("Label2"));
        auto* button1 = dialog.findChild<QPushButton*>(QStringLiteral("Button1"));
        QVERIFY(list && label1 && label2 && button1);
        dialog.show();
        // Lines reach the list only through this thread's event loop, which has not run yet.
        QCOMPARE(label1->text(), QStringLiteral("0 Maps"));
        QVERIFY(!button1->isEnabled());
        QTRY_COMPARE(label1->text(), QStringLiteral("3 Maps"));
        QTRY_VERIFY(!dialog.scanning());
        QCOMPARE(linesOf(list), (QStringList{"Harbor", "harbor", "Zed"}));

        list->setCurrentRow(1);
        QVERIFY(button1->isEnabled());
        QCOMPARE(label2->text(), QStringLiteral("icons_c.xml"));
        list->setCurrentRow(0);
        QCOMPARE(label2->text(), QStringLiteral("icons_b.xml"));
        list->clearSelection();
        QVERIFY(!button1->isEnabled());
        list->setCurrentRow(2);
        QTest::mouseClick(button1, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenFile(), std::string("icons_a.xml"));
    }

    // A double click or Enter on a line chooses it, as Ok does.
    void doubleClickOrEnterChoosesALine()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("icons_a.xml")), page("Page", "1location=\"Zed\""));
        for (const bool enter : {false, true}) {
            TForm7 dialog;
            dialog.setFolder(folderOf(dir));
            auto* list = dialog.findChild<QListWidget*>(QStringLiteral("ZoneList"));
            dialog.show();
            QTRY_COMPARE(list->count(), 1);
            const QPoint line = list->visualItemRect(list->item(0)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
            if (enter)
                QTest::keyClick(list, Qt::Key_Return);
            else
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
            QCOMPARE(dialog.chosenFile(), std::string("icons_a.xml"));
        }
    }

    void emptyFolderShowsZeroMapsAndEscapeCancels()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("notes.txt")), "x");
        TForm7 dialog;
        dialog.setFolder(folderOf(dir));
        dialog.show();
        QTRY_VERIFY(!dialog.scanning());
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("0 Maps"));
        QCOMPARE(dialog.findChild<QListWidget*>(QStringLiteral("ZoneList"))->count(), 0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.chosenFile().empty());
    }

    void captionsFollowLanguage()
    {
        TForm7 dialog;
        const bool korean = systemLanguage() == Language::Korean;
        QCOMPARE(dialog.windowTitle(), korean ? QStringLiteral("맵이름으로 열기") : QStringLiteral("Open Zone"));
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->text(),
                 korean ? QStringLiteral("선택(&O)") : QStringLiteral("&Ok"));
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("Button2"))->text(),
                 korean ? QStringLiteral("취소(&C)") : QStringLiteral("&Cancel"));
    }

    // Closing on the first line: the destruction stops the scan, serving the worker's pending
    // line, instead of waiting for the whole folder or deadlocking.
    void closingMidScanStopsTheScan()
    {
        QTemporaryDir dir;
        for (int i = 0; i < kManyPages; ++i) {
            writeFile(dir.filePath(QStringLiteral("icons_%1.xml").arg(i, 4, 10, QLatin1Char('0'))),
                      page("Page", "1location=\"Zone " + QByteArray::number(i) + "\""));
        }
        int added = 0;
        {
            TForm7 dialog;
            dialog.setFolder(folderOf(dir));
            auto* list = dialog.findChild<QListWidget*>(QStringLiteral("ZoneList"));
            connect(list->model(), &QAbstractItemModel::rowsInserted, &dialog, [&]() {
                if (++added == 1)
                    dialog.reject();
            });
            QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        }
        QVERIFY2(added < kManyPages, qPrintable(QString::number(added)));
        QVERIFY(added >= 1);
    }

    // Ctrl+L in the main window: the page folder found without regard to case, the chosen page
    // opened as from the file dialog; cancelling opens nothing.
    void openZoneFromTheMainWindow_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("choose") << true;
        QTest::newRow("cancel") << false;
    }

    void openZoneFromTheMainWindow()
    {
        QFETCH(bool, choose);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("VynMap")));
        writeFile(dir.filePath(QStringLiteral("VynMap/icons_b.xml")), page("Page", "1location=\"Beta\""));
        writeFile(dir.filePath(QStringLiteral("VynMap/icons_a.xml")), page("Page", "1location=\"Alpha\""));
        const QString config = dir.filePath(QStringLiteral("editor.INI"));
        writeFile(config, "[CONFIG]\r\nPATH=" + dir.path().toUtf8() + "/\r\n");
        ScriptedPrompts prompts;
        TForm1 window(config, &prompts);
        const QString title = window.windowTitle();
        driveZoneDialog(&window, [choose](TForm7* dialog) {
            if (dialog->findChild<QLabel*>(QStringLiteral("Label1"))->text() != QLatin1String("2 Maps"))
                return false;
            if (!choose) {
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
                return true;
            }
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ZoneList"));
            list->setCurrentRow(1);  // Beta
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
            return true;
        });
        window.action(QStringLiteral("FileOpenZone"))->trigger();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(window.state().DocLoaded, choose);
        QCOMPARE(window.windowTitle(), choose ? QStringLiteral("VynMAP Editor [icons_b.xml]") : title);
        QVERIFY(prompts.messages.isEmpty());
    }
};

QTEST_MAIN(ZoneListTest)
#include "ZoneListTest.moc"
