#include "tools/offset.h"

#include <algorithm>
#include <cmath>

#include "settings/machine_settings.h"
#include "text/geometry.h"
#include "text/label_code.h"
#include "text/number_format.h"

namespace tolva {
namespace {

using Row = OffsetTable::Row;
constexpr long double kNaN = OffsetTable::kUnset;

// Word slots of ProgramPosition's reader.
enum Word { wX, wY, wZ, wI, wJ, wK, wR, wG };

bool isArcMotion(int m) { return m == kMotionCw || m == kMotionCcw; }
bool isArcKind(long double k) { return k == kMotionCw || k == kMotionCcw; }

// The shifted side of a direction of travel (tx, ty): its right-hand normal.
void rightNormal(long double tx, long double ty, long double& nx, long double& ny) {
    nx = ty;
    ny = -tx;
}

struct Point {
    long double x = 0, y = 0;
};

// Crossings of a line (point p, unit direction t) with a circle (c, rho).
int lineCircle(Point p, long double tx, long double ty, Point c, long double rho, Point out[2]) {
    const long double fx = p.x - c.x, fy = p.y - c.y;
    const long double b = fx * tx + fy * ty;
    const long double disc = b * b - (fx * fx + fy * fy - rho * rho);
    if (disc < 0) return 0;
    const long double root = std::sqrt(disc);
    out[0] = {p.x + (-b - root) * tx, p.y + (-b - root) * ty};
    out[1] = {p.x + (-b + root) * tx, p.y + (-b + root) * ty};
    return 2;
}

int circleCircle(Point c1, long double r1, Point c2, long double r2, Point out[2]) {
    r1 = std::fabs(r1);
    r2 = std::fabs(r2);
    const long double dx = c2.x - c1.x, dy = c2.y - c1.y;
    const long double dist = std::hypot(dx, dy);
    if (dist == 0 || dist > r1 + r2 || dist < std::fabs(r1 - r2)) return 0;
    const long double a = (r1 * r1 - r2 * r2 + dist * dist) / (2 * dist);
    const long double h = std::sqrt(std::max<long double>(0, r1 * r1 - a * a));
    const long double mx = c1.x + a * dx / dist, my = c1.y + a * dy / dist;
    out[0] = {mx + h * dy / dist, my - h * dx / dist};
    out[1] = {mx - h * dy / dist, my + h * dx / dist};
    return 2;
}

// The one of `n` points nearest to `p`.
bool nearest(const Point* pts, int n, Point p, Point& best) {
    if (n == 0) return false;
    best = pts[0];
    for (int k = 1; k < n; ++k)
        if (std::hypot(pts[k].x - p.x, pts[k].y - p.y) < std::hypot(best.x - p.x, best.y - p.y)) best = pts[k];
    return std::isfinite(best.x) && std::isfinite(best.y);
}

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

ProgramPosition::ProgramPosition(const OffsetSettings& s)
    : s_(s),
      reader_{s.codes.letters.X, s.codes.letters.Y, s.codes.letters.Z, s.codes.letters.I,
              s.codes.letters.J, s.codes.letters.K, s.codes.letters.R, "G"} {}

void ProgramPosition::Take(std::string_view line) {
    reader_.Read(line, words_);
    // A number too large for a coordinate is no word at all, as in the plot.
    for (WordRead& w : words_)
        if (w.found && !std::isfinite(w.value)) w = WordRead{};
    motionCode = MotionCodeOf(line, s_.codes);
    if (motionCode >= 0)
        motion = motionCode;
    else if (words_[wG].found && isArcMotion(motion))
        motion = -1;  // any other G word ends arc mode, as the plot reads it
    if (words_[wX].found) x = words_[wX].value;
    if (words_[wY].found) y = words_[wY].value;
    if (words_[wZ].found) z = words_[wZ].value;
}

void ProgramPosition::AdvanceTo(const std::vector<std::string>& lines, int line) {
    if (line < next_) {
        x = y = z = 0;
        motion = motionCode = -1;
        next_ = 0;
    }
    const int end = std::min<int>(line, static_cast<int>(lines.size()));
    while (next_ < end) Take(lines[static_cast<std::size_t>(next_++)]);
}

// ---------------------------------------------------------------- OffsetTable

Row OffsetTable::unsetRow() {
    Row r;
    r.fill(kNaN);
    return r;
}

Row& OffsetTable::row(int r) {
    if (r >= Rows()) rows_.resize(static_cast<std::size_t>(r) + 1, unsetRow());
    return rows_[static_cast<std::size_t>(r)];
}

void OffsetTable::CreateArray() {
    // Sized to what it holds: rows 0..2, then two rows a point and the exit
    // segment, added as they are written.
    rows_.assign(3, unsetRow());
    points_ = 0;
    lastPointRow_ = 0;
}

int OffsetTable::Load_Array(const std::vector<std::string>& lines, int first, int last, ProgramPosition pos) {
    const std::string& cutOff = s_.codes.Code(LabelRow::EndBlock);
    const std::string& fileEnd = s_.codes.Code(LabelRow::FileEnd);
    const int count = static_cast<int>(lines.size());
    int r = 3;
    for (int i = std::max(first, 0); i < count; ++i) {
        const long double startX = pos.x, startY = pos.y;  // where a move on this line starts
        pos.Take(lines[static_cast<std::size_t>(i)]);
        const WordRead* w = pos.Words();
        if (!w[wX].found) continue;
        const bool firstPoint = points_ == 0;
        const long double x = w[wX].value, y = pos.y;
        const bool radiusArc = w[wR].found && w[wG].found && isArcMotion(pos.motionCode);
        // An arc needs a direction; the first point only starts the contour.
        const bool arc = !firstPoint && isArcMotion(pos.motion) && (w[wI].found || w[wJ].found || radiusArc);
        bool added = false;
        // A straight move to where the tool already is has no direction to shift by.
        if (firstPoint || arc || x != rows_[lastPointRow_][X] || y != rows_[lastPointRow_][Y]) {
            Row& cur = row(r);
            cur[X] = x;
            cur[Y] = y;
            cur[Z] = w[wZ].found ? w[wZ].value : kNaN;
            int motion = pos.motion;
            if (firstPoint && isArcMotion(motion)) motion = kMotionLine;
            cur[G] = cur[Motion] = motion >= 0 ? motion : kNaN;
            cur[Src] = i;
            if (arc) {
                long double ci, cj;
                if (radiusArc) {
                    // The centre for the opposite direction, reflected through
                    // the chord's midpoint: the centre in the line's own one.
                    const ArcCentre c = ArcCentreXY(pos.motion == kMotionCcw, startX, startY, x, y, w[wR].value);
                    ci = x - c.u;
                    cj = y - c.v;
                    if (s_.Bridgeport) {
                        ci -= startX;
                        cj -= startY;
                    }
                } else {
                    // An omitted centre word is 0, as the plot takes it.
                    ci = w[wI].found ? w[wI].value : 0;
                    cj = w[wJ].found ? w[wJ].value : 0;
                }
                cur[I] = ci;
                cur[J] = cj;
                cur[Kind] = pos.motion;
                row(r - 1)[Kind] = kArcStart;
            } else {
                cur[Kind] = kStraightEnd;
            }
            if (w[wK].found) cur[K] = w[wK].value;
            if (w[wR].found) cur[R] = w[wR].value;
            ++points_;
            lastPointRow_ = r;
            added = true;
        }
        const bool stop = i >= last || (i + 1 < count && (HasCode(lines[static_cast<std::size_t>(i) + 1], cutOff) ||
                                                          HasCode(lines[static_cast<std::size_t>(i) + 1], fileEnd)));
        if (stop) break;
        if (!added) continue;
        if (!firstPoint) {
            row(r + 1);  // grows the table before references are taken
            const Row& end = rows_[static_cast<std::size_t>(r)];
            Row& start = rows_[static_cast<std::size_t>(r) + 1];
            for (int c : {X, Y, Z, G, Motion, Src}) start[c] = end[c];
            start[Kind] = arc ? kAfterArc : kAfterLine;
            ++r;
        }
        ++r;
    }
    return points_;
}

void OffsetTable::centreOf(int s, long double& cx, long double& cy) const {
    const Row& end = rows_[static_cast<std::size_t>(s) + 1];
    cx = end[I];
    cy = end[J];
    if (s_.Bridgeport) {
        cx += rows_[static_cast<std::size_t>(s)][X];
        cy += rows_[static_cast<std::size_t>(s)][Y];
    }
}

void OffsetTable::Arcs2(OffsetReport& report) {
    const long double d = d_;
    for (int s = 1; s + 1 < Rows(); ++s) {
        if (rows_[static_cast<std::size_t>(s)][Kind] != kArcStart) continue;
        Row& a = rows_[static_cast<std::size_t>(s)];
        Row& b = rows_[static_cast<std::size_t>(s) + 1];
        if (!isArcKind(b[Kind])) continue;
        long double cx, cy;
        centreOf(s, cx, cy);
        const bool cw = b[Kind] == kMotionCw;
        // The new point on the ray from the centre through the old one; a
        // point on the centre itself goes along +Y, as its direction is 2 pi.
        auto shifted = [&](const Row& p, long double& r, long double& nx, long double& ny) {
            r = std::hypot(p[X] - cx, p[Y] - cy);
            const long double rho = cw ? r - d : r + d;
            const long double ux = r > 0 ? (p[X] - cx) / r : 0, uy = r > 0 ? (p[Y] - cy) / r : 1;
            nx = cx + rho * ux;
            ny = cy + rho * uy;
            return rho;
        };
        long double r0, r1;
        shifted(a, r0, a[NX], a[NY]);
        a[NZ] = a[Z];
        const long double rho1 = shifted(b, r1, b[NX], b[NY]);
        b[NZ] = a[Z];
        if (std::fabs(r1) < std::fabs(d)) report.radiusWarning = true;
        report.minRadius = report.anyArc ? std::min(report.minRadius, r1) : r1;
        report.anyArc = true;
        if (IsSet(b[R])) b[NR] = std::copysign(rho1, b[R]);
        b[NI] = s_.Bridgeport ? cx - a[NX] : cx;
        b[NJ] = s_.Bridgeport ? cy - a[NY] : cy;
        b[NK] = b[K];
    }
}

void OffsetTable::Loopback2() {
    rows_[2] = rows_[3];
    const Row& p = rows_[3];
    const Row& q = rows_[4];
    const long double th = Calc_VectorIJ(p[X], p[Y], q[X], q[Y]);
    Row& entry = rows_[1];
    entry = unsetRow();
    entry[X] = rows_[2][X] - std::sin(th);
    entry[Y] = rows_[2][Y] - std::cos(th);
    entry[Z] = rows_[2][Z];
    rows_[0][Kind] = kOpen;
    for (int r = 4; r < Rows(); ++r) {
        if (rows_[static_cast<std::size_t>(r)][X] == p[X] && rows_[static_cast<std::size_t>(r)][Y] == p[Y]) {
            rows_[0][Kind] = kClosed;
            rows_[1] = rows_[static_cast<std::size_t>(r) - 1];
            rows_[2] = rows_[static_cast<std::size_t>(r)];
            break;
        }
    }
}

void OffsetTable::LastLine() {
    const int r = lastPointRow_ + 1;
    row(r + 1);  // grows the table before references are taken
    if (!Closed()) {
        Row& copy = rows_[static_cast<std::size_t>(r)];
        Row& exit = rows_[static_cast<std::size_t>(r) + 1];
        const Row& before = rows_[static_cast<std::size_t>(r) - 2];
        const Row& last = rows_[static_cast<std::size_t>(r) - 1];
        for (int c : {X, Y, Z, G, Motion, Src}) copy[c] = last[c];
        copy[Kind] = kAfterLine;
        const long double th = Calc_VectorIJ(before[X], before[Y], last[X], last[Y]);
        exit[Kind] = kArcStart;
        exit[X] = copy[X] + std::sin(th);
        exit[Y] = copy[Y] + std::cos(th);
        for (int c : {Z, G, Motion, Src}) exit[c] = copy[c];
    } else {
        // The first segment again, so the start point gets its corner.
        Row& copy = rows_[static_cast<std::size_t>(r)];
        Row& again = rows_[static_cast<std::size_t>(r) + 1];
        for (int c : {X, Y, Z, G, Motion, Src}) copy[c] = rows_[3][c];
        copy[Kind] = kAfterLine;
        for (int c : {X, Y, Z, I, J, K, R, G, Motion, Src}) again[c] = rows_[4][c];
        again[Kind] = kArcStart;
    }
}

void OffsetTable::LineVect2() {
    for (int s = 1; s + 1 < Rows(); s += 2) {
        const Row& a = rows_[static_cast<std::size_t>(s)];
        Row& b = rows_[static_cast<std::size_t>(s) + 1];
        b[Dir] = Calc_VectorIJ(a[X], a[Y], b[X], b[Y]);
    }
}

void OffsetTable::OuterAngle2() {
    bool haveA = false;
    long double a = 0, b = 0;
    for (int r = 1; r < Rows(); ++r) {
        Row& cur = rows_[static_cast<std::size_t>(r)];
        if (!IsSet(cur[Dir])) continue;
        const long double f = cur[Dir];
        if (haveA) b = (f - a) / 2;
        Row& prev = rows_[static_cast<std::size_t>(r) - 1];
        prev[Half] = b;
        if (!IsSet(cur[NX])) {
            // On both shifted lines: the mitred corner.
            const long double k = d_ / std::cos(b);
            cur[NX] = prev[X] + k * std::cos(b - f);
            cur[NY] = prev[Y] + k * std::sin(b - f);
            cur[NZ] = prev[Z];
        }
        a = f;
        haveA = true;
    }
}

void OffsetTable::RemoveLines() {
    for (int r = 2; r < Rows(); ++r) {
        const Row& back = rows_[static_cast<std::size_t>(r) - 2];
        Row& cur = rows_[static_cast<std::size_t>(r)];
        if (IsSet(back[I]) && IsSet(back[J]) && !IsSet(cur[I]) && !IsSet(cur[J])) cur[NX] = cur[NY] = cur[NZ] = kNaN;
    }
    for (Row& cur : rows_)
        if (!IsSet(cur[NX])) cur[G] = kNaN;
}

OffsetTable::Piece OffsetTable::piece(int s, long double px, long double py) const {
    Piece p;
    const Row& a = rows_[static_cast<std::size_t>(s)];
    const Row& b = rows_[static_cast<std::size_t>(s) + 1];
    if (isArcKind(b[Kind])) {
        p.arc = true;
        centreOf(s, p.cx, p.cy);
        const long double vx = px - p.cx, vy = py - p.cy;
        const long double r = std::hypot(vx, vy);
        const bool cw = b[Kind] == kMotionCw;
        p.rho = cw ? r - d_ : r + d_;
        if (r > 0) {
            p.tx = cw ? vy / r : -vy / r;
            p.ty = cw ? -vx / r : vx / r;
        } else {
            p.ty = 1;
        }
    } else {
        const long double len = std::hypot(b[X] - a[X], b[Y] - a[Y]);
        p.tx = len > 0 ? (b[X] - a[X]) / len : 0;
        p.ty = len > 0 ? (b[Y] - a[Y]) / len : 1;
    }
    return p;
}

void OffsetTable::joinAt(int in, int out, bool seam) {
    const Row& corner = rows_[static_cast<std::size_t>(in) + 1];
    const Point P{corner[X], corner[Y]};
    const Piece pin = piece(in, P.x, P.y), pout = piece(out, P.x, P.y);
    const long double d = d_;
    long double nx, ny;
    rightNormal(pin.tx, pin.ty, nx, ny);
    const Point E{P.x + d * nx, P.y + d * ny};  // where the incoming piece ends, shifted
    rightNormal(pout.tx, pout.ty, nx, ny);
    const Point S{P.x + d * nx, P.y + d * ny};  // where the outgoing piece starts, shifted
    // A gap below the last decimal written is no corner.
    const bool corner2 = std::hypot(E.x - S.x, E.y - S.y) > 0.5L * std::pow(10.0L, -s_.decimals);
    const long double turn = pin.tx * pout.ty - pin.ty * pout.tx;  // > 0: a left turn
    const bool outside = corner2 && (turn * d > 0 || std::fabs(turn) < 1e-12L);
    Point X0;
    bool cross = false;
    if (corner2 && !outside) {
        Point pts[2];
        int n = 0;
        if (!pin.arc)
            n = lineCircle(E, pin.tx, pin.ty, {pout.cx, pout.cy}, pout.rho, pts);
        else if (!pout.arc)
            n = lineCircle(S, pout.tx, pout.ty, {pin.cx, pin.cy}, pin.rho, pts);
        else
            n = circleCircle({pin.cx, pin.cy}, pin.rho, {pout.cx, pout.cy}, pout.rho, pts);
        cross = nearest(pts, n, P, X0);
    }
    const long double roundDir = d > 0 ? kMotionCcw : kMotionCw;
    const int aEnd = in + 1;
    const int c1 = lastPointRow_ + 1, c2 = lastPointRow_ + 2;  // the closed contour's repeated first segment
    auto roundArc = [&](Row& r, Point from) {
        r[G] = roundDir;
        r[NI] = s_.Bridgeport ? P.x - from.x : P.x;
        r[NJ] = s_.Bridgeport ? P.y - from.y : P.y;
        r[NK] = r[NR] = kNaN;
    };
    auto moveArcStart = [&](int s, Point to) {
        Row& start = rows_[static_cast<std::size_t>(s)];
        start[NX] = to.x;
        start[NY] = to.y;
        if (s_.Bridgeport) {
            long double cx, cy;
            centreOf(s, cx, cy);
            rows_[static_cast<std::size_t>(s) + 1][NI] = cx - to.x;
            rows_[static_cast<std::size_t>(s) + 1][NJ] = cy - to.y;
        }
    };
    // The repeated first segment writes nothing where the contour's own first one does.
    auto silence = [&](int r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        row[NX] = row[NY] = row[NZ] = row[G] = row[PreX] = row[PreY] = kNaN;
    };
    // At the seam of a closed contour the first row starts the outgoing piece.
    auto startAtSeam = [&] {
        Row& first = rows_[4];
        first[NX] = S.x;
        first[NY] = S.y;
        first[NZ] = rows_[3][Z];
        first[G] = first[Motion];
    };
    Row& inEnd = rows_[static_cast<std::size_t>(aEnd)];
    if (!pin.arc && !pout.arc) {
        // Straight moves meet at a mitre, except where one turns straight
        // back on the other: that mitre lies out of all reach, so the tip is
        // rounded instead.
        const long double dot = pin.tx * pout.tx + pin.ty * pout.ty;
        if (std::sqrt(std::max<long double>(0, (1 + dot) / 2)) >= 1e-6L) return;
        Row& r = rows_[static_cast<std::size_t>(seam ? c2 : out + 1)];
        r[PreX] = E.x;
        r[PreY] = E.y;
        r[NX] = S.x;
        r[NY] = S.y;
        r[NZ] = rows_[static_cast<std::size_t>(out)][Z];
        roundArc(r, E);
        if (seam) startAtSeam();
        return;
    }
    if (!pin.arc) {
        // A straight move into an arc: its line runs to the arc's start.
        Row& join = rows_[static_cast<std::size_t>(seam ? c1 : out)];
        if (seam) {
            join[NX] = rows_[3][NX];
            join[NY] = rows_[3][NY];
            join[NZ] = rows_[3][NZ];
            join[G] = join[Motion] = inEnd[Motion];
            silence(c2);
        }
        if (cross) {
            moveArcStart(out, X0);
            join[NX] = X0.x;
            join[NY] = X0.y;
        } else if (outside) {
            join[PreX] = E.x;
            join[PreY] = E.y;
            roundArc(join, E);
        }
    } else if (!pout.arc) {
        // An arc into a straight move: the line starts where the arc ends.
        const int lineEnd = seam ? 4 : out + 1;
        if (seam) {
            startAtSeam();
            silence(c2);
        }
        if (cross) {
            inEnd[NX] = X0.x;
            inEnd[NY] = X0.y;
            if (seam) {
                rows_[4][NX] = X0.x;
                rows_[4][NY] = X0.y;
            }
        } else if (outside) {
            Row& r = rows_[static_cast<std::size_t>(seam ? c2 : lineEnd)];
            r[NX] = S.x;
            r[NY] = S.y;
            r[NZ] = rows_[static_cast<std::size_t>(out)][Z];
            roundArc(r, {inEnd[NX], inEnd[NY]});
        }
    } else {
        // Two arcs: the second starts where the first ends.
        if (seam) {
            silence(c1);
            silence(c2);
        }
        if (cross) {
            inEnd[NX] = X0.x;
            inEnd[NY] = X0.y;
            moveArcStart(out, X0);
        } else if (outside) {
            Row& r = rows_[static_cast<std::size_t>(seam ? c1 : out)];
            r[NX] = rows_[static_cast<std::size_t>(out)][NX];
            r[NY] = rows_[static_cast<std::size_t>(out)][NY];
            r[NZ] = rows_[static_cast<std::size_t>(out)][NZ];
            roundArc(r, {inEnd[NX], inEnd[NY]});
        }
    }
}

void OffsetTable::JoinCorners() {
    for (int s = 3; s + 3 <= lastPointRow_; s += 2) joinAt(s, s + 2, false);
    const Row& last = rows_[static_cast<std::size_t>(lastPointRow_)];
    if (Closed() && lastPointRow_ >= 4 && last[X] == rows_[3][X] && last[Y] == rows_[3][Y])
        joinAt(lastPointRow_ - 1, 3, true);
}

void OffsetTable::LoadGridBack() {
    grid_.assign(rows_.size(), GridRow{});
    const int dp = s_.decimals;
    for (int r = 3; r < Rows(); ++r) {
        const Row& row = rows_[static_cast<std::size_t>(r)];
        if (!IsSet(row[Kind])) continue;
        GridRow& g = grid_[static_cast<std::size_t>(r)];
        for (int c = NX; c <= NR; ++c)
            if (IsSet(row[c])) g.cell[c - NX] = CoordinateText(row[c], dp);
        g.g = IsSet(row[G]) ? static_cast<int>(row[G]) : -1;
        if (IsSet(row[PreX])) {
            g.preX = CoordinateText(row[PreX], dp);
            g.preY = CoordinateText(row[PreY], dp);
            g.preG = IsSet(row[Motion]) ? static_cast<int>(row[Motion]) : -1;
        }
    }
}

void OffsetTable::CopyBack(std::vector<std::string>& out) {
    const AxisCodes& c = s_.codes;
    const Letters& L = c.letters;
    auto code = [&](int g) -> std::string {
        switch (g) {
            case kMotionRapid: return c.Code(LabelRow::Rapid) + " ";
            case kMotionLine: return c.Code(LabelRow::Line) + " ";
            case kMotionCw: return c.Code(LabelRow::ArcCw);
            case kMotionCcw: return c.Code(LabelRow::ArcCcw);
            default: return {};
        }
    };
    auto add = [&](std::string line) {
        if (line.empty()) return;
        if (s_.SwapXY) line = OrderWordsMLast(line, L);
        out.push_back(std::move(line));
    };
    out.emplace_back(" ");
    for (const GridRow& g : grid_) {
        if (!g.preX.empty()) add(code(g.preG) + L.X + g.preX + " " + L.Y + g.preY + " ");
        std::string line = code(g.g);
        const std::string* letter[7] = {&L.X, &L.Y, &L.Z, &L.I, &L.J, &L.K, &L.R};
        bool centre = false;
        for (int k = 0; k < 7; ++k) {
            if (g.cell[k].empty()) continue;
            if ((k == 3 || k == 4) && !g.cell[6].empty()) continue;  // R stands for I and J
            line += *letter[k] + g.cell[k] + " ";
            if (k == 3 || k == 4 || k == 6) centre = true;
        }
        // An arc without a centre is dropped.
        if (isArcMotion(g.g) && !centre) continue;
        add(std::move(line));
    }
    out.emplace_back(" ");
}

// ---------------------------------------------------------------------- Auto

std::vector<std::string> OffsetAuto(const std::vector<std::string>& lines, int selStartLine, int selLineCount,
                                    float d, const OffsetSettings& s, OffsetReport& report) {
    std::vector<std::string> out;
    OffsetTable table(s, d);
    ProgramPosition pos(s);
    auto process = [&](int first, int last) {
        pos.AdvanceTo(lines, first);
        table.CreateArray();
        if (table.Load_Array(lines, first, last, pos) < 2) return;  // nothing to shift along
        table.Arcs2(report);
        table.Loopback2();
        table.LastLine();
        table.LineVect2();
        table.OuterAngle2();
        table.RemoveLines();
        table.JoinCorners();
        table.LoadGridBack();
        table.CopyBack(out);
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
