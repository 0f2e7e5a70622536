// Paper tape: frames, the eighth-track parity, and the name punched as
// readable characters into the leader.
//
// A frame is one byte: bit 0 is track 1 ... bit 6 track 7, bit 7 track 8
// (the parity track).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolva {

enum class TapeParity { None, Even, Odd };

// Bit 7 set or cleared so that the frame holds an even (Even) or odd (Odd)
// number of holes; None leaves the byte alone.
std::uint8_t WithParity(std::uint8_t byte, TapeParity parity);

// The 9-character picture of a frame: track 8 as "#", tracks 7..4 as "*",
// the feed hole ".", tracks 3..1 as "*"; an unpunched track is a blank.
std::string TapeFrameText(std::uint8_t frame);

// The columns of a readable character, left to right; bit 0 is the glyph's
// top row. Letters count as capitals. A character without a glyph is one
// blank column.
std::vector<std::uint8_t> GlyphColumns(char c);

// The frames of the readable header for `name` in punching order: the
// characters from the last to the first, each one's columns from the last to
// the first, so a tape read from its end shows the name left to right.
// An empty name gives no frames; at most 255 characters are punched.
std::vector<std::uint8_t> ReadableHeaderFrames(std::string_view name);

}  // namespace tolva
