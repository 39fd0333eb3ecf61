#pragma once

#include "device_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One gas table of a flow controller.
struct MfcGasTable {
    std::uint16_t Number = 0;
    std::string Name;      // short name, at most 8 characters
    std::string LongName;  // at most 50 characters
    std::string Unit;      // at most 8 characters
    float FullScale = 0.0f;        // g/min
    std::uint16_t DynamicRange = 0; // full scale / smallest controllable flow
};

// What can go wrong with one controller, for tests. Faults stay until changed.
struct MfcFaults {
    bool Silent = false;                        // hears nothing, answers nothing
    std::optional<std::string> Identification;  // answers this instead of its own
    bool BadCrc = false;                        // replies with a corrupted CRC
    int LengthChange = 0;                       // bytes added to (+) or cut from (-) each reply
    std::uint8_t ExceptionCode = 0;             // non-zero: answers every request with this exception
    double ReplyDelayMs = 2.0;                  // from the end of a request to the reply
    bool DynamicRangeZero = false;              // the dynamic range reads 0
    std::uint8_t ReplyAddress = 0;              // non-zero: replies (with a good CRC) come from this address
    bool NoGas = false;                         // takes set-points, but no gas comes: the flow stays at 0
};

// A frame as the bus carried it to the controllers.
struct ReceivedFrame {
    double At = 0.0;  // day count when its last byte arrived
    std::vector<std::uint8_t> Bytes;
    bool CrcOk = false;
};

// A set-point write as a controller received it.
struct SetPointRecord {
    double At = 0.0;
    int Address = 0;
    float Value = 0.0f;
    bool Accepted = false;  // refused values (negative, not finite) leave the set-point alone
};

// Two thermal mass-flow controllers on one Modbus RTU bus at 9600 bit/s,
// 8 data bits, no parity, two stop bits: address 1 meters gas A (gas tables
// 2 "O2" and 3 "5%H2,95%Ar"), address 2 gas B (tables 2 "Ar" and 3 "N2");
// table 1 of both is air. Each follows its set-point with a short first-order
// lag (from 0 up to its full scale, also below the minimum of its dynamic
// range) and integrates the flow into its totalizer, in kilograms.
//
// Registers: 0 actual flow and 6 set-point (floats, g/min), 4 totalizer
// (float, kg; reading only), 35 identification (8 characters), 16697 gas
// table in use, 24575 gas table shown by 24608 full scale (float), 24610
// long name (50 characters), 24642 short name, 24646 unit (8 characters
// each) and 24866 dynamic range, 25472 totalizer (float, kg; writing sets
// it, 0.0 zeroes it).
class MfcBusModel final : public DeviceModel {
public:
    static constexpr double LagSeconds = 0.4;

    MfcBusModel();

    SerialFraming framing() const override { return {9600, 0, 2}; }
    DeviceReply receive(const std::vector<std::uint8_t>& bytes, double at) override;

    MfcFaults& faults(int address);
    void clearFaults();

    // Everything the bus carried, and every set-point write, in order.
    const std::vector<ReceivedFrame>& frames() const { return frames_; }
    const std::vector<SetPointRecord>& setPoints() const { return setPoints_; }
    void clearRecords();

    // A controller's state; times are day counts.
    const std::string& identification(int address) const;
    float setPoint(int address) const;
    std::uint16_t gasTableInUse(int address) const;
    std::uint16_t gasTableShown(int address) const;
    const MfcGasTable* gasTable(int address, std::uint16_t number) const;
    double flow(int address, double at);
    double totalizerKg(int address, double at);
    void setGasTable(int address, const MfcGasTable& table);  // adds or replaces

private:
    struct Controller {
        std::uint8_t Address = 0;
        std::string Identification;
        std::vector<MfcGasTable> Tables;
        std::uint16_t TableInUse = 1;
        std::uint16_t TableShown = 1;
        float SetPoint = 0.0f;
        double Flow = 0.0;      // g/min at Updated
        double TotalKg = 0.0;   // at Updated
        double Updated = -1.0;  // day count; negative: not started
        MfcFaults Faults;
    };

    Controller* Find(int address);
    const Controller* Find(int address) const;
    Controller& At(int address);
    const Controller& At(int address) const;
    static void Advance(Controller& c, double at);
    std::vector<std::uint8_t> Serve(Controller& c, const std::vector<std::uint8_t>& request, double at);
    std::optional<std::uint16_t> ReadRegister(Controller& c, std::uint16_t reg, double at);
    std::uint8_t WriteSingle(Controller& c, std::uint16_t reg, std::uint16_t value, double at);
    std::uint8_t WriteFloat(Controller& c, std::uint16_t reg, float value, double at);

    std::vector<Controller> controllers_;
    std::vector<std::uint8_t> pending_;  // bytes of a frame not yet complete
    double pendingAt_ = 0.0;             // arrival of its last byte
    std::vector<ReceivedFrame> frames_;
    std::vector<SetPointRecord> setPoints_;
};
