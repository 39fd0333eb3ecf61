#include "shutdown_signals.h"

#include <QGuiApplication>
#include <QObject>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Runs the shutdown once, whichever way the end arrives first.
struct TShutdownOnce {
    std::function<void()> Shutdown;
    bool Done = false;

    void operator()()
    {
        if (Done)
            return;
        Done = true;
        Shutdown();
    }
};

#ifdef Q_OS_UNIX

// The self-pipe: the handler only writes the signal's number into it; the
// event loop reads it and runs the shutdown.
int SignalPipe[2] = {-1, -1};

extern "C" void OnShutdownSignal(int number)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
    errno = saved;
}

bool MakePipe()
{
    if (SignalPipe[0] >= 0)
        return true;
    if (pipe(SignalPipe) != 0)
        return false;
    for (int fd : SignalPipe) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void WatchSignals(QGuiApplication& app, const std::shared_ptr<TShutdownOnce>& once)
{
    if (!MakePipe())
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [once] {
        unsigned char bytes[16];
        while (read(SignalPipe[0], bytes, sizeof bytes) > 0) {}
        (*once)();
    });

    struct sigaction action = {};
    action.sa_handler = OnShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &action, nullptr);
}

#endif

}  // namespace

void InstallShutdownSignals(QGuiApplication& app, std::function<void()> shutdown)
{
    auto once = std::make_shared<TShutdownOnce>();
    once->Shutdown = std::move(shutdown);
#ifdef Q_OS_UNIX
    WatchSignals(app, once);
#endif
#ifndef QT_NO_SESSIONMANAGER
    // The session is ending (logout, shutdown): the session manager ends the
    // program afterwards; the rig is made safe before that.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [once](QSessionManager&) { (*once)(); });
#endif
}
