#include "records.h"
#include "uncertainty.h"

#include <gtest/gtest.h>

namespace {

TFlowInfo Range(const std::string& gas, float max, std::uint32_t dyn)
{
    return {gas, gas, "g/min", max, dyn, max / static_cast<float>(dyn)};
}

TUncertaintyInputs Defaults(const std::string& gasA, double celsius)
{
    TUncertaintyInputs in;
    in.SourceA = DefaultSource(gasA);
    in.BubblerC = celsius;
    in.BubblerStepC = 0.095;
    return in;
}

}  // namespace

// With the default records, a constant plan whose controllers both run
// above a tenth of their full scale states gas A within 2.5 % (k = 2); a
// plan that pulses gas A at the edge of its controller states much more.
TEST(Uncertainty, ConstantPlansAboveATenthOfFullScaleStayWithinTwoAndAHalfPercent)
{
    int constant = 0;
    for (const char* gasA : {"O2", "5%H2,95%Ar"})
        for (const char* gasB : {"Ar", "N2"})
            for (const std::int32_t a : {3000, 10000, 50000, 150000, 400000, 700000, 900000})
                for (const std::int32_t w : {0, 10000})
                    for (const float maxA : {0.1f, 1.0f, 5.0f}) {
                        TPlanRequest r{
                            a, 1000000 - a - w, w, gasA, gasB, Range(gasA, maxA, 50), Range(gasB, 1.0f, 50), 0.0261};
                        const TPlanResult plan = CalculatePlan(r);
                        const bool pulsed = plan.Feasibility.Pulsed;
                        if (pulsed || plan.DesiredFlowAGramsperMinute < 0.1 * maxA
                            || plan.DesiredFlowBGramsperMinute < 0.1)
                            continue;
                        const std::optional<TPlanUncertainty> u = PlanUncertainty(plan, Defaults(gasA, 22.0));
                        ASSERT_TRUE(u);
                        ++constant;
                        EXPECT_LE(u->GasA.ExpandedPpm / u->GasA.ExpectedPpm, 0.025)
                            << MixingMethodName(plan.MixingMethod) << " " << a << " ppm " << gasA << " in " << gasB;
                        EXPECT_NEAR(u->GasA.ExpectedPpm, a, a * 2e-5) << "the defaults expect what was asked for";
                        EXPECT_EQ(u->Water.has_value(), w > 0);
                    }
    EXPECT_GT(constant, 40);

    const TPlanResult edge
        = CalculatePlan({150, 999850, 0, "O2", "Ar", Range("O2", 0.25f, 50), Range("Ar", 6.0f, 50), 0.0261});
    ASSERT_TRUE(edge.Feasibility.Pulsed);
    const std::optional<TPlanUncertainty> u = PlanUncertainty(edge, Defaults("O2", 22.0));
    ASSERT_TRUE(u);
    EXPECT_GT(u->GasA.ExpandedPpm / 150, 0.04) << "pulses at the controller's edge are off by several per cent";
    ASSERT_GE(u->GasA.Contributions.size(), 2u);
    EXPECT_EQ(u->GasA.Contributions[0].Name, "pulses of gas A");
    EXPECT_EQ(u->GasA.Contributions[1].Name, "controller A, accuracy of full scale");
}

// The report's block names what it rests on: defaults said as such, a
// confirmed certificate as entered, and records out of date warned about.
TEST(Uncertainty, TheReportBlockTellsDefaultsAndWarnsOfRecordsOutOfDate)
{
    const TPlanResult plan
        = CalculatePlan({10000, 990000, 0, "5%H2,95%Ar", "Ar", Range("5%H2,95%Ar", 1, 50), Range("Ar", 1, 50), 0});
    TUncertaintyInputs in = Defaults("5%H2,95%Ar", 0);
    in.SourceA = {"5%H2,95%Ar", 0.0495, 0.0005, "L42", "2026-06-30", true};
    in.ControllerB.CalibrationDue = "2027-01-01";
    const std::optional<TPlanUncertainty> u = PlanUncertainty(plan, in);
    ASSERT_TRUE(u);
    EXPECT_NEAR(u->GasA.ExpectedPpm, 9900, 1) << "4.95 % of hydrogen where 5 % was planned";
    EXPECT_FALSE(u->Water);

    const double today = *DayCountOfDate("2026-12-10");
    const QStringList lines = UncertaintyLines(*u, in, today);
    EXPECT_EQ(lines.front(), "Expected delivery (k = 2)");
    EXPECT_EQ(lines.filter("Gas A source  : 5%H2,95%Ar, lot L42, expires 2026-06-30").size(), 1);
    EXPECT_EQ(lines.filter("4.950 % \u00b1 0.050 % (k = 2)").size(), 1);
    EXPECT_EQ(lines.filter("(default)").size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter("WARNING").size(), 1);
    EXPECT_TRUE(lines.last().contains("expired on 2026-06-30"));
    EXPECT_EQ(UncertaintyLines(*u, in, *DayCountOfDate("2027-02-01")).filter("WARNING").size(), 2);
}

TEST(Records, FiguresOutOfReasonAndBrokenDatesAreRefusedWithTheirReason)
{
    TSourceRecord source = DefaultSource("O2");
    TControllerRecord controller;
    controller.Serial = "GSC10417";
    TBubblerRecord bubbler;
    EXPECT_EQ(SourceRecordFault(source) + ControllerRecordFault(controller) + BubblerRecordFault(bubbler), "");
    const std::vector<std::pair<std::string, std::string>> faults = {
        {[&] {
             auto s = source;
             s.Fraction = 0;
             return SourceRecordFault(s);
         }(),
         "certified fraction"},
        {[&] {
             auto s = source;
             s.Fraction = 1.2;
             return SourceRecordFault(s);
         }(),
         "certified fraction"},
        {[&] {
             auto s = source;
             s.FractionUncertainty = -0.1;
             return SourceRecordFault(s);
         }(),
         "uncertainty"},
        {[&] {
             auto s = source;
             s.Expiry = "2027-02-30";
             return SourceRecordFault(s);
         }(),
         "is not a date"},
        {[&] {
             auto c = controller;
             c.ReadingShare = 0.5;
             return ControllerRecordFault(c);
         }(),
         "of reading"},
        {[&] {
             auto c = controller;
             c.FullScaleShare = NAN;
             return ControllerRecordFault(c);
         }(),
         "full scale"},
        {[&] {
             auto c = controller;
             c.Serial.clear();
             return ControllerRecordFault(c);
         }(),
         "serial"},
        {[&] {
             auto c = controller;
             c.CalibrationDue = "31.12.2027";
             return ControllerRecordFault(c);
         }(),
         "due date"},
        {[&] {
             auto b = bubbler;
             b.TemperatureAccuracyC = -1;
             return BubblerRecordFault(b);
         }(),
         "temperature"},
        {[&] {
             auto b = bubbler;
             b.Efficiency = 2;
             return BubblerRecordFault(b);
         }(),
         "efficiency"},
    };
    for (const auto& [why, names] : faults)
        EXPECT_NE(why.find(names), std::string::npos) << why;
}
