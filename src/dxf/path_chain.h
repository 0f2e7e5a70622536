// What SORTOUT3 writes, whichever way it finds the next piece: the frames,
// the pieces joined at their start or turned round, and the current path end.
// ChainPieces (indexed) and the plain pass loop share it, so the two can only
// differ in which piece they take next.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/path_assembly.h"
#include "text/gcode_words.h"

namespace tolva {

class PathChain {
public:
    // `segment` must outlive the chain.
    PathChain(const std::vector<std::string>& segment, const PathAssemblySettings& settings);

    // Pieces in the segment; at least 1 (an empty segment is one empty piece,
    // an odd last line has an empty end line).
    std::size_t Pieces() const { return starts_.size(); }
    const LinePoint& StartPoint(std::size_t i) const { return starts_[i]; }
    const LinePoint& EndPoint(std::size_t i) const { return ends_[i]; }
    // The point of the current path end.
    const LinePoint& End() const { return endPoint_; }
    long double Tolerance() const { return tolerance_; }

    bool JoinsAtStart(std::size_t i) const { return WithinTolerance(endPoint_, starts_[i], tolerance_); }
    bool JoinsAtEnd(std::size_t i) const { return WithinTolerance(endPoint_, ends_[i], tolerance_); }
    bool Joins(std::size_t i) const { return JoinsAtStart(i) || JoinsAtEnd(i); }

    // The head frame and piece `i` unchanged: the first path.
    void First(std::size_t i);
    // End Block twice, Begin Block, Lead In, then piece `i` unchanged.
    void NewPath(std::size_t i);
    // Appends piece `i` to the path: at its start when JoinsAtStart(i),
    // otherwise turned round. The caller has checked Joins(i).
    void Join(std::size_t i);
    // End Block and File End; the chain is spent.
    std::vector<std::string> Finish();
    // Where each path's pieces lie in the lines Finish() returned.
    const std::vector<PathSpan>& Paths() const { return paths_; }
    // The start and end point of every piece written, in order.
    const std::vector<PiecePoints>& Points() const { return points_; }

private:
    std::string_view startLine(std::size_t i) const;
    std::string_view endLine(std::size_t i) const;
    void copy(std::size_t i);
    // Two frame lines, Begin Block, Lead In, then piece `i` unchanged.
    void open(int row1, int row2, std::size_t i);
    void frame(int row);
    void setEnd(std::string_view line);

    const std::vector<std::string>& segment_;
    const PathAssemblySettings& s_;
    long double tolerance_;
    std::vector<LinePoint> starts_, ends_;
    std::vector<std::string> out_;
    std::string end_;        // the current path end line
    SplitLine endWords_;     // its words
    LinePoint endPoint_;
    std::vector<PathSpan> paths_;
    std::vector<PiecePoints> points_;
};

}  // namespace tolva
