#include "feasibility_report.h"
#include "planner.h"
#include "pulse_dosing.h"

#include "controller_ranges.h"

#include <gtest/gtest.h>

namespace {

TPlanRequest Request(const char* gasA, const char* gasB, std::int32_t a, std::int32_t w, TFlowInfo fia, TFlowInfo fib,
                     double pH2O = 0.0)
{
    TPlanRequest r;
    r.a = a;
    r.w = w;
    r.b = 1000000 - a - w;
    r.GasA = gasA;
    r.GasB = gasB;
    r.FIA = std::move(fia);
    r.FIB = std::move(fib);
    r.pH2O = pH2O;
    return r;
}

bool Deliverable(TPlanRequest r, std::int32_t a, std::int32_t w)
{
    r.a = a;
    r.w = w;
    r.b = 1000000 - a - w;
    return CalculatePlan(r).Feasibility.Deliverable;
}

}  // namespace

// A pulsed plan is refused when its pulses need more than ten minutes to
// average within tolerance; the report then says why and what the same
// controllers deliver instead, and the edges of those ranges are where
// deliverable plans end.
TEST(Feasibility, APlanIsRefusedOnlyWhenItsPulsesCannotAverageInTenMinutes)
{
    const TFlowInfo O2 = Controller("O2", "Oxygen", 0.25f, 50), bigO2 = Controller("O2", "Oxygen", 6.0f, 50);
    const TFlowInfo fineO2 = Controller("O2", "Oxygen", 1.0f, 100), Ar = Controller("Ar", "Argon", 6.0f, 50);
    const TFlowInfo smallAr = Controller("Ar", "Argon", 0.25f, 50), coarseAr = Controller("Ar", "Argon", 2.0f, 20);
    const TFlowInfo H2Ar = Controller("5%H2,95%Ar", "", 0.3f, 50), N2 = Controller("N2", "Nitrogen", 4.0f, 50);
    const double p = 0.026136;  // 22 degrees C
    struct Case {
        TPlanRequest request;
        bool pulsed, deliverable;
        TAveraging limit;
        const char* reason;
    };
    const Case cases[] = {
        {Request("O2", "Ar", 10000, 0, O2, Ar), false, true, TAveraging::Sound, ""},
        {Request("O2", "Ar", 150, 7300, O2, Ar, p), true, true, TAveraging::Sound, ""},
        {Request("O2", "Ar", 2, 0, fineO2, coarseAr), true, true, TAveraging::Sound, ""},
        {Request("O2", "Ar", 150, 0, bigO2, smallAr), true, false, TAveraging::GasA, "gas A in pulses of "},
        {Request("5%H2,95%Ar", "N2", 999000, 20, H2Ar, N2, p), true, false, TAveraging::WaterByGasB,
         "the water carried by gas B in pulses of "},
        // Without a vapour pressure that water is not judged.
        {Request("5%H2,95%Ar", "N2", 999000, 20, H2Ar, N2), true, true, TAveraging::Sound, ""},
    };
    for (const Case& c : cases) {
        const TPlanResult plan = CalculatePlan(c.request);
        const TPlanFeasibility& f = plan.Feasibility;
        SCOPED_TRACE(testing::Message() << c.request.a << " ppm " << c.request.GasA << ", " << c.request.w
                                        << " ppm water: " << f.Minutes() << " min");
        EXPECT_EQ(f.Pulsed, c.pulsed);
        EXPECT_EQ(f.Deliverable, c.deliverable);
        EXPECT_EQ(f.Deliverable, f.Minutes() <= LongestAveragingMinutes);
        EXPECT_EQ(f.Limit, c.limit);
        const QStringList block = FeasibilityLines(plan);
        EXPECT_EQ(block.isEmpty(), c.deliverable) << "only a plan that is not deliverable adds to its report";
        if (c.deliverable) {
            EXPECT_EQ(UndeliverableReason(plan), QString());
            continue;
        }
        EXPECT_TRUE(UndeliverableReason(plan).startsWith(QString::fromLatin1(c.reason)));
        EXPECT_EQ(block[2], QStringLiteral("  Deliverable       : no, ") + UndeliverableReason(plan));
        ASSERT_LE(f.LowestA, f.HighestA);
        EXPECT_TRUE(f.LowestA == 1 || !Deliverable(c.request, f.LowestA - 1, 0));
        EXPECT_TRUE(Deliverable(c.request, f.LowestA, 0));
        EXPECT_TRUE(Deliverable(c.request, f.HighestA, 0));
        if (f.Limit == TAveraging::WaterByGasB) {
            ASSERT_TRUE(f.WaterRangeKnown);
            EXPECT_GT(f.LowestW, f.HighestW) << "no water at this much gas A";
            EXPECT_TRUE(block.contains("  H2O possible      : none"));
        }
    }
}
