// The About window: its texts, the two animations from the resources at their sizes, the upper one
// starting at its third frame and opening the fan site, OK as default button, and the main
// window's About command.
#include "app/MainWindow.h"
#include "helpers/ScriptedPrompts.h"
#include "helpers/UrlCatcher.h"
#include "tools/help.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class AboutWindowTest : public QObject {
    Q_OBJECT

    template <typename T>
    static T* control(const QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

private slots:
    void texts()
    {
        TForm5 about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.size(), QSize(202, 208));
        QCOMPARE(control<QLabel>(about, "Label1")->text(), QStringLiteral("Simple VYNMAP Editor"));
        // The credit names the fan site the upper animation leads to.
        QVERIFY(control<QLabel>(about, "Label2")->text().contains(TForm5::fanSiteHome().host()));
        QCOMPARE(about.font().family(), QStringLiteral("MS Sans Serif"));
        auto* ok = control<QPushButton>(about, "Button1");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
    }

    void animations_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("firstFrame");
        QTest::newRow("gifani1") << "gifani1" << QSize(105, 45) << 2;
        QTest::newRow("gifani2") << "gifani2" << QSize(64, 64) << 0;
    }

    void animations()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, firstFrame);
        TForm5 about;
        auto* label = control<QLabel>(about, name.toLatin1().constData());
        QMovie* movie = label->movie();
        QVERIFY(movie);
        QVERIFY(movie->isValid());
        QCOMPARE(movie->state(), QMovie::NotRunning);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(movie->state(), QMovie::Running);
        QCOMPARE(movie->currentFrameNumber(), firstFrame);
        QCOMPARE(movie->currentImage().size(), size);
        QCOMPARE(label->size(), size);
        // Animated: more than the frames skipped at the start.
        QVERIFY(movie->frameCount() > firstFrame + 1);
        const int shown = movie->currentFrameNumber();
        QTRY_VERIFY(movie->currentFrameNumber() != shown);
    }

    void clickOpensFanSite()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        TForm5 about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(control<QLabel>(about, "gifani2"), Qt::LeftButton);
        QVERIFY(catcher.urls.isEmpty());
        QTest::mouseClick(control<QLabel>(about, "gifani1"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(catcher.urls, QList<QUrl>{TForm5::fanSiteHome()});
        QVERIFY(about.isVisible());
    }

    void okCloses_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("click") << false;
        QTest::newRow("Enter") << true;
    }

    void okCloses()
    {
        QFETCH(bool, byEnter);
        TForm5 about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        if (byEnter)
            QTest::keyClick(&about, Qt::Key_Return);
        else
            QTest::mouseClick(control<QPushButton>(about, "Button1"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void aboutCommandShowsWindow()
    {
        QTemporaryDir dir;
        ScriptedPrompts prompts;
        TForm1 window(dir.filePath(QStringLiteral("editor.INI")), &prompts);
        QString shownLabel;
        QTimer::singleShot(0, &window, [&]() {
            if (auto* about = qobject_cast<TForm5*>(QApplication::activeModalWidget())) {
                shownLabel = control<QLabel>(*about, "Label1")->text();
                about->accept();
            }
        });
        window.action(QStringLiteral("Help1"))->trigger();
        QCOMPARE(shownLabel, QStringLiteral("Simple VYNMAP Editor"));
        // Disposed of after closing.
        QVERIFY(window.findChildren<TForm5*>().isEmpty());
        QVERIFY(prompts.messages.isEmpty());
    }
};

QTEST_MAIN(AboutWindowTest)
#include "AboutWindowTest.moc"
