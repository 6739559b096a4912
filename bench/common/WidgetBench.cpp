#include "WidgetBench.h"

#include <QApplication>

#include "PRPClasses.h"

int RunWidgetBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter* reporter) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LoadClassTables(QCoreApplication::applicationDirPath().toStdString() + "/");
    benchmark::Initialize(&argc, argv);
    if (reporter)
        benchmark::RunSpecifiedBenchmarks(reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
