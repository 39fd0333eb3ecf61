#include "clock.h"
#include "dry_run.h"
#include "simulated_rig.h"

#include <gtest/gtest.h>

#include <random>

// The stated expanded uncertainty (k = 2) is honest: with every error the
// records allow drawn at random (the controllers' calibration, the bubbler's
// temperature and saturation, the cylinder's fraction), the delivered value
// lies within it of the value expected (the request, unless the records
// say the cylinder holds other than its nominal fraction) in about 95 % of
// dilutions, for a plan of
// every method. An uncertainty too small or far too large both fail.
TEST(Uncertainty, DrawnErrorsLieWithinTheStatedUncertaintyNineteenTimesInTwenty)
{
    constexpr int Runs = 400;
    const double HoldMinutes = 10.0 / 60.0;
    struct Case {
        const char* method;
        const char* gasA;
        const char* gasB;
        std::int32_t a, w;
        std::optional<TDryRunRange> rangeB;
    };
    const TDryRunRange smallB{0.15f, 50};
    const Case cases[] = {
        {"A (constant) in B", "5%H2,95%Ar", "Ar", 10000, 0, {}},
        {"A in B (limited)", "O2", "Ar", 100000, 0, {}},
        {"A (pulse) in B", "O2", "Ar", 1030, 0, {}},
        {"A (constant) in B/H2O", "O2", "N2", 10000, 20000, {}},
        {"A in B/H2O (limited)", "O2", "Ar", 100000, 10000, {}},
        {"A (pulse) in B/H2O", "5%H2,95%Ar", "Ar", 500, 7300, {}},
        {"B (constant) in A", "O2", "Ar", 600000, 0, {}},
        {"B in A (limited)", "O2", "Ar", 600000, 0, smallB},
        {"B (pulse) in A", "O2", "Ar", 800000, 0, {}},
        {"B/H2O (constant) in A", "O2", "Ar", 600000, 5000, {}},
        {"B/H2O in A (limited)", "O2", "Ar", 600000, 5000, smallB},
        {"B/H2O (pulse) in A", "O2", "Ar", 750000, 3000, {}},
        {"A pure", "O2", "Ar", 1000000, 0, {}},
        {"B pure", "O2", "N2", 0, 0, {}},
    };
    std::mt19937_64 random(20261210);
    auto normal = [&random](double sd) { return std::normal_distribution<double>(0.0, sd)(random); };
    auto between = [&random](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };

    for (const Case& c : cases) {
        TDryRunOptions o;
        o.GasA = c.gasA;
        o.GasB = c.gasB;
        o.RangeB = c.rangeB;
        // Each second's flow scatters evenly, as widely as the repeatability
        // stated says.
        o.Response.ReadingError = TControllerRecord().Repeatability / 2 * std::sqrt(3.0);
        TDryRun run(o);
        SimulatedRig& rig = run.Rig();
        const TSourceRecord source = o.Records.Source(c.gasA);
        const TBubblerRecord bubbler = o.Records.Bubbler;
        int withinA = 0;
        int withinW = 0;
        double sumU = 0.0;
        for (int i = 0; i < Runs; ++i) {
            // The truth of this run, drawn from what the records state.
            for (const int address : {1, 2}) {
                const TControllerRecord r = o.Records.Controller(rig.mfc.identification(address));
                MfcFaults& f = rig.mfc.faults(address);
                f.CalibrationShare = normal(r.ReadingShare / 2);
                f.CalibrationOffset = normal(r.FullScaleShare / 2 * rig.mfc.tableInUse(address)->FullScale);
            }
            rig.mfc.Response.Seed = static_cast<std::uint64_t>(i) + 1;
            rig.relay.BubblerTemperatureC = between(18.0, 26.0);
            rig.relay.ThermistorErrorC = normal(bubbler.TemperatureAccuracyC / 2);
            rig.bubbler.SaturationEfficiency = bubbler.Efficiency + normal(bubbler.EfficiencyUncertainty / 2);
            const double fraction = source.Fraction + normal(source.FractionUncertainty / 2);

            run.Request(c.a, c.w);
            run.RunFor(1.0);
            run.StartDilution();
            // Counted once the flows have settled, pulses anywhere in their
            // rhythm.
            const bool pulsed = run.Mixer().LastPlan().Feasibility.Pulsed;
            run.RunFor(pulsed ? between(SettledSeconds, SettledSeconds + 3.0) : 3.0);
            run.CountFromNow();
            // Short holds, pulses held as long as they need to average,
            // ending anywhere in a pulse's rhythm; the uncertainty stated
            // for values averaged over that hold.
            const TPlanResult& plan = run.Mixer().LastPlan();
            const double holdMinutes = std::max(HoldMinutes, plan.Feasibility.Minutes()) * between(1.0, 1.2);
            const std::optional<TPlanUncertainty> u
                = PlanUncertainty(plan, run.Mixer().UncertaintyInputs(), holdMinutes);
            ASSERT_TRUE(u) << c.method;
            run.RunFor(holdMinutes * 60.0);
            const TDryRunResult r = run.Result();
            ASSERT_EQ(r.Method, c.method);
            ASSERT_EQ(r.Alarm, "");
            const double deliveredA = r.DeliveredPpmA * fraction / source.Fraction;
            withinA += std::fabs(deliveredA - u->GasA.ExpectedPpm) <= u->GasA.ExpandedPpm;
            sumU += u->GasA.ExpandedPpm;
            if (c.w > 0) {
                ASSERT_TRUE(u->Water);
                withinW += std::fabs(r.DeliveredPpmH2O - u->Water->ExpectedPpm) <= u->Water->ExpandedPpm;
            }
        }
        const double coverageA = static_cast<double>(withinA) / Runs;
        const double coverageW = static_cast<double>(withinW) / Runs;
        std::printf("%-24s gas A %5.1f %% within +-%.4g ppm (mean)", c.method, 100 * coverageA, sumU / Runs);
        if (c.w > 0)
            std::printf(", water %5.1f %%", 100 * coverageW);
        std::printf("\n");
        if (c.a > 0) {
            EXPECT_GE(coverageA, 0.92) << c.method;
            EXPECT_LE(coverageA, 0.98) << c.method;
        }
        if (c.w > 0) {
            EXPECT_GE(coverageW, 0.92) << c.method;
            EXPECT_LE(coverageW, 0.98) << c.method;
        }
    }
}
