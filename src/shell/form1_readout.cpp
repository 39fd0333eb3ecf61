// The readout beside "Operating status": what the mixer delivers, against
// what was asked for, refreshed at every tick from what the tick read.
#include "form1.h"
#include "uncertainty.h"
#include "time_picture.h"
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
// A flow that is commanded but that this state does not measure.
const QString NotRead = QStringLiteral("not read");

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

// A planned value with the expanded uncertainty of its delivery, when known.
QString PlannedPpm(const std::optional<double>& v, const std::optional<double>& expanded)
{
    if (!v || !expanded)
        return Ppm(v);
    return ValueWithUncertainty(*v, *expanded);
}

// A value's text and what a screen reader says for it: the description,
// the number and its unit ("Gas A delivered 150.1 ppm").
struct TShown {
    QString Text;
    bool Number = false;
};

void Show(QLabel* label, const TShown& shown, const QString& unit, const QString& note = {})
{
    label->setText(shown.Text);
    const QString description = label->property("description").toString();
    QString spoken = description + QLatin1Char(' ')
        + (shown.Number                ? shown.Text + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit)
               : shown.Text == Missing ? QStringLiteral("none")
                                       : shown.Text);
    if (!note.isEmpty())
        spoken += QStringLiteral(", ") + note;
    label->setAccessibleName(spoken);
}

TShown Number(const QString& text)
{
    return {text, text != Missing};
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
    // Each value carries its description; its accessible name adds the
    // number shown.
    auto value = [&](const char* name, int left, int row, const QString& description) {
        QLabel* l = label(name, left, row, ValueWidth, Qt::AlignRight);
        l->setProperty("description", description);
        Show(l, {Missing}, {});
        return l;
    };

    label(nullptr, ActualLeft, 0, ValueWidth, Qt::AlignRight)->setText(QStringLiteral("Actual"));
    label(nullptr, TargetLeft, 0, ValueWidth, Qt::AlignRight)->setText(QStringLiteral("Target"));
    caption(1, QStringLiteral("Elapsed"));
    LabelElapsed = value("LabelElapsed", ActualLeft, 1, QStringLiteral("Elapsed time of the dilution"));
    caption(2, QStringLiteral("Gas A (ppm)"));
    LabelPpmA = value("LabelPpmA", ActualLeft, 2, QStringLiteral("Gas A delivered"));
    LabelPpmAPlanned = value("LabelPpmAPlanned", TargetLeft, 2, QStringLiteral("Gas A planned"));
    caption(3, QStringLiteral("H2O (ppm)"));
    LabelPpmH2O = value("LabelPpmH2O", ActualLeft, 3, QStringLiteral("Water delivered"));
    LabelPpmH2OPlanned = value("LabelPpmH2OPlanned", TargetLeft, 3, QStringLiteral("Water planned"));
    caption(4, QStringLiteral("Flow A (g/min)"));
    LabelFlowA = value("LabelFlowA", ActualLeft, 4, QStringLiteral("Flow of gas A"));
    LabelFlowASetPoint = value("LabelFlowASetPoint", TargetLeft, 4, QStringLiteral("Set-point of gas A"));
    caption(5, QStringLiteral("Flow B (g/min)"));
    LabelFlowB = value("LabelFlowB", ActualLeft, 5, QStringLiteral("Flow of gas B"));
    LabelFlowBSetPoint = value("LabelFlowBSetPoint", TargetLeft, 5, QStringLiteral("Set-point of gas B"));
    caption(6, QStringLiteral("Bubbler (\u00b0C)"));
    LabelBubblerC = value("LabelBubblerC", ActualLeft, 6, QStringLiteral("Bubbler temperature"));
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
    // Outside a dilution the delivered values are the last one's: greyed,
    // and the box says when it ended.
    const bool past = !r.DeliveryLive && r.DilutionEndedWall;
    const QString note = past
        ? QStringLiteral("last dilution, ended %1").arg(FormatDayCount(QStringLiteral("hh:nn"), *r.DilutionEndedWall))
        : QString();
    GroupBoxReadout->setTitle(past ? QStringLiteral("Delivery \u2013 ") + note : QStringLiteral("Delivery"));
    // A disabled label draws its text greyed.
    for (QLabel* delivered : {LabelElapsed, LabelPpmA, LabelPpmH2O})
        delivered->setEnabled(!past);
    Show(LabelElapsed, Number(Elapsed(r.ElapsedDays)), {}, note);
    Show(LabelPpmA, Number(Ppm(r.PpmA)), QStringLiteral("ppm"), note);
    Show(LabelPpmAPlanned, Number(PlannedPpm(r.PlannedPpmA, r.PlannedUncertaintyA)), QStringLiteral("ppm"));
    Show(LabelPpmH2O, Number(Ppm(r.PpmH2O)), QStringLiteral("ppm"), note);
    Show(LabelPpmH2OPlanned, Number(PlannedPpm(r.PlannedPpmH2O, r.PlannedUncertaintyH2O)), QStringLiteral("ppm"));

    // The set-point in every state; beside it the measured flow where the
    // state reads the totalizers, and never a dash while gas is commanded.
    const QString gramsPerMinute = QStringLiteral("g/min");
    auto flow = [&](QLabel* actual, QLabel* target, const std::optional<double>& measured,
                    const std::optional<double>& setPoint) {
        const bool commanded = setPoint && *setPoint > 0.0;
        const bool notRead = !measured && commanded;
        actual->setEnabled(!notRead);
        Show(actual, notRead ? TShown{NotRead} : Number(Flow(measured)), gramsPerMinute);
        Show(target, Number(Flow(setPoint)), gramsPerMinute);
    };
    flow(LabelFlowA, LabelFlowASetPoint, r.FlowA, r.SetPointA);
    flow(LabelFlowB, LabelFlowBSetPoint, r.FlowB, r.SetPointB);
    Show(LabelBubblerC, Number(r.BubblerC ? Fixed(*r.BubblerC, 1) : Missing), QStringLiteral("degrees Celsius"));
    Show(LabelLogRows, Number(QString::number(r.LogRows)), {});
}
