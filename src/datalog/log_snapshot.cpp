#include "log_snapshot.h"

#include <utility>

TLogSnapshot::TLogSnapshot(std::size_t rows, std::vector<const TLogRow*> chunks, std::optional<TLogRow> openFirstRow,
                           std::vector<std::string> texts, std::shared_ptr<const TLogCellFormat> format,
                           std::vector<TLogMarker> markers, std::uint64_t changes)
    : rows_(rows)
    , chunks_(std::move(chunks))
    , openFirstRow_(openFirstRow)
    , texts_(std::move(texts))
    , format_(std::move(format))
    , markers_(std::move(markers))
    , changes_(changes)
{
}
