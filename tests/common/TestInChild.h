#pragma once
// Running the current test again in a child program, for what a program takes only at its start: another
// device pixel ratio, an X server of the test's own.
#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace testpages {

// Ends a program the test started the way a system ends one, and waits until it is gone.
inline void endProgram(QProcess& program) {
    if (program.state() == QProcess::NotRunning) return;
    program.terminate();
    if (!program.waitForFinished(5000)) {
        program.kill();
        program.waitForFinished();
    }
}

// Starts the current test in a child program with the given environment, its output and errors merged.
inline void startCurrentTestInChild(QProcess& child, const QProcessEnvironment& environment) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
}

// Runs the current test in a child program with the given environment and waits for it; a child that
// does not end, fails or skips the test is reported as a failure naming the run. Answers whether it passed.
inline bool runCurrentTestInChild(const QProcessEnvironment& environment, const std::string& run) {
    QProcess child;
    startCurrentTestInChild(child, environment);
    if (!child.waitForFinished(180000)) {
        child.kill();
        child.waitForFinished();
        ADD_FAILURE() << "the run " << run << " did not end";
        return false;
    }
    const QByteArray output = child.readAll();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
        !output.contains("[  PASSED  ] 1 test")) {
        ADD_FAILURE() << "the run " << run << " failed:\n" << output.toStdString();
        return false;
    }
    return true;
}

// Runs the current test in a child program on a window system of the test's own (an object with started()
// and childEnvironment()), with the given variables set besides; nothing where the system did not start.
template <typename WindowSystem>
void runCurrentTestOn(const WindowSystem& system, const std::vector<std::pair<QString, QString>>& variables,
                      const std::string& run) {
    if (!system.started()) return;
    QProcessEnvironment environment = system.childEnvironment();
    for (const auto& [name, value] : variables)
        environment.insert(name, value);
    runCurrentTestInChild(environment, run);
}

} // namespace testpages
