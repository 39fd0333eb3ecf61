// Our reads and writes against an independent Modbus RTU server: libmodbus
// serving two slave addresses on a pseudo-terminal. Real clock.
#include "clock.h"
#include "mfc_services.h"
#include "rtu_frames.h"
#include "system_serial_lines.h"
#include "voegtlin_port.h"

#include <gtest/gtest.h>

#include <modbus/modbus.h>

#include <cstring>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sched.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// libmodbus's own receive serves one slave address; this server frames each
// request itself (length from the function code, CRC) and lets
// modbus_reply answer it from that address's register map.
class ModbusPeer {
public:
    ModbusPeer()
    {
        termios raw{};
        cfmakeraw(&raw);
        char name[256] = {};
        if (openpty(&master_, &slave_, name, &raw, nullptr) != 0 || pipe(stop_) != 0)
            return;
        path_ = name;
        ctx_ = modbus_new_rtu("/dev/null", 9600, 'N', 8, 2);
        modbus_set_socket(ctx_, master_);
        for (auto& map : maps_)
            map = modbus_mapping_new(0, 0, 25480, 0);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ModbusPeer()
    {
        if (thread_.joinable()) {
            const char stop = 1;
            [[maybe_unused]] const auto n = write(stop_[1], &stop, 1);
            thread_.join();
        }
        for (auto* map : maps_) {
            if (map)
                modbus_mapping_free(map);
        }
        if (ctx_)
            modbus_free(ctx_);
        for (int fd : {master_, slave_, stop_[0], stop_[1]}) {
            if (fd >= 0)
                close(fd);
        }
    }

    bool running() const { return thread_.joinable(); }
    const std::string& path() const { return path_; }

    // Register access for the test, under the server's lock. The float
    // helpers of libmodbus 3.1.6 do not round-trip, so floats are copied.
    void setFloat(int address, int reg, float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        std::lock_guard lock(mutex_);
        Map(address)->tab_registers[reg] = static_cast<std::uint16_t>(bits >> 16);
        Map(address)->tab_registers[reg + 1] = static_cast<std::uint16_t>(bits & 0xFFFF);
    }
    float getFloat(int address, int reg)
    {
        std::lock_guard lock(mutex_);
        const std::uint32_t bits
            = static_cast<std::uint32_t>(Map(address)->tab_registers[reg]) << 16 | Map(address)->tab_registers[reg + 1];
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    void setText(int address, int reg, const std::string& text, int registers)
    {
        std::lock_guard lock(mutex_);
        for (int i = 0; i < registers; ++i) {
            const auto c = [&](std::size_t at) { return at < text.size() ? static_cast<std::uint8_t>(text[at]) : 0; };
            Map(address)->tab_registers[reg + i] = static_cast<std::uint16_t>(c(2 * i) << 8 | c(2 * i + 1));
        }
    }
    void setWord(int address, int reg, std::uint16_t value)
    {
        std::lock_guard lock(mutex_);
        Map(address)->tab_registers[reg] = value;
    }
    std::uint16_t getWord(int address, int reg)
    {
        std::lock_guard lock(mutex_);
        return Map(address)->tab_registers[reg];
    }

private:
    modbus_mapping_t* Map(int address) { return maps_[address - 1]; }

    void Serve()
    {
        // Equipment answers within its time however busy the computer is:
        // where the system allows it, the server runs ahead of other threads.
        sched_param realtime{};
        realtime.sched_priority = sched_get_priority_min(SCHED_FIFO);
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);

        std::vector<std::uint8_t> pending;
        std::uint8_t buffer[512];
        for (;;) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0 || fds[1].revents)
                return;
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            pending.insert(pending.end(), buffer, buffer + n);
            for (;;) {
                const int length = RtuRequestLength(pending);
                if (length < 0) {
                    pending.clear();
                    break;
                }
                if (length == 0 || pending.size() < static_cast<std::size_t>(length))
                    break;
                std::vector<std::uint8_t> frame(pending.begin(), pending.begin() + length);
                pending.erase(pending.begin(), pending.begin() + length);
                if (!RtuCrcMatches(frame) || frame[0] < 1 || frame[0] > 2)
                    continue;
                std::lock_guard lock(mutex_);
                modbus_reply(ctx_, frame.data(), length, Map(frame[0]));
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    int stop_[2] = {-1, -1};
    std::string path_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* maps_[2] = {nullptr, nullptr};
    std::mutex mutex_;
    std::thread thread_;
};

}  // namespace

TEST(LibmodbusPeer, OurServicesAndTheServerAgreeOnEveryRegister)
{
    ModbusPeer peer;
    ASSERT_TRUE(peer.running());
    peer.setText(1, 35, "GSC 9001", 4);
    peer.setText(2, 35, "GSC 9002", 4);
    peer.setFloat(2, 24608, 4.75f);
    peer.setText(2, 24610, "Nitrogen", 25);
    peer.setText(2, 24642, "N2", 4);
    peer.setText(2, 24646, "g/min", 4);
    peer.setWord(2, 24866, 40);
    peer.setFloat(1, 4, 0.0125f);
    peer.setFloat(2, 4, -3.5f);

    RealClock clock;
    SystemSerialLines lines;
    const MfcBus bus{lines, clock, peer.path()};

    const MfcIdentification id = IdentifyMFCs(bus);
    EXPECT_TRUE(id.Ok);
    EXPECT_EQ(id.Controller1.AsString, "GSC 9001");
    EXPECT_EQ(id.Controller2.AsString, "GSC 9002");

    TFlowInfo info;
    double min = 0.0;
    double max = 0.0;
    EXPECT_EQ(MinMaxFlow(bus, 2, 3, info, min, max), "");
    EXPECT_EQ(peer.getWord(2, 16697), 3);
    EXPECT_EQ(peer.getWord(2, 24575), 3);
    EXPECT_EQ(peer.getWord(1, 16697), 0);
    EXPECT_EQ(info.Name, "N2");
    EXPECT_EQ(info.LongName, "Nitrogen");
    EXPECT_EQ(info.FlowUnit, "g/min");
    EXPECT_EQ(info.Max, 4.75f);
    EXPECT_EQ(info.Dyn, 40u);

    EXPECT_EQ(SetMFCFlow(bus, 1, 0.0375).Status, "");
    TTotalizer a;
    TTotalizer b;
    // A totalizer below zero is no reading: controller 2's stays as it was.
    b.Value = 12.0;
    EXPECT_EQ(ReadTotalizers(bus, a, b), "Controller 2 totalizer not read: invalid reading -3.5 kg");
    EXPECT_EQ(peer.getFloat(1, 6), 0.0375f);
    EXPECT_EQ(a.Value, static_cast<double>(0.0125f * 1000.0f));
    EXPECT_EQ(b.Value, 12.0);
    peer.setFloat(2, 4, 3.5f);

    peer.setFloat(1, 25472, 7.0f);
    peer.setFloat(2, 25472, 7.0f);
    EXPECT_EQ(ResetRetrieveTotalizers(bus, a, b), "");
    EXPECT_EQ(peer.getFloat(1, 25472), 0.0f);
    EXPECT_EQ(peer.getFloat(2, 25472), 0.0f);

    // A 16-bit register with its top bit set, read by the register layer.
    peer.setWord(1, 24866, 0xFFFE);
    TVoegtlinPort port(lines, clock);
    port.UseControllerLine(peer.path());
    EXPECT_EQ(port.ReadU16(1, 24866).AsInteger, 65534);
}
