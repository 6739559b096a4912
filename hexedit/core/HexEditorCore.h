// The hex editor's model: bytes, caret cell, selection, changed marks, bookmarks, undo and the key and
// typing commands. It knows the grid's cell formulas but no pixels; the widget paints and forwards input.
#pragma once

#include "HexCoreTypes.h"
#include "HexMemoryStream.h"
#include "HexOffsetFormat.h"
#include "HexUndoStorage.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

enum class HexKey {
    Shift,
    Tab,
    T,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Insert,
    Back,
    Delete,
    Digit,
    A,
    Z
};

namespace hexmod {
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
} // namespace hexmod

class THexEditorCore {
public:
    THexEditorCore();
    virtual ~THexEditorCore() = default;
    THexEditorCore(const THexEditorCore&) = delete;
    THexEditorCore& operator=(const THexEditorCore&) = delete;

    // Events.
    std::function<void()> OnChange;
    std::function<void()> OnSelectionChanged;
    std::function<void()> OnBookmarkChanged;
    std::function<void()> OnInvalidKey;
    std::function<void()> OnTopLeftChanged;
    std::function<void(THexProgressKind kind, const std::string& name, int percent, bool& cancel)> OnProgress;
    std::function<std::string(int64_t number, bool widest)> OnGetOffsetText;

    // Hooks of the view. PostSelectionChanged must arrange a later call of DeliverSelectionChanged.
    std::function<void()> PostSelectionChanged;
    std::function<void(int32_t firstPos, int32_t lastPos)> RepaintRange;
    std::function<void()> RepaintAll;
    std::function<void()> LayoutChanged;
    std::function<void()> CaretMoved;

    // Buffer access.
    int32_t DataSize() const { return m_data.Size(); }
    uint8_t GetData(int32_t index) const { return *m_data.GetAddress(index, 1); }
    void SetData(int32_t index, uint8_t value);
    const uint8_t* GetFastPointer(int32_t index, int32_t count) const {
        return m_data.GetAddress(index, count);
    }
    void ReadBuffer(void* buffer, int32_t pos, int32_t count) const;
    virtual void WriteBuffer(const void* buffer, int32_t pos, int32_t count);
    std::string GetSelectionAsString() const;
    const std::vector<uint8_t>& bytes() const { return m_data.bytes(); }

    void LoadFromStream(std::istream& stream);
    // Loads size bytes pulled from read(buffer, count), which answers the bytes it delivered.
    void LoadFromReader(int64_t size, const std::function<int64_t(uint8_t*, int64_t)>& read);
    void LoadFromBuffer(const void* buffer, int64_t size);
    virtual void CreateEmptyFile(const std::string& name);
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    bool Modified() const { return m_modified; }
    void SetModified(bool value) { m_modified = value; }

    // Selection.
    int32_t SelStart() const;
    int32_t SelEnd() const;
    int32_t SelCount() const { return m_selAnchorEnd < 0 ? 0 : m_selUpper - m_selLower + 1; }
    void SetSelStart(int32_t pos);
    void SetSelEnd(int32_t pos);
    void SetSelection(int32_t anchor, int32_t other);
    void ResetSelection(bool repaint);
    void SelectAll();
    int32_t Seek(int32_t offset, int origin);
    bool HasSelection() const { return m_selAnchorEnd >= 0; }
    int32_t SelLower() const { return m_selLower; }
    int32_t SelUpper() const { return m_selUpper; }
    bool IsSelected(int32_t pos) const { return HasSelection() && pos >= m_selLower && pos <= m_selUpper; }

    // Editing with undo.
    void InsertBuffer(const void* buffer, int32_t size, int32_t position, const std::string& description,
                      bool moveCaret);
    void AppendBuffer(const void* buffer, int32_t size, const std::string& description, bool moveCaret);
    void ReplaceSelection(const void* buffer, int32_t size, const std::string& description, bool moveCaret);
    void DeleteSelection(const std::string& description);
    void CreateUndo(THexUndoKind kind, int32_t position, int32_t count, int32_t replaceCount,
                    const std::string& description);
    virtual bool CanCreateUndo(THexUndoKind kind, int32_t count, int32_t replaceCount) const;
    void Undo();
    void Redo();
    bool CanUndo() const { return !m_readOnlyView && m_undo.CanUndo(); }
    bool CanRedo() const { return !m_readOnlyView && m_undo.CanRedo(); }
    void ResetUndo() { m_undo.Reset(true); }
    virtual void UndoBeginUpdate() { m_undo.BeginUpdate(); }
    virtual void UndoEndUpdate() { m_undo.EndUpdate(); }
    const std::string& UndoDescription() const { return m_undo.Description(); }
    THexUndoStorage& UndoStorage() { return m_undo; }
    // Merges the last count records into one "Multiple modification" record (a move by dragging).
    void GroupUndo(int32_t count, const std::string& description);

    // Changed marks.
    bool IsChanged(int32_t pos) const {
        return pos >= 0 && pos < static_cast<int32_t>(m_changed.size()) && m_changed[pos];
    }
    void SetChanged(int32_t pos, bool value);

    // Bookmarks.
    void SetBookmark(int index, int32_t position, bool inCharField);
    bool GotoBookmark(int index);
    const THexBookmark& Bookmark(int index) const { return m_bookmarks.at(static_cast<size_t>(index)); }
    const THexBookmarks& Bookmarks() const { return m_bookmarks; }

    // Keyboard.
    void KeyDown(HexKey key, int modifiers, int digit = 0);
    void KeyPress(char16_t ch);
    // Modifier and button state that the cell check consults.
    bool ShiftDown = false;
    bool LeftButtonDown = false;

    // Grid geometry: columns 0/1 are gutter and separator, rows 0/1 ruler and an empty row.
    int NibbleCount() const { return 2 * m_bytesPerRow; }
    int ColCount() const;
    int32_t RowCount() const;
    bool IsCharColumn(int col) const { return col > NibbleCount() + 2; }
    int32_t PositionOfCell(int col, int32_t row) const;
    void CellOfPosition(int32_t pos, bool inCharField, int& col, int32_t& row) const;
    int OtherFieldColumn(int col) const;
    bool IsSecondNibbleCell(int col) const { return !IsCharColumn(col) && col >= 2 && (col - 2) % 2 == 1; }
    bool ShowsLowNibble(int col) const { return IsSecondNibbleCell(col) != m_swapNibbles; }

    // The cell check: every move of the caret cell passes here. Answers whether the cell became current.
    bool SelectCell(int col, int32_t row);
    int CaretCol() const { return m_col; }
    int32_t CaretRow() const { return m_row; }
    int32_t CaretPosition() const { return PositionOfCell(m_col, m_row); }
    bool InCharField() const { return IsCharColumn(m_col); }
    bool Selecting() const { return m_selecting; }
    void SetSelecting(bool value) { m_selecting = value; }
    // Starts a mouse selection at the current caret.
    void BeginMouseSelection();
    // Lets the next extension keep the anchor end of a selection that was not made by extending one (Select
    // All, an edit), so that it moves only the caret end.
    void AnchorExtensionAtSelection();

    // Scroll state the view keeps in step.
    int32_t TopRow() const { return m_topRow; }
    void SetTopRow(int32_t row);
    int32_t VisibleRows() const { return m_visibleRows; }
    void SetVisibleRows(int32_t rows) { m_visibleRows = rows < 1 ? 1 : rows; }

    // Deferred selection notification.
    void Changed();
    void SelectionChanged();
    void DeliverSelectionChanged();
    int32_t PendingSelectionChanges() const { return m_pendingSelectionChanges; }

    // Properties.
    int BytesPerRow() const { return m_bytesPerRow; }
    void SetBytesPerRow(int value);
    int BytesPerColumn() const { return m_bytesPerColumn; }
    void SetBytesPerColumn(int value);
    int BytesPerUnit() const { return m_bytesPerUnit; }
    void SetBytesPerUnit(int value);
    int RulerBytesPerUnit() const { return m_rulerBytesPerUnit; }
    void SetRulerBytesPerUnit(int value);
    int RulerUnit() const { return m_rulerBytesPerUnit == -1 ? m_bytesPerUnit : m_rulerBytesPerUnit; }
    int BytesPerBlock() const { return m_bytesPerBlock; }
    void SetBytesPerBlock(int value);
    bool SeparateBlocksInCharField() const { return m_separateBlocks; }
    void SetSeparateBlocksInCharField(bool value);
    THexTranslationKind Translation() const { return m_translation; }
    void SetTranslation(THexTranslationKind value);
    bool UnicodeChars() const { return m_unicode; }
    void SetUnicodeChars(bool value);
    bool UnicodeBigEndian() const { return m_bigEndian; }
    void SetUnicodeBigEndian(bool value);
    bool HexLowerCase() const { return m_lowerCase; }
    void SetHexLowerCase(bool value);
    bool SwapNibbles() const { return m_swapNibbles; }
    void SetSwapNibbles(bool value);
    char16_t MaskChar() const { return m_maskChar; }
    void SetMaskChar(char16_t value);
    bool NoSizeChange() const { return m_noSizeChange; }
    void SetNoSizeChange(bool value);
    bool EffectiveNoSizeChange() const { return m_noSizeChange && !m_sizeLockLifted; }
    void SetSizeLockLifted(bool value) { m_sizeLockLifted = value; }
    bool AllowInsertMode() const { return m_allowInsertMode; }
    void SetAllowInsertMode(bool value);
    bool InsertMode() const { return m_insertMode && CanInsertMode(); }
    void SetInsertMode(bool value);
    bool CanInsertMode() const { return !EffectiveNoSizeChange() && m_allowInsertMode && !m_readOnlyView; }
    bool ReadOnlyView() const { return m_readOnlyView; }
    void SetReadOnlyView(bool value);
    int32_t MaxUndo() const { return m_maxUndo; }
    void SetMaxUndo(int32_t value) { m_maxUndo = value; }
    bool ShowRuler() const { return m_showRuler; }
    void SetShowRuler(bool value);
    int RulerNumberBase() const { return m_rulerNumberBase; }
    void SetRulerNumberBase(int value);
    const std::string& OffsetFormat() const { return m_offsetFormat.Format; }
    void SetOffsetFormat(const std::string& text);
    const THexOffsetFormat& ParsedOffsetFormat() const { return m_offsetFormat; }
    bool Enabled = true;
    bool IsMasked(uint32_t code) const { return code < 256 && m_masked.test(code); }

    // Texts.
    virtual std::string GetOffsetString(int64_t number, bool widest = false);
    std::string GetAnyOffsetString(int64_t number);
    // The text of the widest offset; with an automatic width it also fixes the digit count.
    std::string WidestOffsetText();
    std::string HexRuler() const;
    std::string CharRuler() const;
    // The character shown in a character cell at pos (unicode mode: the unit starting there).
    char16_t TranslateFromData(int32_t pos) const;
    uint8_t TranslateToData(char16_t ch) const;
    char DigitChar(int value) const {
        return (m_lowerCase ? "0123456789abcdef" : "0123456789ABCDEF")[value & 15];
    }

protected:
    friend class THexUndoStorage;

    // Internal size changes (no undo).
    void MakeSpace(const void* buffer, int32_t count, int32_t position);
    void InternalAppend(const void* buffer, int32_t count);
    void InternalDelete(int32_t start, int32_t end, int col, int32_t row);
    void ResizeGrid();
    void CutChangedMarks(int32_t position);
    void SetSelectionValues(int32_t anchor, int32_t lower, int32_t upper);
    void PlaceCaret(int col, int32_t row);
    void PlaceCaretAtPosition(int32_t pos, bool inCharField, bool secondCell = false);
    void RepaintPositions(int32_t first, int32_t last);
    void RepaintEverything();
    void BookmarkChanged();
    void MoveBookmarks(int32_t from, int32_t delta, int32_t newSize);
    void OverwriteTyped(int32_t pos, const uint8_t* bytes, int32_t count);
    void DeleteAtCaret();
    void DeleteBeforeCaret();
    void MoveLeft();
    void MoveRight();
    void MoveCaretTo(int col, int32_t row);
    int32_t LastCaretPosition() const { return InsertMode() ? DataSize() : DataSize() - 1; }
    void CopyWithProgress(int64_t count, THexProgressKind kind,
                          const std::function<void(int64_t, int64_t)>& step);
    void ShiftNibblesRight(int32_t position);
    void ShiftNibblesLeft(int32_t position);
    void StoreTranslation(THexTranslationKind kind) { m_translation = kind; }
    void StoreBytesPerUnit(int value);
    void StoreUnicode(bool unicode, bool bigEndian);
    void UpdateFormatUnit();

    THexMemoryStream m_data;
    std::string m_fileName = "---";
    std::vector<bool> m_changed;
    int m_col = 2;
    int32_t m_row = 2;
    int32_t m_selLower = -1, m_selUpper = -1, m_selAnchorEnd = -1;
    bool m_selecting = false;
    int32_t m_selAnchor = -1;
    bool m_cellGuard = true;
    bool m_modified = false;
    THexBookmarks m_bookmarks{};
    std::bitset<256> m_masked;
    THexUndoStorage m_undo{*this};
    int32_t m_pendingSelectionChanges = 0;
    bool m_inOffsetHook = false;
    int32_t m_topRow = 2;
    int32_t m_visibleRows = 1;

    int m_bytesPerRow = 16;
    int m_bytesPerColumn = 2;
    int m_bytesPerUnit = 1;
    int m_rulerBytesPerUnit = -1;
    int m_bytesPerBlock = -1;
    bool m_separateBlocks = true;
    THexTranslationKind m_translation = tkAsIs;
    bool m_unicode = false;
    bool m_bigEndian = false;
    bool m_lowerCase = false;
    bool m_swapNibbles = false;
    char16_t m_maskChar = u'.';
    bool m_noSizeChange = false;
    bool m_sizeLockLifted = false;
    bool m_allowInsertMode = true;
    bool m_insertMode = false;
    bool m_readOnlyView = false;
    int32_t m_maxUndo = 1048576;
    bool m_showRuler = false;
    int m_rulerNumberBase = 16;
    THexOffsetFormat m_offsetFormat;
};
