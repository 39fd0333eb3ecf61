#include "clock.h"
#include "journal.h"
#include "journal_export.h"
#include "log_file.h"
#include "log_inputs.h"
#include "log_table_model.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

// A journal written where the decimal separator is a comma, exported: one
// header line, every row with its ISO date and time, the marker as a row of
// its own, plain numbers with a point, a method named whole again, the
// alarm's cause (as the file keeps it, without spaces) quoted for its comma.
TEST(JournalExport, MakesATidyTableOfAJournalAndRefusesAFileWithoutDates)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FakeClock clock;
    QTemporaryDir dir;
    TLogTableModel log;
    log.SetColumns(StandardLogColumns());
    TJournal journal(clock);
    journal.UseFile(dir.filePath("run.csv"));
    journal.Follow(log);
    const TLogRowValues standby = RowAt(TMixerState::Standby, 0);
    log.StoreRow(standby);
    log.AttachReport(log.StoreMarker(), "Plan\n");
    log.StoreRow(RowAt(TMixerState::Dilution, 1));
    log.StoreRow(AlarmRow(standby.Time + 2 / SecondsPerDay, "Gas B flow 0.000, \"cylinder empty?\""));
    journal.Close();
    QLocale::setDefault(QLocale::c());

    QFile file(journal.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    ASSERT_TRUE(written.contains("\"0,012345\"")) << "a journal with decimal commas";
    const TJournalExport table = ExportJournal(written);
    EXPECT_EQ(table.Problem, "");
    const QStringList lines = QString::fromStdString(table.Csv).split('\n');

    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0],
              "time,mode,method,gas_a_g,gas_b_g,h2o_g,total_g,mass_fraction_a,mass_fraction_b,"
              "mass_fraction_h2o,total_mol,mol_a,mol_b,mol_h2o,ppm_a,ppm_b,ppm_h2o");
    const QString zone = lines[2].mid(23, 6);  // the offset of the local time from UTC
    EXPECT_TRUE(QRegularExpression("^[+-]\\d\\d:\\d\\d$").match(zone).hasMatch()) << zone.toStdString();
    EXPECT_EQ(lines[2], "2026-12-09T10:00:00.000" + zone + ",Reset,,,,,,,,,,,,,,,");
    EXPECT_TRUE(lines[1].startsWith("2026-12-09T10:05:07.000" + zone + ",Standby,,0.012345,10,"));
    EXPECT_EQ(lines[1].section(',', 14, 14), QString::number(std::round(standby.Number(TProperty::ppmA))))
        << "ppm without leading zeros";
    EXPECT_TRUE(lines[3].startsWith("2026-12-09T10:05:08.000" + zone + ",Dilution,A (constant) in B,"));
    EXPECT_EQ(lines[4],
              "2026-12-09T10:05:09.000" + zone + ",Alarm,\"GasBflow0.000,\"\"cylinderempty?\"\"\",,,,,,,,,,,,,,");

    // A saved file has the time of day only: no table is made of it.
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteLogFile(saved, QString(), log));
    EXPECT_EQ(ExportJournal(saved.data()).Problem, "its rows carry no date (a journal written before they did)");
}
