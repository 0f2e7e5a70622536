// Tape frames: the picture, the parity track and the readable glyphs.
#include "comm/tape_punch.h"

#include <gtest/gtest.h>

#include <bit>
#include <sstream>

namespace {

// The glyph table of the tape format as written there: character, then six
// columns in hexadecimal, left to right.
const char* const kTable[] = {
    "  00 00 00 00 00 00", "A 7C 12 11 12 7C 00", "0 7F 51 49 45 7F 00", "B 7F 49 49 49 36 00",
    "1 00 42 7F 40 00 00", "C 3E 41 41 41 41 00", "2 62 51 49 45 63 00", "D 7F 41 41 41 3E 00",
    "3 49 49 49 49 7F 00", "E 7F 49 49 49 49 00", "4 08 0C 0A 7F 08 00", "F 7F 09 09 09 09 00",
    "5 2F 49 49 49 79 00", "G 3E 41 49 49 38 00", "6 3E 49 49 49 39 00", "H 7F 08 08 08 7F 00",
    "7 01 41 21 11 0F 00", "I 00 41 7F 41 00 00", "8 3E 49 49 49 3E 00", "J 00 30 40 40 3F 00",
    "9 2E 49 49 49 3E 00", "K 7F 08 14 22 41 00", ": 00 00 14 00 00 00", "L 7F 40 40 40 40 00",
    "\\ 00 02 04 08 10 00", "M 7F 02 0C 02 7F 00", "N 7F 02 1C 20 7F 00", "O 7F 41 41 41 7F 00",
    "P 7F 09 09 09 06 00", "Q 3E 41 41 61 7E 00", "R 7F 09 19 29 46 00", "S 0F 49 49 49 78 00",
    "T 01 01 7F 01 01 00", "U 3F 40 40 40 3F 00", "V 0F 30 40 30 0F 00", "W 7F 20 18 20 7F 00",
    "X 41 22 1C 22 41 00", "Y 01 02 7C 02 01 00", "Z 61 51 49 45 43 00",
};

std::vector<std::uint8_t> tableColumns(const char* row) {
    std::istringstream in(row + 2);
    std::vector<std::uint8_t> cols;
    int v;
    while (in >> std::hex >> v) cols.push_back(static_cast<std::uint8_t>(v));
    return cols;
}

TEST(TapePunch, EveryCharacterPunchesItsGlyphOrOneBlankFrame) {
    std::string withGlyph;
    for (const char* row : kTable) {
        const char c = row[0];
        withGlyph += c;
        const std::vector<std::uint8_t> cols = tableColumns(row);
        ASSERT_EQ(cols.size(), 6u) << row;
        EXPECT_EQ(tolva::GlyphColumns(c), cols) << row;
        if (c >= 'A' && c <= 'Z') {
            EXPECT_EQ(tolva::GlyphColumns(static_cast<char>(c + 32)), cols) << row;
        }
        // A name of one character punches its columns last to first.
        EXPECT_EQ(tolva::ReadableHeaderFrames(std::string(1, c)),
                  std::vector<std::uint8_t>(cols.rbegin(), cols.rend()));
    }
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        if (withGlyph.find(upper) == std::string::npos) {
            EXPECT_EQ(tolva::GlyphColumns(c), std::vector<std::uint8_t>{0}) << b;
        }
    }
    EXPECT_TRUE(tolva::ReadableHeaderFrames("").empty());
    EXPECT_EQ(tolva::ReadableHeaderFrames(std::string(300, '1')).size(), 255u * 6u);
}

TEST(TapePunch, ParityMakesEveryFrameEvenOrOddAndKeepsTheData) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const std::uint8_t even = tolva::WithParity(byte, tolva::TapeParity::Even);
        const std::uint8_t odd = tolva::WithParity(byte, tolva::TapeParity::Odd);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(even)) % 2, 0) << b;
        EXPECT_EQ(std::popcount(static_cast<unsigned>(odd)) % 2, 1) << b;
        EXPECT_EQ(even & 0x7F, b & 0x7F);
        EXPECT_EQ(odd & 0x7F, b & 0x7F);
        EXPECT_EQ(tolva::WithParity(byte, tolva::TapeParity::None), byte);
    }
    EXPECT_EQ(tolva::WithParity('1', tolva::TapeParity::Even), 0xB1);
    EXPECT_EQ(tolva::WithParity('A', tolva::TapeParity::Even), 0x41);
    EXPECT_EQ(tolva::WithParity('1', tolva::TapeParity::Odd), 0x31);
    EXPECT_EQ(tolva::WithParity('A', tolva::TapeParity::Odd), 0xC1);
}

TEST(TapePunch, ThePictureShowsEachTrackInItsColumn) {
    EXPECT_EQ(tolva::TapeFrameText(0xFF), "#****.***");
    EXPECT_EQ(tolva::TapeFrameText(0x00), "     .   ");
    // Columns left to right: track 8, 7, 6, 5, 4, feed hole, 3, 2, 1.
    const int bitOfColumn[9] = {7, 6, 5, 4, 3, -1, 2, 1, 0};
    for (int b = 0; b < 256; ++b) {
        const std::string t = tolva::TapeFrameText(static_cast<std::uint8_t>(b));
        ASSERT_EQ(t.size(), 9u);
        for (int col = 0; col < 9; ++col) {
            const int bit = bitOfColumn[col];
            const char hole = bit == 7 ? '#' : '*';
            EXPECT_EQ(t[col], bit < 0 ? '.' : ((b >> bit) & 1 ? hole : ' ')) << b << " column " << col;
        }
    }
}

}  // namespace
