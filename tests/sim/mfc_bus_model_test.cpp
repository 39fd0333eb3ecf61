#include "hex_bytes.h"
#include "mfc_bus_model.h"
#include "rtu_frames.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

namespace {

constexpr double T0 = 46365.5;

std::vector<std::uint8_t> Framed(const std::string& hexWithoutCrc)
{
    auto bytes = Hex(hexWithoutCrc);
    AppendRtuCrc(bytes);
    return bytes;
}

std::string Unframed(std::vector<std::uint8_t> reply)
{
    if (reply.size() < 2)
        return "<" + ToHex(reply) + ">";
    EXPECT_TRUE(RtuCrcMatches(reply)) << ToHex(reply);
    reply.resize(reply.size() - 2);
    return ToHex(reply);
}

}  // namespace

TEST(MfcBusModel, AnswersLikeAModbusSlave)
{
    struct Case {
        const char* name;
        const char* request;  // without CRC
        const char* reply;    // without CRC; "" for none
    };
    const Case cases[] = {
        {"identification", "01 03 00 23 00 04", "01 03 08 47 53 43 31 30 34 31 37"},
        {"gas table in use", "02 03 41 39 00 01", "02 03 02 00 01"},
        {"write single is echoed", "02 06 41 39 00 03", "02 06 41 39 00 03"},
        {"write multiple", "01 10 00 06 00 02 04 3E 00 00 00", "01 10 00 06 00 02"},
        {"set-point reads back", "01 03 00 06 00 02", "01 03 04 00 00 00 00"},
        {"no such register", "01 03 00 64 00 01", "01 83 02"},
        {"read crossing into nothing", "01 03 00 25 00 03", "01 83 02"},
        {"no such gas table", "01 06 41 39 00 09", "01 86 03"},
        {"negative set-point", "01 10 00 06 00 02 04 BF 80 00 00", "01 90 03"},
        {"set-point not a number", "01 10 00 06 00 02 04 7F C0 00 00", "01 90 03"},
        {"byte count disagrees", "01 10 00 06 00 02 03 3E 00 00", "01 90 03"},
        {"unsupported function", "01 04 00 00 00 01", "01 84 01"},
        {"too many registers", "01 03 00 00 00 7E", "01 83 03"},
        {"nobody at address 3", "03 03 00 23 00 04", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MfcBusModel model;
        const DeviceReply reply = model.receive(Framed(c.request), T0);
        EXPECT_EQ(reply.Bytes.empty() ? "" : Unframed(reply.Bytes), c.reply);
        ASSERT_EQ(model.frames().size(), 1u);
        EXPECT_TRUE(model.frames()[0].CrcOk);
    }
}

TEST(MfcBusModel, IgnoresCorruptedFramesAndFragments)
{
    MfcBusModel model;
    auto request = Framed("01 03 00 23 00 04");
    request.back() ^= 1;
    EXPECT_TRUE(model.receive(request, T0).Bytes.empty());
    ASSERT_EQ(model.frames().size(), 1u);
    EXPECT_FALSE(model.frames()[0].CrcOk);

    // A frame in two pieces close together is one frame ...
    const auto whole = Framed("02 03 00 23 00 04");
    const double byte = 11.0 / 9600.0 * 1000.0 / MsPerDay;
    EXPECT_TRUE(model.receive({whole.begin(), whole.begin() + 3}, T0 + 3 * byte).Bytes.empty());
    EXPECT_FALSE(model.receive({whole.begin() + 3, whole.end()}, T0 + 8 * byte).Bytes.empty());
    // ... but a piece left alone for longer than 3.5 characters is dropped.
    EXPECT_TRUE(model.receive({whole.begin(), whole.begin() + 3}, T0 + 100 * byte).Bytes.empty());
    EXPECT_FALSE(model.receive(whole, T0 + 200 * byte).Bytes.empty());
    EXPECT_EQ(model.frames().size(), 3u);
}

TEST(MfcBusModel, BroadcastWritesReachBothControllersUnanswered)
{
    MfcBusModel model;
    EXPECT_TRUE(model.receive(Framed("00 10 00 06 00 02 04 3F 00 00 00"), T0).Bytes.empty());
    EXPECT_EQ(model.setPoint(1), 0.5f);
    EXPECT_EQ(model.setPoint(2), 0.5f);
}

// Controller 2 (argon: 6 g/min full scale, dynamic range 50, so 0.12 g/min
// at least) set to `setPoint` at T0.
void SetArgon(MfcBusModel& model, float setPoint)
{
    model.receive(Framed("02 06 41 39 00 02"), T0);
    std::vector<std::uint8_t> write = Hex("02 10 00 06 00 02 04");
    const auto bits = std::bit_cast<std::uint32_t>(setPoint);
    for (int shift = 24; shift >= 0; shift -= 8)
        write.push_back(static_cast<std::uint8_t>(bits >> shift));
    AppendRtuCrc(write);
    model.receive(write, T0);
}

TEST(MfcBusModel, FlowFollowsTheSetPointBetweenTheMinimumAndTheFullScale)
{
    struct Case {
        float setPoint;
        double delivered;  // g/min
    };
    const float minimum = 6.0f / 50;
    const Case cases[] = {{3.0f, 3.0},  {10.0f, 6.0}, {minimum, minimum}, {std::nextafter(minimum, 0.0f), 0.0},
                          {0.01f, 0.0}, {0.0f, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setPoint);
        MfcBusModel model;
        model.Response.ReadingError = 0.0;
        SetArgon(model, c.setPoint);
        const double tau = model.Response.LagSeconds * 1000.0 / MsPerDay;
        // Day counts resolve to about a microsecond: compare to 1e-5.
        const double tolerance = 1e-5 * c.delivered + 1e-12;
        EXPECT_NEAR(model.flow(2, T0 + tau), c.delivered * (1.0 - std::exp(-1.0)), tolerance);
        EXPECT_NEAR(model.flow(2, T0 + 30 * tau), c.delivered, tolerance);
        // The totalizer holds the integral: after a long run, flow x time
        // less the lag's share, in kilograms.
        const double minutes = 10.0;
        const double kg = model.totalizerKg(2, T0 + minutes / MinutesPerDay);
        EXPECT_NEAR(kg * 1000.0, c.delivered * (minutes - model.Response.LagSeconds / 60.0), tolerance);
        EXPECT_EQ(model.flow(1, T0 + minutes / MinutesPerDay), 0.0);
    }
}

TEST(MfcBusModel, TheDeliveredFlowCarriesASeededErrorOfReading)
{
    // Ten minutes at 3 g/min, asked once at the end or every 7 ms: the
    // same grams, the flow within 0.5 % of the set-point and changing every
    // second, averaging out.
    const double end = T0 + 10.0 / MinutesPerDay;
    MfcBusModel once, often, otherSeed;
    otherSeed.Response.Seed = 2;
    for (MfcBusModel* m : {&once, &often, &otherSeed})
        SetArgon(*m, 3.0f);
    std::vector<double> flows;
    for (double t = T0 + 5.0 / SecondsPerDay; t < end; t += 7.0 / MsPerDay) {
        const double flow = often.flow(2, t);
        EXPECT_NEAR(flow, 3.0, 3.0 * 0.005 + 1e-9);
        if (flows.empty() || flows.back() != flow)
            flows.push_back(flow);
    }
    EXPECT_GT(flows.size(), 500u) << "a new error every second";
    const double grams = once.deliveredGrams(2, end);
    EXPECT_NEAR(often.deliveredGrams(2, end), grams, grams * 1e-9);
    EXPECT_NEAR(often.totalizerKg(2, end) * 1000, grams, grams * 1e-9);
    const double ideal = 3.0 * (10.0 - once.Response.LagSeconds / 60.0);
    EXPECT_NEAR(grams, ideal, ideal * 5e-4) << "zero mean";
    EXPECT_NE(otherSeed.deliveredGrams(2, end), grams);
}
