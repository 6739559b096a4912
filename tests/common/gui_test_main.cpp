// Entry point of the widget tests: a QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

#include "ScratchFolder.h"

int main(int argc, char** argv) {
    ScratchFolder scratch;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
