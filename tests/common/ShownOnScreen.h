#pragma once
// What the window system shows of a widget: the window's pixels as presented, read back from an X server of
// the test's own. A GL widget's grabFramebuffer draws a frame anew for the asking and so hides a frame that
// never reached the screen; this does not.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "TestInChild.h"

namespace testpages {

// Runs the current test again in a child program on an X server of its own, where no window of another
// program tested side by side covers its windows, with the given variables set besides. In the child it
// answers true and the test goes on; in the parent it reports the child's failure as its own, answers
// false, and the test ends there. The server takes the given arguments besides its own.
inline bool onScreenOfItsOwn(const std::vector<std::pair<QString, QString>>& variables = {},
                             const QStringList& serverArguments = {}) {
    static const char* const kVariable = "KESTRUM_TEST_OWN_SCREEN";
    if (qEnvironmentVariableIsSet(kVariable)) return true;
    QProcess server;
    // The server names its display on standard output once it takes connections.
    server.start(QStringLiteral("Xvfb"),
                 QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                             QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")} +
                     serverArguments);
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000))
        display += server.readAllStandardOutput();
    if (!display.contains('\n')) {
        ADD_FAILURE() << "no X server of the test's own: " << server.readAllStandardError().toStdString();
        server.kill();
        server.waitForFinished();
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(display.trimmed()));
    environment.insert(QString::fromLatin1(kVariable), QStringLiteral("1"));
    for (const auto& [name, value] : variables)
        environment.insert(name, value);
    runCurrentTestInChild(environment, "on a screen of its own");
    server.terminate();
    if (!server.waitForFinished(5000)) {
        server.kill();
        server.waitForFinished();
    }
    return false;
}

// The widget as shown once the pending paints and updates have run; a null image where the platform cannot
// read the screen back.
inline QImage shownOnScreen(QWidget* widget) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    // The window is repainted on an update request that the platform delivers from a timer.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QWidget* window = widget->window();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage();
}

} // namespace testpages
