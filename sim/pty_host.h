#pragma once

#include "device_model.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class Clock;

// Hosts a device model behind a pseudo-terminal, so the program reaches it
// through the operating system's serial path: the program opens
// `portPath()` like any serial port; a thread of the host reads what arrives
// at the master side, hands it to the model and writes the replies back
// after the model's delay (device time on the clock). Meant for the real
// clock.
//
// A pseudo-terminal has no wire, so the host keeps one: bytes written
// together reach the device when the last of them would have arrived at
// the device's framing, and only if the port is still set to that framing
// then (the settings are read back from the terminal at that moment, up to
// 5 ms early for the host's own latency on a busy machine). A port closed or
// re-set while its frame is still on the wire garbles it: the model never
// sees it.
//
// The slave side is made raw when it is created, at 38400 bit/s (a port left
// at another speed than the devices' by whoever used it before), so nothing
// is echoed or translated, and the host keeps a descriptor of it open so the
// master side does not report a hang-up while no program has the port open.
// Bytes the device sends while the port is closed wait in the slave's input
// queue.
class PtyDeviceHost {
public:
    PtyDeviceHost(DeviceModel& model, Clock& clock);
    ~PtyDeviceHost();
    PtyDeviceHost(const PtyDeviceHost&) = delete;
    PtyDeviceHost& operator=(const PtyDeviceHost&) = delete;

    // False when no pseudo-terminal could be made.
    bool isRunning() const { return master_ >= 0; }
    const std::string& portPath() const { return path_; }

    // Runs `inspect` with the model while the host does not touch it.
    void withModel(const std::function<void(DeviceModel&)>& inspect);
    // Bytes the model has been handed, and answered, so far (garbled ones
    // included).
    std::size_t bytesReceived() const { return received_.load(); }
    // Pieces that arrived at another framing than the device's, and the
    // framing the port had when the last piece's last byte arrived.
    std::size_t garbledPieces() const { return garbled_.load(); }
    SerialFraming lastArrivalFraming() const;
    // Waits (real time, at most `timeoutMs`) until the model has been handed
    // at least `count` bytes in all and its replies to them are written.
    bool waitForBytesReceived(std::size_t count, int timeoutMs) const;

private:
    void Run();

    DeviceModel& Model_;
    Clock& Clock_;
    mutable std::mutex modelMutex_;
    int master_ = -1;
    int slave_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::string path_;
    std::atomic<std::size_t> received_{0};
    std::atomic<std::size_t> garbled_{0};
    SerialFraming lastFraming_;
    mutable std::mutex receivedMutex_;
    mutable std::condition_variable receivedChanged_;
    std::thread thread_;
};
