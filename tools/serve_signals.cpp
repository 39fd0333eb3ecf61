#include "serve_signals.h"

#include <QCoreApplication>

#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The self-pipe: the handler only writes the signal's number into it.
int StopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int number)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = write(StopPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void InstallStopSignals(QCoreApplication& app, std::function<void()> stop)
{
    if (StopPipe[0] < 0 && pipe(StopPipe) != 0)
        return;
    for (int fd : StopPipe) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    auto once = std::make_shared<std::function<void()>>(std::move(stop));
    auto* notifier = new QSocketNotifier(StopPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [once] {
        unsigned char bytes[16];
        while (read(StopPipe[0], bytes, sizeof bytes) > 0) {}
        if (*once) {
            const std::function<void()> run = std::move(*once);
            *once = nullptr;
            run();
        }
    });
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &action, nullptr);
}

#else

void InstallStopSignals(QCoreApplication&, std::function<void()>)
{
}

#endif
