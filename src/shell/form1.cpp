#include "form1.h"

#include "mixer_core.h"
#include "list_selection.h"
#include "log_table_model.h"
#include "operator_dialogs.h"
#include "remote_server.h"
#include "schematic.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

TForm1::TForm1(TFormServices services, QWidget* parent)
    : QWidget(parent)
    , Clock_(services.clock)
    , Dialogs_(services.dialogs)
    , Lines_(services.lines)
    , Journal_(services.journal)
    , RigThread_(services.rigThread)
{
    BuildLayout();
    FitToScreen();
    LogTable = new TLogTableModel(this);
    ConnectSetupHandlers();
    ConnectMixtureInputs();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(250);
    // A tick arrives through the event queue, so it never interrupts a
    // handler; ticks that fall due meanwhile are not queued up.
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });
    connect(ButtonSetupValidate, &QPushButton::clicked, this,
            [this] { Guarded([this] { ButtonSetupValidateClick(); }); });
    SetUpMixer();
    LoadRecords();
    BuildRemote();
    ConnectProgramHandlers();
    SetUpPlot();

    Guarded([this] { FormCreate(); });
    // The core on its own thread ticks itself; on the window's thread,
    // Timer1 ticks it.
    if (Service_->OnWorker())
        Service_->Start();
    else
        Timer1->start();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // The window opens on the Setup page.
    PageControl1->setCurrentIndex(0);

    // The schematic is drawn once, with every valve marked closed; no
    // command goes to the relay board.
    Schematic = DrawSchematic();
    for (unsigned id = 1; id <= 6; ++id)
        SetValveGraphics(id, false);

    SetUpLogTable();
    SetUpLogColumns();
    SetUpSaveDialog();
    StartJournal();
}

void TForm1::FormClose()
{
    // Valves and controllers left open would go on delivering gas after the
    // program has gone; the results are not examined, the close is never
    // refused. Equipment commanded in this run is made safe even when a
    // later failed check cleared its mark or another port is selected now.
    // No remote client acts any more. The core finishes what it is doing,
    // makes the rig safe and stops; the window waits for it, but not for
    // ever.
    StopRemote();
    Service_->Stop([](TMixerCore& c) { c.Close(); }, CloseTimeoutMs);
    // The rows the core stored on its way out reach the table and the
    // journal.
    Service_->DeliverReports();
}

void TForm1::AddMemoLine(QPlainTextEdit* memo, const QString& line)
{
    // A memo that shows its last line keeps showing it as lines arrive; one
    // the operator has scrolled back in stays where it is.
    QScrollBar* bar = memo->verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    // Every line ends in a line break, so an empty line is a line too, also
    // as the memo's first.
    QTextCursor end(memo->document());
    end.movePosition(QTextCursor::End);
    end.insertText(line + QLatin1Char('\n'));
    if (following)
        bar->setValue(bar->maximum());
}

void TForm1::RefreshSchematic()
{
    Image1->setPixmap(QPixmap::fromImage(Schematic));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The operator closing the window is asked about an unsaved log first,
    // and may still keep the program, and the rig, running; at the
    // session's end nobody is there to answer.
    QString savePath;
    if (!CloseDutiesDone_ && !qGuiApp->isSavingSession()) {
        bool close = false;
        Guarded([&] { close = AskToSaveBeforeClosing(savePath); });
        if (!close) {
            event->ignore();
            return;
        }
    }
    CloseDuties(savePath);
    event->accept();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Shown_)
        return;
    Shown_ = true;
    // Once on the screen the window's frame is known: the window is fitted
    // again so that it lies wholly inside the screen's room, before its
    // first paint and, for a window manager that frames it later, once more
    // after.
    FitToScreen();
    QTimer::singleShot(0, this, [this] { FitToScreen(); });
}

void TForm1::ShutDown()
{
    CloseDuties();
    QCoreApplication::quit();
}

void TForm1::CloseDuties(const QString& savePath)
{
    if (CloseDutiesDone_)
        return;
    CloseDutiesDone_ = true;
    Guarded([this] { FormClose(); });
    MixerWindowClosing();
    // Saved once the rig is safe, so the file ends with the rows stored on
    // the way out.
    if (!savePath.isEmpty())
        Guarded([&] {
            Save(savePath);
            WaitForSave();
        });
    Guarded([this] { CloseLogJournal(); });
}

void TForm1::ShowError(const QString& text)
{
    Dialogs_.ShowError(this, text);
}
