// Helpers that drive the hex editor widget with synthetic input events.
#pragma once

#include "HexEditorEx.h"
#include "HexCoreTestUtil.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <memory>

// A shown editor holding bytes, or the sequence 0, 1, 2, ... of that many bytes.
inline std::unique_ptr<THexEditorEx> makeEditor(const QByteArray& bytes, int width = 760, int height = 360) {
    auto editor = std::make_unique<THexEditorEx>();
    editor->resize(width, height);
    editor->show();
    editor->LoadFromByteArray(bytes);
    editor->setFocus();
    QApplication::processEvents();
    return editor;
}

inline std::unique_ptr<THexEditorEx> makeEditor(int bytes, int width = 760, int height = 360) {
    QByteArray data(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        data[i] = static_cast<char>(i);
    return makeEditor(data, width, height);
}

inline QPoint cellCenter(THexEditorEx& e, int32_t pos, bool inChar, bool secondNibble = false) {
    int col;
    int32_t row;
    e.CellOfPosition(pos, inChar, col, row);
    if (secondNibble) ++col;
    const QRect r = e.CellRect(col, row);
    return QPoint(r.left() + std::min(e.CharWidth(), r.width()) / 2 - 1, r.center().y());
}

// Positions are logical pixels; on a scaled screen they come in fractions of one.
inline void mouse(THexEditorEx& e, QEvent::Type type, QPointF at, Qt::MouseButtons buttons,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, e.viewport()->mapToGlobal(at), button, buttons, mods);
    QApplication::sendEvent(e.viewport(), &event);
}

inline void click(THexEditorEx& e, QPointF at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    mouse(e, QEvent::MouseButtonPress, at, Qt::LeftButton, mods);
    mouse(e, QEvent::MouseButtonRelease, at, Qt::NoButton, mods);
}

inline void drag(THexEditorEx& e, QPoint from, QPoint to) {
    mouse(e, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(e, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    mouse(e, QEvent::MouseMove, to, Qt::LeftButton);
    mouse(e, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

inline void key(THexEditorEx& e, int k, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(&e, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QApplication::sendEvent(&e, &release);
}

inline void type(THexEditorEx& e, const QString& text) {
    for (QChar c : text)
        key(e, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

inline void wheel(THexEditorEx& e, int delta, Qt::KeyboardModifiers mods) {
    const QPoint at(100, 100);
    QWheelEvent event(QPointF(at), e.viewport()->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e.viewport(), &event);
}
