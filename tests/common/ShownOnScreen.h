#pragma once
// What the window system shows of a widget: the window's pixels as presented, read back from the X server.
// A GL widget's grabFramebuffer draws a frame anew for the asking and so hides a frame that never reached
// the screen; this does not.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <functional>

namespace testpages {

// The widget as shown once the pending paints and updates have run; a null image where the platform cannot
// read the screen back. Programs tested side by side share the X server, and a window of another one may
// cover this one for a moment: while the picture is not the expected one, the window is put on top and
// read again, a few times. A frame that never reaches the screen stays wrong through every reading.
inline QImage shownOnScreen(QWidget* widget, const std::function<bool(const QImage&)>& expected = {}) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    QImage image;
    for (int reading = 0; reading < 5; ++reading) {
        QWidget* window = widget->window();
        window->raise();
        // The window is repainted on an update request that the platform delivers from a timer.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 300)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        const QPoint at = widget->mapTo(window, QPoint(0, 0));
        image = window->screen()
                    ->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height())
                    .toImage();
        if (!expected || expected(image)) break;
    }
    return image;
}

} // namespace testpages
