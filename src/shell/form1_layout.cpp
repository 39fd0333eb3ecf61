// The window's controls with their names, captions, positions and fonts.
#include "form1.h"

#include "fonts.h"
#include "list_box.h"
#include "page_control.h"
#include "plot_page.h"
#include "rig_setup.h"
#include "table_cells.h"
#include "window_state.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// The window's size at start where the screen has room: the schematic, the
// readout and the plan report side by side; taller than the first design by
// the flow program's table and buttons.
constexpr int DefaultWidth = 1344;
constexpr int FlowProgramExtraHeight = 162;
constexpr int DefaultHeight = 666 + FlowProgramExtraHeight;
// The plan report's width beside the schematic at the default size, and the
// least it narrows to before the schematic's panel scrolls instead.
constexpr int ReportWidth = 325;
constexpr int ReportMinimumWidth = 200;
constexpr int SplitterHandleWidth = 6;

template <class W> W* Make(QWidget* parent, const char* name, int left, int top, int width = -1, int height = -1)
{
    W* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if (width >= 0)
        w->setGeometry(left, top, width, height);
    else
        w->move(left, top);
    return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& caption,
                  Qt::Alignment align = Qt::AlignLeft)
{
    QLabel* l = Make<QLabel>(parent, name, left, top);
    l->setText(caption);
    l->setAlignment(align | Qt::AlignVCenter);
    l->adjustSize();
    return l;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, int left, int top, int width, int height,
                     const QString& caption)
{
    QGroupBox* g = Make<QGroupBox>(parent, name, left, top, width, height);
    g->setTitle(caption);
    return g;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top, int width, int height,
                        const QString& caption, const QString& hint = {})
{
    QPushButton* b = Make<QPushButton>(parent, name, left, top, width, height);
    b->setText(caption);
    // As a paragraph the hint wraps at a readable width instead of running
    // across the screen in one line.
    if (!hint.isEmpty())
        b->setToolTip(QStringLiteral("<p>") + hint.toHtmlEscaped() + QStringLiteral("</p>"));
    return b;
}

// A control that a label names carries the label's text as its accessible
// name, so screen readers and test drivers can tell the controls apart.
void Name(QWidget* control, QLabel* label)
{
    control->setAccessibleName(label->text());
    label->setBuddy(control);
}

QCheckBox* MakeMark(QWidget* parent, const char* name, int left, int top, const QString& caption)
{
    QCheckBox* c = Make<QCheckBox>(parent, name, left, top);
    c->setText(caption);
    c->adjustSize();
    c->setEnabled(false);  // only the program sets the marks
    return c;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setFont(ReportFont());
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return m;
}

TListBox* MakeList(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    return Make<TListBox>(parent, name, left, top, width, height);
}

// Limits first, then the value: a handler attached afterwards hears nothing
// of the configuration.
TRtIntegerEdit* MakeIntegerEdit(QWidget* parent, const char* name, int left, int top, int minValue, int maxValue,
                                int value)
{
    auto* e = Make<TRtIntegerEdit>(parent, name, left, top, 121, 21);
    e->SetMinValue(minValue);
    e->SetMaxValue(maxValue);
    e->SetValue(value);
    return e;
}

}  // namespace

void TForm1::BuildLayout()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Dilutra"));
    setFont(UiFont());
    resize(DefaultWidth, DefaultHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(PageControl1);

    // Setup page: five numbered steps.
    Setup = new QWidget;
    Setup->setObjectName(QStringLiteral("Setup"));
    PageControl1->addTab(Setup, QStringLiteral("Setup"));

    GroupBox1 = MakeGroup(Setup, "GroupBox1", 3, 3, 262, 62, QStringLiteral("1. List ports"));
    ButtonSetupFindPorts = MakeButton(GroupBox1, "ButtonSetupFindPorts", 11, 22, 238, 25, QStringLiteral("Find ports"));

    GroupBox2 = MakeGroup(Setup, "GroupBox2", 3, 71, 262, 394, QStringLiteral("2. Select ports"));
    Label1 = MakeLabel(GroupBox2, "Label1", 11, 19, QStringLiteral("Port for Solenoid control"));
    ListBoxPortSolenoid = MakeList(GroupBox2, "ListBoxPortSolenoid", 11, 38, 116, 307);
    Label2 = MakeLabel(GroupBox2, "Label2", 139, 19, QStringLiteral("Port for MFC control"));
    ListBoxPortMFC = MakeList(GroupBox2, "ListBoxPortMFC", 139, 38, 110, 307);
    Name(ListBoxPortSolenoid, Label1);
    Name(ListBoxPortMFC, Label2);

    GroupBox3 = MakeGroup(Setup, "GroupBox3", 271, 3, 266, 462, QStringLiteral("3. Validate"));
    ButtonSetupValidate
        = MakeButton(GroupBox3, "ButtonSetupValidate", 11, 22, 246, 25, QStringLiteral("Validate ports && equipment"));
    Label3 = MakeLabel(GroupBox3, "Label3", 11, 87, QStringLiteral("Feedback"));
    MemoSetupFeedback = MakeMemo(GroupBox3, "MemoSetupFeedback");
    MemoSetupFeedback->setGeometry(11, 106, 246, 306);
    MemoSetupFeedback->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Only a vertical scroll bar: long lines (the validation verdict) wrap.
    MemoSetupFeedback->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoSetupFeedback->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoSetupFeedback->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    GroupBox4 = MakeGroup(Setup, "GroupBox4", 543, 3, 321, 334, QStringLiteral("4. Select operating gases"));
    Label7 = MakeLabel(GroupBox4, "Label7", 11, 27, QStringLiteral("Click each list box and and wait few seconds"));
    Label5 = MakeLabel(GroupBox4, "Label5", 11, 87, QStringLiteral("Gas A, to be diluted"));
    ListBoxSetupGas1 = MakeList(GroupBox4, "ListBoxSetupGas1", 11, 106, 134, 207);
    for (const char* gas : GasListA)
        ListBoxSetupGas1->addItem(QString::fromLatin1(gas));
    Label6 = MakeLabel(GroupBox4, "Label6", 163, 87, QStringLiteral("Gas B, diluting"));
    ListBoxSetupGas2 = MakeList(GroupBox4, "ListBoxSetupGas2", 163, 106, 134, 207);
    for (const char* gas : GasListB)
        ListBoxSetupGas2->addItem(QString::fromLatin1(gas));
    Name(ListBoxSetupGas1, Label5);
    Name(ListBoxSetupGas2, Label6);

    GroupBox5 = MakeGroup(Setup, "GroupBox5", 543, 343, 321, 122, QStringLiteral("5. Conclusion"));
    CheckBoxSolenoidOK = MakeMark(GroupBox5, "CheckBoxSolenoidOK", 16, 24, QStringLiteral("Solenoid control is OK"));
    CheckBoxMFCOK = MakeMark(GroupBox5, "CheckBoxMFCOK", 16, 47, QStringLiteral("MFC control is OK"));
    CheckBoxGasesSelected = MakeMark(GroupBox5, "CheckBoxGasesSelected", 16, 70, QStringLiteral("Gases are selected"));
    Label4 = MakeLabel(GroupBox5, "Label4", 11, 93, QStringLiteral("Proceed to Operation tab when all 3 are checked"));
    BuildRecords();  // form1_records.cpp

    // Operation page: the schematic and the controls on the left, the plan
    // report on the right behind a splitter. The left panel keeps its
    // design size and scrolls when the window is smaller; the report takes
    // the width the panel leaves, down to its least.
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Operation"));
    auto* opLayout = new QHBoxLayout(TabSheet1);
    opLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, TabSheet1);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(SplitterHandleWidth);
    Splitter1->setChildrenCollapsible(false);
    opLayout->addWidget(Splitter1);

    OperationScroll = new QScrollArea;
    OperationScroll->setObjectName(QStringLiteral("OperationScroll"));
    OperationScroll->setFrameShape(QFrame::NoFrame);
    OperationScroll->setWidgetResizable(true);
    OperationPanel = new QWidget;
    OperationPanel->setObjectName(QStringLiteral("OperationPanel"));
    OperationScroll->setWidget(OperationPanel);
    Splitter1->addWidget(OperationScroll);
    Memo4 = MakeMemo(nullptr, "Memo4");
    Memo4->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo4->setMinimumWidth(ReportMinimumWidth);
    Splitter1->addWidget(Memo4);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    Image1 = Make<QLabel>(OperationPanel, "Image1", 3, 3, 998, 318);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    GroupBox7 = MakeGroup(OperationPanel, "GroupBox7", 5, 327, 332, 221 + FlowProgramExtraHeight,
                          QStringLiteral("Flow program"));
    Memo3 = new QPlainTextEdit(GroupBox7);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setGeometry(2, 15, 327, 34);
    Memo3->setFrameShape(QFrame::NoFrame);
    Memo3->setReadOnly(true);
    Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo3->viewport()->setAutoFillBackground(false);
    Memo3->setPlainText(QStringLiteral("Creates desired mixture at desired flow and keeps it indefinitely."));

    GroupBox9 = MakeGroup(GroupBox7, "GroupBox9", 16, 39, 272, 154, QStringLiteral("Fractions ppm"));
    Label10 = MakeLabel(GroupBox9, "Label10", 73, 24, QStringLiteral("Gas A"), Qt::AlignRight);
    Label11 = MakeLabel(GroupBox9, "Label11", 74, 51, QStringLiteral("Gas B"), Qt::AlignRight);
    Label12 = MakeLabel(GroupBox9, "Label12", 80, 78, QStringLiteral("H2O"), Qt::AlignRight);
    Label8 = MakeLabel(GroupBox9, "Label8", 45, 126, QStringLiteral("pH2O (atm)"), Qt::AlignRight);
    RtIntegerEditGasAPPM = MakeIntegerEdit(GroupBox9, "RtIntegerEditGasAPPM", 107, 16, 0, 1000000, TMixRequest{}.a);
    RtIntegerEditGasBPPM = MakeIntegerEdit(GroupBox9, "RtIntegerEditGasBPPM", 107, 43, 0, 0, TMixRequest{}.b);
    RtIntegerEditGasBPPM->setEnabled(false);  // the program derives gas B
    RtIntegerEditH2Oppm = MakeIntegerEdit(GroupBox9, "RtIntegerEditH2Oppm", 107, 70, 0, 35000, TMixRequest{}.w);
    RtIntegerEditH2Oppm->SetMaxLength(5);
    RtIntegerEditpH2O = Make<TRtDoubleEdit>(GroupBox9, "RtIntegerEditpH2O", 107, 124, 121, 21);
    RtIntegerEditpH2O->SetAsDateTime(false);
    RtIntegerEditpH2O->SetAsTimeSpan(false);
    RtIntegerEditpH2O->SetDoHashes(true);
    RtIntegerEditpH2O->setEnabled(false);  // shows the bubbler's vapour pressure
    Name(RtIntegerEditGasAPPM, Label10);
    Name(RtIntegerEditGasBPPM, Label11);
    Name(RtIntegerEditH2Oppm, Label12);
    Name(RtIntegerEditpH2O, Label8);

    // The program's steps below the fractions, its buttons below them.
    TableFlowProgram = Make<QTableWidget>(GroupBox7, "TableFlowProgram", 8, 199, 316, 120);
    TableFlowProgram->setAccessibleName(QStringLiteral("Flow program steps"));
    TableFlowProgram->setColumnCount(4);
    TableFlowProgram->setHorizontalHeaderLabels(
        {QStringLiteral("Gas A ppm"), QStringLiteral("H2O ppm"), QStringLiteral("Minutes"), QStringLiteral("Flush")});
    TableFlowProgram->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableFlowProgram->setSelectionMode(QAbstractItemView::SingleSelection);
    TableFlowProgram->verticalHeader()->setDefaultSectionSize(20);
    // The columns share the table's width exactly, whatever the scroll bar
    // takes: a click into a cell never scrolls the table sideways.
    TableFlowProgram->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TableFlowProgram->horizontalHeader()->setMinimumSectionSize(40);
    TableFlowProgram->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    TableFlowProgram->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Fixed);
    TableFlowProgram->setColumnWidth(3, 44);
    // A click anywhere in a Flush cell toggles it.
    TableFlowProgram->setItemDelegateForColumn(3, new TCheckCellDelegate(TableFlowProgram));
    struct ProgramButton {
        QPushButton*& Button;
        const char* Name;
        int Left, Top, Width;
        const char* Caption;
        const char* Accessible;
        const char* Hint;
    };
    const ProgramButton programButtons[] = {
        {ButtonProgramLoad, "ButtonProgramLoad", 8, 324, 76, "Load...", "Load program",
         "Load a program file: a line ppm_a;ppm_h2o;minutes;flush_before, then one step a line."},
        {ButtonProgramSave, "ButtonProgramSave", 86, 324, 76, "Save...", "Save program", "Save the steps as a file."},
        {ButtonProgramAddStep, "ButtonProgramAddStep", 164, 324, 78, "Add step", "Add step",
         "Add a step below the selected one."},
        {ButtonProgramRemoveStep, "ButtonProgramRemoveStep", 244, 324, 80, "Remove step", "Remove step",
         "Remove the selected step."},
        {ButtonProgramStart, "ButtonProgramStart", 8, 353, 154, "Start program", "Start program",
         "Run the steps one after the other: each sets the mixture, flushes first when asked and holds the "
         "dilution for its minutes. The program ends in Standby."},
        {ButtonProgramStop, "ButtonProgramStop", 166, 353, 158, "Stop program", "Stop program",
         "End the program; the mixer goes to Standby."},
    };
    for (const ProgramButton& b : programButtons) {
        b.Button = MakeButton(GroupBox7, b.Name, b.Left, b.Top, b.Width, 25, QString::fromLatin1(b.Caption),
                              QString::fromLatin1(b.Hint));
        b.Button->setAccessibleName(QString::fromLatin1(b.Accessible));
    }
    ButtonProgramStop->setEnabled(false);

    GroupBox8 = MakeGroup(OperationPanel, "GroupBox8", 343, 327, 258, 221, QStringLiteral("Operating status"));
    Label9 = MakeLabel(GroupBox8, "Label9", 14, 24, QStringLiteral("Mixer status:"));
    LabelStatus = MakeLabel(GroupBox8, "LabelStatus", 83, 24, QStringLiteral("Undefined"));
    // Room for the longest status, a flush step, on two lines above Stop.
    LabelStatus->setWordWrap(true);
    LabelStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelStatus->resize(258 - 83 - 6, 27);
    Label9->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ButtonStop
        = MakeButton(GroupBox8, "ButtonStop", 14, 51, 79, 30, QStringLiteral("Stop"),
                     QStringLiteral("Stops whatever the mixer is doing and closes all valves as quickly as possible. "
                                    "Note, that disconnecting the main power is more reliable way to disable the "
                                    "mixer in case of emergency."));
    ButtonFlush
        = MakeButton(GroupBox8, "ButtonFlush", 14, 87, 79, 30, QStringLiteral("Flush"),
                     QStringLiteral("Short procedure to remove some of the existing gases in the mixer. Multiple "
                                    "rounds of flushing may be required when input gas types are changed."));
    ButtonBypass = MakeButton(GroupBox8, "ButtonBypass", 14, 123, 79, 30, QStringLiteral("Bypass"),
                              QStringLiteral("Switch immediately from diluted mixture to pure, dry gas B."));
    ButtonDilution = MakeButton(GroupBox8, "ButtonDilution", 14, 159, 79, 30, QStringLiteral("Dilution"),
                                QStringLiteral("Create mixture according user wishes."));
    BuildReadout();

    // The alarm line: across the panel right below the group boxes, in red,
    // with its acknowledge button; hidden while there is no alarm.
    PanelAlarm = new QFrame;
    PanelAlarm->setObjectName(QStringLiteral("PanelAlarm"));
    PanelAlarm->setStyleSheet(QStringLiteral("#PanelAlarm { background: #c62828; border-radius: 3px; }"
                                             "#LabelAlarm { color: white; font-weight: bold; }"));
    auto* alarmLayout = new QHBoxLayout(PanelAlarm);
    alarmLayout->setContentsMargins(8, 3, 4, 3);
    LabelAlarm = new QLabel(PanelAlarm);
    LabelAlarm->setObjectName(QStringLiteral("LabelAlarm"));
    LabelAlarm->setTextInteractionFlags(Qt::TextSelectableByMouse);
    alarmLayout->addWidget(LabelAlarm, 1);
    ButtonAlarmAcknowledge = new QPushButton(QStringLiteral("Acknowledge"), PanelAlarm);
    ButtonAlarmAcknowledge->setObjectName(QStringLiteral("ButtonAlarmAcknowledge"));
    ButtonAlarmAcknowledge->setToolTip(QStringLiteral("The alarm has been seen: the mixer may be started again."));
    alarmLayout->addWidget(ButtonAlarmAcknowledge);
    auto* panelLayout = new QVBoxLayout(OperationPanel);
    panelLayout->setContentsMargins(5, 0, 5, 0);
    panelLayout->addSpacing(std::max(GroupBox7->geometry().bottom(), GroupBox8->geometry().bottom()) + 6);
    panelLayout->addWidget(PanelAlarm);
    panelLayout->addStretch();
    PanelAlarm->hide();
    // The panel's controls sit at their design places: the panel is as large
    // as they need, the alarm line included.
    OperationPanel->setMinimumSize(Image1->geometry().right() + 1 + 3,
                                   GroupBox7->geometry().bottom() + 1 + 6 + PanelAlarm->sizeHint().height() + 6);

    // Output page: the log table fills the page.
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Output"));
    auto* outLayout = new QVBoxLayout(TabSheet2);
    outLayout->setContentsMargins(0, 0, 0, 0);
    LabelJournal = new QLabel(TabSheet2);
    LabelJournal->setObjectName(QStringLiteral("LabelJournal"));
    LabelJournal->setFont(UiFont());
    LabelJournal->setWordWrap(true);
    LabelJournal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelJournal->hide();
    outLayout->addWidget(LabelJournal);
    StringGrid1 = new QTableView(TabSheet2);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setFont(UiFont());
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // A cell cut by its column shows its whole text when the pointer rests on it.
    StringGrid1->setItemDelegate(new TWholeTextDelegate(StringGrid1));
    outLayout->addWidget(StringGrid1);

    // Debug page: the diagnostic memo fills the page.
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Debug"));
    auto* dbgLayout = new QVBoxLayout(TabSheet3);
    dbgLayout->setContentsMargins(0, 0, 0, 0);
    MemoDevFeedback = MakeMemo(TabSheet3, "MemoDevFeedback");
    MemoDevFeedback->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoDevFeedback->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgLayout->addWidget(MemoDevFeedback);

    // Plot page: what the log holds, drawn against time.
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Plot"));
    auto* plotLayout = new QVBoxLayout(TabSheet4);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    Plot1 = new TPlotPage(TabSheet4);
    Plot1->setObjectName(QStringLiteral("Plot1"));
    plotLayout->addWidget(Plot1);
}

void TForm1::FitToScreen()
{
    // The design size where the screen has room, otherwise the screen's
    // room: every page reaches its controls by scrolling or narrowing.
    const QScreen* onScreen = screen();
    if (!onScreen)
        return;
    const QRect room = onScreen->availableGeometry();
    // The frame is known once the window is on the screen; before, none.
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
    const QSize size(std::min(isVisible() ? width() : DefaultWidth, room.width() - frame.width()),
                     std::min(isVisible() ? height() : DefaultHeight, room.height() - frame.height()));
    resize(size);
    if (isVisible() && !room.contains(frameGeometry()))
        move(std::clamp(frameGeometry().left(), room.left(), room.right() + 1 - frameGeometry().width()),
             std::clamp(frameGeometry().top(), room.top(), room.bottom() + 1 - frameGeometry().height()));

    // The report takes what the schematic's panel leaves, within its limits;
    // the panel needs a vertical scroll bar's width more when it scrolls.
    const int tabBar = PageControl1->tabBar()->sizeHint().height();
    const bool scrolls = size.height() - tabBar < OperationPanel->minimumHeight();
    const int panel
        = OperationPanel->minimumWidth() + (scrolls ? OperationScroll->verticalScrollBar()->sizeHint().width() : 0);
    const int report = std::clamp(size.width() - SplitterHandleWidth - panel, ReportMinimumWidth, ReportWidth);
    Splitter1->setSizes({size.width() - SplitterHandleWidth - report, report});
}
