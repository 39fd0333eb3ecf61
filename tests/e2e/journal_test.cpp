#include "journal_run.h"
#include "log_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

namespace {

// A file's data lines: what follows the header, the report blocks left out.
QList<QByteArray> DataLines(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    QList<QByteArray> data;
    bool inBlock = false;
    for (qsizetype i = lines.indexOf("*********\r") + 2; i < lines.size(); ++i) {
        if (lines[i] == "*********\r")
            inBlock = !inBlock;
        else if (!inBlock)
            data << lines[i];
    }
    return data;
}

QList<QByteArray> TableLines(RigFixture& f)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteLogFile(buffer, QString(), *f.form.LogTable));
    return DataLines(buffer.data());
}

void WriteJournal(const QDir& dir, const QString& name, const QByteArray& text, int daysOld)
{
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.flush();
    file.setFileTime(QDateTime(QDate(2026, 12, 9), QTime(10, 0)).addDays(-daysOld), QFileDevice::FileModificationTime);
}

}  // namespace

// The program killed with SIGKILL in the middle of a dilution: its journal
// holds every row it had stored, as the same run replayed here stores them.
TEST(Journal, AKilledRunLeavesEveryStoredRowInItsJournal)
{
    QTemporaryDir dir;
    QProcess child;
    child.start(QStringLiteral(JOURNAL_CHILD), {dir.path()});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray out;
    while (out.count('\n') < 150 && child.waitForReadyRead(60000))
        out += child.readAllStandardOutput();
    child.kill();
    ASSERT_TRUE(child.waitForFinished());
    out += child.readAllStandardOutput();
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
    QList<QByteArray> printed = out.split('\n');
    printed.removeLast();
    const int ticks = printed.last().toInt();
    ASSERT_GE(ticks, 150);

    const QStringList journals = QDir(dir.path()).entryList(QDir::Files);
    ASSERT_EQ(journals, QStringList{"2026-12-09 10_00_00.csv"});
    QFile file(QDir(dir.path()).filePath(journals[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Each journal row is the table's, then the date and time it was stored.
    const QRegularExpression iso("^2026-12-09T(\\d\\d:\\d\\d:\\d\\d)\\.\\d{3}[+-]\\d\\d:\\d\\d\r$");
    QList<QByteArray> journal;
    for (const QByteArray& line : DataLines(file.readAll())) {
        const qsizetype cut = line.lastIndexOf(';');
        const QRegularExpressionMatch stamp = iso.match(QString::fromLatin1(line.mid(cut + 1)));
        EXPECT_TRUE(stamp.hasMatch()) << line.toStdString();
        EXPECT_TRUE(line.startsWith(';') || line.startsWith(stamp.captured(1).toLatin1())) << "its time of day";
        journal << line.left(cut) + '\r';
    }

    // The child may have finished one more tick than it could print.
    RigFixture replay;
    StartWetDilution(replay);
    for (int t = 0; t < ticks; ++t)
        replay.RunFor(0.25);
    const QList<QByteArray> printedRows = TableLines(replay);
    replay.RunFor(0.25);
    const QList<QByteArray> nextRows = TableLines(replay);
    ASSERT_GE(printedRows.size(), 40);
    ASSERT_GE(journal.size(), printedRows.size());
    EXPECT_EQ(journal.mid(0, printedRows.size()), printedRows);
    EXPECT_EQ(nextRows.mid(0, journal.size()), journal);
    EXPECT_TRUE(journal.contains(QByteArray(";Reset") + QByteArray(15, ';') + '\r'));
    EXPECT_GT(std::count_if(journal.begin(), journal.end(), [](const QByteArray& l) { return l.contains("H2Opulse"); }),
              5)
        << "a wet dilution";
}

// A disk that is full: the journal says so once, and the mixer, the tick
// and the table go on as without it.
TEST(Journal, AFullDiskLeavesTheMixerRunningAndTheRowsInTheTable)
{
    RigFixture f(QStringLiteral("/dev/full"));
    const QString message = f.form.LabelJournal->text();
    EXPECT_TRUE(message.contains("No space left on device")) << message.toStdString();
    EXPECT_FALSE(f.form.LabelJournal->isHidden());
    EXPECT_TRUE(f.StartMemo.contains(message));

    StartWetDilution(f);
    f.relay.clearRecords();
    f.RunFor(60);
    f.form.ButtonStop->click();  // a change of state: tried again, in vain
    f.RunFor(1);

    EXPECT_TRUE(f.dialogs.Errors.isEmpty()) << f.dialogs.Errors.join('\n').toStdString();
    EXPECT_GE(f.Rows(), 60);
    EXPECT_EQ(f.Cell(f.Rows() - 1, ModeColumn), "Standby");
    EXPECT_GT(f.relay.patterns().size(), 10u) << "the dilution went on pulsing";
    EXPECT_FALSE(f.form.MemoDevFeedback->toPlainText().contains("journal")) << "said once, at the start";
    EXPECT_FALSE(f.journal.UpToDate());
}

// Start-up: the window names its journal, removes journals untouched for
// 30 days, and tells of a previous run that ended without closing; a run
// ended cleanly (here by a signal) is not told of again.
TEST(Journal, StartUpTidiesTheFolderAndTellsOfAnUncleanEnd)
{
    QTemporaryDir temp;
    const QDir dir(temp.path());
    WriteJournal(dir, "2026-10-01 08_00_00.csv", "Run closed at 2026-10-01 09:00:00\r\n", 31);
    WriteJournal(dir, "2026-11-20 09_00_00.csv", "Run closed at 2026-11-20 12:00:00\r\n", 19);
    WriteJournal(dir, "2026-11-01 07_00_00.csv", "a run of six weeks, closed\r\nRun closed at x\r\n", 1);
    WriteJournal(dir, "2026-12-08 17_30_00.csv", "Data starts after *** line\r\n10:00:00;Dilution;\r\n", 0);
    WriteJournal(dir, "notes.txt", "not a journal", 400);
    const QString unclosed = QDir::toNativeSeparators(dir.filePath("2026-12-08 17_30_00.csv"));
    const QString told = "The previous run ended without closing. Its log was kept in " + unclosed + ".";
    {
        RigFixture f(dir.path());
        const QString own = QDir::toNativeSeparators(dir.filePath("2026-12-09 10_00_00.csv"));
        EXPECT_EQ(f.StartMemo, "This run's log is journaled to " + own + "\n" + told + "\n");
        EXPECT_EQ(f.form.LabelJournal->text(), told);
        EXPECT_EQ(dir.entryList(QDir::Files),
                  (QStringList{"2026-11-01 07_00_00.csv", "2026-11-20 09_00_00.csv", "2026-12-08 17_30_00.csv",
                               "2026-12-09 10_00_00.csv", "notes.txt"}));
        f.form.ShutDown();
    }
    RigFixture again(dir.path());
    EXPECT_FALSE(again.StartMemo.contains("ended without closing")) << again.StartMemo.toStdString();
    EXPECT_TRUE(again.form.LabelJournal->isHidden());
}
