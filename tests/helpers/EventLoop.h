#pragma once
// Runs a real event loop for a while, so the loop goes idle (and blocks) as in the running editor:
// the actions' Update handlers run only then.

#include <QEventLoop>
#include <QTimer>

inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
