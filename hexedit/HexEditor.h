// The hex editor control: a scroll area that lays out, paints and forwards input to THexEditorCore.
#pragma once

#include "HexEditorCore.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <vector>

class TCustomHexEditor;

// A colour of the desktop theme by the name the settings text gives it (clBtnFace, clWindow, ...).
struct THexSystemColor {
    const char* Name;
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
    QColor Current() const;
};
// The theme colour of that name (case ignored), or nullptr.
const THexSystemColor* findHexSystemColor(const QString& name);

// A colour that is fixed or, set from a theme colour, remembers which one so that it is saved by name.
struct THexColor {
    QColor Value;
    const THexSystemColor* Theme = nullptr;
};

// The thirteen colours of the control, in their published order.
class THexColors {
public:
    explicit THexColors(TCustomHexEditor* owner = nullptr);
    void Assign(const THexColors& other);

#define HEX_COLOR(name)                                                                                      \
    QColor name() const {                                                                                    \
        return m_##name.Value;                                                                               \
    }                                                                                                        \
    const THexSystemColor* name##Theme() const {                                                             \
        return m_##name.Theme;                                                                               \
    }                                                                                                        \
    void Set##name(const QColor& value) {                                                                    \
        m_##name = {value, nullptr};                                                                         \
        changed(#name);                                                                                      \
    }                                                                                                        \
    void Set##name(const THexSystemColor& theme) {                                                           \
        m_##name = {theme.Current(), &theme};                                                                \
        changed(#name);                                                                                      \
    }
    HEX_COLOR(Offset)
    HEX_COLOR(OddColumn)
    HEX_COLOR(EvenColumn)
    HEX_COLOR(CursorFrame)
    HEX_COLOR(NonFocusCursorFrame)
    HEX_COLOR(Background)
    HEX_COLOR(ChangedText)
    HEX_COLOR(ChangedBackground)
    HEX_COLOR(CurrentOffsetBackground)
    HEX_COLOR(OffsetBackGround)
    HEX_COLOR(ActiveFieldBackground)
    HEX_COLOR(CurrentOffset)
    HEX_COLOR(Grid)
#undef HEX_COLOR

private:
    void changed(const char* name);
    TCustomHexEditor* m_owner;
    THexColor m_Offset, m_OddColumn, m_EvenColumn, m_CursorFrame, m_NonFocusCursorFrame, m_Background,
        m_ChangedText, m_ChangedBackground, m_CurrentOffsetBackground, m_OffsetBackGround,
        m_ActiveFieldBackground, m_CurrentOffset, m_Grid;
};

// Shows the message of an exception caught at one of the control's entry points.
using HexErrorHandler = std::function<void(QWidget* parent, const QString& message)>;
void setHexErrorHandler(HexErrorHandler handler);
void showHexError(QWidget* parent, const QString& message);

class TCustomHexEditor : public QAbstractScrollArea, public THexEditorCore {
    Q_OBJECT
public:
    explicit TCustomHexEditor(QWidget* parent = nullptr);
    ~TCustomHexEditor() override;

    // Loads a whole device (from its start) as the new data.
    void LoadFromStream(QIODevice& device);
    using THexEditorCore::LoadFromStream;
    void LoadFromByteArray(const QByteArray& bytes) { LoadFromBuffer(bytes.constData(), bytes.size()); }
    // Data[index]: one byte (bounds checked); SetData writes one without an undo record.
    uint8_t Data(int32_t index) const { return GetData(index); }
    QByteArray AllData() const {
        return QByteArray(reinterpret_cast<const char*>(bytes().data()), DataSize());
    }

    THexColors& Colors() { return m_colors; }
    const THexColors& Colors() const { return m_colors; }
    THexCaretKind CaretKind() const { return m_caretKind; }
    void SetCaretKind(THexCaretKind kind);
    bool FocusFrame() const { return m_focusFrame; }
    void SetFocusFrame(bool value) { setFlag(m_focusFrame, value); }
    bool DrawGridLines() const { return m_drawGridLines; }
    void SetDrawGridLines(bool value) { setFlag(m_drawGridLines, value); }
    bool DrawGutter3D() const { return m_drawGutter3D; }
    void SetDrawGutter3D(bool value) { setFlag(m_drawGutter3D, value); }
    int GutterWidth() const { return m_gutterWidth; }
    void SetGutterWidth(int value);
    bool ShowPositionIfNotFocused() const { return m_showPositionIfNotFocused; }
    void SetShowPositionIfNotFocused(bool value) { setFlag(m_showPositionIfNotFocused, value); }
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value) { setFlag(m_hideSelection, value); }
    bool GraySelectionIfNotFocused() const { return m_graySelection; }
    void SetGraySelectionIfNotFocused(bool value) { setFlag(m_graySelection, value); }
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool value) { m_wantTabs = value; }
    const QPixmap& BookmarkBitmap() const { return m_bookmarkBitmap; }
    void SetBookmarkBitmap(const QPixmap& bitmap);
    bool BookmarkBitmapIsDefault() const { return m_bookmarkBitmapIsDefault; }
    QString Version() const { return QStringLiteral("Kestrum hex editor control, 2026"); }
    void SetVersion(const QString&) {}
    QFont Font() const { return font(); }
    void SetFont(const QFont& value) { setFont(value); }

    // Layout in pixels.
    int CharWidth() const { return m_charWidth; }
    int RowHeight() const { return m_rowHeight; }
    int ColumnWidth(int col) const { return m_colWidths.at(static_cast<size_t>(col)); }
    // Rectangle of a cell in viewport coordinates (empty when the column or row is hidden).
    QRect CellRect(int col, int32_t row) const;
    // The cell under a viewport point; false outside every cell.
    bool CellAt(const QPoint& point, int& col, int32_t& row) const;
    // The whole pixel that holds a pointer position. On a scaled screen the position comes in fractions of
    // a pixel, and rounding would carry a press in a cell's last device pixel into the next cell.
    static QPoint PixelAt(const QPointF& position);
    // Top-left pixel of a data position's cell in viewport coordinates (scrolls it into view first).
    QPoint PositionPoint(int32_t pos, bool inCharField);
    void ScrollIntoView();
    int32_t FullyVisibleRows() const;

    // Drop mark of a hovering drag.
    void ShowDropMark(int col, int32_t row);
    void HideDropMark();
    bool DropMarkShown() const { return m_dropMarkShown; }
    int32_t DropMarkPosition() const;

    // Fired before every drawn cell; a handler may change the text or paint the cell itself (defaultDraw
    // false).
    std::function<void(QPainter& canvas, int col, int32_t row, QString& text, const QRect& rect,
                       bool& defaultDraw)>
        OnDrawCell;

signals:
    // The columns, their widths or the font changed.
    void layoutChanged();
    void changed();
    void selectionChanged();
    void bookmarkChanged();
    void topLeftChanged();
    void invalidKey();
    void progress(THexProgressKind kind, const QString& name, int percent, bool& cancel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

    // Hooks of the derived control (clipboard keys, drags, zoom).
    virtual bool ExtraKeyDown(QKeyEvent*) { return false; }
    virtual bool MousePressedOnSelection(QMouseEvent*) { return false; }
    virtual bool DragMove(QMouseEvent*) { return false; }
    // One whole wheel step (direction -1 down, +1 up) with these modifiers; true when it zoomed.
    virtual bool WheelZoom(Qt::KeyboardModifiers, int) { return false; }
    virtual bool UpdatesLocked() const { return false; }
    virtual void ContextOnOffsets(const QPoint&) {}

    // Runs f, showing the message of any exception it raises.
    void guarded(const std::function<void()>& f);
    void RecalcLayout();
    void UpdateScrollBars();
    void RepaintPositionRange(int32_t first, int32_t last);
    void AdjustForInsertMode(const QPoint& point, int& col, int32_t& row) const;
    bool SelectionColorsApply() const;
    QColor SelectionColor(QColor color) const;

    bool m_clickInSelection = false;
    QPoint m_mouseDownPoint;
    int m_mouseDownCol = -1;
    int32_t m_mouseDownRow = -1;
    bool m_doubleClicked = false;

private:
    void setFlag(bool& flag, bool value);
    void paintRuler(QPainter& p, const QRect& clip);
    void paintGutter(QPainter& p, const QRect& clip);
    void paintCells(QPainter& p, const QRect& clip);
    void paintCaret(QPainter& p);
    void paintCaretFrame(QPainter& p);
    void paintCell(QPainter& p, const QRect& cell, QString text, const QColor& textColor,
                   const QColor& background, const QColor& filler, int col, int32_t row,
                   bool gutterText = false);
    int firstDataX() const { return m_colX[2]; }
    int leftColumn() const;
    // Extends a mouse selection to the cell at the last pointer position, scrolling toward it first when
    // asked and the pointer is outside the cells.
    void extendMouseSelection(bool scroll);
    int dataColumnX(int col) const;
    QPixmap defaultBookmarkBitmap() const;

    THexColors m_colors{this};
    THexCaretKind m_caretKind = ckAuto;
    bool m_focusFrame = true;
    bool m_drawGridLines = false;
    bool m_drawGutter3D = true;
    int m_gutterWidth = -1;
    bool m_showPositionIfNotFocused = false;
    bool m_hideSelection = false;
    bool m_graySelection = false;
    bool m_wantTabs = true;
    QPixmap m_bookmarkBitmap;
    bool m_bookmarkBitmapIsDefault = true;

    int m_charWidth = 8;
    int m_rowHeight = 16;
    int m_rulerHeight = 0;
    std::vector<int> m_colWidths;
    std::vector<int> m_colX;
    int m_totalWidth = 0;
    bool m_dropMarkShown = false;
    int m_dropMarkCol = 0;
    int32_t m_dropMarkRow = 0;
    bool m_syncingScroll = false;
    int m_leftColumn = 2;
    int m_wheelRemainder = 0;
    Qt::KeyboardModifiers m_wheelModifiers;
    QTimer m_autoScrollTimer;
    QPoint m_pointer;
};
