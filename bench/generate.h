// Generated programs of realistic shape for the benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace bench {

// About 27 bytes a line: moves, arcs and the odd comment, as a CAM post writes.
inline std::vector<std::string> GenerateProgram(std::size_t lines, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-500.0, 500.0);
    std::vector<std::string> out;
    out.reserve(lines);
    char buf[96];
    for (std::size_t i = 0; i < lines; ++i) {
        int kind = static_cast<int>(rng() % 10);
        if (kind < 6)
            std::snprintf(buf, sizeof buf, "G01 X%.3f Y%.3f F900", coord(rng), coord(rng));
        else if (kind < 8)
            std::snprintf(buf, sizeof buf, "G02 X%.2f Y%.2f I%.1f", coord(rng), coord(rng), coord(rng) / 10);
        else if (kind < 9)
            std::snprintf(buf, sizeof buf, "G00 Z%.3f M05 (RAPID)", coord(rng) / 100);
        else
            std::snprintf(buf, sizeof buf, "N%zu G03 Y%.3f J%.2f", i, coord(rng), coord(rng) / 10);
        out.emplace_back(buf);
    }
    return out;
}

// A plotted program of `lines` lines inside a `size` x `size` square of
// program units: 70% short straight moves, 25% arcs with absolute centres
// near the current point, 5% rapids, cut on/off every 50 lines.
inline std::string GeneratePlotProgram(int lines, double size) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::string out;
    out.reserve(lines * 30);
    double x = 50, y = 50;
    char buf[128];
    auto clampIn = [size](double v) { return std::min(size - 5, std::max(5.0, v)); };
    out += "G00 X50.000 Y50.000\n";
    for (int i = 1; i < lines; ++i) {
        if (i % 50 == 0) {
            out += (i / 50) % 2 ? "M05\n" : "M03\n";
            continue;
        }
        const double p = u(rng);
        if (p < 0.70) {
            x = clampIn(x + (u(rng) - 0.5) * 4);
            y = clampIn(y + (u(rng) - 0.5) * 4);
            std::snprintf(buf, sizeof buf, "G01 X%.3f Y%.3f\n", x, y);
        } else if (p < 0.95) {
            // Absolute centre near the current point, end on the same circle.
            const double r = 0.5 + u(rng) * 2.5, a = u(rng) * 6.283185, b = a + (u(rng) - 0.5) * 3;
            const double cx = clampIn(x - r * std::cos(a)), cy = clampIn(y - r * std::sin(a));
            const double rr = std::hypot(x - cx, y - cy);
            x = cx + rr * std::cos(b);
            y = cy + rr * std::sin(b);
            std::snprintf(buf, sizeof buf, "%s X%.3f Y%.3f I%.3f J%.3f\n", u(rng) < 0.5 ? "G02" : "G03", x, y,
                          cx, cy);
        } else {
            x = 5 + u(rng) * (size - 10);
            y = 5 + u(rng) * (size - 10);
            std::snprintf(buf, sizeof buf, "G00 X%.3f Y%.3f\n", x, y);
        }
        out += buf;
    }
    return out;
}

}  // namespace bench
