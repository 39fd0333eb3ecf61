#pragma once

#include <functional>

class QGuiApplication;

// The program told to end from outside the window: SIGINT, SIGTERM and
// SIGHUP on Unix, and the end of the desktop session wherever Qt reports it.
// `shutdown` then runs once, on the window's thread, from the event loop
// (never inside the signal handler). Everything tied to one operating system
// stays in this seam.
void InstallShutdownSignals(QGuiApplication& app, std::function<void()> shutdown);
