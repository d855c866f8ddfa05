// The random sequences of edits on the page document alone, without a window: the same files and
// the same checks as the window's sequences (a save reads back as the POIs held, undoing every
// step since the file was read gives its bytes again), many times as many sequences a second.
#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "document/PageDocument.h"
#include "document/PoiGroupCommands.h"
#include "helpers/ScriptedPrompts.h"
#include "helpers/SequenceFiles.h"
#include "helpers/TestFiles.h"
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"
#include "tools/PoiClipboard.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <memory>
#include <random>

using namespace SequenceFiles;

namespace {

enum class Step { Switch, Type, Move, Add, Delete, Paste, Undo, Redo, Save, DiskChange, Count };

const char* stepName(Step step)
{
    static const char* const names[] = {"switch", "type", "move", "add",  "delete",
                                        "paste",  "undo", "redo", "save", "disk change"};
    return names[static_cast<int>(step)];
}

}  // namespace

class DocumentSequenceTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    EditorState m_state;
    std::unique_ptr<PageDocument> m_document;
    std::mt19937 m_random;
    QString m_path;
    QString m_trail;
    std::string m_asRead;
    bool m_historyWhole = true;

    int pick(int count) { return count <= 0 ? 0 : std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    PageDocument& document() { return *m_document; }
    TSimpleXMLElem& root() { return document().root(); }
    int poiCount() { return root().ItemCount(); }
    std::string pageBytes() { return document().source().bytes(document().xml(), m_state); }

    void open(const char* bytes)
    {
        m_state = EditorState();
        m_state.BaseFolder = m_dir.filePath(QStringLiteral("UI/Test/")).toStdString();
        m_document = std::make_unique<PageDocument>(m_state, m_prompts);
        m_path = m_dir.filePath(QStringLiteral("UI/Test/POI/pack file.xml"));
        writeTestFile(m_path, QByteArray(bytes));
        QVERIFY(document().open(m_path, 0));
        m_asRead = bytes;
        m_historyWhole = true;
    }

    // Typing in the name field of a POI, handed over by the panel's apply.
    void type(int poi)
    {
        PendingEdit& pending = document().pendingEdit();
        pending.fill(poi);
        pending.shown = PendingEdit::Name;
        pending.edited = PendingEdit::Name;
        PoiFieldValues fields;
        fields.name = std::string(ValueOrEmpty(*root().Items().Item(poi), "Name")) + "x'&";
        document().applyFields(poi, fields);
    }

    void move(int poi)
    {
        const TSimpleXMLElem* element = root().Items().Item(poi);
        std::unique_ptr<TSimpleXMLElem> after = CopyElement(*element);
        if (MovePoiBy(*after, pick(41) - 20, pick(41) - 20, PageKindOf(document().source(), m_state), false))
            document().editPoi(poi, std::move(after));
    }

    void perform(Step step)
    {
        const int count = poiCount();
        const int poi = pick(count);
        PageSource& source = document().source();
        switch (step) {
        case Step::Switch: {
            const int page = pick(static_cast<int>(source.pages().size()));
            if (page != source.shownPage())
                m_historyWhole = false;  // the history of a page left means nothing on another
            QVERIFY(document().showPage(page));
            break;
        }
        case Step::Type:
            if (count > 0)
                type(poi);
            break;
        case Step::Move:
            if (count > 0)
                move(poi);
            break;
        case Step::Add: {
            NewPoiFields fields;
            fields.name = "Added 'one'";
            source.addPoi(root(), fields, source.newIconTemplate(root(), -1));
            document().recordAddedPoi(poiCount() - 1);
            break;
        }
        case Step::Delete:
            document().deletePoi(poi);
            break;
        case Step::Paste:
            if (count > 0) {
                std::vector<PoiGroupInsertCommand::Entry> entries;
                entries.push_back({count, CopyElement(*root().Items().Item(poi))});
                document().undoStack().push(new PoiGroupInsertCommand(document(), std::move(entries), true));
            }
            break;
        case Step::Undo:
            document().undoStack().undo();
            break;
        case Step::Redo:
            document().undoStack().redo();
            break;
        case Step::Save:
            document().save(false);
            verifySaveReadsBack();
            break;
        case Step::DiskChange:
            changeOnDiskAndReopen();
            break;
        case Step::Count:
            break;
        }
    }

    void verifySaveReadsBack()
    {
        if (document().isModified())
            return;
        const QByteArray bytes = readTestFile(m_path);
        ZonePageFile file(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        TSimpleXML read;
        ConfigureIconPageXml(read);
        file.show(document().source().shownPage(), read);
        QCOMPARE(poisOf(read.Root()), poisOf(root()));
    }

    void changeOnDiskAndReopen()
    {
        if (document().isModified())
            return;
        QByteArray bytes = readTestFile(m_path);
        const int at = bytes.indexOf("Tooltip=\"");
        if (at < 0)
            return;
        bytes.insert(at + 9, "Re ");
        writeTestFile(m_path, bytes);
        QVERIFY(document().open(m_path, std::max(document().source().shownPage(), 0)));
        m_asRead = bytes.toStdString();
        m_historyWhole = true;
    }

    void verifyUndoAllGivesTheBytesAsRead()
    {
        QUndoStack& stack = document().undoStack();
        const QList<QStringList> shown = poisOf(root());
        const int steps = stack.index();
        for (int i = 0; i < steps; ++i)
            stack.undo();
        if (m_historyWhole)
            QCOMPARE(aroundFirstDifference(pageBytes(), m_asRead), aroundFirstDifference(m_asRead, pageBytes()));
        for (int i = 0; i < steps; ++i)
            stack.redo();
        QCOMPARE(poisOf(root()), shown);
    }

private slots:
    void init()
    {
        writeTestFile(m_dir.filePath(QStringLiteral("UI/Test/vynmap/core_mapstyles.xml")), kStyles);
    }

    void randomSequences_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("map pack POI file") << QByteArray(kPoiFile);
        QTest::newRow("game's map window file") << QByteArray(kMapWindowFile);
    }

    void randomSequences()
    {
        QFETCH(QByteArray, file);
        const int sequences = qEnvironmentVariableIntValue("VYNMAP_SEQUENCES") > 0
                                  ? qEnvironmentVariableIntValue("VYNMAP_SEQUENCES")
                                  : 200;
        QElapsedTimer clock;
        clock.start();
        for (int sequence = 0; sequence < sequences; ++sequence) {
            const unsigned seed = 1000u + static_cast<unsigned>(sequence);
            m_random.seed(seed);
            m_prompts = ScriptedPrompts();
            open(file.constData());
            m_trail = QStringLiteral("seed %1:").arg(seed);
            for (int i = 0; i < 40 && !QTest::currentTestFailed(); ++i) {
                const auto step = static_cast<Step>(pick(static_cast<int>(Step::Count)));
                m_trail += QLatin1Char(' ') + QLatin1String(stepName(step));
                perform(step);
            }
            if (!QTest::currentTestFailed())
                verifyUndoAllGivesTheBytesAsRead();
            if (QTest::currentTestFailed()) {
                qWarning("%s", qPrintable(m_trail));
                return;
            }
        }
        qInfo("%d sequences in %lld ms", sequences, static_cast<long long>(clock.elapsed()));
    }
};

QTEST_MAIN(DocumentSequenceTest)
#include "DocumentSequenceTest.moc"
