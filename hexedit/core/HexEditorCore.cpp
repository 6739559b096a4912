#include "HexEditorCore.h"

#include "HexTranslation.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <limits>

namespace {
constexpr int64_t CopyChunk = 61440;

int32_t roundDown(int32_t value, int unit) {
    return value < 0 ? value : value - value % unit;
}
bool validUnit(int value) {
    return value == 1 || value == 2 || value == 4 || value == 8;
}
} // namespace

THexEditorCore::THexEditorCore() {
    for (int i = 0; i < 32; ++i)
        m_masked.set(static_cast<size_t>(i));
    m_offsetFormat = parseOffsetFormat("-!10:0x|", m_bytesPerRow, m_bytesPerColumn, RulerUnit());
}

// ---- buffer access -------------------------------------------------------------------------------------

void THexEditorCore::SetData(int32_t index, uint8_t value) {
    *m_data.GetAddress(index, 1) = value;
    RepaintPositions(index, index);
    Changed();
}

void THexEditorCore::ReadBuffer(void* buffer, int32_t pos, int32_t count) const {
    if (count == 0) return;
    std::copy_n(m_data.GetAddress(pos, count), count, static_cast<uint8_t*>(buffer));
}

void THexEditorCore::WriteBuffer(const void* buffer, int32_t pos, int32_t count) {
    if (count == 0) return;
    std::copy_n(static_cast<const uint8_t*>(buffer), count, m_data.GetAddress(pos, count));
    RepaintPositions(pos, pos + count - 1);
    Changed();
}

std::string THexEditorCore::GetSelectionAsString() const {
    if (DataSize() == 0 || SelCount() == 0) return {};
    const uint8_t* p = m_data.GetAddress(m_selLower, SelCount());
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(SelCount()));
}

void THexEditorCore::CopyWithProgress(int64_t count, THexProgressKind kind,
                                      const std::function<void(int64_t, int64_t)>& step) {
    int lastPercent = -1;
    int64_t done = 0;
    while (done < count) {
        const int64_t remaining = count - done;
        int percent =
            static_cast<int>(std::lround(100.0 * static_cast<double>(done) / static_cast<double>(count)));
        if (remaining <= CopyChunk) percent = 100;
        if (percent != lastPercent || remaining <= CopyChunk) {
            lastPercent = percent;
            if (OnProgress) {
                bool cancel = false;
                OnProgress(kind, m_fileName, percent, cancel);
                if (cancel) throw EHexEditor(hexmsg::Cancelled);
            }
        }
        const int64_t chunk = std::min(remaining, CopyChunk);
        step(done, chunk);
        done += chunk;
    }
}

void THexEditorCore::LoadFromReader(int64_t size, const std::function<int64_t(uint8_t*, int64_t)>& read) {
    if (size < 0 || size > std::numeric_limits<int32_t>::max()) throw EHexEditor(hexmsg::OutOfBounds);
    m_data.SetSize(0);
    ResizeGrid();
    m_data.Position = 0;
    m_data.SetSize(size);
    int64_t delivered = 0;
    try {
        CopyWithProgress(size, pkLoad, [&](int64_t offset, int64_t chunk) {
            const int64_t got = read(m_data.bytes().data() + offset, chunk);
            delivered += got < 0 ? 0 : got;
            if (got < chunk) throw EHexEditor(hexmsg::OutOfBounds);
        });
    } catch (...) {
        // A short source leaves only what arrived.
        m_data.SetSize(delivered);
        ResizeGrid();
        Changed();
        throw;
    }
    m_data.Position = 0;
    if (m_undo.UpdateCount() < 1) m_undo.Reset(true);
    m_changed.clear();
    ResizeGrid();
    m_modified = false;
    m_selecting = false;
    m_selAnchor = -1;
    m_selLower = m_selUpper = m_selAnchorEnd = -1;
    PlaceCaret(2, 2);
    RepaintEverything();
    Changed();
}

void THexEditorCore::LoadFromStream(std::istream& stream) {
    stream.clear();
    stream.seekg(0, std::ios::end);
    const int64_t size = static_cast<int64_t>(stream.tellg());
    stream.seekg(0, std::ios::beg);
    LoadFromReader(size < 0 ? 0 : size, [&](uint8_t* buffer, int64_t count) {
        stream.read(reinterpret_cast<char*>(buffer), count);
        return static_cast<int64_t>(stream.gcount());
    });
}

void THexEditorCore::LoadFromBuffer(const void* buffer, int64_t size) {
    const uint8_t* source = static_cast<const uint8_t*>(buffer);
    int64_t offset = 0;
    LoadFromReader(size, [&](uint8_t* target, int64_t count) {
        std::copy_n(source + offset, count, target);
        offset += count;
        return count;
    });
}

void THexEditorCore::CreateEmptyFile(const std::string& name) {
    m_data.SetSize(0);
    m_data.Position = 0;
    m_fileName = name.empty() ? hexmsg::Untitled : name;
    m_undo.Reset(true);
    m_selecting = false;
    m_selAnchor = -1;
    m_selLower = m_selUpper = m_selAnchorEnd = -1;
    m_changed.clear();
    m_modified = false;
    ResizeGrid();
    PlaceCaret(2, 2);
    RepaintEverything();
    Changed();
}

// ---- selection ------------------------------------------------------------------------------------------

int32_t THexEditorCore::SelStart() const {
    return m_selAnchorEnd >= 0 ? m_selAnchorEnd : CaretPosition();
}

int32_t THexEditorCore::SelEnd() const {
    if (m_selAnchorEnd < 0) return CaretPosition();
    return m_selAnchorEnd == m_selUpper ? m_selLower : m_selUpper;
}

void THexEditorCore::SetSelectionValues(int32_t anchor, int32_t lower, int32_t upper) {
    auto clamp = [this](int32_t v) { return std::clamp(v, -1, std::max(-1, DataSize() - 1)); };
    m_selAnchorEnd = clamp(anchor);
    m_selLower = clamp(lower);
    m_selUpper = clamp(upper);
    if (m_selAnchorEnd < 0 || m_selLower < 0 || m_selUpper < m_selLower)
        m_selAnchorEnd = m_selLower = m_selUpper = -1;
}

void THexEditorCore::SetSelStart(int32_t pos) {
    if (pos < 0 || pos >= DataSize()) throw EHexEditor(hexmsg::InvalidSelStart);
    ResetSelection(true);
    PlaceCaretAtPosition(pos, InCharField());
    SelectionChanged();
}

void THexEditorCore::SetSelEnd(int32_t pos) {
    if (pos < -1 || pos >= DataSize()) throw EHexEditor(hexmsg::InvalidSelEnd);
    ResetSelection(true);
    if (pos == -1) return;
    SetSelection(CaretPosition(), pos);
}

void THexEditorCore::SetSelection(int32_t anchor, int32_t other) {
    if (DataSize() == 0) return;
    const int u = m_bytesPerUnit;
    const int32_t oldLower = m_selLower, oldUpper = m_selUpper;
    int32_t lower = roundDown(std::clamp(std::min(anchor, other), 0, DataSize() - 1), u);
    int32_t upper = roundDown(std::clamp(std::max(anchor, other), 0, DataSize() - 1), u);
    upper = std::min<int32_t>(upper + u - 1, DataSize() - 1);
    SetSelectionValues(anchor <= other ? lower : upper, lower, upper);
    if (oldLower >= 0) RepaintPositions(oldLower, oldUpper);
    RepaintPositions(lower, upper);
    SelectionChanged();
}

void THexEditorCore::ResetSelection(bool repaint) {
    const int32_t oldLower = m_selLower, oldUpper = m_selUpper;
    m_selLower = m_selUpper = m_selAnchorEnd = -1;
    m_selecting = false;
    m_selAnchor = -1;
    if (repaint && oldLower >= 0) RepaintPositions(oldLower, oldUpper);
}

void THexEditorCore::SelectAll() {
    if (DataSize() == 0) return;
    PlaceCaretAtPosition(LastCaretPosition(), InCharField());
    SetSelection(0, DataSize() - 1);
}

int32_t THexEditorCore::Seek(int32_t offset, int origin) {
    if (DataSize() == 0) return -1;
    int64_t target = offset;
    if (origin == 1)
        target += CaretPosition();
    else if (origin == 2)
        target += DataSize() - 1;
    const int32_t result = static_cast<int32_t>(std::clamp<int64_t>(target, 0, DataSize() - 1));
    SetSelStart(result);
    return result;
}

// ---- editing with undo ----------------------------------------------------------------------------------

bool THexEditorCore::CanCreateUndo(THexUndoKind kind, int32_t count, int32_t replaceCount) const {
    bool allowed = true;
    if (DataSize() == 0) allowed = kind == ukInsert || kind == ukAppend || kind == ukAllDataSaved;
    if (allowed && EffectiveNoSizeChange()) {
        switch (kind) {
        case ukDelete:
        case ukInsert:
        case ukAppend:
        case ukNibbleInsert:
        case ukNibbleDelete:
            allowed = false;
            break;
        case ukReplace:
            allowed = count == replaceCount;
            break;
        default:
            break;
        }
    }
    if (!allowed && kind == ukGroup) allowed = count <= m_undo.Count();
    return allowed;
}

void THexEditorCore::CreateUndo(THexUndoKind kind, int32_t position, int32_t count, int32_t replaceCount,
                                const std::string& description) {
    if (!CanCreateUndo(kind, count, replaceCount)) throw EHexEditor(hexmsg::CannotUndo);
    if (m_undo.UpdateCount() == 0) m_undo.CreateUndo(kind, position, count, replaceCount, description);
    m_modified = true;
}

void THexEditorCore::InsertBuffer(const void* buffer, int32_t size, int32_t position,
                                  const std::string& description, bool moveCaret) {
    m_data.CheckBounds(position);
    if (size <= 0) return;
    if (static_cast<int64_t>(DataSize()) + size > std::numeric_limits<int32_t>::max())
        throw EHexEditor(hexmsg::OutOfBounds);
    CreateUndo(ukInsert, position, size, 0, description);
    MakeSpace(buffer, size, position);
    CutChangedMarks(position);
    if (Enabled) {
        SetSelectionValues(position, position, position + size - 1);
        if (moveCaret) {
            PlaceCaretAtPosition(position + size - 1, InCharField());
            SetSelectionValues(position, position, position + size - 1);
        }
    }
    RepaintEverything();
    Changed();
}

void THexEditorCore::AppendBuffer(const void* buffer, int32_t size, const std::string& description,
                                  bool moveCaret) {
    if (!buffer || size <= 0) return;
    if (static_cast<int64_t>(DataSize()) + size > std::numeric_limits<int32_t>::max())
        throw EHexEditor(hexmsg::OutOfBounds);
    const int32_t oldSize = DataSize();
    CreateUndo(ukAppend, oldSize, size, 0, description);
    InternalAppend(buffer, size);
    if (moveCaret) PlaceCaretAtPosition(oldSize, InCharField());
    SetSelectionValues(oldSize, oldSize, oldSize + size - 1);
    RepaintEverything();
    Changed();
}

void THexEditorCore::ReplaceSelection(const void* buffer, int32_t size, const std::string& description,
                                      bool moveCaret) {
    if (!HasSelection()) {
        InsertBuffer(buffer, size, CaretPosition(), description, moveCaret);
        return;
    }
    if (size < 0) throw EHexEditor(hexmsg::OutOfBounds);
    if (EffectiveNoSizeChange()) {
        if (size == 0) return;
        if (size > SelCount())
            size = SelCount();
        else if (size < SelCount())
            m_selUpper = m_selLower + size - 1, m_selAnchorEnd = m_selLower;
    }
    const int32_t lower = m_selLower;
    const int32_t oldCount = SelCount();
    if (static_cast<int64_t>(DataSize()) - oldCount + size > std::numeric_limits<int32_t>::max())
        throw EHexEditor(hexmsg::OutOfBounds);
    const bool inChar = InCharField();
    CreateUndo(ukReplace, lower, size, oldCount, description);
    auto& bytes = m_data.bytes();
    const uint8_t* source = static_cast<const uint8_t*>(buffer);
    bytes.erase(bytes.begin() + lower, bytes.begin() + lower + oldCount);
    bytes.insert(bytes.begin() + lower, source, source + size);
    CutChangedMarks(lower);
    ResizeGrid();
    if (moveCaret && size > 0) {
        PlaceCaretAtPosition(lower + size - 1, inChar);
        SetSelectionValues(lower + size - 1, lower, lower + size - 1);
    } else {
        ResetSelection(false);
        PlaceCaretAtPosition(std::min(lower, LastCaretPosition()), inChar);
    }
    RepaintEverything();
    Changed();
}

void THexEditorCore::DeleteSelection(const std::string& description) {
    if (DataSize() == 0) return;
    int32_t lower = CaretPosition(), upper = lower;
    if (HasSelection()) lower = m_selLower, upper = m_selUpper;
    if (lower >= DataSize()) return;
    upper = std::min(upper, DataSize() - 1);
    CreateUndo(ukDelete, lower, upper - lower + 1, 0, description);
    int col;
    int32_t row;
    CellOfPosition(lower, InCharField(), col, row);
    InternalDelete(lower, upper + 1, col, row);
    Changed();
}

void THexEditorCore::Undo() {
    if (m_readOnlyView) return;
    m_undo.Undo();
}

void THexEditorCore::Redo() {
    if (m_readOnlyView || !m_undo.CanRedo()) return;
    m_undo.Redo();
    Changed();
}

void THexEditorCore::GroupUndo(int32_t count, const std::string& description) {
    CreateUndo(ukGroup, 0, count, 0, description);
}

// ---- internal size changes ------------------------------------------------------------------------------

void THexEditorCore::MakeSpace(const void* buffer, int32_t count, int32_t position) {
    if (DataSize() == 0) {
        m_data.Position = 0;
        m_changed.clear();
    }
    m_data.CheckBounds(position);
    auto& bytes = m_data.bytes();
    if (buffer) {
        const uint8_t* source = static_cast<const uint8_t*>(buffer);
        bytes.insert(bytes.begin() + position, source, source + count);
    } else {
        bytes.insert(bytes.begin() + position, static_cast<size_t>(count), uint8_t(0));
    }
    ResizeGrid();
}

void THexEditorCore::InternalAppend(const void* buffer, int32_t count) {
    if (DataSize() == 0) {
        m_data.Position = 0;
        m_changed.clear();
    }
    const int32_t oldSize = DataSize();
    m_data.SetSize(static_cast<int64_t>(oldSize) + count);
    if (buffer) std::copy_n(static_cast<const uint8_t*>(buffer), count, m_data.bytes().data() + oldSize);
    ResizeGrid();
}

void THexEditorCore::InternalDelete(int32_t start, int32_t end, int col, int32_t row) {
    if (DataSize() == 0) {
        m_data.Position = 0;
        m_changed.clear();
        return;
    }
    start = std::clamp(start, 0, DataSize());
    end = std::clamp(end, start, DataSize());
    auto& bytes = m_data.bytes();
    bytes.erase(bytes.begin() + start, bytes.begin() + end);
    // The marks from here on belonged to bytes that moved; the undo and redo of a delete cut them alike.
    CutChangedMarks(start);
    ResizeGrid();
    const bool inChar = IsCharColumn(col);
    if (DataSize() == 0)
        PlaceCaret(inChar ? NibbleCount() + 3 : 2, 2);
    else if (PositionOfCell(col, row) > LastCaretPosition())
        PlaceCaretAtPosition(LastCaretPosition(), inChar);
    else
        PlaceCaret(col, row);
    ResetSelection(false);
    RepaintEverything();
}

void THexEditorCore::ResizeGrid() {
    if (m_changed.size() > static_cast<size_t>(DataSize())) m_changed.resize(static_cast<size_t>(DataSize()));
    if (m_row >= RowCount()) m_row = RowCount() - 1;
    if (m_col >= ColCount()) m_col = ColCount() - 1;
    if (m_topRow >= RowCount()) m_topRow = std::max(2, RowCount() - 1);
    if (LayoutChanged) LayoutChanged();
}

void THexEditorCore::CutChangedMarks(int32_t position) {
    if (position >= 0 && m_changed.size() > static_cast<size_t>(position))
        m_changed.resize(static_cast<size_t>(position));
}

void THexEditorCore::SetChanged(int32_t pos, bool value) {
    if (pos < 0 || pos >= DataSize()) return;
    if (value) {
        if (m_changed.size() <= static_cast<size_t>(pos)) m_changed.resize(static_cast<size_t>(pos) + 1);
        m_changed[static_cast<size_t>(pos)] = true;
    } else if (static_cast<size_t>(pos) < m_changed.size()) {
        m_changed[static_cast<size_t>(pos)] = false;
    }
}

// ---- caret and cells ------------------------------------------------------------------------------------

int THexEditorCore::ColCount() const {
    return m_unicode ? 2 * m_bytesPerRow + m_bytesPerRow / 2 + 3 : 3 * m_bytesPerRow + 3;
}

int32_t THexEditorCore::RowCount() const {
    if (DataSize() == 0) return 3;
    int32_t rows = 2 + (DataSize() + m_bytesPerRow - 1) / m_bytesPerRow;
    if (DataSize() % m_bytesPerRow == 0 && InsertMode()) ++rows;
    return rows;
}

int32_t THexEditorCore::PositionOfCell(int col, int32_t row) const {
    const int n = NibbleCount();
    int64_t j;
    if (col > n + 2) {
        j = col - (n + 3);
        if (m_unicode) j *= 2;
    } else {
        j = (col - 2) / 2;
    }
    const int64_t pos = j + static_cast<int64_t>(row - 2) * m_bytesPerRow;
    return static_cast<int32_t>(std::clamp<int64_t>(pos, 0, std::numeric_limits<int32_t>::max()));
}

void THexEditorCore::CellOfPosition(int32_t pos, bool inCharField, int& col, int32_t& row) const {
    if (pos < 0) {
        col = 2;
        row = 2;
        return;
    }
    row = pos / m_bytesPerRow + 2;
    const int j = pos % m_bytesPerRow;
    if (inCharField)
        col = (m_unicode ? j / 2 : j) + NibbleCount() + 3;
    else
        col = 2 * j + 2;
}

int THexEditorCore::OtherFieldColumn(int col) const {
    const int n = NibbleCount();
    if (IsCharColumn(col)) return (col - (n + 3)) * (m_unicode ? 4 : 2) + 2;
    return (col - 2) / (m_unicode ? 4 : 2) + n + 3;
}

void THexEditorCore::PlaceCaret(int col, int32_t row) {
    const int oldCol = m_col;
    const int32_t oldRow = m_row;
    m_col = std::clamp(col, 2, ColCount() - 1);
    if (m_col == NibbleCount() + 2) m_col = NibbleCount() + 1;
    m_row = std::clamp(row, 2, RowCount() - 1);
    if (RepaintRange && (oldCol != m_col || oldRow != m_row)) {
        if (IsCharColumn(oldCol) != IsCharColumn(m_col))
            RepaintEverything();
        else {
            RepaintPositions(PositionOfCell(oldCol, oldRow), PositionOfCell(oldCol, oldRow));
            RepaintPositions(CaretPosition(), CaretPosition());
        }
    }
    if (CaretMoved) CaretMoved();
}

void THexEditorCore::PlaceCaretAtPosition(int32_t pos, bool inCharField, bool secondCell) {
    pos = std::clamp(pos, 0, std::max(0, LastCaretPosition()));
    int col;
    int32_t row;
    CellOfPosition(pos, inCharField, col, row);
    if (secondCell && !inCharField) ++col;
    PlaceCaret(col, row);
}

bool THexEditorCore::SelectCell(int col, int32_t row) {
    const int n = NibbleCount();
    if (DataSize() == 0) {
        const int first = IsCharColumn(col) ? n + 3 : 2;
        PlaceCaret(first, 2);
        return col == first && row == 2;
    }
    if (!m_cellGuard) {
        PlaceCaret(col, row);
        return true;
    }
    if (col < 2 || row < 2 || col >= ColCount() || row >= RowCount()) return false;
    m_cellGuard = false;
    struct GuardRestore {
        bool& guard;
        ~GuardRestore() { guard = true; }
    } restore{m_cellGuard};

    if (!ShiftDown && !LeftButtonDown) ResetSelection(true);
    if (col == n + 2) {
        if (!LeftButtonDown) return false;
        col = n + 1;
    }
    bool inChar = IsCharColumn(col);
    int32_t pos = PositionOfCell(col, row);
    if (pos >= DataSize()) {
        const bool allowed = InsertMode() && pos == DataSize() && (inChar || (col - 2) % 2 == 0);
        if (!allowed) {
            pos = LastCaretPosition();
            CellOfPosition(pos, inChar, col, row);
        }
    }
    const int32_t oldPos = CaretPosition();
    if (m_selecting) {
        if (m_selAnchor == -1) m_selAnchor = oldPos;
        const int u = m_bytesPerUnit;
        if (!InsertMode()) {
            SetSelection(m_selAnchor, std::min(pos, DataSize() - 1));
        } else {
            const int32_t a = roundDown(m_selAnchor, u), t = roundDown(pos, u);
            if (a == t) {
                const int32_t oldLower = m_selLower, oldUpper = m_selUpper;
                m_selLower = m_selUpper = m_selAnchorEnd = -1;
                if (oldLower >= 0) RepaintPositions(oldLower, oldUpper);
                m_selAnchor = t;
            } else if (t > a) {
                SetSelection(a, t - u);
            } else {
                SetSelection(a - u, t);
            }
        }
    } else {
        ResetSelection(true);
    }
    PlaceCaret(col, row);
    SelectionChanged();
    return true;
}

void THexEditorCore::BeginMouseSelection() {
    ResetSelection(true);
    m_selecting = true;
    m_selAnchor = -1;
}

void THexEditorCore::AnchorExtensionAtSelection() {
    if (m_selAnchor != -1 || !HasSelection()) return;
    // In insert mode the caret stands between bytes: a selection anchored at its upper end began after it.
    const bool afterUpper = InsertMode() && m_selAnchorEnd == m_selUpper && m_selUpper != m_selLower;
    m_selAnchor = afterUpper ? m_selUpper + 1 : m_selAnchorEnd;
}

void THexEditorCore::MoveCaretTo(int col, int32_t row) {
    SelectCell(col, std::clamp(row, 2, RowCount() - 1));
}

void THexEditorCore::SetTopRow(int32_t row) {
    const int32_t lastTop = std::max(2, RowCount() - m_visibleRows);
    row = std::clamp(row, 2, lastTop);
    if (row == m_topRow) return;
    m_topRow = row;
    if (OnTopLeftChanged) OnTopLeftChanged();
}

// ---- notifications --------------------------------------------------------------------------------------

void THexEditorCore::Changed() {
    if (OnChange) OnChange();
    SelectionChanged();
}

void THexEditorCore::SelectionChanged() {
    if (m_pendingSelectionChanges == 0 && PostSelectionChanged) PostSelectionChanged();
    ++m_pendingSelectionChanges;
}

void THexEditorCore::DeliverSelectionChanged() {
    if (m_pendingSelectionChanges == 0) return;
    struct Clear {
        int32_t& count;
        ~Clear() { count = 0; }
    } clear{m_pendingSelectionChanges};
    if (OnSelectionChanged) OnSelectionChanged();
}

void THexEditorCore::RepaintPositions(int32_t first, int32_t last) {
    if (RepaintRange) RepaintRange(std::min(first, last), std::max(first, last));
}

void THexEditorCore::RepaintEverything() {
    if (RepaintAll) RepaintAll();
}

void THexEditorCore::BookmarkChanged() {
    RepaintEverything();
    if (OnBookmarkChanged) OnBookmarkChanged();
}

// ---- bookmarks ------------------------------------------------------------------------------------------

void THexEditorCore::SetBookmark(int index, int32_t position, bool inCharField) {
    if (index < 0 || index > 9) throw EHexEditor(hexmsg::InvalidBookmark);
    THexBookmark& b = m_bookmarks[static_cast<size_t>(index)];
    if (b.Position == position && (b.InCharField != 0) == inCharField)
        b.Position = -1;
    else
        b = THexBookmark{position, static_cast<uint8_t>(inCharField ? 1 : 0)};
    BookmarkChanged();
}

bool THexEditorCore::GotoBookmark(int index) {
    if (index < 0 || index > 9) throw EHexEditor(hexmsg::InvalidBookmark);
    THexBookmark& b = m_bookmarks[static_cast<size_t>(index)];
    if (b.Position < 0) return false;
    if (b.Position > DataSize() || (b.Position == DataSize() && !InsertMode())) {
        b.Position = -1;
        BookmarkChanged();
        return false;
    }
    ResetSelection(true);
    PlaceCaretAtPosition(b.Position, b.InCharField != 0);
    SelectionChanged();
    return true;
}

void THexEditorCore::MoveBookmarks(int32_t from, int32_t delta, int32_t newSize) {
    if (delta == 0) return;
    bool moved = false;
    for (THexBookmark& b : m_bookmarks) {
        if (b.Position < 0 || b.Position < from) continue;
        const int64_t target = static_cast<int64_t>(b.Position) + delta;
        b.Position = target < 0 || target > newSize ? -1 : static_cast<int32_t>(target);
        moved = true;
    }
    if (moved) BookmarkChanged();
}

// ---- keyboard -------------------------------------------------------------------------------------------

void THexEditorCore::MoveLeft() {
    const int n = NibbleCount();
    const int u = m_bytesPerUnit;
    const int32_t pos = CaretPosition();
    const bool inChar = InCharField();
    if (m_selecting || (inChar && m_unicode)) {
        const int32_t target = std::max(0, (m_selecting ? roundDown(pos, u) : pos) - u);
        if (target == pos) return;
        int col;
        int32_t row;
        CellOfPosition(target, inChar, col, row);
        MoveCaretTo(col, row);
        return;
    }
    if (inChar) {
        if (m_col > n + 3)
            MoveCaretTo(m_col - 1, m_row);
        else if (m_row > 2)
            MoveCaretTo(ColCount() - 1, m_row - 1);
        return;
    }
    if (m_col > 2)
        MoveCaretTo(m_col - 1, m_row);
    else if (m_row > 2)
        MoveCaretTo(n + 1, m_row - 1);
}

void THexEditorCore::MoveRight() {
    const int n = NibbleCount();
    const int u = m_bytesPerUnit;
    const int32_t pos = CaretPosition();
    const bool inChar = InCharField();
    const int32_t last = LastCaretPosition();
    if (m_selecting || (inChar && m_unicode)) {
        const int32_t target = std::min(last, (m_selecting ? roundDown(pos, u) : pos) + u);
        if (target == pos) return;
        int col;
        int32_t row;
        CellOfPosition(target, inChar, col, row);
        MoveCaretTo(col, row);
        return;
    }
    if (inChar) {
        if (pos >= last) return;
        if (m_col < ColCount() - 1)
            MoveCaretTo(m_col + 1, m_row);
        else
            MoveCaretTo(n + 3, m_row + 1);
        return;
    }
    if (IsSecondNibbleCell(m_col)) {
        if (pos >= last) return;
        if (m_col < n + 1)
            MoveCaretTo(m_col + 1, m_row);
        else
            MoveCaretTo(2, m_row + 1);
    } else {
        if (pos >= DataSize()) return;
        MoveCaretTo(m_col + 1, m_row);
    }
}

void THexEditorCore::DeleteAtCaret() {
    const int u = m_bytesPerUnit;
    const int32_t start = roundDown(CaretPosition(), u);
    if (start >= DataSize()) return;
    int32_t count = u;
    while (start + count > DataSize())
        --count;
    CreateUndo(ukDelete, start, count, 0, "");
    InternalDelete(start, start + count, m_col, m_row);
    Changed();
}

void THexEditorCore::DeleteBeforeCaret() {
    const int u = m_bytesPerUnit;
    const int32_t pos = CaretPosition();
    if (pos <= 0) return;
    int32_t start, count;
    if (pos >= DataSize() && DataSize() % u != 0) {
        start = DataSize() - 1;
        count = 1;
    } else {
        start = std::max(0, roundDown(pos - 1, u));
        count = std::min<int32_t>(u, DataSize() - start);
    }
    if (count <= 0) return;
    CreateUndo(ukDelete, start, count, 0, "");
    int col;
    int32_t row;
    CellOfPosition(start, InCharField(), col, row);
    InternalDelete(start, start + count, col, row);
    Changed();
}

void THexEditorCore::KeyDown(HexKey key, int modifiers, int digit) {
    const bool shift = modifiers & hexmod::Shift;
    const bool ctrl = modifiers & hexmod::Ctrl;
    const bool alt = modifiers & hexmod::Alt;
    if (key != HexKey::Shift && modifiers == 0 && !InsertMode()) ResetSelection(true);
    ShiftDown = shift;
    if (shift && !m_selecting && key != HexKey::Tab && key != HexKey::Digit) m_selecting = true;
    const bool plain = !ctrl && !alt;
    const int n = NibbleCount();
    switch (key) {
    case HexKey::Shift:
        m_selecting = true;
        break;
    case HexKey::Tab:
        if (plain) MoveCaretTo(OtherFieldColumn(m_col), m_row);
        break;
    case HexKey::T:
        if (ctrl && !shift && !alt) MoveCaretTo(OtherFieldColumn(m_col), m_row);
        break;
    case HexKey::Left:
        if (plain)
            MoveLeft();
        else if (ctrl && !alt)
            MoveCaretTo(2, m_row);
        break;
    case HexKey::Right:
        if (plain)
            MoveRight();
        else if (ctrl && !alt)
            MoveCaretTo(ColCount() - 1, m_row);
        break;
    case HexKey::Up:
        if (plain && m_row > 2) MoveCaretTo(m_col, m_row - 1);
        break;
    case HexKey::Down:
        if (plain && m_row < RowCount() - 1) MoveCaretTo(m_col, m_row + 1);
        break;
    case HexKey::PageUp:
        if (plain) {
            const int32_t step = std::max(1, m_visibleRows - 1);
            SetTopRow(m_topRow - step);
            MoveCaretTo(m_col, std::max(2, m_row - step));
        } else if (ctrl && !alt) {
            MoveCaretTo(m_col, m_topRow);
        }
        break;
    case HexKey::PageDown:
        if (plain) {
            const int32_t step = std::max(1, m_visibleRows - 1);
            SetTopRow(m_topRow + step);
            MoveCaretTo(m_col, std::min(RowCount() - 1, m_row + step));
        } else if (ctrl && !alt) {
            MoveCaretTo(m_col, std::min(RowCount() - 1, m_topRow + m_visibleRows - 1));
        }
        break;
    case HexKey::Home:
        if (!alt) MoveCaretTo(InCharField() ? n + 3 : 2, ctrl ? 2 : m_row);
        break;
    case HexKey::End:
        if (plain) {
            const int32_t rowStart = (m_row - 2) * m_bytesPerRow;
            const int32_t last = std::max(0, std::min(rowStart + m_bytesPerRow - 1, DataSize() - 1));
            int col;
            int32_t row;
            CellOfPosition(last, InCharField(), col, row);
            if (!InCharField()) ++col;
            MoveCaretTo(col, row);
        } else if (ctrl && !alt) {
            int col;
            int32_t row;
            CellOfPosition(std::max(0, LastCaretPosition()), InCharField(), col, row);
            MoveCaretTo(col, row);
        }
        break;
    case HexKey::Insert:
        if (modifiers == 0) SetInsertMode(!InsertMode());
        break;
    case HexKey::Back:
        if (InsertMode() && !m_readOnlyView) {
            if (HasSelection())
                DeleteSelection("");
            else
                DeleteBeforeCaret();
        } else if (plain) {
            MoveLeft();
        }
        break;
    case HexKey::Delete:
        if (!m_readOnlyView && (InsertMode() || (ctrl && !alt && !shift))) {
            if (HasSelection())
                DeleteSelection("");
            else
                DeleteAtCaret();
        }
        break;
    case HexKey::Digit:
        if (ctrl && !shift && !alt)
            GotoBookmark(digit);
        else if (ctrl && shift && !alt)
            SetBookmark(digit, CaretPosition(), InCharField());
        break;
    case HexKey::A:
        if (ctrl && !shift && !alt) SelectAll();
        break;
    case HexKey::Z:
        if (ctrl && !shift && !alt && CanUndo())
            Undo();
        else if (ctrl && shift && !alt && CanRedo())
            Redo();
        break;
    }
}

void THexEditorCore::OverwriteTyped(int32_t pos, const uint8_t* bytes, int32_t count) {
    if (pos + count > DataSize()) count = DataSize() - pos;
    if (count <= 0) return;
    if (std::equal(bytes, bytes + count, m_data.GetAddress(pos, count))) return;
    CreateUndo(ukChange, pos, count, 0, "");
    std::copy_n(bytes, count, m_data.GetAddress(pos, count));
    for (int32_t i = 0; i < count; ++i)
        SetChanged(pos + i, true);
    RepaintPositions(pos, pos + count - 1);
    Changed();
}

void THexEditorCore::KeyPress(char16_t ch) {
    if (m_readOnlyView || IsMasked(ch)) return;
    const int32_t p = CaretPosition();
    const int u = m_bytesPerUnit;
    if (p >= DataSize() && !InsertMode()) return;
    std::vector<uint8_t> unit(static_cast<size_t>(u), 0);
    if (InCharField()) {
        int32_t typedCount = 1;
        if (m_unicode) {
            unit[0] = static_cast<uint8_t>(m_bigEndian ? ch >> 8 : ch & 0xFF);
            unit[1] = static_cast<uint8_t>(m_bigEndian ? ch & 0xFF : ch >> 8);
            typedCount = 2;
        } else {
            const uint8_t b = TranslateToData(ch);
            if (b == 0 || IsMasked(b)) {
                if (OnInvalidKey) OnInvalidKey();
                return;
            }
            unit[0] = b;
        }
        if (!InsertMode()) {
            OverwriteTyped(p, unit.data(), typedCount);
        } else if (HasSelection()) {
            ReplaceSelection(unit.data(), u, "", true);
        } else if (p >= DataSize()) {
            AppendBuffer(unit.data(), u, "", true);
        } else if (p % u == 0) {
            InsertBuffer(unit.data(), u, p, "", true);
        } else {
            OverwriteTyped(p, unit.data(), typedCount);
        }
    } else {
        const int digit = hexDigitValue(ch);
        if (digit < 0) {
            if (OnInvalidKey) OnInvalidKey();
            return;
        }
        const bool low = ShowsLowNibble(m_col) && !HasSelection();
        const uint8_t old = p < DataSize() ? GetData(p) : 0;
        const bool firstCellOfUnit = !IsSecondNibbleCell(m_col) && p % u == 0;
        if (InsertMode() && (firstCellOfUnit || HasSelection())) {
            unit[0] = static_cast<uint8_t>(low ? digit : digit << 4);
            if (DataSize() == 0)
                AppendBuffer(unit.data(), u, "", true);
            else if (HasSelection())
                ReplaceSelection(unit.data(), u, "", true);
            else
                InsertBuffer(unit.data(), u, p, "", true);
        } else {
            if (p >= DataSize()) return;
            unit[0] = static_cast<uint8_t>(low ? (old & 0xF0) | digit : (digit << 4) | (old & 0x0F));
            OverwriteTyped(p, unit.data(), 1);
        }
    }
    m_selecting = false;
    m_selAnchor = -1;
    const bool shift = ShiftDown;
    ShiftDown = false;
    MoveRight();
    ShiftDown = shift;
}

// ---- properties -----------------------------------------------------------------------------------------

void THexEditorCore::UpdateFormatUnit() {
    const uint8_t f = m_offsetFormat.Flags;
    if (f & THexOffsetFormat::ofUnitPerRow)
        m_offsetFormat.BytesPerUnit = m_bytesPerRow;
    else if (f & THexOffsetFormat::ofUnitPerColumn)
        m_offsetFormat.BytesPerUnit = m_bytesPerColumn;
    else if (f & THexOffsetFormat::ofDefaultUnit)
        m_offsetFormat.BytesPerUnit = RulerUnit();
}

void THexEditorCore::SetBytesPerRow(int value) {
    if (value == m_bytesPerRow) return;
    if (value < 1 || value > 256 || (m_unicode && value % 2)) throw EHexEditor(hexmsg::InvalidBytesPerLine);
    const int32_t pos = CaretPosition();
    const bool inChar = InCharField();
    const bool second = IsSecondNibbleCell(m_col);
    m_bytesPerRow = value;
    UpdateFormatUnit();
    ResizeGrid();
    PlaceCaretAtPosition(std::min(pos, std::max(0, LastCaretPosition())), inChar, second);
    RepaintEverything();
}

void THexEditorCore::SetBytesPerColumn(int value) {
    if (value == m_bytesPerColumn) return;
    if (value < 1 || value > 256 || (m_unicode && value % 2)) throw EHexEditor(hexmsg::InvalidBytesPerColumn);
    m_bytesPerColumn = value;
    UpdateFormatUnit();
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::StoreBytesPerUnit(int value) {
    if (!validUnit(value)) value = 1;
    m_bytesPerUnit = value;
    UpdateFormatUnit();
}

void THexEditorCore::SetBytesPerUnit(int value) {
    if (value == m_bytesPerUnit) return;
    if (!validUnit(value)) throw EHexEditor(hexFormat(hexmsg::InvalidBytesPerUnit, value));
    if (m_unicode && value != 2) throw EHexEditor(hexmsg::UnicodeBytesPerUnit);
    StoreBytesPerUnit(value);
    if (HasSelection() && SelCount() % value != 0) ResetSelection(true);
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::SetRulerBytesPerUnit(int value) {
    if (value == m_rulerBytesPerUnit) return;
    if (value != -1 && !validUnit(value)) throw EHexEditor(hexFormat(hexmsg::InvalidRulerUnit, value));
    m_rulerBytesPerUnit = value;
    UpdateFormatUnit();
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::SetBytesPerBlock(int value) {
    if (value == m_bytesPerBlock) return;
    m_bytesPerBlock = value;
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::SetSeparateBlocksInCharField(bool value) {
    if (value == m_separateBlocks) return;
    m_separateBlocks = value;
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::SetTranslation(THexTranslationKind value) {
    if (value == m_translation) return;
    if (value > tkCustom) throw EHexEditor(hexmsg::OutOfBounds);
    if (m_unicode && value != tkAsIs) throw EHexEditor(hexmsg::UnicodeTranslation);
    m_translation = value;
    RepaintEverything();
}

void THexEditorCore::StoreUnicode(bool unicode, bool bigEndian) {
    const bool layout = unicode != m_unicode;
    m_unicode = unicode;
    m_bigEndian = bigEndian;
    if (layout) ResizeGrid();
}

void THexEditorCore::SetUnicodeChars(bool value) {
    if (value == m_unicode) return;
    if (value) {
        if (m_bytesPerRow % 2) throw EHexEditor(hexmsg::InvalidBytesPerLine);
        if (m_bytesPerColumn % 2) throw EHexEditor(hexmsg::InvalidBytesPerColumn);
        if (DataSize() % 2) throw EHexEditor(hexmsg::OddUnicodeSize);
    }
    const int32_t pos = CaretPosition();
    const bool inChar = InCharField();
    m_translation = tkAsIs;
    StoreUnicode(value, m_bigEndian);
    StoreBytesPerUnit(value ? 2 : 1);
    if (HasSelection() && SelCount() % m_bytesPerUnit != 0) ResetSelection(true);
    PlaceCaretAtPosition(std::min(pos, std::max(0, LastCaretPosition())), inChar);
    RepaintEverything();
}

void THexEditorCore::SetUnicodeBigEndian(bool value) {
    if (value == m_bigEndian) return;
    m_bigEndian = value;
    if (m_unicode) RepaintEverything();
}

void THexEditorCore::SetHexLowerCase(bool value) {
    if (value == m_lowerCase) return;
    m_lowerCase = value;
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::SetSwapNibbles(bool value) {
    if (value == m_swapNibbles) return;
    m_swapNibbles = value;
    RepaintEverything();
}

void THexEditorCore::SetMaskChar(char16_t value) {
    if (value == m_maskChar) return;
    m_maskChar = value;
    RepaintEverything();
}

void THexEditorCore::SetNoSizeChange(bool value) {
    if (value == m_noSizeChange) return;
    if (value) SetInsertMode(false);
    m_noSizeChange = value;
    RepaintEverything();
}

void THexEditorCore::SetAllowInsertMode(bool value) {
    if (value == m_allowInsertMode) return;
    if (!value) SetInsertMode(false);
    m_allowInsertMode = value;
}

void THexEditorCore::SetInsertMode(bool value) {
    if (value == InsertMode() || !CanInsertMode()) return;
    const int32_t pos = CaretPosition();
    const bool inChar = InCharField();
    m_insertMode = value;
    ResizeGrid();
    if (!value && pos >= DataSize() && DataSize() > 0) PlaceCaretAtPosition(DataSize() - 1, inChar);
    m_changed.clear();
    RepaintEverything();
}

void THexEditorCore::SetReadOnlyView(bool value) {
    if (value == m_readOnlyView) return;
    if (value) SetInsertMode(false);
    m_readOnlyView = value;
    RepaintEverything();
}

void THexEditorCore::SetShowRuler(bool value) {
    if (value == m_showRuler) return;
    m_showRuler = value;
    ResizeGrid();
    RepaintEverything();
}

void THexEditorCore::SetRulerNumberBase(int value) {
    if (value < 2 || value > 16) value = 16;
    if (value == m_rulerNumberBase) return;
    m_rulerNumberBase = value;
    RepaintEverything();
}

void THexEditorCore::SetOffsetFormat(const std::string& text) {
    if (text == m_offsetFormat.Format) return;
    m_offsetFormat = parseOffsetFormat(text, m_bytesPerRow, m_bytesPerColumn, RulerUnit());
    ResizeGrid();
    RepaintEverything();
}

// ---- texts ----------------------------------------------------------------------------------------------

std::string THexEditorCore::GetOffsetString(int64_t number, bool widest) {
    if (OnGetOffsetText) {
        if (m_inOffsetHook) return {};
        m_inOffsetHook = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{m_inOffsetHook};
        return OnGetOffsetText(number, widest);
    }
    return m_offsetFormat.offsetText(number, m_lowerCase);
}

std::string THexEditorCore::GetAnyOffsetString(int64_t number) {
    if (m_offsetFormat.isSet()) return GetOffsetString(number);
    return IntToRadixLen(static_cast<uint32_t>(number), 16, 1);
}

std::string THexEditorCore::WidestOffsetText() {
    const int64_t widest = static_cast<int64_t>(RowCount() - 3) * m_bytesPerRow;
    if (m_offsetFormat.isSet() && (m_offsetFormat.Flags & THexOffsetFormat::ofAutoWidth)) {
        const int unit = m_offsetFormat.BytesPerUnit > 0 ? m_offsetFormat.BytesPerUnit : 1;
        m_offsetFormat.MinWidth = radixDigits(static_cast<uint32_t>(widest / unit), m_offsetFormat.Radix);
    }
    return GetOffsetString(widest, true);
}

std::string THexEditorCore::HexRuler() const {
    const int u = RulerUnit();
    std::string out;
    for (int i = 0; i < m_bytesPerRow / u; ++i) {
        std::string digits = IntToRadixLen(static_cast<uint32_t>(i), m_rulerNumberBase, 2 * u);
        out += digits.substr(digits.size() - static_cast<size_t>(2 * u));
    }
    if (m_lowerCase)
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string THexEditorCore::CharRuler() const {
    const int u = RulerUnit();
    const size_t width = static_cast<size_t>(m_unicode ? std::max(1, u / 2) : u);
    std::string out;
    for (int i = 0; i < m_bytesPerRow / u; ++i) {
        std::string digits = IntToRadixLen(static_cast<uint32_t>(i), m_rulerNumberBase, 0);
        if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
        out += digits.substr(digits.size() - width);
    }
    if (m_lowerCase)
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

char16_t THexEditorCore::TranslateFromData(int32_t pos) const {
    if (pos < 0 || pos >= DataSize()) return u' ';
    if (m_unicode) {
        const uint8_t first = GetData(pos);
        char16_t value = first;
        if (pos + 1 < DataSize()) {
            const uint8_t second = GetData(pos + 1);
            value = m_bigEndian ? static_cast<char16_t>(first << 8 | second)
                                : static_cast<char16_t>(second << 8 | first);
        }
        if (m_maskChar != 0 && IsMasked(value)) return m_maskChar;
        return value;
    }
    const char16_t shown = hexShownChar(m_translation, GetData(pos), m_maskChar);
    if (m_maskChar != 0 && IsMasked(shown)) return m_maskChar;
    return shown;
}

uint8_t THexEditorCore::TranslateToData(char16_t ch) const {
    const uint8_t b = hexTypedByte(m_translation, ch);
    return IsMasked(b) ? 0 : b;
}
