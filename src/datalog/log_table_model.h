#pragma once

#include "columns.h"
#include "log_cells.h"
#include "log_row.h"
#include "log_snapshot.h"
#include "log_store.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The log table: a fixed header of 17 captions over the stored rows. It
// starts with one empty data row and only grows. Model row r is data row
// r + 1 of the grid (row 0 of the grid is the header). Cells are read-only;
// their text is made on display from the stored numbers with the column's
// picture and the process locale.
//
// Whoever keeps a record of the log (the journal, a plot) listens to
// RowStored, MarkerStored and ReportAttached, which are emitted as the row is
// stored, before the storing call returns.
class TLogTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TLogTableModel(QObject* parent = nullptr);

    // Sets which column shows which entry, with its caption and picture.
    void SetColumns(const TColumnTable& columns);
    const TColumnTable& Columns() const { return format_->Columns(); }

    // Number of data rows (at least 1).
    int DataRows() const { return static_cast<int>(store_.Size()); }
    // Rows that hold something: the data rows less the empty first row the
    // table starts with.
    int StoredRows() const { return DataRows() - (store_[0].Written == 0 ? 1 : 0); }

    // The row to write next: if the first data row has text in column 0,
    // one row is appended; the row to write is then the last one.
    int ChooseRow();

    // Chooses the row and writes the cells `values` marks as written;
    // returns the row written.
    int StoreRow(const TLogRowValues& values);

    // Chooses the row and writes "Reset" into its Mode cell.
    int StoreMarker();

    // Keeps the report of the plan made at the marker in `row` with it. A
    // marker row written over (the first-row reuse) loses its report.
    void AttachReport(int row, const QString& reportText);

    // The markers still in the table, in row order, with their reports.
    const std::vector<TLogMarker>& Markers() const { return markers_; }

    // How many rows, markers and reports have been taken in so far.
    std::uint64_t Changes() const { return changes_; }

    // The log as it stands, for a reader on another thread.
    TLogSnapshot Snapshot() const;

    // A stored row, the text table and the cell format, for a record kept
    // on the window thread.
    const TLogRow& Row(int row) const { return store_[static_cast<std::size_t>(row)]; }
    const std::vector<std::string>& Texts() const { return store_.Texts(); }
    const TLogCellFormat& Format() const { return *format_; }

    // The text of a cell as shown, with the locale's decimal separator.
    QString CellText(int row, int column) const;

    // Appends a cell's text as bytes, numbers with `decimalPoint` as the
    // separator and texts as stored (8-bit).
    void AppendCellText(std::string& out, int row, int column, std::string_view decimalPoint) const;

    // Bytes the stored rows occupy.
    std::size_t BytesHeld() const { return store_.BytesHeld(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A row describing the moment was stored into `row`.
    void RowStored(int row);
    // A "Reset" marker was stored into `row`.
    void MarkerStored(int row);
    // The plan report was attached to the marker in `row`.
    void ReportAttached(int row);

private:
    int Write(const TLogRowValues& values);

    std::shared_ptr<const TLogCellFormat> format_;
    TLogStore store_;
    std::vector<TLogMarker> markers_;
    std::uint64_t changes_ = 0;
};
