// The whole job as the operator does it, by clicks and keys, on the
// simulated rig and the fake clock: from Find ports to a saved log.
#include "log_table_model.h"
#include "rig_fixture.h"
#include "workflow_fixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

const std::uint8_t DryPath = Pattern({0, 0, 0, 1, 1, 0});
const std::uint8_t WetPath = Pattern({1, 1, 0, 0, 1, 0});
const char* const Planned = "A (pulse) in B/H2O";

double Number(const TLogTableModel& log, int row, int column)
{
    return log.CellText(row, column).remove(' ').toDouble();
}

}  // namespace

TEST(WholeJob, FromFindPortsThroughAHumidifiedDilutionToTheSavedLog)
{
    Workflow w;
    TForm1& f = w.form;
    const TLogTableModel& log = *f.LogTable;
    MfcBusModel& mfc = w.rig.mfc;
    RelayBoardModel& relay = w.rig.relay;

    w.FindAndChoosePorts();
    w.Click(f.ButtonSetupValidate);
    ClickItem(f.ListBoxSetupGas1, 0);  // O2
    ClickItem(f.ListBoxSetupGas2, 0);  // Ar
    w.Page(1);
    ASSERT_EQ(f.PageControl1->currentIndex(), 1);

    // 150 ppm oxygen, and water: a single digit is below the least the
    // bubbler can dose, so the field takes that least when Enter ends the
    // entry.
    TypeOver(f.RtIntegerEditGasAPPM, "150");
    TypeOver(f.RtIntegerEditH2Oppm, "1");
    EXPECT_TRUE(w.dialogs.Messages.isEmpty()) << "not while the operator is typing";
    QTest::keyClick(f.RtIntegerEditH2Oppm, Qt::Key_Return);
    ASSERT_EQ(w.dialogs.Messages.size(), 1);
    const QRegularExpressionMatch least
        = QRegularExpression("^Water: at 150 ppm of gas A the bubbler can give no less than (\\d+) ppm$")
              .match(w.dialogs.Messages[0]);
    ASSERT_TRUE(least.hasMatch()) << w.dialogs.Messages[0].toStdString();
    const int water = least.captured(1).toInt();
    EXPECT_EQ(f.RtIntegerEditH2Oppm->Value(), water);
    EXPECT_EQ(f.RtIntegerEditGasAPPM->Value(), 150);
    EXPECT_EQ(f.RtIntegerEditGasBPPM->Value(), 1000000 - 150 - water);
    w.RunFor(2);  // standing by while the operator reads the plan
    ASSERT_GE(log.DataRows(), 1);
    EXPECT_EQ(log.CellText(log.DataRows() - 1, ModeColumn), "Standby");

    w.Click(f.ButtonDilution);
    ASSERT_EQ(MixingMethodName(f.Core().State.MixingMethod), Planned);
    const int marker = log.DataRows() - 1;
    EXPECT_EQ(log.CellText(marker, ModeColumn), "Reset");
    mfc.clearRecords();
    relay.clearRecords();
    w.RunFor(75);

    // The log: a row a little over a second apart, a row for every water
    // pulse between them, the masses growing.
    int pulseRows = 0, plannedRows = 0;
    QTime plannedBefore;
    for (int r = marker + 1; r < log.DataRows(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(log.CellText(r, ModeColumn), "Dilution");
        const QString method = log.CellText(r, MethodColumn);
        const QTime time = QTime::fromString(log.CellText(r, 0), "hh:mm:ss");
        ASSERT_TRUE(time.isValid());
        if (method == "H2O pulse") {
            ++pulseRows;
        } else {
            EXPECT_EQ(method, Planned);
            if (plannedRows++ > 0) {
                EXPECT_GE(plannedBefore.secsTo(time), 1);
            }
            plannedBefore = time;
        }
        if (r > marker + 1) {
            EXPECT_LE(QTime::fromString(log.CellText(r - 1, 0), "hh:mm:ss").secsTo(time), 2);
            for (int column : {GasAColumn, GasAColumn + 1, GasAColumn + 2})  // gas A, gas B, water
                EXPECT_GE(Number(log, r, column), Number(log, r - 1, column)) << column;
        }
    }
    EXPECT_GE(plannedRows, 50);
    const int last = log.DataRows() - 1;
    // About 75 s of the planned flows, less what the last row could not see;
    // gas A comes in pulses, up to one ahead.
    const double pulseGrams = 0.015 * 0.15 / 60;
    for (const auto& [column, flow, slack] :
         {std::tuple{GasAColumn, f.Core().State.DesiredFlowAGramsperMinute, pulseGrams},
          std::tuple{GasAColumn + 1, f.Core().State.DesiredFlowBGramsperMinute, 0.0}})
        EXPECT_NEAR(Number(log, last, column), 73.5 / 60 * flow, 1.5 / 60 * flow + slack) << column;
    EXPECT_GT(Number(log, last, GasAColumn + 2), 0.0);

    // The equipment: the dry path held, the wet path opened only for a
    // pulse, each planned set-point sent once, and gas A, planned below its
    // controller's minimum, in pulses.
    const auto& patterns = relay.patterns();
    const auto wet = std::count_if(patterns.begin(), patterns.end(),
                                   [](const ValvePatternRecord& p) { return p.Pattern == WetPath; });
    EXPECT_GT(wet, 5);
    EXPECT_EQ(pulseRows, wet);
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        ASSERT_TRUE(patterns[i].Pattern == DryPath || patterns[i].Pattern == WetPath) << i;
        if (patterns[i].Pattern == WetPath) {
            ASSERT_TRUE(i + 1 < patterns.size() && patterns[i + 1].Pattern == DryPath) << i;
        }
    }
    std::vector<float> gasA, gasB;
    for (const SetPointRecord& r : mfc.setPoints())
        (r.Address == 1 ? gasA : gasB).push_back(r.Value);
    ASSERT_GT(gasA.size(), 20u);
    EXPECT_EQ(gasA[0], static_cast<float>(f.Core().State.DesiredFlowAGramsperMinute));
    EXPECT_EQ(std::count(gasA.begin() + 1, gasA.end(), 0.015f) + std::count(gasA.begin() + 1, gasA.end(), 0.0f),
              static_cast<long>(gasA.size() - 1));
    EXPECT_GT(std::count(gasA.begin(), gasA.end(), 0.015f), 10);
    EXPECT_EQ(gasB, std::vector<float>{static_cast<float>(f.Core().State.DesiredFlowBGramsperMinute)});
    EXPECT_GT(mfc.setPoint(2), 0.0f);

    // Stop: the next tick closes every valve and zeroes both set-points.
    w.Click(f.ButtonStop);
    relay.clearRecords();
    w.Tick();
    ASSERT_EQ(relay.patterns().size(), 1u);
    EXPECT_EQ(relay.pattern(), 0);
    EXPECT_EQ(mfc.setPoint(1), 0.0f);
    EXPECT_EQ(mfc.setPoint(2), 0.0f);
    EXPECT_EQ(log.CellText(log.DataRows() - 1, ModeColumn), "Standby");

    // A right click on the log saves it where the operator chose.
    w.Page(2);
    ASSERT_EQ(f.PageControl1->currentIndex(), 2);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    w.dialogs.SaveAnswer = dir.filePath("run.csv");
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    f.WaitForSave();  // the file is written on a worker thread
    EXPECT_EQ(w.Memo(f.MemoDevFeedback).mid(w.Memo(f.MemoDevFeedback).size() - 3),
              (QStringList{"", "Saving succeeded", ""}));

    QFile file(w.dialogs.SaveAnswer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
    QStringList lines = QString::fromLocal8Bit(bytes).split("\r\n");
    lines.removeLast();

    const QStringList report = f.Memo4->toPlainText().split('\n');
    ASSERT_TRUE(report.contains("  150 ppm of Oxygen in Argon with H2O")) << f.Memo4->toPlainText().toStdString();
    ASSERT_EQ(lines.size(), 1 + report.size() + 2 + log.DataRows());
    EXPECT_EQ(lines[0], "Data starts after *** line");
    EXPECT_EQ(lines.mid(1, report.size()), report);
    EXPECT_EQ(lines[1 + report.size()], "*********");
    const QString header = lines[2 + report.size()];
    EXPECT_TRUE(header.startsWith("Time;Mode;Method;\"Gas A (g)\";\"Gas B (g)\";\"H2O (g)\";")) << header.toStdString();
    EXPECT_EQ(header.count(';'), 16);

    const QStringList data = lines.mid(3 + report.size());
    for (int r = 0; r < data.size(); ++r) {
        SCOPED_TRACE(data[r].toStdString());
        ASSERT_FALSE(data[r].contains(' '));
        const QStringList cells = data[r].split(';');
        ASSERT_EQ(cells.size(), 17);
        EXPECT_EQ(cells[0], log.CellText(r, 0));
        EXPECT_EQ(cells[ModeColumn], log.CellText(r, ModeColumn));
    }
    const QStringList dilution = data[marker + 1].split(';');
    EXPECT_EQ(dilution[MethodColumn], "\"A(pulse)inB/H2O\"");
    const QStringList stopped = data[last + 1].split(';');
    EXPECT_EQ(stopped[MethodColumn], "");
    EXPECT_EQ(stopped[GasAColumn], '"' + log.CellText(last + 1, GasAColumn).remove(' ') + '"');
    EXPECT_TRUE(QRegularExpression("^\"0\\.000\\d{3}\"$").match(stopped[GasAColumn]).hasMatch())
        << stopped[GasAColumn].toStdString();
    EXPECT_EQ(data[marker], ";Reset" + QString(15, ';'));
    EXPECT_TRUE(w.dialogs.Errors.isEmpty()) << w.dialogs.Errors.join('\n').toStdString();
}
