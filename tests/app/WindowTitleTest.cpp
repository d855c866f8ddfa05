// Window titles as the window manager shows them (_NET_WM_NAME), read from a real X server: the
// offscreen platform cannot show what the X11 platform adds to a title. The program runs itself
// again under a private virtual display (xvfb-run); without one it skips.
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "helpers/ScriptedPrompts.h"
#include "mapview/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <vector>

namespace {

const char* const kUnderXvfb = "VYNMAP_TITLE_TEST_UNDER_XVFB";
const char* const kMainTitle = "VynMAP Editor  0.79 Beta";
constexpr int kPollMs = 50;

// The title the window manager reads for a window, or empty when it cannot be read.
QString netWmName(WId window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                          QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished() || xprop.exitCode() != 0)
        return {};
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const int first = line.indexOf(QLatin1Char('"'));
    const int last = line.lastIndexOf(QLatin1Char('"'));
    return first >= 0 && last > first ? line.mid(first + 1, last - first - 1) : QString();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class WindowTitleTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString configPath() const { return m_dir.filePath(QStringLiteral("editor.INI")); }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("no virtual X display (xvfb-run) to read window titles from");
        if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
            QSKIP("xprop is missing");
        writeFile(configPath(), "[CONFIG]\r\nPATH=" + m_dir.path().toUtf8() + "/\r\n");
        writeFile(m_dir.filePath(QStringLiteral("icons_title.xml")),
                  "<?xml version=\"1.0\"?>\r\n<Page Name=\"m\" 1location=\"z\"/>\r\n");
    }

    void mainWindow_data()
    {
        QTest::addColumn<QString>("page");  // empty: none opened
        QTest::addColumn<QString>("title");
        QTest::newRow("at start") << QString() << QString::fromLatin1(kMainTitle);
        QTest::newRow("page open") << QStringLiteral("icons_title.xml")
                                   << QStringLiteral("VynMAP Editor [icons_title.xml]");
    }

    void mainWindow()
    {
        QFETCH(QString, page);
        QFETCH(QString, title);
        ScriptedPrompts prompts;
        TForm1 window(configPath(), &prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (!page.isEmpty())
            QVERIFY(window.openPage(m_dir.filePath(page)));
        QCOMPARE(window.windowTitle(), title);
        QTRY_COMPARE(netWmName(window.winId()), title);
    }

    // The real open dialog, closed by a timer once the window manager can read its title.
    void openDialog()
    {
        QWidget owner;
        WidgetPrompts prompts(&owner);
        QString seen;
        QTimer poll;
        poll.setInterval(kPollMs);
        connect(&poll, &QTimer::timeout, this, [&]() {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            seen = netWmName(dialog->winId());
            if (!seen.isEmpty())
                dialog->reject();
        });
        poll.start();
        FileDialogOptions options;
        options.title = QStringLiteral("Open File");
        options.initialFolder = m_dir.path();
        QCOMPARE(prompts.openFileName(options), QString());
        QCOMPARE(seen, QStringLiteral("Open File"));
    }
};

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    if (qEnvironmentVariableIsEmpty(kUnderXvfb)) {
        qputenv(kUnderXvfb, "1");
        // The X11 keyboard library calls strndup on a string shorter than its bound, which the
        // sanitizer's strict string checks report although nothing is read past the string.
        QByteArray asan = qgetenv("ASAN_OPTIONS");
        if (!asan.isEmpty())
            qputenv("ASAN_OPTIONS", asan.replace("strict_string_checks=1", "strict_string_checks=0"));
        std::vector<char*> command = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a")};
        for (int i = 0; i < argc; ++i)
            command.push_back(argv[i]);
        command.push_back(nullptr);
        execvp(command[0], command.data());
        // No xvfb-run: run here, on the offscreen platform, and skip.
    } else {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    configureApplication();
    WindowTitleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTitleTest.moc"
