// Editing model: buffer operations, selection semantics, refusal messages, events and key commands.
#include "HexCoreTestUtil.h"

#include "HexTranslation.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>

TEST(HexCoreBuffer, RefusalMessages) {
    LoadedCore e(sequence(8)), odd(sequence(7)), u(sequence(8));
    u.SetUnicodeChars(true);
    EXPECT_EQ(u.BytesPerUnit(), 2);
    struct Row {
        std::function<void()> call;
        const char* message;
    };
    const Row rows[] = {
        {[&] { e.GetData(8); }, "Data position/length out of data bounds"},
        {[&] { e.SetSelStart(8); }, "Invalid selection start"},
        {[&] { e.SetSelStart(-1); }, "Invalid selection start"},
        {[&] { e.SetSelEnd(-2); }, "Invalid selection end"},
        {[&] { e.SetBytesPerRow(0); }, "Invalid bytes per line argument"},
        {[&] { e.SetBytesPerRow(257); }, "Invalid bytes per line argument"},
        {[&] { e.SetBytesPerColumn(0); }, "Invalid bytes per column argument"},
        {[&] { e.SetBytesPerUnit(3); }, "Invalid bytes per unit value 3, allowed: 1,2,4,8"},
        {[&] { e.SetRulerBytesPerUnit(5); }, "Invalid ruler bytes per unit value 5, allowed: -1,1,2,4,8"},
        {[&] { e.SetBookmark(10, 0, false); }, "Invalid bookmark index"},
        {[&] { e.InsertBuffer("x", 1, 9, "", false); }, "Data position/length out of data bounds"},
        {[&] { e.SetOffsetFormat("R%10:|"); }, "Invalid bytes per unit value 16, allowed: 1,2,4,8"},
        {[&] { e.SetOffsetFormat("10:"); }, "Missing char in offset format: |"},
        {[&] { e.SetOffsetFormat(":|"); }, "Missing char in offset format: number radix"},
        {[&] { e.SetOffsetFormat("10|"); }, "Missing char in offset format: :"},
        {[&] { e.SetOffsetFormat("11:|"); }, "Invalid radix in offset format (11h), allowed: 02h..10h"},
        {[&] { odd.SetUnicodeChars(true); }, "Cannot use unicode mode with odd-sized files"},
        {[&] { u.SetBytesPerUnit(4); }, "BytesPerUnit must be set to 2 in unicode mode"},
        {[&] { u.SetTranslation(tkMac); }, "Translations cannot be used in unicode mode"},
        {[&] { u.SetBytesPerRow(15); }, "Invalid bytes per line argument"},
        {[] { RadixToInt("1G", 16); }, "Invalid character G, cannot convert using radix 10h"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(expectThrowMessage(row.call), row.message);
}

TEST(HexCoreSelection, AnchorAndCaretEnds) {
    LoadedCore e(sequence(32));
    e.SetSelStart(9);
    e.SetSelEnd(4);
    EXPECT_EQ(e.SelStart(), 9);
    EXPECT_EQ(e.SelEnd(), 4);
    EXPECT_EQ(e.SelCount(), 6);
    EXPECT_EQ(e.GetSelectionAsString(), std::string("\x04\x05\x06\x07\x08\x09", 6));
    e.SetSelEnd(-1);
    EXPECT_EQ(e.SelCount(), 0);
    EXPECT_EQ(e.SelEnd(), 9);
    e.SetBytesPerUnit(4);
    e.SetSelection(5, 9);
    EXPECT_EQ(e.SelLower(), 4);
    EXPECT_EQ(e.SelUpper(), 11);
    e.SetSelection(30, 29);
    EXPECT_EQ(e.SelUpper(), 31);
    EXPECT_EQ(e.SelStart(), 31);
    e.SelectAll();
    EXPECT_EQ(e.SelCount(), 32);
    EXPECT_EQ(e.CaretPosition(), 31);
    EXPECT_EQ(e.Seek(-3, 2), 28);
    EXPECT_EQ(e.Seek(100, 1), 31);
}

TEST(HexCoreEdit, ReplaceSelectionCases) {
    LoadedCore e(sequence(16));
    caretTo(e, 4);
    const uint8_t abc[7] = {0xA, 0xB, 0xC, 0xD, 0xE, 0xF, 0x1F};
    e.ReplaceSelection(abc, 2, "", true); // no selection: inserts at the caret
    EXPECT_EQ(e.DataSize(), 18);
    EXPECT_EQ(e.GetData(4), 0xA);
    EXPECT_EQ(e.SelLower(), 4);
    EXPECT_EQ(e.SelUpper(), 5);
    EXPECT_EQ(e.CaretPosition(), 5);
    EXPECT_EQ(e.UndoDescription(), "Insert buffer");

    LoadedCore n(sequence(16));
    n.SetNoSizeChange(true);
    caretTo(n, 2);
    EXPECT_EQ(expectThrowMessage([&] { n.ReplaceSelection(abc, 3, "", true); }),
              "Cannot update undo storage");
    EXPECT_EQ(n.DataSize(), 16);
    n.SetSelStart(2);
    n.SetSelEnd(6);
    n.ReplaceSelection(abc, 3, "", true);
    EXPECT_EQ(n.bytes(), (std::vector<uint8_t>{0, 1, 0xA, 0xB, 0xC, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    n.SetSelStart(2);
    n.SetSelEnd(6);
    n.ReplaceSelection(abc, 7, "", false);
    EXPECT_EQ(n.bytes(),
              (std::vector<uint8_t>{0, 1, 0xA, 0xB, 0xC, 0xD, 0xE, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(n.SelCount(), 0);
    EXPECT_EQ(expectThrowMessage([&] { n.DeleteSelection(""); }), "Cannot update undo storage");
}

TEST(HexCoreEdit, AppendAndDeleteSelection) {
    THexEditorCore e;
    e.CreateEmptyFile("x");
    const uint8_t two[2] = {7, 8};
    e.AppendBuffer(two, 2, "", true);
    e.AppendBuffer(two, 2, "", false);
    EXPECT_EQ(e.DataSize(), 4);
    EXPECT_EQ(e.SelLower(), 2);
    EXPECT_EQ(e.SelStart(), 2);
    e.DeleteSelection("gone");
    EXPECT_EQ(e.DataSize(), 2);
    EXPECT_EQ(e.UndoDescription(), "gone");
    EXPECT_EQ(e.CaretPosition(), 1);
    e.Undo();
    EXPECT_EQ(e.DataSize(), 4);
}

TEST(HexCoreEvents, LoadReportsProgressAndCanCancel) {
    THexEditorCore e;
    e.SetFileName("body");
    std::vector<int> percents;
    e.OnProgress = [&](THexProgressKind kind, const std::string& name, int percent, bool&) {
        EXPECT_EQ(kind, pkLoad);
        EXPECT_EQ(name, "body");
        percents.push_back(percent);
    };
    std::stringstream in(std::string(61440 * 3 + 5, 'x'));
    e.LoadFromStream(in);
    EXPECT_EQ(e.DataSize(), 61440 * 3 + 5);
    EXPECT_EQ(percents, (std::vector<int>{0, 33, 67, 100}));
    EXPECT_FALSE(e.Modified());

    e.OnProgress = [&](THexProgressKind, const std::string&, int percent, bool& cancel) {
        cancel = percent > 0;
    };
    std::stringstream again(std::string(61440 * 2 + 1, 'y'));
    EXPECT_EQ(expectThrowMessage([&] { e.LoadFromStream(again); }), "Operation cancelled");
    EXPECT_EQ(e.DataSize(), 61440);

    // A source that ends short keeps what arrived too.
    e.OnProgress = nullptr;
    std::stringstream shortSource(std::string(100, 'q'));
    EXPECT_THROW(e.LoadFromReader(200,
                                  [&](uint8_t* buffer, int64_t count) {
                                      shortSource.read(reinterpret_cast<char*>(buffer), count);
                                      return static_cast<int64_t>(shortSource.gcount());
                                  }),
                 EHexEditor);
    EXPECT_EQ(e.DataSize(), 100);
}

TEST(HexCoreKeys, TypingHexDigitsOverwritesAndUndoKeys) {
    LoadedCore e(std::vector<uint8_t>(4, 0));
    caretTo(e, 0);
    e.KeyPress(u'4');
    EXPECT_EQ(e.GetData(0), 0x40);
    e.KeyPress(u'1');
    EXPECT_EQ(e.GetData(0), 0x41);
    EXPECT_EQ(e.CaretPosition(), 1);
    EXPECT_EQ(e.UndoStorage().Count(), 2);
    caretTo(e, 0);
    e.KeyPress(u'4'); // the same value makes no record
    EXPECT_EQ(e.UndoStorage().Count(), 2);
    int invalid = 0;
    e.OnInvalidKey = [&] { ++invalid; };
    e.KeyPress(u'g');
    EXPECT_EQ(invalid, 1);

    // Ctrl+Z undoes the last digit, Ctrl+Shift+Z redoes it; a read-only view neither undoes nor types.
    e.KeyDown(HexKey::Z, hexmod::Ctrl);
    EXPECT_EQ(e.GetData(0), 0x40);
    e.KeyDown(HexKey::Z, hexmod::Ctrl | hexmod::Shift);
    EXPECT_EQ(e.GetData(0), 0x41);
    e.SetReadOnlyView(true);
    EXPECT_FALSE(e.CanUndo());
    caretTo(e, 1);
    e.KeyPress(u'F');
    EXPECT_EQ(e.GetData(1), 0);
}

TEST(HexCoreKeys, InsertModeTyping) {
    LoadedCore e(sequence(4));
    e.SetBytesPerUnit(2);
    e.SetInsertMode(true);
    e.KeyDown(HexKey::Tab, 0);
    ASSERT_TRUE(e.InCharField());
    e.KeyPress(u'A');
    EXPECT_EQ(e.DataSize(), 6);
    EXPECT_EQ(e.GetData(0), 'A');
    EXPECT_EQ(e.GetData(1), 0);
    EXPECT_EQ(e.CaretPosition(), 2);

    THexEditorCore h;
    h.CreateEmptyFile("");
    h.SetInsertMode(true);
    h.KeyPress(u'7');
    h.KeyPress(u'e');
    EXPECT_EQ(h.bytes(), (std::vector<uint8_t>{0x7E}));
    EXPECT_EQ(h.CaretPosition(), 1);
}

TEST(HexCoreKeys, DeleteKeys) {
    LoadedCore e(sequence(8));
    caretTo(e, 3);
    e.KeyDown(HexKey::Delete, 0); // overwrite mode: nothing
    EXPECT_EQ(e.DataSize(), 8);
    e.KeyDown(HexKey::Delete, hexmod::Ctrl);
    EXPECT_EQ(e.DataSize(), 7);
    EXPECT_EQ(e.GetData(3), 4);
    EXPECT_EQ(e.UndoDescription(), "Remove data");
    e.SetInsertMode(true);
    caretTo(e, 3);
    e.KeyDown(HexKey::Back, 0);
    EXPECT_EQ(e.DataSize(), 6);
    EXPECT_EQ(e.GetData(2), 4);
    EXPECT_EQ(e.CaretPosition(), 2);
}

TEST(HexCoreKeys, MovementAndShiftSelection) {
    LoadedCore e(sequence(64));
    e.SetVisibleRows(3);
    caretTo(e, 0);
    e.KeyDown(HexKey::Right, 0);
    EXPECT_EQ(e.CaretCol(), 3);
    e.KeyDown(HexKey::Right, 0);
    EXPECT_EQ(e.CaretPosition(), 1);
    e.KeyDown(HexKey::Left, 0);
    EXPECT_EQ(e.CaretCol(), 3);
    e.KeyDown(HexKey::Down, 0);
    EXPECT_EQ(e.CaretPosition(), 16);
    e.KeyDown(HexKey::End, 0);
    EXPECT_EQ(e.CaretPosition(), 31);
    EXPECT_TRUE(e.IsSecondNibbleCell(e.CaretCol()));
    e.KeyDown(HexKey::Home, 0);
    EXPECT_EQ(e.CaretPosition(), 16);
    e.KeyDown(HexKey::End, hexmod::Ctrl);
    EXPECT_EQ(e.CaretPosition(), 63);
    e.KeyDown(HexKey::Home, hexmod::Ctrl);
    EXPECT_EQ(e.CaretPosition(), 0);
    e.KeyDown(HexKey::PageDown, 0);
    EXPECT_EQ(e.CaretPosition(), 32);
    EXPECT_EQ(e.TopRow(), 3); // 4 data rows, 3 visible: the last page starts at row 3
    e.KeyDown(HexKey::Tab, 0);
    EXPECT_TRUE(e.InCharField());
    EXPECT_EQ(e.CaretPosition(), 32);
    e.KeyDown(HexKey::T, hexmod::Ctrl);
    EXPECT_FALSE(e.InCharField());

    caretTo(e, 4);
    e.KeyDown(HexKey::Shift, hexmod::Shift);
    e.KeyDown(HexKey::Right, hexmod::Shift);
    e.KeyDown(HexKey::Right, hexmod::Shift);
    EXPECT_EQ(e.SelStart(), 4);
    EXPECT_EQ(e.SelEnd(), 6);
    EXPECT_EQ(e.CaretPosition(), 6);
    e.KeyDown(HexKey::Right, 0); // a plain key in overwrite mode drops the selection
    EXPECT_EQ(e.SelCount(), 0);
    caretTo(e, 20);
    e.KeyDown(HexKey::Shift, hexmod::Shift);
    e.KeyDown(HexKey::Up, hexmod::Shift);
    EXPECT_EQ(e.SelStart(), 20);
    EXPECT_EQ(e.SelEnd(), 4);
}

TEST(HexCoreKeys, BookmarkKeys) {
    LoadedCore e(sequence(64));
    int changed = 0;
    e.OnBookmarkChanged = [&] { ++changed; };
    caretTo(e, 16);
    e.KeyDown(HexKey::Digit, hexmod::Ctrl | hexmod::Shift, 3);
    EXPECT_EQ(e.Bookmark(3).Position, 16);
    caretTo(e, 0);
    e.KeyDown(HexKey::Digit, hexmod::Ctrl, 3);
    EXPECT_EQ(e.CaretPosition(), 16);
    e.KeyDown(HexKey::Digit, hexmod::Ctrl | hexmod::Shift, 3);
    EXPECT_EQ(e.Bookmark(3).Position, -1);
    caretTo(e, 2);
    e.KeyDown(HexKey::Digit, hexmod::Ctrl, 3);
    EXPECT_EQ(e.CaretPosition(), 2);
    EXPECT_EQ(changed, 2);
    e.SetBookmark(5, 64, true);
    EXPECT_FALSE(e.GotoBookmark(5));
    EXPECT_EQ(e.Bookmark(5).Position, -1);
}

TEST(HexCoreGeometry, RowsColumnsAndCells) {
    LoadedCore e(sequence(32));
    EXPECT_EQ(e.RowCount(), 4);
    e.SetInsertMode(true);
    EXPECT_EQ(e.RowCount(), 5);
    EXPECT_EQ(e.ColCount(), 51);
    EXPECT_EQ(e.PositionOfCell(2 + 5 * 2 + 1, 3), 21);
    EXPECT_EQ(e.PositionOfCell(35 + 5, 3), 21);
    int col;
    int32_t row;
    e.CellOfPosition(21, true, col, row);
    EXPECT_EQ(col, 40);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(e.OtherFieldColumn(12), 40);
    EXPECT_EQ(e.OtherFieldColumn(40), 12);
    e.SetUnicodeChars(true);
    EXPECT_EQ(e.ColCount(), 2 * 16 + 8 + 3);
    EXPECT_EQ(e.PositionOfCell(35 + 3, 2), 6);
    EXPECT_EQ(e.OtherFieldColumn(14), 38);
}

TEST(HexCoreTexts, OffsetsRulerAndTranslation) {
    LoadedCore e(sequence(300));
    EXPECT_EQ(e.WidestOffsetText(), "0x120");
    EXPECT_EQ(e.GetOffsetString(0x10), "0x010"); // automatic width: as wide as the widest offset
    e.SetOffsetFormat("8!10:|");
    EXPECT_EQ(e.GetOffsetString(0x1F0), "000001F0");
    e.SetHexLowerCase(true);
    EXPECT_EQ(e.GetOffsetString(0x1F0), "000001f0");
    e.SetHexLowerCase(false);
    e.SetBytesPerRow(8);
    e.SetOffsetFormat("R%A:|");
    EXPECT_EQ(e.GetOffsetString(16), "2");
    e.SetOffsetFormat("FFFFFFFF!10:|"); // a huge width is bounded
    EXPECT_EQ(e.GetOffsetString(1).size(), 64u);
    e.SetOffsetFormat("");
    EXPECT_EQ(e.GetOffsetString(16), "");
    EXPECT_EQ(e.GetAnyOffsetString(255), "FF");
    e.OnGetOffsetText = [&](int64_t n, bool) { return "<" + std::to_string(n) + ">" + e.GetOffsetString(n); };
    EXPECT_EQ(e.GetOffsetString(5), "<5>");
    e.OnGetOffsetText = nullptr;
    e.SetBytesPerRow(16);
    e.SetRulerBytesPerUnit(2);
    EXPECT_EQ(e.HexRuler().substr(0, 8), "00000001");
    EXPECT_EQ(e.CharRuler().substr(0, 4), " 0 1");

    LoadedCore t({0x41, 0x05, 0x80, 0xC1, 0x8E});
    EXPECT_EQ(t.TranslateFromData(0), u'A');
    EXPECT_EQ(t.TranslateFromData(1), u'.');
    t.SetMaskChar(0);
    EXPECT_EQ(t.TranslateFromData(1), u'\x05');
    t.SetMaskChar(u'.');
    EXPECT_EQ(t.TranslateFromData(2), u'\u20AC');
    t.SetTranslation(tkDos8);
    EXPECT_EQ(t.TranslateFromData(2), u'\u00C7');
    t.SetTranslation(tkASCII);
    EXPECT_EQ(t.TranslateFromData(2), u'.');
    t.SetTranslation(tkBCD);
    EXPECT_EQ(t.TranslateFromData(3), u'A');
    EXPECT_EQ(t.TranslateToData(u'A'), 0xC1);
    t.SetTranslation(tkMac);
    EXPECT_EQ(t.TranslateFromData(4), u'\u00E9');
    EXPECT_EQ(t.TranslateToData(u'\u00E9'), 0x8E);
    EXPECT_STREQ(hexTranslationName(tkBCD), "EBCDIC codepage 38");
    EXPECT_STREQ(hexTranslationShortName(tkCustom), "Cust");
}

TEST(HexCoreFaults, SizesThatCannotFitAreRefusedBeforeAnyAllocation) {
    LoadedCore e(sequence(16));
    const uint8_t one = 1;
    const int32_t largest = std::numeric_limits<int32_t>::max();
    bool readerCalled = false;
    const auto reader = [&](uint8_t*, int64_t) {
        readerCalled = true;
        return int64_t(0);
    };
    // The buffer pointer is never read and the reader never called: the size check comes first.
    for (const std::function<void()>& call :
         std::vector<std::function<void()>>{[&] { e.InsertBuffer(&one, largest, 0, "", false); },
                                            [&] { e.AppendBuffer(&one, largest, "", false); },
                                            [&] { e.LoadFromReader(int64_t(3) << 30, reader); }})
        EXPECT_EQ(expectThrowMessage(call), "Data position/length out of data bounds");
    EXPECT_FALSE(readerCalled);
    EXPECT_EQ(e.DataSize(), 16);
    EXPECT_EQ(e.UndoStorage().Count(), 0);
}

TEST(HexCoreFaults, ReplaceMovesBookmarksAfterTheReplacedBytesOnly) {
    LoadedCore e(sequence(32));
    e.SetBookmark(0, 5, false); // inside the replaced range
    e.SetBookmark(1, 7, false); // after it, before the end of the longer replacement
    e.SetSelStart(4);
    e.SetSelEnd(5); // two bytes replaced by six
    const auto six = sequence(6, 0xA0);
    e.ReplaceSelection(six.data(), 6, "", true);
    EXPECT_EQ(e.Bookmark(0).Position, 5);
    EXPECT_EQ(e.Bookmark(1).Position, 11);
    EXPECT_EQ(e.GetData(11), 7);
    e.Undo();
    EXPECT_EQ(e.Bookmark(0).Position, 5);
    EXPECT_EQ(e.Bookmark(1).Position, 7);
}

namespace {
std::vector<int32_t> markedPositions(const THexEditorCore& e) {
    std::vector<int32_t> marked;
    for (int32_t i = 0; i < e.DataSize(); ++i)
        if (e.IsChanged(i)) marked.push_back(i);
    return marked;
}

// Types over a byte in the character field: an overwrite outside insert mode, and inside a unit in it.
void typeOver(THexEditorCore& e, int32_t pos, char16_t ch) {
    caretTo(e, pos);
    if (!e.InCharField()) e.KeyDown(HexKey::Tab, 0);
    e.KeyPress(ch);
}
} // namespace

// A delete cuts the changed marks at its first position, as an insert or a replace does, and its undo and
// redo leave the same marks.
TEST(HexCoreMarks, DeletesCutTheMarksAtTheirFirstPosition) {
    struct Row {
        const char* edit;
        int unit; // 2: insert mode, where Backspace deletes and typing inside a unit overwrites
        std::function<void(THexEditorCore&)> apply;
        std::vector<int32_t> marked;
    };
    const Row rows[] = {
        {"Ctrl+Delete at 3",
         1,
         [](THexEditorCore& e) {
             caretTo(e, 3);
             e.KeyDown(HexKey::Delete, hexmod::Ctrl);
         },
         {1}},
        {"selection 6..7",
         1,
         [](THexEditorCore& e) {
             e.SetSelStart(6);
             e.SetSelEnd(7);
             e.DeleteSelection("");
         },
         {1, 5}},
        {"after the last mark",
         1,
         [](THexEditorCore& e) {
             e.SetSelStart(12);
             e.DeleteSelection("");
         },
         {1, 5, 9}},
        {"Backspace before 4",
         2,
         [](THexEditorCore& e) {
             caretTo(e, 4);
             e.KeyDown(HexKey::Back, 0);
         },
         {1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.edit);
        LoadedCore e(sequence(16));
        e.SetBytesPerUnit(row.unit);
        e.SetInsertMode(row.unit > 1);
        for (int32_t pos : {1, 5, 9})
            typeOver(e, pos, u'Z');
        ASSERT_EQ(markedPositions(e), (std::vector<int32_t>{1, 5, 9}));
        row.apply(e);
        EXPECT_EQ(markedPositions(e), row.marked);
        e.Undo();
        e.Redo();
        EXPECT_EQ(markedPositions(e), row.marked) << "after undo and redo";
    }
}

// Random edit sequences beside a model that knows which bytes were typed over: at every step, undo and redo
// included, each marked byte is one that was typed over.
TEST(HexCoreMarks, RandomEditsMarkOnlyBytesTypedOver) {
    struct Byte {
        uint8_t value;
        bool typed;
    };
    using Model = std::vector<Byte>;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        LoadedCore e(sequence(48));
        std::vector<Model> history(1);
        for (uint8_t b : e.bytes())
            history[0].push_back({b, false});
        std::optional<Model> redo;
        for (int step = 0; step < 200; ++step) {
            const int32_t size = e.DataSize(), records = e.UndoStorage().Count();
            const int32_t pos = size ? int32_t(random() % uint32_t(size)) : 0;
            const int32_t last = std::min(size - 1, pos + int32_t(random() % 4));
            const int32_t count = 1 + int32_t(random() % 4);
            Model next = history.back();
            const unsigned op = random() % 7;
            if (size == 0 && op < 5) continue;
            if (op == 0 && !e.InsertMode()) { // typed over
                const char16_t ch = char16_t('A' + random() % 3);
                typeOver(e, pos, ch);
                if (next[size_t(pos)].value != ch) next[size_t(pos)] = {uint8_t(ch), true};
            } else if (op == 1) { // Ctrl+Delete
                caretTo(e, pos);
                e.KeyDown(HexKey::Delete, hexmod::Ctrl);
                next.erase(next.begin() + pos);
            } else if (op == 2) { // a selection deleted
                e.SetSelStart(pos);
                e.SetSelEnd(last);
                e.DeleteSelection("");
                next.erase(next.begin() + pos, next.begin() + last + 1);
            } else if (op == 3 || op == 4) { // inserted at the caret, or a selection replaced
                caretTo(e, pos);
                if (op == 4) e.SetSelEnd(last);
                e.ReplaceSelection("wxyz", count, "", random() % 2 == 0);
                if (op == 4) next.erase(next.begin() + pos, next.begin() + last + 1);
                for (int32_t i = count - 1; i >= 0; --i)
                    next.insert(next.begin() + pos, Byte{uint8_t("wxyz"[i]), false});
            } else if (op == 5) { // undo or redo
                if (e.CanUndo()) {
                    e.Undo();
                    redo = history.back();
                    history.pop_back();
                } else if (e.CanRedo() && redo) {
                    e.Redo();
                    history.push_back(*redo);
                    redo.reset();
                }
                next = history.back();
            } else { // insert mode switched
                e.SetInsertMode(!e.InsertMode());
                continue;
            }
            if (op != 5 && e.UndoStorage().Count() == records + 1) {
                history.push_back(next);
                redo.reset();
            }
            const Model& model = history.back();
            ASSERT_EQ(size_t(e.UndoStorage().Count()) + 1, history.size()) << "step " << step;
            ASSERT_EQ(size_t(e.DataSize()), model.size()) << "step " << step;
            for (int32_t i = 0; i < e.DataSize(); ++i) {
                ASSERT_EQ(e.GetData(i), model[size_t(i)].value) << "step " << step << " byte " << i;
                ASSERT_TRUE(!e.IsChanged(i) || model[size_t(i)].typed) << "step " << step << " byte " << i;
            }
        }
    }
}
