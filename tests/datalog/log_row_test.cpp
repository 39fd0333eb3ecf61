#include "compounds.h"
#include "log_inputs.h"
#include "log_row.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(LogRow, ComputesMassesFractionsMolesAndPpm)
{
    const TLogRowValues row = ComputeLogRow(HourOfDilution());
    struct Case {
        TProperty p;
        double value;
    };
    // 60 g of argon through the bubbler, saturated at 0.0312733 atm, carry
    // 60 / 39.948 * 0.0312733 / (1 - 0.0312733) mol of water.
    const Case cases[] = {
        {TProperty::GasA, 0.012345},
        {TProperty::GasB, 10.0},
        {TProperty::H2O, 0.8735135270955027},
        {TProperty::TOTg, 10.885858527095502},
        {TProperty::GfracA, 0.0011340400914886606},
        {TProperty::GfracB, 0.9186229983707255},
        {TProperty::GfracH2O, 0.08024296153778586},
        {TProperty::TOTm, 0.29919857221097385},
        {TProperty::MA, 0.00038579573644325135},
        {TProperty::MB, 0.25032540783286095},
        {TProperty::MH2O, 0.04848736864166966},
        {TProperty::ppmA, 1289.4304060088068},
        {TProperty::ppmB, 836653.0828775113},
        {TProperty::ppmH2O, 162057.48671647994},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.p));
        EXPECT_TRUE(row.Has(c.p));
        EXPECT_NEAR(row.Number(c.p), c.value, std::fabs(c.value) * 1e-9);
    }
    EXPECT_EQ(row.Mode, "Dilution");
    EXPECT_EQ(row.Method, "A (constant) in B");
    EXPECT_EQ(row.Time, HourOfDilution().Time);
    EXPECT_TRUE(row.Has(TProperty::Time));
}

TEST(LogRow, ModeAndMethodFollowTheState)
{
    struct Case {
        TMixerState state;
        const char* mode;
        const char* method;
    };
    const Case cases[] = {
        {TMixerState::Standby, "Standby", ""},
        {TMixerState::Flushing, "Flushing", ""},
        {TMixerState::Dilution, "Dilution", "H2O pulse"},
        {TMixerState::Bypass, "Bypass", ""},
    };
    for (const Case& c : cases) {
        TLogRowInputs in = HourOfDilution();
        in.MixerState = c.state;
        in.MixingMethod = "H2O pulse";
        const TLogRowValues row = ComputeLogRow(in);
        EXPECT_EQ(row.Mode, c.mode);
        EXPECT_EQ(row.Method, c.method);
        EXPECT_TRUE(row.Has(TProperty::Method)) << "an empty method is still written";
    }
}

TEST(LogRow, ZeroTotalsLeaveFractionsAndPpmUnwritten)
{
    TLogRowInputs in = HourOfDilution();
    in.TotalizerA = 0;
    in.TotalizerB = 0;
    in.H2OTime = 0;
    const TLogRowValues row = ComputeLogRow(in);
    for (TProperty p : {TProperty::GasA, TProperty::GasB, TProperty::H2O, TProperty::TOTg, TProperty::TOTm,
                        TProperty::MA, TProperty::MB, TProperty::MH2O}) {
        EXPECT_TRUE(row.Has(p));
        EXPECT_EQ(row.Number(p), 0.0);
    }
    for (TProperty p : {TProperty::GfracA, TProperty::GfracB, TProperty::GfracH2O, TProperty::ppmA, TProperty::ppmB,
                        TProperty::ppmH2O})
        EXPECT_FALSE(row.Has(p)) << static_cast<int>(p);

    // Gas delivered but no bubbler time yet: water is 0, its ppm is 0.
    in.TotalizerB = 5.0;
    const TLogRowValues dry = ComputeLogRow(in);
    EXPECT_EQ(dry.Number(TProperty::H2O), 0.0);
    EXPECT_TRUE(dry.Has(TProperty::ppmH2O));
    EXPECT_EQ(dry.Number(TProperty::ppmH2O), 0.0);
    EXPECT_EQ(dry.Number(TProperty::ppmB), 1000000.0);
}

TEST(LogRow, AFailedTotalizerReadingShowsAsNotANumber)
{
    TLogRowInputs in = HourOfDilution();
    in.TotalizerA = std::nan("");
    const TLogRowValues row = ComputeLogRow(in);
    EXPECT_TRUE(std::isnan(row.Number(TProperty::GasA)));
    EXPECT_TRUE(std::isnan(row.Number(TProperty::TOTg)));
    EXPECT_FALSE(row.Has(TProperty::GfracA));
    EXPECT_FALSE(row.Has(TProperty::ppmA));
    EXPECT_DOUBLE_EQ(row.Number(TProperty::MB), 10.0 * GetMolesPerGram("Ar"));
}

TEST(LogRow, UsesTheChosenGasesForMoles)
{
    TLogRowInputs in = HourOfDilution();
    in.GasB = "N2";
    const TLogRowValues n2 = ComputeLogRow(in);
    EXPECT_DOUBLE_EQ(n2.Number(TProperty::MB), 10.0 * GetMolesPerGram("N2"));
    // Water from nitrogen: 60 g of it is more moles than 60 g of argon.
    EXPECT_GT(n2.Number(TProperty::H2O), ComputeLogRow(HourOfDilution()).Number(TProperty::H2O));

    in.GasB = "Kr";
    EXPECT_THROW(ComputeLogRow(in), CompoundLookupError);
}

TEST(LogRow, WaterFollowsTheGasBThatPassedTheBubbler)
{
    // Counted grams of gas B (pulsed gas B) stand in for the bubbler time at
    // the planned flow; a pressure that leaves no gas carries no water.
    const double hour = ComputeLogRow(HourOfDilution()).Number(TProperty::H2O);
    struct Case {
        std::optional<double> grams;
        double pH2O;
        double water;
    };
    const Case cases[] = {{30.0, 0.0312733, hour / 2},
                          {std::nullopt, 1.0, 0.0},
                          {std::nullopt, -0.1, 0.0},
                          {std::nullopt, std::nan(""), 0.0}};
    for (const Case& c : cases) {
        TLogRowInputs in = HourOfDilution();
        in.BubbledGramsB = c.grams;
        in.pH2O = c.pH2O;
        EXPECT_NEAR(ComputeLogRow(in).Number(TProperty::H2O), c.water, 1e-12) << c.pH2O;
    }
}

TEST(LogRow, AGasNotChosenYetLeavesOnlyStateAndMasses)
{
    for (const char* which : {"A", "B"}) {
        SCOPED_TRACE(which);
        TLogRowInputs in = HourOfDilution();
        in.MixerState = TMixerState::Standby;
        (which[0] == 'A' ? in.GasA : in.GasB).clear();
        const TLogRowValues row = ComputeLogRow(in);
        EXPECT_EQ(row.Mode, "Standby");
        EXPECT_TRUE(row.Has(TProperty::Time));
        EXPECT_DOUBLE_EQ(row.Number(TProperty::GasA), 0.012345);
        EXPECT_DOUBLE_EQ(row.Number(TProperty::GasB), 10.0);
        for (TProperty p : {TProperty::H2O, TProperty::TOTg, TProperty::GfracA, TProperty::TOTm, TProperty::MA,
                            TProperty::MB, TProperty::ppmA, TProperty::ppmH2O})
            EXPECT_FALSE(row.Has(p)) << static_cast<int>(p);
    }
}
