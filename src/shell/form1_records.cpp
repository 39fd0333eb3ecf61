// The lab's records on the Setup page: the certificates of the two chosen
// gases' sources, the two identified controllers and the bubbler, as the
// records file holds them (or their defaults), edited and confirmed by the
// operator. Saving writes the file and hands the records to the core, which
// uses them from its next plan on.
#include "form1.h"

#include "fonts.h"
#include "mixer_core.h"
#include "record_store.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>
#include <stdexcept>

namespace {

// The five records of the box, one a row: the objectName's middle part of
// each of its controls, and what the row's header says.
const char* const RowNames[] = {"SourceA", "SourceB", "Controller1", "Controller2", "Bubbler"};
enum { SourceA, SourceB, Controller1, Controller2, Bubbler };

// The value columns of each row, by the objectName's last part; the
// columns line up: the dates of sources and controllers share theirs.
const char* const SourceFields[] = {"Fraction", "Uncertainty", "Lot", nullptr, "Expiry"};
const char* const ControllerFields[] = {"Reading", "FullScale", "Repeatability", "Calibrated", "Due"};
const char* const BubblerFields[] = {"Accuracy", "Efficiency", "EfficiencyUncertainty", nullptr, nullptr};

QString Name(const char* prefix, int row, const char* field = "")
{
    return QString::fromLatin1(prefix) + QString::fromLatin1(RowNames[row]) + QString::fromLatin1(field);
}

QString Percent(double share)
{
    return QString::fromStdString(PercentText(share));
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

void TForm1::BuildRecords()
{
    // Below the first three steps, beside the remote check box.
    GroupBoxRecords = new QGroupBox(Setup);
    GroupBoxRecords->setObjectName(QStringLiteral("GroupBoxRecords"));
    GroupBoxRecords->setTitle(QStringLiteral("6. Records: sources, controllers, bubbler"));
    GroupBoxRecords->setGeometry(3, 471, 534, 232);
    auto* grid = new QGridLayout(GroupBoxRecords);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    auto header = [&](int line, std::initializer_list<const char*> captions) {
        int column = 0;
        for (const char* caption : captions) {
            if (caption)
                grid->addWidget(new QLabel(QString::fromUtf8(caption), GroupBoxRecords), line, column);
            ++column;
        }
    };
    auto row = [&](int line, int record, const char* const(&fields)[5]) {
        auto* label = new QLabel(GroupBoxRecords);
        label->setObjectName(Name("LabelRecord", record));
        grid->addWidget(label, line, 0);
        for (int i = 0; i < 5; ++i) {
            if (!fields[i])
                continue;
            auto* edit = new QLineEdit(GroupBoxRecords);
            edit->setObjectName(Name("EditRecord", record, fields[i]));
            grid->addWidget(edit, line, i + 1);
        }
        auto* confirmed = new QCheckBox(GroupBoxRecords);
        confirmed->setObjectName(Name("CheckRecord", record, "Confirmed"));
        confirmed->setToolTip(QStringLiteral("The operator has checked this record against its certificate"));
        grid->addWidget(confirmed, line, 6, Qt::AlignCenter);
    };
    const char* const plusMinus = "\xC2\xB1 % (k=2)";
    header(0, {"Source", "Fraction %", plusMinus, "Lot", nullptr, "Expiry", "OK"});
    row(1, SourceA, SourceFields);
    row(2, SourceB, SourceFields);
    header(3, {"Controller", "% reading", "% full scale", "Repeat. %", "Calibrated", "Due"});
    row(4, Controller1, ControllerFields);
    row(5, Controller2, ControllerFields);
    const char* const degrees = "\xC2\xB1 \xC2\xB0"
                                "C";
    header(6, {nullptr, degrees, "Efficiency %", plusMinus});
    row(7, Bubbler, BubblerFields);
    ButtonRecordsSave = new QPushButton(QStringLiteral("Save records"), GroupBoxRecords);
    ButtonRecordsSave->setObjectName(QStringLiteral("ButtonRecordsSave"));
    ButtonRecordsSave->setToolTip(QStringLiteral("Writes the records shown and uses them from the next plan on"));
    grid->addWidget(ButtonRecordsSave, 8, 0, 1, 2);
    LabelRecords = new QLabel(GroupBoxRecords);
    LabelRecords->setObjectName(QStringLiteral("LabelRecords"));
    grid->addWidget(LabelRecords, 8, 2, 1, 5);
    for (int column = 1; column <= 5; ++column)
        grid->setColumnStretch(column, 1);
    grid->setColumnMinimumWidth(4, 72);
    grid->setColumnMinimumWidth(5, 72);

    connect(ButtonRecordsSave, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonRecordsSaveClick(); }); });
    ShowRecords();
}

void TForm1::LoadRecords()
{
    const TRecordsLoad load = TRecordStore().Load();
    for (const std::string& problem : load.Problems)
        AddMemoLine(MemoSetupFeedback, QStringLiteral("Records: ") + Text(problem));
    Records_ = load.Records;
    Service_->Post([r = Records_](TMixerCore& c) { c.Mixer.SetRecords(r); });
    ShowRecords();
}

void TForm1::FollowSetupInRecords(const TSetupState& setup)
{
    // The rows follow the gases chosen and the controllers identified; an
    // unchanged setup leaves what the operator is typing alone.
    const std::array<std::string, 2> gases = {setup.GasAName(), setup.GasBName()};
    if (gases == RecordGases_ && setup.Identification == RecordSerials_)
        return;
    RecordGases_ = gases;
    RecordSerials_ = setup.Identification;
    ShowRecords();
}

void TForm1::ShowRecords()
{
    auto edit = [this](int row, const char* field) {
        return GroupBoxRecords->findChild<QLineEdit*>(Name("EditRecord", row, field));
    };
    auto show = [&](int row, const QString& caption, bool known, std::initializer_list<QString> values,
                    bool confirmed) {
        GroupBoxRecords->findChild<QLabel*>(Name("LabelRecord", row))->setText(caption);
        const char* const* fields = row <= SourceB ? SourceFields : row == Bubbler ? BubblerFields : ControllerFields;
        auto value = values.begin();
        for (int i = 0; i < 5; ++i) {
            if (!fields[i])
                continue;
            QLineEdit* e = edit(row, fields[i]);
            e->setText(known ? *value : QString());
            e->setEnabled(known);
            ++value;
        }
        QCheckBox* check = GroupBoxRecords->findChild<QCheckBox*>(Name("CheckRecord", row, "Confirmed"));
        check->setChecked(known && confirmed);
        check->setEnabled(known);
    };
    for (int i = 0; i < 2; ++i) {
        const std::string& gas = RecordGases_[static_cast<std::size_t>(i)];
        const TSourceRecord s = gas.empty() ? TSourceRecord() : Records_.Source(gas);
        show(SourceA + i,
             (i == 0 ? QStringLiteral("Gas A: ") : QStringLiteral("Gas B: "))
                 + (gas.empty() ? QStringLiteral("none") : Text(gas)),
             !gas.empty(), {Percent(s.Fraction), Percent(s.FractionUncertainty), Text(s.Lot), Text(s.Expiry)},
             s.Confirmed);
    }
    for (int i = 0; i < 2; ++i) {
        const std::string& serial = RecordSerials_[static_cast<std::size_t>(i)];
        const TControllerRecord c = Records_.Controller(serial);
        show(Controller1 + i,
             QStringLiteral("MFC %1: %2").arg(i + 1).arg(serial.empty() ? QStringLiteral("?") : Text(serial)),
             !serial.empty(),
             {Percent(c.ReadingShare), Percent(c.FullScaleShare), Percent(c.Repeatability), Text(c.Calibrated),
              Text(c.CalibrationDue)},
             c.Confirmed);
        GroupBoxRecords->findChild<QLabel*>(Name("LabelRecord", Controller1 + i))
            ->setToolTip(serial.empty() ? QStringLiteral("Validate the equipment to identify the controller")
                                        : Text(serial));
    }
    const TBubblerRecord& b = Records_.Bubbler;
    show(Bubbler, QStringLiteral("Bubbler"), true,
         {QString::number(b.TemperatureAccuracyC, 'g', 7), Percent(b.Efficiency), Percent(b.EfficiencyUncertainty)},
         b.Confirmed);
}

void TForm1::ButtonRecordsSaveClick()
{
    auto refuse = [this](const QString& why) {
        LabelRecords->setText(QStringLiteral("Not saved: see the feedback"));
        LabelRecords->setToolTip(why);
        AddMemoLine(MemoSetupFeedback, QStringLiteral("Records not saved: ") + why);
    };
    auto field = [this](int row, const char* name) {
        return GroupBoxRecords->findChild<QLineEdit*>(Name("EditRecord", row, name));
    };
    auto confirmed = [this](int row) {
        return GroupBoxRecords->findChild<QCheckBox*>(Name("CheckRecord", row, "Confirmed"))->isChecked();
    };
    // A row counts when the operator changed it: its figures or its mark.
    auto changed = [&](int row, bool held) {
        for (QLineEdit* e : GroupBoxRecords->findChildren<QLineEdit*>())
            if (e->objectName().startsWith(Name("EditRecord", row)) && e->isEnabled() && e->isModified())
                return true;
        return confirmed(row) != held;
    };
    std::string bad;
    auto number = [&](int row, const char* name, double scale) {
        QString text = field(row, name)->text().trimmed();
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double value = text.toDouble(&ok);
        if ((!ok || !std::isfinite(value)) && bad.empty())
            bad = GroupBoxRecords->findChild<QLabel*>(Name("LabelRecord", row))->text().toStdString() + ": \""
                + field(row, name)->text().toStdString() + "\" is not a number";
        return value / scale;
    };
    auto text = [&](int row, const char* name) { return field(row, name)->text().trimmed().toStdString(); };

    // The newest file, so that records written meanwhile (dilutra-cli
    // records) are kept; the rows the operator changed go over them.
    const TRecordStore store;
    TRecordsLoad load = store.Load();
    TRecords& records = load.Records;
    for (int i = 0; i < 2; ++i) {
        const std::string& gas = RecordGases_[static_cast<std::size_t>(i)];
        if (gas.empty() || !changed(SourceA + i, Records_.Source(gas).Confirmed))
            continue;
        PutSource(records,
                  {gas, number(SourceA + i, "Fraction", 100), number(SourceA + i, "Uncertainty", 100),
                   text(SourceA + i, "Lot"), text(SourceA + i, "Expiry"), confirmed(SourceA + i)});
    }
    for (int i = 0; i < 2; ++i) {
        const std::string& serial = RecordSerials_[static_cast<std::size_t>(i)];
        const int row = Controller1 + i;
        if (serial.empty() || !changed(row, Records_.Controller(serial).Confirmed))
            continue;
        PutController(records,
                      {serial, number(row, "Reading", 100), number(row, "FullScale", 100),
                       number(row, "Repeatability", 100), text(row, "Calibrated"), text(row, "Due"), confirmed(row)});
    }
    if (changed(Bubbler, Records_.Bubbler.Confirmed))
        records.Bubbler = {number(Bubbler, "Accuracy", 1), number(Bubbler, "Efficiency", 100),
                           number(Bubbler, "EfficiencyUncertainty", 100), confirmed(Bubbler)};
    if (!bad.empty())
        return refuse(Text(bad));
    if (const std::string failure = store.Save(records); !failure.empty())
        return refuse(Text(failure));

    for (const std::string& problem : load.Problems)
        AddMemoLine(MemoSetupFeedback, QStringLiteral("Records: ") + Text(problem));
    Records_ = records;
    Service_->Post([r = Records_](TMixerCore& c) { c.Mixer.SetRecords(r); });
    LabelRecords->setText(QStringLiteral("Saved; used from the next plan on"));
    LabelRecords->setToolTip(QString());
    AddMemoLine(MemoSetupFeedback, QStringLiteral("Records saved in ") + store.Path());
    ShowRecords();
}
