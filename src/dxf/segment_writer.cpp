#include "dxf/segment_writer.h"

#include <cmath>

#include "text/number_format.h"

namespace tolva {
namespace {

// Radians per degree. To 11 digits it would put the end of an arc of radius
// 100000 a few millionths off: more than the sixth decimal allows.
constexpr long double kDegree = 3.141592653589793238462643383279502884L / 180.0L;

// sin and cos of x radians, for the arc end points. Long double sin and cos
// reduce any argument beyond pi/4 with a multi-precision routine, the
// costliest step of writing an arc; angles of a drawing are a few turns at
// most, so they are reduced here by the nearest multiple of pi/2 in two parts
// (the first a double, so k times it is exact), and only |r| <= pi/4 goes to
// sincos. The results agree with the library's to a unit or so in the last
// place of long double, some 10 bits below the doubles the coordinates are
// rounded to. Larger arguments keep the library's own reduction.
void sinCos(long double x, long double& s, long double& c) {
    constexpr long double kTwoOverPi = 0.636619772367581343075535053490057448L;
    constexpr long double kPiOver2Hi = 1.5707963267948966;  // pi/2 rounded to a double
    constexpr long double kPiOver2Lo = 6.12323399573676588613032966e-17L;  // pi/2 - kPiOver2Hi
    if (!(std::fabs(x) < 1024.0L)) {
        s = std::sin(x);
        c = std::cos(x);
        return;
    }
    const long double k = std::nearbyint(x * kTwoOverPi);
    const long double r = (x - k * kPiOver2Hi) - k * kPiOver2Lo;
    long double rs, rc;
    ::sincosl(r, &rs, &rc);
    switch (static_cast<long long>(k) & 3) {
        case 0: s = rs; c = rc; break;
        case 1: s = rc; c = -rs; break;
        case 2: s = -rs; c = -rc; break;
        default: s = -rc; c = rs; break;
    }
}

}  // namespace

SegmentWriter::SegmentWriter(const DxfImportSettings& settings)
    : includeZ(settings.includeZ), s_(settings) {
    out_.reserve(1 << 16);
}

std::string SegmentWriter::Coordinate(long double value) const {
    return DecimalText(static_cast<double>(value), s_.decimals);
}

std::vector<std::string> SplitSegmentText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', start)) {
        lines.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    return lines;
}

std::string SegmentWriter::TakeText() {
    std::string text = std::move(out_);
    out_.clear();
    lines_ = 0;
    return text;
}

void SegmentWriter::word(const std::string& letter, std::string_view value) {
    out_ += letter;
    out_ += value;
}

void SegmentWriter::endLine() {
    out_ += '\n';
    ++lines_;
    NothingWritten = false;
}

void SegmentWriter::ADDLINE(std::string_view X, std::string_view Y, std::string_view Z) {
    const Letters& l = s_.codes.letters;
    out_ += s_.codes.Code(LabelRow::Line);
    out_ += ' ';
    word(l.X, X);
    out_ += ' ';
    word(l.Y, Y);
    out_ += ' ';
    if (includeZ) word(l.Z, Z);
    endLine();
}

void SegmentWriter::arcLine(int direction, std::string_view X, std::string_view Y,
                            std::string_view Z, const std::string& c1Letter, std::string_view c1,
                            const std::string& c2Letter, std::string_view c2, std::string_view R,
                            std::string_view extra) {
    const Letters& l = s_.codes.letters;
    out_ += s_.codes.Code(direction == 2 ? LabelRow::ArcCw : LabelRow::ArcCcw);
    out_ += ' ';
    word(l.X, X);
    out_ += ' ';
    word(l.Y, Y);
    out_ += ' ';
    if (includeZ) word(l.Z, Z);
    out_ += ' ';
    word(c1Letter, c1);
    out_ += ' ';
    word(c2Letter, c2);
    out_ += ' ';
    if (s_.rMode) word(l.R, R);
    out_ += ' ';
    out_ += extra;
    endLine();
}

// Row 89 ("MaxR") caps the radius written in R mode; a negative R (more than
// half a turn) is never capped.
std::string SegmentWriter::clampedR(std::string_view R) const {
    double cap = 0.0, value = 0.0;
    if (s_.rMode && ReadDxfReal(s_.codes.Code(LabelRow::MaxR), cap) && cap > 0.0 &&
        ReadDxfReal(R, value) && value > cap)
        return Coordinate(cap);
    return std::string(R);
}

void SegmentWriter::AddArcIJ(std::string_view X, std::string_view Y, std::string_view Z,
                             std::string_view I, std::string_view J, std::string_view R,
                             std::string_view extra, int direction) {
    const std::string r = clampedR(R);
    arcLine(direction, X, Y, Z, s_.codes.letters.I, I, s_.codes.letters.J, J, r, extra);
}

void SegmentWriter::AddArcIK(std::string_view X, std::string_view Y, std::string_view Z,
                             std::string_view I, std::string_view K, std::string_view R,
                             std::string_view extra, int direction) {
    arcLine(direction, X, Y, Z, s_.codes.letters.I, I, s_.codes.letters.K, K, R, extra);
}

void SegmentWriter::AddArcJK(std::string_view X, std::string_view Y, std::string_view Z,
                             std::string_view J, std::string_view K, std::string_view R,
                             std::string_view extra, int direction) {
    arcLine(direction, X, Y, Z, s_.codes.letters.J, J, s_.codes.letters.K, K, R, extra);
}

// The R word of a DXF arc is its radius in machine units: the drawing radius
// times the plane's two factors (their geometric mean, which is the common
// factor when both axes are scaled alike). A diameter X counts at half its
// factor: a lathe's "X scale 2" writes diameters, and its arcs keep the
// drawn radius.
double SegmentWriter::radiusWord(double r, double f1, double f2) const {
    return static_cast<double>(r * std::sqrt(std::fabs(static_cast<long double>(f1) * f2)));
}

double SegmentWriter::xLengthScale() const {
    return s_.xDiameter ? s_.xScale / 2.0 : s_.xScale;
}

int SegmentWriter::DirectionOf(bool ccwInDrawing) const {
    // The X letter's word holds the drawing's Y times the X factor and the Y
    // letter's its X times the Y factor: a mirror of the drawing unless the
    // factors' signs differ.
    const bool mirror = (s_.xScale < 0.0) == (s_.yScale < 0.0);
    return ArcCode(ccwInDrawing == mirror, 0, 1);
}

int SegmentWriter::ArcCode(bool cwInLetters, int a, int b) const {
    // The words are the program's own values: signs +1, the letters' axes.
    AxisCodes swaps;
    swaps.swapXY = s_.swapXY;
    swaps.swapYZ = s_.swapYZ;
    PlotAxes axes;
    for (int k = 0; k < 3; ++k) axes.shows[k] = swaps.Shows(k);
    return axes.DrawnClockwise(cwInLetters, a, b) ? 2 : 3;
}

void SegmentWriter::BuildDXFArcIJ(int planeCode, double Xc, double Yc, double Zc, double r, double a,
                                  double b) {
    NothingWritten = false;
    (void)planeCode;
    // An object seen from below runs its X the other way: the offsets along
    // the drawing's X (machine Y) turn over, and the arc turns clockwise.
    const long double m = ocsMirror ? -1.0L : 1.0L;
    centreX = Coordinate(Xc);
    centreY = Coordinate(Yc);
    centreZ = Coordinate(Zc);
    const long double ar = a * kDegree, br = b * kDegree;
    const long double fX = s_.xScale, fY = s_.yScale;
    long double sinA, cosA, sinB, cosB;
    sinCos(ar, sinA, cosA);
    sinCos(br, sinB, cosB);
    // Machine X follows the drawing's Y, hence sine for X and cosine for Y.
    const std::string sx = Coordinate(Xc + r * fX * sinA);
    const std::string sy = Coordinate(Yc + r * fY * m * cosA);
    const std::string ex = Coordinate(Xc + r * fX * sinB);
    const std::string ey = Coordinate(Yc + r * fY * m * cosB);
    // More than half a turn takes a negative R. The sweep is counted the way
    // a DXF arc runs, counter-clockwise from a to b, so 100 to 50 degrees is
    // 310 degrees; equal angles are a full circle, written with a plain R.
    long double sweep = std::fmod(static_cast<long double>(b) - a, 360.0L);
    if (sweep < 0.0L) sweep += 360.0L;
    double R = radiusWord(r, xLengthScale(), s_.yScale);
    if (sweep > 180.0L) R = -R;
    ADDLINE(sx, sy, centreZ);
    AddArcIJ(ex, ey, centreZ, centreX, centreY, Coordinate(R), "", DirectionOf(!ocsMirror));
}

void SegmentWriter::BuildDXFArcIK(const double (&centre)[3], const double (&u)[3], const double (&v)[3],
                                  double r, double a, double b) {
    arcAcrossZ(0, centre, u, v, r, a, b);
}

void SegmentWriter::BuildDXFArcJK(const double (&centre)[3], const double (&u)[3], const double (&v)[3],
                                  double r, double a, double b) {
    arcAcrossZ(1, centre, u, v, r, a, b);
}

// `a`: the plane's first axis (0 X, 1 Y); its second is Z.
void SegmentWriter::arcAcrossZ(int a, const double (&centre)[3], const double (&u)[3], const double (&v)[3],
                               double r, double from, double to) {
    long double sweep = std::fmod(static_cast<long double>(to) - from, 360.0L);
    if (sweep < 0.0L) sweep += 360.0L;
    if (sweep == 0.0L && s_.ijFourQuad) {
        for (int q = 0; q < 4; ++q) arcAcrossZ(a, centre, u, v, r, 90.0 * (q + 1), 90.0 * (q + 2));
        return;
    }
    NothingWritten = false;
    auto at = [&](double degrees, std::string (&out)[3]) {
        long double sn, cs;
        sinCos(degrees * kDegree, sn, cs);
        for (int k = 0; k < 3; ++k) out[k] = Coordinate(centre[k] + r * (cs * u[k] + sn * v[k]));
    };
    std::string start[3], end[3];
    at(from, start);
    at(to, end);
    centreX = Coordinate(centre[0]);
    centreY = Coordinate(centre[1]);
    centreZ = Coordinate(centre[2]);
    // Counter-clockwise from u to v is clockwise in the letters' axes when
    // the two images make a left-handed pair there.
    const bool cwInLetters = static_cast<long double>(u[a]) * v[2] - static_cast<long double>(u[2]) * v[a] < 0.0L;
    // More than half a turn takes a negative R; a whole turn a plain one.
    double R = radiusWord(r, a == 0 ? xLengthScale() : s_.yScale, s_.zScale);
    if (sweep > 180.0L) R = -R;
    const int code = ArcCode(cwInLetters, a, 2);
    ADDLINE(start[0], start[1], start[2]);
    if (a == 0)
        AddArcIK(end[0], end[1], end[2], centreX, centreZ, Coordinate(R), "", code);
    else
        AddArcJK(end[0], end[1], end[2], centreY, centreZ, Coordinate(R), "", code);
}

void SegmentWriter::EllipseIJ(double Xc, double Yc, double Zc, long double s, long double e,
                              long double majorX, long double majorY, long double minorX,
                              long double minorY) {
    const int n = s_.ellipsePoints;
    const long double step = (e - s) / n;
    // A range within this of a whole turn is a whole ellipse (drawings
    // write the parameters with few digits).
    const bool whole = std::fabs(e - s - 6.283185307179586476925286766559L) < 1e-5L;
    const std::string z = Coordinate(Zc);
    auto at = [&](long double t, std::string& X, std::string& Y) {
        long double sn, c;
        sinCos(t, sn, c);
        X = Coordinate(Xc + c * majorX + sn * minorX);
        Y = Coordinate(Yc + c * majorY + sn * minorY);
    };
    // Counted, not summed: a parameter stepped by a tiny step could stall or
    // give one piece too many.
    std::string firstX, firstY, X, Y, nextX, nextY;
    at(s, firstX, firstY);
    X = firstX;
    Y = firstY;
    for (int i = 1; i <= n; ++i) {
        if (i < n) {
            at(s + i * step, nextX, nextY);
        } else if (whole) {
            nextX = firstX;
            nextY = firstY;
        } else {
            at(e, nextX, nextY);
        }
        ADDLINE(X, Y, z);
        ADDLINE(nextX, nextY, z);
        X = nextX;
        Y = nextY;
    }
}

void SegmentWriter::LeadInIJ(double r, double Zc, double y, double Xc) {
    const long double fX = s_.xScale;
    const long double L = s_.leadIn;
    const long double inner = L > std::fabs(r) ? Xc : Xc + (r - L) * fX;
    centreY = Coordinate(y);
    centreZ = Coordinate(Zc);
    ADDLINE(Coordinate(inner), centreY, centreZ);
    ADDLINE(Coordinate(Xc + r * fX), centreY, centreZ);
}

void SegmentWriter::LeadoutIJ(double r, double Zc, double y, double Xc) {
    const long double fX = s_.xScale;
    const long double L = s_.leadIn;
    const long double inner = L > std::fabs(r) ? Xc : Xc + (r - L) * fX;
    centreY = Coordinate(y);
    centreZ = Coordinate(Zc);
    ADDLINE(Coordinate(Xc + r * fX), centreY, centreZ);
    ADDLINE(Coordinate(inner), centreY, centreZ);
}

void SegmentWriter::CircleXY(int planeCode, double Xc, double Yc, double Zc, double r) {
    // Half-circle lead: radius L, or half the circle's radius when two L do
    // not fit inside it (the half circle then starts at the centre). Its
    // centre lies on the machine X axis through the circle's centre, placed
    // in scaled units so that the half circle ends exactly on the circle's
    // start point (centre X + r * X scale) whatever the X scale.
    const double L = s_.leadIn;
    const double ra = 2.0 * L > std::fabs(r) ? r / 2.0 : L;
    const double Xa = static_cast<double>(Xc + (std::fabs(static_cast<long double>(r)) - ra) * s_.xScale);

    if (s_.lineLeadIn || s_.lineInArcOut) LeadInIJ(r, Zc, Yc, Xc);
    if (s_.arcLeadIn || s_.arcInLineOut) BuildDXFArcIJ(planeCode, Xa, Yc, Zc, ra, 270, 90);
    if (s_.ijFourQuad) {
        BuildDXFArcIJ(planeCode, Xc, Yc, Zc, r, 90, 180);
        BuildDXFArcIJ(planeCode, Xc, Yc, Zc, r, 180, 270);
        BuildDXFArcIJ(planeCode, Xc, Yc, Zc, r, 270, 360);
        BuildDXFArcIJ(planeCode, Xc, Yc, Zc, r, 360, 90);
    } else {
        BuildDXFArcIJ(planeCode, Xc, Yc, Zc, r, 90, 90);
    }
    if (s_.lineLeadIn || s_.arcInLineOut) LeadoutIJ(r, Zc, Yc, Xc);
    if (s_.arcLeadIn || s_.lineInArcOut) BuildDXFArcIJ(planeCode, Xa, Yc, Zc, ra, 90, 270);
}

}  // namespace tolva
