#pragma once

#include "columns.h"
#include "log_store.h"
#include "number_picture.h"
#include "time_picture.h"

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the stored rows become text: which entry each table column shows, its
// caption, and the picture of its cells. Built once from the column table
// and never changed, so the window thread and a saving thread may share it.
class TLogCellFormat {
public:
    explicit TLogCellFormat(const TColumnTable& columns = {});

    const TColumnTable& Columns() const { return columns_; }

    // Which entry a table column shows, if any.
    std::optional<TProperty> PropertyAt(int column) const;

    // The caption of a table column ("" where no entry is shown).
    QString Caption(int column) const;

    // Whether the cell shows nothing: not written, or an empty text.
    bool CellIsEmpty(const TLogRow& row, const std::vector<std::string>& texts, int column) const;

    // Appends a cell's text as bytes: numbers and times with their picture
    // and `decimalPoint`, texts as stored (8-bit). An empty cell adds nothing.
    void AppendCell(std::string& out, const TLogRow& row, const std::vector<std::string>& texts, int column,
                    std::string_view decimalPoint) const;

private:
    TColumnTable columns_;
    std::array<int, PropertyCount> columnProperty_{};  // -1 where no entry
    std::array<std::optional<TNumberPicture>, PropertyCount> numberPictures_;
    std::optional<TTimePicture> timePicture_;
};
