// The open file and other programs that write it: a save over a file changed on disk asks (or
// takes the edits over to a file of zone pages), an unedited save writes nothing, the window
// offers to read a changed file again, and files the editor cannot map are refused, not rewritten.
#include "../support/ZonePageFixture.h"
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "document/PoiTreeModel.h"
#include "helpers/EventLoop.h"
#include "helpers/ModalDialog.h"
#include "helpers/ScriptedPrompts.h"
#include "helpers/TestFiles.h"
#include "tools/AddpointF.h"
#include "tools/ZonePagePicker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {

const QByteArray kIconPage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Page Name=\"zone_harbor\" 1location=\"Harbor\" Size=\"436,506\">\r\n"
    "<Icon IconStyle=\"NPC\" Location=\"100,200\" Name=\"Bank\" pathfindlocation=\"1, 2, 3\" Size=\"12,12\" "
    "Tooltip=\"t\"/>\r\n"
    "</Page>\r\n";

QByteArray replaced(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    return bytes.replace(from, to);
}

}  // namespace

class DiskChangeTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_window;

    QString path(const char* name) const { return m_dir.filePath(QStringLiteral("UI/Test/") + QLatin1String(name)); }

    // Renames POI `index` in the name field, as the user types it.
    void rename(int index, const QString& name)
    {
        m_window->findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(m_window->editor().PoiNode(index));
        runEventLoopFor(30);
        auto* field = m_window->findChild<QLineEdit*>(QStringLiteral("FlatEdit3"));
        field->selectAll();
        QTest::keyClicks(field, name);
    }

    void save() { m_window->FileSaveExecute(QStringLiteral("FileSave")); }

private slots:
    void init()
    {
        writeTestFile(path("vynmap/core_mapstyles.xml"), "<Styles/>\r\n");
        const QString config = m_dir.filePath(QStringLiteral("editor.INI"));
        writeTestFile(config, "[CONFIG]\r\nPATH=" + m_dir.filePath(QStringLiteral("UI/Test/")).toUtf8() + "\r\n");
        m_prompts = ScriptedPrompts();
        m_window = std::make_unique<TForm1>(config, &m_prompts);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void iconPageChangedOnDiskAsks_data()
    {
        QTest::addColumn<int>("answer");  // -1: none scripted, the default
        QTest::newRow("default: cancel") << -1;
        QTest::newRow("overwrite") << static_cast<int>(ChangedAnswer::Overwrite);
        QTest::newRow("save as") << static_cast<int>(ChangedAnswer::SaveAs);
    }

    void iconPageChangedOnDiskAsks()
    {
        QFETCH(int, answer);
        const QString page = path("icons_harbor.xml");
        const QString other = path("icons_copy.xml");
        writeTestFile(page, kIconPage);
        QVERIFY(m_window->openPage(page));
        rename(0, QStringLiteral("Vault"));
        const QByteArray theirs = replaced(kIconPage, "Tooltip=\"t\"", "Tooltip=\"theirs\"");
        writeTestFile(page, theirs);
        if (answer >= 0)
            m_prompts.changedAnswers.enqueue(static_cast<ChangedAnswer>(answer));
        m_prompts.fileAnswers.enqueue(other);
        save();

        QCOMPARE(m_prompts.changedQuestions.size(), 1);
        QCOMPARE(m_prompts.changedQuestions[0].text,
                 QStringLiteral("icons_harbor.xml was changed by another program since it was read. Write over it?"));
        const QByteArray mine = replaced(kIconPage, "Name=\"Bank\"", "Name=\"Vault\"");
        QCOMPARE(readTestFile(page), answer == static_cast<int>(ChangedAnswer::Overwrite) ? mine : theirs);
        QCOMPARE(readTestFile(other), answer == static_cast<int>(ChangedAnswer::SaveAs) ? mine : QByteArray());
        QCOMPARE(m_window->windowTitle().endsWith(QLatin1Char('*')), answer < 0);
        QVERIFY(m_prompts.messages.isEmpty());
    }

    void zonePageEditsGoIntoTheFileAsChangedElsewhere()
    {
        const QString file = path("map_window.xml");
        writeTestFile(file, testBytes(zonefixture::kMapWindow));
        QVERIFY(m_window->openPage(file + QStringLiteral("#zone_harbor")));
        rename(2, QStringLiteral("Vault"));
        // Another program renames a button outside the zone pages.
        const QByteArray theirs = replaced(testBytes(zonefixture::kMapWindow), "Name=\"Close\"", "Name=\"Shut\"");
        writeTestFile(file, theirs);
        save();
        QVERIFY(m_prompts.changedQuestions.isEmpty());
        QCOMPARE(readTestFile(file), replaced(theirs, "Location=\"300,40\" Name=\"Bank\"", "Location=\"300,40\" Name=\"Vault\""));
        QVERIFY(!m_window->windowTitle().endsWith(QLatin1Char('*')));

        // The edited page itself changed: the user decides, and by default nothing is written.
        rename(0, QStringLiteral("Till"));
        const QByteArray changedPage = replaced(readTestFile(file), "Location=\"-4,237\"", "Location=\"-5,237\"");
        writeTestFile(file, changedPage);
        save();
        QCOMPARE(m_prompts.changedQuestions.size(), 1);
        QCOMPARE(readTestFile(file), changedPage);
    }

    void anUneditedSaveWritesNothing()
    {
        const QString file = path("map_window.xml");
        writeTestFile(file, testBytes(zonefixture::kMapWindow));
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
        QFile handle(file);
        QVERIFY(handle.open(QIODevice::ReadWrite));
        QVERIFY(handle.setFileTime(old, QFileDevice::FileModificationTime));
        handle.close();
        QVERIFY(m_window->openPage(file + QStringLiteral("#zone_harbor")));
        save();
        QCOMPARE(QFileInfo(file).lastModified().toUTC().toSecsSinceEpoch(), old.toSecsSinceEpoch());
        QVERIFY(m_prompts.messages.isEmpty());
    }

    void aChangedFileIsOfferedAgainWhenTheWindowIsActivated()
    {
        const QString file = path("map_window.xml");
        writeTestFile(file, testBytes(zonefixture::kMapWindow));
        QVERIFY(m_window->openPage(file + QStringLiteral("#zone_harbor")));
        const QByteArray theirs = replaced(testBytes(zonefixture::kMapWindow), "Name=\"Gate  West\"", "Name=\"Gate\"");
        writeTestFile(file, theirs);
        m_prompts.confirmAnswers.enqueue(true);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(m_window.get(), &activate);
        runEventLoopFor(30);
        QCOMPARE(m_prompts.questions,
                 QStringList{QStringLiteral("map_window.xml was changed by another program. Read it again?")});
        QCOMPARE(std::string(m_window->editor().xmlscan().Root().Items().Item(1)->Properties().Find("Name")->Value()),
                 std::string("Gate"));

        // Asked once for each change, and never over unsaved edits.
        QApplication::sendEvent(m_window.get(), &activate);
        runEventLoopFor(30);
        rename(0, QStringLiteral("Till"));
        writeTestFile(file, testBytes(zonefixture::kMapWindow));
        QApplication::sendEvent(m_window.get(), &activate);
        runEventLoopFor(30);
        QCOMPARE(m_prompts.questions.size(), 1);
    }

    void nestedPagesThatCannotBeMappedAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut in a comment")
            << testBytes(zonefixture::kMapWindow) + "<!-- cut"
            << QStringLiteral("Error : Loading File\na comment is not closed (line 21, column 1)");
        // The game's templates are no map: with no zone page the file is still not an icon page.
        QTest::newRow("only the templates of \"Icons\"")
            << QByteArray("<Page Name=\"Map\">\r\n  <Page Name=\"MapPage\">\r\n    <Page Name=\"Icons\">\r\n"
                          "      <Icon Name=\"t\" Location=\"0,0\" Size=\"12,12\"/>\r\n    </Page>\r\n"
                          "  </Page>\r\n</Page>\r\n")
            << QStringLiteral("Error : Loading File\nthe file holds pages inside pages, but none of them is a "
                              "page of icons");
        QTest::newRow("a map style file")
            << QByteArray("\xEF\xBB\xBF<MapStyles>\r\n  <ImageStyle Name=\"a\" zonerect=\"0,0,1,1\">\r\n"
                          "    <Image Source=\"images\\maps\\a.dds\"/>\r\n  </ImageStyle>\r\n</MapStyles>\r\n")
            << QStringLiteral("Error : Loading File\na map style file, not a page of POIs");
    }

    void nestedPagesThatCannotBeMappedAreRefused()
    {
        // The icon page reader would stop after the root and take the file: its save would then
        // rewrite the whole file in its own layout.
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = path("map_window.xml");
        writeTestFile(file, bytes);
        QVERIFY(!m_window->openPage(file));
        QCOMPARE(m_prompts.messages, QStringList{message});
        QVERIFY(!m_window->state().DocLoaded);
        QCOMPARE(readTestFile(file), bytes);
    }

    void anEmptyZonePageOpensThroughThePicker()
    {
        const QString file = path("poi_exile.xml");
        const QByteArray bytes = "\xEF\xBB\xBF<Page Name=\"POI\"><Page Name=\"exile_city\"></Page></Page>";
        writeTestFile(file, bytes);
        whenModal<ZonePagePicker>([](ZonePagePicker* picker) {
            QTest::keyClick(picker->findChild<QLineEdit*>(QStringLiteral("ZonePageFilter")), Qt::Key_Return);
        });
        QVERIFY(m_window->openPage(file));
        QCOMPARE(m_window->state().PageName, std::string("exile_city"));
        whenModal<TForm3>([](TForm3* dialog) { dialog->accept(); });
        m_window->MAPADDExecute();
        save();
        QCOMPARE(readTestFile(file),
                 QByteArray("\xEF\xBB\xBF<Page Name=\"POI\"><Page Name=\"exile_city\">\n"
                            "<Icon Name=\"ID1\" PathFindLocation=\"0.00,0.00,0.00\" PoiDescription=\"ID:1&#xA;0.00,0.00,0.00\" "
                            "PoiKeyword=\"clst\" PoiResource=\"clst\" PoiType=\"CLST\" Tooltip=\"AnyWhere\"/>\n</Page></Page>"));
    }
};

QTEST_MAIN(DiskChangeTest)
#include "DiskChangeTest.moc"
