#pragma once

#include "serial_lines.h"

// The operating system's serial ports through Qt SerialPort: the port list
// from QSerialPortInfo (device paths such as /dev/ttyUSB0 on Linux, COM names
// on Windows), and lines that open a port by name or path. A port that is
// not listed (a pseudo-terminal, say) can still be opened by its path.
//
// Where the system keeps stable names for its adapters (/dev/serial/by-id on
// Linux: one link per adapter, named after its maker, model and serial
// number), the list offers them too, after the ports, each with the port it
// leads to now: "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0
// (/dev/ttyUSB0)". Such a name opens whatever port the adapter has, so a
// replugged adapter keeps its name.
class SystemSerialLines final : public SerialLines {
public:
    explicit SystemSerialLines(std::string stableNamesFolder = "/dev/serial/by-id");

protected:
    std::vector<std::string> systemPortNames() const override;
    std::unique_ptr<SerialLine> makeSystemLine(const std::string& portName) const override;

private:
    std::string stableNamesFolder_;
};
