// The hex editor control placed on forms: update bracket, zoom, clipboard, drag-and-drop and settings.
#pragma once

#include "HexEditor.h"

#include <QMenu>
#include <QPointer>

class THexEditorEx : public TCustomHexEditor {
    Q_OBJECT
public:
    explicit THexEditorEx(QWidget* parent = nullptr);
    ~THexEditorEx() override;

    // Painting is held back between BeginUpdate and EndUpdate; edits, undo records and events still happen.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_repaintLock; }

    void WriteBuffer(const void* buffer, int32_t pos, int32_t count) override;

    bool ZoomOnWheel() const { return m_zoomOnWheel; }
    void SetZoomOnWheel(bool value) { m_zoomOnWheel = value; }
    QMenu* OffsetPopupMenu() const { return m_offsetPopupMenu; }
    void SetOffsetPopupMenu(QMenu* menu) { m_offsetPopupMenu = menu; }

protected:
    bool UpdatesLocked() const override { return m_repaintLock > 0; }
    bool ExtraKeyDown(QKeyEvent* event) override;
    bool WheelZoom(QWheelEvent* event) override;
    void ContextOnOffsets(const QPoint& globalPos) override;

private:
    int m_repaintLock = 0;
    bool m_zoomOnWheel = true;
    QPointer<QMenu> m_offsetPopupMenu;
};
