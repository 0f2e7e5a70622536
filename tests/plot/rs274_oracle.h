// LinuxCNC's G-code interpreter rs274 (package linuxcnc-uspace) as an
// independent reader of the programs we write: its canonical output, reduced
// to the moves and the spindle switches.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tolva::test {

struct CanonMove {
    enum Kind { Traverse, Feed, Arc, SpindleOn, SpindleOff } kind;
    double x = 0, y = 0, z = 0;  // end point (moves)
    double cx = 0, cy = 0;       // arc centre
    int turn = 0;                // arc: +1 counter-clockwise, -1 clockwise
};

// The shell command running rs274 on `path`. rs274 keeps its tool table in
// $HOME/.tool.mmap, truncated and mapped by every run, so runs side by side
// (ctest -j) crash each other with a bus error: each process gets a home of
// its own.
inline std::string Rs274Command(const std::string& path) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tolva-rs274-home-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    return "HOME='" + home.string() + "' rs274 -g '" + path + "' </dev/null 2>&1";
}

// Runs rs274 on `program`; a failure to run it, or an error it reports, fails
// the calling test (ASSERT_NO_FATAL_FAILURE at the call).
inline void Rs274(const std::vector<std::string>& program, std::vector<CanonMove>& out) {
    out.clear();
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / ("tolva_rs274_" + std::to_string(::getpid()) + ".ngc")).string();
    {
        std::ofstream f(path);
        for (const std::string& l : program) f << l << "\n";
    }
    const std::string command = Rs274Command(path);
    FILE* p = ::popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr) << "rs274 (linuxcnc-uspace) cannot be run";
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    const int status = ::pclose(p);
    std::filesystem::remove(path);
    ASSERT_EQ(status, 0) << "rs274 failed:\n" << text;
    ASSERT_NE(text.find("PROGRAM_END"), std::string::npos) << "rs274 stopped early:\n" << text;
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
            std::sscanf(a, "%lf, %lf, %lf, %lf, %d, %lf", &m.x, &m.y, &m.cx, &m.cy, &m.turn, &m.z);
        } else if (args("START_SPINDLE_")) {
            m.kind = CanonMove::SpindleOn;
        } else if (args("STOP_SPINDLE_TURNING(")) {
            m.kind = CanonMove::SpindleOff;
        } else {
            continue;
        }
        out.push_back(m);
    }
}

}  // namespace tolva::test
