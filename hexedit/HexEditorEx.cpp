#include "HexEditorEx.h"

#include <QKeyEvent>
#include <QWheelEvent>

THexEditorEx::THexEditorEx(QWidget* parent) : TCustomHexEditor(parent) {}

THexEditorEx::~THexEditorEx() = default;

void THexEditorEx::BeginUpdate() {
    ++m_repaintLock;
}

void THexEditorEx::EndUpdate() {
    if (m_repaintLock == 0) return;
    if (--m_repaintLock == 0) {
        RecalcLayout();
        ScrollIntoView();
        viewport()->update();
    }
}

void THexEditorEx::WriteBuffer(const void* buffer, int32_t pos, int32_t count) {
    TCustomHexEditor::WriteBuffer(buffer, pos, count);
    SetModified(true);
}

bool THexEditorEx::ExtraKeyDown(QKeyEvent*) {
    return false;
}

bool THexEditorEx::WheelZoom(QWheelEvent* event) {
    if (!m_zoomOnWheel) return false;
    // Some platforms turn Shift+wheel into a horizontal delta.
    const int delta = event->angleDelta().y() ? event->angleDelta().y() : event->angleDelta().x();
    if (delta == 0) return false;
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::ControlModifier) {
        const int next = BytesPerRow() + (delta < 0 ? -1 : 1);
        if (next >= 1 && next <= 256) SetBytesPerRow(next);
        return true;
    }
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        QFont f = font();
        const int size = f.pointSize() > 0 ? f.pointSize() : f.pixelSize();
        const int next = std::max(2, size + (delta < 0 ? -1 : 1));
        if (f.pointSize() > 0)
            f.setPointSize(next);
        else
            f.setPixelSize(next);
        setFont(f);
        return true;
    }
    return false;
}

void THexEditorEx::ContextOnOffsets(const QPoint& globalPos) {
    if (m_offsetPopupMenu) m_offsetPopupMenu->popup(globalPos);
}
