// The readout beside "Operating status": what the mixer delivers, against
// what was asked for, refreshed at every tick from what the tick read.
#include "form1.h"
#include "time_units.h"

#include <QGroupBox>
#include <QLabel>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int CaptionLeft = 10;
constexpr int ActualLeft = 112;
constexpr int TargetLeft = 200;
constexpr int ValueWidth = 82;
constexpr int FirstRowTop = 18;
constexpr int RowHeight = 18;

const QString Missing = QStringLiteral("\u2013");

QString Fixed(double v, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(v, 'f', decimals);
}

// About four significant digits, never in exponent form.
QString Flow(const std::optional<double>& v)
{
    if (!v)
        return Missing;
    if (*v == 0.0)
        return QStringLiteral("0");
    const int decimals = std::clamp(3 - static_cast<int>(std::floor(std::log10(std::fabs(*v)))), 0, 6);
    return Fixed(*v, decimals);
}

// Small fractions with a decimal, large ones whole.
QString Ppm(const std::optional<double>& v)
{
    if (!v)
        return Missing;
    return Fixed(*v, std::fabs(*v) < 1000.0 ? 1 : 0);
}

// Hours (however many), minutes and seconds.
QString Elapsed(const std::optional<double>& days)
{
    if (!days)
        return Missing;
    const long long seconds = std::llround(std::max(0.0, *days) * SecondsPerDay);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

void TForm1::BuildReadout()
{
    GroupBoxReadout = new QGroupBox(QStringLiteral("Delivery"), OperationPanel);
    GroupBoxReadout->setObjectName(QStringLiteral("GroupBoxReadout"));
    GroupBoxReadout->setGeometry(607, 327, 290, 221);

    auto label = [this](const char* name, int left, int row, int width, Qt::Alignment align) {
        auto* l = new QLabel(GroupBoxReadout);
        if (name)
            l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(left, FirstRowTop + row * RowHeight, width, RowHeight);
        l->setAlignment(align | Qt::AlignVCenter);
        return l;
    };
    auto caption = [&](int row, const QString& text) {
        label(nullptr, CaptionLeft, row, ActualLeft - CaptionLeft, Qt::AlignLeft)->setText(text);
    };
    auto value = [&](const char* name, int left, int row, const QString& accessible) {
        QLabel* l = label(name, left, row, ValueWidth, Qt::AlignRight);
        l->setAccessibleName(accessible);
        l->setText(Missing);
        return l;
    };

    label(nullptr, ActualLeft, 0, ValueWidth, Qt::AlignRight)->setText(QStringLiteral("Actual"));
    label(nullptr, TargetLeft, 0, ValueWidth, Qt::AlignRight)->setText(QStringLiteral("Target"));
    caption(1, QStringLiteral("Elapsed"));
    LabelElapsed = value("LabelElapsed", ActualLeft, 1, QStringLiteral("Elapsed time of the dilution"));
    caption(2, QStringLiteral("Gas A (ppm)"));
    LabelPpmA = value("LabelPpmA", ActualLeft, 2, QStringLiteral("Gas A delivered, ppm"));
    LabelPpmAPlanned = value("LabelPpmAPlanned", TargetLeft, 2, QStringLiteral("Gas A planned, ppm"));
    caption(3, QStringLiteral("H2O (ppm)"));
    LabelPpmH2O = value("LabelPpmH2O", ActualLeft, 3, QStringLiteral("Water delivered, ppm"));
    LabelPpmH2OPlanned = value("LabelPpmH2OPlanned", TargetLeft, 3, QStringLiteral("Water planned, ppm"));
    caption(4, QStringLiteral("Flow A (g/min)"));
    LabelFlowA = value("LabelFlowA", ActualLeft, 4, QStringLiteral("Flow of gas A, g/min"));
    LabelFlowASetPoint = value("LabelFlowASetPoint", TargetLeft, 4, QStringLiteral("Target flow of gas A, g/min"));
    caption(5, QStringLiteral("Flow B (g/min)"));
    LabelFlowB = value("LabelFlowB", ActualLeft, 5, QStringLiteral("Flow of gas B, g/min"));
    LabelFlowBSetPoint = value("LabelFlowBSetPoint", TargetLeft, 5, QStringLiteral("Target flow of gas B, g/min"));
    caption(6, QStringLiteral("Bubbler (\u00b0C)"));
    LabelBubblerC = value("LabelBubblerC", ActualLeft, 6, QStringLiteral("Bubbler temperature, degrees Celsius"));
    caption(7, QStringLiteral("Log rows"));
    LabelLogRows = value("LabelLogRows", ActualLeft, 7, QStringLiteral("Rows in the log"));

    // Below the figures: the alarm (also on the alarm line under the panel),
    // then room for a line on a program's progress.
    LabelReadoutAlarm
        = label("LabelReadoutAlarm", CaptionLeft, 8, TargetLeft + ValueWidth - CaptionLeft, Qt::AlignLeft);
    LabelReadoutAlarm->setWordWrap(true);
    LabelReadoutAlarm->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelReadoutAlarm->resize(LabelReadoutAlarm->width(), 2 * RowHeight);
    LabelReadoutAlarm->setAccessibleName(QStringLiteral("Alarm"));
    LabelReadoutAlarm->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    // A running flow program's progress ("Step 2 of 5, 12:30 left").
    LabelProgram = label("LabelProgram", CaptionLeft, 10, TargetLeft + ValueWidth - CaptionLeft, Qt::AlignLeft);
    LabelProgram->setAccessibleName(QStringLiteral("Program progress"));
}

void TForm1::RefreshReadout(const TReadout& r)
{
    LabelElapsed->setText(Elapsed(r.ElapsedDays));
    LabelPpmA->setText(Ppm(r.PpmA));
    LabelPpmAPlanned->setText(Ppm(r.PlannedPpmA));
    LabelPpmH2O->setText(Ppm(r.PpmH2O));
    LabelPpmH2OPlanned->setText(Ppm(r.PlannedPpmH2O));
    LabelFlowA->setText(Flow(r.FlowA));
    LabelFlowASetPoint->setText(Flow(r.SetPointA));
    LabelFlowB->setText(Flow(r.FlowB));
    LabelFlowBSetPoint->setText(Flow(r.SetPointB));
    LabelBubblerC->setText(r.BubblerC ? Fixed(*r.BubblerC, 1) : Missing);
    LabelLogRows->setText(QString::number(r.LogRows));
}
