#include "dxf/path_orientation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279503L;
constexpr long double kTwoPi = 2 * kPi;

struct Pt {
    long double x = 0, y = 0;
};

// One piece as the control runs it: a straight move, or an arc about c with
// the signed sweep (counter-clockwise positive, radians).
struct Piece {
    Pt a, b, c;
    long double sweep = 0;  // 0 for a straight move
    long double sinSweep = 0;
};

struct Box {
    long double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    void add(const Pt& p) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    bool holds(const Pt& p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

struct ClosedPath {
    const PathSpan* span = nullptr;
    std::vector<Piece> pieces;
    long double area = 0;  // signed, counter-clockwise positive
    Box box;
    Pt probe;  // a point on the path, tested against the others
};

// Reads the pieces of a span; false when the path is not a closed XY path
// (open, an arc without I or J, a word missing or not finite).
class PathReader {
public:
    PathReader(const PathAssemblySettings& s, const std::vector<PiecePoints>* points)
        : cw_(s.codes.Code(LabelRow::ArcCw)), ccw_(s.codes.Code(LabelRow::ArcCcw)), tolerance_(s.connectTolerance),
          words_{s.codes.Code(LabelRow::XLetter), s.codes.Code(LabelRow::YLetter), s.codes.Code(LabelRow::ILetter),
                 s.codes.Code(LabelRow::JLetter)},
          centre_{s.codes.Code(LabelRow::ILetter), s.codes.Code(LabelRow::JLetter)}, points_(points) {
        // Which axis of the chained points carries the control's X and Y.
        const Letters& l = s.codes.letters;
        auto axis = [&](const std::string& letter) {
            if (letter == l.X) return 0;
            if (letter == l.Y) return 1;
            if (letter == l.Z && s.includeZ) return 2;
            return -1;
        };
        xAxis_ = axis(s.codes.Code(LabelRow::XLetter));
        yAxis_ = axis(s.codes.Code(LabelRow::YLetter));
        if (xAxis_ < 0 || yAxis_ < 0) points_ = nullptr;
    }

    bool Read(const std::vector<std::string>& lines, const PathSpan& span, ClosedPath& out) const {
        out.pieces.clear();
        if (words_.Count() != 4) return false;  // an empty letter: nothing to judge by
        out.pieces.reserve((span.end - span.begin) / 2);
        std::size_t piece = span.firstPiece;
        for (std::size_t k = span.begin; k + 1 < span.end; k += 2, ++piece) {
            Piece p;
            WordRead c[2];
            if (points_ && piece < points_->size()) {
                const PiecePoints& q = (*points_)[piece];
                p.a = {axisValue(q.a, xAxis_), axisValue(q.a, yAxis_)};
                p.b = {axisValue(q.b, xAxis_), axisValue(q.b, yAxis_)};
                if (isArc(lines[k + 1])) centre_.Read(lines[k + 1], c);
            } else {
                WordRead s[4], e[4];
                words_.Read(lines[k], s);
                words_.Read(lines[k + 1], e);
                if (!s[0].found || !s[1].found || !e[0].found || !e[1].found) return false;
                p.a = {s[0].value, s[1].value};
                p.b = {e[0].value, e[1].value};
                c[0] = e[2];
                c[1] = e[3];
            }
            const bool ccw = HasCode(lines[k + 1], ccw_);
            const bool cw = !ccw && HasCode(lines[k + 1], cw_);
            if (ccw || cw) {
                if (!c[0].found || !c[1].found) return false;  // an arc in another plane
                p.c = {c[0].value, c[1].value};
                // The angle from start to end about the centre, taken the
                // arc's way round; a start on its end is a whole turn.
                const long double ux = p.a.x - p.c.x, uy = p.a.y - p.c.y, vx = p.b.x - p.c.x, vy = p.b.y - p.c.y;
                const long double cross = ux * vy - uy * vx;
                long double d = std::atan2(cross, ux * vx + uy * vy);
                const bool full = p.a.x == p.b.x && p.a.y == p.b.y;
                if (ccw) {
                    if (d <= 0 || full) d += kTwoPi;
                } else {
                    if (d >= 0 || full) d -= kTwoPi;
                }
                p.sweep = d;
                const long double norms = std::sqrt((ux * ux + uy * uy) * (vx * vx + vy * vy));
                p.sinSweep = full || norms == 0 ? 0 : cross / norms;
            }
            for (const Pt* q : {&p.a, &p.b, &p.c})
                if (!std::isfinite(q->x) || !std::isfinite(q->y)) return false;
            out.pieces.push_back(p);
        }
        if (out.pieces.empty()) return false;
        const Pt& first = out.pieces.front().a;
        const Pt& last = out.pieces.back().b;
        if (std::fabs(first.x - last.x) + std::fabs(first.y - last.y) > tolerance_) return false;
        out.span = &span;
        out.probe = first;
        out.area = 0;
        out.box = Box{};
        Pt at = last;  // the path closes from its last point to its first
        for (const Piece& p : out.pieces) {
            out.area += (at.x * p.a.y - p.a.x * at.y) / 2;  // the joint, normally of no length
            out.area += (p.a.x * p.b.y - p.b.x * p.a.y) / 2;
            out.box.add(p.a);
            out.box.add(p.b);
            if (p.sweep != 0) {
                // The region between chord and arc: r^2/2 (t - sin t), signed with the sweep.
                const long double r2 = (p.a.x - p.c.x) * (p.a.x - p.c.x) + (p.a.y - p.c.y) * (p.a.y - p.c.y);
                out.area += r2 / 2 * (p.sweep - p.sinSweep);
                const long double r = std::sqrt(r2);
                out.box.add({p.c.x - r, p.c.y - r});
                out.box.add({p.c.x + r, p.c.y + r});
            }
            at = p.b;
        }
        return std::isfinite(out.area) && out.area != 0;
    }

private:
    static long double axisValue(const LinePoint& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }
    bool isArc(std::string_view line) const { return HasCode(line, ccw_) || HasCode(line, cw_); }

    const std::string& cw_;
    const std::string& ccw_;
    long double tolerance_;
    WordReader words_;   // X Y I J
    WordReader centre_;  // I J
    const std::vector<PiecePoints>* points_;
    int xAxis_ = 0, yAxis_ = 1;
};

// Crossings of the ray from q towards +X with the straight move u -> v, by the
// half-open rule (an end exactly at q's height counts on one side only).
int crossesLine(const Pt& u, const Pt& v, const Pt& q) {
    if ((u.y > q.y) == (v.y > q.y)) return 0;
    const long double x = u.x + (q.y - u.y) * (v.x - u.x) / (v.y - u.y);
    return x > q.x ? 1 : 0;
}

// The same for an arc, cut where its height turns (at 90 and 270 degrees)
// into pieces of one height direction each; the cut points are computed, the
// arc's own ends are taken as written so that neighbouring pieces agree.
int crossesArc(const Piece& p, const Pt& q) {
    const long double r = std::hypot(p.a.x - p.c.x, p.a.y - p.c.y);
    const long double a0 = std::atan2(p.a.y - p.c.y, p.a.x - p.c.x);
    const long double dir = p.sweep > 0 ? 1 : -1;
    const long double span = std::fabs(p.sweep);
    // Parameters (distance along the sweep) of the turning points inside it.
    long double cuts[6];
    int n = 0;
    for (long double turn : {kPi / 2, 3 * kPi / 2}) {
        long double t = dir > 0 ? turn - a0 : a0 - turn;
        t = std::fmod(t, kTwoPi);
        if (t < 0) t += kTwoPi;
        for (; t < span && n < 6; t += kTwoPi)
            if (t > 0) cuts[n++] = t;
    }
    for (int i = 1; i < n; ++i)  // at most 4 values: insertion sort
        for (int j = i; j > 0 && cuts[j - 1] > cuts[j]; --j) std::swap(cuts[j - 1], cuts[j]);
    int count = 0;
    Pt u = p.a;
    long double tu = 0;
    for (int i = 0; i <= n; ++i) {
        const long double tv = i < n ? cuts[i] : span;
        const Pt v = i < n ? Pt{p.c.x + r * std::cos(a0 + dir * tv), p.c.y + r * std::sin(a0 + dir * tv)} : p.b;
        if ((u.y > q.y) != (v.y > q.y)) {
            const long double mid = a0 + dir * (tu + tv) / 2;
            const long double h = q.y - p.c.y;
            const long double w = std::sqrt(std::max(0.0L, r * r - h * h));
            const long double x = p.c.x + (std::cos(mid) >= 0 ? w : -w);
            if (x > q.x) ++count;
        }
        u = v;
        tu = tv;
    }
    return count;
}

bool contains(const ClosedPath& path, const Pt& q) {
    if (!path.box.holds(q)) return false;
    int count = 0;
    Pt at = path.pieces.back().b;
    for (const Piece& p : path.pieces) {
        count += crossesLine(at, p.a, q);
        count += p.sweep == 0 ? crossesLine(p.a, p.b, q) : crossesArc(p, q);
        at = p.b;
    }
    return count % 2 == 1;
}

// The closed paths' boxes on a grid, so that a probe meets only the paths
// whose box covers its cell. A box covering many cells (an outline around
// everything) goes to a list every probe reads.
class BoxGrid {
public:
    explicit BoxGrid(const std::vector<ClosedPath>& paths) : paths_(paths) {
        Box all;
        for (const ClosedPath& p : paths) {
            all.add({p.box.x0, p.box.y0});
            all.add({p.box.x1, p.box.y1});
        }
        if (paths.empty()) return;
        const long double side = std::sqrt(static_cast<long double>(paths.size()));
        const long double w = std::max(all.x1 - all.x0, all.y1 - all.y0);
        cell_ = w > 0 ? w / std::max(1.0L, std::ceil(side)) : 1;
        x0_ = all.x0;
        y0_ = all.y0;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const Box& b = paths[i].box;
            const std::int64_t cx0 = cellOf(b.x0, x0_), cx1 = cellOf(b.x1, x0_);
            const std::int64_t cy0 = cellOf(b.y0, y0_), cy1 = cellOf(b.y1, y0_);
            if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) > 64) {
                large_.push_back(i);
                continue;
            }
            for (std::int64_t cx = cx0; cx <= cx1; ++cx)
                for (std::int64_t cy = cy0; cy <= cy1; ++cy) cells_.push_back({key(cx, cy), i});
        }
        std::sort(cells_.begin(), cells_.end());
    }

    // How many paths other than `self` hold q.
    int Depth(const Pt& q, std::size_t self) const {
        int depth = 0;
        for (std::size_t i : large_)
            if (i != self && contains(paths_[i], q)) ++depth;
        const std::uint64_t k = key(cellOf(q.x, x0_), cellOf(q.y, y0_));
        auto it = std::lower_bound(cells_.begin(), cells_.end(), std::pair<std::uint64_t, std::size_t>{k, 0});
        for (; it != cells_.end() && it->first == k; ++it)
            if (it->second != self && contains(paths_[it->second], q)) ++depth;
        return depth;
    }

private:
    std::int64_t cellOf(long double v, long double origin) const {
        const long double t = std::floor((v - origin) / cell_);
        return static_cast<std::int64_t>(std::clamp(t, -1.0e6L, 1.0e6L));
    }
    static std::uint64_t key(std::int64_t cx, std::int64_t cy) {
        return (static_cast<std::uint64_t>(cx + (1 << 21)) << 32) ^ static_cast<std::uint64_t>(cy + (1 << 21));
    }

    const std::vector<ClosedPath>& paths_;
    long double cell_ = 1, x0_ = 0, y0_ = 0;
    std::vector<std::pair<std::uint64_t, std::size_t>> cells_;  // (cell, path), sorted
    std::vector<std::size_t> large_;
};

void reverse(std::vector<std::string>& lines, const PathSpan& span, const AxisCodes& codes, SplitLine& s,
             SplitLine& e, std::vector<std::string>& out) {
    out.clear();
    const std::string& lineCode = codes.Code(LabelRow::Line);
    for (std::size_t k = span.end; k >= span.begin + 2; k -= 2) {
        SplitWords(lines[k - 2], codes.letters, s);
        SplitWords(lines[k - 1], codes.letters, e);
        // The reversed piece starts where it ended, as a straight line to
        // that point, which is where the piece before it now stops.
        std::string start = lineCode + " ";
        for (const std::string* w : {&e.X, &e.Y, &e.Z}) start += *w;
        if (start.size() > kMaxLine) start.resize(kMaxLine);
        out.push_back(std::move(start));
        out.push_back(TurnedRoundEndLine(s, e, codes));
    }
    std::move(out.begin(), out.end(), lines.begin() + static_cast<std::ptrdiff_t>(span.begin));
}

}  // namespace

KerfSide KerfSideOf(const AxisCodes& codes) {
    auto packed = [&](int row) {
        std::string s = codes.Code(row);
        s.erase(std::remove_if(s.begin(), s.end(), IsBlankChar), s.end());
        return s;
    };
    return packed(LabelRow::KerfCompLeft) == packed(LabelRow::KerfCompRight) ? KerfSide::None : KerfSide::Left;
}

std::size_t OrientClosedPaths(std::vector<std::string>& lines, const std::vector<PathSpan>& paths,
                              const PathAssemblySettings& settings, KerfSide side,
                              const std::vector<PiecePoints>* points) {
    if (side == KerfSide::None) return 0;
    PathReader reader(settings, points);
    std::vector<ClosedPath> closed;
    ClosedPath scratch;
    for (const PathSpan& span : paths) {
        if (span.end > lines.size() || span.begin >= span.end) continue;
        if (reader.Read(lines, span, scratch)) closed.push_back(std::move(scratch));
    }
    const BoxGrid grid(closed);
    std::size_t reversed = 0;
    SplitLine s, e;
    std::vector<std::string> scratchLines;
    for (std::size_t i = 0; i < closed.size(); ++i) {
        const bool hole = grid.Depth(closed[i].probe, i) % 2 == 1;
        // Left compensation: outlines clockwise (negative area), holes
        // counter-clockwise.
        const bool wantCcw = hole;
        if ((closed[i].area > 0) != wantCcw) {
            reverse(lines, *closed[i].span, settings.codes, s, e, scratchLines);
            ++reversed;
        }
    }
    return reversed;
}

}  // namespace tolva
