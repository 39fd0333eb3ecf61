#include "serve_host.h"

#include "columns.h"

TServeHost::TServeHost(std::FILE* out, std::FILE* err)
    : out_(out)
    , err_(err)
{
    Log.SetColumns(StandardLogColumns());
}

void TServeHost::Print(const QString& line)
{
    std::fprintf(out_, "%s\n", line.toLocal8Bit().constData());
    std::fflush(out_);
}

void TServeHost::ShowStatus(const QString& text)
{
    // Every request shows Standby again; a line only when it changes.
    if (text == status_)
        return;
    status_ = text;
    Print(QStringLiteral("state: ") + text);
}

void TServeHost::AddDevFeedbackLine(const QString& line)
{
    // Of the Debug page's trace, the commands remote clients sent.
    if (line.startsWith(QStringLiteral("Remote ")))
        Print(line);
}

void TServeHost::ShowMessage(const QString& text)
{
    Print(QStringLiteral("message: ") + text);
}

void TServeHost::ShowError(const QString& text)
{
    std::fprintf(err_, "error: %s\n", text.toLocal8Bit().constData());
    std::fflush(err_);
}

void TServeHost::ShowAlarm(const QString& line)
{
    alarmShown_ = true;
    Print(QStringLiteral("alarm: ") + line);
}

void TServeHost::ClearAlarm()
{
    if (alarmShown_)
        Print(QStringLiteral("alarm acknowledged"));
    alarmShown_ = false;
}

void TServeHost::AddSetupFeedbackLine(const QString& line)
{
    if (ShowSetupLines && !line.trimmed().isEmpty())
        Print(QStringLiteral("setup: ") + line);
}

void TServeHost::StoreLogRow(const TLogRowValues& values, const TReadout&)
{
    Log.StoreRow(values);
}

void TServeHost::StoreLogMarker()
{
    lastMarker_ = Log.StoreMarker();
}

void TServeHost::AttachPlanReport(const QString& report)
{
    Log.AttachReport(lastMarker_, report);
}

void TServeHost::ProgramRunning(bool running)
{
    // A program's end comes with how it ended.
    Print(QStringLiteral("program: ") + (running ? QStringLiteral("started") : progress_));
}

void TServeHost::ShowProgramProgress(const QString& text)
{
    progress_ = text;
}

void TServeHost::ShowProgramStep(int index, const TProgramStep& step)
{
    Print(QStringLiteral("program: step %1: %2 ppm gas A, %3 ppm water, %4 min%5")
              .arg(index + 1)
              .arg(step.PpmA)
              .arg(step.PpmH2O)
              .arg(step.Minutes)
              .arg(step.FlushBefore ? QStringLiteral(", flushed first") : QString()));
}
