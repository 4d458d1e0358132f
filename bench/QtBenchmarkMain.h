#pragma once

#include <QCoreApplication>
#include <benchmark/benchmark.h>

// The benchmarks read the database through Qt, which wants an application object first.
#define KESTRIO_QT_BENCHMARK_MAIN()                                                                                  \
    int main(int argc, char** argv)                                                                                \
    {                                                                                                              \
        QCoreApplication app(argc, argv);                                                                          \
        benchmark::Initialize(&argc, argv);                                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                                       \
        benchmark::Shutdown();                                                                                     \
        return 0;                                                                                                  \
    }
