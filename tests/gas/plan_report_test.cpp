#include "plan_report.h"

#include "qt_printers.h"

#include "controller_ranges.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

TPlanResult Plan(const char* gasA, const char* gasB, std::int32_t a, std::int32_t w, TFlowInfo fia, TFlowInfo fib)
{
    TPlanRequest r;
    r.a = a;
    r.w = w;
    r.b = 1000000 - a - w;
    r.GasA = gasA;
    r.GasB = gasB;
    r.FIA = std::move(fia);
    r.FIB = std::move(fib);
    return CalculatePlan(r);
}

TPlanResult OxygenInArgon(std::int32_t w = 0, std::uint32_t dynA = 1000)
{
    return Plan("O2", "Ar", 150, w, Controller("O2", "Oxygen", 0.1f, dynA), Controller("Ar", "Argon", 1.0f, 100));
}

// The lines from the one starting with `first` up to (not including) the
// next empty-looking line.
QStringList Block(const QStringList& lines, const QString& first)
{
    QStringList block;
    const qsizetype start = lines.indexOf(first);
    for (qsizetype i = start + 1; start >= 0 && i < lines.size() && !lines[i].trimmed().isEmpty(); ++i)
        block << lines[i];
    return block;
}

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

}  // namespace

TEST(PlanReport, OxygenInArgonReadsDigitForDigit)
{
    const QStringList expected = {
        "Description of desired mixture",
        "  150 ppm of Oxygen in Argon",
        "  ",
        "Components of mixture (as partial pressure)",
        "  150 ppm of O2",
        "  999850 ppm of Ar",
        "  ",
        "Components of mixture (as mass fraction)",
        "  120.2 ppm of O2",
        "  999879.8 ppm of Ar",
        "    ",
        "Mass relations of input gases",
        "  0.000 120 170 of Oxygen",
        "  0.999 999 845 of Argon",
        "  ",
        "Controller details for Gas A",
        "  Fluid name     : O2",
        "  Long name      : Oxygen",
        "  Flow unit      : g/min",
        "  Max flow       : 0.100 000",
        "  Min flow       : 0.000 100",
        "  Turndown ratio : 1000",
        "    ",
        "Controller details for Gas B",
        "  Fluid name     : Ar",
        "  Long name      : Argon",
        "  Flow unit      : g/min",
        "  Max flow       : 1.000 000",
        "  Min flow       : 0.010 000",
        "  Turndown ratio : 100",
        "    ",
        "Flow limits",
        "  Min flow of gas A : 0.000 100 000 g/min",
        "  Max flow of gas A : 0.100 000 001 g/min",  // the Single nearest 0.1
        "  Min flow of gas B : 0.010 000 000 g/min",
        "  Max flow of gas B : 1.000 000 000 g/min",
        "    ",
        "Conclusion",
        "  Mixing method     : A (constant) in B",
        "  Required flow A   : 0.000 120 170 g/min",
        "  Required flow B   : 1.000 000 000 g/min",
        QString::fromUtf8("  Resulting flow    : 600.9 ml/min  (25\u00BAC)"),
        QString::fromUtf8("  Resulting flow    : 560.8 mln/min (0\u00BAC)"),
    };
    const QStringList lines = PlanReportLines(OxygenInArgon());
    EXPECT_EQ(lines.size(), expected.size());
    for (qsizetype i = 0; i < std::min(lines.size(), expected.size()); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST(PlanReport, TheMemoTextEndsEveryLineWithCrLf)
{
    const TPlanResult plan = OxygenInArgon();
    const QString text = PlanReportText(plan);
    EXPECT_TRUE(text.startsWith("Description of desired mixture\r\n  150 ppm of Oxygen in Argon\r\n  \r\n"));
    EXPECT_TRUE(text.endsWith(QString::fromUtf8("mln/min (0\u00BAC)\r\n")));
    EXPECT_EQ(text.split("\r\n"), PlanReportLines(plan) + QStringList{""});
}

TEST(PlanReport, WaterAddsItsComponentAndFractionLine)
{
    const QStringList wet = PlanReportLines(OxygenInArgon(10000));
    EXPECT_EQ(wet[1], "  150 ppm of Oxygen in Argon with H2O");
    EXPECT_EQ(
        Block(wet, "Components of mixture (as partial pressure)"),
        (QStringList{"  150 ppm of O2", "  989852 ppm of Ar", "  9998 ppm of H2O", "      1.010 % H2O fraction of B"}));
    EXPECT_EQ(Block(wet, "Components of mixture (as mass fraction)"),
              (QStringList{"  120.8 ppm of O2", "  999879.2 ppm total gas B", "      995345.2 ppm of Ar",
                           "      4534.0 ppm of H2O"}));
    EXPECT_TRUE(wet.contains("  Mixing method     : A (constant) in B/H2O"));
    EXPECT_TRUE(wet.contains("  1.000 000 212 of Argon with H2O"));

    const QStringList dry = PlanReportLines(OxygenInArgon(0));
    for (const QString& line : dry)
        EXPECT_FALSE(line.contains("H2O fraction of B")) << line.toStdString();
}

TEST(PlanReport, AMixtureGasAListsItsComponentsInBothBlocks)
{
    const QStringList lines
        = PlanReportLines(Plan("5%H2,95%Ar", "Ar", 20000, 0, Controller("5%H2,95%Ar", "5%H2,95%Ar", 1.0f, 1000),
                               Controller("Ar", "Argon", 1.0f, 100)));
    EXPECT_EQ(lines[1], "  20000 ppm of 5%H2,95%Ar in Argon");
    EXPECT_EQ(Block(lines, "Components of mixture (as partial pressure)"),
              (QStringList{"  1000 ppm of H2", "  19000 ppm of Ar", "  980000 ppm of Ar"}));
    const QStringList mass = Block(lines, "Components of mixture (as mass fraction)");
    ASSERT_EQ(mass.size(), 4);
    // mean molar mass (1000 * 2.01588 + 999000 * 39.948) / 1e6 = 39.910068;
    // the total of gas A uses the mixture's own molar mass 38.0513.
    EXPECT_EQ(mass[0], "  19068.5 ppm total gas A");
    EXPECT_EQ(mass[1], "      50.5 ppm of H2");
    EXPECT_EQ(mass[2], "      19018.1 ppm of Ar");
    EXPECT_EQ(mass[3], "  980931.4 ppm of Ar");
}

TEST(PlanReport, PulseMethodsShowTheirTimeScales)
{
    // FIA.Min = 0.001 g/min, above the 0.000 120 170 g/min oxygen needs.
    const QStringList lines = PlanReportLines(OxygenInArgon(0, 100));
    const qsizetype at = lines.indexOf("  Mixing method     : A (pulse) in B");
    ASSERT_GE(at, 0);
    const QStringList expected = {
        "  Required flow A   : 0.000 120 170 g/min",
        "  Required flow B   : 1.000 000 000 g/min",
        "  Timescale A       : 0.120 170",
        "  Timescale B       : 1.000 000",
        "  1/Timescale A     : 8.321 565",
        "  1/Timescale B     : 1.000 000",
        "  Timescale A * 60  : 7.210",
        "  Timescale B * 60  : 60.000",
        "  Massflow A (1 min): 0.000 014 441 g",
        "  Massflow B (1 min): 1.000 000 000 g",
    };
    EXPECT_EQ(lines.mid(at + 1, expected.size()), expected);
    // Only the pulsed share of gas A flows.
    EXPECT_EQ(lines[at + 11], QString::fromUtf8("  Resulting flow    : 600.8 ml/min  (25\u00BAC)"));
}

TEST(PlanReport, PureGasesShowNoTimeScales)
{
    const TFlowInfo fia = Controller("O2", "Oxygen", 1.0f, 100);
    const TFlowInfo fib = Controller("Ar", "Argon", 1.0f, 100);
    for (std::int32_t a : {0, 1000000}) {
        const QStringList lines = PlanReportLines(Plan("O2", "Ar", a, 0, fia, fib));
        SCOPED_TRACE(a);
        EXPECT_TRUE(lines.contains(a == 0 ? "  Mixing method     : B pure" : "  Mixing method     : A pure"));
        for (const QString& line : lines)
            EXPECT_FALSE(line.contains("Timescale")) << line.toStdString();
    }
}

TEST(PlanReport, AZeroTimeScaleShowsAnInfiniteReciprocal)
{
    // No gas A with water requested: gas A is "pulsed" for no time at all.
    const TPlanResult plan
        = Plan("O2", "Ar", 0, 10000, Controller("O2", "Oxygen", 0.1f, 1000), Controller("Ar", "Argon", 1.0f, 100));
    ASSERT_EQ(MixingMethodName(plan.MixingMethod), "A (pulse) in B/H2O");
    ASSERT_EQ(plan.TimeScaleA, 0.0f);
    const QStringList lines = PlanReportLines(plan);
    EXPECT_TRUE(lines.contains("  Timescale A       : 0.000 000"));
    EXPECT_TRUE(lines.contains("  1/Timescale A     : INF"));
    EXPECT_TRUE(lines.contains("  1/Timescale B     : 1.000 000"));
    EXPECT_TRUE(lines.contains("  Massflow A (1 min): 0.000 000 000 g"));
}

TEST(PlanReport, ACommaLocaleWritesCommas)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    const QStringList lines = PlanReportLines(OxygenInArgon());
    EXPECT_TRUE(lines.contains("  120,2 ppm of O2"));
    EXPECT_TRUE(lines.contains("  0,000 120 170 of Oxygen"));
    EXPECT_TRUE(lines.contains("  Max flow       : 1,000 000"));
    EXPECT_TRUE(lines.contains("  Required flow A   : 0,000 120 170 g/min"));
    EXPECT_TRUE(lines.contains(QString::fromUtf8("  Resulting flow    : 600,9 ml/min  (25\u00BAC)")));
    EXPECT_TRUE(lines.contains("  999850 ppm of Ar")) << "whole numbers have no separators";
}
