// Big pages one after another: the page left is taken apart on a thread of its own while the next
// one is shown. Each opening shows its own page whole, going back to a page left reads it anew,
// and a window closed right after an opening ends cleanly.
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "document/PoiTreeModel.h"
#include "helpers/TestWindow.h"
#include "mapview/MapPanel.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPois = 2500;

QByteArray bigPage(const QByteArray& name)
{
    QByteArray page = "<?xml version=\"1.0\"?>\r\n<Page Name=\"" + name + "\" 1location=\"Big\" Size=\"436,506\">\r\n";
    for (int i = 0; i < kPois; ++i)
        page += "<Icon IconStyle=\"NPC\" Location=\"" + QByteArray::number(i % 400) + "," + QByteArray::number(i % 500)
            + "\" Name=\"" + name + " " + QByteArray::number(i) + "\" Tooltip=\"a &amp; b\" Size=\"12,12\"/>\r\n";
    return page + "</Page>\r\n";
}

}  // namespace

class BigPagesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void eachOpeningShowsItsOwnPage()
    {
        const QString ui = m_dir.filePath(QStringLiteral("UI/"));
        const QStringList pages{ui + "vynmap/icons_north.xml", ui + "vynmap/icons_south.xml"};
        writeTestFile(pages[0], bigPage("north"));
        writeTestFile(pages[1], bigPage("south"));
        ScriptedPrompts prompts;
        std::unique_ptr<TForm1> window;
        startTestWindow(window, prompts, m_dir.filePath(QStringLiteral("editor.INI")), ui);
        for (const int round : {0, 1, 2, 3}) {
            const QString page = pages[round % 2];
            QVERIFY(window->openPage(page));
            const QString name = round % 2 == 0 ? QStringLiteral("north") : QStringLiteral("south");
            QCOMPARE(QString::fromStdString(window->state().PageName), name);
            QCOMPARE(window->editor().treeModel().rowCount(), kPois);
            QCOMPARE(window->mapPanel()->markerCount(), kPois);
            TSimpleXMLElem& last = *window->editor().xmlscan().Root().Items().Item(kPois - 1);
            QCOMPARE(QString::fromStdString(last.Properties().Find("Name")->Value()),
                     name + QStringLiteral(" %1").arg(kPois - 1));
            QCOMPARE(QString::fromStdString(last.Properties().Find("Tooltip")->Value()), QStringLiteral("a & b"));
        }
        window.reset();
    }
};

QTEST_MAIN(BigPagesTest)
#include "BigPagesTest.moc"
