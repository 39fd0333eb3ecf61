#pragma once

#include "device_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One gas table of a flow controller.
struct MfcGasTable {
    std::uint16_t Number = 0;
    std::string Name;                // short name, at most 8 characters
    std::string LongName;            // at most 50 characters
    std::string Unit;                // at most 8 characters
    float FullScale = 0.0f;          // g/min
    std::uint16_t DynamicRange = 0;  // full scale / smallest controllable flow
    double MolarMass = 0.0;          // g/mol of the gas the table meters
};

// How the controllers deliver their set-points, as real ones do where it
// matters for delivery. The defaults are those of a good thermal controller.
struct MfcResponse {
    // A set-point below the table's minimum (full scale / dynamic range)
    // delivers nothing: the controller does not control down there.
    bool LowFlowCutOff = true;
    // The flow follows a set-point change with this first-order time constant.
    double LagSeconds = 0.3;
    // The delivered flow is off by up to this fraction of its reading, a
    // zero-mean error that changes every ErrorSeconds. It depends only on
    // Seed, the controller and the period, never on how often it is asked.
    double ReadingError = 0.005;
    double ErrorSeconds = 1.0;
    std::uint64_t Seed = 1;
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
    bool KeepsGasTable = false;                 // acknowledges a gas-table switch but keeps its table
    std::optional<float> TotalizerKg;           // the totalizer reads this, whatever flows
    double CorruptPercent = 0.0;                // this share of the replies has a byte garbled on the line
    // An error of calibration: the gas that truly flows is (1 + this share)
    // times what the controller measures (and shows, and totalizes), plus
    // CalibrationOffset (g/min) while it controls a flow.
    double CalibrationShare = 0.0;
    double CalibrationOffset = 0.0;
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
// table 1 of both is air. Each follows its set-point as `Response` says (no
// flow below the table's minimum, a first-order lag, an error of reading;
// never above the full scale) and integrates what it delivered into its
// totalizer, in kilograms.
//
// Registers: 0 actual flow and 6 set-point (floats, g/min), 4 totalizer
// (float, kg; reading only), 35 identification (8 characters), 16697 gas
// table in use, 24575 gas table shown by 24608 full scale (float), 24610
// long name (50 characters), 24642 short name, 24646 unit (8 characters
// each) and 24866 dynamic range, 25472 totalizer (float, kg; writing sets
// it, 0.0 zeroes it).
class MfcBusModel final : public DeviceModel {
public:
    MfcBusModel();

    MfcResponse Response;
    // Whether frames and set-point writes are kept (long runs turn it off).
    bool KeepRecords = true;

    SerialFraming framing() const override { return {9600, 0, 2}; }
    DeviceReply receive(const std::vector<std::uint8_t>& bytes, double at) override;

    MfcFaults& faults(int address);
    void clearFaults();

    // Replies sent, and those a flaky line garbled.
    std::uint64_t replies() const { return replies_; }
    std::uint64_t garbledReplies() const { return garbled_; }

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
    // The flow delivered now (g/min), the totalizer (which the program may
    // zero) and every gram delivered since the model was made (the gas that
    // truly flowed, which an error of calibration sets apart from what the
    // controller measures).
    double flow(int address, double at);
    double totalizerKg(int address, double at);
    double deliveredGrams(int address, double at);
    // The gas table the controller meters with (none when unknown).
    const MfcGasTable* tableInUse(int address) const;
    void setGasTable(int address, const MfcGasTable& table);  // adds or replaces

private:
    struct Controller {
        std::uint8_t Address = 0;
        std::string Identification;
        std::vector<MfcGasTable> Tables;
        std::uint16_t TableInUse = 1;
        std::uint16_t TableShown = 1;
        float SetPoint = 0.0f;
        double Flow = 0.0;            // g/min at Updated, before the error of reading
        double TotalKg = 0.0;         // at Updated
        double DeliveredGrams = 0.0;  // at Updated, never zeroed
        double Updated = -1.0;        // day count; negative: not started
        MfcFaults Faults;
    };

    Controller* Find(int address);
    const Controller* Find(int address) const;
    Controller& At(int address);
    const Controller& At(int address) const;
    void Advance(Controller& c, double at);
    std::int64_t ErrorPeriod(double at) const;
    double ReadingFactor(const Controller& c, std::int64_t period) const;
    std::vector<std::uint8_t> Serve(Controller& c, const std::vector<std::uint8_t>& request, double at);
    std::optional<std::uint16_t> ReadRegister(Controller& c, std::uint16_t reg, double at);
    std::uint8_t WriteSingle(Controller& c, std::uint16_t reg, std::uint16_t value, double at);
    std::uint8_t WriteFloat(Controller& c, std::uint16_t reg, float value, double at);

    std::vector<Controller> controllers_;
    std::vector<std::uint8_t> pending_;  // bytes of a frame not yet complete
    double pendingAt_ = 0.0;             // arrival of its last byte
    std::vector<ReceivedFrame> frames_;
    std::vector<SetPointRecord> setPoints_;
    std::uint64_t replies_ = 0;  // replies sent, for the choice of those garbled
    std::uint64_t garbled_ = 0;
};
