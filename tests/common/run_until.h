#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs the event loop, as the program's own loop runs, until `done` holds
// or `ms` have passed; returns whether `done` held.
inline bool RunUntil(const std::function<bool()>& done, int ms = 5000)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}
