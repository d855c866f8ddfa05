// The unsaved-changes question before opening another page or closing the window, and the
// title's mark while the page has unsaved changes.
#include "app/Captions.h"
#include "document/IconPageFixture.h"

#include <QUndoStack>

namespace {

using PageText::Poi;

QByteArray pageBytes(const QByteArray& name)
{
    Poi poi{name, "10,20"};
    return PageText::page(PageText::iconLines({poi}));
}

// The ways the window leaves a page.
enum class Leave { FileOpen, Close, Exit, Recent };

}  // namespace

Q_DECLARE_METATYPE(Leave)
Q_DECLARE_METATYPE(SaveAnswer)

class UnsavedChangesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;
    QString m_first;
    QString m_second;

    EditorWindow& w() { return *m_editor; }

    void openFirst()
    {
        m_first = m_folder->writePage(QStringLiteral("icons_first.xml"), pageBytes("One"));
        m_second = m_folder->writePage(QStringLiteral("icons_second.xml"), pageBytes("Two"));
        QVERIFY(w().openShown(m_first));
    }

    void rename(const QString& text)
    {
        w().clickPoi(QStringLiteral("One"));
        w().name()->selectAll();
        QTest::keyClicks(w().name(), text);
    }

    // Leaves the page the given way; true when the window went on (page opened, window closed).
    bool leave(Leave how)
    {
        switch (how) {
        case Leave::FileOpen:
            w().prompts.fileAnswers.enqueue(m_second);
            w().trigger("FileOpen");
            return w().state().CurrentFile == m_second.toStdString();
        case Leave::Recent:
            w().window.openRecentPage(m_second);
            return w().state().CurrentFile == m_second.toStdString();
        case Leave::Close:
            return w().window.close();
        case Leave::Exit:
            w().trigger("FileExit");
            return !w().window.isVisible();
        }
        return false;
    }

    QString title() const { return m_editor->window.windowTitle(); }
    void idle() { runEventLoopFor(20); }  // the Update handlers run when the loop goes idle

private slots:
    void init()
    {
        qRegisterMetaType<Leave>();
        qRegisterMetaType<SaveAnswer>();
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup()
    {
        m_editor.reset();
        m_folder.reset();
    }

    void answers_data()
    {
        QTest::addColumn<Leave>("how");
        QTest::addColumn<SaveAnswer>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QByteArray>("savedName");  // the first page's POI name on disk afterwards
        const struct {
            const char* name;
            Leave how;
        } ways[] = {{"open", Leave::FileOpen}, {"close", Leave::Close}, {"exit", Leave::Exit},
                    {"recent", Leave::Recent}};
        for (const auto& way : ways) {
            QTest::addRow("%s, save", way.name) << way.how << SaveAnswer::Save << true << QByteArray("Changed");
            QTest::addRow("%s, discard", way.name) << way.how << SaveAnswer::Discard << true << QByteArray("One");
            QTest::addRow("%s, cancel", way.name) << way.how << SaveAnswer::Cancel << false << QByteArray("One");
        }
    }

    void answers()
    {
        QFETCH(Leave, how);
        QFETCH(SaveAnswer, answer);
        QFETCH(bool, goesOn);
        QFETCH(QByteArray, savedName);
        openFirst();
        rename(QStringLiteral("Changed"));  // still pending: counts as unsaved
        w().prompts.saveAnswers.enqueue(answer);

        QCOMPARE(leave(how), goesOn);
        QCOMPARE(w().prompts.saveQuestions.size(), 1);
        const SaveQuestion& question = w().prompts.saveQuestions.first();
        const Language language = w().window.language();
        QCOMPARE(question.text, caption(language, "SaveQuestion").arg(QStringLiteral("icons_first.xml")));
        QCOMPARE(QStringList({question.save, question.discard, question.cancel}),
                 QStringList({caption(language, "SaveAnswer.save"), caption(language, "SaveAnswer.discard"),
                              caption(language, "SaveAnswer.cancel")}));
        QVERIFY(!question.save.isEmpty() && !question.discard.isEmpty() && !question.cancel.isEmpty());
        QCOMPARE(readFile(m_first), pageBytes(savedName));
        if (!goesOn) {
            // Nothing was lost: the edit is still there to be saved.
            QCOMPARE(w().state().CurrentFile, m_first.toStdString());
            QVERIFY(w().editor().IsModified());
            QVERIFY(w().window.isVisible());
            QCOMPARE(w().name()->text(), QStringLiteral("Changed"));  // still waiting to apply
            w().trigger("FileSave");
            QCOMPARE(readFile(m_first), pageBytes("Changed"));
        }
    }

    void failedSaveCancels_data()
    {
        QTest::addColumn<Leave>("how");
        QTest::newRow("open") << Leave::FileOpen;
        QTest::newRow("close") << Leave::Close;
    }

    void failedSaveCancels()
    {
        QFETCH(Leave, how);
        openFirst();
        rename(QStringLiteral("Changed"));
        w().runOutApplyTimer();
        // The page's folder is gone: the save cannot write it.
        m_second = m_folder->root() + QStringLiteral("icons_second.xml");
        writeFile(m_second, pageBytes("Two"));
        QVERIFY(QDir(m_folder->pageFolder()).removeRecursively());
        w().prompts.saveAnswers.enqueue(SaveAnswer::Save);

        QVERIFY(!leave(how));
        QCOMPARE(w().prompts.messages.size(), 1);  // the save's own failure message
        QVERIFY(w().window.isVisible());
        QCOMPARE(w().state().CurrentFile, m_first.toStdString());
        QVERIFY(w().editor().IsModified());
    }

    // A page that does not read is refused whole: the edited page stays shown, still unsaved.
    void failedOpenKeepsTheEditedPage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("applied");  // the edit went into the POI before the open
        const QByteArray whole = pageBytes("Two");
        QTest::newRow("cut short, edit applied") << whole.left(whole.size() / 2) << true;
        QTest::newRow("empty file, edit pending") << QByteArray() << false;
    }

    void failedOpenKeepsTheEditedPage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, applied);
        openFirst();
        writeFile(m_second, bytes);
        rename(QStringLiteral("Changed"));
        if (applied)
            w().runOutApplyTimer();
        const QRect marker = w().panel()->markerRect(0);
        w().prompts.saveAnswers.enqueue(SaveAnswer::Discard);

        QVERIFY(!leave(Leave::FileOpen));
        idle();
        QCOMPARE(w().prompts.saveQuestions.size(), 1);
        QCOMPARE(w().prompts.messages.size(), 1);
        QVERIFY(w().prompts.messages.first().startsWith(QLatin1String("Error : Loading File")));
        QVERIFY(w().state().DocLoaded);
        QCOMPARE(w().state().CurrentFile, m_first.toStdString());
        QCOMPARE(title(), QStringLiteral("VynMAP Editor [icons_first.xml]*"));
        QCOMPARE(w().panel()->markerCount(), 1);
        QCOMPARE(w().panel()->markerRect(0), marker);
        QCOMPARE(w().name()->text(), QStringLiteral("Changed"));
        QVERIFY(w().editor().IsModified());
        // The edit is still the user's to save, into the page it belongs to.
        w().trigger("FileSave");
        QCOMPARE(w().prompts.messages.size(), 1);
        QCOMPARE(readFile(m_first), pageBytes("Changed"));
        QCOMPARE(readFile(m_second), bytes);
    }

    void noQuestionWithoutChanges()
    {
        openFirst();
        const QString before = title();
        rename(QStringLiteral("One"));  // typed, applied, and the same as before
        w().runOutApplyTimer();
        idle();
        QVERIFY(!w().editor().IsModified());
        QCOMPARE(title(), before);
        QVERIFY(leave(Leave::FileOpen));
        QVERIFY(w().prompts.saveQuestions.isEmpty());
        QVERIFY(w().window.close());
        QVERIFY(w().prompts.saveQuestions.isEmpty());
    }

    void titleMark()
    {
        openFirst();
        const QString clean = QStringLiteral("VynMAP Editor [icons_first.xml]");
        idle();
        QCOMPARE(title(), clean);
        rename(QStringLiteral("Changed"));
        idle();
        QCOMPARE(title(), clean + QLatin1Char('*'));  // pending edits count
        w().runOutApplyTimer();
        idle();
        QCOMPARE(title(), clean + QLatin1Char('*'));
        w().trigger("EditUndo");
        QCOMPARE(title(), clean);  // back where it was read
        w().trigger("EditRedo");
        QCOMPARE(title(), clean + QLatin1Char('*'));
        w().trigger("FileSave");
        QCOMPARE(title(), clean);
        w().trigger("EditUndo");  // saved is the new clean state
        QCOMPARE(title(), clean + QLatin1Char('*'));
    }

    // After Delete POI the fields still show the deleted POI; typing there changes no page.
    void editsInFieldsOfNoPoiAreNoUnsavedChanges()
    {
        openFirst();
        w().clickPoi(QStringLiteral("One"));
        w().prompts.confirmAnswers << true;
        w().trigger("MAPDEL");
        w().trigger("FileSave");
        QTest::keyClicks(w().name(), "x");
        idle();
        QCOMPARE(title(), QStringLiteral("VynMAP Editor [icons_first.xml]"));
    }

    void rearrangingSaveKeepsNoStaleSteps()
    {
        const QByteArray lines = "<Icon Name=\"One\" Location=\"1,2\" IconStyle=\"NPC\" Size=\"12,12\""
                                 " Tooltip=\"t\" pathfindlocation=\"0, 0, 0\" ScrollExtent=\"12,12\"/>\r\n";
        m_first = m_folder->writePage(QStringLiteral("icons_first.xml"), PageText::page(lines));
        QVERIFY(w().openShown(m_first));
        rename(QStringLiteral("Changed"));
        w().runOutApplyTimer();
        w().state().RearrangeOnSave = true;
        w().trigger("FileSave");
        QVERIFY(!w().editor().IsModified());
        // The properties moved: steps naming them by place are gone rather than wrong.
        QVERIFY(!w().editor().undoStack().canUndo());
    }
};

QTEST_MAIN(UnsavedChangesTest)
#include "UnsavedChangesTest.moc"
