// Shared pieces of the plot tests.
#pragma once

#include <vector>

#include "plot/canvas.h"
#include "plot/dxf_sink.h"
#include "plot/plot_state.h"
#include "plot/projection.h"

namespace tolva::test {

// Records what a DXF export would be given.
class RecordingDxf final : public DxfSink {
public:
    struct Line {
        float x1, y1, z1, x2, y2, z2;
    };
    std::vector<Line> lines;
    int arcs = 0, circles = 0;
    // The end points handed over, in order: the exact 3-D points drawn.
    struct Point {
        double x, y, z;
    };
    std::vector<Point> EndPoints() const {
        std::vector<Point> out;
        for (const auto& l : lines) out.push_back({l.x2, l.y2, l.z2});
        return out;
    }
    // The chains of lines handed over, as points: a line's start where it
    // does not continue the line before, and every end.
    std::vector<Point> ChainPoints() const {
        std::vector<Point> out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            if (i == 0 || l.x1 != lines[i - 1].x2 || l.y1 != lines[i - 1].y2 || l.z1 != lines[i - 1].z2)
                out.push_back({l.x1, l.y1, l.z1});
            out.push_back({l.x2, l.y2, l.z2});
        }
        return out;
    }
    void DxfBody(float x1, float y1, float z1, float x2, float y2, float z2) override {
        lines.push_back({x1, y1, z1, x2, y2, z2});
    }
    // The arcs as handed over.
    std::vector<DxfArcMove> arcList;
    void DxfBodyArc(const DxfArcMove& a) override {
        ++(a.fullCircle ? circles : arcs);
        arcList.push_back(a);
    }
};

// A projection on a recording canvas, past the first program line, with the
// pen at program zero.
struct PlotBench {
    PlotState state;
    RecordingCanvas canvas;
    Projection projection{state, canvas};

    PlotBench() {
        state.CurLine = 1;
        canvas.MoveTo({state.OriginX, state.OriginY});
    }
    // Every point of a lines-only DXF export, to see the exact 3-D points drawn.
    RecordingDxf dxf;
    void TapPoints() {
        state.DxfExportOn = true;
        state.DxfLinesOnly = true;
        canvas.SetPenColour(kRed);
        projection.Dxf = &dxf;
    }
};

}  // namespace tolva::test
