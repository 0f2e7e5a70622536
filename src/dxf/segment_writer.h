// The writers of the DXF import: every element read from a drawing becomes a
// pair of program lines (a start line and an end line) in the SegmentFile
// "DXF1.$$$"; path assembly relies on that pairing.
//
// Axes: machine X follows the drawing's Y and machine Y the drawing's X (the
// plot draws machine Y to the right and machine X down the screen). Points
// handed to the writers are machine coordinates, already scaled, as
// coordinate texts or doubles; radii are drawing units.
//
// Line forms (one blank between parts, an empty part keeps its blank):
//   straight:  <row 1> X.. Y.. Z..
//   XY arc:    <row 2|3> X.. Y.. Z.. I.. J.. R.. <extra>
//   XZ arc:    <row 2|3> X.. Y.. Z.. I.. K.. R.. <extra>
//   YZ arc:    <row 2|3> X.. Y.. Z.. J.. K.. R.. <extra>
// The Z word is empty without "Z Included", the R word without "R instead of
// I J K". Centres are absolute machine coordinates.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_settings.h"

namespace tolva {

// SegmentFile text (lines each ended by LF) cut into its lines.
std::vector<std::string> SplitSegmentText(std::string_view text);

class SegmentWriter {
public:
    explicit SegmentWriter(const DxfImportSettings& settings);

    // "Z Included" as the writers see it now; the reader turns it off for a
    // lightweight polyline and on while it reads an ellipse.
    bool includeZ;
    // Set until the first line is written.
    bool NothingWritten = true;
    // The current arc's centre: machine X, machine Y and Z as coordinate text.
    std::string centreX, centreY, centreZ;
    // The entity being written lies in an object coordinate system seen from
    // below (extrusion (0, 0, -1)): its X runs the other way from the
    // drawing's. The reader has mirrored its points; its angles are the
    // object's own.
    bool ocsMirror = false;

    // The label row (2 Arc Cw, 3 Arc Ccw) of an arc that turns
    // counter-clockwise (`ccwInDrawing`) or clockwise seen on the drawing's
    // X-Y plane from above: the direction the program's words must carry for
    // a machine to cut it as drawn, under the import's sign boxes and swaps.
    int DirectionOf(bool ccwInDrawing) const;
    // The R word of an XY arc of drawing radius r.
    std::string XYRadius(double r) const { return Coordinate(radiusWord(r, xLengthScale(), s_.yScale)); }

    // A number as the import writes it: the import's decimals, every
    // integer digit.
    std::string Coordinate(long double value) const;

    void ADDLINE(std::string_view X, std::string_view Y, std::string_view Z);
    // direction: 2 for label row 2 (Arc Cw), 3 for row 3 (Arc Ccw).
    void AddArcIJ(std::string_view X, std::string_view Y, std::string_view Z, std::string_view I,
                  std::string_view J, std::string_view R, std::string_view extra, int direction);
    void AddArcIK(std::string_view X, std::string_view Y, std::string_view Z, std::string_view I,
                  std::string_view K, std::string_view R, std::string_view extra, int direction);
    void AddArcJK(std::string_view X, std::string_view Y, std::string_view Z, std::string_view J,
                  std::string_view K, std::string_view R, std::string_view extra, int direction);

    // The label row of an arc that turns clockwise (`cwInLetters`) or
    // counter-clockwise seen in the letters' axes a across and b up (0 X, 1
    // Y, 2 Z): what the program's words must carry for a machine to cut it as
    // drawn, under the import's swaps.
    int ArcCode(bool cwInLetters, int a, int b) const;

    // A DXF arc or circle (centre in machine coordinates, radius in drawing
    // units, angles in degrees counter-clockwise from the object's X axis)
    // in the machine's X-Y plane as a start line and an arc line.
    // `planeCode` is the reader's code: -3, 0, 3 or 50.
    void BuildDXFArcIJ(int planeCode, double Xc, double Yc, double Zc, double r, double a, double b);
    // An arc or circle across Z: in the machine's X-Z plane (I and K words)
    // or Y-Z plane (J and K). `centre` is in machine coordinates; `u` and `v`
    // are the machine images of a drawing unit along the object's X and Y
    // axes (scales applied); the arc runs counter-clockwise from u towards v,
    // from a to b degrees (equal angles: the whole circle, in quarters with
    // four-quadrant circles).
    void BuildDXFArcIK(const double (&centre)[3], const double (&u)[3], const double (&v)[3], double r,
                       double a, double b);
    void BuildDXFArcJK(const double (&centre)[3], const double (&u)[3], const double (&v)[3], double r,
                       double a, double b);

    // An ellipse as "Ellipse Points" straight pieces, counter-clockwise in
    // the drawing from parameter s to e (radians, e > s): the point of
    // parameter t is the centre + cos t * major + sin t * minor, the axes
    // given as machine X and Y components (scaled). A whole turn ends on its
    // first point; a part of one ends at its end point.
    void EllipseIJ(double Xc, double Yc, double Zc, long double s, long double e, long double majorX,
                   long double majorY, long double minorX, long double minorY);

    // Circle lead-ins: the straight entry and exit pieces between the inner
    // point and the circle's start point (centre X + r * X scale, y).
    void LeadInIJ(double r, double Zc, double y, double Xc);
    void LeadoutIJ(double r, double Zc, double y, double Xc);
    // A circle in the machine XY plane with the lead-in style and quadrant
    // option of the settings.
    void CircleXY(int planeCode, double Xc, double Yc, double Zc, double r);

    // The SegmentFile so far: lines each ended by LF.
    const std::string& Text() const { return out_; }
    std::size_t LineCount() const { return lines_; }
    std::vector<std::string> Lines() const { return SplitSegmentText(out_); }
    // Hands the text over; the writer is empty afterwards.
    std::string TakeText();

private:
    void arcAcrossZ(int a, const double (&centre)[3], const double (&u)[3], const double (&v)[3], double r,
                    double from, double to);
    void arcLine(int direction, std::string_view X, std::string_view Y, std::string_view Z,
                 const std::string& c1Letter, std::string_view c1, const std::string& c2Letter,
                 std::string_view c2, std::string_view R, std::string_view extra);
    void word(const std::string& letter, std::string_view value);
    void endLine();
    double radiusWord(double r, double f1, double f2) const;
    // The X factor of lengths (radii): half the X scale when X is a diameter.
    double xLengthScale() const;
    std::string clampedR(std::string_view R) const;

    const DxfImportSettings& s_;
    std::string out_;
    std::size_t lines_ = 0;
};

}  // namespace tolva
