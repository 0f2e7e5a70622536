// LinuxCNC's G-code interpreter rs274 (package linuxcnc-uspace) as an
// independent reader of the programs we write: its canonical output, reduced
// to the moves and the spindle switches.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tolva::test {

struct CanonMove {
    enum Kind { Traverse, Feed, Arc, SpindleOn, SpindleOff } kind;
    double x = 0, y = 0, z = 0;  // end point (moves)
    double cx = 0, cy = 0;       // arc centre in the XY plane (XY arcs)
    int turn = 0;                // arc: +1 counter-clockwise, -1 clockwise, seen in its plane
    // The arc's plane: 0 XY, 1 YZ, 2 XZ; its centre in X Y Z, the plane's
    // normal axis left at 0.
    int plane = 0;
    double centre[3] = {0, 0, 0};
    int comp = 0;  // cutter radius compensation in force: +1 left, -1 right, 0 off
};

// The shell command running rs274 on `path`. rs274 keeps its tool table in
// $HOME/.tool.mmap, truncated and mapped by every run, so runs side by side
// (ctest -j) crash each other with a bus error: each process gets a home of
// its own.
inline std::string Rs274Command(const std::string& path, const std::string& toolTable = {}) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tolva-rs274-home-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    return "HOME='" + home.string() + "' rs274 " + (toolTable.empty() ? "" : "-t '" + toolTable + "' ") + "-g '" +
           path + "' </dev/null 2>&1";
}

// Runs rs274 on `program` (with `toolTable`, a tool table file, when given)
// into `out`, and its text into `text`; false when rs274 reports an error
// or stops before the program end. A failure to run rs274 at all fails the
// calling test.
inline bool Rs274Run(const std::vector<std::string>& program, std::vector<CanonMove>& out, std::string& text,
                     const std::string& toolTable = {}) {
    out.clear();
    text.clear();
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / ("tolva_rs274_" + std::to_string(::getpid()) + ".ngc")).string();
    {
        std::ofstream f(path);
        for (const std::string& l : program) f << l << "\n";
    }
    const std::string command = Rs274Command(path, toolTable);
    FILE* p = ::popen(command.c_str(), "r");
    EXPECT_NE(p, nullptr) << "rs274 (linuxcnc-uspace) cannot be run";
    if (!p) return false;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    const int status = ::pclose(p);
    std::filesystem::remove(path);
    if (status != 0 || text.find("PROGRAM_END") == std::string::npos) return false;
    int plane = 0, comp = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        auto args = [&](const char* name) -> const char* {
            const std::size_t at = line.find(name);
            return at == std::string::npos ? nullptr : line.c_str() + at + std::char_traits<char>::length(name);
        };
        CanonMove m{};
        if (const char* a = args("STRAIGHT_TRAVERSE(")) {
            m.kind = CanonMove::Traverse;
            std::sscanf(a, "%lf, %lf, %lf", &m.x, &m.y, &m.z);
        } else if (const char* a = args("STRAIGHT_FEED(")) {
            m.kind = CanonMove::Feed;
            std::sscanf(a, "%lf, %lf, %lf", &m.x, &m.y, &m.z);
        } else if (const char* a = args("ARC_FEED(")) {
            m.kind = CanonMove::Arc;
            double e1 = 0, e2 = 0, c1 = 0, c2 = 0, axis = 0;
            std::sscanf(a, "%lf, %lf, %lf, %lf, %d, %lf", &e1, &e2, &c1, &c2, &m.turn, &axis);
            m.plane = plane;
            // The arguments follow the plane: XY (x y | z), YZ (y z | x), XZ (z x | y).
            static const int first[] = {0, 1, 2}, second[] = {1, 2, 0}, normal[] = {2, 0, 1};
            double end[3] = {0, 0, 0};
            end[first[plane]] = e1, end[second[plane]] = e2, end[normal[plane]] = axis;
            m.centre[first[plane]] = c1, m.centre[second[plane]] = c2;
            m.x = end[0], m.y = end[1], m.z = end[2];
            m.cx = plane == 0 ? c1 : 0, m.cy = plane == 0 ? c2 : 0;
        } else if (const char* a = args("SELECT_PLANE(CANON_PLANE_")) {
            plane = a[0] == 'X' && a[1] == 'Y' ? 0 : a[0] == 'Y' ? 1 : 2;
            continue;
        } else if (const char* a = args("COMMENT(\"interpreter: cutter radius compensation ")) {
            comp = std::string_view(a).substr(0, 7) == "on left" ? 1 : std::string_view(a).substr(0, 8) == "on right" ? -1 : 0;
            continue;
        } else if (args("START_SPINDLE_")) {
            m.kind = CanonMove::SpindleOn;
        } else if (args("STOP_SPINDLE_TURNING(")) {
            m.kind = CanonMove::SpindleOff;
        } else {
            continue;
        }
        m.comp = comp;
        out.push_back(m);
    }
    return true;
}

// Runs rs274 on `program`; a failure to run it, or an error it reports, fails
// the calling test (ASSERT_NO_FATAL_FAILURE at the call).
inline void Rs274(const std::vector<std::string>& program, std::vector<CanonMove>& out) {
    std::string text;
    ASSERT_TRUE(Rs274Run(program, out, text)) << "rs274 failed or stopped early:\n" << text;
}

}  // namespace tolva::test
