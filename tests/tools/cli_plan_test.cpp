#include "cli_arguments.h"
#include "cli_commands.h"
#include "cli_plan.h"
#include "compounds.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <optional>
#include <sstream>

namespace {

struct PlanRun {
    int code;
    std::string out;
    std::string err;
};

PlanRun Plan(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int code = RunPlan(args, out, err);
    return {code, out.str(), err.str()};
}

std::vector<std::string> OxygenInArgon(std::vector<std::string> extra = {}, const std::string& ppmA = "150")
{
    std::vector<std::string> args = {"--gas-a", "O2",      "--gas-b", "Ar",      "--ppm-a", ppmA,      "--max-a",
                                     "0.1",     "--dyn-a", "1000",    "--max-b", "1",       "--dyn-b", "100"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

bool HasLine(const std::string& text, const std::string& line)
{
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace

TEST(CliPlan, PrintsTheReportOfTheWorkedExample)
{
    const PlanRun r = Plan(OxygenInArgon());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Description of desired mixture\n  150 ppm of Oxygen in Argon\n  \n", 0), 0u);
    for (const char* line :
         {"  999850 ppm of Ar", "  120.2 ppm of O2", "  0.000 120 170 of Oxygen", "  0.999 999 845 of Argon",
          "  Fluid name     : O2", "  Long name      : Oxygen", "  Flow unit      : g/min",
          "  Min flow       : 0.000 100", "  Turndown ratio : 100", "  Mixing method     : A (constant) in B",
          "  Resulting flow    : 600.9 ml/min  (25\xC2\xBA"
          "C)",
          "  Resulting flow    : 560.8 mln/min (0\xC2\xBA"
          "C)"})
        EXPECT_TRUE(HasLine(r.out, line)) << line;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    EXPECT_EQ(r.out.back(), '\n');
}

TEST(CliPlan, WaterLimitsAreNotedOnStandardError)
{
    struct Case {
        std::vector<std::string> extra;
        std::string err;
        std::string method;
        std::string ppmA = "150";
    };
    const Case cases[] = {
        {{"--ppm-h2o", "35000", "--ph2o", "0.0312733"},
         "note: Maximum possible H2O fraction is 30174\n",
         "A (constant) in B/H2O"},
        {{"--ppm-h2o", "50", "--bubbler-temp", "25"},
         "note: Minimum water content is 87 ppm\n",
         "A (constant) in B/H2O"},
        {{"--ppm-h2o", "20000", "--ph2o", "0.0312733"}, "", "A (constant) in B/H2O"},
        {{"--ppm-h2o", "0"}, "", "A (constant) in B"},
        {{"--ppm-h2o=100", "--ph2o", "0.03"}, "note: Maximum possible H2O fraction is 0\n", "A pure", "1000000"},
    };
    for (const Case& c : cases) {
        const PlanRun r = Plan(OxygenInArgon(c.extra, c.ppmA));
        SCOPED_TRACE(c.err);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(HasLine(r.out, "  Mixing method     : " + c.method)) << r.out;
    }
    // With the water corrected to 30174 ppm gas B is 969676 ppm.
    const PlanRun capped = Plan(OxygenInArgon({"--ppm-h2o", "35000", "--ph2o", "0.0312733"}));
    EXPECT_TRUE(HasLine(capped.out, "      3.112 % H2O fraction of B")) << capped.out;
}

TEST(CliPlan, RefusesBadInputWithOneLine)
{
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<std::string> base = OxygenInArgon();
    auto with = [&](const std::string& option, const std::string& value) {
        std::vector<std::string> a = base;
        for (std::size_t i = 0; i + 1 < a.size(); ++i) {
            if (a[i] == option)
                a[i + 1] = value;
        }
        return a;
    };
    auto without = [&](const std::string& option) {
        std::vector<std::string> a;
        for (std::size_t i = 0; i < base.size(); ++i) {
            if (base[i] == option)
                ++i;
            else
                a.push_back(base[i]);
        }
        return a;
    };
    const Case cases[] = {
        {with("--gas-a", "Xe"), "unknown gas 'Xe' (--gas-a)"},
        {with("--gas-b", ""), "unknown gas '' (--gas-b)"},
        {with("--ppm-a", "1000001"), "--ppm-a must be a whole number from 0 to 1000000, not '1000001'"},
        {with("--ppm-a", "abc"), "--ppm-a must be a whole number from 0 to 1000000, not 'abc'"},
        {with("--ppm-a", "1,000"), "--ppm-a must be a whole number from 0 to 1000000, not '1,000'"},
        {with("--max-a", "fast"), "--max-a must be a flow above 0, not 'fast'"},
        {with("--max-a", "0"), "--max-a must be a flow above 0, not '0'"},
        {with("--max-b", "inf"), "--max-b must be a flow above 0, not 'inf'"},
        {with("--max-b", "1e39"), "--max-b must be a flow above 0, not '1e39'"},  // no 32-bit float
        {with("--max-a", "1e-40"), "--max-a must be a flow above 0, not '1e-40'"},
        {with("--ppm-a", "1e6"), "--ppm-a must be a whole number from 0 to 1000000, not '1e6'"},
        {OxygenInArgon({"--ppm-h2o", "35001", "--ph2o", "0.03"}),
         "--ppm-h2o must be a whole number from 0 to 35000, not '35001'"},
        {OxygenInArgon({"--ph2o", "1e6"}), "--ph2o must be a number from 0 to 1 (atm), not '1e6'"},
        {OxygenInArgon({"--bubbler-temp", "100"}),
         "--bubbler-temp must be a temperature above 0 and below 100 (degrees C), not '100'"},
        {with("--dyn-b", "0"), "--dyn-b must be a whole number from 1 to 4294967295, not '0'"},
        {without("--max-b"), "missing option --max-b"},
        {OxygenInArgon({"--ppm-h2o", "100"}), "water requested but no vapour pressure: give --ph2o or --bubbler-temp"},
        {OxygenInArgon({"--ph2o", "0.03", "--bubbler-temp", "25"}), "give either --ph2o or --bubbler-temp, not both"},
        {OxygenInArgon({"--ph2o", "-0.1"}), "--ph2o must be a number from 0 to 1 (atm), not '-0.1'"},
        {OxygenInArgon({"--colour", "red"}), "Unknown option 'colour'."},
        {OxygenInArgon({"extra"}), "unexpected argument 'extra'"},
        {OxygenInArgon({"--unit-a"}), "Missing value after '--unit-a'."},
        {OxygenInArgon({"--gas-a", "O2"}), "option --gas-a is given twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        const PlanRun r = Plan(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err, "dilutra-cli plan: " + c.err + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliPlan, ControllerOptionsReachTheReport)
{
    const PlanRun r = Plan({"--gas-a", "5%H2,95%Ar", "--gas-b", "N2", "--ppm-a", "20000", "--max-a", "2.5", "--dyn-a",
                            "50", "--max-b", "5", "--dyn-b", "200", "--unit-a", "ln/min", "--unit-b", "mg/s"});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* line : {"  20000 ppm of 5%H2,95%Ar in Nitrogen", "  1000 ppm of H2", "  19000 ppm of Ar",
                             "  980000 ppm of N2", "  Fluid name     : 5%H2,95%Ar", "  Long name      : 5%H2,95%Ar",
                             "  Flow unit      : ln/min", "  Flow unit      : mg/s", "  Max flow       : 2.500 000",
                             "  Min flow       : 0.050 000", "  Turndown ratio : 200",
                             "  Min flow of gas B : 0.025 000 000 mg/s", "  Max flow of gas A : 2.500 000 000 ln/min"})
        EXPECT_TRUE(HasLine(r.out, line)) << line;
}

TEST(CliPlan, ReadsNumbersAlikeInEveryLocaleAndWritesTheReportInItsOwn)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    for (const char* maxA : {"0.1", "0,1", "1e-1"}) {
        SCOPED_TRACE(maxA);
        const PlanRun r = Plan({"--gas-a", "O2", "--gas-b", "Ar", "--ppm-a", "150", "--max-a", maxA, "--dyn-a", "1000",
                                "--max-b", "1", "--dyn-b", "100", "--ppm-h2o", "35000", "--ph2o", "0.0312733"});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "note: Maximum possible H2O fraction is 30174\n");
        EXPECT_TRUE(HasLine(r.out, "  Max flow       : 0,100 000"));
        EXPECT_TRUE(HasLine(r.out, "  Required flow B   : 1,000 000 000 g/min"));
    }
}

TEST(CliArguments, NumbersTakeAPointAndACommaWhereItCannotGroupDigits)
{
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"0.1", 0.1},   {"0,1", 0.1},   {"12,5", 12.5},  {"0,100", 0.1},   {"1234,567", 1234.567},
        {"-2.5", -2.5}, {"+3", 3.0},    {"1e-3", 0.001}, {"1,5E2", 150.0}, {".5", 0.5},
        {"1,000", {}},  {"12,345", {}}, {"-1,000", {}},  {"1.000,5", {}},  {"1,2,3", {}},
        {"inf", {}},    {"nan", {}},    {" 1", {}},      {"", {}},         {"1e400", {}},
        {"0x10", {}},   {"+-1", {}},    {"1 000", {}},   {"--1", {}},      {"1e", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadDecimal(c.text), c.value) << c.text;
}

TEST(CliArguments, EveryCommandExplainsItselfAndExits0)
{
    for (const CliCommand& command : CliCommands()) {
        SCOPED_TRACE(command.Name);
        testing::internal::CaptureStdout();
        const int code = command.Run({"--help"});
        const std::string help = testing::internal::GetCapturedStdout();
        EXPECT_EQ(code, 0);
        EXPECT_EQ(help.rfind(std::string("Usage: dilutra-cli ") + command.Name + " [options]", 0), 0u) << help;
        EXPECT_NE(help.find("--help"), std::string::npos);
    }
}
