// Reading back the paths of a contour and of its offset (G00/G01 lines and
// G02/G03 arcs with absolute X Y I J), and measuring one against the other.
#pragma once

#include <algorithm>
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
