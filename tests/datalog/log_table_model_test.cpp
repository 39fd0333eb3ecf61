#include "log_inputs.h"
#include "log_table_model.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

QStringList RowTexts(const TLogTableModel& m, int row)
{
    QStringList cells;
    for (int c = 0; c < m.columnCount(); ++c)
        cells << m.CellText(row, c);
    return cells;
}

}  // namespace

TEST(LogTable, StartsWithTheHeaderAndOneEmptyRow)
{
    TLogTableModel m;
    m.SetColumns(StandardLogColumns());
    EXPECT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.columnCount(), 17);
    const QStringList captions
        = {"Time",           "Mode",        "Method",      "Gas A (g)",     "Gas B (g)",   "H2O (g)",
           "Total mass (g)", "A mass frac", "B mass frac", "H2O mass frac", "Total moles", "Moles A",
           "Moles B",        "Moles H2O",   "A ppm",       "B ppm",         "H2O ppm"};
    for (int c = 0; c < 17; ++c)
        EXPECT_EQ(m.headerData(c, Qt::Horizontal).toString(), captions[c]);
    EXPECT_EQ(RowTexts(m, 0), QStringList(17, QString()));
}

TEST(LogTable, TheFirstStoredRowFillsRowOneAndLaterRowsAppend)
{
    TLogTableModel m;
    m.SetColumns(StandardLogColumns());
    const TLogRowValues data = ComputeLogRow(HourOfDilution());
    const int mode = At(m.Columns(), TProperty::Mode).ColID;
    struct Step {
        bool marker;
        int rows;     // rows after the step
        int written;  // row written
        const char* mode;
    };
    const Step steps[] = {
        {true, 1, 0, "Reset"},                                 // a marker while row 1 has no time stays in row 1
        {true, 1, 0, "Reset"},     {false, 1, 0, "Dilution"},  // the first data row replaces it
        {false, 2, 1, "Dilution"}, {true, 3, 2, "Reset"},      // once data exists, markers append
        {false, 4, 3, "Dilution"},
    };
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        const int written = s.marker ? m.StoreMarker() : m.StoreRow(data);
        EXPECT_EQ(written, s.written);
        EXPECT_EQ(m.rowCount(), s.rows);
        EXPECT_EQ(m.CellText(written, mode), s.mode);
    }
    // A marker row has nothing but its Mode cell.
    QStringList marker(17, QString());
    marker[mode] = "Reset";
    EXPECT_EQ(RowTexts(m, 2), marker);
}

TEST(LogTable, CellsShowTheirPictures)
{
    TLogTableModel m;
    m.SetColumns(StandardLogColumns());
    m.StoreRow(ComputeLogRow(HourOfDilution()));
    const QStringList expected
        = {"10:05:07",   "Dilution",  "A (constant) in B", "0.012 345", "10.000 000", "0.873 514",
           "10.885 859", "0.001 134", "0.918 623",         "0.080 243", "0.299 199",  "0.000 386",
           "0.250 325",  "0.048 487", "0 001 289",         "0 836 653", "0 162 057"};
    EXPECT_EQ(RowTexts(m, 0), expected);
    EXPECT_EQ(m.data(m.index(0, 3)).toString(), "0.012 345");

    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(m.CellText(0, 3), "0,012 345");
    EXPECT_EQ(m.CellText(0, 14), "0 001 289");
}

TEST(LogTable, ZeroTotalsLeaveTheirCellsEmpty)
{
    TLogTableModel m;
    m.SetColumns(StandardLogColumns());
    TLogRowInputs in = HourOfDilution();
    in.MixerState = TMixerState::Standby;
    in.TotalizerA = in.TotalizerB = in.H2OTime = 0;
    m.StoreRow(ComputeLogRow(in));
    EXPECT_EQ(RowTexts(m, 0),
              (QStringList{"10:05:07", "Standby", "", "0.000 000", "0.000 000", "0.000 000", "0.000 000", "", "", "",
                           "0.000 000", "0.000 000", "0.000 000", "0.000 000", "", "", ""}));
}

TEST(LogTable, CellsCannotBeEditedAndTheModelAnnouncesNewRows)
{
    TLogTableModel m;
    m.SetColumns(StandardLogColumns());
    int inserted = 0;
    int changed = 0;
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        EXPECT_EQ(first, last);
        EXPECT_EQ(first, m.rowCount() - 1);
        ++inserted;
    });
    QObject::connect(&m, &QAbstractItemModel::dataChanged, [&] { ++changed; });
    const TLogRowValues data = ComputeLogRow(HourOfDilution());
    m.StoreRow(data);
    m.StoreRow(data);
    m.StoreRow(data);
    EXPECT_EQ(inserted, 2) << "the first row fills the empty row 1";
    EXPECT_EQ(changed, 3);
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m.setData(m.index(0, 1), "x"));
    EXPECT_EQ(m.CellText(0, 1), "Dilution");
}

TEST(LogTable, HeaderAndRowRuleFollowTheColumnTable)
{
    // Mode shown in column 0 and Time in column 1: the row rule looks at
    // whatever column 0 shows.
    TColumnTable p = StandardLogColumns();
    At(p, TProperty::Mode).ColID = 0;
    At(p, TProperty::Time).ColID = 1;
    TLogTableModel m;
    m.SetColumns(p);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), "Mode");
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), "Time");
    m.StoreMarker();
    EXPECT_EQ(m.StoreMarker(), 1);
    EXPECT_EQ(m.CellText(1, 0), "Reset");
}

TEST(LogTable, RowsStayCompact)
{
    TLogTableModel m;
    m.SetColumns(StandardLogColumns());
    const TLogRowValues data = ComputeLogRow(HourOfDilution());
    for (int i = 0; i < 20000; ++i)
        m.StoreRow(data);
    EXPECT_EQ(m.rowCount(), 20000);
    EXPECT_LE(m.BytesHeld() / 20000.0, 250.0);
    EXPECT_EQ(m.CellText(19999, 0), "10:05:07");
    EXPECT_EQ(m.CellText(12345, 16), "0 162 057");
}
