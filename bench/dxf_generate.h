// A generated DXF drawing of realistic shape for the DXF benchmarks: R2000
// group codes as AutoCAD writes them (handles, subclass markers), a mix of
// lines, arcs, circles and closed lightweight polylines with bulges.
#pragma once

#include <cstdio>
#include <random>
#include <string>

namespace bench {

inline std::string GenerateDxf(std::size_t entities, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-500.0, 500.0), radius(0.5, 50.0), angle(0.0, 360.0),
        bulge(-1.5, 1.5);
    std::string out;
    out.reserve(entities * 260);
    char buf[256];
    auto pair = [&](const char* code, const char* value) {
        out += code;
        out += '\n';
        out += value;
        out += '\n';
    };
    auto num = [&](const char* code, double v) {
        std::snprintf(buf, sizeof buf, "%.6f", v);
        pair(code, buf);
    };
    pair("  0", "SECTION");
    pair("  2", "HEADER");
    pair("  9", "$ACADVER");
    pair("  1", "AC1015");
    pair("  0", "ENDSEC");
    pair("  0", "SECTION");
    pair("  2", "ENTITIES");
    unsigned handle = 0x100;
    for (std::size_t i = 0; i < entities; ++i) {
        const int kind = static_cast<int>(rng() % 10);
        const char* name = kind < 5 ? "LINE" : kind < 7 ? "ARC" : kind < 8 ? "CIRCLE" : "LWPOLYLINE";
        pair("  0", name);
        std::snprintf(buf, sizeof buf, "%X", handle++);
        pair("  5", buf);
        pair("100", "AcDbEntity");
        pair("  8", "CUT");
        if (kind < 5) {
            pair("100", "AcDbLine");
            num(" 10", coord(rng)); num(" 20", coord(rng)); num(" 30", 0);
            num(" 11", coord(rng)); num(" 21", coord(rng)); num(" 31", 0);
        } else if (kind < 8) {
            pair("100", "AcDbCircle");
            num(" 10", coord(rng)); num(" 20", coord(rng)); num(" 30", 0);
            num(" 40", radius(rng));
            if (kind < 7) {
                pair("100", "AcDbArc");
                num(" 50", angle(rng)); num(" 51", angle(rng));
            }
        } else {
            pair("100", "AcDbPolyline");
            const int n = 4 + static_cast<int>(rng() % 5);
            std::snprintf(buf, sizeof buf, "%d", n);
            pair(" 90", buf);
            pair(" 70", "1");
            pair(" 43", "0.0");
            for (int v = 0; v < n; ++v) {
                num(" 10", coord(rng)); num(" 20", coord(rng));
                if (v % 2 == 1) num(" 42", bulge(rng));
            }
        }
    }
    pair("  0", "ENDSEC");
    pair("  0", "EOF");
    return out;
}

}  // namespace bench
