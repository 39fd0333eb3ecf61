#include "dry_run.h"
#include "log_table_model.h"
#include "simulated_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

TEST(DryRun, EveryMethodDeliversItsPlanOnStrictControllers)
{
    const TDeliveryRules mended;
    const TDeliveryRules gasAUnpulsedWithWater{false, true};
    const TDeliveryRules oldWaterShare{true, false};
    const TDryRunRange smallB{0.15f, 50};  // gas B limited where gas A dominates
    struct Case {
        const char* method;
        const char* gasA;
        const char* gasB;
        std::int32_t a, w;
        std::optional<TDryRunRange> rangeB;
        TDeliveryRules rules;
        bool gasAWithin, waterWithin;
    };
    const Case cases[] = {
        {"A (constant) in B", "O2", "Ar", 10000, 0, {}, mended, true, true},
        {"A in B (limited)", "O2", "Ar", 100000, 0, {}, mended, true, true},
        {"A (pulse) in B", "O2", "Ar", 150, 0, {}, mended, true, true},
        {"A (pulse) in B", "O2", "Ar", 1030, 0, {}, mended, true, true},  // a third of the pulse flow
        {"A (constant) in B/H2O", "O2", "N2", 10000, 20000, {}, mended, true, true},
        {"A (constant) in B/H2O", "5%H2,95%Ar", "N2", 20000, 15000, {}, mended, true, true},
        {"A in B/H2O (limited)", "O2", "Ar", 100000, 10000, {}, mended, true, true},
        {"A (pulse) in B/H2O", "O2", "Ar", 150, 7300, {}, mended, true, true},
        {"A (pulse) in B/H2O", "O2", "Ar", 150, 25000, {}, mended, true, true},  // near the upper limit
        {"B (constant) in A", "O2", "Ar", 600000, 0, {}, mended, true, true},
        {"B in A (limited)", "O2", "Ar", 600000, 0, smallB, mended, true, true},
        {"B (pulse) in A", "O2", "Ar", 800000, 0, {}, mended, true, true},
        {"B (pulse) in A", "O2", "Ar", 723000, 0, {}, mended, true, true},  // just below gas B's minimum
        {"B/H2O (constant) in A", "O2", "Ar", 600000, 5000, {}, mended, true, true},
        {"B/H2O in A (limited)", "O2", "Ar", 600000, 5000, smallB, mended, true, true},
        {"B/H2O (pulse) in A", "O2", "Ar", 800000, 3000, {}, mended, true, true},
        {"A pure", "O2", "Ar", 1000000, 0, {}, mended, true, true},
        {"B pure", "O2", "N2", 0, 0, {}, mended, true, true},
        // Without the mends: gas A at its planned flow, a seventh of the
        // controller's minimum, is not delivered at all ...
        {"A (pulse) in B/H2O", "O2", "Ar", 150, 7300, {}, gasAUnpulsedWithWater, false, true},
        // ... and the bubbler share as first written is too wet where gas B is
        // nearly all of the flow, far too dry where it is a minority.
        {"A (pulse) in B/H2O", "O2", "Ar", 150, 1000, {}, oldWaterShare, true, false},
        {"B/H2O (constant) in A", "O2", "Ar", 600000, 5000, {}, oldWaterShare, true, false},
    };
    for (const Case& c : cases) {
        TDryRunOptions o;
        o.GasA = c.gasA;
        o.GasB = c.gasB;
        o.PpmA = c.a;
        o.PpmH2O = c.w;
        o.Minutes = 5;
        o.RangeB = c.rangeB;
        o.Rules = c.rules;
        const TDryRunResult r = TDryRun::Run(o);
        SCOPED_TRACE(testing::Message() << c.method << " " << c.a << " ppm " << c.gasA << ", " << c.w
                                        << " ppm water in " << c.gasB << ": gas A " << r.DeliveredPpmA << ", water "
                                        << r.DeliveredPpmH2O);
        EXPECT_EQ(r.Method, c.method);
        EXPECT_EQ(r.Alarm, "") << "the supervision finds the delivery sound";
        EXPECT_EQ(r.RequestedPpmH2O, c.w) << "the water limits left the request alone";
        EXPECT_EQ(r.AWithinTolerance(), c.gasAWithin);
        EXPECT_EQ(r.H2OWithinTolerance(), c.waterWithin);
        if (!c.rules.GasAPulsesWithWater) {
            EXPECT_EQ(r.GramsA, 0.0);
        }
    }
}

TEST(DryRun, HoursOfHumidifiedDilutionRideOutAFlakyControllerLine)
{
    // Three hours with 3 % of the replies garbled hold more replies garbled
    // twice in a row (the retry garbled too) than a day at 1 % (the day
    // itself is `dilutra-cli dry-run ... --simulate-fault mfc-flaky@0:1`).
    TDryRunOptions o;  // 150 ppm oxygen in argon: gas A in pulses
    o.PpmH2O = 7300;
    o.Minutes = 3 * 60;
    o.Faults = {*ParseScheduledFault("mfc-flaky@0:3")};
    TDryRun run(o);
    run.Request(o.PpmA, o.PpmH2O);
    run.StartDilution();
    run.RunFor(o.Minutes * 60);
    const TDryRunResult r = run.Result();
    EXPECT_NEAR(static_cast<double>(r.GarbledReplies) / static_cast<double>(r.Replies), 0.03, 0.003);
    EXPECT_EQ(r.Alarm, "");
    EXPECT_TRUE(r.WithinTolerance()) << "gas A " << r.DeliveredPpmA << ", water " << r.DeliveredPpmH2O;

    // No cell of the log holds a number that was not read or computed.
    EXPECT_GT(run.Log().StoredRows(), 3 * 3600);
    for (int i = 0; i < run.Log().DataRows(); ++i)
        ASSERT_TRUE(std::all_of(std::begin(run.Log().Row(i).Numbers), std::end(run.Log().Row(i).Numbers),
                                [](double v) { return std::isfinite(v); }))
            << "row " << i;
}

// A program stops at a step its controllers cannot deliver, before the step
// sends any gas; a pulsed gas that does not come raises the alarm all the
// same.
TEST(DryRun, AProgramStopsAtAStepItCannotDeliverAndAPulsedGasThatDoesNotComeIsFound)
{
    TDryRunOptions o;
    o.RangeA = TDryRunRange{6.0f, 50};
    o.RangeB = TDryRunRange{0.25f, 50};
    TDryRun program(o);
    const TDryRunProgramResult r = program.RunProgram({{100000, 0, 1, false}, {150, 0, 1, false}});
    ASSERT_EQ(r.Steps.size(), 2u);
    EXPECT_TRUE(r.Steps[0].Completed);
    EXPECT_FALSE(r.Steps[1].Completed);
    EXPECT_EQ(r.Steps[1].Hold.Minutes, 0.0) << "its dilution never began";
    EXPECT_EQ(program.State().MixerState, TMixerState::Standby);
    EXPECT_NE(r.Stopped.find("Not deliverable with these controllers: gas A in pulses of"), std::string::npos)
        << r.Stopped;

    struct Case {
        std::int32_t a;
        int address;
        const char* alarm;
    };
    for (const Case& c : {Case{150, 1, "Gas A delivered "}, Case{800000, 2, "Gas B delivered "}}) {
        TDryRun run(TDryRunOptions{});
        run.Request(c.a, 0);
        run.Rig().mfc.faults(c.address).NoGas = true;
        run.StartDilution();
        run.RunFor(60);
        EXPECT_NE(run.Result().Alarm.find(c.alarm), std::string::npos) << c.a << ": " << run.Result().Alarm;
    }
}
