#pragma once
// Letting a window's pending paints run before the screen is read back.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace testpages {

// Whether a window still has a paint planned for later: a single-shot timer that goes off soon, as a child
// frame's title bar is painted again a while after a resize.
inline bool paintPlanned() {
    for (QWidget* window : QApplication::topLevelWidgets())
        for (const QTimer* timer : window->findChildren<QTimer*>())
            if (timer->isActive() && timer->isSingleShot() && timer->remainingTime() < 1000) return true;
    return false;
}

// Runs the pending paints and updates: a window is repainted on an update request that the platform
// delivers from a timer, and a compositor shows it on its next frame. A paint planned for later goes first,
// however slowly the timers run (a build with sanitizers).
inline void letPaintsRun() {
    QElapsedTimer waited, quiet;
    waited.start();
    quiet.start();
    while (quiet.elapsed() < 300 && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (paintPlanned()) quiet.restart();
    }
}

} // namespace testpages
