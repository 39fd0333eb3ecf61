#pragma once
// The main of every benchmark program: the Qt application object the code
// under test needs (on the offscreen platform unless another is asked for),
// then Google Benchmark with its own arguments.
#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

template <class TApplication> int RunBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
