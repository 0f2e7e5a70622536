#include "app/swap_block.h"

#include <algorithm>

#include "dxf/pass_files.h"
#include "text/compress.h"
#include "text/gcode_words.h"
#include "text/label_code.h"
#include "text/number_format.h"

namespace tolva {
namespace {

// The number of a word as split ("X1.5 "): the text after the letter, blanks
// removed; 0 when absent or unreadable.
long double wordNumber(const std::string& word, const std::string& letter) {
    if (word.size() <= letter.size()) return 0.0L;
    double v = 0.0;
    return ReadPlainReal(StripChar('A', ' ', std::string_view(word).substr(letter.size())), v) ? v : 0.0L;
}

}  // namespace

std::vector<std::string> SwapBlockLines(const std::vector<std::string>& reversed, const SwapOptions& o) {
    const AxisCodes& codes = o.cleanUp.codes;
    const Letters& L = codes.letters;
    const std::string& line = codes.Code(LabelRow::Line);
    const std::string& cw = codes.Code(LabelRow::ArcCw);
    const std::string& ccw = codes.Code(LabelRow::ArcCcw);
    std::vector<std::string> out;
    SplitLine p, c;  // the previous line (empty at first) and the current one
    for (const std::string& current : reversed) {
        c = SplitWords(current, L);
        // The arc codes in any of their forms ("G2" for "G02").
        const bool pCw = !p.G.empty() && HasCode(p.G, cw), pCcw = !p.G.empty() && HasCode(p.G, ccw);
        if (o.Bridgeport && (pCw || pCcw)) {
            // The centre stays where it is; its offsets are now taken from
            // the arc's new start, the old end point.
            std::string* centres[] = {&p.I, &p.J, &p.K};
            const std::string* centreLetters[] = {&L.I, &L.J, &L.K};
            const std::string* axisLetters[] = {&L.X, &L.Y, &L.Z};
            const std::string* cWords[] = {&c.X, &c.Y, &c.Z};
            const std::string* pWords[] = {&p.X, &p.Y, &p.Z};
            for (int a = 0; a < 3; ++a) {
                if (centres[a]->empty()) continue;
                const long double v = wordNumber(*cWords[a], *axisLetters[a]) -
                                      wordNumber(*pWords[a], *axisLetters[a]) +
                                      wordNumber(*centres[a], *centreLetters[a]);
                *centres[a] = *centreLetters[a] + CoordinateText(v, o.DecimalPlaces);
            }
        }
        if (pCw || pCcw) {
            out.push_back(p.M + line + p.X + p.Y + p.Z + p.rest);
            out.push_back(c.M + (pCw ? ccw : cw) + " " + c.X + c.Y + c.Z + p.I + p.J + p.K + p.R + c.rest);
        } else {
            if (o.CurLine == 0) out.push_back(p.M + p.G + p.X + p.Y + p.Z + p.R + p.rest);
            out.push_back(p.M + p.G + p.X + p.Y + p.Z + c.rest);
        }
        std::swap(p, c);
    }
    if (!reversed.empty()) out.push_back(p.G + p.M + p.X + p.Y + p.Z + p.rest);
    return out;
}

FileStatus SWAP_BLOCK3(const std::string& folder, const SwapOptions& options) {
    std::string bytes;
    FileStatus st = ReadFileBytes(PassFilePath(folder, PassFile::Temp), bytes);
    if (!st.ok) return st;
    return WritePassOutput(folder, SwapBlockLines(SplitLines(bytes), options));
}

SwapResult SwapBlock(std::vector<std::string>& lines, int selStartLine, int count, bool highlighted,
                     const SwapOptions& options, Host& host, const std::string& folder) {
    SwapResult r;
    const int first = std::max(0, selStartLine + 1);
    const int k = std::min(count, static_cast<int>(lines.size()) - first);
    // Only a block that runs in incremental mode is refused: an incremental
    // stretch elsewhere (a home return at the end) does not touch it.
    const std::string& absolute = options.cleanUp.codes.Code(LabelRow::Absolute);
    const std::string& incremental = options.cleanUp.codes.Code(LabelRow::Incremental);
    bool incrementalMode = false;
    for (int i = 0; i < first + std::max(k, 0) && i < static_cast<int>(lines.size()); ++i) {
        if (HasCode(lines[i], absolute)) incrementalMode = false;
        if (HasCode(lines[i], incremental)) incrementalMode = true;
        if (incrementalMode && i >= first) {
            IncMessageErr(host);
            r.refused = true;
            return r;
        }
    }
    if (!highlighted || k <= 0) {
        host.Beep();
        return r;
    }
    std::vector<std::string> reversed(lines.rbegin() + (lines.size() - first - k), lines.rend() - first);
    // A move that carries no motion code of its own runs in the mode in
    // force: an arc among them is reversed as an arc, so its code is made
    // explicit first.
    const AxisCodes& codes = options.cleanUp.codes;
    const std::string& cw = codes.Code(LabelRow::ArcCw);
    const std::string& ccw = codes.Code(LabelRow::ArcCcw);
    const std::string& straight = codes.Code(LabelRow::Line);
    const std::string& rapid = codes.Code(LabelRow::Rapid);
    const std::string* mode = nullptr;
    for (int i = 0; i < first + k; ++i) {
        const std::string& l = lines[i];
        const std::string* own = HasCode(l, cw)         ? &cw
                                 : HasCode(l, ccw)      ? &ccw
                                 : HasCode(l, straight) ? &straight
                                 : HasCode(l, rapid)    ? &rapid
                                                        : nullptr;
        if (own) {
            mode = own;
            continue;
        }
        if (i < first || (mode != &cw && mode != &ccw)) continue;
        const Letters& L = codes.letters;
        const bool moves = WordValue(L.X, l).found || WordValue(L.Y, l).found || WordValue(L.Z, l).found;
        if (moves) reversed[static_cast<std::size_t>(first + k - 1 - i)] = *mode + " " + l;
    }
    SwapOptions o = options;
    o.cleanUp.keepArcWords = true;
    std::vector<std::string> back;
    r.file = WriteScratchFile(PassFilePath(folder, PassFile::Temp), JoinLines(reversed, LineEnd::LF, true));
    if (r.file.ok) r.file = SWAP_BLOCK3(folder, o);
    for (int pass = 0; pass < 2 && r.file.ok; ++pass) r.file = RemoveDup2(folder, o.cleanUp, &host);
    std::string bytes;
    if (r.file.ok) r.file = ReadFileBytes(PassFilePath(folder, PassFile::NewFile), bytes);
    if (!r.file.ok) return r;
    back = SplitLines(bytes);
    if (o.SwapXY)
        for (std::string& l : back) l = OrderWordsMLast(l, o.cleanUp.codes.letters);
    const std::vector<std::string> before = lines;
    for (int i = 0; i < k; ++i) lines[first + i] = i < static_cast<int>(back.size()) ? back[i] : " ";
    if (static_cast<int>(back.size()) > k) lines.insert(lines.begin() + first + k, back.begin() + k, back.end());
    r.changed = lines != before;
    return r;
}

}  // namespace tolva
