// The main window on a system whose language is Korean.
#include "MainWindowChecks.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The system language is read when the application starts.
    qputenv("LC_ALL", "ko_KR.UTF-8");
    qputenv("LANG", "ko_KR.UTF-8");
    QApplication app(argc, argv);
    MainWindowChecks checks(Language::Korean);
    return QTest::qExec(&checks, argc, argv);
}
