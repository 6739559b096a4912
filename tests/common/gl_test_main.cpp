// Entry point of the OpenGL tests: a QApplication on the X server that xvfb-run provides
// (Mesa renders in software there). Without a display the tests fall back to offscreen.
#include <QApplication>
#include <gtest/gtest.h>

#include "ScratchFolder.h"

#include <chrono>
#include <thread>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    ScratchFolder scratch;
    bool wantXcb = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", wantXcb ? "xcb;offscreen" : "offscreen");
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    QApplication app(argc, argv);
    // The X server now and then refuses a connection while many test processes start at once: the
    // program starts again a few times before its OpenGL tests settle for skipping offscreen.
    if (wantXcb && QGuiApplication::platformName() != "xcb") {
        int tries = qEnvironmentVariableIntValue("KESTRUM_XCB_TRIES");
        if (tries < 10) {
            qputenv("KESTRUM_XCB_TRIES", QByteArray::number(tries + 1));
            qunsetenv("QT_QPA_PLATFORM");
            std::this_thread::sleep_for(std::chrono::milliseconds(50 * (tries + 1)));
            scratch.release(); // the program that starts again makes its own
            execv("/proc/self/exe", arguments.data());
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
