#include "plot/drawing.h"

#include <cmath>

#include "text/geometry.h"
#include "text/number_format.h"

namespace tolva {
namespace {

constexpr long double kPi = 3.14159265358979323846L;
constexpr long double kTwoPi = 2.0L * kPi;

// Numbers of MakeALine and MakeAnArc: at most 6 significant digits before the point.
constexpr int kLinePrecision = 6;
// Numbers of the read-out: at most 4.
constexpr int kReadOutPrecision = 4;

std::string number(long double v, int dp) { return DrawnNumber(v, dp, kLinePrecision); }

}  // namespace

std::string DrawnNumber(long double value, int decimals, int precision) {
    std::string t = FixedText(value, decimals, precision);
    // Exponent form only where the integer digits exceed the precision: write
    // them all instead (a float has no more than 39).
    if (t.find('E') != std::string::npos) t = FixedText(value, decimals, 40);
    return t;
}

std::string MakeALine(const AxisCodes& codes, long double x, long double y, int decimalPlaces) {
    return codes.Code(LabelRow::Line) + codes.letters.X + number(x, decimalPlaces) + " " + codes.letters.Y +
           number(y, decimalPlaces);
}

std::string MakeAnArc(const AxisCodes& codes, const std::string& arcCode, long double x, long double y, bool useR,
                      long double r, long double i, long double j, int decimalPlaces) {
    std::string s = arcCode + " " + codes.letters.X + number(x, decimalPlaces) + " " + codes.letters.Y +
                    number(y, decimalPlaces) + " ";
    if (useR)
        s += codes.letters.R + number(r, decimalPlaces) + " ";
    else
        s += codes.letters.I + number(i, decimalPlaces) + " " + codes.letters.J + number(j, decimalPlaces) + " ";
    return s;
}

std::vector<std::string> FileHeader(const AxisCodes& codes) {
    return {codes.Code(LabelRow::FileStart),
            codes.Code(LabelRow::Absolute),
            codes.Code(LabelRow::KerfCompLeft),
            codes.Code(LabelRow::BeginBlock),
            codes.Code(LabelRow::LeadIn),
            codes.Code(LabelRow::Line) + " " + codes.letters.X + "0.000" + " " + codes.letters.Y + "0.000",
            codes.Code(LabelRow::FileEnd)};
}

void Drawing::Start(DrawMode mode, bool ccw) {
    Mode = mode;
    Ccw = ccw;
    Clicks = 0;
}

Drawing::Result Drawing::C_VectorIJ(int pressX, int pressY, int cursorX, int cursorY, const DrawingView& view,
                                    const AxisCodes& codes, const DrawingSettings& s) {
    Result out;
    if (!Active()) return out;
    DrawingValues& v = Values;
    const long double k = view.ViewScale != 0.0f ? view.ViewScale : 1.0f;
    // Screen down is the first coordinate, right the second: the angle runs
    // from the rightward direction towards the downward one, in (0, 2pi].
    const long double angle = Calc_VectorIJ(pressY, pressX, cursorY, cursorX);
    const long double length = std::hypot(static_cast<long double>(cursorX - pressX),
                                          static_cast<long double>(cursorY - pressY));
    const long double sn = std::sin(angle), cs = std::cos(angle);
    if (Mode == DrawMode::Line) Clicks = 0;

    if (Clicks == 0) {
        v.Radius = static_cast<float>(length / k);
        v.FirstAngle = static_cast<float>(angle);
        v.XInc = static_cast<float>(sn * v.Radius * view.XSign);
        v.YInc = static_cast<float>(cs * v.Radius * view.YSign);
        v.AbsX = static_cast<float>((cursorY - view.OriginY) / k * view.XSign);
        v.AbsY = static_cast<float>((cursorX - view.OriginX) / k * view.YSign);
        v.Cx = v.AbsX;
        v.Cy = v.AbsY;
    } else if (Clicks == 1) {
        if (Mode == DrawMode::Circle) v.Radius = static_cast<float>(length / k);
        v.EndX = static_cast<float>(sn * v.Radius * view.XSign + v.AbsX);
        v.EndY = static_cast<float>(cs * v.Radius * view.YSign + v.AbsY);
        v.SecondAngle = static_cast<float>(angle);
        if (Mode == DrawMode::Circle) {
            v.XLow = v.Cx - v.Radius * view.XSign;
            v.XHigh = v.Cx + v.Radius * view.XSign;
            v.YLow = v.Cy - v.Radius * view.YSign;
            v.YHigh = v.Cy + v.Radius * view.YSign;
        } else if (Mode == DrawMode::Arc) {
            // The turn from the centre's side of the start to the cursor, in
            // screen angles (clockwise as seen): the sweep of a counter-
            // clockwise arc when more than half a turn.
            long double sweep = static_cast<long double>(v.FirstAngle) - v.SecondAngle;
            if (sweep < 0) sweep += kTwoPi;
            if (sweep < kTwoPi) sweep = kTwoPi - sweep;
            const bool more = sweep > kPi;
            v.Indicator = more == Ccw ? ">" : "<";
        }
    } else if (Clicks == 2) {
        const std::string& arcCode = drawnArcCode(codes, view, Ccw);
        if (Mode == DrawMode::Arc) {
            const long double r = v.Indicator == ">" ? -static_cast<long double>(v.Radius) : v.Radius;
            const long double i = s.Bridgeport ? v.XInc : v.AbsX;
            const long double j = s.Bridgeport ? v.YInc : v.AbsY;
            out.lines.push_back(MakeAnArc(codes, arcCode, v.EndX, v.EndY, s.RCheckbox, r, i, j, s.DecimalPlaces));
            out.finished = true;
        } else if (Mode == DrawMode::Circle) {
            out.lines = circleLines(codes, s, arcCode);
            out.finished = true;
        }
    }
    v.Angle = static_cast<float>(angle);
    return out;
}

// The code of an arc drawn turning counter-clockwise (`ccw`) or clockwise as
// seen on the screen, that is in the plot's X and Y: the programmed direction
// is the other one where the plot mirrors them.
const std::string& Drawing::drawnArcCode(const AxisCodes& codes, const DrawingView& view, bool ccw) {
    PlotAxes axes = codes.Axes();
    axes.sign[0] = view.XSign;
    axes.sign[1] = view.YSign;
    return codes.Code(axes.DrawnClockwise(!ccw, 0, 1) ? LabelRow::ArcCw : LabelRow::ArcCcw);
}

std::vector<std::string> Drawing::circleLines(const AxisCodes& codes, const DrawingSettings& s,
                                              const std::string& arcCode) const {
    const DrawingValues& v = Values;
    const int dp = s.DecimalPlaces;
    std::vector<std::string> lines;
    if (s.LeadIn) {
        lines.push_back(codes.Code(LabelRow::EndBlock));
        lines.push_back(MakeALine(codes, v.Cx, v.Cy, dp));
        lines.push_back(codes.Code(LabelRow::BeginBlock));
        lines.push_back(MakeALine(codes, v.Cx, v.Cy, dp));
    }
    lines.push_back(MakeALine(codes, v.XLow, v.Cy, dp));
    const float quarter[2][4][2] = {
        {{v.Cx, v.YHigh}, {v.XHigh, v.Cy}, {v.Cx, v.YLow}, {v.XLow, v.Cy}},   // clockwise
        {{v.Cx, v.YLow}, {v.XHigh, v.Cy}, {v.Cx, v.YHigh}, {v.XLow, v.Cy}}};  // counter-clockwise
    float fromX = v.XLow, fromY = v.Cy;
    for (const auto& p : quarter[Ccw ? 1 : 0]) {
        const long double i = s.Bridgeport ? static_cast<long double>(v.Cx) - fromX : v.Cx;
        const long double j = s.Bridgeport ? static_cast<long double>(v.Cy) - fromY : v.Cy;
        lines.push_back(MakeAnArc(codes, arcCode, p[0], p[1], s.RCheckbox, v.Radius, i, j, dp));
        fromX = p[0];
        fromY = p[1];
    }
    if (s.LeadIn) {
        lines.push_back(MakeALine(codes, v.Cx, v.Cy, dp));
        lines.push_back(codes.Code(LabelRow::EndBlock));
    }
    return lines;
}

ReadOutTexts Drawing::ReadOut(int dp) const {
    const DrawingValues& v = Values;
    auto t = [dp](long double x) { return FixedText(x, dp, kReadOutPrecision); };
    return {t(v.Angle * 180.0L / kPi), t(v.Radius), t(v.XInc), t(v.YInc),
            t(v.EndX), t(v.EndY), t(v.AbsX), t(v.AbsY)};
}

std::string Drawing::DrawALine(const AxisCodes& codes, int dp) const {
    // The read-out's own texts, so the line holds what the user saw; the
    // Line code first, so a line drawn after an arc or a circle is a line.
    const std::string& line = codes.Code(LabelRow::Line);
    return line + (line.empty() ? "" : " ") + codes.letters.X + DrawnNumber(Values.AbsX, dp, kReadOutPrecision) +
           " " + codes.letters.Y + DrawnNumber(Values.AbsY, dp, kReadOutPrecision);
}

}  // namespace tolva
