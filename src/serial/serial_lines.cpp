#include "serial_lines.h"

#include <algorithm>

namespace {

const std::string LeadsToOpen = " (";

}  // namespace

std::string ListedPortName(const std::string& name, const std::string& leadsTo)
{
    return name + LeadsToOpen + leadsTo + ")";
}

std::string PortNameOf(const std::string& listed)
{
    // Port names and paths hold no blank followed by a parenthesis.
    const std::size_t at = listed.find(LeadsToOpen);
    if (at == std::string::npos || listed.empty() || listed.back() != ')')
        return listed;
    return listed.substr(0, at);
}

std::vector<std::string> SerialLines::portNames() const
{
    std::vector<std::string> names = systemPortNames();
    for (const auto& entry : registered_)
        names.push_back(entry.first);
    return names;
}

std::unique_ptr<SerialLine> SerialLines::makeLine(const std::string& portName) const
{
    for (const auto& entry : registered_) {
        if (entry.first == portName)
            return entry.second();
    }
    if (portName.empty())
        return nullptr;
    return makeSystemLine(portName);
}

void SerialLines::registerLine(const std::string& portName, LineFactory make)
{
    auto found = std::find_if(registered_.begin(), registered_.end(),
                              [&](const auto& entry) { return entry.first == portName; });
    if (found != registered_.end())
        found->second = std::move(make);
    else
        registered_.emplace_back(portName, std::move(make));
}

bool SerialLines::isRegistered(const std::string& portName) const
{
    return std::any_of(registered_.begin(), registered_.end(),
                       [&](const auto& entry) { return entry.first == portName; });
}
