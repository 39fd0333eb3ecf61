#pragma once

#include "serial_lines.h"
#include "system_serial_lines.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The system's serial path, offering only the given device paths as the
// machine's ports.
class PathSerialLines final : public SerialLines {
public:
    explicit PathSerialLines(std::vector<std::string> paths)
        : paths_(std::move(paths))
    {
    }

protected:
    std::vector<std::string> systemPortNames() const override { return paths_; }
    std::unique_ptr<SerialLine> makeSystemLine(const std::string& portName) const override
    {
        return system_.makeLine(portName);
    }

private:
    std::vector<std::string> paths_;
    SystemSerialLines system_;
};
