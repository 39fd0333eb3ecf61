#include "day_count.h"
#include "form_fixture.h"
#include "log_table_model.h"
#include "qt_printers.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QTemporaryDir>

namespace {

// Gases chosen and an hour of dilution delivered.
void Dilute(FormFixture& f)
{
    TWindowState& s = f.form.Core().State;
    s.A = GetCompound("O2");
    s.B = GetCompound("Ar");
    s.MixerState = TMixerState::Dilution;
    s.MixingMethod = TMixingMethod::AConstantInB;
    s.TotalizerA.Value = 0.012345;
    s.TotalizerB.Value = 10.0;
    s.H2OTime = 1.0 / 24.0;
    s.DesiredFlowBGramsperMinute = 1.0;
    s.pH2O = 0.0312733;
}

QString Cell(FormFixture& f, int row, int column)
{
    return f.form.StringGrid1->model()->index(row, column).data().toString();
}

void Press(QWidget* target, Qt::MouseButton button)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), button, button,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

QList<QByteArray> FileLines(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_TRUE(lines.last().isEmpty());
    lines.removeLast();
    for (QByteArray& l : lines) {
        EXPECT_TRUE(l.endsWith('\r'));
        l.chop(1);
    }
    return lines;
}

}  // namespace

TEST(FormLog, TheTableOpensWithItsCaptionsWidthsAndOneEmptyRow)
{
    FormFixture f;
    QTableView* grid = f.form.StringGrid1;
    ASSERT_EQ(grid->model(), f.form.LogTable);
    EXPECT_EQ(grid->model()->columnCount(), 17);
    EXPECT_EQ(grid->model()->rowCount(), 1);
    for (const RColInfo& info : f.form.Core().State.P) {
        SCOPED_TRACE(info.Caption.toStdString());
        EXPECT_EQ(grid->model()->headerData(info.ColID, Qt::Horizontal).toString(), info.Caption);
        EXPECT_EQ(grid->columnWidth(info.ColID), info.ColW);
        EXPECT_TRUE(Cell(f, 0, info.ColID).isEmpty());
    }
    EXPECT_EQ(At(f.form.Core().State.P, TProperty::GasA).Caption, "Gas A (g)");
    EXPECT_EQ(At(f.form.Core().State.P, TProperty::ppmH2O).ColID, 16);
    // The operator reads the table: no editing, no range selection, column
    // widths draggable, the header row fixed and no fixed column.
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(grid->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_TRUE(grid->horizontalHeader()->isVisibleTo(grid));
    EXPECT_FALSE(grid->verticalHeader()->isVisibleTo(grid));
    EXPECT_EQ(f.form.SaveDialog1.Filter, "Comma separated file (*.csv);;Text file (*.txt)");
    EXPECT_EQ(f.form.SaveDialog1.DefaultExt, "csv");
}

TEST(FormLog, StoreDataWritesTheMomentAndMakesItsRowCurrent)
{
    FormFixture f;
    Dilute(f);
    f.clock.advanceMs((5 * 60 + 7) * 1000.0);
    f.clock.shiftWallClockHours(1);  // the Time cell shows the wall clock
    f.form.StoreData();
    EXPECT_EQ(f.form.StringGrid1->model()->rowCount(), 1) << "the first row fills the empty row";
    EXPECT_EQ(Cell(f, 0, 0), "11:05:07");
    EXPECT_EQ(Cell(f, 0, 1), "Dilution");
    EXPECT_EQ(Cell(f, 0, 2), "A (constant) in B");
    EXPECT_EQ(Cell(f, 0, 5), "0.873 514") << "water from an hour in the bubbler at the field's pH2O";
    EXPECT_EQ(Cell(f, 0, 16), "0 162 057");
    EXPECT_DOUBLE_EQ(f.form.Core().State.DataStoredLast, f.clock.now());

    f.form.StringGrid1->setCurrentIndex(f.form.LogTable->index(0, 3));
    f.clock.advanceMs(1000);
    f.form.Core().State.MixerState = TMixerState::Flushing;
    f.form.StoreData();
    EXPECT_EQ(f.form.StringGrid1->model()->rowCount(), 2);
    EXPECT_EQ(Cell(f, 1, 0), "11:05:08");
    EXPECT_EQ(Cell(f, 1, 2), "") << "no method outside a dilution";
    EXPECT_EQ(f.form.StringGrid1->currentIndex(), f.form.LogTable->index(1, 3));

    // Rows stored while the table is out of sight: the last one is in view
    // when the operator turns to the Output page, and stays so.
    f.form.show();
    QCoreApplication::processEvents();
    for (int i = 0; i < 300; ++i)
        f.form.StoreData();
    QTableView* grid = f.form.StringGrid1;
    f.form.PageControl1->setCurrentWidget(f.form.TabSheet2);
    QCoreApplication::processEvents();
    auto inView = [grid](int row) {
        const QRect r = grid->visualRect(grid->model()->index(row, 0));
        return r.top() >= 0 && r.bottom() < grid->viewport()->height();
    };
    EXPECT_TRUE(inView(301));
    f.form.StoreData();
    QCoreApplication::processEvents();
    EXPECT_TRUE(inView(302));
    EXPECT_FALSE(inView(0));
}

TEST(FormLog, RowsStaySoundAfterTheGasListsLoseTheirSelection)
{
    FormFixture f;
    Dilute(f);
    f.form.Core().Setup.WithdrawGases();  // back on the Setup page
    f.form.StoreData();
    EXPECT_TRUE(f.dialogs.Errors.isEmpty()) << f.dialogs.Errors.join("; ").toStdString();
    EXPECT_EQ(Cell(f, 0, 5), "0.873 514") << "water computed for argon, the gas chosen";
}

TEST(FormLog, PlanningRunsLeaveResetMarkers)
{
    FormFixture f;
    f.form.Calculate();  // no gases selected: a marker and nothing else
    f.form.Calculate();
    EXPECT_EQ(f.form.LogTable->rowCount(), 1);
    EXPECT_EQ(Cell(f, 0, 1), "Reset");
    Dilute(f);
    f.form.StoreData();
    EXPECT_EQ(Cell(f, 0, 1), "Dilution") << "a marker without a time is overwritten";
    f.form.Calculate();
    ASSERT_EQ(f.form.LogTable->rowCount(), 2);
    EXPECT_EQ(Cell(f, 1, 0), "");
    EXPECT_EQ(Cell(f, 1, 1), "Reset");
}

TEST(FormLog, ARightClickSavesTheTableWithTheReport)
{
    FormFixture f;
    QTemporaryDir dir;
    f.ChooseGases(0, 0);
    f.form.Core().State.FIA = {"O2", "Oxygen", "g/min", 0.1f, 1000, 0.0001f};
    f.form.Core().State.FIB = {"Ar", "Argon", "g/min", 1.0f, 100, 0.01f};
    f.form.Calculate();
    Dilute(f);
    const QByteArray at = DayCountToDateTime(f.clock.wallNow()).toString("hh:mm:ss").toLatin1();
    f.form.StoreData();

    f.dialogs.SaveAnswer = dir.filePath("run.csv");
    Press(f.form.StringGrid1->viewport(), Qt::RightButton);
    f.form.WaitForSave();

    ASSERT_EQ(f.dialogs.SaveProposals.size(), 1);
    EXPECT_EQ(f.dialogs.SaveProposals[0], QDir(QCoreApplication::applicationDirPath()).filePath("2026-12-09 10_00"));
    EXPECT_EQ(f.dialogs.SaveSetups[0].DefaultExt, "csv");
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().endsWith("\nSaving succeeded\n"));

    const QList<QByteArray> lines = FileLines(f.dialogs.SaveAnswer);
    ASSERT_GE(lines.size(), 8);
    EXPECT_EQ(lines[0], "Data starts after *** line");
    EXPECT_EQ(lines[1], "Description of desired mixture");
    EXPECT_EQ(lines[2], "  150 ppm of Oxygen in Argon");
    const qsizetype stars = lines.indexOf("*********");
    ASSERT_GT(stars, 2);
    EXPECT_EQ(lines[stars - 1], "") << "the report ends with a line break";
    EXPECT_TRUE(lines.contains("  Resulting flow    : 560.8 mln/min (0\xC2\xBA"
                               "C)"));
    EXPECT_TRUE(lines[stars - 3].startsWith("  Bubbler       : ")) << "the records the run used close the report";
    EXPECT_TRUE(lines[stars + 1].startsWith("Time;Mode;Method;\"Gas A (g)\";"));
    EXPECT_TRUE(lines[stars + 2].startsWith(at + ";Dilution;\"A(constant)inB\";\"0.012345\";"))
        << lines[stars + 2].toStdString();
    EXPECT_EQ(lines.size(), stars + 3);
}

TEST(FormLog, SavingRefusesExistingFilesAndReportsFailures)
{
    FormFixture f;
    QTemporaryDir dir;

    // Cancelled: nothing happens.
    f.form.StringGrid1MouseDown(Qt::RightButton);
    EXPECT_EQ(f.dialogs.SaveProposals.size(), 1);
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().isEmpty());

    // The header row is part of the table: a right click there saves too.
    Press(f.form.StringGrid1->horizontalHeader()->viewport(), Qt::RightButton);
    EXPECT_EQ(f.dialogs.SaveProposals.size(), 2);

    // Left and middle buttons do not save.
    f.dialogs.SaveAnswer = dir.filePath("new.csv");
    for (QWidget* w : {f.form.StringGrid1->viewport(), f.form.StringGrid1->horizontalHeader()->viewport()}) {
        Press(w, Qt::LeftButton);
        Press(w, Qt::MiddleButton);
    }
    EXPECT_EQ(f.dialogs.SaveProposals.size(), 2);
    EXPECT_FALSE(QFile::exists(f.dialogs.SaveAnswer));

    // An existing file is refused and left as it was.
    f.dialogs.SaveAnswer = dir.filePath("taken.csv");
    {
        QFile taken(f.dialogs.SaveAnswer);
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
        taken.write("keep me");
    }
    Press(f.form.StringGrid1->viewport(), Qt::RightButton);
    EXPECT_EQ(f.dialogs.Errors, QStringList{"File already exists. Cannot overwrite."});
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().isEmpty());
    QFile taken(f.dialogs.SaveAnswer);
    ASSERT_TRUE(taken.open(QIODevice::ReadOnly));
    EXPECT_EQ(taken.readAll(), "keep me");

    // A save while one runs is refused with a message; the file it would
    // have written is not made.
    f.form.Save(dir.filePath("first.csv"));
    f.dialogs.SaveAnswer = dir.filePath("second.csv");
    Press(f.form.StringGrid1->viewport(), Qt::RightButton);
    f.form.Save(dir.filePath("third.csv"));
    EXPECT_EQ(f.dialogs.Messages, QStringList(2, "The log is still being saved. Please wait for the result."));
    f.form.WaitForSave();
    EXPECT_EQ(f.form.MemoDevFeedback->toPlainText(), "\nSaving succeeded\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("second.csv")) || QFile::exists(dir.filePath("third.csv")));
    f.form.MemoDevFeedback->clear();

    // A folder that does not exist: the save fails quietly in the debug memo.
    f.form.Save(dir.filePath("missing/log.csv"));
    f.form.WaitForSave();
    EXPECT_EQ(f.form.MemoDevFeedback->toPlainText(), "\nSaving failed\n");
    f.form.Save(dir.filePath("new.csv"));
    f.form.WaitForSave();
    EXPECT_EQ(f.form.MemoDevFeedback->toPlainText(), "\nSaving failed\n\nSaving succeeded\n");
    // After other diagnostic lines the result still follows one empty line.
    TForm1::AddMemoLine(f.form.MemoDevFeedback, "0-1024 DAC = 512");
    f.form.Save(dir.filePath("fourth.csv"));
    f.form.WaitForSave();
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().endsWith("0-1024 DAC = 512\n\nSaving succeeded\n"));
}

TEST(FormLog, ASavedFileWithTwoPlansCarriesEachReportAtItsMarker)
{
    FormFixture f;
    QTemporaryDir dir;
    f.ChooseGases(0, 0);
    f.form.Core().State.FIA = {"O2", "Oxygen", "g/min", 0.1f, 1000, 0.0001f};
    f.form.Core().State.FIB = {"Ar", "Argon", "g/min", 1.0f, 100, 0.01f};
    Dilute(f);
    f.form.StoreData();
    QStringList reports;
    for (int ppm : {150, 3000}) {
        f.form.Core().State.Request = {ppm, 1000000 - ppm, 0};
        f.form.Calculate();
        reports << f.form.Memo4->toPlainText();
        f.form.StoreData();
        f.form.StoreData();
    }
    f.form.Save(dir.filePath("two plans.csv"));
    f.form.WaitForSave();

    // Read back block by block: the header still carries the memo; below
    // it, each marker line is followed by its plan's report between two
    // lines of nine asterisks.
    const QList<QByteArray> lines = FileLines(dir.filePath("two plans.csv"));
    const QList<QByteArray> memo = QList<QByteArray>(lines.begin() + 1, lines.begin() + lines.indexOf("*********"));
    EXPECT_EQ(QString::fromUtf8(memo.join("\n")), reports[1]);
    QList<QList<QByteArray>> blocks;
    QList<QByteArray> rows;
    for (qsizetype i = lines.indexOf("*********") + 2; i < lines.size(); ++i) {
        if (lines[i] != "*********") {
            rows << lines[i];
            continue;
        }
        const qsizetype end = lines.indexOf("*********", i + 1);
        ASSERT_GT(end, i);
        blocks << lines.mid(i + 1, end - i - 1);
        EXPECT_EQ(rows.last(), ";Reset" + QByteArray(15, ';')) << "a block follows its marker";
        i = end;
    }
    ASSERT_EQ(blocks.size(), 2);
    for (int b = 0; b < 2; ++b)
        EXPECT_EQ(QString::fromUtf8(blocks[b].join("\n")), reports[b]);
    EXPECT_EQ(rows.size(), f.form.LogTable->DataRows());
    EXPECT_TRUE(reports[1].contains("3000 ppm of Oxygen")) << reports[1].toStdString();
}

// Closing asks for a save while rows were never saved, before anything is
// stopped: Cancel, or no file chosen after Yes, keeps the program and the
// rig running; otherwise the rig is made safe and the file gets the log
// with the rows stored on the way out. A save still running is waited for
// and counts.
TEST(FormLog, ClosingWithUnsavedRowsOffersASave)
{
    struct Case {
        const char* name;
        bool store, saveBefore;
        TAnswer answer;
        bool chooseFile, withoutAsking;
        bool asked, closes, savedOnClose;
    };
    const Case cases[] = {
        {"nothing stored", false, false, TAnswer::Yes, true, false, false, true, false},
        {"saved while closing", true, true, TAnswer::Yes, true, false, false, true, false},
        {"No closes", true, false, TAnswer::No, true, false, true, true, false},
        {"Yes saves, then closes", true, false, TAnswer::Yes, true, false, true, true, true},
        {"Cancel keeps running", true, false, TAnswer::Cancel, true, false, true, false, false},
        {"Yes, then no file, keeps running", true, false, TAnswer::Yes, false, false, true, false, false},
        {"a close on a signal", true, false, TAnswer::Yes, true, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormFixture f;
        QTemporaryDir dir;
        f.SelectRelayPort();
        f.form.ButtonSetupValidate->click();
        f.form.SetValvePositions(1, 1, 0, 0, 1, 0);
        Dilute(f);
        if (c.store)
            f.form.StoreData();
        if (c.saveBefore)
            f.form.Save(dir.filePath("before.csv"));
        f.dialogs.ThreeWayAnswer = c.answer;
        f.dialogs.SaveAnswer = c.chooseFile ? dir.filePath("on close.csv") : QString();
        int patternWhenAsked = -1;
        f.dialogs.OnQuestion = [&] { patternWhenAsked = f.relay.pattern(); };
        f.form.show();

        if (c.withoutAsking)
            f.form.ShutDown();
        else
            EXPECT_EQ(f.form.close(), c.closes);

        EXPECT_EQ(f.dialogs.Questions, c.asked ? QStringList{"Save the log before closing?"} : QStringList());
        if (c.asked) {
            EXPECT_EQ(patternWhenAsked, 0b010011) << "nothing is stopped while the operator is asked";
        }
        EXPECT_EQ(f.relay.pattern(), c.closes ? 0 : 0b010011);
        EXPECT_EQ(f.form.Timer1->isActive(), !c.closes) << "the mixer goes on ticking when the close is cancelled";
        EXPECT_EQ(QFile::exists(f.dialogs.SaveAnswer), c.savedOnClose);
        EXPECT_EQ(f.form.MemoDevFeedback->toPlainText().endsWith("Saving succeeded\n"), c.saveBefore || c.savedOnClose);
    }
}

// The save dialogs propose the program's folder where it may be written to,
// otherwise the user's documents, as for the installed program in /usr/bin.
TEST(FormLog, TheSaveFolderIsOneTheOperatorMayWriteTo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(),
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                                          | QFile::ReadGroup | QFile::ExeGroup));
    EXPECT_EQ(ProposedSaveFolder(QCoreApplication::applicationDirPath()), QCoreApplication::applicationDirPath());
    const auto proposed = RunUnprivileged([&] { return ProposedSaveFolder(dir.path()).toStdString(); });
    ASSERT_TRUE(proposed.has_value());
    EXPECT_NE(*proposed, dir.path().toStdString());
    EXPECT_EQ(*proposed, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString());
}
