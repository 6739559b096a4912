#pragma once
// What a Wayland compositor shows of a widget: the output's pixels as composited, read back from a headless
// compositor of the test's own. A widget's grab paints it anew for the asking and so shows what the
// program holds, not what reached the screen; this does not.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "PaintsRun.h"
#include "TestInChild.h"

namespace testpages {

// The compositor's one output. Its desktop has no panel, so that a maximized window fills the whole output
// from its top-left corner: the one way its place on the output is known, since a client cannot ask.
constexpr int kCompositorWidth = 1280, kCompositorHeight = 1024;

// Whether a program listens on the local socket at the path.
inline bool socketTakesConnections(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return connected;
}

// The variable that tells the current test it runs in the child, on a compositor of its own.
inline constexpr char kOwnCompositorVariable[] = "KESTRUM_TEST_OWN_COMPOSITOR";

// A headless Wayland compositor of the test's own (rendering through OpenGL, with one output), ended with
// the object unless it is ended before. Skips the test (marks it so) where no compositor is installed.
class CompositorOfItsOwn {
public:
    CompositorOfItsOwn() {
        for (const char* program : {"weston", "weston-screenshooter"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
                [program] { GTEST_SKIP() << program << " is not installed"; }();
                return;
            }
        // The compositor's socket and the clients' runtime files go into a folder that only this user may
        // enter, as the protocol asks; the one the session has may be unset or shared.
        if (!runtime_.isValid()) {
            ADD_FAILURE() << "no runtime folder: " << runtime_.errorString().toStdString();
            return;
        }
        const QDir folder(runtime_.path());
        const QString log = folder.filePath(QStringLiteral("weston.log"));
        // Windows open, close and take the focus at once, with nothing drawn over them; no lock screen.
        const QString config = folder.filePath(QStringLiteral("weston.ini"));
        QFile configFile(config);
        if (!configFile.open(QIODevice::WriteOnly) ||
            configFile.write("[shell]\npanel-position=none\nbackground-color=0xff204060\nanimation=none\n"
                             "close-animation=none\nstartup-animation=none\nfocus-animation=none\n") < 0) {
            ADD_FAILURE() << "no compositor settings: " << configFile.errorString().toStdString();
            return;
        }
        configFile.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        compositor_.setProcessEnvironment(environment);
        compositor_.setProcessChannelMode(QProcess::MergedChannels);
        // The debug protocol lets the screenshot tool read the output back.
        compositor_.start(
            QStringLiteral("weston"),
            {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-gl"),
             QStringLiteral("--debug"), QStringLiteral("--shell=desktop-shell.so"),
             QStringLiteral("--config=") + config, QStringLiteral("--idle-time=0"),
             QStringLiteral("--socket=") + socket_, QStringLiteral("--width=%1").arg(kCompositorWidth),
             QStringLiteral("--height=%1").arg(kCompositorHeight), QStringLiteral("--log=") + log});
        QElapsedTimer waited;
        waited.start();
        while (!started_ && compositor_.state() != QProcess::NotRunning && waited.elapsed() < 20000) {
            started_ = socketTakesConnections(folder.filePath(socket_));
            if (!started_) QThread::msleep(50);
        }
        if (!started_) {
            QFile written(log);
            written.open(QIODevice::ReadOnly);
            ADD_FAILURE() << "no compositor of the test's own: " << compositor_.readAll().toStdString()
                          << written.readAll().right(4000).toStdString();
            end();
        }
    }
    ~CompositorOfItsOwn() { end(); }
    CompositorOfItsOwn(const CompositorOfItsOwn&) = delete;
    CompositorOfItsOwn& operator=(const CompositorOfItsOwn&) = delete;

    bool started() const { return started_; }
    // The environment of a child program that runs the current test on this compositor, through the
    // toolkit's Wayland plugin and never an X server.
    QProcessEnvironment childEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QString::fromLatin1(kOwnCompositorVariable), QStringLiteral("1"));
        return environment;
    }
    // Ends the compositor the way a session ends it, and waits until it is gone.
    void end() { endProgram(compositor_); }

private:
    QTemporaryDir runtime_;
    const QString socket_ = QStringLiteral("kestrum-test-%1").arg(QCoreApplication::applicationPid());
    QProcess compositor_;
    bool started_ = false;
};

// Runs the current test again in a child program on a Wayland compositor of its own, with the given
// variables set besides. In the child it answers true and the test goes on; in the parent it reports the
// child's failure as its own, answers false, and the test ends there.
inline bool onCompositorOfItsOwn(const std::vector<std::pair<QString, QString>>& variables = {}) {
    if (qEnvironmentVariableIsSet(kOwnCompositorVariable)) return true;
    CompositorOfItsOwn compositor;
    runCurrentTestOn(compositor, variables, "on a compositor of its own");
    return false;
}

// The output as the compositor shows it once the pending paints and updates have run; a null image after a
// failure, which is reported, or where the program runs on no Wayland compositor.
inline QImage compositorScreenshot() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) return {};
    letPaintsRun();
    // The tool writes a file named after the time into its working folder.
    QTemporaryDir folder;
    QProcess shooter;
    shooter.setWorkingDirectory(folder.path());
    shooter.setProcessChannelMode(QProcess::MergedChannels);
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    shooter.waitForStarted();
    QElapsedTimer waited;
    waited.start();
    while (shooter.state() != QProcess::NotRunning && waited.elapsed() < 10000)
        if (!shooter.waitForFinished(20)) QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (shooter.state() != QProcess::NotRunning) {
        shooter.kill();
        shooter.waitForFinished();
    }
    const QStringList shots = QDir(folder.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
    if (shooter.exitCode() != 0 || shots.size() != 1) {
        ADD_FAILURE() << "no screenshot: " << shooter.readAll().toStdString();
        return {};
    }
    return QImage(QDir(folder.path()).filePath(shots.front())).convertToFormat(QImage::Format_RGB32);
}

// The part of a screenshot that shows the widget, in device pixels. Its top-level window, maximized, stands
// at the output's corner, its contents inside the decoration that the program draws itself.
inline QImage croppedTo(const QImage& output, QWidget* widget) {
    QWidget* window = widget->window();
    if (!window->isMaximized()) {
        ADD_FAILURE() << "the place on the output of a window that is not maximized is not known";
        return {};
    }
    const QMargins decoration = window->windowHandle()->frameMargins();
    const QPoint at = QPoint(decoration.left(), decoration.top()) + widget->mapTo(window, QPoint(0, 0));
    const qreal ratio = window->devicePixelRatio();
    return output.copy(QRectF(at * ratio, widget->size() * ratio).toAlignedRect());
}

inline QImage shownOnCompositor(QWidget* widget) {
    const QImage output = compositorScreenshot();
    return output.isNull() ? output : croppedTo(output, widget);
}

} // namespace testpages
