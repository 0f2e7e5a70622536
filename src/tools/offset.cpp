#include "tools/offset.h"

#include <algorithm>
#include <cmath>

#include "settings/machine_settings.h"
#include "text/geometry.h"
#include "text/label_code.h"
#include "text/number_format.h"

namespace tolva {
namespace {

// Word slots of ProgramPosition's reader.
enum Word { wX, wY, wZ, wI, wJ, wK, wR, wG };

bool isArcMotion(int m) { return m == kMotionCw || m == kMotionCcw; }

}  // namespace

OffsetSettings ReadOffsetSettings(MachineSettings& settings) {
    OffsetSettings s;
    s.codes = settings.Setaxis();
    s.Bridgeport = settings.Flag("Bridgeport");
    s.SwapXY = settings.Flag("SwapXY");
    double v = 0;
    if (ReadPlainReal(settings.Text("DpEdit"), v) && v == std::trunc(v) && v >= 0 && v <= 18)
        s.decimals = static_cast<int>(v);
    return s;
}

float ReadOffsetValue(std::string_view text, bool& repaired) {
    double v = 0;
    repaired = !ReadPlainReal(text, v) || !std::isfinite(static_cast<float>(v));
    return repaired ? -0.125f : static_cast<float>(v);
}

std::string OffsetReport::Caption() const {
    if (radiusWarning) return "Warning Offset > Arc Radius";
    return anyArc ? " Offsetting" : "";
}

std::string OffsetReport::RefusalText() const {
    std::string text;
    for (const Refusal& r : refused) text += (text.empty() ? "" : "\n") + r.message;
    return text;
}

std::string OffsetReport::MinRadText(int decimals) const {
    return anyArc ? "Min Rad = " + CoordinateText(minRadius, decimals) : "Min Rad = 0";
}

int MotionCodeOf(std::string_view line, const AxisCodes& codes) {
    if (HasCode(line, codes.Code(LabelRow::ArcCcw))) return kMotionCcw;
    if (HasCode(line, codes.Code(LabelRow::ArcCw))) return kMotionCw;
    if (HasCode(line, codes.Code(LabelRow::Line))) return kMotionLine;
    if (HasCode(line, codes.Code(LabelRow::Rapid))) return kMotionRapid;
    return -1;
}

// ------------------------------------------------------------ ProgramPosition

Letters ProgramLetters(const OffsetSettings& s) {
    Letters l = s.codes.letters;
    if (s.SwapXY) {
        std::swap(l.X, l.Y);
        std::swap(l.I, l.J);
    }
    return l;
}

ProgramPosition::ProgramPosition(const OffsetSettings& s)
    : s_(&s), letters_(ProgramLetters(s)),
      reader_{letters_.X, letters_.Y, letters_.Z, letters_.I, letters_.J, letters_.K, letters_.R, "G"} {}

void ProgramPosition::Take(std::string_view line) {
    reader_.Read(line, words_);
    // A number too large for a coordinate is no word at all, as in the plot.
    for (WordRead& w : words_)
        if (w.found && !std::isfinite(w.value)) w = WordRead{};
    motionCode = MotionCodeOf(line, s_->codes);
    if (motionCode >= 0)
        motion = motionCode;
    else if (words_[wG].found && isArcMotion(motion))
        motion = -1;  // any other G word ends arc mode, as the plot reads it
    if (HasCode(line, s_->codes.Code(LabelRow::XYPlane)))
        planeXY = true;
    else if (HasCode(line, s_->codes.Code(LabelRow::XZPlane)) || HasCode(line, s_->codes.Code(LabelRow::YZPlane)))
        planeXY = false;
    if (words_[wX].found) x = words_[wX].value;
    if (words_[wY].found) y = words_[wY].value;
    if (words_[wZ].found) {
        z = words_[wZ].value;
        zSet = true;
    }
}

void ProgramPosition::AdvanceTo(const std::vector<std::string>& lines, int line) {
    if (line < next_) {
        x = y = z = 0;
        zSet = false;
        planeXY = true;
        motion = motionCode = -1;
        next_ = 0;
    }
    const int end = std::min<int>(line, static_cast<int>(lines.size()));
    while (next_ < end) Take(lines[static_cast<std::size_t>(next_++)]);
}

// ------------------------------------------------------------------ Contour

namespace {

constexpr double kPi = 3.141592653589793238462643383279502884;
// Directions closer than this (radians) continue one another.
constexpr double kTangent = 1e-5;
// Turns closer than this to straight back are cusps whose side the numbers may not tell.
constexpr double kCusp = 1e-3;

std::string lineName(int index) { return "Line " + std::to_string(index + 1); }

}  // namespace

OffsetContour LoadContour(const std::vector<std::string>& lines, int first, int last, ProgramPosition pos,
                          const OffsetSettings& s) {
    OffsetContour c;
    c.firstLine = std::max(first, 0);
    const std::string& cutOff = s.codes.Code(LabelRow::EndBlock);
    const std::string& fileEnd = s.codes.Code(LabelRow::FileEnd);
    last = std::min<int>(last, static_cast<int>(lines.size()) - 1);
    c.startZ = pos.z;
    c.startZSet = pos.zSet;
    bool fed = false;  // a feed move has been read: rapids no longer place the start
    for (int i = c.firstLine; i <= last; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (HasCode(line, cutOff) || HasCode(line, fileEnd)) break;
        const long double px = pos.x, py = pos.y, pz = pos.z;
        pos.Take(line);
        const WordRead* w = pos.Words();
        if (!w[wX].found && !w[wY].found && !w[wZ].found) continue;
        const int m = pos.motion;
        if (!fed && m == kMotionRapid) {  // moving to where the cut starts
            c.startZ = pos.z;
            c.startZSet = pos.zSet;
            continue;
        }
        if (!fed) c.firstLine = i;
        fed = true;
        const bool sameXY = pos.x == px && pos.y == py;
        OffsetSegment g;
        g.motion = m;
        g.ax = px, g.ay = py, g.az = pz;
        g.bx = pos.x, g.by = pos.y, g.bz = pos.z;
        g.line = i;
        g.zWord = w[wZ].found;
        if (isArcMotion(m)) {
            if (!pos.planeXY) {
                c.error = lineName(i) + ": an arc outside the XY plane cannot be offset";
                return c;
            }
            if (w[wR].found && pos.motionCode == m) {
                // The centre on the side of the chord the direction and the
                // sign of R ask for: right of the chord for a clockwise arc
                // of at most half a turn.
                const long double r = w[wR].value, chord = std::hypot(g.bx - g.ax, g.by - g.ay);
                if (sameXY || r == 0 || std::fabs(r) * 2 < chord * (1 - 1e-6L)) {
                    c.error = lineName(i) + ": the radius does not reach the arc's end";
                    return c;
                }
                const long double tx = (g.bx - g.ax) / chord, ty = (g.by - g.ay) / chord;
                const long double h = std::sqrt(std::max<long double>(0, r * r - chord * chord / 4));
                const long double side = (m == kMotionCw ? 1 : -1) * (r > 0 ? 1 : -1);
                g.cx = (g.ax + g.bx) / 2 + side * h * ty;
                g.cy = (g.ay + g.by) / 2 - side * h * tx;
                g.rWord = true;
            } else if (w[wI].found || w[wJ].found) {
                // A missing centre word is an offset of 0 from the start, as the plot takes it.
                g.cx = w[wI].found ? (s.Bridgeport ? px + w[wI].value : w[wI].value) : px;
                g.cy = w[wJ].found ? (s.Bridgeport ? py + w[wJ].value : w[wJ].value) : py;
            } else {
                c.error = lineName(i) + ": an arc without a centre cannot be offset";
                return c;
            }
            if (g.cx == g.ax && g.cy == g.ay) {
                c.error = lineName(i) + ": an arc of radius 0 cannot be offset";
                return c;
            }
        } else if (sameXY) {
            if (pos.z != pz) c.zMoves.push_back({static_cast<int>(c.segments.size()) - 1, pos.z});
            continue;
        }
        c.segments.push_back(g);
    }
    if (!c.segments.empty()) {
        const OffsetSegment &a = c.segments.front(), &b = c.segments.back();
        c.closed = a.ax == b.bx && a.ay == b.by;
    }
    return c;
}

// ------------------------------------------------------------------- Offset

namespace {

struct P2 {
    double x = 0, y = 0;
};
P2 operator+(P2 a, P2 b) { return {a.x + b.x, a.y + b.y}; }
P2 operator-(P2 a, P2 b) { return {a.x - b.x, a.y - b.y}; }
P2 operator*(P2 a, double k) { return {a.x * k, a.y * k}; }
double dot(P2 a, P2 b) { return a.x * b.x + a.y * b.y; }
double cross(P2 a, P2 b) { return a.x * b.y - a.y * b.x; }
double len(P2 a) { return std::hypot(a.x, a.y); }
double dist(P2 a, P2 b) { return len(a - b); }

// The angle of travel in (0, 2 pi] that takes `from` to `to` turning the way `sense` says (+1 counter-clockwise).
double sweepOf(double from, double to, int sense) {
    double s = sense * (to - from);
    while (s <= 0) s += 2 * kPi;
    while (s > 2 * kPi) s -= 2 * kPi;
    return s;
}

// A piece of the contour (a straight move or an arc) or of its offset,
// parametrised along its travel: by length from `p0` along `dir`, or by the
// angle turned from `a0`. `len` is the parameter at its end.
struct Piece {
    bool arc = false;
    int sense = 1;  // arcs: +1 counter-clockwise, -1 clockwise
    P2 p0, dir;     // straight
    P2 c;           // arc centre
    double rho = 0, a0 = 0;
    double len = 0;
    P2 At(double t) const {
        if (!arc) return p0 + dir * t;
        const double ang = a0 + sense * t;
        return {c.x + rho * std::cos(ang), c.y + rho * std::sin(ang)};
    }
    P2 Tangent(double t) const {
        if (!arc) return dir;
        const double ang = a0 + sense * t;
        return {-sense * std::sin(ang), sense * std::cos(ang)};
    }
    // The parameter of a point on the piece's line or circle; for an arc the
    // turn nearest to the arc's middle.
    double ParamOf(P2 q) const {
        if (!arc) return dot(q - p0, dir);
        double t = sense * (std::atan2(q.y - c.y, q.x - c.x) - a0);
        const double lo = len / 2 - kPi;
        while (t < lo) t += 2 * kPi;
        while (t >= lo + 2 * kPi) t -= 2 * kPi;
        return t;
    }
    double Length(double t0, double t1) const { return (t1 - t0) * (arc ? rho : 1); }
    // Distance of q from the piece between the parameters 0 and len; `atEnd`
    // tells whether the nearest point is (within `zone` of) one of its ends.
    double DistanceTo(P2 q, bool* atEnd = nullptr, double zone = 0) const {
        if (!arc) {
            const double t = std::clamp(dot(q - p0, dir), 0.0, len);
            if (atEnd) *atEnd = t <= zone || t >= len - zone;
            return dist(q, p0 + dir * t);
        }
        const double t = ParamOf(q);
        if (t >= 0 && t <= len) {
            if (atEnd) *atEnd = t * rho <= zone || (len - t) * rho <= zone;
            return std::fabs(dist(q, c) - rho);
        }
        if (atEnd) *atEnd = true;
        return std::min(dist(q, At(0)), dist(q, At(len)));
    }
};

Piece pieceOf(const OffsetSegment& g) {
    Piece p;
    const P2 a{g.ax, g.ay}, b{g.bx, g.by};
    if (!g.Arc()) {
        p.p0 = a;
        p.len = dist(a, b);
        p.dir = p.len > 0 ? (b - a) * (1 / p.len) : P2{1, 0};
        return p;
    }
    p.arc = true;
    p.sense = g.motion == kMotionCcw ? 1 : -1;
    p.c = {g.cx, g.cy};
    p.rho = dist(a, p.c);
    p.a0 = std::atan2(a.y - p.c.y, a.x - p.c.x);
    p.len = (a.x == b.x && a.y == b.y) ? 2 * kPi : sweepOf(p.a0, std::atan2(b.y - p.c.y, b.x - p.c.x), p.sense);
    return p;
}

// The same piece moved d to the right of its travel.
Piece shifted(Piece p, double d) {
    if (!p.arc)
        p.p0 = p.p0 + P2{p.dir.y, -p.dir.x} * d;
    else
        p.rho += p.sense * d;
    return p;
}

// Crossings of the whole lines and circles of two pieces.
int crossings(const Piece& a, const Piece& b, P2 out[2]) {
    if (!a.arc && !b.arc) {
        const double den = cross(a.dir, b.dir);
        if (std::fabs(den) < 1e-15) return 0;
        out[0] = a.p0 + a.dir * (cross(b.p0 - a.p0, b.dir) / den);
        return 1;
    }
    if (a.arc && b.arc) {
        const P2 v = b.c - a.c;
        const double dd = len(v), r1 = a.rho, r2 = b.rho;
        if (dd == 0 || dd > r1 + r2 || dd < std::fabs(r1 - r2)) return 0;
        const double k = (r1 * r1 - r2 * r2 + dd * dd) / (2 * dd);
        const double h = std::sqrt(std::max<double>(0, r1 * r1 - k * k));
        const P2 m = a.c + v * (k / dd), n{-v.y / dd, v.x / dd};
        out[0] = m + n * h;
        out[1] = m - n * h;
        return 2;
    }
    const Piece& l = a.arc ? b : a;
    const Piece& c = a.arc ? a : b;
    const P2 f = l.p0 - c.c;
    const double bb = dot(f, l.dir), disc = bb * bb - (dot(f, f) - c.rho * c.rho);
    if (disc < 0) return 0;
    const double root = std::sqrt(disc);
    out[0] = l.p0 + l.dir * (-bb - root);
    out[1] = l.p0 + l.dir * (-bb + root);
    return 2;
}

// One move of the result.
struct Element {
    int motion = kMotionLine;  // kMotion*, -1 none; a Z-only move when zOnly
    P2 a, b, c;
    int sense = 1;
    double sweep = 0;  // arcs: the angle turned, radians
    double z = 0;
    bool zWord = false, rWord = false, zOnly = false;
    bool drawnOut = false;  // reaches past the ends of its piece of the contour
    int line = 0;
    double farthest = 0;  // how far from the contour it may lie
    bool Arc() const { return motion == kMotionCw || motion == kMotionCcw; }
    Piece AsPiece() const {
        if (!Arc()) {
            Piece p;
            p.p0 = a;
            p.len = dist(a, b);
            p.dir = p.len > 0 ? (b - a) * (1 / p.len) : P2{1, 0};
            return p;
        }
        Piece p;
        p.arc = true;
        p.sense = sense;
        p.c = c;
        p.rho = dist(a, c);
        p.a0 = std::atan2(a.y - c.y, a.x - c.x);
        p.len = sweep;
        return p;
    }
};

class ContourOffset {
public:
    ContourOffset(const OffsetContour& c, double d) : c_(c), d_(d) {
        double extent = 1;
        for (const OffsetSegment& g : c.segments)
            extent = std::max({extent, std::fabs(g.ax), std::fabs(g.ay), std::fabs(g.bx), std::fabs(g.by)});
        // An arc whose end is off its circle by the rounding of its numbers
        // puts its offset that much nearer or farther.
        double mismatch = 0;
        for (const OffsetSegment& g : c.segments)
            if (g.Arc())
                mismatch = std::max(mismatch, std::fabs(std::hypot(g.ax - g.cx, g.ay - g.cy) -
                                                        std::hypot(g.bx - g.cx, g.by - g.cy)));
        tiny_ = extent * 1e-12;
        tol_ = extent * 1e-7 + 1e-9 + std::min(2 * mismatch, mismatch + 5e-4) + std::fabs(d) * kTangent;
    }
    // Builds the result; false with `failLine` and `why` set when it cannot.
    bool Run();
    const std::vector<Element>& Result() const { return out_; }
    P2 Start() const { return start_; }
    int failLine = 0;
    std::string why;

private:
    struct State {
        Piece p;
        double tS = 0, tE = 0;
        bool alive = true, mitre = false, roundAfter = false;
        P2 corner;  // centre of the rounding after it
    };
    bool joinAll(std::vector<int>& kill);
    bool join(int i, int j, std::vector<int>& kill);
    bool check();
    void fail(int line, std::string text) {
        failLine = line;
        why = std::move(text);
    }

    const OffsetContour& c_;
    double d_;
    double tiny_ = 0, tol_ = 0;
    std::vector<Piece> orig_;
    std::vector<State> st_;
    std::vector<Element> out_;
    P2 start_;
};


// Whether x, on both pieces' lines or circles, lies within both: cutting the
// first short at x and starting the second there shortens both.
bool trims(const Piece& a, const Piece& b, P2 x) {
    const double ta = a.ParamOf(x), tb = b.ParamOf(x);
    return ta <= a.len * (1 + 1e-9) && ta >= -a.len * 1e-9 && tb >= -b.len * 1e-9 && tb <= b.len * (1 + 1e-9);
}

bool ContourOffset::join(int i, int j, std::vector<int>& kill) {
    State& A = st_[static_cast<std::size_t>(i)];
    State& B = st_[static_cast<std::size_t>(j)];
    const int n = static_cast<int>(st_.size());
    const bool adjacent = j == i + 1 || (c_.closed && i == n - 1 && j == 0);
    const P2 e = A.p.At(A.p.len), s = B.p.At(0);
    bool inside = true;
    P2 corner;
    if (adjacent) {
        corner = P2{c_.segments[static_cast<std::size_t>(i)].bx, c_.segments[static_cast<std::size_t>(i)].by};
        const P2 ti = A.p.Tangent(A.p.len), tj = B.p.Tangent(0);
        double turn = cross(ti, tj);
        // The pieces go on from one another (a gap left only by rounding).
        if (dist(e, s) <= tiny_ || (dot(ti, tj) > 0 && std::fabs(turn) < kTangent)) return true;
        if (dot(ti, tj) < 0 && std::fabs(turn) < kCusp) {
            // Turning (nearly) straight back, the rounding of the numbers may
            // hide the side the corner opens to: the shifted pieces overlap
            // near it on the inside only.
            P2 x[2];
            const int k = crossings(A.p, B.p, x);
            int best = -1;
            for (int q = 0; q < k; ++q)
                if (trims(A.p, B.p, x[q]) && (best < 0 || dist(x[q], corner) < dist(x[best], corner))) best = q;
            if (best >= 0) {
                A.tE = A.p.ParamOf(x[best]);
                B.tS = B.p.ParamOf(x[best]);
            } else {
                A.roundAfter = true;
                A.corner = corner;
            }
            return true;
        }
        inside = turn * d_ < 0;
        if (!inside) {
            const double cosTurn = std::clamp(dot(ti, tj), -1.0, 1.0);
            const double halfCos = std::sqrt((1 + cosTurn) / 2);  // cos of half the turn
            if (!A.p.arc && !B.p.arc && turn != 0 && halfCos * kMitreLimit >= 1) {
                P2 x[2];
                if (crossings(A.p, B.p, x) == 1) {
                    A.tE = A.p.ParamOf(x[0]);
                    B.tS = B.p.ParamOf(x[0]);
                    A.mitre = B.mitre = true;
                    return true;
                }
            }
            A.roundAfter = true;
            A.corner = corner;
            return true;
        }
    }
    P2 x[2];
    const int k = crossings(A.p, B.p, x);
    if (k == 0) {
        // The two never meet: the arc between them has no room on this side.
        if (A.p.arc || B.p.arc) {
            kill.push_back(!B.p.arc || (A.p.arc && A.p.rho <= B.p.rho) ? i : j);
            return true;
        }
        // Parallel straight pieces: on one line and one way they continue
        // each other; otherwise they are the walls of a gap narrower than
        // the offset, which closes over it.
        if (dot(A.p.dir, B.p.dir) > 0 && std::fabs(cross(A.p.dir, B.p.p0 - A.p.p0)) <= tol_) return true;
        kill.push_back(i);
        kill.push_back(j);
        return true;
    }
    // The crossing that shortens both pieces, the nearest to their shifted
    // ends when there are two (or none does).
    int best = -1;
    for (int round = 0; round < 2 && best < 0; ++round)
        for (int q = 0; q < k; ++q) {
            if (round == 0 && !trims(A.p, B.p, x[q])) continue;
            if (best < 0 || dist(x[q], e) + dist(x[q], s) < dist(x[best], e) + dist(x[best], s)) best = q;
        }
    A.tE = A.p.ParamOf(x[best]);
    B.tS = B.p.ParamOf(x[best]);
    return true;
}

bool ContourOffset::joinAll(std::vector<int>& kill) {
    std::vector<int> alive;
    for (int i = 0; i < static_cast<int>(st_.size()); ++i) {
        State& s = st_[static_cast<std::size_t>(i)];
        if (!s.alive) continue;
        s.tS = 0;
        s.tE = s.p.len;
        s.mitre = s.roundAfter = false;
        alive.push_back(i);
    }
    if (alive.empty() || (c_.closed && alive.size() == 1 && st_.size() > 1)) {
        fail(c_.segments.front().line, "nothing of the contour is left at this offset");
        return false;
    }
    for (std::size_t q = 0; q + 1 < alive.size(); ++q)
        if (!join(alive[q], alive[q + 1], kill)) return false;
    if (c_.closed && !join(alive.back(), alive.front(), kill)) return false;
    for (int i : alive) {
        const State& s = st_[static_cast<std::size_t>(i)];
        if (s.p.Length(s.tS, s.tE) <= tiny_) kill.push_back(i);
    }
    return true;
}

bool ContourOffset::Run() {
    const std::size_t n = c_.segments.size();
    for (const OffsetSegment& g : c_.segments) {
        orig_.push_back(pieceOf(g));
        State s;
        s.p = shifted(orig_.back(), d_);
        s.alive = !s.p.arc || s.p.rho > tiny_;
        st_.push_back(s);
    }
    // Each round drops the pieces the joins have used up; a piece is dropped at most once.
    for (std::size_t round = 0;; ++round) {
        std::vector<int> kill;
        if (!joinAll(kill)) return false;
        if (kill.empty()) break;
        if (round > n) {
            fail(c_.segments.front().line, "the offset pieces do not settle");
            return false;
        }
        for (int i : kill) st_[static_cast<std::size_t>(i)].alive = false;
    }
    // The moves, in order, with the roundings and the Z-only moves between them.
    const double d = std::fabs(d_);
    std::vector<int> alive;
    for (std::size_t i = 0; i < n; ++i)
        if (st_[i].alive) alive.push_back(static_cast<int>(i));
    start_ = st_[static_cast<std::size_t>(alive.front())].p.At(st_[static_cast<std::size_t>(alive.front())].tS);
    auto zMovesAfter = [&](int from, int to) {  // after segments from..to-1 (from = -1: before the first)
        for (const auto& [after, z] : c_.zMoves)
            if (after >= from && after < to) {
                Element e;
                e.zOnly = true;
                e.z = z;
                e.a = e.b = out_.empty() ? start_ : out_.back().b;
                e.line = c_.segments[static_cast<std::size_t>(std::max(after, 0))].line;
                out_.push_back(e);
            }
    };
    zMovesAfter(-1, 0);
    for (std::size_t q = 0; q < alive.size(); ++q) {
        const int i = alive[q];
        const State& s = st_[static_cast<std::size_t>(i)];
        const OffsetSegment& g = c_.segments[static_cast<std::size_t>(i)];
        Element e;
        e.motion = g.motion;
        e.a = s.p.At(s.tS);
        e.b = s.p.At(s.tE);
        e.c = s.p.c;
        e.sense = s.p.sense;
        e.sweep = s.tE - s.tS;
        e.z = g.bz;
        e.zWord = g.zWord || g.bz != g.az;
        e.rWord = g.rWord;
        e.line = g.line;
        // A straight piece drawn out past its ends meets its neighbour at a mitre.
        e.drawnOut = s.tS * (s.p.arc ? s.p.rho : 1) < -tol_ || (s.tE - s.p.len) * (s.p.arc ? s.p.rho : 1) > tol_;
        e.farthest = s.mitre || (e.drawnOut && !s.p.arc) ? kMitreLimit * d : d;
        if (s.p.Length(s.tS, s.tE) > tiny_) out_.push_back(e);
        const int next = q + 1 < alive.size() ? alive[q + 1] : static_cast<int>(n);
        zMovesAfter(i, next);
        if (s.roundAfter) {
            const State& t = st_[static_cast<std::size_t>(q + 1 < alive.size() ? next : alive.front())];
            Element r;
            r.sense = d_ > 0 ? 1 : -1;
            r.motion = r.sense > 0 ? kMotionCcw : kMotionCw;
            r.a = e.b;
            r.b = t.p.At(t.tS);
            r.c = s.corner;
            r.sweep = sweepOf(std::atan2(r.a.y - r.c.y, r.a.x - r.c.x), std::atan2(r.b.y - r.c.y, r.b.x - r.c.x), r.sense);
            r.z = g.bz;
            r.line = c_.segments[static_cast<std::size_t>(next % static_cast<int>(n))].line;
            r.farthest = d;
            out_.push_back(r);
        }
    }
    return check();
}

// The result measured against the contour: every point at |d| from it (a
// mitre's corner farther, within its limit), and no move crossing or
// touching another that does not follow it.
bool ContourOffset::check() {
    const double d = std::fabs(d_);
    std::vector<Piece> pieces;
    std::vector<int> owner;
    for (int k = 0; k < static_cast<int>(out_.size()); ++k) {
        const Element& e = out_[static_cast<std::size_t>(k)];
        if (e.zOnly) continue;
        pieces.push_back(e.AsPiece());
        owner.push_back(k);
        const Piece& p = pieces.back();
        // A piece drawn out past its own piece of the contour is sampled
        // densely: there it may stray from the contour, or pass a neighbour.
        const int samples = std::max(p.arc ? static_cast<int>(p.len / (kPi / 32)) + 1 : 0, e.drawnOut ? 96 : 16);
        for (int t = 0; t <= samples; ++t) {
            const P2 q = p.At(p.len * t / samples);
            // Only a corner of the contour may be nearest to a mitre's
            // point farther than |d|.
            double near = 1e300;
            bool corner = true;
            for (const Piece& o : orig_) {
                bool end = false;
                const double dq = o.DistanceTo(q, &end, tol_);
                if (dq < near - tol_) {
                    near = dq;
                    corner = end;
                } else if (dq < near + tol_) {
                    near = std::min(near, dq);
                    corner = corner && end;
                }
            }
            const double farthest = corner ? e.farthest : d;
            if (near < d - tol_ || near > farthest + tol_) {
                fail(e.line, near < d - tol_ ? "the offset would cut into the contour" : "the offset strays from the contour");
                return false;
            }
        }
    }
    // Bounding boxes keep the crossing test cheap on long contours.
    struct Box {
        double x0, y0, x1, y1;
    };
    std::vector<Box> box;
    for (const Piece& p : pieces) {
        Box b{1e300, 1e300, -1e300, -1e300};
        const int samples = p.arc ? 16 : 1;
        for (int t = 0; t <= samples; ++t) {
            const P2 q = p.At(p.len * t / samples);
            b = {std::min(b.x0, q.x), std::min(b.y0, q.y), std::max(b.x1, q.x), std::max(b.y1, q.y)};
        }
        const double grow = p.arc ? p.rho * (1 - std::cos(kPi / 16)) + tol_ : tol_;
        box.push_back({b.x0 - grow, b.y0 - grow, b.x1 + grow, b.y1 + grow});
    }
    const int m = static_cast<int>(pieces.size());
    for (int a = 0; a < m; ++a)
        for (int b = a + 2; b < m; ++b) {
            if (c_.closed && a == 0 && b == m - 1) continue;
            const Box &ba = box[static_cast<std::size_t>(a)], &bb = box[static_cast<std::size_t>(b)];
            if (ba.x1 < bb.x0 || bb.x1 < ba.x0 || ba.y1 < bb.y0 || bb.y1 < ba.y0) continue;
            const Piece &pa = pieces[static_cast<std::size_t>(a)], &pb = pieces[static_cast<std::size_t>(b)];
            P2 x[2];
            const int k = crossings(pa, pb, x);
            bool hit = false;
            for (int q = 0; q < k && !hit; ++q)
                hit = pa.DistanceTo(x[q]) <= tol_ && pb.DistanceTo(x[q]) <= tol_;
            // Lines on one line overlap without crossing.
            if (k == 0 && !pa.arc && !pb.arc)
                hit = pa.DistanceTo(pb.p0) <= tol_ || pa.DistanceTo(pb.At(pb.len)) <= tol_ ||
                      pb.DistanceTo(pa.p0) <= tol_;
            if (hit) {
                fail(out_[static_cast<std::size_t>(owner[static_cast<std::size_t>(b)])].line,
                     "the offset would cross itself");
                return false;
            }
        }
    return true;
}

// The result lines of one contour.
void writeContour(const ContourOffset& off, const OffsetContour& c, const OffsetSettings& s,
                  std::vector<std::string>& out) {
    const AxisCodes& codes = s.codes;
    const Letters L = ProgramLetters(s);
    const int dp = s.decimals;
    auto num = [&](long double v) { return CoordinateText(v, dp); };
    auto code = [&](int g) -> std::string {
        switch (g) {
            case kMotionRapid: return codes.Code(LabelRow::Rapid) + " ";
            case kMotionLine: return codes.Code(LabelRow::Line) + " ";
            case kMotionCw: return codes.Code(LabelRow::ArcCw);
            case kMotionCcw: return codes.Code(LabelRow::ArcCcw);
            default: return {};
        }
    };
    auto add = [&](std::string line) {
        if (s.SwapXY) line = OrderWordsMLast(line, codes.letters);
        out.push_back(std::move(line));
    };
    const std::vector<Element>& el = off.Result();
    out.emplace_back(" ");
    int first = -1;
    for (const Element& e : el)
        if (!e.zOnly) {
            first = e.motion;
            break;
        }
    const P2 st = off.Start();
    std::string xAt = num(st.x), yAt = num(st.y);
    add(code(isArcMotion(first) ? kMotionLine : first) + L.X + xAt + " " + L.Y + yAt + " " +
        (c.startZSet ? L.Z + num(c.startZ) + " " : ""));
    const long double resolution = std::pow(10.0L, -dp);
    for (const Element& e : el) {
        if (e.zOnly) {
            add(code(kMotionLine) + L.Z + num(e.z) + " ");
            continue;
        }
        const std::string x = num(e.b.x), y = num(e.b.y);
        const Piece p = e.AsPiece();
        const bool fullTurn = p.arc && p.len > 2 * kPi - 1e-9L;
        const bool samePoint = x == xAt && y == yAt;
        if (samePoint && !fullTurn) continue;  // nothing the written numbers could show
        // An arc shorter than the numbers' resolution is written as the straight move it is.
        const bool arc = e.Arc() && (fullTurn || dist(e.a, e.b) > 3 * resolution);
        std::string line = code(arc ? e.motion : (e.Arc() ? kMotionLine : e.motion)) + L.X + x + " " + L.Y + y + " ";
        if (e.zWord) line += L.Z + num(e.z) + " ";
        if (arc) {
            const bool radiusForm = e.rWord && !fullTurn && std::fabs(p.len - kPi) > 1e-2L;
            if (radiusForm)
                line += L.R + num(p.len > kPi ? -p.rho : p.rho) + " ";
            else {
                const P2 at{std::stod(xAt), std::stod(yAt)};
                line += L.I + num(s.Bridgeport ? e.c.x - at.x : e.c.x) + " " + L.J +
                        num(s.Bridgeport ? e.c.y - at.y : e.c.y) + " ";
            }
        }
        add(std::move(line));
        xAt = x;
        yAt = y;
    }
    out.emplace_back(" ");
}

}  // namespace

// ---------------------------------------------------------------------- Auto

std::vector<std::string> OffsetAuto(const std::vector<std::string>& lines, int selStartLine, int selLineCount,
                                    float d, const OffsetSettings& s, OffsetReport& report) {
    std::vector<std::string> out;
    ProgramPosition pos(s);
    const long double dd = d;
    auto refuse = [&](int line, const std::string& why) {
        report.refused.push_back(
            {line, lineName(line) + ": the contour cannot be offset by " + CoordinateText(dd, s.decimals) + " (" +
                       why + "); it is left out"});
    };
    auto process = [&](int first, int last) {
        pos.AdvanceTo(lines, first);
        const OffsetContour c = LoadContour(lines, first, last, pos, s);
        if (!c.error.empty()) {
            report.refused.push_back({c.firstLine, c.error + "; the contour is left out"});
            return;
        }
        if (c.segments.empty()) return;  // nothing to shift along
        for (const OffsetSegment& g : c.segments) {
            if (!g.Arc()) continue;
            const long double r = std::hypot(g.bx - g.cx, g.by - g.cy);
            if (r < std::fabs(dd)) report.radiusWarning = true;
            report.minRadius = report.anyArc ? std::min(report.minRadius, r) : r;
            report.anyArc = true;
        }
        ContourOffset off(c, dd);
        if (!off.Run()) {
            refuse(off.failLine, off.why);
            return;
        }
        writeContour(off, c, s, out);
    };
    if (selLineCount >= 2) {
        process(selStartLine + 1, selStartLine + selLineCount);
        return out;
    }
    const std::string& cutOn = s.codes.Code(LabelRow::BeginBlock);
    const std::string& cutOff = s.codes.Code(LabelRow::EndBlock);
    const int count = static_cast<int>(lines.size());
    int from = 0;  // where the next cut-off search starts
    for (int i = 0; i + 1 < count; ++i) {
        if (!HasCode(lines[static_cast<std::size_t>(i)], cutOn)) continue;
        // The cut-off that ends this block comes after its cut-on line.
        int j = std::max(from, i + 1);
        while (j < count && !HasCode(lines[static_cast<std::size_t>(j)], cutOff)) ++j;
        if (j >= count) break;
        process(i + 1, j);
        from = j + 1;
    }
    return out;
}

// ----------------------------------------------------------------- Operations

namespace {
void insertAt(std::vector<std::string>& program, const std::vector<std::string>& result, long long at) {
    at = std::clamp<long long>(at, 0, static_cast<long long>(program.size()));
    program.insert(program.begin() + at, result.begin(), result.end());
}
}  // namespace

void InsertBeforeLastLine(std::vector<std::string>& program, const std::vector<std::string>& result) {
    insertAt(program, result, static_cast<long long>(program.size()) - 1);
}

void InsertAboveBlock(std::vector<std::string>& program, const std::vector<std::string>& result, int selStartLine) {
    insertAt(program, result, selStartLine);
}

void InsertBelowBlock(std::vector<std::string>& program, const std::vector<std::string>& result, int selStartLine,
                      int selLineCount) {
    insertAt(program, result, static_cast<long long>(selStartLine) + selLineCount + 1);
}

}  // namespace tolva
