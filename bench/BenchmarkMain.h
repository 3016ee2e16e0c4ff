#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

// Runs a benchmark program's benchmarks inside the Qt application they need (events, sockets,
// processes).
template <typename Application>
int runBenchmarksIn(int argc, char** argv) {
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Runs the benchmarks of a program that draws: fonts and painting need a QGuiApplication, which
// uses the offscreen platform unless the caller names another.
inline int runBenchmarksWithGui(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarksIn<QGuiApplication>(argc, argv);
}
