#pragma once
// What the window system shows of a widget: the window's pixels as presented, read back from an X server of
// the test's own. A GL widget's grabFramebuffer draws a frame anew for the asking and so hides a frame that
// never reached the screen; this does not.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "TestInChild.h"

namespace testpages {

// The variable that tells the current test it runs in the child, on a server of its own.
inline constexpr char kOwnScreenVariable[] = "KESTRUM_TEST_OWN_SCREEN";

// An X server of the test's own, ended with the object unless it is ended before.
class XServerOfItsOwn {
public:
    XServerOfItsOwn() {
        // The server names its display on standard output once it takes connections.
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp")});
        QByteArray display;
        while (!display.contains('\n') && server_.waitForReadyRead(10000))
            display += server_.readAllStandardOutput();
        if (display.contains('\n')) {
            display_ = QLatin1Char(':') + QString::fromLatin1(display.trimmed());
        } else {
            ADD_FAILURE() << "no X server of the test's own: "
                          << server_.readAllStandardError().toStdString();
            server_.kill();
            server_.waitForFinished();
        }
    }
    ~XServerOfItsOwn() { end(); }
    XServerOfItsOwn(const XServerOfItsOwn&) = delete;
    XServerOfItsOwn& operator=(const XServerOfItsOwn&) = delete;

    bool started() const { return !display_.isEmpty(); }
    // The environment of a child program that runs the current test on this server.
    QProcessEnvironment childEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display_);
        environment.insert(QString::fromLatin1(kOwnScreenVariable), QStringLiteral("1"));
        return environment;
    }
    // Ends the server the way a system shuts one down, and waits until it is gone.
    void end() {
        if (server_.state() == QProcess::NotRunning) return;
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished();
        }
    }

private:
    QProcess server_;
    QString display_;
};

// Runs the current test again in a child program on an X server of its own, where no window of another
// program tested side by side covers its windows, with the given variables set besides. In the child it
// answers true and the test goes on; in the parent it reports the child's failure as its own, answers
// false, and the test ends there.
inline bool onScreenOfItsOwn(const std::vector<std::pair<QString, QString>>& variables = {}) {
    if (qEnvironmentVariableIsSet(kOwnScreenVariable)) return true;
    XServerOfItsOwn server;
    if (!server.started()) return false;
    QProcessEnvironment environment = server.childEnvironment();
    for (const auto& [name, value] : variables)
        environment.insert(name, value);
    runCurrentTestInChild(environment, "on a screen of its own");
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
