#include "plot/object_sort.h"

#include <algorithm>

#include "plot/program_lines.h"
#include "text/compress.h"
#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
namespace {

constexpr char kTempFile[] = "Temp.$$$";
// The smallest-object record starts at this size, so a larger object is never
// the smallest.
constexpr float kNoSmallest = 2147483648.0f;

// Sets the interpreter's object log for one plot and always takes it back.
struct LogScope {
    Interpreter& interp;
    LogScope(Interpreter& i, std::vector<ObjectRecord>& log) : interp(i) { interp.ObjectLog = &log; }
    ~LogScope() { interp.ObjectLog = nullptr; }
};

// `lines` with the lines of `objects` (disjoint, in any order) taken out and
// put behind the rest in that order. With `scratchFolder`, the moved lines go
// through the scratch file first. The last line stays last unless it belongs
// to an object of `all` (every object of the program): an object is never
// split.
ObjectSortResult moveBehind(std::vector<std::string>& lines, const std::vector<std::string>& original,
                            const std::vector<ProgramObject>& objects, const std::vector<ProgramObject>& all,
                            const std::string* scratchFolder) {
    const int n = static_cast<int>(lines.size());
    std::vector<char> moved(lines.size(), 0);
    std::vector<std::string> objectLines;
    for (const ProgramObject& o : objects)
        for (int i = o.FirstLine; i <= o.EndLine; ++i) {
            moved[i] = 1;
            objectLines.push_back(lines[i]);
        }
    std::vector<std::string> out;
    out.reserve(lines.size() + 1);
    for (int i = 0; i < n; ++i)
        if (!moved[i]) out.push_back(std::move(lines[i]));
    const bool keepLast = n > 0 && std::none_of(all.begin(), all.end(), [n](const ProgramObject& o) {
                              return o.FirstLine <= n - 1 && n - 1 <= o.EndLine;
                          });
    std::string last;
    if (keepLast) {
        last = std::move(out.back());
        out.pop_back();
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
        // An empty scratch file reads as one empty line.
        if (objectLines.empty()) objectLines.emplace_back();
    }
    for (std::string& l : objectLines) out.push_back(std::move(l));
    if (keepLast) out.push_back(std::move(last));
    lines = std::move(out);
    return {FileStatus{}, lines != original};
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
        objects.push_back({r.Length, ObjectFirstLine(lines, r.StartLine, interp.Codes()), r.StartLine, r.EndLine});
    return objects;
}

ObjectSortResult SortObjects(std::vector<std::string>& lines, ObjectOrder order, Interpreter& interp, Host& host,
                             const std::string& scratchFolder) {
    const std::vector<std::string> original = lines;
    compress(lines, interp, host);
    std::vector<ProgramObject> objects = FindObjects(lines, interp, host);

    // The re-plot per object takes, each time, the first object of the
    // smallest (largest) size left: a stable sort gives the same order.
    std::vector<ProgramObject> picks;
    for (const ProgramObject& o : objects)
        if (order == ObjectOrder::Ascending ? o.Length < kNoSmallest : o.Length > 0.0f) picks.push_back(o);
    if (order == ObjectOrder::Ascending)
        std::stable_sort(picks.begin(), picks.end(),
                         [](const ProgramObject& a, const ProgramObject& b) { return a.Length < b.Length; });
    else
        std::stable_sort(picks.begin(), picks.end(),
                         [](const ProgramObject& a, const ProgramObject& b) { return a.Length > b.Length; });
    // An object ending on line 0 moves, but its end line reads as "no object
    // left": the moving stops after it.
    const auto stop = std::find_if(picks.begin(), picks.end(), [](const ProgramObject& o) { return o.EndLine == 0; });
    if (stop != picks.end()) picks.erase(stop + 1, picks.end());
    return moveBehind(lines, original, picks, objects, &scratchFolder);
}

ObjectSortResult LargestObjectToBottom(std::vector<std::string>& lines, Interpreter& interp, Host& host) {
    const std::vector<std::string> original = lines;
    compress(lines, interp, host);
    const std::vector<ProgramObject> objects = FindObjects(lines, interp, host);
    const ProgramObject* largest = nullptr;
    float size = 0.0f;
    for (const ProgramObject& o : objects)
        if (o.Length > size) {
            size = o.Length;
            largest = &o;
        }
    std::vector<ProgramObject> picks;
    if (largest) picks.push_back(*largest);
    return moveBehind(lines, original, picks, objects, nullptr);
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
    lines[first + 1] = w.M + w.X + w.Y + w.Z + w.rest;
    const auto after = lines.begin() + first + k;
    lines.insert(after, {l1, l2});
    lines.erase(lines.begin() + first);
    return true;
}

}  // namespace tolva
