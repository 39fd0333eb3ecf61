#pragma once

#include "serial_lines.h"

// The operating system's serial ports through Qt SerialPort: the port list
// from QSerialPortInfo (device paths such as /dev/ttyUSB0 on Linux, COM names
// on Windows), and lines that open a port by name or path. A port that is
// not listed (a pseudo-terminal, say) can still be opened by its path.
class SystemSerialLines final : public SerialLines {
protected:
    std::vector<std::string> systemPortNames() const override;
    std::unique_ptr<SerialLine> makeSystemLine(const std::string& portName) const override;
};
