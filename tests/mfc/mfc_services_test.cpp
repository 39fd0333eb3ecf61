#include "clock.h"
#include "hex_bytes.h"
#include "mfc_bus_model.h"
#include "mfc_services.h"
#include "modbus_frame.h"
#include "serial_lines.h"
#include "simulated_port.h"
#include "voegtlin_port.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

constexpr const char* PortName = "SIM-MFC";

// The controller services against the simulated controllers.
struct Controllers {
    FakeClock clock;
    MfcBusModel model;
    SimulatedPort port{model, clock};
    RegisteredSerialLines lines;
    MfcBus bus{lines, clock, PortName};
    std::vector<std::string> memo;

    Controllers() { registerSimulatedPort(lines, PortName, port); }

    bool Validate()
    {
        return ValidateMFC(bus, [this](const std::string& line) { memo.push_back(line); });
    }

    // The program's own pauses, without the 10 ms of the transactions.
    std::vector<unsigned> Pauses() const
    {
        std::vector<unsigned> pauses;
        std::copy_if(clock.sleeps().begin(), clock.sleeps().end(), std::back_inserter(pauses),
                     [](unsigned ms) { return ms != 10; });
        return pauses;
    }

    // Register and controller of each frame the bus carried, "a:register".
    std::vector<std::string> FrameTargets() const
    {
        std::vector<std::string> targets;
        for (const ReceivedFrame& f : model.frames()) {
            targets.push_back(std::to_string(f.Bytes[0]) + ":" + std::to_string(f.Bytes[1]) + ":"
                              + std::to_string(f.Bytes[2] << 8 | f.Bytes[3]));
        }
        return targets;
    }
};

double MsBetween(const ReceivedFrame& a, const ReceivedFrame& b)
{
    return (b.At - a.At) * MsPerDay;
}

}  // namespace

TEST(ValidateMFC, BothControllersMustIdentifyAsGSC)
{
    struct Case {
        const char* name;
        std::function<void(MfcBusModel&)> fault;
        bool ok;
    };
    const Case cases[] = {
        {"both identify", [](MfcBusModel&) {}, true},
        {"controller 2 is something else", [](MfcBusModel& m) { m.faults(2).Identification = "XYZ10418"; }, false},
        {"controller 2 is silent", [](MfcBusModel& m) { m.faults(2).Silent = true; }, false},
        {"controller 1 in lower case", [](MfcBusModel& m) { m.faults(1).Identification = "gsc10417"; }, false},
        {"controller 1 answers with a bad CRC", [](MfcBusModel& m) { m.faults(1).BadCrc = true; }, false},
        {"only the prefix", [](MfcBusModel& m) { m.faults(1).Identification = "GSC"; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Controllers mfc;
        c.fault(mfc.model);
        EXPECT_EQ(mfc.Validate(), c.ok);
        EXPECT_EQ(mfc.memo,
                  (std::vector<std::string>{"", c.ok ? "MFCs are OK" : "One of more MFC failed to be identified"}));
        // A garbled reply is asked for once more.
        const bool garbled = mfc.model.faults(1).BadCrc;
        EXPECT_EQ(mfc.FrameTargets(),
                  garbled ? (std::vector<std::string>{"1:3:35", "1:3:35", "2:3:35"})
                          : (std::vector<std::string>{"1:3:35", "2:3:35"}));
        EXPECT_EQ(mfc.Pauses(), (std::vector<unsigned>{20, 20}));
    }
}

TEST(ValidateMFC, APortTheSystemRefusedSaysWhy)
{
    using Reason = SerialOpenFailure::Reason;
    struct Case {
        const char* name;
        SerialOpenFailure refusal;
        const char* line;  // after the verdict; none for a port that is simply missing
    };
    const Case cases[] = {
        {"missing", {}, nullptr},
        {"no permission",
         {Reason::PermissionDenied, "/dev/ttyUSB0", ""},
         "Permission denied on /dev/ttyUSB0: add your user to the group dialout and log in again"},
        {"held",
         {Reason::HeldByAnotherProgram, "/dev/ttyUSB0", "minicom (process 4711)"},
         "Failed to setup Com port, port in use: /dev/ttyUSB0 is held by minicom (process 4711)"},
        {"held, holder not told",
         {Reason::HeldByAnotherProgram, "", ""},
         "Failed to setup Com port, port in use: SIM-MFC is held by another program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Controllers mfc;
        mfc.port.Unavailable = true;
        mfc.port.UnavailableBecause = c.refusal;
        EXPECT_FALSE(mfc.Validate());
        std::vector<std::string> expected{"", MfcsNotIdentified};
        if (c.line)
            expected.push_back(c.line);
        EXPECT_EQ(mfc.memo, expected);
    }
}

TEST(ValidateMFC, ReadsBothIdentificationsWithTheirPauses)
{
    Controllers mfc;
    const MfcIdentification id = IdentifyMFCs(mfc.bus);
    EXPECT_EQ(id.Controller1.AsString, "GSC10417");
    EXPECT_EQ(id.Controller2.AsString, "GSC10418");
    // Each read: 10 ms after the write, a poll that finds nothing yet at
    // 9600 bit/s, one that finds the reply; then the 20 ms pause.
    EXPECT_EQ(mfc.clock.sleeps(), (std::vector<unsigned>{10, 10, 10, 20, 10, 10, 10, 20}));
}

TEST(MinMaxFlow, SwitchesTheGasTableAndReadsItsRange)
{
    Controllers mfc;
    TFlowInfo info;
    double min = -1.0;
    double max = -1.0;
    EXPECT_EQ(MinMaxFlow(mfc.bus, 1, GasTableNumber(1), info, min, max), "");

    EXPECT_EQ(mfc.FrameTargets(),
              (std::vector<std::string>{"1:6:16697", "1:6:24575", "1:3:16697", "1:3:24642", "1:3:24610", "1:3:24608",
                                        "1:3:24646", "1:3:24866"}));
    const auto& frames = mfc.model.frames();
    EXPECT_EQ(ToHex(frames[0].Bytes), "01 06 41 39 00 03 0D FA");
    EXPECT_EQ(frames[1].Bytes[5], 3);
    // 150 ms between the two writes and 250 ms before the first read, each
    // after the write's own 10 ms, which follow its 8 bytes' time on the
    // wire (11 bits each at 9600 bit/s) and 2 ms of guard.
    const double writeMs = 8 * 11 / 9.6 + 2 + 10;
    EXPECT_NEAR(MsBetween(frames[0], frames[1]), 150 + writeMs, 0.01);
    EXPECT_NEAR(MsBetween(frames[1], frames[2]), 250 + writeMs, 0.01);
    EXPECT_EQ(mfc.Pauses(), (std::vector<unsigned>{150, 250, 20, 20, 20, 20, 20, 20}));

    EXPECT_EQ(mfc.model.gasTableInUse(1), 3);
    EXPECT_EQ(mfc.model.gasTableInUse(2), 1);
    EXPECT_EQ(info.Name, "5%H2Ar");
    EXPECT_EQ(info.LongName, "5% Hydrogen in Argon");
    EXPECT_EQ(info.FlowUnit, "g/min");
    EXPECT_EQ(info.Max, 0.3f);
    EXPECT_EQ(info.Dyn, 50u);
    EXPECT_EQ(info.Min, static_cast<float>(0.3f / 50.0L));
    EXPECT_EQ(min, static_cast<double>(info.Min));
    EXPECT_EQ(max, static_cast<double>(info.Max));
}

TEST(MinMaxFlow, EachListPositionSelectsItsTableOnItsController)
{
    struct Case {
        std::uint32_t address;
        int listIndex;
        const char* name;
    };
    const Case cases[] = {{1, 0, "O2"}, {1, 1, "5%H2Ar"}, {2, 0, "Ar"}, {2, 1, "N2"}, {2, -1, "Air"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Controllers mfc;
        TFlowInfo info;
        double min = 0.0;
        double max = 0.0;
        ASSERT_EQ(MinMaxFlow(mfc.bus, c.address, GasTableNumber(c.listIndex), info, min, max), "");
        EXPECT_EQ(info.Name, c.name);
        const std::uint16_t table = static_cast<std::uint16_t>(c.listIndex + 2);
        EXPECT_EQ(mfc.model.gasTableInUse(c.address), table);
        EXPECT_EQ(mfc.model.gasTableInUse(3 - c.address), 1) << "the other controller is left alone";
        EXPECT_EQ(info.Max, mfc.model.gasTable(c.address, table)->FullScale);
    }
}

TEST(MinMaxFlow, AFailedOrMeaninglessRangeKeepsTheFormerOne)
{
    struct Case {
        const char* name;
        std::function<void(MfcBusModel&)> fault;
        bool tableSwitched;
        const char* status = nullptr;  // null: any failure
    };
    const char* invalid = "Invalid full-scale flow";
    const auto fullScale = [](float value) {
        return [value](MfcBusModel& m) {
            MfcGasTable t = *m.gasTable(2, 3);
            t.FullScale = value;
            m.setGasTable(2, t);
        };
    };
    const Case cases[] = {
        {"dynamic range 0", [](MfcBusModel& m) { m.faults(2).DynamicRangeZero = true; }, true},
        {"silent", [](MfcBusModel& m) { m.faults(2).Silent = true; }, false},
        {"corrupted replies", [](MfcBusModel& m) { m.faults(2).BadCrc = true; }, true},
        {"exception replies", [](MfcBusModel& m) { m.faults(2).ExceptionCode = 4; }, false},
        {"full scale not a number", fullScale(std::numeric_limits<float>::quiet_NaN()), true, invalid},
        {"full scale infinite", fullScale(std::numeric_limits<float>::infinity()), true, invalid},
        {"full scale 0", fullScale(0.0f), true, invalid},
        {"full scale -0", fullScale(-0.0f), true, invalid},
        {"full scale negative", fullScale(-4.0f), true, invalid},
        {"full scale subnormal", fullScale(std::numeric_limits<float>::min() / 2), true, invalid},
        {"full scale the smallest subnormal", fullScale(std::numeric_limits<float>::denorm_min()), true, invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Controllers mfc;
        c.fault(mfc.model);
        TFlowInfo info;
        info.Name = "Ar";
        info.Max = 6.0f;
        info.Dyn = 50;
        info.Min = 0.12f;
        double min = 0.12;
        double max = 6.0;
        const std::string status = MinMaxFlow(mfc.bus, 2, 3, info, min, max);
        EXPECT_NE(status, "");
        if (c.status) {
            EXPECT_EQ(status, c.status);
        }
        EXPECT_EQ(info.Name, "Ar");
        EXPECT_EQ(info.Max, 6.0f);
        EXPECT_EQ(info.Dyn, 50u);
        EXPECT_EQ(min, 0.12);
        EXPECT_EQ(max, 6.0);
        EXPECT_EQ(mfc.model.gasTableInUse(2), c.tableSwitched ? 3 : 1);
        // The whole conversation still takes place, each garbled reply asked for twice.
        EXPECT_EQ(mfc.FrameTargets().size(), mfc.model.faults(2).BadCrc ? 16u : 8u);
    }
}

TEST(SetMFCFlow, WritesTheSetPointAsAFloatAndPauses)
{
    Controllers mfc;
    EXPECT_EQ(SetMFCFlow(mfc.bus, 2, 1.5).Status, "");
    ASSERT_EQ(mfc.model.frames().size(), 1u);
    EXPECT_EQ(ToHex(mfc.model.frames()[0].Bytes), "02 10 00 06 00 02 04 3F C0 00 00 70 E9");
    ASSERT_EQ(mfc.model.setPoints().size(), 1u);
    EXPECT_EQ(mfc.model.setPoints()[0].Address, 2);
    EXPECT_EQ(mfc.model.setPoints()[0].Value, 1.5f);
    EXPECT_EQ(mfc.model.setPoint(2), 1.5f);
    EXPECT_EQ(mfc.clock.sleeps(), (std::vector<unsigned>{10, 20}));
}

TEST(SetMFCFlow, RefusesFlowsThatAreNegativeOrNotFinite)
{
    const double refused[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), -0.5, 1.0e300 /* no float */};
    for (double flow : refused) {
        SCOPED_TRACE(flow);
        Controllers mfc;
        SetMFCFlow(mfc.bus, 1, 0.1);
        const TSerialResponse r = SetMFCFlow(mfc.bus, 1, flow);
        EXPECT_EQ(r.Status, StatusInvalidSetPoint);
        EXPECT_EQ(mfc.model.frames().size(), 1u) << "nothing but the first set-point reached the bus";
        EXPECT_EQ(mfc.model.setPoint(1), 0.1f);
    }
}

TEST(Totalizers, ReadingsAreGramsWithTheirTimes)
{
    Controllers mfc;
    TVoegtlinPort direct(mfc.lines, mfc.clock);
    direct.UseControllerLine(PortName);
    direct.WriteF32(1, 25472, 0.25f);  // kg
    direct.WriteF32(2, 25472, 0.0f);
    mfc.model.clearRecords();
    mfc.clock.clearSleeps();

    TTotalizer a;
    TTotalizer b;
    const double before = mfc.clock.now();
    EXPECT_EQ(ReadTotalizers(mfc.bus, a, b), "");
    EXPECT_EQ(a.Value, 250.0);
    EXPECT_EQ(b.Value, 0.0);
    EXPECT_GT(a.Time, before);
    EXPECT_GT(b.Time, a.Time);
    EXPECT_EQ(mfc.Pauses(), (std::vector<unsigned>{50, 50}));
    EXPECT_EQ(mfc.FrameTargets(), (std::vector<std::string>{"1:3:4", "2:3:4"}));
}

TEST(Totalizers, TheTotalizerIntegratesTheDeliveredFlow)
{
    Controllers mfc;
    mfc.model.Response.ReadingError = 0.0;  // the integral exactly
    TFlowInfo info;
    double min = 0.0;
    double max = 0.0;
    ASSERT_EQ(MinMaxFlow(mfc.bus, 2, GasTableNumber(0), info, min, max), "");  // Ar, 6 g/min full scale
    TTotalizer a;
    TTotalizer b;
    ResetRetrieveTotalizers(mfc.bus, a, b);
    SetMFCFlow(mfc.bus, 2, 3.0);
    const double setAt = mfc.model.setPoints().back().At;
    mfc.clock.advanceMs(120000.0);  // two minutes
    ReadTotalizers(mfc.bus, a, b);
    const double minutes = (mfc.model.frames().back().At - setAt) * MinutesPerDay;
    const double tau = mfc.model.Response.LagSeconds / 60.0;
    const double grams = 3.0 * minutes - 3.0 * tau * (1.0 - std::exp(-minutes / tau));
    EXPECT_NEAR(b.Value - b.StartValue, grams, 0.002);
    EXPECT_EQ(a.Value, 0.0);
}

TEST(Totalizers, ResetZeroesBothAndTakesTheStartValuesAfterwards)
{
    Controllers mfc;
    TVoegtlinPort direct(mfc.lines, mfc.clock);
    direct.UseControllerLine(PortName);
    direct.WriteF32(1, 25472, 1.5f);
    direct.WriteF32(2, 25472, 2.5f);
    mfc.model.clearRecords();
    mfc.clock.clearSleeps();

    TTotalizer a;
    TTotalizer b;
    a.Value = 123.0;
    b.Value = 456.0;
    EXPECT_EQ(ResetRetrieveTotalizers(mfc.bus, a, b), "");
    EXPECT_EQ(mfc.FrameTargets(), (std::vector<std::string>{"1:16:25472", "2:16:25472", "1:3:4", "2:3:4"}));
    EXPECT_EQ(ToHex(mfc.model.frames()[0].Bytes), "01 10 63 80 00 02 04 00 00 00 00 47 3D");
    EXPECT_EQ(mfc.Pauses(), (std::vector<unsigned>{20, 20, 20}));
    EXPECT_EQ(a.StartValue, 0.0);
    EXPECT_EQ(b.StartValue, 0.0);
    EXPECT_EQ(a.Value, 123.0);
    EXPECT_EQ(b.Value, 456.0);
    EXPECT_EQ(a.StartTime, a.Time);
    EXPECT_EQ(b.StartTime, b.Time);
    // Each time is taken when its own reading is back.
    EXPECT_GT(a.StartTime, mfc.model.frames()[2].At);
    EXPECT_GT(b.StartTime, mfc.model.frames()[3].At);
    EXPECT_LT(a.StartTime, mfc.model.frames()[3].At);
}

TEST(Totalizers, AFailedReadKeepsTheLastReadingAndNamesTheController)
{
    Controllers mfc;
    mfc.model.faults(2).Silent = true;
    TTotalizer a;
    TTotalizer b;
    b.Value = 7.0;
    b.Time = 1.0;
    b.StartValue = 3.0;
    EXPECT_EQ(ReadTotalizers(mfc.bus, a, b), "Controller 2 totalizer not read: No result to read");
    EXPECT_EQ(a.Value, 0.0);
    EXPECT_EQ(b.Value, 7.0);
    EXPECT_EQ(b.Time, 1.0);

    EXPECT_EQ(ResetRetrieveTotalizers(mfc.bus, a, b),
              "Controller 2 did not confirm the totalizer zeroing: No result to read");
    EXPECT_EQ(a.StartValue, 0.0);
    EXPECT_EQ(b.StartValue, 3.0);
    EXPECT_GT(b.StartTime, a.StartTime) << "the zeroing's time stands";
}
