#include "dxf/dxf_export.h"

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

void DxfWriter::DxfBodyArc(float cx, float cy, float z, float radius, float firstAngle, float secondAngle) {
    const int a = f_.factors.sy * f_.YSign;
    const int b = f_.factors.sx * f_.XSign;
    // A plot angle p puts a point at centre + r(-sin p, cos p) in the plot's
    // (X, Y); DXF angles run counter-clockwise from DXF X. With a = 1 and
    // b = -1 (the machine files' X * -1) the two are the same angle; the
    // other sign pairs turn or mirror the arc with its end points. A mirror
    // reverses the sweep, so the angles change places.
    auto toDxf = [a, b](long double p) {
        long double t = a == 1 ? (b == -1 ? p : -p) : (b == -1 ? 180.0L - p : 180.0L + p);
        while (t < 0.0L) t += 360.0L;
        while (t >= 720.0L) t -= 360.0L;
        return t;
    };
    long double first = toDxf(firstAngle), second = toDxf(secondAngle);
    if (a == b) std::swap(first, second);
    record("0", "ARC");
    record("8", "0");
    record("10", number(static_cast<long double>(a) * cy));
    record("20", number(static_cast<long double>(b) * cx));
    record("30", dxfZ(z));
    record("40", number(radius));
    record("50", number(first));
    record("51", number(second));
    ++entities_;
}

void DxfWriter::DxfBodyCircle(float cx, float cy, float z, float radius) {
    const long double a = static_cast<long double>(f_.factors.sy) * f_.YSign;
    const long double b = static_cast<long double>(f_.factors.sx) * f_.XSign;
    record("0", "CIRCLE");
    record("8", "0");
    record("10", number(a * cy));
    record("20", number(b * cx));
    record("30", dxfZ(z));
    record("40", number(radius));
    ++entities_;
}

void DxfWriter::DxfBodyPoint(float x, float y, float z) {
    record("0", "POINT");
    record("8", "0");
    record("10", number(static_cast<long double>(f_.XSign) * x));
    record("20", number(static_cast<long double>(f_.YSign) * y));
    record("30", number(static_cast<long double>(f_.XSign) * z));
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
    // a program without a cut-on code is all cutting.
    interp.Surface().SetPenColour(kRed);
    RecordingHost quiet;
    interp.PlotAll(text, false, true, 0, 0, quiet);
    interp.SetDxf(nullptr);
    return w.DxfFooter();
}

}  // namespace tolva
