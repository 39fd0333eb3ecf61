#pragma once

#include "serial_line.h"

#include <QSerialPort>
#include <QString>

// Why the system refused to open `portName` (a name or path as the port
// list gives it), from the error Qt reported and what the system tells
// besides: on Linux the device's permissions and the lock file of the
// program holding it; on Windows a refused port is one another program has
// open. One implementation per platform.
SerialOpenFailure ExplainOpenFailure(const QString& portName, QSerialPort::SerialPortError error);
