#include "log_table_model.h"

#include <QLocale>

TLogTableModel::TLogTableModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    columnProperty_.fill(-1);
}

void TLogTableModel::SetColumns(const TColumnTable& columns)
{
    beginResetModel();
    columns_ = columns;
    columnProperty_.fill(-1);
    for (int p = 0; p < PropertyCount; ++p) {
        const RColInfo& info = columns_[p];
        if (info.ColID >= 0 && info.ColID < PropertyCount)
            columnProperty_[info.ColID] = p;
        const auto property = static_cast<TProperty>(p);
        numberPictures_[p].reset();
        if (IsNumberProperty(property))
            numberPictures_[p].emplace(info.Format.toStdString());
        else if (property == TProperty::Time)
            timePicture_.emplace(info.Format.toStdString());
    }
    endResetModel();
}

std::optional<TProperty> TLogTableModel::PropertyAt(int column) const
{
    if (column < 0 || column >= PropertyCount || columnProperty_[column] < 0)
        return std::nullopt;
    return static_cast<TProperty>(columnProperty_[column]);
}

bool TLogTableModel::CellIsEmpty(int row, int column) const
{
    const auto p = PropertyAt(column);
    if (!p)
        return true;
    const TLogRow& r = store_[static_cast<std::size_t>(row)];
    if ((r.Written & PropertyBit(*p)) == 0)
        return true;
    if (*p == TProperty::Mode)
        return store_.Text(r.Mode).empty();
    if (*p == TProperty::Method)
        return store_.Text(r.Method).empty();
    return false;
}

int TLogTableModel::ChooseRow()
{
    if (!CellIsEmpty(0, 0)) {
        const int row = DataRows();
        beginInsertRows(QModelIndex(), row, row);
        store_.AppendEmpty();
        endInsertRows();
    }
    return DataRows() - 1;
}

int TLogTableModel::StoreRow(const TLogRowValues& values)
{
    const int row = ChooseRow();
    store_.Write(static_cast<std::size_t>(row), values);
    emit dataChanged(index(row, 0), index(row, PropertyCount - 1), {Qt::DisplayRole});
    return row;
}

int TLogTableModel::StoreMarker()
{
    return StoreRow(ResetMarkerRow());
}

void TLogTableModel::AppendCellText(std::string& out, int row, int column, std::string_view decimalPoint) const
{
    const auto p = PropertyAt(column);
    if (!p || row < 0 || row >= DataRows())
        return;
    const TLogRow& r = store_[static_cast<std::size_t>(row)];
    if ((r.Written & PropertyBit(*p)) == 0)
        return;
    switch (*p) {
    case TProperty::Time: timePicture_->AppendTo(out, r.Time); return;
    case TProperty::Mode: out += store_.Text(r.Mode); return;
    case TProperty::Method: out += store_.Text(r.Method); return;
    default: numberPictures_[static_cast<int>(*p)]->AppendTo(out, r.Numbers[NumberIndex(*p)], decimalPoint); return;
    }
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
    const auto p = PropertyAt(section);
    return p ? columns_[static_cast<int>(*p)].Caption : QString();
}

Qt::ItemFlags TLogTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
