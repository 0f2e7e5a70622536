// The interpreter's stream of moves against rs274 on generated programs:
// straight moves and rapids, arcs with centre words and with +R and -R in the
// three planes, full circles, helices, incremental stretches and modal words
// left out. Every move's kind, end, centre, plane and direction must be what
// rs274 runs, and the stream must not change with the plot's axis signs and
// swaps (they belong to the view).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/host.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "rs274_oracle.h"
#include "settings/machine_settings.h"

using namespace tolva;
using tolva::test::CanonMove;

namespace {

// Programs on a grid of 0.001 units, positions held in thousandths so that
// incremental words add up exactly.
class ProgramGenerator {
public:
    ProgramGenerator(unsigned seed, bool radiusArcsInEveryPlane) : rng_(seed), anyPlaneR_(radiusArcsInEveryPlane) {}

    std::vector<std::string> Make(int moves) {
        std::vector<std::string> p{"G21 G17 G90 G94 F100"};
        for (int i = 0; i < moves; ++i) p.push_back(next());
        p.push_back("M30");
        return p;
    }

private:
    long long pick(long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(rng_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }
    static std::string num(long long milli) {
        char b[32];
        std::snprintf(b, sizeof b, "%.3f", milli / 1000.0);
        return b;
    }
    // The axis words of a move to `to`, each left out when unchanged.
    std::string axisWords(const long long* to) {
        std::string s;
        for (int a = 0; a < 3; ++a)
            if (to[a] != pos_[a]) s += std::string(" ") + "XYZ"[a] + num(incremental_ ? to[a] - pos_[a] : to[a]);
        for (int a = 0; a < 3; ++a) pos_[a] = to[a];
        return s;
    }
    // The motion code, left out when in force, written with any G word.
    std::string motion(const char* code, const std::string& gWords) {
        const bool write = code != motion_ || !gWords.empty();
        motion_ = code;
        return gWords + (write ? std::string(code) : std::string());
    }

    std::string next() {
        std::string g;
        const int kind = static_cast<int>(pick(0, 99));
        const bool radius = kind >= 75;
        if (chance(15) && (!radius || anyPlaneR_)) {
            plane_ = static_cast<int>(pick(0, 2));
            g += std::string("G1") + "789"[plane_] + " ";
        }
        if (radius && !anyPlaneR_ && plane_ != 0) plane_ = 0, g += "G17 ";
        if (chance(10)) {
            incremental_ = !incremental_;
            g += incremental_ ? "G91 " : "G90 ";
        }
        long long to[3] = {pos_[0], pos_[1], pos_[2]};
        if (kind < 45) {  // straight, rapid or fed; at least one axis moves
            do {
                for (long long& v : to)
                    if (chance(50)) v = pick(-50000, 50000);
            } while (to[0] == pos_[0] && to[1] == pos_[1] && to[2] == pos_[2]);
            const std::string code = motion(chance(20) ? "G00" : "G01", g);
            return code + axisWords(to);
        }
        // The plane's two axes (first, second as rs274 turns them) and its normal.
        static const int u[] = {0, 2, 1}, v[] = {1, 0, 2}, n[] = {2, 1, 0};
        const int a = u[plane_], b = v[plane_], normal = n[plane_];
        const bool cw = chance(50);
        // A radius is read only on a line that carries its arc code.
        if (radius) motion_.clear();
        const std::string code = motion(cw ? "G02" : "G03", g);
        if (chance(25)) to[normal] = pick(-20000, 20000);  // a helix
        if (!radius) {
            long long off[3] = {0, 0, 0};
            do {
                off[a] = pick(-20000, 20000), off[b] = pick(-20000, 20000);
            } while (std::hypot(off[a], off[b]) < 500);
            const double r = std::hypot(off[a], off[b]);
            if (!chance(15)) {  // otherwise a full circle
                const double t = pick(0, 359999) * 3.14159265358979 / 180000.0;
                to[a] = std::llround(pos_[a] + off[a] + r * std::cos(t));
                to[b] = std::llround(pos_[b] + off[b] + r * std::sin(t));
            }
            std::string centre;
            for (int c = 0; c < 3; ++c) {
                if (c == normal) continue;
                // In XY a zero I or J may be left out.
                if (off[c] == 0 && plane_ == 0 && chance(70)) continue;
                centre += std::string(" ") + "IJK"[c] + num(off[c]);
            }
            return code + axisWords(to) + centre;
        }
        long long chord[3] = {0, 0, 0};
        do {
            chord[a] = pick(-15000, 15000), chord[b] = pick(-15000, 15000);
        } while (std::hypot(chord[a], chord[b]) < 500);
        to[a] = pos_[a] + chord[a], to[b] = pos_[b] + chord[b];
        long long r = std::llround(std::hypot(chord[a], chord[b]) / 2 * (1.05 + pick(0, 200) / 100.0));
        if (chance(40)) r = -r;
        return code + axisWords(to) + " R" + num(r);
    }

    std::mt19937 rng_;
    bool anyPlaneR_;
    long long pos_[3] = {0, 0, 0};
    int plane_ = 0;
    bool incremental_ = false;
    std::string motion_;
};

class MoveLog final : public MoveSink {
public:
    std::vector<Move> moves;
    void TakeMove(const Move& m) override { moves.push_back(m); }
};

// The stream of `program` under the shipped machine file `machine`, with
// every axis sign and swap box off when `plain`.
std::vector<Move> Stream(const std::vector<std::string>& program, const std::string& machine, bool plain) {
    MachineSettings settings{"/nonexistent-tolva-folder"};
    settings.SetMachineFile(std::string(TOLVA_SOURCE_DIR) + "/data/" + machine);
    EXPECT_TRUE(settings.Ldini().ok) << machine;
    if (plain)
        for (const char* box : {"XsignCheckBox", "YsignCheckBox", "ZsignCheckBox", "SwapXY", "SwapYZ"})
            settings.SetFlag(box, false);
    PlotState state;
    NullCanvas canvas;
    Interpreter interp(state, canvas, &settings);
    MoveLog log;
    interp.AddMoveSink(&log);
    VectorLines text(program);
    interp.MainLineCount = static_cast<int>(program.size());
    RecordingHost host;
    interp.PlotAll(text, false, true, 0, 0, host);
    return log.moves;
}

// rs274 prints four decimals: 1e-4 is 1e-6 of the programs' extent.
bool Near(double a, double b) { return std::fabs(a - b) <= 1.0e-4; }

// Compares the stream with rs274's moves; empty when they agree.
std::string Differences(const std::vector<Move>& stream, const std::vector<CanonMove>& canon) {
    std::vector<CanonMove> moves;
    for (const CanonMove& c : canon)
        if (c.kind == CanonMove::Traverse || c.kind == CanonMove::Feed || c.kind == CanonMove::Arc) moves.push_back(c);
    if (stream.size() != moves.size())
        return "the stream has " + std::to_string(stream.size()) + " moves, rs274 " + std::to_string(moves.size());
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const Move& m = stream[i];
        const CanonMove& c = moves[i];
        const std::string at = "move " + std::to_string(i) + " (line " + std::to_string(m.line + 1) + "): ";
        const CanonMove::Kind kind = m.kind == MoveKind::Rapid  ? CanonMove::Traverse
                                     : m.kind == MoveKind::Line ? CanonMove::Feed
                                                                : CanonMove::Arc;
        if (kind != c.kind) return at + "kind differs";
        if (!Near(m.end[0], c.x) || !Near(m.end[1], c.y) || !Near(m.end[2], c.z)) return at + "end differs";
        if (i > 0 && (m.start[0] != stream[i - 1].end[0] || m.start[1] != stream[i - 1].end[1] ||
                      m.start[2] != stream[i - 1].end[2]))
            return at + "start is not the previous end";
        if (kind != CanonMove::Arc) continue;
        // rs274's planes: 0 XY, 1 YZ, 2 XZ.
        const int plane = m.plane == MovePlane::XY ? 0 : m.plane == MovePlane::YZ ? 1 : 2;
        if (plane != c.plane) return at + "plane differs";
        if (m.clockwise != (c.turn < 0)) return at + "direction differs";
        const int normal = plane == 0 ? 2 : plane == 1 ? 0 : 1;
        for (int a = 0; a < 3; ++a)
            if (a != normal && !Near(m.centre[a], c.centre[a])) return at + "centre differs";
        if (m.centre[normal] != m.start[normal]) return at + "centre leaves the start's plane";
        bool closed = true;
        for (int a = 0; a < 3; ++a)
            if (a != normal && !Near(m.start[a], m.end[a])) closed = false;
        if (m.fullCircle != closed) return at + "full circle differs";
    }
    return {};
}

std::string Listing(const std::vector<std::string>& program) {
    std::string s;
    for (std::size_t i = 0; i < program.size(); ++i) s += std::to_string(i + 1) + ": " + program[i] + "\n";
    return s;
}

}  // namespace

TEST(MoveStream, IsWhatRs274RunsWhateverTheViewsSignsAndSwaps) {
    for (unsigned seed = 1; seed <= 24; ++seed) {
        std::vector<CanonMove> canon;
        const std::vector<std::string> program = ProgramGenerator(seed, false).Make(60);
        ASSERT_NO_FATAL_FAILURE(test::Rs274(program, canon)) << Listing(program);
        const std::vector<Move> plain = Stream(program, "tolva.ini", true);
        EXPECT_EQ(Differences(plain, canon), "") << Listing(program);
        for (const char* machine : {"tolva.ini", "plasma.ini"}) {
            const std::vector<Move> shipped = Stream(program, machine, false);
            EXPECT_EQ(Differences(shipped, canon), "") << machine << "\n" << Listing(program);
            // Not merely near: the view's settings leave no trace.
            ASSERT_EQ(shipped.size(), plain.size());
            for (std::size_t i = 0; i < plain.size(); ++i)
                for (int a = 0; a < 3; ++a)
                    ASSERT_TRUE(shipped[i].end[a] == plain[i].end[a] && shipped[i].centre[a] == plain[i].centre[a])
                        << machine << " move " << i;
        }
    }
}

// The machine files' plane codes name the planes of the plot's letters, so
// radius arcs after the XZ and YZ plane codes are checked with the swaps off.
TEST(MoveStream, RadiusArcsInEveryPlaneAreWhatRs274Runs) {
    for (unsigned seed = 100; seed < 116; ++seed) {
        std::vector<CanonMove> canon;
        const std::vector<std::string> program = ProgramGenerator(seed, true).Make(60);
        ASSERT_NO_FATAL_FAILURE(test::Rs274(program, canon)) << Listing(program);
        EXPECT_EQ(Differences(Stream(program, "tolva.ini", true), canon), "") << Listing(program);
    }
}
