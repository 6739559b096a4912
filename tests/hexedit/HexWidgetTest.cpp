// The widget: mouse selection by the cell formulas, keys, typing, wheel, deferred events and painting.
#include "HexWidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>

TEST(HexWidget, ClickPlacesCaretWhereTheFormulasSay) {
    auto e = makeEditor(256);
    click(*e, cellCenter(*e, 37, false));
    EXPECT_EQ(e->CaretPosition(), 37);
    EXPECT_FALSE(e->InCharField());
    click(*e, cellCenter(*e, 37, false, true));
    EXPECT_TRUE(e->IsSecondNibbleCell(e->CaretCol()));
    click(*e, cellCenter(*e, 50, true));
    EXPECT_EQ(e->CaretPosition(), 50);
    EXPECT_TRUE(e->InCharField());
    EXPECT_EQ(e->SelCount(), 0);
}

TEST(HexWidget, DragSelectsBackwardsWithAnchorAtStart) {
    auto e = makeEditor(256);
    drag(*e, cellCenter(*e, 9, false), cellCenter(*e, 4, false));
    EXPECT_EQ(e->SelStart(), 9);
    EXPECT_EQ(e->SelEnd(), 4);
    // A click into the selection without moving clears it and moves the caret there.
    click(*e, cellCenter(*e, 6, false));
    EXPECT_EQ(e->SelCount(), 0);
    EXPECT_EQ(e->CaretPosition(), 6);
}

TEST(HexWidget, InsertModeRightHalfCountsAsNextCell) {
    auto e = makeEditor(64);
    e->SetInsertMode(true);
    int col;
    int32_t row;
    e->CellOfPosition(5, true, col, row);
    const QRect r = e->CellRect(col, row);
    click(*e, QPoint(r.left() + e->CharWidth() - 1, r.center().y()));
    EXPECT_EQ(e->CaretPosition(), 6);
}

namespace {
// A point in the right half of the last cell of a byte in a field.
QPoint rightHalfOf(THexEditorEx& e, int32_t pos, bool inChar) {
    int col;
    int32_t row;
    e.CellOfPosition(pos, inChar, col, row);
    if (!inChar) ++col;
    const QRect r = e.CellRect(col, row);
    return QPoint(r.left() + std::min(e.CharWidth(), r.width()) - 1, r.center().y());
}
} // namespace

// In insert mode the right half of a byte is the place after it, a selected byte's too. A Shift+click on a
// selected byte moves the selection's caret end and keeps its anchor end, in either mode.
TEST(HexWidget, ClicksOnASelectedByte) {
    for (const bool inChar : {false, true}) {
        SCOPED_TRACE(inChar ? "character field" : "hex field");
        auto e = makeEditor(64);
        e->SetInsertMode(true);
        click(*e, cellCenter(*e, 0, inChar));
        key(*e, Qt::Key_A, Qt::ControlModifier);
        click(*e, rightHalfOf(*e, 5, inChar));
        EXPECT_EQ(e->SelCount(), 0);
        EXPECT_EQ(e->CaretPosition(), 6);
        type(*e, "7");
        EXPECT_EQ(e->GetData(6), inChar ? '7' : 0x70);

        key(*e, Qt::Key_A, Qt::ControlModifier);
        click(*e, rightHalfOf(*e, 5, inChar), Qt::ShiftModifier);
        EXPECT_EQ(e->SelStart(), 0);
        EXPECT_EQ(e->SelEnd(), 5);
        EXPECT_EQ(e->CaretPosition(), 6);
        // Dragged backwards, the selection's anchor is the place after its upper end.
        drag(*e, rightHalfOf(*e, 20, inChar), cellCenter(*e, 12, inChar));
        click(*e, rightHalfOf(*e, 15, inChar), Qt::ShiftModifier);
        EXPECT_EQ(e->SelLower(), 16);
        EXPECT_EQ(e->SelUpper(), 20);
    }
    auto e = makeEditor(64);
    key(*e, Qt::Key_A, Qt::ControlModifier);
    click(*e, cellCenter(*e, 5, false), Qt::ShiftModifier);
    EXPECT_EQ(e->SelStart(), 0);
    EXPECT_EQ(e->SelEnd(), 5);
}

// On a scaled screen the pointer reaches the editor in fractions of a logical pixel: a press or a drag
// anywhere from a cell's first to its last device pixel lands on that cell, at every common ratio.
TEST(HexWidget, PointerAnywhereInACellsPixelsLandsOnThatCell) {
    auto e = makeEditor(256);
    const int separator = e->NibbleCount() + 2;
    for (double ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        // The left edge of the last device pixel within a cell's last logical pixel.
        const double last = 1 - 1 / ratio;
        for (int32_t row = 2; row < 6; ++row)
            for (int col = 2; col < e->ColCount(); ++col) {
                const QRect r = e->CellRect(col, row);
                if (col == separator || r.right() >= e->viewport()->width()) continue;
                SCOPED_TRACE(testing::Message() << "ratio " << ratio << " cell " << col << "," << row);
                for (const QPointF at :
                     {QPointF(r.topLeft()), QPointF(r.right() + last, r.bottom() + last)}) {
                    click(*e, at);
                    EXPECT_EQ(e->CaretCol(), col);
                    EXPECT_EQ(e->CaretRow(), row);
                }
                // Dragged from the first byte, the selection ends on the cell under the pointer.
                const QPointF end(r.right() + last, r.bottom() + last);
                mouse(*e, QEvent::MouseButtonPress, cellCenter(*e, 0, e->IsCharColumn(col)), Qt::LeftButton);
                mouse(*e, QEvent::MouseMove, end, Qt::LeftButton);
                mouse(*e, QEvent::MouseButtonRelease, end, Qt::NoButton);
                EXPECT_EQ(e->CaretCol(), col);
                EXPECT_EQ(e->CaretRow(), row);
            }
    }
}

// The keys reach the core's typing, undo and bookmark commands (what those do is HexCoreKeys's).
TEST(HexWidget, KeysMoveAndTypedHexEdits) {
    auto e = makeEditor(64);
    click(*e, cellCenter(*e, 0, false));
    key(*e, Qt::Key_Down);
    type(*e, "41");
    EXPECT_EQ(e->GetData(16), 0x41);
    EXPECT_EQ(e->CaretPosition(), 17);
    key(*e, Qt::Key_Z, Qt::ControlModifier); // one record per digit
    EXPECT_EQ(e->GetData(16), 0x40);
    // A character typed in the character field overwrites its byte, and Ctrl+Z takes it back.
    click(*e, cellCenter(*e, 17, false));
    key(*e, Qt::Key_Tab);
    EXPECT_TRUE(e->InCharField());
    type(*e, "Z");
    EXPECT_EQ(e->GetData(17), 'Z');
    key(*e, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e->GetData(17), 17);
    key(*e, Qt::Key_Shift, Qt::ShiftModifier);
    key(*e, Qt::Key_Right, Qt::ShiftModifier);
    key(*e, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(e->SelCount(), 3);
    key(*e, Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->Bookmark(3).Position, e->CaretPosition());
}

TEST(HexWidget, WheelActsOncePerWholeStep) {
    struct Row {
        Qt::KeyboardModifiers mods;
        bool unicode, zoom;
        int delta, events;
        int pagesDown, bytesPerRow, fontStep, messages;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier,
                                ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Row rows[] = {
        {Qt::NoModifier, false, true, -120, 1, 1, 16, 0, 0},
        {Qt::NoModifier, false, true, -15, 7, 0, 16, 0, 0}, // short of a notch of a fine wheel
        {Qt::NoModifier, false, true, -50, 5, 2, 16, 0, 0}, // two steps, the rest kept
        {Qt::NoModifier, false, true, 60, 4, 0, 16, 0, 0},  // not above the first row
        {ctrl, false, true, -15, 8, 0, 15, 0, 0},
        {ctrl, false, true, 40, 6, 0, 18, 0, 0},
        {ctrl, true, true, -15, 8, 0, 16, 0, 1}, // the odd width is refused once
        {ctrl, false, false, -120, 1, 0, 16, 0, 0},
        {ctrlShift, false, true, 15, 8, 0, 16, 1, 0},
        {ctrlShift, false, true, -30, 8, 0, 16, -2, 0},
    };
    int messages = 0;
    setHexErrorHandler([&](QWidget*, const QString& message) {
        EXPECT_EQ(message, "Invalid bytes per line argument");
        ++messages;
    });
    for (const Row& row : rows) {
        auto e = makeEditor(4096, 700, 300);
        e->SetUnicodeChars(row.unicode);
        e->SetZoomOnWheel(row.zoom);
        const int32_t page = e->FullyVisibleRows() - 1;
        const int pointSize = e->font().pointSize();
        messages = 0;
        for (int i = 0; i < row.events; ++i)
            wheel(*e, row.delta, row.mods);
        SCOPED_TRACE(testing::Message() << row.delta << " x " << row.events << " mods " << row.mods);
        EXPECT_EQ(e->TopRow(), 2 + row.pagesDown * page);
        EXPECT_EQ(e->BytesPerRow(), row.bytesPerRow);
        EXPECT_EQ(e->font().pointSize(), pointSize + row.fontStep);
        EXPECT_EQ(messages, row.messages);
    }
    setHexErrorHandler(nullptr);
}

TEST(HexWidget, HeldDragOutsideKeepsScrollingAndSelecting) {
    auto e = makeEditor(4096);
    mouse(*e, QEvent::MouseButtonPress, cellCenter(*e, 0, false), Qt::LeftButton);
    mouse(*e, QEvent::MouseMove, QPoint(cellCenter(*e, 0, false).x(), e->viewport()->height() + 20),
          Qt::LeftButton);
    const int32_t top = e->TopRow(), selected = e->SelCount();
    QElapsedTimer clock;
    clock.start();
    while (e->TopRow() < top + 3 && clock.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(e->TopRow(), top + 3);
    EXPECT_GT(e->SelCount(), selected);
    EXPECT_EQ(e->SelEnd() / 16 + 2, e->TopRow() + e->FullyVisibleRows() - 1);
    mouse(*e, QEvent::MouseButtonRelease, QPoint(10, e->viewport()->height() + 20), Qt::NoButton);
    const int32_t stopped = e->TopRow();
    for (clock.restart(); clock.elapsed() < 200;)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(e->TopRow(), stopped);
}

TEST(HexWidget, OneSelectionSignalPerBurstAfterEndUpdate) {
    auto e = makeEditor(64);
    int selections = 0, changes = 0;
    QApplication::processEvents();
    QObject::connect(e.get(), &TCustomHexEditor::selectionChanged, [&] { ++selections; });
    QObject::connect(e.get(), &TCustomHexEditor::changed, [&] { ++changes; });
    e->BeginUpdate();
    e->SetSelStart(2);
    e->SetSelEnd(5);
    const char buffer[4] = {1, 2, 3, 4};
    e->ReplaceSelection(buffer, 4, "", true);
    e->EndUpdate();
    EXPECT_EQ(selections, 0);
    EXPECT_GE(changes, 1);
    QApplication::processEvents();
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(e->SelEnd(), 2);
}

TEST(HexWidget, PaintsSelectionInvertedAndChangedBytes) {
    auto e = makeEditor(512);
    e->SetShowRuler(true);
    click(*e, cellCenter(*e, 3, false));
    type(*e, "ff");
    drag(*e, cellCenter(*e, 20, false), cellCenter(*e, 26, false));
    QApplication::processEvents();
    const QImage shot = e->grab().toImage();
    const QColor background = e->Colors().ActiveFieldBackground();
    const QColor inverted = QColor::fromRgb(~background.rgb() & 0xFFFFFF);
    // The cell's corner holds the background only (the digit is drawn in the middle).
    const QRect cell = e->CellRect(2 + 2 * 6, 3);
    const QPoint corner = e->viewport()->mapTo(e.get(), cell.topLeft() + QPoint(0, 1));
    EXPECT_EQ(QColor(shot.pixel(corner)), inverted);
    const QRect changed = e->CellRect(2 + 2 * 3, 2);
    const QPoint changedCorner = e->viewport()->mapTo(e.get(), changed.topLeft() + QPoint(0, 1));
    EXPECT_EQ(QColor(shot.pixel(changedCorner)), e->Colors().ChangedBackground());
}

TEST(HexWidget, GreyOrHiddenSelectionWhenUnfocused) {
    auto e = makeEditor(64);
    e->SetSelStart(2);
    e->SetSelEnd(6);
    e->SetGraySelectionIfNotFocused(true);
    e->clearFocus();
    ASSERT_FALSE(e->hasFocus());
    const QRect cell = e->CellRect(2 + 2 * 3, 2);
    const QPoint corner = e->viewport()->mapTo(e.get(), cell.topLeft() + QPoint(0, 1));
    const QColor inverted = QColor::fromRgb(~e->Colors().Background().rgb() & 0xFFFFFF);
    const int grey = (inverted.red() * 74 + inverted.green() * 146 + inverted.blue() * 36) >> 8;
    EXPECT_EQ(QColor(e->grab().toImage().pixel(corner)), QColor(grey, grey, grey));
    e->SetHideSelection(true);
    EXPECT_EQ(QColor(e->grab().toImage().pixel(corner)), e->Colors().Background());
}

TEST(HexWidget, DrawCellHookAndBookmarkIcons) {
    auto e = makeEditor(64);
    EXPECT_EQ(expectThrowMessage([&] { e->SetBookmarkBitmap(QPixmap(10, 10)); }),
              "Invalid bookmark bitmap (must be 10 x 200 px)");
    QPixmap icons(200, 10);
    icons.fill(QColor(255, 0, 0));
    e->SetBookmarkBitmap(icons);
    e->SetBookmark(4, 20, false);
    int gutterCells = 0;
    e->OnDrawCell = [&](QPainter&, int col, int32_t, QString& text, const QRect&, bool&) {
        if (col == 0 && !text.isEmpty()) ++gutterCells;
        if (col == 2) text = "Z";
    };
    const QImage shot = e->grab().toImage();
    EXPECT_GE(gutterCells, 4);
    const QRect gutter = e->CellRect(0, 3);
    const QPoint icon =
        e->viewport()->mapTo(e.get(), QPoint(3 + 5, gutter.top() + (gutter.height() - 10) / 2 + 5));
    EXPECT_EQ(QColor(shot.pixel(icon)), QColor(255, 0, 0));
}

TEST(HexWidget, ScrollingSidewaysMovesTheTopLeftCell) {
    auto e = makeEditor(16 * 200);
    e->SetBytesPerRow(64);
    int topLeftChanges = 0;
    QObject::connect(e.get(), &TCustomHexEditor::topLeftChanged, [&] { ++topLeftChanges; });
    e->horizontalScrollBar()->setValue(e->CharWidth() * 4);
    EXPECT_EQ(topLeftChanges, 1);
}

TEST(HexWidget, GridLinesBlocksAndUnicodeLayout) {
    auto e = makeEditor(256);
    e->SetDrawGridLines(true);
    e->SetDrawGutter3D(false);
    e->SetShowRuler(true);
    e->SetBytesPerBlock(4);
    e->SetUnicodeChars(true);
    e->SetInsertMode(true);
    e->Colors().SetGrid(QColor(0, 160, 0));
    QApplication::processEvents();
    const QImage shot = e->grab().toImage();
    const QRect cell = e->CellRect(4, 3);
    EXPECT_EQ(QColor(shot.pixel(e->viewport()->mapTo(e.get(), QPoint(cell.center().x(), cell.bottom())))),
              QColor(0, 160, 0));
    // Blocks of four bytes widen the cell that ends each block by one character.
    EXPECT_EQ(e->ColumnWidth(2 + 7), 3 * e->CharWidth());
    EXPECT_EQ(e->ColumnWidth(2 + 5), e->CharWidth());
    // The gutter edge is a single grid line without the 3D look.
    const int gutter = e->ColumnWidth(0);
    EXPECT_EQ(QColor(shot.pixel(e->viewport()->mapTo(e.get(), QPoint(gutter - 1, cell.center().y())))),
              QColor(0, 160, 0));
}
