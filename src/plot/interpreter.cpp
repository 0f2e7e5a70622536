#include "plot/interpreter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "settings/machine_settings.h"
#include "text/geometry.h"
#include "text/label_code.h"
#include "text/number_format.h"

namespace tolva {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
// A program this long has its lines read on a second thread, in chunks.
constexpr int kReadAheadMinLines = 20000;
constexpr int kReadAheadChunk = 2048;
constexpr int kReadAheadChunks = 4;

// A speed field as a real: blanks around it allowed, nothing else.
bool readReal(std::string_view t, long double& out) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return false;
    long double v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// The product of the two extents, each rounded to an integer: exact while it
// fits a 64-bit integer (then the long double product of integers is exact
// too), in exponent form beyond.
std::string AreaText(long double xExtent, long double yExtent) {
    const long double area = std::nearbyint(xExtent) * std::nearbyint(yExtent);
    if (area < 9223372036854775808.0L) return std::to_string(static_cast<long long>(area));
    return ExponentText(area, 8);  // a read-out, not program text
}

// A word whose value is not a finite number is taken as absent.
void finiteOnly(WordRead& w) {
    if (w.found && !std::isfinite(w.value)) {
        w.found = false;
        w.value = 0.0f;
    }
}

}  // namespace

Interpreter::Interpreter(PlotState& state, Canvas& canvas, MachineSettings* settings, PlotView* view)
    : state_(state), canvas_(canvas), projection_(state, canvas), settings_(settings),
      view_(view ? view : &noView_) {
    takeCodes();
}

namespace {
// A row's slot bit as a constant, not looked up for every line.
template <int Row>
constexpr std::uint32_t kSlot = LineParser::SlotOf(Row);
}  // namespace

void LineParser::Take(const AxisCodes& codes) {
    for (std::size_t i = 0; i < std::size(kSearchedRows); ++i)
        codes_.Set(static_cast<int>(i), codes.codes[kSearchedRows[i]]);
    const Letters& L = codes.letters;
    words_ = WordReader{"G", L.I, L.J, L.R, L.K, L.X, L.Y, L.Z};
    stops_[0] = codes.codes[LabelRow::StopA];
    stops_[1] = codes.codes[LabelRow::StopB];
    stops_[2] = codes.codes[LabelRow::StopC];
}

void LineParser::Parse(std::string_view line, ParsedLine& out) const {
    // 2. Stop markers end the readable part of the line.
    for (const std::string& code : stops_) {
        if (code.empty()) continue;
        const std::size_t p = FindCode(line, code);
        if (p != std::string_view::npos) line = line.substr(0, p);
    }
    // Every label code of steps 3 to 7 (and Bigobject), searched at once.
    out.found = codes_.Find(line);
    // 8. Words.
    words_.Read(line, out.words);
    for (int k = 1; k < 8; ++k) finiteOnly(out.words[k]);
}

void Interpreter::takeCodes() {
    parser_.Take(codes_);
    ++parserGeneration_;
}

void Interpreter::readSettings() {
    if (!settings_) {
        settings2_ = {};
        projection_.Settings = {};
        limits_.reset();
        return;
    }
    const MachineSettings& s = *settings_;
    limits_ = ReadMotionLimits(s);
    settings2_.Bridgeport = s.Flag("Bridgeport");
    settings2_.IncludeZCheckBox = s.Flag("IncludeZCheckBox");
    settings2_.Xdiv2 = s.Flag("Xdiv2");
    settings2_.Idiv2 = s.Flag("Idiv2");
    settings2_.ShowXYZCheckBox = s.Flag("ShowXYZCheckBox");
    projection_.Settings.PlotResSpinEdit = s.Int("PlotResSpinEdit");
    projection_.Settings.WriteBlueLine = s.Flag("WriteBlueLine");
}

void Interpreter::Setaxis() {
    if (settings_) {
        codes_ = settings_->Setaxis();
    } else {
        codes_ = AxisCodes{};
    }
    state_.XSign = codes_.xSign;
    state_.YSign = codes_.ySign;
    state_.ZSign = codes_.zSign;
    takeCodes();
    view_->SetSingleStepInterval(codes_.singleStepMs);
    readSettings();
}

void Interpreter::SetupPlot(bool resetPlane) {
    state_.AbortPlot = false;
    canvas_.SetPenWidth(1);
    Setaxis();
    if (resetPlane) state_.Plane = 1;
    state_.FollowOffset = 0;
    state_.CurLine = 0;
    projection_.TakeViewScale(view_->ViewScaleValue(), view_->Visible());
    canvas_.Clear();
    state_.AbsMode = true;
    state_.MaxX = state_.MinX = state_.MaxY = state_.MinY = 0.0f;
    projection_.StartMoves();
    pos_[0] = pos_[1] = pos_[2] = 0.0;
    rapid_ = false;
    state_.ArcCw = state_.ArcCcw = false;
    state_.FullCircle = false;
    state_.TotalDist = state_.RapidDist = state_.LastMark = 0.0;
    state_.CutOffTotal = 0.0;
    state_.Cutting = false;
    state_.ObjectStartLine = 0;
    state_.Largest = {0.0f, MainLineCount - 1, 0};
    state_.Smallest = {2147483648.0f, MainLineCount - 1, 0};
    projection_.MovedLength = objectStart_ = 0.0L;
    // The estimate takes the moves of this run, when the machine file gives the limits.
    RemoveMoveSink(&estimate_);
    if (limits_) {
        estimate_.Start(*limits_);
        AddMoveSink(&estimate_);
    }
    if (settings2_.ShowXYZCheckBox) projection_.Drawxyz(view_->CanvasHeight());
    canvas_.MoveTo({state_.OriginX, state_.OriginY});
}

void Interpreter::ZeroIOrJ(PlotWords& w) {
    if (w.J.found && !w.I.found) w.I = {0.0f, true};
    if (w.I.found && !w.J.found) w.J = {0.0f, true};
}

void Interpreter::SinglestepPlot(const ProgramLines& text, bool continuous) {
    ParsedLine line;
    parser_.Parse(text.Line(state_.CurLine), line);
    interpretLine(line, text.MainEditor, continuous);
}

void Interpreter::AddMoveSink(MoveSink* sink) {
    if (sink) sinks_.push_back(sink);
}

void Interpreter::RemoveMoveSink(MoveSink* sink) { std::erase(sinks_, sink); }

void Interpreter::interpretLine(const ParsedLine& line, bool mainEditor, bool continuous) {
    const LineModes modes = takeModes(line);
    takePen(modes, mainEditor);
    Move move;
    if (normalise(line, modes, move))
        sendMove(move, continuous);
    else if (move.end[0] != move.start[0] || move.end[1] != move.start[1] || move.end[2] != move.start[2])
        projection_.SkipMove(move, codes_.Axes());
    finishLine(modes);
}

Interpreter::LineModes Interpreter::takeModes(const ParsedLine& line) {
    PlotState& s = state_;
    const std::uint32_t found = line.found;
    auto has = [found](std::uint32_t slot) { return (found & slot) != 0; };
    LineModes m;
    // 3. Plane; the last match wins.
    if (has(kSlot<LabelRow::XYPlane>)) s.Plane = 1;
    if (has(kSlot<LabelRow::XZPlane>)) s.Plane = 2;
    if (has(kSlot<LabelRow::YZPlane>)) s.Plane = 3;
    // 5. Cut state.
    m.cutOn = has(kSlot<LabelRow::BeginBlock>);
    m.cutOff = has(kSlot<LabelRow::EndBlock>);
    // 6, 7. Coordinate mode and arc direction.
    if (has(kSlot<LabelRow::Absolute>)) s.AbsMode = true;
    if (has(kSlot<LabelRow::Incremental>)) s.AbsMode = false;
    m.cwCode = has(kSlot<LabelRow::ArcCw>);
    m.ccwCode = has(kSlot<LabelRow::ArcCcw>);
    if (m.cwCode) s.ArcCw = true, s.ArcCcw = false;
    if (m.ccwCode) s.ArcCw = false, s.ArcCcw = true;
    // 10. A G word without an arc code cancels arc mode.
    if (line.words[0].found && !m.cwCode && !m.ccwCode) s.ArcCw = s.ArcCcw = false;
    // Straight moves are rapid from the rapid code to a feed or arc code.
    if (has(kSlot<LabelRow::Rapid>)) rapid_ = true;
    if (has(kSlot<LabelRow::Line>) || m.cwCode || m.ccwCode) rapid_ = false;
    return m;
}

void Interpreter::takePen(const LineModes& m, bool mainEditor) {
    const PlotState& s = state_;
    // 4. The highlighted block of the main editor.
    if (mainEditor && s.SelLineCount > 1) {
        if (s.SelStartLine < s.CurLine && s.CurLine <= s.SelStartLine + s.SelLineCount) {
            canvas_.SetPenColour(kBlack);
            canvas_.SetPenWidth(2);
        }
        if (s.CurLine == s.SelStartLine + s.SelLineCount + 1) {
            canvas_.SetPenColour(kRed);
            canvas_.SetPenWidth(1);
        }
    }
    // 5. The pen colour is modal.
    if (m.cutOn) canvas_.SetPenColour(kRed);
    if (m.cutOff) canvas_.SetPenColour(kBlue);
}

namespace {

// A word of the line in program units; absent words hold what stands in for them.
struct Word {
    double v = 0.0;
    bool found = false;
};

// In plane XY a lone I or J gets its partner as 0.
void zeroPartner(Word* c) {
    if (c[1].found && !c[0].found) c[0] = {0.0, true};
    if (c[0].found && !c[1].found) c[1] = {0.0, true};
}

// The arc's plane as two axes of the letters in force: a line with I and K
// turns in XZ, with J and K in YZ, otherwise in XY; a radius arc, or one with
// both centre words of the plane in force, in that plane.
void arcAxes(const Word* c, bool radiusArc, int plane, int& axis1, int& axis2) {
    const int plane1 = plane == 3 ? 1 : 0, plane2 = plane == 1 ? 1 : 2;
    axis1 = 0, axis2 = 1;
    if (radiusArc || (c[plane1].found && c[plane2].found))
        axis1 = plane1, axis2 = plane2;
    else if (c[1].found && c[2].found)
        axis1 = 1, axis2 = 2;
    else if (c[0].found && c[2].found)
        axis2 = 2;
}

MovePlane planeOf(int p, int q) {
    if (p > q) std::swap(p, q);
    return p == 0 ? (q == 1 ? MovePlane::XY : MovePlane::XZ) : MovePlane::YZ;
}

}  // namespace

bool Interpreter::normalise(const ParsedLine& line, const LineModes& m, Move& out) {
    PlotState& s = state_;
    // 8. Words, in the axes of the letters in force: centre I J K, end X Y Z.
    Word c[3], p[3], R;
    for (int a = 0; a < 3; ++a) {
        const WordRead& cw = line.words[a == 2 ? 4 : a + 1];
        const WordRead& pw = line.words[5 + a];
        c[a] = {cw.value, cw.found};
        p[a] = {pw.value, pw.found};
    }
    R = {line.words[3].value, line.words[3].found};
    // 9. Unless a K makes the pair an XZ or YZ one.
    if (s.Plane == 1 && !c[2].found) zeroPartner(c);
    // 11. The arc's plane.
    const bool radiusArc = R.found && (m.cwCode || m.ccwCode);
    int axis1, axis2;
    arcAxes(c, radiusArc, s.Plane, axis1, axis2);
    // 12. A 3-D arc: the modifiers that work in XY only are switched off.
    if (settings2_.IncludeZCheckBox && c[2].found && (c[0].found || c[1].found) &&
        (p[0].found || p[1].found || p[2].found))
        view_->DisableSpinFlipFlop();
    // 14. Lathe diameters.
    if (settings2_.Xdiv2) p[0].v /= 2.0;
    if (settings2_.Idiv2) c[0].v /= 2.0;
    // 15, 16. Ends absolute, centres relative to the start.
    if (!s.AbsMode) {
        if (s.Plane == 1 && !c[2].found) zeroPartner(c);
        for (int a = 0; a < 3; ++a) p[a].v += pos_[a];
    } else if (!settings2_.Bridgeport) {
        for (int a = 0; a < 3; ++a) c[a].v -= pos_[a];
    }
    // 17. Missing words.
    for (int a = 0; a < 3; ++a) {
        if (!c[a].found) c[a].v = 0.0;
        if (!p[a].found) p[a].v = pos_[a];
    }
    // 18. Radius arcs: the centre worked out in the program's axes of the
    // plane (lower first), whichever letters read them.
    const bool anyDirection = s.ArcCw || s.ArcCcw;
    if (radiusArc) {
        const bool inOrder = codes_.Shows(axis1) < codes_.Shows(axis2);
        const int lo = inOrder ? axis1 : axis2, hi = inOrder ? axis2 : axis1;
        const bool cw = PlotAxes{}.DrawnClockwise(s.ArcCw, codes_.Shows(lo), codes_.Shows(hi));
        const ArcCentre a = ArcCentreXY(cw, pos_[lo], pos_[hi], p[lo].v, p[hi].v, R.v);
        c[lo] = {a.u, true};
        c[hi] = {a.v, true};
        c[3 - axis1 - axis2] = {0.0, false};
    }
    const bool arc = c[0].found || c[1].found || c[2].found;
    // An XY arc needs both I and J when Z is included.
    const bool drawn = !(axis2 == 1 && (!c[0].found || !c[1].found) && settings2_.IncludeZCheckBox);
    const bool moves = arc ? anyDirection && drawn : p[0].found || p[1].found || p[2].found;
    double end[3];
    for (int a = 0; a < 3; ++a) end[a] = p[a].v;
    out.kind = arc ? MoveKind::Arc : rapid_ ? MoveKind::Rapid : MoveKind::Line;
    out.line = s.CurLine;
    out.cutOn = !m.cutOff && (m.cutOn || s.Cutting);
    for (int a = 2; a >= 0; --a) {  // plot axes reading one program axis: X's words stand
        const int q = codes_.Shows(a);
        out.start[q] = pos_[a];
        out.end[q] = end[a];
        out.centre[q] = pos_[a] + c[a].v;
    }
    if (arc) {
        const int q1 = codes_.Shows(axis1), q2 = codes_.Shows(axis2);
        out.plane = planeOf(q1, q2);
        out.centre[3 - q1 - q2] = out.start[3 - q1 - q2];
        out.clockwise = s.ArcCw;
        out.fullCircle = out.start[q1] == out.end[q1] && out.start[q2] == out.end[q2];
    }
    // 22. The end point is the new position.
    for (int a = 0; a < 3; ++a) pos_[a] = end[a];
    return moves && (!arc || codes_.Shows(axis1) != codes_.Shows(axis2));
}

void Interpreter::sendMove(const Move& move, bool continuous) {
    const PlotAxes axes = codes_.Axes();
    // A DXF export of entities writes what is drawn red (blue too with
    // WriteBlueLine); the first line is never drawn, so it writes nothing.
    const PlotState& s = state_;
    if (dxf_ && s.DxfExportOn && !s.DxfLinesOnly && s.CurLine >= 1 &&
        (projection_.Settings.WriteBlueLine || canvas_.PenColour() == kRed))
        WriteDxfMove(move, axes, *dxf_);
    projection_.DrawMove(move, axes, continuous);
    for (MoveSink* sink : sinks_) sink->TakeMove(move);
}

void Interpreter::finishLine(const LineModes& m) {
    PlotState& s = state_;
    // 23.
    Bigobject(m.cutOn, m.cutOff);
    // 24. Summary at the main editor's last line.
    if (s.CurLine >= MainLineCount - 1) {
        view_->ShowSummary(Summary(view_->CutSpeedText(), view_->RapidSpeedText()));
        canvas_.SetPenColour(kRed);
        canvas_.SetPenWidth(1);
    }
}

void Interpreter::Bigobject(bool cutOn, bool cutOff) {
    PlotState& s = state_;
    if (cutOn) {
        canvas_.SetPenColour(kRed);
        s.ObjectStartLine = s.CurLine;
        if (!s.Cutting) objectStart_ = projection_.MovedLength;
        // A cut-on while already cutting (a repeated code that changes the
        // speed) starts no new gap: LastMark then holds a length, not a
        // position, and a gap taken from it would be meaningless.
        if (!s.Cutting) {
            const double g = s.TotalDist - s.LastMark;
            s.RapidDist += g;
            s.LastMark = g;
        }
        s.Cutting = true;
    }
    if (cutOff) {
        const float L = static_cast<float>(s.TotalDist - s.LastMark - s.CutOffTotal);
        if (L > s.Largest.Length) s.Largest = {L, s.ObjectStartLine, s.CurLine};
        if (L < s.Smallest.Length) s.Smallest = {L, s.ObjectStartLine, s.CurLine};
        if (ObjectLog && s.Cutting)
            ObjectLog->push_back(
                {L, s.ObjectStartLine, s.CurLine, static_cast<double>(projection_.MovedLength - objectStart_)});
        s.CutOffTotal = s.TotalDist;
        s.LastMark = s.TotalDist;
        s.Cutting = false;
    }
}

PlotSummary Interpreter::Summary(const std::string& cutSpeedText, const std::string& rapidSpeedText) const {
    const PlotState& s = state_;
    long double cutSpeed = 1.0L, rapidSpeed = 2.0L;
    if (!readReal(cutSpeedText, cutSpeed)) cutSpeed = 1.0L;
    if (!readReal(rapidSpeedText, rapidSpeed)) rapidSpeed = 2.0L;
    if (cutSpeed == 0.0L) cutSpeed = 1.0L;
    if (rapidSpeed == 0.0L) rapidSpeed = 1.0L;
    const long double k = s.ViewScale;
    const long double cut = (static_cast<long double>(s.TotalDist) - s.RapidDist) / k;
    const long double rapid = s.RapidDist / k;
    const int dp = s.DecimalPlaces;
    auto fmt = [dp](long double v) { return FixedText(v, dp, 8); };
    PlotSummary out;
    out.Caption = "Cut " + fmt(cut) + "  Rapid " + fmt(rapid) + "  Total Distance " + fmt(s.TotalDist / k);
    out.CutTime = "Time " + fmt(cut / cutSpeed);
    out.RapidTime = " + " + fmt(rapid / rapidSpeed);
    out.TotalTime = " = " + fmt(cut / cutSpeed + rapid / rapidSpeed);
    out.EstTime = limits_ ? "Est " + fmt(estimate_.Minutes(static_cast<double>(std::fabs(cutSpeed)),
                                                           static_cast<double>(std::fabs(rapidSpeed))))
                          : std::string("no acceleration data");
    const long double xExt = (std::fabs(static_cast<long double>(s.MaxX)) + std::fabs(static_cast<long double>(s.MinX))) / k;
    const long double yExt = (std::fabs(static_cast<long double>(s.MaxY)) + std::fabs(static_cast<long double>(s.MinY))) / k;
    out.Bigx = "Max " + FixedText(xExt, 1, 8);
    out.Bigy = "Max " + FixedText(yExt, 1, 8);
    out.Area = "Area " + AreaText(xExt, yExt);
    return out;
}

// The reading thread fills a ring of chunks of parsed lines; the plot takes
// them in order. It runs ahead by at most the ring, a few hundred kilobytes.
class Interpreter::ReadAhead {
public:
    ReadAhead(const ProgramLines& text, const LineParser& parser)
        : text_(text), parser_(parser), n_(text.Count()),
          ring_(static_cast<std::size_t>(kReadAheadChunk) * kReadAheadChunks) {}
    ~ReadAhead() { Stop(); }

    // Reads from line `from`, a chunk's first line. Without a thread (the
    // system has none to give) nothing runs and the plot reads for itself.
    void Start(int from) {
        stop_ = false;
        try {
            thread_ = std::thread([this, from] { run(from); });
        } catch (const std::system_error&) {
        }
    }
    // No more reading (until started again); the lines read stay.
    void Stop() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    bool Running() const { return thread_.joinable(); }
    int Read() const { return read_; }  // lines read so far; only while stopped
    // Line i, read; lines are taken in order.
    const ParsedLine& Line(int i) {
        if (i % kReadAheadChunk == 0 || i >= available_) {
            std::unique_lock<std::mutex> lock(m_);
            done_ = i;
            cv_.notify_all();
            cv_.wait(lock, [&] { return read_ > i; });
            available_ = read_;
        }
        return ring_[slot(i) + i % kReadAheadChunk];
    }

private:
    static std::size_t slot(int line) {
        return static_cast<std::size_t>(line / kReadAheadChunk % kReadAheadChunks) * kReadAheadChunk;
    }
    void run(int from) {
        for (int first = from; first < n_; first += kReadAheadChunk) {
            {
                // The chunk's slot is free once the plot is past the chunk a ring before.
                std::unique_lock<std::mutex> lock(m_);
                cv_.wait(lock, [&] { return stop_ || first - done_ <= (kReadAheadChunks - 1) * kReadAheadChunk; });
                if (stop_) return;
            }
            const int last = std::min(n_, first + kReadAheadChunk);
            ParsedLine* out = &ring_[slot(first)];
            for (int i = first; i < last; ++i) parser_.Parse(text_.Line(i), out[i - first]);
            {
                std::lock_guard<std::mutex> lock(m_);
                read_ = last;
            }
            cv_.notify_all();
        }
    }

    const ProgramLines& text_;
    const LineParser parser_;  // the thread's own copy of the codes
    const int n_;
    std::vector<ParsedLine> ring_;
    std::mutex m_;
    std::condition_variable cv_;
    int read_ = 0;       // lines parsed
    int done_ = 0;       // lines the plot has finished with (at chunk starts)
    int available_ = 0;  // the plot's copy of read_
    bool stop_ = false;
    std::thread thread_;
};

void Interpreter::TextMoving(const std::function<void()>& move) {
    if (!ahead_ || !ahead_->Running()) {
        move();
        return;
    }
    ahead_->Stop();
    move();
    ahead_->Start(ahead_->Read());
}

Interpreter::PlotEnd Interpreter::PlotAll(const ProgramLines& text, bool setOrigin, bool clear, int y,
                                          int x, Host& host) {
    if (setOrigin) {
        state_.OriginY = y;
        state_.OriginX = x;
    }
    if (clear) SetupPlot(true);
    const int n = text.Count();
    // A long program's lines are read on a second thread, ahead of the plot.
    std::optional<ReadAhead> ahead;
    if (n >= kReadAheadMinLines && std::thread::hardware_concurrency() > 1) {
        ahead.emplace(text, parser_);
        ahead->Start(0);
    }
    ahead_ = ahead ? &*ahead : nullptr;
    struct Forget {
        ReadAhead*& ahead;
        ~Forget() { ahead = nullptr; }
    } forget{ahead_};
    const unsigned generation = parserGeneration_;

    for (int i = 0; i < n; ++i) {
        state_.CurLine = i;
        if (i % 1000 == 0) {
            view_->ShowProgress();
            host.ProcessEvents();
        }
        // Codes changed while events ran: the rest is read with the new ones.
        if (ahead && parserGeneration_ != generation) ahead->Stop();
        if (ahead && ahead->Running())
            interpretLine(ahead->Line(i), text.MainEditor, true);
        else
            SinglestepPlot(text, true);
        if (state_.AbortPlot) {
            if (ahead) ahead->Stop();
            SetupPlot(true);
            return PlotEnd::Aborted;
        }
    }
    return PlotEnd::Finished;
}

void Interpreter::ShowCursor(const ProgramLines& text) {
    // The editor's offset of the next line: this line whole and its line end.
    state_.FollowOffset += static_cast<long long>(text.Line(state_.CurLine).size()) + 2;
    view_->FollowEditor(state_.CurLine, state_.FollowOffset);
}

void Interpreter::SingleStepAline(const ProgramLines& text) {
    if (state_.CurLine == 0) SetupPlot(true);
    ShowCursor(text);
    SinglestepPlot(text, false);
    ++state_.CurLine;
    if (state_.CurLine > text.Count() - 1) state_.CurLine = 0;
}

Interpreter::PlotEnd Interpreter::PlotToCursor(const ProgramLines& text, Host& host) {
    state_.CurLine = 0;
    SetupPlot(true);
    const int n = text.Count();
    for (int i = 0; i < n && i <= state_.SelStartLine; ++i) {
        state_.CurLine = i;
        ShowCursor(text);
        SinglestepPlot(text, false);
        host.ProcessEvents();
        if (state_.AbortPlot) return PlotEnd::Aborted;
    }
    return PlotEnd::Finished;
}

}  // namespace tolva
