#pragma once

#include "serial_line.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A port list entry that names where a stable name leads:
// "/dev/serial/by-id/usb-X (/dev/ttyUSB0)".
std::string ListedPortName(const std::string& name, const std::string& leadsTo);
// The port name of a list entry: the entry without what it leads to.
std::string PortNameOf(const std::string& listed);

// Makes the line for a port name and lists the names the operator can
// choose: the ports the system offers, followed by the lines registered
// here (simulated equipment, in the order of registration). The program
// picks its provider once, at start-up.
class SerialLines {
public:
    using LineFactory = std::function<std::unique_ptr<SerialLine>()>;

    virtual ~SerialLines() = default;

    // The system's port names, then the registered names.
    std::vector<std::string> portNames() const;
    // A closed line for `portName` (a list entry or a bare name): a
    // registered line when the name is registered, otherwise the system's
    // port of that name. Null when there
    // is no port of that name at all (opening then fails as for a missing
    // port).
    std::unique_ptr<SerialLine> makeLine(const std::string& portName) const;

    // Adds a line under `portName`; `make` is called once per transaction.
    // A second registration of a name replaces the first.
    void registerLine(const std::string& portName, LineFactory make);
    bool isRegistered(const std::string& portName) const;

protected:
    virtual std::vector<std::string> systemPortNames() const = 0;
    virtual std::unique_ptr<SerialLine> makeSystemLine(const std::string& portName) const = 0;

private:
    std::vector<std::pair<std::string, LineFactory>> registered_;
};

// Only the registered lines, no system port: for a port list that does not
// depend on the machine (tests, demonstrations).
class RegisteredSerialLines final : public SerialLines {
protected:
    std::vector<std::string> systemPortNames() const override { return {}; }
    std::unique_ptr<SerialLine> makeSystemLine(const std::string&) const override { return nullptr; }
};
