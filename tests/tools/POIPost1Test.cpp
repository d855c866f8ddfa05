// The POI submission dialog: the body it sends (byte for byte, to a server on 127.0.0.1 that the
// test runs), the type list and its choice rule, the user name kept in the configuration file,
// "Summit Fail.", failed posts and the answer windows.
#include "LocalHttpServer.h"
#include "document/IconPageFixture.h"
#include "helpers/UrlCatcher.h"
#include "tools/POIPost1.h"
#include "tools/PoiAnswerWindow.h"
#include "tools/PoiPoster.h"
#include "support/ConfigRules.h"
#include "tools/PoiSubmission.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QNetworkProxy>
#include <QPushButton>
#include <QTextBrowser>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(PoiSubmission)

namespace {

const QByteArray kWorkedExampleBody =
    "name=Bank&type=LOC: Just a Location, such as any named locations or a rock that is inspecable."
    "&zone=Harbor&loc=10, 2, 30&nodescription=false&description=Bank&submitting=1&username=tester"
    "&summit=Submit this POI";
const QByteArray kContentTypeLine = "\r\nContent-Type: application/x-www-form-urlencoded\r\n";
constexpr int kShortTimeoutMs = 100;

PoiRecord bankRecord()
{
    return PoiRecord{QStringLiteral("Bank"), QStringLiteral("LOC"), QStringLiteral("Harbor"),
                     QStringLiteral("10, 2, 30"), QStringLiteral("Bank")};
}

// Runs `step` on the first shown TForm2 once the modal loop that shows it is running; nothing
// when none is shown then, or when `context` is gone.
void whenDialogShows(QObject* context, std::function<void(TForm2&)> step)
{
    QTimer::singleShot(0, context, [step]() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<TForm2*>(widget); dialog && dialog->isVisible()) {
                step(*dialog);
                return;
            }
        }
    });
}

QList<PoiAnswerWindow*> answerWindows()
{
    QList<PoiAnswerWindow*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* answer = qobject_cast<PoiAnswerWindow*>(widget); answer && answer->isVisible())
            found << answer;
    }
    return found;
}

}  // namespace

class POIPost1Test : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;

    QString configPath() const { return m_dir.filePath(QStringLiteral("editor.INI")); }

    void writeConfig(const QByteArray& text) { writeFile(configPath(), text); }

    std::unique_ptr<TForm2> dialog(const QUrl& endpoint = QUrl())
    {
        auto form = std::make_unique<TForm2>(PoiPostSettings{configPath(), endpoint.toString()}, m_prompts);
        form->fill(bankRecord());
        return form;
    }

    template <typename T>
    static T* control(const QWidget& form, const char* name)
    {
        T* found = form.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    static QStringList items(const QComboBox* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }

private slots:
    void initTestCase()
    {
        // Straight to 127.0.0.1, whatever proxy the environment names.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }

    void init()
    {
        QFile::remove(configPath());
        m_prompts = ScriptedPrompts();
    }

    // Answer windows outlive their dialog; none may outlive the test.
    void cleanup() { qDeleteAll(answerWindows()); }

    void body_data()
    {
        QTest::addColumn<PoiSubmission>("fields");
        QTest::addColumn<QByteArray>("expected");
        const PoiSubmission example{QStringLiteral("Bank"), DefaultPoiTypes().first(), QStringLiteral("Harbor"),
                                    QStringLiteral("10, 2, 30"), QStringLiteral("Bank"), false,
                                    QStringLiteral("tester")};
        QTest::newRow("worked example") << example << kWorkedExampleBody;

        PoiSubmission flagged = example;
        flagged.noDescription = true;
        QByteArray flaggedBody = kWorkedExampleBody;
        flaggedBody.replace("nodescription=false", "nodescription=true");
        QTest::newRow("no description keeps the text") << flagged << flaggedBody;

        PoiSubmission splitting = example;
        splitting.name = QStringLiteral("A&B=C+D 100%");
        QByteArray splittingBody = kWorkedExampleBody;
        splittingBody.replace("name=Bank", "name=A%26B%3DC%2BD 100%25");
        QTest::newRow("separators escaped") << splitting << splittingBody;

        PoiSubmission korean = example;
        korean.zone = QStringLiteral("항구");
        QByteArray koreanBody = kWorkedExampleBody;
        koreanBody.replace("zone=Harbor", "zone=\xED\x95\xAD\xEA\xB5\xAC");
        QTest::newRow("UTF-8 value") << korean << koreanBody;

        PoiSubmission untyped = example;
        untyped.type.clear();
        untyped.description = QStringLiteral("one\r\ntwo");
        QByteArray untypedBody = kWorkedExampleBody;
        untypedBody.replace(DefaultPoiTypes().first().toUtf8(), "");
        untypedBody.replace("description=Bank", "description=one\r\ntwo");
        QTest::newRow("empty type, two lines") << untyped << untypedBody;
    }

    void body()
    {
        QFETCH(PoiSubmission, fields);
        QFETCH(QByteArray, expected);
        QCOMPARE(BuildSubmitBody(fields), expected);
        QCOMPARE(SubmitPayload(BuildSubmitBody(fields)), expected + QByteArray(1, '\0'));
    }

    // The whole road: the POI selected in the main window, the command, the dialog, the server.
    void workedExampleReachesServer()
    {
        LocalHttpServer server;
        QVERIFY(server.listen());
        UiFolder folder;
        writeFile(folder.configPath(), "[CONFIG]\r\nPATH=" + folder.root().toUtf8()
                      + "\r\nUSER=tester\r\nPOIURL=" + server.url().toEncoded() + "\r\n");
        PageText::Poi bank;
        bank.name = "Bank";
        bank.style = "LOC";
        bank.path = "10, 2, 30";
        bank.tooltip = "Bank";
        const QString path = folder.writePage(
            QStringLiteral("icons_harbor.xml"),
            PageText::page(PageText::iconLine(bank), "Name=\"harbor\" 1location=\"Harbor\" Size=\"436,506\""));
        EditorWindow editor(folder);
        QVERIFY(editor.openShown(path));
        editor.clickPoi(QStringLiteral("Bank"));
        QVERIFY(editor.window.action(QStringLiteral("MAPPOI"))->isEnabled());

        bool answered = false;
        QObject context;
        whenDialogShows(&context, [&](TForm2& form) {
            QTest::mouseClick(control<QPushButton>(form, "btn_summit"), Qt::LeftButton);
            answered = QTest::qWaitFor([]() { return !answerWindows().isEmpty(); });
            QTest::mouseClick(control<QPushButton>(form, "Button1"), Qt::LeftButton);
        });
        editor.trigger("MAPPOI");

        QVERIFY(answered);
        QCOMPARE(server.requests.size(), 1);
        const LocalHttpServer::Request& request = server.requests.first();
        QVERIFY2(request.head.startsWith("POST /submitpoi.php HTTP/1.1\r\n"), request.head.constData());
        QVERIFY2((request.head + "\r\n").contains(kContentTypeLine), request.head.constData());
        QCOMPARE(request.body, kWorkedExampleBody + QByteArray(1, '\0'));
        QVERIFY(editor.prompts.messages.isEmpty());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("user label") << "Label5" << " mapboard Username : ";
        QTest::newRow("no description") << "chk_nodesc" << "No description";
        QTest::newRow("send") << "btn_summit" << "Summit";
        QTest::newRow("close") << "Button1" << "&Close";
        QTest::newRow("location label") << "Label1" << "Loc";
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TForm2 form(PoiPostSettings{configPath(), QString()}, m_prompts);
        QCOMPARE(form.windowTitle(), QStringLiteral("POI"));
        QCOMPARE(form.size(), QSize(398, 380));
        QCOMPARE(control<QGroupBox>(form, "GroupBox1")->title(), QStringLiteral(" Map data "));
        const QWidget* widget = control<QWidget>(form, name.toLatin1().constData());
        const QVariant shown = widget->property("text");
        QCOMPARE(shown.toString(), text);
    }

    // A change still waiting for the apply timer is what the dialog shows.
    void pendingEditIsPosted()
    {
        UiFolder folder;
        PageText::Poi poi;
        poi.name = "Bank";
        const QString path = folder.writePage(QStringLiteral("icons_harbor.xml"),
                                              PageText::page(PageText::iconLine(poi)));
        EditorWindow editor(folder);
        QVERIFY(editor.openShown(path));
        editor.clickPoi(QStringLiteral("Bank"));
        editor.memo()->setPlainText(QStringLiteral("edited"));
        QVERIFY(editor.timer1()->isActive());

        QString shownDescription;
        QObject context;
        whenDialogShows(&context, [&](TForm2& form) {
            shownDescription = control<QPlainTextEdit>(form, "ed_desc")->toPlainText();
            form.reject();
        });
        editor.trigger("MAPPOI");
        QCOMPARE(shownDescription, QStringLiteral("edited"));
        QCOMPARE(editor.value(0, "Tooltip"), std::string("edited"));
    }

    void typeChoice_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("selected");  // the start of the selected item; empty: none
        QTest::newRow("NAME selects NAMED") << "NAME" << "NAMED: A specific named enemy";
        QTest::newRow("NAMED itself") << "NAMED" << "NAMED: A specific named enemy";
        QTest::newRow("LOC") << "LOC" << "LOC: Just a Location";
        QTest::newRow("ZONE") << "ZONE" << "ZONE: Zone-line marker.";
        QTest::newRow("NPC") << "NPC" << "NPC: Non Player Character";
        QTest::newRow("CLST has no item") << "CLST" << "";
        QTest::newRow("letter case counts") << "loc" << "";
        QTest::newRow("empty style") << "" << "";
    }

    void typeChoice()
    {
        QFETCH(QString, style);
        QFETCH(QString, selected);
        auto form = dialog();
        PoiRecord record = bankRecord();
        record.iconStyle = style;
        form->fill(record);
        auto* types = control<QComboBox>(*form, "cb_type");
        if (selected.isEmpty())
            QCOMPARE(types->currentIndex(), -1);
        else
            QVERIFY2(types->currentText().startsWith(selected), qPrintable(types->currentText()));

        // What is selected is what is sent, the whole item; nothing selected sends an empty type.
        const QByteArray sentType = selected.isEmpty() ? QByteArray() : types->currentText().toUtf8();
        const QByteArray body = BuildSubmitBody(form->submission());
        QVERIFY2(body.contains("&type=" + sentType + "&zone="), body.constData());
    }

    void chooseType_data()
    {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("index");
        const QStringList custom{"NAME tag", "NAMED boss", "LOCATION", "LOC"};
        QTest::newRow("NAME stands for NAMED") << custom << "NAME" << 1;
        QTest::newRow("first item with the prefix") << custom << "LOC" << 2;
        QTest::newRow("no item") << custom << "ZONE" << -1;
        QTest::newRow("empty list") << QStringList() << "LOC" << -1;
    }

    void chooseType()
    {
        QFETCH(QStringList, types);
        QFETCH(QString, style);
        QFETCH(int, index);
        QCOMPARE(ChoosePoiType(types, style), index);
    }

    void typeList_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no configuration file") << QByteArray() << DefaultPoiTypes();
        QTest::newRow("no MAPTYPES section") << QByteArray("[CONFIG]\r\nUSER=x\r\n") << DefaultPoiTypes();
        QTest::newRow("empty MAPTYPES section") << QByteArray("[MAPTYPES]\r\n[CONFIG]\r\n") << DefaultPoiTypes();
        QTest::newRow("two entries replace the list")
            << QByteArray("[MAPTYPES]\r\n1=LOC\r\n2=ZONE\r\n") << QStringList{"LOC", "ZONE"};
        QTest::newRow("text after the first =, blanks kept")
            << QByteArray("[maptypes]\r\nb = MOB: a=b \r\na=NPC\r\n") << QStringList{" MOB: a=b ", "NPC"};
    }

    void typeList()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, expected);
        if (!config.isEmpty())
            writeConfig(config);
        TForm2 form(PoiPostSettings{configPath(), QString()}, m_prompts);
        QCOMPARE(items(control<QComboBox>(form, "cb_type")), expected);
        QCOMPARE(control<QComboBox>(form, "cb_type")->currentIndex(), -1);
    }

    void endpointFromConfiguration()
    {
        const QString start = QStringLiteral("http://start.example/submitpoi.php");
        QCOMPARE(TForm2(PoiPostSettings{configPath(), start}, m_prompts).endpoint(), start);
        writeConfig("[CONFIG]\r\nUSER=x\r\n");
        QCOMPARE(TForm2(PoiPostSettings{configPath(), start}, m_prompts).endpoint(),
                 QString::fromLatin1(Config::kDefaultPoiUrl.data(), Config::kDefaultPoiUrl.size()));
        writeConfig("[CONFIG]\r\nPOIURL=http://other.example/submitpoi.php\r\n");
        QCOMPARE(TForm2(PoiPostSettings{configPath(), start}, m_prompts).endpoint(),
                 QStringLiteral("http://other.example/submitpoi.php"));
    }

    void userSavedOnClose_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("new file, Close button") << QByteArray() << false << QByteArray("[CONFIG]\nUSER=new user\n");
        QTest::newRow("existing key, close box")
            << QByteArray("; mine\r\n[CONFIG]\r\nUSER=old\r\nPOIURL=http://h/submitpoi.php\r\n") << true
            << QByteArray("; mine\r\n[CONFIG]\r\nUSER=new user\r\nPOIURL=http://h/submitpoi.php\r\n");
    }

    void userSavedOnClose()
    {
        QFETCH(QByteArray, config);
        QFETCH(bool, closeBox);
        QFETCH(QByteArray, saved);
        if (!config.isEmpty())
            writeConfig(config);
        {
            auto form = dialog();
            form->show();
            auto* user = control<QLineEdit>(*form, "ed_user");
            user->clear();
            QTest::keyClicks(user, QStringLiteral("new user"));
            QCOMPARE(form->userName(), QStringLiteral("new user"));
            if (closeBox)
                form->close();
            else
                QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton);
            QVERIFY(!form->isVisible());
            QCOMPARE(form->result(), int(QDialog::Rejected));
        }
        QCOMPARE(readFile(configPath()), saved);
        auto next = dialog();
        QCOMPARE(control<QLineEdit>(*next, "ed_user")->text(), QStringLiteral("new user"));
        QVERIFY(m_prompts.messages.isEmpty());
    }

    void userNotWritable()
    {
        // A folder where the file should be: the write fails with its own text, once.
        QDir().mkpath(configPath());
        auto form = dialog();
        form->show();
        form->close();
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY(!m_prompts.messages.first().isEmpty());
        QDir().rmdir(configPath());
    }

    void summitFail_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("poiIndex");
        for (const char* property : {"Name", "IconStyle", "pathfindlocation", "Tooltip", "1location"})
            QTest::newRow(property) << QString::fromLatin1(property) << 0;
        QTest::newRow("no such POI") << QString() << 1;
    }

    void summitFail()
    {
        QFETCH(QString, missing);
        QFETCH(int, poiIndex);
        TSimpleXML page;
        page.Root().SetName("Page");
        const std::string absent = missing.toStdString();
        if (absent != "1location")
            page.Root().Properties().Add("1location", "Harbor");
        TSimpleXMLElem* poi = page.Root().Items().Add("Icon");
        for (const char* property : {"Name", "IconStyle", "pathfindlocation", "Tooltip"}) {
            if (absent != property)
                poi->Properties().Add(property, "x");
        }
        bool shown = false;
        QObject context;
        whenDialogShows(&context, [&](TForm2& form) {
            shown = true;
            form.reject();
        });
        OpenPoiSubmission(nullptr, page, poiIndex, PoiPostSettings{configPath(), QString()}, m_prompts);
        QCOMPARE(m_prompts.messages, QStringList{QStringLiteral("Summit Fail.")});
        QVERIFY(!shown);
    }

    void failedPost_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");  // a part of the message shown
        QTest::newRow("connection refused") << "refused" << "Connection refused";
        QTest::newRow("HTTP 500") << "500" << "Internal Server Error";
        QTest::newRow("time-out") << "silent" << "within 0.1 seconds";
        QTest::newRow("not a web address") << "file" << "not an http or https address";
    }

    void failedPost()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        LocalHttpServer::Answer answer;
        answer.statusLine = "500 Internal Server Error";
        answer.silent = kind == QLatin1String("silent");
        LocalHttpServer server(answer);
        QVERIFY(server.listen());
        QUrl endpoint = server.url();
        if (kind == QLatin1String("refused"))
            server.close();  // nothing listens on the port any more
        if (kind == QLatin1String("file"))
            endpoint = QUrl::fromLocalFile(configPath());

        auto form = dialog(endpoint);
        if (answer.silent)  // the others answer at once: on a slow machine a short time-out races them
            form->poster()->setTimeoutMs(kShortTimeoutMs);
        form->show();
        auto* send = control<QPushButton>(*form, "btn_summit");
        QTest::mouseClick(send, Qt::LeftButton);
        QTRY_COMPARE(m_prompts.messages.size(), 1);
        QVERIFY2(m_prompts.messages.first().contains(message), qPrintable(m_prompts.messages.first()));
        QVERIFY(form->isVisible());
        QVERIFY(send->isEnabled());
        QVERIFY(answerWindows().isEmpty());
        QVERIFY(!QFile::exists(configPath()));
    }

    // Closing the dialog drops a post still out, without a message and without a late answer.
    void closeWhilePosting()
    {
        LocalHttpServer::Answer answer;
        answer.silent = true;
        LocalHttpServer server(answer);
        QVERIFY(server.listen());
        auto form = dialog(server.url());
        form->show();
        QTest::mouseClick(control<QPushButton>(*form, "btn_summit"), Qt::LeftButton);
        QTRY_COMPARE(server.requests.size(), 1);
        QVERIFY(form->poster()->busy());
        form->close();
        form.reset();
        QCoreApplication::processEvents();
        QVERIFY(m_prompts.messages.isEmpty());
        QVERIFY(answerWindows().isEmpty());
    }

    void everyPressPostsAgain()
    {
        LocalHttpServer server;
        QVERIFY(server.listen());
        auto form = dialog(server.url());
        form->show();
        auto* send = control<QPushButton>(*form, "btn_summit");
        for (int press = 1; press <= 2; ++press) {
            QTest::mouseClick(send, Qt::LeftButton);
            // A second click while the post is out must not send it twice.
            QVERIFY(!send->isEnabled());
            QTest::mouseClick(send, Qt::LeftButton);
            QTRY_COMPARE(answerWindows().size(), press);
            QCOMPARE(server.requests.size(), press);
            QVERIFY(send->isEnabled());
        }
        for (PoiAnswerWindow* answer : answerWindows()) {
            QCOMPARE(answer->windowTitle(), server.url().toString());
            QVERIFY(answer->findChild<QTextBrowser*>(QStringLiteral("AnswerView"))
                        ->toPlainText()
                        .contains(QStringLiteral("Thank you for your POI.")));
        }
        // The answers outlive the dialog.
        form->close();
        form.reset();
        QCOMPARE(answerWindows().size(), 2);
    }

    void answerOpensInBrowser()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        const QUrl site(QStringLiteral("http://127.0.0.1:1/submitpoi.php"));
        PoiAnswerWindow answer(site, "<p>Merci \xC3\xA9t\xC3\xA9</p>", "text/html; charset=utf-8", Language::English);
        QTest::mouseClick(answer.findChild<QPushButton*>(QStringLiteral("OpenInBrowser")), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), 1);
        QVERIFY(catcher.urls.first().isLocalFile());
        const QByteArray copy = readFile(catcher.urls.first().toLocalFile());
        QVERIFY2(copy.contains("<base href=\"http://127.0.0.1:1/submitpoi.php\">"), copy.constData());
        QVERIFY(copy.contains("<p>Merci \xC3\xA9t\xC3\xA9</p>"));
    }

    // Only the window's copy of a long answer is cut, and it says so.
    void largeAnswerIsCutForTheWindowOnly()
    {
        const QByteArray line = "<p>line</p>\n";
        const QByteArray content = line.repeated(PoiAnswerWindow::kShownAnswerBytes / line.size() + 1) + "<p>END</p>";
        PoiAnswerWindow answer(QUrl(QStringLiteral("http://127.0.0.1:1/")), content, "text/html", Language::English);
        QVERIFY(!answer.findChild<QLabel*>(QStringLiteral("AnswerCut"))->isHidden());
        QVERIFY(!answer.findChild<QTextBrowser*>(QStringLiteral("AnswerView"))->toPlainText().contains("END"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QVERIFY(answer.openInBrowser());
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QVERIFY(readFile(catcher.urls.value(0).toLocalFile()).endsWith("<p>END</p>"));
    }

    // A page from the network must not make the desktop open local files or shares.
    void answerLinksOpenOnlyOnTheWeb()
    {
        UrlCatcher catcher;
        const char* const schemes[] = {"http", "file", "smb"};
        for (const char* scheme : schemes)
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
        PoiAnswerWindow answer(QUrl(QStringLiteral("http://127.0.0.1:1/submitpoi.php")), "", "", Language::English);
        auto* view = answer.findChild<QTextBrowser*>(QStringLiteral("AnswerView"));
        for (const char* link : {"list.php?id=3", "file:///etc/passwd", "smb://server/share"})
            emit view->anchorClicked(QUrl(QLatin1String(link)));
        for (const char* scheme : schemes)
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:1/list.php?id=3"))});
    }

    void answerDecoding_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("contentType");
        QTest::newRow("header charset") << QByteArray("<p>\xE9</p>") << QByteArray("text/html; charset=ISO-8859-1");
        QTest::newRow("meta charset") << QByteArray("<meta charset=\"iso-8859-1\"><p>\xE9</p>")
                                      << QByteArray("text/html");
        QTest::newRow("UTF-8 without any") << QByteArray("<p>\xC3\xA9</p>") << QByteArray();
    }

    void answerDecoding()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, contentType);
        QVERIFY(DecodeAnswer(content, contentType).contains(QStringLiteral("<p>\u00e9</p>")));
    }
};

int main(int argc, char** argv)
{
    // The system language is read when the application starts.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    POIPost1Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "POIPost1Test.moc"
