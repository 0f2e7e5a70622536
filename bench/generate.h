// Generated programs of realistic shape for the benchmarks.
#pragma once

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

}  // namespace bench
