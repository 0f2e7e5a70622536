// Every operation of the menus and the plot window's modifiers, through the
// table the menus and `--run` use, on programs no one here wrote (LinuxCNC's
// samples) and on the shipped machine files' programs of drawings with arcs.
// LinuxCNC's interpreter (rs274) judges each result: it must run, and its
// cuts must be the operation's geometric transform of the source's cuts
// (translated, turned, mirrored, scaled; the same set for the sorts and
// Swap; the same toolpath for the text operations and the conversions) — or
// the operation refused with a message and left the program as it was.
// The matrix of programs by operations is printed: right, refused, wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../plot/rs274_oracle.h"
#include "app/batch_run.h"
#include "app/document.h"
#include "app/program_operations.h"
#include "base/folders.h"
#include "base/host.h"
#include "base/program_file.h"
#include "plot/modifiers.h"
#include "plot/plot_state.h"
#include "settings/machine_settings.h"
#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using test::CanonMove;

constexpr double kPi = 3.14159265358979323846;

// A cut as rs274 makes it: a straight feed or an arc, from start to end.
struct Cut {
    std::array<double, 3> s{}, e{}, c{};  // start, end, arc centre (plane axes only)
    bool arc = false;
    int plane = 0, turn = 0;
    int comp = 0;  // the cutter compensation it is made with: +1 left, -1 right, 0 off
};

std::vector<Cut> Cuts(const std::vector<CanonMove>& moves) {
    std::vector<Cut> out;
    std::array<double, 3> at{0, 0, 0};
    for (const CanonMove& m : moves) {
        if (m.kind == CanonMove::SpindleOn || m.kind == CanonMove::SpindleOff) continue;
        const std::array<double, 3> to{m.x, m.y, m.z};
        if (m.kind != CanonMove::Traverse) {
            Cut k;
            k.s = at, k.e = to;
            k.arc = m.kind == CanonMove::Arc;
            k.comp = m.comp;
            if (k.arc) {
                k.plane = m.plane, k.turn = m.turn;
                k.c = {m.centre[0], m.centre[1], m.centre[2]};
            }
            // A feed that goes nowhere cuts nothing (a repeated point).
            if (k.arc || std::hypot(to[0] - at[0], to[1] - at[1], to[2] - at[2]) > 1e-9) out.push_back(k);
        }
        at = to;
    }
    return out;
}

// An affine map of points: p -> M p + t.
struct Affine {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double t[3] = {0, 0, 0};
    std::array<double, 3> operator()(const std::array<double, 3>& p) const {
        std::array<double, 3> q{};
        for (int i = 0; i < 3; ++i) q[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + t[i];
        return q;
    }
};

// Plane axes of rs274's planes: XY, YZ, XZ (first, second).
constexpr int kFirst[] = {0, 1, 2}, kSecond[] = {1, 2, 0}, kNormal[] = {2, 0, 1};

Cut Transformed(const Cut& k, const Affine& a) {
    Cut out = k;
    out.s = a(k.s), out.e = a(k.e);
    // A mirror in the plane puts the kerf on the other side of the path.
    if (a.m[0][0] * a.m[1][1] - a.m[0][1] * a.m[1][0] < 0) out.comp = -k.comp;
    if (k.arc) {
        std::array<double, 3> c = k.c;
        c[kNormal[k.plane]] = k.s[kNormal[k.plane]];
        out.c = a(c);
        out.c[kNormal[k.plane]] = 0;
        const int f = kFirst[k.plane], g = kSecond[k.plane];
        const double det = a.m[f][f] * a.m[g][g] - a.m[f][g] * a.m[g][f];
        out.turn = det < 0 ? -k.turn : k.turn;
    }
    return out;
}

bool Near(const Cut& a, const Cut& b, double tol) {
    if (a.arc != b.arc || a.plane != b.plane || a.turn != b.turn || a.comp != b.comp) return false;
    // The centre of an arc given by its radius follows its end points, the
    // more the shorter the chord: ends rounded by tol move it by about
    // tol * radius / half chord.
    double centreTol = tol;
    if (a.arc) {
        const double r = std::hypot(a.s[0] - a.c[0], a.s[1] - a.c[1], a.s[2] - a.c[2]);
        const double chord = std::hypot(a.s[0] - a.e[0], a.s[1] - a.e[1], a.s[2] - a.e[2]);
        if (chord > 1e-9) centreTol = tol * (1 + 2 * r / chord);
    }
    for (int i = 0; i < 3; ++i)
        if (std::fabs(a.s[i] - b.s[i]) > tol || std::fabs(a.e[i] - b.e[i]) > tol ||
            (a.arc && std::fabs(a.c[i] - b.c[i]) > centreTol))
            return false;
    return true;
}

// The cut run the other way, under the compensation code it had (Swap
// reverses the highlighted moves, not the kerf code in force around them).
Cut Reversed(const Cut& k) {
    Cut r = k;
    std::swap(r.s, r.e);
    r.turn = -k.turn;
    return r;
}

std::string Describe(const Cut& k) {
    std::ostringstream o;
    o << (k.arc ? "arc " : "feed ") << k.s[0] << "," << k.s[1] << "," << k.s[2] << " -> " << k.e[0] << "," << k.e[1]
      << "," << k.e[2];
    if (k.arc) o << " about " << k.c[0] << "," << k.c[1] << "," << k.c[2] << " turn " << k.turn << " plane " << k.plane;
    if (k.comp) o << (k.comp > 0 ? " kerf left" : " kerf right");
    return o.str();
}

// Whether `got` holds the cuts of `want` (in order, or as a set), each
// within `tol`; with `eitherWay`, a cut may run the other way. Why not, in
// `why`.
bool SameCuts(std::vector<Cut> want, std::vector<Cut> got, double tol, bool ordered, bool eitherWay,
              std::string& why) {
    if (want.size() != got.size()) {
        why = std::to_string(got.size()) + " cuts where " + std::to_string(want.size()) + " were expected";
        return false;
    }
    if (ordered) {
        for (std::size_t k = 0; k < want.size(); ++k)
            if (!Near(want[k], got[k], tol)) {
                why = "cut " + std::to_string(k) + ": " + Describe(got[k]) + " where " + Describe(want[k]) +
                      " was expected";
                return false;
            }
        return true;
    }
    // As a set: each expected cut takes a matching cut not yet taken.
    auto key = [](const Cut& k) { return std::round(k.s[0] * 100) + std::round(k.e[0] * 100); };
    std::multimap<double, std::size_t> byKey;
    for (std::size_t k = 0; k < got.size(); ++k) byKey.insert({key(got[k]), k});
    std::vector<bool> taken(got.size(), false);
    for (const Cut& w : want) {
        bool found = false;
        for (auto it = byKey.lower_bound(key(w) - 4 - 200 * tol); it != byKey.end() && it->first <= key(w) + 4 + 200 * tol;
             ++it) {
            const std::size_t k = it->second;
            if (taken[k]) continue;
            if (Near(w, got[k], tol) || (eitherWay && Near(Reversed(w), got[k], tol))) {
                taken[k] = found = true;
                break;
            }
        }
        if (!found) {
            why = "no cut like " + Describe(w);
            return false;
        }
    }
    return true;
}

// rs274 reads tools from a table: tools 1..20 and the lathe's 101, all of
// diameter 0 (the cuts are the programmed path).
std::string ToolTable() {
    static const std::string path = [] {
        const std::string p = (fs::temp_directory_path() / ("tolva-tools-" + std::to_string(::getpid()) + ".tbl")).string();
        std::ofstream f(p);
        for (int t : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 101}) f << "T" << t << " P" << t << " D0 Z0 ;\n";
        return p;
    }();
    return path;
}

// What rs274 is given: a lathe program in diameter mode (G7), its home
// return without the incremental axes U W a mill lacks.
Lines ForRs274(Lines lines, bool lathe) {
    if (!lathe) return lines;
    for (std::string& l : lines) {
        std::string packed;
        for (char ch : l)
            if (ch != ' ') packed += ch;
        if (packed.find("G28U0.W0.") != std::string::npos) l = "G28";
    }
    lines.insert(lines.begin() + (lines.empty() ? 0 : 1), "G7");
    return lines;
}

// The block the operations on a highlighted block get: the first closed
// path of straight moves and arcs, from the move to its start point (where
// the tool already stands) to the move that returns there, as (the line
// before it, its line count); (-1, 0) when there is none.
std::pair<int, int> ClosedLoop(const Lines& lines, const AxisCodes& codes) {
    const Letters& letters = codes.letters;
    const std::string& rapid = codes.Code(LabelRow::Rapid);
    double x = 0, y = 0;
    auto read = [&](const std::string& word, double& v) {
        return !word.empty() && ReadNumberText(std::string_view(word).substr(1), v);
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const SplitLine w = SplitWords(lines[i], letters);
        double px = x, py = y;
        const bool hx = read(w.X, px), hy = read(w.Y, py);
        if (hx && hy && px == x && py == y && !w.G.empty()) {
            double cx = x, cy = y;
            for (std::size_t j = i + 1; j < lines.size(); ++j) {
                const SplitLine v = SplitWords(lines[j], letters);
                const bool jx = read(v.X, cx), jy = read(v.Y, cy);
                if ((!jx && !jy) || HasCode(lines[j], rapid)) break;
                if (j >= i + 2 && cx == x && cy == y) return {static_cast<int>(i) - 1, static_cast<int>(j - i + 1)};
            }
        }
        x = px, y = py;
    }
    return {-1, 0};
}

// A shipped machine file loaded into settings of their own (their recall
// data in a private folder); null when it does not load.
std::unique_ptr<MachineSettings> ShippedMachine(const std::string& machine) {
    const fs::path config = fs::temp_directory_path() / ("tolva-matrix-" + std::to_string(::getpid()));
    fs::create_directories(config);
    auto settings = std::make_unique<MachineSettings>(config.string());
    settings->SetMachineFile(std::string(TOLVA_SOURCE_DIR) + "/data/" + machine);
    if (!settings->Ldini().ok) return nullptr;
    return settings;
}

// A sheet of parts that each carry their own compensation, as CAM posts
// write them: a name, the approach, the kerf code (left for outlines, right
// for holes), cut-on, the contour, cut-off, compensation off. The codes are
// tolva.ini's (`mill`) or plasma.ini's; the parts differ in size, so every
// sort moves the first part. Written to a file of its own; its path.
std::string KerfSheet(bool mill) {
    Lines l = mill ? Lines{"%", "O1000", "G21 G17 G40 G80 G90", "T1 M06", "G00 G43 H01 Z5.000 S3000 M03"}
                   : Lines{"%", "G21", "G90", "G40", "F2500"};
    auto xy = [](double x, double y) {
        std::ostringstream o;
        o.setf(std::ios::fixed);
        o.precision(3);
        o << "X" << x << " Y" << y;
        return o.str();
    };
    // The first part is the largest on the plasma sheet (so the largest
    // moves off the head), of middle size on the mill's.
    const int sizes[] = {mill ? 23 : 35, 7, 31, 12, 4, 18, 27, 9, 15};
    for (int k = 0; k < 9; ++k) {
        const double x = 10 + (k % 3) * 80, y = 10 + (k / 3) * 80, a = sizes[k];
        const bool hole = k % 2 == 1;
        l.push_back("(PART " + std::to_string(k + 1) + ")");
        l.push_back("G00 " + xy(x + a, y));
        l.push_back(std::string(hole ? "G42" : "G41") + (mill ? "D01" : ""));
        l.push_back(mill ? "M08" : "M07");
        if (mill) l.push_back("G01 Z-1.000 F100.");
        if (hole) {
            l.push_back("G02 " + xy(x + a, y) + " I" + std::to_string(-a / 2) + " J0.000");
        } else {
            l.push_back("G01 " + xy(x + a, y + a / 2));
            l.push_back("G01 " + xy(x, y + a / 2));
            l.push_back("G01 " + xy(x, y));
            l.push_back("G01 " + xy(x + a, y));
        }
        l.push_back(mill ? "G00Z5.000" : "M08");
        l.push_back("G40");
    }
    const Lines tail = mill ? Lines{"M09", "M05", "G91 G28 Z0.", "G28 X0. Y0.", "G90", "M30"} : Lines{"G00 X0. Y0.", "M30"};
    l.insert(l.end(), tail.begin(), tail.end());
    const std::string path =
        (fs::temp_directory_path() / ("tolva-kerf-sheet-" + std::to_string(::getpid()) + (mill ? "-mill" : "-plasma") + ".nc"))
            .string();
    std::ofstream f(path);
    for (const std::string& line : l) f << line << "\n";
    return path;
}

enum class Outcome { Right, Refused, Wrong };

struct Program {
    std::string name;
    std::string machine;  // shipped machine file
    bool plain = false;   // every sign and swap box off
    std::string source;   // a program or a drawing
    int decimals = 0;     // Decimal Places, when not the machine file's
};

struct Expectation {
    // SameSetOnce: the same cuts, a cut made twice counting once (a closed
    // path started one move later cuts its first move again at the end).
    enum Kind { Transform, SameSet, SameSetOnce, EitherWaySet, Contains, Copies } kind = Transform;
    Affine map;                    // Transform
    std::vector<Affine> copies;    // Copies: the parts the result holds
    double scale = 1.0;            // of the tolerance
};

// The point map of the slide keypad as documented: up and down move X by
// -d and +d, left and right Y, times the axis sign (the screen direction of
// the unrotated plot); the diagonals both.
Affine Slide(char mode, double d, int xs, int ys) {
    static const std::map<char, std::pair<int, int>> keypad = {
        {Modifier::Up, {-1, 0}},     {Modifier::Down, {1, 0}},      {Modifier::Left, {0, -1}},
        {Modifier::Right, {0, 1}},   {Modifier::UpLeft, {-1, -1}},  {Modifier::UpRight, {-1, 1}},
        {Modifier::DownLeft, {1, -1}}, {Modifier::DownRight, {1, 1}}};
    Affine a;
    const auto k = keypad.find(mode);
    if (k != keypad.end()) a.t[0] = k->second.first * d * xs, a.t[1] = k->second.second * d * ys;
    return a;
}

TEST(OperationMatrix, EveryOperationOnRealProgramsIsRightOrRefused) {
    const std::string shipped = std::string(TOLVA_SOURCE_DIR) + "/data/";
    const std::string samples = "/usr/share/linuxcnc/ncfiles/";
    const std::string library = "/usr/share/librecad/library/";
    if (!fs::exists(samples + "cds.ngc")) GTEST_SKIP() << "LinuxCNC's sample programs are not installed";
    if (!fs::exists(library)) GTEST_SKIP() << "librecad-data is not installed";

    std::vector<Program> programs;
    for (const char* sample : {"cds.ngc", "tort.ngc", "plasmatest.ngc", "comp-g1.ngc"}) {
        programs.push_back({sample, "tolva.ini", false, samples + sample, 4});
        programs.push_back({std::string(sample) + " plain", "tolva.ini", true, samples + sample, 4});
    }
    const std::pair<const char*, std::string> drawings[] = {
        {"plate", shipped + "examples/plate.dxf"},
        {"relay", library + "elektro/relay-iso/Relay-2p2w.dxf"},
        {"dev36", library + "elektro/dev/dev36.dxf"},
        {"gr6", library + "elektro/grounding/gr6.dxf"},
    };
    for (const auto& [name, path] : drawings)
        for (const char* machine : {"tolva.ini", "plasma.ini", "lathe.ini"})
            programs.push_back({std::string(name) + " " + machine, machine, false, path, 0});
    const std::string plasmaSheet = KerfSheet(false), millSheet = KerfSheet(true);
    programs.push_back({"kerf sheet plasma.ini", "plasma.ini", false, plasmaSheet, 0});
    programs.push_back({"kerf sheet tolva.ini", "tolva.ini", false, millSheet, 0});
    programs.push_back({"kerf sheet tolva.ini plain", "tolva.ini", true, millSheet, 0});

    // The operations, with their numbers and what rs274 must see.
    struct Op {
        const ProgramOperation* op;
        std::vector<double> values;
        std::string label;
    };
    std::vector<Op> ops;
    for (const ProgramOperation& op : ProgramOperations()) {
        std::vector<double> values;
        if (op.values == 1) values = {op.modifier == Modifier::Size ? 1.5 : op.modifier == Modifier::Spin ? 30.0
                                      : op.modifier ? 5.0 : -0.125};
        if (op.values == 2) values = {2, 500};
        if (op.values == 4) values = {2, 500, 2, 700};
        std::string label(op.caption);
        label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
        if (op.values == 4) label += " grid";
        ops.push_back({&op, values, label});
    }

    std::map<std::string, int> totals;
    std::vector<std::string> wrongs;
    std::ostringstream matrix;
    for (const Program& prog : programs) {
        SCOPED_TRACE(prog.name);
        const std::unique_ptr<MachineSettings> machine = ShippedMachine(prog.machine);
        ASSERT_TRUE(machine) << prog.machine;
        MachineSettings& settings = *machine;
        if (prog.plain)
            for (const char* box : {"XsignCheckBox", "YsignCheckBox", "ZsignCheckBox", "SwapXY", "SwapYZ", "XmultCheckBox"})
                settings.SetFlag(box, false);
        if (prog.decimals) settings.SetText("DpEdit", std::to_string(prog.decimals));
        RecordingHost host;
        PlotState plot;
        OperationContext ctx(settings, host, plot);
        ctx.scratchFolder = ScratchFolder();
        Document loaded;
        ASSERT_EQ(LoadDocument(prog.source, ctx, loaded).kind, LoadOutcome::Loaded) << prog.source;
        const Lines source = loaded.lines;
        std::vector<CanonMove> moves;
        std::string text;
        const bool lathe = prog.machine == "lathe.ini";
        if (!test::Rs274Run(ForRs274(source, lathe), moves, text, ToolTable())) {
            ADD_FAILURE() << prog.name << ": the source fails on rs274:\n" << text;
            continue;
        }
        const std::vector<Cut> cuts = Cuts(moves);
        ASSERT_GT(cuts.size(), 3u);
        const int xs = settings.Flag("XsignCheckBox") ? -1 : 1, ys = settings.Flag("YsignCheckBox") ? -1 : 1;
        // The modifiers work on the letters in force: with the axis swaps,
        // their X, Y, Z are other axes of rs274's.
        const Letters letters = settings.Setaxis().letters;
        const int axis[3] = {letters.X[0] - 'X', letters.Y[0] - 'X', letters.Z[0] - 'X'};
        // With "X div 2" the X words are diameters, which rs274 (G7) halves.
        const double d[3] = {settings.Flag("Xdiv2") ? 0.5 : 1.0, 1.0, 1.0};
        auto inRs274 = [&](const Affine& a) {
            Affine b;
            for (int i = 0; i < 3; ++i) {
                const int p = axis[i];
                b.t[p] = d[p] * a.t[i];
                for (int j = 0; j < 3; ++j) b.m[p][axis[j]] = d[p] * a.m[i][j] / d[axis[j]];
            }
            return b;
        };
        const double tol = 2.5 * std::pow(10.0, -(prog.decimals ? prog.decimals : 3));

        const std::pair<int, int> loop = ClosedLoop(source, settings.Setaxis());
        matrix << prog.name << ":";
        for (const Op& o : ops) {
            Lines lines = source;
            host.messages.clear();
            ctx.selStartLine = -1;
            ctx.selLineCount = 0;
            ctx.highlighted = false;
            if (o.op->needsBlock && loop.second > 0) {  // the first closed path highlighted
                ctx.selStartLine = loop.first;
                ctx.selLineCount = loop.second;
                ctx.highlighted = true;
            }
            plot = PlotState{};
            const OperationResult r = o.op->run(lines, ctx, o.values);

            Expectation x;
            const char mode = o.op->modifier;
            const std::string& c = o.label;
            if (mode == Modifier::Spin) {
                const double t = 30.0 * kPi / 180.0;
                x.map.m[0][0] = std::cos(t), x.map.m[0][1] = -std::sin(t);
                x.map.m[1][0] = std::sin(t), x.map.m[1][1] = std::cos(t);
            } else if (mode == Modifier::Flip) {
                x.map.m[1][1] = -1;
            } else if (mode == Modifier::Flop) {
                x.map.m[0][0] = -1;
            } else if (mode == Modifier::Size || c == "Inch to Metric" || c == "Metric to Inch") {
                const double f = mode ? 1.5 : c == "Inch to Metric" ? 25.4 : 1 / 25.4;
                for (int i = 0; i < 3; ++i) x.map.m[i][i] = f;
                x.scale = std::max(1.0, f);
            } else if (mode) {
                x.map = Slide(mode, 5.0, xs, ys);
            } else if (c.rfind("Sort", 0) == 0 || c.rfind("Largest", 0) == 0) {
                x.kind = Expectation::SameSet;
            } else if (c == "Swap") {
                x.kind = Expectation::EitherWaySet;
            } else if (c.rfind("Move starting point", 0) == 0) {
                x.kind = Expectation::SameSetOnce;
            } else if (c == "Offset") {
                x.kind = Expectation::Contains;
            } else if (c.rfind("Array", 0) == 0) {
                x.kind = Expectation::Copies;
                const std::vector<double>& v = o.values;
                for (int a = 0; a < static_cast<int>(v[0]); ++a)
                    for (int b = 0; b < (v.size() == 4 ? static_cast<int>(v[2]) : 1); ++b) {
                        Affine m = Slide(Modifier::Down, a * v[1], xs, ys);
                        if (v.size() == 4) m.t[1] = Slide(Modifier::Right, b * v[3], xs, ys).t[1];
                        x.copies.push_back(m);
                    }
            }

            x.map = inRs274(x.map);
            for (Affine& m : x.copies) m = inRs274(m);
            Outcome outcome = Outcome::Right;
            std::string why;
            if (r.refused) {
                outcome = Outcome::Refused;
                if (lines != source) why = "refused, but the program changed";
                else if (host.messages.empty() && r.note.empty()) why = "refused without a message";
                if (!why.empty()) outcome = Outcome::Wrong;
            } else {
                std::vector<CanonMove> after;
                if (!test::Rs274Run(ForRs274(lines, lathe), after, text, ToolTable())) {
                    outcome = Outcome::Wrong;
                    // rs274's own words: the lines that are not numbered calls.
                    std::istringstream in(text);
                    for (std::string l; std::getline(in, l);)
                        if (!std::regex_search(l, std::regex("^ *[0-9]+ N")) && l != "executing") why += l + " | ";
                    why = "rs274 fails: " + why;
                } else {
                    const std::vector<Cut> got = Cuts(after);
                    std::vector<Cut> want;
                    bool ok = true;
                    switch (x.kind) {
                        case Expectation::Transform:
                            for (const Cut& k : cuts) want.push_back(Transformed(k, x.map));
                            ok = SameCuts(want, got, tol * x.scale, true, false, why);
                            break;
                        case Expectation::SameSet:
                            ok = SameCuts(cuts, got, tol, false, false, why);
                            break;
                        case Expectation::SameSetOnce: {
                            auto once = [&](const std::vector<Cut>& all) {
                                std::vector<Cut> out;
                                for (const Cut& g : all)
                                    if (std::none_of(out.begin(), out.end(), [&](const Cut& k) { return Near(k, g, tol); }))
                                        out.push_back(g);
                                return out;
                            };
                            ok = SameCuts(once(cuts), once(got), tol, false, false, why);
                            break;
                        }
                        case Expectation::EitherWaySet:
                            ok = SameCuts(cuts, got, tol, false, true, why);
                            break;
                        case Expectation::Copies:
                            for (const Affine& m : x.copies)
                                for (const Cut& k : cuts) want.push_back(Transformed(k, m));
                            ok = SameCuts(want, got, tol, false, false, why);
                            break;
                        case Expectation::Contains: {
                            // The source's cuts are all still there, in order.
                            std::size_t at = 0;
                            for (const Cut& g : got)
                                if (at < cuts.size() && Near(cuts[at], g, tol)) ++at;
                            ok = at == cuts.size();
                            if (!ok) why = "the source's cut " + std::to_string(at) + " is missing: " + Describe(cuts[at]);
                            break;
                        }
                    }
                    if (!ok) outcome = Outcome::Wrong;
                }
            }
            const char* mark = outcome == Outcome::Right ? "right" : outcome == Outcome::Refused ? "refused" : "wrong";
            ++totals[mark];
            matrix << " " << (outcome == Outcome::Right ? "R" : outcome == Outcome::Refused ? "r" : "W");
            if (outcome == Outcome::Wrong && ctx.highlighted)
                why += " (block: lines " + std::to_string(ctx.selStartLine + 2) + " to " +
                       std::to_string(ctx.selStartLine + 1 + ctx.selLineCount) + ")";
            if (outcome == Outcome::Wrong) wrongs.push_back(prog.name + " / " + o.label + ": " + why);
            if (outcome == Outcome::Refused)
            {
                std::string said = (host.messages.empty() ? r.note : host.messages.front()).substr(0, 40);
                std::replace(said.begin(), said.end(), '\n', ' ');
                matrix << "(" << said << ")";
            }
        }
        matrix << "\n";
    }
    std::cout << "Operations, in table order:";
    for (const Op& o : ops) std::cout << " | " << o.label;
    std::cout << "\nR right, r refused (its message), W wrong\n"
              << matrix.str() << "right " << totals["right"] << ", refused " << totals["refused"] << ", wrong "
              << totals["wrong"] << "\n";
    for (const std::string& w : wrongs) ADD_FAILURE() << w;
    EXPECT_TRUE(wrongs.empty());
    fs::remove(plasmaSheet);
    fs::remove(millSheet);
}

// The array's directions as README.md and the manual page state them, under
// each shipped machine file, as rs274 runs the result: "Array 3 2.5" puts
// the copies 2.5 and 5 along the column's axis, "Array 2 30 3 20" the 30 on
// the column's and the 20 on the row's.
TEST(OperationMatrix, TheArrayGoesWhereTheDocumentationSays) {
    struct Documented {
        const char* machine;
        std::array<double, 3> column, row;  // unit directions in rs274's X Y Z (lathe X as written)
    };
    const Documented table[] = {
        {"tolva.ini", {0, -1, 0}, {1, 0, 0}},
        {"plasma.ini", {0, -1, 0}, {1, 0, 0}},
        {"lathe.ini", {-1, 0, 0}, {0, 0, 1}},
    };
    const Lines part{"G90", "G00 X0 Y0 Z0", "G01 X1 Y0 Z0 F100", "M30"};
    for (const Documented& d : table) {
        SCOPED_TRACE(d.machine);
        const std::unique_ptr<MachineSettings> loaded = ShippedMachine(d.machine);
        ASSERT_TRUE(loaded);
        MachineSettings& settings = *loaded;
        RecordingHost host;
        PlotState plot;
        OperationContext ctx(settings, host, plot);
        Lines lines = part;
        FindProgramOperation("Array", 4)->run(lines, ctx, {2, 30, 3, 20});
        std::vector<CanonMove> moves;
        std::string text;
        ASSERT_TRUE(test::Rs274Run(lines, moves, text)) << text;
        std::vector<std::array<double, 3>> ends;
        for (const CanonMove& m : moves)
            if (m.kind == CanonMove::Feed) ends.push_back({m.x, m.y, m.z});
        ASSERT_EQ(ends.size(), 6u);
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 3; ++b) {
                const std::array<double, 3>& got = ends[static_cast<std::size_t>(b * 2 + a)];
                for (int i = 0; i < 3; ++i)
                    EXPECT_NEAR(got[i], (i == 0 ? 1 : 0) + 30 * a * d.column[i] + 20 * b * d.row[i], 1e-9)
                        << "part " << a << "," << b << " axis " << i;
            }
    }
}

}  // namespace
}  // namespace tolva
