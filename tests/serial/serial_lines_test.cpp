#include "serial_lines.h"
#include "serial_port.h"
#include "system_serial_lines.h"

#include <gtest/gtest.h>

#include <QSerialPortInfo>

namespace {

struct NamedLine final : SerialLine {
    std::string name;
    explicit NamedLine(std::string n)
        : name(std::move(n))
    {
    }
    bool open() override { return true; }
    bool configure(std::int32_t, std::int32_t, std::int32_t) override { return true; }
    void purge() override {}
    bool write(const std::uint8_t*, std::size_t) override { return true; }
    void drain() override {}
    int bytesWaiting() override { return 0; }
    bool read(std::vector<std::uint8_t>&, std::size_t) override { return true; }
    void close() override {}
};

void Register(SerialLines& lines, const std::string& name, const std::string& tag)
{
    lines.registerLine(name, [tag] { return std::make_unique<NamedLine>(tag); });
}

std::string TagOf(const std::unique_ptr<SerialLine>& line)
{
    auto* named = dynamic_cast<NamedLine*>(line.get());
    return named ? named->name : std::string("<none>");
}

}  // namespace

TEST(SerialLines, RegisteredLinesAreListedInOrderAndMadeByName)
{
    RegisteredSerialLines lines;
    EXPECT_TRUE(GetExistingCommPorts(lines).empty());
    Register(lines, "SIM-MFC", "mfc");
    Register(lines, "SIM-RELAY", "relay");
    Register(lines, "SIM-MFC", "mfc2");  // replaces, keeps its place
    EXPECT_EQ(GetExistingCommPorts(lines), (std::vector<std::string>{"SIM-MFC", "SIM-RELAY"}));
    EXPECT_EQ(TagOf(lines.makeLine("SIM-MFC")), "mfc2");
    EXPECT_EQ(TagOf(lines.makeLine("SIM-RELAY")), "relay");
    EXPECT_EQ(lines.makeLine("COM1"), nullptr);
    EXPECT_EQ(lines.makeLine(""), nullptr);
}

TEST(SerialLines, SystemPortsComeFirstThenTheRegisteredOnes)
{
    SystemSerialLines lines;
    const std::vector<std::string> system = GetExistingCommPorts(lines);
    EXPECT_EQ(system.size(), static_cast<std::size_t>(QSerialPortInfo::availablePorts().size()));
    Register(lines, "SIM-MFC", "mfc");
    std::vector<std::string> expected = system;
    expected.push_back("SIM-MFC");
    EXPECT_EQ(GetExistingCommPorts(lines), expected);
    EXPECT_EQ(TagOf(lines.makeLine("SIM-MFC")), "mfc");
    // A name that is not registered is the system's, whether listed or not.
    auto line = lines.makeLine("/dev/nonexistent-serial-port");
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->open());
}
