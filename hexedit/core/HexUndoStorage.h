// Undo history of the hex editor: variable-length records in one byte stream, plus one redo record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class THexEditorCore;

struct THexBookmark {
    int32_t Position = -1;
    uint8_t InCharField = 0;
};
using THexBookmarks = std::array<THexBookmark, 10>;

enum THexUndoKind : uint8_t {
    ukChange,
    ukDelete,
    ukInsert,
    ukReplace,
    ukAppend,
    ukNibbleInsert,
    ukNibbleDelete,
    ukConvert,
    ukCursorMove,
    ukGroup,
    ukAllDataSaved,
    ukNone
};

// Flag bits of a record's flags word above the kind bits 0..10.
namespace undoflag {
inline constexpr uint32_t ChangedAtPosition = 0x0800;
inline constexpr uint32_t ChangedAfterPosition = 0x1000;
inline constexpr uint32_t Modified = 0x2000;
inline constexpr uint32_t SecondNibbleCell = 0x4000;
inline constexpr uint32_t InCharField = 0x8000;
inline constexpr uint32_t HasSelection = 0x10000;
inline constexpr uint32_t InsertMode = 0x20000;
inline constexpr uint32_t UnicodeChars = 0x40000;
inline constexpr uint32_t UnicodeBigEndian = 0x80000;
inline constexpr uint32_t HasDescription = 0x100000;
} // namespace undoflag

const char* undoKindText(THexUndoKind kind);
THexUndoKind undoKindOfFlags(uint32_t flags);

// One record of the stream, as read back.
struct THexUndoRec {
    uint32_t Length = 0;
    uint32_t Flags = 0;
    int32_t CaretPosition = 0;
    int32_t Position = 0;
    int32_t Count = 0;
    int32_t ReplaceCount = 0;
    uint8_t Translation = 0;
    int32_t BytesPerUnit = 1;
    std::vector<uint8_t> Data;
    std::string Description;
    int32_t SelLower = -1, SelUpper = -1, SelAnchor = -1;
    THexUndoKind kind() const { return undoKindOfFlags(Flags); }
};

class THexUndoStorage {
public:
    explicit THexUndoStorage(THexEditorCore& owner) : m_owner(owner) {}

    void CreateUndo(THexUndoKind kind, int32_t position, int32_t count, int32_t replaceCount,
                    const std::string& description);
    void Undo();
    void Redo();
    void Reset(bool withRedo);
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate() {
        if (m_updateCount > 0) --m_updateCount;
    }
    bool CanUndo() const { return m_count >= 1 && m_updateCount < 1 && !m_stream.empty(); }
    bool CanRedo() const { return m_redo.has_value(); }
    int32_t Count() const { return m_count; }
    int32_t UpdateCount() const { return m_updateCount; }
    const std::string& Description() const { return m_description; }
    // Setting the size below one record's minimum also empties the count.
    void SetSize(size_t size);

    const std::vector<uint8_t>& bytes() const { return m_stream; }
    // Reads the record that ends at byte offset end of the stream (the last one by default).
    std::optional<THexUndoRec> readRecord(size_t end) const;
    std::optional<THexUndoRec> lastRecord() const { return readRecord(m_stream.size()); }

private:
    struct RedoRecord {
        THexUndoRec Header;
        THexBookmarks Bookmarks;
    };

    void dropOldest();
    void takeLastOff();
    void updateDescription();
    void undoOne();
    RedoRecord buildRedo(const THexUndoRec& rec) const;
    // Restores the editor state a record describes.
    static void restoreState(THexEditorCore& e, const THexUndoRec& rec);

    THexEditorCore& m_owner;
    std::vector<uint8_t> m_stream;
    int32_t m_count = 0;
    int32_t m_updateCount = 0;
    std::string m_description;
    std::optional<RedoRecord> m_redo;
    std::vector<uint8_t> m_kept;
    std::string m_keptDescription;
};
