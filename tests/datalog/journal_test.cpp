#include "clock.h"
#include "journal.h"
#include "log_file.h"
#include "log_inputs.h"
#include "log_table_model.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QList<QByteArray> FileLines(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    for (QByteArray& l : lines)
        l.chop(1);  // the CR
    return lines;
}

}  // namespace

// The journal's folder cannot be made at first (a file is in its place):
// the failure is told once, the rows stay in the table, and at the next
// change of state the journal is made with every row and report it missed.
TEST(Journal, CatchesUpWithEveryRowOnceItCanBeWritten)
{
    FakeClock clock;
    QTemporaryDir dir;
    const QString folder = dir.filePath("journal");
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    TLogTableModel log;
    log.SetColumns(StandardLogColumns());
    TJournal journal(clock);
    QStringList failed, recovered;
    QObject::connect(&journal, &TJournal::Failed, [&](const QString& m) { failed << m; });
    QObject::connect(&journal, &TJournal::Recovered, [&](const QString& m) { recovered << m; });
    journal.UseFolder(folder);
    journal.Follow(log);

    log.StoreRow(RowAt(TMixerState::Standby, 0));
    const int marker = log.StoreMarker();
    log.AttachReport(marker, "Plan one\n  150 ppm\n");
    for (int s = 1; s <= 5; ++s)
        log.StoreRow(RowAt(TMixerState::Dilution, s));
    EXPECT_EQ(failed.size(), 1) << failed.join('\n').toStdString();
    EXPECT_TRUE(failed.value(0).contains(QDir::toNativeSeparators(journal.Path()))) << failed.value(0).toStdString();
    EXPECT_FALSE(journal.UpToDate());
    EXPECT_EQ(log.DataRows(), 7);

    ASSERT_TRUE(QFile::remove(folder));
    log.StoreRow(RowAt(TMixerState::Dilution, 6));  // no change of state: no retry yet
    EXPECT_FALSE(QFile::exists(journal.Path()));
    log.StoreRow(RowAt(TMixerState::Standby, 7));
    EXPECT_EQ(recovered.size(), 1);
    EXPECT_TRUE(journal.UpToDate());
    journal.Close();
    log.StoreRow(RowAt(TMixerState::Standby, 8));  // after the close: not written

    // The journal reads as the saved file of the same rows, the plan's
    // report standing after its marker, and ends with its closing line.
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteLogFile(saved, QString(), log));
    QList<QByteArray> expected = FileLines(saved.data());
    expected.removeLast();  // the row stored after the close
    // Each row carries the date and time it was stored, a marker the moment
    // it came: ISO 8601 with the offset from UTC, the same all day.
    QFile file(journal.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> written = FileLines(file.readAll());
    const QByteArray zone = written.value(4).right(6);
    EXPECT_TRUE(QRegularExpression("^[+-]\\d\\d:\\d\\d$").match(QString::fromLatin1(zone)).hasMatch());
    auto iso = [&](int minute, int second) {
        return QString::asprintf("2026-12-09T10:%02d:%02d.000", minute, second).toLatin1() + zone;
    };
    expected[3] += ";\"Date and time\"";
    for (int row = 0; row + 4 < expected.size(); ++row)
        expected[4 + row] += ";" + (row == marker ? iso(0, 0) : iso(5, 7 + row - (row > marker ? 1 : 0)));
    const QList<QByteArray> block = {"*********", "Plan one", "  150 ppm", "", "*********"};
    for (qsizetype i = 0; i < block.size(); ++i)
        expected.insert(4 + marker + 1 + i, block[i]);
    expected << "Run closed at 2026-12-09 10:00:00";

    EXPECT_EQ(written, expected);
    EXPECT_EQ(QFileInfo(journal.Path()).fileName(), "2026-12-09 10_00_00.csv");
}
