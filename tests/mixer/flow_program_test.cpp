#include "flow_program.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST(FlowProgram, ReadsWhatTheProgramAndSpreadsheetsWrite)
{
    const TFlowProgram expected = {{150, 7300, 12.5, false}, {1000, 0, 30, true}};
    struct Case {
        const char* writer;
        QByteArray text;
    };
    const Case cases[] = {
        {"the program itself", FlowProgramText(expected)},
        {"decimal comma, German words, BOM",
         "\xEF\xBB\xBFppm_a;ppm_h2o;minutes;flush_before\r\n150;7300;12,5;FALSCH\r\n1000;0;30;WAHR\r\n"},
        {"decimal point, comma separators, quoted, TRUE/FALSE",
         "PPM_A,ppm_h2o,minutes,flush_before\n\"150\",7300,12.5,FALSE\n1000,0,30.0,TRUE\n"},
        {"blank and empty rows, extra empty columns, empty flush",
         "ppm_a;ppm_h2o;minutes;flush_before;;\n\n150;7300;1.25e1;;;\n;;;;;\n1000;0;30;yes;;\n;;;\n"},
        {"quoted decimal comma in a comma-separated file",
         "ppm_a,ppm_h2o,minutes,flush_before\n150,7300,\"12,5\",0\n1000,0,30,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writer);
        EXPECT_EQ(ReadFlowProgram(c.text), expected);
    }
    // Minutes the program writes read back exactly, three decimals included.
    for (const double minutes : {150.735, 12.333333333333334, 1.5e-5}) {
        const TFlowProgram tricky = {{0, 0, minutes, false}};
        EXPECT_EQ(ReadFlowProgram(FlowProgramText(tricky)), tricky) << minutes;
    }

    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("steps.csv"));
    SaveFlowProgram(path, expected);
    EXPECT_EQ(LoadFlowProgram(path), expected);
}

TEST(FlowProgram, RefusesABadFileWithTheLineAndTheReason)
{
    const QByteArray header = "ppm_a;ppm_h2o;minutes;flush_before\n";
    struct Case {
        QByteArray text;
        int line;
        const char* reason;  // how the reason begins
    };
    const Case cases[] = {
        {"", 1, "the first line must be ppm_a;ppm_h2o;minutes;flush_before"},
        {"150;0;10;0\n", 1, "the first line must be"},
        {"ppm_a;ppm_h2o;minutes\n150;0;10\n", 1, "the first line must be"},
        {header, 2, "no step below the header"},
        {header + "\n;;;\n", 2, "no step below the header"},
        {header + "150;0;10;0\n150;0;10\n", 3, "3 fields separated by ';' where 4 belong"},
        {header + "150;0;10;0;extra\n", 2, "5 fields"},
        {header + "abc;0;10;0\n", 2, "ppm_a: 'abc' is not a number"},
        {header + "150.5;0;10;0\n", 2, "ppm_a must be a whole number from 0 to 1000000, not '150.5'"},
        {header + "-1;0;10;0\n", 2, "ppm_a must be a whole number"},
        {header + "1000001;0;10;0\n", 2, "ppm_a must be a whole number"},
        {header + "150;35001;10;0\n", 2, "ppm_h2o must be a whole number from 0 to 35000"},
        {header + "1.000;0;10;0\n", 2, "ppm_a: '1.000' could be read two ways"},
        {header + "150;7,300;10;0\n", 2, "ppm_h2o: '7,300' could be read two ways"},
        {header + "150;0;;0\n", 2, "minutes: a number is missing"},
        {header + "150;0;0;0\n", 2, "minutes must be above 0"},
        {header + "150;0;14401;0\n", 2, "minutes must be above 0 and at most 14400"},
        {header + "150;0;1e999;0\n", 2, "minutes: '1e999' is not a number"},
        {header + "150;0;nan;0\n", 2, "minutes: 'nan' is not a number"},
        {header + "150;0;10;maybe\n", 2, "flush_before must be yes or no"},
        {header + "150;0;10;2\n", 2, "flush_before must be yes or no"},
        {header + "150;0;10;0\n\"150;0;10;0\n", 3, "a quote is not closed"},
        {header + "150;0;10;0\n1 50;0;10;0\n", 3, "ppm_a: '1 50' is not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        try {
            ReadFlowProgram(c.text);
            ADD_FAILURE() << "read";
        } catch (const TFlowProgramError& e) {
            EXPECT_EQ(e.Line(), c.line);
            EXPECT_TRUE(e.Reason().startsWith(QString::fromUtf8(c.reason))) << e.Reason().toStdString();
            EXPECT_EQ(std::string(e.what()), "line " + std::to_string(c.line) + ": " + e.Reason().toStdString());
        }
    }

    QTemporaryDir dir;
    EXPECT_THROW(LoadFlowProgram(QDir(dir.path()).filePath(QStringLiteral("missing.csv"))), TFlowProgramError);
}
