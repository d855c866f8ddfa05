// The page document without any window: several files open at once, each with its own history,
// unsaved state and save.

#include "document/IconPageCommands.h"
#include "document/PageDocument.h"
#include "helpers/ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <array>
#include <memory>

namespace {

const char* const kSample = VYNMAP_EXAMPLES "/UI/Sample/";

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One document of its own, on its own state, as the workspace keeps several.
struct OpenFile {
    EditorState state;
    ScriptedPrompts prompts;
    PageDocument document{state, prompts};
    QString path;
    QByteArray read;

    explicit OpenFile(const QString& file) : path(file), read(bytesOf(file))
    {
        state.BaseFolder = kSample;
        state.DefaultFolder = kSample;
    }

    // POI 0 named `name`, as one step.
    void rename(const std::string& name)
    {
        std::unique_ptr<TSimpleXMLElem> after = CopyElement(*document.root().Items().Item(0));
        after->Properties().Find("Name")->SetValue(name);
        document.editPoi(0, std::move(after));
    }
    std::string firstName() { return document.root().Items().Item(0)->Properties().Find("Name")->Value(); }
};

}  // namespace

class PageDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void threeFilesEditUndoAndSaveApart()
    {
        QTemporaryDir dir;
        const std::array<const char*, 3> names = {"vynmap/icons_harbor_town.xml", "map_window_sample.xml",
                                                  "poi_sample.xml"};
        std::array<std::unique_ptr<OpenFile>, 3> files;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const QString copy = dir.filePath(QStringLiteral("file%1.xml").arg(i));
            QVERIFY(QFile::copy(QLatin1String(kSample) + QLatin1String(names[i]), copy));
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
            files[i] = std::make_unique<OpenFile>(copy);
            QVERIFY2(files[i]->document.open(copy), names[i]);
            QVERIFY(!files[i]->document.isModified());
        }
        std::array<std::string, 3> before;
        for (std::size_t i = 0; i < files.size(); ++i) {
            before[i] = files[i]->firstName();
            files[i]->rename("Edited " + std::to_string(i));
        }
        for (auto& file : files)
            QVERIFY(file->document.isModified());

        // Undo in one changes none of the others.
        files[1]->document.undoStack().undo();
        QCOMPARE(files[1]->firstName(), before[1]);
        QVERIFY(!files[1]->document.isModified());
        QCOMPARE(files[0]->firstName(), std::string("Edited 0"));
        QVERIFY(files[2]->document.isModified());

        // Each saves its own file: the one undone is left as it was.
        QVERIFY(files[0]->document.save(false));
        QVERIFY(files[2]->document.save(false));
        QVERIFY(!files[0]->document.isModified());
        QVERIFY(!files[2]->document.isModified());
        QVERIFY(files[1]->prompts.messages.isEmpty());
        QCOMPARE(bytesOf(files[1]->path), files[1]->read);
        QVERIFY(bytesOf(files[0]->path).contains("Name=\"Edited 0\""));
        // A file of zone pages changes in the edited bytes alone.
        QByteArray expected = files[2]->read;
        const QByteArray old = QByteArray("Name=\"") + QByteArray::fromStdString(before[2]) + '"';
        expected.replace(expected.indexOf(old), old.size(), "Name=\"Edited 2\"");
        QCOMPARE(bytesOf(files[2]->path), expected);

        // After the save, the history still steps back, and that is unsaved again.
        files[2]->document.undoStack().undo();
        QVERIFY(files[2]->document.isModified());
        QCOMPARE(files[2]->firstName(), before[2]);
    }

    void failedOpenKeepsThePageAndItsEdits()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("poi.xml"));
        QVERIFY(QFile::copy(QLatin1String(kSample) + QLatin1String("poi_sample.xml"), copy));
        OpenFile file(copy);
        QVERIFY(file.document.open(copy));
        file.rename("Kept");
        const QString broken = dir.filePath(QStringLiteral("broken.xml"));
        QFile out(broken);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<Page Name=\"x\"><Page Name=\"y\"><Icon Name=\"a\"</Page>");
        out.close();
        QVERIFY(!file.document.open(broken));
        QCOMPARE(file.prompts.messages.size(), 1);
        QCOMPARE(QString::fromStdString(file.document.path()), copy);
        QCOMPARE(file.firstName(), std::string("Kept"));
        QVERIFY(file.document.isModified());
    }
};

QTEST_MAIN(PageDocumentTest)
#include "PageDocumentTest.moc"
