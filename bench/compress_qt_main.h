// main() of the benchmarks that need a QApplication (offscreen unless a
// platform is chosen).
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

inline int RunQtBenchmarks(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
