#include "cli_records.h"
#include "record_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <sstream>

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Records(const QString& file, std::vector<std::string> args)
{
    args.insert(args.begin(), {"--file", file.toStdString()});
    std::ostringstream out, err;
    const int code = RunRecords(args, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace

TEST(CliRecords, RefusalsSayWhyInOneLineAndWriteNothing)
{
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"--source", "Xe"}, "unknown gas 'Xe' (--source)"},
        {{"--source", "O2", "--fraction", "ninety"}, "--fraction must be a number from 0 (%), not 'ninety'"},
        {{"--source", "O2", "--fraction", "101"}, "the certified fraction must lie above 0 and at most 100 %"},
        {{"--source", "O2", "--expiry", "31.03.2027"}, "the expiry date \"31.03.2027\" is not a date"},
        {{"--controller", "S1", "--reading-share", "25"}, "the controller S1: the accuracy of reading must lie"},
        {{"--bubbler", "--efficiency", "40"}, "the bubbler: the saturation efficiency must lie between 50 and 105 %"},
        {{"--source", "O2", "--bubbler"}, "give one of --source, --controller and --bubbler at a time"},
        {{"--source", "O2", "--due", "2027-01-01"}, "--source takes no option --due"},
        {{"--lot", "7"}, "a listing takes no option --lot"},
        {{"--controller", "S9", "--remove"}, "no record of controller S9 to remove"},
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("records.ini"));
    for (const Case& c : cases) {
        const CliRun r = Records(file, c.args);
        EXPECT_EQ(r.code, 2) << c.err;
        EXPECT_EQ(r.err.rfind("dilutra-cli records: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(QFileInfo::exists(file)) << c.err;
    }
    // A file that cannot be written is a failure, not a refusal.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const CliRun r = Records(dir.filePath(QStringLiteral("folder")), {"--bubbler"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot be written: it is not a file"), std::string::npos) << r.err;
}

TEST(CliRecords, ASetRecordIsListedConfirmedAndRemovedToItsDefault)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("records.ini"));
    CliRun r = Records(
        file, {"--source", "5%H2,95%Ar", "--fraction", "5,02", "--uncertainty", "0.05", "--expiry", "2027-03-31"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "set: source 5%H2,95%Ar: 5.02 % +- 0.05 % (k = 2), expires 2027-03-31; confirmed\n");
    // Figures not given stay as they were.
    ASSERT_EQ(Records(file, {"--source", "5%H2,95%Ar", "--lot", "L7"}).code, 0);
    const TSourceRecord held = TRecordStore(file).Load().Records.Source("5%H2,95%Ar");
    EXPECT_DOUBLE_EQ(held.Fraction, 0.0502);
    EXPECT_EQ(held.Lot, "L7");

    r = Records(file, {});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("source 5%H2,95%Ar: 5.02 % +- 0.05 % (k = 2), lot L7, expires 2027-03-31; confirmed\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("source N2: 99.999 % +- 0.001 % (k = 2); default\n"), std::string::npos) << r.out;

    ASSERT_EQ(Records(file, {"--source", "5%H2,95%Ar", "--remove"}).code, 0);
    EXPECT_NE(Records(file, {}).out.find("source 5%H2,95%Ar: 5 % +- 0.05 % (k = 2); default\n"), std::string::npos);
}
