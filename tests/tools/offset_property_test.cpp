// The offset of real contours, measured independently of the code that
// makes it: drawings written by ezdxf (python3-ezdxf) and LibreCAD's part
// library (librecad-data) are imported for the shipped machines, with their
// "Swap X Y" and sign boxes as shipped and all off; every cut block is
// offset; every point of each result, arcs sampled, must lie |d| from the
// contour as the program's X and Y words draw it (a mitre's corner up to
// the mitre limit farther), on the side the sign of d names, without a
// loop, closed when the contour is - or the contour must be refused with a
// message naming its line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../dxf/dxf_test_support.h"
#include "../plot/rs274_oracle.h"
#include "../settings/temp_folder.h"
#include "dxf/dxf_import.h"
#include "offset_path.h"
#include "settings/machine_settings.h"
#include "text/label_code.h"
#include "tools/offset.h"

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

// The shipped machine file, or a copy with every axis sign and swap box off.
std::string machineFile(const tolva::test::TempFolder& dir, const std::string& name, bool shipped) {
    std::string bytes;
    tolva::ReadFileBytes(std::string(TOLVA_SOURCE_DIR) + "/data/" + name, bytes);
    if (!shipped) bytes = tolva::test::WithoutSignsAndSwaps(bytes);
    return dir.write((shipped ? "" : "plain-") + name, bytes);
}

enum class Outcome { Right, Refused, Wrong };

// Whether some point d to the side of some piece of the contour (right for
// d > 0) is at least |d| from all of it: whether an offset has anything to
// keep at all.
bool anyOffsetPoint(const std::vector<PathElement>& contour, double d) {
    for (const PathElement& e : contour)
        for (int k = 1; k < 32; ++k) {
            const PathPoint f = e.At(k / 32.0);
            const PathPoint t = TangentAt(e, f);
            const PathPoint q{f.x + d * t.y, f.y - d * t.x};  // the right-hand normal times d
            double best = 1e300;
            for (const PathElement& c : contour) best = std::min(best, c.DistanceTo(q));
            if (best >= std::fabs(d) - 1e-6) return true;
        }
    return false;
}

// Whether the region inside a simple closed contour that lies at least r from
// it is one piece (the contour has an inward offset by r): counted on a grid
// of cells, inside by the crossing rule on the sampled outline.
bool insideOffsetIsOnePiece(const std::vector<PathElement>& contour, double r) {
    const std::vector<PathPoint> poly = SamplePath(contour);
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const PathPoint& p : poly) x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    const int n = 120;
    const double h = std::max(x1 - x0, y1 - y0) / n;
    std::vector<int> free(static_cast<std::size_t>((n + 1) * (n + 1)), 0);
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            const PathPoint q{x0 + i * h, y0 + j * h};
            bool in = false;
            for (std::size_t k = 0; k + 1 < poly.size(); ++k) {
                const PathPoint a = poly[k], b = poly[k + 1];
                if ((a.y > q.y) != (b.y > q.y) && q.x < a.x + (q.y - a.y) * (b.x - a.x) / (b.y - a.y)) in = !in;
            }
            if (!in) continue;
            double dist = 1e300;
            for (const PathElement& c : contour) dist = std::min(dist, c.DistanceTo(q));
            free[static_cast<std::size_t>(i * (n + 1) + j)] = dist >= r;
        }
    int pieces = 0;
    std::vector<int> stack;
    for (std::size_t start = 0; start < free.size(); ++start) {
        if (free[start] != 1) continue;
        ++pieces;
        free[start] = 2;
        stack.push_back(static_cast<int>(start));
        while (!stack.empty()) {
            const int c = stack.back();
            stack.pop_back();
            const int i = c / (n + 1), j = c % (n + 1);
            for (auto [di, dj] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int a = i + di, b = j + dj;
                if (a < 0 || b < 0 || a > n || b > n) continue;
                int& f = free[static_cast<std::size_t>(a * (n + 1) + b)];
                if (f == 1) {
                    f = 2;
                    stack.push_back(a * (n + 1) + b);
                }
            }
        }
    }
    return pieces == 1;
}

struct Tally {
    int right = 0, refused = 0, wrong = 0;
    int refusedSimple = 0;  // of closed contours that neither cross nor touch themselves
    int simple = 0, simpleRight = 0;
    int refusedWithoutOffset = 0;  // refused where there is no offset to find
    std::vector<std::string> wrongCases;
    std::string refusals;
    int Total() const { return right + refused + wrong; }
};

// One block's offset against the block's contour.
Outcome judge(const Lines& program, int cutOn, int cutOff, double d, const tolva::OffsetSettings& s,
              bool centresFromStart, std::string& why, bool& isSimple, bool& noOffset, bool viaRs274 = false) {
    // The contour as the machine runs it: from where the tool stands at the
    // cut-on, rapids before the first feed only placing the start.
    ProgramReader reader;
    reader.centresFromStart = centresFromStart;
    PathElement e;
    int motion = -1;
    for (int k = 0; k <= cutOn; ++k) reader.Take(program[static_cast<std::size_t>(k)], e, motion);
    std::vector<PathElement> contour;
    for (int k = cutOn + 1; k < cutOff; ++k)
        if (reader.Take(program[static_cast<std::size_t>(k)], e, motion) && !(contour.empty() && motion == 0))
            contour.push_back(e);
    if (contour.empty()) return Outcome::Right;
    const bool closed = std::hypot(contour.back().b.x - contour.front().a.x, contour.back().b.y - contour.front().a.y) == 0;
    // Closed without crossing or touching itself: what a part's outline or a hole is.
    bool simple = closed && !PolylineCrossesItself(SamplePath(contour), true);
    for (std::size_t a = 0; simple && a < contour.size(); ++a)
        for (std::size_t b = a + 1; simple && b < contour.size(); ++b)
            simple = std::hypot(contour[a].b.x - contour[b].b.x, contour[a].b.y - contour[b].b.y) > 1e-9;
    isSimple = simple;
    // No offset to find: the path crosses or touches itself, nothing lies |d|
    // to its side, or the offset inwards would vanish or fall apart.
    noOffset = false;

    tolva::OffsetReport report;
    const Lines out = tolva::OffsetAuto(program, cutOn, cutOff - cutOn - 1, static_cast<float>(d), s, report);
    if (!report.refused.empty()) {
        why = report.RefusalText();
        std::vector<PathPoint> pts = SamplePath(contour);
        bool touches = PolylineCrossesItself(pts, closed);
        for (std::size_t a = 0; !touches && a < contour.size(); ++a)
            for (std::size_t b = a + 1; !touches && b < contour.size(); ++b)
                touches = !(closed && a == 0 && b + 1 == contour.size()) &&
                          std::hypot(contour[a].b.x - contour[b].b.x, contour[a].b.y - contour[b].b.y) < 1e-9;
        double area = 0;
        for (std::size_t k = 0; k + 1 < pts.size(); ++k) area += pts[k].x * pts[k + 1].y - pts[k + 1].x * pts[k].y;
        const bool inwards = (area > 0) == (d < 0);  // left of a counter-clockwise outline is inside
        noOffset = touches || (simple && inwards && !insideOffsetIsOnePiece(contour, std::fabs(d))) ||
                   !anyOffsetPoint(contour, d);
        const bool named = why.rfind("Line ", 0) == 0;
        if (simple) why = "simple " + why;
        return out.empty() && named ? Outcome::Refused : Outcome::Wrong;
    }
    // The result: its first line places the start, each later one a move.
    ProgramReader result;
    result.centresFromStart = centresFromStart;
    std::vector<PathElement> path;
    bool placed = false;
    for (const std::string& line : out) {
        PathElement m;
        int mo = -1;
        const bool moved = result.Take(line, m, mo);
        if (!placed) {
            placed = result.movedXY;
            continue;
        }
        if (moved) path.push_back(m);
    }
    if (path.empty()) {
        why = "no moves written";
        return Outcome::Wrong;
    }
    // Within 1e-3, and the contour's own arcs are only as true as their numbers.
    double tol = 1e-3;
    for (const PathElement& c : contour) tol = std::max(tol, 1e-3 + c.worstMismatch());
    const double ad = std::fabs(d);
    char buf[200];
    for (const PathElement& m : path) {
        if (m.arc && m.worstMismatch() > tol) {
            why = "an arc whose end is off its circle";
            return Outcome::Wrong;
        }
        const int n = m.arc ? std::max(24, static_cast<int>(std::fabs(m.Sweep()) * 40)) : 24;
        for (int k = 0; k <= n; ++k) {
            const PathPoint q = m.At(static_cast<double>(k) / n);
            // The nearest points of the contour: at a cusp or where the
            // contour runs back near itself several are equally near, and
            // the point must lie on the side d names of one of them.
            double best = 1e300;
            for (const PathElement& c : contour) best = std::min(best, c.DistanceTo(q));
            bool atEnd = true, sideOk = false;
            PathPoint foot, tangent;
            for (const PathElement& c : contour) {
                if (c.DistanceTo(q) > best + 1e-6) continue;
                bool end = false;
                // Near a corner the side is the corner's, which the rounding of the numbers blurs.
                const PathPoint f = NearestOn(c, q, end, 2 * tol);
                if (end) continue;
                atEnd = false;
                foot = f, tangent = TangentAt(c, f);
                // Left of the travel for d < 0.
                const double side = tangent.x * (q.y - f.y) - tangent.y * (q.x - f.x);
                sideOk = sideOk || (side > 0) == (d < 0);
            }
            const bool mitre = !m.arc && atEnd && best <= tolva::kMitreLimit * ad + tol;
            if (best < ad - tol || (best > ad + tol && !mitre)) {
                std::snprintf(buf, sizeof buf, "(%.4f, %.4f) lies %.4f from the contour", q.x, q.y, best);
                why = buf;
                return Outcome::Wrong;
            }
            if (!atEnd && !sideOk) {
                std::snprintf(buf, sizeof buf, "(%.4f, %.4f) lies on the wrong side of (%.4f, %.4f) going (%.3f, %.3f)",
                              q.x, q.y, foot.x, foot.y, tangent.x, tangent.y);
                why = buf;
                return Outcome::Wrong;
            }
        }
    }
    const PathPoint start = path.front().a, end = path.back().b;
    if (closed && std::hypot(end.x - start.x, end.y - start.y) > tol) {
        why = "the offset of a closed contour stays open";
        return Outcome::Wrong;
    }
    if (PolylineCrossesItself(SamplePath(path), closed)) {
        why = "the offset crosses itself";
        return Outcome::Wrong;
    }
    if (viaRs274) {
        // LinuxCNC runs the result (every arc's end on its circle), and every
        // move it makes ends |d| from the contour, or at a mitre's corner.
        Lines program = {std::string("G17 G21 G90 ") + (centresFromStart ? "G91.1" : "G90.1") + " F100"};
        program.insert(program.end(), out.begin(), out.end());
        program.push_back("M2");
        std::vector<tolva::test::CanonMove> moves;
        tolva::test::Rs274(program, moves);
        if (::testing::Test::HasFatalFailure()) {
            why = "rs274 does not run it";
            return Outcome::Wrong;
        }
        int fed = 0;
        for (const tolva::test::CanonMove& m : moves) {
            if (m.kind != tolva::test::CanonMove::Feed && m.kind != tolva::test::CanonMove::Arc) continue;
            ++fed;
            double best = 1e300;
            for (const PathElement& c : contour) best = std::min(best, c.DistanceTo({m.x, m.y}));
            if (best < ad - tol || best > tolva::kMitreLimit * ad + tol) {
                std::snprintf(buf, sizeof buf, "rs274 ends a move at (%.4f, %.4f), %.4f from the contour", m.x, m.y, best);
                why = buf;
                return Outcome::Wrong;
            }
        }
        if (fed < static_cast<int>(path.size())) {
            why = "rs274 makes fewer moves than were written";
            return Outcome::Wrong;
        }
    }
    return Outcome::Right;
}

// Imports every drawing for the machine and judges every cut block at each d.
void judgeDrawings(const std::vector<std::string>& drawings, const std::string& ini, const std::vector<double>& ds,
                   std::map<double, Tally>& tally, bool viaRs274 = false) {
    tolva::test::TempFolder folder("tolva-offset");
    tolva::MachineSettings settings(folder.path());
    ASSERT_TRUE(settings.UseCommandLineMachineFile(ini).ok) << ini;
    for (const std::string& drawing : drawings) {
        const tolva::DxfImportResult r = tolva::ImportDxf(drawing, settings);
        if (r.kind != tolva::DxfImportResult::Program) continue;
        // Written with 4 decimals: the shipped 3 would by themselves move a
        // point up to 7e-4 and an arc's radius up to 1.4e-3.
        tolva::OffsetSettings s = tolva::ReadOffsetSettings(settings);
        s.decimals = 4;
        const bool centresFromStart = settings.Flag("Bridgeport");
        const std::string& on = s.codes.Code(tolva::LabelRow::BeginBlock);
        const std::string& off = s.codes.Code(tolva::LabelRow::EndBlock);
        const int n = static_cast<int>(r.lines.size());
        for (int i = 0; i < n; ++i) {
            if (!tolva::HasCode(r.lines[static_cast<std::size_t>(i)], on)) continue;
            int j = i + 1;
            while (j < n && !tolva::HasCode(r.lines[static_cast<std::size_t>(j)], off)) ++j;
            if (j >= n || j - i - 1 < 2) continue;
            for (double d : ds) {
                std::string why;
                bool simple = false, noOffset = false;
                const Outcome o = judge(r.lines, i, j, d, s, centresFromStart, why, simple, noOffset, viaRs274);
                tally[d].refusedWithoutOffset += o == Outcome::Refused && noOffset;
                Tally& t = tally[d];
                t.simple += simple;
                t.simpleRight += simple && o == Outcome::Right;
                if (o == Outcome::Right) ++t.right;
                if (o == Outcome::Refused) {
                    ++t.refused;
                    if (why.rfind("simple ", 0) == 0) ++t.refusedSimple;
                    t.refusals += drawing + " d=" + std::to_string(d) + ": " + why + "\n";
                }
                if (o == Outcome::Wrong) {
                    ++t.wrong;
                    t.wrongCases.push_back(fs::path(ini).filename().string() + " " + drawing + " line " +
                                           std::to_string(i + 2) + " d=" + std::to_string(d) + ": " + why);
                }
            }
        }
    }
}

}  // namespace

TEST(OffsetProperty, EzdxfShapesUnderTheShippedMachinesAndWithoutTheirSwaps) {
    tolva::test::TempFolder dir("tolva-offset-shapes");
    const std::string script = std::string(TOLVA_SOURCE_DIR) + "/tests/tools/offset_shapes.py";
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + dir.path()).c_str()), 0);
    std::vector<std::string> drawings;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.path().extension() == ".dxf") drawings.push_back(e.path().string());
    std::sort(drawings.begin(), drawings.end());
    ASSERT_GE(drawings.size(), 9u);
    const std::vector<double> ds = {-0.2, 0.2, -2, 2};
    for (const char* name : {"tolva.ini", "plasma.ini"})
        for (bool shipped : {true, false}) {
            SCOPED_TRACE(std::string(name) + (shipped ? "" : ", swaps and signs off"));
            std::map<double, Tally> tally;
            judgeDrawings(drawings, machineFile(dir, name, shipped), ds, tally, /*viaRs274=*/shipped);
            for (double d : ds) {
                const Tally& t = tally[d];
                EXPECT_GE(t.Total(), 12) << d;
                for (const std::string& w : t.wrongCases) ADD_FAILURE() << w;
                // At the small offset every simple closed shape has room: none
                // may be refused. (A path over itself, such as a circle's
                // lead-in and lead-out, may be.)
                if (std::fabs(d) < 1) {
                    EXPECT_EQ(t.refusedSimple, 0) << d << "\n" << t.refusals;
                }
                std::printf("%s%s d=%g: %d right, %d refused, %d wrong\n", name, shipped ? "" : " (plain)", d,
                            t.right, t.refused, t.wrong);
            }
        }
}

// LibreCAD's part library, every drawing with a program, for the shipped
// mill. The title-block sheets are counted apart: their lettering, strokes a
// tenth of a millimetre wide, has no offset by 0.2 or 2 to find.
TEST(OffsetProperty, LibreCadDrawings) {
    std::vector<std::string> parts, sheets;
    const bool installed = tolva::test::ForEachLibreCadDrawing([&](const std::string& path, bool autosketch) {
        if (!autosketch) (path.find("/library/sheets/") != std::string::npos ? sheets : parts).push_back(path);
    });
    if (!installed) GTEST_SKIP() << "librecad-data is not installed";
    tolva::test::TempFolder dir("tolva-offset-library");
    const std::vector<double> ds = {-0.2, 0.2, -2, 2};
    const std::string ini = machineFile(dir, "tolva.ini", true);
    for (auto* drawings : {&parts, &sheets}) {
        std::map<double, Tally> tally;
        judgeDrawings(*drawings, ini, ds, tally);
        const char* what = drawings == &parts ? "LibreCAD parts" : "LibreCAD sheets";
        for (double d : ds) {
            const Tally& t = tally[d];
            for (const std::string& w : t.wrongCases) ADD_FAILURE() << w;
            std::printf("%s (%zu drawings) d=%g: %d contours, %d right (%.1f %%), %d refused where no offset exists "
                        "(the path crosses or touches itself, nothing lies |d| to its side, or its offset inwards "
                        "vanishes or falls apart), %d "
                        "other refused, %d wrong; simple closed contours: %d, %d right\n",
                        what, drawings->size(), d, t.Total(), t.right, 100.0 * t.right / std::max(1, t.Total()),
                        t.refusedWithoutOffset, t.refused - t.refusedWithoutOffset, t.wrong, t.simple, t.simpleRight);
            // What the offset reaches today on the parts: no silent failure
            // at all, and this share right at the small offset, the rest
            // refused with the line named.
            if (drawings == &parts && std::fabs(d) < 1) {
                EXPECT_GE(t.right, 0.94 * t.Total()) << d;
                EXPECT_GE(t.right + t.refusedWithoutOffset, 0.98 * t.Total()) << d;
            }
        }
    }
}
