#include "plot/object_sort.h"

#include <algorithm>

#include "plot/program_lines.h"
#include "text/compress.h"
#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
namespace {

constexpr char kTempFile[] = "Temp.$$$";

// Sets the interpreter's object log for one plot and always takes it back.
struct LogScope {
    Interpreter& interp;
    LogScope(Interpreter& i, std::vector<ObjectRecord>& log) : interp(i) { interp.ObjectLog = &log; }
    ~LogScope() { interp.ObjectLog = nullptr; }
};

// `lines` with the objects of the program (`all`, in program order) put in
// the order `order` gives (indices into `all`) inside the span they occupy:
// from the first object's `MovesFrom` to the last object's End Block line.
// Each object takes its lines from its `MovesFrom` on; the lines between one
// object's End Block line and the next one's `MovesFrom` keep their place
// between the objects. With `scratchFolder`, the reordered lines go through
// the scratch file first.
ObjectSortResult reorderInSpan(std::vector<std::string>& lines, const std::vector<std::string>& original,
                               const std::vector<ProgramObject>& all, const std::vector<std::size_t>& order,
                               const std::string* scratchFolder) {
    if (all.empty()) return {FileStatus{}, lines != original};
    const int spanFirst = all.front().MovesFrom, spanLast = all.back().EndLine;
    std::vector<std::string> objectLines;
    objectLines.reserve(static_cast<std::size_t>(spanLast - spanFirst + 1));
    for (std::size_t n = 0; n < order.size(); ++n) {
        if (n > 0)
            for (int i = all[n - 1].EndLine + 1; i < all[n].MovesFrom; ++i) objectLines.push_back(lines[i]);
        const ProgramObject& o = all[order[n]];
        for (int i = o.MovesFrom; i <= o.EndLine; ++i) objectLines.push_back(lines[i]);
    }
    if (scratchFolder) {
        const std::string path = *scratchFolder + "/" + kTempFile;
        ObjectSortResult r;
        r.file = WriteScratchFile(path, JoinLines(objectLines, LineEnd::LF, true));
        std::string bytes;
        if (r.file.ok) r.file = ReadFileBytes(path, bytes);
        if (!r.file.ok) {
            lines = original;
            return r;
        }
        objectLines = SplitLines(bytes);
        objectLines.resize(static_cast<std::size_t>(spanLast - spanFirst + 1));
    }
    for (std::size_t n = 0; n < objectLines.size(); ++n) lines[spanFirst + n] = std::move(objectLines[n]);
    return {FileStatus{}, lines != original};
}

// Sets `MovesFrom` of every object (see FindObjects).
void markMoves(const std::vector<std::string>& lines, std::vector<ProgramObject>& objects, const AxisCodes& codes) {
    const std::string& kerfLeft = codes.Code(LabelRow::KerfCompLeft);
    const std::string& kerfRight = codes.Code(LabelRow::KerfCompRight);
    auto kerf = [&](const std::string& l) {
        return (!kerfLeft.empty() && HasCode(l, kerfLeft)) || (!kerfRight.empty() && HasCode(l, kerfRight));
    };
    auto leadStart = [&](std::size_t k) { return k == 0 ? 0 : objects[k - 1].EndLine + 1; };
    // Each object's own kerf line: the last one between the previous object
    // and its Begin Block line.
    std::vector<int> own(objects.size(), -1);
    for (std::size_t k = 0; k < objects.size(); ++k)
        for (int i = objects[k].BeginLine - 1; i >= leadStart(k) && own[k] < 0; --i)
            if (kerf(lines[i])) own[k] = i;
    const bool everyOwn = std::none_of(own.begin(), own.end(), [](int i) { return i < 0; });
    SplitLine w;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        ProgramObject& o = objects[k];
        if (!everyOwn) {
            o.MovesFrom = k == 0 ? o.FirstLine : leadStart(k);
            continue;
        }
        // Its approach: moves (no M word: not a spindle or cut switch) and
        // lines of comments only (a part's name) right before it.
        int first = own[k];
        CodeToken t;
        while (first > leadStart(k)) {
            const std::string& l = lines[first - 1];
            if (NextCodeToken(l, 0, t)) {
                SplitWords(l, codes.letters, w);
                if ((w.X.empty() && w.Y.empty() && w.Z.empty()) || !w.M.empty()) break;
            }
            --first;
        }
        o.MovesFrom = first;
    }
}

// The program compressed as the sorts begin, with the codes in force.
void compress(std::vector<std::string>& lines, Interpreter& interp, Host& host) {
    interp.Setaxis();
    RemoveDup(0, lines, interp.Codes(), &host);
}

}  // namespace

int ObjectFirstLine(const std::vector<std::string>& lines, int beginLine, const AxisCodes& codes) {
    const std::string& endBlock = codes.Code(LabelRow::EndBlock);
    const std::string& kerfLeft = codes.Code(LabelRow::KerfCompLeft);
    const std::string& kerfRight = codes.Code(LabelRow::KerfCompRight);
    for (int i = beginLine - 1; i >= 0; --i) {
        const std::string& l = lines[i];
        if (HasCode(l, endBlock) || HasCode(l, kerfLeft) || HasCode(l, kerfRight)) return i + 1;
    }
    // No boundary before the first path: its approach moves go with it.
    const Letters& L = codes.letters;
    const WordReader position{L.X, L.Y, L.Z};
    int first = beginLine;
    while (first > 0) {
        WordRead w[3];
        position.Read(lines[first - 1], w);
        if (!w[0].found && !w[1].found && !w[2].found) break;
        --first;
    }
    return first;
}

std::vector<ProgramObject> FindObjects(const std::vector<std::string>& lines, Interpreter& interp, Host& host) {
    std::vector<ObjectRecord> log;
    {
        LogScope scope(interp, log);
        VectorLines text(lines);
        interp.MainLineCount = static_cast<int>(lines.size());
        interp.PlotAll(text, false, true, 0, 0, host);
    }
    std::vector<ProgramObject> objects;
    objects.reserve(log.size());
    for (const ObjectRecord& r : log)
        objects.push_back(
            {r.Length, ObjectFirstLine(lines, r.StartLine, interp.Codes()), r.StartLine, r.EndLine, r.Size, 0});
    markMoves(lines, objects, interp.Codes());
    return objects;
}

ObjectSortResult SortObjects(std::vector<std::string>& lines, ObjectOrder order, Interpreter& interp, Host& host,
                             const std::string& scratchFolder) {
    const std::vector<std::string> original = lines;
    compress(lines, interp, host);
    const std::vector<ProgramObject> objects = FindObjects(lines, interp, host);
    std::vector<std::size_t> sequence(objects.size());
    for (std::size_t k = 0; k < sequence.size(); ++k) sequence[k] = k;
    // Stable: equal sizes keep program order.
    if (order == ObjectOrder::Ascending)
        std::stable_sort(sequence.begin(), sequence.end(),
                         [&](std::size_t a, std::size_t b) { return objects[a].Size < objects[b].Size; });
    else
        std::stable_sort(sequence.begin(), sequence.end(),
                         [&](std::size_t a, std::size_t b) { return objects[a].Size > objects[b].Size; });
    return reorderInSpan(lines, original, objects, sequence, &scratchFolder);
}

ObjectSortResult LargestObjectToBottom(std::vector<std::string>& lines, Interpreter& interp, Host& host) {
    const std::vector<std::string> original = lines;
    compress(lines, interp, host);
    const std::vector<ProgramObject> objects = FindObjects(lines, interp, host);
    std::size_t largest = objects.size();
    double size = 0.0;
    for (std::size_t k = 0; k < objects.size(); ++k)
        if (objects[k].Size > size) {
            size = objects[k].Size;
            largest = k;
        }
    std::vector<std::size_t> sequence;
    for (std::size_t k = 0; k < objects.size(); ++k)
        if (k != largest) sequence.push_back(k);
    if (largest < objects.size()) sequence.push_back(largest);
    return reorderInSpan(lines, original, objects, sequence, nullptr);
}

bool MoveStartForward(std::vector<std::string>& lines, int selStartLine, int count, const Letters& letters,
                      Host& host) {
    const int n = static_cast<int>(lines.size());
    const int first = selStartLine + 1;
    const int k = std::min(count, n - first);
    const bool fits = first >= 0 && k >= 2;
    if (!fits || !(HasCode(lines[first], letters.X) || (HasCode(lines[first], letters.Y) && k >= 3))) {
        host.Message(kMoveStartMessage);
        return false;
    }
    const std::string l1 = lines[first], l2 = lines[first + 1];
    const SplitLine w = SplitWords(l2, letters);
    // L2 keeps its own G word: without it, it would run in L1's motion mode
    // (the approach's rapid, with the torch on).
    lines[first + 1] = w.G + w.M + w.X + w.Y + w.Z + w.rest;
    const auto after = lines.begin() + first + k;
    lines.insert(after, {l1, l2});
    lines.erase(lines.begin() + first);
    return true;
}

}  // namespace tolva
