#pragma once

#include <benchmark/benchmark.h>

// Runs the benchmarks of a program that needs widgets: an application on the offscreen platform (unless
// QT_QPA_PLATFORM names another), with the class tables of the program's folder loaded. The reporter, when
// given, sees every run.
int RunWidgetBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr);
