#include "log_table_model.h"

#include <QLocale>

TLogTableModel::TLogTableModel(QObject* parent)
    : QAbstractTableModel(parent)
    , format_(std::make_shared<const TLogCellFormat>())
{
}

void TLogTableModel::SetColumns(const TColumnTable& columns)
{
    beginResetModel();
    // A new format object: a snapshot being saved keeps the one it took.
    format_ = std::make_shared<const TLogCellFormat>(columns);
    endResetModel();
}

int TLogTableModel::ChooseRow()
{
    if (!format_->CellIsEmpty(store_[0], store_.Texts(), 0)) {
        const int row = DataRows();
        beginInsertRows(QModelIndex(), row, row);
        store_.AppendEmpty();
        endInsertRows();
    }
    return DataRows() - 1;
}

int TLogTableModel::Write(const TLogRowValues& values)
{
    const int row = ChooseRow();
    // Only a marker in a row without a time is ever written over; its
    // report goes with it.
    if (!markers_.empty() && markers_.back().Row == row)
        markers_.pop_back();
    store_.Write(static_cast<std::size_t>(row), values);
    ++changes_;
    emit dataChanged(index(row, 0), index(row, PropertyCount - 1), {Qt::DisplayRole});
    return row;
}

int TLogTableModel::StoreRow(const TLogRowValues& values)
{
    const int row = Write(values);
    emit RowStored(row);
    return row;
}

int TLogTableModel::StoreMarker()
{
    const int row = Write(ResetMarkerRow());
    markers_.push_back({row, QString()});
    emit MarkerStored(row);
    return row;
}

void TLogTableModel::AttachReport(int row, const QString& reportText)
{
    for (auto m = markers_.rbegin(); m != markers_.rend(); ++m) {
        if (m->Row == row) {
            m->Report = reportText;
            ++changes_;
            emit ReportAttached(row);
            return;
        }
    }
}

TLogSnapshot TLogTableModel::Snapshot() const
{
    std::optional<TLogRow> openFirstRow;
    if (store_.Size() == 1)  // the one row that may still be written over
        openFirstRow = store_[0];
    return TLogSnapshot(store_.Size(), store_.ChunkPointers(), openFirstRow, store_.Texts(), format_, markers_,
                        changes_);
}

void TLogTableModel::AppendCellText(std::string& out, int row, int column, std::string_view decimalPoint) const
{
    if (row < 0 || row >= DataRows())
        return;
    format_->AppendCell(out, store_[static_cast<std::size_t>(row)], store_.Texts(), column, decimalPoint);
}

QString TLogTableModel::CellText(int row, int column) const
{
    const QByteArray point = QLocale().decimalPoint().toLocal8Bit();
    std::string text;
    AppendCellText(text, row, column, std::string_view(point.constData(), point.size()));
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

int TLogTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DataRows();
}

int TLogTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : PropertyCount;
}

QVariant TLogTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return CellText(index.row(), index.column());
}

QVariant TLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return format_->Caption(section);
}

Qt::ItemFlags TLogTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
