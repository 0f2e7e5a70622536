#include "plot/modifiers.h"

#include <array>
#include <cmath>

#include "settings/machine_settings.h"
#include "text/code_edit.h"
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

struct P3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

// The plane arcs are cut in, by the label table's plane codes; the names are
// the letters in force, so a lathe's working plane is its "XY" plane.
enum class Plane { XY, XZ, YZ };

// One run of a mode over the lines, holding what carries from line to line:
// the distance mode, the plane, the source's position and centre, and the
// position the rewritten program has reached. A word left out of a line
// keeps its modal value; the pass writes it whenever the transform moves
// that value, so every move of the result is the transform of the source's.
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
        slide_ = std::string_view("87462913").find(mode) != std::string_view::npos;
    }

    enum class Outcome { Written, Refused };

    // Whether some line was converted (the conversions) or lay in an
    // incremental stretch.
    bool converted() const { return converted_; }

    // Rebuilds `line` (line `k` of the program) into `out`.
    Outcome Line(std::size_t k, const std::string& line, std::string& out, ModifierResult& r, Host& host) {
        text_ = line;
        const bool hasAbs = HasCode(text_, absolute_);
        const bool hasInc = HasCode(text_, incremental_);
        if (hasAbs || hasInc) explicitMode_ = true;
        if (hasAbs) absMode_ = true;
        if (hasInc) absMode_ = false;
        if (HasCode(text_, codes_.Code(LabelRow::XYPlane))) plane_ = Plane::XY;
        if (HasCode(text_, codes_.Code(LabelRow::XZPlane))) plane_ = Plane::XZ;
        if (HasCode(text_, codes_.Code(LabelRow::YZPlane))) plane_ = Plane::YZ;

        SplitWords(text_, letters_, w_);
        readValues(k, r, host);
        if (!r.message.empty()) return Outcome::Refused;
        const bool anyCentre = has_[3] || has_[4] || has_[5];
        // The arc's plane: that of its two centre words, else the plane code
        // in force (an arc by radius, or by one centre word).
        Plane arcPlane = plane_;
        if (has_[3] && has_[5] && !has_[4]) arcPlane = Plane::XZ;
        if (has_[4] && has_[5] && !has_[3]) arcPlane = Plane::YZ;
        if (has_[3] && has_[4] && !has_[5]) arcPlane = Plane::XY;

        // A mirror turns arcs in the planes it crosses the other way round,
        // and puts the compensation on the other side.
        const bool flip = mode_ == Modifier::Flip, flop = mode_ == Modifier::Flop;
        bool exchanged = false;
        if ((flip && arcPlane != Plane::XZ) || (flop && arcPlane != Plane::YZ))
            exchanged |= ExchangeWholeCodes(text_, codes_.Code(LabelRow::ArcCw), codes_.Code(LabelRow::ArcCcw));
        if (flip || flop) {
            const std::string& left = codes_.Code(LabelRow::KerfCompLeft);
            const std::string& right = codes_.Code(LabelRow::KerfCompRight);
            // A kerf code written without the table's further words ("G41"
            // where the table writes "G41D01") names its side all the same.
            exchanged |= ExchangeWholeCodes(text_, left, right) ||
                         ExchangeWholeCodes(text_, FirstWordOfCode(left), FirstWordOfCode(right));
        }
        if (exchanged) SplitWords(text_, letters_, w_);

        if (mode_ == Modifier::Spin && arcPlane != Plane::XY && std::remainder(s_.amount, 360.0) != 0.0 &&
            (anyCentre || has_[6] || HasCode(text_, codes_.Code(LabelRow::ArcCw)) ||
             HasCode(text_, codes_.Code(LabelRow::ArcCcw))))
            return refuse(r, host, lineName(k) + " is an arc outside the XY plane; a spin about Z would take it out of "
                                                 "its plane. Nothing was changed.");

        const P3 p{v_[0], v_[1], v_[2]};  // as written: absolute point or increment
        const P3 c{v_[3], v_[4], v_[5]};  // as written: centre or offset
        write_.fill(false);
        for (int n = 0; n < 7; ++n) write_[n] = has_[n];
        P3 np = p, nc = c;
        double nr = v_[6];

        if (mode_ == Modifier::ToIncremental || mode_ == Modifier::ToAbsolute) {
            const bool convert = mode_ == Modifier::ToIncremental ? absMode_ : !absMode_;
            if (!convert) {
                advance(p, c);
                out = line;
                return Outcome::Written;
            }
            const P3 start = pos_;
            advance(p, c);
            const bool anyPoint = has_[0] || has_[1] || has_[2];
            if (mode_ == Modifier::ToIncremental) {
                if (hasAbs) ReplaceWholeCode(text_, absolute_, incremental_);
                // Absolute centres become offsets: the control's absolute-centre
                // mode (the Absolute code's ".1" form, as LinuxCNC's G90.1) with them.
                if (!s_.bridgeport) ReplaceWholeCode(text_, absolute_ + ".1", incremental_ + ".1");
                np = {pos_.x - start.x, pos_.y - start.y, pos_.z - start.z};
                if (!s_.bridgeport) {
                    nc = {centre_.x - start.x, centre_.y - start.y, centre_.z - start.z};
                    if (anyCentre) write_[3] = write_[4] = true;
                }
                if (!explicitMode_ && (anyPoint || anyCentre)) {
                    if (incremental_.empty())
                        return refuse(r, host, lineName(k) + " would need the Incremental code, and the machine "
                                                             "file has none. Nothing was changed.");
                    text_ = incremental_ + " " + text_;
                    explicitMode_ = true;
                }
            } else {
                if (hasInc) ReplaceWholeCode(text_, incremental_, absolute_);
                if (!s_.bridgeport) ReplaceWholeCode(text_, incremental_ + ".1", absolute_ + ".1");
                np = pos_;
                if (!s_.bridgeport) {
                    nc = centre_;
                    if (anyCentre) write_[3] = write_[4] = true;
                }
            }
            if (hasInc || hasAbs || anyPoint || anyCentre) converted_ = true;
            SplitWords(text_, letters_, w_);
            return keepUnchanged(line, build(k, np, nc, nr, out, r, host), out);
        }

        if (!absMode_) {
            converted_ = true;
            if (slide_) {
                // An increment is the same after a slide; but an increment
                // from a point no absolute word has set starts at the origin,
                // which a slide cannot move.
                if (((has_[0] && v_[0] != 0.0 && !anchoredX_) || (has_[1] && v_[1] != 0.0 && !anchoredY_)))
                    return refuse(r, host, lineName(k) + " moves incrementally from a point the program has not "
                                                         "set; a slide cannot move it. Nothing was changed.");
                advance(p, c);
                made_ = {made_.x + p.x, made_.y + p.y, made_.z + p.z};
                out = line;
                return Outcome::Written;
            }
            // Increments and centre offsets are vectors.
            np = vec(p);
            nc = vec(c);
            for (int n = 0; n < 6; ++n) {
                const double nv = n < 3 ? (&np.x)[n] : (&nc.x)[n - 3];
                if (!has_[n] && differs(nv, 0.0)) write_[n] = true;
            }
            advance(p, c);
            made_ = {made_.x + np.x, made_.y + np.y, made_.z + np.z};
        } else {
            const P3 abs{has_[0] ? v_[0] : pos_.x, has_[1] ? v_[1] : pos_.y, has_[2] ? v_[2] : pos_.z};
            np = point(abs);
            // A move: the result's modal values are where the result stands
            // now. A line without an axis word moves nothing and gains none.
            const bool move = has_[0] || has_[1] || has_[2];
            const double before[] = {made_.x, made_.y, made_.z};
            for (int n = 0; n < 3; ++n)
                if (move && !has_[n] && differs((&np.x)[n], before[n])) write_[n] = true;
            if (s_.bridgeport) {
                nc = vec(c);
                for (int n = 0; n < 3; ++n)
                    if (anyCentre && !has_[n + 3] && differs((&nc.x)[n], 0.0)) write_[n + 3] = true;
            } else {
                const P3 full{has_[3] ? v_[3] : centre_.x, has_[4] ? v_[4] : centre_.y, has_[5] ? v_[5] : centre_.z};
                nc = point(full);
                const P3 madeCentre = point(centre_);
                for (int n = 0; n < 3; ++n)
                    if (anyCentre && !has_[n + 3] && differs((&nc.x)[n], (&madeCentre.x)[n])) write_[n + 3] = true;
            }
            if (has_[0]) anchoredX_ = true;
            if (has_[1]) anchoredY_ = true;
            advance(abs, c);
            if (move) made_ = np;
        }
        if (mode_ == Modifier::Size) nr *= s_.factor;
        return keepUnchanged(line, build(k, np, nc, nr, out, r, host), out);
    }

private:
    Outcome refuse(ModifierResult& r, Host& host, std::string message) {
        r.message = std::move(message);
        host.Message(r.message);
        return Outcome::Refused;
    }

    // The words of the split line: X Y Z I J K R, present or not; a missing
    // one reads 0 here (its modal value is the pass's business).
    void readValues(std::size_t k, ModifierResult& r, Host& host) {
        const std::string* words[] = {&w_.X, &w_.Y, &w_.Z, &w_.I, &w_.J, &w_.K, &w_.R};
        const std::string* letters[] = {&letters_.X, &letters_.Y, &letters_.Z, &letters_.I,
                                        &letters_.J, &letters_.K, &letters_.R};
        for (int n = 0; n < 7; ++n) {
            has_[n] = !words[n]->empty();
            v_[n] = 0.0;
            if (!has_[n]) continue;
            if (readWord(*words[n], *letters[n], v_[n]) == Read::OutOfRange) {
                refuse(r, host, lineName(k) + ": the number of \"" + StripChar('R', ' ', *words[n]) +
                                    "\" is out of range. Nothing was changed.");
                return;
            }
        }
    }

    // The source's position and centre after this line (`p`, `c` as
    // written, in the distance mode in force).
    void advance(const P3& p, const P3& c) {
        const P3 start = pos_;
        if (absMode_) {
            if (has_[0]) pos_.x = p.x;
            if (has_[1]) pos_.y = p.y;
            if (has_[2]) pos_.z = p.z;
        } else {
            pos_ = {pos_.x + p.x, pos_.y + p.y, pos_.z + p.z};
        }
        // An absolute centre not written is the previous line's; an offset
        // not written is 0.
        const bool offsets = !absMode_ || s_.bridgeport;
        if (offsets) {
            centre_ = {start.x + c.x, start.y + c.y, start.z + c.z};
        } else {
            if (has_[3]) centre_.x = c.x;
            if (has_[4]) centre_.y = c.y;
            if (has_[5]) centre_.z = c.z;
        }
    }

    P3 point(P3 p) const {
        switch (mode_) {
            case Modifier::Spin: {
                double i = 0.0, j = 0.0;
                RotateZ(theta_, p.x, p.y, i, j);
                return p;
            }
            case Modifier::Flip: return {p.x, -p.y, p.z};
            case Modifier::Flop: return {-p.x, p.y, p.z};
            case Modifier::Size: return {p.x * s_.factor, p.y * s_.factor, p.z * s_.factor};
            default: return {p.x + dx_, p.y + dy_, p.z};
        }
    }
    P3 vec(P3 v) const { return slide_ ? v : point(v); }

    // Whether two values are written differently.
    bool differs(double a, double b) {
        a_.clear();
        b_.clear();
        AppendProgramNumber(a_, a, s_.decimals);
        AppendProgramNumber(b_, b, s_.decimals);
        return a_ != b_;
    }

    // A line whose rebuilt form differs from it in blanks only (nothing
    // was rewritten) stays as it was written.
    static Outcome keepUnchanged(const std::string& line, Outcome o, std::string& out) {
        if (o != Outcome::Written || out == line) return o;
        std::size_t i = 0, j = 0;
        for (;; ++i, ++j) {
            while (i < out.size() && IsBlankChar(out[i])) ++i;
            while (j < line.size() && IsBlankChar(line[j])) ++j;
            if (i == out.size() || j == line.size() || out[i] != line[j]) break;
        }
        if (i == out.size() && j == line.size()) out = line;
        return o;
    }

    // G M X, then " " and each further word to write, then " " rest.
    Outcome build(std::size_t k, const P3& np, const P3& nc, double nr, std::string& out, ModifierResult& r,
                  Host& host) {
        out.clear();
        out.append(w_.G).append(w_.M);
        const double values[] = {np.x, np.y, np.z, nc.x, nc.y, nc.z, nr};
        const std::string* orderLetters[] = {&letters_.X, &letters_.Y, &letters_.Z, &letters_.I,
                                             &letters_.J, &letters_.K, &letters_.R};
        for (int n = 0; n < 7; ++n) {
            if (!write_[n]) continue;
            if (orderLetters[n]->empty())
                return refuse(r, host, lineName(k) + " needs a word the machine file has no letter for. "
                                                     "Nothing was changed.");
            if (!std::isfinite(values[n]))
                return refuse(r, host, lineName(k) + ": a result is too large to write. Nothing was changed.");
            // No blank begins a line: a control takes "%" only in column 1.
            if (n > 0 && !out.empty()) out.push_back(' ');
            out.append(*orderLetters[n]);
            AppendProgramNumber(out, values[n], s_.decimals);
        }
        if (!w_.rest.empty()) {
            if (!out.empty()) out.push_back(' ');
            out.append(w_.rest);
        }
        if (s_.swapXY) {
            OrderWordsMLast(out, letters_, ordered_);
            out.swap(ordered_);
        }
        return Outcome::Written;
    }

    char mode_;
    const AxisCodes& codes_;
    const ModifierSettings& s_;
    const Letters& letters_;
    const std::string& absolute_;
    const std::string& incremental_;
    double dx_ = 0.0, dy_ = 0.0;  // the slide, program units
    double theta_ = 0.0;          // the spin, radians
    bool slide_ = false;
    bool absMode_ = true;
    bool explicitMode_ = false;  // a distance code has been seen
    bool converted_ = false;
    bool anchoredX_ = false, anchoredY_ = false;  // an absolute X / Y has been read
    Plane plane_ = Plane::XY;
    P3 pos_;      // the source's position
    P3 centre_;   // the source's last arc centre, absolute
    P3 made_;     // the result's position
    std::array<bool, 7> has_{}, write_{};
    std::array<double, 7> v_{};
    std::string text_, a_, b_;
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
    s.diameterX = settings.Flag("Xdiv2");
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

    // A turn that mixes diameters with lengths does not turn the part.
    if (mode == Modifier::Spin && settings.diameterX && std::remainder(settings.amount, 180.0) != 0.0) {
        r.refused = true;
        r.message = "X words are diameters (X div 2): a spin would not turn the part. Nothing was changed.";
        host.Message(r.message);
        return r;
    }
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
    if ((mode == Modifier::ToAbsolute || mode == Modifier::ToIncremental) && !pass.converted()) {
        r.refused = true;
        r.message = mode == Modifier::ToAbsolute ? kAlreadyAbsoluteText : kAlreadyIncrementalText;
        host.Message(r.message);
        return r;
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
    RemoveNumbers(work, codes.letters.N);
    ModifierResult r = SLIDE2(Modifier::ToAbsolute, work, codes, settings, host);
    if (r.refused) return r;
    r.changed = work != lines;
    if (r.changed) lines.swap(work);
    return r;
}

}  // namespace tolva
