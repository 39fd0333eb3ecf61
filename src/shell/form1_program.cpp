// The flow program box: the steps in a table the operator edits, loaded
// from and saved to a program file; Start and Stop hand the program to the
// mixer core, which runs it on its tick and shows each step back here.
#include "form1.h"

#include "mixer_core.h"
#include "rt_integer_edit.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>

namespace {

constexpr int FlushColumn = 3;

TSaveDialogSetup ProgramDialogSetup()
{
    return {QStringLiteral("Program file (*.csv);;Text file (*.txt);;Any file (*)"), QStringLiteral("csv")};
}

// The flush cell is a check box; the others hold the text.
void SetRow(QTableWidget* table, int row, const TProgramStep& step)
{
    const QStringList fields = ProgramStepFields(step);
    for (int column = 0; column < FlushColumn; ++column) {
        QTableWidgetItem* item = table->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            table->setItem(row, column, item);
        }
        item->setText(fields[column]);
    }
    auto* flush = new QTableWidgetItem;
    flush->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    flush->setCheckState(step.FlushBefore ? Qt::Checked : Qt::Unchecked);
    table->setItem(row, FlushColumn, flush);
}

QString Cell(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

void TForm1::ConnectProgramHandlers()
{
    const std::pair<QPushButton*, void (TForm1::*)()> buttons[] = {
        {ButtonProgramLoad, &TForm1::ButtonProgramLoadClick},
        {ButtonProgramSave, &TForm1::ButtonProgramSaveClick},
        {ButtonProgramAddStep, &TForm1::ButtonProgramAddStepClick},
        {ButtonProgramRemoveStep, &TForm1::ButtonProgramRemoveStepClick},
        {ButtonProgramStart, &TForm1::ButtonProgramStartClick},
        {ButtonProgramStop, &TForm1::ButtonProgramStopClick},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { Guarded([&] { (this->*handler)(); }); });
}

void TForm1::ButtonProgramLoadClick()
{
    const QString folder = ProgramPath_.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                                  : QFileInfo(ProgramPath_).absolutePath();
    const QString path = Dialogs_.PromptOpenFileName(this, ProgramDialogSetup(), folder);
    if (!path.isEmpty())
        LoadProgram(path);
}

void TForm1::LoadProgram(const QString& path)
{
    TFlowProgram program;
    try {
        program = LoadFlowProgram(path);
    } catch (const TFlowProgramError& e) {
        throw std::runtime_error(QStringLiteral("The program %1 was not loaded: %2")
                                     .arg(QFileInfo(path).fileName(), QString::fromStdString(e.what()))
                                     .toStdString());
    }
    ShowProgram(program);
    ProgramPath_ = path;
}

void TForm1::ButtonProgramSaveClick()
{
    // Refused before a dialog opens when a step cannot be read.
    (void)TableProgram();
    const QString proposed = ProgramPath_.isEmpty()
        ? QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
              .filePath(QStringLiteral("program.csv"))
        : ProgramPath_;
    const QString path = Dialogs_.PromptSaveFileName(this, ProgramDialogSetup(), proposed);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !Dialogs_.AskYesNo(this, QStringLiteral("Replace the program file %1?").arg(QFileInfo(path).fileName())))
        return;
    SaveProgram(path);
}

void TForm1::SaveProgram(const QString& path)
{
    SaveFlowProgram(path, TableProgram());
    ProgramPath_ = path;
}

void TForm1::ButtonProgramAddStepClick()
{
    const int current = TableFlowProgram->currentRow();
    const int row = current < 0 ? TableFlowProgram->rowCount() : current + 1;
    // A copy of the selected step, or the Operation page's mixture for ten
    // minutes.
    TProgramStep step{RtIntegerEditGasAPPM->Value(), RtIntegerEditH2Oppm->Value(), 10.0, false};
    if (current >= 0) {
        try {
            step = TableProgram().at(static_cast<std::size_t>(current));
        } catch (const std::exception&) {
            // A step still being edited is not copied.
        }
    }
    TableFlowProgram->insertRow(row);
    SetRow(TableFlowProgram, row, step);
    TableFlowProgram->selectRow(row);
}

void TForm1::ButtonProgramRemoveStepClick()
{
    const int current = TableFlowProgram->currentRow();
    if (current >= 0)
        TableFlowProgram->removeRow(current);
}

void TForm1::ButtonProgramStartClick()
{
    Service_->Post([program = TableProgram()](TMixerCore& c) { c.Mixer.StartProgram(program); });
}

void TForm1::ButtonProgramStopClick()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.StopProgram(); });
}

TFlowProgram TForm1::TableProgram() const
{
    TFlowProgram program;
    for (int row = 0; row < TableFlowProgram->rowCount(); ++row) {
        const QTableWidgetItem* flush = TableFlowProgram->item(row, FlushColumn);
        const QStringList fields
            = {Cell(TableFlowProgram, row, 0), Cell(TableFlowProgram, row, 1), Cell(TableFlowProgram, row, 2),
               flush && flush->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0")};
        try {
            program.push_back(ReadProgramStep(fields));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("Step " + std::to_string(row + 1) + ": " + e.what());
        }
    }
    return program;
}

void TForm1::ShowProgram(const TFlowProgram& program)
{
    TableFlowProgram->setRowCount(0);
    TableFlowProgram->setRowCount(static_cast<int>(program.size()));
    for (std::size_t i = 0; i < program.size(); ++i)
        SetRow(TableFlowProgram, static_cast<int>(i), program[i]);
}

void TForm1::ShowProgramStep(int index, const TProgramStep& step)
{
    if (index < 0 || index >= TableFlowProgram->rowCount())
        return;
    SetRow(TableFlowProgram, index, step);
    ShowProgramRunning(true);
    TableFlowProgram->selectRow(index);
}

void TForm1::ShowProgramRunning(bool running)
{
    // The steps are the program's while it runs.
    TableFlowProgram->setEditTriggers(running ? QAbstractItemView::NoEditTriggers
                                              : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                              | QAbstractItemView::AnyKeyPressed);
    for (int row = 0; row < TableFlowProgram->rowCount(); ++row) {
        if (QTableWidgetItem* flush = TableFlowProgram->item(row, FlushColumn))
            flush->setFlags(running ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    for (QPushButton* b : {ButtonProgramLoad, ButtonProgramAddStep, ButtonProgramRemoveStep, ButtonProgramStart})
        b->setEnabled(!running);
    ButtonProgramStop->setEnabled(running);
}
