// The Plot page's side of the window: every stored log row becomes a point
// of each curve, with the plan, the flows and the bubbler as the readout
// has them at that moment; the right button saves the plot.
#include "form1.h"

#include "clock.h"
#include "log_table_model.h"
#include "plot_page.h"
#include "time_picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <cmath>
#include <stdexcept>

void TForm1::SetUpPlot()
{
    SavePlotDialog.Filter = QStringLiteral("PNG picture (*.png)");
    SavePlotDialog.DefaultExt = QStringLiteral("png");
    connect(LogTable, &TLogTableModel::RowStored, this,
            [this](int row) { Guarded([this, row] { PlotRowStored(row); }); });
    Plot1->OnMouseDown = [this](Qt::MouseButton button) { Guarded([this, button] { PlotMouseDown(button); }); };
}

void TForm1::PlotRowStored(int row)
{
    const TLogRow& r = LogTable->Row(row);
    auto number = [&r](TProperty p) { return (r.Written & PropertyBit(p)) != 0 ? r.Numbers[NumberIndex(p)] : NAN; };
    const TReadout& now = RowReadout_;
    TPlotSample s;
    s.Time = r.Time;
    s[TPlotQuantity::PpmA] = number(TProperty::ppmA);
    s[TPlotQuantity::PpmH2O] = number(TProperty::ppmH2O);
    s[TPlotQuantity::PlannedPpmA] = now.PlannedPpmA.value_or(NAN);
    s[TPlotQuantity::PlannedPpmH2O] = now.PlannedPpmH2O.value_or(NAN);
    s[TPlotQuantity::FlowA] = now.FlowA.value_or(NAN);
    s[TPlotQuantity::FlowB] = now.FlowB.value_or(NAN);
    s[TPlotQuantity::BubblerC] = now.BubblerC.value_or(NAN);
    Plot1->AppendSample(s);
}

void TForm1::PlotMouseDown(Qt::MouseButton Button)
{
    if (Button != Qt::RightButton)
        return;
    const QString proposed
        = QDir(ProposedSaveFolder(QCoreApplication::applicationDirPath()))
              .filePath(FormatDayCount(QStringLiteral("yyyy-mm-dd hh_mm"), Clock_.wallNow()) + QStringLiteral(" plot"));
    const QString chosen = Dialogs_.PromptSaveFileName(this, SavePlotDialog, proposed);
    if (chosen.isEmpty())
        return;
    if (QFileInfo::exists(chosen))
        throw std::runtime_error("File already exists. Cannot overwrite.");
    const bool saved = Plot1->SavePng(chosen);
    AddMemoLine(MemoDevFeedback, QString());
    AddMemoLine(MemoDevFeedback, saved ? QStringLiteral("Plot saved") : QStringLiteral("Saving the plot failed"));
}
