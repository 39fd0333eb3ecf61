#include "cli_dry_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sstream>

namespace {

std::vector<std::string> Humidified(std::vector<std::string> extra = {})
{
    std::vector<std::string> args
        = {"--gas-a", "O2", "--gas-b", "Ar", "--ppm-a", "150", "--ppm-h2o", "7300", "--minutes", "1"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

}  // namespace

TEST(CliDryRun, RefusesBadArgumentsBeforeRunning)
{
    QTemporaryDir dir;
    const std::string existing = QDir(dir.path()).filePath("old.csv").toStdString();
    QFile(QString::fromStdString(existing)).open(QIODevice::WriteOnly);
    const std::string badProgram = QDir(dir.path()).filePath("bad.csv").toStdString();
    QFile bad(QString::fromStdString(badProgram));
    bad.open(QIODevice::WriteOnly);
    bad.write("ppm_a;ppm_h2o;minutes;flush_before\n150;0;10;0\n150;0;-1;0\n");
    bad.close();
    const std::string yearLong = QDir(dir.path()).filePath("year.csv").toStdString();
    QFile year(QString::fromStdString(yearLong));
    year.open(QIODevice::WriteOnly);
    year.write("ppm_a;ppm_h2o;minutes;flush_before\n" + QByteArray("150;0;14400;0\n").repeated(37));  // ten days each
    year.close();
    const std::vector<std::string> gases = {"--gas-a", "O2", "--gas-b", "Ar"};
    auto withGases = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), gases.begin(), gases.end());
        return extra;
    };
    const std::vector<std::vector<std::string>> cases = {
        Humidified({"--speed", "2"}),
        {"--gas-a", "O2", "--gas-b", "Ar", "--ppm-a", "150", "--ppm-h2o", "0"},  // no --minutes
        Humidified({"--minutes", "2"}),
        {"--gas-a", "CO2", "--gas-b", "Ar", "--ppm-a", "150", "--ppm-h2o", "0", "--minutes", "1"},
        {"--gas-a", "O2", "--gas-b", "Ar", "--ppm-a", "1.5", "--ppm-h2o", "0", "--minutes", "1"},
        {"--gas-a", "O2", "--gas-b", "Ar", "--ppm-a", "150", "--ppm-h2o", "0", "--minutes", "0"},
        Humidified({"--max-a", "0.25"}),
        Humidified({"--max-b", "6", "--dyn-b", "70000"}),
        Humidified({"--log", existing}),
        Humidified({"--log"}),
        withGases({"--program", badProgram}),
        withGases({"--program", existing}),  // empty: no header
        withGases({"--program", QDir(dir.path()).filePath("none.csv").toStdString()}),
        Humidified({"--program", badProgram}),  // a program or one mixture
        withGases({"--program", yearLong}),     // more than a year
        Humidified({"--simulate-fault", "mfc-flaky@0"}),
    };
    for (const auto& args : cases) {
        std::string line;
        for (const std::string& a : args)
            line += a + ' ';
        EXPECT_THROW(ReadDryRunCommand(args), std::runtime_error) << line;
        EXPECT_EQ(DryRunCommand(args), 2) << line;
    }
}

TEST(CliDryRun, PrintsTheDeliveryAndWritesTheLog)
{
    QTemporaryDir dir;
    const QString log = QDir(dir.path()).filePath("run.csv");
    // Gas A's range given on the command line is the controller's: 150 ppm
    // is then within it, a constant flow.
    const TDryRunCommand command
        = ReadDryRunCommand(Humidified({"--max-a", "0.01", "--dyn-a", "100", "--log", log.toStdString()}));
    std::ostringstream out, err;
    EXPECT_EQ(RunDryRun(command, out, err), 0) << out.str();
    EXPECT_EQ(err.str(), "");
    const std::string text = out.str();
    for (const char* line : {"Method          : A (constant) in B/H2O\n", "Gas A           : ", "H2O             : ",
                             "Gas A used (g)  : ", "Gas B used (g)  : ", "H2O used (g)    : "})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.startsWith("Data starts after *** line\r\n"));
    EXPECT_TRUE(saved.contains("Mixing method     : A (constant) in B/H2O"));
    EXPECT_TRUE(saved.contains("\"H2Opulse\""));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"run.csv"}) << "nothing left beside it";

    // A log that cannot be written is told at once, with the system's
    // reason, and nothing is simulated.
    const std::string nowhere = QDir(dir.path()).filePath("gone/run.csv").toStdString();
    std::ostringstream out2, err2;
    EXPECT_EQ(RunDryRun(ReadDryRunCommand(Humidified({"--log", nowhere})), out2, err2), 1);
    EXPECT_EQ(out2.str(), "");
    EXPECT_EQ(err2.str(),
              "dilutra-cli dry-run: the log cannot be written to " + nowhere + ": No such file or directory\n");
}

TEST(CliDryRun, RunsAProgramStepByStep)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("steps.csv");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ppm_a;ppm_h2o;minutes;flush_before\r\n150;7300;5;0\r\n10000;20;7,5;WAHR\r\n");
    file.close();
    const TDryRunCommand command
        = ReadDryRunCommand({"--gas-a", "O2", "--gas-b", "Ar", "--program", path.toStdString()});
    std::ostringstream out, err;
    EXPECT_EQ(RunDryRun(command, out, err), 0) << out.str();
    EXPECT_EQ(err.str(), "note: step 2: water 20 ppm held to 72 ppm\n");
    const std::string text = out.str();
    for (const char* line :
         {"   1  A (pulse) in B/H2O        5.0     150.0 ", "   2  A (constant) in B/H2O     7.5   10000.0 ", "All  "})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.find("no\n"), std::string::npos) << text;
}

TEST(CliDryRun, RefusesAPlanItsControllersCannotDeliverBeforeSimulating)
{
    // A 6 g/min gas A controller pulses at its 0.12 g/min minimum: each pulse
    // is hours of 150 ppm in 0.25 g/min of argon. Water is optional.
    const std::vector<std::string> gases = {"--gas-a", "O2", "--gas-b", "Ar", "--minutes", "1"};
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* line;
    };
    const Case cases[] = {
        {{"--ppm-a", "150", "--max-a", "6", "--dyn-a", "50", "--max-b", "0.25", "--dyn-b", "50"},
         1,
         "Method          : A (pulse) in B\nDeliverable     : no, gas A in pulses of 0.000 252 000 g averages within "
         "1 % only after "},
        {{"--ppm-a", "10000"}, 0, "H2O             :            0.0             0.0"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = gases;
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::ostringstream out, err;
        EXPECT_EQ(RunDryRun(ReadDryRunCommand(args), out, err), c.exit) << out.str();
        EXPECT_NE(out.str().find(c.line), std::string::npos) << out.str();
        EXPECT_EQ(out.str().find("Simulated") == std::string::npos, c.exit == 1) << out.str();
    }
}
