// The main window on a system whose language is English.
#include "MainWindowChecks.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The system language is read when the application starts.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    MainWindowChecks checks(Language::English);
    return QTest::qExec(&checks, argc, argv);
}
