#include "HexUndoStorage.h"

#include "HexEditorCore.h"

#include <algorithm>
#include <cstring>

namespace {
// Smallest record: the 29-byte header, one data byte and the trailing length.
constexpr size_t MinRecord = 30;
constexpr size_t HeaderSize = 29;

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}
uint32_t getU32(const std::vector<uint8_t>& in, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(in[at + static_cast<size_t>(i)]) << (8 * i);
    return v;
}
int32_t getI32(const std::vector<uint8_t>& in, size_t at) {
    return static_cast<int32_t>(getU32(in, at));
}
} // namespace

const char* undoKindText(THexUndoKind kind) {
    static const char* texts[] = {"Change byte(s)",  "Remove data",           "Insert buffer", "Replace",
                                  "Append buffer",   "Insert nibble",         "Delete nibble", "Convert",
                                  "Cursor movement", "Multiple modification", "All data saved"};
    return kind < ukNone ? texts[kind] : "";
}

THexUndoKind undoKindOfFlags(uint32_t flags) {
    for (int bit = 0; bit <= 10; ++bit)
        if (flags & (1u << bit)) return static_cast<THexUndoKind>(bit);
    return ukNone;
}

std::optional<THexUndoRec> THexUndoStorage::readRecord(size_t end) const {
    if (end < MinRecord + 3 || end > m_stream.size()) return std::nullopt;
    const uint32_t length = getU32(m_stream, end - 4);
    if (length < MinRecord + 3 || length > end) return std::nullopt;
    const size_t start = end - length;
    if (getU32(m_stream, start) != length) return std::nullopt;
    THexUndoRec rec;
    rec.Length = length;
    rec.Flags = getU32(m_stream, start + 4);
    rec.CaretPosition = getI32(m_stream, start + 8);
    rec.Position = getI32(m_stream, start + 12);
    rec.Count = getI32(m_stream, start + 16);
    rec.ReplaceCount = getI32(m_stream, start + 20);
    rec.Translation = m_stream[start + 24];
    rec.BytesPerUnit = getI32(m_stream, start + 25);
    size_t tail = end - 4;
    if (rec.Flags & undoflag::HasSelection) {
        if (tail < start + HeaderSize + 12) return std::nullopt;
        tail -= 12;
        rec.SelLower = getI32(m_stream, tail);
        rec.SelUpper = getI32(m_stream, tail + 4);
        rec.SelAnchor = getI32(m_stream, tail + 8);
    }
    if (rec.Flags & undoflag::HasDescription) {
        if (tail < start + HeaderSize + 4) return std::nullopt;
        const uint32_t descLength = getU32(m_stream, tail - 4);
        if (descLength > tail - 4 - (start + HeaderSize)) return std::nullopt;
        tail -= 4 + descLength;
        rec.Description.assign(reinterpret_cast<const char*>(m_stream.data() + tail), descLength);
    }
    if (tail < start + HeaderSize) return std::nullopt;
    rec.Data.assign(m_stream.begin() + static_cast<std::ptrdiff_t>(start + HeaderSize),
                    m_stream.begin() + static_cast<std::ptrdiff_t>(tail));
    return rec;
}

void THexUndoStorage::SetSize(size_t size) {
    m_stream.resize(size);
    if (size < MinRecord) m_count = 0;
}

void THexUndoStorage::Reset(bool withRedo) {
    m_stream.clear();
    m_count = 0;
    m_updateCount = 0;
    m_description.clear();
    if (withRedo) m_redo.reset();
}

void THexUndoStorage::dropOldest() {
    if (m_stream.size() < 4) {
        m_stream.clear();
        m_count = 0;
        return;
    }
    const uint32_t length = getU32(m_stream, 0);
    if (length >= MinRecord && length <= m_stream.size()) {
        m_stream.erase(m_stream.begin(), m_stream.begin() + length);
        --m_count;
    } else {
        m_stream.clear();
        m_count = 0;
    }
}

void THexUndoStorage::CreateUndo(THexUndoKind kind, int32_t position, int32_t count, int32_t replaceCount,
                                 const std::string& description) {
    if (m_updateCount >= 1) return;
    THexEditorCore& e = m_owner;
    m_redo.reset();
    m_description = description.empty() ? undoKindText(kind) : description;
    while (e.m_maxUndo > 0 && m_count > 0 && m_stream.size() > static_cast<size_t>(e.m_maxUndo))
        dropOldest();

    std::vector<uint8_t> saved;
    auto take = [&](int32_t from, int32_t n) {
        if (n <= 0) return;
        const uint8_t* p = e.m_data.GetAddress(from, n);
        saved.assign(p, p + n);
    };
    int32_t caret = e.CaretPosition();
    switch (kind) {
    case ukChange:
    case ukDelete:
    case ukConvert:
        take(position, count);
        break;
    case ukReplace:
        take(position, replaceCount);
        break;
    case ukAllDataSaved:
        count = e.DataSize();
        take(0, count);
        break;
    case ukNibbleInsert:
    case ukNibbleDelete:
        if (position >= 0 && position < e.DataSize()) take(position, 1);
        break;
    case ukGroup: {
        const std::string text = description.substr(0, 255);
        saved.push_back(static_cast<uint8_t>(text.size()));
        saved.insert(saved.end(), text.begin(), text.end());
        break;
    }
    case ukCursorMove:
        caret = position;
        break;
    default:
        break;
    }

    uint32_t flags = 1u << kind;
    if (e.IsChanged(position)) flags |= undoflag::ChangedAtPosition;
    if (kind == ukChange && count == 2 && e.IsChanged(position + 1)) flags |= undoflag::ChangedAfterPosition;
    if (e.m_modified) flags |= undoflag::Modified;
    if (e.IsSecondNibbleCell(e.m_col)) flags |= undoflag::SecondNibbleCell;
    if (e.InCharField()) flags |= undoflag::InCharField;
    if (e.HasSelection()) flags |= undoflag::HasSelection;
    if (e.InsertMode()) flags |= undoflag::InsertMode;
    if (e.m_unicode) flags |= undoflag::UnicodeChars;
    if (e.m_bigEndian) flags |= undoflag::UnicodeBigEndian;
    if (!description.empty()) flags |= undoflag::HasDescription;

    const size_t dataBytes = std::max<size_t>(saved.size(), 1);
    size_t length = dataBytes + 33;
    if (!description.empty()) length += description.size() + 4;
    if (flags & undoflag::HasSelection) length += 12;
    std::vector<uint8_t> rec(length, 0);
    putU32(rec, 0, static_cast<uint32_t>(length));
    putU32(rec, 4, flags);
    putU32(rec, 8, static_cast<uint32_t>(caret));
    putU32(rec, 12, static_cast<uint32_t>(position));
    putU32(rec, 16, static_cast<uint32_t>(count));
    putU32(rec, 20, static_cast<uint32_t>(replaceCount));
    rec[24] = e.m_translation;
    putU32(rec, 25, static_cast<uint32_t>(e.m_bytesPerUnit));
    std::copy(saved.begin(), saved.end(), rec.begin() + HeaderSize);
    size_t at = HeaderSize + dataBytes;
    if (!description.empty()) {
        std::memcpy(rec.data() + at, description.data(), description.size());
        at += description.size();
        putU32(rec, at, static_cast<uint32_t>(description.size()));
        at += 4;
    }
    if (flags & undoflag::HasSelection) {
        putU32(rec, at, static_cast<uint32_t>(e.m_selLower));
        putU32(rec, at + 4, static_cast<uint32_t>(e.m_selUpper));
        putU32(rec, at + 8, static_cast<uint32_t>(e.m_selAnchorEnd));
    }
    putU32(rec, length - 4, static_cast<uint32_t>(length));
    m_stream.insert(m_stream.end(), rec.begin(), rec.end());
    ++m_count;

    // Bookmarks follow the size change the edit is about to make.
    const int32_t size = e.DataSize();
    switch (kind) {
    case ukDelete:
        e.MoveBookmarks(position + count, -count, size - count);
        break;
    case ukInsert:
    case ukAppend:
        e.MoveBookmarks(position, count, size + count);
        break;
    case ukReplace:
        e.MoveBookmarks(position + replaceCount, count - replaceCount, size - replaceCount + count);
        break;
    default:
        break;
    }
}

THexUndoStorage::RedoRecord THexUndoStorage::buildRedo(const THexUndoRec& rec) const {
    const THexEditorCore& e = m_owner;
    RedoRecord r;
    THexUndoRec& h = r.Header;
    const THexUndoKind kind = rec.kind();
    h.Flags = 1u << kind;
    h.CaretPosition = e.CaretPosition();
    h.Position = rec.Position;
    h.Count = rec.Count;
    h.ReplaceCount = rec.ReplaceCount;
    h.Translation = e.m_translation;
    h.BytesPerUnit = e.m_bytesPerUnit;
    auto take = [&](int32_t from, int64_t n) {
        if (from < 0 || from > e.DataSize()) return;
        n = std::min<int64_t>(n, e.DataSize() - from);
        if (n > 0) h.Data.assign(e.m_data.bytes().begin() + from, e.m_data.bytes().begin() + from + n);
    };
    switch (kind) {
    case ukChange:
        take(rec.Position, rec.Count);
        if (e.IsChanged(rec.Position)) h.Flags |= undoflag::ChangedAtPosition;
        if (rec.Count == 2 && e.IsChanged(rec.Position + 1)) h.Flags |= undoflag::ChangedAfterPosition;
        break;
    case ukInsert:
    case ukReplace:
    case ukConvert:
        take(rec.Position, rec.Count);
        break;
    case ukAppend:
        take(rec.Position, e.DataSize());
        break;
    case ukNibbleInsert:
    case ukNibbleDelete:
    case ukAllDataSaved:
        take(0, e.DataSize());
        h.Count = e.DataSize();
        break;
    default:
        break;
    }
    if (e.m_modified) h.Flags |= undoflag::Modified;
    if (e.IsSecondNibbleCell(e.m_col)) h.Flags |= undoflag::SecondNibbleCell;
    if (e.InCharField()) h.Flags |= undoflag::InCharField;
    if (e.HasSelection()) h.Flags |= undoflag::HasSelection;
    if (e.InsertMode()) h.Flags |= undoflag::InsertMode;
    if (e.m_unicode) h.Flags |= undoflag::UnicodeChars;
    if (e.m_bigEndian) h.Flags |= undoflag::UnicodeBigEndian;
    h.SelLower = e.m_selLower;
    h.SelUpper = e.m_selUpper;
    h.SelAnchor = e.m_selAnchorEnd;
    r.Bookmarks = e.m_bookmarks;
    return r;
}

void THexUndoStorage::takeLastOff() {
    if (m_stream.size() < 4) {
        Reset(false);
        return;
    }
    const uint32_t length = getU32(m_stream, m_stream.size() - 4);
    if (length > m_stream.size() || length < MinRecord) {
        Reset(false);
        return;
    }
    m_kept.assign(m_stream.end() - length, m_stream.end());
    m_keptDescription = m_description;
    m_stream.resize(m_stream.size() - length);
    --m_count;
    if (m_stream.size() < MinRecord) {
        const int32_t updates = m_updateCount;
        Reset(false);
        m_updateCount = updates;
    }
    updateDescription();
}

void THexUndoStorage::updateDescription() {
    const auto last = lastRecord();
    if (!last) {
        m_description.clear();
        return;
    }
    if (last->kind() == ukGroup && !last->Data.empty()) {
        const size_t n = std::min<size_t>(last->Data[0], last->Data.size() - 1);
        m_description.assign(reinterpret_cast<const char*>(last->Data.data() + 1), n);
    } else if (!last->Description.empty()) {
        m_description = last->Description;
    } else {
        m_description = undoKindText(last->kind());
    }
}

void THexUndoStorage::undoOne() {
    if (!CanUndo()) {
        Reset(false);
        return;
    }
    if (m_stream.size() < MinRecord) {
        Reset(true);
        return;
    }
    const auto found = lastRecord();
    if (!found) {
        Reset(true);
        return;
    }
    const THexUndoRec& rec = *found;
    THexEditorCore& e = m_owner;
    const THexUndoKind kind = rec.kind();
    if (kind != ukGroup) m_redo = buildRedo(rec);
    auto& bytes = e.m_data.bytes();
    const int32_t size = e.DataSize();
    const int32_t pos = std::clamp(rec.Position, 0, size);
    switch (kind) {
    case ukChange: {
        const int32_t n = std::min<int32_t>(static_cast<int32_t>(rec.Data.size()), size - pos);
        if (n > 0 && rec.Count > 0)
            std::copy_n(rec.Data.begin(), std::min(n, rec.Count), bytes.begin() + pos);
        e.SetChanged(pos, rec.Flags & undoflag::ChangedAtPosition);
        if (rec.Count == 2) e.SetChanged(pos + 1, rec.Flags & undoflag::ChangedAfterPosition);
        restoreState(e, rec);
        break;
    }
    case ukDelete: {
        const int32_t n = std::min<int32_t>(rec.Count, static_cast<int32_t>(rec.Data.size()));
        if (n > 0) e.MakeSpace(rec.Data.data(), n, pos);
        restoreState(e, rec);
        e.MoveBookmarks(pos, n, e.DataSize());
        e.CutChangedMarks(pos);
        break;
    }
    case ukInsert: {
        const int32_t n = std::clamp(rec.Count, 0, size - pos);
        bytes.erase(bytes.begin() + pos, bytes.begin() + pos + n);
        e.ResizeGrid();
        restoreState(e, rec);
        e.MoveBookmarks(pos, -n, e.DataSize());
        e.CutChangedMarks(pos);
        break;
    }
    case ukReplace: {
        const int32_t n = std::clamp(rec.Count, 0, size - pos);
        bytes.erase(bytes.begin() + pos, bytes.begin() + pos + n);
        const int32_t old = std::min<int32_t>(rec.ReplaceCount, static_cast<int32_t>(rec.Data.size()));
        bytes.insert(bytes.begin() + pos, rec.Data.begin(), rec.Data.begin() + std::max(0, old));
        e.ResizeGrid();
        restoreState(e, rec);
        e.MoveBookmarks(pos + n, old - n, e.DataSize());
        e.CutChangedMarks(pos);
        break;
    }
    case ukAppend:
        e.m_data.SetSize(pos);
        e.ResizeGrid();
        e.CutChangedMarks(pos);
        restoreState(e, rec);
        break;
    case ukNibbleInsert:
    case ukNibbleDelete:
        if (size > 0 && pos < size) {
            if (kind == ukNibbleInsert)
                e.ShiftNibblesLeft(pos);
            else
                e.ShiftNibblesRight(pos);
            if (!rec.Data.empty()) bytes[static_cast<size_t>(pos)] = rec.Data[0];
            e.SetChanged(pos, rec.Flags & undoflag::ChangedAtPosition);
            e.CutChangedMarks(pos + 1);
            e.m_data.SetSize(std::max(0, e.DataSize() - 1));
            e.ResizeGrid();
        }
        restoreState(e, rec);
        break;
    case ukConvert: {
        const int32_t n = std::min<int32_t>(static_cast<int32_t>(rec.Data.size()), size - pos);
        if (n > 0 && rec.Count > 0)
            std::copy_n(rec.Data.begin(), std::min(n, rec.Count), bytes.begin() + pos);
        restoreState(e, rec);
        e.CutChangedMarks(pos);
        break;
    }
    case ukCursorMove:
        restoreState(e, rec);
        break;
    case ukGroup: {
        takeLastOff();
        for (int32_t i = 0; i < rec.Count && CanUndo(); ++i)
            undoOne();
        m_redo.reset();
        return;
    }
    case ukAllDataSaved:
        e.m_data.SetSize(std::clamp<int32_t>(rec.Count, 0, static_cast<int32_t>(rec.Data.size())));
        std::copy_n(rec.Data.begin(), e.DataSize(), bytes.begin());
        e.ResizeGrid();
        restoreState(e, rec);
        break;
    default:
        break;
    }
    takeLastOff();
}

void THexUndoStorage::Undo() {
    undoOne();
    m_owner.RepaintEverything();
}

void THexUndoStorage::restoreState(THexEditorCore& e, const THexUndoRec& rec) {
    e.m_modified = rec.Flags & undoflag::Modified;
    const bool wantInsert = rec.Flags & undoflag::InsertMode;
    if (wantInsert != e.InsertMode() && e.CanInsertMode()) {
        e.m_insertMode = wantInsert;
        e.ResizeGrid();
    }
    e.StoreUnicode(rec.Flags & undoflag::UnicodeChars, rec.Flags & undoflag::UnicodeBigEndian);
    e.StoreTranslation(e.m_unicode
                           ? tkAsIs
                           : static_cast<THexTranslationKind>(std::min<uint8_t>(rec.Translation, tkCustom)));
    e.StoreBytesPerUnit(e.m_unicode ? 2 : rec.BytesPerUnit);
    const bool inChar = rec.Flags & undoflag::InCharField;
    e.PlaceCaretAtPosition(rec.CaretPosition, inChar,
                           (rec.Flags & undoflag::SecondNibbleCell) && e.DataSize() > 0);
    e.m_selecting = false;
    e.m_selAnchor = -1;
    if (rec.Flags & undoflag::HasSelection) {
        if (rec.SelUpper == -1) {
            e.m_selLower = e.m_selUpper = e.m_selAnchorEnd = -1;
            if (e.DataSize() > 0) e.PlaceCaretAtPosition(std::max(0, rec.SelLower), inChar);
        } else {
            e.SetSelectionValues(rec.SelAnchor, rec.SelLower, rec.SelUpper);
        }
    } else {
        e.m_selLower = e.m_selUpper = e.m_selAnchorEnd = -1;
    }
    e.RepaintEverything();
    e.Changed();
}

void THexUndoStorage::Redo() {
    if (!m_redo) return;
    const RedoRecord r = *m_redo;
    const THexUndoRec& h = r.Header;
    THexEditorCore& e = m_owner;
    auto& bytes = e.m_data.bytes();
    const int32_t size = e.DataSize();
    const int32_t pos = std::clamp(h.Position, 0, size);
    const auto data = h.Data;
    switch (h.kind()) {
    case ukChange: {
        const int32_t n = std::min<int32_t>(static_cast<int32_t>(data.size()), size - pos);
        if (n > 0) std::copy_n(data.begin(), n, bytes.begin() + pos);
        break;
    }
    case ukDelete: {
        const int32_t n = std::clamp(h.Count, 0, size - pos);
        bytes.erase(bytes.begin() + pos, bytes.begin() + pos + n);
        break;
    }
    case ukInsert:
        bytes.insert(bytes.begin() + pos, data.begin(), data.end());
        break;
    case ukReplace:
    case ukConvert: {
        const int32_t n = std::clamp(h.kind() == ukReplace ? h.ReplaceCount : h.Count, 0, size - pos);
        bytes.erase(bytes.begin() + pos, bytes.begin() + pos + n);
        bytes.insert(bytes.begin() + pos, data.begin(), data.end());
        break;
    }
    case ukAppend:
        bytes.insert(bytes.end(), data.begin(), data.end());
        break;
    case ukNibbleInsert:
    case ukNibbleDelete:
    case ukAllDataSaved:
        bytes.assign(data.begin(), data.end());
        break;
    default:
        break;
    }
    e.ResizeGrid();
    e.m_bookmarks = r.Bookmarks;
    THexUndoRec state = h;
    restoreState(e, state);
    if (h.kind() == ukChange) {
        e.SetChanged(pos, h.Flags & undoflag::ChangedAtPosition);
        if (h.Count == 2) e.SetChanged(pos + 1, h.Flags & undoflag::ChangedAfterPosition);
    } else {
        e.CutChangedMarks(pos);
    }
    m_stream.insert(m_stream.end(), m_kept.begin(), m_kept.end());
    ++m_count;
    m_description = m_keptDescription;
    e.BookmarkChanged();
    m_redo.reset();
}

// ---- nibble shifts --------------------------------------------------------------------------------------

void THexEditorCore::ShiftNibblesRight(int32_t position) {
    auto& bytes = m_data.bytes();
    if (bytes.empty() || position < 0 || position >= DataSize()) return;
    const uint8_t lastLow = bytes.back() & 0x0F;
    uint8_t previousLow = 0;
    for (size_t i = static_cast<size_t>(position); i < bytes.size(); ++i) {
        const uint8_t old = bytes[i];
        bytes[i] = static_cast<uint8_t>(previousLow << 4 | old >> 4);
        previousLow = old & 0x0F;
    }
    bytes.push_back(static_cast<uint8_t>(lastLow << 4));
}

void THexEditorCore::ShiftNibblesLeft(int32_t position) {
    auto& bytes = m_data.bytes();
    if (bytes.empty() || position < 0 || position >= DataSize()) return;
    for (size_t i = static_cast<size_t>(position); i + 1 < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(bytes[i] << 4 | bytes[i + 1] >> 4);
    bytes.back() = static_cast<uint8_t>(bytes.back() << 4);
}
