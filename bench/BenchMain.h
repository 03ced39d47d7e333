#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <benchmark/benchmark.h>

// The main() of every benchmark executable. The screen font and the views need an
// application, not a display; what runs without widgets takes a QCoreApplication.
template <typename Application = QApplication> int RunBenchmarks(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
