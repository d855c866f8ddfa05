// The submission dialog and the answer window on a system whose language is Korean: the captions
// as designed; the data texts stay the same in both languages.
#include "helpers/ScriptedPrompts.h"
#include "tools/POIPost1.h"
#include "tools/PoiAnswerWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class POIPost1KoreanTest : public QObject {
    Q_OBJECT

private slots:
    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("no description") << "chk_nodesc" << "설명 없음";
        QTest::newRow("send") << "btn_summit" << "보내기";
        QTest::newRow("close") << "Button1" << "닫기";
        QTest::newRow("user label, same in both") << "Label5" << " mapboard Username : ";
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QTemporaryDir dir;
        ScriptedPrompts prompts;
        TForm2 form(PoiPostSettings{dir.filePath(QStringLiteral("editor.INI")), QString()}, prompts);
        const QWidget* widget = form.findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->property("text").toString(), text);
        QCOMPARE(form.font(), languageFont(Language::Korean));
        // The type list is data, not a caption.
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("cb_type"))->itemText(0),
                 DefaultPoiTypes().first());
    }

    void answerWindowCaption()
    {
        PoiAnswerWindow answer(QUrl(QStringLiteral("http://127.0.0.1:1/submitpoi.php")), QByteArray(), QByteArray(),
                               systemLanguage());
        QCOMPARE(answer.findChild<QPushButton*>(QStringLiteral("OpenInBrowser"))->text(),
                 QStringLiteral("브라우저로 열기"));
    }
};

int main(int argc, char** argv)
{
    // The system language is read when the application starts.
    qputenv("LC_ALL", "ko_KR.UTF-8");
    qputenv("LANG", "ko_KR.UTF-8");
    QApplication app(argc, argv);
    POIPost1KoreanTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "POIPost1KoreanTest.moc"
