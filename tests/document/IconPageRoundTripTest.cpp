// Saving icon pages: unchanged pages come back byte for byte, the byte order mark rule, the
// property rearrangement, the messages without a page, and saves that fail without harming the
// existing file.
#include "IconPageFixture.h"
#ifndef _WIN32
#include "helpers/FileSizeLimit.h"
#endif

#include <QApplication>
#include <QDirIterator>

using namespace PageText;

namespace {

// Everything of a document that a save must keep: every item's kind, name and value, every
// property's name and value, in order.
void describe(const TSimpleXMLElem& item, const QString& path, QStringList& out)
{
    const QString here = path + QLatin1Char('/') + QString::fromStdString(item.Name());
    out << QStringLiteral("%1 kind=%2 value=[%3]")
               .arg(here)
               .arg(static_cast<int>(item.Kind()))
               .arg(QString::fromStdString(item.Value()));
    if (const TSimpleXMLProps* props = item.PropertiesIfAny()) {
        for (int i = 0; i < props->Count(); ++i)
            out << QStringLiteral("%1 @%2=[%3]")
                       .arg(here, QString::fromStdString(props->Item(i)->Name()),
                            QString::fromStdString(props->Item(i)->Value()));
    }
    if (const TSimpleXMLElems* items = item.ItemsIfAny()) {
        for (int i = 0; i < items->Count(); ++i)
            describe(*items->Item(i), here, out);
    }
}

QStringList describePage(const QString& path)
{
    TSimpleXML document;
    ConfigureIconPageDocument(document);
    LoadIconPageDocument(document, path.toStdString());
    QStringList out;
    describe(document.Root(), QString(), out);
    return out;
}

const QString kPage = QStringLiteral("icons_test.xml");

}  // namespace

// Round trips and save rules of icon pages.
class IconPageRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void unchangedPageSavesSameBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("writeBom");

        const QList<Poi> two = {{"Harbor", "10,20"}, {"Gate", "30,40", "LOC"}};
        const QByteArray plain = page(iconLines(two));
        QTest::newRow("no byte order mark") << plain << false;
        QTest::newRow("byte order mark") << withBom(plain) << true;
        QTest::newRow("empty page") << page(QByteArray()) << false;

        Poi korean{"대장간", "5,6", "NPC"};
        korean.tooltip = "무기와 방어구를 고칩니다.";
        QTest::newRow("Korean text")
            << withBom(page(iconLine(korean), "Name=\"hanok\" 1location=\"한옥 마을\" Size=\"436,506\"")) << true;

        Poi entities{"A &amp; B", "1,2", "QST"};
        entities.tooltip = "&amp;lt; is not &lt; &gt; &quot;quoted&quot; &apos;x&apos;";
        QTest::newRow("entities") << page(iconLine(entities)) << false;

        // Numeric references come back as they were; text that only looks like one stays escaped.
        Poi references{"Inn&#xA;North", "1,2", "NPC"};
        references.tooltip = "Rooms&#10;&#x9;Food &amp; drink&#x1F600;";
        QTest::newRow("numeric references") << page(iconLine(references)) << false;
        Poi lookAlikes{"x", "1,2", "NPC"};
        lookAlikes.tooltip = "&amp;#xZ; &amp;#; &amp;#0; &amp;#X41; &amp;#10";
        QTest::newRow("malformed references") << page(iconLine(lookAlikes)) << false;

        Poi multiLine{"Ship", "3,4", "LOC"};
        multiLine.tooltip = "first line\r\nsecond line\r\n\r\nfourth";
        QTest::newRow("multi-line tooltip") << page(iconLine(multiLine)) << false;

        const QByteArray unknown = "<Icon Extra=\"kept\" IconStyle=\"NPC\" Location=\"1,1\" Name=\"x\" "
                                   "pathfindlocation=\"0, 0, 0\" ScrollExtent=\"12,12\" Size=\"12,12\" "
                                   "Tooltip=\"t\" Zzz=\"\"/>\r\n"
                                   "<Icon Name=\"nested\">\r\n<Sub A=\"1\"/>\r\n</Icon>\r\n"
                                   "<Legend Text=\"not a POI\"/>\r\n";
        QTest::newRow("unknown elements and properties")
            << page(unknown, kRootProperties + " Skin=\"other\"") << false;
        // The parser stops after the root element; what follows must survive a save.
        const QByteArray after = "<!-- kept after the root -->\r\n<Page Name=\"second\"/>\r\n";
        QTest::newRow("content after the root") << QByteArray(plain + after) << false;
        QTest::newRow("content after the root, byte order mark") << withBom(plain + after) << true;
        QTest::newRow("comment before the root")
            << QByteArray(kDeclaration + kCrLf + "<!-- hand made -->" + kCrLf
                          + page(iconLines(two)).mid(kDeclaration.size() + kCrLf.size()))
            << false;
    }

    void unchangedPageSavesSameBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, writeBom);
        UiFolder folder;
        const QString path = folder.writePage(kPage, bytes);
        EditorWindow editor(folder);
        editor.state().WriteBom = writeBom;
        QVERIFY(editor.window.openPage(path));
        // Opening clears the editor, which may start the apply timer; with nothing selected its
        // running out must write nothing.
        if (editor.timer1()->isActive())
            editor.runOutApplyTimer();
        editor.trigger("FileSave");
        QCOMPARE(editor.prompts.messages, QStringList());
        QCOMPARE(editor.prompts.errors, QStringList());
        QCOMPARE(readFile(path), bytes);
    }

    void valuesHeldDecoded()
    {
        UiFolder folder;
        Poi poi{"A &amp; B", "1,2", "QST"};
        poi.tooltip = "&amp;lt;";
        const QString path = folder.writePage(kPage, page(iconLine(poi)));
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(path));
        QCOMPARE(editor.value(0, "Name"), std::string("A & B"));
        QCOMPARE(editor.topLevelTexts(), QStringList{"A & B"});
        // One level of references only: &amp;lt; is the four characters &lt;.
        QCOMPARE(editor.value(0, "Tooltip"), std::string("&lt;"));
    }

    void numericReferencesShownAsTheirText()
    {
        UiFolder folder;
        Poi poi{"Inn&#xA;North", "1,2", "NPC"};
        poi.tooltip = "a&#10;b";
        const QString path = folder.writePage(kPage, page(iconLine(poi)));
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(path));
        QCOMPARE(editor.topLevelTexts(), QStringList{"Inn&#xA;North"});
        QCOMPARE(editor.value(0, "Tooltip"), std::string("a&#10;b"));
    }

    void oneLocationSavedLowerCase()
    {
        UiFolder folder;
        const QByteArray lines = iconLine({"Gate"});
        const QString path = folder.writePage(
            kPage, page(lines, "Name=\"test_map\" 1LOCATION=\"Upper Zone\" Size=\"436,506\""));
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(path));
        QCOMPARE(editor.control<QLineEdit>("FlatEdit4")->text(), QStringLiteral("Upper Zone"));
        QCOMPARE(editor.topLevelTexts(), QStringList{"Gate"});
        editor.trigger("FileSave");
        QCOMPARE(readFile(path), page(lines, "Name=\"test_map\" 1location=\"Upper Zone\" Size=\"436,506\""));
    }

    void samplePagesKeepEverything_data()
    {
        QTest::addColumn<QString>("sample");
        QDirIterator pages(QStringLiteral(VYNMAP_EXAMPLES "/UI/Sample/vynmap"), {QStringLiteral("icons_*.xml")});
        int count = 0;
        while (pages.hasNext()) {
            const QString path = pages.next();
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
            ++count;
        }
        QVERIFY(count > 0);
    }

    // A page keeps all its content through an unchanged save (only layout, quotes and line ends
    // may change); a page the editor wrote comes back byte for byte.
    void samplePagesKeepEverything()
    {
        QFETCH(QString, sample);
        UiFolder folder;
        const QString path = folder.writePage(QFileInfo(sample).fileName(), readFile(sample));
        for (const bool writeBom : {false, true}) {
            EditorWindow editor(folder);
            editor.state().WriteBom = writeBom;
            QVERIFY(editor.window.openPage(path));
            QVERIFY(editor.topLevelCount() > 0);
            const QString copy = folder.pagePath(QStringLiteral("icons_copy.xml"));
            editor.prompts.fileAnswers.enqueue(copy);
            editor.trigger("FileSaveAs");
            QCOMPARE(editor.prompts.messages, QStringList());
            QCOMPARE(describePage(copy), describePage(sample));
            const QByteArray firstSave = readFile(copy);
            // The samples are stored as the editor writes them by default (no byte order mark
            // on an English system), so opening and saving one changes no byte.
            if (!writeBom)
                QCOMPARE(firstSave, readFile(sample));

            EditorWindow again(folder);
            again.state().WriteBom = writeBom;
            QVERIFY(again.window.openPage(copy));
            again.trigger("FileSave");
            QCOMPARE(readFile(copy), firstSave);
        }
    }

    void byteOrderMarkRule_data()
    {
        QTest::addColumn<bool>("sourceHasBom");
        QTest::addColumn<bool>("writeBom");
        QTest::newRow("added") << false << true;
        QTest::newRow("kept") << true << true;
        QTest::newRow("dropped") << true << false;
    }

    // With the mark: EF BB BF, the first line ended by a single LF, every later one by CR LF.
    void byteOrderMarkRule()
    {
        QFETCH(bool, sourceHasBom);
        QFETCH(bool, writeBom);
        const QByteArray plain = page(iconLines({{"a"}, {"b"}}));
        UiFolder folder;
        const QString path = folder.writePage(kPage, sourceHasBom ? withBom(plain) : plain);
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(path));
        if (editor.state().WriteBom != writeBom)
            editor.trigger("FileSaveBOM");  // the menu option
        QCOMPARE(editor.state().WriteBom, writeBom);
        editor.trigger("FileSave");
        const QByteArray saved = readFile(path);
        QCOMPARE(saved, writeBom ? withBom(plain) : plain);
        if (writeBom) {
            QVERIFY(saved.startsWith(kBom + kDeclaration + "\n<Page "));
            QCOMPARE(saved.count("\r\n"), plain.count("\r\n") - 1);
        }
    }

    void rearrangeOnSave()
    {
        const QByteArray before =
            "<Icon Name=\"n\" Location=\"1,2\" Foo=\"x\" IconStyle=\"NPC\"/>\r\n"
            "<Icon Name=\"first\" Name=\"second\" Tooltip=\"t\" location=\"3,4\"/>\r\n"
            "<icon Name=\"lower\" Location=\"5,6\" Foo=\"y\" IconStyle=\"LOC\"/>\r\n";
        const QByteArray after =
            "<Icon IconStyle=\"NPC\" Location=\"1,2\" Name=\"n\"/>\r\n"
            "<Icon location=\"3,4\" Name=\"first\" Tooltip=\"t\"/>\r\n"
            "<icon Name=\"lower\" Location=\"5,6\" Foo=\"y\" IconStyle=\"LOC\"/>\r\n";
        UiFolder folder;
        const QString path = folder.writePage(kPage, page(before));
        EditorWindow editor(folder);
        editor.state().WriteBom = false;
        QVERIFY(editor.window.openPage(path));
        editor.trigger("FileSaveARR");
        QVERIFY(editor.state().RearrangeOnSave);

        // Save As cancelled: nothing written, the file name kept, yet the document is rearranged.
        editor.trigger("FileSaveAs");
        QCOMPARE(editor.prompts.dialogs.size(), 1);
        QCOMPARE(editor.prompts.dialogs.first().initialFile, kPage);
        QCOMPARE(editor.state().CurrentFile, path.toStdString());
        QCOMPARE(readFile(path), page(before));
        QCOMPARE(QString::fromStdString(editor.editor().xmlscan().SaveToString()), QString(page(after)));

        editor.trigger("FileSave");
        QCOMPARE(editor.prompts.messages, QStringList());
        QCOMPARE(readFile(path), page(after));
    }

    void saveAsWritesChosenFile()
    {
        UiFolder folder;
        const QByteArray bytes = page(iconLine({"a"}));
        const QString path = folder.writePage(kPage, bytes);
        EditorWindow editor(folder);
        editor.state().WriteBom = false;
        QVERIFY(editor.window.openPage(path));
        const QString other = folder.pagePath(QStringLiteral("icons_other.xml"));
        editor.prompts.fileAnswers.enqueue(other);
        editor.trigger("FileSaveAs");
        QCOMPARE(editor.prompts.dialogs.first().initialFolder, QFileInfo(path).absolutePath());
        QCOMPARE(readFile(other), bytes);
        QCOMPARE(editor.state().CurrentFile, other.toStdString());
        // The file written is the open one now, and the title names it.
        QCOMPARE(editor.window.windowTitle(), QStringLiteral("VynMAP Editor [icons_other.xml]"));
    }

    void noFileLoaded_data()
    {
        QTest::addColumn<QString>("actionName");
        QTest::newRow("Save") << QStringLiteral("FileSave");
        QTest::newRow("Save As") << QStringLiteral("FileSaveAs");
    }

    void noFileLoaded()
    {
        QFETCH(QString, actionName);
        UiFolder folder;
        EditorWindow editor(folder);
        editor.trigger(actionName.toLatin1().constData());
        QCOMPARE(editor.prompts.messages, QStringList{"No File Loaded"});
        QCOMPARE(editor.prompts.errors, QStringList());
        QVERIFY(editor.prompts.dialogs.isEmpty());
    }

    void saveKeepsPermissions()
    {
#ifdef _WIN32
        QSKIP("Windows files have no owner, group and other modes (the read-only attribute is checked with the Windows saves)");
#endif
        UiFolder folder;
        const QString path = folder.writePage(kPage, page(iconLine({"a"})));
        const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, permissions));
        EditorWindow editor(folder);
        QVERIFY(editor.window.openPage(path));
        editor.trigger("FileSave");
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
#ifndef _WIN32  // Windows has no file size limit to make a write fail part way
        QTest::newRow("file size limit") << QStringLiteral("limit");
#endif
        QTest::newRow("folder replaced by a file") << QStringLiteral("folder");
        QTest::newRow("target is a folder") << QStringLiteral("directory");
    }

    // Tests run as root, where a read-only folder stops nothing; these failures stop root too.
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, how);
        UiFolder folder;
        const QByteArray original = withBom(page(iconLines({{"old"}, {"older"}})));
        const QString path = folder.writePage(kPage, original);
        EditorWindow editor(folder);
        editor.state().WriteBom = false;  // the new bytes differ from the old ones
        QVERIFY(editor.window.openPage(path));
        QString kept = path;
        QByteArray keptBytes = original;
        if (how == QLatin1String("limit")) {
#ifndef _WIN32
            const FileSizeLimit limit(static_cast<rlim_t>(original.size() / 2));
            editor.trigger("FileSave");
#endif
        } else if (how == QLatin1String("folder")) {
            QVERIFY(QDir(folder.pageFolder()).removeRecursively());
            kept = QDir::cleanPath(folder.pageFolder());
            keptBytes = "not a folder";
            writeFile(kept, keptBytes);
            editor.trigger("FileSave");
        } else {
            const QString target = folder.pagePath(QStringLiteral("icons_folder.xml"));
            QVERIFY(QDir().mkpath(target));
            editor.prompts.fileAnswers.enqueue(target);
            editor.trigger("FileSaveAs");
            QVERIFY(QFileInfo(target).isDir());
            QVERIFY(QDir(target).isEmpty());
        }
        // One message: the described line, then the file and the system's reason.
        QCOMPARE(editor.prompts.messages.size(), 1);
        QVERIFY2(editor.prompts.messages.first().startsWith(QLatin1String("Error in saving file\n")),
                 qPrintable(editor.prompts.messages.first()));
        QVERIFY2(editor.prompts.messages.first().contains(QLatin1String("icons_")),
                 qPrintable(editor.prompts.messages.first()));
        QCOMPARE(editor.prompts.errors, QStringList());
        QCOMPARE(readFile(kept), keptBytes);
        // Nothing half-written is left beside it.
        if (how != QLatin1String("folder"))
            QCOMPARE(QDir(folder.pageFolder()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{kPage});
        QVERIFY(editor.state().DocLoaded);
    }
};

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    IconPageRoundTripTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "IconPageRoundTripTest.moc"
