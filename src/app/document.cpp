#include "app/document.h"

#include <cmath>

#include "text/number_format.h"

namespace tolva {

namespace {

struct ExtentsPass {
    Extents e;
    void add(std::string_view l, const Letters& letters) {
        // A word too large for a float counts 0, as it is absent in the plot.
        float x = WordValue(letters.X, l).value;
        float y = WordValue(letters.Y, l).value;
        if (!std::isfinite(x)) x = 0;
        if (!std::isfinite(y)) y = 0;
        if (x > e.maxX) e.maxX = x;
        if (x < e.minX) e.minX = x;
        if (y > e.maxY) e.maxY = y;
        if (y < e.minY) e.minY = y;
    }
    Extents done() {
        e.xSize = std::fabs(e.maxX) + std::fabs(e.minX);
        e.ySize = std::fabs(e.maxY) + std::fabs(e.minY);
        return e;
    }
};

}  // namespace

Extents MeasureExtents(const std::vector<std::string>& lines, const Letters& letters) {
    ExtentsPass pass;
    for (const auto& line : lines) pass.add(line, letters);
    return pass.done();
}

Extents MeasureExtents(std::string_view text, const Letters& letters) {
    ExtentsPass pass;
    std::size_t start = 0, n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c != '\n' && c != '\r') continue;
        pass.add(text.substr(start, i - start), letters);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) pass.add(text.substr(start), letters);
    return pass.done();
}

long long ScaleForExtents(const Extents& e, int widthPixels) {
    if (!(e.xSize > 0 || e.ySize > 0)) return 0;
    const long double size = e.xSize > e.ySize ? e.xSize : e.ySize;
    const long double scale = static_cast<long double>(widthPixels) / size * 500.0L;
    // The View Scale field holds 1 to 999999: a huge program gets the
    // smallest scale, a tiny one the largest.
    if (!(scale >= 1.0L)) return kViewScaleMin;
    if (scale > kViewScaleMax) return kViewScaleMax;
    return RoundHalfEven(scale);
}

BlockPosition ShowLineNumText(int first, int last, int column) {
    BlockPosition b;
    int count = last - first + 1;
    b.selStartLine = first - 1;
    b.selLineCount = count;
    b.text = "  Pos [" + std::to_string(first + 1) + ":" + std::to_string(column + 1) + "]   " +
             "Sel : [" + std::to_string(count) + "]   ";
    return b;
}

std::vector<std::string> PrintHeaderLines(int lineIndex, const std::string& date, const std::string& time,
                                          const std::string& file) {
    return {" ",
            "           Page : " + std::to_string(lineIndex / 50 + 1),
            " ",
            "           Date : " + date + "    Time : " + time + "    File : " + file,
            " "};
}

std::string FileNameTooLongMessage(const std::string& name) {
    return "The file name is longer than " + std::to_string(kMaxFileName) +
           " characters; choose a shorter name or folder:\n" + name;
}

FileStatus LoadProgramBytes(const std::string& path, std::string& bytes, std::string* warning) {
    FileStatus st = ReadFileBytes(path, bytes);
    if (!st.ok) return st;
    TextCheck check = CheckText(bytes);
    if (check.binary) {
        const std::size_t counted = bytes.size() - check.nulBytes;
        bytes.clear();
        if (counted == 0)
            return FileStatus::Fail("\"" + BaseName(path) + "\" holds nothing but NUL bytes (" +
                                    std::to_string(check.nulBytes) + "); it was not opened.");
        return FileStatus::Fail("\"" + BaseName(path) + "\" is not a text program: " +
                                std::to_string(check.controlBytes) + " of its " + std::to_string(counted) +
                                " bytes other than NUL are control codes; it was not opened.");
    }
    if (check.longestLine > kMaxEditorLine) {
        bytes.clear();
        return FileStatus::Fail("\"" + BaseName(path) + "\" has a line of " + std::to_string(check.longestLine) +
                                " characters; a program line may have at most " + std::to_string(kMaxEditorLine) +
                                ". It was not opened.");
    }
    if (warning) {
        warning->clear();
        if (check.nulBytes)
            *warning = "\"" + BaseName(path) + "\" holds " + std::to_string(check.nulBytes) +
                       " NUL byte(s); they are kept as they are.";
        if (check.longestLine > kMaxLine) {
            if (!warning->empty()) *warning += "\n";
            *warning += "\"" + BaseName(path) + "\" has lines of up to " + std::to_string(check.longestLine) +
                        " characters; Translate and the ASCII editor use a line's first 255.";
        }
    }
    return {};
}

FileStatus LoadProgramFile(const std::string& path, ProgramFile& out, std::string* warning) {
    out = ProgramFile{};
    std::string bytes;
    FileStatus st = LoadProgramBytes(path, bytes, warning);
    if (!st.ok) return st;
    out.style = DetectLineEnd(bytes);
    out.lines = SplitLines(bytes, &out.finalEnd);
    return {};
}

namespace {
template <class Order>
void orderAllLines(std::vector<std::string>& lines, Order order) {
    std::string out;
    for (auto& line : lines) {
        order(line, out);
        line.swap(out);
    }
}
}  // namespace

void OrderAllLinesMFirst(std::vector<std::string>& lines, const Letters& letters) {
    orderAllLines(lines, [&](const std::string& line, std::string& out) { OrderWordsMFirst(line, letters, out); });
}

void OrderAllLinesMLast(std::vector<std::string>& lines, const Letters& letters) {
    orderAllLines(lines, [&](const std::string& line, std::string& out) { OrderWordsMLast(line, letters, out); });
}

}  // namespace tolva
