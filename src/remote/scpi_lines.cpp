#include "scpi_lines.h"

void TScpiLineBuffer::Append(std::string_view bytes, std::vector<TLine>& lines)
{
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!dropping_) {
            // One byte more than MaxLine is allowed only for the CR of a
            // CR LF.
            const std::size_t size = partial_.size() + piece.size();
            const char last = piece.empty() ? (partial_.empty() ? '\0' : partial_.back()) : piece.back();
            if (size > MaxLine + 1 || (size == MaxLine + 1 && last != '\r')) {
                partial_.clear();
                dropping_ = true;
                lines.push_back({{}, true});
            } else {
                partial_.append(piece);
            }
        }
        if (end == std::string_view::npos)
            return;
        if (!dropping_) {
            if (!partial_.empty() && partial_.back() == '\r')
                partial_.pop_back();
            lines.push_back({std::move(partial_), false});
            partial_.clear();
        }
        dropping_ = false;
        bytes.remove_prefix(end + 1);
    }
}
