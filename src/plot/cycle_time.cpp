#include "plot/cycle_time.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <system_error>

#include "settings/machine_settings.h"

namespace tolva {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kInf = std::numeric_limits<double>::infinity();
// Shorter moves take no time and set no direction.
constexpr double kShortest = 1e-9;

// A decimal number and nothing else but blanks around it.
std::optional<double> number(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The most of `limit` (per axis) a motion along unit vector `u` may have: the
// axis carrying the largest share of it relative to its own limit decides.
double alongAxes(const double limit[3], const double u[3]) {
    double best = kInf;
    for (int a = 0; a < 3; ++a)
        if (std::fabs(u[a]) > 1e-12) best = std::min(best, limit[a] / std::fabs(u[a]));
    return best;
}

// The arc plane's axes: u, v in the plane with u x v along n, the normal, so
// that counter-clockwise seen from +n is increasing angle from u towards v.
void planeAxes(MovePlane p, int& u, int& v, int& n) {
    switch (p) {
        case MovePlane::XY: u = 0, v = 1, n = 2; return;
        case MovePlane::XZ: u = 2, v = 0, n = 1; return;  // Z x X = +Y
        case MovePlane::YZ: u = 1, v = 2, n = 0; return;
    }
}

}  // namespace

std::optional<MotionLimits> ReadMotionLimits(const MachineSettings& settings) {
    static constexpr std::string_view speeds[] = {"XMaxSpeedEdit", "YMaxSpeedEdit", "ZMaxSpeedEdit"};
    static constexpr std::string_view accels[] = {"XAccelEdit", "YAccelEdit", "ZAccelEdit"};
    MotionLimits m;
    for (int a = 0; a < 3; ++a) {
        const auto s = number(settings.Text(speeds[a]));
        const auto acc = number(settings.Text(accels[a]));
        if (!s || !acc || *s <= 0 || *acc <= 0) return std::nullopt;
        m.maxSpeed[a] = *s;
        m.accel[a] = *acc;
    }
    const auto d = number(settings.Text("JunctionDeviationEdit"));
    if (!d || *d < 0) return std::nullopt;
    m.junctionDeviation = *d;
    return m;
}

void CycleTime::Start(const MotionLimits& limits) {
    limits_ = limits;
    blocks_.clear();
    lastCutOn_ = false;
    stopPending_ = false;
}

void CycleTime::TakeMove(const Move& move) {
    if (!blocks_.empty() && move.cutOn != lastCutOn_) stopPending_ = true;
    lastCutOn_ = move.cutOn;

    double axisSpeed[3], axisAccel[3];
    for (int a = 0; a < 3; ++a) {
        axisSpeed[a] = limits_.maxSpeed[a] / 60.0;
        axisAccel[a] = limits_.accel[a];
    }
    Block b{};
    double length = 0, cap = 0, accel = 0;
    double first[3] = {0, 0, 0}, last[3] = {0, 0, 0};  // unit directions at the ends
    if (move.kind == MoveKind::Arc) {
        int u = 0, v = 1, n = 2;
        planeAxes(move.plane, u, v, n);
        const double su = move.start[u] - move.centre[u], sv = move.start[v] - move.centre[v];
        const double eu = move.end[u] - move.centre[u], ev = move.end[v] - move.centre[v];
        const double r0 = std::sqrt(su * su + sv * sv), r1 = std::sqrt(eu * eu + ev * ev);
        // The angle from the start radius to the end radius, counter-clockwise.
        const double turned = std::atan2(su * ev - sv * eu, su * eu + sv * ev);
        double sweep = move.clockwise ? -turned : turned;
        if (move.fullCircle) sweep = 2 * kPi;
        while (sweep <= 0) sweep += 2 * kPi;
        const double r = (r0 + r1) / 2;
        const double planar = sweep * r, rise = move.end[n] - move.start[n];
        length = std::sqrt(planar * planar + rise * rise);
        if (!(length > kShortest) || !std::isfinite(length) || !(r0 > 0) || !(r1 > 0)) return;
        // The share of the motion in the plane and along the normal.
        const double inPlane = planar / length, along = rise / length;
        // Tangents: the radius turned a quarter the way the arc runs.
        const double turn = move.clockwise ? -1.0 : 1.0;
        auto tangent = [&](double ru, double rv, double radius, double out[3]) {
            out[u] = -rv / radius * turn * inPlane;
            out[v] = ru / radius * turn * inPlane;
            out[n] = along;
        };
        tangent(su, sv, r0, first);
        tangent(eu, ev, r1, last);
        // The in-plane part of the motion points along each plane axis
        // somewhere on a long enough arc: the smaller axis limits hold.
        double speed = std::min(axisSpeed[u], axisSpeed[v]);
        accel = std::min(axisAccel[u], axisAccel[v]);
        if (inPlane > 1e-12) {
            const double centripetal = r > 0 ? std::sqrt(accel * r) : 0.0;
            speed = std::min(speed, centripetal) / inPlane;
            accel /= inPlane;
        } else {
            speed = accel = kInf;
        }
        if (std::fabs(along) > 1e-12) {
            speed = std::min(speed, axisSpeed[n] / std::fabs(along));
            accel = std::min(accel, axisAccel[n] / std::fabs(along));
        }
        cap = speed;
    } else {
        double d[3];
        for (int a = 0; a < 3; ++a) d[a] = move.end[a] - move.start[a];
        length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (!(length > kShortest) || !std::isfinite(length)) return;
        for (int a = 0; a < 3; ++a) first[a] = last[a] = d[a] / length;
        cap = alongAxes(axisSpeed, first);
        accel = alongAxes(axisAccel, first);
    }
    b.length = static_cast<float>(length);
    b.cap = static_cast<float>(cap);
    b.accel = static_cast<float>(accel);
    if (move.kind == MoveKind::Rapid) {
        b.speed = Speed::Own;
        b.feed = b.cap;
    } else if (move.feed > 0 && std::isfinite(move.feed)) {
        b.speed = Speed::Own;
        b.feed = static_cast<float>(move.feed / 60.0);
    } else {
        b.speed = move.cutOn ? Speed::Cut : Speed::Traverse;
    }

    // The corner before it.
    b.junction = 0;
    if (!blocks_.empty() && !stopPending_) {
        const double cosTheta =
            -(lastDirection_[0] * first[0] + lastDirection_[1] * first[1] + lastDirection_[2] * first[2]);
        if (cosTheta < -0.999999) {
            b.junction = std::numeric_limits<float>::infinity();  // straight on
        } else if (cosTheta <= 0.999999) {
            double j[3], size = 0;
            for (int a = 0; a < 3; ++a) {
                j[a] = first[a] - lastDirection_[a];
                size += j[a] * j[a];
            }
            size = std::sqrt(size);
            for (double& c : j) c /= size;
            const double sinHalf = std::sqrt(0.5 * (1.0 - cosTheta));
            b.junction = static_cast<float>(
                std::sqrt(alongAxes(axisAccel, j) * limits_.junctionDeviation * sinHalf / (1.0 - sinHalf)));
        }
    }
    stopPending_ = false;
    for (int a = 0; a < 3; ++a) lastDirection_[a] = last[a];
    blocks_.push_back(b);
}

double CycleTime::target(const Block& b, double cutSpeed, double traverseSpeed) const {
    const double wanted = b.speed == Speed::Own ? b.feed : b.speed == Speed::Cut ? cutSpeed / 60.0 : traverseSpeed / 60.0;
    return std::min<double>(b.cap, wanted);
}

double CycleTime::Minutes(double cutSpeed, double traverseSpeed) const {
    const std::size_t n = blocks_.size();
    if (n == 0) return 0;
    // The speed entering each block; entry[n] the end, at rest.
    std::vector<double> entry(n + 1);
    double before = 0;  // the previous block's target
    for (std::size_t i = 0; i < n; ++i) {
        const double t = target(blocks_[i], cutSpeed, traverseSpeed);
        entry[i] = std::min({static_cast<double>(blocks_[i].junction), t, i > 0 ? before : t});
        before = t;
    }
    entry[n] = 0;
    // What can still be braked to the end, then what can be reached from the start.
    for (std::size_t i = n; i-- > 0;) {
        const Block& b = blocks_[i];
        entry[i] = std::min(entry[i], std::sqrt(entry[i + 1] * entry[i + 1] + 2.0 * b.accel * b.length));
    }
    for (std::size_t i = 0; i < n; ++i) {
        const Block& b = blocks_[i];
        entry[i + 1] = std::min(entry[i + 1], std::sqrt(entry[i] * entry[i] + 2.0 * b.accel * b.length));
    }
    double seconds = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Block& b = blocks_[i];
        const double v0 = entry[i], v1 = entry[i + 1], vc = target(b, cutSpeed, traverseSpeed);
        const double a = b.accel, L = b.length;
        const double up = (vc * vc - v0 * v0) / (2 * a), down = (vc * vc - v1 * v1) / (2 * a);
        if (up + down <= L) {
            seconds += (vc - v0) / a + (vc - v1) / a + (L - up - down) / vc;
        } else {
            // Too short to reach the target: up to a peak and straight down.
            const double peak = std::max({std::sqrt((2 * a * L + v0 * v0 + v1 * v1) / 2), v0, v1});
            seconds += (2 * peak - v0 - v1) / a;
        }
    }
    return seconds / 60.0;
}

}  // namespace tolva
