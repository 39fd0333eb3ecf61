#include "log_cells.h"

TLogCellFormat::TLogCellFormat(const TColumnTable& columns)
    : columns_(columns)
{
    columnProperty_.fill(-1);
    for (int p = 0; p < PropertyCount; ++p) {
        const RColInfo& info = columns_[p];
        if (info.ColID >= 0 && info.ColID < PropertyCount)
            columnProperty_[info.ColID] = p;
        const auto property = static_cast<TProperty>(p);
        if (IsNumberProperty(property))
            numberPictures_[p].emplace(info.Format.toStdString());
        else if (property == TProperty::Time)
            timePicture_.emplace(info.Format.toStdString());
    }
}

std::optional<TProperty> TLogCellFormat::PropertyAt(int column) const
{
    if (column < 0 || column >= PropertyCount || columnProperty_[column] < 0)
        return std::nullopt;
    return static_cast<TProperty>(columnProperty_[column]);
}

QString TLogCellFormat::Caption(int column) const
{
    const auto p = PropertyAt(column);
    return p ? columns_[static_cast<int>(*p)].Caption : QString();
}

bool TLogCellFormat::CellIsEmpty(const TLogRow& row, const std::vector<std::string>& texts, int column) const
{
    const auto p = PropertyAt(column);
    if (!p || (row.Written & PropertyBit(*p)) == 0)
        return true;
    if (*p == TProperty::Mode)
        return texts[row.Mode].empty();
    if (*p == TProperty::Method)
        return texts[row.Method].empty();
    return false;
}

void TLogCellFormat::AppendCell(std::string& out, const TLogRow& row, const std::vector<std::string>& texts, int column,
                                std::string_view decimalPoint) const
{
    const auto p = PropertyAt(column);
    if (!p || (row.Written & PropertyBit(*p)) == 0)
        return;
    switch (*p) {
    case TProperty::Time: timePicture_->AppendTo(out, row.Time); return;
    case TProperty::Mode: out += texts[row.Mode]; return;
    case TProperty::Method: out += texts[row.Method]; return;
    default: numberPictures_[static_cast<int>(*p)]->AppendTo(out, row.Numbers[NumberIndex(*p)], decimalPoint); return;
    }
}
