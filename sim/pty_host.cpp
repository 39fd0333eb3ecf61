#include "pty_host.h"

#include "clock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// How much earlier than the last byte's arrival the settings are read back.
constexpr double ArrivalSlackMs = 5.0;

// The port's settings as the terminal holds them; BaudRate 0 for a speed not
// in the table, and data bits other than 8 make the parity code -1.
SerialFraming FramingOf(const termios& t)
{
    static constexpr std::pair<speed_t, std::int32_t> Speeds[] = {
        {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
        {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
    };
    SerialFraming f{0, 0, 0};
    const speed_t speed = cfgetospeed(&t);
    for (const auto& [code, baud] : Speeds) {
        if (code == speed)
            f.BaudRate = baud;
    }
    if (t.c_cflag & PARENB) {
        const bool odd = (t.c_cflag & PARODD) != 0;
#ifdef CMSPAR
        if (t.c_cflag & CMSPAR)
            f.Parity = odd ? 3 : 4;
        else
#endif
            f.Parity = odd ? 1 : 2;
    }
    if ((t.c_cflag & CSIZE) != CS8)
        f.Parity = -1;
    f.StopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
    return f;
}

}  // namespace

PtyDeviceHost::PtyDeviceHost(DeviceModel& model, Clock& clock)
    : Model_(model)
    , Clock_(clock)
{
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B38400);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    path_ = name;
    if (pipe(stopPipe_) != 0) {
        close(master_);
        close(slave_);
        master_ = slave_ = -1;
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

PtyDeviceHost::~PtyDeviceHost()
{
    if (thread_.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const auto n = write(stopPipe_[1], &stop, 1);
        thread_.join();
    }
    for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]}) {
        if (fd >= 0)
            close(fd);
    }
}

void PtyDeviceHost::withModel(const std::function<void(DeviceModel&)>& inspect)
{
    std::lock_guard lock(modelMutex_);
    inspect(Model_);
}

bool PtyDeviceHost::waitForBytesReceived(std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(receivedMutex_);
    return receivedChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return received_.load() >= count; });
}

SerialFraming PtyDeviceHost::lastArrivalFraming() const
{
    std::lock_guard lock(modelMutex_);
    return lastFraming_;
}

void PtyDeviceHost::Run()
{
    // The host stands for equipment, which never waits for a busy computer:
    // where the system allows it, the host's thread runs ahead of the
    // others (it only ever works for a moment, then blocks again).
    sched_param realtime{};
    realtime.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);

    std::vector<std::uint8_t> buffer(4096);
    for (;;) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        const int ready = poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const ssize_t n = read(master_, buffer.data(), buffer.size());
        if (n <= 0)
            continue;
        SerialFraming device;
        {
            std::lock_guard lock(modelMutex_);
            device = Model_.framing();
        }
        // The wire: the last byte arrives (n - 1) byte times after the
        // first, which the host has only just seen, unless a busy machine
        // woke it late: it looks up to ArrivalSlackMs early.
        const double lastByteMs = static_cast<double>(n - 1) * ByteTimeMs(device) - ArrivalSlackMs;
        if (lastByteMs > 0.0)
            Clock_.deviceWaitMs(lastByteMs);
        termios now{};
        const SerialFraming arrival = tcgetattr(master_, &now) == 0 ? FramingOf(now) : SerialFraming{0, -1, 0};
        DeviceReply reply;
        {
            std::lock_guard lock(modelMutex_);
            lastFraming_ = arrival;
            if (arrival == device)
                reply = Model_.receive(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n), Clock_.now());
            else
                ++garbled_;
        }
        if (!reply.Bytes.empty()) {
            if (reply.DelayMs > 0.0)
                Clock_.deviceWaitMs(reply.DelayMs);
            std::size_t sent = 0;
            while (sent < reply.Bytes.size()) {
                const ssize_t w = write(master_, reply.Bytes.data() + sent, reply.Bytes.size() - sent);
                if (w <= 0) {
                    if (errno == EINTR || errno == EAGAIN)
                        continue;
                    break;
                }
                sent += static_cast<std::size_t>(w);
            }
        }
        {
            std::lock_guard lock(receivedMutex_);
            received_ += static_cast<std::size_t>(n);
        }
        receivedChanged_.notify_all();
    }
}
