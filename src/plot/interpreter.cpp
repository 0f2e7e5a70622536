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
        return;
    }
    const MachineSettings& s = *settings_;
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
    state_.Words = PlotWords{};
    state_.DefaultI = state_.DefaultJ = state_.DefaultK = state_.DefaultR = 0.0f;
    state_.PrevX = state_.PrevY = state_.PrevZ = 0.0f;
    state_.ArcCw = state_.ArcCcw = false;
    state_.FullCircle = false;
    state_.TotalDist = state_.RapidDist = state_.LastMark = 0.0f;
    state_.CutOffTotal = 0.0f;
    state_.Cutting = false;
    state_.ObjectStartLine = 0;
    state_.Largest = {0.0f, MainLineCount - 1, 0};
    state_.Smallest = {2147483648.0f, MainLineCount - 1, 0};
    projection_.MovedLength = objectStart_ = 0.0L;
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

void Interpreter::interpretLine(const ParsedLine& line, bool mainEditor, bool continuous) {
    PlotState& s = state_;
    const std::uint32_t found = line.found;
    auto has = [found](std::uint32_t slot) { return (found & slot) != 0; };

    // 3. Plane; the last match wins.
    if (has(kSlot<LabelRow::XYPlane>)) s.Plane = 1;
    if (has(kSlot<LabelRow::XZPlane>)) s.Plane = 2;
    if (has(kSlot<LabelRow::YZPlane>)) s.Plane = 3;

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

    // 5. Cut state: the pen colour is modal.
    const bool cutOn = has(kSlot<LabelRow::BeginBlock>);
    const bool cutOff = has(kSlot<LabelRow::EndBlock>);
    if (cutOn) canvas_.SetPenColour(kRed);
    if (cutOff) canvas_.SetPenColour(kBlue);

    // 6, 7. Coordinate mode and arc direction.
    if (has(kSlot<LabelRow::Absolute>)) s.AbsMode = true;
    if (has(kSlot<LabelRow::Incremental>)) s.AbsMode = false;
    const bool cwCode = has(kSlot<LabelRow::ArcCw>);
    const bool ccwCode = has(kSlot<LabelRow::ArcCcw>);
    if (cwCode) {
        s.ArcCw = true;
        s.ArcCcw = false;
    }
    if (ccwCode) {
        s.ArcCw = false;
        s.ArcCcw = true;
    }

    // 8. Words (read with the line).
    PlotWords& w = s.Words;
    const WordRead* read = line.words;
    w.G = read[0];
    w.I = read[1];
    w.J = read[2];
    w.R = read[3];
    w.K = read[4];
    w.X = read[5];
    w.Y = read[6];
    w.Z = read[7];

    // 9. In plane XY a lone I or J gets its partner as 0, unless a K makes
    // the pair an XZ or YZ one (the plane codes of a machine file written
    // for the program's planes, not the plot's, under an axis swap). The
    // plane in force as two plot axes, first below second: the label
    // table's plane codes name the plot's planes (the axes of the letters in
    // force).
    const int plane1 = s.Plane == 3 ? 1 : 0, plane2 = s.Plane == 1 ? 1 : 2;
    if (s.Plane == 1 && !w.K.found) ZeroIOrJ(w);

    // 10. A G word without an arc code cancels arc mode.
    if (w.G.found && !cwCode && !ccwCode) s.ArcCw = s.ArcCcw = false;

    // 11. The arc's plane (a line with I and K draws in XZ, with J and K in
    // YZ, otherwise in XY; a radius arc in the plane in force) and the
    // direction it is drawn in there: the one rule of AxisCodes.
    const WordRead* centreWord[3] = {&w.I, &w.J, &w.K};
    int axis1 = 0, axis2 = 1;
    if ((w.R.found && (cwCode || ccwCode)) || (centreWord[plane1]->found && centreWord[plane2]->found)) {
        axis1 = plane1, axis2 = plane2;
    } else if (w.J.found && w.K.found) {
        axis1 = 1, axis2 = 2;
    } else if (w.I.found && w.K.found) {
        axis2 = 2;
    }
    const PlotAxes axes{{s.XSign, s.YSign, s.ZSign}, {codes_.Shows(0), codes_.Shows(1), codes_.Shows(2)}};
    const bool anyDirection = s.ArcCw || s.ArcCcw;
    const bool drawnCw = anyDirection && axes.DrawnClockwise(s.ArcCw, axis1, axis2);

    // 12. A 3-D arc: the modifiers that work in XY only are switched off.
    if (settings2_.IncludeZCheckBox && w.K.found && (w.I.found || w.J.found) &&
        (w.X.found || w.Y.found || w.Z.found))
        view_->DisableSpinFlipFlop();

    // 13. Signs and scale, in extended precision, stored as 32-bit.
    const long double k = s.ViewScale;
    auto scale = [k](WordRead& r, int sign) { r.value = static_cast<float>(r.value * sign * k); };
    scale(w.I, s.XSign);
    scale(w.X, s.XSign);
    scale(w.J, s.YSign);
    scale(w.Y, s.YSign);
    scale(w.K, s.ZSign);
    scale(w.Z, s.ZSign);
    scale(w.R, 1);

    // 14. Lathe diameters.
    if (settings2_.Xdiv2) w.X.value = static_cast<float>(w.X.value / 2.0L);
    if (settings2_.Idiv2) w.I.value = static_cast<float>(w.I.value / 2.0L);

    // 15. Incremental words become absolute.
    auto add = [](WordRead& r, long double v) { r.value = static_cast<float>(r.value + v); };
    if (!s.AbsMode) {
        // Only in XY, as above: a partner made up in another plane would
        // turn an XZ arc's I and K into a YZ pair.
        if (s.Plane == 1 && !w.K.found) ZeroIOrJ(w);
        add(w.I, s.PrevX);
        add(w.X, s.PrevX);
        add(w.J, s.PrevY);
        add(w.Y, s.PrevY);
        add(w.K, s.PrevZ);
        add(w.Z, s.PrevZ);
    }

    // 16. Centre words relative to the start point.
    if (!(settings2_.Bridgeport && s.AbsMode)) {
        if (w.I.found) add(w.I, -static_cast<long double>(s.PrevX));
        if (w.J.found) add(w.J, -static_cast<long double>(s.PrevY));
        if (w.K.found) add(w.K, -static_cast<long double>(s.PrevZ));
    }
    // Scaling may overflow a huge word: it is then absent too.
    for (WordRead* r : {&w.I, &w.J, &w.R, &w.K, &w.X, &w.Y, &w.Z}) finiteOnly(*r);

    // 17. Missing words.
    if (!w.I.found) w.I.value = s.DefaultI;
    if (!w.J.found) w.J.value = s.DefaultJ;
    if (!w.K.found) w.K.value = s.DefaultK;
    if (!w.R.found) w.R.value = s.DefaultR;
    if (!w.X.found) w.X.value = s.PrevX;
    if (!w.Y.found) w.Y.value = s.PrevY;
    if (!w.Z.found) w.Z.value = s.PrevZ;

    // 18. Radius arcs: only on a line that carries an arc code. The centre
    // words of the plane's two axes are set, the third is absent.
    if (w.R.found && (cwCode || ccwCode)) {
        const float start[3] = {s.PrevX, s.PrevY, s.PrevZ};
        const float end[3] = {w.X.value, w.Y.value, w.Z.value};
        const ArcCentre c = ArcCentreXY(drawnCw, start[axis1], start[axis2], end[axis1], end[axis2], w.R.value);
        WordRead* word[3] = {&w.I, &w.J, &w.K};
        *word[axis1] = {c.u, true};
        *word[axis2] = {c.v, true};
        word[3 - axis1 - axis2]->found = false;
    }

    // The first line is never drawn (LINE3d), so it writes nothing either.
    const bool dxfEntities = s.DxfExportOn && !s.DxfLinesOnly && dxf_ && s.CurLine >= 1 &&
                             (projection_.Settings.WriteBlueLine || canvas_.PenColour() == kRed);
    const bool dxfChain = s.DxfExportOn && s.DxfLinesOnly && dxf_;
    if (dxfChain) projection_.BeginDxfMove(w.X.value, w.Y.value, w.Z.value);
    // 19. Arc, straight move, or nothing.
    if (w.I.found || w.J.found || w.K.found) {
        // 20.1 Centre.
        s.CentreX = static_cast<float>(static_cast<long double>(s.PrevX) + w.I.value);
        s.CentreY = static_cast<float>(static_cast<long double>(s.PrevY) + w.J.value);
        s.CentreZ = static_cast<float>(static_cast<long double>(s.PrevZ) + w.K.value);
        // 20.2 - 20.4 Angles and radius in the arc's plane. An XY arc needs
        // both I and J when Z is included.
        const float start[3] = {s.PrevX, s.PrevY, s.PrevZ};
        const float end[3] = {w.X.value, w.Y.value, w.Z.value};
        const float centre[3] = {s.CentreX, s.CentreY, s.CentreZ};
        const float offset[3] = {w.I.value, w.J.value, w.K.value};
        const bool drawn = !(axis2 == 1 && (!w.I.found || !w.J.found) && settings2_.IncludeZCheckBox);
        if (drawn) {
            s.StartAngle = VectorAngle(start[axis1], start[axis2], centre[axis1], centre[axis2]);
            s.EndAngle = VectorAngle(end[axis1], end[axis2], centre[axis1], centre[axis2]);
            s.Radius = Hypot2(offset[axis1], offset[axis2]);
        }
        // 20.5 A full circle is decided here, once, and carried into the
        // stepping: the two angles cannot be compared again after rounding.
        s.FullCircle = s.StartAngle == s.EndAngle;
        if (s.FullCircle) s.EndAngle = static_cast<float>(s.EndAngle + 2.0L * kPi);
        // 20.6
        if (s.StartAngle < 0.0f || s.EndAngle < 0.0f) {
            s.StartAngle = static_cast<float>(s.StartAngle + 2.0L * kPi);
            s.EndAngle = static_cast<float>(s.EndAngle + 2.0L * kPi);
        }
        const float sa = s.StartAngle, ea = s.EndAngle, r = s.Radius;
        // 20.7 - 20.11 The arc, once, in its own plane, and its DXF entity. A
        // clockwise sweep takes (start, end), a counter-clockwise one (end, start).
        if (drawn) {
            const int linear = 3 - axis1 - axis2;
            if (dxfEntities && (anyDirection || s.FullCircle)) {
                DxfArcMove arc;
                arc.axis1 = axis1;
                arc.axis2 = axis2;
                arc.clockwise = drawnCw;
                arc.fullCircle = s.FullCircle;
                for (int a = 0; a < 3; ++a) {
                    arc.start[a] = start[a] / k;
                    arc.end[a] = end[a] / k;
                    arc.centre[a] = (a == linear ? end[a] : centre[a]) / k;
                }
                arc.radius = static_cast<long double>(r) / k;
                dxf_->DxfBodyArc(arc);
            }
            const float A = drawnCw ? sa : ea, B = drawnCw ? ea : sa;
            if (anyDirection) {
                if (axis2 == 1)
                    projection_.arkIJ(continuous, drawnCw, s.FullCircle, s.CentreX, s.CentreY, w.Z.value, A, B, r);
                else if (axis1 == 0)
                    projection_.arkIK(continuous, drawnCw, s.FullCircle, s.CentreX, s.CentreZ, w.Y.value, A, B, r);
                else
                    projection_.arkJK(continuous, drawnCw, s.FullCircle, s.CentreY, s.CentreZ, w.X.value, A, B, r);
            }
        }
    } else if (w.X.found || w.Y.found || w.Z.found) {
        // 21. Straight move.
        projection_.LINE3d(w.X.value, w.Y.value, w.Z.value);
        if (dxfEntities)
            dxf_->DxfBody(static_cast<float>(s.PrevX / k), static_cast<float>(s.PrevY / k),
                          static_cast<float>(s.PrevZ / k), static_cast<float>(w.X.value / k),
                          static_cast<float>(w.Y.value / k), static_cast<float>(w.Z.value / k));
        const long double dx = w.X.found ? static_cast<long double>(w.X.value) - s.PrevX : 0.0L;
        const long double dy = w.Y.found ? static_cast<long double>(w.Y.value) - s.PrevY : 0.0L;
        const long double dz = w.Z.found ? static_cast<long double>(w.Z.value) - s.PrevZ : 0.0L;
        const long double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        s.TotalDist = static_cast<float>(s.TotalDist + length);
        projection_.MovedLength += length;
    }

    if (dxfChain) projection_.EndDxfMove();

    // 22. The end point is the new position.
    s.PrevX = w.X.value;
    s.PrevY = w.Y.value;
    s.PrevZ = w.Z.value;

    // 23.
    Bigobject(cutOn, cutOff);

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
            const float g = static_cast<float>(static_cast<long double>(s.TotalDist) - s.LastMark);
            s.RapidDist = static_cast<float>(static_cast<long double>(s.RapidDist) + g);
            s.LastMark = g;
        }
        s.Cutting = true;
    }
    if (cutOff) {
        const float L = static_cast<float>(static_cast<long double>(s.TotalDist) - s.LastMark - s.CutOffTotal);
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
