#include "log_store.h"

#include <limits>
#include <stdexcept>

TLogStore::TLogStore()
{
    texts_.emplace_back();
    textIndex_.emplace(std::string(), 0);
    AppendEmpty();
}

void TLogStore::AppendEmpty()
{
    if (size_ % ChunkRows == 0)
        chunks_.push_back(std::make_unique<TLogRow[]>(ChunkRows));  // zeroed: nothing written
    ++size_;
}

std::uint16_t TLogStore::Intern(const std::string& text)
{
    const auto found = textIndex_.find(text);
    if (found != textIndex_.end())
        return found->second;
    // Mode and method texts come from a handful of fixed names.
    if (texts_.size() > std::numeric_limits<std::uint16_t>::max())
        throw std::length_error("Too many different texts in the log");
    const auto index = static_cast<std::uint16_t>(texts_.size());
    texts_.push_back(text);
    textIndex_.emplace(text, index);
    return index;
}

void TLogStore::Write(std::size_t i, const TLogRowValues& values)
{
    TLogRow& row = (*this)[i];
    if (values.Has(TProperty::Time))
        row.Time = values.Time;
    if (values.Has(TProperty::Mode))
        row.Mode = Intern(values.Mode);
    if (values.Has(TProperty::Method))
        row.Method = Intern(values.Method);
    for (int n = 0; n < LogNumberCount; ++n) {
        const auto p = static_cast<TProperty>(n + static_cast<int>(TProperty::GasA));
        if (values.Has(p))
            row.Numbers[n] = values.Numbers[n];
    }
    row.Written |= values.Written;
}

std::vector<const TLogRow*> TLogStore::ChunkPointers() const
{
    std::vector<const TLogRow*> pointers;
    pointers.reserve(chunks_.size());
    for (const auto& chunk : chunks_)
        pointers.push_back(chunk.get());
    return pointers;
}

std::size_t TLogStore::BytesHeld() const
{
    return chunks_.size() * ChunkRows * sizeof(TLogRow) + chunks_.capacity() * sizeof(chunks_[0]);
}
