// Entry point of the widget tests: a QApplication on the offscreen platform.
#include <QApplication>
#include <fstream>
#include <gtest/gtest.h>

#include "ScratchFolder.h"

int main(int argc, char** argv) {
    ScratchFolder scratch;
    // The screen of the OpenGL tests' virtual X server, 1280 x 1024, rather than the platform's 800 x 800:
    // the main window's designed size fits on it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const std::string config = scratch.path() + "/screens.json";
        std::ofstream(config)
            << R"({"screens": [{"name": "Screen", "x": 0, "y": 0, "width": 1280, "height": 1024}]})";
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config));
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
