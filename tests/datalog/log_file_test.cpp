#include "log_file.h"
#include "log_inputs.h"
#include "log_table_model.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

namespace {

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

struct Log {
    Log() { model.SetColumns(StandardLogColumns()); }
    TLogTableModel model;
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// The file's lines; every line must end in CR LF.
QList<QByteArray> Lines(const QByteArray& bytes)
{
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    for (QByteArray& l : lines) {
        EXPECT_TRUE(l.endsWith('\r')) << l.toStdString();
        l.chop(1);
        EXPECT_FALSE(l.contains('\r'));
    }
    return lines;
}

const QByteArray Header
    = "Time;Mode;Method;\"Gas A (g)\";\"Gas B (g)\";\"H2O (g)\";\"Total mass (g)\";\"A mass frac\";"
      "\"B mass frac\";\"H2O mass frac\";\"Total moles\";\"Moles A\";\"Moles B\";\"Moles H2O\";\"A ppm\";\"B ppm\";"
      "\"H2O ppm\"";

}  // namespace

TEST(LogFile, ReportTextSplitsIntoLines)
{
    struct Case {
        QString text;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {""}},           {"a\r\nb\r\n", {"a", "b", ""}}, {"a\r\nb", {"a", "b"}}, {"a\nb\n", {"a", "b", ""}},
        {"a\rb", {"a", "b"}}, {"a\r\n\r\nb", {"a", "", "b"}}, {"  \r\n", {"  ", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReportFileLines(c.text), c.lines) << c.text.toStdString();
}

TEST(LogFile, ASaveReadsBackLineByLine)
{
    Log log;
    log.model.StoreRow(ComputeLogRow(HourOfDilution()));
    log.model.StoreMarker();
    TLogRowInputs idle = HourOfDilution();
    idle.MixerState = TMixerState::Standby;
    idle.TotalizerA = idle.TotalizerB = idle.H2OTime = 0;
    log.model.StoreRow(ComputeLogRow(idle));

    QTemporaryDir dir;
    const QString path = dir.filePath("2026-12-09 10_05.csv");
    const QString report = QString::fromUtf8("Conclusion\r\n  Resulting flow    : 600.9 ml/min  (25\u00BAC)\r\n");
    ASSERT_TRUE(SaveLogFile(path, report, log.model));

    const QList<QByteArray> expected = {
        "Data starts after *** line",
        "Conclusion",
        "  Resulting flow    : 600.9 ml/min  (25\xC2\xBA"
        "C)",  // UTF-8, the system's encoding here
        "",
        "*********",
        Header,
        "10:05:07;Dilution;\"A(constant)inB\";\"0.012345\";\"10.000000\";\"0.873514\";\"10.885859\";\"0.001134\";"
        "\"0.918623\";\"0.080243\";\"0.299199\";\"0.000386\";\"0.250325\";\"0.048487\";\"0001289\";\"0836653\";"
        "\"0162057\"",
        ";Reset;;;;;;;;;;;;;;;",
        "10:05:07;Standby;;\"0.000000\";\"0.000000\";\"0.000000\";\"0.000000\";;;;\"0.000000\";\"0.000000\";"
        "\"0.000000\";\"0.000000\";;;",
    };
    const QByteArray bytes = ReadAll(path);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "no byte-order mark";
    EXPECT_EQ(Lines(bytes), expected);
}

TEST(LogFile, AnEmptyLogWritesTheHeaderAndOneEmptyRow)
{
    Log log;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteLogFile(buffer, QString(), log.model));
    const QList<QByteArray> expected = {"Data starts after *** line", "", "*********", Header, ";;;;;;;;;;;;;;;;"};
    EXPECT_EQ(Lines(buffer.data()), expected);
}

TEST(LogFile, CellsWithQuotesAndSemicolonsAreQuoted)
{
    Log log;
    TLogRowInputs in = HourOfDilution();
    in.MixingMethod = "say \"hi\";now";
    log.model.StoreRow(ComputeLogRow(in));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteLogFile(buffer, QString(), log.model));
    const QList<QByteArray> lines = Lines(buffer.data());
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[4].startsWith("10:05:07;Dilution;\"say\"\"hi\"\";now\";\"0.012345\";")) << lines[4].toStdString();
}

TEST(LogFile, ACommaLocaleWritesCommas)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    Log log;
    log.model.StoreRow(ComputeLogRow(HourOfDilution()));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteLogFile(buffer, QString(), log.model));
    EXPECT_TRUE(Lines(buffer.data())[4].startsWith("10:05:07;Dilution;\"A(constant)inB\";\"0,012345\";\"10,000000\";"));
}

TEST(LogFile, NeverReplacesAnExistingFile)
{
    Log log;
    QTemporaryDir dir;
    const QString path = dir.filePath("taken.csv");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier run");
    }
    EXPECT_FALSE(SaveLogFile(path, "report", log.model));
    EXPECT_EQ(ReadAll(path), "earlier run");
}

TEST(LogFile, AFailedWriteLeavesNoFileBehind)
{
    Log log;
    QTemporaryDir dir;
    EXPECT_FALSE(SaveLogFile(dir.filePath("no/such/folder/log.csv"), "report", log.model));

    // A device that refuses the bytes: the writer reports the failure.
    QBuffer closed;
    EXPECT_FALSE(WriteLogFile(closed, "report", log.model));
}
