#pragma once

#include "list_box.h"
#include "listen_address.h"
#include "mixer_host.h"
#include "mixer_service.h"
#include "operator_dialogs.h"
#include "page_control.h"
#include "readout.h"
#include "records.h"
#include "rig_setup.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

class Clock;
class SerialLines;
class TJournal;
class TLogSaver;
class TLogTableModel;
class TMixerCore;
class TOperatorDialogs;
class TPlotPage;
class TRemoteServer;
class TRtDoubleEdit;
class TRtIntegerEdit;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTableView;
class QTableWidget;
class QTimer;

// What the window needs from outside: the clock, the operator's dialogs and
// the serial lines (the system's ports, and simulated ones when the program
// runs against simulated equipment); the journal that keeps the log on
// disk as it grows, when there is one; and where the mixer core runs: on
// the window's thread, ticked by Timer1 (the tests), or on a thread of its
// own (the program).
struct TFormServices {
    Clock& clock;
    TOperatorDialogs& dialogs;
    SerialLines& lines;
    TJournal* journal = nullptr;
    TRigThread rigThread = TRigThread::Caller;
};

// The main window. It lays out the controls, shows what the mixer core
// reports and sends it the operator's commands; the behaviour lives in the
// areas and the rig's state in the core.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // How long closing waits for the core to make the rig safe.
    static constexpr int CloseTimeoutMs = 5000;

    explicit TForm1(TFormServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs one handler the way the toolkit runs an event handler: an error
    // that escapes it is shown in the error box with its message, and the
    // program goes on with the next event.
    template <class Handler> void Guarded(Handler&& handler)
    {
        try {
            std::forward<Handler>(handler)();
        } catch (const std::exception& e) {
            ShowError(QString::fromStdString(e.what()));
        } catch (...) {
            ShowError(QStringLiteral("Unknown error"));
        }
    }

    void FormCreate();
    void FormClose();
    // The end of the program from outside the window (a signal, the end of
    // the desktop session): the same duties as closing the window, without
    // asking anything, then the program ends. Runs them once, however many
    // ways of ending arrive.
    void ShutDown();
    // Asks "Save the log before closing?" (Yes, No, Cancel) while rows were
    // never saved; Yes opens the save dialog (form1_journal.cpp). False when
    // the operator keeps the program running: Cancel, or no file chosen.
    // `path` receives the file to save into once the rig is safe (empty: no
    // save). A step of the operator's close only.
    bool AskToSaveBeforeClosing(QString& path);

    // The mixer (form1_mixer.cpp): the state buttons go to the mixer core as
    // commands; Timer1 ticks the core when it runs on the window's thread.
    void ButtonStopClick();
    void ButtonFlushClick();
    void ButtonBypassClick();
    void ButtonDilutionClick();
    void Timer1Timer();
    // The alarm line's button: the operator has seen the alarm.
    void ButtonAlarmAcknowledgeClick();

    // The mixer service the window drives, and its core when the core runs
    // on the window's thread (the tests look at it; a core on its own
    // thread is reached only by commands).
    TMixerService& Service() { return *Service_; }
    TMixerCore& Core();

    // Remote control (form1_remote.cpp): the SCPI command server on the
    // window's mixer service, listening at `where` while CheckBoxRemote is
    // ticked; the Debug page and the log say where it listens.
    void StartRemote(const TListenAddress& where);
    void StopRemote();
    TRemoteServer* Remote() { return Remote_.get(); }

    // Writes the records the operator changed on the Setup page (a record
    // refused says why in the feedback) and hands them to the core.
    void ButtonRecordsSaveClick();

    // Puts the current schematic picture into Image1.
    void RefreshSchematic();

    // Commands to the equipment through the core (form1_valves.cpp): the
    // valve pattern (1 = open; the pattern the board accepts is shown on the
    // schematic), a set-point, the totalizers.
    void SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O);
    void SetMFCFlow(std::uint32_t Address, double Flow);
    void ReadTotalizers();
    // Marks one valve (1..6) on the schematic and shows the picture.
    void SetValveGraphics(unsigned ID, bool Open);
    // Checks the relay board, then identifies the controllers, on the ports
    // chosen; the Setup page is busy until the answer is shown.
    void ButtonSetupValidateClick();
    // Reads the bubbler temperature into the pH2O field.
    void RtIntegerEditH2OTempValueChanged();

    // The setup workflow (form1_setup.cpp).
    void ButtonSetupFindPortsClick();
    void ListBoxSetupGas1Click();
    void ListBoxSetupGas2Click();
    void ListBoxSetupGas1KeyUp();
    void CheckContinue();
    void PageControl1Changing(bool& AllowChange);
    void PageControl1Change();
    // The three ppm fields' change handler (form1_mixture.cpp); `Sender` is
    // the field whose value changed, if any.
    void RtIntegerEditGasAPPMValueChanged(QObject* Sender = nullptr);
    // The operator ended an entry in the gas A or the water field (Enter,
    // focus leaving).
    void RtIntegerEditPpmEditingDone();

    // The flow program box (form1_program.cpp): the steps in
    // TableFlowProgram, loaded from and saved to a program file, run by the
    // mixer core.
    void ButtonProgramLoadClick();
    void ButtonProgramSaveClick();
    void ButtonProgramAddStepClick();
    void ButtonProgramRemoveStepClick();
    void ButtonProgramStartClick();
    void ButtonProgramStopClick();
    // Reads a program file into the table; the table is kept when the file
    // is refused (the error names the line and the reason).
    void LoadProgram(const QString& path);
    void SaveProgram(const QString& path);
    // The table's steps; std::runtime_error naming the step that cannot be
    // read.
    TFlowProgram TableProgram() const;
    void ShowProgram(const TFlowProgram& program);
    // A running program's step, as corrected, in its row (made current).
    void ShowProgramStep(int index, const TProgramStep& step);
    // The table and the buttons while a program runs or not.
    void ShowProgramRunning(bool running);

    // Adds one line at the end of a memo (MemoSetupFeedback, MemoDevFeedback).
    static void AddMemoLine(QPlainTextEdit* memo, const QString& line);
    // The log and the plan (form1_datalog.cpp): the core plans the request
    // it holds and stores a row describing the moment.
    void Calculate();
    void StoreData();
    // Makes a stored row the table's current row and scrolls to it.
    void ShowStoredRow(int row);
    void StringGrid1MouseDown(Qt::MouseButton Button);
    // Starts saving the table as it is now into Path on a worker thread; the
    // result line comes when it has finished. Refused while a save runs.
    void Save(const QString& Path);
    // Blocks until a running save has finished and its result is shown.
    void WaitForSave();
    // Rows, markers or reports were stored since the last successful save.
    bool LogUnsaved() const;

    // The readout beside the state buttons (form1_readout.cpp), as the core
    // reports it at every tick.
    void RefreshReadout(const TReadout& r);
    // The Plot page (form1_plot.cpp): a stored log row becomes a point of
    // every curve, with the readout of the moment it was stored; the right
    // button saves the plot as a picture.
    void PlotRowStored(int row);
    void PlotMouseDown(Qt::MouseButton Button);

    // The window's own variable: the handler of the ppm fields is writing
    // their values itself.
    bool ppmUpdating = false;
    QImage Schematic;

    // Controls, named as their objectName.
    TPageControl* PageControl1 = nullptr;

    QWidget* Setup = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* ButtonSetupFindPorts = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    TListBox* ListBoxPortSolenoid = nullptr;
    QLabel* Label2 = nullptr;
    TListBox* ListBoxPortMFC = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QPushButton* ButtonSetupValidate = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* MemoSetupFeedback = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label5 = nullptr;
    TListBox* ListBoxSetupGas1 = nullptr;
    QLabel* Label6 = nullptr;
    TListBox* ListBoxSetupGas2 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QCheckBox* CheckBoxSolenoidOK = nullptr;
    QCheckBox* CheckBoxMFCOK = nullptr;
    QCheckBox* CheckBoxGasesSelected = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* CheckBoxRemote = nullptr;
    // The lab's records (form1_records.cpp): a row for the source of each
    // chosen gas, each identified controller and the bubbler, its fields
    // named EditRecord<Row><Field> and its mark CheckRecord<Row>Confirmed.
    QGroupBox* GroupBoxRecords = nullptr;
    QPushButton* ButtonRecordsSave = nullptr;
    QLabel* LabelRecords = nullptr;

    QWidget* TabSheet1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QScrollArea* OperationScroll = nullptr;  // scrolls OperationPanel on a small screen
    QWidget* OperationPanel = nullptr;
    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo4 = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QPlainTextEdit* Memo3 = nullptr;
    QGroupBox* GroupBox9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label8 = nullptr;
    TRtIntegerEdit* RtIntegerEditGasAPPM = nullptr;
    TRtIntegerEdit* RtIntegerEditGasBPPM = nullptr;
    TRtIntegerEdit* RtIntegerEditH2Oppm = nullptr;
    TRtDoubleEdit* RtIntegerEditpH2O = nullptr;
    QGroupBox* GroupBox8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* LabelStatus = nullptr;
    QPushButton* ButtonStop = nullptr;
    QPushButton* ButtonFlush = nullptr;
    QPushButton* ButtonBypass = nullptr;
    QPushButton* ButtonDilution = nullptr;
    QLabel* LabelRemote = nullptr;   // "Remote: 1 client(s) from 127.0.0.1"
    QLabel* LabelProgram = nullptr;  // a running program's progress
    QTableWidget* TableFlowProgram = nullptr;
    QPushButton* ButtonProgramLoad = nullptr;
    QPushButton* ButtonProgramSave = nullptr;
    QPushButton* ButtonProgramAddStep = nullptr;
    QPushButton* ButtonProgramRemoveStep = nullptr;
    QPushButton* ButtonProgramStart = nullptr;
    QPushButton* ButtonProgramStop = nullptr;
    QFrame* PanelAlarm = nullptr;  // the alarm line, hidden while there is none
    QLabel* LabelAlarm = nullptr;
    QPushButton* ButtonAlarmAcknowledge = nullptr;
    // The readout: each quantity as it is and as it was asked for.
    QGroupBox* GroupBoxReadout = nullptr;
    QLabel* LabelElapsed = nullptr;
    QLabel* LabelPpmA = nullptr;
    QLabel* LabelPpmAPlanned = nullptr;
    QLabel* LabelPpmH2O = nullptr;
    QLabel* LabelPpmH2OPlanned = nullptr;
    QLabel* LabelFlowA = nullptr;
    QLabel* LabelFlowASetPoint = nullptr;
    QLabel* LabelFlowB = nullptr;
    QLabel* LabelFlowBSetPoint = nullptr;
    QLabel* LabelBubblerC = nullptr;
    QLabel* LabelLogRows = nullptr;
    // The line where the readout shows an alarm; empty while there is none.
    QLabel* LabelReadoutAlarm = nullptr;

    QWidget* TabSheet2 = nullptr;
    QLabel* LabelJournal = nullptr;  // says when the journal cannot be written
    QTableView* StringGrid1 = nullptr;
    TLogTableModel* LogTable = nullptr;  // the rows StringGrid1 shows

    QWidget* TabSheet3 = nullptr;
    QPlainTextEdit* MemoDevFeedback = nullptr;

    QWidget* TabSheet4 = nullptr;
    TPlotPage* Plot1 = nullptr;
    TSaveDialogSetup SavePlotDialog;

    QTimer* Timer1 = nullptr;
    TSaveDialogSetup SaveDialog1;

    // Sizes the window to the screen it is on (form1_layout.cpp): the design
    // size where there is room, the screen's available room otherwise, the
    // frame included once the window is shown; the plan report gets what
    // the schematic's panel leaves.
    void FitToScreen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();    // form1_layout.cpp
    void BuildReadout();   // form1_readout.cpp
    void SetUpPlot();      // form1_plot.cpp
    void SetUpLogTable();  // form1_datalog.cpp
    void SetUpLogColumns();
    void SetUpSaveDialog();
    void StartJournal();  // form1_journal.cpp
    void SaveFinished(bool saved, std::uint64_t changes);
    QString ProposedSavePath() const;
    // Widens the log's Method column to the text of a stored row.
    void WidenMethodColumn(int row);
    // Asks where to save the log and starts the save. An existing file is
    // refused, not overwritten.
    void PromptAndSave();
    // The save dialog alone: the chosen file, empty when the operator
    // cancelled; std::runtime_error for an existing file.
    QString PromptSavePath();
    // The Records box (form1_records.cpp): built with the Setup page, the
    // file read once the core is there, the rows following the core's gases
    // and identified controllers.
    void BuildRecords();
    void LoadRecords();
    void FollowSetupInRecords(const TSetupState& setup);
    void ShowRecords();
    void ConnectSetupHandlers();    // form1_setup.cpp
    void ConnectMixtureInputs();    // form1_mixture.cpp
    void ConnectProgramHandlers();  // form1_program.cpp
    void GasListClick(std::uint32_t Address);
    // The setup as the core reports it: the port lists, the gas lists and
    // the three marks.
    void ShowSetup(const TSetupState& setup);
    // A setup command sent to the core: the Setup page is busy until its
    // answer has been shown.
    void PostSetup(TMixerService::TCommand command);
    void PortSelectionChanged();
    void ShowError(const QString& text);
    class MixerHost;  // form1_mixer.cpp
    void SetUpMixer();
    void MixerWindowClosing();
    // The fields' settled values, unless a newer request has been sent.
    void ShowMixture(const TMixtureFields& fields);
    // The duties of every way the program ends: the equipment made safe,
    // the mixer told, the log saved into `savePath` (when the operator chose
    // one), the log journal closed.
    void CloseDuties(const QString& savePath = {});
    // Waits for a running save, then ends the journal with its closing line
    // (form1_journal.cpp).
    void CloseLogJournal();
    // Shows a pattern the relay board accepted in V1O..V6O and on the schematic.
    void ShowAcceptedValves(std::uint8_t pattern);

    Clock& Clock_;
    TOperatorDialogs& Dialogs_;
    SerialLines& Lines_;
    TJournal* Journal_;
    TLogSaver* LogSaver_ = nullptr;
    std::uint64_t SavedChanges_ = 0;  // the log's changes the last save held
    TRigThread RigThread_;
    std::unique_ptr<TMixerHost> MixerHost_;
    std::unique_ptr<TMixerService> Service_;
    // After the service: it goes first.
    std::unique_ptr<TRemoteServer> Remote_;
    TListenAddress RemoteAddress_;
    void BuildRemote();
    void ShowRemote();
    // The number of the newest mixture request sent to the core.
    std::uint64_t MixtureRequest_ = 0;
    // Setup commands sent and not yet answered; the lists are being filled
    // from the core's report.
    int SetupPending_ = 0;
    bool ShowingSetup_ = false;
    unsigned PortSearchesShown_ = 0;  // the search for ports the lists show
    // The readout of the moment the row being stored describes.
    TReadout RowReadout_;
    bool CloseDutiesDone_ = false;
    bool Shown_ = false;    // the window has been shown and fitted to its screen
    int MethodWidest_ = 0;  // the widest Method text stored so far, pixels
    QString ProgramPath_;   // the program file last loaded or saved
    // The records as last read or written, and the gases and controller
    // serials the Records box shows ("" for none).
    TRecords Records_;
    std::array<std::string, 2> RecordGases_;
    std::array<std::string, 2> RecordSerials_;
};
