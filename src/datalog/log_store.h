#pragma once

#include "log_row.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One stored row, 128 bytes: the numbers as they were computed and a mask
// of the cells that were written. Texts are kept once in the store and
// referred to by index; the cells' text is made when it is shown or saved.
struct TLogRow {
    double Time;
    double Numbers[LogNumberCount];
    std::uint32_t Written;  // bit per TProperty
    std::uint16_t Mode;     // text index
    std::uint16_t Method;   // text index
};
static_assert(sizeof(TLogRow) == 128, "a log row should stay compact");

// The log's rows. It starts with one empty row and only grows; rows live in
// fixed-size chunks, so appending never moves the rows already stored.
class TLogStore {
public:
    static constexpr std::size_t ChunkRows = 8192;

    TLogStore();

    std::size_t Size() const { return size_; }
    const TLogRow& operator[](std::size_t i) const { return chunks_[i / ChunkRows][i % ChunkRows]; }
    TLogRow& operator[](std::size_t i) { return chunks_[i / ChunkRows][i % ChunkRows]; }

    // Adds an empty row at the end.
    void AppendEmpty();

    // Writes the cells that `values` marks as written into row `i`.
    void Write(std::size_t i, const TLogRowValues& values);

    // The text of an index; index 0 is the empty text.
    const std::string& Text(std::uint16_t index) const { return texts_[index]; }
    // Every text, by index. A new text may move this table (not the rows).
    const std::vector<std::string>& Texts() const { return texts_; }

    // The first row of every chunk; row i is at [i / ChunkRows][i % ChunkRows].
    // A chunk never moves and is never freed while the store lives.
    std::vector<const TLogRow*> ChunkPointers() const;

    // Bytes the rows occupy, including the unused part of the last chunk.
    std::size_t BytesHeld() const;

private:
    std::uint16_t Intern(const std::string& text);

    std::vector<std::unique_ptr<TLogRow[]>> chunks_;
    std::size_t size_ = 0;
    std::vector<std::string> texts_;
    std::unordered_map<std::string, std::uint16_t> textIndex_;
};
