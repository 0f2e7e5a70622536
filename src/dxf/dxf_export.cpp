#include "dxf/dxf_export.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/host.h"
#include "plot/canvas.h"
#include "plot/interpreter.h"
#include "settings/machine_settings.h"
#include "text/number_format.h"

namespace tolva {
namespace {

// Numbers are written fixed point while their integer part has at most this
// many digits, in exponent form with as many significant digits beyond.
constexpr int kDxfIntegerDigits = 6;
// Arc angles in degrees carry this many decimals: an arc of any radius then
// ends within 1e-8 of its radius from its end point.
constexpr int kAngleDecimals = 6;
constexpr long double kPiL = 3.141592653589793238462643383279502884L;
constexpr long double kDegreesPerRadian = 180.0L / kPiL;
// The writer hands the file this much at a time.
constexpr std::size_t kFlushAt = 1 << 16;

int signOf(float v) { return v < 0.0f ? -1 : 1; }

// Gives the plot's view scale; the plot runs without a window.
class ScaleOnlyView final : public PlotView {
public:
    explicit ScaleOnlyView(int value) : value_(value) {}
    int ViewScaleValue() override { return value_; }

private:
    int value_;
};

}  // namespace

DxfAxisFactors AxisFactorsOf(float xScale, float yScale, float zScale, float zOffset) {
    return {signOf(xScale), signOf(yScale), signOf(zScale), zOffset};
}

DxfAxisFactors& ImportedAxisFactors() {
    static DxfAxisFactors factors;
    return factors;
}

std::string DxfWriter::number(long double v) const {
    const int decimals = f_.DecimalPlaces < 0 ? 0 : f_.DecimalPlaces > 12 ? 12 : f_.DecimalPlaces;
    // Every decimal asked for is written: rounding to six significant digits
    // would move a point of a 1250 mm part by up to 0.005.
    std::string text = FixedText(v, decimals, kDxfIntegerDigits + decimals);
    const std::size_t point = text.find('.');
    const std::size_t integerDigits = (point == std::string::npos ? text.size() : point) - (text[0] == '-' ? 1 : 0);
    if (integerDigits > static_cast<std::size_t>(kDxfIntegerDigits)) text = ExponentText(v, kDxfIntegerDigits);
    return text;
}

std::string DxfWriter::dxfZ(float z) const {
    if (!f_.IncludeZ) return "0";
    return number(static_cast<long double>(f_.factors.sz) * z * f_.ZSign - f_.factors.z0);
}

void DxfWriter::flush() {
    if (buf_.empty() || !status_.ok) return;
    status_ = file_.Append(buf_);
    buf_.clear();
}

void DxfWriter::record(const char* code, const std::string& value) {
    // Group codes right-aligned in three characters.
    const std::string_view c(code);
    buf_.append(c.size() < 3 ? 3 - c.size() : 0, ' ');
    buf_ += c;
    buf_ += "\r\n";
    buf_ += value;
    buf_ += "\r\n";
    if (buf_.size() >= kFlushAt) flush();
}

FileStatus DxfWriter::DxfHeader(const std::string& path) {
    buf_.clear();
    entities_ = 0;
    status_ = file_.Open(path);
    if (!status_.ok) return status_;
    record("0", "SECTION");
    record("2", "ENTITIES");
    return status_;
}

void DxfWriter::DxfBody(float x1, float y1, float z1, float x2, float y2, float z2) {
    // DXF X from the program's Y, DXF Y from its X; the signs restore the
    // values the program holds.
    const long double a = static_cast<long double>(f_.factors.sy) * f_.YSign;
    const long double b = static_cast<long double>(f_.factors.sx) * f_.XSign;
    record("0", "LINE");
    record("8", "0");
    record("10", number(a * y1));
    record("20", number(b * x1));
    record("30", dxfZ(z1));
    record("11", number(a * y2));
    record("21", number(b * x2));
    record("31", dxfZ(z2));
    ++entities_;
}

void DxfWriter::DxfBodyArc(const DxfArcMove& arc) {
    // Plot axis i runs along DXF axis `dxfAxis[i]` with sign `dxfSign[i]`:
    // DXF X from the plot's Y, DXF Y from its X, as for lines.
    const int dxfAxis[3] = {1, 0, 2};
    const int dxfSign[3] = {f_.factors.sx * f_.XSign, f_.factors.sy * f_.YSign, f_.factors.sz * f_.ZSign};
    auto world = [&](const long double* p, long double* out) {
        for (int i = 0; i < 3; ++i) out[dxfAxis[i]] = dxfSign[i] * p[i];
        out[2] -= f_.factors.z0;
    };
    long double c[3], s[3], e[3];
    world(arc.centre, c);
    world(arc.start, s);
    world(arc.end, e);
    // The normal about which the arc turns counter-clockwise: the cross
    // product of the plane's two axes in DXF, turned over for a clockwise arc.
    const int u = dxfAxis[arc.axis1], v = dxfAxis[arc.axis2];
    const int n = 3 - u - v;
    const bool rightHanded = (v - u + 3) % 3 == 1;
    int normal = (rightHanded ? 1 : -1) * dxfSign[arc.axis1] * dxfSign[arc.axis2] * (arc.clockwise ? -1 : 1);
    if (n != 2 && !f_.IncludeZ) {
        arcShadow(arc, c, s, e, u, v, normal);
        return;
    }
    // Written about the positive axis: a turn the other way runs from the end.
    const long double* from = s;
    const long double* to = e;
    if (normal < 0) std::swap(from, to);
    // The extrusion's own axes (the DXF arbitrary axis algorithm): about
    // +Z the drawing's X and Y, about +Y (-X, Z), about +X (Y, Z).
    int ax = 0, ay = 1;
    long double sx = 1;
    if (n == 1) ax = 0, ay = 2, sx = -1;
    if (n == 0) ax = 1, ay = 2;
    const bool circle = arc.fullCircle;
    record("0", circle ? "CIRCLE" : "ARC");
    record("8", "0");
    record("10", number(sx * c[ax]));
    record("20", number(c[ay]));
    record("30", n != 2 || f_.IncludeZ ? number(c[n]) : std::string("0"));
    record("40", number(arc.radius));
    if (!circle) {
        auto angle = [&](const long double* p) {
            long double a = std::atan2(p[ay] - c[ay], sx * (p[ax] - c[ax])) * kDegreesPerRadian;
            if (a < 0.0L) a += 360.0L;
            return FixedText(a, kAngleDecimals, kAngleDecimals + 3);
        };
        record("50", angle(from));
        record("51", angle(to));
    }
    if (n != 2) {
        record("210", n == 0 ? "1" : "0");
        record("220", n == 1 ? "1" : "0");
        record("230", "0");
    }
    ++entities_;
}

void DxfWriter::arcShadow(const DxfArcMove& arc, const long double* c, const long double* s,
                          const long double* e, int u, int v, int normal) {
    // The sweep from the start, counter-clockwise about `normal` in (u, v).
    const long double a0 = std::atan2(s[v] - c[v], s[u] - c[u]);
    const long double a1 = std::atan2(e[v] - c[v], e[u] - c[u]);
    const long double turn = 2.0L * kPiL;
    long double sweep = arc.fullCircle ? turn : normal > 0 ? a1 - a0 : a0 - a1;
    while (sweep <= 0.0L) sweep += turn;
    while (sweep > turn) sweep -= turn;
    if (normal < 0) sweep = -sweep;
    // The shadow's ends: the start, every point where the in-plane axis that
    // lies in the DXF XY plane turns back, and the end.
    const int flat = u == 2 ? v : u;
    const long double r = arc.radius;
    long double last[3] = {s[0], s[1], s[2]};
    auto lineTo = [&](long double t) {
        long double p[3];
        const long double a = a0 + sweep * t;
        p[u] = c[u] + r * std::cos(a);
        p[v] = c[v] + r * std::sin(a);
        const int lin = 3 - u - v;
        p[lin] = s[lin] + (e[lin] - s[lin]) * t;
        if (t == 1.0L) p[0] = e[0], p[1] = e[1], p[2] = e[2];
        record("0", "LINE");
        record("8", "0");
        record("10", number(last[0]));
        record("20", number(last[1]));
        record("30", "0");
        record("11", number(p[0]));
        record("21", number(p[1]));
        record("31", "0");
        ++entities_;
        for (int i = 0; i < 3; ++i) last[i] = p[i];
    };
    // The flat axis turns back where the angle from it is 0 or a half turn.
    const long double base = flat == u ? 0.0L : kPiL / 2.0L;
    long double ts[10];
    int count = 0;
    for (int k = -4; k <= 4; ++k) {
        const long double t = (base + k * kPiL - a0) / sweep;
        if (t > 1e-12L && t < 1.0L - 1e-12L) ts[count++] = t;
    }
    std::sort(ts, ts + count);
    for (int i = 0; i < count; ++i) lineTo(ts[i]);
    lineTo(1.0L);
}

void DxfWriter::DxfBodyPoint(float x, float y, float z) {
    // The axes of the full export: DXF X from the Y word, DXF Y from the X
    // word, each with the factor of the last import.
    record("0", "POINT");
    record("8", "0");
    record("10", number(static_cast<long double>(f_.factors.sy) * y));
    record("20", number(static_cast<long double>(f_.factors.sx) * x));
    record("30", number(z));
    ++entities_;
}

FileStatus DxfWriter::DxfFooter() {
    record("0", "ENDSEC");
    record("0", "EOF");
    flush();
    if (status_.ok) status_ = file_.Commit();
    if (!status_.ok) file_.Abandon();
    return status_;
}

void GetXYs(const ProgramLines& text, const Letters& letters, DxfWriter& out) {
    WordReader reader{letters.X, letters.Y};
    WordRead xy[2];
    for (int i = 1; i < text.Count(); ++i) {
        reader.Read(text.Line(i), xy);
        if (xy[0].found && xy[1].found) out.DxfBodyPoint(xy[0].value, xy[1].value, 0.0f);
    }
}

FileStatus DxfPointFile(const std::string& path, const ProgramLines& text, const Letters& letters,
                        const DxfFormat& format) {
    DxfWriter w(format);
    FileStatus st = w.DxfHeader(path);
    if (!st.ok) return st;
    GetXYs(text, letters, w);
    return w.DxfFooter();
}

bool HasCutOn(const ProgramLines& text, const AxisCodes& codes) {
    LineParser parser;
    parser.Take(codes);
    ParsedLine line;
    for (int i = 0; i < text.Count(); ++i) {
        parser.Parse(text.Line(i), line);
        if (line.found & LineParser::SlotOf(LabelRow::BeginBlock)) return true;
    }
    return false;
}

FileStatus ExportPlotDxf(const std::string& path, const ProgramLines& text, MachineSettings& settings,
                         const DxfPlotExport& request, Canvas* canvas) {
    PlotState state;
    state.DecimalPlaces = request.decimalPlaces;
    NullCanvas none;
    ScaleOnlyView view(request.viewScaleValue);
    Interpreter interp(state, canvas ? *canvas : none, &settings, &view);
    interp.Setaxis();  // the signs in force, for the writer

    DxfFormat format;
    format.XSign = state.XSign;
    format.YSign = state.YSign;
    format.ZSign = state.ZSign;
    format.DecimalPlaces = request.decimalPlaces;
    format.IncludeZ = settings.Flag("IncludeZCheckBox");
    format.factors = request.factors;
    DxfWriter w(format);
    FileStatus st = w.DxfHeader(path);
    if (!st.ok) return st;

    interp.MainLineCount = text.Count();
    interp.SetDxf(&w);
    state.DxfExportOn = true;
    state.DxfLinesOnly = request.kind == DxfExportKind::LinesOnly;
    // The plot window's pen is red when a plot starts (every plot ends so):
    // a program without a cut-on code is all cutting. In one with a cut-on,
    // the moves before the first are the approach, not a cut: a drawing that
    // held them would cut them when imported again.
    interp.Surface().SetPenColour(HasCutOn(text, interp.Codes()) ? kBlue : kRed);
    RecordingHost quiet;
    interp.PlotAll(text, false, true, 0, 0, quiet);
    interp.SetDxf(nullptr);
    return w.DxfFooter();
}

}  // namespace tolva
