#include "scpi_lines.h"
#include "scpi_parser.h"
#include "scpi_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A parsed line as one text: each command as its header from the tree with
// '?', its numbers, choice and string; an error as its number.
std::string Render(std::string_view line)
{
    std::string out;
    for (const TScpiParsed& item : ParseScpiLine(line)) {
        if (!out.empty())
            out += " | ";
        if (!item.Command) {
            out += "E" + std::to_string(item.Error.Code);
            continue;
        }
        const TScpiCommand& c = *item.Command;
        for (const TScpiCommandSpec& spec : ScpiCommandTable()) {
            if (spec.Id == c.Id)
                out += std::string(spec.Header);
        }
        out += c.Query ? "?" : "";
        for (double n : c.Numbers)
            out += " " + ScpiNumber(n);
        if (c.Choice >= 0)
            out += " #" + std::to_string(c.Choice);
        if (!c.Text.empty())
            out += " [" + c.Text + "]";
    }
    return out;
}

}  // namespace

TEST(ScpiParser, ReadsCommandsLinesAndPathsAndStopsAtTheFirstError)
{
    const struct {
        std::string line;
        std::string parsed;
    } cases[] = {
        {"*idn?", "*IDN?"},
        {"  *rst ; ; *CLS  ", "*RST | *CLS"},
        {"sour:gasa:conc 1.5E2", "SOURce:GASA:CONCentration 150"},
        {"SOURce:GASA:CONCentration +.5e+1;:SOUR:WAT:CONC 0",
         "SOURce:GASA:CONCentration 5 | SOURce:WATer:CONCentration 0"},
        // After a command, a header is looked for below its path, then from
        // the root; an optional node may be left out.
        {"PROG:CLE;STEP:ADD 1,2,0.5,ON;ADD 3,4,1,0;COUN?",
         "PROGram:CLEar | PROGram:STEP:ADD 1 2 0.5 1 | PROGram:STEP:ADD 3 4 1 0 | PROGram:STEP:COUNt?"},
        {"MIX:STAT dil;MIX:STATe?;METH?", "MIXer:STATe #3 | MIXer:STATe? | MIXer:METHod?"},
        {"SYST:ERR?;:SYSTem:ERRor:NEXT?", "SYSTem:ERRor[:NEXT]? | SYSTem:ERRor[:NEXT]?"},
        {"LOG:MARK 'it''s \"x\"; y'", "LOG:MARK [it's \"x\"; y]"},
        {"ALAR?;ALAR:ACK", "ALARm? | ALARm:ACKnowledge"},
        // Errors end the line where they are.
        {"SOUR:GASA:CONC 1;FOO;*RST", "SOURce:GASA:CONCentration 1 | E-113"},
        {"SOUR:WAT:CONC?;GASA:CONC?", "SOURce:WATer:CONCentration? | E-113"},
        {"MEAS:GASA:CONC", "E-113"},
        {"PROG:STAR?", "E-113"},
        {"SOURce:GASA:CONCentr 5", "E-113"},
        {"MIX:STAT BYPASS2", "E-224"},
        {"MIX:STAT 2", "E-104"},
        {"MIX:STATE? 1", "E-108"},
        {"SOUR:GASA:CONC 1,5", "E-108"},
        {"SOUR:GASA:CONC", "E-109"},
        {"PROG:STEP:ADD 1,2,3", "E-109"},
        {"SOUR:GASA:CONC \"1\"", "E-104"},
        {"LOG:MARK hello", "E-104"},
        {"PROG:STEP:ADD 1,2,3,2", "E-222"},
        {"SOUR:GASA:CONC 12abc", "E-102"},
        {"SOUR:GASA:CONC 1,", "E-102"},
        {"SOUR:GASA:CONC 1.5.2", "E-102"},
        {"*IDN?x", "E-102"},
        {"*", "E-102"},
        {"LOG:MARK \"open", "E-102"},
        {std::string("\x01\x7f\xff", 3), "E-102"},
        {std::string("*CLS\0;*RST", 10), "*CLS | *RST"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Render(c.line), c.parsed) << c.line;
}

TEST(ScpiLineBuffer, CutsLinesAndRefusesOnlyTheOneTooLong)
{
    TScpiLineBuffer buffer;
    std::vector<TScpiLineBuffer::TLine> lines;
    for (const std::string& chunk :
         {std::string("*IDN?\r"), std::string("\n*C"), std::string("LS\n"), std::string(4096, 'a') + "\r\n",
          std::string(4097, 'b'), std::string(9000, 'c') + "\n*OPC?\n", std::string(4097, 'd') + "\n\n"})
        buffer.Append(chunk, lines);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].Text, "*IDN?");
    EXPECT_EQ(lines[1].Text, "*CLS");
    EXPECT_EQ(lines[2].Text.size(), 4096u);
    EXPECT_TRUE(lines[3].Overrun) << "refused before its line end arrives";
    EXPECT_EQ(lines[4].Text, "*OPC?");
    EXPECT_TRUE(lines[5].Overrun);
    EXPECT_TRUE(!lines[6].Overrun && lines[6].Text.empty());
}

TEST(ScpiErrorQueue, KeepsTwentyAndMarksTheOverflowOnce)
{
    TScpiErrorQueue queue;
    for (int i = 0; i < 25; ++i)
        queue.Push({ScpiError::Syntax, std::to_string(i)});
    EXPECT_EQ(queue.Size(), TScpiErrorQueue::Capacity);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(queue.Next(), "-102,\"Syntax error;" + std::to_string(i) + "\"");
    EXPECT_EQ(queue.Next(), "-350,\"Queue overflow\"");
    EXPECT_EQ(queue.Next(), "0,\"No error\"");
    queue.Push({ScpiError::WaterBelowMinimum, "Minimum water content is \"87\" ppm"});
    EXPECT_EQ(queue.Next(), "102,\"Minimum water content is \"\"87\"\" ppm\"");
}
