// Arc stepping alone: 250,000 arcs of 5 to 30 pixels radius at the default
// resolution (0.2-pixel chords), as the plot benchmark's program has them,
// onto a null canvas; flat and turned views.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "plot/canvas.h"
#include "plot/plot_state.h"
#include "plot/projection.h"

namespace {

struct ArcCall {
    bool cw;
    float cx, cy, a, b, r;
};

std::vector<ArcCall> Arcs() {
    std::mt19937 rng(777);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<ArcCall> arcs(250000);
    for (auto& a : arcs) {
        a.cw = u(rng) < 0.5;
        a.r = static_cast<float>(5 + 25 * u(rng));
        a.cx = static_cast<float>(50 + 900 * u(rng));
        a.cy = static_cast<float>(50 + 900 * u(rng));
        a.a = static_cast<float>(6.283185 * u(rng));
        a.b = static_cast<float>(6.283185 * u(rng));
    }
    return arcs;
}

void run(benchmark::State& st, int angle) {
    const auto arcs = Arcs();
    tolva::PlotState state;
    tolva::NullCanvas canvas;
    tolva::Projection p(state, canvas);
    p.SetViewAngles(angle, angle, angle);
    state.CurLine = 5;
    state.OriginX = state.OriginY = 0;
    state.MaxX = state.MaxY = 1000.0f;
    state.MinX = state.MinY = 0.0f;
    for (auto _ : st) {
        for (const auto& a : arcs) p.arkIJ(true, a.cw, false, a.cx, a.cy, 0.0f, a.a, a.b, a.r);
        benchmark::DoNotOptimize(state.TotalDist);
    }
    st.counters["exact_points"] = static_cast<double>(p.ExactArcPoints) / st.iterations();
}

void BM_ArcsFlat(benchmark::State& st) { run(st, 0); }
void BM_ArcsTurned(benchmark::State& st) { run(st, 30); }

}  // namespace

BENCHMARK(BM_ArcsFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArcsTurned)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
