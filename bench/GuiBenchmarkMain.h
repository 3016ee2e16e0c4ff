#pragma once

#include <QGuiApplication>

#include <benchmark/benchmark.h>

// Runs the benchmarks of a program that draws: fonts and painting need a QGuiApplication, which
// uses the offscreen platform unless the caller names another.
inline int runBenchmarksWithGui(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
