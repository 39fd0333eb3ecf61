// A grid of plans on the dry run's core: every plan is delivered within
// tolerance over a 10-minute hold, without an alarm, or refused before it
// starts. The full grid is DISABLED_ (a minute of processor time in a
// Release build); run it with --gtest_also_run_disabled_tests.
#include "dry_run.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

namespace {

struct TRanges {
    const char* Name;
    std::optional<TDryRunRange> A, B;
};

// The controllers' own tables, a fine gas A with a coarse gas B, and a
// large gas A controller with a small gas B one.
const TRanges Own{"own", {}, {}};
const TRanges FineA{"1/100,2/20", TDryRunRange{1.0f, 100}, TDryRunRange{2.0f, 20}};
const TRanges LargeA{"6/50,0.25/50", TDryRunRange{6.0f, 50}, TDryRunRange{0.25f, 50}};

struct TRig {
    const char* GasA;
    const char* GasB;
    TRanges Ranges;
};

struct TGrid {
    std::vector<TRig> Rigs;
    std::vector<std::int32_t> PpmA, PpmH2O;
};

void Sweep(const TGrid& grid)
{
    std::set<TMixingMethod> methods;
    int delivered = 0, refused = 0;
    for (const auto& [gasA, gasB, ranges] : grid.Rigs)
        for (std::int32_t a : grid.PpmA)
            for (std::int32_t w : grid.PpmH2O) {
                TDryRunOptions o;
                o.GasA = gasA;
                o.GasB = gasB;
                o.RangeA = ranges.A;
                o.RangeB = ranges.B;
                TDryRun run(o);
                run.Request(a, w);
                const TPlanResult& plan = run.Mixer().LastPlan();
                methods.insert(plan.MixingMethod);
                SCOPED_TRACE(testing::Message()
                             << a << " ppm " << gasA << ", " << plan.w << " ppm water in " << gasB << ", controllers "
                             << ranges.Name << ": " << MixingMethodName(plan.MixingMethod));
                if (!run.Refusal().empty()) {
                    ++refused;
                    run.StartDilution();
                    EXPECT_EQ(run.State().MixerState, TMixerState::Standby) << "refused before it starts";
                    continue;
                }
                ++delivered;
                run.StartDilution();
                run.RunFor(120);
                const TDryRunResult twoMinutes = run.Result();
                run.RunFor(180);
                const TDryRunResult fiveMinutes = run.Result();
                run.RunFor(300);
                const TDryRunResult r = run.Result();
                EXPECT_EQ(r.Alarm, "");
                EXPECT_TRUE(r.WithinTolerance())
                    << r.DeliveredPpmA << " ppm gas A, " << r.DeliveredPpmH2O << " ppm water";
                // A constant gas B doses water in stretches of one relay
                // exchange (30 ms) at least: below a few hundred ppm that
                // is more than two minutes' tolerance.
                if (!plan.Feasibility.Pulsed) {
                    EXPECT_TRUE(twoMinutes.AWithinTolerance()) << "over 2 minutes";
                    if (plan.w == 0 || plan.w >= 1000) {
                        EXPECT_TRUE(twoMinutes.H2OWithinTolerance()) << "over 2 minutes";
                    }
                }
                if (plan.Feasibility.Pulsed && plan.Feasibility.Minutes() <= 5.0) {
                    EXPECT_TRUE(fiveMinutes.WithinTolerance()) << "over 5 minutes";
                }
            }
    EXPECT_EQ(methods.size(), 14u) << "all fourteen methods";
    testing::Test::RecordProperty("delivered", delivered);
    testing::Test::RecordProperty("refused", refused);
}

}  // namespace

TEST(DryRunSweep, EveryPlanIsDeliveredWithinToleranceOrRefusedBeforeItStarts)
{
    Sweep({{{"O2", "Ar", Own}, {"5%H2,95%Ar", "N2", Own}, {"O2", "N2", FineA}, {"5%H2,95%Ar", "Ar", LargeA}},
           {0, 1, 20, 150, 10000, 100000, 600000, 950000, 999000, 1000000},
           {0, 200, 25000}});
}

TEST(DryRunSweep, DISABLED_TheWholeGrid)
{
    std::vector<TRig> rigs;
    for (const auto& [gasA, gasB] : {std::pair{"O2", "Ar"}, {"O2", "N2"}, {"5%H2,95%Ar", "Ar"}, {"5%H2,95%Ar", "N2"}})
        for (const TRanges& ranges : {Own, FineA, LargeA})
            rigs.push_back({gasA, gasB, ranges});
    Sweep({rigs,
           {0,      1,      2,      5,      10,     20,     50,     100,    150,    200,
            500,    1000,   2000,   5000,   10000,  20000,  50000,  100000, 200000, 500000,
            700000, 800000, 900000, 950000, 990000, 999000, 999900, 999990, 999999, 1000000},
           {0, 20, 200, 2000, 10000, 25000}});
}
