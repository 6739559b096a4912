#pragma once
// What the window system shows of a widget: the window's pixels as presented, read back from an X server of
// the test's own. A GL widget's grabFramebuffer draws a frame anew for the asking and so hides a frame that
// never reached the screen; this does not.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

#include "PaintsRun.h"
#include "TestInChild.h"

namespace testpages {

// The X servers a test can have to itself.
enum class OwnScreen {
    // One virtual screen of 1280x1024 at scale 1.
    Single,
    // One screen of 3200x1200 split into two monitors side by side, as a laptop's panel beside a large one:
    // "MonL", 1280x1024 at 0,0 at scale 1, and "MonR", 1920x1200 at 1280,0 at scale 2 (960x600 points
    // from 1280,0). A real X server with the dummy driver, since the virtual one knows no monitors.
    ScalesOneAndTwo,
};

namespace ownscreen {

constexpr const char* kVariable = "KESTRUM_TEST_OWN_SCREEN";

// The server's display once it takes connections, which it names on standard output; empty after a
// failure, which is reported.
inline QString startServer(QProcess& server, const QString& program, const QStringList& arguments,
                           const QString& log = {}) {
    server.start(program, arguments);
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000))
        display += server.readAllStandardOutput();
    if (display.contains('\n')) return QLatin1Char(':') + QString::fromLatin1(display.trimmed());
    QFile logFile(log);
    const QByteArray logged =
        logFile.open(QIODevice::ReadOnly) ? logFile.readAll().right(3000) : QByteArray();
    ADD_FAILURE() << "no X server of the test's own from " << program.toStdString() << ": "
                  << server.readAllStandardError().right(3000).toStdString() << logged.toStdString();
    server.kill();
    server.waitForFinished();
    return {};
}

// The configuration of a server with the dummy driver and one screen of 3200x1200, without input devices
// of its own, so that it takes none of the machine's.
inline const char* const kDummyConfiguration = R"(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "Card"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "Panel"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "3200x1200" 100.0 3200 3208 3240 3280 1200 1201 1204 1210
EndSection
Section "Screen"
    Identifier "Screen"
    Device "Card"
    Monitor "Panel"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "3200x1200"
        Virtual 3200 1200
    EndSubSection
EndSection
)";

// Why a server with the dummy driver cannot run here; empty where it can.
inline QString whyNoDummyServer() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xorg")).isEmpty()) return QStringLiteral("no Xorg");
    if (QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty())
        return QStringLiteral("no xrandr");
    for (const char* folder :
         {"/usr/lib/xorg/modules", "/usr/lib64/xorg/modules", "/usr/local/lib/xorg/modules"})
        if (QFile::exists(QLatin1String(folder) + QLatin1String("/drivers/dummy_drv.so"))) return {};
    return QStringLiteral("no dummy video driver for Xorg");
}

// Runs xrandr on the display; answers its output, or reports its failure and answers none.
inline std::optional<QByteArray> xrandr(const QString& display, const QStringList& arguments) {
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral("xrandr"), arguments);
    if (!run.waitForFinished(10000) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
        ADD_FAILURE() << "xrandr " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << run.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return run.readAllStandardOutput();
}

// Splits the server's one output into the two monitors of OwnScreen::ScalesOneAndTwo.
inline bool splitIntoTwoMonitors(const QString& display) {
    const std::optional<QByteArray> query = xrandr(display, {QStringLiteral("--query")});
    if (!query) return false;
    QString output;
    for (const QByteArray& line : query->split('\n'))
        if (line.contains(" connected")) output = QString::fromLatin1(line.left(line.indexOf(' ')));
    if (output.isEmpty()) {
        ADD_FAILURE() << "the server names no connected output:\n" << query->toStdString();
        return false;
    }
    // Sizes in millimetres for about 96 dots per inch on each.
    return xrandr(display, {QStringLiteral("--setmonitor"), QStringLiteral("MonL"),
                            QStringLiteral("1280/339x1024/271+0+0"), output}) &&
           xrandr(display, {QStringLiteral("--setmonitor"), QStringLiteral("MonR"),
                            QStringLiteral("1920/487x1200/304+1280+0"), QStringLiteral("none")});
}

// In the child: the toolkit sees the two monitors at their places and scales.
inline bool seesScalesOneAndTwo() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    auto has = [&](const char* name, QRect geometry, qreal ratio) {
        for (QScreen* screen : screens)
            if (screen->name() == QLatin1String(name))
                return screen->geometry() == geometry && screen->devicePixelRatio() == ratio;
        return false;
    };
    if (QGuiApplication::platformName() == QLatin1String("xcb") && screens.size() == 2 &&
        has("MonL", QRect(0, 0, 1280, 1024), 1) && has("MonR", QRect(1280, 0, 960, 600), 2))
        return true;
    std::string seen;
    for (QScreen* screen : screens) {
        const QRect g = screen->geometry();
        seen += " " + screen->name().toStdString() + " " + std::to_string(g.width()) + "x" +
                std::to_string(g.height()) + "+" + std::to_string(g.x()) + "+" + std::to_string(g.y()) +
                " at scale " + std::to_string(screen->devicePixelRatio()) + ";";
    }
    ADD_FAILURE() << "not the monitors MonL at scale 1 and MonR at scale 2 on an X server; the "
                  << QGuiApplication::platformName().toStdString() << " platform shows" << seen;
    return false;
}

} // namespace ownscreen

// Whether this is the child run on an X server of the test's own.
inline bool onScreenOfItsOwnNow() {
    return qEnvironmentVariableIsSet(ownscreen::kVariable);
}

// An X server of the test's own of the given kind, ended with the object unless it is ended before; a
// single screen's server takes the given arguments besides its own. Two monitors are skipped (the test is
// marked so) where the machine has no server for them.
class XServerOfItsOwn {
public:
    explicit XServerOfItsOwn(OwnScreen kind = OwnScreen::Single, const QStringList& serverArguments = {}) {
        if (kind == OwnScreen::Single) {
            display_ = ownscreen::startServer(
                server_, QStringLiteral("Xvfb"),
                QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp")} +
                    serverArguments);
            return;
        }
        if (const QString why = ownscreen::whyNoDummyServer(); !why.isEmpty()) {
            [&why] {
                GTEST_SKIP() << "two monitors need an X server with the dummy driver: " << why.toStdString();
            }();
            return;
        }
        const QDir folder(scratch_.path());
        QFile configuration(folder.filePath(QStringLiteral("xorg.conf")));
        if (!configuration.open(QIODevice::WriteOnly) ||
            configuration.write(ownscreen::kDummyConfiguration) < 0) {
            ADD_FAILURE() << "cannot write " << configuration.fileName().toStdString();
            return;
        }
        configuration.close();
        folder.mkdir(QStringLiteral("conf.d"));
        const QString log = folder.filePath(QStringLiteral("Xorg.log"));
        // Run as root, the server would take a virtual terminal of its own and switch the console to it:
        // sharing the current one leaves the console alone and lets several servers run side by side.
        display_ = ownscreen::startServer(
            server_, QStringLiteral("Xorg"),
            {QStringLiteral("-config"), configuration.fileName(), QStringLiteral("-configdir"),
             folder.filePath(QStringLiteral("conf.d")), QStringLiteral("-logfile"), log,
             QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
             QStringLiteral("-sharevts"), QStringLiteral("-novtswitch"), QStringLiteral("-displayfd"),
             QStringLiteral("1")},
            log);
        if (!display_.isEmpty() && !ownscreen::splitIntoTwoMonitors(display_)) display_.clear();
        scaleFactors_ = QStringLiteral("MonL=1;MonR=2");
    }
    ~XServerOfItsOwn() { end(); }
    XServerOfItsOwn(const XServerOfItsOwn&) = delete;
    XServerOfItsOwn& operator=(const XServerOfItsOwn&) = delete;

    bool started() const { return !display_.isEmpty(); }
    // The environment of a child program that runs the current test on this server.
    QProcessEnvironment childEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display_);
        // On this server whatever platform the parent was given, the offscreen one where it has no display.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QString::fromLatin1(ownscreen::kVariable), QStringLiteral("1"));
        if (!scaleFactors_.isEmpty())
            environment.insert(QStringLiteral("QT_SCREEN_SCALE_FACTORS"), scaleFactors_);
        return environment;
    }
    // Ends the server the way a system shuts one down, and waits until it is gone.
    void end() { endProgram(server_); }

private:
    QTemporaryDir scratch_;
    QProcess server_;
    QString display_;
    QString scaleFactors_;
};

// Runs the current test again in a child program on an X server of its own of the given kind, where no
// window of another program tested side by side covers its windows, with the given variables set besides.
// In the child it answers true and the test goes on (on two monitors, once the toolkit shows them as
// meant); in the parent it reports the child's failure as its own, answers false, and the test ends there.
// A test that needs two monitors is skipped where the machine has no server for them. A single screen's
// server takes the given arguments besides its own.
inline bool onScreenOfItsOwn(const std::vector<std::pair<QString, QString>>& variables = {},
                             OwnScreen kind = OwnScreen::Single, const QStringList& serverArguments = {}) {
    if (onScreenOfItsOwnNow()) return kind == OwnScreen::Single || ownscreen::seesScalesOneAndTwo();
    XServerOfItsOwn server(kind, serverArguments);
    runCurrentTestOn(server, variables, "on a screen of its own");
    return false;
}

// The part (in the widget's own points; all of it by default) of the widget as shown once the pending
// paints and updates have run, at the device pixels it covers: at scale 2 an image of twice its size in
// each direction, whose device pixel ratio says so. A null image where the platform cannot read the
// screen back.
inline QImage shownOnScreen(QWidget* widget, QRect part = {}) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    letPaintsRun();
    QWidget* window = widget->window();
    if (part.isNull()) part = widget->rect();
    // The screen's scale turns the window's points into the device pixels read.
    const QRect inWindow = QRect(widget->mapTo(window, part.topLeft()), part.size()) & window->rect();
    return window->screen()
        ->grabWindow(window->winId(), inWindow.x(), inWindow.y(), inWindow.width(), inWindow.height())
        .toImage();
}

// The same part as the widget paints it itself at its present scale, to compare with what is shown: where
// it paints nothing (outside its mask, or where it has no background of its own) the image is transparent.
inline QImage paintedByItself(QWidget* widget, QRect part = {}) {
    if (part.isNull()) part = widget->rect();
    const qreal ratio = widget->devicePixelRatio();
    QImage image(part.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(part), QWidget::DrawChildren);
    return image;
}

// Whether the colours lie within the tolerance of each other in every channel.
inline bool nearColour(const QColor& seen, const QColor& expected, int tolerance = 8) {
    return std::abs(seen.red() - expected.red()) <= tolerance &&
           std::abs(seen.green() - expected.green()) <= tolerance &&
           std::abs(seen.blue() - expected.blue()) <= tolerance;
}

// How many pixels of the image lie farther than the tolerance from the colour.
inline int pixelsOtherThan(const QImage& image, const QColor& colour, int tolerance = 8) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += !nearColour(image.pixelColor(x, y), colour, tolerance);
    return count;
}

// How many pixels of the image lie within the tolerance of the colour.
inline int pixelsLike(const QImage& image, const QColor& colour, int tolerance = 8) {
    return image.width() * image.height() - pixelsOtherThan(image, colour, tolerance);
}

// How many pixels of what is shown differ by more than the tolerance from what the widget paints itself;
// all of the larger image where the sizes differ. Where the painting leaves a pixel (partly) transparent,
// as at a title bar's rounded corners, whatever lies behind shows, and the pixel is not compared.
inline int pixelsDiffering(const QImage& shown, const QImage& painted, int tolerance = 8) {
    if (shown.size() != painted.size())
        return std::max(shown.width() * shown.height(), painted.width() * painted.height());
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor own = painted.pixelColor(x, y);
            count += own.alpha() == 255 && !nearColour(shown.pixelColor(x, y), own, tolerance);
        }
    return count;
}

// When KESTRUM_TEST_SCREENS names a folder, keeps the whole X screen there as "<step>.png", to be looked
// at as a user would see it.
inline void keepScreenForLooking(const QString& step) {
    const QString folder = qEnvironmentVariable("KESTRUM_TEST_SCREENS");
    if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    letPaintsRun();
    // Each screen keeps its top left corner in points where it lies in device pixels.
    QRect whole;
    for (QScreen* screen : QGuiApplication::screens())
        whole |= QRect(screen->geometry().topLeft(), screen->geometry().size() * screen->devicePixelRatio());
    // The root window's pixels through the screen at the root's corner and scale 1, which reads them one
    // for one.
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().topLeft() == QPoint(0, 0) && screen->devicePixelRatio() == 1)
            screen->grabWindow(0, 0, 0, whole.width(), whole.height())
                .save(QDir(folder).filePath(step + QStringLiteral(".png")));
}

} // namespace testpages
