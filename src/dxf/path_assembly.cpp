#include "dxf/path_assembly.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "base/host.h"
#include "dxf/dxf_settings.h"
#include "dxf/path_chain.h"
#include "dxf/path_orientation.h"
#include "settings/machine_settings.h"
#include "text/geometry.h"
#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
// Pieces or lines between two progress reports (and event runs).
constexpr std::size_t kProgressStep = 4096;

void progress(Host* host, std::size_t done, std::size_t total) {
    if (!host || total == 0 || done % kProgressStep != 0) return;
    host->Progress(static_cast<int>(std::min<std::size_t>(1000, done * 1000 / total)));
    host->ProcessEvents();
}

void appendCut(std::string& line, std::string_view part) {
    if (line.size() >= kMaxLine) return;
    line.append(part.substr(0, kMaxLine - line.size()));
}

// The remaining pieces' start and end points on a square grid of cell side
// >= the connect tolerance, so every point within the tolerance of a query
// point q lies in the (at most 2 x 2) cells covering [q - tol, q + tol]^2
// (|dX| <= |dX| + |dY| + |dZ|). Inside a cell the entries are sorted by piece number;
// removed entries are skipped through "next live entry" links with path
// halving, so dead entries cost nothing after the first visit.
class EndIndex {
public:
    explicit EndIndex(const PathChain& chain) : tol_(chain.Tolerance()) {
        const std::size_t n = chain.Pieces();
        posOf_.assign(2 * n, kAbsent);
        if (!(tol_ >= 0.0L)) return;  // a negative or NaN tolerance joins nothing

        long double span = 0.0L;
        auto finite = [](const LinePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
        for (std::size_t i = 0; i < n; ++i)
            for (const LinePoint* p : {&chain.StartPoint(i), &chain.EndPoint(i)})
                if (finite(*p)) span = std::max({span, std::fabs((long double)p->x), std::fabs((long double)p->y)});
        // Eight tolerances: a query then mostly reads one cell, rarely four,
        // and a cell still holds only the ends meeting at one corner. At
        // least 2^-40 of the drawing's extent, so that a tiny tolerance on a
        // large drawing cannot overflow the cell numbers.
        long double cell = std::max(8.0L * tol_, std::ldexp(span, -40));
        if (!(cell > 0.0L)) cell = 1.0L;
        inv_ = std::isfinite(cell) ? 1.0L / cell : 0.0L;
        // p - tol is rounded (by less than span * 2^-63, far below a cell): the
        // query reaches this much further so no point on a cell edge escapes.
        slack_ = std::isfinite(cell) ? std::ldexp(cell, -20) : 0.0L;

        struct Entry {
            std::int64_t cx, cy;
            std::uint32_t code;  // 2 * piece + (0 start, 1 end)
        };
        std::vector<Entry> entries;
        entries.reserve(2 * n);
        for (std::size_t i = 0; i < n; ++i)
            for (int end = 0; end < 2; ++end) {
                const LinePoint& p = end ? chain.EndPoint(i) : chain.StartPoint(i);
                if (finite(p))
                    entries.push_back({cellOf(p.x), cellOf(p.y), static_cast<std::uint32_t>(2 * i + end)});
            }
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            if (a.cx != b.cx) return a.cx < b.cx;
            if (a.cy != b.cy) return a.cy < b.cy;
            return a.code < b.code;
        });

        const std::size_t m = entries.size();
        piece_.resize(m);
        point_.resize(m);
        next_.resize(m + 1);
        for (std::size_t k = 0; k < m; ++k) {
            const Entry& e = entries[k];
            if (k == 0 || e.cx != entries[k - 1].cx || e.cy != entries[k - 1].cy) {
                cells_.push_back({e.cx, e.cy});
                cellBegin_.push_back(static_cast<std::uint32_t>(k));
            }
            const std::size_t piece = e.code / 2;
            piece_[k] = static_cast<std::uint32_t>(piece);
            point_[k] = (e.code & 1) ? chain.EndPoint(piece) : chain.StartPoint(piece);
            posOf_[e.code] = static_cast<std::uint32_t>(k);
            next_[k] = static_cast<std::uint32_t>(k);
        }
        cellBegin_.push_back(static_cast<std::uint32_t>(m));
        next_[m] = static_cast<std::uint32_t>(m);

        std::size_t size = 16;
        while (size < 2 * cells_.size()) size *= 2;
        slots_.assign(size, kAbsent);
        for (std::size_t c = 0; c < cells_.size(); ++c) {
            std::size_t h = hash(cells_[c].first, cells_[c].second) & (size - 1);
            while (slots_[h] != kAbsent) h = (h + 1) & (size - 1);
            slots_[h] = static_cast<std::uint32_t>(c);
        }
    }

    // The lowest-numbered remaining piece >= `from` with its start or its end
    // within the tolerance of `p`; kNone when there is none.
    std::size_t Next(const LinePoint& p, std::size_t from) {
        if (cells_.empty() || !std::isfinite(p.x) || !std::isfinite(p.y)) return kNone;
        const std::int64_t x0 = cellOf(p.x - tol_ - slack_), x1 = cellOf(p.x + tol_ + slack_);
        const std::int64_t y0 = cellOf(p.y - tol_ - slack_), y1 = cellOf(p.y + tol_ + slack_);
        std::size_t best = kNone;
        for (std::int64_t cx = x0; cx <= x1; ++cx) {
            for (std::int64_t cy = y0; cy <= y1; ++cy) {
                const std::size_t c = cell(cx, cy);
                if (c == kAbsent) continue;
                const std::uint32_t b = cellBegin_[c], e = cellBegin_[c + 1];
                std::uint32_t k = static_cast<std::uint32_t>(
                    std::lower_bound(piece_.begin() + b, piece_.begin() + e, from) - piece_.begin());
                for (k = live(k); k < e && piece_[k] < best; k = live(k + 1)) {
                    if (WithinTolerance(p, point_[k], tol_)) {
                        best = piece_[k];
                        break;
                    }
                }
            }
        }
        return best;
    }

    void Remove(std::size_t piece) {
        for (std::size_t code : {2 * piece, 2 * piece + 1})
            if (posOf_[code] != kAbsent) next_[posOf_[code]] = posOf_[code] + 1;
    }

private:
    static constexpr std::uint32_t kAbsent = std::numeric_limits<std::uint32_t>::max();

    std::int64_t cellOf(long double v) const {
        if (inv_ == 0.0L) return 0;
        long double t = std::floor(v * inv_);
        constexpr long double kLimit = 4611686018427387904.0L;  // 2^62
        if (!(t > -kLimit)) return -static_cast<std::int64_t>(kLimit);
        if (!(t < kLimit)) return static_cast<std::int64_t>(kLimit);
        return static_cast<std::int64_t>(t);
    }

    static std::size_t hash(std::int64_t cx, std::int64_t cy) {
        // splitmix64 finaliser: neighbouring cells land far apart.
        std::uint64_t h = static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cy);
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::size_t>(h ^ (h >> 31));
    }

    // The number of cell (cx, cy), kAbsent when it holds no point.
    std::size_t cell(std::int64_t cx, std::int64_t cy) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t h = hash(cx, cy) & mask;; h = (h + 1) & mask) {
            const std::uint32_t c = slots_[h];
            if (c == kAbsent) return kAbsent;
            if (cells_[c].first == cx && cells_[c].second == cy) return c;
        }
    }

    // The first live entry at or after position k (m when none).
    std::uint32_t live(std::uint32_t k) {
        while (next_[k] != k) {
            next_[k] = next_[next_[k]];
            k = next_[k];
        }
        return k;
    }

    long double tol_;
    long double inv_ = 0.0L;
    long double slack_ = 0.0L;
    std::vector<std::pair<std::int64_t, std::int64_t>> cells_;
    std::vector<std::uint32_t> cellBegin_;
    std::vector<std::uint32_t> slots_;  // open addressing: cell numbers by hash of (cx, cy)
    std::vector<std::uint32_t> piece_;
    std::vector<LinePoint> point_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint32_t> posOf_;
};

}  // namespace

PathAssemblySettings ReadPathAssemblySettings(const MachineSettings& settings, const AxisCodes& codes) {
    PathAssemblySettings s;
    s.codes = codes;
    s.includeZ = settings.Flag("IncludeZCheckBox");
    s.rMode = settings.Flag("RCheckbox");
    s.lineComp = settings.Flag("VectorCheckBox2");
    double v;
    s.connectTolerance = ReadDxfReal(settings.Text("ConnectEdit"), v) ? v : 0.005;
    s.vectorErrDegrees = ReadDxfReal(settings.Text("VectorErr"), v) ? v : 0.5;
    s.orientFor = settings.Flag("KeepDrawnDirection") ? KerfSide::None : KerfSideOf(codes);
    return s;
}

LinePoint PointOf(std::string_view line, const PathAssemblySettings& s) {
    const Letters& l = s.codes.letters;
    LinePoint p;
    p.x = ExactWordValue(l.X, line).value;
    p.y = ExactWordValue(l.Y, line).value;
    if (s.includeZ) p.z = ExactWordValue(l.Z, line).value;
    return p;
}

bool WithinTolerance(const LinePoint& a, const LinePoint& b, long double tolerance) {
    const long double d = std::fabs(static_cast<long double>(a.x) - b.x) +
                          std::fabs(static_cast<long double>(a.y) - b.y) +
                          std::fabs(static_cast<long double>(a.z) - b.z);
    return d <= tolerance;  // false for NaN
}

std::string TurnedRoundEndLine(const SplitLine& s, const SplitLine& e, const AxisCodes& codes) {
    std::string g = e.G;
    const std::string& cw = codes.Code(LabelRow::ArcCw);
    const std::string& ccw = codes.Code(LabelRow::ArcCcw);
    if (const CodeSpan p = FindCodeSpan(g, ccw))
        g.replace(p.pos, p.end - p.pos, cw);
    else if (const CodeSpan q = FindCodeSpan(g, cw))
        g.replace(q.pos, q.end - q.pos, ccw);
    std::string line;
    appendCut(line, g);
    appendCut(line, " ");
    for (const std::string* w : {&s.X, &s.Y, &s.Z, &e.I, &e.J, &e.K, &e.R}) appendCut(line, *w);
    return line;
}

std::string TurnedRoundEndLine(std::string_view startLine, std::string_view endLine, const AxisCodes& codes) {
    return TurnedRoundEndLine(SplitWords(startLine, codes.letters), SplitWords(endLine, codes.letters), codes);
}

// ---- PathChain

PathChain::PathChain(const std::vector<std::string>& segment, const PathAssemblySettings& settings)
    : segment_(segment), s_(settings), tolerance_(settings.connectTolerance) {
    const std::size_t n = std::max<std::size_t>(1, (segment.size() + 1) / 2);
    starts_.resize(n);
    ends_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        starts_[i] = PointOf(startLine(i), s_);
        ends_[i] = PointOf(endLine(i), s_);
    }
    out_.reserve(segment.size() + 8);
}

std::string_view PathChain::startLine(std::size_t i) const {
    return 2 * i < segment_.size() ? std::string_view(segment_[2 * i]) : std::string_view();
}

std::string_view PathChain::endLine(std::size_t i) const {
    return 2 * i + 1 < segment_.size() ? std::string_view(segment_[2 * i + 1]) : std::string_view();
}

void PathChain::frame(int row) { out_.push_back(s_.codes.Code(row) + " "); }

void PathChain::setEnd(std::string_view line) {
    end_.assign(line);
    endWords_ = SplitWords(end_, s_.codes.letters);
}

void PathChain::copy(std::size_t i) {
    points_.push_back({starts_[i], ends_[i]});
    out_.emplace_back(startLine(i));
    out_.emplace_back(endLine(i));
    setEnd(endLine(i));
    endPoint_ = ends_[i];
}

void PathChain::open(int row1, int row2, std::size_t i) {
    if (!paths_.empty()) paths_.back().end = out_.size();
    for (int row : {row1, row2, int(LabelRow::BeginBlock), int(LabelRow::LeadIn)}) frame(row);
    paths_.push_back({out_.size(), 0, points_.size()});
    copy(i);
}

void PathChain::First(std::size_t i) { open(LabelRow::Absolute, LabelRow::KerfCompLeft, i); }

void PathChain::NewPath(std::size_t i) { open(LabelRow::EndBlock, LabelRow::EndBlock, i); }

void PathChain::Join(std::size_t i) {
    // The start line repeats the path end exactly, so a gap within the
    // tolerance disappears from the program.
    std::string start;
    for (const std::string* w : {&endWords_.G, &endWords_.X, &endWords_.Y, &endWords_.Z}) appendCut(start, *w);
    out_.push_back(std::move(start));

    if (JoinsAtStart(i)) {
        points_.push_back({endPoint_, ends_[i]});
        out_.emplace_back(endLine(i));
        setEnd(endLine(i));
        endPoint_ = ends_[i];
        return;
    }
    points_.push_back({endPoint_, starts_[i]});
    // Turned round: it now ends at its old start.
    std::string line = TurnedRoundEndLine(startLine(i), endLine(i), s_.codes);
    out_.push_back(line);
    setEnd(line);
    endPoint_ = PointOf(line, s_);
}

std::vector<std::string> PathChain::Finish() {
    if (!paths_.empty()) paths_.back().end = out_.size();
    out_.push_back(s_.codes.Code(LabelRow::EndBlock));
    out_.push_back(s_.codes.Code(LabelRow::FileEnd));
    return std::move(out_);
}

// ---- SORTOUT3

std::vector<std::string> ChainPieces(const std::vector<std::string>& segment,
                                     const PathAssemblySettings& settings, Host* host,
                                     std::vector<PathSpan>* paths) {
    PathChain chain(segment, settings);
    const std::size_t n = chain.Pieces();
    EndIndex index(chain);
    std::vector<char> placed(n, 0);
    auto place = [&](std::size_t i) {
        placed[i] = 1;
        index.Remove(i);
    };

    chain.First(0);
    place(0);
    std::size_t remaining = n - 1, firstLeft = 1;
    while (remaining > 0) {
        // One pass of the loop this replaces: from the first piece left, each
        // next piece is the first one after the last joined that touches the
        // new path end. Pieces passed over wait for the next pass.
        bool joined = false;
        for (std::size_t from = 0;;) {
            const std::size_t i = index.Next(chain.End(), from);
            if (i == kNone) break;
            chain.Join(i);
            place(i);
            --remaining;
            joined = true;
            from = i + 1;
            progress(host, n - remaining, n);
        }
        if (!joined) {  // the path is finished: the first piece left starts the next
            while (placed[firstLeft]) ++firstLeft;
            chain.NewPath(firstLeft);
            place(firstLeft);
            --remaining;
            progress(host, n - remaining, n);
        }
    }
    std::vector<std::string> out = chain.Finish();
    if (settings.orientFor != KerfSide::None)
        OrientClosedPaths(out, chain.Paths(), settings, settings.orientFor, &chain.Points());
    if (paths) *paths = chain.Paths();
    return out;
}

// ---- CrunchLines

namespace {

struct Direction {
    float xy, xz, yz;  // in (0, 2pi], as Calc_VectorIJ gives them
};

Direction directionOf(const LinePoint& a, const LinePoint& b) {
    return {Calc_VectorIJ(a.x, a.y, b.x, b.y), Calc_VectorIJ(a.x, a.z, b.x, b.z),
            Calc_VectorIJ(a.y, a.z, b.y, b.z)};
}

bool sameDirection(const Direction& a, const Direction& b, long double tolerance) {
    return std::fabs(static_cast<long double>(a.xy) - b.xy) < tolerance &&
           std::fabs(static_cast<long double>(a.xz) - b.xz) < tolerance &&
           std::fabs(static_cast<long double>(a.yz) - b.yz) < tolerance;
}

}  // namespace

std::vector<std::string> DropCollinearPieces(const std::vector<std::string>& in,
                                             const PathAssemblySettings& s, Host* host) {
    const Letters& l = s.codes.letters;
    const long double tolerance = static_cast<long double>(s.vectorErrDegrees) * 3.14159265358979323846L / 180.0L;
    const std::string& cw = s.codes.Code(LabelRow::ArcCw);
    const std::string& ccw = s.codes.Code(LabelRow::ArcCcw);
    // A line that can stand for a point of the path: frame lines cannot.
    auto isPoint = [&](std::string_view line) {
        return WordValue(l.X, line).found && WordValue(l.Y, line).found &&
               (!s.includeZ || WordValue(l.Z, line).found);
    };
    auto isArc = [&](std::string_view line) { return HasCode(line, cw) || HasCode(line, ccw); };

    std::vector<std::string> out;
    out.reserve(in.size());
    const std::size_t n = in.size();
    std::size_t i = 0;
    while (i < n) {
        out.push_back(in[i]);
        if (i + 1 >= n) break;
        out.push_back(in[i + 1]);
        const bool reference = isPoint(in[i + 1]);
        const Direction ref = directionOf(PointOf(in[i], s), PointOf(in[i + 1], s));
        i += 2;
        progress(host, i, n);

        auto droppable = [&](std::size_t k) {
            return k + 1 < n && isPoint(in[k + 1]) && !isArc(in[k + 1]) &&
                   sameDirection(ref, directionOf(PointOf(in[k], s), PointOf(in[k + 1], s)), tolerance);
        };
        std::size_t lastDropped = kNone;  // start of the last pair dropped in this run
        for (; reference && i < n && droppable(i); i += 2) lastDropped = i;
        if (lastDropped != kNone) {
            // The next start line normally carries the dropped end. Where the
            // path ends instead (a frame pair, the end of the input), the end
            // would be lost: write it, twice to keep the pairs aligned.
            const std::string& end = in[lastDropped + 1];
            const bool carried = i < n && isPoint(in[i]) && [&] {
                const LinePoint a = PointOf(in[i], s), b = PointOf(end, s);
                return a.x == b.x && a.y == b.y && a.z == b.z;
            }();
            if (!carried) {
                out.push_back(end);
                out.push_back(end);
            }
        }
        if (i < n) {  // the pair that ended the run is written; the next one is a reference
            out.push_back(in[i]);
            if (i + 1 < n) out.push_back(in[i + 1]);
            i += 2;
        }
    }
    return out;
}

// ---- RemoveDup2

std::vector<std::string> CleanUpLines(const std::vector<std::string>& in, const PathAssemblySettings& s,
                                      Host* host) {
    const Letters& l = s.codes.letters;
    const std::string& cw = s.codes.Code(LabelRow::ArcCw);
    const std::string& ccw = s.codes.Code(LabelRow::ArcCcw);
    std::vector<std::string> out;
    out.reserve(in.size());

    SplitLine prev;          // the previous line's words (all empty once emptied)
    std::string prevPacked;  // the previous line without blanks
    std::string line, packed;
    for (std::size_t n = 0; n < in.size(); ++n) {
        progress(host, n, in.size());
        SplitLine w = SplitWords(in[n], l);
        if (!s.keepArcWords && s.rMode) {
            w.I.clear();
            w.J.clear();
            w.K.clear();
        } else if (!s.keepArcWords) {
            w.R.clear();
        }
        line.clear();
        // Whole, however long: Swap's lines pass through here too.
        for (const std::string* part : {&w.G, &w.M, &w.N, &w.X, &w.Y, &w.Z, &w.I, &w.J, &w.R, &w.K, &w.rest})
            line += *part;
        packed.clear();
        for (char c : line)
            if (c != ' ') packed.push_back(c);

        // Words carry no blanks but their trailing one, so they compare as they are.
        const bool samePoint = w.X == prev.X && w.Y == prev.Y && w.Z == prev.Z;
        const bool onlyPoint = w.G.empty() && w.M.empty() && w.Z.empty() && w.I.empty() && w.J.empty() &&
                               w.K.empty() && w.R.empty() && w.rest.empty();
        const bool afterArc = HasCode(prev.G, cw) || HasCode(prev.G, ccw);
        if ((onlyPoint && samePoint) || (afterArc && samePoint) || packed == prevPacked) {
            line.clear();
            packed.clear();
            w = SplitLine{};
        }
        if (line.find_first_not_of(' ') != std::string::npos) out.push_back(line);
        prev = std::move(w);
        prevPacked.swap(packed);
    }
    return out;
}

}  // namespace tolva
