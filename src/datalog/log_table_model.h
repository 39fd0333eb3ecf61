#pragma once

#include "columns.h"
#include "log_row.h"
#include "log_store.h"
#include "number_picture.h"
#include "time_picture.h"

#include <QAbstractTableModel>

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The log table: a fixed header of 17 captions over the stored rows. It
// starts with one empty data row and only grows. Model row r is data row
// r + 1 of the grid (row 0 of the grid is the header). Cells are read-only;
// their text is made on display from the stored numbers with the column's
// picture and the process locale.
class TLogTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TLogTableModel(QObject* parent = nullptr);

    // Sets which column shows which entry, with its caption and picture.
    void SetColumns(const TColumnTable& columns);
    const TColumnTable& Columns() const { return columns_; }

    // Number of data rows (at least 1).
    int DataRows() const { return static_cast<int>(store_.Size()); }
    // Rows that hold something: the data rows less the empty first row the
    // table starts with.
    int StoredRows() const { return DataRows() - (store_[0].Written == 0 ? 1 : 0); }
    // A data row as stored (0 <= row < DataRows()).
    const TLogRow& Row(int row) const { return store_[static_cast<std::size_t>(row)]; }

    // The row to write next: if the first data row has text in column 0,
    // one row is appended; the row to write is then the last one.
    int ChooseRow();

    // Chooses the row and writes the cells `values` marks as written;
    // returns the row written.
    int StoreRow(const TLogRowValues& values);

    // Chooses the row and writes "Reset" into its Mode cell.
    int StoreMarker();

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

private:
    // Which entry a column shows, if any.
    std::optional<TProperty> PropertyAt(int column) const;
    bool CellIsEmpty(int row, int column) const;

    TColumnTable columns_;
    std::array<int, PropertyCount> columnProperty_{};  // -1 where no entry
    std::array<std::optional<TNumberPicture>, PropertyCount> numberPictures_;
    std::optional<TTimePicture> timePicture_;
    TLogStore store_;
};
