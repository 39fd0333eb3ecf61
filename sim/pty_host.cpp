#include "pty_host.h"

#include "clock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

PtyDeviceHost::PtyDeviceHost(DeviceModel& model, Clock& clock)
    : Model_(model)
    , Clock_(clock)
{
    termios raw{};
    cfmakeraw(&raw);
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

void PtyDeviceHost::Run()
{
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
        DeviceReply reply;
        {
            std::lock_guard lock(modelMutex_);
            reply = Model_.receive(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n), Clock_.now());
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
