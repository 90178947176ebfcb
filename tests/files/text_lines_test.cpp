// Line splitting: every line end the reader accepts, the end-of-file mark,
// and the 161-character cut, also when lines straddle the read chunks.
#include "files/text_lines.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

std::vector<std::string> All_Lines(const std::string& text, std::size_t chunk)
{
    TTextLineReader reader(String_Source(text), chunk);
    std::vector<std::string> lines;
    std::string line;
    do {
        reader.Read_Line(line);
        lines.push_back(line);
    } while (!reader.Eof());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLines, CrCrLfAndLfAloneEndALine)
{
    for (std::size_t chunk : {1u, 2u, 3u, 4096u}) {
        SCOPED_TRACE("chunk " + std::to_string(chunk));
        EXPECT_EQ(All_Lines("a\r\nb\rc\nd", chunk), (Lines{"a", "b", "c", "d"}));
        EXPECT_EQ(All_Lines("a\r\n", chunk), (Lines{"a"}));
        EXPECT_EQ(All_Lines("a\n\rb", chunk), (Lines{"a", "", "b"})); // LF CR is two ends
        EXPECT_EQ(All_Lines("a\r\r\nb\n\n", chunk), (Lines{"a", "", "b", ""}));
    }
}

TEST(TextLines, EndOfFileMarkEndsTheInput)
{
    for (std::size_t chunk : {1u, 4096u}) {
        EXPECT_EQ(All_Lines("", chunk), (Lines{""}));
        EXPECT_EQ(All_Lines("ab\x1A"
                            "cd\r\nef",
                            chunk),
                  (Lines{"ab"}));
        EXPECT_EQ(All_Lines("ab\r\n\x1A\r\ncd", chunk), (Lines{"ab"}));
    }
}

TEST(TextLines, OnlyTheFirst161CharactersOfALineAreKept)
{
    std::string longer = std::string(161, 'x') + std::string(500, 'y');
    for (std::size_t chunk : {7u, 4096u}) {
        auto lines = All_Lines(longer + "\r\nz", chunk);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], std::string(161, 'x'));
        EXPECT_EQ(lines[1], "z");
    }
}

} // namespace
} // namespace gang
