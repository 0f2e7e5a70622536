// The indexed SORTOUT3 must give, byte for byte, what the pass loop gives:
// random drawings (fixed seed) full of near-coincident points, gaps within
// and just outside the tolerance, pieces drawn backwards, arcs, Z, junk lines
// and odd tolerances.
#include <gtest/gtest.h>

#include <random>

#include "base/program_file.h"
#include "dxf/sortout_pass_loop.h"
#include "path_test_support.h"

using namespace tolva;
using namespace tolva::pathtest;

namespace {

struct Drawing {
    std::vector<std::string> segment;
    PathAssemblySettings settings;
};

class DrawingMaker {
public:
    explicit DrawingMaker(unsigned seed) : rng_(seed) {}

    Drawing Make(std::size_t pieces) {
        Drawing d;
        const int kind = pick(10);
        const bool includeZ = pick(4) == 0;
        double tol = 0.005;
        if (kind == 0) tol = 0.0f;
        if (kind == 1) tol = 0.5f;
        if (kind == 2) tol = 1e-7f;
        if (kind == 3) tol = -0.001f;
        d.settings = Settings(tol, includeZ, pick(5) == 0, pick(7) == 0);

        // Anchor points on a coarse grid, so that many ends meet; every end
        // is an anchor moved by nothing, by a hair, by just under or just
        // over the tolerance, or exactly by it.
        const std::size_t anchors = 1 + pieces / (1 + pick(4));
        std::vector<std::array<double, 3>> anchor(anchors);
        for (auto& a : anchor) a = {double(pick(12)), double(pick(12)), double(pick(3)) * -2.0};
        auto point = [&](std::array<double, 3> p) {
            static const double kOffsets[] = {0, 0, 0, 0.0001, 0.002, 0.0025, 0.003, 0.0049, 0.005, 0.0051, 0.006, 0.3};
            const double o = kOffsets[pick(12)];
            switch (pick(4)) {
                case 0: p[0] += o; break;
                case 1: p[1] -= o; break;
                case 2: p[0] -= o / 2, p[1] += o / 2; break;
                default: p[2] += o; break;
            }
            return p;
        };
        auto line = [&](const std::array<double, 3>& p) {
            return includeZ && pick(8) ? LineZ(p[0], p[1], p[2]) : Line(p[0], p[1]);
        };
        for (std::size_t i = 0; i < pieces; ++i) {
            auto s = point(anchor[pick(anchors)]);
            auto e = point(anchor[pick(anchors)]);
            if (pick(3) == 0) std::swap(s, e);  // drawn backwards
            const int what = pick(20);
            if (what < 4) {  // an arc about the middle of its chord
                d.segment.push_back(line(s));
                d.segment.push_back(Arc(2 + pick(2), e[0], e[1], (s[0] + e[0]) / 2, (s[1] + e[1]) / 2));
            } else if (what == 4) {  // frame-like or junk text
                static const char* kJunk[] = {"", " ", "M08", "(X5 Y5)", "X", "N10 X1.0000 Y1.0000 M3"};
                d.segment.push_back(kJunk[pick(6)]);
                d.segment.push_back(line(e));
            } else {
                d.segment.push_back(line(s));
                d.segment.push_back(line(e));
            }
        }
        if (pick(15) == 0) d.segment.push_back(line(point(anchor[0])));  // an odd last line
        return d;
    }

private:
    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    std::mt19937 rng_;
};

// What the drawings exercised, so that a generator gone dull fails loudly.
struct Coverage {
    std::size_t drawings = 0, multiPath = 0, turned = 0, turnedArc = 0, laterPass = 0;
};

void Compare(const Drawing& d, Coverage& c, std::size_t n) {
    const std::vector<std::string> fast = ChainPieces(d.segment, d.settings);
    const std::vector<std::string> loop = ChainPiecesPassLoop(d.segment, d.settings);
    ASSERT_EQ(JoinLines(fast, LineEnd::LF, true), JoinLines(loop, LineEnd::LF, true))
        << "drawing " << n << ":\n" << JoinLines(d.segment, LineEnd::LF, true);
    ++c.drawings;
    std::size_t begins = 0;
    bool turned = false, arc = false;
    for (const std::string& l : fast) {
        begins += l == "M03 ";
        if (l.rfind("G01  ", 0) == 0) turned = true;
        if (l.rfind("G02  ", 0) == 0 || l.rfind("G03  ", 0) == 0) arc = true;
    }
    c.multiPath += begins > 1;
    c.turned += turned;
    c.turnedArc += arc;
}

}  // namespace

TEST(SortoutEquivalence, IndexedMatchesThePassLoopOnRandomDrawings) {
    DrawingMaker maker(20260707);
    Coverage c;
    for (std::size_t n = 0; n < 3000; ++n) {
        const std::size_t pieces = 1 + n % 97;
        Compare(maker.Make(pieces), c, n);
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(c.drawings, 3000u);
    EXPECT_GT(c.multiPath, 1500u);
    EXPECT_GT(c.turned, 1000u);
    EXPECT_GT(c.turnedArc, 500u);
}

TEST(SortoutEquivalence, IndexedMatchesThePassLoopOnLargerDrawings) {
    DrawingMaker maker(7);
    Coverage c;
    for (std::size_t n = 0; n < 8; ++n) {
        Compare(maker.Make(1500 + 250 * n), c, n);
        if (HasFatalFailure()) return;
    }
}

TEST(SortoutEquivalence, PassContinuesAfterTheJoinedPieceNotFromTheStart) {
    // After the third piece joins, the pass goes on with the fourth; the
    // second, which also touches the new end, waits for the next pass and by
    // then the path has moved on.
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    Piece(seg, 2, 0, 5, 5);
    Piece(seg, 1, 0, 2, 0);
    Piece(seg, 2, 0, 7, 7);
    const PathAssemblySettings s = Settings();
    const std::vector<std::string> out = ChainPieces(seg, s);
    EXPECT_EQ(out, ChainPiecesPassLoop(seg, s));
    EXPECT_EQ(out[9], Line(7, 7));
    EXPECT_EQ(out[14], Line(2, 0));  // the second piece opens the second path
}
