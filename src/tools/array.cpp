#include "tools/array.h"

#include <cmath>

#include "text/label_code.h"
#include "text/number_format.h"

namespace tolva {
namespace {

constexpr char kIsoProgramEnd[] = "M02";

// The copies of one step appended to `lines`; false when the slide refused
// (its message already shown). `source` is the program before the step.
bool appendCopies(std::vector<std::string>& lines, const std::vector<std::string>& source, const AxisCodes& codes,
                  ModifierSettings s, const ArrayStep& step, Host& host, std::string& message) {
    s.appendCopies = true;
    s.selStartLine = -1;
    s.selLineCount = 0;  // the whole program
    const std::size_t n = source.size();
    std::vector<std::string> work;
    for (int k = 1; k < step.quantity; ++k) {
        // k times the increment, not a running sum: no drift over 999 copies.
        s.amount = static_cast<double>(k) * step.increment;
        work = source;
        const ModifierResult r = SLIDE2(step.mode, work, codes, s, host);
        if (r.refused) {
            message = r.message;
            return false;
        }
        for (std::size_t i = n; i < work.size(); ++i) lines.push_back(std::move(work[i]));
    }
    return true;
}

}  // namespace

ArrayResult ArrayProgram(std::vector<std::string>& lines, const AxisCodes& codes, const ModifierSettings& settings,
                         const ArraySteps& steps, Host& host) {
    ArrayResult r;
    std::size_t total = lines.size();
    for (const ArrayStep& step : steps) {
        const std::size_t q = step.quantity > 1 ? static_cast<std::size_t>(step.quantity) : 1;
        if (total > kMaxArrayLines / q) {
            r.refused = true;
            r.message = "The array would make more than " + std::to_string(kMaxArrayLines) +
                        " lines. Nothing was changed.";
            host.Message(r.message);
            return r;
        }
        total *= q;
    }

    // The program's tail — what follows its File End line ("%", a closing
    // comment), or without one the File Start lines that close it — stays
    // behind the copies: a control stops at the program end.
    const std::string& fileStart = codes.Code(LabelRow::FileStart);
    const std::string& fileEnd = codes.Code(LabelRow::FileEnd);
    const bool haveEnd = HasCode(fileEnd, fileEnd);  // false for an empty or blank code
    // A program written for another control may end with the ISO program
    // end M02 instead of this machine's File End code: a control stops there
    // too, so it is the program end the copies go before.
    auto isEnd = [&](const std::string& line) {
        return (haveEnd && HasCode(line, fileEnd)) || HasCode(line, kIsoProgramEnd);
    };
    std::size_t body = lines.size();
    std::size_t endLine = lines.size();
    for (std::size_t i = lines.size(); i-- > 0;)
        if (isEnd(lines[i])) {
            endLine = i;
            break;
        }
    if (endLine < lines.size()) {
        body = endLine + 1;
    } else {
        const bool closes = HasCode(fileStart, fileStart);
        while (closes && body > 0 && HasCode(lines[body - 1], fileStart)) --body;
    }

    std::vector<std::string> out(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(body));
    out.reserve(total + 1);
    for (const ArrayStep& step : steps) {
        if (step.quantity <= 1) continue;
        const std::vector<std::string> source = out;
        if (!appendCopies(out, source, codes, settings, step, host, r.message)) {
            r.refused = true;
            return r;
        }
    }

    r.undo.armed = true;
    // Every program end but the last line of the copies is emptied.
    const bool lastHasEnd = !out.empty() && isEnd(out.back());
    const std::size_t keep = lastHasEnd ? out.size() - 1 : out.size();
    for (std::size_t i = 0; i < keep; ++i) {
        if (out[i].empty() || !isEnd(out[i])) continue;
        if (i < body) r.undo.emptied.push_back(i);
        out[i].clear();
    }
    if (haveEnd && !lastHasEnd) out.push_back(fileEnd);
    out.insert(out.end(), lines.begin() + static_cast<std::ptrdiff_t>(body), lines.end());
    r.undo.tail = lines.size() - body;
    r.changed = out != lines;
    lines.swap(out);
    r.undo.before = std::move(out);
    return r;
}

UndoNestOutcome UndoNest(std::vector<std::string>& lines, ArrayUndo& undo, Host& host) {
    if (!undo.armed) return UndoNestOutcome::NothingToUndo;
    const std::vector<std::string>& before = undo.before;
    const std::size_t body = before.size() - undo.tail;
    bool intact = lines.size() >= before.size();
    auto emptied = undo.emptied.begin();
    for (std::size_t i = 0; intact && i < body; ++i) {
        const bool wasEmptied = emptied != undo.emptied.end() && *emptied == i;
        if (wasEmptied) ++emptied;
        intact = wasEmptied ? lines[i].empty() : lines[i] == before[i];
    }
    for (std::size_t i = 0; intact && i < undo.tail; ++i)
        intact = lines[lines.size() - undo.tail + i] == before[body + i];
    if (!intact) {
        host.Message(kUndoNestChangedText);
        return UndoNestOutcome::ProgramChanged;
    }
    lines = std::move(undo.before);
    undo = ArrayUndo{};
    return UndoNestOutcome::Undone;
}

double ArrayFieldValue(const std::string& text, double fallback) {
    double v = 0.0;
    return ReadPlainReal(text, v) ? v : fallback;
}

std::string ArrayFieldText(double value) { return FixedText(value, 3, 10); }

SuggestedIncrements SuggestIncrements(double xSize, double ySize, const std::string& clearanceText) {
    const double clearance = ArrayFieldValue(clearanceText, 0.2);
    return {ArrayFieldText(xSize + clearance), ArrayFieldText(ySize + clearance)};
}

}  // namespace tolva
