#pragma once
// The entry point of a benchmark program that works on widgets. The application lives in main,
// around the benchmarks, so that it outlives every widget and is gone before the exit handlers
// run: an application left to them is destroyed after parts of Qt it still needs.
#include <QApplication>
#include <benchmark/benchmark.h>

inline int RunBenchmarksInApplication(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
