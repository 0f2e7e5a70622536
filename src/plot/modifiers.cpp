#include "plot/modifiers.h"

#include <cmath>

#include "settings/machine_settings.h"
#include "text/compress.h"
#include "text/label_code.h"
#include "text/line_edits.h"
#include "text/number_format.h"

namespace tolva {
namespace {

// Radians per degree, as the spin has always used.
constexpr double kDegree = 0.01745329252;

// Progress and event processing every this many lines.
constexpr std::size_t kProgressStep = 16384;

// One coordinate word of a line: whether the line has it, and its value.
struct Coord {
    bool present = false;
    double value = 0.0;
};

enum class Read { Ok, Unreadable, OutOfRange };

// The number of `word` (letter, number, one blank, as SplitWords gives it).
Read readWord(const std::string& word, const std::string& letter, double& out) {
    if (word.empty()) return Read::Unreadable;
    std::string_view text(word);
    text.remove_prefix(letter.size() < text.size() ? letter.size() : text.size());
    double v = 0.0;
    if (!ReadNumberText(text, v)) return Read::Unreadable;
    if (!std::isfinite(v)) return Read::OutOfRange;
    out = v;
    return Read::Ok;
}

std::string lineName(std::size_t k) { return "Line " + std::to_string(k + 1); }

// One run of a mode over the lines, holding what carries from line to line:
// the distance mode, the previous point and centre, the conversions' point.
class Pass {
public:
    Pass(char mode, const AxisCodes& codes, const ModifierSettings& s)
        : mode_(mode), codes_(codes), s_(s), letters_(codes.letters),
          absolute_(codes.Code(LabelRow::Absolute)), incremental_(codes.Code(LabelRow::Incremental)) {
        const double d = s.amount;
        const double xs = codes.xSign, ys = codes.ySign;
        switch (mode) {
            case Modifier::Up: dx_ = -d * xs; break;
            case Modifier::Down: dx_ = d * xs; break;
            case Modifier::Left: dy_ = -d * ys; break;
            case Modifier::Right: dy_ = d * ys; break;
            case Modifier::UpLeft: dx_ = -d * xs, dy_ = -d * ys; break;
            case Modifier::UpRight: dx_ = -d * xs, dy_ = d * ys; break;
            case Modifier::DownLeft: dx_ = d * xs, dy_ = -d * ys; break;
            case Modifier::DownRight: dx_ = d * xs, dy_ = d * ys; break;
            default: break;
        }
        theta_ = d * kDegree;
    }

    enum class Outcome { Written, Refused, Stopped };

    // Rebuilds `line` (line `k` of the program) into `out`.
    Outcome Line(std::size_t k, const std::string& line, std::string& out, ModifierResult& r, Host& host) {
        if (line.size() > kMaxLine) {
            r.message = lineName(k) + " has " + std::to_string(line.size()) +
                        " characters; the modifiers rewrite lines of at most " + std::to_string(kMaxLine) +
                        ". Nothing was changed.";
            host.Message(r.message);
            return Outcome::Refused;
        }
        const bool hasAbs = HasCode(line, absolute_);
        const bool hasInc = HasCode(line, incremental_);
        if (hasAbs) absMode_ = true;
        if (hasInc) absMode_ = false;
        if (!absMode_ && mode_ != Modifier::ToAbsolute) {
            IncMessageErr(host);
            r.message = kIncMessageErrText;
            return Outcome::Refused;
        }
        SplitWords(line, letters_, w_);

        // Values as read; a missing or unreadable X, Y, Z is the previous
        // point's, a missing R 0, a missing I, J, K the previous line's.
        Coord x, y, z, i, j, k3, rr;
        const std::string* words[] = {&w_.X, &w_.Y, &w_.Z, &w_.I, &w_.J, &w_.K, &w_.R};
        const std::string* letters[] = {&letters_.X, &letters_.Y, &letters_.Z, &letters_.I,
                                        &letters_.J, &letters_.K, &letters_.R};
        Coord* coords[] = {&x, &y, &z, &i, &j, &k3, &rr};
        const double fallback[] = {prevX_, prevY_, prevZ_, prevI_, prevJ_, prevK_, 0.0};
        for (int n = 0; n < 7; ++n) {
            Coord& c = *coords[n];
            c.present = !words[n]->empty();
            c.value = fallback[n];
            if (!c.present) continue;
            if (readWord(*words[n], *letters[n], c.value) == Read::OutOfRange) {
                r.message = lineName(k) + ": the number of \"" + StripChar('R', ' ', *words[n]) +
                            "\" is out of range. Nothing was changed.";
                host.Message(r.message);
                return Outcome::Refused;
            }
        }
        prevX_ = x.value, prevY_ = y.value, prevZ_ = z.value;
        prevI_ = i.value, prevJ_ = j.value, prevK_ = k3.value;

        std::string g = w_.G;
        bool forceX = false, forceY = false, forceI = false, forceJ = false;
        switch (mode_) {
            case Modifier::Spin:
                RotateZ(theta_, x.value, y.value, i.value, j.value);
                break;
            case Modifier::Flip:
                y.value = -y.value;
                j.value = -j.value;
                exchangeCodes(g);
                break;
            case Modifier::Flop:
                x.value = -x.value;
                i.value = -i.value;
                exchangeCodes(g);
                break;
            case Modifier::Size:
                for (Coord* c : coords) c->value *= s_.factor;
                break;
            case Modifier::ToIncremental: {
                if (hasInc) return stop(r, host);
                const double ax = x.value, ay = y.value, az = z.value;
                x.value = ax - runX_;
                y.value = ay - runY_;
                z.value = az - runZ_;
                if (hasAbs) g = incremental_;
                if (!s_.bridgeport) {
                    exchangeArcDistance(g, absolute_, incremental_);
                    i.value -= runX_;
                    j.value -= runY_;
                    k3.value -= runZ_;
                }
                runX_ = ax, runY_ = ay, runZ_ = az;
                break;
            }
            case Modifier::ToAbsolute: {
                if (hasAbs) return stop(r, host);
                // Centres first: they are relative to the start point.
                i.value = i.present ? runX_ + i.value : runX_;
                j.value = j.present ? runY_ + j.value : runY_;
                k3.value = k3.present ? runZ_ + k3.value : runZ_;
                forceJ = i.present;
                forceI = j.present;
                if (s_.bridgeport) {
                    i.value -= runX_;
                    j.value -= runY_;
                    k3.value -= runZ_;
                }
                x.value = x.present ? runX_ + x.value : runX_;
                y.value = y.present ? runY_ + y.value : runY_;
                z.value = z.present ? runZ_ + z.value : runZ_;
                forceY = x.present;
                forceX = y.present;
                runX_ = x.value, runY_ = y.value, runZ_ = z.value;
                if (hasInc) g = absolute_;
                if (!s_.bridgeport) exchangeArcDistance(g, incremental_, absolute_);
                break;
            }
            default:  // the slides
                x.value += dx_;
                y.value += dy_;
                if (!s_.bridgeport) {
                    i.value += dx_;
                    j.value += dy_;
                }
                break;
        }
        x.present |= forceX;
        y.present |= forceY;
        i.present |= forceI;
        j.present |= forceJ;

        // G M X, then " " and each further word present, then " " rest.
        out.clear();
        out.append(g).append(w_.M);
        const Coord* order[] = {&x, &y, &z, &i, &j, &k3, &rr};
        const std::string* orderLetters[] = {&letters_.X, &letters_.Y, &letters_.Z, &letters_.I,
                                             &letters_.J, &letters_.K, &letters_.R};
        for (int n = 0; n < 7; ++n) {
            const Coord& c = *order[n];
            if (!c.present) continue;
            if (!std::isfinite(c.value)) {
                r.message = lineName(k) + ": a result is too large to write. Nothing was changed.";
                host.Message(r.message);
                return Outcome::Refused;
            }
            if (n > 0) out.push_back(' ');
            out.append(*orderLetters[n]);
            AppendProgramNumber(out, c.value, s_.decimals);
        }
        if (!w_.rest.empty()) out.append(1, ' ').append(w_.rest);
        if (out.size() > kMaxLine) out.resize(kMaxLine);
        if (s_.swapXY) {
            OrderWordsMLast(out, letters_, ordered_);
            out.swap(ordered_);
        }
        return Outcome::Written;
    }

private:
    Outcome stop(ModifierResult& r, Host& host) {
        r.stopped = true;
        host.Beep();
        return Outcome::Stopped;
    }

    // The centres change between absolute and relative: so does the mode
    // that says which they are, written as the distance code with ".1"
    // ("G90.1" and "G91.1").
    static void exchangeArcDistance(std::string& g, const std::string& from, const std::string& to) {
        if (from.empty() || to.empty()) return;
        if (const CodeSpan c = FindCodeSpan(g, from + ".1")) g.replace(c.pos, c.end - c.pos, to + ".1");
    }

    // Flip and flop: the arc codes, then the cutter-compensation codes,
    // exchanged in the first G word.
    void exchangeCodes(std::string& g) const {
        auto swapPair = [&](int a, int b) {
            const std::string& ca = codes_.Code(a);
            const std::string& cb = codes_.Code(b);
            if (HasCode(g, ca))
                g = cb + " ";
            else if (HasCode(g, cb))
                g = ca + " ";
        };
        if (g.empty()) return;
        swapPair(LabelRow::ArcCw, LabelRow::ArcCcw);
        swapPair(LabelRow::KerfCompLeft, LabelRow::KerfCompRight);
    }

    char mode_;
    const AxisCodes& codes_;
    const ModifierSettings& s_;
    const Letters& letters_;
    const std::string& absolute_;
    const std::string& incremental_;
    double dx_ = 0.0, dy_ = 0.0;  // the slide, program units
    double theta_ = 0.0;          // the spin, radians
    bool absMode_ = true;
    double prevX_ = 0.0, prevY_ = 0.0, prevZ_ = 0.0, prevI_ = 0.0, prevJ_ = 0.0, prevK_ = 0.0;
    double runX_ = 0.0, runY_ = 0.0, runZ_ = 0.0;  // the conversions' own running point
    SplitLine w_;
    std::string ordered_;
};

}  // namespace

AmountField CorrectAmount(std::string_view text) {
    AmountField f;
    double v = 0.0;
    if (!ReadPlainReal(text, v)) {
        f.value = 1.0;
        f.shown = "1.000";
    } else if (v > 100.0) {
        f.value = 100.0;
        f.shown = "100.0";
    } else {
        f.value = v;
    }
    return f;
}

ModifierSettings ReadModifierSettings(const MachineSettings& settings) {
    ModifierSettings s;
    s.bridgeport = settings.Flag("Bridgeport");
    s.swapXY = settings.Flag("SwapXY");
    double dp = 0.0;
    const std::string& text = settings.Text("DpEdit");
    if (ReadPlainReal(text, dp) && dp == std::floor(dp) && dp >= 0 && dp <= 9 &&
        text.find_first_of(".eE") == std::string::npos)
        s.decimals = static_cast<int>(dp);
    else
        s.decimals = 3;
    return s;
}

void RotateZ(double radians, double& x, double& y, double& i, double& j) {
    const double c = std::cos(radians), s = std::sin(radians);
    const double x1 = x * c - y * s, y1 = x * s + y * c;
    const double i1 = i * c - j * s, j1 = i * s + j * c;
    x = x1, y = y1, i = i1, j = j1;
}

ModifierResult SLIDE2(char mode, std::vector<std::string>& lines, const AxisCodes& codes,
                      const ModifierSettings& settings, Host& host) {
    ModifierResult r;
    if (lines.empty()) return r;
    std::size_t first = 0, last = lines.size() - 1;
    if (settings.selLineCount >= 2) {
        const long long from = settings.selStartLine < 0 ? 0 : settings.selStartLine;
        const long long to = static_cast<long long>(settings.selStartLine) + settings.selLineCount;
        if (from < static_cast<long long>(lines.size())) first = static_cast<std::size_t>(from);
        if (to >= 0 && to < static_cast<long long>(lines.size())) last = static_cast<std::size_t>(to);
    }
    if (first > last) first = last;

    Pass pass(mode, codes, settings);
    const std::string& fileStart = codes.Code(LabelRow::FileStart);
    const std::string& fileEnd = codes.Code(LabelRow::FileEnd);
    // The new lines, committed only when the pass is not refused.
    std::vector<std::string> fresh(last - first + 1);
    std::vector<std::size_t> emptied;  // append mode: File End lines emptied in place
    std::size_t done = first;
    std::size_t nextProgress = kProgressStep;
    const std::size_t total = last - first + 1;
    for (std::size_t k = first; k <= last; ++k) {
        std::string& out = fresh[k - first];
        const Pass::Outcome o = pass.Line(k, lines[k], out, r, host);
        r.lastLine = static_cast<int>(k);
        if (o == Pass::Outcome::Refused) {
            r.refused = true;
            return r;
        }
        if (o == Pass::Outcome::Stopped) break;
        if (settings.appendCopies) {
            if (HasCode(out, fileStart))
                out.clear();
            else if (HasCode(out, fileEnd))
                emptied.push_back(k);
        }
        done = k + 1;
        if (done - first >= nextProgress) {
            nextProgress += kProgressStep;
            host.Progress(static_cast<int>(static_cast<double>(done - first) * 1000.0 / static_cast<double>(total)));
            host.ProcessEvents();
        }
    }
    const std::size_t count = done - first;
    if (settings.appendCopies) {
        for (std::size_t k : emptied) lines[k].clear();
        lines.reserve(lines.size() + count);
        for (std::size_t n = 0; n < count; ++n) lines.push_back(std::move(fresh[n]));
        r.changed = count > 0;
    } else {
        for (std::size_t n = 0; n < count; ++n) {
            if (lines[first + n] != fresh[n]) r.changed = true;
            lines[first + n].swap(fresh[n]);
        }
    }
    return r;
}

ModifierResult ConvertToIncremental(std::vector<std::string>& lines, const AxisCodes& codes,
                                    const ModifierSettings& settings, Host& host) {
    if (ContainsCode(lines, codes.Code(LabelRow::KLetter))) {
        ModifierResult r;
        r.refused = true;
        r.message = kFile3dMessageText;
        host.Message(r.message);
        return r;
    }
    return SLIDE2(Modifier::ToIncremental, lines, codes, settings, host);
}

ModifierResult ConvertToAbsolute(std::vector<std::string>& lines, const AxisCodes& codes,
                                 const ModifierSettings& settings, Host& host) {
    std::vector<std::string> work = lines;
    const bool renumbered = RemoveNumbers(work, codes.letters.N);
    ModifierResult r;
    if (settings.bridgeport) {
        ModifierSettings off = settings;
        off.bridgeport = false;
        r = SLIDE2(Modifier::ToAbsolute, work, codes, off, host);
        if (r.refused) return r;
        const bool changed = r.changed;
        r = SLIDE2(Modifier::ToIncremental, work, codes, off, host);
        if (r.refused) return r;
        r.changed |= changed;
    }
    const bool changed = r.changed || renumbered;
    r = SLIDE2(Modifier::ToAbsolute, work, codes, settings, host);
    if (r.refused) return r;
    r.changed |= changed;
    if (r.changed) lines.swap(work);
    return r;
}

}  // namespace tolva
