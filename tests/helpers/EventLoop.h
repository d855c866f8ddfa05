#pragma once
// Runs a real event loop for a while, so the loop goes idle (and blocks) as in the running editor:
// the actions' Update handlers run only then.

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>

// At least `milliseconds`, and until the loop has gone idle once: on a slow machine (Wine under
// load) the time can pass while the loop is still busy, before any Update handler ran.
inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    bool idle = false;
    bool elapsed = false;
    // Connected after the editor's handlers, so these have run when this one sees the loop idle.
    const QMetaObject::Connection watch = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&]() {
            idle = true;
            if (elapsed)
                loop.quit();
        });
    QTimer::singleShot(milliseconds, &loop, [&]() {
        elapsed = true;
        if (idle)
            loop.quit();
    });
    loop.exec();
    QObject::disconnect(watch);
}
