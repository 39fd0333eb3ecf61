#pragma once

#include "log_cells.h"
#include "log_store.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A "Reset" marker row of the log and the report of the plan made there
// (empty while the plan is not made, or when the planning run stopped early).
struct TLogMarker {
    int Row = 0;
    QString Report;
};

// The log as it stood at one moment, readable from another thread while the
// window thread goes on storing rows.
//
// Why no row it reads can change under it: rows live in chunks that never
// move or go away while the log lives, and a stored row is only ever written
// again while it is the table's single row without a time (the first-row
// reuse rule). The snapshot keeps its own copy of that one row, its own copy
// of the chunk pointers, of the text table (which moves when a new text is
// added) and of the markers with their reports; rows stored later lie beyond
// Rows() in memory it never reads. The cell format is immutable and shared.
// It must not outlive the log it was taken from.
class TLogSnapshot {
public:
    TLogSnapshot(std::size_t rows, std::vector<const TLogRow*> chunks, std::optional<TLogRow> openFirstRow,
                 std::vector<std::string> texts, std::shared_ptr<const TLogCellFormat> format,
                 std::vector<TLogMarker> markers, std::uint64_t changes);

    std::size_t Rows() const { return rows_; }
    const TLogRow& Row(std::size_t i) const
    {
        if (i == 0 && openFirstRow_)
            return *openFirstRow_;
        return chunks_[i / TLogStore::ChunkRows][i % TLogStore::ChunkRows];
    }
    const std::vector<std::string>& Texts() const { return texts_; }
    const TLogCellFormat& Format() const { return *format_; }
    // The marker rows in row order.
    const std::vector<TLogMarker>& Markers() const { return markers_; }
    // How many rows, markers and reports the log had taken in when the
    // snapshot was made.
    std::uint64_t Changes() const { return changes_; }

private:
    std::size_t rows_;
    std::vector<const TLogRow*> chunks_;
    std::optional<TLogRow> openFirstRow_;
    std::vector<std::string> texts_;
    std::shared_ptr<const TLogCellFormat> format_;
    std::vector<TLogMarker> markers_;
    std::uint64_t changes_;
};
