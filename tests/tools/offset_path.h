// Reading back the paths of a contour and of its offset (G00/G01 lines and
// G02/G03 arcs with absolute X Y I J), and measuring one against the other.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <string>
#include <vector>

#include "text/gcode_words.h"
#include "text/number_format.h"

struct PathPoint {
    double x = 0, y = 0;
};

inline std::string CoordinateTextForTest(double v) { return tolva::CoordinateText(v, 4); }

inline PathPoint ReadPoint(const std::string& line) {
    return {tolva::WordValue("X", line).value, tolva::WordValue("Y", line).value};
}

// Distance of v from the line through a and b, positive on the right of a -> b.
inline double SignedDistanceRight(PathPoint a, PathPoint b, PathPoint v) {
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    const double tx = (b.x - a.x) / len, ty = (b.y - a.y) / len;
    return (v.x - a.x) * ty - (v.y - a.y) * tx;
}

struct PathElement {
    bool arc = false, cw = false;
    PathPoint a, b, c;  // start, end, centre
    double Radius() const { return std::hypot(a.x - c.x, a.y - c.y); }
    double worstMismatch() const { return arc ? std::fabs(std::hypot(b.x - c.x, b.y - c.y) - Radius()) : 0; }
    // Signed sweep from a to b, radians (+ counter-clockwise); a full turn when a == b.
    double Sweep() const {
        const double a0 = std::atan2(a.y - c.y, a.x - c.x), a1 = std::atan2(b.y - c.y, b.x - c.x);
        double s = a1 - a0;
        if (cw) {
            while (s >= 0) s -= 2 * M_PI;
        } else {
            while (s <= 0) s += 2 * M_PI;
        }
        return s;
    }
    PathPoint At(double t) const {
        if (!arc) return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
        const double a0 = std::atan2(a.y - c.y, a.x - c.x) + t * Sweep();
        return {c.x + Radius() * std::cos(a0), c.y + Radius() * std::sin(a0)};
    }
    double DistanceTo(PathPoint p) const {
        if (!arc) {
            const double vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
            double t = len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            return std::hypot(p.x - a.x - t * vx, p.y - a.y - t * vy);
        }
        double rel = std::atan2(p.y - c.y, p.x - c.x) - std::atan2(a.y - c.y, a.x - c.x);
        const double sweep = Sweep();
        if (sweep > 0) {
            while (rel < 0) rel += 2 * M_PI;
            while (rel >= 2 * M_PI) rel -= 2 * M_PI;
            if (rel <= sweep) return std::fabs(std::hypot(p.x - c.x, p.y - c.y) - Radius());
        } else {
            while (rel > 0) rel -= 2 * M_PI;
            while (rel <= -2 * M_PI) rel += 2 * M_PI;
            if (rel >= sweep) return std::fabs(std::hypot(p.x - c.x, p.y - c.y) - Radius());
        }
        return std::min(std::hypot(p.x - a.x, p.y - a.y), std::hypot(p.x - b.x, p.y - b.y));
    }
};

struct Path {
    std::vector<PathElement> elements;
    PathPoint start;
    double worstArcMismatch = 0;  // |end radius - start radius| of the arcs
};

// The path of `lines`: the first line with an X word places the start.
inline Path ReadPath(const std::vector<std::string>& lines) {
    Path p;
    bool placed = false;
    int motion = 1;
    PathPoint at;
    for (const std::string& line : lines) {
        if (line.find("G00") != std::string::npos) motion = 0;
        if (line.find("G01") != std::string::npos) motion = 1;
        if (line.find("G02") != std::string::npos) motion = 2;
        if (line.find("G03") != std::string::npos) motion = 3;
        const tolva::WordRead x = tolva::WordValue("X", line), y = tolva::WordValue("Y", line);
        if (!x.found && !y.found) continue;
        const PathPoint to{x.found ? x.value : at.x, y.found ? y.value : at.y};
        if (!placed) {
            p.start = at = to;
            placed = true;
            continue;
        }
        PathElement e;
        e.a = at;
        e.b = to;
        if (motion >= 2) {
            e.arc = true;
            e.cw = motion == 2;
            e.c = {tolva::WordValue("I", line).value, tolva::WordValue("J", line).value};
            p.worstArcMismatch =
                std::max(p.worstArcMismatch, std::fabs(std::hypot(to.x - e.c.x, to.y - e.c.y) - e.Radius()));
        }
        p.elements.push_back(e);
        at = to;
    }
    return p;
}

// How an offset path lies against its contour, sampled along the offset.
struct OffsetMeasure {
    double nearest = 1e300;   // smallest distance of the offset from the contour
    double farthest = 0;      // largest
    double arcMismatch = 0;   // of the offset's arcs
    double closureGap = 0;    // end of the offset from its start
};

inline OffsetMeasure MeasureOffset(const std::vector<std::string>& contour, const std::vector<std::string>& offset) {
    const Path c = ReadPath(contour), o = ReadPath(offset);
    OffsetMeasure m;
    m.arcMismatch = o.worstArcMismatch;
    for (const PathElement& e : o.elements)
        for (int k = 0; k <= 200; ++k) {
            const PathPoint p = e.At(k / 200.0);
            double dist = 1e300;
            for (const PathElement& ce : c.elements) dist = std::min(dist, ce.DistanceTo(p));
            m.nearest = std::min(m.nearest, dist);
            m.farthest = std::max(m.farthest, dist);
        }
    if (!o.elements.empty()) {
        const PathPoint end = o.elements.back().b;
        m.closureGap = std::hypot(end.x - o.start.x, end.y - o.start.y);
    }
    return m;
}

// ---------------------------------------------------------------------------
// An independent reading of program text as a machine runs it, for the
// property tests: absolute X Y, motion G0..G3 (modal), centres by I J
// (absolute, or from the arc's start with `centresFromStart`) or by R. Only
// the letters X Y I J R G are read, one letter and its number at a time.
struct ProgramReader {
    bool centresFromStart = false;
    PathPoint at;       // the tool's position
    int motion = -1;
    bool movedXY = false;  // the last line taken had an X or Y word
    // The move one line makes, if any (false for a line that does not move in X Y).
    bool Take(const std::string& line, PathElement& e, int& motionOut) {
        bool hasX = false, hasY = false, hasI = false, hasJ = false, hasR = false;
        double x = at.x, y = at.y, i = 0, j = 0, r = 0;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(line[k])));
            if (c == '(') {
                k = line.find(')', k);
                if (k == std::string::npos) break;
                continue;
            }
            if (!std::isalpha(static_cast<unsigned char>(c))) continue;
            char* end = nullptr;
            const double v = std::strtod(line.c_str() + k + 1, &end);
            if (end == line.c_str() + k + 1) continue;
            switch (c) {
                case 'X': x = v, hasX = true; break;
                case 'Y': y = v, hasY = true; break;
                case 'I': i = v, hasI = true; break;
                case 'J': j = v, hasJ = true; break;
                case 'R': r = v, hasR = true; break;
                case 'G':
                    if (v == 0 || v == 1 || v == 2 || v == 3) motion = static_cast<int>(v);
                    break;
                default: break;
            }
            k = static_cast<std::size_t>(end - line.c_str()) - 1;
        }
        motionOut = motion;
        movedXY = hasX || hasY;
        if (!hasX && !hasY) return false;
        e = PathElement{};
        e.a = at;
        e.b = {x, y};
        if (motion == 2 || motion == 3) {
            e.arc = true;
            e.cw = motion == 2;
            if (hasR) {
                const double cx = x - at.x, cy = y - at.y, chord = std::hypot(cx, cy);
                const double h = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
                const double side = (e.cw ? 1 : -1) * (r > 0 ? 1 : -1);
                e.c = {(at.x + x) / 2 + side * h * cy / chord, (at.y + y) / 2 - side * h * cx / chord};
            } else {
                e.c = {centresFromStart ? at.x + (hasI ? i : 0) : (hasI ? i : at.x),
                       centresFromStart ? at.y + (hasJ ? j : 0) : (hasJ ? j : at.y)};
            }
        }
        at = e.b;
        return e.a.x != e.b.x || e.a.y != e.b.y || e.arc;
    }
};

// Where on the element the point q is nearest: the foot, and whether it is
// an end (or within `endZone` of one).
inline PathPoint NearestOn(const PathElement& e, PathPoint q, bool& atEnd, double endZone = 1e-9) {
    atEnd = false;
    PathPoint best = std::hypot(q.x - e.a.x, q.y - e.a.y) < std::hypot(q.x - e.b.x, q.y - e.b.y) ? e.a : e.b;
    double bestD = std::hypot(q.x - best.x, q.y - best.y);
    if (!e.arc) {
        const double vx = e.b.x - e.a.x, vy = e.b.y - e.a.y, l2 = vx * vx + vy * vy;
        const double t = l2 > 0 ? ((q.x - e.a.x) * vx + (q.y - e.a.y) * vy) / l2 : 0;
        const double zone = endZone / std::sqrt(l2);
        if (t > zone && t < 1 - zone) return {e.a.x + t * vx, e.a.y + t * vy};
    } else {
        const double r = e.Radius(), ang = std::atan2(q.y - e.c.y, q.x - e.c.x);
        const PathPoint f{e.c.x + r * std::cos(ang), e.c.y + r * std::sin(ang)};
        const bool nearEnd =
            std::hypot(f.x - e.a.x, f.y - e.a.y) < endZone || std::hypot(f.x - e.b.x, f.y - e.b.y) < endZone;
        if (!nearEnd && e.DistanceTo(q) < bestD - 1e-12 &&
            std::fabs(std::hypot(q.x - f.x, q.y - f.y) - e.DistanceTo(q)) < 1e-9)
            return f;
    }
    atEnd = true;
    return best;
}

// The direction of travel of the element at its point f.
inline PathPoint TangentAt(const PathElement& e, PathPoint f) {
    if (!e.arc) {
        const double l = std::hypot(e.b.x - e.a.x, e.b.y - e.a.y);
        return {(e.b.x - e.a.x) / l, (e.b.y - e.a.y) / l};
    }
    const double r = std::hypot(f.x - e.c.x, f.y - e.c.y), s = e.cw ? -1 : 1;
    return {-s * (f.y - e.c.y) / r, s * (f.x - e.c.x) / r};
}

// Points along a path, arcs in steps of at most 3 degrees.
inline std::vector<PathPoint> SamplePath(const std::vector<PathElement>& path) {
    std::vector<PathPoint> pts;
    if (path.empty()) return pts;
    pts.push_back(path.front().a);
    for (const PathElement& e : path) {
        const int n = e.arc ? std::max(2, static_cast<int>(std::fabs(e.Sweep()) / (M_PI / 60)) + 1) : 1;
        for (int k = 1; k <= n; ++k) pts.push_back(e.At(static_cast<double>(k) / n));
    }
    return pts;
}

// Whether the polyline crosses or touches itself away from neighbouring pieces.
inline bool PolylineCrossesItself(const std::vector<PathPoint>& p, bool closed) {
    auto orient = [](PathPoint a, PathPoint b, PathPoint c) {
        return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    };
    const std::size_t n = p.size();
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 2; j + 1 < n; ++j) {
            if (closed && i == 0 && j + 2 == n) continue;
            const PathPoint a = p[i], b = p[i + 1], c = p[j], d = p[j + 1];
            if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
                std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y))
                continue;
            const double o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a), o4 = orient(c, d, b);
            if (((o1 > 0) != (o2 > 0)) && ((o3 > 0) != (o4 > 0)) && o1 != 0 && o2 != 0 && o3 != 0 && o4 != 0)
                return true;
        }
    return false;
}
