// A program of arbitrary bytes through the line toolkit (word splitting,
// both word orders, word values, stripping) and through the backplot
// interpreter with the shipped mill's codes. Putting a line's words in order
// moves them and the blanks between them, nothing else: the characters other
// than blanks and tabs stay the same multiset. The first byte switches the
// interpreter's settings (incremental I J, Z arcs, lathe diameters).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/host.h"
#include "base/program_file.h"
#include "fuzz_support.h"
#include "plot/canvas.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "text/gcode_words.h"

namespace {

// How often each character other than a blank or tab occurs in `text`.
std::array<std::size_t, 256> Tally(std::string_view text) {
    std::array<std::size_t, 256> n{};
    for (unsigned char c : text)
        if (c != ' ' && c != '\t') ++n[c];
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolva;
    MachineSettings& m = fuzz::Mill();
    m.SetFlag("Bridgeport", fuzz::Switch(data, size, 0));
    m.SetFlag("IncludeZCheckBox", fuzz::Switch(data, size, 1));
    m.SetFlag("Xdiv2", fuzz::Switch(data, size, 2));
    m.SetFlag("Idiv2", fuzz::Switch(data, size, 3));
    const std::string_view bytes(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
    const std::vector<std::string> lines = SplitLines(bytes);

    const Letters letters = m.Setaxis().letters;
    std::string ordered;
    for (const std::string& line : lines) {
        SplitWords(line, letters);
        const auto words = Tally(line);
        OrderWordsMFirst(line, letters, ordered);
        if (Tally(ordered) != words) __builtin_trap();
        OrderWordsMLast(line, letters, ordered);
        if (Tally(ordered) != words) __builtin_trap();
        StripChar('A', ' ', line);
        for (char letter : std::string_view("XYZIJKRGMN")) {
            const std::string::size_type at = line.find(letter);
            if (at != std::string::npos) WordValue(std::string_view(line).substr(at), line);
        }
    }

    PlotState state;
    NullCanvas canvas;
    Interpreter interp(state, canvas, &m);
    VectorLines text(lines);
    text.MainEditor = true;
    interp.MainLineCount = static_cast<int>(lines.size());
    RecordingHost host;
    interp.PlotAll(text, false, true, 0, 0, host);
    return 0;
}
