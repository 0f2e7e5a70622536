#include "dxf/segment_writer.h"

#include <cmath>

#include "text/number_format.h"

namespace tolva {
namespace {

constexpr long double kDegree = 0.01745329252L;  // radians per degree, as the import has always used

// sin and cos of x radians, for the arc end points. Long double sin and cos
// reduce any argument beyond pi/4 with a multi-precision routine, the
// costliest step of writing an arc; angles of a drawing are a few turns at
// most, so they are reduced here by the nearest multiple of pi/2 in two parts
// (the first a double, so k times it is exact), and only |r| <= pi/4 goes to
// sincos. The results agree with the library's to a unit or so in the last
// place of long double, some 40 bits below the 32-bit floats the coordinates
// are rounded to. Larger arguments keep the library's own reduction.
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

// Division that gives 0 instead of an infinity for a zero scale factor.
long double over(long double a, long double b) { return b == 0.0L ? 0.0L : a / b; }

}  // namespace

SegmentWriter::SegmentWriter(const DxfImportSettings& settings)
    : includeZ(settings.includeZ), s_(settings) {
    out_.reserve(1 << 16);
}

std::string SegmentWriter::Coordinate(long double value) const {
    return CoordinateText(static_cast<float>(value), s_.decimals);
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
    float cap = 0.0f, value = 0.0f;
    if (s_.rMode && ReadDxfReal(s_.codes.Code(LabelRow::MaxR), cap) && cap > 0.0f &&
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
float SegmentWriter::radiusWord(float r, float f1, float f2) const {
    return static_cast<float>(r * std::sqrt(std::fabs(static_cast<long double>(f1) * f2)));
}

float SegmentWriter::xLengthScale() const {
    return s_.xDiameter ? static_cast<float>(s_.xScale / 2.0L) : s_.xScale;
}

int SegmentWriter::DirectionOf(bool ccwInDrawing) const {
    // The X letter's word holds the drawing's Y times the X factor and the Y
    // letter's its X times the Y factor: a mirror of the drawing unless the
    // factors' signs differ.
    const bool mirror = (s_.xScale < 0.0f) == (s_.yScale < 0.0f);
    const bool cwInLetters = ccwInDrawing == mirror;
    // The words are the program's own values: signs +1, the letters' axes.
    AxisCodes swaps;
    swaps.swapXY = s_.swapXY;
    swaps.swapYZ = s_.swapYZ;
    PlotAxes axes;
    for (int a = 0; a < 3; ++a) axes.shows[a] = swaps.Shows(a);
    return axes.DrawnClockwise(cwInLetters, 0, 1) ? 2 : 3;
}

void SegmentWriter::BuildDXFArcIJ(int planeCode, float Xc, float Yc, float Zc, float r, float a,
                                  float b) {
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
    float R = radiusWord(r, xLengthScale(), s_.yScale);
    if (sweep > 180.0L) R = -R;
    ADDLINE(sx, sy, centreZ);
    AddArcIJ(ex, ey, centreZ, centreX, centreY, Coordinate(R), "", DirectionOf(!ocsMirror));
}

void SegmentWriter::BuildDXFArcIK(int planeCode, float Xc, float Yc, float Zc, float r, float a,
                                  float b) {
    NothingWritten = false;
    const long double m = planeCode == 1 ? -1.0L : 1.0L;
    const long double fX = s_.xScale, fY = s_.yScale, fZ = s_.zScale, zo = s_.zOffset;
    // Back from the reader's exchange: machine X from the drawing X, machine
    // Y from the drawing Z, Z from the drawing Y.
    const float x = static_cast<float>((over(Yc, fY) + UcsX - UcsY) * fX * m);
    const float y = static_cast<float>((over(Zc + zo, fZ) + UcsZ - UcsX) * fY * m);
    const float z = static_cast<float>((over(Xc, fX) + UcsY - UcsZ) * fZ - zo);
    centreX = Coordinate(x);
    centreY = Coordinate(y);
    centreZ = Coordinate(z);

    const long double ar = a * kDegree, br = b * kDegree;
    const std::string sx = Coordinate(x + r * fX * m * std::cos(ar));
    const std::string sz = Coordinate(z + r * fZ * std::sin(ar));
    const std::string ex = Coordinate(x + r * fX * m * std::cos(br));
    const std::string ez = Coordinate(z + r * fZ * std::sin(br));
    const std::string R = Coordinate(radiusWord(r, xLengthScale(), s_.zScale));
    if (planeCode == 1) {
        ADDLINE(sx, centreY, sz);
        AddArcIK(ex, centreY, ez, centreX, centreZ, R, "", 3);
    } else {
        ADDLINE(ex, centreY, ez);
        AddArcIK(sx, centreY, sz, centreX, centreZ, R, "", 3);
    }
}

void SegmentWriter::BuildDXFArcJK(int planeCode, float Xc, float Yc, float Zc, float r, float a,
                                  float b) {
    NothingWritten = false;
    const long double fX = s_.xScale, fY = s_.yScale, fZ = s_.zScale, zo = s_.zOffset;
    const float x = static_cast<float>((-over(Zc + zo, fZ) + UcsZ - UcsY) * fX);
    const float y = static_cast<float>((over(Yc, fY) + UcsX - UcsX) * fY);
    const float z = static_cast<float>((over(Xc, fX) + UcsY - UcsZ) * fZ - zo);
    centreX = Coordinate(x);
    centreY = Coordinate(y);
    centreZ = Coordinate(z);

    const long double ar = a * kDegree, br = b * kDegree;
    const std::string sy = Coordinate(y + r * fY * std::cos(ar));
    const std::string sz = Coordinate(z + r * fZ * std::sin(ar));
    const std::string ey = Coordinate(y + r * fY * std::cos(br));
    const std::string ez = Coordinate(z + r * fZ * std::sin(br));
    const std::string R = Coordinate(radiusWord(r, s_.yScale, s_.zScale));
    if (planeCode == 2) {
        ADDLINE(centreX, sy, sz);
        AddArcJK(centreX, ey, ez, centreY, centreZ, R, "", 2);
    } else {
        ADDLINE(centreX, ey, ez);
        AddArcJK(centreX, sy, sz, centreY, centreZ, R, "", 2);
    }
}

void SegmentWriter::EllipseIJ(float Xc, float Yc, float Zc, long double s, long double e,
                              long double majorX, long double majorY, long double minorX,
                              long double minorY) {
    const int n = s_.ellipsePoints;
    const long double step = (e - s) / n;
    // A range within this of a whole turn is a whole ellipse (the values
    // come from 7-digit texts).
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

void SegmentWriter::LeadInIJ(float r, float Zc, float y, float Xc) {
    const long double fX = s_.xScale;
    const long double L = s_.leadIn;
    const long double inner = L > std::fabs(r) ? Xc : Xc + (r - L) * fX;
    centreY = Coordinate(y);
    centreZ = Coordinate(Zc);
    ADDLINE(Coordinate(inner), centreY, centreZ);
    ADDLINE(Coordinate(Xc + r * fX), centreY, centreZ);
}

void SegmentWriter::LeadoutIJ(float r, float Zc, float y, float Xc) {
    const long double fX = s_.xScale;
    const long double L = s_.leadIn;
    const long double inner = L > std::fabs(r) ? Xc : Xc + (r - L) * fX;
    centreY = Coordinate(y);
    centreZ = Coordinate(Zc);
    ADDLINE(Coordinate(Xc + r * fX), centreY, centreZ);
    ADDLINE(Coordinate(inner), centreY, centreZ);
}

void SegmentWriter::CircleXY(int planeCode, float Xc, float Yc, float Zc, float r) {
    // Half-circle lead: radius L, or half the circle's radius when two L do
    // not fit inside it (the half circle then starts at the centre). Its
    // centre lies on the machine X axis through the circle's centre, placed
    // in scaled units so that the half circle ends exactly on the circle's
    // start point (centre X + r * X scale) whatever the X scale.
    const float L = s_.leadIn;
    const float ra = 2.0f * L > std::fabs(r) ? r / 2.0f : L;
    const float Xa = static_cast<float>(Xc + (std::fabs(static_cast<long double>(r)) - ra) * s_.xScale);

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
