// What a remote client sends, any bytes in any pieces: cut into lines of at
// most 4 KiB, each parsed into commands that match the command tree (their
// parameters of the kinds it names), ended at most by one error with a
// number and a text, whose reply keeps its quotes balanced.
#include "fuzz_require.h"
#include "scpi_lines.h"
#include "scpi_parser.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

const TScpiCommandSpec& SpecOf(TScpiCommandId id)
{
    const auto& table = ScpiCommandTable();
    return *std::find_if(table.begin(), table.end(), [id](const TScpiCommandSpec& s) { return s.Id == id; });
}

void CheckLine(const std::string& line)
{
    FUZZ_REQUIRE(line.size() <= TScpiLineBuffer::MaxLine && line.find('\n') == std::string::npos);
    const std::vector<TScpiParsed> items = ParseScpiLine(line);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TScpiParsed& item = items[i];
        if (!item.Command) {
            FUZZ_REQUIRE(i + 1 == items.size());
            FUZZ_REQUIRE(item.Error.Code < 0 && !ScpiErrorText(item.Error.Code).empty());
            const std::string reply = ScpiErrorReply(item.Error);
            FUZZ_REQUIRE(std::count(reply.begin(), reply.end(), '"') % 2 == 0);
            continue;
        }
        const TScpiCommand& c = *item.Command;
        const TScpiCommandSpec& spec = SpecOf(c.Id);
        FUZZ_REQUIRE(c.Query ? spec.Queryable : spec.Settable);
        const std::string_view kinds = c.Query ? std::string_view() : spec.Parameters;
        const auto numbers = static_cast<std::size_t>(
            std::count_if(kinds.begin(), kinds.end(), [](char k) { return k == 'N' || k == 'B'; }));
        FUZZ_REQUIRE(c.Numbers.size() == numbers);
        FUZZ_REQUIRE((c.Choice >= 0) == (kinds.find('C') != std::string_view::npos));
        FUZZ_REQUIRE(c.Choice < 4);
        FUZZ_REQUIRE(!c.Source.empty() && c.Source.size() <= line.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    TScpiLineBuffer buffer;
    std::vector<TScpiLineBuffer::TLine> lines;
    while (in.remaining_bytes() > 0) {
        const std::string piece = in.ConsumeRandomLengthString(8192);
        buffer.Append(piece, lines);
    }
    for (const TScpiLineBuffer::TLine& line : lines)
        CheckLine(line.Text);
    return 0;
}
