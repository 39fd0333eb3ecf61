#pragma once

#include <functional>

class QCoreApplication;

// SIGINT and SIGTERM (and SIGHUP) for a program without a window: `stop`
// runs once, on the application's thread from its event loop, never inside
// the signal handler. Nothing on systems without these signals.
void InstallStopSignals(QCoreApplication& app, std::function<void()> stop);
